// The firmware update at the protocol, against the simulated controller's
// boot loader: what goes on the wire, the progress it reports, and the code
// a failure leaves with the line at rest.
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>

#include "LinkFixture.h"
#include "TestFirmware.h"
#include "protocol/FirmwareUpdate.h"

namespace {

using Steps = std::vector<std::pair<int32_t, int32_t>>;

Firmware::AccessCode TestAccessCode() {
    const ControllerSim::BootCode c = TestBootCode();
    Firmware::AccessCode code;
    code.WakeUp = c.wakeUp;
    code.WakeUpReply = c.wakeUpReply;
    code.Prompt = c.prompt;
    code.Start = c.start;
    code.Acknowledge = c.acknowledge;
    return code;
}

// Header and body of one block on the wire.
constexpr size_t kBlockOnWire = 2 + 257;

}  // namespace

class BootLoaderTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        sim().setBootCode(TestBootCode());
    }

    // The update with short waits, recording each progress report.
    bool Update(const std::vector<uint8_t>& image, int settleMs = 300) {
        steps_.clear();
        vxIO::FirmwareWaits waits;
        waits.PromptMs = 2000;
        waits.ReplyMs = 1000;
        waits.SettleMs = settleMs;
        return vxIO::UpdateFirmware(image, TestAccessCode(), waits,
                                    [this](int32_t done, int32_t total) { steps_.emplace_back(done, total); });
    }

    // What the wake-up and the start sequence put on the wire.
    static Bytes WakeUp(size_t count = 5) {
        const ControllerSim::BootCode c = TestBootCode();
        return Bytes(c.wakeUp.begin(), c.wakeUp.begin() + static_cast<std::ptrdiff_t>(count));
    }
    static Bytes WakeUpAndStart() {
        // Made at its full size and filled in place: appending to the
        // wake-up bytes makes GCC 12's optimiser warn (-Warray-bounds) about
        // a copy that stays in range.
        const ControllerSim::BootCode c = TestBootCode();
        Bytes b(c.wakeUp.size() + c.start.size());
        std::copy(c.start.begin(), c.start.end(), std::copy(c.wakeUp.begin(), c.wakeUp.end(), b.begin()));
        return b;
    }

    // Progress after the acknowledgement and after blocks 0..lastDone.
    static Steps Reports(int32_t last, int32_t lastDone) {
        Steps s = {{0, last}};
        for (int32_t k = 0; k <= lastDone; ++k) s.emplace_back(k, last);
        return s;
    }

    Steps steps_;
};

TEST_F(BootLoaderTest, SendsEveryBlockAndTheEndMarkerThenPauses) {
    struct Case {
        size_t size;
        int32_t last;
    };
    // 1,000 bytes end in block 3 but the last block number rounds up to 4.
    const Case cases[] = {{1000, 4}, {1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        startSim(2);
        sim().setBootCode(TestBootCode());
        const std::vector<uint8_t> image = GeneratedFirmware(c.size);
        // When the port was first seen closed after the end marker.
        using Clock = std::chrono::steady_clock;
        Clock::time_point closed{};
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (closed == Clock::time_point{} && sim().flashComplete() && !main().Comm.PortOpen())
                closed = Clock::now();
        });
        watch.start();
        ASSERT_TRUE(Update(image));
        const Clock::time_point returned = Clock::now();
        watch.stop();
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(steps_, Reports(c.last, c.last));

        // Wake-up, start sequence, blocks 0..last numbered {k, 0}, then the
        // end marker, and nothing after it.
        const Bytes w = wire();
        const size_t blocks = static_cast<size_t>(c.last) + 1;
        ASSERT_EQ(w.size(), 12 + blocks * kBlockOnWire + 2);
        EXPECT_EQ(Bytes(w.begin(), w.begin() + 12), WakeUpAndStart());
        for (size_t k = 0; k < blocks; ++k) {
            EXPECT_EQ(w[12 + k * kBlockOnWire], k) << k;
            EXPECT_EQ(w[12 + k * kBlockOnWire + 1], 0) << k;
        }
        EXPECT_EQ(Bytes(w.end() - 2, w.end()), (Bytes{255, 0}));

        // The boot loader decoded the image and 255 as fill.
        std::vector<int> numbers(blocks);
        for (size_t k = 0; k < blocks; ++k) numbers[k] = static_cast<int>(k);
        EXPECT_EQ(sim().flashBlocks(), numbers);
        EXPECT_TRUE(sim().flashComplete());
        const Bytes flash = sim().flash();
        ASSERT_EQ(flash.size(), blocks * 256);
        EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
        EXPECT_TRUE(std::all_of(flash.begin() + static_cast<std::ptrdiff_t>(image.size()), flash.end(),
                                [](uint8_t b) { return b == 255; }));

        // The settling pause follows the end marker, with the port closed:
        // seen closed while the update still ran, and it ran on for the
        // pause after the last block's "!" (which the host waited for before
        // its end marker).
        ASSERT_NE(closed, Clock::time_point{});
        const auto sentAt = sim().sentTimes();
        ASSERT_FALSE(sentAt.empty());
        EXPECT_EQ(sim().sent().back(), '!');
        EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(returned - sentAt.back()).count(), 300);
        ExpectAtRest();
    }
}

