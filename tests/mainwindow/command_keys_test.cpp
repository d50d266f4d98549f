// The main window's command keys pressed as a user presses them: real key
// events on the real widgets, with the focus in a document's editor and
// elsewhere in the window.  Each key runs its command once, the motion lock
// holds the controller keys back, the controller toolbar's keys reach the
// simulated controller, and the document commands follow the documents.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <memory>
#include <vector>

#include "ControllerSim.h"
#include "MainWindowFixture.h"
#include "documents/Documents.h"
#include "editor/DocTabStrip.h"
#include "editor/MenuItems.h"
#include "editor/ToolbarKeys.h"
#include "editor/frmDoc.h"
#include "mainwindow/MainWindowTools.h"
#include "platform/CodeEditor.h"

namespace {

// A main window whose document-host commands record their names instead of
// running.  The menus, the toolbars and the document windows' key handler
// all reach these same procedures, so the record shows every route.
class SpyMain : public frmMain {
public:
    QStringList calls;

    void new_Click() override { calls << "new_Click"; }
    void open_Click() override { calls << "open_Click"; }
    void save_Click() override { calls << "save_Click"; }
    void Prints_Click() override { calls << "Prints_Click"; }
    void undo_Click() override { calls << "undo_Click"; }
    void redo_Click() override { calls << "redo_Click"; }
    void selectall_Click() override { calls << "selectall_Click"; }
    void find_Click() override { calls << "find_Click"; }
    void mnuReplace_Click() override { calls << "mnuReplace_Click"; }
    void goto_Click() override { calls << "goto_Click"; }
    void findprev_Click() override { calls << "findprev_Click"; }
    void copy_Click() override { calls << "copy_Click"; }
    void cut_Click() override { calls << "cut_Click"; }
    void paste_Click() override { calls << "paste_Click"; }
    void mnuDown_Click() override { calls << "mnuDown_Click"; }
    void mnuMake_Click() override { calls << "mnuMake_Click"; }
    void mnuCurrentCapture_Click() override { calls << "mnuCurrentCapture_Click"; }
    void Motor_all_off() override { calls << "Motor_all_off"; }
    void Motor_sel_on() override { calls << "Motor_sel_on"; }
    void Motor_sel_in() override { calls << "Motor_sel_in"; }
};

class CommandKeysTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        saved_ = MainWindowTools::Windows();
        MainWindowTools::ToolWindows& w = MainWindowTools::Windows();
        auto record = [this](const char* name) { return [this, name] { slots_ << QString::fromLatin1(name); }; };
        auto recordShown = [this](const char* name) {
            return [this, name] {
                slots_ << QString::fromLatin1(name);
                return true;
            };
        };
        w.RunCurrentLine = record("RunCurrentLine");
        w.RunCurrentLineSingle = record("RunCurrentLineSingle");
        w.RunCurrentGroup = record("RunCurrentGroup");
        w.CaptureToMoveLine = record("CaptureToMoveLine");
        w.ShowAlignProgram = record("ShowAlignProgram");
        w.ShowMove32G6 = recordShown("ShowMove32G6");
        w.ShowMoveKestra = recordShown("ShowMoveKestra");
    }

    void TearDown() override {
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        spy_.reset();
        MainWindowTools::Windows() = saved_;
        MainWindowTest::TearDown();
    }

    // The spying main window, started as the program starts it, active.
    SpyMain& StartSpy() {
        spy_ = std::make_unique<SpyMain>();
        spy_->MDIForm_Load();
        spy_->show();
        spy_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(spy_.get()));
        return *spy_;
    }

    static platform::CodeEditor* ActiveEditor() {
        frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
        return doc ? doc->rt : nullptr;
    }

    // Presses a key on the widget that has the focus, as the keyboard does.
    static void Press(QWidget* focus, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        focus->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), focus);
        QTest::keyClick(focus, key, modifiers);
        QApplication::processEvents();
    }

    QStringList slots_;
    MainWindowTools::ToolWindows saved_;
    std::unique_ptr<SpyMain> spy_;
};

