#pragma once
// TShortString<N>: the fixed-capacity 8-bit string of the records (a length
// byte and N Windows-1252 characters), assignable from and readable as UTF-8.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "zylcarto/support/ansi.h"

namespace zylcarto {

template <std::size_t N>
struct TShortString {
    static_assert(N >= 1 && N <= 255, "a short string holds 1 to 255 characters");
    static constexpr std::size_t Capacity = N;

    std::uint8_t Len = 0;
    std::array<char, N> Chars{};
    // The last assignment lost something: a character without a Windows-1252
    // form (stored as '?') or text beyond the capacity. Not part of the stored bytes.
    bool Inexact = false;

    constexpr TShortString() = default;
    // From UTF-8; converted to Windows-1252 and cut at the capacity.
    constexpr TShortString(std::string_view utf8) { Assign(utf8); }
    constexpr TShortString(const char* utf8) : TShortString(std::string_view(utf8)) {}
    TShortString(const std::string& utf8) : TShortString(std::string_view(utf8)) {}

    constexpr void Assign(std::string_view utf8) {
        Len = 0;
        Chars = {};
        Inexact = false;
        std::size_t i = 0;
        while (i < utf8.size() && Len < N) {
            const char32_t cp = detail::DecodeUtf8(utf8, i);
            const char c = detail::CodePointToAnsi(cp);
            Inexact = Inexact || (c == '?' && cp != U'?');
            Chars[Len++] = c;
        }
        Inexact = Inexact || i < utf8.size();
    }
    // Raw Windows-1252 bytes, cut at the capacity.
    constexpr void AssignAnsi(std::string_view ansi) {
        Chars = {};
        Len = static_cast<std::uint8_t>(std::min(ansi.size(), N));
        Inexact = ansi.size() > N;
        for (std::size_t i = 0; i < Len; ++i) Chars[i] = ansi[i];
    }
    static constexpr TShortString FromAnsi(std::string_view ansi) {
        TShortString s;
        s.AssignAnsi(ansi);
        return s;
    }

    constexpr std::string_view Ansi() const { return std::string_view(Chars.data(), std::min<std::size_t>(Len, N)); }
    std::string Str() const { return AnsiToUtf8(Ansi()); }
    constexpr std::size_t Length() const { return Len; }
    constexpr bool Empty() const { return Len == 0; }

    friend constexpr bool operator==(const TShortString& a, const TShortString& b) { return a.Ansi() == b.Ansi(); }
};

} // namespace zylcarto
