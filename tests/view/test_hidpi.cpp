// The map on a screen of device pixel ratio 2: the image in device pixels,
// lines in control pixels, and everything that reads the picture back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <set>

#include "pixels.h"
#include "qt_input.h"
#include "probe_map.h"

using namespace zylcarto;
using namespace zylcarto::test;
using Access = zylcarto::test::TGeoMapTestAccess;

namespace {

// Before the application object exists (the tests run from main).
const bool Scaled = qputenv("QT_SCALE_FACTOR", "2");

// Pixel-sized black and white cells: sharp only when drawn pixel for pixel.
QImage Board(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) I.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    return I;
}

// A 400 x 320 board over 48..47 N, 16..17 E at magnification 0.5 in a 200 x 160
// control: one image pixel per device pixel, a parallel every 0.25 degree.
void MakeBoardMap(ProbeMap& M) {
    M.resize(200, 160);
    M.SetFrameStyle(fsNone);
    M.SetMapBitMap(Board(400, 320));
    CalibrateEquiRect(M, 48, 16, 47, 17);
    M.SetMagnification(0.5);
    M.SetTopLeft({0, 0});
    M.SetColorGratLine(0x00FF00);
    M.SetGratLineDist(0.25);
    M.SetShowGrat(sgLines);
}

}  // namespace

TEST(HighDpi, TheImageIsSharpInDevicePixelsAndLinesKeepTheirControlWidth) {
    ASSERT_TRUE(Scaled);
    ProbeMap M;
    MakeBoardMap(M);
    ASSERT_EQ(M.devicePixelRatioF(), 2.0);
    const QImage& Aux = M.AuxBitmap();
    EXPECT_EQ(Aux.devicePixelRatio(), 2.0);
    ASSERT_EQ(Aux.size(), QSize(400, 320));
    const QRect Between(110, 90, 40, 40);  // clear of every grid line
    EXPECT_EQ(Aux.copy(Between), Board(400, 320).copy(Between));
    // Parallels at 48, 47.75, 47.5 and 47.25: control rows 0, 40, 80 and 120.
    std::set<int> Rows;
    for (int y = 0; y < Aux.height(); ++y)
        if (At(Aux, 151, y) == 0x00FF00) Rows.insert(y);
    EXPECT_EQ(Rows, (std::set<int>{0, 1, 80, 81, 160, 161, 240, 241}));

    // The screen and the clipboard show the same device pixels.
    const QImage Screen = M.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Screen.size(), QSize(400, 320));
    EXPECT_EQ(Screen, Aux.copy(0, 0, 400, 320));
    M.CopyToClipboard();
    const QImage Copy = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Copy.size(), QSize(400, 320));
    EXPECT_EQ(Copy.copy(4, 4, 392, 312), Aux.copy(4, 4, 392, 312));
    ExpectPixels(Copy, {{2, 100, 0x000000, "the outline at control x = 1"}, {3, 100, 0x000000}, {1, 100, 0xFFFFFF}});
}

TEST(HighDpi, RubberShapesAreDrawnAndErasedInDevicePixels) {
    ProbeMap M;
    M.resize(200, 160);
    M.SetMapBitMap(Picture(400, 320));
    M.show();
    M.SetMouseAction(maRubberBand);
    const auto Hover = [&M](QPoint P) { SendMouse(M, QEvent::MouseMove, P); };
    QTest::mouseClick(&M, Qt::LeftButton, {}, {10, 10});
    Hover({100, 10});
    const QImage Live = Access::ScreenPicture(M);
    ExpectPixels(Live, {{100, 20, 0x000000, "white XOR white: two device rows"},
                        {100, 21, 0x000000},
                        {100, 19, 0xFFFFFF},
                        {100, 22, 0xFFFFFF}});
    Hover({10, 80});  // the old line is XOR-ed away
    const QImage Moved = Access::ScreenPicture(M);
    ExpectPixels(Moved, {{100, 20, 0xFFFFFF}, {100, 21, 0xFFFFFF}, {21, 100, 0x000000}});
}
