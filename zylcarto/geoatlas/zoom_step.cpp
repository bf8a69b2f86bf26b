#include "zylcarto/geoatlas/zoom_step.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/map_viewport.h"

namespace zylcarto {
namespace {

// Magnifications a few rounding steps off 1 count as 1, so that a turn that
// reaches the coarser map's 1:1 exactly lands on that map.
constexpr double Tolerance = 1e-9;

}  // namespace

TMapChange ZoomStepMapChange(const TMapRegistry& Registry, double Lat, double Long, double Resolution, double From,
                             double To, double MinResDiff) {
    if (!std::isfinite(Resolution) || !(Resolution > 0) || !(To > 0)) return {};
    const bool Inwards = To > From;
    // Enlarged beyond 1:1 a map shows no more than its pixels, blocky, while a
    // finer map shows more even when reduced: the boundary is the coarser map's 1:1.
    if (Inwards && !(To > 1 + Tolerance)) return {};
    const int Map = Inwards ? Registry.FindFinerMap(Lat, Long, Resolution, MinResDiff)
                            : Registry.FindCoarserMap(Lat, Long, Resolution);
    if (Map == 0) return {};
    const double Magnify = To * Registry.Maps(Map).Resolution / Resolution;
    if (!Inwards && Magnify > 1 + Tolerance) return {};  // the coarser map would be enlarged
    return {Map, std::clamp(Magnify, TMapViewport::MinMagnify, TMapViewport::MaxMagnify)};
}

}  // namespace zylcarto
