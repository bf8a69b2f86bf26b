#pragma once
/// @file
/// What a host of the map control names besides the control itself: the overlay
/// choice, the flags of mouse trace points and the drawing hooks it assigns.
/// Plain values and handler types, usable from any thread.
#include <cstdint>
#include <functional>

#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TObject;
struct TLandMark;

/// What overlay is drawn over the map image: the calibration point markers, the
/// graticule of parallels and meridians, the UTM grid, or the markers with either.
enum class TShowGrat : std::uint8_t { sgNone, sgPoints, sgLines, sgPointsAndLines, sgUTMGrid, sgPointsAndUTMGrid };
using enum TShowGrat;

/// A host's drawing onto the composed picture, in control pixels; Sender is the
/// map. View is the view being composed, which is the control's own on the
/// screen but another in bitmap exports, map windows and prints: image pixels
/// go to the canvas with View.ImageToControl.
using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas, const TMapViewport& View)>;
/// A host's drawing of one landmark at APoint (control pixels); setting Handled
/// leaves out the library's symbol and caption.
using TDrawLandMarkEvent = std::function<void(TObject* Sender, bool& Handled, TCanvas& Canvas, const TPoint& APoint,
                                              const TLandMark& LandMarkData)>;

/// Flag bit of a mouse trace point: no segment leads from it to the next point.
inline constexpr std::uint16_t TraceEndsStroke = 1U << 0;
/// Flag bit of a mouse trace point: the segment ending there is drawn with XOR.
inline constexpr std::uint16_t TraceDrawnXor = 1U << 1;
/// All bits: a point that does not convert.
inline constexpr std::uint16_t TraceInvalid = 0xFFFF;

}  // namespace zylcarto
