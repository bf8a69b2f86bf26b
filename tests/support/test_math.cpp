#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "zylcarto/support/curvefit.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/matrix.h"
#include "zylcarto/support/numeric.h"

using namespace zylcarto;

TEST(SupportMatrix, CellsAreColumnFirstAndStartAtZero) {
    TMatrix m(5, 1);
    EXPECT_EQ(m.NrOfColumns(), 5);
    EXPECT_EQ(m.NrOfRows(), 1);
    EXPECT_EQ(m.GetVal(5, 1), 0.0);
    m.Resize(2, 3);
    m.SetVal(2, 3, 7.5);
    m.SetVal(1, 2, -1.0);
    EXPECT_EQ(m.GetVal(2, 3), 7.5);
    EXPECT_EQ(m.GetVal(1, 2), -1.0);
    EXPECT_EQ(m.GetVal(2, 2), 0.0);
    m.Resize(2, 3);
    EXPECT_EQ(m.GetVal(2, 3), 0.0) << "Resize clears";
}

TEST(SupportMatrix, OutOfRangeIsHarmless) {
    TMatrix m(2, 2);
    m.Fill(4.0);
    for (auto [c, r] : {std::pair{0, 1}, {3, 1}, {1, 0}, {1, 3}, {-7, 100}}) {
        m.SetVal(c, r, 99.0);
        EXPECT_EQ(m.GetVal(c, r), 0.0);
    }
    for (int c = 1; c <= 2; ++c)
        for (int r = 1; r <= 2; ++r) EXPECT_EQ(m.GetVal(c, r), 4.0);
    TMatrix empty;
    empty.SetVal(1, 1, 1.0);
    EXPECT_EQ(empty.GetVal(1, 1), 0.0);
    empty.Resize(-2, 3);
    EXPECT_EQ(empty.NrOfColumns(), 0);
}

TEST(SupportMatrix, CloneCopiesSizeAndValues) {
    TMatrix src(3, 2), dst(1, 1);
    src.SetVal(3, 2, 1.25);
    src.SetVal(1, 1, -2.0);
    dst.Clone(src);
    EXPECT_EQ(dst.NrOfColumns(), 3);
    EXPECT_EQ(dst.NrOfRows(), 2);
    EXPECT_EQ(dst.GetVal(3, 2), 1.25);
    EXPECT_EQ(dst.GetVal(1, 1), -2.0);
    src.SetVal(3, 2, 0.0);
    EXPECT_EQ(dst.GetVal(3, 2), 1.25) << "clone is independent";
}

TEST(SupportMatrix, VectorIsOneBasedAndSafe) {
    TVector v(3);
    v.SetVal(3, 2.0);
    v.SetVal(4, 9.0);
    v.SetVal(0, 9.0);
    EXPECT_EQ(v.GetVal(3), 2.0);
    EXPECT_EQ(v.GetVal(4), 0.0);
    EXPECT_EQ(v.GetVal(0), 0.0);
    v.SetVecSize(3);
    EXPECT_EQ(v.GetVal(3), 0.0);
}

namespace {

TCurveFit FitOf(const std::vector<double>& xs, const std::vector<double>& ys) {
    TCurveFit f;
    f.Init();
    for (std::size_t i = 0; i < xs.size(); ++i) f.EnterStatValue(xs[i], ys[i]);
    return f;
}

}  // namespace

TEST(SupportCurveFit, LinearLeastSquares) {
    // Sxx = 5, Sxy = 5.5, Syy = 8.75 about the means (1.5, 2.75).
    double k, d, r;
    FitOf({0, 1, 2, 3}, {1, 3, 2, 5}).CalcLinFit(k, d, r);
    EXPECT_NEAR(k, 1.1, 1e-12);
    EXPECT_NEAR(d, 1.1, 1e-12);
    EXPECT_NEAR(r, 5.5 / std::sqrt(43.75), 1e-12);

    FitOf({-2, 0, 4}, {7, 3, -5}).CalcLinFit(k, d, r);
    EXPECT_NEAR(k, -2.0, 1e-12);
    EXPECT_NEAR(d, 3.0, 1e-12);
    EXPECT_NEAR(r, -1.0, 1e-12);
}

