// Command-set files: the fields read from them, what reaches the compiler
// control, and what happens with a missing, unreadable or malformed file;
// the model set-up that loads the file of the interface language.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>

#include "compiler/ControllerMap.h"
#include "compiler/QUARVELv2.h"
#include "build/CommandSet.h"
#include "build/ModelSetup.h"
#include "documents/modApp.h"
#include "documents/modMain.h"

namespace {

constexpr int16_t kDim = 0;  // command 0 is DIM

class CommandSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(dir_.isValid());
        modApp::SetAppPath(dir_.path());
        basic_ = std::make_unique<qvv2::QUARVELv2>();
        basic_->CommandUseAll();
    }
    void TearDown() override {
        modApp::SetAppPath(QString());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void writeFile(const QString& name, const QByteArray& content) {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    int16_t command(const char16_t* name) { return basic_->IsCommand(name); }
    bool enabled(const char16_t* name) { return basic_->CommandEnabled(command(name)) != 0; }
    int enabledCount() const {
        int n = 0;
        for (int16_t c = 0; c < qvv2::QUARVELv2::kCommandCount; ++c) n += basic_->CommandEnabled(c) != 0;
        return n;
    }

    QTemporaryDir dir_;
    std::unique_ptr<qvv2::QUARVELv2> basic_;
};

TEST(CommandSetFields, ReadsFieldsInTheSequentialInputManner) {
    struct Case {
        QByteArray bytes;
        QStringList fields;
    } cases[] = {
        {"DIM\r\nGOTO\r\n", {"DIM", "GOTO"}},
        {"DIM\nGOTO", {"DIM", "GOTO"}},
        {"  MOVE , SERVO  \r\n", {"MOVE", "SERVO"}},
        {"\"FOR,NEXT\"  , IF\r\n", {"FOR,NEXT", "IF"}},
        {"\"PRINT\" junk, END\r\n", {"PRINT", "END"}},
        {"\"OPEN\r\n", {"OPEN"}},
        {"\r\n\r\n", {"", ""}},
        {"A,\r\n", {"A", ""}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        EXPECT_EQ(modMain::ReadCommandSetFields(c.bytes, "CP1252"), c.fields);
    }
}

TEST(CommandSetFields, ReadingEndsBeforeAnUnreadableLine) {
    EXPECT_EQ(modMain::ReadCommandSetFields(QByteArray("DIM\r\nGO\0TO\r\nEND\r\n", 16), "CP1252"),
              QStringList{"DIM"});
    // 0x81 0x20 is no CP949 character.
    EXPECT_EQ(modMain::ReadCommandSetFields("DIM\r\n\x81 \r\nEND\r\n", "CP949"), QStringList{"DIM"});
    // Korean keywords in CP949.
    EXPECT_EQ(modMain::ReadCommandSetFields("\xbc\xb1\xbe\xf0\r\n", "CP949"), QStringList{QStringLiteral("선언")});
}

TEST_F(CommandSetTest, LoadsOnlyTheListedCommands) {
    writeFile("vx21e.cmd", "DIM\r\n  goto  \r\nMOVE, SERVO\r\nNOSUCH\r\n\r\n");
    modMain::LoadCommandSet("vx21e.cmd", *basic_);
    EXPECT_TRUE(enabled(u"DIM"));
    EXPECT_TRUE(enabled(u"GOTO"));
    EXPECT_TRUE(enabled(u"MOVE"));
    EXPECT_TRUE(enabled(u"SERVO"));
    EXPECT_EQ(enabledCount(), 4);
}

TEST_F(CommandSetTest, KoreanKeywordsEnableTheirCommands) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    writeFile("vx21.cmd", "\xbc\xb1\xbe\xf0\r\n");  // 선언 (DIM) in CP949
    modMain::LoadCommandSet("vx21.cmd", *basic_);
    EXPECT_TRUE(basic_->CommandEnabled(kDim));
    EXPECT_EQ(enabledCount(), 1);
}

TEST_F(CommandSetTest, MissingOrUnreadableFileLeavesTheSetAsItWas) {
    basic_->CommandUnuseAll();
    basic_->CommandUse(u"DIM");
    modMain::LoadCommandSet("vx21e.cmd", *basic_);  // no such file
    EXPECT_EQ(enabledCount(), 1);
    ASSERT_TRUE(QDir(dir_.path()).mkdir("vx21.cmd"));  // a folder of that name
    modMain::LoadCommandSet("vx21.cmd", *basic_);
    EXPECT_EQ(enabledCount(), 1);
}

TEST_F(CommandSetTest, BlankOrMalformedFileLeavesWhatWasReadBeforeIt) {
    writeFile("vx21e.cmd", "\r\n  \r\n\r\n");
    modMain::LoadCommandSet("vx21e.cmd", *basic_);
    EXPECT_EQ(enabledCount(), 0);

    writeFile("vx21e.cmd", QByteArray("GOTO\r\n\0\0\0\r\nDIM\r\n", 14));
    modMain::LoadCommandSet("vx21e.cmd", *basic_);
    EXPECT_TRUE(enabled(u"GOTO"));
    EXPECT_EQ(enabledCount(), 1);
}

TEST_F(CommandSetTest, SecondFileReplacesTheFirstAndACompileEnablesEverything) {
    writeFile("a.cmd", "DIM\r\nGOTO\r\n");
    writeFile("b.cmd", "SERVO\r\n");
    modMain::LoadCommandSet("a.cmd", *basic_);
    modMain::LoadCommandSet("b.cmd", *basic_);
    EXPECT_TRUE(enabled(u"SERVO"));
    EXPECT_EQ(enabledCount(), 1);

    // The compiler's reset enables every command for the compile and after it.
    std::u16string program = u"DIM A AS BYTE\r\nA = 1\r\n";
    basic_->Compile(program);
    EXPECT_EQ(basic_->Bas_Error, 0);
    EXPECT_EQ(enabledCount(), qvv2::QUARVELv2::kCommandCount);
}

// The set-up needs no main window: it sets the model on the module state and
// on the compiler it is given, and that compiler takes the command set of
// the interface language.
TEST_F(CommandSetTest, ModelSetupSetsTheModelAndLoadsTheSetOfTheLanguage) {
    writeFile("vx21e.cmd", "DIM\r\nGOTO\r\n");
    writeFile("vx21.cmd", "SERVO\r\n");
    const struct {
        QLocale locale;
        int enabled;
        const char16_t* command;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), 2, u"GOTO"},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), 1, u"SERVO"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        QLocale::setDefault(c.locale);
        modMain::ControllerType = 3;
        modMain::ControllerID = 1;
        modMain::PortType = 0;
        basic_->Con_ID = 1;
        basic_->Con_Type = 3;
        basic_->CommandUseAll();
        modMain::ModelSetup(*basic_);
        EXPECT_EQ(modMain::ControllerType, 8);
        EXPECT_EQ(modMain::ControllerID, 2);
        EXPECT_EQ(modMain::PortType, 1);
        EXPECT_EQ(basic_->Con_ID, 2);
        EXPECT_EQ(basic_->Con_Type, 8);
        EXPECT_EQ(enabledCount(), c.enabled);
        EXPECT_TRUE(enabled(c.command));
    }
    modMain::ControllerType = 0;
    modMain::ControllerID = 1;
    modMain::PortType = 0;
}

