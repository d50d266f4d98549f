// The Compile and Controller menus of the main window, end to end: a program
// with an include file is opened, compiled from the menu, downloaded through
// the download window into the simulated controller and run; include errors
// are reported at their file and line; the command-set file of the
// interface language reaches the compiler; the handlers' conditions and the
// motion lock.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include <memory>

#include "ControllerSim.h"
#include "DownloadWindowPresser.h"
#include "compiler/Text.h"
#include "build/CompilePipeline.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/frmRun.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/MainWindowTools.h"
#include "tests/mainwindow/MainWindowFixture.h"

namespace {

using Bytes = std::vector<uint8_t>;

QByteArray Cp949(const QString& text) {
    const std::string bytes = qvv2::ToAnsi(text.toStdU16String(), "CP949");
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

const QByteArray kWalk =
    "'$DEVICE VX32\r\n"
    "DIM A AS BYTE\r\n"
    "'$INCLUDE \"arms.bas\"\r\n"
    "MAIN:\r\n"
    "A = A + 1\r\n"
    "GOSUB ARMS\r\n"
    "GOTO MAIN\r\n";
const QByteArray kArms =
    "ARMS:\r\n"
    "MOVE G6A, 100, 90, 80, 70, 60, 50\r\n"
    "SERVO 1, 100\r\n"
    "RETURN\r\n";

class BuildMenusTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        sim_ = std::make_unique<ControllerSim>(2);
        ASSERT_TRUE(sim_->ok());
        qputenv("QVV2_COM1", QByteArray::fromStdString(sim_->slavePath()));
        ASSERT_TRUE(QDir(Home()).mkpath("robot"));
        modMain::CompiledOK = false;
        modMain::Downloaded = false;
        modMain::InfoBusy = false;
        savedWindows_ = MainWindowTools::Windows();
    }

    void TearDown() override {
        // Tests replace window slots with lambdas over their own locals: put
        // the program's own back before those locals are gone.
        MainWindowTools::Windows() = savedWindows_;
        MainWindowTest::TearDown();
        sim_.reset();
        qunsetenv("QVV2_COM1");
    }

    MainWindowTools::ToolWindows savedWindows_;

    QString Robot(const QString& name) const { return HomeFile("robot/" + name); }

    // Opens the file through the File menu's Open dialog.
    void OpenFromMenu(const QString& path) {
        Dialogs().Choose(path);
        Main().open->trigger();
        frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
        ASSERT_NE(doc, nullptr);
        ASSERT_EQ(doc->FileName, path);
    }

    // Runs the download command and presses OK in the download window when
    // it comes up.  Returns whether the window was shown.
    bool DownloadFromMenu() {
        return RunPressingDownloadOK([this] { Main().mnuDown->trigger(); });
    }

    // The compiled image as the controller should hold it.
    Bytes Image() {
        const auto& code = Main().basic.ObjCode;
        return Bytes(code.begin() + 1, code.begin() + Main().basic.TotalBytes + 1);
    }

    int EnabledCommands() {
        int n = 0;
        for (int16_t c = 0; c < qvv2::QUARVELv2::kCommandCount; ++c) n += Main().basic.CommandEnabled(c) != 0;
        return n;
    }

    ControllerSim& sim() { return *sim_; }

private:
    std::unique_ptr<ControllerSim> sim_;
};

// A download window that comes up when it should not is closed at once and
// fails the test instead of blocking it.
class NoDownloadWindow {
public:
    NoDownloadWindow() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (frmRun* window = frmRun::Loaded(); window && window->isVisible()) {
                shown_ = true;
                window->cmdCancel->click();
            }
        });
        timer_.start();
    }
    ~NoDownloadWindow() { EXPECT_FALSE(shown_) << "the download window came up"; }

private:
    QTimer timer_;
    bool shown_ = false;
};

}  // namespace

