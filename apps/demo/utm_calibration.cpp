#include "utm_calibration.h"

#include <numbers>

#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::demo {
namespace {

constexpr double UTMScale = 0.9996;
constexpr double FalseEasting = 500000;
constexpr double FalseNorthingSouth = 10000000;

}  // namespace

bool ToUTMCalibration(const TCalibData& Geographic, TCalibData& UTM) {
    const TCornerArray& C = Geographic.Corners;
    const double Lat = (C[gcoTopLeft].Latit + C[gcoBottomRight].Latit) / 2;
    const double Long = (C[gcoTopLeft].Longit + C[gcoBottomRight].Longit) / 2;
    int Zone = 0;
    double Easting = 0, Northing = 0;
    LatLongToUTM(Lat, Long, Geographic.Ellipsoid, Zone, Easting, Northing);
    if (Zone < 1) return false;
    UTM = Geographic;
    UTM.UTMZone = Zone;
    UTM.UTMSouth = Lat < 0;
    const double Lambda0 = UTMCentralMeridian(Zone);
    for (int i = 1; i <= UsedCalQuads(UTM); ++i) {
        TCalQuad& Q = UTM.CalQuads[i];
        double X = 0, Y = 0;
        LatLongToTM(Q.Latitude * DegToRad, Q.Longitude * DegToRad, Lambda0, UTM.Ellipsoid, X, Y);
        Q.Latitude = UTMScale * Y + (UTM.UTMSouth ? FalseNorthingSouth : 0);
        Q.Longitude = UTMScale * X + FalseEasting;
    }
    return true;
}

}  // namespace zylcarto::demo
