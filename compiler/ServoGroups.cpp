// Servo group statements: MOVE, ZERO, POS (group form), INIT, the motor
// read-back and mode settings, the gyro, acceleration and tilt parameters,
// MOVE24, DIR and OFFSET.  Each gives one value per motor for a contiguous run
// of motors named by a group word (G6A .. G32) or implied by the statement.
#include "Compiler.h"

#include <algorithm>

namespace qvv2 {

namespace {

// The run of motors a statement addresses when no group word follows it.
enum class NoGroup {
    Alone6,     // the statement's short opcode alone, then 6 values (MOVE, ZERO)
    All32,      // opcode, 0, 32, then 32 values
    Rejected,   // a group word is required (POS, INIT)
};

struct GroupStatement {
    uint8_t opcode;         // opcode of the form with a group word
    NoGroup noGroup;
    uint8_t shortOpcode;    // opcode of the form without one (NoGroup::Alone6)
    int32_t min, max;       // range of the values
};

constexpr GroupStatement kMove{OP_MOVE_GROUP, NoGroup::Alone6, OP_MOVE, 10, 190};
constexpr GroupStatement kZero{OP_ZERO_GROUP, NoGroup::Alone6, OP_ZERO, 80, 120};
constexpr GroupStatement kPos{OP_POS_TABLE, NoGroup::Rejected, 0, 10, 190};
constexpr GroupStatement kInit{OP_INIT_GROUP, NoGroup::Rejected, 0, 10, 190};
constexpr GroupStatement kGetMotorSet{OP_GETMOTORSET, NoGroup::All32, 0, 0, 1};
constexpr GroupStatement kMotorMode{OP_MOTORMODE, NoGroup::All32, 0, 0, 3};
constexpr GroupStatement kGyroSet{OP_SENSOR1_SET, NoGroup::All32, 0, 0, 255};
constexpr GroupStatement kGyroDir{OP_SENSOR1_DIR, NoGroup::All32, 0, 0, 1};
constexpr GroupStatement kGyroSense{OP_SENSOR1_SENSE, NoGroup::All32, 0, 0, 255};

// The sensor statements read an axis number first; it selects the opcode.
struct AxisStatement {
    uint8_t opcodes[3];
    int axes;               // 3 for the acceleration sensor, 2 for the tilt sensor
    int32_t min, max;
};

constexpr AxisStatement kAccelSet{{OP_SENSOR1_SET, OP_SENSOR2_SET, OP_SENSOR3_SET}, 3, 0, 255};
constexpr AxisStatement kAccelDir{{OP_SENSOR1_DIR, OP_SENSOR2_DIR, OP_SENSOR3_DIR}, 3, 0, 1};
constexpr AxisStatement kAccelSense{{OP_SENSOR1_SENSE, OP_SENSOR2_SENSE, OP_SENSOR3_SENSE}, 3, 0, 255};
constexpr AxisStatement kTiltSet{{OP_TILT1_SET, OP_TILT2_SET, 0}, 2, 0, 255};
constexpr AxisStatement kTiltDir{{OP_TILT1_DIR, OP_TILT2_DIR, 0}, 2, 0, 1};
constexpr AxisStatement kTiltSense{{OP_TILT1_SENSE, OP_TILT2_SENSE, 0}, 2, 0, 255};

void CompileGroupStatement(Compiler& c, const GroupStatement& st, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    bool hasGroup = false;
    int16_t firstMotor = 0, count = 0;
    int32_t listStart = first + 1;
    if (!c.ReadStatementGroup(first, end, hasGroup, firstMotor, count, listStart, err)) return;
    if (hasGroup) {
        c.EmitByte(st.opcode);
        c.EmitByte(static_cast<uint8_t>(firstMotor));
        c.EmitByte(static_cast<uint8_t>(count));
    } else {
        switch (st.noGroup) {
            case NoGroup::Alone6:
                c.EmitByte(st.shortOpcode);
                firstMotor = 0;
                count = 6;
                break;
            case NoGroup::All32:
                c.EmitByte(st.opcode);
                c.EmitByte(0);
                c.EmitByte(32);
                firstMotor = 0;
                count = 32;
                break;
            case NoGroup::Rejected:
                err = ERR_SYNTAX;
                return;
        }
        listStart = first + 1;
    }
    c.CompileServoValues(listStart, end, firstMotor, count, st.min, st.max, err);
}

void CompileAxisStatement(Compiler& c, const AxisStatement& st, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    if (first + 1 > end) {
        err = ERR_SYNTAX;
        return;
    }
    // Every form starts with the axis number; anything else in its place is
    // a syntax error.
    const Token& axis = c.tokens_[first + 1];
    if (axis.kind != TK_NUMBER) {
        err = ERR_SYNTAX;
        return;
    }
    const int32_t n = Compiler::NumberValue(axis);
    if (n < 1 || n > st.axes) {
        err = ERR_NO_SUPPORT;
        return;
    }
    c.EmitByte(st.opcodes[n - 1]);

    if (first + 2 > end || c.tokens_[first + 2].kind != TK_COMMA || first + 3 > end) {
        err = ERR_SYNTAX;
        return;
    }
    bool hasGroup = false;
    int16_t firstMotor = 0, count = 0;
    int32_t listStart = first + 3;
    c.ReadServoGroup(first + 3, end, hasGroup, firstMotor, count, listStart, err);
    if (err != 0) return;
    if (hasGroup) {
        c.EmitByte(static_cast<uint8_t>(firstMotor));
        c.EmitByte(static_cast<uint8_t>(count));
    } else {
        c.EmitByte(0);
        c.EmitByte(32);
        firstMotor = 0;
        count = 32;
        listStart = first + 3;
    }
    c.CompileServoValues(listStart, end, firstMotor, count, st.min, st.max, err);
}

}  // namespace

bool Compiler::ServoGroup(int16_t command, int16_t& firstMotor, int16_t& count) {
    const controller::ServoGroup* group = controller::FindServoGroup(command);
    if (!group) return false;
    firstMotor = group->firstMotor;
    count = group->motors;
    return true;
}

int32_t Compiler::StatementEnd(int32_t first, int32_t last) const {
    if (first < 0) return first;
    int32_t end = std::min(last, tokenCount_);
    end = std::min(end, static_cast<int32_t>(tokens_.size()) - 1);
    return end;
}

void Compiler::ReadServoGroup(int32_t g, int32_t last, bool& hasGroup, int16_t& firstMotor, int16_t& count,
                              int32_t& listStart, int16_t& err) {
    err = 0;
    hasGroup = false;
    const int32_t end = StatementEnd(0, last);
    if (g < 1 || g > end || tokens_[g].kind != TK_COMMAND) return;
    const int16_t command = tokens_[g].code;
    if (CommandEnabled(command) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    if (!ServoGroup(command, firstMotor, count)) {
        err = ERR_SYNTAX;
        return;
    }
    if (g + 1 > end || tokens_[g + 1].kind != TK_COMMA || g + 2 > end) {
        err = ERR_SYNTAX;
        return;
    }
    hasGroup = true;
    listStart = g + 2;
}

bool Compiler::ReadStatementGroup(int32_t first, int32_t end, bool& hasGroup, int16_t& firstMotor, int16_t& count,
                                  int32_t& listStart, int16_t& err) {
    err = 0;
    hasGroup = false;
    listStart = first + 1;
    if (first + 1 > end) {
        err = ERR_SYNTAX;
        return false;
    }
    ReadServoGroup(first + 1, end, hasGroup, firstMotor, count, listStart, err);
    return err == 0;
}

void Compiler::CompileServoValues(int32_t start, int32_t last, int16_t firstMotor, int16_t count, int32_t min,
                                  int32_t max, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(0, last);
    int32_t slot = 1;
    bool afterValue = false;
    for (int32_t t = std::max<int32_t>(start, 1); t <= end; ++t) {
        const Token& tok = tokens_[t];
        if (tok.kind == TK_COMMA) {
            if (!afterValue) {
                EmitByte(0);  // a slot left empty
                ++slot;
            }
            afterValue = false;
        } else if (tok.kind == TK_NUMBER || tok.kind == TK_WORD) {
            if (slot <= count && !ModelHasMotor(firstMotor + slot - 1)) {
                err = ERR_OVER_RANGE;  // a value for a motor the model does not have
                return;
            }
            EmitValueOperand(tok, min, max, 0, err);
            if (err != 0) return;
            afterValue = true;
            ++slot;
        } else {
            err = ERR_SYNTAX;
            return;
        }
    }
    if (slot > count + 1) {
        err = ERR_SYNTAX;
        return;
    }
    for (; slot <= count; ++slot) EmitByte(0);
}

void Compiler::CompileMove(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kMove, first, last, err);
}

void Compiler::CompileZero(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kZero, first, last, err);
}

