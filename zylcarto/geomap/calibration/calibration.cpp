#include "zylcarto/geomap/calibration/calibration.h"

#include <cmath>
#include <vector>

#include "zylcarto/geomap/calibration/calib_convert.h"
#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr double EarthRadius = 6378000.0;
constexpr double EarthCircumference = 40074155.889191404;

}  // namespace

bool PositionInMap(double Lat, double Long, const TCornerArray& Corners) {
    // A map across the antimeridian has corners written 179 and -179.
    const TLongitudeFrame frame = CornersLongFrame(Corners);
    Long = UnwrapLongitude(Long, frame.Centre);
    // Signed area of (Q, P, position): the position is inside when it lies on the
    // same side of every edge as of the top edge.
    auto side = [&](TCorners from, TCorners to) {
        const TCoords& Q = Corners[from];
        const TCoords& P = Corners[to];
        const double qLong = frame.Apply(Q.Longit), pLong = frame.Apply(P.Longit);
        return (pLong - qLong) * (Lat - Q.Latit) - (P.Latit - Q.Latit) * (Long - qLong);
    };
    const double d0 = side(gcoTopLeft, gcoTopRight);
    return side(gcoBottomLeft, gcoTopLeft) * d0 > 0 && side(gcoBottomRight, gcoBottomLeft) * d0 > 0 &&
           side(gcoTopRight, gcoBottomRight) * d0 > 0;
}

TMapCalibration::TMapCalibration(std::string OwnerName) : FName(std::move(OwnerName)) {}

void TMapCalibration::SetMapImageSize(int Width, int Height) {
    FMapImgWidth = Width > 0 ? Width : 0;
    FMapImgHeight = Height > 0 ? Height : 0;
}

void TMapCalibration::Assign(const TMapCalibration& Source) {
    FCalibModel = Source.FCalibModel;
    FCalibData = Source.FCalibData;
    FGratMat.Clone(Source.FGratMat);
    FPars = Source.FPars;
    FBiQuadOops = Source.FBiQuadOops;
    FRestoreBiQuadOK = Source.FRestoreBiQuadOK;
    FParaIpOops = Source.FParaIpOops;
    FRestoreParaIpOK = Source.FRestoreParaIpOK;
    FCalDatName = Source.FCalDatName;
}

void TMapCalibration::Repaint() const {
    if (FRepaint) FRepaint();
}

void TMapCalibration::Raise(const std::string& Text) const { throw EZYLGeoMapError(ComponentMessage(FName, Text)); }

void TMapCalibration::StoreCalibModel(TCalibModel Value) { FCalibModel = Value <= cmUndefined ? Value : cmUndefined; }

void TMapCalibration::SetCalibModel(TCalibModel Value) {
    StoreCalibModel(Value);
    RecalcCalibration();
}

void TMapCalibration::SetUTMZone(int Value) {
    if (Value >= 1 && Value <= 60) FCalibData.UTMZone = Value;
}

THemisphere TMapCalibration::GetUTMHemisphere() const {
    return FCalibData.UTMSouth ? THemisphere::hemiSouth : THemisphere::hemiNorth;
}

void TMapCalibration::SetUTMHemisphere(THemisphere Value) { FCalibData.UTMSouth = Value == THemisphere::hemiSouth; }

void TMapCalibration::ClearCalibData() {
    FCalibData.NumCalLines = 0;
    for (TCalibLine& line : FCalibData.CalLines) line.NumPoints = 0;
    for (TCoords& corner : FCalibData.Corners) corner = {};
    FCalibData.Resolution = 0;
    FCalibData.UTMZone = -1;
    FCalibData.UTMSouth = false;
    FCalibData.Ellipsoid = TGeoEllipsoid::gelWGS84;
    FGratMat.Resize(5, 1);
    for (TCalQuad& q : FCalibData.CalQuads) q = {};
    FCalibData.NumCalQuads = 0;
    FPars = {};
    Repaint();
}

