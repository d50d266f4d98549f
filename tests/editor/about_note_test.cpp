// The about box and the note window: texts in the interface language, the
// version line, the link, and the note window's place kept in the settings.
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "documents/modApp.h"
#include "documents/modIni.h"
#include "editor/frmAbout.h"
#include "editor/frmNote.h"
#include "platform/Shell.h"

namespace {

QString Ini(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("qvv2.ini")); }

// The value of a key of the note window's section as the file holds it
// (the settings reader trims blanks, so the file is read directly).
QString Stored(const QTemporaryDir& dir, const char* key) {
    QFile file(Ini(dir));
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("?");
    bool inSection = false;
    for (const QString& line : QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'[')) inSection = line == QStringLiteral("[frmNote_Window]");
        else if (inSection && line.startsWith(QLatin1String(key) + u'=')) return line.mid(int(strlen(key)) + 1);
    }
    return QStringLiteral("?");
}

class NoteWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        modApp::SetAppPath(dir.path());
    }
    void TearDown() override {
        delete frmNote::Loaded();
        modApp::SetAppPath(QString());
    }
    QTemporaryDir dir;
};

TEST_F(NoteWindowTest, OpensAtTheDefaultsWithoutASection) {
    frmNote::ShowNote();
    frmNote* note = frmNote::Loaded();
    ASSERT_NE(note, nullptr);
    // 1980, 1980, 4170 x 4890 twips at 15 twips a pixel.
    EXPECT_EQ(note->pos(), QPoint(132, 132));
    EXPECT_EQ(note->size(), QSize(278, 326));
    EXPECT_EQ(note->txt_Note->geometry(), QRect(1, 1, 268, 316));
    EXPECT_TRUE(note->windowFlags() & Qt::WindowStaysOnTopHint);
    // A second opening shows the same window.
    frmNote::ShowNote();
    EXPECT_EQ(frmNote::Loaded(), note);
}

TEST_F(NoteWindowTest, PlaceAndSizeAreKeptButNotTheText) {
    frmNote::ShowNote();
    QPointer<frmNote> note = frmNote::Loaded();
    note->txt_Note->setPlainText(QStringLiteral("remember the knee servo"));
    note->move(200, 150);
    note->resize(300, 240);
    note->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(note.isNull());

    EXPECT_EQ(Stored(dir, "left"), " 3000");
    EXPECT_EQ(Stored(dir, "top"), " 2250");
    EXPECT_EQ(Stored(dir, "width"), " 4500");
    EXPECT_EQ(Stored(dir, "height"), " 3600");

    frmNote::ShowNote();
    note = frmNote::Loaded();
    EXPECT_EQ(note->pos(), QPoint(200, 150));
    EXPECT_EQ(note->size(), QSize(300, 240));
    EXPECT_TRUE(note->txt_Note->toPlainText().isEmpty());
}

TEST_F(NoteWindowTest, StoredValuesAreReadAsNumbers) {
    // Values that do not move keep their stored text (no rounding to
    // pixels); a value that is not a number counts as 0.
    const QString ini = Ini(dir);
    modIni::WriteIni(QStringLiteral("frmNote_Window"), QStringLiteral("left"), QStringLiteral("1987"), ini);
    modIni::WriteIni(QStringLiteral("frmNote_Window"), QStringLiteral("top"), QStringLiteral("abc"), ini);
    modIni::WriteIni(QStringLiteral("frmNote_Window"), QStringLiteral("width"), QStringLiteral("3000 twips"), ini);
    frmNote::ShowNote();
    QPointer<frmNote> note = frmNote::Loaded();
    EXPECT_EQ(note->pos(), QPoint(132, 0));
    EXPECT_EQ(note->width(), 200);
    note->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Stored(dir, "left"), " 1987");
    EXPECT_EQ(Stored(dir, "top"), " 0");
    EXPECT_EQ(Stored(dir, "width"), " 3000");
    EXPECT_EQ(Stored(dir, "height"), " 4890");
}

class AboutBoxTest : public ::testing::Test {
protected:
    void TearDown() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        platform::SetShellHandler({});
    }
};

TEST_F(AboutBoxTest, TextsAndVersionInTheInterfaceLanguage) {
    const QRegularExpression version(QStringLiteral("^Ver\\. (0|[1-9]\\d*)\\.(0|[1-9]\\d*)\\.(0|[1-9]\\d*)$"));
    EXPECT_TRUE(version.match(frmAbout::VersionLine()).hasMatch()) << frmAbout::VersionLine().toStdString();
    EXPECT_EQ(frmAbout::VersionLine(), QStringLiteral("Ver. %1.%2.%3")
                                           .arg(QUARVEL_VERSION_MAJOR)
                                           .arg(QUARVEL_VERSION_MINOR)
                                           .arg(QUARVEL_VERSION_PATCH));

    struct Case {
        QLocale locale;
        const char* header;
        const char* title;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "Quarvel\nRobot Controller Development Environment",
         "About Quarvel"},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "Quarvel\n로봇 컨트롤러 개발 환경", nullptr},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        frmAbout about;
        EXPECT_EQ(about.lblHeader->text(), QString::fromUtf8(c.header));
        if (c.title) {
            EXPECT_EQ(about.windowTitle(), QLatin1String(c.title));
        }
        const QStringList info = about.lblInfo->text().split(QLatin1Char('\n'));
        ASSERT_EQ(info.size(), 6);
        EXPECT_TRUE(info[1].isEmpty());
        EXPECT_TRUE(info[3].isEmpty());
        EXPECT_EQ(info[5], frmAbout::VersionLine());
        EXPECT_TRUE(about.Label2->text().startsWith(QStringLiteral("http")));
    }
}

TEST_F(AboutBoxTest, LinkTurnsRedWhilePressedAndOpensOnClick) {
    QStringList opened;
    platform::SetShellHandler([&](const QString& target) {
        opened << target;
        return true;
    });
    QMainWindow main;
    main.setGeometry(100, 100, 800, 600);
    frmAbout about(&main);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    // Centred over the main window.
    EXPECT_NEAR(about.frameGeometry().center().x(), main.frameGeometry().center().x(), 2);
    EXPECT_NEAR(about.frameGeometry().center().y(), main.frameGeometry().center().y(), 2);

    auto colour = [&] { return about.Label2->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour(), QColor(0, 0, 255));
    QTest::mousePress(about.Label2, Qt::LeftButton);
    EXPECT_EQ(colour(), QColor(255, 0, 0));
    QTest::mouseRelease(about.Label2, Qt::LeftButton);
    EXPECT_EQ(colour(), QColor(0, 0, 255));
    EXPECT_EQ(opened, QStringList{about.Label2->text()});

    // Released outside the label: no click.
    QTest::mousePress(about.Label2, Qt::LeftButton);
    QTest::mouseRelease(about.Label2, Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(opened.size(), 1);

    QTest::mouseClick(about.cmdOK, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
