// Running the caret line and the MOVE group lines around it on the simulated
// controller from the Controller menu, byte for byte on the wire; the
// one-line image a direct run leaves is never downloaded; a key handled
// while a command waits on the link starts no second command.
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "DirectRunFixture.h"
#include "compiler/QUARVELv2.h"
#include "build/DirectRun.h"
#include "link/DownloadProgram.h"
#include "link/frmRun.h"
#include "protocol/modMainDelay.h"

namespace {

struct LineCase {
    const char* name;
    int model;            // modMain::ControllerID
    const char* program;  // the document; the caret is on its last line
    Bytes wire;           // what the host sends
};

}  // namespace

// F5 with every controller type but 5: the line alone, else the document;
// outputs and motors limited by the model.
TEST_F(DirectRunTest, LineControlSendsEachStatementKind) {
    const LineCase cases[] = {
        {"output on", 2, "OUT 3, 5", {0xFA, 0xFE, 1, 3}},
        {"output off", 2, "OUT 3, 0", {0xFA, 0xFE, 0, 3}},
        {"output 31 on model 2", 2, "OUT 31, 1", {0xFA, 0xFE, 1, 31}},
        {"output 32 past model 2", 2, "OUT 32, 1", {}},
        {"output 11 on model 1", 1, "OUT 11, 1", {0xFA, 0xFE, 1, 11}},
        {"output 12 past model 1", 1, "OUT 12, 1", {}},
        {"servo", 2, "SERVO 1, 100", {0xFA, 0xE6, 1, 100}},
        {"servo 31 on model 2", 2, "SERVO 31, 100", {0xFA, 0xE6, 31, 100}},
        {"servo 32 past model 2", 2, "SERVO 32, 100", {}},
        {"servo 6 past model 1", 1, "SERVO 6, 100", {}},
        {"servo of a variable", 2, "DIM A AS BYTE\r\nSERVO A, 100", {}},
        {"label line", 2, "P1:", {}},
        {"label with a statement", 2, "P1: SERVO 2, 90", {0xFA, 0xE6, 2, 90}},
        {"blank line", 2, "   ", {}},
        {"comment line", 2, "' SERVO 1, 100", {}},
        {"six-motor move",
         2,
         "MOVE 100, 90, 80, 70, 60, 50",
         {0xFA, 0xE6, 0, 100, 0xE6, 1, 90, 0xE6, 2, 80, 0xE6, 3, 70, 0xE6, 4, 60, 0xE6, 5, 50}},
        {"group move skips empty fields",
         2,
         "MOVE G6B, 100, , 120, 130, 140, 150",
         {0xFA, 0xE6, 6, 100, 0xE6, 8, 120, 0xE6, 9, 130, 0xE6, 10, 140, 0xE6, 11, 150}},
        {"eight-motor group", 2, "MOVE G8D, 10, 20, 30, 40, 50, 60, 70, 80", {0xFA, 0xE6, 24,   10,   0xE6, 25,   20,
                                                                              0xE6, 26,   30,   0xE6, 27,   40,   0xE6,
                                                                              28,   50,   0xE6, 29,   60,   0xE6, 30,
                                                                              70,   0xE6, 31,   80}},
    };
    int fileNo = 0;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString program = QString::fromUtf8(c.program);
        Open(QStringLiteral("line%1.bas").arg(++fileNo), program, program.count(QStringLiteral("\r\n")));
        modMain::ControllerID = static_cast<int16_t>(c.model);
        Wire();
        Main().mnuCurrentLineControl->trigger();
        EXPECT_EQ(Wire(), c.wire);
        EXPECT_EQ(vxIO::CommError, 0);
        EXPECT_FALSE(Main().Comm.PortOpen());
        EXPECT_TRUE(Boxes().Calls().empty());
    }
}

