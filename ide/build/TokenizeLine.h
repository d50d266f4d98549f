// modMain.TokenizeLine: splits one line of program text into its words for
// the procedures that look at a line's words without compiling it (running
// MOVE group lines, capturing servo positions, program alignment).
//
// It is not the compiler's lexer.  Separators are the comma, the equals sign,
// the blank and the TAB (the separator itself is dropped); a colon ends the
// word it follows and stays with it (a label keeps its colon); a double quote
// makes the rest of the line one word (its closing quote is dropped only when
// it is the last non-blank character); an apostrophe ends the line and its
// rest is handed back as the comment.  No word is ever empty, and words keep
// the line's characters and case exactly.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace modMain {

// The words of the last line split: elements 1 to TokenCount; element 0 is
// always the empty text.
inline std::vector<QString> Tokens{QString()};
inline int16_t TokenCount = 0;

// Splits `line` into Tokens / TokenCount.  `line` is consumed: on return it
// is empty or holds only the blanks that followed the last word.  `comment`
// receives the rest of the line from a comment mark outside a string on (the
// apostrophe included), else "".  Yields to the event queue once per
// character, so window events run while a long line is split.
void TokenizeLine(QString& line, QString& comment);

}  // namespace modMain
