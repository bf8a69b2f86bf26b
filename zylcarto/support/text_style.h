#pragma once
/// @file
/// Font styles and horizontal text alignment, shared by landmark captions and
/// the canvas that draws them. Plain values.
#include <cstdint>
#include <initializer_list>

namespace zylcarto {

/// One font style; the ordinal is its bit in TFontStyles.
enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using enum TFontStyle;

/// A set of TFontStyle values.
struct TFontStyles {
    /// Bit n set when the style of ordinal n is included.
    std::uint8_t Bits = 0;

    /// The empty set.
    constexpr TFontStyles() = default;
    /// The set of the listed styles, as {fsBold, fsItalic}.
    constexpr TFontStyles(std::initializer_list<TFontStyle> Styles) {
        for (TFontStyle S : Styles) Include(S);
    }
    /// True when S is in the set.
    constexpr bool Contains(TFontStyle S) const { return (Bits >> static_cast<int>(S)) & 1U; }
    /// Adds S.
    constexpr void Include(TFontStyle S) { Bits = static_cast<std::uint8_t>(Bits | (1U << static_cast<int>(S))); }
    /// Removes S.
    constexpr void Exclude(TFontStyle S) { Bits = static_cast<std::uint8_t>(Bits & ~(1U << static_cast<int>(S))); }
    /// True when no style is included.
    constexpr bool Empty() const { return Bits == 0; }
    /// Equal when the same styles are included.
    friend constexpr bool operator==(const TFontStyles&, const TFontStyles&) = default;
};

/// Horizontal alignment of text.
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
using enum TAlignment;

}  // namespace zylcarto
