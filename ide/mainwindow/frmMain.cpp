#include "mainwindow/frmMain.h"

#include <QApplication>
#include <QPointer>

namespace {
frmMain* g_instance = nullptr;
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    if (!g_instance) g_instance = this;

    TimeOut.setTimerType(Qt::PreciseTimer);
    TimeOut.setInterval(3000);
    TimeDelay.setTimerType(Qt::PreciseTimer);

    connect(&Comm, &platform::CommControl::OnComm, this, &frmMain::Comm_OnComm);
    connect(&TimeOut, &QTimer::timeout, this, &frmMain::TimeOut_Timer);
    connect(&TimeDelay, &QTimer::timeout, this, &frmMain::TimeDelay_Timer);
}

frmMain::~frmMain() {
    if (g_instance == this) g_instance = nullptr;
}

frmMain* frmMain::existing() { return g_instance; }

frmMain& frmMain::instance() {
    if (!g_instance) {
        QPointer<frmMain> w = new frmMain;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [w] { delete w.data(); });
    }
    return *g_instance;
}
