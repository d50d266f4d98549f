#include "vxKeyCodes.h"

#include <QKeyEvent>

namespace vxKey {

namespace {

struct KeyRow {
    Qt::Key qtKey;
    int16_t code;
};

// Keys with a code of their own wherever they stand.
constexpr KeyRow kKeys[] = {
    {Qt::Key_Backspace, Back},    {Qt::Key_Tab, Tab},           {Qt::Key_Backtab, Tab},
    {Qt::Key_Return, Return},     {Qt::Key_Enter, Return},      {Qt::Key_Shift, Shift},
    {Qt::Key_Control, Control},   {Qt::Key_Alt, Alt},           {Qt::Key_Pause, Pause},
    {Qt::Key_CapsLock, CapsLock}, {Qt::Key_Escape, Escape},     {Qt::Key_Space, Space},
    {Qt::Key_PageUp, PageUp},     {Qt::Key_PageDown, PageDown}, {Qt::Key_End, End},
    {Qt::Key_Home, Home},         {Qt::Key_Left, Left},         {Qt::Key_Up, Up},
    {Qt::Key_Right, Right},       {Qt::Key_Down, Down},         {Qt::Key_Insert, Insert},
    {Qt::Key_Delete, Delete},
};

// The keypad's operators: only with the keypad's flag.
constexpr KeyRow kKeypadOperators[] = {
    {Qt::Key_Asterisk, Multiply},
    {Qt::Key_Plus, Add},
    {Qt::Key_Minus, Subtract},
    {Qt::Key_Slash, Divide},
};

}  // namespace

int16_t CodeOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<int16_t>(qtKey);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<int16_t>(keypad ? Numpad0 + (qtKey - Qt::Key_0) : qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<int16_t>(F1 + (qtKey - Qt::Key_F1));
    if (keypad)
        for (const KeyRow& row : kKeypadOperators)
            if (row.qtKey == qtKey) return row.code;
    for (const KeyRow& row : kKeys)
        if (row.qtKey == qtKey) return row.code;
    return 0;
}

int16_t CodeOf(const QKeyEvent* e) { return CodeOf(e->key(), e->modifiers()); }

int16_t ShiftOf(Qt::KeyboardModifiers modifiers) {
    int16_t s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ShiftMask;
    if (modifiers & Qt::ControlModifier) s |= CtrlMask;
    if (modifiers & Qt::AltModifier) s |= AltMask;
    return s;
}

int16_t ButtonsOf(Qt::MouseButtons buttons) {
    int16_t n = 0;
    if (buttons & Qt::LeftButton) n |= LeftButton;
    if (buttons & Qt::RightButton) n |= RightButton;
    if (buttons & Qt::MiddleButton) n |= MiddleButton;
    return n;
}

}  // namespace vxKey
