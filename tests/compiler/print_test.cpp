// PRINT: the item list and the two FORMAT forms, byte for byte, and every
// error the statement raises, compiled through the public Compile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using Bytes = std::vector<uint8_t>;

// A 64 (BYTE), N 65..66 (INTEGER); constants K = 5, BIG = 300, ONE = 1.
const char* const kPrologue =
    "DIM A AS BYTE, N AS INTEGER\r\n"
    "CONST K = 5\r\n"
    "CONST BIG = 300\r\n"
    "CONST ONE = 1\r\n";
constexpr int32_t kStatementLine = 5;

using Result = qvv2test::CompileResult;

qvv2test::CompileOptions PrintOptions(const std::string& codePage, int16_t lang = 0) {
    qvv2test::CompileOptions o;
    o.codePage = codePage;
    o.lang = lang;
    return o;
}

Result CompilePrintLine(const std::string& statement, const std::string& codePage = "CP1252",
                        int16_t lang = 0) {
    return qvv2test::CompileUtf8(std::string(kPrologue) + statement + "\r\n", PrintOptions(codePage, lang));
}

void ExpectCases(const std::vector<qvv2test::BytesCase>& cases, const std::string& codePage = "CP1252") {
    qvv2test::ExpectBytesCases(kPrologue, kStatementLine, cases, PrintOptions(codePage));
}

TEST(Print, ItemList) {
    ExpectCases({
        {"PRINT \"A\", 13", {227, 24, 65, 13, 0}, 0},
        {"PRINT \"Hi!\"", {227, 24, 'H', 'i', '!', 0}, 0},
        {"PRINT 1", {227, 24, 1, 0}, 0},
        {"PRINT 255", {227, 24, 255, 0}, 0},
        {"PRINT K, ONE", {227, 24, 5, 1, 0}, 0},
        {"PRINT &H0D, \"x\", 10", {227, 24, 13, 'x', 10, 0}, 0},
        {"print \"a b\"", {227, 24, 'a', ' ', 'b', 0}, 0},
        // Characters above 127 take their code in the ANSI code page.
        {"PRINT \"\xC3\xA9\"", {227, 24, 0xE9, 0}, 0},
    });
    // A double-byte character is written as two zero bytes.
    ExpectCases({{u8"PRINT \"가\"", {227, 24, 0, 0, 0}, 0}, {u8"PRINT \"A한B\"", {227, 24, 65, 0, 0, 66, 0}, 0}},
                "CP949");
}

TEST(Print, Format) {
    ExpectCases({
        // Width derived from the operand: the print encoding of the operand.
        {"PRINT FORMAT(A, HEX)", {227, 25, 21, 64, 2}, 0},
        {"PRINT FORMAT(A, DEC)", {227, 26, 21, 64, 3}, 0},
        {"PRINT FORMAT(A, BIN)", {227, 27, 21, 64, 8}, 0},
        {"PRINT FORMAT(N, HEX)", {227, 25, 22, 65, 4}, 0},
        {"PRINT FORMAT(N, DEC)", {227, 26, 22, 65, 5}, 0},
        {"PRINT FORMAT(N, BIN)", {227, 27, 22, 65, 15}, 0},
        {"PRINT FORMAT(1, BIN)", {227, 27, 17, 3}, 0},
        {"PRINT FORMAT(200, HEX)", {227, 25, 18, 200, 2}, 0},
        {"PRINT FORMAT(300, BIN)", {227, 27, 19, 44, 1, 15}, 0},
        {"PRINT FORMAT(BIG, DEC)", {227, 26, 19, 44, 1, 5}, 0},
        {"PRINT FORMAT(K, HEX)", {227, 25, 18, 5, 2}, 0},
        // Explicit width: the generic operand, then the width byte.
        {"PRINT FORMAT(A, DEC, 3)", {227, 26, 21, 64, 3}, 0},
        {"PRINT FORMAT(N, HEX, K)", {227, 25, 22, 65, 5}, 0},
        {"PRINT FORMAT(300, BIN, 16)", {227, 27, 19, 44, 1, 16}, 0},
        {"PRINT FORMAT(0, DEC, 255)", {227, 26, 16, 255}, 0},
    });
}

