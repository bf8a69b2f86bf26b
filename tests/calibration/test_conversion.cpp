// Pixel <-> position conversion: invalid states, borders, extents and resolution.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <functional>
#include <cmath>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "synthetic_maps.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/calibration/calib_convert.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/streams.h"

using namespace zylcarto;

namespace {

// An equirectangular map of W x H pixels from (north, west) at the top left
// to (south, east) at the bottom right.
TMapCalibration EquiRectMap(int W, int H, double north, double west, double south, double east) {
    TMapCalibration cal = synthetic::Calibration(cmEquiRect, W, H);
    cal.AddCalibPoint(north, west, 0, 0);
    cal.AddCalibPoint(south, west, 0, H);
    cal.AddCalibPoint(south, east, W, H);
    cal.AddCalibPoint(north, east, W, 0);
    return cal;
}

double Haversine(double R, double lat1, double lon1, double lat2, double lon2) {
    const double d = std::numbers::pi / 180;
    const double a = std::pow(std::sin((lat2 - lat1) * d / 2), 2) +
                     std::cos(lat1 * d) * std::cos(lat2 * d) * std::pow(std::sin((lon2 - lon1) * d / 2), 2);
    return 2 * R * std::asin(std::sqrt(a));
}

TCornerArray Corners(TCoords tl, TCoords bl, TCoords br, TCoords tr) {
    TCornerArray c;
    c[gcoTopLeft] = tl;
    c[gcoBottomLeft] = bl;
    c[gcoBottomRight] = br;
    c[gcoTopRight] = tr;
    return c;
}

}  // namespace

TEST(Conversion, ConicMapBeforeFittingHasNoPixels) {
    TMapCalibration cal("Map1");
    cal.SetCalibModel(cmConicConformal);
    cal.AddCalibPoint(45, 8, 10, 10);
    int x = 5, y = 5;
    EXPECT_FALSE(cal.CalcPixelCoords(45, 8, x, y));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);
}

TEST(Conversion, PixelOnGraticuleLineGivesItsValue) {
    TMapCalibration cal("Map1");
    cal.SetCalibModel(cmParabolicIp);
    // Parallels y = c + 0.001 (x - 500)^2, meridians x = c + 0.002 (y - 400)^2.
    for (double lat : {50.0, 49.0})
        for (int x = 200; x <= 800; x += 100)
            cal.AddCalibPoint(gtlParallel, lat, x, int(100 + (50 - lat) * 300 + (x - 500) * (x - 500) / 1000));
    for (double lon : {7.0, 8.0})
        for (int y = 100; y <= 700; y += 100)
            cal.AddCalibPoint(gtlMeridian, lon, int(200 + (lon - 7) * 400 + (y - 400) * (y - 400) / 500), y);
    bool valid = false;
    EXPECT_NEAR(cal.CalcLatitude(300, 140, valid), 50.0, 1e-9);  // on parallel 50
    EXPECT_TRUE(valid);
    EXPECT_NEAR(cal.CalcLatitude(700, 440, valid), 49.0, 1e-9);  // on parallel 49
    EXPECT_NEAR(cal.CalcLongitude(220, 300, valid), 7.0, 1e-9);  // on meridian 7
    EXPECT_NEAR(cal.CalcLongitude(680, 600, valid), 8.0, 1e-9);  // on meridian 8
    EXPECT_TRUE(valid);
    // And back: the crossing of parallel 50 and meridian 7 is at (200 + 0.002 (y-400)^2, y).
    int x = 0, y = 0;
    ASSERT_TRUE(cal.CalcPixelCoords(50.0, 7.0, x, y));
    const double yc = 100 + 0.001 * (x - 500) * (x - 500);
    EXPECT_NEAR(y, yc, 1.0);
    EXPECT_NEAR(x, 200 + 0.002 * (y - 400) * (y - 400), 1.0);

    // A line still being drawn (one point, no parabola yet) takes no part.
    cal.AddCalibPoint(gtlMeridian, 9.0, 990, 300);
    EXPECT_NEAR(cal.CalcLongitude(300, 300, valid), 7.2, 1e-9);
    EXPECT_TRUE(valid);
    int x2 = 0, y2 = 0;
    ASSERT_TRUE(cal.CalcPixelCoords(50.0, 7.0, x2, y2));
    EXPECT_EQ(x2, x);
    EXPECT_EQ(y2, y);
}

