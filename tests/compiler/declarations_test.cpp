// DIM and CONST: the variable records, RAM addresses and the published
// variable table.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

namespace {

using qvv2::FromUtf8;
using qvv2::QUARVELv2;
using qvv2::ToUtf8;
using qvv2test::CompileUtf8Text;

// A record as "NAME type address value dim op0 op1".
std::string Record(const qvv2::VarRecord& v) {
    return ToUtf8(v.name) + " " + std::to_string(v.type) + " " + std::to_string(v.address) + " " +
           std::to_string(v.value) + " " + std::to_string(v.dim) + " " + std::to_string(v.operand[0]) + " " +
           std::to_string(v.operand[1]);
}

std::vector<std::string> Records(const QUARVELv2& c) {
    std::vector<std::string> out;
    for (int32_t i = 1; i <= Core(c).varCount_; ++i) out.push_back(Record(Core(c).vars_[i]));
    return out;
}

// The published table as "NAME address type dim".
std::vector<std::string> Published(const QUARVELv2& c) {
    std::vector<std::string> out;
    EXPECT_EQ(c.VarNAME.size(), static_cast<size_t>(c.TotalVars) + 1);
    EXPECT_EQ(c.VarPOS.size(), static_cast<size_t>(c.TotalVars) + 1);
    EXPECT_EQ(c.VarTYPE.size(), static_cast<size_t>(c.TotalVars) + 1);
    EXPECT_EQ(c.VarDIM.size(), static_cast<size_t>(c.TotalVars) + 1);
    for (int i = 1; i <= c.TotalVars && i < static_cast<int>(c.VarNAME.size()); ++i)
        out.push_back(ToUtf8(c.VarNAME[i]) + " " + std::to_string(c.VarPOS[i]) + " " +
                      std::to_string(c.VarTYPE[i]) + " " + std::to_string(c.VarDIM[i]));
    return out;
}

struct Case {
    std::string text;
    int16_t error;
    int32_t line;
    std::vector<std::string> records;
    std::vector<std::string> published;
};

TEST(Declarations, DimAndConst) {
    const std::vector<Case> cases = {
        // addresses from 64, one byte for BYTE and two for INTEGER
        {"DIM A AS BYTE, B AS INTEGER, X AS BYTE\r\nDIM Y AS INTEGER",
         0,
         0,
         {"A 2 64 0 -1 21 64", "B 3 65 0 -1 22 65", "X 2 67 0 -1 21 67", "Y 3 68 0 -1 22 68"},
         {"A 64 2 -1", "B 65 3 -1", "X 67 2 -1", "Y 68 3 -1"}},
        {"dim a as byte", 0, 0, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"DIM A AS BYTE,", 0, 0, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"DIM A AS BYTE ' the counter", 0, 0, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"MAIN: DIM A AS INTEGER", 0, 0, {"A 3 64 0 -1 22 64"}, {"A 64 3 -1"}},
        {"선언 가 는 바이트, 나 는 정수",
         0,
         0,
         {"가 2 64 0 -1 21 64", "나 3 65 0 -1 22 65"},
         {"가 64 2 -1", "나 65 3 -1"}},
        // constants: type 4 + size class of the number, nothing published
        {"CONST K0 = 0\r\nCONST K1 = 1\r\nCONST B = 255\r\nCONST LIMIT = 300\r\nCONST BIG = 99999999",
         0,
         0,
         {"K0 5 0 0 0 0 0", "K1 5 0 1 0 0 0", "B 6 0 255 0 0 0", "LIMIT 7 0 300 0 0 0", "BIG 9 0 99999999 0 0 0"},
         {}},
        {"CONST H = &HFF\r\nconst w = &H10000", 0, 0, {"H 6 0 255 0 0 0", "W 9 0 65536 0 0 0"}, {}},
        {"상수 최대 = 10", 0, 0, {"최대 6 0 10 0 0 0"}, {}},
        // constants and variables share the records, not the published index
        {"CONST K = 1\r\nDIM V AS BYTE", 0, 0, {"K 5 0 1 0 0 0", "V 2 64 0 -1 21 64"}, {"V 64 2 -1"}},
        // 15: declared already, by either statement, in any case
        {"DIM A AS BYTE\r\nDIM A AS INTEGER", 15, 2, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"DIM A AS BYTE\r\nCONST a = 5", 15, 2, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"CONST A = 5\r\nDIM A AS BYTE", 15, 2, {"A 6 0 5 0 0 0"}, {}},
        {"DIM A AS BYTE, B AS BYTE, a AS BYTE",
         15,
         1,
         {"A 2 64 0 -1 21 64", "B 2 65 0 -1 21 65"},
         {"A 64 2 -1", "B 65 2 -1"}},
        // 14: wrong shapes; declarations before the error on the line stay
        {"DIM A AS BYTE B AS BYTE", 14, 1, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"DIM A BYTE", 14, 1, {}, {}},
        {"DIM A AS WORD", 14, 1, {}, {}},
        {"DIM A AS", 14, 1, {}, {}},
        {"DIM", 14, 1, {}, {}},
        {"DIM A AS BYTE,,", 14, 1, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"DIM 5 AS BYTE", 14, 1, {}, {}},
        {"DIM PRINT AS BYTE", 14, 1, {}, {}},
        {"선언 속도 는 바이트", 14, 1, {}, {}},  // a Korean keyword is no name either
        {"DIM A.1 AS BYTE", 14, 1, {}, {}},
        {"DIM A AS BYTE INTEGER", 14, 1, {"A 2 64 0 -1 21 64"}, {"A 64 2 -1"}},
        {"CONST ON = 1", 14, 1, {}, {}},
        {"CONST X = Y", 14, 1, {}, {}},
        {"CONST X = 1 + 2", 14, 1, {}, {}},
        {"CONST X = -1", 14, 1, {}, {}},
        {"CONST X 5", 14, 1, {}, {}},
        {"CONST X > 5", 14, 1, {}, {}},
        {"CONST X = \"5\"", 14, 1, {}, {}},
        {"CONST", 14, 1, {}, {}},
        {"CONST X = 5, 6", 14, 1, {}, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        QUARVELv2 c;
        CompileUtf8Text(c, k.text);
        EXPECT_EQ(c.Bas_Error, k.error);
        EXPECT_EQ(c.Bas_Error_Line, k.line);
        EXPECT_EQ(Records(c), k.records);
        EXPECT_EQ(Published(c), k.published);
        EXPECT_EQ(c.TotalBytes, k.error ? 0 : 19);  // declarations write no code
    }
}

TEST(Declarations, FindVariableIgnoresCase) {
    QUARVELv2 c;
    CompileUtf8Text(c, "CONST K = 1\r\nDIM Count AS BYTE\r\n선언 거리 는 정수");
    ASSERT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Core(c).FindVariable(u"k"), 1);
    EXPECT_EQ(Core(c).FindVariable(u"COUNT"), 2);
    EXPECT_EQ(Core(c).FindVariable(u"cOUNT"), 2);
    EXPECT_EQ(Core(c).FindVariable(FromUtf8("거리")), 3);
    EXPECT_EQ(Core(c).FindVariable(u"COUNT2"), 0);
}

TEST(Declarations, EveryCompileStartsAFreshTable) {
    QUARVELv2 c;
    CompileUtf8Text(c, "DIM A AS BYTE, B AS INTEGER");
    ASSERT_EQ(c.TotalVars, 2);
    CompileUtf8Text(c, "DIM B AS BYTE");
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Published(c), std::vector<std::string>{"B 64 2 -1"});
    EXPECT_EQ(Core(c).FindVariable(u"A"), 0);
}

