// frmMain: the program's main window, the multiple-document frame.
//
// It hosts the controls that the other windows and modules share: the
// serial-port control `Comm` and the timers `TimeOut` (reply time-out) and
// `TimeDelay` (modMain.Delay), whose event handlers hand their events to
// the link (ide/mainwindow/frmMainLinkEvents.cpp); the compiler control
// `basic`; the common file dialog `cd`; the menus, the three toolbars
// `tBar` (file), `tbar2` (edit) and `tBar3` (controller); the document area;
// the bottom pane `picBottom` with the document tab strip `TB`; the status
// bar `stBar`; and the docking panels `fDock` that carry the Assist Window.
//
// Controls carry the names other code looks them up by: every menu item is a
// QAction member whose objectName is its name ("new", "mnuMake", ...), every
// menu a QMenu member, every toolbar button a QAction with the dynamic
// property "Key" ("new", "compile", ...).  Captions and tool tips hold
// string numbers until the start-up localises the window
// (modMain::LocalizeForm).
//
// Life cycle: the constructor builds the controls in their design-time state
// and runs MDIForm_Initialize; MDIForm_Load runs the start-up (the program's
// main calls it before showing the window; a window made only to host the
// link, frmMain::instance(), never loads); closing the window runs
// MDIForm_QueryUnload, which may refuse, and then MDIForm_Unload.
//
// The program's folder, where the settings file "qvv2.ini", the help file,
// "recent.rct" and the command-set files live, is modApp::AppPath(): the
// executable's folder, or the folder named by the environment variable
// QUARVEL_HOME (see mainwindow/ProgramStart.h), or whatever a test passes
// to modApp::SetAppPath.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "compiler/ControllerMap.h"
#include "compiler/QUARVELv2.h"
#include "documents/MainHost.h"
#include "editor/frmDoc.h"
#include "platform/BlockedClose.h"
#include "platform/CommControl.h"
#include "platform/CommonDialog.h"

class QAction;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QMimeData;
class QPrinter;
class QPushButton;
class QStatusBar;
class QToolBar;
class DocTabStrip;
class DockPanels;
class ImageList;

// The main window is the host of the document windows (frmDoc): they live
// in its document area `mdi`, keep their tabs on `TB` and run its commands
// from their keyboard shortcuts.  It is also the main host of the lower
// folders (modApp::MainHost): their dialogs' parent, its status bar, the
// motion lock and the model set-up.
class frmMain : public QMainWindow, public DocumentHost, public modApp::MainHost {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The program's main window: the one that exists, else a new hidden one
    // (which is deleted when the application quits).  Needs a QApplication.
    static frmMain& instance();
    // The main window when one exists, else nullptr.
    static frmMain* existing();

    // ---- Controls of the link -------------------------------------------------
    // Serial-port control of the link; port number and time-out come from the
    // settings.
    platform::CommControl Comm;
    // Reply time-out: disabled at rest, interval COMMtimeout (3000 ms unless
    // the settings say otherwise).
    QTimer TimeOut;
    // Timer of modMain.Delay, disabled at rest.
    QTimer TimeDelay;

    void Comm_OnComm();
    void TimeOut_Timer();
    void TimeDelay_Timer();

    // ---- Hosted controls -------------------------------------------------------
    // The compiler control.
    qvv2::QUARVELv2 basic;
    // The common file dialog of the Open and Save As commands.
    platform::CommonDialog cd;

    // The program's command line: its arguments joined by blanks, as the
    // program received them (set by the program's start before
    // MDIForm_Load; empty when there is none).
    QString CommandLine;

    // ---- Menus -----------------------------------------------------------------
    QMenu* mnuFile = nullptr;
    QMenu* edit = nullptr;  // also the document window's context menu
    QMenu* mnuSearch = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuBuild = nullptr;
    QMenu* mnuController = nullptr;
    QMenu* mnuSet = nullptr;
    QMenu* mnuDevice = nullptr;     // hidden: controller type
    QMenu* mnuSpecial = nullptr;    // hidden: object-code views
    QMenu* mnuQuarstage = nullptr;  // hidden
    QMenu* mnuAddOn = nullptr;      // hidden by MDIForm_Initialize
    QMenu* mnuWindow = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuRecent = nullptr;
    QMenu* tabmenu = nullptr;       // context menu of the tab strip; not in the menu bar

