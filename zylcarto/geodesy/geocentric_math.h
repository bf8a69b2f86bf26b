#pragma once
// The geocentric conversions for one point, inlined into the per-point
// functions and the batch loops alike. Internal.
#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::geocentric {

struct TConstants {
    double a, b, e2, f;
};

inline const TConstants& Constants(TGeoEllipsoid E) {
    static const auto table = [] {
        std::array<TConstants, GeoEllipsoidCount> t{};
        for (int i = 0; i < GeoEllipsoidCount; ++i) {
            const auto e = static_cast<TGeoEllipsoid>(i);
            const double rf = RecipFlattening(e);
            t[i] = {EllipsoidAxes(e).a, EllipsoidAxes(e).b, GeoEllEccSquared(e), rf == 0.0 ? 0.0 : 1.0 / rf};
        }
        return t;
    }();
    return table[static_cast<std::size_t>(E)];
}

inline void ToCartesian(const TConstants& c, double Lat, double Long, double Height, double& X, double& Y, double& Z) {
    const double phi = Lat * DegToRad, lambda = Long * DegToRad;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double N = c.a / std::sqrt(1.0 - c.e2 * sinPhi * sinPhi);
    X = (N + Height) * cosPhi * std::cos(lambda);
    Y = (N + Height) * cosPhi * std::sin(lambda);
    Z = ((1.0 - c.e2) * N + Height) * sinPhi;
}

inline void ToGeographic(const TConstants& c, double X, double Y, double Z, double& Lat, double& Long, double& Height) {
    constexpr double RadToDeg = 180.0 / std::numbers::pi;
    const double p = std::sqrt(X * X + Y * Y);
    if (p == 0.0) {
        // The closed form divides by p; on the axis the answer is plain.
        Lat = Z >= 0.0 ? 90.0 : -90.0;
        Long = 0.0;
        Height = std::fabs(Z) - c.b;
        return;
    }
    const double r = std::sqrt(p * p + Z * Z);
    const double oneMinusF = 1.0 - c.f;
    // u and phi through their tangents: the same arc tangents, without the
    // trigonometric round trips.
    const double tanU = (Z / p) * (oneMinusF + c.e2 * c.a / r);
    const double cosU = 1.0 / std::sqrt(1.0 + tanU * tanU), sinU = tanU * cosU;
    const double tanPhi =
        (Z * oneMinusF + c.e2 * c.a * sinU * sinU * sinU) / (oneMinusF * (p - c.e2 * c.a * cosU * cosU * cosU));
    const double cosPhi = 1.0 / std::sqrt(1.0 + tanPhi * tanPhi), sinPhi = tanPhi * cosPhi;
    Lat = std::atan(tanPhi) * RadToDeg;
    Long = std::atan2(Y, X) * RadToDeg;
    Height = p * cosPhi + Z * sinPhi - c.a * std::sqrt(1.0 - c.e2 * sinPhi * sinPhi);
}

}  // namespace zylcarto::geocentric
