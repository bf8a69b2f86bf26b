#pragma once
/// @file
/// Transverse Mercator by series expansion, and the UTM and UPS grids built on it.
///
/// Two layers with different units: the TM layer (ArcLengthOfMeridian,
/// FootpointLatitude, UTMCentralMeridian, LatLongToTM, TMToLatLong) works in
/// radians and unscaled metres, with scale 1 on the central meridian and no
/// false origin; the grid layer (the UTM, UPS, zone and general Transverse
/// Mercator functions) takes latitude and longitude in decimal degrees, positive
/// north and east, and gives grid metres. All functions are pure: no state and no
/// allocation (but for the string GeoToUTMZone returns), safe to call from any
/// thread. None raises. Non-finite input gives no answer.
///
/// Transverse Mercator is computed by Krüger's series to sixth order in the
/// third flattening (the method of Karney 2011, as GeographicLib's
/// TransverseMercator), through the conformal latitude, so that it holds up to
/// the poles and far from the central meridian. Range and accuracy:
/// - answers are given within one rectifying radius of the ellipsoid (6367 km on
///   WGS 84) of the central meridian on the unscaled grid, whatever the latitude:
///   up to 49.6° of longitude on the equator, and every longitude beyond 40.6° of
///   latitude (across the pole too); beyond it the conversions return false and
///   NaN;
/// - within that range the result is within 0.001 mm of GeographicLib's exact
///   Transverse Mercator on the catalogue ellipsoids (both ways; tested to
///   0.01 mm), and within 1 mm on a user ellipsoid of reciprocal flattening down
///   to TMMinRecipFlattening;
/// - UPS beyond the UTM area: 0.00003 mm of GeographicLib both ways.
/// Longitudes given back lie in -180..180.
///
/// Cost, measured with bench/geodesy on one core of a loaded 2-core machine
/// (10^6 random points): UTM forward 10.1 and inverse 10.8 million points per
/// second, 3.4 and 4.2 times GeographicLib, 1.16 and 1.21 times PROJ's
/// proj_trans_generic; GeoToTM and TMToGeo 5.8 and 5.2 million, as they work out
/// the series of their parameters on every call (the batch functions of batch.h
/// do that once: 11.5 and 11.3 million); UPS forward 21 and inverse 4.7 million.
#include <string>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// Length of the meridian arc from the equator to latitude Phi, in metres, on
/// ellipsoid E (five-term series in the third flattening). Phi in radians; the
/// series is meant for -pi/2..pi/2 and is odd in Phi (negative south).
ZYLCARTO_EXPORT double ArcLengthOfMeridian(double Phi, TGeoEllipsoid E);
/// The footpoint latitude, in radians, whose meridian arc on E is Y metres: the
/// inverse series of ArcLengthOfMeridian. (The projection itself goes through
/// the conformal latitude and uses neither.)
ZYLCARTO_EXPORT double FootpointLatitude(TGeoEllipsoid E, double Y);
/// Central meridian of UTM zone Zone in radians, (6·Zone - 183)°; 0 for a zone
/// outside 1..60.
ZYLCARTO_EXPORT double UTMCentralMeridian(int Zone);

/// Transverse Mercator forward: projects latitude Phi and longitude Lambda with
/// central meridian Lambda0 (all radians) onto X (east of the meridian) and Y
/// (north of the equator), in metres at scale 1 with no false origin. Returns
/// false, X and Y NaN, for a point beyond the range of the file description.
ZYLCARTO_EXPORT bool LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid E, double& X, double& Y);
/// Transverse Mercator inverse: X, Y in metres (scale 1, no false origin) and
/// central meridian Lambda0 in radians give Phi and Lambda in radians, Lambda in
/// -pi..pi. Y beyond a pole gives the point over it, on the opposite side.
/// Returns false, Phi and Lambda NaN, beyond the range of the file description
/// (or beyond half a turn of the meridian).
ZYLCARTO_EXPORT bool TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid E, double& Phi, double& Lambda);

/// UTM forward: Lat, Long in degrees on ellipsoid E give the zone (with the
/// Norway and Svalbard exceptions, as GeoToUTMZone), Easting (false easting
/// 500000 m) and Northing in metres, scale 0.9996 on the central meridian.
/// The hemisphere follows from the sign of the northing: southern positions
/// carry the false northing of 10000000 m. A point outside the UTM area
/// (latitude outside -80..84, longitude outside -180..180, or NaN) gets Zone 0
/// and is still projected, with the central meridian 0, as far as the range of
/// the series goes (NaN beyond). Returns true for a point inside the UTM area;
/// longitude 180 is the meridian of -180, in zone 1.
ZYLCARTO_EXPORT bool LatLongToUTM(double Lat, double Long, TGeoEllipsoid E, int& Zone, double& Easting,
                                  double& Northing);
/// UTM inverse: Easting and Northing in metres in zone Zone (South when the
/// northing carries the southern false northing) give Lat and Long in degrees,
/// Long in -180..180. A zone outside 1..60 uses the central meridian 0. Returns
/// false, Lat and Long NaN, for a position beyond the range of the series.
ZYLCARTO_EXPORT bool UTMToLatLong(double Easting, double Northing, int Zone, bool South, TGeoEllipsoid E, double& Lat,
                                  double& Long);
