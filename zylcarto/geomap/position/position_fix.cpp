#include "zylcarto/geomap/position/position_fix.h"

#include <cmath>

#include "zylcarto/geomap/tracks/track_store.h"

namespace zylcarto {

TPositionFix CheckedFix(TPositionFix Fix) {
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    const auto Finite = [](double& V) {
        if (!std::isfinite(V)) V = NaN;
    };
    // The track store's rules, so that a recorded fix is always one it takes.
    TTrackPoint P;
    P.Latitude = Fix.Latitude;
    P.Longitude = Fix.Longitude;
    if (AcceptTrackPoint(P)) {
        Fix.Latitude = P.Latitude;
        Fix.Longitude = P.Longitude;
    } else {
        Fix.Latitude = Fix.Longitude = NaN;
    }
    Finite(Fix.Altitude);
    Finite(Fix.Time);
    Fix.Course = std::isfinite(Fix.Course) ? std::fmod(std::fmod(Fix.Course, 360) + 360, 360) : NaN;
    if (!(Fix.Speed >= 0) || !std::isfinite(Fix.Speed)) Fix.Speed = NaN;
    if (!(Fix.Accuracy > 0) || !std::isfinite(Fix.Accuracy)) Fix.Accuracy = NaN;
    return Fix;
}

}  // namespace zylcarto
