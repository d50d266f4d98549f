// The serial-port control on its own: settings texts, port numbers, opening
// and closing a pseudo-terminal, line speed changes, a device that goes away,
// and the wait for queued bytes before a close or a speed change.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "LinkFixture.h"
#include "platform/CommControl.h"

TEST(LinkCommSettings, Parse) {
    platform::CommLineSettings s;
    ASSERT_TRUE(platform::ParseCommSettings(QStringLiteral("9600,n,8,1"), &s));
    EXPECT_EQ(s.baud, 9600);
    EXPECT_EQ(s.parity, QSerialPort::NoParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data8);
    EXPECT_EQ(s.stopBits, QSerialPort::OneStop);
    ASSERT_TRUE(platform::ParseCommSettings(QStringLiteral(" 115200 , E , 7 , 2 "), &s));
    EXPECT_EQ(s.baud, 115200);
    EXPECT_EQ(s.parity, QSerialPort::EvenParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data7);
    EXPECT_EQ(s.stopBits, QSerialPort::TwoStop);
    for (const char* bad : {"", "9600", "9600,n,8", "9600,x,8,1", "fast,n,8,1", "9600,n,9,1", "9600,n,8,3",
                            "-9600,n,8,1", "9600,n,8,1,1"})
        EXPECT_FALSE(platform::ParseCommSettings(QString::fromLatin1(bad), &s)) << bad;
}

TEST(LinkCommPortNumbers, AdaptersFirstInNumberOrder) {
    const std::vector<platform::CommDevice> devices = {
        {"ttyS1", "/dev/ttyS1", false},      {"ttyUSB10", "/dev/ttyUSB10", true},
        {"ttyS0", "/dev/ttyS0", false},      {"ttyACM0", "/dev/ttyACM0", true},
        {"ttyUSB2", "/dev/ttyUSB2", true},   {"ttyS10", "/dev/ttyS10", false},
        {"ttyS2", "/dev/ttyS2", false},      {"rfcomm0", "/dev/rfcomm0", false},
    };
    EXPECT_EQ(platform::OrderCommDevices(devices),
              (QStringList{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/rfcomm0", "/dev/ttyS0",
                           "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10"}));
}

TEST(LinkCommPortNumbers, EnvironmentNamesTheDevice) {
    qputenv("QVV2_COM7", "/dev/pts/99");
    EXPECT_EQ(platform::ResolveCommPort(7), QStringLiteral("/dev/pts/99"));
    qunsetenv("QVV2_COM7");
    EXPECT_TRUE(platform::ResolveCommPort(0).isEmpty());
    EXPECT_TRUE(platform::ResolveCommPort(-2).isEmpty());

    platform::CommControl c;
    EXPECT_FALSE(c.setCommPort(0));
    EXPECT_FALSE(c.setCommPort(17));
    EXPECT_EQ(c.CommPort(), 1);
    EXPECT_TRUE(c.setCommPort(16));
    EXPECT_FALSE(c.setSettings(QStringLiteral("9600,q,8,1")));
    EXPECT_EQ(c.Settings(), QStringLiteral("9600,n,8,1"));
    EXPECT_FALSE(c.PortOpen());
    EXPECT_EQ(c.Input(), QByteArray());
    EXPECT_FALSE(c.Output(QByteArray(1, 'x')));
}

TEST_F(LinkTest, CommControlOpensChangesSpeedAndReleases) {
    platform::CommControl& c = main().Comm;
    ASSERT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
    EXPECT_EQ(c.DevicePath(), QString::fromStdString(sim().slavePath()));
    EXPECT_FALSE(c.setCommPort(2));  // not while open
    EXPECT_TRUE(c.setSettings(QStringLiteral("115200,n,8,1")));
    EXPECT_EQ(c.Settings(), QStringLiteral("115200,n,8,1"));

    QSignalSpy events(&c, &platform::CommControl::OnComm);
    ASSERT_TRUE(c.Output(QByteArray("\xEE\xFA", 2)));
    bootup_modMain::RawMode = true;  // read the data here, not in the handler
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.InBufferCount() >= 2; }, 1000));
    bootup_modMain::RawMode = false;
    EXPECT_GE(events.count(), 1);
    EXPECT_EQ(c.Input(), QByteArray("\xEE\xFA", 2));
    EXPECT_EQ(c.InBufferCount(), 0);

    EXPECT_TRUE(c.setSettings(QStringLiteral("9600,n,8,1")));
    EXPECT_TRUE(c.setPortOpen(false));
    EXPECT_TRUE(c.setPortOpen(false));  // closing a closed port is fine
    EXPECT_TRUE(c.setPortOpen(true));   // and the device is free again
    EXPECT_TRUE(c.setPortOpen(false));
}

