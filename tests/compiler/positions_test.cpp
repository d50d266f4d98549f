// Servo position statements: POS blocks and MOVEPOS on each controller type,
// the label fix-up each MOVEPOS form leaves and the target check that the
// label resolution makes with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using Bytes = std::vector<int>;
using qvv2test::Cat;
using qvv2test::RunStatementCompiler;
using qvv2test::StatementCompiler;
using qvv2test::Zeros;

struct Case {
    int conType;
    std::u16string program;  // lines separated by CR LF
    Bytes bytes;             // all code after the header, without the end jump, when err is 0
    int err = 0;
    int errLine = 0;
};

struct PositionStatements : qvv2test::CompilerTest {
    void SetUp() override {
        CompilerTest::SetUp();
        c.Con_ID = 2;
    }
    void CompileText(int conType, const std::u16string& text) {
        c.Con_Type = static_cast<int16_t>(conType);
        CompilerTest::CompileText(text);
    }
    Bytes Code() const { return qvv2test::CodeNumbersFrom(c, 17); }
    void Check(const Case& k) {
        SCOPED_TRACE("Con_Type " + std::to_string(k.conType) + ": " + qvv2::ToUtf8(k.program));
        CompileText(k.conType, k.program + u"\r\n");
        if (k.err != 0) {
            EXPECT_EQ(c.Bas_Error, k.err);
            if (k.errLine != 0) {
                EXPECT_EQ(c.Bas_Error_Line, k.errLine);
            }
            return;
        }
        ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
        EXPECT_EQ(Code(), k.bytes);
    }
    void CheckAll(const std::vector<Case>& cases) {
        for (const Case& k : cases) Check(k);
    }
};

const std::u16string kDecl = u"DIM BV AS BYTE\r\nCONST C100 = 100\r\n";

TEST_F(PositionStatements, PosBlocksOfTypesTwoAndFive) {
    CheckAll({
        {2, u"POS 100, 100, 100", {239, 100, 100, 100, 0, 0, 0}},
        {2, u"POS , 90", {239, 0, 90, 0, 0, 0, 0}},
        {2, u"POS 50,", {239, 50, 0, 0, 0, 0, 0}},
        {2, u"POS 10, 20, 30, 40, 50, 190", {239, 10, 20, 30, 40, 50, 190}},
        {2, u"POS , , , , , ,", {239, 0, 0, 0, 0, 0, 0}},
        {2, u"POS", {239, 0, 0, 0, 0, 0, 0}},
        {2, u"모터위치 100, , 120", {239, 100, 0, 120, 0, 0, 0}},
        {2, kDecl + u"POS C100", {239, 100, 0, 0, 0, 0, 0}},
        {5, u"POS 100, 100, 100", {177, 0, 6, 100, 100, 100, 0, 0, 0}},
        {5, u"POS , 90", {177, 0, 6, 0, 90, 0, 0, 0, 0}},
        {5, u"POS", {177, 0, 6, 0, 0, 0, 0, 0, 0}},
        {5, u"모터위치 10, 20, 30, 40, 50, 60", {177, 0, 6, 10, 20, 30, 40, 50, 60}},
    });
    for (int conType : {2, 5}) {
        CheckAll({
            {conType, u"POS 10, 20, 30, 40, 50, 60, 70", {}, 23, 1},
            {conType, u"POS , , , , , , ,", {}, 23, 1},
            {conType, u"POS 5", {}, 41, 1},
            {conType, u"POS 200", {}, 41, 1},
            {conType, u"POS 100, 9", {}, 41, 1},
            {conType, kDecl + u"POS BV", {}, 42, 3},
            {conType, u"POS NOSUCH", {}, 17, 1},
            {conType, u"POS G6A, 100", {}, 23, 1},
            {conType, u"POS 100, \"A\"", {}, 23, 1},
            {conType, u"POS 100 + 1", {}, 23, 1},
        });
    }
}

TEST_F(PositionStatements, PosOnOtherTypesIsTheGroupForm) {
    for (int conType : {0, 1, 3, 8}) {
        CheckAll({
            {conType, u"POS G6B, 100", {177, 6, 6, 100, 0, 0, 0, 0, 0}},
            {conType, u"모터위치 그룹8C, 10, 190", Cat({177, 16, 8, 10, 190}, Zeros(6))},
            {conType, u"POS 100", {}, 23, 1},
        });
    }
}

