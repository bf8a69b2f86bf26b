#include "zylcarto/geomap/view/graticule_step.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zylcarto {

namespace {

// Steps in seconds of arc from one second up, in the divisions of a minute and a degree.
constexpr std::array<double, 28> SexagesimalSteps{
    1,    2,    3,     5,     6,     10,    15,    20,    30,    60,     120,    180,    300,    360,
    600,  900,  1200,  1800,  3600,  7200,  10800, 18000, 21600, 36000,  54000,  72000,  108000, 162000};

// The step of the series nearest to Wanted (degrees), nearest by ratio.
double NiceStep(double Wanted) {
    const double seconds = Wanted * 3600;
    double best = 0, bestRatio = HUGE_VAL;
    const auto consider = [&](double s) {
        const double ratio = std::max(s / seconds, seconds / s);
        if (ratio < bestRatio) {
            bestRatio = ratio;
            best = s;
        }
    };
    for (double s : SexagesimalSteps) consider(s);
    if (seconds < 1) {
        const double decade = std::pow(10.0, std::floor(std::log10(seconds)));
        for (double m : {1.0, 2.0, 5.0, 10.0}) consider(m * decade);
    }
    return best / 3600;
}

}  // namespace

TGraticuleSteps AutomaticGraticuleSteps(double LatExtent, double LongExtent, double Width, double Height) {
    const auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (!positive(LatExtent) || !positive(LongExtent) || !positive(Width) || !positive(Height)) return {};
    // One spacing in pixels for both kinds, each turned into its own degrees.
    const double pixels = std::min(Width, Height) / GraticuleLinesAcross;
    return {NiceStep(pixels * LatExtent / Height), NiceStep(pixels * LongExtent / Width)};
}

}  // namespace zylcarto
