#pragma once
// Transverse Mercator by series expansion, and the UTM and UPS grids built on it.
// The TM layer works in radians and unscaled metres; the grid layer in degrees
// and grid metres. All functions are pure and never raise.
#include <string>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

// Meridian arc from the equator to latitude Phi (radians), metres.
ZYLCARTO_EXPORT double ArcLengthOfMeridian(double Phi, TGeoEllipsoid E);
// The latitude (radians) whose meridian arc is Y metres.
ZYLCARTO_EXPORT double FootpointLatitude(TGeoEllipsoid E, double Y);
// Central meridian of a UTM zone in radians; 0 for a zone outside 1..60.
ZYLCARTO_EXPORT double UTMCentralMeridian(int Zone);

// Projects (Phi, Lambda) with central meridian Lambda0 (all radians), scale 1, no false origin.
ZYLCARTO_EXPORT void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid E, double& X, double& Y);
ZYLCARTO_EXPORT void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid E, double& Phi, double& Lambda);

// Zone 0 marks a point outside the UTM area (it is still projected, with Lambda0 = 0).
// The hemisphere follows from the sign of Lat: southern northings carry the false northing.
ZYLCARTO_EXPORT void LatLongToUTM(double Lat, double Long, TGeoEllipsoid E, int& Zone, double& Easting, double& Northing);
ZYLCARTO_EXPORT void UTMToLatLong(double Easting, double Northing, int Zone, bool South, TGeoEllipsoid E, double& Lat,
                  double& Long);
// Projects into a given zone and hemisphere, also beyond the zone's borders or the
// equator, as a map that crosses them needs for its whole area.
ZYLCARTO_EXPORT void LatLongToUTMInZone(double Lat, double Long, int Zone, bool South, TGeoEllipsoid E, double& Easting,
                        double& Northing);

// Universal Polar Stereographic; the pole follows from the sign of Lat.
ZYLCARTO_EXPORT void LatLongToUPS(double Lat, double Long, TGeoEllipsoid E, double& X, double& Y);
ZYLCARTO_EXPORT void UPSToLatLong(double X, double Y, bool South, TGeoEllipsoid E, double& Lat, double& Long);

// Zone number and latitude band letter, with the Norway and Svalbard exceptions;
// Zone 0 and Letter ' ' outside -80..84 / -180..<180.
ZYLCARTO_EXPORT void GeoToUTMZone(double Lat, double Long, int& Zone, char& Letter);
// "33U", or "" outside the UTM area.
ZYLCARTO_EXPORT std::string GeoToUTMZone(double Lat, double Long);

} // namespace zylcarto
