// The code-generation pass: statement dispatch, line labels, label fix-ups and
// the open-block checks, plus long programs and long lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"
#include "TestAccess.h"

namespace {

using qvv2::Fixup;
using qvv2::FromUtf8;
using qvv2::QUARVELv2;
using qvv2::TestAccess;
using qvv2::ToUtf8;
using qvv2test::CompileUtf8Text;

void Tokenize(QUARVELv2& c, const std::string& utf8) {
    c.cmdLang = 0;
    TestAccess::FrontEndTokenize(c, FromUtf8(utf8));
    ASSERT_EQ(c.Bas_Error, 0);
}

// What a jump statement leaves behind: an opcode and a two-byte placeholder,
// with a fix-up for the placeholder.
void EmitJump(QUARVELv2& c, uint8_t kind, int32_t line, const std::u16string& label) {
    Core(c).EmitByte(0xC4);
    Core(c).fixups_.push_back(Fixup{kind, line, label, c.ObjectPosition() + 1});
    ++Core(c).fixupCount_;
    Core(c).EmitByte(0);
    Core(c).EmitByte(0);
}

std::vector<int> Bytes(const QUARVELv2& c, int32_t from, int32_t count) {
    std::vector<int> out;
    for (int32_t i = from; i < from + count; ++i) out.push_back(Core(c).buffer_[i]);
    return out;
}

// ---- Labels and fix-ups ---------------------------------------------------------

TEST(Labels, ForwardBackwardAndNumericReferencesGetTheLineAddress) {
    QUARVELv2 c;
    Tokenize(c, "FIRST:\r\nSecond: 'two\r\n30\r\n' end");
    TestAccess::FrontEndCompileLine(c, 1);  // FIRST at 16
    EmitJump(c, 0, 1, u"second");           // forward, placeholder at 18
    TestAccess::FrontEndCompileLine(c, 2);  // Second at 19
    EmitJump(c, 1, 2, u"First");            // backward, placeholder at 21
    Core(c).objPos_ = 300;
    TestAccess::FrontEndCompileLine(c, 3);  // 30 at 300 = 0x012C
    EmitJump(c, 2, 3, u"30");               // placeholder at 302
    EmitJump(c, 0, 4, u"30");               // a second reference, placeholder at 305
    ASSERT_EQ(c.Bas_Error, 0);

    TestAccess::FrontEndResolveLabels(c);
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Bytes(c, 17, 6), (std::vector<int>{0xC4, 19, 0, 0xC4, 16, 0}));
    EXPECT_EQ(Bytes(c, 301, 6), (std::vector<int>{0xC4, 0x2C, 0x01, 0xC4, 0x2C, 0x01}));
}

TEST(Labels, AddressAbove65535IsWrittenAsZero) {
    QUARVELv2 c;
    Tokenize(c, "FAR:");
    Core(c).objPos_ = 70000;
    TestAccess::FrontEndCompileLine(c, 1);
    Core(c).objPos_ = 100;
    EmitJump(c, 0, 1, u"FAR");
    Core(c).buffer_[102] = 0x55;
    Core(c).buffer_[103] = 0x55;
    TestAccess::FrontEndResolveLabels(c);
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Bytes(c, 102, 2), (std::vector<int>{0, 0}));
}

TEST(Labels, MissingLabelNamesTheReferringStatement) {
    struct Case {
        uint8_t kind;
        const char* english;
        const char* korean;
    };
    const std::vector<Case> cases = {
        {0, "GOTO", "GOTO(가기)"},
        {1, "GOSUB", "GOSUB(호출)"},
        {2, "ON..GOTO", "ON..GOTO(처리..가기)"},
        {3, "RX", "RX(수신)"},
        {4, "ON..TIMER", "ON..TIMER(처리..시간)"},
        {5, "ON..INT", "ON..INT(처리..끼어들기)"},
        {6, "MOVEPOS", "MOVEPOS(동작위치)"},
        {12, "MOVEPOS", "MOVEPOS(동작위치)"},
        {19, "MOVEPOS", "MOVEPOS(동작위치)"},
        {20, "context", "context"},  // an unknown kind leaves the message alone
    };
    for (const Case& k : cases) {
        for (int16_t lang : {0, 1}) {
            SCOPED_TRACE(std::to_string(k.kind) + " lang " + std::to_string(lang));
            QUARVELv2 c;
            Tokenize(c, "THERE:\r\n' x");
            c.cmdLang = lang;
            TestAccess::FrontEndCompileLine(c, 1);
            EmitJump(c, 0, 7, u"THERE");         // resolves
            EmitJump(c, k.kind, 9, u"NOWHERE");  // does not
            c.Bas_Error_Msg = u"context";
            TestAccess::FrontEndResolveLabels(c);
            EXPECT_EQ(c.Bas_Error, 25);
            EXPECT_EQ(c.Bas_Error_Line, 9);
            EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), lang == 1 ? k.korean : k.english);
        }
    }
}

