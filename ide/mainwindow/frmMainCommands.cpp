// frmMain: menu, toolbar, tab-strip and status-bar handlers.
//
// Commands whose work belongs to windows and procedures that the program
// does not have yet are present with their names and do nothing; each such
// handler is marked "not connected yet".
#include <QAction>
#include <QCoreApplication>
#include <QPointer>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QToolBar>

#include <algorithm>

#include "build/modMain.h"
#include "documents/Documents.h"
#include "documents/EditorSettings.h"
#include "documents/Files.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"
#include "documents/StringTable.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modReg.h"
#include "link/vxIO.h"
#include "mainwindow/DocTabStrip.h"
#include "mainwindow/DockPanels.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainServices.h"
#include "platform/MsgBox.h"

namespace {
const QString kNavPanel = QStringLiteral("frmNav");

// The active document window and its editor (nullptr when none is active:
// a document command then does nothing).
frmDoc* ActiveDocument() { return modApp::Docs(modApp::ActiveDoc); }
platform::CodeEditor* ActiveEditor() {
    frmDoc* doc = ActiveDocument();
    return doc ? doc->rt : nullptr;
}
void EditorCommand(int32_t command) {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->RunCommand(command);
}

// Arrangement of the document windows.
enum class Arrange { Cascade, TileHorizontal, TileVertical };

void ArrangeWindows(QMdiArea* mdi, Arrange how) {
    if (!mdi) return;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) windows << w;
    for (QMdiSubWindow* w : windows)
        if (w->isMaximized()) w->showNormal();
    if (how == Arrange::Cascade || windows.isEmpty()) {
        mdi->cascadeSubWindows();
        return;
    }
    const QRect area = mdi->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        QRect r;
        if (how == Arrange::TileHorizontal) {
            // One above the other, each the full width.
            const int top = area.height() * i / n;
            r = QRect(0, top, area.width(), area.height() * (i + 1) / n - top);
        } else {
            const int left = area.width() * i / n;
            r = QRect(left, 0, area.width() * (i + 1) / n - left, area.height());
        }
        windows[i]->setGeometry(r);
    }
}
}  // namespace

// ---- File ----------------------------------------------------------------------

void frmMain::new_Click() { frmMainServices::NewDocument(); }

void frmMain::open_Click() {
    cd.Flags = platform::cdlOFNHideReadOnly;
    cd.CancelError = true;
    cd.InitDir = modReg::MainWindow.AssistFolder.isEmpty() ? QDir::currentPath() : modReg::MainWindow.AssistFolder;
    cd.DialogTitle = LoadResString(1012);
    cd.Filter = modAPI::DialogFilter;
    cd.FileName.clear();
    if (cd.ShowOpen(this) != 0) return;  // cancelled
    const QString path = cd.FileName;
    if (path.isEmpty()) return;
    frmMainServices::OpenDocument(path);
    frmMainServices::AddRecentFile(path);
}

void frmMain::close_Click() {
    const int n = frmMainServices::ActiveDoc();
    if (n > 0) frmMainServices::UnloadDocument(n);
}

void frmMain::save_Click() { modApp::SaveActiveDocument(); }
void frmMain::saveas_Click() { modApp::SaveDocumentAs(); }

// Not connected yet: saving every document and printing.
void frmMain::saveall_Click() {}
void frmMain::Prints_Click() {}
void frmMain::printsetup_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Print(0, 12);
}

void frmMain::mnuRec_Click(int Index) {
    if (Index < 0 || Index > 5 || !mnuRec[Index]) return;
    const QString path = mnuRec[Index]->data().toString();
    if (!path.isEmpty()) frmMainServices::OpenDocument(path);
}

void frmMain::mnuRecent_Open_Click() { mnuRecent_Open->setChecked(!mnuRecent_Open->isChecked()); }

void frmMain::exit_Click() { close(); }

// ---- Edit and search ----------------------------------------------------------------

void frmMain::undo_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Undo();
}
void frmMain::redo_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Redo();
}
void frmMain::cut_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Cut();
}
void frmMain::copy_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Copy();
}
void frmMain::paste_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Paste();
}
void frmMain::delete_Click() { EditorCommand(platform::cmdDelete); }
void frmMain::mnuComment_Click() {
    if (frmDoc* doc = ActiveDocument()) doc->CommentBlock();
}
void frmMain::mnuUncomment_Click() {
    if (frmDoc* doc = ActiveDocument()) doc->UncommentBlock();
}
void frmMain::selectall_Click() { EditorCommand(platform::cmdSelectAll); }
void frmMain::selectline_Click() { EditorCommand(platform::cmdSelectLine); }
void frmMain::find_Click() { EditorCommand(platform::cmdFind); }
void frmMain::findnext_Click() { EditorCommand(platform::cmdFindNext); }
void frmMain::findprev_Click() { EditorCommand(platform::cmdFindPrevious); }
void frmMain::mnuReplace_Click() { EditorCommand(platform::cmdReplace); }
void frmMain::goto_Click() { EditorCommand(platform::cmdGotoLine); }

