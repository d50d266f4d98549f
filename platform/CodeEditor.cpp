#include "platform/CodeEditor.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QHideEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSet>
#include <QToolTip>

#include <malloc.h>

#include <algorithm>
#include <iterator>

#include "compiler/Text.h"
#include "platform/EditorInternals.h"
#include "platform/SafeFile.h"
#include "vxKeyCodes.h"

namespace platform {

namespace detail {

QString NormaliseLineEnds(const QString& text) {
    // Most texts already end every line with CR LF: they are kept as they
    // are, without a copy.
    bool normal = true;
    for (qsizetype i = text.indexOf(u'\r'); normal && i >= 0; i = text.indexOf(u'\r', i + 2))
        normal = i + 1 < text.size() && text[i + 1] == u'\n';
    for (qsizetype i = text.indexOf(u'\n'); normal && i >= 0; i = text.indexOf(u'\n', i + 1))
        normal = i > 0 && text[i - 1] == u'\r';
    if (normal) return text;
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\r\n");
        } else {
            out += c;
        }
    }
    return out;
}

QSet<CodeEditor*>& LiveEditors() {
    static QSet<CodeEditor*> editors;
    return editors;
}

}  // namespace detail

using namespace detail;

namespace {

using SB = QsciScintillaBase;

// Margins and markers of the editor.
constexpr int kNumberMargin = 0;
constexpr int kBookmarkMargin = 1;
constexpr int kBookmarkMarker = 1;
constexpr int kHighlightMarker = 2;
constexpr int kStyleCount = 7;  // tsText .. tsScope

// The design-time font of a new editor.
QFont DefaultEditorFont() {
    QFont f(QStringLiteral("Monospace"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPointSizeF(10);
    return f;
}

}  // namespace

// ---- The editor ------------------------------------------------------------------

CodeEditor::CodeEditor(QWidget* parent) : QsciScintilla(parent) {
    // The editor's own accessible object, not QScintilla's: it answers for
    // the editor's class, which Qt asks about before the component's.
    static const bool accessible = [] {
        QAccessible::installFactory(EditorAccessibleFactory);
        return true;
    }();
    (void)accessible;
    std::copy(std::begin(kDefaultColors), std::end(kDefaultColors), colors_.begin());
    font_ = DefaultEditorFont();

    setUtf8(true);
    setEolMode(EolWindows);
    setEolVisibility(false);
    SendScintilla(SCI_SETPASTECONVERTENDINGS, 1UL);
    setTabWidth(4);
    setIndentationsUseTabs(true);
    setWrapMode(WrapNone);
    // The horizontal scroll bar follows the longest line shown.
    SendScintilla(SCI_SETSCROLLWIDTH, 1UL);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1UL);
    setContextMenuPolicy(Qt::NoContextMenu);

    SendScintilla(SCI_MARKERDEFINE, static_cast<unsigned long>(kBookmarkMarker), static_cast<long>(SC_MARK_ROUNDRECT));
    SendScintilla(SCI_MARKERDEFINE, static_cast<unsigned long>(kHighlightMarker), static_cast<long>(SC_MARK_BACKGROUND));
    setMarginMarkerMask(kNumberMargin, 0);
    setMarginMarkerMask(kBookmarkMargin, 1 << kBookmarkMarker);
    SendScintilla(SCI_SETMARGINTYPEN, static_cast<unsigned long>(kBookmarkMargin), static_cast<long>(SC_MARGIN_COLOUR));
    setMarginWidth(2, 0);

    connect(this, &QsciScintilla::textChanged, this, &CodeEditor::OnTextChanged);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int) { CheckSelection(); });
    connect(this, &QsciScintilla::linesChanged, this, &CodeEditor::UpdateLineNumberMargin);
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int) {
        if (!lineTips_) return;
        QToolTip::showText(QCursor::pos(), LineNumberText(FirstVisibleLine()), this);
    });

    LiveEditors().insert(this);
    ApplyHotKeys();
    ApplyStyles();
    ApplyLineNumbers();
    SetSelectionBounded(true);
    SetBookmarkMarginShown(false);
    lastAnchor_ = SendScintilla(SCI_GETANCHOR);
    lastCaret_ = SendScintilla(SCI_GETCURRENTPOS);
}

CodeEditor::~CodeEditor() {
    LiveEditors().remove(this);
    CloseCodeTip();
}

// ---- Positions ------------------------------------------------------------------

QString CodeEditor::TextRange(long start, long end) const {
    if (end <= start) return QString();
    QByteArray bytes(static_cast<qsizetype>(end - start) + 1, '\0');
    SendScintilla(SCI_GETTEXTRANGE, start, end, bytes.data());
    bytes.truncate(static_cast<qsizetype>(end - start));
    return QString::fromUtf8(bytes);
}