TEST(SupportCurveFit, LinearStaysAccurateFarFromOrigin) {
    std::vector<double> xs, ys;
    for (int i = 0; i < 20; ++i) {
        xs.push_back(1e8 + i * 0.5);
        ys.push_back(2.0 * xs.back() + 3.0);
    }
    double k, d, r;
    FitOf(xs, ys).CalcLinFit(k, d, r);
    EXPECT_NEAR(k, 2.0, 1e-12);
    EXPECT_NEAR(d, 3.0, 1e-6);
}

TEST(SupportCurveFit, LinearDegenerateInput) {
    double k = 9, d = 9, r = 9;
    TCurveFit f;
    f.Init();
    f.CalcLinFit(k, d, r);
    EXPECT_EQ(k, 0.0);
    EXPECT_EQ(d, 0.0);
    FitOf({0.1, 0.1, 0.1}, {1, 2, 6}).CalcLinFit(k, d, r);
    EXPECT_EQ(k, 0.0);
    EXPECT_NEAR(d, 3.0, 1e-12);
    FitOf({5}, {4}).CalcLinFit(k, d, r);
    EXPECT_EQ(k, 0.0);
    EXPECT_EQ(d, 4.0);
}

TEST(SupportCurveFit, ParabolaExactAndLeastSquares) {
    double a, b, c, r;
    std::vector<double> xs, ys;
    for (int x = -2; x <= 3; ++x) {
        xs.push_back(x);
        ys.push_back(1 - 2 * x + 0.5 * x * x);
    }
    FitOf(xs, ys).CalcParabolFit(a, b, c, r);
    EXPECT_NEAR(a, 1.0, 1e-12);
    EXPECT_NEAR(b, -2.0, 1e-12);
    EXPECT_NEAR(c, 0.5, 1e-12);
    EXPECT_NEAR(r, 1.0, 1e-12);

    // Normal equations solved by hand in fractions: a = 31/35, b = -3/7, c = 5/7.
    FitOf({-1, 0, 1, 2, 3}, {2, 1, 1, 3, 6}).CalcParabolFit(a, b, c, r);
    EXPECT_NEAR(a, 31.0 / 35.0, 1e-12);
    EXPECT_NEAR(b, -3.0 / 7.0, 1e-12);
    EXPECT_NEAR(c, 5.0 / 7.0, 1e-12);
    EXPECT_GT(r, 0.9);
    EXPECT_LT(r, 1.0);
}

TEST(SupportCurveFit, ParabolaStaysAccurateFarFromOrigin) {
    const double x0 = 1e6;
    std::vector<double> xs, ys;
    for (int i = 0; i < 7; ++i) {
        const double t = i * 10.0;
        xs.push_back(x0 + t);
        ys.push_back(3 + 2 * t + 0.5 * t * t);
    }
    double a, b, c, r;
    FitOf(xs, ys).CalcParabolFit(a, b, c, r);
    EXPECT_NEAR(c, 0.5, 1e-9);
    EXPECT_NEAR(b, 2 - 2 * 0.5 * x0, 1e-6 * x0);
    for (std::size_t i = 0; i < xs.size(); ++i) EXPECT_NEAR(a + b * xs[i] + c * xs[i] * xs[i], ys[i], 1e-2);
}

TEST(SupportCurveFit, ParabolaFallsBackToLine) {
    double a, b, c, r;
    FitOf({1, 1, 3, 3}, {2, 2, 6, 6}).CalcParabolFit(a, b, c, r);
    EXPECT_EQ(c, 0.0);
    EXPECT_NEAR(b, 2.0, 1e-12);
    EXPECT_NEAR(a, 0.0, 1e-12);
    FitOf({4, 4, 4}, {1, 2, 3}).CalcParabolFit(a, b, c, r);
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(c, 0.0);
    EXPECT_NEAR(a, 2.0, 1e-12);
}

