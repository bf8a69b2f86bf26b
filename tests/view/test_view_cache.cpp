#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>
#include <string>

#include "probe_map.h"
#include "zylcarto/geomap/view/tile_memory.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

// The composed client area.
QImage Shown(const TGeoMap& M) {
    return M.AuxBitmap().copy(0, 0, M.width(), M.height()).convertToFormat(QImage::Format_RGB32);
}

int TilesOver(int Width, int Height) {
    const auto Span = [](int Pixels) { return (Pixels + TViewCache::TileSize - 1) / TViewCache::TileSize; };
    return Span(Width) * Span(Height);
}

void Show(ProbeMap& M, double Magnify, TPoint TopLeft) {
    M.SetSuppressPaint(true);
    M.SetMagnification(Magnify);
    M.SetTopLeft(TopLeft);
    M.SetSuppressPaint(false);
}

}  // namespace

TEST(ViewCache, APanScalesOnlyTheStripsComingIntoViewAndMemoryStaysBounded) {
    ProbeMap M;
    M.resize(512, 256);  // two by one tiles when the view starts on a tile edge
    M.SetConfinePan(false);
    M.SetMapBitMap(Picture(2000, 1500));
    const int AtOne = M.TilesMade();  // the first paint, at magnification 1
    EXPECT_EQ(AtOne, TilesOver(512, 256));
    const auto Made = [&M, AtOne] { return M.TilesMade() - AtOne; };
    Show(M, 2, {0, 0});
    EXPECT_EQ(Made(), 2);
    Show(M, 2, {0, 0});
    EXPECT_EQ(Made(), 2) << "a repaint scales nothing";
    Show(M, 2, {8, 0});        // 16 device pixels right
    EXPECT_EQ(Made(), 2 + 2);  // the third column comes into view, the fourth ahead
    Show(M, 2, {136, 0});      // into the fourth: the fifth ahead
    EXPECT_EQ(Made(), 4 + 1);
    Show(M, 2, {0, 0});  // back over tiles already made
    EXPECT_EQ(Made(), 5);
    Show(M, 4, {0, 0});  // a zoom step: only what is visible
    EXPECT_EQ(Made(), 5 + 2);
    M.SetAntiAlias(false);
    EXPECT_EQ(Made(), 7 + 2);

    const TViewCache& Cache = TGeoMapTestAccess::Cache(M);
    constexpr std::int64_t TileBytes = 4 * TViewCache::TileSize * TViewCache::TileSize;
    EXPECT_EQ(Cache.Bytes(), (AtOne + 9) * TileBytes);
    M.SetViewCacheMegabytes(1);  // four tiles
    EXPECT_EQ(Cache.Bytes(), 4 * TileBytes);
    for (int x = 0; x < 1000; x += 100) Show(M, 2, {x, 0});
    EXPECT_LE(Cache.Bytes(), 4 * TileBytes);
    M.SetViewCacheMegabytes(0);
    EXPECT_EQ(Cache.Bytes(), 0);
    const int Before = M.TilesMade();
    Show(M, 3, {10, 10});
    EXPECT_EQ(M.TilesMade(), Before);
}

// Pixel for pixel the tiles are the picture's own pixels, shared: each frame
// shows the picture of the moment, at the right place, and outlives the host's
// copy of the one before.
TEST(ViewCache, TilesSharingThePictureShowTheCurrentOne) {
    const auto Pattern = [](int Seed) {
        QImage I(700, 500, QImage::Format_RGB32);
        for (int y = 0; y < I.height(); ++y)
            for (int x = 0; x < I.width(); ++x) I.setPixel(x, y, qRgb(x & 255, y & 255, (Seed + x / 256) & 255));
        return I;
    };
    ProbeMap M;
    M.resize(300, 200);
    M.SetFrameStyle(fsNone);
    M.SetMapBitMap(Pattern(0));  // the host's picture gone at once
    for (const int Seed : {0, 1, 2}) {
        SCOPED_TRACE(Seed);
        const QImage Now = Pattern(Seed);
        if (Seed > 0) M.SetMapBitMap(Now);
        for (const TPoint TopLeft : {TPoint{0, 0}, TPoint{231, 117}, TPoint{400, 300}}) {
            Show(M, 1, TopLeft);
            EXPECT_EQ(Shown(M), Now.copy(TopLeft.X, TopLeft.Y, 300, 200));
        }
    }
}

