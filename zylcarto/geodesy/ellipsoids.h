#pragma once
// The catalogue of reference ellipsoids and the arithmetic of their axes.
#include <array>
#include <cstdint>
#include <string_view>

#include "zylcarto/support/export.h"

namespace zylcarto {

// Ordinals are stored in files (calibration records, datum table): append only.
enum class TGeoEllipsoid : std::uint8_t {
    gelWGS84, gelWGS72, gelWGS66, gelWGS60, gelClrk80RGS, gelClrk66, gelBess41, gelBess41Jap, gelBess41Nam, gelNewInt67, gelInt24, gelEver69, gelEver56, gelEver48, gelEver30Ind, gelEverPak, gelEverest, gelGRS80, gelAiry30, gelModifAiry, gelFish68, gelFish60, gelModifFish60, gelAuNat65, gelKrass40, gelHough60, gelSphere, gelIndo74, gelHelm06, gelSGS85, gelSAm69, gelATS77, gelAuthSph, gelBesselMod, gelCGCS2000, gelClrk58, gelClrk66Mich, gelClrk80, gelClrk80Arc, gelClrk80Benoit, gelClrk80IGN, gelClrk80intfoot, gelClrk80SGA22, gelDan76, gelEver30, gelEver75, gelGEM10C, gelGRS67, gelGRS67Mod, gelHughes80, gelIAG75, gelInt24AuthSph, gelOSU86F, gelOSU91A, gelPlessis17, gelPopVisSphere, gelPZ90, gelStruve60, gelWarOffice, gelHongKong63, gelNahrwan29
};
using enum TGeoEllipsoid;

inline constexpr int GeoEllipsoidCount = 61;

enum class THemisphere : std::uint8_t { hemiNorth = 0, hemiSouth = 1 };
using enum THemisphere;

struct TEllipsoidAxes {
    double a;  // semi-major axis, metres
    double b;  // semi-minor axis, metres
};

ZYLCARTO_EXPORT extern const std::array<TEllipsoidAxes, GeoEllipsoidCount> GeoEllipsoidData;
ZYLCARTO_EXPORT extern const std::array<std::string_view, GeoEllipsoidCount> GeoEllipsoidName;
ZYLCARTO_EXPORT extern const std::array<std::string_view, GeoEllipsoidCount> GeoEllipsoidId;

inline const TEllipsoidAxes& EllipsoidAxes(TGeoEllipsoid E) { return GeoEllipsoidData[static_cast<std::size_t>(E)]; }

// 1/f = 1/(1 - b/a); 0 for a sphere.
ZYLCARTO_EXPORT double RecipFlattening(TGeoEllipsoid E);
// The same for major axis A and minor axis B, in this order (not symmetric).
ZYLCARTO_EXPORT double RecipFlattening(double A, double B);
// From the first eccentricity squared E2 in [0, 1]; raises EZYLGeoBasicsError "invalid eccentricity" outside.
ZYLCARTO_EXPORT double RecipFlattening(double E2);
// e^2 = 1 - b^2/a^2.
ZYLCARTO_EXPORT double GeoEllEccSquared(TGeoEllipsoid E);
// e^2 of two axes in either order.
ZYLCARTO_EXPORT double GeoEllEccSquared(double A, double B);
// e^2 from a reciprocal flattening; 0 for RF = 0.
ZYLCARTO_EXPORT double GeoEllEccSquared(double RF);
// Minor axis from A and RF; RF < 0 raises EZYLGeoBasicsError "invalid reciprocal flattening".
ZYLCARTO_EXPORT double EllipsoidMinAxFlat(double A, double RF);
// Minor axis from A and e^2; e^2 < 0 raises EZYLGeoBasicsError "invalid eccentricity", e^2 > 1 gives NaN.
ZYLCARTO_EXPORT double EllipsoidMinAxEcc(double A, double E2);

} // namespace zylcarto
