// The overlays drawn over the map: the UTM grid on any calibration, the grid of
// another CRS, the scale bar and the north arrow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli_runner.h"
#include "pixels.h"
#include "probe_map.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/view/scale_bar.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

constexpr TColor Grid = 0x00FF00;
constexpr double MetresPerDegree = 6378000 * std::numbers::pi / 180;

QImage Shown(const TGeoMap& M) { return M.AuxBitmap().copy(0, 0, M.width(), M.height()); }

// A W x H control without frame showing the map from image pixel TopLeft at Mag.
void ShowAt(TGeoMap& M, int W, int H, double Mag, TPoint TopLeft) {
    M.SetFrameStyle(fsNone);
    M.SetConfinePan(false);
    M.resize(W, H);
    M.SetMagnification(Mag);
    M.SetTopLeft(TopLeft);
}

// An affine calibration of a W x H image whose centre lies at (Lat0, Long0), with
// Metres per image pixel and north turned Angle degrees clockwise from up.
void CalibrateTurned(TMapCalibration& C, int W, int H, double Lat0, double Long0, double Metres, double Angle) {
    const double a = Angle * std::numbers::pi / 180;
    C.SetMapImageSize(W, H);
    C.SetCalibModel(cmEquiRect);
    for (const auto& [x, y] : {std::pair{0, 0}, {W, 0}, {0, H}, {W, H}}) {
        const double dx = (x - W / 2.0) * Metres, dy = (y - H / 2.0) * Metres;
        const double North = dx * std::sin(a) - dy * std::cos(a), East = dx * std::cos(a) + dy * std::sin(a);
        C.AddCalibPoint(Lat0 + North / MetresPerDegree,
                        Long0 + East / (MetresPerDegree * std::cos(Lat0 * std::numbers::pi / 180)), x, y);
    }
}

bool GridNear(const QImage& I, double X, double Y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = static_cast<int>(std::lround(X)) + dx, y = static_cast<int>(std::lround(Y)) + dy;
            if (I.valid(x, y) && At(I, x, y) == Grid) return true;
        }
    return false;
}

// Short runs of the grid colour along row Y: lines crossing it, not running along it.
int CrossingsOfRow(const QImage& I, int Y) {
    int Count = 0, Run = 0;
    for (int x = 0; x <= I.width(); ++x) {
        if (x < I.width() && At(I, x, Y) == Grid) {
            ++Run;
            continue;
        }
        Count += Run > 0 && Run <= 3;
        Run = 0;
    }
    return Count;
}

}  // namespace

// 48..47 N, 16..17 E (zone 33) on a 1000 x 800 image, the control showing a
// grey margin to the left and above it.
TEST(UTMGrid, LinesOfEveryCalibrationFollowItsConversionAndStayOnTheImage) {
    for (const TCalibModel Model : {cmEquiRect, cmBiquadraticPn, cmMillerCylindrical}) {
        SCOPED_TRACE(static_cast<int>(Model));
        ProbeMap M;
        M.SetMapBitMap(Picture(1000, 800));
        Calibrate(M, Model, 48, 16, 47, 17, 2);
        M.SetColorGratLine(Grid);
        M.SetUTMGridDist(10000);
        M.SetShowGrat(sgUTMGrid);
        ShowAt(M, 300, 240, 0.5, {-40, -30});
        const QImage I = Shown(M);
        // Points of the easting line 600 km and the northing line 5280 km.
        for (const auto& [E, N] : {std::pair{600000.0, 5260000.0},
                                   {600000.0, 5280000.0},
                                   {600000.0, 5300000.0},
                                   {580000.0, 5280000.0},
                                   {610000.0, 5280000.0}}) {
            double Lat = 0, Long = 0;
            UTMToLatLong(E, N, 33, false, gelWGS84, Lat, Long);
            double x = 0, y = 0;
            ASSERT_TRUE(M.Calibration().CalcPixelCoordsFrac(Lat, Long, x, y));
            EXPECT_TRUE(GridNear(I, (x + 40) * 0.5, (y + 30) * 0.5)) << E << " " << N;
        }
        for (const auto& [x, y] : OfColor(I, Grid)) ASSERT_TRUE(x >= 20 && y >= 15) << x << "," << y;
    }
}

