#include "mainwindow/MainWindowTools.h"

#include "build/CaptureMove.h"
#include "build/DirectRun.h"
#include "build/frmObj.h"
#include "editor/frmAlignWait.h"
#include "editor/frmNote.h"
#include "link/frmDebugScreen.h"
#include "link/frmInfo.h"
#include "link/frmPort.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "motion/frmMove32_G6.h"
#include "motion/frmMoveKESTRA.h"
#include "motion/frmZero32.h"
#include "motion/frmZeroKESTRA.h"

namespace MainWindowTools {

ToolWindows& Windows() {
    static ToolWindows windows = [] {
        ToolWindows w;
        w.ShowDebugScreen = [] { frmDebugScreen::ShowModal(frmMain::existing()); };
        w.ShowControllerInfo = [] { frmInfo::ShowModal(frmMain::existing()); };
        w.ClearMemory = [] { vxIO::ClearMemory(); };
        w.ShowPortSettings = [] { frmPort::ShowModal(frmMain::existing()); };
        w.ShowNote = [] { frmNote::ShowNote(); };
        w.ShowObjectView = [] { frm_Obj::ShowModal(frmMain::existing()); };
        w.ShowLineObjectView = [] { frm_Obj_Line::ShowModal(frmMain::existing()); };
        w.RunCurrentLine = [] { modMain::RunCurrentLine(); };
        w.RunCurrentLineSingle = [] { modMain::RunCurrentLineSingle(); };
        w.RunCurrentGroup = [] { modMain::RunCurrentGroup(); };
        w.CaptureToMoveLine = [] { modMain::CaptureToMoveLine(); };
        w.ShowMove32G6 = [] { return frmMove32_G6::Open(frmMain::existing()); };
        w.ShowAlignProgram = [] { frmAlignWait::ShowModal(frmMain::existing()); };
        w.ShowMoveKestra = [] { return frmMoveKESTRA::Show(); };
        w.ShowZero32 = [] { return frmZero32::ShowWindow(frmMain::existing()); };
        w.ShowZeroKestra = [] { return frmZeroKESTRA::ShowWindow(frmMain::existing()); };
        return w;
    }();
    return windows;
}

void CloseAtExit() {
    if (frmMove32_G6* w = frmMove32_G6::Loaded()) w->close();
    if (frmMoveKESTRA* w = frmMoveKESTRA::Loaded()) w->close();
    frmWait::Unload();
    if (frmZeroKESTRA* w = frmZeroKESTRA::Loaded()) w->close();
    if (frmNote* w = frmNote::Loaded()) w->close();
}

}  // namespace MainWindowTools
