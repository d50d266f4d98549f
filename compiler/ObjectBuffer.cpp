// The object buffer and the operand emitters that every statement compiler
// writes through.
#include <cstdlib>

#include "QUARVELv2.h"

namespace qvv2 {

namespace {


bool IsConstType(uint8_t type) { return type >= 4; }

}  // namespace

const Token& QUARVELv2::TokenAt(int32_t i) const {
    static const Token kNone{std::u16string(), 0, -1};
    if (i < 1 || i > tokenCount_ || i >= static_cast<int32_t>(tokens_.size())) return kNone;
    return tokens_[i];
}

int32_t QUARVELv2::NumberValue(const Token& tok) {
    // Number tokens hold decimal text of at most nine digits (the lexer checks).
    int64_t v = 0;
    for (char16_t c : tok.text) {
        if (c < u'0' || c > u'9') break;
        v = v * 10 + (c - u'0');
        if (v > 999999999) break;
    }
    return static_cast<int32_t>(v);
}

void QUARVELv2::InitOperatorTable() {
    static const char16_t* const kOps[16] = {u"+", u"-", u"*",  u"/",  u"%",  u"(",  u")",  u"=",
                                             u">", u"<", u">=", u"<=", u"<>", u"<<", u">>", u"."};
    for (int i = 0; i < 16; ++i) operators_[i] = kOps[i];
}

void QUARVELv2::InitByteQuads() { txrxTable_ = {204, 230, 230, 243}; }

void QUARVELv2::InitIdentityTable() {
    for (int i = 0; i < 256; ++i) identityTable_[i] = static_cast<uint8_t>(i);
}

void QUARVELv2::InitNibbleTable() {
    for (int i = 0; i < 16; ++i) nibbleTable_[i] = static_cast<uint8_t>(i * 17);
}

void QUARVELv2::EmitByte(uint8_t b) {
    ++objPos_;
    if (objPos_ > kBufferMax) {
        objPos_ = kBufferMax;
        Bas_Error = 1000;
        Bas_Error_Msg = GetMessageText(84);
    }
    if (static_cast<int32_t>(buffer_.size()) <= objPos_) buffer_.resize(kBufferMax + 1, 0);
    buffer_[objPos_] = b;
}

void QUARVELv2::PutByteAt(int32_t position, uint8_t b) {
    if (position >= 0 && position < static_cast<int32_t>(buffer_.size())) buffer_[position] = b;
}

void QUARVELv2::GetByteAt(int32_t position, uint8_t& b) const {
    b = (position >= 0 && position < static_cast<int32_t>(buffer_.size())) ? buffer_[position] : 0;
}

void QUARVELv2::HighByte(int32_t value, uint8_t& b) {
    b = (value >= 0 && value <= 65535) ? static_cast<uint8_t>(value >> 8) : 0;
}

void QUARVELv2::LowByte(int32_t value, uint8_t& b) {
    b = (value >= 0 && value <= 65535) ? static_cast<uint8_t>(value & 0xFF) : 0;
}

void QUARVELv2::BaudRateCode(int32_t rate, uint8_t& code) {
    switch (rate) {
        case 2400: code = 0; break;
        case 4800: code = 1; break;
        case 9600: code = 2; break;
        case 14400: code = 3; break;
        case 19200: code = 4; break;
        case 28800: code = 5; break;
        case 38400: code = 6; break;
        case 57600: code = 7; break;
        case 76800: code = 8; break;
        case 115200: code = 9; break;
        case 230400: code = 10; break;
        default: code = 255; break;
    }
}

// Writes a constant by its size class: 0x10 + value for 0 and 1, 0x12 value for
// a byte, 0x13 low high for a word (only where words are allowed).  Class 5
// (65536 and above) has no encoding: writing nothing would leave the
// instruction without its operand, so it is refused as out of range.
static void EmitConstant(QUARVELv2& c, int32_t value, int cls, int16_t allowWord, int16_t& err) {
    uint8_t lo = 0, hi = 0;
    switch (cls) {
        case 1: c.EmitByte(static_cast<uint8_t>(16 + value)); break;
        case 2:
            c.EmitByte(18);
            c.EmitByte(static_cast<uint8_t>(value));
            break;
        case 3:
            if (allowWord == 0) {
                err = 20;
                return;
            }
            QUARVELv2::LowByte(value, lo);
            QUARVELv2::HighByte(value, hi);
            c.EmitByte(19);
            c.EmitByte(lo);
            c.EmitByte(hi);
            break;
        default: err = 41; break;
    }
}

void QUARVELv2::EmitOperand(const Token& tok, int16_t allowWord, int16_t& err) {
    err = 0;
    if (tok.kind == TK_NUMBER) {
        EmitConstant(*this, QUARVELv2::NumberValue(tok), tok.code, allowWord, err);
        return;
    }
    if (tok.kind != TK_WORD) {
        err = 21;
        return;
    }
    const int16_t n = FindVariable(tok.text);
    if (n == 0) {
        err = 17;
        return;
    }
    const VarRecord& v = vars_[n];
    if (v.type == 2) {
        EmitByte(v.operand[0]);
        EmitByte(v.operand[1]);
    } else if (v.type == 3) {
        if (allowWord == 0) {
            err = 20;
            return;
        }
        EmitByte(v.operand[0]);
        EmitByte(v.operand[1]);
    } else if (IsConstType(v.type)) {
        EmitConstant(*this, v.value, v.type - 4, allowWord, err);
    }
}

void QUARVELv2::EmitPrintOperand(const Token& tok, int16_t allowWord, int16_t format, int16_t& err) {
    err = 0;
    // Format bytes by operand width: byte-wide, word-wide, and the one-byte
    // constants 0 and 1, for BIN, DEC, HEX and no format keyword.
    auto formatByte = [format](int width) -> uint8_t {
        if (width == 1) return 3;
        const bool word = width == 3;
        switch (format) {
            case 91: return word ? 15 : 8;  // BIN
            case 61: return word ? 5 : 3;   // DEC
            case 60: return word ? 4 : 2;   // HEX
            default: return word ? 5 : 3;
        }
    };
    auto constant = [&](int32_t value, int cls) {
        EmitConstant(*this, value, cls, allowWord, err);
        if (err == 0) EmitByte(formatByte(cls));
    };
    if (tok.kind == TK_NUMBER) {
        constant(QUARVELv2::NumberValue(tok), tok.code);
        return;
    }
    if (tok.kind != TK_WORD) {
        err = 21;
        return;
    }
    const int16_t n = FindVariable(tok.text);
    if (n == 0) {
        err = 17;
        return;
    }
    const VarRecord& v = vars_[n];
    if (v.type == 1 || v.type == 2) {
        EmitByte(v.operand[0]);
        EmitByte(v.operand[1]);
        EmitByte(formatByte(2));
    } else if (v.type == 3) {
        if (allowWord == 0) {
            err = 20;
            return;
        }
        EmitByte(v.operand[0]);
        EmitByte(v.operand[1]);
        EmitByte(formatByte(3));
    } else if (IsConstType(v.type)) {
        constant(v.value, v.type - 4);
    }
}

// Reads a compile-time operand: a number or a constant within min..max.
// Returns false when nothing is to be written (err tells whether it failed).
static bool CompileTimeValue(const QUARVELv2& c, const Token& tok, int32_t min, int32_t max, int32_t& value,
                             int& cls, int16_t& err) {
    err = 0;
    if (tok.kind == TK_NUMBER) {
        value = QUARVELv2::NumberValue(tok);
        cls = tok.code;
    } else if (tok.kind == TK_WORD) {
        const int16_t n = c.FindVariable(tok.text);
        if (n == 0) {
            err = 17;
            return false;
        }
        const VarRecord& v = c.vars_[n];
        if (v.type >= 1 && v.type <= 3) {
            err = 42;
            return false;
        }
        if (v.type == 0) return false;
        value = v.value;
        cls = v.type - 4;
    } else {
        err = 42;
        return false;
    }
    if (value < min || value > max) {
        err = 41;
        return false;
    }
    return true;
}

void QUARVELv2::EmitValueOperand(const Token& tok, int32_t min, int32_t max, int16_t wide, int16_t& err) {
    int32_t value = 0;
    int cls = 0;
    if (!CompileTimeValue(*this, tok, min, max, value, cls, err)) return;
    uint8_t lo = 0, hi = 0;
    LowByte(value, lo);
    HighByte(value, hi);
    if (cls == 1 || cls == 2) {
        if (wide != 0) {
            EmitByte(lo);
            EmitByte(hi);
        } else {
            EmitByte(static_cast<uint8_t>(value));
        }
    } else if (cls == 3) {
        EmitByte(lo);
        EmitByte(hi);
    }
}

void QUARVELv2::EmitTableOperand(int16_t command, const Token& tok, int32_t min, int32_t max, int16_t& err) {
    int32_t value = 0;
    int cls = 0;
    if (!CompileTimeValue(*this, tok, min, max, value, cls, err)) return;
    switch (command) {
        case 82:  // ERX
        case 83: {  // ETX
            uint8_t code = 255;
            BaudRateCode(value, code);
            if (code == 255) {
                err = 40;
                return;
            }
            EmitByte(code);
            break;
        }
        case 57:  // TX
        case 58:  // RX
            if (value >= 1 && value <= 4) EmitByte(txrxTable_[value - 1]);
            break;
        case 66:  // FIN
            if (value >= 0 && value < 256) EmitByte(identityTable_[value]);
            break;
        case 68:  // ACCEL
            if (value >= 0 && value < 16) EmitByte(nibbleTable_[value]);
            break;
        case 76:  // FASTSERVO
            EmitByte(18);
            EmitByte(static_cast<uint8_t>(value + 116));
            break;
        case 126:  // ACTION
            EmitByte(208);
            EmitByte(21);
            EmitByte(64);
            EmitByte(18);
            EmitByte(static_cast<uint8_t>(value + 50));
            EmitByte(0);
            break;
        default: err = 23; break;
    }
}

void QUARVELv2::EmitBitOperand(int32_t tokenIndex, int16_t& err) {
    err = 0;
    if (tokenIndex < 1 || tokenIndex > tokenCount_ || tokens_[tokenIndex].kind != TK_BITNAME) {
        err = 35;
        return;
    }
    const int16_t n = FindVariable(tokens_[tokenIndex].text);
    if (n == 0) {
        err = 17;
        return;
    }
    const VarRecord& v = vars_[n];
    if (v.type == 1) {
        err = 38;
        return;
    }
    if (v.type != 2 && v.type != 3) {
        err = 35;
        return;
    }
    EmitByte(27);

    int32_t bit = 0;
    const int32_t bi = tokenIndex + 1;
    if (bi > tokenCount_) {
        err = 35;
        return;
    }
    const Token& bt = tokens_[bi];
    if (bt.kind == TK_BITNUMBER) {
        bit = QUARVELv2::NumberValue(bt);
    } else if (bt.kind == TK_BITNAME) {
        const int16_t k = FindVariable(bt.text);
        if (k == 0) {
            err = 17;
            return;
        }
        if (vars_[k].type >= 1 && vars_[k].type <= 3) {
            err = 39;
            return;
        }
        bit = vars_[k].value;
    } else {
        err = 35;
        return;
    }

    int32_t address = v.operand[1];
    if (bit >= 8 && bit <= 15) {
        address += 1;
        bit -= 8;
    } else if (bit < 0 || bit > 7) {
        err = 36;
        return;
    }
    EmitByte(static_cast<uint8_t>(address));
    EmitByte(static_cast<uint8_t>(1u << bit));
}

void QUARVELv2::EmitChannelOperand(const Token& tok, int16_t allowWord, int16_t& err) {
    err = 0;
    int32_t value = 0;
    if (tok.kind == TK_NUMBER) {
        value = QUARVELv2::NumberValue(tok);
    } else if (tok.kind == TK_WORD) {
        const int16_t n = FindVariable(tok.text);
        if (n == 0) {
            err = 17;
            return;
        }
        const VarRecord& v = vars_[n];
        if (v.type == 2 || v.type == 3) {
            err = 42;
            return;
        }
        if (v.type == 0 || v.type == 1) return;
        value = v.value;
    } else {
        err = 21;
        return;
    }
    if (value > 7) {
        err = 41;
        return;
    }
    EmitByte(18);
    EmitByte(static_cast<uint8_t>(value + 100));
}

void QUARVELv2::SetBitFromOperand(uint8_t& b, int32_t bit, const Token& tok, int16_t& err) {
    err = 0;
    int32_t value = 0;
    if (tok.kind == TK_NUMBER) {
        value = QUARVELv2::NumberValue(tok);
    } else if (tok.kind == TK_WORD) {
        const int16_t n = FindVariable(tok.text);
        if (n == 0) {
            err = 17;
            return;
        }
        const VarRecord& v = vars_[n];
        if (v.type >= 1 && v.type <= 3) {
            err = 42;
            return;
        }
        if (v.type == 0) return;
        value = v.value;
    } else {
        err = 42;
        return;
    }
    if (value != 0 && value != 1) {
        err = 41;
        return;
    }
    if (bit < 0 || bit > 7) return;
    const uint8_t mask = static_cast<uint8_t>(1u << bit);
    b = value == 1 ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

void QUARVELv2::EmitOperator(const Token& tok, int16_t& err) {
    err = 0;
    if (tok.kind == TK_OPERATOR) {
        switch (tok.code) {
            case 0: EmitByte(0x21); break;  // +
            case 1: EmitByte(0x22); break;  // -
            case 2: EmitByte(0x23); break;  // *
            case 3: EmitByte(0x24); break;  // /
            case 4: EmitByte(0x26); break;  // %
            case 13: EmitByte(0x2C); break;  // <<
            case 14: EmitByte(0x2D); break;  // >>
            default: err = 22; break;
        }
    } else if (tok.kind == TK_COMMAND) {
        switch (tok.code) {
            case 23: EmitByte(0x26); break;  // MOD
            case 21: EmitByte(0x27); break;  // AND
            case 22: EmitByte(0x28); break;  // OR
            case 24: EmitByte(0x2A); break;  // XOR
            default: err = 22; break;
        }
    }
}

}  // namespace qvv2
