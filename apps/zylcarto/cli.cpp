#include "cli.h"

#include <charconv>
#include <cmath>
#include <cctype>
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

double ParseDouble(std::string_view Text, std::string_view What) {
    double v = 0;
    const char* last = Text.data() + Text.size();
    auto [ptr, ec] = std::from_chars(AfterPlus(Text), last, v);
    if (Text.empty() || ec != std::errc() || ptr != last || !std::isfinite(v))
        throw EUsageError(std::string(What) + " is not a number: " + Quoted(Text));
    return v;
}

int ParseInt(std::string_view Text, std::string_view What) {
    int v = 0;
    const char* last = Text.data() + Text.size();
    auto [ptr, ec] = std::from_chars(AfterPlus(Text), last, v);
    if (Text.empty() || ec != std::errc() || ptr != last)
        throw EUsageError(std::string(What) + " is not a whole number: " + Quoted(Text));
    return v;
}

std::string FormatFixed(double Value, int Decimals) {
    char buf[512];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
    if (ec != std::errc()) return "nan";
    std::string s(buf, ptr);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0.0000"
    return s;
}

std::string FormatShortest(double Value) {
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, Value);
    return ec == std::errc() ? std::string(buf, ptr) : "nan";
}

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

std::vector<std::string> SplitFields(std::string_view Line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < Line.size()) {
        while (i < Line.size() && std::isspace(static_cast<unsigned char>(Line[i]))) ++i;
        std::size_t j = i;
        while (j < Line.size() && !std::isspace(static_cast<unsigned char>(Line[j]))) ++j;
        if (j > i) out.emplace_back(Line.substr(i, j - i));
        i = j;
    }
    return out;
}

}  // namespace zylcarto::cli
