// A zero box changed while the controller is still answering the live write
// of another box: the change waits for the link and then goes out with the
// box's latest value, so the controller ends where the boxes stand.
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

#include "ZeroWindowFixture.h"
#include "motion/ZeroPoints.h"
#include "motion/frmZero32.h"
#include "motion/frmZeroKESTRA.h"
#include "vxServoUpDown.h"

TEST_F(ZeroWindowTest, ABoxChangedDuringALiveWriteIsWrittenOnceTheLinkIsFree) {
    struct Case {
        const char* what;
        QAction* menu;
        const char* form;
        std::function<vxServoUpDown*(ZeroPoints::Window*, int)> box;
    };
    const Case cases[] = {
        {"humanoid window", Main().mnuZero, "frmZeroKESTRA",
         [](ZeroPoints::Window* w, int i) { return static_cast<frmZeroKESTRA*>(w)->ZeroUD[static_cast<size_t>(i)]; }},
        {"32-servo window", Main().mnuZero_all, "frmZero32",
         [](ZeroPoints::Window* w, int i) { return static_cast<frmZero32*>(w)->ZeroUD[static_cast<size_t>(i)]; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QPointer<ZeroPoints::Window> w = OpenAndRead(c.menu, c.form);
        ASSERT_TRUE(w);
        sim().clearLogs();

        // Box 6's write is answered late; meanwhile the hand sets box 4, and
        // box 6 once more.
        sim().injectFault(ControllerSim::Fault::LateReply, 0, 300);
        QTimer::singleShot(100, w, [&] {
            c.box(w, 4)->setValue(120);
            c.box(w, 6)->setValue(125);
        });
        c.box(w, 6)->setValue(130);
        QTest::qWait(150);

        Bytes expected;
        WriteMem(expected, 832 + 6, ZeroPoints::ValueToByte(130));
        WriteMem(expected, 832 + 4, ZeroPoints::ValueToByte(120));
        WriteMem(expected, 832 + 6, ZeroPoints::ValueToByte(125));
        EXPECT_EQ(wire(), expected);
        EXPECT_EQ(sim().ram(832 + 4), ZeroPoints::ValueToByte(120));
        EXPECT_EQ(sim().ram(832 + 6), ZeroPoints::ValueToByte(125));
        EXPECT_TRUE(Boxes().Calls().empty());

        w->cmdClose->click();
        for (int i = 0; i < 100 && w; ++i) QTest::qWait(10);
        ASSERT_FALSE(w);
    }
}
