// The map's events: handlers and slots that delete the map, and the signals
// beside the handler properties. Run under AddressSanitizer to catch a map that
// touches itself after a handler deleted it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "probe_map.h"
#include "qt_input.h"
#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;
using zylcarto::test::CalibrateEquiRect;
using zylcarto::test::Picture;
using zylcarto::test::SendMouse;

namespace {

using TKill = std::function<void()>;
// Sets a deleting handler on the property, or connects it to the signal.
using TArm = std::function<void(TGeoMap&, bool ViaSignal, const TKill&)>;
using TStep = std::function<void(TGeoMap&)>;

template <typename Setter, typename Signal>
TArm Arm(Setter Set, Signal Sig) {
    return [=](TGeoMap& M, bool ViaSignal, const TKill& Kill) {
        if (ViaSignal)
            QObject::connect(&M, Sig, &M, Kill);
        else
            (M.*Set)([Kill](auto&&...) { Kill(); });
    };
}

// Sent directly: QTest would still address the widget after a handler deleted it.
void Press(TGeoMap& M, QPoint P, Qt::KeyboardModifiers K = {}) {
    SendMouse(M, QEvent::MouseButtonPress, P, Qt::LeftButton, Qt::LeftButton, K);
}
void DoublePress(TGeoMap& M, QPoint P) { SendMouse(M, QEvent::MouseButtonDblClick, P, Qt::LeftButton, Qt::LeftButton); }
void Release(TGeoMap& M, QPoint P) { SendMouse(M, QEvent::MouseButtonRelease, P, Qt::LeftButton, Qt::NoButton); }
void Move(TGeoMap& M, QPoint P) { SendMouse(M, QEvent::MouseMove, P, Qt::NoButton, Qt::LeftButton); }
TStep Action(TMouseActMode A) {
    return [A](TGeoMap& M) { M.SetMouseAction(A); };
}

struct TEventCase {
    const char* Event;
    TArm Arm;
    std::vector<TStep> Steps;  // run until the map is gone
    TStep Setup{};             // before the handler is set
};

}  // namespace

