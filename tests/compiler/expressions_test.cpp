// Assignment statements: the bytes of every right-side form (expressions,
// strings, bit references, input functions, CHOICE) and every error an
// assignment can raise, compiled through the public Compile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using Bytes = std::vector<uint8_t>;

// Declarations in front of every case: A 64, B 65 (BYTE), N 66..67
// (INTEGER), D 68 (BYTE); constants K = 5, BIG = 300, ONE = 1.
const char* const kPrologue =
    "DIM A AS BYTE, B AS BYTE, N AS INTEGER, D AS BYTE\r\n"
    "CONST K = 5\r\n"
    "CONST BIG = 300\r\n"
    "CONST ONE = 1\r\n";
constexpr int32_t kStatementLine = 5;

using Options = qvv2test::CompileOptions;
using Result = qvv2test::CompileResult;

Result CompileStatement(const std::string& statement, const Options& o = Options()) {
    return qvv2test::CompileUtf8(std::string(kPrologue) + statement + "\r\n", o);
}

void ExpectCases(const std::vector<qvv2test::BytesCase>& cases, const Options& o = Options()) {
    qvv2test::ExpectBytesCases(kPrologue, kStatementLine, cases, o);
}

TEST(Assignment, ExpressionsAreWrittenLeftToRight) {
    ExpectCases({
        {"A = 5", {208, 21, 64, 18, 5, 0}, 0},
        {"A = 1", {208, 21, 64, 17, 0}, 0},
        {"A = 0", {208, 21, 64, 16, 0}, 0},
        {"a = b", {208, 21, 64, 21, 65, 0}, 0},
        {"N = 65535", {208, 22, 66, 19, 255, 255, 0}, 0},
        // Expression operands may be 16 bits wide even for a BYTE target.
        {"A = 300", {208, 21, 64, 19, 44, 1, 0}, 0},
        {"A = N", {208, 21, 64, 22, 66, 0}, 0},
        // No precedence: the controller applies each operator in turn.
        {"N = A + 300 * B", {208, 22, 66, 21, 64, 33, 19, 44, 1, 35, 21, 65, 0}, 0},
        {"A = B - 1", {208, 21, 64, 21, 65, 34, 17, 0}, 0},
        {"A = B / 2", {208, 21, 64, 21, 65, 36, 18, 2, 0}, 0},
        {"A = B % 7", {208, 21, 64, 21, 65, 38, 18, 7, 0}, 0},
        {"A = B << 2", {208, 21, 64, 21, 65, 44, 18, 2, 0}, 0},
        {"A = B >> 1", {208, 21, 64, 21, 65, 45, 17, 0}, 0},
        {"A = B MOD 3", {208, 21, 64, 21, 65, 38, 18, 3, 0}, 0},
        {"A = B AND 15", {208, 21, 64, 21, 65, 39, 18, 15, 0}, 0},
        {"A = B OR D", {208, 21, 64, 21, 65, 40, 21, 68, 0}, 0},
        {"A = B XOR 1", {208, 21, 64, 21, 65, 42, 17, 0}, 0},
        {"A = B and 1 or 2", {208, 21, 64, 21, 65, 39, 17, 40, 18, 2, 0}, 0},
        // Constants are written as their numbers.
        {"A = K", {208, 21, 64, 18, 5, 0}, 0},
        {"N = BIG + ONE", {208, 22, 66, 19, 44, 1, 33, 17, 0}, 0},
        {"A = &HFF", {208, 21, 64, 18, 255, 0}, 0},
        // A trailing comment is not part of the statement.
        {"A = 5 ' five", {208, 21, 64, 18, 5, 0}, 0},
    });
}

