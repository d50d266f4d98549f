// The settings file under faults, as start-up and shut-down meet them: the
// settings load with their defaults from a file that cannot be read, and the
// settings saved at exit either replace the file completely or leave it byte
// for byte with one message box.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <csignal>

#include <functional>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "compiler/Text.h"
#include "documents/modApp.h"
#include "documents/modIni.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "platform/MsgBox.h"
#include "tests/platform/ProcessIo.h"

namespace {

// The 54-byte file of the first report.
const QByteArray kOld = "[Window]\r\nleft= 100\r\ntop= 1980\r\n[Port]\r\nCOMMport= 3\r\n\r\n";

class SettingsFaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));  // the messages' language
        program_ = QFileInfo(dir_.path()).canonicalFilePath();
        savedCwd_ = QDir::currentPath();
        modApp::SetAppPath(program_);
        qvv2::SetSystemCodePage("CP1252");
        modReg::MainWindow = modReg::MainWindowSettings();
        modReg::Link = modReg::LinkSettings();
    }
    void TearDown() override {
        QDir::setCurrent(savedCwd_);
        if (mounted_) ::umount2(QFile::encodeName(program_).constData(), MNT_DETACH);
        ::chmod(QFile::encodeName(IniPath()).constData(), 0644);
        modApp::SetAppPath(QString());
        QLocale::setDefault(savedLocale_);
        qvv2::SetSystemCodePage("");
        modReg::MainWindow = modReg::MainWindowSettings();
        modReg::Link = modReg::LinkSettings();
    }

    QString IniPath() const { return program_ + QStringLiteral("/qvv2.ini"); }
    QByteArray IniNative() const { return QFile::encodeName(IniPath()); }

    void WriteIni(const QByteArray& bytes) const {
        QFile f(IniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray IniBytes() const {
        QFile f(IniPath());
        if (!f.open(QIODevice::ReadOnly)) return "<no file>";
        return f.readAll();
    }
    QStringList Listing() const {
        return QDir(program_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                        QDir::Name);
    }

    // Puts a 64 KiB file system where the program's folder is.
    bool MountSmallDisk() {
        mounted_ = ::mount("tmpfs", QFile::encodeName(program_).constData(), "tmpfs", 0, "size=64k") == 0;
        return mounted_;
    }

    static void LoadAll() {
        modReg::LoadMainSettings();
        modReg::LoadViewOptions();
    }
    // What shut-down saves, in one batch as the main window does it.
    static void SaveAllAtExit() {
        const modIni::Batch batch;
        modReg::SaveMainSettings();
        modReg::SaveViewOptions();
    }

    // Saves at exit and expects one message box with run-time error `number`.
    void ExpectOneErrorBoxOnSave(int number) {
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        SaveAllAtExit();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        const platform::MsgBoxCall& box = boxes.Calls()[0];
        EXPECT_EQ(box.title, QStringLiteral("Error : %1").arg(number));
        EXPECT_TRUE(box.prompt.startsWith(box.title + u'\n')) << box.prompt.toStdString();
        EXPECT_TRUE(box.prompt.endsWith(u'\n' + IniPath())) << box.prompt.toStdString();
    }

    QTemporaryDir dir_;
    QString program_;
    QString savedCwd_;
    QLocale savedLocale_;
    bool mounted_ = false;
};

TEST_F(SettingsFaultsTest, AFullDiskKeepsTheOldFileAndSaysSoOnce) {
    if (!MountSmallDisk()) GTEST_SKIP() << "mounting a small file system is not allowed here";
    WriteIni(kOld);
    {
        QFile filler(program_ + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray chunk(4096, 'f');
        while (filler.write(chunk) == chunk.size() && filler.flush()) {}
    }
    LoadAll();
    EXPECT_EQ(modReg::MainWindow.Left, 100.0f);
    const QStringList before = Listing();
    ExpectOneErrorBoxOnSave(61);  // Disk full
    EXPECT_EQ(IniBytes(), kOld);
    EXPECT_EQ(Listing(), before);
}

TEST_F(SettingsFaultsTest, AWriteCutShortKeepsTheOldFileAndSaysSoOnce) {
    WriteIni(kOld);
    LoadAll();
    {
        // The file-size limit cuts the write short, as a full disk does.
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lower = saved;
        lower.rlim_cur = static_cast<rlim_t>(kOld.size());
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
        ExpectOneErrorBoxOnSave(61);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(IniBytes(), kOld);
    EXPECT_EQ(Listing(), QStringList{"qvv2.ini"});
}

TEST_F(SettingsFaultsTest, AReadOnlyFileIsReadButNotReplaced) {
    WriteIni(kOld);
    ASSERT_EQ(::chmod(IniNative().constData(), 0444), 0);
    LoadAll();
    EXPECT_EQ(modReg::MainWindow.Left, 100.0f);
    EXPECT_EQ(modReg::Link.CommPort, 3);
    ExpectOneErrorBoxOnSave(75);  // Path/File access error
    EXPECT_EQ(IniBytes(), kOld);
    struct stat st {};
    ASSERT_EQ(::stat(IniNative().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(Listing(), QStringList{"qvv2.ini"});
}

TEST_F(SettingsFaultsTest, ASettingsFileThatIsNoFileGivesDefaultsAndStays) {
    struct Case {
        const char* name;
        std::function<bool(const QByteArray&)> make;
        mode_t type;
    };
    const Case cases[] = {
        {"pipe", [](const QByteArray& p) { return ::mkfifo(p.constData(), 0644) == 0; }, S_IFIFO},
        {"link to an endless device", [](const QByteArray& p) { return ::symlink("/dev/zero", p.constData()) == 0; },
         S_IFLNK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ::unlink(IniNative().constData());
        ASSERT_TRUE(c.make(IniNative()));
        modReg::MainWindow = modReg::MainWindowSettings();
        modReg::MainWindow.Left = -1;
        modReg::Link = modReg::LinkSettings();

        {
            // Neither waits for a writer nor reads without end (the watchdog
            // ends a test that hangs).
            const hostile::Watchdog watchdog;
            LoadAll();
        }
        EXPECT_EQ(modReg::MainWindow.Left, 1980.0f);
        EXPECT_EQ(modReg::Link.CommTimeout, 3000);

        ExpectOneErrorBoxOnSave(75);
        struct stat st {};
        ASSERT_EQ(::lstat(IniNative().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.type);
        EXPECT_EQ(Listing(), QStringList{"qvv2.ini"});
    }
}

TEST_F(SettingsFaultsTest, AFiftyMegabyteLineCostsOneReadAndOneWrite) {
    const QByteArray blob = "junk=" + QByteArray(50 * 1024 * 1024, 'j') + "\r\n";
    WriteIni(kOld + "[Junk]\r\n" + blob);
    // Written just now: the recent-change rule would have a read outside a
    // batch read it again, so this counts what the batches save.
    const int64_t size = static_cast<int64_t>(IniBytes().size());
    const ProcessIo beforeLoad = ProcessIo::Now();
    LoadAll();
    const ProcessIo afterLoad = ProcessIo::Now();
    EXPECT_EQ(modReg::MainWindow.Left, 100.0f);
    EXPECT_EQ(modReg::Link.CommPort, 3);
    modReg::MainWindow.Width = 9000;
    SaveAllAtExit();
    const ProcessIo save = ProcessIo::Now().Since(afterLoad);
    const ProcessIo load = afterLoad.Since(beforeLoad);
    // Key by key, each setting cost a read of the whole file: dozens of
    // reads.  The load reads the file once; the save reads it once and
    // writes it once.
    ASSERT_GE(load.read, 0) << "the system does not count the bytes read";
    EXPECT_GE(load.read, size);
    EXPECT_LT(load.read, 2 * size);
    EXPECT_LT(load.written, size);
    EXPECT_LT(save.read, 2 * size);
    EXPECT_GE(save.written, size);
    EXPECT_LT(save.written, 2 * size);

    const QByteArray after = IniBytes();
    EXPECT_TRUE(after.startsWith("[Window]\r\nleft= 100\r\ntop= 1980\r\nwindowstate= 0\r\nwidth= 9000\r\n"))
        << after.left(120).toStdString();
    EXPECT_TRUE(after.contains("[Junk]\r\n" + blob));
    EXPECT_EQ(modIni::ReadIni("Window", "width", "", IniPath()), "9000");
}

}  // namespace
