// The main window's event handlers of the link: serial receipt and the two
// timers.  They only set the link's flags (through the link's handlers, which
// the stand-in controls use as well); the waiting operation reads them.
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"

void frmMain::Comm_OnComm() { vxIO::ReceiveEvent(Comm); }

void frmMain::TimeOut_Timer() { vxIO::TimeOutEvent(TimeOut); }

void frmMain::TimeDelay_Timer() { vxIO::DelayEvent(TimeDelay); }
