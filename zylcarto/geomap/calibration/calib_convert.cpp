#include "zylcarto/geomap/calibration/calib_convert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/geomap/calibration/crs_transform.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr double RadToDeg = 180.0 / std::numbers::pi;
constexpr double NoLine = 1e20;
// Newton's method on the two parabolas: it converges in a handful of steps or not at all.
constexpr int GratIterations = 60;
constexpr double GratTolerance = 1e-12;
constexpr double GratResidual = 1e-6;  // pixels
// Newton's method on the projected model's polynomial starts next to the answer.
constexpr int ProjInverseIterations = 8;

bool ValidZone(int Zone) { return Zone >= 1 && Zone <= 60; }

double ZoneCentralMeridian(int Zone) { return Zone * 6.0 - 183.0; }

// The two rows of one line kind nearest by Distance(row), nearest first.
struct TNearestPair {
    int A = 0, B = 0;
    double DA = NoLine, DB = NoLine;
    void Offer(int Row, double D) {
        if (D < DA) {
            B = A;
            DB = DA;
            A = Row;
            DA = D;
        } else if (D < DB) {
            B = Row;
            DB = D;
        }
    }
    bool Complete() const { return A != 0 && B != 0; }
};

double GratType(const TMatrix& G, int Row) { return G.GetVal(1, Row); }
double GratValue(const TMatrix& G, int Row) { return G.GetVal(2, Row); }
double GratCurve(const TMatrix& G, int Row, double t) {
    return G.GetVal(3, Row) + G.GetVal(4, Row) * t + G.GetVal(5, Row) * t * t;
}

// Rows of lines with fewer than 3 points carry no parabola: their zero
// coefficients would stand for a line along the image's top or left edge.
bool GratRowFitted(const TCalibData& D, int Row) { return Row <= UsedCalLines(D) && UsedPoints(D.CalLines[Row]) >= 3; }

bool EnoughGratLines(const TCalibData& D, const TMatrix& G) {
    int meridians = 0, parallels = 0;
    for (int r = 1; r <= G.NrOfRows(); ++r) {
        if (!GratRowFitted(D, r)) continue;
        const int kind = RoundToInt(GratType(G, r));
        if (kind == 0) ++meridians;
        if (kind == 1) ++parallels;
    }
    return meridians >= 2 && parallels >= 2;
}

// Interpolates the value of the lines of one kind at pixel (along, across):
// parallels give y of x and a latitude, meridians x of y and a longitude.
bool InterpolateGrat(const TCalibData& D, const TMatrix& G, double Kind, double Along, double Across, double& Value) {
    TNearestPair p;
    for (int r = 1; r <= G.NrOfRows(); ++r)
        if (GratRowFitted(D, r) && GratType(G, r) == Kind) p.Offer(r, std::fabs(Across - GratCurve(G, r, Along)));
    if (!p.Complete()) return false;
    const double ca = GratCurve(G, p.A, Along), cb = GratCurve(G, p.B, Along);
    // Lines that meet at this pixel give no scale to interpolate by.
    if (ca == cb) return false;
    const double va = GratValue(G, p.A), vb = GratValue(G, p.B);
    Value = vb + (va - vb) * (Across - cb) / (ca - cb);
    return std::isfinite(Value);
}

// The parabola coefficients of the line of value V, interpolated between the two
// lines of that kind whose values are nearest to V.
bool InterpolatedParabola(const TCalibData& D, const TMatrix& G, double Kind, double V, double c[3]) {
    TNearestPair p;
    for (int r = 1; r <= G.NrOfRows(); ++r)
        if (GratRowFitted(D, r) && GratType(G, r) == Kind) p.Offer(r, std::fabs(V - GratValue(G, r)));
    if (!p.Complete()) return false;
    const double va = GratValue(G, p.A), vb = GratValue(G, p.B);
    if (va == vb) return false;
    for (int k = 0; k < 3; ++k) {
        const double ka = G.GetVal(3 + k, p.A), kb = G.GetVal(3 + k, p.B);
        c[k] = kb + (ka - kb) * (V - vb) / (va - vb);
    }
    return true;
}

