#pragma once
/// @file
/// What a track amounts to: length along the ellipsoid, time taken, time in
/// motion, height gained and lost. A pure function, safe from any thread.
#include "zylcarto/geomap/tracks/track_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// A leg slower than this many metres per second (1.8 km/h, below any walking
/// pace, above the wander of a receiver standing still) counts as a stop.
inline constexpr double TrackMovingSpeed = 0.5;
/// Rises and falls of elevation smaller than this many metres are taken for the
/// receiver's noise, not for climbing.
inline constexpr double TrackClimbThreshold = 5;

/// The statistics of one track.
struct TTrackStats {
    /// Fixes in all segments.
    std::size_t Points = 0;
    /// Sum of the geodesics between consecutive fixes of each segment, metres;
    /// the gaps between segments are not counted.
    double Length = 0;
    /// At least two fixes carry a time: Duration and MovingTime mean something.
    bool Timed = false;
    /// From the earliest to the latest fix with a time, seconds.
    double Duration = 0;
    /// Sum of the legs within segments, both ends timed, covered at TrackMovingSpeed or faster, seconds.
    double MovingTime = 0;
    /// At least two fixes carry an elevation: Ascent and Descent mean something.
    bool HasElevation = false;
    /// @{
    /// Height gained and lost in metres: the elevations in order, a change counted
    /// once it reaches TrackClimbThreshold from the last counted level (a change
    /// still short of it at the end is left out).
    double Ascent = 0, Descent = 0;
    /// @}
};

/// The statistics of Track. Legs with an end off the ellipsoid count for nothing.
ZYLCARTO_EXPORT TTrackStats TrackStatistics(const TTrack& Track);

}  // namespace zylcarto
