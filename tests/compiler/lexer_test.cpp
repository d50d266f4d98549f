// Line splitting and the lexer, seen through a compile: the line table, the
// token stream of a line and every lexical error with its line and message.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

namespace {

using qvv2::QUARVELv2;
using qvv2::FromUtf8;
using qvv2::ToUtf8;
using qvv2test::CompileUtf8Text;

std::u16string U(const std::string& utf8) { return FromUtf8(utf8); }

// The tokens of the last compile as "kind/code/text", joined by " | ".
std::string Tokens(const QUARVELv2& c) {
    std::string out;
    for (int32_t i = 1; i <= Core(c).tokenCount_ && i < static_cast<int32_t>(Core(c).tokens_.size()); ++i) {
        const qvv2::Token& t = Core(c).tokens_[i];
        if (!out.empty()) out += " | ";
        out += std::to_string(t.kind) + "/" + std::to_string(t.code) + "/" + ToUtf8(t.text);
    }
    return out;
}

// ---- Line table -----------------------------------------------------------

struct LinesCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
    std::vector<int32_t> starts;
};

TEST(SplitLines, LineTableFollowsCrLfLineBreaks) {
    const std::vector<LinesCase> cases = {
        {"three lines", "A\r\nBC\r\nD", {"A", "BC", "D"}, {1, 4, 8}},
        {"trailing break adds no line", "A\r\nBC\r\n", {"A", "BC"}, {1, 4}},
        {"blank lines keep their place", "\r\n' c\r\n\r\n\r\nX", {"", "' c", "", "", "X"}, {1, 3, 8, 10, 12}},
        {"no CR is one line", "' a\nb\nc", {"' a\nb\nc"}, {1}},
        {"lone CR eats the next character", "' A\rB\r\n' C", {"' A", "", "' C"}, {1, 6, 8}},
        {"CR at the very end", "' A\r", {"' A"}, {1}},
        {"two breaks at the end", "' A\r\n\r\n", {"' A", ""}, {1, 6}},
        {"Korean counts characters", "' 가나다\r\n' 라", {"' 가나다", "' 라"}, {1, 8}},
    };
    for (const LinesCase& k : cases) {
        SCOPED_TRACE(k.name);
        QUARVELv2 c;
        CompileUtf8Text(c, k.text);
        ASSERT_EQ(c.TotalLines, static_cast<int32_t>(k.lines.size()));
        ASSERT_EQ(c.LineStartPos.size(), k.lines.size() + 1);
        ASSERT_EQ(c.LineLength.size(), k.lines.size() + 1);
        ASSERT_EQ(Core(c).lines_.size(), k.lines.size() + 1);
        for (size_t i = 0; i < k.lines.size(); ++i) {
            EXPECT_EQ(ToUtf8(Core(c).lines_[i + 1]), k.lines[i]) << "line " << i + 1;
            EXPECT_EQ(c.LineLength[i + 1], static_cast<int32_t>(U(k.lines[i]).size())) << "line " << i + 1;
            EXPECT_EQ(c.LineStartPos[i + 1], k.starts[i]) << "line " << i + 1;
        }
    }
}

TEST(SplitLines, TokenErrorLeavesNewLineTableAndOldLineObjPos) {
    QUARVELv2 c;
    CompileUtf8Text(c, "' one\r\n' two\r\n' three");
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(c.LineObjPos, (std::vector<int32_t>{0, 16, 16, 16}));

    CompileUtf8Text(c, "' x\r\nA = $");
    EXPECT_EQ(c.Bas_Error, 1);
    EXPECT_EQ(c.Bas_Error_Line, 2);
    EXPECT_EQ(c.TotalLines, 2);
    EXPECT_EQ(c.LineStartPos, (std::vector<int32_t>{0, 1, 6}));
    EXPECT_EQ(c.LineLength, (std::vector<int32_t>{0, 3, 5}));
    EXPECT_EQ(c.LineObjPos, (std::vector<int32_t>{0, 16, 16, 16}));
    EXPECT_EQ(c.TotalBytes, 0);
}