TEST(Labels, FirstFailingFixupStopsResolution) {
    QUARVELv2 c;
    Tokenize(c, "A:");
    TestAccess::FrontEndCompileLine(c, 1);
    EmitJump(c, 0, 2, u"A");        // patched
    EmitJump(c, 0, 3, u"MISSING");  // fails
    EmitJump(c, 0, 4, u"A");        // left alone
    TestAccess::FrontEndResolveLabels(c);
    EXPECT_EQ(c.Bas_Error, 25);
    EXPECT_EQ(c.Bas_Error_Line, 3);
    EXPECT_EQ(Bytes(c, 17, 9), (std::vector<int>{0xC4, 16, 0, 0xC4, 0, 0, 0xC4, 0, 0}));
}

TEST(Labels, LabelThatNeverStartedAStatementIsNotATarget) {
    // LOST: is registered by the lexer but sits behind a string, so its line
    // never binds it; a jump to it must not land on address 0.
    QUARVELv2 c;
    Tokenize(c, "\"text\" LOST:\r\n' x");
    TestAccess::FrontEndCompileLine(c, 1);
    ASSERT_EQ(Core(c).FindLabel(u"LOST"), 1);
    EmitJump(c, 0, 2, u"LOST");
    TestAccess::FrontEndResolveLabels(c);
    EXPECT_EQ(c.Bas_Error, 25);
    EXPECT_EQ(c.Bas_Error_Line, 2);
    EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), "GOTO");
}

TEST(Labels, MovePosTargetMustBeThePosTableOfItsForm) {
    struct Case {
        uint8_t kind;
        uint8_t b1, b2;
        const char* failure;  // nullptr: the target is accepted
    };
    const std::vector<Case> cases = {
        {0, 0, 0, nullptr},  // GOTO: no check
        {5, 1, 2, nullptr},  // ON..INT: no check
        {6, 239, 99, nullptr},
        {6, 177, 0, "MOVEPOS G6A"},
        {7, 177, 0, nullptr},
        {7, 177, 6, "MOVEPOS G6A"},
        {7, 239, 0, "MOVEPOS G6A"},
        {8, 177, 6, nullptr},
        {8, 177, 0, "MOVEPOS G6B"},
        {9, 177, 12, nullptr},
        {9, 177, 6, "MOVEPOS G6C"},
        {10, 177, 18, nullptr},
        {10, 177, 12, "MOVEPOS G6D"},
        {11, 177, 24, nullptr},
        {11, 177, 18, "MOVEPOS G6E"},
        {12, 177, 0, nullptr},
        {12, 176, 0, "MOVEPOS G8A"},
        {13, 177, 8, nullptr},
        {13, 177, 6, "MOVEPOS G8B"},
        {14, 177, 16, nullptr},
        {14, 177, 12, "MOVEPOS G8C"},
        {15, 177, 24, nullptr},
        {15, 177, 18, "MOVEPOS G8D"},
        {16, 177, 0, nullptr},
        {16, 177, 1, "MOVEPOS G12"},
        {17, 177, 0, nullptr},
        {17, 0, 0, "MOVEPOS G16"},
        {18, 177, 0, nullptr},
        {18, 177, 24, "MOVEPOS G24"},
        {19, 177, 0, nullptr},
        {19, 177, 8, "MOVEPOS G32"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.kind) + " " + std::to_string(k.b1) + "," + std::to_string(k.b2));
        QUARVELv2 c;
        Tokenize(c, "' a\r\nTABLE:\r\n' b");
        Core(c).objPos_ = 40;
        TestAccess::FrontEndCompileLine(c, 2);  // TABLE at 40: first code byte at index 41
        Core(c).EmitByte(k.b1);
        Core(c).EmitByte(k.b2);
        Core(c).objPos_ = 99;
        EmitJump(c, k.kind, 5, u"table");
        c.Bas_Error_Msg = u"context";
        TestAccess::FrontEndResolveLabels(c);
        if (k.failure) {
            EXPECT_EQ(c.Bas_Error, 51);
            EXPECT_EQ(c.Bas_Error_Line, 5);
            EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), k.failure);
            EXPECT_EQ(Bytes(c, 101, 2), (std::vector<int>{0, 0}));
        } else {
            EXPECT_EQ(c.Bas_Error, 0);
            EXPECT_EQ(Bytes(c, 101, 2), (std::vector<int>{40, 0}));
        }
    }
}

