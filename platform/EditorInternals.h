// Shared by the code editor's source files (CodeEditor.cpp, EditorLanguage.cpp,
// EditorKeys.cpp, EditorDialogs.cpp); callers of the editor never include it.
#pragma once

#include <QChar>
#include <QSet>
#include <QString>

#include <cstdint>

#include "platform/CodeEditor.h"

namespace platform::detail {

inline constexpr int32_t kDefaultColors[kColorSlotCount] = {
    -1,        // window
    8421504,   // left margin
    65280,     // bookmark
    0,         // bookmark background
    0,         // text
    -1,        // text background
    0,         // number
    -1,        // number background
    16711680,  // keyword
    -1,        // keyword background
    255,       // operator
    -1,        // operator background
    16711680,  // scope
    -1,        // scope background
    16711935,  // comment
    -1,        // comment background
    8388736,   // string
    -1,        // string background
    0,         // tag text
    -1,        // tag text background
    255,       // tag entity
    -1,        // tag entity background
    128,       // tag element
    -1,        // tag element background
    16711680,  // tag attribute
    -1,        // tag attribute background
    16777215,  // line number
    8421504,   // line number background
    -1,        // horizontal divider
    -1,        // vertical divider
    65535,     // highlighted line
};

// Turns every lone LF and lone CR into CR LF.
QString NormaliseLineEnds(const QString& text);

// True once the editor component's character count from the start of the
// text is answered from its line character index (EditorCharacterCount.cpp);
// calling it also links that answer into every program that has editors.
bool CharacterCountFromIndex();

inline bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// Every editor that exists, so that a change of a language or of a hot key
// reaches them all.
QSet<CodeEditor*>& LiveEditors();

}  // namespace platform::detail