// 28..29 N, 13.2..11 W: the left of the map in zone 28, the right in zone 29.
TEST(UTMGrid, MapAcrossAZoneBorderGetsEastingLinesOfOneZone) {
    for (const TCalibModel Model : {cmEquiRect, cmUTM}) {
        SCOPED_TRACE(static_cast<int>(Model));
        ProbeMap M;
        M.SetMapBitMap(Picture(880, 440));
        Calibrate(M, Model, 29, -13.2, 28, -11, 2, 28);
        M.SetColorGratLine(Grid);
        M.SetShowGrat(sgUTMGrid);
        ShowAt(M, 440, 220, 0.5, {0, 0});
        const QImage I = Shown(M);
        // About 215 km wide with a 10 km step: some twenty easting lines.
        EXPECT_GE(CrossingsOfRow(I, 55), 18);
        EXPECT_GE(CrossingsOfRow(I, 165), 18);
    }
}

// 65..64 N, 179 E .. 179 W: Chukotka across the antimeridian, the reference points
// written 179, 180 and -179. Graticule meridians and UTM easting lines (zone 60
// from the map's centre) cross the whole width, not only the half west of 180.
TEST(Overlays, MapAcrossTheAntimeridianGetsLinesOverItsWholeWidth) {
    for (const TShowGrat Show : {sgLines, sgUTMGrid}) {
        SCOPED_TRACE(static_cast<int>(Show));
        ProbeMap M;
        M.SetMapBitMap(Picture(880, 440));
        M.SetCalibModel(cmEquiRect);
        for (int i = 0; i <= 2; ++i)
            for (int j = 0; j <= 2; ++j) M.AddCalibPoint(65.0 - j * 0.5, i == 2 ? -179.0 : 179.0 + i, 440 * i, 220 * j);
        M.SetColorGratLine(Grid);
        M.SetGratLineDist(0.25);
        M.SetUTMGridDist(10000);
        M.SetShowGrat(Show);
        ShowAt(M, 440, 220, 0.5, {0, 0});
        const QImage I = Shown(M);
        const QImage West = I.copy(0, 0, 220, 220), East = I.copy(220, 0, 220, 220);
        // 1 degree is 47 km at 64.5 N: four meridians or lines every 10 km in each half.
        EXPECT_GE(CrossingsOfRow(West, 100), 3);
        EXPECT_GE(CrossingsOfRow(East, 100), 3);
    }
}

// A utm map whose grid is turned against the image, shown smaller than the control
// at a magnification that leaves its edges between pixels.
TEST(UTMGrid, LinesOfAUTMMapStayOffTheGreyMargin) {
    ProbeMap M;
    M.SetMapBitMap(Picture(500, 400));
    Calibrate(M, cmUTM, 60.8, -13.6, 60, -12, 2, 29);
    M.SetColorGratLine(Grid);
    M.SetUTMGridDist(5000);
    ShowAt(M, 400, 320, 0.7, {-37, -31});
    const PixelSet Image = OfColor(Shown(M), 0xFFFFFF);
    M.SetShowGrat(sgUTMGrid);
    const PixelSet Lines = OfColor(Shown(M), Grid);
    ASSERT_GT(Lines.size(), 1000u);
    for (const auto& P : Lines) ASSERT_TRUE(Image.contains(P)) << P.first << "," << P.second;
}

