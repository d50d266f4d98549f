// The one map from Qt's keys to the key codes that the servo widgets' and
// the code editor's events carry: the keypad's keys apart from the main
// keyboard's, and the shift states and mouse buttons beside them.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "vxKeyCodes.h"
#include "vxServoSlide2.h"
#include "vxServoUpDown.h"

namespace {

struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int code;
};

const Qt::KeyboardModifiers kNone = Qt::NoModifier;
const Qt::KeyboardModifiers kPad = Qt::KeypadModifier;

TEST(KeyCodes, QtKeysWithTheirModifiersMapToOneCode) {
    const KeyCase cases[] = {
        // Letters and main-keyboard digits are their upper-case characters,
        // whatever modifiers come with them.
        {Qt::Key_A, kNone, 65},
        {Qt::Key_Z, Qt::ShiftModifier, 90},
        {Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, 81},
        {Qt::Key_0, kNone, 48},
        {Qt::Key_7, Qt::ShiftModifier, 55},
        {Qt::Key_9, kNone, 57},
        // The keypad's digits have codes of their own.
        {Qt::Key_0, kPad, 96},
        {Qt::Key_5, kPad, 101},
        {Qt::Key_7, kPad | Qt::ControlModifier, 103},
        {Qt::Key_9, kPad, 105},
        // The keypad's operators have codes; the main keyboard's have none.
        {Qt::Key_Asterisk, kPad, 106},
        {Qt::Key_Plus, kPad, 107},
        {Qt::Key_Minus, kPad, 109},
        {Qt::Key_Slash, kPad, 111},
        {Qt::Key_Asterisk, Qt::ShiftModifier, 0},
        {Qt::Key_Plus, Qt::ShiftModifier, 0},
        {Qt::Key_Minus, kNone, 0},
        {Qt::Key_Slash, kNone, 0},
        // The keypad's other keys are the keys they stand for.
        {Qt::Key_Enter, kPad, 13},
        {Qt::Key_Home, kPad, 36},
        {Qt::Key_Left, kPad, 37},
        {Qt::Key_Insert, kPad, 45},
        {Qt::Key_Delete, kPad, 46},
        {Qt::Key_Period, kPad, 0},
        // Function keys.
        {Qt::Key_F1, kNone, 112},
        {Qt::Key_F4, kNone, 115},
        {Qt::Key_F4, Qt::ShiftModifier, 115},
        {Qt::Key_F12, kNone, 123},
        {Qt::Key_F24, kNone, 135},
        // The named keys.
        {Qt::Key_Backspace, kNone, 8},
        {Qt::Key_Tab, kNone, 9},
        {Qt::Key_Backtab, Qt::ShiftModifier, 9},
        {Qt::Key_Return, kNone, 13},
        {Qt::Key_Shift, Qt::ShiftModifier, 16},
        {Qt::Key_Control, Qt::ControlModifier, 17},
        {Qt::Key_Alt, Qt::AltModifier, 18},
        {Qt::Key_Pause, kNone, 19},
        {Qt::Key_CapsLock, kNone, 20},
        {Qt::Key_Escape, kNone, 27},
        {Qt::Key_Space, kNone, 32},
        {Qt::Key_PageUp, kNone, 33},
        {Qt::Key_PageDown, kNone, 34},
        {Qt::Key_End, kNone, 35},
        {Qt::Key_Home, kNone, 36},
        {Qt::Key_Up, kNone, 38},
        {Qt::Key_Right, kNone, 39},
        {Qt::Key_Down, kNone, 40},
        {Qt::Key_Insert, kNone, 45},
        {Qt::Key_Delete, kNone, 46},
        // Keys without a code.
        {Qt::Key_unknown, kNone, 0},
        {Qt::Key_Meta, Qt::MetaModifier, 0},
        {Qt::Key_Comma, kNone, 0},
        {Qt::Key_Hangul, kNone, 0},
    };
    for (const KeyCase& c : cases) {
        EXPECT_EQ(vxKey::CodeOf(c.key, c.modifiers), c.code)
            << "key 0x" << std::hex << c.key << " modifiers 0x" << c.modifiers.toInt();
    }
}

TEST(KeyCodes, ShiftStatesAndButtonsAreAddedFlags) {
    const std::pair<Qt::KeyboardModifiers, int> shifts[] = {
        {Qt::NoModifier, 0},
        {Qt::ShiftModifier, 1},
        {Qt::ControlModifier, 2},
        {Qt::AltModifier, 4},
        {Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier, 7},
        {Qt::KeypadModifier, 0},  // the keypad is no modifier key
        {Qt::MetaModifier | Qt::ShiftModifier, 1},
    };
    for (const auto& [modifiers, shift] : shifts)
        EXPECT_EQ(vxKey::ShiftOf(modifiers), shift) << "modifiers 0x" << std::hex << modifiers.toInt();

    const std::pair<Qt::MouseButtons, int> buttons[] = {
        {Qt::NoButton, 0},
        {Qt::LeftButton, 1},
        {Qt::RightButton, 2},
        {Qt::MiddleButton, 4},
        {Qt::LeftButton | Qt::RightButton | Qt::MiddleButton, 7},
        {Qt::BackButton, 0},
    };
    for (const auto& [pressed, code] : buttons)
        EXPECT_EQ(vxKey::ButtonsOf(pressed), code) << "buttons 0x" << std::hex << pressed.toInt();
}

// A key pressed on a widget: the code and shift state of its KeyDown (the
// modifier keys' own KeyDowns aside).
template <typename Widget>
std::vector<std::pair<int, int>> KeyDowns(Widget& w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QSignalSpy down(&w, &Widget::KeyDown);
    QTest::keyClick(&w, key, modifiers);
    std::vector<std::pair<int, int>> seen;
    for (const auto& args : down) {
        const int code = args.at(0).value<int16_t>();
        if (code < 16 || code > 18) seen.emplace_back(code, args.at(1).value<int16_t>());
    }
    return seen;
}

TEST(KeyCodes, ServoWidgetsReportTheKeypadKeysByTheirCodes) {
    QWidget host;
    auto* slide = new vxServoSlide2(&host);
    auto* updown = new vxServoUpDown(&host);
    updown->move(0, 80);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    const KeyCase cases[] = {
        {Qt::Key_Plus, kPad, 107}, {Qt::Key_Minus, kPad, 109}, {Qt::Key_5, kPad, 101},
        {Qt::Key_Minus, kNone, 0}, {Qt::Key_5, kNone, 53},     {Qt::Key_F4, Qt::ControlModifier, 115},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << c.key);
        const int shift = (c.modifiers & Qt::ControlModifier) ? 2 : 0;
        const std::vector<std::pair<int, int>> expected{{c.code, shift}};
        EXPECT_EQ(KeyDowns(*slide, c.key, c.modifiers), expected);
        EXPECT_EQ(KeyDowns(*updown, c.key, c.modifiers), expected);
    }
}

}  // namespace
