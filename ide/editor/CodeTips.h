// Code tips: the compiler's one-line syntax help for the command word at the
// caret, shown under the line after the first word of a line is typed.
#pragma once

#include <QString>

#include <cstdint>

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// The help text of the command word at the caret: written by the tip
// request of a document window, read by its tip fill.
inline QString KeywordHelpText;

// The help text of `word` in the compiler's command language: the command
// number is looked up (IsCommand), the compiler fills its help texts
// (HelpCmd) and the text of cmdLang is taken: 1 Korean, 3 Chinese, every
// other value English.  Empty for a word that is no command and for a
// command without help in that language.
QString KeywordHelp(qvv2::QUARVELv2& basic, const QString& word);

// Whether Space typed at the caret's `column` on a line with this text asks
// for a tip: the line, trimmed of blanks, is longer than one character and
// its first `column` characters, trimmed, hold no blank (the caret stands
// after the first word of the line).
bool SpaceAsksForTip(const QString& lineText, int32_t column);

}  // namespace modMain
