#pragma once
// The geocentric conversions and datum shifts of one point, inlined into the
// per-point functions and the batch loops alike, without branches and with the
// functions of M so that the batch loops vectorise. Internal.
#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/simd_math.h"
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

template <typename M = simdmath::TLibraryMath>
ZYLCARTO_FORCE_INLINE void ToCartesian(const TConstants& c, double Lat, double Long, double Height, double& X,
                                       double& Y, double& Z) {
    double sinPhi, cosPhi, sinLambda, cosLambda;
    M::SinCos(Lat * DegToRad, sinPhi, cosPhi);
    M::SinCos(Long * DegToRad, sinLambda, cosLambda);
    const double N = c.a / std::sqrt(1.0 - c.e2 * sinPhi * sinPhi);
    X = (N + Height) * cosPhi * cosLambda;
    Y = (N + Height) * cosPhi * sinLambda;
    Z = ((1.0 - c.e2) * N + Height) * sinPhi;
}

template <typename M = simdmath::TLibraryMath>
ZYLCARTO_FORCE_INLINE void ToGeographic(const TConstants& c, double X, double Y, double Z, double& Lat, double& Long,
                                        double& Height) {
    constexpr double RadToDeg = 180.0 / std::numbers::pi;
    const double p = std::sqrt(X * X + Y * Y);
    const double r = std::sqrt(p * p + Z * Z);
    const double oneMinusF = 1.0 - c.f;
    // u and phi through their tangents: the same arc tangents, without the
    // trigonometric round trips.
    const double tanU = (Z / p) * (oneMinusF + c.e2 * c.a / r);
    const double cosU = 1.0 / std::sqrt(1.0 + tanU * tanU), sinU = tanU * cosU;
    const double tanPhi =
        (Z * oneMinusF + c.e2 * c.a * sinU * sinU * sinU) / (oneMinusF * (p - c.e2 * c.a * cosU * cosU * cosU));
    const double cosPhi = 1.0 / std::sqrt(1.0 + tanPhi * tanPhi), sinPhi = tanPhi * cosPhi;
    // The closed form divides by p; on the axis the answer is plain.
    const bool axis = p == 0.0;
    const double pole = Z >= 0.0 ? 90.0 : -90.0, lat = M::Atan(tanPhi) * RadToDeg, lon = M::Atan2(Y, X) * RadToDeg;
    const double h = p * cosPhi + Z * sinPhi - c.a * std::sqrt(1.0 - c.e2 * sinPhi * sinPhi);
    Lat = axis ? pole : lat;
    Long = axis ? 0.0 : lon;
    Height = axis ? std::fabs(Z) - c.b : h;
}

struct TVec3 {
    double x, y, z;
};

constexpr double ArcSecToRad = DegToRad / 3600.0;

// The datum's seven parameters applied to a geocentric position: to WGS 84.
ZYLCARTO_FORCE_INLINE TVec3 ToWGS84(const TGeoDatum& d, TVec3 p) {
    const double s = 1.0 + d.Scale * 1e-6;
    const double rx = d.RotX * ArcSecToRad, ry = d.RotY * ArcSecToRad, rz = d.RotZ * ArcSecToRad;
    return {s * (p.x - p.y * rz + p.z * ry) + d.DX, s * (p.y + p.x * rz - p.z * rx) + d.DY,
            s * (-p.x * ry + p.y * rx + p.z) + d.DZ};
}

// The first-order inverse of ToWGS84: every parameter negated.
ZYLCARTO_FORCE_INLINE TVec3 FromWGS84(const TGeoDatum& d, TVec3 p) {
    const double s = 1.0 - d.Scale * 1e-6;
    const double rx = d.RotX * ArcSecToRad, ry = d.RotY * ArcSecToRad, rz = d.RotZ * ArcSecToRad;
    return {s * (p.x + p.y * rz - p.z * ry) - d.DX, s * (p.y - p.x * rz + p.z * rx) - d.DY,
            s * (p.x * ry - p.y * rx + p.z) - d.DZ};
}

// The exact inverse of ToWGS84. Its rotation matrix is I + [w]x, w = (rx, ry, rz),
// whose inverse is (I - [w]x + w·wT) / (1 + |w|²).
ZYLCARTO_FORCE_INLINE TVec3 FromWGS84Exact(const TGeoDatum& d, TVec3 p) {
    const double s = 1.0 + d.Scale * 1e-6;
    const double rx = d.RotX * ArcSecToRad, ry = d.RotY * ArcSecToRad, rz = d.RotZ * ArcSecToRad;
    const double x = (p.x - d.DX) / s, y = (p.y - d.DY) / s, z = (p.z - d.DZ) / s;
    const double dot = rx * x + ry * y + rz * z, norm = 1.0 + rx * rx + ry * ry + rz * rz;
    return {(x - (ry * z - rz * y) + rx * dot) / norm, (y - (rz * x - rx * z) + ry * dot) / norm,
            (z - (rx * y - ry * x) + rz * dot) / norm};
}

// The status HelmertTransform gives a point between two valid datums.
ZYLCARTO_FORCE_INLINE int HelmertStatus(double Lat, double Long, double Height) {
    // A height that is no number gives a position that is none, like such a latitude.
    int status =
        ((Lat >= -90.0) & (Lat <= 90.0) & (std::fabs(Height) <= 1.7976931348623157e308)) ? htOK : htBadLatitude;
    return ((Long >= -180.0) & (Long <= 180.0)) ? status : htBadLongitude;
}

// Lat, Long, Height on Src (its ellipsoid's constants CSrc) to Dst through WGS 84,
// with the step back as a template argument.
template <TVec3 (*FromWGS84Step)(const TGeoDatum&, TVec3), typename M = simdmath::TLibraryMath>
ZYLCARTO_FORCE_INLINE void Shift(const TConstants& CSrc, const TGeoDatum& Src, double Lat, double Long, double Height,
                                 const TConstants& CDst, const TGeoDatum& Dst, double& Lat2, double& Long2,
                                 double& Height2) {
    TVec3 p{};
    ToCartesian<M>(CSrc, Lat, Long, Height, p.x, p.y, p.z);
    p = FromWGS84Step(Dst, ToWGS84(Src, p));
    ToGeographic<M>(CDst, p.x, p.y, p.z, Lat2, Long2, Height2);
}

}  // namespace zylcarto::geocentric
