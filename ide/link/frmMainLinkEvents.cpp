// The main window's event handlers of the link: serial receipt and the two
// timers.  They only set the link's flags; the waiting operation reads them.
#include "build/modMain.h"
#include "link/bootup_modMain.h"
#include "link/modMainDelay.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"

void frmMain::Comm_OnComm() {
    if (bootup_modMain::RawMode) return;
    if (Comm.CommEvent() != platform::comEvReceive) return;
    const QByteArray data = Comm.Input();
    // A receipt of nothing (the bytes were taken meanwhile) is no reply;
    // the time-out keeps running for the real one.
    if (data.isEmpty()) return;
    TimeOut.stop();
    vxIO::RxReady = true;
    // The link sees one byte per receipt; the rest of it is dropped.
    vxIO::RxByte = static_cast<uint8_t>(data.at(0));
}

void frmMain::TimeOut_Timer() {
    TimeOut.stop();
    vxIO::RxTimedOut = true;
}

void frmMain::TimeDelay_Timer() {
    TimeDelay.stop();
    modMain::DelayElapsed = true;
}
