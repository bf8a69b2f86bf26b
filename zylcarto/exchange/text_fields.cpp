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

std::string ShortestNumber(double Value) {
    char buf[40];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, Value);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

}  // namespace zylcarto
