#include "mainwindow/MainWindowTools.h"

#include "link/frmDebugScreen.h"
#include "link/frmInfo.h"
#include "link/frmPort.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"
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
        w.ShowMoveKestra = [] { return frmMoveKESTRA::Show(); };
        w.ShowZero32 = [] { return frmZero32::ShowWindow(frmMain::existing()); };
        w.ShowZeroKestra = [] { return frmZeroKESTRA::ShowWindow(frmMain::existing()); };
        return w;
    }();
    return windows;
}

}  // namespace MainWindowTools
