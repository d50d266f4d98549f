// The compile itself, internal to the compiler library: the per-compile
// state, the lexer, the code-generation pass, the statement compilers and
// the object buffer they write through.  The control (QUARVELv2) holds one
// Compiler; its inputs and results stay on the control, reached as ctl.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "Codes.h"
#include "Commands.h"
#include "ControllerMap.h"
#include "QUARVELv2.h"

namespace qvv2 {

// One token of the source, numbered from 1 across the whole program.
struct Token {
    std::u16string text;
    uint8_t kind = 0;
    int16_t code = -1;
};

// Token kinds.
enum TokenKind : uint8_t {
    TK_COMMAND = 1,
    TK_WORD = 2,
    TK_NUMBER = 3,
    TK_STRING = 4,
    TK_OPERATOR = 5,
    TK_LABEL = 6,
    TK_COMMA = 7,
    TK_COMMENT = 8,
    TK_BITNAME = 9,
    TK_BITNUMBER = 10,
    TK_HEX = 12,
    TK_BIN = 13,
    TK_OCT = 14,
    TK_BITCOMMAND = 16,
};

// Token indexes of one source line; a line without tokens has last = first - 1.
struct LineRange {
    int32_t first = 0;
    int32_t last = -1;
};

struct LabelRecord {
    std::u16string name;   // upper case
    int32_t address = -1;  // -1 until the label's line is compiled
};

// A label reference left in the code by a statement compiler.
struct Fixup {
    uint8_t kind = 0;
    int32_t line = 0;
    std::u16string name;
    int32_t position = 0;  // buffer index of the low byte of the placeholder
};

// A name declared by DIM or CONST.
struct VarRecord {
    std::u16string name;  // upper case
    int16_t address = 0;  // RAM address (0 for constants)
    uint8_t type = 0;     // VarType: VT_BYTE, VT_INTEGER, VT_CONST + size class
    int32_t value = 0;    // constant value
    int32_t dim = -1;     // -1 for a variable, 0 for a constant
    std::array<uint8_t, 2> operand{{0, 0}};
};

// One open FOR loop.  The code-generation pass reads Line (the source line of
// the FOR) to report a loop left open; the FOR and NEXT compilers use the rest.
struct ForRecord {
    int32_t Line = 0;
    std::u16string LoopVar;   // upper case
    int32_t LoopHeadPos = 0;  // object position just before the loop-head opcode
    int32_t ExitJumpPos = 0;  // position of the low byte of the loop-exit placeholder
};

// One branch (the IF or an ELSEIF) of an IF level.
struct IfBranchRecord {
    int32_t Line = 0;          // source line of the IF or ELSEIF
    int32_t FalseJumpPos = 0;  // low byte of the conditional-jump placeholder
    int32_t EndJumpPos = -1;   // low byte of the jump to the block's end; -1 while none
};

// Everything a compile builds up and the next compile starts afresh: the
// source split into lines and tokens, labels, fix-ups, declared names, the
// object buffer and the block state of FOR and IF.  Compiler::ResetState()
// replaces it with a default-made one, whose values are those a compile
// starts from.
struct CompileState {
    std::vector<std::u16string> lines_ = std::vector<std::u16string>(1);  // 1-based source lines
    std::vector<LineRange> lineRanges_ = std::vector<LineRange>(1);       // 1-based
    std::vector<Token> tokens_ = std::vector<Token>(1);                   // 1-based
    int32_t tokenCount_ = 0;
    std::vector<LabelRecord> labels_ = std::vector<LabelRecord>(1);  // 1-based
    int32_t labelCount_ = 0;
    std::vector<Fixup> fixups_ = std::vector<Fixup>(1);  // 1-based
    int32_t fixupCount_ = 0;
    std::vector<VarRecord> vars_ = std::vector<VarRecord>(1);  // 1-based
    int32_t varCount_ = 0;
    int16_t nextRam_ = 64;
    int16_t nextRamCompanion_ = 64;
    int32_t currentLine_ = 0;
    // Music state carried from one PLAY or MUSIC statement to the next within a
    // compile (compiler/Music.cpp): 1 the PLAY octave (0..2), 2 the PLAY tempo
    // (1..10), 3 the MUSIC octave (0..6); 4 is reset with the others and read
    // by neither music compiler.
    int16_t musicDefault1_ = 1;
    uint8_t musicDefault2_ = 7;
    int16_t musicDefault3_ = 3;
    uint8_t musicDefault4_ = 100;

