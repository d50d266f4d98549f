#include "editor/ProgramAlign.h"

#include <algorithm>
#include <cmath>

#include "build/TokenizeLine.h"

namespace ProgramAlign {

namespace {

bool Is(const QString& upper, const char16_t* english, const char16_t* korean) {
    return upper == QStringView(english) || upper == QStringView(korean);
}

// The text of a line without its surrounding white space: blanks at both
// ends, then the TABs at its start.  Blanks that follow a leading TAB stay,
// so a line that started with a TAB and two blanks keeps the two blanks;
// TABs at the end stay too.
QString Body(const QString& line) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line.at(begin) == u' ') ++begin;
    while (end > begin && line.at(end - 1) == u' ') --end;
    while (begin < end && line.at(begin) == u'\t') ++begin;
    return line.mid(begin, end - begin);
}

}  // namespace

int ProgressPercent(int32_t line, int32_t count) {
    if (count <= 0) return 0;
    // nearbyint rounds halves to the even neighbour in the default mode.
    return static_cast<int>(std::nearbyint(static_cast<double>(line) / count * 100.0));
}

int32_t IndentCap(const std::vector<int32_t>& levels, int64_t budget) {
    budget = std::max<int64_t>(budget, 0);
    int64_t total = 0;
    int32_t deepest = 0;
    for (const int32_t l : levels) {
        total += int64_t(l) * 4;
        deepest = std::max(deepest, l);
    }
    if (total <= budget) return -1;

    // How many lines stand at each level; then raise the cap one level at a
    // time while the blanks still fit.  With the cap at c, the lines at c or
    // less take their own indentation and every deeper line c levels, so the
    // next cap c + 1 adds one level for each line deeper than c.
    std::vector<int64_t> atLevel(static_cast<size_t>(deepest) + 1, 0);
    for (const int32_t l : levels) ++atLevel[static_cast<size_t>(std::max(l, 0))];
    int64_t shallow = 0;  // levels of the lines at the cap or less, summed
    int64_t deeper = static_cast<int64_t>(levels.size()) - atLevel[0];
    int32_t cap = 0;
    while (cap < deepest && 4 * (shallow + int64_t(cap + 1) * deeper) <= budget) {
        ++cap;
        shallow += int64_t(cap) * atLevel[static_cast<size_t>(cap)];
        deeper -= atLevel[static_cast<size_t>(cap)];
    }
    return cap;
}

Layout LayOut(const QStringList& lines, const Progress& progress) {
    Layout layout;
    layout.Text.reserve(lines.size());
    int32_t level = 0;
    const int32_t count = static_cast<int32_t>(lines.size());
    // The level each line is written at, -1 for a line written flush left;
    // the indentation is decided once all levels are known.
    std::vector<int32_t> at;
    at.reserve(static_cast<size_t>(count));

    for (int32_t i = 1; i <= count; ++i) {
        const QString text = Body(lines.at(i - 1));
        QString written = text;  // the line's text after its indentation

        if (text.isEmpty()) {
            // A line of white space only becomes empty, whatever the level.
            layout.Text << QString();
            at.push_back(-1);
            if (progress) progress(i, count);
            continue;
        }

        bool flush = false;   // written without indentation
        bool closes = false;  // the level falls by one before the line
        bool opens = false;   // the level rises by one after the line
        if (text.front() != u'\'') {
            QString copy = text;
            QString comment;
            modMain::TokenizeLine(copy, comment);
            const std::vector<QString>& tokens = modMain::Tokens;
            const int n = modMain::TokenCount;
            const QString first = n >= 1 ? tokens[1].toUpper() : QString();
            if (n == 0) {
                flush = true;
            } else if (n == 1 && tokens[1].endsWith(u':')) {
                // A label line is rebuilt: the label, then one blank and
                // the comment when there is one.
                flush = true;
                written = comment.isEmpty() ? tokens[1] : tokens[1] + u' ' + comment;
                layout.Labels.push_back({tokens[1].chopped(1), i});
                if (level == 0) level = 1;
            } else if (n == 1) {
                closes = Is(first, u"ELSE", u"아니면") || Is(first, u"NEXT", u"다음") || Is(first, u"ENDIF", u"만약끝");
                opens = Is(first, u"ELSE", u"아니면");
            } else if (Is(first, u"IF", u"만약")) {
                opens = Is(tokens[n].toUpper(), u"THEN", u"이면");
            } else if (Is(first, u"FOR", u"반복")) {
                opens = true;
            } else if (Is(first, u"NEXT", u"다음")) {
                closes = true;
            } else if (Is(first, u"ELSEIF", u"그렇지않고만약")) {
                closes = opens = true;
            }
        }

        if (closes) level = std::max<int32_t>(level - 1, 0);
        layout.Text << written;
        at.push_back(flush ? -1 : level);
        if (opens) ++level;
        if (progress) progress(i, count);
    }

    std::vector<int32_t> indented;
    indented.reserve(at.size());
    for (const int32_t l : at)
        if (l > 0) indented.push_back(l);
    const int32_t cap = IndentCap(indented, kIndentBudget);
    layout.Blanks.reserve(at.size());
    for (const int32_t l : at) layout.Blanks.push_back(std::max(cap < 0 ? l : std::min(l, cap), 0) * 4);
    return layout;
}

Result Align(const QStringList& lines, const Progress& progress) {
    Layout layout = LayOut(lines, progress);
    Result result;
    result.Lines = std::move(layout.Text);
    for (qsizetype i = 0; i < result.Lines.size(); ++i) {
        const int32_t blanks = layout.Blanks[static_cast<size_t>(i)];
        if (blanks > 0) result.Lines[i].prepend(QString(blanks, u' '));
    }
    result.Labels = std::move(layout.Labels);
    return result;
}

QString Join(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

}  // namespace ProgramAlign