struct KeyCase {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char* inEditor;   // the command with the focus in the editor
    const char* elsewhere;  // the command with the focus elsewhere ("" none)
};

// The document window's keys.  F11 and F12 run the procedure of their own
// name from the editor; from elsewhere they reach the menu items, whose
// captions and procedures are crossed.  F10 has no menu shortcut.
const KeyCase kDocumentKeys[] = {
    {Qt::Key_N, Qt::ControlModifier, "new_Click", "new_Click"},
    {Qt::Key_O, Qt::ControlModifier, "open_Click", "open_Click"},
    {Qt::Key_S, Qt::ControlModifier, "save_Click", "save_Click"},
    {Qt::Key_P, Qt::ControlModifier, "Prints_Click", "Prints_Click"},
    {Qt::Key_Z, Qt::ControlModifier, "undo_Click", "undo_Click"},
    {Qt::Key_Y, Qt::ControlModifier, "redo_Click", "redo_Click"},
    {Qt::Key_A, Qt::ControlModifier, "selectall_Click", "selectall_Click"},
    {Qt::Key_F, Qt::ControlModifier, "find_Click", "find_Click"},
    {Qt::Key_H, Qt::ControlModifier, "mnuReplace_Click", "mnuReplace_Click"},
    {Qt::Key_G, Qt::ControlModifier, "goto_Click", "goto_Click"},
    {Qt::Key_F3, Qt::ControlModifier, "findprev_Click", "findprev_Click"},
    {Qt::Key_C, Qt::ControlModifier, "copy_Click", "copy_Click"},
    {Qt::Key_X, Qt::ControlModifier, "cut_Click", "cut_Click"},
    {Qt::Key_V, Qt::ControlModifier, "paste_Click", "paste_Click"},
    {Qt::Key_D, Qt::ControlModifier, "mnuDown_Click", "mnuDown_Click"},
    {Qt::Key_F2, Qt::NoModifier, "mnuMake_Click", "mnuMake_Click"},
    {Qt::Key_F4, Qt::NoModifier, "mnuCurrentCapture_Click", "mnuCurrentCapture_Click"},
    {Qt::Key_F10, Qt::NoModifier, "Motor_all_off", ""},
    {Qt::Key_F11, Qt::NoModifier, "Motor_sel_on", "Motor_sel_in"},
    {Qt::Key_F12, Qt::NoModifier, "Motor_sel_in", "Motor_sel_on"},
};

TEST_F(CommandKeysTest, EachDocumentKeyRunsItsCommandOnceWhereverTheFocusIs) {
    SpyMain& w = StartSpy();
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    for (const KeyCase& c : kDocumentKeys) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        w.calls.clear();
        Press(rt, c.key, c.modifiers);
        EXPECT_EQ(w.calls, QStringList{c.inEditor});

        w.calls.clear();
        Press(w.TB, c.key, c.modifiers);
        const QStringList expected = *c.elsewhere ? QStringList{c.elsewhere} : QStringList{};
        EXPECT_EQ(w.calls, expected);
    }
    EXPECT_TRUE(slots_.isEmpty());
}

