// The services of other modules that the main window's start-up, shut-down
// and commands call: documents, editor settings and colouring language, the
// command-set file, the Assist Window.  The main window calls them only
// through here, so each is one place to connect.
#pragma once

#include <QString>

class QWidget;
class frmMain;

namespace frmMainServices {

// ---- Editor ------------------------------------------------------------------
// Registers the colouring language of the BASIC dialect.
void DefineEditorLanguage();
// Applies the stored editor settings to the editor of the shared default
// document window.
void LoadDefaultEditorSettings();
// Stores the editor settings of the newest document window.
void SaveEditorSettings();
// Removes the editor's own key bindings of cut, paste, copy, line cut,
// undo, redo and line delete, which the main window's commands handle.
void ReleaseEditorHotKeys();

// ---- Documents ---------------------------------------------------------------
// Creates a new untitled document window.
void NewDocument();
// Opens a file as a document.  False when the open failed with an error
// (a drop of several files stops there).
bool OpenDocument(const QString& path);
// Highest document number in use (0 when none was ever created).
int DocumentUpperBound();
// The document window of number n, or nullptr.
QWidget* DocumentWindow(int n);
// The file path and the text of document window n ("" when there is none).
QString DocumentFileName(int n);
QString DocumentText(int n);
int ActiveDoc();
void SetActiveDoc(int n);
// Brings document window n to the front and gives it the focus.
void ActivateDocument(int n);
// Unloads document window n (it may ask to save and refuse).
void UnloadDocument(int n);

// ---- Recent files ------------------------------------------------------------
// Fills the recent-file menu items from recent.rct.
void LoadRecentFiles(frmMain& main);
void AddRecentFile(const QString& path);

// ---- Assist Window -----------------------------------------------------------
// The Assist Window, created on first call (owned by the caller's dock).
QWidget* AssistWindow();

}  // namespace frmMainServices
