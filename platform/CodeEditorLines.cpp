// The editor's edits by whole lines: the replacement of every line at once,
// which writes into the editor only the bytes that differ, so that the undo
// history, the markers and the view keep what did not change; and the
// removal and insertion of one line.
#include "platform/CodeEditor.h"

#include <QAccessible>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/EditorInternals.h"

namespace platform {

using namespace detail;

namespace {

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// How many bytes the UTF-8 texts a and b have in common at their starts
// and then, in what is left of the shorter, at their ends; each part ends on
// a character boundary.
void CommonEnds(const char* a, qsizetype na, const char* b, qsizetype nb, qsizetype& prefix, qsizetype& suffix) {
    // Eight bytes at a time while they match, then byte by byte.
    const qsizetype n = std::min(na, nb);
    prefix = 0;
    while (prefix + 8 <= n && std::memcmp(a + prefix, b + prefix, 8) == 0) prefix += 8;
    while (prefix < n && a[prefix] == b[prefix]) ++prefix;
    while (prefix > 0 && ((prefix < na && IsUtf8Continuation(a[prefix])) || (prefix < nb && IsUtf8Continuation(b[prefix]))))
        --prefix;
    suffix = 0;
    while (suffix + 8 <= n - prefix && std::memcmp(a + na - suffix - 8, b + nb - suffix - 8, 8) == 0) suffix += 8;
    while (suffix < n - prefix && a[na - 1 - suffix] == b[nb - 1 - suffix]) ++suffix;
    while (suffix > 0 && IsUtf8Continuation(a[na - suffix])) --suffix;
}

}  // namespace

void CodeEditor::ReplaceAllLines(const QStringList& texts, const std::vector<int32_t>& blanks) {
    static const QStringList kOneEmptyLine{QString()};
    const QStringList& lines = texts.isEmpty() ? kOneEmptyLine : texts;
    const qsizetype want = lines.size();
    const qsizetype have = LineCount();
    const auto blanksOf = [&blanks](qsizetype i) -> qsizetype {
        return i < static_cast<qsizetype>(blanks.size()) ? std::max<int32_t>(blanks[static_cast<size_t>(i)], 0) : 0;
    };

    // The new text of one line at a time, in UTF-8: the blanks are written
    // straight into it, and no copy of the whole new text is ever made.
    QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    QByteArray line;
    qsizetype innerLineEnds = 0;  // the line ends that the text put into `line` holds
    const auto build = [&](qsizetype i) {
        // A text holding line ends is more than one line.
        QString text = lines.at(i);
        innerLineEnds = 0;
        if (text.contains(u'\r') || text.contains(u'\n')) {
            text = NormaliseLineEnds(text);
            innerLineEnds = text.count(u'\r');
        }
        const qsizetype n = blanksOf(i);
        line.resize(n + utf8.requiredSpace(text.size()));
        std::memset(line.data(), ' ', static_cast<size_t>(n));
        const char* end = utf8.appendToBuffer(line.data() + n, text);
        line.truncate(end - line.constData());
    };

    // Room before the new text goes in, so that the editor's buffers do not
    // grow step by step through many copies: the present text and every
    // blank put in front (as much as a new indentation of the same lines
    // needs at most).
    const long length = SendScintilla(SCI_GETLENGTH);
    qsizetype grown = length;
    for (qsizetype i = 0; i < want; ++i) grown += blanksOf(i);
    if (grown > length) SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(grown) + 1);

    // The component gathers the markers (bookmarks, the highlight) of the
    // lines that an edit removes on the line before, and a run removes and
    // makes again every line it covers: the markers are noted here and put
    // back on their lines afterwards.
    std::vector<std::pair<unsigned long, long>> markers;  // line, its marker bits
    for (long l = SendScintilla(SCI_MARKERNEXT, 0UL, -1L); l >= 0; l = SendScintilla(SCI_MARKERNEXT, static_cast<unsigned long>(l) + 1, -1L))
        markers.emplace_back(static_cast<unsigned long>(l), SendScintilla(SCI_MARKERGET, static_cast<unsigned long>(l)));

    // Without assistive technologies to tell, the edits raise no notices
    // each; one Change event follows them.
    const bool quiet = !QAccessible::isActive();
    const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
    if (quiet) SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    bool edited = false;
    SendScintilla(SCI_BEGINUNDOACTION);

