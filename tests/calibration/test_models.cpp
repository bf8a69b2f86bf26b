// Each model fitted to a synthetic map of a known projection, checked at held-out pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "synthetic_maps.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/mathhooks.h"

using namespace zylcarto;
using synthetic::Geo;
using synthetic::Pix;

namespace {

constexpr double Deg = std::numbers::pi / 180.0;

// Pixel of a position for a map given by its pixel -> position function, by Newton's method.
Pix NewtonForward(const std::function<Geo(Pix)>& inverse, Geo target) {
    Pix p{500, 500};
    for (int it = 0; it < 50; ++it) {
        const Geo g = inverse(p);
        const double h = 1e-3;
        const Geo gx = inverse({p.X + h, p.Y}), gy = inverse({p.X, p.Y + h});
        const double a = (gx.Lat - g.Lat) / h, b = (gy.Lat - g.Lat) / h;
        const double c = (gx.Long - g.Long) / h, d = (gy.Long - g.Long) / h;
        const double rLat = target.Lat - g.Lat, rLong = target.Long - g.Long;
        const double det = a * d - b * c;
        p.X += (d * rLat - b * rLong) / det;
        p.Y += (a * rLong - c * rLat) / det;
    }
    return p;
}

synthetic::Map FromInverse(std::function<Geo(Pix)> inverse) {
    return {[inverse](Geo g) { return NewtonForward(inverse, g); }, inverse};
}

// Spherical Lambert conformal conic, standard parallels 44 and 49, 1 pixel = 1 km,
// on an image of 900 x 650 pixels.
struct LambertMap {
    synthetic::Map Truth;
    double ApexX = 0, ApexY = 0, Rho0 = 0;
};

LambertMap NorthernLambert() {
    const double R = 6371.0, phi1 = 44 * Deg, phi2 = 49 * Deg, lambda0 = 10 * Deg;
    auto t = [](double phi) { return std::tan(std::numbers::pi / 4 + phi / 2); };
    const double n = std::log(std::cos(phi1) / std::cos(phi2)) / std::log(t(phi2) / t(phi1));
    const double F = std::cos(phi1) * std::pow(t(phi1), n) / n;
    auto rho = [=](double phi) { return R * F / std::pow(t(phi), n); };
    LambertMap m;
    m.Rho0 = rho(46.5 * Deg);
    const double apexX = m.ApexX = 400.0, apexY = m.ApexY = 320.0 - m.Rho0;
    m.Truth = {[=](Geo g) {
                   const double theta = n * (g.Long * Deg - lambda0);
                   return Pix{apexX + rho(g.Lat * Deg) * std::sin(theta), apexY + rho(g.Lat * Deg) * std::cos(theta)};
               },
               [=](Pix p) {
                   const double dx = p.X - apexX, dy = p.Y - apexY;
                   const double r = std::sqrt(dx * dx + dy * dy);
                   return Geo{(2 * std::atan(std::pow(R * F / r, 1 / n)) - std::numbers::pi / 2) / Deg,
                              (lambda0 + std::atan2(dx, dy) / n) / Deg};
               }};
    return m;
}

// The same map mirrored to the southern hemisphere, north still up: the apex lies below.
LambertMap SouthernLambert() {
    const LambertMap north = NorthernLambert();
    const double H = 650;
    LambertMap m = north;
    m.ApexY = H - north.ApexY;
    m.Truth = {[=](Geo g) {
                   const Pix p = north.Truth.Forward({-g.Lat, g.Long});
                   return Pix{p.X, H - p.Y};
               },
               [=](Pix p) {
                   const Geo g = north.Truth.Inverse({p.X, H - p.Y});
                   return Geo{-g.Lat, g.Long};
               }};
    return m;
}

// Parabolic graticule whose coefficients vary linearly with the line value.
struct GratTruth {
    // Parallel phi: y = a + b x + c x^2; meridian lambda: x = d + e y + g y^2.
    static double A(double phi) { return 100 + (49 - phi) * 250; }
    static double B(double phi) { return 0.02 * (phi - 47); }
    static double C(double phi) { return 2e-5 + 2e-6 * (phi - 47); }
    static double D(double lam) { return 500 + (lam - 9) * 300; }
    static double E(double lam) { return -0.05 * (lam - 9); }
    static double G(double lam) { return 1e-6 * (lam - 9); }
    static double ParallelY(double phi, double x) { return A(phi) + B(phi) * x + C(phi) * x * x; }
    static double MeridianX(double lam, double y) { return D(lam) + E(lam) * y + G(lam) * y * y; }
    static Geo Inverse(Pix p) {
        // Each curve value is linear in the line value: solve for it.
        const double y0 = ParallelY(0, p.X), y1 = ParallelY(1, p.X);
        const double x0 = MeridianX(0, p.Y), x1 = MeridianX(1, p.Y);
        return Geo{(p.Y - y0) / (y1 - y0), (p.X - x0) / (x1 - x0)};
    }
};

synthetic::Map EquiRect() {
    return FromInverse([](Pix p) {
        return Geo{52.0 - 0.0016 * p.Y + 0.00002 * p.X, 6.0 + 0.0025 * p.X + 0.00003 * p.Y};
    });
}
void ExpectEquiRectFit(const TMapCalibration& cal) {  // latitude row (52, 0.00002, -0.0016)
    EXPECT_NEAR(cal.Params().EquRectPLSP[1][1], 52.0, 1e-9);
    EXPECT_NEAR(cal.Params().EquRectPLSP[1][2], 0.00002, 1e-12);
    EXPECT_NEAR(cal.Params().EquRectPLSP[1][3], -0.0016, 1e-12);
}

const double MillerY0 = 1542.0, MillerS = 1000.0;
synthetic::Map Miller() {
    const double y0 = MillerY0, s = MillerS;
    return {[=](Geo g) {
                return Pix{500 + s * (g.Long * Deg - 0.2),
                           y0 - 1.25 * s * std::log(std::tan(std::numbers::pi / 4 + 0.4 * g.Lat * Deg))};
            },
            [=](Pix p) {
                return Geo{(std::atan(std::exp((y0 - p.Y) / (1.25 * s))) - std::numbers::pi / 4) / 0.4 / Deg,
                           (0.2 + (p.X - 500) / s) / Deg};
            }};
}
void ExpectMillerFit(const TMapCalibration& cal) {
    EXPECT_NEAR(cal.Params().MillercylPar[2][1], MillerS, 1e-6);
    EXPECT_NEAR(cal.Params().MillercylPar[1][1], -1.25 * MillerS, 1e-6);
}

// The apex is found to the pixel across the axis of the cone and well within its
// distance from the map along it.
template <LambertMap (*Map)()>
void ExpectApex(const TMapCalibration& cal) {
    EXPECT_NEAR(cal.Params().ConicPars[1], Map().ApexX, 2.0);
    EXPECT_NEAR(cal.Params().ConicPars[2], Map().ApexY, 0.02 * Map().Rho0);
}
template <LambertMap (*Map)()>
synthetic::Map Truth() {
    return Map().Truth;
}

// Zone 32 north, 20 m per pixel, grid slightly rotated against the image.
void UTMGrid(Pix p, double& easting, double& northing) {
    easting = 480000 + 20 * p.X + 0.5 * p.Y;
    northing = 5400000 - 20 * p.Y + 0.3 * p.X;
}
synthetic::Map UTM() {
    return FromInverse([](Pix p) {
        double e = 0, n = 0, lat = 0, lon = 0;
        UTMGrid(p, e, n);
        UTMToLatLong(e, n, 32, false, TGeoEllipsoid::gelWGS84, lat, lon);
        return Geo{lat, lon};
    });
}
void AddUTMPoints(TMapCalibration& cal) {
    cal.ClearCalibData();
    cal.SetUTMZone(32);
    cal.SetUTMHemisphere(THemisphere::hemiNorth);
    for (const TPoint& p : synthetic::Grid(0, 1000, 0, 1000, 2)) {
        double e = 0, n = 0;
        UTMGrid({double(p.X), double(p.Y)}, e, n);
        ASSERT_TRUE(cal.AddCalibPoint(n, e, 32, THemisphere::hemiNorth, p.X, p.Y));
    }
}
void ExpectUTMFit(const TMapCalibration& cal) {  // the grid position of a pixel through the public grid rule
    int x = -1, y = -1;
    ASSERT_TRUE(cal.CalcPixelCoordsUTM(5400000 - 20 * 500 + 0.3 * 250, 480000 + 20 * 250 + 0.5 * 500, x, y));
    EXPECT_EQ(x, 250);
    EXPECT_EQ(y, 500);
}

synthetic::Map Biquadratic() {
    return FromInverse([](Pix p) {
        return Geo{50.0 - 0.001 * p.Y + 3e-9 * p.X * p.Y + 5e-9 * p.Y * p.Y,
                   7.0 + 0.0015 * p.X + 4e-9 * p.X * p.X - 2e-9 * p.X * p.Y};
    });
}

synthetic::Map Parabolic() { return FromInverse(GratTruth::Inverse); }
void AddGraticulePoints(TMapCalibration& cal) {
    for (double phi : {46.0, 47.0, 48.0})
        for (int x = 150; x <= 850; x += 140)
            cal.AddCalibPoint(gtlParallel, phi, x, int(std::lround(GratTruth::ParallelY(phi, x))));
    for (double lam : {8.0, 9.0, 10.0})
        for (int y = 300; y <= 900; y += 120)
            cal.AddCalibPoint(gtlMeridian, lam, int(std::lround(GratTruth::MeridianX(lam, y))), y);
    ASSERT_EQ(cal.GratMat().NrOfRows(), 6);
}

// A model fitted to a synthetic map of a known projection: reference points at
// Fitted (from the truth unless AddPoints places them), checked at HeldOut.
struct TModelCase {
    const char* Name;
    TCalibModel Model;
    int W, H;
    synthetic::Map (*Truth)();
    std::vector<TPoint> Fitted, HeldOut;
    double MaxErr;  // degrees of latitude and of longitude
    void (*AddPoints)(TMapCalibration&) = nullptr;
    void (*ExpectFit)(const TMapCalibration&) = nullptr;  // the fitted parameters
};

const TModelCase ModelCases[] = {
    {"EquiRect", cmEquiRect, 1000, 1000, EquiRect, synthetic::Grid(0, 1000, 0, 1000, 2),
     synthetic::Grid(37, 963, 41, 977, 7), 1e-9, nullptr, ExpectEquiRectFit},
    {"Miller", cmMillerCylindrical, 1000, 1000, Miller, synthetic::Grid(0, 1000, 300, 900, 3),
     synthetic::Grid(29, 971, 331, 877, 7), 1e-9, nullptr, ExpectMillerFit},
    // Latitude is linear in the radius in the model, not in the projection, and the
    // apex is found to whole pixels: measured 0.0006 degrees over 6 degrees of latitude.
    {"ConicNorth", cmConicConformal, 900, 650, Truth<NorthernLambert>, synthetic::Grid(0, 900, 0, 650, 3),
     synthetic::Grid(23, 877, 17, 633, 7), 0.002, nullptr, ExpectApex<NorthernLambert>},
    {"ConicSouth", cmConicConformal, 900, 650, Truth<SouthernLambert>, synthetic::Grid(0, 900, 0, 650, 3),
     synthetic::Grid(23, 877, 17, 633, 7), 0.002, nullptr, ExpectApex<SouthernLambert>},
    {"UTM", cmUTM, 1000, 1000, UTM, {}, synthetic::Grid(37, 963, 41, 977, 7), 1e-8, AddUTMPoints, ExpectUTMFit},
    // Pixel -> position is the model's own form (to the rounding of terms up to
    // 10^6); the way back is approximated.
    {"Biquadratic", cmBiquadraticPn, 1000, 1000, Biquadratic, synthetic::Grid(0, 1000, 0, 1000, 4),
     synthetic::Grid(37, 963, 41, 977, 7), 1e-8},
    // Integer calibration pixels put the fitted lines within half a pixel of the
    // truth: 0.5 px is 0.002 degrees of latitude and 0.0017 of longitude here.
    {"Parabolic",
     cmParabolicIp,
     1000,
     1000,
     Parabolic,
     {},
     synthetic::Grid(260, 740, 390, 810, 7),
     0.003,
     AddGraticulePoints},
};

void PrintTo(const TModelCase& c, std::ostream* os) { *os << c.Name; }

class ModelFit : public ::testing::TestWithParam<TModelCase> {};

}  // namespace

