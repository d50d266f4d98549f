// The compile driver: header, empty programs, results after success and
// failure, and the inputs a compile must not touch.
#include <gtest/gtest.h>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::ClockTime;
using qvv2::QUARVELv2;

namespace {

using qvv2test::CompileCopy;
using qvv2test::FixedClock;

std::vector<uint8_t> Image(const QUARVELv2& c) {
    return std::vector<uint8_t>(c.ObjCode.begin() + 1, c.ObjCode.begin() + 1 + c.TotalBytes);
}

struct CompilerFixture : ::testing::Test {
    QUARVELv2 c;
    void SetUp() override {
        c.Clock = FixedClock;
        c.CodePage = "CP1252";
        c.cmdLang = 0;
    }
};

TEST_F(CompilerFixture, CommentOnlyProgramIsHeaderAndEndJump) {
    c.Filename = u"C:\\robots\\robot1.bas";
    CompileCopy(c, u"' nothing but a comment\r\n");
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(c.TotalBytes, 19);
    const std::vector<uint8_t> expected = {'r', 'o', 'b', 'o', 't', '1', '.', 'b', 26, 12, 8, 8, 15, 30,
                                           19,  0,   0xC4, 16, 0};
    EXPECT_EQ(Image(c), expected);
    EXPECT_EQ(c.ObjCode[0], 0);
    EXPECT_EQ(c.ObjCode.size(), 20u);
}

TEST_F(CompilerFixture, ProgramNameIsLastComponentPaddedToEightBytes) {
    struct Case {
        std::u16string filename;
        std::string codePage;
        std::vector<uint8_t> name;
    };
    const std::vector<Case> cases = {
        {u"C:\\robots\\robot1.bas", "CP1252", {'r', 'o', 'b', 'o', 't', '1', '.', 'b'}},
        {u"/home/user/robots/walk.bas", "CP1252", {'w', 'a', 'l', 'k', '.', 'b', 'a', 's'}},
        {u"LINE_CNT", "CP1252", {'L', 'I', 'N', 'E', '_', 'C', 'N', 'T'}},
        {u"a", "CP1252", {'a', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        {u"", "CP1252", {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        {u"dir\\", "CP1252", {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}},
        // Korean: two bytes a character in CP949 ("제목없음" = C1 A6 B8 F1 BE F8 C0 BD).
        {u"C:\\작업\\제목없음.bas", "CP949", {0xC1, 0xA6, 0xB8, 0xF1, 0xBE, 0xF8, 0xC0, 0xBD}},
        {u"동작1.bas", "CP949", {0xB5, 0xBF, 0xC0, 0xDB, '1', '.', 'b', 'a'}},
        // A character the code page cannot carry becomes '?'.
        {u"\u4E00x", "CP1252", {'?', 'x', ' ', ' ', ' ', ' ', ' ', ' '}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(qvv2::ToUtf8(k.filename));
        c.Filename = k.filename;
        c.CodePage = k.codePage;
        CompileCopy(c, u"'x");
        ASSERT_EQ(c.TotalBytes, 19);
        EXPECT_EQ(std::vector<uint8_t>(c.ObjCode.begin() + 1, c.ObjCode.begin() + 9), k.name);
    }
}

TEST_F(CompilerFixture, DateAndTimeComeFromTheClockWhenTheCompileStarts) {
    const std::vector<std::pair<ClockTime, std::vector<uint8_t>>> cases = {
        {{2026, 12, 8, 8, 15, 30}, {26, 12, 8, 8, 15, 30}},
        {{2000, 1, 1, 0, 0, 0}, {0, 1, 1, 0, 0, 0}},
        {{1999, 12, 31, 23, 59, 59}, {99, 12, 31, 23, 59, 59}},
    };
    for (const auto& [t, bytes] : cases) {
        c.Clock = [t = t] { return t; };
        CompileCopy(c, u"'x");
        EXPECT_EQ(std::vector<uint8_t>(c.ObjCode.begin() + 9, c.ObjCode.begin() + 15), bytes);
    }
}

TEST_F(CompilerFixture, BlankTextChangesNothing) {
    c.Filename = u"first.bas";
    CompileCopy(c, u"'x");
    const std::vector<uint8_t> before = c.ObjCode;
    c.Bas_Error = 7;
    for (const std::u16string& blank : {std::u16string(), std::u16string(u"   "), std::u16string(u" ")}) {
        c.Filename = u"second.bas";
        CompileCopy(c, blank);
        EXPECT_EQ(c.Bas_Error, 0);
        EXPECT_EQ(c.TotalBytes, 19);
        EXPECT_EQ(c.ObjCode, before);
    }
}

TEST_F(CompilerFixture, EveryCompileResetsStateButKeepsHostInputs) {
    c.Filename = u"one.bas";
    c.Con_ID = 3;
    c.Con_Type = 5;
    c.CompileMsg = u"Busy";
    c.Remark = u"old remark";
    c.CommandUnuseAll();
    CompileCopy(c, u"'x");
    EXPECT_EQ(std::string(c.ObjCode.begin() + 1, c.ObjCode.begin() + 9), "one.bas ");
    EXPECT_EQ(c.Remark, u"");
    EXPECT_EQ(c.CommandEnabled(43), -1);  // every compile enables every command

    c.Filename = u"two.bas";
    CompileCopy(c, u"'x");
    EXPECT_EQ(std::string(c.ObjCode.begin() + 1, c.ObjCode.begin() + 9), "two.bas ");
    EXPECT_EQ(c.Con_ID, 3);
    EXPECT_EQ(c.Con_Type, 5);
    EXPECT_EQ(c.CompileMsg, u"Busy");
}

// A compile starts from the same state whatever the control compiled before:
// a long program that stopped half-way (open FOR, labels, names, music
// octave and tempo changed, a large image) leaves nothing behind that the
// next compile could read.
TEST_F(CompilerFixture, CompileAfterAnotherGivesWhatAFreshControlGives) {
    std::u16string first = u"DIM I AS BYTE\r\nDIM K AS INTEGER\r\nCONST C = 300\r\n";
    for (int n = 0; n < 400; ++n) {
        const std::string k = std::to_string(n);
        first += u"L" + std::u16string(k.begin(), k.end()) + u":\r\n";
        first += u"PLAY \"HT9CDE\"\r\nMUSIC \"O5#C\"\r\nIF I > 3 THEN\r\nGOSUB L0\r\nENDIF\r\n";
    }
    first += u"FOR I = 1 TO 10\r\n";
    CompileCopy(c, first);
    ASSERT_EQ(c.Bas_Error, 29);  // the FOR is never closed

    const std::u16string second =
        u"DIM A AS BYTE\r\nL0:\r\nPLAY \"CDE\"\r\nMUSIC \"C\"\r\nFOR A = 1 TO 2\r\nNEXT A\r\n"
        u"IF A = 1 THEN\r\nGOTO L0\r\nENDIF\r\n";
    CompileCopy(c, second);
    ASSERT_EQ(c.Bas_Error, 0);

    QUARVELv2 fresh;
    fresh.Clock = FixedClock;
    fresh.CodePage = "CP1252";
    fresh.cmdLang = 0;
    CompileCopy(fresh, second);

    EXPECT_EQ(c.Bas_Error, fresh.Bas_Error);
    EXPECT_EQ(c.Bas_Error_Line, fresh.Bas_Error_Line);
    EXPECT_EQ(c.Bas_Error_Msg, fresh.Bas_Error_Msg);
    EXPECT_EQ(c.TotalBytes, fresh.TotalBytes);
    EXPECT_EQ(c.ObjCode, fresh.ObjCode);
    EXPECT_EQ(c.TotalLines, fresh.TotalLines);
    EXPECT_EQ(c.LineObjPos, fresh.LineObjPos);
    EXPECT_EQ(c.TotalVars, fresh.TotalVars);
    EXPECT_EQ(c.VarNAME, fresh.VarNAME);
    EXPECT_EQ(c.VarPOS, fresh.VarPOS);
}

TEST(CompilerControl, InitialPropertiesMatchTheControlsDefaults) {
    QUARVELv2 c;
    EXPECT_EQ(c.Con_ID, 1);
    EXPECT_EQ(c.Con_MajorVer, 1);
    EXPECT_EQ(c.Con_MinorVer, 0);
    EXPECT_EQ(c.cmdLang, 1);
    EXPECT_EQ(c.TotalCommands, 138);
    EXPECT_EQ(c.CompileMsg, u"Compiling...");
    EXPECT_EQ(c.TotalBytes, 0);
    EXPECT_TRUE(c.ObjCode.empty());
    for (int16_t i = 0; i <= 138; ++i) EXPECT_EQ(c.CommandEnabled(i), 0) << i;
    EXPECT_EQ(c.Jo2Wan(), u"");
    EXPECT_FALSE(c.CompanyName.empty());
    EXPECT_FALSE(c.FileDescription.empty());
}

TEST(CompilerControl, DelayTimeOutsideItsRangeReturnsAtOnce) {
    // Without an application the wait sleeps: a value above the range
    // returns long before that much time has passed.  (With an event queue,
    // qtcompiler's DelayTime tests see that not one event was handled.)
    QUARVELv2 c;
    for (int32_t ms : {0, -5, 60001, 1000000}) {
        const auto start = std::chrono::steady_clock::now();
        c.DelayTime(ms);
        if (ms > 0) {
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(ms)) << ms;
        }
    }
    int32_t ms = 30;
    const auto start = std::chrono::steady_clock::now();
    c.DelayTime(ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace

namespace {

TEST_F(CompilerFixture, ProgramBeyondTheBufferFailsWithError1000AndPublishesNothing) {
    std::u16string text;
    for (int i = 0; i < 12000; ++i) text += u"MOVE G6A, 100, 100, 100, 100, 100, 100\r\n";
    CompileCopy(c, text);
    EXPECT_EQ(c.Bas_Error, 1000);
    EXPECT_EQ(c.Bas_Error_Msg, u" Line\r\nError 1000 : [Memory Error] Too big program size.");
    EXPECT_GT(c.Bas_Error_Line, 1);
    EXPECT_LT(c.Bas_Error_Line, 12000);
    EXPECT_EQ(c.TotalBytes, 0);
    EXPECT_EQ(c.ObjCode.size(), 1u);

    // The next compile of a small program works normally.
    CompileCopy(c, u"MOVE G6A, 100, 100, 100, 100, 100, 100\r\n");
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_GT(c.TotalBytes, 19);
}

}  // namespace