TEST(SupportCurveFit, Statistics) {
    int n;
    double s1, s2, s3, s4, s5, s6, s7;
    FitOf({1, 2, 3}, {2, 2, 5}).CalcStatistics(n, s1, s2, s3, s4, s5, s6, s7);
    EXPECT_EQ(n, 3);
    EXPECT_NEAR(s1, 2.0, 1e-12);
    EXPECT_NEAR(s2, 3.0, 1e-12);
    EXPECT_NEAR(s3, 1.0, 1e-12);
    EXPECT_NEAR(s4, std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(s5, 3.0 / std::sqrt(12.0), 1e-12);
    EXPECT_NEAR(s6, std::sqrt(5.0 / 3.0), 1e-12);  // differences 1, 0, 2
    EXPECT_NEAR(s7, 2.0, 1e-12);

    TCurveFit empty;
    empty.CalcStatistics(n, s1, s2, s3, s4, s5, s6, s7);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(s6, 0.0);
}

TEST(SupportNumeric, GreatCircleDistance) {
    const double R = 6371000.0, pi = std::numbers::pi;
    EXPECT_NEAR(SphereGreatCircleDist(R, 0, 0, 90, 0), pi / 2 * R, 1e-6);
    EXPECT_NEAR(SphereGreatCircleDist(R, 10, 20, -10, -160), pi * R, 1e-6);
    EXPECT_NEAR(SphereGreatCircleDist(R, 0, 170, 0, -170), 20 * pi / 180 * R, 1e-6);
    EXPECT_NEAR(SphereGreatCircleDist(R, 48.2, 16.3, 48.2, 16.3), 0.0, 1e-9);
    EXPECT_NEAR(SphereGreatCircleDist(R, 0, 0, 0, 1e-9), 1e-9 * pi / 180 * R, 1e-12);
}

TEST(SupportNumeric, DegreeToStrFormats) {
    EXPECT_EQ(DegreeToStr(48.2, dfDecimal, 4), "48.2000");
    EXPECT_EQ(DegreeToStr(48.2, dfDegMin, 2), "48\xC2\xB0"
                                              "12.00'");
    EXPECT_EQ(DegreeToStr(48.2, dfDegMinSec, 1), "48\xC2\xB0"
                                                 "12'00.0\"");
    EXPECT_EQ(DegreeToStr(5.0875, dfDegMin, 2), "5\xC2\xB0"
                                                "05.25'");
    EXPECT_EQ(DegreeToStr(-48.5, dfDegMin, 0), "-48\xC2\xB0"
                                               "30'");
    EXPECT_EQ(DegreeToStr(16.3425, dfDegMinSec, 0), "16\xC2\xB0"
                                                    "20'33\"");
    EXPECT_EQ(DegreeToStr(-0.00001, dfDecimal, 2), "0.00");
}

TEST(SupportNumeric, DegreeToStrCarriesRounding) {
    EXPECT_EQ(DegreeToStr(10.99999999, dfDegMin, 2), "11\xC2\xB0"
                                                     "00.00'");
    EXPECT_EQ(DegreeToStr(10.9999999, dfDegMinSec, 1), "11\xC2\xB0"
                                                       "00'00.0\"");
    EXPECT_EQ(DegreeToStr(1.0 / 60 - 1e-9, dfDegMinSec, 2), "0\xC2\xB0"
                                                            "01'00.00\"");
    EXPECT_EQ(DegreeToStr(0.99996, dfDecimal, 4), "1.0000");
}

TEST(SupportNumeric, HexAndScanHex) {
    EXPECT_EQ(Hex(0xFF00FF, 8), "00FF00FF");
    EXPECT_EQ(Hex(0, 0), "0");
    EXPECT_EQ(Hex(0x123456789ABCDEF0ULL, 4), "123456789ABCDEF0");
    for (std::uint64_t v : {0ULL, 1ULL, 0xABCDEFULL, 0xFFFFFFFFULL, ~0ULL}) {
        const std::string s = Hex(v, 8);
        std::size_t pos = 0;
        EXPECT_EQ(ScanHex(s, pos), v);
        EXPECT_EQ(pos, s.size());
    }

    std::size_t pos = 0;
    EXPECT_EQ(ScanHex("  $ff00Ff rest", pos), 0xFF00FFu);
    EXPECT_EQ(pos, 9u);
    pos = 3;
    EXPECT_EQ(ScanHex("ab 0x1aB;", pos), 0x1ABu);
    EXPECT_EQ(pos, 8u);
    pos = 0;
    EXPECT_EQ(ScanHex("  zz", pos), 0u);
    EXPECT_EQ(pos, 0u);
    pos = 0;
    EXPECT_EQ(ScanHex("0xg", pos), 0u);
    EXPECT_EQ(pos, 1u) << "the 0 is a digit when no hex digit follows the x";
    pos = 10;
    EXPECT_EQ(ScanHex("12", pos), 0u);
    EXPECT_EQ(pos, 10u);
    pos = 0;
    EXPECT_EQ(ScanHex("123456789ABCDEF01234", pos), 0x56789ABCDEF01234ULL);
    EXPECT_EQ(pos, 20u);
}

TEST(SupportNumeric, EncodeDecodeDateTime) {
    EXPECT_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_EQ(EncodeDateTime(1900, 1, 1, 0, 0, 0), 2.0);
    EXPECT_EQ(EncodeDateTime(2000, 1, 1, 12, 0, 0), 36526.5);
    EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0), -0.75);
    EXPECT_THROW(EncodeDateTime(2023, 2, 29, 0, 0, 0), EZYLError);

    int y, mo, d, h, mi, s;
    DecodeDateTime(EncodeDateTime(2024, 2, 29, 23, 59, 58), y, mo, d, h, mi, s);
    EXPECT_EQ((std::vector{y, mo, d, h, mi, s}), (std::vector{2024, 2, 29, 23, 59, 58}));
    DecodeDateTime(-0.75, y, mo, d, h, mi, s);
    EXPECT_EQ((std::vector{y, mo, d, h, mi, s}), (std::vector{1899, 12, 29, 6, 0, 0}));
    DecodeDateTime(1.0 - 1e-9, y, mo, d, h, mi, s);
    EXPECT_EQ((std::vector{y, mo, d, h, mi, s}), (std::vector{1899, 12, 31, 0, 0, 0}));
    EXPECT_THROW(DecodeDateTime(std::nan(""), y, mo, d, h, mi, s), EZYLError);

    const TDateTime now = Now();
    EXPECT_GT(now, EncodeDateTime(2020, 1, 1, 0, 0, 0));
}

