// Direct run from the editor: the statement on the caret line, or the pose of
// the MOVE group lines around it, runs at once on the connected controller
// without a download; and the capture of a hand-set pose back into a MOVE
// line (CaptureMove.h).
//
// Each command compiles the line alone (CompileSnippet), finds the line's
// code in the object image, decodes its opcode and operands with the
// compiler library's decoder (ObjectDecode.h) and sends the matching direct
// link commands.  Nothing is shown: a link failure closes the port and
// leaves its code in vxIO::CommError.  Code that is not there, or operands
// that are no constants, end the command before the port is opened.
#pragma once

#include <QString>

#include <cstdint>

#include "compiler/Commands.h"
#include "compiler/ObjectDecode.h"
#include "link/vxIO_Windows.h"

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

// ---- The compiled group block of a MOVE line -------------------------------------

// Compiles `text` alone (CompileSnippet) and reads the group block of its
// first line into `block`, which starts empty: the line's positions by motor
// (0 for an empty field).  False when the text does not compile, has no code
// on its first line, or its block runs past the image.
bool CompileGroupBlock(QString text, qvv2::LineAction& block);

// ---- MOVE groups --------------------------------------------------------------------

// Whether the word, in any letter case, is the English or the Korean word of
// the compiler's command (qvv2::CMD_...).
bool IsWordOf(const QString& word, int16_t command);
// The motor group of a group word (G6A to G6E, G8A to G8D and the Korean
// 그룹6A ...), any letter case; nullptr for any other word.
const vxIO::MotorGroup* FindGroup(const QString& word);
// Whether the word is MOVE or 동작 in any letter case.
bool IsMoveWord(const QString& word);
// The head of a line that the windows write into a program: the English
// words of the statement and of the group of six servos from `firstMotor`,
// such as "MOVE G6A".
QString GroupLineHead(int16_t statement, int firstMotor);

}  // namespace modMain
