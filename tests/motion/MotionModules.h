// What every motion test starts from: the motion modules' state as the
// program starts with it (fold states, the window's place, the robot's
// motor table, the insert option), so that no test sees what another left,
// and a simulated controller that waits for a frame's rest long enough for a
// host paused by a loaded machine.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "ControllerSim.h"
#include "documents/modMain.h"
#include "motion/frmMove32_G6.h"
#include "motion/modUserRobot.h"
#include "protocol/vxIO_Protocol.h"

// The reply time-out of a test that waits for an answer never sent: short
// enough to keep the test quick, long enough for every answer that is sent
// on a loaded machine, and below the quiet floor, so that the line stays
// quiet for the floor after a broken frame.
inline constexpr int kFaultTimeOutMs = 1000;
static_assert(kFaultTimeOutMs < vxIO::kQuietFloorMs);

inline void ResetMotionModules() {
    modMain::GroupCollapsed = {};
    modMain::MotorWindowLeft = 0;
    modMain::MotorWindowTop = 0;
    modMain::InsertG24 = true;
    modUserRobot::MotorTable = {};
}

// The controller drops a frame whose rest has not come for most of the
// link's quiet time: the host, which sends nothing for the whole quiet time
// after a frame broke off, starts its next frame afresh all the same, but a
// pause between two bytes of one frame never breaks it.
inline void WaitLongForAFramesRest(ControllerSim& sim) { sim.setFrameTimeOut(vxIO::kQuietFloorMs * 3 / 4); }

// What went over the line since the simulator's logs were last cleared:
// each received byte in hex with the time since the one before (when over
// 20 ms), and the bytes sent back, so that a failure on a loaded machine
// shows where the line paused.
inline std::string TheLine(const ControllerSim& sim) {
    const auto received = sim.received();
    const auto times = sim.receivedTimes();
    std::string line = "the line: received";
    char text[32];
    for (size_t i = 0; i < received.size(); ++i) {
        std::snprintf(text, sizeof text, " %02X", received[i]);
        line += text;
        if (i > 0 && i < times.size()) {
            const double gapMs = std::chrono::duration<double, std::milli>(times[i] - times[i - 1]).count();
            if (gapMs > 20) {
                std::snprintf(text, sizeof text, "(+%.0fms)", gapMs);
                line += text;
            }
        }
    }
    line += "; sent";
    for (const uint8_t b : sim.sent()) {
        std::snprintf(text, sizeof text, " %02X", b);
        line += text;
    }
    return line;
}

// For a test that failed: the line, as above.
inline void PrintTheLineOnFailure(const ControllerSim& sim) {
    if (::testing::Test::HasFailure()) std::cout << TheLine(sim) << std::endl;
}
