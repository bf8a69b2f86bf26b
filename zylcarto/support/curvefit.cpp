#include "zylcarto/support/curvefit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace zylcarto {

namespace {

// Mean shifted by the first value, so large common offsets do not swamp the sum.
double Mean(const std::vector<double>& v) {
    if (v.empty()) return 0.0;
    double sum = 0.0;
    for (double e : v) sum += e - v.front();
    return v.front() + sum / static_cast<double>(v.size());
}

int CountDistinct(std::vector<double> v, int enough) {
    std::sort(v.begin(), v.end());
    int count = 0;
    for (std::size_t i = 0; i < v.size() && count < enough; ++i)
        if (i == 0 || v[i] != v[i - 1]) ++count;
    return count;
}

double Correlation(double sxy, double sxx, double syy) {
    if (sxx <= 0.0 || syy <= 0.0) return 0.0;
    return sxy / std::sqrt(sxx * syy);
}

// Solves the 3x3 system m * z = rhs by elimination with partial pivoting; false when singular
// relative to scale (the magnitude of the matrix entries).
bool Solve3(double m[3][3], double rhs[3], double z[3], double scale) {
    const double tiny = 1e-12 * scale;
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 3; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
        if (!(std::fabs(m[pivot][col]) > tiny)) return false;
        if (pivot != col) {
            for (int k = 0; k < 3; ++k) std::swap(m[col][k], m[pivot][k]);
            std::swap(rhs[col], rhs[pivot]);
        }
        for (int row = col + 1; row < 3; ++row) {
            const double f = m[row][col] / m[col][col];
            for (int k = col; k < 3; ++k) m[row][k] -= f * m[col][k];
            rhs[row] -= f * rhs[col];
        }
    }
    for (int row = 2; row >= 0; --row) {
        double s = rhs[row];
        for (int k = row + 1; k < 3; ++k) s -= m[row][k] * z[k];
        z[row] = s / m[row][row];
    }
    return true;
}

}  // namespace

void TCurveFit::Init() {
    FX.clear();
    FY.clear();
}

void TCurveFit::EnterStatValue(double x, double y) {
    FX.push_back(x);
    FY.push_back(y);
}

void TCurveFit::CalcLinFit(double& k, double& d, double& r) const {
    const double ym = Mean(FY);
    k = 0.0;
    d = ym;
    r = 0.0;
    if (CountDistinct(FX, 2) < 2) return;
    const double xm = Mean(FX);
    double sxx = 0.0, sxy = 0.0, syy = 0.0;
    for (std::size_t i = 0; i < FX.size(); ++i) {
        const double dx = FX[i] - xm, dy = FY[i] - ym;
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
    }
    k = sxy / sxx;
    d = ym - k * xm;
    r = Correlation(sxy, sxx, syy);
}

void TCurveFit::CalcParabolFit(double& a, double& b, double& c, double& r) const {
    if (CountDistinct(FX, 3) < 3) {
        CalcLinFit(b, a, r);
        c = 0.0;
        return;
    }
    // Fit in t = (x - xm) / s with t in [-1, 1]: the normal equations stay well conditioned
    // whatever the offset and spread of x.
    const double xm = Mean(FX), ym = Mean(FY);
    double s = 0.0;
    for (double x : FX) s = std::max(s, std::fabs(x - xm));
    double p[5] = {0, 0, 0, 0, 0}, q[3] = {0, 0, 0}, syy = 0.0;
    for (std::size_t i = 0; i < FX.size(); ++i) {
        const double t = (FX[i] - xm) / s, dy = FY[i] - ym;
        double tk = 1.0;
        for (int e = 0; e < 5; ++e, tk *= t) {
            p[e] += tk;
            if (e < 3) q[e] += tk * dy;
        }
        syy += dy * dy;
    }
    double m[3][3] = {{p[0], p[1], p[2]}, {p[1], p[2], p[3]}, {p[2], p[3], p[4]}};
    double z[3];
    if (!Solve3(m, q, z, p[0])) {
        CalcLinFit(b, a, r);
        c = 0.0;
        return;
    }
    double ssres = 0.0;
    for (std::size_t i = 0; i < FX.size(); ++i) {
        const double t = (FX[i] - xm) / s;
        const double e = FY[i] - ym - (z[0] + z[1] * t + z[2] * t * t);
        ssres += e * e;
    }
    r = syy > 0.0 ? std::sqrt(std::max(0.0, 1.0 - ssres / syy)) : 0.0;
    const double u = xm / s;
    c = z[2] / (s * s);
    b = (z[1] - 2.0 * z[2] * u) / s;
    a = ym + z[0] - z[1] * u + z[2] * u * u;
}

void TCurveFit::CalcStatistics(int& n, double& s1, double& s2, double& s3, double& s4, double& s5, double& s6,
                               double& s7) const {
    n = NumData();
    s1 = Mean(FX);
    s2 = Mean(FY);
    s3 = s4 = s5 = s6 = s7 = 0.0;
    if (n == 0) return;
    double sxx = 0.0, sxy = 0.0, syy = 0.0, sdd = 0.0;
    for (std::size_t i = 0; i < FX.size(); ++i) {
        const double dx = FX[i] - s1, dy = FY[i] - s2, diff = FY[i] - FX[i];
        sxx += dx * dx;
        sxy += dx * dy;
        syy += dy * dy;
        sdd += diff * diff;
        s7 = std::max(s7, std::fabs(diff));
    }
    if (n > 1) {
        s3 = std::sqrt(sxx / (n - 1));
        s4 = std::sqrt(syy / (n - 1));
    }
    s5 = Correlation(sxy, sxx, syy);
    s6 = std::sqrt(sdd / n);
}

}  // namespace zylcarto