    // Object buffer: indexes 0..kBufferMax, position = index of the last byte written.
    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(QUARVELv2::kBufferMax + 1, 0);
    int32_t objPos_ = 0;

    // Block state of FOR and IF.
    // Set by the FOR, NEXT, IF, ELSEIF, ELSE and ENDIF compilers; read by the
    // code-generation pass, which reports blocks left open and closes a
    // one-line IF at the end of its line.  A compile starts with the values
    // given here.
    int16_t ForNesting = 0;                                           // open FOR loops
    std::vector<ForRecord> ForLoops = std::vector<ForRecord>(1);      // 1..ForNesting
    int16_t IfNesting = 0;                                            // open IF levels, 0..10
    std::vector<int16_t> IfBranchCount = std::vector<int16_t>(1, 0);  // 0..IfNesting
    // [level 0..10][branch 0..n]
    std::vector<std::vector<IfBranchRecord>> IfBranches =
        std::vector<std::vector<IfBranchRecord>>(11, std::vector<IfBranchRecord>(1));
    int16_t ElseIfPending = 0;  // an ELSEIF hands over to the IF compiler
    uint8_t OneLineIf = 0;      // 0 none, 1 one-line IF open on this line, 2 ELSE on such a line
    int32_t ThenToken = 0;      // first token after THEN (or ELSE) of a one-line IF

    // Look-up indexes by upper-case name over labels_ and vars_, brought up
    // to date as the tables grow (Compiler::LabelIndex, VariableIndex).
    mutable std::unordered_map<std::u16string, int32_t> labelIndex_;
    mutable int32_t labelIndexed_ = 0;
    mutable std::unordered_map<std::u16string, int32_t> varIndex_;
    mutable int32_t varIndexed_ = 0;
};

// Exported only so that the tests, which link the library, reach the
// statement compilers and emitters; the header is not part of the control's
// published interface.
class QVV2_EXPORT Compiler : public CompileState {
public:
    explicit Compiler(QUARVELv2& control);

    QUARVELv2& ctl;  // inputs (Con_ID, Con_Type, CodePage, ...) and results (Bas_Error, tables)

    // The model the code is written for: the row of Con_ID, or the row a
    // caller puts in its place (the tests' rows of models the table does
    // not hold).  Kept from one compile to the next.
    const controller::ModelFacts* modelInPlace_ = nullptr;
    const controller::ModelFacts& Model() const {
        return modelInPlace_ ? *modelInPlace_ : controller::CompiledModel(ctl.Con_ID);
    }
    // Whether the model has motor `motor`: one of its servos.
    bool ModelHasMotor(int32_t motor) const { return motor >= 0 && motor < Model().servos; }
    // Whether a single motor, given as a number or a constant, lies above
    // the model's highest motor (controller::HighestMotor); a variable's
    // motor is the program's own at run time.
    bool MotorAboveTheModel(const Token& tok) const;

    // A fresh per-compile state.
    void ResetState();

    // The control's command flags and messages, for the statement compilers.
    int16_t CommandEnabled(int16_t cmd) const { return ctl.CommandEnabled(cmd); }
    std::u16string GetMessageText(int16_t number) const { return ctl.GetMessageText(number); }

    // Passes; each returns with ctl.Bas_Error set on failure.
    void SplitLines(const std::u16string& text);
    void TokenizeSource();
    void GenerateCode();

    // Object buffer and operand emitters.
    void EmitByte(uint8_t b);
    void PutByteAt(int32_t position, uint8_t b);
    void GetByteAt(int32_t position, uint8_t& b) const;
    static void HighByte(int32_t value, uint8_t& b);
    static void LowByte(int32_t value, uint8_t& b);
    static void BaudRateCode(int32_t rate, uint8_t& code);
    void EmitOperand(const Token& tok, int16_t allowWord, int16_t& err);
    void EmitValueOperand(const Token& tok, int32_t min, int32_t max, int16_t wide, int16_t& err);
    // The value of a number or a declared constant; false for any other token.
    bool ConstantValue(const Token& tok, int32_t& value) const;
    void EmitPrintOperand(const Token& tok, int16_t allowWord, int16_t format, int16_t& err);
    void EmitTableOperand(int16_t command, const Token& tok, int32_t min, int32_t max, int16_t& err);
    void EmitBitOperand(int32_t tokenIndex, int16_t& err);
    void EmitChannelOperand(const Token& tok, int16_t allowWord, int16_t& err);
    void SetBitFromOperand(uint8_t& b, int32_t bit, const Token& tok, int16_t& err);
    void EmitOperator(const Token& tok, int16_t& err);

