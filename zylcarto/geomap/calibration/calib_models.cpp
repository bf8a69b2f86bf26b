#include "zylcarto/geomap/calibration/calib_models.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "zylcarto/geomap/calibration/lsq_solver.h"
#include "zylcarto/support/curvefit.h"

namespace zylcarto {

namespace {

constexpr double DegToRad = std::numbers::pi / 180.0;

// The terms 1, u, v (and u^2, u*v, v^2 for six columns) of one observation.
template <int Cols>
void SetTerms(TMatrix& A, int Row, double u, double v) {
    A.SetVal(1, Row, 1.0);
    A.SetVal(2, Row, u);
    A.SetVal(3, Row, v);
    if constexpr (Cols == 6) {
        // Integer pixels stay exact: their products are far below 2^53.
        A.SetVal(4, Row, u * u);
        A.SetVal(5, Row, u * v);
        A.SetVal(6, Row, v * v);
    }
}

// Fits the two rows of a polynomial model, from pixels to coordinates or back.
template <int Cols>
void FitPolynomialRows(const TCalibData& D, bool FromPixels, TParRows<2, Cols>& Out) {
    Out = {};
    const int n = UsedCalQuads(D);
    if (n == 0) return;
    TMatrix A(Cols, n);
    TVector rhs1(n), rhs2(n);
    for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = D.CalQuads[i];
        if (FromPixels) {
            SetTerms<Cols>(A, i, q.MapX, q.MapY);
            rhs1.SetVal(i, q.Latitude);
            rhs2.SetVal(i, q.Longitude);
        } else {
            SetTerms<Cols>(A, i, q.Latitude, q.Longitude);
            rhs1.SetVal(i, q.MapX);
            rhs2.SetVal(i, q.MapY);
        }
    }
    const TVector* rhs[2] = {&rhs1, &rhs2};
    for (int row = 1; row <= 2; ++row) {
        TVector x, e;
        bool singular = false;
        if (!SolveLinearLeastSquares(A, *rhs[row - 1], x, singular, e)) continue;
        for (int c = 1; c <= Cols; ++c) Out[row][c] = x.GetVal(c);
    }
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

} // namespace

bool FitGratMat(const TCalibData& D, TMatrix& GratMat) {
    const int lines = UsedCalLines(D);
    GratMat.Resize(5, lines);
    int parallels = 0, meridians = 0;
    for (int k = 1; k <= lines; ++k) {
        const TCalibLine& line = D.CalLines[k];
        const bool parallel = line.LineType == gtlParallel;
        GratMat.SetVal(1, k, parallel ? 1.0 : 0.0);
        GratMat.SetVal(2, k, line.LineValue);
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
    long long bestX = cx, bestY = cy;
    TConicScore bestFit;
    for (long long step = 1000000; step > 0; step /= 2) {
        for (int i = -2; i <= 2; ++i)
            for (int j = -2; j <= 2; ++j) {
                const long long ax = cx + i * step, ay = cy + j * step;
                const TConicScore s = EvaluateApex(D, static_cast<double>(ax), static_cast<double>(ay));
                if (s.Score < best) {
                    best = s.Score;
                    bestFit = s;
                    bestX = ax;
                    bestY = ay;
                    found = true;
                }
            }
        cx = bestX;
        cy = bestY;
    }
    // No candidate scored (non-finite data): keep the previous fit.
    if (!found) return;
    P.ConicPars[1] = static_cast<double>(bestX);
    P.ConicPars[2] = static_cast<double>(bestY);
    P.ConicPars[3] = bestFit.LatSlope;
    P.ConicPars[4] = bestFit.LatIntercept;
    P.ConicPars[5] = bestFit.LongSlope;
    P.ConicPars[6] = bestFit.LongIntercept;
}

} // namespace zylcarto
