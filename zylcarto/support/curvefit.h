#pragma once
/// @file
/// Least-squares line and parabola through entered (x, y) pairs, and statistics.
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// Collects (x, y) pairs and fits them. The results are functions of the pairs
/// entered; degenerate data give the documented fallback values, never an
/// exception. A plain value owning its pairs.
class ZYLCARTO_EXPORT TCurveFit {
public:
    /// Forgets every pair.
    void Init();
    /// Adds the pair (x, y).
    void EnterStatValue(double x, double y);
    /// Number of pairs entered since Init.
    int NumData() const { return static_cast<int>(FX.size()); }
    /// y = k*x + d. Fewer than 2 pairs or all x equal: k = 0, d = mean y (0 with no pairs).
    /// r: correlation of x and y, 0 where it is undefined (constant x or y).
    void CalcLinFit(double& k, double& d, double& r) const;
    /// y = a + b*x + c*x^2. Fewer than 3 distinct x (or numerically so) fall back to the line
    /// with c = 0. r: correlation of fit and data, 0 when y is constant.
    void CalcParabolFit(double& a, double& b, double& c, double& r) const;
    /// n pairs; s1 mean x, s2 mean y, s3 std dev x, s4 std dev y (sample, n - 1; 0 below 2 pairs),
    /// s5 correlation (0 where undefined), s6 root mean square of (y - x), s7 largest |y - x|.
    /// All figures are 0 with no pairs. s6 serves as the pixel error of a calibration when the
    /// pairs are (wanted, obtained) positions.
    void CalcStatistics(int& n, double& s1, double& s2, double& s3, double& s4, double& s5, double& s6,
                        double& s7) const;

private:
    std::vector<double> FX, FY;
};

}  // namespace zylcarto
