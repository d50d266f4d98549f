// frmMain: start-up, drag and drop of files, layout on resize, shut-down.
// Every step stands alone: a step that cannot be done is skipped and the
// next one runs.
#include <QAction>
#include <QCloseEvent>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <cmath>

#include "documents/LocalizeForm.h"
#include "documents/StringTable.h"
#include "documents/VbNumbers.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modIni.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "editor/DocTabStrip.h"
#include "editor/DockPanels.h"
#include "link/frmRun.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/MainWindowTools.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainServices.h"
#include "platform/FileNames.h"
#include "platform/SafeFile.h"
#include "platform/Twips.h"

namespace {

const QString kNavPanel = QStringLiteral("frmNav");

// How often a close deferred by a running controller exchange is tried again.
constexpr int kCloseRetryMs = 50;

// The numeric value of a string-table entry (0 when it holds no number).
int16_t EntryNumber(int id) {
    const std::optional<double> v = vb::Val(LoadResString(id));
    if (!v) return 0;
    return vb::ToInteger(*v).value_or(0);
}

// A twips value for the settings, rounded to an Integer; `fallback` when it
// does not fit.
int16_t TwipsInteger(double twips, int16_t fallback) { return vb::ToInteger(twips).value_or(fallback); }

}  // namespace

void frmMain::MDIForm_Initialize() {
    if (mnuAddOn) mnuAddOn->menuAction()->setVisible(false);
    if (mnuVX21update) mnuVX21update->setVisible(false);
}

void frmMain::WriteDefaultIni() {
    // Through the safe writer: a full disk leaves no half-written file behind.
    (void)platform::ReplaceFile(modReg::SettingsFile(), QByteArrayLiteral("[Port]\r\n"
                                                                          "CommPort = 1\r\n"
                                                                          "COMMtimeout = 3000\r\n"
                                                                          "[Controller]\r\n"
                                                                          "ConType = 8\r\n"
                                                                          "ConID = 2\r\n"
                                                                          "Interface = 1\r\n"));
}

void frmMain::MDIForm_Load() {
    if (loaded_) return;
    loaded_ = true;

    // Only the download window's block is lifted for the user's close: the
    // close ends that window first (closeEvent).  Behind any other modal
    // window (a question, a dialog) the close stays refused.
    blockedClose_ = std::make_unique<platform::BlockedCloseWatch>(this, [this] {
        if (frmRun::Loaded()) close();
    });

    // The settings file, written with its defaults when there is none.
    if (!platform::FileExists(modReg::SettingsFile())) WriteDefaultIni();

    // Without the help file of the user-interface language, the Help item,
    // the help key and the separator in front of that key are hidden.
    const QString helpFile = modApp::AddBackslash(modApp::AppPath()) + LoadResString(2);
    if (!platform::IsFile(helpFile)) {
        genhelp->setVisible(false);
        if (QAction* b = SeparatorBefore(tBar, QStringLiteral("help"))) b->setVisible(false);
        if (QAction* b = Button(tBar, QStringLiteral("help"))) b->setVisible(false);
    }

    // The compiler's language and the caption of its progress window.
    basic.cmdLang = EntryNumber(1);
    basic.CompileMsg = LoadResString(8022).toStdU16String();

    // Texts of the user's language.
    modMain::LocalizeForm(this);

    // Settings, Assist Window, first document.
    InitWorkspace();

    // The link, with the port kind and settings of the settings file.
    vxIO::Init();
    SetPortPanel();

    // Document windows come up maximised.
    modMain::DocWindowState = 2;

    // The tab strip's font.  (A Japanese character set needs no
    // setting of its own: fonts here cover every script.)
    QFont tabFont = TB->font();
    tabFont.setFamily(LoadResString(20));
    tabFont.setPointSize(10);
    TB->setFont(tabFont);
    picBottom->setFixedHeight(TB->sizeHint().height() + 2);

    // The controller model replaces what the settings file named: the
    // model set-up enables its menus, key and status panel, sets type 8,
    // model 2 and the serial port, passes the model to the compiler and loads
    // the command set of the interface language.  Running it once more, as
    // the model menu would, changes nothing, so it runs once.
    mnuVX32_Click();
    mnuMotorControlKESTRA->setEnabled(true);
}