// The middle of the fitted meridians' values, which FitGratMat has unwrapped.
double MeridiansCentre(const TCalibData& D, const TMatrix& G) {
    double lo = 0, hi = 0;
    bool any = false;
    for (int r = 1; r <= G.NrOfRows(); ++r) {
        if (!GratRowFitted(D, r) || GratType(G, r) != 0.0) continue;
        const double v = GratValue(G, r);
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    return 0.5 * (lo + hi);
}

bool GratToPixel(const TCalibData& D, const TMatrix& G, double Lat, double Long, double& X, double& Y) {
    if (!EnoughGratLines(D, G)) return false;
    Long = UnwrapLongitude(Long, MeridiansCentre(D, G));
    double par[3], mer[3];
    if (!InterpolatedParabola(D, G, 1.0, Lat, par) || !InterpolatedParabola(D, G, 0.0, Long, mer)) return false;
    // The intersection of the parallel y = p(x) and the meridian x = m(y) by Newton's
    // method, from the intersection of their linear parts: a plain fixed-point
    // iteration contracts only by the product of the slopes and fails on rotated
    // graticules.
    const double linDet = 1.0 - par[1] * mer[1];
    if (linDet == 0.0) return false;
    X = (mer[0] + mer[1] * par[0]) / linDet;
    Y = par[0] + par[1] * X;
    for (int i = 0; i < GratIterations; ++i) {
        const double f1 = Y - (par[0] + par[1] * X + par[2] * X * X);
        const double f2 = X - (mer[0] + mer[1] * Y + mer[2] * Y * Y);
        const double dp = par[1] + 2 * par[2] * X, dm = mer[1] + 2 * mer[2] * Y;
        const double det = dp * dm - 1.0;
        if (det == 0.0 || !std::isfinite(det)) return false;
        // J = [[-dp, 1], [1, -dm]]; step = -J^-1 F.
        const double dX = (dm * f1 + f2) / det;
        const double dY = (f1 + dp * f2) / det;
        X += dX;
        Y += dY;
        if (!std::isfinite(X) || !std::isfinite(Y)) return false;
        if (std::fabs(dX) + std::fabs(dY) <= GratTolerance * (1.0 + std::fabs(X) + std::fabs(Y))) {
            const double r1 = Y - (par[0] + par[1] * X + par[2] * X * X);
            const double r2 = X - (mer[0] + mer[1] * Y + mer[2] * Y * Y);
            return std::fabs(r1) <= GratResidual && std::fabs(r2) <= GratResidual;
        }
    }
    return false;
}

double Poly6(const TFixedArray<double, 6>& K, double u, double v) {
    return K[1] + K[2] * u + K[3] * v + K[4] * u * u + K[5] * u * v + K[6] * v * v;
}

TGeoResult Both(double Lat, double Long) {
    TGeoResult r;
    r.Latitude = Lat;
    r.Longitude = Long;
    r.LatValid = r.LongValid = true;
    return r;
}

template <int Rows, int Cols>
bool RowsFitted(const TParRows<Rows, Cols>& P) {
    for (int r = 1; r <= Rows; ++r)
        if (std::all_of(P[r].begin(), P[r].end(), [](double c) { return c == 0.0; })) return false;
    return true;
}

TGeoResult PixelToGeoByModel(const TCalibView& C, double X, double Y) {
    const TCalibParams& P = C.Pars;
    TGeoResult r;
    if (!ModelFitted(C.Model, P)) return r;
    switch (C.Model) {
    case cmParabolicIp:
        if (!EnoughGratLines(C.Data, C.GratMat)) return r;
        r.LatValid = InterpolateGrat(C.Data, C.GratMat, 1.0, X, Y, r.Latitude);
        r.LongValid = InterpolateGrat(C.Data, C.GratMat, 0.0, Y, X, r.Longitude);
        return r;
    case cmBiquadraticPn: {
        const auto& B = P.CalParsPLSP;
        auto poly = [&](int row) {
            return B[row][1] + B[row][2] * X + B[row][3] * Y + B[row][4] * X * X + B[row][5] * X * Y +
                   B[row][6] * Y * Y;
        };
        return Both(poly(1), poly(2));
    }
    case cmConicConformal: {
        const auto& K = P.ConicPars;
        const double dx = X - K[1], dy = Y - K[2];
        r.Latitude = K[3] * std::sqrt(dx * dx + dy * dy) + K[4];
        r.LatValid = true;
        // On the apex row the angle is undefined.
        if (dy != 0.0) {
            r.Longitude = K[5] * std::atan(dx / dy) + K[6];
            r.LongValid = true;
        }
        return r;
    }
    case cmMillerCylindrical: {
        const auto& M = P.MillercylPar;
        if (M[1][1] != 0.0) {
            r.Latitude = (std::atan(std::exp((Y - M[1][2]) / M[1][1])) - std::numbers::pi / 4) * 143.2394487827058;
            r.LatValid = true;
        }
        if (M[2][1] != 0.0) {
            r.Longitude = (X - M[2][2]) / M[2][1] * RadToDeg;
            r.LongValid = true;
        }
        return r;
    }
    case cmEquiRect: {
        const auto& E = P.EquRectPLSP;
        return Both(E[1][1] + E[1][2] * X + E[1][3] * Y, E[2][1] + E[2][2] * X + E[2][3] * Y);
    }
    case cmUTM: {
        // Without a zone the grid position has no geographic meaning.
        if (!ValidZone(C.Data.UTMZone)) return r;
        const auto& E = P.EquRectPLSP;
        const double northing = E[1][1] + E[1][2] * X + E[1][3] * Y;
        const double easting = E[2][1] + E[2][2] * X + E[2][3] * Y;
        double lat = 0, lon = 0;
        UTMToLatLong(easting, northing, C.Data.UTMZone, C.Data.UTMSouth, C.Data.Ellipsoid, lat, lon);
        return Both(lat, lon);
    }
    case cmProjected: {
        if (!C.Crs) return r;
        double north = 0, east = 0;
        ProjPixelToGrid(P, X, Y, north, east);
        C.Crs->ToGeo(&east, &north, 1);
        return Both(north, east);
    }
    case cmUndefined: break;
    }
    return r;
}

}  // namespace

