#pragma once
// Wall-clock timing shared by the image benchmarks.
#include <algorithm>
#include <chrono>
#include <vector>

namespace zylcarto::bench {

inline double MedianMs(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F>
double TimeMs(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace zylcarto::bench
