#include "zylcarto/support/strings.h"

#include <cctype>

namespace zylcarto {

int StringIx(std::string_view S, const std::vector<std::string_view>& List) {
    for (std::size_t i = 0; i < List.size(); ++i)
        if (List[i] == S) return static_cast<int>(i) + 1;
    return 0;
}

static bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

static std::size_t NameStart(std::string_view Name) {
    std::size_t i = Name.size();
    while (i > 0 && !IsPathSeparator(Name[i - 1]) && Name[i - 1] != ':') --i;
    return i;
}

static std::size_t ExtensionStart(std::string_view Name) {
    const std::size_t start = NameStart(Name);
    const std::size_t dot = Name.rfind('.');
    if (dot == std::string_view::npos || dot < start) return Name.size();
    return dot;
}

std::string StripExtension(std::string_view Name) { return std::string(Name.substr(0, ExtensionStart(Name))); }
std::string StripPath(std::string_view Name) { return std::string(Name.substr(NameStart(Name))); }
std::string ExtractFilePath(std::string_view Name) { return std::string(Name.substr(0, NameStart(Name))); }
std::string ExtractFileExt(std::string_view Name) { return std::string(Name.substr(ExtensionStart(Name))); }

std::string ReduceStringToFN83CompliantChars(std::string_view S) {
    static constexpr std::string_view kForbidden = " .\"/\\[]:;|=,*?<>+";
    std::string out;
    for (char c : S) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b >= 0x7F || kForbidden.find(c) != std::string_view::npos) continue;
        out += c;
    }
    return out;
}

std::string LowerCase(std::string_view S) {
    std::string out(S);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string UpperCase(std::string_view S) {
    std::string out(S);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool SameText(std::string_view A, std::string_view B) { return A.size() == B.size() && LowerCase(A) == LowerCase(B); }

}  // namespace zylcarto
