// Mouse interaction of the map, driven by synthetic Qt mouse events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <vector>

#include "pixels.h"
#include "probe_map.h"
#include "qt_input.h"
#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;
using zylcarto::test::CalibrateEquiRect;
using zylcarto::test::ExpectPixels;
using zylcarto::test::Picture;
using Access = zylcarto::test::TGeoMapTestAccess;

namespace {

// QTest takes a null point for the widget's centre; the tests never use (0, 0).
class MouseMap : public TGeoMap {
public:
    MouseMap() {
        resize(500, 400);
        SetMapBitMap(Picture(1000, 800));
        show();
    }
    // The picture on screen must equal the composed one once every shape is erased.
    bool ScreenIsClean() const {
        return Access::ScreenPicture(*this).copy(0, 0, width(), height()) ==
               Access::AuxBmp(*this).copy(0, 0, width(), height());
    }
    QImage Screen() const { return Access::ScreenPicture(*this); }
    bool ToolDragging() const { return Access::ToolDragging(*this); }
};

void Drag(QWidget* W, QPoint From, const std::vector<QPoint>& Path, Qt::MouseButton Button = Qt::LeftButton) {
    QTest::mousePress(W, Button, {}, From);
    for (const QPoint& P : Path) QTest::mouseMove(W, P);
    QTest::mouseRelease(W, Button, {}, Path.empty() ? From : Path.back());
}

// A move without a button (QTest would only move the cursor).
void Hover(QWidget* W, QPoint P) { zylcarto::test::SendMouse(*W, QEvent::MouseMove, P); }

struct SelectRect {
    int Kind = -1;
    double V1 = 0, V2 = 0, V3 = 0, V4 = 0;
};

}  // namespace

TEST(MapMouse, PanMovesTheViewByThePointerDistanceOverTheMagnification) {
    MouseMap M;
    M.SetMagnification(2.0);
    M.SetTopLeft({100, 100});
    int ZoomPans = 0;
    M.SetOnZoomPan([&](TObject*) { ++ZoomPans; });
    // The first move only takes the anchors.
    Drag(&M, {200, 200}, {{200, 200}, {150, 180}, {100, 150}});
    EXPECT_EQ(M.TopLeft(), (TPoint{150, 125}));
    EXPECT_EQ(ZoomPans, 2);
    // The release stores the view in the history.
    EXPECT_EQ(M.GetZoomStackEntry(0), (TgmZoomStackEntry{150, 125, 2.0}));
}

TEST(MapMouse, PanDirectionsAndMovesOutsideTheControl) {
    MouseMap M;
    M.SetTopLeft({100, 100});
    M.SetMouseAction(maPanHoriz);
    Drag(&M, {300, 300}, {{300, 300}, {250, 200}});
    EXPECT_EQ(M.TopLeft(), (TPoint{150, 100}));
    M.SetMouseAction(maPanVert);
    Drag(&M, {300, 300}, {{300, 300}, {250, 200}});
    EXPECT_EQ(M.TopLeft(), (TPoint{150, 200}));
    M.SetMouseAction(maPan);
    Drag(&M, {300, 300}, {{300, 300}, {900, 250}});  // outside the control the pan goes on, up to the image's edge
    EXPECT_EQ(M.TopLeft(), (TPoint{0, 250}));
}

TEST(MapMouse, PanFollowsThePointerFromThePressAlsoOutsideTheControl) {
    struct Case {
        const char* Name;
        QPoint From;
        std::vector<QPoint> Path;
        TPoint TopLeft;
    };
    // From (200, 200) over a 1000 x 800 image in a 500 x 400 control.
    for (const Case& C :
         {Case{"one move of 100 px", {300, 200}, {{200, 200}}, {300, 200}},
          Case{"past the top-left corner", {100, 100}, {{50, 50}, {-150, -50}}, {450, 350}},
          Case{"past the bottom-right corner", {400, 300}, {{450, 350}, {600, 390}, {600, 500}}, {0, 0}}}) {
        MouseMap M;
        M.SetTopLeft({200, 200});
        Drag(&M, C.From, C.Path);
        EXPECT_EQ(M.TopLeft(), C.TopLeft) << C.Name;
    }
}