long CodeEditor::PositionOf(int32_t line, int32_t column) const {
    const long lines = SendScintilla(SCI_GETLINECOUNT);
    if (line < 0) line = 0;
    if (line >= lines) line = static_cast<int32_t>(lines - 1);
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    if (column <= 0) return start;
    const long pos = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, static_cast<unsigned long>(start), static_cast<long>(column));
    if (pos <= 0 || pos > end) return end;
    return pos;
}

void CodeEditor::LineColumnOf(long position, int32_t& line, int32_t& column) const {
    line = static_cast<int32_t>(SendScintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    column = static_cast<int32_t>(SendScintilla(SCI_COUNTCODEUNITS, static_cast<unsigned long>(start), position));
}

void CodeEditor::EnsureStyled(long upTo) const {
    if (!lexer()) return;
    const long length = SendScintilla(SCI_GETLENGTH);
    if (upTo < 0 || upTo > length) upTo = length;
    const long styled = SendScintilla(SCI_GETENDSTYLED);
    if (styled < upTo) SendScintilla(SCI_COLOURISE, static_cast<unsigned long>(styled), upTo);
}

long CodeEditor::EndOfView() const {
    const long last = SendScintilla(SCI_GETFIRSTVISIBLELINE) + SendScintilla(SCI_LINESONSCREEN) + 1;
    if (last >= SendScintilla(SCI_GETLINECOUNT)) return SendScintilla(SCI_GETLENGTH);
    return SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(last));
}

// ---- Text -------------------------------------------------------------------------

QString CodeEditor::WholeText() const { return text(); }

void CodeEditor::SetWholeText(const QString& text) {
    CloseCodeTip();
    setText(NormaliseLineEnds(text));
    // The new text would carry the highlight's mark to wherever its line
    // breaks pushed it: the highlighted line keeps its number.
    SetHighlightedLine(highlightedLine_);
    CheckSelection();
}

int32_t CodeEditor::LineCount() const { return static_cast<int32_t>(SendScintilla(SCI_GETLINECOUNT)); }

QString CodeEditor::LineText(int32_t line) const {
    if (line < 0 || line >= LineCount()) return QString();
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
    return TextRange(start, end);
}

QStringList CodeEditor::Lines() const {
    const int32_t count = LineCount();
    QStringList lines;
    lines.reserve(count);
    // The document's bytes in one piece (the editor closes its gap for
    // that); nothing edits them before the last line is read.
    const char* text = reinterpret_cast<const char*>(static_cast<intptr_t>(SendScintilla(SCI_GETCHARACTERPOINTER)));
    for (int32_t line = 0; line < count; ++line) {
        const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        const long end = SendScintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        lines << QString::fromUtf8(text + start, static_cast<qsizetype>(end - start));
    }
    return lines;
}

bool CodeEditor::LoadFromFile(const QString& path) {
    // Only an ordinary file within the limit of program texts: a pipe or a
    // device in the file's place is refused without being read.
    QByteArray bytes;
    if (ReadRegularFile(path, kTextFileSizeLimit, bytes) != 0) return false;
    const std::u16string text = qvv2::FromAnsi(std::string(bytes.constData(), static_cast<size_t>(bytes.size())), "");
    LoadText(QString::fromStdU16String(text));
    return true;
}

void CodeEditor::LoadText(const QString& text) {
    CloseCodeTip();
    // A load is no edit: no Change event, nothing to undo (the undo
    // history would otherwise hold a second copy of the whole text), and
    // no modification notices at all while the text goes in: QScintilla
    // would turn the whole text into a string once more for its
    // accessibility notice.  The view keeps itself up to date without them;
    // the line-number margin, which follows the notices, is sized below.
    // The editor's buffers are sized for the text before it goes in, so
    // they do not grow in steps that leave room unused; what the load
    // freed goes back to the system.
    settingText_ = true;
    const QByteArray bytes = NormaliseLineEnds(text).toUtf8();
    const long eventMask = SendScintilla(SCI_GETMODEVENTMASK);
    const bool readOnly = isReadOnly();
    SendScintilla(SCI_SETMODEVENTMASK, 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 0UL);
    SendScintilla(SCI_SETREADONLY, 0UL);
    SendScintilla(SCI_CLEARALL);
    SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(bytes.size()) + 1);
    SendScintilla(SCI_SETTEXT, bytes.constData());
    SendScintilla(SCI_SETREADONLY, readOnly ? 1UL : 0UL);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1UL);
    SendScintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(eventMask));
    settingText_ = false;
    EmptyUndoHistory();
    MarkSaved();
    UpdateLineNumberMargin();
    SetHighlightedLine(highlightedLine_);
    CheckSelection();
    malloc_trim(0);
}