void frmMain::InitWorkspace() {
    // The settings file is read once for all the settings read here.
    const modIni::Batch settingsBatch;

    // The command line's file, with a relative name read from the folder the
    // program was started in: the settings below make the stored working
    // folder (Path JobDIR) the current one.
    const QString firstFile =
        CommandLine.isEmpty() ? QString()
                              : platform::AbsoluteFileName(PathFromCommandLine(CommandLine), platform::CurrentFolder());

    // The editor library and the dialect's colouring language.
    frmMainServices::DefineEditorLanguage();

    // Window, view, path, port, controller and Assist Window settings.
    modReg::LoadMainSettings();
    ApplyMainSettings();

    // The Assist Window, docked at the left with its stored width, and
    // shown or hidden as stored.
    DockAssistWindow();

    // The design-time tab goes; from now on one tab per document.
    if (TB->count() > 0 && TB->KeyAt(0).isEmpty()) TB->removeTab(0);

    // Editor settings of the shared document window, view options.
    frmMainServices::LoadDefaultEditorSettings();
    modReg::LoadViewOptions();
    whitespace->setChecked(modApp::ShowWhitespace);
    hlline->setChecked(modApp::HighlightLine);

    // The file-dialog filter and the recent-files list.
    modAPI::DialogFilter = LoadResString(3018);
    frmMainServices::LoadRecentFiles(*this);

    // The editor's own bindings of the keys the main window handles.
    frmMainServices::ReleaseEditorHotKeys();

    // The first document: the command line's file; without one, the newest
    // recent file when "Open Recent Files" is checked (none when the list is
    // empty), else a new document.
    if (CommandLine.isEmpty()) {
        if (mnuRecent_Open->isChecked()) {
            const QString newest = mnuRec[0]->data().toString();
            if (!newest.isEmpty()) frmMainServices::OpenDocument(newest);
        } else {
            frmMainServices::NewDocument();
        }
    } else {
        frmMainServices::OpenDocument(firstFile);
    }

    // No close request is pending after start-up.
    modAPI::CloseCancelled = false;
}

QString frmMain::PathFromCommandLine(const QString& commandLine) {
    QString path = commandLine;
    if (commandLine.startsWith(u'"')) path.remove(0, 1);
    if (commandLine.endsWith(u'"') && !path.isEmpty()) path.chop(1);
    return path;
}

void frmMain::ApplyMainSettings() {
    const modReg::MainWindowSettings& w = modReg::MainWindow;
    // Position and size first, then the state, so that a maximised window
    // keeps its normal geometry for when it is restored.
    const int width = platform::TwipsToPixels(w.Width);
    const int height = platform::TwipsToPixels(w.Height);
    move(platform::TwipsToPixels(w.Left), platform::TwipsToPixels(w.Top));
    if (width > 0 && height > 0) resize(width, height);
    if (w.WindowState == 2) setWindowState(Qt::WindowMaximized);
    else if (w.WindowState == 1) setWindowState(Qt::WindowMinimized);
    else setWindowState(Qt::WindowNoState);

    tBar->setVisible(w.ToolbarVisible);
    toolbar->setChecked(w.ToolbarVisible);
    picBottom->setVisible(w.StatusbarVisible);
    statusbar2->setChecked(w.StatusbarVisible);
    mnuRecent_Open->setChecked(w.RecentOpen);
    mnuTip->setChecked(w.Tooltip);
    mnuAllFileList->setChecked(w.AllFileList);

    Comm.setCommPort(modReg::Link.CommPort);
    TimeOut.setInterval(modReg::Link.CommTimeout);
}

