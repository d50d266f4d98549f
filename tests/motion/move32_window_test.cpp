// The real-time group servo window against the simulated controller: the
// load's wire sequence and limits, knob moves without a backlog, captures,
// the inserted MOVE lines, folding, a dead controller, and the unload.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <functional>

#include "KnobPointer.h"
#include "Move32Fixture.h"
#include "ServoMoves.h"
#include "WaitFor.h"
#include "platform/Twips.h"

namespace {

ServoKnob* Knob(frmMove32_G6& w, int i) { return w.servo[static_cast<size_t>(i)]; }
QCheckBox* Box(frmMove32_G6& w, int i) { return w.chk_Motor[static_cast<size_t>(i)]; }

std::vector<std::pair<int, int>> Moves(const Bytes& wire) { return ServoMovesOnWire(wire); }

TEST_F(Move32Test, OpeningReadsTheTwentyFourMotorsInOrderAndAppliesTheLimits) {
    StartWithDocument("'$LIMIT 3, 20, 150\r\n'$LIMIT 5, 40, 180\r\nMAIN:\r\nGOTO MAIN\r\n");
    sim().setServoPosition(3, 200);  // above its limit: shown as 150
    sim().setServoPosition(5, 30);   // below its limit: shown as 40
    sim().setServoPosition(9, 120);
    SetMotorFlag(7);  // on, at 100: the capture changes nothing
    SetMotorFlag(9);  // on, at 120: captured and stored
    sim().clearLogs();

    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(Boxes().Calls().empty());

    Bytes expected{0xFA};
    for (int i = 0; i < 24; ++i) {
        Read(expected, 1259 + i / 8);
        Read(expected, 1226 + i / 8);
        Read(expected, 768 + i);
        if (i == 7) expected.insert(expected.end(), {0xD2, 7, 0, 0xE7, 7});
        if (i == 9) {
            expected.insert(expected.end(), {0xD2, 9, 0});
            Write(expected, 809, 120);
            Write(expected, 777, 120);
            expected.insert(expected.end(), {0xE7, 9});
        }
    }
    EXPECT_EQ(Wire(), expected);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("24 Servo Motors Real-Time Control Window"));
    EXPECT_EQ(Box(*w, 0)->text(), QStringLiteral("Motor0"));
    EXPECT_EQ(Box(*w, 23)->text(), QStringLiteral("Motor23"));
    EXPECT_EQ(Knob(*w, 3)->Value(), 150);
    EXPECT_EQ(Knob(*w, 3)->Max(), 150);
    EXPECT_EQ(Knob(*w, 3)->Min(), 20);
    EXPECT_EQ(Knob(*w, 5)->Value(), 40);
    EXPECT_EQ(Knob(*w, 5)->Min(), 40);
    EXPECT_EQ(Knob(*w, 9)->Value(), 120);
    EXPECT_EQ(Knob(*w, 0)->Min(), 10);
    EXPECT_EQ(Knob(*w, 0)->Max(), 190);
    for (int i = 0; i < 24; ++i) {
        const bool on = i == 7 || i == 9;
        EXPECT_EQ(Box(*w, i)->isChecked(), on) << i;
        EXPECT_EQ(Knob(*w, i)->On(), on) << i;
    }
    EXPECT_TRUE(Main().Comm.PortOpen());
    EXPECT_FALSE(Main().mnuController->menuAction()->isEnabled());
    EXPECT_FALSE(Main().tBar3->isEnabled());
}

