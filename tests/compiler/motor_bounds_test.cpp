// The motors a model's row bounds, per row: a single motor given as a
// number or a constant (MOTOR, MOTOROFF, AIMOTOR, AIMOTOROFF, MOTORIN,
// AIMOTORIN), the motors a group word switches, and the motors a value list
// reaches (MOVE and its family, MOVE24, DIR, OFFSET, FASTSERVO).  The models
// of the table keep the code they always had; rows with fewer servos than
// the slots, built here, are compiled in place of Con_ID's row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControllerMap.h"
#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

namespace map = qvv2::controller;

namespace {

using Bytes = std::vector<int>;
using qvv2test::Cat;
using qvv2test::Zeros;

// One instruction per motor from..to: the opcode and the motor as a constant.
Bytes PerMotor(int opcode, int from, int to) {
    Bytes out;
    for (int k = from; k <= to; ++k) {
        if (k <= 1)
            out.insert(out.end(), {opcode, 16 + k});
        else
            out.insert(out.end(), {opcode, 18, k});
    }
    return out;
}

// A memory write of an 8-bit value to a 16-bit address.
Bytes MemoryWrite(int address, int value) { return {204, 19, address & 255, address >> 8, 18, value}; }

// n values v separated by commas.
std::u16string Values(int n, int v) {
    std::u16string out;
    for (int i = 0; i < n; ++i) out += (i ? u", " : u"") + qvv2::NumberText(v);
    return out;
}

const std::u16string kDecl = u"DIM BV AS BYTE\r\nCONST C5 = 5\r\nCONST C20 = 20\r\n";
const int kDeclLines = 3;

// Model 2's row with fewer servos (its direct run kept within them).
const map::ModelFacts kSixteen = map::kModels[1].Servos(16).HighestServo(15);
const map::ModelFacts kFour = map::kModels[1].Servos(4).HighestServo(3);

// A row: a model of the table by its Con_ID, or a row of the test's own.
struct Row {
    const char* name;
    int conId;
    const map::ModelFacts* inPlace;
};
const Row kModel1{"model 1", 1, nullptr};
const Row kModel2{"model 2", 2, nullptr};
const Row kModel3{"model 3", 3, nullptr};
const Row kRow16{"16 servos", 2, &kSixteen};
const Row kRow4{"4 servos", 2, &kFour};

constexpr int kCompiles = -1;  // compiles; its bytes are not compared

struct Case {
    Row row;
    std::u16string source;
    int err;      // 0 with bytes, kCompiles, or the error
    Bytes bytes = {};  // the statement's code when err is 0
};

struct MotorBounds : qvv2test::CompilerTest {
    void SetUp() override {
        CompilerTest::SetUp();
        c.Con_Type = 0;
    }
    void CheckAll(const std::vector<Case>& cases) {
        for (const Case& k : cases) {
            SCOPED_TRACE(std::string(k.row.name) + ": " + qvv2::ToUtf8(k.source));
            c.Con_ID = static_cast<uint8_t>(k.row.conId);
            Core(c).modelInPlace_ = k.row.inPlace;
            ASSERT_EQ(&Core(c).Model(), k.row.inPlace ? k.row.inPlace : map::FindModel(k.row.conId));
            if (k.err == kCompiles) {
                CompileText(kDecl + k.source + u"\r\n");
                EXPECT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
            } else {
                CheckStatement(kDecl, kDeclLines, k.source, k.bytes, k.err);
            }
        }
    }
};

TEST_F(MotorBounds, ASingleMotorIsOneOfTheRowsServos) {
    CheckAll({
        // The models of the table: model 1 takes 0..6 as a raw constant, the
        // others any number their byte operand holds.
        {kModel1, u"MOTOR 6", 0, {218, 6}},
        {kModel1, u"MOTOR 7", 41},
        {kModel1, u"BV = MOTORIN(40)", kCompiles},
        {kModel2, u"MOTOR 16", 0, {218, 18, 16}},
        {kModel2, u"MOTOR 255", 0, {218, 18, 255}},
        {kModel2, u"MOTOR C20", 0, {218, 18, 20}},
        {kModel2, u"AIMOTOR 31", 0, {183, 18, 31}},
        {kModel2, u"BV = MOTORIN(255)", kCompiles},
        {kModel3, u"MOTOROFF 200", 0, {219, 18, 200}},
        // Sixteen servos: motors 0..15.
        {kRow16, u"MOTOR 15", 0, {218, 18, 15}},
        {kRow16, u"MOTOR 0", 0, {218, 16}},
        {kRow16, u"MOTOR C5", 0, {218, 18, 5}},
        {kRow16, u"MOTOR 16", 41},
        {kRow16, u"MOTOR C20", 41},
        {kRow16, u"MOTOR 255", 41},
        {kRow16, u"MOTOR 256", 41},
        {kRow16, u"MOTOR 70000", 41},
        {kRow16, u"MOTOROFF 15", 0, {219, 18, 15}},
        {kRow16, u"MOTOROFF 16", 41},
        {kRow16, u"AIMOTOR 15", 0, {183, 18, 15}},
        {kRow16, u"AIMOTOR 16", 41},
        {kRow16, u"AIMOTOROFF 20", 41},
        {kRow16, u"모터설정 16", 41},
        // A variable's motor is the program's own at run time.
        {kRow16, u"MOTOR BV", 0, {218, 21, 64}},
        {kRow16, u"BV = MOTORIN(15)", kCompiles},
        {kRow16, u"BV = MOTORIN(16)", 41},
        {kRow16, u"BV = MOTORIN(C20)", 41},
        {kRow16, u"BV = AIMOTORIN(16)", 41},
        {kRow16, u"BV = MOTORIN(BV)", kCompiles},
        {kRow4, u"MOTOR 3", 0, {218, 18, 3}},
        {kRow4, u"MOTOR 4", 41},
    });
}

TEST_F(MotorBounds, AGroupWordSwitchesTheRowsServosAlone) {
    CheckAll({
        {kModel1, u"MOTOR G8D", 0, PerMotor(218, 24, 31)},
        {kModel2, u"MOTOR ALLON", 0, PerMotor(218, 0, 31)},
        {kModel2, u"MOTOR G8C", 0, PerMotor(218, 16, 23)},
        {kModel3, u"AIMOTOR G8D", 0, PerMotor(183, 24, 30)},
        {kRow16, u"MOTOR ALLON", 0, PerMotor(218, 0, 15)},
        {kRow16, u"MOTOROFF ALLOFF", 0, PerMotor(219, 0, 15)},
        {kRow16, u"MOTOR G32", 0, PerMotor(218, 0, 15)},
        {kRow16, u"MOTOR G24", 0, PerMotor(218, 0, 15)},
        {kRow16, u"MOTOR G16", 0, PerMotor(218, 0, 15)},
        {kRow16, u"MOTOR G8B", 0, PerMotor(218, 8, 15)},
        {kRow16, u"MOTOROFF G6C", 0, PerMotor(219, 12, 15)},
        {kRow16, u"AIMOTOR G32", 0, PerMotor(183, 0, 15)},
        {kRow16, u"AIMOTOROFF ALLOFF", 0, PerMotor(184, 0, 15)},
        // A group wholly past the servos names no motor the row has.
        {kRow16, u"MOTOR G8C", 41},
        {kRow16, u"MOTOR G6E", 41},
        {kRow16, u"AIMOTOR G8D", 41},
        {kRow4, u"MOTOR G6A", 0, PerMotor(218, 0, 3)},
        {kRow4, u"MOTOR G6B", 41},
    });
}

TEST_F(MotorBounds, AValueListReachesTheRowsServosAlone) {
    CheckAll({
        // The models of the table: every motor 0..31; a list longer than
        // its group stays a syntax error.
        {kModel2, u"MOVE G8D, " + Values(8, 100), 0, {176, 24, 8, 100, 100, 100, 100, 100, 100, 100, 100}},
        {kModel2, u"MOVE G32, " + Values(32, 100), kCompiles},
        {kModel2, u"MOVE G32, " + Values(33, 100), 23},
        {kModel2, u"GYROSET " + Values(33, 1), 23},
        {kModel1, u"OFFSET G8D, , , , , , , , 100", 0, MemoryWrite(863, 0)},
        {kModel3, u"FASTSERVO G8D, , , , , , , , 190", 0, MemoryWrite(831, 190)},
        // Sixteen servos.
        {kRow16, u"MOVE G6C, 100, 100, 100, 100", 0, {176, 12, 6, 100, 100, 100, 100, 0, 0}},
        {kRow16, u"MOVE G6C, 100, 100, 100, 100, ,", 0, {176, 12, 6, 100, 100, 100, 100, 0, 0}},
        {kRow16, u"MOVE G6C, 100, 100, 100, 100, 100", 41},
        {kRow16, u"MOVE G6C, , , , , 100", 41},
        {kRow16, u"MOVE G8C, 100", 41},
        {kRow16, u"MOVE G32, " + Values(16, 100), 0, Cat(Cat({176, 0, 32}, Bytes(16, 100)), Zeros(16))},
        {kRow16, u"MOVE G32, " + Values(17, 100), 41},
        {kRow16, u"MOVE24 " + Values(16, 100), kCompiles},
        {kRow16, u"MOVE24 " + Values(17, 100), 41},
        {kRow16, u"ZERO G8C, 100", 41},
        {kRow16, u"INIT G8C, 100", 41},
        {kRow16, u"GYROSET " + Values(16, 1), kCompiles},
        {kRow16, u"GYROSET " + Values(17, 1), 41},
        {kRow16, u"MOTORMODE G8C, 1", 41},
        {kRow16, u"ACCELSET 1, G8B, 10", 0, Cat({160, 8, 8, 10}, Zeros(7))},
        {kRow16, u"ACCELSET 1, G8C, 10", 41},
        {kRow16, u"TILTSET 2, " + Values(17, 1), 41},
        {kRow16, u"DIR G8B, 0", 0, {180, 8, 8, 254}},
        {kRow16, u"DIR G8C, 0", 41},
        {kRow16, u"OFFSET G8B, 100", 0, MemoryWrite(840, 0)},
        {kRow16, u"OFFSET G8C, 100", 41},
        {kRow16, u"OFFSET " + Values(17, 100), 41},
        {kRow16, u"FASTSERVO G8B, , , , , , , , 190", 0, MemoryWrite(815, 190)},
        {kRow16, u"FASTSERVO G8C, 100", 41},
        // Four servos: the six-motor forms without a group word.
        {kRow4, u"MOVE 100, 100, 100, 100", 0, {220, 100, 100, 100, 100, 0, 0}},
        {kRow4, u"MOVE 100, 100, 100, 100, 100", 41},
        {kRow4, u"ZERO 100, 100, 100, 100, 100", 41},
        {kRow4, u"DIR 0, 0, 0, 0, 0", 41},
    });
}

}  // namespace