TEST(Assignment, StringsAndBitReferences) {
    ExpectCases({
        // A string gives the code of its first character as a byte number.
        {"A = \"A\"", {208, 21, 64, 18, 65, 0}, 0},
        {"A = \"AB\"", {208, 21, 64, 18, 65, 0}, 0},
        {"A = \"\x01\"", {208, 21, 64, 17, 0}, 0},
        {"A = \"\xC3\xA9\"", {208, 21, 64, 18, 0xE9, 0}, 0},  // e acute in CP1252
        // Bits: 27, RAM address, mask; bits 8..15 are in the next byte.
        {"A.3 = 1", {208, 27, 64, 8, 17, 0}, 0},
        {"N.9 = 0", {208, 27, 67, 2, 16, 0}, 0},
        {"A.K = B", {208, 27, 64, 32, 21, 65, 0}, 0},
        {"A = B.2", {208, 21, 64, 27, 65, 4, 0}, 0},
        {"A.0 = B.7", {208, 27, 64, 1, 27, 65, 128, 0}, 0},
        {"N = N.15", {208, 22, 66, 27, 67, 128, 0}, 0},
    });
    // A double-byte character has a negative code: the value written is 0.
    Options korean;
    korean.codePage = "CP949";
    ExpectCases({{u8"A = \"가\"", {208, 21, 64, 16, 0}, 0}, {u8"A = \"A가\"", {208, 21, 64, 18, 65, 0}, 0}},
                korean);
}

TEST(Assignment, InputFunctions) {
    ExpectCases({
        {"A = IN(3)", {208, 21, 64, 240, 18, 3, 0}, 0},
        {"A = IN(B)", {208, 21, 64, 240, 21, 65, 0}, 0},
        {"A = REMOCON(1)", {208, 21, 64, 251, 17, 0}, 0},
        {"A = MOTORIN(2)", {208, 21, 64, 254, 18, 2, 0}, 0},
        {"A = AIMOTORIN(3)", {208, 21, 64, 252, 18, 3, 0}, 0},
        {"A = SONAR(0)", {208, 21, 64, 253, 16, 0}, 0},
        {"A = TILT(1)", {208, 21, 64, 144, 17, 0}, 0},
        {"A = GPS(2)", {208, 21, 64, 145, 18, 2, 0}, 0},
        {"A = GPM(K)", {208, 21, 64, 146, 18, 5, 0}, 0},
        {"A = GPL(D)", {208, 21, 64, 147, 21, 68, 0}, 0},
        {"N = NOT(N)", {208, 22, 66, 239, 22, 66, 0}, 0},
        {"N = NOT(300)", {208, 22, 66, 239, 19, 44, 1, 0}, 0},
        {"A = INKEY(1)", {208, 21, 64, 241, 17, 0}, 0},
        {"A = KEYIN(1, 2)", {208, 21, 64, 241, 17, 18, 2, 0}, 0},
        {"A = KEYIN(B, K)", {208, 21, 64, 241, 21, 65, 18, 5, 0}, 0},
        {"A = STATE(5)", {208, 21, 64, 246, 18, 5, 0}, 0},
        {"A = BYTEIN(0)", {208, 21, 64, 242, 16, 0}, 0},
        {"A = PEEK(100)", {208, 21, 64, 249, 18, 100, 0}, 0},
        {"N = ROMPEEK(300)", {208, 22, 66, 250, 19, 44, 1, 0}, 0},
        {"A = VEXAIN", {208, 21, 64, 244, 0}, 0},
        {"A = RCIN(2)", {208, 21, 64, 243, 18, 102, 0}, 0},
        {"A = RCIN(K)", {208, 21, 64, 243, 18, 105, 0}, 0},
        {"A = FIN(200)", {208, 21, 64, 243, 200, 0}, 0},
        {"A = FIN(K)", {208, 21, 64, 243, 5, 0}, 0},
        {"A = AD(3)", {208, 21, 64, 243, 18, 3, 0}, 0},
        {"A = RND", {208, 21, 64, 248, 0}, 0},
        {"A.1 = IN(0)", {208, 27, 64, 2, 240, 16, 0}, 0},
    });
}

