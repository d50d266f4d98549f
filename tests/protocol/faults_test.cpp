// Faults of the controller: no controller, a failed read, a port that
// cannot be opened, the quiet line after a frame that broke off.
#include <QTest>

#include "LinkFixture.h"

TEST_F(LinkTest, NoControllerAttachedTimesOutOnEveryCommand) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    sim().setSilent(true);
    open();
    QElapsedTimer t;
    t.start();
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_GE(t.elapsed(), kShortTimeOutMs - 5);
    std::array<uint8_t, 8> eight;
    eight.fill(1);
    EXPECT_EQ(vxIO::ReadBlock8(*vxIO::FindMotorGroup(8, 0), eight), 0);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_EQ(eight, (std::array<uint8_t, 8>{}));
    // The port stays open after an error until the caller closes it.
    EXPECT_TRUE(main().Comm.PortOpen());
    vxIO::CloseComm();
}

TEST_F(LinkTest, FailedReadWritesNothingBack) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    modMain::ControllerType = 1;
    open();
    sim().injectFault(ControllerSim::Fault::NoReply, 3);  // the flag byte never comes
    vxIO::SetMotorOn(9, true);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_EQ(wire(), (Bytes{0xF7, 0xEC, 0x04, 0x00}));
    EXPECT_FALSE(vxIO::GetMotorOn(9));  // healthy again, and the bit is clear
    EXPECT_EQ(vxIO::CommError, 0);
    vxIO::CloseComm();
}

TEST_F(LinkTest, PortThatCannotBeOpenedReportsMinusOneAndStaysFree) {
    qputenv("QVV2_COM1", "/nonexistent/serial-device");
    vxIO::OpenComm();
    EXPECT_EQ(vxIO::CommError, vxIO::kErrOpen);
    EXPECT_FALSE(main().Comm.PortOpen());

    qputenv("QVV2_COM1", QByteArray::fromStdString(sim().slavePath()));
    for (int i = 0; i < 3; ++i) {  // close and reopen: never busy
        vxIO::OpenComm();
        ASSERT_EQ(vxIO::CommError, 0) << main().Comm.LastError().toStdString();
        vxIO::ResetController();
        EXPECT_EQ(vxIO::CommError, 0);
        vxIO::CloseComm();
    }
    EXPECT_EQ(sim().resetCount(), 3);
}

// A frame that broke off may leave the controller inside it, waiting for
// its rest.  Whatever exchange comes next, and from wherever (another write
// of the zero window, a read, a main-window command, the download, the
// information read-out), its first byte waits until the quiet time has passed
// since the failing byte: the reply time-out, but at least the floor, which
// covers the controller's own frame time-out when COMMtimeout is short.  A
// byte that got no answer in time waits the quiet time from the moment the
// host gave up, and the echo that comes late is dropped, not taken for the
// next byte's.  Closing and opening the port in between changes nothing.
namespace {

enum class Breaker { ZeroWrite, ZeroRead, LiveMove };
enum class Next { ZeroWrite, ZeroRead, Run, Download, Identify };

struct QuietCase {
    const char* name;
    int timeOutMs;
    Breaker breaker;
    ControllerSim::Fault fault;
    int lateMs;  // LateReply: how late the echo comes
    Next next;
};

constexpr int kZeroAddress = 0x0FB0;

void PrintTo(const QuietCase& c, std::ostream* os) { *os << c.name; }

}  // namespace

class QuietLineTest : public LinkTest, public ::testing::WithParamInterface<QuietCase> {};

