// The compiler control: turns a program in the BASIC dialect into the
// controller's object image.
//
// The host sets a few inputs (Filename, Con_ID, Con_Type, cmdLang,
// CompileMsg), calls Compile with the whole program text and reads the
// results back from the public members.  Every public member is a plain value
// with no code of its own, as the host expects of the control.
//
// This header and the core sources include no Qt header: the core builds and
// runs without a QApplication.  Only the progress window and the delay timer
// (compiler/frmCompile.cpp, compiler/DelayTimer.cpp) use Qt, behind the small
// interface of compiler/CompileHost.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>  // front end: label and variable look-up indexes
#include <vector>

#include "Text.h"
#include "qvv2_export.h"

namespace qvv2 {

// Broken-down local time written into the program header.
struct ClockTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

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
    std::u16string name;  // upper case
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
    uint8_t type = 0;     // 2 BYTE, 3 INTEGER, 4 + size class for CONST
    int32_t value = 0;    // constant value
    int32_t dim = -1;     // -1 for a variable, 0 for a constant
    std::array<uint8_t, 2> operand{{0, 0}};
};

// ==== Block state of FOR and IF: records ====================================
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
    int32_t Line = 0;           // source line of the IF or ELSEIF
    int32_t FalseJumpPos = 0;   // low byte of the conditional-jump placeholder
    int32_t EndJumpPos = -1;    // low byte of the jump to the block's end; -1 while none
};
// ==== End of block state records =============================================

struct TestAccess;  // tests reach private procedures through it

class QVV2_EXPORT QUARVELv2 {
    friend struct TestAccess;

public:
    static constexpr int32_t kBufferMax = 80000;
    static constexpr int16_t kCommandCount = 139;

    QUARVELv2();
    ~QUARVELv2();
    QUARVELv2(const QUARVELv2&) = delete;
    QUARVELv2& operator=(const QUARVELv2&) = delete;

    // ---- Published properties, in interface order ---------------------------
    int16_t Bas_Error = 0;
    int32_t Bas_Error_Line = 0;
    std::u16string Bas_Error_Msg;
    uint8_t Con_ID = 1;
    uint8_t Con_MajorVer = 1;
    uint8_t Con_MinorVer = 0;
    int32_t TotalBytes = 0;
    int16_t TotalCommands = 138;
    std::vector<uint8_t> ObjCode;        // indexes 0..TotalBytes; empty until the first compile
    int32_t TotalLines = 0;
    std::vector<int32_t> LineObjPos;     // indexes 0..TotalLines
    std::vector<int32_t> LineStartPos;   // indexes 0..TotalLines (index 0 unused)
    std::vector<int32_t> LineLength;     // indexes 0..TotalLines (index 0 unused)
    int16_t TotalVars = 0;
    std::vector<std::u16string> VarNAME; // indexes 0..TotalVars
    std::vector<int16_t> VarPOS;
    std::vector<uint8_t> VarTYPE;
    std::vector<int16_t> VarDIM;
    std::u16string SourceText;
    std::u16string EngCmd;
    std::u16string KorCmd;
    int16_t Major;
    int16_t Minor;
    std::u16string CompanyName;
    std::u16string FileDescription;
    uint8_t HCode1 = 0;
    uint8_t HCode2 = 0;
    std::u16string KorHelpMsg;
    std::u16string EngHelpMsg;
    std::u16string Filename;
    std::u16string Remark;

    // ---- Methods --------------------------------------------------------------
    int16_t IsCommand(const std::u16string& txt_str);
    void Compile(std::u16string& Editor_Text);
    void HelpCmd(int16_t& CmdNo);
    void GetCommandString(int16_t& CmdNum);
    void Wan2Jo(const std::u16string& H_Str);
    std::u16string Jo2Wan();
    void CommandUseAll();
    void CommandUnuseAll();
    void CommandUse(const std::u16string& cmdstr);
    void CommandUnuse(const std::u16string& cmdstr);