TEST_F(Move32Test, TurningAKnobMovesItsServoAndCodeValuesMoveNothing) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    ServoKnob* knob = Knob(*w, 13);
    knob->SetOn(true);
    sim().clearLogs();

    QTest::keyClick(knob, Qt::Key_Up);
    QTest::keyClick(knob, Qt::Key_PageDown);
    ASSERT_TRUE(knob->SetValue(150));  // a value from code: no move
    EXPECT_FALSE(knob->SetValue(191));
    EXPECT_EQ(Wire(), Bytes({0xE6, 13, 101, 0xE6, 13, 91}));
    EXPECT_EQ(sim().servoPosition(13), 91);
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(Move32Test, AFastDragSendsTheLatestValueInsteadOfABacklog) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    sim().clearLogs();

    // The first move's last echo is slow; meanwhile a hand turns two knobs
    // forty times each.
    sim().injectFault(ControllerSim::Fault::LateReply, 2, 800);
    const motion_wait::DuringTheNextWait hand([&] {
        for (int turn = 1; turn <= 40; ++turn) {
            w->servo_Change(0, static_cast<int16_t>(20 + turn));
            w->servo_Change(1, static_cast<int16_t>(150 - turn));
        }
    });
    w->servo_Change(0, 20);  // waits for the slow echo while the hand turns
    ASSERT_TRUE(hand.Done()) << "the hand did not turn during the slow echo";
    w->servo_Change(1, 77);  // a turn once the link is free goes out at once

    // One move at a time: the one in flight, then the latest of each knob.
    EXPECT_EQ(Moves(Wire()), (std::vector<std::pair<int, int>>{{0, 20}, {1, 110}, {0, 60}, {1, 77}}));
    EXPECT_EQ(sim().servoPosition(0), 60);
    EXPECT_EQ(sim().servoPosition(1), 77);
    EXPECT_EQ(w->PendingMove(0), -1);
    EXPECT_EQ(w->PendingMove(1), -1);
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(Move32Test, AKnobDraggedThroughItsGapHoldsItsServoAtTheEnd) {
    using namespace knob_pointer;
    StartWithDocument("'$LIMIT 13, 30, 170\r\n");
    SetMotorFlag(13);
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    ServoKnob* knob = Knob(*w, 13);
    ASSERT_TRUE(knob->On());
    sim().clearLogs();

    // From twelve o'clock clockwise past the upper end, through the gap and
    // on into the range's lower side, then back through the gap and across
    // the upper end to three o'clock: small steps, as a hand moves.
    const double unitsPerDegree = (170 - 30) / 300.0;
    double sweep = 150;
    QPoint pointer = AtSweep(*knob, sweep);
    QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, pointer);
    int before = knob->Value();
    std::vector<int> shown{before};  // each new value the knob showed
    for (const double to : {400.0, 240.0}) {
        const double step = to > sweep ? 2.0 : -2.0;
        while (std::abs(to - sweep) > 1e-9) {
            sweep = std::abs(to - sweep) < 2.0 ? to : sweep + step;
            const QPoint at = AtSweep(*knob, sweep);
            QTest::mouseMove(knob, at);
            SCOPED_TRACE("pointer at " + std::to_string(sweep));
            EXPECT_LE(std::abs(knob->Value() - before), Turned(*knob, pointer, at) * unitsPerDegree + 1.0);
            if (InGap(sweep)) {
                EXPECT_EQ(knob->Value(), 170);
                // The controller holds the servo at the end, too.
                ASSERT_TRUE(sim().waitIdle(2000));
                EXPECT_EQ(sim().servoPosition(13), 170);
            }
            before = knob->Value();
            if (before != shown.back()) shown.push_back(before);
            pointer = at;
        }
    }
    QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, pointer);
    EXPECT_EQ(knob->Value(), shown.back());

    // The controller received the knob's positions one by one (the press at
    // twelve o'clock is where it already stood): the small steps checked
    // above, up to the limit, and back down to three o'clock.
    std::vector<std::pair<int, int>> expected;
    for (const int v : shown) expected.emplace_back(13, v);
    EXPECT_EQ(shown.front(), 100);
    expected.erase(expected.begin());
    EXPECT_EQ(Moves(Wire()), expected);
    EXPECT_EQ(*std::max_element(shown.begin(), shown.end()), 170);
    EXPECT_EQ(*std::min_element(shown.begin(), shown.end()), 100);
    EXPECT_EQ(sim().servoPosition(13), 30 + 140 * 240 / 300);
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(Move32Test, MovesThatPileUpDuringOneWaitGoOutOncePerKnob) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    sim().clearLogs();

    sim().injectFault(ControllerSim::Fault::LateReply, 2, 200);
    const motion_wait::DuringTheNextWait hand([&] {
        for (int v = 30; v <= 90; ++v) w->servo_Change(4, static_cast<int16_t>(v));
        w->servo_Change(2, 55);
        EXPECT_EQ(w->PendingMove(4), 90);
    });
    w->servo_Change(4, 25);
    ASSERT_TRUE(hand.Done());
    // One move at a time: the one in flight, then the latest of each knob.
    EXPECT_EQ(Moves(Wire()), (std::vector<std::pair<int, int>>{{4, 25}, {2, 55}, {4, 90}}));
}

