#pragma once
/// @file
/// Transverse Mercator by series expansion, and the UTM and UPS grids built on it.
///
/// Two layers with different units: the TM layer (ArcLengthOfMeridian,
/// FootpointLatitude, UTMCentralMeridian, LatLongToTM, TMToLatLong) works in
/// radians and unscaled metres, with scale 1 on the central meridian and no
/// false origin; the grid layer (the UTM, UPS and zone functions) takes latitude
/// and longitude in decimal degrees, positive north and east, and gives grid
/// metres. All functions are pure: no state and no allocation (but for the
/// string GeoToUTMZone returns), safe to call from any thread. None raises and none reports a failure:
/// outside its area a function still computes, and GeoToUTMZone and Zone 0 tell
/// the caller so. Non-finite input gives non-finite output.
///
/// Accuracy, measured on WGS 84 against GeographicLib's exact Transverse
/// Mercator and UTMUPS (tests/geodesy/test_reference_geographiclib.cpp, which
/// holds these limits) and against PROJ's utm:
/// - UTM within 3° of the central meridian, latitude -80..84: forward 0.016 mm,
///   inverse 0.004 mm (limit held: 0.02 mm and 0.005 mm);
/// - the widened zones of Norway and Svalbard, 3..6° from the meridian: forward
///   0.01 mm, inverse 0.42 mm (held: 0.02 mm and 0.5 mm);
/// - 6° from the meridian: forward 0.83 mm, inverse 0.42 mm (held: 1 mm);
/// - 9° from the meridian: forward 11.3 mm, inverse 14.4 mm (held: 15 mm);
///   the series are meant for a zone and its neighbourhood, not for more;
/// - UPS beyond the UTM area: 0.00003 mm both ways (held: 0.0001 mm).
///
/// Cost, measured with bench/geodesy on one 2.6 GHz core (1e6 random points):
/// UTM forward 10 to 24 million points per second, inverse 10 to 18 million;
/// UPS forward 23 million, inverse 4.7 million (the inverse always takes its six
/// Newton steps). That is 2 to 8 times GeographicLib and PROJ for UTM.
#include <string>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// Length of the meridian arc from the equator to latitude Phi, in metres, on
/// ellipsoid E (five-term series in the third flattening). Phi in radians; the
/// series is meant for -pi/2..pi/2 and is odd in Phi (negative south).
ZYLCARTO_EXPORT double ArcLengthOfMeridian(double Phi, TGeoEllipsoid E);
/// The footpoint latitude, in radians, whose meridian arc on E is Y metres: the
/// inverse series of ArcLengthOfMeridian, used by TMToLatLong.
ZYLCARTO_EXPORT double FootpointLatitude(TGeoEllipsoid E, double Y);
/// Central meridian of UTM zone Zone in radians, (6·Zone - 183)°; 0 for a zone
/// outside 1..60.
ZYLCARTO_EXPORT double UTMCentralMeridian(int Zone);

/// Transverse Mercator forward: projects latitude Phi and longitude Lambda with
/// central meridian Lambda0 (all radians) onto X (east of the meridian) and Y
/// (north of the equator), in metres at scale 1 with no false origin. Accuracy
/// falls with the distance from Lambda0; see the file description.
ZYLCARTO_EXPORT void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid E, double& X, double& Y);
/// Transverse Mercator inverse: X, Y in metres (scale 1, no false origin) and
/// central meridian Lambda0 in radians give Phi and Lambda in radians.
ZYLCARTO_EXPORT void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid E, double& Phi, double& Lambda);

/// UTM forward: Lat, Long in degrees on ellipsoid E give the zone (with the
/// Norway and Svalbard exceptions, as GeoToUTMZone), Easting (false easting
/// 500000 m) and Northing in metres, scale 0.9996 on the central meridian.
/// The hemisphere follows from the sign of the northing: southern positions
/// carry the false northing of 10000000 m. A point outside the UTM area
/// (latitude outside -80..84, longitude outside -180..<180, or NaN) gets Zone 0
/// and is still projected, with the central meridian 0; Zone 0 is the failure
/// mark and the caller must check it.
ZYLCARTO_EXPORT void LatLongToUTM(double Lat, double Long, TGeoEllipsoid E, int& Zone, double& Easting,
                                  double& Northing);
/// UTM inverse: Easting and Northing in metres in zone Zone (South when the
/// northing carries the southern false northing) give Lat and Long in degrees,
/// Long in -180..180 for positions inside the zone. A zone outside 1..60 uses
/// the central meridian 0 and reports nothing.
ZYLCARTO_EXPORT void UTMToLatLong(double Easting, double Northing, int Zone, bool South, TGeoEllipsoid E, double& Lat,
                                  double& Long);
/// UTM forward into a given zone and hemisphere, also beyond the zone's borders
/// or the equator, as a map that crosses them needs for its whole area. Units as
/// LatLongToUTM; a zone outside 1..60 uses the central meridian 0. Accuracy
/// beyond the zone is that of the series at that distance from the meridian.
ZYLCARTO_EXPORT void LatLongToUTMInZone(double Lat, double Long, int Zone, bool South, TGeoEllipsoid E, double& Easting,
                                        double& Northing);

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
/// -180..<180, or either is NaN.
ZYLCARTO_EXPORT void GeoToUTMZone(double Lat, double Long, int& Zone, char& Letter);
/// The zone and band of Lat, Long in degrees as text, "33U"; the empty string
/// outside the UTM area.
ZYLCARTO_EXPORT std::string GeoToUTMZone(double Lat, double Long);

}  // namespace zylcarto
