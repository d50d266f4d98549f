// What every motion test starts from: the motion modules' state as the
// program starts with it (fold states, the window's place, the robot's
// motor table, the insert option), so that no test sees what another left,
// and a simulated controller that waits for a frame's rest long enough for a
// host paused by a loaded machine.
#pragma once

#include "ControllerSim.h"
#include "documents/modMain.h"
#include "motion/frmMove32_G6.h"
#include "motion/modUserRobot.h"
#include "protocol/vxIO_Protocol.h"

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
