// modMain.TokenizeLine: words of a line, the comment and what is left of the
// line.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <ostream>

#include "build/TokenizeLine.h"

namespace {

struct TokenCase {
    const char* name;
    QString line;
    QStringList tokens;
    QString comment;
};

void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.name; }

QStringList CurrentTokens() {
    QStringList out;
    for (int i = 1; i <= modMain::TokenCount; ++i) out << modMain::Tokens.at(static_cast<size_t>(i));
    return out;
}

class TokenizeLineTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenizeLineTest, SplitsWordsAndComment) {
    const TokenCase& c = GetParam();
    QString line = c.line;
    QString comment = QStringLiteral("stale");
    modMain::TokenizeLine(line, comment);
    ASSERT_EQ(modMain::Tokens.size(), static_cast<size_t>(modMain::TokenCount) + 1);
    EXPECT_TRUE(modMain::Tokens.at(0).isEmpty());
    EXPECT_EQ(CurrentTokens(), c.tokens);
    EXPECT_EQ(comment, c.comment);
    for (const QString& t : CurrentTokens()) EXPECT_FALSE(t.isEmpty());
    // What is left of the line is empty or blanks only.
    EXPECT_TRUE(line.trimmed().isEmpty()) << line.toStdString();
}

const QString Q = QStringLiteral("\"");

INSTANTIATE_TEST_SUITE_P(
    Lines, TokenizeLineTest,
    ::testing::Values(
        TokenCase{"Empty", QString(), {}, QString()},
        TokenCase{"BlanksOnly", QStringLiteral("    "), {}, QString()},
        TokenCase{"MoveLine", QStringLiteral("MOVE G6A, 100, 90,  80"),
                  {"MOVE", "G6A", "100", "90", "80"}, QString()},
        TokenCase{"LabelKeepsColon", QStringLiteral("START: MOVE G6A,1"), {"START:", "MOVE", "G6A", "1"}, QString()},
        TokenCase{"ColonAfterSeparator", QStringLiteral("A :B"), {"A", ":", "B"}, QString()},
        TokenCase{"EqualsSeparates", QStringLiteral("A=B+1"), {"A", "B+1"}, QString()},
        TokenCase{"EqualsOfCompareSeparates", QStringLiteral("IF A >= 10"), {"IF", "A", ">", "10"}, QString()},
        TokenCase{"TabSeparates", QStringLiteral("SERVO\t1,\t100"), {"SERVO", "1", "100"}, QString()},
        TokenCase{"QuotedString", QStringLiteral("PRINT ") + Q + "HELLO WORLD" + Q, {"PRINT", "HELLO WORLD"},
                  QString()},
        TokenCase{"QuotedStringTrailingBlanks", QStringLiteral("PRINT ") + Q + " AB " + Q + "   ", {"PRINT", "AB"},
                  QString()},
        TokenCase{"TextAfterClosingQuote", QStringLiteral("PRINT ") + Q + "AB" + Q + ";X",
                  {"PRINT", "AB" + Q + ";X"}, QString()},
        TokenCase{"EmptyQuotedString", QStringLiteral("X ") + Q + Q, {"X"}, QString()},
        TokenCase{"Comment", QStringLiteral("SERVO 1, 100 ' arm"), {"SERVO", "1", "100"}, QStringLiteral("' arm")},
        TokenCase{"CommentRightAfterWord", QStringLiteral("GOTO L1'back"), {"GOTO", "L1"}, QStringLiteral("'back")},
        TokenCase{"ApostropheInsideString", QStringLiteral("PRINT ") + Q + "IT'S" + Q, {"PRINT", "IT'S"},
                  QString()},
        TokenCase{"KoreanWords", QStringLiteral("움직이기 그룹6A,100"), {"움직이기", "그룹6A", "100"}, QString()},
        TokenCase{"CaseKept", QStringLiteral("move g6a"), {"move", "g6a"}, QString()}),
    [](const ::testing::TestParamInfo<TokenCase>& info) { return std::string(info.param.name); });

TEST(TokenizeLine, LeavesTheTrailingBlanksInTheLine) {
    QString line = QStringLiteral("MOVE G6A   ");
    QString comment;
    modMain::TokenizeLine(line, comment);
    EXPECT_EQ(modMain::TokenCount, 2);
    EXPECT_EQ(line, QStringLiteral("   "));
}

TEST(TokenizeLine, EachCallStartsAfresh) {
    QString line = QStringLiteral("A B C");
    QString comment;
    modMain::TokenizeLine(line, comment);
    ASSERT_EQ(modMain::TokenCount, 3);
    line = QStringLiteral("' only a comment");
    modMain::TokenizeLine(line, comment);
    EXPECT_EQ(modMain::TokenCount, 0);
    EXPECT_EQ(modMain::Tokens.size(), 1u);
    EXPECT_EQ(comment, QStringLiteral("' only a comment"));
}

TEST(TokenizeLine, AVeryLongLineIsWalkedOnce) {
    // 30,000 words on one line: a walk that copied the rest of the line per
    // character would take minutes here.
    QString line;
    for (int i = 0; i < 30000; ++i) line += QStringLiteral("W%1, ").arg(i % 10);
    line += QStringLiteral("' end");
    QString comment;
    modMain::TokenizeLine(line, comment);
    EXPECT_EQ(modMain::TokenCount, 30000);
    EXPECT_EQ(modMain::Tokens.back(), QStringLiteral("W9"));
    EXPECT_EQ(comment, QStringLiteral("' end"));
    EXPECT_TRUE(line.isEmpty());
}

}  // namespace
