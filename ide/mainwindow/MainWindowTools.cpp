#include "mainwindow/MainWindowTools.h"

#include "link/frmDebugScreen.h"
#include "link/frmInfo.h"
#include "link/frmPort.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"
#include "motion/frmMoveKESTRA.h"

namespace MainWindowTools {

ToolWindows& Windows() {
    static ToolWindows windows = [] {
        ToolWindows w;
        w.ShowDebugScreen = [] { frmDebugScreen::ShowModal(frmMain::existing()); };
        w.ShowControllerInfo = [] { frmInfo::ShowModal(frmMain::existing()); };
        w.ClearMemory = [] { vxIO::ClearMemory(); };
        w.ShowPortSettings = [] { frmPort::ShowModal(frmMain::existing()); };
        w.ShowMoveKestra = [] { return frmMoveKESTRA::Show(); };
        return w;
    }();
    return windows;
}

}  // namespace MainWindowTools
