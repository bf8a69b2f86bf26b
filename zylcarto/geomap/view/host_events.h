#pragma once
/// @file
/// Firing a host's events from a control. A host's handler or slot may delete the
/// control it was called for; what fires an event learns whether it did, and
/// must then not touch the control again. Header-only; on the control's thread.
#include <QPointer>

namespace zylcarto {

/// Runs Call, which may end in a host's handler; false when Control is gone after it.
/// Control must be a QObject; what Run raises passes through.
template <typename Control, typename Call>
bool SurvivesCall(Control* C, const Call& Run) {
    const QPointer<Control> Self(C);
    Run();
    return !Self.isNull();
}

/// The handler property first (a copy, so that a handler that replaces or destroys
/// it still finishes), then the signal; false when Control is gone after either.
/// An empty handler is skipped; the signal is emitted whether or not it is connected.
template <typename Control, typename Handler, typename Signal, typename... Args>
bool FireHostEvent(Control* C, const Handler& Property, Signal Sig, Args&... A) {
    if (Property && !SurvivesCall(C, [&, H = Property] { H(C, A...); })) return false;
    return SurvivesCall(C, [&] { Q_EMIT(C->*Sig)(A...); });
}

}  // namespace zylcarto
