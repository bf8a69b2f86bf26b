#include "zylcarto/geomap/calibration/calib_models.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "zylcarto/geomap/calibration/lsq_solver.h"
#include "zylcarto/support/curvefit.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr int RefinementPasses = 2;
constexpr int ConicMinimiserSteps = 400;
constexpr double ConicApexTolerance = 1e-3;  // pixels
// Far beyond what the grid can reach; an apex further off stands for a cylinder.
constexpr double ConicApexLimit = 1e12;

// The terms 1, u, v (and u^2, u*v, v^2 for six columns) of one observation.
template <int Cols>
void SetTerms(TMatrix& A, int Row, double u, double v) {
    A.SetVal(1, Row, 1.0);
    A.SetVal(2, Row, u);
    A.SetVal(3, Row, v);
    if constexpr (Cols == 6) {
        A.SetVal(4, Row, u * u);
        A.SetVal(5, Row, u * v);
        A.SetVal(6, Row, v * v);
    }
}

// Centre and spread of one variable over the reference points: the polynomial
// is solved in (value - Mean) / Spread, where its columns are of one size and
// nearly orthogonal. On raw pixels far from the origin the columns 1, x and x^2
// are so nearly parallel that the solver's cut of small singular values drops a
// term and returns a minimum-norm answer instead of the least-squares one.
struct TScaling {
    double Mean = 0, Spread = 1;
};

template <typename Get>
TScaling ScalingOf(const TCalibData& D, Get get) {
    const int n = UsedCalQuads(D);
    TScaling s;
    for (int i = 1; i <= n; ++i) s.Mean += get(D.CalQuads[i]);
    s.Mean /= n;
    double ss = 0;
    for (int i = 1; i <= n; ++i) {
        const double d = get(D.CalQuads[i]) - s.Mean;
        ss += d * d;
    }
    const double spread = std::sqrt(ss / n);
    s.Spread = spread > 0 && std::isfinite(spread) ? spread : 1.0;
    return s;
}

// The variables of one direction: pixels, or the coordinates.
void DirectionScalings(const TCalibData& D, bool FromPixels, TScaling& U, TScaling& V) {
    if (FromPixels) {
        U = ScalingOf(D, [](const TCalQuad& q) { return double(q.MapX); });
        V = ScalingOf(D, [](const TCalQuad& q) { return double(q.MapY); });
    } else {
        U = ScalingOf(D, [](const TCalQuad& q) { return q.Latitude; });
        V = ScalingOf(D, [](const TCalQuad& q) { return q.Longitude; });
    }
}

template <int Cols>
TMatrix ScaledDesign(const TCalibData& D, bool FromPixels, const TScaling& U, const TScaling& V) {
    const int n = UsedCalQuads(D);
    TMatrix A(Cols, n);
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        const double u = FromPixels ? q.MapX : q.Latitude, v = FromPixels ? q.MapY : q.Longitude;
        SetTerms<Cols>(A, i, (u - U.Mean) / U.Spread, (v - V.Mean) / V.Spread);
    }
    return A;
}

// The coefficients of a polynomial in the scaled variables u' = a u + b,
// v' = c v + d, expressed in the raw variables u and v.
template <int Cols>
void Unscale(const TVector& x, const TScaling& U, const TScaling& V, TFixedArray<double, Cols>& Out) {
    const double a = 1 / U.Spread, b = -U.Mean / U.Spread, c = 1 / V.Spread, d = -V.Mean / V.Spread;
    const double k0 = x.GetVal(1), k1 = x.GetVal(2), k2 = x.GetVal(3);
    if constexpr (Cols == 3) {
        Out[1] = k0 + k1 * b + k2 * d;
        Out[2] = k1 * a;
        Out[3] = k2 * c;
    } else {
        const double k3 = x.GetVal(4), k4 = x.GetVal(5), k5 = x.GetVal(6);
        Out[1] = k0 + k1 * b + k2 * d + k3 * b * b + k4 * b * d + k5 * d * d;
        Out[2] = k1 * a + 2 * k3 * a * b + k4 * a * d;
        Out[3] = k2 * c + k4 * b * c + 2 * k5 * c * d;
        Out[4] = k3 * a * a;
        Out[5] = k4 * a * c;
        Out[6] = k5 * c * c;
    }
}