TEST(Declarations, RamEndsAt255) {
    struct RamCase {
        const char* name;
        int bytes;     // BYTE variables declared first
        int integers;  // then INTEGER variables
        int16_t error;
        int16_t lastAddress;
    };
    const std::vector<RamCase> cases = {
        {"192 bytes fill 64..255", 192, 0, 0, 255},
        {"a 193rd byte does not fit", 193, 0, 41, 255},
        {"96 integers fill 64..255", 0, 96, 0, 254},
        {"a 97th integer does not fit", 0, 97, 41, 254},
        {"an integer at 255 would reach 256", 191, 1, 41, 254},
        {"an integer at 254 fits", 190, 1, 0, 254},
    };
    for (const RamCase& k : cases) {
        SCOPED_TRACE(k.name);
        std::string text;
        for (int i = 0; i < k.bytes; ++i) text += "DIM B" + std::to_string(i) + " AS BYTE\r\n";
        for (int i = 0; i < k.integers; ++i) text += "DIM I" + std::to_string(i) + " AS INTEGER\r\n";
        QUARVELv2 c;
        CompileUtf8Text(c, text);
        EXPECT_EQ(c.Bas_Error, k.error);
        if (k.error) {
            EXPECT_EQ(c.Bas_Error_Line, k.bytes + k.integers);
            EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), " Line\r\nError 41 : [DIM] Over range.");
        }
        const int declared = k.error ? k.bytes + k.integers - 1 : k.bytes + k.integers;
        ASSERT_EQ(c.TotalVars, declared);
        EXPECT_EQ(c.VarPOS[declared], k.lastAddress);
    }
}

TEST(Declarations, ErrorTextsInBothLanguages) {
    struct TextCase {
        std::string text;
        int16_t lang;
        std::string message;
    };
    const std::vector<TextCase> cases = {
        {"DIM A AS WORD", 0, " Line\r\nError 14 : [DIM] Wrong declaration of variable or constant."},
        {"DIM A AS WORD", 1, "번째 줄에서\r\n에러 14 : [DIM(선언)] 변수(상수) 선언이 잘못되었습니다."},
        {"CONST A = 1\r\nCONST A = 2", 0,
         " Line\r\nError 15 : [CONST] This variable name(or constant name) is declared already."},
        {"CONST A = 1\r\n상수 A = 2", 1, "번째 줄에서\r\n에러 15 : [CONST(상수)] 이미 선언된 변수명(상수명)입니다."},
    };
    for (const TextCase& k : cases) {
        SCOPED_TRACE(k.text);
        QUARVELv2 c;
        c.cmdLang = k.lang;
        std::u16string text = FromUtf8(k.text);
        c.Compile(text);
        EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), k.message);
    }
}

}  // namespace
