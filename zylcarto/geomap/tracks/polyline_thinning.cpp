#include "zylcarto/geomap/tracks/polyline_thinning.h"

#include <algorithm>
#include <cmath>

namespace zylcarto {
namespace {

bool Finite(const TPixelPos& P) { return std::isfinite(P.X) && std::isfinite(P.Y); }

// A direction as a unit vector; angles are compared by cross products, without trigonometry.
struct TDir {
    double X, Y;
};
double Cross(TDir A, TDir B) { return A.X * B.Y - A.Y * B.X; }

}  // namespace

std::vector<std::size_t> ThinPolyline(std::span<const TPixelPos> Points, double Tolerance) {
    std::vector<std::size_t> kept;
    const std::size_t n = Points.size();
    if (n == 0) return kept;
    if (!(Tolerance > 0)) {
        kept.resize(n);
        for (std::size_t i = 0; i < n; ++i) kept[i] = i;
        return kept;
    }
    // The run from the anchor: the cone of directions from it that every vertex
    // passed over allows, from Right counter-clockwise to Left (less than half a
    // turn), and Reach, the farthest any of them lies from the anchor.
    std::size_t anchor = 0;
    bool bounded = false;
    TDir left{}, right{};
    double reach = 0;
    kept.push_back(0);
    const auto restart = [&](std::size_t At) {
        kept.push_back(At);
        anchor = At;
        bounded = false;
        reach = 0;
    };
    for (std::size_t i = 1; i < n; ++i) {
        const TPixelPos &a = Points[anchor], &p = Points[i];
        if (!Finite(p) || !Finite(a)) {
            // a break in the line: both ends of it stay
            if (kept.back() != i - 1) kept.push_back(i - 1);
            restart(i);
            continue;
        }
        const double dx = p.X - a.X, dy = p.Y - a.Y, d = std::sqrt(dx * dx + dy * dy);
        if (d <= Tolerance) {  // beside the anchor, on every line from it
            if (bounded && d < reach - Tolerance) {
                restart(i - 1);  // back where the run began
                --i;
            }
            continue;
        }
        const TDir u{dx / d, dy / d};
        if (bounded && (Cross(right, u) < 0 || Cross(u, left) < 0 || d < reach - Tolerance)) {
            // p leaves the cone or turns back: the line bends at the vertex before it
            restart(i - 1);
            --i;
            continue;
        }
        // the directions that pass within Tolerance of p: u turned either way by asin(Tolerance / d)
        const double sin = Tolerance / d, cos = std::sqrt(1 - sin * sin);
        const TDir l{u.X * cos - u.Y * sin, u.X * sin + u.Y * cos}, r{u.X * cos + u.Y * sin, u.Y * cos - u.X * sin};
        if (!bounded || Cross(l, left) > 0) left = l;  // the narrower bound
        if (!bounded || Cross(right, r) > 0) right = r;
        bounded = true;
        reach = std::max(reach, d);
    }
    if (kept.back() != n - 1) kept.push_back(n - 1);
    return kept;
}

}  // namespace zylcarto
