// Reading a compiled line back: what the code of one source line asks of the
// controller, for running it directly without a download.  The decoder reads
// the bytes the compiler wrote through the same names (ObjectCode.h).
//
// Every read of the object image and its line table is checked: code that is
// not there, or operands that are no constants, give no action.  Public: the
// program includes it; standard C++ only.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "ControllerMap.h"
#include "ObjectCode.h"
#include "qvv2_export.h"

namespace qvv2 {

class QUARVELv2;

// A copy of the compiler's object image and line table.  code[a + 1] is the
// byte at code address a (element 0 unused); linePos[n] is the code address
// of source line n's first byte.
struct QVV2_EXPORT ObjectImage {
    std::vector<uint8_t> code;
    std::vector<int32_t> linePos;
    int32_t totalBytes = 0;
    int32_t totalLines = 0;

    static ObjectImage From(const QUARVELv2& basic);
    // The byte at index i: false unless 1 <= i <= totalBytes and the copy
    // holds it.
    bool At(int64_t i, uint8_t& b) const;
    // The index of line n's first byte, LineObjPos(n) + 1: false for a line
    // outside the table or code outside the image.
    bool LineStart(int64_t n, int64_t& p) const;
};

// What one line's code asks of the controller.
struct LineAction {
    enum Kind { None, Output, Servo, Block } kind = None;
    uint8_t number = 0;  // output port or motor
    uint8_t value = 0;   // output level source value or position
    // Block: one position per motor (0 = leave the motor), and which motors
    // the block names (a six-motor block names motors 0 to 5).
    std::array<uint8_t, controller::kServoSlots> positions{};
    std::array<bool, controller::kServoSlots> named{};
    bool sixMotor = false;  // the block came from a six-motor opcode (OP_MOVE, OP_POS_TYPE2)
};

// Decodes the line whose first opcode is at index p: OUT (OP_OUT), SERVO
// (OP_SERVO), MOVE (OP_MOVE), MOVE with a group word (OP_MOVE_GROUP), POS
// (OP_POS_TYPE2) and MOVEPOS (OP_MOVEPOS_TYPE2, through its target).
// Operands must be constants (OP_CONST_SMALL + 0 or 1, OP_CONST_BYTE, and
// OP_CONST_WORD for the second operand, its low byte taken); anything else,
// an unknown opcode or a read past the image gives None.
QVV2_EXPORT LineAction DecodeLine(const ObjectImage& image, int64_t p);

// The block of a MOVE line with a group word, after its opcode at index p:
// first motor, count and one position per motor into `action` (motors
// kServoSlots and above dropped); false on a read past the image.
QVV2_EXPORT bool ReadGroupBlock(const ObjectImage& image, int64_t p, LineAction& action);

}  // namespace qvv2
