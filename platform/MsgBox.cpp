#include "platform/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace platform {
namespace {

MsgBoxResponder& Responder() {
    static MsgBoxResponder responder;
    return responder;
}

QMessageBox::StandardButton ToStandard(int16_t result) {
    switch (result) {
    case vbOK:
        return QMessageBox::Ok;
    case vbCancel:
        return QMessageBox::Cancel;
    case vbAbort:
        return QMessageBox::Abort;
    case vbRetry:
        return QMessageBox::Retry;
    case vbIgnore:
        return QMessageBox::Ignore;
    case vbYes:
        return QMessageBox::Yes;
    case vbNo:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

int16_t FromStandard(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return vbOK;
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Abort:
        return vbAbort;
    case QMessageBox::Retry:
        return vbRetry;
    case QMessageBox::Ignore:
        return vbIgnore;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    default:
        return 0;
    }
}

QMessageBox::Icon IconOf(int style) {
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Result when a box is closed without a button: Cancel when the set has one,
// else the only button of an OK box, else the default button.
int16_t DismissResult(int style) {
    const std::vector<int16_t> buttons = MsgBoxButtons(style);
    for (int16_t b : buttons)
        if (b == vbCancel) return vbCancel;
    return MsgBoxDefaultResult(style);
}

QString ShownTitle(const QString& title) {
    if (!title.isEmpty()) return title;
    return QApplication::applicationDisplayName();
}

}  // namespace

std::vector<int16_t> MsgBoxButtons(int style) {
    switch (style & 0xF) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

int16_t MsgBoxDefaultResult(int style) {
    const std::vector<int16_t> buttons = MsgBoxButtons(style);
    const size_t index = static_cast<size_t>((style >> 8) & 0x3);
    return index < buttons.size() ? buttons[index] : buttons.front();
}

MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder) {
    return std::exchange(Responder(), std::move(responder));
}

int16_t MsgBox(const QString& prompt, int style, const QString& title, QWidget* owner) {
    if (Responder()) {
        const MsgBoxCall call{prompt, style, ShownTitle(title)};
        return Responder()(call);
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return MsgBoxDefaultResult(style);

    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');

    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setIcon(IconOf(style));
    box.setWindowTitle(ShownTitle(title));
    box.setTextFormat(Qt::PlainText);  // texts like "<OK>" are words, not markup
    box.setText(text);
    for (int16_t b : MsgBoxButtons(style)) box.addButton(ToStandard(b));
    box.setDefaultButton(ToStandard(MsgBoxDefaultResult(style)));
    const std::vector<int16_t> buttons = MsgBoxButtons(style);
    if (buttons.size() == 1)
        box.setEscapeButton(box.button(ToStandard(buttons.front())));
    else if (QAbstractButton* cancel = box.button(QMessageBox::Cancel))
        box.setEscapeButton(cancel);
    box.exec();

    QAbstractButton* clicked = box.clickedButton();
    const int16_t result = clicked ? FromStandard(box.standardButton(clicked)) : 0;
    return result != 0 ? result : DismissResult(style);
}

}  // namespace platform
