// download_bench: the fast download against the simulated controller paced
// at 115200 baud, through the real link and serial port on a
// pseudo-terminal.
//
// It downloads an image of the largest size the download can announce
// (65,535 bytes, 256 blocks; the length travels as 16 bits, so a longer
// image is refused, which it shows too) and compares the time with the wire
// time: every byte that crossed the line, both ways, at 10 bits a byte and
// 115200 baud.  The simulator paces the whole exchange at 115200, the few
// echoed bytes before the speed change included.  The download itself
// waits 100 ms after the speed change and 100 ms before the settings go
// back; the time is also given without those two pauses.
//
// Run: build/bin/download_bench [bytes] [runs]
#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <time.h>

#include "ControllerSim.h"
#include "build/DownloadProgram.h"
#include "build/modMain.h"
#include "compiler/QUARVELv2.h"
#include "link/vxIO.h"
#include "mainwindow/frmMain.h"
#include "platform/MsgBox.h"

namespace {

double Now(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

constexpr double kBaud = 115200;
constexpr double kPauses = 0.200;  // the download's own two waits of 100 ms

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int32_t n = argc > 1 ? std::clamp(std::atoi(argv[1]), 17, 65535) : 65535;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    // Error boxes are answered at once and printed.
    platform::SetMsgBoxResponder([](const platform::MsgBoxCall& call) -> int16_t {
        std::printf("  box: %s\n", call.prompt.simplified().toUtf8().constData());
        return platform::vbOK;
    });

    frmMain window;
    modMain::PortType = 1;
    modMain::ControllerType = 8;
    modMain::ControllerID = 2;
    vxIO::Init();
    window.TimeOut.setInterval(3000);
    modMain::Basic().Filename = u"bench.bas";

    ControllerSim sim(2);
    if (!sim.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("QVV2_COM1", QByteArray::fromStdString(sim.slavePath()));
    sim.setBaud(static_cast<int>(kBaud));

    std::vector<uint8_t> image(static_cast<size_t>(n) + 1, 0);
    for (int32_t i = 1; i <= n; ++i) image[static_cast<size_t>(i)] = static_cast<uint8_t>((i * 131 + i / 256) & 0xFF);

    int failures = 0;
    double best = 1e9;
    for (int run = 1; run <= runs; ++run) {
        sim.clearLogs();
        const double w0 = Now(CLOCK_MONOTONIC), c0 = Now(CLOCK_THREAD_CPUTIME_ID);
        const bool ok = vxIO::DownloadFast(image, n, 0, 0, nullptr, nullptr);
        const double wall = Now(CLOCK_MONOTONIC) - w0, cpu = Now(CLOCK_THREAD_CPUTIME_ID) - c0;
        sim.waitIdle(2000);
        const size_t bytes = sim.received().size() + sim.sent().size();
        const double wire = double(bytes) * 10.0 / kBaud;
        const bool intact = sim.downloadedImage() == std::vector<uint8_t>(image.begin() + 1, image.end());
        if (!ok || !intact) ++failures;
        best = std::min(best, wall / wire);
        std::printf("run %d: %d bytes in %d blocks, %s; %zu bytes on the wire = %.1f ms at 115200 baud\n", run,
                    n, (n - 1) / 256 + 1, ok && intact ? "arrived intact" : "FAILED", bytes, wire * 1e3);
        std::printf("  measured %.1f ms: ratio %.4f (target within 3 %%); without the two 100-ms pauses "
                    "%.1f ms: ratio %.4f\n",
                    wall * 1e3, wall / wire, (wall - kPauses) * 1e3, (wall - kPauses) / wire);
        std::printf("  CPU of the user-interface thread: %.1f %% of the time\n", 100 * cpu / wall);
    }

    // 80,000 bytes (the compiler's largest image) cannot be announced in 16
    // bits: refused at once, nothing sent.
    std::vector<uint8_t> big(80001, 0x11);
    sim.clearLogs();
    const double b0 = Now(CLOCK_MONOTONIC);
    const bool bigOk = vxIO::DownloadFast(big, 80000, 0, 0, nullptr, nullptr);
    std::printf("80000 bytes: %s after %.1f ms, %zu bytes sent\n", bigOk ? "SENT" : "refused",
                (Now(CLOCK_MONOTONIC) - b0) * 1e3, sim.received().size());

    std::printf("best ratio %.4f\n", best);
    return failures || bigOk ? 1 : 0;
}
