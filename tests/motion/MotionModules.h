// What the motion modules keep from one window to the next (fold states,
// the window's place, the robot's motor table, the insert option), put back
// as the program starts with them, so that no test sees what another left.
#pragma once

#include "documents/modMain.h"
#include "motion/frmMove32_G6.h"
#include "motion/modUserRobot.h"

inline void ResetMotionModules() {
    modMain::GroupCollapsed = {};
    modMain::MotorWindowLeft = 0;
    modMain::MotorWindowTop = 0;
    modMain::InsertG24 = true;
    modUserRobot::MotorTable = {};
}