void CodeEditor::MarkSaved() {
    SendScintilla(SCI_SETSAVEPOINT);
    changed_ = false;
}

void CodeEditor::EmptyUndoHistory() { SendScintilla(SCI_EMPTYUNDOBUFFER); }

// ---- Selection and caret ----------------------------------------------------------

EditorRange CodeEditor::Selection(bool normalised) const {
    long anchor = SendScintilla(SCI_GETANCHOR);
    long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (normalised && anchor > caret) std::swap(anchor, caret);
    EditorRange r;
    LineColumnOf(anchor, r.StartLineNo, r.StartColNo);
    LineColumnOf(caret, r.EndLineNo, r.EndColNo);
    return r;
}

QString CodeEditor::SelectedText() const {
    const long a = SendScintilla(SCI_GETSELECTIONSTART);
    const long b = SendScintilla(SCI_GETSELECTIONEND);
    return TextRange(a, b);
}

void CodeEditor::ReplaceSelectedText(const QString& text) {
    const long start = SendScintilla(SCI_GETSELECTIONSTART);
    const QByteArray bytes = NormaliseLineEnds(text).toUtf8();
    // Room for the new text at once: a long insertion would otherwise grow
    // the editor's buffers in steps, a copy each.
    const long length = SendScintilla(SCI_GETLENGTH);
    const long grown = length - (SendScintilla(SCI_GETSELECTIONEND) - start) + static_cast<long>(bytes.size());
    if (grown > length) SendScintilla(SCI_ALLOCATE, static_cast<unsigned long>(grown) + 1);
    SendScintilla(SCI_BEGINUNDOACTION);
    SendScintilla(SCI_TARGETFROMSELECTION);
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(bytes.size()), bytes.constData());
    SendScintilla(SCI_ENDUNDOACTION);
    SendScintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(start));
    CheckSelection();
}

void CodeEditor::PutCaret(int32_t line, int32_t column) {
    const long pos = PositionOf(line, column);
    SendScintilla(SCI_GOTOPOS, static_cast<unsigned long>(pos));
    CheckSelection();
}

void CodeEditor::SelectRange(int32_t startLine, int32_t startCol, int32_t endLine, int32_t endCol) {
    const long a = PositionOf(startLine, startCol);
    const long b = PositionOf(endLine, endCol);
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(a), b);
    CheckSelection();
}

int32_t CodeEditor::FirstVisibleLine() const { return static_cast<int32_t>(SendScintilla(SCI_GETFIRSTVISIBLELINE)); }

void CodeEditor::SetFirstVisibleLine(int32_t line) {
    if (line < 0) line = 0;
    SendScintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(line));
}

QString CodeEditor::WordAtCaret() const {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const QString text = LineText(line);
    qsizetype i = std::min<qsizetype>(col, text.size());
    // Touching a word: from its start to its end.
    if (i < text.size() && IsWordChar(text[i])) {
        while (i > 0 && IsWordChar(text[i - 1])) --i;
    } else {
        while (i > 0 && (text[i - 1] == u' ' || text[i - 1] == u'\t')) --i;
        if (i == 0 || !IsWordChar(text[i - 1])) return QString();
        while (i > 0 && IsWordChar(text[i - 1])) --i;
    }
    qsizetype j = i;
    while (j < text.size() && IsWordChar(text[j])) ++j;
    return text.mid(i, j - i);
}

int32_t CodeEditor::TokenKindAtCaret() const {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const QString text = LineText(line);
    qsizetype i = std::min<qsizetype>(col, text.size());
    // The token the caret touches, else the nearest one to its left.
    if (!(i < text.size() && text[i] != u' ' && text[i] != u'\t')) {
        while (i > 0 && (text[i - 1] == u' ' || text[i - 1] == u'\t')) --i;
        if (i == 0) return tokNone;
        --i;
    }
    const int style = StyleAt(line, static_cast<int32_t>(i));
    switch (style) {
    case tsComment: return tokComment;
    case tsString: return tokString;
    case tsNumber: return tokNumber;
    case tsOperator: return tokOperator;
    default: return IsWordChar(text[i]) ? tokWord : tokNone;
    }
}

int CodeEditor::StyleAt(int32_t line, int32_t column) const {
    if (line < 0 || line >= LineCount() || column < 0) return tsText;
    const long pos = PositionOf(line, column);
    EnsureStyled(pos + 1);
    return static_cast<int>(SendScintilla(SCI_GETSTYLEAT, static_cast<unsigned long>(pos)));
}