// A move whose echo comes back wrong (a glitch on the line) breaks off its
// frame, and the controller may still be waiting for the frame's rest: a
// byte sent now would be taken as that rest.  Nothing goes out until the
// reply time-out has passed since the failing byte; the knob follows the
// hand meanwhile, and then its servo is sent the last value asked for, once.
// A move that got no echo at all has waited that long already.  Closed
// during the quiet time, the window sends nothing more.
TEST_F(Move32Test, AfterABrokenMoveTheKnobWaitsForTheQuietLineThenSendsItsLatestValue) {
    StartWithDocument();
    QPointer<frmMove32_G6> w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    constexpr int kTimeOutMs = kFaultTimeOutMs;
    Main().TimeOut.setInterval(kTimeOutMs);
    // The line stays quiet for the time-out, but at least for the floor.
    const int kQuietMs = std::max(kTimeOutMs, vxIO::QuietFloorMs());
    ServoKnob* knob = Knob(*w, 0);
    knob->SetOn(true);
    struct Case {
        const char* what;
        ControllerSim::Fault fault;
        int byteOfMove;  // 1 the motor byte, 2 the position
        bool close;
    };
    const Case cases[] = {
        {"wrong echo of the motor byte", ControllerSim::Fault::WrongEcho, 1, false},
        {"wrong echo of the position byte", ControllerSim::Fault::WrongEcho, 2, false},
        {"no echo of the motor byte", ControllerSim::Fault::NoReply, 1, false},
        {"closed during the quiet time", ControllerSim::Fault::WrongEcho, 1, true},  // last: the window goes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w);
        ASSERT_TRUE(motion_wait::QuietLine());  // a quiet line to start from
        ASSERT_TRUE(knob->SetValue(100));
        sim().clearLogs();
        // The first step goes through, the second's frame breaks off, nine
        // more come while the line must stay quiet (or the second's echo is
        // still awaited).
        sim().injectFrameFault(c.fault, 0xE6, c.byteOfMove, 1);
        QTest::keyClick(knob, Qt::Key_Up);
        int steps = 0;
        QTimer hand;
        hand.setInterval(20);
        QObject::connect(&hand, &QTimer::timeout, [&] {
            if (!w) return hand.stop();
            QTest::keyClick(knob, Qt::Key_Up);
            if (++steps == 9) hand.stop();
            if (c.close && steps == 5) w->close();
        });
        hand.start();
        QTest::keyClick(knob, Qt::Key_Up);
        if (c.close) {
            // Long enough for anything still kept to have gone out.
            ASSERT_TRUE(motion_wait::Until([&] { return !w; }));
            QTest::qWait(2 * kQuietMs + 200);
        } else {
            // The servo follows the knob's last step.
            ASSERT_TRUE(motion_wait::Until([&] { return !hand.isActive() && sim().servoPosition(0) == 111; }));
        }
        ASSERT_FALSE(hand.isActive());

        const size_t failing = 3 + static_cast<size_t>(c.byteOfMove);
        Bytes sentUntilFault{0xE6, 0, 101, 0xE6, 0, 102};
        sentUntilFault.resize(failing + 1);
        ASSERT_TRUE(sim().waitIdle(2000));
        const Bytes wire = sim().received();
        ASSERT_GE(wire.size(), failing + 1);
        EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(failing + 1)), sentUntilFault);
        const SentAfterByte after = SentAfter(sim(), failing);
        if (c.close) {
            EXPECT_TRUE(after.bytes.empty()) << "sent after the window closed";
            EXPECT_FALSE(w);
            EXPECT_FALSE(Main().Comm.PortOpen());
            continue;
        }
        EXPECT_EQ(after.bytes, Bytes({0xE6, 0, 111}));
        // The quiet time runs from the failing byte, not from the end of its
        // wait.
        EXPECT_GE(after.HostPauseAtLeastMs(), kQuietMs - 30);
        EXPECT_LT(after.firstAfterMs, 2 * kQuietMs - 100);
        EXPECT_EQ(knob->Value(), 111);
        EXPECT_EQ(sim().servoPosition(0), 111);
        EXPECT_EQ(w->PendingMove(0), -1);
        EXPECT_TRUE(Boxes().Calls().empty());
    }
}