TEST(SupportNumeric, ScanDateTime) {
    const std::string_view fmt = "yyyymmddHHMMSS";
    std::size_t pos = 1;
    TDateTime t = -1;
    ASSERT_TRUE(ScanDateTime("x20240229123456y", fmt, 0, pos, t));
    EXPECT_EQ(pos, 15u);
    EXPECT_EQ(t, EncodeDateTime(2024, 2, 29, 12, 34, 56));

    for (std::string_view bad : {"20230229000000", "20241301000000", "20240230000000", "20240001000000",
                                 "20240101240000", "20240101006000", "2024022912345", "2024a229123456", ""}) {
        pos = 0;
        t = -1;
        EXPECT_FALSE(ScanDateTime(bad, fmt, 0, pos, t)) << bad;
        EXPECT_EQ(pos, 0u) << bad;
        EXPECT_EQ(t, -1) << bad;
    }
}

TEST(SupportNumeric, Round125IsLogarithmicNearest) {
    const std::vector<std::pair<double, double>> cases = {
        {0.7, 0.5},  {0.71, 1.0},  {1.0, 1.0},   {1.41, 1.0},      {1.42, 2.0}, {3.16, 2.0},  {3.17, 5.0},
        {7.07, 5.0}, {7.08, 10.0}, {1234, 1000}, {0.0003, 0.0002}, {0.2, 0.2},  {4e-3, 5e-3}, {6e7, 5e7}};
    for (auto [x, want] : cases) EXPECT_DOUBLE_EQ(Round125(x), want) << x;
    EXPECT_EQ(Round125(0.05), 0.05);
    EXPECT_EQ(Round125(0.0), 0.0);
    EXPECT_EQ(Round125(-3.0), 0.0);
    EXPECT_EQ(Round125(std::nan("")), 0.0);
    EXPECT_EQ(Round125(std::numeric_limits<double>::infinity()), 0.0);
    EXPECT_EQ(Round125(std::numeric_limits<double>::max()), 1e308);
    EXPECT_GT(Round125(std::numeric_limits<double>::denorm_min() * 4), 0.0);
}

