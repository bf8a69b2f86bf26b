#include "zylcarto/geomap/tracks/polyline_thinning.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zylcarto {
namespace {

bool Finite(const TPixelPos& P) { return std::isfinite(P.X) && std::isfinite(P.Y); }

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
    // The run from the anchor: directions are angles from the first vertex that
    // bounds them, lo..hi the cone left; reach the farthest distance from the anchor.
    std::size_t anchor = 0;
    bool bounded = false;
    double base = 0, lo = 0, hi = 0, reach = 0;
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
        const double dx = p.X - a.X, dy = p.Y - a.Y, d = std::hypot(dx, dy);
        if (d <= Tolerance) {  // beside the anchor, on every line from it
            if (bounded && d < reach - Tolerance) {
                restart(i - 1);  // back where the run began
                --i;
            }
            continue;
        }
        const double half = std::asin(Tolerance / d);
        if (!bounded) {
            bounded = true;
            base = std::atan2(dy, dx);
            lo = -half, hi = half;
        } else {
            const double dir = std::remainder(std::atan2(dy, dx) - base, 2 * std::numbers::pi);
            if (dir < lo || dir > hi || d < reach - Tolerance) {
                // p leaves the cone or turns back: the line bends at the vertex before it
                restart(i - 1);
                --i;
                continue;
            }
            lo = std::max(lo, dir - half);
            hi = std::min(hi, dir + half);
        }
        reach = std::max(reach, d);
    }
    if (kept.back() != n - 1) kept.push_back(n - 1);
    return kept;
}

}  // namespace zylcarto
