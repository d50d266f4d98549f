// Message boxes: button sets, default buttons and return values, on the real
// box (answered by clicking from a timer) and through the scripted responder.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <functional>

#include "ScriptedDialogs.h"
#include "platform/MsgBox.h"

using namespace platform;

namespace {

// Runs `act` on the message box as soon as it is shown.
void WhenBoxShows(std::function<void(QMessageBox*)> act) {
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

QMessageBox::StandardButton Standard(int16_t result) {
    switch (result) {
    case vbOK: return QMessageBox::Ok;
    case vbCancel: return QMessageBox::Cancel;
    case vbAbort: return QMessageBox::Abort;
    case vbRetry: return QMessageBox::Retry;
    case vbIgnore: return QMessageBox::Ignore;
    case vbYes: return QMessageBox::Yes;
    default: return QMessageBox::No;
    }
}

TEST(MsgBox, ButtonSetsAndDefaults) {
    using V = std::vector<int16_t>;
    EXPECT_EQ(MsgBoxButtons(vbOKOnly), V({vbOK}));
    EXPECT_EQ(MsgBoxButtons(vbOKCancel | vbQuestion), V({vbOK, vbCancel}));
    EXPECT_EQ(MsgBoxButtons(vbAbortRetryIgnore), V({vbAbort, vbRetry, vbIgnore}));
    EXPECT_EQ(MsgBoxButtons(vbYesNoCancel | vbExclamation), V({vbYes, vbNo, vbCancel}));
    EXPECT_EQ(MsgBoxButtons(vbYesNo | vbCritical), V({vbYes, vbNo}));
    EXPECT_EQ(MsgBoxButtons(vbRetryCancel | vbInformation), V({vbRetry, vbCancel}));
    EXPECT_EQ(MsgBoxButtons(7), V({vbOK}));  // no such set

    EXPECT_EQ(MsgBoxDefaultResult(vbYesNo), vbYes);
    EXPECT_EQ(MsgBoxDefaultResult(vbYesNo | vbDefaultButton2), vbNo);
    EXPECT_EQ(MsgBoxDefaultResult(vbYesNoCancel | vbDefaultButton3), vbCancel);
    EXPECT_EQ(MsgBoxDefaultResult(vbOKOnly | vbDefaultButton3), vbOK);  // past the last button
}

TEST(MsgBox, RealBoxReturnsTheClickedButton) {
    struct Case {
        int style;
        int16_t click;
    } cases[] = {
        {vbOKOnly, vbOK},          {vbOKCancel, vbCancel},     {vbAbortRetryIgnore, vbAbort},
        {vbAbortRetryIgnore, vbRetry}, {vbAbortRetryIgnore, vbIgnore}, {vbYesNoCancel, vbYes},
        {vbYesNoCancel, vbNo},     {vbYesNo | vbQuestion, vbNo}, {vbRetryCancel | vbCritical, vbRetry},
    };
    for (const Case& c : cases) {
        int buttons = 0;
        WhenBoxShows([&](QMessageBox* box) {
            buttons = static_cast<int>(box->buttons().size());
            box->button(Standard(c.click))->click();
        });
        EXPECT_EQ(MsgBox("prompt", c.style, "title"), c.click) << c.style;
        EXPECT_EQ(static_cast<size_t>(buttons), MsgBoxButtons(c.style).size()) << c.style;
    }
}

TEST(MsgBox, RealBoxShowsPlainTextIconDefaultAndTitle) {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    WhenBoxShows([&](QMessageBox* box) {
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        defaultButton = box->standardButton(box->defaultButton());
        box->reject();  // Escape: the Cancel button answers
    });
    const int16_t result =
        MsgBox("Press <OK> button,\r\ndownload codes.", vbYesNoCancel | vbExclamation | vbDefaultButton2);
    EXPECT_EQ(result, vbCancel);
    EXPECT_EQ(text, "Press <OK> button,\ndownload codes.");
    EXPECT_EQ(title, QApplication::applicationDisplayName());
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(defaultButton, QMessageBox::No);
}

TEST(MsgBox, ResponderAnswersWithoutAWindowAndRecords) {
    ScriptedMsgBox boxes;
    boxes.Answer(vbNo).Answer(vbRetry);
    EXPECT_EQ(MsgBox("first", vbYesNo | vbQuestion, "Save"), vbNo);
    EXPECT_EQ(MsgBox("second", vbRetryCancel), vbRetry);
    ASSERT_EQ(boxes.Calls().size(), 2u);
    EXPECT_EQ(boxes.Calls()[0].prompt, "first");
    EXPECT_EQ(boxes.Calls()[0].style, vbYesNo | vbQuestion);
    EXPECT_EQ(boxes.Calls()[0].title, "Save");
    EXPECT_EQ(boxes.Calls()[1].title, QApplication::applicationDisplayName());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