// A slot freed by its tile serves the next one, and a tile keeps its pixels
// after the memory it came from is gone.
TEST(ViewCache, TileMemoryReusesSlotsAndOutlivesItsOwner) {
    QImage Kept;
    {
        TTileMemory Memory(TViewCache::TileSize);
        QImage Gone = Memory.NewTile({256, 256});
        const uchar* Slot = Gone.constBits();
        Kept = Memory.NewTile({100, 50});
        Kept.fill(qRgb(4, 5, 6));
        Gone = QImage();
        EXPECT_EQ(Memory.NewTile({256, 256}).constBits(), Slot);
    }
    EXPECT_EQ(Kept.size(), QSize(100, 50));
    EXPECT_EQ(Kept.pixel(99, 49), qRgb(4, 5, 6));
}

// A view composed through the tiles shows what scaling the whole image at once
// shows: no seams at the tile edges, no shift. Smoothly: the same interpolation
// above magnification 1, an area average below it (on a picture without sharp
// edges, where the pyramid's average and Qt's agree).
TEST(ViewCache, TilesComposeAsTheWholeImageScaled) {
    QImage Image(704, 512, QImage::Format_RGB32);
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            Image.setPixel(x, y,
                           qRgb(128 + int(100 * std::sin(x / 11.0)), 128 + int(100 * std::cos(y / 13.0)),
                                128 + int(80 * std::sin((x + y) / 17.0))));
    struct TCase {
        double Magnify;
        TPoint TopLeft;
    };
    ProbeMap M;
    M.resize(600, 400);
    M.SetFrameStyle(fsNone);
    M.SetConfinePan(false);
    M.SetMapBitMap(Image);
    for (const TCase& C : {TCase{1.0 / 16, {-160, -96}}, TCase{0.25, {-40, 16}}, TCase{0.5, {20, 6}},
                           TCase{0.75, {100, 8}}, TCase{1, {33, 17}}, TCase{1.5, {61, 40}}, TCase{2, {101, 73}},
                           TCase{5.5, {301, 211}}, TCase{16, {400, 300}}}) {
        SCOPED_TRACE(std::to_string(C.Magnify));
        Show(M, C.Magnify, C.TopLeft);
        const QImage Frame = Shown(M);
        QImage Whole(600, 400, QImage::Format_RGB32);
        Whole.fill(0);
        if (C.Magnify < 1) {
            const QImage Scaled = Image.scaled(int(Image.width() * C.Magnify), int(Image.height() * C.Magnify),
                                               Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QPainter(&Whole).drawImage(QPointF(-C.TopLeft.X * C.Magnify, -C.TopLeft.Y * C.Magnify), Scaled);
        } else {
            QPainter P(&Whole);
            P.setRenderHint(QPainter::SmoothPixmapTransform);
            P.translate(-C.TopLeft.X * C.Magnify, -C.TopLeft.Y * C.Magnify);
            P.scale(C.Magnify, C.Magnify);
            P.drawImage(0, 0, Image);
        }
        // Pixels a control pixel inside the image's edges.
        const TImageExtent E = TMapViewport(C.TopLeft, C.Magnify, 600, 400).Extent(Image.width(), Image.height());
        int Worst = 0;
        for (int y = std::max(0, int(E.Top) + 1); y < std::min(400, int(E.Bottom) - 1); ++y)
            for (int x = std::max(0, int(E.Left) + 1); x < std::min(600, int(E.Right) - 1); ++x) {
                const QRgb a = Frame.pixel(x, y), b = Whole.pixel(x, y);
                Worst = std::max({Worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        EXPECT_LE(Worst, 3);
    }
}

// A mark lies where the view converts its image pixels: from magnification 1
// on, a one-pixel mark (nearest pixels) with its edges within half a control
// pixel of the view's; below 1, where one image pixel averages away, a mark of
// one control pixel's width (smooth), brightest within a control pixel of its
// centre; whatever the offset.
TEST(ViewCache, AMarkLiesWhereTheViewPutsIt) {
    const TPoint Mark{523, 377};
    ProbeMap M;
    M.resize(400, 300);
    M.SetFrameStyle(fsNone);
    M.SetConfinePan(false);
    M.SetColorBakGnd(0);
    for (const double Magnify : {1.0 / 16, 1.0 / 4, 1.0 / 3, 0.7, 1.0, 1.5, 2.0, 4.0, 16.0, 64.0}) {
        const int Side = Magnify < 1 ? int(std::lround(1 / Magnify)) : 1;
        QImage Image(1000, 800, QImage::Format_RGB32);
        Image.fill(qRgb(0, 0, 0));
        QPainter(&Image).fillRect(Mark.X, Mark.Y, Side, Side, Qt::white);
        M.SetMapBitMap(Image);
        for (const TPoint Offset : {TPoint{3, 5}, TPoint{101, 37}, TPoint{250, 190}}) {
            // The mark Offset control pixels (at most 1/4 of the control) from the top-left corner.
            const TPoint TopLeft{Mark.X - int(Offset.X / Magnify), Mark.Y - int(Offset.Y / Magnify)};
            SCOPED_TRACE(std::to_string(Magnify) + " at " + std::to_string(TopLeft.X) + "," +
                         std::to_string(TopLeft.Y));
            M.SetAntiAlias(Magnify < 1);
            Show(M, Magnify, TopLeft);
            const QImage Frame = Shown(M);
            const TMapViewport View{TopLeft, Magnify, 400, 300};
            const TPoint Corner = View.ImageToControl(Mark);
            if (Magnify >= 1) {
                QRect White;
                for (int y = 0; y < 300; ++y)
                    for (int x = 0; x < 400; ++x)
                        if (qGreen(Frame.pixel(x, y)) > 128) White |= QRect(x, y, 1, 1);
                ASSERT_FALSE(White.isEmpty());
                const double Left = (Mark.X - TopLeft.X) * Magnify, Top = (Mark.Y - TopLeft.Y) * Magnify;
                EXPECT_LE(std::abs(White.left() - Left), 0.5);
                EXPECT_LE(std::abs(White.top() - Top), 0.5);
                EXPECT_LE(std::abs(White.right() + 1 - (Left + Magnify)), 0.5);
                EXPECT_LE(std::abs(White.bottom() + 1 - (Top + Magnify)), 0.5);
                EXPECT_LE(std::abs(White.left() - Corner.X), 1);
                EXPECT_LE(std::abs(White.top() - Corner.Y), 1);
            } else {
                QPoint Brightest;
                for (int y = 0; y < 300; ++y)
                    for (int x = 0; x < 400; ++x)
                        if (qGreen(Frame.pixel(x, y)) > qGreen(Frame.pixel(Brightest))) Brightest = {x, y};
                ASSERT_GT(qGreen(Frame.pixel(Brightest)), 0);
                EXPECT_LE(std::abs(Brightest.x() + 0.5 - (Mark.X + Side / 2.0 - TopLeft.X) * Magnify), 1.0);
                EXPECT_LE(std::abs(Brightest.y() + 0.5 - (Mark.Y + Side / 2.0 - TopLeft.Y) * Magnify), 1.0);
                EXPECT_LE(std::abs(Brightest.x() - Corner.X), 1);
                EXPECT_LE(std::abs(Brightest.y() - Corner.Y), 1);
            }
        }
    }
}