// The keys and check boxes of the window send nothing while a broken frame
// keeps the line quiet, and drop nothing either: a click made meanwhile
// waits under the busy cursor (a check box showing its new state), and once
// the line is quiet the clicks are carried out in the order they were made,
// a knob turned between them in its place.  When the first of them then
// fails on the link, its box goes back with one error box and the clicks
// after it are dropped, each box back as it was; the knob still follows
// once the line is quiet again.  A close during the quiet time drops it all.
TEST_F(Move32Test, ClicksDuringTheQuietLineAfterABrokenMoveAreCarriedOutAfterItInOrder) {
    StartWithDocument();
    constexpr int kTimeOutMs = kFaultTimeOutMs;
    Main().TimeOut.setInterval(kTimeOutMs);
    enum class Then { Done, FirstFails, Closed };
    const struct {
        const char* what;
        Then then;
    } cases[] = {
        {"carried out once the line is quiet", Then::Done},
        {"the first click fails", Then::FirstFails},
        {"closed during the quiet time", Then::Closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(motion_wait::QuietLine());
        for (int k = 0; k < 4; ++k) sim().setRam(ControllerSim::motorFlagBase(2) + k, 0);
        sim().setServoPosition(2, 100);
        QPointer<frmMove32_G6> w = OpenFromMenu();
        ASSERT_NE(w, nullptr);
        const auto busyCursor = [&] {
            return w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::BusyCursor;
        };
        ServoKnob* knob = Knob(*w, 2);
        knob->SetOn(true);
        sim().clearLogs();
        sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xE6, 1);
        QTest::keyClick(knob, Qt::Key_Up);
        ASSERT_TRUE(sim().waitIdle(2000));
        ASSERT_EQ(sim().received(), Bytes({0xE6, 2}));
        const size_t failing = 1;
        const int quietMs = vxIO::BrokenFrameQuietMs();
        ASSERT_GT(quietMs, 200);
        if (c.then == Then::FirstFails) sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xD2, 1);

        Box(*w, 4)->click();
        w->cmdServoCapture[5]->click();
        QTest::keyClick(knob, Qt::Key_Up);
        w->cmd_Groupcapture[1]->click();
        w->chkAll[3]->click();
        EXPECT_TRUE(Box(*w, 4)->isChecked()) << "the box shows the click while it waits";
        EXPECT_TRUE(w->chkAll[3]->isChecked());
        EXPECT_TRUE(busyCursor());
        if (c.then == Then::Closed) {
            QTest::qWait(50);
            w->close();
            Settle();
            EXPECT_FALSE(w);
            QTest::qWait(quietMs + 300);
            EXPECT_TRUE(SentAfter(sim(), failing).bytes.empty()) << "sent after the window closed";
            EXPECT_FALSE(Main().Comm.PortOpen());
            continue;
        }
        // Nothing goes behind the broken frame before its quiet time is over:
        // the times of the bytes that follow it show that (below).

        if (c.then == Then::FirstFails) {
            Boxes().Answer(platform::vbOK);
            ASSERT_TRUE(motion_wait::Until([&] { return !Boxes().Calls().empty(); }));
            ASSERT_EQ(Boxes().Calls().size(), 1u);
            EXPECT_TRUE(Boxes().Calls()[0].prompt.startsWith(QStringLiteral("Error Code : -5\r\n")));
            // The knob's turn waits for the line to be quiet once more.
            ASSERT_TRUE(motion_wait::Until([&] { return sim().servoPosition(2) == 102; }));
            ASSERT_TRUE(sim().waitIdle(2000));
            const SentAfterByte after = SentAfter(sim(), failing);
            EXPECT_EQ(after.bytes, Bytes({0xD2, 4, 0xE6, 2, 102}));
            EXPECT_GE(after.HostPauseAtLeastMs(), quietMs - 5);
            EXPECT_FALSE(Box(*w, 4)->isChecked());
            EXPECT_FALSE(w->chkAll[3]->isChecked());
            for (int i : {4, 18, 23}) EXPECT_FALSE(sim().motorFlag(i)) << i;
            EXPECT_EQ(sim().servoPosition(2), 102);
            EXPECT_FALSE(busyCursor());
            EXPECT_EQ(Boxes().Calls().size(), 1u);
            w->close();
            Settle();
            continue;
        }
        // Group D's last motor switched on ends the clicks.
        ASSERT_TRUE(motion_wait::Until([&] { return !busyCursor() && sim().motorFlag(23); }));
        ASSERT_TRUE(sim().waitIdle(2000));
        // Motor 4 read and switched on, motor 5 read, the knob's turn, group
        // B read, then group D's six motors switched on one by one.
        Bytes expected{0xD2, 4, 0, 0xE7, 4, 0xD2, 5, 0, 0xE6, 2, 102, 0xD8, 0, 0, 0, 0, 0, 0};
        for (int i = 18; i < 24; ++i) {
            expected.insert(expected.end(), {0xD2, static_cast<uint8_t>(i), 0, 0xE7, static_cast<uint8_t>(i), 0xD2,
                                             static_cast<uint8_t>(i), 0});
            Write(expected, 800 + i, 100);
            Write(expected, 768 + i, 100);
            expected.insert(expected.end(), {0xE7, static_cast<uint8_t>(i)});
        }
        const SentAfterByte after = SentAfter(sim(), failing);
        EXPECT_EQ(after.bytes, expected);
        EXPECT_GE(after.HostPauseAtLeastMs(), quietMs - 5);
        EXPECT_TRUE(Box(*w, 4)->isChecked());
        for (int i : {4, 18, 23}) EXPECT_TRUE(sim().motorFlag(i)) << i;
        EXPECT_EQ(sim().servoPosition(2), 102);
        EXPECT_FALSE(busyCursor());
        EXPECT_TRUE(Boxes().Calls().empty());
        w->close();
        Settle();
    }
}

