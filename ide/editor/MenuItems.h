// The items of the main window's menus that have a shortcut key or act on a
// document, in the order of the menus, and the keys of the document window.
// Each of these facts stands here once:
// - the main window gives each item named here the shortcut `key`
//   (mainwindow/frmMain.cpp), an element of an item array (the add-on
//   programs' items) the key of its index; no other item of its menus has
//   one;
// - the command state switches the items marked kDocument, in this order,
//   on while a document window is active and off once the last one has
//   unloaded; the first of them ("close") marks the state of the whole set
//   (editor/DocCommandState.cpp);
// - the document window takes every key that has a `command` before its
//   editor sees it and runs that command of its host (frmDoc's key
//   handler); the other keys go on to the editor and the menus;
// - the main window's motion lock holds back the keys marked kController,
//   whatever further modifiers are held.
// The items are found on the main window by their objectName (and the
// elements of an item array by their "Index" property as well): a test
// checks that each name here names exactly one item there.
#pragma once

#include <QKeyCombination>

#include <cstddef>
#include <cstdint>
#include <utility>

#include "editor/frmDoc.h"

namespace MenuItems {

// A command of the main window that the document window runs.
using Command = void (DocumentHost::*)();

enum Flag : uint8_t {
    // One of the document menu set: on only while a document window is open.
    kDocument = 1,
    // The document window takes the key only with exactly the key's
    // modifiers held (F2, not Shift+F2).  Without it the window takes the
    // key whenever they are held, with any others (Ctrl+Shift+S as Ctrl+S,
    // Shift+F10 as F10).
    kExactly = 2,
    // A controller key, held back while a motion window holds the port.
    kController = 4,
};

struct Item {
    const char* name;           // the menu item's objectName; nullptr: a key of the document window alone
    QKeyCombination key;        // the shortcut; Qt::Key_unknown for none
    Command command = nullptr;  // what the document window runs for `key`
    int flags = 0;              // Flag values, added
    int index = -1;             // the element's index in its item array; -1 for an item of its own
    constexpr bool Has(Flag flag) const { return (flags & flag) != 0; }
    constexpr bool HasKey() const { return key.key() != Qt::Key_unknown; }
};

inline constexpr QKeyCombination kNoKey{};

// Element `index` of the item array `name`, with its shortcut.
constexpr Item Element(const char* name, int index, QKeyCombination key) {
    Item item{name, key};
    item.index = index;
    return item;
}

// F11 and F12 run the procedures of their own names from the document
// window; the menu items that have these keys run them crossed (their
// captions and procedures always were).  F10 is a key of the document window
// alone: "Motor All OFF" shows it in its caption but has no shortcut.
inline constexpr Item kItems[] = {
    // File
    {"new", Qt::CTRL | Qt::Key_N, &DocumentHost::new_Click},
    {"open", Qt::CTRL | Qt::Key_O, &DocumentHost::open_Click},
    {"close", kNoKey, nullptr, kDocument},
    {"save", Qt::CTRL | Qt::Key_S, &DocumentHost::save_Click, kDocument},
    {"saveas", kNoKey, nullptr, kDocument},
    {"saveall", kNoKey, nullptr, kDocument},
    {"prints", Qt::CTRL | Qt::Key_P, &DocumentHost::Prints_Click, kDocument},
    {"printsetup", kNoKey, nullptr, kDocument},
    // Edit
    {"undo", Qt::CTRL | Qt::Key_Z, &DocumentHost::undo_Click, kDocument},
    {"redo", Qt::CTRL | Qt::Key_Y, &DocumentHost::redo_Click, kDocument},
    {"cut", Qt::CTRL | Qt::Key_X, &DocumentHost::cut_Click, kDocument},
    {"copy", Qt::CTRL | Qt::Key_C, &DocumentHost::copy_Click, kDocument},
    {"paste", Qt::CTRL | Qt::Key_V, &DocumentHost::paste_Click, kDocument},
    {"delete", kNoKey, nullptr, kDocument},
    {"mnuComment", kNoKey, nullptr, kDocument},
    {"mnuUncomment", kNoKey, nullptr, kDocument},
    {"selectall", Qt::CTRL | Qt::Key_A, &DocumentHost::selectall_Click, kDocument},
    {"selectline", kNoKey, nullptr, kDocument},
    {"mnuEdit_Align", Qt::Key_F8},
    // Search
    {"find", Qt::CTRL | Qt::Key_F, &DocumentHost::find_Click, kDocument},
    {"findnext", Qt::Key_F3, nullptr, kDocument},
    {"findprev", Qt::CTRL | Qt::Key_F3, &DocumentHost::findprev_Click, kDocument},
    {"mnuReplace", Qt::CTRL | Qt::Key_H, &DocumentHost::mnuReplace_Click, kDocument},
    {"goto", Qt::CTRL | Qt::Key_G, &DocumentHost::goto_Click, kDocument},
    // Compile
    {"mnuMake", Qt::Key_F2, &DocumentHost::mnuMake_Click, kExactly | kController},
    {"mnuDown", Qt::CTRL | Qt::Key_D, &DocumentHost::mnuDown_Click, kController},
    {"mnuAllRun", Qt::Key_F9},
    // Controller
    {"mnuMotorControl", Qt::Key_F7},
    {"mnuMotorControlKESTRA", Qt::CTRL | Qt::Key_F7},
    {"mnuCurrentLineControl", Qt::Key_F5, nullptr, kController},
    {"mnuCurrentGroupControl", Qt::Key_F6, nullptr, kController},
    {"mnuCurrentCapture", Qt::Key_F4, &DocumentHost::mnuCurrentCapture_Click, kExactly | kController},
    {nullptr, Qt::Key_F10, &DocumentHost::Motor_all_off, kController},
    {"mnuMotor_sel_ON", Qt::Key_F11, &DocumentHost::Motor_sel_on, kController},
    {"mnuMotor_sel_IN", Qt::Key_F12, &DocumentHost::Motor_sel_in, kController},
    // Add-on programs (a menu that start-up hides; its keys still work)
    Element("mnuAddOnProgram", 0, Qt::SHIFT | Qt::Key_F1),
    Element("mnuAddOnProgram", 1, Qt::SHIFT | Qt::Key_F2),
    Element("mnuAddOnProgram", 2, Qt::SHIFT | Qt::Key_F3),
    Element("mnuAddOnProgram", 3, Qt::SHIFT | Qt::Key_F4),
    Element("mnuAddOnProgram", 4, Qt::SHIFT | Qt::Key_F5),
    Element("mnuAddOnProgram", 5, Qt::SHIFT | Qt::Key_F6),
    Element("mnuAddOnProgram", 6, Qt::SHIFT | Qt::Key_F7),
    Element("mnuAddOnProgram", 7, Qt::SHIFT | Qt::Key_F8),
    Element("mnuAddOnProgram", 8, Qt::SHIFT | Qt::Key_F9),
    Element("mnuAddOnProgram", 9, Qt::SHIFT | Qt::Key_F11),
    // Window
    {"tilehor", kNoKey, nullptr, kDocument},
    {"tilever", kNoKey, nullptr, kDocument},
    {"cascade", kNoKey, nullptr, kDocument},
    {"closeall", kNoKey, nullptr, kDocument},
    {"wnlist", kNoKey, nullptr, kDocument},
    // Help
    {"genhelp", Qt::Key_F1},
};

constexpr bool SameName(const char* a, const char* b) {
    if (!a || !b) return a == b;
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

// The entry of the item named `name` (of element `index` of the item array
// `name`), or nullptr.
constexpr const Item* Find(const char* name, int index = -1) {
    if (!name) return nullptr;
    for (const Item& item : kItems)
        if (SameName(item.name, name) && item.index == index) return &item;
    return nullptr;
}

// No name (no element of an item array) and no key stands twice.  The
// first two items that clash are found here, and the check below fails with
// their indexes in kItems and their names spelt out in the compiler's
// message, as the arguments of the template whose assertion fails; "copy"
// given the key of "save" shows
//   In instantiation of 'struct MenuItems::KeyStatedTwice<true, 3,
//   MenuItems::Name<'s', 'a', 'v', 'e'>, 11, MenuItems::Name<'c', 'o', 'p', 'y'> >'
// (Name<> for an item without a name, a key of the document window alone;
// an element's name ends in its index: 'm', ..., 'm', '(', '0', ')').
struct Clash {
    size_t first = 0;  // the indexes in kItems of the two items that clash
    size_t second = 0;
    bool name = false;  // they have the same name
    bool key = false;   // they have the same key
};

constexpr Clash FirstClash() {
    constexpr size_t n = sizeof(kItems) / sizeof(kItems[0]);
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            if (kItems[i].name && SameName(kItems[i].name, kItems[j].name) && kItems[i].index == kItems[j].index)
                return {i, j, true, false};
            if (kItems[i].HasKey() && kItems[i].key == kItems[j].key) return {i, j, false, true};
        }
    }
    return {};
}
inline constexpr Clash kClash = FirstClash();

