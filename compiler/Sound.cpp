// Sound statements: PLAY and MUSIC with a music string (compiler/Music.cpp),
// MUSIC's background-music controls and SOUND's pitch and length pairs.
#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr int16_t kErrSyntax = 23;
constexpr int16_t kErrNoLength = 44;

constexpr uint8_t kOpPlay = 207;
constexpr uint8_t kOpMusic = 186;
constexpr uint8_t kOpSound = 206;

}  // namespace

void QUARVELv2::CompilePlay(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1 || last > tokenCount_) {
        err = kErrSyntax;
        return;
    }
    EmitByte(kOpPlay);
    CompilePlayString(TokenAt(first + 1), err);
}

void QUARVELv2::CompileMusic(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1 || last > tokenCount_) {
        err = kErrSyntax;
        return;
    }
    const Token& arg = TokenAt(first + 1);
    if (arg.kind != TK_COMMAND) {
        EmitByte(kOpMusic);
        CompileMusicString(arg, err);
        return;
    }
    switch (arg.code) {
        case 86: EmitByte(187); break;  // START
        case 70: EmitByte(188); break;  // STOP
        case 87: EmitByte(189); break;  // AUTO
        case 88: EmitByte(190); break;  // RESTART
        default: err = kErrSyntax; break;
    }
}

void QUARVELv2::CompileSound(int32_t& first, int32_t& last, int16_t& err) {
    int32_t count = 0;
    CompileOperandList(first, last, kOpSound, count, err);
    // Operands come in pitch and length pairs.
    if (err == 0 && count % 2 != 0) err = kErrNoLength;
}

}  // namespace qvv2