TEST_P(QuietLineTest, NoByteFollowsABrokenFrameBeforeTheQuietTimeThenWholeFrames) {
    const QuietCase& c = GetParam();
    SetTimeOut(c.timeOutMs);
    sim().setEeprom(kZeroAddress + 1, 0x77);
    sim().setEeprom(kZeroAddress + 2, 0x5A);
    int waitsShown = 0, waitsEnded = 0;
    const vxIO::QuietWaitNotice notice([&](bool waiting) { ++(waiting ? waitsShown : waitsEnded); });
    open();

    uint8_t command = 0;
    switch (c.breaker) {
    case Breaker::ZeroWrite:
        command = qvv2::controller::LINK_WRITE_EEPROM;
        break;
    case Breaker::ZeroRead:
        command = qvv2::controller::LINK_READ_EEPROM;
        break;
    case Breaker::LiveMove:
        command = qvv2::controller::LINK_MOVE_SERVO;
        break;
    }
    sim().injectFrameFault(c.fault, command, 1, 0, c.lateMs);
    switch (c.breaker) {
    case Breaker::ZeroWrite:
        vxIO::WriteEeprom(kZeroAddress, 0x11);
        break;
    case Breaker::ZeroRead:
        (void)vxIO::ReadByteB3(kZeroAddress);
        break;
    case Breaker::LiveMove:
        vxIO::MoveMotor(3, 90);
        break;
    }
    ASSERT_NE(vxIO::CommError, 0);
    const int quietMs = std::max(c.timeOutMs, vxIO::kQuietFloorMs);
    // The quiet time, and no more: the reply time-out or the floor, not both.
    EXPECT_LE(vxIO::BrokenFrameQuietMs(), quietMs);
    const bool noAnswer = c.fault == ControllerSim::Fault::LateReply;
    ASSERT_TRUE(sim().waitForReceived(2, 2000));
    // The gap is measured from moments the link's own cannot come before,
    // so that a simulator that read a byte late never makes the line look
    // quiet for too short a time: the host wrote the failing byte after the
    // echo of the one before went out, and gave up on it no sooner than a
    // reply time-out later.
    ASSERT_GE(sim().sentTimes().size(), 1u);
    const auto failingByte = sim().sentTimes()[0];
    const auto gaveUp = failingByte + std::chrono::milliseconds(c.timeOutMs);
    const size_t broken = sim().received().size();
    ASSERT_EQ(broken, 2u) << "the frame stops at its failing byte";

    // The window closes its port after the error box, and the next command
    // opens it again at once.
    vxIO::CloseComm();
    if (c.next != Next::Download) {
        vxIO::OpenComm();  // keeps the simulator's log
        ASSERT_EQ(vxIO::CommError, 0);
    }
    EXPECT_GT(vxIO::BrokenFrameQuietMs(), 0);

    uint8_t first = 0;
    switch (c.next) {
    case Next::ZeroWrite:
        vxIO::WriteEeprom(kZeroAddress + 1, 0x00);
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(sim().eeprom(kZeroAddress + 1), 0x00) << "the next direction byte is written";
        first = qvv2::controller::LINK_WRITE_EEPROM;
        break;
    case Next::ZeroRead:
        EXPECT_EQ(vxIO::ReadByteB3(kZeroAddress + 2), 0x5A);
        EXPECT_EQ(vxIO::CommError, 0);
        first = qvv2::controller::LINK_READ_EEPROM;
        break;
    case Next::Run:
        vxIO::RunProgram();
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(sim().runState(), ControllerSim::RunState::Running);
        first = qvv2::controller::LINK_RUN;
        break;
    case Next::Download: {
        std::vector<uint8_t> image(40, 0);
        for (size_t i = 1; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
        EXPECT_TRUE(vxIO::DownloadFast(image, 39, 0, "Q.BAS", {}));
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(sim().downloadedImage(), Bytes(image.begin() + 1, image.end()));
        ASSERT_TRUE(sim().received().size() > broken);
        first = sim().received()[broken];
        break;
    }
    case Next::Identify: {
        std::array<uint8_t, 6> id{};
        vxIO::GetControllerId(id);
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(id, sim().identification());
        first = qvv2::controller::LINK_IDENTIFY;
        break;
    }
    }
    ASSERT_TRUE(sim().waitIdle(2000));
    const Bytes wire = sim().received();
    const auto times = sim().receivedTimes();
    ASSERT_GT(wire.size(), broken);
    EXPECT_EQ(wire[broken], first) << "a whole frame follows";
    const auto from = noAnswer ? gaveUp : failingByte;
    const auto ms = [](std::chrono::steady_clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    EXPECT_GE(ms(times[broken] - from), quietMs - 5) << "the line was quiet for " << ms(times[broken] - from) << " ms";
    if (noAnswer) {
        // The late echo showed that the controller had just taken the
        // failing byte: the quiet time started again when it came.
        const auto sentAt = sim().sentTimes();
        ASSERT_GE(sentAt.size(), 2u);
        EXPECT_GE(ms(times[broken] - sentAt[1]), quietMs - 5)
            << "a byte followed the late echo after " << ms(times[broken] - sentAt[1]) << " ms";
    }
    EXPECT_EQ(waitsShown, 1);
    EXPECT_EQ(waitsEnded, 1);
    vxIO::CloseComm();
}

INSTANTIATE_TEST_SUITE_P(
    Exchanges, QuietLineTest,
    ::testing::Values(
        QuietCase{"ZeroWriteAfterAWrongEchoOfTheKeyByte", 500, Breaker::ZeroWrite, ControllerSim::Fault::WrongEcho, 0,
                  Next::ZeroWrite},
        QuietCase{"ZeroReadAfterAWrongEchoOfTheAddress", 500, Breaker::ZeroRead, ControllerSim::Fault::WrongEcho, 0,
                  Next::ZeroRead},
        QuietCase{"RunAfterABrokenLiveMove", 500, Breaker::LiveMove, ControllerSim::Fault::WrongEcho, 0, Next::Run},
        QuietCase{"RunAfterGarbage", 250, Breaker::LiveMove, ControllerSim::Fault::Garbage, 0, Next::Run},
        QuietCase{"DownloadAfterABrokenLiveMove", 250, Breaker::LiveMove, ControllerSim::Fault::WrongEcho, 0,
                  Next::Download},
        QuietCase{"ATimeOutAboveTheFloorIsTheQuietTime", 2400, Breaker::LiveMove, ControllerSim::Fault::WrongEcho,
                  0, Next::Run},
        QuietCase{"IdentifyAfterAnEchoLaterThanTheTimeOut", 300, Breaker::LiveMove,
                  ControllerSim::Fault::LateReply, 800, Next::Identify},
        QuietCase{"ZeroWriteAfterAnEchoLaterThanTheTimeOut", 500, Breaker::ZeroWrite,
                  ControllerSim::Fault::LateReply, 900, Next::ZeroWrite}),
    [](const ::testing::TestParamInfo<QuietCase>& info) { return std::string(info.param.name); });

// A frame that goes through leaves nothing to wait.  A close asked for while
// a byte waits for the quiet line ends the wait at once: nothing is sent.
TEST_F(LinkTest, AWholeFrameLeavesNoQuietTimeAndACloseEndsTheWaitForIt) {
    SetTimeOut(kShortTimeOutMs);
    open();
    vxIO::MoveMotor(3, 90);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);

    sim().injectFrameFault(ControllerSim::Fault::WrongEcho, qvv2::controller::LINK_MOVE_SERVO, 2);
    vxIO::MoveMotor(3, 91);
    ASSERT_EQ(vxIO::CommError, vxIO::kErrEcho);
    ASSERT_TRUE(sim().waitIdle(2000));
    const size_t sent = sim().received().size();
    // The close is asked for as soon as the byte waits for the quiet line.
    const vxIO::QuietWaitNotice asker([](bool waiting) {
        if (waiting) QTimer::singleShot(0, [] { vxIO::Abort(); });
    });
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, vxIO::kErrAborted);
    EXPECT_GT(vxIO::BrokenFrameQuietMs(), 0) << "the wait ran to its end instead of ending at the close";
    EXPECT_FALSE(main().Comm.PortOpen());
    vxIO::EndAbort();
    EXPECT_FALSE(sim().waitForReceived(sent + 1, 50)) << "nothing went out after the close";
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Stopped);
}