TEST_F(Move32Test, CapturesTakeOnlyPositionsInRange) {
    StartWithDocument("'$LIMIT 11, 20, 140\r\n");
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);

    // Group B: motors 6 to 11.
    const uint8_t replies[6] = {5, 200, 10, 190, 130, 150};
    for (int k = 0; k < 6; ++k) sim().setServoPosition(6 + k, replies[k]);
    sim().clearLogs();
    w->cmd_Groupcapture[1]->click();
    EXPECT_EQ(Wire(), Bytes({0xD8, 0, 0, 0, 0, 0, 0}));  // nothing written back
    // 150 is above motor 11's limit, but that is where its servo stands.
    const int expected[6] = {100, 100, 10, 190, 130, 150};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(Knob(*w, 6 + k)->Value(), expected[k]) << 6 + k;
    EXPECT_TRUE(w->txt->hasFocus() || !w->isActiveWindow());

    // One motor: a difference of one changes nothing; more is taken and stored.
    struct Case {
        int reply;
        int knob;
        bool stored;
    } cases[] = {{101, 100, false}, {99, 100, false}, {102, 102, true}, {9, 102, false}, {191, 102, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        sim().setServoPosition(0, static_cast<uint8_t>(c.reply));
        sim().setRam(800, 0);
        sim().clearLogs();
        w->cmdServoCapture[0]->click();
        Bytes expectedWire{0xD2, 0, 0};
        if (c.stored) {
            Write(expectedWire, 800, static_cast<uint8_t>(c.reply));
            Write(expectedWire, 768, static_cast<uint8_t>(c.reply));
        }
        EXPECT_EQ(Wire(), expectedWire);
        EXPECT_EQ(Knob(*w, 0)->Value(), c.knob);
    }
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(Move32Test, ACapturedFreeServoKeepsItsPlaceWhenSwitchedOnAndTurnedAgain) {
    // Motor 0 is on at 100; the user frees it, turns the servo by hand,
    // captures it, switches it on again and touches its knob.
    struct Case {
        const char* what;
        const char* limits;  // the document's directives
        int hand;            // where the hand leaves the servo
        int knob;            // the knob after the capture
        bool stored;         // the capture stores the position
    } cases[] = {
        {"turned to 30", "", 30, 30, true},
        {"turned below the motor's limit", "'$LIMIT 0, 40, 160\r\n", 30, 30, true},
        {"turned above the motor's limit", "'$LIMIT 0, 40, 160\r\n", 175, 175, true},
        {"turned to the capture range's end", "", 190, 190, true},
        {"turned by one", "", 101, 100, false},
        {"a reading below the capture range", "", 9, 100, false},
        {"a reading above the capture range", "", 191, 100, false},
    };
    StartWithDocument();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Editor()->SetWholeText(QString::fromLatin1(c.limits));
        sim().setServoPosition(0, 100);
        SetMotorFlag(0);
        frmMove32_G6* w = OpenFromMenu();
        ASSERT_NE(w, nullptr);
        ServoKnob* knob = Knob(*w, 0);
        ASSERT_TRUE(Box(*w, 0)->isChecked());
        ASSERT_EQ(knob->Value(), 100);

        sim().clearLogs();
        QTest::mouseClick(Box(*w, 0), Qt::LeftButton);
        EXPECT_EQ(Wire(), Bytes({0xE8, 0}));
        EXPECT_FALSE(knob->On());
        sim().turnByHand(0, static_cast<uint8_t>(c.hand));

        sim().clearLogs();
        QTest::mouseClick(w->cmdServoCapture[0], Qt::LeftButton);
        Bytes capture{0xD2, 0, 0};
        if (c.stored) {
            Write(capture, 800, static_cast<uint8_t>(c.hand));
            Write(capture, 768, static_cast<uint8_t>(c.hand));
        }
        EXPECT_EQ(Wire(), capture);
        EXPECT_EQ(knob->Value(), c.knob);
        EXPECT_EQ(sim().servoPosition(0), c.stored ? c.hand : 100);
        EXPECT_EQ(sim().ram(800), c.stored ? c.hand : 0);

        // Ticked again: read once more (the knob is there already), switched on.
        sim().clearLogs();
        QTest::mouseClick(Box(*w, 0), Qt::LeftButton);
        EXPECT_EQ(Wire(), Bytes({0xD2, 0, 0, 0xE7, 0}));
        EXPECT_TRUE(knob->On());
        EXPECT_EQ(knob->Value(), c.knob);
        // Switched on, the servo goes to its stored position: where it stood.
        if (c.stored) {
            EXPECT_EQ(sim().servoStandsAt(0), c.hand);
        }

        // A small touch moves it one step from there, inward when it stands
        // outside the limits.
        const int inward = c.knob >= knob->Max() ? -1 : 1;
        sim().clearLogs();
        QTest::keyClick(knob, inward > 0 ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(Moves(Wire()), (std::vector<std::pair<int, int>>{{0, c.knob + inward}}));
        EXPECT_EQ(sim().servoStandsAt(0), c.knob + inward);
        EXPECT_TRUE(Boxes().Calls().empty());

        w->close();
        Settle();
        sim().setRam(800, 0);
    }
}

TEST_F(Move32Test, AKnobCapturedOutsideItsLimitsIsDraggedOnFromWhereItStands) {
    using namespace knob_pointer;
    StartWithDocument("'$LIMIT 0, 40, 160\r\n");
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    w->show();
    ServoKnob* knob = Knob(*w, 0);
    sim().turnByHand(0, 30);
    w->cmdServoCapture[0]->click();
    QTest::mouseClick(Box(*w, 0), Qt::LeftButton);
    ASSERT_EQ(knob->Value(), 30);
    ASSERT_TRUE(knob->On());
    sim().clearLogs();

    // Pressed just beside the pointer and turned a little clockwise.
    QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, AtSweep(*knob, 4));
    for (double sweep = 6; sweep <= 20; sweep += 2) QTest::mouseMove(knob, AtSweep(*knob, sweep));
    QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, AtSweep(*knob, 20));
    const auto moves = Moves(Wire());
    ASSERT_FALSE(moves.empty());
    int before = 30;
    for (const auto& [motor, position] : moves) {
        EXPECT_EQ(motor, 0);
        EXPECT_GT(position, before);
        EXPECT_LE(position - before, 3) << "a jump";
        before = position;
    }
    EXPECT_LE(before, 40);
    EXPECT_EQ(knob->Value(), before);
    EXPECT_EQ(sim().servoStandsAt(0), before);
    EXPECT_EQ(knob->Min(), 40);
}

TEST_F(Move32Test, AKnobTurnedWhileItsCaptureWaitsIsNotPutBack) {
    StartWithDocument();
    SetMotorFlag(0);
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    ServoKnob* knob = Knob(*w, 0);
    ASSERT_TRUE(knob->On());
    sim().clearLogs();
    // The read's reply is slow; meanwhile the hand turns the knob.
    sim().injectFault(ControllerSim::Fault::LateReply, 2, 300);
    const motion_wait::DuringTheNextWait hand([knob] { QTest::keyClick(knob, Qt::Key_PageUp); },
                                              [this] { return sim().received().size() >= 3; });
    w->cmdServoCapture[0]->click();
    ASSERT_TRUE(hand.Done());
    Settle();
    // The turn is newer than the position read: the knob keeps it, nothing
    // is stored, and the servo follows the knob.
    EXPECT_EQ(Wire(), Bytes({0xD2, 0, 0, 0xE6, 0, 110}));
    EXPECT_EQ(knob->Value(), 110);
    EXPECT_EQ(sim().servoStandsAt(0), 110);
    EXPECT_EQ(w->PendingMove(0), -1);
}

