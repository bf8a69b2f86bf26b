#include "zylcarto/geomap/calibration/calibration.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "zylcarto/geomap/calibration/calib_convert.h"
#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/geomap/calibration/crs_transform.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr double EarthRadius = 6378000.0;
constexpr double EarthCircumference = 40074155.889191404;

// Hands on a pair only when both are finite: a conversion that fails leaves its outputs alone.
bool StoreFinite(double a, double b, double& A, double& B) {
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    A = a;
    B = b;
    return true;
}

// Converts the first n pairs in place, one at a time; Valid tells which were.
template <typename Convert>
std::size_t ConvertEach(std::span<double> A, std::span<double> B, std::span<std::uint8_t> Valid, std::size_t n,
                        Convert&& convert) {
    std::size_t valid = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double a = 0, b = 0;
        Valid[i] = convert(A[i], B[i], a, b) ? 1 : 0;
        if (Valid[i]) {
            A[i] = a;
            B[i] = b;
            ++valid;
        }
    }
    return valid;
}

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

// In the body: FError is declared after FCrs, so it does not exist yet while FCrs is initialised.
TCRSConverter::TCRSConverter(const std::string& Definition) { FCrs = TCrsTransform::Create(Definition, FError); }

bool TCRSConverter::IsGeographic() const { return FCrs && FCrs->IsGeographic(); }

std::size_t TCRSConverter::FromWGS84(std::span<double> LatNorth, std::span<double> LongEast,
                                     std::span<std::uint8_t> Valid) const {
    const std::size_t n = std::min({LatNorth.size(), LongEast.size(), Valid.size()});
    std::vector<double> east(n), north(n);
    for (std::size_t i = 0; i < n; ++i) {
        const bool geo = FCrs && IsGeoPosition(LatNorth[i], LongEast[i]);
        east[i] = geo ? LongEast[i] : std::nan("");
        north[i] = geo ? LatNorth[i] : std::nan("");
    }
    if (FCrs) FCrs->ToGrid(east.data(), north.data(), n);
    std::size_t valid = 0;
    for (std::size_t i = 0; i < n; ++i) {
        Valid[i] = std::isfinite(north[i]) && std::isfinite(east[i]) ? 1 : 0;
        if (!Valid[i]) continue;
        LatNorth[i] = north[i];
        LongEast[i] = east[i];
        ++valid;
    }
    return valid;
}

std::size_t TCRSConverter::ToWGS84(std::span<double> NorthLat, std::span<double> EastLong,
                                   std::span<std::uint8_t> Valid) const {
    const std::size_t n = std::min({NorthLat.size(), EastLong.size(), Valid.size()});
    std::vector<double> east(EastLong.begin(), EastLong.begin() + n), north(NorthLat.begin(), NorthLat.begin() + n);
    if (FCrs) FCrs->ToGeo(east.data(), north.data(), n);
    std::size_t valid = 0;
    for (std::size_t i = 0; i < n; ++i) {
        Valid[i] = FCrs && IsGeoPosition(north[i], east[i]) ? 1 : 0;
        if (!Valid[i]) continue;
        NorthLat[i] = north[i];
        EastLong[i] = east[i];
        ++valid;
    }
    return valid;
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
    FCrs = Source.FCrs;
    FCrsError = Source.FCrsError;
}

void TMapCalibration::Repaint() const {
    if (FRepaint) FRepaint();
}

void TMapCalibration::Raise(const std::string& Text) const { throw EZYLGeoMapError(ComponentMessage(FName, Text)); }

void TMapCalibration::StoreCalibModel(TCalibModel Value) { FCalibModel = Value <= cmProjected ? Value : cmUndefined; }

bool TMapCalibration::SetCRS(const std::string& Definition) {
    FCalibData.CRS = Definition;
    FCrs.reset();
    SyncCrs();
    if (Definition.empty()) FCrsError = "no coordinate reference system given";
    return FCrs != nullptr;
}

