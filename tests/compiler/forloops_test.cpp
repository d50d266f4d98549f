// FOR and NEXT: the loop head and back jump, the exit address patched by
// NEXT, nesting (deep, and crossed with IF blocks) and the errors.  Sources
// are written with '|' between lines; the expected code is the image after
// the 16-byte header, ending in the program's closing jump.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

// I at RAM 64, J at 65 (BYTE), W at 66 (INTEGER), K = 300, N = 5; no code.
const std::u16string kDecl = u"DIM I AS BYTE, J AS BYTE, W AS INTEGER|CONST K = 300|CONST N = 5|";
constexpr int32_t kDeclLines = 3;

using qvv2test::CodeAfterHeader;
using qvv2test::CodeCase;
using qvv2test::CompileLines;
using qvv2test::ErrorCase;

void ExpectCode(const CodeCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompilesTo(c, kDecl, k);
    if (c.Bas_Error == 0) {  // a failed compile is reported already
        EXPECT_EQ(Core(c).ForNesting, 0) << qvv2::ToUtf8(k.source);
    }
}

void ExpectError(const ErrorCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompileError(c, kDecl, kDeclLines, k);
}

TEST(ForLoops, HeadBackJumpAndExit) {
    // FOR at 16..19, loop head (0xC3) at 20..26, NEXT at 27..31, after it 32.
    const char* const simple = "C1 15 40 11  C3 15 40 12 0A 20 00  C2 15 40 14 00  C4 20 00";
    const std::vector<CodeCase> cases = {
        {u"FOR I = 1 TO 10|NEXT I", simple},
        {u"FOR I = 1 TO 10|NEXT", simple},
        {u"for i = 1 to 10|next I", simple},
        {u"반복 I = 1 부터 10|다음 I", simple},
        {u"반복 I = 1 부터 10|다음", simple},
        {u"FOR I = 1 TO 10 ' count|NEXT I ' done", simple},
        // Word operands: INTEGER variable, constant and number above 255.
        {u"FOR W = 0 TO K|NEXT", "C1 16 42 10  C3 16 42 13 2C 01 21 00  C2 16 42 14 00  C4 21 00"},
        {u"FOR W = 0 TO K|NEXT W", "C1 16 42 10  C3 16 42 13 2C 01 21 00  C2 16 42 14 00  C4 21 00"},
        {u"FOR I = J TO N|NEXT I", "C1 15 40 15 41  C3 15 40 12 05 21 00  C2 15 40 15 00  C4 21 00"},
        {u"FOR I = 300 TO W|NEXT I", "C1 15 40 13 2C 01  C3 15 40 16 42 22 00  C2 15 40 16 00  C4 22 00"},
        // Nested: each NEXT jumps back to its own head and patches its own exit.
        {u"FOR I = 1 TO 2|FOR J = 1 TO 3|NEXT J|NEXT I",
         "C1 15 40 11  C3 15 40 12 02 30 00  C1 15 41 11  C3 15 41 12 03 2B 00"
         "  C2 15 41 1F 00  C2 15 40 14 00  C4 30 00"},
        {u"FOR I = 1 TO 2|FOR J = 1 TO 3|NEXT|NEXT",
         "C1 15 40 11  C3 15 40 12 02 30 00  C1 15 41 11  C3 15 41 12 03 2B 00"
         "  C2 15 41 1F 00  C2 15 40 14 00  C4 30 00"},
        // Two loops in a row on the same variable.
        {u"FOR I = 1 TO 2|NEXT|FOR I = 1 TO 3|NEXT I",
         "C1 15 40 11  C3 15 40 12 02 20 00  C2 15 40 14 00"
         "  C1 15 40 11  C3 15 40 12 03 30 00  C2 15 40 24 00  C4 30 00"},
        // Loops and IF blocks are tracked apart: a NEXT inside an open IF and an
        // ENDIF inside an open loop are accepted.
        {u"FOR I = 1 TO 3|IF I = 2 THEN|NEXT I|ENDIF",
         "C1 15 40 11  C3 15 40 12 03 29 00  C0 29 00 15 40 35 12 02 00  C2 15 40 14 00  C4 29 00"},
        {u"IF I = 1 THEN|FOR I = 1 TO 2|ENDIF|NEXT",
         "C0 23 00 15 40 35 11 00  C1 15 40 11  C3 15 40 12 02 28 00  C2 15 40 1C 00  C4 28 00"},
        // A loop inside a one-line IF's line is closed by a NEXT further down.
        {u"IF I = 1 THEN FOR J = 1 TO 2|NEXT J",
         "C0 23 00 15 40 35 11 00  C1 15 41 11  C3 15 41 12 02 28 00  C2 15 41 1C 00  C4 28 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

// Loops nest without a limit: 100 loops on V1..V100 (RAM 64..163), closed
// innermost first, with or without the variable after NEXT.  Loop n starts at
// 16 + 11 (n - 1) with its head 4 bytes later; its NEXT sits at
// 16 + 1100 + 5 (100 - n), and its exit is the address after that NEXT.
TEST(ForLoops, HundredNestedLoopsCloseInnermostFirst) {
    constexpr int kLoops = 100;
    for (bool named : {true, false}) {
        std::u16string src = u"DIM V1 AS BYTE";
        for (int n = 2; n <= kLoops; ++n) src += u", V" + qvv2::NumberText(n) + u" AS BYTE";
        src += u"|";
        for (int n = 1; n <= kLoops; ++n) src += u"FOR V" + qvv2::NumberText(n) + u" = 1 TO 2|";
        for (int n = kLoops; n >= 1; --n) src += named ? u"NEXT V" + qvv2::NumberText(n) + u"|" : u"NEXT|";

        std::vector<uint8_t> expected;
        auto word = [&](int32_t v) {
            expected.push_back(static_cast<uint8_t>(v & 0xFF));
            expected.push_back(static_cast<uint8_t>(v >> 8));
        };
        auto nextAt = [&](int n) { return 16 + 11 * kLoops + 5 * (kLoops - n); };
        for (int n = 1; n <= kLoops; ++n) {
            const uint8_t ram = static_cast<uint8_t>(63 + n);
            expected.insert(expected.end(), {0xC1, 0x15, ram, 0x11, 0xC3, 0x15, ram, 0x12, 0x02});
            word(nextAt(n) + 5);
        }
        for (int n = kLoops; n >= 1; --n) {
            const uint8_t ram = static_cast<uint8_t>(63 + n);
            expected.insert(expected.end(), {0xC2, 0x15, ram});
            word(16 + 11 * (n - 1) + 4);
        }
        expected.push_back(0xC4);
        word(nextAt(0));

        QUARVELv2 c;
        CompileLines(c, src);
        ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
        EXPECT_EQ(CodeAfterHeader(c), expected) << (named ? "NEXT v" : "NEXT");
    }
}

TEST(ForLoops, Errors) {
    const std::vector<ErrorCase> cases = {
        {u"FOR I = 1 TO 10 STEP 2", 23, 1, "FOR"},
        {u"FOR 5 = 1 TO 3", 23, 1, "FOR"},
        {u"FOR I = 1 TO", 23, 1, "FOR"},
        {u"FOR I", 23, 1, "FOR"},
        {u"FOR", 23, 1, "FOR"},
        {u"FOR I + 1 TO 10", 23, 1, "FOR"},
        {u"FOR I = 1 , 10", 23, 1, "FOR"},
        {u"FOR I = 1 2 10", 23, 1, "FOR"},
        {u"반복 I = 1 부터", 23, 1, "FOR"},
        {u"FOR K = 1 TO 3", 26, 1, "FOR"},
        {u"FOR N = 1 TO 3", 26, 1, "FOR"},
        {u"FOR X = 1 TO 3", 17, 1, "FOR"},
        {u"FOR I = X TO 3", 17, 1, "FOR"},
        {u"FOR I = 1 TO Y", 17, 1, "FOR"},
        {u"FOR I = \"A\" TO 3", 21, 1, "FOR"},
        {u"NEXT", 27, 1, "NEXT"},
        {u"NEXT I", 27, 1, "NEXT"},
        {u"다음", 27, 1, "NEXT"},
        {u"FOR I = 1 TO 3|NEXT I|NEXT I", 27, 3, "NEXT"},
        {u"FOR I = 1 TO 3|NEXT J", 28, 2, "NEXT"},
        {u"FOR I = 1 TO 3|NEXT 5", 28, 2, "NEXT"},
        {u"FOR I = 1 TO 3|FOR J = 1 TO 2|NEXT I", 28, 3, "NEXT"},
        {u"FOR I = 1 TO 3|NEXT I J", 23, 2, "NEXT"},
        {u"FOR I = 1 TO 3|NEXT I, J", 23, 2, "NEXT"},
        // Loops left open: the line of the outermost one.
        {u"FOR I = 1 TO 3", 29, 1, "FOR"},
        {u"FOR I = 1 TO 3|FOR J = 1 TO 2", 29, 1, "FOR"},
        {u"RETURN|FOR I = 1 TO 3|FOR J = 1 TO 2|NEXT J", 29, 2, "FOR"},
        {u"FOR I = 1 TO 3|NEXT|FOR J = 1 TO 2|FOR I = 1 TO 2|NEXT", 29, 3, "FOR"},
    };
    for (const auto& k : cases) ExpectError(k);
}

TEST(ForLoops, LabelsInsideNestedLoopsResolveBothWays) {
    // 16: FOR I (11 bytes)   27: TOP: FOR J (11 bytes)   38: GOTO SKIP
    // 41: GOTO TOP           44: SKIP: NEXT J            49: NEXT I   54: end.
    ExpectCode({u"FOR I = 1 TO 2|TOP: FOR J = 1 TO 3|GOTO SKIP|GOTO TOP|SKIP: NEXT J|NEXT I",
                "C1 15 40 11  C3 15 40 12 02 36 00  C1 15 41 11  C3 15 41 12 03 31 00"
                "  C4 2C 00  C4 1B 00  C2 15 41 1F 00  C2 15 40 14 00  C4 36 00"});
}

}  // namespace