TEST_F(Move32Test, CaptureAllSkipsFoldedGroupsAndNeverTouchesGroupE) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    w->cmdHide[1]->click();  // fold B
    sim().clearLogs();
    w->cmdCaptureAll->click();
    Bytes expected;
    for (uint8_t command : {0xD7, 0xD9, 0xDA}) {
        expected.push_back(command);
        expected.insert(expected.end(), 6, 0);
    }
    EXPECT_EQ(Wire(), expected);
}

TEST_F(Move32Test, TickingAGroupSwitchesItsMotorsOnAndClearingSwitchesThemOff) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    sim().setServoPosition(18, 60);
    sim().clearLogs();
    w->chkAll[3]->click();
    ASSERT_TRUE(sim().waitIdle(2000));
    for (int i = 18; i < 24; ++i) {
        EXPECT_TRUE(Box(*w, i)->isChecked()) << i;
        EXPECT_TRUE(Knob(*w, i)->On()) << i;
        EXPECT_TRUE(sim().motorFlag(i)) << i;
    }
    EXPECT_EQ(Knob(*w, 18)->Value(), 60);
    EXPECT_FALSE(sim().motorFlag(17));

    w->chkAll[3]->click();
    ASSERT_TRUE(sim().waitIdle(2000));
    for (int i = 18; i < 24; ++i) {
        EXPECT_FALSE(Box(*w, i)->isChecked()) << i;
        EXPECT_FALSE(Knob(*w, i)->On()) << i;
        EXPECT_FALSE(sim().motorFlag(i)) << i;
    }
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST(Move32LineTest, MoveLinesAreFormattedItemByItem) {
    struct Case {
        int group;
        std::array<int16_t, 6> positions;
        std::array<bool, 6> ticked;
        const char* line;
    } cases[] = {
        {0,
         {100, 95, 5, 0, 0, 0},
         {true, true, true, false, false, false},
         "MOVE G6A,100,  95,   5,    ,    ,    \r\n"},
        {1,
         {100, 100, 100, 100, 100, 100},
         {false, false, false, false, false, false},
         "MOVE G6B,   ,    ,    ,    ,    ,    \r\n"},
        {3,
         {10, 190, 255, 11, 99, 100},
         {true, true, true, true, true, true},
         "MOVE G6D, 10, 190, 255,  11,  99, 100\r\n"},
        {4, {1, 2, 3, 4, 5, 6}, {false, true, false, true, false, true}, "MOVE G6E,   ,   2,    ,   4,    ,   6\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(frmMove32_G6::MoveLineText(c.group, c.positions, c.ticked).toStdString(), c.line);
    }
}

TEST_F(Move32Test, InsertReplacesTheSelectionAndPutsTheCaretAfterIt) {
    StartWithDocument("L0\r\nL1\r\nL2\r\nL3\r\nL4\r\nL5\r\nL6\r\nL7\r\n");
    SetMotorFlag(12);
    sim().setServoPosition(12, 95);
    sim().setServoPosition(14, 5);  // off: shown as a blank item
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    Box(*w, 13)->setChecked(true);  // on at 100
    ASSERT_EQ(Knob(*w, 12)->Value(), 95);

    Editor()->SelectRange(3, 1, 5, 2);
    w->cmd_Move[2]->click();
    EXPECT_EQ(Editor()->WholeText(),
              QStringLiteral("L0\r\nL1\r\nL2\r\nLMOVE G6C, 95, 100,    ,    ,    ,    \r\n\r\nL6\r\nL7\r\n"));
    const platform::EditorRange caret = Editor()->Selection(true);
    EXPECT_EQ(caret.EndLineNo, 6);
    EXPECT_EQ(caret.EndColNo, 2);
    EXPECT_TRUE(caret.IsEmpty());

    // Nothing selected: inserted at the caret.
    Editor()->SetWholeText(QString());
    w->cmd_Move[0]->click();
    EXPECT_EQ(Editor()->WholeText(), QStringLiteral("MOVE G6A,   ,    ,    ,    ,    ,    \r\n"));
}

// An insert clicked while a tick or a capture of the same group still waits
// its turn (a broken frame keeps the line quiet) writes the line as that
// click leaves the group: the tick's capture takes the knob to where the
// servo stands, the group capture reads every knob of the group.
TEST_F(Move32Test, AnInsertAfterAClickThatWaitsShowsWhatTheClickDid) {
    struct Case {
        const char* what;
        std::function<void(frmMove32_G6&)> click;
        const char* line;
    };
    const Case cases[] = {
        {"motor 13 ticked", [](frmMove32_G6& w) { Box(w, 13)->click(); },
         "MOVE G6C, 95,  30,    ,    ,    ,    \r\n"},
        {"group C captured", [](frmMove32_G6& w) { w.cmd_Groupcapture[2]->click(); },
         "MOVE G6C,120,    ,    ,    ,    ,    \r\n"},
    };
    StartWithDocument();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(motion_wait::QuietLine());
        Editor()->SetWholeText(QString());
        for (int k = 0; k < 4; ++k) sim().setRam(ControllerSim::motorFlagBase(2) + k, 0);
        SetMotorFlag(12);
        for (int i = 12; i < 18; ++i) sim().setServoPosition(i, 100);
        sim().setServoPosition(12, 95);
        QPointer<frmMove32_G6> w = OpenFromMenu();
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(Knob(*w, 12)->Value(), 95);
        // Motor 13 is free and turned by hand; motor 12 was moved by the
        // controller since the window read it.
        sim().turnByHand(13, 30);
        sim().setServoPosition(12, 120);

        ServoKnob* knob = Knob(*w, 2);
        knob->SetOn(true);
        sim().clearLogs();
        sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xE6, 1);
        QTest::keyClick(knob, Qt::Key_Up);
        ASSERT_TRUE(sim().waitIdle(2000));
        ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);

        c.click(*w);
        w->cmd_Move[2]->click();
        ASSERT_TRUE(motion_wait::Until([&] { return !Editor()->WholeText().isEmpty(); }));
        EXPECT_EQ(Editor()->WholeText().toStdString(), c.line);
        ASSERT_TRUE(motion_wait::Until([&] {
            return !(w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::BusyCursor);
        })) << "clicks still wait: " << w->cursor().shape();
        EXPECT_TRUE(Boxes().Calls().empty());
        w->close();
        Settle();
    }
}

