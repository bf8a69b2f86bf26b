// Thinning polylines of 100 000 vertices: every vertex left out stays near the
// line drawn, and dense lines lose most of their vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "zylcarto/geomap/tracks/polyline_thinning.h"

namespace zylcarto {
namespace {

double DistanceToSegment(TPixelPos P, TPixelPos A, TPixelPos B) {
    const double dx = B.X - A.X, dy = B.Y - A.Y, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((P.X - A.X) * dx + (P.Y - A.Y) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(P.X - A.X - t * dx, P.Y - A.Y - t * dy);
}

// Checks the promise of ThinPolyline and returns the number of vertices kept.
std::size_t CheckThinned(const std::vector<TPixelPos>& Points, double Tolerance) {
    const std::vector<std::size_t> kept = ThinPolyline(Points, Tolerance);
    EXPECT_EQ(kept.front(), 0u);
    EXPECT_EQ(kept.back(), Points.size() - 1);
    double worst = 0;
    for (std::size_t k = 0; k + 1 < kept.size(); ++k) {
        EXPECT_LT(kept[k], kept[k + 1]);
        const TPixelPos a = Points[kept[k]], b = Points[kept[k + 1]];
        for (std::size_t i = kept[k] + 1; i < kept[k + 1]; ++i) {
            EXPECT_TRUE(std::isfinite(Points[i].X) && std::isfinite(Points[i].Y)) << i;
            worst = std::max(worst, DistanceToSegment(Points[i], a, b));
        }
    }
    EXPECT_LE(worst, Tolerance * std::numbers::sqrt2 + 1e-9);
    return kept.size();
}

TEST(PolylineThinning, LeavesOutOnlyVerticesNearTheLine) {
    constexpr std::size_t n = 100000;
    std::mt19937 rng(29);
    std::normal_distribution<double> noise(0, 0.3);
    std::vector<TPixelPos> circle, walk, zigzag, turns;
    double x = 0, y = 0, heading = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * static_cast<double>(i) / n;
        circle.push_back({960 + 500 * std::cos(a) + noise(rng), 540 + 500 * std::sin(a) + noise(rng)});
        heading += noise(rng) * 0.2;  // a traveller's wandering course, a pixel a fix
        x += std::cos(heading), y += std::sin(heading);
        walk.push_back({x, y});
        zigzag.push_back({static_cast<double>(i), i % 2 ? 10.0 : -10.0});
        turns.push_back({static_cast<double>(i % 200 < 100 ? i % 200 : 200 - i % 200), 0});  // out and back
    }
    EXPECT_LT(CheckThinned(circle, 1.5), n / 100);
    EXPECT_LT(CheckThinned(walk, 1.5), n / 4);
    EXPECT_EQ(CheckThinned(zigzag, 1.5), n);  // nothing may go
    EXPECT_GE(CheckThinned(turns, 1.5), 2 * n / 200);  // every turning point stays
    EXPECT_EQ(CheckThinned(circle, 0), n);
}

TEST(PolylineThinning, KeepsBothEndsOfABreak) {
    std::vector<TPixelPos> p;
    for (int i = 0; i < 30; ++i) p.push_back({static_cast<double>(i), 0});
    p[10].X = NAN;
    p[20].Y = INFINITY;
    const std::vector<std::size_t> kept = ThinPolyline(p, 2);
    EXPECT_EQ(kept, (std::vector<std::size_t>{0, 9, 10, 11, 19, 20, 21, 29}));
    EXPECT_TRUE(ThinPolyline({}, 2).empty());
    EXPECT_EQ(ThinPolyline(std::vector<TPixelPos>{{1, 1}}, 2), std::vector<std::size_t>{0});
}

}  // namespace
}  // namespace zylcarto