TEST(Conversion, PositionInMapIsStrictlyInside) {
    const TCornerArray rect = Corners({50, 5}, {45, 5}, {45, 10}, {50, 10});
    EXPECT_TRUE(PositionInMap(47, 7, rect));
    EXPECT_FALSE(PositionInMap(50, 7, rect));   // top edge
    EXPECT_FALSE(PositionInMap(47, 5, rect));   // left edge
    EXPECT_FALSE(PositionInMap(45, 10, rect));  // corner
    EXPECT_FALSE(PositionInMap(51, 7, rect));
    EXPECT_FALSE(PositionInMap(47, 11, rect));
    // A rotated quadrilateral, and one whose corners run the other way round.
    const TCornerArray diamond = Corners({50, 7.5}, {47.5, 5}, {45, 7.5}, {47.5, 10});
    EXPECT_TRUE(PositionInMap(47.5, 7.5, diamond));
    EXPECT_FALSE(PositionInMap(49.5, 5.5, diamond));
    const TCornerArray mirrored = Corners({50, 10}, {45, 10}, {45, 5}, {50, 5});
    EXPECT_TRUE(PositionInMap(47, 7, mirrored));
    const TCornerArray collapsed = Corners({1, 1}, {1, 1}, {1, 1}, {1, 1});
    EXPECT_FALSE(PositionInMap(1, 1, collapsed));
    EXPECT_FALSE(PositionInMap(2, 3, collapsed));
}

TEST(Conversion, ExtentsAndResolutionOfEquiRectMap) {
    TMapCalibration cal = EquiRectMap(1000, 800, 50, 5, 45, 10);
    const TCalibData& d = cal.CalibData();
    EXPECT_NEAR(d.Corners[gcoTopLeft].Latit, 50, 1e-9);
    EXPECT_NEAR(d.Corners[gcoTopLeft].Longit, 5, 1e-9);
    EXPECT_NEAR(d.Corners[gcoBottomLeft].Latit, 45, 1e-9);
    EXPECT_NEAR(d.Corners[gcoBottomRight].Longit, 10, 1e-9);
    EXPECT_NEAR(d.Corners[gcoTopRight].Latit, 50, 1e-9);
    EXPECT_NEAR(d.Resolution, Haversine(6378000, 47.5, 5, 47.5, 10) / 1000, 1e-6);
    EXPECT_TRUE(cal.IsPositionWithinMap(47, 7));
    EXPECT_FALSE(cal.IsPositionWithinMap(45, 7));  // bottom border
    EXPECT_FALSE(cal.IsPositionWithinMap(44, 7));
}

TEST(Conversion, ResolutionOfMapsWiderThanHalfTheGlobe) {
    // A world map: both ends of the middle line are the same point, yet the line
    // runs once round the equator.
    TMapCalibration world = EquiRectMap(3600, 1800, 90, -180, -90, 180);
    EXPECT_NEAR(world.CalibData().Resolution, 40074155.889191404 / 3600, 1e-6);
    // 270 degrees of longitude along the equator.
    TMapCalibration wide = EquiRectMap(2700, 1000, 50, -135, -50, 135);
    EXPECT_NEAR(wide.CalibData().Resolution, 40074155.889191404 * 0.75 / 2700, 1e-3);
}

TEST(Conversion, ImageWithoutWidthHasNoResolution) {
    TMapCalibration cal = EquiRectMap(1000, 800, 50, 5, 45, 10);
    cal.SetMapImageSize(0, 800);
    cal.RecalcCalibration();
    EXPECT_EQ(cal.CalibData().Resolution, 0.0);
    EXPECT_NEAR(cal.CalibData().Corners[gcoBottomLeft].Latit, 45, 1e-9);
}