// Model 1 moves six motors so that they arrive together: the speed of each
// is its way over the longest way, times 48, halves to even.
TEST_F(DirectRunTest, ModelOneEqualisesTheSpeedsOfABlock) {
    sim().setModel(1);
    modMain::ControllerID = 1;

    // The status bit 6 set: the current positions are read back.
    sim().setRam(47, 64);
    sim().setRam(116, 130);
    sim().setRam(117, 90);
    Open(QStringLiteral("eq.bas"), QStringLiteral("MOVE 100, 150, , , , "));
    Wire();
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xF5, 47,  0,    0xF5, 116, 0,    0xF5, 117, 0,            //
                             0xF6, 88,   24,  0xF6, 89,   48,  0xF6, 90,   0,   0xF6, 91, 0,  //
                             0xF6, 92,   0,   0xF6, 93,   0,                                  //
                             0xE6, 0,    100, 0xE6, 1,    150}));

    // Bit 6 clear: every speed is 48.
    sim().setRam(47, 0);
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xF5, 47,   0,  0xF6, 88,   48, 0xF6, 89,   48, 0xF6, 90,   48, 0xF6,
                             91,   48,   0xF6, 92, 48,   0xF6, 93, 48,   0xE6, 0,  100,  0xE6, 1,  150}));

    // Targets equal to the positions read back: nothing after the reads.
    sim().setRam(47, 64);
    sim().setRam(116, 100);
    sim().setRam(117, 150);
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xF5, 47, 0, 0xF5, 116, 0, 0xF5, 117, 0}));

    // A servo within model 1's range.
    Editor().SetWholeText(QStringLiteral("SERVO 5, 100"));
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xE6, 5, 100}));
    EXPECT_FALSE(Main().Comm.PortOpen());
}

// The position tables of controller type 2: a POS line runs its six
// positions, and MOVEPOS (which needs its label, so the document is
// compiled) runs the table stored at its target.
TEST_F(DirectRunTest, PositionTableAndMovePosRunTheirBlock) {
    Main().basic.Con_Type = 2;
    const Bytes pose{0xFA, 0xE6, 0, 100, 0xE6, 1, 101, 0xE6, 2, 102, 0xE6, 4, 104, 0xE6, 5, 105};
    Open(QStringLiteral("pos.bas"), QStringLiteral("P1: POS 100, 101, 102, , 104, 105\r\nMOVEPOS P1\r\n"), 1);
    Wire();
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), pose);
    EXPECT_TRUE(modMain::CompiledOK);  // the document's own image now

    Editor().PutCaret(0, 0);
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), pose);
}

// Controller type 5: the document is compiled, a comment is cut, OPEN and
// CLOSE set two outputs, and servos, outputs and blocks keep to their
// smaller ranges.
TEST_F(DirectRunTest, TypeFiveRunsTheLineOfTheWholeDocument) {
    modMain::ControllerType = 5;
    const LineCase cases[] = {
        {"open with a comment", 2, "  open ' grip", {227, 10, 1, 227, 11, 0}},
        {"close", 2, "CLOSE", {227, 10, 0, 227, 11, 1}},
        {"comment first is not cut", 2, "'open", {}},
        {"output", 2, "OUT 3, 5", {0xEE, 0xFE, 1, 3}},
        {"output past 6", 2, "OUT 7, 1", {}},
        {"servo", 2, "SERVO 3, 100", {0xEE, 0xE6, 3, 100}},
        {"servo past 3", 2, "SERVO 4, 100", {}},
        {"block uses motors 0 to 3", 2, "MOVE 100, 90, , 70, 60, 50", {0xEE, 0xE6, 0, 100, 0xE6, 1, 90, 0xE6, 3, 70}},
        {"group move", 2, "MOVE G6A, 100, 90, 80, 70, 60, 50", {}},
        {"caret on the second line", 2, "SERVO 1, 10\r\nSERVO 2, 20", {0xEE, 0xE6, 2, 20}},
    };
    int fileNo = 0;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString program = QString::fromUtf8(c.program);
        Open(QStringLiteral("t5_%1.bas").arg(++fileNo), program, program.count(QStringLiteral("\r\n")));
        Wire();
        Main().mnuCurrentLineControl->trigger();
        EXPECT_EQ(Wire(), c.wire);
        EXPECT_FALSE(Main().Comm.PortOpen());
    }
}

