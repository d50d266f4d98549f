// Compiling test programs and reading back the code they give.  The helpers
// compile with the same host inputs (a fixed clock, so the header's date is
// known, the file name T.bas, the Western code page and English messages)
// unless a test asks for others.  ObjCode holds the image from index 1: the
// 16-byte header at 1..16, the program's code from 17 on, and the closing
// three-byte jump at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "TestAccess.h"

namespace qvv2test {

using qvv2::QUARVELv2;

// ---- Host inputs and compiling ---------------------------------------------

inline qvv2::ClockTime FixedClock() { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; }

inline void SetHostInputs(QUARVELv2& c, const std::string& codePage = "CP1252", int16_t cmdLang = 0) {
    c.Clock = FixedClock;
    c.CodePage = codePage;
    c.cmdLang = cmdLang;
    c.Filename = u"T.bas";
}

// Compile takes the editor text by reference; this compiles a copy.
inline void CompileCopy(QUARVELv2& c, const std::u16string& text) {
    std::u16string t = text;
    c.Compile(t);
}

// Compiles a program given as UTF-8 with English messages; the clock and the
// code page are left as they are.
inline void CompileUtf8Text(QUARVELv2& c, const std::string& utf8) {
    c.cmdLang = 0;
    c.Filename = u"T.bas";
    std::u16string text = qvv2::FromUtf8(utf8);
    c.Compile(text);
}

// A program written with '|' between lines, as CR LF lines.
inline std::u16string PipeLines(const std::u16string& lines) {
    std::u16string s;
    for (char16_t ch : lines) {
        if (ch == u'|')
            s += u"\r\n";
        else
            s += ch;
    }
    return s + u"\r\n";
}

// A program written with LF line ends, with CR LF ends.
inline std::u16string CrLfLines(const std::u16string& text) {
    std::u16string source;
    for (char16_t ch : text) {
        if (ch == u'\n') source += u'\r';
        source += ch;
    }
    return source;
}

// ---- Bytes as text -------------------------------------------------------------

// "C4 13 00" (blanks between the bytes as wanted) -> the bytes.
inline std::vector<uint8_t> ParseHex(const std::string& text) {
    std::vector<uint8_t> out;
    const char* p = text.c_str();
    unsigned v = 0;
    int n = 0;
    while (std::sscanf(p, " %2x%n", &v, &n) == 1) {
        out.push_back(static_cast<uint8_t>(v));
        p += n;
    }
    return out;
}

// bytes[from..to], as far as they exist, as "d1 12 03".
inline std::string HexText(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i <= to && i < bytes.size(); ++i) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

// ---- Programs written with '|' between lines -------------------------------

inline void CompileLines(QUARVELv2& c, const std::u16string& lines, int16_t conType = 0) {
    SetHostInputs(c);
    c.Con_Type = conType;
    CompileCopy(c, PipeLines(lines));
}

// The image after the header, closing jump included; empty without one.
inline std::vector<uint8_t> CodeAfterHeader(const QUARVELv2& c) {
    if (c.TotalBytes < 16 || static_cast<int32_t>(c.ObjCode.size()) <= c.TotalBytes) return {};
    return std::vector<uint8_t>(c.ObjCode.begin() + 17, c.ObjCode.begin() + c.TotalBytes + 1);
}

struct CodeCase {
    std::u16string source;  // after the declarations
    std::string code;       // the image after the header, as ParseHex reads it
    int16_t conType = 0;
};

struct ErrorCase {
    std::u16string source;  // after the declarations
    int16_t error;
    int32_t line;           // counted from the first line after the declarations
    const char* name;       // statement name shown in the message
    int16_t conType = 0;
};

// Compiles decl + k.source into c and checks that it compiles to k.code.
inline void ExpectCompilesTo(QUARVELv2& c, const std::u16string& decl, const CodeCase& k) {
    CompileLines(c, decl + k.source, k.conType);
    ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(k.source) << ": " << qvv2::ToUtf8(c.Bas_Error_Msg);
    EXPECT_EQ(CodeAfterHeader(c), ParseHex(k.code)) << qvv2::ToUtf8(k.source);
}

// Compiles decl (declLines lines) + k.source into c and checks the error, its
// line and the statement name in the message.
inline void ExpectCompileError(QUARVELv2& c, const std::u16string& decl, int32_t declLines, const ErrorCase& k) {
    CompileLines(c, decl + k.source, k.conType);
    EXPECT_EQ(c.Bas_Error, k.error) << qvv2::ToUtf8(k.source);
    EXPECT_EQ(c.Bas_Error_Line, k.line + declLines) << qvv2::ToUtf8(k.source);
    EXPECT_NE(qvv2::ToUtf8(c.Bas_Error_Msg).find(std::string("[") + k.name + "]"), std::string::npos)
        << qvv2::ToUtf8(k.source) << ": " << qvv2::ToUtf8(c.Bas_Error_Msg);
}

// The fix-ups c holds, from the first, against the expected ones.
inline void ExpectFixups(const QUARVELv2& c, const std::vector<qvv2::Fixup>& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        const qvv2::Fixup& f = Core(c).fixups_[i + 1];
        EXPECT_EQ(f.kind, expected[i].kind) << i;
        EXPECT_EQ(f.line, expected[i].line) << i;
        EXPECT_EQ(f.name, expected[i].name) << i;
        EXPECT_EQ(f.position, expected[i].position) << i;
    }
}

