// Closing the main window while a controller exchange waits: the wait keeps
// its serial control and timers, the close ends the exchange at the byte in
// flight, and the window closes once it has ended.
//
// The controller never answers, so that only the close (or the reply
// time-out, when the close fails to end the wait) can end it.  The close is
// asked for from a timer that looks every few milliseconds whether the link
// waits for an answer (its reply time-out runs only then): that timer is
// always due before the time-out, however late a busy machine runs the
// event queue, so the close comes inside the wait every time.
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#include "SimulatedControllerFixture.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "motion/frmMove32_G6.h"
#include "platform/CodeEditor.h"
#include "platform/MsgBox.h"

namespace {

// How long a test waits for a state it expects before it gives up and fails.
constexpr int kGiveUpMs = 30000;

// Runs `then` once, from the event queue, the first time the main window's
// link waits for the controller's answer.
class WhenTheLinkWaits {
public:
    WhenTheLinkWaits(frmMain& w, std::function<void()> then) {
        poll_.setInterval(5);
        QObject::connect(&poll_, &QTimer::timeout, [this, &w, then = std::move(then)] {
            if (!w.TimeOut.isActive()) return;
            poll_.stop();
            fired_ = true;
            then();
        });
        poll_.start();
    }
    bool Fired() const { return fired_; }

private:
    QTimer poll_;
    bool fired_ = false;
};

// Counts the main window's reply time-outs that run out: a close that ended
// the wait leaves none.
class TimeOutCount {
public:
    explicit TimeOutCount(frmMain& w) { QObject::connect(&w.TimeOut, &QTimer::timeout, &context_, [this] { ++count_; }); }
    int operator()() const { return count_; }

private:
    QObject context_;
    int count_ = 0;
};

TEST_F(SimulatedControllerTest, ACloseDuringALinkWaitEndsTheExchangeFirst) {
    frmMain& w = Start();
    sim().setSilent(true);
    const TimeOutCount timeOuts(w);
    bool closeAccepted = true;
    bool unloadedInWait = true;
    bool portOpenInWait = false;
    const WhenTheLinkWaits closer(w, [&] {
        closeAccepted = w.close();
        unloadedInWait = w.Unloaded();
        portOpenInWait = w.Comm.PortOpen();
    });
    vxIO::OpenComm();
    (void)vxIO::ReadMemory(100);
    const int16_t code = vxIO::CommError;
    vxIO::CloseComm();

    ASSERT_TRUE(closer.Fired());
    EXPECT_FALSE(closeAccepted);
    EXPECT_FALSE(unloadedInWait);
    EXPECT_TRUE(portOpenInWait);
    EXPECT_EQ(code, vxIO::kErrAborted);
    EXPECT_EQ(timeOuts(), 0);

    // With the exchange over, the asked-for close goes ahead by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Unloaded(); }, kGiveUpMs));
    EXPECT_TRUE(Boxes().Calls().empty());
}

// Asked twice during the wait, the close is tried once afterwards: one save
// question, and a Cancel there keeps the program open.
TEST_F(SimulatedControllerTest, TwoClosesDuringAWaitAskOneSaveQuestion) {
    frmMain& w = Start();
    sim().setSilent(true);
    const TimeOutCount timeOuts(w);
    modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText(QStringLiteral("WAIT\r\n"));
    // A second question would come from a second try of the put-off close.
    // Both tries would be asked for by the two closes, a moment apart, and
    // run 50 ms later; a timer started when the first question comes, with
    // a delay far longer than that moment, runs after the second try.
    constexpr int kSecondTryWouldHaveComeMs = 500;
    QTimer afterTheQuestion;
    afterTheQuestion.setSingleShot(true);
    afterTheQuestion.setInterval(kSecondTryWouldHaveComeMs);
    bool questionDone = false;
    QObject::connect(&afterTheQuestion, &QTimer::timeout, [&] { questionDone = true; });
    Boxes().Answer(platform::vbCancel).WhenShown([&](const platform::MsgBoxCall&) {
        if (!afterTheQuestion.isActive() && !questionDone) afterTheQuestion.start();
    });
    const WhenTheLinkWaits closer(w, [&] {
        w.close();
        w.close();
    });
    vxIO::OpenComm();
    (void)vxIO::ReadMemory(100);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrAborted);
    vxIO::CloseComm();
    ASSERT_TRUE(closer.Fired());
    // Nothing was asked while the exchange waited.
    EXPECT_TRUE(Boxes().Calls().empty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return questionDone; }, kGiveUpMs));
    EXPECT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_FALSE(w.Unloaded());
    EXPECT_EQ(timeOuts(), 0);
}

// The real-time window's load reads every servo of a controller that answers
// nothing, one reply time-out after the other; a close of the main window
// during it ends the load at the byte in flight, closes the port, shows no
// error box and ends the program before the reply time-out runs out.
TEST_F(SimulatedControllerTest, AMainWindowCloseEndsASlowLoadOfTheRealTimeWindow) {
    frmMain& w = Start();
    sim().setSilent(true);
    const TimeOutCount timeOuts(w);
    const WhenTheLinkWaits closer(w, [&] { w.close(); });
    w.mnuMotorControl->trigger();

    ASSERT_TRUE(closer.Fired());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.Unloaded(); }, kGiveUpMs));
    EXPECT_EQ(timeOuts(), 0);
    EXPECT_FALSE(w.Comm.PortOpen());
    EXPECT_EQ(frmMove32_G6::Loaded(), nullptr);
    EXPECT_TRUE(Boxes().Calls().empty());
    EXPECT_FALSE(vxIO::Aborted());
    // Nothing went to the controller after the byte in flight, the load's
    // first.
    ASSERT_TRUE(sim().waitForReceived(1, kGiveUpMs));
    EXPECT_EQ(sim().received().size(), 1u);
}

}  // namespace
