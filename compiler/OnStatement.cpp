// ON: computed jump, timer event handler and interrupt handler.
//
//   ON x GOTO L1, ..., Ln     ->  0xC7 x n  (L1) ... (Ln)
//   ON TIMER(t) GOSUB L       ->  0xC9 t*25 (13 for t = 0)  (L)
//   ON INT GOSUB L            ->  0xC8 (L)
//
// where (L) is a two-byte placeholder with a label fix-up.
#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr uint8_t kOpOnGoto = 0xC7;
constexpr uint8_t kOpOnInt = 0xC8;
constexpr uint8_t kOpOnTimer = 0xC9;

constexpr int16_t kCmdGoto = 13;
constexpr int16_t kCmdGosub = 15;
constexpr int16_t kCmdInt = 56;
constexpr int16_t kCmdTimer = 59;
constexpr int16_t kOpOpen = 5;
constexpr int16_t kOpClose = 6;

constexpr uint8_t kFixupOnGoto = 2;
constexpr uint8_t kFixupOnTimer = 4;
constexpr uint8_t kFixupOnInt = 5;

constexpr int32_t kMaxOnLabels = 255;

bool IsCommandWord(const Token& t, int16_t code) { return t.kind == TK_COMMAND && t.code == code; }

}  // namespace

void QUARVELv2::CompileOn(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t i = first;
    if (last - i < 3) {
        err = 23;
        return;
    }
    const Token& selector = TokenAt(i + 1);

    // ON x GOTO L1, L2, ...
    if ((selector.kind == TK_NUMBER || selector.kind == TK_WORD) && IsCommandWord(TokenAt(i + 2), kCmdGoto)) {
        EmitByte(kOpOnGoto);
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
                listErr = 37;
                break;
            }
            AddLabelFixup(kFixupOnGoto, TokenAt(k).text);
            EmitByte(0);
            EmitByte(0);
            if (last - k >= 2) {
                // Labels are separated by commas; a lone last token is
                // always taken as one more label.
                if (TokenAt(k + 1).kind != TK_COMMA) {
                    listErr = 23;
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
    if (IsCommandWord(selector, kCmdTimer)) {
        const Token& open = TokenAt(i + 2);
        const Token& number = TokenAt(i + 3);
        const Token& close = TokenAt(i + 4);
        if (last != i + 6 || open.kind != TK_OPERATOR || open.code != kOpOpen || number.kind != TK_NUMBER ||
            close.kind != TK_OPERATOR || close.code != kOpClose || !IsCommandWord(TokenAt(i + 5), kCmdGosub)) {
            err = 23;
            return;
        }
        EmitByte(kOpOnTimer);
        const int64_t t = NumberValue(number);
        if (t < 0 || t > 10) {
            err = 41;
            return;
        }
        EmitByte(t == 0 ? 13 : static_cast<uint8_t>(t * 25));
        AddLabelFixup(kFixupOnTimer, TokenAt(i + 6).text);
        EmitByte(0);
        EmitByte(0);
        return;
    }

    // ON INT GOSUB L
    if (IsCommandWord(selector, kCmdInt) && IsCommandWord(TokenAt(i + 2), kCmdGosub) && last == i + 3) {
        EmitByte(kOpOnInt);
        AddLabelFixup(kFixupOnInt, TokenAt(i + 3).text);
        EmitByte(0);
        EmitByte(0);
        return;
    }

    err = 23;
}

}  // namespace qvv2
