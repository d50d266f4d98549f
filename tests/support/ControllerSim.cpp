#include "ControllerSim.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

int Clamp16(int address) { return address & 0xFFFF; }

}  // namespace

int ControllerSim::positionBase(int model) {
    switch (model) {
    case 2: return 768;
    case 3: return 96;
    default: return 110;
    }
}

int ControllerSim::motorFlagBase(int model) {
    switch (model) {
    case 2: return 1259;
    case 3: return 310;
    default: return 41;
    }
}

ControllerSim::ControllerSim(int model) : model_(model) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return;
    char name[128] = {};
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
        ::ptsname_r(master_, name, sizeof name) != 0) {
        ::close(master_);
        master_ = -1;
        return;
    }
    slavePath_ = name;
    // Hold the slave open: the line then stays up while the host closes and
    // reopens it, and bytes sent meanwhile wait in the line.  Raw mode, so
    // that the line itself never echoes or edits anything.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ >= 0) {
        termios t{};
        if (::tcgetattr(slave_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(slave_, TCSANOW, &t);
        }
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    wake_ = ::eventfd(0, EFD_NONBLOCK);
    thread_ = std::thread([this] { run(); });
}

ControllerSim::~ControllerSim() {
    stop_ = true;
    if (wake_ >= 0) {
        const uint64_t one = 1;
        (void)!::write(wake_, &one, sizeof one);
    }
    if (thread_.joinable()) thread_.join();
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    if (wake_ >= 0) ::close(wake_);
}

void ControllerSim::setModel(int model) {
    std::lock_guard<std::mutex> lock(mutex_);
    model_ = model;
}

int ControllerSim::model() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return model_;
}

void ControllerSim::setBaud(int baud) {
    std::lock_guard<std::mutex> lock(mutex_);
    baud_ = baud > 0 ? baud : 0;
}

void ControllerSim::setSilent(bool silent) {
    std::lock_guard<std::mutex> lock(mutex_);
    silent_ = silent;
}

void ControllerSim::injectFault(Fault fault, int atByte, int delayMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
    faultAt_ = received_.size() + static_cast<size_t>(atByte > 0 ? atByte : 0);
    faultDelayMs_ = delayMs;
}

std::vector<uint8_t> ControllerSim::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<uint8_t> ControllerSim::sent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

std::vector<std::chrono::steady_clock::time_point> ControllerSim::receivedTimes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return receivedAt_;
}

std::vector<std::chrono::steady_clock::time_point> ControllerSim::sentTimes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sentAt_;
}

void ControllerSim::clearLogs() {
    std::lock_guard<std::mutex> lock(mutex_);
    // Keep the fault's position relative to what is still to come.
    faultAt_ = faultAt_ >= received_.size() ? faultAt_ - received_.size() : 0;
    answered_ = answered_ >= received_.size() ? answered_ - received_.size() : 0;
    received_.clear();
    sent_.clear();
    receivedAt_.clear();
    sentAt_.clear();
}

bool ControllerSim::waitForReceived(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return received_.size() >= count; });
}

bool ControllerSim::waitIdle(int timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return hungUp_ || answered_ >= received_.size(); });
}

uint8_t ControllerSim::ram(int address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ram_[static_cast<size_t>(Clamp16(address))];
}

void ControllerSim::setRam(int address, uint8_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    ram_[static_cast<size_t>(Clamp16(address))] = value;
}

uint8_t ControllerSim::program(int address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return program_[static_cast<size_t>(Clamp16(address))];
}

void ControllerSim::setProgram(int address, uint8_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    program_[static_cast<size_t>(Clamp16(address))] = value;
}

uint8_t ControllerSim::eeprom(int address) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return eeprom_[static_cast<size_t>(Clamp16(address))];
}

void ControllerSim::setEeprom(int address, uint8_t value) {
    std::lock_guard<std::mutex> lock(mutex_);
    eeprom_[static_cast<size_t>(Clamp16(address))] = value;
}

uint8_t ControllerSim::servoPosition(int motor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ram_[static_cast<size_t>(Clamp16(positionBase(model_) + motor))];
}

void ControllerSim::setServoPosition(int motor, uint8_t position) {
    std::lock_guard<std::mutex> lock(mutex_);
    ram_[static_cast<size_t>(Clamp16(positionBase(model_) + motor))] = position;
}

bool ControllerSim::motorFlag(int motor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint8_t flags = ram_[static_cast<size_t>(Clamp16(motorFlagBase(model_) + motor / 8))];
    return (flags >> (motor % 8)) & 1;
}

uint8_t ControllerSim::outputPort(int number) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ports_[static_cast<size_t>(number & 0xFF)];
}

