// The byte link's operations, receive handler, waits and modMain.Delay.
#include <QTest>
#include <QTimer>

#include <time.h>

#include <algorithm>

#include "LinkFixture.h"
#include "protocol/modMainDelay.h"

double ProcessCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

TEST_F(LinkTest, ClosedPortFailsAtOnceAndSendsNothing) {
    ASSERT_FALSE(main().Comm.PortOpen());
    const std::vector<std::function<void()>> ops = {
        [] { vxIO::SendByte(0xFB); },
        [] { vxIO::SendByteNoEcho(0x12); },
        [] { vxIO::SendZero(); },
        [] { EXPECT_EQ(vxIO::ReceiveByteEcho(), 0); },
        [] { EXPECT_EQ(vxIO::ReceiveByte(), 0); },
        [] { vxIO::StopProgram(); },
        [] { EXPECT_EQ(vxIO::ReadMemory(1260), 0); },
    };
    for (size_t i = 0; i < ops.size(); ++i) {
        vxIO::CommError = 0;
        ops[i]();
        EXPECT_EQ(vxIO::CommError, vxIO::kErrNotOpen) << "operation " << i;
        // At once: no reply wait was started, so none ran out.
        EXPECT_FALSE(main().TimeOut.isActive()) << "operation " << i;
        EXPECT_FALSE(vxIO::RxTimedOut()) << "operation " << i;
    }
    EXPECT_FALSE(sim().waitForReceived(1, 50));
}

TEST_F(LinkTest, ReceiveByteEchoSendsTheByteBack) {
    open();
    vxIO::StepProgram();
    vxIO::SendZero();
    EXPECT_EQ(vxIO::ReceiveByteEcho(), 0xAA);
    EXPECT_EQ(vxIO::CommError, 0);
    ASSERT_TRUE(sim().waitForReceived(3, 1000));
    EXPECT_EQ(sim().received(), (Bytes{0xF3, 0x00, 0xAA}));
}

TEST_F(LinkTest, OnlyTheFirstByteOfAReceiptCounts) {
    open();
    // The controller answers the command with a burst of five bytes at once.
    sim().injectFault(ControllerSim::Fault::Garbage);
    vxIO::SendByte(0xEE);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrEcho);
    EXPECT_EQ(vxIO::RxByte(), 0xEE ^ 0x5A);  // the byte received stays visible
    ASSERT_TRUE(sim().waitIdle(1000));
    // The rest of the burst went with its receipt: the next byte is clean.
    vxIO::SendByte(0xEE);
    EXPECT_EQ(vxIO::CommError, 0);
}

TEST_F(LinkTest, RawModeLeavesDataToTheReaderAndTheWaitTimesOut) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    open();
    bootup_modMain::RawMode = true;
    vxIO::SendByte(0xEE);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_EQ(main().Comm.InBufferCount(), 1);
    EXPECT_EQ(main().Comm.Input(), QByteArray(1, char(0xEE)));
    bootup_modMain::RawMode = false;
}

TEST_F(LinkTest, OpeningAndClosingDiscardWaitingInput) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    open();
    bootup_modMain::RawMode = true;
    vxIO::SendByteNoEcho(0xFA);  // its echo stays in the buffer
    ASSERT_TRUE(sim().waitIdle(1000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return main().Comm.InBufferCount() == 1; }, 1000));
    vxIO::OpenComm();  // already open: only discards
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_TRUE(main().Comm.PortOpen());
    EXPECT_EQ(main().Comm.InBufferCount(), 0);
    bootup_modMain::RawMode = false;

    // A reply that comes after the port was closed does not reach the next
    // exchange either.
    sim().injectFault(ControllerSim::Fault::LateReply, 0, kShortTimeOutMs + 100);
    vxIO::StopProgram();
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    vxIO::CloseComm();
    ASSERT_TRUE(sim().waitIdle(2000));
    open();
    vxIO::StopProgram();
    EXPECT_EQ(vxIO::CommError, 0);
}

TEST_F(LinkTest, WaitingForAReplySleeps) {
    main().TimeOut.setInterval(800);
    sim().setSilent(true);
    open();
    QElapsedTimer t;
    t.start();
    const double cpu0 = ProcessCpuMs();
    vxIO::SendByte(0xFB);
    const double cpu = ProcessCpuMs() - cpu0;
    const qint64 wall = t.elapsed();
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_TRUE(vxIO::RxTimedOut());
    EXPECT_GE(wall, 790);
    EXPECT_LT(cpu, 0.2 * double(wall)) << "cpu " << cpu << " ms in " << wall << " ms";
}

