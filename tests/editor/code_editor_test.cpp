// The code-editor control: CR LF text, positions in characters, colouring
// by a registered language, the editor commands, code tips, hot keys,
// printing and the hidden buffer.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QDoubleSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "compiler/Text.h"
#include "documents/Files.h"
#include "platform/CodeEditor.h"
#include "vxKeyCodes.h"

using platform::CodeEditor;

namespace {

platform::EditorLanguage TestLanguage() {
    platform::EditorLanguage l;
    l.Keywords = QStringLiteral("FOR\nTO\nNEXT\nREMARK\n반복\n");
    l.Operators = QStringLiteral("+\n-\n=\n<\n>\n<=\n>=\n<>\n.");
    l.LineCommentOpeners = QStringLiteral("'\nREM");
    l.BlockCommentOpen = QStringLiteral("{");
    l.BlockCommentClose = QStringLiteral("}");
    l.StringDelimiters = QStringLiteral("\"");
    return l;
}

class CodeEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::RegisterLanguage(QStringLiteral("TestLang"), TestLanguage());
        qvv2::SetSystemCodePage("CP949");
    }
    void TearDown() override {
        qvv2::SetSystemCodePage("");
        CodeEditor::SetDialogResponder({});
        CodeEditor::SetPrintResponder({});
        platform::EditorGlobals::RestoreHotKeys();
    }

    // Types text into the editor one character at a time (non-Latin text
    // included).
    static void Type(QWidget* w, const QString& text) {
        for (const QChar ch : text) {
            if (ch == u'\n') QTest::keyClick(w, Qt::Key_Return);
            else QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
};

TEST_F(CodeEditorTest, HoldsTextWithCrLfWhateverLineEndsComeIn) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("a\nb\rc\r\nd"));
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(e.LineCount(), 4);
    EXPECT_EQ(e.LineText(1), QStringLiteral("b"));
    EXPECT_EQ(e.LineText(4), QString());
    EXPECT_EQ(e.LineText(-1), QString());

    // Text put from code is an edit like typing.
    int changes = 0;
    QObject::connect(&e, &CodeEditor::Change, [&](CodeEditor*) { ++changes; });
    e.SetChanged(false);
    e.PutCaret(3, 1);
    e.ReplaceSelectedText(QStringLiteral("x\ny"));
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nc\r\ndx\r\ny"));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(e.Changed());

    // Typing Enter inserts CR LF.
    CodeEditor typed;
    typed.show();
    Type(&typed, QStringLiteral("A\nB"));
    EXPECT_EQ(typed.WholeText(), QStringLiteral("A\r\nB"));
}

TEST_F(CodeEditorTest, LoadsAnsiFilesAndTurnsLoneLineFeedsIntoCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("unix.bas"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // "반복 I = 1 TO 3" in CP949, LF line ends.
    f.write(QByteArray("\xB9\xDD\xBA\xB9 I = 1 TO 3\nNEXT I\n"));
    f.close();

    CodeEditor e;
    e.SetWholeText(QStringLiteral("old"));
    EXPECT_TRUE(e.Changed());
    int changes = 0;
    QObject::connect(&e, &CodeEditor::Change, [&](CodeEditor*) { ++changes; });
    ASSERT_TRUE(e.LoadFromFile(path));
    EXPECT_EQ(changes, 0);  // a load is no edit
    EXPECT_EQ(e.WholeText(), QStringLiteral("반복 I = 1 TO 3\r\nNEXT I\r\n"));
    EXPECT_FALSE(e.Changed());
    EXPECT_FALSE(e.CanUndo());

    // Saving the text through the program's writer (in the code page of the
    // user-interface language) writes the code page's bytes with CR LF.
    const QLocale savedLocale;
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    const QString out = dir.filePath(QStringLiteral("out.bas"));
    ASSERT_TRUE(modApp::WriteProgramFile(out, e.WholeText()).ok());
    QFile back(out);
    ASSERT_TRUE(back.open(QIODevice::ReadOnly));
    EXPECT_EQ(back.readAll(), QByteArray("\xB9\xDD\xBA\xB9 I = 1 TO 3\r\nNEXT I\r\n"));

    // A missing file or a folder loads nothing and keeps the text.
    EXPECT_FALSE(e.LoadFromFile(dir.filePath(QStringLiteral("missing.bas"))));
    EXPECT_FALSE(e.LoadFromFile(dir.path()));
    EXPECT_EQ(e.LineText(1), QStringLiteral("NEXT I"));
    // A save into a folder that does not exist fails.
    EXPECT_FALSE(modApp::WriteProgramFile(dir.filePath(QStringLiteral("no/such/x.bas")), e.WholeText()).ok());
    QLocale::setDefault(savedLocale);
}

TEST_F(CodeEditorTest, ReplacesOneLineWithRemoveAndInsert) {
    struct Case {
        int line;
        QString expected;
    } cases[] = {
        {0, QStringLiteral("NEW\r\nb\r\nc")},
        {1, QStringLiteral("a\r\nNEW\r\nc")},
        {2, QStringLiteral("a\r\nb\r\nNEW")},
    };
    for (const Case& c : cases) {
        CodeEditor e;
        e.SetWholeText(QStringLiteral("a\r\nb\r\nc"));
        e.RemoveLine(c.line);
        e.InsertLineAt(c.line, QStringLiteral("NEW"));
        EXPECT_EQ(e.WholeText(), c.expected) << "line " << c.line;
    }
    CodeEditor e;
    e.SetWholeText(QStringLiteral("a"));
    e.RemoveLine(5);
    e.InsertLineAt(7, QStringLiteral("x"));
    EXPECT_EQ(e.WholeText(), QStringLiteral("a"));
}

TEST_F(CodeEditorTest, ReadsEveryLineInOnePass) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("a\r\n반복 I\r\n\r\n  last  "));
    EXPECT_EQ(e.Lines(), QStringList({"a", "반복 I", "", "  last  "}));
    e.SetWholeText(QString());
    EXPECT_EQ(e.Lines(), QStringList({""}));
}