ControllerSim::RunState ControllerSim::runState() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return runState_;
}

int ControllerSim::runCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return runs_;
}
int ControllerSim::stopCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stops_;
}
int ControllerSim::resetCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return resets_;
}
int ControllerSim::stepCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return steps_;
}
int ControllerSim::eeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ees_;
}

// ---- The controller's side of the command set -------------------------------

std::vector<uint8_t> ControllerSim::answer(uint8_t b) {
    // A parameter byte of the command in progress: echoed; the command acts
    // once its last parameter is in.
    if (paramsLeft_ > 0) {
        params_.push_back(b);
        if (--paramsLeft_ == 0) {
            const auto p = [&](size_t i) { return params_[i]; };
            const auto addr = [&](size_t lo) { return p(lo) | (p(lo + 1) << 8); };
            switch (command_) {
            case 0xFE: ports_[p(1)] = p(0); break;                    // state, port
            case 0xE6: ram_[static_cast<size_t>(Clamp16(positionBase(model_) + p(0)))] = p(1); break;
            case 0xE7:
            case 0xE8: {
                uint8_t& flags = ram_[static_cast<size_t>(Clamp16(motorFlagBase(model_) + p(0) / 8))];
                const uint8_t mask = static_cast<uint8_t>(1u << (p(0) % 8));
                flags = command_ == 0xE7 ? (flags | mask) : (flags & ~mask);
                break;
            }
            case 0xF2: owed_ = {program_[static_cast<size_t>(addr(0))]}; break;
            case 0xB3: owed_ = {eeprom_[static_cast<size_t>(addr(0))]}; break;
            case 0xF5: owed_ = {ram_[p(0)]}; break;
            case 0xF7: owed_ = {ram_[static_cast<size_t>(addr(0))]}; break;
            case 0xF6: ram_[p(0)] = p(1); break;
            case 0xF8: ram_[static_cast<size_t>(addr(0))] = p(2); break;
            case 0xB4:  // 'K', address, value twice
                if (p(0) == 0x4B && p(3) == p(4)) eeprom_[static_cast<size_t>(addr(1))] = p(3);
                break;
            case 0xD2:
                owed_ = {ram_[static_cast<size_t>(Clamp16(positionBase(model_) + p(0)))]};
                break;
            default: break;
            }
        }
        return {b};
    }

    // A lone 0 asks for the next reply byte that is due; with none due it is
    // ignored.
    if (b == 0) {
        if (owed_.empty()) return {};
        const uint8_t r = owed_.front();
        owed_.erase(owed_.begin());
        return {r};
    }

    // A command byte: always echoed.
    command_ = b;
    params_.clear();
    owed_.clear();
    switch (b) {
    case 0xFB: ++runs_; runState_ = RunState::Running; break;
    case 0xFA: ++stops_; runState_ = RunState::Stopped; break;
    case 0xFC: ++resets_; runState_ = RunState::Stopped; break;
    case 0xF3: ++steps_; owed_ = {0xAA}; break;
    case 0xEE: ++ees_; break;
    case 0xFE: paramsLeft_ = 2; break;
    case 0xE6: paramsLeft_ = 2; break;
    case 0xE7:
    case 0xE8: paramsLeft_ = 1; break;
    case 0xF2:
    case 0xB3: paramsLeft_ = 2; break;
    case 0xF5: paramsLeft_ = 1; break;
    case 0xF7: paramsLeft_ = 2; break;
    case 0xF6: paramsLeft_ = 2; break;
    case 0xF8: paramsLeft_ = 3; break;
    case 0xB4: paramsLeft_ = 5; break;
    case 0xD2: paramsLeft_ = 1; break;
    default:
        if (b >= 0xD3 && b <= 0xD6) {
            const int first = positionBase(model_) + (b - 0xD3) * 8;
            for (int i = 0; i < 8; ++i) owed_.push_back(ram_[static_cast<size_t>(Clamp16(first + i))]);
        } else if (b >= 0xD7 && b <= 0xDB) {
            const int first = positionBase(model_) + (b - 0xD7) * 6;
            for (int i = 0; i < 6; ++i) owed_.push_back(ram_[static_cast<size_t>(Clamp16(first + i))]);
        }
        break;
    }
    return {b};
}

// ---- Thread -----------------------------------------------------------------

void ControllerSim::run() {
    // Wake up on time for paced bytes (the default slack is 50 us).
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    uint8_t buffer[256];
    while (!stop_ && !hungUp_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            for (ssize_t i = 0; i < n && !stop_ && !hungUp_; ++i) handle(buffer[i], now);
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Nobody on the line; wait for the host or for the end.
            pollfd w{wake_, POLLIN, 0};
            (void)::poll(&w, 1, 5);
        }
    }
}

