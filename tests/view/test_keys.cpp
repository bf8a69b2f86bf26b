// Wheel, pinch and keyboard of the map, driven by synthetic Qt events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <string>
#include <vector>

#include "probe_map.h"
#include "qt_input.h"
#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;
using zylcarto::test::Picture;
using zylcarto::test::SendKey;
using zylcarto::test::SendMouse;
using zylcarto::test::SendWheel;
using zylcarto::test::TWheel;

namespace {

constexpr double S = TGeoMap::WheelZoomFactor;

// A 1000 x 800 image in a 480 x 320 control, at magnification 1 from (200, 200), counting OnZoomPan.
class KeyMap : public TGeoMap {
public:
    int ZoomPans = 0;
    KeyMap() {
        resize(480, 320);
        SetMapBitMap(Picture(1000, 800));
        SetTopLeft({200, 200});
        SetOnZoomPan([this](TObject*) { ++ZoomPans; });
        show();
    }
    TgmZoomStackEntry View() const { return {TopLeft().X, TopLeft().Y, Magnification()}; }
};

// Runs the event loop until Done or five seconds have passed.
template <typename F>
bool EventuallyTrue(F Done) {
    QElapsedTimer T;
    T.start();
    while (!Done() && T.elapsed() < 5000) QTest::qWait(20);
    return Done();
}

}  // namespace

TEST(MapWheel, ZoomsInStepsAroundThePointerWithinTheLimits) {
    struct Row {
        std::string Name;
        double StartMag;
        std::vector<int> Deltas;  // a notch is 120; a pinch to twice the size is 240
        TWheel Kind;
        double Mag;
        int ZoomPans;
    };
    const double Max = TGeoMap::MaxMagnification, Min = TGeoMap::MinMagnification;
    const std::vector<Row> Rows = {
        {"notch in", 1, {120}, TWheel::Angle, S, 1},
        {"notch out", 1, {-120}, TWheel::Angle, 1 / S, 1},
        {"two halves add up", 1, {60, 60}, TWheel::Angle, S, 1},
        {"less than a notch", 1, {100}, TWheel::Angle, 1, 0},
        {"a turn back starts afresh", 1, {60, -60, -60}, TWheel::Angle, 1 / S, 1},
        {"two notches at once", 1, {240}, TWheel::Angle, 2, 2},
        {"touchpad pixels", 1, {60, 60}, TWheel::Pixels, S, 1},
        {"pinch to twice the size", 1, {240}, TWheel::Pinch, 2, 2},
        {"a long turn does not drift", 8, {480, -120, 480, -120}, TWheel::Angle, 64, 10},
        {"clamped at the top", 1000, {120, 120}, TWheel::Angle, Max, 1},
        {"clamped at the bottom", Min, {-120}, TWheel::Angle, Min, 0},
    };
    const QPoint At(300, 100);
    for (const Row& R : Rows) {
        SCOPED_TRACE(R.Name);
        KeyMap M;
        M.SetConfinePan(false);  // else the view is kept on the image, not the point under the pointer
        M.SetMagnification(R.StartMag);
        // The image point under the pointer, unrounded: only the whole-pixel top-left may move it.
        const auto Under = [&] {
            return QPointF(M.TopLeft().X + At.x() / M.Magnification(), M.TopLeft().Y + At.y() / M.Magnification());
        };
        const QPointF Before = Under();
        for (int D : R.Deltas) EXPECT_TRUE(SendWheel(M, At, D, R.Kind));
        EXPECT_NEAR(M.Magnification(), R.Mag, 1e-9 * R.Mag);
        EXPECT_EQ(M.ZoomPans, R.ZoomPans);
        EXPECT_NEAR(Under().x(), Before.x(), 0.5 + 1e-9);
        EXPECT_NEAR(Under().y(), Before.y(), 0.5 + 1e-9);
    }
}

TEST(MapWheel, ConfinedZoomOutCentresTheImage) {
    KeyMap M;
    for (int k = 0; k < 4; ++k) SendWheel(M, {400, 300}, -120);
    EXPECT_DOUBLE_EQ(M.Magnification(), 0.25);
    EXPECT_EQ(M.TopLeft(), (TPoint{-460, -240}));  // 250 x 200 control pixels in the middle of 480 x 320
}

