// frmMain: the Compile, Controller, Set and Special menu handlers, the two
// edit-menu tools, the servo quick commands, the add-on programs and the
// motion lock.  The controller toolbar's keys run these same handlers
// (frmMain.cpp, BuildToolbars).
//
// Each handler tests its condition first; a condition that fails does
// nothing and shows nothing (the debug command's model check alone shows a
// warning).  The windows and procedures they start are the slots of
// mainwindow/MainWindowTools.h.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QToolBar>

#include <initializer_list>

#include "build/CompilePipeline.h"
#include "build/modMain.h"
#include "documents/Documents.h"
#include "documents/StringTable.h"
#include "link/frmRun.h"
#include "link/vxIO.h"
#include "mainwindow/MainWindowTools.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainServices.h"
#include "platform/MsgBox.h"

namespace {

void Run(const std::function<void()>& f) {
    if (f) f();
}

bool Shown(const std::function<bool()>& f) { return f ? f() : false; }

bool OneOf(int16_t value, std::initializer_list<int16_t> values) {
    for (const int16_t v : values)
        if (value == v) return true;
    return false;
}

void SetMenuEnabled(QMenu* menu, bool enabled) {
    if (menu) menu->menuAction()->setEnabled(enabled);
}

void SetItemEnabled(QAction* item, bool enabled) {
    if (item) item->setEnabled(enabled);
}

// Run, stop and reset: one command byte, the serial port opened around it;
// a failure stays in vxIO::CommError without a message.
void ControllerCommand(void (*command)()) {
    if (modMain::PortType == 1) vxIO::OpenComm();
    command();
    if (modMain::PortType == 1) vxIO::CloseComm();
}

}  // namespace

// ---- Motion lock ------------------------------------------------------------------

// The menus and keys that a motion or zero-point window locks while it is open.
static void SetMotionMenusEnabled(frmMain& w, bool enabled) {
    SetMenuEnabled(w.mnuSet, enabled);
    SetMenuEnabled(w.mnuBuild, enabled);
    SetMenuEnabled(w.mnuController, enabled);
    if (w.tBar3) w.tBar3->setEnabled(enabled);
    SetItemEnabled(w.mnuMotorControl, enabled);
    SetItemEnabled(w.mnuMotorControlKESTRA, enabled);
}

void frmMain::MotionLock() { SetMotionMenusEnabled(*this, false); }

void frmMain::MotionUnlock() { SetMotionMenusEnabled(*this, true); }

// ---- Compile ----------------------------------------------------------------------

void frmMain::mnuMake_Click() {
    if (modApp::ActiveDoc == 0) return;
    modMain::CompileActiveDocument();
}

// A header-only image passes here; the download itself refuses anything
// without code (modMain::DownloadProgram).
void frmMain::mnuDown_Click() {
    if (modApp::ActiveDoc != 0) modMain::RecompileAfterSnippet();  // a direct run's image is no program
    if (modApp::ActiveDoc == 0 || basic.TotalBytes < 16 || basic.Bas_Error != 0) return;
    frmRun::ShowModal(this);
}

void frmMain::mnuAllRun_Click() {
    mnuMake_Click();
    mnuDown_Click();
}

void frmMain::mnuDebug_Click() {
    if (basic.TotalBytes < 17 || basic.Bas_Error != 0 || !modMain::CompiledOK || !modMain::Downloaded) return;
    if (OneOf(modMain::ControllerType, {0, 3, 4, 7, 8})) {
        Run(MainWindowTools::Windows().ShowDebugScreen);
        return;
    }
    platform::MsgBox(LoadResString(4552), platform::vbOKOnly, LoadResString(4551), this);
}

// ---- Controller -----------------------------------------------------------------------

void frmMain::mnuConInfo_Click() {
    if (modMain::InfoBusy) return;
    Run(MainWindowTools::Windows().ShowControllerInfo);
}

void frmMain::mnuMemClear_Click() { Run(MainWindowTools::Windows().ClearMemory); }

void frmMain::mnuConReset_Click() { ControllerCommand(&vxIO::ResetController); }
void frmMain::mnuConRun_Click() { ControllerCommand(&vxIO::RunProgram); }
void frmMain::mnuConStop_Click() { ControllerCommand(&vxIO::StopProgram); }

void frmMain::mnuCurrentLineControl_Click() {
    modMain::CompiledOK = false;
    if (modMain::ControllerType == 5)
        Run(MainWindowTools::Windows().RunCurrentLine);
    else
        Run(MainWindowTools::Windows().RunCurrentLineSingle);
}

void frmMain::mnuCurrentGroupControl_Click() {
    if (modMain::ControllerID != 2) return;
    Run(MainWindowTools::Windows().RunCurrentGroup);
}

void frmMain::mnuCurrentCapture_Click() {
    if (modMain::ControllerID != 2) return;
    Run(MainWindowTools::Windows().CaptureToMoveLine);
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

// The motion and zero-point windows: the lock comes first.  A window that
// does not open (a controller type without one, or a window the program
// does not have) would never run the unlock, so the lock is lifted again at
// once instead of leaving the menus disabled for good.
void frmMain::mnuMotorControl_Click() {
    MotionLock();
    bool shown = false;
    if (OneOf(modMain::ControllerType, {3, 4, 7, 8, 9})) shown = Shown(MainWindowTools::Windows().ShowMove32G6);
    if (!shown) MotionUnlock();
}

void frmMain::mnuMotorControlKESTRA_Click() {
    MotionLock();
    if (!Shown(MainWindowTools::Windows().ShowMoveKestra)) MotionUnlock();
}

void frmMain::mnuZero_all_Click() {
    MotionLock();
    if (!Shown(MainWindowTools::Windows().ShowZero32)) MotionUnlock();
}

void frmMain::mnuZero_Click() {
    MotionLock();
    bool shown = false;
    if (OneOf(modMain::ControllerType, {4, 8, 9})) shown = Shown(MainWindowTools::Windows().ShowZeroKestra);
    if (!shown) MotionUnlock();
}

// ---- Set, Special, Edit ---------------------------------------------------------------

void frmMain::mnuPort_Click() { Run(MainWindowTools::Windows().ShowPortSettings); }

void frmMain::mnuVX32_Click() {
    mnuAI->setEnabled(true);
    mnuDebug->setEnabled(true);
    mnuZero->setEnabled(true);
    mnuVX32->setChecked(true);
    mnuMotorControlKESTRA->setEnabled(true);
    mnuMotorControlKESTRA->setText(LoadResString(1083));
    if (QAction* kestra = Button(tBar3, QStringLiteral("kestra"))) {
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

void frmMain::mnuViewObj_Click() { Run(MainWindowTools::Windows().ShowObjectView); }

void frmMain::mnuViewLineObj_Click() { Run(MainWindowTools::Windows().ShowLineObjectView); }

void frmMain::mnuEdit_Align_Click() {
    if (modApp::ActiveDoc == 0) return;
    Run(MainWindowTools::Windows().ShowAlignProgram);
}

void frmMain::mnuEdit_Note_Click() { Run(MainWindowTools::Windows().ShowNote); }

// ---- Add-on programs ------------------------------------------------------------------

void frmMain::mnuAddOnProgram_Click(int Index) {
    if (Index < 0 || Index > 9 || !mnuAddOnProgram[Index]) return;
    const QString commandLine = mnuAddOnProgram[Index]->property("Tag").toString();
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty()) return;
    const QString program = words.takeFirst();
    QProcess::startDetached(program, words);  // a failure to start is ignored
}
