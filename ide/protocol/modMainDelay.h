// modMain.Delay: a wait of a number of milliseconds that keeps the event
// queue running.  Other events run meanwhile; a controller command one of
// them starts is refused while a controller exchange is active (vxIO::Busy).
#pragma once

#include <cstdint>

namespace modMain {

// Set by the delay timer's event when the current delay is over.
inline bool DelayElapsed = false;

// Waits ms milliseconds, driven by the link's delay timer (vxIO::Link()'s
// TimeDelay); returns at once when ms < 1.  The process sleeps while nothing
// happens.
void Delay(int16_t ms);

}  // namespace modMain
