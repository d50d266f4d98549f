// Keys of the code editor: the key codes, shift states and mouse buttons
// that its key and mouse events carry, and the global table of the hot keys
// that the editor binds to its own commands.
#pragma once

#include <Qt>

#include <cstdint>

namespace platform {

// Key codes and shift state as the key events carry them: letters 65-90,
// digits 48-57, F1-F12 112-123, Space 32, Enter 13, Escape 27 and the other
// usual codes; 0 for keys without a code (text typed through an input
// method).  Shift state: 1 Shift, 2 Ctrl, 4 Alt, added.
int VbKeyCode(int qtKey);
int VbShiftState(Qt::KeyboardModifiers modifiers);
int VbMouseButton(Qt::MouseButton button);  // 1 left, 2 right, 4 middle

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
