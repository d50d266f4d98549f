// Statements that compile to an opcode and a fixed row of operands: port
// output, memory writes, display and timing, controller settings and raw data;
// also TOGGLE, OPEN, CLOSE, VEXAOUT and the program remark.
#include <cstring>

#include "CompileHost.h"
#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr int16_t kErrWrongRightSide = 19;
constexpr int16_t kErrSyntax = 23;
constexpr int16_t kErrNoSupport = 999;

// Command numbers of the setting words.
constexpr int16_t kCmdSetOn = 109;
constexpr int16_t kCmdSetOff = 110;
constexpr int16_t kCmdAllOn = 111;
constexpr int16_t kCmdAllOff = 112;
// Command numbers passed to the table emitter.
constexpr int16_t kCmdTx = 57;
constexpr int16_t kCmdAccel = 68;
constexpr int16_t kCmdEtx = 83;

constexpr uint8_t kOpOut = 209;
constexpr uint8_t kOpDelay = 212;
constexpr uint8_t kOpWait = 233;
constexpr uint8_t kOpSetting = 182;
constexpr uint8_t kOpPtp = 237;

bool IsOperandToken(const Token& t) { return t.kind == TK_NUMBER || t.kind == TK_WORD; }

}  // namespace

int32_t QUARVELv2::IoNumberValue(const Token& tok) { return tok.kind == TK_NUMBER ? NumberValue(tok) : 0; }

bool QUARVELv2::IoShapeMatches(int32_t k, const char* shape) const {
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

void QUARVELv2::CompileOpcodeStatement(int32_t k, int32_t last, uint8_t opcode, const char* shape,
                                       const IoOperandForm* forms, int16_t& err) {
    err = 0;
    const int32_t length = static_cast<int32_t>(std::strlen(shape));
    if (last != k + length || last > tokenCount_ || !IoShapeMatches(k, shape)) {
        err = kErrSyntax;
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
            case IO_POKE_ADDRESS: EmitOperand(t, Con_ID == 1 ? 0 : 1, err); break;
            case IO_SPEED:
                if (Con_ID == 1)
                    EmitValueOperand(t, 0, 255, 0, err);
                else
                    EmitOperand(t, 0, err);
                break;
            case IO_RAW_BYTE: EmitValueOperand(t, 0, 255, 0, err); break;
            // The TX/RX code table knows the settings 1 to 4 only; a larger
            // setting would leave the instruction without its setting byte.
            case IO_TX_TABLE: EmitTableOperand(kCmdTx, t, 1, 4, err); break;
            case IO_ETX_TABLE: EmitTableOperand(kCmdEtx, t, 0, 1000000, err); break;
            case IO_ACCEL_TABLE: EmitTableOperand(kCmdAccel, t, 0, 15, err); break;
        }
    }
}

// ---- Port output -----------------------------------------------------------

void QUARVELv2::CompileOut(int32_t& first, int32_t& last, int16_t& err) {
    const int32_t k = first;
    // OUT port, name.bit: the value is one bit of a variable.
    if (last == k + 4 && last <= tokenCount_) {
        err = 0;
        const Token& bitTok = TokenAt(k + 4);
        if (!IsOperandToken(TokenAt(k + 1)) || TokenAt(k + 2).kind != TK_COMMA || TokenAt(k + 3).kind != TK_BITNAME ||
            (bitTok.kind != TK_BITNUMBER && bitTok.kind != TK_BITNAME)) {
            err = kErrSyntax;
            return;
        }
        EmitByte(kOpOut);
        EmitOperand(TokenAt(k + 1), 0, err);
        if (err == 0) EmitBitOperand(k + 3, err);
        return;
    }
    static const IoOperandForm kForms[] = {IO_BYTE, IO_BYTE};
    CompileOpcodeStatement(k, last, kOpOut, "o,o", kForms, err);
}

void QUARVELv2::CompileByteOut(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_BYTE};
    CompileOpcodeStatement(first, last, 231, "o,o", kForms, err);
}

void QUARVELv2::CompilePulse(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE};
    CompileOpcodeStatement(first, last, 210, "x", kForms, err);
}

void QUARVELv2::CompilePwm(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_WORD};
    CompileOpcodeStatement(first, last, 222, "o,o", kForms, err);
}

void QUARVELv2::CompileFPwm(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_WORD, IO_WORD};
    CompileOpcodeStatement(first, last, 238, "o,o,o", kForms, err);
}

void QUARVELv2::CompileServo(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE, IO_WORD};
    CompileOpcodeStatement(first, last, 223, "o,o", kForms, err);
}

void QUARVELv2::CompileToggle(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE};
    CompileOpcodeStatement(first, last, 211, "x", kForms, err);
}

// ---- Memory writes -----------------------------------------------------------

void QUARVELv2::CompilePoke(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_POKE_ADDRESS, IO_BYTE};
    CompileOpcodeStatement(first, last, 204, "o,o", kForms, err);
}

void QUARVELv2::CompileRomPoke(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD, IO_WORD};
    CompileOpcodeStatement(first, last, 205, "o,o", kForms, err);
}

// ---- Display and timing ------------------------------------------------------

void QUARVELv2::CompileLocate(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD, IO_WORD};
    CompileOpcodeStatement(first, last, 226, "o,o", kForms, err);
}

void QUARVELv2::CompileCont(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD};
    CompileOpcodeStatement(first, last, 230, "x", kForms, err);
}

void QUARVELv2::CompileDelay(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_WORD};
    CompileOpcodeStatement(first, last, kOpDelay, "x", kForms, err);
    if (err == 0) EmitByte(kOpWait);
}

void QUARVELv2::CompileTempo(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_BYTE};
    CompileOpcodeStatement(first, last, 191, "x", kForms, err);
}