// Keys that only the menus own reach their items from the editor as well,
// once.
TEST_F(CommandKeysTest, MenuKeysRunTheirItemOnceFromTheEditorAndElsewhere) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QStringList calls;  // host commands
        QStringList tools;  // tool-window slots
    };
    const Case cases[] = {
        {Qt::Key_F5, Qt::NoModifier, {}, {"RunCurrentLineSingle"}},
        {Qt::Key_F6, Qt::NoModifier, {}, {"RunCurrentGroup"}},
        {Qt::Key_F7, Qt::NoModifier, {}, {"ShowMove32G6"}},
        {Qt::Key_F7, Qt::ControlModifier, {}, {"ShowMoveKestra"}},
        {Qt::Key_F8, Qt::NoModifier, {}, {"ShowAlignProgram"}},
        {Qt::Key_F9, Qt::NoModifier, {"mnuMake_Click", "mnuDown_Click"}, {}},
    };
    SpyMain& w = StartSpy();
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    for (const Case& c : cases) {
        for (QWidget* focus : {static_cast<QWidget*>(rt), static_cast<QWidget*>(w.TB)}) {
            SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString() + " on " +
                         focus->objectName().toStdString());
            w.MotionUnlock();
            w.calls.clear();
            slots_.clear();
            Press(focus, c.key, c.modifiers);
            EXPECT_EQ(w.calls, c.calls);
            EXPECT_EQ(slots_, c.tools);
        }
    }
    w.MotionUnlock();
}

// The hidden add-on programs' items take their keys, Shift+F1 to Shift+F9
// and Shift+F11, from the editor and from elsewhere: each key clicks its
// item once and runs nothing else; but the document window takes F11 with
// any modifiers, so in the editor Shift+F11 switches the servos on instead.
TEST_F(CommandKeysTest, AddOnKeysClickTheirItems) {
    struct Case {
        Qt::Key key;
        int item;              // the add-on item the key clicks
        const char* inEditor;  // the host command it runs instead from the editor ("" none)
    };
    const Case cases[] = {
        {Qt::Key_F1, 0, ""}, {Qt::Key_F2, 1, ""}, {Qt::Key_F3, 2, ""}, {Qt::Key_F4, 3, ""},
        {Qt::Key_F5, 4, ""}, {Qt::Key_F6, 5, ""}, {Qt::Key_F7, 6, ""}, {Qt::Key_F8, 7, ""},
        {Qt::Key_F9, 8, ""}, {Qt::Key_F11, 9, "Motor_sel_on"},
    };
    SpyMain& w = StartSpy();
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    ASSERT_FALSE(w.mnuAddOn->menuAction()->isVisible());
    std::vector<int> clicked;
    for (int i = 0; i < 10; ++i)
        QObject::connect(w.mnuAddOnProgram[i], &QAction::triggered, &w, [&clicked, i] { clicked.push_back(i); });
    for (const Case& c : cases) {
        for (QWidget* focus : {static_cast<QWidget*>(rt), static_cast<QWidget*>(w.TB)}) {
            SCOPED_TRACE(QKeySequence(Qt::SHIFT | c.key).toString().toStdString() + " on " +
                         focus->objectName().toStdString());
            const bool taken = focus == rt && *c.inEditor;
            w.calls.clear();
            slots_.clear();
            clicked.clear();
            Press(focus, c.key, Qt::ShiftModifier);
            EXPECT_EQ(clicked, taken ? std::vector<int>{} : std::vector<int>{c.item});
            EXPECT_EQ(w.calls, taken ? QStringList{c.inEditor} : QStringList{});
            EXPECT_EQ(slots_, QStringList{});
        }
    }
}