TEST(Conversion, UTMGridRulesOnlyForUTMMaps) {
    TMapCalibration cal = EquiRectMap(1000, 800, 50, 5, 45, 10);
    int x = 5, y = 5;
    EXPECT_FALSE(cal.CalcPixelCoordsUTM(5400000, 500000, x, y));
    // A map without UTM calibration has no grid scale to divide by.
    TMapCalibration empty("Map1");
    EXPECT_EQ(empty.CalcUTMyFromNorthingX(5400000, 100), 0);
    EXPECT_EQ(empty.CalcUTMxFromEastingY(500000, 100), 0);
}

namespace {

// Zone 32 north, 10 m per pixel, grid rotated against the image.
void GridOf(int x, int y, double& easting, double& northing, double e0) {
    easting = e0 + 10 * x + 0.4 * y;
    northing = 5300000 - 10 * y + 0.2 * x;
}

TMapCalibration UTMMap(double e0) {
    TMapCalibration cal = synthetic::Calibration(cmUTM);
    cal.SetUTMZone(32);
    for (int x : {0, 500, 1000})
        for (int y : {0, 500, 1000}) {
            double e = 0, n = 0;
            GridOf(x, y, e, n, e0);
            cal.AddCalibPoint(n, e, 32, THemisphere::hemiNorth, x, y);
        }
    return cal;
}

}  // namespace

namespace {

// One conversion under test: converts (A, B) and writes what it gave into Out,
// leaving Out alone where the conversion left its outputs alone; false when it
// reported failure.
struct TConversion {
    const char* Name;
    bool IntPixels;  // takes an int pixel, which cannot be non-finite
    std::function<bool(const TMapCalibration&, double, double, double (&)[2])> Run;
};

constexpr int Unchanged = 12345;

// A two-output form, its outputs preset to Unchanged so that what it leaves alone shows.
template <typename T, typename Call>
auto TwoOutputs(Call call) {
    return [call](const TMapCalibration& c, double A, double B, double(&Out)[2]) {
        T a = Unchanged, b = Unchanged;
        const bool ok = call(c, A, B, a, b);
        if (a != T(Unchanged)) Out[0] = double(a);
        if (b != T(Unchanged)) Out[1] = double(b);
        return ok;
    };
}

// A batch form on one point: the entries must come back as given on failure.
template <typename Batch>
bool OneOf(Batch batch, double A, double B, double (&Out)[2]) {
    double a[1] = {A}, b[1] = {B};
    std::uint8_t valid[1] = {7};
    const std::size_t n = batch(std::span<double>(a), std::span<double>(b), std::span<std::uint8_t>(valid));
    EXPECT_EQ(n, valid[0]);
    if (!(a[0] == A || (std::isnan(a[0]) && std::isnan(A))) || !(b[0] == B || (std::isnan(b[0]) && std::isnan(B))))
        Out[0] = a[0], Out[1] = b[0];
    return valid[0] == 1;
}

const std::vector<TConversion>& Conversions() {
    static const std::vector<TConversion> all{
        {"CalcLatitude", true,
         [](const TMapCalibration& c, double A, double B, double(&Out)[2]) {
             bool valid = true;
             const double v = c.CalcLatitude(RoundToInt(A), RoundToInt(B), valid);
             if (!std::isnan(v) || valid) Out[0] = v;
             return valid;
         }},
        {"CalcLongitude", true,
         [](const TMapCalibration& c, double A, double B, double(&Out)[2]) {
             bool valid = true;
             const double v = c.CalcLongitude(TPoint{RoundToInt(A), RoundToInt(B)}, valid);
             if (!std::isnan(v) || valid) Out[0] = v;
             return valid;
         }},
        {"CalcPixelCoords", false,
         TwoOutputs<int>([](auto& c, double A, double B, int& a, int& b) { return c.CalcPixelCoords(A, B, a, b); })},
        {"CalcPixelCoordsUTM", false,
         TwoOutputs<int>([](auto& c, double A, double B, int& a, int& b) { return c.CalcPixelCoordsUTM(A, B, a, b); })},
        {"CalcPositionFrac", false, TwoOutputs<double>([](auto& c, double A, double B, double& a, double& b) {
             return c.CalcPositionFrac(A, B, a, b);
         })},
        {"CalcPixelCoordsFrac", false, TwoOutputs<double>([](auto& c, double A, double B, double& a, double& b) {
             return c.CalcPixelCoordsFrac(A, B, a, b);
         })},
        {"CalcGridFrac", false, TwoOutputs<double>([](auto& c, double A, double B, double& a, double& b) {
             return c.CalcGridFrac(A, B, a, b);
         })},
        {"CalcPixelCoordsGridFrac", false, TwoOutputs<double>([](auto& c, double A, double B, double& a, double& b) {
             return c.CalcPixelCoordsGridFrac(A, B, a, b);
         })},
        {"CalcPixelCoordsUTMFrac", false, TwoOutputs<double>([](auto& c, double A, double B, double& a, double& b) {
             return c.CalcPixelCoordsUTMFrac(A, B, a, b);
         })},
        {"CalcPositionsFrac", false,
         [](const TMapCalibration& c, double A, double B, double(&Out)[2]) {
             return OneOf([&c](auto a, auto b, auto v) { return c.CalcPositionsFrac(a, b, v); }, A, B, Out);
         }},
        {"CalcPixelCoordsFrac[]", false,
         [](const TMapCalibration& c, double A, double B, double(&Out)[2]) {
             return OneOf([&c](auto a, auto b, auto v) { return c.CalcPixelCoordsFrac(a, b, v); }, A, B, Out);
         }},
    };
    return all;
}

TMapCalibration Unfitted(TCalibModel model) {
    TMapCalibration cal("Map1");
    cal.SetMapImageSize(1000, 1000);
    if (model == cmUTM) cal.SetUTMZone(32);
    if (model == cmProjected) {
        EXPECT_TRUE(cal.SetCRS("EPSG:32632"));
    }
    cal.SetCalibModel(model);
    return cal;
}

}  // namespace