    // File
    QAction* new_ = nullptr;  // objectName "new"
    QAction* open = nullptr;
    QAction* close_ = nullptr;  // objectName "close"
    QAction* save = nullptr;
    QAction* saveas = nullptr;
    QAction* saveall = nullptr;
    QAction* prints = nullptr;
    QAction* printsetup = nullptr;
    std::array<QAction*, 6> mnuRec{};  // recent files, hidden until filled
    QAction* mnuRecent_Open = nullptr;
    QAction* exit = nullptr;
    // Edit
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    QAction* cut = nullptr;
    QAction* copy = nullptr;
    QAction* paste = nullptr;
    QAction* delete_ = nullptr;  // objectName "delete"
    QAction* mnuComment = nullptr;
    QAction* mnuUncomment = nullptr;
    QAction* selectall = nullptr;
    QAction* selectline = nullptr;
    QAction* mnuEdit_Align = nullptr;
    QAction* mnuEdit_Note = nullptr;
    // Search
    QAction* find = nullptr;
    QAction* findnext = nullptr;
    QAction* findprev = nullptr;
    QAction* mnuReplace = nullptr;
    QAction* goto_ = nullptr;  // objectName "goto"
    // View
    QAction* toolbar = nullptr;
    QAction* statusbar2 = nullptr;
    QAction* quicknav = nullptr;
    QAction* mnuTip = nullptr;
    QAction* hlline = nullptr;
    QAction* whitespace = nullptr;
    QAction* mnuAllFileList = nullptr;
    // Compile
    QAction* mnuMake = nullptr;
    QAction* mnuDown = nullptr;
    QAction* mnuAllRun = nullptr;
    QAction* mnuDebug = nullptr;
    // Controller
    QAction* mnuConInfo = nullptr;
    QAction* mnuMotorControl = nullptr;
    QAction* mnuMotorControlKESTRA = nullptr;
    QAction* mnuCurrentLineControl = nullptr;
    QAction* mnuCurrentGroupControl = nullptr;
    QAction* mnuCurrentCapture = nullptr;
    QAction* mnuMotor_all_OFF = nullptr;
    QAction* mnuMotor_sel_ON = nullptr;
    QAction* mnuMotor_sel_IN = nullptr;
    QAction* mnuMemClear = nullptr;
    QAction* mnuConRun = nullptr;
    QAction* mnuConStop = nullptr;
    QAction* mnuConReset = nullptr;
    QAction* mnuZero = nullptr;
    QAction* mnuZero_all = nullptr;
    QAction* mnuVX21update = nullptr;  // hidden by MDIForm_Initialize
    // Set
    QAction* editor = nullptr;
    QAction* mnuPort = nullptr;
    QAction* mnuAI = nullptr;  // hidden
    QAction* mnuVX32 = nullptr;
    // Special (hidden)
    QAction* mnuViewObj = nullptr;
    QAction* mnuViewLineObj = nullptr;
    // QuarStage (hidden)
    QAction* mnuStdioMaker = nullptr;
    QAction* mnuLab = nullptr;
    // Window
    QAction* tilehor = nullptr;
    QAction* tilever = nullptr;
    QAction* cascade = nullptr;
    QAction* closeall = nullptr;
    QAction* wnlist = nullptr;  // the open document windows are listed after it
    // Help
    QAction* genhelp = nullptr;
    QAction* about = nullptr;
    // Add-on programs: caption and command line (property "Tag") empty.
    std::array<QAction*, 10> mnuAddOnProgram{};
    // Tab strip pop-up
    QAction* close2 = nullptr;
    QAction* save2 = nullptr;
    QAction* saveas2 = nullptr;
    QAction* print2 = nullptr;

    // ---- Toolbars, document area, bottom pane, status bar ----------------------
    QToolBar* tBar = nullptr;   // file toolbar
    QToolBar* tbar2 = nullptr;  // edit toolbar
    QToolBar* tBar3 = nullptr;  // controller toolbar
    ImageList* img = nullptr;   // the toolbar and tab images by number

    // A toolbar button by its key (exact, case included), or nullptr.
    static QAction* Button(QToolBar* bar, const QString& key);
    // The separator directly in front of the button with that key, or
    // nullptr (no such button, or no separator in front of it).
    static QAction* SeparatorBefore(QToolBar* bar, const QString& key);
    // Puts image `index` of the image list on a button.
    void SetButtonImage(QAction* button, int index);