    // Jump emitters.  A forward jump's address is written as a two-byte
    // placeholder and patched once the target is known: by the statement
    // compiler that reaches the target (IF blocks, FOR, a music record's
    // end) or, for a label, by the label resolution through a fix-up.
    //
    // Writes a placeholder and returns the position of its low byte.
    int32_t EmitPlaceholder();
    // Writes value as a little-endian word.
    void EmitWord(int32_t value);
    // Patches the word whose low byte is at position with value.
    void PatchWord(int32_t position, int32_t value);
    // Patches the placeholder at position with the current object position.
    void PatchToHere(int32_t position) { PatchWord(position, objPos_); }
    // Appends a label fix-up of the given kind on the current line whose
    // placeholder starts at the next byte to be written.
    void AddLabelFixup(uint8_t kind, const std::u16string& name);
    // A label reference: a fix-up and its placeholder.
    void EmitLabelPlaceholder(uint8_t kind, const std::u16string& name);

    // Look-ups shared by the passes.
    // The token at index i, or an empty token (kind 0) outside 1..tokenCount_.
    const Token& TokenAt(int32_t i) const;
    // The decimal value of a token's leading digits (a number token's value).
    static int32_t NumberValue(const Token& tok);
    int16_t FindLabel(const std::u16string& name) const;
    int16_t FindOperator(const std::u16string& text) const;
    int16_t FindVariable(const std::u16string& name) const;

    // Statement compilers: assignments, expressions, PRINT, fixed code.
    // The assignment statement itself is CompileAssignment (declared with the
    // front end, defined in Expressions.cpp).  None of these compilers keeps
    // state between calls, so there is nothing to reset per compile.
    //
    // Helpers, usable by any statement compiler (token indexes are checked
    // against tokenCount_; nothing is read outside first..last):
    // - CompileExpression: tokens first..last as operand (operator operand)*,
    //   applied by the controller strictly left to right.  Operands go through
    //   EmitOperand with allowWord, operators through EmitOperator (+ - * / %
    //   << >> MOD AND OR XOR).  Errors: 19 for an empty range, two operands in
    //   a row or a trailing operator; 22 for any other operator or keyword;
    //   17, 20, 21 from the operands.
    // - CompileRightSide: the right side of an assignment starting at first:
    //   an expression, one string, a bit reference name.bit, or an input
    //   function (IN(x), PEEK(x), RND, CHOICE(x, v, ...), ...).  Does not
    //   write the terminating 0.
    // - CompileInputFunction: the input function whose keyword is at k and
    //   which must end at last (part of CompileRightSide).
    // - CompilePrintItem: one string as PRINT writes it, a byte per character
    //   in the ANSI code page, two zero bytes for a double-byte character;
    //   error 43 for a token that is not a string.
    // - AnsiCharCode: the character's code in the ANSI code page (CodePage,
    //   or the process's when empty): 0..255 for a one-byte character, the two
    //   bytes as a negative 16-bit number for a double-byte character.
    void CompileExpression(int32_t first, int32_t last, int16_t allowWord, int16_t& err);
    void CompileRightSide(int32_t first, int32_t last, int16_t& err);
    void CompileInputFunction(int32_t k, int32_t last, int16_t& err);
    void CompilePrintItem(const Token& tok, int16_t& err);
    int32_t AnsiCharCode(char16_t ch) const;

    // PRINT.
    void CompilePrint(int32_t& first, int32_t& last, int16_t& err);

    // Statements that compile to fixed bytes, and ACTION.
    void CompileBreak(int32_t& first, int32_t& last, int16_t& err);
    void CompileWait(int32_t& first, int32_t& last, int16_t& err);
    void CompileStop(int32_t& first, int32_t& last, int16_t& err);
    void CompileRun(int32_t& first, int32_t& last, int16_t& err);
    void CompileTimerOff(int32_t& first, int32_t& last, int16_t& err);
    void CompileEnd(int32_t& first, int32_t& last, int16_t& err);
    void CompileCls(int32_t& first, int32_t& last, int16_t& err);
    void CompileLcdInit(int32_t& first, int32_t& last, int16_t& err);
    void CompileCsOn(int32_t& first, int32_t& last, int16_t& err);
    void CompileCsOff(int32_t& first, int32_t& last, int16_t& err);
    void CompileBeep(int32_t& first, int32_t& last, int16_t& err);
    void CompileAction(int32_t& first, int32_t& last, int16_t& err);

