// Servo group statements: MOVE, ZERO, POS (group form), INIT, the motor
// read-back and mode settings, the gyro, acceleration and tilt parameters,
// MOVE24, DIR and OFFSET.  Each gives one value per motor for a contiguous run
// of motors named by a group word (G6A .. G32) or implied by the statement.
#include <algorithm>

#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr int16_t kErrSyntax = 23;
constexpr int16_t kErrNoSupport = 999;

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

constexpr GroupStatement kMove{176, NoGroup::Alone6, 220, 10, 190};
constexpr GroupStatement kZero{179, NoGroup::Alone6, 217, 80, 120};
constexpr GroupStatement kPos{177, NoGroup::Rejected, 0, 10, 190};
constexpr GroupStatement kInit{181, NoGroup::Rejected, 0, 10, 190};
constexpr GroupStatement kGetMotorSet{185, NoGroup::All32, 0, 0, 1};
constexpr GroupStatement kMotorMode{148, NoGroup::All32, 0, 0, 3};
constexpr GroupStatement kGyroSet{160, NoGroup::All32, 0, 0, 255};
constexpr GroupStatement kGyroDir{161, NoGroup::All32, 0, 0, 1};
constexpr GroupStatement kGyroSense{162, NoGroup::All32, 0, 0, 255};

// The sensor statements read an axis number first; it selects the opcode.
struct AxisStatement {
    uint8_t opcodes[3];
    int axes;               // 3 for the acceleration sensor, 2 for the tilt sensor
    int32_t min, max;
};

constexpr AxisStatement kAccelSet{{160, 163, 166}, 3, 0, 255};
constexpr AxisStatement kAccelDir{{161, 164, 167}, 3, 0, 1};
constexpr AxisStatement kAccelSense{{162, 165, 168}, 3, 0, 255};
constexpr AxisStatement kTiltSet{{169, 172, 0}, 2, 0, 255};
constexpr AxisStatement kTiltDir{{170, 173, 0}, 2, 0, 1};
constexpr AxisStatement kTiltSense{{171, 174, 0}, 2, 0, 255};

void CompileGroupStatement(QUARVELv2& c, const GroupStatement& st, int32_t first, int32_t last, int16_t& err) {
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
                count = 6;
                break;
            case NoGroup::All32:
                c.EmitByte(st.opcode);
                c.EmitByte(0);
                c.EmitByte(32);
                count = 32;
                break;
            case NoGroup::Rejected:
                err = kErrSyntax;
                return;
        }
        listStart = first + 1;
    }
    c.CompileServoValues(listStart, end, count, st.min, st.max, err);
}

void CompileAxisStatement(QUARVELv2& c, const AxisStatement& st, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    if (first + 1 > end) {
        err = kErrSyntax;
        return;
    }
    // Every form starts with the axis number; anything else in its place is
    // a syntax error.
    const Token& axis = c.tokens_[first + 1];
    if (axis.kind != TK_NUMBER) {
        err = kErrSyntax;
        return;
    }
    const int32_t n = QUARVELv2::NumberValue(axis);
    if (n < 1 || n > st.axes) {
        err = kErrNoSupport;
        return;
    }
    c.EmitByte(st.opcodes[n - 1]);

    if (first + 2 > end || c.tokens_[first + 2].kind != TK_COMMA || first + 3 > end) {
        err = kErrSyntax;
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
        count = 32;
        listStart = first + 3;
    }
    c.CompileServoValues(listStart, end, count, st.min, st.max, err);
}

}  // namespace

bool QUARVELv2::ServoGroup(int16_t command, int16_t& firstMotor, int16_t& count) {
    struct Group {
        int16_t command, first, count;
    };
    static constexpr Group kGroups[] = {
        {92, 0, 6},   {93, 6, 6},  {94, 12, 6}, {95, 18, 6}, {124, 24, 6},  // G6A .. G6E
        {96, 0, 8},   {97, 8, 8},  {98, 16, 8}, {99, 24, 8},                // G8A .. G8D
        {106, 0, 12}, {107, 0, 16}, {119, 0, 24}, {123, 0, 32},             // G12 G16 G24 G32
    };
    for (const Group& g : kGroups) {
        if (g.command == command) {
            firstMotor = g.first;
            count = g.count;
            return true;
        }
    }
    return false;
}

int32_t QUARVELv2::StatementEnd(int32_t first, int32_t last) const {
    if (first < 0) return first;
    int32_t end = std::min(last, tokenCount_);
    end = std::min(end, static_cast<int32_t>(tokens_.size()) - 1);
    return end;
}

void QUARVELv2::ReadServoGroup(int32_t g, int32_t last, bool& hasGroup, int16_t& firstMotor, int16_t& count,
                               int32_t& listStart, int16_t& err) {
    err = 0;
    hasGroup = false;
    const int32_t end = StatementEnd(0, last);
    if (g < 1 || g > end || tokens_[g].kind != TK_COMMAND) return;
    const int16_t command = tokens_[g].code;
    if (CommandEnabled(command) == 0) {
        err = kErrNoSupport;
        return;
    }
    if (!ServoGroup(command, firstMotor, count)) {
        err = kErrSyntax;
        return;
    }
    if (g + 1 > end || tokens_[g + 1].kind != TK_COMMA || g + 2 > end) {
        err = kErrSyntax;
        return;
    }
    hasGroup = true;
    listStart = g + 2;
}