void Compiler::CompilePos(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kPos, first, last, err);
}

void Compiler::CompileInit(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kInit, first, last, err);
}

void Compiler::CompileGetMotorSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGetMotorSet, first, last, err);
}

void Compiler::CompileMotorMode(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kMotorMode, first, last, err);
}

void Compiler::CompileGyroSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGyroSet, first, last, err);
}

void Compiler::CompileGyroDir(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGyroDir, first, last, err);
}

void Compiler::CompileGyroSense(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGyroSense, first, last, err);
}

void Compiler::CompileAccelSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kAccelSet, first, last, err);
}

void Compiler::CompileAccelDir(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kAccelDir, first, last, err);
}

void Compiler::CompileAccelSense(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kAccelSense, first, last, err);
}

void Compiler::CompileTiltSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kTiltSet, first, last, err);
}

void Compiler::CompileTiltDir(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kTiltDir, first, last, err);
}

void Compiler::CompileTiltSense(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kTiltSense, first, last, err);
}

// MOVE24: motors 0..23 without a group word; a command word anywhere in the
// list (a group word included) is a syntax error of the value list.
void Compiler::CompileMove24(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);
    if (first + 1 > end) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_MOVE_GROUP);
    EmitByte(0);  // motors 0..23
    EmitByte(24);
    CompileServoValues(first + 1, end, 0, 24, 10, 190, err);
}

