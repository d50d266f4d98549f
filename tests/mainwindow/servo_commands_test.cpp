// The main window's servo quick commands against the simulated controller:
// switching every servo off while remembering which were on, switching
// those on again where they stand, and inserting the servos' positions as
// MOVE lines; the bytes each sends, the lines each inserts, the routes from
// the editor's keys, the toolbar and the menu; and a dead or failing
// controller, which gives one error box and leaves the program usable.
#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <array>
#include <vector>

#include "SimulatedControllerFixture.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"
#include "platform/CodeEditor.h"

namespace {

// Model 2 (the program's default controller): memory read 0xF7 and write
// 0xF8 with two-byte addresses, servo positions at 768, motor flags at 1259
// and (also read) 1226.
constexpr int kPositionBase = 768;
constexpr int kFlagBase = 1259;
constexpr int kFlagBase2 = 1226;

void Add(Bytes& b, std::initializer_list<int> bytes) {
    for (int v : bytes) b.push_back(static_cast<uint8_t>(v));
}
void Read(Bytes& b, int address) { Add(b, {0xF7, address & 0xFF, address >> 8, 0}); }
void Write(Bytes& b, int address, int value) { Add(b, {0xF8, address & 0xFF, address >> 8, value}); }
void GetMotorOn(Bytes& b, int m) {
    Read(b, kFlagBase + m / 8);
    Read(b, kFlagBase2 + m / 8);
}

class ServoCommandsTest : public SimulatedControllerTest {
protected:
    void SetUp() override {
        SimulatedControllerTest::SetUp();
        if (HasFatalFailure()) return;
        frmMain& w = Start();
        ASSERT_EQ(modMain::PortType, 1);
        ASSERT_EQ(modMain::ControllerID, 2);
        ASSERT_EQ(modMain::ControllerType, 8);
        ASSERT_NE(Doc(), nullptr);
        w.TimeOut.setInterval(3000);
    }

    void TearDown() override {
        if (frmDoc* doc = Doc()) doc->Modified = false;
        frmWait::Unload();
        SimulatedControllerTest::TearDown();
    }
    static frmDoc* Doc() { return modApp::Docs(modApp::ActiveDoc); }

    // Servos that are on, at their positions.
    void SetServos(const std::vector<std::pair<int, int>>& on) {
        for (int m = 0; m < 24; ++m) sim().setServoPosition(m, 100);
        for (int i = 0; i < 3; ++i) sim().setRam(kFlagBase + i, 0);
        std::array<uint8_t, 3> flags{};
        for (const auto& [m, pos] : on) {
            flags[static_cast<size_t>(m / 8)] |= static_cast<uint8_t>(1 << (m % 8));
            sim().setServoPosition(m, static_cast<uint8_t>(pos));
        }
        for (int i = 0; i < 3; ++i) sim().setRam(kFlagBase + i, flags[static_cast<size_t>(i)]);
        sim().clearLogs();
    }

    std::vector<int> ServosOn() {
        std::vector<int> on;
        for (int m = 0; m < 24; ++m)
            if (sim().motorFlag(m)) on.push_back(m);
        return on;
    }

    // What the controller has received.  A command answered in full has had
    // every byte taken (each was answered); one that ended on a byte never
    // answered names how many it sent, since the simulator's thread may take
    // the last one only after the command has ended.
    Bytes Wire(size_t sent = 0) {
        EXPECT_TRUE(sim().waitForReceived(sent, 30000));
        EXPECT_TRUE(sim().waitIdle(30000));
        return sim().received();
    }

    // Presses a key in the active document's editor, as the user does.
    static void EditorKey(Qt::Key key) { QTest::keyClick(Doc()->rt, key); }

