// The debug window's keys while its own exchange waits for the controller:
// a click made then is kept and carried out after that exchange, in the
// order made, each as a whole exchange of its own; Run and Close end the
// window and what waits with it; a command that a timer starts inside the
// wait is still refused by the link.
#include <QCursor>
#include <QToolButton>

#include <chrono>
#include <deque>

#include "debugscreen_support.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Waits for the window to have carried out every click it kept.
bool ClicksDone(const frmDebugScreen& w) {
    return QTest::qWaitFor([&] { return w.ClicksWaiting() == 0 && !vxIO::Busy(); }, 30000);
}

}  // namespace

class DebugScreenClicksTest : public DebugScreenTest {
protected:
    void SetUp() override {
        DebugScreenTest::SetUp();
        SetCounter(LinePos(4));
        window_ = std::make_unique<frmDebugScreen>(&main());
        ASSERT_TRUE(window_->IsLoaded());
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        // The wire of one whole step, as the next steps must repeat it.
        SetCounter(LinePos(5));
        sim().clearLogs();
        window_->btnSingleRun->trigger();
        ASSERT_EQ(vxIO::CommError, 0);
        step_ = wire();
        ASSERT_FALSE(step_.empty());
        ASSERT_EQ(step_.front(), 0xF3);
    }

    void TearDown() override {
        window_.reset();
        DebugScreenTest::TearDown();
    }

    frmDebugScreen& w() { return *window_; }

    QWidget* Key(QAction* action) { return w().TB->widgetForAction(action); }

    // A step whose command byte comes back wrong: the line must stay quiet
    // for the quiet time after that byte.  Returns when the host sent it.
    Clock::time_point BreakAStep() {
        sim().clearLogs();
        sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xF3, 0);
        w().btnSingleRun->trigger();
        EXPECT_EQ(vxIO::CommError, vxIO::kErrEcho);
        EXPECT_GT(vxIO::BrokenFrameQuietMs(), 0);
        EXPECT_TRUE(sim().waitIdle(2000));
        const auto at = sim().receivedTimes();
        EXPECT_EQ(at.size(), 1u);
        sim().clearLogs();
        return at.empty() ? Clock::now() : at.front();
    }

    // Clicks the first key now; each further key is clicked while the
    // window's exchange waits for the quiet line.
    void ClickDuringTheQuietTime(const std::vector<QAction*>& keys) {
        std::deque<QAction*> later(keys.begin() + 1, keys.end());
        clickedInQuietTime_ = 0;
        QTimer clicker;
        clicker.setInterval(1);
        QObject::connect(&clicker, &QTimer::timeout, [&] {
            if (later.empty() || !vxIO::Busy() || vxIO::BrokenFrameQuietMs() <= 0) return;
            QAction* key = later.front();
            later.pop_front();
            ++clickedInQuietTime_;
            QTest::mouseClick(Key(key), Qt::LeftButton);
        });
        clicker.start();
        ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);
        QTest::mouseClick(Key(keys.front()), Qt::LeftButton);
        clicker.stop();
    }

    std::unique_ptr<frmDebugScreen> window_;
    Bytes step_;
    int clickedInQuietTime_ = 0;
};