// Fits the two rows of a polynomial model, from pixels to coordinates or back.
template <int Cols>
void FitPolynomialRows(const TCalibData& D, bool FromPixels, TParRows<2, Cols>& Out) {
    Out = {};
    const int n = UsedCalQuads(D);
    if (n == 0) return;
    TScaling U, V;
    DirectionScalings(D, FromPixels, U, V);
    const TMatrix A = ScaledDesign<Cols>(D, FromPixels, U, V);
    TVector rhs1(n), rhs2(n);
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        rhs1.SetVal(i, FromPixels ? q.Latitude : q.MapX);
        rhs2.SetVal(i, FromPixels ? q.Longitude : q.MapY);
    }
    const TVector* rhs[2] = {&rhs1, &rhs2};
    for (int row = 1; row <= 2; ++row) {
        TVector x, e;
        bool singular = false;
        if (!SolveLinearLeastSquares(A, *rhs[row - 1], x, singular, e)) continue;
        TFixedArray<double, Cols> c;
        Unscale<Cols>(x, U, V, c);
        // Refinement on the residuals of the raw form recovers what the change of
        // variables rounded off, so that exact data gives back its exact values.
        for (int pass = 0; pass < RefinementPasses; ++pass) {
            TVector r(n);
            for (int i = 1; i <= n; ++i) {
                const TCalQuad& q = D.CalQuads[i];
                const double u = FromPixels ? q.MapX : q.Latitude, v = FromPixels ? q.MapY : q.Longitude;
                double f = c[1] + c[2] * u + c[3] * v;
                if constexpr (Cols == 6) f += c[4] * u * u + c[5] * u * v + c[6] * v * v;
                r.SetVal(i, rhs[row - 1]->GetVal(i) - f);
            }
            TVector dx;
            if (!SolveLinearLeastSquares(A, r, dx, singular, e)) break;
            TFixedArray<double, Cols> dc;
            Unscale<Cols>(dx, U, V, dc);
            for (int k = 1; k <= Cols; ++k) c[k] += dc[k];
        }
        Out[row] = c;
    }
}

// Smallest over largest singular value of a design; 0 when it has no rows.
double DesignCondition(const TMatrix& A) {
    std::vector<double> w;
    if (!SingularValues(A, w) || w.empty()) return 0;
    const auto [lo, hi] = std::minmax_element(w.begin(), w.end());
    return *hi > 0 ? *lo / *hi : 0;
}

struct TConicScore {
    double Score = 0;
    double LatSlope = 0, LatIntercept = 0, LongSlope = 0, LongIntercept = 0;
};

// Fits latitude to the radius and longitude to the angle about the apex (ax, ay).
TConicScore EvaluateApex(const TCalibData& D, double ax, double ay) {
    const int n = UsedCalQuads(D);
    TCurveFit latFit, longFit;
    latFit.Init();
    longFit.Init();
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        const double dx = q.MapX - ax, dy = q.MapY - ay;
        latFit.EnterStatValue(std::sqrt(dx * dx + dy * dy), q.Latitude);
        if (dy != 0.0) longFit.EnterStatValue(std::atan(dx / dy), q.Longitude);
    }
    TConicScore s;
    double r = 0;
    latFit.CalcLinFit(s.LatSlope, s.LatIntercept, r);
    longFit.CalcLinFit(s.LongSlope, s.LongIntercept, r);
    double sumLat = 0, sumLong = 0;
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        const double dx = q.MapX - ax, dy = q.MapY - ay;
        const double dLat = q.Latitude - s.LatSlope * std::sqrt(dx * dx + dy * dy) - s.LatIntercept;
        sumLat += dLat * dLat;
        if (dy != 0.0) {
            const double dLong = q.Longitude - s.LongSlope * std::atan(dx / dy) - s.LongIntercept;
            sumLong += dLong * dLong;
        }
    }
    // rmsLat^2 + rmsLong^2, both over all points.
    s.Score = sumLat / n + sumLong / n;
    return s;
}

