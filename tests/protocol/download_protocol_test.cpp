// The fast download at the protocol: the progress it reports, the program
// name it is handed, and a failure that leaves its code for the caller.
#include <functional>
#include <string>
#include <utility>

#include "LinkFixture.h"

namespace {

std::vector<uint8_t> Image(int32_t n) {
    std::vector<uint8_t> image(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 1; i <= n; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 29 + 3) & 0xFF);
    return image;
}

using Steps = std::vector<std::pair<int32_t, int32_t>>;

}  // namespace

class DownloadProtocolTest : public LinkTest {
protected:
    // The download, recording each progress report with the line's settings
    // at that moment.
    bool Download(const std::vector<uint8_t>& image, int32_t n, const std::string& name) {
        steps_.clear();
        settings_.clear();
        return vxIO::DownloadFast(image, n, 0, name, [this](int32_t done, int32_t total) {
            steps_.emplace_back(done, total);
            settings_.push_back(main().Comm.Settings());
        });
    }

    Steps steps_;
    std::vector<QString> settings_;
};

TEST_F(DownloadProtocolTest, ReportsProgressByBlocksOfLPlus2AndTheLastAfterTheSpeedIsBack) {
    struct Case {
        int32_t n;
        Steps steps;
    };
    const Case cases[] = {
        {17, {{0, 1}, {1, 3}, {1, 1}}},
        {600, {{0, 1}, {1, 5}, {2, 5}, {3, 5}, {1, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        const std::vector<uint8_t> image = Image(c.n);
        ASSERT_TRUE(Download(image, c.n, "T.BAS"));
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_EQ(steps_, c.steps);
        ASSERT_EQ(settings_.size(), c.steps.size());
        for (size_t i = 0; i + 1 < settings_.size(); ++i) EXPECT_EQ(settings_[i], QStringLiteral("115200,n,8,1")) << i;
        EXPECT_EQ(settings_.back(), QStringLiteral("9600,n,8,1"));
        EXPECT_EQ(sim().downloadedImage(), Bytes(image.begin() + 1, image.end()));
        ExpectAtRest();
    }
}

TEST_F(DownloadProtocolTest, TheNameItIsHandedIsTheNameStored) {
    // Longer than 12 bytes: bytes 8..15 go to the EEPROM, the first seven
    // into the header after the 255 that marks a long name.
    const std::string name = "walking_program1.bas";
    const std::vector<uint8_t> image = Image(40);
    ASSERT_TRUE(Download(image, 40, name));
    EXPECT_EQ(sim().program(0), 255);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(sim().program(1 + i), static_cast<uint8_t>(name[static_cast<size_t>(i)]));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(sim().eeprom(i), static_cast<uint8_t>(name[static_cast<size_t>(7 + i)]));
}

TEST_F(DownloadProtocolTest, AFailureLeavesItsCodeAndTheLinkAtRestAndShowsNothing) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    struct Case {
        const char* what;
        std::function<void(ControllerSim&)> inject;
        int16_t code;
    };
    const Case cases[] = {
        {"wrong echo of the high length byte",
         [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::WrongEcho, 3); }, vxIO::kErrEcho},
        {"wrong block sum reply", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::BadSum, 2); },
         vxIO::kErrBlockReply},
        {"silence after a block", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::Silence, 1); },
         vxIO::kErrTimeOut},
    };
    const std::vector<uint8_t> image = Image(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startSim(2);
        c.inject(sim());
        EXPECT_FALSE(Download(image, 1000, "T.BAS"));
        EXPECT_EQ(vxIO::CommError, c.code);  // kept for the caller's box
        ExpectAtRest();
    }
    // Too short and too long are refused before anything is sent.
    for (const auto& [n, code] : {std::pair<int32_t, int16_t>{16, vxIO::kErrObjectCode},
                                  std::pair<int32_t, int16_t>{65536, vxIO::kErrTooBig}}) {
        SCOPED_TRACE(n);
        sim().clearLogs();
        EXPECT_FALSE(Download(std::vector<uint8_t>(static_cast<size_t>(n) + 1, 0x11), n, "T.BAS"));
        EXPECT_EQ(vxIO::CommError, code);
        EXPECT_TRUE(steps_.empty());
        EXPECT_FALSE(sim().waitForReceived(1, 30));
        ExpectAtRest();
    }
}