// Half a degree of latitude on a 1000 x 800 image, a 300 x 240 control at 0.5
// with a grey margin left and above: some 30 km high, so the grid has lines at
// least every 10 km. Points of the 10 km lines nearest the view's centre, placed
// by cs2cs, must be drawn; nothing may be drawn on the margin.
TEST(GridCRS, LinesLieWhereTheCrsPutsThemAndStayOnTheImage) {
    struct Case {
        const char* Crs;
        double LatTop, LongLeft;
    };
    for (const Case& C : {Case{"EPSG:27700", 51.5, -1.2}, Case{"EPSG:2056", 47.0, 7.2}, Case{"EPSG:3857", 40.9, -74.2},
                          Case{"+proj=lcc +lat_1=49 +lat_2=44 +lat_0=46.5 +lon_0=3 +x_0=700000 +y_0=6600000 "
                               "+ellps=GRS80 +units=m +type=crs",
                               46.0, 2.5}}) {
        SCOPED_TRACE(C.Crs);
        ProbeMap M;
        M.SetMapBitMap(Picture(1000, 800));
        Calibrate(M, cmEquiRect, C.LatTop, C.LongLeft, C.LatTop - 0.5, C.LongLeft + 0.8, 2);
        M.SetColorGratLine(Grid);
        ShowAt(M, 300, 240, 0.5, {-40, -30});
        M.SetShowGrat(sgUTMGrid);
        const QImage Plain = Shown(M);
        M.SetGridCRS(C.Crs);
        const QImage I = Shown(M);

        // The 10 km lines nearest the centre of the view, 280 image pixels in and down.
        double Lat = 0, Long = 0;
        ASSERT_TRUE(M.Calibration().CalcPositionFrac(280, 210, Lat, Long));
        std::vector<double> North{Lat}, East{Long};
        std::vector<std::uint8_t> Valid(1);
        ASSERT_EQ(TCRSConverter(C.Crs).FromWGS84(North, East, Valid), 1u);
        const double E0 = std::round(East[0] / 10000) * 10000, N0 = std::round(North[0] / 10000) * 10000;
        std::vector<std::pair<double, double>> EN;
        std::string Input;
        for (int k = -10; k <= 10; ++k) {
            EN.emplace_back(E0 + k * 1000, N0);
            EN.emplace_back(E0, N0 + k * 1000);
        }
        for (const auto& [E, N] : EN) Input += std::to_string(E) + " " + std::to_string(N) + "\n";
        const auto Geo = Cs2cs("-f %.12f " + std::string(C.Crs) + " +to EPSG:4326", Input);
        ASSERT_EQ(Geo.size(), EN.size()) << "cs2cs";
        int Checked = 0;
        for (std::size_t i = 0; i < Geo.size(); ++i) {
            double x = 0, y = 0;
            ASSERT_TRUE(M.Calibration().CalcPixelCoordsFrac(Geo[i][0], Geo[i][1], x, y));
            const double CX = (x + 40) * 0.5, CY = (y + 30) * 0.5;
            if (CX < 22 || CY < 17 || CX > 297 || CY > 237) continue;  // off the view
            EXPECT_TRUE(GridNear(I, CX, CY)) << EN[i].first << " " << EN[i].second;
            ++Checked;
        }
        EXPECT_GE(Checked, 20);
        // The margin (x < 20 or y < 15) is as without a grid, labels included.
        for (int y = 0; y < I.height(); ++y)
            for (int x = 0; x < I.width(); ++x)
                if (x < 20 || y < 15) {
                    ASSERT_EQ(At(I, x, y), At(Plain, x, y)) << x << "," << y;
                }
        EXPECT_NE(I, Plain);
    }
}

// Only what PROJ takes is kept, and copied with the map; "" is the UTM grid
// again, pixel for pixel.
TEST(GridCRS, RefusedDefinitionRaisesAndKeepsTheGridAndEmptyDrawsTheUTMGrid) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    Calibrate(M, cmEquiRect, 51.5, -1.2, 51.0, -0.4, 2);
    M.SetColorGratLine(Grid);
    ShowAt(M, 300, 240, 0.5, {-40, -30});
    M.SetShowGrat(sgUTMGrid);
    const QImage UTM = Shown(M);
    EXPECT_EQ(M.GridCRS(), "");
    M.SetGridCRS("EPSG:27700");
    const QImage BNG = Shown(M);
    EXPECT_NE(BNG, UTM);
    ProbeMap Copy;
    Copy.Assign(M);
    EXPECT_EQ(Copy.GridCRS(), "EPSG:27700");
    for (const char* Bad : {"EPSG:999999", "+proj=nonsense +type=crs", "not a crs", "EPSG:4978"}) {
        SCOPED_TRACE(Bad);
        const int Paints = M.Paints;
        try {
            M.SetGridCRS(Bad);
            ADD_FAILURE() << "no error";
        } catch (const EZYLGeoMapError& E) {
            EXPECT_NE(std::string(E.what()).find(Bad), std::string::npos) << E.what();
        }
        EXPECT_EQ(M.GridCRS(), "EPSG:27700");
        EXPECT_EQ(M.Paints, Paints);
        EXPECT_EQ(Shown(M), BNG);
    }
    M.SetGridCRS("");
    EXPECT_EQ(M.GridCRS(), "");
    EXPECT_EQ(Shown(M), UTM);
}

