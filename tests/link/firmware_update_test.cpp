// The firmware check before a download and the firmware update through the
// controller's boot loader, against the simulated boot loader and a
// generated stand-in image of 50,287 bytes.
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include "download_support.h"

namespace {

const QString kQuestion = QStringLiteral(
    "Firmware in connected controller is old !\r\nIf you do not update firmware in controller,\r\n"
    "You can not use all functions of Quarvel.\r\nDo you update firmware now ?");

}  // namespace

class FirmwareTest : public DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        sim().setBootCode(TestBootCode());
        Compile(Program(10));
        // The version check must see the controller's answer: a loaded
        // machine must not make it give up after its half second.
        bootup_modMain::FirmwareReadTimeOutMs = kTimeOutMs;
    }

    void TearDown() override {
        delete frmRun::Loaded();
        DownloadTest::TearDown();
    }

    // A controller of firmware kind 2 with this version and word.
    void Controller(uint8_t major, uint8_t minor, int word = 0, uint8_t kind = 2) {
        sim().setIdentification({kind, major, minor, 0, 128, 32});
        sim().setRam(1266, static_cast<uint8_t>(word >> 8));
        sim().setRam(1267, static_cast<uint8_t>(word & 0xFF));
    }

    // Presses OK in a fresh window; the boot loader's waits shortened, yet
    // generous enough that a loaded machine does not run out of them.
    void RunWindow(int promptWaitMs = 3000, int replyWaitMs = 1500) {
        frmRun w;
        w.PromptWaitMs = promptWaitMs;
        w.ReplyWaitMs = replyWaitMs;
        w.show();
        w.cmdOK->click();
        EXPECT_FALSE(w.isVisible());
        updated_ = w.UpdateSucceeded;
    }

    bool updated_ = false;
};

TEST(FirmwareRules, OldVersionsAndLastBlockNumber) {
    EXPECT_TRUE(frmRun::IsOldFirmware(2, 3, 3529));
    EXPECT_FALSE(frmRun::IsOldFirmware(2, 3, 3528));
    for (uint8_t minor : {4, 5, 6}) EXPECT_TRUE(frmRun::IsOldFirmware(2, minor, 0)) << int(minor);
    for (uint8_t minor : {0, 2, 7, 9}) EXPECT_FALSE(frmRun::IsOldFirmware(2, minor, 3529)) << int(minor);
    EXPECT_FALSE(frmRun::IsOldFirmware(3, 4, 0));

    // lastIndex / 256 to the nearest whole number, a half to even.
    struct Case {
        int32_t lastIndex, last;
    };
    const Case cases[] = {{50286, 196}, {0, 0},     {127, 0},   {128, 0},   {129, 1},
                          {255, 1},     {383, 1},   {384, 2},   {385, 2},   {640, 2},
                          {641, 3},     {65279, 255}, {-1, 0}};
    for (const Case& c : cases) EXPECT_EQ(frmRun::LastBlockNumber(c.lastIndex), c.last) << c.lastIndex;
}

TEST_F(FirmwareTest, BlocksAreNumberedXorCodedAndSummed) {
    // Bytes 256..511 all 0: block 1 is 1 at even offsets and 0 at odd ones,
    // with the sum (1 + 0) mod 256 = 1.
    std::vector<uint8_t> image = GeneratedFirmware(50287);
    std::fill(image.begin() + 256, image.begin() + 512, 0);
    WriteFirmware(image);
    frmRun w;
    ASSERT_EQ(w.FirmwareLastIndex, 50286);
    open();
    bootup_modMain::RawMode = true;  // the controller's echoes stay out of the way
    ASSERT_TRUE(w.SendFirmwareBlock(1));
    for (size_t i = 0; i < 256; ++i) EXPECT_EQ(w.BlockFrame[i], i % 2 == 0 ? 1 : 0) << i;
    EXPECT_EQ(w.BlockFrame[256], 1);
    ASSERT_TRUE(sim().waitForReceived(2 + 257, 2000));

    // The last block: 111 image bytes (50,176 to 50,286) and 145 fill bytes
    // of 255, the even ones XORed with 196.
    sim().clearLogs();
    ASSERT_TRUE(w.SendFirmwareBlock(196));
    unsigned sum = 196;
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t plain = i < 111 ? image[50176 + i] : uint8_t(255);
        sum += plain;
        EXPECT_EQ(w.BlockFrame[i], i % 2 == 0 ? uint8_t(plain ^ 196) : plain) << i;
    }
    EXPECT_EQ(w.BlockFrame[256], sum % 256);
    Bytes expected = {196, 0};
    expected.insert(expected.end(), w.BlockFrame.begin(), w.BlockFrame.end());
    ASSERT_TRUE(sim().waitForReceived(expected.size(), 2000));
    EXPECT_EQ(wire(), expected);
    bootup_modMain::RawMode = false;
    vxIO::CloseComm();
}