TEST_P(ModelFit, RecoversItsMapAtHeldOutPixels) {
    const TModelCase& c = GetParam();
    const synthetic::Map truth = c.Truth();
    TMapCalibration cal = synthetic::Calibration(c.Model, c.W, c.H);
    if (c.AddPoints)
        c.AddPoints(cal);
    else
        synthetic::AddReferencePoints(cal, truth, c.Fitted);
    const auto e = synthetic::Measure(cal, truth, c.HeldOut, c.Name);
    EXPECT_EQ(e.Invalid, 0);
    EXPECT_LT(e.MaxLatErr, c.MaxErr);
    EXPECT_LT(e.MaxLongErr, c.MaxErr);
    EXPECT_LE(e.MaxRoundTrip, 1);
    EXPECT_LE(e.MaxForward, 1);
    if (c.ExpectFit) c.ExpectFit(cal);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelFit, ::testing::ValuesIn(ModelCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PolynomialModels, HaveZeroCoefficientsWithoutPoints) {
    for (TCalibModel model : {cmEquiRect, cmBiquadraticPn}) {
        TMapCalibration cal = synthetic::Calibration(model);
        cal.AddCalibPoint(48.0, 9.0, 100, 100);
        cal.AddCalibPoint(47.0, 10.0, 600, 700);
        EXPECT_NE(cal.Params(), TCalibParams{});
        cal.RemoveCalibPoint(100, 100);
        cal.RemoveCalibPoint(600, 700);
        EXPECT_EQ(cal.CalibData().NumCalQuads, 0);
        EXPECT_EQ(cal.Params(), TCalibParams{});
    }
}

TEST(PolynomialModels, AbortedSolveLeavesCoefficientsZero) {
    TMapCalibration cal = synthetic::Calibration(cmBiquadraticPn);
    AbortMathProc = true;
    cal.AddCalibPoint(48.0, 9.0, 100, 100);
    cal.AddCalibPoint(47.0, 10.0, 600, 700);
    AbortMathProc = false;
    EXPECT_EQ(cal.CalibData().NumCalQuads, 2);
    EXPECT_EQ(cal.Params(), TCalibParams{});
    cal.RecalcCalibration();
    EXPECT_NE(cal.Params(), TCalibParams{});
}

TEST(PolynomialModels, SinglePointGivesMinimumNormFit) {
    // One point fixes only one combination of the terms; the fit still maps it home.
    TMapCalibration cal = synthetic::Calibration(cmEquiRect);
    cal.AddCalibPoint(48.0, 9.0, 300, 400);
    bool valid = false;
    EXPECT_NEAR(cal.CalcLatitude(300, 400, valid), 48.0, 1e-9);
    EXPECT_TRUE(valid);
    int x = 0, y = 0;
    ASSERT_TRUE(cal.CalcPixelCoords(48.0, 9.0, x, y));
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 400);
}

