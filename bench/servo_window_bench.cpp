// servo_window_bench: the real-time servo window against the simulated
// controller on a line paced at 9600 baud, through the real serial port.
//
//   1. Opening the window (24 motors read): the time against the wire time,
//      which is every byte's time on the line, out and back (10 bits a byte).
//      Target: within 10 % of the wire time.
//   2. A knob dragged for 2 seconds at 60 updates a second (a triangle
//      between 20 and 180): how many moves went out, and how long after the
//      drag's last update the servo stands at the knob's last value.
//      Target: within 100 ms.
//   During both, a 5 ms timer measures the longest gap in the event loop.
//   Target: never more than 50 ms.
//
// Run: build/bin/servo_window_bench [drag seconds]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "ControllerSim.h"
#include "build/modMain.h"
#include "documents/modApp.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"
#include "motion/ServoKnob.h"
#include "motion/frmMove32_G6.h"

namespace {

constexpr int kBaud = 9600;

// The longest gap between two ticks of a 5 ms timer.
class BlockMeter {
public:
    BlockMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            if (last_ >= 0) worst_ = std::max(worst_, now - last_);
            last_ = now;
        });
    }
    void Start() {
        worst_ = 0;
        last_ = -1;
        clock_.start();
        timer_.start();
    }
    // Longest gap in ms, counting the time since the last tick too.
    double Stop() {
        timer_.stop();
        if (last_ >= 0) worst_ = std::max(worst_, clock_.nsecsElapsed() - last_);
        return double(worst_) / 1e6;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 worst_ = 0;
};

double WireMs(const ControllerSim& sim) {
    const double bytes = double(sim.received().size() + sim.sent().size());
    return bytes * 10.0 * 1000.0 / kBaud;
}

const char* Verdict(bool ok) { return ok ? "ok" : "MISSED"; }

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double dragSeconds = argc > 1 ? std::max(0.1, std::atof(argv[1])) : 2.0;

    QTemporaryDir home;
    modApp::SetAppPath(home.path());

    ControllerSim sim(2);
    if (!sim.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    sim.setLinePaced(true);
    for (int i = 0; i < 32; ++i) sim.setServoPosition(i, static_cast<uint8_t>(60 + i));
    qputenv("QVV2_COM1", QByteArray::fromStdString(sim.slavePath()));

    modMain::PortType = 1;
    modMain::ControllerType = 8;
    modMain::ControllerID = 2;
    frmMain main;
    vxIO::Init();
    main.Comm.setCommPort(1);
    main.Comm.setSettings(QStringLiteral("9600,n,8,1"));
    main.TimeOut.setInterval(3000);

    BlockMeter meter;

    // ---- Opening ----------------------------------------------------------------
    sim.clearLogs();
    meter.Start();
    QElapsedTimer clock;
    clock.start();
    frmMove32_G6::Open(&main);
    const double openMs = double(clock.nsecsElapsed()) / 1e6;
    const double openBlockMs = meter.Stop();
    frmMove32_G6* w = frmMove32_G6::Loaded();
    if (!w) {
        std::fprintf(stderr, "the window did not open (error %d)\n", vxIO::CommError);
        return 1;
    }
    sim.waitIdle(2000);
    const double openWireMs = WireMs(sim);
    const size_t openOut = sim.received().size();
    const size_t openBack = sim.sent().size();
    const double ratio = openMs / openWireMs;

    // ---- Drag -------------------------------------------------------------------
    ServoKnob* knob = w->servo[0];
    knob->SetOn(true);
    sim.clearLogs();
    const int updates = static_cast<int>(dragSeconds * 60.0 + 0.5);
    int sentUpdates = 0;
    int lastValue = -1;
    QElapsedTimer dragClock;
    QTimer hand;
    hand.setTimerType(Qt::PreciseTimer);
    hand.setInterval(1);
    QObject::connect(&hand, &QTimer::timeout, [&] {
        // Update k falls due at k / 60 s.
        if (sentUpdates >= updates || dragClock.nsecsElapsed() < qint64(sentUpdates) * 1000000000LL / 60) return;
        const int phase = sentUpdates % 120;
        const int value = 20 + (phase < 60 ? phase : 120 - phase) * 160 / 60;
        ++sentUpdates;
        lastValue = value;
        // What a drag does: the slider position follows the pointer.
        knob->setSliderPosition(value);
    });
    meter.Start();
    dragClock.start();
    hand.start();
    while (sentUpdates < updates) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    hand.stop();
    const qint64 dragEnd = dragClock.nsecsElapsed();
    const int target = knob->Value();
    qint64 settled = -1;
    while (dragClock.nsecsElapsed() - dragEnd < 2000000000LL) {
        if (sim.servoPosition(0) == target && w->PendingMove(0) < 0) {
            settled = dragClock.nsecsElapsed();
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    const double dragBlockMs = meter.Stop();
    sim.waitIdle(2000);
    const double dragMs = double(dragEnd) / 1e6;
    size_t moves = 0;
    {
        const auto wire = sim.received();
        for (size_t i = 0; i + 2 < wire.size(); ++i)
            if (wire[i] == 0xE6) ++moves, i += 2;
    }
    const double lagMs = settled < 0 ? -1.0 : double(settled - dragEnd) / 1e6;

    w->close();
    QCoreApplication::processEvents();

    std::printf("servo window against the simulated controller, line paced at %d baud\n", kBaud);
    std::printf("open:  %.1f ms, wire time %.1f ms (%zu bytes out, %zu back), ratio %.3f  [target <= 1.10: %s]\n",
                openMs, openWireMs, openOut, openBack, ratio, Verdict(ratio <= 1.10));
    std::printf(
        "drag:  %d updates in %.0f ms, %zu moves sent, last value %d (knob %d), servo at it %.1f ms after "
        "the drag  [target <= 100 ms: %s]\n",
        sentUpdates, dragMs, moves, lastValue, target, lagMs, Verdict(lagMs >= 0 && lagMs <= 100));
    std::printf("event loop: longest block %.1f ms while opening, %.1f ms while dragging  [target <= 50 ms: %s]\n",
                openBlockMs, dragBlockMs, Verdict(openBlockMs <= 50 && dragBlockMs <= 50));
    return 0;
}