    // After a command: the port is closed and the wait window gone.
    void ExpectClosedAndIdle() {
        EXPECT_FALSE(Main().Comm.PortOpen());
        EXPECT_EQ(frmWait::Loaded(), nullptr);
        EXPECT_FALSE(vxIO::Busy());
    }
};

TEST_F(ServoCommandsTest, F10SwitchesEveryServoOffAndF11SwitchesTheRememberedOnesBackWhereTheyStand) {
    // Servos 3, 7, 12 and 20 are on; 3 reports 0 (no position yet), 7 a
    // position below the range, 20 one above it, 12 a usable one.
    SetServos({{3, 0}, {7, 5}, {12, 57}, {20, 200}});

    EditorKey(Qt::Key_F10);
    Bytes off;
    Add(off, {0xFA});
    for (int m = 0; m < 24; ++m) {
        GetMotorOn(off, m);
        Add(off, {0xE8, m});
    }
    EXPECT_EQ(Wire(), off);
    EXPECT_TRUE(ServosOn().empty());
    std::array<bool, 24> expectedWasOn{};
    for (int m : {3, 7, 12, 20}) expectedWasOn[static_cast<size_t>(m)] = true;
    EXPECT_EQ(Main().MotorWasOn, expectedWasOn);
    EXPECT_TRUE(Boxes().Calls().empty());
    ExpectClosedAndIdle();

    sim().clearLogs();
    EditorKey(Qt::Key_F11);
    Bytes on;
    Add(on, {0xFA});
    const std::vector<std::pair<int, int>> written = {{3, 100}, {7, 10}, {12, 57}, {20, 190}};
    for (const auto& [m, value] : written) {
        Add(on, {0xD2, m, 0});
        Write(on, 800 + m, value);
        Write(on, kPositionBase + m, value);
        Add(on, {0xE7, m});
    }
    EXPECT_EQ(Wire(), on);
    EXPECT_EQ(ServosOn(), (std::vector<int>{3, 7, 12, 20}));
    for (const auto& [m, value] : written) EXPECT_EQ(sim().servoPosition(m), value) << "servo " << m;
    EXPECT_TRUE(Boxes().Calls().empty());
    ExpectClosedAndIdle();
}

// Keys pressed while a servo command waits for the controller start no
// second exchange: their bytes would mix with the running command's.
TEST_F(ServoCommandsTest, CommandsStartedDuringAServoCommandAreRefused) {
    SetServos({{2, 90}});
    Doc()->rt->SetWholeText("X\r\n");
    int tries = 0;
    QTimer intruder;
    intruder.setInterval(1);
    QObject::connect(&intruder, &QTimer::timeout, [&] {
        ++tries;
        EditorKey(Qt::Key_F12);
        Main().Motor_sel_on();
        frmMain::Button(Main().tBar3, "motor_off")->trigger();
    });
    intruder.start();
    EditorKey(Qt::Key_F10);
    intruder.stop();
    EXPECT_GT(tries, 0);
    Bytes off;
    Add(off, {0xFA});
    for (int m = 0; m < 24; ++m) {
        GetMotorOn(off, m);
        Add(off, {0xE8, m});
    }
    EXPECT_EQ(Wire(), off);
    EXPECT_EQ(Doc()->rt->WholeText(), "X\r\n");
    EXPECT_TRUE(Main().MotorWasOn[2]);
    EXPECT_TRUE(Boxes().Calls().empty());
    ExpectClosedAndIdle();
}

TEST_F(ServoCommandsTest, F11BeforeAnyF10SwitchesNothingOn) {
    SetServos({});
    EditorKey(Qt::Key_F11);
    EXPECT_EQ(Wire(), Bytes{0xFA});
    EXPECT_TRUE(ServosOn().empty());
    ExpectClosedAndIdle();
}

TEST_F(ServoCommandsTest, F12InsertsTheMoveLinesOfTheServosThatAreOn) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> on;
        QString text;
    };
    std::vector<std::pair<int, int>> all;
    for (int m = 0; m < 24; ++m) all.emplace_back(m, 100);
    const QString hundreds = "100, 100, 100, 100, 100, 100\r\n";
    const std::vector<Case> cases = {
        {"every servo on at 100", all,
         "MOVE G6A, " + hundreds + "MOVE G6D, " + hundreds + "MOVE G6B, " + hundreds + "MOVE G6C, " + hundreds +
             "WAIT\r\n\r\n"},
        // Positions right-aligned in three characters; a servo that is off
        // is a single blank.  Group D (18..23) comes before B and C.
        {"mixed",
         {{0, 100}, {2, 95}, {3, 5}, {5, 190}, {18, 10}, {23, 99}, {6, 150}, {17, 42}},
         "MOVE G6A, 100,  ,  95,   5,  , 190\r\n"
         "MOVE G6D,  10,  ,  ,  ,  ,  99\r\n"
         "MOVE G6B, 150,  ,  ,  ,  ,  \r\n"
         "MOVE G6C,  ,  ,  ,  ,  ,  42\r\n"
         "WAIT\r\n\r\n"},
        {"every servo off",
         {},
         "MOVE G6A,  ,  ,  ,  ,  ,  \r\nMOVE G6D,  ,  ,  ,  ,  ,  \r\nMOVE G6B,  ,  ,  ,  ,  ,  \r\n"
         "MOVE G6C,  ,  ,  ,  ,  ,  \r\nWAIT\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetServos(c.on);
        platform::CodeEditor* rt = Doc()->rt;
        rt->SetWholeText("MAIN:\r\nGOTO MAIN\r\n");
        rt->PutCaret(1, 0);
        EditorKey(Qt::Key_F12);

        Bytes wire;
        Add(wire, {0xFA});
        std::array<bool, 24> on{};
        for (const auto& p : c.on) on[static_cast<size_t>(p.first)] = true;
        for (int m = 0; m < 24; ++m) {
            GetMotorOn(wire, m);
            if (on[static_cast<size_t>(m)]) Read(wire, kPositionBase + m);
        }
        EXPECT_EQ(Wire(), wire);
        EXPECT_EQ(rt->WholeText(), "MAIN:\r\n" + c.text + "GOTO MAIN\r\n");
        // Six lines below the line where the selection ended.
        const platform::EditorRange caret = rt->Selection(false);
        EXPECT_EQ(caret.EndLineNo, 7);
        EXPECT_EQ(caret.EndColNo, 0);
        EXPECT_TRUE(Boxes().Calls().empty());
        ExpectClosedAndIdle();
        // Reading the positions changes nothing on the controller.
        std::vector<int> expectedOn;
        for (const auto& p : c.on) expectedOn.push_back(p.first);
        std::sort(expectedOn.begin(), expectedOn.end());
        EXPECT_EQ(ServosOn(), expectedOn);
    }
}