// While a motion window holds the port, the controller keys do nothing,
// from the editor and from the menus alike; the lock's end frees them.
TEST_F(CommandKeysTest, MotionLockHoldsTheControllerKeysBack) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Case locked[] = {
        {Qt::Key_F2, Qt::NoModifier},  {Qt::Key_F4, Qt::NoModifier},     {Qt::Key_F5, Qt::NoModifier},
        {Qt::Key_F6, Qt::NoModifier},  {Qt::Key_F10, Qt::NoModifier},    {Qt::Key_F11, Qt::NoModifier},
        {Qt::Key_F12, Qt::NoModifier}, {Qt::Key_D, Qt::ControlModifier}, {Qt::Key_F9, Qt::NoModifier},
        {Qt::Key_F7, Qt::NoModifier},
    };
    SpyMain& w = StartSpy();
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    w.mnuMotorControlKESTRA->trigger();  // the motion window opens and locks
    ASSERT_EQ(slots_, QStringList{"ShowMoveKestra"});
    ASSERT_TRUE(w.MotionLocked());
    slots_.clear();
    for (const Case& c : locked) {
        for (QWidget* focus : {static_cast<QWidget*>(rt), static_cast<QWidget*>(w.TB)}) {
            SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString() + " on " +
                         focus->objectName().toStdString());
            Press(focus, c.key, c.modifiers);
            EXPECT_TRUE(w.calls.isEmpty()) << w.calls.join(' ').toStdString();
            EXPECT_TRUE(slots_.isEmpty()) << slots_.join(' ').toStdString();
        }
    }
    // The editor's own keys and the document commands stay free.
    rt->SetWholeText(QString());
    Press(rt, Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(rt->WholeText(), "a");
    Press(rt, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(w.calls, QStringList{"save_Click"});

    w.MotionUnlock();
    w.calls.clear();
    Press(rt, Qt::Key_F2, Qt::NoModifier);
    Press(w.TB, Qt::Key_F5, Qt::NoModifier);
    EXPECT_EQ(w.calls, QStringList{"mnuMake_Click"});
    EXPECT_EQ(slots_, QStringList{"RunCurrentLineSingle"});
}

// Run, stop and reset from the controller toolbar put their command on the
// line to the controller.
TEST_F(CommandKeysTest, ControllerToolbarKeysReachTheController) {
    ControllerSim sim;
    ASSERT_TRUE(sim.ok());
    const QByteArray savedPort = qgetenv("QVV2_COM1");
    qputenv("QVV2_COM1", QByteArray::fromStdString(sim.slavePath()));
    frmMain& w = Start();
    struct Case {
        const char* key;
        int (ControllerSim::*count)() const;
    };
    const Case cases[] = {
        {"run", &ControllerSim::runCount},
        {"stop", &ControllerSim::stopCount},
        {"reset", &ControllerSim::resetCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const int before = (sim.*c.count)();
        sim.clearLogs();
        frmMain::Button(w.tBar3, QString::fromLatin1(c.key))->trigger();
        EXPECT_TRUE(sim.waitIdle(30000));
        EXPECT_FALSE(sim.received().empty());
        EXPECT_EQ((sim.*c.count)(), before + 1);
    }
    EXPECT_TRUE(Boxes().Calls().empty());
    if (savedPort.isNull())
        qunsetenv("QVV2_COM1");
    else
        qputenv("QVV2_COM1", savedPort);
}

// ---- Command state ----------------------------------------------------------

const char* const kDocMenuItems[] = {
    "close",    "save",       "saveas", "saveall",    "prints",       "printsetup", "undo",       "redo",  "cut",
    "copy",     "paste",      "delete", "mnuComment", "mnuUncomment", "selectall",  "selectline", "find",  "findnext",
    "findprev", "mnuReplace", "goto",   "tilehor",    "tilever",      "cascade",    "closeall",   "wnlist"};
const char* const kFileKeys[] = {"close", "save", "saveas", "saveall", "print", "tilehor", "tilever", "cascade"};
const char* const kEditKeys[] = {"delete", "find",   "findnext", "findprev", "tabl",   "tabr",
                                 "cblock", "ublock", "tbmark",   "nbmark",   "pbmark", "cbmark"};

QAction* Item(frmMain& w, const char* name) {
    for (QAction* a : w.findChildren<QAction*>(QString::fromLatin1(name)))
        if (!a->menu()) return a;
    return nullptr;
}

// Every document item and key is in state `on`.
void ExpectDocumentCommands(frmMain& w, bool on) {
    for (const char* name : kDocMenuItems) {
        QAction* a = Item(w, name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->isEnabled(), on) << name;
    }
    for (const char* key : kFileKeys) EXPECT_EQ(frmMain::Button(w.tBar, key)->isEnabled(), on) << key;
    for (const char* key : kEditKeys) EXPECT_EQ(frmMain::Button(w.tbar2, key)->isEnabled(), on) << key;
}

TEST_F(CommandKeysTest, DocumentCommandsFollowTheDocuments) {
    frmMain& w = Start();
    ExpectDocumentCommands(w, true);
    w.new_Click();
    ASSERT_EQ(w.mdi->subWindowList().size(), 2);

    // Closing one of two leaves the other active: everything stays on.
    w.close_Click();
    ExpectDocumentCommands(w, true);

    // Closing the last one switches the set off, the edit keys with it, and
    // the keys stay dead.
    w.close_Click();
    ASSERT_TRUE(w.mdi->subWindowList().isEmpty());
    ExpectDocumentCommands(w, false);
    for (const char* key : {"undo", "redo", "cut", "copy", "paste"})
        EXPECT_FALSE(frmMain::Button(w.tbar2, key)->isEnabled()) << key;
    // Items and keys that act without a document stay on.
    for (QAction* a : {w.new_, w.open, w.exit, w.mnuMake}) EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(frmMain::Button(w.tBar, "new")->isEnabled());

    // A new document switches them on again; the editing keys follow its
    // empty editor.
    frmMain::Button(w.tBar, "new")->trigger();
    ExpectDocumentCommands(w, true);
    EXPECT_FALSE(frmMain::Button(w.tbar2, "undo")->isEnabled());
    EXPECT_FALSE(frmMain::Button(w.tbar2, "redo")->isEnabled());
    EXPECT_FALSE(frmMain::Button(w.tbar2, "cut")->isEnabled());
}

// Once the last document has closed, the keys that act without a document
// are the only ones left on, on every toolbar; a new document brings back
// all but the editing keys its empty editor cannot use.
TEST_F(CommandKeysTest, WithoutADocumentOnlyTheKeysThatNeedNoneStayOn) {
    frmMain& w = Start();
    const QStringList controllerKeys = {"compile",     "download", "runall",  "coninfo", "motor",
                                        "linecontrol", "memclear", "reset",   "run",     "stop",
                                        "motor_off",   "motor_on", "motor_in"};
    const QStringList editingKeys = {"undo", "redo", "cut", "copy"};
    struct Toolbar {
        QToolBar* bar;
        QStringList onWithout;  // on without a document
        QStringList offWith;    // off with a new, empty document
    };
    const Toolbar toolbars[] = {
        {w.tBar, {"new", "open", "help", "Note"}, {}},
        {w.tbar2, {}, editingKeys},
        {w.tBar3, controllerKeys, {}},
    };
    auto expectKeys = [&](bool document) {
        for (const Toolbar& t : toolbars) {
            for (QAction* a : t.bar->actions()) {
                const QString key = a->property("Key").toString();
                // A hidden key (help, without a help file) is never on; the
                // humanoid key follows the model, paste the clipboard.
                if (a->isSeparator() || !a->isVisible() || key == "kestra" || (document && key == "paste")) continue;
                const bool on = document ? !t.offWith.contains(key) : t.onWithout.contains(key);
                EXPECT_EQ(a->isEnabled(), on) << (document ? "with " : "without ") << key.toStdString();
            }
        }
    };
    w.close_Click();
    ASSERT_TRUE(w.mdi->subWindowList().isEmpty());
    expectKeys(false);
    w.new_Click();
    ASSERT_EQ(w.mdi->subWindowList().size(), 1);
    expectKeys(true);
}

// "close" marks the whole set: an enable with "close" already on touches
// nothing else.
TEST_F(CommandKeysTest, EnablingTwiceDoesTheWorkOnce) {
    frmMain& w = Start();
    w.save->setEnabled(false);
    frmMain::Button(w.tBar, "save")->setEnabled(false);
    w.new_Click();  // activation enables, but the marker is already on
    EXPECT_FALSE(w.save->isEnabled());
    EXPECT_FALSE(frmMain::Button(w.tBar, "save")->isEnabled());
}

// The command state and the key handlers find the main window's items and
// keys by the names of the menu table and the toolbars' table: each name
// there (each element of an item array) names exactly one item or key here,
// each item has the table's shortcut, and no item has a shortcut the table
// does not give it, the hidden add-on programs' items included.
TEST_F(CommandKeysTest, EveryNameInTheTablesNamesOneControl) {
    frmMain& w = Start();
    // An element's index in its item array, -1 for an item of its own.
    auto indexOf = [](const QAction* a) {
        const QVariant index = a->property("Index");
        return index.isValid() ? index.toInt() : -1;
    };
    for (const MenuItems::Item& item : MenuItems::kItems) {
        if (!item.name) continue;
        SCOPED_TRACE(std::string(item.name) + " " + std::to_string(item.index));
        QList<QAction*> named;
        for (QAction* a : w.findChildren<QAction*>(QString::fromLatin1(item.name)))
            if (!a->menu() && indexOf(a) == item.index) named << a;
        ASSERT_EQ(named.size(), 1);
        EXPECT_EQ(named[0]->shortcut(), item.HasKey() ? QKeySequence(item.key) : QKeySequence());
    }
    // The menus' items, and the actions the window holds itself.
    QList<QAction*> keyed = w.actions();
    for (QMenu* menu : w.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) keyed << menu->actions();
    for (QAction* a : keyed) {
        if (a->shortcut().isEmpty()) continue;
        const MenuItems::Item* item = MenuItems::Find(a->objectName().toLatin1().constData(), indexOf(a));
        EXPECT_TRUE(item && item->HasKey()) << a->objectName().toStdString() << " " << indexOf(a);
    }
    for (const ToolbarKeys::Toolbar& toolbar : ToolbarKeys::kToolbars) {
        SCOPED_TRACE(toolbar.name);
        const QList<QToolBar*> bars = w.findChildren<QToolBar*>(QString::fromLatin1(toolbar.name));
        ASSERT_EQ(bars.size(), 1);
        for (const ToolbarKeys::Key& k : toolbar) {
            if (!k.key) continue;
            const QList<QAction*> buttons = bars[0]->actions();
            EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(),
                                    [&k](QAction* a) { return a->property("Key").toString() == QLatin1String(k.key); }),
                      1)
                << k.key;
        }
    }
}

