// The object buffer, the jump emitters and the operand emitters that every
// statement compiler writes through.
#include "Compiler.h"

#include <cstdlib>
#include <limits>
#include <utility>

namespace qvv2 {

namespace {

bool IsConstType(uint8_t type) { return type >= VT_CONST; }

}  // namespace

Compiler::Compiler(QUARVELv2& control) : ctl(control) {
    InitOperatorTable();
    InitByteQuads();
    InitIdentityTable();
    InitNibbleTable();
    InitMusicTables();
}

void Compiler::ResetState() {
    CompileState fresh;
    // The tables that grow with the program keep their storage from one
    // compile to the next: refilled with the fresh contents, they go over
    // into the new state, so a long program is not reallocated every time.
    auto reuse = [](auto& next, auto& used) {
        used.assign(next.begin(), next.end());
        next.swap(used);
    };
    reuse(fresh.lines_, lines_);
    reuse(fresh.lineRanges_, lineRanges_);
    reuse(fresh.tokens_, tokens_);
    reuse(fresh.labels_, labels_);
    reuse(fresh.fixups_, fixups_);
    reuse(fresh.vars_, vars_);
    reuse(fresh.buffer_, buffer_);
    labelIndex_.clear();
    fresh.labelIndex_.swap(labelIndex_);
    varIndex_.clear();
    fresh.varIndex_.swap(varIndex_);
    static_cast<CompileState&>(*this) = std::move(fresh);
}

const Token& Compiler::TokenAt(int32_t i) const {
    static const Token kNone{std::u16string(), 0, -1};
    if (i < 1 || i > tokenCount_ || i >= static_cast<int32_t>(tokens_.size())) return kNone;
    return tokens_[i];
}

int32_t Compiler::NumberValue(const Token& tok) {
    // Number tokens hold decimal text of at most nine digits (the lexer checks).
    int64_t v = 0;
    for (char16_t c : tok.text) {
        if (c < u'0' || c > u'9') break;
        v = v * 10 + (c - u'0');
        if (v > 999999999) break;
    }
    return static_cast<int32_t>(v);
}

void Compiler::InitOperatorTable() {
    static const char16_t* const kOps[16] = {u"+", u"-", u"*",  u"/",  u"%",  u"(",  u")",  u"=",
                                             u">", u"<", u">=", u"<=", u"<>", u"<<", u">>", u"."};
    for (int i = 0; i < 16; ++i) operators_[i] = kOps[i];
}

void Compiler::InitByteQuads() { txrxTable_ = {204, 230, 230, 243}; }

void Compiler::InitIdentityTable() {
    for (int i = 0; i < 256; ++i) identityTable_[i] = static_cast<uint8_t>(i);
}

void Compiler::InitNibbleTable() {
    for (int i = 0; i < 16; ++i) nibbleTable_[i] = static_cast<uint8_t>(i * 17);
}

void Compiler::EmitByte(uint8_t b) {
    ++objPos_;
    if (objPos_ > QUARVELv2::kBufferMax) {
        objPos_ = QUARVELv2::kBufferMax;
        ctl.Bas_Error = ERR_PROGRAM_TOO_BIG;
        ctl.Bas_Error_Msg = GetMessageText(MSG_MEMORY_ERROR);
    }
    if (static_cast<int32_t>(buffer_.size()) <= objPos_) buffer_.resize(QUARVELv2::kBufferMax + 1, 0);
    buffer_[objPos_] = b;
}

void Compiler::PutByteAt(int32_t position, uint8_t b) {
    if (position >= 0 && position < static_cast<int32_t>(buffer_.size())) buffer_[position] = b;
}

void Compiler::GetByteAt(int32_t position, uint8_t& b) const {
    b = (position >= 0 && position < static_cast<int32_t>(buffer_.size())) ? buffer_[position] : 0;
}

int32_t Compiler::EmitPlaceholder() {
    const int32_t position = objPos_ + 1;
    EmitByte(0);
    EmitByte(0);
    return position;
}

void Compiler::EmitWord(int32_t value) {
    uint8_t lo = 0, hi = 0;
    LowByte(value, lo);
    HighByte(value, hi);
    EmitByte(lo);
    EmitByte(hi);
}

void Compiler::PatchWord(int32_t position, int32_t value) {
    uint8_t lo = 0, hi = 0;
    LowByte(value, lo);
    HighByte(value, hi);
    PutByteAt(position, lo);
    if (position < std::numeric_limits<int32_t>::max()) PutByteAt(position + 1, hi);
}

void Compiler::AddLabelFixup(uint8_t kind, const std::u16string& name) {
    if (fixupCount_ < 0) fixupCount_ = 0;
    fixups_.resize(static_cast<size_t>(fixupCount_) + 1);  // index 0 unused
    Fixup f;
    f.kind = kind;
    f.line = currentLine_;
    f.name = name;  // as written; label resolution matches without regard to case
    f.position = objPos_ + 1;
    fixups_.push_back(f);
    ++fixupCount_;
}

void Compiler::EmitLabelPlaceholder(uint8_t kind, const std::u16string& name) {
    AddLabelFixup(kind, name);
    EmitPlaceholder();
}

void Compiler::HighByte(int32_t value, uint8_t& b) {
    b = (value >= 0 && value <= 65535) ? static_cast<uint8_t>(value >> 8) : 0;
}

void Compiler::LowByte(int32_t value, uint8_t& b) {
    b = (value >= 0 && value <= 65535) ? static_cast<uint8_t>(value & 0xFF) : 0;
}

void Compiler::BaudRateCode(int32_t rate, uint8_t& code) {
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
static void EmitConstant(Compiler& c, int32_t value, int cls, int16_t allowWord, int16_t& err) {
    switch (cls) {
        case 1: c.EmitByte(static_cast<uint8_t>(OP_CONST_SMALL + value)); break;
        case 2:
            c.EmitByte(OP_CONST_BYTE);
            c.EmitByte(static_cast<uint8_t>(value));
            break;
        case 3:
            if (allowWord == 0) {
                err = ERR_NO_INTEGER;
                return;
            }
            c.EmitByte(OP_CONST_WORD);
            c.EmitWord(value);
            break;
        default: err = ERR_OVER_RANGE; break;
    }
}

namespace {

// Widths of what a general operand writes, by which PRINT chooses its
// format byte; a constant's width is its size class.
enum OperandWidth : int {
    kNothingWritten = 0,
    kSmallConstant = 1,  // 0x10 or 0x11: the constants 0 and 1
    kByteWide = 2,
    kWordWide = 3,
};

}  // namespace

// Writes a number or a declared name as a general operand: the constant
// encoding of a number or a constant, the operand bytes of a BYTE or an
// INTEGER variable (a bit-type variable like a BYTE one when bitAsByte, else
// nothing).  Returns the width written, kNothingWritten on an error or for a
// name that writes nothing.
static int EmitGeneralOperand(Compiler& c, const Token& tok, int16_t allowWord, bool bitAsByte, int16_t& err) {
    err = 0;
    int32_t value = 0;
    int cls = 0;
    if (tok.kind == TK_NUMBER) {
        value = Compiler::NumberValue(tok);
        cls = tok.code;
    } else if (tok.kind != TK_WORD) {
        err = ERR_NOT_AN_OPERAND;
        return kNothingWritten;
    } else {
        const int16_t n = c.FindVariable(tok.text);
        if (n == 0) {
            err = ERR_NOT_DECLARED;
            return kNothingWritten;
        }
        const VarRecord& v = c.vars_[n];
        const bool byteWide = v.type == VT_BYTE || (bitAsByte && v.type == VT_BIT);
        if (byteWide || v.type == VT_INTEGER) {
            if (!byteWide && allowWord == 0) {
                err = ERR_NO_INTEGER;
                return kNothingWritten;
            }
            c.EmitByte(v.operand[0]);
            c.EmitByte(v.operand[1]);
            return byteWide ? kByteWide : kWordWide;
        }
        if (!IsConstType(v.type)) return kNothingWritten;
        value = v.value;
        cls = v.type - VT_CONST;
    }
    EmitConstant(c, value, cls, allowWord, err);
    return err == 0 ? cls : kNothingWritten;
}

void Compiler::EmitOperand(const Token& tok, int16_t allowWord, int16_t& err) {
    EmitGeneralOperand(*this, tok, allowWord, false, err);
}

// The format byte PRINT writes after an operand of the given width, for the
// format keyword BIN, DEC, HEX or none; the one-byte constants 0 and 1
// always take the byte-wide DEC one.
static uint8_t PrintFormatByte(int16_t format, int width) {
    if (width == kSmallConstant) return OP_FMT_DEC_BYTE;
    const bool word = width == kWordWide;
    switch (format) {
        case CMD_BIN: return word ? OP_FMT_BIN_WORD : OP_FMT_BIN_BYTE;
        case CMD_HEX: return word ? OP_FMT_HEX_WORD : OP_FMT_HEX_BYTE;
        default: return word ? OP_FMT_DEC_WORD : OP_FMT_DEC_BYTE;  // DEC or none
    }
}

void Compiler::EmitPrintOperand(const Token& tok, int16_t allowWord, int16_t format, int16_t& err) {
    const int width = EmitGeneralOperand(*this, tok, allowWord, true, err);
    if (width != kNothingWritten) EmitByte(PrintFormatByte(format, width));
}

// Reads a compile-time operand: a number or a constant within min..max.
// Returns false when nothing is to be written (err tells whether it failed).
static bool CompileTimeValue(const Compiler& c, const Token& tok, int32_t min, int32_t max, int32_t& value, int& cls,
                             int16_t& err) {
    err = 0;
    if (tok.kind == TK_NUMBER) {
        value = Compiler::NumberValue(tok);
        cls = tok.code;
    } else if (tok.kind == TK_WORD) {
        const int16_t n = c.FindVariable(tok.text);
        if (n == 0) {
            err = ERR_NOT_DECLARED;
            return false;
        }
        const VarRecord& v = c.vars_[n];
        if (v.type >= VT_BIT && v.type <= VT_INTEGER) {
            err = ERR_ONLY_NUMBER_OR_CONSTANT;
            return false;
        }
        if (v.type == 0) return false;
        value = v.value;
        cls = v.type - VT_CONST;
    } else {
        err = ERR_ONLY_NUMBER_OR_CONSTANT;
        return false;
    }
    if (value < min || value > max) {
        err = ERR_OVER_RANGE;
        return false;
    }
    return true;
}

bool Compiler::ConstantValue(const Token& tok, int32_t& value) const {
    if (tok.kind == TK_NUMBER) {
        value = NumberValue(tok);
        return true;
    }
    if (tok.kind != TK_WORD) return false;
    const int16_t n = FindVariable(tok.text);
    if (n <= 0 || n >= static_cast<int32_t>(vars_.size()) || !IsConstType(vars_[n].type)) return false;
    value = vars_[n].value;
    return true;
}

void Compiler::EmitValueOperand(const Token& tok, int32_t min, int32_t max, int16_t wide, int16_t& err) {
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

void Compiler::EmitTableOperand(int16_t command, const Token& tok, int32_t min, int32_t max, int16_t& err) {
    int32_t value = 0;
    int cls = 0;
    if (!CompileTimeValue(*this, tok, min, max, value, cls, err)) return;
    switch (command) {
        case CMD_ERX:
        case CMD_ETX: {
            uint8_t code = 255;
            BaudRateCode(value, code);
            if (code == 255) {
                err = ERR_BAD_SYNTAX;
                return;
            }
            EmitByte(code);
            break;
        }
        case CMD_TX:
        case CMD_RX:
            if (value >= 1 && value <= 4) EmitByte(txrxTable_[value - 1]);
            break;
        case CMD_FIN:
            if (value >= 0 && value < 256) EmitByte(identityTable_[value]);
            break;
        case CMD_ACCEL:
            if (value >= 0 && value < 16) EmitByte(nibbleTable_[value]);
            break;
        case CMD_FASTSERVO:
            EmitByte(OP_CONST_BYTE);
            EmitByte(static_cast<uint8_t>(value + controller::kModel1PositionMemory));
            break;
        case CMD_ACTION:  // the action number into its RAM byte
            EmitByte(OP_ASSIGN);
            EmitByte(OP_VAR_BYTE);
            EmitByte(controller::kActionNumberMemory);
            EmitByte(OP_CONST_BYTE);
            EmitByte(static_cast<uint8_t>(value + 50));
            EmitByte(OP_END_MARK);
            break;
        default: err = ERR_SYNTAX; break;
    }
}

void Compiler::EmitBitOperand(int32_t tokenIndex, int16_t& err) {
    err = 0;
    if (tokenIndex < 1 || tokenIndex > tokenCount_ || tokens_[tokenIndex].kind != TK_BITNAME) {
        err = ERR_BAD_BIT;
        return;
    }
    const int16_t n = FindVariable(tokens_[tokenIndex].text);
    if (n == 0) {
        err = ERR_NOT_DECLARED;
        return;
    }
    const VarRecord& v = vars_[n];
    if (v.type == VT_BIT) {
        err = ERR_BIT_OF_BIT_TYPE;
        return;
    }
    if (v.type != VT_BYTE && v.type != VT_INTEGER) {
        err = ERR_BAD_BIT;
        return;
    }
    EmitByte(OP_BIT);

    int32_t bit = 0;
    const int32_t bi = tokenIndex + 1;
    if (bi > tokenCount_) {
        err = ERR_BAD_BIT;
        return;
    }
    const Token& bt = tokens_[bi];
    if (bt.kind == TK_BITNUMBER) {
        bit = Compiler::NumberValue(bt);
    } else if (bt.kind == TK_BITNAME) {
        const int16_t k = FindVariable(bt.text);
        if (k == 0) {
            err = ERR_NOT_DECLARED;
            return;
        }
        if (vars_[k].type >= VT_BIT && vars_[k].type <= VT_INTEGER) {
            err = ERR_VARIABLE_AS_BIT;
            return;
        }
        bit = vars_[k].value;
    } else {
        err = ERR_BAD_BIT;
        return;
    }

    int32_t address = v.operand[1];
    if (bit >= 8 && bit <= 15) {
        address += 1;
        bit -= 8;
    } else if (bit < 0 || bit > 7) {
        err = ERR_BIT_RANGE;
        return;
    }
    EmitByte(static_cast<uint8_t>(address));
    EmitByte(static_cast<uint8_t>(1u << bit));
}

void Compiler::EmitChannelOperand(const Token& tok, int16_t allowWord, int16_t& err) {
    err = 0;
    int32_t value = 0;
    if (tok.kind == TK_NUMBER) {
        value = Compiler::NumberValue(tok);
    } else if (tok.kind == TK_WORD) {
        const int16_t n = FindVariable(tok.text);
        if (n == 0) {
            err = ERR_NOT_DECLARED;
            return;
        }
        const VarRecord& v = vars_[n];
        if (v.type == VT_BYTE || v.type == VT_INTEGER) {
            err = ERR_ONLY_NUMBER_OR_CONSTANT;
            return;
        }
        if (v.type == 0 || v.type == VT_BIT) return;
        value = v.value;
    } else {
        err = ERR_NOT_AN_OPERAND;
        return;
    }
    if (value > 7) {
        err = ERR_OVER_RANGE;
        return;
    }
    EmitByte(OP_CONST_BYTE);
    EmitByte(static_cast<uint8_t>(value + 100));
}

void Compiler::SetBitFromOperand(uint8_t& b, int32_t bit, const Token& tok, int16_t& err) {
    err = 0;
    int32_t value = 0;
    if (tok.kind == TK_NUMBER) {
        value = Compiler::NumberValue(tok);
    } else if (tok.kind == TK_WORD) {
        const int16_t n = FindVariable(tok.text);
        if (n == 0) {
            err = ERR_NOT_DECLARED;
            return;
        }
        const VarRecord& v = vars_[n];
        if (v.type >= VT_BIT && v.type <= VT_INTEGER) {
            err = ERR_ONLY_NUMBER_OR_CONSTANT;
            return;
        }
        if (v.type == 0) return;
        value = v.value;
    } else {
        err = ERR_ONLY_NUMBER_OR_CONSTANT;
        return;
    }
    if (value != 0 && value != 1) {
        err = ERR_OVER_RANGE;
        return;
    }
    if (bit < 0 || bit > 7) return;
    const uint8_t mask = static_cast<uint8_t>(1u << bit);
    b = value == 1 ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
}

void Compiler::EmitOperator(const Token& tok, int16_t& err) {
    err = 0;
    if (tok.kind == TK_OPERATOR) {
        switch (tok.code) {
            case OPR_PLUS: EmitByte(OP_ADD); break;
            case OPR_MINUS: EmitByte(OP_SUB); break;
            case OPR_TIMES: EmitByte(OP_MUL); break;
            case OPR_DIVIDE: EmitByte(OP_DIV); break;
            case OPR_PERCENT: EmitByte(OP_MOD); break;
            case OPR_SHIFT_LEFT: EmitByte(OP_SHL); break;
            case OPR_SHIFT_RIGHT: EmitByte(OP_SHR); break;
            default: err = ERR_MISPLACED_WORD; break;
        }
    } else if (tok.kind == TK_COMMAND) {
        switch (tok.code) {
            case CMD_MOD: EmitByte(OP_MOD); break;
            case CMD_AND: EmitByte(OP_AND); break;
            case CMD_OR: EmitByte(OP_OR); break;
            case CMD_XOR: EmitByte(OP_XOR); break;
            default: err = ERR_MISPLACED_WORD; break;
        }
    }
}

}  // namespace qvv2