void TMapCalibration::Clear() {
    ClearCalibData();
    FCalibModel = cmUndefined;
    FCalibData.MapFName.clear();
    FCalibData.Caption.clear();
    SetMapImageSize(0, 0);
    Repaint();
}

bool TMapCalibration::RecalcGratMat() { return FitGratMat(FCalibData, FGratMat); }

TCalibData TMapCalibration::GeoFitData() {
    std::vector<TLongitudeAt> longs;
    for (int i = 1; i <= UsedCalQuads(FCalibData); ++i)
        longs.push_back({FCalibData.CalQuads[i].Longitude, double(FCalibData.CalQuads[i].MapX)});
    const TLongitudeFrame frame = LongitudeFrame(longs);
    TCalibData D = FCalibData;
    bool beyond180 = false;
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        double& l = D.CalQuads[i].Longitude;
        beyond180 = beyond180 || std::fabs(l) > 180;
        l = frame.Apply(l);
    }
    // Points written within -180..180 that need no unwrapping are taken around 0,
    // as every position given to the map is.
    FPars.LongCentre = frame.Unwrap || beyond180 ? frame.Centre : 0.0;
    return D;
}

void TMapCalibration::CalcEquiRectCalibration() {
    // UTM points are metres of one zone: nothing wraps.
    if (FCalibModel == cmUTM)
        FitEquiRect(FCalibData, FPars);
    else
        FitEquiRect(GeoFitData(), FPars);
}
void TMapCalibration::CalcBiquadraticCalibration() { FitBiquadratic(GeoFitData(), FPars); }
void TMapCalibration::CalcMillerCylCalibration() { FitMillerCyl(GeoFitData(), FPars); }
void TMapCalibration::CalcConicCalibration() { FitConic(GeoFitData(), FMapImgWidth, FMapImgHeight, FPars); }

void TMapCalibration::FitActiveModel() {
    switch (FCalibModel) {
    case cmBiquadraticPn: CalcBiquadraticCalibration(); break;
    case cmConicConformal: CalcConicCalibration(); break;
    case cmMillerCylindrical: CalcMillerCylCalibration(); break;
    case cmEquiRect:
    case cmUTM: CalcEquiRectCalibration(); break;
    case cmParabolicIp:
    case cmUndefined: break;
    }
    CalcExtentsAndResolution();
}

void TMapCalibration::RecalcCalibration() {
    RecalcGratMat();
    FitActiveModel();
    Repaint();
}

double TMapCalibration::CalcLatitude(int x, int y, bool& valid) const {
    const TGeoResult r = PixelToGeo({FCalibModel, FCalibData, FGratMat, FPars}, x, y);
    valid = r.LatValid;
    return r.Latitude;
}

double TMapCalibration::CalcLongitude(int x, int y, bool& valid) const {
    const TGeoResult r = PixelToGeo({FCalibModel, FCalibData, FGratMat, FPars}, x, y);
    valid = r.LongValid;
    return r.Longitude;
}

bool TMapCalibration::CalcPixelCoords(double Lat, double Long, int& x, int& y) const {
    return GeoToPixel({FCalibModel, FCalibData, FGratMat, FPars}, Lat, Long, x, y);
}

bool TMapCalibration::CalcPixelCoordsUTM(double Northing, double Easting, int& x, int& y) const {
    x = 0;
    y = 0;
    if (FCalibModel != cmUTM) return false;
    UTMGridToPixel(FPars, Northing, Easting, x, y);
    return true;
}

bool TMapCalibration::CalcPositionFrac(double x, double y, double& Lat, double& Long) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const TGeoResult r = PixelToGeoFrac({FCalibModel, FCalibData, FGratMat, FPars}, x, y);
    if (!r.LatValid || !r.LongValid) return false;
    Lat = r.Latitude;
    Long = r.Longitude;
    return true;
}

