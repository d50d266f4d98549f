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

// A frame that broke off at a byte whose answer came back wrong may leave the
// controller waiting for its rest: the line stays quiet until the reply
// time-out has passed since that byte, whatever the port does meanwhile.  A
// byte that got no answer at all has been waited for that long already, and
// a frame that went through leaves nothing to wait.
TEST_F(LinkTest, ABrokenFrameKeepsTheLineQuietForTheReplyTimeOutAfterItsFailingByte) {
    SetTimeOut(kShortTimeOutMs);
    const struct {
        const char* name;
        ControllerSim::Fault fault;
        int atByte;
        bool quiet;
    } cases[] = {
        {"a move that goes through", ControllerSim::Fault::None, 0, false},
        {"wrong echo of the motor byte", ControllerSim::Fault::WrongEcho, 1, true},
        {"garbage instead of the position's echo", ControllerSim::Fault::Garbage, 2, true},
        {"no echo of the motor byte", ControllerSim::Fault::NoReply, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::qWait(kShortTimeOutMs);  // the case before has had its quiet time
        ASSERT_EQ(vxIO::BrokenFrameQuietMs(), 0);
        startSim(2);
        open();
        if (c.fault != ControllerSim::Fault::None) sim().injectFault(c.fault, c.atByte);
        QElapsedTimer sinceTheFrame;
        sinceTheFrame.start();
        vxIO::MoveMotor(3, 90);
        EXPECT_EQ(vxIO::CommError != 0, c.fault != ControllerSim::Fault::None);
        const int quietMs = vxIO::BrokenFrameQuietMs();
        if (!c.quiet) {
            EXPECT_EQ(quietMs, 0);
            vxIO::CloseComm();
            continue;
        }
        EXPECT_LE(quietMs, kShortTimeOutMs);
        EXPECT_GT(quietMs, kShortTimeOutMs - 50);
        vxIO::CloseComm();
        open();
        EXPECT_GT(vxIO::BrokenFrameQuietMs(), 0) << "ended by closing and opening the port";
        while (vxIO::BrokenFrameQuietMs() > 0 && sinceTheFrame.elapsed() < 4 * kShortTimeOutMs) QTest::qWait(5);
        EXPECT_EQ(vxIO::BrokenFrameQuietMs(), 0);
        EXPECT_GE(sinceTheFrame.elapsed(), kShortTimeOutMs - 5);
        vxIO::CloseComm();
    }
}