// Every conversion keeps one rule: on failure it says so and leaves its outputs
// as they were (NaN for the two that return their answer), never 0 as an answer.
TEST(Conversion, FailureLeavesOutputsUnchanged) {
    TMapCalibration undefined = EquiRectMap(1000, 800, 50, 5, 45, 10);
    const TCalibParams fitted = undefined.Params();
    undefined.SetCalibModel(cmUndefined);
    EXPECT_EQ(undefined.Params(), fitted);  // the parameters stay; only the conversions refuse
    const double nan = std::nan("");
    const struct {
        const char* What;
        TMapCalibration Cal;
        double A, B;
    } cases[] = {
        {"undefined model", undefined, 47, 7},
        {"equirect before fitting", Unfitted(cmEquiRect), 47, 7},
        {"biquadratic before fitting", Unfitted(cmBiquadraticPn), 47, 7},
        {"miller before fitting", Unfitted(cmMillerCylindrical), 47, 7},
        {"conic before fitting", Unfitted(cmConicConformal), 47, 7},
        {"utm before fitting", Unfitted(cmUTM), 47, 7},
        {"projected before fitting", Unfitted(cmProjected), 47, 7},
        {"graticule before fitting", Unfitted(cmParabolicIp), 47, 7},
        {"non-finite input, utm", UTMMap(450000), nan, 500000},
        {"non-finite input, equirect", EquiRectMap(1000, 800, 50, 5, 45, 10), 47, nan},
    };
    for (const auto& c : cases)
        for (const TConversion& conv : Conversions()) {
            if (conv.IntPixels && !(std::isfinite(c.A) && std::isfinite(c.B))) continue;
            SCOPED_TRACE(std::string(c.What) + ": " + conv.Name);
            double out[2] = {-1, -1};
            EXPECT_FALSE(conv.Run(c.Cal, c.A, c.B, out));
            EXPECT_EQ(out[0], -1);
            EXPECT_EQ(out[1], -1);
        }
}