TEST_F(CodeEditorTest, ReplacesAllLinesAsOneUndoableEdit) {
    // A long program: every third line stays, the others get blanks in
    // front; in the middle a stretch of unchanged lines longer than a run
    // goes on over.  Its new text is larger than one run of replaced bytes.
    QStringList longBefore, longTexts, longAfter;
    std::vector<int32_t> longBlanks;
    for (int i = 0; i < 3000; ++i) {
        const QString text = QStringLiteral("OUT %1, 1 ' 출력").arg(i);
        const int blanks = i % 3 == 0 || (i >= 1500 && i < 1600) ? 0 : (i % 7) * 4 + 4;
        longBefore << text;
        longTexts << text;
        longBlanks.push_back(blanks);
        longAfter << QString(blanks, u' ') + text;
    }
    struct Case {
        const char* name;
        QString before;
        QStringList texts;
        std::vector<int32_t> blanks;
        QString after;
    };
    const Case cases[] = {
        {"indentation", "FOR I\r\nOUT 1\r\nNEXT", {"FOR I", "OUT 1", "NEXT"}, {0, 4, 0}, "FOR I\r\n    OUT 1\r\nNEXT"},
        {"blanks and TABs go", "    A  \r\n\tB", {"A", "B"}, {0, 8}, "A\r\n        B"},
        // Characters that share their first or last bytes in UTF-8
        // (가 EA B0 80, 밀 EB B0 80).
        {"Korean", "x가y\r\n가", {"x밀y", "밀"}, {0, 2}, "x밀y\r\n  밀"},
        {"more lines", "A", {"A", "B", "  C"}, {}, "A\r\nB\r\n  C"},
        {"fewer lines", "A\r\nB\r\nC", {"X"}, {}, "X"},
        {"a line that stays between two that change", "a\r\nb\r\nc", {"a", "b", "c"}, {2, 0, 2}, "  a\r\nb\r\n  c"},
        {"line ends inside a text", "A\r\nB", {"A\nA2\rA3", "B"}, {0, 4}, "A\r\nA2\r\nA3\r\n    B"},
        {"line ends inside, fewer lines", "A\r\nB\r\nC\r\nD", {"A\nX", "B", "  C"}, {0, 2}, "A\r\nX\r\n  B\r\n  C"},
        {"no lines", "A\r\nB", {}, {}, ""},
        {"blanks missing or below zero", "A\r\nB", {"A", " B"}, {-3}, "A\r\n B"},
        {"long", longBefore.join("\r\n"), longTexts, longBlanks, longAfter.join("\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CodeEditor e;
        e.SetWholeText(c.before);
        e.EmptyUndoHistory();
        e.SetChanged(false);
        e.PutCaret(0, 1);
        int changes = 0;
        QObject::connect(&e, &CodeEditor::Change, [&](CodeEditor*) { ++changes; });

        e.ReplaceAllLines(c.texts, c.blanks);
        EXPECT_EQ(e.WholeText(), c.after);
        EXPECT_EQ(changes, 1);
        EXPECT_TRUE(e.Changed());
        EXPECT_EQ(e.Selection(false), platform::EditorRange{});
        EXPECT_EQ(e.LineCount(), c.after.count(u'\n') + 1);

        // One undo takes it all back, one redo does it again.
        e.Undo();
        EXPECT_EQ(e.WholeText(), c.before);
        EXPECT_FALSE(e.CanUndo());
        e.Redo();
        EXPECT_EQ(e.WholeText(), c.after);
    }

    // Nothing differs: nothing is written, so there is nothing to undo.
    CodeEditor e;
    e.SetWholeText(QStringLiteral("A\r\n    B"));
    e.EmptyUndoHistory();
    int changes = 0;
    QObject::connect(&e, &CodeEditor::Change, [&](CodeEditor*) { ++changes; });
    e.ReplaceAllLines({"A", "B"}, {0, 4});
    EXPECT_EQ(e.WholeText(), QStringLiteral("A\r\n    B"));
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(e.CanUndo());
}

TEST_F(CodeEditorTest, ReplacingAllLinesKeepsBookmarksAndHighlightOnTheirLines) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("FOR I\r\nA\r\nB\r\nC\r\nNEXT\r\nD"));
    for (const int line : {1, 3, 5}) {
        e.PutCaret(line, 0);
        e.RunCommand(platform::cmdToggleBookmark);
    }
    e.SetHighlightedLine(2);
    // Lines 1 to 3 change in one stretch; the last line goes.
    e.ReplaceAllLines({"FOR I", "A", "B", "C", "NEXT"}, {0, 4, 4, 4, 0});
    ASSERT_EQ(e.WholeText(), QStringLiteral("FOR I\r\n    A\r\n    B\r\n    C\r\nNEXT"));
    for (int line = 0; line < 5; ++line) EXPECT_EQ(e.LineHasBookmark(line), line == 1 || line == 3) << line;
    EXPECT_EQ(e.HighlightedLine(), 2);
    for (int line = 0; line < 5; ++line) EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_MARKERGET, static_cast<unsigned long>(line)) & 4, line == 2 ? 4 : 0) << line;
}