TEST_F(BuildMenusTest, OpenCompileDownloadAndRunAProgramWithAnIncludeFile) {
    WriteAll(Robot("walk.bas"), kWalk);
    WriteAll(Robot("arms.bas"), kArms);
    frmMain& w = Start();
    OpenFromMenu(Robot("walk.bas"));

    w.mnuMake->trigger();
    ASSERT_EQ(w.basic.Bas_Error, 0) << qvv2::ToUtf8(w.basic.Bas_Error_Msg);
    EXPECT_TRUE(Boxes().Calls().empty());
    EXPECT_TRUE(modMain::CompiledOK);
    EXPECT_EQ(w.basic.SourceText,
              u"'$DEVICE VX32\r\nDIM A AS BYTE\r\n\r\nARMS:\r\nMOVE G6A, 100, 90, 80, 70, 60, 50\r\n"
              u"SERVO 1, 100\r\nRETURN\r\nMAIN:\r\nA = A + 1\r\nGOSUB ARMS\r\nGOTO MAIN\r\n");
    EXPECT_EQ(w.Panel(1)->text(),
              QStringLiteral("[Total %1 Bytes] is created. - walk.bas").arg(w.basic.TotalBytes));
    EXPECT_TRUE(QFileInfo(Robot("walk.obj")).isFile());
    EXPECT_EQ(Image().at(0), 'w');  // the program name in the header

    ASSERT_TRUE(DownloadFromMenu());
    EXPECT_TRUE(Boxes().Calls().empty());
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_TRUE(TookDownloads(sim(), 1));
    EXPECT_EQ(sim().downloadCount(), 1);
    EXPECT_EQ(sim().downloadedImage(), Image());

    w.mnuConRun->trigger();
    ASSERT_TRUE(sim().waitIdle(30000));
    EXPECT_EQ(sim().runCount(), 1);
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Running);
    EXPECT_FALSE(w.Comm.PortOpen());

    w.mnuConStop->trigger();
    ASSERT_TRUE(sim().waitIdle(30000));
    EXPECT_EQ(sim().runState(), ControllerSim::RunState::Stopped);
}

TEST_F(BuildMenusTest, RunAllCompilesAndDownloadsTheEditedProgram) {
    WriteAll(Robot("walk.bas"), kWalk);
    WriteAll(Robot("arms.bas"), kArms);
    frmMain& w = Start();
    OpenFromMenu(Robot("walk.bas"));
    modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText(QString::fromLatin1(kWalk) + "SERVO 2, 50\r\n");

    bool shown = false;
    QTimer presser;
    presser.setInterval(5);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        frmRun* window = frmRun::Loaded();
        if (shown || !window || !window->isVisible()) return;
        shown = true;
        window->cmdOK->click();
    });
    presser.start();
    w.mnuAllRun->trigger();
    presser.stop();

    EXPECT_TRUE(shown);
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_TRUE(TookDownloads(sim(), 1));
    EXPECT_EQ(sim().downloadedImage(), Image());
    EXPECT_NE(w.basic.SourceText.find(u"SERVO 2, 50"), std::u16string::npos);
}

TEST_F(BuildMenusTest, AnErrorInAnIncludeFileNamesThatFileAndLine) {
    WriteAll(Robot("walk.bas"), kWalk);
    WriteAll(Robot("arms.bas"), "ARMS:\r\nSERVO 1, 100\r\nGOTO NOWHERE\r\nRETURN\r\n");
    frmMain& w = Start();
    OpenFromMenu(Robot("walk.bas"));
    const QString before = w.Panel(1)->text();

    Boxes().Answer(platform::vbOK);
    w.mnuMake->trigger();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    const platform::MsgBoxCall& box = Boxes().Calls()[0];
    EXPECT_EQ(box.title, QStringLiteral("Compile Error"));
    EXPECT_TRUE(box.prompt.startsWith(QStringLiteral("File : ARMS.BAS\r\n3 Line\r\nError ")))
        << box.prompt.toStdString();
    EXPECT_TRUE(box.prompt.endsWith(QStringLiteral("\r\n\r\n3 : GOTO NOWHERE\r\n"))) << box.prompt.toStdString();
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_EQ(w.Panel(1)->text(), before);
    EXPECT_FALSE(QFileInfo(Robot("walk.obj")).exists());

    // Nothing to download after a failed compile.
    NoDownloadWindow guard;
    w.mnuDown->trigger();
}

TEST_F(BuildMenusTest, AnErrorInTheDocumentMovesItsCaretAndStatus) {
    WriteAll(Robot("walk.bas"), kWalk + "GOTO NOWHERE\r\n");
    WriteAll(Robot("arms.bas"), kArms);
    frmMain& w = Start();
    OpenFromMenu(Robot("walk.bas"));

    Boxes().Answer(platform::vbOK);
    w.mnuMake->trigger();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_TRUE(Boxes().Calls()[0].prompt.startsWith(QStringLiteral("8 Line\r\nError ")));
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->rt->HighlightedLine(), 7);
    EXPECT_EQ(doc->rt->Selection(true).StartLineNo, 7);
    EXPECT_EQ(w.Panel(1)->text(), QStringLiteral("Code Error - walk.bas"));
}

TEST_F(BuildMenusTest, AMissingIncludeFileGivesItsMessage) {
    WriteAll(Robot("walk.bas"), kWalk);
    frmMain& w = Start();
    OpenFromMenu(Robot("walk.bas"));
    w.basic.TotalBytes = 0;

    Boxes().Answer(platform::vbOK);
    w.mnuMake->trigger();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(Boxes().Calls()[0].title, QStringLiteral("Error : "));
    EXPECT_EQ(Boxes().Calls()[0].prompt,
              QStringLiteral("Include file is not exist !\r\n사용법 : '$INCLUDE(또는 '$포함파일) \"파일명\""));
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_EQ(w.basic.TotalBytes, 0);  // the compiler was not called
}