TEST_F(PositionStatements, MovePosOfTypesTwoAndFive) {
    CheckAll({
        // Backward and forward references; the address is the labelled line's
        // first code byte, low byte first.
        {2, u"L1: POS 100\r\nMOVEPOS L1", {239, 100, 0, 0, 0, 0, 0, 238, 16, 0}},
        {2, u"MOVEPOS L1\r\nL1: POS 100", {238, 19, 0, 239, 100, 0, 0, 0, 0, 0}},
        {2, u"L1:\r\nPOS 100\r\nMOVEPOS l1", {239, 100, 0, 0, 0, 0, 0, 238, 16, 0}},
        {2, u"10 POS 100\r\nMOVEPOS 10", {239, 100, 0, 0, 0, 0, 0, 238, 16, 0}},
        {2, u"P: POS 100\r\n동작위치 P", {239, 100, 0, 0, 0, 0, 0, 238, 16, 0}},
        {5, u"L1: POS 100\r\nMOVEPOS L1", {177, 0, 6, 100, 0, 0, 0, 0, 0, 178, 16, 0}},
        {5, u"MOVEPOS L1\r\nL1: POS 100", {178, 19, 0, 177, 0, 6, 100, 0, 0, 0, 0, 0}},
        {5, u"P: 모터위치 100\r\n동작위치 P", {177, 0, 6, 100, 0, 0, 0, 0, 0, 178, 16, 0}},
    });
    for (int conType : {2, 5}) {
        CheckAll({
            {conType, u"MOVEPOS", {}, 23, 1},
            {conType, u"L1: POS 100\r\nMOVEPOS L1, L1", {}, 23, 2},
            {conType, u"L1: POS 100\r\nMOVEPOS G6A, L1", {}, 23, 2},
            {conType, u"MOVEPOS NOWHERE", {}, 25, 1},
            // The label must mark a POS block of the controller's own form.
            {conType, u"L1: MOVE G6A, 100\r\nMOVEPOS L1", {}, 51, 2},
            {conType, u"L1: ' nothing\r\nMOVEPOS L1", {}, 51, 2},
        });
    }
}

struct GroupWord {
    std::u16string english, korean;
    int first, count;
    int fixupKind;
    int wrongTargetMessage;
};

const std::vector<GroupWord> kGroups = {
    {u"G6A", u"그룹6A", 0, 6, 7, 76},     {u"G6B", u"그룹6B", 6, 6, 8, 77},
    {u"G6C", u"그룹6C", 12, 6, 9, 78},    {u"G6D", u"그룹6D", 18, 6, 10, 79},
    {u"G6E", u"그룹6E", 24, 6, 11, 146},  {u"G8A", u"그룹8A", 0, 8, 12, 80},
    {u"G8B", u"그룹8B", 8, 8, 13, 81},    {u"G8C", u"그룹8C", 16, 8, 14, 82},
    {u"G8D", u"그룹8D", 24, 8, 15, 83},   {u"G12", u"그룹12", 0, 12, 16, 147},
    {u"G16", u"그룹16", 0, 16, 17, 148},  {u"G24", u"그룹24", 0, 24, 18, 149},
    {u"G32", u"그룹32", 0, 32, 19, 150},
};

TEST_F(PositionStatements, MovePosGroupFormForEveryGroupWord) {
    for (const GroupWord& g : kGroups) {
        const Bytes block = Cat({177, g.first, g.count, 100}, Zeros(g.count - 1));
        for (bool korean : {false, true}) {
            const std::u16string word = korean ? g.korean : g.english;
            const std::u16string movepos = korean ? u"동작위치 " : u"MOVEPOS ";
            const std::u16string pos = korean ? u"모터위치 " : u"POS ";
            SCOPED_TRACE(qvv2::ToUtf8(word));
            // Backward reference.
            CompileText(8, u"P: " + pos + word + u", 100\r\n" + movepos + word + u", P\r\n");
            ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
            EXPECT_EQ(Code(), Cat(block, {178, 16, 0}));
            ASSERT_EQ(Core(c).fixupCount_, 1);
            EXPECT_EQ(Core(c).fixups_[1].kind, g.fixupKind);
            EXPECT_EQ(Core(c).fixups_[1].line, 2);
            EXPECT_EQ(Core(c).fixups_[1].name, u"P");
            // Forward reference.
            CompileText(0, movepos + word + u", P\r\nP: " + pos + word + u", 100\r\n");
            ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
            EXPECT_EQ(Code(), Cat({178, 19, 0}, block));
        }
    }
}

TEST_F(PositionStatements, MovePosGroupFormChecksTheTargetBlock) {
    // A block of another first motor is the wrong target: error 51 on the
    // MOVEPOS line, named after the MOVEPOS form.
    for (const GroupWord& g : kGroups) {
        SCOPED_TRACE(qvv2::ToUtf8(g.english));
        const std::u16string other = g.first == 6 ? u"G6C" : u"G6B";
        CompileText(8, u"P: POS " + other + u", 100\r\n'\r\nMOVEPOS " + g.english + u", P\r\n");
        EXPECT_EQ(c.Bas_Error, 51);
        EXPECT_EQ(c.Bas_Error_Line, 3);
        const std::u16string name = c.GetMessageText(static_cast<int16_t>(g.wrongTargetMessage));
        ASSERT_FALSE(name.empty());
        EXPECT_NE(c.Bas_Error_Msg.find(u"[" + name + u"]"), std::u16string::npos) << qvv2::ToUtf8(c.Bas_Error_Msg);
    }
    // Only the opcode and the first motor are checked: a G6A block serves
    // every group that starts at motor 0.
    Check({8, u"P: POS G6A, 100\r\nMOVEPOS G32, P", {177, 0, 6, 100, 0, 0, 0, 0, 0, 178, 16, 0}});
    Check({8, u"P: MOVE G6A, 100\r\nMOVEPOS G6A, P", {}, 51, 2});
    Check({8, u"MOVEPOS G6A, P", {}, 25, 1});
}

