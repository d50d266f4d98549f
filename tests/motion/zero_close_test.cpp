// Closing a zero-point window while its write waits on a slow controller:
// the write ends at the byte in flight, nothing more reaches the controller
// (no further slot, no direction byte, no reset on the way out), no box
// shows, and the window goes without waiting for the byte's answer.
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "ZeroWindowFixture.h"
#include "motion/ZeroPoints.h"

namespace {

constexpr int kSlowMs = 2000;
constexpr uint8_t kStored = 0x77;  // what the EEPROM holds before the write

}  // namespace

TEST_F(ZeroWindowTest, ACloseDuringASlowWriteEndsItWithoutSuccess) {
    struct Case {
        const char* what;
        QAction* menu;
        const char* form;
        int zeroBytes;  // zero bytes the write stores
    };
    const Case cases[] = {
        {"humanoid window", Main().mnuZero, "frmZeroKESTRA", 24},
        {"32-servo window", Main().mnuZero_all, "frmZero32", 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim().setReplyDelay(0);
        sim().setSilent(false);
        for (int i = 0; i < 32; ++i) sim().setEeprom(ZeroPoints::kZeroEeprom + i, kStored);
        for (int k = 0; k < 4; ++k) sim().setEeprom(ZeroPoints::kDirectionEeprom + k, kStored);
        QPointer<ZeroPoints::Window> w = OpenAndRead(c.menu, c.form);
        ASSERT_TRUE(w);

        sim().setReplyDelay(kSlowMs);
        sim().clearLogs();
        size_t receivedAtClose = 0;
        QTimer closer;
        closer.setInterval(5);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            // Into the write of the first slot.  From then on the controller
            // answers nothing new: a close that let the write go on would end
            // in the reply time-out's box.
            if (sim().received().size() < 2 || !w) return;
            closer.stop();
            sim().setSilent(true);
            receivedAtClose = sim().received().size();
            w->cmdClose->click();
        });
        closer.start();
        if (w) w->cmdWrite->click();

        ASSERT_TRUE(motion_wait::Until([&] { return !w; }));
        ASSERT_GT(receivedAtClose, 0u) << "closed before the write";
        EXPECT_FALSE(Main().Comm.PortOpen());
        EXPECT_FALSE(vxIO::Aborted());
        EXPECT_TRUE(Boxes().Calls().empty());
        EXPECT_TRUE(MotionMenusEnabled());

        // Nothing after the byte in flight: the slot cut short, the ones
        // after it, the direction bytes and the reset never went out.
        QTest::qWait(kSlowMs);  // a byte sent late would have arrived by now
        EXPECT_EQ(sim().received().size(), receivedAtClose);
        EXPECT_EQ(sim().resetCount(), 0);
        for (int i = 0; i < c.zeroBytes; ++i) EXPECT_EQ(sim().eeprom(ZeroPoints::kZeroEeprom + i), kStored) << i;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(sim().eeprom(ZeroPoints::kDirectionEeprom + k), kStored) << k;
    }
}

// A close while the read waits inside a motor-group read: the read ends
// there, and the group read's own failure code does not bring up a box.
TEST_F(ZeroWindowTest, ACloseDuringAGroupReadEndsTheReadWithoutABox) {
    struct Case {
        const char* what;
        QAction* menu;
        const char* form;
        int lateByte;  // a byte of the first group read
    };
    const Case cases[] = {
        // The stop command, then the group read's command and its replies.
        {"humanoid window", Main().mnuZero, "frmZeroKESTRA", 3},
        // The stop command, the 32 switches, then the group reads.
        {"32-servo window", Main().mnuZero_all, "frmZero32", 2 + 64 + 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.menu->trigger();
        QPointer<ZeroPoints::Window> w = Main().findChild<ZeroPoints::Window*>(QLatin1String(c.form));
        ASSERT_TRUE(w);
        ASSERT_TRUE(sim().waitIdle(2000));
        sim().clearLogs();
        sim().injectFault(ControllerSim::Fault::LateReply, c.lateByte, kSlowMs);
        size_t receivedAtClose = 0;
        QTimer closer;
        closer.setInterval(2);
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (sim().received().size() <= static_cast<size_t>(c.lateByte) || !w) return;
            closer.stop();
            receivedAtClose = sim().received().size();
            w->cmdClose->click();
        });
        closer.start();
        w->cmdRead->click();
        ASSERT_TRUE(motion_wait::Until([&] { return !w; }));
        EXPECT_TRUE(Boxes().Calls().empty());
        EXPECT_FALSE(Main().Comm.PortOpen());
        EXPECT_TRUE(sim().waitIdle(3 * kSlowMs));
        EXPECT_EQ(sim().received().size(), receivedAtClose);
        EXPECT_EQ(sim().resetCount(), 0);
    }
}