void frmMain::StoreMainSettings() {
    modReg::MainWindowSettings& w = modReg::MainWindow;
    const Qt::WindowStates state = windowState();
    w.WindowState = state & Qt::WindowMinimized ? 1 : state & Qt::WindowMaximized ? 2 : 0;
    // The normal-state geometry: the frame's position and the inner size.
    QRect normal = (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
                       ? normalGeometry()
                       : QRect(pos(), size());
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        normal.moveTopLeft(normal.topLeft() - (geometry().topLeft() - pos()));
    if (normal.isValid()) {
        // A stored value that still gives the window's pixels stays as read.
        w.Left = static_cast<float>(platform::KeptTwips(w.Left, normal.x()));
        w.Top = static_cast<float>(platform::KeptTwips(w.Top, normal.y()));
        w.Width = static_cast<float>(platform::KeptTwips(w.Width, normal.width()));
        w.Height = static_cast<float>(platform::KeptTwips(w.Height, normal.height()));
    }
    w.ToolbarVisible = !tBar->isHidden();
    w.StatusbarVisible = !picBottom->isHidden();
    w.RecentOpen = mnuRecent_Open->isChecked();
    w.Tooltip = mnuTip->isChecked();
    w.AllFileList = mnuAllFileList->isChecked();
    w.QuickNav = quicknav->isChecked();

    modReg::Link.CommPort = Comm.CommPort();
    const int timeout = TimeOut.interval();
    if (timeout >= 1 && timeout <= 65535) modReg::Link.CommTimeout = timeout;
}

void frmMain::DockAssistWindow() {
    QWidget* nav = frmMainServices::AssistWindow();
    fDock->AddPanel(nav, kNavPanel, LoadResString(3111));
    fDock->SetPanelWidth(kNavPanel, modMain::NavWidth);
    if (modMain::NavVisible) {
        quicknav->setChecked(true);
        fDock->ShowPanel(kNavPanel);
    } else {
        fDock->HidePanel(kNavPanel);
        quicknav->setChecked(false);
    }
}

// ---- Drag and drop ------------------------------------------------------------

namespace {

// The dropped files (the file-list format), in the list's order.
QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

}  // namespace

void frmMain::MDIForm_OLEDragOver(const QMimeData* data, int32_t& effect) {
    if (DroppedFiles(data).isEmpty()) effect = 0;
}

void frmMain::MDIForm_OLEDragDrop(const QMimeData* data) {
    // A file that fails to open ends the drop; the files after it stay shut.
    for (const QString& path : DroppedFiles(data))
        if (!frmMainServices::OpenDocument(path)) break;
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    int32_t effect = static_cast<int32_t>(event->proposedAction());
    MDIForm_OLEDragOver(event->mimeData(), effect);
    if (effect == 0) event->ignore();
    else event->acceptProposedAction();
}

void frmMain::dragMoveEvent(QDragMoveEvent* event) {
    int32_t effect = static_cast<int32_t>(event->proposedAction());
    MDIForm_OLEDragOver(event->mimeData(), effect);
    if (effect == 0) event->ignore();
    else event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    MDIForm_OLEDragDrop(event->mimeData());
}

// ---- Layout -------------------------------------------------------------------

void frmMain::MDIForm_Resize() {
    picBottom_Resize();
    QLabel* p1 = Panel(1);
    if (!p1) return;
    int fixed = 0;
    for (int i = 2; i <= 4; ++i)
        if (QLabel* p = Panel(i)) fixed += p->width();
    const int width = frameGeometry().width() - fixed - platform::TwipsToPixels(450);
    // A width the status bar cannot take leaves panel 1 as it was.  The
    // width is panel 1's upper bound: the status bar's own layout never
    // lets it push the window wider.
    if (width >= 0) p1->setMaximumWidth(width);
}

void frmMain::picBottom_Resize() {
    if (!picBottom || !TB) return;
    TB->setGeometry(0, 0, picBottom->width(), picBottom->height());
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

// The first time the window shows, its menu bar (with the buttons of a
// maximised document window) has its full size: a window whose stored or
// default width would push menus behind the bar's overflow button starts
// wider instead.  Later the user's sizes stand.
void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (menuBarFitted_ || !loaded_) return;
    menuBarFitted_ = true;
    FitMenuBar();
}

void frmMain::FitMenuBar() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
    QMenuBar* bar = menuBar();
    const int needed = bar ? bar->sizeHint().width() : 0;
    if (needed <= width()) return;
    int wanted = needed;
    QPoint at = pos();
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        const int frame = std::max(0, frameGeometry().width() - width());
        wanted = std::min(wanted, room.width() - frame);
        // Wider to the right as far as the screen goes, then to the left.
        if (at.x() + wanted + frame > room.right() + 1) at.setX(std::max(room.left(), room.right() + 1 - wanted - frame));
    }
    if (wanted <= width()) return;
    if (at != pos()) move(at);
    resize(wanted, height());
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picBottom && event->type() == QEvent::Resize) {
        picBottom_Resize();
    } else if (event->type() == QEvent::Resize && watched == Panel(2)) {
        // Panel 1 takes what the others leave, also when panel 2 grows or
        // shrinks with its text.
        MDIForm_Resize();
    } else if (event->type() == QEvent::MouseButtonRelease && stBar && watched->parent() == stBar) {
        stBar_PanelClick();
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::SetPortPanel() {
    if (QLabel* p2 = Panel(2)) p2->setText(QStringLiteral("COM ") + QString::number(Comm.CommPort()));
}

// ---- Shut-down -----------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* event) {
    // A window that never started (the link's host in a test) has nothing to
    // save.
    if (!loaded_ || unloaded_) {
        event->accept();
        return;
    }
    // The download window, modal over this one, ends first (at once, or
    // after a firmware update it runs), and the window closes once it has
    // gone.
    if (frmRun* download = frmRun::Loaded()) {
        download->EndForProgramClose();
        event->ignore();
        RetryClose();
        return;
    }
    // A close asked for while a controller exchange waits (its wait handles
    // events) would take the serial control and the timers from under that
    // wait: the exchange is asked to end (at once, with the port closed) and
    // the window closes once it has.
    if (vxIO::Busy()) {
        vxIO::Abort();
        event->ignore();
        RetryClose();
        return;
    }
    // Every setting stored on the way out (editor, windows, view options)
    // goes into one write of the settings file, and a failure shows once.
    const modIni::Batch settingsBatch;
    int16_t cancel = 0;
    MDIForm_QueryUnload(cancel);
    if (cancel != 0) {
        // The program goes on: so does the link.
        vxIO::EndAbort();
        event->ignore();
        return;
    }
    // An exchange ended by this close stays ended while the tool windows
    // close: a window's way out sends nothing to that controller.
    MDIForm_Unload();
    vxIO::EndAbort();
    event->accept();
}