TEST_F(Move32Test, FoldingLaysTheGroupsOutAndIsKeptForTheNextOpening) {
    using platform::TwipsToPixels;
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    const int open = w->height();
    EXPECT_EQ(open, TwipsToPixels(150 + 4 * 1995 + 3 * 45 + 600));
    EXPECT_TRUE(w->FraGroup[4]->isHidden());
    EXPECT_TRUE(w->cmdHide[4]->isHidden());
    EXPECT_EQ(w->cmdHide[0]->text(), QStringLiteral("<"));

    w->cmdHide[1]->click();
    w->cmdHide[2]->click();
    EXPECT_EQ(w->height(), TwipsToPixels(150 + 2 * 1995 + 2 * 255 + 3 * 45 + 600));
    EXPECT_EQ(w->FraGroup[2]->height(), TwipsToPixels(255));
    EXPECT_EQ(w->FraGroup[3]->y(), TwipsToPixels(150 + 1995 + 255 + 255 + 3 * 45));
    EXPECT_EQ(w->cmdHide[3]->y(), TwipsToPixels(150 + 1995 + 255 + 255 + 3 * 45 - 30));
    EXPECT_EQ(w->cmdHide[1]->text(), QStringLiteral(">"));
    EXPECT_FALSE(Knob(*w, 6)->isVisibleTo(w));

    w->close();
    Settle();
    EXPECT_EQ(frmMove32_G6::Loaded(), nullptr);
    w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(modMain::GroupCollapsed[1]);
    EXPECT_EQ(w->cmdHide[2]->text(), QStringLiteral(">"));
    w->cmdHide[1]->click();
    w->cmdHide[2]->click();
    EXPECT_EQ(w->height(), open);
    EXPECT_TRUE(Knob(*w, 6)->isVisibleTo(w));
}

TEST_F(Move32Test, ClosingKeepsThePositionFreesThePortAndLiftsTheLock) {
    StartWithDocument();
    modMain::MotorWindowLeft = 1500;
    modMain::MotorWindowTop = 750;
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->pos(), QPoint(100, 50));
    w->move(200, 60);
    w->cmdClose->click();
    Settle();
    EXPECT_EQ(frmMove32_G6::Loaded(), nullptr);
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_FLOAT_EQ(modMain::MotorWindowLeft, 3000);
    EXPECT_FLOAT_EQ(modMain::MotorWindowTop, 900);
    EXPECT_TRUE(Main().mnuController->menuAction()->isEnabled());
    EXPECT_TRUE(Main().mnuMotorControl->isEnabled());
    EXPECT_TRUE(Main().tBar3->isEnabled());
}

TEST_F(Move32Test, ACloseDuringAMoveEndsItThenCloses) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    QPointer<frmMove32_G6> watch = w;
    sim().clearLogs();
    sim().injectFault(ControllerSim::Fault::LateReply, 2, 150);
    const motion_wait::DuringTheNextWait hand([&] { w->cmdClose->click(); },
                                              [this] { return !sim().received().empty(); });
    w->servo_Change(8, 42);
    ASSERT_TRUE(hand.Done());
    EXPECT_FALSE(watch.isNull());  // not closed under its running move
    Settle();
    EXPECT_TRUE(watch.isNull());
    // The move ended at the byte in flight; nothing followed it.
    const Bytes sent = Wire();
    const Bytes move = {0xE6, 8, 42};
    ASSERT_LE(sent.size(), move.size());
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), move.begin()));
    EXPECT_FALSE(Main().Comm.PortOpen());
}