// A model number the controller map does not hold sets nothing up: the
// controller, the port and the compiler keep what they had.
TEST_F(CommandSetTest, ModelSetupOfAModelOutsideTheTableChangesNothing) {
    writeFile("vx21e.cmd", "GOTO\r\n");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    modMain::ControllerType = 3;
    modMain::ControllerID = 1;
    modMain::PortType = 0;
    basic_->Con_ID = 1;
    basic_->Con_Type = 3;
    basic_->CommandUseAll();
    const int all = enabledCount();
    for (const int16_t model : {int16_t(0), int16_t(-1), int16_t(qvv2::controller::kNoSuchModel)}) {
        SCOPED_TRACE(model);
        modMain::ModelSetup(*basic_, model);
        EXPECT_EQ(modMain::ControllerType, 3);
        EXPECT_EQ(modMain::ControllerID, 1);
        EXPECT_EQ(modMain::PortType, 0);
        EXPECT_EQ(basic_->Con_ID, 1);
        EXPECT_EQ(basic_->Con_Type, 3);
        EXPECT_EQ(enabledCount(), all);
    }
    modMain::ModelSetup(*basic_, qvv2::controller::kSetUpModel);
    EXPECT_EQ(modMain::ControllerType, qvv2::controller::kSetUpType);
    EXPECT_EQ(basic_->Con_ID, qvv2::controller::kSetUpModel);
    EXPECT_EQ(enabledCount(), 1);
    modMain::ControllerType = 0;
    modMain::ControllerID = 1;
    modMain::PortType = 0;
}

TEST_F(CommandSetTest, FileNameFollowsTheInterfaceLanguage) {
    EXPECT_EQ(modMain::CommandSetFileName(), QStringLiteral("vx21e.cmd"));
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    EXPECT_EQ(modMain::CommandSetFileName(), QStringLiteral("vx21.cmd"));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(modMain::CommandSetFileName(), QStringLiteral("vx21e.cmd"));
}

}  // namespace
