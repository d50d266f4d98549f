// controller_sim: the simulated controller as a program of its own, for
// trying the real program by hand or from a script.
//
//   controller_sim [--model N] [--baud N] [--late MS] [--slow MS] [--log FILE]
//                  [--position P] [--firmware MAJOR.MINOR] [--boot-loader INI]
//
// It prints the pseudo-terminal's device path on the first line (point
// QVV2_COM1 at it), then runs until its standard input ends or it gets
// SIGINT/SIGTERM.  While it runs, and once more at the end, it writes every
// byte it received as hex to the log file (default: controller_sim.log in
// the current folder), one line per burst of traffic (a pause of a quarter
// second starts a new one), each led by the times of its first and its last
// byte in seconds since the start.  --late MS makes the answer to the first byte the
// controller receives come MS milliseconds late, as a controller that is
// busy when the program first calls it would; --slow MS makes every answer
// come MS milliseconds late.  --position P stores P as every servo's
// position at the start.  A line "hand M P" on its standard input turns free
// servo M by hand to P: the controller then reports P for it while its
// stored position stays.  A line "wrong-echo C B [S]" makes the controller's
// echo of byte B (0: the command byte) of the next frame with command C
// (hex), or of the one after S more of them, come back wrong, as a line
// glitch would.  --firmware makes the controller report that
// firmware version (kind 2); --boot-loader gives it the boot loader that
// the firmware update talks to, with the access code of the program's
// firmware/bootloader.ini file (section [BootLoader]).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ControllerSim.h"

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

void WriteLog(const ControllerSim& sim, const std::string& path, std::chrono::steady_clock::time_point start) {
    const std::vector<uint8_t> bytes = sim.received();
    const auto times = sim.receivedTimes();
    std::ofstream out(path + ".tmp", std::ios::trunc);
    if (!out) return;
    const auto seconds = [&](size_t i) {
        return times.size() > i ? std::chrono::duration<double>(times[i] - start).count() : 0.0;
    };
    char text[64];
    for (size_t first = 0; first < bytes.size();) {
        // A pause of a quarter second or more between two bytes starts a new line.
        size_t end = first + 1;
        while (end < bytes.size() &&
               !(times.size() > end && times[end] - times[end - 1] >= std::chrono::milliseconds(250)))
            ++end;
        std::snprintf(text, sizeof text, "%9.3f .. %9.3f: ", seconds(first), seconds(end - 1));
        out << text;
        for (size_t i = first; i < end; ++i) {
            std::snprintf(text, sizeof text, "%02X ", bytes[i]);
            out << text;
        }
        out << '\n';
        first = end;
    }
    out.close();
    std::rename((path + ".tmp").c_str(), path.c_str());
}

// The hexadecimal bytes of `key` in section [BootLoader] of an INI file,
// exactly `count` of them.
bool ReadBootBytes(const std::string& file, const std::string& key, size_t count, std::vector<uint8_t>& out) {
    std::ifstream in(file);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[BootLoader]";
            continue;
        }
        if (!inSection || line.compare(0, key.size() + 1, key + "=") != 0) continue;
        out.clear();
        std::string item;
        for (size_t i = key.size() + 1; i <= line.size(); ++i) {
            if (i == line.size() || line[i] == ' ' || line[i] == ',' || line[i] == '\t') {
                if (!item.empty()) out.push_back(static_cast<uint8_t>(std::strtoul(item.c_str(), nullptr, 16)));
                item.clear();
            } else {
                item += line[i];
            }
        }
        return out.size() == count;
    }
    return false;
}

bool ReadBootCode(const std::string& file, ControllerSim::BootCode& code) {
    std::vector<uint8_t> b;
    if (!ReadBootBytes(file, "WakeUp", 5, b)) return false;
    std::copy(b.begin(), b.end(), code.wakeUp.begin());
    if (!ReadBootBytes(file, "WakeUpReply", 5, b)) return false;
    std::copy(b.begin(), b.end(), code.wakeUpReply.begin());
    if (!ReadBootBytes(file, "Prompt", 1, b)) return false;
    code.prompt = b[0];
    if (!ReadBootBytes(file, "Start", 7, b)) return false;
    std::copy(b.begin(), b.end(), code.start.begin());
    if (!ReadBootBytes(file, "Acknowledge", 5, b)) return false;
    std::copy(b.begin(), b.end(), code.acknowledge.begin());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int model = 2, baud = 0, lateMs = 0, slowMs = 0, position = -1;
    std::string log = "controller_sim.log";
    std::string firmware, bootLoader;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--model" && hasValue) model = std::atoi(argv[++i]);
        else if (a == "--baud" && hasValue) baud = std::atoi(argv[++i]);
        else if (a == "--late" && hasValue) lateMs = std::atoi(argv[++i]);
        else if (a == "--slow" && hasValue) slowMs = std::atoi(argv[++i]);
        else if (a == "--log" && hasValue) log = argv[++i];
        else if (a == "--position" && hasValue) position = std::atoi(argv[++i]);
        else if (a == "--firmware" && hasValue) firmware = argv[++i];
        else if (a == "--boot-loader" && hasValue) bootLoader = argv[++i];
        else {
            std::fprintf(stderr,
                         "usage: controller_sim [--model N] [--baud N] [--late MS] [--slow MS] [--log FILE]\n"
                         "                      [--position P] [--firmware MAJOR.MINOR] [--boot-loader INI]\n");
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
    const auto start = std::chrono::steady_clock::now();
    sim.setBaud(baud);
    if (position >= 0)
        for (int m = 0; m < 32; ++m) sim.setServoPosition(m, static_cast<uint8_t>(position));
    if (!firmware.empty()) {
        unsigned major = 0, minor = 0;
        if (std::sscanf(firmware.c_str(), "%u.%u", &major, &minor) != 2 || major > 255 || minor > 255) {
            std::fprintf(stderr, "controller_sim: --firmware wants MAJOR.MINOR\n");
            return 2;
        }
        std::array<uint8_t, 6> id = sim.identification();
        id[0] = 2;
        id[1] = static_cast<uint8_t>(major);
        id[2] = static_cast<uint8_t>(minor);
        sim.setIdentification(id);
    }
    if (!bootLoader.empty()) {
        ControllerSim::BootCode code;
        if (!ReadBootCode(bootLoader, code)) {
            std::fprintf(stderr, "controller_sim: no usable [BootLoader] section in %s\n", bootLoader.c_str());
            return 2;
        }
        sim.setBootCode(code);
    }
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
                line >> word;
                if (word == "hand") {
                    int motor = 0, at = 0;
                    if (line >> motor >> at) sim.turnByHand(motor, static_cast<uint8_t>(at));
                } else if (word == "wrong-echo") {
                    unsigned command = 0;
                    int byte = 0, skip = 0;
                    if (line >> std::hex >> command >> std::dec >> byte && command <= 0xFF) {
                        if (!(line >> skip)) skip = 0;
                        sim.injectFrameFault(ControllerSim::Fault::WrongEcho, static_cast<uint8_t>(command), byte, skip);
                    }
                }
            }
        }
        const size_t n = sim.received().size();
        if (n != logged) {
            WriteLog(sim, log, start);
            logged = n;
        }
    }
    WriteLog(sim, log, start);
    return 0;
}