void frmMain::RetryClose() {
    // One retry at a time, however often the user asks meanwhile.
    if (closeRetry_) return;
    closeRetry_ = true;
    QTimer::singleShot(kCloseRetryMs, this, [this] {
        closeRetry_ = false;
        close();
    });
}

void frmMain::MDIForm_QueryUnload(int16_t& Cancel) {
    frmMainServices::SaveEditorSettings();
    CloseAllDocuments();
    if (modAPI::CloseCancelled) {
        modAPI::CloseCancelled = false;
        Cancel = 1;
    }
}

void frmMain::CloseAllDocuments() {
    // A question cancelled earlier (a single close, an earlier close-all)
    // must not stop this round before it asked anything.
    modAPI::CloseCancelled = false;
    // No redraw lock: a window may ask its save question on the way, and a
    // locked frame would stand as a dead image behind it.  Only open windows
    // are visited; a number whose window has gone is skipped.
    const int upper = frmMainServices::DocumentUpperBound();
    for (int i = 1; i <= upper; ++i) {
        if (!frmMainServices::DocumentWindow(i)) continue;
        frmMainServices::SetActiveDoc(i);
        frmMainServices::UnloadDocument(i);
        if (modAPI::CloseCancelled) break;
    }
    // A cancelled round leaves documents open after an earlier one unloaded
    // and switched the document commands off: the window that refused is
    // active again and the commands are on.
    if (modAPI::CloseCancelled) ReactivateAfterCancelledClose();
}

void frmMain::StoreAssistLayout() {
    QWidget* nav = frmMainServices::AssistWindow();
    if (!nav) return;
    if (QWidget* split = nav->findChild<QWidget*>(QStringLiteral("imgSize")))
        modMain::NavSplitTop =
            TwipsInteger(platform::KeptTwips(modMain::NavSplitTop, split->y()), modMain::NavSplitTop);
    // The width counts only while the panel is docked and shown; otherwise
    // the last width it had (or the stored one) stays.
    QDockWidget* panel = fDock->Panel(kNavPanel);
    if (panel && panel->isVisible() && !panel->isFloating())
        modMain::NavWidth = TwipsInteger(platform::KeptTwips(modMain::NavWidth, nav->width()), modMain::NavWidth);
    auto column = [](QTreeView* list, int c, int16_t& target) {
        if (list && list->header() && c < list->header()->count())
            target = TwipsInteger(platform::KeptTwips(target, list->columnWidth(c)), target);
    };
    auto* files = nav->findChild<QTreeView*>(QStringLiteral("File1"));
    column(files, 0, modMain::NavFileWidth);
    column(files, 1, modMain::NavSizeWidth);
    column(files, 2, modMain::NavDateWidth);
    auto* labels = nav->findChild<QTreeView*>(QStringLiteral("Label1"));
    column(labels, 0, modMain::NavLabelWidth);
    column(labels, 1, modMain::NavLineWidth);
}

void frmMain::MDIForm_Unload() {
    if (unloaded_) return;
    unloaded_ = true;

    // Tool windows, in their order; a window that is not open is left alone.
    MainWindowTools::CloseAtExit();

    // The Assist Window's layout.
    StoreAssistLayout();

    // From here on the program is closing.
    modMain::AppClosing = true;

    // Main settings and view options.
    StoreMainSettings();
    modReg::SaveMainSettings();
    modReg::SaveViewOptions();

    // Both ports.
    vxIO::CloseAllPorts();
}
