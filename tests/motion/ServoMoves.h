// The servo moves in what the host sent to the controller: each MOVE frame
// (E6, motor, position) as (motor, position), in order; and what the host
// sent after a byte whose answer failed.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "ControllerSim.h"

inline std::vector<std::pair<int, int>> ServoMovesOnWire(const std::vector<uint8_t>& wire) {
    std::vector<std::pair<int, int>> moves;
    for (size_t i = 0; i + 2 < wire.size(); ++i)
        if (wire[i] == 0xE6) {
            moves.emplace_back(wire[i + 1], wire[i + 2]);
            i += 2;
        }
    return moves;
}

// What the host sent after byte `failing` of what the simulated controller
// received: the bytes, and how long after the failing byte the first of
// them arrived (milliseconds; -1 when none came).  The simulator's clock
// sees a byte when its thread reads it, which on a loaded machine can be
// later than the host wrote it: `failingTakenLateMs` bounds how late it took
// the failing byte (the host wrote that byte after the answer to the one
// before), so that the host's own pause is at least firstAfterMs +
// failingTakenLateMs whatever the simulator's lateness.  It assumes one
// answer per byte before the failing one, as the command set gives.
struct SentAfterByte {
    std::vector<uint8_t> bytes;
    double firstAfterMs = -1;
    double failingTakenLateMs = 0;
    double HostPauseAtLeastMs() const { return firstAfterMs + failingTakenLateMs; }
};

inline SentAfterByte SentAfter(const ControllerSim& sim, size_t failing) {
    const std::vector<uint8_t> wire = sim.received();
    const auto times = sim.receivedTimes();
    SentAfterByte after;
    if (failing + 1 >= wire.size() || times.size() != wire.size()) return after;
    after.bytes.assign(wire.begin() + static_cast<std::ptrdiff_t>(failing + 1), wire.end());
    after.firstAfterMs = std::chrono::duration<double, std::milli>(times[failing + 1] - times[failing]).count();
    const auto answered = sim.sentTimes();
    if (failing > 0 && answered.size() >= failing)
        after.failingTakenLateMs =
            std::max(0.0, std::chrono::duration<double, std::milli>(times[failing] - answered[failing - 1]).count());
    return after;
}
