#include "ControllerSim.h"

#include "RawPty.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
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

// The baud rate of a termios speed code; 0 for none or an unknown code.
int BaudOf(speed_t code) {
    struct Rate {
        speed_t code;
        int baud;
    };
    static const Rate rates[] = {{B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
                                 {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},
                                 {B1200, 1200},     {B1800, 1800},     {B2400, 2400},     {B4800, 4800},
                                 {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600},
                                 {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600}};
    for (const Rate& r : rates)
        if (r.code == code) return r.baud;
    return 0;
}

// One character (start bit, 8 data bits, stop bit) at this speed.
std::chrono::nanoseconds CharTime(int baud) { return std::chrono::nanoseconds(baud > 0 ? 10'000'000'000LL / baud : 0); }

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
    const RawPty pty = OpenRawPty();
    if (pty.master < 0) return;
    master_ = pty.master;
    slave_ = pty.slave;
    slavePath_ = pty.slavePath;
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

void ControllerSim::setLinePaced(bool on) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        linePaced_ = on;
    }
    // A line does not wait for the processor.  Where the system allows it,
    // the thread that plays the line runs ahead of ordinary threads, so that
    // a busy machine does not make it take bytes late (which would show as
    // bytes sent at a speed set after their time).  It sleeps between bytes,
    // so it takes no processor time from the others.
    if (on && thread_.joinable()) {
        sched_param p{};
        p.sched_priority = 1;
        (void)::pthread_setschedparam(thread_.native_handle(), SCHED_FIFO, &p);
    }
}

int ControllerSim::lineSpeed() const {
    // The master side of a pseudo-terminal reports the settings the slave
    // side (the host) has made.
    termios t{};
    if (master_ < 0 || ::tcgetattr(master_, &t) != 0) return 0;
    return BaudOf(::cfgetispeed(&t));
}

void ControllerSim::setSilent(bool silent) {
    std::lock_guard<std::mutex> lock(mutex_);
    silent_ = silent;
}

void ControllerSim::setFrameTimeOut(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    frameTimeOutMs_ = ms > 0 ? ms : 0;
}

void ControllerSim::setReplyDelay(int ms) {
    std::lock_guard<std::mutex> lock(mutex_);
    replyDelayMs_ = ms > 0 ? ms : 0;
}

void ControllerSim::injectFault(Fault fault, int atByte, int delayMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = fault;
    faultAt_ = received_.size() + static_cast<size_t>(atByte > 0 ? atByte : 0);
    faultDelayMs_ = delayMs;
    frameFault_ = Fault::None;
}

void ControllerSim::injectFrameFault(Fault fault, uint8_t command, int byteOfFrame, int framesToSkip, int delayMs) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = Fault::None;
    frameFault_ = fault;
    frameFaultCommand_ = command;
    frameFaultByte_ = byteOfFrame > 0 ? byteOfFrame : 0;
    frameFaultSkip_ = framesToSkip > 0 ? framesToSkip : 0;
    frameFaultHere_ = false;
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

std::vector<int> ControllerSim::receivedSpeeds() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return receivedSpeed_;
}

std::vector<std::chrono::nanoseconds> ControllerSim::receivedLateness() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return receivedLate_;
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
    receivedSpeed_.clear();
    receivedLate_.clear();
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
    if (motor >= 0 && motor < 32) byHand_[static_cast<size_t>(motor)] = -1;
}

void ControllerSim::turnByHand(int motor, uint8_t position) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (motor >= 0 && motor < 32) byHand_[static_cast<size_t>(motor)] = position;
}

uint8_t ControllerSim::servoStandsAt(int motor) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return standsAt(motor);
}

std::array<int, 32> ControllerSim::Unturned() {
    std::array<int, 32> none{};
    none.fill(-1);
    return none;
}

