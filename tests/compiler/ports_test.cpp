// Port, memory, display, timing, setting, raw-data, serial and remark
// statements: the bytes each statement writes after the program header, and
// the error each wrong form raises, in English and Korean keywords.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControllerMap.h"
#include "QUARVELv2.h"
#include "Text.h"

#include "CompileHelpers.h"

using qvv2::QUARVELv2;

namespace {

// Declarations shared by the cases; they write no code.
// A, B: BYTE at RAM 64, 65; W: INTEGER at RAM 66.
const char16_t* const kPreamble =
    u"DIM A AS BYTE, B AS BYTE, W AS INTEGER\n"
    u"CONST ONE = 1\n"
    u"CONST FIVE = 5\n"
    u"CONST BIG = 300\n"
    u"CONST BAUD = 9600\n";
constexpr int32_t kPreambleLines = 5;
// A Con_ID the controller map holds no model for.
constexpr uint8_t kNoSuchModel = qvv2::controller::kNoSuchModel;

using qvv2test::CompileProgram;
using qvv2test::Outcome;
using Case = qvv2test::StatementCase;

void RunCases(const std::vector<Case>& cases) { qvv2test::RunStatementCases(kPreamble, kPreambleLines, cases); }

TEST(IoStatements, PortOutput) {
    RunCases({
        {u"OUT 3, 1", 0, "d1 12 03 11"},
        {u"출력 3, 1", 0, "d1 12 03 11"},
        {u"OUT A, B", 0, "d1 15 40 15 41"},
        {u"OUT 3, FIVE", 0, "d1 12 03 12 05"},
        {u"OUT 3, 300", 20, "d1 12 03"},
        {u"OUT W, 1", 20, "d1"},
        {u"OUT 3, X", 17, "d1 12 03"},
        {u"OUT 3", 23, ""},
        {u"OUT 3 1", 23, ""},
        {u"OUT 3, 1, 2", 23, ""},
        {u"OUT 3, END", 23, ""},
        {u"OUT 3, \"A\"", 23, ""},
        {u"OUT , 1", 23, ""},
        // The value as one bit of a variable: 27, address, mask.
        {u"OUT 3, A.2", 0, "d1 12 03 1b 40 04"},
        {u"출력 3, A.2", 0, "d1 12 03 1b 40 04"},
        {u"OUT 3, W.9", 0, "d1 12 03 1b 43 02"},
        {u"OUT 3, A.FIVE", 0, "d1 12 03 1b 40 20"},
        {u"OUT 3, A.B", 39, nullptr},
        {u"OUT 3, Q.1", 17, nullptr},
        {u"OUT 3, ONE.1", 35, nullptr},
        {u"OUT 3 A.2", 23, ""},
        {u"BYTEOUT 1, 255", 0, "e7 11 12 ff"},
        {u"바이트출력 1, 255", 0, "e7 11 12 ff"},
        {u"BYTEOUT 1, BIG", 20, nullptr},
        {u"BYTEOUT 1", 23, ""},
        {u"PULSE 5", 0, "d2 12 05"},
        {u"펄스 A", 0, "d2 15 40"},
        {u"PULSE W", 20, nullptr},
        {u"PULSE \"X\"", 21, nullptr},
        {u"PULSE END", 21, nullptr},
        {u"PULSE", 23, ""},
        {u"PULSE 1, 2", 23, ""},
        {u"PWM 1, 1000", 0, "de 11 13 e8 03"},
        {u"펄스폭 1, W", 0, "de 11 16 42"},
        {u"PWM 300, 1", 20, nullptr},
        {u"PWM 1 1000", 23, ""},
        {u"FPWM 1, 2, 1000", 0, "ee 11 12 02 13 e8 03"},
        {u"주파수펄스 A, BIG, W", 0, "ee 15 40 13 2c 01 16 42"},
        {u"FPWM 1, 2", 23, ""},
        {u"FPWM 1, 2 3", 23, ""},
        {u"SERVO 1, 100", 0, "df 11 12 64"},
        {u"서보 1, BIG", 0, "df 11 13 2c 01"},
        {u"SERVO W, 100", 20, nullptr},
        {u"TOGGLE 5", 0, "d3 12 05"},
        {u"반전 A", 0, "d3 15 40"},
        {u"TOGGLE W", 20, nullptr},
        {u"TOGGLE", 23, ""},
        {u"TOGGLE 1, 2", 23, ""},
    });
}

TEST(IoStatements, MemoryWrites) {
    RunCases({
        // The address is a word except on controller 1.
        {u"POKE 1000, 5", 0, "cc 13 e8 03 12 05", 2},
        {u"POKE 1000, 5", 20, nullptr, 1},
        {u"POKE W, 5", 0, "cc 16 42 12 05", 3},
        {u"POKE A, 5", 0, "cc 15 40 12 05", 1},
        {u"램쓰기 200, 1", 0, "cc 12 c8 11", 1},
        {u"POKE 200, 300", 20, nullptr, 2},
        {u"POKE 200", 23, "", 2},
        {u"ROMPOKE 1000, 300", 0, "cd 13 e8 03 13 2c 01"},
        {u"롬쓰기 W, A", 0, "cd 16 42 15 40"},
        {u"ROMPOKE 1, 2, 3", 23, ""},
    });
}

TEST(IoStatements, DisplayAndTiming) {
    RunCases({
        {u"LOCATE 1, 2", 0, "e2 11 12 02"},
        {u"화면위치 W, BIG", 0, "e2 16 42 13 2c 01"},
        {u"LOCATE 1", 23, ""},
        {u"CONT 300", 0, "e6 13 2c 01"},
        {u"글자밝기 A", 0, "e6 15 40"},
        {u"CONT", 23, ""},
        {u"DELAY 500", 0, "d4 13 f4 01 e9"},
        {u"DELAY W", 0, "d4 16 42 e9"},
        {u"지연 1", 0, "d4 11 e9"},
        // The closing 233 follows an accepted operand only.
        {u"DELAY X", 17, "d4"},
        {u"DELAY 1, 2", 23, ""},
        {u"TEMPO 5", 0, "bf 12 05"},
        {u"박자 A", 0, "bf 15 40"},
        {u"TEMPO 300", 20, nullptr},
        {u"TEMPO", 23, ""},
    });
}

TEST(IoStatements, ControllerSettings) {
    RunCases({
        // SPEED takes a raw constant on controller 1, a byte operand elsewhere.
        {u"SPEED 5", 0, "dd 05", 1},
        {u"SPEED 5", 0, "dd 12 05", 2},
        {u"속도 FIVE", 0, "dd 05", 1},
        {u"SPEED A", 42, nullptr, 1},
        {u"SPEED A", 0, "dd 15 40", 2},
        {u"SPEED 300", 41, nullptr, 1},
        {u"SPEED 300", 20, nullptr, 2},
        {u"SPEED", 23, "", 1},
        {u"ACCEL 2", 0, "e8 22"},
        {u"가속 15", 0, "e8 ff"},
        {u"ACCEL 16", 41, nullptr},
        {u"ACCEL A", 42, nullptr},
        {u"ACCEL 1, 2", 23, ""},
        {u"FUNC 7", 0, "b6 07"},
        {u"기능 BIG", 41, nullptr},
        {u"FUNC 256", 41, nullptr},
        {u"FUNC A", 42, nullptr},
        {u"FUNC \"X\"", 42, nullptr},
        {u"HIGHSPEED SETON", 0, "b6 01"},
        {u"HIGHSPEED SETOFF", 0, "b6 00"},
        {u"고속동작 사용설정", 0, "b6 01"},
        {u"고속동작 사용해제", 0, "b6 00"},
        {u"HIGHSPEED 1", 23, ""},
        {u"HIGHSPEED ALLON", 23, ""},
        {u"HIGHSPEED", 23, ""},
        {u"HIGHSPEED SETON SETOFF", 23, ""},
        {u"PTP 1", 0, "ed 01"},
        {u"PTP 0", 0, "ed 00"},
        {u"PTP SETON", 0, "ed 01"},
        {u"PTP SETOFF", 0, "ed 00"},
        {u"PTP ALLON", 0, "b6 06"},
        {u"PTP ALLOFF", 0, "b6 05"},
        {u"점대점 모두해제", 0, "b6 05"},
        {u"점대점 1", 0, "ed 01"},
        {u"PTP 2", 41, nullptr},
        {u"PTP END", 23, ""},
        {u"PTP", 23, ""},
        {u"PTP 1, 0", 23, ""},
        // A name would compile to nothing at all: rejected.
        {u"PTP ONE", 23, ""},
    });
}

TEST(IoStatements, SettingWordsDisabledForTheControllerAreUnsupported) {
    // The enabled flags are set for every command when a compile starts; the
    // check runs on the flags as they stand while the statement compiles.
    for (const char16_t* statement : {u"HIGHSPEED SETON", u"PTP SETOFF", u"PTP ALLON"}) {
        QUARVELv2 c;
        ASSERT_EQ(CompileProgram(c, statement).err, 0);
        const std::u16string word = Core(c).tokens_[2].text;
        c.CommandUnuse(word);
        ASSERT_EQ(c.CommandEnabled(Core(c).tokens_[2].code), 0) << qvv2::ToUtf8(word);
        int32_t first = 1, last = 2;
        int16_t err = 0;
        if (Core(c).tokens_[1].code == 108)
            Core(c).CompileHighSpeed(first, last, err);
        else
            Core(c).CompilePtp(first, last, err);
        EXPECT_EQ(err, 999) << qvv2::ToUtf8(statement);
    }
}

TEST(IoStatements, FillWritesRawBytes) {
    RunCases({
        {u"FILL 255, 3", 0, "ff ff ff"},
        {u"채움 7, 1", 0, "07"},
        {u"FILL 256, 3", 23, ""},
        {u"FILL 1, 0", 23, ""},
        {u"FILL 1, 65501", 23, ""},
        {u"FILL A, 3", 23, ""},
        {u"FILL 1, FIVE", 23, ""},
        {u"FILL 1 3", 23, ""},
    });
    QUARVELv2 c;
    const Outcome big = CompileProgram(c, u"FILL 0, 65500\n");
    EXPECT_EQ(big.err, 0);
    EXPECT_EQ(c.TotalBytes, 16 + 65500 + 3);
    // Two of them no longer fit the object buffer.
    const Outcome over = CompileProgram(c, u"FILL 0, 65500\nFILL 0, 65500\n");
    EXPECT_EQ(over.err, 1000);
    EXPECT_EQ(over.line, 2);
}

TEST(IoStatements, OpenAndCloseSwitchTwoPortsBetweenDelays) {
    RunCases({
        {u"OPEN", 0, "d4 12 64 e9 d1 12 05 11 d1 12 06 10 d4 12 64 e9", 1},
        {u"CLOSE", 0, "d4 12 64 e9 d1 12 05 10 d1 12 06 11 d4 12 64 e9", 1},
        {u"OPEN", 0, "d4 13 e8 03 e9 d1 12 0a 11 d1 12 0b 10 d4 13 e8 03 e9", 2},
        {u"CLOSE", 0, "d4 13 e8 03 e9 d1 12 0a 10 d1 12 0b 11 d4 13 e8 03 e9", 2},
        {u"열기", 0, "d4 12 64 e9 d1 12 05 11 d1 12 06 10 d4 12 64 e9", 1},
        {u"닫기", 0, "d4 13 e8 03 e9 d1 12 0a 10 d1 12 0b 11 d4 13 e8 03 e9", kNoSuchModel},
        {u"OPEN 1", 23, ""},
        {u"CLOSE A", 23, ""},
    });
}

TEST(IoStatements, VexaOutWritesAClosedOperandList) {
    RunCases({
        {u"VEXAOUT 1, 2", 0, "d7 11 12 02 00"},
        {u"VEXAOUT 5", 0, "d7 12 05 00"},
        {u"벡사출력 W, BIG, A", 0, "d7 16 42 13 2c 01 15 40 00"},
        // The list is closed with 0 whatever went wrong.
        {u"VEXAOUT 1,", 19, "d7 11 00"},
        {u"VEXAOUT", 19, "00"},
        {u"VEXAOUT \"A\"", 19, "d7 00"},
        {u"VEXAOUT 1 2", 23, "d7 11 00"},
        {u"VEXAOUT 1, \"A\"", 21, "d7 11 00"},
        {u"VEXAOUT 1, X", 17, "d7 11 00"},
    });
}

TEST(IoStatements, RemarkSetsTheProgramRemark) {
    QUARVELv2 c;
    Outcome o = CompileProgram(c, u"REMARK \"walking robot\"\nOUT 1, 1\n");
    EXPECT_EQ(o.err, 0);
    EXPECT_EQ(o.code, "d1 11 11");
    EXPECT_EQ(c.Remark, u"walking robot");

    o = CompileProgram(c, u"REMARK \"first\"\n설명 \"두번째\"\n");
    EXPECT_EQ(o.err, 0);
    EXPECT_EQ(o.code, "");
    EXPECT_EQ(c.Remark, u"두번째");

    // Each compile starts without a remark.
    o = CompileProgram(c, u"OUT 1, 1\n");
    EXPECT_EQ(c.Remark, u"");

    RunCases({
        {u"REMARK 5", 23, ""},
        {u"REMARK", 23, ""},
        {u"REMARK \"a\" \"b\"", 23, ""},
        {u"REMARK A", 23, ""},
    });
}

TEST(SerialStatements, Transmit) {
    RunCases({
        {u"TX 1, A", 0, "d6 cc 15 40"},
        {u"송신 3, W", 0, "d6 e6 16 42"},
        {u"TX 4, A", 0, "d6 f3 15 40"},
        {u"TX ONE, A", 0, "d6 cc 15 40"},
        {u"TX 1, 5", 23, ""},
        {u"TX 1, X", 17, nullptr},
        {u"TX 0, A", 41, nullptr},
        // The code table knows the settings 1 to 4 only.
        {u"TX 5, A", 41, nullptr},
        {u"TX 9, A", 41, nullptr},
        {u"TX FIVE, A", 41, nullptr},
        {u"TX A, A", 42, nullptr},
        {u"TX 1 A", 23, ""},
        {u"ETX 9600, A", 0, "d6 02 15 40"},
        {u"데이타송신 115200, W", 0, "d6 09 16 42"},
        {u"ETX 2400, 5", 0, "d6 00 12 05"},
        {u"ETX 1200, A", 40, nullptr},
        {u"ETX 2000000, A", 41, nullptr},
        {u"ETX BAUD, A", 23, ""},
        {u"ETX A, A", 23, ""},
        {u"ETX 9600", 23, ""},
    });
}

TEST(SerialStatements, ReceiveJumpsToItsLabel) {
    // The label follows the six-byte instruction: address 16 + 6 = 22.
    RunCases({
        {u"RX 2, A, L1\nL1:", 0, "d5 e6 15 40 16 00"},
        {u"수신 1, B, L1\nL1:", 0, "d5 cc 15 41 16 00"},
        {u"RX ONE, A, L1\nL1:", 0, "d5 cc 15 40 16 00"},
        {u"ERX 9600, A, L1\nL1:", 0, "d5 02 15 40 16 00"},
        {u"데이타수신 230400, A, 끝점\n끝점:", 0, "d5 0a 15 40 16 00"},
        {u"ERX 1200, A, L1\nL1:", 40, "d5"},
        {u"RX 5, A, L1\nL1:", 41, "d5"},
        {u"RX A, A, L1\nL1:", 42, "d5"},
        {u"ERX A, A, L1\nL1:", 23, "d5"},
        {u"RX 2, W, L1\nL1:", 48, "d5 e6"},
        {u"RX 2, X, L1\nL1:", 17, "d5 e6"},
        {u"RX 2, FIVE, L1\nL1:", 48, "d5 e6"},
        {u"RX 2 A , L1 X", 23, "d5"},
        {u"RX 2, A, L1, 5", 23, ""},
        {u"RX 2, A", 23, ""},
        {u"ERX", 23, ""},
    });

    // A backward label, a numeric label, and the fix-up the statement leaves.
    QUARVELv2 c;
    Outcome o = CompileProgram(c, std::u16string(kPreamble) + u"BACK: OUT 1, 1\nRX 2, A, BACK\n10 ERX 9600, A, 10");
    ASSERT_EQ(o.err, 0);
    EXPECT_EQ(o.code, "d1 11 11 d5 e6 15 40 10 00 d5 02 15 40 19 00");
    ASSERT_EQ(Core(c).fixupCount_, 2);
    EXPECT_EQ(Core(c).fixups_[1].kind, 3);
    EXPECT_EQ(Core(c).fixups_[1].name, u"BACK");
    EXPECT_EQ(Core(c).fixups_[1].line, kPreambleLines + 2);
    EXPECT_EQ(Core(c).fixups_[1].position, 16 + 3 + 5);

    // A label that is never defined is reported on the line of the RX.
    o = CompileProgram(c, std::u16string(kPreamble) + u"OUT 1, 1\nRX 2, A, NOWHERE\nOUT 1, 0");
    EXPECT_EQ(o.err, 25);
    EXPECT_EQ(o.line, kPreambleLines + 2);
}

TEST(IoStatements, KoreanProgram) {
    QUARVELv2 c;
    const Outcome o = CompileProgram(c,
                                     u"선언 가 는 바이트\n"
                                     u"상수 다섯 = 5\n"
                                     u"출력 다섯, 가\n"
                                     u"지연 다섯\n"
                                     u"수신 1, 가, 처음\n"
                                     u"처음:\n");
    ASSERT_EQ(o.err, 0);
    EXPECT_EQ(o.code, "d1 12 05 15 40 d4 12 05 e9 d5 cc 15 40 1f 00");
}

}  // namespace
