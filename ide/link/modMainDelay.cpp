#include "link/modMainDelay.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>

#include "mainwindow/frmMain.h"

namespace modMain {

void Delay(int16_t ms) {
    if (ms < 1) return;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        // No event queue to keep running (and no main window): just sleep.
        QThread::msleep(static_cast<unsigned long>(ms));
        return;
    }
    QPointer<frmMain> host = &frmMain::instance();
    host->TimeDelay.setInterval(ms);
    DelayElapsed = false;
    host->TimeDelay.start();
    while (!DelayElapsed) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // A delay started from an event during this one takes the timer over
        // and its end ends this one too; a timer stopped by anyone else, or a
        // main window gone, must not leave this loop waiting for ever.
        if (!host || (!DelayElapsed && !host->TimeDelay.isActive())) break;
    }
}

}  // namespace modMain