void CodeEditor::CheckSelection() {
    const long anchor = SendScintilla(SCI_GETANCHOR);
    const long caret = SendScintilla(SCI_GETCURRENTPOS);
    if (QAccessible::isActive()) ReportSelectionToAccessibility(anchor, caret);
    if (anchor == lastAnchor_ && caret == lastCaret_) return;
    lastAnchor_ = anchor;
    lastCaret_ = caret;
    emit SelChange(this);
    if (tip_) {
        emit CodeTipUpdate(this, tip_.get());
        if (tip_ && tip_->destroyed) CloseCodeTip();
        else PlaceCodeTip();
    }
}

void CodeEditor::ReportSelectionToAccessibility(long anchor, long caret) {
    // The caret's offset can change while its byte position stays (a
    // replacement before it), so the offset is compared.  Text events come
    // from QScintilla on every insertion and deletion.
    const long offset = CharactersBefore(*this, caret);
    const bool selectionMoved = anchor != lastAnchor_ || caret != lastCaret_;
    if (selectionMoved && (anchor != caret || lastAnchor_ != lastCaret_)) {
        const long anchorOffset = anchor == caret ? offset : CharactersBefore(*this, anchor);
        QAccessibleTextSelectionEvent event(this, static_cast<int>(std::min(anchorOffset, offset)),
                                            static_cast<int>(std::max(anchorOffset, offset)));
        QAccessible::updateAccessibility(&event);
    }
    if (offset == accessibleCaret_) return;
    accessibleCaret_ = offset;
    QAccessibleTextCursorEvent event(this, static_cast<int>(offset));
    QAccessible::updateAccessibility(&event);
}

void CodeEditor::OnTextChanged() {
    if (settingText_) return;
    changed_ = true;
    emit Change(this);
}

// ---- Events ------------------------------------------------------------------------

void CodeEditor::keyPressEvent(QKeyEvent* e) {
    bool handled = false;
    emit KeyDown(this, vxKey::CodeOf(e), vxKey::ShiftOf(e->modifiers()), &handled);
    if (handled) {
        e->accept();
        return;
    }
    if (tip_ && e->key() == Qt::Key_Escape) {
        CloseCodeTip();
        e->accept();
        return;
    }
    QsciScintilla::keyPressEvent(e);
    CheckSelection();
}

void CodeEditor::keyReleaseEvent(QKeyEvent* e) {
    bool handled = false;
    emit KeyUp(this, vxKey::CodeOf(e), vxKey::ShiftOf(e->modifiers()), &handled);
    if (!handled) QsciScintilla::keyReleaseEvent(e);
}

void CodeEditor::inputMethodEvent(QInputMethodEvent* e) {
    QsciScintilla::inputMethodEvent(e);
    CheckSelection();
}

void CodeEditor::mousePressEvent(QMouseEvent* e) {
    bool handled = false;
    const QPoint p = e->position().toPoint();
    emit MouseDown(this, vxKey::ButtonsOf(e->button()), vxKey::ShiftOf(e->modifiers()), p.x(), p.y(), &handled);
    if (handled) {
        e->accept();
        return;
    }
    QsciScintilla::mousePressEvent(e);
    CheckSelection();
}

void CodeEditor::mouseReleaseEvent(QMouseEvent* e) {
    QsciScintilla::mouseReleaseEvent(e);
    CheckSelection();
}

void CodeEditor::mouseMoveEvent(QMouseEvent* e) {
    QsciScintilla::mouseMoveEvent(e);
    if (e->buttons() != Qt::NoButton) CheckSelection();
}

void CodeEditor::focusInEvent(QFocusEvent* e) {
    QsciScintilla::focusInEvent(e);
    emit FocusIn(this);
}

void CodeEditor::focusOutEvent(QFocusEvent* e) {
    // A tip belongs to the caret: it does not stay over other windows.
    CloseCodeTip();
    QsciScintilla::focusOutEvent(e);
}

void CodeEditor::hideEvent(QHideEvent* e) {
    CloseCodeTip();
    QsciScintilla::hideEvent(e);
}

void CodeEditor::contextMenuEvent(QContextMenuEvent* e) {
    // The window that hosts the editor offers its own menu (MouseDown).
    e->accept();
}

// ---- Commands ----------------------------------------------------------------------

