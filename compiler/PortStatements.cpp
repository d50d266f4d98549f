// Statements that compile to an opcode and a fixed row of operands: port
// output, memory writes, display and timing, controller settings and raw data;
// also TOGGLE, OPEN, CLOSE, VEXAOUT and the program remark.
#include "Compiler.h"

#include <cstring>

#include "CompileHost.h"

namespace qvv2 {

namespace {

bool IsOperandToken(const Token& t) { return t.kind == TK_NUMBER || t.kind == TK_WORD; }

}  // namespace

int32_t Compiler::IoNumberValue(const Token& tok) { return tok.kind == TK_NUMBER ? NumberValue(tok) : 0; }

bool Compiler::IoShapeMatches(int32_t k, const char* shape) const {
    const bool separated = std::strchr(shape, ',') != nullptr;
    for (int32_t j = 0; shape[j] != 0; ++j) {
        const Token& t = TokenAt(k + 1 + j);
        switch (shape[j]) {
            case ',':
                if (t.kind != TK_COMMA) return false;
                break;
            case 'o':
                if (separated && !IsOperandToken(t)) return false;
                break;
            case 'n':
                if (t.kind != TK_WORD) return false;
                break;
            case '#':
                if (t.kind != TK_NUMBER) return false;
                break;
            default:  // 'x': judged by the emitter
                break;
        }
    }
    return true;
}

void Compiler::CompileOpcodeStatement(int32_t k, int32_t last, uint8_t opcode, const char* shape,
                                      const IoOperandForm* forms, int16_t& err) {
    err = 0;
    const int32_t length = static_cast<int32_t>(std::strlen(shape));
    if (last != k + length || last > tokenCount_ || !IoShapeMatches(k, shape)) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(opcode);
    int form = 0;
    for (int32_t j = 0; j < length && err == 0; ++j) {
        if (shape[j] == ',') continue;
        const Token& t = TokenAt(k + 1 + j);
        switch (forms[form++]) {
            case IO_BYTE: EmitOperand(t, 0, err); break;
            case IO_WORD: EmitOperand(t, 1, err); break;
            case IO_POKE_ADDRESS:
                EmitOperand(t, Model().twoByteAddress ? 1 : 0, err);
                break;
            case IO_SPEED:
                if (Model().rawSpeed)
                    EmitValueOperand(t, 0, 255, 0, err);
                else
                    EmitOperand(t, 0, err);
                break;
            case IO_RAW_BYTE: EmitValueOperand(t, 0, 255, 0, err); break;
            // The TX/RX code table knows the settings 1 to 4 only; a larger
            // setting would leave the instruction without its setting byte.
            case IO_TX_TABLE: EmitTableOperand(CMD_TX, t, 1, 4, err); break;
            case IO_ETX_TABLE: EmitTableOperand(CMD_ETX, t, 0, 1000000, err); break;
            case IO_ACCEL_TABLE: EmitTableOperand(CMD_ACCEL, t, 0, 15, err); break;
        }
    }
}

// Port output.

void Compiler::CompileOut(int32_t& first, int32_t& last, int16_t& err) {
    const int32_t k = first;
    // OUT port, name.bit: the value is one bit of a variable.
    if (last == k + 4 && last <= tokenCount_) {
        err = 0;
        const Token& bitTok = TokenAt(k + 4);
        if (!IsOperandToken(TokenAt(k + 1)) || TokenAt(k + 2).kind != TK_COMMA || TokenAt(k + 3).kind != TK_BITNAME ||
            (bitTok.kind != TK_BITNUMBER && bitTok.kind != TK_BITNAME)) {
            err = ERR_SYNTAX;
            return;
        }
        EmitByte(OP_OUT);
        EmitOperand(TokenAt(k + 1), 0, err);
        if (err == 0) EmitBitOperand(k + 3, err);
        return;
    }
    static const IoOperandForm kForms[] = {IO_BYTE, IO_BYTE};
    CompileOpcodeStatement(k, last, OP_OUT, "o,o", kForms, err);
}

void Compiler::CompileByteOut(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_BYTE};
    CompileOpcodeStatement(first, last, OP_BYTEOUT, "o,o", kForms, err);
}

