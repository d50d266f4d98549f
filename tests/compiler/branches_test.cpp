// GOTO, GOSUB and RETURN: the bytes they compile to once labels are resolved,
// the GOTO AUTO form by controller type, the fix-ups they leave and their
// errors.  Sources are written with '|' between lines; the expected code is
// the image after the 16-byte header, ending in the program's closing jump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using qvv2test::CodeCase;
using qvv2test::CompileLines;
using qvv2test::ErrorCase;

void ExpectCode(const CodeCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompilesTo(c, u"", k);
}

void ExpectError(const ErrorCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompileError(c, u"", 0, k);
    EXPECT_EQ(c.TotalBytes, 0);
}

TEST(BranchStatements, CompileToOpcodeAndResolvedAddress) {
    const std::vector<CodeCase> cases = {
        // Forward: L1 is the line after the jump, at address 19.
        {u"GOTO L1|L1:", "C4 13 00  C4 13 00"},
        // Backward: L1 is the first line, at address 16.
        {u"L1:|GOTO L1", "C4 10 00  C4 13 00"},
        // A jump to its own line through a numeric label.
        {u"10 GOTO 10", "C4 10 00  C4 13 00"},
        {u"GOSUB S|S: RETURN", "C5 13 00  C6  C4 14 00"},
        {u"S: RETURN|GOSUB S", "C6  C5 10 00  C4 14 00"},
        {u"RETURN", "C6  C4 11 00"},
        // Label names match without regard to case.
        {u"GOTO main|Main: GOSUB MAIN", "C4 13 00  C5 13 00  C4 16 00"},
        // Korean keywords.
        {u"가기 L1|L1: 호출 L1|복귀", "C4 13 00  C5 13 00  C6  C4 17 00"},
        // A comment after the label does not count as a token.
        {u"GOTO L1 ' on|L1:", "C4 13 00  C4 13 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

TEST(BranchStatements, GotoAutoJumpsIntoTheBuiltInRoutineOnItsControllers) {
    // Clears the byte at RAM 64 and jumps to 10024; no label is involved.
    for (int16_t type : {4, 8, 9}) {
        ExpectCode({u"GOTO AUTO", "D0 15 40 10 00 C4 28 27  C4 18 00", type});
        ExpectCode({u"가기 자동", "D0 15 40 10 00 C4 28 27  C4 18 00", type});
        ExpectCode({u"goto auto|RETURN", "D0 15 40 10 00 C4 28 27  C6  C4 19 00", type});
    }
    // On other controllers AUTO names a label, which cannot be defined (it is
    // a command word), so the reference is missing.
    for (int16_t type : {0, 1, 2, 3, 5, 7, 10}) ExpectError({u"GOTO AUTO", 25, 1, "GOTO", type});
    // GOSUB has no AUTO form.
    ExpectError({u"GOSUB AUTO", 25, 1, "GOSUB", 4});
}

TEST(BranchStatements, FixupKeepsTheLabelAsWrittenAndPointsAtThePlaceholder) {
    QUARVELv2 c;
    // On controller type 2, AUTO is an ordinary (here missing) label name.
    CompileLines(c, u"RETURN|GOTO lOOp|GOSUB Sub_1|GOTO AUTO|lOOP: SUB_1:", 2);
    EXPECT_EQ(c.Bas_Error, 25);
    EXPECT_EQ(c.Bas_Error_Line, 4);
    ASSERT_EQ(Core(c).fixupCount_, 3);
    qvv2test::ExpectFixups(c, {
        {0, 2, u"lOOp", 19},  // C6 at index 17, C4 at 18, placeholder at 19
        {1, 3, u"Sub_1", 22},
        {0, 4, u"AUTO", 25},
    });
}

TEST(BranchStatements, Errors) {
    const std::vector<ErrorCase> cases = {
        {u"GOTO", 23, 1, "GOTO"},
        {u"GOTO A B", 23, 1, "GOTO"},
        {u"RETURN|GOTO L1, L2", 23, 2, "GOTO"},
        {u"GOSUB", 23, 1, "GOSUB"},
        {u"GOSUB A B", 23, 1, "GOSUB"},
        {u"RETURN X", 23, 1, "RETURN"},
        {u"RETURN 1", 23, 1, "RETURN"},
        {u"호출", 23, 1, "GOSUB"},
        {u"복귀 X", 23, 1, "RETURN"},
        // A missing label is reported on the line of the reference.
        {u"RETURN|GOTO NOWHERE|RETURN", 25, 2, "GOTO"},
        {u"GOSUB NOWHERE", 25, 1, "GOSUB"},
        {u"L1:|GOTO L1|GOTO L2", 25, 3, "GOTO"},
    };
    for (const auto& k : cases) ExpectError(k);
}

}  // namespace
