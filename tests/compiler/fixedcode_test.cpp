// Statements that compile to fixed bytes (BREAK, WAIT, STOP, RUN, TIMEROFF,
// END, CLS, LCDINIT, CSON, CSOFF, BEEP) and ACTION, in both keyword
// languages, compiled through the public Compile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

using Bytes = std::vector<uint8_t>;

using Result = qvv2test::CompileResult;

qvv2test::CompileOptions FixedOptions(int16_t conType, int16_t lang = 0) {
    qvv2test::CompileOptions o;
    o.conType = conType;
    o.lang = lang;
    o.codePage = lang == 1 ? "CP949" : "CP1252";
    return o;
}

Result CompileProgram(const std::string& program, int16_t conType = 0, int16_t lang = 0) {
    return qvv2test::CompileUtf8(program, FixedOptions(conType, lang));
}

// Each source is the whole program, so errors are on line 1.
void ExpectCases(const std::vector<qvv2test::BytesCase>& cases, int16_t conType = 0) {
    qvv2test::ExpectBytesCases("", 1, cases, FixedOptions(conType));
}

TEST(FixedCode, StatementsWithoutOperands) {
    ExpectCases({
        {"BREAK", {203}, 0},
        {"WAIT", {233}, 0},
        {"STOP", {234, 233}, 0},
        {"RUN", {235}, 0},
        {"TIMEROFF", {202}, 0},
        {"CLS", {225}, 0},
        {"LCDINIT", {224}, 0},
        {"CSON", {228}, 0},
        {"CSOFF", {229}, 0},
        {"BEEP", {207, 20, 2, 0}, 0},
        // END as the first statement jumps to its own address, 16.
        {"END", {196, 16, 0}, 0},
        {"cls ' clear the display", {225}, 0},
    });
}

TEST(FixedCode, KoreanKeywords) {
    ExpectCases({
        {u8"중단", {203}, 0},
        {u8"대기", {233}, 0},
        {u8"정지", {234, 233}, 0},
        {u8"실행", {235}, 0},
        {u8"시간해제", {202}, 0},
        {u8"끝", {196, 16, 0}, 0},
        {u8"화면지움", {225}, 0},
        {u8"화면초기", {224}, 0},
        {u8"커서보임", {228}, 0},
        {u8"커서감춤", {229}, 0},
        {u8"삑", {207, 20, 2, 0}, 0},
        {u8"화면지움 1", {}, 23},
    });
    ExpectCases({{u8"행동 0", {208, 21, 64, 18, 50, 0, 197, 40, 39}, 0}}, 8);
}

TEST(FixedCode, AnythingAfterTheKeywordIsRejected) {
    ExpectCases({
        {"BREAK 1", {}, 23},
        {"WAIT A", {}, 23},
        {"STOP STOP", {}, 23},
        {"RUN \"X\"", {}, 23},
        {"TIMEROFF ,", {}, 23},
        {"END 1", {}, 23},
        {"CLS 1", {}, 23},
        {"LCDINIT 0", {}, 23},
        {"CSON 1", {}, 23},
        {"CSOFF 1", {}, 23},
        {"BEEP 1, 2", {}, 23},
    });
}

TEST(FixedCode, EndJumpsToItself) {
    // Two END statements after six bytes of code: each jump carries the
    // address of its own first byte.
    const Result r = CompileProgram("DIM A AS BYTE\r\nA = 5\r\nEND\r\nEND\r\n");
    ASSERT_EQ(r.err, 0);
    EXPECT_EQ(r.code, (Bytes{208, 21, 64, 18, 5, 0, 196, 22, 0, 196, 25, 0}));
}