struct TApexStart {
    double X, Y, Scale;
};

// Starting apexes for the minimiser: the grid's answer, and points on both sides
// of the reference points along the direction in which latitude changes (the
// apex lies on that line), at distances from one to 2^20 times their extent.
std::vector<TApexStart> ApexStarts(const TCalibData& D, double GridX, double GridY) {
    const int n = UsedCalQuads(D);
    double mx = 0, my = 0;
    for (int i = 1; i <= n; ++i) {
        mx += D.CalQuads[i].MapX;
        my += D.CalQuads[i].MapY;
    }
    mx /= n;
    my /= n;
    double sxx = 0, sxy = 0, syy = 0, sxl = 0, syl = 0, ml = 0;
    for (int i = 1; i <= n; ++i) ml += D.CalQuads[i].Latitude;
    ml /= n;
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        const double dx = q.MapX - mx, dy = q.MapY - my, dl = q.Latitude - ml;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
        sxl += dx * dl;
        syl += dy * dl;
    }
    const double extent = std::max(1.0, std::sqrt((sxx + syy) / n));
    std::vector<TApexStart> starts;
    const double gridDist = std::hypot(GridX - mx, GridY - my);
    starts.push_back({GridX, GridY, std::max(extent, 0.1 * gridDist)});
    // Latitude gradient of the affine fit lat = a + gx * dx + gy * dy.
    const double det = sxx * syy - sxy * sxy;
    if (!(det > 0) || !std::isfinite(det)) return starts;
    const double gx = (syy * sxl - sxy * syl) / det, gy = (sxx * syl - sxy * sxl) / det;
    const double g = std::hypot(gx, gy);
    if (!(g > 0) || !std::isfinite(g)) return starts;
    // Ranked by score; the best few are polished.
    struct TCand {
        double X, Y, Scale, Score;
    };
    std::vector<TCand> cands;
    for (int k = 0; k <= 20; ++k) {
        const double dist = extent * std::ldexp(1.0, k);
        for (const double side : {-1.0, 1.0}) {
            const double ax = mx + side * dist * gx / g, ay = my + side * dist * gy / g;
            cands.push_back({ax, ay, 0.25 * dist, EvaluateApex(D, ax, ay).Score});
        }
    }
    std::sort(cands.begin(), cands.end(), [](const TCand& a, const TCand& b) { return a.Score < b.Score; });
    for (std::size_t i = 0; i < cands.size() && i < 4; ++i)
        if (std::isfinite(cands[i].Score)) starts.push_back({cands[i].X, cands[i].Y, cands[i].Scale});
    return starts;
}

