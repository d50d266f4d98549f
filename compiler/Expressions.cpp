// Assignment statements: a variable (or one bit of it) on the left, "=" and a
// right side that is an expression, one string, a bit reference or one of the
// input functions of the dialect.  One assignment compiles to
//   208, target, right side, 0
// where the target is the variable's operand bytes or a bit reference
// (27, address, mask).
#include "Compiler.h"

#include <string>

#include "Text.h"

namespace qvv2 {

namespace {

constexpr int32_t kMaxChoiceValues = 255;

bool IsOperator(const Token& t, int16_t index) { return t.kind == TK_OPERATOR && t.code == index; }
bool IsNameOrNumber(const Token& t) { return t.kind == TK_WORD || t.kind == TK_NUMBER; }

// The highest token index that may be read.
int32_t TopToken(const Compiler& c) {
    const int32_t stored = static_cast<int32_t>(c.tokens_.size()) - 1;
    return c.tokenCount_ < stored ? c.tokenCount_ : stored;
}

}  // namespace

int32_t Compiler::AnsiCharCode(char16_t ch) const {
    // The four code pages agree with ASCII below 0x80.
    if (ch < 0x80) return ch;
    const std::string bytes = ToAnsi(std::u16string(1, ch), ctl.CodePage);
    if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 2) {
        const int32_t v = (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
        return static_cast<int16_t>(static_cast<uint16_t>(v));
    }
    return '?';
}

void Compiler::CompileAssignment(int32_t& first, int32_t& lastToken, int16_t& err) {
    err = 0;
    const int32_t last = lastToken < TopToken(*this) ? lastToken : TopToken(*this);
    if (first < 1 || first > last) {
        err = ERR_NOT_DECLARED;
        return;
    }
    const Token& target = tokens_[first];

    // The target must be a declared variable, not a constant.
    const int16_t n = FindVariable(target.text);
    if (n == 0) {
        err = ERR_NOT_DECLARED;
    } else if (vars_[n].type >= VT_CONST) {
        err = ERR_ASSIGN_TO_CONSTANT;
    }
    // A failed assignment still ends with its 0 (the compile stops anyway);
    // only a failing bit target below returns without it.
    if (err != 0) {
        EmitByte(OP_END_MARK);
        return;
    }

    EmitByte(OP_ASSIGN);
    int32_t t = first;
    if (target.kind == TK_BITNAME) {
        // name.bit: the bit token and at least "=" must follow.
        if (first + 2 > last) {
            err = ERR_SYNTAX;
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

    if (t > last || !IsOperator(tokens_[t], OPR_EQUAL)) {
        err = ERR_NOT_AN_ASSIGNMENT;
    } else {
        CompileRightSide(t + 1, last, err);
    }
    EmitByte(OP_END_MARK);
}

void Compiler::CompileRightSide(int32_t first, int32_t last, int16_t& err) {
    err = 0;
    if (last > TopToken(*this)) last = TopToken(*this);
    // Nothing behind "=" (an empty string "" makes no token either).
    if (first < 1 || first > last) {
        err = ERR_BAD_RIGHT_SIDE;
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
                err = ERR_BAD_RIGHT_SIDE;
                return;
            }
            EmitBitOperand(first, err);
            return;

        case TK_STRING: {
            if (first != last) {
                err = ERR_BAD_RIGHT_SIDE;
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
            err = ERR_BAD_RIGHT_SIDE;
            return;
    }
}

void Compiler::CompileExpression(int32_t first, int32_t last, int16_t allowWord, int16_t& err) {
    err = 0;
    if (last > TopToken(*this)) last = TopToken(*this);
    if (first < 1 || first > last) {
        err = ERR_BAD_RIGHT_SIDE;
        return;
    }
    int32_t i = first;
    for (;;) {
        EmitOperand(tokens_[i], allowWord, err);
        if (err != 0 || i == last) return;

        const Token& op = tokens_[i + 1];
        if (op.kind != TK_OPERATOR && op.kind != TK_COMMAND) {
            err = ERR_BAD_RIGHT_SIDE;  // two operands in a row
            return;
        }
        EmitOperator(op, err);
        if (err != 0) return;
        if (i + 1 == last) {
            err = ERR_BAD_RIGHT_SIDE;  // the expression ends with an operator
            return;
        }
        i += 2;
    }
}

void Compiler::CompileInputFunction(int32_t k, int32_t last, int16_t& err) {
    err = 0;
    if (last > TopToken(*this)) last = TopToken(*this);
    if (k < 1 || k > last || tokens_[k].kind != TK_COMMAND) {
        err = ERR_BAD_RIGHT_SIDE;
        return;
    }
    const int16_t command = tokens_[k].code;

    // Functions without an argument stand alone at the end of the line.
    if (command == CMD_RND || command == CMD_VEXAIN) {
        if (k != last) {
            err = ERR_BAD_RIGHT_SIDE;
            return;
        }
        EmitByte(command == CMD_RND ? OP_RND : OP_VEXAIN);
        return;
    }

    if (command == CMD_KEYIN) {
        // KEYIN(a, b): exactly "(", a, ",", b, ")".
        if (last != k + 5 || !IsOperator(tokens_[k + 1], OPR_OPEN) || !IsNameOrNumber(tokens_[k + 2]) ||
            tokens_[k + 3].kind != TK_COMMA || !IsNameOrNumber(tokens_[k + 4]) ||
            !IsOperator(tokens_[k + 5], OPR_CLOSE)) {
            err = ERR_BAD_RIGHT_SIDE;
            return;
        }
        EmitByte(OP_INKEY);
        EmitOperand(tokens_[k + 2], 0, err);
        if (err != 0) return;
        EmitOperand(tokens_[k + 4], 0, err);
        return;
    }

    if (command == CMD_CHOICE) {
        // CHOICE(x, value, value, ...): 247, count, x, each value as a word.
        if (last < k + 5 || !IsOperator(tokens_[k + 1], OPR_OPEN) || !IsOperator(tokens_[last], OPR_CLOSE)) {
            err = ERR_BAD_RIGHT_SIDE;
            return;
        }
        const int32_t end = last - 1;  // the ")" is not part of the list
        if (!IsNameOrNumber(tokens_[k + 2]) || tokens_[k + 3].kind != TK_COMMA) {
            err = ERR_BAD_RIGHT_SIDE;
            return;
        }
        EmitByte(OP_CHOICE);
        EmitByte(0);  // the value count, patched below
        const int32_t countPos = objPos_;
        EmitOperand(tokens_[k + 2], 1, err);
        if (err != 0) return;
        int32_t count = 0;
        int32_t i = k + 4;
        while (i <= end) {
            ++count;
            if (count > kMaxChoiceValues) {
                err = ERR_TOO_MANY_VALUES;
                return;
            }
            EmitValueOperand(tokens_[i], 0, 65535, 1, err);
            if (err != 0) return;
            ++i;
            if (i > end) break;
            if (tokens_[i].kind != TK_COMMA) {
                err = ERR_SYNTAX;
                return;
            }
            ++i;
        }
        PutByteAt(countPos, static_cast<uint8_t>(count));
        return;
    }

    // Every other function takes one argument in parentheses: "(", x, ")".
    uint8_t opcode = 0;
    enum { ByteArg, MotorArg, WordArg, PeekArg, ChannelArg, RawByteArg } form = ByteArg;
    switch (command) {
        case CMD_IN: opcode = OP_IN; break;
        case CMD_REMOCON: opcode = OP_REMOCON; break;
        case CMD_MOTORIN: opcode = OP_MOTORIN; form = MotorArg; break;
        case CMD_AIMOTORIN: opcode = OP_AIMOTORIN; form = MotorArg; break;
        case CMD_SONAR: opcode = OP_SONAR; break;
        case CMD_TILT: opcode = OP_TILT; break;
        case CMD_GPS: opcode = OP_GPS; break;
        case CMD_GPM: opcode = OP_GPM; break;
        case CMD_GPL: opcode = OP_GPL; break;
        case CMD_NOT: opcode = OP_NOT; form = WordArg; break;
        case CMD_INKEY: opcode = OP_INKEY; break;
        case CMD_STATE: opcode = OP_STATE; break;
        case CMD_BYTEIN: opcode = OP_BYTEIN; break;
        case CMD_PEEK: opcode = OP_PEEK; form = PeekArg; break;
        case CMD_ROMPEEK: opcode = OP_ROMPEEK; form = WordArg; break;
        case CMD_RCIN: opcode = OP_AD; form = ChannelArg; break;
        case CMD_FIN: opcode = OP_AD; form = RawByteArg; break;
        case CMD_AD: opcode = OP_AD; break;
        default:
            err = ERR_BAD_RIGHT_SIDE;  // a keyword that is no input function
            return;
    }
    if (last != k + 3 || !IsOperator(tokens_[k + 1], OPR_OPEN) || !IsOperator(tokens_[k + 3], OPR_CLOSE)) {
        err = ERR_BAD_RIGHT_SIDE;
        return;
    }
    const Token& arg = tokens_[k + 2];
    if (form == PeekArg && !IsNameOrNumber(arg)) {
        err = ERR_BAD_RIGHT_SIDE;
        return;
    }
    // A motor the model does not have, given as a number or a constant.
    if (form == MotorArg && MotorAboveTheModel(arg)) {
        err = ERR_OVER_RANGE;
        return;
    }
    EmitByte(opcode);
    switch (form) {
        case ByteArg:
        case MotorArg: EmitOperand(arg, 0, err); break;
        case WordArg: EmitOperand(arg, 1, err); break;
        // A model with one-byte memory addresses takes a byte operand.
        case PeekArg: EmitOperand(arg, Model().twoByteAddress ? 1 : 0, err); break;
        case ChannelArg: EmitChannelOperand(arg, 0, err); break;
        case RawByteArg: EmitTableOperand(CMD_FIN, arg, 0, 255, err); break;
    }
}

}  // namespace qvv2
