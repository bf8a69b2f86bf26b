#include "zylcarto/geodesy/dms.h"

#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr int Degree = 0, Minute = 1, Second = 2, NoUnit = -1;

struct TUnitMark {
    std::string_view Text;
    int Unit;
};
// Longer marks first: '' is a second, ' a minute.
constexpr std::array<TUnitMark, 12> UnitMarks = {{{"''", Second},
                                                  {"\xC2\xB0", Degree},  // °
                                                  {"\xC2\xBA", Degree},  // º, often typed for °
                                                  {"\xCB\x9A", Degree},  // ˚
                                                  {"d", Degree},
                                                  {"D", Degree},
                                                  {"'", Minute},
                                                  {"\xE2\x80\xB2", Minute},  // ′
                                                  {"\xE2\x80\x99", Minute},  // ’
                                                  {"\"", Second},
                                                  {"\xE2\x80\xB3", Second},    // ″
                                                  {"\xE2\x80\x9D", Second}}};  // ”

struct TPart {
    double Value;
    int Unit;
    bool Fraction;
    std::string_view Text;
};

// A number of the text for a message, cut: the text may be of any length.
std::string Shown(std::string_view Number) {
    return "\"" + std::string(Number.substr(0, 24)) + (Number.size() > 24 ? "...\"" : "\"");
}

int Fail(std::string* Message, std::string Text) {
    if (Message) *Message = std::move(Text);
    return dmsBadText;
}

// The character at Text[I] for a message: a whole UTF-8 sequence, or a byte by value.
std::string CharAt(std::string_view Text, std::size_t I) {
    const auto lead = static_cast<unsigned char>(Text[I]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    bool sequence = length > 0 && I + length <= Text.size();
    for (std::size_t k = 1; sequence && k < length; ++k)
        sequence = (static_cast<unsigned char>(Text[I + k]) & 0xC0) == 0x80;
    std::string where = " at position " + std::to_string(I + 1);
    if (sequence && lead >= 0x21 && lead != 0x7F) return "'" + std::string(Text.substr(I, length)) + "'" + where;
    static const char* hex = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[lead >> 4] + hex[lead & 15] + where;
}

int UnitAt(std::string_view Text, std::size_t I, std::size_t& Length) {
    for (const auto& m : UnitMarks)
        if (Text.substr(I, m.Text.size()) == m.Text) {
            Length = m.Text.size();
            return m.Unit;
        }
    return NoUnit;
}

bool IsBlank(char C) { return C == ' ' || C == '\t'; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

char Hemisphere(char C) {
    switch (C) {
    case 'N':
    case 'n': return 'N';
    case 'S':
    case 's': return 'S';
    case 'E':
    case 'e': return 'E';
    case 'W':
    case 'w': return 'W';
    default: return 0;
    }
}

constexpr std::array<const char*, 3> UnitNames = {"degrees", "minutes", "seconds"};

}  // namespace

int DMSToDegrees(std::string_view Text, double& Degrees, TDMSAxis& Axis, std::string* Message) {
    std::size_t i = 0;
    const std::size_t n = Text.size();
    const auto skipBlanks = [&] {
        while (i < n && IsBlank(Text[i])) ++i;
    };
    bool negative = false, signed_ = false;
    char hemisphere = 0;
    skipBlanks();
    if (i < n && (Text[i] == '+' || Text[i] == '-')) {
        signed_ = true;
        negative = Text[i++] == '-';
        skipBlanks();
    } else if (i < n && Hemisphere(Text[i])) {
        hemisphere = Hemisphere(Text[i++]);
        skipBlanks();
    }
    std::vector<TPart> parts;
    bool colonPending = false;
    while (i < n) {
        const char c = Text[i];
        std::size_t markLength = 0;
        if (IsDigit(c) || c == '.') {
            const std::size_t start = i;
            while (i < n && IsDigit(Text[i])) ++i;
            const bool fraction = i < n && Text[i] == '.';
            if (fraction) ++i;
            while (fraction && i < n && IsDigit(Text[i])) ++i;
            const std::string_view number = Text.substr(start, i - start);
            if (number == ".") return Fail(Message, "a point without digits " + CharAt(Text, start));
            if (parts.size() == 3) return Fail(Message, "more than three numbers (degrees, minutes, seconds)");
            TPart part{0, NoUnit, fraction, number};
            const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), part.Value);
            if (ec != std::errc() || !std::isfinite(part.Value))
                return Fail(Message, "the number at position " + std::to_string(start + 1) + " is out of range");
            if (i < n) part.Unit = UnitAt(Text, i, markLength);
            i += markLength;
            parts.push_back(part);
            colonPending = false;
        } else if (IsBlank(c)) {
            ++i;
        } else if (c == ':' && !parts.empty() && parts.back().Unit == NoUnit && !colonPending) {
            colonPending = true;
            ++i;
        } else if (Hemisphere(c) && !parts.empty()) {
            if (hemisphere) return Fail(Message, "a second hemisphere letter " + CharAt(Text, i));
            if (signed_) return Fail(Message, "both a sign and a hemisphere letter " + CharAt(Text, i));
            hemisphere = Hemisphere(c);
            ++i;
            skipBlanks();
            if (i < n) return Fail(Message, "unexpected " + CharAt(Text, i) + " after the hemisphere letter");
        } else if (UnitAt(Text, i, markLength) != NoUnit) {
            return Fail(Message, "a unit mark without a number before it " + CharAt(Text, i));
        } else {
            return Fail(Message, "unexpected " + CharAt(Text, i));
        }
    }
    if (parts.empty()) return Fail(Message, n == 0 ? "empty angle" : "no number in the angle");
    if (colonPending) return Fail(Message, "no number after the last ':'");

    double value = 0;
    int next = Degree;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        TPart& p = parts[k];
        if (p.Unit == NoUnit) p.Unit = next;
        if (p.Unit < next)
            return Fail(Message, std::string(UnitNames[static_cast<std::size_t>(p.Unit)]) + " " + Shown(p.Text) +
                                     " after " + UnitNames[static_cast<std::size_t>(parts[k - 1].Unit)]);
        if (p.Unit > Second) return Fail(Message, "more than three numbers (degrees, minutes, seconds)");
        if (p.Fraction && k + 1 < parts.size())
            return Fail(Message, "only the last number may have a fraction, not " + Shown(p.Text));
        if (k > 0 && !(p.Value < 60))
            return Fail(Message, std::string(UnitNames[static_cast<std::size_t>(p.Unit)]) + " " + Shown(p.Text) +
                                     " are not below 60");
        value += p.Value / (p.Unit == Degree ? 1.0 : p.Unit == Minute ? 60.0 : 3600.0);
        next = p.Unit + 1;
    }
    if (hemisphere == 'S' || hemisphere == 'W') negative = true;
    Degrees = negative ? -value : value;
    Axis = hemisphere == 0 ? dmsNone : (hemisphere == 'N' || hemisphere == 'S') ? dmsLatitude : dmsLongitude;
    return dmsOK;
}

std::string DegreesToDMS(double Degrees, TDMSAxis Axis, int Decimals) {
    if (!std::isfinite(Degrees) || Axis == dmsNone) return DegreeToStr(Degrees, dfDegMinSec, Decimals);
    std::string text = DegreeToStr(std::fabs(Degrees), dfDegMinSec, Decimals);
    const bool negative = Degrees < 0 && text.find_first_of("123456789") != std::string::npos;
    text += Axis == dmsLatitude ? (negative ? 'S' : 'N') : (negative ? 'W' : 'E');
    return text;
}

}  // namespace zylcarto
