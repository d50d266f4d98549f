// servo_window_bench: the real-time servo window against the simulated
// controller on a line paced at 9600 baud, through the real serial port.
//
//   1. Opening the window (24 motors read): the time against the wire time,
//      which is every byte's time on the line, out and back (10 bits a byte).
//      Target: within 6 % of the wire time.  For comparison, the same
//      reads sent by the link alone, without the window, under the same load.
//   2. A knob dragged for 2 seconds at 60 updates a second (a triangle
//      between 20 and 180): how many moves went out, and how long after the
//      drag's last update the servo stands at the knob's last value.
//      Target: within 100 ms.
//   During both, a 5 ms timer measures the longest gap in the event loop.
//   Target: never more than 50 ms.
// For the opening it also lists the host's turn-arounds (from the echo's
// arrival to the next byte's start on the line) that took longer than
// 0.5 ms, with the byte that followed, so that the time beyond the wire can
// be placed.
//
// Run: build/bin/servo_window_bench [drag seconds] [opening rounds, default 7]
#include <QApplication>
#include <QMetaEnum>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

#include "ControllerSim.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "link/vxIO_Windows.h"
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

// Every event the user-interface thread dispatches while it is on: when
// its dispatch began, its type and its receiver's class and name, so that a
// slow turn-around can be matched with what ran in it.
class EventLog : public QObject {
public:
    struct Entry {
        std::chrono::steady_clock::time_point at;
        QEvent::Type type;
        QString receiver;
    };
    void Start() {
        entries_.clear();
        qApp->installEventFilter(this);
    }
    void Stop() { qApp->removeEventFilter(this); }
    // What began between the two times, counted by kind: "Paint frmWait x2".
    QString Between(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) const {
        std::map<QString, int> kinds;
        for (const Entry& e : entries_)
            if (e.at >= from && e.at < to) {
                const QString name = QString::fromLatin1(QMetaEnum::fromType<QEvent::Type>().valueToKey(e.type));
                ++kinds[(name.isEmpty() ? QString::number(e.type) : name) + QLatin1Char(' ') + e.receiver];
            }
        QStringList parts;
        for (const auto& [kind, count] : kinds) parts << kind + QStringLiteral(" x") + QString::number(count);
        return parts.join(QStringLiteral(", "));
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        QString receiver = QString::fromLatin1(o->metaObject()->className());
        if (!o->objectName().isEmpty()) receiver += QLatin1Char('/') + o->objectName();
        entries_.push_back({std::chrono::steady_clock::now(), e->type(), receiver});
        return false;
    }

private:
    std::vector<Entry> entries_;
};

constexpr size_t kBytesPerMotor = 12;