    // From the first line down, each run of lines that differ from the
    // present ones is replaced in one piece, from the first byte that
    // differs to the last, its new bytes gathered in `run`.  A run goes on
    // over a few lines that stay (written again as they are), so that the
    // undo history holds a few long steps rather than one a line, and it
    // ends at kRunBytes, so that its copy stays small.  What the old and the
    // new line have in common at the run's two ends stays.
    constexpr qsizetype kRunBytes = 64 * 1024;
    constexpr qsizetype kKeptBytes = 1024;  // the most bytes of kept lines a run goes on over
    QByteArray run;
    long runStart = -1;           // the old bytes the run replaces: from here
    long runLastLineEnd = 0;      // to the end of its last changed line,
    qsizetype runLastSuffix = 0;  // less what that line keeps at its end
    qsizetype runChanged = 0;     // the run's bytes up to its last changed line
    qsizetype runLineEnds = 0;    // the line ends inside the run's texts
    qsizetype added = 0;          // lines that texts holding line ends added so far
    // The present text from `restStart` on, in one piece: the editor's gap
    // lies before it, where the last replacement ended.  The lines are read
    // from it as the editor splits them: at CR LF, a lone CR, a lone LF.
    long docLength = length;
    long restStart = 0;
    const char* rest = reinterpret_cast<const char*>(static_cast<intptr_t>(SendScintilla(SCI_GETCHARACTERPOINTER)));
    // Replaces the run; the bytes after it move by what it changed the
    // length by, which it returns, and `rest` is to be read again.
    bool replaced = false;
    const auto replaceRun = [&]() -> long {
        if (runStart < 0) return 0;
        run.truncate(runChanged - runLastSuffix);
        const long to = runLastLineEnd - static_cast<long>(runLastSuffix);
        SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(runStart), to);
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(run.size()), run.constData());
        const long moved = static_cast<long>(run.size()) - (to - runStart);
        docLength += moved;
        run.resize(0);
        runStart = -1;
        added += runLineEnds;
        runLineEnds = 0;
        edited = replaced = true;
        return moved;
    };
    const qsizetype common = std::min(want, have);
    long start = 0;  // where the present line i starts
    for (qsizetype i = 0; i < common; ++i) {
        build(i);
        const char* old = rest + (start - restStart);
        long end = start;
        while (end < docLength && rest[end - restStart] != '\r' && rest[end - restStart] != '\n') ++end;
        long next = end;  // where the next line starts
        if (next < docLength)
            next += rest[next - restStart] == '\r' && next + 1 < docLength && rest[next + 1 - restStart] == '\n' ? 2 : 1;
        qsizetype prefix = 0, suffix = 0;
        CommonEnds(old, end - start, line.constData(), line.size(), prefix, suffix);
        long moved = 0;
        if (prefix == end - start && prefix == line.size()) {
            // Kept inside a run only while a changed line follows soon.
            if (runStart >= 0) {
                run += "\r\n";
                run += line;
                if (run.size() - runChanged > kKeptBytes) moved = replaceRun();
            }
        } else {
            if (runStart < 0) {
                runStart = start + static_cast<long>(prefix);
                run.append(line.constData() + prefix, line.size() - prefix);
            } else {
                run += "\r\n";
                run += line;
            }
            runChanged = run.size();
            runLastLineEnd = end;
            runLastSuffix = suffix;
            runLineEnds += innerLineEnds;
            if (run.size() >= kRunBytes) moved = replaceRun();
        }
        start = next + moved;
        if (replaced) {
            replaced = false;
            restStart = start;
            rest = reinterpret_cast<const char*>(static_cast<intptr_t>(
                SendScintilla(SCI_GETRANGEPOINTER, static_cast<unsigned long>(start), docLength - start)));
        }
    }
    replaceRun();

    const long last = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(common - 1 + added));
    if (want < have) {
        // The lines past the new last line go.
        SendScintilla(SCI_DELETERANGE, static_cast<unsigned long>(last), SendScintilla(SCI_GETLENGTH) - last);
        edited = true;
    } else if (want > have) {
        // The new lines past the present last line come in one insertion.
        for (qsizetype i = have; i < want; ++i) {
            build(i);
            run += "\r\n";
            run += line;
        }
        SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(last), last);
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(run.size()), run.constData());
        edited = true;
    }
    SendScintilla(SCI_ENDUNDOACTION);
    // Line i is still line i unless a text brought line ends of its own;
    // the lines that went take their markers with them.
    if (edited && added == 0 && !markers.empty()) {
        SendScintilla(SCI_MARKERDELETEALL, static_cast<unsigned long>(-1L));
        for (const auto& [l, bits] : markers)
            if (static_cast<qsizetype>(l) < want) SendScintilla(SCI_MARKERADDSET, l, bits);
    }
    if (quiet) SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    SendScintilla(SCI_SETEMPTYSELECTION, 0UL);
    if (edited && quiet) {
        changed_ = true;
        emit Change(this);
    }
    if (edited && LineCount() != have) {
        UpdateLineNumberMargin();
        SetHighlightedLine(highlightedLine_);
    }
    CheckSelection();
}

void CodeEditor::RemoveLine(int32_t line) {
    const int32_t count = LineCount();
    if (line < 0 || line >= count) return;
    long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    long end = line + 1 < count ? SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                : SendScintilla(SCI_GETLENGTH);
    // The last line has no line end of its own: take the one before it.
    if (line + 1 >= count && line > 0) start = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    SendScintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(0), "");
    CheckSelection();
}

void CodeEditor::InsertLineAt(int32_t line, const QString& text) {
    const int32_t count = LineCount();
    if (line < 0 || line > count) return;
    const QString body = NormaliseLineEnds(text);
    QByteArray bytes;
    long at = 0;
    if (line < count) {
        at = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        bytes = (body + QStringLiteral("\r\n")).toUtf8();
    } else {
        at = SendScintilla(SCI_GETLENGTH);
        bytes = (QStringLiteral("\r\n") + body).toUtf8();
    }
    SendScintilla(SCI_INSERTTEXT, static_cast<unsigned long>(at), bytes.constData());
    CheckSelection();
}

}  // namespace platform