// ---- Controller settings -----------------------------------------------------

void QUARVELv2::CompileSpeed(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_SPEED};
    CompileOpcodeStatement(first, last, 221, "x", kForms, err);
}

void QUARVELv2::CompileAccel(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_ACCEL_TABLE};
    CompileOpcodeStatement(first, last, 232, "x", kForms, err);
}

void QUARVELv2::CompileFunc(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_RAW_BYTE};
    CompileOpcodeStatement(first, last, kOpSetting, "x", kForms, err);
}

void QUARVELv2::CompileHighSpeed(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const Token& word = TokenAt(first + 1);
    if (last != first + 1 || word.kind != TK_COMMAND) {
        err = kErrSyntax;
        return;
    }
    if (CommandEnabled(word.code) == 0) {
        err = kErrNoSupport;
        return;
    }
    if (word.code == kCmdSetOn) {
        EmitByte(kOpSetting);
        EmitByte(1);
    } else if (word.code == kCmdSetOff) {
        EmitByte(kOpSetting);
        EmitByte(0);
    } else {
        err = kErrSyntax;
    }
}

void QUARVELv2::CompilePtp(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const Token& arg = TokenAt(first + 1);
    if (last != first + 1 || arg.kind == 0) {
        err = kErrSyntax;
        return;
    }
    if (arg.kind == TK_NUMBER) {
        EmitByte(kOpPtp);
        EmitValueOperand(arg, 0, 1, 0, err);
        return;
    }
    // Anything but a number or a setting word would compile to nothing at
    // all; it is rejected like any other wrong shape.
    if (arg.kind != TK_COMMAND) {
        err = kErrSyntax;
        return;
    }
    if (CommandEnabled(arg.code) == 0) {
        err = kErrNoSupport;
        return;
    }
    switch (arg.code) {
        case kCmdSetOn: EmitByte(kOpPtp); EmitByte(1); break;
        case kCmdSetOff: EmitByte(kOpPtp); EmitByte(0); break;
        case kCmdAllOn: EmitByte(kOpSetting); EmitByte(6); break;
        case kCmdAllOff: EmitByte(kOpSetting); EmitByte(5); break;
        default: err = kErrSyntax; break;
    }
}

// ---- Raw data ----------------------------------------------------------------

void QUARVELv2::CompileFill(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 3 || last > tokenCount_ || !IoShapeMatches(first, "#,#")) {
        err = kErrSyntax;
        return;
    }
    const int32_t b = IoNumberValue(TokenAt(first + 1));
    const int32_t n = IoNumberValue(TokenAt(first + 3));
    if (b < 0 || b > 255 || n < 1 || n > 65500) {
        err = kErrSyntax;
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        host::ProcessEvents();
        EmitByte(static_cast<uint8_t>(b));
        if (Bas_Error == 1000) break;  // buffer full: further bytes only overwrite its last index
    }
}

// ---- Port switching ----------------------------------------------------------

// OPEN and CLOSE: a delay, two port outputs and the same delay again, as
// DELAY t, OUT a, x, OUT b, 1 - x, DELAY t would write.  Controller 1 uses
// ports 5 and 6 and a delay of 100, every other controller ports 10 and 11
// and a delay of 1000.
static void EmitPortSwitch(QUARVELv2& c, bool open) {
    const bool first = c.Con_ID == 1;
    const uint8_t portA = first ? 5 : 10;
    const uint8_t portB = first ? 6 : 11;
    auto delay = [&] {
        c.EmitByte(kOpDelay);
        if (first) {
            c.EmitByte(18);
            c.EmitByte(100);
        } else {
            c.EmitByte(19);
            c.EmitByte(0xE8);  // 1000, low byte first
            c.EmitByte(0x03);
        }
        c.EmitByte(kOpWait);
    };
    auto out = [&](uint8_t port, bool on) {
        c.EmitByte(kOpOut);
        c.EmitByte(18);
        c.EmitByte(port);
        c.EmitByte(on ? 17 : 16);
    };
    delay();
    out(portA, open);
    out(portB, !open);
    delay();
}

void QUARVELv2::CompileOpen(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = kErrSyntax;
        return;
    }
    EmitPortSwitch(*this, true);
}

void QUARVELv2::CompileClose(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = kErrSyntax;
        return;
    }
    EmitPortSwitch(*this, false);
}

// ---- Operand lists -----------------------------------------------------------

void QUARVELv2::CompileOperandList(int32_t k, int32_t last, uint8_t opcode, int32_t& countOut, int16_t& err) {
    err = 0;
    countOut = 0;
    if (last > tokenCount_) last = tokenCount_;
    if (last < k + 1) {
        err = kErrWrongRightSide;
    } else {
        EmitByte(opcode);
        if (!IsOperandToken(TokenAt(k + 1))) err = kErrWrongRightSide;
        for (int32_t i = k + 1; err == 0; i += 2) {
            EmitOperand(TokenAt(i), 1, err);
            if (err != 0) break;
            ++countOut;
            if (i >= last) break;
            if (TokenAt(i + 1).kind != TK_COMMA) {
                err = kErrSyntax;
            } else if (i + 1 >= last) {
                err = kErrWrongRightSide;  // a trailing comma
            }
        }
    }
    EmitByte(0);  // the list is closed whatever the outcome
}

void QUARVELv2::CompileVexaOut(int32_t& first, int32_t& last, int16_t& err) {
    int32_t count = 0;
    CompileOperandList(first, last, 215, count, err);
}

// ---- Program remark ----------------------------------------------------------

void QUARVELv2::CompileRemark(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const Token& text = TokenAt(first + 1);
    if (last != first + 1 || text.kind != TK_STRING) {
        err = kErrSyntax;
        return;
    }
    Remark = text.text;
}

}  // namespace qvv2
