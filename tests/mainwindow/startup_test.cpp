// Start-up of the main window: the default settings file, the first
// document (command line, recent list, new), the controller model, the help
// file, the language of the compiler.
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QToolBar>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "MainWindowFixture.h"
#include "compiler/Text.h"
#include "documents/Files.h"
#include "editor/DocTabStrip.h"
#include "mainwindow/frmMainServices.h"
#include "platform/FileNames.h"

namespace {

QByteArray Cp949(const QString& text) {
    const std::string bytes = qvv2::ToAnsi(text.toStdU16String(), "CP949");
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

TEST_F(MainWindowTest, FirstStartWritesTheDefaultSettingsFileByteForByte) {
    frmMain& w = Start();
    EXPECT_EQ(ReadAll(HomeFile("qvv2.ini")),
              QByteArray("[Port]\r\nCommPort = 1\r\nCOMMtimeout = 3000\r\n[Controller]\r\n"
                         "ConType = 8\r\nConID = 2\r\nInterface = 1\r\n"));
    EXPECT_EQ(w.Panel(2)->text(), "COM 1");
    EXPECT_EQ(w.Comm.CommPort(), 1);
    EXPECT_EQ(w.TimeOut.interval(), 3000);
}

TEST_F(MainWindowTest, ExistingSettingsFileIsReadAndNotRewritten) {
    const QByteArray ini("[Port]\r\nCOMMport=3\r\nCOMMtimeout=1500\r\n[Controller]\r\nConType=3\r\nConID=1\r\n"
                         "Interface=0\r\n");
    WriteAll(HomeFile("qvv2.ini"), ini);
    frmMain& w = Start();
    EXPECT_EQ(ReadAll(HomeFile("qvv2.ini")), ini);
    EXPECT_EQ(w.Panel(2)->text(), "COM 3");
    EXPECT_EQ(w.TimeOut.interval(), 1500);
    // The model set-up replaces the file's controller.
    EXPECT_EQ(modMain::ControllerType, 8);
    EXPECT_EQ(modMain::ControllerID, 2);
    EXPECT_EQ(modMain::PortType, 1);
    EXPECT_EQ(w.basic.Con_Type, 8);
    EXPECT_EQ(w.basic.Con_ID, 2);
}

TEST_F(MainWindowTest, StartUpSetsTheModelMenusKeysAndPanels) {
    frmMain& w = Start();
    EXPECT_TRUE(w.mnuVX32->isChecked());
    EXPECT_TRUE(w.mnuMotorControlKESTRA->isEnabled());
    EXPECT_EQ(w.mnuMotorControlKESTRA->text(), "VT Motor Control");
    QAction* kestra = frmMain::Button(w.tBar3, "kestra");
    ASSERT_NE(kestra, nullptr);
    EXPECT_EQ(kestra->property("Key").toString(), "kestra");
    EXPECT_EQ(kestra->toolTip(), "VORTAN");
    EXPECT_EQ(kestra->property("Image").toInt(), 61);
    EXPECT_EQ(w.Panel(3)->text(), "VX-33 Serial");
    EXPECT_EQ(modMain::DocWindowState, 2);
    EXPECT_EQ(modAPI::DialogFilter,
              "QUARVEL Program (*.bas)|*.bas|QUARSCRIPT Program (*.qsf)|*.qsf|All Files(*.*)|*.*");
    EXPECT_FALSE(modAPI::CloseCancelled);
    // Hidden by the frame's creation and never shown again.
    EXPECT_FALSE(w.mnuAddOn->menuAction()->isVisible());
    EXPECT_FALSE(w.mnuVX21update->isVisible());
    // Localised: menus and tool tips carry texts, not numbers.
    EXPECT_EQ(w.mnuFile->title(), "&File");
    EXPECT_EQ(w.new_->text(), "New Program File");
    EXPECT_EQ(frmMain::Button(w.tBar3, "motor_off")->toolTip(), "Motor All OFF    F10");
}

TEST_F(MainWindowTest, HelpMenuAndHelpKeyFollowTheHelpFile) {
    {
        frmMain& w = Start();
        EXPECT_FALSE(w.genhelp->isVisible());
        ASSERT_NE(frmMain::SeparatorBefore(w.tBar, "help"), nullptr);
        EXPECT_FALSE(frmMain::SeparatorBefore(w.tBar, "help")->isVisible());
        EXPECT_FALSE(frmMain::Button(w.tBar, "help")->isVisible());
        EXPECT_TRUE(frmMain::Button(w.tBar, "Note")->isVisible());
    }
    WriteAll(HomeFile("qvv2.chm"), "help");
    frmMain& w = Start();
    EXPECT_TRUE(w.genhelp->isVisible());
    EXPECT_TRUE(frmMain::Button(w.tBar, "help")->isVisible());
}

TEST_F(MainWindowTest, CompilerLanguageFollowsTheInterfaceLanguage) {
    struct Case {
        QLocale locale;
        int16_t cmdLang;
        const char16_t* compileMsg;
    };
    const Case cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), 0, u"Compiling..."},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), 1, u"컴파일 중..."},
        {QLocale(QLocale::Japanese, QLocale::Japan), 2, nullptr},
        {QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China), 3, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        frmMain& w = Start();
        EXPECT_EQ(w.basic.cmdLang, c.cmdLang);
        if (c.compileMsg) {
            EXPECT_EQ(w.basic.CompileMsg, std::u16string(c.compileMsg));
        }
        EXPECT_FALSE(w.basic.CompileMsg.empty());
    }
}