TEST(MillerModel, KeepsPreviousFitBelowThreePoints) {
    TMapCalibration cal = synthetic::Calibration(cmMillerCylindrical);
    cal.AddCalibPoint(50.0, 5.0, 0, 0);
    cal.AddCalibPoint(45.0, 10.0, 800, 600);
    EXPECT_EQ(cal.Params().MillercylPar, (TCalibParams{}.MillercylPar));
    cal.AddCalibPoint(40.0, 15.0, 1600, 1300);
    const TCalibParams fitted = cal.Params();
    EXPECT_NE(fitted.MillercylPar[2][1], 0.0);
    cal.RemoveCalibPoint(1600, 1300);
    EXPECT_EQ(cal.CalibData().NumCalQuads, 2);
    EXPECT_EQ(cal.Params().MillercylPar, fitted.MillercylPar);
}

TEST(ConicModel, KeepsPreviousFitBelowThreePoints) {
    TMapCalibration cal = synthetic::Calibration(cmConicConformal);
    cal.AddCalibPoint(48.0, 8.0, 100, 100);
    cal.AddCalibPoint(47.0, 9.0, 500, 400);
    EXPECT_EQ(cal.Params().ConicPars, (TCalibParams{}.ConicPars));
    cal.AddCalibPoint(46.0, 10.0, 900, 800);
    const TCalibParams fitted = cal.Params();
    EXPECT_NE(fitted.ConicPars[3], 0.0);
    cal.RemoveCalibPoint(900, 800);
    EXPECT_EQ(cal.Params().ConicPars, fitted.ConicPars);
}

