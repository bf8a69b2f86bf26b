#include "zylcarto/geomap/view/utm_overlay.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

TUTMGridFrame::TUTMGridFrame(const TMapCalibration& Calib, double X, double Y) : FCalib(Calib) {
    const TCalibData& D = Calib.CalibData();
    if (Calib.CalibModel() == cmUTM) {
        FValid = FStraight = true;
        FZone = D.UTMZone;
        FSouth = D.UTMSouth;
        return;
    }
    if (D.UTMZone >= 1 && D.UTMZone <= 60) {
        FValid = true;
        FZone = D.UTMZone;
        FSouth = D.UTMSouth;
        return;
    }
    double Lat = 0, Long = 0, E = 0, N = 0;
    if (!Calib.CalcPositionFrac(X, Y, Lat, Long)) return;
    // 180 E is 180 W, the western edge of zone 1.
    LatLongToUTM(Lat, Long >= 180 ? Long - 360 : Long, D.Ellipsoid, FZone, E, N);
    FSouth = Lat < 0;
    FValid = FZone != 0;
}

bool TUTMGridFrame::ToGrid(double X, double Y, double& Easting, double& Northing) const {
    if (!FValid) return false;
    if (FStraight) return FCalib.CalcGridFrac(X, Y, Northing, Easting);
    double Lat = 0, Long = 0;
    if (!FCalib.CalcPositionFrac(X, Y, Lat, Long)) return false;
    // In zones 1 and 60 the map may reach across the antimeridian: measured from
    // the zone's own meridian, not from the far side of the globe.
    LatLongToUTMInZone(Lat, UnwrapLongitude(Long, FZone * 6.0 - 183.0), FZone, FSouth, FCalib.CalibData().Ellipsoid,
                       Easting, Northing);
    return std::isfinite(Easting) && std::isfinite(Northing);
}

bool TUTMGridFrame::ToPixel(double Easting, double Northing, double& X, double& Y) const {
    if (!FValid) return false;
    if (FStraight) return FCalib.CalcPixelCoordsUTMFrac(Northing, Easting, X, Y);
    double Lat = 0, Long = 0;
    UTMToLatLong(Easting, Northing, FZone, FSouth, FCalib.CalibData().Ellipsoid, Lat, Long);
    return FCalib.CalcPixelCoordsFrac(Lat, Long, X, Y);
}

bool TUTMGridFrame::RangeOver(double Left, double Top, double Right, double Bottom, TUTMGridRange& Range) const {
    // Easting and northing change monotonically enough across a map that their
    // limits lie on its border; a few points per side find them.
    constexpr int PointsPerSide = 16;
    bool Any = false;
    const auto Take = [&](double X, double Y) {
        double E = 0, N = 0;
        if (!ToGrid(X, Y, E, N)) return;
        if (!Any) Range = {E, E, N, N};
        Range = {std::min(Range.EastMin, E), std::max(Range.EastMax, E), std::min(Range.NorthMin, N),
                 std::max(Range.NorthMax, N)};
        Any = true;
    };
    for (int k = 0; k <= PointsPerSide; ++k) {
        const double f = double(k) / PointsPerSide;
        const double X = Left + f * (Right - Left), Y = Top + f * (Bottom - Top);
        Take(X, Top);
        Take(X, Bottom);
        Take(Left, Y);
        Take(Right, Y);
    }
    return Any;
}

double UTMGridStep(int GridDist, double NorthingExtent) {
    if (GridDist >= 1) return GridDist;
    return std::max(1.0, Round125(std::abs(NorthingExtent) / 10));
}

}  // namespace zylcarto
