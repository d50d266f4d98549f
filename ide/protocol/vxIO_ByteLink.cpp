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
#include <memory>
#include <vector>

#include "platform/CommControl.h"
#include "platform/PortIO.h"
#include "protocol/LinkSettings.h"
#include "protocol/LinkState.h"
#include "protocol/bootup_modMain.h"

namespace vxIO {

bool Serial() { return modMain::PortType == 1; }

namespace {

using detail::Clock;
using detail::LineState;
using detail::LinkState;

bool Parallel() { return modMain::PortType == 0; }

enum class Reply { Echo, ReceiveEcho, Receive };

// The line a port is: its port number.
LineState& LineOf(LinkState& state, const platform::CommControl& port) { return state.lines[port.CommPort()]; }

// The quiet time a broken frame or a late byte sets: the reply time-out,
// but never less than the floor.
Clock::duration QuietTime(const LinkState& state, int replyTimeOutMs) {
    return std::chrono::milliseconds(std::max(replyTimeOutMs, state.quietFloorMs));
}

int MsUntil(Clock::time_point end) {
    const Clock::duration left = end - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    // Rounded up: a wait of the value returned is never too short.
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Writes one byte; false when the port would not take it.
bool Write(LineState& line, platform::CommControl& port, uint8_t b) {
    if (!port.Output(QByteArray(1, static_cast<char>(b)))) return false;
    line.lastWrite = Clock::now();
    return true;
}

// The frame in progress broke off at the byte written last.  A byte whose
// answer came back wrong (or could not be had) may have reached the
// controller, which then waits for the frame's rest: the line stays quiet
// for the quiet time after that byte.  A byte that got no answer in time may
// have reached a slow controller that answers later and only then starts
// waiting for the rest: the quiet time runs from the moment the host gave up.
void FrameBrokeOff(const LinkState& state, LineState& line, int replyTimeOutMs, bool noAnswer) {
    const Clock::time_point from = noAnswer ? Clock::now() : line.lastWrite;
    line.quietUntil = std::max(line.quietUntil, from + QuietTime(state, replyTimeOutMs));
}

// A byte came that no reply wait waited for: the controller has just
// answered a byte of a broken frame and waits for the rest now.  The quiet
// time starts again from now, with the reply time-out now in force.
void LateByte(const LinkState& state, LineState& line) {
    const QTimer* timeOut = Link().TimeOut;
    const int replyTimeOutMs = timeOut ? timeOut->interval() : 0;
    line.quietUntil = std::max(line.quietUntil, Clock::now() + QuietTime(state, replyTimeOutMs));
}

// Takes every byte waiting in the port's buffer and drops it; true when
// there was any.  Input takes everything waiting, so one or two turns empty
// the buffer; the bound only guards against a device that never stops
// delivering.
bool DropWaiting(platform::CommControl& port) {
    bool dropped = false;
    for (int turn = 0; turn < 1000 && port.InBufferCount() > 0; ++turn)
        if (!port.Input().isEmpty()) dropped = true;
    return dropped;
}

}  // namespace

// A notice as the link keeps it: its function, and how many waits it was
// told the start of and not yet the end.
struct QuietWaitNotice::Entry {
    std::function<void(bool)> notice;
    int open = 0;
};

namespace {

// The notices of the quiet-line waits (QuietWaitNotice): each held by its
// object, seen here only while it lives.  The list is never destroyed, so a
// notice held by a static object may still go at the program's end.
using Told = std::vector<std::weak_ptr<QuietWaitNotice::Entry>>;
Told& Notices() {
    static Told* const notices = new Told;
    return *notices;
}

// Tells every notice that lives that a wait starts; returns those told.
Told TellWaitStarts() {
    // A notice may make or drop notices when it is called: the list is
    // walked as it stood.
    const Told all = Notices();
    Told told;
    for (const auto& weak : all) {
        if (const std::shared_ptr<QuietWaitNotice::Entry> entry = weak.lock()) {
            told.push_back(weak);
            ++entry->open;
            entry->notice(true);
        }
    }
    return told;
}

// Tells the notices told of the start, as far as they still live and have
// not heard the end already (from their own going), that the wait has
// ended.
void TellWaitEnds(const Told& told) {
    for (const auto& weak : told) {
        const std::shared_ptr<QuietWaitNotice::Entry> entry = weak.lock();
        if (!entry || entry->open <= 0) continue;
        --entry->open;
        entry->notice(false);
    }
}

// Before a byte goes out: while the line must stay quiet (a frame broke
// off, a byte came late), waits (handing control to the event queue, under
// the exchange guard) until the quiet time is over.  A byte that comes
// meanwhile is late and starts the quiet time again (ReceiveEvent); so does
// one still waiting in the buffer at the end, which is dropped.  Then no
// late byte is left to be taken for the answer of the next byte.  False
// when the wait ended otherwise: the exchange was asked to end
// (kErrAborted), or the port went away or closed meanwhile (kErrPort).
bool WaitForQuietLine(QPointer<platform::CommControl>& port, LinkState& state) {
    LineState& line = LineOf(state, *port);
    if (MsUntil(line.quietUntil) <= 0) return true;
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    const Told told = TellWaitStarts();
    bool ok = true;
    for (bool quiet = false; ok && !quiet;) {
        for (int left = MsUntil(line.quietUntil); left > 0; left = MsUntil(line.quietUntil)) {
            // The timer only wakes the wait when the time is over; the loop
            // sleeps meanwhile.  A late byte moves the end on: the timer
            // then wakes the wait too early, and it sleeps on.
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
        if (!ok) break;
        // What arrived and was not yet delivered came late as well.
        quiet = !DropWaiting(*port);
        if (!quiet) LateByte(state, line);
    }
    TellWaitEnds(told);
    if (ok) state.rxReady = false;
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
    // The state and the line stay this wait's, whatever happens to the
    // controls meanwhile.
    const std::shared_ptr<LinkState> held = detail::CurrentState();
    LinkState& state = *held;
    LineState& line = LineOf(state, *port);
    state.rxTimedOut = false;
    state.rxReady = false;
    const int replyTimeOutMs = timeOut->interval();

    if (kind == Reply::Echo) {
        if (!WaitForQuietLine(port, state)) {
            if (CommError == kErrAborted) ClosePortForAbort();
            return 0;
        }
        if (!timeOut) {
            CommError = kErrPort;
            return 0;
        }
        if (!Write(line, *port, sent)) {
            CommError = kErrPort;
            timeOut->stop();
            return 0;
        }
    }
    // From here a byte that arrives is this wait's answer.
    state.replyWaiting = true;
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
        if (state.rxTimedOut) {
            end = End::TimedOut;
            break;
        }
        if (state.rxReady) {
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
    state.replyWaiting = false;

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
            if (state.rxByte != sent) CommError = kErrEcho;
            break;
        case Reply::ReceiveEcho:
            if (port && Write(line, *port, state.rxByte))
                result = state.rxByte;
            else
                CommError = kErrPort;
            break;
        case Reply::Receive:
            result = state.rxByte;
            break;
        }
        break;
    }
    if (CommError != 0) FrameBrokeOff(state, line, replyTimeOutMs, end == End::TimedOut);
    if (timeOut) timeOut->stop();
    if (kind == Reply::Echo) state.rxReady = false;
    if (end == End::Aborted) ClosePortForAbort();
    return result;
}

}  // namespace

bool RxReady() { return detail::CurrentState()->rxReady; }
uint8_t RxByte() { return detail::CurrentState()->rxByte; }
bool RxTimedOut() { return detail::CurrentState()->rxTimedOut; }

void ReceiveEvent(platform::CommControl& port) {
    if (bootup_modMain::RawMode) return;
    if (port.CommEvent() != platform::comEvReceive) return;
    // The receipts of a port that is not the link's are not the link's.
    if (Link().Comm != &port) return;
    const QByteArray data = port.Input();
    // A receipt of nothing (the bytes were taken meanwhile) is no reply; the
    // time-out keeps running for the real one.
    if (data.isEmpty()) return;
    const std::shared_ptr<LinkState> state = detail::CurrentState();
    if (!state->replyWaiting || state->rxReady) {
        // Nothing waits for it (or the wait has its answer already): a late
        // byte of a broken frame.  Dropped; the line stays quiet from now.
        LateByte(*state, LineOf(*state, port));
        return;
    }
    if (QTimer* timeOut = Link().TimeOut) timeOut->stop();
    state->rxReady = true;
    // The link sees one byte per receipt; the rest of it is dropped.
    state->rxByte = static_cast<uint8_t>(data.at(0));
}

void TimeOutEvent(QTimer& timer) {
    timer.stop();
    detail::CurrentState()->rxTimedOut = true;
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
    const std::shared_ptr<LinkState> state = detail::CurrentState();
    if (!WaitForQuietLine(guarded, *state)) {
        if (CommError == kErrAborted) ClosePortForAbort();
        return;
    }
    if (!Write(LineOf(*state, *port), *port, b)) CommError = kErrPort;
}

void SetQuietFloorMs(int ms) { detail::CurrentState()->quietFloorMs = std::max(ms, 0); }

int QuietFloorMs() { return detail::CurrentState()->quietFloorMs; }

QuietWaitNotice::QuietWaitNotice(std::function<void(bool waiting)> notice) {
    if (!notice) return;
    entry_ = std::make_shared<Entry>();
    entry_->notice = std::move(notice);
    Told& notices = Notices();
    notices.erase(std::remove_if(notices.begin(), notices.end(), [](const auto& w) { return w.expired(); }),
                  notices.end());
    notices.push_back(entry_);
}

QuietWaitNotice::~QuietWaitNotice() {
    if (!entry_) return;
    // Going during a wait: the end is told now, so that what the start set
    // up (a busy pointer) is put back.
    while (entry_->open > 0) {
        --entry_->open;
        entry_->notice(false);
    }
    Told& notices = Notices();
    const Entry* mine = entry_.get();
    notices.erase(std::remove_if(notices.begin(), notices.end(),
                                 [mine](const auto& w) {
                                     const auto entry = w.lock();
                                     return !entry || entry.get() == mine;
                                 }),
                  notices.end());
}

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
    const platform::CommControl* port = Link().Comm;
    if (!port) return 0;
    const std::shared_ptr<LinkState> state = detail::CurrentState();
    const auto line = state->lines.find(port->CommPort());
    return line == state->lines.end() ? 0 : MsUntil(line->second.quietUntil);
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
    // No wait took what is dropped here: a byte among it came late.
    if (DropWaiting(*port)) {
        const std::shared_ptr<LinkState> state = detail::CurrentState();
        LateByte(*state, LineOf(*state, *port));
    }
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
