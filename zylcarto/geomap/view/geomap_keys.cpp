// Wheel, pinch and keyboard of TGeoMap. A burst of steps (a turn of the
// wheel, a held key) is one entry in the zoom history, stored when the burst
// has rested, as a mouse drag is stored on its release.
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/view/geomap_p.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr double UnitsPerStep = 120;  // a standard wheel notch
// In steps of the factor, so that a pinch to twice the size is two whole steps, not 1.9999.
constexpr double StepsPerDoubling = 2;
static_assert(TGeoMap::WheelZoomFactor * TGeoMap::WheelZoomFactor - 2 < 1e-12 &&
              2 - TGeoMap::WheelZoomFactor * TGeoMap::WheelZoomFactor < 1e-12);
constexpr double KeyPanPart = 1.0 / 8, KeyPanPartFar = 1.0 / 2;

}  // namespace

bool TGeoMap::PinchEvent(QEvent* Event) {
    Q_D(TGeoMap);
    if (Event->type() == QEvent::NativeGesture && d->FKeys.WheelZoom) {
        const auto* Gesture = static_cast<QNativeGestureEvent*>(Event);
        if (Gesture->gestureType() == Qt::ZoomNativeGesture) {
            // value() is the change of scale since the last event: 0.1 for 10 % larger.
            if (Gesture->value() > -1)
                d->AddZoomUnits(std::log2(1 + Gesture->value()) * StepsPerDoubling * UnitsPerStep, Gesture->position());
            Event->accept();
            return true;
        }
    }
    return false;
}

void TGeoMap::wheelEvent(QWheelEvent* Event) {
    Q_D(TGeoMap);
    if (!d->FKeys.WheelZoom) return QWidget::wheelEvent(Event);
    // A drag in progress owns the view (its anchors would jump); the wheel is swallowed meanwhile.
    if (Event->buttons() != Qt::NoButton) return;
    // Touchpads report pixels, which are finer than the angle they also report.
    const QPoint Pixels = Event->pixelDelta();
    d->AddZoomUnits(Pixels.isNull() ? Event->angleDelta().y() : Pixels.y(), Event->position());
}

void TGeoMapPrivate::AddZoomUnits(double Units, QPointF At) {
    if (!std::isfinite(Units)) return;
    // A turn the other way starts afresh instead of first undoing what is left.
    if (Units * FKeys.Units < 0) FKeys.Units = 0;
    FKeys.Units += Units;
    const double Steps = std::trunc(FKeys.Units / UnitsPerStep);
    FKeys.Units -= Steps * UnitsPerStep;
    // More steps than the whole magnification range holds change nothing more.
    ZoomStepsAt(static_cast<int>(std::clamp(Steps, -64.0, 64.0)), At);
}

void TGeoMapPrivate::ZoomStepsAt(int Steps, QPointF At) {
    Q_Q(TGeoMap);
    const QPointer<TGeoMap> Self(q);  // a host may delete the map from OnZoomPan
    for (; Steps != 0; Steps -= Steps > 0 ? 1 : -1) {
        const double Was = FView.Magnify();
        const double Mag =
            TMapViewport::Clamped(Was * (Steps > 0 ? TGeoMap::WheelZoomFactor : 1 / TGeoMap::WheelZoomFactor));
        if (Mag == Was) return;  // at a limit
        bool Taken = false;
        if (FKeys.StepHook && !SurvivesCall(q, [&, Hook = FKeys.StepHook] { Taken = Hook(Mag, At); })) return;
        if (Taken) {
            FKeys.StepView.reset();  // another image now: its own view anchors the next step
        } else {
            TMapViewport V = Viewport();
            // The anchor is kept unrounded across steps, so the rounding of the
            // top-left pixel does not add up over a long turn.
            if (!(V == FKeys.StepView && At == FKeys.At)) {
                FKeys.At = At;
                FKeys.AnchorX = V.TopLeft().X + At.x() / V.Magnify();
                FKeys.AnchorY = V.TopLeft().Y + At.y() / V.Magnify();
            }
            V.SetMagnify(Mag);
            V.SetTopLeft({RoundToInt(FKeys.AnchorX - At.x() / Mag), RoundToInt(FKeys.AnchorY - At.y() / Mag)});
            if (FConfinePan) V.Confine(FMapImgWidth, FMapImgHeight);
            SetView(V);
            FKeys.StepView = V;
            q->Paint();
        }
        RestartZoomRest();
        q->DoZoomPanEvent();
        if (!Self) return;
    }
}