bool TMapCalibration::CalcPixelCoordsFrac(double Lat, double Long, double& x, double& y) const {
    if (!std::isfinite(Lat) || !std::isfinite(Long)) return false;
    double fx = 0, fy = 0;
    if (!GeoToPixelFrac({FCalibModel, FCalibData, FGratMat, FPars}, Lat, Long, fx, fy)) return false;
    if (!std::isfinite(fx) || !std::isfinite(fy)) return false;
    x = fx;
    y = fy;
    return true;
}

bool TMapCalibration::CalcGridFrac(double x, double y, double& Northing, double& Easting) const {
    if (FCalibModel != cmUTM) return false;
    const auto& E = FPars.EquRectPLSP;
    const double n = E[1][1] + E[1][2] * x + E[1][3] * y, e = E[2][1] + E[2][2] * x + E[2][3] * y;
    if (!std::isfinite(n) || !std::isfinite(e)) return false;
    Northing = n;
    Easting = e;
    return true;
}

bool TMapCalibration::CalcPixelCoordsUTMFrac(double Northing, double Easting, double& x, double& y) const {
    if (FCalibModel != cmUTM) return false;
    double fx = 0, fy = 0;
    UTMGridToPixelFrac(FPars, Northing, Easting, fx, fy);
    if (!std::isfinite(fx) || !std::isfinite(fy)) return false;
    x = fx;
    y = fy;
    return true;
}

int TMapCalibration::CalcUTMyFromNorthingX(double Northing, int x) const {
    const auto& S = FPars.EquRectSPPL;
    if (S[1][3] == 0.0) return 0;
    const double easting = (x - S[1][1] - S[1][2] * Northing) / S[1][3];
    return RoundToInt(S[2][1] + S[2][2] * Northing + S[2][3] * easting);
}

int TMapCalibration::CalcUTMxFromEastingY(double Easting, int y) const {
    const auto& S = FPars.EquRectSPPL;
    if (S[2][2] == 0.0) return 0;
    const double northing = (y - S[2][1] - S[2][3] * Easting) / S[2][2];
    return RoundToInt(S[1][1] + S[1][2] * northing + S[1][3] * Easting);
}

bool TMapCalibration::IsPositionWithinMap(double Latit, double Longit) const {
    return IsGeoPosition(Latit, GivenLongitude(Longit)) && PositionInMap(Latit, Longit, FCalibData.Corners);
}

void TMapCalibration::CalcExtentsAndResolution() {
    const int W = FMapImgWidth, H = FMapImgHeight;
    // The corners in the map's own longitudes: a world map drawn from 0 to 360
    // keeps its edges apart, one from 179 E to 179 W runs to 181.
    auto at = [&](int x, int y) {
        const TGeoResult r = PixelToGeo({FCalibModel, FCalibData, FGratMat, FPars}, x, y);
        return TCoords{r.Latitude, r.MapLongitude};
    };
    FCalibData.Corners[gcoTopLeft] = at(0, 0);
    FCalibData.Corners[gcoBottomLeft] = at(0, H);
    FCalibData.Corners[gcoBottomRight] = at(W, H);
    FCalibData.Corners[gcoTopRight] = at(W, 0);
    if (W < 1) {
        FCalibData.Resolution = 0;
        return;
    }
    const TGeoResult left = PixelToGeo({FCalibModel, FCalibData, FGratMat, FPars}, 0, H / 2);
    const TGeoResult right = PixelToGeo({FCalibModel, FCalibData, FGratMat, FPars}, W, H / 2);
    double dist = SphereGreatCircleDist(EarthRadius, left.Latitude, left.Longitude, right.Latitude, right.Longitude);
    // The great circle takes the short way round: a map wider than half the globe
    // spans the long way, and one wider than the globe a full turn more. The
    // longitudes as the map runs tell, not the normalised ones.
    const double dl = right.MapLongitude - left.MapLongitude;
    if (dl > 360)
        dist += EarthCircumference;
    else if (dl > 180)
        dist = EarthCircumference - dist;
    FCalibData.Resolution = dist / W;
}

}  // namespace zylcarto