TEST(ParabolicModel, NeedsTwoFittedLinesOfEachKind) {
    TMapCalibration cal = synthetic::Calibration(cmParabolicIp);
    auto addLine = [&](TGratLineKind kind, double value, int points) {
        for (int i = 0; i < points; ++i) {
            const int along = 100 + 200 * i, across = int(100 + 50 * value);
            if (kind == gtlParallel)
                cal.AddCalibPoint(kind, value, along, across);
            else
                cal.AddCalibPoint(kind, value, across, along);
        }
    };
    addLine(gtlMeridian, 1, 3);
    addLine(gtlMeridian, 2, 3);
    addLine(gtlMeridian, 3, 3);
    addLine(gtlParallel, 5, 3);
    // Three meridians, one parallel: no usable table.
    EXPECT_FALSE(cal.RecalcGratMat());
    ASSERT_EQ(cal.GratMat().NrOfRows(), 1);
    for (int c = 1; c <= 5; ++c) EXPECT_EQ(cal.GratMat().GetVal(c, 1), 0.0);
    // A second parallel of two points is recorded but neither fitted nor counted.
    addLine(gtlParallel, 6, 2);
    EXPECT_FALSE(cal.RecalcGratMat());
    EXPECT_EQ(cal.CalibData().NumCalLines, 5);
    bool valid = true;
    cal.CalcLatitude(300, 300, valid);
    EXPECT_FALSE(valid);
    // Its third point makes the table usable, row by row in line order.
    cal.AddCalibPoint(gtlParallel, 6, 500, 400);
    EXPECT_TRUE(cal.RecalcGratMat());
    ASSERT_EQ(cal.GratMat().NrOfRows(), 5);
    EXPECT_EQ(cal.GratMat().GetVal(1, 4), 1.0);
    EXPECT_EQ(cal.GratMat().GetVal(2, 5), 6.0);
    EXPECT_NEAR(cal.GratMat().GetVal(3, 4), 350.0, 1e-9);  // parallel 5 runs at y = 350
}