// ---- Programs written with LF line ends, code as hex text ------------------

struct Outcome {
    int16_t err = 0;
    int32_t line = 0;
    // Code after the header, without the closing jump; after a failed compile
    // the bytes written up to the failure.
    std::string code;
};

inline Outcome CompileProgram(QUARVELv2& c, const std::u16string& text, uint8_t conId = 1) {
    SetHostInputs(c);
    c.Con_ID = conId;
    CompileCopy(c, CrLfLines(text));
    Outcome o;
    o.err = c.Bas_Error;
    o.line = c.Bas_Error_Line;
    if (c.Bas_Error == 0)
        o.code = HexText(c.ObjCode, 17, static_cast<size_t>(c.TotalBytes) - 3);
    else
        o.code = HexText(Core(c).buffer_, 17, static_cast<size_t>(c.ObjectPosition()));
    return o;
}

struct StatementCase {
    const char16_t* statement;  // compiled after the preamble
    int16_t err;                // 0: compiles
    const char* code;           // the code written (nullptr: not checked)
    uint8_t conId = 1;
};

// Compiles preamble + each statement in a fresh compiler; a failing
// statement must fail on its own line, just after the preamble's lines.
inline void RunStatementCases(const std::u16string& preamble, int32_t preambleLines,
                              const std::vector<StatementCase>& cases) {
    for (const StatementCase& k : cases) {
        QUARVELv2 c;
        const Outcome o = CompileProgram(c, preamble + k.statement, k.conId);
        const std::string label = qvv2::ToUtf8(k.statement) + " (Con_ID " + std::to_string(k.conId) + ")";
        EXPECT_EQ(o.err, k.err) << label;
        if (k.err != 0) {
            EXPECT_EQ(o.line, preambleLines + 1) << label;
        }
        if (k.code) {
            EXPECT_EQ(o.code, k.code) << label;
        }
    }
}

// ---- Programs given as UTF-8, code as bytes --------------------------------

struct CompileOptions {
    int16_t conType = 0;
    uint8_t conId = 1;
    std::string codePage = "CP1252";
    int16_t lang = 0;
};

struct CompileResult {
    int16_t err = 0;
    int32_t line = 0;
    std::u16string msg;
    std::vector<uint8_t> code;  // after the header, without the closing jump
};

// Compiles a whole program in a fresh compiler.
inline CompileResult CompileUtf8(const std::string& program, const CompileOptions& o = CompileOptions()) {
    QUARVELv2 c;
    SetHostInputs(c, o.codePage, o.lang);
    c.Con_Type = o.conType;
    c.Con_ID = o.conId;
    std::u16string text = qvv2::FromUtf8(program);
    c.Compile(text);
    CompileResult r;
    r.err = c.Bas_Error;
    r.line = c.Bas_Error_Line;
    r.msg = c.Bas_Error_Msg;
    if (c.Bas_Error == 0 && c.TotalBytes >= 19)
        r.code.assign(c.ObjCode.begin() + 17, c.ObjCode.begin() + c.TotalBytes - 2);
    return r;
}

