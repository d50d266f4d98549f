// The colouring language "Quarvel": its keywords come from the compiler's
// command table, with the Korean names when the string table is Korean.
#include <QLocale>

#include <gtest/gtest.h>

#include "compiler/QUARVELv2.h"
#include "QtPrinters.h"
#include "documents/ColouringLanguage.h"
#include "platform/CodeEditor.h"

namespace {

class ColouringLanguageTest : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
};

TEST_F(ColouringLanguageTest, KeywordsFollowTheCompilersCommandTableAndTheTablesLanguage) {
    qvv2::QUARVELv2 basic;
    struct Case {
        QLocale locale;
        int commands;  // keywords before the placeholders
        bool korean;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), 139, false},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), 278, true},
        {QLocale(QLocale::Japanese, QLocale::Japan), 139, false},
        {QLocale(QLocale::Chinese, QLocale::China), 139, false},
    };
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        const QString list = modApp::EditorKeywordList(basic);
        ASSERT_TRUE(list.endsWith(QStringLiteral("Quarvel_DumyCmd50\n"))) << c.locale.name().toStdString();
        const QStringList words = list.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(words.size(), c.commands + 50) << c.locale.name().toStdString();
        EXPECT_EQ(words[0], QStringLiteral("DIM"));
        EXPECT_EQ(words.contains(QStringLiteral("FOR")), true);
        EXPECT_EQ(words.contains(QStringLiteral("반복")), c.korean);
        EXPECT_EQ(words[c.commands], QStringLiteral("Quarvel_DumyCmd1"));
        if (c.korean) {
            EXPECT_EQ(words[1], QStringLiteral("선언"));
            EXPECT_EQ(words[c.commands - 1], QStringLiteral("모터모드"));
        } else {
            EXPECT_EQ(words[c.commands - 1], QStringLiteral("MOTORMODE"));
        }
    }
}

TEST_F(ColouringLanguageTest, RegistersTheDialectsOperatorsCommentsAndStrings) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    modApp::DefineEditorLanguage();
    const auto language = platform::FindLanguage(QStringLiteral("Quarvel"));
    ASSERT_TRUE(language.has_value());
    EXPECT_FALSE(language->CaseSensitive);
    EXPECT_EQ(language->Operators, QStringLiteral("+\n-\n*\n/\n=\n>\n<\n>=\n<=\n<>\n.\n\\"));
    EXPECT_EQ(language->LineCommentOpeners, QStringLiteral("'\nREM"));
    EXPECT_EQ(language->BlockCommentOpen, QStringLiteral("{"));
    EXPECT_EQ(language->BlockCommentClose, QStringLiteral("}"));
    EXPECT_EQ(language->StringDelimiters, QStringLiteral("\""));
    EXPECT_TRUE(language->EscapeCharacter.isEmpty());

    platform::CodeEditor e;
    ASSERT_TRUE(e.SetLanguageName(QStringLiteral("Quarvel")));
    e.SetWholeText(QStringLiteral("For I = 1 TO 8 \\ 2\r\nREM all\r\nPRINT \"A\" { x\r\n} Quarvel_DumyCmd7 G6A"));
    struct Case {
        int line, col, style;
    } cases[] = {
        {0, 0, platform::tsKeyword},  {0, 6, platform::tsOperator}, {0, 15, platform::tsOperator},
        {1, 0, platform::tsComment},  {1, 5, platform::tsComment},  {2, 0, platform::tsKeyword},
        {2, 6, platform::tsString},   {2, 10, platform::tsComment}, {3, 0, platform::tsComment},
        {3, 2, platform::tsKeyword},  {3, 19, platform::tsKeyword},
    };
    for (const Case& c : cases) EXPECT_EQ(e.StyleAt(c.line, c.col), c.style) << c.line << ":" << c.col;
}

}  // namespace
