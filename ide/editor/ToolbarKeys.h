// The keys of the main window's three toolbars, in their order: the file
// toolbar tBar, the edit toolbar tbar2 and the controller toolbar tBar3.
// Each key stands here once, with its tool tip, its picture and what it does
// with documents.  The main window builds its toolbars from these tables and
// pairs each key with its handler (mainwindow/frmMain.cpp, where the build
// checks that every key has one handler); the command state
// (DocCommandState) switches the keys by their DocumentUse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "platform/CodeEditor.h"

namespace ToolbarKeys {

// How the command state switches a key as documents come and go.
enum class DocumentUse : uint8_t {
    None,      // works without a document; never switched
    Document,  // on when a document window is activated, off once the last one has unloaded
    Editor,    // off once the last document has unloaded, otherwise on while the active editor can do it
};

using EditorCan = bool (platform::CodeEditor::*)() const;

struct Key {
    const char* key;  // the button's "Key" property; nullptr for a separator
    int tip;          // string number of the tool tip
    int image;        // picture number in the image list
    DocumentUse use = DocumentUse::None;
    EditorCan can = nullptr;  // DocumentUse::Editor: whether the active editor can do it now
};

inline constexpr Key kSeparator{nullptr, 0, 0};
inline constexpr DocumentUse kDoc = DocumentUse::Document;
inline constexpr DocumentUse kEditor = DocumentUse::Editor;

inline constexpr Key kFileKeys[] = {
    {"new", 1011, 1},
    {"open", 1012, 2},
    {"close", 1013, 3, kDoc},
    kSeparator,
    {"save", 1014, 4, kDoc},
    {"saveall", 1016, 5, kDoc},
    {"saveas", 1015, 6, kDoc},
    kSeparator,
    {"print", 1017, 7, kDoc},
    kSeparator,
    {"tilehor", 1061, 8, kDoc},
    {"tilever", 1062, 9, kDoc},
    {"cascade", 1063, 10, kDoc},
    kSeparator,
    {"help", 1067, 11},
    {"Note", 8024, 12},
};

inline constexpr Key kEditKeys[] = {
    {"undo", 1021, 13, kEditor, &platform::CodeEditor::CanUndo},
    {"redo", 1022, 14, kEditor, &platform::CodeEditor::CanRedo},
    kSeparator,
    {"cut", 1023, 15, kEditor, &platform::CodeEditor::CanCut},
    {"copy", 1024, 16, kEditor, &platform::CodeEditor::CanCopy},
    {"paste", 1025, 17, kEditor, &platform::CodeEditor::CanPaste},
    {"delete", 1026, 18, kDoc},
    kSeparator,
    {"find", 1031, 19, kDoc},
    {"findnext", 1032, 20, kDoc},
    {"findprev", 1033, 21, kDoc},
    kSeparator,
    {"tabl", 2002, 22, kDoc},
    {"tabr", 2003, 23, kDoc},
    kSeparator,
    {"cblock", 1027, 24, kDoc},
    {"ublock", 1028, 25, kDoc},
    kSeparator,
    {"tbmark", 2004, 26, kDoc},
    {"nbmark", 2005, 27, kDoc},
    {"pbmark", 2006, 28, kDoc},
    {"cbmark", 2007, 29, kDoc},
};

// The controller keys check for a document themselves when they run.
inline constexpr Key kControllerKeys[] = {
    {"compile", 1049, 30},
    {"download", 1050, 31},
    {"runall", 1051, 32},
    kSeparator,
    {"coninfo", 1054, 33},
    {"motor", 1055, 34},
    {"linecontrol", 1056, 35},
    kSeparator,
    {"memclear", 1057, 36},
    {"reset", 1060, 37},
    {"run", 1058, 38},
    {"stop", 1059, 39},
    kSeparator,
    {"kestra", 7000, 61},
    kSeparator,
    {"motor_off", 8026, 40},
    {"motor_on", 8027, 41},
    {"motor_in", 8028, 42},
};

// A toolbar: its objectName and its keys, separators included.
struct Toolbar {
    const char* name;
    const Key* keys;
    size_t count;
    constexpr const Key* begin() const { return keys; }
    constexpr const Key* end() const { return keys + count; }
};

inline constexpr Toolbar kFileToolbar{"tBar", kFileKeys, std::size(kFileKeys)};
inline constexpr Toolbar kEditToolbar{"tbar2", kEditKeys, std::size(kEditKeys)};
inline constexpr Toolbar kControllerToolbar{"tBar3", kControllerKeys, std::size(kControllerKeys)};
inline constexpr Toolbar kToolbars[] = {kFileToolbar, kEditToolbar, kControllerToolbar};

}  // namespace ToolbarKeys
