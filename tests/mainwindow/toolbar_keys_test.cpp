// The three toolbars of the main window: every key runs its handler through
// its toolbar's table and shows a picture of its own, buttons are found by
// key wherever they stand, and a key no table holds does nothing.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <functional>

#include "MainWindowFixture.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "mainwindow/ImageList.h"
#include "mainwindow/MainWindowTools.h"
#include "platform/CodeEditor.h"

namespace {

class ToolbarKeysTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        saved_ = MainWindowTools::Windows();
        // Every slot records its name instead of opening a window or talking
        // to a controller.
        MainWindowTools::ToolWindows& w = MainWindowTools::Windows();
        auto record = [this](const char* name) { return [this, name] { calls_ << QString::fromLatin1(name); }; };
        auto recordShown = [this](const char* name) {
            return [this, name] {
                calls_ << QString::fromLatin1(name);
                return true;
            };
        };
        w.ShowDebugScreen = record("ShowDebugScreen");
        w.ShowControllerInfo = record("ShowControllerInfo");
        w.ShowPortSettings = record("ShowPortSettings");
        w.ShowObjectView = record("ShowObjectView");
        w.ShowLineObjectView = record("ShowLineObjectView");
        w.ShowAlignProgram = record("ShowAlignProgram");
        w.ShowNote = record("ShowNote");
        w.ClearMemory = record("ClearMemory");
        w.RunCurrentLine = record("RunCurrentLine");
        w.RunCurrentLineSingle = record("RunCurrentLineSingle");
        w.RunCurrentGroup = record("RunCurrentGroup");
        w.CaptureToMoveLine = record("CaptureToMoveLine");
        w.ShowMove32G6 = recordShown("ShowMove32G6");
        w.ShowMoveKestra = recordShown("ShowMoveKestra");
        w.ShowZero32 = recordShown("ShowZero32");
        w.ShowZeroKestra = recordShown("ShowZeroKestra");
    }

    void TearDown() override {
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        MainWindowTools::Windows() = saved_;
        MainWindowTest::TearDown();
    }

    // Clicks the button with `key` as the user does: the toolbar reports the
    // triggered action to its click handler.
    static void Click(QToolBar* bar, const QString& key) {
        QAction* button = frmMain::Button(bar, key);
        ASSERT_NE(button, nullptr) << key.toStdString();
        button->trigger();
    }

    static platform::CodeEditor* ActiveEditor() {
        frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
        return doc ? doc->rt : nullptr;
    }

    int OpenWindows() {
        int n = 0;
        for (QMdiSubWindow* w : Main().mdi->subWindowList())
            if (w->isVisible()) ++n;
        return n;
    }

    QStringList calls_;
    MainWindowTools::ToolWindows saved_;
};

TEST_F(ToolbarKeysTest, ControllerKeysShowThePortAndRunTheMenuHandlers) {
    struct Case {
        const char* key;
        const char* call;  // the slot the handler reaches
    };
    const Case cases[] = {
        {"coninfo", "ShowControllerInfo"}, {"memclear", "ClearMemory"},  {"linecontrol", "RunCurrentLineSingle"},
        {"motor", "ShowMove32G6"},         {"kestra", "ShowMoveKestra"},
    };
    frmMain& w = Start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        calls_.clear();
        w.MotionUnlock();
        w.Panel(2)->setText(QString());
        Click(w.tBar3, QString::fromLatin1(c.key));
        EXPECT_EQ(w.Panel(2)->text(), "COM 1");
        EXPECT_EQ(calls_, QStringList{QString::fromLatin1(c.call)});
    }
    // The motion keys lock the menus and the controller toolbar, as the
    // menu items do.
    EXPECT_FALSE(w.tBar3->isEnabled());
    EXPECT_FALSE(w.mnuBuild->menuAction()->isEnabled());
    w.MotionUnlock();
}