TEST_F(CodeEditorTest, CountsColumnsInCharactersAndNormalisesRanges) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("반복 I = 1\r\n동작 G6A, 100"));
    e.SelectRange(1, 5, 0, 3);
    const platform::EditorRange raw = e.Selection(false);
    EXPECT_EQ(raw.StartLineNo, 1);
    EXPECT_EQ(raw.StartColNo, 5);
    EXPECT_EQ(raw.EndLineNo, 0);
    EXPECT_EQ(raw.EndColNo, 3);
    const platform::EditorRange norm = e.Selection(true);
    EXPECT_EQ(norm.StartLineNo, 0);
    EXPECT_EQ(norm.StartColNo, 3);
    EXPECT_EQ(norm.EndLineNo, 1);
    EXPECT_EQ(norm.EndColNo, 5);
    EXPECT_EQ(e.SelectedText(), QStringLiteral("I = 1\r\n동작 G6"));

    // The caret is clamped into the text.
    e.PutCaret(0, 99);
    EXPECT_EQ(e.Selection(true).EndColNo, 8);
    e.PutCaret(9, 2);
    EXPECT_EQ(e.Selection(true).EndLineNo, 1);

    // A replaced selection leaves the caret at the start of the new text.
    e.SelectRange(0, 3, 0, 4);
    e.ReplaceSelectedText(QStringLiteral("CNT"));
    EXPECT_EQ(e.LineText(0), QStringLiteral("반복 CNT = 1"));
    EXPECT_TRUE(e.Selection(true).IsEmpty());
    EXPECT_EQ(e.Selection(true).EndColNo, 3);
}

TEST_F(CodeEditorTest, ColoursKeywordsCommentsStringsNumbersAndOperators) {
    CodeEditor e;
    ASSERT_TRUE(e.SetLanguageName(QStringLiteral("testlang")));  // names match in any case
    e.SetWholeText(QStringLiteral("for i = 10 TO 1 ' count\r\n"
                                  "반복 \"a 'b\" REM x\r\n"
                                  "REMARK x { one\r\n"
                                  "two } Next &H1F <= y\r\n"
                                  "x.REM"));
    struct Case {
        int line, col, style;
    } cases[] = {
        {0, 0, platform::tsKeyword},   // for: any letter case
        {0, 4, platform::tsText},      // i
        {0, 6, platform::tsOperator},  // =
        {0, 8, platform::tsNumber},    // 10
        {0, 11, platform::tsKeyword},  // TO
        {0, 16, platform::tsComment},  // ' count
        {0, 22, platform::tsComment},
        {1, 0, platform::tsKeyword},   // 반복
        {1, 3, platform::tsString},    // "a 'b": an apostrophe inside a string
        {1, 7, platform::tsString},
        {1, 10, platform::tsComment},  // REM starts a comment
        {2, 0, platform::tsKeyword},   // REMARK is a keyword, not a comment
        {2, 7, platform::tsText},
        {2, 9, platform::tsComment},   // { one
        {3, 0, platform::tsComment},   // two } across the line break
        {3, 4, platform::tsComment},
        {3, 6, platform::tsKeyword},   // Next
        {3, 11, platform::tsNumber},   // &H1F
        {3, 16, platform::tsOperator}, // <=
        {4, 1, platform::tsOperator},  // .
        {4, 2, platform::tsComment},   // REM as a whole word after the dot
    };
    for (const Case& c : cases)
        EXPECT_EQ(e.StyleAt(c.line, c.col), c.style) << "line " << c.line << " col " << c.col;

    // Keyword colour, comment colour, string colour come from the slots.
    EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_STYLEGETFORE, static_cast<unsigned long>(platform::tsKeyword)),
              0xFF0000L);
    EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_STYLEGETFORE, static_cast<unsigned long>(platform::tsComment)),
              0xFF00FFL);
    EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_STYLEGETFORE, static_cast<unsigned long>(platform::tsString)),
              0x800080L);
    e.SetSlotColor(platform::clrKeyword, 0x0000C0);
    EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_STYLEGETFORE, static_cast<unsigned long>(platform::tsKeyword)),
              0x0000C0L);

    // Closing the block comment recolours the following line.
    e.RemoveLine(2);
    e.InsertLineAt(2, QStringLiteral("REMARK x"));
    EXPECT_EQ(e.StyleAt(3, 0), platform::tsText);
}