TEST(MapWheel, ARestedTurnIsOneZoomHistoryEntry) {
    KeyMap M;
    M.ZoomStateOnStack();
    const TgmZoomStackEntry Before = M.View();
    SendWheel(M, {100, 100}, 120);
    SendWheel(M, {100, 100}, 120);
    EXPECT_EQ(M.GetZoomStackEntry(0), Before);  // not yet at rest
    ASSERT_TRUE(EventuallyTrue([&] { return M.GetZoomStackEntry(0) == M.View(); }));
    EXPECT_EQ(M.GetZoomStackEntry(-1), Before);
    QTest::qWait(2 * TGeoMap::ZoomRestMs);  // the rest stores once
    EXPECT_EQ(M.GetZoomStackEntry(-1), Before);
}

TEST(MapWheel, OffLeavesTheWheelToTheParent) {
    KeyMap M;
    EXPECT_TRUE(M.WheelZoom());
    EXPECT_TRUE(M.setProperty("WheelZoom", false));
    const TgmZoomStackEntry Before = M.View();
    EXPECT_FALSE(SendWheel(M, {100, 100}, 120));
    EXPECT_FALSE(SendWheel(M, {100, 100}, 240, TWheel::Pinch));
    EXPECT_EQ(M.View(), Before);
    EXPECT_EQ(M.ZoomPans, 0);
    TGeoMap Copy;
    Copy.Assign(M);
    EXPECT_FALSE(Copy.WheelZoom());
}

TEST(MapKeys, KeysPanZoomFitAndGoBack) {
    struct Row {
        std::string Name;
        int Key;
        Qt::KeyboardModifiers Mods;
        TgmZoomStackEntry View;  // from (200, 200) at 1; the control's centre is (240, 160)
        int ZoomPans;
        bool Taken;
    };
    const std::vector<Row> Rows = {
        {"left an eighth", Qt::Key_Left, {}, {140, 200, 1}, 1, true},
        {"right an eighth", Qt::Key_Right, {}, {260, 200, 1}, 1, true},
        {"up an eighth", Qt::Key_Up, {}, {200, 160, 1}, 1, true},
        {"down an eighth", Qt::Key_Down, {}, {200, 240, 1}, 1, true},
        {"shift: right a half", Qt::Key_Right, Qt::ShiftModifier, {440, 200, 1}, 1, true},
        {"shift: up a half", Qt::Key_Up, Qt::ShiftModifier, {200, 40, 1}, 1, true},
        {"shift: left a half, kept on the image", Qt::Key_Left, Qt::ShiftModifier, {0, 200, 1}, 1, true},
        {"plus in around the centre", Qt::Key_Plus, Qt::ShiftModifier, {270, 247, S}, 1, true},
        {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, {270, 247, S}, 1, true},
        {"equals as plus", Qt::Key_Equal, {}, {270, 247, S}, 1, true},
        {"minus out around the centre", Qt::Key_Minus, {}, {101, 134, 1 / S}, 1, true},
        {"home fits the map, centred", Qt::Key_Home, {}, {-100, 0, 0.4}, 1, true},
        {"backspace to the last stored view", Qt::Key_Backspace, {}, {0, 0, 1}, 1, true},
        {"ctrl left to the host", Qt::Key_Right, Qt::ControlModifier, {200, 200, 1}, 0, false},
        {"other keys left to the host", Qt::Key_A, {}, {200, 200, 1}, 0, false},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(R.Name);
        KeyMap M;
        EXPECT_EQ(SendKey(M, R.Key, R.Mods), R.Taken);
        EXPECT_EQ(M.TopLeft(), (TPoint{R.View.Left, R.View.Top}));
        EXPECT_NEAR(M.Magnification(), R.View.MagF, 1e-12);
        EXPECT_EQ(M.ZoomPans, R.ZoomPans);
    }
}

TEST(MapKeys, BackspaceWalksBackAndKeepsAViewNotYetAtRest) {
    KeyMap M;
    const TgmZoomStackEntry A{10, 10, 1}, B{20, 20, 1}, C{30, 30, 1};
    for (const TgmZoomStackEntry& E : {A, B, C}) {
        M.SetTopLeft({E.Left, E.Top});
        M.ZoomStateOnStack();
    }
    M.ZoomStateOnStack();  // the same view twice is passed over
    SendKey(M, Qt::Key_Backspace);
    EXPECT_EQ(M.View(), B);
    SendKey(M, Qt::Key_Backspace);
    EXPECT_EQ(M.View(), A);
    SendKey(M, Qt::Key_Right);  // pending its rest: stored before going back
    const TgmZoomStackEntry D = M.View();
    SendKey(M, Qt::Key_Backspace);
    EXPECT_EQ(M.GetZoomStackEntry(0), D);
    EXPECT_EQ(M.View(), C);
    QTest::qWait(2 * TGeoMap::ZoomRestMs);  // going back stores nothing
    EXPECT_EQ(M.GetZoomStackEntry(0), D);
}