TEST_F(ToolbarKeysTest, ControllerKeysWithoutADocumentDoNothingButShowThePort) {
    frmMain& w = Start();
    w.close_Click();  // the start-up's new document
    ASSERT_EQ(modApp::ActiveDoc, 0);
    // motor_off and motor_on need no document: they switch servos.
    for (const char* key : {"compile", "download", "runall", "motor_in"}) {
        SCOPED_TRACE(key);
        w.Panel(2)->setText(QString());
        Click(w.tBar3, QString::fromLatin1(key));
        EXPECT_EQ(w.Panel(2)->text(), "COM 1");
    }
    EXPECT_TRUE(calls_.isEmpty());
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(ToolbarKeysTest, FileKeysRunTheFileCommands) {
    frmMain& w = Start();
    w.close_Click();  // the start-up's new document
    ASSERT_EQ(OpenWindows(), 0);
    // Without a document, close and print do nothing.
    Click(w.tBar, "close");
    Click(w.tBar, "print");
    EXPECT_TRUE(Boxes().Calls().empty());

    Click(w.tBar, "new");
    Click(w.tBar, "new");
    EXPECT_EQ(OpenWindows(), 2);
    EXPECT_EQ(modApp::Docs(modApp::ActiveDoc)->Caption(), "Untitled2.bas");

    // Save As through the main window's own dialog.
    const QString path = HomeFile("walk.bas");
    ActiveEditor()->SetWholeText("GOTO MAIN\r\n");
    Dialogs().Choose(path);
    Click(w.tBar, "saveas");
    ASSERT_EQ(Dialogs().Calls().size(), 1u);
    EXPECT_TRUE(Dialogs().Calls()[0].save);
    EXPECT_EQ(Dialogs().Calls()[0].title, "Save As...[Untitled2.bas]");
    EXPECT_EQ(w.cd.FileName, path);
    EXPECT_EQ(ReadAll(path), QByteArray("GOTO MAIN\r\n"));

    // Save writes under the bound name without a dialog.
    ActiveEditor()->SetWholeText("GOTO WALK\r\n");
    Click(w.tBar, "save");
    EXPECT_EQ(ReadAll(path), QByteArray("GOTO WALK\r\n"));
    EXPECT_EQ(Dialogs().Calls().size(), 1u);

    // The arrange keys leave the maximised state of later windows alone.
    for (const char* key : {"tilehor", "tilever", "cascade"}) {
        Click(w.tBar, QString::fromLatin1(key));
        EXPECT_EQ(modMain::DocWindowState, 2) << key;
    }

    Click(w.tBar, "Note");
    EXPECT_EQ(calls_, QStringList{"ShowNote"});

    Click(w.tBar, "close");
    EXPECT_EQ(OpenWindows(), 1);

    // Open: a cancelled dialog opens nothing, a chosen file opens.
    Dialogs().Cancel();
    Click(w.tBar, "open");
    EXPECT_EQ(OpenWindows(), 1);
    Dialogs().Choose(path);
    Click(w.tBar, "open");
    EXPECT_EQ(OpenWindows(), 2);
    EXPECT_EQ(modApp::Docs(modApp::ActiveDoc)->FileName, path);
    EXPECT_EQ(Dialogs().Pending(), 0u);
}

TEST_F(ToolbarKeysTest, TheWindowMenuArrangesAndClearsTheMaximisedState) {
    frmMain& w = Start();
    Click(w.tBar, "new");
    ASSERT_EQ(modMain::DocWindowState, 2);
    w.tilever->trigger();
    EXPECT_EQ(modMain::DocWindowState, 0);
}

TEST_F(ToolbarKeysTest, EditKeysActOnTheActiveEditor) {
    frmMain& w = Start();
    w.close_Click();  // the start-up's new document
    // Without a document every edit key does nothing.
    for (QAction* a : w.tbar2->actions())
        if (!a->isSeparator()) w.tbar2_ButtonClick(a);

    Click(w.tBar, "new");
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    rt->SetWholeText("A = 1\r\nB = 2\r\n");

    // Indent and unindent the selected lines.
    rt->SelectRange(0, 0, 1, 5);
    Click(w.tbar2, "tabl");
    EXPECT_TRUE(rt->WholeText().startsWith(u'\t') || rt->WholeText().startsWith(u' ')) << rt->WholeText().toStdString();
    Click(w.tbar2, "tabr");
    EXPECT_EQ(rt->WholeText(), "A = 1\r\nB = 2\r\n");

    // Cut and paste move the selection.
    rt->SelectRange(1, 0, 1, 5);
    Click(w.tbar2, "cut");
    EXPECT_EQ(rt->WholeText(), "A = 1\r\n\r\n");
    rt->PutCaret(0, 0);
    Click(w.tbar2, "paste");
    EXPECT_EQ(rt->WholeText(), "B = 2A = 1\r\n\r\n");

    // Undo takes the paste back and keeps the undo button in step.
    Click(w.tbar2, "undo");
    EXPECT_EQ(rt->WholeText(), "A = 1\r\n\r\n");
    EXPECT_EQ(frmMain::Button(w.tbar2, "undo")->isEnabled(), rt->CanUndo());
    EXPECT_TRUE(frmMain::Button(w.tbar2, "redo")->isEnabled());
    Click(w.tbar2, "redo");
    EXPECT_EQ(rt->WholeText(), "B = 2A = 1\r\n\r\n");
    EXPECT_FALSE(frmMain::Button(w.tbar2, "redo")->isEnabled());

    // The bookmark margin shows while a bookmark exists.
    rt->PutCaret(1, 0);
    Click(w.tbar2, "tbmark");
    EXPECT_TRUE(rt->LineHasBookmark(1));
    EXPECT_TRUE(rt->BookmarkMarginShown());
    Click(w.tbar2, "tbmark");
    EXPECT_FALSE(rt->LineHasBookmark(1));
    EXPECT_FALSE(rt->BookmarkMarginShown());
    Click(w.tbar2, "tbmark");
    Click(w.tbar2, "cbmark");
    EXPECT_FALSE(rt->LineHasBookmark(1));
    EXPECT_FALSE(rt->BookmarkMarginShown());
}

TEST_F(ToolbarKeysTest, KeysAreComparedExactlyAndUnknownKeysDoNothing) {
    frmMain& w = Start();
    w.close_Click();  // the start-up's new document
    QAction stranger;
    for (const char* key : {"note", "NEW", "", "compile "}) {
        SCOPED_TRACE(key);
        stranger.setProperty("Key", QString::fromLatin1(key));
        w.tBar_ButtonClick(&stranger);
        w.tbar2_ButtonClick(&stranger);
        w.tBar3_ButtonClick(&stranger);
    }
    w.tBar_ButtonClick(nullptr);
    w.tbar2_ButtonClick(nullptr);
    w.tBar3_ButtonClick(nullptr);
    EXPECT_EQ(OpenWindows(), 0);
    EXPECT_TRUE(calls_.isEmpty());
    EXPECT_TRUE(Dialogs().Calls().empty());
    // A key of another toolbar is unknown to this one.
    stranger.setProperty("Key", QStringLiteral("Note"));
    w.tBar3_ButtonClick(&stranger);
    EXPECT_TRUE(calls_.isEmpty());
    w.tBar_ButtonClick(&stranger);
    EXPECT_EQ(calls_, QStringList{"ShowNote"});
}

TEST_F(ToolbarKeysTest, EveryKeyShowsAPictureOfItsOwn) {
    frmMain& w = Start();
    QMap<int, QString> owners;  // image number -> key
    for (QToolBar* bar : {w.tBar, w.tbar2, w.tBar3}) {
        for (QAction* a : bar->actions()) {
            if (a->isSeparator()) continue;
            const QString key = a->property("Key").toString();
            const int image = a->property("Image").toInt();
            SCOPED_TRACE(key.toStdString());
            EXPECT_TRUE(w.img->Has(image)) << image;
            EXPECT_FALSE(a->icon().isNull());
            EXPECT_FALSE(owners.contains(image))
                << "image " << image << " also on " << owners.value(image).toStdString();
            owners.insert(image, key);
        }
    }
}

TEST_F(ToolbarKeysTest, ButtonsAreFoundByKeyWhereverTheyStand) {
    frmMain& w = Start();
    EXPECT_EQ(frmMain::Button(w.tBar, "nothing"), nullptr);
    EXPECT_EQ(frmMain::Button(nullptr, "new"), nullptr);
    EXPECT_EQ(frmMain::SeparatorBefore(w.tBar, "new"), nullptr);   // first button
    EXPECT_EQ(frmMain::SeparatorBefore(w.tBar, "open"), nullptr);  // a button in front
    EXPECT_EQ(frmMain::SeparatorBefore(w.tBar, "nothing"), nullptr);
    QAction* separator = frmMain::SeparatorBefore(w.tBar, "save");
    ASSERT_NE(separator, nullptr);
    EXPECT_TRUE(separator->isSeparator());

    // A button added in front moves every other one; the model set-up still
    // dresses the "kestra" button and no other.
    QAction* first = w.tBar3->actions().first();
    auto* extra = new QAction(w.tBar3);
    extra->setProperty("Key", QStringLiteral("extra"));
    w.tBar3->insertAction(first, extra);
    frmMain::Button(w.tBar3, "kestra")->setToolTip(QString());
    frmMain::Button(w.tBar3, "stop")->setToolTip(QStringLiteral("stop tip"));
    w.mnuVX32_Click();
    EXPECT_EQ(frmMain::Button(w.tBar3, "kestra")->toolTip(), "VORTAN");
    EXPECT_EQ(frmMain::Button(w.tBar3, "kestra")->property("Image").toInt(), 61);
    EXPECT_EQ(frmMain::Button(w.tBar3, "stop")->toolTip(), "stop tip");
    EXPECT_EQ(extra->toolTip(), QString());
}

}  // namespace

