// frmDoc: the command state of the main window's menus and toolbar keys, and
// the procedures of DocCommandState that switch them.
#include "editor/DocCommandState.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QToolBar>

#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"

namespace {

// The menu items that act on a document, in the order they are switched.
const char* const kDocMenus[] = {
    // File
    "close", "save", "saveas", "saveall", "prints", "printsetup",
    // Edit
    "undo", "redo", "cut", "copy", "paste", "delete", "mnuComment", "mnuUncomment", "selectall", "selectline",
    // Search
    "find", "findnext", "findprev", "mnuReplace", "goto",
    // Window
    "tilehor", "tilever", "cascade", "closeall", "wnlist"};

// The keys switched off when the last document unloads.  "nline", "pline",
// "ctag" and "reload" are on neither toolbar today; a toolbar that gains
// them has them switched off here and on again by the activation's edit-key
// refresh or its own rule.
const char* const kDisableFileKeys[] = {"close",  "save",  "saveas", "saveall", "print",   "undo",     "redo",
                                        "cut",    "copy",  "paste",  "delete",  "find",    "findnext", "findprev",
                                        "tabl",   "tabr",  "cblock", "ublock",  "tbmark",  "nbmark",   "pbmark",
                                        "cbmark", "nline", "pline",  "ctag",    "tilehor", "tilever",  "cascade"};
const char* const kDisableEditKeys[] = {
    "close",  "save",   "saveas", "saveall",  "reload",   "print", "undo",    "redo",    "cut",    "copy",
    "paste",  "delete", "find",   "findnext", "findprev", "tabl",  "tabr",    "cblock",  "ublock", "tbmark",
    "nbmark", "pbmark", "cbmark", "nline",    "pline",    "ctag",  "tilehor", "tilever", "cascade"};
// The keys switched on when a document window is activated; the five
// editing keys are not among them, they follow the editor.
const char* const kEnableKeys[] = {"close",   "save",   "saveas", "saveall",  "print",    "tilehor", "tilever",
                                   "cascade", "delete", "find",   "findnext", "findprev", "tabl",    "tabr",
                                   "cblock",  "ublock", "tbmark", "nbmark",   "pbmark",   "cbmark"};

QAction* MenuItem(QObject* main, const char* name) {
    if (!main) return nullptr;
    for (QAction* a : main->findChildren<QAction*>(QString::fromLatin1(name)))
        if (!a->menu()) return a;  // an item, not the heading of a submenu
    return nullptr;
}

QToolBar* Toolbar(QObject* main, const char* name) {
    return main ? main->findChild<QToolBar*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly) : nullptr;
}

QAction* Key(QToolBar* bar, const char* key) {
    if (!bar) return nullptr;
    const QString wanted = QString::fromLatin1(key);
    for (QAction* a : bar->actions())
        if (!a->isSeparator() && a->property("Key").toString() == wanted) return a;
    return nullptr;
}

template <size_t N>
void SetKeys(QToolBar* bar, const char* const (&keys)[N], bool enabled) {
    for (const char* key : keys)
        if (QAction* a = Key(bar, key)) a->setEnabled(enabled);
}

void SetMenus(QObject* main, bool enabled) {
    QAction* marker = MenuItem(main, "close");
    if (!marker || marker->isEnabled() == enabled) return;
    // One walk over the window's items, then the set in its order.
    QHash<QString, QAction*> items;
    for (QAction* a : main->findChildren<QAction*>())
        if (!a->menu() && !a->objectName().isEmpty() && !items.contains(a->objectName()))
            items.insert(a->objectName(), a);
    for (const char* name : kDocMenus)
        if (QAction* a = items.value(QString::fromLatin1(name))) a->setEnabled(enabled);
}

}  // namespace

namespace DocCommandState {

QObject* HostWindow() { return dynamic_cast<QObject*>(frmDoc::Host()); }

void EnableMenus(QObject* main) { SetMenus(main, true); }
void DisableMenus(QObject* main) { SetMenus(main, false); }

void DisableButtons(QObject* main) {
    QToolBar* file = Toolbar(main, "tBar");
    QAction* marker = Key(file, "close");
    if (!marker || !marker->isEnabled()) return;
    SetKeys(file, kDisableFileKeys, false);
    SetKeys(Toolbar(main, "tbar2"), kDisableEditKeys, false);
}

void EnableButtons(QObject* main) {
    QToolBar* file = Toolbar(main, "tBar");
    QAction* marker = Key(file, "close");
    if (!marker || marker->isEnabled()) return;
    SetKeys(file, kEnableKeys, true);
    SetKeys(Toolbar(main, "tbar2"), kEnableKeys, true);
}

void UpdateEditButtons(QObject* main, const platform::CodeEditor* rt) {
    QToolBar* bar = Toolbar(main, "tbar2");
    if (!bar) return;
    const struct {
        const char* key;
        bool (platform::CodeEditor::*can)() const;
    } keys[] = {{"undo", &platform::CodeEditor::CanUndo},
                {"redo", &platform::CodeEditor::CanRedo},
                {"cut", &platform::CodeEditor::CanCut},
                {"copy", &platform::CodeEditor::CanCopy},
                {"paste", &platform::CodeEditor::CanPaste}};
    for (const auto& k : keys)
        if (QAction* a = Key(bar, k.key)) a->setEnabled(rt && (rt->*k.can)());
}

}  // namespace DocCommandState

// ---- frmDoc ------------------------------------------------------------------------

void frmDoc::EnableDocMenus() { DocCommandState::EnableMenus(DocCommandState::HostWindow()); }
void frmDoc::DisableDocMenus() { DocCommandState::DisableMenus(DocCommandState::HostWindow()); }
void frmDoc::EnableDocButtons() { DocCommandState::EnableButtons(DocCommandState::HostWindow()); }
void frmDoc::DisableDocButtons() { DocCommandState::DisableButtons(DocCommandState::HostWindow()); }
void frmDoc::UpdateEditButtons() { DocCommandState::UpdateEditButtons(DocCommandState::HostWindow(), rt); }
