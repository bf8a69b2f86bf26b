#include "zylcarto/geomap/calibration/calib_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "zylcarto/support/mathhooks.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

std::string ReadStreamLine(TMemoryStream& Stream, bool& EndOfStream) {
    std::string line;
    EndOfStream = false;
    for (;;) {
        const int c = Stream.ReadByte();
        if (c < 0) {
            EndOfStream = true;
            return line;
        }
        line += static_cast<char>(c);
        if (c == '\n') {
            for (int k = 0; k < 2 && !line.empty() && (line.back() == '\r' || line.back() == '\n'); ++k)
                line.pop_back();
            return line;
        }
    }
}

std::string TrimBlanks(std::string_view S) {
    const std::size_t first = S.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = S.find_last_not_of(' ');
    return std::string(S.substr(first, last - first + 1));
}

namespace {

// Attribute text may run over several lines, so line ends count as blanks there.
bool IsAttrBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimAttrBlanks(std::string_view S) {
    while (!S.empty() && IsAttrBlank(S.front())) S.remove_prefix(1);
    while (!S.empty() && IsAttrBlank(S.back())) S.remove_suffix(1);
    return S;
}

}  // namespace

std::string GetAttribute(std::string_view AttrText, std::string_view Name) {
    const std::size_t n = AttrText.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t nameStart = i;
        while (i < n && AttrText[i] != '=') {
            if (AttrText[i] == '"') return {};
            ++i;
        }
        if (i >= n) return {};
        const std::string_view name = TrimAttrBlanks(AttrText.substr(nameStart, i - nameStart));
        ++i;
        while (i < n && IsAttrBlank(AttrText[i])) ++i;
        if (i < n && AttrText[i] == '=') return {};
        std::string_view value;
        if (i < n && AttrText[i] == '"') {
            const std::size_t close = AttrText.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? n : close;
            value = AttrText.substr(i + 1, end - i - 1);
            i = close == std::string_view::npos ? n : close + 1;
        } else {
            const std::size_t valueStart = i;
            while (i < n && !IsAttrBlank(AttrText[i]) && AttrText[i] != '"') {
                if (AttrText[i] == '=') return {};
                ++i;
            }
            value = AttrText.substr(valueStart, i - valueStart);
        }
        if (SameText(name, Name)) return std::string(value);
    }
    return {};
}

std::string QuotedValue(std::string_view Text, std::string_view Name) {
    std::string key(Name);
    key += "=\"";
    const std::size_t at = Text.find(key);
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + key.size();
    const std::size_t close = Text.find('"', start);
    if (close == std::string_view::npos) return {};
    return std::string(Text.substr(start, close - start));
}

std::int32_t ScanInteger(std::string_view Text, std::size_t& Position) {
    std::size_t p = Position;
    if (p >= Text.size()) return 0;
    while (p + 1 < Text.size() && Text[p] == ' ') ++p;
    bool negative = false;
    if (Text[p] == '+' || Text[p] == '-') {
        negative = Text[p] == '-';
        ++p;
    }
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    while (p < Text.size() && Text[p] >= '0' && Text[p] <= '9') {
        value = std::min(value * 10 + (Text[p] - '0'), limit);
        ++p;
    }
    Position = p;
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min(value, limit - 1));
}

std::int32_t ScanInteger(std::string_view Text) {
    std::size_t p = 0;
    return ScanInteger(Text, p);
}

namespace {

enum class TScanState { Start, Sign, Integer, Point, Fraction, Exponent, ExpSign, ExpDigits, Done, Error };
enum class TCharClass { Separator, Blank, Sign, Digit, Exp, Other };

constexpr TScanState X = TScanState::Error, D = TScanState::Done;
constexpr TScanState ExpOrDone = TScanState::Exponent;  // demoted to Done without exponents

// Rows: states Start..ExpDigits; columns: TCharClass.
constexpr TScanState kTransitions[8][6] = {
    /* Start     */ {TScanState::Point, TScanState::Start, TScanState::Sign, TScanState::Integer, X, X},
    /* Sign      */ {TScanState::Point, X, X, TScanState::Integer, X, X},
    /* Integer   */ {TScanState::Point, D, D, TScanState::Integer, ExpOrDone, D},
    /* Point     */ {X, D, D, TScanState::Fraction, ExpOrDone, D},
    /* Fraction  */ {X, D, D, TScanState::Fraction, ExpOrDone, D},
    /* Exponent  */ {X, X, TScanState::ExpSign, TScanState::ExpDigits, X, D},
    /* ExpSign   */ {X, X, X, TScanState::ExpDigits, X, D},
    /* ExpDigits */ {D, D, D, TScanState::ExpDigits, D, D},
};

TCharClass Classify(std::size_t Pos, std::string_view Text, TDecimalSeparators Separators) {
    if (Pos >= Text.size()) return TCharClass::Other;
    const char c = Text[Pos];
    if ((c == '.' && Separators != dsComma) || (c == ',' && Separators != dsPoint)) return TCharClass::Separator;
    if (c == ' ') return TCharClass::Blank;
    if (c == '+' || c == '-') return TCharClass::Sign;
    if (c >= '0' && c <= '9') return TCharClass::Digit;
    if (c == 'E' || c == 'e') return TCharClass::Exp;
    return TCharClass::Other;
}

// Decimal exponent of the leading digit of a number text such as "-0.0012E-5"
// (only consulted when the value is out of range, so it is never all zeros).
long DecimalMagnitude(std::string_view Mantissa, long Exponent) {
    const std::size_t point = std::min(Mantissa.find('.'), Mantissa.size());
    for (std::size_t i = 0; i < Mantissa.size(); ++i) {
        if (Mantissa[i] < '1' || Mantissa[i] > '9') continue;
        const long offset = i < point ? static_cast<long>(point - i) - 1 : -static_cast<long>(i - point);
        return offset + Exponent;
    }
    return 0;
}

double ConvertNumberText(std::string Text) {
    std::size_t first = Text.find_first_not_of(' ');
    if (first == std::string::npos) return 0;
    Text.erase(0, first);
    const bool negative = Text[0] == '-';
    if (Text[0] == '+' || Text[0] == '-') Text.erase(0, 1);
    double value = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        const std::size_t e = Text.find('E');
        const long exponent = e == std::string::npos ? 0 : std::strtol(Text.c_str() + e + 1, nullptr, 10);
        const long magnitude = DecimalMagnitude(std::string_view(Text).substr(0, e), exponent);
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc()) {
        value = 0;
    }
    (void)end;
    if (negative) value = -value;
    const double maxValue = static_cast<double>(uc_MaxDouble);
    return std::clamp(value, -maxValue, maxValue);
}

}  // namespace