TEST_F(MainWindowTest, CommandLineQuotesAreStrippedOnePerEnd) {
    struct Case {
        const char* commandLine;
        const char* path;
    };
    const Case cases[] = {
        {"\"/home/user/my robot/walk.bas\"", "/home/user/my robot/walk.bas"},
        {"/home/user/walk.bas", "/home/user/walk.bas"},
        {"\"/home/user/walk.bas", "/home/user/walk.bas"},
        {"/home/user/walk.bas\"", "/home/user/walk.bas"},
        {"\"\"/a.bas\"\"", "\"/a.bas\""},
        {"a.bas b.bas", "a.bas b.bas"},
        {"\"", ""},
        {"\"\"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frmMain::PathFromCommandLine(QString::fromUtf8(c.commandLine)), QString::fromUtf8(c.path))
            << c.commandLine;
}

TEST_F(MainWindowTest, StartWithAFileArgumentOpensIt) {
    const QString path = HomeFile("걷기 동작.bas");
    WriteAll(path, Cp949(QStringLiteral("' 걷기\r\nMOVE G6A, 100, 100, 100, 100, 100, 100\r\n")));
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    frmMain& w = Start(QLatin1Char('"') + path + QLatin1Char('"'));
    ASSERT_EQ(frmMainServices::DocumentUpperBound(), 1);
    EXPECT_EQ(frmMainServices::DocumentFileName(1), path);
    EXPECT_EQ(frmMainServices::DocumentText(1), QStringLiteral("' 걷기\r\nMOVE G6A, 100, 100, 100, 100, 100, 100\r\n"));
    EXPECT_EQ(frmMainServices::ActiveDoc(), 1);
    // Its tab replaced the design-time tab.
    ASSERT_EQ(w.TB->count(), 1);
    EXPECT_EQ(w.TB->KeyAt(0), "key1");
    EXPECT_EQ(w.TB->tabText(0), "걷기 동작.bas");
}

// A relative name on the command line names a file of the folder the
// program was started in, not of the stored working folder that the settings
// make current: the file opens, and nothing is asked or written elsewhere.
// The start folder's own name is no valid UTF-8 here, so it is read by its
// bytes.
TEST_F(MainWindowTest, RelativeCommandLineNamesAreReadFromTheStartFolder) {
    const QByteArray startBytes = QFile::encodeName(HomeFile("start")) + "\xFF";
    ASSERT_EQ(::mkdir(startBytes.constData(), 0755), 0);
    ASSERT_EQ(::mkdir((startBytes + "/sub").constData(), 0755), 0);
    const QString start = platform::DecodeFileName(startBytes);
    struct Case {
        QByteArray commandLine;  // bytes, as the shell hands them
        QByteArray file;         // the file it names in the start folder
    };
    const Case cases[] = {
        {"rel.bas", "rel.bas"},
        {"-rel.bas", "-rel.bas"},
        {"\"my rel.bas\"", "my rel.bas"},
        {"./sub/rel.bas", "sub/rel.bas"},
        {"k\xFE.bas", "k\xFE.bas"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine.toStdString());
        const QByteArray path = startBytes + '/' + c.file;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "GOTO MAIN\r\n", 11), 11);
        ::close(fd);
        ASSERT_EQ(::chdir(startBytes.constData()), 0);

        Start(platform::DecodeFileName(c.commandLine));
        // The settings made the program folder the working folder.
        EXPECT_EQ(platform::CurrentFolder(), Home());
        const int doc = frmMainServices::ActiveDoc();
        EXPECT_EQ(platform::EncodeFileName(frmMainServices::DocumentFileName(doc)), path);
        EXPECT_EQ(frmMainServices::DocumentText(doc), "GOTO MAIN\r\n");
        EXPECT_TRUE(Boxes().Calls().empty());
        EXPECT_FALSE(QFileInfo::exists(HomeFile(QFile::decodeName(c.file))));
    }
    // An absolute name stays as it is.
    ASSERT_EQ(::chdir(startBytes.constData()), 0);
    Start(start + "/rel.bas");
    EXPECT_EQ(frmMainServices::DocumentFileName(frmMainServices::ActiveDoc()), start + "/rel.bas");
}

