// DelayTime's wait: a single-shot timer whose tick sets a flag, while the
// event queue keeps running.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

#include "CompileHost.h"

namespace qvv2::host {

void Wait(int32_t milliseconds) {
    if (milliseconds < 1) return;
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    bool elapsed = false;
    QTimer DelayTimer;
    DelayTimer.setSingleShot(true);
    DelayTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&DelayTimer, &QTimer::timeout, [&] {
        DelayTimer.stop();
        elapsed = true;
    });
    DelayTimer.start(milliseconds);
    // Sleeps while nothing happens; the timer guarantees the wake-up.
    while (!elapsed) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}  // namespace qvv2::host
