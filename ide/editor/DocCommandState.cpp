// frmDoc: the command state of the main window's menus and toolbar keys, and
// the procedures of DocCommandState that switch them.
#include "editor/DocCommandState.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QToolBar>

#include "editor/MenuItems.h"
#include "editor/ToolbarKeys.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"

namespace {

using ToolbarKeys::DocumentUse;

// The item that marks the state of the document menu set: the menu table's
// first item that acts on a document ("close").
constexpr const char* FirstDocumentItem() {
    for (const MenuItems::Item& item : MenuItems::kItems)
        if (item.name && item.Has(MenuItems::kDocument)) return item.name;
    return nullptr;
}
constexpr const char* kMarkerItem = FirstDocumentItem();
static_assert(kMarkerItem != nullptr);

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

// The file toolbar's key that marks the state of the keys: its first key
// that acts on a document ("close").
QAction* MarkerKey(QObject* main) {
    QToolBar* file = Toolbar(main, ToolbarKeys::kFileToolbar.name);
    for (const ToolbarKeys::Key& k : ToolbarKeys::kFileToolbar)
        if (k.key && k.use == DocumentUse::Document) return Key(file, k.key);
    return nullptr;
}

// Runs `apply` on the button of each key of the toolbars whose use `wanted`
// accepts, where the window has that button.
template <typename Wanted, typename Apply>
void ForEachButton(QObject* main, Wanted wanted, Apply apply) {
    for (const ToolbarKeys::Toolbar& toolbar : ToolbarKeys::kToolbars) {
        QToolBar* bar = nullptr;
        for (const ToolbarKeys::Key& k : toolbar) {
            if (!k.key || !wanted(k.use)) continue;
            if (!bar) bar = Toolbar(main, toolbar.name);
            if (QAction* a = Key(bar, k.key)) apply(k, a);
        }
    }
}

void SetMenus(QObject* main, bool enabled) {
    QAction* marker = MenuItem(main, kMarkerItem);
    if (!marker || marker->isEnabled() == enabled) return;
    // One walk over the window's items, then the set in its order.
    QHash<QString, QAction*> items;
    for (QAction* a : main->findChildren<QAction*>())
        if (!a->menu() && !a->objectName().isEmpty() && !items.contains(a->objectName()))
            items.insert(a->objectName(), a);
    for (const MenuItems::Item& item : MenuItems::kItems)
        if (item.name && item.Has(MenuItems::kDocument))
            if (QAction* a = items.value(QString::fromLatin1(item.name))) a->setEnabled(enabled);
}

}  // namespace

namespace DocCommandState {

QObject* HostWindow() { return dynamic_cast<QObject*>(frmDoc::Host()); }

void EnableMenus(QObject* main) { SetMenus(main, true); }
void DisableMenus(QObject* main) { SetMenus(main, false); }

void DisableButtons(QObject* main) {
    QAction* marker = MarkerKey(main);
    if (!marker || !marker->isEnabled()) return;
    ForEachButton(
        main, [](DocumentUse use) { return use != DocumentUse::None; },
        [](const ToolbarKeys::Key&, QAction* a) { a->setEnabled(false); });
}

void EnableButtons(QObject* main) {
    QAction* marker = MarkerKey(main);
    if (!marker || marker->isEnabled()) return;
    // The editor's keys follow the editor (UpdateEditButtons).
    ForEachButton(
        main, [](DocumentUse use) { return use == DocumentUse::Document; },
        [](const ToolbarKeys::Key&, QAction* a) { a->setEnabled(true); });
}

void UpdateEditButtons(QObject* main, const platform::CodeEditor* rt) {
    ForEachButton(
        main, [](DocumentUse use) { return use == DocumentUse::Editor; },
        [rt](const ToolbarKeys::Key& k, QAction* a) { a->setEnabled(rt && (rt->*k.can)()); });
}

}  // namespace DocCommandState

// ---- frmDoc ------------------------------------------------------------------------

void frmDoc::EnableDocMenus() { DocCommandState::EnableMenus(DocCommandState::HostWindow()); }
void frmDoc::DisableDocMenus() { DocCommandState::DisableMenus(DocCommandState::HostWindow()); }
void frmDoc::EnableDocButtons() { DocCommandState::EnableButtons(DocCommandState::HostWindow()); }
void frmDoc::DisableDocButtons() { DocCommandState::DisableButtons(DocCommandState::HostWindow()); }
void frmDoc::UpdateEditButtons() { DocCommandState::UpdateEditButtons(DocCommandState::HostWindow(), rt); }
