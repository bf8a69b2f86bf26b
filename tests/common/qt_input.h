#pragma once
// Input events sent straight to a widget. QTest would still address a widget that
// a handler deleted, moves the cursor only when no button is held, and has no
// wheel or gesture events; each of these returns whether the widget took the event.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QWheelEvent>
#include <QWidget>

namespace zylcarto::test {

inline bool SendEvent(QWidget& W, QEvent& E) {
    QApplication::sendEvent(&W, &E);
    return E.isAccepted();
}

inline bool SendMouse(QWidget& W, QEvent::Type Type, QPoint P, Qt::MouseButton Button = Qt::NoButton,
                      Qt::MouseButtons Held = Qt::NoButton, Qt::KeyboardModifiers K = {}) {
    QMouseEvent E(Type, P, W.mapToGlobal(P), Button, Held, K);
    return SendEvent(W, E);
}

// A wheel turned Delta eighths of a degree (120 a notch), a touchpad scrolled by as
// many pixels, or a pinch zooming by Delta / 240.
enum class TWheel { Angle, Pixels, Pinch };
inline bool SendWheel(QWidget& W, QPoint At, int Delta, TWheel Kind = TWheel::Angle) {
    if (Kind == TWheel::Pinch) {
        QNativeGestureEvent E(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, At, At,
                              W.mapToGlobal(At), Delta / 240.0, {});
        return SendEvent(W, E);
    }
    const QPoint D(0, Delta);
    QWheelEvent E(At, W.mapToGlobal(At), Kind == TWheel::Pixels ? D : QPoint(), Kind == TWheel::Pixels ? D / 8 : D,
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    return SendEvent(W, E);
}

inline bool SendKey(QWidget& W, int Key, Qt::KeyboardModifiers K = Qt::NoModifier) {
    QKeyEvent E(QEvent::KeyPress, Key, K);
    return SendEvent(W, E);
}

}  // namespace zylcarto::test
