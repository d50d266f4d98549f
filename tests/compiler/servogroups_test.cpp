// Servo group statements: the bytes of MOVE, ZERO, POS, INIT, the motor and
// sensor settings, MOVE24, DIR and OFFSET for every group word, in English
// and Korean, and the errors each statement raises.
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

Bytes Repeat(int value, int n) { return Bytes(static_cast<size_t>(n), value); }

// Declarations used by the cases: a BYTE variable and constants.
const std::u16string kDecl = u"DIM BV AS BYTE\r\nCONST C100 = 100\r\nCONST C1 = 1\r\nCONST C300 = 300\r\n";
const int kDeclLines = 4;

struct Case {
    std::u16string source;  // one statement, compiled after kDecl
    Bytes bytes;            // the statement's code when err is 0
    int err = 0;
};

struct ServoGroupStatements : qvv2test::CompilerTest {
    void SetUp() override {
        CompilerTest::SetUp();
        c.Con_ID = 2;
        c.Con_Type = 0;
    }
    void Check(const Case& k) {
        SCOPED_TRACE(qvv2::ToUtf8(k.source));
        CheckStatement(kDecl, kDeclLines, k.source, k.bytes, k.err);
        if (k.err != 0 || c.Bas_Error != 0) return;  // checked, or reported already
        // The program still ends in its jump to itself.
        ASSERT_GE(c.TotalBytes, 19);
        EXPECT_EQ(c.ObjCode[c.TotalBytes - 2], 0xC4);
    }
    void CheckAll(const std::vector<Case>& cases) {
        for (const Case& k : cases) Check(k);
    }
};

struct GroupWord {
    std::u16string english, korean;
    int first, count;
};

const std::vector<GroupWord> kGroups = {
    {u"G6A", u"그룹6A", 0, 6},   {u"G6B", u"그룹6B", 6, 6},   {u"G6C", u"그룹6C", 12, 6},
    {u"G6D", u"그룹6D", 18, 6},  {u"G6E", u"그룹6E", 24, 6},  {u"G8A", u"그룹8A", 0, 8},
    {u"G8B", u"그룹8B", 8, 8},   {u"G8C", u"그룹8C", 16, 8},  {u"G8D", u"그룹8D", 24, 8},
    {u"G12", u"그룹12", 0, 12},  {u"G16", u"그룹16", 0, 16},  {u"G24", u"그룹24", 0, 24},
    {u"G32", u"그룹32", 0, 32},
};

struct GroupStatement {
    std::u16string english, korean;
    int opcode;
    int value;  // a value inside the statement's range
};

const std::vector<GroupStatement> kGroupStatements = {
    {u"MOVE", u"동작", 176, 100},         {u"ZERO", u"영점", 179, 100},
    {u"POS", u"모터위치", 177, 100},      {u"INIT", u"초기", 181, 100},
    {u"GETMOTORSET", u"모터입력설정", 185, 1}, {u"MOTORMODE", u"모터모드", 148, 3},
    {u"GYROSET", u"자이로설정", 160, 200},  {u"GYRODIR", u"자이로방향", 161, 1},
    {u"GYROSENSE", u"자이로감도", 162, 255},
};

TEST_F(ServoGroupStatements, EveryGroupWordInBothLanguagesGivesItsHeaderAndSlots) {
    for (const GroupStatement& st : kGroupStatements) {
        for (const GroupWord& g : kGroups) {
            const Bytes one = Cat({st.opcode, g.first, g.count, st.value}, Zeros(g.count - 1));
            Check({st.english + u" " + g.english + u", " + qvv2::NumberText(st.value), one});
            Check({st.korean + u" " + g.korean + u", " + qvv2::NumberText(st.value), one});
            // Mixed languages: a Korean group word after an English keyword.
            Check({st.english + u" " + g.korean + u", " + qvv2::NumberText(st.value), one});
        }
    }
}