TEST_F(FirmwareTest, OldFirmwareIsReplacedAndTheDownloadFollows) {
    const std::vector<uint8_t> image = GeneratedFirmware(50287);
    WriteFirmware(image);
    Controller(2, 4);
    boxes_->Answer(platform::vbOK);
    QElapsedTimer t;
    t.start();
    RunWindow();
    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(Box(0), kQuestion);
    EXPECT_EQ(BoxTitle(0), QStringLiteral("Firmware Update"));
    EXPECT_EQ(boxes_->Calls()[0].style, platform::vbOKCancel);
    EXPECT_TRUE(updated_);

    // Blocks 0 to 196 in order, then the end marker; the flash holds the
    // image and 145 fill bytes.
    std::vector<int> numbers(197);
    for (int k = 0; k <= 196; ++k) numbers[static_cast<size_t>(k)] = k;
    EXPECT_EQ(sim().flashBlocks(), numbers);
    EXPECT_TRUE(sim().flashComplete());
    const Bytes flash = sim().flash();
    ASSERT_EQ(flash.size(), 197u * 256);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), flash.begin()));
    EXPECT_TRUE(std::all_of(flash.begin() + 50287, flash.end(), [](uint8_t b) { return b == 255; }));
    EXPECT_GE(t.elapsed(), 2000);  // the settling pause after a good update

    // Then the program went down as always.
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_EQ(sim().downloadedImage(), Bytes(basic_.ObjCode.begin() + 1, basic_.ObjCode.end()));
    ExpectAtRest();
}

TEST_F(FirmwareTest, ThePortClosesRightAfterTheEndMarkerThenTheUpdatePauses) {
    // The simulated line carries the 51,000 bytes of the update in about a
    // second, far faster than 9600 baud would.  The boot loader answered
    // every block, so after the end marker nothing but its two bytes is on
    // the way: the port closes at once, and the download opens it again
    // after the settling pause of 2 s.
    WriteFirmware(GeneratedFirmware(50287));
    Controller(2, 4);
    boxes_->Answer(platform::vbOK);
    using Clock = std::chrono::steady_clock;
    // Whether the port was seen closed after the end marker while the
    // update still ran: in its settling pause, not only after it.
    bool closedInThePause = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const frmRun* w = frmRun::Loaded();
        if (w && w->Updating() && sim().flashComplete() && !main().Comm.PortOpen()) closedInThePause = true;
    });
    watch.start();
    RunWindow();
    watch.stop();
    ASSERT_TRUE(updated_);
    ASSERT_TRUE(sim().flashComplete());
    ASSERT_TRUE(modMain::Downloaded);
    EXPECT_TRUE(closedInThePause);

    const Clock::time_point end = sim().flashCompleteTime();
    const auto ms = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
    // The next byte the controller hears is the download's first, after the
    // pause.  Measured from the last block's "!", which the host waited for
    // before its end marker (the simulator may take the marker late).
    const std::vector<Clock::time_point> times = sim().receivedTimes();
    const auto next = std::upper_bound(times.begin(), times.end(), end);
    ASSERT_NE(next, times.end());
    const Bytes sent = sim().sent();
    const std::vector<Clock::time_point> sentAt = sim().sentTimes();
    Clock::time_point lastBlockTaken{};
    for (size_t i = 0; i < sent.size() && i < sentAt.size(); ++i)
        if (sent[i] == '!' && sentAt[i] < *next) lastBlockTaken = sentAt[i];
    ASSERT_NE(lastBlockTaken, Clock::time_point{});
    EXPECT_GE(ms(*next - lastBlockTaken), 2000);
    ExpectAtRest();
}

