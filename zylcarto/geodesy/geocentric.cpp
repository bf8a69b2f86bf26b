#include "zylcarto/geodesy/geocentric.h"

#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric_math.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

using geocentric::TVec3;

// The checks and the shift through WGS 84, with the step back as a template
// argument so that it is called directly.
template <TVec3 (*FromWGS84Step)(const TGeoDatum&, TVec3)>
int Shift(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2, double& Long2,
          double& Height2) {
    if (!IsGeoDatumNumber(SrcDatum) || !IsGeoDatumNumber(DstDatum)) {
        Lat2 = Lat;
        Long2 = Long;
        Height2 = Height;
        const int status = geocentric::HelmertStatus(Lat, Long, Height);
        return status != htOK ? status : IsGeoDatumNumber(DstDatum) ? htBadSourceDatum : htBadDestDatum;
    }
    const TGeoDatum &src = GeoDatumData[SrcDatum], &dst = GeoDatumData[DstDatum];
    geocentric::Shift<FromWGS84Step>(geocentric::Constants(src.Ellipsoid), src, Lat, Long, Height,
                                     geocentric::Constants(dst.Ellipsoid), dst, Lat2, Long2, Height2);
    return geocentric::HelmertStatus(Lat, Long, Height);
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
    return Shift<geocentric::FromWGS84>(SrcDatum, Lat, Long, Height, DstDatum, Lat2, Long2, Height2);
}

int HelmertTransformExact(int SrcDatum, double Lat, double Long, double Height, int DstDatum, double& Lat2,
                          double& Long2, double& Height2) {
    return Shift<geocentric::FromWGS84Exact>(SrcDatum, Lat, Long, Height, DstDatum, Lat2, Long2, Height2);
}

}  // namespace zylcarto
