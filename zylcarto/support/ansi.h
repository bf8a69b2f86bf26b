#pragma once
/// @file
/// Text in 8-bit fields and files is Windows-1252 on every platform; the public
/// API speaks UTF-8. These convert between the two; they are pure functions,
/// safe from any thread, and never raise.
#include <cstdint>
#include <string>
#include <string_view>

#include "zylcarto/support/export.h"

namespace zylcarto {

namespace detail {
// Unicode code points of Windows-1252 bytes 0x80..0x9F (0 where the byte is undefined).
inline constexpr char32_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                             0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char CodePointToAnsi(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp && cp != 0) return static_cast<char>(0x80 + i);
    return '?';
}

// Decodes one UTF-8 sequence at s[i], advancing i; malformed bytes yield U+FFFD.
constexpr char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i++]);
    if (b0 < 0x80) return b0;
    int extra = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
    } else
        return 0xFFFD;
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    }
    return cp;
}
}  // namespace detail

/// Converts UTF-8 to Windows-1252; characters with no Windows-1252 form become
/// '?', malformed UTF-8 bytes too.
ZYLCARTO_EXPORT std::string Utf8ToAnsi(std::string_view utf8);
/// Converts Windows-1252 to UTF-8; the five undefined bytes become U+FFFD.
ZYLCARTO_EXPORT std::string AnsiToUtf8(std::string_view ansi);

}  // namespace zylcarto
