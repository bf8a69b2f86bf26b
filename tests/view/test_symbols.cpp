#include <gtest/gtest.h>

#include <algorithm>

#include "pixels.h"
#include "zylcarto/geomap/view/symbol_drawing.h"
#include "zylcarto/geomap/view/symbol_runs.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

constexpr TColor FG = 0x0000FF, BG = 0x00FF00, White = 0xFFFFFF;

QImage Draw(TLandMarkElement E, int Size, int Direction, int Length, bool Transparent, TBrushStyle Brush = bsSolid,
            TBrushStyle* BrushAfter = nullptr) {
    QImage I = Blank(100, 100);
    TCanvas C(I);
    C.Brush.Style = Brush;
    DrawLandMarkSymbolOnCanvas(C, 50, 50, E, FG, BG, Size, Direction, Length, Transparent);
    if (BrushAfter) *BrushAfter = C.Brush.Style;
    return I;
}

PixelSet Box(int X, int Y, int R) {
    PixelSet S;
    for (int x = X - R; x <= X + R; ++x)
        for (int y = Y - R; y <= Y + R; ++y) S.insert({x, y});
    return S;
}

bool Within(const PixelSet& P, const PixelSet& Allowed) {
    for (const auto& p : P)
        if (!Allowed.count(p)) return false;
    return true;
}

}  // namespace

TEST(Symbols, TransparentPlusColoursExactlyItsTwoBars) {
    PixelSet Expected;
    for (int k = 43; k <= 57; ++k) Expected.insert({50, k}), Expected.insert({k, 50});
    EXPECT_EQ(Painted(Draw(lmPlus, 7, 0, 10, true)), Expected);
}

TEST(Symbols, OpaquePlusHasAHaloOneAroundTheBars) {
    const QImage I = Draw(lmPlus, 7, 0, 10, false);
    ExpectPixels(I, {{50, 43, FG}, {49, 43, BG}, {51, 57, BG}, {50, 58, BG}, {50, 59, White}, {48, 48, White}});
}

TEST(Symbols, TransparentSquareAndCrossAreExactOutlines) {
    EXPECT_EQ(Painted(Draw(lmSquare, 4, 0, 10, true)).size(), 32u);
    const QImage Sq = Draw(lmSquare, 4, 0, 10, true);
    ExpectPixels(Sq, {{46, 46, FG}, {54, 54, FG}, {50, 50, White}});

    PixelSet Cross;
    for (int k = 0; k <= 6; ++k) Cross.insert({47 + k, 47 + k}), Cross.insert({47 + k, 53 - k});
    EXPECT_EQ(Painted(Draw(lmCross, 3, 0, 10, true)), Cross);
}

TEST(Symbols, OpaqueSquareIsFilledInsideABackgroundRing) {
    const QImage I = Draw(lmSquare, 4, 0, 10, false);
    ExpectPixels(I, {{46, 46, BG, "ring in the background colour"},
                     {47, 47, FG, "Rectangle outline"},
                     {53, 53, FG},
                     {50, 50, BG, "fill"}});
    EXPECT_TRUE(Within(Painted(I), Box(50, 50, 4)));
}

TEST(Symbols, TriangleVertexFollowsTheDirection) {
    const QImage Up = Draw(lmTriangle, 7, 0, 10, true);
    EXPECT_EQ(At(Up, 50, 43), FG);
    int MinY = 99;
    for (const auto& p : Painted(Up)) MinY = std::min(MinY, p.second);
    EXPECT_EQ(MinY, 43);
    const QImage Right = Draw(lmTriangle, 7, 90, 10, false);
    ExpectPixels(Right, {{57, 50, FG}, {50, 50, BG}});
    int MaxX = -1;
    for (const auto& p : Painted(Right)) MaxX = std::max(MaxX, p.first);
    EXPECT_EQ(MaxX, 57);
}

TEST(Symbols, ArrowFromPointsAwayAndArrowToPointsAtTheLandmark) {
    const QImage From = Draw(lmArrowFrom, 5, 90, 10, false);
    for (int x = 50; x <= 55; ++x) EXPECT_EQ(At(From, x, 50), FG) << x;
    ExpectPixels(From, {{60, 50, FG, "tip"},
                        {57, 50, BG, "the head's fill covers the shaft"},
                        {55, 48, FG, "H1"},
                        {55, 52, FG, "H2"}});
    EXPECT_TRUE(Within(Painted(From), Box(55, 50, 5)));

    const QImage To = Draw(lmArrowTo, 5, 90, 10, true);
    ExpectPixels(To, {{60, 50, FG, "tail"},
                      {50, 50, FG},
                      {54, 52, FG, "towards K1 = (55, 52), which is left out"},
                      {54, 48, FG, "towards K2 = (55, 48)"},
                      {55, 52, White}});
    EXPECT_TRUE(Within(Painted(To), Box(55, 50, 5)));
    EXPECT_TRUE(OfColor(To, BG).empty());
}