TEST_F(LinkTest, DeviceThatGoesAwayIsReleased) {
    platform::CommControl& c = main().Comm;
    ASSERT_TRUE(c.setPortOpen(true));
    sim().injectFault(ControllerSim::Fault::HangUp);
    ASSERT_TRUE(c.Output(QByteArray(1, char(0xFB))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c.PortOpen(); }, 1000));
    EXPECT_FALSE(c.Output(QByteArray(1, char(0xFB))));

    startSim(2);
    EXPECT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
}

TEST(LinkCommDrain, WireTimeCountsEveryBitOfACharacter) {
    struct Case {
        const char* settings;
        qint64 bytes;
        int64_t micros;
    };
    const Case cases[] = {
        {"9600,n,8,1", 1, 1041},    {"9600,n,8,1", 257, 267708}, {"115200,n,8,1", 257, 22309},
        {"9600,e,8,1", 96, 110000}, {"9600,n,7,2", 96, 100000},  {"9600,o,8,1.5", 2, 2395},
        {"9600,n,8,1", 0, 0},       {"9600,n,8,1", -5, 0},
    };
    for (const Case& c : cases) {
        platform::CommLineSettings s;
        ASSERT_TRUE(platform::ParseCommSettings(QString::fromLatin1(c.settings), &s)) << c.settings;
        EXPECT_EQ(std::chrono::duration_cast<std::chrono::microseconds>(platform::CommWireTime(c.bytes, s)).count(),
                  c.micros)
            << c.settings << " " << c.bytes;
    }
}

namespace {

// How many of the speeds are not `baud`.
size_t Off(const std::vector<int>& speeds, size_t first, size_t count, int baud) {
    size_t off = 0;
    for (size_t i = first; i < first + count; ++i) off += i >= speeds.size() || speeds[i] != baud;
    return off;
}

}  // namespace

TEST_F(LinkTest, CloseAndSpeedChangeWaitForTheQueuedBytesToLeave) {
    // The line carries bytes at the speed set on it, and rests at another.
    sim().setLinePaced(true);
    ASSERT_NE(sim().lineSpeed(), 9600);
    platform::CommControl& c = main().Comm;
    for (int attempt = 1;; ++attempt) {
        ASSERT_TRUE(c.setSettings(QStringLiteral("9600,n,8,1")));
        ASSERT_TRUE(c.setPortOpen(true));
        sim().clearLogs();

        // Lone zeros, which the controller does not answer: 100 of them
        // need 104 ms on the line at 9600.  The change to 115200 comes right
        // after the write and must not catch any of them.
        QElapsedTimer t;
        t.start();
        const auto slowHanded = std::chrono::steady_clock::now();
        ASSERT_TRUE(c.Output(QByteArray(100, '\0')));
        ASSERT_TRUE(c.setSettings(QStringLiteral("115200,n,8,1")));
        EXPECT_GE(t.elapsed(), 100);
        const auto fastHanded = std::chrono::steady_clock::now();
        ASSERT_TRUE(c.Output(QByteArray(200, '\0')));
        // Closing puts the resting speed back at once: it waits for the 200
        // bytes (17 ms at 115200) first.
        ASSERT_TRUE(c.setPortOpen(false));
        EXPECT_GE(t.elapsed(), 104 + 17);

        ASSERT_TRUE(sim().waitForReceived(300, 2000));
        const std::vector<int> speeds = sim().receivedSpeeds();
        const LineAttempt line =
            AfterLineAttempt(Off(speeds, 0, 100, 9600) == 0 && Off(speeds, 100, 200, 115200) == 0,
                             std::max(LineLateMs(0, 100, slowHanded), LineLateMs(100, 200, fastHanded)), attempt,
                             "speed change");
        if (line == LineAttempt::Again) continue;
        if (line == LineAttempt::Judge) {
            EXPECT_EQ(Off(speeds, 0, 100, 9600), 0u);
            EXPECT_EQ(Off(speeds, 100, 200, 115200), 0u);
        }
        break;
    }

    // With nothing queued a close has nothing to wait for: its drain may
    // wait no longer than the bare margin.
    ASSERT_TRUE(c.setSettings(QStringLiteral("115200,n,8,1")));
    ASSERT_TRUE(c.setPortOpen(true));
    EXPECT_EQ(c.DrainLimit(), platform::CommControl::kDrainMargin);
    ASSERT_TRUE(c.setPortOpen(false));

    // Nor after an echoed byte: the echo shows the controller has it.
    vxIO::OpenComm();
    vxIO::SendByte(0xEE);
    ASSERT_EQ(vxIO::CommError, 0);
    EXPECT_LE(c.DrainLimit(), platform::CommControl::kDrainMargin + std::chrono::milliseconds(1));
    ASSERT_TRUE(c.setPortOpen(false));
    SKIP_IF_UNJUDGED();
}