void TMapCalibration::SyncCrs() {
    if (FCrs && FCrs->Definition() == FCalibData.CRS) return;
    FCrs.reset();
    FCrsError.clear();
    if (FCalibData.CRS.empty()) return;
    FCrs = TCrsTransform::Create(FCalibData.CRS, FCrsError);
}

const TCrsTransform* TMapCalibration::Crs() const {
    // A definition written into the data since the last refit is not used until then.
    return FCrs && FCrs->Definition() == FCalibData.CRS ? FCrs.get() : nullptr;
}

TCalibView TMapCalibration::View() const { return {FCalibModel, FCalibData, FGratMat, FPars, Crs()}; }

std::string TMapCalibration::CRSOperation() const {
    const TCrsTransform* crs = Crs();
    if (!crs) return "";
    double north = 0, east = 0;
    const int n = UsedCalQuads(FCalibData);
    for (int i = 1; i <= n; ++i) {
        north += FCalibData.CalQuads[i].Latitude / n;
        east += FCalibData.CalQuads[i].Longitude / n;
    }
    return crs->OperationAt(east, north);
}

void TMapCalibration::SetProjOrder(int Value) {
    if (Value == 1 || Value == 2) FCalibData.ProjOrder = Value;
}

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
    FCalibData.CRS.clear();
    FCalibData.ProjOrder = 1;
    FCrs.reset();
    FCrsError.clear();
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

void TMapCalibration::CalcProjectedCalibration() {
    SyncCrs();
    FitProjected(FCalibData, FPars);
}

