// controller_sim: the simulated controller as a program of its own, for
// trying the real program by hand or from a script.
//
//   controller_sim [--model N] [--baud N] [--late MS] [--slow MS] [--log FILE]
//                  [--position P]
//
// It prints the pseudo-terminal's device path on the first line (point
// QVV2_COM1 at it), then runs until its standard input ends or it gets
// SIGINT/SIGTERM.  --position P stores P as every servo's position at the
// start.  A line "hand M P" on its standard input turns free servo M by hand
// to P: the controller then reports P for it while its stored position
// stays.  While it runs, and once more at the end, it writes every
// byte it received as hex, one line per second of traffic, to the log file
// (default: controller_sim.log in the current folder).  --late MS makes the
// answer to the first byte the controller receives come MS milliseconds late,
// as a controller that is busy when the program first calls it would;
// --slow MS makes every answer come MS milliseconds late.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "ControllerSim.h"

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

void WriteLog(const ControllerSim& sim, const std::string& path) {
    const std::vector<uint8_t> bytes = sim.received();
    const auto times = sim.receivedTimes();
    std::ofstream out(path + ".tmp", std::ios::trunc);
    if (!out) return;
    char hex[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        // A pause of a quarter second or more between two bytes starts a new line.
        if (i > 0 && times.size() > i && times[i] - times[i - 1] >= std::chrono::milliseconds(250)) out << '\n';
        std::snprintf(hex, sizeof hex, "%02X ", bytes[i]);
        out << hex;
    }
    out << '\n';
    out.close();
    std::rename((path + ".tmp").c_str(), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int model = 2, baud = 0, lateMs = 0, slowMs = 0, position = -1;
    std::string log = "controller_sim.log";
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--model" && hasValue) model = std::atoi(argv[++i]);
        else if (a == "--baud" && hasValue) baud = std::atoi(argv[++i]);
        else if (a == "--late" && hasValue) lateMs = std::atoi(argv[++i]);
        else if (a == "--slow" && hasValue) slowMs = std::atoi(argv[++i]);
        else if (a == "--log" && hasValue) log = argv[++i];
        else if (a == "--position" && hasValue) position = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr,
                         "usage: controller_sim [--model N] [--baud N] [--late MS] [--slow MS] [--log FILE]"
                         " [--position P]\n");
            return 2;
        }
    }
    signal(SIGINT, OnSignal);
    signal(SIGTERM, OnSignal);
    signal(SIGPIPE, SIG_IGN);

    ControllerSim sim(model);
    if (!sim.ok()) {
        std::fprintf(stderr, "controller_sim: no pseudo-terminal\n");
        return 1;
    }
    sim.setBaud(baud);
    if (position >= 0)
        for (int m = 0; m < 32; ++m) sim.setServoPosition(m, static_cast<uint8_t>(position));
    std::printf("%s\n", sim.slavePath().c_str());
    std::fflush(stdout);

    sim.setReplyDelay(slowMs);
    if (lateMs > 0) sim.injectFault(ControllerSim::Fault::LateReply, 0, lateMs);
    size_t logged = 0;
    std::string input;
    while (!g_stop) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 200) > 0) {
            char buf[256];
            const ssize_t got = read(STDIN_FILENO, buf, sizeof buf);
            if (got <= 0) break;
            input.append(buf, static_cast<size_t>(got));
            for (size_t end = input.find('\n'); end != std::string::npos; end = input.find('\n')) {
                std::istringstream line(input.substr(0, end));
                input.erase(0, end + 1);
                std::string word;
                int motor = 0, at = 0;
                if (line >> word >> motor >> at && word == "hand") sim.turnByHand(motor, static_cast<uint8_t>(at));
            }
        }
        const size_t n = sim.received().size();
        if (n != logged) {
            WriteLog(sim, log);
            logged = n;
        }
    }
    WriteLog(sim, log);
    return 0;
}