TEST_F(CodeEditorTest, SelectsLanguagesOnlyByRegisteredNames) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("FOR"));
    EXPECT_FALSE(e.SetLanguageName(QStringLiteral("Nothing")));
    EXPECT_EQ(e.LanguageName(), QString());
    EXPECT_EQ(e.StyleAt(0, 0), platform::tsText);
    ASSERT_TRUE(e.SetLanguageName(QStringLiteral("TestLang")));
    EXPECT_EQ(e.StyleAt(0, 0), platform::tsKeyword);

    // A new definition under the same name recolours the editor.
    platform::EditorLanguage other = TestLanguage();
    other.Keywords = QStringLiteral("NEXT");
    platform::RegisterLanguage(QStringLiteral("TESTLANG"), other);
    EXPECT_EQ(e.StyleAt(0, 0), platform::tsText);
    platform::RegisterLanguage(QStringLiteral("TestLang"), TestLanguage());

    ASSERT_TRUE(e.SetLanguageName(QString()));
    EXPECT_EQ(e.StyleAt(0, 0), platform::tsText);
}

TEST_F(CodeEditorTest, ReportsTheWordAndTokenAtTheCaret) {
    CodeEditor e;
    e.SetLanguageName(QStringLiteral("TestLang"));
    e.SetWholeText(QStringLiteral("FOR  \r\n  ' note\r\nX = \"s\"\r\n"));
    struct Case {
        int line, col;
        QString word;
        int kind;
    } cases[] = {
        {0, 1, QStringLiteral("FOR"), platform::tokWord},
        {0, 5, QStringLiteral("FOR"), platform::tokWord},  // after the word and blanks
        {1, 1, QString(), platform::tokNone},
        {1, 6, QStringLiteral("note"), platform::tokComment},
        {2, 2, QStringLiteral("X"), platform::tokOperator},
        {2, 6, QStringLiteral("s"), platform::tokString},
        {3, 0, QString(), platform::tokNone},
    };
    for (const Case& c : cases) {
        e.PutCaret(c.line, c.col);
        EXPECT_EQ(e.WordAtCaret(), c.word) << c.line << ":" << c.col;
        EXPECT_EQ(e.TokenKindAtCaret(), c.kind) << c.line << ":" << c.col;
    }
}

TEST_F(CodeEditorTest, RaisesSelectionChangeKeyAndChangeEvents) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("a\r\nb\r\nc"));
    e.PutCaret(0, 0);
    e.show();
    std::vector<int> lines;
    QObject::connect(&e, &CodeEditor::SelChange, [&](CodeEditor* c) { lines.push_back(c->Selection(true).EndLineNo); });
    int changes = 0;
    QObject::connect(&e, &CodeEditor::Change, [&](CodeEditor*) { ++changes; });
    QTest::keyClick(&e, Qt::Key_Down);
    QTest::keyClick(&e, Qt::Key_Down);
    EXPECT_EQ(lines, (std::vector<int>{1, 2}));
    EXPECT_EQ(changes, 0);

    // A KeyDown handler that handles the key keeps it from the editor.
    bool swallow = true;
    std::vector<std::pair<int, int>> keys;
    QObject::connect(&e, &CodeEditor::KeyDown, [&](CodeEditor*, int code, int shift, bool* handled) {
        if (code != 16) keys.emplace_back(code, shift);  // the Shift key itself aside
        *handled = swallow;
    });
    QTest::keyClick(&e, Qt::Key_X, Qt::ShiftModifier);
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nc"));
    swallow = false;
    QTest::keyClick(&e, Qt::Key_X);
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nxc"));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(e.Changed());
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], std::make_pair(88, 1));
    EXPECT_EQ(keys[1], std::make_pair(88, 0));

    // Korean text typed a character at a time.
    Type(&e, QStringLiteral("동작"));
    EXPECT_EQ(e.LineText(2), QStringLiteral("x동작c"));
    EXPECT_EQ(e.Selection(true).EndColNo, 3);
}

TEST_F(CodeEditorTest, RaisesFocusMouseAndKeyUpEvents) {
    QWidget window;
    auto* e = new CodeEditor(&window);
    e->SetWholeText(QStringLiteral("MOVE G6A"));
    window.resize(300, 200);
    e->resize(300, 200);
    window.show();
    int focus = 0;
    QObject::connect(e, &CodeEditor::FocusIn, [&](CodeEditor*) { ++focus; });
    std::vector<int> buttons;
    QObject::connect(e, &CodeEditor::MouseDown, [&](CodeEditor*, int button, int, int, int, bool* handled) {
        buttons.push_back(button);
        *handled = button == 2;  // the right button is the window's (its menu)
    });
    std::vector<std::pair<int, int>> released;
    QObject::connect(e, &CodeEditor::KeyUp, [&](CodeEditor* c, int code, int, bool*) {
        released.emplace_back(code, c->Selection(true).EndColNo);
    });
    e->PutCaret(0, 0);
    QTest::mouseClick(e->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(60, 5));
    EXPECT_EQ(e->Selection(true).EndColNo, 0);  // handled: the editor did not move the caret
    QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 5));
    EXPECT_EQ(buttons, (std::vector<int>{2, 1}));
    EXPECT_EQ(e->Selection(true).EndColNo, 8);
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(e, &in);
    EXPECT_GE(focus, 1);
    // The release of Space comes after the blank is in the text.
    QTest::keyClick(e, Qt::Key_Space);
    ASSERT_FALSE(released.empty());
    EXPECT_EQ(released.back(), std::make_pair(32, 9));

    e->SetWholeText(QStringLiteral("line\r\n").repeated(100));
    e->SetFirstVisibleLine(6);
    EXPECT_EQ(e->FirstVisibleLine(), 6);
}