TEST_F(FirmwareTest, OnlyOldVersionsAreAskedAbout) {
    WriteFirmware(GeneratedFirmware(3000));
    struct Case {
        uint8_t kind, major, minor;
        int word;
        bool asks;
    };
    const Case cases[] = {
        {2, 2, 3, 3529, true}, {2, 2, 3, 1000, false}, {2, 2, 4, 0, true},  {2, 2, 5, 0, true},
        {2, 2, 6, 0, true},    {2, 2, 2, 0, false},    {2, 2, 7, 0, false}, {1, 2, 4, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.kind) << " " << int(c.major) << "." << int(c.minor) << " " << c.word);
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        if (c.asks) boxes_->Answer(platform::vbCancel);  // no update; the download follows
        Controller(c.major, c.minor, c.word, c.kind);
        modMain::Downloaded = false;
        RunWindow();
        EXPECT_EQ(boxes_->Calls().size(), c.asks ? 1u : 0u);
        EXPECT_FALSE(updated_);
        EXPECT_FALSE(sim().bootLoaderActive());
        EXPECT_TRUE(modMain::Downloaded);
        ExpectAtRest();
    }
}

TEST_F(FirmwareTest, WithoutTheImageTheWindowSaysWhyAndDownloads) {
    Controller(2, 5);
    boxes_->Answer(platform::vbOK);
    RunWindow();
    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(Box(0), QStringLiteral("Firmware in connected controller is old !\r\n\r\n"
                                     "The firmware update is not available: the firmware image file was not "
                                     "found.\r\n") +
                          folder_.filePath(QStringLiteral("firmware/controller.fw")));
    EXPECT_EQ(BoxTitle(0), QStringLiteral("Firmware Update"));
    EXPECT_FALSE(updated_);
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_TRUE(sim().flashBlocks().empty());
    ExpectAtRest();
}

