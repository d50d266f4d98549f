// CodeEditor: the code-editor control of the document windows (and of the
// hidden include-merge buffer), on QScintilla.
//
// Text.  The editor holds its text with CR LF line ends: the compiler and the
// build pipeline split lines at CR LF.  Every way text comes in (whole text,
// selected text, line insertion, loading a file) turns a lone LF or a lone CR
// into CR LF, so a file written on Linux compiles line by line.  Files are
// read and written in the process's ANSI code page (qvv2::SystemCodePage()).
//
// Positions.  Lines and columns count from 0; a column counts UTF-16 units
// (one per character of the dialect, Korean included) and never the line end.
//
// Colouring.  The colour slots, text styles and colouring languages are in
// EditorLanguage.h; the hot-key table in EditorKeys.h.  The key and mouse
// events carry the key codes, shift states and buttons of vxKeyCodes.h.
//
// Events.  The control raises its events as Qt signals that carry the control
// as the first argument; events with a handled flag let a handler stop the
// editor's own processing of the key or mouse button.
//
// Dialogs and printing.  The find, replace, go-to-line and properties
// dialogs and the printer dialogs are modal, centred over the window that
// shows the editor (or, for an editor that is not shown, over the active
// window).  Their texts come from the program's string table where it has
// them (SetStringLookup) and otherwise from the editor's own texts in the
// interface language.  Tests install responders (SetDialogResponder,
// SetPrintResponder), so no dialog ever waits for a user.
#pragma once

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/EditorKeys.h"
#include "platform/EditorLanguage.h"

class QDialog;
class QLabel;
class QPrinter;

namespace platform {

namespace detail {
class EditorAccessible;
}

// Editor commands: the argument of CodeEditor::RunCommand.
enum EditorCommand : int32_t {
    cmdUnindentSelection = 127,  // remove one indentation level from the selected lines
    cmdUndo = 129,
    cmdSelectLine = 136,         // select the caret's whole line, line end included
    cmdSelectAll = 137,
    cmdRedo = 139,
    cmdPaste = 140,
    cmdLineDelete = 160,         // delete the caret's line
    cmdLineCut = 161,            // cut the caret's line to the clipboard
    cmdIndentSelection = 163,    // add one indentation level to the selected lines
    cmdRefreshView = 165,        // recolour and repaint after a line was replaced
    cmdGotoLine = 168,           // ask for a line number and put the caret there
    cmdReplace = 169,            // find-and-replace dialog
    cmdFindPrevious = 174,       // repeat the last search backwards
    cmdFindNext = 176,           // repeat the last search forwards
    cmdFind = 178,               // find dialog
    cmdDelete = 195,             // delete the selection, or the character after the caret
    cmdCut = 197,
    cmdCopy = 198,
    cmdToggleBookmark = 204,     // on the caret's line
    cmdPreviousBookmark = 205,   // caret to the nearest bookmarked line above (wrapping)
    cmdNextBookmark = 206,       // caret to the nearest bookmarked line below (wrapping)
    cmdClearBookmarks = 207,
    cmdProperties = 224,         // the editor's properties dialog (colours, font, options)
    cmdCodeTip = 243,            // ask for a code tip (raises CodeTipRequest)
};

// Kind of the token at the caret (CodeEditor::TokenKindAtCaret).
enum TokenKind : int32_t {
    tokNone = 0,      // nothing there (blank line, blanks only, other characters)
    tokWord = 1,      // a word: keyword or other name
    tokComment = 2,
    tokString = 3,
    tokNumber = 4,
    tokOperator = 5,
};

// Line-number styles (CodeEditor::SetLineNumberStyle): the base of the
// numbers; any other value shows decimal numbers.
enum LineNumberStyle : int32_t {
    lnDecimal = 1,
    lnBinary = 2,
    lnOctal = 8,
    lnHexadecimal = 16,
};

// The selection as a range.  From CodeEditor::Selection(false) the start is
// the anchor and the end the caret; from Selection(true) the start is the
// earlier position.  An empty selection has start == end (the caret).
struct EditorRange {
    int32_t StartLineNo = 0;
    int32_t StartColNo = 0;
    int32_t EndLineNo = 0;
    int32_t EndColNo = 0;
    bool IsEmpty() const { return StartLineNo == EndLineNo && StartColNo == EndColNo; }
    bool operator==(const EditorRange& o) const {
        return StartLineNo == o.StartLineNo && StartColNo == o.StartColNo && EndLineNo == o.EndLineNo &&
               EndColNo == o.EndColNo;
    }
    bool operator!=(const EditorRange& o) const { return !(*this == o); }
};

// A code tip: the small window that a CodeTipInitialize handler fills and
// the editor shows under the caret's line.
struct CodeTip {
    QString Text;
    int32_t BackColor = 0xE1FFFF;  // 0x00BBGGRR
    int32_t ForeColor = 0;         // text colour
    QFont Font;
    // 0: horizontal offset from the caret in pixels; 1: vertical offset below
    // the caret's line in pixels; 2: maximum width in pixels (0: no limit).
    std::array<int32_t, 3> Values{{0, 0, 0}};
    // Closes the tip (a handler of CodeTipUpdate calls it to end the tip).
    void Destroy() { destroyed = true; }
    bool destroyed = false;
};

class CodeEditor : public QsciScintilla {
    Q_OBJECT

public:
    explicit CodeEditor(QWidget* parent = nullptr);
    ~CodeEditor() override;