TEST(SupportNumeric, BRandomIsSeededAndFair) {
    auto draw = [] {
        std::vector<bool> v;
        for (int i = 0; i < 200; ++i) v.push_back(BRandom(0.5));
        return v;
    };
    SetRandomSeed(42);
    const auto first = draw();
    SetRandomSeed(42);
    EXPECT_EQ(draw(), first);
    SetRandomSeed(43);
    EXPECT_NE(draw(), first);

    int hits = 0;
    for (int i = 0; i < 100000; ++i) hits += BRandom(0.3);
    EXPECT_NEAR(hits / 100000.0, 0.3, 0.01);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_FALSE(BRandom(0.0));
        ASSERT_FALSE(BRandom(std::nan("")));
        ASSERT_TRUE(BRandom(1.0));
    }
}

namespace {

struct Clip {
    bool ok;
    double x1, y1, x2, y2;
};

Clip ClipToTen(double x1, double y1, double x2, double y2, bool swapBox = false) {
    TSLine line;
    line.LineFrom2Points(x1, y1, x2, y2);
    Clip c{false, -99, -99, -99, -99};
    c.ok = swapBox ? line.ClipBox(10, 10, 0, 0, c.x1, c.y1, c.x2, c.y2)
                   : line.ClipBox(0, 0, 10, 10, c.x1, c.y1, c.x2, c.y2);
    return c;
}

void ExpectClip(const Clip& c, double x1, double y1, double x2, double y2) {
    ASSERT_TRUE(c.ok);
    EXPECT_NEAR(c.x1, x1, 1e-12);
    EXPECT_NEAR(c.y1, y1, 1e-12);
    EXPECT_NEAR(c.x2, x2, 1e-12);
    EXPECT_NEAR(c.y2, y2, 1e-12);
}

}  // namespace

TEST(SupportNumeric, ClipBoxKeepsAndCuts) {
    ExpectClip(ClipToTen(1, 1, 9, 5), 1, 1, 9, 5);
    ExpectClip(ClipToTen(-5, 5, 15, 5), 0, 5, 10, 5);
    ExpectClip(ClipToTen(15, 5, -5, 5), 10, 5, 0, 5);
    ExpectClip(ClipToTen(-5, -5, 15, 15), 0, 0, 10, 10);
    ExpectClip(ClipToTen(-5, -5, 15, 15, true), 0, 0, 10, 10);
    ExpectClip(ClipToTen(5, -3, 5, 20), 5, 0, 5, 10);
    ExpectClip(ClipToTen(-1, 12, 12, -1), 1, 10, 10, 1);
    ExpectClip(ClipToTen(8, 12, 12, 8), 10, 10, 10, 10);  // touches the corner only
    ExpectClip(ClipToTen(4, 4, 4, 4), 4, 4, 4, 4);
    ExpectClip(ClipToTen(0, 10, 10, 10), 0, 10, 10, 10);  // along an edge
}

TEST(SupportNumeric, ClipBoxRejectsOutside) {
    for (const Clip& c :
         {ClipToTen(11, 0, 20, 10), ClipToTen(11, -3, 11, 20), ClipToTen(-3, 11, 20, 11), ClipToTen(9, 12, 12, 9),
          ClipToTen(12, 12, 12, 12), ClipToTen(-5, 0, -1, 20), ClipToTen(std::nan(""), 5, 5, 5)}) {
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.x1, -99);  // outputs untouched
    }
}
