#include "zylcarto/geoatlas/zoom_step.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/map_viewport.h"

namespace zylcarto {
namespace {

// Magnifications a few rounding steps off 1 count as 1, so that a turn that
// reaches a finer map's 1:1 exactly lands on that map.
constexpr double Tolerance = 1e-9;

}  // namespace

TMapChange ZoomStepMapChange(const TMapRegistry& Registry, double Lat, double Long, double Resolution, double From,
                             double To, double MinResDiff) {
    if (!std::isfinite(Resolution) || !(Resolution > 0) || !(To > 0)) return {};
    int Map = 0;
    if (To > From)
        Map = Registry.FindFinerMap(Lat, Long, Resolution, MinResDiff);
    else if (To < 1 - Tolerance)
        Map = Registry.FindCoarserMap(Lat, Long, Resolution);
    if (Map == 0) return {};
    const double Magnify = To * Registry.Maps(Map).Resolution / Resolution;
    if (To > From && Magnify < 1 - Tolerance) return {};  // the finer map would show less than it has
    return {Map, std::clamp(Magnify, TMapViewport::MinMagnify, TMapViewport::MaxMagnify)};
}

}  // namespace zylcarto
