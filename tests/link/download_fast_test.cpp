// The fast download at the link: block layout and sums, the long program
// name, the line speed and the progress bars, and every way it can fail.
#include <QEvent>
#include <QFrame>

#include "download_support.h"

namespace {

// An object image with indexes 0..n: index 0 unused, a header that names
// "T", and a pattern after it.
std::vector<uint8_t> Image(int32_t n) {
    std::vector<uint8_t> image(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 1; i <= n; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 31 + 7) & 0xFF);
    const char header[] = "T       ";
    for (int i = 0; i < 8 && i < n; ++i) image[static_cast<size_t>(i) + 1] = static_cast<uint8_t>(header[i]);
    return image;
}

// Block k as it goes on the wire: 256 data bytes (0 past the image's end)
// and their sum.
Bytes Block(const std::vector<uint8_t>& work, int32_t n, int32_t k) {
    Bytes b(257, 0);
    unsigned sum = 0;
    for (int32_t j = 1; j <= 256; ++j) {
        const int32_t p = (k - 1) * 256 + j;
        if (p > n) break;
        b[static_cast<size_t>(j - 1)] = work[static_cast<size_t>(p)];
        sum += work[static_cast<size_t>(p)];
    }
    b[256] = static_cast<uint8_t>(sum % 256);
    return b;
}

// Everything the host sends for a short-named image that the controller
// takes block by block.
Bytes Wire(const std::vector<uint8_t>& work, int32_t n) {
    Bytes w = {0xFA, 0xED, static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)};
    const int32_t blocks = (n - 1) / 256 + 1;
    for (int32_t k = 1; k <= blocks; ++k) {
        w.push_back('?');
        const Bytes b = Block(work, n, k);
        w.insert(w.end(), b.begin(), b.end());
    }
    return w;
}

// Records the line settings and the bar's width each time the bar changes.
class BarWatch : public QObject {
public:
    explicit BarWatch(QFrame* bar, frmMain* host) : bar_(bar), host_(host) { bar->installEventFilter(this); }
    std::vector<int> widths;
    std::vector<QString> settings;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == bar_ && e->type() == QEvent::Resize) {
            widths.push_back(bar_->width());
            settings.push_back(host_->Comm.Settings());
        }
        return false;
    }

private:
    QFrame* bar_;
    frmMain* host_;
};

QString ErrorBox(int code, const char* text) {
    return QStringLiteral("Error Code : %1\r\n%2\r\nCheck controller status, power and interface cable.")
        .arg(code)
        .arg(QLatin1String(text));
}

}  // namespace

class FastDownloadTest : public DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        basic_.Filename = u"C:\\robots\\T.bas";
        track_ = std::make_unique<QFrame>();
        track_->resize(300, 12);
        barA_ = new QFrame(track_.get());
        barB_ = new QFrame(track_.get());
        barA_->resize(17, 12);
        barB_->resize(17, 12);
        track_->show();  // a shown bar reports its resizing at once
    }

    bool Download(const std::vector<uint8_t>& image, int32_t n) {
        return vxIO::DownloadFastWithBars(image, n, 0, kFull, barA_, barB_);
    }

    static constexpr int32_t kFull = 300 * 15;  // the track's width in twips
    std::unique_ptr<QFrame> track_;
    QFrame* barA_ = nullptr;
    QFrame* barB_ = nullptr;
};

