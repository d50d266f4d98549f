// frmDoc: the window of one open program document, a child window of the
// main window's document area that holds nothing but the code-editor
// control `rt`.  Every open document is one frmDoc, kept in modApp::Docs
// under its document number (editor/DocumentFiles.h creates them).
//
// How the main window hosts document windows.  The main window implements
// DocumentHost and registers itself once with frmDoc::SetHost(this) (and
// SetHost(nullptr) before it goes away):
//
//   class frmMain : public QMainWindow, public DocumentHost {
//       QMdiArea* DocumentArea() override { return mdi; }
//       DocTabStrip* DocumentTabs() override { return TB; }
//       void ClearAssistLabels() override;   // empties frmNav.Label1, first tab of frmNav.Tbs
//       platform::CommonDialog* FileDialog() override { return &cd; }
//       void new_Click() override;           // the host's commands
//       ...
//   };
//
// - DocumentArea: the QMdiArea the windows are shown in.  A frmDoc is a
//   QMdiSubWindow; frmDoc::Show adds it to that area.
// - DocumentTabs: the tab strip TB.  Each window keeps one tab, keyed "key"
//   followed by its document number, image 1 (no changes) or 2 (changed),
//   caption the file name and tooltip the full path.
// - The commands: the document window's keyboard shortcuts run the main
//   window's procedures named in DocumentHost (Ctrl+N new_Click, Ctrl+S
//   save_Click, F2 mnuMake_Click, F10 Motor_all_off, ...); the menu table
//   (editor/MenuItems.h) pairs each key with its command.  Commands a host
//   does not override do nothing; a host marks its commands `override`, so
//   that a command renamed on one side only fails the build.
// - StatusPanel, CodeTipOption, EditMenu: what the editor events of the
//   window use: panel 2 of the status bar shows the caret's line and column,
//   the checked tip option lets Space bring up a code tip, and the right
//   mouse button pops up the Edit menu over the editor.
// - NoDocumentOpen: the last document window has unloaded; the host puts
//   back what panel 2 shows without a document.
// Without a host the windows still work (shown as top-level windows, without
// tabs, and the shortcuts reach the editor).
#pragma once

#include <QMdiSubWindow>
#include <QString>

#include <cstdint>
#include <vector>

#include "platform/CodeEditor.h"

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class DocTabStrip;

namespace platform {
class CommonDialog;
}

class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    virtual QMdiArea* DocumentArea() = 0;
    virtual DocTabStrip* DocumentTabs() = 0;
    // Empties the Assist Window's label list and selects its first tab.
    virtual void ClearAssistLabels() {}
    // The file dialog that Save As shows over the host's window; nullptr
    // lets Save As use a dialog of its own, without owner.
    virtual platform::CommonDialog* FileDialog() { return nullptr; }
    // Panel `index` (1-based) of the status bar, or nullptr.
    virtual QLabel* StatusPanel(int index) {
        (void)index;
        return nullptr;
    }
    // The checkable option that switches code tips on, or nullptr (no tips).
    virtual QAction* CodeTipOption() { return nullptr; }
    // The Edit menu, which the right mouse button pops up, or nullptr.
    virtual QMenu* EditMenu() { return nullptr; }
    // The last open document window has unloaded: the status bar stops
    // showing a caret.
    virtual void NoDocumentOpen() {}

    // Commands of the keyboard shortcuts.
    virtual void new_Click() {}
    virtual void open_Click() {}
    virtual void save_Click() {}
    virtual void Prints_Click() {}
    virtual void undo_Click() {}
    virtual void redo_Click() {}
    virtual void selectall_Click() {}
    virtual void find_Click() {}
    virtual void mnuReplace_Click() {}
    virtual void goto_Click() {}
    virtual void findprev_Click() {}
    virtual void copy_Click() {}
    virtual void cut_Click() {}
    virtual void paste_Click() {}
    virtual void mnuDown_Click() {}
    virtual void mnuMake_Click() {}
    virtual void mnuCurrentCapture_Click() {}
    virtual void Motor_all_off() {}
    virtual void Motor_sel_on() {}
    virtual void Motor_sel_in() {}
};

class frmDoc : public QMdiSubWindow {
    Q_OBJECT

public:
    explicit frmDoc(QWidget* parent = nullptr);
    ~frmDoc() override;

    // The main window that hosts document windows (nullptr for none).
    static void SetHost(DocumentHost* host);
    static DocumentHost* Host();

    // The shared instance of the window class, besides the windows in
    // modApp::Docs: never loaded or shown; its editor is the template that
    // the start-up gives the editor settings and the "Set Editor" command
    // edits.  Created on first use, deleted when the application quits.
    static frmDoc& Shared();

    // The code-editor control.
    platform::CodeEditor* const rt;