double ScanNumber(std::string_view Text, bool AllowExponent, TDecimalSeparators Separators, std::size_t& Position) {
    constexpr long kExponentCap = 4200;
    std::string number;
    long exponentSoFar = 0;
    TScanState state = TScanState::Start;
    std::size_t p = Position;
    for (;;) {
        const TCharClass cls = Classify(p, Text, Separators);
        TScanState next = kTransitions[static_cast<int>(state)][static_cast<int>(cls)];
        if (next == TScanState::Exponent && cls == TCharClass::Exp && !AllowExponent) next = TScanState::Done;
        if (next == TScanState::Done || next == TScanState::Error) {
            state = next;
            break;
        }
        const char c = Text[p];
        if (next == TScanState::ExpDigits) {
            if (exponentSoFar <= kExponentCap) {
                number += c;
                exponentSoFar = exponentSoFar * 10 + (c - '0');
            }
        } else if (cls == TCharClass::Separator) {
            number += '.';
        } else {
            number += cls == TCharClass::Exp ? 'E' : c;
        }
        state = next;
        ++p;
    }
    Position = p;
    if (state == TScanState::Error) return 0;
    if (!number.empty() && number.back() == '.') number += '0';
    return ConvertNumberText(std::move(number));
}

double ScanNumber(std::string_view Text, bool AllowExponent, TDecimalSeparators Separators) {
    std::size_t p = 0;
    return ScanNumber(Text, AllowExponent, Separators, p);
}

std::string FormatFixed(double Value, int Decimals) {
    Decimals = std::clamp(Decimals, 0, 30);
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
    std::string s = ec == std::errc() ? std::string(buf, end) : std::string("0");
    // A negative value that rounds to zero is written as zero.
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("0.", 1) == std::string::npos) s.erase(0, 1);
    return s;
}

std::string FormatCoordinate(double Value) {
    char buf[400];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed);
    if (ec != std::errc()) return FormatFixed(Value, 5);
    const std::string_view shortest(buf, static_cast<std::size_t>(end - buf));
    const std::size_t point = shortest.find('.');
    const std::size_t decimals = point == std::string_view::npos ? 0 : shortest.size() - point - 1;
    return decimals > 5 ? std::string(shortest) : FormatFixed(Value, 5);
}

namespace {

constexpr std::string_view LineBreakRefs[] = {"&#13;", "&#10;", "&#38;"};
constexpr char LineBreakChars[] = {'\r', '\n', '&'};

}  // namespace

std::string EscapeLineBreaks(std::string_view Text) {
    std::string s;
    s.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r' || c == '\n') {
            s += c == '\r' ? LineBreakRefs[0] : LineBreakRefs[1];
            continue;
        }
        const std::string_view rest = Text.substr(i);
        const bool startsRef = c == '&' && std::any_of(std::begin(LineBreakRefs), std::end(LineBreakRefs),
                                                       [&](std::string_view r) { return rest.starts_with(r); });
        if (startsRef)
            s += LineBreakRefs[2];
        else
            s += c;
    }
    return s;
}

std::string UnescapeLineBreaks(std::string_view Text) {
    std::string s;
    s.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size();) {
        std::size_t k = 0;
        while (k < std::size(LineBreakRefs) && !Text.substr(i).starts_with(LineBreakRefs[k])) ++k;
        if (k < std::size(LineBreakRefs)) {
            s += LineBreakChars[k];
            i += LineBreakRefs[k].size();
        } else {
            s += Text[i++];
        }
    }
    return s;
}

std::string FormatShortest(double Value) {
    if (!std::isfinite(Value)) return "0";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string QuotableText(std::string_view Text) {
    std::string s(Text);
    for (char& c : s)
        if (c == '"') c = '\'';
    return s;
}

std::string FormatGeneral15(double Value) {
    if (std::isnan(Value)) return "NAN";
    if (std::isinf(Value)) return Value < 0 ? "-INF" : "INF";
    if (Value == 0) return "0";
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::scientific, 14);
    const std::string_view sci(buf, static_cast<std::size_t>(end - buf));
    const bool negative = sci[0] == '-';
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c >= '0' && c <= '9') digits += c;
    int exponent = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -5 && exponent < 15) {
        if (exponent >= 0) {
            const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() < intDigits) digits.append(intDigits - digits.size(), '0');
            out += digits.substr(0, intDigits);
            if (digits.size() > intDigits) out += "." + digits.substr(intDigits);
        } else {
            out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
        }
    } else {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    }
    return out;
}

}  // namespace zylcarto
