#include "cli.h"

#include <charconv>
#include <cmath>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zylcarto::cli {

static std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

Registrar::Registrar(Command c) { Registry().push_back(std::move(c)); }

const std::vector<Command>& Commands() { return Registry(); }

std::string Quoted(std::string_view text) {
    constexpr std::size_t Limit = 80;
    if (text.size() <= Limit) return "\"" + std::string(text) + "\"";
    return "\"" + std::string(text.substr(0, Limit)) + "\"... (" + std::to_string(text.size()) + " bytes)";
}

void WriteOut(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
        throw OperationFailed(std::string("cannot write to standard output: ") + std::strerror(errno));
}

// The digits after one optional sign: from_chars takes "-" itself, so "+-5" must be caught here.
static const char* AfterPlus(std::string_view text) {
    const char* first = text.data();
    if (!text.empty() && *first == '+' && (text.size() == 1 || (first[1] != '-' && first[1] != '+'))) ++first;
    return first;
}

double ParseDouble(std::string_view text, std::string_view what) {
    double v = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(AfterPlus(text), last, v);
    if (text.empty() || ec != std::errc() || ptr != last || !std::isfinite(v))
        throw UsageError(std::string(what) + " is not a number: " + Quoted(text));
    return v;
}

int ParseInt(std::string_view text, std::string_view what) {
    int v = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(AfterPlus(text), last, v);
    if (text.empty() || ec != std::errc() || ptr != last)
        throw UsageError(std::string(what) + " is not a whole number: " + Quoted(text));
    return v;
}

std::string FormatFixed(double value, int decimals) {
    char buf[512];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return "nan";
    std::string s(buf, ptr);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0.0000"
    return s;
}

std::string FormatShortest(double value) {
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, ptr) : "nan";
}

std::optional<std::string> TakeOption(Args& args, std::string_view name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) throw UsageError("option " + std::string(name) + " needs a value");
        std::string value = args[i + 1];
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        return value;
    }
    return std::nullopt;
}

bool TakeFlag(Args& args, std::string_view name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

void RejectUnknownOptions(const Args& args) {
    for (const auto& a : args) {
        // "-5" is a number, not an option
        if (a.size() > 2 && a[0] == '-' && a[1] == '-') throw UsageError("unknown option " + a);
    }
}

std::vector<std::string> SplitFields(std::string_view line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        std::size_t j = i;
        while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j]))) ++j;
        if (j > i) out.emplace_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

} // namespace zylcarto::cli
