// download_bench: the fast download against the simulated controller on a
// line-paced pseudo-terminal, through the real link and serial port.
//
// The simulated line carries every byte at the speed the host has set on it
// when the byte leaves: the echoed bytes before the speed change at 9600
// baud, the length and the blocks at 115200.  The wire time is every byte
// that crossed the line, both ways, at 10 bits a byte and the speed it
// crossed at, plus the download's own prescribed waits (100 ms after the
// speed change, 100 ms before the settings go back, 10 ms after each of the
// eight EEPROM writes of a long name); the measured time holds those waits
// too.
//
// Per run it reports:
//   - the whole download against that wire time (target: within 1.08);
//   - how long after the last block byte's time on the line the port
//     closed (seen as the line's speed leaving 115200; target: 15 ms);
//   - in a second series of the same runs, the longest time the
//     user-interface thread went without handling an event: a helper thread
//     posts an event every millisecond and the longest wait for one to be
//     handled is the longest block (target: 30 ms).  The series is separate
//     because those wake-ups cost the thread a little time.
// Medians with the lowest and highest value follow.
//
// It links the controller protocol alone: no window, no message box; a link
// error is printed with its code.
//
// Run: build/bin/download_bench [bytes] [runs]     (defaults: 3072 bytes, 7 runs)
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ControllerSim.h"
#include "platform/CommControl.h"
#include "protocol/LinkSettings.h"
#include "protocol/vxIO_Protocol.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr int kFastBaud = 115200;

double CharMs(int baud) { return baud > 0 ? 10.0 * 1000.0 / baud : 0.0; }

