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

}  // namespace

void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid E, double& X, double& Y, double& Z) {
    geocentric::ToCartesian(geocentric::Constants(E), Lat, Long, Height, X, Y, Z);
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid E, double& Lat, double& Long, double& Height) {
    geocentric::ToGeographic(geocentric::Constants(E), X, Y, Z, Lat, Long, Height);
}

int HelmertTransform(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2, double& Long2,
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
    p = FromWGS84(dst, ToWGS84(src, p));
    CartesianToGeo(p.x, p.y, p.z, dst.Ellipsoid, Lat2, Long2, Height2);
    return status;
}

}  // namespace zylcarto
