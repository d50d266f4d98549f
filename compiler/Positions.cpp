// Position blocks (POS) and MOVEPOS for the controller types 2 and 5, and the
// group form of MOVEPOS for every other type.  MOVEPOS leaves a label fix-up
// whose kind tells the label resolution which position block it must land
// on.
#include "Compiler.h"

namespace qvv2 {

namespace {

// Fix-up kind of the MOVEPOS group form by group word; 0 for no group word.
uint8_t GroupFixupKind(int16_t command) {
    switch (command) {
        case CMD_G6A: return FIX_MOVEPOS_G6A;
        case CMD_G6B: return FIX_MOVEPOS_G6B;
        case CMD_G6C: return FIX_MOVEPOS_G6C;
        case CMD_G6D: return FIX_MOVEPOS_G6D;
        case CMD_G6E: return FIX_MOVEPOS_G6E;
        case CMD_G8A: return FIX_MOVEPOS_G8A;
        case CMD_G8B: return FIX_MOVEPOS_G8B;
        case CMD_G8C: return FIX_MOVEPOS_G8C;
        case CMD_G8D: return FIX_MOVEPOS_G8D;
        case CMD_G12: return FIX_MOVEPOS_G12;
        case CMD_G16: return FIX_MOVEPOS_G16;
        case CMD_G24: return FIX_MOVEPOS_G24;
        case CMD_G32: return FIX_MOVEPOS_G32;
        default: return 0;
    }
}

void CompileMovePosLabel(Compiler& c, uint8_t opcode, uint8_t kind, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    if (c.StatementEnd(first, last) != first + 1) {
        err = ERR_SYNTAX;
        return;
    }
    if (c.CommandEnabled(CMD_MOVEPOS) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    c.EmitByte(opcode);
    c.EmitLabelPlaceholder(kind, c.tokens_[first + 1].text);
}

// POS for types 2 and 5: a header and exactly six positions.
void CompilePosBlock(Compiler& c, bool type5, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    if (first < 0) {
        err = ERR_SYNTAX;
        return;
    }
    if (c.CommandEnabled(CMD_POS) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    if (type5) {
        c.EmitByte(OP_POS_TABLE);
        c.EmitByte(0);  // motors 0..5
        c.EmitByte(6);
    } else {
        c.EmitByte(OP_POS_TYPE2);
    }
    c.CompileServoValues(first + 1, end, 0, 6, 10, 190, err);
}

}  // namespace

void Compiler::CompileMovePosStatement(int32_t& first, int32_t& last, int16_t& err) {
    switch (ctl.Con_Type) {
        case 2: CompileMovePosType2(first, last, err); break;
        case 5: CompileMovePosType5(first, last, err); break;
        default: CompileMovePosGroup(first, last, err); break;
    }
}

void Compiler::CompilePosStatement(int32_t& first, int32_t& last, int16_t& err) {
    switch (ctl.Con_Type) {
        case 2: CompilePosType2(first, last, err); break;
        case 5: CompilePosType5(first, last, err); break;
        default: CompilePos(first, last, err); break;
    }
}

void Compiler::CompileMovePosType2(int32_t& first, int32_t& last, int16_t& err) {
    CompileMovePosLabel(*this, OP_MOVEPOS_TYPE2, FIX_MOVEPOS_TYPE2, first, last, err);
}

void Compiler::CompileMovePosType5(int32_t& first, int32_t& last, int16_t& err) {
    CompileMovePosLabel(*this, OP_MOVEPOS, FIX_MOVEPOS_G6A, first, last, err);
}

// MOVEPOS group , label
void Compiler::CompileMovePosGroup(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (StatementEnd(first, last) != first + 3) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_MOVEPOS);
    const Token& group = tokens_[first + 1];
    if (group.kind != TK_COMMAND || tokens_[first + 2].kind != TK_COMMA) {
        err = ERR_SYNTAX;
        return;
    }
    if (CommandEnabled(group.code) == 0) {
        err = ERR_NO_SUPPORT;
        return;
    }
    const uint8_t kind = GroupFixupKind(group.code);
    if (kind == 0) {
        err = ERR_SYNTAX;
        return;
    }
    EmitLabelPlaceholder(kind, tokens_[first + 3].text);
}

void Compiler::CompilePosType2(int32_t& first, int32_t& last, int16_t& err) {
    CompilePosBlock(*this, false, first, last, err);
}

void Compiler::CompilePosType5(int32_t& first, int32_t& last, int16_t& err) {
    CompilePosBlock(*this, true, first, last, err);
}

}  // namespace qvv2