TEST(ScaleBar, LongestOneTwoFiveLengthThatFits) {
    struct Case {
        double MetresPerPixel, MaxPixels, Metres, Pixels;
        const char* Label;
    };
    for (const Case& C : {Case{1, 150, 100, 100, "100 m"}, Case{3, 150, 200, 200.0 / 3, "200 m"},
                          Case{4, 150, 500, 125, "500 m"}, Case{10, 100, 1000, 100, "1 km"},
                          Case{13.4, 150, 2000, 2000 / 13.4, "2 km"}, Case{400, 150, 50000, 125, "50 km"},
                          Case{0.004, 150, 0.5, 125, "0.5 m"}, Case{20000, 150, 2e6, 100, "2000 km"}}) {
        const TScaleBar B = ChooseScaleBar(C.MetresPerPixel, C.MaxPixels);
        EXPECT_DOUBLE_EQ(B.Metres, C.Metres) << C.MetresPerPixel;
        EXPECT_NEAR(B.Pixels, C.Pixels, 1e-9) << C.MetresPerPixel;
        EXPECT_EQ(B.Label, C.Label);
    }
    for (const double Bad : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        EXPECT_EQ(ChooseScaleBar(Bad, 150).Metres, 0);
}

TEST(NorthArrow, PointsToNorthAndScaleIsMeasuredAtTheViewCentre) {
    struct Case {
        double Angle, Lat;
    };
    for (const Case& C : {Case{0, 47}, Case{30, 47}, Case{-45, -33}, Case{90, 10}, Case{170, 60}}) {
        TMapCalibration Calib;
        CalibrateTurned(Calib, 1000, 800, C.Lat, 16, 20, C.Angle);
        const TMapViewport View{{100, 200}, 0.5, 400, 200};  // centred on the image centre
        EXPECT_NEAR(NorthDirection(Calib, View), C.Angle, 0.05) << C.Angle;
        EXPECT_NEAR(MetresPerControlPixel(Calib, View), 40, 0.04) << C.Angle;
    }
    TMapCalibration Undefined;
    EXPECT_TRUE(std::isnan(NorthDirection(Undefined, {{0, 0}, 1, 100, 100})));
    EXPECT_EQ(MetresPerControlPixel(Undefined, {{0, 0}, 1, 100, 100}), 0);
}

// North turned 30 degrees to the right at 100 m per pixel.
TEST(NorthArrow, ScaleBarAndNeedleAreDrawnOnlyWhenSwitchedOn) {
    constexpr TColor Land = 0xC0FFC0;
    ProbeMap M;
    M.SetMapBitMap(Picture(800, 600, ToQRgb(Land)));
    CalibrateTurned(M.Calibration(), 800, 600, 0, 16, 100, 30);
    ShowAt(M, 400, 300, 1.0, {200, 150});
    EXPECT_EQ(Painted(Shown(M), Land).size(), 0u);  // off by default: the picture as before

    M.SetShowScaleBar(true);
    M.setProperty("ShowNorthArrow", true);
    const QImage I = Shown(M);
    // 10 km, the longest round length within 150 pixels, from x = 10 just above the bottom margin.
    int Bar = 0;
    for (int x = 0; x < 400; ++x) Bar += At(I, x, 300 - 12) == 0x000000;
    EXPECT_EQ(Bar, 100);
    // The needle about (366, 38): its dark half towards north, its open half away from it.
    const double a = 30 * std::numbers::pi / 180;
    ExpectPixels(I, {{RoundToInt(366 + 12 * std::sin(a)), RoundToInt(38 - 12 * std::cos(a)), 0x000000},
                     {RoundToInt(366 - 9 * std::sin(a)), RoundToInt(38 + 9 * std::cos(a)), 0xFFFFFF},
                     {RoundToInt(366 + 12 * std::cos(a)), RoundToInt(38 + 12 * std::sin(a)), Land}});
}

// A generated map (as the demo's overview) with its bottom-left corner in the
// control's, whole and reduced: the scale bar hides none of its labels. Label
// pixels are the dark ones off the frame lines around the plot area.
TEST(ScaleBar, LeavesTheLabelsOfAGeneratedMapVisible) {
    ProbeMap M;
    M.CreateEmptyMapInMemory(57.45, -12.60, 58.55, -9.40, 0.25, 0.5, 960, 640, true);
    M.SetAntiAlias(false);
    for (const double Mag : {1.0, 2.0 / 3}) {
        SCOPED_TRACE(Mag);
        ShowAt(M, static_cast<int>(960 * Mag), static_cast<int>(640 * Mag), Mag, {0, 0});
        M.SetShowScaleBar(false);
        const QImage Plain = Shown(M);
        M.SetShowScaleBar(true);
        const QImage WithBar = Shown(M);
        const auto OnFrame = [](double Image, int Size) {
            for (const int Line : {26, 30, Size - 30, Size - 26})
                if (std::fabs(Image - Line) < 2.5) return true;
            return false;
        };
        int Labels = 0, Hidden = 0;
        for (int y = Plain.height() / 2; y < Plain.height(); ++y)
            for (int x = 0; x < Plain.width() / 2; ++x) {
                if (qGray(Plain.pixel(x, y)) >= 128 || OnFrame(x / Mag, 960) || OnFrame(y / Mag, 640)) continue;
                ++Labels;
                Hidden += WithBar.pixel(x, y) != Plain.pixel(x, y);
            }
        EXPECT_GT(Labels, 100);
        EXPECT_EQ(Hidden, 0);
        EXPECT_NE(WithBar, Plain);
    }
}

// Five reference points of a 400 x 300 map, the last one 6 pixels right and 4
// up of where the others put it: every residual is the way to the fit's pixel.
TEST(ResidualArrows, EachArrowEndsAtTheFitsPixelScaled) {
    ProbeMap M;
    M.SetMapBitMap(Picture(400, 300));
    Calibrate(M, cmEquiRect, 48, 16, 47, 17);
    M.AddCalibPoint(47.5, 16.5, 206, 146);
    M.SetColorGratPoints(Grid);
    ShowAt(M, 500, 400, 1, {-50, -50});  // a margin for the arrows of the corners
    EXPECT_TRUE(OfColor(Shown(M), Grid).empty()) << "drawn while off";
    M.SetShowResiduals(true);
    const TCalibData& D = M.CalibData();
    ASSERT_EQ(D.NumCalQuads, 5);
    for (const double Scale : {5.0, 20.0}) {
        SCOPED_TRACE(Scale);
        M.SetResidualScale(Scale);
        const QImage I = Shown(M);
        for (int i = 1; i <= D.NumCalQuads; ++i) {
            const TCalQuad& Q = D.CalQuads[i];
            double x = 0, y = 0;
            ASSERT_TRUE(M.Calibration().CalcPixelCoordsFrac(Q.Latitude, Q.Longitude, x, y));
            const int TipX = static_cast<int>(std::lround(Q.MapX + Scale * (x - Q.MapX)));
            const int TipY = static_cast<int>(std::lround(Q.MapY + Scale * (y - Q.MapY)));
            if (std::hypot(TipX - Q.MapX, TipY - Q.MapY) < 3) continue;
            ExpectPixels(I, {{TipX + 50, TipY + 50, Grid, "tip"}, {Q.MapX + 50, Q.MapY + 50, Grid, "foot"}});
        }
        // The last point's own arrow points back towards where the others put it: left and down.
        const TCalQuad& Q = D.CalQuads[5];
        double x = 0, y = 0;
        M.Calibration().CalcPixelCoordsFrac(Q.Latitude, Q.Longitude, x, y);
        EXPECT_LT(x, Q.MapX);
        EXPECT_GT(y, Q.MapY);
    }
}

// Six reference points, one of them placed 40 pixels right of its position: the
// library judges it an outlier, and its arrow alone has the outliers' colour.
TEST(ResidualArrows, AnOutliersArrowHasItsOwnColour) {
    constexpr TColor Outlier = 0xFF00FF;
    ProbeMap M;
    M.SetMapBitMap(Picture(400, 300));
    Calibrate(M, cmEquiRect, 48, 16, 47, 17);
    M.AddCalibPoint(47.5, 16.5, 201, 149);
    M.AddCalibPoint(47.25, 16.25, 140, 225);  // 100, 225 by the others
    M.SetColorGratPoints(Grid);
    EXPECT_EQ(M.ColorResidualOutliers(), Outlier);
    M.SetResidualScale(2);
    M.SetShowResiduals(true);
    ShowAt(M, 500, 400, 1, {-50, -50});
    const std::vector<TPointReview> Reviews = ReviewCalibPoints(M.Calibration());
    const TCalibData& D = M.CalibData();
    ASSERT_EQ(Reviews.size(), 6u);
    const QImage I = Shown(M);
    for (int i = 1; i <= D.NumCalQuads; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(Reviews[static_cast<std::size_t>(i - 1)].Outlier, i == 6);
        const TCalQuad& Q = D.CalQuads[i];
        double x = 0, y = 0;
        ASSERT_TRUE(M.Calibration().CalcPixelCoordsFrac(Q.Latitude, Q.Longitude, x, y));
        const int TipX = static_cast<int>(std::lround(Q.MapX + 2 * (x - Q.MapX)));
        const int TipY = static_cast<int>(std::lround(Q.MapY + 2 * (y - Q.MapY)));
        if (std::hypot(TipX - Q.MapX, TipY - Q.MapY) < 3) continue;
        ExpectPixels(I, {{TipX + 50, TipY + 50, i == 6 ? Outlier : Grid, "tip"}});
    }
    // The outlier's shaft, which the fit pulls back by most of its 40 pixels.
    EXPECT_GT(OfColor(I, Outlier).size(), 40u);
}
