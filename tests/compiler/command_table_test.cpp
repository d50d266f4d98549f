// Command table and keyword services, checked against fixtures that hold
// the expected rows and help lines independently of the code's own table.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Commands.h"
#include "QUARVELv2.h"
#include "Text.h"

#include "Fixtures.h"

namespace {

using qvv2::QUARVELv2;

using Record = qvv2test::FixtureRow;
using qvv2test::ReadFixture;
using qvv2::ToUtf8;

// Alternating case of the Latin letters: "MOVEPOS" -> "mOvEpOs".
std::u16string MixedCase(const std::u16string& s)
{
    std::u16string out = s;
    for (size_t i = 0; i < out.size(); ++i) {
        char16_t& c = out[i];
        if (i % 2 == 0 && c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}

std::u16string LowerCase(const std::u16string& s)
{
    std::u16string out = s;
    for (char16_t& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

void SetNames(QUARVELv2& c, const std::u16string& value)
{
    c.EngCmd = value;
    c.KorCmd = value;
    c.JpnCmd = value;
    c.ChnCmd = value;
}

// Numbers of the enabled commands.
std::set<int> EnabledSet(const QUARVELv2& c)
{
    std::set<int> on;
    for (int16_t n = 0; n < QUARVELv2::kCommandCount; ++n) {
        const int16_t flag = c.CommandEnabled(n);
        EXPECT_TRUE(flag == 0 || flag == -1) << "command " << n << " flag " << flag;
        if (flag != 0)
            on.insert(n);
    }
    return on;
}

std::set<int> AllCommands()
{
    std::set<int> all;
    for (int n = 0; n < QUARVELv2::kCommandCount; ++n)
        all.insert(n);
    return all;
}

class CommandTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        commands_ = new std::vector<Record>(ReadFixture("command_table.txt"));
        helps_ = new std::vector<Record>(ReadFixture("help_lines.txt"));
    }
    static void TearDownTestSuite()
    {
        delete commands_;
        delete helps_;
        commands_ = nullptr;
        helps_ = nullptr;
    }

    static std::vector<Record>* commands_;
    static std::vector<Record>* helps_;
    QUARVELv2 c;
};

std::vector<Record>* CommandTableTest::commands_ = nullptr;
std::vector<Record>* CommandTableTest::helps_ = nullptr;

// ---- The fixtures themselves ------------------------------------------------

TEST_F(CommandTableTest, FixtureHoldsRows0To138InOrder)
{
    ASSERT_EQ(commands_->size(), 139u);
    for (size_t i = 0; i < commands_->size(); ++i) {
        EXPECT_EQ((*commands_)[i].number, static_cast<int16_t>(i));
        EXPECT_FALSE((*commands_)[i].english.empty());
        EXPECT_FALSE((*commands_)[i].korean.empty());
    }
    ASSERT_EQ(helps_->size(), 36u);
}

// The control's table is the one Commands.def defines: as many commands as
// the file has rows, numbered in row order, TotalCommands the last number,
// every row's words given back by GetCommandString, and nothing past it.
TEST_F(CommandTableTest, TableFollowsCommandsDefRowByRow)
{
    struct DefRow {
        int number;
        const char16_t* english;
        const char16_t* korean;
    };
    const DefRow rows[] = {
#define QV_WORD(id, number, english, korean) {number, english, korean},
#define QV_STATEMENT(id, number, english, korean, compiler, message) {number, english, korean},
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
    };
    const int count = static_cast<int>(sizeof rows / sizeof rows[0]);
    EXPECT_EQ(QUARVELv2::kCommandCount, count);
    EXPECT_EQ(c.TotalCommands, count - 1);
    for (int i = 0; i < count; ++i) {
        const DefRow& row = rows[i];
        EXPECT_EQ(row.number, i) << ToUtf8(row.english);
        SetNames(c, u"unchanged");
        int16_t n = static_cast<int16_t>(i);
        c.GetCommandString(n);
        EXPECT_EQ(ToUtf8(c.EngCmd), ToUtf8(row.english)) << i;
        EXPECT_EQ(ToUtf8(c.KorCmd), ToUtf8(row.korean)) << i;
    }
    SetNames(c, u"unchanged");
    int16_t past = static_cast<int16_t>(count);
    c.GetCommandString(past);
    EXPECT_EQ(ToUtf8(c.EngCmd), "unchanged");
}

// Each command number is named after the English word of its row: CMD_G6A
// is the number IsCommand gives for "G6A".
TEST_F(CommandTableTest, CommandNumbersAreNamedAfterTheirWords)
{
    struct Named {
        const char16_t* word;
        int16_t number;
    };
    const Named named[] = {
#define QV_WORD(id, number, english, korean) {u"" #id, qvv2::CMD_##id},
#define QV_STATEMENT(id, number, english, korean, compiler, message) {u"" #id, qvv2::CMD_##id},
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
    };
    ASSERT_EQ(sizeof named / sizeof named[0], commands_->size());
    for (const Named& n : named)
        EXPECT_EQ(c.IsCommand(n.word), n.number) << ToUtf8(n.word);
}

// ---- IsCommand --------------------------------------------------------------

TEST_F(CommandTableTest, EveryRowByEnglishInAnyCase)
{
    for (const Record& r : *commands_) {
        for (const std::u16string& word : {r.english, MixedCase(r.english), LowerCase(r.english)}) {
            SetNames(c, u"unchanged");
            EXPECT_EQ(c.IsCommand(word), r.number) << ToUtf8(word);
            EXPECT_EQ(ToUtf8(c.EngCmd), ToUtf8(r.english)) << r.number;
            EXPECT_EQ(ToUtf8(c.KorCmd), ToUtf8(r.korean)) << r.number;
            EXPECT_EQ(ToUtf8(c.JpnCmd), ToUtf8(r.english)) << r.number;
            EXPECT_EQ(ToUtf8(c.ChnCmd), ToUtf8(r.english)) << r.number;
        }
    }
}

TEST_F(CommandTableTest, EveryRowByKorean)
{
    for (const Record& r : *commands_) {
        SetNames(c, u"unchanged");
        EXPECT_EQ(c.IsCommand(r.korean), r.number) << ToUtf8(r.korean);
        EXPECT_EQ(ToUtf8(c.EngCmd), ToUtf8(r.english)) << r.number;
        EXPECT_EQ(ToUtf8(c.KorCmd), ToUtf8(r.korean)) << r.number;
        EXPECT_EQ(ToUtf8(c.JpnCmd), ToUtf8(r.english)) << r.number;
        EXPECT_EQ(ToUtf8(c.ChnCmd), ToUtf8(r.english)) << r.number;
    }
}

TEST_F(CommandTableTest, KoreanWordsWithLatinLettersMatchInAnyCase)
{
    // The argument is upper-cased before the comparison.
    EXPECT_EQ(c.IsCommand(u"그룹6a"), 92);
    EXPECT_EQ(c.IsCommand(u"ai모터입력"), 102);
    EXPECT_EQ(c.IsCommand(u"Ai모터설정"), 104);
    EXPECT_EQ(c.KorCmd, u"AI모터설정");
}

TEST_F(CommandTableTest, DimInAnyCaseAndInKorean)
{
    for (const char16_t* word : {u"DIM", u"dim", u"Dim", u"dIm", u"diM", u"선언"}) {
        c.EngCmd.clear();
        c.KorCmd.clear();
        EXPECT_EQ(c.IsCommand(word), 0);
        EXPECT_EQ(c.EngCmd, u"DIM");
        EXPECT_EQ(c.KorCmd, u"선언");
        EXPECT_EQ(c.JpnCmd, u"DIM");
        EXPECT_EQ(c.ChnCmd, u"DIM");
    }
}

TEST_F(CommandTableTest, NonKeywordGivesMinusOneAndKeepsNames)
{
    ASSERT_EQ(c.IsCommand(u"PRINT"), 43);
    for (const char16_t* word : {u"SPEEDX", u"", u" DIM", u"DIM ", u"MOVE POS", u"선언 ", u"그룹",
                                 u"MOVE24X", u"LABEL1:", u"'", u"\u00e9"}) {
        EXPECT_EQ(c.IsCommand(word), -1) << ToUtf8(word);
        EXPECT_EQ(c.EngCmd, u"PRINT");
        EXPECT_EQ(c.KorCmd, u"화면출력");
        EXPECT_EQ(c.JpnCmd, u"PRINT");
        EXPECT_EQ(c.ChnCmd, u"PRINT");
    }
}

TEST_F(CommandTableTest, IsCommandLeavesFlagsAlone)
{
    c.IsCommand(u"DIM");
    c.IsCommand(u"반복");
    EXPECT_TRUE(EnabledSet(c).empty());
}

// ---- GetCommandString -------------------------------------------------------

TEST_F(CommandTableTest, GetCommandStringEveryRow)
{
    for (const Record& r : *commands_) {
        SetNames(c, u"unchanged");
        int16_t n = r.number;
        c.GetCommandString(n);
        EXPECT_EQ(n, r.number);
        EXPECT_EQ(ToUtf8(c.EngCmd), ToUtf8(r.english)) << r.number;
        EXPECT_EQ(ToUtf8(c.KorCmd), ToUtf8(r.korean)) << r.number;
        EXPECT_EQ(ToUtf8(c.JpnCmd), ToUtf8(r.english)) << r.number;
        EXPECT_EQ(ToUtf8(c.ChnCmd), ToUtf8(r.english)) << r.number;
    }
}

TEST_F(CommandTableTest, GetCommandStringOutOfRangeChangesNothing)
{
    for (int16_t n : {int16_t(-1), int16_t(139), int16_t(140), int16_t(1000), int16_t(INT16_MAX),
                      int16_t(INT16_MIN)}) {
        c.EngCmd = u"E";
        c.KorCmd = u"K";
        c.JpnCmd = u"J";
        c.ChnCmd = u"C";
        int16_t arg = n;
        c.GetCommandString(arg);
        EXPECT_EQ(arg, n);
        EXPECT_EQ(c.EngCmd, u"E") << n;
        EXPECT_EQ(c.KorCmd, u"K") << n;
        EXPECT_EQ(c.JpnCmd, u"J") << n;
        EXPECT_EQ(c.ChnCmd, u"C") << n;
    }
}

TEST_F(CommandTableTest, HostEnumeratesZeroToTotalCommands)
{
    std::set<std::u16string> english, korean;
    for (int16_t n = 0; n <= c.TotalCommands; ++n) {
        int16_t arg = n;
        c.GetCommandString(arg);
        english.insert(c.EngCmd);
        korean.insert(c.KorCmd);
    }
    // Every name is distinct, so every name looks up its own number.
    EXPECT_EQ(english.size(), 139u);
    EXPECT_EQ(korean.size(), 139u);
}

// ---- HelpCmd ----------------------------------------------------------------

TEST_F(CommandTableTest, EveryHelpLine)
{
    for (const Record& r : *helps_) {
        c.EngHelpMsg = u"x";
        c.KorHelpMsg = u"x";
        c.JpnHelpMsg = u"x";
        c.ChnHelpMsg = u"x";
        int16_t n = r.number;
        c.HelpCmd(n);
        EXPECT_EQ(n, r.number);
        EXPECT_EQ(ToUtf8(c.EngHelpMsg), ToUtf8(r.english)) << r.number;
        EXPECT_EQ(ToUtf8(c.KorHelpMsg), ToUtf8(r.korean)) << r.number;
        EXPECT_EQ(c.JpnHelpMsg, u"") << r.number;
        EXPECT_EQ(c.ChnHelpMsg, u"") << r.number;
    }
}

TEST_F(CommandTableTest, CommandsWithoutHelpGiveEmptyLines)
{
    std::set<int> withHelp;
    for (const Record& r : *helps_)
        withHelp.insert(r.number);
    std::vector<int16_t> numbers = {-1, 139, 200, INT16_MAX, INT16_MIN};
    for (int16_t n = 0; n < 139; ++n)
        if (!withHelp.count(n))
            numbers.push_back(n);
    for (int16_t n : numbers) {
        c.EngHelpMsg = u"x";
        c.KorHelpMsg = u"x";
        c.JpnHelpMsg = u"x";
        c.ChnHelpMsg = u"x";
        int16_t arg = n;
        c.HelpCmd(arg);
        EXPECT_EQ(c.EngHelpMsg, u"") << n;
        EXPECT_EQ(c.KorHelpMsg, u"") << n;
        EXPECT_EQ(c.JpnHelpMsg, u"") << n;
        EXPECT_EQ(c.ChnHelpMsg, u"") << n;
    }
}

TEST_F(CommandTableTest, HelpEdgeCasesOfThePart)
{
    int16_t n = 41;
    c.HelpCmd(n);
    EXPECT_EQ(c.EngHelpMsg, u"VEXAOUT [Data], ...");
    EXPECT_EQ(c.KorHelpMsg, u"벡사출력 [데이터], ...");
    n = 1;
    c.HelpCmd(n);
    EXPECT_EQ(c.EngHelpMsg, u"");
    EXPECT_EQ(c.KorHelpMsg, u"");
    n = 62;
    c.HelpCmd(n);
    EXPECT_EQ(c.EngHelpMsg, u"FORAMT([Var.], [BIN/DEC/HEX], [Number])");
    n = 66;
    c.HelpCmd(n);
    EXPECT_EQ(c.EngHelpMsg, u"ADIN([Freq. Range])");
    EXPECT_EQ(c.KorHelpMsg, u"ADIN(주파수범위])");
    n = 38;
    c.HelpCmd(n);
    EXPECT_EQ(c.KorHelpMsg, u"모터 [모터번호] 또는 <그룹>");
}

// ---- Enabled flags ------------------------------------------------------------

TEST_F(CommandTableTest, FlagsStartDisabled)
{
    EXPECT_TRUE(EnabledSet(c).empty());
}

TEST_F(CommandTableTest, UseAllAndUnuseAll)
{
    c.CommandUseAll();
    EXPECT_EQ(EnabledSet(c), AllCommands());
    for (int16_t n = 0; n < 139; ++n)
        EXPECT_EQ(c.CommandEnabled(n), -1);
    c.CommandUnuseAll();
    EXPECT_TRUE(EnabledSet(c).empty());
    c.CommandUseAll();
    c.CommandUseAll();
    EXPECT_EQ(EnabledSet(c), AllCommands());
}

TEST_F(CommandTableTest, CommandEnabledOutOfRangeIsZero)
{
    c.CommandUseAll();
    for (int16_t n : {int16_t(-1), int16_t(139), int16_t(140), int16_t(INT16_MAX), int16_t(INT16_MIN)})
        EXPECT_EQ(c.CommandEnabled(n), 0) << n;
}

TEST_F(CommandTableTest, CommandUseEveryRowByEnglishAndKorean)
{
    for (const Record& r : *commands_) {
        for (const std::u16string& name : {r.english, LowerCase(r.english), r.korean}) {
            c.CommandUnuseAll();
            c.CommandUse(name);
            EXPECT_EQ(EnabledSet(c), std::set<int>{r.number}) << ToUtf8(name);
            c.CommandUseAll();
            c.CommandUnuse(name);
            std::set<int> expected = AllCommands();
            expected.erase(r.number);
            EXPECT_EQ(EnabledSet(c), expected) << ToUtf8(name);
        }
    }
}

TEST_F(CommandTableTest, CommandUseListOfThePart)
{
    // A lower-case print, the Korean word of CLS, an empty item between two
    // commas and a word that is no keyword, with blanks around the items.
    c.CommandUse(u"  print ,  화면지움 , ,  NOSUCHWORD  ");
    EXPECT_EQ(EnabledSet(c), (std::set<int>{43, 44}));
}

TEST_F(CommandTableTest, CommandUseListCases)
{
    struct Case {
        const char16_t* list;
        std::set<int> enabled;
    };
    const Case cases[] = {
        {u"", {}},
        {u"   ", {}},
        {u",", {}},
        {u",,,", {}},
        {u" , , ", {}},
        {u"DIM", {0}},
        {u"  dim  ", {0}},
        {u"DIM,", {0}},
        {u",DIM", {0}},
        {u",,DIM", {0}},
        {u" , dim", {0}},
        {u"DIM,,FOR", {0, 10}},
        {u"dim,for,next", {0, 10, 12}},
        {u"Print,Cls,Locate", {43, 44, 45}},
        {u"선언,반복", {0, 10}},
        {u"선언 ,  다음 ,", {0, 12}},
        {u"그룹6a, g6b", {92, 93}},
        {u"MOVE, MOVEPOS, MOVE24", {39, 74, 116}},
        {u"MOVE POS", {}},
        {u"FOO,BAR", {}},
        {u"FOO, goto ,BAR", {13}},
        {u"DIM DIM", {}},
        {u"DIM;FOR", {}},
        {u"GOTO,GOTO,가기", {13}},
        {u"MOTORMODE", {138}},
        {u"모터모드,dim", {0, 138}},
    };
    for (const Case& k : cases) {
        c.CommandUnuseAll();
        c.CommandUse(k.list);
        EXPECT_EQ(EnabledSet(c), k.enabled) << "CommandUse \"" << ToUtf8(k.list) << "\"";

        c.CommandUseAll();
        c.CommandUnuse(k.list);
        std::set<int> expected = AllCommands();
        for (int n : k.enabled)
            expected.erase(n);
        EXPECT_EQ(EnabledSet(c), expected) << "CommandUnuse \"" << ToUtf8(k.list) << "\"";
    }
}

TEST_F(CommandTableTest, CommandUseAddsToTheCurrentFlags)
{
    c.CommandUse(u"DIM");
    c.CommandUse(u"FOR");
    EXPECT_EQ(EnabledSet(c), (std::set<int>{0, 10}));
    c.CommandUnuse(u"dim");
    EXPECT_EQ(EnabledSet(c), (std::set<int>{10}));
    c.CommandUnuse(u"");
    c.CommandUse(u"  ");
    EXPECT_EQ(EnabledSet(c), (std::set<int>{10}));
}

// ---- Wan2Jo / Jo2Wan -------------------------------------------------------------

TEST_F(CommandTableTest, Wan2JoAndJo2WanDoNothing)
{
    c.EngCmd = u"E";
    c.KorCmd = u"K";
    c.Wan2Jo(u"한글");
    c.Wan2Jo(u"");
    EXPECT_EQ(c.Jo2Wan(), u"");
    EXPECT_EQ(c.EngCmd, u"E");
    EXPECT_EQ(c.KorCmd, u"K");
    EXPECT_TRUE(EnabledSet(c).empty());
}

}  // namespace