uint8_t ControllerSim::standsAt(int motor) const {
    if (motor >= 0 && motor < 32 && byHand_[static_cast<size_t>(motor)] >= 0)
        return static_cast<uint8_t>(byHand_[static_cast<size_t>(motor)]);
    return ram_[static_cast<size_t>(Clamp16(positionBase(model_) + motor))];
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

void ControllerSim::setStepReply(uint8_t reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    stepReply_ = reply;
}

int ControllerSim::eeCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ees_;
}

// ---- The controller's side of the command set -------------------------------

std::vector<uint8_t> ControllerSim::answer(uint8_t b) {
    // Identification, fast download and boot loader first.
    if (std::vector<uint8_t> reply; special(b, reply)) return reply;

    // A parameter byte of the command in progress: echoed; the command acts
    // once its last parameter is in.
    if (paramsLeft_ > 0) {
        params_.push_back(b);
        if (--paramsLeft_ == 0) {
            const auto p = [&](size_t i) { return params_[i]; };
            const auto addr = [&](size_t lo) { return p(lo) | (p(lo + 1) << 8); };
            switch (command_) {
            case 0xFE: ports_[p(1)] = p(0); break;                    // state, port
            case 0xE3: ports_[p(0)] = p(1); break;                    // port, state
            case 0xE6:
                ram_[static_cast<size_t>(Clamp16(positionBase(model_) + p(0)))] = p(1);
                if (p(0) < 32) byHand_[p(0)] = -1;
                break;
            case 0xE7:
            case 0xE8: {
                uint8_t& flags = ram_[static_cast<size_t>(Clamp16(motorFlagBase(model_) + p(0) / 8))];
                const uint8_t mask = static_cast<uint8_t>(1u << (p(0) % 8));
                flags = command_ == 0xE7 ? (flags | mask) : (flags & ~mask);
                // Switched on, a servo drives to its stored position.
                if (command_ == 0xE7 && p(0) < 32) byHand_[p(0)] = -1;
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
            case 0xD2: owed_ = {standsAt(p(0))}; break;
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
    case 0xF3: ++steps_; owed_ = {stepReply_}; break;
    case 0xEE: ++ees_; break;
    case 0xFE: paramsLeft_ = 2; break;
    case 0xE3: paramsLeft_ = 2; break;
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
            const int first = (b - 0xD3) * 8;
            for (int i = 0; i < 8; ++i) owed_.push_back(standsAt(first + i));
        } else if (b >= 0xD7 && b <= 0xDB) {
            const int first = (b - 0xD7) * 6;
            for (int i = 0; i < 6; ++i) owed_.push_back(standsAt(first + i));
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
    Clock::time_point lineIn{};  // when the last byte the paced line took has fully arrived
    // Whether the next byte was already waiting in the line when the last one
    // had arrived: it then starts at that moment, not when the thread gets
    // round to it, so the time the thread spends on a byte does not slow a
    // burst down.
    bool backToBack = false;
    while (!stop_ && !hungUp_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_, POLLIN, 0}};
        const int r = ::poll(fds, 2, idleTimeoutMs());
        if (r < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[1].revents) break;
        bool paced = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            paced = linePaced_;
        }
        if ((fds[0].revents & POLLIN) && paced) {
            // The line takes the next byte once the one before has arrived,
            // at the speed in force when it starts, and carries it for one
            // character time.  The times follow the line's own clock, not
            // the thread's wake-ups, so a late thread catches up instead of
            // slowing the line down.
            const Clock::time_point start = backToBack ? lineIn : std::max(Clock::now(), lineIn);
            if (!sleepUntil(start)) break;
            const int speed = lineSpeed();
            const auto late = std::max<Clock::duration>(Clock::now() - start, Clock::duration(0));
            uint8_t b = 0;
            if (::read(master_, &b, 1) == 1) {
                lineIn = start + CharTime(speed);
                if (!sleepUntil(lineIn)) break;
                pollfd next{master_, POLLIN, 0};
                backToBack = ::poll(&next, 1, 0) == 1 && (next.revents & POLLIN);
                handle(b, lineIn, speed, true, late);
            } else {
                // Nothing to take after all: do not spin on the line.
                backToBack = false;
                pollfd w{wake_, POLLIN, 0};
                (void)::poll(&w, 1, 1);
            }
        } else if (fds[0].revents & POLLIN) {
            const int speed = lineSpeed();
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            for (ssize_t i = 0; i < n && !stop_ && !hungUp_; ++i) handle(buffer[i], now, speed, false);
        } else if (fds[0].revents & (POLLHUP | POLLERR)) {
            // Nobody on the line; wait for the host or for the end.
            pollfd w{wake_, POLLIN, 0};
            (void)::poll(&w, 1, 5);
        }
        onIdle();
    }
}

void ControllerSim::handle(uint8_t b, Clock::time_point arrived, int speed, bool paced,
                          std::chrono::nanoseconds late) {
    std::vector<uint8_t> reply;
    Fault fault = Fault::None;
    int delayMs = 0;
    Clock::time_point due = arrived;
    int replyBaud = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.push_back(b);
        receivedAt_.push_back(arrived);
        receivedSpeed_.push_back(speed);
        receivedLate_.push_back(late);
        const size_t index = received_.size() - 1;
        // The controller waits for a frame's rest from its own last answer
        // (a late answer starts that wait late), or from the host's last
        // byte; a slow controller's own delay is no pause of the host.
        const Clock::time_point since =
            std::max(lastArrival_ + std::chrono::milliseconds(replyDelayMs_), lastAnswer_);
        if (arrived - since > std::chrono::milliseconds(frameTimeOutMs_)) {
            // The host gave up on the frame in progress; start afresh.
            paramsLeft_ = 0;
            params_.clear();
            owed_.clear();
        }
        lastArrival_ = arrived;
        // Where the byte stands in its frame: an ordinary command byte
        // starts one (not a reply request, a download's or boot loader's
        // byte, nor the host's echo of a reply).
        const bool startsFrame = paramsLeft_ == 0 && b != 0 && dl_ == Download::Off && bootState_ == Boot::Off &&
                                 !(replyByEcho_ && !owed_.empty());
        if (startsFrame) {
            frameCommand_ = b;
            frameByte_ = 0;
        } else {
            ++frameByte_;
        }
        if (frameFault_ != Fault::None && frameCommand_ == frameFaultCommand_) {
            if (startsFrame) {
                frameFaultHere_ = frameFaultSkip_ == 0;
                if (frameFaultSkip_ > 0) --frameFaultSkip_;
            }
            if (frameFaultHere_ && frameByte_ == frameFaultByte_) {
                fault_ = frameFault_;
                faultAt_ = index;
                frameFault_ = Fault::None;
                frameFaultHere_ = false;
            }
        }
        reply = answer(b);
        if (silent_) reply.clear();
        if (fault_ != Fault::None && index == faultAt_) {
            fault = fault_;
            delayMs = faultDelayMs_;
            fault_ = Fault::None;
        } else if (replyDelayMs_ > 0) {
            fault = Fault::LateReply;
            delayMs = replyDelayMs_;
        }
        if (paced) {
            // The line has already carried the byte; the answer goes back at
            // the line's speed.
            replyBaud = speed;
        } else if (baud_ > 0) {
            // The host's byte has fully arrived one byte time after it began;
            // bytes of a burst follow one another on the line.
            const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud_);
            const Clock::time_point start = std::max(arrived, lineFree_);
            due = start + byteTime;
            lineFree_ = due;
            replyBaud = baud_;
        }
    }
    changed_.notify_all();
    deliver(std::move(reply), due, fault, delayMs, replyBaud);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++answered_;
    }
    changed_.notify_all();
}

