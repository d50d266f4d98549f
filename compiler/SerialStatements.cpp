// Serial statements: TX and ETX send a variable, RX and ERX receive into a
// BYTE variable and jump to a label when nothing arrives.
#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr int16_t kErrNotDeclared = 17;
constexpr int16_t kErrSyntax = 23;
constexpr int16_t kErrNotByte = 48;

constexpr int16_t kCmdRx = 58;
constexpr int16_t kCmdErx = 82;

constexpr uint8_t kOpSend = 214;
constexpr uint8_t kOpReceive = 213;
constexpr uint8_t kTypeByte = 2;
constexpr uint8_t kFixupRx = 3;

}  // namespace

void QUARVELv2::CompileTx(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_TX_TABLE, IO_WORD};
    CompileOpcodeStatement(first, last, kOpSend, "o,n", kForms, err);
}

void QUARVELv2::CompileEtx(int32_t& first, int32_t& last, int16_t& err) {
    static const IoOperandForm kForms[] = {IO_ETX_TABLE, IO_WORD};
    CompileOpcodeStatement(first, last, kOpSend, "#,o", kForms, err);
}

// RX setting, variable, label  /  ERX rate, variable, label:
// 213, setting or rate code, the variable's operand bytes, then the label's
// address (patched when labels are resolved).
void QUARVELv2::CompileReceive(int32_t k, int32_t last, int16_t command, int16_t& err) {
    err = 0;
    if (last != k + 5 || last > tokenCount_) {
        err = kErrSyntax;
        return;
    }
    EmitByte(kOpReceive);

    const Token& setting = TokenAt(k + 1);
    const Token& variable = TokenAt(k + 3);
    const bool settingOk =
        setting.kind == TK_NUMBER || (command == kCmdRx && setting.kind == TK_WORD);
    if (!settingOk || TokenAt(k + 2).kind != TK_COMMA || variable.kind != TK_WORD ||
        TokenAt(k + 4).kind != TK_COMMA) {
        err = kErrSyntax;
        return;
    }

    if (command == kCmdRx)
        EmitTableOperand(kCmdRx, setting, 1, 4, err);
    else
        EmitTableOperand(kCmdErx, setting, 0, 1000000, err);
    if (err != 0) return;

    const int16_t v = FindVariable(variable.text);
    if (v <= 0 || v >= static_cast<int32_t>(vars_.size())) {
        err = kErrNotDeclared;
        return;
    }
    if (vars_[v].type != kTypeByte) {
        err = kErrNotByte;
        return;
    }
    EmitOperand(variable, 0, err);
    if (err != 0) return;

    Fixup f;
    f.kind = kFixupRx;
    f.line = currentLine_;
    f.name = TokenAt(k + 5).text;
    f.position = objPos_ + 1;
    if (fixupCount_ < 0) fixupCount_ = 0;
    fixups_.resize(static_cast<size_t>(fixupCount_) + 1);  // index 0 unused
    fixups_.push_back(f);
    ++fixupCount_;
    EmitByte(0);
    EmitByte(0);
}

void QUARVELv2::CompileRx(int32_t& first, int32_t& last, int16_t& err) { CompileReceive(first, last, kCmdRx, err); }

void QUARVELv2::CompileErx(int32_t& first, int32_t& last, int16_t& err) { CompileReceive(first, last, kCmdErx, err); }

}  // namespace qvv2
