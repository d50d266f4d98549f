// Motor switching and fast servo statements: MOTOR, MOTOROFF, AIMOTOR,
// AIMOTOROFF and FASTSERVO on each controller model, every group word in
// English and Korean, and the errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ControllerMap.h"
#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using Bytes = std::vector<int>;
using qvv2test::Cat;
using qvv2test::RunStatementCompiler;
using qvv2test::StatementCompiler;

// One instruction per motor from..to: the opcode and the motor as a constant.
Bytes PerMotor(int opcode, int from, int to) {
    Bytes out;
    for (int k = from; k <= to; ++k) {
        out.push_back(opcode);
        if (k <= 1) {
            out.push_back(16 + k);
        } else {
            out.push_back(18);
            out.push_back(k);
        }
    }
    return out;
}

// A memory write of an 8-bit value to a 16-bit address.
Bytes MemoryWrite(int address, int value) { return {204, 19, address & 255, address >> 8, 18, value}; }

const std::u16string kDecl = u"DIM BV AS BYTE\r\nDIM IV AS INTEGER\r\nCONST C5 = 5\r\nCONST C300 = 300\r\n"
                             u"CONST C70000 = 70000\r\n";
const int kDeclLines = 5;

struct Case {
    int conId;
    std::u16string source;
    Bytes bytes;  // the statement's code when err is 0
    int err = 0;
};

struct MotorStatements : qvv2test::CompilerTest {
    void SetUp() override {
        CompilerTest::SetUp();
        c.Con_Type = 0;
    }
    void Check(const Case& k) {
        SCOPED_TRACE("Con_ID " + std::to_string(k.conId) + ": " + qvv2::ToUtf8(k.source));
        c.Con_ID = static_cast<uint8_t>(k.conId);
        CheckStatement(kDecl, kDeclLines, k.source, k.bytes, k.err);
    }
    void CheckAll(const std::vector<Case>& cases) {
        for (const Case& k : cases) Check(k);
    }
};

struct GroupWord {
    std::u16string english, korean;
    int first, last;  // motor run
};

const std::vector<GroupWord> kGroups = {
    {u"G6A", u"그룹6A", 0, 5},    {u"G6B", u"그룹6B", 6, 11},   {u"G6C", u"그룹6C", 12, 17},
    {u"G6D", u"그룹6D", 18, 23},  {u"G6E", u"그룹6E", 24, 29},  {u"G8A", u"그룹8A", 0, 7},
    {u"G8B", u"그룹8B", 8, 15},   {u"G8C", u"그룹8C", 16, 23},  {u"G8D", u"그룹8D", 24, 31},
    {u"G12", u"그룹12", 0, 11},   {u"G16", u"그룹16", 0, 15},   {u"G24", u"그룹24", 0, 23},
    {u"G32", u"그룹32", 0, 31},
};

struct SwitchStatement {
    std::u16string english, korean;
    int opcode;
    int lastMotor;  // the highest motor a group word reaches
};

const std::vector<SwitchStatement> kSwitches = {
    {u"MOTOR", u"모터설정", 218, 31},
    {u"MOTOROFF", u"모터해제", 219, 31},
    {u"AIMOTOR", u"AI모터설정", 183, 30},
    {u"AIMOTOROFF", u"AI모터해제", 184, 30},
};

TEST_F(MotorStatements, EveryGroupWordExpandsToOneInstructionPerMotor) {
    for (int conId : {1, 2}) {
        for (const SwitchStatement& st : kSwitches) {
            for (const GroupWord& g : kGroups) {
                const Bytes expected = PerMotor(st.opcode, g.first, std::min(g.last, st.lastMotor));
                Check({conId, st.english + u" " + g.english, expected});
                Check({conId, st.korean + u" " + g.korean, expected});
            }
        }
    }
}

TEST_F(MotorStatements, SwitchingExamples) {
    CheckAll({
        {2, u"MOTOR G6A", {218, 16, 218, 17, 218, 18, 2, 218, 18, 3, 218, 18, 4, 218, 18, 5}},
        {2, u"MOTOR G6B", PerMotor(218, 6, 11)},
        {2, u"MOTOR ALLON", PerMotor(218, 0, 31)},
        {2, u"모터설정 모두설정", PerMotor(218, 0, 31)},
        {2, u"MOTOROFF ALLOFF", PerMotor(219, 0, 31)},
        {1, u"MOTOROFF ALLOFF", PerMotor(219, 0, 31)},
        {2, u"모터해제 모두해제", PerMotor(219, 0, 31)},
        {2, u"AIMOTOR G32", PerMotor(183, 0, 30)},
        {2, u"AIMOTOR ALLON", PerMotor(183, 0, 30)},
        {2, u"AIMOTOR G8D", PerMotor(183, 24, 30)},
        {2, u"AIMOTOROFF ALLOFF", PerMotor(184, 0, 30)},
        {2, u"AI모터해제 모두해제", PerMotor(184, 0, 30)},
        // The smart-servo settings of AIMOTOR.
        {2, u"AIMOTOR SETON", {182, 3}},
        {2, u"AIMOTOR SETOFF", {182, 2}},
        {2, u"AIMOTOR INIT", {182, 4}},
        {1, u"AIMOTOR SETON", {182, 3}},
        {2, u"AI모터설정 사용설정", {182, 3}},
        {2, u"AI모터설정 사용해제", {182, 2}},
        {2, u"AI모터설정 초기", {182, 4}},
        {2, u"AIMOTOROFF SETON", {}, 23},
        {2, u"AIMOTOROFF SETOFF", {}, 23},
        {2, u"AIMOTOROFF INIT", {}, 23},
        // The all-motors word belongs to its statement.
        {2, u"MOTOROFF ALLON", {}, 23},
        {2, u"MOTOR ALLOFF", {}, 23},
        {2, u"AIMOTOR ALLOFF", {}, 23},
        {2, u"AIMOTOROFF ALLON", {}, 23},
        {2, u"MOTOR SETON", {}, 23},
        {2, u"MOTOR MOVE", {}, 23},
        {2, u"MOTOR INIT", {}, 23},
    });
}

