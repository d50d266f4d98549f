// Message table and error-text composition, checked against a fixture that
// holds every expected text independently of the code's own table.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "QUARVELv2.h"
#include "Text.h"

#include "Fixtures.h"
#include "TestAccess.h"

namespace {

using qvv2::QUARVELv2;

using Message = qvv2test::FixtureRow;
using qvv2::ToUtf8;

// Message number -> texts.
std::map<int, Message> ReadMessages()
{
    std::map<int, Message> messages;
    for (const Message& m : qvv2test::ReadFixture("messages.txt"))
        messages[m.number] = m;
    return messages;
}

class MessagesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { messages_ = new std::map<int, Message>(ReadMessages()); }
    static void TearDownTestSuite()
    {
        delete messages_;
        messages_ = nullptr;
    }

    static const std::u16string& Text(int number, bool korean)
    {
        const Message& m = messages_->at(number);
        return korean ? m.korean : m.english;
    }

    std::u16string Compose(int16_t error, const std::u16string& context, int16_t lang)
    {
        c.cmdLang = lang;
        c.Bas_Error = error;
        c.Bas_Error_Msg = context;
        qvv2::TestAccess::BuildErrorMessage(c);
        return c.Bas_Error_Msg;
    }

    static std::map<int, Message>* messages_;
    QUARVELv2 c;
};

std::map<int, Message>* MessagesTest::messages_ = nullptr;

// ---- The fixture itself -------------------------------------------------------

TEST_F(MessagesTest, FixtureHoldsMessages1To161)
{
    ASSERT_EQ(messages_->size(), 161u);
    EXPECT_EQ(messages_->begin()->first, 1);
    EXPECT_EQ(messages_->rbegin()->first, 161);
}

// ---- GetMessageText -------------------------------------------------------------

TEST_F(MessagesTest, EveryMessageInEnglishAndKorean)
{
    for (const auto& [number, m] : *messages_) {
        c.cmdLang = 1;
        EXPECT_EQ(ToUtf8(c.GetMessageText(static_cast<int16_t>(number))), ToUtf8(m.korean))
            << "message " << number;
        for (int16_t lang : {int16_t(0), int16_t(2), int16_t(3), int16_t(-1), int16_t(4), int16_t(100)}) {
            c.cmdLang = lang;
            EXPECT_EQ(ToUtf8(c.GetMessageText(static_cast<int16_t>(number))), ToUtf8(m.english))
                << "message " << number << " cmdLang " << lang;
        }
    }
}

TEST_F(MessagesTest, InitialLanguageIsKorean)
{
    EXPECT_EQ(c.cmdLang, 1);
    EXPECT_EQ(c.GetMessageText(86), u"에러 ");
}

TEST_F(MessagesTest, OutsideOneTo161IsEmpty)
{
    for (int16_t lang : {int16_t(0), int16_t(1), int16_t(2)}) {
        c.cmdLang = lang;
        for (int16_t n : {int16_t(0), int16_t(162), int16_t(-1), int16_t(1000), int16_t(INT16_MAX),
                          int16_t(INT16_MIN)})
            EXPECT_EQ(c.GetMessageText(n), u"") << n << " lang " << lang;
    }
}

TEST_F(MessagesTest, QuotedPeculiarities)
{
    c.cmdLang = 1;
    EXPECT_EQ(c.GetMessageText(86), u"에러 ");
    EXPECT_EQ(c.GetMessageText(85), u"번째 줄에서");
    EXPECT_EQ(c.GetMessageText(92), u"라벨명 또는 라벨의 위치가  잘못되었습니다.");
    EXPECT_EQ(c.GetMessageText(76), u"MOVEPOS G6A(동작위치 그룹6A)");
    EXPECT_EQ(c.GetMessageText(3), u"컨트롤러 에러 : ");
    EXPECT_EQ(c.GetMessageText(68), u"대입(=)");
    EXPECT_EQ(c.GetMessageText(13), u"eTX(데이타송신)");
    EXPECT_EQ(c.GetMessageText(71), u"ON..GOTO(처리..가기)");
    EXPECT_NE(c.GetMessageText(120), c.GetMessageText(121));
    c.cmdLang = 0;
    EXPECT_EQ(c.GetMessageText(86), u"Error ");
    EXPECT_EQ(c.GetMessageText(85), u" Line");
    EXPECT_EQ(c.GetMessageText(84), u"Memory Error");
    EXPECT_EQ(c.GetMessageText(114), u"Check variable name in FOR and NEXT");
    EXPECT_EQ(c.GetMessageText(122), u"Must be a number from 0 to 15 in bit");
    EXPECT_EQ(c.GetMessageText(120), u"Wrong bit.");
    EXPECT_EQ(c.GetMessageText(121), u"Wrong bit.");
    EXPECT_EQ(c.GetMessageText(76), u"MOVEPOS G6A");
    EXPECT_EQ(c.GetMessageText(18), u"fPWM");
    EXPECT_EQ(c.GetMessageText(104), u"Use 'variable = ?'");
    c.cmdLang = 2;
    EXPECT_EQ(c.GetMessageText(86), u"Error ");
}

