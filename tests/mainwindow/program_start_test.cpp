// The program's start around the main window: the program folder from the
// environment, the command line, Qt's own translations.
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <gtest/gtest.h>

#include "documents/modApp.h"
#include "mainwindow/ProgramStart.h"
#include "platform/FileNames.h"

TEST(ProgramStartTest, CommandLineIsTheArgumentsAfterTheProgramJoinedByBlanks) {
    EXPECT_EQ(ProgramStart::CommandLineOf({"quarvel-ide"}), "");
    EXPECT_EQ(ProgramStart::CommandLineOf({"quarvel-ide", "/home/u/a.bas"}), "/home/u/a.bas");
    EXPECT_EQ(ProgramStart::CommandLineOf({"quarvel-ide", "\"/home/u/my", "robot.bas\""}), "\"/home/u/my robot.bas\"");
    EXPECT_EQ(ProgramStart::CommandLineOf({}), "");
}

// Each argument is held by its bytes, so a name that is not valid UTF-8
// reaches its file; a name starting with a dash is a name like any other.
TEST(ProgramStartTest, ArgumentsAreHeldByTheirBytes) {
    const char* const argv[] = {"quarvel-ide", "k\xFF\xFE.bas", "-walk.bas", "\"my", "robot.bas\"", nullptr};
    const QStringList arguments = ProgramStart::ArgumentsOf(5, argv);
    ASSERT_EQ(arguments.size(), 5);
    EXPECT_EQ(platform::EncodeFileName(arguments[1]), QByteArray("k\xFF\xFE.bas"));
    EXPECT_EQ(ProgramStart::CommandLineOf(arguments.mid(0, 3)),
              QString(QStringLiteral("k") + QChar(0xDCFF) + QChar(0xDCFE) + QStringLiteral(".bas -walk.bas")));
    EXPECT_EQ(ProgramStart::CommandLineOf(arguments), arguments[1] + " -walk.bas \"my robot.bas\"");
    EXPECT_TRUE(ProgramStart::ArgumentsOf(0, nullptr).isEmpty());
}

TEST(ProgramStartTest, ProgramFolderComesFromTheEnvironmentWhenSet) {
    const QByteArray saved = qgetenv(ProgramStart::kHomeVariable);
    modApp::SetAppPath(QString());
    qunsetenv(ProgramStart::kHomeVariable);
    ProgramStart::ApplyProgramHome();
    EXPECT_EQ(modApp::AppPath(), QCoreApplication::applicationDirPath());

    qputenv(ProgramStart::kHomeVariable, "/tmp/quarvel home");
    ProgramStart::ApplyProgramHome();
    EXPECT_EQ(modApp::AppPath(), "/tmp/quarvel home");

    modApp::SetAppPath(QString());
    if (saved.isNull()) qunsetenv(ProgramStart::kHomeVariable);
    else qputenv(ProgramStart::kHomeVariable, saved);
}

TEST(ProgramStartTest, QtTranslationsFollowTheInterfaceLanguage) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_FALSE(ProgramStart::InstallQtTranslations(*app));

    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(dir + QStringLiteral("/qtbase_ko.qm")))
        GTEST_SKIP() << "Qt's Korean translation is not installed (qt6-translations-l10n)";
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    const QList<QTranslator*> before = app->findChildren<QTranslator*>();
    EXPECT_TRUE(ProgramStart::InstallQtTranslations(*app));
    // The standard dialog buttons now speak Korean.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("취소"));
    for (QTranslator* t : app->findChildren<QTranslator*>()) {
        if (before.contains(t)) continue;
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

// The application carries the program's name and no display name: with a
// display name the windowing system appends it to every window title
// ("Quarvel - [a.bas] — Quarvel"), and message boxes without a title of
// their own show the program's name.
TEST(ProgramStartTest, WindowTitlesAreTheCaptionsAlone) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ProgramStart::NameTheApplication();
    EXPECT_EQ(QCoreApplication::applicationName(), "Quarvel");
    // Without a display name of its own, the display name is the
    // application's name, and window titles get nothing appended.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
}