TEST(Symbols, EveryElementStaysInItsBoxAndTransparentOnesUseNoBackground) {
    for (int e = 0; e <= static_cast<int>(lmCross); ++e) {
        const auto E = static_cast<TLandMarkElement>(e);
        const bool Arrow = E == lmArrowFrom || E == lmArrowTo;
        for (bool Transparent : {false, true}) {
            const QImage I = Draw(E, 6, 0, 12, Transparent);
            const PixelSet P = Painted(I);
            EXPECT_FALSE(OfColor(I, FG).empty()) << LMTypeNames[e];
            const PixelSet Allowed = Arrow ? Box(50, 44, 9) : Box(50, 50, Transparent ? 7 : 8);
            EXPECT_TRUE(Within(P, Allowed)) << LMTypeNames[e] << " transparent " << Transparent;
            if (Transparent) {
                EXPECT_TRUE(OfColor(I, BG).empty()) << LMTypeNames[e];
            }
        }
    }
}

TEST(Symbols, UserDefinedDrawsNothingAndAnUnknownElementASmallPlus) {
    EXPECT_TRUE(Painted(Draw(lmUserDef, 7, 0, 10, false)).empty());
    PixelSet Plus;
    for (int k = 46; k <= 54; ++k) Plus.insert({k, 50}), Plus.insert({50, k});
    EXPECT_EQ(Painted(Draw(static_cast<TLandMarkElement>(42), 7, 0, 10, false)), Plus);
}

TEST(Symbols, FillsUseTheCanvasBrushStyleAndTheTransparentCircleLeavesItClear) {
    TBrushStyle After = bsSolid;
    const QImage Unfilled = Draw(lmSquare, 4, 0, 10, false, bsClear);
    EXPECT_EQ(At(Unfilled, 50, 50), White);
    const QImage Circle = Draw(lmCircle, 6, 0, 10, true, bsSolid, &After);
    EXPECT_EQ(At(Circle, 50, 50), White);
    EXPECT_EQ(After, bsClear);
    const QImage Filled = Draw(lmCircle, 6, 0, 10, false, bsSolid, &After);
    EXPECT_EQ(At(Filled, 50, 50), BG);
    EXPECT_EQ(After, bsSolid);
}

namespace {

// Draws the symbol by runs and by strokes onto two copies of a picture with
// the same canvas state, and compares pictures and states after it.
void ExpectRunsDrawAsStrokes(TSymbolRuns& Runs, TLandMarkElement E, int S, int Direction, int Length, bool Transparent,
                             TPoint P, TPenMode Mode) {
    QImage Got = Blank(40, 40, 0x336699), Want = Got.copy();
    TCanvas G(Got), W(Want);
    for (TCanvas* C : {&G, &W}) {
        C->Pen.Mode = Mode;
        C->Brush.Style = bsClear;
        C->MoveTo(-7, -7);
    }
    Runs.Draw(G, P.X, P.Y, E, FG, BG, S, Direction, Length, Transparent);
    DrawLandMarkSymbolOnCanvas(W, P.X, P.Y, E, FG, BG, S, Direction, Length, Transparent);
    const auto Where = [&] {
        return ::testing::Message() << LMTypeNames[std::min(static_cast<int>(E), 9)] << " transparent " << Transparent
                                    << " S " << S << " dir " << Direction << " L " << Length << " at " << P.X << ","
                                    << P.Y << (Mode == pmXor ? " xor" : "");
    };
    ASSERT_EQ(G.Image(), W.Image()) << Where();
    ASSERT_EQ(G.Pen, W.Pen) << Where();
    ASSERT_EQ(G.Brush, W.Brush) << Where();
    ASSERT_EQ(G.PenPos(), W.PenPos()) << Where();
}

}  // namespace

TEST(Symbols, RunsDrawTheSamePixelsAndLeaveTheSameCanvasStateAsTheStrokes) {
    const TPoint Centres[] = {{20, 20}, {1, 2}, {38, 20}, {20, 0}, {-3, 25}, {45, 45}};
    for (int e = 0; e <= static_cast<int>(lmUserDef) + 1; ++e)
        for (bool Transparent : {false, true}) {
            const auto E = static_cast<TLandMarkElement>(e <= static_cast<int>(lmUserDef) ? e : 42);
            TSymbolRuns Runs;  // one per element, so that each of its shapes is made and then reused
            for (int S : {0, 1, 3, 7, -2})
                for (int Direction : {0, 37, 200})
                    for (int Length : {10, 0, -4})
                        for (TPenMode Mode : {pmCopy, pmXor})
                            for (const TPoint& P : Centres) {
                                ExpectRunsDrawAsStrokes(Runs, E, S, Direction, Length, Transparent, P, Mode);
                                if (HasFatalFailure()) return;
                            }
        }
}

TEST(Symbols, RunsBeyondTheirShapeLimitsAreDrawnByStrokes) {
    TSymbolRuns Runs;
    for (int S = 0; S < 100; ++S) {  // more shapes than are kept
        ExpectRunsDrawAsStrokes(Runs, lmCross, S % 30, 0, 10, false, {20, 20}, pmCopy);
        ExpectRunsDrawAsStrokes(Runs, lmPlus, 1000 + S, 0, 10, S % 2, {20, 20}, pmCopy);  // too large
        if (HasFatalFailure()) return;
    }
}