    // Statement compilers: GOTO, GOSUB, RETURN, IF, FOR, ON.
    // Jumps and subroutines (Branches.cpp).
    void CompileGoto(int32_t& first, int32_t& last, int16_t& err);
    void CompileGosub(int32_t& first, int32_t& last, int16_t& err);
    void CompileReturn(int32_t& first, int32_t& last, int16_t& err);
    // IF blocks (IfBlocks.cpp).  CompileCondition compiles one comparison
    // "a op b" in tokens first..last.
    void CompileIf(int32_t& first, int32_t& last, int16_t& err);
    void CompileElseIf(int32_t& first, int32_t& last, int16_t& err);
    void CompileElse(int32_t& first, int32_t& last, int16_t& err);
    void CompileEndIf(int32_t& first, int32_t& last, int16_t& err);
    void CompileCondition(int32_t& first, int32_t& last, int16_t& err);
    // Counted loops (ForLoops.cpp).
    void CompileFor(int32_t& first, int32_t& last, int16_t& err);
    void CompileNext(int32_t& first, int32_t& last, int16_t& err);
    // ON .. GOTO, ON TIMER, ON INT (OnStatement.cpp).
    void CompileOn(int32_t& first, int32_t& last, int16_t& err);

    // Statement compilers: servo groups, motors, positions.
    // Servo group statements: one value per motor of a run named by a group
    // word (G6A .. G32) or implied (compiler/ServoGroups.cpp).
    void CompileMove(int32_t& first, int32_t& last, int16_t& err);
    void CompileZero(int32_t& first, int32_t& last, int16_t& err);
    void CompilePos(int32_t& first, int32_t& last, int16_t& err);
    void CompileInit(int32_t& first, int32_t& last, int16_t& err);
    void CompileGetMotorSet(int32_t& first, int32_t& last, int16_t& err);
    void CompileMotorMode(int32_t& first, int32_t& last, int16_t& err);
    void CompileGyroSet(int32_t& first, int32_t& last, int16_t& err);
    void CompileGyroDir(int32_t& first, int32_t& last, int16_t& err);
    void CompileGyroSense(int32_t& first, int32_t& last, int16_t& err);
    void CompileAccelSet(int32_t& first, int32_t& last, int16_t& err);
    void CompileAccelDir(int32_t& first, int32_t& last, int16_t& err);
    void CompileAccelSense(int32_t& first, int32_t& last, int16_t& err);
    void CompileTiltSet(int32_t& first, int32_t& last, int16_t& err);
    void CompileTiltDir(int32_t& first, int32_t& last, int16_t& err);
    void CompileTiltSense(int32_t& first, int32_t& last, int16_t& err);
    void CompileMove24(int32_t& first, int32_t& last, int16_t& err);
    void CompileDir(int32_t& first, int32_t& last, int16_t& err);
    void CompileOffset(int32_t& first, int32_t& last, int16_t& err);
    // Motor switching and fast servo statements (compiler/Motors.cpp).
    void CompileMotor(int32_t& first, int32_t& last, int16_t& err);
    void CompileMotorOff(int32_t& first, int32_t& last, int16_t& err);
    void CompileAiMotor(int32_t& first, int32_t& last, int16_t& err);
    void CompileAiMotorOff(int32_t& first, int32_t& last, int16_t& err);
    void CompileFastServo(int32_t& first, int32_t& last, int16_t& err);
    // Position blocks and MOVEPOS by controller type (compiler/Positions.cpp).
    // The statement compilers of MOVEPOS and POS choose the form by Con_Type:
    // type 2, type 5, or the group form for every other type.
    void CompileMovePosStatement(int32_t& first, int32_t& last, int16_t& err);
    void CompilePosStatement(int32_t& first, int32_t& last, int16_t& err);
    void CompileMovePosType2(int32_t& first, int32_t& last, int16_t& err);
    void CompileMovePosType5(int32_t& first, int32_t& last, int16_t& err);
    void CompileMovePosGroup(int32_t& first, int32_t& last, int16_t& err);
    void CompilePosType2(int32_t& first, int32_t& last, int16_t& err);
    void CompilePosType5(int32_t& first, int32_t& last, int16_t& err);

