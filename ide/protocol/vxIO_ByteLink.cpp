// The byte link: single echoed bytes over the serial port, the reply wait
// and the receive and time-out events that end it, the parallel-port calls,
// start-up and shut-down of the ports.
#include "protocol/vxIO_Protocol.h"

#include <QByteArray>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>

#include "platform/CommControl.h"
#include "platform/PortIO.h"
#include "protocol/LinkSettings.h"
#include "protocol/bootup_modMain.h"

namespace vxIO {

bool Serial() { return modMain::PortType == 1; }

namespace {

// The receipt flags: written by the receive and time-out events below and
// by the reply wait, read by anyone through RxReady, RxByte and RxTimedOut.
bool g_rxReady = false;
uint8_t g_rxByte = 0;
bool g_rxTimedOut = false;

bool Parallel() { return modMain::PortType == 0; }

enum class Reply { Echo, ReceiveEcho, Receive };

using Clock = std::chrono::steady_clock;

// When the link last wrote a byte to the port, and until when the line
// stays quiet after a frame that broke off (see BrokenFrameQuietMs).
Clock::time_point g_lastWrite{};
Clock::time_point g_quietUntil{};
int g_quietFloorMs = kQuietFloorMs;
std::function<void(bool)> g_quietWaitNotice;

// Writes one byte; false when the port would not take it.
bool Write(platform::CommControl& port, uint8_t b) {
    if (!port.Output(QByteArray(1, static_cast<char>(b)))) return false;
    g_lastWrite = Clock::now();
    return true;
}

// The frame in progress broke off at the byte written last.  A byte whose
// answer came back wrong (or could not be had) may have reached the
// controller, which then waits for the frame's rest: the line stays quiet
// for the quiet time after that byte.  A byte that got no answer in time may
// have reached a slow controller that answers later and only then starts
// waiting for the rest: the quiet time runs from the moment the host gave up.
void FrameBrokeOff(int replyTimeOutMs, bool noAnswer) {
    const auto quiet = std::chrono::milliseconds(std::max(replyTimeOutMs, g_quietFloorMs));
    const Clock::time_point from = noAnswer ? Clock::now() : g_lastWrite;
    g_quietUntil = std::max(g_quietUntil, from + quiet);
}

// Before a byte goes out: while a frame that broke off keeps the line quiet,
// waits (handing control to the event queue, under the exchange guard) until
// the quiet time is over, then drops whatever the controller sent late, so
// that a late echo is not taken for the answer of the next byte.  False when
// the wait ended otherwise: the exchange was asked to end (kErrAborted), or
// the port went away or closed meanwhile (kErrPort).
bool WaitForQuietLine(QPointer<platform::CommControl>& port) {
    if (BrokenFrameQuietMs() <= 0) return true;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    // The same notice hears the end, even if another is registered meanwhile.
    const std::function<void(bool)> notice = g_quietWaitNotice;
    if (notice) notice(true);
    bool ok = true;
    for (int left = BrokenFrameQuietMs(); left > 0; left = BrokenFrameQuietMs()) {
        // The timer only wakes the wait when the time is over; the loop
        // sleeps meanwhile.
        if (!wake.isActive()) wake.start(left);
        Pump(QEventLoop::WaitForMoreEvents);
        if (Aborted()) {
            CommError = kErrAborted;
            ok = false;
            break;
        }
        if (!port || !port->PortOpen()) {
            CommError = kErrPort;
            ok = false;
            break;
        }
    }
    if (notice) notice(false);
    if (ok) {
        // What arrived during the quiet time belongs to the broken frame.
        for (int turn = 0; turn < 1000 && port->InBufferCount() > 0; ++turn) (void)port->Input();
        g_rxReady = false;
    }
    return ok;
}

// Closes the serial port for an aborted exchange; a failure changes nothing
// (the abort's code stands).
void ClosePortForAbort() {
    platform::CommControl* port = Link().Comm;
    if (!port || !port->PortOpen()) return;
    FlushInput();
    (void)port->setPortOpen(false);
}

// While an abort stands, an operation fails at once: kErrAborted, the port
// closed, nothing sent.
bool RefusedByAbort() {
    if (!Aborted()) return false;
    CommError = kErrAborted;
    ClosePortForAbort();
    return true;
}

// The common core of SendByte, ReceiveByteEcho and ReceiveByte.
uint8_t ReplyWait(Reply kind, uint8_t sent) {
    if (Busy()) return 0;
    CommError = 0;
    if (RefusedByAbort()) return 0;
    if (!Serial()) return 0;
    // The controls may go away during a wait (their owner closed): the wait
    // then ends as a port failure.
    const LinkControls link = Link();
    QPointer<platform::CommControl> port = link.Comm;
    QPointer<QTimer> timeOut = link.TimeOut;
    if (!port || !timeOut) {
        CommError = kErrPort;
        return 0;
    }
    if (!port->PortOpen()) {
        CommError = kErrNotOpen;
        return 0;
    }
    g_rxTimedOut = false;
    g_rxReady = false;
    const int replyTimeOutMs = timeOut->interval();

    if (kind == Reply::Echo) {
        if (!WaitForQuietLine(port)) {
            if (CommError == kErrAborted) ClosePortForAbort();
            return 0;
        }
        if (!timeOut) {
            CommError = kErrPort;
            return 0;
        }
        if (!Write(*port, sent)) {
            CommError = kErrPort;
            timeOut->stop();
            return 0;
        }
    }
    timeOut->start();

    enum class End { TimedOut, Received, PortFailed, Aborted } end;
    for (;;) {
        // Sleeps until something happens; the time-out timer guarantees a
        // wake-up, so this never spins and never waits forever.
        Pump(QEventLoop::WaitForMoreEvents);
        // A close asked for meanwhile ends the wait now, whatever else
        // arrived in the same turn.
        if (Aborted()) {
            end = End::Aborted;
            break;
        }
        if (!port || !timeOut) {
            end = End::PortFailed;
            break;
        }
        if (g_rxTimedOut) {
            end = End::TimedOut;
            break;
        }
        if (g_rxReady) {
            end = End::Received;
            break;
        }
        if (!port->PortOpen()) {  // the device went away mid-wait
            end = End::PortFailed;
            break;
        }
        if (!timeOut->isActive()) {
            // Something else disarmed the timer: nothing can end the wait
            // any more but giving up now.
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
    case End::Aborted:
        CommError = kErrAborted;
        break;
    case End::Received:
        switch (kind) {
        case Reply::Echo:
            if (g_rxByte != sent) CommError = kErrEcho;
            break;
        case Reply::ReceiveEcho:
            if (port && Write(*port, g_rxByte))
                result = g_rxByte;
            else
                CommError = kErrPort;
            break;
        case Reply::Receive:
            result = g_rxByte;
            break;
        }
        break;
    }
    if (CommError != 0) FrameBrokeOff(replyTimeOutMs, end == End::TimedOut);
    if (timeOut) timeOut->stop();
    if (kind == Reply::Echo) g_rxReady = false;
    if (end == End::Aborted) ClosePortForAbort();
    return result;
}

}  // namespace

bool RxReady() { return g_rxReady; }
uint8_t RxByte() { return g_rxByte; }
bool RxTimedOut() { return g_rxTimedOut; }

void ReceiveEvent(platform::CommControl& port) {
    if (bootup_modMain::RawMode) return;
    if (port.CommEvent() != platform::comEvReceive) return;
    const QByteArray data = port.Input();
    // A receipt of nothing (the bytes were taken meanwhile) is no reply; the
    // time-out keeps running for the real one.
    if (data.isEmpty()) return;
    if (QTimer* timeOut = Link().TimeOut) timeOut->stop();
    g_rxReady = true;
    // The link sees one byte per receipt; the rest of it is dropped.
    g_rxByte = static_cast<uint8_t>(data.at(0));
}

void TimeOutEvent(QTimer& timer) {
    timer.stop();
    g_rxTimedOut = true;
}

void OpenComm() {
    if (Busy()) return;
    CommError = 0;
    if (RefusedByAbort()) return;
    if (!Serial()) return;
    platform::CommControl* port = Link().Comm;
    if (!port) {
        CommError = kErrOpen;
        return;
    }
    if (!port->PortOpen() && !port->setPortOpen(true)) {
        CommError = kErrOpen;
        return;
    }
    FlushInput();
}

void CloseComm() {
    if (Busy()) return;
    CommError = 0;
    if (!Serial()) return;
    platform::CommControl* port = Link().Comm;
    if (!port) {
        CommError = kErrClose;
        return;
    }
    FlushInput();
    if (port->PortOpen() && !port->setPortOpen(false)) CommError = kErrClose;
}

void SendByte(uint8_t b) { (void)ReplyWait(Reply::Echo, b); }

void SendByteNoEcho(uint8_t b) {
    if (Busy()) return;
    CommError = 0;
    if (RefusedByAbort()) return;
    if (!Serial()) return;
    platform::CommControl* port = Link().Comm;
    if (!port) {
        CommError = kErrPort;
        return;
    }
    if (!port->PortOpen()) {
        CommError = kErrNotOpen;
        return;
    }
    QPointer<platform::CommControl> guarded = port;
    if (!WaitForQuietLine(guarded)) {
        if (CommError == kErrAborted) ClosePortForAbort();
        return;
    }
    if (!Write(*port, b)) CommError = kErrPort;
}

void SetQuietFloorMs(int ms) { g_quietFloorMs = std::max(ms, 0); }

int QuietFloorMs() { return g_quietFloorMs; }

void SetQuietWaitNotice(std::function<void(bool waiting)> notice) { g_quietWaitNotice = std::move(notice); }

namespace {

// The one-shot timer of WhenLineQuiet, a child of its context: it goes with
// the context, and a second call for the context finds it and takes its place.
class QuietLineTimer : public QTimer {
public:
    explicit QuietLineTimer(QObject* context) : QTimer(context) {
        setObjectName(QStringLiteral("vxIO.WhenLineQuiet"));
        setSingleShot(true);
        setTimerType(Qt::PreciseTimer);
        connect(this, &QTimer::timeout, this, [this] {
            // The quiet time may have been moved on since the timer started.
            if (const int left = BrokenFrameQuietMs(); left > 0) {
                start(left);
                return;
            }
            // The call may start a new wait for the same context, which then
            // finds this timer idle and reuses it.
            const std::function<void()> call = std::move(then_);
            then_ = nullptr;
            if (call) call();
        });
    }
    void Arm(std::function<void()> then) {
        then_ = std::move(then);
        start(BrokenFrameQuietMs());
    }

private:
    std::function<void()> then_;
};

}  // namespace

void WhenLineQuiet(QObject* context, std::function<void()> then) {
    if (!context) return;
    // The timer class has no meta-object of its own: found as a QTimer by
    // its name, then checked as what it is.
    auto* timer = dynamic_cast<QuietLineTimer*>(
        context->findChild<QTimer*>(QStringLiteral("vxIO.WhenLineQuiet"), Qt::FindDirectChildrenOnly));
    if (!timer) timer = new QuietLineTimer(context);
    timer->Arm(std::move(then));
}

int BrokenFrameQuietMs() {
    const Clock::duration left = g_quietUntil - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    // Rounded up: a wait of the value returned is never too short.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

void SendZero() {
    if (Busy()) return;
    if (!Serial() && !Aborted()) {
        CommError = 0;
        return;
    }
    SendByteNoEcho(0);
}

uint8_t ReceiveByteEcho() { return ReplyWait(Reply::ReceiveEcho, 0); }

uint8_t ReceiveByte() { return ReplyWait(Reply::Receive, 0); }

void FlushInput() {
    if (Busy()) return;
    if (!Serial()) return;
    platform::CommControl* port = Link().Comm;
    if (!port || !port->PortOpen()) return;
    // Input takes everything waiting, so one or two turns empty the buffer;
    // the bound only guards against a device that never stops delivering.
    for (int turn = 0; turn < 1000 && port->InBufferCount() > 0; ++turn) (void)port->Input();
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
    if (Busy()) return 0;
    CommError = 0;
    if (RefusedByAbort()) return 0;
    if (!Parallel()) return 0;
    const int16_t status = OSType == 2 ? platform::InportNT() : platform::Inport98();
    if (ParallelFailed()) return 0;
    return status;
}

uint8_t ParReceive() {
    if (Busy()) return 0;
    CommError = 0;
    if (RefusedByAbort()) return 0;
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
    CommError = 0;
    if (Parallel()) {
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
