// Module modApp, documents part: the open document windows by number, the
// number of the active one, and the small path and editor procedures that
// the whole program uses.
//
// The array holds the windows as plain QObjects and knows nothing of the
// window class: the document window layer creates the windows
// (editor/DocumentFiles.h) and answers, through DocumentWindowAccess, whether
// one is still open, which editor it holds and which file it shows.  The
// folders below the document windows (the build pipeline) reach a document's
// editor and file name through these functions, never through the window.
//
// Document numbers start at 1 and index modApp::Docs and modApp::DocSlots,
// which always have the same bounds.  The arrays grow by one element when a
// document is created while no number is free, and never shrink: a closed
// window leaves its number free (DocumentSlot::Free) for the next document.
#pragma once

#include <QString>

#include <cstdint>

class QObject;
class frmDoc;

namespace platform {
class CodeEditor;
}

namespace modApp {

struct DocumentSlot {
    // True once the window of this number has closed and the number may be
    // given out again.  A slot that was just added is not free.
    bool Free = false;
};

// The documents array, indexed from 1 (UBound() is the highest number;
// 0 before the first document exists).
class DocumentArray {
public:
    // The open window of document number n; nullptr when the element holds
    // no open window (never created, closed) or n is outside 1..UBound().
    // Callers skip their work on nullptr: a command on "no document" does
    // nothing.
    frmDoc* operator()(int n) const;
    int16_t UBound() const;
};

class DocumentSlotArray {
public:
    // The slot of document number n; nullptr outside 1..UBound().
    DocumentSlot* operator()(int n) const;
    int16_t UBound() const;
};

inline DocumentArray Docs;
inline DocumentSlotArray DocSlots;

// What the array asks the window layer about the windows it holds.  The
// layer that creates document windows registers it (SetDocumentWindowAccess)
// before it stores the first one.
class DocumentWindowAccess {
public:
    virtual ~DocumentWindowAccess() = default;
    // The window as a document window while it is open (not unloaded), else
    // nullptr.
    virtual frmDoc* OpenWindow(QObject* window) const = 0;
    // The code-editor control of an open document window.
    virtual platform::CodeEditor* Editor(frmDoc* window) const = 0;
    // The full path of an open document window's file (its FileName).
    virtual QString FileName(frmDoc* window) const = 0;
};
void SetDocumentWindowAccess(const DocumentWindowAccess* access);

// Puts `window` into element n (1..UBound()); the element's previous window,
// if any, is no longer reachable through the array.  Nothing when n is out
// of range.
void SetDocumentWindow(int n, QObject* window);

// The code-editor control of open document window n, or nullptr.
platform::CodeEditor* DocumentEditor(int n);
// The file name (full path) of open document window n; "" without one.
QString DocumentFileName(int n);
// Open document window n as a plain QObject (to tell two windows apart, or
// to notice that one has gone), or nullptr.
QObject* DocumentWindow(int n);

// The active document's editor; FocusActiveEditor gives it the focus
// (nothing without one).  InsertIntoActiveDocument replaces its selection
// with `text` and puts the caret `lineAdvance` lines below where the
// selection ended, at its column; false (nothing changed) without an active
// document.
platform::CodeEditor* ActiveEditor();
void FocusActiveEditor();
bool InsertIntoActiveDocument(const QString& text, int32_t lineAdvance);

// Number of the document being created or opened; keeps its value
// afterwards (the document window's load builds its tab key from it, the
// editor settings are saved from that window's editor).
inline int16_t NewDocIndex = 0;
// Number of the active document window, 0 when none is active.
inline int16_t ActiveDoc = 0;

// The lowest free document number (its slot's Free flag is cleared), else
// both arrays grow by one element and the new number comes back.  0 when
// the arrays have no elements yet, and when they cannot grow any more.
int16_t FindFreeDocSlot();

// Both arrays with the single element 1 (an empty element and a slot that
// is not free).  Any windows they held are left alone.
void DimensionDocuments();

// The text after the last path separator ("/" or "\"), or the whole path
// when it has none; empty when the path ends in a separator.
QString FileNameFromPath(const QString& path);

// True when the path names an existing ordinary file that is not hidden (a
// folder does not count).
bool FileExists(const QString& path);

// Replaces the editor's selection with the text (inserts it at the caret when
// nothing is selected), puts the caret after the inserted text and gives the
// editor the focus.
void InsertTextAtCaret(platform::CodeEditor& editor, const QString& text);

// Empties both arrays and the two numbers (tests, and nothing else: open
// windows are left alone).
void ResetDocuments();

}  // namespace modApp