bool ModelFitted(TCalibModel Model, const TCalibParams& P) {
    switch (Model) {
    case cmEquiRect:
    case cmUTM: return RowsFitted(P.EquRectPLSP) && RowsFitted(P.EquRectSPPL);
    case cmBiquadraticPn: return RowsFitted(P.CalParsPLSP) && RowsFitted(P.CalParsSPPL);
    case cmProjected: return RowsFitted(P.ProjPLSP) && RowsFitted(P.ProjSPPL);
    case cmConicConformal: return P.ConicPars[3] != 0.0 && P.ConicPars[5] != 0.0 && P.ConicSide != 0;
    default: return true;
    }
}

TGeoResult PixelToGeo(const TCalibView& C, int x, int y) { return PixelToGeoFrac(C, x, y); }

// The longitude the map is centred on, as its model measures longitudes.
double ModelLongCentre(const TCalibView& C) {
    switch (C.Model) {
    case cmParabolicIp: return MeridiansCentre(C.Data, C.GratMat);
    case cmUTM: return ValidZone(C.Data.UTMZone) ? ZoneCentralMeridian(C.Data.UTMZone) : 0.0;
    case cmProjected: return 0.0;  // PROJ answers within -180..180
    default: return C.Pars.LongCentre;
    }
}

TGeoResult PixelToGeoFrac(const TCalibView& C, double x, double y) {
    TGeoResult r = PixelToGeoByModel(C, x, y);
    // A pixel far off a map may be extrapolated beyond a pole or round the globe:
    // no position lies there.
    if (!r.LatValid || !(std::fabs(r.Latitude) <= 90)) {
        r.LatValid = false;
        r.Latitude = 0;
    }
    if (!r.LongValid || !(std::fabs(r.Longitude - ModelLongCentre(C)) <= 360)) {
        r.LongValid = false;
        r.Longitude = 0;
    }
    r.MapLongitude = r.Longitude;
    r.Longitude = NormalizeLongitude(r.Longitude);
    return r;
}

void UTMGridToPixelFrac(const TCalibParams& P, double Northing, double Easting, double& x, double& y) {
    const auto& S = P.EquRectSPPL;
    x = S[1][1] + S[1][2] * Northing + S[1][3] * Easting;
    y = S[2][1] + S[2][2] * Northing + S[2][3] * Easting;
}

void ProjPixelToGrid(const TCalibParams& P, double x, double y, double& Northing, double& Easting) {
    Northing = Poly6(P.ProjPLSP[1], x, y);
    Easting = Poly6(P.ProjPLSP[2], x, y);
}

void ProjGridToPixel(const TCalibParams& P, double Northing, double Easting, double& x, double& y) {
    x = Poly6(P.ProjSPPL[1], Northing, Easting);
    y = Poly6(P.ProjSPPL[2], Northing, Easting);
    // The fitted way back only approximates the inverse of the way there (the
    // inverse of a second-order polynomial is none): Newton's method on the way
    // there makes both directions agree, from the fitted start.
    const auto& K = P.ProjPLSP;
    double nx = x, ny = y;
    for (int i = 0; i < ProjInverseIterations; ++i) {
        double n = 0, e = 0;
        ProjPixelToGrid(P, nx, ny, n, e);
        const double dNdx = K[1][2] + 2 * K[1][4] * nx + K[1][5] * ny, dNdy = K[1][3] + K[1][5] * nx + 2 * K[1][6] * ny;
        const double dEdx = K[2][2] + 2 * K[2][4] * nx + K[2][5] * ny, dEdy = K[2][3] + K[2][5] * nx + 2 * K[2][6] * ny;
        const double det = dNdx * dEdy - dNdy * dEdx;
        if (det == 0 || !std::isfinite(det)) return;
        const double rn = Northing - n, re = Easting - e;
        const double dx = (rn * dEdy - re * dNdy) / det, dy = (re * dNdx - rn * dEdx) / det;
        nx += dx;
        ny += dy;
        if (!std::isfinite(nx) || !std::isfinite(ny)) return;
        if (std::fabs(dx) + std::fabs(dy) <= GratTolerance * (1.0 + std::fabs(nx) + std::fabs(ny))) break;
    }
    x = nx;
    y = ny;
}