TEST_F(PositionStatements, MovePosOfTheGroupFormSyntax) {
    for (int conType : {0, 8}) {
        CheckAll({
            {conType, u"MOVEPOS", {}, 23, 1},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS G6A P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS G6A, P, P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS G6A P P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS MOVE, P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS ALLON, P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS Q, P", {}, 23, 2},
            {conType, u"P: POS G6A, 100\r\nMOVEPOS 1, P", {}, 23, 2},
        });
    }
}

TEST_F(PositionStatements, TypeTwoAndFiveFixUpKinds) {
    CompileText(2, u"P: POS 100\r\nMOVEPOS P\r\n");
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(Core(c).fixupCount_, 1);
    EXPECT_EQ(Core(c).fixups_[1].kind, 6);
    EXPECT_EQ(Core(c).fixups_[1].position, 25);  // the opcode is at buffer index 24 (address 23)
    CompileText(5, u"P: POS 100\r\n'\r\nMOVEPOS P\r\n");
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(Core(c).fixupCount_, 1);
    EXPECT_EQ(Core(c).fixups_[1].kind, 7);
    EXPECT_EQ(Core(c).fixups_[1].line, 3);
    EXPECT_EQ(Core(c).fixups_[1].position, 27);
}

TEST_F(PositionStatements, ErrorsNameTheStatement) {
    for (int conType : {2, 5, 0}) {
        SCOPED_TRACE(conType);
        CompileText(conType, u"MOVEPOS\r\n");
        EXPECT_EQ(c.Bas_Error, 23);
        EXPECT_NE(c.Bas_Error_Msg.find(u"[" + c.GetMessageText(63) + u"]"), std::u16string::npos);
        CompileText(conType, u"POS 1\r\n");
        EXPECT_EQ(c.Bas_Error, conType == 0 ? 23 : 41);
        EXPECT_NE(c.Bas_Error_Msg.find(u"[" + c.GetMessageText(64) + u"]"), std::u16string::npos);
    }
}

// Disabled commands: every compile enables them all, so each statement is
// compiled again with its command (or group word) switched off.
TEST_F(PositionStatements, DisabledCommandsAreNotSupported) {
    struct Stmt {
        int conType;
        std::u16string source, disabled;
        StatementCompiler compiler;
    };
    const std::vector<Stmt> statements = {
        {2, u"MOVEPOS P", u"MOVEPOS", &qvv2::Compiler::CompileMovePosType2},
        {5, u"MOVEPOS P", u"동작위치", &qvv2::Compiler::CompileMovePosType5},
        {0, u"MOVEPOS G8B, P", u"G8B", &qvv2::Compiler::CompileMovePosGroup},
        {0, u"MOVEPOS MOVE, P", u"MOVE", &qvv2::Compiler::CompileMovePosGroup},
        {2, u"POS 100", u"POS", &qvv2::Compiler::CompilePosType2},
        {5, u"POS 100", u"모터위치", &qvv2::Compiler::CompilePosType5},
    };
    for (const Stmt& s : statements) {
        SCOPED_TRACE(qvv2::ToUtf8(s.source));
        CompileText(s.conType, u"P: POS 100\r\n" + s.source + u"\r\n");
        c.CommandUnuse(s.disabled);
        EXPECT_EQ(RunStatementCompiler(c, s.compiler, Core(c).lineRanges_[2].first, Core(c).lineRanges_[2].last), 999);
    }
}

// Token ranges that are cut short or reach past the table are not read
// beyond the table.
TEST_F(PositionStatements, TokenRangeIsRespected) {
    CompileText(8, u"MOVEPOS G6A, P\r\nP: POS G6A, 100\r\n");
    ASSERT_EQ(c.Bas_Error, 0);
    for (StatementCompiler f : {&qvv2::Compiler::CompileMovePosType2, &qvv2::Compiler::CompileMovePosType5,
                                &qvv2::Compiler::CompileMovePosGroup, &qvv2::Compiler::CompilePosType2,
                                &qvv2::Compiler::CompilePosType5}) {
        auto run = [this, f](int32_t last) {
            Core(c).objPos_ = 16;
            return RunStatementCompiler(c, f, 1, last);
        };
        for (int32_t last : {1, 2, 3}) run(last);
        EXPECT_EQ(run(1000), run(Core(c).tokenCount_));
    }
}

}  // namespace
