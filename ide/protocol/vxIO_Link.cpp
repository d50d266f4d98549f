// The link's controls (registered by the main window, else a stand-in), the
// delay timer's handler, and the guard that lets one controller exchange
// run at a time.
#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

#include "platform/CommControl.h"
#include "protocol/LinkState.h"
#include "protocol/modMainDelay.h"
#include "protocol/vxIO_Protocol.h"

namespace vxIO {

namespace {

// A close or speed change that waits for bytes still on the line hands
// control to the event queue between the pieces of its wait, as every link
// wait does: under the exchange guard, so nothing started from an event
// talks to the controller in the middle of it.
void YieldDuringDrain(platform::CommControl& port) {
    port.setDrainYield([] { Pump(QEventLoop::AllEvents); });
}

// The registered controls; a control that is deleted reads as null, so a set
// whose owner went away counts as unregistered.  The registration's state
// comes and goes with it.
QPointer<platform::CommControl> g_comm;
QPointer<QTimer> g_timeOut;
QPointer<QTimer> g_timeDelay;
std::shared_ptr<detail::LinkState> g_state;

bool Registered() { return g_comm && g_timeOut && g_timeDelay && g_state; }

// The stand-in's state, for as long as the process runs.
const std::shared_ptr<detail::LinkState>& StandInState() {
    static const std::shared_ptr<detail::LinkState> state = std::make_shared<detail::LinkState>();
    return state;
}

// The program-wide stand-in: the controls with the main window's design-time
// set-up and the same event handlers.  It belongs to the application object
// and goes with it.
class StandIn : public QObject {
public:
    explicit StandIn(QObject* parent) : QObject(parent) {
        TimeOut.setTimerType(Qt::PreciseTimer);
        TimeOut.setInterval(3000);
        TimeDelay.setTimerType(Qt::PreciseTimer);
        YieldDuringDrain(Comm);
        QObject::connect(&Comm, &platform::CommControl::OnComm, this, [this] { ReceiveEvent(Comm); });
        QObject::connect(&TimeOut, &QTimer::timeout, this, [this] { TimeOutEvent(TimeOut); });
        QObject::connect(&TimeDelay, &QTimer::timeout, this, [this] { DelayEvent(TimeDelay); });
    }

    platform::CommControl Comm;
    QTimer TimeOut;
    QTimer TimeDelay;
};

QPointer<StandIn> g_standIn;

// The guard's state.  Depth of the link waits now handing control to the
// event queue; the wait depth at which the active exchange runs; tokens held.
int g_pumpDepth = 0;
int g_ownerDepth = 0;
int g_tokens = 0;
// An abort asked for and not yet lifted.
bool g_aborted = false;

bool PortIsOpen() {
    const LinkControls link = Link();
    return link.Comm && link.Comm->PortOpen();
}

}  // namespace

void SetLinkControls(const LinkControls& controls) {
    if (controls.Comm && controls.TimeOut && controls.TimeDelay) {
        YieldDuringDrain(*controls.Comm);
        g_comm = controls.Comm;
        g_timeOut = controls.TimeOut;
        g_timeDelay = controls.TimeDelay;
        g_state = std::make_shared<detail::LinkState>();
    } else {
        g_comm = nullptr;
        g_timeOut = nullptr;
        g_timeDelay = nullptr;
        g_state.reset();
    }
}

std::shared_ptr<detail::LinkState> detail::CurrentState() { return Registered() ? g_state : StandInState(); }

LinkControls Link() {
    if (Registered()) return {g_comm.data(), g_timeOut.data(), g_timeDelay.data()};
    if (!g_standIn) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return {};
        g_standIn = new StandIn(app);
    }
    return {&g_standIn->Comm, &g_standIn->TimeOut, &g_standIn->TimeDelay};
}

void DelayEvent(QTimer& timer) {
    timer.stop();
    modMain::DelayElapsed = true;
}

bool Busy() {
    const bool active = g_tokens > 0 || PortIsOpen();
    // With no exchange active, or once the code that owns it is back below
    // the level it started at, the owner's level follows the current one.
    if (!active || g_pumpDepth < g_ownerDepth) g_ownerDepth = g_pumpDepth;
    return active && g_pumpDepth > g_ownerDepth;
}

Exchange::Exchange() : granted_(!Busy()) {
    if (granted_) ++g_tokens;
}

Exchange::~Exchange() {
    if (granted_ && g_tokens > 0) --g_tokens;
}

void Abort() {
    if (g_tokens > 0 || PortIsOpen()) g_aborted = true;
}

bool Aborted() { return g_aborted; }

void EndAbort() { g_aborted = false; }

void Pump(QEventLoop::ProcessEventsFlags flags) {
    if (!QCoreApplication::instance()) return;
    struct Depth {
        Depth() { ++g_pumpDepth; }
        ~Depth() { --g_pumpDepth; }
    } depth;
    QCoreApplication::processEvents(flags);
}

}  // namespace vxIO
