// The settings file through a whole run of the main window: values the user
// did not change come back exactly as read, and a shut-down whose settings
// cannot be written keeps the old file and says so once.
#include <sys/resource.h>
#include <csignal>

#include "MainWindowFixture.h"
#include "platform/MsgBox.h"

namespace {

// Replaces the value of `key` on its "key=value" line in `section`.
QByteArray WithValue(QByteArray ini, const QByteArray& section, const QByteArray& key, const QByteArray& value) {
    const qsizetype sectionAt = ini.indexOf("[" + section + "]\r\n");
    const qsizetype at = sectionAt < 0 ? -1 : ini.indexOf("\r\n" + key + "=", sectionAt);
    if (at < 0) return "no key " + key;
    const qsizetype begin = at + 2 + key.size() + 1;
    const qsizetype end = ini.indexOf("\r\n", begin);
    return ini.replace(begin, end - begin, value);
}

}  // namespace

TEST_F(MainWindowTest, UnchangedWindowValuesAreWrittenBackExactlyAsRead) {
    // A settings file as the program writes it, with positions and sizes
    // that are no whole number of pixels.
    Start();
    ASSERT_TRUE(Main().close());
    QByteArray ini = ReadAll(HomeFile("qvv2.ini"));
    ini = WithValue(ini, "Window", "left", " 100");
    ini = WithValue(ini, "Window", "top", " 37");
    ini = WithValue(ini, "Window", "width", " 9997");
    ini = WithValue(ini, "Window", "height", " 7001.5");
    ini = WithValue(ini, "FrmNav", "Width", " 2002");  // the Assist Window's width
    WriteAll(HomeFile("qvv2.ini"), ini);

    ResetState();
    frmMain& w = Start();
    EXPECT_EQ(w.pos(), QPoint(7, 2));  // 100 and 37 twips
    ASSERT_TRUE(w.close());
    EXPECT_EQ(ReadAll(HomeFile("qvv2.ini")), ini);

    // A window that really moved stores where it is now.
    ResetState();
    frmMain& moved = Start();
    moved.move(8, 2);
    ASSERT_TRUE(moved.close());
    EXPECT_EQ(ReadAll(HomeFile("qvv2.ini")), WithValue(ini, "Window", "left", " 120"));
}

TEST_F(MainWindowTest, ShutDownThatCannotWriteTheSettingsKeepsThemAndSaysSoOnce) {
    Start();
    const QByteArray old = ReadAll(HomeFile("qvv2.ini"));
    ASSERT_FALSE(old.isEmpty());
    Main().move(300, 200);  // something to save

    Boxes().Answer(platform::vbOK);
    {
        // No file may grow past the old settings file: the disk is full.
        auto* previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lower = saved;
        lower.rlim_cur = static_cast<rlim_t>(old.size());
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lower), 0);
        EXPECT_TRUE(Main().close());
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    // Editor settings, window settings, view options: one message for all.
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(Boxes().Calls()[0].title, QStringLiteral("Error : 61"));
    EXPECT_TRUE(Boxes().Calls()[0].prompt.contains(QStringLiteral("Disk full")));
    EXPECT_EQ(ReadAll(HomeFile("qvv2.ini")), old);
    EXPECT_EQ(QDir(Home()).entryList(QDir::Files | QDir::Hidden), QStringList{"qvv2.ini"});
}
