// frmMain: the Compile, Controller, Set and Special menu handlers, the two
// edit-menu tools, the servo quick commands, the add-on programs and the
// motion lock.  The controller toolbar's keys run these same handlers
// (frmMain.cpp, BuildToolbars).
//
// Each handler tests its condition first; a condition that fails does
// nothing and shows nothing (the debug command's model check alone shows a
// warning).  A command that talks to the controller, asked for while
// another controller exchange waits (a key pressed while a command waits for
// its reply, or for the quiet line after a frame that broke off, which can
// take seconds), is not carried out: its bytes would mix with that
// exchange's.  The status bar then says so, with a beep, so that the click
// does not seem lost; the message goes with the next command carried out.  The windows and procedures they start are the slots of
// mainwindow/MainWindowTools.h.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QToolBar>

#include <algorithm>
#include <array>
#include <functional>

#include "compiler/ControllerMap.h"
#include "build/CompilePipeline.h"
#include "build/ModelSetup.h"
#include "documents/Documents.h"
#include "documents/StringTable.h"
#include "documents/modMain.h"
#include "editor/frmDoc.h"
#include "link/frmRun.h"
#include "link/frmWait.h"
#include "protocol/modMainDelay.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/MainWindowTools.h"
#include "mainwindow/frmMain.h"
#include "motion/frmMoveKESTRA.h"
#include "platform/MsgBox.h"
#include "platform/UiLanguage.h"

