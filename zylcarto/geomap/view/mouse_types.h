#pragma once
/// @file
/// Mouse buttons, shift states and the mouse events of the controls, as hosts
/// see them: buttons by ordinal and the shift state as a set of bits.
/// Plain values and handler types, usable from any thread.
#include <cstdint>
#include <functional>

#include <Qt>

namespace zylcarto {

class TObject;

/// The buttons the controls tell apart, by ordinal.
enum class TMouseButton : std::uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
using enum TMouseButton;

/// Keys held and buttons down during a mouse event.
using TShiftState = std::uint16_t;
/// @{
/// A bit of TShiftState: Shift, Alt or Ctrl held, the left, right or middle
/// button down, or the press of a double click.
inline constexpr TShiftState ssShift = 1 << 0;
inline constexpr TShiftState ssAlt = 1 << 1;
inline constexpr TShiftState ssCtrl = 1 << 2;
inline constexpr TShiftState ssLeft = 1 << 3;
inline constexpr TShiftState ssRight = 1 << 4;
inline constexpr TShiftState ssMiddle = 1 << 5;
inline constexpr TShiftState ssDouble = 1 << 6;
/// @}

/// A click, double click or other event that carries nothing but its sender.
using TNotifyEvent = std::function<void(TObject* Sender)>;
/// A press or release of Button at control pixel (X, Y).
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
/// A move to control pixel (X, Y).
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

/// The shift state of a Qt event (Buttons: the buttons down).
/// Meta and keypad modifiers and other buttons are left out; ssDouble is never set.
inline TShiftState ShiftFromQt(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons) {
    TShiftState S = 0;
    if (Modifiers & Qt::ShiftModifier) S |= ssShift;
    if (Modifiers & Qt::AltModifier) S |= ssAlt;
    if (Modifiers & Qt::ControlModifier) S |= ssCtrl;
    if (Buttons & Qt::LeftButton) S |= ssLeft;
    if (Buttons & Qt::RightButton) S |= ssRight;
    if (Buttons & Qt::MiddleButton) S |= ssMiddle;
    return S;
}

/// The button of a Qt event in Result; false, Result unchanged, for buttons
/// the controls do not distinguish (back, forward, ...).
inline bool ButtonFromQt(Qt::MouseButton Button, TMouseButton& Result) {
    switch (Button) {
    case Qt::LeftButton: Result = mbLeft; return true;
    case Qt::RightButton: Result = mbRight; return true;
    case Qt::MiddleButton: Result = mbMiddle; return true;
    default: return false;
    }
}

}  // namespace zylcarto
