// Document windows in a least host: numbers and untitled names with reuse
// of closed numbers, the tabs, the keyboard shortcuts, the save question,
// block comments and the position history, driven by Qt Test events.
#include <QFile>
#include <QLocale>
#include <QMdiArea>
#include <QTest>

#include <gtest/gtest.h>

#include "DocTestHost.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "platform/CodeEditor.h"

namespace {

frmDoc* Doc(int n) { return modApp::Docs(n); }

// Clicks at the start of a line (a little into its text).
void ClickLine(platform::CodeEditor* e, int line) {
    const long pos = e->SendScintilla(platform::CodeEditor::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const int x = static_cast<int>(e->SendScintilla(platform::CodeEditor::SCI_POINTXFROMPOSITION, 0UL, pos));
    const int y = static_cast<int>(e->SendScintilla(platform::CodeEditor::SCI_POINTYFROMPOSITION, 0UL, pos));
    QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(x + 2, y + 3));
}

TEST_F(DocWindowTest, NewDocumentsReuseTheLowestClosedNumberAndItsName) {
    modApp::NewDocument();
    ASSERT_NE(Doc(1), nullptr);
    EXPECT_EQ(modApp::Docs.UBound(), 1);
    EXPECT_EQ(modApp::DocSlots.UBound(), 1);
    // Ctrl+N in a document window runs the main window's New.
    QTest::keyClick(Doc(1)->rt, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(Doc(2)->rt, Qt::Key_N, Qt::ControlModifier);
    ASSERT_NE(Doc(3), nullptr);
    EXPECT_EQ(host_->calls, QStringList({"new_Click", "new_Click"}));
    for (int n = 1; n <= 3; ++n) {
        const QString name = QStringLiteral("Untitled%1.bas").arg(n);
        EXPECT_EQ(Doc(n)->Caption(), name);
        EXPECT_EQ(Doc(n)->FileName, name);
        EXPECT_EQ(Doc(n)->Tag, QString::number(n));
        EXPECT_FALSE(Doc(n)->HasFile);
        EXPECT_FALSE(Doc(n)->Modified);
        EXPECT_EQ(Doc(n)->rt->LanguageName(), QStringLiteral("Quarvel"));
        EXPECT_EQ(host_->tabs->tabText(host_->tabs->IndexOfKey(QStringLiteral("key%1").arg(n))), name);
    }
    EXPECT_EQ(TabKeys(), QStringList({"key1", "key2", "key3"}));
    EXPECT_EQ(modApp::ActiveDoc, 3);
    EXPECT_EQ(host_->tabs->SelectedKey(), QStringLiteral("key3"));

    // Closing 2 frees its number; New takes it again, with its tab at position 2.
    ASSERT_TRUE(Doc(2)->Unload());
    EXPECT_EQ(Doc(2), nullptr);
    EXPECT_TRUE(modApp::DocSlots(2)->Free);
    EXPECT_EQ(TabKeys(), QStringList({"key1", "key3"}));
    QTest::keyClick(Doc(3)->rt, Qt::Key_N, Qt::ControlModifier);
    ASSERT_NE(Doc(2), nullptr);
    EXPECT_FALSE(modApp::DocSlots(2)->Free);
    EXPECT_EQ(Doc(2)->Caption(), QStringLiteral("Untitled2.bas"));
    EXPECT_EQ(TabKeys(), QStringList({"key1", "key2", "key3"}));
    EXPECT_EQ(modApp::ActiveDoc, 2);

    // Closing 1 and 3: the lowest free number comes first, the arrays keep
    // their three elements.
    ASSERT_TRUE(Doc(3)->Unload());
    ASSERT_TRUE(Doc(1)->Unload());
    EXPECT_EQ(TabKeys(), QStringList({"key2"}));
    modApp::NewDocument();
    ASSERT_NE(Doc(1), nullptr);
    EXPECT_EQ(Doc(1)->Caption(), QStringLiteral("Untitled1.bas"));
    EXPECT_EQ(Doc(3), nullptr);
    EXPECT_TRUE(modApp::DocSlots(3)->Free);
    EXPECT_EQ(modApp::Docs.UBound(), 3);
    EXPECT_EQ(TabKeys(), QStringList({"key1", "key2"}));

    // The names come from string 21 of the user's language.
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    modApp::NewDocument();
    QLocale::setDefault(QLocale::c());
    ASSERT_NE(Doc(3), nullptr);
    EXPECT_EQ(Doc(3)->Caption(), QStringLiteral("제목없음3.bas"));
    EXPECT_EQ(modApp::Docs.UBound(), 3);
}

TEST_F(DocWindowTest, ActivationUnloadAndChangesKeepTheTabAndSharedStateRight) {
    modApp::NewDocument();
    modApp::NewDocument();
    frmDoc* one = Doc(1);
    frmDoc* two = Doc(2);
    EXPECT_EQ(modApp::ActiveDoc, 2);
    EXPECT_EQ(two->WindowState(), 2);
    EXPECT_EQ(modMain::DocWindowState, 2);  // a maximised window records it

    // A path in FileName: the tab shows the file name and the path as tip.
    one->FileName = QStringLiteral("/home/user/robot/walk.bas");
    host_->area->setActiveSubWindow(one);
    EXPECT_EQ(modApp::ActiveDoc, 1);
    const int tab = host_->tabs->IndexOfKey(QStringLiteral("key1"));
    EXPECT_EQ(host_->tabs->tabText(tab), QStringLiteral("walk.bas"));
    EXPECT_EQ(host_->tabs->tabToolTip(tab), QStringLiteral("/home/user/robot/walk.bas"));
    EXPECT_EQ(host_->tabs->SelectedKey(), QStringLiteral("key1"));
    EXPECT_EQ(host_->tabs->TabImage(tab), 1);

    // Typing marks the document and its tab as changed.
    QTest::keyClicks(one->rt, QStringLiteral("MOVE"));
    EXPECT_TRUE(one->Modified);
    EXPECT_EQ(host_->tabs->TabImage(tab), 2);

    // DoAct takes the caption.
    one->SetCaption(QStringLiteral("/tmp/x/saved.bas"));
    one->Modified = false;
    one->DoAct();
    EXPECT_EQ(host_->tabs->tabText(tab), QStringLiteral("saved.bas"));
    EXPECT_EQ(host_->tabs->tabToolTip(tab), QStringLiteral("/tmp/x/saved.bas"));
    EXPECT_EQ(host_->tabs->TabImage(tab), 1);

    const int cleared = host_->labelsCleared;
    ASSERT_TRUE(one->Unload());
    EXPECT_EQ(host_->labelsCleared, cleared + 1);
    EXPECT_EQ(host_->tabs->IndexOfKey(QStringLiteral("key1")), -1);
    EXPECT_TRUE(modApp::DocSlots(1)->Free);
    // The area activates the remaining window.
    EXPECT_EQ(modApp::ActiveDoc, 2);
    ASSERT_TRUE(two->Unload());
    EXPECT_EQ(modApp::ActiveDoc, 0);
    EXPECT_EQ(host_->tabs->count(), 0);

    // A window made while the program closes goes away at once.
    modMain::AppClosing = true;
    modApp::NewDocument();
    EXPECT_EQ(Doc(1), nullptr);
    EXPECT_EQ(host_->tabs->count(), 0);
    EXPECT_TRUE(modApp::DocSlots(1)->Free);
}

TEST_F(DocWindowTest, ShortcutsRunTheMainWindowsCommands) {
    modApp::NewDocument();
    host_->newCreatesDocument = false;
    frmDoc* doc = Doc(1);
    doc->rt->SetWholeText(QStringLiteral("abc"));
    doc->rt->PutCaret(0, 3);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* command;  // "" when the key goes on to the editor
    } cases[] = {
        {Qt::Key_N, Qt::ControlModifier, "new_Click"},
        {Qt::Key_O, Qt::ControlModifier, "open_Click"},
        {Qt::Key_S, Qt::ControlModifier, "save_Click"},
        {Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier, "save_Click"},
        {Qt::Key_P, Qt::ControlModifier | Qt::AltModifier, "Prints_Click"},
        {Qt::Key_Z, Qt::ControlModifier, "undo_Click"},
        {Qt::Key_Y, Qt::ControlModifier, "redo_Click"},
        {Qt::Key_A, Qt::ControlModifier, "selectall_Click"},
        {Qt::Key_F, Qt::ControlModifier, "find_Click"},
        {Qt::Key_H, Qt::ControlModifier, "mnuReplace_Click"},
        {Qt::Key_G, Qt::ControlModifier, "goto_Click"},
        {Qt::Key_F3, Qt::ControlModifier, "findprev_Click"},
        {Qt::Key_C, Qt::ControlModifier, "copy_Click"},
        {Qt::Key_X, Qt::ControlModifier, "cut_Click"},
        {Qt::Key_V, Qt::ControlModifier, "paste_Click"},
        {Qt::Key_D, Qt::ControlModifier, "mnuDown_Click"},
        {Qt::Key_F2, Qt::NoModifier, "mnuMake_Click"},
        {Qt::Key_F2, Qt::ShiftModifier, ""},
        {Qt::Key_F4, Qt::NoModifier, "mnuCurrentCapture_Click"},
        {Qt::Key_F4, Qt::ControlModifier, ""},
        {Qt::Key_F3, Qt::NoModifier, ""},
        {Qt::Key_F10, Qt::NoModifier, "Motor_all_off"},
        {Qt::Key_F10, Qt::ShiftModifier, "Motor_all_off"},
        {Qt::Key_F11, Qt::ControlModifier, "Motor_sel_on"},
        {Qt::Key_F12, Qt::AltModifier, "Motor_sel_in"},
        {Qt::Key_Q, Qt::ControlModifier, ""},
    };
    for (const Case& c : cases) {
        host_->calls.clear();
        QTest::keyClick(doc->rt, c.key, c.mods);
        const QStringList expected = *c.command ? QStringList{QString::fromLatin1(c.command)} : QStringList{};
        EXPECT_EQ(host_->calls, expected) << c.key << " " << int(c.mods);
    }
    // The editor saw none of the handled keys (Ctrl+A did not select, Ctrl+X
    // did not cut, Ctrl+Z did not undo).
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("abc"));
    EXPECT_TRUE(doc->rt->Selection(true).IsEmpty());
    // Plain keys reach the editor.
    host_->calls.clear();
    QTest::keyClick(doc->rt, Qt::Key_Q);
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("abcq"));
    EXPECT_TRUE(host_->calls.isEmpty());
}