bool CodeEditor::CanUndo() const { return SendScintilla(SCI_CANUNDO) != 0; }
bool CodeEditor::CanRedo() const { return SendScintilla(SCI_CANREDO) != 0; }
bool CodeEditor::CanCut() const { return !isReadOnly() && SendScintilla(SCI_GETSELECTIONEMPTY) == 0; }
bool CodeEditor::CanCopy() const { return SendScintilla(SCI_GETSELECTIONEMPTY) == 0; }
bool CodeEditor::CanPaste() const { return SendScintilla(SCI_CANPASTE) != 0; }

void CodeEditor::Undo() {
    SendScintilla(SCI_UNDO);
    CheckSelection();
}
void CodeEditor::Redo() {
    SendScintilla(SCI_REDO);
    CheckSelection();
}
void CodeEditor::Cut() {
    SendScintilla(SCI_CUT);
    CheckSelection();
}
void CodeEditor::Copy() { SendScintilla(SCI_COPY); }
void CodeEditor::Paste() {
    SendScintilla(SCI_PASTE);
    CheckSelection();
}

void CodeEditor::RunCommand(int32_t command) {
    switch (command) {
    case cmdUnindentSelection: IndentSelection(false); break;
    case cmdUndo: Undo(); break;
    case cmdSelectLine: SelectCaretLine(); break;
    case cmdSelectAll:
        SendScintilla(SCI_SELECTALL);
        CheckSelection();
        break;
    case cmdRedo: Redo(); break;
    case cmdPaste: Paste(); break;
    case cmdLineDelete:
        SendScintilla(SCI_LINEDELETE);
        CheckSelection();
        break;
    case cmdLineCut:
        SendScintilla(SCI_LINECUT);
        CheckSelection();
        break;
    case cmdIndentSelection: IndentSelection(true); break;
    case cmdRefreshView:
        if (lexer()) SendScintilla(SCI_COLOURISE, 0UL, -1L);
        viewport()->update();
        break;
    case cmdGotoLine: ShowGotoDialog(); break;
    case cmdReplace: ShowReplaceDialog(); break;
    case cmdFindPrevious: Find(false); break;
    case cmdFindNext: Find(true); break;
    case cmdFind: ShowFindDialog(); break;
    case cmdDelete: DeleteForward(); break;
    case cmdCut: Cut(); break;
    case cmdCopy: Copy(); break;
    case cmdToggleBookmark: ToggleBookmark(); break;
    case cmdPreviousBookmark: JumpToBookmark(false); break;
    case cmdNextBookmark: JumpToBookmark(true); break;
    case cmdClearBookmarks: SendScintilla(SCI_MARKERDELETEALL, static_cast<unsigned long>(kBookmarkMarker)); break;
    case cmdProperties: RunPropertiesDialog(nullptr); break;
    case cmdCodeTip: ShowCodeTip(); break;
    default: break;
    }
}

void CodeEditor::IndentSelection(bool indentLines) {
    const EditorRange r = Selection(true);
    int32_t last = r.EndLineNo;
    // A selection that ends at the start of a line leaves that line alone.
    if (last > r.StartLineNo && r.EndColNo == 0) --last;
    SendScintilla(SCI_BEGINUNDOACTION);
    for (int32_t line = r.StartLineNo; line <= last; ++line) {
        if (indentLines) indent(line);
        else unindent(line);
    }
    SendScintilla(SCI_ENDUNDOACTION);
    CheckSelection();
}

void CodeEditor::SelectCaretLine() {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const long start = SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long end = line + 1 < LineCount() ? SendScintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                                            : SendScintilla(SCI_GETLENGTH);
    SendScintilla(SCI_SETSEL, static_cast<unsigned long>(start), end);
    CheckSelection();
}

void CodeEditor::DeleteForward() {
    SendScintilla(SCI_CLEAR);
    CheckSelection();
}

bool CodeEditor::LineHasBookmark(int32_t line) const {
    if (line < 0 || line >= LineCount()) return false;
    return (SendScintilla(SCI_MARKERGET, static_cast<unsigned long>(line)) & (1L << kBookmarkMarker)) != 0;
}

bool CodeEditor::HasBookmarks() const {
    return SendScintilla(SCI_MARKERNEXT, 0UL, 1L << kBookmarkMarker) >= 0;
}

void CodeEditor::ToggleBookmark() {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    if (LineHasBookmark(line)) SendScintilla(SCI_MARKERDELETE, static_cast<unsigned long>(line), static_cast<long>(kBookmarkMarker));
    else SendScintilla(SCI_MARKERADD, static_cast<unsigned long>(line), static_cast<long>(kBookmarkMarker));
}

