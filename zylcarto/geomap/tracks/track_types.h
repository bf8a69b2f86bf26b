#pragma once
/// @file
/// Tracks (where a traveller went: segments of timed fixes) and routes (where one
/// means to go: named points in order). Plain values, copied freely, safe to use
/// from any thread. Names are UTF-8, as GPX carries them.
#include <limits>
#include <string>
#include <vector>

#include "zylcarto/support/types.h"

namespace zylcarto {

/// One fix of a track. Values a receiver did not give are NaN.
struct TTrackPoint {
    /// @{
    /// Position in degrees, positive north and east.
    double Latitude = 0, Longitude = 0;
    /// @}
    /// Height in metres; NaN when unknown.
    double Elevation = std::numeric_limits<double>::quiet_NaN();
    /// UTC; NaN when unknown.
    TDateTime Time = std::numeric_limits<double>::quiet_NaN();
    /// Speed over ground in metres per second; NaN when unknown.
    double Speed = std::numeric_limits<double>::quiet_NaN();
};

/// Fixes recorded without a break; a track's segments are not joined when drawn
/// or measured.
struct TTrackSegment {
    /// The fixes in the order they were taken.
    std::vector<TTrackPoint> Points;
};

/// A recorded track and how it is drawn.
struct TTrack {
    /// The track's name.
    std::string Name;
    /// Line colour.
    TColor Color = 0x0000FF;
    /// Line width in pixels.
    int Width = 2;
    /// The segments in order.
    std::vector<TTrackSegment> Segments;
    /// Number of fixes in all segments.
    std::size_t NumPoints() const {
        std::size_t n = 0;
        for (const TTrackSegment& s : Segments) n += s.Points.size();
        return n;
    }
};

/// A point of a route.
struct TRoutePoint {
    /// @{
    /// Position in degrees, positive north and east.
    double Latitude = 0, Longitude = 0;
    /// @}
    /// Height in metres; NaN when unknown.
    double Elevation = std::numeric_limits<double>::quiet_NaN();
    /// The point's name.
    std::string Name;
    /// UTC, when the route was planned with one; NaN when unknown.
    TDateTime Time = std::numeric_limits<double>::quiet_NaN();
};

/// A planned route and how it is drawn.
struct TRoute {
    /// The route's name.
    std::string Name;
    /// Line colour.
    TColor Color = 0xFF00FF;
    /// Line width in pixels.
    int Width = 2;
    /// The points in the order they are to be passed.
    std::vector<TRoutePoint> Points;
};

}  // namespace zylcarto