// Records every change of the line's speed as the simulator's side sees it.
class SpeedWatch {
public:
    explicit SpeedWatch(const ControllerSim& sim) : sim_(sim) {
        thread_ = std::thread([this] {
            int last = -1;
            while (!stop_) {
                const int speed = sim_.lineSpeed();
                if (speed != last) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    changes_.push_back({Clock::now(), speed});
                    last = speed;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
    }
    ~SpeedWatch() {
        stop_ = true;
        thread_.join();
    }
    // The first time after `after` at which the speed was no longer `speed`.
    bool LeftSpeed(int speed, Clock::time_point after, Clock::time_point* at) const {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& c : changes_)
            if (c.at > after && c.speed != speed) {
                *at = c.at;
                return true;
            }
        return false;
    }

private:
    struct Change {
        Clock::time_point at;
        int speed;
    };
    const ControllerSim& sim_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Change> changes_;
};

// The longest wait of an event posted to the user-interface thread.
class BlockProbe : public QObject {
public:
    void Start() {
        worst_ = 0;
        stop_ = false;
        thread_ = std::thread([this] {
            while (!stop_) {
                const Clock::time_point posted = Clock::now();
                QMetaObject::invokeMethod(
                    this,
                    [this, posted] {
                        const double ms = Ms(Clock::now() - posted).count();
                        if (ms > worst_) worst_ = ms;
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
    }
    double Stop() {
        stop_ = true;
        thread_.join();
        QCoreApplication::processEvents();
        return worst_;
    }

private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    double worst_ = 0;  // user-interface thread only
};

struct Run {
    bool ok = false;
    double wallMs = 0, wireMs = 0, waitsMs = 0, closeGapMs = -1, blockMs = -1;
    size_t slowBytes = 0, fastBytes = 0;
};

// Wire time of what the simulator received and sent: each received byte at
// the speed it was taken at, each answer at the speed of the byte it
// answers (the last one received before it went out).
void WireTime(const ControllerSim& sim, Run& r) {
    const auto in = sim.received();
    const auto inAt = sim.receivedTimes();
    const auto inSpeed = sim.receivedSpeeds();
    const auto outAt = sim.sentTimes();
    double ms = 0;
    for (size_t i = 0; i < in.size() && i < inSpeed.size(); ++i) {
        ms += CharMs(inSpeed[i]);
        (inSpeed[i] == kFastBaud ? r.fastBytes : r.slowBytes)++;
    }
    size_t j = 0;
    for (const Clock::time_point t : outAt) {
        while (j + 1 < inAt.size() && inAt[j + 1] <= t) ++j;
        const int speed = j < inSpeed.size() ? inSpeed[j] : 0;
        ms += CharMs(speed);
        (speed == kFastBaud ? r.fastBytes : r.slowBytes)++;
    }
    r.wireMs = ms;
}

// Where the time beyond the wire went in one run: the line's idle stretches
// over 0.5 ms (from the end of one byte on the line to the start of the
// next, either way), before the first byte and after the last one.
void IdleStretches(const ControllerSim& sim, Clock::time_point t0, Clock::time_point t1) {
    struct Byte {
        Clock::time_point start, end;
        uint8_t value;
        bool fromHost;
    };
    std::vector<Byte> line;
    const auto in = sim.received();
    const auto inAt = sim.receivedTimes();
    const auto inSpeed = sim.receivedSpeeds();
    for (size_t i = 0; i < in.size() && i < inAt.size() && i < inSpeed.size(); ++i)
        line.push_back({inAt[i] - std::chrono::nanoseconds(int64_t(CharMs(inSpeed[i]) * 1e6)), inAt[i], in[i], true});
    const auto out = sim.sent();
    const auto outAt = sim.sentTimes();
    size_t j = 0;
    for (size_t i = 0; i < out.size() && i < outAt.size(); ++i) {
        while (j + 1 < inAt.size() && inAt[j + 1] <= outAt[i]) ++j;
        const int speed = j < inSpeed.size() ? inSpeed[j] : 0;
        line.push_back({outAt[i] - std::chrono::nanoseconds(int64_t(CharMs(speed) * 1e6)), outAt[i], out[i], false});
    }
    std::sort(line.begin(), line.end(), [](const Byte& a, const Byte& b) { return a.start < b.start; });
    if (line.empty()) return;
    std::printf("  where the time went: %.1f ms before the first byte;", Ms(line.front().start - t0).count());
    double small = 0;
    int smallCount = 0;
    for (size_t i = 1; i < line.size(); ++i) {
        const double gap = Ms(line[i].start - line[i - 1].end).count();
        if (gap > 0.5)
            std::printf(" %.1f ms before %s 0x%02X;", gap, line[i].fromHost ? "host" : "controller", line[i].value);
        else if (gap > 0)
            small += gap, ++smallCount;
    }
    std::printf(" %.1f ms in %d shorter turn-arounds; %.1f ms after the last byte\n", small, smallCount,
                Ms(t1 - line.back().end).count());
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Summary(const char* what, const std::vector<double>& v, const char* unit) {
    if (v.empty()) return;
    std::printf("  %-44s median %8.3f%s  (lowest %.3f, highest %.3f, %zu runs)\n", what, Median(v), unit,
                *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()), v.size());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int32_t n = argc > 1 ? std::clamp(std::atoi(argv[1]), 17, 65535) : 3072;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;

    // The link's own controls (its stand-in for the main window's).
    const vxIO::LinkControls link = vxIO::Link();
    modMain::PortType = 1;
    modMain::ControllerType = 8;
    modMain::ControllerID = 2;
    vxIO::Init();
    link.TimeOut->setInterval(3000);
    link.Comm->setSettings(QStringLiteral("9600,n,8,1"));
    // A short (8.3) name: no EEPROM writes, so the prescribed waits are the
    // two around the speed change.
    const std::string name = "bench.bas";
    const double prescribedMs = 200.0;

    ControllerSim sim(2);
    if (!sim.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("QVV2_COM1", QByteArray::fromStdString(sim.slavePath()));
    sim.setLinePaced(true);
    SpeedWatch speeds(sim);
    BlockProbe probe;

    std::vector<uint8_t> image(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 1; i <= n; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 131 + i / 256) & 0xFF);
    const std::vector<uint8_t> expected(image.begin() + 1, image.end());

    std::printf("download of %d bytes in %d blocks, line paced at the speed in force, %d runs\n", n,
                (n - 1) / 256 + 1, runs);
    int failures = 0;
    std::vector<Run> timed, probed;
    for (int series = 0; series < 2; ++series) {
        for (int run = 1; run <= runs; ++run) {
            Run r;
            r.waitsMs = prescribedMs;
            sim.clearLogs();
            if (series == 1) probe.Start();
            const Clock::time_point t0 = Clock::now();
            r.ok = vxIO::DownloadFast(image, n, 0, name, {});
            const Clock::time_point t1 = Clock::now();
            if (!r.ok) std::printf("  link error %d\n", vxIO::CommError);
            if (series == 1) r.blockMs = probe.Stop();
            sim.waitIdle(2000);
            r.wallMs = Ms(t1 - t0).count();
            r.ok = r.ok && sim.downloadedImage() == expected;
            WireTime(sim, r);
            // The last block byte's time on the line ends when the simulator
            // has taken it; the close puts the line's earlier speed back.
            const auto inAt = sim.receivedTimes();
            const auto inSpeed = sim.receivedSpeeds();
            for (size_t i = inAt.size(); i-- > 0;)
                if (inSpeed[i] == kFastBaud) {
                    Clock::time_point closed;
                    if (speeds.LeftSpeed(kFastBaud, inAt[i], &closed)) r.closeGapMs = Ms(closed - inAt[i]).count();
                    break;
                }
            if (!r.ok) ++failures;
            const double ratio = r.wallMs / (r.wireMs + r.waitsMs);
            if (series == 0)
                std::printf("run %d: %s; %zu bytes at 9600 and %zu at 115200 = %.1f ms of wire + %.0f ms of "
                            "waits; measured %.1f ms, ratio %.4f; port closed %.1f ms after the last byte\n",
                            run, r.ok ? "arrived intact" : "FAILED", r.slowBytes, r.fastBytes, r.wireMs, r.waitsMs,
                            r.wallMs, ratio, r.closeGapMs);
            if (series == 0 && run == 1) IdleStretches(sim, t0, t1);
            else
                std::printf("probed run %d: %s; measured %.1f ms; longest block of the user-interface thread "
                            "%.1f ms\n",
                            run, r.ok ? "arrived intact" : "FAILED", r.wallMs, r.blockMs);
            (series == 0 ? timed : probed).push_back(r);
        }
    }

    // 80,000 bytes (the compiler's largest image) cannot be announced in 16
    // bits: refused at once, nothing sent.
    std::vector<uint8_t> big(80001, 0x11);
    sim.clearLogs();
    const Clock::time_point b0 = Clock::now();
    const bool bigOk = vxIO::DownloadFast(big, 80000, 0, name, {});
    std::printf("80000 bytes: %s (code %d) after %.1f ms, %zu bytes sent\n", bigOk ? "SENT" : "refused",
                vxIO::CommError, Ms(Clock::now() - b0).count(), sim.received().size());

    std::vector<double> ratios, gaps, blocks, walls;
    for (const Run& r : timed) {
        ratios.push_back(r.wallMs / (r.wireMs + r.waitsMs));
        walls.push_back(r.wallMs);
        if (r.closeGapMs >= 0) gaps.push_back(r.closeGapMs);
    }
    for (const Run& r : probed) blocks.push_back(r.blockMs);
    std::printf("summary (%d bytes):\n", n);
    Summary("measured time", walls, " ms");
    Summary("ratio to wire + waits [target <= 1.08]", ratios, "");
    Summary("last byte to close [target <= 15 ms]", gaps, " ms");
    Summary("longest block [target <= 30 ms]", blocks, " ms");
    return failures || bigOk ? 1 : 0;
}
