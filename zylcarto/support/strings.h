#pragma once
// Small string and file-name helpers.
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

// 1-based position of S in List (exact match), 0 when absent.
ZYLCARTO_EXPORT int StringIx(std::string_view S, const std::vector<std::string_view>& List);
template <std::size_t K>
int StringIx(std::string_view S, const std::string_view (&List)[K]) {
    for (std::size_t i = 0; i < K; ++i)
        if (List[i] == S) return static_cast<int>(i) + 1;
    return 0;
}

// Name without its extension; the directory is kept ("a/b.c" -> "a/b").
ZYLCARTO_EXPORT std::string StripExtension(std::string_view Name);
// Name without its directory ("a/b.c" -> "b.c").
ZYLCARTO_EXPORT std::string StripPath(std::string_view Name);
// The directory part including the trailing separator ("a/b.c" -> "a/"), empty when none.
ZYLCARTO_EXPORT std::string ExtractFilePath(std::string_view Name);
// The extension including the dot (".c"), empty when none.
ZYLCARTO_EXPORT std::string ExtractFileExt(std::string_view Name);
// S without the characters that may not stand in an 8.3 file name.
ZYLCARTO_EXPORT std::string ReduceStringToFN83CompliantChars(std::string_view S);

ZYLCARTO_EXPORT std::string LowerCase(std::string_view S);  // ASCII letters only
ZYLCARTO_EXPORT std::string UpperCase(std::string_view S);
ZYLCARTO_EXPORT bool SameText(std::string_view A, std::string_view B);  // ASCII case-insensitive

} // namespace zylcarto
