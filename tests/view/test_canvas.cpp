#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "pixels.h"
#include "zylcarto/geomap/view/screen_image.h"

using namespace zylcarto;
using namespace zylcarto::test;

TEST(Canvas, LineToDrawsTheStartAndLeavesOutTheEndInEveryDirection) {
    const TPoint Ends[] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}, {7, 3}, {-7, -3}, {3, -7}, {-3, 7}};
    for (const TPoint& E : Ends) {
        QImage I = Blank(40, 40);
        {
            TCanvas C(I);
            C.Pen.Color = 0;
            C.MoveTo(20, 20);
            C.LineTo(20 + E.X, 20 + E.Y);
            EXPECT_EQ(C.PenPos(), (TPoint{20 + E.X, 20 + E.Y}));
        }
        const PixelSet P = Painted(I);
        EXPECT_TRUE(P.count({20, 20})) << E.X << "," << E.Y;
        EXPECT_FALSE(P.count({20 + E.X, 20 + E.Y})) << E.X << "," << E.Y;
        EXPECT_EQ(P.size(), static_cast<std::size_t>(std::max(std::abs(E.X), std::abs(E.Y))));
    }
}

TEST(Canvas, LinesAreClippedAtTheImageAndAZeroLengthLineDrawsNothing) {
    QImage I = Blank(10, 10);
    {
        TCanvas C(I);
        C.Pen.Color = 0;
        C.MoveTo(-1000000, 5);
        C.LineTo(2000000000, 5);
        C.MoveTo(3, 3);
        C.LineTo(3, 3);
    }
    EXPECT_EQ(Painted(I).size(), 10u);
    EXPECT_EQ(At(I, 3, 3), 0xFFFFFFu);
}

// The pixels of a line from A towards B, B left out: t steps along the major
// axis, the nearest pixel on the minor one with halves away from A.
static PixelSet ExpectedLine(TPoint A, TPoint B, int W, int H) {
    PixelSet S;
    const long dx = std::abs(long(B.X) - A.X), dy = std::abs(long(B.Y) - A.Y);
    const long sx = B.X > A.X ? 1 : -1, sy = B.Y > A.Y ? 1 : -1;
    const long Major = std::max(dx, dy), Minor = std::min(dx, dy);
    for (long t = 0; t < Major; ++t) {
        const long m = (2 * t * Minor + Major) / (2 * Major);
        const long x = A.X + (dx >= dy ? t : m) * sx, y = A.Y + (dx >= dy ? m : t) * sy;
        if (x >= 0 && y >= 0 && x < W && y < H) S.insert({int(x), int(y)});
    }
    return S;
}

TEST(Canvas, LinesInsideAndAcrossTheEdgesColourTheNearestPixels) {
    std::mt19937 Rng(7);
    std::uniform_int_distribution<int> Across(-15, 55), InX(0, 39), InY(0, 29);
    for (int n = 0; n < 400; ++n) {
        // Half of the lines stay inside the image, the others cross its edges.
        const bool Inside = n % 2 == 0;
        const auto Point = [&] { return Inside ? TPoint{InX(Rng), InY(Rng)} : TPoint{Across(Rng), Across(Rng)}; };
        const TPoint A = Point(), B = Point();
        QImage I = Blank(40, 30);
        {
            TCanvas C(I);
            C.Pen.Color = 0x123456;
            C.MoveTo(A.X, A.Y);
            C.LineTo(B.X, B.Y);
        }
        ASSERT_EQ(OfColor(I, 0x123456), ExpectedLine(A, B, 40, 30)) << A.X << "," << A.Y << " -> " << B.X << "," << B.Y;
        ASSERT_EQ(Painted(I).size(), OfColor(I, 0x123456).size());
    }
}

TEST(Canvas, XorPenTwiceRestoresThePicture) {
    QImage I = Blank(20, 20, 0x336699);
    const QImage Before = I.copy();
    {
        TCanvas C(I);
        C.Pen.Mode = pmXor;
        C.Pen.Color = 0xFFFFFF;
        C.MoveTo(0, 0);
        C.LineTo(19, 19);
        EXPECT_EQ(FromQRgb(C.Image().pixel(5, 5)), 0x336699u ^ 0xFFFFFFu);
        C.MoveTo(0, 0);
        C.LineTo(19, 19);
        C.Rectangle(2, 2, 10, 10);
        C.Rectangle(2, 2, 10, 10);
    }
    EXPECT_EQ(I, Before);
}

