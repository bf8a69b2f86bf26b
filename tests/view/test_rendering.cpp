#include <gtest/gtest.h>

#include <QDir>
#include <cmath>
#include <set>
#include <string>

#include "pixels.h"
#include "probe_map.h"
#include "zylcarto/support/numeric.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

// The composed client area (AuxBmp may be larger than the control).
QImage Shown(const TGeoMap& M) { return M.AuxBitmap().copy(0, 0, M.width(), M.height()); }

// A 1000 x 800 white map over 48..47 N, 16..17 E, shown in a 200 x 160 control.
void MakeWhiteMap(ProbeMap& M, int W = 200, int H = 160) {
    M.resize(W, H);
    M.SetMapBitMap(Picture(1000, 800));
    CalibrateEquiRect(M, 48, 16, 47, 17);
}

}  // namespace

TEST(Rendering, EmptyMapShowsBackgroundMessageAndFrameOnly) {
    ProbeMap M;
    M.resize(120, 60);
    bool HookCalled = false;
    M.SetOnBeforeRenderData([&](TObject*, TCanvas&, const TMapViewport&) { HookCalled = true; });
    M.SetOnDataRendered([&](TObject*, TCanvas&, const TMapViewport&) { HookCalled = true; });
    M.AddLandMark(0.0, 0.0, 0.0);
    M.SetColorFrame(0x0000FF);
    const QImage I = Shown(M);
    EXPECT_FALSE(HookCalled);
    ExpectPixels(I, {{0, 0, 0x000000, "frame"}, {5, 5, 0xC0C0C0}});
    int MinX = 999, MinY = 999;
    for (const auto& [x, y] : Painted(I.copy(1, 1, 118, 58), 0xC0C0C0))
        MinX = std::min(MinX, x + 1), MinY = std::min(MinY, y + 1);
    EXPECT_GE(MinX, 10);
    EXPECT_LE(MinX, 13);
    EXPECT_GE(MinY, 10);
    EXPECT_FALSE(OfColor(I, 0x0000FF).empty());  // message in the frame colour
}

TEST(Rendering, SuppressedPaintLeavesThePictureUntouched) {
    ProbeMap M;
    M.resize(50, 40);
    M.SetColorBakGnd(0x101010);
    const QImage Before = Shown(M);
    M.SetSuppressPaint(true);
    M.SetColorBakGnd(0x202020);
    M.SetMapBitMap(Picture(100, 100));
    EXPECT_EQ(Shown(M), Before);
}

TEST(Rendering, TheScreenShowsThePictureAndTheBackgroundBeyondIt) {
    ProbeMap M;
    M.resize(60, 40);
    M.SetColorBakGnd(0x3366CC);
    M.SetSuppressPaint(true);
    M.resize(90, 70);  // grown while suppressed: the picture stays 60 x 40
    const QImage Screen = M.grab().toImage();
    ExpectPixels(Screen, {{5, 5, 0x3366CC, "from the picture"},
                          {0, 0, 0x000000, "its frame"},
                          {75, 20, 0x3366CC, "beyond it"},
                          {30, 60, 0x3366CC},
                          {89, 69, 0x3366CC}});
}

TEST(Rendering, CachedAndDirectPathsShowTheSamePicture) {
    QImage Src(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) Src.setPixel(x, y, ((x / 20 + y / 20) % 2) ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    ProbeMap Cached, Direct;
    for (ProbeMap* M : {&Cached, &Direct}) {
        M->resize(100, 80);
        M->SetFrameStyle(fsNone);
        M->SetAntiAlias(false);
        M->SetMapBitMap(Src);
    }
    Direct.SetViewCacheMegabytes(0);
    const int Before = Cached.TilesMade(), DirectBefore = Direct.TilesMade();
    for (ProbeMap* M : {&Cached, &Direct}) {
        M->SetMagnification(0.5);
        M->SetTopLeft({40, 40});
    }
    EXPECT_EQ(Cached.TilesMade() - Before, 1);
    EXPECT_EQ(Direct.TilesMade(), DirectBefore);
    const QImage A = Shown(Cached), B = Shown(Direct);
    int Differ = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) Differ += A.pixel(x, y) != B.pixel(x, y);
    EXPECT_LT(Differ, 100 * 80 / 20);   // only along the square edges
    EXPECT_EQ(At(A, 5, 5), 0xFF0000u);  // image (50,50): blue/red board at cell (2,2) -> blue
}