// The range of MOVE lines around the caret: each group once, one family,
// top to bottom, stopped by any other line.
TEST_F(DirectRunTest, GroupControlSendsTheBlockAroundTheCaret) {
    Open(QStringLiteral("pose.bas"),
         QStringLiteral("MOVE G6C, 50, 50, 50, 50, 50, 50\r\n"  // G6C again: ends the range upwards
                        "MOVE G6A, 100, 101, 102, 103, 104, 105\r\n"
                        "  move g6b, 110, 111, 112, 113, 114, 115 ' caret\r\n"
                        "동작 그룹6C, 120, , 122, 123, 124, 125\r\n"
                        "MOVE G8A, 60, 60, 60, 60, 60, 60, 60, 60\r\n"),  // another family
         2);
    Wire();
    Main().mnuCurrentGroupControl->trigger();
    Bytes expected{0xFA};
    for (int m = 0; m < 6; ++m) expected.insert(expected.end(), {0xE6, uint8_t(m), uint8_t(100 + m)});
    for (int m = 0; m < 6; ++m) expected.insert(expected.end(), {0xE6, uint8_t(6 + m), uint8_t(110 + m)});
    for (int m : {0, 2, 3, 4, 5}) expected.insert(expected.end(), {0xE6, uint8_t(12 + m), uint8_t(120 + m)});
    EXPECT_EQ(Wire(), expected);
    EXPECT_FALSE(Main().Comm.PortOpen());

    // The same group right above the caret line does not join.
    Open(QStringLiteral("twice.bas"),
         QStringLiteral("MOVE G6B, 90, 90, 90, 90, 90, 90\r\nMOVE G6B, 80, , , , , 81\r\n"), 1);
    Wire();
    Main().mnuCurrentGroupControl->trigger();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xE6, 6, 80, 0xE6, 11, 81}));

    // A caret line without a group word, or a label line, sends nothing.
    for (const char* line : {"MOVE 100, 100", "MOVE G12, 100", "P1: MOVE G6A, 100", "SERVO 1, 100"}) {
        SCOPED_TRACE(line);
        Editor().SetWholeText(QString::fromUtf8(line));
        Main().mnuCurrentGroupControl->trigger();
        EXPECT_EQ(Wire(), Bytes{});
    }

    // Only model 2 has group control.
    Editor().SetWholeText(QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100"));
    modMain::ControllerID = 1;
    Main().mnuCurrentGroupControl->trigger();
    EXPECT_EQ(Wire(), Bytes{});
}

// The one-line image of a direct run never reaches the controller's
// program: the download compiles the document again first.
TEST_F(DirectRunTest, DownloadAfterADirectRunSendsTheDocument) {
    Open(QStringLiteral("prog.bas"), QStringLiteral("MAIN:\r\nSERVO 1, 100\r\nGOTO MAIN\r\n"), 1);
    Main().mnuCurrentLineControl->trigger();
    EXPECT_EQ(Wire(), (Bytes{0xFA, 0xE6, 1, 100}));
    EXPECT_TRUE(modMain::SnippetImage);
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_EQ(Main().basic.Filename, u"LINE_CNT");

    // Ctrl+D in the document window, and OK in the download window.
    ASSERT_TRUE(DownloadByKeyPressingOK());
    EXPECT_FALSE(modMain::SnippetImage);
    EXPECT_EQ(Main().basic.Filename, HomeFile("prog.bas").toStdU16String());
    ASSERT_TRUE(TookDownloads(sim(), 1));
    ASSERT_EQ(sim().downloadCount(), 1);
    const auto& code = Main().basic.ObjCode;
    EXPECT_EQ(sim().downloadedImage(), Bytes(code.begin() + 1, code.begin() + Main().basic.TotalBytes + 1));
    EXPECT_TRUE(modMain::Downloaded);
}

