#include "cli.h"

#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zylcarto::cli {

static std::vector<TCommand>& Registry() {
    static std::vector<TCommand> commands;
    return commands;
}

TRegistrar::TRegistrar(TCommand C) { Registry().push_back(std::move(C)); }

const std::vector<TCommand>& Commands() { return Registry(); }

std::string Quoted(std::string_view Text) {
    constexpr std::size_t Limit = 80;
    if (Text.size() <= Limit) return "\"" + std::string(Text) + "\"";
    return "\"" + std::string(Text.substr(0, Limit)) + "\"... (" + std::to_string(Text.size()) + " bytes)";
}

void WriteOut(std::string_view Text) {
    if (std::fwrite(Text.data(), 1, Text.size(), stdout) != Text.size())
        throw EOperationFailed(std::string("cannot write to standard output: ") + std::strerror(errno));
}

void WarnSkippedLandMarks(int Count, const std::string& File) {
    if (Count > 0)
        std::fprintf(stderr,
                     "zylcarto: warning: %d landmark%s of %s skipped: not a position on the globe or a class "
                     "outside 0..255\n",
                     Count, Count == 1 ? "" : "s", File.c_str());
}

// The digits after one optional sign: from_chars takes "-" itself, so "+-5" must be caught here.
static const char* AfterPlus(std::string_view Text) {
    const char* first = Text.data();
    if (!Text.empty() && *first == '+' && (Text.size() == 1 || (first[1] != '-' && first[1] != '+'))) ++first;
    return first;
}

bool ReadNumber(std::string_view Text, double& Value) {
    const char* last = Text.data() + Text.size();
    const auto [ptr, ec] = std::from_chars(AfterPlus(Text), last, Value);
    return !Text.empty() && ec == std::errc() && ptr == last && std::isfinite(Value);
}

double ParseDouble(std::string_view Text, std::string_view What) {
    double v = 0;
    if (!ReadNumber(Text, v)) throw EUsageError(std::string(What) + " is not a number: " + Quoted(Text));
    return v;
}

double ParseDegrees(std::string_view Text, std::string_view What, TDMSAxis Axis) {
    double v = 0;
    if (ReadNumber(Text, v)) return v;  // plain decimals exactly as ParseDouble reads them, exponents included
    TDMSAxis axis = dmsNone;
    std::string message;
    if (DMSToDegrees(Text, v, axis, &message) != dmsOK)
        throw EUsageError(std::string(What) + " is not a number: " + Quoted(Text) + " (" + message + ")");
    if (axis != dmsNone && axis != Axis)
        throw EUsageError(std::string(What) + " " + Quoted(Text) + " has the hemisphere letter of a " +
                          (axis == dmsLatitude ? "latitude" : "longitude"));
    return v;
}

// The axis a hemisphere letter of Text names; plain numbers are not parsed twice.
static TDMSAxis AxisOf(std::string_view Text) {
    if (Text.find_first_of("NSEWnsew") == std::string_view::npos) return dmsNone;
    double v;
    TDMSAxis axis = dmsNone;
    return DMSToDegrees(Text, v, axis) == dmsOK ? axis : dmsNone;
}

bool ParsePosition(std::string_view First, std::string_view Second, double& Lat, double& Long) {
    if (ReadNumber(First, Lat) && ReadNumber(Second, Long)) return false;  // plain decimals: no letters to look for
    const TDMSAxis first = AxisOf(First), second = AxisOf(Second);
    const bool swapped = (first == dmsLongitude || second == dmsLatitude) && first != second;
    if (swapped) std::swap(First, Second);
    Lat = ParseDegrees(First, "latitude", dmsLatitude);
    Long = ParseDegrees(Second, "longitude", dmsLongitude);
    return swapped;
}

bool RegroupPosition(std::span<const std::string_view> Tokens, std::size_t After, std::vector<std::string>& Fields) {
    if (Tokens.size() < After + 3 || Tokens.size() > After + 8) return false;  // three numbers and a letter each
    const std::size_t m = Tokens.size() - After;
    const auto join = [&](std::size_t from, std::size_t to) {
        std::string s(Tokens[from]);
        for (std::size_t k = from + 1; k < to; ++k) (s += ' ') += Tokens[k];
        return s;
    };
    std::size_t found = 0, split = 0;
    for (std::size_t b = 1; b < m; ++b) {
        double v;
        TDMSAxis first = dmsNone, second = dmsNone;
        // either order, as ParsePosition reads it, but not two angles of one axis
        if (DMSToDegrees(join(0, b), v, first) == dmsOK && DMSToDegrees(join(b, m), v, second) == dmsOK &&
            (first != second || first == dmsNone)) {
            ++found;
            split = b;
        }
    }
    if (found != 1) return false;  // none, or ambiguous as "47 4 15 26"
    Fields = {join(0, split), join(split, m)};
    for (std::size_t k = m; k < Tokens.size(); ++k) Fields.emplace_back(Tokens[k]);
    return true;
}

int ParseInt(std::string_view Text, std::string_view What) {
    int v = 0;
    const char* last = Text.data() + Text.size();
    auto [ptr, ec] = std::from_chars(AfterPlus(Text), last, v);
    if (Text.empty() || ec != std::errc() || ptr != last)
        throw EUsageError(std::string(What) + " is not a whole number: " + Quoted(Text));
    return v;
}

double Finite(double Value, std::string_view What) {
    if (!std::isfinite(Value)) throw EOperationFailed("no finite " + std::string(What) + " for this input");
    return Value;
}

