// The overlays drawn over the map: the UTM grid on any calibration.
#include <gtest/gtest.h>

#include <cmath>

#include "pixels.h"
#include "probe_map.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

constexpr TColor Grid = 0x00FF00;

QImage Shown(const TGeoMap& M) { return M.AuxBitmap().copy(0, 0, M.width(), M.height()); }

// A W x H control without frame showing the map from image pixel TopLeft at Mag.
void ShowAt(TGeoMap& M, int W, int H, double Mag, TPoint TopLeft) {
    M.SetFrameStyle(fsNone);
    M.SetConfinePan(false);
    M.resize(W, H);
    M.SetMagnification(Mag);
    M.SetTopLeft(TopLeft);
}

// The image's geographic rectangle, fitted by Model: cmUTM from the corners' grid
// positions in Zone, the others from a 3 x 3 raster of geographic points.
void Calibrate(TGeoMap& M, TCalibModel Model, double LatTop, double LongLeft, double LatBottom, double LongRight,
               int Zone = 0) {
    const int W = M.MapImgWidth(), H = M.MapImgHeight();
    M.SetCalibModel(Model);
    if (Model == cmUTM) M.SetUTMZone(Zone);
    for (int i = 0; i <= 2; ++i)
        for (int j = 0; j <= 2; ++j) {
            const double Lat = LatTop + (LatBottom - LatTop) * j / 2, Long = LongLeft + (LongRight - LongLeft) * i / 2;
            if (Model != cmUTM) {
                M.AddCalibPoint(Lat, Long, W * i / 2, H * j / 2);
                continue;
            }
            double E = 0, N = 0;
            LatLongToUTMInZone(Lat, Long, Zone, false, gelWGS84, E, N);
            M.AddCalibPoint(N, E, Zone, hemiNorth, W * i / 2, H * j / 2);
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
        Calibrate(M, Model, 48, 16, 47, 17);
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
        Calibrate(M, Model, 29, -13.2, 28, -11, 28);
        M.SetColorGratLine(Grid);
        M.SetShowGrat(sgUTMGrid);
        ShowAt(M, 440, 220, 0.5, {0, 0});
        const QImage I = Shown(M);
        // About 215 km wide with a 10 km step: some twenty easting lines.
        EXPECT_GE(CrossingsOfRow(I, 55), 18);
        EXPECT_GE(CrossingsOfRow(I, 165), 18);
    }
}

// A utm map whose grid is turned against the image, shown smaller than the control
// at a magnification that leaves its edges between pixels.
TEST(UTMGrid, LinesOfAUTMMapStayOffTheGreyMargin) {
    ProbeMap M;
    M.SetMapBitMap(Picture(500, 400));
    Calibrate(M, cmUTM, 60.8, -13.6, 60, -12, 29);
    M.SetColorGratLine(Grid);
    M.SetUTMGridDist(5000);
    ShowAt(M, 400, 320, 0.7, {-37, -31});
    const PixelSet Image = OfColor(Shown(M), 0xFFFFFF);
    M.SetShowGrat(sgUTMGrid);
    const PixelSet Lines = OfColor(Shown(M), Grid);
    ASSERT_GT(Lines.size(), 1000u);
    for (const auto& P : Lines) ASSERT_TRUE(Image.contains(P)) << P.first << "," << P.second;
}
