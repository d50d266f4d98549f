// The firmware package beside the program: the image and the boot loader's
// access code, and why an unusable package is not offered.
#include "HostileFiles.h"
#include "download_support.h"

namespace {

// The access code read is the one the simulated boot loader answers to.
void ExpectTestBootCode(const Firmware::AccessCode& code) {
    const ControllerSim::BootCode c = TestBootCode();
    EXPECT_EQ(code.WakeUp, c.wakeUp);
    EXPECT_EQ(code.WakeUpReply, c.wakeUpReply);
    EXPECT_EQ(code.Prompt, c.prompt);
    EXPECT_EQ(code.Start, c.start);
    EXPECT_EQ(code.Acknowledge, c.acknowledge);
}

}  // namespace

TEST_F(DownloadTest, FirmwarePackageLoadsImageAndAccessCode) {
    const std::vector<uint8_t> image = GeneratedFirmware(50287);
    WriteFirmware(image);
    const Firmware::Package p = Firmware::Load();
    ASSERT_TRUE(p.Usable()) << Firmware::ProblemText(p).toStdString();
    EXPECT_EQ(p.Image, image);
    ExpectTestBootCode(p.Code);
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

// Access code files with one key wrong: the message names the first wrong
// key and how many bytes it holds, in every interface language; a missing
// file keeps its own message.
TEST_F(DownloadTest, AWrongAccessCodeKeyIsNamedWithItsLength) {
    struct Key {
        const char* name;
        const char* value;
        int bytes;
    };
    const Key keys[] = {{"WakeUp", "1B 57 41 4B 45", 5},
                        {"WakeUpReply", "77 61 6B 65 21", 5},
                        {"Prompt", "3E", 1},
                        {"Start", "53 54 41 52 54 0D 0A", 7},
                        {"Acknowledge", "4F 4B 21 0D 0A", 5}};
    // The access code file with `wrong` given `value` (nullptr: left out).
    const auto ini = [&](const char* wrong, const char* value) {
        QByteArray text = "[BootLoader]\r\n";
        for (const Key& k : keys) {
            const bool isWrong = qstrcmp(k.name, wrong) == 0;
            if (isWrong && !value) continue;
            text += QByteArray(k.name) + '=' + (isWrong ? value : k.value) + "\r\n";
        }
        return text;
    };
    struct Fault {
        const char* what;
        std::function<QByteArray(const Key&)> value;  // empty: the key left out
    };
    const Fault faults[] = {
        {"left out", nullptr},
        {"empty", [](const Key&) { return QByteArray(); }},
        {"one byte short",
         [](const Key& k) {
             const QByteArray v(k.value);
             return v.size() > 2 ? v.left(v.size() - 3) : QByteArray();
         }},
        {"one byte more", [](const Key& k) { return QByteArray(k.value) + " 00"; }},
        {"not hexadecimal", [](const Key& k) { return QByteArray(k.value).replace(0, 1, "G"); }},
        {"a three-digit byte", [](const Key& k) { return QByteArray("1") + k.value; }},
    };
    const QString file = QDir::toNativeSeparators(folder_.filePath(QStringLiteral("firmware/bootloader.ini")));
    for (const Key& k : keys) {
        for (const Fault& f : faults) {
            SCOPED_TRACE(testing::Message() << k.name << ": " << f.what);
            QDir(folder_.filePath(QStringLiteral("firmware"))).removeRecursively();
            const QByteArray value = f.value ? f.value(k) : QByteArray();
            const QByteArray text = ini(k.name, f.value ? value.constData() : nullptr);
            WriteFirmware(GeneratedFirmware(1000), text.constData());
            const Firmware::Package p = Firmware::Load();
            EXPECT_EQ(p.Trouble, Firmware::Problem::CodeUnusable);
            EXPECT_EQ(p.Key, QString::fromLatin1(k.name));
            EXPECT_EQ(p.KeyBytes, k.bytes);
            EXPECT_TRUE(p.Image.empty());
            EXPECT_EQ(Firmware::ProblemText(p),
                      QStringLiteral("The firmware update is not available: in the boot loader settings file, the "
                                     "value of %1 is missing or not valid: it must be %2 hexadecimal %3.\r\n")
                              .arg(QString::fromLatin1(k.name), QString::number(k.bytes),
                                   k.bytes == 1 ? QStringLiteral("byte") : QStringLiteral("bytes")) +
                          file);
        }
    }

    // The other languages name the key and its length too.
    struct Language {
        QLocale locale;
        const char* start;
    };
    const Language languages[] = {
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "펌웨어 업데이트를 할 수 없습니다: 부트 로더 설정 파일의 Start 값이 "},
        {QLocale(QLocale::Japanese, QLocale::Japan), "ファームウェアを更新できません: ブートローダーの設定ファイルの Start の値が"},
        {QLocale(QLocale::Chinese, QLocale::China), "无法更新固件：引导加载程序设置文件中 Start 的值"},
    };
    QDir(folder_.filePath(QStringLiteral("firmware"))).removeRecursively();
    WriteFirmware(GeneratedFirmware(1000), ini("Start", "53 54").constData());
    const Firmware::Package p = Firmware::Load();
    for (const Language& l : languages) {
        SCOPED_TRACE(l.locale.name().toStdString());
        QLocale::setDefault(l.locale);
        const QString text = Firmware::ProblemText(p);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(l.start))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral(" 7 "))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n") + file));
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    // No access code file at all: the message as before, naming no key.
    QDir(folder_.filePath(QStringLiteral("firmware"))).removeRecursively();
    WriteFirmware(GeneratedFirmware(1000), nullptr);
    const Firmware::Package missing = Firmware::Load();
    EXPECT_TRUE(missing.Key.isEmpty());
    EXPECT_EQ(Firmware::ProblemText(missing),
              QStringLiteral("The firmware update is not available: the boot loader settings file was not found or "
                             "is not valid.\r\n") +
                  file);
}

