// Assignment statements: a variable (or one bit of it) on the left, "=" and a
// right side that is an expression, one string, a bit reference or one of the
// input functions of the dialect.  One assignment compiles to
//   208, target, right side, 0
// where the target is the variable's operand bytes or a bit reference
// (27, address, mask).
#include <string>

#include "QUARVELv2.h"
#include "Text.h"

namespace qvv2 {

namespace {

constexpr uint8_t kOpAssign = 208;  // 0xD0
constexpr uint8_t kEndOfStatement = 0;

// Operator table indexes of the operators read here.
constexpr int16_t kOpEquals = 7;
constexpr int16_t kOpOpen = 5;
constexpr int16_t kOpClose = 6;

// Command numbers of the input functions.
constexpr int16_t kCmdBytein = 27;
constexpr int16_t kCmdRnd = 26;
constexpr int16_t kCmdPeek = 29;
constexpr int16_t kCmdRompeek = 31;
constexpr int16_t kCmdIn = 17;
constexpr int16_t kCmdInkey = 53;
constexpr int16_t kCmdState = 54;
constexpr int16_t kCmdChoice = 55;
constexpr int16_t kCmdFin = 66;
constexpr int16_t kCmdVexain = 67;
constexpr int16_t kCmdAd = 80;
constexpr int16_t kCmdKeyin = 81;
constexpr int16_t kCmdRemocon = 100;
constexpr int16_t kCmdNot = 101;
constexpr int16_t kCmdAimotorin = 102;
constexpr int16_t kCmdSonar = 103;
constexpr int16_t kCmdRcin = 115;
constexpr int16_t kCmdMotorin = 117;
constexpr int16_t kCmdTilt = 134;
constexpr int16_t kCmdGps = 135;
constexpr int16_t kCmdGpm = 136;
constexpr int16_t kCmdGpl = 137;

constexpr int32_t kMaxChoiceValues = 255;

bool IsOperator(const Token& t, int16_t index) { return t.kind == TK_OPERATOR && t.code == index; }
bool IsNameOrNumber(const Token& t) { return t.kind == TK_WORD || t.kind == TK_NUMBER; }

// The highest token index that may be read.
int32_t TopToken(const QUARVELv2& c) {
    const int32_t stored = static_cast<int32_t>(c.tokens_.size()) - 1;
    return c.tokenCount_ < stored ? c.tokenCount_ : stored;
}

}  // namespace

int32_t QUARVELv2::AnsiCharCode(char16_t ch) const {
    // The four code pages agree with ASCII below 0x80.
    if (ch < 0x80) return ch;
    const std::string bytes = ToAnsi(std::u16string(1, ch), CodePage);
    if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 2) {
        const int32_t v = (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
        return static_cast<int16_t>(static_cast<uint16_t>(v));
    }
    return '?';
}

void QUARVELv2::CompileAssignment(int32_t& first, int32_t& lastToken, int16_t& err) {
    err = 0;
    const int32_t last = lastToken < TopToken(*this) ? lastToken : TopToken(*this);
    if (first < 1 || first > last) {
        err = 17;
        return;
    }
    const Token& target = tokens_[first];

    // The target must be a declared variable, not a constant.
    const int16_t n = FindVariable(target.text);
    if (n == 0) {
        err = 17;
    } else if (vars_[n].type >= 4) {
        err = 16;
    }
    // A failed assignment still ends with its 0 (the compile stops anyway);
    // only a failing bit target below returns without it.
    if (err != 0) {
        EmitByte(kEndOfStatement);
        return;
    }

    EmitByte(kOpAssign);
    int32_t t = first;
    if (target.kind == TK_BITNAME) {
        // name.bit: the bit token and at least "=" must follow.
        if (first + 2 > last) {
            err = 23;
            return;
        }
        EmitBitOperand(first, err);
        if (err != 0) return;
        t = first + 2;
    } else {
        EmitByte(vars_[n].operand[0]);
        EmitByte(vars_[n].operand[1]);
        t = first + 1;
    }

    if (t > last || !IsOperator(tokens_[t], kOpEquals)) {
        err = 18;
    } else {
        CompileRightSide(t + 1, last, err);
    }
    EmitByte(kEndOfStatement);
}

void QUARVELv2::CompileRightSide(int32_t first, int32_t last, int16_t& err) {
    err = 0;
    if (last > TopToken(*this)) last = TopToken(*this);
    // Nothing behind "=" (an empty string "" makes no token either).
    if (first < 1 || first > last) {
        err = 19;
        return;
    }
    const Token& tok = tokens_[first];
    switch (tok.kind) {
        case TK_WORD:
        case TK_NUMBER:
            CompileExpression(first, last, 1, err);
            return;

        case TK_BITNAME:
            // name.bit must end the line.
            if (first + 1 != last) {
                err = 19;
                return;
            }
            EmitBitOperand(first, err);
            return;

        case TK_STRING: {
            if (first != last) {
                err = 19;
                return;
            }
            // The code of the first character, as a one-byte number.
            int32_t value = tok.text.empty() ? 0 : AnsiCharCode(tok.text[0]);
            if (value < 0 || value > 255) value = 0;
            const Token number{NumberText(value), TK_NUMBER, static_cast<int16_t>(value <= 1 ? 1 : 2)};
            EmitOperand(number, 0, err);
            return;
        }

        case TK_COMMAND:
            CompileInputFunction(first, last, err);
            return;

        default:
            err = 19;
            return;
    }
}

void QUARVELv2::CompileExpression(int32_t first, int32_t last, int16_t allowWord, int16_t& err) {
    err = 0;
    if (last > TopToken(*this)) last = TopToken(*this);
    if (first < 1 || first > last) {
        err = 19;
        return;
    }
    int32_t i = first;
    for (;;) {
        EmitOperand(tokens_[i], allowWord, err);
        if (err != 0 || i == last) return;

        const Token& op = tokens_[i + 1];
        if (op.kind != TK_OPERATOR && op.kind != TK_COMMAND) {
            err = 19;  // two operands in a row
            return;
        }
        EmitOperator(op, err);
        if (err != 0) return;
        if (i + 1 == last) {
            err = 19;  // the expression ends with an operator
            return;
        }
        i += 2;
    }
}

void QUARVELv2::CompileInputFunction(int32_t k, int32_t last, int16_t& err) {
    err = 0;
    if (last > TopToken(*this)) last = TopToken(*this);
    if (k < 1 || k > last || tokens_[k].kind != TK_COMMAND) {
        err = 19;
        return;
    }
    const int16_t command = tokens_[k].code;

    // Functions without an argument stand alone at the end of the line.
    if (command == kCmdRnd || command == kCmdVexain) {
        if (k != last) {
            err = 19;
            return;
        }
        EmitByte(command == kCmdRnd ? 248 : 244);
        return;
    }

    if (command == kCmdKeyin) {
        // KEYIN(a, b): exactly "(", a, ",", b, ")".
        if (last != k + 5 || !IsOperator(tokens_[k + 1], kOpOpen) || !IsNameOrNumber(tokens_[k + 2]) ||
            tokens_[k + 3].kind != TK_COMMA || !IsNameOrNumber(tokens_[k + 4]) ||
            !IsOperator(tokens_[k + 5], kOpClose)) {
            err = 19;
            return;
        }
        EmitByte(241);
        EmitOperand(tokens_[k + 2], 0, err);
        if (err != 0) return;
        EmitOperand(tokens_[k + 4], 0, err);
        return;
    }

    if (command == kCmdChoice) {
        // CHOICE(x, value, value, ...): 247, count, x, each value as a word.
        if (last < k + 5 || !IsOperator(tokens_[k + 1], kOpOpen) || !IsOperator(tokens_[last], kOpClose)) {
            err = 19;
            return;
        }
        const int32_t end = last - 1;  // the ")" is not part of the list
        if (!IsNameOrNumber(tokens_[k + 2]) || tokens_[k + 3].kind != TK_COMMA) {
            err = 19;
            return;
        }
        EmitByte(247);
        EmitByte(0);
        const int32_t countPos = objPos_;
        EmitOperand(tokens_[k + 2], 1, err);
        if (err != 0) return;
        int32_t count = 0;
        int32_t i = k + 4;
        while (i <= end) {
            ++count;
            if (count > kMaxChoiceValues) {
                err = 49;
                return;
            }
            EmitValueOperand(tokens_[i], 0, 65535, 1, err);
            if (err != 0) return;
            ++i;
            if (i > end) break;
            if (tokens_[i].kind != TK_COMMA) {
                err = 23;
                return;
            }
            ++i;
        }
        PutByteAt(countPos, static_cast<uint8_t>(count));
        return;
    }

    // Every other function takes one argument in parentheses: "(", x, ")".
    uint8_t opcode = 0;
    enum { ByteArg, WordArg, PeekArg, ChannelArg, RawByteArg } form = ByteArg;
    switch (command) {
        case kCmdIn: opcode = 240; break;
        case kCmdRemocon: opcode = 251; break;
        case kCmdMotorin: opcode = 254; break;
        case kCmdAimotorin: opcode = 252; break;
        case kCmdSonar: opcode = 253; break;
        case kCmdTilt: opcode = 144; break;
        case kCmdGps: opcode = 145; break;
        case kCmdGpm: opcode = 146; break;
        case kCmdGpl: opcode = 147; break;
        case kCmdNot: opcode = 239; form = WordArg; break;
        case kCmdInkey: opcode = 241; break;
        case kCmdState: opcode = 246; break;
        case kCmdBytein: opcode = 242; break;
        case kCmdPeek: opcode = 249; form = PeekArg; break;
        case kCmdRompeek: opcode = 250; form = WordArg; break;
        case kCmdRcin: opcode = 243; form = ChannelArg; break;
        case kCmdFin: opcode = 243; form = RawByteArg; break;
        case kCmdAd: opcode = 243; break;
        default:
            err = 19;  // a keyword that is no input function
            return;
    }
    if (last != k + 3 || !IsOperator(tokens_[k + 1], kOpOpen) || !IsOperator(tokens_[k + 3], kOpClose)) {
        err = 19;
        return;
    }
    const Token& arg = tokens_[k + 2];
    if (form == PeekArg && !IsNameOrNumber(arg)) {
        err = 19;
        return;
    }
    EmitByte(opcode);
    switch (form) {
        case ByteArg: EmitOperand(arg, 0, err); break;
        case WordArg: EmitOperand(arg, 1, err); break;
        // The first controller model addresses its RAM with one byte.
        case PeekArg: EmitOperand(arg, Con_ID == 1 ? 0 : 1, err); break;
        case ChannelArg: EmitChannelOperand(arg, 0, err); break;
        case RawByteArg: EmitTableOperand(kCmdFin, arg, 0, 255, err); break;
    }
}

}  // namespace qvv2
