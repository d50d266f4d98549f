// Motor switching (MOTOR, MOTOROFF, AIMOTOR, AIMOTOROFF) and FASTSERVO.  The
// switching statements take one operand: a motor, or a group word that is
// expanded into one instruction per motor.  Their code depends on the
// controller model (Con_ID), and they reach the model's motors alone.
#include "Compiler.h"

#include <algorithm>

namespace qvv2 {

namespace {

struct SwitchStatement {
    uint8_t opcode;
    int16_t allMotorsWord;  // ALLON or ALLOFF
    int16_t lastMotor;      // highest motor a group word reaches
    bool smart;             // AIMOTOR / AIMOTOROFF
    bool smartSettings;     // accepts SETON, SETOFF and INIT (AIMOTOR)
};

constexpr SwitchStatement kMotor{OP_MOTOR, CMD_ALLON, 31, false, false};
constexpr SwitchStatement kMotorOff{OP_MOTOROFF, CMD_ALLOFF, 31, false, false};
constexpr SwitchStatement kAiMotor{OP_AIMOTOR, CMD_ALLON, 30, true, true};
constexpr SwitchStatement kAiMotorOff{OP_AIMOTOROFF, CMD_ALLOFF, 30, true, false};

// Motor number k in the general constant encoding.
void EmitMotorConstant(Compiler& c, int32_t k) {
    if (k == 0 || k == 1) {
        c.EmitByte(static_cast<uint8_t>(OP_CONST_SMALL + k));
    } else {
        c.EmitByte(OP_CONST_BYTE);
        c.EmitByte(static_cast<uint8_t>(k));
    }
}

// A number or constant of 65536 and above has no operand encoding; writing
// the instruction without its operand would make the controller read the
// next instruction's opcode as the operand, so it is rejected instead.
bool HasNoEncoding(const Compiler& c, const Token& tok) {
    if (tok.kind == TK_NUMBER) return tok.code == 5;
    if (tok.kind == TK_WORD) {
        const int16_t n = c.FindVariable(tok.text);
        return n > 0 && n < static_cast<int32_t>(c.vars_.size()) && c.vars_[n].type == 9;
    }
    return false;
}

void CompileSwitch(Compiler& c, const SwitchStatement& st, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    if (end != first + 1) {
        err = ERR_SYNTAX;
        return;
    }
    const Token& tok = c.tokens_[first + 1];

    if (tok.kind != TK_COMMAND) {
        const controller::ModelFacts& model = c.Model();
        if (st.smart) {
            if (!model.smartMotorOperand) {
                err = ERR_NOT_ON_THIS_CONTROLLER;
                return;
            }
        } else if (model.rawMotorLimit != controller::kNone) {
            c.EmitByte(st.opcode);
            c.EmitValueOperand(tok, 0, std::min(model.rawMotorLimit, controller::HighestMotor(model)), 0, err);
            return;
        }
        if (HasNoEncoding(c, tok) || c.MotorAboveTheModel(tok)) {
            err = ERR_OVER_RANGE;
            return;
        }
        c.EmitByte(st.opcode);
        c.EmitOperand(tok, 0, err);
        return;
    }

    const int16_t command = tok.code;
    if (c.CommandEnabled(command) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    int16_t firstMotor = 0, count = 0;
    if (command == st.allMotorsWord) {
        firstMotor = 0;
        count = controller::kServoSlots;
    } else if (!Compiler::ServoGroup(command, firstMotor, count)) {
        if (st.smartSettings) {
            uint8_t setting = 0;
            if (command == CMD_SETON) setting = 3;
            else if (command == CMD_SETOFF) setting = 2;
            else if (command == CMD_INIT) setting = 4;
            if (setting != 0) {
                c.EmitByte(OP_SETTING);
                c.EmitByte(setting);
                return;
            }
        }
        err = ERR_SYNTAX;
        return;
    }
    // The group's motors as far as the statement and the model reach; a
    // group wholly beyond the model's servos names no motor it has.
    const int32_t lastMotor = std::min<int32_t>({firstMotor + count - 1, st.lastMotor, c.Model().servos - 1});
    if (lastMotor < firstMotor) {
        err = ERR_OVER_RANGE;
        return;
    }
    for (int32_t k = firstMotor; k <= lastMotor; ++k) {
        c.EmitByte(st.opcode);
        EmitMotorConstant(c, k);
    }
}

}  // namespace

bool Compiler::MotorAboveTheModel(const Token& tok) const {
    const int32_t highest = controller::HighestMotor(Model());
    int32_t motor = 0;
    return highest != controller::kNoLimit && ConstantValue(tok, motor) && motor > highest;
}

void Compiler::CompileMotor(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kMotor, first, last, err);
}

void Compiler::CompileMotorOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kMotorOff, first, last, err);
}

void Compiler::CompileAiMotor(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kAiMotor, first, last, err);
}

void Compiler::CompileAiMotorOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileSwitch(*this, kAiMotorOff, first, last, err);
}

// FASTSERVO writes servo positions straight into controller memory.  A
// model with fastServoSingle takes one motor (0..5) and a value; the models with
// servo targets take a group word and a list of positions, one memory write
// of the motor's target per position given; other models have no such
// statement and compile it to nothing.
void Compiler::CompileFastServo(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);

    const controller::ModelFacts& model = Model();
    if (model.fastServoSingle) {
        if (end != first + 3) {
            err = ERR_SYNTAX;
            return;
        }
        const Token& motor = tokens_[first + 1];
        const Token& value = tokens_[first + 3];
        auto isOperand = [](const Token& t) { return t.kind == TK_NUMBER || t.kind == TK_WORD; };
        if (!isOperand(motor) || tokens_[first + 2].kind != TK_COMMA || !isOperand(value)) {
            err = ERR_SYNTAX;
            return;
        }
        EmitByte(OP_POKE);
        EmitTableOperand(CMD_FASTSERVO, motor, 0, 5, err);
        if (err != 0) return;
        if (HasNoEncoding(*this, value)) {
            err = ERR_OVER_RANGE;
            return;
        }
        EmitOperand(value, 1, err);
        return;
    }

    if (!model.servoTargets) return;

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

    // One write of the value to the motor's target.
    CompileMotorByteWrites(listStart, end, firstMotor, count, 10, 190, controller::kServoTargetMemory, 0, err);
}

}  // namespace qvv2
