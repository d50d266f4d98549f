// Module modApp, colouring part: the editor's colouring language of the
// BASIC dialect, registered under the name "Quarvel", which every document
// window's editor selects.
//
// Its keywords are the compiler's own command names, so the editor colours
// exactly the words the compiler knows: for each command number from 0 to
// the compiler's TotalCommands the English name, and with the Korean string
// table (string 1 reads 1) also the Korean name, then fifty placeholders
// "Quarvel_DumyCmd1" to "Quarvel_DumyCmd50".  Keywords match in any letter
// case.  Operators + - * / = > < >= <= <> . \ ; line comments start at "'"
// or at the word REM; block comments run from "{" to "}", across lines;
// strings are in double quotes.
#pragma once

#include <QString>

namespace qvv2 {
class QUARVELv2;
}

namespace modApp {

// Name of the dialect's colouring language.
inline const QString kEditorLanguageName = QStringLiteral("Quarvel");

// The keyword list (each keyword followed by a line feed) from the command
// table of `basic`.
QString EditorKeywordList(qvv2::QUARVELv2& basic);

// Builds the language from the command table of `basic` (the main window's
// compiler control) and registers it.
void DefineEditorLanguage(qvv2::QUARVELv2& basic);
// The same with a compiler control of its own (the same command table).
void DefineEditorLanguage();

}  // namespace modApp
