// Shared by the code editor's source files (CodeEditor.cpp, CodeEditorLines.cpp,
// EditorLanguage.cpp, EditorKeys.cpp, EditorDialogs.cpp, EditorAccessible.cpp,
// EditorCharacterCount.cpp); callers of the editor never include it.
#pragma once

#include <QChar>
#include <QSet>
#include <QString>

#include <cstdint>

#include "platform/CodeEditor.h"

QT_FORWARD_DECLARE_CLASS(QAccessibleInterface)

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

// Character offsets (code points, as the editor component counts them) of
// the text, from the component's line character index
// (EditorCharacterCount.cpp, which also answers the component's own counts
// from the start of the text that way; using these links it into every
// program that has editors):
// - the characters before byte `position`;
long CharactersBefore(const QsciScintillaBase& editor, long position);
// - the byte position of character `offset`, clamped into the text (0 for
//   an offset before the start, the length for one past the end).
long PositionOfCharacter(const QsciScintillaBase& editor, long offset);
// How many of the counts from the start of the text that reached the
// component's SendScintilla member were answered from the index: QScintilla
// asks for one on every insertion and deletion.
long CountsAnsweredFromIndex();

// The accessible object of every editor (EditorAccessible.cpp): an editable
// text that answers assistive technologies on request, whenever they are
// switched on.  An accessibility factory.
QAccessibleInterface* EditorAccessibleFactory(const QString& className, QObject* object);

inline bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// Every editor that exists, so that a change of a language or of a hot key
// reaches them all.
QSet<CodeEditor*>& LiveEditors();

}  // namespace platform::detail