void CodeEditor::JumpToBookmark(bool forward) {
    int32_t line = 0, col = 0;
    LineColumnOf(SendScintilla(SCI_GETCURRENTPOS), line, col);
    const long mask = 1L << kBookmarkMarker;
    long found = -1;
    if (forward) {
        found = SendScintilla(SCI_MARKERNEXT, static_cast<unsigned long>(line + 1), mask);
        if (found < 0) found = SendScintilla(SCI_MARKERNEXT, 0UL, mask);
    } else {
        found = line > 0 ? SendScintilla(SCI_MARKERPREVIOUS, static_cast<unsigned long>(line - 1), mask) : -1;
        if (found < 0) found = SendScintilla(SCI_MARKERPREVIOUS, static_cast<unsigned long>(LineCount() - 1), mask);
    }
    if (found >= 0) PutCaret(static_cast<int32_t>(found), 0);
}

void CodeEditor::SetHighlightedLine(int32_t line) {
    RemoveHighlightMark();
    highlightedLine_ = line < 0 ? -1 : line;
    if (highlightedLine_ >= 0 && highlightedLine_ < LineCount()) {
        SendScintilla(SCI_MARKERADD, static_cast<unsigned long>(highlightedLine_), static_cast<long>(kHighlightMarker));
        highlightMarkLine_ = highlightedLine_;
    }
}

void CodeEditor::RemoveHighlightMark() {
    // The mark is on one line at most.  Edits move it with its line: a
    // line break typed before or after it moves it by one line at most, so
    // it is looked for where it was put and next to it; only a mark that
    // went further (an edit of many lines above it) costs a pass over every
    // line, which a search for it would cost as well.
    const long mask = 1L << kHighlightMarker;
    const int32_t count = LineCount();
    for (const int32_t line : {highlightMarkLine_, highlightMarkLine_ + 1, highlightMarkLine_ - 1}) {
        if (line < 0 || line >= count) continue;
        if ((SendScintilla(SCI_MARKERGET, static_cast<unsigned long>(line)) & mask) == 0) continue;
        SendScintilla(SCI_MARKERDELETE, static_cast<unsigned long>(line), static_cast<long>(kHighlightMarker));
        highlightMarkLine_ = -1;
        return;
    }
    if (highlightMarkLine_ >= 0) SendScintilla(SCI_MARKERDELETEALL, static_cast<unsigned long>(kHighlightMarker));
    highlightMarkLine_ = -1;
}

// ---- Colours, font and options ------------------------------------------------------

QColor CodeEditor::StyleFore(int style) const {
    int slot = clrText;
    switch (style) {
    case tsComment: slot = clrComment; break;
    case tsString: slot = clrString; break;
    case tsNumber: slot = clrNumber; break;
    case tsKeyword: slot = clrKeyword; break;
    case tsOperator: slot = clrOperator; break;
    case tsScope: slot = clrScope; break;
    default: break;
    }
    if (colors_[static_cast<size_t>(slot)] != kNoColor) return ColorFromBgr(colors_[static_cast<size_t>(slot)]);
    if (colors_[clrText] != kNoColor) return ColorFromBgr(colors_[clrText]);
    return QColor(Qt::black);
}

QColor CodeEditor::WindowColor() const {
    return colors_[clrWindow] != kNoColor ? ColorFromBgr(colors_[clrWindow]) : QColor(Qt::white);
}

QColor CodeEditor::StyleBack(int style) const {
    int slot = clrTextBk;
    switch (style) {
    case tsComment: slot = clrCommentBk; break;
    case tsString: slot = clrStringBk; break;
    case tsNumber: slot = clrNumberBk; break;
    case tsKeyword: slot = clrKeywordBk; break;
    case tsOperator: slot = clrOperatorBk; break;
    case tsScope: slot = clrScopeBk; break;
    default: break;
    }
    if (colors_[static_cast<size_t>(slot)] != kNoColor) return ColorFromBgr(colors_[static_cast<size_t>(slot)]);
    if (colors_[clrTextBk] != kNoColor) return ColorFromBgr(colors_[clrTextBk]);
    return WindowColor();
}

namespace {
void SetStyleFont(const CodeEditor& e, int style, const QFont& f) {
    const QByteArray family = f.family().toUtf8();
    e.SendScintilla(SB::SCI_STYLESETFONT, static_cast<uintptr_t>(style), family.constData());
    e.SendScintilla(SB::SCI_STYLESETSIZEFRACTIONAL, static_cast<unsigned long>(style),
                    static_cast<long>(f.pointSizeF() * 100 + 0.5));
    e.SendScintilla(SB::SCI_STYLESETWEIGHT, static_cast<unsigned long>(style), static_cast<long>(f.bold() ? 700 : 400));
    e.SendScintilla(SB::SCI_STYLESETITALIC, static_cast<unsigned long>(style), static_cast<long>(f.italic()));
    e.SendScintilla(SB::SCI_STYLESETUNDERLINE, static_cast<unsigned long>(style), static_cast<long>(f.underline()));
}
}  // namespace