void UTMGridToPixel(const TCalibParams& P, double Northing, double Easting, int& x, int& y) {
    double fx = 0, fy = 0;
    UTMGridToPixelFrac(P, Northing, Easting, fx, fy);
    x = RoundToInt(fx);
    y = RoundToInt(fy);
}

void LatLongToMapUTM(const TCalibData& D, double Lat, double Long, double& Easting, double& Northing) {
    if (!ValidZone(D.UTMZone)) {
        int zone = 0;
        LatLongToUTM(Lat, NormalizeLongitude(Long), D.Ellipsoid, zone, Easting, Northing);
        return;
    }
    // In the map's zone and hemisphere, also for positions beyond them, so that a
    // map crossing a zone border, the equator or the antimeridian (zones 1 and 60)
    // maps its whole area consistently.
    LatLongToUTMInZone(Lat, UnwrapLongitude(Long, ZoneCentralMeridian(D.UTMZone)), D.UTMZone, D.UTMSouth, D.Ellipsoid,
                       Easting, Northing);
}

bool GeoToPixelFrac(const TCalibView& C, double Lat, double Long, double& x, double& y) {
    if (!(std::fabs(Lat) <= 90) || !std::isfinite(GivenLongitude(Long))) return false;
    const TCalibParams& P = C.Pars;
    if (!ModelFitted(C.Model, P)) return false;
    // The polynomial, Miller and conic fits took the longitudes of their points
    // unwrapped around the map's centre; so must every longitude given to them.
    if (C.Model != cmParabolicIp && C.Model != cmUTM && C.Model != cmProjected)
        Long = UnwrapLongitude(Long, P.LongCentre);
    switch (C.Model) {
    case cmParabolicIp: return GratToPixel(C.Data, C.GratMat, Lat, Long, x, y);
    case cmBiquadraticPn: {
        const auto& B = P.CalParsSPPL;
        auto poly = [&](int row) {
            return B[row][1] + B[row][2] * Lat + B[row][3] * Long + B[row][4] * Lat * Lat + B[row][5] * Lat * Long +
                   B[row][6] * Long * Long;
        };
        x = poly(1);
        y = poly(2);
        return true;
    }
    case cmConicConformal: {
        const auto& K = P.ConicPars;
        const double r = (Lat - K[4]) / K[3];
        const double theta = (Long - K[6]) / K[5];
        // Beyond the apex, or outside the half-plane of the angles the model
        // measures: no pixel of this cone shows the position.
        if (!(r >= 0) || !(std::fabs(theta) < std::numbers::pi / 2)) return false;
        // The side of the apex the reference points lie on, not the hemisphere,
        // decides between the two pixels of the same radius and angle.
        const double side = P.ConicSide;
        x = K[1] + side * r * std::sin(theta);
        y = K[2] + side * r * std::cos(theta);
        return true;
    }
    case cmMillerCylindrical: {
        const auto& M = P.MillercylPar;
        // Not fitted, as in the other direction.
        if (M[1][1] == 0.0 || M[2][1] == 0.0) return false;
        x = Long * DegToRad * M[2][1] + M[2][2];
        y = std::log(std::tan(Lat * DegToRad * 0.4 + std::numbers::pi / 4)) * M[1][1] + M[1][2];
        return true;
    }
    case cmEquiRect: {
        const auto& S = P.EquRectSPPL;
        x = S[1][1] + S[1][2] * Lat + S[1][3] * Long;
        y = S[2][1] + S[2][2] * Lat + S[2][3] * Long;
        return true;
    }
    case cmUTM: {
        double easting = 0, northing = 0;
        LatLongToMapUTM(C.Data, Lat, Long, easting, northing);
        UTMGridToPixelFrac(P, northing, easting, x, y);
        return true;
    }
    case cmProjected: {
        if (!C.Crs) return false;
        double east = NormalizeLongitude(Long), north = Lat;
        C.Crs->ToGrid(&east, &north, 1);
        if (!std::isfinite(east) || !std::isfinite(north)) return false;
        ProjGridToPixel(P, north, east, x, y);
        return true;
    }
    case cmUndefined: break;
    }
    return false;
}

bool GeoToPixel(const TCalibView& C, double Lat, double Long, int& x, int& y) {
    if (C.Model == cmUndefined) return false;
    double fx = 0, fy = 0;
    if (!GeoToPixelFrac(C, Lat, Long, fx, fy) || !std::isfinite(fx) || !std::isfinite(fy)) return false;
    x = RoundToInt(fx);
    y = RoundToInt(fy);
    return true;
}

}  // namespace zylcarto