TEST(Assignment, PeekOperandWidthFollowsControllerId) {
    Options first;  // Con_ID 1: RAM addresses are one byte
    ExpectCases({{"A = PEEK(300)", {}, 20}, {"A = PEEK(N)", {}, 20}, {"A = PEEK(B)", {208, 21, 64, 249, 21, 65, 0}, 0}},
                first);
    Options other;
    other.conId = 2;
    ExpectCases({{"A = PEEK(300)", {208, 21, 64, 249, 19, 44, 1, 0}, 0},
                 {"A = PEEK(N)", {208, 21, 64, 249, 22, 66, 0}, 0},
                 {"A = PEEK(\"X\")", {}, 19}},
                other);
}

TEST(Assignment, Choice) {
    ExpectCases({
        {"A = CHOICE(B, 10, 300)", {208, 21, 64, 247, 2, 21, 65, 10, 0, 44, 1, 0}, 0},
        {"N = CHOICE(N, K, 0, BIG)", {208, 22, 66, 247, 3, 22, 66, 5, 0, 0, 0, 44, 1, 0}, 0},
        {"A = CHOICE(1, 65535)", {208, 21, 64, 247, 1, 17, 255, 255, 0}, 0},
        {"A = CHOICE(B)", {}, 19},              // fewer than five tokens
        {"A = CHOICE(B, 1, 2", {}, 19},         // no closing parenthesis
        {"A = CHOICE B, 1, 2)", {}, 19},        // no opening parenthesis
        {"A = CHOICE(B 1, 2)", {}, 19},         // no comma after the selector
        {"A = CHOICE(\"X\", 1, 2)", {}, 19},    // selector not a name or number
        {"A = CHOICE(B, 1 2)", {}, 23},         // values not separated by commas
        {"A = CHOICE(B, D)", {}, 42},           // values are constants
        {"A = CHOICE(B, X)", {}, 17},
        {"A = CHOICE(B, 70000)", {}, 41},
        {"A = CHOICE(X, 1)", {}, 17},
    });

    // 255 values are the most one CHOICE holds.
    std::string list;
    for (int i = 0; i < 255; ++i) list += ", 7";
    const Result full = CompileStatement("A = CHOICE(B" + list + ")");
    ASSERT_EQ(full.err, 0);
    ASSERT_EQ(full.code.size(), 3u + 4u + 255u * 2u + 1u);
    EXPECT_EQ(full.code[4], 255);
    EXPECT_EQ(full.code[7], 7);
    EXPECT_EQ(full.code[8], 0);
    EXPECT_EQ(CompileStatement("A = CHOICE(B" + list + ", 7)").err, 49);
}

TEST(Assignment, Errors) {
    ExpectCases({
        // The target.
        {"K = 1", {}, 16},
        {"K.1 = 1", {}, 16},
        {"X = 1", {}, 17},
        {"X.1 = 1", {}, 17},
        {"A", {}, 18},
        {"A 5", {}, 18},
        {"A + 5", {}, 18},
        {"A.3 5", {}, 18},
        {"A.3", {}, 23},
        {"A.X = 1", {}, 17},
        {"A.B = 1", {}, 39},
        // The right side.
        {"A =", {}, 19},
        {"A = \"\"", {}, 19},  // an empty string makes no token: nothing is right of "="
        {"A = (B)", {}, 19},
        {"A = B +", {}, 19},
        {"A = B MOD", {}, 19},
        {"A = B D", {}, 19},
        {"A = 1 2", {}, 19},
        {"A = \"A\" + 1", {}, 19},
        {"A = \"A\", \"B\"", {}, 19},
        {"A = B.2 + 1", {}, 19},
        {"A = ,", {}, 19},
        {"A.3 =", {}, 19},
        {"A = THEN", {}, 19},
        {"A = TO 3", {}, 19},
        {"A = B = D", {}, 22},
        {"A = B < D", {}, 22},
        {"A = B <> 1", {}, 22},
        {"A = B THEN 1", {}, 22},
        {"A = X", {}, 17},
        {"A = B + X", {}, 17},
        {"A = B + \"C\"", {}, 21},
        {"A = B + C.1", {}, 21},
        // Functions stand alone on the right side.
        {"A = B + RND", {}, 21},
        {"A = RND + 1", {}, 19},
        {"A = RND(1)", {}, 19},
        {"A = VEXAIN 1", {}, 19},
        {"A = NOT(B) + 1", {}, 19},
        {"A = IN 3", {}, 19},
        {"A = IN(3", {}, 19},
        {"A = IN", {}, 19},
        {"A = IN(300)", {}, 20},
        {"A = IN(N)", {}, 20},
        {"A = IN(\"X\")", {}, 21},
        {"A = IN(X)", {}, 17},
        {"A = KEYIN(1)", {}, 19},
        {"A = KEYIN(1, 2, 3)", {}, 19},
        {"A = KEYIN(1, N)", {}, 20},
        {"A = RCIN(8)", {}, 41},
        {"A = RCIN(B)", {}, 42},
        {"A = FIN(256)", {}, 41},
        {"A = FIN(B)", {}, 42},
    });
}

