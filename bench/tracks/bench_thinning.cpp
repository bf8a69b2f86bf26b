// Thinning a wandering track of 100 000 fixes for the screen, beside the least a
// pass over the vertices costs (the length of the line: one square root each);
// prints the medians of 7 runs and their ratio.
//   cmake -DZYLCARTO_BENCH=ON ... && ./bench/tracks/bench_thinning
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "zylcarto/geomap/tracks/polyline_thinning.h"

using namespace zylcarto;

namespace {

template <typename F>
double MedianSeconds(F&& Work) {
    std::vector<double> t;
    for (int i = 0; i < 7; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        Work();
        t.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(t.begin(), t.end());
    return t[3];
}

}  // namespace

int main() {
    constexpr std::size_t kPoints = 100000;
    std::mt19937 rng(29);
    std::normal_distribution<double> turn(0, 0.06);
    std::vector<TPixelPos> line;
    double x = 0, y = 0, heading = 0;
    for (std::size_t i = 0; i < kPoints; ++i) {
        heading += turn(rng);
        x += 0.05 * std::cos(heading), y += 0.05 * std::sin(heading);  // a whole track on a 1920x1080 screen
        line.push_back({x, y});
    }
    std::size_t kept = 0;
    double length = 0;
    const double thin = MedianSeconds([&] { kept = ThinPolyline(line, 0.5).size(); });
    const double base = MedianSeconds([&] {
        length = 0;
        for (std::size_t i = 1; i < line.size(); ++i)
            length += std::hypot(line[i].X - line[i - 1].X, line[i].Y - line[i - 1].Y);
    });
    std::printf("ThinPolyline of %zu vertices at 0.5 px: %.3f ms, %zu kept; baseline (line length) %.3f ms "
                "(%.0f px); ratio %.1f\n",
                kPoints, thin * 1e3, kept, base * 1e3, length, thin / base);
    return 0;
}
