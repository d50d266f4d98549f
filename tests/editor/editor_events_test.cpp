// What a document window does for its editor's events, driven by real key
// and mouse events: the caret status text, the caret-line highlight, code
// tips from the compiler's help, the reset of a pending capture, the Edit
// menu on the right button, the tab of a focused window, and block comments
// that keep their selection.
#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include "DocTestHost.h"
#include "compiler/QUARVELv2.h"
#include "editor/CodeTips.h"
#include "link/DownloadProgram.h"
#include "platform/CodeEditor.h"

namespace {

frmDoc* Doc(int n) { return modApp::Docs(n); }

// Types text one character at a time (Korean included), Return for "\n".
void Type(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
        if (ch == u'\n')
            QTest::keyClick(w, Qt::Key_Return);
        else if (ch == u' ')
            QTest::keyClick(w, Qt::Key_Space);
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

class EditorEventsTest : public DocWindowTest {
protected:
    void SetUp() override {
        DocWindowTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        savedLang_ = modMain::Basic().cmdLang;
        modMain::CapturePending = false;
        modApp::HighlightLine = true;
        modApp::NewDocument();
        doc_ = Doc(1);
        rt_ = doc_->rt;
    }
    void TearDown() override {
        modMain::Basic().cmdLang = savedLang_;
        modMain::CapturePending = false;
        modMain::KeywordHelpText.clear();
        modApp::HighlightLine = true;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        DocWindowTest::TearDown();
    }

    QString Status() const { return host_->panel2.text(); }
    // The text of the open tip, "" when none is open.
    QString TipText() const { return rt_->OpenCodeTip() ? rt_->OpenCodeTip()->Text : QString(); }

    frmDoc* doc_ = nullptr;
    platform::CodeEditor* rt_ = nullptr;
    int16_t savedLang_ = 1;
};

TEST_F(EditorEventsTest, StatusTextShowsTheLineFromOneTheColumnAsCountedAndTheTotal) {
    rt_->SetWholeText(QStringLiteral("MOVE G6A, 100\r\nWAIT\r\nEND"));
    struct Case {
        QLocale::Language language;
        int line, column;
        const char* text;
    } cases[] = {
        {QLocale::English, 0, 0, "1Ln, 0Col (Total 3Lines)"},
        {QLocale::English, 1, 3, "2Ln, 3Col (Total 3Lines)"},
        {QLocale::Korean, 2, 2, "3줄, 2칸 (전체 3줄)"},
        {QLocale::Korean, 0, 9, "1줄, 9칸 (전체 3줄)"},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(QLocale(c.language));
        rt_->PutCaret(c.line == 0 ? 1 : 0, 0);  // a move away first, so the next one is a change
        rt_->PutCaret(c.line, c.column);
        EXPECT_EQ(Status(), QString::fromUtf8(c.text)) << c.text;
    }

    // Keys: End on the first line, then a new line typed at its end.
    QLocale::setDefault(QLocale(QLocale::English));
    rt_->PutCaret(0, 0);
    QTest::keyClick(rt_, Qt::Key_End);
    EXPECT_EQ(Status(), QStringLiteral("1Ln, 13Col (Total 3Lines)"));
    QTest::keyClick(rt_, Qt::Key_Return);
    EXPECT_EQ(Status(), QStringLiteral("2Ln, 0Col (Total 4Lines)"));
}

TEST_F(EditorEventsTest, HighlightFollowsTheCaretAndTakesTheErrorMarkAway) {
    // A new window highlights its caret's line at once, and a file loaded
    // into it leaves the mark on that line.
    EXPECT_EQ(rt_->HighlightedLine(), 0);
    const QString path = dir_.filePath(QStringLiteral("three.bas"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("MOVE G6A, 100\r\nWAIT\r\nEND\r\n");
    file.close();
    ASSERT_TRUE(rt_->LoadFromFile(path));
    for (unsigned long line = 0; line < 4; ++line)
        EXPECT_EQ(rt_->SendScintilla(platform::CodeEditor::SCI_MARKERGET, line) != 0, line == 0) << line;
    rt_->SetWholeText(QStringLiteral("L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5"));
    rt_->PutCaret(1, 0);
    EXPECT_EQ(rt_->HighlightedLine(), 1);
    QTest::keyClick(rt_, Qt::Key_Down);
    EXPECT_EQ(rt_->HighlightedLine(), 2);

    // A failed compile marks its error line and puts the caret there; the
    // mark goes with the next caret move.
    rt_->SetHighlightedLine(4);
    rt_->PutCaret(4, 0);
    EXPECT_EQ(rt_->HighlightedLine(), 4);
    QTest::keyClick(rt_, Qt::Key_Up);
    EXPECT_EQ(rt_->HighlightedLine(), 3);

    // With the option off every caret move clears it.
    modApp::HighlightLine = false;
    rt_->SetHighlightedLine(4);
    rt_->PutCaret(4, 0);
    EXPECT_EQ(rt_->HighlightedLine(), -1);
    QTest::keyClick(rt_, Qt::Key_Down);
    EXPECT_EQ(rt_->HighlightedLine(), -1);
}

TEST(CodeTipRule, SpaceAsksForATipOnlyAfterTheFirstWordOfALine) {
    struct Case {
        const char* line;
        int column;  // the caret after the Space
        bool tip;
    } cases[] = {
        {"MOVE ", 5, true},      {"    MOVE ", 9, true},  // indented with blanks
        {"\tMOVE ", 6, true},                             // and with a tab
        {"동작 ", 3, true},      {"MOVE  G6A", 5, true},  // Space typed after the first word of a longer line
        {"MOVE G6A ", 9, false},                          // after the second word
        {"M ", 2, false},                                 // one character
        {" ", 1, false},         {"", 0, false},         {"A  ", 3, false},  // trimmed, a single character
    };
    for (const Case& c : cases)
        EXPECT_EQ(modMain::SpaceAsksForTip(QString::fromUtf8(c.line), c.column), c.tip) << c.line << " " << c.column;
}

TEST(CodeTipRule, HelpTextFollowsTheCommandLanguage) {
    qvv2::QUARVELv2 basic;
    struct Case {
        int16_t cmdLang;
        const char* word;
        const char* help;
    } cases[] = {
        {0, "move", "MOVE <Group,> [Degree], ..."},
        {1, "MOVE", "동작 <그룹,> [각도], ..."},
        {1, "동작", "동작 <그룹,> [각도], ..."},
        {2, "동작", "MOVE <Group,> [Degree], ..."},  // Japanese users get the English help
        {3, "MOVE", ""},                             // no Chinese help texts
        {7, "DIM", "DIM [Var. Name] AS [Var. Type]"},
        {0, "NOSUCHWORD", ""},
    };
    for (const Case& c : cases) {
        basic.cmdLang = c.cmdLang;
        EXPECT_EQ(modMain::KeywordHelp(basic, QString::fromUtf8(c.word)), QString::fromUtf8(c.help))
            << c.cmdLang << " " << c.word;
    }
}

TEST_F(EditorEventsTest, SpaceAfterACommandWordAtTheLineStartShowsItsHelp) {
    rt_->show();
    // Typed as a user types it, English and Korean command words.
    struct Typed {
        int16_t cmdLang;
        const char* typed;
        const char* tip;  // "" for none
    } typed[] = {
        {0, "MOVE ", "MOVE <Group,> [Degree], ..."},
        {1, "동작 ", "동작 <그룹,> [각도], ..."},
        {1, "MOVE ", "동작 <그룹,> [각도], ..."},
        {2, "move ", "MOVE <Group,> [Degree], ..."},
        {3, "MOVE ", ""},
        {0, "NOTACOMMAND ", ""},
        {0, "X ", ""},
    };
    for (const Typed& c : typed) {
        modMain::Basic().cmdLang = c.cmdLang;
        rt_->SetWholeText(QString());
        Type(rt_, QString::fromUtf8(c.typed));
        EXPECT_EQ(TipText(), QString::fromUtf8(c.tip)) << c.cmdLang << " " << c.typed;
    }

    // Space pressed at the end of a line that is already there.
    modMain::Basic().cmdLang = 0;
    struct AtEnd {
        const char* line;
        const char* tip;
    } atEnd[] = {
        {"    DIM", "DIM [Var. Name] AS [Var. Type]"},
        {"MOVE G6A", ""},  // after the second word
        {"\"MOVE", ""},    // inside a string: no word at the caret
        {"' MOVE", ""},
    };
    for (const AtEnd& c : atEnd) {
        const QString line = QString::fromUtf8(c.line);
        rt_->SetWholeText(line);
        rt_->PutCaret(0, static_cast<int32_t>(line.size()));
        QTest::keyClick(rt_, Qt::Key_Space);
        EXPECT_EQ(TipText(), QString::fromUtf8(c.tip)) << c.line;
    }

    // The tip's look: pale yellow with black text in the editor's font,
    // never bold or italic.
    modMain::Basic().cmdLang = 0;
    QFont bold = rt_->EditorFont();
    bold.setBold(true);
    bold.setItalic(true);
    rt_->SetEditorFont(bold);
    rt_->SetWholeText(QString());
    Type(rt_, QStringLiteral("MOVE "));
    ASSERT_NE(rt_->OpenCodeTip(), nullptr);
    EXPECT_EQ(rt_->OpenCodeTip()->BackColor, 0xC0FFFF);
    EXPECT_EQ(rt_->OpenCodeTip()->ForeColor, 0);
    EXPECT_FALSE(rt_->OpenCodeTip()->Font.bold());
    EXPECT_FALSE(rt_->OpenCodeTip()->Font.italic());
    EXPECT_EQ(rt_->OpenCodeTip()->Font.family(), bold.family());
    EXPECT_EQ(modMain::KeywordHelpText, QStringLiteral("MOVE <Group,> [Degree], ..."));

    // With the option off Space brings up nothing.
    host_->tipOption.setChecked(false);
    rt_->SetWholeText(QString());
    Type(rt_, QStringLiteral("MOVE "));
    EXPECT_EQ(rt_->OpenCodeTip(), nullptr);
}

TEST_F(EditorEventsTest, TipClosesWhenTheCaretLeavesItsLineOrGoesLeftOfItsStart) {
    rt_->show();
    modMain::Basic().cmdLang = 0;
    rt_->SetWholeText(QStringLiteral("\r\nWAIT"));
    rt_->PutCaret(0, 0);
    Type(rt_, QStringLiteral("MOVE "));
    ASSERT_NE(rt_->OpenCodeTip(), nullptr);
    Type(rt_, QStringLiteral("G6A"));  // right of where it opened: stays
    EXPECT_NE(rt_->OpenCodeTip(), nullptr);
    QTest::keyClick(rt_, Qt::Key_Left);
    QTest::keyClick(rt_, Qt::Key_Left);
    QTest::keyClick(rt_, Qt::Key_Left);  // back at the column where it opened
    EXPECT_NE(rt_->OpenCodeTip(), nullptr);
    QTest::keyClick(rt_, Qt::Key_Left);  // one left of it
    EXPECT_EQ(rt_->OpenCodeTip(), nullptr);

    rt_->PutCaret(0, 4);  // the blank after MOVE
    rt_->RunCommand(platform::cmdCodeTip);
    ASSERT_NE(rt_->OpenCodeTip(), nullptr);
    QTest::keyClick(rt_, Qt::Key_Down);  // another line
    EXPECT_EQ(rt_->OpenCodeTip(), nullptr);

    rt_->PutCaret(0, 4);  // the blank after MOVE
    rt_->RunCommand(platform::cmdCodeTip);
    ASSERT_NE(rt_->OpenCodeTip(), nullptr);
    QTest::keyClick(rt_, Qt::Key_Escape);
    EXPECT_EQ(rt_->OpenCodeTip(), nullptr);

    // A tip does not stay over other windows when its window is hidden.
    rt_->PutCaret(0, 4);  // the blank after MOVE
    rt_->RunCommand(platform::cmdCodeTip);
    ASSERT_NE(rt_->OpenCodeTip(), nullptr);
    rt_->hide();
    EXPECT_EQ(rt_->OpenCodeTip(), nullptr);
}

TEST_F(EditorEventsTest, AnyKeyButABareF4ClearsAPendingCapture) {
    rt_->SetWholeText(QStringLiteral("MOVE G6A, 100"));
    host_->newCreatesDocument = false;
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        bool keeps;
    } cases[] = {
        {Qt::Key_F4, Qt::NoModifier, true},       {Qt::Key_F4, Qt::ShiftModifier, false},
        {Qt::Key_F4, Qt::ControlModifier, false}, {Qt::Key_A, Qt::NoModifier, false},
        {Qt::Key_Right, Qt::NoModifier, false},   {Qt::Key_Shift, Qt::ShiftModifier, false},
        {Qt::Key_F2, Qt::NoModifier, false},  // a command of the window
        {Qt::Key_S, Qt::ControlModifier, false},  {Qt::Key_F3, Qt::NoModifier, false},
    };
    for (const Case& c : cases) {
        modMain::CapturePending = true;
        QTest::keyClick(rt_, c.key, c.mods);
        EXPECT_EQ(modMain::CapturePending, c.keeps) << c.key << " " << int(c.mods);
    }
    // F4 twice with nothing between: the second press still finds it pending.
    host_->calls.clear();
    modMain::CapturePending = true;
    QTest::keyClick(rt_, Qt::Key_F4);
    EXPECT_TRUE(modMain::CapturePending);
    QTest::keyClick(rt_, Qt::Key_F4);
    EXPECT_TRUE(modMain::CapturePending);
    EXPECT_EQ(host_->calls, QStringList({"mnuCurrentCapture_Click", "mnuCurrentCapture_Click"}));
}

TEST_F(EditorEventsTest, RightButtonPopsUpTheEditMenuAndFocusSelectsTheTab) {
    rt_->SetWholeText(QStringLiteral("MOVE G6A, 100"));
    QTest::mouseClick(rt_->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 5));
    EXPECT_FALSE(host_->editMenu.isVisible());
    QTest::mousePress(rt_->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(20, 5));
    EXPECT_TRUE(host_->editMenu.isVisible());
    host_->editMenu.hide();

    // A second window; the focus coming back to the first selects its tab.
    modApp::NewDocument();
    EXPECT_EQ(host_->tabs->SelectedKey(), QStringLiteral("key2"));
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(rt_, &focusIn);
    EXPECT_EQ(host_->tabs->SelectedKey(), QStringLiteral("key1"));
}

TEST_F(EditorEventsTest, CommentAndUncommentKeepTheBlockSelected) {
    const QString text = QStringLiteral("MOVE G6A, 100\r\nWAIT\r\nEND");
    rt_->SetWholeText(text);
    rt_->PutCaret(0, 0);
    QTest::keyClick(rt_, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(rt_, Qt::Key_End, Qt::ShiftModifier);
    doc_->CommentBlock();
    EXPECT_EQ(rt_->WholeText(), QStringLiteral("'MOVE G6A, 100\r\n'WAIT\r\nEND"));
    EXPECT_EQ(rt_->SelectedText(), QStringLiteral("'MOVE G6A, 100\r\n'WAIT"));
    doc_->UncommentBlock();
    EXPECT_EQ(rt_->WholeText(), text);
    EXPECT_EQ(rt_->SelectedText(), QStringLiteral("MOVE G6A, 100\r\nWAIT"));

    // Without a selection the apostrophe goes in at the caret, which stays
    // after it, with nothing selected that typing would overwrite.
    rt_->PutCaret(2, 0);
    doc_->CommentBlock();
    EXPECT_EQ(rt_->LineText(2), QStringLiteral("'END"));
    EXPECT_TRUE(rt_->Selection(true).IsEmpty());
    EXPECT_EQ(rt_->Selection(true).EndColNo, 1);
}

}  // namespace
