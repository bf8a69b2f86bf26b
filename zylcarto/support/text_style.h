#pragma once
// Font styles and horizontal text alignment, shared by landmark captions and
// the canvas that draws them.
#include <cstdint>
#include <initializer_list>

namespace zylcarto {

enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using enum TFontStyle;

// A set of TFontStyle values.
struct TFontStyles {
    std::uint8_t Bits = 0;

    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> Styles) {
        for (TFontStyle S : Styles) Include(S);
    }
    constexpr bool Contains(TFontStyle S) const { return (Bits >> static_cast<int>(S)) & 1U; }
    constexpr void Include(TFontStyle S) { Bits = static_cast<std::uint8_t>(Bits | (1U << static_cast<int>(S))); }
    constexpr void Exclude(TFontStyle S) { Bits = static_cast<std::uint8_t>(Bits & ~(1U << static_cast<int>(S))); }
    constexpr bool Empty() const { return Bits == 0; }
    friend constexpr bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

} // namespace zylcarto
