// ON: computed jump, timer event handler and interrupt handler.
//
//   ON x GOTO L1, ..., Ln     ->  0xC7 x n  (L1) ... (Ln)
//   ON TIMER(t) GOSUB L       ->  0xC9 t*25 (13 for t = 0)  (L)
//   ON INT GOSUB L            ->  0xC8 (L)
//
// where (L) is a two-byte placeholder with a label fix-up.
#include "Compiler.h"

namespace qvv2 {

namespace {

constexpr int32_t kMaxOnLabels = 255;

bool IsCommandWord(const Token& t, int16_t code) { return t.kind == TK_COMMAND && t.code == code; }

}  // namespace

void Compiler::CompileOn(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t i = first;
    if (last - i < 3) {
        err = ERR_SYNTAX;
        return;
    }
    const Token& selector = TokenAt(i + 1);

    // ON x GOTO L1, L2, ...
    if ((selector.kind == TK_NUMBER || selector.kind == TK_WORD) && IsCommandWord(TokenAt(i + 2), CMD_GOTO)) {
        EmitByte(OP_ON_GOTO);
        int16_t operandErr = 0;
        EmitOperand(selector, 1, operandErr);
        EmitByte(0);
        const int32_t countPos = objPos_;

        int16_t listErr = 0;
        int32_t count = 0;
        int32_t k = i + 3;
        for (;;) {
            ++count;
            if (count > kMaxOnLabels) {
                listErr = ERR_TOO_MANY_LABELS;
                break;
            }
            EmitLabelPlaceholder(FIX_ON_GOTO, TokenAt(k).text);
            if (last - k >= 2) {
                // Labels are separated by commas; a lone last token is
                // always taken as one more label.
                if (TokenAt(k + 1).kind != TK_COMMA) {
                    listErr = ERR_SYNTAX;
                    break;
                }
                k += 2;
            } else if (last - k == 1) {
                k += 1;
            } else {
                break;
            }
        }
        err = listErr != 0 ? listErr : operandErr;
        if (err == 0) PutByteAt(countPos, static_cast<uint8_t>(count));
        return;
    }

    // ON TIMER ( t ) GOSUB L
    if (IsCommandWord(selector, CMD_TIMER)) {
        const Token& open = TokenAt(i + 2);
        const Token& number = TokenAt(i + 3);
        const Token& close = TokenAt(i + 4);
        if (last != i + 6 || open.kind != TK_OPERATOR || open.code != OPR_OPEN || number.kind != TK_NUMBER ||
            close.kind != TK_OPERATOR || close.code != OPR_CLOSE || !IsCommandWord(TokenAt(i + 5), CMD_GOSUB)) {
            err = ERR_SYNTAX;
            return;
        }
        EmitByte(OP_ON_TIMER);
        const int64_t t = NumberValue(number);
        if (t < 0 || t > 10) {
            err = ERR_OVER_RANGE;
            return;
        }
        EmitByte(t == 0 ? 13 : static_cast<uint8_t>(t * 25));
        EmitLabelPlaceholder(FIX_ON_TIMER, TokenAt(i + 6).text);
        return;
    }

    // ON INT GOSUB L
    if (IsCommandWord(selector, CMD_INT) && IsCommandWord(TokenAt(i + 2), CMD_GOSUB) && last == i + 3) {
        EmitByte(OP_ON_INT);
        EmitLabelPlaceholder(FIX_ON_INT, TokenAt(i + 3).text);
        return;
    }

    err = ERR_SYNTAX;
}

}  // namespace qvv2
