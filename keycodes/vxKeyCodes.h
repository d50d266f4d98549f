// The key codes, shift states and mouse buttons that the key and mouse
// events of the program's controls carry: the servo widgets' events and the
// code editor's.  One map from Qt's keys to the codes, used by both.
//
// Key codes are those of the virtual-key set: letters 65-90 and digits
// 48-57 as their upper-case characters ('A', '0'), the keypad's digits
// 96-105 and its * + - / 106, 107, 109, 111, F1-F24 112-135, and the named
// codes below; 0 for a key without one (a key the map does not hold, text
// typed through an input method).  Qt reports a key of the numeric keypad
// with Qt::KeypadModifier: a digit or operator without it is one of the main
// keyboard (whose * + - / have no code here).
//
// On Qt Gui alone, without Qt Widgets: the servo widget library and the
// platform layer both link it.
#pragma once

#include <Qt>

#include <cstdint>

class QKeyEvent;

namespace vxKey {

inline constexpr int16_t Back = 8;
inline constexpr int16_t Tab = 9;
inline constexpr int16_t Return = 13;
inline constexpr int16_t Shift = 16;
inline constexpr int16_t Control = 17;
inline constexpr int16_t Alt = 18;
inline constexpr int16_t Pause = 19;
inline constexpr int16_t CapsLock = 20;
inline constexpr int16_t Escape = 27;
inline constexpr int16_t Space = 32;
inline constexpr int16_t PageUp = 33;
inline constexpr int16_t PageDown = 34;
inline constexpr int16_t End = 35;
inline constexpr int16_t Home = 36;
inline constexpr int16_t Left = 37;
inline constexpr int16_t Up = 38;
inline constexpr int16_t Right = 39;
inline constexpr int16_t Down = 40;
inline constexpr int16_t Insert = 45;
inline constexpr int16_t Delete = 46;
inline constexpr int16_t Numpad0 = 96;  // Numpad0 + n for the keypad's digit n
inline constexpr int16_t Multiply = 106;
inline constexpr int16_t Add = 107;
inline constexpr int16_t Subtract = 109;
inline constexpr int16_t Divide = 111;
inline constexpr int16_t F1 = 112;  // F1 + n - 1 for Fn
inline constexpr int16_t F2 = 113;
inline constexpr int16_t F3 = 114;
inline constexpr int16_t F4 = 115;
inline constexpr int16_t F5 = 116;
inline constexpr int16_t F6 = 117;
inline constexpr int16_t F7 = 118;
inline constexpr int16_t F8 = 119;
inline constexpr int16_t F9 = 120;
inline constexpr int16_t F10 = 121;
inline constexpr int16_t F11 = 122;
inline constexpr int16_t F12 = 123;

// Shift state: the held modifier keys, added.
inline constexpr int16_t ShiftMask = 1;
inline constexpr int16_t CtrlMask = 2;
inline constexpr int16_t AltMask = 4;

// Mouse buttons, added.
inline constexpr int16_t LeftButton = 1;
inline constexpr int16_t RightButton = 2;
inline constexpr int16_t MiddleButton = 4;

// The key code of a Qt key (Qt::Key) pressed with `modifiers`.
int16_t CodeOf(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
int16_t CodeOf(const QKeyEvent* e);
// The shift state of held modifiers (the keypad's flag is no modifier key).
int16_t ShiftOf(Qt::KeyboardModifiers modifiers);
// The buttons among left, right and middle.
int16_t ButtonsOf(Qt::MouseButtons buttons);

}  // namespace vxKey