TEST_F(MotorStatements, SingleMotorByController) {
    CheckAll({
        // The first controller model: a raw motor number 0..6.
        {1, u"MOTOR 3", {218, 3}},
        {1, u"MOTOR 0", {218, 0}},
        {1, u"MOTOR 6", {218, 6}},
        {1, u"MOTOR C5", {218, 5}},
        {1, u"MOTOROFF 6", {219, 6}},
        {1, u"MOTOR 7", {}, 41},
        {1, u"MOTOR BV", {}, 42},
        {1, u"MOTOR NOSUCH", {}, 17},
        {1, u"MOTOR \"A\"", {}, 42},
        // Other models: a byte operand.
        {2, u"MOTOR 3", {218, 18, 3}},
        {2, u"MOTOR 7", {218, 18, 7}},
        {2, u"MOTOR 0", {218, 16}},
        {2, u"MOTOR 1", {218, 17}},
        {2, u"MOTOR 255", {218, 18, 255}},
        {3, u"MOTOR C5", {218, 18, 5}},
        {2, u"MOTOR BV", {218, 21, 64}},
        {2, u"MOTOROFF BV", {219, 21, 64}},
        {2, u"모터해제 9", {219, 18, 9}},
        {2, u"MOTOR 256", {}, 20},
        {2, u"MOTOR C300", {}, 20},
        {2, u"MOTOR IV", {}, 20},
        {2, u"MOTOR NOSUCH", {}, 17},
        {2, u"MOTOR \"A\"", {}, 21},
        // No operand encoding exists for 65536 and above.
        {2, u"MOTOR 70000", {}, 41},
        {2, u"MOTOR C70000", {}, 41},
        {2, u"AIMOTOR 70000", {}, 41},
        // AIMOTOR with one motor: not on the first model.
        {1, u"AIMOTOR 5", {}, 52},
        {1, u"AIMOTOROFF 5", {}, 52},
        {1, u"AI모터설정 5", {}, 52},
        {2, u"AIMOTOR 5", {183, 18, 5}},
        {2, u"AIMOTOROFF 0", {184, 16}},
        {2, u"AIMOTOR BV", {183, 21, 64}},
        {2, u"AIMOTOR IV", {}, 20},
    });
}

TEST_F(MotorStatements, SwitchingTakesExactlyOneOperand) {
    for (const SwitchStatement& st : kSwitches) {
        for (int conId : {1, 2}) {
            CheckAll({
                {conId, st.english, {}, 23},
                {conId, st.english + u" G6A, G6B", {}, 23},
                {conId, st.english + u" 1, 2", {}, 23},
                {conId, st.english + u" 1 2", {}, 23},
                {conId, st.korean, {}, 23},
            });
        }
    }
}

TEST_F(MotorStatements, FastServoOnTheFirstModel) {
    CheckAll({
        {1, u"FASTSERVO 2, 100", {204, 18, 118, 18, 100}},
        {1, u"FASTSERVO 0, 1", {204, 18, 116, 17}},
        {1, u"FASTSERVO 5, 300", {204, 18, 121, 19, 44, 1}},
        {1, u"FASTSERVO C5, BV", {204, 18, 121, 21, 64}},
        {1, u"FASTSERVO 0, IV", {204, 18, 116, 22, 65}},
        {1, u"빠른서보 1, 90", {204, 18, 117, 18, 90}},
        {1, u"FASTSERVO 6, 100", {}, 41},
        {1, u"FASTSERVO BV, 100", {}, 42},
        {1, u"FASTSERVO 0, NOSUCH", {}, 17},
        {1, u"FASTSERVO 0, 70000", {}, 41},
        {1, u"FASTSERVO", {}, 23},
        {1, u"FASTSERVO 0", {}, 23},
        {1, u"FASTSERVO 0,", {}, 23},
        {1, u"FASTSERVO 0 100", {}, 23},
        {1, u"FASTSERVO 0, 100, 1", {}, 23},
        {1, u"FASTSERVO 0 100 1", {}, 23},
        {1, u"FASTSERVO G6A, 100", {}, 23},
        {1, u"FASTSERVO 0, \"A\"", {}, 23},
    });
}