class SavePromptTest : public DocWindowTest {
protected:
    // A document bound to a file holding "OLD", with "NEW " typed in front.
    frmDoc* ChangedFileDocument(const QString& name) {
        const QString path = dir_.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("OLD\r\n");
        f.close();
        modApp::NewDocument();
        frmDoc* doc = modApp::Docs(modApp::NewDocIndex);
        doc->HasFile = true;
        doc->FileName = path;
        doc->SetCaption(path);
        doc->rt->LoadFromFile(path);
        doc->Modified = false;
        doc->rt->PutCaret(0, 0);
        QTest::keyClicks(doc->rt, QStringLiteral("NEW "));
        EXPECT_TRUE(doc->Modified);
        return doc;
    }

    static QByteArray FileBytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
};

TEST_F(SavePromptTest, CancelKeepsTheWindowAndItsChanges) {
    frmDoc* doc = ChangedFileDocument(QStringLiteral("a.bas"));
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbCancel);
    EXPECT_FALSE(doc->Unload());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    const platform::MsgBoxCall& call = boxes.Calls()[0];
    EXPECT_EQ(call.prompt, QStringLiteral("Filename : ") + doc->Caption() + QStringLiteral("\nDo you save this program ?"));
    EXPECT_EQ(call.style, platform::vbYesNoCancel | platform::vbQuestion);
    EXPECT_EQ(call.title, QStringLiteral("Save"));
    EXPECT_TRUE(modAPI::CloseCancelled);
    EXPECT_EQ(Doc(1), doc);
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(doc->rt->LineText(0), QStringLiteral("NEW OLD"));
    EXPECT_EQ(FileBytes(doc->FileName), QByteArray("OLD\r\n"));
    EXPECT_EQ(TabKeys(), QStringList({"key1"}));
}

