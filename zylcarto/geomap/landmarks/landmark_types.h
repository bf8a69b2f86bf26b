#pragma once
// A landmark of a map: position, class, user tag, symbol, caption, identifier, time.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "zylcarto/support/short_string.h"
#include "zylcarto/support/text_style.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

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

// Display names of the symbol elements, in enumeration order.
inline constexpr std::array<std::string_view, 10> LMTypeNames{
    "Plus", "Square", "Triangle", "Circle", "ArrowFrom", "ArrowTo", "CrossBox", "Spade", "Cross", "User-Defined"};

using TLMIdentifier = TShortString<15>;
using TLMText = TShortString<80>;

struct TSymbolProperties {
    TLandMarkElement Kind = lmCross;
    int Size = 7;  // half-width in pixels
    TColor FGColor = 0xFF0000;
    TColor BGColor = 0xFFFFFF;
    bool Transparent = false;  // no fill
    int Direction = 0;         // degrees, 0 up, clockwise
    int Length = 10;           // arrow shaft in pixels
    friend bool operator==(const TSymbolProperties&, const TSymbolProperties&) = default;
};

struct TLMTextProperties {
    TLMText Text;
    int Size = 8;
    std::string FontName = "MS Sans Serif";
    TFontStyles FontStyles;
    TColor FGColor = 0;
    TColor BGColor = 0xFFFFFF;
    bool Transparent = true;  // no background
    int dx = 0, dy = 8;       // offset from the symbol centre, pixels
    int Direction = 0;        // degrees
    TAlignment HAlignment = taCenter;
    TVerticalAlignment VAlignment = vaTop;
    friend bool operator==(const TLMTextProperties&, const TLMTextProperties&) = default;
};

// The defaults of the members are those of a new map's default landmark.
struct TLandMark {
    double Latitude = 0, Longitude = 0;
    double Altitude = 0;
    std::uint8_t ClassFlag = 0;
    std::int32_t Tag = 0;
    TSymbolProperties SymbolProps;
    TLMTextProperties Caption;
    TLMIdentifier Identifier;
    TDateTime Time = 0;
    friend bool operator==(const TLandMark&, const TLandMark&) = default;
};

enum class TLandMarkAction : std::uint8_t { lmaAdd, lmaRemove };
using enum TLandMarkAction;

using TLandMarkActionEvent =
    std::function<void(TObject* Sender, bool& Allowed, TLandMarkAction Action, const TLandMark& LandMarkData)>;

}  // namespace zylcarto
