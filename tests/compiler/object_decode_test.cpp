// Reading a compiled line back: what the compiler writes for a statement is
// what the decoder reports for it, on every controller model; and no read of
// a cut or lying image passes its end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ObjectDecode.h"
#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::LineAction;
using qvv2::ObjectImage;

namespace {

using Bytes = std::vector<uint8_t>;

struct RoundTripCase {
    const char* name;
    int16_t conType;
    const char* program;  // lines separated by '|'
    int32_t line;         // the line whose code is decoded
    LineAction::Kind kind;
    int number = 0;  // Output, Servo
    int value = 0;
    // Block: the motors firstMotor .. firstMotor + named - 1 are named, the
    // first of them with `positions` and the rest with 0.
    int firstMotor = 0;
    int named = 0;
    std::vector<int> positions = {};
    bool sixMotor = false;
};

// The source of each case compiled for each model, and its line decoded.
// Statements the direct run does not take (a variable or bit operand, an
// assignment, the position tables of the other controller types) decode to
// nothing; what such a line leaves in the other fields means nothing.
TEST(ObjectDecode, WhatTheCompilerWritesDecodesToTheStatement) {
    using K = LineAction::Kind;
    const RoundTripCase cases[] = {
        {"OUT with byte constants", 0, "OUT 3, 5", 1, K::Output, 3, 5},
        {"OUT with the constants 1 and 0", 0, "OUT 1, 0", 1, K::Output, 1, 0},
        {"OUT with the constants 0 and 1", 0, "OUT 0, 1", 1, K::Output, 0, 1},
        {"SERVO", 0, "SERVO 1, 100", 1, K::Servo, 1, 100},
        {"SERVO with a word position takes its low byte", 0, "SERVO 2, 300", 1, K::Servo, 2, 300 & 0xFF},
        {"SERVO with a named constant", 0, "CONST X = 120|SERVO 4, X", 2, K::Servo, 4, 120},
        {"six-motor MOVE", 0, "MOVE 100, 90, 80, 70, 60, 50", 1, K::Block, 0, 0, 0, 6, {100, 90, 80, 70, 60, 50},
         true},
        {"six-motor MOVE with empty fields", 0, "MOVE 100, , , , , 50", 1, K::Block, 0, 0, 0, 6, {100, 0, 0, 0, 0, 50},
         true},
        {"MOVE G6A", 0, "MOVE G6A, 100, 90, , 70, 60, 50", 1, K::Block, 0, 0, 0, 6, {100, 90, 0, 70, 60, 50}},
        {"MOVE G6E", 0, "MOVE G6E, 10, 20, 30, 40, 50, 60", 1, K::Block, 0, 0, 24, 6, {10, 20, 30, 40, 50, 60}},
        {"MOVE G8B", 0, "MOVE G8B, 10, 20, 30, 40, 50, 60, 70, 80", 1, K::Block, 0, 0, 8, 8,
         {10, 20, 30, 40, 50, 60, 70, 80}},
        {"MOVE G32 names every motor", 0, "MOVE G32, 10, 20, 30", 1, K::Block, 0, 0, 0, 32, {10, 20, 30}},
        {"POS of type 2", 2, "POS 100, 101, 102, , 104, 105", 1, K::Block, 0, 0, 0, 6, {100, 101, 102, 0, 104, 105},
         true},
        {"MOVEPOS of type 2 to a POS line before it", 2, "P1: POS 100, 101, 102, , 104, 105|MOVEPOS P1", 2, K::Block, 0,
         0, 0, 6, {100, 101, 102, 0, 104, 105}, true},
        {"MOVEPOS of type 2 to a POS line after it", 2, "MOVEPOS P1|SERVO 1, 2|P1: POS 90, , , , , 91", 1, K::Block, 0,
         0, 0, 6, {90, 0, 0, 0, 0, 91}, true},
        {"variable port", 0, "DIM A AS BYTE|SERVO A, 100", 2, K::None},
        {"variable position", 0, "DIM A AS BYTE|SERVO 1, A", 2, K::None},
        {"bit of a variable", 0, "DIM A AS BYTE|OUT 3, A.0", 2, K::None},
        {"expression", 0, "DIM A AS BYTE|A = 3 + 4", 2, K::None},
        {"POS with a group word", 0, "POS G6A, 100, 101, 102, 103, 104, 105", 1, K::None},
        {"MOVEPOS of type 5", 5, "P1: POS 100, 101, 102, 103, 104, 105|MOVEPOS P1", 2, K::None},
    };
    for (const RoundTripCase& k : cases) {
        for (const uint8_t model : {1, 2, 3}) {
            SCOPED_TRACE(std::string(k.name) + " (Con_ID " + std::to_string(model) + ")");
            qvv2::QUARVELv2 c;
            qvv2test::SetHostInputs(c);
            c.Con_ID = model;
            c.Con_Type = k.conType;
            qvv2test::CompileCopy(c, qvv2test::PipeLines(qvv2::FromUtf8(k.program)));
            ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);

            const ObjectImage image = ObjectImage::From(c);
            int64_t p = 0;
            ASSERT_TRUE(image.LineStart(k.line, p));
            const LineAction action = qvv2::DecodeLine(image, p);
            EXPECT_EQ(action.kind, k.kind);
            if (k.kind == K::Output || k.kind == K::Servo) {
                EXPECT_EQ(action.number, k.number);
                EXPECT_EQ(action.value, k.value);
            }
            if (k.kind != K::Block) continue;
            EXPECT_EQ(action.sixMotor, k.sixMotor);
            for (int m = 0; m < 32; ++m) {
                const int i = m - k.firstMotor;
                const bool named = i >= 0 && i < k.named;
                const int position = named && i < static_cast<int>(k.positions.size()) ? k.positions[i] : 0;
                EXPECT_EQ(action.named[static_cast<size_t>(m)], named) << "motor " << m;
                EXPECT_EQ(action.positions[static_cast<size_t>(m)], position) << "motor " << m;
            }
            // A group block read on its own, as the capture and the group
            // run read a MOVE line, gives the same motors.
            if (!k.sixMotor) {
                LineAction block;
                ASSERT_TRUE(qvv2::ReadGroupBlock(image, p, block));
                EXPECT_EQ(block.positions, action.positions);
                EXPECT_EQ(block.named, action.named);
            }
        }
    }
}

