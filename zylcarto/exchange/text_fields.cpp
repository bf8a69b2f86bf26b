#include "zylcarto/exchange/text_fields.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "zylcarto/support/ansi.h"

namespace zylcarto {

std::vector<std::string_view> SplitLines(std::string_view Text) {
    if (Text.substr(0, 3) == "\xEF\xBB\xBF") Text.remove_prefix(3);
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '\n' && Text[i] != '\r') continue;
        lines.push_back(Text.substr(start, i - start));
        if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < Text.size()) lines.push_back(Text.substr(start));
    return lines;
}

std::string_view TrimSpace(std::string_view S) {
    while (!S.empty() && (S.front() == ' ' || S.front() == '\t')) S.remove_prefix(1);
    while (!S.empty() && (S.back() == ' ' || S.back() == '\t')) S.remove_suffix(1);
    return S;
}

std::vector<std::string_view> SplitCommas(std::string_view Line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t c = Line.find(',');
        fields.push_back(TrimSpace(Line.substr(0, c)));
        if (c == std::string_view::npos) return fields;
        Line.remove_prefix(c + 1);
    }
}

std::optional<double> ParseNumber(std::string_view Field) {
    Field = TrimSpace(Field);
    if (!Field.empty() && Field.front() == '+') Field.remove_prefix(1);
    if (Field.empty()) return std::nullopt;
    double v = 0;
    const auto [end, ec] = std::from_chars(Field.data(), Field.data() + Field.size(), v);
    if (ec != std::errc() || end != Field.data() + Field.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool IsUtf8(std::string_view S) {
    for (std::size_t i = 0; i < S.size();) {
        const std::size_t before = i;
        if (detail::DecodeUtf8(S, i) == 0xFFFD && S.substr(before, 3) != "\xEF\xBF\xBD") return false;
    }
    return true;
}

std::string TextAsUtf8(std::string_view S) { return IsUtf8(S) ? std::string(S) : AnsiToUtf8(S); }

namespace {

struct TComposition {
    char32_t Mark;
    std::string_view Bases;
    std::u32string_view Composed;  // of Bases[i] + Mark
};
constexpr TComposition kCompositions[] = {
    {0x300, "AEIOUaeiou", U"ÀÈÌÒÙàèìòù"},
    {0x301, "AEIOUYaeiouy", U"ÁÉÍÓÚÝáéíóúý"},
    {0x302, "AEIOUaeiou", U"ÂÊÎÔÛâêîôû"},
    {0x303, "ANOano", U"ÃÑÕãñõ"},
    {0x308, "AEIOUaeiouyY", U"ÄËÏÖÜäëïöüÿŸ"},
    {0x30A, "Aa", U"Åå"},
    {0x30C, "SsZz", U"ŠšŽž"},
    {0x327, "Cc", U"Çç"},
};

void AppendUtf8(std::string& Out, char32_t C) {
    if (C < 0x80) {
        Out += static_cast<char>(C);
    } else if (C < 0x800) {
        Out += static_cast<char>(0xC0 | (C >> 6));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else if (C < 0x10000) {
        Out += static_cast<char>(0xE0 | (C >> 12));
        Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (C >> 18));
        Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (C & 0x3F));
    }
}

// The letter Base + Mark composes to, 0 for none.
char32_t Composed(char32_t Base, char32_t Mark) {
    if (Base == 0 || Base >= 0x80) return 0;
    for (const TComposition& k : kCompositions)
        if (k.Mark == Mark) {
            const std::size_t at = k.Bases.find(static_cast<char>(Base));
            return at == std::string_view::npos ? 0 : k.Composed[at];
        }
    return 0;
}

}  // namespace

std::string ComposeLatin(std::string_view Utf8) {
    std::string out;
    out.reserve(Utf8.size());
    std::size_t lastStart = 0;  // where the last code point written begins in out
    char32_t last = 0;
    for (std::size_t i = 0; i < Utf8.size();) {
        const std::size_t start = i;
        const char32_t c = detail::DecodeUtf8(Utf8, i);
        if (const char32_t composed = Composed(last, c)) {
            out.resize(lastStart);
            AppendUtf8(out, composed);
            last = composed;  // not a base letter: takes no second mark
            continue;
        }
        lastStart = out.size();
        last = c;
        if (c == 0xFFFD)
            out.append(Utf8.substr(start, i - start));  // malformed bytes stay as they came
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string Cp1251AsUtf8(std::string_view S) {
    // 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order, 0x98 is unassigned.
    static constexpr char16_t High[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
        0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
        0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
        0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
        0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
    std::string out;
    for (char ch : S) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, static_cast<char32_t>(c < 0x80 ? c : c < 0xC0 ? High[c - 0x80] : 0x0410 + (c - 0xC0)));
    }
    return out;
}

std::string ShortestNumber(double Value) {
    char buf[40];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string DecimalNumber(double Value) {
    char buf[400];  // the longest is the smallest subnormal, 5e-324 written out
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed);
    return ec == std::errc() && std::isfinite(Value) ? std::string(buf, end) : std::string("0");
}

}  // namespace zylcarto
