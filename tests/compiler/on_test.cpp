// ON .. GOTO, ON TIMER and ON INT: selector operands, label lists and their
// resolved addresses, the timer code, and the errors.  Sources are written
// with '|' between lines; the expected code is the image after the 16-byte
// header, ending in the program's closing jump.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

// A at RAM 64 (BYTE), W at 65 (INTEGER), K = 300; no code.
const std::u16string kDecl = u"DIM A AS BYTE, W AS INTEGER|CONST K = 300|";
constexpr int32_t kDeclLines = 2;

using qvv2test::CodeAfterHeader;
using qvv2test::CodeCase;
using qvv2test::CompileLines;
using qvv2test::ErrorCase;
using qvv2test::ParseHex;

void ExpectCode(const CodeCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompilesTo(c, kDecl, k);
}

void ExpectError(const ErrorCase& k) {
    QUARVELv2 c;
    qvv2test::ExpectCompileError(c, kDecl, kDeclLines, k);
}

std::u16string LabelList(int count) {
    std::u16string s = u"L";
    for (int i = 1; i < count; ++i) s += u", L";
    return s;
}

TEST(OnStatement, GotoListsResolveToTheirLabels) {
    const char* const threeLabels = "C7 15 40 03 1A 00 1B 00 1C 00  C6  C6  C6  C4 1D 00";
    const std::vector<CodeCase> cases = {
        // 0xC7, selector, count, one address per label: L1 at 26, L2 27, L3 28.
        {u"ON A GOTO L1, L2, L3|L1: RETURN|L2: RETURN|L3: RETURN", threeLabels},
        // A single last token is always taken as one more label.
        {u"ON A GOTO L1, L2 L3|L1: RETURN|L2: RETURN|L3: RETURN", threeLabels},
        {u"ON A GOTO L1 L2|L1: RETURN|L2: RETURN", "C7 15 40 02 18 00 19 00  C6  C6  C4 1A 00"},
        {u"처리 A 가기 L1, L2, L3|L1: 복귀|L2: 복귀|L3: 복귀", threeLabels},
        {u"on a goto l1, L2, l3|L1: RETURN|l2: RETURN|L3: RETURN", threeLabels},
        // Selector forms: number, constant, INTEGER variable.
        {u"ON 2 GOTO L1|L1:", "C7 12 02 01 16 00  C4 16 00"},
        {u"ON 1 GOTO L1|L1:", "C7 11 01 15 00  C4 15 00"},
        {u"ON K GOTO L1|L1:", "C7 13 2C 01 01 17 00  C4 17 00"},
        {u"ON W GOTO L1|L1:", "C7 16 41 01 16 00  C4 16 00"},
        // Labels before the statement, and the same label twice.
        {u"L1: RETURN|ON A GOTO L1, L1", "C6  C7 15 40 02 10 00 10 00  C4 19 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

TEST(OnStatement, AtMostTwoHundredFiftyFiveLabels) {
    // 255 labels: the count byte is 255 and every address is L's, at
    // 16 + 4 + 2 * 255 = 530.
    std::string expected = "C7 15 40 FF";
    for (int i = 0; i < 255; ++i) expected += " 12 02";
    expected += "  C6  C4 13 02";
    ExpectCode({u"ON A GOTO " + LabelList(255) + u"|L: RETURN", expected});

    ExpectError({u"ON A GOTO " + LabelList(256) + u"|L: RETURN", 37, 1, "ON"});
    ExpectError({u"ON A GOTO " + LabelList(400) + u"|L: RETURN", 37, 1, "ON"});
}

TEST(OnStatement, TimerAndInterruptHandlers) {
    const std::vector<CodeCase> cases = {
        // 0xC9, t * 25 (13 for 0), the handler's address.
        {u"ON TIMER(4) GOSUB T1|T1:", "C9 64 14 00  C4 14 00"},
        {u"ON TIMER(0) GOSUB T1|T1:", "C9 0D 14 00  C4 14 00"},
        {u"ON TIMER(1) GOSUB T1|T1:", "C9 19 14 00  C4 14 00"},
        {u"ON TIMER(10) GOSUB T1|T1:", "C9 FA 14 00  C4 14 00"},
        {u"ON TIMER ( 4 ) GOSUB T1|T1:", "C9 64 14 00  C4 14 00"},
        {u"ON TIMER(&H4) GOSUB T1|T1:", "C9 64 14 00  C4 14 00"},
        {u"T1: RETURN|ON TIMER(2) GOSUB T1", "C6  C9 32 10 00  C4 15 00"},
        {u"처리 시간(4) 호출 T1|T1:", "C9 64 14 00  C4 14 00"},
        // 0xC8 and the handler's address.
        {u"ON INT GOSUB L1|L1:", "C8 13 00  C4 13 00"},
        {u"on int gosub l1|L1: RETURN", "C8 13 00  C6  C4 14 00"},
        {u"처리 끼어들기 호출 L1|L1:", "C8 13 00  C4 13 00"},
    };
    for (const auto& k : cases) ExpectCode(k);
}

TEST(OnStatement, Errors) {
    const std::vector<ErrorCase> cases = {
        {u"ON", 23, 1, "ON"},
        {u"ON A", 23, 1, "ON"},
        {u"ON A GOTO", 23, 1, "ON"},
        {u"처리 A 가기", 23, 1, "ON"},
        {u"ON A GOTO L1 L2 L3|L1:|L2:|L3:", 23, 1, "ON"},
        {u"ON A GOTO L1, L2 L3 L1|L1:|L2:|L3:", 23, 1, "ON"},
        {u"ON A GOSUB L1|L1:", 23, 1, "ON"},
        {u"ON A THEN L1|L1:", 23, 1, "ON"},
        {u"ON \"X\" GOTO L1|L1:", 23, 1, "ON"},
        {u"ON GOTO L1 L2|L1:|L2:", 23, 1, "ON"},
        // Selector errors, unless the label list fails too.
        {u"ON X GOTO L1|L1:", 17, 1, "ON"},
        {u"ON X GOTO L1, L2|L1:|L2:", 17, 1, "ON"},
        {u"ON X GOTO L1 L2 L3|L1:|L2:|L3:", 23, 1, "ON"},
        {u"ON TIMER(11) GOSUB T1|T1:", 41, 1, "ON"},
        {u"ON TIMER(99999999) GOSUB T1|T1:", 41, 1, "ON"},
        {u"ON TIMER 4 GOSUB T1|T1:", 23, 1, "ON"},
        {u"ON TIMER(4) GOTO T1|T1:", 23, 1, "ON"},
        {u"ON TIMER(A) GOSUB T1|T1:", 23, 1, "ON"},
        {u"ON TIMER(K) GOSUB T1|T1:", 23, 1, "ON"},
        {u"ON TIMER(4) GOSUB T1 T2|T1:|T2:", 23, 1, "ON"},
        {u"ON TIMER(4) GOSUB|T1:", 23, 1, "ON"},
        {u"ON TIMER(4, 5) GOSUB T1|T1:", 23, 1, "ON"},
        {u"ON TIMER(4)|T1:", 23, 1, "ON"},
        {u"ON INT GOSUB", 23, 1, "ON"},
        {u"ON INT GOSUB L1 L2|L1:|L2:", 23, 1, "ON"},
        {u"ON INT GOTO L1|L1:", 23, 1, "ON"},
        {u"ON INT L1 GOSUB|L1:", 23, 1, "ON"},
        // Missing labels, on the line of the reference, named by the form.
        {u"RETURN|ON A GOTO L1, NOPE|L1:", 25, 2, "ON..GOTO"},
        {u"ON TIMER(1) GOSUB NOPE", 25, 1, "ON..TIMER"},
        {u"ON INT GOSUB NOPE", 25, 1, "ON..INT"},
        // A trailing comma is taken as one more label, which cannot exist.
        {u"ON A GOTO L1,|L1:", 25, 1, "ON..GOTO"},
    };
    for (const auto& k : cases) ExpectError(k);
}

TEST(OnStatement, FixupsRecordKindLineAndPlaceholder) {
    QUARVELv2 c;
    CompileLines(c, kDecl + u"ON A GOTO a1, A2|ON TIMER(3) GOSUB t|ON INT GOSUB i|A1: A2: T: I:");
    ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
    ASSERT_EQ(Core(c).fixupCount_, 4);
    // Kind, line, label, buffer index of the low byte.
    qvv2test::ExpectFixups(c, {
        {2, 3, u"a1", 21},  // C7 at 17, selector 18-19, count 20
        {2, 3, u"A2", 23},
        {4, 4, u"t", 27},   // C9 at 25, 75 at 26
        {5, 5, u"i", 30},   // C8 at 29
    });
    // All four labels sit at address 31, after the last placeholder.
    EXPECT_EQ(CodeAfterHeader(c), ParseHex("C7 15 40 02 1F 00 1F 00  C9 4B 1F 00  C8 1F 00  C4 1F 00"));
}

}  // namespace