// ---- BuildErrorMessage ---------------------------------------------------------

// The description message of an error number, as the compiler chooses it.
int DescriptionOf(int error)
{
    if (error >= 1 && error <= 52)
        return 86 + error;
    if (error == 999)
        return 139;
    if (error == 1000)
        return 140;
    return 141;
}

TEST_F(MessagesTest, DescriptionChoiceForErrorNumbers)
{
    std::vector<int16_t> errors;
    for (int16_t e = 1; e <= 52; ++e)
        errors.push_back(e);
    for (int16_t e : {int16_t(53), int16_t(54), int16_t(127), int16_t(998), int16_t(999), int16_t(1000),
                      int16_t(1001), int16_t(0), int16_t(-1), int16_t(-5), int16_t(INT16_MAX),
                      int16_t(INT16_MIN)})
        errors.push_back(e);
    for (int16_t lang : {int16_t(0), int16_t(1)}) {
        const bool korean = lang == 1;
        for (int16_t error : errors) {
            for (const std::u16string& context : {std::u16string(u"SPEEDX"), std::u16string(),
                                                  std::u16string(u"화면출력 [문자열]")}) {
                std::u16string expected = Text(85, korean);
                expected += u"\r\n";
                expected += Text(86, korean);
                const std::string digits = std::to_string(error);
                expected += std::u16string(digits.begin(), digits.end());
                expected += u" : [";
                expected += context;
                expected += u"] ";
                expected += Text(DescriptionOf(error), korean);
                EXPECT_EQ(ToUtf8(Compose(error, context, lang)), ToUtf8(expected))
                    << "error " << error << " lang " << lang;
            }
        }
    }
}

TEST_F(MessagesTest, ExamplesOfThePart)
{
    EXPECT_EQ(Compose(17, u"SPEEDX", 0),
              u" Line\r\nError 17 : [SPEEDX] This variable name(or constant name) is not declared.");
    EXPECT_EQ(Compose(17, u"SPEEDX", 1),
              u"번째 줄에서\r\n에러 17 : [SPEEDX] 선언되어 있지 않은 변수명(상수명)이 사용되었습니다.");
    EXPECT_EQ(Compose(1000, u"Memory Error", 0), u" Line\r\nError 1000 : [Memory Error] Too big program size.");
    EXPECT_EQ(Compose(999, u"Controller Error : ", 0),
              u" Line\r\nError 999 : [Controller Error : ] No support command.");
    EXPECT_EQ(Compose(1, u"", 0), u" Line\r\nError 1 : [] Occur syntax analysis processing error.");
    EXPECT_EQ(Compose(47, u"PLAY", 0), u" Line\r\nError 47 : [PLAY] Wrong strings in PLAY or MUSIC.");
    EXPECT_EQ(Compose(52, u"X", 0), u" Line\r\nError 52 : [X] No support command on this setting controller.");
    EXPECT_EQ(Compose(53, u"X", 0), u" Line\r\nError 53 : [X] Occur error.");
    EXPECT_EQ(Compose(127, u"X", 0), u" Line\r\nError 127 : [X] Occur error.");
    EXPECT_EQ(Compose(-3, u"X", 0), u" Line\r\nError -3 : [X] Occur error.");
    EXPECT_EQ(Compose(1000, u"메모리 에러", 1), u"번째 줄에서\r\n에러 1000 : [메모리 에러] 프로그램 크기가 너무 큽니다.");
}

TEST_F(MessagesTest, DoesNotReadTheLineNumber)
{
    c.Bas_Error_Line = 12;
    EXPECT_EQ(Compose(17, u"SPEEDX", 0),
              u" Line\r\nError 17 : [SPEEDX] This variable name(or constant name) is not declared.");
    EXPECT_EQ(c.Bas_Error_Line, 12);
    EXPECT_EQ(c.Bas_Error, 17);
}

TEST_F(MessagesTest, ComposingTwiceNestsThePreviousText)
{
    Compose(4, u"A", 0);
    qvv2::TestAccess::BuildErrorMessage(c);
    EXPECT_EQ(c.Bas_Error_Msg, u" Line\r\nError 4 : [ Line\r\nError 4 : [A] Wrong symbol.] Wrong symbol.");
}

}  // namespace
