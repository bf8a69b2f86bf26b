#include "zylcarto/geodesy/geocentric.h"

#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr double RadToDeg = 180.0 / std::numbers::pi;
constexpr double ArcSecToRad = DegToRad / 3600.0;

struct TGeocentricConstants {
    double a, b, e2, f;
};

const TGeocentricConstants& Constants(TGeoEllipsoid E) {
    static const auto table = [] {
        std::array<TGeocentricConstants, GeoEllipsoidCount> t{};
        for (int i = 0; i < GeoEllipsoidCount; ++i) {
            const auto e = static_cast<TGeoEllipsoid>(i);
            const double rf = RecipFlattening(e);
            t[i] = {EllipsoidAxes(e).a, EllipsoidAxes(e).b, GeoEllEccSquared(e), rf == 0.0 ? 0.0 : 1.0 / rf};
        }
        return t;
    }();
    return table[static_cast<std::size_t>(E)];
}

struct TVec3 {
    double x, y, z;
};

TVec3 ToWGS84(const TGeoDatum& d, TVec3 p) {
    const double s = 1.0 + d.Scale * 1e-6;
    const double rx = d.RotX * ArcSecToRad, ry = d.RotY * ArcSecToRad, rz = d.RotZ * ArcSecToRad;
    return {s * (p.x - p.y * rz + p.z * ry) + d.DX, s * (p.y + p.x * rz - p.z * rx) + d.DY,
            s * (-p.x * ry + p.y * rx + p.z) + d.DZ};
}

// The first-order inverse of ToWGS84: every parameter negated.
TVec3 FromWGS84(const TGeoDatum& d, TVec3 p) {
    const double s = 1.0 - d.Scale * 1e-6;
    const double rx = d.RotX * ArcSecToRad, ry = d.RotY * ArcSecToRad, rz = d.RotZ * ArcSecToRad;
    return {s * (p.x + p.y * rz - p.z * ry) - d.DX, s * (p.y - p.x * rz + p.z * rx) - d.DY,
            s * (p.x * ry - p.y * rx + p.z) - d.DZ};
}

// The exact inverse of ToWGS84. Its rotation matrix is I + [w]x, w = (rx, ry, rz),
// whose inverse is (I - [w]x + w·wT) / (1 + |w|²).
TVec3 FromWGS84Exact(const TGeoDatum& d, TVec3 p) {
    const double s = 1.0 + d.Scale * 1e-6;
    const double rx = d.RotX * ArcSecToRad, ry = d.RotY * ArcSecToRad, rz = d.RotZ * ArcSecToRad;
    const double x = (p.x - d.DX) / s, y = (p.y - d.DY) / s, z = (p.z - d.DZ) / s;
    const double dot = rx * x + ry * y + rz * z, norm = 1.0 + rx * rx + ry * ry + rz * rz;
    return {(x - (ry * z - rz * y) + rx * dot) / norm, (y - (rz * x - rx * z) + ry * dot) / norm,
            (z - (rx * y - ry * x) + rz * dot) / norm};
}

// The checks and the shift through WGS 84, with the step back as a template
// argument so that it is called directly.
template <TVec3 (*FromWGS84Step)(const TGeoDatum&, TVec3)>
int Shift(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2, double& Long2,
          double& Height2) {
    int status = htOK;
    if (!IsGeoDatumNumber(SrcDatum)) status = htBadSourceDatum;
    if (!IsGeoDatumNumber(DstDatum)) status = htBadDestDatum;
    // A height that is no number gives a position that is none, like such a latitude.
    if (!(Lat >= -90.0 && Lat <= 90.0) || !std::isfinite(Height)) status = htBadLatitude;
    if (!(Long >= -180.0 && Long <= 180.0)) status = htBadLongitude;
    if (!IsGeoDatumNumber(SrcDatum) || !IsGeoDatumNumber(DstDatum)) {
        Lat2 = Lat;
        Long2 = Long;
        Height2 = Height;
        return status;
    }
    const TGeoDatum& src = GeoDatumData[SrcDatum];
    const TGeoDatum& dst = GeoDatumData[DstDatum];
    TVec3 p{};
    GeoToCartesian(Lat, Long, Height, src.Ellipsoid, p.x, p.y, p.z);
    p = FromWGS84Step(dst, ToWGS84(src, p));
    CartesianToGeo(p.x, p.y, p.z, dst.Ellipsoid, Lat2, Long2, Height2);
    return status;
}

}  // namespace

void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid E, double& X, double& Y, double& Z) {
    const auto& c = Constants(E);
    const double phi = Lat * DegToRad, lambda = Long * DegToRad;
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double N = c.a / std::sqrt(1.0 - c.e2 * sinPhi * sinPhi);
    X = (N + Height) * cosPhi * std::cos(lambda);
    Y = (N + Height) * cosPhi * std::sin(lambda);
    Z = ((1.0 - c.e2) * N + Height) * sinPhi;
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid E, double& Lat, double& Long, double& Height) {
    const auto& c = Constants(E);
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

int HelmertTransform(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2, double& Long2,
                     double& Height2) {
    return Shift<FromWGS84>(SrcDatum, Lat, Long, Height, DstDatum, Lat2, Long2, Height2);
}

int HelmertTransformExact(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2,
                          double& Long2, double& Height2) {
    return Shift<FromWGS84Exact>(SrcDatum, Lat, Long, Height, DstDatum, Lat2, Long2, Height2);
}

}  // namespace zylcarto
