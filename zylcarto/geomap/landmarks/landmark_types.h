#pragma once
/// @file
/// A landmark of a map: position, class, user tag, symbol, caption, identifier,
/// time. Plain values, copied freely, safe to use from any thread.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "zylcarto/support/short_string.h"
#include "zylcarto/support/text_style.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// The shape of a landmark symbol; the library draws nothing for lmUserDef, which
/// is left to the host.
enum class TLandMarkElement : std::uint8_t {
    lmPlus,
    lmSquare,
    lmTriangle,
    lmCircle,
    lmArrowFrom,
    lmArrowTo,
    lmCrossBox,
    lmSpade,
    lmCross,
    lmUserDef
};
using enum TLandMarkElement;

/// Display names of the symbol elements, in enumeration order.
inline constexpr std::array<std::string_view, 10> LMTypeNames{
    "Plus", "Square", "Triangle", "Circle", "ArrowFrom", "ArrowTo", "CrossBox", "Spade", "Cross", "User-Defined"};

/// A landmark identifier, at most 15 characters (longer ones are cut).
using TLMIdentifier = TShortString<15>;
/// A caption text, at most 80 characters (longer ones are cut).
using TLMText = TShortString<80>;

/// How a landmark's symbol is drawn.
struct TSymbolProperties {
    /// The shape.
    TLandMarkElement Kind = lmCross;
    /// Half-width in pixels.
    int Size = 7;
    /// Line colour.
    TColor FGColor = 0xFF0000;
    /// Fill colour.
    TColor BGColor = 0xFFFFFF;
    /// No fill.
    bool Transparent = false;
    /// Degrees, 0 up, clockwise (arrows).
    int Direction = 0;
    /// Arrow shaft in pixels.
    int Length = 10;
    /// Equal when every field is.
    friend bool operator==(const TSymbolProperties&, const TSymbolProperties&) = default;
};

/// A landmark's caption and how it is drawn.
struct TLMTextProperties {
    /// The text; empty draws no caption.
    TLMText Text;
    /// Font size in points.
    int Size = 8;
    /// Font family.
    std::string FontName = "MS Sans Serif";
    /// Bold, italic, underline, strike-out.
    TFontStyles FontStyles;
    /// Text colour.
    TColor FGColor = 0;
    /// Background colour.
    TColor BGColor = 0xFFFFFF;
    /// No background.
    bool Transparent = true;
    /// @{
    /// Offset of the anchor from the symbol centre, pixels (y down).
    int dx = 0, dy = 8;
    /// @}
    /// Text angle in degrees, counter-clockwise.
    int Direction = 0;
    /// Horizontal placement against the anchor.
    TAlignment HAlignment = taCenter;
    /// Vertical placement against the anchor.
    TVerticalAlignment VAlignment = vaTop;
    /// Equal when every field is.
    friend bool operator==(const TLMTextProperties&, const TLMTextProperties&) = default;
};

/// One landmark. The defaults of the members are those of a new map's default
/// landmark.
struct TLandMark {
    /// @{
    /// Position in degrees, positive north and east.
    double Latitude = 0, Longitude = 0;
    /// @}
    /// Altitude, the caller's value and unit.
    double Altitude = 0;
    /// Class 0..255, for visibility and class-wise removal.
    std::uint8_t ClassFlag = 0;
    /// Free value of the host.
    std::int32_t Tag = 0;
    /// The symbol.
    TSymbolProperties SymbolProps;
    /// The caption.
    TLMTextProperties Caption;
    /// The host's identifier.
    TLMIdentifier Identifier;
    /// The host's time stamp.
    TDateTime Time = 0;
    /// Equal when every field is.
    friend bool operator==(const TLandMark&, const TLandMark&) = default;
};

/// True when the identifier or the caption text lost something on the way in:
/// a character without a Windows-1252 form, stored as "?", or text beyond 15
/// (identifier) or 80 (caption) characters, cut (TShortString::Inexact).
inline bool TextAltered(const TLandMark& L) { return L.Identifier.Inexact || L.Caption.Text.Inexact; }

/// What OnLandMarkAction asks about.
enum class TLandMarkAction : std::uint8_t { lmaAdd, lmaRemove };
using enum TLandMarkAction;

/// Asked before a landmark is added (the complete new record) or removed (the
/// entry in the list); leaving Allowed false vetoes that landmark.
using TLandMarkActionEvent =
    std::function<void(TObject* Sender, bool& Allowed, TLandMarkAction Action, const TLandMark& LandMarkData)>;

}  // namespace zylcarto