// The memory clear's loop program replaces the compiler's image too: the
// next download sends the document, not the loop.
TEST_F(DirectRunTest, DownloadAfterAMemoryClearSendsTheDocument) {
    Open(QStringLiteral("prog.bas"), QStringLiteral("MAIN:\r\nSERVO 1, 100\r\nGOTO MAIN\r\n"));
    Main().mnuMake->trigger();
    ASSERT_TRUE(modMain::CompiledOK);
    // The image carries the compile's time, so two compiles of the program
    // are compared by its length and the document's name.
    auto image = [&] {
        const auto& code = Main().basic.ObjCode;
        return std::vector<uint8_t>(code.begin() + 1, code.begin() + Main().basic.TotalBytes + 1);
    };
    const size_t programSize = image().size();
    Boxes().Answer(platform::vbOK);  // the question
    Boxes().Answer(platform::vbOK);  // "cleared"
    Main().mnuMemClear->trigger();
    ASSERT_TRUE(TookDownloads(sim(), 1));
    ASSERT_EQ(sim().downloadCount(), 1);
    EXPECT_NE(sim().downloadedImage().size(), programSize);
    EXPECT_FALSE(modMain::CompiledOK);

    ASSERT_TRUE(DownloadByKeyPressingOK());
    ASSERT_TRUE(TookDownloads(sim(), 2));
    ASSERT_EQ(sim().downloadCount(), 2);
    EXPECT_EQ(Main().basic.Filename, HomeFile("prog.bas").toStdU16String());
    EXPECT_EQ(sim().downloadedImage().size(), programSize);
    EXPECT_EQ(sim().downloadedImage(), image());
}

TEST_F(DirectRunTest, TheDownloadRefusesASnippetImage) {
    Open(QStringLiteral("prog.bas"), QStringLiteral("SERVO 1, 100\r\n"));
    Main().mnuMake->trigger();
    ASSERT_TRUE(modMain::CompiledOK);
    QString line = QStringLiteral("SERVO 2, 100");
    ASSERT_TRUE(modMain::CompileSnippet(line));
    EXPECT_FALSE(modMain::CompiledOK);

    // Even with the flag set again by hand, the snippet's image is refused.
    modMain::CompiledOK = true;
    Boxes().Answer(platform::vbOK);
    Wire();
    EXPECT_FALSE(modMain::DownloadProgram());
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(Boxes().Calls()[0].title, QStringLiteral("Compile Error"));
    EXPECT_EQ(Wire(), Bytes{});
    EXPECT_EQ(sim().downloadCount(), 0);
}

// F5 pressed again while the first F5 waits on the link starts nothing; the
// first command's bytes come out whole and in order.
TEST_F(DirectRunTest, AKeyDuringAWaitStartsNoSecondCommand) {
    Open(QStringLiteral("pose.bas"),
         QStringLiteral("MOVE G6A, 100, 101, 102, 103, 104, 105\r\nMOVE G6B, 110, 111, 112, 113, 114, 115\r\n"));
    sim().setBaud(9600);  // slow answers: the commands spend their time waiting
    Wire();
    int pressed = 0;
    // On every turn of the event queue, that is in every wait of the command
    // for an answer, whatever the machine's load.
    QTimer presser;
    presser.setInterval(0);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        ++pressed;
        Main().mnuCurrentLineControl->trigger();
        Main().mnuCurrentGroupControl->trigger();
        QTest::keyClick(&Editor(), Qt::Key_F4);
    });
    presser.start();
    Main().mnuCurrentGroupControl->trigger();
    presser.stop();
    EXPECT_GT(pressed, 3);
    Bytes expected{0xFA};
    for (int m = 0; m < 12; ++m)
        expected.insert(expected.end(), {0xE6, uint8_t(m), uint8_t(100 + m + (m >= 6 ? 4 : 0))});
    EXPECT_EQ(Wire(), expected);
    EXPECT_FALSE(modMain::CapturePending);
    EXPECT_FALSE(Main().Comm.PortOpen());
}

TEST(DirectRunGroups, GroupWordsOfBothLanguages) {
    const struct {
        const char* word;
        int first;
        int motors;
        int command;
    } table[] = {
        {"G6A", 0, 6, 215}, {"g6e", 24, 6, 219},    {"그룹6C", 12, 6, 217},
        {"G8A", 0, 8, 211}, {"그룹8D", 24, 8, 214}, {"g8b", 8, 8, 212},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.word);
        const vxIO::MotorGroup* g = modMain::FindGroup(QString::fromUtf8(row.word));
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->firstMotor, row.first);
        EXPECT_EQ(g->motors, row.motors);
        EXPECT_EQ(g->command, row.command);
    }
    for (const char* word : {"G6F", "G8E", "G12", "G6", "그룹6", "6A", "", "G6AA"})
        EXPECT_EQ(modMain::FindGroup(QString::fromUtf8(word)), nullptr) << word;
}