TEST_F(Move32Test, ProgramExitClosesTheWindowAndStoresItsPosition) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    QPointer<frmMove32_G6> watch = w;
    w->move(300, 90);
    Main().close();
    Settle();
    EXPECT_TRUE(watch.isNull());
    EXPECT_FLOAT_EQ(modMain::MotorWindowLeft, 4500);
    EXPECT_FLOAT_EQ(modMain::MotorWindowTop, 1350);
    const QString ini = QString::fromLatin1(ReadAll(HomeFile("qvv2.ini")));
    EXPECT_TRUE(
        ini.contains(QRegularExpression(QStringLiteral("\\[MotorWindow\\]\\r?\\nLeft= ?4500\\r?\\nTop= ?1350"))))
        << ini.toStdString();
}

TEST_F(Move32Test, ADeadControllerGivesOneBoxWithItsCodeAndAUsableProgram) {
    StartWithDocument();
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    sim().setSilent(true);
    modMain::MotorWindowLeft = 1500;
    Boxes().Answer(platform::vbOK);
    // Whether the window is still on screen when the box comes up.
    std::vector<bool> windowShown;
    Boxes().WhenShown([&](const platform::MsgBoxCall&) {
        bool shown = false;
        for (QWidget* top : QApplication::topLevelWidgets())
            shown = shown || (qobject_cast<frmMove32_G6*>(top) && top->isVisible());
        windowShown.push_back(shown);
    });
    sim().clearLogs();
    EXPECT_EQ(OpenFromMenu(), nullptr);
    Settle();
    // The load ends at its first unanswered byte, instead of trying the
    // next step and waiting for each.
    EXPECT_EQ(sim().received(), Bytes({0xFA}));
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_TRUE(Boxes().Calls()[0].prompt.startsWith(QStringLiteral("Error Code : -4\r\n")));
    EXPECT_EQ(windowShown, std::vector<bool>{false}) << "the window goes first, then the box";
    Boxes().WhenShown(nullptr);
    EXPECT_EQ(frmMove32_G6::Loaded(), nullptr);
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_FLOAT_EQ(modMain::MotorWindowLeft, 1500);  // the stored position is kept
    EXPECT_TRUE(Main().mnuController->menuAction()->isEnabled());
    EXPECT_TRUE(Main().mnuMotorControl->isEnabled());

    // The controller comes back: the window opens as usual.
    sim().setSilent(false);
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Boxes().Calls().size(), 1u);
}

TEST_F(Move32Test, AControllerLostMidLoadShowsTheCodeOfTheFailingStep) {
    StartWithDocument();
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    // The stop goes through; the reads of motor 2 get a wrong echo.
    sim().clearLogs();
    sim().injectFault(ControllerSim::Fault::WrongEcho, 1 + 2 * 12);
    Boxes().Answer(platform::vbOK);
    EXPECT_EQ(OpenFromMenu(), nullptr);
    Settle();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_TRUE(Boxes().Calls()[0].prompt.startsWith(QStringLiteral("Error Code : -5\r\n")));
    EXPECT_EQ(frmMove32_G6::Loaded(), nullptr);
    EXPECT_FALSE(Main().Comm.PortOpen());
}

TEST_F(Move32Test, AGroupLoopStopsAtTheFirstLinkErrorWithOneBox) {
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    sim().setSilent(true);
    sim().clearLogs();
    Boxes().Answer(platform::vbOK);
    w->chkAll[0]->click();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_TRUE(Boxes().Calls()[0].prompt.startsWith(QStringLiteral("Error Code : -4\r\n")));
    EXPECT_EQ(sim().received(), Bytes({0xD2}));  // one byte sent, none answered
    for (int i = 0; i < 6; ++i) EXPECT_FALSE(Box(*w, i)->isChecked()) << i;

    // The same for Capture All, and the window stays usable afterwards.
    sim().clearLogs();
    Boxes().Answer(platform::vbOK);
    // The time-out keeps the line quiet: the capture waits for it, then fails
    // the same way.
    w->cmdCaptureAll->click();
    ASSERT_TRUE(motion_wait::Until([&] { return Boxes().Calls().size() >= 2; }));
    ASSERT_EQ(Boxes().Calls().size(), 2u);
    EXPECT_TRUE(Boxes().Calls()[1].prompt.startsWith(QStringLiteral("Error Code : -4\r\n")));
    EXPECT_EQ(sim().received(), Bytes({0xD7}));

    sim().setSilent(false);
    sim().clearLogs();
    w->chkAll[0]->click();
    // Once the line is quiet again the group is switched on.
    ASSERT_TRUE(motion_wait::Until([&] { return sim().motorFlag(5); }));
    ASSERT_TRUE(sim().waitIdle(2000));
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(sim().motorFlag(i)) << i;
    EXPECT_EQ(Boxes().Calls().size(), 2u);
}

TEST_F(Move32Test, KoreanCaptionsAndFoldKeys) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    StartWithDocument();
    frmMove32_G6* w = OpenFromMenu();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("24 서보모터 실시간 제어창"));
    EXPECT_EQ(Box(*w, 4)->text(), QStringLiteral("모터4"));
    EXPECT_EQ(w->FraGroup[0]->title(), QStringLiteral(" A 그룹 "));
    EXPECT_EQ(w->cmdHide[0]->text(), QStringLiteral("▲"));
    w->cmdHide[0]->click();
    EXPECT_EQ(w->cmdHide[0]->text(), QStringLiteral("▼"));
    EXPECT_EQ(w->cmd_Move[0]->text(), QStringLiteral("그룹 삽입"));
}

}  // namespace
