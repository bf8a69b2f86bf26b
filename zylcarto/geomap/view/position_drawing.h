#pragma once
// The live position over the map: a marker turned to the course, the accuracy
// circle at the map's scale and a fading trail of the last fixes. Drawing only;
// the map control keeps the state.
#include <deque>

#include "zylcarto/geomap/position/position_fix.h"
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/map_viewport.h"

namespace zylcarto {

class TMapCalibration;

struct TPositionDisplay {
    TPositionFix Fix;              // the last fix with a position; nothing is drawn without one
    bool Current = false;          // false: the marker is greyed (no fix now, or a stale one)
    std::deque<TPositionFix> Trail;  // the last fixes with a position, the oldest first
};

// Draws the trail, the accuracy circle and the marker in control pixels; the
// canvas's painter state is restored.
void DrawPosition(TCanvas& Canvas, const TPositionDisplay& Position, const TMapCalibration& Calib,
                  const TMapViewport& View);

}  // namespace zylcarto