// Typing and undoing with real keys: the undo key follows the editor.
TEST_F(CommandKeysTest, UndoKeyFollowsTypingAndUndoing) {
    frmMain& w = Start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    platform::CodeEditor* rt = ActiveEditor();
    ASSERT_NE(rt, nullptr);
    QAction* undoKey = frmMain::Button(w.tbar2, "undo");
    QAction* redoKey = frmMain::Button(w.tbar2, "redo");
    EXPECT_FALSE(undoKey->isEnabled());

    Press(rt, Qt::Key_Q, Qt::NoModifier);
    QTest::keyClicks(rt, "W");
    EXPECT_TRUE(undoKey->isEnabled());
    EXPECT_FALSE(redoKey->isEnabled());
    // A caret move keeps the state the editor reports.
    QTest::keyClick(rt, Qt::Key_Left);
    EXPECT_TRUE(undoKey->isEnabled());

    // Ctrl+Z until nothing is left to undo.
    for (int i = 0; i < 5 && rt->CanUndo(); ++i) QTest::keyClick(rt, Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(rt->WholeText(), "");
    QTest::keyClick(rt, Qt::Key_Right);
    EXPECT_FALSE(undoKey->isEnabled());
    EXPECT_TRUE(redoKey->isEnabled());

    // The toolbar's own redo refreshes both keys at once.
    while (rt->CanRedo()) redoKey->trigger();
    EXPECT_TRUE(undoKey->isEnabled());
    EXPECT_FALSE(redoKey->isEnabled());
}

}  // namespace