// Nelder-Mead over the apex position from (ax, ay) with an initial simplex of the
// given size; returns the best fit and leaves its apex in (ax, ay).
TConicScore MinimiseApex(const TCalibData& D, double& ax, double& ay, double Scale) {
    struct TVertex {
        double X, Y;
        TConicScore S;
    };
    auto eval = [&](double x, double y) {
        TConicScore s = EvaluateApex(D, x, y);
        if (!std::isfinite(s.Score)) s.Score = std::numeric_limits<double>::infinity();
        return TVertex{x, y, s};
    };
    std::array<TVertex, 3> v{eval(ax, ay), eval(ax + Scale, ay), eval(ax, ay + Scale)};
    for (int it = 0; it < ConicMinimiserSteps; ++it) {
        std::sort(v.begin(), v.end(), [](const TVertex& a, const TVertex& b) { return a.S.Score < b.S.Score; });
        const double size =
            std::max(std::hypot(v[1].X - v[0].X, v[1].Y - v[0].Y), std::hypot(v[2].X - v[0].X, v[2].Y - v[0].Y));
        if (size < ConicApexTolerance) break;
        const double cx = 0.5 * (v[0].X + v[1].X), cy = 0.5 * (v[0].Y + v[1].Y);
        const TVertex r = eval(2 * cx - v[2].X, 2 * cy - v[2].Y);
        if (r.S.Score < v[0].S.Score) {
            const TVertex e = eval(3 * cx - 2 * v[2].X, 3 * cy - 2 * v[2].Y);
            v[2] = e.S.Score < r.S.Score ? e : r;
        } else if (r.S.Score < v[1].S.Score) {
            v[2] = r;
        } else {
            const TVertex c = eval(0.5 * (cx + v[2].X), 0.5 * (cy + v[2].Y));
            if (c.S.Score < v[2].S.Score) {
                v[2] = c;
            } else {
                v[1] = eval(0.5 * (v[0].X + v[1].X), 0.5 * (v[0].Y + v[1].Y));
                v[2] = eval(0.5 * (v[0].X + v[2].X), 0.5 * (v[0].Y + v[2].Y));
            }
        }
    }
    const TVertex& bestV =
        *std::min_element(v.begin(), v.end(), [](const TVertex& a, const TVertex& b) { return a.S.Score < b.S.Score; });
    ax = bestV.X;
    ay = bestV.Y;
    return bestV.S;
}

}  // namespace

bool FitGratMat(const TCalibData& D, TMatrix& GratMat) {
    const int lines = UsedCalLines(D);
    // Meridians of a map across the antimeridian (179 and -179) are interpolated
    // between with their values unwrapped around the map's centre.
    std::vector<TLongitudeAt> meridianValues;
    for (int k = 1; k <= lines; ++k) {
        const TCalibLine& line = D.CalLines[k];
        const int points = UsedPoints(line);
        if (line.LineType == gtlParallel || points == 0) continue;
        double x = 0;
        for (int p = 1; p <= points; ++p) x += line.CalPoints[p].X;
        meridianValues.push_back({line.LineValue, x / points});
    }
    const TLongitudeFrame frame = LongitudeFrame(meridianValues);
    GratMat.Resize(5, lines);
    int parallels = 0, meridians = 0;
    for (int k = 1; k <= lines; ++k) {
        const TCalibLine& line = D.CalLines[k];
        const bool parallel = line.LineType == gtlParallel;
        GratMat.SetVal(1, k, parallel ? 1.0 : 0.0);
        GratMat.SetVal(2, k, parallel ? line.LineValue : frame.Apply(line.LineValue));
        const int points = UsedPoints(line);
        if (points < 3) continue;
        TCurveFit fit;
        fit.Init();
        // Parallels run across the image (y of x), meridians down it (x of y).
        for (int p = 1; p <= points; ++p) {
            const TPoint& pt = line.CalPoints[p];
            if (parallel)
                fit.EnterStatValue(pt.X, pt.Y);
            else
                fit.EnterStatValue(pt.Y, pt.X);
        }
        double c0 = 0, c1 = 0, c2 = 0, r = 0;
        fit.CalcParabolFit(c0, c1, c2, r);
        GratMat.SetVal(3, k, c0);
        GratMat.SetVal(4, k, c1);
        GratMat.SetVal(5, k, c2);
        ++(parallel ? parallels : meridians);
    }
    if (parallels < 2 || meridians < 2) {
        GratMat.Resize(5, 1);
        return false;
    }
    return true;
}

void FitEquiRect(const TCalibData& D, TCalibParams& P) {
    FitPolynomialRows<3>(D, true, P.EquRectPLSP);
    FitPolynomialRows<3>(D, false, P.EquRectSPPL);
}

void FitBiquadratic(const TCalibData& D, TCalibParams& P) {
    FitPolynomialRows<6>(D, true, P.CalParsPLSP);
    FitPolynomialRows<6>(D, false, P.CalParsSPPL);
}