    QMdiArea* mdi = nullptr;         // the document windows
    QWidget* picBottom = nullptr;    // bottom pane holding TB
    DocTabStrip* TB = nullptr;       // one tab per document window
    QStatusBar* stBar = nullptr;
    QPushButton* Command1 = nullptr;  // hidden, no action
    DockPanels* fDock = nullptr;     // docking panels; the Assist Window is panel "frmNav"

    // Status bar panel 1..4 (nullptr outside).
    QLabel* Panel(int index) const;

    // Document host: the area and the tab strip of the document windows.
    QMdiArea* DocumentArea() override { return mdi; }
    DocTabStrip* DocumentTabs() override { return TB; }
    void ClearAssistLabels() override;
    // Document host: the dialog of Save As.
    platform::CommonDialog* FileDialog() override { return &cd; }
    // Document host: the caret status panel, the tip option, the Edit menu.
    QLabel* StatusPanel(int index) override { return Panel(index); }
    QAction* CodeTipOption() override { return mnuTip; }
    QMenu* EditMenu() override { return edit; }
    // Document host: without a document panel 2 shows the serial port, as
    // at start-up.
    void NoDocumentOpen() override { SetPortPanel(); }
    // Main host: the window itself and a status bar panel's text (the
    // motion lock's end is MotionUnlock).
    QWidget* Window() override { return this; }
    void SetStatusText(int panel, const QString& text) override;

    // ---- Start-up and shut-down -------------------------------------------------
    void MDIForm_Initialize();
    void MDIForm_Load();
    void WriteDefaultIni();
    void InitWorkspace();
    // Drag and drop: `effect` is the proposed drop effect on entry; it is
    // set to 0 when the data carries no file list.
    void MDIForm_OLEDragOver(const QMimeData* data, int32_t& effect);
    void MDIForm_OLEDragDrop(const QMimeData* data);
    void MDIForm_Resize();
    // Set Cancel to 1 to refuse the close.
    void MDIForm_QueryUnload(int16_t& Cancel);
    void MDIForm_Unload();
    // Closes every document window in number order; each may ask to save,
    // and a cancelled question (modAPI::CloseCancelled) stops the loop.
    void CloseAllDocuments();

    // The path of the first document named by a command line: one double
    // quote removed at its start and one at its end, nothing else changed.
    static QString PathFromCommandLine(const QString& commandLine);
    // True once MDIForm_Load has run.
    bool Loaded() const { return loaded_; }
    // True once MDIForm_Unload has run.
    bool Unloaded() const { return unloaded_; }

    // ---- Menu and toolbar handlers ----------------------------------------------
    void new_Click() override;
    void open_Click() override;
    void close_Click();
    void save_Click() override;
    void saveas_Click();
    void saveall_Click();
    void Prints_Click() override;
    void printsetup_Click();
    void mnuRec_Click(int Index);
    void mnuRecent_Open_Click();
    void exit_Click();
    void undo_Click() override;
    void redo_Click() override;
    void cut_Click() override;
    void copy_Click() override;
    void paste_Click() override;
    void delete_Click();
    void mnuComment_Click();
    void mnuUncomment_Click();
    void selectall_Click() override;
    void selectline_Click();
    void find_Click() override;
    void findnext_Click();
    void findprev_Click() override;
    void mnuReplace_Click() override;
    void goto_Click() override;
    void toolbar_Click();
    void statusbar2_Click();
    void quicknav_Click();
    void mnuTip_Click();
    void hlline_Click();
    void whitespace_Click();
    void mnuAllFileList_Click();
    void editor_Click();
    void tilehor_Click();
    void tilever_Click();
    void cascade_Click();
    void closeall_Click();
    void genhelp_Click();
    void about_Click();