/// UTM forward into a given zone and hemisphere, also beyond the zone's borders
/// or the equator, as a map that crosses them needs for its whole area. Units as
/// LatLongToUTM; a zone outside 1..60 uses the central meridian 0. Returns
/// false, NaN results, beyond the range of the series.
ZYLCARTO_EXPORT bool LatLongToUTMInZone(double Lat, double Long, int Zone, bool South, TGeoEllipsoid E, double& Easting,
                                        double& Northing);

/// Southern and northern latitude limits of a forced UTM zone (LatLongToUTMForced).
inline constexpr double UTMForcedMinLat = -80.0;
inline constexpr double UTMForcedMaxLat = 84.0;  ///< see UTMForcedMinLat
/// How far a forced UTM zone reaches east and west of its central meridian, in
/// grid metres: eastings 0..1000000 m, as GeographicLib's UTMUPS allows.
inline constexpr double UTMForcedReach = 500000.0;

/// UTM forward into zone Zone (1..60) chosen by the caller, as PROJ's +zone and
/// GeoConvert -z: Lat, Long in degrees; the hemisphere follows from the sign of
/// Lat as in LatLongToUTM. The zone reaches over latitudes
/// UTMForcedMinLat..UTMForcedMaxLat and eastings within UTMForcedReach of the
/// false easting (about 4.5° of longitude on the equator, more towards the
/// poles); beyond that, or for a zone outside 1..60, returns false and NaN.
ZYLCARTO_EXPORT bool LatLongToUTMForced(double Lat, double Long, int Zone, TGeoEllipsoid E, double& Easting,
                                        double& Northing);

/// Smallest reciprocal flattening (other than 0, a sphere) a user ellipsoid of
/// TTransverseMercator may have: up to there the series keep their millimetre.
inline constexpr double TMMinRecipFlattening = 150.0;

/// A Transverse Mercator projection with any parameters.
struct ZYLCARTO_EXPORT TTransverseMercator {
    double SemiMajor = 6378137.0;  ///< semi-major axis a of the ellipsoid, metres, above 0
    /// Reciprocal flattening 1/f of the ellipsoid: 0 for a sphere, else at least TMMinRecipFlattening.
    double RecipFlattening = 298.257223563;
    double CentralMeridian = 0.0;  ///< longitude of the central meridian, degrees, -180..180
    double OriginLatitude = 0.0;   ///< latitude of the origin, degrees, -90..90
    double Scale = 1.0;            ///< scale factor on the central meridian, above 0
    double FalseEasting = 0.0;     ///< easting of the origin, metres
    double FalseNorthing = 0.0;    ///< northing of the origin, metres
};

/// The Transverse Mercator defaults (central meridian 0, origin on the equator,
/// scale 1, no false origin) on catalogue ellipsoid E.
ZYLCARTO_EXPORT TTransverseMercator TransverseMercatorOn(TGeoEllipsoid E);
/// Whether P has every parameter finite and in the range its member lists.
ZYLCARTO_EXPORT bool IsValidTransverseMercator(const TTransverseMercator& P);
/// Transverse Mercator forward with parameters P: Lat (-90..90) and Long
/// (-180..180) in degrees give Easting and Northing in metres. The northing of
/// the origin latitude on the central meridian is FalseNorthing. Returns false,
/// results NaN, for invalid parameters or input, or beyond the range of the file
/// description (one rectifying radius on the grid, times P.Scale).
ZYLCARTO_EXPORT bool GeoToTM(const TTransverseMercator& P, double Lat, double Long, double& Easting, double& Northing);
/// Transverse Mercator inverse with parameters P: Easting and Northing in metres
/// give Lat and Long in degrees (Long in -180..180). Returns false, results NaN,
/// for invalid parameters or beyond the range of the series.
ZYLCARTO_EXPORT bool TMToGeo(const TTransverseMercator& P, double Easting, double Northing, double& Lat, double& Long);

/// Universal Polar Stereographic forward: Lat, Long in degrees give X and Y in
/// metres (scale 0.994 at the pole, false easting and northing 2000000 m). The
/// pole follows from the sign of Lat (0 counts as north); Long may lie in
/// -540..<540 and is brought into -180..<180. Meant for the polar caps beyond
/// the UTM area, but computes everywhere.
ZYLCARTO_EXPORT void LatLongToUPS(double Lat, double Long, TGeoEllipsoid E, double& X, double& Y);
/// Universal Polar Stereographic inverse: X, Y in metres about the north pole,
/// or the south pole when South, give Lat and Long in degrees (Long in
/// -180..180). At most six Newton steps; a point that has not converged by then
/// is returned as it stands, without a report.
ZYLCARTO_EXPORT void UPSToLatLong(double X, double Y, bool South, TGeoEllipsoid E, double& Lat, double& Long);

/// UTM zone number 1..60 and latitude band letter 'C'..'X' (no I or O; X covers
/// 72..84) of Lat, Long in degrees, with the Norway (zone 32 in band V from 3°
/// to 12° east) and Svalbard (zones 31, 33, 35, 37 in band X) exceptions. Zone 0
/// and Letter ' ' when latitude is outside -80..84 or longitude outside
/// -180..180, or either is NaN.
ZYLCARTO_EXPORT void GeoToUTMZone(double Lat, double Long, int& Zone, char& Letter);
/// The zone and band of Lat, Long in degrees as text, "33U"; the empty string
/// outside the UTM area.
ZYLCARTO_EXPORT std::string GeoToUTMZone(double Lat, double Long);

}  // namespace zylcarto
