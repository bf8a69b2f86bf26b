#pragma once
// Wall-clock and processor timing shared by the image benchmarks.
#include <algorithm>
#include <chrono>
#include <ctime>
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

// Processor time of the process, which a busy machine inflates less than wall-clock time.
template <typename F>
double CpuMs(F&& f) {
    const std::clock_t c0 = std::clock();
    f();
    return 1000.0 * double(std::clock() - c0) / CLOCKS_PER_SEC;
}

}  // namespace zylcarto::bench