TEST_F(CodeEditorTest, RunsEditingCommands) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("a\r\nb\r\nc"));
    e.SelectRange(0, 0, 2, 0);  // lines 0 and 1; the end at column 0 leaves line 2
    e.RunCommand(platform::cmdIndentSelection);
    EXPECT_EQ(e.WholeText(), QStringLiteral("\ta\r\n\tb\r\nc"));
    e.RunCommand(platform::cmdUnindentSelection);
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nc"));

    e.PutCaret(1, 0);
    e.RunCommand(platform::cmdSelectLine);
    EXPECT_EQ(e.SelectedText(), QStringLiteral("b\r\n"));
    e.RunCommand(platform::cmdDelete);
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nc"));
    e.RunCommand(platform::cmdDelete);  // nothing selected: the character after the caret
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\n"));
    EXPECT_TRUE(e.CanUndo());
    e.Undo();
    e.Undo();
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nc"));
    EXPECT_TRUE(e.CanRedo());

    e.RunCommand(platform::cmdSelectAll);
    EXPECT_TRUE(e.CanCopy());
    EXPECT_TRUE(e.CanCut());
    e.Copy();
    e.PutCaret(2, 1);
    EXPECT_FALSE(e.CanCopy());
    EXPECT_TRUE(e.CanPaste());
    e.Paste();
    EXPECT_EQ(e.WholeText(), QStringLiteral("a\r\nb\r\nca\r\nb\r\nc"));
    e.RunCommand(-5);  // unknown commands do nothing
}

TEST_F(CodeEditorTest, KeepsBookmarksAndHighlightedLine) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("0\r\n1\r\n2\r\n3\r\n4"));
    e.PutCaret(1, 0);
    e.RunCommand(platform::cmdToggleBookmark);
    e.PutCaret(3, 0);
    e.RunCommand(platform::cmdToggleBookmark);
    EXPECT_TRUE(e.LineHasBookmark(1));
    EXPECT_FALSE(e.LineHasBookmark(2));
    EXPECT_TRUE(e.LineHasBookmark(3));
    EXPECT_FALSE(e.LineHasBookmark(99));
    EXPECT_TRUE(e.HasBookmarks());

    e.RunCommand(platform::cmdNextBookmark);  // from 3 it wraps to 1
    EXPECT_EQ(e.Selection(true).EndLineNo, 1);
    e.RunCommand(platform::cmdNextBookmark);
    EXPECT_EQ(e.Selection(true).EndLineNo, 3);
    e.RunCommand(platform::cmdPreviousBookmark);
    EXPECT_EQ(e.Selection(true).EndLineNo, 1);
    e.RunCommand(platform::cmdPreviousBookmark);  // wraps to the last
    EXPECT_EQ(e.Selection(true).EndLineNo, 3);
    e.RunCommand(platform::cmdToggleBookmark);
    EXPECT_FALSE(e.LineHasBookmark(3));
    e.RunCommand(platform::cmdClearBookmarks);
    EXPECT_FALSE(e.LineHasBookmark(1));
    EXPECT_FALSE(e.HasBookmarks());

    e.SetHighlightedLine(2);
    EXPECT_EQ(e.HighlightedLine(), 2);
    EXPECT_NE(e.SendScintilla(CodeEditor::SCI_MARKERGET, 2UL), 0);
    e.SetHighlightedLine(-1);
    EXPECT_EQ(e.HighlightedLine(), -1);
    EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_MARKERGET, 2UL), 0);
}

TEST_F(CodeEditorTest, FindsReplacesAndGoesToLinesThroughItsDialogs) {
    CodeEditor e;
    e.SetWholeText(QStringLiteral("move a\r\nMOVE b\r\nremove c"));
    e.PutCaret(0, 0);
    std::vector<QString> dialogs;
    CodeEditor::SetDialogResponder([&](QDialog& d) {
        dialogs.push_back(d.objectName());
        if (d.objectName() == QStringLiteral("findDialog")) {
            d.findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("MOVE"));
            d.findChild<QCheckBox*>(QStringLiteral("wholeWord"))->setChecked(true);
            return int(QDialog::Accepted);
        }
        if (d.objectName() == QStringLiteral("replaceDialog")) {
            d.findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("move"));
            d.findChild<QLineEdit*>(QStringLiteral("replaceText"))->setText(QStringLiteral("동작"));
            d.findChild<QCheckBox*>(QStringLiteral("wholeWord"))->setChecked(true);
            d.findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
            return int(QDialog::Accepted);
        }
        if (d.objectName() == QStringLiteral("gotoDialog")) {
            d.findChild<QSpinBox*>(QStringLiteral("lineNumber"))->setValue(3);
            return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    });

    e.RunCommand(platform::cmdFind);  // whole word, any case: "move" on line 0 is found after the caret
    EXPECT_EQ(e.Selection(true).StartLineNo, 0);
    EXPECT_EQ(e.SelectedText(), QStringLiteral("move"));
    e.RunCommand(platform::cmdFindNext);
    EXPECT_EQ(e.Selection(true).StartLineNo, 1);
    e.RunCommand(platform::cmdFindNext);  // "remove" is no whole word: wraps to line 0
    EXPECT_EQ(e.Selection(true).StartLineNo, 0);
    e.RunCommand(platform::cmdFindPrevious);  // backwards wraps to line 1
    EXPECT_EQ(e.Selection(true).StartLineNo, 1);

    e.RunCommand(platform::cmdReplace);
    EXPECT_EQ(e.WholeText(), QStringLiteral("동작 a\r\n동작 b\r\nremove c"));

    e.RunCommand(platform::cmdGotoLine);
    EXPECT_EQ(e.Selection(true).EndLineNo, 2);
    EXPECT_EQ(dialogs, (std::vector<QString>{QStringLiteral("findDialog"), QStringLiteral("replaceDialog"),
                                              QStringLiteral("gotoDialog")}));
}

