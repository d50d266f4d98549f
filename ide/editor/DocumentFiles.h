// Document windows and their files: creating the window of a document
// number, new untitled documents, opening a file into a document window,
// saving the active document, Save As with its overwrite question.
//
// The documents array (documents/Documents.h) only numbers the windows; the
// windows themselves are made here, and the file bytes are read and written
// by documents/Files.h and documents/MotionScript.h.  The Save As dialog is
// handed in, or else the one the document host offers
// (DocumentHost::FileDialog); with neither, a dialog of its own is used.
#pragma once

#include <QString>

#include <functional>

#include "documents/Files.h"

class QWidget;
class frmDoc;

namespace platform {
class CommonDialog;
}

namespace modApp {

// Puts a fresh document window into element n (1..UBound()) of the documents
// array and loads it; the element's previous window, if any, is no longer
// reachable through the array.  The window is not shown.  nullptr when n is
// out of range.
frmDoc* CreateDocumentWindow(int n);

// A new untitled document: the lowest free number, a new maximised window
// captioned string 21 ("Untitled") & number & ".bas", shown, with the
// colouring language "Quarvel".  `text` is not used.
void NewDocument(const QString& text = QString());

// Shows the error message of a failed file operation: string 4011 ("Error : ")
// and the number, a line feed and the description; OK only, critical icon;
// titled string 4011 and the number.
void ShowFileError(const FileError& error);

// Opens a file into a new document window, or brings forward the window that
// already shows it (same path, letter case included).  A missing file is
// offered for creation (string 4012, the path, string 4013; Yes/No): No opens
// nothing, Yes opens an empty document bound to the path.  A folder, a pipe
// or a device at the path is not offered: it shows the error message
// ("Path/File access error") and opens nothing.  ".QSF" files are
// read as motion scripts, every other file as a program.  The file is read
// before any window is made: a file that cannot be read, or is not text,
// shows the error message and opens nothing.  Returns false only then (a
// drop of several files stops at such a file).  The recent-files list is not
// touched.
bool OpenDocument(const QString& path);

// Saves the active document (modApp::ActiveDoc) under its own name, or through
// the Save As dialog (titled string 1014) when it has none.  A failed write
// shows the error message and leaves the document modified, its text and the
// old file as they were; a read-only file is never replaced ("Path/File
// access error").  The document window's save question calls it.
void SaveActiveDocument();

// Asks for a name with the save dialog `dialog` (titled string 1015, or 1014
// for SaveProgramFileAs, followed by "[" caption "]"), shown over `owner`,
// and saves the active document under it.  An existing name is offered for
// overwriting (string 4008/4009, titled 4010): No asks for another name.  A
// cancelled dialog ends silently; a failed write shows the error message and
// the document keeps its old name, caption and state.  After a save the
// document is bound to the name, the name goes to the top of the recent-files
// list and the Assist Window's file list is refreshed.
void SaveDocumentAs(platform::CommonDialog& dialog, QWidget* owner);
void SaveProgramFileAs(platform::CommonDialog& dialog, QWidget* owner);
// The same with the document host's dialog, over the host's window.
void SaveDocumentAs();
void SaveProgramFileAs();

// What a Save As refreshes in the Assist Window: its file list, refilled from
// its folder.  The Assist Window installs it (an empty one removes it).
void SetAssistFileListRefresher(std::function<void()> refresher);

}  // namespace modApp
