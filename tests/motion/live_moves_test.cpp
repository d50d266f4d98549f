// The live-move queue of the motion windows on its own: what it sends, in
// which order and when, while a controller exchange keeps the link busy.  A
// recording sender stands in for the controller; "busy" is the inside of a
// real vxIO wait, as a window meets it when a knob turns during another
// exchange.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "WaitFor.h"
#include "link/vxIO_Windows.h"
#include "motion/LiveMoves.h"

namespace {

using Kind = LiveMoves::Kind;
using Order = LiveMoves::Order;
using Sends = std::vector<std::string>;

constexpr int kServos = 8;
constexpr int16_t kShown = LiveMoves::kShown;

// Runs f from inside the wait of a running controller exchange, where a
// controller command would be refused.
void InsideAWait(const std::function<void()>& f) {
    const vxIO::Exchange exchange;
    ASSERT_TRUE(exchange.Granted());
    bool done = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(vxIO::Busy());
        f();
        done = true;
    });
    while (!done) vxIO::Pump(QEventLoop::AllEvents);
}

// The controller's side: each item sent, as "move 3=40" or "switch 3"
// ("move 3" for an item that takes the window's value).  `duringSend` runs
// inside the wait of a send, as a hand that goes on moving; `failingSends`
// are the numbers of the sends (from 1) whose link fails.
struct Controller {
    Sends sent;
    std::function<void(LiveMoves&)> duringSend;
    std::vector<size_t> failingSends;
    LiveMoves* queue = nullptr;

    LiveMoves::Sender Sender() {
        return [this](Kind kind, int servo, int16_t value) {
            std::string item = (kind == Kind::Switch ? "switch " : "move ") + std::to_string(servo);
            if (value != kShown) item += "=" + std::to_string(value);
            sent.push_back(item);
            if (duringSend) {
                const auto hand = std::move(duringSend);
                duringSend = nullptr;
                InsideAWait([&] { hand(*queue); });
            }
            return std::find(failingSends.begin(), failingSends.end(), sent.size()) == failingSends.end();
        };
    }
};

// Each test starts from a quiet line: a frame that an earlier test broke
// off would hold every round.
class LiveMovesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(motion_wait::QuietLine()); }
};