namespace {

// Spherical Lambert conformal conic with standard parallels phi1, phi2 (degrees),
// the point (lat0, lon0) at the image centre, kmPerPixel, north rotated by
// rotDeg clockwise against the image.
synthetic::Map Lambert(double phi1d, double phi2d, double lat0, double lon0, int W, int H, double kmPerPixel,
                       double rotDeg) {
    const double R = 6371.0 / kmPerPixel, phi1 = phi1d * Deg, phi2 = phi2d * Deg, rot = rotDeg * Deg;
    auto t = [](double phi) { return std::tan(std::numbers::pi / 4 + phi / 2); };
    const double n = std::log(std::cos(phi1) / std::cos(phi2)) / std::log(t(phi2) / t(phi1));
    const double F = std::cos(phi1) * std::pow(t(phi1), n) / n;
    auto rho = [=](double phi) { return R * F / std::pow(t(phi), n); };
    const double rho0 = rho(lat0 * Deg), cx = W / 2.0, cy = H / 2.0;
    // Unrotated plane: apex at (0, -rho0) from the centre, y down the image.
    return {[=](Geo g) {
                const double th = n * (g.Long - lon0) * Deg, r = rho(g.Lat * Deg);
                const double u = r * std::sin(th), v = r * std::cos(th) - rho0;
                return Pix{cx + u * std::cos(rot) - v * std::sin(rot), cy + u * std::sin(rot) + v * std::cos(rot)};
            },
            [=](Pix p) {
                const double du = p.X - cx, dv = p.Y - cy;
                const double u = du * std::cos(rot) + dv * std::sin(rot),
                             v = -du * std::sin(rot) + dv * std::cos(rot) + rho0;
                const double r = std::sqrt(u * u + v * v);
                return Geo{(2 * std::atan(std::pow(R * F / r, 1 / n)) - std::numbers::pi / 2) / Deg,
                           lon0 + std::atan2(u, v) / n / Deg};
            }};
}

// Spherical Mercator about (lat0, lon0) at the image centre.
synthetic::Map Mercator(double lat0, double lon0, int W, int H, double kmPerPixel) {
    const double R = 6371.0 / kmPerPixel;
    auto m = [](double lat) { return std::log(std::tan(std::numbers::pi / 4 + lat * Deg / 2)); };
    const double m0 = m(lat0);
    return {[=](Geo g) {
                return Pix{W / 2.0 + R * (g.Long - lon0) * Deg, H / 2.0 - R * (m(g.Lat) - m0)};
            },
            [=](Pix p) {
                return Geo{(2 * std::atan(std::exp(m0 + (H / 2.0 - p.Y) / R)) - std::numbers::pi / 2) / Deg,
                           lon0 + (p.X - W / 2.0) / R / Deg};
            }};
}

}  // namespace