namespace {

// A W x H picture in which every pixel has a colour of its own.
QImage Numbered(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) I.setPixel(x, y, qRgb(x * 2, y * 2, 0x80));
    return I;
}

// The first few control pixels of Picture that do not show the image pixel
// under them (or Background beyond the image) as View converts; only pixels
// more than one control pixel from an edge between image pixels are judged.
std::string MisplacedImagePixels(const QImage& Picture, const QImage& Image, const TMapViewport& View,
                                 TColor Background) {
    std::string Found;
    int Count = 0;
    for (int y = 0; y < View.Height(); y += 3)
        for (int x = 0; x < View.Width(); x += 3) {
            const double ix = View.TopLeft().X + (x + 0.5) / View.Magnify();
            const double iy = View.TopLeft().Y + (y + 0.5) / View.Magnify();
            const double InX = (ix - std::floor(ix)) * View.Magnify(), InY = (iy - std::floor(iy)) * View.Magnify();
            if (InX < 1 || InX > View.Magnify() - 1 || InY < 1 || InY > View.Magnify() - 1) continue;
            const QPoint P(int(std::floor(ix)), int(std::floor(iy)));
            const TColor Want = Image.rect().contains(P) ? FromQRgb(Image.pixel(P)) : Background;
            if (At(Picture, x, y) != Want && ++Count <= 3)
                Found += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
        }
    return Count == 0 ? "" : std::to_string(Count) + " misplaced, as" + Found;
}

}  // namespace

// The image lies where the view puts the overlays at every magnification the
// wheel reaches, each frame over the last one.
TEST(Rendering, TheImageIsPlacedAsTheViewConvertsAtEveryMagnification) {
    const QImage Image = Numbered(100, 100);
    constexpr TColor Background = 0x00FF00;
    ProbeMap M;
    M.resize(500, 400);
    M.SetFrameStyle(fsNone);
    M.SetAntiAlias(false);
    M.SetConfinePan(false);
    M.SetColorBakGnd(Background);
    M.SetMapBitMap(Image);
    struct TCase {
        double Magnify;
        TPoint TopLeft;
    };
    for (const TCase& C :
         {TCase{8, {40, 45}}, TCase{64, {50, 50}}, TCase{256, {60, 61}}, TCase{1024, {70, 70}}, TCase{64, {95, 97}}}) {
        SCOPED_TRACE(std::to_string(C.Magnify));
        M.SetMagnification(C.Magnify);
        M.SetTopLeft(C.TopLeft);
        const TMapViewport View{M.TopLeft(), M.Magnification(), 500, 400};
        ASSERT_EQ(View.Magnify(), C.Magnify);
        EXPECT_EQ(MisplacedImagePixels(Shown(M), Image, View, Background), "");
    }
}

TEST(Rendering, ParallelsFollowTheAutomaticSpacing) {
    // 0.35 by 0.05 degrees on 200 x 350 pixels: both kinds of line about 40 pixels
    // apart, parallels every 2', meridians every 30".
    ProbeMap M;
    M.resize(200, 350);
    M.SetFrameStyle(fsNone);
    M.SetMapBitMap(Picture(200, 350));
    CalibrateEquiRect(M, 47.38, 16.0, 47.03, 16.05);
    M.SetColorGratLine(0x00FF00);
    M.SetShowGrat(sgLines);
    const QImage I = Shown(M);
    std::set<int> Rows;
    for (int y = 0; y < 350; ++y)
        if (At(I, 100, y) == 0x00FF00 && At(I, 150, y) == 0x00FF00) Rows.insert(y);
    std::set<int> Expected;
    for (int k = 1; 47 + k / 30.0 < 47.38; ++k)
        Expected.insert(static_cast<int>(std::nearbyint((47.38 - (47 + k / 30.0)) * 1000)));
    EXPECT_EQ(Rows, Expected);
    std::set<int> Columns, ExpectedColumns;
    for (int x = 0; x < 200; ++x)
        if (At(I, x, 175) == 0x00FF00) Columns.insert(x);
    for (int k = 0; k < 6; ++k) ExpectedColumns.insert(static_cast<int>(std::nearbyint(k / 120.0 * 4000)));
    EXPECT_EQ(Columns, ExpectedColumns);  // 16°00'00" (on x = 0) .. 16°02'30"
}