void frmMain::UpdateToolbarState() {
    platform::CodeEditor* rt = ActiveEditor();
    if (QAction* b = Button(tbar2, QStringLiteral("undo"))) b->setEnabled(!rt || rt->CanUndo());
    if (QAction* b = Button(tbar2, QStringLiteral("redo"))) b->setEnabled(!rt || rt->CanRedo());
}

void frmMain::AddText(const QString& text) {
    if (platform::CodeEditor* rt = ActiveEditor()) modApp::InsertTextAtCaret(*rt, text);
}

// ---- View -----------------------------------------------------------------------

void frmMain::toolbar_Click() {
    toolbar->setChecked(!toolbar->isChecked());
    tBar->setVisible(toolbar->isChecked());
}

void frmMain::statusbar2_Click() {
    statusbar2->setChecked(!statusbar2->isChecked());
    picBottom->setVisible(statusbar2->isChecked());
}

void frmMain::quicknav_Click() {
    if (quicknav->isChecked()) {
        fDock->HidePanel(kNavPanel);
        quicknav->setChecked(false);
    } else {
        quicknav->setChecked(true);
        fDock->ShowPanel(kNavPanel);
    }
}

void frmMain::mnuTip_Click() { mnuTip->setChecked(!mnuTip->isChecked()); }

void frmMain::hlline_Click() {
    const bool on = !hlline->isChecked();
    hlline->setChecked(on);
    modApp::HighlightLine = on;
    for (int i = 1; i <= modApp::Docs.UBound(); ++i) {
        frmDoc* doc = modApp::Docs(i);
        if (!doc) continue;
        if (on) {
            doc->CurRange = doc->rt->Selection(true);
            doc->rt->SetHighlightedLine(doc->CurRange.StartLineNo);
        } else {
            doc->rt->SetHighlightedLine(-1);
        }
    }
    modReg::SaveViewOptions();
}

void frmMain::whitespace_Click() {
    const bool on = !whitespace->isChecked();
    for (int i = 1; i <= modApp::Docs.UBound(); ++i)
        if (frmDoc* doc = modApp::Docs(i)) doc->rt->SetWhitespaceShown(on);
    whitespace->setChecked(on);
    modApp::ShowWhitespace = on;
    modReg::SaveViewOptions();
}

void frmMain::mnuAllFileList_Click() {
    // The Assist Window refills its file list once it is connected.
    mnuAllFileList->setChecked(!mnuAllFileList->isChecked());
}

void frmMain::editor_Click() {
    frmDoc::Shared().rt->RunCommand(platform::cmdProperties);
    modReg::SaveEditorSettings();
}

// ---- Window ---------------------------------------------------------------------

void frmMain::tilehor_Click() {
    modMain::DocWindowState = 0;
    ArrangeWindows(mdi, Arrange::TileHorizontal);
}

void frmMain::tilever_Click() {
    modMain::DocWindowState = 0;
    ArrangeWindows(mdi, Arrange::TileVertical);
}

void frmMain::cascade_Click() {
    modMain::DocWindowState = 0;
    ArrangeWindows(mdi, Arrange::Cascade);
}

void frmMain::closeall_Click() { CloseAllDocuments(); }

void frmMain::FillWindowList() {
    for (QAction* a : windowListItems_) {
        mnuWindow->removeAction(a);
        a->deleteLater();
    }
    windowListItems_.clear();
    const QList<QMdiSubWindow*> windows = mdi->subWindowList(QMdiArea::CreationOrder);
    int number = 0;
    for (QMdiSubWindow* w : windows) {
        QString title = w->windowTitle();
        QAction* a = mnuWindow->addAction(QStringLiteral("&%1 %2").arg(++number).arg(title.replace(u'&', QStringLiteral("&&"))));
        a->setCheckable(true);
        a->setChecked(w == mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            if (mdi->subWindowList().contains(w)) mdi->setActiveSubWindow(w);
        });
        windowListItems_ << a;
    }
}