    int16_t cmdLang = 1;
    std::u16string JpnHelpMsg;
    std::u16string ChnHelpMsg;
    std::u16string JpnCmd;
    std::u16string ChnCmd;

    void DelayTime(int32_t& TimeInterval);

    int16_t Con_Type = 0;
    std::u16string CompileMsg = u"Compiling...";

    // ---- Host helpers (not part of the control's published interface) --------
    // The clock that stamps the program header; tests fix it.  Defaults to the
    // machine's local time.
    std::function<ClockTime()> Clock;
    // The ANSI code page used for the program name in the header, as an iconv
    // name ("CP949", ...).  Empty means the process's code page
    // (qvv2::SystemCodePage()).
    std::string CodePage;
    // Whether the command is enabled (-1) or disabled (0).
    int16_t CommandEnabled(int16_t cmd) const;

    // Message text by number in the language of cmdLang ("" outside 1..161).
    std::u16string GetMessageText(int16_t number) const;

    // The object position (index of the last byte written).
    int32_t ObjectPosition() const { return objPos_; }

    // ---- Object buffer and operand emitters ----------------------------------
    // These are the control's private procedures; they are public here so the
    // statement compilers and tests can reach them directly.
    void EmitByte(uint8_t b);
    void PutByteAt(int32_t position, uint8_t b);
    void GetByteAt(int32_t position, uint8_t& b) const;
    static void HighByte(int32_t value, uint8_t& b);
    static void LowByte(int32_t value, uint8_t& b);
    static void BaudRateCode(int32_t rate, uint8_t& code);
    void EmitOperand(const Token& tok, int16_t allowWord, int16_t& err);
    void EmitValueOperand(const Token& tok, int32_t min, int32_t max, int16_t wide, int16_t& err);
    void EmitPrintOperand(const Token& tok, int16_t allowWord, int16_t format, int16_t& err);
    void EmitTableOperand(int16_t command, const Token& tok, int32_t min, int32_t max, int16_t& err);
    void EmitBitOperand(int32_t tokenIndex, int16_t& err);
    void EmitChannelOperand(const Token& tok, int16_t allowWord, int16_t& err);
    void SetBitFromOperand(uint8_t& b, int32_t bit, const Token& tok, int16_t& err);
    void EmitOperator(const Token& tok, int16_t& err);

    // ---- Look-ups shared by the passes --------------------------------------
    int16_t FindLabel(const std::u16string& name) const;
    int16_t FindOperator(const std::u16string& text) const;
    int16_t FindVariable(const std::u16string& name) const;

    // ---- Compile state (reset by every compile) ------------------------------
    std::vector<std::u16string> lines_;   // 1-based source lines
    std::vector<LineRange> lineRanges_;   // 1-based
    std::vector<Token> tokens_;           // 1-based
    int32_t tokenCount_ = 0;
    std::vector<LabelRecord> labels_;     // 1-based
    int32_t labelCount_ = 0;
    std::vector<Fixup> fixups_;           // 1-based
    int32_t fixupCount_ = 0;
    std::vector<VarRecord> vars_;         // 1-based
    int32_t varCount_ = 0;
    int16_t nextRam_ = 64;
    int16_t nextRamCompanion_ = 64;
    int32_t currentLine_ = 0;
    // Music defaults (octave, length, tempo class and volume; see the music
    // compiler).
    int16_t musicDefault1_ = 1;
    uint8_t musicDefault2_ = 7;
    int16_t musicDefault3_ = 3;
    uint8_t musicDefault4_ = 100;

    // Object buffer: indexes 0..kBufferMax, position = index of the last byte written.
    std::vector<uint8_t> buffer_;
    int32_t objPos_ = 0;