namespace {

void Run(const std::function<void()>& f) {
    if (f) f();
}

bool Shown(const std::function<bool()>& f) { return f ? f() : false; }

// What the current controller type and model have.
const qvv2::controller::TypeFacts& CurrentType() { return qvv2::controller::TypeOf(modMain::ControllerType); }
bool ModelHasGroupCommands() {
    const qvv2::controller::ModelFacts* model = qvv2::controller::FindModel(modMain::ControllerID);
    return model && model->groupCommands;
}

void SetMenuEnabled(QMenu* menu, bool enabled) {
    if (menu) menu->menuAction()->setEnabled(enabled);
}

void SetItemEnabled(QAction* item, bool enabled) {
    if (item) item->setEnabled(enabled);
}

// Short enough for the status bar's first panel of a small window.
const platform::LocalizedText kNotCarriedOut = {
    "Controller busy: command not carried out.",
    "컨트롤러 사용 중: 명령을 실행하지 않았습니다.",
    "コントローラー使用中: コマンドは実行されませんでした。",
    "控制器忙: 命令未执行。",
};

// Whether a controller command may start now; when another exchange waits,
// the status bar says that the command was not carried out.
bool LinkFree(frmMain& w) {
    const QString notCarriedOut = platform::Localized(kNotCarriedOut);
    QLabel* p1 = w.Panel(1);
    if (vxIO::Busy()) {
        if (p1) p1->setText(notCarriedOut);
        QApplication::beep();
        return false;
    }
    if (p1 && p1->text() == notCarriedOut) p1->clear();
    return true;
}

// Run, stop and reset: one command byte, the serial port opened around it;
// a failure stays in vxIO::CommError without a message.
void ControllerCommand(void (*command)()) {
    if (vxIO::Serial()) vxIO::OpenComm();
    command();
    if (vxIO::Serial()) vxIO::CloseComm();
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
    // The humanoid window's item comes back only for the models that have it.
    SetItemEnabled(w.mnuMotorControlKESTRA, enabled && CurrentType().humanoidWindows);
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
    if (!LinkFree(*this)) return;
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
    if (CurrentType().debugWindow) {
        if (!LinkFree(*this)) return;
        Run(MainWindowTools::Windows().ShowDebugScreen);
        return;
    }
    platform::MsgBox(LoadResString(4552), platform::vbOKOnly, LoadResString(4551), this);
}

// ---- Controller -----------------------------------------------------------------------

void frmMain::mnuConInfo_Click() {
    if (modMain::InfoBusy || !LinkFree(*this)) return;
    Run(MainWindowTools::Windows().ShowControllerInfo);
}

void frmMain::mnuMemClear_Click() {
    if (LinkFree(*this)) Run(MainWindowTools::Windows().ClearMemory);
}

void frmMain::mnuConReset_Click() {
    if (LinkFree(*this)) ControllerCommand(&vxIO::ResetController);
}
void frmMain::mnuConRun_Click() {
    if (LinkFree(*this)) ControllerCommand(&vxIO::RunProgram);
}
void frmMain::mnuConStop_Click() {
    if (LinkFree(*this)) ControllerCommand(&vxIO::StopProgram);
}

// The current line's, group's and capture commands compile into the
// program's compiler control: a refused one leaves it as it was.
void frmMain::mnuCurrentLineControl_Click() {
    if (!LinkFree(*this)) return;
    modMain::CompiledOK = false;
    if (CurrentType().smallLineRun)
        Run(MainWindowTools::Windows().RunCurrentLine);
    else
        Run(MainWindowTools::Windows().RunCurrentLineSingle);
}

void frmMain::mnuCurrentGroupControl_Click() {
    if (!ModelHasGroupCommands() || !LinkFree(*this)) return;
    Run(MainWindowTools::Windows().RunCurrentGroup);
}

void frmMain::mnuCurrentCapture_Click() {
    if (!ModelHasGroupCommands() || !LinkFree(*this)) return;
    Run(MainWindowTools::Windows().CaptureToMoveLine);
}

// ---- Servo quick commands ------------------------------------------------------------
//
// Each is one controller exchange on the humanoid's servos 0 to 23 (those of
// them the model has): the wait window, the
// serial port opened, 50 ms, the stop command (no program may run while its
// servos are handled), then the servo loop, the port closed.  A link error
// stops the command where it happens and shows one error box with its code
// (which closes the port and the wait window): against a dead controller
// that is one time-out, not one per servo, and nothing is done on the
// strength of a reply that never came.

namespace {

// The humanoid's servos, those of them the model has.
int16_t ServoCount() {
    return static_cast<int16_t>(
        std::min(qvv2::controller::kHumanoidServos, qvv2::controller::LinkModel(vxIO::Model()).servos));
}

// Shows the error box for the link error standing now; true when there was one.
bool LinkFailed() {
    if (vxIO::CommError == 0) return false;
    vxIO::ShowCommError(vxIO::CommError);
    return true;
}

// Opens the port and stops the controller's program.  false after a link
// error, which has been shown.  A port that cannot be opened is reported as
// such, not as the stop command's failure on a closed port.
bool OpenAndStop() {
    vxIO::OpenComm();
    if (LinkFailed()) return false;
    modMain::Delay(50);
    vxIO::StopProgram();
    return !LinkFailed();
}

void CloseAndUnloadWait() {
    vxIO::CloseComm();
    frmWait::Unload();
}

// The position to write back for one a servo reports: within 10 to 190 as
// it is; 0 (no position yet) the middle, 100; below 10 10; above 190 190.
uint8_t UsablePosition(uint8_t p) {
    if (p >= 10 && p <= 190) return p;
    if (p == 0) return 100;
    return p < 10 ? 10 : 190;
}

}  // namespace

void frmMain::Motor_all_off() {
    if (!LinkFree(*this)) return;
    const vxIO::Exchange exchange;
    if (!exchange) return;
    frmWait::Load().show();
    if (!OpenAndStop()) return;
    for (int16_t m = 0; m < ServoCount(); ++m) {
        const bool wasOn = vxIO::GetMotorOn(m);
        if (LinkFailed()) return;
        MotorWasOn[static_cast<size_t>(m)] = wasOn;
        vxIO::SetMotorOn(m, false);
        if (LinkFailed()) return;
    }
    CloseAndUnloadWait();
}

void frmMain::Motor_sel_on() {
    if (!LinkFree(*this)) return;
    const vxIO::Exchange exchange;
    if (!exchange) return;
    frmWait::Load().show();
    if (!OpenAndStop()) return;
    for (int16_t m = 0; m < ServoCount(); ++m) {
        if (!MotorWasOn[static_cast<size_t>(m)]) continue;
        // A servo is switched on where it stands now, so that it does not
        // jump; a failed read must not drive it to the middle.
        const uint8_t p = vxIO::ReadVariable(m);
        if (LinkFailed()) return;
        vxIO::WritePositionPair(m, UsablePosition(p));
        if (LinkFailed()) return;
        vxIO::SetMotorOn(m, true);
        if (LinkFailed()) return;
    }
    CloseAndUnloadWait();
}

void frmMain::Motor_sel_in() {
    if (!LinkFree(*this)) return;
    const vxIO::Exchange exchange;
    if (!exchange) return;
    frmWait::Load().show();
    QPointer<frmDoc> doc = modApp::Docs(modApp::ActiveDoc);
    if (!doc || modApp::ActiveDoc == 0) {
        CloseAndUnloadWait();
        return;
    }
    if (!OpenAndStop()) return;
    std::array<bool, modUserRobot::kSlots> on{};
    std::array<uint8_t, modUserRobot::kSlots> pos{};
    for (int16_t m = 0; m < ServoCount(); ++m) {
        const size_t i = static_cast<size_t>(m);
        on[i] = vxIO::GetMotorOn(m);
        if (LinkFailed()) return;
        if (!on[i]) continue;
        pos[i] = vxIO::ReadMotorPos(m);
        if (LinkFailed()) return;
    }
    // The document may have been closed while the link waited.
    if (!doc) {
        CloseAndUnloadWait();
        return;
    }
    const platform::EditorRange kept = doc->rt->Selection(true);
    // The four MOVE lines (groups A, D, B, C), a WAIT line and an empty line.
    const QString text = frmMoveKESTRA::MoveLines(pos, on, false) + QStringLiteral("WAIT\r\n\r\n");
    if (doc) {
        doc->rt->ReplaceSelectedText(text);
        doc->rt->PutCaret(kept.EndLineNo + 6, kept.EndColNo);
    }
    CloseAndUnloadWait();
}

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
    if (!LinkFree(*this)) return;
    MotionLock();
    bool shown = false;
    if (CurrentType().servoWindow) shown = Shown(MainWindowTools::Windows().ShowMove32G6);
    if (!shown) MotionUnlock();
}

void frmMain::mnuMotorControlKESTRA_Click() {
    if (!LinkFree(*this)) return;
    MotionLock();
    if (!Shown(MainWindowTools::Windows().ShowMoveKestra)) MotionUnlock();
}

void frmMain::mnuZero_all_Click() {
    if (!LinkFree(*this)) return;
    MotionLock();
    if (!Shown(MainWindowTools::Windows().ShowZero32)) MotionUnlock();
}

void frmMain::mnuZero_Click() {
    if (!LinkFree(*this)) return;
    MotionLock();
    bool shown = false;
    if (CurrentType().humanoidWindows) shown = Shown(MainWindowTools::Windows().ShowZeroKestra);
    if (!shown) MotionUnlock();
}

// ---- Set, Special, Edit ---------------------------------------------------------------

void frmMain::mnuPort_Click() { Run(MainWindowTools::Windows().ShowPortSettings); }

// The model menu: its items, key and status panel, then the model set-up
// itself, which the "'$DEVICE VX32" directive also runs.
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
    modMain::ModelSetup(basic);
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
