// FOR and NEXT.
//
//   FOR v = a TO b   ->  0xC1 v a   0xC3 v b exit-low exit-high
//   NEXT [v]         ->  0xC2 v head-low head-high
//
// The loop head is the 0xC3; NEXT jumps back to it, and the head's exit
// address (a placeholder until then) is patched by NEXT with the address of
// the code after the NEXT.  Loops nest without a fixed limit and close
// innermost first.
#include "Compiler.h"

namespace qvv2 {

void Compiler::CompileFor(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t k = first;
    if (last != k + 5) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_FOR_INIT);

    const Token& var = TokenAt(k + 1);
    const Token& eq = TokenAt(k + 2);
    const Token& to = TokenAt(k + 4);
    if (var.kind != TK_WORD || eq.kind != TK_OPERATOR || eq.code != OPR_EQUAL || to.kind != TK_COMMAND ||
        to.code != CMD_TO) {
        err = ERR_SYNTAX;
        return;
    }
    const int16_t n = FindVariable(var.text);
    if (n <= 0 || n >= static_cast<int32_t>(vars_.size())) {
        err = ERR_NOT_DECLARED;
        return;
    }
    if (vars_[n].type >= VT_CONST) {
        err = ERR_ONLY_VARIABLE;
        return;
    }

    ++ForNesting;
    ForLoops.resize(static_cast<size_t>(ForNesting) + 1);
    ForRecord& rec = ForLoops[ForNesting];
    rec = ForRecord();
    rec.Line = currentLine_;
    rec.LoopVar = UCase(var.text);

    EmitOperand(var, 1, err);
    if (err != 0) return;
    EmitOperand(TokenAt(k + 3), 1, err);
    if (err != 0) return;

    rec.LoopHeadPos = objPos_;
    EmitByte(OP_FOR_HEAD);
    EmitOperand(var, 1, err);
    if (err != 0) return;
    EmitOperand(TokenAt(k + 5), 1, err);
    if (err != 0) return;

    rec.ExitJumpPos = EmitPlaceholder();
}

void Compiler::CompileNext(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t k = first;
    if (last != k && last != k + 1) {
        err = ERR_SYNTAX;
        return;
    }
    EmitByte(OP_NEXT);
    if (ForNesting < 1 || ForNesting >= static_cast<int32_t>(ForLoops.size())) {
        err = ERR_NO_FOR;
        return;
    }
    const ForRecord rec = ForLoops[ForNesting];

    if (last == k + 1) {
        const Token& var = TokenAt(k + 1);
        if (UCase(var.text) != rec.LoopVar) {
            err = ERR_FOR_NEXT_MISMATCH;
            return;
        }
        EmitOperand(var, 1, err);
        if (err != 0) return;
    } else {
        // NEXT alone repeats the loop variable's operand as the loop head holds it.
        uint8_t b1 = 0, b2 = 0;
        GetByteAt(rec.LoopHeadPos + 2, b1);
        GetByteAt(rec.LoopHeadPos + 3, b2);
        EmitByte(b1);
        EmitByte(b2);
    }

    EmitWord(rec.LoopHeadPos);
    PatchToHere(rec.ExitJumpPos);

    --ForNesting;
    ForLoops.resize(static_cast<size_t>(ForNesting) + 1);
}

}  // namespace qvv2
