// Waits of the motion tests for a state or an event, never for a guessed
// time: each hands control to the event queue until what it waits for has
// happened.  The limit only ends a test that fails.
#pragma once

#include <QObject>
#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>

#include "link/vxIO_Windows.h"

namespace motion_wait {

// Long enough for any exchange of these tests on a busy machine.
constexpr int kLimitMs = 30000;

// Until `done` holds; false when it did not within the limit.
inline bool Until(const std::function<bool()>& done, int limitMs = kLimitMs) {
    return QTest::qWaitFor(done, limitMs);
}

// Until the link says the line is quiet: the quiet time after the last
// frame that broke off is over (at once when none did lately).
inline bool QuietLine(int limitMs = kLimitMs) {
    QObject context;
    bool quiet = false;
    vxIO::WhenLineQuiet(&context, [&quiet] { quiet = true; });
    return Until([&quiet] { return quiet; }, limitMs) && vxIO::BrokenFrameQuietMs() == 0;
}

// Runs `hand` once, from the event queue, at its first turn inside a link
// wait (and, given `when`, once that holds too): the hand of a user who acts
// while the controller is slow to answer.  Made just before the call whose
// wait it is meant for.
class DuringTheNextWait {
public:
    explicit DuringTheNextWait(std::function<void()> hand, std::function<bool()> when = {})
        : hand_(std::move(hand)), when_(std::move(when)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (!vxIO::Busy() || (when_ && !when_())) return;
            timer_.stop();
            done_ = true;
            hand_();
        });
        timer_.start();
    }
    DuringTheNextWait(const DuringTheNextWait&) = delete;
    DuringTheNextWait& operator=(const DuringTheNextWait&) = delete;

    bool Done() const { return done_; }

private:
    std::function<void()> hand_;
    std::function<bool()> when_;
    QTimer timer_;
    bool done_ = false;
};

}  // namespace motion_wait