TEST(SplitLines, TokenRangesPerLine) {
    QUARVELv2 c;
    CompileUtf8Text(c, "DIM A AS BYTE\r\n\r\n' c\r\nCONST K = 1");
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(Core(c).lineRanges_.size(), 5u);
    const std::vector<std::pair<int32_t, int32_t>> expected = {{1, 4}, {5, 4}, {5, 5}, {6, 9}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Core(c).lineRanges_[i + 1].first, expected[i].first) << "line " << i + 1;
        EXPECT_EQ(Core(c).lineRanges_[i + 1].last, expected[i].second) << "line " << i + 1;
    }
}

// ---- Token streams ----------------------------------------------------------

struct TokenCase {
    std::string line;
    std::string tokens;
};

TEST(Lexer, TokenStreams) {
    const std::vector<TokenCase> cases = {
        // operators, single and paired
        {"A=B+1", "2/-1/A | 5/7/= | 2/-1/B | 5/0/+ | 3/1/1"},
        {"A>=10", "2/-1/A | 5/10/>= | 3/2/10"},
        {"X = A<=B", "2/-1/X | 5/7/= | 2/-1/A | 5/11/<= | 2/-1/B"},
        {"X = A<>B", "2/-1/X | 5/7/= | 2/-1/A | 5/12/<> | 2/-1/B"},
        {"X = A<<2", "2/-1/X | 5/7/= | 2/-1/A | 5/13/<< | 3/2/2"},
        {"X = A>>1", "2/-1/X | 5/7/= | 2/-1/A | 5/14/>> | 3/1/1"},
        {"X = A%3-B/C*D", "2/-1/X | 5/7/= | 2/-1/A | 5/4/% | 3/2/3 | 5/1/- | 2/-1/B | 5/3// | 2/-1/C | 5/2/* | 2/-1/D"},
        {"X = (A+1)*2", "2/-1/X | 5/7/= | 5/5/( | 2/-1/A | 5/0/+ | 3/1/1 | 5/6/) | 5/2/* | 3/2/2"},
        {"X = A >", "2/-1/X | 5/7/= | 2/-1/A | 5/8/>"},
        {"A\t=\t1", "2/-1/A | 5/7/= | 3/1/1"},
        // numbers and their size classes
        {"X = 0", "2/-1/X | 5/7/= | 3/1/0"},
        {"X = 255", "2/-1/X | 5/7/= | 3/2/255"},
        {"X = 256", "2/-1/X | 5/7/= | 3/3/256"},
        {"X = 65535", "2/-1/X | 5/7/= | 3/3/65535"},
        {"X = 65536", "2/-1/X | 5/7/= | 3/5/65536"},
        {"X = 99999999", "2/-1/X | 5/7/= | 3/5/99999999"},
        {"X = 000000007", "2/-1/X | 5/7/= | 3/2/000000007"},
        // radix literals become decimal numbers
        {"X = &HFF", "2/-1/X | 5/7/= | 3/2/255"},
        {"X = &hff", "2/-1/X | 5/7/= | 3/2/255"},
        {"X = &HFFFF", "2/-1/X | 5/7/= | 3/3/65535"},
        {"X = &H8000", "2/-1/X | 5/7/= | 3/3/32768"},
        {"X = &H10000", "2/-1/X | 5/7/= | 3/5/65536"},
        {"X = &H5F5E0FF", "2/-1/X | 5/7/= | 3/5/99999999"},
        {"X = &B101", "2/-1/X | 5/7/= | 3/2/5"},
        {"X = &b1", "2/-1/X | 5/7/= | 3/1/1"},
        {"X = &O17", "2/-1/X | 5/7/= | 3/2/15"},
        {"X = &O177777", "2/-1/X | 5/7/= | 3/3/65535"},
        {"X = &H000000000000000000001", "2/-1/X | 5/7/= | 3/1/1"},
        {"X = &H1F,&B11 '", "2/-1/X | 5/7/= | 3/2/31 | 7/-1/, | 3/2/3 | 8/-1/'"},
        {"X = &H1F+1", "2/-1/X | 5/7/= | 3/2/31 | 5/0/+ | 3/1/1"},
        // a radix literal straight after an operator reads as after a blank
        {"X=&O17", "2/-1/X | 5/7/= | 3/2/15"},
        {"X=A+&H10", "2/-1/X | 5/7/= | 2/-1/A | 5/0/+ | 3/2/16"},
        // an ampersand without digits at the end of the line gives nothing
        {"X = &H", "2/-1/X | 5/7/="},
        {"X = &", "2/-1/X | 5/7/="},
        {"X=&B", "2/-1/X | 5/7/="},
        // strings
        {"PRINT \"ABC\"", "1/43/PRINT | 4/3/ABC"},
        {"PRINT \"\"", "1/43/PRINT"},
        {"PRINT \"a, b 'c:d.\"", "1/43/PRINT | 4/10/a, b 'c:d."},
        {"PRINT \"가나\",X", "1/43/PRINT | 4/2/가나 | 7/-1/, | 2/-1/X"},
        {"X = \"AB\"+1", "2/-1/X | 5/7/= | 4/2/AB | 5/0/+ | 3/1/1"},
        // words, commands and labels
        {"dim a as byte", "1/0/dim | 2/-1/a | 1/1/as | 1/2/byte"},
        {"MY_VAR1 = 2", "2/-1/MY_VAR1 | 5/7/= | 3/2/2"},
        {"선언 가 는 바이트", "1/0/선언 | 2/-1/가 | 1/1/는 | 1/2/바이트"},
        {"X = AI모터입력", "2/-1/X | 5/7/= | 1/102/AI모터입력"},
        // any character outside ASCII may form words
        {"X = é", "2/-1/X | 5/7/= | 2/-1/é"},
        {"변수1 = 변수_2", "2/-1/변수1 | 5/7/= | 2/-1/변수_2"},
        {"MAIN:", "6/-1/MAIN"},
        {"MAIN: X=1", "6/-1/MAIN | 2/-1/X | 5/7/= | 3/1/1"},
        {"처음:", "6/-1/처음"},
        {"10:", "6/-1/10"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ123456 = 1", "2/-1/ABCDEFGHIJKLMNOPQRSTUVWXYZ123456 | 5/7/= | 3/1/1"},
        // separators
        {"MOVE 1,2 , 3", "1/39/MOVE | 3/1/1 | 7/-1/, | 3/2/2 | 7/-1/, | 3/2/3"},
        {"X = A,B", "2/-1/X | 5/7/= | 2/-1/A | 7/-1/, | 2/-1/B"},
        {"X = (A),1", "2/-1/X | 5/7/= | 5/5/( | 2/-1/A | 5/6/) | 7/-1/, | 3/1/1"},
        {",", "7/-1/,"},
        // bit selectors
        {"OUT P.3", "1/18/OUT | 9/-1/P | 10/2/3"},
        {"P.0 = 1", "9/-1/P | 10/1/0 | 5/7/= | 3/1/1"},
        {"P.15=1", "9/-1/P | 10/2/15 | 5/7/= | 3/1/1"},
        {"X = P. 3", "2/-1/X | 5/7/= | 9/-1/P | 10/2/3"},
        {"X = P.Q", "2/-1/X | 5/7/= | 9/-1/P | 9/-1/Q"},
        {"X = P.Q '", "2/-1/X | 5/7/= | 9/-1/P | 9/-1/Q | 8/-1/'"},
        {"X = OUT.3", "2/-1/X | 5/7/= | 16/-1/OUT | 10/2/3"},
        // comments
        {"A=1 ' note: 1, 2", "2/-1/A | 5/7/= | 3/1/1 | 8/-1/' note: 1, 2"},
        {"A=1' x", "2/-1/A | 5/7/= | 3/1/1 | 8/-1/' x"},
        {"A=B' x", "2/-1/A | 5/7/= | 2/-1/B | 8/-1/' x"},
        {"' only \"a", "8/-1/' only \"a"},
        {"   ' indented", "8/-1/' indented"},
    };
    for (const TokenCase& k : cases) {
        SCOPED_TRACE(k.line);
        QUARVELv2 c;
        CompileUtf8Text(c, k.line);
        // The statement itself may fail later (X is not declared); the tokens
        // stay, and a lexical error would have cut them short or left a code
        // of -1 on the last one.
        EXPECT_EQ(Tokens(c), k.tokens);
    }
}

TEST(Lexer, LabelRecordsAreUpperCaseAndUnbound) {
    QUARVELv2 c;
    std::u16string text = U("main:\r\n처음: 'x\r\n20:");
    c.Compile(text);
    ASSERT_EQ(c.Bas_Error, 0);
    ASSERT_EQ(Core(c).labelCount_, 3);
    EXPECT_EQ(ToUtf8(Core(c).labels_[1].name), "MAIN");
    EXPECT_EQ(ToUtf8(Core(c).labels_[2].name), "처음");
    EXPECT_EQ(ToUtf8(Core(c).labels_[3].name), "20");
    EXPECT_EQ(Core(c).FindLabel(u"Main"), 1);
    EXPECT_EQ(Core(c).FindLabel(U("처음")), 2);
    EXPECT_EQ(Core(c).FindLabel(u"20"), 3);
    EXPECT_EQ(Core(c).FindLabel(u"MAINX"), 0);
}

TEST(Lexer, FindOperatorKnowsTheSixteenOperators) {
    QUARVELv2 c;
    const std::vector<std::u16string> ops = {u"+", u"-", u"*", u"/", u"%", u"(", u")", u"=",
                                             u">", u"<", u">=", u"<=", u"<>", u"<<", u">>", u"."};
    for (size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(Core(c).FindOperator(ops[i]), static_cast<int16_t>(i));
    EXPECT_EQ(Core(c).FindOperator(u"=>"), -1);
    EXPECT_EQ(Core(c).FindOperator(u""), -1);
    EXPECT_EQ(Core(c).FindOperator(u"AND"), -1);
}

// ---- Lexical errors -----------------------------------------------------------

const std::map<int, std::string>& EnglishDescriptions() {
    static const std::map<int, std::string> d = {
        {1, "Occur syntax analysis processing error."},
        {2, "Wrong variable name."},
        {3, "Wrong variable name or number."},
        {4, "Wrong symbol."},
        {5, "No end of strings."},
        {6, "Wrong label name or label position."},
        {8, "Can't use reserved words at label name."},
        {9, "Too long variable name."},
        {11, "Too big number."},
        {12, "Too long number."},
        {13, "Exist same label name already."},
        {34, "Wrong bit."},
        {35, "Wrong bit."},
        {36, "Must be a number from 0 to 15 in bit"},
        {45, "Wrong number."},
        {46, "Wrong expression."},
    };
    return d;
}

struct ErrorCase {
    std::string text;
    int16_t error;
    int32_t line;
    std::string context;  // what the lexer leaves in Bas_Error_Msg
};

TEST(Lexer, ErrorsWithLineAndMessage) {
    const std::vector<ErrorCase> cases = {
        // 1: a character that cannot start a token
        {"X = $", 1, 1, "$"},
        {"@", 1, 1, "@"},
        {"_A = 1", 1, 1, "_"},
        {"X = .5", 1, 1, "."},
        {"' fine\r\n:", 1, 2, ":"},
        {"X = 1 ; Y", 1, 1, ";"},
        {"X = 1 \nY = 2", 1, 1, "\n"},
        // 2: a character that cannot continue a word
        {"AB$ = 1", 2, 1, "AB$"},
        {"PRINT\"x\"", 2, 1, "PRINT\""},
        {"A&H1 = 1", 2, 1, "A&"},
        {"DIM B AS BYTE\nX", 2, 1, "BYTE\n"},
        // 3: a character that cannot continue a number
        {"X = 3.5", 3, 1, "3."},
        {"X = 1\nY = 2", 3, 1, "1\n"},
        {"X = 3A", 3, 1, "3A"},
        {"X = P.3.1", 3, 1, "3."},
        {"X = 1_0", 3, 1, "1_"},
        // 4: a character that cannot follow an operator
        {"X = A*(B)", 4, 1, "*("},
        {"X = ((A)", 4, 1, "(("},
        {"X = A+-1", 4, 1, "+-"},
        {"X ==1", 4, 1, "=="},
        {"X = A=<B", 4, 1, "=<"},
        {"X = A<>>B", 4, 1, "<>>"},
        {"X = A>=>B", 4, 1, ">=>"},
        {"X = (A)(B)", 4, 1, ")("},
        {"X = A+'x", 4, 1, "+'"},
        {"X = A+.", 4, 1, "+."},
        {"X = A+:", 4, 1, "+:"},
        // 5: string not closed; the message is the last token's text
        {"PRINT \"abc", 5, 1, "abc"},
        {"PRINT \"", 5, 1, "PRINT"},
        // 6: colon after a bit selector
        {"P.A:", 6, 1, "A:"},
        {"P.3:", 6, 1, "3:"},
        // 8: label named like a command
        {"DIM:", 8, 1, "DIM"},
        {"dim:", 8, 1, "dim"},
        {"선언:", 8, 1, "선언"},
        {"시작:", 8, 1, "시작"},
        // 9: word of 33 characters
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567 = 1", 9, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234567"},
        // 11: number above 99999999
        {"X = 123456789", 11, 1, "123456789"},
        {"X = &H5F5E100", 11, 1, "100000000"},
        {"X = &HFFFFFFFF", 11, 1, "4294967295"},
        {"X = &B111111111111111111111111111111111111", 11, 1, "68719476735"},
        {"X = &B" + std::string(60, '1'), 11, 1, "&B" + std::string(60, '1')},  // beyond any decimal we keep
        // 12: number of ten digits
        {"X = 1234567890", 12, 1, "1234567890"},
        {"X = 0000000000", 12, 1, "0000000000"},
        // 13: label defined twice (case does not matter)
        {"A:\r\nA:", 13, 2, "A"},
        {"loop:\r\n' x\r\nLOOP: 'again", 13, 3, "LOOP"},
        {"10:\r\n10:", 13, 2, "10"},
        // 34: second bit selector
        {"X = P.Q.R", 34, 1, "Q."},
        // 35: comma after a bit selector
        {"OUT P.Q, 1", 35, 1, "Q,"},
        {"OUT P.3, 1", 35, 1, "3,"},
        // 36: bit number above 15
        {"X = P.16", 36, 1, "16"},
        {"P.99 = 1", 36, 1, "99"},
        // 45: ampersand not followed by H, B or O
        {"X = &X1", 45, 1, "&X"},
        {"X = & H1", 45, 1, "& "},
        // 46: digit or character not valid for the radix
        {"X = &O8", 46, 1, "8"},
        {"X = &B102", 46, 1, "102"},
        {"X = &HFG", 46, 1, "FG"},
        {"X = &H1.", 46, 1, "1."},
        {"X = &H1:", 46, 1, "1:"},
        {"X=&O9", 46, 1, "9"},
    };
    for (const ErrorCase& k : cases) {
        SCOPED_TRACE(k.text);
        QUARVELv2 c;
        CompileUtf8Text(c, k.text);
        EXPECT_EQ(c.Bas_Error, k.error);
        EXPECT_EQ(c.Bas_Error_Line, k.line);
        const auto d = EnglishDescriptions().find(k.error);
        ASSERT_NE(d, EnglishDescriptions().end());
        EXPECT_EQ(ToUtf8(c.Bas_Error_Msg),
                  " Line\r\nError " + std::to_string(k.error) + " : [" + k.context + "] " + d->second);
        EXPECT_EQ(c.TotalBytes, 0);
    }
}

TEST(Lexer, ErrorStopsTheWholeFrontEnd) {
    QUARVELv2 c;
    CompileUtf8Text(c, "A:\r\nX = $\r\nB:");
    EXPECT_EQ(c.Bas_Error, 1);
    EXPECT_EQ(c.Bas_Error_Line, 2);
    EXPECT_EQ(Core(c).labelCount_, 1);  // line 3 was never read
}

TEST(Lexer, KoreanMessagesForLexicalErrors) {
    QUARVELv2 c;
    c.cmdLang = 1;
    std::u16string text = U("' 시작\r\nX = &O8");
    c.Compile(text);
    EXPECT_EQ(c.Bas_Error, 46);
    EXPECT_EQ(c.Bas_Error_Line, 2);
    EXPECT_EQ(ToUtf8(c.Bas_Error_Msg), "번째 줄에서\r\n에러 46 : [8] 진수 표현이 잘못되었습니다.");
}

}  // namespace
