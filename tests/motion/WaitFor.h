// Waits of the motion tests for a state or an event, never for a guessed
// time: each hands control to the event queue until what it waits for has
// happened.  The limit only ends a test that fails.
#pragma once

#include <QObject>
#include <QTest>

#include <functional>

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

}  // namespace motion_wait
