// Message boxes with the button sets, icons and return values that the
// program's procedures test, and a responder hook through which tests answer
// every box without a window ever appearing.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace platform {

// Style: one button set, plus one icon, plus one default-button choice.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button the user chose.
enum MsgBoxResult : int16_t {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

struct MsgBoxCall {
    QString prompt;
    int style = vbOKOnly;
    QString title;  // as shown: the caller's title, or the program's name
};

// A responder answers a box instead of the user.  Install one (tests do so
// through tests/support) and every MsgBox returns its answer at once.
using MsgBoxResponder = std::function<int16_t(const MsgBoxCall&)>;

// Installs `responder` (an empty one removes it); returns the previous one.
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder);

// Shows a modal message box and returns the chosen button.  An empty title
// shows the program's name.  Without a responder and without a running
// QApplication nothing is shown and the default button's value comes back.
int16_t MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString(),
               QWidget* owner = nullptr);

// The buttons of a style's button set, left to right, as result values.
// Unknown button sets count as vbOKOnly.
std::vector<int16_t> MsgBoxButtons(int style);

// The value of the style's default button.
int16_t MsgBoxDefaultResult(int style);

}  // namespace platform
