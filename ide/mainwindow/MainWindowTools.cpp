#include "mainwindow/MainWindowTools.h"

#include "editor/frmAlignWait.h"
#include "link/frmDebugScreen.h"
#include "link/frmInfo.h"
#include "link/frmPort.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"

namespace MainWindowTools {

ToolWindows& Windows() {
    static ToolWindows windows = [] {
        ToolWindows w;
        w.ShowDebugScreen = [] { frmDebugScreen::ShowModal(frmMain::existing()); };
        w.ShowControllerInfo = [] { frmInfo::ShowModal(frmMain::existing()); };
        w.ClearMemory = [] { vxIO::ClearMemory(); };
        w.ShowPortSettings = [] { frmPort::ShowModal(frmMain::existing()); };
        w.ShowAlignProgram = [] { frmAlignWait::ShowModal(frmMain::existing()); };
        return w;
    }();
    return windows;
}

}  // namespace MainWindowTools
