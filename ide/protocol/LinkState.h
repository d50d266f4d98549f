// The link's state: what the byte link keeps from one operation to the next.
// It belongs to the registration of the link's controls (vxIO::SetLinkControls):
// each registration starts with a state of its own, clean, and the stand-in
// controls have theirs.  Inside the protocol folder only; the other folders
// see it through vxIO_Protocol.h's functions.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>

#include "protocol/vxIO_Protocol.h"

namespace vxIO::detail {

using Clock = std::chrono::steady_clock;

// What one line keeps: when the link last wrote a byte to it, and until when
// it stays quiet after a frame that broke off or a late byte (see
// BrokenFrameQuietMs).  It outlives closing and opening the port: the
// controller does not see those.
struct LineState {
    Clock::time_point lastWrite{};
    Clock::time_point quietUntil{};
};

struct LinkState {
    // The receipt flags (RxReady, RxByte, RxTimedOut).
    bool rxReady = false;
    uint8_t rxByte = 0;
    bool rxTimedOut = false;
    // A reply wait is in progress and has no answer yet: a byte that arrives
    // now is its answer.  A byte that arrives at any other time is late.
    bool replyWaiting = false;
    // The floor of the quiet time (SetQuietFloorMs).
    int quietFloorMs = kQuietFloorMs;
    // The lines, by port number: the number the user chooses is the line.
    // Another number is another line with a quiet time of its own; going
    // back to a number finds its line as it was left.
    std::map<int, LineState> lines;
};

// The state of the link's current controls: the registered ones', else the
// stand-in's.  Never null.  A wait holds on to the state it started with, so
// that the state stays valid when its controls go away during the wait.
std::shared_ptr<LinkState> CurrentState();

}  // namespace vxIO::detail
