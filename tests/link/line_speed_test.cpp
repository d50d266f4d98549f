// The line speed each byte travels at, on a simulated line that carries the
// host's bytes at the speed the host has set on it, byte after byte: every
// byte of the fast download's blocks (the last one included) leaves at
// 115200 baud, and the line goes back to its resting speed only after the
// last block's last byte; the same for the firmware update's last block and
// end marker, and for the download that clears the controller's memory.
#include <QAction>
#include <QFrame>
#include <QPushButton>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "download_support.h"

namespace {

// The received speeds from `first` on (`count` bytes) as runs: "9600x2
// 115200x776".  A byte that went out at the wrong speed shows as a run of
// its own.
std::string Runs(const std::vector<int>& speeds, size_t first, size_t count) {
    std::ostringstream out;
    size_t i = first;
    const size_t end = std::min(speeds.size(), first + count);
    while (i < end) {
        size_t j = i;
        while (j < end && speeds[j] == speeds[i]) ++j;
        if (i != first) out << ' ';
        out << speeds[i] << 'x' << (j - i);
        i = j;
    }
    if (first + count > speeds.size()) out << " missing" << (first + count - speeds.size());
    return out.str();
}

std::string Runs(const std::vector<int>& speeds) { return Runs(speeds, 0, speeds.size()); }

}  // namespace

class LineSpeedTest : public DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        sim().setLinePaced(true);
        track_ = std::make_unique<QFrame>();
        track_->resize(300, 12);
        barA_ = new QFrame(track_.get());
        barB_ = new QFrame(track_.get());
    }

    // The speed the line rests at while the host has it closed (closing the
    // port puts this speed back, as a real adapter keeps the settings it
    // had before the program opened it).
    void RestLineAt(speed_t speed) {
        const int fd = ::open(sim().slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(::tcgetattr(fd, &t), 0);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
        ::close(fd);
    }

    // The speeds of the bytes the host sent, once the line has carried
    // `count` bytes (what is still in the line when the host has finished
    // keeps going at whatever speed the line has by then).
    std::vector<int> Speeds(size_t count) {
        EXPECT_TRUE(sim().waitForReceived(count, 3000));
        EXPECT_TRUE(sim().waitIdle(3000));
        return sim().receivedSpeeds();
    }

    std::unique_ptr<QFrame> track_;
    QFrame* barA_ = nullptr;
    QFrame* barB_ = nullptr;
};

TEST_F(LineSpeedTest, EveryByteOfEveryDownloadBlockTravelsAt115200) {
    RestLineAt(B9600);
    ASSERT_EQ(sim().lineSpeed(), 9600);

    // Three blocks; the host closes the port right after writing the last.
    const int32_t n = 600;
    std::vector<uint8_t> image(n + 1, 0);
    for (int32_t i = 1; i <= n; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 37 + 11);
    for (int attempt = 1;; ++attempt) {
        sim().clearLogs();
        ASSERT_TRUE(vxIO::DownloadFastWithBars(image, n, 0, 300 * 15, barA_, barB_));
        EXPECT_TRUE(boxes_->Calls().empty());
        // Stop and enter at 9600; the length, the three requests and the
        // three blocks of 257 bytes at 115200.
        const std::vector<int> speeds = Speeds(4 + 3 * (1 + 257));
        // The host cannot hand the last block over before the controller's
        // "!" for it has gone out.
        const Bytes sent = sim().sent();
        const auto sentAt = sim().sentTimes();
        ASSERT_EQ(sent.size(), 7u);
        const LineAttempt line = AfterLineAttempt(Runs(speeds) == "9600x2 115200x776",
                                                  LineLateMs(4 + 2 * (1 + 257) + 1, 257, sentAt.back()), attempt,
                                                  "the download's last block");
        if (line == LineAttempt::Again) {
            RestLineAt(B9600);
            continue;
        }
        if (line == LineAttempt::Judge) {
            EXPECT_EQ(Runs(speeds), "9600x2 115200x776");
        }
        break;
    }
    EXPECT_EQ(sim().downloadedImage(), Bytes(image.begin() + 1, image.end()));
    ExpectAtRest();

    // Back at 9600 after the last block: the line rests there, and the next
    // command travels at 9600.
    EXPECT_EQ(sim().lineSpeed(), 9600);
    sim().clearLogs();
    vxIO::OpenComm();
    vxIO::SendByte(0xFB);
    EXPECT_EQ(vxIO::CommError, 0);
    vxIO::CloseComm();
    EXPECT_EQ(Runs(Speeds(1)), "9600x1");
    SKIP_IF_UNJUDGED();
}

