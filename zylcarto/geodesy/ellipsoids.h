#pragma once
/// @file
/// The catalogue of reference ellipsoids and the arithmetic of their axes.
///
/// Every other geodetic function names its ellipsoid by a TGeoEllipsoid value
/// and reads the two axes from GeoEllipsoidData; flattening and eccentricity are
/// always derived from the axes, never stored. The tables are constant from load
/// to unload and the functions are pure, so both may be used from any thread.
/// Lengths are in metres; flattening and eccentricity are dimensionless.
#include <array>
#include <cstdint>
#include <string_view>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// A catalogued reference ellipsoid, with its display name in the comment.
///
/// The ordinal indexes GeoEllipsoidData, GeoEllipsoidName and GeoEllipsoidId and
/// is stored as one byte in calibration files and in the datum table, so values
/// are only ever appended. Four entries are spheres (a = b): gelSphere,
/// gelAuthSph, gelInt24AuthSph and gelPopVisSphere. No function checks a value
/// beyond its type: a cast from an integer outside 0..GeoEllipsoidCount-1 is
/// undefined behaviour.
enum class TGeoEllipsoid : std::uint8_t {
    gelWGS84,          ///< 0: WGS 1984
    gelWGS72,          ///< 1: WGS 1972
    gelWGS66,          ///< 2: WGS 1966
    gelWGS60,          ///< 3: WGS 1960
    gelClrk80RGS,      ///< 4: Clarke 1880 RGS
    gelClrk66,         ///< 5: Clarke 1866
    gelBess41,         ///< 6: Bessel 1841
    gelBess41Jap,      ///< 7: Bessel 1841 (Japan)
    gelBess41Nam,      ///< 8: Bessel 1841 (Namibia)
    gelNewInt67,       ///< 9: New International 1967
    gelInt24,          ///< 10: International 1924
    gelEver69,         ///< 11: Everest 1969 (Malaysia)
    gelEver56,         ///< 12: Everest 1956 (India)
    gelEver48,         ///< 13: Everest 1948
    gelEver30Ind,      ///< 14: Everest 1830 (India 1937 adj.)
    gelEverPak,        ///< 15: Everest (Pakistan)
    gelEverest,        ///< 16: Everest (1967 Definition)
    gelGRS80,          ///< 17: GRS 1980
    gelAiry30,         ///< 18: Airy 1830
    gelModifAiry,      ///< 19: Modified Airy
    gelFish68,         ///< 20: Fisher 1968
    gelFish60,         ///< 21: Fisher 1960
    gelModifFish60,    ///< 22: Modified Fisher 1960
    gelAuNat65,        ///< 23: Australian Nat 1965
    gelKrass40,        ///< 24: Krassovsky 1940
    gelHough60,        ///< 25: Hough 1960
    gelSphere,         ///< 26: Normal Sphere
    gelIndo74,         ///< 27: Indonesian 1974
    gelHelm06,         ///< 28: Helmert 1906
    gelSGS85,          ///< 29: SGS 1985
    gelSAm69,          ///< 30: South American 1969
    gelATS77,          ///< 31: ATS77
    gelAuthSph,        ///< 32: Authalic Sphere
    gelBesselMod,      ///< 33: Bessel Modified
    gelCGCS2000,       ///< 34: CGCS2000
    gelClrk58,         ///< 35: Clarke 1858
    gelClrk66Mich,     ///< 36: Clarke 1866 Michigan
    gelClrk80,         ///< 37: Clarke 1880
    gelClrk80Arc,      ///< 38: Clarke 1880 (Arc)
    gelClrk80Benoit,   ///< 39: Clarke 1880 (Benoit)
    gelClrk80IGN,      ///< 40: Clarke 1880 (IGN)
    gelClrk80intfoot,  ///< 41: Clarke 1880 (international foot)
    gelClrk80SGA22,    ///< 42: Clarke 1880 (SGA 1922)
    gelDan76,          ///< 43: Danish 1876
    gelEver30,         ///< 44: Everest (1830 Definition)
    gelEver75,         ///< 45: Everest 1830 (1975 Definition)
    gelGEM10C,         ///< 46: GEM 10C
    gelGRS67,          ///< 47: GRS 1967
    gelGRS67Mod,       ///< 48: GRS 1967 Modified
    gelHughes80,       ///< 49: Hughes 1980
    gelIAG75,          ///< 50: IAG 1975
    gelInt24AuthSph,   ///< 51: International 1924 Authalic Sphere
    gelOSU86F,         ///< 52: OSU86F
    gelOSU91A,         ///< 53: OSU91A
    gelPlessis17,      ///< 54: Plessis 1817
    gelPopVisSphere,   ///< 55: Popular Visualisation Sphere
    gelPZ90,           ///< 56: PZ-90
    gelStruve60,       ///< 57: Struve 1860
    gelWarOffice,      ///< 58: War Office
    gelHongKong63,     ///< 59: Hong Kong 1963
    gelNahrwan29       ///< 60: Nahrwan 1929
};
using enum TGeoEllipsoid;

