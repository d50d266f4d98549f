// The compiler control: turns a program in the BASIC dialect into the
// controller's object image.
//
// The host sets a few inputs (Filename, Con_ID, Con_Type, cmdLang,
// CompileMsg), calls Compile with the whole program text and reads the
// results back from the public members.  Every public member is a plain value
// with no code of its own, as the host expects of the control.
//
// The compile itself (lexer, statement compilers, object buffer and the
// per-compile state) lives in the internal class Compiler (Compiler.h), which
// the control holds.  This header and the core sources include no Qt header:
// the core builds and runs without a QApplication.  Only the progress window
// and the delay timer (frmCompile.cpp, DelayTimer.cpp) use Qt, behind the
// small interface of CompileHost.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Text.h"
#include "qvv2_export.h"

namespace qvv2 {

// Broken-down local time written into the program header.
struct ClockTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Compiler;
struct TestAccess;  // tests reach the compile's internals through it

class QVV2_EXPORT QUARVELv2 {
    friend struct TestAccess;

public:
    static constexpr int32_t kBufferMax = 80000;
    static constexpr int16_t kCommandCount = 139;

    QUARVELv2();
    ~QUARVELv2();
    QUARVELv2(const QUARVELv2&) = delete;
    QUARVELv2& operator=(const QUARVELv2&) = delete;

    // Published properties, in interface order.
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

    // Published methods.
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

    // Host helpers (not part of the control's published interface).
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
    int32_t ObjectPosition() const;

private:
    void ResetCompiler();
    void WriteHeader();
    void BuildErrorMessage();
    void Fail();  // ends a failed compile: progress window away, message composed

    void InitCommandTable();

    std::unique_ptr<Compiler> core_;
    std::vector<std::array<std::u16string, 4>> commands_;  // 0..138: English, Korean, Japanese, Chinese
    std::unordered_map<std::u16string, int16_t> commandIndex_;  // any column's word -> lowest row
    std::array<int16_t, kCommandCount> enabled_{};
};

}  // namespace qvv2