TEST_F(SavePromptTest, NoClosesWithoutSaving) {
    frmDoc* doc = ChangedFileDocument(QStringLiteral("b.bas"));
    const QString path = doc->FileName;
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbNo);
    EXPECT_TRUE(doc->Unload());
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_FALSE(modAPI::CloseCancelled);
    EXPECT_EQ(Doc(1), nullptr);
    EXPECT_EQ(FileBytes(path), QByteArray("OLD\r\n"));
}

TEST_F(SavePromptTest, YesSavesTheWindowsOwnDocumentThenCloses) {
    frmDoc* doc = ChangedFileDocument(QStringLiteral("c.bas"));
    const QString path = doc->FileName;
    // Another document is active: the question still saves this one.
    modApp::NewDocument();
    EXPECT_EQ(modApp::ActiveDoc, 2);
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbYes);
    EXPECT_TRUE(doc->Unload());
    EXPECT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(Doc(1), nullptr);
    EXPECT_EQ(FileBytes(path), QByteArray("NEW OLD\r\n"));
    EXPECT_FALSE(modAPI::CloseCancelled);
}

TEST_F(SavePromptTest, YesThatSavesNothingKeepsTheWindowOpen) {
    modApp::NewDocument();  // untitled: nothing to save it to without a name
    frmDoc* doc = Doc(1);
    QTest::keyClicks(doc->rt, QStringLiteral("GOTO MAIN"));
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbYes);
    ScriptedFileDialog files;
    files.Cancel();  // a Save As dialog, where there is one, is cancelled
    EXPECT_FALSE(doc->Unload());
    EXPECT_EQ(Doc(1), doc);
    EXPECT_TRUE(doc->Modified);
    EXPECT_TRUE(modAPI::CloseCancelled);
}