// The two pixels of a radius and an angle lie on both sides of the apex: the side
// of the reference points decides, not the hemisphere; and the apex search finds
// the basin of the true apex on rotated maps.
TEST(ConicModel, PixelsComeBackOnTheSideOfTheReferencePoints) {
    struct Case {
        const char* Label;
        synthetic::Map Truth;
        int W, H;
        double MaxForward;  // pixels, true position -> model pixel
    };
    const std::vector<Case> cases{
        {"LCC 4N/14N across the equator", Lambert(4, 14, 5, -74, 2000, 1500, 1.0, 0), 2000, 1500, 2},
        {"LCC 4N/14N rotated 5 deg", Lambert(4, 14, 5, -74, 2000, 1500, 1.0, 5), 2000, 1500, 3},
        {"LCC 44N/49N rotated 30 deg", Lambert(44, 49, 46.5, 10, 900, 650, 1.0, 30), 900, 650, 1},
        // Projections the cone only approximates: it must still agree with itself.
        {"Mercator at 50N", Mercator(50, 8, 1000, 800, 0.5), 1000, 800, 1e9},
        {"1 m plan at 64.7N", Mercator(64.7, 179.9, 1000, 800, 0.001), 1000, 800, 1e9},
    };
    for (const Case& c : cases) {
        TMapCalibration cal = synthetic::Calibration(cmConicConformal, c.W, c.H);
        synthetic::AddReferencePoints(cal, c.Truth, synthetic::Grid(0, c.W, 0, c.H, 4));
        const auto e = synthetic::Measure(cal, c.Truth, synthetic::Grid(23, c.W - 23, 17, c.H - 17, 7), c.Label);
        EXPECT_EQ(e.Invalid, 0) << c.Label;
        EXPECT_LE(e.MaxRoundTrip, 1) << c.Label;
        EXPECT_LE(e.MaxForward, c.MaxForward) << c.Label;
    }
}

// Straight graticule lines rotated against the image: the intersection of a
// parallel and a meridian must be found (or refused) at every angle.
TEST(ParabolicModel, RotatedGraticulesConvergeToTheIntersection) {
    for (const double rotDeg : {0.0, 40.0, 42.0, 43.0, 45.0}) {
        const double rot = rotDeg * Deg, c = 1000, pxPerDeg = 250;
        // Unrotated: latitude 48 - v / s, longitude 9 + u / s about the image centre.
        const synthetic::Map truth{
            [=](Geo g) {
                const double u = (g.Long - 9) * pxPerDeg, v = (48 - g.Lat) * pxPerDeg;
                return Pix{c + u * std::cos(rot) - v * std::sin(rot), c + u * std::sin(rot) + v * std::cos(rot)};
            },
            [=](Pix p) {
                const double du = p.X - c, dv = p.Y - c;
                const double u = du * std::cos(rot) + dv * std::sin(rot), v = -du * std::sin(rot) + dv * std::cos(rot);
                return Geo{48 - v / pxPerDeg, 9 + u / pxPerDeg};
            }};
        TMapCalibration cal = synthetic::Calibration(cmParabolicIp, 2000, 2000);
        // A 7 x 7 graticule, 7 points along each line.
        for (int k = -3; k <= 3; ++k)
            for (int i = -3; i <= 3; ++i) {
                const Pix onParallel = truth.Forward({48.0 + k, 9.0 + i * 0.9});
                cal.AddCalibPoint(gtlParallel, 48.0 + k, int(std::lround(onParallel.X)),
                                  int(std::lround(onParallel.Y)));
                const Pix onMeridian = truth.Forward({48.0 + i * 0.9, 9.0 + k});
                cal.AddCalibPoint(gtlMeridian, 9.0 + k, int(std::lround(onMeridian.X)), int(std::lround(onMeridian.Y)));
            }
        const auto e = synthetic::Measure(cal, truth, synthetic::Grid(700, 1300, 700, 1300, 6),
                                          "parabolic rotated " + std::to_string(int(rotDeg)));
        EXPECT_EQ(e.Invalid, 0) << rotDeg;
        EXPECT_LE(e.MaxRoundTrip, 1) << rotDeg;
        EXPECT_LE(e.MaxForward, 1) << rotDeg;
    }
}

namespace {

// A second-order polynomial in offsets from (U0, V0): the exact form of the model.
struct Quadratic {
    double U0, V0, C[6];
    double operator()(double u, double v) const {
        const double du = u - U0, dv = v - V0;
        return C[0] + C[1] * du + C[2] * dv + C[3] * du * du + C[4] * du * dv + C[5] * dv * dv;
    }
};

}  // namespace

