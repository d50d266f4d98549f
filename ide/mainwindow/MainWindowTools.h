// The tool windows and controller procedures that the main window's
// Compile, Controller, Set, Special and Edit menu handlers
// (mainwindow/frmMainController.cpp) start, as function slots: the debug window, the
// controller information window, the port settings window, clearing the
// controller's memory, running the current line or MOVE group on the robot
// and capturing servo positions, the motion and zero-point windows, the
// object-code views, the program alignment and the note window.
//
// Windows() fills every slot with the window or procedure that serves it;
// an empty slot (a test may clear one) does nothing.  The handlers test
// their conditions and apply the motion lock themselves, so a slot only
// shows its window.
#pragma once

#include <functional>

namespace MainWindowTools {

struct ToolWindows {
    // Modal windows.
    std::function<void()> ShowDebugScreen;      // frmDebugScreen
    std::function<void()> ShowControllerInfo;   // frmInfo
    std::function<void()> ShowPortSettings;     // frmPort
    std::function<void()> ShowObjectView;       // frm_Obj
    std::function<void()> ShowLineObjectView;   // frm_Obj_Line
    std::function<void()> ShowAlignProgram;     // frmAlignWait
    // Modeless, without owner.
    std::function<void()> ShowNote;             // frmNote
    // Controller procedures.
    std::function<void()> ClearMemory;          // vxIO.ClearMemory (asks first)
    std::function<void()> RunCurrentLine;       // modMain.RunCurrentLine (controller type 5)
    std::function<void()> RunCurrentLineSingle; // modMain.RunCurrentLineSingle
    std::function<void()> RunCurrentGroup;      // modMain.RunCurrentGroup
    std::function<void()> CaptureToMoveLine;    // modMain.CaptureToMoveLine
    // Motion and zero-point windows, modeless: true when the window is shown
    // (it then runs frmMain::MotionUnlock when it unloads).
    std::function<bool()> ShowMove32G6;         // frmMove32_G6
    std::function<bool()> ShowMoveKestra;       // frmMoveKESTRA
    std::function<bool()> ShowZero32;           // frmZero32
    std::function<bool()> ShowZeroKestra;       // frmZeroKESTRA
};

// The slots the handlers call.
ToolWindows& Windows();

// Closes the tool windows that the main window's unload closes, those that
// are open, in this order: frmMove32_G6, frmMoveKESTRA, frmWait (unloaded),
// frmZeroKESTRA, frmNote.
void CloseAtExit();

}  // namespace MainWindowTools
