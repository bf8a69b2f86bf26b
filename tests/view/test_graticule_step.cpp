// The automatic graticule: both kinds of line about equally far apart on the
// picture, at steps a reader counts in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "zylcarto/geomap/view/graticule_step.h"

using namespace zylcarto;

namespace {

// Seconds, minutes and degrees of the usual divisions; below a second 1-2-5.
bool CountableStep(double Degrees) {
    const double s = Degrees * 3600;
    for (double unit : {1.0, 60.0, 3600.0})
        for (double m : {1.0, 2.0, 3.0, 5.0, 6.0, 10.0, 15.0, 20.0, 30.0, 45.0})
            if (std::fabs(s - m * unit) < 1e-9 * s && !(unit < 3600 && m == 45)) return true;
    if (s >= 1) return false;
    const double mantissa = s / std::pow(10.0, std::floor(std::log10(s) + 1e-12));
    return std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9;
}

}  // namespace

TEST(GraticuleStep, LinesOfBothKindsAboutEquallyApart) {
    const struct {
        const char* What;
        double LatExtent, LongExtent, W, H;
    } cases[] = {
        {"large-scale sheet at 57 N", 0.3, 0.75, 3000, 2000},  // was 6' parallels, 1 degree meridians
        {"overview", 1.8, 4.5, 1500, 1200},                    // was a single parallel
        {"world", 180, 360, 3600, 1800},
        {"tall strip", 3, 0.5, 500, 3000},
        {"town plan", 0.009, 0.015, 2000, 2000},
        {"building", 2e-5, 3e-5, 800, 600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        const TGraticuleSteps s = AutomaticGraticuleSteps(c.LatExtent, c.LongExtent, c.W, c.H);
        EXPECT_TRUE(CountableStep(s.Lat)) << s.Lat;
        EXPECT_TRUE(CountableStep(s.Long)) << s.Long;
        // Pixels between neighbouring lines of each kind, against the aim.
        const double aim = std::min(c.W, c.H) / GraticuleLinesAcross;
        const double parallels = s.Lat / c.LatExtent * c.H, meridians = s.Long / c.LongExtent * c.W;
        EXPECT_GT(parallels, aim / 2) << parallels;
        EXPECT_LT(parallels, aim * 2) << parallels;
        EXPECT_GT(meridians, aim / 2) << meridians;
        EXPECT_LT(meridians, aim * 2) << meridians;
        EXPECT_LE(std::max(parallels, meridians) / std::min(parallels, meridians), 2.5);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto& bad : {AutomaticGraticuleSteps(0, 1, 100, 100), AutomaticGraticuleSteps(1, nan, 100, 100),
                            AutomaticGraticuleSteps(1, 1, 0, 100), AutomaticGraticuleSteps(-1, 1, 100, 100)}) {
        EXPECT_EQ(bad.Lat, 0);
        EXPECT_EQ(bad.Long, 0);
    }
}