void CodeEditor::ApplyStyles() {
    const QColor text = StyleFore(tsText);
    SetStyleFont(*this, STYLE_DEFAULT, font_);
    SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(STYLE_DEFAULT), text);
    SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(STYLE_DEFAULT), WindowColor());
    SendScintilla(SCI_STYLECLEARALL);
    for (int style = 0; style < kStyleCount; ++style) {
        SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(style), StyleFore(style));
        SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(style), StyleBack(style));
    }
    const QColor numberFore = colors_[clrLineNumber] != kNoColor ? ColorFromBgr(colors_[clrLineNumber]) : text;
    const QColor numberBack =
        colors_[clrLineNumberBk] != kNoColor ? ColorFromBgr(colors_[clrLineNumberBk]) : QColor(0xE0, 0xE0, 0xE0);
    SendScintilla(SCI_STYLESETFORE, static_cast<unsigned long>(STYLE_LINENUMBER), numberFore);
    SendScintilla(SCI_STYLESETBACK, static_cast<unsigned long>(STYLE_LINENUMBER), numberBack);
    const QColor margin =
        colors_[clrLeftMargin] != kNoColor ? ColorFromBgr(colors_[clrLeftMargin]) : QColor(0xC0, 0xC0, 0xC0);
    SendScintilla(SCI_SETMARGINBACKN, static_cast<unsigned long>(kBookmarkMargin), margin);
    const QColor mark = colors_[clrBookmark] != kNoColor ? ColorFromBgr(colors_[clrBookmark]) : QColor(Qt::green);
    const QColor markEdge = colors_[clrBookmarkBk] != kNoColor ? ColorFromBgr(colors_[clrBookmarkBk]) : text;
    SendScintilla(SCI_MARKERSETBACK, static_cast<unsigned long>(kBookmarkMarker), mark);
    SendScintilla(SCI_MARKERSETFORE, static_cast<unsigned long>(kBookmarkMarker), markEdge);
    const QColor highlight = colors_[clrHighlight] != kNoColor ? ColorFromBgr(colors_[clrHighlight]) : WindowColor();
    SendScintilla(SCI_MARKERSETBACK, static_cast<unsigned long>(kHighlightMarker), highlight);
    SendScintilla(SCI_SETCARETFORE, text);
    UpdateLineNumberMargin();
}

int32_t CodeEditor::SlotColor(int slot) const {
    if (slot < 0 || slot >= kColorSlotCount) return kNoColor;
    return colors_[static_cast<size_t>(slot)];
}

bool CodeEditor::SetSlotColor(int slot, int32_t color) {
    if (slot < 0 || slot >= kColorSlotCount) return false;
    colors_[static_cast<size_t>(slot)] = color;
    ApplyStyles();
    return true;
}

bool CodeEditor::SetEditorFont(const QFont& font) {
    const double size = font.pointSizeF();
    if (!(size > 0) || size > 1638) return false;
    font_ = font;
    ApplyStyles();
    return true;
}

void CodeEditor::SetWhitespaceShown(bool shown) {
    whitespaceShown_ = shown;
    setWhitespaceVisibility(shown ? WsVisible : WsInvisible);
}

void CodeEditor::SetBookmarkMarginShown(bool shown) {
    bookmarkMargin_ = shown;
    setMarginWidth(kBookmarkMargin, shown ? 16 : 0);
}

void CodeEditor::SetSelectionBounded(bool on) {
    selectionBounded_ = on;
    SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, on ? 0UL : static_cast<unsigned long>(SCVS_USERACCESSIBLE | SCVS_RECTANGULARSELECTION));
}

void CodeEditor::SetLineNumbersShown(bool on) {
    lineNumbers_ = on;
    ApplyLineNumbers();
}

void CodeEditor::SetLineNumberStyle(int32_t style) {
    lineNumberStyle_ = style;
    ApplyLineNumbers();
}

void CodeEditor::SetFirstLineNumber(int32_t number) {
    firstLineNumber_ = number;
    ApplyLineNumbers();
}

QString CodeEditor::LineNumberText(int32_t line) const {
    const qint64 number = static_cast<qint64>(firstLineNumber_) + line;
    int base = 10;
    if (lineNumberStyle_ == lnBinary || lineNumberStyle_ == lnOctal || lineNumberStyle_ == lnHexadecimal)
        base = lineNumberStyle_;
    QString text = number < 0 ? QStringLiteral("-") + QString::number(-number, base) : QString::number(number, base);
    return base == 16 ? text.toUpper() : text;
}

