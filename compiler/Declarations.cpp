// DIM and CONST: the declarations of variables, which get an address in the
// controller's RAM, and of named constants, which the compiler replaces by
// their value.  Neither writes object code.
#include "Compiler.h"

#include <algorithm>
#include <cstdint>

#include "Text.h"

namespace qvv2 {

namespace {

// The operand byte holds a variable's RAM address, so every variable must lie
// within 64..255.
constexpr int32_t kLastRamAddress = 255;
// Records are found by an Integer index.
constexpr int32_t kMaxRecords = 32767;

template <typename T>
void AppendPublished(std::vector<T>& table, int16_t count, const T& value) {
    table.resize(static_cast<size_t>(count) + 1);  // index 0 unused
    table.push_back(value);
}

}  // namespace

// DIM name AS BYTE|INTEGER [, name AS BYTE|INTEGER ...] [,]
void Compiler::CompileDim(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = std::min<int32_t>({last, tokenCount_, static_cast<int32_t>(tokens_.size()) - 1});
    int32_t k = first + 1;
    for (;;) {
        if (k < 1 || k + 2 > end) {
            err = ERR_BAD_DECLARATION;
            return;
        }
        const Token& name = tokens_[k];
        const Token& as = tokens_[k + 1];
        const Token& type = tokens_[k + 2];
        if (name.kind != TK_WORD || as.kind != TK_COMMAND || as.code != CMD_AS || type.kind != TK_COMMAND ||
            (type.code != CMD_BYTE && type.code != CMD_INTEGER)) {
            err = ERR_BAD_DECLARATION;
            return;
        }
        const std::u16string upper = UCase(name.text);
        if (VariableIndex(upper) > 0) {
            err = ERR_ALREADY_DECLARED;
            return;
        }
        const bool isByte = type.code == CMD_BYTE;
        const int32_t size = isByte ? 1 : 2;
        if (nextRam_ + size - 1 > kLastRamAddress || varCount_ >= kMaxRecords) {
            err = ERR_OVER_RANGE;
            return;
        }

        VarRecord rec;
        rec.name = upper;
        rec.address = nextRam_;
        rec.type = isByte ? VT_BYTE : VT_INTEGER;
        rec.value = 0;
        rec.dim = -1;
        rec.operand = {{isByte ? OP_VAR_BYTE : OP_VAR_INTEGER, static_cast<uint8_t>(nextRam_)}};
        vars_.resize(static_cast<size_t>(varCount_) + 1);
        vars_.push_back(rec);
        ++varCount_;

        AppendPublished(ctl.VarNAME, ctl.TotalVars, upper);
        AppendPublished(ctl.VarPOS, ctl.TotalVars, rec.address);
        AppendPublished(ctl.VarTYPE, ctl.TotalVars, rec.type);
        AppendPublished(ctl.VarDIM, ctl.TotalVars, static_cast<int16_t>(-1));
        ++ctl.TotalVars;

        nextRam_ = static_cast<int16_t>(nextRam_ + size);
        k += 3;
        if (k > end) return;
        if (tokens_[k].kind != TK_COMMA) {
            err = ERR_BAD_DECLARATION;
            return;
        }
        ++k;
        if (k > end) return;  // a trailing comma is accepted
    }
}

// CONST name = number
void Compiler::CompileConst(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (first < 1 || last != first + 3 || last > tokenCount_ || last >= static_cast<int32_t>(tokens_.size())) {
        err = ERR_BAD_DECLARATION;
        return;
    }
    const Token& name = tokens_[first + 1];
    const Token& eq = tokens_[first + 2];
    const Token& number = tokens_[first + 3];
    if (name.kind != TK_WORD || eq.kind != TK_OPERATOR || eq.code != OPR_EQUAL || number.kind != TK_NUMBER) {
        err = ERR_BAD_DECLARATION;
        return;
    }
    const std::u16string upper = UCase(name.text);
    if (VariableIndex(upper) > 0) {
        err = ERR_ALREADY_DECLARED;
        return;
    }
    if (varCount_ >= kMaxRecords) {
        err = ERR_OVER_RANGE;
        return;
    }

    VarRecord rec;
    rec.name = upper;
    rec.address = 0;
    rec.type = static_cast<uint8_t>(VT_CONST + number.code);
    rec.value = NumberValue(number);
    rec.dim = 0;
    rec.operand = {{0, 0}};
    vars_.resize(static_cast<size_t>(varCount_) + 1);
    vars_.push_back(rec);
    ++varCount_;
}

}  // namespace qvv2
