// Program alignment: re-indents a whole program by its blocks.
//
// Every line gets four blanks per open block in front of it.  The blocks are
// opened and closed by the first word of a line (English or Korean):
//
//   IF ... THEN / 만약 ... 이면      opens (an IF with anything after THEN does not)
//   FOR / 반복 (two or more words)   opens
//   NEXT / 다음                      closes
//   ENDIF / 만약끝 (alone)           closes
//   ELSE / 아니면 (alone)            closes, is written, opens again
//   ELSEIF / 그렇지않고만약          closes, is written, opens again
//
// A line that is a label alone ("NAME:", perhaps with a comment) is written
// flush left as the label, followed by one blank and the comment when there
// is one; it is listed with its 1-based line number and lifts the level from
// 0 to 1.  Empty lines stay empty, comment lines keep the current level.
//
// Every other line loses the white space around it (blanks at both ends,
// then leading TABs) and gets the indentation in front; everything between
// (blanks after a leading TAB, blanks before a comment, strings, comments,
// trailing TABs) is kept character for character.  The number of lines
// never changes.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace ProgramAlign {

// The most blanks the indentation of one pass may add in all.  The levels
// themselves have no bound and every program that fits is indented exactly;
// but the blanks grow with the square of the nesting (a program of 100,000
// nested loops would need 20 billion), so where the whole indentation would
// exceed this many, the pass writes every line deeper than the deepest
// level that still fits at that level (IndentCap).  Some 1,400 levels of
// nested loops fit.
constexpr int64_t kIndentBudget = 8 * 1024 * 1024;

struct Label {
    QString Name;  // without its colon
    int32_t Line;  // 1-based
    bool operator==(const Label& o) const { return Name == o.Name && Line == o.Line; }
};

struct Result {
    QStringList Lines;  // the aligned lines, as many as went in
    std::vector<Label> Labels;
};

// The aligned program with each line's indentation kept apart from its
// text: line i is Blanks[i] blanks followed by Text[i].  A deeply nested
// program is mostly indentation, so the editor takes it in this form
// (CodeEditor::ReplaceAllLines) and writes the blanks itself, without a
// copy of the whole aligned text.
struct Layout {
    QStringList Text;             // each line without its indentation
    std::vector<int32_t> Blanks;  // as many as Text
    std::vector<Label> Labels;
};

// Called after each line with the 1-based line number and the line count.
using Progress = std::function<void(int32_t line, int32_t count)>;

// Aligns the lines of a program.  Splitting a line into words may hand
// control to the event queue (modMain::TokenizeLine).
Layout LayOut(const QStringList& lines, const Progress& progress = {});

// The same with each line's indentation put in front of it.
Result Align(const QStringList& lines, const Progress& progress = {});

// The deepest level written when lines indented at `levels` (one entry per
// indented line) need more than `budget` blanks at four a level: the largest
// cap at which the lines, each at its level or the cap, whichever is less,
// still fit.  -1 when everything fits uncapped.
int32_t IndentCap(const std::vector<int32_t>& levels, int64_t budget);

// The aligned text: the lines joined with CR LF, no line end after the last.
QString Join(const QStringList& lines);

// The progress bar's value after line `line` of `count`: the share in
// percent, rounded to the nearest whole number with halves going to the even
// neighbour.
int ProgressPercent(int32_t line, int32_t count);

}  // namespace ProgramAlign