double MedianOf(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

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
    const int roundCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

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
    EventLog events;

    // ---- Opening ----------------------------------------------------------------
    // Rounds, each of the load's byte sequence sent by the link alone (the
    // port opened, the stop, 24 x motor flag and position; the machine's own
    // share) and then the window's opening; the median round is reported.
    struct OpenRound {
        double linkMs = 0, linkWireMs = 0, openMs = 0, openWireMs = 0, blockMs = 0;
        double beforeMs = 0, afterMs = 0, hostUs = 0;
        size_t out = 0, back = 0;
        // Turn-arounds over 0.5 ms: their number, their time beyond a
        // quick one, and each as (index, ms, byte that followed).
        // Median host-only turn-around before each motor's first byte (the
        // per-motor yield falls there) and elsewhere, in ms.
        double motorTurnMs = 0, otherTurnMs = 0;
        int slow = 0;
        double slowExcessMs = 0;
        std::vector<std::tuple<size_t, double, int, QString>> slowList;
    };
    std::vector<OpenRound> rounds;
    frmMove32_G6* w = nullptr;
    for (int round = 0; round < roundCount; ++round) {
        OpenRound r;
        sim.clearLogs();
        {
            QElapsedTimer clock;
            clock.start();
            vxIO::OpenComm();
            vxIO::StopProgram();
            for (int16_t i = 0; i < frmMove32_G6::kUsedMotors && vxIO::CommError == 0; ++i) {
                (void)vxIO::GetMotorOn(i);
                if (vxIO::CommError == 0) (void)vxIO::ReadMotorPos(i);
            }
            r.linkMs = double(clock.nsecsElapsed()) / 1e6;
            vxIO::CloseComm();
            sim.waitIdle(2000);
            r.linkWireMs = WireMs(sim);
        }

        sim.clearLogs();
        meter.Start();
        events.Start();
        QElapsedTimer clock;
        clock.start();
        const auto openStart = std::chrono::steady_clock::now();
        frmMove32_G6::Open(&main);
        r.openMs = double(clock.nsecsElapsed()) / 1e6;
        const auto openEnd = std::chrono::steady_clock::now();
        r.blockMs = meter.Stop();
        events.Stop();
        w = frmMove32_G6::Loaded();
        if (!w) {
            std::fprintf(stderr, "the window did not open (error %d)\n", vxIO::CommError);
            return 1;
        }
        sim.waitIdle(2000);
        r.openWireMs = WireMs(sim);
        r.out = sim.received().size();
        r.back = sim.sent().size();
        // Where the time beyond the wire went: before the first byte
        // (building, localising, reading the limits), between the bytes (the
        // host's turn-around per byte, which holds one character time of the
        // line) and after the last one (laying out, showing).
        const auto in = sim.receivedTimes();
        const auto out = sim.sentTimes();
        using Ms = std::chrono::duration<double, std::milli>;
        if (!in.empty() && !out.empty()) {
            r.beforeMs = Ms(in.front() - openStart).count();
            r.afterMs = Ms(openEnd - out.back()).count();
            const size_t n = std::min(in.size(), out.size());
            const auto received = sim.received();
            const double charMs = 10.0 * 1000.0 / kBaud;
            double host = 0;
            std::vector<double> motorTurns, otherTurns;
            for (size_t i = 0; i + 1 < n; ++i) {
                const double turn = Ms(in[i + 1] - out[i]).count();
                host += turn;
                // The next byte's own time on the line is the line's share.
                const double hostOnly = turn - charMs;
                // After the stop byte each motor takes 12 bytes each way.
                (i % kBytesPerMotor == 0 ? motorTurns : otherTurns).push_back(hostOnly);
                if (hostOnly > 0.5) {
                    ++r.slow;
                    r.slowExcessMs += hostOnly - 0.1;
                    // From the echo's arrival at the host to the next byte's
                    // start on the line.
                    const auto nextStart = in[i + 1] - std::chrono::microseconds(1042);
                    r.slowList.emplace_back(i, hostOnly, received[i + 1], events.Between(out[i], nextStart));
                }
            }
            r.hostUs = n > 1 ? host * 1000.0 / double(n - 1) : 0;
            r.motorTurnMs = MedianOf(motorTurns);
            r.otherTurnMs = MedianOf(otherTurns);
        }
        rounds.push_back(r);
        if (round + 1 < roundCount) {
            w->close();
            for (int k = 0; k < 3; ++k) {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QCoreApplication::processEvents();
            }
        }
    }
    std::vector<OpenRound> byRatio = rounds;
    std::sort(byRatio.begin(), byRatio.end(),
              [](const OpenRound& a, const OpenRound& b) { return a.openMs / a.openWireMs < b.openMs / b.openWireMs; });
    const OpenRound& median = byRatio[byRatio.size() / 2];
    const double ratio = median.openMs / median.openWireMs;
    double openBlockMs = 0;
    for (const OpenRound& r : rounds) openBlockMs = std::max(openBlockMs, r.blockMs);
    w = frmMove32_G6::Loaded();
    if (!w) return 1;

    // ---- Drag -------------------------------------------------------------------
    ServoKnob* knob = w->servo[0];
    knob->SetOn(true);
    sim.clearLogs();
    const int updates = static_cast<int>(dragSeconds * 60.0 + 0.5);
    int sentUpdates = 0;
    int lastValue = -1;
    qint64 lastUpdateAt = 0;  // when the drag's last update came
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
        lastUpdateAt = dragClock.nsecsElapsed();
        // What a drag does: the slider position follows the pointer.
        knob->setSliderPosition(value);
    });
    meter.Start();
    dragClock.start();
    hand.start();
    while (sentUpdates < updates) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    hand.stop();
    const qint64 dragEnd = lastUpdateAt;
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
    for (const OpenRound& r : rounds)
        std::printf(
            "open round: window %.1f ms for %.1f ms of wire (%zu bytes out, %zu back), ratio %.3f; "
            "the same reads by the link alone %.1f ms for %.1f ms of wire, ratio %.3f\n",
            r.openMs, r.openWireMs, r.out, r.back, r.openMs / r.openWireMs, r.linkMs, r.linkWireMs,
            r.linkMs / r.linkWireMs);
    for (const OpenRound& r : rounds) {
        std::printf("  median turn-around of the host: %.3f ms before a motor's first byte, %.3f ms elsewhere\n",
                    r.motorTurnMs, r.otherTurnMs);
        std::printf("  turn-arounds over 0.5 ms: %d, %.1f ms beyond 0.1 ms each:", r.slow, r.slowExcessMs);
        for (const auto& [index, ms, next, ran] : r.slowList)
            std::printf("\n    #%zu %.2f ms (then 0x%02X): %s", index, ms, next, ran.toUtf8().constData());
        std::printf("\n");
    }
    std::printf("open:  ratios from %.3f to %.3f over %zu rounds\n", byRatio.front().openMs / byRatio.front().openWireMs,
                byRatio.back().openMs / byRatio.back().openWireMs, byRatio.size());
    std::printf("open:  median ratio %.3f to the wire time  [target <= 1.06: %s]; the link alone %.3f\n", ratio,
                Verdict(ratio <= 1.06), median.linkMs / median.linkWireMs);
    std::printf(
        "       before the first byte %.1f ms, after the last %.1f ms, host turn-around %.0f us a byte "
        "(one character time of that is the line's, %.0f us)\n",
        median.beforeMs, median.afterMs, median.hostUs, 10.0 * 1e6 / kBaud);
    std::printf(
        "drag:  %d updates in %.0f ms, %zu moves sent, last value %d (knob %d), servo at it %.1f ms after "
        "the drag's last update  [target <= 100 ms: %s]\n",
        sentUpdates, dragMs, moves, lastValue, target, lagMs, Verdict(lagMs >= 0 && lagMs <= 100));
    std::printf("event loop: longest block %.1f ms while opening, %.1f ms while dragging  [target <= 50 ms: %s]\n",
                openBlockMs, dragBlockMs, Verdict(openBlockMs <= 50 && dragBlockMs <= 50));
    return 0;
}