TEST_F(LiveMovesTest, SendsTheLatestOfEachServoOnceTheLinkIsFree) {
    struct Case {
        const char* what;
        Order order;
        std::function<void(LiveMoves&, Controller&)> steps;
        Sends expected;
    };
    // Servo 3 sent, then servos 1, 4 and 3 turned while the link is busy.
    const auto sentThenThreeWhileBusy = [](LiveMoves& q, Controller&) {
        q.Put(3, 30);
        InsideAWait([&] {
            q.Put(1, 10);
            q.Put(4, 40);
            q.Put(3, 31);
        });
        q.Send();
    };
    const Case cases[] = {
        {"a free link sends at once", Order::LowestFirst, [](LiveMoves& q, Controller&) { q.Put(5, 90); },
         {"move 5=90"}},
        {"several values of one servo while busy: one send, the latest", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 for (int16_t v = 40; v <= 60; ++v) q.Put(2, v);
                 EXPECT_EQ(q.Waiting(2), std::optional<int16_t>(60));
             });
             EXPECT_TRUE(c.sent.empty()) << "sent while the link was busy";
             q.Send();
         },
         {"move 2=60"}},
        {"several servos while busy: each once, lowest first", Order::LowestFirst,
         [](LiveMoves& q, Controller&) {
             InsideAWait([&] {
                 q.Put(6, 61);
                 q.Put(1, 11);
                 q.Put(6, 62);
                 q.Put(4, 41);
             });
             q.Send();
         },
         {"move 1=11", "move 4=41", "move 6=62"}},
        {"round robin goes on after the servo sent last", Order::RoundRobin, sentThenThreeWhileBusy,
         {"move 3=30", "move 4=40", "move 1=10", "move 3=31"}},
        {"lowest first starts from the lowest each time", Order::LowestFirst, sentThenThreeWhileBusy,
         {"move 3=30", "move 1=10", "move 3=31", "move 4=40"}},
        {"turns during a send's wait join the round with their latest value", Order::RoundRobin,
         [](LiveMoves& q, Controller& c) {
             c.duringSend = [](LiveMoves& queue) {
                 queue.Put(0, 11);
                 queue.Put(5, 50);
                 queue.Put(0, 12);
             };
             q.Put(0, 10);
         },
         {"move 0=10", "move 5=50", "move 0=12"}},
        {"switches go before moves, but not before a move of their servo asked before them", Order::LowestFirst,
         [](LiveMoves& q, Controller&) {
             InsideAWait([&] {
                 q.Put(4);
                 q.Put(6, kShown, Kind::Switch);
                 q.Put(2);
                 q.Put(1, kShown, Kind::Switch);
                 q.Put(4, kShown, Kind::Switch);
             });
             q.Send();
         },
         {"switch 1", "switch 6", "move 2", "move 4", "switch 4"}},
        {"a switch goes before a move of its servo asked after it, also one put again", Order::RoundRobin,
         [](LiveMoves& q, Controller&) {
             InsideAWait([&] {
                 q.Put(5, kShown, Kind::Switch);
                 q.Put(5, 50);
                 q.Put(3, 30);
                 q.Put(3, kShown, Kind::Switch);
                 q.Put(3, 31);
             });
             q.Send();
         },
         {"switch 3", "switch 5", "move 3=31", "move 5=50"}},
        {"a switch clicked while the moves go out waits for the next round", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 q.Put(2);
                 q.Put(3);
             });
             c.duringSend = [](LiveMoves& queue) { queue.Put(0, kShown, Kind::Switch); };
             q.Send();
             EXPECT_TRUE(q.Waiting(0, Kind::Switch));
             q.Send();
         },
         {"move 2", "move 3", "switch 0"}},
        {"a link error ends the round; what waits and the failed item go with the next", Order::RoundRobin,
         [](LiveMoves& q, Controller& c) {
             c.failingSends = {1};
             InsideAWait([&] {
                 q.Put(1, 10);
                 q.Put(2, 20);
                 q.Put(3, 30, Kind::Switch);
             });
             q.Send();
             EXPECT_EQ(c.sent.size(), 1u);
             EXPECT_EQ(q.Waiting(3, Kind::Switch), std::optional<int16_t>(30));
             EXPECT_EQ(q.Waiting(1), std::optional<int16_t>(10));
             q.Put(2, 21);
         },
         {"switch 3=30", "switch 3=30", "move 1=10", "move 2=21"}},
        {"a value asked for during the failed send takes the failed item's place", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             c.failingSends = {1};
             c.duringSend = [](LiveMoves& queue) { queue.Put(4, 41); };
             q.Put(4, 40);
             q.Send();
         },
         {"move 4=40", "move 4=41"}},
        {"failing again with nothing new asked for drops what waits", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             c.failingSends = {1, 2};
             InsideAWait([&] {
                 q.Put(1, 10);
                 q.Put(2, 20);
             });
             q.Send();
             q.Send();
             EXPECT_FALSE(q.Waiting(1));
             EXPECT_FALSE(q.Waiting(2));
             q.Put(2, 21);
         },
         {"move 1=10", "move 1=10", "move 2=21"}},
        {"failing again after something new was asked for keeps what waits", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             c.failingSends = {1, 2};
             InsideAWait([&] { q.Put(1, 10); });
             q.Send();
             q.Put(5, 50);
             EXPECT_TRUE(q.Waiting(1));
             EXPECT_TRUE(q.Waiting(5));
             q.Send();
         },
         {"move 1=10", "move 1=10", "move 1=10", "move 5=50"}},
        {"an item sent on its own leaves what waits for the next round", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] { q.Put(1, 10); });
             q.SendOne(3, 30);
             EXPECT_EQ(c.sent, Sends{"move 3=30"});
             EXPECT_TRUE(q.Waiting(1));
             q.Send();
         },
         {"move 3=30", "move 1=10"}},
        {"a close drops what waits and keeps nothing after it", Order::RoundRobin,
         [](LiveMoves& q, Controller&) {
             InsideAWait([&] {
                 q.Put(1, 10);
                 q.Put(2, 20, Kind::Switch);
             });
             q.Close();
             q.Send();
             q.Put(3, 30);
             EXPECT_FALSE(q.Waiting(3));
         },
         {}},
        {"a close during a send ends the round", Order::LowestFirst,
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] { q.Put(1, 10); });
             c.duringSend = [](LiveMoves& queue) {
                 queue.Put(2, 20);
                 queue.Close();
             };
             q.Send();
         },
         {"move 1=10"}},
        {"servos outside the range are ignored", Order::RoundRobin,
         [](LiveMoves& q, Controller&) {
             q.Put(-1, 10);
             q.Put(kServos, 10);
             EXPECT_FALSE(q.Waiting(-1));
             EXPECT_FALSE(q.Waiting(kServos));
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Controller controller;
        LiveMoves queue(kServos, c.order, 0, controller.Sender());
        controller.queue = &queue;
        c.steps(queue, controller);
        EXPECT_EQ(controller.sent, c.expected);
    }
}

