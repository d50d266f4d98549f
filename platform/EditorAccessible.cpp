// The editor as assistive technologies see it: an editable, multi-line text.
//
// One object serves the editor for its whole life, whether assistive
// technologies are listening or not: it computes nothing until one asks, so
// it costs nothing per key, and an editor made before accessibility was
// switched on (the document window opened at start-up) has its text from the
// first request on.  Qt keeps the first object made for a widget, and makes
// it early (every text change asks for it, listened to or not), so a choice
// between a plain object and QScintilla's made then would stick for the
// editor's life.  QScintilla's own object is not used at all: it walks the
// text from its start to convert offsets, on every caret move and every
// paint, and it writes past its buffer for a range that ends past the text.
//
// Offsets count characters (code points), as the component does for the
// text events QScintilla sends on every insertion and deletion; they are
// converted through the component's line character index.  Every offset an
// assistive technology gives is clamped into the text.  The caret and
// selection events come from CodeEditor::ReportSelectionToAccessibility.
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>

#include <algorithm>

#include "platform/EditorInternals.h"

namespace platform::detail {

namespace {

using SB = QsciScintillaBase;

QString Rgb(const QColor& c) { return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue()); }

}  // namespace

class EditorAccessible : public QAccessibleWidget,
                         public QAccessibleTextInterface,
                         public QAccessibleEditableTextInterface {
public:
    explicit EditorAccessible(CodeEditor* editor) : QAccessibleWidget(editor, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectableText = true;
        s.multiLine = true;
        if (Editor().isReadOnly())
            s.readOnly = true;
        else
            s.editable = true;
        return s;
    }

    // ---- Text -------------------------------------------------------------------

    // The widget's texts (name, description, ...) stay reachable beside the
    // text ranges below.
    using QAccessibleWidget::text;

    QString text(int startOffset, int endOffset) const override {
        const long start = Position(startOffset);
        const long end = Position(endOffset);
        return start < end ? Editor().TextRange(start, end) : QString();
    }

    int characterCount() const override { return Offset(Length()); }

    int cursorPosition() const override { return Offset(Send(SB::SCI_GETCURRENTPOS)); }

    void setCursorPosition(int position) override {
        Send(SB::SCI_GOTOPOS, static_cast<unsigned long>(Position(position)));
        Editor().CheckSelection();
    }

    int selectionCount() const override { return Send(SB::SCI_GETSELECTIONEMPTY) ? 0 : 1; }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || selectionCount() == 0) return;
        *startOffset = Offset(Send(SB::SCI_GETSELECTIONSTART));
        *endOffset = Offset(Send(SB::SCI_GETSELECTIONEND));
    }

    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }

    void removeSelection(int selectionIndex) override {
        if (selectionIndex != 0) return;
        Send(SB::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(Send(SB::SCI_GETCURRENTPOS)));
        Editor().CheckSelection();
    }

    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex != 0) return;
        Send(SB::SCI_SETSEL, static_cast<unsigned long>(Position(startOffset)), Position(endOffset));
        Editor().CheckSelection();
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override {
        long start = 0, end = 0;
        const long at = ValidPosition(offset);
        if (at < 0 || !Item(at, type, start, end)) return NoText(startOffset, endOffset);
        return TextOf(start, end, startOffset, endOffset);
    }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override {
        long start = 0, end = 0;
        const long at = ValidPosition(offset);
        if (at < 0 || type == QAccessible::NoBoundary || !Item(at, type, start, end) || start == 0)
            return NoText(startOffset, endOffset);
        if (!Item(Step(start, -1), type, start, end)) return NoText(startOffset, endOffset);
        return TextOf(start, end, startOffset, endOffset);
    }

    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override {
        long start = 0, end = 0;
        const long at = ValidPosition(offset);
        if (at < 0 || type == QAccessible::NoBoundary) return NoText(startOffset, endOffset);
        if (type == QAccessible::WordBoundary) {
            // The next word: the first that starts after the word at the
            // offset (or after the offset, with no word at or before it).
            long next = Item(at, type, start, end) ? end : at;
            while (next < Length() && !IsWordAt(next)) next = Step(next, 1);
            end = next;
        } else if (!Item(at, type, start, end)) {
            return NoText(startOffset, endOffset);
        }
        if (end >= Length() || !Item(end, type, start, end)) return NoText(startOffset, endOffset);
        return TextOf(start, end, startOffset, endOffset);
    }

    QRect characterRect(int offset) const override {
        const long position = Position(offset);
        const long line = Send(SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
        const int x = static_cast<int>(Send(SB::SCI_POINTXFROMPOSITION, 0UL, position));
        const int y = static_cast<int>(Send(SB::SCI_POINTYFROMPOSITION, 0UL, position));
        // A line end and the end of the text are as wide as a blank.
        int width = QFontMetrics(Editor().EditorFont()).horizontalAdvance(u' ');
        if (position < Send(SB::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line))) {
            const long next = Step(position, 1);
            width = static_cast<int>(Send(SB::SCI_POINTXFROMPOSITION, 0UL, next)) - x;
        }
        const int height = static_cast<int>(Send(SB::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
        QRect r(x, y, width, height);
        r.moveTo(Editor().viewport()->mapToGlobal(r.topLeft()));
        return r;
    }

    int offsetAtPoint(const QPoint& point) const override {
        const QPoint p = Editor().viewport()->mapFromGlobal(point);
        const long position = Send(SB::SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(p.x()), p.y());
        return position >= 0 ? Offset(position) : -1;
    }

    void scrollToSubstring(int startIndex, int endIndex) override {
        Send(SB::SCI_SCROLLRANGE, static_cast<unsigned long>(Position(endIndex)), Position(startIndex));
    }

    // The colours and font of the run of equally coloured characters around
    // the offset, within its line (the bytes of a character are coloured
    // alike, so the run holds whole characters).
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        const long position = Position(offset);
        const long line = Send(SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
        const long lineEnd = Send(SB::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line));
        if (offset < 0 || position >= lineEnd) {
            *startOffset = *endOffset = Offset(position);
            return QString();
        }
        Editor().EnsureStyled(lineEnd);
        const long style = StyleAt(position);
        long start = position;
        const long lineStart = Send(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
        while (start > lineStart && StyleAt(start - 1) == style) --start;
        long end = position + 1;
        while (end < lineEnd && StyleAt(end) == style) ++end;
        *startOffset = Offset(start);
        *endOffset = Offset(end);
        const QFont font = Editor().EditorFont();
        return QStringLiteral(
                   "color:%1;background-color:%2;font-family:\"%3\";font-size:%4pt;font-weight:%5;"
                   "font-style:%6;")
            .arg(Rgb(Editor().StyleFore(static_cast<int>(style))), Rgb(Editor().StyleBack(static_cast<int>(style))),
                 font.family(), QString::number(font.pointSizeF()),
                 font.bold() ? QStringLiteral("bold") : QStringLiteral("normal"),
                 font.italic() ? QStringLiteral("italic") : QStringLiteral("normal"));
    }

    // ---- Editing ----------------------------------------------------------------

    void deleteText(int startOffset, int endOffset) override { replaceText(startOffset, endOffset, QString()); }

    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }

    void replaceText(int startOffset, int endOffset, const QString& text) override {
        const long start = Position(startOffset);
        const long end = std::max(start, Position(endOffset));
        const QByteArray bytes = NormaliseLineEnds(text).toUtf8();
        if (start == end && bytes.isEmpty()) return;
        Send(SB::SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
        Editor().SendScintilla(SB::SCI_REPLACETARGET, static_cast<unsigned long>(bytes.size()), bytes.constData());
        Editor().CheckSelection();
    }

private:
    CodeEditor& Editor() const { return *static_cast<CodeEditor*>(widget()); }
    long Send(unsigned int msg, unsigned long wParam = 0, long lParam = 0) const {
        return Editor().SendScintilla(msg, wParam, lParam);
    }
    long Length() const { return Send(SB::SCI_GETLENGTH); }
    int Offset(long position) const { return static_cast<int>(CharactersBefore(Editor(), position)); }
    long Position(int offset) const { return PositionOfCharacter(Editor(), offset); }
    // One character on (1) or back (-1) from `position`, within the text.
    // A line end of CR LF is two characters, as the component counts them.
    long Step(long position, long by) const {
        if (by < 0 ? position <= 0 : position >= Length()) return position;
        return Send(SB::SCI_POSITIONRELATIVE, static_cast<unsigned long>(position), by);
    }
    long StyleAt(long position) const { return Send(SB::SCI_GETSTYLEAT, static_cast<unsigned long>(position)); }
    // Whether the character at `position` belongs to a word.  The component
    // moves a word's end past a whole CR LF, so line ends are no word.
    bool IsWordAt(long position) const {
        const long c = Send(SB::SCI_GETCHARAT, static_cast<unsigned long>(position));
        return c != '\r' && c != '\n' &&
               Send(SB::SCI_WORDENDPOSITION, static_cast<unsigned long>(position), 1) > position;
    }

    // The position of an offset that names a place in the text (-1: the
    // end), or -1 for one outside it.
    long ValidPosition(int offset) const {
        const int count = characterCount();
        if (offset == -1) offset = count;
        return offset < 0 || offset > count ? -1 : Position(offset);
    }

    static QString NoText(int* startOffset, int* endOffset) {
        *startOffset = *endOffset = -1;
        return QString();
    }

    QString TextOf(long start, long end, int* startOffset, int* endOffset) const {
        *startOffset = Offset(start);
        *endOffset = Offset(end);
        return Editor().TextRange(start, end);
    }

    // The byte range of the item of `type` at `position`; false when there
    // is none.  A word is the one the position touches, else the nearest one
    // before it; a line includes its line end; a sentence and a paragraph
    // of a program are its line.  At the end of the text the character, and
    // the line when the text ends with a line end, are empty.
    bool Item(long position, QAccessible::TextBoundaryType type, long& start, long& end) const {
        switch (type) {
            case QAccessible::CharBoundary:
                start = position;
                end = Step(position, 1);
                return true;
            case QAccessible::WordBoundary: {
                long at = position;
                if (!IsWordAt(at)) {
                    while (at > 0 && !IsWordAt(Step(at, -1))) at = Step(at, -1);
                    if (at == 0) return false;
                }
                start = Send(SB::SCI_WORDSTARTPOSITION, static_cast<unsigned long>(at), 1);
                end = Send(SB::SCI_WORDENDPOSITION, static_cast<unsigned long>(at), 1);
                return end > start;
            }
            case QAccessible::SentenceBoundary:
            case QAccessible::ParagraphBoundary:
            case QAccessible::LineBoundary: {
                const long line = Send(SB::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
                start = Send(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
                end = line + 1 < Send(SB::SCI_GETLINECOUNT)
                          ? Send(SB::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1))
                          : Length();
                return true;
            }
            case QAccessible::NoBoundary:
                start = 0;
                end = Length();
                return true;
        }
        return false;
    }
};

QAccessibleInterface* EditorAccessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(CodeEditor::staticMetaObject.className())) return nullptr;
    auto* editor = qobject_cast<CodeEditor*>(object);
    return editor ? new EditorAccessible(editor) : nullptr;
}

}  // namespace platform::detail
