// IF, ELSEIF, ELSE and ENDIF.
//
// Each branch (the IF and every ELSEIF) starts with a conditional jump whose
// target is not known yet: 0xC0 and a two-byte placeholder, then the
// condition, then 0.  ELSE and ELSEIF end the branch before them with a jump
// (0xC4 and a placeholder) to the end of the block and point that branch's
// conditional jump at the code that follows; ENDIF points every jump still
// open at the end of the block.  Placeholders are patched in place, so no
// label fix-ups are involved.
#include "Compiler.h"

namespace qvv2 {

namespace {

// An IF nests at most this deep.
constexpr int16_t kMaxIfNesting = 10;

// Comparison byte of a relational operator (by operator index); 0 for any
// other operator.
uint8_t ComparisonCode(int16_t op) {
    switch (op) {
        case OPR_LESS: return OP_LESS;
        case OPR_GREATER: return OP_GREATER;
        case OPR_LESS_EQUAL: return OP_LESS_EQUAL;
        case OPR_GREATER_EQUAL: return OP_GREATER_EQUAL;
        case OPR_NOT_EQUAL: return OP_NOT_EQUAL;
        case OPR_EQUAL: return OP_EQUAL;
        default: return 0;
    }
}

}  // namespace

// Branch records are addressed as (level, branch); these keep the tables at
// least that large so that no read or write falls outside them.
static IfBranchRecord& BranchAt(std::vector<std::vector<IfBranchRecord>>& table, int32_t level, int32_t branch) {
    if (static_cast<int32_t>(table.size()) <= level) table.resize(level + 1, std::vector<IfBranchRecord>(1));
    auto& row = table[level];
    if (static_cast<int32_t>(row.size()) <= branch) row.resize(branch + 1);
    return row[branch];
}

static int16_t BranchCountAt(const std::vector<int16_t>& counts, int32_t level) {
    if (level < 0 || level >= static_cast<int32_t>(counts.size())) return 0;
    return counts[level];
}

void Compiler::CompileCondition(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last - first != 2) {
        err = ERR_BAD_CONDITION;
        return;
    }
    EmitOperand(TokenAt(first), 1, err);
    if (err != 0) return;
    const Token& op = TokenAt(first + 1);
    const uint8_t code = op.kind == TK_OPERATOR ? ComparisonCode(op.code) : 0;
    if (code == 0) {
        err = ERR_BAD_CONDITION;
        return;
    }
    EmitByte(code);
    EmitOperand(TokenAt(last), 1, err);
}

void Compiler::CompileIf(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t k = first;
    const bool addBranch = ElseIfPending != 0;
    ElseIfPending = 0;

    // THEN: the last one on the line.
    int32_t t = 0;
    for (int32_t i = k + 1; i <= last; ++i) {
        const Token& tok = TokenAt(i);
        if (tok.kind == TK_COMMAND && tok.code == CMD_THEN) t = i;
    }
    if (t == 0) {
        err = ERR_NO_THEN;
        return;
    }
    if (t - k != 4 && t - k != 8) {
        err = ERR_BAD_CONDITION;
        return;
    }

    if (!addBranch) {
        if (IfNesting >= kMaxIfNesting) {
            err = ERR_TOO_COMPLEX_IF;  // an eleventh level; the open levels stay as they are
            return;
        }
        ++IfNesting;
        IfBranchCount.resize(static_cast<size_t>(IfNesting) + 1, 0);
        IfBranchCount[IfNesting] = 0;
    }
    if (IfNesting < 1 || IfNesting >= static_cast<int32_t>(IfBranchCount.size())) {
        err = ERR_NO_IF;  // an ELSEIF hand-over with no open level
        return;
    }

    const int16_t b = ++IfBranchCount[IfNesting];
    IfBranchRecord& rec = BranchAt(IfBranches, IfNesting, b);
    rec.Line = currentLine_;
    EmitByte(OP_JUMP_IF_FALSE);
    rec.FalseJumpPos = EmitPlaceholder();
    rec.EndJumpPos = -1;

    int32_t a = k + 1, z = k + 3;
    CompileCondition(a, z, err);
    if (err != 0) return;
    if (t == k + 8) {
        const Token& conj = TokenAt(k + 4);
        if (conj.kind == TK_COMMAND && conj.code == CMD_AND) {
            EmitByte(OP_AND);
        } else if (conj.kind == TK_COMMAND && conj.code == CMD_OR) {
            EmitByte(OP_OR);
        } else {
            err = ERR_BAD_CONDITION;
            return;
        }
        a = k + 5;
        z = k + 7;
        CompileCondition(a, z, err);
        if (err != 0) return;
    }
    EmitByte(OP_END_MARK);

    // A statement after THEN makes a one-line IF: the dispatcher compiles it
    // and the level is closed at the end of the line.
    if (last > t) {
        OneLineIf = 1;
        ThenToken = t + 1;
    }
}

void Compiler::CompileElse(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int16_t b = BranchCountAt(IfBranchCount, IfNesting);
    if (IfNesting < 1 || b <= 0) {
        err = ERR_NO_IF;
        return;
    }
    IfBranchRecord& rec = BranchAt(IfBranches, IfNesting, b);
    // The branch already ended in an ELSE: a second ELSE (or an ELSEIF after
    // the ELSE) would leave the first end jump pointing at address 0.
    if (rec.EndJumpPos != -1) {
        err = ERR_BAD_SYNTAX;
        return;
    }
    EmitByte(OP_JUMP);
    rec.EndJumpPos = EmitPlaceholder();
    PatchToHere(rec.FalseJumpPos);

    if (last > first) {
        if (OneLineIf == 1) {
            OneLineIf = 2;
            ThenToken = first + 1;
        } else {
            err = ERR_BAD_SYNTAX;
        }
    }
}

void Compiler::CompileElseIf(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    int32_t k = first;
    int32_t endOfElse = first;
    CompileElse(k, endOfElse, err);
    if (err != 0) return;

    const uint8_t oneLineBefore = OneLineIf;
    ElseIfPending = 1;
    CompileIf(k, last, err);
    // A statement after an ELSEIF's THEN would close the whole level at the
    // end of the line while the statement itself is never compiled.
    if (err == 0 && OneLineIf == 1 && oneLineBefore == 0) {
        OneLineIf = 0;
        ThenToken = 0;
        err = ERR_BAD_SYNTAX;
    }
}

void Compiler::CompileEndIf(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = ERR_SYNTAX;
        return;
    }
    const int16_t count = BranchCountAt(IfBranchCount, IfNesting);
    if (IfNesting < 1 || count <= 0) {
        err = ERR_NO_IF;
        return;
    }
    for (int32_t c = count; c >= 1; --c) {
        const IfBranchRecord& rec = BranchAt(IfBranches, IfNesting, c);
        PatchToHere(rec.EndJumpPos == -1 ? rec.FalseJumpPos : rec.EndJumpPos);
    }
    --IfNesting;
    IfBranchCount.resize(static_cast<size_t>(IfNesting) + 1);
    if (IfNesting == 0) {
        IfBranchCount.assign(1, 0);
        IfBranches.assign(11, std::vector<IfBranchRecord>(1));
    }
}

}  // namespace qvv2