TEST(Conversion, UTMGridLinesCrossColumnsAndRows) {
    const TMapCalibration cal = UTMMap(450000);
    for (int x : {0, 123, 999})
        for (int y : {7, 480, 1000}) {
            double e = 0, n = 0;
            GridOf(x, y, e, n, 450000);
            EXPECT_EQ(cal.CalcUTMyFromNorthingX(n, x), y);
            EXPECT_EQ(cal.CalcUTMxFromEastingY(e, y), x);
        }
}

TEST(Conversion, UTMMapAcrossZoneBorderConvertsBothWays) {
    // Eastings 720 to 730 km of zone 32 at 47.8 N reach beyond 12 E, into zone 33.
    const TMapCalibration cal = UTMMap(720000);
    bool valid = false;
    const double eastLong = cal.CalcLongitude(1000, 500, valid);
    ASSERT_TRUE(valid);
    ASSERT_GT(eastLong, 12.0);
    for (int x : {0, 500, 990})
        for (int y : {0, 500, 1000}) {
            bool vLat = false, vLong = false;
            const double lat = cal.CalcLatitude(x, y, vLat), lon = cal.CalcLongitude(x, y, vLong);
            ASSERT_TRUE(vLat && vLong);
            int px = 0, py = 0;
            ASSERT_TRUE(cal.CalcPixelCoords(lat, lon, px, py));
            EXPECT_NEAR(px, x, 1) << lon;
            EXPECT_NEAR(py, y, 1) << lon;
        }
}

TEST(Conversion, UTMMapWithoutZoneIsInvalid) {
    TMapCalibration cal = UTMMap(450000);
    TCalibData d = cal.CalibData();
    d.UTMZone = -1;
    cal.SetCalibData(d);
    bool valid = true;
    EXPECT_TRUE(std::isnan(cal.CalcLatitude(10, 10, valid)));
    EXPECT_FALSE(valid);
}

TEST(Conversion, ConicApexRowHasNoLongitude) {
    TMapCalibration cal = synthetic::Calibration(cmConicConformal);
    // Points on circles about an apex at (500, -2000): latitude falls with the radius.
    for (double r : {2200.0, 2600.0, 3000.0})
        for (double a : {-0.2, 0.0, 0.2})
            cal.AddCalibPoint(60 - (r - 2000) / 100, 10 + a * 20, int(std::lround(500 + r * std::sin(a))),
                              int(std::lround(-2000 + r * std::cos(a))));
    const double apexY = cal.Params().ConicPars[2];
    bool valid = false;
    const double lat = cal.CalcLatitude(1000, int(apexY), valid);
    EXPECT_TRUE(valid);
    EXPECT_TRUE(std::isfinite(lat));
    valid = true;
    EXPECT_TRUE(std::isnan(cal.CalcLongitude(1000, int(apexY), valid)));
    EXPECT_FALSE(valid);
    EXPECT_TRUE(std::isfinite(cal.CalcLongitude(1000, int(apexY) + 1, valid)) && valid);
}

TEST(Conversion, PixelRoundingHalvesToEvenAndSaturates) {
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(-2.6), -3);
    EXPECT_EQ(RoundToInt(1e300), INT_MAX);
    EXPECT_EQ(RoundToInt(-1e300), INT_MIN);
    EXPECT_EQ(RoundToInt(NAN), 0);
}