void CodeEditor::HideMargins() {
    SetLineNumbersShown(false);
    SetBookmarkMarginShown(false);
    for (int margin = 0; margin < margins(); ++margin) setMarginWidth(margin, 0);
}

int CodeEditor::TextIndent() const {
    int indent = frameWidth() + static_cast<int>(SendScintilla(SCI_GETMARGINLEFT));
    for (int margin = 0; margin < margins(); ++margin) indent += marginWidth(margin);
    return indent;
}

void CodeEditor::ApplyLineNumbers() {
    const bool native = (lineNumberStyle_ != lnBinary && lineNumberStyle_ != lnOctal && lineNumberStyle_ != lnHexadecimal) &&
                        firstLineNumber_ == 1;
    SendScintilla(SCI_MARGINTEXTCLEARALL);
    SendScintilla(SCI_SETMARGINTYPEN, static_cast<unsigned long>(kNumberMargin),
                  static_cast<long>(native ? SC_MARGIN_NUMBER : SC_MARGIN_RTEXT));
    UpdateLineNumberMargin();
}

void CodeEditor::UpdateLineNumberMargin() {
    if (!lineNumbers_) {
        setMarginWidth(kNumberMargin, 0);
        return;
    }
    const int32_t count = std::max<int32_t>(1, LineCount());
    const bool native = SendScintilla(SCI_GETMARGINTYPEN, static_cast<unsigned long>(kNumberMargin)) == SC_MARGIN_NUMBER;
    QString widest = LineNumberText(count - 1);
    if (LineNumberText(0).size() > widest.size()) widest = LineNumberText(0);
    if (!native) {
        for (int32_t line = 0; line < count; ++line) {
            const QByteArray t = LineNumberText(line).toUtf8();
            SendScintilla(SCI_MARGINSETTEXT, static_cast<uintptr_t>(line), t.constData());
            SendScintilla(SCI_MARGINSETSTYLE, static_cast<unsigned long>(line), static_cast<long>(STYLE_LINENUMBER));
        }
    }
    setMarginWidth(kNumberMargin, QString(std::max<qsizetype>(widest.size(), 3) + 1, u'9'));
}

// ---- Code tips -----------------------------------------------------------------------

void CodeEditor::ShowCodeTip() {
    CloseCodeTip();
    int kind = 0;
    emit CodeTipRequest(this, &kind);
    if (kind != 4) return;
    tip_ = std::make_unique<CodeTip>();
    tip_->Font = font_;
    emit CodeTipInitialize(this, tip_.get());
    if (!tip_ || tip_->destroyed) {
        CloseCodeTip();
        return;
    }
    tipWindow_ = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    tipWindow_->setObjectName(QStringLiteral("codeTip"));
    tipWindow_->setTextFormat(Qt::PlainText);
    tipWindow_->setMargin(3);
    tipWindow_->setFrameShape(QFrame::Box);
    PlaceCodeTip();
    tipWindow_->show();
}

void CodeEditor::PlaceCodeTip() {
    if (!tip_ || !tipWindow_) return;
    QPalette pal = tipWindow_->palette();
    pal.setColor(QPalette::Window, ColorFromBgr(tip_->BackColor));
    pal.setColor(QPalette::WindowText, ColorFromBgr(tip_->ForeColor));
    tipWindow_->setPalette(pal);
    tipWindow_->setAutoFillBackground(true);
    tipWindow_->setFont(tip_->Font);
    tipWindow_->setText(tip_->Text);
    if (tip_->Values[2] > 0) tipWindow_->setMaximumWidth(tip_->Values[2]);
    tipWindow_->adjustSize();
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    const int x = static_cast<int>(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, pos));
    const int y = static_cast<int>(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, pos));
    const int h = static_cast<int>(SendScintilla(SCI_TEXTHEIGHT, 0UL));
    const QPoint at = viewport()->mapToGlobal(QPoint(x + tip_->Values[0], y + h + tip_->Values[1]));
    tipWindow_->move(at);
}

void CodeEditor::CloseCodeTip() {
    tip_.reset();
    if (tipWindow_) {
        tipWindow_->hide();
        tipWindow_->deleteLater();
        tipWindow_ = nullptr;
    }
}

// ---- Hidden buffer window -------------------------------------------------------------

HiddenEditorWindow::HiddenEditorWindow(QWidget* parent) : QWidget(parent), source(new CodeEditor(this)) {
    setObjectName(QStringLiteral("frmSource"));
    source->setObjectName(QStringLiteral("source"));
}

}  // namespace platform
