// The firmware package beside the program: the image and the boot loader's
// access code, and why an unusable package is not offered.
#include "HostileFiles.h"
#include "download_support.h"

TEST_F(DownloadTest, FirmwarePackageLoadsImageAndAccessCode) {
    const std::vector<uint8_t> image = GeneratedFirmware(50287);
    WriteFirmware(image);
    const Firmware::Package p = Firmware::Load();
    ASSERT_TRUE(p.Usable()) << Firmware::ProblemText(p).toStdString();
    EXPECT_EQ(p.Image, image);
    const ControllerSim::BootCode c = TestBootCode();
    EXPECT_EQ(p.Code.WakeUp, c.wakeUp);
    EXPECT_EQ(p.Code.WakeUpReply, c.wakeUpReply);
    EXPECT_EQ(p.Code.Prompt, c.prompt);
    EXPECT_EQ(p.Code.Start, c.start);
    EXPECT_EQ(p.Code.Acknowledge, c.acknowledge);
    EXPECT_TRUE(Firmware::ProblemText(p).isEmpty());
    EXPECT_EQ(Firmware::ImagePath(), folder_.filePath(QStringLiteral("firmware/controller.fw")));
}

TEST_F(DownloadTest, UnusableFirmwarePackagesSayWhy) {
    EXPECT_EQ(Firmware::Load().Trouble, Firmware::Problem::ImageMissing);
    EXPECT_EQ(Firmware::ProblemText(Firmware::Load()),
              QStringLiteral("The firmware update is not available: the firmware image file was not found.\r\n") +
                  folder_.filePath(QStringLiteral("firmware/controller.fw")));

    struct Case {
        const char* what;
        size_t size;
        const char* ini;
        Firmware::Problem expected;
    };
    const char* fourWakeBytes = "[BootLoader]\r\nWakeUp=1B 57 41 4B\r\nWakeUpReply=77 61 6B 65 21\r\nPrompt=3E\r\n"
                                "Start=53 54 41 52 54 0D 0A\r\nAcknowledge=4F 4B 21 0D 0A\r\n";
    const char* badDigit = "[BootLoader]\r\nWakeUp=1B 57 41 4B 45\r\nWakeUpReply=77 61 6B 65 21\r\nPrompt=3G\r\n"
                           "Start=53 54 41 52 54 0D 0A\r\nAcknowledge=4F 4B 21 0D 0A\r\n";
    const Case cases[] = {
        {"empty image", 0, TestBootCodeIni(), Firmware::Problem::ImageUnusable},
        {"more than 255 blocks", 65281, TestBootCodeIni(), Firmware::Problem::ImageUnusable},
        {"exactly 255 blocks", 65280, TestBootCodeIni(), Firmware::Problem::None},
        {"no access code file", 1000, nullptr, Firmware::Problem::CodeUnusable},
        {"four wake-up bytes", 1000, fourWakeBytes, Firmware::Problem::CodeUnusable},
        {"not a hexadecimal byte", 1000, badDigit, Firmware::Problem::CodeUnusable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder_.filePath(QStringLiteral("firmware"))).removeRecursively();
        WriteFirmware(GeneratedFirmware(c.size), c.ini);
        const Firmware::Package p = Firmware::Load();
        EXPECT_EQ(p.Trouble, c.expected);
        EXPECT_EQ(p.Usable(), c.expected == Firmware::Problem::None);
        if (!p.Usable()) {
            EXPECT_TRUE(p.Image.empty());
            EXPECT_TRUE(Firmware::ProblemText(p).endsWith(QDir::toNativeSeparators(p.File)));
        }
    }
}

TEST(FirmwareAccessCode, HexadecimalBytes) {
    struct Case {
        const char* text;
        size_t count;
        bool ok;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"1B 57 41", 3, true, {0x1B, 0x57, 0x41}},
        {" 0x1b,&H57 ,  a ", 3, true, {0x1B, 0x57, 0x0A}},
        {"1B 57", 3, false, {}},
        {"1B 57 41 42", 3, false, {}},
        {"1B 157 41", 3, false, {}},
        {"1B ZZ 41", 3, false, {}},
        {"", 1, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out{99};
        EXPECT_EQ(Firmware::ParseBytes(QString::fromLatin1(c.text), c.count, out), c.ok) << c.text;
        EXPECT_EQ(out, c.bytes) << c.text;
    }
}

// A pipe, a link to an endless device, a folder or an oversized file where the
// image belongs is never read: the package is refused and the entry stays.
TEST_F(DownloadTest, AHostileFirmwareImageIsNotRead) {
    const hostile::Watchdog watchdog;
    for (const hostile::Kind kind : hostile::All()) {
        SCOPED_TRACE(hostile::Name(kind));
        QDir(folder_.filePath(QStringLiteral("firmware"))).removeRecursively();
        WriteFirmware(GeneratedFirmware(1000));
        const QString image = Firmware::ImagePath();
        ASSERT_TRUE(QFile::remove(image));
        hostile::Make(kind, image, 65280);
        const Firmware::Package p = Firmware::Load();
        EXPECT_FALSE(p.Usable());
        EXPECT_TRUE(p.Image.empty());
        EXPECT_EQ(p.File, image);
        hostile::ExpectUnchanged(kind, image, 65280);
    }
}