TEST_F(BuildMenusTest, TheCommandSetOfTheInterfaceLanguageReachesTheCompiler) {
    WriteAll(HomeFile("vx21e.cmd"), "DIM\r\nGOTO, GOSUB\r\n");
    WriteAll(HomeFile("vx21.cmd"), Cp949(QStringLiteral("선언\r\n")));
    WriteAll(Robot("walk.bas"), kWalk);
    WriteAll(Robot("arms.bas"), kArms);
    frmMain& w = Start();
    EXPECT_EQ(EnabledCommands(), 3);
    EXPECT_TRUE(w.basic.CommandEnabled(w.basic.IsCommand(u"GOSUB")));

    // The program uses commands outside the set and still compiles: every
    // compile starts with all commands enabled, and they stay so after it.
    // The program's "'$DEVICE VX32" loads the set again before that.
    OpenFromMenu(Robot("walk.bas"));
    w.mnuMake->trigger();
    EXPECT_EQ(w.basic.Bas_Error, 0);
    EXPECT_EQ(EnabledCommands(), qvv2::QUARVELv2::kCommandCount);

    // The model set-up loads the set again.
    w.mnuVX32->trigger();
    EXPECT_EQ(EnabledCommands(), 3);
}

// The editor's compile key runs while a motion window holds the lock: the
// program's "'$DEVICE VX32" sets the model up again and leaves the locked
// menu items as they are.
TEST_F(BuildMenusTest, TheDeviceDirectiveLeavesTheMotionLockAlone) {
    WriteAll(Robot("walk.bas"), kWalk);
    WriteAll(Robot("arms.bas"), kArms);
    frmMain& w = Start();
    OpenFromMenu(Robot("walk.bas"));
    w.MotionLock();
    modMain::ControllerID = 1;
    w.basic.Con_ID = 1;
    modMain::CompileActiveDocument();
    EXPECT_EQ(w.basic.Bas_Error, 0);
    EXPECT_EQ(modMain::ControllerID, 2);
    EXPECT_EQ(w.basic.Con_ID, 2);
    EXPECT_FALSE(w.mnuMotorControlKESTRA->isEnabled());
    EXPECT_FALSE(w.mnuMotorControl->isEnabled());
    w.MotionUnlock();
    EXPECT_TRUE(w.mnuMotorControlKESTRA->isEnabled());
}

TEST_F(BuildMenusTest, TheKoreanInterfaceLoadsItsOwnCommandSet) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    WriteAll(HomeFile("vx21e.cmd"), "DIM\r\nGOTO, GOSUB\r\n");
    WriteAll(HomeFile("vx21.cmd"), Cp949(QStringLiteral("선언\r\n서보\r\n")));
    frmMain& w = Start();
    EXPECT_EQ(EnabledCommands(), 2);
    EXPECT_TRUE(w.basic.CommandEnabled(w.basic.IsCommand(u"DIM")));
    EXPECT_TRUE(w.basic.CommandEnabled(w.basic.IsCommand(u"SERVO")));
    EXPECT_FALSE(w.basic.CommandEnabled(w.basic.IsCommand(u"GOTO")));
}