TEST_F(MotorStatements, FastServoGroupFormOnModelsTwoAndThree) {
    for (int conId : {2, 3}) {
        CheckAll({
            {conId, u"FASTSERVO G6B, 100, , 120", Cat(MemoryWrite(806, 100), MemoryWrite(808, 120))},
            {conId, u"FASTSERVO G6A, 10", MemoryWrite(800, 10)},
            {conId, u"FASTSERVO G8D, , , , , , , , 190", MemoryWrite(831, 190)},
            {conId, u"FASTSERVO G32, 100, 100", Cat(MemoryWrite(800, 100), MemoryWrite(801, 100))},
            {conId, u"빠른서보 그룹6C, 50", MemoryWrite(812, 50)},
            {conId, u"FASTSERVO G6A, 100, 100, 100, 100, 100, 100",
             Cat(Cat(Cat(MemoryWrite(800, 100), MemoryWrite(801, 100)),
                     Cat(MemoryWrite(802, 100), MemoryWrite(803, 100))),
                 Cat(MemoryWrite(804, 100), MemoryWrite(805, 100)))},
            {conId, u"FASTSERVO G6A, 100, 100, 100, 100, 100, 100, 100", {}, 23},
            {conId, u"FASTSERVO G6A, , , , , , , 100", {}, 23},
            {conId, u"FASTSERVO G6A, 9", {}, 23},
            {conId, u"FASTSERVO G6A, 191", {}, 23},
            {conId, u"FASTSERVO G6A, 1", {}, 23},
            {conId, u"FASTSERVO G6A, C5", {}, 23},
            {conId, u"FASTSERVO G6A, BV", {}, 23},
            {conId, u"FASTSERVO 2, 100", {}, 23},  // no group word: no motors
            {conId, u"FASTSERVO 100", {}, 23},
            {conId, u"FASTSERVO", {}, 23},
            {conId, u"FASTSERVO G6A", {}, 23},
            {conId, u"FASTSERVO G6A,", {}, 23},
            {conId, u"FASTSERVO MOVE, 100", {}, 23},
        });
    }
}

TEST_F(MotorStatements, FastServoOnOtherModelsCompilesToNothing) {
    for (int conId : {0, qvv2::controller::kNoSuchModel, qvv2::controller::kNoSuchModel + 3, 255}) {
        CheckAll({
            {conId, u"FASTSERVO G6A, 100", {}},
            {conId, u"FASTSERVO", {}},
            {conId, u"FASTSERVO 2, 100", {}},
        });
    }
}

// Each statement reports its failures under its own name.
TEST_F(MotorStatements, ErrorsNameTheStatement) {
    const std::vector<std::pair<std::u16string, int>> cases = {
        {u"MOTOR", 24}, {u"MOTOROFF", 26}, {u"AIMOTOR", 25}, {u"AIMOTOROFF", 27}, {u"FASTSERVO", 33},
    };
    c.Con_ID = 2;
    for (const auto& [keyword, message] : cases) {
        ASSERT_NO_FATAL_FAILURE(ExpectBareKeywordNamed(keyword, message));
    }
}

// A disabled operand word is not supported.  Every compile enables all
// commands, so the statement is compiled again with the word switched off.
TEST_F(MotorStatements, DisabledOperandWordIsNotSupported) {
    struct Stmt {
        int conId;
        std::u16string source, disabled;
        StatementCompiler compiler;
    };
    const std::vector<Stmt> statements = {
        {2, u"MOTOR G8A", u"G8A", &qvv2::Compiler::CompileMotor},
        {1, u"MOTOR ALLON", u"ALLON", &qvv2::Compiler::CompileMotor},
        {2, u"MOTOROFF G6E", u"G6E", &qvv2::Compiler::CompileMotorOff},
        {2, u"AIMOTOR SETON", u"SETON", &qvv2::Compiler::CompileAiMotor},
        {2, u"AIMOTOR G32", u"G32", &qvv2::Compiler::CompileAiMotor},
        {2, u"AIMOTOROFF ALLOFF", u"ALLOFF", &qvv2::Compiler::CompileAiMotorOff},
        {2, u"FASTSERVO G8A, 100", u"G8A", &qvv2::Compiler::CompileFastServo},
        {3, u"FASTSERVO G6A, 100", u"그룹6A", &qvv2::Compiler::CompileFastServo},
    };
    for (const Stmt& s : statements) {
        SCOPED_TRACE(qvv2::ToUtf8(s.source));
        c.Con_ID = static_cast<uint8_t>(s.conId);
        CompileText(s.source + u"\r\n");
        ASSERT_EQ(c.Bas_Error, 0);
        c.CommandUnuse(s.disabled);
        EXPECT_EQ(RunStatementCompiler(c, s.compiler, 1, Core(c).tokenCount_), 999);
    }
}

}  // namespace