TEST_F(LinkTest, ABlockWrittenJustBeforeACloseOrSpeedChangeReachesTheLineWhole) {
    // A block of 257 bytes handed over at one speed, followed at once by a
    // close (the line goes back to its resting speed) or by a change to the
    // other speed: every byte of it travels at the speed it was written for.
    sim().setLinePaced(true);
    platform::CommControl& c = main().Comm;
    struct Case {
        const char* speed;
        int baud;
        const char* then;  // nullptr: close; else the speed changed to
    };
    const Case cases[] = {
        {"9600,n,8,1", 9600, nullptr},
        {"115200,n,8,1", 115200, nullptr},
        {"9600,n,8,1", 9600, "115200,n,8,1"},
        {"115200,n,8,1", 115200, "9600,n,8,1"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.speed) + (k.then ? std::string(" then ") + k.then : std::string(" then close")));
        for (int attempt = 1;; ++attempt) {
            ASSERT_TRUE(c.setPortOpen(false));
            ASSERT_TRUE(c.setSettings(QString::fromLatin1(k.speed)));
            ASSERT_TRUE(c.setPortOpen(true));
            ASSERT_TRUE(sim().waitIdle(2000));
            sim().clearLogs();
            const auto handed = std::chrono::steady_clock::now();
            ASSERT_TRUE(c.Output(QByteArray(257, '\0')));
            if (k.then)
                ASSERT_TRUE(c.setSettings(QString::fromLatin1(k.then)));
            else
                ASSERT_TRUE(c.setPortOpen(false));
            ASSERT_TRUE(sim().waitForReceived(257, 3000));
            const size_t off = Off(sim().receivedSpeeds(), 0, 257, k.baud);
            const LineAttempt line = AfterLineAttempt(off == 0, LineLateMs(0, 257, handed), attempt, k.speed);
            if (line == LineAttempt::Again) continue;
            if (line == LineAttempt::Judge) {
                EXPECT_EQ(off, 0u);
            }
            break;
        }
    }
    ASSERT_TRUE(c.setPortOpen(false));
    SKIP_IF_UNJUDGED();
}

TEST_F(LinkTest, ALongDrainLetsTheEventQueueRunWithTheExchangeGuardHeld) {
    // 257 bytes at 9600 need 268 ms on the line: the close waits that long,
    // but the user interface keeps running meanwhile, and a controller
    // command started from an event then does nothing.
    sim().setLinePaced(true);
    vxIO::OpenComm();
    ASSERT_EQ(vxIO::CommError, 0);
    ASSERT_TRUE(sim().waitIdle(2000));
    sim().clearLogs();
    platform::CommControl& c = main().Comm;
    ASSERT_TRUE(c.Output(QByteArray(257, '\0')));

    int events = 0;
    bool openDuringEvent = false;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++events;
        openDuringEvent = c.PortOpen();
        vxIO::SendByte(0xFB);  // refused: the close's wait is in progress
    });
    ticker.start();
    vxIO::CloseComm();
    ticker.stop();
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_FALSE(c.PortOpen());
    EXPECT_GE(events, 3);
    EXPECT_TRUE(openDuringEvent);

    ASSERT_TRUE(sim().waitForReceived(257, 3000));
    ASSERT_TRUE(sim().waitIdle(2000));
    EXPECT_EQ(sim().received(), Bytes(257, 0));
}

// A pseudo-terminal of the test's own, reached as port 9: the test holds its
// other side.
class OwnLine {
public:
    OwnLine() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        char name[128] = {};
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            ::ptsname_r(master_, name, sizeof name) != 0)
            return;
        qputenv("QVV2_COM9", name);
        ok_ = true;
    }
    ~OwnLine() {
        if (master_ >= 0) ::close(master_);
        qunsetenv("QVV2_COM9");
    }
    OwnLine(const OwnLine&) = delete;
    OwnLine& operator=(const OwnLine&) = delete;
    bool ok() const { return ok_; }
    int master() const { return master_; }

private:
    int master_ = -1;
    bool ok_ = false;
};

