// The tests' way into the compile's internals: the control's Compiler (its
// per-compile state, statement compilers and emitters) and the control's
// private steps (the class declares qvv2::TestAccess a friend).  One
// definition for every test file.
#pragma once

#include "Compiler.h"
#include "QUARVELv2.h"

struct qvv2::TestAccess {
    static Compiler& Core(QUARVELv2& c) { return *c.core_; }
    static const Compiler& Core(const QUARVELv2& c) { return *c.core_; }

    static void BuildErrorMessage(QUARVELv2& c) { c.BuildErrorMessage(); }

    // Splits and tokenises a program as a compile does, without the pass.
    static void FrontEndTokenize(QUARVELv2& c, const std::u16string& text) {
        c.ResetCompiler();
        Compiler& k = *c.core_;
        k.objPos_ = 16;
        k.SplitLines(text);
        k.TokenizeSource();
    }
    static void FrontEndCompileLine(QUARVELv2& c, int32_t line) {
        Compiler& k = *c.core_;
        k.currentLine_ = line;
        int32_t first = k.lineRanges_[line].first;
        int32_t last = k.lineRanges_[line].last;
        k.CompileStatement(first, last);
    }
    static void FrontEndGenerateCode(QUARVELv2& c) { c.core_->GenerateCode(); }
    static void FrontEndResolveLabels(QUARVELv2& c) { c.core_->ResolveLabels(); }
};

namespace qvv2 {

// The control's compile internals; found by argument-dependent look-up, so a
// test writes Core(c).objPos_.
inline Compiler& Core(QUARVELv2& c) { return TestAccess::Core(c); }
inline const Compiler& Core(const QUARVELv2& c) { return TestAccess::Core(c); }

}  // namespace qvv2