    // Group words: first motor and motor count of a group word's command
    // number; false for any other command.
    static bool ServoGroup(int16_t command, int16_t& firstMotor, int16_t& count);
    // The index of the statement's last token that may be read: last, kept
    // inside the token table; below first + 1 when first is not a token
    // index, so that the statement reads as having no operands.
    int32_t StatementEnd(int32_t first, int32_t last) const;
    // Group-word recognition at token g (writes nothing): a token that is no
    // command word leaves hasGroup false; a group word gives its first motor
    // and count and listStart = the token after its separator; a disabled
    // word gives 999, any other command word or a missing separator or list
    // 23.
    void ReadServoGroup(int32_t g, int32_t last, bool& hasGroup, int16_t& firstMotor, int16_t& count,
                        int32_t& listStart, int16_t& err);
    // The statement's operands after its keyword at first: false, with err
    // 23, when there are none, or with ReadServoGroup's error when the group
    // word part is wrong; otherwise the group (if any) and where the list
    // starts (the token after the keyword when there is no group word).
    bool ReadStatementGroup(int32_t first, int32_t end, bool& hasGroup, int16_t& firstMotor, int16_t& count,
                            int32_t& listStart, int16_t& err);
    // The value list from token start to last, slot k for motor
    // firstMotor + k - 1: one raw byte per slot, min..max, 0 for empty slots,
    // padded with 0 to count slots; a value for a motor the model does not
    // have is over range.
    void CompileServoValues(int32_t start, int32_t last, int16_t firstMotor, int16_t count, int32_t min, int32_t max,
                            int16_t& err);
    // Writes of the values from token listStart to end into the controller's
    // per-motor bytes at memory + motor (value + offset), motors from
    // firstMotor, at most count of them; a comma without a value skips a
    // motor.  Values must be numbers of min..max (else 23), for motors the
    // model has (else over range).
    void CompileMotorByteWrites(int32_t listStart, int32_t end, int16_t firstMotor, int16_t count, int32_t min,
                                int32_t max, int32_t memory, int32_t offset, int16_t& err);

    // Statement compilers: port, memory, serial, settings, music, sound.
    // Port output, memory writes, display and timing, controller settings, raw
    // data, port switching and the program remark (compiler/PortStatements.cpp).
    void CompileOut(int32_t& first, int32_t& last, int16_t& err);
    void CompileByteOut(int32_t& first, int32_t& last, int16_t& err);
    void CompilePulse(int32_t& first, int32_t& last, int16_t& err);
    void CompilePwm(int32_t& first, int32_t& last, int16_t& err);
    void CompileFPwm(int32_t& first, int32_t& last, int16_t& err);
    void CompileServo(int32_t& first, int32_t& last, int16_t& err);
    void CompilePoke(int32_t& first, int32_t& last, int16_t& err);
    void CompileRomPoke(int32_t& first, int32_t& last, int16_t& err);
    void CompileLocate(int32_t& first, int32_t& last, int16_t& err);
    void CompileCont(int32_t& first, int32_t& last, int16_t& err);
    void CompileDelay(int32_t& first, int32_t& last, int16_t& err);
    void CompileTempo(int32_t& first, int32_t& last, int16_t& err);
    void CompileSpeed(int32_t& first, int32_t& last, int16_t& err);
    void CompileAccel(int32_t& first, int32_t& last, int16_t& err);
    void CompileFunc(int32_t& first, int32_t& last, int16_t& err);
    void CompileHighSpeed(int32_t& first, int32_t& last, int16_t& err);
    void CompilePtp(int32_t& first, int32_t& last, int16_t& err);
    void CompileFill(int32_t& first, int32_t& last, int16_t& err);
    void CompileToggle(int32_t& first, int32_t& last, int16_t& err);
    void CompileOpen(int32_t& first, int32_t& last, int16_t& err);
    void CompileClose(int32_t& first, int32_t& last, int16_t& err);
    void CompileVexaOut(int32_t& first, int32_t& last, int16_t& err);
    void CompileRemark(int32_t& first, int32_t& last, int16_t& err);
    // Serial transmission and receipt (compiler/SerialStatements.cpp).
    void CompileTx(int32_t& first, int32_t& last, int16_t& err);
    void CompileEtx(int32_t& first, int32_t& last, int16_t& err);
    void CompileRx(int32_t& first, int32_t& last, int16_t& err);
    void CompileErx(int32_t& first, int32_t& last, int16_t& err);
    // Sound statements (compiler/Sound.cpp).
    void CompilePlay(int32_t& first, int32_t& last, int16_t& err);
    void CompileMusic(int32_t& first, int32_t& last, int16_t& err);
    void CompileSound(int32_t& first, int32_t& last, int16_t& err);