TEST(Labels, StatementAfterALabelIsCompiled) {
    QUARVELv2 c;
    Tokenize(c, "MAIN: DIM A AS BYTE");
    Core(c).objPos_ = 50;
    TestAccess::FrontEndCompileLine(c, 1);
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Core(c).labels_[1].address, 50);
    EXPECT_EQ(c.TotalVars, 1);
}

TEST(Labels, LabelMissingFromTheTableIsError24) {
    QUARVELv2 c;
    Tokenize(c, "MAIN:");
    Core(c).labels_.resize(1);
    Core(c).labelCount_ = 0;
    TestAccess::FrontEndCompileLine(c, 1);
    EXPECT_EQ(c.Bas_Error, 24);
    EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), "MAIN");
}

TEST(Labels, NumericLabelsAreDefinedByThePass) {
    QUARVELv2 c;
    CompileUtf8Text(c, "10 DIM A AS BYTE\r\n20\r\n0020 CONST K = 3");
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(Core(c).labelCount_, 3);
    EXPECT_EQ(ToUtf8(Core(c).labels_[1].name), "10");
    EXPECT_EQ(ToUtf8(Core(c).labels_[2].name), "20");
    EXPECT_EQ(ToUtf8(Core(c).labels_[3].name), "0020");  // the text, not the value
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(Core(c).labels_[i].address, 16);
    EXPECT_EQ(Core(c).tokens_[1].kind, qvv2::TK_LABEL);
    EXPECT_EQ(c.TotalVars, 1);
    EXPECT_EQ(Core(c).varCount_, 2);
}

TEST(Labels, DuplicateNumericLabel) {
    struct Case {
        std::string text;
        int32_t line;
        std::string label;
    };
    const std::vector<Case> cases = {
        {"10\r\n' x\r\n10 DIM A AS BYTE", 3, "10"},
        {"10:\r\n10", 2, "10"},  // the lexer's label, then the pass's
        {"MAIN: 7\r\n7 ' again", 2, "7"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        QUARVELv2 c;
        CompileUtf8Text(c, k.text);
        EXPECT_EQ(c.Bas_Error, 13);
        EXPECT_EQ(c.Bas_Error_Line, k.line);
        EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), " Line\r\nError 13 : [" + k.label + "] Exist same label name already.");
        EXPECT_EQ(c.TotalBytes, 0);
    }
}

// ---- Dispatch --------------------------------------------------------------------

TEST(Dispatch, CommandWordWithoutCompilerIsError999) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"THEN", "THEN"},    {"then", "THEN"},   {"이면", "이면"},     {"  As Byte", "AS"},
        {"TO 10", "TO"},     {"MAIN: IN", "IN"}, {"AND", "AND"},      {"mod", "MOD"},
        {"G6A, 1", "G6A"},   {"start", "START"}, {"BYTE.3 = 1", ""},  // a kind 16 start is skipped
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.first);
        QUARVELv2 c;
        CompileUtf8Text(c, "' line 1\r\n" + k.first);
        if (k.second.empty()) {
            EXPECT_EQ(c.Bas_Error, 0);
            continue;
        }
        EXPECT_EQ(c.Bas_Error, 999);
        EXPECT_EQ(c.Bas_Error_Line, 2);
        EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), " Line\r\nError 999 : [" + k.second + "] No support command.");
    }
}

