// Direct run from the editor: the statement on the caret line, or the pose of
// the MOVE group lines around it, runs at once on the connected controller
// without a download; and the capture of a hand-set pose back into a MOVE
// line (CaptureMove.h).
//
// Each command compiles the line alone (CompileSnippet), finds the line's
// code in the object image, decodes its opcode and operands and sends the
// matching direct link commands.  Nothing is shown: a link failure closes
// the port and leaves its code in vxIO::CommError.  Every read of the object
// image and its line table is checked: code that is not there, or operands
// that are no constants, end the command before the port is opened.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "link/vxIO.h"

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// ---- Commands of the Controller menu and the editor's keys ----------------------

// Controller type 5: compiles the document when CompiledOK is clear, cuts a
// trailing comment, runs OPEN / CLOSE (열기 / 닫기) as two output commands,
// outputs 0 to 6, servos 0 to 3, and blocks on motors 0 to 3.
void RunCurrentLine();
// Every other type: the line alone, else the whole document; outputs and
// motors limited by the model; model 1 equalises the speeds of a block so
// that its servos arrive together.
void RunCurrentLineSingle();
// The MOVE line at the caret with the neighbouring MOVE lines of its group
// family, each group once, sent top to bottom.
void RunCurrentGroup();

// ---- One direct command at a time ------------------------------------------------

// Held by each direct command for its whole run.  The command's compiles,
// the line tokenizer and the link's waits all hand control to the event
// queue; a key handled there must not start a second command (the link's
// own guard, vxIO::Exchange, sees only its waits, not the compiles).
class DirectCommand {
public:
    DirectCommand();
    ~DirectCommand();
    DirectCommand(const DirectCommand&) = delete;
    DirectCommand& operator=(const DirectCommand&) = delete;
    explicit operator bool() const { return granted_; }

private:
    vxIO::Exchange exchange_;
    bool granted_ = false;
};

// Closes the serial port (only on the serial link) at the end of a direct
// command; a link error's code stays in vxIO::CommError for the caller.
void CloseSerialKeepingError();

// ---- The object image, read with bounds ------------------------------------------

// A copy of the compiler's object image and line table.  code[a + 1] is the
// byte at code address a (element 0 unused); linePos[n] is the code address
// of source line n's first byte.
struct ObjectImage {
    std::vector<uint8_t> code;
    std::vector<int32_t> linePos;
    int32_t totalBytes = 0;
    int32_t totalLines = 0;

    static ObjectImage From(const qvv2::QUARVELv2& basic);
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
    std::array<uint8_t, 32> positions{};
    std::array<bool, 32> named{};
    bool sixMotor = false;  // the block came from a six-motor opcode (220, 239)
};

// Decodes the line whose first opcode is at index p: OUT (209), SERVO
// (223), MOVE (220), MOVE with a group word (176), POS (239) and MOVEPOS
// (238, through its target).  Operands must be constants (codes 16 to 19);
// anything else, an unknown opcode or a read past the image gives None.
LineAction DecodeLine(const ObjectImage& image, int64_t p);

// The block of a MOVE line with a group word, after its opcode at index p:
// first motor, count and one position per motor into `action` (motors 32
// and above dropped); false on a read past the image.
bool ReadGroupBlock(const ObjectImage& image, int64_t p, LineAction& action);

// ---- MOVE groups --------------------------------------------------------------------

// The motor group of a group word (G6A to G6E, G8A to G8D and the Korean
// 그룹6A ...), any letter case; nullptr for any other word.
const vxIO::MotorGroup* FindGroup(const QString& word);
// Whether the word is MOVE or 동작 in any letter case.
bool IsMoveWord(const QString& word);

}  // namespace modMain