TEST(MapMouse, ConfinedPanStaysInsideTheImage) {
    MouseMap M;
    M.SetTopLeft({400, 300});
    Drag(&M, {450, 350}, {{450, 350}, {1, 1}});
    EXPECT_EQ(M.TopLeft(), (TPoint{500, 400}));  // image 1000 x 800 in a 500 x 400 control
    Drag(&M, {10, 10}, {{10, 10}, {499, 399}});
    EXPECT_EQ(M.TopLeft(), (TPoint{11, 11}));
    Drag(&M, {10, 10}, {{10, 10}, {499, 399}});
    EXPECT_EQ(M.TopLeft(), (TPoint{0, 0}));
    M.SetConfinePan(false);
    Drag(&M, {10, 10}, {{10, 10}, {110, 60}});
    EXPECT_EQ(M.TopLeft(), (TPoint{-100, -50}));
}

TEST(MapMouse, ANewDragTakesFreshAnchorsEvenWithoutAMoveInBetween) {
    MouseMap M;
    M.SetTopLeft({200, 200});
    Drag(&M, {300, 300}, {{300, 300}, {250, 250}});
    ASSERT_EQ(M.TopLeft(), (TPoint{250, 250}));
    // Pressed again at once elsewhere: the first move must not jump back to the old anchor.
    QTest::mousePress(&M, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&M, {100, 100});
    QTest::mouseMove(&M, {90, 100});
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {90, 100});
    EXPECT_EQ(M.TopLeft(), (TPoint{260, 250}));
}

TEST(MapMouse, ZoomBoxFitsTheBoxAndCentresIt) {
    MouseMap M;
    M.SetMouseAction(maZoomBox);
    int ZoomPans = 0;
    M.SetOnZoomPan([&](TObject*) { ++ZoomPans; });
    QTest::mousePress(&M, Qt::LeftButton, {}, {200, 150});
    EXPECT_EQ(M.ZoomState(), zsBoxDragging);
    QTest::mouseMove(&M, {150, 120});
    EXPECT_FALSE(M.ScreenIsClean());  // the box is on screen
    QTest::mouseMove(&M, {100, 100});
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {100, 100});
    // Image box (100,100)-(200,150): the wider side fills the 500 pixel width.
    EXPECT_DOUBLE_EQ(M.Magnification(), 5.0);
    EXPECT_EQ(M.TopLeft(), (TPoint{100, 85}));
    EXPECT_EQ(M.ZoomState(), zsIdle);
    EXPECT_EQ(ZoomPans, 1);
    EXPECT_TRUE(M.ScreenIsClean());
}

TEST(MapMouse, ZoomBoxOfZeroWidthOrCancelledOnlyEndsTheZoomState) {
    MouseMap M;
    M.SetMouseAction(maZoomBox);
    M.SetTopLeft({10, 20});
    int ZoomPans = 0;
    M.SetOnZoomPan([&](TObject*) { ++ZoomPans; });
    Drag(&M, {100, 100}, {{100, 150}, {100, 200}});
    EXPECT_EQ(M.ZoomState(), zsIdle);
    EXPECT_DOUBLE_EQ(M.Magnification(), 1.0);
    EXPECT_EQ(M.TopLeft(), (TPoint{10, 20}));
    // A right release erases the box and ends the zoom.
    QTest::mousePress(&M, Qt::LeftButton, {}, {100, 100});
    QTest::mouseMove(&M, {200, 200});
    QTest::mouseRelease(&M, Qt::RightButton, {}, {200, 200});
    EXPECT_EQ(M.ZoomState(), zsIdle);
    EXPECT_DOUBLE_EQ(M.Magnification(), 1.0);
    EXPECT_TRUE(M.ScreenIsClean());
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {200, 200});
    EXPECT_EQ(ZoomPans, 0);
}

TEST(MapMouse, ZoomByDragKeepsTheCentreAndAValidMagnification) {
    MouseMap M;
    M.SetMouseAction(maZoomDrag);
    M.SetConfinePan(false);
    M.SetTopLeft({200, 200});
    // The image pixel at the centre (250 + 200, 200 + 200) stays there.
    Drag(&M, {250, 300}, {{250, 300}, {250, 260}});
    EXPECT_NEAR(M.Magnification(), 1.1, 1e-12);
    const TPoint Centre = M.ControlToMapImage({250, 200});
    EXPECT_NEAR(Centre.X, 450, 1);
    EXPECT_NEAR(Centre.Y, 400, 1);
    EXPECT_EQ(M.GetZoomStackEntry(0).MagF, M.Magnification());
    // Far upwards the factor compounds until the upper bound holds it.
    std::vector<QPoint> Up(200, QPoint(250, 5));
    Up.front() = {250, 395};
    Drag(&M, {250, 395}, Up);
    EXPECT_DOUBLE_EQ(M.Magnification(), TGeoMap::MaxMagnification);
    Drag(&M, {250, 1}, {{250, 1}, {250, 201}});  // factor 0.5
    EXPECT_DOUBLE_EQ(M.Magnification(), TGeoMap::MaxMagnification / 2);
    // Down by the whole height the factor is zero, and down-left it is negative:
    // the lower bound holds.
    Drag(&M, {250, 0}, {{250, 0}, {250, 400}});
    EXPECT_DOUBLE_EQ(M.Magnification(), TGeoMap::MinMagnification);
    M.SetMagnification(1.0);
    Drag(&M, {500, 0}, {{500, 0}, {1, 400}});
    EXPECT_DOUBLE_EQ(M.Magnification(), TGeoMap::MinMagnification);
}

