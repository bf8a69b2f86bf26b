#pragma once
// Least-squares line and parabola through entered (x, y) pairs, and statistics.
#include <vector>

namespace zylcarto {

class TCurveFit {
public:
    void Init();
    void EnterStatValue(double x, double y);
    int NumData() const { return static_cast<int>(FX.size()); }
    // y = k*x + d. Fewer than 2 pairs or all x equal: k = 0, d = mean y (0 with no pairs). r: correlation.
    void CalcLinFit(double& k, double& d, double& r) const;
    // y = a + b*x + c*x^2. Degenerate data falls back to the line (c = 0). r: correlation of fit and data.
    void CalcParabolFit(double& a, double& b, double& c, double& r) const;
    // n pairs; s1 mean x, s2 mean y, s3 std dev x, s4 std dev y, s5 correlation,
    // s6 root mean square of (y - x) (0 with no pairs), s7 largest |y - x|.
    void CalcStatistics(int& n, double& s1, double& s2, double& s3, double& s4, double& s5, double& s6,
                        double& s7) const;

private:
    std::vector<double> FX, FY;
};

} // namespace zylcarto