void Compiler::CompilePulse(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE};
    CompileOpcodeStatement(first, last, OP_PULSE, "x", kForms, err);
}

void Compiler::CompilePwm(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_WORD};
    CompileOpcodeStatement(first, last, OP_PWM, "o,o", kForms, err);
}

void Compiler::CompileFPwm(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_WORD, IO_WORD};
    CompileOpcodeStatement(first, last, OP_FPWM, "o,o,o", kForms, err);
}

void Compiler::CompileServo(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_WORD};
    CompileOpcodeStatement(first, last, OP_SERVO, "o,o", kForms, err);
}

void Compiler::CompileToggle(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE};
    CompileOpcodeStatement(first, last, OP_TOGGLE, "x", kForms, err);
}

// Memory writes.

void Compiler::CompilePoke(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_POKE_ADDRESS, IO_BYTE};
    CompileOpcodeStatement(first, last, OP_POKE, "o,o", kForms, err);
}

void Compiler::CompileRomPoke(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD, IO_WORD};
    CompileOpcodeStatement(first, last, OP_ROMPOKE, "o,o", kForms, err);
}

// Display and timing.

void Compiler::CompileLocate(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD, IO_WORD};
    CompileOpcodeStatement(first, last, OP_LOCATE, "o,o", kForms, err);
}

void Compiler::CompileCont(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD};
    CompileOpcodeStatement(first, last, OP_CONT, "x", kForms, err);
}

void Compiler::CompileDelay(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD};
    CompileOpcodeStatement(first, last, OP_DELAY, "x", kForms, err);
    if (err == 0) EmitByte(OP_WAIT);
}

void Compiler::CompileTempo(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE};
    CompileOpcodeStatement(first, last, OP_TEMPO, "x", kForms, err);
}

// Controller settings.

void Compiler::CompileSpeed(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_SPEED};
    CompileOpcodeStatement(first, last, OP_SPEED, "x", kForms, err);
}

void Compiler::CompileAccel(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_ACCEL_TABLE};
    CompileOpcodeStatement(first, last, OP_ACCEL, "x", kForms, err);
}

void Compiler::CompileFunc(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_RAW_BYTE};
    CompileOpcodeStatement(first, last, OP_SETTING, "x", kForms, err);
}

