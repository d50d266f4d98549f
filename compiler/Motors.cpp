// Motor switching (MOTOR, MOTOROFF, AIMOTOR, AIMOTOROFF) and FASTSERVO.  The
// switching statements take one operand: a motor, or a group word that is
// expanded into one instruction per motor.  Their code depends on the
// controller model (Con_ID).
#include <algorithm>

#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr int16_t kErrSyntax = 23;
constexpr int16_t kErrNoSupport = 999;
constexpr int16_t kErrOverRange = 41;
constexpr int16_t kErrNotOnThisController = 52;

constexpr int16_t kCmdInit = 79;
constexpr int16_t kCmdSetOn = 109;
constexpr int16_t kCmdSetOff = 110;
constexpr int16_t kCmdAllOn = 111;
constexpr int16_t kCmdAllOff = 112;

constexpr uint8_t kOpMemoryWrite = 204;
constexpr uint8_t kOpSmartServoSet = 182;

struct SwitchStatement {
    uint8_t opcode;
    int16_t allMotorsWord;  // ALLON or ALLOFF
    int16_t lastMotor;      // highest motor a group word reaches
    bool smart;             // AIMOTOR / AIMOTOROFF
    bool smartSettings;     // accepts SETON, SETOFF and INIT (AIMOTOR)
};

constexpr SwitchStatement kMotor{218, kCmdAllOn, 31, false, false};
constexpr SwitchStatement kMotorOff{219, kCmdAllOff, 31, false, false};
constexpr SwitchStatement kAiMotor{183, kCmdAllOn, 30, true, true};
constexpr SwitchStatement kAiMotorOff{184, kCmdAllOff, 30, true, false};

// Motor number k in the general constant encoding.
void EmitMotorConstant(QUARVELv2& c, int32_t k) {
    if (k == 0 || k == 1) {
        c.EmitByte(static_cast<uint8_t>(16 + k));
    } else {
        c.EmitByte(18);
        c.EmitByte(static_cast<uint8_t>(k));
    }
}

// A number or constant of 65536 and above has no operand encoding; writing
// the instruction without its operand would make the controller read the
// next instruction's opcode as the operand, so it is rejected instead.
bool HasNoEncoding(const QUARVELv2& c, const Token& tok) {
    if (tok.kind == TK_NUMBER) return tok.code == 5;
    if (tok.kind == TK_WORD) {
        const int16_t n = c.FindVariable(tok.text);
        return n > 0 && n < static_cast<int32_t>(c.vars_.size()) && c.vars_[n].type == 9;
    }
    return false;
}

void CompileSwitch(QUARVELv2& c, const SwitchStatement& st, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    if (end != first + 1) {
        err = kErrSyntax;
        return;
    }
    const Token& tok = c.tokens_[first + 1];

    if (tok.kind != TK_COMMAND) {
        if (st.smart) {
            if (c.Con_ID == 1) {
                err = kErrNotOnThisController;
                return;
            }
        } else if (c.Con_ID == 1) {
            c.EmitByte(st.opcode);
            c.EmitValueOperand(tok, 0, 6, 0, err);
            return;
        }
        if (HasNoEncoding(c, tok)) {
            err = kErrOverRange;
            return;
        }
        c.EmitByte(st.opcode);
        c.EmitOperand(tok, 0, err);
        return;
    }

    const int16_t command = tok.code;
    if (c.CommandEnabled(command) == 0) {
        err = kErrNoSupport;
        return;
    }
    int16_t firstMotor = 0, count = 0;
    if (command == st.allMotorsWord) {
        firstMotor = 0;
        count = 32;
    } else if (!QUARVELv2::ServoGroup(command, firstMotor, count)) {
        if (st.smartSettings) {
            uint8_t setting = 0;
            if (command == kCmdSetOn) setting = 3;
            else if (command == kCmdSetOff) setting = 2;
            else if (command == kCmdInit) setting = 4;
            if (setting != 0) {
                c.EmitByte(kOpSmartServoSet);
                c.EmitByte(setting);
                return;
            }
        }
        err = kErrSyntax;
        return;
    }
    const int32_t lastMotor = std::min<int32_t>(firstMotor + count - 1, st.lastMotor);
    for (int32_t k = firstMotor; k <= lastMotor; ++k) {
        c.EmitByte(st.opcode);
        EmitMotorConstant(c, k);
    }
}

}  // namespace

void QUARVELv2::CompileMotor(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kMotor, first, last, err);
}

void QUARVELv2::CompileMotorOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kMotorOff, first, last, err);
}

void QUARVELv2::CompileAiMotor(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kAiMotor, first, last, err);
}

void QUARVELv2::CompileAiMotorOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kAiMotorOff, first, last, err);
}

// FASTSERVO writes servo positions straight into controller memory.  The
// first controller model takes one motor (0..5) and a value; models 2 and 3
// take a group word and a list of positions, one memory write of the byte at
// 0x320 + motor per position given; other models have no such statement and
// compile it to nothing.
void QUARVELv2::CompileFastServo(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);

    if (Con_ID == 1) {
        if (end != first + 3) {
            err = kErrSyntax;
            return;
        }
        const Token& motor = tokens_[first + 1];
        const Token& value = tokens_[first + 3];
        auto isOperand = [](const Token& t) { return t.kind == TK_NUMBER || t.kind == TK_WORD; };
        if (!isOperand(motor) || tokens_[first + 2].kind != TK_COMMA || !isOperand(value)) {
            err = kErrSyntax;
            return;
        }
        EmitByte(kOpMemoryWrite);
        EmitTableOperand(76, motor, 0, 5, err);
        if (err != 0) return;
        if (HasNoEncoding(*this, value)) {
            err = kErrOverRange;
            return;
        }
        EmitOperand(value, 1, err);
        return;
    }

    if (Con_ID != 2 && Con_ID != 3) return;

    bool hasGroup = false;
    int16_t firstMotor = 0, count = 0;
    int32_t listStart = first + 1;
    if (!ReadStatementGroup(first, end, hasGroup, firstMotor, count, listStart, err)) return;
    if (!hasGroup) {
        // Without a group word there are no motors: any value is one too many.
        firstMotor = 0;
        count = 0;
        listStart = first + 1;
    }

    // One write of the value to the controller's byte at 0x320 + motor.
    CompileMotorByteWrites(listStart, end, firstMotor, count, 10, 190, 32, 0, err);
}

}  // namespace qvv2
