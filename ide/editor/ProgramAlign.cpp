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

Result Align(const QStringList& lines, const Progress& progress) {
    Result result;
    result.Lines.reserve(lines.size());
    int32_t level = 0;
    const int32_t count = static_cast<int32_t>(lines.size());

    for (int32_t i = 1; i <= count; ++i) {
        const QString text = Body(lines.at(i - 1));
        QString written = text;  // the line's text after its indentation

        if (text.isEmpty()) {
            // A line of white space only becomes empty, whatever the level.
            result.Lines << QString();
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
                result.Labels.push_back({tokens[1].chopped(1), i});
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
        if (flush)
            result.Lines << written;
        else
            result.Lines << QString(std::min(level, kMaxIndentLevels) * 4, u' ') + written;
        if (opens) ++level;
        if (progress) progress(i, count);
    }
    return result;
}

QString Join(const QStringList& lines) { return lines.join(QStringLiteral("\r\n")); }

}  // namespace ProgramAlign
