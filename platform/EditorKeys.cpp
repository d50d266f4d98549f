#include "platform/EditorKeys.h"

#include <Qsci/qsciscintillabase.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/CodeEditor.h"
#include "platform/EditorInternals.h"

namespace platform {

using namespace detail;

namespace {

using SB = QsciScintillaBase;

// Scintilla key definition of a hot key: the key code in the low word, the
// modifiers in the high word.
long ScintillaKeyDefinition(const EditorHotKey& hk) {
    int key = 0;
    switch (hk.Key) {
        case Qt::Key_Delete: key = SB::SCK_DELETE; break;
        case Qt::Key_Insert: key = SB::SCK_INSERT; break;
        case Qt::Key_Backspace: key = SB::SCK_BACK; break;
        default:
            if (hk.Key >= Qt::Key_A && hk.Key <= Qt::Key_Z)
                key = hk.Key;  // upper-case letters
            else if (hk.Key > 0 && hk.Key < 0x7F)
                key = hk.Key;
            break;
    }
    int mods = 0;
    if (hk.Modifiers & Qt::ShiftModifier) mods |= SB::SCMOD_SHIFT;
    if (hk.Modifiers & Qt::ControlModifier) mods |= SB::SCMOD_CTRL;
    if (hk.Modifiers & Qt::AltModifier) mods |= SB::SCMOD_ALT;
    return static_cast<long>(key) | (static_cast<long>(mods) << 16);
}

bool SameHotKey(const EditorHotKey& a, const EditorHotKey& b) { return a.Key == b.Key && a.Modifiers == b.Modifiers; }

using HotKeyTable = std::vector<std::pair<int32_t, std::vector<EditorHotKey>>>;

HotKeyTable DefaultHotKeys() {
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers alt = Qt::AltModifier;
    return {
        {cmdCut, {{Qt::Key_X, ctrl}, {Qt::Key_Delete, shift}}},
        {cmdPaste, {{Qt::Key_V, ctrl}, {Qt::Key_Insert, shift}}},
        {cmdCopy, {{Qt::Key_C, ctrl}, {Qt::Key_Insert, ctrl}}},
        {cmdLineCut, {{Qt::Key_L, ctrl}}},
        {cmdUndo, {{Qt::Key_Z, ctrl}, {Qt::Key_Backspace, alt}}},
        {cmdRedo, {{Qt::Key_Y, ctrl}}},
        {cmdLineDelete, {{Qt::Key_L, ctrl | shift}}},
    };
}

struct HotKeyState {
    HotKeyTable table = DefaultHotKeys();
    std::vector<EditorHotKey> removed;
};

HotKeyState& HotKeys() {
    static HotKeyState state;
    return state;
}

}  // namespace

// ---- Hot keys -----------------------------------------------------------------------

namespace EditorGlobals {

int HotKeyCount(int32_t command) {
    for (const auto& [cmd, keys] : HotKeys().table)
        if (cmd == command) return static_cast<int>(keys.size());
    return 0;
}

EditorHotKey HotKey(int32_t command, int index) {
    for (const auto& [cmd, keys] : HotKeys().table)
        if (cmd == command && index >= 0 && index < static_cast<int>(keys.size())) return keys[index];
    return {};
}

void UnregisterHotKey(const EditorHotKey& hotKey) {
    if (hotKey.Key == 0) return;
    HotKeyState& state = HotKeys();
    for (auto& entry : state.table) {
        auto& keys = entry.second;
        keys.erase(
            std::remove_if(keys.begin(), keys.end(), [&](const EditorHotKey& k) { return SameHotKey(k, hotKey); }),
            keys.end());
    }
    if (std::none_of(state.removed.begin(), state.removed.end(),
                     [&](const EditorHotKey& k) { return SameHotKey(k, hotKey); }))
        state.removed.push_back(hotKey);
    const long def = ScintillaKeyDefinition(hotKey);
    for (CodeEditor* editor : LiveEditors()) editor->SendScintilla(SB::SCI_CLEARCMDKEY, def);
}

void RestoreHotKeys() {
    HotKeys() = HotKeyState();
    for (CodeEditor* editor : LiveEditors()) {
        for (const auto& [cmd, keys] : DefaultHotKeys()) {
            long message = 0;
            switch (cmd) {
                case cmdCut: message = SB::SCI_CUT; break;
                case cmdPaste: message = SB::SCI_PASTE; break;
                case cmdCopy: message = SB::SCI_COPY; break;
                case cmdLineCut: message = SB::SCI_LINECUT; break;
                case cmdUndo: message = SB::SCI_UNDO; break;
                case cmdRedo: message = SB::SCI_REDO; break;
                case cmdLineDelete: message = SB::SCI_LINEDELETE; break;
                default: break;
            }
            for (const EditorHotKey& k : keys)
                editor->SendScintilla(SB::SCI_ASSIGNCMDKEY, static_cast<unsigned long>(ScintillaKeyDefinition(k)),
                                      message);
        }
    }
}

}  // namespace EditorGlobals

void CodeEditor::ApplyHotKeys() {
    for (const EditorHotKey& k : HotKeys().removed) SendScintilla(SCI_CLEARCMDKEY, ScintillaKeyDefinition(k));
}

}  // namespace platform
