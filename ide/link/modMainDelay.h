// modMain.Delay: a wait of a number of milliseconds that keeps the event
// queue running (other events, user commands included, run meanwhile).
#pragma once

#include <cstdint>

namespace modMain {

// Set by the main window's TimeDelay event when the current delay is over.
inline bool DelayElapsed = false;

// Waits ms milliseconds, driven by frmMain.TimeDelay; returns at once when
// ms < 1.  The process sleeps while nothing happens.
void Delay(int16_t ms);

}  // namespace modMain