void TMapCalibration::FitActiveModel() {
    SyncCrs();
    switch (FCalibModel) {
    case cmBiquadraticPn: CalcBiquadraticCalibration(); break;
    case cmConicConformal: CalcConicCalibration(); break;
    case cmMillerCylindrical: CalcMillerCylCalibration(); break;
    case cmEquiRect:
    case cmUTM: CalcEquiRectCalibration(); break;
    case cmProjected: CalcProjectedCalibration(); break;
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
    const TGeoResult r = PixelToGeo(View(), x, y);
    valid = r.LatValid;
    return valid ? r.Latitude : std::nan("");
}

double TMapCalibration::CalcLongitude(int x, int y, bool& valid) const {
    const TGeoResult r = PixelToGeo(View(), x, y);
    valid = r.LongValid;
    return valid ? r.Longitude : std::nan("");
}

bool TMapCalibration::CalcPixelCoords(double Lat, double Long, int& x, int& y) const {
    return GeoToPixel(View(), Lat, Long, x, y);
}

bool TMapCalibration::CalcPixelCoordsUTM(double Northing, double Easting, int& x, int& y) const {
    double fx = 0, fy = 0;
    if (!CalcPixelCoordsUTMFrac(Northing, Easting, fx, fy)) return false;
    x = RoundToInt(fx);
    y = RoundToInt(fy);
    return true;
}

bool TMapCalibration::CalcPositionFrac(double x, double y, double& Lat, double& Long) const {
    if (!std::isfinite(x) || !std::isfinite(y)) return false;
    const TGeoResult r = PixelToGeoFrac(View(), x, y);
    if (!r.LatValid || !r.LongValid) return false;
    Lat = r.Latitude;
    Long = r.Longitude;
    return true;
}

bool TMapCalibration::CalcPixelCoordsFrac(double Lat, double Long, double& x, double& y) const {
    if (!std::isfinite(Lat) || !std::isfinite(Long)) return false;
    double fx = 0, fy = 0;
    return GeoToPixelFrac(View(), Lat, Long, fx, fy) && StoreFinite(fx, fy, x, y);
}

bool TMapCalibration::CalcGridFrac(double x, double y, double& Northing, double& Easting) const {
    if (!IsGridModel(FCalibModel) || !ModelFitted(FCalibModel, FPars)) return false;
    const auto& E = FPars.EquRectPLSP;
    double n = E[1][1] + E[1][2] * x + E[1][3] * y, e = E[2][1] + E[2][2] * x + E[2][3] * y;
    if (FCalibModel == cmProjected) ProjPixelToGrid(FPars, x, y, n, e);
    return StoreFinite(n, e, Northing, Easting);
}

bool TMapCalibration::CalcPixelCoordsUTMFrac(double Northing, double Easting, double& x, double& y) const {
    if (FCalibModel != cmUTM || !ModelFitted(FCalibModel, FPars)) return false;
    double fx = 0, fy = 0;
    UTMGridToPixelFrac(FPars, Northing, Easting, fx, fy);
    return StoreFinite(fx, fy, x, y);
}

bool TMapCalibration::CalcPixelCoordsGridFrac(double Northing, double Easting, double& x, double& y) const {
    if (FCalibModel == cmUTM) return CalcPixelCoordsUTMFrac(Northing, Easting, x, y);
    if (FCalibModel != cmProjected || !ModelFitted(FCalibModel, FPars)) return false;
    double fx = 0, fy = 0;
    ProjGridToPixel(FPars, Northing, Easting, fx, fy);
    return StoreFinite(fx, fy, x, y);
}

std::size_t TMapCalibration::CalcPositionsFrac(std::span<double> XLat, std::span<double> YLong,
                                               std::span<std::uint8_t> Valid) const {
    const std::size_t n = std::min({XLat.size(), YLong.size(), Valid.size()});
    std::size_t valid = 0;
    const TCrsTransform* crs = Crs();
    if (FCalibModel != cmProjected || !crs || !ModelFitted(FCalibModel, FPars))
        return ConvertEach(XLat, YLong, Valid, n, [this](double x, double y, double& lat, double& lon) {
            return CalcPositionFrac(x, y, lat, lon);
        });
    // Grid positions first, then one pass through PROJ for all of them.
    std::vector<double> east(n), north(n);
    for (std::size_t i = 0; i < n; ++i) ProjPixelToGrid(FPars, XLat[i], YLong[i], north[i], east[i]);
    crs->ToGeo(east.data(), north.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
        Valid[i] = std::isfinite(north[i]) && std::isfinite(east[i]) ? 1 : 0;
        if (!Valid[i]) continue;
        XLat[i] = north[i];
        YLong[i] = east[i];
        ++valid;
    }
    return valid;
}

std::size_t TMapCalibration::CalcPixelCoordsFrac(std::span<double> LatX, std::span<double> LongY,
                                                 std::span<std::uint8_t> Valid) const {
    const std::size_t n = std::min({LatX.size(), LongY.size(), Valid.size()});
    std::size_t valid = 0;
    const TCrsTransform* crs = Crs();
    if (FCalibModel != cmProjected || !crs || !ModelFitted(FCalibModel, FPars))
        return ConvertEach(LatX, LongY, Valid, n, [this](double lat, double lon, double& x, double& y) {
            return CalcPixelCoordsFrac(lat, lon, x, y);
        });
    std::vector<double> east(n), north(n);
    for (std::size_t i = 0; i < n; ++i) {
        // Positions the library refuses elsewhere are refused here too.
        const bool geo = IsGeoPosition(LatX[i], LongY[i]);
        east[i] = geo ? LongY[i] : std::nan("");
        north[i] = geo ? LatX[i] : std::nan("");
    }
    crs->ToGrid(east.data(), north.data(), n);
    for (std::size_t i = 0; i < n; ++i) {
        double x = std::nan(""), y = x;
        if (std::isfinite(north[i]) && std::isfinite(east[i])) ProjGridToPixel(FPars, north[i], east[i], x, y);
        Valid[i] = std::isfinite(x) && std::isfinite(y) ? 1 : 0;
        if (!Valid[i]) continue;
        LatX[i] = x;
        LongY[i] = y;
        ++valid;
    }
    return valid;
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
        const TGeoResult r = PixelToGeo(View(), x, y);
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
    const TGeoResult left = PixelToGeo(View(), 0, H / 2);
    const TGeoResult right = PixelToGeo(View(), W, H / 2);
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
