// Who owns the link's state: the registration of the link's controls (a new
// one starts clean, the stand-in has its own), each port number a line of
// its own; the notices of the quiet-line waits, each owned by its holder;
// and a byte that comes late, which starts the quiet time again.
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <vector>

#include "LinkFixture.h"

namespace {

double MsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

// Breaks a frame on the line of the port now chosen: a wrong echo.
class LinkStateTest : public LinkTest {
protected:
    void BreakAFrame() {
        open();
        sim().injectFault(ControllerSim::Fault::WrongEcho);
        vxIO::SendByte(0xEE);
        ASSERT_EQ(vxIO::CommError, vxIO::kErrEcho);
        vxIO::CloseComm();
        ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);
    }

    void TearDown() override {
        (void)main().Comm.setPortOpen(false);
        vxIO::SetLinkControls({&main().Comm, &main().TimeOut, &main().TimeDelay});
        (void)main().Comm.setCommPort(1);
        qunsetenv("QVV2_COM2");
        LinkTest::TearDown();
    }
};

TEST_F(LinkStateTest, ARegistrationStartsTheLinkCleanAndTheStandInKeepsItsOwn) {
    SetTimeOut(kShortTimeOutMs);
    vxIO::SetQuietFloorMs(700);
    BreakAFrame();
    open();
    (void)vxIO::ReceiveByte();  // nothing was asked for: it times out
    ASSERT_TRUE(vxIO::RxTimedOut());
    vxIO::CloseComm();

    // Unregistered: the stand-in's state, untouched by what the host's link did.
    vxIO::SetLinkControls({});
    ASSERT_NE(vxIO::Link().Comm, &main().Comm);
    EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);
    EXPECT_EQ(vxIO::QuietFloorMs(), vxIO::kQuietFloorMs);
    EXPECT_FALSE(vxIO::RxTimedOut());

    // The host's controls again: a new registration, a clean state.
    vxIO::SetLinkControls({&main().Comm, &main().TimeOut, &main().TimeDelay});
    EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);
    EXPECT_EQ(vxIO::QuietFloorMs(), vxIO::kQuietFloorMs);
    EXPECT_FALSE(vxIO::RxTimedOut());
    EXPECT_FALSE(vxIO::RxReady());

    // And the next byte goes out at once.
    int waits = 0;
    const vxIO::QuietWaitNotice notice([&](bool waiting) { waits += waiting ? 1 : 0; });
    open();
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(waits, 0);
    vxIO::CloseComm();
}

TEST_F(LinkStateTest, EachPortNumberIsALineWithAQuietTimeOfItsOwn) {
    SetTimeOut(kShortTimeOutMs);
    BreakAFrame();
    const int quietOnOne = vxIO::BrokenFrameQuietMs();

    // The user chooses port 2, where another controller answers: its line
    // was never broken, so its first byte goes out at once.
    ControllerSim second(2);
    ASSERT_TRUE(second.ok());
    qputenv("QVV2_COM2", QByteArray::fromStdString(second.slavePath()));
    ASSERT_TRUE(main().Comm.setCommPort(2));
    EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);
    int waits = 0;
    const vxIO::QuietWaitNotice notice([&](bool waiting) { waits += waiting ? 1 : 0; });
    vxIO::OpenComm();
    ASSERT_EQ(vxIO::CommError, 0);
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(second.runState(), ControllerSim::RunState::Running);
    vxIO::CloseComm();

    // Back on port 1 its line is as it was left: still quiet for a while,
    // and the next byte waits for it.
    ASSERT_TRUE(main().Comm.setCommPort(1));
    const int left = vxIO::BrokenFrameQuietMs();
    EXPECT_GT(left, 0);
    EXPECT_LE(left, quietOnOne);
    open();
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Running);
    vxIO::CloseComm();
}

