#pragma once
/// @file
/// Where one zoom step of the wheel, a pinch or a key takes an atlas: on within
/// the map shown, or over to a finer or coarser registered map at the same
/// scale on screen. A plain decision on the registry; the atlas carries it out.
#include "zylcarto/geoatlas/map_registry.h"

namespace zylcarto {

/// The map to change to and the magnification to show it at; Map 0 for none.
struct TMapChange {
    /// The registered map's number (1..NumRegMaps), or 0 to stay on the map shown.
    int Map = 0;
    /// The magnification to show Map at; 0 with no change.
    double Magnify = 0;
};

/// A step at (Lat, Long) on a map of Resolution metres per pixel, shown at
/// magnification From, that would show it at To. Inwards it changes to the map
/// FindFinerMap gives once the step would enlarge the current map beyond 1:1,
/// where it shows no more than its pixels and the finer map, even reduced,
/// shows more; outwards to the map FindCoarserMap gives once that map would
/// show at 1:1 or less. Both ways the boundary between two maps is the coarser
/// one's 1:1, so a step in and a step out cross it once each and come back to
/// the same map at the same scale. The new magnification keeps the metres per
/// control pixel (Resolution / To), within the viewport's range. None for a
/// Resolution that is not finite and positive.
TMapChange ZoomStepMapChange(const TMapRegistry& Registry, double Lat, double Long, double Resolution, double From,
                             double To, double MinResDiff);

}  // namespace zylcarto