// Keys clicked during the quiet time after a step's broken frame: the first
// waits out the quiet line, the others follow it one by one, whole, in the
// order clicked.  Run sends its command and closes, dropping what waits;
// Close sends nothing at all, not even the step that waited for the line.
TEST_F(DebugScreenClicksTest, KeysClickedDuringTheQuietTimeGoOutAfterItInTheirOrder) {
    enum Key { Step, Run, Close };
    const struct Case {
        const char* what;
        std::vector<Key> keys;
        int steps;     // step frames on the wire
        bool run;      // the run command follows them
        bool visible;  // the window is still open
    } cases[] = {
        {"three steps", {Step, Step, Step}, 3, false, true},
        {"a step, run and a step", {Step, Run, Step}, 1, true, false},
        {"two steps and close", {Step, Step, Close}, 0, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!w().isVisible()) {
            // The previous case closed the window: a fresh one, once the
            // line is quiet again.
            ASSERT_TRUE(QTest::qWaitFor([] { return vxIO::BrokenFrameQuietMs() == 0; }, 30000));
            window_.reset();  // its unload closes the port
            window_ = std::make_unique<frmDebugScreen>(&main());
            ASSERT_TRUE(w().IsLoaded());
            w().show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        }
        SetCounter(LinePos(5));
        const int runsBefore = sim().runCount();
        const Clock::time_point broken = BreakAStep();
        SetCounter(LinePos(6));
        std::vector<QAction*> keys;
        for (Key k : c.keys) keys.push_back(k == Step ? w().btnSingleRun : k == Run ? w().btnRun : w().btnClose);
        ClickDuringTheQuietTime(keys);
        EXPECT_EQ(clickedInQuietTime_, static_cast<int>(keys.size()) - 1);
        ASSERT_TRUE(ClicksDone(w()));
        // What waited for a closed window stays unsent after the quiet time.
        if (!c.visible) {
            ASSERT_TRUE(QTest::qWaitFor([] { return vxIO::BrokenFrameQuietMs() == 0; }, 30000));
        }

        Bytes expected;
        for (int i = 0; i < c.steps; ++i) expected.insert(expected.end(), step_.begin(), step_.end());
        if (c.run) expected.push_back(0xFB);
        EXPECT_EQ(wire(), expected);
        if (!expected.empty()) {
            const auto at = sim().receivedTimes();
            ASSERT_FALSE(at.empty());
            EXPECT_GE(MsBetween(broken, at.front()), timeOutMs_ - 5) << "the quiet time runs from the failing byte";
        }
        EXPECT_EQ(sim().runCount() - runsBefore, c.run ? 1 : 0);
        EXPECT_EQ(w().isVisible(), c.visible);
        EXPECT_EQ(w().ClicksWaiting(), 0);
        EXPECT_FALSE(vxIO::Aborted());
        if (c.visible) {
            EXPECT_EQ(vxIO::CommError, 0);
            EXPECT_EQ(w().CurrentLine, 6);
            EXPECT_TRUE(main().Comm.PortOpen());  // still the window's
        }
        EXPECT_TRUE(boxes_->Calls().empty());
    }
}

// While a step waits for its reply the user clicks the step key again and a
// timer tries to run the program: the run is refused by the link, the click
// is kept (the busy cursor says so) and goes out as a whole step once the
// first has ended.
TEST_F(DebugScreenClicksTest, AStepClickedDuringAStepFollowsItAndATimersRunIsRefused) {
    sim().clearLogs();
    bool intruded = false;
    QTimer intruder;
    intruder.setInterval(1);
    QObject::connect(&intruder, &QTimer::timeout, [&] {
        // The step's command byte and its request are out: its reply waits.
        if (sim().received().size() < 2) return;
        intruder.stop();
        QTest::keyClick(Key(w().btnSingleRun), Qt::Key_Space);
        vxIO::RunProgram();
        intruded = true;
    });
    intruder.start();
    sim().injectFault(ControllerSim::Fault::LateReply, 1, 200);
    w().btnSingleRun->trigger();
    ASSERT_TRUE(intruded);
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(sim().stepCount(), 2);  // the one of SetUp and this one
    EXPECT_EQ(sim().runCount(), 0);
    EXPECT_EQ(w().ClicksWaiting(), 1);
    EXPECT_EQ(w().cursor().shape(), Qt::BusyCursor);

    SetCounter(LinePos(6));
    ASSERT_TRUE(ClicksDone(w()));
    Bytes twice = step_;
    twice.insert(twice.end(), step_.begin(), step_.end());
    EXPECT_EQ(wire(), twice);
    EXPECT_EQ(sim().runCount(), 0);
    EXPECT_EQ(w().CurrentLine, 6);
    EXPECT_NE(w().cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_TRUE(main().Comm.PortOpen());
}