// The firmware folder follows the rule of the robot folder user/: the one in
// the program's folder (QUARVEL_HOME) when it has one, even an empty one,
// else the one beside the program, else the program folder's own.
TEST_F(DownloadTest, TheFirmwareFolderFallsBackToTheOneBesideTheProgram) {
    QTemporaryDir beside;
    ASSERT_TRUE(beside.isValid());
    modApp::SetProgramFolder(beside.path());
    const QString own = folder_.filePath(QStringLiteral("firmware/"));
    const QString shipped = beside.filePath(QStringLiteral("firmware/"));

    // Neither folder has one: the program folder's own is named.
    EXPECT_EQ(Firmware::FirmwareFolder(), own);
    EXPECT_EQ(Firmware::Load().File, own + QStringLiteral("controller.fw"));

    // Only the program's side has one: its package is loaded from there.
    ASSERT_TRUE(QDir(beside.path()).mkpath(QStringLiteral("firmware")));
    const std::vector<uint8_t> image = GeneratedFirmware(700);
    QFile fw(shipped + QStringLiteral("controller.fw"));
    ASSERT_TRUE(fw.open(QIODevice::WriteOnly));
    fw.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
    fw.close();
    QFile code(shipped + QStringLiteral("bootloader.ini"));
    ASSERT_TRUE(code.open(QIODevice::WriteOnly));
    code.write(TestBootCodeIni());
    code.close();
    EXPECT_EQ(Firmware::FirmwareFolder(), shipped);
    EXPECT_EQ(Firmware::ImagePath(), shipped + QStringLiteral("controller.fw"));
    EXPECT_EQ(Firmware::AccessCodePath(), shipped + QStringLiteral("bootloader.ini"));
    Firmware::Package p = Firmware::Load();
    ASSERT_TRUE(p.Usable()) << Firmware::ProblemText(p).toStdString();
    EXPECT_EQ(p.Image, image);

    // The program folder's own, even an empty one, hides the other.
    ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("firmware")));
    EXPECT_EQ(Firmware::FirmwareFolder(), own);
    p = Firmware::Load();
    EXPECT_EQ(p.Trouble, Firmware::Problem::ImageMissing);
    EXPECT_EQ(p.File, own + QStringLiteral("controller.fw"));
    // The robot folder takes the same rule.
    EXPECT_EQ(modApp::DataFolder(QStringLiteral("user")), folder_.filePath(QStringLiteral("user/")));
    ASSERT_TRUE(QDir(beside.path()).mkpath(QStringLiteral("user")));
    EXPECT_EQ(modApp::DataFolder(QStringLiteral("user")), beside.filePath(QStringLiteral("user/")));

    // A file named like the folder is no folder.
    QDir(folder_.filePath(QStringLiteral("firmware"))).removeRecursively();
    QFile plain(folder_.filePath(QStringLiteral("firmware")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(Firmware::FirmwareFolder(), shipped);
}

// The sample access code shipped for the simulated controller is one the
// program's reader accepts (controller_sim's own reader is tried by the
// firmware update's tests).
TEST_F(DownloadTest, TheShippedSampleAccessCodeIsAccepted) {
    QFile sample(QStringLiteral(QUARVEL_SOURCE_DIR "/examples/firmware/bootloader.ini"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray text = sample.readAll();
    WriteFirmware(GeneratedFirmware(1000), text.constData());
    const Firmware::Package p = Firmware::Load();
    ASSERT_TRUE(p.Usable()) << Firmware::ProblemText(p).toStdString();
    ExpectTestBootCode(p.Code);
}
