// The wait window: localised label, cycling bar, timer only while loaded.
#include <QLabel>
#include <QProgressBar>

#include "LinkFixture.h"
#include "protocol/modMainDelay.h"

TEST_F(LinkTest, WaitWindowBarCyclesAndStopsWhenUnloaded) {
    frmWait& w = frmWait::Load();
    EXPECT_EQ(&frmWait::Load(), &w);  // one window
    EXPECT_TRUE(w.Timer.isActive());
    EXPECT_EQ(w.Timer.interval(), 10);
    EXPECT_EQ(w.pb->minimum(), 0);
    EXPECT_EQ(w.pb->maximum(), 100);
    EXPECT_EQ(w.Label1->text(), QStringLiteral("wait a second."));

    w.Timer.stop();  // tick by hand
    for (int i = 1; i <= 100; ++i) w.Timer_Timer();
    EXPECT_EQ(w.pb->value(), 100);
    w.Timer_Timer();
    EXPECT_EQ(w.pb->value(), 0);
    EXPECT_EQ(w.Counter(), 0);
    w.Timer.start();

    frmWait::Unload();
    EXPECT_EQ(frmWait::Loaded(), nullptr);
    frmWait::Unload();  // unloading what is not loaded does nothing
}

TEST_F(LinkTest, WaitWindowMovesDuringALinkWait) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    frmWait& w = frmWait::Load();
    w.show();
    sim().setSilent(true);
    open();
    vxIO::SendByte(0xFB);  // waits out the time-out
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_GT(w.Counter(), 5);
    vxIO::CloseComm();

    // Closed by the user: unloaded, and its timer no longer runs.
    QPointer<frmWait> closed = &w;
    w.close();
    EXPECT_EQ(frmWait::Loaded(), nullptr);
    EXPECT_FALSE(closed && closed->Timer.isActive());
    modMain::Delay(20);  // lets the deferred delete run
}

TEST_F(LinkTest, WaitWindowInKorean) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    frmWait& w = frmWait::Load();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("잠시 기다려 주십시요."));
    frmWait::Unload();
}