void ControllerSim::deliver(std::vector<uint8_t> bytes, Clock::time_point rxEnd, Fault fault, int delayMs, int baud) {
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
            lastAnswer_ = at;
        }
        return;
    }
    case Fault::HangUp:
        hangUp();
        return;
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
        lastAnswer_ = at;
    }
}

void ControllerSim::writeBurst(const std::vector<uint8_t>& bytes) {
    if (hungUp_ || master_ < 0 || bytes.empty()) return;
    // One write: a burst that leaves the controller together reaches the
    // host together, as on a real line, however late the thread runs.
    const ssize_t written = ::write(master_, bytes.data(), bytes.size());
    if (written <= 0) return;
    const Clock::time_point at = Clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    for (ssize_t i = 0; i < written; ++i) {
        sent_.push_back(bytes[static_cast<size_t>(i)]);
        sentAt_.push_back(at);
    }
    lastAnswer_ = at;
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

// ---- Identification, fast download and the firmware boot loader -------------

void ControllerSim::setIdentification(const std::array<uint8_t, 6>& id) {
    std::lock_guard<std::mutex> lock(mutex_);
    ident_ = id;
}

std::array<uint8_t, 6> ControllerSim::identification() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return ident_;
}

void ControllerSim::injectBlockFault(BlockFault fault, int block) {
    std::lock_guard<std::mutex> lock(mutex_);
    blockFault_ = fault;
    blockFaultAt_ = block;
}

