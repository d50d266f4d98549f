// frmMain: the Compile, Controller and Set menu handlers, the two edit-menu
// tools, and the motion lock.
//
// Each handler tests its condition first; a condition that fails does
// nothing and shows nothing (the debug command's model check alone shows a
// warning).  Run, stop, reset, the model set-up and the add-on programs are
// in mainwindow/frmMainCommands.cpp.
#include "mainwindow/frmMainBuildMenus.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

#include "build/CompilePipeline.h"
#include "build/modMain.h"
#include "documents/Documents.h"
#include "documents/StringTable.h"
#include "link/frmDebugScreen.h"
#include "link/frmInfo.h"
#include "link/frmPort.h"
#include "link/frmRun.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"
#include "platform/MsgBox.h"

namespace frmMainBuildMenus {

ToolWindows& Windows() {
    static ToolWindows windows = [] {
        ToolWindows w;
        w.ShowDebugScreen = [] { frmDebugScreen::ShowModal(frmMain::existing()); };
        w.ShowControllerInfo = [] { frmInfo::ShowModal(frmMain::existing()); };
        w.ClearMemory = [] { vxIO::ClearMemory(); };
        w.ShowPortSettings = [] { frmPort::ShowModal(frmMain::existing()); };
        return w;
    }();
    return windows;
}

}  // namespace frmMainBuildMenus

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

}  // namespace

// ---- Motion lock ------------------------------------------------------------------

void frmMain::MotionLock() {
    SetMenuEnabled(mnuSet, false);
    SetMenuEnabled(mnuBuild, false);
    SetMenuEnabled(mnuController, false);
    if (tBar3) tBar3->setEnabled(false);
    SetItemEnabled(mnuMotorControl, false);
    SetItemEnabled(mnuMotorControlKESTRA, false);
}

void frmMain::MotionUnlock() {
    SetMenuEnabled(mnuSet, true);
    SetMenuEnabled(mnuBuild, true);
    SetMenuEnabled(mnuController, true);
    if (tBar3) tBar3->setEnabled(true);
    SetItemEnabled(mnuMotorControl, true);
    SetItemEnabled(mnuMotorControlKESTRA, true);
}

// ---- Compile ----------------------------------------------------------------------

void frmMain::mnuMake_Click() {
    if (modApp::ActiveDoc == 0) return;
    modMain::CompileActiveDocument();
}

// A header-only image passes here; the download itself refuses anything
// without code (modMain::DownloadProgram).
void frmMain::mnuDown_Click() {
    if (modApp::ActiveDoc == 0 || basic.TotalBytes < 16 || basic.Bas_Error != 0) return;
    frmRun::ShowModal(this);
}

void frmMain::mnuDebug_Click() {
    if (basic.TotalBytes < 17 || basic.Bas_Error != 0 || !modMain::CompiledOK || !modMain::Downloaded) return;
    if (OneOf(modMain::ControllerType, {0, 3, 4, 7, 8})) {
        Run(frmMainBuildMenus::Windows().ShowDebugScreen);
        return;
    }
    platform::MsgBox(LoadResString(4552), platform::vbOKOnly, LoadResString(4551), this);
}

// ---- Controller -----------------------------------------------------------------------

void frmMain::mnuConInfo_Click() {
    if (modMain::InfoBusy) return;
    Run(frmMainBuildMenus::Windows().ShowControllerInfo);
}

void frmMain::mnuMemClear_Click() { Run(frmMainBuildMenus::Windows().ClearMemory); }

void frmMain::mnuCurrentLineControl_Click() {
    modMain::CompiledOK = false;
    if (modMain::ControllerType == 5)
        Run(frmMainBuildMenus::Windows().RunCurrentLine);
    else
        Run(frmMainBuildMenus::Windows().RunCurrentLineSingle);
}

void frmMain::mnuCurrentGroupControl_Click() {
    if (modMain::ControllerID != 2) return;
    Run(frmMainBuildMenus::Windows().RunCurrentGroup);
}

void frmMain::mnuCurrentCapture_Click() {
    if (modMain::ControllerID != 2) return;
    Run(frmMainBuildMenus::Windows().CaptureToMoveLine);
}

// The motion and zero-point windows: the lock comes first.  A window that
// does not open (a controller type without one, or a window the program
// does not have) would never run the unlock, so the lock is lifted again at
// once instead of leaving the menus disabled for good.
void frmMain::mnuMotorControl_Click() {
    MotionLock();
    bool shown = false;
    if (OneOf(modMain::ControllerType, {3, 4, 7, 8, 9})) shown = Shown(frmMainBuildMenus::Windows().ShowMove32G6);
    if (!shown) MotionUnlock();
}

void frmMain::mnuMotorControlKESTRA_Click() {
    MotionLock();
    if (!Shown(frmMainBuildMenus::Windows().ShowMoveKestra)) MotionUnlock();
}

void frmMain::mnuZero_all_Click() {
    MotionLock();
    if (!Shown(frmMainBuildMenus::Windows().ShowZero32)) MotionUnlock();
}

void frmMain::mnuZero_Click() {
    MotionLock();
    bool shown = false;
    if (OneOf(modMain::ControllerType, {4, 8, 9})) shown = Shown(frmMainBuildMenus::Windows().ShowZeroKestra);
    if (!shown) MotionUnlock();
}

// ---- Set, Special, Edit ---------------------------------------------------------------

void frmMain::mnuPort_Click() { Run(frmMainBuildMenus::Windows().ShowPortSettings); }

void frmMain::mnuViewObj_Click() { Run(frmMainBuildMenus::Windows().ShowObjectView); }

void frmMain::mnuViewLineObj_Click() { Run(frmMainBuildMenus::Windows().ShowLineObjectView); }

void frmMain::mnuEdit_Align_Click() {
    if (modApp::ActiveDoc == 0) return;
    Run(frmMainBuildMenus::Windows().ShowAlignProgram);
}

void frmMain::mnuEdit_Note_Click() { Run(frmMainBuildMenus::Windows().ShowNote); }
