// One controller exchange at a time: a command started from an event while
// an exchange waits (a timer, a key) is refused without touching the wire,
// the exchange itself goes on undisturbed, and the guard is free again
// afterwards.  A wait outside any exchange lets commands run.
#include <QLabel>
#include <QTimer>

#include <functional>
#include <optional>

#include "download_support.h"
#include "link/frmDebugScreen.h"
#include "link/frmInfo.h"
#include "protocol/modMainDelay.h"

class ExchangeGuardTest : public DownloadTest {
protected:
    Bytes Compiled() const { return Bytes(basic_.ObjCode.begin() + 1, basic_.ObjCode.begin() + basic_.TotalBytes + 1); }
};

TEST_F(ExchangeGuardTest, EveryCommandStartedDuringAWaitIsRefusedAndSendsNothing) {
    Compile(Program(4));
    std::array<uint8_t, 8> eight{};
    std::array<uint8_t, 6> six{};
    std::array<uint8_t, 6> id{};
    vxIO::ControllerInfo info;
    struct Case {
        const char* what;
        std::function<void()> run;
    };
    const Case cases[] = {
        {"run", [] { vxIO::RunProgram(); }},
        {"stop", [] { vxIO::StopProgram(); }},
        {"reset", [] { vxIO::ResetController(); }},
        {"step", [] { vxIO::StepProgram(); }},
        {"command EE", [] { vxIO::SendCommandEE(); }},
        {"command FE", [] { vxIO::SendCommandFE(3, 1); }},
        {"move", [] { vxIO::MoveMotor(2, 100); }},
        {"output level", [] { vxIO::SendCommandE3(10, 1); }},
        {"program byte", [] { (void)vxIO::ReadByteF2(5); }},
        {"EEPROM byte", [] { (void)vxIO::ReadByteB3(5); }},
        {"memory read", [] { (void)vxIO::ReadMemory(7); }},
        {"memory write", [] { vxIO::WriteMemory(7, 9); }},
        {"EEPROM write", [] { vxIO::WriteEeprom(3, 4); }},
        {"servo position", [] { (void)vxIO::ReadVariable(2); }},
        {"group of eight", [&] { EXPECT_EQ(vxIO::ReadBlock8(*vxIO::FindMotorGroup(8, 0), eight), 0); }},
        {"group of six", [&] { EXPECT_EQ(vxIO::ReadBlock6(*vxIO::FindMotorGroup(6, 0), six), 0); }},
        {"motor state", [] { EXPECT_FALSE(vxIO::GetMotorOn(3)); }},
        {"motor switch", [] { vxIO::SetMotorOn(3, true); }},
        {"motor position", [] { (void)vxIO::ReadMotorPos(1); }},
        {"position pair", [] { vxIO::WritePositionPair(1, 50); }},
        {"open and close",
         [] {
             vxIO::OpenComm();
             vxIO::CloseComm();
         }},
        {"single bytes",
         [] {
             vxIO::SendByte(0x55);
             vxIO::SendByteNoEcho(0x56);
             vxIO::SendZero();
             EXPECT_EQ(vxIO::ReceiveByteEcho(), 0);
             EXPECT_EQ(vxIO::ReceiveByte(), 0);
             vxIO::FlushInput();
         }},
        {"information", [&] { vxIO::GetControllerInfo(info); }},
        {"identification", [&] { vxIO::GetControllerId(id); }},
        {"firmware version", [] { EXPECT_FALSE(bootup_modMain::ReadFirmwareVersion()); }},
        {"download", [] { EXPECT_FALSE(modMain::DownloadProgram()); }},
        {"fast download",
         [&] { EXPECT_FALSE(vxIO::DownloadFastWithBars(basic_.ObjCode, basic_.TotalBytes, 0, 0, nullptr, nullptr)); }},
        {"memory clear", [] { vxIO::ClearMemory(); }},
        {"information window", [] { frmInfo::ShowModal(&main()); }},
        {"information window loaded",
         [] {
             frmInfo w(&main());
             EXPECT_TRUE(w.lbl[0]->text().isEmpty());
             EXPECT_EQ(frmWait::Loaded(), nullptr);
         }},
        {"debug window", [] { frmDebugScreen::ShowModal(&main()); }},
        {"debug window loaded",
         [] {
             frmDebugScreen w(&main());
             EXPECT_FALSE(w.IsLoaded());
         }},
        {"download window", [] { frmRun::ShowModal(&main()); }},
    };

    sim().setRam(100, 0x5A);
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim().clearLogs();
        bool ran = false, busy = false, portOpen = false;
        int16_t code = 99;
        // Fires while the read waits for its last byte, which the controller
        // holds back.
        QTimer intruder;
        intruder.setInterval(1);
        QObject::connect(&intruder, &QTimer::timeout, [&] {
            if (sim().received().size() < 4) return;
            intruder.stop();
            busy = vxIO::Busy();
            c.run();
            code = vxIO::CommError;
            portOpen = main().Comm.PortOpen();
            ran = true;
        });
        intruder.start();
        sim().injectFault(ControllerSim::Fault::LateReply, 3, 200);
        const uint8_t value = vxIO::ReadMemory(100);

        EXPECT_TRUE(ran);
        EXPECT_TRUE(busy);
        EXPECT_EQ(code, 0);     // the refused command reports nothing
        EXPECT_TRUE(portOpen);  // and leaves the port to the exchange
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(value, 0x5A);
        EXPECT_EQ(wire(), (Bytes{0xF7, 100, 0, 0}));
        EXPECT_FALSE(vxIO::Busy());
    }
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(frmRun::Loaded(), nullptr);
    EXPECT_EQ(sim().runCount() + sim().stopCount() + sim().resetCount() + sim().stepCount() + sim().eeCount(), 0);

    // With the wait over, commands run again.
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(sim().runCount(), 1);
    vxIO::CloseComm();
}