TEST_F(BuildMenusTest, HandlersTestTheirConditions) {
    WriteAll(Robot("walk.bas"), kWalk);
    WriteAll(Robot("arms.bas"), kArms);
    frmMain& w = Start();
    int debug = 0, info = 0, lineSingle = 0, group = 0, capture = 0, align = 0;
    auto& tools = MainWindowTools::Windows();
    tools.ShowDebugScreen = [&] { ++debug; };
    tools.ShowControllerInfo = [&] { ++info; };
    tools.RunCurrentLineSingle = [&] { ++lineSingle; };
    tools.RunCurrentGroup = [&] { ++group; };
    tools.CaptureToMoveLine = [&] { ++capture; };
    tools.ShowAlignProgram = [&] { ++align; };

    {
        // No compile yet: no download window.
        NoDownloadWindow guard;
        w.mnuDown->trigger();
    }
    // Compile and align need a document.
    for (int n = 1; n <= modApp::Docs.UBound(); ++n)
        if (frmDoc* doc = modApp::Docs(n)) doc->Unload();
    ASSERT_EQ(modApp::ActiveDoc, 0);
    w.mnuMake->trigger();
    w.mnuEdit_Align->trigger();
    EXPECT_EQ(align, 0);
    EXPECT_TRUE(w.basic.SourceText.empty());

    OpenFromMenu(Robot("walk.bas"));
    w.mnuEdit_Align->trigger();
    EXPECT_EQ(align, 1);
    w.mnuMake->trigger();
    ASSERT_TRUE(modMain::CompiledOK);

    // Debug needs a download too; a controller type without it warns.
    w.mnuDebug->trigger();
    EXPECT_EQ(debug, 0);
    ASSERT_TRUE(DownloadFromMenu());
    w.mnuDebug->trigger();
    EXPECT_EQ(debug, 1);
    modMain::ControllerType = 5;
    Boxes().Answer(platform::vbOK);
    w.mnuDebug->trigger();
    EXPECT_EQ(debug, 1);
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(Boxes().Calls()[0].prompt, QStringLiteral("Debug function is supported on VX-12 or VX-22"));
    EXPECT_EQ(Boxes().Calls()[0].title, QStringLiteral("Warning"));
    EXPECT_EQ(Boxes().Calls()[0].style, platform::vbOKOnly);
    modMain::ControllerType = 8;

    modMain::InfoBusy = true;
    w.mnuConInfo->trigger();
    EXPECT_EQ(info, 0);
    modMain::InfoBusy = false;
    w.mnuConInfo->trigger();
    EXPECT_EQ(info, 1);

    // The line control forgets the compile.
    w.mnuCurrentLineControl->trigger();
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_EQ(lineSingle, 1);

    modMain::ControllerID = 1;
    w.mnuCurrentGroupControl->trigger();
    w.mnuCurrentCapture->trigger();
    EXPECT_EQ(group + capture, 0);
    modMain::ControllerID = 2;
    w.mnuCurrentGroupControl->trigger();
    w.mnuCurrentCapture->trigger();
    EXPECT_EQ(group, 1);
    EXPECT_EQ(capture, 1);
}

TEST_F(BuildMenusTest, MotionWindowsLockTheMenusWhileTheyAreOpen) {
    frmMain& w = Start();
    auto locked = [&] {
        return !w.mnuSet->menuAction()->isEnabled() && !w.mnuBuild->menuAction()->isEnabled() &&
               !w.mnuController->menuAction()->isEnabled() && !w.tBar3->isEnabled() &&
               !w.mnuMotorControl->isEnabled() && !w.mnuMotorControlKESTRA->isEnabled();
    };
    auto unlocked = [&] {
        return w.mnuSet->menuAction()->isEnabled() && w.mnuBuild->menuAction()->isEnabled() &&
               w.mnuController->menuAction()->isEnabled() && w.tBar3->isEnabled() &&
               w.mnuMotorControl->isEnabled() && w.mnuMotorControlKESTRA->isEnabled();
    };
    ASSERT_TRUE(unlocked());

    struct Case {
        const char* what;
        QAction* item;
        std::function<bool()> MainWindowTools::ToolWindows::*slot;
    } cases[] = {
        {"servo control", w.mnuMotorControl, &MainWindowTools::ToolWindows::ShowMove32G6},
        {"humanoid control", w.mnuMotorControlKESTRA, &MainWindowTools::ToolWindows::ShowMoveKestra},
        {"24-port zero", w.mnuZero_all, &MainWindowTools::ToolWindows::ShowZero32},
        {"humanoid zero", w.mnuZero, &MainWindowTools::ToolWindows::ShowZeroKestra},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int opened = 0;
        MainWindowTools::Windows() = {};
        // A window the program does not have yet leaves the menus usable.
        c.item->trigger();
        EXPECT_TRUE(unlocked());

        MainWindowTools::Windows().*c.slot = [&] { return ++opened, true; };
        c.item->trigger();
        EXPECT_EQ(opened, 1);
        EXPECT_TRUE(locked());
        // The window's unload.
        w.MotionUnlock();
        EXPECT_TRUE(unlocked());
    }

    // A controller type without the window: nothing opens, nothing stays locked.
    int opened = 0;
    MainWindowTools::Windows().ShowMove32G6 = [&] { return ++opened, true; };
    modMain::ControllerType = 5;
    w.mnuMotorControl->trigger();
    EXPECT_EQ(opened, 0);
    EXPECT_TRUE(w.mnuSet->menuAction()->isEnabled() && w.mnuBuild->menuAction()->isEnabled() &&
                w.mnuController->menuAction()->isEnabled() && w.tBar3->isEnabled() &&
                w.mnuMotorControl->isEnabled());

    // The humanoid window's item comes back after a lock only for the
    // controller types that have that window.
    for (int16_t type : {3, 4, 7, 8, 9}) {
        modMain::ControllerType = type;
        w.MotionLock();
        w.MotionUnlock();
        EXPECT_EQ(w.mnuMotorControlKESTRA->isEnabled(), type == 4 || type == 8 || type == 9) << type;
        EXPECT_TRUE(w.mnuMotorControl->isEnabled());
    }
}
