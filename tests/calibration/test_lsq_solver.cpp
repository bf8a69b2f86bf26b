#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "zylcarto/geomap/calibration/lsq_solver.h"
#include "zylcarto/support/mathhooks.h"

using namespace zylcarto;

namespace {

using Rows = std::vector<std::vector<double>>;

TMatrix MakeMatrix(const Rows& rows) {
    TMatrix A(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            A.SetVal(static_cast<int>(c) + 1, static_cast<int>(r) + 1, rows[r][c]);
    return A;
}

TVector MakeVector(const std::vector<double>& v) {
    TVector b(static_cast<int>(v.size()));
    for (std::size_t i = 0; i < v.size(); ++i) b.SetVal(static_cast<int>(i) + 1, v[i]);
    return b;
}

// Inverse of a small symmetric positive definite matrix by Gauss-Jordan, the
// independent route to the normal equations (A^T A) x = A^T b.
Rows Inverse(Rows m) {
    const std::size_t n = m.size();
    Rows inv(n, std::vector<double>(n, 0.0));
    for (std::size_t i = 0; i < n; ++i) inv[i][i] = 1.0;
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t p = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::fabs(m[r][c]) > std::fabs(m[p][c])) p = r;
        std::swap(m[c], m[p]);
        std::swap(inv[c], inv[p]);
        const double d = m[c][c];
        for (std::size_t k = 0; k < n; ++k) {
            m[c][k] /= d;
            inv[c][k] /= d;
        }
        for (std::size_t r = 0; r < n; ++r) {
            if (r == c) continue;
            const double f = m[r][c];
            for (std::size_t k = 0; k < n; ++k) {
                m[r][k] -= f * m[c][k];
                inv[r][k] -= f * inv[c][k];
            }
        }
    }
    return inv;
}

struct NormalSolution {
    std::vector<double> x, stdErr;
};

NormalSolution SolveNormal(const Rows& a, const std::vector<double>& b) {
    const std::size_t n = a[0].size();
    Rows ata(n, std::vector<double>(n, 0.0));
    std::vector<double> atb(n, 0.0);
    for (std::size_t r = 0; r < a.size(); ++r)
        for (std::size_t i = 0; i < n; ++i) {
            atb[i] += a[r][i] * b[r];
            for (std::size_t j = 0; j < n; ++j) ata[i][j] += a[r][i] * a[r][j];
        }
    const Rows inv = Inverse(ata);
    NormalSolution s{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) s.x[i] += inv[i][j] * atb[j];
        s.stdErr[i] = std::sqrt(inv[i][i]);
    }
    return s;
}

struct Solved {
    bool ok = false, singular = false;
    TVector x, e;
};

Solved Solve(const Rows& a, const std::vector<double>& b) {
    Solved s;
    s.ok = SolveLinearLeastSquares(MakeMatrix(a), MakeVector(b), s.x, s.singular, s.e);
    return s;
}

}  // namespace

TEST(LeastSquares, OverdeterminedMatchesNormalEquations) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-3.0, 3.0);
    Rows a;
    std::vector<double> b;
    for (int r = 0; r < 25; ++r) {
        const double s = u(gen), t = u(gen);
        a.push_back({1.0, s, t, s * s, s * t, t * t});
        b.push_back(2.0 - s + 0.5 * t + 0.25 * s * s - t * t + 0.1 * u(gen));
    }
    const Solved got = Solve(a, b);
    const NormalSolution want = SolveNormal(a, b);
    ASSERT_TRUE(got.ok);
    EXPECT_FALSE(got.singular);
    ASSERT_EQ(got.x.NrOfElem(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(got.x.GetVal(i + 1), want.x[i], 1e-10) << i;
        EXPECT_NEAR(got.e.GetVal(i + 1), want.stdErr[i], 1e-10) << i;
    }
}