/// Number of catalogued ellipsoids, the size of the three tables.
inline constexpr int GeoEllipsoidCount = 61;

/// The hemisphere of a UTM grid position: southern northings carry the false
/// northing of 10000000 m. The ordinal is stored in files.
enum class THemisphere : std::uint8_t {
    hemiNorth = 0,  ///< northern hemisphere, latitude >= 0
    hemiSouth = 1   ///< southern hemisphere
};
using enum THemisphere;

/// The two axes of an ellipsoid, the only values the catalogue stores.
struct TEllipsoidAxes {
    double a;  ///< semi-major axis, metres
    double b;  ///< semi-minor axis, metres; equal to a for a sphere
};

/// Axes of each ellipsoid, indexed by the TGeoEllipsoid ordinal.
ZYLCARTO_EXPORT extern const std::array<TEllipsoidAxes, GeoEllipsoidCount> GeoEllipsoidData;
/// Display name of each ellipsoid ("WGS 1984"), indexed by the ordinal.
ZYLCARTO_EXPORT extern const std::array<std::string_view, GeoEllipsoidCount> GeoEllipsoidName;
/// Identifier of each ellipsoid, exactly the enumerator's name ("gelWGS84"), so
/// that a host can map between stored text and the enumeration.
ZYLCARTO_EXPORT extern const std::array<std::string_view, GeoEllipsoidCount> GeoEllipsoidId;

/// The catalogue entry of E; E must be a catalogued value.
inline const TEllipsoidAxes& EllipsoidAxes(TGeoEllipsoid E) { return GeoEllipsoidData[static_cast<std::size_t>(E)]; }

/// Reciprocal flattening 1/f = 1/(1 - b/a) of a catalogued ellipsoid, derived
/// from the stored axes (gelWGS84 gives 298.2572235605, not the defining
/// 298.257223563). 0 for a sphere: 0 stands for "no flattening" throughout the
/// library. Never raises.
ZYLCARTO_EXPORT double RecipFlattening(TGeoEllipsoid E);
/// Reciprocal flattening of major axis A and minor axis B (metres, this order):
/// 0 when A = B, else 1/(1 - B/A). Not symmetric: swapped axes give a negative
/// value, which is not corrected. Never raises.
ZYLCARTO_EXPORT double RecipFlattening(double A, double B);
/// Reciprocal flattening from the first eccentricity squared E2: 0 for E2 = 0,
/// else 1/(1 - sqrt(1 - E2)).
/// @throws EZYLGeoBasicsError "invalid eccentricity" when E2 is outside [0, 1]
///         or not a number.
ZYLCARTO_EXPORT double RecipFlattening(double E2);
/// First eccentricity squared e² = 1 - b²/a² of a catalogued ellipsoid; 0 for a
/// sphere. Never raises.
ZYLCARTO_EXPORT double GeoEllEccSquared(TGeoEllipsoid E);
/// First eccentricity squared of two axes (metres) given in either order:
/// 1 - smaller²/larger². Never raises.
ZYLCARTO_EXPORT double GeoEllEccSquared(double A, double B);
/// First eccentricity squared from a reciprocal flattening RF: with f = 1/RF,
/// e² = 2f - f²; 0 for RF = 0 (a sphere). Never raises.
ZYLCARTO_EXPORT double GeoEllEccSquared(double RF);
/// Minor axis (metres) from major axis A (metres) and reciprocal flattening RF:
/// A for RF = 0 (a sphere), else A·(1 - 1/RF).
/// @throws EZYLGeoBasicsError "invalid reciprocal flattening" when RF < 0.
ZYLCARTO_EXPORT double EllipsoidMinAxFlat(double A, double RF);
/// Minor axis (metres) from major axis A (metres) and eccentricity squared E2:
/// A·sqrt(1 - E2). An E2 above 1 has no real minor axis and gives NaN.
/// @throws EZYLGeoBasicsError "invalid eccentricity" when E2 < 0.
ZYLCARTO_EXPORT double EllipsoidMinAxEcc(double A, double E2);

}  // namespace zylcarto