TEST(Canvas, DottedAndDashedPensLeaveGaps) {
    for (TPenStyle S : {psDot, psDash}) {
        QImage I = Blank(100, 3);
        {
            TCanvas C(I);
            C.Pen.Style = S;
            C.Pen.Color = 0;
            C.MoveTo(0, 1);
            C.LineTo(100, 1);
        }
        const auto n = Painted(I).size();
        EXPECT_GT(n, 30u);
        EXPECT_LT(n, 90u);
    }
}

TEST(Canvas, RectangleAndEllipseEndJustInsideTheirRightAndBottomEdges) {
    QImage I = Blank(20, 20);
    {
        TCanvas C(I);
        C.Pen.Color = 0x0000FF;
        C.Brush.Color = 0x00FF00;
        C.Rectangle(2, 3, 8, 9);
    }
    ExpectPixels(I, {{2, 3, 0x0000FF}, {7, 8, 0x0000FF}, {8, 8, 0xFFFFFF}, {7, 9, 0xFFFFFF}, {5, 5, 0x00FF00}});

    QImage E = Blank(20, 20);
    {
        TCanvas C(E);
        C.Pen.Color = 0;
        C.Brush.Style = bsClear;
        C.Ellipse(2, 2, 13, 13);
    }
    int MinX = 99, MaxX = -1;
    for (const auto& [x, y] : Painted(E)) MinX = std::min(MinX, x), MaxX = std::max(MaxX, x);
    EXPECT_EQ(MinX, 2);
    EXPECT_EQ(MaxX, 12);
    EXPECT_EQ(At(E, 7, 7), 0xFFFFFFu);  // clear brush: no fill
}

TEST(Canvas, FillRectLeavesOutRightAndBottom) {
    QImage I = Blank(10, 10);
    {
        TCanvas C(I);
        C.Brush.Color = 0x112233;
        C.FillRect({1, 1, 4, 3});
    }
    EXPECT_EQ(OfColor(I, 0x112233).size(), 6u);
}

TEST(Canvas, MissingFontFallsBackToTheDefaultSans) {
    const QString Family = ResolveFontFamily("MS Sans Serif");
    EXPECT_FALSE(Family.isEmpty());
    EXPECT_EQ(ResolveFontFamily(Family.toStdString()), Family);
}

TEST(Canvas, TextOutPlacesTheTopLeftCornerAndASolidBrushFillsTheCell) {
    QImage I = Blank(100, 40);
    int W = 0, H = 0;
    {
        TCanvas C(I);
        C.Font.Color = 0;
        C.Brush.Color = 0x00FF00;
        W = C.TextWidth("Hg");
        H = C.TextHeight("Hg");
        C.TextOut(10, 5, "Hg");
    }
    EXPECT_GT(W, 5);
    EXPECT_GT(H, 8);
    ExpectPixels(I, {{10, 5, 0x00FF00}, {9, 5, 0xFFFFFF}, {10, 4, 0xFFFFFF}, {10 + W, 5 + H, 0xFFFFFF}});
}

TEST(Canvas, EscapementRotatesTextCounterClockwise) {
    QImage I = Blank(60, 60);
    {
        TCanvas C(I);
        C.Brush.Style = bsClear;
        C.Font.Escapement = 900;
        C.TextOut(30, 50, "WWWW");
    }
    // Turned by 90 degrees the text runs upwards from (30, 50) and its cell lies right of x = 30.
    int MinY = 99, MaxY = -1, MinX = 99;
    for (const auto& [x, y] : Painted(I)) MinY = std::min(MinY, y), MaxY = std::max(MaxY, y), MinX = std::min(MinX, x);
    EXPECT_LT(MinY, 25);
    EXPECT_LE(MaxY, 50);
    EXPECT_GE(MinX, 29);
}

TEST(Canvas, CopyRectCopiesStretchesAndIgnoresWhatLiesOutsideTheSource) {
    QImage Src = Blank(4, 4, 0x0000FF);
    Src.setPixel(0, 0, qRgb(0, 255, 0));
    QImage I = Blank(20, 20);
    {
        TCanvas C(I);
        C.StretchMode = smColorOnColor;
        C.CopyRect({0, 0, 8, 8}, Src, {0, 0, 4, 4});        // doubled
        C.CopyRect({10, 10, 20, 20}, Src, {2, 2, 12, 12});  // only 2x2 exists
    }
    ExpectPixels(I, {{0, 0, 0x00FF00},
                     {1, 1, 0x00FF00},
                     {2, 2, 0x0000FF},
                     {7, 7, 0x0000FF},
                     {8, 8, 0xFFFFFF},
                     {11, 11, 0x0000FF},
                     {12, 12, 0xFFFFFF}});
}