// A click's command, as the controller sees it: "click A", and with
// `during` run inside it.
LiveMoves::Command Click(Controller& c, const std::string& name, bool works = true,
                         std::function<void(LiveMoves&)> during = nullptr) {
    return [&c, name, works, during] {
        c.sent.push_back("click " + name);
        if (during) during(*c.queue);
        return works;
    };
}
LiveMoves::Undo Undo(Controller& c, const std::string& name) {
    return [&c, name] { c.sent.push_back("undo " + name); };
}
// A step that sends nothing (LiveMoves::InTurn): "step S".
std::function<void()> Step(Controller& c, const std::string& name) {
    return [&c, name] { c.sent.push_back("step " + name); };
}

// Clicks that wait (LiveMoves::Defer) go in the order of the hand: among
// themselves, and against the items, each after what was asked before it
// and before what was asked after it.
TEST_F(LiveMovesTest, ClicksWaitTheirTurnInTheOrderOfTheHand) {
    enum Control { A, B, C };
    struct Case {
        const char* what;
        std::function<void(LiveMoves&, Controller&)> steps;
        Sends expected;
    };
    const Case cases[] = {
        {"items asked before a click go before it, items after it after it",
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 q.Put(1, 10);
                 q.Put(5, 50, Kind::Switch);
                 q.Defer(A, Click(c, "A"));
                 q.Put(2, 20);
                 q.Put(0, 1, Kind::Switch);
                 q.Defer(B, Click(c, "B"));
                 q.Put(1, 11);  // put again: it now comes after B
                 EXPECT_TRUE(q.Defers()) << "a click made while others wait";
             });
             EXPECT_TRUE(c.sent.empty()) << "sent while the link was busy";
             q.Send();
             EXPECT_FALSE(q.ClickWaiting());
         },
         {"switch 5=50", "click A", "switch 0=1", "move 2=20", "click B", "move 1=11"}},
        {"a second click of a control takes the first one's turn, at the end",
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 q.Defer(A, Click(c, "A"));
                 q.Defer(B, Click(c, "B"));
                 q.Defer(A, Click(c, "A again"));
                 EXPECT_TRUE(q.ClickWaiting(A));
                 EXPECT_FALSE(q.ClickWaiting(C));
             });
             q.Send();
         },
         {"click B", "click A again"}},
        {"a click's own steps go at once; a click from inside its wait waits its turn",
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 q.Defer(A, Click(c, "A", true, [&c](LiveMoves& queue) {
                     EXPECT_FALSE(queue.Defers());
                     queue.SendOne(4, 44);
                     InsideAWait([&] {
                         EXPECT_TRUE(queue.Defers());
                         queue.Defer(C, Click(c, "C"));
                     });
                     queue.Send();  // the round under way goes on with it
                     EXPECT_EQ(c.sent.back(), "move 4=44");
                 }));
                 q.Put(6, 60);
                 q.Defer(B, Click(c, "B"));
             });
             q.Send();
         },
         {"click A", "move 4=44", "move 6=60", "click B", "click C"}},
        {"a click that fails drops the clicks after it, undone newest first",
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 q.Defer(A, Click(c, "A", false), Undo(c, "A"));
                 q.Defer(B, Click(c, "B"), Undo(c, "B"));
                 q.Put(1, 10);
                 q.Defer(C, Click(c, "C"), Undo(c, "C"));
                 q.Defer(B, Click(c, "B again"), Undo(c, "B again"));  // B's own undo is kept
             });
             q.Send();
             EXPECT_FALSE(q.ClickWaiting());
             EXPECT_TRUE(q.Waiting(1));
             q.Send();
         },
         {"click A", "undo B", "undo C", "move 1=10"}},
        {"items that fail twice are dropped, the clicks after them stay",
         [](LiveMoves& q, Controller& c) {
             c.failingSends = {1, 2};
             InsideAWait([&] {
                 q.Put(1, 10);
                 q.Defer(A, Click(c, "A"), Undo(c, "A"));
             });
             q.Send();
             q.Send();
             EXPECT_FALSE(q.Waiting(1));
             EXPECT_TRUE(q.ClickWaiting(A));
             q.Send();
         },
         {"move 1=10", "move 1=10", "click A"}},
        {"a press runs now, is refused inside another exchange's wait, and waits behind clicks",
         [](LiveMoves& q, Controller& c) {
             const auto refused = [&c](const std::string& name) { return [&c, name] { c.sent.push_back("refused " + name); }; };
             q.Press(A, Click(c, "A"), refused("A"), Undo(c, "A"));
             InsideAWait([&] { q.Press(B, Click(c, "B"), refused("B"), Undo(c, "B")); });
             InsideAWait([&] {
                 q.Defer(C, Click(c, "C"));
                 q.Press(B, Click(c, "B"), refused("B"), Undo(c, "B"));
             });
             q.Send();
         },
         {"click A", "refused B", "click C", "click B"}},
        {"steps run now when nothing waits, else each in its turn",
         [](LiveMoves& q, Controller& c) {
             q.InTurn(Step(c, "1"));
             InsideAWait([&] {
                 q.Put(1, 10);
                 q.InTurn(Step(c, "2"));
                 q.Defer(A, Click(c, "A"));
                 q.InTurn(Step(c, "3"));
                 q.InTurn(Step(c, "4"));
                 q.Put(2, 20);
             });
             q.Send();
         },
         {"step 1", "move 1=10", "step 2", "click A", "step 3", "step 4", "move 2=20"}},
        {"a step asked for during a press's wait follows the press",
         [](LiveMoves& q, Controller& c) {
             q.Press(A, Click(c, "A", true, [&c](LiveMoves& queue) {
                 InsideAWait([&] { queue.InTurn(Step(c, "S")); });
                 c.sent.push_back("A done");
             }));
         },
         {"click A", "A done", "step S"}},
        {"a step behind a click that fails is dropped with it",
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] {
                 q.Defer(A, Click(c, "A", false));
                 q.InTurn(Step(c, "S"));
             });
             q.Send();
             EXPECT_FALSE(q.ClickWaiting());
         },
         {"click A"}},
        {"a close drops the clicks without undoing them, and keeps none after it",
         [](LiveMoves& q, Controller& c) {
             InsideAWait([&] { q.Defer(A, Click(c, "A"), Undo(c, "A")); });
             q.Close();
             q.Defer(B, Click(c, "B"));
             EXPECT_FALSE(q.ClickWaiting());
             EXPECT_FALSE(q.Defers());
             q.Send();
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Controller controller;
        LiveMoves queue(kServos, Order::LowestFirst, 0, controller.Sender());
        controller.queue = &queue;
        EXPECT_FALSE(queue.Defers()) << "a free link and a quiet line";
        c.steps(queue, controller);
        EXPECT_EQ(controller.sent, c.expected);
    }
}

