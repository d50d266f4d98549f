// link_bench: the byte link's speed and its cost in CPU, against the
// simulated controller on a pseudo-terminal through the real serial port.
//
//   1. 1,000 echoed bytes, the controller answering at once: time per byte,
//      which is the link's own overhead (the wire costs nothing here).
//   2. 1,000 echoed bytes paced at 9600 baud: the time against the wire time
//      of 2 x 1.04 ms a byte (out and echo back), and the CPU used.
//   3. a wait for a reply that never comes (time-out 1 s): the CPU used.
//   For comparison it also times a bare echo through a pseudo-terminal
//   between two threads, the platform's share of every byte.
//
// Run: build/bin/link_bench [bytes]
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include "ControllerSim.h"
#include "documents/modMain.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"

namespace {

double Now(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Run {
    double wall = 0, processCpu = 0, threadCpu = 0;
    int errors = 0;
    // From the simulator's clock: mean time a byte spent with the controller
    // (read to echo written) and on the host's side (echo written to the
    // next byte read: line both ways, the host's wake-up and the link).
    double controllerUs = 0, hostUs = 0;
};

void SplitTimes(const ControllerSim& sim, Run& r) {
    const auto in = sim.receivedTimes();
    const auto out = sim.sentTimes();
    const size_t n = std::min(in.size(), out.size());
    if (n < 2) return;
    double controller = 0, host = 0;
    for (size_t i = 0; i < n; ++i) {
        controller += std::chrono::duration<double, std::micro>(out[i] - in[i]).count();
        if (i + 1 < n) host += std::chrono::duration<double, std::micro>(in[i + 1] - out[i]).count();
    }
    r.controllerUs = controller / double(n);
    r.hostUs = host / double(n - 1);
}

Run EchoBytes(ControllerSim& sim, int count) {
    sim.clearLogs();
    Run r;
    const double w0 = Now(CLOCK_MONOTONIC), p0 = Now(CLOCK_PROCESS_CPUTIME_ID),
                 t0 = Now(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < count; ++i) {
        // Bytes 1..100 are no command of the controller: each is just echoed.
        vxIO::SendByte(static_cast<uint8_t>(1 + i % 100));
        if (vxIO::CommError != 0) ++r.errors;
    }
    r.wall = Now(CLOCK_MONOTONIC) - w0;
    r.processCpu = Now(CLOCK_PROCESS_CPUTIME_ID) - p0;
    r.threadCpu = Now(CLOCK_THREAD_CPUTIME_ID) - t0;
    sim.waitIdle(1000);
    SplitTimes(sim, r);
    return r;
}

// The same echo through a bare pseudo-terminal between two threads with no
// link, serial layer or event queue: the platform's own round-trip cost,
// which the link's time per byte contains.
double BarePtyRoundTripUs(int count) {
    const int m = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0 || ::grantpt(m) != 0 || ::unlockpt(m) != 0) return -1;
    const int s = ::open(::ptsname(m), O_RDWR | O_NOCTTY);
    if (s < 0) return -1;
    termios t{};
    ::tcgetattr(s, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(s, TCSANOW, &t);
    std::thread echo([&] {
        unsigned char b = 0;
        for (int i = 0; i < count + 100; ++i) {
            pollfd p{m, POLLIN, 0};
            ::poll(&p, 1, -1);
            if (::read(m, &b, 1) == 1) (void)!::write(m, &b, 1);
        }
    });
    unsigned char b = 1;
    double start = 0;
    for (int i = 0; i < count + 100; ++i) {
        if (i == 100) start = Now(CLOCK_MONOTONIC);
        (void)!::write(s, &b, 1);
        pollfd p{s, POLLIN, 0};
        ::poll(&p, 1, -1);
        (void)!::read(s, &b, 1);
    }
    const double us = (Now(CLOCK_MONOTONIC) - start) / count * 1e6;
    echo.join();
    ::close(s);
    ::close(m);
    return us;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    frmMain window;
    modMain::PortType = 1;
    modMain::ControllerType = 8;
    modMain::ControllerID = 2;
    vxIO::Init();
    window.TimeOut.setInterval(3000);

    ControllerSim sim(2);
    if (!sim.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("QVV2_COM1", QByteArray::fromStdString(sim.slavePath()));
    vxIO::OpenComm();
    if (vxIO::CommError != 0) {
        std::fprintf(stderr, "cannot open %s\n", sim.slavePath().c_str());
        return 1;
    }
    (void)EchoBytes(sim, 100);  // warm-up

    const Run fast = EchoBytes(sim, count);
    std::printf("unpaced: %d echoed bytes in %.1f ms: %.1f us per byte (target < 100 us), "
                "errors %d\n",
                count, fast.wall * 1e3, fast.wall / count * 1e6, fast.errors);
    std::printf("unpaced: per byte %.1f us with the controller, %.1f us on the host's side\n",
                fast.controllerUs, fast.hostUs);
    std::printf("bare pseudo-terminal echo between two threads, no link: %.1f us per byte\n",
                BarePtyRoundTripUs(count));

    sim.setBaud(9600);
    const double wire = count * 2 * 10.0 / 9600;
    const Run paced = EchoBytes(sim, count);
    std::printf("9600 baud: %d echoed bytes in %.1f ms, wire time %.1f ms: ratio %.3f "
                "(target within 5%%), errors %d\n",
                count, paced.wall * 1e3, wire * 1e3, paced.wall / wire, paced.errors);
    std::printf("9600 baud: per byte %.1f us with the controller (wire 2083.3 us), %.1f us on the "
                "host's side (includes the simulator thread's own wake-up)\n",
                paced.controllerUs, paced.hostUs);
    std::printf("9600 baud: CPU %.2f %% of wall time on the user-interface thread, %.2f %% "
                "for the whole process with the simulator (target < 5 %%)\n",
                100 * paced.threadCpu / paced.wall, 100 * paced.processCpu / paced.wall);

    sim.setSilent(true);
    window.TimeOut.setInterval(1000);
    const Run idle = EchoBytes(sim, 1);
    std::printf("reply that never comes: time-out after %.0f ms, CPU %.3f %% of wall time "
                "(process)\n",
                idle.wall * 1e3, 100 * idle.processCpu / idle.wall);

    vxIO::CloseComm();
    return (fast.errors || paced.errors) ? 1 : 0;
}
