// Faults of the controller: no controller, a failed read, a port that
// cannot be opened.
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