int ControllerSim::downloadCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return downloads_;
}

int ControllerSim::downloadLength() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dlLength_;
}

std::vector<uint8_t> ControllerSim::downloadedImage() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dlImage_;
}

int ControllerSim::blocksTaken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dlBlocks_;
}

void ControllerSim::setBootCode(const BootCode& code) {
    std::lock_guard<std::mutex> lock(mutex_);
    boot_ = code;
    bootEnabled_ = true;
    wakeStep_ = 0;
}

void ControllerSim::injectBootFault(BootFault fault, int at) {
    std::lock_guard<std::mutex> lock(mutex_);
    bootFault_ = fault;
    bootFaultAt_ = at;
}

bool ControllerSim::bootLoaderActive() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bootState_ != Boot::Off;
}

std::vector<uint8_t> ControllerSim::flash() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flash_;
}

std::vector<int> ControllerSim::flashBlocks() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flashBlocks_;
}

bool ControllerSim::flashComplete() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flashDone_;
}

std::chrono::steady_clock::time_point ControllerSim::flashCompleteTime() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flashDoneAt_;
}

bool ControllerSim::special(uint8_t b, std::vector<uint8_t>& reply) {
    if (bootState_ != Boot::Off && bootByte(b, reply)) return true;

    // The reply to 0xF0: the lone 0 asks for the first byte, the host's echo
    // of each byte for the next one.
    if (replyByEcho_) {
        if (!owed_.empty()) {
            reply = {owed_.front()};
            owed_.erase(owed_.begin());
            if (owed_.empty()) replyByEcho_ = false;
            return true;
        }
        replyByEcho_ = false;
    }

    switch (dl_) {
    case Download::Off:
        break;
    case Download::LengthLow:
        dlLength_ = b;
        dl_ = Download::LengthHigh;
        reply = {b};
        return true;
    case Download::LengthHigh:
        dlLength_ |= b << 8;
        dl_ = Download::Request;
        dlBlocks_ = 0;
        dlRefuse_ = false;
        dlSilent_ = false;
        reply = {b};
        return true;
    case Download::Request:
        if (b != '?') {
            // The host has left the download: an ordinary byte again.
            dl_ = Download::Off;
            break;
        }
        if (dlSilent_) return true;
        if (blockFault_ == BlockFault::Finish && blockFaultAt_ == dlBlocks_ + 1) {
            blockFault_ = BlockFault::None;
            dl_ = Download::Off;
            reply = {'E'};
            return true;
        }
        if (dlRefuse_) {
            dl_ = Download::Off;
            reply = {kBlockRefused};
            return true;
        }
        if (dlBlocks_ * 256 >= dlLength_) {
            dl_ = Download::Off;
            reply = {'E'};
            return true;
        }
        dl_ = Download::Block;
        dlBlock_.clear();
        reply = {'!'};
        return true;
    case Download::Block:
        dlBlock_.push_back(b);
        if (dlBlock_.size() == 257) blockTaken();
        return true;  // block bytes are not answered
    }

    if (paramsLeft_ != 0) return false;
    if (b == 0xF0) {
        command_ = b;
        params_.clear();
        owed_.assign(ident_.begin(), ident_.end());
        replyByEcho_ = true;
        reply = {b};
        return true;
    }
    if (b == 0xED) {
        command_ = b;
        params_.clear();
        owed_.clear();
        dl_ = Download::LengthLow;
        reply = {b};
        return true;
    }
    if (bootEnabled_ && owed_.empty()) {
        if (b != boot_.wakeUp[static_cast<size_t>(wakeStep_)]) wakeStep_ = 0;
        if (b == boot_.wakeUp[static_cast<size_t>(wakeStep_)]) {
            uint8_t r = boot_.wakeUpReply[static_cast<size_t>(wakeStep_)];
            if (bootFault_ == BootFault::WrongWakeReply && bootFaultAt_ == wakeStep_) {
                bootFault_ = BootFault::None;
                wakeStep_ = 0;
                reply = {static_cast<uint8_t>(r ^ 0xFF)};
                return true;
            }
            reply = {r};
            if (++wakeStep_ == 5) {
                // Into the boot loader: it prompts until it hears the start.
                wakeStep_ = 0;
                bootState_ = Boot::Prompting;
                prompts_ = 0;
                bootIn_.clear();
                flash_.clear();
                flashBlocks_.clear();
                flashDone_ = false;
                flashDoneAt_ = {};
                bootLast_ = Clock::now();
                if (bootFault_ == BootFault::NoPrompt)
                    bootFault_ = BootFault::None;
                else
                    schedule(std::chrono::milliseconds(250), {boot_.prompt}, true);
            }
            return true;
        }
    }
    return false;
}