void TGeoMap::keyPressEvent(QKeyEvent* Event) {
    Q_D(TGeoMap);
    // Shift is part of typing + on many layouts; the keypad counts as the main keys.
    if (Event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) return QWidget::keyPressEvent(Event);
    const double Part = Event->modifiers() & Qt::ShiftModifier ? KeyPanPartFar : KeyPanPart;
    const QPointF Centre(width() / 2.0, height() / 2.0);
    switch (Event->key()) {
    case Qt::Key_Left: d->PanByKey(-Part, 0); break;
    case Qt::Key_Right: d->PanByKey(Part, 0); break;
    case Qt::Key_Up: d->PanByKey(0, -Part); break;
    case Qt::Key_Down: d->PanByKey(0, Part); break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: d->ZoomStepsAt(1, Centre); break;
    case Qt::Key_Minus: d->ZoomStepsAt(-1, Centre); break;
    case Qt::Key_Home: {
        const TMapViewport Before = d->Viewport();
        ZoomFitPage();
        const TMapViewport After = d->Viewport();
        if (After.TopLeft() == Before.TopLeft() && After.Magnify() == Before.Magnify()) break;
        d->RestartZoomRest();
        DoZoomPanEvent();
        break;
    }
    case Qt::Key_Backspace: d->GoBackInZoomHistory(); break;
    default:
        if (!d->FTool->Key(Event->key())) QWidget::keyPressEvent(Event);
    }
}

void TGeoMapPrivate::PanByKey(double Right, double Down) {
    Q_Q(TGeoMap);
    const TMapViewport Before = Viewport();
    TMapViewport V = Before;
    V.SetTopLeft({Before.TopLeft().X + V.ToImageLength(Right * q->width()),
                  Before.TopLeft().Y + V.ToImageLength(Down * q->height())});
    if (FConfinePan) V.Confine(FMapImgWidth, FMapImgHeight);
    SetView(V);
    if (V.TopLeft() == Before.TopLeft()) return;  // at the edge
    q->Paint();
    if (!UserPanned()) return;
    RestartZoomRest();
    q->DoZoomPanEvent();
}

bool TGeoMap::GoBackInZoomHistory() {
    Q_D(TGeoMap);
    return d->GoBackInZoomHistory();
}

bool TGeoMapPrivate::GoBackInZoomHistory() {
    Q_Q(TGeoMap);
    // A view still waiting for its rest is the one to come back to later.
    if (FKeys.RestTimer != 0) StoreRestedView();
    const TMapViewport V = Viewport();
    const TgmZoomStackEntry Now{V.TopLeft().X, V.TopLeft().Y, V.Magnify()};
    // On from the entry gone to last while the view is still that one, else
    // from the newest; entries that would not change the view are passed over.
    int Ix = q->GetZoomStackEntry(FKeys.HistoryIx) == Now ? FKeys.HistoryIx : 0;
    while (Ix > -(TGeoMap::ZoomStackSize - 1) && q->GetZoomStackEntry(Ix) == Now) --Ix;
    const TgmZoomStackEntry Entry = q->GetZoomStackEntry(Ix);
    if (Entry.Empty() || Entry == Now) return false;
    FKeys.HistoryIx = Ix;
    q->ZoomHistory(Ix);
    q->DoZoomPanEvent();
    return true;
}

void TGeoMapPrivate::RestartZoomRest() {
    Q_Q(TGeoMap);
    if (FKeys.RestTimer != 0) q->killTimer(FKeys.RestTimer);
    FKeys.RestTimer = q->startTimer(TGeoMap::ZoomRestMs);
}

void TGeoMapPrivate::StoreRestedView() {
    Q_Q(TGeoMap);
    q->killTimer(FKeys.RestTimer);
    FKeys.RestTimer = 0;
    q->ZoomStateOnStack();
}

void TGeoMap::timerEvent(QTimerEvent* Event) {
    Q_D(TGeoMap);
    if (d->FKeys.RestTimer == 0 || Event->timerId() != d->FKeys.RestTimer) return QWidget::timerEvent(Event);
    d->StoreRestedView();
}

void TGeoMapPrivate::DrawFocusFrame(QPainter& P) {
    Q_Q(TGeoMap);
    // The style decides, as for its own widgets (Fusion, say, only after focus came by keyboard).
    QStyleOptionFocusRect Option;
    Option.initFrom(q);
    Option.backgroundColor = q->palette().color(QPalette::Window);
    P.setCompositionMode(QPainter::CompositionMode_SourceOver);
    q->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &Option, &P, q);
}

}  // namespace zylcarto