// Every notice that lives is told; none replaces another.  One that goes
// during a wait hears the end as it goes, and nothing after; one made
// during a wait hears only the next.
TEST_F(LinkStateTest, NoticesBelongToTheirHoldersAndAreAllTold) {
    SetTimeOut(kShortTimeOutMs);
    vxIO::SetQuietFloorMs(kShortTimeOutMs);
    std::vector<int> first, second, late;
    const vxIO::QuietWaitNotice one([&](bool waiting) { first.push_back(waiting); });
    std::unique_ptr<vxIO::QuietWaitNotice> two;
    two = std::make_unique<vxIO::QuietWaitNotice>([&](bool waiting) {
        second.push_back(waiting);
        if (waiting) QTimer::singleShot(0, [&] { two.reset(); });  // goes during the wait
    });
    std::unique_ptr<vxIO::QuietWaitNotice> madeDuring;
    const vxIO::QuietWaitNotice maker([&](bool waiting) {
        if (waiting && !madeDuring)
            madeDuring = std::make_unique<vxIO::QuietWaitNotice>([&](bool w) { late.push_back(w); });
    });
    const vxIO::QuietWaitNotice empty{std::function<void(bool)>()};  // never called

    BreakAFrame();
    open();
    vxIO::RunProgram();
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(first, (std::vector<int>{1, 0}));
    EXPECT_EQ(second, (std::vector<int>{1, 0}));
    EXPECT_TRUE(late.empty());
    EXPECT_EQ(two, nullptr);

    vxIO::CloseComm();
    BreakAFrame();
    open();
    vxIO::RunProgram();
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(first, (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(second, (std::vector<int>{1, 0}));
    EXPECT_EQ(late, (std::vector<int>{1, 0}));
    vxIO::CloseComm();
}

// A byte that comes while nothing waits for it shows that the controller
// has just answered a byte of a broken frame and waits for the rest: the
// quiet time starts again from its arrival, a window waiting for the quiet
// line is told only then, and the byte is not taken for the next answer.
TEST_F(LinkStateTest, ALateByteStartsTheQuietTimeAgain) {
    SetTimeOut(kShortTimeOutMs);
    vxIO::SetQuietFloorMs(kShortTimeOutMs);
    open();
    // The echo comes after the host gave up, but before the quiet time from
    // then is over.
    sim().injectFault(ControllerSim::Fault::LateReply, 0, kShortTimeOutMs + 150);
    vxIO::SendByte(0xEE);
    ASSERT_EQ(vxIO::CommError, vxIO::kErrTimeOut);

    QObject window;
    std::chrono::steady_clock::time_point toldAt{};
    vxIO::WhenLineQuiet(&window, [&] { toldAt = std::chrono::steady_clock::now(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return toldAt != std::chrono::steady_clock::time_point{}; }, 10'000));
    EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);
    const auto sentAt = sim().sentTimes();
    ASSERT_EQ(sentAt.size(), 1u) << "the late echo has come";
    EXPECT_GE(MsBetween(sentAt[0], toldAt), kShortTimeOutMs - 5) << "told too soon after the late echo";

    // The next exchange gets its own echo.
    vxIO::SendByte(0x55);
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(vxIO::RxByte(), 0x55);
    vxIO::CloseComm();
}

// A late byte found in the buffer when the port is opened, and one that
// comes while a byte waits for the quiet line, count the same.
TEST_F(LinkStateTest, LateBytesFoundAtOpeningOrDuringTheWaitCountToo) {
    SetTimeOut(kShortTimeOutMs);
    vxIO::SetQuietFloorMs(kShortTimeOutMs);
    struct Case {
        const char* what;
        bool rawWhileItComes;  // the byte stays in the buffer until the port is opened again
    };
    const Case cases[] = {{"found at the opening", true}, {"during the wait", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        vxIO::SetLinkControls(vxIO::Link());
        vxIO::SetQuietFloorMs(kShortTimeOutMs);
        startSim(2);
        open();
        sim().injectFault(ControllerSim::Fault::LateReply, 0, kShortTimeOutMs + 100);
        vxIO::SendByte(0xEE);
        ASSERT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
        if (c.rawWhileItComes) {
            bootup_modMain::RawMode = true;
            ASSERT_TRUE(QTest::qWaitFor([&] { return main().Comm.InBufferCount() > 0; }, 5000));
            bootup_modMain::RawMode = false;
        }
        const auto noticed = std::chrono::steady_clock::now();
        if (c.rawWhileItComes) {
            vxIO::OpenComm();  // already open: drops what waits
            ASSERT_EQ(vxIO::CommError, 0);
        }
        vxIO::RunProgram();
        EXPECT_EQ(vxIO::CommError, 0);
        ASSERT_TRUE(sim().waitIdle(2000));
        const auto times = sim().receivedTimes();
        const auto sentAt = sim().sentTimes();
        ASSERT_EQ(times.size(), 2u);
        ASSERT_EQ(sentAt.size(), 2u);
        const auto from = c.rawWhileItComes ? noticed : sentAt[0];
        EXPECT_GE(MsBetween(from, times[1]), kShortTimeOutMs - 5);
        EXPECT_EQ(sim().runState(), ControllerSim::RunState::Running);
        vxIO::CloseComm();
    }
}