    void mnuMake_Click() override;
    void mnuDown_Click() override;
    void mnuAllRun_Click();
    void mnuDebug_Click();
    void mnuConInfo_Click();
    void mnuConReset_Click();
    void mnuConRun_Click();
    void mnuConStop_Click();
    void mnuMemClear_Click();
    void mnuCurrentLineControl_Click();
    void mnuCurrentGroupControl_Click();
    void mnuCurrentCapture_Click() override;
    void mnuMotor_all_OFF_Click();
    void mnuMotor_sel_ON_Click();
    void mnuMotor_sel_IN_Click();
    void mnuMotorControl_Click();
    void mnuMotorControlKESTRA_Click();
    void mnuZero_all_Click();
    void mnuZero_Click();
    void mnuPort_Click();
    void mnuVX32_Click();
    void mnuViewObj_Click();
    void mnuViewLineObj_Click();
    void mnuEdit_Align_Click();
    void mnuEdit_Note_Click();
    void mnuAddOnProgram_Click(int Index);
    // Motion lock (mainwindow/frmMainController.cpp): while a motion or
    // zero-point window is open, the Set, Compile and Controller menus, the
    // controller toolbar and both motor-control items are disabled;
    // MotionUnlock, which such a window runs when it unloads, enables them
    // again (the humanoid window's item only for controller types 4, 8 and
    // 9, the models that have it).
    void MotionLock();
    void MotionUnlock() override;
    // True while the motion lock holds (the Controller menu is disabled).
    // The editor's controller keys (those editor/MenuItems.h marks
    // kController) do nothing then, and no item of a disabled menu runs by
    // its shortcut key.
    bool MotionLocked() const;
    void mnuLab_Click() {}
    void mnuStdioMaker_Click() {}
    void Command1_Click() {}

    // Toolbar clicks: the clicked button's key is looked up in its
    // toolbar's handler table (frmMain.cpp), which holds one handler for
    // each key of editor/ToolbarKeys.h; a key the table does not hold does
    // nothing.
    void tBar_ButtonClick(QAction* Button);
    void tbar2_ButtonClick(QAction* Button);
    void tBar3_ButtonClick(QAction* Button);
    // Commands of toolbar keys without a menu item of their own.  The
    // arrange keys leave modMain::DocWindowState alone (the Window menu's
    // items set it to 0 first and then run the same arrangement); the print
    // key runs the tab pop-up's print item.
    void ArrangeTileHorizontal();
    void ArrangeTileVertical();
    void ArrangeCascade();
    void print2_Click();
    void UndoAndUpdateButtons();
    void RedoAndUpdateButtons();
    void IndentSelection();
    void UnindentSelection();
    // Toggles the bookmark of the caret's line; the bookmark margin then
    // shows while any line carries a bookmark.
    void ToggleBookmark();
    void NextBookmark();
    void PreviousBookmark();
    // Clears every bookmark and hides the bookmark margin.
    void ClearBookmarks();
    void UpdateToolbarState();
    // The printer that Prints_Click prints on: the system's default printer,
    // handed to `hook` first when one is set (tests send it to a PDF file).
    using PrinterHook = std::function<void(QPrinter& printer)>;
    static PrinterHook SetPrinterHook(PrinterHook hook);
    // Document tab strip: activates the pressed tab's document; the right
    // button's release opens `tabmenu` at `globalPos`.
    void TB_MouseDown(int Button);
    void TB_MouseUp(int Button, const QPoint& globalPos);
    // Status bar panel click: panel 2 shows the serial port.
    void stBar_PanelClick();
    void picBottom_Resize();

    // Servo quick commands and public procedures used by other windows.
    // MotorWasOn: which of the servos 0 to 23 were on when Motor_all_off
    // switched them off; Motor_sel_on switches those on again.
    std::array<bool, qvv2::controller::kHumanoidServos> MotorWasOn{};
    void Motor_all_off() override;
    void Motor_sel_on() override;
    void Motor_sel_in() override;
    void AddText(const QString& text);
    void MessageBox(const QString& prompt, int32_t buttons, const QString& title);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbars();
    void BuildBottomPane();
    void BuildStatusBar();
    void ApplyMainSettings();
    void StoreMainSettings();
    void StoreAssistLayout();
    void DockAssistWindow();
    void FillWindowList();
    void ReactivateAfterCancelledClose();
    void SetPortPanel();
    // Widens a window in its normal state that is too narrow for its menu
    // bar to show every menu, as far as the screen allows.
    void FitMenuBar();

    bool loaded_ = false;
    // The first show has fitted the window to its menu bar.
    bool menuBarFitted_ = false;
    bool unloaded_ = false;
    // A close put off by a running controller exchange is waiting to be
    // tried again.
    bool closeRetry_ = false;
    // Tries the close again a moment later (once, however often asked).
    void RetryClose();
    // The window system's close while the download window blocks this
    // window, which Qt would drop: it goes through closeEvent as any close.
    std::unique_ptr<platform::BlockedCloseWatch> blockedClose_;
    QList<QAction*> windowListItems_;
    QObject* commandLock_ = nullptr;  // holds back locked keys (frmMain.cpp)
};
