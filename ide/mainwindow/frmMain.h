// frmMain: the program's main window.  It hosts the controls that the
// controller link and the pipeline share: the serial-port control `Comm` and
// the timers `TimeOut` (reply time-out) and `TimeDelay` (modMain.Delay).
// Their event handlers belong to the link and are defined in
// ide/link/frmMainLinkEvents.cpp.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include "platform/CommControl.h"

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The program's main window: the one that exists, else a new hidden one
    // (which is deleted when the application quits).  Needs a QApplication.
    static frmMain& instance();
    // The main window when one exists, else nullptr.
    static frmMain* existing();

    // Serial-port control of the link; port number and time-out come from the
    // settings.
    platform::CommControl Comm;
    // Reply time-out: disabled at rest, interval COMMtimeout (3000 ms unless
    // the settings say otherwise).
    QTimer TimeOut;
    // Timer of modMain.Delay, disabled at rest.
    QTimer TimeDelay;

    void Comm_OnComm();
    void TimeOut_Timer();
    void TimeDelay_Timer();
};