// Far from the origin, or on a small plan at high longitude, the raw terms are
// nearly parallel; the fit must still be the least-squares one (here, with exact
// data of the model's own form, the truth) to 1e-6 pixels.
TEST(BiquadraticModel, FitsExactlyFarFromTheOrigin) {
    // Pixel -> position exact: windows of a large image (1.1 m per pixel).
    struct PixelCase {
        const char* Label;
        int X0, X1, Y0, Y1, Steps;
    };
    for (const PixelCase& c : {PixelCase{"window 90000-92000 of 100000^2", 90000, 92000, 90000, 91500, 5},
                               PixelCase{"full 80000x60000", 0, 80000, 0, 60000, 5}}) {
        const double cx = (c.X0 + c.X1) / 2.0, cy = (c.Y0 + c.Y1) / 2.0;
        const Quadratic lat{cx, cy, {48, 2e-7, -1e-5, 3e-13, 5e-13, -2e-13}};
        const Quadratic lon{cx, cy, {9, 1.5e-5, 1e-7, -4e-13, 2e-13, 6e-13}};
        TMapCalibration cal = synthetic::Calibration(cmBiquadraticPn, 100000, 100000);
        for (const TPoint& p : synthetic::Grid(c.X0, c.X1, c.Y0, c.Y1, c.Steps))
            ASSERT_TRUE(cal.AddCalibPoint(lat(p.X, p.Y), lon(p.X, p.Y), p.X, p.Y));
        double worst = 0;
        for (const TPoint& p : synthetic::Grid(c.X0, c.X1, c.Y0, c.Y1, 3)) {
            bool v1 = false, v2 = false;
            const double dLat = cal.CalcLatitude(p.X, p.Y, v1) - lat(p.X, p.Y);
            const double dLon = cal.CalcLongitude(p.X, p.Y, v2) - lon(p.X, p.Y);
            ASSERT_TRUE(v1 && v2);
            // In pixels: 1e-5 degrees per pixel.
            worst = std::max({worst, std::fabs(dLat) / 1e-5, std::fabs(dLon) / 1e-5});
        }
        std::cout << "[" << c.Label << "] pixel -> position within " << worst << " px\n";
        EXPECT_LT(worst, 1e-6) << c.Label;
        double metres = -1;
        ASSERT_TRUE(cal.CalibPositionQuality(metres));
        EXPECT_LT(metres, 1e-5) << c.Label;
    }
    // Position -> pixel exact: a 500 m plan at 64.7N 179.9E, 1 m per pixel.
    const Quadratic px{64.7, 179.9, {250, 0, 47550, 0, 0, -900}};
    const Quadratic py{64.7, 179.9, {250, -111200, 0, 1500, 0, 0}};
    // Positions of whole pixels, by Newton's method on the exact forward form.
    auto position = [&](double x, double y) {
        double la = 64.7 - (y - 250) / 111200, lo = 179.9 + (x - 250) / 47550;
        for (int it = 0; it < 20; ++it) {
            const double h = 1e-7;
            const double fx = px(la, lo) - x, fy = py(la, lo) - y;
            const double a = (px(la + h, lo) - px(la - h, lo)) / (2 * h),
                         b = (px(la, lo + h) - px(la, lo - h)) / (2 * h);
            const double cc = (py(la + h, lo) - py(la - h, lo)) / (2 * h),
                         d = (py(la, lo + h) - py(la, lo - h)) / (2 * h);
            const double det = a * d - b * cc;
            la -= (d * fx - b * fy) / det;
            lo -= (a * fy - cc * fx) / det;
        }
        return Geo{la, lo};
    };
    TMapCalibration cal = synthetic::Calibration(cmBiquadraticPn, 500, 500);
    for (const TPoint& p : synthetic::Grid(0, 500, 0, 500, 4)) {
        const Geo g = position(p.X, p.Y);
        ASSERT_TRUE(cal.AddCalibPoint(g.Lat, g.Long, p.X, p.Y));
    }
    double worst = 0;
    for (const TPoint& p : synthetic::Grid(13, 487, 29, 471, 5)) {
        const Geo g = position(p.X, p.Y);
        double x = 0, y = 0;
        ASSERT_TRUE(cal.CalcPixelCoordsFrac(g.Lat, g.Long, x, y));
        worst = std::max({worst, std::fabs(x - p.X), std::fabs(y - p.Y)});
    }
    std::cout << "[500 m plan at 64.7N 179.9E] position -> pixel within " << worst << " px\n";
    EXPECT_LT(worst, 1e-6);
}

TEST(PolynomialModels, ConditionSeparatesSpreadFromCollinearPoints) {
    auto data = [](const std::vector<TPoint>& pixels) {
        TCalibData d;
        for (const TPoint& p : pixels) {
            d.CalQuads[++d.NumCalQuads] = {50.0 - 0.001 * p.Y + 1e-7 * p.X, 7.0 + 0.0015 * p.X, p.X, p.Y};
        }
        return d;
    };
    const TCalibData grid = data(synthetic::Grid(0, 1000, 0, 800, 3));
    const TCalibData line = data({{0, 0}, {100, 50}, {200, 100}, {300, 150}, {500, 250}, {900, 450}, {1000, 500}});
    const TCalibData two = data({{0, 0}, {1000, 800}});
    // One point 2 px off a 1100 px line.
    const TCalibData band = data({{0, 0}, {100, 50}, {200, 102}, {300, 150}, {500, 250}, {900, 450}, {1000, 500}});
    for (TCalibModel m : {cmEquiRect, cmUTM, cmBiquadraticPn, cmConicConformal}) {
        EXPECT_GT(FitCondition(grid, m), 0.05) << int(m);
        EXPECT_LT(FitCondition(line, m), 1e-12) << int(m);
        EXPECT_LT(FitCondition(two, m), 1e-12) << int(m);
        // A second-order fit needs more than one point off a line.
        if (m == cmBiquadraticPn) continue;
        EXPECT_GT(FitCondition(band, m), 1e-12) << int(m);
        EXPECT_LT(FitCondition(band, m), 0.01) << int(m);
    }
    EXPECT_GT(FitCondition(grid, cmMillerCylindrical), 0.5);
    EXPECT_EQ(FitCondition(TCalibData{}, cmEquiRect), 0.0);
}

