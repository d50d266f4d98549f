// The quiet line after a broken frame belongs to the link, not to the window
// whose frame broke: a main-window command, or the same window closed and
// opened again at once, sends nothing until the quiet time has passed since
// the failing byte, then whole frames.
#include <QPointer>
#include <QTest>

#include "Move32Fixture.h"
#include "ServoMoves.h"

TEST_F(Move32Test, AfterABrokenMoveInAClosedWindowTheNextCommandWaitsForTheQuietLine) {
    struct Case {
        const char* what;
        bool reopen;  // else the main window's Run
    };
    const Case cases[] = {
        {"the main window's Run", false},
        {"the window opened again at once", true},
    };
    StartWithDocument();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(motion_wait::QuietLine());
        QPointer<frmMove32_G6> w = OpenFromMenu();
        ASSERT_NE(w, nullptr);
        // A short COMMtimeout: the floor keeps the line quiet.
        Main().TimeOut.setInterval(kFaultTimeOutMs);
        ServoKnob* knob = w->servo[0];
        knob->SetOn(true);
        ASSERT_TRUE(knob->SetValue(100));
        ASSERT_TRUE(sim().waitIdle(2000));
        sim().clearLogs();
        sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xE6, 1);
        QTest::keyClick(knob, Qt::Key_Up);
        ASSERT_TRUE(sim().waitIdle(2000));
        ASSERT_EQ(sim().received(), Bytes({0xE6, 0}));
        w->close();
        Settle();
        ASSERT_FALSE(w);

        Bytes expected{0xE6, 0};
        if (c.reopen) {
            w = OpenFromMenu();
            ASSERT_NE(w, nullptr);
        } else {
            Main().mnuConRun->trigger();
            expected.push_back(0xFB);
        }
        ASSERT_TRUE(sim().waitIdle(2000));
        const SentAfterByte after = SentAfter(sim(), 1);
        ASSERT_FALSE(after.bytes.empty());
        if (c.reopen) {
            // The window's load starts with a whole stop frame.
            EXPECT_EQ(after.bytes.front(), 0xFA);
        } else {
            EXPECT_EQ(after.bytes, Bytes({0xFB}));
        }
        EXPECT_GE(after.HostPauseAtLeastMs(), vxIO::kQuietFloorMs - 5);
        EXPECT_LT(after.firstAfterMs, vxIO::kQuietFloorMs + 1500);
        EXPECT_TRUE(Boxes().Calls().empty());
        if (w) {
            w->close();
            Settle();
        }
    }
}
