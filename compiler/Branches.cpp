// GOTO, GOSUB and RETURN.  A jump or call names a label that may be defined
// further down, so its address is written as a two-byte placeholder and a
// label fix-up is left for the label-resolution pass.
#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr uint8_t kOpJump = 0xC4;
constexpr uint8_t kOpCall = 0xC5;
constexpr uint8_t kOpReturn = 0xC6;
constexpr int16_t kCmdAuto = 87;

constexpr uint8_t kFixupGoto = 0;
constexpr uint8_t kFixupGosub = 1;

}  // namespace

void QUARVELv2::AddLabelFixup(uint8_t kind, const std::u16string& name) {
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

void QUARVELv2::CompileGoto(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1) {
        err = 23;
        return;
    }
    const Token& target = TokenAt(first + 1);
    // On controllers with a built-in routine, GOTO AUTO clears the byte at RAM
    // 64 and jumps to the routine at 10024.  Elsewhere AUTO is a label name.
    if (target.kind == TK_COMMAND && target.code == kCmdAuto &&
        (Con_Type == 4 || Con_Type == 8 || Con_Type == 9)) {
        for (uint8_t b : {0xD0, 0x15, 0x40, 0x10, 0x00, 0xC4, 0x28, 0x27}) EmitByte(b);
        return;
    }
    EmitByte(kOpJump);
    AddLabelFixup(kFixupGoto, target.text);
    EmitByte(0);
    EmitByte(0);
}

void QUARVELv2::CompileGosub(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1) {
        err = 23;
        return;
    }
    EmitByte(kOpCall);
    AddLabelFixup(kFixupGosub, TokenAt(first + 1).text);
    EmitByte(0);
    EmitByte(0);
}

void QUARVELv2::CompileReturn(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = 23;
        return;
    }
    EmitByte(kOpReturn);
}

}  // namespace qvv2