TEST_F(FirmwareTest, AFailedUpdateEndsQuietlyAndTheDownloadStillWorks) {
    WriteFirmware(GeneratedFirmware(5000));  // blocks 0 to 20
    struct Case {
        const char* what;
        std::function<void(ControllerSim&)> inject;
        int acceptedBlocks;
    };
    const Case cases[] = {
        {"wrong wake-up reply",
         [](ControllerSim& s) { s.injectBootFault(ControllerSim::BootFault::WrongWakeReply, 2); }, 0},
        {"no prompt", [](ControllerSim& s) { s.injectBootFault(ControllerSim::BootFault::NoPrompt); }, 0},
        {"wrong acknowledgement", [](ControllerSim& s) { s.injectBootFault(ControllerSim::BootFault::WrongAck); }, 0},
        {"four bytes, then six", [](ControllerSim& s) { s.injectBootFault(ControllerSim::BootFault::SplitAck); }, 0},
        {"block refused", [](ControllerSim& s) { s.injectBootFault(ControllerSim::BootFault::BlockRefused, 3); }, 3},
        {"no block reply", [](ControllerSim& s) { s.injectBootFault(ControllerSim::BootFault::BlockSilence, 5); }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        Controller(2, 6);
        c.inject(sim());
        modMain::Downloaded = false;
        RunWindow();
        EXPECT_EQ(boxes_->Calls().size(), 1u);  // the question, and nothing more
        EXPECT_FALSE(updated_);
        EXPECT_EQ(sim().flashBlocks().size(), static_cast<size_t>(c.acceptedBlocks));
        EXPECT_FALSE(sim().flashComplete());
        EXPECT_TRUE(modMain::Downloaded);
        ExpectAtRest();
    }
}

TEST_F(FirmwareTest, LinkErrorsOfTheUpdateShowTheErrorBox) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    WriteFirmware(GeneratedFirmware(5000));

    // No reply to the third wake-up byte: the link's box, then the download.
    Controller(2, 6);
    sim().clearLogs();
    boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
    // The version check takes 7 + 8 bytes before the wake-up starts.
    sim().injectFault(ControllerSim::Fault::NoReply, 15 + 2);
    RunWindow();
    ASSERT_EQ(boxes_->Calls().size(), 2u);
    EXPECT_EQ(Box(1), QStringLiteral("Error Code : -4\r\nExceed data communication time.\r\n"
                                     "Check controller status, power and interface cable."));
    EXPECT_TRUE(modMain::Downloaded);
    ExpectAtRest();

    // The controller goes away during the blocks: the download cannot follow
    // and says so; with the controller back the window works again.
    boxes_.reset();
    boxes_ = std::make_unique<ScriptedMsgBox>();
    boxes_->Answer(platform::vbOK).Answer(platform::vbOK).Answer(platform::vbOK);
    sim().injectBootFault(ControllerSim::BootFault::BlockHangUp, 4);
    RunWindow();
    ASSERT_EQ(boxes_->Calls().size(), 3u);
    EXPECT_TRUE(Box(1).startsWith(QStringLiteral("Error Code : ")));
    EXPECT_EQ(Box(2), QStringLiteral("Problems on downloading."));
    EXPECT_FALSE(updated_);
    EXPECT_FALSE(modMain::Downloaded);
    ExpectAtRest();

    startSim(2);
    sim().setBootCode(TestBootCode());
    Controller(2, 7);
    boxes_.reset();
    boxes_ = std::make_unique<ScriptedMsgBox>();
    RunWindow();
    EXPECT_TRUE(modMain::Downloaded);
    ExpectAtRest();
}

// The sample access code shipped for the simulated controller works end to
// end: controller_sim, the program a user starts by hand, reads it with
// --boot-loader, and the download window, with the same file as its
// firmware/bootloader.ini, updates that controller's old firmware and then
// downloads the program.  Closing the simulator's input ends it.
TEST_F(FirmwareTest, TheShippedSampleAccessCodeUpdatesControllerSim) {
    const QString sample = QStringLiteral(QUARVEL_SOURCE_DIR "/examples/firmware/bootloader.ini");
    QFile file(sample);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    const std::vector<uint8_t> image = GeneratedFirmware(3000);
    WriteFirmware(image, text.constData());

    QProcess controller;
    controller.start(QStringLiteral(QUARVEL_CONTROLLER_SIM),
                     {QStringLiteral("--firmware"), QStringLiteral("2.4"), QStringLiteral("--boot-loader"), sample,
                      QStringLiteral("--log"), folder_.filePath(QStringLiteral("controller_sim.log"))});
    ASSERT_TRUE(controller.waitForStarted(5000));
    QElapsedTimer t;
    t.start();
    while (!controller.canReadLine() && t.elapsed() < 10000) controller.waitForReadyRead(100);
    const QByteArray device = controller.readLine().trimmed();
    ASSERT_TRUE(device.startsWith("/dev/")) << controller.readAllStandardError().toStdString();
    qputenv("QVV2_COM1", device);

    boxes_->Answer(platform::vbOK);
    RunWindow();
    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(Box(0), kQuestion);
    EXPECT_TRUE(updated_);
    EXPECT_TRUE(modMain::Downloaded);
    ExpectAtRest();

    controller.closeWriteChannel();
    ASSERT_TRUE(controller.waitForFinished(5000));
    EXPECT_EQ(controller.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(controller.exitCode(), 0);
    // The simulator logged the boot loader's wake-up bytes (the lines' bursts
    // joined).
    QFile log(folder_.filePath(QStringLiteral("controller_sim.log")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QByteArray logged;
    for (const QByteArray& line : log.readAll().split('\n')) logged += line.mid(line.indexOf(": ") + 2);
    EXPECT_TRUE(logged.contains("1B 57 41 4B 45 ")) << logged.left(200).toStdString();
}
