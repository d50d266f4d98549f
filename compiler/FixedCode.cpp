// Statements without operands that compile to fixed bytes (program control,
// display control, a beep), and ACTION, which calls a routine built into the
// controller.
#include "Compiler.h"

#include <initializer_list>

namespace qvv2 {

// A statement that stands alone on its line compiles to the given bytes;
// anything after the keyword is error 23 and nothing is written.
static void CompileFixed(Compiler& c, int32_t first, int32_t last, std::initializer_list<uint8_t> bytes, int16_t& err) {
    err = 0;
    if (last != first) {
        err = ERR_SYNTAX;
        return;
    }
    for (uint8_t b : bytes) c.EmitByte(b);
}

void Compiler::CompileBreak(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_BREAK}, err);
}
void Compiler::CompileWait(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_WAIT}, err);
}
// STOP, then WAIT.
void Compiler::CompileStop(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_STOP, OP_WAIT}, err);
}
void Compiler::CompileRun(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_RUN}, err);
}
void Compiler::CompileTimerOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_TIMEROFF}, err);
}
void Compiler::CompileCls(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_CLS}, err);
}
void Compiler::CompileLcdInit(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_LCDINIT}, err);
}
void Compiler::CompileCsOn(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_CSON}, err);
}
void Compiler::CompileCsOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_CSOFF}, err);
}
// The PLAY opcode with one note (pitch 20, duration 2) and the terminator.
void Compiler::CompileBeep(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {OP_PLAY, 20, 2, OP_END_MARK}, err);
}

// END: a jump to its own address, so the program stops there.
void Compiler::CompileEnd(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = ERR_SYNTAX;
        return;
    }
    const int32_t here = objPos_;
    EmitByte(OP_JUMP);
    EmitWord(here);
}

// ACTION n (0..31, the controller types with a built-in routine): stores
// n + 50 as the routine's action number and calls the routine.
void Compiler::CompileAction(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t k = first;
    if (k < 1 || last != k + 1 || k + 1 > tokenCount_ || k + 1 >= static_cast<int32_t>(tokens_.size())) {
        err = ERR_SYNTAX;
        return;
    }
    if (!controller::TypeOf(ctl.Con_Type).builtInRoutine) {
        err = ERR_SYNTAX;
        return;
    }
    EmitTableOperand(CMD_ACTION, tokens_[k + 1], 0, 31, err);
    if (err != 0) return;
    EmitByte(OP_CALL);
    EmitWord(controller::kBuiltInRoutine);
}

}  // namespace qvv2