    // ---- Text ------------------------------------------------------------------
    QString WholeText() const;
    // Replaces the whole text; an edit like any other (Change event, changed
    // flag).  A caller that puts a text that is no change of the document
    // (opening it) clears the document's modified state afterwards.
    void SetWholeText(const QString& text);
    int32_t LineCount() const;
    // Text of a line without its line end; empty for a line that does not exist.
    QString LineText(int32_t line) const;
    // The text of every line, without the line ends, read in one pass.
    QStringList Lines() const;
    // The whole text becomes `texts` as lines: line i is blanks[i] blanks
    // (none where `blanks` has no entry or a negative one) followed by
    // texts[i], with CR LF between the lines (an empty list is one empty
    // line).  One edit, which one undo takes back whole, and one Change
    // event; but only the stretches that differ from the present text are
    // written, and nothing at all (no undo step, no event) when nothing
    // differs.  The lines keep their bookmarks, unless a text brings line
    // ends of its own.  Afterwards the caret stands at the start of the
    // text, nothing selected.
    void ReplaceAllLines(const QStringList& texts, const std::vector<int32_t>& blanks);
    // Remove a line (its line end included); then InsertLineAt puts a new
    // line before line n (at the end when n is the line count).  Together
    // they replace a line.  Lines out of range are ignored.
    void RemoveLine(int32_t line);
    void InsertLineAt(int32_t line, const QString& text);
    // Loads a file, which then is the whole text (lone LF or CR become CR
    // LF); the undo history is emptied and the changed flag cleared.  A load
    // is no edit: it raises no Change event.
    // Returns false, with the text unchanged, when the file cannot be read.
    bool LoadFromFile(const QString& path);
    // Puts the text of a file being opened (lone LF or CR become CR LF): no
    // edit, so no Change event; the undo history is emptied and the changed
    // flag cleared.
    void LoadText(const QString& text);
    // The text as it stands is the saved text: the editor's modified state
    // and the changed flag are cleared.
    void MarkSaved();
    // Forgets the undo history (a freshly opened file has nothing to undo).
    void EmptyUndoHistory();

    // ---- Selection and caret ------------------------------------------------------
    EditorRange Selection(bool normalised) const;
    QString SelectedText() const;
    // Replaces the selection (or inserts at the caret); afterwards the
    // selection is empty at the start of the inserted text.
    void ReplaceSelectedText(const QString& text);
    // Puts the caret at (line, column), both clamped into the text.
    void PutCaret(int32_t line, int32_t column);
    void SelectRange(int32_t startLine, int32_t startCol, int32_t endLine, int32_t endCol);
    int32_t FirstVisibleLine() const;
    void SetFirstVisibleLine(int32_t line);
    // The word at the caret: the word the caret touches, or else the nearest
    // word to its left on the same line (blanks skipped); empty when none.
    QString WordAtCaret() const;
    int32_t TokenKindAtCaret() const;
    // The style of the character at (line, column) after colouring.
    int StyleAt(int32_t line, int32_t column) const;

    // ---- Commands ------------------------------------------------------------
    void RunCommand(int32_t command);
    bool CanUndo() const;
    bool CanRedo() const;
    bool CanCut() const;
    bool CanCopy() const;
    bool CanPaste() const;
    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();

