// Capturing a hand-set pose into the MOVE line at the caret with two presses
// of F4 in the document window, against the simulated controller: the wire
// bytes of both presses, the rewritten line character for character, and the
// pending state that another key, line or document resets.
#include <QTest>

#include "DirectRunFixture.h"
#include "build/CaptureMove.h"

namespace {

// Model 2 servo positions live at 768 + motor; the capture writes each new
// position at 800 + motor and at 768 + motor (low address byte first).
Bytes WritePair(uint8_t motor, uint8_t value) {
    return {0xF8, uint8_t(0x20 + motor), 0x03, value, 0xF8, motor, 0x03, value};
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

class CaptureTest : public DirectRunTest {
protected:
    void PressF4() { QTest::keyClick(&Editor(), Qt::Key_F4); }
    void SetPose(std::initializer_list<uint8_t> positions, int firstMotor = 0) {
        int m = firstMotor;
        for (uint8_t p : positions) sim().setServoPosition(m++, p);
    }
};

TEST_F(CaptureTest, TwoPressesRewriteTheLineKeepingItsCommentAndIndentation) {
    const QString line = QStringLiteral("  MOVE G6A, 100, 100, 100, , 100, 100  ' pose A");
    Open(QStringLiteral("walk.bas"), QStringLiteral("MAIN:\r\n") + line + QStringLiteral("\r\nGOTO MAIN\r\n"), 1);
    Wire();

    // First press: the motors with a position in the line go off; the line
    // stays as it is.
    PressF4();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xE8, 0, 0xE8, 1, 0xE8, 2, 0xE8, 4, 0xE8, 5}));
    EXPECT_TRUE(modMain::CapturePending);
    EXPECT_EQ(modMain::CaptureLine, 1);
    EXPECT_EQ(modMain::CaptureFile, HomeFile("walk.bas"));
    EXPECT_EQ(Editor().LineText(1), line);

    // The robot is posed by hand; motor 5 reports a value no servo takes.
    SetPose({95, 120, 130, 77, 100, 5});
    PressF4();
    EXPECT_EQ(Wire(), Cat({{0xFA, 0xD7, 0, 0, 0, 0, 0, 0},
                           WritePair(0, 95),
                           {0xE7, 0},
                           WritePair(1, 120),
                           {0xE7, 1},
                           WritePair(2, 130),
                           {0xE7, 2},
                           WritePair(4, 100),
                           {0xE7, 4}}));
    // Motor 3 had no position and is left alone; motor 5 keeps the line's
    // value and stays off.
    EXPECT_EQ(Editor().LineText(1), QStringLiteral("  MOVE G6A, 95, 120, 130,    , 100, 100  ' pose A"));
    EXPECT_EQ(Editor().WholeText(),
              QStringLiteral("MAIN:\r\n  MOVE G6A, 95, 120, 130,    , 100, 100  ' pose A\r\nGOTO MAIN\r\n"));
    EXPECT_FALSE(modMain::CapturePending);
    EXPECT_EQ(modMain::CaptureLine, 0);
    EXPECT_TRUE(modMain::CaptureFile.isEmpty());
    EXPECT_TRUE(sim().motorFlag(0));
    EXPECT_FALSE(sim().motorFlag(5));
    EXPECT_EQ(Editor().Selection(false).EndLineNo, 1);
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_TRUE(Boxes().Calls().empty());
}

// Field widths: four characters for the first motor, five for the others;
// the eight-motor family loses the indentation; Korean words are kept.
TEST_F(CaptureTest, FieldLayoutOfBothFamiliesAndLanguages) {
    const struct {
        const char* name;
        const char* before;
        std::initializer_list<uint8_t> pose;
        int firstMotor;
        uint8_t readCommand;
        const char* after;
    } cases[] = {
        {"first value of three digits",
         "MOVE G6B, 50, 50, 50, 50, 50, 50",
         {100, 10, 190, 99, 100, 101},
         6,
         0xD8,
         "MOVE G6B,100,  10, 190,  99, 100, 101"},
        {"eight motors, indentation dropped",
         "\tMOVE G8B, 100, , 100, 100, 100, 100, 100, 100",
         {11, 22, 33, 44, 55, 66, 77, 88},
         8,
         0xD4,
         "MOVE G8B, 11,    ,  33,  44,  55,  66,  77,  88"},
        {"korean words",
         "  동작 그룹6C, 100, 100, 100, 100, 100, 100",
         {101, 102, 103, 104, 105, 106},
         12,
         0xD9,
         "  동작 그룹6C,101, 102, 103, 104, 105, 106"},
        {"lower case kept, comment without a gap",
         "move g6a, 100, 100, 100, 100, 100, 100'x",
         {90, 90, 90, 90, 90, 90},
         0,
         0xD7,
         "move g6a, 90,  90,  90,  90,  90,  90 'x"},
    };
    int fileNo = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Open(QStringLiteral("f%1.bas").arg(++fileNo), QString());
        Editor().SetWholeText(QString::fromUtf8(c.before));
        SetPose(c.pose, c.firstMotor);
        PressF4();
        Wire();
        PressF4();
        const Bytes wire = Wire();
        ASSERT_GE(wire.size(), 2u);
        EXPECT_EQ(wire[1], c.readCommand);
        EXPECT_EQ(Editor().WholeText(), QString::fromUtf8(c.after));
    }
}

