// Colouring of the code editor: the colour slots that an editor holds, the
// text styles its characters take, and the registry of colouring languages.
//
// A colouring language is registered under a name (RegisterLanguage) and an
// editor selects it by that name (CodeEditor::SetLanguageName).  Its
// keywords, operators, comments and strings take the colours of the
// editor's colour slots 0 to 30 (EditorColor), which hold colours as
// 0x00BBGGRR numbers, -1 meaning "no colour of its own".
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>

namespace platform {

// Colour slots.
enum EditorColor : int {
    clrWindow = 0,
    clrLeftMargin = 1,
    clrBookmark = 2,
    clrBookmarkBk = 3,
    clrText = 4,
    clrTextBk = 5,
    clrNumber = 6,
    clrNumberBk = 7,
    clrKeyword = 8,
    clrKeywordBk = 9,
    clrOperator = 10,
    clrOperatorBk = 11,
    clrScope = 12,
    clrScopeBk = 13,
    clrComment = 14,
    clrCommentBk = 15,
    clrString = 16,
    clrStringBk = 17,
    clrTagText = 18,
    clrTagTextBk = 19,
    clrTagEntity = 20,
    clrTagEntityBk = 21,
    clrTagElement = 22,
    clrTagElementBk = 23,
    clrTagAttribute = 24,
    clrTagAttributeBk = 25,
    clrLineNumber = 26,
    clrLineNumberBk = 27,
    clrHDivider = 28,
    clrVDivider = 29,
    clrHighlight = 30,
};
constexpr int kColorSlotCount = 31;
constexpr int32_t kNoColor = -1;

// The colour a slot holds in a new editor.
int32_t DefaultSlotColor(int slot);
// 0x00BBGGRR to QColor and back (the high byte is ignored).
QColor ColorFromBgr(int32_t value);
int32_t BgrFromColor(const QColor& color);

// How a character is coloured: the style numbers of the editor's text.
enum TextStyle : int {
    tsText = 0,
    tsComment = 1,
    tsString = 2,
    tsNumber = 3,
    tsKeyword = 4,
    tsOperator = 5,
    tsScope = 6,  // a block-start or block-end word
};

// A colouring language.  Word lists are texts with one entry a line (LF
// separated; CR and blank entries are ignored).
struct EditorLanguage {
    bool CaseSensitive = false;  // false: keywords match in any letter case
    QString Keywords;
    int32_t Style = 0;           // kept with the definition; 0 is the only style
    QString Operators;           // longest match wins
    QString LineCommentOpeners;  // an opener of letters and digits matches as a whole word only
    QString BlockCommentOpen;    // block comments may span lines
    QString BlockCommentClose;
    QString BlockStartWords;  // coloured as scope words
    QString BlockEndWords;
    QString StringDelimiters;     // each character opens a string closed by the same character
    QString EscapeCharacter;      // inside a string, takes the next character literally
    QString StatementTerminator;  // kept with the definition
};

// The registry of colouring languages (names match in any letter case).
// Registering a name again replaces its definition, and editors that use
// it are coloured anew.
void RegisterLanguage(const QString& name, const EditorLanguage& language);
void UnregisterLanguage(const QString& name);
std::optional<EditorLanguage> FindLanguage(const QString& name);

}  // namespace platform