void ControllerSim::blockTaken() {
    const int k = ++dlBlocks_;
    uint32_t sum = 0;
    for (size_t i = 0; i < 256; ++i) {
        sum += dlBlock_[i];
        const size_t address = static_cast<size_t>(k - 1) * 256 + i;
        if (address < program_.size()) program_[address] = dlBlock_[i];
    }
    if (sum % 256 != dlBlock_[256]) dlRefuse_ = true;
    if (blockFault_ != BlockFault::None && blockFaultAt_ == k) {
        switch (blockFault_) {
        case BlockFault::BadSum: dlRefuse_ = true; break;
        case BlockFault::Silence: dlSilent_ = true; break;
        case BlockFault::HangUp:
            fault_ = Fault::HangUp;
            faultAt_ = received_.size() - 1;
            break;
        case BlockFault::None:
        case BlockFault::Finish: break;
        }
        blockFault_ = BlockFault::None;
    }
    if (!dlRefuse_ && !dlSilent_ && dlBlocks_ * 256 >= dlLength_) {
        ++downloads_;
        dlImage_.assign(program_.begin(), program_.begin() + std::min<size_t>(program_.size(), size_t(dlLength_)));
    }
    dl_ = Download::Request;
}

void ControllerSim::bootOff() {
    bootState_ = Boot::Off;
    bootIn_.clear();
    timed_.erase(std::remove_if(timed_.begin(), timed_.end(), [](const Timed& t) { return t.prompt; }),
                 timed_.end());
}