// Whether a command from an event runs depends on what the waiting code is
// doing: a pause outside any exchange lets it run; a pause inside an exchange
// refuses it, also while the exchange has the port closed (the fast
// download's change of line speed) and while a window holds the port open.
TEST_F(ExchangeGuardTest, APauseRefusesCommandsOnlyInsideAnExchange) {
    struct Case {
        const char* what;
        bool holdToken;
        bool portOpen;
        int runs;
    };
    const Case cases[] = {
        {"no exchange", false, false, 1},
        {"exchange with the port closed", true, false, 0},
        {"port held open", false, true, 0},
        {"exchange with the port open", true, true, 0},
    };
    int expectedRuns = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.portOpen) open();
        {
            std::optional<vxIO::Exchange> token;
            if (c.holdToken) {
                token.emplace();
                ASSERT_TRUE(token->Granted());
            }
            QTimer::singleShot(0, [] {
                vxIO::OpenComm();
                vxIO::RunProgram();
                vxIO::CloseComm();
            });
            modMain::Delay(30);
            EXPECT_EQ(main().Comm.PortOpen(), c.portOpen);
        }
        expectedRuns += c.runs;
        EXPECT_EQ(sim().runCount(), expectedRuns);
        vxIO::CloseComm();
        EXPECT_FALSE(vxIO::Busy());
    }

    // Tokens nest inside their own exchange: the exchange's own code goes on.
    {
        vxIO::Exchange outer;
        ASSERT_TRUE(outer.Granted());
        vxIO::Exchange inner;
        EXPECT_TRUE(inner.Granted());
        vxIO::OpenComm();
        vxIO::ResetController();
        EXPECT_EQ(vxIO::CommError, 0);
        vxIO::CloseComm();
    }
    EXPECT_EQ(sim().resetCount(), 1);
}

// A whole download is one exchange, from its stop command through the change
// of line speed (with the port closed) to the last block: a timer that tries
// a command all along gets none onto the wire, and the image arrives whole.
TEST_F(ExchangeGuardTest, ADownloadRefusesEveryCommandFromStartToEnd) {
    Compile(Program(60));
    int attempts = 0;
    QTimer intruder;
    QObject::connect(&intruder, &QTimer::timeout, [&] {
        ++attempts;
        vxIO::OpenComm();
        vxIO::RunProgram();
        vxIO::MoveMotor(1, 50);
        vxIO::CloseComm();
    });
    intruder.start(1);
    const bool ok = modMain::DownloadProgram();
    intruder.stop();

    EXPECT_TRUE(ok);
    EXPECT_GT(attempts, 5);
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(sim().runCount(), 0);
    EXPECT_EQ(sim().downloadedImage(), Compiled());
    ExpectAtRest();

    open();
    vxIO::RunProgram();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(sim().runCount(), 1);
    vxIO::CloseComm();
}

// The guard is released on every path out of an exchange, failures included.
TEST_F(ExchangeGuardTest, AFailedExchangeLeavesTheLinkFree) {
    Compile(Program(4));
    sim().setSilent(true);
    SetTimeOut(kShortTimeOutMs);     // the time-out is what ends these
    boxes_->Answer(platform::vbOK);  // the download's time-out box
    EXPECT_FALSE(modMain::DownloadProgram());
    EXPECT_FALSE(vxIO::Busy());
    EXPECT_FALSE(bootup_modMain::ReadFirmwareVersion());
    EXPECT_FALSE(vxIO::Busy());
    ExpectAtRest();

    sim().setSilent(false);
    EXPECT_TRUE(modMain::DownloadProgram());
    EXPECT_EQ(sim().downloadedImage(), Compiled());
}
