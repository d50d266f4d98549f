// The settings file: loading every main and view setting with its default,
// and saving them byte for byte as the program writes them.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "compiler/Text.h"
#include "documents/modApp.h"
#include "documents/modIni.h"
#include "documents/modMain.h"
#include "documents/modReg.h"

namespace {

// The state of every setting's target as the program starts.
void ResetSettingTargets() {
    modReg::MainWindow = modReg::MainWindowSettings();
    modReg::Link = modReg::LinkSettings();
    modMain::ControllerType = 0;
    modMain::ControllerID = 1;
    modMain::PortType = 0;
    modMain::NavWidth = modMain::NavSplitTop = 2000;
    modMain::NavFileWidth = modMain::NavSizeWidth = modMain::NavDateWidth = 1000;
    modMain::NavLabelWidth = modMain::NavLineWidth = 1000;
    modMain::NavVisible = true;
    modMain::Frm32DispMode = 0;
    modMain::MotorWindowLeft = modMain::MotorWindowTop = 0;
    modMain::InsertG24 = true;
    modMain::SpeechRecog = false;
    modApp::ShowWhitespace = false;
    modApp::HighlightLine = true;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkdir("program"));
        program_ = QFileInfo(dir_.filePath("program")).canonicalFilePath();
        savedCwd_ = QDir::currentPath();
        QDir::setCurrent(program_);
        modApp::SetAppPath(program_);
        qvv2::SetSystemCodePage("CP1252");
        ResetSettingTargets();
    }

    void TearDown() override {
        QDir::setCurrent(savedCwd_);
        modApp::SetAppPath(QString());
        qvv2::SetSystemCodePage("");
        QFile::setPermissions(IniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        ResetSettingTargets();
    }

    QString IniPath() const { return program_ + "/qvv2.ini"; }

    // A fixture with the program's folder put in for @PROGRAM_FOLDER@.
    QByteArray Fixture(const char* name) const {
        QFile f(QStringLiteral(QUARVEL_TEST_DATA "/fixtures/settings/") + QString::fromLatin1(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        return f.readAll().replace("@PROGRAM_FOLDER@", program_.toUtf8());
    }

    void Install(const char* name) const {
        QFile f(IniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Fixture(name));
    }

    QByteArray IniBytes() const {
        QFile f(IniPath());
        if (!f.open(QIODevice::ReadOnly)) return "<no file>";
        return f.readAll();
    }

    static void LoadAll() {
        modReg::LoadMainSettings();
        modReg::LoadViewOptions();
    }
    static void SaveAll() {
        modReg::SaveMainSettings();
        modReg::SaveViewOptions();
    }

    // Loading what was saved and saving again changes no byte.
    void ExpectStableRoundTrip() {
        const QByteArray first = IniBytes();
        ResetSettingTargets();
        LoadAll();
        SaveAll();
        EXPECT_EQ(IniBytes(), first);
    }

    QTemporaryDir dir_;
    QString program_;
    QString savedCwd_;
};

TEST_F(SettingsTest, NoFileGivesDefaultsAndSavesTheFullLayout) {
    QDir::setCurrent(dir_.path());  // JobDIR's default, the program's folder, becomes current
    LoadAll();
    const modReg::MainWindowSettings& w = modReg::MainWindow;
    EXPECT_EQ(w.Left, 1980.0f);
    EXPECT_EQ(w.Top, 1980.0f);
    EXPECT_EQ(w.Width, 10080.0f);
    EXPECT_EQ(w.Height, 5640.0f);
    EXPECT_EQ(w.WindowState, 0);
    EXPECT_TRUE(w.ToolbarVisible);
    EXPECT_TRUE(w.StatusbarVisible);
    EXPECT_FALSE(w.RecentOpen);
    EXPECT_TRUE(w.Tooltip);
    EXPECT_FALSE(w.AllFileList);
    EXPECT_EQ(QDir::currentPath(), program_);
    EXPECT_EQ(w.AssistFolder, program_);
    EXPECT_EQ(modReg::Link.CommPort, 1);
    EXPECT_EQ(modReg::Link.CommTimeout, 3000);
    EXPECT_EQ(modReg::Link.LPTnum, 888);
    EXPECT_EQ(modReg::Link.LPTnumNext, 889);
    EXPECT_EQ(modReg::Link.RxTimeOut, 150000);
    EXPECT_EQ(modMain::ControllerType, 0);
    EXPECT_EQ(modMain::ControllerID, 1);
    EXPECT_EQ(modMain::PortType, 0);
    EXPECT_TRUE(modMain::NavVisible);
    EXPECT_TRUE(modMain::InsertG24);
    EXPECT_FALSE(modApp::ShowWhitespace);
    EXPECT_TRUE(modApp::HighlightLine);
    EXPECT_EQ(IniBytes(), "<no file>");  // loading writes nothing

    SaveAll();
    EXPECT_EQ(IniBytes(), Fixture("none_saved.ini"));
    ExpectStableRoundTrip();
}

TEST_F(SettingsTest, DefaultFileIsFoundByItsKeysAndKeepsItsLines) {
    Install("default7.ini");
    LoadAll();
    EXPECT_EQ(modReg::Link.CommPort, 1);  // "CommPort = " found by COMMport
    EXPECT_EQ(modReg::Link.CommTimeout, 3000);
    EXPECT_EQ(modMain::ControllerType, 8);
    EXPECT_EQ(modMain::ControllerID, 2);
    EXPECT_EQ(modMain::PortType, 1);
    SaveAll();
    EXPECT_EQ(IniBytes(), Fixture("default7_saved.ini"));
    ExpectStableRoundTrip();
}

TEST_F(SettingsTest, HandWrittenFileReadsByNameRulesAndKeepsEverythingElse) {
    ASSERT_TRUE(QDir(program_).mkdir("work"));
    Install("handwritten.ini");
    LoadAll();
    const modReg::MainWindowSettings& w = modReg::MainWindow;
    EXPECT_EQ(w.Left, 2400.0f);
    EXPECT_EQ(w.Top, -150.0f);
    EXPECT_EQ(w.Width, 9000.5f);
    EXPECT_EQ(w.Height, 6000.0f);
    EXPECT_EQ(w.WindowState, 2);  // maximised, with the normal geometry above
    EXPECT_FALSE(w.ToolbarVisible);
    EXPECT_TRUE(w.StatusbarVisible);
    EXPECT_TRUE(w.RecentOpen);
    EXPECT_FALSE(w.Tooltip);
    EXPECT_TRUE(w.AllFileList);
    EXPECT_FALSE(w.QuickNav);
    EXPECT_EQ(QDir::currentPath(), program_ + "/work");
    EXPECT_EQ(w.AssistFolder, program_ + "/work");
    EXPECT_EQ(modReg::Link.LPTnum, 632);
    EXPECT_EQ(modReg::Link.LPTnumNext, 633);
    EXPECT_EQ(modReg::Link.CommPort, 3);
    EXPECT_EQ(modReg::Link.CommTimeout, 1500);
    EXPECT_EQ(modReg::Link.Tx0, 50000);
    EXPECT_EQ(modReg::Link.TxP, 20000);
    EXPECT_EQ(modMain::ControllerType, 3);
    EXPECT_EQ(modMain::ControllerID, 1);
    EXPECT_EQ(modMain::PortType, 0);
    EXPECT_EQ(modMain::NavSplitTop, 1800);
    EXPECT_EQ(modMain::NavWidth, 2500);
    EXPECT_EQ(modMain::NavFileWidth, 1200);
    EXPECT_EQ(modMain::NavSizeWidth, 800);
    EXPECT_EQ(modMain::NavDateWidth, 1500);
    EXPECT_EQ(modMain::NavLabelWidth, 1100);
    EXPECT_EQ(modMain::NavLineWidth, 700);
    EXPECT_FALSE(modMain::NavVisible);
    EXPECT_EQ(modMain::Frm32DispMode, 1);
    EXPECT_EQ(modMain::MotorWindowLeft, 120.25f);
    EXPECT_EQ(modMain::MotorWindowTop, -30.0f);
    EXPECT_FALSE(modMain::InsertG24);
    EXPECT_TRUE(modApp::ShowWhitespace);
    EXPECT_FALSE(modApp::HighlightLine);

    SaveAll();
    EXPECT_EQ(IniBytes(), Fixture("handwritten_saved.ini"));
    ExpectStableRoundTrip();
}

TEST_F(SettingsTest, GarbageReadsAsZeroOrKeepsTheDefault) {
    Install("garbage.ini");
    LoadAll();
    const modReg::MainWindowSettings& w = modReg::MainWindow;
    EXPECT_EQ(w.Left, 0.0f);       // no number: 0
    EXPECT_EQ(w.Top, 1980.0f);     // too large for any number: unchanged
    EXPECT_EQ(w.Width, 12.0f);     // leading number
    EXPECT_EQ(w.Height, 0.0f);
    EXPECT_EQ(w.WindowState, 0);   // no such state: unchanged
    EXPECT_FALSE(w.ToolbarVisible);
    EXPECT_TRUE(w.StatusbarVisible);
    EXPECT_EQ(w.AssistFolder, program_);  // missing folder: current folder unchanged
    EXPECT_EQ(QDir::currentPath(), program_);
    EXPECT_EQ(modReg::Link.LPTnum, 888);  // too large for 16 bits: unchanged
    EXPECT_EQ(modReg::Link.LPTnumNext, 889);
    EXPECT_EQ(modReg::Link.CommPort, 1);      // port 0 does not exist
    EXPECT_EQ(modReg::Link.CommTimeout, 3000);  // a zero time-out would never end a wait
    EXPECT_EQ(modReg::Link.Tx0, 0);
    EXPECT_EQ(modReg::Link.TxP, 20000);  // too large for 32 bits
    EXPECT_EQ(modReg::Link.Tx1, 2);      // halves go to the even neighbour
    EXPECT_EQ(modReg::Link.TxTimeOut, 4);
    EXPECT_EQ(modReg::Link.RxTimeOut, 500);
    EXPECT_EQ(modMain::ControllerType, 0);
    EXPECT_EQ(modMain::ControllerID, 1);
    EXPECT_EQ(modMain::PortType, -32768);
    EXPECT_TRUE(w.Tooltip);
    EXPECT_FALSE(w.AllFileList);
    EXPECT_FALSE(w.RecentOpen);
    EXPECT_EQ(modMain::NavSizeWidth, 1);
    EXPECT_EQ(modMain::NavLineWidth, 0);
    EXPECT_FALSE(modMain::NavVisible);
    EXPECT_EQ(modMain::Frm32DispMode, 0);  // -3 clamps to 0
    EXPECT_EQ(modMain::MotorWindowLeft, 0.0f);  // too large for a single
    EXPECT_FALSE(modMain::InsertG24);
    EXPECT_FALSE(modApp::ShowWhitespace);
    EXPECT_FALSE(modApp::HighlightLine);

    SaveAll();
    EXPECT_EQ(IniBytes(), Fixture("garbage_saved.ini"));
    ExpectStableRoundTrip();
}

TEST_F(SettingsTest, ReadOnlyFileLoadsAndIsLeftUnchanged) {
    Install("default7.ini");
    ASSERT_TRUE(QFile::setPermissions(IniPath(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    LoadAll();
    EXPECT_EQ(modMain::ControllerType, 8);
    EXPECT_EQ(modMain::PortType, 1);
    modMain::ControllerType = 3;
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK).Answer(platform::vbOK);
    SaveAll();
    EXPECT_EQ(IniBytes(), Fixture("default7.ini"));
    // The main settings and the view options, saved one after the other,
    // each say once that the file could not be written.
    ASSERT_EQ(boxes.Calls().size(), 2u);
    for (const platform::MsgBoxCall& box : boxes.Calls()) EXPECT_TRUE(box.title.endsWith(QStringLiteral(" 75")));
}

TEST_F(SettingsTest, ClampsAndRangeEdges) {
    struct Case {
        const char* ini;
        int16_t dispMode, lptNum, lptNext;
    } cases[] = {
        {"[Frm32]\r\nDispMode=5\r\n", 1, 888, 889},
        {"[Frm32]\r\nDispMode= 1\r\n", 1, 888, 889},
        {"[Port]\r\nLPTnum= 32767\r\n", 0, 32767, 889},  // no next port past the top
        {"[Port]\r\nLPTnum=-1\r\n", 0, -1, 0},
    };
    for (const Case& c : cases) {
        ResetSettingTargets();
        QFile f(IniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.ini);
        f.close();
        modReg::LoadMainSettings();
        EXPECT_EQ(modMain::Frm32DispMode, c.dispMode) << c.ini;
        EXPECT_EQ(modReg::Link.LPTnum, c.lptNum) << c.ini;
        EXPECT_EQ(modReg::Link.LPTnumNext, c.lptNext) << c.ini;
    }
}

TEST_F(SettingsTest, ViewOptionsAloneTouchOnlyTheirSection) {
    Install("default7.ini");
    modApp::ShowWhitespace = true;
    modApp::HighlightLine = false;
    modReg::SaveViewOptions();
    EXPECT_EQ(IniBytes(), Fixture("default7.ini") + "[Options]\r\nwhitespace=1\r\nhlline=0\r\n");
    modApp::ShowWhitespace = false;
    modApp::HighlightLine = true;
    modReg::LoadViewOptions();
    EXPECT_TRUE(modApp::ShowWhitespace);
    EXPECT_FALSE(modApp::HighlightLine);
}

TEST_F(SettingsTest, ReadIniAndWriteIniOnAnyFile) {
    const QString robot = program_ + "/user/Vortan.dat";
    ASSERT_TRUE(QDir(program_).mkpath("user"));
    modIni::WriteIni("MOTOR0_PROPERTY", "MotorUse", "1", robot);
    modIni::WriteIni("PICTURE", "Robot", QString(300, u'r'), robot);
    EXPECT_EQ(modIni::ReadIni("motor0_property", "MOTORUSE", "0", robot), "1");
    EXPECT_EQ(modIni::ReadIni("PICTURE", "Robot", "nopicture", robot), QString(254, u'r'));
    EXPECT_EQ(modIni::ReadIni("PICTURE", "Zero", "nopicture", robot), "nopicture");
    EXPECT_EQ(modIni::ReadIni("USER_ROBOT_SET", "Use", "0", program_ + "/missing.ini"), "0");
}

}  // namespace