TEST(MapMouse, SelectRectReportsImagePixelsOrCoordinates) {
    MouseMap M;
    M.SetMouseAction(maSelectRect);
    M.SetTopLeft({5, 5});
    SelectRect R;
    M.SetOnSelectRect([&](TObject*, int Kind, double A, double B, double C, double D) { R = {Kind, A, B, C, D}; });
    TPoint Begin{-1, -1};
    M.SetOnBeginRubberBand([&](TObject*, TPoint P) { Begin = P; });
    Drag(&M, {10, 20}, {{60, 40}, {110, 70}});
    EXPECT_EQ(Begin, (TPoint{15, 25}));
    EXPECT_EQ(R.Kind, 0);  // not calibrated
    EXPECT_EQ(R.V1, 15);
    EXPECT_EQ(R.V2, 25);
    EXPECT_EQ(R.V3, 115);
    EXPECT_EQ(R.V4, 75);
    EXPECT_FALSE(M.ToolDragging());
    EXPECT_TRUE(M.ScreenIsClean());

    CalibrateEquiRect(M, 50, 10, 40, 20);  // 1000 x 800 pixels over 10 x 10 degrees
    Drag(&M, {10, 20}, {{110, 70}});
    EXPECT_EQ(R.Kind, 1);
    EXPECT_NEAR(R.V1, 10.15, 1e-9);  // longitude, latitude of the first corner
    EXPECT_NEAR(R.V2, 50 - 25 / 80.0, 1e-9);
    EXPECT_NEAR(R.V3, 11.15, 1e-9);
    EXPECT_NEAR(R.V4, 50 - 75 / 80.0, 1e-9);
}

TEST(MapMouse, RubberBandTogglesContinuesAndErasesItsLine) {
    MouseMap M;
    M.SetMouseAction(maRubberBand);
    std::vector<std::string> Calls;
    M.SetOnBeginRubberBand([&](TObject*, TPoint P) { Calls.push_back("begin " + std::to_string(P.X)); });
    M.SetOnContinueRubberBand([&](TObject*, TPoint P) { Calls.push_back("cont " + std::to_string(P.X)); });
    M.SetOnEndRubberBand([&](TObject*, TPoint P) { Calls.push_back("end " + std::to_string(P.X)); });
    QTest::mouseClick(&M, Qt::LeftButton, {}, {10, 10});
    Hover(&M, {100, 10});  // the band follows without a button
    EXPECT_FALSE(M.ScreenIsClean());
    // A repaint puts the composed picture on screen: the live line is gone
    // until the next move draws it again.
    M.Paint();
    EXPECT_TRUE(M.ScreenIsClean());
    Hover(&M, {100, 11});
    Hover(&M, {100, 10});
    QTest::mouseClick(&M, Qt::LeftButton, Qt::ControlModifier, {100, 10});
    Hover(&M, {200, 80});
    QTest::mouseClick(&M, Qt::LeftButton, {}, {200, 80});
    EXPECT_EQ(Calls, (std::vector<std::string>{"begin 10", "cont 100", "end 200"}));
    // The segment drawn before the Ctrl-click stays; the live one is gone.
    const QImage S = M.Screen();
    ExpectPixels(S, {{50, 10, 0x000000}, {150, 45, 0xFFFFFF}});
}

