#include "protocol/modMainDelay.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "protocol/vxIO_Protocol.h"

namespace modMain {

void Delay(int16_t ms) {
    if (ms < 1) return;
    // An exchange being ended by a close waits for nothing more.
    if (vxIO::Aborted()) return;
    QPointer<QTimer> timer = vxIO::Link().TimeDelay;
    if (!timer) {
        // No event queue to keep running (and no timer): just sleep.
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    timer->setInterval(ms);
    DelayElapsed = false;
    timer->start();
    while (!DelayElapsed) {
        vxIO::Pump(QEventLoop::WaitForMoreEvents);
        // A delay started from an event during this one takes the timer over
        // and its end ends this one too; a timer stopped by anyone else, or
        // gone with its owner, must not leave this loop waiting for ever.
        if (!timer || (!DelayElapsed && !timer->isActive())) break;
        if (vxIO::Aborted()) {
            if (timer) timer->stop();
            break;
        }
    }
}

}  // namespace modMain
