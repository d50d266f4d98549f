// Position blocks (POS) and MOVEPOS for the controller types 2 and 5, and the
// group form of MOVEPOS for every other type.  MOVEPOS leaves a label fix-up
// whose kind tells the label resolution which position block it must land
// on.
#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr int16_t kErrSyntax = 23;
constexpr int16_t kErrNoSupport = 999;

constexpr int16_t kCmdMovePos = 74;
constexpr int16_t kCmdPos = 75;

constexpr uint8_t kOpMovePosType2 = 238;  // 0xEE
constexpr uint8_t kOpMovePos = 178;       // 0xB2: type 5 and the group form
constexpr uint8_t kOpPosType2 = 239;      // 0xEF
constexpr uint8_t kOpPos = 177;           // 0xB1

constexpr uint8_t kFixupMovePosType2 = 6;
constexpr uint8_t kFixupMovePosType5 = 7;  // the same check as G6A

// Fix-up kind of the MOVEPOS group form by group word; 0 for no group word.
uint8_t GroupFixupKind(int16_t command) {
    switch (command) {
        case 92: return 7;    // G6A
        case 93: return 8;    // G6B
        case 94: return 9;    // G6C
        case 95: return 10;   // G6D
        case 124: return 11;  // G6E
        case 96: return 12;   // G8A
        case 97: return 13;   // G8B
        case 98: return 14;   // G8C
        case 99: return 15;   // G8D
        case 106: return 16;  // G12
        case 107: return 17;  // G16
        case 119: return 18;  // G24
        case 123: return 19;  // G32
        default: return 0;
    }
}

// Appends a fix-up for the two placeholder bytes that follow the opcode just
// written, and writes the placeholder.
void EmitLabelPlaceholder(QUARVELv2& c, uint8_t kind, const std::u16string& label) {
    Fixup f;
    f.kind = kind;
    f.line = c.currentLine_;
    f.name = label;
    f.position = c.ObjectPosition() + 1;
    if (static_cast<int32_t>(c.fixups_.size()) != c.fixupCount_ + 1) c.fixups_.resize(c.fixupCount_ + 1);
    c.fixups_.push_back(f);
    ++c.fixupCount_;
    c.EmitByte(0);
    c.EmitByte(0);
}

void CompileMovePosLabel(QUARVELv2& c, uint8_t opcode, uint8_t kind, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    if (c.StatementEnd(first, last) != first + 1) {
        err = kErrSyntax;
        return;
    }
    if (c.CommandEnabled(kCmdMovePos) == 0) {
        err = kErrNoSupport;
        return;
    }
    c.EmitByte(opcode);
    EmitLabelPlaceholder(c, kind, c.tokens_[first + 1].text);
}

// POS for types 2 and 5: a header and exactly six positions.
void CompilePosBlock(QUARVELv2& c, bool type5, int32_t first, int32_t last, int16_t& err) {
    err = 0;
    const int32_t end = c.StatementEnd(first, last);
    if (first < 0) {
        err = kErrSyntax;
        return;
    }
    if (c.CommandEnabled(kCmdPos) == 0) {
        err = kErrNoSupport;
        return;
    }
    if (type5) {
        c.EmitByte(kOpPos);
        c.EmitByte(0);
        c.EmitByte(6);
    } else {
        c.EmitByte(kOpPosType2);
    }
    c.CompileServoValues(first + 1, end, 6, 10, 190, err);
}

}  // namespace

void QUARVELv2::CompileMovePosType2(int32_t& first, int32_t& last, int16_t& err) {
    CompileMovePosLabel(*this, kOpMovePosType2, kFixupMovePosType2, first, last, err);
}

void QUARVELv2::CompileMovePosType5(int32_t& first, int32_t& last, int16_t& err) {
    CompileMovePosLabel(*this, kOpMovePos, kFixupMovePosType5, first, last, err);
}

// MOVEPOS group , label
void QUARVELv2::CompileMovePosGroup(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (StatementEnd(first, last) != first + 3) {
        err = kErrSyntax;
        return;
    }
    EmitByte(kOpMovePos);
    const Token& group = tokens_[first + 1];
    if (group.kind != TK_COMMAND || tokens_[first + 2].kind != TK_COMMA) {
        err = kErrSyntax;
        return;
    }
    if (CommandEnabled(group.code) == 0) {
        err = kErrNoSupport;
        return;
    }
    const uint8_t kind = GroupFixupKind(group.code);
    if (kind == 0) {
        err = kErrSyntax;
        return;
    }
    EmitLabelPlaceholder(*this, kind, tokens_[first + 3].text);
}

void QUARVELv2::CompilePosType2(int32_t& first, int32_t& last, int16_t& err) {
    CompilePosBlock(*this, false, first, last, err);
}

void QUARVELv2::CompilePosType5(int32_t& first, int32_t& last, int16_t& err) {
    CompilePosBlock(*this, true, first, last, err);
}

}  // namespace qvv2
