// GOTO, GOSUB and RETURN.  A jump or call names a label that may be defined
// further down, so its address is written as a two-byte placeholder and a
// label fix-up is left for the label-resolution pass.
#include "Compiler.h"

#include <initializer_list>

namespace qvv2 {

void Compiler::CompileGoto(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1) {
        err = ERR_SYNTAX;
        return;
    }
    const Token& target = TokenAt(first + 1);
    // On controllers with a built-in routine, GOTO AUTO clears the routine's
    // action number and jumps to the routine.  Elsewhere AUTO is a label name.
    if (target.kind == TK_COMMAND && target.code == CMD_AUTO && controller::TypeOf(ctl.Con_Type).builtInRoutine) {
        for (uint8_t b : std::initializer_list<uint8_t>{OP_ASSIGN, OP_VAR_BYTE, controller::kActionNumberMemory,
                                                        OP_CONST_SMALL, OP_END_MARK})
            EmitByte(b);
        EmitByte(OP_JUMP);
        EmitWord(controller::kBuiltInRoutine);
        return;
    }
    EmitByte(OP_JUMP);
    EmitLabelPlaceholder(FIX_GOTO, target.text);
}

void Compiler::CompileGosub(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first + 1) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_CALL);
    EmitLabelPlaceholder(FIX_GOSUB, TokenAt(first + 1).text);
}

void Compiler::CompileReturn(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_RETURN);
}

}  // namespace qvv2