// An item's name as a type, so that the compiler's message spells it: the
// name, and an element's index in brackets.
template <char... C>
struct Name {};
struct Label {
    char text[64] = {};
    size_t length = 0;
};
constexpr Label LabelOf(const Item& item) {
    Label label;
    auto add = [&label](char c) {
        if (label.length + 1 < sizeof(label.text)) label.text[label.length++] = c;
    };
    for (const char* s = item.name; s && *s; ++s) add(*s);
    if (item.index >= 0) {
        add('(');
        char digits[12] = {};
        int n = 0;
        for (int rest = item.index; n == 0 || rest > 0; rest /= 10) digits[n++] = static_cast<char>('0' + rest % 10);
        while (n > 0) add(digits[--n]);
        add(')');
    }
    return label;
}
template <size_t I>
inline constexpr Label kLabel = LabelOf(kItems[I]);
template <size_t I, size_t... K>
constexpr Name<kLabel<I>.text[K]...> NameOf(std::index_sequence<K...>) {
    return {};
}
template <size_t I>
using ItemName = decltype(NameOf<I>(std::make_index_sequence<kLabel<I>.length>()));

template <bool Clashes, size_t First, typename FirstName, size_t Second, typename SecondName>
struct NameStatedTwice {
    static_assert(!Clashes, "two menu items have the same name: their indexes and names are this template's arguments");
};
template <bool Clashes, size_t First, typename FirstName, size_t Second, typename SecondName>
struct KeyStatedTwice {
    static_assert(!Clashes, "two menu items have the same key: their indexes and names are this template's arguments");
};
using FirstClashing = ItemName<kClash.first>;
using SecondClashing = ItemName<kClash.second>;
static_assert(sizeof(NameStatedTwice<kClash.name, kClash.first, FirstClashing, kClash.second, SecondClashing>) > 0);
static_assert(sizeof(KeyStatedTwice<kClash.key, kClash.first, FirstClashing, kClash.second, SecondClashing>) > 0);

}  // namespace MenuItems
