#include "zylcarto/geodesy/geocentric.h"

#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric_math.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr double ArcSecToRad = DegToRad / 3600.0;

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
    geocentric::ToCartesian(geocentric::Constants(E), Lat, Long, Height, X, Y, Z);
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid E, double& Lat, double& Long, double& Height) {
    geocentric::ToGeographic(geocentric::Constants(E), X, Y, Z, Lat, Long, Height);
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