TEST(FixedCode, Action) {
    for (int16_t conType : {4, 8, 9}) {
        SCOPED_TRACE(conType);
        ExpectCases(
            {
                {"ACTION 0", {208, 21, 64, 18, 50, 0, 197, 40, 39}, 0},
                {"ACTION 31", {208, 21, 64, 18, 81, 0, 197, 40, 39}, 0},
                {"action 1", {208, 21, 64, 18, 51, 0, 197, 40, 39}, 0},
                {"ACTION &H10", {208, 21, 64, 18, 66, 0, 197, 40, 39}, 0},
                {"ACTION 32", {}, 41},
                {"ACTION", {}, 23},
                {"ACTION 1, 2", {}, 23},
                {"ACTION 1 2", {}, 23},
                {"ACTION X", {}, 17},
                {"ACTION \"A\"", {}, 42},
            },
            conType);
        // A constant works like its number; a variable is rejected.
        const Result k = CompileProgram("CONST K = 5\r\nACTION K\r\n", conType);
        ASSERT_EQ(k.err, 0);
        EXPECT_EQ(k.code, (Bytes{208, 21, 64, 18, 55, 0, 197, 40, 39}));
        const Result v = CompileProgram("DIM A AS BYTE\r\nACTION A\r\n", conType);
        EXPECT_EQ(v.err, 42);
        const Result big = CompileProgram("CONST K = 300\r\nACTION K\r\n", conType);
        EXPECT_EQ(big.err, 41);
    }
    // Other controller types have no built-in actions.
    for (int16_t conType : {0, 1, 2, 3, 5, 6, 7, 10}) {
        SCOPED_TRACE(conType);
        ExpectCases({{"ACTION 5", {}, 23}}, conType);
    }
}

TEST(FixedCode, ErrorNamesTheStatement) {
    struct Named {
        const char* source;
        int16_t conType;
        const char16_t* english;
        const char16_t* korean;
    };
    const std::vector<Named> cases = {
        {"BREAK 1", 0, u"[BREAK]", u"[BREAK(중단)]"},       {"WAIT 1", 0, u"[WAIT]", u"[WAIT(대기)]"},
        {"STOP 1", 0, u"[STOP]", u"[STOP(정지)]"},          {"RUN 1", 0, u"[RUN]", u"[RUN(실행)]"},
        {"TIMEROFF 1", 0, u"[TIMEROFF]", u"[TIMEROFF(시간해제)]"}, {"END 1", 0, u"[END]", u"[END(끝)]"},
        {"CLS 1", 0, u"[CLS]", u"[CLS(화면지움)]"},           {"LCDINIT 1", 0, u"[LCDINIT]", u"[LCDINIT(화면초기)]"},
        {"CSON 1", 0, u"[CSON]", u"[CSON(커서보임)]"},        {"CSOFF 1", 0, u"[CSOFF]", u"[CSOFF(커서감춤)]"},
        {"BEEP 1", 0, u"[BEEP]", u"[BEEP(삑)]"},             {"ACTION 1", 2, u"[ACTION]", u"[ACTION(행동)]"},
    };
    for (const Named& n : cases) {
        const Result e = CompileProgram(std::string(n.source) + "\r\n", n.conType, 0);
        EXPECT_EQ(e.err, 23) << n.source;
        EXPECT_NE(e.msg.find(std::u16string(n.english) + u" Wrong command syntax."), std::u16string::npos)
            << n.source << ": " << qvv2::ToUtf8(e.msg);
        const Result k = CompileProgram(std::string(n.source) + "\r\n", n.conType, 1);
        EXPECT_NE(k.msg.find(n.korean), std::u16string::npos) << n.source << ": " << qvv2::ToUtf8(k.msg);
    }
}

TEST(FixedCode, OneLineIfRunsTheStatementAfterThen) {
    // The statement after THEN is compiled like any other statement.
    const Result r = CompileProgram("DIM A AS BYTE\r\nIF A = 1 THEN BEEP\r\n");
    ASSERT_EQ(r.err, 0);
    ASSERT_GE(r.code.size(), 4u);
    EXPECT_EQ(Bytes(r.code.end() - 4, r.code.end()), (Bytes{207, 20, 2, 0}));
}

TEST(FixedCode, ActionCutShortReadsNothingBeyondTheTokens) {
    QUARVELv2 c;
    c.Con_Type = 8;
    std::u16string text = u"ACTION";
    c.Compile(text);
    ASSERT_EQ(c.Bas_Error, 23);
    int32_t first = Core(c).tokenCount_;
    int32_t last = Core(c).tokenCount_ + 1;
    int16_t err = 0;
    Core(c).CompileAction(first, last, err);
    EXPECT_EQ(err, 23);
}

}  // namespace