TEST(MapMouse, TraceHoldsFiveThousandPointsInStrokes) {
    MouseMap M;
    M.SetMouseAction(maTrace);
    CalibrateEquiRect(M, 50, 10, 40, 20);
    QTest::mousePress(&M, Qt::LeftButton, {}, {10, 10});
    for (int i = 0; i < 3; ++i) QTest::mouseMove(&M, {10 + 10 * i, 10});
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {30, 10});
    ASSERT_EQ(M.NumMTracePoints(), 3);
    // Inverted white on the white map: the stroke shows up black on screen.
    EXPECT_EQ(M.Screen().pixel(15, 10), qRgb(0, 0, 0));
    EXPECT_EQ(M.GetMTracePoint(3).Flags & 1, 1);
    const TColoredPoint P = M.GetMTracePoint(2);
    EXPECT_NEAR(P.X, 10.2, 1e-9);
    EXPECT_NEAR(P.Y, 50 - 10 / 80.0, 1e-9);
    EXPECT_EQ(P.Flags & 1, 0);

    // A second stroke starts without a segment from the end of the first.
    QTest::mousePress(&M, Qt::LeftButton, {}, {10, 100});
    QTest::mouseMove(&M, {10, 100});
    QTest::mouseMove(&M, {10, 120});
    ExpectPixels(M.Screen(), {{20, 55, 0xFFFFFF}, {10, 110, 0x000000}});
    for (int i = 0; i < 5100; ++i) QTest::mouseMove(&M, {20 + i % 400, 200});
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {20, 200});
    EXPECT_EQ(M.NumMTracePoints(), TGeoMap::MaxMouseTracePoints);
    EXPECT_EQ(M.GetMTracePoint(0).Flags, 0xFFFF);
    EXPECT_EQ(M.GetMTracePoint(5001).Flags, 0xFFFF);
    M.ClearMouseTrace();
    EXPECT_EQ(M.NumMTracePoints(), 0);
}

TEST(MapMouse, TracePointsOfAnUncalibratedMapAreInvalid) {
    MouseMap M;
    M.SetMouseAction(maTrace);
    Drag(&M, {10, 10}, {{20, 20}});
    ASSERT_EQ(M.NumMTracePoints(), 1);
    EXPECT_EQ(M.GetMTracePoint(1).Flags, 0xFFFF);
}

TEST(MapMouse, HostHandlersRunAroundTheControlsOwnWork) {
    MouseMap M;
    M.SetMagnification(2.0);
    M.SetMouseAction(maZoomBox);
    TPoint ClickSeenByHost;
    TZoomState StateSeenAtUp = zsIdle;
    int Moves = 0, Clicks = 0;
    M.SetOnMouseDown([&](TObject* Sender, TMouseButton B, TShiftState S, int X, int Y) {
        EXPECT_EQ(Sender, static_cast<TObject*>(&M));
        EXPECT_EQ(B, mbLeft);
        EXPECT_TRUE(S & ssLeft);
        EXPECT_EQ(X, 40);
        EXPECT_EQ(Y, 60);
        ClickSeenByHost = {M.LastClickPosX(), M.LastClickPosY()};
    });
    M.SetOnMouseMove([&](TObject*, TShiftState, int, int) { ++Moves; });
    M.SetOnMouseUp([&](TObject*, TMouseButton, TShiftState, int, int) { StateSeenAtUp = M.ZoomState(); });
    M.SetOnClick([&](TObject*) { ++Clicks; });
    Drag(&M, {40, 60}, {{80, 90}});
    EXPECT_EQ(ClickSeenByHost, (TPoint{20, 30}));  // the press was stored first
    EXPECT_EQ(StateSeenAtUp, zsBoxDragging);       // the host's handler ran before the zoom
    EXPECT_EQ(Moves, 1);
    EXPECT_EQ(M.LastMousePosX(), 40);
    EXPECT_EQ(Clicks, 1);
}

TEST(MapMouse, DoubleClickFiresOnceAndIsNoSecondClick) {
    MouseMap M;
    M.SetAllowPan(false);
    int Clicks = 0, Doubles = 0;
    TShiftState DownShift = 0;
    M.SetOnClick([&](TObject*) { ++Clicks; });
    M.SetOnDblClick([&](TObject*) { ++Doubles; });
    M.SetOnMouseDown([&](TObject*, TMouseButton, TShiftState S, int, int) { DownShift = S; });
    QTest::mouseClick(&M, Qt::LeftButton, {}, {50, 50});
    QTest::mouseDClick(&M, Qt::LeftButton, {}, {50, 50});
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {50, 50});
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Doubles, 1);
    EXPECT_TRUE(DownShift & ssDouble);
}