TEST(Canvas, OneToOneCopiesAcrossTheEdgesOfSourceAndTargetMatchQt) {
    QImage Src(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) Src.setPixel(x, y, qRgb(x * 8, y * 12, 77));
    std::mt19937 Rng(3);
    std::uniform_int_distribution<int> Pos(-12, 30), Len(1, 25);
    for (int n = 0; n < 300; ++n) {
        const int w = Len(Rng), h = Len(Rng), sx = Pos(Rng), sy = Pos(Rng), dx = Pos(Rng), dy = Pos(Rng);
        QImage Got = Blank(24, 18), Want = Got.copy();
        {
            TCanvas C(Got);
            C.CopyRect({dx, dy, dx + w, dy + h}, Src, {sx, sy, sx + w, sy + h});
        }
        {
            // What exists of the source rectangle, where it falls in the target.
            const QRect Avail = QRect(sx, sy, w, h).intersected(Src.rect());
            QPainter P(&Want);
            P.setCompositionMode(QPainter::CompositionMode_Source);
            if (!Avail.isEmpty()) P.drawImage(QPoint(dx + Avail.left() - sx, dy + Avail.top() - sy), Src, Avail);
        }
        ASSERT_EQ(Got, Want) << w << "x" << h << " from " << sx << "," << sy << " to " << dx << "," << dy;
    }
}

TEST(Canvas, HalftoneDownscalingAveragesColourOnColourPicks) {
    QImage Src(2, 1, QImage::Format_RGB32);
    Src.setPixel(0, 0, qRgb(0, 0, 0));
    Src.setPixel(1, 0, qRgb(255, 255, 255));
    for (TStretchMode M : {smHalftone, smColorOnColor}) {
        QImage I = Blank(1, 1);
        {
            TCanvas C(I);
            C.StretchMode = M;
            C.CopyRect({0, 0, 1, 1}, Src, {0, 0, 2, 1});
        }
        const int Grey = qRed(I.pixel(0, 0));
        if (M == smHalftone) {
            EXPECT_NEAR(Grey, 128, 2);
        } else {
            EXPECT_TRUE(Grey == 0 || Grey == 255);
        }
    }
}

TEST(Canvas, FramesUseTheirColoursOnTheOuterRings) {
    QImage I = Blank(10, 8, 0x777777);
    {
        TCanvas C(I);
        DrawFrame(C, fsLowered, 0, 0, 9, 7, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x000000);
    }
    ExpectPixels(I, {{0, 0, 0x808080}, {9, 7, 0xFFFFFF}, {1, 1, 0x000000}, {8, 6, 0xC0C0C0}, {5, 4, 0x777777}});

    QImage S = Blank(10, 8, 0x777777);
    {
        TCanvas C(S);
        DrawFrame(C, fsSimple, 0, 0, 9, 7, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x000000);
        DrawFrame(C, fsNone, 0, 0, 9, 7, 0xFFFFFF, 0xC0C0C0, 0x808080, 0x000000, 0x111111);
    }
    EXPECT_EQ(OfColor(S, 0).size(), 2u * 10 + 2u * 6);
}

TEST(Canvas, ScreenImagesStartJustPastAPageAndBehaveAsOrdinaryImages) {
    QImage I = NewScreenImage(1921, 3, QImage::Format_RGB32);
    ASSERT_FALSE(I.isNull());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(I.constBits()) % 4096, 64u);
    EXPECT_EQ(I.size(), QSize(1921, 3));
    EXPECT_EQ(I.bytesPerLine(), 1921 * 4);
    I.fill(Qt::red);
    const QImage Shared = I;  // shares, then the write below detaches
    I.setPixel(5, 2, qRgb(0, 0, 255));
    EXPECT_EQ(Shared.pixel(5, 2), qRgb(255, 0, 0));
    EXPECT_EQ(I.pixel(5, 2), qRgb(0, 0, 255));
    EXPECT_TRUE(NewScreenImage(0, 10, QImage::Format_RGB32).isNull());
}