TEST(Dispatch, DisabledCommandIsError999WithControllerErrorText) {
    for (const char* line : {"DIM A AS BYTE", "THEN"}) {
        SCOPED_TRACE(line);
        QUARVELv2 c;
        Tokenize(c, line);
        c.CommandUnuseAll();
        TestAccess::FrontEndCompileLine(c, 1);
        EXPECT_EQ(c.Bas_Error, 999);
        EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), "Controller Error : ");
        EXPECT_EQ(c.TotalVars, 0);
    }
}

TEST(Dispatch, StatementCompilerErrorCarriesTheStatementName) {
    QUARVELv2 c;
    CompileUtf8Text(c, "' a\r\n\r\nCONST K = X");
    EXPECT_EQ(c.Bas_Error, 14);
    EXPECT_EQ(c.Bas_Error_Line, 3);
    EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), " Line\r\nError 14 : [CONST] Wrong declaration of variable or constant.");
}

TEST(Dispatch, AssignmentErrorCarriesAssignContext) {
    // The assignment compiler is not part of this build step; whatever it
    // answers, a failing assignment names "Assign(=)".
    QUARVELv2 c;
    CompileUtf8Text(c, "A = 1");
    ASSERT_NE(c.Bas_Error, 0);
    EXPECT_NE(ToUtf8(c.Bas_Error_Msg).find("[Assign(=)]"), std::string::npos);
}

TEST(Dispatch, LinesThatStartWithoutAStatementProduceNothing) {
    QUARVELv2 c;
    CompileUtf8Text(c, "\"text\" 1 2\r\n+ 1\r\n, X\r\n( A\r\n' note\r\n\r\n   \r\nMAIN: ' c");
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(c.TotalBytes, 19);
    EXPECT_EQ(c.LineObjPos, (std::vector<int32_t>{0, 16, 16, 16, 16, 16, 16, 16, 16}));
}

// ---- Open blocks at the end --------------------------------------------------------

TEST(OpenBlocks, ForAndIfLeftOpenAreReported) {
    struct Case {
        int16_t forDepth;
        int16_t ifDepth;
        bool missingLabel;
        int16_t error;
        int32_t line;
        const char* message;
    };
    const std::vector<Case> cases = {
        {2, 0, false, 29, 3, "FOR"},          // outermost FOR
        {0, 2, false, 33, 6, "IF"},           // innermost IF level, its first branch
        {1, 1, false, 29, 3, "FOR"},          // FOR is checked first
        {1, 1, true, 25, 2, "GOTO"},          // labels are resolved before
        {0, 0, false, 0, 0, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::to_string(k.forDepth) + "/" + std::to_string(k.ifDepth));
        QUARVELv2 c;
        Tokenize(c, "' 1\r\n' 2\r\n' 3");
        Core(c).ForNesting = k.forDepth;
        Core(c).ForLoops.resize(3);
        Core(c).ForLoops[1].Line = 3;
        Core(c).ForLoops[2].Line = 5;
        Core(c).IfNesting = k.ifDepth;
        Core(c).IfBranchCount = {0, 1, 2};
        Core(c).IfBranches[1].resize(2);
        Core(c).IfBranches[1][1].Line = 4;
        Core(c).IfBranches[2].resize(3);
        Core(c).IfBranches[2][1].Line = 6;
        Core(c).IfBranches[2][2].Line = 8;
        if (k.missingLabel) {
            Core(c).fixups_.push_back(Fixup{0, 2, u"NONE", 17});
            ++Core(c).fixupCount_;
        }
        TestAccess::FrontEndGenerateCode(c);
        EXPECT_EQ(c.Bas_Error, k.error);
        EXPECT_EQ(c.Bas_Error_Line, k.line);
        EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), k.message);
    }
}