TEST_F(LinkTest, DelayWaitsWhileEventsRun) {
    // Nothing to wait: back at once, without running the event queue or the
    // timer.
    bool ranMeanwhile = false;
    QTimer::singleShot(0, [&] { ranMeanwhile = true; });
    modMain::DelayElapsed = false;
    modMain::Delay(0);
    modMain::Delay(-5);
    EXPECT_FALSE(ranMeanwhile);
    EXPECT_FALSE(modMain::DelayElapsed);
    EXPECT_FALSE(main().TimeDelay.isActive());
    QCoreApplication::processEvents();
    EXPECT_TRUE(ranMeanwhile);

    QElapsedTimer t;
    t.start();
    modMain::Delay(1);
    EXPECT_GE(t.nsecsElapsed(), 900'000);
    EXPECT_TRUE(modMain::DelayElapsed);
    EXPECT_FALSE(main().TimeDelay.isActive());

    bool otherEventRan = false;
    QTimer::singleShot(10, [&] { otherEventRan = true; });
    t.restart();
    const double cpu0 = ProcessCpuMs();
    modMain::Delay(120);
    const double cpu = ProcessCpuMs() - cpu0;
    const qint64 wall = t.elapsed();
    EXPECT_TRUE(otherEventRan);
    EXPECT_GE(wall, 118);
    EXPECT_LT(cpu, 0.2 * double(wall));
}

TEST_F(LinkTest, TimersDisableThemselves) {
    // An exchange that got its echo leaves no time-out behind.
    open();
    vxIO::SendByte(0xEE);
    ASSERT_EQ(vxIO::CommError, 0);
    ASSERT_FALSE(vxIO::RxTimedOut());
    main().TimeOut.start();
    main().TimeOut_Timer();
    EXPECT_TRUE(vxIO::RxTimedOut());
    EXPECT_FALSE(main().TimeOut.isActive());

    main().TimeDelay.start(1000);
    modMain::DelayElapsed = false;
    main().TimeDelay_Timer();
    EXPECT_TRUE(modMain::DelayElapsed);
    EXPECT_FALSE(main().TimeDelay.isActive());
}

TEST_F(LinkTest, PacedLineCostsItsWireTime) {
    // At 9600 baud a byte takes 1.04 ms each way: 24 echoed bytes are 50 ms
    // on the wire.
    sim().setBaud(9600);
    open();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 24; ++i) {
        vxIO::SendByte(0xEE);
        ASSERT_EQ(vxIO::CommError, 0) << "byte " << i;
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    // Never faster than the wire: each byte waits for its echo.  (What the
    // link adds to the wire time is link_bench's to measure.)
    const double wire = 24 * 2 * 10.0 / 9600 * 1000;
    EXPECT_GE(ms, wire * 0.98);
}

TEST_F(LinkTest, AWindowIsToldWhenTheLineIsQuietAgain) {
    SetTimeOut(kShortTimeOutMs);
    const int floor = vxIO::QuietFloorMs();
    vxIO::SetQuietFloorMs(kShortTimeOutMs);
    open();
    sim().injectFault(ControllerSim::Fault::WrongEcho);
    vxIO::SendByte(0xEE);
    ASSERT_EQ(vxIO::CommError, vxIO::kErrEcho);
    ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);

    QObject window;
    int told = 0;
    int quietWhenTold = -1;
    // A second call takes the first one's place: one call, the second's.
    vxIO::WhenLineQuiet(&window, [&] { told += 100; });
    vxIO::WhenLineQuiet(&window, [&] {
        ++told;
        quietWhenTold = vxIO::BrokenFrameQuietMs();
    });
    auto gone = std::make_unique<QObject>();
    bool goneTold = false;
    vxIO::WhenLineQuiet(gone.get(), [&] { goneTold = true; });
    gone.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return told != 0; }, 10'000));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(quietWhenTold, 0);
    EXPECT_FALSE(goneTold);

    // With the line quiet already: on the next turn of the event queue, not
    // inside the call.
    vxIO::WhenLineQuiet(&window, [&] { ++told; });
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return told == 2; }, 10'000));
    vxIO::CloseComm();
    vxIO::SetQuietFloorMs(floor);
}
