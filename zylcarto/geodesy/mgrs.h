#pragma once
/// @file
/// Military Grid Reference System: a position as a grid zone, a 100 km square
/// and truncated UTM or UPS digits ("33UXP0402839477").
///
/// Between latitudes -80 and 84 the grid is UTM, with the zone and band of
/// GeoToUTMZone (Norway and Svalbard included); beyond them UPS, bands A and B
/// about the south pole and Y and Z about the north pole. The 100 km square
/// letters of UTM follow one of two lettering schemes by ellipsoid: the old one
/// (row letters shifted by ten) for the Bessel 1841, Clarke 1866 and Clarke 1880
/// ellipsoids and their variants, the current one for all others
/// (MGRSUsesOldLettering). Latitude and longitude are decimal degrees, positive
/// north and east. All functions are pure and safe from any thread; none raises.
///
/// Accuracy is that of the UTM and UPS functions (projections.h). On WGS 84 the
/// strings agree with GeographicLib's MGRS on random points over the globe, the
/// centres of the squares within 1 mm, and every 100 km square is accepted or
/// refused as it does (tests/geodesy/test_reference_geographiclib.cpp), but for
/// the grid zones 32X, 34X and 36X, which the grid does not have and which are
/// refused here, and for latitude 84 exactly, which is UTM here as for
/// GeoToUTMZone.
#include <string>
#include <string_view>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The MGRS conversion succeeded.
inline constexpr int mgrsOK = 0;
/// LatLongToMGRS: the latitude is outside -90..90 or not a number.
inline constexpr int mgrsBadLatitude = -1;
/// LatLongToMGRS: the longitude is not a finite number.
inline constexpr int mgrsBadLongitude = -2;
/// LatLongToMGRS: the precision is outside 0..5.
inline constexpr int mgrsBadPrecision = -3;
/// LatLongToMGRS: the grid coordinates fall outside the lettered 100 km squares
/// (possible only on unusual ellipsoids).
inline constexpr int mgrsOffGrid = -4;
/// MGRSToLatLong: the text is no MGRS reference, or names a 100 km square that
/// does not exist in its grid zone.
inline constexpr int mgrsBadText = -5;

/// True when ellipsoid E takes the old lettering scheme of the 100 km squares:
/// the Bessel 1841, Clarke 1866 and Clarke 1880 ellipsoids of the catalogue, in
/// all their variants.
ZYLCARTO_EXPORT bool MGRSUsesOldLettering(TGeoEllipsoid E);

/// The MGRS reference of Lat, Long in degrees on ellipsoid E, with Precision
/// digits each for easting and northing: 0 gives the 100 km square ("33UXP"),
/// 5 the metre ("33UXP0402839477"). The digits are truncated, not rounded, so the
/// reference names the square that holds the position. The UTM zone is written
/// with two digits. Any finite longitude is taken modulo 360.
///
/// Returns mgrsOK, or mgrsBadLatitude, mgrsBadLongitude, mgrsBadPrecision or
/// mgrsOffGrid with MGRS left empty.
ZYLCARTO_EXPORT int LatLongToMGRS(double Lat, double Long, TGeoEllipsoid E, int Precision, std::string& MGRS);

/// The centre of the square an MGRS reference names, on ellipsoid E: Lat, Long in
/// degrees, and the reference's Precision (0..5, its digits per coordinate). The
/// text may be in lower case and may have blanks between its parts ("33U XP
/// 04028 39477"); a zone of one digit is accepted. The 100 km square must exist
/// in the grid zone: its row must reach the latitude band.
///
/// Returns mgrsOK, or mgrsBadText with the outputs unchanged; then Message, when
/// given, receives a sentence naming what is wrong ("column letter 'A' is not
/// used in zone 2").
ZYLCARTO_EXPORT int MGRSToLatLong(std::string_view MGRS, TGeoEllipsoid E, double& Lat, double& Long, int& Precision,
                                  std::string* Message = nullptr);

}  // namespace zylcarto
