#include "zylcarto/geomap/tracks/track_stats.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geodesy/geodesic.h"

namespace zylcarto {

TTrackStats TrackStatistics(const TTrack& Track) {
    constexpr double kSecondsPerDay = 86400;
    TTrackStats s;
    double first = NAN, last = NAN;  // earliest and latest time
    int timed = 0, elevated = 0;
    double level = NAN;  // the last elevation counted
    for (const TTrackSegment& seg : Track.Segments) {
        const TTrackPoint* prev = nullptr;
        for (const TTrackPoint& p : seg.Points) {
            ++s.Points;
            if (std::isfinite(p.Time)) {
                ++timed;
                first = std::isnan(first) ? p.Time : std::min(first, p.Time);
                last = std::isnan(last) ? p.Time : std::max(last, p.Time);
            }
            if (std::isfinite(p.Elevation)) {
                if (++elevated == 1) level = p.Elevation;
                const double rise = p.Elevation - level;
                if (std::fabs(rise) >= TrackClimbThreshold) {
                    (rise > 0 ? s.Ascent : s.Descent) += std::fabs(rise);
                    level = p.Elevation;
                }
            }
            if (prev) {
                const double d =
                    GeodesicInverse({prev->Latitude, prev->Longitude}, {p.Latitude, p.Longitude}).Distance;
                if (std::isfinite(d)) {
                    s.Length += d;
                    const double dt = (p.Time - prev->Time) * kSecondsPerDay;  // NaN unless both are timed
                    if (dt > 0 && d / dt >= TrackMovingSpeed) s.MovingTime += dt;
                }
            }
            prev = &p;
        }
    }
    s.Timed = timed >= 2;
    if (s.Timed) s.Duration = (last - first) * kSecondsPerDay;
    s.HasElevation = elevated >= 2;
    return s;
}

}  // namespace zylcarto