TEST(MapEvents, EveryEventMayDeleteTheMapFromItsHandlerOrSlot) {
    QTemporaryDir Dir;
    const std::string Xml = test::WriteMapFile(Dir.path(), {"map", "", 0, 47, 16, 48, 17, 40, 30});
    const QPoint A(100, 100), B(150, 130), C(200, 160);
    const std::vector<TEventCase> Cases = {
        {"OnMouseDown", Arm(&TGeoMap::SetOnMouseDown, &TGeoMap::mouseDown), {[&](TGeoMap& M) { Press(M, A); }}},
        {"OnMouseMove", Arm(&TGeoMap::SetOnMouseMove, &TGeoMap::mouseMove), {[&](TGeoMap& M) { Move(M, A); }}},
        {"OnMouseUp",
         Arm(&TGeoMap::SetOnMouseUp, &TGeoMap::mouseUp),
         {[&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Release(M, A); }}},
        {"OnClick",
         Arm(&TGeoMap::SetOnClick, &TGeoMap::click),
         {[&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Release(M, A); }}},
        {"OnDblClick", Arm(&TGeoMap::SetOnDblClick, &TGeoMap::dblClick), {[&](TGeoMap& M) { DoublePress(M, A); }}},
        {"OnZoomPan while panning",  // towards the top-left, so that the view can move
         Arm(&TGeoMap::SetOnZoomPan, &TGeoMap::zoomPan),
         {[&](TGeoMap& M) { Press(M, B); }, [&](TGeoMap& M) { Move(M, B); }, [&](TGeoMap& M) { Move(M, A); }}},
        {"OnZoomPan while zooming by drag",
         Arm(&TGeoMap::SetOnZoomPan, &TGeoMap::zoomPan),
         {Action(maZoomDrag), [&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Move(M, A); },
          [&](TGeoMap& M) { Move(M, B); }}},
        {"OnZoomPan after a zoom box",
         Arm(&TGeoMap::SetOnZoomPan, &TGeoMap::zoomPan),
         {Action(maZoomBox), [&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Move(M, C); },
          [&](TGeoMap& M) { Release(M, C); }}},
        {"OnBeginRubberBand",
         Arm(&TGeoMap::SetOnBeginRubberBand, &TGeoMap::beginRubberBand),
         {Action(maRubberBand), [&](TGeoMap& M) { Press(M, A); }}},
        {"OnContinueRubberBand",
         Arm(&TGeoMap::SetOnContinueRubberBand, &TGeoMap::continueRubberBand),
         {Action(maRubberBand), [&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Release(M, A); },
          [&](TGeoMap& M) { Press(M, B, Qt::ControlModifier); }}},
        {"OnEndRubberBand",
         Arm(&TGeoMap::SetOnEndRubberBand, &TGeoMap::endRubberBand),
         {Action(maRubberBand), [&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Release(M, A); },
          [&](TGeoMap& M) { Press(M, B); }}},
        {"OnBeginRubberBand of a select rect",
         Arm(&TGeoMap::SetOnBeginRubberBand, &TGeoMap::beginRubberBand),
         {Action(maSelectRect), [&](TGeoMap& M) { Press(M, A); }}},
        {"OnSelectRect",
         Arm(&TGeoMap::SetOnSelectRect, &TGeoMap::selectRect),
         {Action(maSelectRect), [&](TGeoMap& M) { Press(M, A); }, [&](TGeoMap& M) { Move(M, C); },
          [&](TGeoMap& M) { Release(M, C); }}},
        {"OnMapImageRequest", Arm(&TGeoMap::SetOnMapImageRequest, &TGeoMap::mapImageRequest), {[&](TGeoMap& M) {
             M.SetCalDatName(Xml);
         }}},
        {"OnDataLoading", Arm(&TGeoMap::SetOnDataLoading, &TGeoMap::dataLoading), {[&](TGeoMap& M) {
             M.SetCalDatName(Xml);
         }}},
        {"OnLandMarkAction on adding", Arm(&TGeoMap::SetOnLandMarkAction, &TGeoMap::landMarkAction), {[&](TGeoMap& M) {
             M.AddLandMark(47.5, 16.5, 0.0);
         }}},
        {"OnLandMarkAction on removing",
         Arm(&TGeoMap::SetOnLandMarkAction, &TGeoMap::landMarkAction),
         {[&](TGeoMap& M) { M.RemoveLandMark(47.5, 16.5, -1, 1.0); }},
         [](TGeoMap& M) {
             M.AddLandMark(47.5, 16.5, 0.0);
             M.AddLandMark(47.6, 16.6, 0.0);
         }},
    };
    for (const TEventCase& Case : Cases)
        for (const bool ViaSignal : {false, true}) {
            SCOPED_TRACE(std::string(Case.Event) + (ViaSignal ? " (signal)" : " (property)"));
            QPointer<TGeoMap> Map = new TGeoMap;
            Map->SetMapBitMap(Picture(1000, 800));
            CalibrateEquiRect(*Map, 48, 16, 47, 17);
            Map->show();
            if (Case.Setup) Case.Setup(*Map);
            Case.Arm(*Map, ViaSignal, [&Map] { delete Map.data(); });
            for (const TStep& Step : Case.Steps)
                if (Map) Step(*Map);
            EXPECT_TRUE(Map.isNull());
            delete Map.data();
        }
}

TEST(MapEvents, SignalsFireAfterTheHandlerPropertiesAndQueue) {
    zylcarto::test::ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    M.show();
    std::vector<std::string> Log;
    M.SetOnMouseDown([&](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("OnMouseDown"); });
    QObject::connect(&M, &TGeoMap::mouseDown, &M, [&](TMouseButton B, TShiftState S, int X, int Y) {
        Log.push_back("mouseDown " + std::to_string(int(B)) + " " + std::to_string(S) + " " + std::to_string(X) + "," +
                      std::to_string(Y));
    });
    QObject::connect(&M, &TGeoMap::click, &M, [&] { Log.push_back("click"); });
    QObject::connect(&M, &TGeoMap::mouseUp, &M, [&] { Log.push_back("mouseUp"); });
    QObject::connect(&M, &TGeoMap::zoomPan, &M, [&] { Log.push_back("zoomPan"); });
    QObject::connect(
        &M, &TGeoMap::beginRubberBand, &M,
        [&](TPoint P) { Log.push_back("queued beginRubberBand " + std::to_string(P.X) + "," + std::to_string(P.Y)); },
        Qt::QueuedConnection);
    Press(M, {100, 100});
    Move(M, {100, 100});
    Move(M, {90, 100});
    Release(M, {90, 100});
    M.SetMouseAction(maRubberBand);
    Press(M, {30, 40});
    EXPECT_EQ(Log.size(), 7u);
    QCoreApplication::processEvents();
    EXPECT_EQ(Log, (std::vector<std::string>{"OnMouseDown", "mouseDown 0 8 100,100", "zoomPan", "click", "mouseUp",
                                             "OnMouseDown", "mouseDown 0 8 30,40", "queued beginRubberBand 40,40"}));
}