    // ---- Public variables ------------------------------------------------------
    // The text changed since it was last loaded or saved.
    bool Modified = false;
    // Full path of the document file (the bare untitled name while untitled).
    QString FileName;
    // The editor's selection, refreshed by every selection change.
    platform::EditorRange CurRange;
    // The window is bound to a file on disk.
    bool HasFile = false;
    // The document number as decimal text.
    QString Tag;

    // ---- Window members ----------------------------------------------------------
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    // 0 normal, 1 minimised, 2 maximised.  Before the window is shown the
    // state is kept and applied by Show.
    int16_t WindowState() const;
    void SetWindowState(int16_t state);
    // Runs the load (Form_Load) once.
    void Load();
    // Shows the window in the host's document area (not modal) and makes it
    // the active window; nothing once the window has unloaded.
    void Show();
    // Closes the window as the user would: the save question may cancel it.
    // True when the window unloaded.
    bool Unload();
    bool IsLoaded() const { return loaded_; }
    bool IsUnloaded() const { return unloaded_; }

    // ---- Event handlers ----------------------------------------------------------
    void Form_Load();
    void Form_Activate();
    // A handled key comes back with KeyCode and Shift 0.
    void Form_KeyDown(int& KeyCode, int& Shift);
    // Cancel set to 1 keeps the window open.
    void Form_QueryUnload(int& Cancel, int UnloadMode);
    void Form_Resize();
    void Form_Unload(int& Cancel);

    // Editor events (editor/frmDocEvents.cpp, besides the text and
    // selection changes).
    void rt_FocusIn(platform::CodeEditor* control);
    void rt_Change(platform::CodeEditor* control);
    void rt_SelChange(platform::CodeEditor* control);
    // Every key that reaches the editor, before the editor acts on it.
    void rt_KeyDown(platform::CodeEditor* control, int KeyCode, int Shift, bool* handled);
    // After a key went in: Space after the first word of a line asks for a
    // code tip.
    void rt_KeyUp(platform::CodeEditor* control, int KeyCode, int Shift, bool* handled);
    void rt_MouseDown(platform::CodeEditor* control, int Button, int Shift, int x, int y, bool* handled);
    void rt_CodeTipRequest(platform::CodeEditor* control, int* TipKind);
    void rt_CodeTipUpdate(platform::CodeEditor* control, platform::CodeTip* Tip);
    void rt_CodeTipInitialize(platform::CodeEditor* control, platform::CodeTip* Tip);

    // The selection when the open code tip was filled.
    platform::EditorRange TipRange;

    // The editor's properties dialog (Set Editor) over `owner`, on the
    // shared window's editor, the template of the document windows.  On OK
    // the settings are stored, and every open document window takes them
    // (colours, font, line numbers, caret options and the white-space
    // display, which is the view option of the same name).  True on OK.
    static bool SetEditor(QWidget* owner);

    // The caret status text of panel 2: the caret's line (0-based, shown
    // from 1), its column and the line count, in the interface language
    // ("12Ln, 5Col (Total 100Lines)").
    static QString CaretStatusText(int32_t line, int32_t column, int32_t lineCount);

    // ---- Public procedures ---------------------------------------------------------
    void NextLine();
    void PrevLine();
    void CommentBlock();
    void UncommentBlock();
    void DoAct();

    // ---- Position history ------------------------------------------------------------
    // Lines in the order visited (0-based); the current entry is
    // History()[HistoryIndex() - 1].
    const std::vector<int32_t>& History() const { return history_; }
    int32_t HistoryIndex() const { return historyIndex_; }
    bool HasNextPosition() const { return historyIndex_ < static_cast<int32_t>(history_.size()); }
    bool HasPrevPosition() const { return historyIndex_ >= 2; }
    // Appends the line unless it is the current entry.
    void RecordPosition(int32_t line);
    void ClearHistory();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using HostCommand = void (DocumentHost::*)();
    // The host command of a key with its shift state (from the menu table),
    // or nullptr.
    static HostCommand ShortcutCommand(int keyCode, int shift);
    QString TabKey() const { return QStringLiteral("key") + Tag; }
    void RefreshTab(const QString& caption, const QString& toolTip);
    void SetTabImage(int image);
    void OnSubWindowActivated(QMdiSubWindow* window);
    // Whether a document window other than this one is open.
    bool OtherDocumentOpen() const;

    // The main window's document commands and toolbar keys follow the
    // document windows (editor/DocCommandState.cpp).
    void EnableDocMenus();
    void DisableDocMenus();
    void EnableDocButtons();
    void DisableDocButtons();
    void UpdateEditButtons();

    std::vector<int32_t> history_;
    int32_t historyIndex_ = 0;
    int16_t windowState_ = 0;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool shown_ = false;

    // Editor events (editor/frmDocEvents.cpp).
    void ConnectEditorEvents();
    // Panel 2 of the status bar: the caret's line (from 1), column (as the
    // editor counts it) and the line count.
    void ShowCaretStatus(int32_t line, int32_t column);
    // After a comment or uncomment: the new text of a selected block is
    // selected again.
    void SelectReplacedBlock(const platform::EditorRange& before);
};
