#include "zylcarto/geodesy/ellipsoids.h"

#include <cmath>

#include "zylcarto/support/errors.h"

namespace zylcarto {

double RecipFlattening(TGeoEllipsoid E) {
    const auto& ax = EllipsoidAxes(E);
    return RecipFlattening(ax.a, ax.b);
}

double RecipFlattening(double A, double B) { return A == B ? 0.0 : 1.0 / (1.0 - B / A); }

double RecipFlattening(double E2) {
    if (!(E2 >= 0.0 && E2 <= 1.0)) throw EZYLGeoBasicsError("invalid eccentricity");
    return E2 == 0.0 ? 0.0 : 1.0 / (1.0 - std::sqrt(1.0 - E2));
}

double GeoEllEccSquared(TGeoEllipsoid E) {
    const auto& ax = EllipsoidAxes(E);
    return 1.0 - (ax.b * ax.b) / (ax.a * ax.a);
}

double GeoEllEccSquared(double A, double B) { return A < B ? 1.0 - (A * A) / (B * B) : 1.0 - (B * B) / (A * A); }

double GeoEllEccSquared(double RF) {
    if (RF == 0.0) return 0.0;
    const double f = 1.0 / RF;
    return 2.0 * f - f * f;
}

double EllipsoidMinAxFlat(double A, double RF) {
    if (RF < 0.0) throw EZYLGeoBasicsError("invalid reciprocal flattening");
    return RF == 0.0 ? A : A * (1.0 - 1.0 / RF);
}

double EllipsoidMinAxEcc(double A, double E2) {
    if (E2 < 0.0) throw EZYLGeoBasicsError("invalid eccentricity");
    return A * std::sqrt(1.0 - E2);
}

}  // namespace zylcarto
