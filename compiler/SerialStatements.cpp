// Serial statements: TX and ETX send a variable, RX and ERX receive into a
// BYTE variable and jump to a label when nothing arrives.
#include "Compiler.h"

namespace qvv2 {

void Compiler::CompileTx(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_TX_TABLE, IO_WORD};
    CompileOpcodeStatement(first, last, OP_SEND, "o,n", kForms, err);
}

void Compiler::CompileEtx(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_ETX_TABLE, IO_WORD};
    CompileOpcodeStatement(first, last, OP_SEND, "#,o", kForms, err);
}

// RX setting, variable, label  /  ERX rate, variable, label:
// 213, setting or rate code, the variable's operand bytes, then the label's
// address (patched when labels are resolved).
void Compiler::CompileReceive(int32_t k, int32_t last, int16_t command, int16_t& err) {
    err = 0;
    if (last != k + 5 || last > tokenCount_) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_RECEIVE);

    const Token& setting = TokenAt(k + 1);
    const Token& variable = TokenAt(k + 3);
    const bool settingOk =
        setting.kind == TK_NUMBER || (command == CMD_RX && setting.kind == TK_WORD);
    if (!settingOk || TokenAt(k + 2).kind != TK_COMMA || variable.kind != TK_WORD ||
        TokenAt(k + 4).kind != TK_COMMA) {
        err = ERR_SYNTAX;
        return;
    }

    if (command == CMD_RX)
        EmitTableOperand(CMD_RX, setting, 1, 4, err);
    else
        EmitTableOperand(CMD_ERX, setting, 0, 1000000, err);
    if (err != 0) return;

    const int16_t v = FindVariable(variable.text);
    if (v <= 0 || v >= static_cast<int32_t>(vars_.size())) {
        err = ERR_NOT_DECLARED;
        return;
    }
    if (vars_[v].type != VT_BYTE) {
        err = ERR_ONLY_BYTE_VARIABLE;
        return;
    }
    EmitOperand(variable, 0, err);
    if (err != 0) return;

    EmitLabelPlaceholder(FIX_RX, TokenAt(k + 5).text);
}

void Compiler::CompileRx(int32_t& first, int32_t& last, int16_t& err) { CompileReceive(first, last, CMD_RX, err); }

void Compiler::CompileErx(int32_t& first, int32_t& last, int16_t& err) { CompileReceive(first, last, CMD_ERX, err); }

}  // namespace qvv2