    // The decimal value of a number token (0 for any other kind).
    static int32_t IoNumberValue(const Token& tok);
    // Operand columns of the opcode-and-operands statements.
    enum IoOperandForm : uint8_t {
        IO_BYTE,          // general operand, 16-bit values rejected
        IO_WORD,          // general operand, 16-bit values allowed
        IO_POKE_ADDRESS,  // byte on controller 1, word on every other
        IO_SPEED,         // raw constant 0..255 on controller 1, byte operand on every other
        IO_RAW_BYTE,      // raw constant 0..255 without prefix
        IO_TX_TABLE,      // TX setting through the TX/RX code table
        IO_ETX_TABLE,     // ETX baud rate through the baud-rate codes
        IO_ACCEL_TABLE,   // ACCEL 0..15 through the nibble table
    };
    // An opcode followed by operands.  shape lists the tokens after the
    // keyword: 'o' a number or name, 'n' a name, '#' a number, ',' a
    // separator, 'x' a single operand whose kind the emitter judges.  The
    // line must hold exactly that many tokens (else error 23); forms gives
    // one entry per operand position, in order.
    void CompileOpcodeStatement(int32_t k, int32_t last, uint8_t opcode, const char* shape, const IoOperandForm* forms,
                                int16_t& err);
    bool IoShapeMatches(int32_t k, const char* shape) const;
    // Operand list of VEXAOUT and SOUND: one or more operands separated by
    // commas after the opcode, always closed by 0.  countOut receives the
    // number of operands written.
    void CompileOperandList(int32_t k, int32_t last, uint8_t opcode, int32_t& countOut, int16_t& err);
    // RX and ERX: the receive instruction with its fall-back label.
    void CompileReceive(int32_t k, int32_t last, int16_t command, int16_t& err);

    // Music strings (compiler/Music.cpp).  PLAY notes are timer values over
    // three octaves, MUSIC notes semitone numbers over seven; both walk the
    // string token's text in upper case and end the record with 0.
    void CompilePlayString(const Token& tok, int16_t& err);
    void CompileMusicString(const Token& tok, int16_t& err);
    static int16_t NoteLengthTicks(double value);
    void InitPitchTable();
    void InitSemitoneTable();
    // Entry of a note: accidental (0 flat, 1 natural, 2 sharp) +
    // (note index C 0 .. B 6, rest 7, + octave * 8) * 3.
    std::array<uint8_t, 72> pitchTable_{};       // PLAY, octaves 0..2
    std::array<uint8_t, 10> playLengthTable_{};  // PLAY, by length digit
    std::array<uint8_t, 168> semitoneTable_{};   // MUSIC, octaves 0..6

    // Every statement compiler has this contract: the index of the statement's
    // first token and of the line's last token (both by reference) and an error
    // number out, 0 on success.
    using StatementCompiler = void (Compiler::*)(int32_t& first, int32_t& last, int16_t& err);
    // The statement compiler of a command and the message that names the
    // statement in an error; no compiler for a keyword that cannot start a
    // statement.  Made from Commands.def (CodeGen.cpp).
    struct StatementEntry {
        StatementCompiler compiler = nullptr;
        int16_t message = 0;
    };
    static const StatementEntry* FindStatement(int16_t command);

    // Lexer (Lexer.cpp) and code-generation pass (CodeGen.cpp).
    void TokenizeLine(const std::u16string& line);
    static int32_t BinStringValue(const std::u16string& digits);
    void CompileStatement(int32_t& first, int32_t& last);
    void ResolveLabels();

    // Statement compilers: DIM and CONST (Declarations.cpp), the assignment
    // (Expressions.cpp).
    void CompileDim(int32_t& first, int32_t& last, int16_t& err);
    void CompileConst(int32_t& first, int32_t& last, int16_t& err);
    void CompileAssignment(int32_t& first, int32_t& last, int16_t& err);

    // Look-ups by upper-case name, 1-based, 0 when absent; kept fast for long
    // programs by indexes that follow the tables as they grow.
    int32_t LabelIndex(const std::u16string& upperName) const;
    int32_t VariableIndex(const std::u16string& upperName) const;

    // Tables set up once, when the control is made.
    void InitOperatorTable();
    void InitByteQuads();
    void InitIdentityTable();
    void InitNibbleTable();
    void InitMusicTables();

    std::array<std::u16string, OPR_COUNT> operators_;
    std::array<uint8_t, 4> txrxTable_{};
    std::array<uint8_t, 256> identityTable_{};
    std::array<uint8_t, 16> nibbleTable_{};
};

}  // namespace qvv2
