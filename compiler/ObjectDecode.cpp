#include "ObjectDecode.h"

#include "QUARVELv2.h"

namespace qvv2 {

namespace {

// One operand as the compiler writes it: OP_CONST_SMALL + 0 and + 1 are the
// constants 0 and 1; OP_CONST_BYTE a byte constant; OP_CONST_WORD a 16-bit
// constant (allowed for the second operand only, its low byte taken).
// Returns false for any other code (a variable or an expression) and for a
// read past the image.
bool ReadFirstOperand(const ObjectImage& image, int64_t& p, uint8_t& value) {
    uint8_t code = 0;
    if (!image.At(p + 1, code)) return false;
    switch (code) {
        case OP_CONST_SMALL:
            value = 0;
            p += 2;
            return true;
        case OP_CONST_SMALL + 1:
            value = 1;
            p += 2;
            return true;
        case OP_CONST_BYTE:
            if (!image.At(p + 2, value)) return false;
            p += 3;
            return true;
        default: return false;
    }
}

bool ReadSecondOperand(const ObjectImage& image, int64_t p, uint8_t& value) {
    uint8_t code = 0;
    if (!image.At(p, code)) return false;
    switch (code) {
        case OP_CONST_SMALL: value = 0; return true;
        case OP_CONST_SMALL + 1: value = 1; return true;
        case OP_CONST_BYTE:
        case OP_CONST_WORD: return image.At(p + 1, value);
        default: return false;
    }
}

// The six block bytes after the opcode at p: motors 0 to 5.
bool ReadSixBlock(const ObjectImage& image, int64_t p, LineAction& action) {
    for (int m = 0; m < 6; ++m) {
        if (!image.At(p + 1 + m, action.positions[static_cast<size_t>(m)])) return false;
        action.named[static_cast<size_t>(m)] = true;
    }
    action.sixMotor = true;
    return true;
}

bool ReadBlock(const ObjectImage& image, int64_t p, uint8_t opcode, LineAction& action) {
    switch (opcode) {
        case OP_MOVE:
        case OP_POS_TYPE2: return ReadSixBlock(image, p, action);
        case OP_MOVE_GROUP: return ReadGroupBlock(image, p, action);
        default: return false;
    }
}

}  // namespace

// ---- ObjectImage -----------------------------------------------------------------

ObjectImage ObjectImage::From(const QUARVELv2& basic) {
    ObjectImage image;
    image.totalBytes = basic.TotalBytes > 0 ? basic.TotalBytes : 0;
    image.totalLines = basic.TotalLines > 0 ? basic.TotalLines : 0;
    image.code = basic.ObjCode;
    image.linePos = basic.LineObjPos;
    return image;
}

bool ObjectImage::At(int64_t i, uint8_t& b) const {
    if (i < 1 || i > totalBytes || i >= static_cast<int64_t>(code.size())) return false;
    b = code[static_cast<size_t>(i)];
    return true;
}

bool ObjectImage::LineStart(int64_t n, int64_t& p) const {
    if (n < 1 || n > totalLines || n >= static_cast<int64_t>(linePos.size())) return false;
    p = static_cast<int64_t>(linePos[static_cast<size_t>(n)]) + 1;
    uint8_t opcode = 0;
    return At(p, opcode);
}

// ---- Decoding --------------------------------------------------------------------

bool ReadGroupBlock(const ObjectImage& image, int64_t p, LineAction& action) {
    uint8_t first = 0;
    uint8_t count = 0;
    if (!image.At(p + 1, first) || !image.At(p + 2, count)) return false;
    for (int i = 0; i < count; ++i) {
        uint8_t position = 0;
        if (!image.At(p + 3 + i, position)) return false;
        const int motor = first + i;
        if (motor >= controller::kServoSlots) continue;
        action.positions[static_cast<size_t>(motor)] = position;
        action.named[static_cast<size_t>(motor)] = true;
    }
    return true;
}

LineAction DecodeLine(const ObjectImage& image, int64_t p) {
    LineAction action;
    uint8_t opcode = 0;
    if (!image.At(p, opcode)) return action;
    switch (opcode) {
        case OP_OUT:
        case OP_SERVO: {
            int64_t q = p;
            if (!ReadFirstOperand(image, q, action.number)) return action;
            if (!ReadSecondOperand(image, q, action.value)) return action;
            action.kind = opcode == OP_OUT ? LineAction::Output : LineAction::Servo;
            return action;
        }
        case OP_MOVE:
        case OP_POS_TYPE2:
        case OP_MOVE_GROUP:
            if (ReadBlock(image, p, opcode, action)) action.kind = LineAction::Block;
            return action;
        case OP_MOVEPOS_TYPE2: {
            // The target's code address follows, low byte first; the block is
            // the one stored after the opcode found there.
            uint8_t low = 0;
            uint8_t high = 0;
            if (!image.At(p + 1, low) || !image.At(p + 2, high)) return action;
            const int64_t target = low + 256 * high + 1;
            uint8_t targetOpcode = 0;
            if (!image.At(target, targetOpcode)) return action;
            if (ReadBlock(image, target, targetOpcode, action)) action.kind = LineAction::Block;
            return action;
        }
        default: return action;
    }
}

}  // namespace qvv2