TEST(OpenBlocks, CompileStartsWithClosedBlocks) {
    QUARVELv2 c;
    Core(c).ForNesting = 3;
    Core(c).IfNesting = 2;
    Core(c).OneLineIf = 1;
    CompileUtf8Text(c, "' nothing");
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(Core(c).ForNesting, 0);
    EXPECT_EQ(Core(c).ForLoops.size(), 1u);
    EXPECT_EQ(Core(c).IfNesting, 0);
    EXPECT_EQ(Core(c).IfBranchCount, std::vector<int16_t>{0});
    EXPECT_EQ(Core(c).IfBranches.size(), 11u);
    for (const auto& level : Core(c).IfBranches) EXPECT_EQ(level.size(), 1u);
    EXPECT_EQ(Core(c).OneLineIf, 0);
}

// ---- Long programs -----------------------------------------------------------------

TEST(LongPrograms, TenThousandLinesCompile) {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        switch (i % 4) {
            case 0: text += "L" + std::to_string(i) + ": ' label"; break;
            case 1: text += "CONST K" + std::to_string(i) + " = " + std::to_string(i); break;
            case 2: text += std::to_string(i) + " ' numeric label"; break;
            default: break;  // blank line
        }
        text += "\r\n";
    }
    QUARVELv2 c;
    CompileUtf8Text(c, text);
    EXPECT_EQ(c.Bas_Error, 0);
    EXPECT_EQ(c.TotalLines, 10000);
    EXPECT_EQ(Core(c).labelCount_, 5000);
    EXPECT_EQ(Core(c).varCount_, 2500);
    EXPECT_EQ(c.TotalBytes, 19);
    EXPECT_EQ(c.LineObjPos.size(), 10001u);
    EXPECT_EQ(c.LineStartPos[10000], static_cast<int32_t>(text.size()) + 1 - 2);
    EXPECT_EQ(Core(c).FindLabel(u"l9996"), 2500);  // word labels come from the lexer
    EXPECT_EQ(Core(c).FindLabel(u"9998"), 5000);   // numeric ones from the pass
    EXPECT_EQ(Core(c).FindVariable(u"k9997"), 2500);

    // The same program with a duplicate at the very end.
    text += "L4:";
    CompileUtf8Text(c, text);
    EXPECT_EQ(c.Bas_Error, 13);
    EXPECT_EQ(c.Bas_Error_Line, 10001);
}

TEST(LongPrograms, OneLineOf100000Characters) {
    auto repeat = [](const std::string& s, size_t n) {
        std::string out;
        while (out.size() < n) out += s;
        return out.substr(0, n);
    };
    constexpr int16_t kAnyResult = -1;  // the statement is not this test's subject
    std::string dims = "DIM";
    for (int i = 0; dims.size() < 100000; ++i) dims += (i ? ", V" : " V") + std::to_string(i) + " AS BYTE";
    struct Case {
        const char* name;
        std::string line;
        int16_t error;
    };
    const std::vector<Case> cases = {
        {"comment", "' " + repeat("comment ", 99998), 0},
        {"string", "\"" + repeat("abc ", 99998) + "\"", 0},
        {"unclosed string", "PRINT \"" + repeat("x", 99993), 5},
        {"word", repeat("W", 100000), 9},
        {"number", "X = " + repeat("1", 99996), 12},
        {"hex literal of zeros", "CONST K = &H" + repeat("0", 99987) + "1", 0},
        {"hex literal too big", "CONST K = &H" + repeat("F", 99988), 11},
        {"expression", "X = " + repeat("1+", 99995) + "1", kAnyResult},
        {"labels", [] {
             std::string s;
             for (int i = 0; s.size() < 100000; ++i) s += "L" + std::to_string(i) + ": ";
             return s;
         }(), 0},
        {"declarations", dims, 41},
        {"separators", "TO " + repeat(",", 99997), 999},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        QUARVELv2 c;
        CompileUtf8Text(c, k.line);
        if (k.error != kAnyResult) {
            EXPECT_EQ(c.Bas_Error, k.error);
        }
        EXPECT_EQ(c.TotalLines, 1);
        EXPECT_EQ(c.LineLength[1], static_cast<int32_t>(k.line.size()));
    }
}

}  // namespace