TEST_F(CodeEditorTest, PropertiesDialogChangesColoursFontAndOptionsOnOkOnly) {
    CodeEditor e;
    e.SetLanguageName(QStringLiteral("TestLang"));
    bool accept = false;
    CodeEditor::SetDialogResponder([&](QDialog& d) {
        auto* list = d.findChild<QListWidget*>(QStringLiteral("colorList"));
        // Each entry carries its colour slot.
        for (int row = 0; row < list->count(); ++row)
            if (list->item(row)->data(Qt::UserRole).toInt() == platform::clrKeyword) list->setCurrentRow(row);
        d.findChild<QCheckBox*>(QStringLiteral("colorAutomatic"))->setChecked(true);
        d.findChild<QCheckBox*>(QStringLiteral("fontBold"))->setChecked(true);
        d.findChild<QDoubleSpinBox*>(QStringLiteral("fontSize"))->setValue(14.5);
        d.findChild<QCheckBox*>(QStringLiteral("lineNumbers"))->setChecked(false);
        d.findChild<QSpinBox*>(QStringLiteral("firstLineNumber"))->setValue(0);
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    });
    e.RunCommand(platform::cmdProperties);
    EXPECT_EQ(e.SlotColor(platform::clrKeyword), 16711680);
    EXPECT_FALSE(e.EditorFont().bold());
    accept = true;
    e.RunCommand(platform::cmdProperties);
    EXPECT_EQ(e.SlotColor(platform::clrKeyword), -1);
    EXPECT_TRUE(e.EditorFont().bold());
    EXPECT_DOUBLE_EQ(e.EditorFont().pointSizeF(), 14.5);
    EXPECT_FALSE(e.LineNumbersShown());
    EXPECT_EQ(e.FirstLineNumber(), 0);
}

TEST_F(CodeEditorTest, PropertiesDialogOffersTheColoursOfTheLanguagesKindsOfWords) {
    using namespace platform;
    const std::vector<int> always{clrWindow, clrLeftMargin, clrBookmark, clrBookmarkBk, clrText, clrTextBk};
    const std::vector<int> end{clrLineNumber, clrLineNumberBk, clrHighlight};
    auto join = [](std::vector<int> a, const std::vector<int>& b, const std::vector<int>& c) {
        a.insert(a.end(), b.begin(), b.end());
        a.insert(a.end(), c.begin(), c.end());
        return a;
    };
    EditorLanguage blocks;
    blocks.Keywords = QStringLiteral("IF\n");
    blocks.BlockStartWords = QStringLiteral("BEGIN");
    blocks.BlockEndWords = QStringLiteral("END");
    RegisterLanguage(QStringLiteral("BlockLang"), blocks);
    struct Case {
        const char* language;
        std::vector<int> offered;
    } cases[] = {
        {"", join(always, {}, end)},
        {"TestLang", join(always,
                          {clrNumber, clrNumberBk, clrKeyword, clrKeywordBk, clrOperator, clrOperatorBk, clrComment,
                           clrCommentBk, clrString, clrStringBk},
                          end)},
        {"BlockLang", join(always, {clrNumber, clrNumberBk, clrKeyword, clrKeywordBk, clrScope, clrScopeBk}, end)},
    };
    for (const Case& c : cases) {
        CodeEditor e;
        e.SetLanguageName(QString::fromLatin1(c.language));
        EXPECT_EQ(e.EditableColorSlots(), c.offered) << c.language;
        std::vector<int> listed;
        CodeEditor::SetDialogResponder([&](QDialog& d) {
            auto* list = d.findChild<QListWidget*>(QStringLiteral("colorList"));
            for (int row = 0; row < list->count(); ++row) listed.push_back(list->item(row)->data(Qt::UserRole).toInt());
            return int(QDialog::Rejected);
        });
        e.RunCommand(cmdProperties);
        EXPECT_EQ(listed, c.offered) << c.language;
    }
    UnregisterLanguage(QStringLiteral("BlockLang"));
}

