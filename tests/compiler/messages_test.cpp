// Message table and error-text composition, checked against a fixture that
// holds every expected text independently of the code's own table.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "QUARVELv2.h"

#include "TestAccess.h"

namespace {

using qvv2::QUARVELv2;

// ---- Fixture reading (UTF-8, tab-separated, one record a line) ------------

std::u16string Utf8To16(const std::string& s)
{
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = 0;
        size_t extra = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else {
            cp = c & 0x07;
            extra = 3;
        }
        for (size_t k = 1; k <= extra && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += 1 + extra;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string Utf16To8(const std::u16string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

struct Message {
    std::u16string english;
    std::u16string korean;
};

// Message number -> texts.  Fields are taken exactly: leading and trailing
// blanks are part of some texts.
std::map<int, Message> ReadMessages()
{
    std::map<int, Message> messages;
    std::ifstream in(std::string(QVV2_TEST_DATA) + "/fixtures/messages.txt", std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open fixture messages.txt";
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const size_t t1 = line.find('\t');
        const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        EXPECT_NE(t2, std::string::npos) << "bad fixture line: " << line;
        if (t2 == std::string::npos)
            continue;
        Message m;
        m.english = Utf8To16(line.substr(t1 + 1, t2 - t1 - 1));
        m.korean = Utf8To16(line.substr(t2 + 1));
        messages[std::stoi(line.substr(0, t1))] = m;
    }
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
        EXPECT_EQ(Utf16To8(c.GetMessageText(static_cast<int16_t>(number))), Utf16To8(m.korean))
            << "message " << number;
        for (int16_t lang : {int16_t(0), int16_t(2), int16_t(3), int16_t(-1), int16_t(4), int16_t(100)}) {
            c.cmdLang = lang;
            EXPECT_EQ(Utf16To8(c.GetMessageText(static_cast<int16_t>(number))), Utf16To8(m.english))
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
                EXPECT_EQ(Utf16To8(Compose(error, context, lang)), Utf16To8(expected))
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
