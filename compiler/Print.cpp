// PRINT: text and character codes on the controller's display, or one
// number formatted in base 16, 10 or 2.
//   PRINT item, item, ...                 227, 24, items, 0
//   PRINT FORMAT(x, HEX|DEC|BIN)          227, format, x (print encoding)
//   PRINT FORMAT(x, HEX|DEC|BIN, width)   227, format, x (generic), width
#include "Compiler.h"

namespace qvv2 {

namespace {

bool IsOperator(const Token& t, int16_t index) { return t.kind == TK_OPERATOR && t.code == index; }
bool IsNameOrNumber(const Token& t) { return t.kind == TK_WORD || t.kind == TK_NUMBER; }

// The highest token index that may be read.
int32_t TopToken(const Compiler& c) {
    const int32_t stored = static_cast<int32_t>(c.tokens_.size()) - 1;
    return c.tokenCount_ < stored ? c.tokenCount_ : stored;
}

// The format byte of a format keyword, 0 for any other token.
uint8_t FormatByte(const Token& t) {
    if (t.kind != TK_COMMAND) return 0;
    switch (t.code) {
        case CMD_HEX: return OP_PRINT_HEX;
        case CMD_DEC: return OP_PRINT_DEC;
        case CMD_BIN: return OP_PRINT_BIN;
        default: return 0;
    }
}

}  // namespace

void Compiler::CompilePrintItem(const Token& tok, int16_t& err) {
    err = 0;
    if (tok.kind != TK_STRING) {
        err = ERR_ONLY_STRING;
        return;
    }
    for (char16_t ch : tok.text) {
        const int32_t code = AnsiCharCode(ch);
        if (code < 0 || code > 255) {
            // A double-byte character: the display gets two zero bytes.
            EmitByte(0);  // a double-byte character
            EmitByte(0);
        } else {
            EmitByte(static_cast<uint8_t>(code));
        }
    }
}

void Compiler::CompilePrint(int32_t& first, int32_t& lastToken, int16_t& err) {
    err = 0;
    const int32_t k = first;
    const int32_t last = lastToken < TopToken(*this) ? lastToken : TopToken(*this);
    if (k < 1 || last <= k) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_PRINT);

    const Token& second = tokens_[k + 1];
    if (!(second.kind == TK_COMMAND && second.code == CMD_FORMAT)) {
        // Item list: strings, and numbers or constants 1..255 as raw bytes.
        EmitByte(OP_PRINT_LIST);
        int32_t i = k + 1;
        for (;;) {
            const Token& item = tokens_[i];
            if (IsNameOrNumber(item)) {
                EmitValueOperand(item, 1, 255, 0, err);
            } else if (item.kind == TK_STRING) {
                CompilePrintItem(item, err);
            } else {
                err = ERR_SYNTAX;
            }
            if (err != 0) return;
            if (i == last) break;
            if (tokens_[i + 1].kind != TK_COMMA) {
                err = ERR_SYNTAX;
                return;
            }
            if (i + 1 == last) {
                err = ERR_BAD_RIGHT_SIDE;  // trailing comma
                return;
            }
            i += 2;
        }
        EmitByte(OP_END_MARK);
        return;
    }

    // FORMAT ( x , HEX|DEC|BIN [, width] )
    const int32_t n = last - (k + 1);
    if (n != 5 && n != 7) {
        err = ERR_SYNTAX;
        return;
    }
    const Token& x = tokens_[k + 3];
    const Token& format = tokens_[k + 5];
    const uint8_t formatByte = FormatByte(format);
    if (!IsOperator(tokens_[k + 2], OPR_OPEN) || !IsNameOrNumber(x) || tokens_[k + 4].kind != TK_COMMA ||
        formatByte == 0) {
        err = ERR_SYNTAX;
        return;
    }
    if (n == 5) {
        if (!IsOperator(tokens_[k + 6], OPR_CLOSE)) {
            err = ERR_SYNTAX;
            return;
        }
        EmitByte(formatByte);
        EmitPrintOperand(x, 1, format.code, err);
        return;
    }
    const Token& width = tokens_[k + 7];
    if (tokens_[k + 6].kind != TK_COMMA || !IsNameOrNumber(width) || !IsOperator(tokens_[k + 8], OPR_CLOSE)) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(formatByte);
    EmitOperand(x, 1, err);
    if (err != 0) return;
    EmitValueOperand(width, 1, 255, 0, err);
}

}  // namespace qvv2