TEST_F(CodeEditorTest, ChecksColourSlotsFontsAndLineNumbers) {
    CodeEditor e;
    for (int slot = 0; slot < platform::kColorSlotCount; ++slot)
        EXPECT_EQ(e.SlotColor(slot), platform::DefaultSlotColor(slot)) << slot;
    EXPECT_FALSE(e.SetSlotColor(31, 0));
    EXPECT_FALSE(e.SetSlotColor(-1, 0));
    EXPECT_EQ(e.SlotColor(31), -1);

    QFont f = e.EditorFont();
    f.setPixelSize(12);  // no point size
    EXPECT_FALSE(e.SetEditorFont(f));
    f = e.EditorFont();
    f.setPointSizeF(9.5);
    f.setStrikeOut(true);
    EXPECT_TRUE(e.SetEditorFont(f));
    EXPECT_DOUBLE_EQ(e.EditorFont().pointSizeF(), 9.5);
    EXPECT_TRUE(e.EditorFont().strikeOut());

    struct Case {
        int32_t style, start, line;
        QString text;
    } cases[] = {
        {platform::lnDecimal, 1, 0, QStringLiteral("1")},   {platform::lnDecimal, 1, 11, QStringLiteral("12")},
        {platform::lnDecimal, 0, 0, QStringLiteral("0")},   {platform::lnHexadecimal, 1, 30, QStringLiteral("1F")},
        {platform::lnOctal, 1, 8, QStringLiteral("11")},    {platform::lnBinary, 1, 4, QStringLiteral("101")},
        {7, 100, 0, QStringLiteral("100")},                  {platform::lnDecimal, -3, 1, QStringLiteral("-2")},
    };
    for (const Case& c : cases) {
        e.SetLineNumberStyle(c.style);
        e.SetFirstLineNumber(c.start);
        EXPECT_EQ(e.LineNumberText(c.line), c.text) << c.style << " " << c.start << " " << c.line;
    }
}

TEST_F(CodeEditorTest, CodeTipIsAskedForFilledAndClosedByItsHandlers) {
    CodeEditor e;
    e.SetLanguageName(QStringLiteral("TestLang"));
    e.SetWholeText(QStringLiteral("FOR I = 1 TO 2\r\nNEXT"));
    e.PutCaret(0, 4);
    e.show();
    int kindToGive = 0;
    QObject::connect(&e, &CodeEditor::CodeTipRequest, [&](CodeEditor*, int* kind) { *kind = kindToGive; });
    QObject::connect(&e, &CodeEditor::CodeTipInitialize, [&](CodeEditor* c, platform::CodeTip* tip) {
        tip->Text = QStringLiteral("FOR [Var] = [Start] TO [End]");
        tip->BackColor = 0xC0FFFF;
        tip->ForeColor = 0;
        tip->Font = c->EditorFont();
    });
    int updates = 0;
    QObject::connect(&e, &CodeEditor::CodeTipUpdate, [&](CodeEditor* c, platform::CodeTip* tip) {
        ++updates;
        if (c->Selection(true).EndLineNo != 0) tip->Destroy();
    });

    e.RunCommand(platform::cmdCodeTip);  // kind 0: no tip
    EXPECT_EQ(e.OpenCodeTip(), nullptr);
    kindToGive = 4;
    e.RunCommand(platform::cmdCodeTip);
    ASSERT_NE(e.OpenCodeTip(), nullptr);
    ASSERT_NE(e.CodeTipWindow(), nullptr);
    EXPECT_EQ(e.CodeTipWindow()->text(), QStringLiteral("FOR [Var] = [Start] TO [End]"));
    EXPECT_EQ(e.CodeTipWindow()->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xC0));
    e.PutCaret(0, 6);
    EXPECT_EQ(updates, 1);
    EXPECT_NE(e.OpenCodeTip(), nullptr);
    e.PutCaret(1, 0);
    EXPECT_EQ(updates, 2);
    EXPECT_EQ(e.OpenCodeTip(), nullptr);
}

TEST_F(CodeEditorTest, UnregisteredHotKeysReachTheHostInsteadOfTheEditor) {
    EXPECT_EQ(platform::EditorGlobals::HotKeyCount(platform::cmdCut), 2);
    EXPECT_EQ(platform::EditorGlobals::HotKeyCount(platform::cmdLineCut), 1);
    EXPECT_EQ(platform::EditorGlobals::HotKeyCount(platform::cmdFind), 0);
    EXPECT_EQ(platform::EditorGlobals::HotKey(platform::cmdCut, 0).Key, int(Qt::Key_X));
    EXPECT_EQ(platform::EditorGlobals::HotKey(platform::cmdCut, 5).Key, 0);

    CodeEditor before;
    before.SetWholeText(QStringLiteral("abc"));
    before.show();
    // Release the hot keys of the seven commands, last first.
    for (int32_t cmd : {platform::cmdCut, platform::cmdPaste, platform::cmdCopy, platform::cmdLineCut,
                        platform::cmdUndo, platform::cmdRedo, platform::cmdLineDelete}) {
        for (int j = platform::EditorGlobals::HotKeyCount(cmd) - 1; j >= 0; --j)
            platform::EditorGlobals::UnregisterHotKey(platform::EditorGlobals::HotKey(cmd, j));
        EXPECT_EQ(platform::EditorGlobals::HotKeyCount(cmd), 0);
    }
    CodeEditor after;
    after.SetWholeText(QStringLiteral("abc"));
    after.show();
    for (CodeEditor* e : {&before, &after}) {
        e->RunCommand(platform::cmdSelectAll);
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_L, Qt::ControlModifier);
        EXPECT_EQ(e->WholeText(), QStringLiteral("abc"));
    }
    platform::EditorGlobals::RestoreHotKeys();
    before.RunCommand(platform::cmdSelectAll);
    QTest::keyClick(&before, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(before.WholeText(), QString());
}