TEST_F(ServoGroupStatements, AGroupTakesExactlyItsCountOfValues) {
    for (const GroupWord& g : kGroups) {
        std::u16string full = u"MOVE " + g.english;
        for (int k = 0; k < g.count; ++k) full += u", 100";
        Check({full, Cat({176, g.first, g.count}, Repeat(100, g.count))});
        Check({full + u", 100", {}, 23});
        // Empty slots count like values.
        std::u16string commas = u"MOVE " + g.english + u",";
        for (int k = 0; k < g.count; ++k) commas += u" ,";
        Check({commas, Cat({176, g.first, g.count}, Zeros(g.count))});
        Check({commas + u" ,", {}, 23});
    }
}

TEST_F(ServoGroupStatements, MoveValueLists) {
    CheckAll({
        {u"MOVE G6A, 100, 100, 100, 100, 100, 100", {176, 0, 6, 100, 100, 100, 100, 100, 100}},
        {u"MOVE G6A, 100", {176, 0, 6, 100, 0, 0, 0, 0, 0}},
        {u"MOVE G6A, 100, , 120", {176, 0, 6, 100, 0, 120, 0, 0, 0}},
        {u"MOVE G6A, ,120", {176, 0, 6, 0, 120, 0, 0, 0, 0}},
        {u"MOVE G6A, 100,", {176, 0, 6, 100, 0, 0, 0, 0, 0}},  // a trailing separator adds no slot
        {u"MOVE G6A, 100, ,", {176, 0, 6, 100, 0, 0, 0, 0, 0}},
        {u"MOVE G6B, 10, 190", {176, 6, 6, 10, 190, 0, 0, 0, 0}},
        {u"MOVE G6A, C100, &H64, &B1010", {176, 0, 6, 100, 100, 10, 0, 0, 0}},
        {u"move g6a, 100", {176, 0, 6, 100, 0, 0, 0, 0, 0}},
        // Values need no separator between them; a separator only ends a value.
        {u"MOVE G6A, 100 100", {176, 0, 6, 100, 100, 0, 0, 0, 0}},
        // Without a group word: the short opcode and six motors.
        {u"MOVE 100, 120", {220, 100, 120, 0, 0, 0, 0}},
        {u"MOVE 100, 100", {220, 100, 100, 0, 0, 0, 0}},
        {u"MOVE , 100", {220, 0, 100, 0, 0, 0, 0}},
        {u"MOVE 100, 100, 100, 100, 100, 100", {220, 100, 100, 100, 100, 100, 100}},
        {u"MOVE 100, 100, 100, 100, 100, 100, 100", {}, 23},
        {u"동작 100, 120", {220, 100, 120, 0, 0, 0, 0}},
        {u"ZERO 80, 120", {217, 80, 120, 0, 0, 0, 0}},
        {u"영점 100", {217, 100, 0, 0, 0, 0, 0}},
        {u"ZERO G6A, 80", {179, 0, 6, 80, 0, 0, 0, 0, 0}},
    });
}

TEST_F(ServoGroupStatements, StatementsThatCoverAllMotorsWithoutAGroupWord) {
    CheckAll({
        {u"GYROSET 10, 20", Cat({160, 0, 32, 10, 20}, Zeros(30))},
        {u"GYRODIR 1", Cat({161, 0, 32, 1}, Zeros(31))},
        {u"GYROSENSE , 255", Cat({162, 0, 32, 0, 255}, Zeros(30))},
        {u"GETMOTORSET 1, 0, 1", Cat({185, 0, 32, 1, 0, 1}, Zeros(29))},
        {u"MOTORMODE 3", Cat({148, 0, 32, 3}, Zeros(31))},
        {u"모터모드 2", Cat({148, 0, 32, 2}, Zeros(31))},
        {u"GYROSET" + [] {
             std::u16string s;
             for (int k = 0; k < 32; ++k) s += k == 0 ? u" 7" : u", 7";
             return s;
         }(),
         Cat({160, 0, 32}, Repeat(7, 32))},
        {u"GYROSET" + [] {
             std::u16string s;
             for (int k = 0; k < 33; ++k) s += k == 0 ? u" 7" : u", 7";
             return s;
         }(),
         {}, 23},
        // POS (group form) and INIT need a group word.
        {u"POS 100", {}, 23},
        {u"INIT 100", {}, 23},
        {u"초기 100", {}, 23},
    });
}