TEST_F(FastDownloadTest, BlocksCarryTheImageAndTheirSums) {
    for (int32_t n : {17, 256, 257, 600, 65535}) {
        SCOPED_TRACE(n);
        const std::vector<uint8_t> image = Image(n);
        sim().clearLogs();
        const int before = sim().downloadCount();
        ASSERT_TRUE(Download(image, n));
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_TRUE(boxes_->Calls().empty());
        EXPECT_EQ(wire(), Wire(image, n));
        EXPECT_EQ(sim().downloadCount(), before + 1);
        EXPECT_EQ(sim().downloadedImage(), Bytes(image.begin() + 1, image.end()));
        EXPECT_EQ(sim().blocksTaken(), (n - 1) / 256 + 1);
        EXPECT_EQ(barA_->width(), 300);
        EXPECT_EQ(barB_->width(), 300);
        ExpectAtRest();
    }

    // The smallest image: one block of 17 image bytes and 239 zeros, whose
    // sum covers the 17 bytes.
    const std::vector<uint8_t> image = Image(17);
    const Bytes block = Block(image, 17, 1);
    EXPECT_TRUE(std::equal(image.begin() + 1, image.end(), block.begin()));
    EXPECT_TRUE(std::all_of(block.begin() + 17, block.begin() + 256, [](uint8_t b) { return b == 0; }));
    unsigned sum = 0;
    for (size_t i = 1; i <= 17; ++i) sum += image[i];
    EXPECT_EQ(block[256], sum % 256);
}

TEST_F(FastDownloadTest, RunsAt115200AndMovesTheBarsByBlocksOfLPlus2) {
    BarWatch watch(barA_, &main());
    const std::vector<uint8_t> image = Image(600);  // three blocks
    ASSERT_TRUE(Download(image, 600));
    // 0 before the blocks, k / (3 + 2) after each, the full width at the end.
    EXPECT_EQ(watch.widths, (std::vector<int>{0, 60, 120, 180, 300}));
    ASSERT_EQ(watch.settings.size(), 5u);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(watch.settings[i], QStringLiteral("115200,n,8,1")) << i;
    EXPECT_EQ(watch.settings[4], QStringLiteral("9600,n,8,1"));
    EXPECT_EQ(barB_->width(), 300);
}

