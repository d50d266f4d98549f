// IF, ELSEIF, ELSE and ENDIF: conditions, the jump targets patched into each
// branch, one-line IFs, nesting to the limit and the errors.  Sources are
// written with '|' between lines; the expected code is the image after the
// 16-byte header, ending in the program's closing jump.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

// A at RAM 64, B at 65 (BYTE), W at 66 (INTEGER), K = 300; no code.
const std::u16string kDecl = u"DIM A AS BYTE, B AS BYTE, W AS INTEGER|CONST K = 300|";
constexpr int32_t kDeclLines = 2;

using qvv2test::CodeCase;
using qvv2test::ErrorCase;

void ExpectCode(const CodeCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompilesTo(c, kDecl, k);
    if (c.Bas_Error == 0) {  // a failed compile is reported already
        EXPECT_EQ(Core(c).IfNesting, 0) << qvv2::ToUtf8(k.source);
    }
}

void ExpectError(const ErrorCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompileError(c, kDecl, kDeclLines, k);
}

std::u16string Repeat(const std::u16string& line, int n) {
    std::u16string s;
    for (int i = 0; i < n; ++i) s += line + u"|";
    return s;
}

std::string RepeatHex(const std::string& bytes, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += bytes + " ";
    return s;
}

TEST(IfConditions, OperatorsOperandsAndConnectives) {
    const std::vector<CodeCase> cases = {
        // 0xC0, jump placeholder (patched to the block's end), A, comparison, 5, 0.
        {u"IF A < 5 THEN|ENDIF", "C0 19 00  15 40 30 12 05 00  C4 19 00"},
        {u"IF A > 5 THEN|ENDIF", "C0 19 00  15 40 31 12 05 00  C4 19 00"},
        {u"IF A <= 5 THEN|ENDIF", "C0 19 00  15 40 32 12 05 00  C4 19 00"},
        {u"IF A >= 5 THEN|ENDIF", "C0 19 00  15 40 33 12 05 00  C4 19 00"},
        {u"IF A <> 5 THEN|ENDIF", "C0 19 00  15 40 34 12 05 00  C4 19 00"},
        {u"IF A = 5 THEN|ENDIF", "C0 19 00  15 40 35 12 05 00  C4 19 00"},
        // Words are allowed in conditions: INTEGER variables, numbers and
        // constants above 255.
        {u"IF W >= K THEN|ENDIF", "C0 1A 00  16 42 33 13 2C 01 00  C4 1A 00"},
        {u"IF 300 <> W THEN|ENDIF", "C0 1A 00  13 2C 01 34 16 42 00  C4 1A 00"},
        {u"IF 0 = 1 THEN|ENDIF", "C0 17 00  10 35 11 00  C4 17 00"},
        {u"IF A = 1 AND B <> 2 THEN|ENDIF", "C0 1E 00  15 40 35 11  27  15 41 34 12 02  00  C4 1E 00"},
        {u"IF A > 0 OR B < 1 THEN|ENDIF", "C0 1D 00  15 40 31 10  28  15 41 30 11  00  C4 1D 00"},
        {u"if a = b and w = k then|endif", "C0 20 00  15 40 35 15 41  27  16 42 35 13 2C 01  00  C4 20 00"},
        {u"만약 A = 1 그리고 B <> 2 이면|만약끝", "C0 1E 00  15 40 35 11  27  15 41 34 12 02  00  C4 1E 00"},
        {u"만약 A > 0 또는 B < 1 이면|만약끝", "C0 1D 00  15 40 31 10  28  15 41 30 11  00  C4 1D 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

TEST(IfBlocks, BranchJumpsLandWhereTheBlockSaysTheyShould) {
    const std::vector<CodeCase> cases = {
        // IF at 16..24, RETURN 25, ELSE's jump 26..28, RETURN 29, end of block 30:
        // the IF's jump goes to 29 (after the ELSE's jump), the ELSE's to 30.
        {u"IF A < 10 THEN|RETURN|ELSE|RETURN|ENDIF",
         "C0 1D 00 15 40 30 12 0A 00  C6  C4 1E 00  C6  C4 1E 00"},
        // IF at 16..23, RETURN 24, ELSEIF's end jump 25..27, its branch 28..36,
        // RETURN 37, end 38: both the first branch's end jump and the second
        // branch's conditional jump point past the block.
        {u"IF A = 1 THEN|RETURN|ELSEIF A = 2 THEN|RETURN|ENDIF",
         "C0 1C 00 15 40 35 11 00  C6  C4 26 00  C0 26 00 15 40 35 12 02 00  C6  C4 26 00"},
        // Empty branches, with an ELSE after the ELSEIF.
        {u"IF A = 1 THEN|ELSEIF A = 2 THEN|ELSE|ENDIF",
         "C0 1B 00 15 40 35 11 00  C4 27 00  C0 27 00 15 40 35 12 02 00  C4 27 00  C4 27 00"},
        // Three ELSEIFs: each conditional jump goes to the next branch, each end
        // jump to the end (60 = 0x3C).
        {u"IF A = 1 THEN|ELSEIF A = 2 THEN|ELSEIF A = 3 THEN|ELSEIF B = 4 THEN|ENDIF",
         "C0 1B 00 15 40 35 11 00  C4 3C 00  C0 27 00 15 40 35 12 02 00  C4 3C 00"
         "  C0 33 00 15 40 35 12 03 00  C4 3C 00  C0 3C 00 15 41 35 12 04 00  C4 3C 00"},
        {u"만약 A = 1 이면|복귀|그렇지않고만약 A = 2 이면|아니면|만약끝",
         "C0 1C 00 15 40 35 11 00  C6  C4 28 00  C0 28 00 15 40 35 12 02 00  C4 28 00  C4 28 00"},
        // Nested: the inner block ends at 34, the outer at 35.
        {u"IF A = 1 THEN|IF A = 2 THEN|RETURN|ENDIF|RETURN|ENDIF",
         "C0 23 00 15 40 35 11 00  C0 22 00 15 40 35 12 02 00  C6  C6  C4 23 00"},
        // Inner block inside the ELSE part.
        {u"IF A = 1 THEN|ELSE|IF B = 1 THEN|ENDIF|ENDIF",
         "C0 1B 00 15 40 35 11 00  C4 23 00  C0 23 00 15 41 35 11 00  C4 23 00"},
        // A level closed and a new one opened at the same depth starts afresh.
        {u"IF A = 1 THEN|IF A = 2 THEN|ELSE|ENDIF|IF B = 3 THEN|ENDIF|ENDIF",
         "C0 2D 00 15 40 35 11 00  C0 24 00 15 40 35 12 02 00  C4 24 00"
         "  C0 2D 00 15 41 35 12 03 00  C4 2D 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

TEST(IfBlocks, OneLineIfClosesAtTheEndOfItsLine) {
    const std::vector<CodeCase> cases = {
        // The jump of the one-line IF targets the first byte of the next line.
        {u"IF A = 1 THEN GOTO L1|L1:", "C0 1B 00 15 40 35 11 00  C4 1B 00  C4 1B 00"},
        {u"IF A = 1 THEN RETURN|RETURN", "C0 19 00 15 40 35 11 00  C6  C6  C4 1A 00"},
        {u"IF A = 1 AND B = 2 THEN GOSUB S|S: RETURN",
         "C0 21 00 15 40 35 11 27 15 41 35 12 02 00  C5 21 00  C6  C4 22 00"},
        {u"만약 A = 1 이면 복귀", "C0 19 00 15 40 35 11 00  C6  C4 19 00"},
        // Inside a block IF it closes only its own level.
        {u"IF A = 1 THEN|IF B = 1 THEN RETURN|RETURN|ENDIF",
         "C0 22 00 15 40 35 11 00  C0 21 00 15 41 35 11 00  C6  C6  C4 22 00"},
        // Nothing after ELSE on a one-line IF line: the ELSE's jump still goes
        // to the end of the line.
        {u"IF A = 1 THEN ELSE", "C0 1B 00 15 40 35 11 00  C4 1B 00  C4 1B 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

TEST(IfBlocks, TenLevelsNestAndTheEleventhIsRejected) {
    // Ten IFs of 8 bytes each from 16; every level ends at 96 (0x60).
    ExpectCode({Repeat(u"IF A = 1 THEN", 10) + Repeat(u"ENDIF", 10),
                RepeatHex("C0 60 00 15 40 35 11 00", 10) + "C4 60 00"});
    // Closing the levels one at a time with a RETURN before each ENDIF:
    // level d ends at 96 + (11 - d).
    {
        std::string expected;
        for (int d = 1; d <= 10; ++d) {
            char buf[40];
            std::snprintf(buf, sizeof buf, "C0 %02X 00 15 40 35 11 00 ", 96 + (11 - d));
            expected += buf;
        }
        expected += RepeatHex("C6", 10) + "C4 6A 00";
        ExpectCode({Repeat(u"IF A = 1 THEN", 10) + Repeat(u"RETURN|ENDIF", 10), expected});
    }
    // After all ten levels are closed, ten can be opened again.
    ExpectCode({Repeat(u"IF A = 1 THEN", 10) + Repeat(u"ENDIF", 10) + Repeat(u"IF B = 1 THEN", 10) +
                    Repeat(u"ENDIF", 10),
                RepeatHex("C0 60 00 15 40 35 11 00", 10) + RepeatHex("C0 B0 00 15 41 35 11 00", 10) + "C4 B0 00"});
    // ELSEIF branches at the tenth level add no level.
    ExpectCode({Repeat(u"IF A = 1 THEN", 10) + u"ELSEIF A = 2 THEN|" + Repeat(u"ENDIF", 10),
                RepeatHex("C0 6C 00 15 40 35 11 00", 9) + "C0 63 00 15 40 35 11 00  C4 6C 00  " +
                    "C0 6C 00 15 40 35 12 02 00  C4 6C 00"});

    ExpectError({Repeat(u"IF A = 1 THEN", 11), 160, 11, "IF"});
    ExpectError({Repeat(u"만약 A = 1 이면", 11), 160, 11, "IF"});
    // A one-line IF is a level of its own too.
    ExpectError({Repeat(u"IF A = 1 THEN", 10) + u"IF A = 1 THEN RETURN", 160, 11, "IF"});
    ExpectCode({Repeat(u"IF A = 1 THEN", 9) + u"IF A = 1 THEN RETURN|" + Repeat(u"ENDIF", 9),
                RepeatHex("C0 61 00 15 40 35 11 00", 9) + "C0 61 00 15 40 35 11 00 C6  C4 61 00"});
}

TEST(IfBlocks, Errors) {
    const std::vector<ErrorCase> cases = {
        {u"IF A < 3", 30, 1, "IF"},
        {u"IF A < 3 ELSE", 30, 1, "IF"},
        {u"IF A + 1 < 3 THEN", 31, 1, "IF"},
        {u"IF A THEN", 31, 1, "IF"},
        {u"IF THEN", 31, 1, "IF"},
        {u"IF A XOR B THEN", 31, 1, "IF"},
        {u"IF A + B THEN", 31, 1, "IF"},
        {u"IF A << B THEN", 31, 1, "IF"},
        {u"IF A = 1 XOR B = 2 THEN", 31, 1, "IF"},
        {u"IF A = 1 AND B + 2 THEN", 31, 1, "IF"},
        {u"IF A = 1 AND B = 2 AND A = 3 THEN", 31, 1, "IF"},
        // The last THEN on the line counts.
        {u"IF A = 1 THEN IF B = 1 THEN RETURN", 31, 1, "IF"},
        {u"IF X = 1 THEN", 17, 1, "IF"},
        {u"IF A = 1 OR X = 1 THEN", 17, 1, "IF"},
        {u"IF A = \"S\" THEN", 21, 1, "IF"},
        {u"IF A = 1 THEN GOTO", 23, 1, "GOTO"},
        {u"ELSE", 32, 1, "ELSE"},
        {u"ENDIF", 32, 1, "ENDIF"},
        {u"ELSEIF A = 1 THEN", 32, 1, "ELSEIF"},
        {u"IF A = 1 THEN|ENDIF|ENDIF", 32, 3, "ENDIF"},
        {u"IF A = 1 THEN|ENDIF|ELSE", 32, 3, "ELSE"},
        {u"IF A = 1 THEN|ENDIF X", 23, 2, "ENDIF"},
        {u"IF A = 1 THEN|ELSE X", 40, 2, "ELSE"},
        {u"IF A = 1 THEN|ELSE RETURN", 40, 2, "ELSE"},
        {u"IF A = 1 THEN|ELSEIF A < 3", 30, 2, "ELSEIF"},
        {u"IF A = 1 THEN|ELSEIF A THEN", 31, 2, "ELSEIF"},
        {u"IF A = 1 THEN|ELSEIF Y = 1 THEN", 17, 2, "ELSEIF"},
        // A second ELSE, or an ELSEIF after the ELSE, would leave the first end
        // jump pointing at address 0.
        {u"IF A = 1 THEN|ELSE|ELSE|ENDIF", 40, 3, "ELSE"},
        {u"IF A = 1 THEN|ELSE|ELSEIF A = 2 THEN|ENDIF", 40, 3, "ELSEIF"},
        // A statement after an ELSEIF's THEN would never be compiled.
        {u"IF A = 1 THEN|ELSEIF A = 2 THEN RETURN|ENDIF", 40, 2, "ELSEIF"},
        // Blocks left open: the line of the innermost open level's IF.
        {u"IF A = 1 THEN", 33, 1, "IF"},
        {u"IF A = 1 THEN|IF A = 2 THEN|ENDIF", 33, 1, "IF"},
        {u"IF A = 1 THEN|IF A = 2 THEN", 33, 2, "IF"},
        {u"IF A = 1 THEN|ELSEIF A = 2 THEN|ELSE", 33, 1, "IF"},
        {u"RETURN|IF A = 1 THEN RETURN|IF B = 1 THEN|RETURN", 33, 3, "IF"},
    };
    for (const auto& k : cases) ExpectError(k);
}

TEST(IfBlocks, LabelsInsideNestedBlocksResolveBothWays) {
    // 16: IF A = 1 (8 bytes)   24: BACK: GOTO FWD   27: IF B = 2 (9 bytes)
    // 36: GOSUB BACK           39: ELSE (jump)      42: GOTO FWD
    // 45: ENDIF                45: FWD: GOTO BACK   48: ENDIF, end.
    ExpectCode({u"IF A = 1 THEN|BACK: GOTO FWD|IF B = 2 THEN|GOSUB BACK|ELSE|GOTO FWD|ENDIF|FWD: GOTO BACK|ENDIF",
                "C0 30 00 15 40 35 11 00  C4 2D 00  C0 2A 00 15 41 35 12 02 00  C5 18 00  C4 2D 00"
                "  C4 2D 00  C4 18 00  C4 30 00"});
}

}  // namespace
