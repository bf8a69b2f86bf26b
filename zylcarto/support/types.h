#pragma once
// Types and event signatures shared by the map, the atlas and the database.
#include <cstdint>
#include <functional>

namespace zylcarto {

class TObject;  // defined in component.h: what events pass as Sender

// 32-bit toolkit colour $00BBGGRR.
using TColor = std::uint32_t;

// Days since 30 December 1899, time of day as the fraction, local time.
using TDateTime = double;

struct TRectDouble {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TPoint {
    int X = 0, Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

enum class TFrameStyle : std::uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
using enum TFrameStyle;

enum class TZoomState : std::uint8_t { zsIdle, zsBoxDragging };
using enum TZoomState;

// Mouse drag behaviour of the map; the ordinals are stored by hosts.
enum class TMouseActMode : std::uint8_t {
    maNone = 0,
    maPan = 1,
    maPanHoriz = 2,
    maPanVert = 3,
    maReserved4 = 4,
    maRubberBand = 5,
    maReserved6 = 6,
    maZoomBox = 7,
    maReserved8 = 8,
    maZoomDrag = 9,
    maReserved10 = 10,
    maReserved11 = 11,
    maReserved12 = 12,
    maReserved13 = 13,
    maReserved14 = 14,
    maReserved15 = 15,
    maSelectRect = 16,
    maTrace = 17
};
using enum TMouseActMode;

enum class TMouseBoxState : std::uint8_t { mbsIdle, mbsWaiting, mbsDragging, mbsComplete };
using enum TMouseBoxState;

// A mouse trace point: image pixels (or longitude/latitude when returned to a
// host), a flag word (bit 0 ends a stroke, bit 1 drawn with XOR) and a colour.
struct TColoredPoint {
    double X = 0, Y = 0;
    std::uint16_t Flags = 0;
    TColor Color = 0;
};

enum class TVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };
using enum TVerticalAlignment;

// Degree text formats of DegreeToStr.
enum class TDegreeFormat : std::uint8_t { dfDecimal = 0, dfDegMin = 1, dfDegMinSec = 2 };
using enum TDegreeFormat;

using TZoomPanEvent = std::function<void(TObject* Sender)>;
using TSelectRectEvent =
    std::function<void(TObject* Sender, int Kind, double Left, double Top, double Right, double Bottom)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int Percent)>;
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint Point)>;

}  // namespace zylcarto