struct BytesCase {
    const char* source;          // one line, UTF-8
    std::vector<uint8_t> bytes;  // expected code when err is 0
    int16_t err;
};

// Compiles prologue + each source as the next line: a compiling case must
// give its bytes, a failing one must fail on statementLine.
inline void ExpectBytesCases(const std::string& prologue, int32_t statementLine,
                             const std::vector<BytesCase>& cases, const CompileOptions& o = CompileOptions()) {
    for (const BytesCase& k : cases) {
        const CompileResult r = CompileUtf8(prologue + k.source + "\r\n", o);
        EXPECT_EQ(r.err, k.err) << k.source;
        if (k.err == 0) {
            EXPECT_EQ(r.code, k.bytes) << k.source;
        } else {
            EXPECT_EQ(r.line, statementLine) << k.source;
        }
    }
}

// ---- Code as numbers, read back from a compiler held by a fixture ----------

inline std::vector<int> Cat(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline std::vector<int> Zeros(int n) { return std::vector<int>(static_cast<size_t>(n), 0); }

// ObjCode[from..] up to the closing jump (not included).
inline std::vector<int> CodeNumbersFrom(const QUARVELv2& c, int32_t from) {
    std::vector<int> out;
    for (int32_t i = from; i <= c.TotalBytes - 3; ++i) out.push_back(c.ObjCode[i]);
    return out;
}

// The code of line `line` and the lines after it, up to the closing jump.
inline std::vector<int> CodeNumbersFromLine(const QUARVELv2& c, int32_t line) {
    const int32_t start = c.LineObjPos.size() > static_cast<size_t>(line) ? c.LineObjPos[line] : 0;
    return CodeNumbersFrom(c, start + 1);
}

// A fixture holding one compiler with the host inputs set.
struct CompilerTest : ::testing::Test {
    QUARVELv2 c;
    void SetUp() override { SetHostInputs(c); }
    void CompileText(const std::u16string& text) { CompileCopy(c, text); }

    // Compiles decl (declLines lines) + statement.  With err set the compile
    // must fail with it on the statement's line; otherwise it must succeed
    // and the statement's line must give `bytes`.
    void CheckStatement(const std::u16string& decl, int32_t declLines, const std::u16string& statement,
                        const std::vector<int>& bytes, int err) {
        CompileText(decl + statement + u"\r\n");
        if (err != 0) {
            EXPECT_EQ(c.Bas_Error, err);
            EXPECT_EQ(c.Bas_Error_Line, declLines + 1);
            return;
        }
        ASSERT_EQ(c.Bas_Error, 0) << qvv2::ToUtf8(c.Bas_Error_Msg);
        EXPECT_EQ(CodeNumbersFromLine(c, declLines + 1), bytes);
    }

    // Compiles a statement keyword without its operands on line 2: it fails
    // with 23 there, and the message names the statement by message text
    // `message`.  A missing text is a fatal failure.
    void ExpectBareKeywordNamed(const std::u16string& keyword, int message) {
        SCOPED_TRACE(qvv2::ToUtf8(keyword));
        CompileText(u"'x\r\n" + keyword + u"\r\n");
        EXPECT_EQ(c.Bas_Error, 23);
        EXPECT_EQ(c.Bas_Error_Line, 2);
        const std::u16string name = c.GetMessageText(static_cast<int16_t>(message));
        ASSERT_FALSE(name.empty());
        EXPECT_NE(c.Bas_Error_Msg.find(u"[" + name + u"]"), std::u16string::npos) << qvv2::ToUtf8(c.Bas_Error_Msg);
    }
};

// A statement compiler: it takes the statement's token range and reports an
// error number.
using StatementCompiler = void (qvv2::Compiler::*)(int32_t&, int32_t&, int16_t&);

// Runs f on the tokens first..last and returns the error it reports.
inline int16_t RunStatementCompiler(QUARVELv2& c, StatementCompiler f, int32_t first, int32_t last) {
    int16_t err = 0;
    (Core(c).*f)(first, last, err);
    return err;
}

}  // namespace qvv2test
