// The main window's controller commands asked for while another controller
// exchange waits (a stop waiting out the quiet line after a frame that broke
// off): none of them reaches the wire, each says in the status bar that it
// was not carried out, and the next command carried out takes the message
// away.
#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

#include "SimulatedControllerFixture.h"
#include "mainwindow/frmMain.h"
#include "protocol/vxIO_Protocol.h"

TEST_F(SimulatedControllerTest, CommandsAskedForDuringAWaitSayTheyWereNotCarriedOut) {
    frmMain& w = Start();
    ASSERT_EQ(modMain::PortType, 1);
    // With a short reply time-out the link's floor is the quiet time.
    w.TimeOut.setInterval(kShortTimeOutMs);
    const QString notCarriedOut = QStringLiteral("Controller busy: command not carried out.");
    QLabel* status = w.Panel(1);
    ASSERT_NE(status, nullptr);

    // A stop whose echo comes back wrong: the line must stay quiet.
    sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xFA, 0);
    w.mnuConStop->trigger();
    ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);
    ASSERT_TRUE(sim().waitIdle(2000));
    sim().clearLogs();

    const struct {
        const char* what;
        QAction* item;
    } commands[] = {
        {"run", w.mnuConRun},
        {"stop", w.mnuConStop},
        {"reset", w.mnuConReset},
        {"memory clear", w.mnuMemClear},
        {"information", w.mnuConInfo},
        {"servos off", w.mnuMotor_all_OFF},
        {"current line", w.mnuCurrentLineControl},
    };
    // Asked for while the next stop waits for the quiet line.
    std::vector<QString> shown;
    bool asked = false;
    QTimer asker;
    asker.setInterval(1);
    QObject::connect(&asker, &QTimer::timeout, [&] {
        if (asked || !vxIO::Busy() || vxIO::BrokenFrameQuietMs() <= 0) return;
        asked = true;
        for (const auto& c : commands) {
            status->clear();
            c.item->trigger();
            shown.push_back(status->text());
        }
    });
    asker.start();
    w.mnuConStop->trigger();
    asker.stop();
    ASSERT_TRUE(asked);
    EXPECT_EQ(vxIO::CommError, 0);

    ASSERT_EQ(shown.size(), std::size(commands));
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], notCarriedOut) << commands[i].what;
    ASSERT_TRUE(sim().waitIdle(2000));
    EXPECT_EQ(sim().received(), Bytes{0xFA});  // the waiting stop alone
    EXPECT_EQ(status->text(), notCarriedOut);
    EXPECT_TRUE(Boxes().Calls().empty());

    // Asked for again with nothing waiting: carried out, and the message goes.
    sim().clearLogs();
    w.mnuConRun->trigger();
    EXPECT_EQ(vxIO::CommError, 0);
    ASSERT_TRUE(sim().waitIdle(2000));
    EXPECT_EQ(sim().received(), Bytes{0xFB});
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_FALSE(w.Comm.PortOpen());
}