TEST(MapMouse, MouseBoxReturnsTheOrderedBoxAndRestoresTheAction) {
    MouseMap M;
    M.SetMouseAction(maSelectRect);
    QTimer::singleShot(0, &M, [&] {
        EXPECT_EQ(M.MouseAction(), maNone);
        EXPECT_EQ(M.MouseBoxState(), mbsWaiting);
        QTest::mousePress(&M, Qt::LeftButton, {}, {200, 150});
        QTest::mouseMove(&M, {120, 90});
        QTest::mouseMove(&M, {50, 40});
        QTest::mouseRelease(&M, Qt::LeftButton, {}, {50, 40});
    });
    int xLo = 0, yLo = 0, xHi = 0, yHi = 0;
    EXPECT_TRUE(M.MouseBox(xLo, yLo, xHi, yHi));
    EXPECT_EQ(xLo, 50);
    EXPECT_EQ(yLo, 40);
    EXPECT_EQ(xHi, 200);
    EXPECT_EQ(yHi, 150);
    EXPECT_EQ(M.MouseAction(), maSelectRect);
    EXPECT_EQ(M.MouseBoxState(), mbsIdle);
    EXPECT_TRUE(M.ScreenIsClean());
}

TEST(MapMouse, MouseBoxEndsFalseOnARightButtonOrAnAbort) {
    MouseMap M;
    M.SetMouseAction(maZoomDrag);
    int xLo = -7, yLo = -7, xHi = -7, yHi = -7;
    QTimer::singleShot(0, &M, [&] { QTest::mousePress(&M, Qt::RightButton, {}, {20, 20}); });
    EXPECT_FALSE(M.MouseBox(xLo, yLo, xHi, yHi));
    EXPECT_EQ(M.MouseAction(), maZoomDrag);
    // Right release while dragging cancels as well.
    QTimer::singleShot(0, &M, [&] {
        QTest::mousePress(&M, Qt::LeftButton, {}, {20, 20});
        QTest::mouseMove(&M, {80, 80});
        QTest::mouseRelease(&M, Qt::RightButton, {}, {80, 80});
    });
    EXPECT_FALSE(M.MouseBox(xLo, yLo, xHi, yHi));
    EXPECT_TRUE(M.ScreenIsClean());
    QTest::mouseRelease(&M, Qt::LeftButton, {}, {80, 80});
    QTimer::singleShot(0, &M, [&] { M.MouseBoxAbort(); });
    EXPECT_FALSE(M.MouseBox(xLo, yLo, xHi, yHi));
    EXPECT_EQ(M.MouseAction(), maZoomDrag);
    EXPECT_EQ(M.MouseBoxState(), mbsIdle);
    EXPECT_EQ(xLo, -7);  // untouched without a box
}

TEST(MapMouse, ChoosingAnotherActionMidDragErasesTheShapeAndTheNewToolIgnoresTheRelease) {
    struct Case {
        TMouseActMode From, To;
    };
    for (const Case& C : {Case{maZoomBox, maPan}, Case{maSelectRect, maZoomBox}, Case{maRubberBand, maTrace},
                          Case{maPan, maSelectRect}, Case{maZoomBox, maZoomDrag}}) {
        SCOPED_TRACE(testing::Message() << int(C.From) << " to " << int(C.To));
        MouseMap M;
        M.SetTopLeft({200, 200});
        M.SetMouseAction(C.From);
        QTest::mousePress(&M, Qt::LeftButton, {}, {100, 100});
        QTest::mouseMove(&M, {150, 140});
        QTest::mouseMove(&M, {160, 150});
        const TPoint TopLeft = M.TopLeft();
        const TgmZoomStackEntry Stored = M.GetZoomStackEntry(0);
        const int TracePoints = M.NumMTracePoints();
        int Events = 0;
        M.SetOnSelectRect([&](TObject*, int, double, double, double, double) { ++Events; });
        M.SetOnZoomPan([&](TObject*) { ++Events; });
        M.SetOnBeginRubberBand([&](TObject*, TPoint) { ++Events; });
        M.SetOnEndRubberBand([&](TObject*, TPoint) { ++Events; });
        M.SetMouseAction(C.To);
        EXPECT_TRUE(M.ScreenIsClean());
        EXPECT_FALSE(M.ToolDragging());
        QTest::mouseMove(&M, {60, 50});
        QTest::mouseRelease(&M, Qt::LeftButton, {}, {60, 50});
        EXPECT_TRUE(M.ScreenIsClean());
        EXPECT_EQ(M.TopLeft(), TopLeft);
        EXPECT_DOUBLE_EQ(M.Magnification(), 1.0);
        EXPECT_EQ(M.ZoomState(), zsIdle);
        EXPECT_EQ(M.GetZoomStackEntry(0), Stored);
        EXPECT_EQ(M.NumMTracePoints(), TracePoints);
        EXPECT_EQ(Events, 0);
    }
}