// A pixel far off an ordinary map extrapolates beyond a pole or round the globe:
// no position lies there, and none is reported valid.
TEST(Conversion, PositionsBeyondThePolesOrAWholeTurnAreInvalid) {
    const TMapCalibration cal = EquiRectMap(800, 600, 48, 7, 46, 10);
    struct Case {
        int X, Y;
        bool LatValid, LongValid;
    } const cases[] = {{400, 100000, false, true},
                       {400, -100000, false, true},
                       {1000000, 300, true, false},
                       {-1000000, 300, true, false},
                       {400, 300, true, true}};
    for (const Case& c : cases) {
        bool vLat = true, vLong = true;
        const double lat = cal.CalcLatitude(c.X, c.Y, vLat), lon = cal.CalcLongitude(c.X, c.Y, vLong);
        EXPECT_EQ(vLat, c.LatValid) << c.X << "," << c.Y << ": " << lat;
        EXPECT_EQ(vLong, c.LongValid) << c.X << "," << c.Y << ": " << lon;
        EXPECT_TRUE(vLat ? std::fabs(lat) <= 90.0 : std::isnan(lat));
        EXPECT_TRUE(vLong ? std::fabs(lon) <= 180.0 : std::isnan(lon));
    }
    // A world map drawn from 0 to 360 keeps its edges apart and holds both hemispheres.
    const TMapCalibration pacific = EquiRectMap(720, 360, 90, 0, -90, 360);
    for (const double lon : {-170.0, 10.0, 190.0, 180.0}) EXPECT_TRUE(pacific.IsPositionWithinMap(0, lon)) << lon;
    // Within a whole turn a longitude is normalised: 180 degrees east of 10 E is 170 W.
    bool valid = false;
    EXPECT_NEAR(cal.CalcLongitude(800 + 48000, 300, valid), -170.0, 1e-9);
    EXPECT_TRUE(valid);
}

// A map of Fiji across the antimeridian, 200 x 200 px from 179 E to 181 E (179 W),
// whatever form its reference points are written in and whatever the model.
TEST(Conversion, MapsAcrossTheAntimeridianFitAndConvertRelativeToTheMap) {
    // Longitude 179 + x / 100, latitude -16 - y / 100 (equirectangular truth).
    const auto truthLong = [](double x) { return 179.0 + x / 100; };
    const auto truthLat = [](double y) { return -16.0 - y / 100; };
    for (const TCalibModel model : {cmEquiRect, cmBiquadraticPn, cmMillerCylindrical, cmConicConformal}) {
        for (const bool wrapped : {true, false}) {
            TMapCalibration cal = synthetic::Calibration(model, 200, 200, "Fiji");
            for (int x : {0, 50, 100, 150, 200})
                for (int y : {0, 100, 200}) {
                    const double lon = truthLong(x);
                    ASSERT_TRUE(cal.AddCalibPoint(truthLat(y), wrapped && lon > 180 ? lon - 360 : lon, x, y));
                }
            const std::string label = std::string(CalibModelNames[static_cast<int>(model)]) +
                                      (wrapped ? " written 179 .. -179" : " written 179 .. 181");
            // 179.5 E and 180.5 E (179.5 W) in every form lie a quarter and three quarters across.
            for (const double lon : {179.5, -180.5, -179.5, 180.5}) {
                int x = 0, y = 0;
                ASSERT_TRUE(cal.CalcPixelCoords(-17.0, lon, x, y)) << label << " " << lon;
                EXPECT_NEAR(x, lon == 179.5 || lon == -180.5 ? 50 : 150, 1) << label << " " << lon;
                EXPECT_NEAR(y, 100, 1) << label << " " << lon;
            }
            for (int x : {0, 25, 99, 100, 101, 175, 200}) {
                bool vLat = false, vLong = false;
                const double lat = cal.CalcLatitude(x, 100, vLat), lon = cal.CalcLongitude(x, 100, vLong);
                ASSERT_TRUE(vLat && vLong) << label << " x " << x;
                EXPECT_LE(std::fabs(lon), 180.0) << label;
                EXPECT_NEAR(std::remainder(lon - truthLong(x), 360.0), 0.0, 0.02) << label << " x " << x;
                EXPECT_NEAR(lat, -17.0, 0.02) << label;
            }
            double qx = 99, qy = 99;
            cal.CalibQuality(qx, qy);
            EXPECT_LT(qx, 1.0) << label;
            EXPECT_LT(qy, 1.0) << label;
            EXPECT_TRUE(cal.IsPositionWithinMap(-17.0, 180.0)) << label;
            EXPECT_TRUE(cal.IsPositionWithinMap(-17.0, -179.5)) << label;
            EXPECT_FALSE(cal.IsPositionWithinMap(-17.0, 0.0)) << label;
            EXPECT_NEAR(cal.CalibData().Resolution, 2 * 111.3e3 * std::cos(17 * DegToRad) / 200, 500.0) << label;
            // Through the calibration file and back: the same pixels.
            TMemoryStream file;
            WriteCalDataToStream(file, "fiji", cal.CalibData(), model);
            file.SetPosition(0);
            TCalibData read;
            TCalibModel readModel = cmUndefined;
            ASSERT_TRUE(ParseCalibData(file, "fiji", read, readModel));
            TMapCalibration back("Fiji");
            back.SetMapImageSize(200, 200);
            back.SetCalibData(read);
            back.SetCalibModel(readModel);
            for (const double lon : {179.5, -179.5}) {
                int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
                ASSERT_TRUE(cal.CalcPixelCoords(-17.0, lon, x0, y0));
                ASSERT_TRUE(back.CalcPixelCoords(-17.0, lon, x1, y1)) << label;
                EXPECT_EQ(x1, x0) << label;
                EXPECT_EQ(y1, y0) << label;
            }
            EXPECT_EQ(back.CalibData().Corners, cal.CalibData().Corners) << label;
        }
    }
}

