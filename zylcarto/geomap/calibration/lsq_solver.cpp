#include "zylcarto/geomap/calibration/lsq_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "zylcarto/support/mathhooks.h"

namespace zylcarto {

namespace {

constexpr int MaxSweeps = 30;

// Row-major dense matrix, 0-based, for the decomposition's inner loops.
class TDense {
public:
    TDense(int Rows, int Cols) : FCols(Cols), FData(static_cast<std::size_t>(Rows) * Cols, 0.0) {}
    double& operator()(int r, int c) { return FData[static_cast<std::size_t>(r) * FCols + c]; }

private:
    int FCols;
    std::vector<double> FData;
};

double SignOf(double Magnitude, double Sign) { return Sign >= 0.0 ? std::fabs(Magnitude) : -std::fabs(Magnitude); }

// Golub-Reinsch: on return a holds U (m x n), w the singular values, v the n x n matrix V.
// Requires m >= n.
bool Decompose(TDense& a, int m, int n, std::vector<double>& w, TDense& v) {
    std::vector<double> rv1(static_cast<std::size_t>(n), 0.0);
    double g = 0.0, scale = 0.0, anorm = 0.0;
    int l = 0;

    // Householder reduction to bidiagonal form.
    for (int i = 0; i < n; ++i) {
        if (!MathStep()) return false;
        l = i + 1;
        rv1[i] = scale * g;
        g = scale = 0.0;
        double s = 0.0;
        for (int k = i; k < m; ++k) scale += std::fabs(a(k, i));
        if (scale != 0.0) {
            for (int k = i; k < m; ++k) {
                a(k, i) /= scale;
                s += a(k, i) * a(k, i);
            }
            double f = a(i, i);
            g = -SignOf(std::sqrt(s), f);
            const double h = f * g - s;
            a(i, i) = f - g;
            for (int j = l; j < n; ++j) {
                s = 0.0;
                for (int k = i; k < m; ++k) s += a(k, i) * a(k, j);
                f = s / h;
                for (int k = i; k < m; ++k) a(k, j) += f * a(k, i);
            }
            for (int k = i; k < m; ++k) a(k, i) *= scale;
        }
        w[i] = scale * g;
        g = s = scale = 0.0;
        if (i != n - 1) {
            for (int k = l; k < n; ++k) scale += std::fabs(a(i, k));
            if (scale != 0.0) {
                for (int k = l; k < n; ++k) {
                    a(i, k) /= scale;
                    s += a(i, k) * a(i, k);
                }
                const double f = a(i, l);
                g = -SignOf(std::sqrt(s), f);
                const double h = f * g - s;
                a(i, l) = f - g;
                for (int k = l; k < n; ++k) rv1[k] = a(i, k) / h;
                for (int j = l; j < m; ++j) {
                    s = 0.0;
                    for (int k = l; k < n; ++k) s += a(j, k) * a(i, k);
                    for (int k = l; k < n; ++k) a(j, k) += s * rv1[k];
                }
                for (int k = l; k < n; ++k) a(i, k) *= scale;
            }
        }
        anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(rv1[i]));
    }

    // Accumulation of the right-hand transformations.
    for (int i = n - 1; i >= 0; --i) {
        if (!MathStep()) return false;
        if (i < n - 1) {
            if (g != 0.0) {
                // Double division avoids a possible underflow.
                for (int j = l; j < n; ++j) v(j, i) = (a(i, j) / a(i, l)) / g;
                for (int j = l; j < n; ++j) {
                    double s = 0.0;
                    for (int k = l; k < n; ++k) s += a(i, k) * v(k, j);
                    for (int k = l; k < n; ++k) v(k, j) += s * v(k, i);
                }
            }
            for (int j = l; j < n; ++j) v(i, j) = v(j, i) = 0.0;
        }
        v(i, i) = 1.0;
        g = rv1[i];
        l = i;
    }

    // Accumulation of the left-hand transformations.
    for (int i = n - 1; i >= 0; --i) {
        if (!MathStep()) return false;
        l = i + 1;
        g = w[i];
        for (int j = l; j < n; ++j) a(i, j) = 0.0;
        if (g != 0.0) {
            g = 1.0 / g;
            for (int j = l; j < n; ++j) {
                double s = 0.0;
                for (int k = l; k < m; ++k) s += a(k, i) * a(k, j);
                const double f = (s / a(i, i)) * g;
                for (int k = i; k < m; ++k) a(k, j) += f * a(k, i);
            }
            for (int j = i; j < m; ++j) a(j, i) *= g;
        } else {
            for (int j = i; j < m; ++j) a(j, i) = 0.0;
        }
        a(i, i) += 1.0;
    }