// While a click waits (a click's command, or a switch item), its window
// shows the busy cursor; once nothing of the kind waits, the cursor is the
// window's own again.
TEST_F(LiveMovesTest, TheBusyCursorShowsWhileClicksWait) {
    QWidget window;
    const auto busy = [&] {
        return window.testAttribute(Qt::WA_SetCursor) && window.cursor().shape() == Qt::BusyCursor;
    };
    Controller controller;
    LiveMoves queue(kServos, Order::LowestFirst, 0, controller.Sender());
    controller.queue = &queue;
    queue.ShowWaitingOn(&window);
    EXPECT_FALSE(busy());
    bool busyWhileCarriedOut = false;
    InsideAWait([&] {
        queue.Put(2, 20);
        EXPECT_FALSE(busy()) << "a move is no click";
        queue.Defer(0, [&] {
            busyWhileCarriedOut = busy();
            return true;
        });
        EXPECT_TRUE(busy());
    });
    queue.Send();
    EXPECT_TRUE(busyWhileCarriedOut);
    EXPECT_FALSE(busy());
    InsideAWait([&] { queue.Put(3, kShown, Kind::Switch); });
    EXPECT_TRUE(busy());
    queue.Close();
    EXPECT_FALSE(busy());
}

// A value held back by a busy link goes out by itself once the link is free
// when the queue has a retry interval, and only at the next Send without.
TEST_F(LiveMovesTest, TheRetryTimerSendsOnceTheLinkIsFree) {
    const struct {
        int retryMs;
        Sends afterAWhile;
    } cases[] = {{10, {"move 3=33"}}, {0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.retryMs);
        Controller controller;
        LiveMoves queue(kServos, Order::RoundRobin, c.retryMs, controller.Sender());
        InsideAWait([&] {
            queue.Put(3, 33);
            // The timer runs out while the link stays busy: still nothing.
            QElapsedTimer busy;
            busy.start();
            while (busy.elapsed() < 60) vxIO::Pump(QEventLoop::AllEvents);
            EXPECT_TRUE(controller.sent.empty());
        });
        if (c.retryMs > 0)
            EXPECT_TRUE(motion_wait::Until([&] { return !controller.sent.empty(); }));
        else
            QTest::qWait(60);  // a retry would have come by now
        EXPECT_EQ(controller.sent, c.afterAWhile);
        queue.Send();
        EXPECT_EQ(controller.sent, Sends{"move 3=33"});
    }
}

// The window that owns the queue may go while a send waits (it was closed
// meanwhile); the round ends with it.
TEST_F(LiveMovesTest, AQueueDeletedDuringASendEndsItsRound) {
    Controller controller;
    auto* queue = new LiveMoves(kServos, Order::LowestFirst, 10, controller.Sender());
    controller.queue = queue;
    InsideAWait([&] {
        queue->Put(1, 10);
        queue->Put(2, 20);
    });
    controller.duringSend = [](LiveMoves& q) { delete &q; };
    queue->Send();
    QTest::qWait(30);
    EXPECT_EQ(controller.sent, Sends{"move 1=10"});
}

}  // namespace