TEST(LeastSquares, ExactlyDeterminedSystemIsSolvedExactly) {
    // 2x + y - z = 8, -3x - y + 2z = -11, -2x + y + 2z = -3: x = 2, y = 3, z = -1.
    const Solved got = Solve({{2, 1, -1}, {-3, -1, 2}, {-2, 1, 2}}, {8, -11, -3});
    ASSERT_TRUE(got.ok);
    EXPECT_FALSE(got.singular);
    EXPECT_NEAR(got.x.GetVal(1), 2.0, 1e-13);
    EXPECT_NEAR(got.x.GetVal(2), 3.0, 1e-13);
    EXPECT_NEAR(got.x.GetVal(3), -1.0, 1e-13);
}

TEST(LeastSquares, RankDeficientGivesMinimumNormSolution) {
    // Columns 2 and 3 are equal: the data fix only their sum (3), which the
    // minimum-norm solution shares equally; the zero column gets 0.
    Rows a;
    std::vector<double> b;
    for (int r = 0; r < 6; ++r) {
        a.push_back({1.0, double(r), double(r), 0.0});
        b.push_back(1.0 + 3.0 * r);
    }
    const Solved got = Solve(a, b);
    ASSERT_TRUE(got.ok);
    EXPECT_TRUE(got.singular);
    EXPECT_NEAR(got.x.GetVal(1), 1.0, 1e-12);
    EXPECT_NEAR(got.x.GetVal(2), 1.5, 1e-12);
    EXPECT_NEAR(got.x.GetVal(3), 1.5, 1e-12);
    EXPECT_EQ(got.x.GetVal(4), 0.0);
    EXPECT_EQ(got.e.GetVal(4), 0.0);
}

TEST(LeastSquares, UnderdeterminedGivesMinimumNormSolution) {
    // One equation x1 + 2 x2 + 3 x3 = 14: the shortest solution is along (1, 2, 3).
    const Solved got = Solve({{1, 2, 3}}, {14});
    ASSERT_TRUE(got.ok);
    EXPECT_TRUE(got.singular);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(got.x.GetVal(i), double(i), 1e-12);
}

TEST(LeastSquares, AllZeroMatrixGivesZeroSolutionAndSingular) {
    const Solved got = Solve({{0, 0}, {0, 0}, {0, 0}}, {1, 2, 3});
    ASSERT_TRUE(got.ok);
    EXPECT_TRUE(got.singular);
    EXPECT_EQ(got.x.GetVal(1), 0.0);
    EXPECT_EQ(got.x.GetVal(2), 0.0);
}

TEST(LeastSquares, RejectsMismatchedAndNonFiniteInput) {
    EXPECT_FALSE(Solve({{1, 2}, {3, 4}}, {1, 2, 3}).ok);
    EXPECT_FALSE(Solve({{1, NAN}, {3, 4}}, {1, 2}).ok);
    EXPECT_FALSE(Solve({{1, 2}, {3, 4}}, {INFINITY, 2}).ok);
    TVector x, e;
    bool singular = true;
    EXPECT_FALSE(SolveLinearLeastSquares(TMatrix(), TVector(), x, singular, e));
}

TEST(LeastSquares, ReportsProgressAndStopsWhenAborted) {
    std::vector<double> reports;
    ProcStat = 0;
    MathFeedBackProc = [&](double v) { reports.push_back(v); };
    const Rows a{{1, 0, 2}, {0, 1, 1}, {1, 1, 0}, {2, 0, 1}};
    // One step per column in each of the four phases.
    EXPECT_TRUE(Solve(a, {1, 2, 3, 4}).ok);
    EXPECT_EQ(reports.size(), 12u);
    EXPECT_EQ(ProcStat, 12.0);
    EXPECT_EQ(reports.back(), 12.0);

    AbortMathProc = true;
    const Solved aborted = Solve(a, {1, 2, 3, 4});
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    EXPECT_FALSE(aborted.ok);
    EXPECT_EQ(ProcStat, 13.0);
}