void ControllerSim::handle(uint8_t b, Clock::time_point arrived) {
    std::vector<uint8_t> reply;
    Fault fault = Fault::None;
    int delayMs = 0;
    Clock::time_point due = arrived;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.push_back(b);
        receivedAt_.push_back(arrived);
        const size_t index = received_.size() - 1;
        if (arrived - lastArrival_ > std::chrono::milliseconds(kFrameGapMs)) {
            // The host gave up on the frame in progress; start afresh.
            paramsLeft_ = 0;
            params_.clear();
            owed_.clear();
        }
        lastArrival_ = arrived;
        reply = answer(b);
        if (silent_) reply.clear();
        if (fault_ != Fault::None && index == faultAt_) {
            fault = fault_;
            delayMs = faultDelayMs_;
            fault_ = Fault::None;
        }
        if (baud_ > 0) {
            // The host's byte has fully arrived one byte time after it began;
            // bytes of a burst follow one another on the line.
            const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud_);
            const Clock::time_point start = std::max(arrived, lineFree_);
            due = start + byteTime;
            lineFree_ = due;
        }
    }
    changed_.notify_all();
    deliver(std::move(reply), due, fault, delayMs);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++answered_;
    }
    changed_.notify_all();
}

void ControllerSim::deliver(std::vector<uint8_t> bytes, Clock::time_point rxEnd, Fault fault, int delayMs) {
    switch (fault) {
    case Fault::None:
        break;
    case Fault::NoReply:
        return;
    case Fault::WrongEcho:
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(~b);
        break;
    case Fault::LateReply:
        if (!sleepUntil(Clock::now() + std::chrono::milliseconds(delayMs))) return;
        rxEnd = Clock::now();
        break;
    case Fault::Garbage: {
        const uint8_t first = bytes.empty() ? 0x5A : static_cast<uint8_t>(bytes.front() ^ 0x5A);
        const std::vector<uint8_t> burst = {first, 0xC3, 0x3C, 0x99, 0x66};
        if (!sleepUntil(rxEnd)) return;
        if (::write(master_, burst.data(), burst.size()) > 0) {
            const Clock::time_point at = Clock::now();
            std::lock_guard<std::mutex> lock(mutex_);
            sent_.insert(sent_.end(), burst.begin(), burst.end());
            sentAt_.insert(sentAt_.end(), burst.size(), at);
        }
        return;
    }
    case Fault::HangUp:
        hangUp();
        return;
    }

    int baud = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        baud = baud_;
    }
    Clock::time_point t = rxEnd;
    for (uint8_t b : bytes) {
        // The answer travels back over the line: it is there one byte time
        // after it started.
        if (baud > 0) t += std::chrono::nanoseconds(10'000'000'000LL / baud);
        if (!sleepUntil(t)) return;
        writeByte(b);
    }
}

bool ControllerSim::sleepUntil(Clock::time_point t) {
    for (;;) {
        if (stop_) return false;
        const Clock::time_point now = Clock::now();
        if (now >= t) return true;
        if (t - now > std::chrono::milliseconds(3)) {
            // Long waits sleep on the wake-up descriptor, so stopping is quick.
            pollfd w{wake_, POLLIN, 0};
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - now).count() - 2;
            if (::poll(&w, 1, static_cast<int>(ms)) > 0) return false;
            continue;
        }
        // The timer wakes the thread late by some tens of microseconds: aim
        // that much early (a running average of the lateness seen) and wait
        // out the last microseconds, so that paced bytes leave on time.
        const Clock::time_point aim = t - std::chrono::nanoseconds(wakeLateNs_);
        if (aim <= now) {
            while (Clock::now() < t) {
            }
            return !stop_;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(aim.time_since_epoch()).count();
        timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        if (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == 0) {
            const auto late = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - aim).count();
            wakeLateNs_ = (wakeLateNs_ * 7 + std::clamp<int64_t>(late, 0, 200'000)) / 8;
        }
    }
}

void ControllerSim::writeByte(uint8_t b) {
    if (hungUp_ || master_ < 0) return;
    if (::write(master_, &b, 1) == 1) {
        const Clock::time_point at = Clock::now();
        std::lock_guard<std::mutex> lock(mutex_);
        sent_.push_back(b);
        sentAt_.push_back(at);
    }
}

void ControllerSim::hangUp() {
    hungUp_ = true;
    // The controller goes away: both ends of the line close, so the host's
    // side sees the line drop.
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
    changed_.notify_all();
}