bool ControllerSim::bootByte(uint8_t b, std::vector<uint8_t>& reply) {
    const Clock::time_point now = Clock::now();
    // A boot loader left alone for a second goes back to the program.
    if (bootState_ != Boot::Prompting && now - bootLast_ > std::chrono::seconds(1)) {
        bootOff();
        return false;
    }
    bootLast_ = now;

    switch (bootState_) {
    case Boot::Off:
        return false;
    case Boot::Prompting:
    case Boot::Start: {
        const size_t i = bootIn_.size();
        if (b != boot_.start[i]) {
            // Not the start sequence: the controller is back in its program.
            bootOff();
            return false;
        }
        bootState_ = Boot::Start;
        bootIn_.push_back(b);
        timed_.erase(std::remove_if(timed_.begin(), timed_.end(), [](const Timed& t) { return t.prompt; }),
                     timed_.end());
        if (bootIn_.size() < boot_.start.size()) return true;
        bootIn_.clear();
        reply.assign(boot_.acknowledge.begin(), boot_.acknowledge.end());
        bootState_ = Boot::Blocks;
        if (bootFault_ == BootFault::WrongAck) {
            bootFault_ = BootFault::None;
            reply.back() = static_cast<uint8_t>(reply.back() ^ 0xFF);
            bootOff();
        } else if (bootFault_ == BootFault::SplitAck) {
            bootFault_ = BootFault::None;
            reply.resize(4);
            schedule(std::chrono::milliseconds(100), {boot_.acknowledge[4], 0x00});
            bootOff();
        }
        return true;
    }
    case Boot::Blocks:
        break;
    }

    bootIn_.push_back(b);
    if (bootIn_.size() == 2) {
        if (bootIn_[0] == 255 && bootIn_[1] == 0) {
            flashDone_ = true;
            flashDoneAt_ = receivedAt_.back();
            bootOff();
            return true;
        }
        if (bootIn_[1] != 0) {
            bootOff();
            return true;
        }
    }
    if (bootIn_.size() < 2 + 257) return true;

    const int k = bootIn_[0];
    const uint8_t* body = bootIn_.data() + 2;
    uint32_t sum = static_cast<uint32_t>(k);
    std::vector<uint8_t> data(256);
    for (size_t i = 0; i < 256; ++i) {
        data[i] = (i % 2 == 0) ? static_cast<uint8_t>(body[i] ^ k) : body[i];
        sum += data[i];
    }
    bootIn_.clear();
    const bool good = sum % 256 == body[256] && k == static_cast<int>(flashBlocks_.size());
    BootFault fault = BootFault::None;
    if (bootFault_ != BootFault::None && bootFaultAt_ == k) {
        fault = bootFault_;
        bootFault_ = BootFault::None;
    }
    if (good && fault != BootFault::BlockRefused) {
        if (flash_.size() < static_cast<size_t>(k + 1) * 256) flash_.resize(static_cast<size_t>(k + 1) * 256, 0xFF);
        std::copy(data.begin(), data.end(), flash_.begin() + static_cast<std::ptrdiff_t>(k) * 256);
        flashBlocks_.push_back(k);
    }
    switch (fault) {
    case BootFault::BlockSilence:
        bootOff();
        return true;
    case BootFault::BlockHangUp:
        fault_ = Fault::HangUp;
        faultAt_ = received_.size() - 1;
        return true;
    case BootFault::BlockRefused:
        reply = {kBlockRefused};
        bootOff();
        return true;
    default:
        break;
    }
    if (!good) {
        reply = {kBlockRefused};
        bootOff();
        return true;
    }
    reply = {'!'};
    return true;
}

void ControllerSim::schedule(Clock::duration after, std::vector<uint8_t> bytes, bool prompt) {
    timed_.push_back({Clock::now() + after, std::move(bytes), prompt});
}

int ControllerSim::idleTimeoutMs() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (timed_.empty()) return -1;
    Clock::time_point first = timed_.front().at;
    for (const Timed& t : timed_) first = std::min(first, t.at);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now()).count() + 1;
    return static_cast<int>(std::max<int64_t>(0, left));
}

void ControllerSim::onIdle() {
    std::vector<std::vector<uint8_t>> due;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const Clock::time_point now = Clock::now();
        std::vector<Timed> later;
        for (Timed& t : timed_) {
            if (t.at > now) {
                later.push_back(std::move(t));
                continue;
            }
            if (t.prompt) {
                if (bootState_ != Boot::Prompting) continue;
                // The prompt comes again until the start sequence arrives.
                if (++prompts_ < 40) later.push_back({now + std::chrono::milliseconds(250), t.bytes, true});
            }
            due.push_back(std::move(t.bytes));
        }
        timed_ = std::move(later);
    }
    for (const std::vector<uint8_t>& bytes : due) writeBurst(bytes);
}