void FitProjected(const TCalibData& D, TCalibParams& P) {
    if (D.ProjOrder == 2) {
        FitPolynomialRows<6>(D, true, P.ProjPLSP);
        FitPolynomialRows<6>(D, false, P.ProjSPPL);
        return;
    }
    TParRows<2, 3> there, back;
    FitPolynomialRows<3>(D, true, there);
    FitPolynomialRows<3>(D, false, back);
    P.ProjPLSP = {};
    P.ProjSPPL = {};
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 3; ++c) {
            P.ProjPLSP[r][c] = there[r][c];
            P.ProjSPPL[r][c] = back[r][c];
        }
}

int MinimumCalibPoints(TCalibModel Model, int ProjOrder) {
    switch (Model) {
    case cmParabolicIp:
    case cmUndefined: return 0;
    case cmBiquadraticPn: return 6;
    case cmProjected: return ProjOrder == 2 ? 6 : 3;
    default: return 3;
    }
}

double FitCondition(const TCalibData& D, TCalibModel Model) {
    if (Model == cmParabolicIp) {
        TMatrix G;
        if (!FitGratMat(D, G)) return 0;
        double worst = 1;
        for (int k = 1; k <= UsedCalLines(D); ++k) {
            const TCalibLine& line = D.CalLines[k];
            const int points = UsedPoints(line);
            if (points < 3) continue;
            // The curve's own variable: x along a parallel, y down a meridian.
            auto along = [&](int p) {
                return double(line.LineType == gtlParallel ? line.CalPoints[p].X : line.CalPoints[p].Y);
            };
            double mean = 0, ss = 0;
            for (int p = 1; p <= points; ++p) mean += along(p);
            mean /= points;
            for (int p = 1; p <= points; ++p) ss += (along(p) - mean) * (along(p) - mean);
            const double spread = std::sqrt(ss / points);
            if (!(spread > 0)) return 0;
            TMatrix A(3, points);
            for (int p = 1; p <= points; ++p) {
                const double t = (along(p) - mean) / spread;
                A.SetVal(1, p, 1.0);
                A.SetVal(2, p, t);
                A.SetVal(3, p, t * t);
            }
            worst = std::min(worst, DesignCondition(A));
        }
        return worst;
    }
    if (UsedCalQuads(D) == 0 || Model == cmUndefined) return 0;
    auto polynomial = [&](bool sixTerms) {
        double worst = 1;
        for (const bool fromPixels : {true, false}) {
            TScaling U, V;
            DirectionScalings(D, fromPixels, U, V);
            worst = std::min(worst, DesignCondition(sixTerms ? ScaledDesign<6>(D, fromPixels, U, V)
                                                             : ScaledDesign<3>(D, fromPixels, U, V)));
        }
        return worst;
    };
    switch (Model) {
    case cmBiquadraticPn: return polynomial(true);
    case cmEquiRect:
    case cmUTM: return polynomial(false);
    case cmProjected: return polynomial(D.ProjOrder == 2);
    case cmConicConformal: {
        // The apex is fixed by the spread of the points in the image.
        TScaling U, V;
        DirectionScalings(D, true, U, V);
        return DesignCondition(ScaledDesign<3>(D, true, U, V));
    }
    case cmMillerCylindrical: {
        // Two straight lines: each needs its variable to vary.
        TScaling U, V;
        DirectionScalings(D, false, U, V);
        double worst = 1;
        for (const bool latitude : {true, false}) {
            const TScaling& S = latitude ? U : V;
            TMatrix A(2, UsedCalQuads(D));
            for (int i = 1; i <= UsedCalQuads(D); ++i) {
                const TCalQuad& q = D.CalQuads[i];
                A.SetVal(1, i, 1.0);
                A.SetVal(2, i, ((latitude ? q.Latitude : q.Longitude) - S.Mean) / S.Spread);
            }
            worst = std::min(worst, DesignCondition(A));
        }
        return worst;
    }
    default: return 0;
    }
}

