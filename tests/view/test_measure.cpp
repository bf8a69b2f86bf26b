// The measure tool, driven by synthetic Qt input on a calibrated map: what it
// measures must be what the geodesic functions give for the clicked positions.
#include <gtest/gtest.h>

#include <QTest>
#include <cmath>
#include <functional>
#include <vector>

#include "pixels.h"
#include "probe_map.h"
#include "qt_input.h"
#include "zylcarto/geodesy/geodesic.h"

using namespace zylcarto;
using zylcarto::test::ExpectPixels;
using zylcarto::test::Picture;
using Access = zylcarto::test::TGeoMapTestAccess;

namespace {

// 1000 x 800 pixels over 10 x 10 degrees, shown from its top-left corner at magnification 1.
class MeasureMap : public test::ProbeMap {
public:
    int Told = 0, Signalled = 0;
    explicit MeasureMap(bool Calibrated = true) {
        resize(500, 400);
        SetMapBitMap(Picture(1000, 800));
        if (Calibrated) test::CalibrateEquiRect(*this, 50, 10, 40, 20);
        show();
        SetMouseAction(maMeasure);
        SetOnMeasure([this](TObject* Sender) {
            EXPECT_EQ(Sender, static_cast<TObject*>(this));
            ++Told;
        });
        QObject::connect(this, &TGeoMap::measureChanged, this, [this] { ++Signalled; });
    }
    TLatLong Position(QPoint P) const {
        bool a = false, b = false;
        const TPoint I = ControlToMapImage({P.x(), P.y()});
        return {CalcLatitude(I, a), CalcLongitude(I, b)};
    }
};

using TStep = std::function<void(MeasureMap&)>;
TStep Click(QPoint P) {
    return [P](MeasureMap& M) { QTest::mouseClick(&M, Qt::LeftButton, {}, P); };
}
TStep DoubleClick(QPoint P) {
    return [P](MeasureMap& M) {
        QTest::mouseClick(&M, Qt::LeftButton, {}, P);
        QTest::mouseDClick(&M, Qt::LeftButton, {}, P);
        QTest::mouseRelease(&M, Qt::LeftButton, {}, P);
    };
}
TStep RightClick(QPoint P) {
    return [P](MeasureMap& M) { QTest::mouseClick(&M, Qt::RightButton, {}, P); };
}
TStep Key(int K) {
    return [K](MeasureMap& M) { test::SendKey(M, K); };
}
TStep Action(TMouseActMode A) {
    return [A](MeasureMap& M) { M.SetMouseAction(A); };
}

const QPoint A(50, 50), B(300, 60), C(250, 300), D(60, 250);

}  // namespace

TEST(MapMeasure, ClickedPathsMeasureAsTheGeodesicsOfTheirPositions) {
    struct Case {
        const char* Name;
        std::vector<TStep> Steps;
        std::vector<QPoint> Path;  // the clicks that remain as its positions
        bool Closed;
        int Changes;
    };
    const std::vector<Case> Cases = {
        {"finished by Enter", {Click(A), Click(B), Click(C), Key(Qt::Key_Return)}, {A, B, C},
         false, 3},
        {"closed by a click near the first", {Click(A), Click(B), Click(C), Click(D), Click(A + QPoint(2, -3))},
         {A, B, C, D}, true, 5},
        {"a click near the first of two adds it", {Click(A), Click(B), Click(A + QPoint(1, 1))},
         {A, B, A + QPoint(1, 1)}, false, 3},
        {"a double click finishes, the next click starts anew", {Click(A), DoubleClick(B), Click(C), Click(D)},
         {C, D}, false, 4},
        {"closed, then the next click starts anew", {Click(A), Click(B), Click(C), Click(A), Click(D)}, {D}, false, 5},
        {"Escape clears", {Click(A), Click(B), Key(Qt::Key_Escape)}, {}, false, 3},
        {"a right click clears", {Click(A), Click(B), RightClick(C), Click(D)}, {D}, false, 4},
        {"another mouse action clears", {Click(A), Click(B), Action(maPan), Click(C)}, {}, false, 3},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        MeasureMap M;
        for (const TStep& S : C.Steps) S(M);
        std::vector<TLatLong> Positions;
        for (const QPoint& P : C.Path) Positions.push_back(M.Position(P));
        ASSERT_EQ(M.MeasurePointCount(), int(Positions.size()));
        for (int i = 1; i <= M.MeasurePointCount(); ++i) EXPECT_EQ(M.MeasurePoint(i), Positions[std::size_t(i - 1)]);
        EXPECT_EQ(M.MeasureClosed(), C.Closed);
        std::vector<TLatLong> Legs = Positions;
        if (C.Closed) Legs.push_back(Positions.front());
        const TPathMeasure Expected = MeasurePath(Legs);
        EXPECT_DOUBLE_EQ(M.MeasuredLength(), Expected.Length);
        ASSERT_EQ(M.MeasureLegCount(), int(Expected.Bearings.size()));
        for (int i = 1; i <= M.MeasureLegCount(); ++i)
            EXPECT_DOUBLE_EQ(M.MeasureLegBearing(i), Expected.Bearings[std::size_t(i - 1)]);
        if (C.Closed)
            EXPECT_DOUBLE_EQ(M.MeasuredArea(), MeasurePolygon(Positions).Area);
        else
            EXPECT_TRUE(std::isnan(M.MeasuredArea()));
        EXPECT_TRUE(std::isnan(M.MeasurePoint(0).Lat) && std::isnan(M.MeasurePoint(M.MeasurePointCount() + 1).Long));
        EXPECT_TRUE(std::isnan(M.MeasureLegBearing(0)) && std::isnan(M.MeasureLegBearing(M.MeasureLegCount() + 1)));
        EXPECT_EQ(M.Told, C.Changes);
        EXPECT_EQ(M.Signalled, C.Changes);
    }
}

TEST(MapMeasure, ThePathIsDrawnUntilClearedAndTheLegToThePointerIsErasedWithTheTool) {
    MeasureMap Uncalibrated(false);
    QTest::mouseClick(&Uncalibrated, Qt::LeftButton, {}, A);
    EXPECT_EQ(Uncalibrated.MeasurePointCount(), 0);  // no position there
    EXPECT_EQ(Uncalibrated.Told, 0);

    MeasureMap M;
    QTest::mouseClick(&M, Qt::LeftButton, {}, {50, 50});
    QTest::mouseClick(&M, Qt::LeftButton, {}, {300, 50});
    test::SendMouse(M, QEvent::MouseMove, {300, 250});
    const TColor Path = 0x0000E0;
    ExpectPixels(Access::AuxBmp(M), {{175, 50, Path, "the leg, in the composed picture"}, {300, 150, 0xFFFFFF}});
    ExpectPixels(Access::ScreenPicture(M), {{300, 150, 0x000000, "the leg to the pointer, XOR on screen"}});
    M.Paint();
    ExpectPixels(Access::AuxBmp(M), {{175, 50, Path, "after a repaint"}});
    test::SendMouse(M, QEvent::MouseMove, {300, 200});
    M.SetMouseAction(maZoomBox);
    ExpectPixels(Access::AuxBmp(M), {{175, 50, 0xFFFFFF, "gone with the tool"}});
    EXPECT_EQ(Access::ScreenPicture(M).copy(0, 0, 500, 400), Access::AuxBmp(M).copy(0, 0, 500, 400));
}