void Compiler::CompileHighSpeed(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const Token& word = TokenAt(first + 1);
    if (last != first + 1 || word.kind != TK_COMMAND) {
        err = ERR_SYNTAX;
        return;
    }
    if (CommandEnabled(word.code) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    if (word.code == CMD_SETON) {
        EmitByte(OP_SETTING);
        EmitByte(1);
    } else if (word.code == CMD_SETOFF) {
        EmitByte(OP_SETTING);
        EmitByte(0);
    } else {
        err = ERR_SYNTAX;
    }
}

void Compiler::CompilePtp(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const Token& arg = TokenAt(first + 1);
    if (last != first + 1 || arg.kind == 0) {
        err = ERR_SYNTAX;
        return;
    }
    if (arg.kind == TK_NUMBER) {
        EmitByte(OP_PTP);
        EmitValueOperand(arg, 0, 1, 0, err);
        return;
    }
    // Anything but a number or a setting word would compile to nothing at
    // all; it is rejected like any other wrong shape.
    if (arg.kind != TK_COMMAND) {
        err = ERR_SYNTAX;
        return;
    }
    if (CommandEnabled(arg.code) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    switch (arg.code) {
        case CMD_SETON: EmitByte(OP_PTP); EmitByte(1); break;
        case CMD_SETOFF: EmitByte(OP_PTP); EmitByte(0); break;
        case CMD_ALLON: EmitByte(OP_SETTING); EmitByte(6); break;
        case CMD_ALLOFF: EmitByte(OP_SETTING); EmitByte(5); break;
        default: err = ERR_SYNTAX; break;
    }
}

// Raw data.

void Compiler::CompileFill(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 3 || last > tokenCount_ || !IoShapeMatches(first, "#,#")) {
        err = ERR_SYNTAX;
        return;
    }
    const int32_t b = IoNumberValue(TokenAt(first + 1));
    const int32_t n = IoNumberValue(TokenAt(first + 3));
    if (b < 0 || b > 255 || n < 1 || n > 65500) {
        err = ERR_SYNTAX;
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        host::ProcessEvents();
        EmitByte(static_cast<uint8_t>(b));
        if (ctl.Bas_Error == ERR_PROGRAM_TOO_BIG) break;  // buffer full: further bytes only overwrite its last index
    }
}

// Port switching.

// OPEN and CLOSE: a delay, two port outputs and the same delay again, as
// DELAY t, OUT a, x, OUT b, 1 - x, DELAY t would write, with the model's
// outputs a, b and delay t.
static void EmitPortSwitch(Compiler& c, bool open) {
    const controller::ModelFacts& model = c.Model();
    const uint8_t portA = model.openCloseOutputs[0];
    const uint8_t portB = model.openCloseOutputs[1];
    auto delay = [&] {
        c.EmitByte(OP_DELAY);
        if (model.openCloseDelay < 256) {
            c.EmitByte(OP_CONST_BYTE);
            c.EmitByte(static_cast<uint8_t>(model.openCloseDelay));
        } else {
            c.EmitByte(OP_CONST_WORD);
            c.EmitWord(model.openCloseDelay);
        }
        c.EmitByte(OP_WAIT);
    };
    auto out = [&](uint8_t port, bool on) {
        c.EmitByte(OP_OUT);
        c.EmitByte(OP_CONST_BYTE);
        c.EmitByte(port);
        c.EmitByte(static_cast<uint8_t>(OP_CONST_SMALL + (on ? 1 : 0)));
    };
    delay();
    out(portA, open);
    out(portB, !open);
    delay();
}

void Compiler::CompileOpen(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = ERR_SYNTAX;
        return;
    }
    EmitPortSwitch(*this, true);
}

void Compiler::CompileClose(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = ERR_SYNTAX;
        return;
    }
    EmitPortSwitch(*this, false);
}

// Operand lists.

void Compiler::CompileOperandList(int32_t k, int32_t last, uint8_t opcode, int32_t& countOut, int16_t& err) {
    err = 0;
    countOut = 0;
    if (last > tokenCount_) last = tokenCount_;
    if (last < k + 1) {
        err = ERR_BAD_RIGHT_SIDE;
    } else {
        EmitByte(opcode);
        if (!IsOperandToken(TokenAt(k + 1))) err = ERR_BAD_RIGHT_SIDE;
        for (int32_t i = k + 1; err == 0; i += 2) {
            EmitOperand(TokenAt(i), 1, err);
            if (err != 0) break;
            ++countOut;
            if (i >= last) break;
            if (TokenAt(i + 1).kind != TK_COMMA) {
                err = ERR_SYNTAX;
            } else if (i + 1 >= last) {
                err = ERR_BAD_RIGHT_SIDE;  // a trailing comma
            }
        }
    }
    EmitByte(OP_END_MARK);  // the list is closed whatever the outcome
}

void Compiler::CompileVexaOut(int32_t& first, int32_t& last, int16_t& err) {
    int32_t count = 0;
    CompileOperandList(first, last, OP_VEXAOUT, count, err);
}

// Program remark.

void Compiler::CompileRemark(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const Token& text = TokenAt(first + 1);
    if (last != first + 1 || text.kind != TK_STRING) {
        err = ERR_SYNTAX;
        return;
    }
    ctl.Remark = text.text;
}

}  // namespace qvv2