void FitMillerCyl(const TCalibData& D, TCalibParams& P) {
    const int n = UsedCalQuads(D);
    if (n < 3) return;
    TCurveFit xFit, yFit;
    xFit.Init();
    yFit.Init();
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        xFit.EnterStatValue(q.Longitude * DegToRad, q.MapX);
        yFit.EnterStatValue(std::log(std::tan(0.4 * q.Latitude * DegToRad + std::numbers::pi / 4)), q.MapY);
    }
    double r = 0;
    xFit.CalcLinFit(P.MillercylPar[2][1], P.MillercylPar[2][2], r);
    yFit.CalcLinFit(P.MillercylPar[1][1], P.MillercylPar[1][2], r);
}

void FitConic(const TCalibData& D, int ImageWidth, int ImageHeight, TCalibParams& P) {
    const int n = UsedCalQuads(D);
    if (n < 3) return;
    int minX = ImageWidth, maxX = 0, minY = ImageHeight, maxY = 0;
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        minX = std::min(minX, q.MapX);
        maxX = std::max(maxX, q.MapX);
        minY = std::min(minY, q.MapY);
        maxY = std::max(maxY, q.MapY);
    }
    // Halved in 64 bits: pixel sums may exceed the 32-bit range.
    long long cx = (static_cast<long long>(minX) + maxX) / 2;
    long long cy = (static_cast<long long>(minY) + maxY) / 2;
    double best = 1e10;
    bool found = false;
    double bestX = static_cast<double>(cx), bestY = static_cast<double>(cy);
    TConicScore bestFit;
    auto offer = [&](double ax, double ay, const TConicScore& s) {
        if (!(s.Score < best)) return;
        best = s.Score;
        bestFit = s;
        bestX = ax;
        bestY = ay;
        found = true;
    };
    // Passes of 5 by 5 candidates, the step halved from 10^6 pixels down to one.
    constexpr int passes = ConicSearchEvaluations / 25;
    constexpr long long firstStep = 1000000;
    static_assert(passes * 25 == ConicSearchEvaluations && (firstStep >> (passes - 1)) == 1);
    for (int pass = 0; pass < passes; ++pass) {
        const long long step = firstStep >> pass;
        for (int i = -2; i <= 2; ++i)
            for (int j = -2; j <= 2; ++j) {
                const double ax = static_cast<double>(cx + i * step), ay = static_cast<double>(cy + j * step);
                offer(ax, ay, EvaluateApex(D, ax, ay));
            }
        cx = std::llround(bestX);
        cy = std::llround(bestY);
    }
    // The grid narrows around its best candidate of each pass and may leave the
    // valley of the true apex on rotated maps; a continuous minimiser from the grid's
    // answer and from starts along the latitude gradient finds it again, and only
    // a strictly better apex replaces the grid's. The apex stays on whole pixels,
    // as the grid's, so that the pixel row of the apex is a row of the image.
    for (const TApexStart& start : ApexStarts(D, bestX, bestY)) {
        double ax = start.X, ay = start.Y;
        MinimiseApex(D, ax, ay, start.Scale);
        if (!(std::fabs(ax) < ConicApexLimit && std::fabs(ay) < ConicApexLimit)) continue;
        const double rx = std::round(ax), ry = std::round(ay);
        for (int i = -1; i <= 1; ++i)
            for (int j = -1; j <= 1; ++j) offer(rx + i, ry + j, EvaluateApex(D, rx + i, ry + j));
    }
    // No candidate scored (non-finite data): keep the previous fit.
    if (!found) return;
    P.ConicPars[1] = bestX;
    P.ConicPars[2] = bestY;
    P.ConicPars[3] = bestFit.LatSlope;
    P.ConicPars[4] = bestFit.LatIntercept;
    P.ConicPars[5] = bestFit.LongSlope;
    P.ConicPars[6] = bestFit.LongIntercept;
    int below = 0;
    for (int i = 1; i <= n; ++i) below += D.CalQuads[i].MapY > bestY ? 1 : (D.CalQuads[i].MapY < bestY ? -1 : 0);
    P.ConicSide = below >= 0 ? 1 : -1;
}

}  // namespace zylcarto
