// Motor limits: "'$LIMIT motor, min, max" comment lines (Korean "'$제한 ")
// of the active document restrict the position range of a servo in the
// real-time motor windows.  The compiler never sees them: for it the line is
// a comment.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

#include "compiler/ControllerMap.h"

namespace modMain {

// The allowed position range of one motor, in servo position units.
struct MotorLimit {
    uint8_t Max = 190;
    uint8_t Min = 10;
};

// Motors 0 to kServoSlots - 1; every call of ParseLimitDirectives rebuilds it from the
// defaults (10 to 190) and the active document's directives.
inline std::array<MotorLimit, qvv2::controller::kServoSlots> MotorLimits{};

// The result of scanning a text's lines: the table, and the 0-based line of
// the first bad directive (-1 when there is none).  The scan stops at the
// first bad directive; the entries set before it keep their values.
struct LimitScan {
    std::array<MotorLimit, qvv2::controller::kServoSlots> limits{};
    int errorLine = -1;
};
LimitScan ScanLimitDirectives(int lineCount, const std::function<QString(int)>& lineText);

// Reads the directives of the active document into MotorLimits.  On a bad
// directive the editor highlights its line, puts the caret at its start and
// a message box shows how the directive is written; the table then holds
// what was read before that line.  Without an active document the table
// holds the defaults.
void ParseLimitDirectives();

}  // namespace modMain
