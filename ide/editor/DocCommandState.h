// The command state of the main window while documents come and go: the
// menu items and toolbar keys that act on a document are on while a document
// window is active and off once the last one has unloaded, and the edit
// toolbar's undo, redo, cut, copy and paste keys follow the active editor.
//
// The items and keys are found on the main window by their names: menu items
// by objectName ("close", "save", ...), toolbars by objectName ("tBar",
// "tbar2", "tBar3") and their buttons by the "Key" property.  Which items
// act on a document the menu table says (editor/MenuItems.h), which keys
// act on a document, and how, the toolbars' table (editor/ToolbarKeys.h).
// An item or key the window does not have is skipped.  The document
// window's five procedures (frmDoc::EnableDocMenus and the rest) call these
// with the document host's window; the main window calls them itself where
// it must put the state right after a cancelled close of all documents.
#pragma once

class QObject;

namespace platform {
class CodeEditor;
}

namespace DocCommandState {

// The document host's window, or nullptr when the host is not a window.
QObject* HostWindow();

// The document menu set: the menu table's items marked kDocument.  The
// first of them, "close", is the marker: when it already has the wanted
// state nothing else is touched.
void EnableMenus(QObject* main);
void DisableMenus(QObject* main);
// The toolbar keys that act on a document: Disable switches off those of
// DocumentUse Document and Editor, Enable switches on those of Document.
// tBar's "close" key is the marker.
void EnableButtons(QObject* main);
void DisableButtons(QObject* main);
// The keys of DocumentUse Editor (undo, redo, cut, copy and paste) from the
// editor's state; all off without an editor.
void UpdateEditButtons(QObject* main, const platform::CodeEditor* rt);

}  // namespace DocCommandState