// Between the presses: a key in the editor, another line or another document
// make the next press a first press again.
TEST_F(CaptureTest, PendingStateIsResetByAKeyAnotherLineOrAnotherDocument) {
    const QString text = QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100\r\nMOVE G6B, 100, , , , , 100\r\n");
    const Bytes firstPressA{0xFA, 0xE8, 0, 0xE8, 1, 0xE8, 2, 0xE8, 3, 0xE8, 4, 0xE8, 5};
    Open(QStringLiteral("a.bas"), text);
    Wire();

    // A typed key clears the pending state (the document window's key
    // handler does it; cleared here the same way).
    PressF4();
    EXPECT_EQ(Wire(), firstPressA);
    modMain::CapturePending = false;
    PressF4();
    EXPECT_EQ(Wire(), firstPressA);
    EXPECT_TRUE(modMain::CapturePending);

    // Another line: a first press there; the first line's servos stay off.
    Editor().PutCaret(1, 0);
    PressF4();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xE8, 6, 0xE8, 11}));
    EXPECT_EQ(modMain::CaptureLine, 1);
    EXPECT_FALSE(sim().motorFlag(0));

    // Another document holding the same text on the same line.
    Open(QStringLiteral("b.bas"), text, 1);
    PressF4();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xE8, 6, 0xE8, 11}));
    EXPECT_EQ(modMain::CaptureFile, HomeFile("b.bas"));
    EXPECT_EQ(Editor().LineText(1), QStringLiteral("MOVE G6B, 100, , , , , 100"));

    // Two untitled documents share their empty file name, yet the second
    // press in the other one is a first press too.
    Main().new_Click();
    Editor().SetWholeText(QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));
    PressF4();
    Wire();
    Main().new_Click();
    Editor().SetWholeText(QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));
    PressF4();
    EXPECT_EQ(Wire(), firstPressA);
    EXPECT_EQ(Editor().LineText(0), QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));
}

// Lines that are not captured: nothing is sent (the stop command only when
// the line compiles but its group word is not in the table).
TEST_F(CaptureTest, LinesThatAreNotCapturedStayAsTheyAre) {
    const struct {
        const char* line;
        Bytes wire;
    } cases[] = {
        {"P1: MOVE G6A, 100, 100, 100, 100, 100, 100", {}},
        {"MOVE 100, 100, 100, 100, 100, 100", {}},
        {"MOVE G12, 100, 100", {0xFA}},
        {"SERVO 1, 100", {}},
        {"MOVE G6A, A, 100", {}},
        {"", {}},
    };
    Open(QStringLiteral("n.bas"), QString());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Editor().SetWholeText(QString::fromUtf8(c.line));
        Wire();
        PressF4();
        PressF4();
        EXPECT_EQ(Wire(), Cat({c.wire, c.wire}));
        EXPECT_EQ(Editor().WholeText(), QString::fromUtf8(c.line));
        EXPECT_FALSE(modMain::CapturePending);
    }
}

// A link failure on the second press leaves the line and the pending state.
TEST_F(CaptureTest, ALinkFailureKeepsTheLine) {
    const QString line = QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100");
    Open(QStringLiteral("fail.bas"), line);
    Main().TimeOut.setInterval(250);
    PressF4();
    Wire();
    sim().injectFault(ControllerSim::Fault::NoReply, 3);  // the third reply byte of the block read
    PressF4();
    EXPECT_NE(vxIO::CommError, 0);
    EXPECT_EQ(Editor().WholeText(), line);
    EXPECT_TRUE(modMain::CapturePending);
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_TRUE(Boxes().Calls().empty());
}

// On the parallel port nothing can be read back: the capture is refused with
// a message instead of emptying the line.
TEST_F(CaptureTest, TheParallelPortIsRefusedWithAMessage) {
    const QString line = QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100");
    Open(QStringLiteral("par.bas"), line);
    modMain::PortType = 0;
    Boxes().Answer(platform::vbOK);
    PressF4();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(Boxes().Calls()[0].prompt, modMain::ParallelCaptureMessage());
    EXPECT_EQ(Boxes().Calls()[0].title, QStringLiteral("Capture Line"));
    EXPECT_FALSE(modMain::CapturePending);
    EXPECT_EQ(Editor().WholeText(), line);
    EXPECT_EQ(Wire(), Bytes{});
}

// Only model 2 captures.
TEST_F(CaptureTest, OtherModelsDoNothing) {
    Open(QStringLiteral("m1.bas"), QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));
    modMain::ControllerID = 1;
    PressF4();
    EXPECT_EQ(Wire(), Bytes{});
    EXPECT_FALSE(modMain::CapturePending);
}
