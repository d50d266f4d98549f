// Window-style, help and shell procedures, path building and ctlFrame.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "documents/ctlFrame.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modGeneral.h"
#include "documents/modWeb.h"
#include "platform/FileNames.h"
#include "platform/WindowStyle.h"

namespace {

bool Flat(const QWidget* w) { return w->property("flatBorder").toBool(); }

TEST(ModApp, AddBackslashAndProgramFolder) {
    EXPECT_EQ(modApp::AddBackslash("/opt/quarvel"), "/opt/quarvel/");
    EXPECT_EQ(modApp::AddBackslash("/opt/quarvel/"), "/opt/quarvel/");
    EXPECT_EQ(modApp::AddBackslash(""), "/");
    EXPECT_EQ(modApp::AppPath(), QCoreApplication::applicationDirPath());
    modApp::SetAppPath("/srv/robots");
    EXPECT_EQ(modApp::AddBackslash(modApp::AppPath()) + "qvv2.ini", "/srv/robots/qvv2.ini");
    modApp::SetAppPath(QString());
    EXPECT_EQ(modApp::AppPath(), QCoreApplication::applicationDirPath());
}

TEST(ModGeneral, FlatControlsFlattensTheSevenKindsOnly) {
    QDialog form;
    auto* button = new QPushButton(&form);
    auto* text = new QLineEdit(&form);
    auto* list = new QListWidget(&form);
    auto* tree = new QTreeView(&form);
    auto* progress = new QProgressBar(&form);
    auto* picture = new QFrame(&form);
    auto* fileTree = new QTreeView(&form);
    fileTree->setProperty("vbType", "FileTree");
    auto* frame = new QGroupBox(&form);
    auto* inFrame = new QPushButton(frame);  // controls inside containers count too
    auto* label = new QLabel(&form);
    label->setFrameStyle(QFrame::Box | QFrame::Raised);
    auto* check = new QCheckBox(&form);
    auto* option = new QRadioButton(&form);
    auto* listView = new QTreeWidget(&form);
    const QFrame::Shape listViewShape = listView->frameShape();

    modGeneral::FlatControls(&form);

    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(text), static_cast<QWidget*>(list),
                       static_cast<QWidget*>(tree), static_cast<QWidget*>(progress), static_cast<QWidget*>(picture),
                       static_cast<QWidget*>(fileTree), static_cast<QWidget*>(inFrame)})
        EXPECT_TRUE(Flat(w)) << w->metaObject()->className();
    for (QWidget* w : {static_cast<QWidget*>(frame), static_cast<QWidget*>(label), static_cast<QWidget*>(check),
                       static_cast<QWidget*>(option), static_cast<QWidget*>(listView)})
        EXPECT_FALSE(Flat(w)) << w->metaObject()->className();
    EXPECT_EQ(list->frameStyle(), QFrame::Panel | QFrame::Sunken);
    EXPECT_EQ(picture->frameStyle(), QFrame::Panel | QFrame::Sunken);
    EXPECT_EQ(label->frameStyle(), QFrame::Box | QFrame::Raised);
    EXPECT_EQ(listView->frameShape(), listViewShape);
    EXPECT_FALSE(Flat(&form));
}

TEST(ModGeneral, TopMostAndCloseItem) {
    QDialog note, about;
    modGeneral::MakeTopMost(&note);
    EXPECT_TRUE(note.windowFlags() & Qt::WindowStaysOnTopHint);
    modAPI::DisableCloseItem(&about);
    EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(platform::HasCloseButtonRemoved(&about));
}

TEST(ModAPI, ShowHelpOpensExistingFileAtTheTopic) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString help = dir.filePath("qvv2.chm");
    QFile(help).open(QIODevice::WriteOnly);
    ShellRecorder shell;
    modAPI::ShowHelp(help, "");
    modAPI::ShowHelp("  " + help + " ", " commands/move.htm ");
    modAPI::ShowHelp(dir.filePath("qvv2k.chm"), "index.htm");  // missing: nothing happens
    ASSERT_EQ(shell.Help().size(), 2u);
    EXPECT_EQ(shell.Help()[0], help);
    EXPECT_EQ(shell.Help()[1], help + "::/commands/move.htm");
}

TEST(ModAPI, DeleteFileIfExists) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString obj = dir.filePath("walk.obj");
    QFile(obj).open(QIODevice::WriteOnly);
    EXPECT_TRUE(modAPI::DeleteFileIfExists(obj));
    EXPECT_FALSE(QFile::exists(obj));
    EXPECT_TRUE(modAPI::DeleteFileIfExists(obj));  // missing: nothing to do
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.obj"));
    EXPECT_TRUE(modAPI::DeleteFileIfExists(dir.filePath("folder.obj")));
    EXPECT_TRUE(QDir(dir.filePath("folder.obj")).exists());  // a folder is no file
}

TEST(ModAPI, DeleteFileIfExistsReachesANameThatIsNotValidUtf8) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const hostile::RawNamedFile obj(dir.path(), "walk\xFF.obj", "");
    const hostile::RawNamedFolder folder(dir.path(), "folder\xFE.obj");
    ASSERT_TRUE(obj.Ok() && folder.Ok());
    const struct {
        QByteArray path;
        bool remains;
    } cases[] = {{obj.Path(), false}, {folder.Path(), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_TRUE(modAPI::DeleteFileIfExists(platform::DecodeFileName(c.path)));
        struct stat st {};
        EXPECT_EQ(::lstat(c.path.constData(), &st) == 0, c.remains);
    }
}

TEST(ModWeb, OpenWithShellHandsTheTargetOn) {
    ShellRecorder shell;
    modWeb::OpenWithShell("http://www.quarvel.example/");
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], "http://www.quarvel.example/");
}

TEST(CtlFrame, LinesFollowTheSizeInTwips) {
    ctlFrame frame;
    QSignalSpy resized(&frame, &ctlFrame::Resize);
    frame.resize(2520 / 15, 420 / 15);
    frame.show();
    EXPECT_GE(resized.count(), 1);
    EXPECT_EQ(frame.LineLeft(), QLineF(0, 0, 0, 420));
    EXPECT_EQ(frame.LineTop(), QLineF(0, 0, 2505, 0));
    EXPECT_EQ(frame.LineRight(), QLineF(2505, 0, 2505, 420));
    EXPECT_EQ(frame.LineBottom(), QLineF(0, 405, 2520, 405));

    const QImage image = frame.grab().toImage();
    const QRgb shadow = frame.palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(image.pixel(0, 10), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixel(50, 0), QColor(Qt::white).rgb());
    EXPECT_EQ(image.pixel(167, 10), shadow);
    EXPECT_EQ(image.pixel(50, 27), shadow);
}

}  // namespace