// ---- Help -----------------------------------------------------------------------

void frmMain::genhelp_Click() {
    const QString folder = modApp::AddBackslash(modApp::AppPath());
    QString file = folder + LoadResString(2);
    if (!QFileInfo(file).isFile()) file = folder + QStringLiteral("qvv2.chm");
    modAPI::ShowHelp(file, QString(), this);
}

// Not connected yet: the about box.
void frmMain::about_Click() {}

// ---- Compile and controller ---------------------------------------------------------

// Compile, download, debug, the controller windows, direct run and capture,
// the motion windows and the edit-menu tools: mainwindow/frmMainBuildMenus.cpp.
void frmMain::mnuAllRun_Click() {
    mnuMake_Click();
    mnuDown_Click();
}
// Not connected yet: the servo quick commands.
void frmMain::Motor_all_off() {}
void frmMain::Motor_sel_on() {}
void frmMain::Motor_sel_in() {}

void frmMain::mnuMotor_all_OFF_Click() { Motor_all_off(); }
// The captions and the procedures of these two items are crossed, as the
// menu always had them: "Motor All ON" inserts the positions and "Insert
// Motor Position" switches the motors on.
void frmMain::mnuMotor_sel_ON_Click() { Motor_sel_in(); }
void frmMain::mnuMotor_sel_IN_Click() { Motor_sel_on(); }

namespace {
// Run, stop and reset: one command byte, the serial port opened around it;
// a failure stays in vxIO::CommError without a message.
void ControllerCommand(void (*command)()) {
    if (modMain::PortType == 1) vxIO::OpenComm();
    command();
    if (modMain::PortType == 1) vxIO::CloseComm();
}
}  // namespace

void frmMain::mnuConReset_Click() { ControllerCommand(&vxIO::ResetController); }
void frmMain::mnuConRun_Click() { ControllerCommand(&vxIO::RunProgram); }
void frmMain::mnuConStop_Click() { ControllerCommand(&vxIO::StopProgram); }

void frmMain::mnuVX32_Click() {
    mnuAI->setEnabled(true);
    mnuDebug->setEnabled(true);
    mnuZero->setEnabled(true);
    mnuVX32->setChecked(true);
    mnuMotorControlKESTRA->setEnabled(true);
    mnuMotorControlKESTRA->setText(LoadResString(1083));
    if (QAction* kestra = ButtonAt(tBar3, 14)) {
        kestra->setToolTip(LoadResString(7000));
        SetButtonImage(kestra, 61);
        kestra->setEnabled(true);
    }
    if (QLabel* p3 = Panel(3)) p3->setText(LoadResString(1087));
    modMain::ControllerType = 8;
    modMain::ControllerID = 2;
    modMain::PortType = 1;
    basic.Con_ID = 2;
    basic.Con_Type = modMain::ControllerType;
    bool ok = false;
    const int language = LoadResString(1, &ok).trimmed().toInt();
    frmMainServices::LoadCommandSet(ok && language == 1 ? QStringLiteral("vx21.cmd") : QStringLiteral("vx21e.cmd"));
}

void frmMain::mnuAddOnProgram_Click(int Index) {
    if (Index < 0 || Index > 9 || !mnuAddOnProgram[Index]) return;
    const QString commandLine = mnuAddOnProgram[Index]->property("Tag").toString();
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty()) return;
    const QString program = words.takeFirst();
    QProcess::startDetached(program, words);  // a failure to start is ignored
}

// ---- Toolbars ---------------------------------------------------------------------

void frmMain::tBar_ButtonClick(QAction* Button) {
    if (!Button) return;
    const QString key = Button->property("Key").toString();
    if (key == QLatin1String("new")) new_Click();
    else if (key == QLatin1String("close")) close_Click();
    else if (key == QLatin1String("saveas")) saveas_Click();
    else if (key == QLatin1String("saveall")) saveall_Click();
    else if (key == QLatin1String("tilever")) ArrangeWindows(mdi, Arrange::TileVertical);
    else if (key == QLatin1String("tilehor")) ArrangeWindows(mdi, Arrange::TileHorizontal);
    else if (key == QLatin1String("cascade")) ArrangeWindows(mdi, Arrange::Cascade);
    else if (key == QLatin1String("open")) open_Click();
    else if (key == QLatin1String("print")) {
        if (platform::CodeEditor* rt = ActiveEditor()) rt->Print(0, 13);
    } else if (key == QLatin1String("save")) save_Click();
    else if (key == QLatin1String("help")) about_Click();
    else if (key == QLatin1String("Note")) mnuEdit_Note_Click();
}