TEST_F(BootLoaderTest, ABootLoaderThatAnswersWrongEndsTheUpdateWithItsCode) {
    const std::vector<uint8_t> image = GeneratedFirmware(5000);  // blocks 0 to 20
    const int32_t last = 20;
    struct Case {
        const char* what;
        ControllerSim::BootFault fault;
        int at;
        Bytes wireStart;  // what the wire starts with
        size_t wireSize;  // and its length
        size_t accepted;  // blocks the boot loader took
        Steps steps;
    };
    const Case cases[] = {
        {"wrong wake-up reply", ControllerSim::BootFault::WrongWakeReply, 2, WakeUp(3), 3, 0, {}},
        {"no prompt", ControllerSim::BootFault::NoPrompt, 0, WakeUp(), 5, 0, {}},
        {"wrong acknowledgement", ControllerSim::BootFault::WrongAck, 0, WakeUpAndStart(), 12, 0, {}},
        {"four bytes, then six", ControllerSim::BootFault::SplitAck, 0, WakeUpAndStart(), 12, 0, {}},
        {"block refused", ControllerSim::BootFault::BlockRefused, 3, WakeUpAndStart(), 12 + 4 * kBlockOnWire, 3,
         Reports(last, 2)},
        {"no block reply", ControllerSim::BootFault::BlockSilence, 5, WakeUpAndStart(), 12 + 6 * kBlockOnWire, 6,
         Reports(last, 4)},
        {"the line goes away", ControllerSim::BootFault::BlockHangUp, 4, WakeUpAndStart(), 12 + 5 * kBlockOnWire, 5,
         Reports(last, 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startSim(2);
        sim().setBootCode(TestBootCode());
        sim().injectBootFault(c.fault, c.at);
        EXPECT_FALSE(Update(image));
        EXPECT_EQ(vxIO::CommError, vxIO::kErrBootLoader);
        EXPECT_EQ(steps_, c.steps);
        const Bytes w = wire();
        ASSERT_EQ(w.size(), c.wireSize);
        EXPECT_EQ(Bytes(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(c.wireStart.size())), c.wireStart);
        EXPECT_EQ(sim().flashBlocks().size(), c.accepted);
        EXPECT_FALSE(sim().flashComplete());
        ExpectAtRest();
    }
}

TEST_F(BootLoaderTest, LinkFailuresLeaveTheLinksCode) {
    struct Case {
        const char* what;
        const char* device;  // in the simulator's place, when set
        std::function<void(ControllerSim&)> inject;
        size_t imageSize;
        int16_t code;
        Bytes wire;
    };
    const auto none = [](ControllerSim&) {};
    const Case cases[] = {
        {"no device", "/nonexistent/serial-device", none, 3000, vxIO::kErrOpen, {}},
        {"no reply to the third wake-up byte", nullptr,
         [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::NoReply, 2); }, 3000, vxIO::kErrTimeOut, WakeUp(3)},
        {"an empty image", nullptr, none, 0, vxIO::kErrObjectCode, {}},
        {"an image longer than 255 blocks", nullptr, none, Firmware::kMaxImageBytes + 1, vxIO::kErrTooBig, {}},
    };
    SetTimeOut(kShortTimeOutMs);  // the time-out ends the silent wake-up
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startSim(2);
        sim().setBootCode(TestBootCode());
        if (c.device) qputenv("QVV2_COM1", c.device);
        c.inject(sim());
        EXPECT_FALSE(Update(GeneratedFirmware(c.imageSize)));
        EXPECT_EQ(vxIO::CommError, c.code);
        EXPECT_TRUE(steps_.empty());
        EXPECT_EQ(wire(), c.wire);
        EXPECT_TRUE(sim().flashBlocks().empty());
        ExpectAtRest();
    }
}

// The wake-up bytes go out without an echo, but like every byte the link
// sends they wait until a frame that broke off before has left the line
// quiet for the quiet time.
TEST_F(BootLoaderTest, TheWakeUpWaitsForTheQuietLineLikeEveryByte) {
    SetTimeOut(kShortTimeOutMs);
    open();
    sim().injectFault(ControllerSim::Fault::WrongEcho);
    // Before the failing byte is written (the simulator may read it late).
    const auto before = std::chrono::steady_clock::now();
    vxIO::SendByte(0xEE);
    ASSERT_EQ(vxIO::CommError, vxIO::kErrEcho);
    vxIO::CloseComm();
    const int quietMs = std::max(kShortTimeOutMs, vxIO::QuietFloorMs());
    ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);

    int waits = 0;
    const vxIO::QuietWaitNotice notice([&](bool waiting) { waits += waiting ? 1 : 0; });
    ASSERT_TRUE(Update(GeneratedFirmware(300)));
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(waits, 1);
    const Bytes w = wire();
    ASSERT_GT(w.size(), 12u);
    EXPECT_EQ(w[0], 0xEE);
    EXPECT_EQ(Bytes(w.begin() + 1, w.begin() + 13), WakeUpAndStart());
    const auto times = sim().receivedTimes();
    const double gapMs = std::chrono::duration<double, std::milli>(times[1] - before).count();
    EXPECT_GE(gapMs, quietMs - 5) << "the wake-up followed the broken frame after " << gapMs << " ms";
    EXPECT_TRUE(sim().flashComplete());
    ExpectAtRest();
}