TEST_F(ServoCommandsTest, F12ReplacesTheSelection) {
    SetServos({{0, 100}});
    platform::CodeEditor* rt = Doc()->rt;
    rt->SetWholeText("A\r\nOLD LINE\r\nB\r\n");
    rt->SelectRange(1, 0, 1, 3);  // "OLD"
    EditorKey(Qt::Key_F12);
    EXPECT_EQ(rt->WholeText(),
              "A\r\nMOVE G6A, 100,  ,  ,  ,  ,  \r\nMOVE G6D,  ,  ,  ,  ,  ,  \r\nMOVE G6B,  ,  ,  ,  ,  ,  \r\n"
              "MOVE G6C,  ,  ,  ,  ,  ,  \r\nWAIT\r\n\r\n LINE\r\nB\r\n");
    const platform::EditorRange caret = rt->Selection(false);
    EXPECT_EQ(caret.EndLineNo, 7);
    EXPECT_EQ(caret.EndColNo, 3);
    EXPECT_EQ(rt->LineText(7), " LINE");
}

TEST_F(ServoCommandsTest, ToolbarKeysRunTheirOwnProceduresAndTheMenuItemsAreCrossed) {
    frmMain& w = Main();
    SetServos({{4, 120}});
    platform::CodeEditor* rt = Doc()->rt;
    rt->SetWholeText(QString());

    frmMain::Button(w.tBar3, "motor_off")->trigger();
    EXPECT_TRUE(ServosOn().empty());
    EXPECT_TRUE(w.MotorWasOn[4]);

    sim().setServoPosition(4, 121);
    sim().clearLogs();
    frmMain::Button(w.tBar3, "motor_on")->trigger();
    EXPECT_EQ(ServosOn(), std::vector<int>{4});
    EXPECT_EQ(sim().servoPosition(4), 121);
    EXPECT_TRUE(rt->WholeText().isEmpty());

    frmMain::Button(w.tBar3, "motor_in")->trigger();
    EXPECT_TRUE(rt->WholeText().startsWith("MOVE G6A,  ,  ,  ,  , 121,  \r\n")) << rt->WholeText().toStdString();

    // "Motor All ON" (F11 in the menu) inserts the positions...
    rt->SetWholeText(QString());
    w.mnuMotor_sel_ON->trigger();
    EXPECT_TRUE(rt->WholeText().startsWith("MOVE G6A, ")) << rt->WholeText().toStdString();
    EXPECT_EQ(w.mnuMotor_sel_ON->shortcut(), QKeySequence(Qt::Key_F11));
    // ... and "Insert Motor Position" (F12) switches the remembered servos on.
    w.mnuMotor_all_OFF->trigger();
    EXPECT_TRUE(ServosOn().empty());
    rt->SetWholeText(QString());
    w.mnuMotor_sel_IN->trigger();
    EXPECT_EQ(ServosOn(), std::vector<int>{4});
    EXPECT_TRUE(rt->WholeText().isEmpty());
    EXPECT_EQ(w.mnuMotor_sel_IN->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(ServoCommandsTest, InsertWithoutADocumentSendsNothing) {
    Main().close_Click();
    ASSERT_EQ(modApp::ActiveDoc, 0);
    SetServos({{1, 100}});
    Main().Motor_sel_in();
    EXPECT_TRUE(Wire().empty());
    EXPECT_TRUE(Boxes().Calls().empty());
    ExpectClosedAndIdle();
}

// A dead controller: each command gives one error box with the time-out's
// code after one time-out, not one per servo, and the next command works
// once the controller answers again.
TEST_F(ServoCommandsTest, DeadControllerGivesOneBoxAndTheProgramStaysUsable) {
    struct Case {
        const char* name;
        Qt::Key key;
    };
    Main().TimeOut.setInterval(kShortTimeOutMs);
    SetServos({{3, 80}});
    Main().MotorWasOn[3] = true;
    for (const Case& c : {Case{"F10", Qt::Key_F10}, Case{"F11", Qt::Key_F11}, Case{"F12", Qt::Key_F12}}) {
        SCOPED_TRACE(c.name);
        sim().setSilent(true);
        sim().clearLogs();
        Doc()->rt->SetWholeText("X\r\n");
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        EditorKey(c.key);
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_TRUE(boxes.Calls()[0].prompt.startsWith("Error Code : -4\r\nExceed data communication time."))
            << boxes.Calls()[0].prompt.toStdString();
        EXPECT_EQ(boxes.Calls()[0].title, "Controller Error");
        // Only the stop command went out, and after its time-out nothing
        // more: one time-out, not one per servo.
        EXPECT_EQ(Wire(1), Bytes{0xFA});
        EXPECT_EQ(Doc()->rt->WholeText(), "X\r\n");
        ExpectClosedAndIdle();
    }
    EXPECT_TRUE(Main().MotorWasOn[3]);  // not overwritten by a read that failed

    sim().setSilent(false);
    sim().clearLogs();
    EditorKey(Qt::Key_F10);
    EXPECT_EQ(Wire().size(), 1u + 24 * (8 + 2));
    EXPECT_TRUE(ServosOn().empty());
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(ServoCommandsTest, PortThatCannotBeOpenedIsReportedAsSuch) {
    qputenv("QVV2_COM1", "/nonexistent/tty");
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    Main().Motor_all_off();
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_TRUE(boxes.Calls()[0].prompt.startsWith("Error Code : -1\r\nCan't open communication port."))
        << boxes.Calls()[0].prompt.toStdString();
    EXPECT_TRUE(sim().received().empty());
    ExpectClosedAndIdle();
}

// A failure in the middle of a servo loop stops the loop there: the servos
// after it are not touched, and a servo whose position read failed is not
// driven to the middle.
TEST_F(ServoCommandsTest, LinkErrorInTheMiddleOfALoopStopsItWithOneBox) {
    // The bytes before the one left unanswered are answered: the program's
    // own time-out, so that a simulator run late on a busy machine does not
    // end the loop at one of them.
    SetServos({{3, 80}, {7, 60}, {9, 70}});
    for (int m : {3, 7, 9}) Main().MotorWasOn[static_cast<size_t>(m)] = true;
    for (int m : {3, 7, 9}) {
        sim().setRam(kFlagBase + m / 8, static_cast<uint8_t>(sim().ram(kFlagBase + m / 8) & ~(1 << (m % 8))));
    }
    sim().setServoPosition(7, 0);
    sim().clearLogs();
    // Bytes of F11 up to servo 7's read: the stop, then servo 3's read,
    // two writes and the switch on; the read of 7 asks for its reply with
    // the byte after D2 07.
    const int replyRequest = 1 + (3 + 4 + 4 + 2) + 2;
    sim().injectFault(ControllerSim::Fault::NoReply, replyRequest);
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    EditorKey(Qt::Key_F11);
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_TRUE(boxes.Calls()[0].prompt.startsWith("Error Code : -4")) << boxes.Calls()[0].prompt.toStdString();
    const Bytes wire = Wire(static_cast<size_t>(replyRequest + 1));
    ASSERT_EQ(wire.size(), static_cast<size_t>(replyRequest + 1));
    EXPECT_EQ((Bytes{wire.end() - 3, wire.end()}), (Bytes{0xD2, 7, 0}));
    EXPECT_EQ(ServosOn(), std::vector<int>{3});
    EXPECT_EQ(sim().servoPosition(7), 0);  // not written 100
    ExpectClosedAndIdle();
}

TEST_F(ServoCommandsTest, AddTextReplacesTheSelectionAndMessageBoxShowsItsValues) {
    platform::CodeEditor* rt = Doc()->rt;
    rt->SetWholeText("ONE TWO\r\n");
    rt->SelectRange(0, 4, 0, 7);
    Main().AddText("THREE");
    EXPECT_EQ(rt->WholeText(), "ONE THREE\r\n");
    const platform::EditorRange caret = rt->Selection(false);
    EXPECT_TRUE(caret.IsEmpty());
    EXPECT_EQ(caret.EndColNo, 9);
    Main().AddText("A\r\nB");
    EXPECT_EQ(rt->WholeText(), "ONE THREEA\r\nB\r\n");
    EXPECT_EQ(rt->Selection(false).EndLineNo, 1);
    EXPECT_EQ(rt->Selection(false).EndColNo, 1);

    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbNo);
    Main().MessageBox("Really?", platform::vbYesNo | platform::vbQuestion, "Asking");
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].prompt, "Really?");
    EXPECT_EQ(boxes.Calls()[0].style, platform::vbYesNo | platform::vbQuestion);
    EXPECT_EQ(boxes.Calls()[0].title, "Asking");

    // Without a document there is nothing to add to.
    Doc()->Modified = false;
    Main().close_Click();
    ASSERT_EQ(modApp::ActiveDoc, 0);
    Main().AddText("lost");
}

}  // namespace