TEST(Rendering, CalibrationPointMarkersSitOnTheQuads) {
    ProbeMap M;
    MakeWhiteMap(M);
    M.SetFrameStyle(fsNone);
    M.SetConfinePan(false);
    M.SetTopLeft({-50, -50});  // no confinement: quad (0,0) at control (50,50)
    M.SetShowGrat(sgPoints);
    const QImage I = Shown(M);
    ExpectPixels(I, {{50, 50, 0x0000FF},
                     {42, 50, 0x0000FF, "cross arm"},
                     {41, 50, 0xFFFFFF, "white diamond r = 9"},
                     {40, 50, 0x0000FF, "diamond r = 10"}});
}

TEST(Rendering, LandmarkOnTheLeftEdgeIsOfferedButNotDrawn) {
    ProbeMap M;
    MakeWhiteMap(M);
    M.SetFrameStyle(fsNone);
    M.LandMarkDefault().SymbolProps.Kind = lmSquare;
    M.AddLandMark(47.9, 16.0, 0.0);  // image (0, 80): control x = 0
    M.AddLandMark(47.9, 16.1, 0.0);  // image (100, 80)
    std::vector<TPoint> Offered;
    M.SetOnDrawLandmark([&](TObject*, bool&, TCanvas&, const TPoint& P, const TLandMark&) { Offered.push_back(P); });
    M.Paint();
    ASSERT_EQ(Offered.size(), 2u);
    EXPECT_EQ(Offered[0], (TPoint{0, 80}));
    const QImage I = Shown(M);
    ExpectPixels(I, {{0, 80, 0xFFFFFF},
                     {1, 80, 0xFFFFFF},
                     {93, 73, 0xFFFFFF, "background ring of the second (BG white)"},
                     {94, 74, 0xFF0000, "its outline"}});
    // A handler that takes over suppresses the built-in symbol.
    M.SetOnDrawLandmark([](TObject*, bool& Handled, TCanvas&, const TPoint&, const TLandMark&) { Handled = true; });
    M.Paint();
    EXPECT_EQ(At(Shown(M), 94, 74), 0xFFFFFFu);
}

TEST(Rendering, SamplingThinsVisibleLandmarksAndSkipsHiddenClasses) {
    ProbeMap M;
    MakeWhiteMap(M, 1000, 800);
    M.SetSuppressPaint(true);
    for (int i = 0; i < 30000; ++i)
        M.AddLandMark(47.0 + 0.001 + (i % 173) * 0.0057, 16.001 + (i / 173) * 0.0057, 0.0, lmPlus, 1, "", 0, i, 0, 0, 2,
                      true, 0, 1);
    for (int i = 0; i < 500; ++i) M.AddLandMark(47.5, 16.5, 0.0, lmPlus, 2, "", 0, i, 0, 0, 2, true, 0, 1);
    M.SetClassVisibility(2, false);
    int Offered = 0, Hidden = 0;
    M.SetOnDrawLandmark([&](TObject*, bool&, TCanvas&, const TPoint&, const TLandMark& LM) {
        ++Offered;
        Hidden += LM.ClassFlag == 2;
    });
    SetRandomSeed(12345);
    M.SetSuppressPaint(false);
    EXPECT_EQ(Hidden, 0);
    EXPECT_NEAR(Offered, 20000, 500);
    M.SetClassVisibility(2, true);  // 30500 visible now
    EXPECT_NEAR(Offered - 20000, 20000, 800);
}