TEST_F(FastDownloadTest, ImagesThatCannotTravelAreRefusedBeforeAnythingIsSent) {
    struct Case {
        int32_t n;
        size_t imageSize;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {16, 17, -21, "Errors in program object code."},
        {40, 30, -21, "Errors in program object code."},  // fewer bytes than announced
        // The length travels as 16 bits: 65,536 bytes would go out as 0.
        {65536, 65537, -22, "Too big size of object code."},
        {80000, 80001, -22, "Too big size of object code."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        boxes_->Answer(platform::vbOK);
        std::vector<uint8_t> image(c.imageSize, 0x11);
        EXPECT_FALSE(Download(image, c.n));
        ASSERT_EQ(boxes_->Calls().size(), 1u);
        EXPECT_EQ(Box(0), ErrorBox(c.code, c.text));
        EXPECT_EQ(BoxTitle(0), QStringLiteral("Controller Error"));
        EXPECT_EQ(vxIO::CommError, 0);  // the box's closing of the port cleared it
        EXPECT_FALSE(sim().waitForReceived(1, 30));
        ExpectAtRest();
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
    }
}

TEST_F(FastDownloadTest, ShortNamesLeaveTheHeaderAndLongNamesGoToEeprom) {
    // 12 bytes (8.3 form): nothing for the EEPROM, header byte 0 as compiled.
    basic_.Filename = u"C:\\robots\\ABCDEFGH.BAS";
    std::vector<uint8_t> image = Image(40);
    ASSERT_TRUE(Download(image, 40));
    EXPECT_EQ(wire(), Wire(image, 40));
    EXPECT_EQ(sim().program(0), 'T');

    // 20 bytes: header byte 0 becomes 255, header bytes 1..7 the first seven
    // name bytes, EEPROM 0..7 the next eight; the last five are not kept.
    basic_.Filename = u"/home/me/walking_program1.bas";  // the name is 20 bytes
    sim().clearLogs();
    const std::vector<uint8_t> callers = image;
    ASSERT_TRUE(Download(image, 40));
    EXPECT_EQ(image, callers);  // the caller's image is not marked
    const std::string name = "walking_program1.bas";
    std::vector<uint8_t> work = image;
    work[1] = 255;
    for (size_t p = 1; p <= 7; ++p) work[p + 1] = static_cast<uint8_t>(name[p - 1]);
    Bytes expected = {0xFA};
    for (uint8_t i = 0; i < 8; ++i) {
        const uint8_t v = static_cast<uint8_t>(name[7 + i]);
        expected.insert(expected.end(), {0xB4, 0x4B, i, 0x00, v, v});
    }
    Bytes rest = Wire(work, 40);
    expected.insert(expected.end(), rest.begin() + 1, rest.end());
    EXPECT_EQ(wire(), expected);
    EXPECT_EQ(sim().program(0), 255);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(sim().eeprom(i), static_cast<uint8_t>(name[static_cast<size_t>(7 + i)]));

    // Blanks past the 12th byte do not make a name long.
    basic_.Filename = u"ABCDEFGH.BAS      ";
    sim().clearLogs();
    ASSERT_TRUE(Download(image, 40));
    EXPECT_EQ(wire(), Wire(image, 40));
}

TEST_F(FastDownloadTest, AControllerThatSaysFinishedEndsTheTransferNormally) {
    sim().injectBlockFault(ControllerSim::BlockFault::Finish, 1);
    const std::vector<uint8_t> image = Image(600);
    EXPECT_TRUE(Download(image, 600));
    EXPECT_EQ(wire(), (Bytes{0xFA, 0xED, 600 & 0xFF, 600 >> 8, '?'}));
    EXPECT_EQ(barA_->width(), 300);
    ExpectAtRest();
}

TEST_F(FastDownloadTest, EachFaultEndsWithItsCodeAndTheLinkAtRest) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    struct Case {
        const char* what;
        std::function<void(ControllerSim&)> inject;
        int code;
        const char* text;
        bool newController;  // the controller went away and comes back fresh
    };
    const Case cases[] = {
        {"wrong echo of the high length byte",
         [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::WrongEcho, 3); }, -5,
         "Errors in data transmission.", false},
        {"no echo of the stop command", [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::NoReply, 0); }, -4,
         "Exceed data communication time.", false},
        {"wrong block sum reply", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::BadSum, 2); },
         -26, "Errors", false},
        {"silence after a block", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::Silence, 1); },
         -4, "Exceed data communication time.", false},
        {"hang-up mid-download", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::HangUp, 2); },
         -6, "Errors in communication port.", true},
    };
    const std::vector<uint8_t> image = Image(1000);  // four blocks
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        c.inject(sim());
        EXPECT_FALSE(Download(image, 1000));
        ASSERT_EQ(boxes_->Calls().size(), 1u);
        EXPECT_EQ(Box(0), ErrorBox(c.code, c.text));
        ExpectAtRest();

        // The link is usable again at once.
        if (c.newController) startSim(2);
        const int before = sim().downloadCount();
        EXPECT_TRUE(Download(image, 1000));
        EXPECT_EQ(sim().downloadCount(), before + 1);
        EXPECT_EQ(sim().downloadedImage(), Bytes(image.begin() + 1, image.end()));
        ExpectAtRest();
    }
}

TEST_F(FastDownloadTest, OnlySerialControllersOfType7To9TakeTheFastDownload) {
    const std::vector<uint8_t> image = Image(40);
    for (int16_t type : {0, 3, 5, 6, 10}) {
        modMain::ControllerType = type;
        EXPECT_FALSE(Download(image, 40)) << type;
    }
    modMain::ControllerType = 9;
    modMain::PortType = 0;
    EXPECT_FALSE(Download(image, 40));
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_FALSE(sim().waitForReceived(1, 30));
    modMain::PortType = 1;
    for (int16_t type : {7, 9}) {
        modMain::ControllerType = type;
        EXPECT_TRUE(Download(image, 40)) << type;
    }
}