    // ---- State -----------------------------------------------------------------
    // Set by every edit of the text (typing, commands, whole or selected
    // text, line replacement); cleared by SetChanged(false), a load and a save.
    bool Changed() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }
    // Selects a registered colouring language; an empty name selects none
    // (plain text).  An unknown name is refused: false, nothing changes.
    QString LanguageName() const { return languageName_; }
    bool SetLanguageName(const QString& name);
    bool WhitespaceShown() const { return whitespaceShown_; }
    void SetWhitespaceShown(bool shown);
    // The left margin, which carries the bookmarks.
    bool BookmarkMarginShown() const { return bookmarkMargin_; }
    void SetBookmarkMarginShown(bool shown);
    bool LineHasBookmark(int32_t line) const;
    // Whether any line carries a bookmark.
    bool HasBookmarks() const;
    // The highlighted line (background of colour slot 30); -1 for none.
    int32_t HighlightedLine() const { return highlightedLine_; }
    void SetHighlightedLine(int32_t line);

    // ---- Display options -----------------------------------------------------------
    // On: the caret and the selection stay within the text of each line; off:
    // they may go past a line's end.
    bool SelectionBounded() const { return selectionBounded_; }
    void SetSelectionBounded(bool on);
    // Dragging the vertical scroll bar shows the first visible line's number.
    bool LineTipsShown() const { return lineTips_; }
    void SetLineTipsShown(bool on) { lineTips_ = on; }
    bool LineNumbersShown() const { return lineNumbers_; }
    void SetLineNumbersShown(bool on);
    int32_t LineNumberStyle() const { return lineNumberStyle_; }
    void SetLineNumberStyle(int32_t style);
    // Number shown for the first line.
    int32_t FirstLineNumber() const { return firstLineNumber_; }
    void SetFirstLineNumber(int32_t number);
    // The number shown beside a line (0-based) with the current style and start.
    QString LineNumberText(int32_t line) const;
    // Hides every margin beside the text: the line numbers, the bookmark
    // margin and the others.
    void HideMargins();
    // Pixels from the editor's left edge to where its text starts: the
    // frame, the margins shown and the blank in front of the text.
    int TextIndent() const;

    // ---- Colours and font ----------------------------------------------------------
    int32_t SlotColor(int slot) const;
    // False for a slot outside 0..30.
    bool SetSlotColor(int slot, int32_t color);
    QFont EditorFont() const { return font_; }
    // Refuses (false) a font whose point size is not above 0 or above 1638.
    // Strikethrough is kept with the font but not drawn.
    bool SetEditorFont(const QFont& font);

    // ---- Printing --------------------------------------------------------------
    // flags with bit 0 set (13): print the whole text after the print dialog;
    // without it (12): the printer set-up dialog, whose choice later prints
    // use.  `device` is reserved (0).
    void Print(int32_t device, int32_t flags);

    enum class PrintStep { Setup, Print };
    // A print responder answers the printer dialogs instead of the user: it
    // gets the printer (it may set a PDF output file) and returns whether
    // the dialog was accepted.  An empty responder removes it.
    using PrintResponder = std::function<bool(QPrinter& printer, PrintStep step)>;
    static PrintResponder SetPrintResponder(PrintResponder responder);

    // A dialog responder receives every dialog the editor would show (find,
    // replace, go to line, properties), already filled, instead of running it:
    // it may change its fields and press its buttons (found by object name)
    // and returns QDialog::Accepted or QDialog::Rejected.
    using DialogResponder = std::function<int(QDialog& dialog)>;
    static DialogResponder SetDialogResponder(DialogResponder responder);

    // The program's string table, by string number: the dialogs take their
    // captions and button texts from it.  Without one (or for a number it
    // lacks) they use their own texts.  An empty lookup removes it.
    using StringLookup = std::function<std::optional<QString>(int number)>;
    static void SetStringLookup(StringLookup lookup);

    // The properties dialog (cmdProperties) over `owner` (nullptr: as the
    // command places it).  True when the user pressed OK and the choices
    // were applied to this editor.
    bool RunPropertiesDialog(QWidget* owner);
    // The colour slots that the properties dialog offers for the current
    // colouring language: the slots of the window, margins, bookmarks,
    // plain text, line numbers and highlighted line, and the text and
    // background slots of each kind of word the language colours.
    std::vector<int> EditableColorSlots() const;

