// Faults of the controller: each ends in its error code, at once or with the time-out,
// the error box closes the port, nothing hangs, and the next command on a
// healthy controller goes through.
#include <QTest>

#include <functional>
#include <string>

#include "LinkFixture.h"

namespace {

struct FaultCase {
    std::string name;
    ControllerSim::Fault fault;
    int atByte;      // which received byte of the command the fault answers
    int delayMs;     // for late replies
    std::function<void()> command;
    int16_t code;
    Bytes toController;  // what reached the controller before the frame stopped
    bool endsEarly;      // ends well before the time-out
};

const std::vector<FaultCase>& Cases() {
    static const std::vector<FaultCase> cases = {
        {"no echo of the command", ControllerSim::Fault::NoReply, 0, 0, [] { vxIO::StopProgram(); },
         vxIO::kErrTimeOut, {0xFA}, false},
        {"no reply byte", ControllerSim::Fault::NoReply, 3, 0, [] { (void)vxIO::ReadMemory(1260); },
         vxIO::kErrTimeOut, {0xF7, 0xEC, 0x04, 0x00}, false},
        {"wrong echo of the command stops the frame", ControllerSim::Fault::WrongEcho, 0, 0,
         [] { (void)vxIO::ReadMemory(1260); }, vxIO::kErrEcho, {0xF7}, true},
        {"wrong echo of a parameter", ControllerSim::Fault::WrongEcho, 2, 0, [] { vxIO::MoveMotor(1, 90); },
         vxIO::kErrEcho, {0xE6, 0x01, 90}, true},
        {"late echo", ControllerSim::Fault::LateReply, 1, LinkTest::kShortTimeOutMs + 150,
         [] { vxIO::WriteEeprom(1, 2); }, vxIO::kErrTimeOut, {0xB4, 0x4B}, false},
        {"garbage instead of the echo", ControllerSim::Fault::Garbage, 1, 0,
         [] { vxIO::SendCommandFE(3, 1); }, vxIO::kErrEcho, {0xFE, 0x01}, true},
        {"hang-up in the middle of a command", ControllerSim::Fault::HangUp, 1, 0,
         [] { vxIO::MoveMotor(2, 100); }, vxIO::kErrPort, {0xE6, 0x02}, true},
    };
    return cases;
}

}  // namespace

TEST_F(LinkTest, EachFaultEndsInItsCodeAndTheNextCommandSucceeds) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    for (const FaultCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        startSim(2);
        open();
        sim().injectFault(c.fault, c.atByte, c.delayMs);

        QElapsedTimer t;
        t.start();
        c.command();
        const qint64 took = t.elapsed();
        const int16_t code = vxIO::CommError;
        EXPECT_EQ(code, c.code);
        // A fault the answer shows ends the wait at once, without its
        // time-out running out; the others end with the time-out.
        EXPECT_EQ(vxIO::RxTimedOut(), !c.endsEarly);
        if (!c.endsEarly) {
            EXPECT_GE(took, kShortTimeOutMs - 5);
        }

        // The caller shows the box; the box closes the port.
        ScriptedMsgBox box;
        box.Answer(platform::vbOK);
        vxIO::ShowCommError(vxIO::CommError);
        ASSERT_EQ(box.Calls().size(), 1u);
        EXPECT_EQ(box.Calls()[0].prompt, vxIO::CommErrorMessage(c.code));
        EXPECT_FALSE(main().Comm.PortOpen());
        EXPECT_EQ(vxIO::CommError, 0);

        sim().waitIdle(2000);
        EXPECT_EQ(Bytes(sim().received()), c.toController);

        // A controller that went away is replaced; one that misbehaved once
        // answers properly now.
        // (The link keeps the line quiet until the controller has dropped
        // the broken frame.)
        if (sim().hungUp()) startSim(2);
        open();
        vxIO::MoveMotor(7, 111);
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(wire(), (Bytes{0xE6, 0x07, 111}));
        EXPECT_EQ(sim().servoPosition(7), 111);
        vxIO::CloseComm();
    }
}
