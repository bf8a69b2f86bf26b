#pragma once
// Floating values to pixels: nearest, halves to even, saturated to the int range.
#include <algorithm>
#include <cmath>
#include <limits>

namespace zylcarto {

inline int RoundToInt(double v) {
    if (std::isnan(v)) return 0;
    constexpr double Lo = std::numeric_limits<int>::min(), Hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::nearbyint(std::clamp(v, Lo, Hi)));
}

} // namespace zylcarto
