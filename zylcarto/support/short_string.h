#pragma once
/// @file
/// TShortString<N>: the fixed-capacity 8-bit string of the records (a length
/// byte and N Windows-1252 characters), assignable from and readable as UTF-8.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "zylcarto/support/ansi.h"

namespace zylcarto {

/// A string of at most N (1..255) Windows-1252 characters stored in place, as
/// the fixed-size records of files and tables hold text. Text longer than N is
/// cut, never an error; the member functions keep the unused characters zero,
/// so records compare and write byte for byte. A plain value: copy it freely.
template <std::size_t N>
struct TShortString {
    static_assert(N >= 1 && N <= 255, "a short string holds 1 to 255 characters");
    /// The most characters the string holds.
    static constexpr std::size_t Capacity = N;

    /// Number of characters used, 0..N.
    std::uint8_t Len = 0;
    /// The characters, Windows-1252; zero beyond Len.
    std::array<char, N> Chars{};
    /// The last assignment lost something: a character without a Windows-1252
    /// form (stored as '?') or text beyond the capacity. Not part of the stored bytes.
    bool Inexact = false;

    /// The empty string.
    constexpr TShortString() = default;
    /// From UTF-8; converted to Windows-1252 and cut at the capacity.
    constexpr TShortString(std::string_view utf8) { Assign(utf8); }
    /// From a null-terminated UTF-8 string, which must not be null.
    constexpr TShortString(const char* utf8) : TShortString(std::string_view(utf8)) {}
    /// From UTF-8, as the string_view form.
    TShortString(const std::string& utf8) : TShortString(std::string_view(utf8)) {}

    /// Replaces the text by UTF-8 text, converted to Windows-1252 ('?' for a
    /// character it lacks) and cut at the capacity.
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
    /// Replaces the text by raw Windows-1252 bytes, cut at the capacity.
    constexpr void AssignAnsi(std::string_view ansi) {
        Chars = {};
        Len = static_cast<std::uint8_t>(std::min(ansi.size(), N));
        Inexact = ansi.size() > N;
        for (std::size_t i = 0; i < Len; ++i) Chars[i] = ansi[i];
    }
    /// A string of raw Windows-1252 bytes, cut at the capacity.
    static constexpr TShortString FromAnsi(std::string_view ansi) {
        TShortString s;
        s.AssignAnsi(ansi);
        return s;
    }

    /// The Windows-1252 characters in place; valid while the string lives.
    constexpr std::string_view Ansi() const { return std::string_view(Chars.data(), std::min<std::size_t>(Len, N)); }
    /// The text as UTF-8.
    std::string Str() const { return AnsiToUtf8(Ansi()); }
    /// Number of characters, Len.
    constexpr std::size_t Length() const { return Len; }
    /// True when there are no characters.
    constexpr bool Empty() const { return Len == 0; }

    /// Equal when the characters are, byte for byte.
    friend constexpr bool operator==(const TShortString& a, const TShortString& b) { return a.Ansi() == b.Ansi(); }
};

}  // namespace zylcarto
