// DIM and CONST: the declarations of variables, which get an address in the
// controller's RAM, and of named constants, which the compiler replaces by
// their value.  Neither writes object code.
#include <algorithm>
#include <cstdint>

#include "QUARVELv2.h"
#include "Text.h"

namespace qvv2 {

namespace {

constexpr int16_t kCmdAs = 1;
constexpr int16_t kCmdByte = 2;
constexpr int16_t kCmdInteger = 3;
constexpr int16_t kOpEquals = 7;

constexpr uint8_t kTypeByte = 2;
constexpr uint8_t kTypeInteger = 3;
constexpr uint8_t kPrefixByte = 0x15;
constexpr uint8_t kPrefixInteger = 0x16;

// The operand byte holds a variable's RAM address, so every variable must lie
// within 64..255.
constexpr int32_t kLastRamAddress = 255;
// Records are found by an Integer index.
constexpr int32_t kMaxRecords = 32767;

constexpr int16_t kErrDeclaration = 14;
constexpr int16_t kErrDeclared = 15;
constexpr int16_t kErrOverRange = 41;

template <typename T>
void AppendPublished(std::vector<T>& table, int16_t count, const T& value) {
    table.resize(static_cast<size_t>(count) + 1);  // index 0 unused
    table.push_back(value);
}

}  // namespace

// DIM name AS BYTE|INTEGER [, name AS BYTE|INTEGER ...] [,]
void QUARVELv2::CompileDim(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t end = std::min<int32_t>({last, tokenCount_, static_cast<int32_t>(tokens_.size()) - 1});
    int32_t k = first + 1;
    for (;;) {
        if (k < 1 || k + 2 > end) {
            err = kErrDeclaration;
            return;
        }
        const Token& name = tokens_[k];
        const Token& as = tokens_[k + 1];
        const Token& type = tokens_[k + 2];
        if (name.kind != TK_WORD || as.kind != TK_COMMAND || as.code != kCmdAs || type.kind != TK_COMMAND ||
            (type.code != kCmdByte && type.code != kCmdInteger)) {
            err = kErrDeclaration;
            return;
        }
        const std::u16string upper = UCase(name.text);
        if (VariableIndex(upper) > 0) {
            err = kErrDeclared;
            return;
        }
        const bool isByte = type.code == kCmdByte;
        const int32_t size = isByte ? 1 : 2;
        if (nextRam_ + size - 1 > kLastRamAddress || varCount_ >= kMaxRecords) {
            err = kErrOverRange;
            return;
        }

        VarRecord rec;
        rec.name = upper;
        rec.address = nextRam_;
        rec.type = isByte ? kTypeByte : kTypeInteger;
        rec.value = 0;
        rec.dim = -1;
        rec.operand = {{isByte ? kPrefixByte : kPrefixInteger, static_cast<uint8_t>(nextRam_)}};
        vars_.resize(static_cast<size_t>(varCount_) + 1);
        vars_.push_back(rec);
        ++varCount_;

        AppendPublished(VarNAME, TotalVars, upper);
        AppendPublished(VarPOS, TotalVars, rec.address);
        AppendPublished(VarTYPE, TotalVars, rec.type);
        AppendPublished(VarDIM, TotalVars, static_cast<int16_t>(-1));
        ++TotalVars;

        nextRam_ = static_cast<int16_t>(nextRam_ + size);
        k += 3;
        if (k > end) return;
        if (tokens_[k].kind != TK_COMMA) {
            err = kErrDeclaration;
            return;
        }
        ++k;
        if (k > end) return;  // a trailing comma is accepted
    }
}

// CONST name = number
void QUARVELv2::CompileConst(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (first < 1 || last != first + 3 || last > tokenCount_ || last >= static_cast<int32_t>(tokens_.size())) {
        err = kErrDeclaration;
        return;
    }
    const Token& name = tokens_[first + 1];
    const Token& eq = tokens_[first + 2];
    const Token& number = tokens_[first + 3];
    if (name.kind != TK_WORD || eq.kind != TK_OPERATOR || eq.code != kOpEquals || number.kind != TK_NUMBER) {
        err = kErrDeclaration;
        return;
    }
    const std::u16string upper = UCase(name.text);
    if (VariableIndex(upper) > 0) {
        err = kErrDeclared;
        return;
    }
    if (varCount_ >= kMaxRecords) {
        err = kErrOverRange;
        return;
    }

    VarRecord rec;
    rec.name = upper;
    rec.address = 0;
    rec.type = static_cast<uint8_t>(4 + number.code);
    rec.value = NumberValue(number);
    rec.dim = 0;
    rec.operand = {{0, 0}};
    vars_.resize(static_cast<size_t>(varCount_) + 1);
    vars_.push_back(rec);
    ++varCount_;
}

}  // namespace qvv2