TEST_F(MainWindowTest, StartWithoutArgumentMakesAnUntitledDocument) {
    frmMain& w = Start();
    ASSERT_EQ(frmMainServices::DocumentUpperBound(), 1);
    EXPECT_EQ(frmMainServices::DocumentFileName(1), "Untitled1.bas");
    EXPECT_EQ(frmMainServices::DocumentText(1), "");
    EXPECT_EQ(w.TB->count(), 1);
}

TEST_F(MainWindowTest, RecentListOptionOpensTheNewestRecentFile) {
    const QString newest = HomeFile("newest.bas");
    const QString older = HomeFile("older.bas");
    WriteAll(newest, "GOTO NEWEST\r\n");
    WriteAll(older, "GOTO OLDER\r\n");
    modApp::RecentFileList list;
    list[1] = newest;
    list[2] = older;
    WriteAll(HomeFile("recent.rct"), modApp::RecentFileBytes(list, "CP1252"));
    WriteAll(HomeFile("qvv2.ini"), "[View]\r\nmnuRecent_Open=1\r\n");

    frmMain& w = Start();
    EXPECT_TRUE(w.mnuRecent_Open->isChecked());
    EXPECT_TRUE(w.mnuRec[0]->isVisible());
    EXPECT_EQ(w.mnuRec[0]->data().toString(), newest);
    EXPECT_TRUE(w.mnuRec[1]->isVisible());
    EXPECT_FALSE(w.mnuRec[2]->isVisible());
    ASSERT_EQ(frmMainServices::DocumentUpperBound(), 1);
    EXPECT_EQ(frmMainServices::DocumentFileName(1), newest);
    EXPECT_EQ(frmMainServices::DocumentText(1), "GOTO NEWEST\r\n");
}

TEST_F(MainWindowTest, RecentListWithTheOptionOffStartsUntitled) {
    modApp::RecentFileList list;
    list[1] = HomeFile("newest.bas");
    WriteAll(list[1], "END\r\n");
    WriteAll(HomeFile("recent.rct"), modApp::RecentFileBytes(list, "CP1252"));
    WriteAll(HomeFile("qvv2.ini"), "[View]\r\nmnuRecent_Open=0\r\n");
    frmMain& w = Start();
    EXPECT_FALSE(w.mnuRecent_Open->isChecked());
    EXPECT_TRUE(w.mnuRec[0]->isVisible());
    EXPECT_EQ(frmMainServices::DocumentFileName(1), "Untitled1.bas");
}

TEST_F(MainWindowTest, WindowSettingsAreApplied) {
    WriteAll(HomeFile("qvv2.ini"),
             "[Window]\r\nleft=300\r\ntop=450\r\nwidth=12000\r\nheight=9000\r\ntoolbar=0\r\nstatusbar=1\r\n"
             "[View]\r\nTooltip=0\r\nAllfileList=1\r\n[Options]\r\nwhitespace=1\r\nhlline=0\r\n"
             "[FrmNav]\r\nView=0\r\n");
    frmMain& w = Start();
    EXPECT_EQ(w.pos(), QPoint(20, 30));
    EXPECT_EQ(w.size(), QSize(800, 600));
    EXPECT_TRUE(w.tBar->isHidden());
    EXPECT_FALSE(w.toolbar->isChecked());
    EXPECT_FALSE(w.tbar2->isHidden());
    EXPECT_FALSE(w.mnuTip->isChecked());
    EXPECT_TRUE(w.mnuAllFileList->isChecked());
    EXPECT_TRUE(w.whitespace->isChecked());
    EXPECT_FALSE(w.hlline->isChecked());
    EXPECT_FALSE(w.quicknav->isChecked());
}