TEST_F(LineSpeedTest, TheFirmwareUpdatesLastBlockAndEndMarkerLeaveAtTheUpdatesSpeed) {
    WriteFirmware(GeneratedFirmware(600));  // blocks 0 to 2
    Compile(Program(10));
    bootup_modMain::FirmwareReadTimeOutMs = kTimeOutMs;  // the check must see the answer, however busy the machine
    const size_t blocks = static_cast<size_t>((basic_.TotalBytes - 1) / 256 + 1);
    const size_t fast = 2 + blocks * (1 + 257);
    for (int attempt = 1;; ++attempt) {
        startSim(2);
        sim().setLinePaced(true);
        // A line left at another speed by whatever used it before: closing
        // the port too early would send what is still queued at that speed.
        RestLineAt(B38400);
        sim().setBootCode(TestBootCode());
        sim().setIdentification({2, 2, 4, 0, 128, 32});  // old firmware: the update is offered
        boxes_.reset();  // the old responder goes before the new one comes
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        {
            frmRun w;
            w.PromptWaitMs = 3000;
            w.ReplyWaitMs = 2000;
            w.show();
            w.cmdOK->click();
            EXPECT_TRUE(w.UpdateSucceeded);
        }
        EXPECT_EQ(sim().flashBlocks(), (std::vector<int>{0, 1, 2}));
        EXPECT_TRUE(sim().flashComplete());
        EXPECT_TRUE(modMain::Downloaded);
        ExpectAtRest();

        // Everything up to the download's length went at 9600: the version
        // check, the wake-up, the start sequence, the three blocks and the
        // end marker; then the download's length, requests and blocks at
        // 115200.
        const std::vector<int> speeds = Speeds(fast);
        const Bytes rx = sim().received();
        ASSERT_GT(rx.size(), fast);
        const size_t slow = rx.size() - fast;
        // The end marker is the update's last bytes, just before the
        // download's stop and enter.
        ASSERT_GE(slow, 4u);
        EXPECT_EQ(Bytes(rx.begin() + static_cast<std::ptrdiff_t>(slow) - 4,
                        rx.begin() + static_cast<std::ptrdiff_t>(slow)),
                  (Bytes{255, 0, 0xFA, 0xED}));
        // The host cannot hand a block (or the end marker) over before the
        // controller's "!" that asks for it has gone out: the download's
        // last, and the update's last two, just before the download's stop,
        // enter, length and its blocks' "!".
        const auto sentAt = sim().sentTimes();
        const size_t updateLast = sentAt.size() - 1 - 4 - blocks;
        ASSERT_GE(sentAt.size(), 6 + blocks);
        const double late = std::max({LineLateMs(rx.size() - 257, 257, sentAt.back()),
                                      LineLateMs(slow - 4, 2, sentAt[updateLast]),
                                      LineLateMs(slow - 4 - 259, 259, sentAt[updateLast - 1])});
        const std::string expected = "9600x" + std::to_string(slow) + " 115200x" + std::to_string(fast);
        const LineAttempt line = AfterLineAttempt(Runs(speeds) == expected, late, attempt, "the last blocks");
        if (line == LineAttempt::Again) continue;
        if (line == LineAttempt::Judge) {
            EXPECT_EQ(Runs(speeds), expected);
        }
        break;
    }
    EXPECT_EQ(sim().lineSpeed(), 38400);
    SKIP_IF_UNJUDGED();
}

TEST_F(LineSpeedTest, TheMemoryClearsDownloadTravelsAt115200) {
    for (int attempt = 1;; ++attempt) {
        RestLineAt(B9600);
        sim().clearLogs();
        boxes_.reset();  // the old responder goes before the new one comes
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
        main().mnuMemClear->trigger();
        ASSERT_EQ(boxes_->Calls().size(), 2u);
        EXPECT_EQ(Box(1), QStringLiteral("Clear memory is OK !"));

        // The loop is one block: stop and enter at 9600, then the length,
        // the request and the block at 115200.
        const std::vector<int> speeds = Speeds(4 + 1 + 257);
        EXPECT_EQ(sim().downloadCount(), attempt);
        // The host cannot hand the block over before the controller's "!"
        // for it has gone out.
        const auto sentAt = sim().sentTimes();
        ASSERT_EQ(sentAt.size(), 5u);
        const LineAttempt line =
            AfterLineAttempt(Runs(speeds) == "9600x2 115200x260", LineLateMs(4 + 1, 257, sentAt.back()), attempt,
                             "the block");
        if (line == LineAttempt::Again) continue;
        if (line == LineAttempt::Judge) {
            EXPECT_EQ(Runs(speeds), "9600x2 115200x260");
        }
        break;
    }
    EXPECT_LE(sim().downloadLength(), 256);
    EXPECT_EQ(sim().lineSpeed(), 9600);
    EXPECT_FALSE(main().Comm.PortOpen());
    EXPECT_EQ(main().Comm.Settings(), QStringLiteral("9600,n,8,1"));
    SKIP_IF_UNJUDGED();
}