TEST_F(SavePromptTest, AnUnchangedDocumentClosesWithoutAQuestion) {
    modApp::NewDocument();
    ScriptedMsgBox boxes;  // any box would fail the test
    EXPECT_TRUE(Doc(1)->Unload());
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST_F(DocWindowTest, CommentsAndUncommentsTheSelectedLines) {
    modApp::NewDocument();
    frmDoc* doc = Doc(1);
    platform::CodeEditor* rt = doc->rt;
    rt->SetWholeText(QStringLiteral("MOVE G6A, 100\r\nPRINT \"it's\" ' note\r\nWAIT\r\nEND"));
    rt->PutCaret(0, 0);
    host_->tabs->setFocus();
    // Shift+Down twice and Shift+End select lines 0 to 2.
    QTest::keyClick(rt, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(rt, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(rt, Qt::Key_End, Qt::ShiftModifier);
    doc->CommentBlock();
    EXPECT_EQ(rt->WholeText(), QStringLiteral("'MOVE G6A, 100\r\n'PRINT \"it's\" ' note\r\n'WAIT\r\nEND"));
    EXPECT_EQ(rt->Selection(true).EndLineNo, 2);
    EXPECT_EQ(rt->window()->focusWidget(), rt);  // the editor has the window's focus

    // Uncomment removes every apostrophe of the selection, also inside the
    // string and before the trailing note.
    rt->SelectRange(0, 0, 2, 5);
    doc->UncommentBlock();
    EXPECT_EQ(rt->WholeText(), QStringLiteral("MOVE G6A, 100\r\nPRINT \"its\"  note\r\nWAIT\r\nEND"));

    // A selection that ends with its line break comments the next line's start too.
    rt->SelectRange(0, 0, 2, 0);
    doc->CommentBlock();
    EXPECT_EQ(rt->WholeText(), QStringLiteral("'MOVE G6A, 100\r\n'PRINT \"its\"  note\r\n'WAIT\r\nEND"));

    // Without a colouring language nothing happens.
    rt->SetLanguageName(QString());
    rt->SelectRange(3, 0, 3, 3);
    doc->CommentBlock();
    doc->UncommentBlock();
    EXPECT_EQ(rt->LineText(3), QStringLiteral("END"));
}

TEST_F(DocWindowTest, PositionHistoryGoesBackAndForth) {
    modApp::NewDocument();
    frmDoc* doc = Doc(1);
    platform::CodeEditor* rt = doc->rt;
    rt->SetWholeText(QStringLiteral("L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5\r\nL6\r\nL7\r\nL8\r\nL9\r\nL10"));
    rt->PutCaret(0, 0);
    // A fresh window has [0] at index 1: no previous and no next position.
    EXPECT_EQ(doc->History(), (std::vector<int32_t>{0}));
    EXPECT_EQ(doc->HistoryIndex(), 1);
    EXPECT_FALSE(doc->HasPrevPosition());
    EXPECT_FALSE(doc->HasNextPosition());
    doc->PrevLine();
    doc->NextLine();
    EXPECT_EQ(doc->HistoryIndex(), 1);

    // Clicking on lines 5 and 9, back twice (to line 0), then clicking on 7.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host_));
    ClickLine(rt, 5);
    ClickLine(rt, 9);
    EXPECT_EQ(doc->History(), (std::vector<int32_t>{0, 5, 9}));
    doc->PrevLine();
    EXPECT_EQ(rt->Selection(true).EndLineNo, 5);
    EXPECT_EQ(rt->Selection(true).EndColNo, 1);
    doc->PrevLine();
    EXPECT_EQ(rt->Selection(true).EndLineNo, 0);
    EXPECT_EQ(doc->HistoryIndex(), 1);
    EXPECT_TRUE(doc->HasNextPosition());
    doc->NextLine();
    EXPECT_EQ(rt->Selection(true).EndLineNo, 5);
    EXPECT_EQ(doc->HistoryIndex(), 2);
    doc->PrevLine();
    ClickLine(rt, 7);
    EXPECT_EQ(doc->History(), (std::vector<int32_t>{0, 5, 9, 7}));
    EXPECT_EQ(doc->HistoryIndex(), 4);
    EXPECT_FALSE(doc->HasNextPosition());
    doc->NextLine();
    EXPECT_EQ(doc->HistoryIndex(), 4);

    // Arrow keys record every line they pass.
    doc->ClearHistory();
    doc->RecordPosition(0);
    rt->PutCaret(0, 0);
    for (int i = 0; i < 3; ++i) QTest::keyClick(rt, Qt::Key_Down);
    EXPECT_EQ(doc->History(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(doc->HistoryIndex(), 4);
    EXPECT_EQ(doc->CurRange.EndLineNo, 3);
}

TEST_F(DocWindowTest, KeywordsOfBothLanguagesAreColouredInADocument) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    modApp::DefineEditorLanguage();
    modApp::NewDocument();
    QLocale::setDefault(QLocale::c());
    platform::CodeEditor* rt = Doc(1)->rt;
    rt->setFocus();
    // Typed one character at a time: Korean text cannot go through keyClicks.
    const QString program = QStringLiteral("반복 i = 1 TO 3 ' 세 번\n화면출력 \"안녕\"\nnext i");
    for (const QChar ch : program) {
        if (ch == u'\n') QTest::keyClick(rt, Qt::Key_Return);
        else QTest::sendKeyEvent(QTest::Click, rt, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
    ASSERT_EQ(rt->LineText(1), QStringLiteral("화면출력 \"안녕\""));
    struct Case {
        int line, col, style;
        int32_t colour;  // 0x00BBGGRR of the style's text
    } cases[] = {
        {0, 0, platform::tsKeyword, 16711680},   // 반복
        {0, 10, platform::tsKeyword, 16711680},  // TO
        {0, 15, platform::tsComment, 16711935},  // ' 세 번
        {1, 0, platform::tsKeyword, 16711680},   // 화면출력
        {1, 6, platform::tsString, 8388736},     // "안녕"
        {2, 0, platform::tsKeyword, 16711680},   // next, lower case
        {2, 5, platform::tsText, 0},             // i
    };
    for (const Case& c : cases) {
        const int style = rt->StyleAt(c.line, c.col);
        EXPECT_EQ(style, c.style) << c.line << ":" << c.col;
        EXPECT_EQ(rt->SendScintilla(platform::CodeEditor::SCI_STYLEGETFORE, static_cast<unsigned long>(style)),
                  static_cast<long>(c.colour))
            << c.line << ":" << c.col;
    }

    // With the English table only the English names are keywords.
    modApp::DefineEditorLanguage();
    EXPECT_EQ(rt->StyleAt(0, 0), platform::tsText);
    EXPECT_EQ(rt->StyleAt(0, 10), platform::tsKeyword);
}

}  // namespace
