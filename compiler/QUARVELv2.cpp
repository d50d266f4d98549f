// The compile driver: reset, program header, passes and finishing.
#include "QUARVELv2.h"

#include <ctime>

#include "CompileHost.h"
#include "Compiler.h"

#ifndef QVV2_VERSION_MAJOR
#define QVV2_VERSION_MAJOR 2
#endif
#ifndef QVV2_VERSION_MINOR
#define QVV2_VERSION_MINOR 0
#endif

namespace qvv2 {

namespace {

ClockTime LocalClock() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    ClockTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    return t;
}

bool IsBlankText(const std::u16string& s) {
    for (char16_t c : s)
        if (c != u' ') return false;
    return true;
}

}  // namespace

QUARVELv2::QUARVELv2()
    : Major(QVV2_VERSION_MAJOR),
      Minor(QVV2_VERSION_MINOR),
      CompanyName(u"Quarvel"),
      FileDescription(u"Quarvel BASIC compiler control"),
      Clock(LocalClock),
      core_(std::make_unique<Compiler>(*this)) {
    InitCommandTable();
    TotalCommands = 138;
    Con_ID = 1;
    Con_MajorVer = 1;
    Con_MinorVer = 0;
    cmdLang = 1;
    CompileMsg = u"Compiling...";
    // Commands stay disabled until the first compile's reset enables them.
    enabled_.fill(0);
}

QUARVELv2::~QUARVELv2() { host::ProgressUnload(); }

void QUARVELv2::Compile(std::u16string& Editor_Text) {
    // Blank text: nothing is compiled and nothing is reset.
    if (IsBlankText(Editor_Text)) {
        Bas_Error = 0;
        return;
    }

    host::ProgressShow(CompileMsg);
    ResetCompiler();
    WriteHeader();
    Compiler& c = *core_;
    c.objPos_ = 16;
    SourceText = Editor_Text;

    c.SplitLines(SourceText);
    if (Bas_Error == 0) c.TokenizeSource();
    if (Bas_Error != 0) {
        Fail();
        return;
    }

    c.GenerateCode();
    if (Bas_Error != 0) {
        Fail();
        return;
    }

    // The program ends in a jump to itself.
    const int32_t p = c.objPos_;
    c.EmitByte(OP_JUMP);
    c.EmitWord(p);
    if (Bas_Error != 0) {
        Fail();
        return;
    }

    // The header's last word is the program's length.
    const int32_t n = c.objPos_;
    c.PatchWord(15, n);
    TotalBytes = n;
    ObjCode.assign(c.buffer_.begin(), c.buffer_.begin() + n + 1);
    host::ProgressUnload();
}

int32_t QUARVELv2::ObjectPosition() const { return core_->objPos_; }

void QUARVELv2::Fail() {
    host::ProgressUnload();
    BuildErrorMessage();
}

void QUARVELv2::ResetCompiler() {
    core_->ResetState();

    LineLength.assign(1, 0);
    LineStartPos.assign(1, 0);
    TotalLines = 0;

    VarNAME.assign(1, std::u16string());
    VarPOS.assign(1, 0);
    VarTYPE.assign(1, 0);
    VarDIM.assign(1, 0);
    TotalVars = 0;

    TotalBytes = 0;
    ObjCode.assign(1, 0);

    Bas_Error = 0;
    Bas_Error_Line = 0;
    Bas_Error_Msg.clear();

    Remark.clear();
    CommandUseAll();
}

void QUARVELv2::WriteHeader() {
    // Program name: the last component of Filename, blank-padded to 8 bytes in
    // the ANSI code page.  Both separators count, so a path from this machine
    // gives its file name as one from a Windows machine does.
    const size_t cut = Filename.find_last_of(u"\\/");
    std::u16string name = cut == std::u16string::npos ? Filename : Filename.substr(cut + 1);
    name += u"        ";
    const std::string bytes = ToAnsi(name, CodePage);
    for (int i = 0; i < 8; ++i)
        core_->buffer_[1 + i] = i < static_cast<int>(bytes.size()) ? static_cast<uint8_t>(bytes[i]) : 0x20;

    const ClockTime t = Clock ? Clock() : LocalClock();
    auto field = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v & 0xFF); };
    core_->buffer_[9] = field(((t.year % 100) + 100) % 100);
    core_->buffer_[10] = field(t.month);
    core_->buffer_[11] = field(t.day);
    core_->buffer_[12] = field(t.hour);
    core_->buffer_[13] = field(t.minute);
    core_->buffer_[14] = field(t.second);
}

void QUARVELv2::DelayTime(int32_t& TimeInterval) {
    if (TimeInterval >= 1 && TimeInterval <= 60000) host::Wait(TimeInterval);
}

}  // namespace qvv2
