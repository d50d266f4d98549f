// The tests' way into the compiler's private procedures (the class declares
// qvv2::TestAccess a friend).  One definition for every test file.
#pragma once

#include "QUARVELv2.h"

struct qvv2::TestAccess {
    static void BuildErrorMessage(QUARVELv2& c) { c.BuildErrorMessage(); }

    // Splits and tokenises a program as a compile does, without the pass.
    static void FrontEndTokenize(QUARVELv2& c, const std::u16string& text) {
        c.ResetCompiler();
        c.objPos_ = 16;
        c.SplitLines(text);
        c.TokenizeSource();
    }
    static void FrontEndCompileLine(QUARVELv2& c, int32_t line) {
        c.currentLine_ = line;
        int32_t first = c.lineRanges_[line].first;
        int32_t last = c.lineRanges_[line].last;
        c.CompileStatement(first, last);
    }
    static void FrontEndGenerateCode(QUARVELv2& c) { c.GenerateCode(); }
    static void FrontEndResolveLabels(QUARVELv2& c) { c.ResolveLabels(); }
};
