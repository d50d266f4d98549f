// Editor settings: colours, options, numbering and font loaded into an editor
// with their defaults, and saved back byte for byte.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "compiler/Text.h"
#include "documents/Documents.h"
#include "documents/EditorSettings.h"
#include "documents/modApp.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"

namespace {

using platform::CodeEditor;

class EditorSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        modApp::SetAppPath(dir_.path());
        qvv2::SetSystemCodePage("CP1252");
        modApp::ResetDocuments();
    }
    void TearDown() override {
        modApp::SetAppPath(QString());
        qvv2::SetSystemCodePage("");
        modApp::ResetDocuments();
    }

    QString IniPath() const { return dir_.filePath(QStringLiteral("qvv2.ini")); }

    static QByteArray Fixture(const char* name) {
        QFile f(QStringLiteral(QUARVEL_TEST_DATA "/fixtures/editor_settings/") + QString::fromLatin1(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        return f.readAll();
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

    QTemporaryDir dir_;
};

TEST_F(EditorSettingsTest, WithoutAFileTheEditorGetsTheDefaultsAndSavesThemInTheProgramsLayout) {
    CodeEditor e;
    const QString designFont = e.EditorFont().family();
    ASSERT_TRUE(modReg::LoadEditorSettings(e));
    EXPECT_EQ(e.SlotColor(platform::clrKeyword), 16711680);   // blue
    EXPECT_EQ(e.SlotColor(platform::clrOperator), 255);       // red
    EXPECT_EQ(e.SlotColor(platform::clrComment), 16711935);   // magenta
    EXPECT_EQ(e.SlotColor(platform::clrString), 8388736);     // purple
    EXPECT_EQ(e.SlotColor(platform::clrLineNumber), 16777215);
    EXPECT_EQ(e.SlotColor(platform::clrLineNumberBk), 8421504);
    EXPECT_EQ(e.SlotColor(platform::clrHighlight), 65535);
    EXPECT_EQ(e.SlotColor(platform::clrWindow), -1);
    EXPECT_TRUE(e.LineNumbersShown());
    EXPECT_EQ(e.FirstLineNumber(), 1);
    EXPECT_EQ(e.LineNumberStyle(), 1);
    EXPECT_FALSE(e.BookmarkMarginShown());
    EXPECT_TRUE(e.LineTipsShown());
    EXPECT_TRUE(e.SelectionBounded());
    EXPECT_DOUBLE_EQ(e.EditorFont().pointSizeF(), 8.0);
    EXPECT_EQ(e.EditorFont().family(), designFont);
    EXPECT_FALSE(e.EditorFont().bold());
    EXPECT_FALSE(QFile::exists(IniPath()));  // loading writes nothing

    modReg::SaveEditorSettings(e);
    EXPECT_EQ(IniBytes(), Fixture("fresh_saved.ini"));
}

TEST_F(EditorSettingsTest, ASavedFileLoadsAndSavesBackByteForByte) {
    Install("custom.ini");
    CodeEditor e;
    ASSERT_TRUE(modReg::LoadEditorSettings(e));
    EXPECT_EQ(e.SlotColor(platform::clrKeyword), -1);
    EXPECT_EQ(e.SlotColor(platform::clrComment), 32768);
    EXPECT_EQ(e.SlotColor(platform::clrWindow), 15658734);
    EXPECT_EQ(e.SlotColor(platform::clrTagText), 7);
    EXPECT_FALSE(e.SelectionBounded());
    EXPECT_FALSE(e.LineTipsShown());
    EXPECT_TRUE(e.BookmarkMarginShown());
    EXPECT_FALSE(e.LineNumbersShown());
    EXPECT_EQ(e.LineNumberStyle(), 16);
    EXPECT_EQ(e.FirstLineNumber(), 0);
    const QFont f = e.EditorFont();
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.italic());
    EXPECT_TRUE(f.strikeOut());
    EXPECT_TRUE(f.underline());
    EXPECT_DOUBLE_EQ(f.pointSizeF(), 10.5);
    EXPECT_EQ(f.family(), QStringLiteral("Courier New"));

    modReg::SaveEditorSettings(e);
    EXPECT_EQ(IniBytes(), Fixture("custom.ini"));

    // The same settings reach a second editor unchanged.
    CodeEditor second;
    ASSERT_TRUE(modReg::LoadEditorSettings(second));
    modReg::SaveEditorSettings(second);
    EXPECT_EQ(IniBytes(), Fixture("custom.ini"));
}

TEST_F(EditorSettingsTest, WritesSizesColoursAndFlagsAsTheProgramDoes) {
    CodeEditor e;
    QFont f = e.EditorFont();
    f.setPointSizeF(9.333333);
    f.setBold(true);
    e.SetEditorFont(f);
    e.SetSlotColor(platform::clrText, -1);
    e.SetSlotColor(platform::clrTextBk, 16777215);
    e.SetFirstLineNumber(-5);
    modReg::SaveEditorSettings(e);
    const QByteArray ini = IniBytes();
    EXPECT_TRUE(ini.contains("\r\nsize= 9.3333\r\n")) << ini.constData();
    EXPECT_TRUE(ini.contains("\r\nbold=1\r\n"));
    EXPECT_TRUE(ini.contains("\r\ntext=-1\r\n"));
    EXPECT_TRUE(ini.contains("\r\ntextbk= 16777215\r\n"));
    EXPECT_TRUE(ini.contains("\r\nnumberingstart=-5\r\n"));

    CodeEditor back;
    ASSERT_TRUE(modReg::LoadEditorSettings(back));
    EXPECT_EQ(back.SlotColor(platform::clrText), -1);
    EXPECT_NEAR(back.EditorFont().pointSizeF(), 9.3333, 1e-9);
    EXPECT_EQ(back.FirstLineNumber(), -5);
}

TEST_F(EditorSettingsTest, AValueTheEditorRefusesEndsTheLoadThere) {
    Install("bad_size.ini");
    CodeEditor e;
    const QString designFont = e.EditorFont().family();
    const double designSize = e.EditorFont().pointSizeF();
    EXPECT_FALSE(modReg::LoadEditorSettings(e));
    EXPECT_TRUE(e.EditorFont().bold());                        // applied before the size
    EXPECT_DOUBLE_EQ(e.EditorFont().pointSizeF(), designSize);  // refused
    EXPECT_EQ(e.EditorFont().family(), designFont);             // never reached

    // A colour too large for 32 bits stops at the first colour key.
    QFile ini(IniPath());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Colors]\r\ncomment=99999999999\r\n[Font]\r\nbold=1\r\n");
    ini.close();
    CodeEditor other;
    EXPECT_FALSE(modReg::LoadEditorSettings(other));
    EXPECT_EQ(other.SlotColor(platform::clrComment), 16711935);
    EXPECT_FALSE(other.EditorFont().bold());

    // A non-numeric colour reads as 0 (black); "0" as a font name keeps the name.
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write("[Colors]\r\nkeyword=blue\r\n[Font]\r\nname=0\r\n");
    ini.close();
    CodeEditor third;
    EXPECT_TRUE(modReg::LoadEditorSettings(third));
    EXPECT_EQ(third.SlotColor(platform::clrKeyword), 0);
    EXPECT_EQ(third.EditorFont().family(), designFont);
}

TEST_F(EditorSettingsTest, SavesFromTheNewestDocumentWindowOnlyWhileItIsOpen) {
    modApp::NewDocument();  // no main window: a window of its own
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(modApp::NewDocIndex, 1);
    doc->rt->SetSlotColor(platform::clrKeyword, 128);
    modReg::SaveEditorSettings();
    EXPECT_TRUE(IniBytes().contains("\r\nkeyword= 128\r\n"));

    ASSERT_TRUE(doc->Unload());
    QFile::remove(IniPath());
    modReg::SaveEditorSettings();  // the window is closed: nothing is stored
    EXPECT_FALSE(QFile::exists(IniPath()));
    modApp::NewDocIndex = 7;  // outside the array
    modReg::SaveEditorSettings();
    EXPECT_FALSE(QFile::exists(IniPath()));
}

}  // namespace
