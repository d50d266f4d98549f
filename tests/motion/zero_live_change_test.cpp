// A zero box changed while the controller is still answering the live write
// of another box: the change waits for the link and then goes out with the
// box's latest value, so the controller ends where the boxes stand.
#include <QPointer>
#include <QTest>

#include <functional>

#include "ServoMoves.h"
#include "ZeroWindowFixture.h"
#include "motion/ZeroPoints.h"
#include "motion/frmZero32.h"
#include "motion/frmZeroKESTRA.h"
#include "vxServoDIR.h"
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
        const motion_wait::DuringTheNextWait hand([&] {
            c.box(w, 4)->setValue(120);
            c.box(w, 6)->setValue(125);
        });
        c.box(w, 6)->setValue(130);
        ASSERT_TRUE(hand.Done());
        ASSERT_TRUE(motion_wait::Until([&] { return sim().received().size() >= 3 * 4; }));

        Bytes expected;
        WriteMem(expected, 832 + 6, ZeroPoints::ValueToByte(130));
        WriteMem(expected, 832 + 4, ZeroPoints::ValueToByte(120));
        WriteMem(expected, 832 + 6, ZeroPoints::ValueToByte(125));
        EXPECT_EQ(wire(), expected);
        ExpectZeroValuesThenClose({{4, 120}, {6, 125}}, w);
    }
}

// A live write whose frame breaks off (its address byte echoed wrong) may
// leave the controller waiting for the frame's rest.  The humanoid window,
// which leaves the failure unreported, writes nothing until the reply
// time-out has passed since the failing byte; then the box changed meanwhile
// and the failed one go out with their latest values, once each, and the
// controller ends where the boxes stand.
TEST_F(ZeroWindowTest, AfterABrokenLiveWriteTheBoxesWaitForTheQuietLine) {
    QPointer<ZeroPoints::Window> w = OpenAndRead(Main().mnuZero, "frmZeroKESTRA");
    ASSERT_TRUE(w);
    auto* zero = static_cast<frmZeroKESTRA*>(w.data());
    constexpr int kTimeOutMs = kFaultTimeOutMs;
    Main().TimeOut.setInterval(kTimeOutMs);
    // The line stays quiet for the time-out, but at least for the floor.
    const int kQuietMs = std::max(kTimeOutMs, vxIO::QuietFloorMs());
    sim().clearLogs();
    sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xF8, 1);
    zero->ZeroUD[6]->setValue(130);
    zero->ZeroUD[4]->setValue(120);
    zero->ZeroUD[6]->setValue(125);
    // Both boxes written once the line is quiet.
    ASSERT_TRUE(motion_wait::Until([&] { return SentAfter(sim(), 1).bytes.size() >= 2 * 4; }));

    ASSERT_TRUE(sim().waitIdle(2000));
    const Bytes sent = sim().received();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 2), Bytes({0xF8, (832 + 6) & 0xFF}));
    const SentAfterByte after = SentAfter(sim(), 1);
    Bytes expected;
    WriteMem(expected, 832 + 4, ZeroPoints::ValueToByte(120));
    WriteMem(expected, 832 + 6, ZeroPoints::ValueToByte(125));
    EXPECT_EQ(after.bytes, expected);
    EXPECT_GE(after.HostPauseAtLeastMs(), kQuietMs - 30);
    ExpectZeroValuesThenClose({{4, 120}, {6, 125}}, w);
}