bool QUARVELv2::ReadStatementGroup(int32_t first, int32_t end, bool& hasGroup, int16_t& firstMotor,
                                   int16_t& count, int32_t& listStart, int16_t& err) {
    err = 0;
    hasGroup = false;
    listStart = first + 1;
    if (first + 1 > end) {
        err = kErrSyntax;
        return false;
    }
    ReadServoGroup(first + 1, end, hasGroup, firstMotor, count, listStart, err);
    return err == 0;
}

void QUARVELv2::CompileServoValues(int32_t start, int32_t last, int16_t count, int32_t min, int32_t max,
                                   int16_t& err) {
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
            EmitValueOperand(tok, min, max, 0, err);
            if (err != 0) return;
            afterValue = true;
            ++slot;
        } else {
            err = kErrSyntax;
            return;
        }
    }
    if (slot > count + 1) {
        err = kErrSyntax;
        return;
    }
    for (; slot <= count; ++slot) EmitByte(0);
}

void QUARVELv2::CompileMove(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kMove, first, last, err);
}

void QUARVELv2::CompileZero(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kZero, first, last, err);
}

void QUARVELv2::CompilePos(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kPos, first, last, err);
}

void QUARVELv2::CompileInit(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kInit, first, last, err);
}

void QUARVELv2::CompileGetMotorSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGetMotorSet, first, last, err);
}

void QUARVELv2::CompileMotorMode(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kMotorMode, first, last, err);
}

void QUARVELv2::CompileGyroSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGyroSet, first, last, err);
}

void QUARVELv2::CompileGyroDir(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGyroDir, first, last, err);
}

void QUARVELv2::CompileGyroSense(int32_t& first, int32_t& last, int16_t& err) {
    CompileGroupStatement(*this, kGyroSense, first, last, err);
}

void QUARVELv2::CompileAccelSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kAccelSet, first, last, err);
}

void QUARVELv2::CompileAccelDir(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kAccelDir, first, last, err);
}

void QUARVELv2::CompileAccelSense(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kAccelSense, first, last, err);
}

void QUARVELv2::CompileTiltSet(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kTiltSet, first, last, err);
}

void QUARVELv2::CompileTiltDir(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kTiltDir, first, last, err);
}

void QUARVELv2::CompileTiltSense(int32_t& first, int32_t& last, int16_t& err) {
    CompileAxisStatement(*this, kTiltSense, first, last, err);
}

// MOVE24: motors 0..23 without a group word; a command word anywhere in the
// list (a group word included) is a syntax error of the value list.
void QUARVELv2::CompileMove24(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);
    if (first + 1 > end) {
        err = kErrSyntax;
        return;
    }
    EmitByte(176);
    EmitByte(0);
    EmitByte(24);
    CompileServoValues(first + 1, end, 24, 10, 190, err);
}

// DIR: one direction bit per motor, slot k in bit k - 1 of a single byte.  A
// direction left empty or not given is 1.  The byte holds eight slots; the
// values of further slots (G12 .. G32) are checked but have no bit.
void QUARVELv2::CompileDir(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = StatementEnd(first, last);
    bool hasGroup = false;
    int16_t firstMotor = 0, count = 0;
    int32_t listStart = first + 1;
    if (!ReadStatementGroup(first, end, hasGroup, firstMotor, count, listStart, err)) return;
    if (hasGroup) {
        EmitByte(180);
        EmitByte(static_cast<uint8_t>(firstMotor));
        EmitByte(static_cast<uint8_t>(count));
    } else {
        EmitByte(236);
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
            SetBitFromOperand(directions, slot - 1, tok, err);
            if (err != 0) return;
            afterValue = true;
            ++slot;
        } else {
            err = kErrSyntax;
            return;
        }
    }
    if (slot > count + 1) {
        err = kErrSyntax;
        return;
    }
    for (; slot <= count; ++slot) setBit(slot - 1);
    EmitByte(directions);
}

// OFFSET: each value v (50..150) becomes a write of v - 100, as a signed
// byte, to the controller's byte at 0x340 + motor.  Motors left out get no
// write.
void QUARVELv2::CompileOffset(int32_t& first, int32_t& last, int16_t& err) {
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

    CompileMotorByteWrites(listStart, end, firstMotor, count, 50, 150, 64, -100, err);
}

void QUARVELv2::CompileMotorByteWrites(int32_t listStart, int32_t end, int16_t firstMotor, int16_t count,
                                       int32_t min, int32_t max, uint8_t addressLow, int32_t offset,
                                       int16_t& err) {
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
        const int32_t value = tok.kind == TK_NUMBER ? NumberValue(tok) : 0;
        if (tok.kind != TK_NUMBER || tok.code != 2 || value < min || value > max) {
            err = kErrSyntax;
            return;
        }
        EmitByte(204);                                       // memory write
        EmitByte(19);                                        // 16-bit address 0x300 + addressLow + motor
        EmitByte(static_cast<uint8_t>(addressLow + motor));
        EmitByte(3);
        EmitByte(18);                                        // 8-bit value
        EmitByte(static_cast<uint8_t>(value + offset));
        ++motor;
        ++slot;
        afterValue = true;
    }
    if (slot > count + 1) err = kErrSyntax;
}

}  // namespace qvv2