    // The open code tip, or nullptr.
    const CodeTip* OpenCodeTip() const { return tip_.get(); }
    // The tip's window (for tests and screenshots), or nullptr.
    QLabel* CodeTipWindow() const { return tipWindow_; }

signals:
    void FocusIn(platform::CodeEditor* control);
    void Change(platform::CodeEditor* control);
    void SelChange(platform::CodeEditor* control);
    void KeyDown(platform::CodeEditor* control, int keyCode, int shift, bool* handled);
    // After a key was released (the Space key's code tips use it).
    void KeyUp(platform::CodeEditor* control, int keyCode, int shift, bool* handled);
    // x and y in pixels from the editor's top left corner.
    void MouseDown(platform::CodeEditor* control, int button, int shift, int x, int y, bool* handled);
    // A tip was asked for (cmdCodeTip).  *tipKind starts at 0 (no tip); a
    // handler sets 4 for a tip that it fills in CodeTipInitialize.
    void CodeTipRequest(platform::CodeEditor* control, int* tipKind);
    // The caret or selection moved while a tip is open.
    void CodeTipUpdate(platform::CodeEditor* control, platform::CodeTip* tip);
    void CodeTipInitialize(platform::CodeEditor* control, platform::CodeTip* tip);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    friend class LanguageLexer;
    friend class detail::EditorAccessible;
    friend void RegisterLanguage(const QString&, const EditorLanguage&);
    friend void UnregisterLanguage(const QString&);

    // Positions (bytes of the document) and (line, column) in UTF-16 units.
    long PositionOf(int32_t line, int32_t column) const;
    void LineColumnOf(long position, int32_t& line, int32_t& column) const;
    QString TextRange(long start, long end) const;
    void EnsureStyled(long upTo) const;
    // The position after the last line the view shows.
    long EndOfView() const;
    QColor StyleFore(int style) const;
    QColor StyleBack(int style) const;
    QColor WindowColor() const;

    void ApplyLanguage();
    void ApplyStyles();
    void ApplyLineNumbers();
    void ApplyHotKeys();
    void CheckSelection();
    // Tells assistive technologies where the caret and the selection are
    // now (only while accessibility is active).
    void ReportSelectionToAccessibility(long anchor, long caret);
    void OnTextChanged();
    void UpdateLineNumberMargin();
    void RemoveHighlightMark();

    void IndentSelection(bool indent);
    void SelectCaretLine();
    void DeleteForward();
    void ToggleBookmark();
    void JumpToBookmark(bool forward);
    void ShowCodeTip();
    void CloseCodeTip();
    void PlaceCodeTip();
    void Find(bool forward);
    bool FindFrom(const QString& text, bool matchCase, bool wholeWord, bool forward, bool wrap);
    int ReplaceAll(const QString& text, const QString& with, bool matchCase, bool wholeWord);
    void ShowFindDialog();
    void ShowReplaceDialog();
    void ShowGotoDialog();
    int RunDialog(QDialog& dialog);
    // The parent of a dialog: the editor while it is shown, else the
    // active window.
    QWidget* DialogOwner();

    QString languageName_;
    bool changed_ = false;
    bool whitespaceShown_ = false;
    bool bookmarkMargin_ = false;
    int32_t highlightedLine_ = -1;
    // The line the highlight's mark was put on (-1: no mark); edits may
    // have moved the mark since.
    int32_t highlightMarkLine_ = -1;
    bool selectionBounded_ = true;
    bool lineTips_ = true;
    bool lineNumbers_ = true;
    int32_t lineNumberStyle_ = lnDecimal;
    int32_t firstLineNumber_ = 1;
    std::array<int32_t, kColorSlotCount> colors_{};
    QFont font_;
    long lastAnchor_ = -1;
    long lastCaret_ = -1;
    // The caret's character offset that assistive technologies were last
    // told (-1: none yet).
    long accessibleCaret_ = -1;
    bool settingText_ = false;

    // Last search.
    QString findText_;
    bool findMatchCase_ = false;
    bool findWholeWord_ = false;

    std::unique_ptr<CodeTip> tip_;
    QLabel* tipWindow_ = nullptr;
};

// A window that is never shown and holds one editor, `source`, used only as
// a text buffer (the include merge of the compile): create it to load the
// buffer, delete it to unload.
class HiddenEditorWindow : public QWidget {
    Q_OBJECT

public:
    explicit HiddenEditorWindow(QWidget* parent = nullptr);
    CodeEditor* const source;
};

}  // namespace platform