// One reference point 22 km off among sixteen, each pixel read to a pixel or so:
// judged by the fit of the others it stands out, whatever the model, and in a
// good set none does. Too few points to judge by give no figure at all.
TEST(PointReview, NamesOneGrossPointAndPassesAGoodSet) {
    const double s = 8000, y0 = 500 + 1.25 * s * std::log(std::tan(std::numbers::pi / 4 + 0.4 * 47 * Deg));
    const synthetic::Map miller{
        [=](Geo g) {
            return Pix{500 + s * (g.Long * Deg - 0.2),
                       y0 - 1.25 * s * std::log(std::tan(std::numbers::pi / 4 + 0.4 * g.Lat * Deg))};
        },
        [=](Pix p) {
            return Geo{(std::atan(std::exp((y0 - p.Y) / (1.25 * s))) - std::numbers::pi / 4) / 0.4 / Deg,
                       (0.2 + (p.X - 500) / s) / Deg};
        }};
    // About 450 m per pixel.
    const synthetic::Map affine = FromInverse([](Pix p) { return Geo{52 - 0.004 * p.Y, 6 + 0.006 * p.X}; });
    const struct {
        TCalibModel Model;
        synthetic::Map Truth;
        int W, H;
    } cases[] = {{cmEquiRect, affine, 1000, 1000},
                 {cmBiquadraticPn, affine, 1000, 1000},
                 {cmMillerCylindrical, miller, 1000, 1000},
                 {cmConicConformal, NorthernLambert().Truth, 900, 650},
                 {cmUTM, affine, 1000, 1000}};  // the truth of UTM is its grid, below
    constexpr int Gross = 6;
    for (const auto& c : cases)
        for (const bool withGross : {false, true}) {
            SCOPED_TRACE(std::string(CalibModelNames[static_cast<std::size_t>(c.Model)]) + (withGross ? " with a gross point" : ""));
            TMapCalibration cal = synthetic::Calibration(c.Model, c.W, c.H);
            if (c.Model == cmUTM) cal.SetUTMZone(32);
            int i = 0;
            for (const TPoint& p : synthetic::Grid(0, c.W, 0, c.H, 3)) {
                ++i;
                const bool off = withGross && i == Gross;
                const int x = p.X + (i * 7) % 3 - 1, y = p.Y + (i * 5) % 3 - 1;
                Geo g = c.Truth.Inverse({double(p.X), double(p.Y)});
                if (off) g.Lat += 0.2;  // 22 km
                if (c.Model == cmUTM) {
                    const double n = 5800000 - 450 * p.Y + (off ? 22000 : 0);
                    cal.AddCalibPoint(n, 480000 + 450 * p.X, 32, THemisphere::hemiNorth, x, y);
                } else {
                    cal.AddCalibPoint(g.Lat, g.Long, x, y);
                }
            }
            const std::vector<TPointReview> review = ReviewCalibPoints(cal);
            ASSERT_EQ(review.size(), 16u);
            for (std::size_t k = 0; k < review.size(); ++k) {
                EXPECT_EQ(review[k].Outlier, withGross && k + 1 == Gross) << "point " << k + 1;
                EXPECT_TRUE(std::isfinite(review[k].LeftOutResidual) && std::isfinite(review[k].OthersResidual));
            }
            if (withGross) {
                EXPECT_GT(review[Gross - 1].LeftOutResidual, 20);
            }
        }
    TMapCalibration few = synthetic::Calibration(cmEquiRect);
    synthetic::AddReferencePoints(few, affine, {{0, 0}, {1000, 0}, {0, 1000}, {1000, 1000}});
    for (const TPointReview& r : ReviewCalibPoints(few)) EXPECT_TRUE(std::isnan(r.LeftOutResidual) && !r.Outlier);
}