// The undo and redo keys follow the editor after every change of its text,
// also after one that leaves the caret where it was: the Delete key, Replace
// All through the real dialog, the Edit menu's Undo and Redo.
TEST_F(ToolbarKeysTest, UndoAndRedoKeysFollowChangesThatLeaveTheCaret) {
    const QString path = HomeFile("walk.bas");
    WriteAll(path, "SPEED 100\r\nMOVE G6A, 100, 100\r\nEND\r\n");
    frmMain& w = Start(path);
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    QAction* undoKey = frmMain::Button(w.tbar2, "undo");
    QAction* redoKey = frmMain::Button(w.tbar2, "redo");
    ASSERT_TRUE(undoKey && redoKey);

    // An edit taken back: undo off, redo on.  The caret then stands before
    // the numbers, which an equally long replacement leaves at its place.
    rt->ReplaceSelectedText(QStringLiteral("X"));
    rt->Undo();
    rt->PutCaret(0, 0);
    w.UpdateToolbarState();
    ASSERT_FALSE(undoKey->isEnabled());
    ASSERT_TRUE(redoKey->isEnabled());

    platform::CodeEditor::SetDialogResponder([](QDialog& d) {
        if (d.objectName() != QStringLiteral("replaceDialog")) return int(QDialog::Rejected);
        d.findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("100"));
        d.findChild<QLineEdit*>(QStringLiteral("replaceText"))->setText(QStringLiteral("120"));
        d.findChild<QPushButton*>(QStringLiteral("replaceAll"))->click();
        return int(QDialog::Accepted);
    });
    const QString before = QStringLiteral("SPEED 100\r\nMOVE G6A, 100, 100\r\nEND\r\n");
    const QString replaced = QStringLiteral("SPEED 120\r\nMOVE G6A, 120, 120\r\nEND\r\n");
    struct Step {
        const char* what;
        std::function<void()> run;
        QString text;
        bool canUndo;
        bool canRedo;
    };
    const Step steps[] = {
        {"Delete key", [rt] { QTest::keyClick(rt, Qt::Key_Delete); }, before.mid(1), true, false},
        {"Edit > Undo", [&w] { w.undo->trigger(); }, before, false, true},
        {"Replace All", [&w, rt] { rt->PutCaret(0, 0); w.mnuReplace->trigger(); }, replaced, true, false},
        {"Edit > Undo", [&w] { w.undo->trigger(); }, before, false, true},
        {"Edit > Redo", [&w] { w.redo->trigger(); }, replaced, true, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.run();
        EXPECT_EQ(rt->WholeText(), s.text);
        EXPECT_EQ(rt->CanUndo(), s.canUndo);
        EXPECT_EQ(rt->CanRedo(), s.canRedo);
        EXPECT_EQ(undoKey->isEnabled(), s.canUndo);
        EXPECT_EQ(redoKey->isEnabled(), s.canRedo);
    }
    platform::CodeEditor::SetDialogResponder({});
}