// The graticule model with meridians 179 E and 179 W, and UTM maps of zones 60
// and 1 reaching across 180.
TEST(Conversion, GraticuleAndUTMMapsAcrossTheAntimeridian) {
    TMapCalibration grat = synthetic::Calibration(cmParabolicIp, 200, 200, "Fiji");
    for (int y : {0, 100, 200}) {
        grat.AddCalibPoint(gtlMeridian, 179.0, 0, y);
        grat.AddCalibPoint(gtlMeridian, -179.0, 200, y);
    }
    for (int x : {0, 100, 200}) {
        grat.AddCalibPoint(gtlParallel, -16.0, x, 0);
        grat.AddCalibPoint(gtlParallel, -18.0, x, 200);
    }
    bool valid = false;
    EXPECT_NEAR(std::fabs(grat.CalcLongitude(100, 100, valid)), 180.0, 1e-9);
    EXPECT_NEAR(grat.CalcLongitude(150, 100, valid), -179.5, 1e-9);
    int x = 0, y = 0;
    ASSERT_TRUE(grat.CalcPixelCoords(-17.0, -179.5, x, y));
    EXPECT_EQ(x, 150);
    ASSERT_TRUE(grat.CalcPixelCoords(-17.0, 179.5, x, y));
    EXPECT_EQ(x, 50);

    // 100 m per pixel over eastings that reach 180 at 65 N (Chukotka): zone 60 from
    // its west, zone 1 from its east.
    for (const int zone : {60, 1}) {
        TMapCalibration cal = synthetic::Calibration(cmUTM, 1000, 1000, "Chukotka");
        cal.SetUTMZone(zone);
        double e180 = 0, n180 = 0;
        LatLongToUTMInZone(65.0, zone == 60 ? 180.0 : -180.0, zone, false, gelWGS84, e180, n180);
        const double e0 = e180 - 50000;  // 180 at x = 500
        for (int px : {0, 500, 1000})
            for (int py : {0, 1000})
                cal.AddCalibPoint(n180 + 50000 - 100.0 * py, e0 + 100.0 * px, zone, THemisphere::hemiNorth, px, py);
        for (const int px : {0, 250, 499, 501, 750, 1000}) {
            bool vLat = false, vLong = false;
            const double lat = cal.CalcLatitude(px, 500, vLat), lon = cal.CalcLongitude(px, 500, vLong);
            ASSERT_TRUE(vLat && vLong) << zone << " " << px;
            EXPECT_LE(std::fabs(lon), 180.0);
            EXPECT_EQ(lon > 0, px < 500) << zone << " " << px << ": " << lon;
            ASSERT_TRUE(cal.CalcPixelCoords(lat, lon, x, y)) << zone << " " << lon;
            EXPECT_NEAR(x, px, 1) << zone << " " << lon;
            EXPECT_NEAR(y, 500, 1) << zone << " " << lon;
        }
        EXPECT_TRUE(cal.IsPositionWithinMap(65.0, 180.0));
        EXPECT_TRUE(cal.IsPositionWithinMap(65.0, -179.9));
        EXPECT_TRUE(cal.IsPositionWithinMap(65.0, 179.9));
    }
}