std::string FormatFixed(double Value, int Decimals) {
    char buf[512];  // the 309 digits of the largest double and the decimals asked for
    const auto [ptr, ec] =
        std::to_chars(buf, buf + sizeof buf, Finite(Value, "result"), std::chars_format::fixed, Decimals);
    if (ec != std::errc()) throw EOperationFailed("the result does not fit " + std::to_string(Decimals) + " decimals");
    std::string s(buf, ptr);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0.0000"
    return s;
}

void AppendFixed(std::string& Out, double Value, int Decimals) {
    static constexpr double Powers[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double scaled = Decimals >= 0 && Decimals <= 9 ? Value * Powers[Decimals] : NAN;
    const double rounded = std::nearbyint(scaled);
    // Away from a half (where the product's own rounding could tip it) the digits of
    // the rounded product are those of the exact decimal; elsewhere the exact path.
    if (!(std::fabs(scaled) < 1e15 && std::fabs(std::fabs(scaled - rounded) - 0.5) > 1e-3)) {
        Out += FormatFixed(Value, Decimals);
        return;
    }
    const long long whole = static_cast<long long>(std::fabs(rounded));
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, whole).ptr;
    const int count = static_cast<int>(end - digits);
    if (rounded < 0) Out += '-';  // never "-0.000": a zero is rounded to +0 or -0 and -0 is not < 0
    if (count <= Decimals) {
        Out += "0.";
        Out.append(static_cast<std::size_t>(Decimals - count), '0');
        Out.append(digits, end);
        return;
    }
    Out.append(digits, end - Decimals);
    if (Decimals > 0) {
        Out += '.';
        Out.append(end - Decimals, end);
    }
}

template <typename T>
static std::string Shortest(T Value) {
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, static_cast<T>(Finite(Value, "result"))).ptr);
}
std::string FormatShortest(double Value) { return Shortest(Value); }
std::string FormatShortest(float Value) { return Shortest(Value); }

std::optional<std::string> TakeOption(TArgs& Args, std::string_view Name) {
    for (std::size_t i = 0; i < Args.size(); ++i) {
        if (Args[i] != Name) continue;
        if (i + 1 >= Args.size()) throw EUsageError("option " + std::string(Name) + " needs a value");
        std::string value = Args[i + 1];
        Args.erase(Args.begin() + static_cast<std::ptrdiff_t>(i), Args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        return value;
    }
    return std::nullopt;
}

bool TakeFlag(TArgs& Args, std::string_view Name) {
    for (std::size_t i = 0; i < Args.size(); ++i) {
        if (Args[i] == Name) {
            Args.erase(Args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

void RejectUnknownOptions(const TArgs& Args) {
    for (const auto& a : Args) {
        // "-5" is a number, not an option
        if (a.size() > 2 && a[0] == '-' && a[1] == '-') throw EUsageError("unknown option " + a);
    }
}

// The blanks of the C locale, inline: a call to isspace per character shows in large batches.
static bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view NextField(std::string_view Line, std::size_t& Pos) {
    std::size_t i = Pos;
    while (i < Line.size() && IsBlank(Line[i])) ++i;
    std::size_t j = i;
    while (j < Line.size() && !IsBlank(Line[j])) ++j;
    Pos = j;
    return Line.substr(i, j - i);
}

std::size_t SplitFields(std::string_view Line, std::span<std::string_view> Fields) {
    std::size_t count = 0, pos = 0;
    for (std::string_view f; !(f = NextField(Line, pos)).empty();) {
        if (count == Fields.size()) return count + 1;
        Fields[count++] = f;
    }
    return count;
}

std::vector<std::string> SplitFields(std::string_view Line) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (std::string_view f; !(f = NextField(Line, pos)).empty();) out.emplace_back(f);
    return out;
}

bool TLineReader::Fill() {
    if (FAtEnd) return false;
    if (FBegin > 0) {
        std::memmove(FBuffer.data(), FBuffer.data() + FBegin, FEnd - FBegin);
        FEnd -= FBegin;
        FBegin = 0;
    }
    const std::size_t got = std::fread(FBuffer.data() + FEnd, 1, FBuffer.size() - FEnd, FIn);
    FEnd += got;
    if (got == 0) FAtEnd = true;
    return got > 0;
}

bool TLineReader::Next(std::string_view& Line) {
    FTooLong = false;
    bool skipping = false;  // the rest of a line too long to hold
    for (std::size_t scanned = FBegin;;) {
        if (FAfterCR) {  // the LF of a CR LF may start the next block
            if (FBegin == FEnd && !Fill()) return false;
            if (FBuffer[FBegin] == '\n') ++FBegin;
            FAfterCR = false;
            scanned = FBegin;
        }
        const char* data = FBuffer.data();
        std::size_t i = scanned;
        while (i < FEnd && data[i] != '\n' && data[i] != '\r') ++i;
        if (i < FEnd) {
            FTooLong = skipping = skipping || i - FBegin > MaxLine;
            Line = std::string_view(data + FBegin, skipping ? 0 : i - FBegin);
            FAfterCR = data[i] == '\r';
            FBegin = i + 1;
            ++FLineNumber;
            return true;
        }
        if (skipping) {
            FBegin = FEnd;
        } else if (FEnd - FBegin > MaxLine) {
            skipping = FTooLong = true;
            FBegin = FEnd;
        }
        scanned = FEnd - FBegin;
        if (!Fill()) break;
    }
    if (FBegin == FEnd && !skipping) return false;  // no last line without its end
    Line = std::string_view(FBuffer.data() + FBegin, skipping ? 0 : FEnd - FBegin);
    FBegin = FEnd;
    ++FLineNumber;
    return true;
}

}  // namespace zylcarto::cli
