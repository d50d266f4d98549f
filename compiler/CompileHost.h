// What the compiler core needs of its host's user interface: the progress
// window, a turn of the event queue and a timed wait.  The implementations
// (frmCompile.cpp, DelayTimer.cpp) use Qt when a QApplication exists and do
// nothing (or sleep) when the core runs without one.
#pragma once

#include <cstdint>
#include <string>

namespace qvv2::host {

// Loads the progress window with its caption and shows it modeless.
void ProgressShow(const std::u16string& caption);
// Sets the progress window to a percentage (0..100); no effect when not shown.
void ProgressChange(int16_t percent);
// Unloads the progress window.
void ProgressUnload();
// Hands control to pending window events.  Cheap to call per line or per
// character: it only reaches the event queue every few milliseconds.
void ProcessEvents();
// Waits the given milliseconds while keeping the host's windows alive.
void Wait(int32_t milliseconds);

}  // namespace qvv2::host