// DIR: one direction bit per motor, slot k in bit k - 1 of a single byte.  A
// direction left empty or not given is 1.  The byte holds eight slots; the
// values of further slots (G12 .. G32) are checked but have no bit.
void Compiler::CompileDir(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);
    bool hasGroup = false;
    int16_t firstMotor = 0, count = 0;
    int32_t listStart = first + 1;
    if (!ReadStatementGroup(first, end, hasGroup, firstMotor, count, listStart, err)) return;
    if (hasGroup) {
        EmitByte(OP_DIR_GROUP);
        EmitByte(static_cast<uint8_t>(firstMotor));
        EmitByte(static_cast<uint8_t>(count));
    } else {
        EmitByte(OP_DIR);
        firstMotor = 0;
        count = 6;
        listStart = first + 1;
    }

    uint8_t directions = 0;
    auto setBit = [&directions](int32_t bit) {
        if (bit >= 0 && bit <= 7) directions = static_cast<uint8_t>(directions | (1u << bit));
    };
    int32_t slot = 1;
    bool afterValue = false;
    for (int32_t t = listStart; t <= end && slot <= count + 1; ++t) {
        const Token& tok = tokens_[t];
        if (tok.kind == TK_COMMA) {
            if (!afterValue) {
                setBit(slot - 1);
                ++slot;
            }
            afterValue = false;
        } else if (tok.kind == TK_NUMBER || tok.kind == TK_WORD) {
            if (slot <= count && !ModelHasMotor(firstMotor + slot - 1)) {
                err = ERR_OVER_RANGE;
                return;
            }
            SetBitFromOperand(directions, slot - 1, tok, err);
            if (err != 0) return;
            afterValue = true;
            ++slot;
        } else {
            err = ERR_SYNTAX;
            return;
        }
    }
    if (slot > count + 1) {
        err = ERR_SYNTAX;
        return;
    }
    for (; slot <= count; ++slot) setBit(slot - 1);
    EmitByte(directions);
}

// OFFSET: each value v (50..150) becomes a write of v - 100, as a signed
// byte, to the motor's zero byte.  Motors left out get no write.
void Compiler::CompileOffset(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);
    bool hasGroup = false;
    int16_t firstMotor = 0, count = 0;
    int32_t listStart = first + 1;
    if (!ReadStatementGroup(first, end, hasGroup, firstMotor, count, listStart, err)) return;
    if (!hasGroup) {
        firstMotor = 0;
        count = 24;
        listStart = first + 1;
    }

    CompileMotorByteWrites(listStart, end, firstMotor, count, 50, 150, controller::kServoZeroMemory, -100, err);
}

void Compiler::CompileMotorByteWrites(int32_t listStart, int32_t end, int16_t firstMotor, int16_t count, int32_t min,
                                      int32_t max, int32_t memory, int32_t offset, int16_t& err) {
    err = 0;
    int32_t motor = firstMotor;
    int32_t slot = 1;
    bool afterValue = false;
    for (int32_t t = listStart; t <= end; ++t) {
        const Token& tok = tokens_[t];
        if (tok.kind == TK_COMMA) {
            if (!afterValue) {
                ++motor;
                ++slot;
            }
            afterValue = false;
            continue;
        }
        if (slot <= count && !ModelHasMotor(motor)) {
            err = ERR_OVER_RANGE;  // a value for a motor the model does not have
            return;
        }
        const int32_t value = tok.kind == TK_NUMBER ? NumberValue(tok) : 0;
        if (tok.kind != TK_NUMBER || tok.code != 2 || value < min || value > max) {
            err = ERR_SYNTAX;
            return;
        }
        // Each table lies within one 256-byte page: its first address gives
        // the high byte.
        EmitByte(OP_POKE);
        EmitByte(OP_CONST_WORD);
        EmitByte(static_cast<uint8_t>((memory + motor) & 0xFF));
        EmitByte(static_cast<uint8_t>(memory >> 8));
        EmitByte(OP_CONST_BYTE);
        EmitByte(static_cast<uint8_t>(value + offset));
        ++motor;
        ++slot;
        afterValue = true;
    }
    if (slot > count + 1) err = ERR_SYNTAX;
}

}  // namespace qvv2