TEST(MapKeys, TakesFocusAsQtWidgetsDoAndFramesItOnlyWhileFocused) {
    class FocusCounter : public QProxyStyle {
    public:
        int Frames = 0;
        void drawPrimitive(PrimitiveElement E, const QStyleOption* O, QPainter* P, const QWidget* W) const override {
            if (E == PE_FrameFocusRect) ++const_cast<FocusCounter*>(this)->Frames;
            QProxyStyle::drawPrimitive(E, O, P, W);
        }
    };
    FocusCounter Style;
    KeyMap M;
    M.setStyle(&Style);
    EXPECT_EQ(M.focusPolicy(), Qt::WheelFocus);
    M.repaint();
    EXPECT_EQ(Style.Frames, 0);
    M.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&M));
    M.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(M.hasFocus());
    M.repaint();
    EXPECT_GE(Style.Frames, 1);
    const int Focused = Style.Frames;
    M.clearFocus();
    M.repaint();
    EXPECT_EQ(Style.Frames, Focused);
}

// A host watching the view or a setting hears of every change once, whoever made
// it, and of nothing for a set that changes nothing.
TEST(MapSignals, EachChangeIsToldOnceWhoeverMadeIt) {
    KeyMap M;
    QSignalSpy View(&M, &TGeoMap::viewChanged), Mag(&M, &TGeoMap::magnificationChanged),
        TopLeft(&M, &TGeoMap::topLeftChanged), Model(&M, &TGeoMap::calibModelChanged),
        Grat(&M, &TGeoMap::showGraticuleChanged);
    const auto Mouse = [&M](QEvent::Type Type, QPoint P, Qt::MouseButtons Held) {
        SendMouse(M, Type, P, Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Held);
    };
    struct Case {
        const char* What;
        std::function<void()> Do;
        int View, Mag, TopLeft, Model, Grat;
    };
    const Case Cases[] = {
        {"magnification", [&] { M.SetMagnification(2); }, 1, 1, 0, 0, 0},
        {"the same magnification", [&] { M.SetMagnification(2); }, 0, 0, 0, 0, 0},
        {"top-left", [&] { M.setProperty("TopLeft", QPoint(300, 250)); }, 1, 0, 1, 0, 0},
        {"the same top-left",
         [&] {
             M.SetTopLeft({300, 250});
         },
         0, 0, 0, 0, 0},
        {"a whole view", [&] { M.SetView({200, 150}, 1.5); }, 1, 1, 1, 0, 0},
        {"the same whole view", [&] { M.SetView({200, 150}, 1.5); }, 0, 0, 0, 0, 0},
        {"arrow key", [&] { SendKey(M, Qt::Key_Right); }, 1, 0, 1, 0, 0},
        {"wheel at the corner",
         [&] { SendWheel(M, {0, 0}, 120); },
         1, 1, 0, 0, 0},
        {"mouse pan",
         [&] {
             Mouse(QEvent::MouseButtonPress, {200, 200}, Qt::LeftButton);
             Mouse(QEvent::MouseMove, {150, 200}, Qt::LeftButton);
             Mouse(QEvent::MouseButtonRelease, {150, 200}, Qt::NoButton);
         },
         1, 0, 1, 0, 0},
        {"resize", [&] { M.resize(560, 320); }, 1, 0, 1, 0, 0},
        {"calibration model", [&] { M.SetCalibModel(cmEquiRect); }, 0, 0, 0, 1, 0},
        {"overlay", [&] { M.SetShowGrat(sgLines); }, 0, 0, 0, 0, 1},
        {"the same overlay", [&] { M.SetShowGrat(sgLines); }, 0, 0, 0, 0, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        for (QSignalSpy* S : {&View, &Mag, &TopLeft, &Model, &Grat}) S->clear();
        C.Do();
        EXPECT_EQ(View.count(), C.View);
        EXPECT_EQ(Mag.count(), C.Mag);
        EXPECT_EQ(TopLeft.count(), C.TopLeft);
        EXPECT_EQ(Model.count(), C.Model);
        EXPECT_EQ(Grat.count(), C.Grat);
    }
}