    // Diagonalisation of the bidiagonal form by implicit-shift QR.
    for (int k = n - 1; k >= 0; --k) {
        if (!MathStep()) return false;
        for (int sweep = 1;; ++sweep) {
            bool cancel = true;
            int nm = 0;
            for (l = k; l >= 0; --l) {
                nm = l - 1;
                if (std::fabs(rv1[l]) + anorm == anorm) {  // rv1[0] is always 0
                    cancel = false;
                    break;
                }
                if (std::fabs(w[nm]) + anorm == anorm) break;
            }
            if (cancel) {
                double c = 0.0, s = 1.0;
                for (int i = l; i <= k; ++i) {
                    const double f = s * rv1[i];
                    rv1[i] = c * rv1[i];
                    if (std::fabs(f) + anorm == anorm) break;
                    g = w[i];
                    double h = std::hypot(f, g);
                    w[i] = h;
                    h = 1.0 / h;
                    c = g * h;
                    s = -f * h;
                    for (int j = 0; j < m; ++j) {
                        const double y = a(j, nm), z = a(j, i);
                        a(j, nm) = y * c + z * s;
                        a(j, i) = z * c - y * s;
                    }
                }
            }
            double z = w[k];
            if (l == k) {
                if (z < 0.0) {  // singular values are made non-negative
                    w[k] = -z;
                    for (int j = 0; j < n; ++j) v(j, k) = -v(j, k);
                }
                break;
            }
            if (sweep == MaxSweeps) return false;
            double x = w[l];
            nm = k - 1;
            double y = w[nm];
            g = rv1[nm];
            double h = rv1[k];
            double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
            g = std::hypot(f, 1.0);
            f = ((x - z) * (x + z) + h * ((y / (f + SignOf(g, f))) - h)) / x;
            double c = 1.0, s = 1.0;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = rv1[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = std::hypot(f, h);
                rv1[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y *= c;
                for (int jj = 0; jj < n; ++jj) {
                    const double vx = v(jj, j), vz = v(jj, i);
                    v(jj, j) = vx * c + vz * s;
                    v(jj, i) = vz * c - vx * s;
                }
                z = std::hypot(f, h);
                w[j] = z;
                if (z != 0.0) {
                    z = 1.0 / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                for (int jj = 0; jj < m; ++jj) {
                    const double ay = a(jj, j), az = a(jj, i);
                    a(jj, j) = ay * c + az * s;
                    a(jj, i) = az * c - ay * s;
                }
            }
            rv1[l] = 0.0;
            rv1[k] = f;
            w[k] = x;
        }
    }
    return true;
}

}  // namespace

bool SolveLinearLeastSquares(const TMatrix& A, const TVector& b, TVector& x, bool& Singular, TVector& e) {
    Singular = false;
    const int n = A.NrOfColumns();
    const int rows = A.NrOfRows();
    x.SetVecSize(n);
    e.SetVecSize(n);
    if (n < 1 || rows < 1 || b.NrOfElem() != rows) return false;

    // An under-determined system gets zero rows, which change neither the
    // solution set nor its minimum-norm member.
    const int m = std::max(rows, n);
    TDense u(m, n);
    for (int r = 0; r < rows; ++r) {
        if (!std::isfinite(b.GetVal(r + 1))) return false;
        for (int c = 0; c < n; ++c) {
            u(r, c) = A.GetVal(c + 1, r + 1);
            if (!std::isfinite(u(r, c))) return false;
        }
    }
    std::vector<double> w(static_cast<std::size_t>(n), 0.0);
    TDense v(n, n);
    if (!Decompose(u, m, n, w, v)) return false;

    const double wmax = *std::max_element(w.begin(), w.end());
    const double threshold = SingularValueThreshold * wmax;
    for (double& wj : w)
        if (wj < threshold || wj == 0.0) {
            wj = 0.0;
            Singular = true;
        }

    std::vector<double> utb(static_cast<std::size_t>(n), 0.0);
    for (int j = 0; j < n; ++j) {
        if (w[j] == 0.0) continue;
        double s = 0.0;
        for (int r = 0; r < rows; ++r) s += u(r, j) * b.GetVal(r + 1);
        utb[j] = s / w[j];
    }
    for (int i = 0; i < n; ++i) {
        double s = 0.0, var = 0.0;
        for (int j = 0; j < n; ++j) {
            s += v(i, j) * utb[j];
            if (w[j] != 0.0) var += (v(i, j) / w[j]) * (v(i, j) / w[j]);
        }
        x.SetVal(i + 1, s);
        e.SetVal(i + 1, std::sqrt(var));
    }
    return true;
}

bool SingularValues(const TMatrix& A, std::vector<double>& w) {
    w.clear();
    const int n = A.NrOfColumns();
    const int rows = A.NrOfRows();
    if (n < 1 || rows < 1) return false;
    const int m = std::max(rows, n);
    TDense u(m, n);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < n; ++c) {
            u(r, c) = A.GetVal(c + 1, r + 1);
            if (!std::isfinite(u(r, c))) return false;
        }
    w.assign(static_cast<std::size_t>(n), 0.0);
    TDense v(n, n);
    if (Decompose(u, m, n, w, v)) return true;
    w.clear();
    return false;
}

}  // namespace zylcarto