// Code that is not in the image sends nothing: a caret line past the line
// table, a line table that points past the code, operands cut off.
TEST(ObjectDecode, EveryReadIsBoundsChecked) {
    qvv2::ObjectImage image;
    image.totalBytes = 20;
    image.code.assign(21, 0);
    image.totalLines = 2;
    image.linePos = {0, 16, 40};
    int64_t p = 0;
    EXPECT_TRUE(image.LineStart(1, p));
    EXPECT_EQ(p, 17);
    EXPECT_FALSE(image.LineStart(2, p));  // code past TotalBytes
    EXPECT_FALSE(image.LineStart(3, p));  // past the table
    EXPECT_FALSE(image.LineStart(0, p));

    // OUT 3, 5 cut after its port operand; SERVO with a variable; MOVE with
    // five of its six bytes; a group claiming more motors than follow; a
    // MOVEPOS whose target lies outside.
    const struct {
        const char* name;
        Bytes code;
    } cut[] = {
        {"operand cut", {209, 18, 3}},
        {"variable operand", {223, 20, 0, 18, 100}},
        {"six-motor block cut", {220, 100, 100, 100, 100, 100}},
        {"group count past the end", {176, 0, 6, 100, 100}},
        {"target outside", {238, 0xFF, 0x7F}},
        {"unknown opcode", {196, 0}},
    };
    for (const auto& c : cut) {
        SCOPED_TRACE(c.name);
        qvv2::ObjectImage line;
        line.code = {0};
        line.code.insert(line.code.end(), c.code.begin(), c.code.end());
        line.totalBytes = static_cast<int32_t>(c.code.size());
        EXPECT_EQ(qvv2::DecodeLine(line, 1).kind, qvv2::LineAction::None);
    }
    // A TotalBytes larger than the copy does not let a read pass its end.
    qvv2::ObjectImage lying;
    lying.code = {0, 223, 18};
    lying.totalBytes = 100;
    EXPECT_EQ(qvv2::DecodeLine(lying, 1).kind, qvv2::LineAction::None);

    // MOVEPOS decodes the block stored at its target.
    qvv2::ObjectImage pos;
    pos.code = {0, 238, 3, 0, 239, 10, 20, 30, 40, 50, 60};
    pos.totalBytes = 10;
    const qvv2::LineAction action = qvv2::DecodeLine(pos, 1);
    ASSERT_EQ(action.kind, qvv2::LineAction::Block);
    EXPECT_EQ(action.positions[0], 10);
    EXPECT_EQ(action.positions[5], 60);
}

}  // namespace