TEST(Assignment, KoreanKeywords) {
    ExpectCases({
        {u8"A = 입력(3)", {208, 21, 64, 240, 18, 3, 0}, 0},
        {u8"A = 난수", {208, 21, 64, 248, 0}, 0},
        {u8"A = B 나머지 3", {208, 21, 64, 21, 65, 38, 18, 3, 0}, 0},
        {u8"A = B 그리고 15", {208, 21, 64, 21, 65, 39, 18, 15, 0}, 0},
        {u8"A = 선택(B, 10, 300)", {208, 21, 64, 247, 2, 21, 65, 10, 0, 44, 1, 0}, 0},
        {u8"A = 조종기입력(2)", {208, 21, 64, 243, 18, 102, 0}, 0},
        {u8"A = 키보드(1, 2)", {208, 21, 64, 241, 17, 18, 2, 0}, 0},
        {u8"A = 이면", {}, 19},
    });
}

TEST(Assignment, KoreanVariableNames) {
    QUARVELv2 c;
    c.Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
    c.CodePage = "CP949";
    std::u16string text = qvv2::FromUtf8(u8"선언 속도값 는 바이트\r\n속도값 = 7\r\n");
    c.Compile(text);
    ASSERT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Bytes(c.ObjCode.begin() + 17, c.ObjCode.begin() + 23), (Bytes{208, 21, 64, 18, 7, 0}));
}

TEST(Assignment, ErrorNamesTheAssignment) {
    Options english;
    const Result r = CompileStatement("A = B +", english);
    ASSERT_EQ(r.err, 19);
    EXPECT_NE(r.msg.find(u"[Assign(=)] Wrong right side."), std::u16string::npos) << qvv2::ToUtf8(r.msg);
    Options korean;
    korean.lang = 1;
    const Result k = CompileStatement("K = 1", korean);
    ASSERT_EQ(k.err, 16);
    EXPECT_NE(k.msg.find(u"[대입(=)]"), std::u16string::npos) << qvv2::ToUtf8(k.msg);
}

TEST(Assignment, HelpersStayInsideTheirRange) {
    // The helpers read only the tokens they are given, so a statement cut
    // short never reaches into the next line.
    QUARVELv2 c;
    c.Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
    std::u16string text = qvv2::FromUtf8(std::string(kPrologue) + "A = B +\r\nD = 1\r\n");
    c.Compile(text);
    EXPECT_EQ(c.Bas_Error, 19);
    EXPECT_EQ(c.Bas_Error_Line, kStatementLine);

    int16_t err = -1;
    Core(c).CompileExpression(5, 4, 1, err);
    EXPECT_EQ(err, 19);
    Core(c).CompileRightSide(Core(c).tokenCount_ + 1, Core(c).tokenCount_ + 5, err);
    EXPECT_EQ(err, 19);
    Core(c).CompileInputFunction(0, 0, err);
    EXPECT_EQ(err, 19);
}

}  // namespace