void frmMain::tbar2_ButtonClick(QAction* Button) {
    if (!Button) return;
    const QString key = Button->property("Key").toString();
    if (key == QLatin1String("find")) find_Click();
    else if (key == QLatin1String("findnext")) findnext_Click();
    else if (key == QLatin1String("findprev")) findprev_Click();
    else if (key == QLatin1String("undo")) {
        undo_Click();
        UpdateToolbarState();
    } else if (key == QLatin1String("redo")) {
        redo_Click();
        UpdateToolbarState();
    } else if (key == QLatin1String("cut")) cut_Click();
    else if (key == QLatin1String("paste")) paste_Click();
    else if (key == QLatin1String("copy")) copy_Click();
    else if (key == QLatin1String("delete")) delete_Click();
    else if (key == QLatin1String("cblock")) mnuComment_Click();
    else if (key == QLatin1String("ublock")) mnuUncomment_Click();
    else if (key == QLatin1String("tabl")) EditorCommand(platform::cmdIndentSelection);
    else if (key == QLatin1String("tabr")) EditorCommand(platform::cmdUnindentSelection);
    else if (key == QLatin1String("nbmark")) EditorCommand(platform::cmdNextBookmark);
    else if (key == QLatin1String("pbmark")) EditorCommand(platform::cmdPreviousBookmark);
    else if (key == QLatin1String("tbmark")) {
        platform::CodeEditor* rt = ActiveEditor();
        if (!rt) return;
        rt->RunCommand(platform::cmdToggleBookmark);
        // The bookmark margin shows while any line carries a bookmark.
        QPointer<QWidget> guard(rt);
        bool found = false;
        const int32_t lines = rt->LineCount();
        for (int32_t i = 0; i < lines && !found; ++i) {
            QCoreApplication::processEvents();
            if (!guard) return;
            found = rt->LineHasBookmark(i);
        }
        rt->SetBookmarkMarginShown(found);
    } else if (key == QLatin1String("cbmark")) {
        if (platform::CodeEditor* rt = ActiveEditor()) {
            rt->RunCommand(platform::cmdClearBookmarks);
            rt->SetBookmarkMarginShown(false);
        }
    }
}

void frmMain::tBar3_ButtonClick(QAction* Button) {
    SetPortPanel();
    if (!Button) return;
    const QString key = Button->property("Key").toString();
    if (key == QLatin1String("compile")) mnuMake_Click();
    else if (key == QLatin1String("download")) mnuDown_Click();
    else if (key == QLatin1String("runall")) mnuAllRun_Click();
    else if (key == QLatin1String("coninfo")) mnuConInfo_Click();
    else if (key == QLatin1String("motor")) mnuMotorControl_Click();
    else if (key == QLatin1String("memclear")) mnuMemClear_Click();
    else if (key == QLatin1String("reset")) mnuConReset_Click();
    else if (key == QLatin1String("run")) mnuConRun_Click();
    else if (key == QLatin1String("stop")) mnuConStop_Click();
    else if (key == QLatin1String("linecontrol")) mnuCurrentLineControl_Click();
    else if (key == QLatin1String("kestra")) mnuMotorControlKESTRA_Click();
    else if (key == QLatin1String("motor_off")) Motor_all_off();
    else if (key == QLatin1String("motor_on")) Motor_sel_on();
    else if (key == QLatin1String("motor_in")) Motor_sel_in();
}

// ---- Tab strip, status bar, public procedures ----------------------------------------

void frmMain::TB_MouseDown(int Button) {
    Q_UNUSED(Button);
    const QString key = TB->SelectedKey();
    bool ok = false;
    const int k = key.mid(3).toInt(&ok);
    if (ok) frmMainServices::ActivateDocument(k);
    // The Assist Window returns to its file page with an empty label list
    // once it is connected.
}

void frmMain::TB_MouseUp(int Button, const QPoint& globalPos) {
    const QString key = TB->SelectedKey();
    bool ok = false;
    const int k = key.mid(3).toInt(&ok);
    if (ok) frmMainServices::ActivateDocument(k);
    if (Button == Qt::RightButton) tabmenu->popup(globalPos);
}

void frmMain::stBar_PanelClick() { SetPortPanel(); }

void frmMain::MessageBox(const QString& prompt, int32_t buttons, const QString& title) {
    platform::MsgBox(prompt, buttons, title, this);
}
