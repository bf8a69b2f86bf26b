#pragma once
/// @file
/// Earth-centred cartesian coordinates and the Helmert datum shift between the
/// datums of GeoDatumData.
///
/// Latitude and longitude are decimal degrees (positive north and east),
/// heights above the ellipsoid and cartesian coordinates are metres. All
/// functions are pure and safe to call from any thread; none raises. Only
/// HelmertTransform reports a failure, through its status.
///
/// Accuracy, measured on WGS 84 against GeographicLib's Geocentric for heights
/// from -10 km to 20 km (tests/geodesy/test_reference_geographiclib.cpp holds
/// these limits): GeoToCartesian 0.0002 mm (held: 0.001 mm), CartesianToGeo
/// 0.0017 mm (held: 0.002 mm); at 1000 km height CartesianToGeo stays within
/// 0.001 mm. The step of HelmertTransform to WGS 84 agrees with PROJ's helmert
/// (position-vector convention) to 0.0011 mm (held: 0.002 mm,
/// tests/geodesy/test_reference_proj.cpp).
///
/// Cost, measured with bench/geodesy on one 2.6 GHz core: GeoToCartesian 47,
/// CartesianToGeo 21 and HelmertTransform 12 million points per second.
/// tests/geodesy/test_geocentric.cpp holds the round-trip figures of
/// HelmertTransform.
#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// Geographic to cartesian on ellipsoid E: Lat, Long in degrees and Height in
/// metres above the ellipsoid give X (towards 0° E on the equator), Y (towards
/// 90° E) and Z (towards the north pole) in metres from the ellipsoid's centre.
/// Lat is meant for -90..90; any finite longitude works. Spheres are accepted.
ZYLCARTO_EXPORT void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid E, double& X, double& Y,
                                    double& Z);
/// Cartesian to geographic on ellipsoid E, in closed form (no iteration): X, Y,
/// Z in metres give Lat in -90..90 and Long in -180..180 degrees and Height in
/// metres above the ellipsoid. On the polar axis (X = Y = 0) the result is
/// latitude ±90, longitude 0 and the height above the pole. Spheres are accepted.
ZYLCARTO_EXPORT void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid E, double& Lat, double& Long,
                                    double& Height);

/// HelmertTransform succeeded.
inline constexpr int htOK = 0;
/// HelmertTransform: the source datum is not in 1..GeoDatumCount.
inline constexpr int htBadSourceDatum = -1;
/// HelmertTransform: the destination datum is not in 1..GeoDatumCount.
inline constexpr int htBadDestDatum = -2;
/// HelmertTransform: the latitude is outside -90..90 or not a number, or the
/// height is not finite.
inline constexpr int htBadLatitude = -3;
/// HelmertTransform: the longitude is outside -180..180 or not a number.
inline constexpr int htBadLongitude = -4;

/// Shifts a position from datum SrcDatum to datum DstDatum (row numbers of
/// GeoDatumData, 1..GeoDatumCount) through WGS 84: Lat, Long in degrees and
/// Height in metres on the source datum's ellipsoid give Lat2, Long2, Height2 on
/// the destination's.
///
/// Returns htOK or the failing check's status. The checks run in the order
/// source, destination, latitude, longitude, and a later failing check replaces
/// the status of an earlier one. The shift is still carried out for a bad
/// latitude or longitude; for a bad datum number the outputs are the inputs.
///
/// The step to WGS 84 is the row's seven-parameter transformation; the step
/// back to the destination applies the destination row's parameters negated, a
/// first-order inverse. A round trip A → WGS 84 → A thus returns within
/// 0.004 mm for rows with a translation only, but only within 65 mm for the
/// rows with the largest rotations (about 12 arc seconds). The table's
/// parameters themselves are good to about a metre (see datums.h).
ZYLCARTO_EXPORT int HelmertTransform(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2,
                                     double& Long2, double& Height2);
/// HelmertTransform with the step back from WGS 84 inverted exactly: the
/// destination row's transformation (rotation matrix, scale and translation)
/// is solved for the datum coordinates instead of applied with its parameters
/// negated. Parameters, statuses and checks are those of HelmertTransform. A
/// round trip A → WGS 84 → A returns within 0.004 mm on every row, and PROJ's
/// helmert (position-vector convention) takes the step's result back to the
/// WGS 84 position within 0.002 mm, where the first-order step misses it by up
/// to 64 mm and PROJ's own inverse, which transposes the small-angle rotation
/// matrix, by up to 33 mm (tests/geodesy/test_geocentric.cpp and
/// test_reference_proj.cpp).
ZYLCARTO_EXPORT int HelmertTransformExact(int SrcDatum, double Lat, double Long, double Height, int DstDatum,
                                          double& Lat2, double& Long2, double& Height2);

}  // namespace zylcarto