    // ==== Block state of FOR and IF ==========================================
    // Set by the FOR, NEXT, IF, ELSEIF, ELSE and ENDIF compilers; read by the
    // code-generation pass, which reports blocks left open and closes a
    // one-line IF at the end of its line.  ResetBlockState() sets the values
    // given here.
    int16_t ForNesting = 0;                       // open FOR loops
    std::vector<ForRecord> ForLoops = std::vector<ForRecord>(1);  // 1..ForNesting
    int16_t IfNesting = 0;                        // open IF levels, 0..10
    std::vector<int16_t> IfBranchCount = std::vector<int16_t>(1, 0);  // 0..IfNesting
    // [level 0..10][branch 0..n]
    std::vector<std::vector<IfBranchRecord>> IfBranches =
        std::vector<std::vector<IfBranchRecord>>(11, std::vector<IfBranchRecord>(1));
    int16_t ElseIfPending = 0;  // an ELSEIF hands over to the IF compiler
    uint8_t OneLineIf = 0;      // 0 none, 1 one-line IF open on this line, 2 ELSE on such a line
    int32_t ThenToken = 0;      // first token after THEN (or ELSE) of a one-line IF
    // ==== End of block state of FOR and IF ===================================

private:
    void ResetCompiler();
    void WriteHeader();
    void Finish();
    void BuildErrorMessage();
    void Fail();           // ends a failed compile: progress window away, message composed
    void ResetBlockState();  // FOR and IF block state, for the reset

    // Passes of later stages; each returns with Bas_Error set on failure.
    void SplitLines(const std::u16string& text);
    void TokenizeSource();
    void GenerateCode();

    // ==== Front end: lexer, code-generation pass, declarations ===============
    // Every statement compiler has this contract: the index of the statement's
    // first token and of the line's last token (both by reference) and an error
    // number out, 0 on success.
    using StatementCompiler = void (QUARVELv2::*)(int32_t& first, int32_t& last, int16_t& err);
    static constexpr int16_t kAnyConType = -1;
    // One row of the statement dispatch table (StatementTable() in CodeGen.cpp).
    // A command has one row; MOVEPOS and POS have one row per controller type
    // they distinguish plus one for kAnyConType.
    struct StatementEntry {
        int16_t command;
        StatementCompiler compiler;
        int16_t message;  // statement name put into Bas_Error_Msg on failure
        int16_t conType = kAnyConType;
    };
    static const std::vector<StatementEntry>& StatementTable();
    const StatementEntry* FindStatement(int16_t command) const;

    void TokenizeLine(const std::u16string& line);
    static int32_t BinStringValue(const std::u16string& digits);
    void CompileStatement(int32_t& first, int32_t& last);
    void ResolveLabels();

    // Statement compilers.
    void CompileDim(int32_t& first, int32_t& last, int16_t& err);
    void CompileConst(int32_t& first, int32_t& last, int16_t& err);
    void CompileAssignment(int32_t& first, int32_t& last, int16_t& err);

    // Look-ups by upper-case name, 1-based, 0 when absent; kept fast for long
    // programs by indexes that follow the tables as they grow.
    int32_t LabelIndex(const std::u16string& upperName) const;
    int32_t VariableIndex(const std::u16string& upperName) const;
    void ClearLookupIndexes();
    mutable std::unordered_map<std::u16string, int32_t> labelIndex_;
    mutable int32_t labelIndexed_ = 0;
    mutable std::unordered_map<std::u16string, int32_t> varIndex_;
    mutable int32_t varIndexed_ = 0;
    // ==== End of front end ====================================================

    void InitCommandTable();
    void InitOperatorTable();
    void InitByteQuads();
    void InitIdentityTable();
    void InitNibbleTable();
    void InitMusicTables();

    std::vector<std::array<std::u16string, 4>> commands_;  // 0..138: English, Korean, Japanese, Chinese
    std::array<int16_t, kCommandCount> enabled_{};
    std::array<std::u16string, 16> operators_;
    std::array<uint8_t, 4> txrxTable_{};
    std::array<uint8_t, 256> identityTable_{};
    std::array<uint8_t, 16> nibbleTable_{};
};

}  // namespace qvv2