TEST_F(CodeEditorTest, PrintsThroughThePrinterDialogsToAPdf) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    std::vector<CodeEditor::PrintStep> steps;
    bool accept = true;
    CodeEditor::SetPrintResponder([&](QPrinter& printer, CodeEditor::PrintStep step) {
        steps.push_back(step);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return accept;
    });
    CodeEditor e;
    e.SetWholeText(QStringLiteral("반복 I = 1 TO 3\r\nNEXT I"));
    e.Print(0, 12);  // set-up only
    EXPECT_FALSE(QFile::exists(pdf));
    accept = false;
    e.Print(0, 13);  // cancelled
    EXPECT_FALSE(QFile::exists(pdf));
    accept = true;
    e.Print(0, 13);
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_GT(QFileInfo(pdf).size(), 500);
    EXPECT_EQ(steps, (std::vector<CodeEditor::PrintStep>{CodeEditor::PrintStep::Setup, CodeEditor::PrintStep::Print,
                                                         CodeEditor::PrintStep::Print}));
}

TEST_F(CodeEditorTest, HiddenBufferLoadsFilesAsLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("inc.bas"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("A\nB\r\nC");
    f.close();
    auto* buffer = new platform::HiddenEditorWindow;
    EXPECT_FALSE(buffer->isVisible());
    buffer->source->SetWholeText(QStringLiteral("main\r\n'$INCLUDE \"inc.bas\""));
    EXPECT_EQ(buffer->source->LineCount(), 2);
    ASSERT_TRUE(buffer->source->LoadFromFile(path));
    EXPECT_EQ(buffer->source->LineCount(), 3);
    EXPECT_EQ(buffer->source->LineText(2), QStringLiteral("C"));
    delete buffer;
}

// TextIndent is where the first character stands, whatever margins show;
// once hidden, the margins stay hidden as lines come.
TEST(CodeEditorMargins, TextIndentIsWhereTheTextStarts) {
    const struct {
        const char* name;
        bool numbers;
        bool bookmarks;
        bool hide;
    } cases[] = {
        {"numbers", true, false, false},
        {"numbers and bookmarks", true, true, false},
        {"bookmarks", false, true, false},
        {"hidden", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CodeEditor e;
        e.resize(300, 200);
        e.show();
        e.SetWholeText(QStringLiteral("0000  12"));
        e.SetLineNumbersShown(c.numbers);
        e.SetBookmarkMarginShown(c.bookmarks);
        if (c.hide) {
            e.HideMargins();
            e.SetWholeText(QString(30, u'\r') + QStringLiteral("0000  12"));
        }
        const int firstCharacter =
            e.frameWidth() + static_cast<int>(e.SendScintilla(CodeEditor::SCI_POINTXFROMPOSITION, 0UL, 0L));
        EXPECT_EQ(e.TextIndent(), firstCharacter);
        if (c.hide) {
            EXPECT_FALSE(e.LineNumbersShown());
            EXPECT_FALSE(e.BookmarkMarginShown());
            EXPECT_EQ(e.TextIndent(), e.frameWidth() + e.SendScintilla(CodeEditor::SCI_GETMARGINLEFT));
        } else {
            EXPECT_GT(e.TextIndent(), e.frameWidth() + e.SendScintilla(CodeEditor::SCI_GETMARGINLEFT));
        }
    }
}

TEST(VbKeys, MapsKeysShiftStatesAndButtons) {
    EXPECT_EQ(vxKey::CodeOf(Qt::Key_A), 65);
    EXPECT_EQ(vxKey::CodeOf(Qt::Key_7), 55);
    EXPECT_EQ(vxKey::CodeOf(Qt::Key_F2), 113);
    EXPECT_EQ(vxKey::CodeOf(Qt::Key_F12), 123);
    EXPECT_EQ(vxKey::CodeOf(Qt::Key_Space), 32);
    EXPECT_EQ(vxKey::CodeOf(Qt::Key_unknown), 0);
    EXPECT_EQ(vxKey::ShiftOf(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(vxKey::ButtonsOf(Qt::RightButton), 2);
}

// The keypad's keys type their characters and raise the keypad's codes, as
// on the servo widgets; the main keyboard's minus has no code.
TEST(VbKeys, KeypadKeysTypeAndCarryTheKeypadCodes) {
    CodeEditor e;
    e.show();
    std::vector<std::pair<int, int>> keys;
    QObject::connect(&e, &CodeEditor::KeyDown,
                     [&](CodeEditor*, int code, int shift, bool*) { keys.emplace_back(code, shift); });
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int code;
    } cases[] = {
        {Qt::Key_7, Qt::KeypadModifier, 103},    {Qt::Key_0, Qt::KeypadModifier, 96},
        {Qt::Key_Plus, Qt::KeypadModifier, 107}, {Qt::Key_Minus, Qt::KeypadModifier, 109},
        {Qt::Key_Minus, Qt::NoModifier, 0},      {Qt::Key_7, Qt::NoModifier, 55},
    };
    for (const auto& c : cases) QTest::keyClick(&e, c.key, c.modifiers);
    EXPECT_EQ(e.WholeText(), QStringLiteral("70+--7"));
    std::vector<std::pair<int, int>> expected;
    for (const auto& c : cases) expected.emplace_back(c.code, 0);
    EXPECT_EQ(keys, expected);
}

}  // namespace