// Closed right after a live write broke off: the controller's reset, the
// window's last byte, would be taken as the broken frame's rest, so it waits
// until the reply time-out has passed since the failing byte.  The box
// changed meanwhile is not written; the window goes once the reset is out.
TEST_F(ZeroWindowTest, ClosedAfterABrokenLiveWriteTheResetWaitsForTheQuietLine) {
    QPointer<ZeroPoints::Window> w = OpenAndRead(Main().mnuZero, "frmZeroKESTRA");
    ASSERT_TRUE(w);
    auto* zero = static_cast<frmZeroKESTRA*>(w.data());
    constexpr int kTimeOutMs = kFaultTimeOutMs;
    Main().TimeOut.setInterval(kTimeOutMs);
    sim().clearLogs();
    sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xF8, 1);
    zero->ZeroUD[6]->setValue(130);
    zero->ZeroUD[4]->setValue(120);
    w->cmdClose->click();
    w->cmdClose->click();  // a second close during the wait changes nothing
    ASSERT_TRUE(motion_wait::Until([&] { return !w; }));

    ASSERT_TRUE(sim().waitIdle(2000));
    const Bytes sent = sim().received();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 2), Bytes({0xF8, (832 + 6) & 0xFF}));
    const SentAfterByte after = SentAfter(sim(), 1);
    EXPECT_EQ(after.bytes, Bytes({0xFC}));
    EXPECT_GE(after.HostPauseAtLeastMs(), kTimeOutMs - 30);
    EXPECT_TRUE(Boxes().Calls().empty());
}

// A direction toggle clicked while a frame that broke off keeps the line
// quiet (here one of another exchange) shows its new direction at once,
// under the busy cursor, and its direction byte is written once the line is
// quiet, in the order of the clicks; a toggle clicked twice is written once,
// in its second click's turn, with what it shows then.
TEST_F(ZeroWindowTest, DirectionsClickedDuringTheQuietLineAreWrittenAfterIt) {
    sim().setRam(ZeroPoints::kDirectionAddress, 0);
    sim().setRam(ZeroPoints::kDirectionAddress + 1, 0);
    QPointer<ZeroPoints::Window> w = OpenAndRead(Main().mnuZero_all, "frmZero32");
    ASSERT_TRUE(w);
    auto* zero = static_cast<frmZero32*>(w.data());
    zero->SSTab1->setCurrentIndex(1);
    const auto busyCursor = [&] {
        return w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::BusyCursor;
    };
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    ASSERT_TRUE(motion_wait::QuietLine());
    sim().clearLogs();
    sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xF8, 1);
    vxIO::WriteMemory(0x500, 1);
    ASSERT_EQ(wire(), Bytes({0xF8, 0x00}));
    const int quietMs = vxIO::BrokenFrameQuietMs();
    ASSERT_GT(quietMs, 200);

    zero->Sdir[3]->Click();
    zero->Sdir[12]->Click();
    zero->Sdir[5]->Click();
    zero->Sdir[3]->Click();
    EXPECT_EQ(zero->Sdir[3]->Value(), 0);
    EXPECT_EQ(zero->Sdir[12]->Value(), 1);
    EXPECT_EQ(zero->Sdir[5]->Value(), 1);
    EXPECT_TRUE(busyCursor());
    // Nothing is written behind the broken frame before its quiet time is
    // over: the time of the first byte after it shows that (below).
    ASSERT_TRUE(motion_wait::Until([&] { return !busyCursor() && SentAfter(sim(), 1).bytes.size() >= 3 * 4; }));
    ASSERT_TRUE(sim().waitIdle(2000));
    const SentAfterByte after = SentAfter(sim(), 1);
    Bytes expected;
    WriteMem(expected, ZeroPoints::kDirectionAddress + 1, 0x10);
    WriteMem(expected, ZeroPoints::kDirectionAddress, 0x20);
    WriteMem(expected, ZeroPoints::kDirectionAddress, 0x20);
    EXPECT_EQ(after.bytes, expected);
    EXPECT_GE(after.HostPauseAtLeastMs(), quietMs - 5);
    EXPECT_EQ(sim().ram(ZeroPoints::kDirectionAddress + 1), 0x10);
    EXPECT_FALSE(busyCursor());
    EXPECT_TRUE(Boxes().Calls().empty());
    w->cmdClose->click();
}