TEST(LinkCommDrain, APeerThatNeverReadsHoldsTheCloseNoLongerThanTheLimit) {
    // A pseudo-terminal whose other side is never read: the bytes stay in
    // it, and what it cannot take stays in the port's own buffer.
    const OwnLine line;
    ASSERT_TRUE(line.ok());

    platform::CommControl c;
    ASSERT_TRUE(c.setCommPort(9));
    ASSERT_TRUE(c.setSettings(QStringLiteral("115200,n,8,1")));
    ASSERT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
    ASSERT_TRUE(c.Output(QByteArray(16000, 'x')));

    // The limit follows from the bytes and the speed: twice their 1.39 s on
    // the line, plus the margin.
    const qint64 limit = c.DrainLimit().count();
    EXPECT_GE(limit, 1389);
    EXPECT_LE(limit, 2 * 1389 + 200 + 2);
    EXPECT_TRUE(c.setPortOpen(false));
    // The limit, not the bytes, ended the wait: they never left.
    EXPECT_FALSE(c.PortOpen());
    EXPECT_TRUE(c.LastError().contains(QStringLiteral("time-out for its drain"))) << c.LastError().toStdString();

    // The device is free again at once.
    EXPECT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
    EXPECT_TRUE(c.setPortOpen(false));
}

TEST(LinkCommDrain, AnAnswerEndsTheLineTimeOfEveryWriteBeforeTheLast) {
    // A line faster than its settings say (here a pseudo-terminal, read at
    // once; a USB device that ignores the speed is another): the other side
    // has taken a long block at 9600 baud and answered it long before the
    // line time of its bytes (2.1 s) has passed.  An answer shows that every
    // write before the last one has left; the last one keeps its own line
    // time, since it may still sit in an adapter's buffer behind an echo of
    // its first byte.
    const OwnLine line;
    ASSERT_TRUE(line.ok());
    const int master = line.master();
    // Reads `count` bytes from the other side of the line.
    const auto take = [master](size_t count) {
        std::string got;
        QElapsedTimer t;
        t.start();
        while (got.size() < count && t.elapsed() < 3000) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<size_t>(n));
        }
        return got.size();
    };
    platform::CommControl c;
    // The other side answers "!"; the control has taken it.
    const auto answer = [&] {
        ASSERT_EQ(::write(master, "!", 1), 1);
        QElapsedTimer wait;
        wait.start();
        while (c.InBufferCount() < 1 && wait.elapsed() < 3000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(c.Input(), QByteArray("!"));
    };

    // `count` bytes written and taken by the other side, which answers them
    // when `answered`.
    const auto block = [&](int count, bool answered) {
        ASSERT_TRUE(c.Output(QByteArray(count, 'x')));
        ASSERT_EQ(take(static_cast<size_t>(count)), static_cast<size_t>(count));
        if (answered) answer();
    };

    ASSERT_TRUE(c.setCommPort(9));
    ASSERT_TRUE(c.setSettings(QStringLiteral("9600,n,8,1")));
    ASSERT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();

    // The most a close may now wait: twice what is still on the line plus
    // the margin.  It only shrinks while the test runs, however late.
    platform::CommLineSettings slow;
    slow.baud = 9600;
    const auto mostFor = [&](qint64 bytes) {
        return 2 * std::chrono::ceil<std::chrono::milliseconds>(platform::CommWireTime(bytes, slow)) +
               platform::CommControl::kDrainMargin;
    };

    // A long block, then a short one, both answered: the close waits for no
    // more than the short one's line time.
    block(2000, true);
    block(4, true);
    EXPECT_LE(c.DrainLimit(), mostFor(4));
    EXPECT_TRUE(c.setPortOpen(false));
    EXPECT_FALSE(c.PortOpen());

    // The same, then 100 bytes more, taken at once but not answered: they
    // keep their 104 ms at 9600.
    ASSERT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
    block(2000, true);
    block(4, true);
    QElapsedTimer t;
    t.start();
    block(100, false);
    // (The short block's line time may not be over when they are written.)
    EXPECT_LE(c.DrainLimit(), mostFor(4 + 100));
    EXPECT_TRUE(c.setPortOpen(false));
    EXPECT_GE(t.elapsed(), 100);

    // An answer that comes while the last block may still be on its way
    // (an echo of its first byte): the block keeps its line time (1.04 s).
    ASSERT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
    block(1000, true);
    t.restart();
    EXPECT_LE(c.DrainLimit(), mostFor(1000));
    EXPECT_TRUE(c.setPortOpen(false));
    EXPECT_GE(t.elapsed(), 900);
}
