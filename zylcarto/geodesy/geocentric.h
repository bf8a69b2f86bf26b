#pragma once
// Earth-centred cartesian coordinates and the Helmert datum shift between the
// datums of GeoDatumData.
#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

// Lat, Long in degrees; Height, X, Y, Z in metres.
ZYLCARTO_EXPORT void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid E, double& X, double& Y, double& Z);
// Closed form (no iteration). On the polar axis: latitude +-90, longitude 0,
// height above the pole.
ZYLCARTO_EXPORT void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid E, double& Lat, double& Long, double& Height);

// Status of HelmertTransform. A later failing check replaces an earlier one.
inline constexpr int htOK = 0;
inline constexpr int htBadSourceDatum = -1;   // not in 1..GeoDatumCount
inline constexpr int htBadDestDatum = -2;     // not in 1..GeoDatumCount
inline constexpr int htBadLatitude = -3;      // outside -90..90, or a non-finite height
inline constexpr int htBadLongitude = -4;     // outside -180..180

// Shifts a position from datum SrcDatum to DstDatum through WGS 84. The shift
// is carried out for bad latitudes and longitudes too; for a bad datum number
// the outputs are the inputs.
ZYLCARTO_EXPORT int HelmertTransform(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2,
                     double& Long2, double& Height2);

} // namespace zylcarto