TEST(Print, Errors) {
    ExpectCases({
        // Item list.
        {"PRINT", {}, 23},
        {"PRINT 0", {}, 41},
        {"PRINT 256", {}, 41},
        {"PRINT BIG", {}, 41},
        {"PRINT A", {}, 42},
        {"PRINT \"A\", N", {}, 42},
        {"PRINT X", {}, 17},
        {"PRINT \"A\",", {}, 19},
        {"PRINT \"A\" \"B\"", {}, 23},
        {"PRINT \"A\", , \"B\"", {}, 23},
        {"PRINT ,", {}, 23},
        {"PRINT (", {}, 23},
        {"PRINT A.1", {}, 23},
        {"PRINT HEX", {}, 23},
        // FORMAT.
        {"PRINT FORMAT", {}, 23},
        {"PRINT FORMAT(A, HEX", {}, 23},
        {"PRINT FORMAT(A HEX)", {}, 23},
        {"PRINT FORMAT A, HEX, 3, 4", {}, 23},
        {"PRINT FORMAT(A, OCT)", {}, 23},
        {"PRINT FORMAT(A, FORMAT)", {}, 23},
        {"PRINT FORMAT(\"X\", HEX)", {}, 23},
        {"PRINT FORMAT(A, HEX, 3, 4)", {}, 23},
        {"PRINT FORMAT(A, HEX 3)", {}, 23},
        {"PRINT FORMAT(A, HEX, \"3\")", {}, 23},
        {"PRINT FORMAT(A, HEX, 3 4", {}, 23},
        {"PRINT FORMAT(X, HEX)", {}, 17},
        {"PRINT FORMAT(X, HEX, 3)", {}, 17},
        {"PRINT FORMAT(A, HEX, 0)", {}, 41},
        {"PRINT FORMAT(A, HEX, 256)", {}, 41},
        {"PRINT FORMAT(A, HEX, A)", {}, 42},
        {"PRINT FORMAT(A, HEX, Y)", {}, 17},
    });
}

TEST(Print, KoreanKeywords) {
    ExpectCases({
        {u8"화면출력 \"A\", 13", {227, 24, 65, 13, 0}, 0},
        {u8"화면출력 형식(A, 십육진)", {227, 25, 21, 64, 2}, 0},
        {u8"화면출력 형식(N, 십진, 4)", {227, 26, 22, 65, 4}, 0},
        {u8"화면출력 형식(N, 이진)", {227, 27, 22, 65, 15}, 0},
        {u8"화면출력", {}, 23},
    });
}

TEST(Print, ErrorNamesThePrintStatement) {
    const Result r = CompilePrintLine("PRINT \"A\",");
    ASSERT_EQ(r.err, 19);
    EXPECT_NE(r.msg.find(u"[PRINT] Wrong right side."), std::u16string::npos) << qvv2::ToUtf8(r.msg);
    const Result k = CompilePrintLine("PRINT", "CP949", 1);
    ASSERT_EQ(k.err, 23);
    EXPECT_NE(k.msg.find(u"[PRINT(화면출력)]"), std::u16string::npos) << qvv2::ToUtf8(k.msg);
}

TEST(Print, PrintItemTakesStringsOnly) {
    QUARVELv2 c;
    std::u16string text = u"'x";
    c.Compile(text);
    const int32_t before = c.ObjectPosition();
    int16_t err = 0;
    Core(c).CompilePrintItem(qvv2::Token{u"5", qvv2::TK_NUMBER, 2}, err);
    EXPECT_EQ(err, 43);
    EXPECT_EQ(c.ObjectPosition(), before);
    c.CodePage = "CP1252";
    Core(c).CompilePrintItem(qvv2::Token{u"", qvv2::TK_STRING, 0}, err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(c.ObjectPosition(), before);
}

TEST(Print, StatementCutShortReadsNothingBeyondTheTokens) {
    QUARVELv2 c;
    std::u16string text = u"PRINT FORMAT";
    c.Compile(text);
    ASSERT_EQ(c.Bas_Error, 23);
    int32_t first = Core(c).tokenCount_;
    int32_t last = Core(c).tokenCount_ + 8;
    int16_t err = 0;
    Core(c).CompilePrint(first, last, err);
    EXPECT_EQ(err, 23);
    first = Core(c).tokenCount_ - 1;
    Core(c).CompilePrint(first, last, err);
    EXPECT_EQ(err, 23);
}

}  // namespace
