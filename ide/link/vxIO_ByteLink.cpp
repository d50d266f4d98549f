// The byte link: single echoed bytes over the serial port, the reply wait,
// the parallel-port calls, start-up and shut-down of the ports.
#include "link/vxIO.h"

#include <QApplication>
#include <QByteArray>
#include <QEventLoop>
#include <QPointer>

#include "build/modMain.h"
#include "mainwindow/frmMain.h"
#include "platform/PortIO.h"

namespace vxIO {

namespace {

// The main window that hosts the port and the timers; nullptr when there is
// no QApplication to host it (the link then reports a port failure).
frmMain* Host() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    return &frmMain::instance();
}

bool Serial() { return modMain::PortType == 1; }
bool Parallel() { return modMain::PortType == 0; }

enum class Reply { Echo, ReceiveEcho, Receive };

// The common core of SendByte, ReceiveByteEcho and ReceiveByte.
uint8_t ReplyWait(Reply kind, uint8_t sent) {
    CommError = 0;
    if (!Serial()) return 0;
    QPointer<frmMain> host = Host();
    if (!host) {
        CommError = kErrPort;
        return 0;
    }
    if (!host->Comm.PortOpen()) {
        CommError = kErrNotOpen;
        return 0;
    }
    RxTimedOut = false;
    RxReady = false;

    if (kind == Reply::Echo && !host->Comm.Output(QByteArray(1, static_cast<char>(sent)))) {
        CommError = kErrPort;
        host->TimeOut.stop();
        return 0;
    }
    host->TimeOut.start();

    enum class End { TimedOut, Received, PortFailed } end;
    for (;;) {
        // Sleeps until something happens; the time-out timer guarantees a
        // wake-up, so this never spins and never waits forever.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!host) {
            end = End::PortFailed;
            break;
        }
        if (RxTimedOut) {
            end = End::TimedOut;
            break;
        }
        if (RxReady) {
            end = End::Received;
            break;
        }
        if (!host->Comm.PortOpen()) {  // the device went away mid-wait
            end = End::PortFailed;
            break;
        }
        if (!host->TimeOut.isActive()) {
            // Something else disarmed the timer (an operation started from
            // an event during this wait): nothing can end the wait any more
            // but giving up now.
            end = End::TimedOut;
            break;
        }
    }

    uint8_t result = 0;
    switch (end) {
    case End::TimedOut:
        CommError = kErrTimeOut;
        break;
    case End::PortFailed:
        CommError = kErrPort;
        break;
    case End::Received:
        switch (kind) {
        case Reply::Echo:
            if (RxByte != sent) CommError = kErrEcho;
            break;
        case Reply::ReceiveEcho:
            if (host->Comm.Output(QByteArray(1, static_cast<char>(RxByte))))
                result = RxByte;
            else
                CommError = kErrPort;
            break;
        case Reply::Receive:
            result = RxByte;
            break;
        }
        break;
    }
    if (host) host->TimeOut.stop();
    if (kind == Reply::Echo) RxReady = false;
    return result;
}

}  // namespace

void OpenComm() {
    CommError = 0;
    if (!Serial()) return;
    frmMain* host = Host();
    if (!host) {
        CommError = kErrOpen;
        return;
    }
    if (!host->Comm.PortOpen() && !host->Comm.setPortOpen(true)) {
        CommError = kErrOpen;
        return;
    }
    FlushInput();
}

void CloseComm() {
    CommError = 0;
    if (!Serial()) return;
    frmMain* host = Host();
    if (!host) {
        CommError = kErrClose;
        return;
    }
    FlushInput();
    if (host->Comm.PortOpen() && !host->Comm.setPortOpen(false)) CommError = kErrClose;
}

void SendByte(uint8_t b) { (void)ReplyWait(Reply::Echo, b); }

void SendByteNoEcho(uint8_t b) {
    CommError = 0;
    if (!Serial()) return;
    frmMain* host = Host();
    if (!host) {
        CommError = kErrPort;
        return;
    }
    if (!host->Comm.PortOpen()) {
        CommError = kErrNotOpen;
        return;
    }
    if (!host->Comm.Output(QByteArray(1, static_cast<char>(b)))) CommError = kErrPort;
}

void SendZero() {
    if (!Serial()) {
        CommError = 0;
        return;
    }
    SendByteNoEcho(0);
}

uint8_t ReceiveByteEcho() { return ReplyWait(Reply::ReceiveEcho, 0); }

uint8_t ReceiveByte() { return ReplyWait(Reply::Receive, 0); }

void FlushInput() {
    if (!Serial()) return;
    frmMain* host = Host();
    if (!host || !host->Comm.PortOpen()) return;
    // Input takes everything waiting, so one or two turns empty the buffer;
    // the bound only guards against a device that never stops delivering.
    for (int turn = 0; turn < 1000 && host->Comm.InBufferCount() > 0; ++turn)
        (void)host->Comm.Input();
}

namespace {

// After a parallel library call: a library error n becomes link code n - 10.
bool ParallelFailed() {
    int16_t n = OSType == 2 ? platform::IoErrNoNT() : platform::IoErrNo98();
    if (n == 0) return false;
    n = OSType == 2 ? platform::IoErrNoNT() : platform::IoErrNo98();
    CommError = static_cast<int16_t>(n - 10);
    return true;
}

}  // namespace

int16_t ParInport() {
    CommError = 0;
    if (!Parallel()) return 0;
    const int16_t status = OSType == 2 ? platform::InportNT() : platform::Inport98();
    if (ParallelFailed()) return 0;
    return status;
}

uint8_t ParReceive() {
    CommError = 0;
    if (!Parallel()) return 0;
    const uint8_t data = OSType == 2 ? platform::ReceiveDataNT() : platform::ReceiveData98();
    if (ParallelFailed()) return 0;
    return data;
}

void DetectOS() {
    // The port library of this platform is the NT-family one (the one with
    // ClosePort).
    OSType = 2;
}

void Init() {
    OSType = 2;
    DetectOS();
    InitTables();
    CommError = 0;
    if (modMain::PortType == 0) {
        if (OSType == 2) {
            platform::SetPortNT(LPTnum, LPTnumNext, TxTimeOut, Tx0, TxP, Tx1, RxTimeOut, HwCalLimit);
            platform::OutportNT(255);
        } else {
            platform::SetPort98(LPTnum, LPTnumNext, TxTimeOut, Tx0, TxP, Tx1, RxTimeOut, HwCalLimit);
            platform::Outport98(255);
        }
    }
}

void CloseAllPorts() {
    platform::ClosePort();
    CloseComm();
}

}  // namespace vxIO
