// Closing the main window while a controller exchange waits: the wait keeps
// its serial control and timers, the close ends the exchange at the byte in
// flight, and the window closes once it has ended.
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "SimulatedControllerFixture.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "motion/frmMove32_G6.h"
#include "platform/CodeEditor.h"
#include "platform/MsgBox.h"

namespace {

TEST_F(SimulatedControllerTest, ACloseDuringALinkWaitEndsTheExchangeFirst) {
    frmMain& w = Start();
    bool closeAccepted = true;
    bool unloadedInWait = true;
    bool portOpenInWait = false;
    bool fired = false;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (sim().received().size() < 4) return;
        closer.stop();
        fired = true;
        closeAccepted = w.close();
        unloadedInWait = w.Unloaded();
        portOpenInWait = w.Comm.PortOpen();
    });
    closer.start();
    sim().injectFault(ControllerSim::Fault::LateReply, 3, 300);
    vxIO::OpenComm();
    (void)vxIO::ReadMemory(100);
    const int16_t code = vxIO::CommError;
    vxIO::CloseComm();

    ASSERT_TRUE(fired);
    EXPECT_FALSE(closeAccepted);
    EXPECT_FALSE(unloadedInWait);
    EXPECT_TRUE(portOpenInWait);
    EXPECT_EQ(code, vxIO::kErrAborted);

    // With the exchange over, the asked-for close goes ahead by itself.
    for (int i = 0; i < 100 && !w.Unloaded(); ++i) QTest::qWait(10);
    EXPECT_TRUE(w.Unloaded());
}

}  // namespace

// Asked twice during the wait, the close is tried once afterwards: one save
// question, and a Cancel there keeps the program open.
TEST_F(SimulatedControllerTest, TwoClosesDuringAWaitAskOneSaveQuestion) {
    frmMain& w = Start();
    modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText(QStringLiteral("WAIT\r\n"));
    QTimer closer;
    closer.setInterval(5);
    bool fired = false;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (sim().received().size() < 4) return;
        closer.stop();
        fired = true;
        w.close();
        w.close();
    });
    closer.start();
    sim().injectFault(ControllerSim::Fault::LateReply, 3, 300);
    vxIO::OpenComm();
    (void)vxIO::ReadMemory(100);
    vxIO::CloseComm();
    ASSERT_TRUE(fired);

    Boxes().Answer(platform::vbCancel);
    QTest::qWait(400);
    EXPECT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_FALSE(w.Unloaded());
}

// A controller that answers every byte late keeps the real-time window's
// load going for minutes; a close of the main window during it ends the load
// at the byte in flight, closes the port, shows no error box and ends the
// program well within one reply time-out.
TEST_F(SimulatedControllerTest, AMainWindowCloseEndsASlowLoadOfTheRealTimeWindow) {
    constexpr int kSlowMs = 2000;
    frmMain& w = Start();
    sim().setReplyDelay(kSlowMs);
    QElapsedTimer sinceClose;
    size_t receivedAtClose = 0;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        // Well into the load: the stop command and the first motor's reads.
        if (sim().received().size() < 3) return;
        closer.stop();
        receivedAtClose = sim().received().size();
        sinceClose.start();
        w.close();
    });
    // A build that waits for the whole load gets a quick controller back
    // after a while, so that it fails here instead of running for minutes.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, &rescue, [&] {
        if (sinceClose.isValid() && !rescue.isActive()) rescue.start(4000);
    });
    QObject::connect(&rescue, &QTimer::timeout, [&] { sim().setReplyDelay(0); });
    closer.start();
    w.mnuMotorControl->trigger();

    qint64 closedAfterMs = -1;
    for (int i = 0; i < 1000 && !w.Unloaded(); ++i) QTest::qWait(10);
    if (w.Unloaded() && sinceClose.isValid()) closedAfterMs = sinceClose.elapsed();
    ASSERT_TRUE(sinceClose.isValid());
    EXPECT_TRUE(w.Unloaded());
    EXPECT_GE(closedAfterMs, 0);
    EXPECT_LT(closedAfterMs, 3000);
    EXPECT_FALSE(w.Comm.PortOpen());
    EXPECT_EQ(frmMove32_G6::Loaded(), nullptr);
    EXPECT_TRUE(Boxes().Calls().empty());
    EXPECT_FALSE(vxIO::Aborted());
    // Nothing went to the controller after the byte in flight.
    EXPECT_TRUE(sim().waitIdle(3 * kSlowMs));
    EXPECT_EQ(sim().received().size(), receivedAtClose);
}
