// Ending an exchange early: a close asked for while an exchange waits on a
// slow controller ends the wait at once as kErrAborted, closes the port, and
// nothing more goes on the line, even from a caller's loop that goes on
// after the error; no error box shows for it; the link works again once the
// abort is lifted.
#include <QTimer>

#include <functional>

#include "download_support.h"
#include "protocol/modMainDelay.h"

namespace {

// Every answer of the slow controller comes this late: far longer than any
// of these exchanges takes once it is ended.
constexpr int kSlowMs = 2000;

}  // namespace

class AbortTest : public DownloadTest {
protected:
    // What the line looked like when the abort was asked for.
    struct AtAbort {
        bool fired = false;
        size_t received = 0;
        size_t sent = 0;
    };

    // Runs `exchange` with the abort asked for from an event once the
    // controller has received `afterBytes` bytes (counted from now), and
    // returns the link code that the exchange left.
    int16_t RunAborted(const std::function<void()>& exchange, size_t afterBytes, AtAbort& at) {
        QTimer asker;
        asker.setInterval(2);
        QObject::connect(&asker, &QTimer::timeout, [&] {
            if (sim().received().size() < afterBytes) return;
            asker.stop();
            at.fired = true;
            at.received = sim().received().size();
            at.sent = sim().sent().size();
            vxIO::Abort();
        });
        asker.start();
        exchange();
        asker.stop();
        return vxIO::CommError;
    }
};

TEST_F(AbortTest, AnAbortEndsTheWaitAtOnceAndNothingMoreIsSent) {
    Compile(Program(6));
    const std::vector<uint8_t> image = basic_.ObjCode;
    const int32_t n = basic_.TotalBytes;
    struct Case {
        const char* what;
        size_t afterBytes;  // bytes received before the abort
        std::function<void()> exchange;
    };
    const Case cases[] = {
        // The abort in the middle of one command's frame.
        {"memory read", 2, [] { (void)vxIO::ReadMemory(1000); }},
        {"group read", 3,
         [] {
             std::array<uint8_t, 6> six{};
             (void)vxIO::ReadBlock6(*vxIO::FindMotorGroup(6, 0), six);
         }},
        // A caller that goes on after the error adds nothing to the line.
        {"writes that ignore errors", 5,
         [] {
             for (int i = 0; i < 12; ++i) vxIO::WriteEeprom(4064 + i, 3);
         }},
        {"reopen after the error", 1,
         [] {
             vxIO::StopProgram();
             vxIO::OpenComm();
             vxIO::ResetController();
         }},
        // A delay ends at once too, and what follows it sends nothing.
        {"delay", 0,
         [] {
             modMain::Delay(30000);
             vxIO::RunProgram();
         }},
        {"download", 3, [&] { (void)vxIO::DownloadFastSerial(image, n, 0, "walk.bas", nullptr); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A new controller on a clean line: the frame the case before broke
        // off was another controller's.
        vxIO::SetLinkControls(vxIO::Link());
        startSim(2);
        sim().setReplyDelay(kSlowMs);
        open();
        AtAbort at;
        const int16_t code = RunAborted(c.exchange, c.afterBytes, at);
        const size_t sentWhenDone = sim().sent().size();
        const bool openWhenDone = main().Comm.PortOpen();
        vxIO::EndAbort();

        ASSERT_TRUE(at.fired);
        EXPECT_EQ(code, vxIO::kErrAborted);
        // Ended before the slow answer to the byte in flight came.
        EXPECT_EQ(sentWhenDone, at.sent);
        EXPECT_FALSE(openWhenDone);
        // Once the controller has answered what it got, it got nothing more.
        EXPECT_TRUE(sim().waitIdle(3 * kSlowMs));
        EXPECT_EQ(sim().received().size(), at.received);
        ExpectAtRest();
        EXPECT_TRUE(boxes_->Calls().empty());
    }
}

TEST_F(AbortTest, TheAbortStandsUntilLiftedAndOnlyDuringAnExchange) {
    // Asked for with no exchange active: nothing happens.
    vxIO::Abort();
    EXPECT_FALSE(vxIO::Aborted());
    open();
    EXPECT_EQ(vxIO::ReadMemory(1000), 0);
    EXPECT_EQ(vxIO::CommError, 0);
    ASSERT_TRUE(sim().waitIdle(2000));
    sim().clearLogs();

    // Asked for while the port is held open: every operation fails at once,
    // opening the port included, and the port is closed.
    vxIO::Abort();
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"send", [] { vxIO::SendByte(0xFA); }},
        {"open", [] { vxIO::OpenComm(); }},
        {"send without echo", [] { vxIO::SendByteNoEcho(0xFA); }},
        {"ask for a reply", [] { vxIO::SendZero(); }},
        {"receive", [] { (void)vxIO::ReceiveByte(); }},
        {"receive with echo", [] { (void)vxIO::ReceiveByteEcho(); }},
        {"command", [] { vxIO::StopProgram(); }},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        vxIO::CommError = 0;
        s.run();
        EXPECT_EQ(vxIO::CommError, vxIO::kErrAborted);
        EXPECT_FALSE(main().Comm.PortOpen());
    }
    // Closing still works and is no error.
    vxIO::CloseComm();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_TRUE(sim().waitIdle(2000));
    EXPECT_TRUE(sim().received().empty());

    // Lifted: the next exchange runs as ever.
    vxIO::EndAbort();
    sim().setRam(1000, 0x5C);
    open();
    EXPECT_EQ(vxIO::ReadMemory(1000), 0x5C);
    EXPECT_EQ(vxIO::CommError, 0);
}

TEST_F(AbortTest, TheErrorBoxStaysAwayForAnAbortButClosesAsEver) {
    open();
    frmWait::Load().show();
    vxIO::ShowCommError(vxIO::kErrAborted);
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_FALSE(main().Comm.PortOpen());
    EXPECT_EQ(frmWait::Loaded(), nullptr);
    EXPECT_EQ(vxIO::CommError, 0);
}
