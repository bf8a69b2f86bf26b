#pragma once
/// @file
/// Types and event signatures shared by the map, the atlas and the database: plain
/// values without behaviour. An event is called synchronously on the thread that
/// fires it, only when a handler is set, with the component as Sender.
#include <cstdint>
#include <functional>

namespace zylcarto {

class TObject;  // defined in component.h: what events pass as Sender

/// 32-bit toolkit colour $00BBGGRR (red in the low byte).
using TColor = std::uint32_t;

/// Days since 30 December 1899, time of day as the fraction, local time.
using TDateTime = double;

/// A rectangle of doubles, in the caller's unit.
struct TRectDouble {
    /// @{
    /// Edges; which of Top and Bottom is larger depends on the caller's axis.
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    /// @}
};

/// A pixel position.
struct TPoint {
    /// @{
    /// Column and row, in pixels.
    int X = 0, Y = 0;
    /// @}
    /// Equal when both coordinates are.
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

/// A pixel rectangle, or a line from (Left, Top) to (Right, Bottom).
struct TRect {
    /// @{
    /// Edges, in pixels.
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    /// @}
    /// Equal when all four edges are.
    friend bool operator==(const TRect&, const TRect&) = default;
};

/// Frame drawn around a control or a picture.
enum class TFrameStyle : std::uint8_t { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
using enum TFrameStyle;

/// Zoom-box drag of the map: none, or a box being dragged.
enum class TZoomState : std::uint8_t { zsIdle, zsBoxDragging };
using enum TZoomState;

/// Mouse drag behaviour of the map; the ordinals are stored by hosts, and the reserved
/// ones do nothing.
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
    maTrace = 17,
    maMeasure = 18
};
using enum TMouseActMode;

/// Progress of a blocking box request of the map: idle, waiting for the press,
/// dragging, box complete.
enum class TMouseBoxState : std::uint8_t { mbsIdle, mbsWaiting, mbsDragging, mbsComplete };
using enum TMouseBoxState;

/// A mouse trace point.
struct TColoredPoint {
    /// @{
    /// Image pixels while recorded; longitude and latitude in degrees when
    /// returned to a host.
    double X = 0, Y = 0;
    /// @}
    /// Bit 0 ends a stroke, bit 1 draws with XOR; all bits set mark an invalid point.
    std::uint16_t Flags = 0;
    /// Colour of the segment that ends here.
    TColor Color = 0;
};

/// Vertical placement of text against its anchor.
enum class TVerticalAlignment : std::uint8_t { vaTop, vaCenter, vaBottom };
using enum TVerticalAlignment;

/// Degree text formats of DegreeToStr.
enum class TDegreeFormat : std::uint8_t { dfDecimal = 0, dfDegMin = 1, dfDegMinSec = 2 };
using enum TDegreeFormat;

/// Fired after a zoom or pan of the map's view.
using TZoomPanEvent = std::function<void(TObject* Sender)>;
/// Fired when a selection rectangle is released: Kind 1 with longitude, latitude of
/// one corner and of the other in degrees, Kind 0 with image pixels when the map
/// cannot convert them.
using TSelectRectEvent =
    std::function<void(TObject* Sender, int Kind, double Left, double Top, double Right, double Bottom)>;
/// Progress of a long operation, Percent 0..100.
using TOnPercentDoneEvent = std::function<void(TObject* Sender, int Percent)>;
/// A rubber band or selection begins, continues or ends at Point, in image pixels.
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint Point)>;

}  // namespace zylcarto
