// Closing the main window while a controller exchange waits: the wait keeps
// its serial control and timers, and the window closes once it has ended.
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "SimulatedControllerFixture.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"
#include "platform/CodeEditor.h"
#include "platform/MsgBox.h"

namespace {

TEST_F(SimulatedControllerTest, ACloseDuringALinkWaitWaitsForTheExchange) {
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
    EXPECT_EQ(code, 0);

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