TEST(Rendering, HighlightRedrawsTheSymbolInItsOwnColours) {
    ProbeMap M;
    MakeWhiteMap(M);
    M.SetFrameStyle(fsNone);
    M.LandMarkDefault().SymbolProps.Kind = lmCircle;
    M.AddLandMark(47.9, 16.1, 0.0);
    M.SetHighLM(1);
    const QImage I = Shown(M);
    ExpectPixels(I, {{100, 80, 0x00FFFF}, {100, 73, 0xFF0000}});
}

TEST(Rendering, MouseTraceIsDrawnStrokeByStroke) {
    ProbeMap M;
    MakeWhiteMap(M);
    M.SetFrameStyle(fsNone);
    M.AddTracePoint(10, 10, false);
    M.AddTracePoint(30, 10, true);
    M.AddTracePoint(30, 50, false);  // new stroke: no segment from (30,10)
    M.AddTracePoint(60, 50, false);
    M.Paint();
    const QImage I = Shown(M);
    ExpectPixels(I, {{20, 10, 0x00FFFF}, {30, 30, 0xFFFFFF}, {45, 50, 0x00FFFF}});
}

// A small calibrated map with graticule, landmarks, captions and highlight against
// the reference picture; the actual picture is written out when they differ.
TEST(Rendering, ReferencePicture) {
    QImage Src(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) Src.setPixel(x, y, qRgb(200 + x % 40, 220 - y % 30, 180 + (x + y) % 50));
    ProbeMap M;
    M.resize(240, 180);
    M.SetSuppressPaint(true);
    M.SetMapBitMap(Src);
    CalibrateEquiRect(M, 47.5, 15.0, 47.0, 15.8);
    M.SetShowGrat(sgPointsAndLines);
    M.SetMagnification(0.75);
    M.SetConfinePan(false);
    M.SetTopLeft({-16, -12});  // the top-left calibration point at control (12, 9)
    M.AddLandMark(47.4, 15.2, 0.0, lmTriangle, 0, "A", 0, 1, 0x0000C0, 0xFFFFFF, 6, false, 0, 10);
    M.AddLandMark(47.3, 15.4, 0.0, lmArrowFrom, 0, "B", 0, 2, 0x008000, 0x80FF80, 5, false, 45, 14);
    M.AddLandMark(47.2, 15.3, 0.0, lmCircle, 0, "C", 0, 3, 0x800000, 0xFFC0C0, 5, true, 0, 10);
    M.AddLandMark(47.25, 15.55, 0.0, lmCrossBox, 0, "D", 0, 4, 0x000000, 0xFFFF00, 4, false, 0, 10);
    M.AddLandMark(47.35, 15.45, 0.0, "Hill", 9, 0x000080);
    TLandMark Rotated = M.GetLandMarkData(5);
    Rotated.Caption.Direction = 30;
    Rotated.Caption.Transparent = false;
    Rotated.Caption.BGColor = 0xE0FFFF;
    M.SetLandMarkData(5, Rotated);
    M.SetHighLM(4);
    M.SetSuppressPaint(false);
    const QImage Actual = Shown(M);

    const QString RefPath = QStringLiteral(ZYLCARTO_TEST_DATA_DIR "/reference_map.png");
    const QString OutPath = QDir::current().absoluteFilePath("reference_map.actual.png");
    const QImage Ref = QImage(RefPath).convertToFormat(QImage::Format_RGB32);
    if (Ref.size() != Actual.size()) {
        Actual.save(OutPath);
        FAIL() << "reference missing or of another size; actual picture written to " << OutPath.toStdString();
    }
    // Text rasterisation may differ slightly between font engine versions.
    constexpr int Tolerance = 48, MaxBadPixels = 60;
    int Bad = 0;
    for (int y = 0; y < Actual.height(); ++y)
        for (int x = 0; x < Actual.width(); ++x) {
            const QRgb a = Actual.pixel(x, y), r = Ref.pixel(x, y);
            if (std::abs(qRed(a) - qRed(r)) > Tolerance || std::abs(qGreen(a) - qGreen(r)) > Tolerance ||
                std::abs(qBlue(a) - qBlue(r)) > Tolerance)
                ++Bad;
        }
    if (Bad > MaxBadPixels) Actual.save(OutPath);
    EXPECT_LE(Bad, MaxBadPixels) << "actual picture written to " << OutPath.toStdString();
}
