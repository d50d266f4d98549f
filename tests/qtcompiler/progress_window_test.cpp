// The compiler's progress window and delay timer inside a running
// application.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "compiler/QUARVELv2.h"
#include "compiler/frmCompile.h"

namespace {

qvv2::frmCompile* OpenProgressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<qvv2::frmCompile*>(w)) return f;
    return nullptr;
}

TEST(ProgressWindow, ChangeValueSetsLabelAndBar) {
    qvv2::frmCompile f;
    EXPECT_EQ(f.lblpercent->text(), QStringLiteral("0%"));
    f.ChangeValue(35);
    EXPECT_EQ(f.lblpercent->text(), QStringLiteral("35%"));
    EXPECT_EQ(f.PB->value(), 35);
    f.ChangeValue(100);
    EXPECT_EQ(f.PB->value(), 100);
}

TEST(ProgressWindow, ShownWithTheCaptionWhileCompilingAndGoneAfter) {
    qvv2::QUARVELv2 c;
    c.CompileMsg = u"Übersetzen...";
    QString seenCaption;
    bool seenVisible = false;
    // The compile hands control to the event queue; look at the window then.
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (auto* f = OpenProgressWindow()) {
            seenCaption = f->windowTitle();
            seenVisible = f->isVisible();
        }
    });
    probe.start(0);
    std::u16string text;
    for (int i = 0; i < 3000; ++i) text += u"' comment line\r\n";
    c.Compile(text);
    probe.stop();
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(OpenProgressWindow(), nullptr);
    EXPECT_TRUE(seenVisible);
    EXPECT_EQ(seenCaption, QStringLiteral("Übersetzen..."));
}

TEST(DelayTime, KeepsTheEventQueueRunning) {
    qvv2::QUARVELv2 c;
    // A timer of no interval runs on every turn of the event queue: the wait
    // turns it again and again, not once at its start or end.
    int turns = 0;
    QTimer t;
    QObject::connect(&t, &QTimer::timeout, [&] { ++turns; });
    t.start(0);
    QElapsedTimer clock;
    clock.start();
    int32_t ms = 100;
    c.DelayTime(ms);
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_GE(turns, 5);
}

// Outside 1..60000 ms nothing is waited: not one event is handled.
TEST(DelayTime, OutsideItsRangeHandsNoControlToTheEventQueue) {
    qvv2::QUARVELv2 c;
    for (int32_t ms : {0, -5, 60001, 1000000}) {
        SCOPED_TRACE(ms);
        bool handled = false;
        QTimer::singleShot(0, [&] { handled = true; });
        c.DelayTime(ms);
        EXPECT_FALSE(handled);
        // The event queue's turn, before the next value's event is posted.
        QCoreApplication::processEvents();
        EXPECT_TRUE(handled);
    }
}

}  // namespace