TEST_F(ServoGroupStatements, ValueRangesAndOperands) {
    CheckAll({
        {u"MOVE G6A, 9", {}, 41},
        {u"MOVE G6A, 191", {}, 41},
        {u"MOVE G6A, 300", {}, 41},
        {u"MOVE G6A, 70000", {}, 41},
        {u"ZERO G6A, 121", {}, 41},
        {u"ZERO G6A, 79", {}, 41},
        {u"ZERO G6A, 80, 120", {179, 0, 6, 80, 120, 0, 0, 0, 0}},
        {u"POS G6A, 10, 190", {177, 0, 6, 10, 190, 0, 0, 0, 0}},
        {u"POS G6A, 191", {}, 41},
        {u"INIT G6A, 9", {}, 41},
        {u"GETMOTORSET G6A, 2", {}, 41},
        {u"MOTORMODE G6A, 4", {}, 41},
        {u"GYROSET G6A, 0, 255", {160, 0, 6, 0, 255, 0, 0, 0, 0}},
        {u"GYROSET G6A, 256", {}, 41},
        {u"GYRODIR G6A, 2", {}, 41},
        {u"GYROSENSE G6A, C300", {}, 41},
        // Constants are values; variables are not.
        {u"MOVE G6A, C100", {176, 0, 6, 100, 0, 0, 0, 0, 0}},
        {u"GYRODIR G6A, C1", {161, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"MOVE G6A, BV", {}, 42},
        {u"MOVE G6A, NOSUCH", {}, 17},
        {u"MOVE NOSUCH", {}, 17},
    });
}

TEST_F(ServoGroupStatements, SyntaxErrors) {
    CheckAll({
        {u"MOVE", {}, 23},
        {u"MOVE G6A", {}, 23},
        {u"MOVE G6A,", {}, 23},
        {u"MOVE G6A 100", {}, 23},
        {u"MOVE G6A, G6B, 100", {}, 23},
        {u"MOVE G6A, 100, \"X\"", {}, 23},  // a string
        {u"MOVE G6A, 100, + 100", {}, 23},  // an operator
        {u"MOVE G6A, BV.1", {}, 23},        // a bit reference
        {u"MOVE MOVE, 100", {}, 23},        // a command word that is not a group word
        {u"MOVE ALLON, 100", {}, 23},
        {u"MOVE 100, G6A", {}, 23},
        {u"ZERO", {}, 23},
        {u"POS", {}, 23},
        {u"INIT", {}, 23},
        {u"GYROSET", {}, 23},
        {u"GETMOTORSET G6A", {}, 23},
        {u"MOTORMODE IN, 1", {}, 23},
    });
}

TEST_F(ServoGroupStatements, SensorStatementsSelectTheOpcodeByAxis) {
    CheckAll({
        {u"ACCELSET 2, G6B, 10, 20", {163, 6, 6, 10, 20, 0, 0, 0, 0}},
        {u"ACCELSET 3, G6A, 1", {166, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"ACCELSET 1, G8D, 255", Cat({160, 24, 8, 255}, Zeros(7))},
        {u"ACCELSET 1, 5", Cat({160, 0, 32, 5}, Zeros(31))},
        {u"ACCELDIR 1, G6A, 1, 0, 1", {161, 0, 6, 1, 0, 1, 0, 0, 0}},
        {u"ACCELDIR 2, G6A, 1", {164, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"ACCELDIR 3, , 1", Cat({167, 0, 32, 0, 1}, Zeros(30))},
        {u"ACCELSENSE 1, G12, 9", Cat({162, 0, 12, 9}, Zeros(11))},
        {u"ACCELSENSE 2, G6C, 9", {165, 12, 6, 9, 0, 0, 0, 0, 0}},
        {u"ACCELSENSE 3, G6D, 9", {168, 18, 6, 9, 0, 0, 0, 0, 0}},
        {u"TILTSET 1, G6E, 50", {169, 24, 6, 50, 0, 0, 0, 0, 0}},
        {u"TILTSET 2, G6A, 50", {172, 0, 6, 50, 0, 0, 0, 0, 0}},
        {u"TILTDIR 1, G6A, 1", {170, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"TILTDIR 2, 0, 1", Cat({173, 0, 32, 0, 1}, Zeros(30))},
        {u"TILTSENSE 1, G6A, 7", {171, 0, 6, 7, 0, 0, 0, 0, 0}},
        {u"TILTSENSE 2, G6A, 7", {174, 0, 6, 7, 0, 0, 0, 0, 0}},
        {u"가속도설정 2, 그룹6B, 10, 20", {163, 6, 6, 10, 20, 0, 0, 0, 0}},
        {u"가속도방향 1, 그룹6A, 1", {161, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"가속도감도 3, 그룹6A, 1", {168, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"기울기설정 1, 그룹6A, 1", {169, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"기울기방향 2, 그룹6A, 1", {173, 0, 6, 1, 0, 0, 0, 0, 0}},
        {u"기울기감도 1, 그룹6A, 1", {171, 0, 6, 1, 0, 0, 0, 0, 0}},
        // Axis numbers the sensor does not have.
        {u"TILTSET 3, G6A, 1", {}, 999},
        {u"TILTDIR 0, G6A, 1", {}, 999},
        {u"ACCELSET 4, G6A, 1", {}, 999},
        {u"ACCELSENSE 0, 1", {}, 999},
        // Shape errors.
        {u"ACCELSET", {}, 23},
        {u"ACCELSET 1", {}, 23},
        {u"ACCELSET 1,", {}, 23},
        {u"ACCELSET 1 G6A, 1", {}, 23},
        {u"ACCELSET G6A, 1", {}, 23},   // no axis
        {u"ACCELSET C1, G6A, 1", {}, 23},
        {u"ACCELSET 1, G6A", {}, 23},
        {u"ACCELSET 1, G6A,", {}, 23},
        {u"ACCELSET 1, MOVE, 1", {}, 23},
        {u"TILTSET 1, G6A, 1, 1, 1, 1, 1, 1, 1", {}, 23},
        // Value ranges.
        {u"ACCELDIR 1, G6A, 2", {}, 41},
        {u"TILTSENSE 1, G6A, 256", {}, 41},
        {u"ACCELSET 1, G6A, BV", {}, 42},
    });
}

TEST_F(ServoGroupStatements, Move24) {
    std::u16string values24;
    for (int k = 0; k < 24; ++k) values24 += (k == 0 ? u" " : u", ") + qvv2::NumberText(10 + k);
    Bytes bytes24 = {176, 0, 24};
    for (int k = 0; k < 24; ++k) bytes24.push_back(10 + k);
    CheckAll({
        {u"MOVE24" + values24, bytes24},
        {u"동작24" + values24, bytes24},
        {u"MOVE24" + values24 + u", 100", {}, 23},
        {u"MOVE24 100", Cat({176, 0, 24, 100}, Zeros(23))},
        {u"MOVE24 , , 190", Cat({176, 0, 24, 0, 0, 190}, Zeros(21))},
        {u"MOVE24", {}, 23},
        {u"MOVE24 G6A, 100", {}, 23},
        {u"MOVE24 G24, 100", {}, 23},
        {u"MOVE24 100, G6A", {}, 23},
        {u"MOVE24 9", {}, 41},
        {u"MOVE24 BV", {}, 42},
    });
}

TEST_F(ServoGroupStatements, DirectionsArePackedIntoOneByte) {
    CheckAll({
        {u"DIR G6A, 0, 1, , 0", {180, 0, 6, 0x36}},
        {u"DIR G6A, 0, 0, 0, 0, 0, 0", {180, 0, 6, 0}},
        {u"DIR G6A, 1, 1, 1, 1, 1, 1", {180, 0, 6, 0x3F}},
        {u"DIR G6A, 0", {180, 0, 6, 0x3E}},          // directions left out are 1
        {u"DIR G6A, ,", {180, 0, 6, 0x3F}},
        {u"DIR G6B, 0, C1, 0", {180, 6, 6, 0x3A}},
        {u"방향 그룹6C, 0, 0, 0, 0, 0, 0", {180, 12, 6, 0}},
        {u"DIR G8C, 0, 0, 0, 0, 0, 0, 0, 0", {180, 16, 8, 0}},
        {u"DIR G8D, 0", {180, 24, 8, 0xFE}},
        // Without a group word: the short opcode and six motors.
        {u"DIR 0, 1", {236, 0x3E}},
        {u"DIR 0, 0, 0, 0, 0, 0", {236, 0}},
        {u"DIR 0, 0, 0, 0, 0, 0, 0", {}, 23},
        // Groups beyond eight motors: the byte holds the first eight.
        {u"DIR G12, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0", {180, 0, 12, 0}},
        {u"DIR G32, 0", {180, 0, 32, 0xFE}},
        {u"DIR G12, 0, 0, 0, 0, 0, 0, 0, 0, 2", {}, 41},
        {u"DIR G12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0", {}, 23},
        // Errors.
        {u"DIR", {}, 23},
        {u"DIR G6A", {}, 23},
        {u"DIR G6A,", {}, 23},
        {u"DIR G6A, 0, 0, 0, 0, 0, 0, 0", {}, 23},
        {u"DIR G6A, 2", {}, 41},
        {u"DIR G6A, C100", {}, 41},
        {u"DIR G6A, BV", {}, 42},
        {u"DIR G6A, NOSUCH", {}, 17},
        {u"DIR G6A, \"1\"", {}, 23},
        {u"DIR MOVE, 1", {}, 23},
    });
}

TEST_F(ServoGroupStatements, OffsetsAreMemoryWrites) {
    CheckAll({
        {u"OFFSET G6A, 100, , 110", {204, 19, 64, 3, 18, 0, 204, 19, 66, 3, 18, 10}},
        {u"OFFSET G6B, 150", {204, 19, 70, 3, 18, 50}},
        {u"OFFSET G8D, , 50", {204, 19, 89, 3, 18, 206}},
        {u"옵셋 그룹6A, 99", {204, 19, 64, 3, 18, 255}},
        // Without a group word: motors 0..23.
        {u"OFFSET 100", {204, 19, 64, 3, 18, 0}},
        {u"OFFSET , , 120", {204, 19, 66, 3, 18, 20}},
        {u"OFFSET" + [] {
             std::u16string s;
             for (int k = 0; k < 23; ++k) s += u" ,";
             return s + u" 101";
         }(),
         {204, 19, 87, 3, 18, 1}},  // motor 23
        {u"OFFSET" + [] {
             std::u16string s;
             for (int k = 0; k < 24; ++k) s += u" ,";
             return s + u" 101";
         }(),
         {}, 23},  // motor 24 is beyond the 24 slots
        {u"OFFSET G6A, 100, 100, 100, 100, 100, 100", Cat({204, 19, 64, 3, 18, 0, 204, 19, 65, 3, 18, 0},
                                                          Cat({204, 19, 66, 3, 18, 0, 204, 19, 67, 3, 18, 0},
                                                              {204, 19, 68, 3, 18, 0, 204, 19, 69, 3, 18, 0}))},
        {u"OFFSET G6A, 100, 100, 100, 100, 100, 100, 100", {}, 23},
        // Numbers only, 50..150.
        {u"OFFSET G6A, 49", {}, 23},
        {u"OFFSET G6A, 151", {}, 23},
        {u"OFFSET G6A, 1", {}, 23},
        {u"OFFSET G6A, 300", {}, 23},
        {u"OFFSET G6A, C100", {}, 23},
        {u"OFFSET G6A, BV", {}, 23},
        {u"OFFSET", {}, 23},
        {u"OFFSET G6A", {}, 23},
        {u"OFFSET G6A,", {}, 23},
        {u"OFFSET MOVE, 100", {}, 23},
    });
}

// Each statement reports its failures under its own name.
TEST_F(ServoGroupStatements, ErrorsNameTheStatement) {
    const std::vector<std::pair<std::u16string, int>> cases = {
        {u"MOVE", 7},         {u"MOVE24", 7},        {u"ZERO", 32},        {u"POS", 64},
        {u"INIT", 8},         {u"GETMOTORSET", 142}, {u"MOTORMODE", 161},  {u"GYROSET", 144},
        {u"GYRODIR", 143},    {u"GYROSENSE", 145},   {u"ACCELSET", 155},   {u"ACCELDIR", 154},
        {u"ACCELSENSE", 156}, {u"TILTSET", 157},     {u"TILTDIR", 158},    {u"TILTSENSE", 159},
        {u"DIR", 9},          {u"OFFSET", 153},
    };
    for (const auto& [keyword, message] : cases) {
        ASSERT_NO_FATAL_FAILURE(ExpectBareKeywordNamed(keyword, message));
    }
}

// A disabled group word is not supported, even in a statement that is
// enabled.  The enabled flags are reset by every compile, so the statement is
// compiled again after the compile with the group word switched off.
TEST_F(ServoGroupStatements, DisabledGroupWordIsNotSupported) {
    struct Stmt {
        std::u16string source;
        StatementCompiler compiler;
    };
    const std::vector<Stmt> statements = {
        {u"MOVE G8A, 100", &qvv2::Compiler::CompileMove},
        {u"ZERO G8A, 100", &qvv2::Compiler::CompileZero},
        {u"POS G8A, 100", &qvv2::Compiler::CompilePos},
        {u"INIT G8A, 100", &qvv2::Compiler::CompileInit},
        {u"GETMOTORSET G8A, 1", &qvv2::Compiler::CompileGetMotorSet},
        {u"MOTORMODE G8A, 1", &qvv2::Compiler::CompileMotorMode},
        {u"GYROSET G8A, 1", &qvv2::Compiler::CompileGyroSet},
        {u"GYRODIR G8A, 1", &qvv2::Compiler::CompileGyroDir},
        {u"GYROSENSE G8A, 1", &qvv2::Compiler::CompileGyroSense},
        {u"ACCELSET 1, G8A, 1", &qvv2::Compiler::CompileAccelSet},
        {u"ACCELDIR 1, G8A, 1", &qvv2::Compiler::CompileAccelDir},
        {u"ACCELSENSE 1, G8A, 1", &qvv2::Compiler::CompileAccelSense},
        {u"TILTSET 1, G8A, 1", &qvv2::Compiler::CompileTiltSet},
        {u"TILTDIR 1, G8A, 1", &qvv2::Compiler::CompileTiltDir},
        {u"TILTSENSE 1, G8A, 1", &qvv2::Compiler::CompileTiltSense},
        {u"DIR G8A, 1", &qvv2::Compiler::CompileDir},
        {u"OFFSET G8A, 100", &qvv2::Compiler::CompileOffset},
    };
    for (const Stmt& s : statements) {
        SCOPED_TRACE(qvv2::ToUtf8(s.source));
        CompileText(s.source + u"\r\n");
        ASSERT_EQ(c.Bas_Error, 0);
        c.CommandUnuse(u"G8A");
        EXPECT_EQ(RunStatementCompiler(c, s.compiler, 1, Core(c).tokenCount_), 999);
    }
    // In MOVE24 a group word is no group word at all.
    CompileText(u"MOVE 100\r\n");
    std::u16string text = u"MOVE24 G8A, 100\r\n";
    c.Compile(text);
    EXPECT_EQ(c.Bas_Error, 23);
}

// Statements whose token range is handed over short or out of the table do
// not read beyond it.
TEST_F(ServoGroupStatements, TokenRangeIsRespected) {
    CompileText(u"MOVE G6A, 100, 100\r\n");
    ASSERT_EQ(c.Bas_Error, 0);
    const std::vector<StatementCompiler> compilers = {
        &qvv2::Compiler::CompileMove,      &qvv2::Compiler::CompileZero,      &qvv2::Compiler::CompilePos,
        &qvv2::Compiler::CompileInit,      &qvv2::Compiler::CompileGyroSet,   &qvv2::Compiler::CompileAccelSet,
        &qvv2::Compiler::CompileTiltDir,   &qvv2::Compiler::CompileMove24,    &qvv2::Compiler::CompileDir,
        &qvv2::Compiler::CompileOffset,
    };
    auto run = [this](StatementCompiler f, int32_t last) {
        Core(c).objPos_ = 16;
        return RunStatementCompiler(c, f, 1, last);
    };
    for (StatementCompiler f : compilers) {
        EXPECT_EQ(run(f, 1), 23);
        EXPECT_EQ(run(f, 2), 23);
        // A range reaching past the table is read up to the last token only.
        EXPECT_EQ(run(f, 1000), run(f, Core(c).tokenCount_));
    }
}

}  // namespace

namespace {

// Every statement compiler of the servo, motor and position statements takes
// any token range without reading outside the token table: before the first
// compile (no tokens at all), with a first index that is no token, and with a
// last index far beyond the table.
TEST(ServoStatementRanges, AnyTokenRangeIsSafe) {
    const std::vector<StatementCompiler> compilers = {
        &qvv2::Compiler::CompileMove,         &qvv2::Compiler::CompileZero,
        &qvv2::Compiler::CompilePos,          &qvv2::Compiler::CompileInit,
        &qvv2::Compiler::CompileGetMotorSet,  &qvv2::Compiler::CompileMotorMode,
        &qvv2::Compiler::CompileGyroSet,      &qvv2::Compiler::CompileGyroDir,
        &qvv2::Compiler::CompileGyroSense,    &qvv2::Compiler::CompileAccelSet,
        &qvv2::Compiler::CompileAccelDir,     &qvv2::Compiler::CompileAccelSense,
        &qvv2::Compiler::CompileTiltSet,      &qvv2::Compiler::CompileTiltDir,
        &qvv2::Compiler::CompileTiltSense,    &qvv2::Compiler::CompileMove24,
        &qvv2::Compiler::CompileDir,          &qvv2::Compiler::CompileOffset,
        &qvv2::Compiler::CompileMotor,        &qvv2::Compiler::CompileMotorOff,
        &qvv2::Compiler::CompileAiMotor,      &qvv2::Compiler::CompileAiMotorOff,
        &qvv2::Compiler::CompileFastServo,    &qvv2::Compiler::CompileMovePosType2,
        &qvv2::Compiler::CompileMovePosType5, &qvv2::Compiler::CompileMovePosGroup,
        &qvv2::Compiler::CompilePosType2,     &qvv2::Compiler::CompilePosType5,
    };
    for (StatementCompiler f : compilers) {
        QUARVELv2 fresh;  // no compile yet: the token table is empty
        for (int32_t first : {-5, -1, 0, 1, 3}) {
            for (int32_t last : {-5, 0, 1, 4, 100000}) {
                const int16_t err = RunStatementCompiler(fresh, f, first, last);
                if (first < 0) {
                    EXPECT_EQ(err, 23);
                }
            }
        }
        QUARVELv2 c;
        std::u16string text = u"MOVEPOS G6A, P\r\nP: POS G6A, 100, 100\r\n";
        c.Compile(text);
        for (int32_t first : {-5, -1, 0, 1, 2, 4, 9}) {
            for (int32_t last : {-5, 0, 1, 4, 100000}) {
                const int16_t err = RunStatementCompiler(c, f, first, last);
                if (first < 0) {
                    EXPECT_EQ(err, 23);
                }
            }
        }
    }
}

}  // namespace
