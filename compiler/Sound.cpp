// Sound statements: PLAY and MUSIC with a music string (compiler/Music.cpp),
// MUSIC's background-music controls and SOUND's pitch and length pairs.
#include "Compiler.h"

namespace qvv2 {

void Compiler::CompilePlay(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1 || last > tokenCount_) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_PLAY);
    CompilePlayString(TokenAt(first + 1), err);
}

void Compiler::CompileMusic(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1 || last > tokenCount_) {
        err = ERR_SYNTAX;
        return;
    }
    const Token& arg = TokenAt(first + 1);
    if (arg.kind != TK_COMMAND) {
        EmitByte(OP_MUSIC);
        CompileMusicString(arg, err);
        return;
    }
    switch (arg.code) {
        case CMD_START: EmitByte(OP_MUSIC_START); break;
        case CMD_STOP: EmitByte(OP_MUSIC_STOP); break;
        case CMD_AUTO: EmitByte(OP_MUSIC_AUTO); break;
        case CMD_RESTART: EmitByte(OP_MUSIC_RESTART); break;
        default: err = ERR_SYNTAX; break;
    }
}

void Compiler::CompileSound(int32_t& first, int32_t& last, int16_t& err) {
    int32_t count = 0;
    CompileOperandList(first, last, OP_SOUND, count, err);
    // Operands come in pitch and length pairs.
    if (err == 0 && count % 2 != 0) err = ERR_NO_MUSIC_LENGTH;
}

}  // namespace qvv2
