// What the editor keeps right while it works only on the part of a long
// text that changed or shows: the character offsets of changes, the one
// highlighted line, the colouring of lines it has not shown yet, an opened
// file (no change, nothing to undo, margin sized), and in a document window
// the caret status, the modified mark and undo after typing.
#include <QAccessible>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <vector>

#include "DocTestHost.h"
#include "platform/CodeEditor.h"

using platform::CodeEditor;

namespace {

platform::EditorLanguage BlockLanguage() {
    platform::EditorLanguage l;
    l.Keywords = QStringLiteral("FOR\nTO\nNEXT\nMOVE\n반복\n");
    l.LineCommentOpeners = QStringLiteral("'");
    l.BlockCommentOpen = QStringLiteral("{");
    l.BlockCommentClose = QStringLiteral("}");
    l.StringDelimiters = QStringLiteral("\"");
    return l;
}

// `count` lines "FOR I = n TO 9", with `lines` replacing some of them.
QString Lines(int count, const std::map<int, QString>& lines = {}) {
    QStringList out;
    for (int i = 0; i < count; ++i) {
        const auto found = lines.find(i);
        out << (found != lines.end() ? found->second : QStringLiteral("FOR I = %1 TO 9").arg(i));
    }
    return out.join(QStringLiteral("\r\n"));
}

// The characters (code points) of the editor's text before byte `position`.
long CharactersBefore(const CodeEditor& e, long position) {
    return static_cast<long>(QString::fromUtf8(e.text().toUtf8().left(position)).toUcs4().size());
}

// The lines that carry any marker (no bookmarks are set in these tests, so
// only the highlight's).
std::vector<int> MarkedLines(const CodeEditor& e) {
    std::vector<int> marked;
    for (int line = 0; line < e.LineCount(); ++line)
        if (e.SendScintilla(CodeEditor::SCI_MARKERGET, static_cast<unsigned long>(line)) != 0) marked.push_back(line);
    return marked;
}

class LongTextTest : public ::testing::Test {
protected:
    void SetUp() override { platform::RegisterLanguage(QStringLiteral("BlockLang"), BlockLanguage()); }
};

TEST_F(LongTextTest, CharacterCountFromTheStartFollowsEveryEdit) {
    CodeEditor e;
    // Korean (three UTF-8 bytes each), a character outside the BMP (four
    // bytes, one character) and plain ASCII, over many lines.
    e.SetWholeText(Lines(400, {{3, QStringLiteral("' 오른발을 앞으로")},
                               {150, QString::fromUtf8("' \xF0\x9F\x98\x80 반복 FOR")},
                               {399, QStringLiteral("끝")}}));
    const auto check = [&e](const char* what) {
        SCOPED_TRACE(what);
        const long length = e.SendScintilla(CodeEditor::SCI_GETLENGTH);
        for (const int line : {0, 1, 3, 4, 149, 150, 151, 250, 398, 399}) {
            if (line >= e.LineCount()) continue;
            const long start = e.SendScintilla(CodeEditor::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
            const long end = e.SendScintilla(CodeEditor::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
            for (const long position : {start, end, start + (end - start) / 2}) {
                // Only positions between characters.
                const long at = e.SendScintilla(CodeEditor::SCI_POSITIONBEFORE,
                                                static_cast<unsigned long>(e.SendScintilla(
                                                    CodeEditor::SCI_POSITIONAFTER, static_cast<unsigned long>(position))));
                const long p = position == start || position == end ? position : at;
                EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_COUNTCHARACTERS, 0UL, p), CharactersBefore(e, p))
                    << "line " << line << " byte " << p;
            }
        }
        EXPECT_EQ(e.SendScintilla(CodeEditor::SCI_COUNTCHARACTERS, 0UL, length), CharactersBefore(e, length));
    };
    check("as put");
    e.PutCaret(2, 0);
    e.ReplaceSelectedText(QStringLiteral("반복 반복\r\nMOVE 1\r\n"));
    check("after lines went in above");
    e.SelectRange(100, 0, 160, 0);
    e.ReplaceSelectedText(QString());
    check("after lines went out");
    e.PutCaret(5, 3);
    QTest::sendKeyEvent(QTest::Click, &e, Qt::Key_unknown, QStringLiteral("한"), Qt::NoModifier);
    QTest::keyClick(&e, Qt::Key_Return);
    QTest::keyClick(&e, Qt::Key_Backspace);
    QTest::keyClick(&e, Qt::Key_Backspace);
    check("after typing");
    e.Undo();
    check("after an undo");
}

TEST_F(LongTextTest, OneLineCarriesTheHighlightWhateverEditsMovedIt) {
    struct Case {
        const char* what;
        std::function<void(CodeEditor&)> edit;
    };
    const Case cases[] = {
        {"a line break typed at the start of the line", [](CodeEditor& e) {
             e.PutCaret(5, 0);
             QTest::keyClick(&e, Qt::Key_Return);
         }},
        {"a line break typed at its end", [](CodeEditor& e) {
             e.PutCaret(5, 14);
             QTest::keyClick(&e, Qt::Key_Return);
         }},
        {"the line joined to the one above", [](CodeEditor& e) {
             e.PutCaret(5, 0);
             QTest::keyClick(&e, Qt::Key_Backspace);
         }},
        {"the line deleted", [](CodeEditor& e) {
             e.PutCaret(5, 0);
             e.RunCommand(platform::cmdLineDelete);
         }},
        {"many lines put in above", [](CodeEditor& e) {
             e.PutCaret(1, 0);
             e.ReplaceSelectedText(QStringLiteral("A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n"));
         }},
        {"many lines taken out above", [](CodeEditor& e) {
             for (int i = 0; i < 3; ++i) e.RemoveLine(0);
         }},
        {"the whole text replaced", [](CodeEditor& e) { e.SetWholeText(Lines(30)); }},
        {"an undo of lines put in above", [](CodeEditor& e) {
             e.PutCaret(1, 0);
             e.ReplaceSelectedText(QStringLiteral("A\r\nB\r\nC\r\n"));
             e.SetHighlightedLine(12);
             e.Undo();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CodeEditor e;
        e.SetWholeText(Lines(20));
        e.SetHighlightedLine(5);
        c.edit(e);
        for (const int next : {9, 10, 0, -1, 3}) {
            e.SetHighlightedLine(next);
            EXPECT_EQ(e.HighlightedLine(), next);
            EXPECT_EQ(MarkedLines(e), next < 0 ? std::vector<int>{} : std::vector<int>{next}) << "moved to " << next;
        }
    }
}

TEST_F(LongTextTest, LinesNotShownYetAreColouredWhenAskedFor) {
    // A block comment opens on line 100 and closes on line 2000 of 3000.
    const QString text = Lines(3000, {{100, QStringLiteral("FOR { open")}, {2000, QStringLiteral("still } FOR")}});
    const auto check = [](CodeEditor& e, const char* what) {
        SCOPED_TRACE(what);
        EXPECT_EQ(e.StyleAt(2500, 0), platform::tsKeyword);
        EXPECT_EQ(e.StyleAt(1500, 0), platform::tsComment);
        EXPECT_EQ(e.StyleAt(2000, 8), platform::tsKeyword);
        EXPECT_EQ(e.StyleAt(2000, 0), platform::tsComment);
        EXPECT_EQ(e.StyleAt(50, 0), platform::tsKeyword);
    };
    {
        // As a document window opens a file: the language first, then the text.
        CodeEditor e;
        ASSERT_TRUE(e.SetLanguageName(QStringLiteral("BlockLang")));
        e.LoadText(text);
        ASSERT_TRUE(e.SetLanguageName(QStringLiteral("BlockLang")));
        check(e, "language, then text");
    }
    {
        CodeEditor e;
        e.LoadText(text);
        ASSERT_TRUE(e.SetLanguageName(QStringLiteral("BlockLang")));
        check(e, "text, then language");
        // An edit far above re-colours what follows it when that is asked for.
        e.PutCaret(100, 5);
        e.ReplaceSelectedText(QStringLiteral("}"));
        EXPECT_EQ(e.StyleAt(1500, 0), platform::tsKeyword);
        e.Undo();
        check(e, "after the undo");
        // Another language, and back.
        ASSERT_TRUE(e.SetLanguageName(QString()));
        EXPECT_EQ(e.StyleAt(2500, 0), platform::tsText);
        ASSERT_TRUE(e.SetLanguageName(QStringLiteral("BlockLang")));
        check(e, "language set again");
    }
}

TEST_F(LongTextTest, LoadedTextIsNoEditAndSizesTheLineNumbers) {
    CodeEditor e;
    int changes = 0;
    QObject::connect(&e, &CodeEditor::Change, [&changes](CodeEditor*) { ++changes; });
    e.SetHighlightedLine(0);
    QString text = Lines(12345);
    text.replace(text.indexOf(QStringLiteral("\r\n"), 100), 2, QStringLiteral("\n"));  // one lone line feed
    e.LoadText(text);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(e.Changed());
    EXPECT_FALSE(e.CanUndo());
    EXPECT_EQ(e.LineCount(), 12345);
    EXPECT_EQ(e.WholeText(), Lines(12345));
    EXPECT_EQ(MarkedLines(e), std::vector<int>{0});
    // The number margin as wide as the same text put as an edit makes it.
    CodeEditor edited;
    edited.SetWholeText(Lines(12345));
    EXPECT_EQ(e.marginWidth(0), edited.marginWidth(0));
    EXPECT_GT(e.marginWidth(0), CodeEditor().marginWidth(0));

    // Typing after the load is an edit again, and one undo takes it back.
    e.PutCaret(7, 0);
    QTest::sendKeyEvent(QTest::Click, &e, Qt::Key_X, QStringLiteral("X"), Qt::NoModifier);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(e.Changed());
    EXPECT_EQ(e.LineText(7), QStringLiteral("XFOR I = 7 TO 9"));
    e.Undo();
    EXPECT_EQ(e.WholeText(), Lines(12345));
    EXPECT_FALSE(e.CanUndo());
}

TEST_F(LongTextTest, TheEditorIsAnEditableTextToAccessibility) {
    CodeEditor e;
    e.show();
    QAccessibleInterface* object = QAccessible::queryAccessibleInterface(&e);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->role(), QAccessible::EditableText);
    EXPECT_EQ(object->object(), &e);
}

class LongDocumentTest : public DocWindowTest {
protected:
    void SetUp() override {
        DocWindowTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
};

TEST_F(LongDocumentTest, TypingInAnOpenedProgramKeepsStatusMarkAndUndoRight) {
    const QString path = dir_.filePath(QStringLiteral("two.bas"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("START:\r\nMOVE G6A, 100");
    file.close();
    modApp::HighlightLine = true;
    ASSERT_TRUE(modApp::OpenDocument(path));
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    platform::CodeEditor* rt = doc->rt;
    const int tab = host_->tabs->IndexOfKey(QStringLiteral("key1"));
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(host_->tabs->TabImage(tab), 1);
    EXPECT_FALSE(rt->CanUndo());

    rt->setFocus();
    rt->PutCaret(1, 14);
    QTest::keyClick(rt, Qt::Key_Return);
    for (const QChar c : QStringLiteral("END:")) QTest::sendKeyEvent(QTest::Click, rt, Qt::Key_unknown, QString(c), Qt::NoModifier);
    EXPECT_EQ(host_->panel2.text(), QStringLiteral("3Ln, 4Col (Total 3Lines)"));
    EXPECT_EQ(rt->HighlightedLine(), 2);
    EXPECT_EQ(MarkedLines(*rt), std::vector<int>{2});
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(host_->tabs->TabImage(tab), 2);

    // Undo goes back to the opened text and no further.
    while (rt->CanUndo()) rt->Undo();
    EXPECT_EQ(rt->WholeText(), QStringLiteral("START:\r\nMOVE G6A, 100"));
    EXPECT_EQ(host_->panel2.text(), QStringLiteral("2Ln, 13Col (Total 2Lines)"));
}

}  // namespace
