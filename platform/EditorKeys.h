// Keys of the code editor: the global table of the hot keys that the editor
// binds to its own commands.  The key codes, shift states and mouse buttons
// that its key and mouse events carry are those of the servo widgets'
// events, from one map (vxKeyCodes.h).
#pragma once

#include <Qt>

#include <cstdint>

namespace platform {

// A hot key of an editor command: a key (Qt::Key) with its modifiers.
struct EditorHotKey {
    int Key = 0;
    Qt::KeyboardModifiers Modifiers;
};

// The editors' global hot-key table: the keys the editor itself binds to
// the commands cmdCut, cmdPaste, cmdCopy, cmdLineCut, cmdUndo, cmdRedo and
// cmdLineDelete.  A hot key unregistered here is removed from every editor,
// present and future, so the key reaches the window that hosts the editor.
namespace EditorGlobals {
int HotKeyCount(int32_t command);
// Hot key `index` (0-based) of the command; an empty key when out of range.
EditorHotKey HotKey(int32_t command, int index);
void UnregisterHotKey(const EditorHotKey& hotKey);
// Back to the editor's own table (tests).
void RestoreHotKeys();
}  // namespace EditorGlobals

}  // namespace platform
