#include "ProtocolFuzzInput.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "compiler/ControllerMap.h"
#include "compiler/Text.h"
#include "platform/CommControl.h"
#include "protocol/FirmwareUpdate.h"
#include "protocol/LinkSettings.h"
#include "protocol/bootup_modMain.h"
#include "protocol/modMainDelay.h"
#include "protocol/vxIO_Protocol.h"
#include "RawPty.h"

namespace protocolfuzz {

namespace {

const QString kLineSettings = QStringLiteral("9600,n,8,1");

// The input, read from the front by the exchanges (their parameters) and by
// the line (its actions) alike.
class Stream {
public:
    Stream(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Take(uint8_t& b) {
        if (pos_ >= size_) return false;
        b = data_[pos_++];
        return true;
    }
    // The next byte, or `fallback` when the input has run out.
    uint8_t Next(uint8_t fallback = 0) {
        uint8_t b = fallback;
        (void)Take(b);
        return b;
    }
    bool Empty() const { return pos_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A rule an input broke; keeps the first one.
class Failures {
public:
    void Check(bool ok, const std::string& what) {
        if (!ok && first_.empty()) first_ = what;
    }
    bool Failed() const { return !first_.empty(); }
    std::string Take() { return std::move(first_); }

private:
    std::string first_;
};

bool CodeIn(int16_t code, std::initializer_list<int16_t> codes) {
    for (const int16_t c : codes)
        if (c == code) return true;
    return false;
}

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

// The quiet time after a broken frame: the reply time-out of the wait that
// broke, but never less than the floor.
int QuietMs(int replyTimeOutMs) { return std::max(replyTimeOutMs, kQuietFloorMs); }

class FuzzLine;

// The serial control and the link's two timers, wired to the link's event
// handlers as the main window wires its own.  The line looks on at the
// handlers of the receipt and of the reply time-out: before each it reads
// what the host has written, and after it learns whether it ended a reply
// wait (the reply time-out runs during a wait only, and the handler that
// ends the wait stops it).
class Host : public QObject {
public:
    Host() {
        TimeOut.setTimerType(Qt::PreciseTimer);
        TimeOut.setInterval(kReplyTimeOutMs);
        TimeDelay.setTimerType(Qt::PreciseTimer);
        connect(&Comm, &platform::CommControl::OnComm, this, [this] { Receive(); });
        connect(&TimeOut, &QTimer::timeout, this, [this] { TimedOut(); });
        connect(&TimeDelay, &QTimer::timeout, this, [this] { vxIO::DelayEvent(TimeDelay); });
    }

    // The receipt handler, and the time-out's (which the line also calls
    // when it leaves the host's last byte unanswered).
    void Receive();
    void TimedOut();

    platform::CommControl Comm;
    QTimer TimeOut;
    QTimer TimeDelay;
    FuzzLine* line = nullptr;
};

// A byte the host wrote, as the line read it.  The host writes from the
// thread the line reads on, and a read of a pseudo-terminal's master waits
// for what was written to the slave before it reports nothing there: a byte
// the line had not read when it last found the line empty was written after
// that moment, and every byte was written before the line read it.
struct HostByte {
    uint8_t value = 0;
    Clock::time_point notBefore;  // the line was last found empty then
    Clock::time_point by;         // the line read it then
    size_t waitsBefore = 0;       // reply waits that had ended when it was written
    int line = 0;                 // the pseudo-terminal it came on
    const char* call = "";        // the call of the link that was running
};

// A reply wait of the host that a receipt or the reply time-out ended, as
// its handler saw it (the wait returns after the handler).
struct WaitEnd {
    bool timedOut = false;
    Clock::time_point at;    // the handler started then
    int replyTimeOutMs = 0;  // the reply time-out's interval then
    size_t bytesBefore = 0;  // host bytes written before it
    int line = 0;
};

// The quiet time a broken frame calls for, as a lower bound: no host byte
// written after the frame broke (after `waits` reply waits had ended) may go
// out before `from` + `ms`.  `from` is never later than the moment the link
// counts from: the failing byte's write, or the moment the host gave up.
struct QuietTime {
    size_t waits = 0;
    Clock::time_point from;
    int ms = 0;
    int line = 0;
    const char* cause = "";
};

// The controller's side of the line: the master of a pseudo-terminal, read
// from the event queue whenever the host has written, and answered from the
// input's action bytes (see the header).  It keeps every host byte with its
// time and every reply wait that a receipt or a time-out ended, and checks
// against them what the link promises after a broken frame.
class FuzzLine : public QObject {
public:
    explicit FuzzLine(Host& host) : host_(host) {
        host_.line = this;
        tick_.setTimerType(Qt::PreciseTimer);
        tick_.setInterval(1);
        connect(&tick_, &QTimer::timeout, this, [this] { OnTick(); });
        Open();
    }
    ~FuzzLine() override {
        host_.line = nullptr;
        Close();
    }
    FuzzLine(const FuzzLine&) = delete;
    FuzzLine& operator=(const FuzzLine&) = delete;

    bool Ok() const { return master_ >= 0 && slave_ >= 0; }

    // A new input: what the line kept of the last one is forgotten.
    void Start() {
        Discard();
        log_.clear();
        waits_.clear();
        quiet_.clear();
        pending_.clear();
    }
    // Answers from `script` until End.
    void Begin(Stream& script) {
        Drain();
        pending_.clear();
        script_ = &script;
        silentLeft_ = 0;
        echoLeft_ = 0;
        late_.clear();
        holdLate_ = false;
        received_ = 0;
        lastTwo_ = {0, 0};
        wentAway_ = false;
        tick_.start();
    }
    // Answers nothing more; what the host wrote last is kept and counted,
    // not answered.
    void End() {
        tick_.stop();
        script_ = nullptr;
        late_.clear();
        Drain();
        pending_.clear();
    }
    // Bytes the host wrote since Begin.
    size_t Received() const { return received_; }
    // The last two bytes the host wrote.
    std::array<uint8_t, 2> LastTwo() const { return lastTwo_; }
    // Whether the line hung up since Begin.
    bool WentAway() const { return wentAway_; }

    // Takes in what the host has written so far, to be answered on the
    // line's next turn.
    void Drain() {
        uint8_t buf[512];
        while (master_ >= 0) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            const Clock::time_point now = Clock::now();
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                lastEmpty_ = now;
                return;
            }
            for (ssize_t i = 0; i < n; ++i) {
                log_.push_back({buf[i], lastEmpty_, now, waits_.size(), line_, call_});
                pending_.push_back(buf[i]);
                ++received_;
                lastTwo_ = {lastTwo_[1], buf[i]};
            }
        }
    }

    // The host took in what had arrived.
    void HostReceived() { holdLate_ = false; }

    // A handler ended a reply wait.  A wait that timed out broke its frame:
    // the quiet time runs from the moment the host gave up, which is not
    // before its handler ran.
    void WaitEnded(bool timedOut, Clock::time_point at, int replyTimeOutMs) {
        waits_.push_back({timedOut, at, replyTimeOutMs, log_.size(), line_});
        if (timedOut) quiet_.push_back({waits_.size(), at, QuietMs(replyTimeOutMs), line_, "a reply time-out"});
    }

    // Around one call of the link: what the line saw of it must agree with
    // the code it left.
    void CallBegins(const char* what) {
        Drain();
        call_ = what;
        callWaits_ = waits_.size();
        callLine_ = line_;
    }
    void CallEnded(Failures& f);

    // The rules of the quiet line, over everything the line has kept.
    void CheckQuietLine(Failures& f) const;

private:
    // A fresh pseudo-terminal, reached as port 1 from the next open on.
    void Open() {
        const RawPty pty = OpenRawPty();
        lastEmpty_ = Clock::now();
        if (pty.master < 0) return;
        master_ = pty.master;
        slave_ = pty.slave;
        qputenv("QVV2_COM1", QByteArray::fromStdString(pty.slavePath));
        notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { Serve(); });
    }
    void Close() {
        delete notifier_;
        notifier_ = nullptr;
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
        slave_ = -1;
        master_ = -1;
    }
    // The controller goes away: the host's open device is left without its
    // other side, the rest of what the line read is lost with it, and the
    // next open reaches a new line.
    void HangUp() {
        hungUp_ = true;
        wentAway_ = true;
        late_.clear();
        pending_.clear();
        Close();
        ++line_;
        Open();
    }

    void Send(const uint8_t* bytes, size_t count) {
        while (count > 0) {
            const ssize_t n = ::write(master_, bytes, count);
            if (n <= 0) return;
            bytes += n;
            count -= static_cast<size_t>(n);
        }
    }
    void Send(uint8_t b) { Send(&b, 1); }

    void Discard() {
        uint8_t buf[512];
        while (master_ >= 0 && ::read(master_, buf, sizeof buf) > 0) {
        }
        lastEmpty_ = Clock::now();
    }

    // One byte of the host: true when an answer is on its way (now or in a
    // moment).
    bool Answer(uint8_t b) {
        if (!script_) return false;
        if (silentLeft_ > 0) {
            --silentLeft_;
            return false;
        }
        if (echoLeft_ > 0) {
            --echoLeft_;
            Send(b);
            return true;
        }
        uint8_t a = 0;
        if (!script_->Take(a)) return false;
        const int low = a & 0x1F;
        switch (a >> 5) {
        case 0:
        case 1:
            Send(b);
            return true;
        case 2:
            echoLeft_ = 4 * low;
            Send(b);
            return true;
        case 3: {
            uint8_t r = 0;
            if (!script_->Take(r)) return false;
            Send(r);
            return true;
        }
        case 4:
            Send(static_cast<uint8_t>(b ^ (low + 1)));
            return true;
        case 5: {
            std::vector<uint8_t> burst;
            uint8_t r = 0;
            for (int i = 0; i < low + 2 && script_->Take(r); ++i) burst.push_back(r);
            Send(burst.data(), burst.size());
            return !burst.empty();
        }
        case 6: {
            // Bit 4: one byte now; then 1 to 16 bytes in a moment.
            uint8_t r = 0;
            bool now = false;
            if ((low & 0x10) && script_->Take(r)) {
                Send(r);
                now = true;
            }
            const size_t before = late_.size();
            for (int i = 0; i < (low & 15) + 1 && script_->Take(r); ++i) late_.push_back(r);
            // After a byte now, the rest comes once the host has taken it.
            if (now) holdLate_ = true;
            return now || late_.size() > before;
        }
        default:
            if (low == 0x1F) {
                HangUp();
                return false;
            }
            silentLeft_ = 16 * low;
            return false;
        }
    }

    // Reads what the host wrote and answers it byte by byte.  When nothing
    // answers the host's last byte, its reply wait ends as a time-out now
    // instead of after the time-out's interval.
    void Serve() {
        Drain();
        hungUp_ = false;
        bool any = false;
        bool answered = false;
        while (!pending_.empty()) {
            const uint8_t b = pending_.front();
            pending_.pop_front();
            any = true;
            answered = Answer(b);
            if (hungUp_) return;
        }
        if (any && !answered && script_ && host_.TimeOut.isActive()) host_.TimedOut();
    }

    // The line's clock: it reads and answers, a pause of the link passes at
    // once, and bytes held back go out once no pause runs (and, after a byte
    // sent at once, once the host has taken that in).
    void OnTick() {
        Serve();
        if (host_.TimeDelay.isActive()) {
            vxIO::DelayEvent(host_.TimeDelay);
            return;
        }
        if (!late_.empty() && !holdLate_) {
            Send(late_.data(), late_.size());
            late_.clear();
        }
    }

    Host& host_;
    int master_ = -1;
    int slave_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer tick_;
    Stream* script_ = nullptr;
    int silentLeft_ = 0;
    int echoLeft_ = 0;
    std::vector<uint8_t> late_;
    bool holdLate_ = false;
    size_t received_ = 0;
    std::array<uint8_t, 2> lastTwo_{};
    bool hungUp_ = false;
    bool wentAway_ = false;

    // Which pseudo-terminal the line is (a hang-up makes a new one), and
    // when it was last found empty.
    int line_ = 0;
    Clock::time_point lastEmpty_{};
    // Read and not yet answered.
    std::deque<uint8_t> pending_;
    // What the line kept of the current input.
    std::vector<HostByte> log_;
    std::vector<WaitEnd> waits_;
    std::vector<QuietTime> quiet_;
    // The current call of the link, and where it began.
    const char* call_ = "";
    size_t callWaits_ = 0;
    int callLine_ = 0;
};

void Host::Receive() {
    if (line) line->Drain();
    const Clock::time_point at = Clock::now();
    const int interval = TimeOut.interval();
    const bool waiting = TimeOut.isActive();
    vxIO::ReceiveEvent(Comm);
    if (!line) return;
    line->HostReceived();
    if (waiting && !TimeOut.isActive()) line->WaitEnded(false, at, interval);
}

void Host::TimedOut() {
    if (line) line->Drain();
    const Clock::time_point at = Clock::now();
    const int interval = TimeOut.interval();
    const bool waiting = TimeOut.isActive();
    vxIO::TimeOutEvent(TimeOut);
    if (line && waiting) line->WaitEnded(true, at, interval);
}

// A call of the link that failed on a reply ends at the byte whose reply
// failed, and says so; one whose last wait timed out does not report
// anything but the time-out.
void FuzzLine::CallEnded(Failures& f) {
    const int16_t code = vxIO::CommError;
    const std::string what = call_;
    Drain();
    // A line that went away meanwhile: the port's failure is the answer.
    if (line_ != callLine_) return;
    const WaitEnd* last = waits_.size() > callWaits_ ? &waits_.back() : nullptr;
    const size_t after = last ? log_.size() - last->bytesBefore : 0;
    const bool timedOut = code == vxIO::kErrTimeOut;
    if (timedOut || code == vxIO::kErrEcho || code == vxIO::kErrBlockReply) {
        if (timedOut) {
            f.Check(last && last->timedOut, what + ": a time-out reported while no reply wait of it timed out");
        } else {
            // No receipt after its last byte: what it took for that byte's
            // answer had come before the byte went out.
            f.Check(last && !last->timedOut,
                    what + ": a wrong reply reported with no reply after its last byte (an earlier byte was taken "
                           "for its answer)");
        }
        if (f.Failed()) return;
        f.Check(after == 0,
                what + ": " + std::to_string(after) + " more byte(s) sent after the byte whose reply failed");
        // A wrong echo breaks the frame at the byte that went out last
        // before the receipt.
        if (code == vxIO::kErrEcho && last->bytesBefore > 0) {
            const HostByte& failing = log_[last->bytesBefore - 1];
            if (failing.line == line_)
                quiet_.push_back(
                    {waits_.size(), failing.notBefore, QuietMs(last->replyTimeOutMs), line_, "a wrong echo"});
        }
    } else if (last && last->timedOut && after == 0) {
        f.Check(false, what + ": its last reply wait timed out and nothing followed, yet it left code " +
                           std::to_string(code));
    }
}

void FuzzLine::CheckQuietLine(Failures& f) const {
    for (const QuietTime& q : quiet_) {
        // The bytes written after the frame broke, in the order written.
        auto first = std::lower_bound(log_.begin(), log_.end(), q.waits,
                                      [](const HostByte& b, size_t waits) { return b.waitsBefore < waits; });
        if (first == log_.end() || first->line != q.line) continue;
        const Clock::time_point quietEnd = q.from + std::chrono::milliseconds(q.ms);
        f.Check(first->by >= quietEnd, std::string(first->call) + ": a byte went out " +
                                           Ms(MsBetween(q.from, first->by)) + " after " + q.cause +
                                           ", within the quiet time of " + std::to_string(q.ms) + " ms");
        // The first byte waits for its own answer before anything follows:
        // a receipt or a time-out ends its wait, not something that came
        // during the quiet time.
        const auto second = std::next(first);
        if (second != log_.end() && second->line == q.line)
            f.Check(second->waitsBefore > first->waitsBefore,
                    std::string(first->call) + ": the first byte after " + q.cause +
                        " was followed by another with no reply or time-out between: something that came before it "
                        "was taken for its answer");
    }
}

struct Rig {
    Host host;
    FuzzLine line{host};
};

// The host's controls and the line, made once for the process.
Rig& TheRig() {
    static Rig* rig = [] {
        auto* r = new Rig;
        (void)r->host.Comm.setCommPort(1);
        vxIO::SetLinkControls({&r->host.Comm, &r->host.TimeOut, &r->host.TimeDelay});
        return r;
    }();
    return *rig;
}

// After a broken frame the byte link keeps the line quiet before its next
// byte, for at least a floor that covers a real controller's frame time-out.
// The fuzzer's line has no frame time-out: a floor a little above the short
// reply time-out keeps the wait cheap, and the floor decides the quiet time
// after the short waits while the firmware version's longer one decides it
// after that exchange.  It is set for the link of each run.
void SetQuietLineWait() { vxIO::SetQuietFloorMs(kQuietFloorMs); }

// The link as every input starts it: serial port 1 at 9600 baud, closed,
// controller type 8, the short reply time-out, no abort, raw mode off.
void ConfigureLink(Rig& rig) {
    if (rig.host.Comm.PortOpen()) (void)rig.host.Comm.setPortOpen(false);
    (void)rig.host.Comm.setSettings(kLineSettings);
    rig.host.TimeOut.stop();
    rig.host.TimeDelay.stop();
    rig.host.TimeOut.setInterval(kReplyTimeOutMs);
    modMain::PortType = 1;
    modMain::ControllerType = 8;
    modMain::ControllerID = 2;
    bootup_modMain::RawMode = false;
    vxIO::EndAbort();
    vxIO::Init();
    vxIO::CommError = 0;
    SetQuietLineWait();
}

// The link at rest after an exchange.
void CheckAtRest(Rig& rig, const char* what, Failures& f) {
    f.Check(!rig.host.TimeOut.isActive(), std::string(what) + ": the reply time-out still armed");
    f.Check(rig.host.TimeOut.interval() == kReplyTimeOutMs, std::string(what) + ": the reply time-out changed");
    f.Check(!bootup_modMain::RawMode, std::string(what) + ": raw mode left on");
    f.Check(rig.host.Comm.Settings() == kLineSettings, std::string(what) + ": line settings not restored");
}

// Opens the port for an exchange whose caller opens and closes it.
bool OpenForCaller(Rig& rig, Failures& f) {
    vxIO::OpenComm();
    f.Check(vxIO::CommError == 0 && rig.host.Comm.PortOpen(), "the port did not open");
    return !f.Failed();
}

// Closes it again: the exchange must have left it open (unless the line went
// away under it, which releases the port) and closable.
void CloseForCaller(Rig& rig, const char* what, Failures& f) {
    f.Check(rig.host.Comm.PortOpen() || rig.line.WentAway(), std::string(what) + ": closed the port its caller holds");
    vxIO::CloseComm();
    f.Check(vxIO::CommError == 0 && !rig.host.Comm.PortOpen(), std::string(what) + ": the port did not close");
}

// A code the operation may leave after a byte exchange that failed: no
// reply, a wrong echo, a port failure, and, once the line has gone away
// and taken the port with it, a port that is no longer open.
bool ByteLinkCode(int16_t code) {
    if (code == vxIO::kErrNotOpen) return TheRig().line.WentAway();
    return CodeIn(code, {vxIO::kErrTimeOut, vxIO::kErrEcho, vxIO::kErrPort});
}

// One call of the link, with the line looking on (FuzzLine::CallEnded).
template <typename Call>
void Linked(Rig& rig, const char* what, Failures& f, Call call) {
    rig.line.CallBegins(what);
    call();
    rig.line.CallEnded(f);
}

// ---- Exchanges ----------------------------------------------------------------

void RunIdentify(Rig& rig, Failures& f) {
    if (!OpenForCaller(rig, f)) return;
    std::array<uint8_t, 6> id;
    id.fill(0xA5);
    const std::array<uint8_t, 6> before = id;
    Linked(rig, "identification", f, [&] { vxIO::GetControllerId(id); });
    const int16_t code = vxIO::CommError;
    f.Check(code == 0 || code == vxIO::kErrInfo || ByteLinkCode(code), "identification: unknown error code");
    if (code == 0)
        f.Check(id[0] != 0, "identification: success with identification byte 0");
    else
        f.Check(id == before, "identification: a failed exchange changed its output");
    CloseForCaller(rig, "identification", f);
}

bool MatchesAll(const QString& pattern, const QString& text) {
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch();
}

void RunInformation(Rig& rig, Failures& f) {
    if (!OpenForCaller(rig, f)) return;
    vxIO::ControllerInfo info;
    Linked(rig, "information", f, [&] { vxIO::GetControllerInfo(info); });
    const int16_t code = vxIO::CommError;
    f.Check(code == 0 || code == vxIO::kErrInfo || ByteLinkCode(code), "information: unknown error code");
    // A name is decoded from at most 15 bytes, each character from one or
    // two of them.
    f.Check(info.ProgramName.size() <= 15, "information: program name longer than its bytes");
    f.Check(info.Checksum >= 0 && info.Checksum <= 65535, "information: checksum out of 16 bits");
    f.Check(info.ProgramSize >= 0 && info.ProgramSize <= 65535, "information: program size out of 16 bits");
    if (code == 0) {
        f.Check(info.ControllerId != 0, "information: success with identification byte 0");
        f.Check(info.Checksum == 0 || info.ControllerId == qvv2::controller::kChecksumControllerId,
                "information: a checksum from a controller that keeps none");
        f.Check(MatchesAll(QStringLiteral("(19|20)\\d{2,3}/\\d{1,3}/\\d{1,3}"), info.ProgramDate),
                "information: malformed program date");
        f.Check(MatchesAll(QStringLiteral("\\d{1,3}:\\d{1,3}:\\d{1,3}"), info.ProgramTime),
                "information: malformed program time");
    }
    CloseForCaller(rig, "information", f);
}

void RunFirmwareVersion(Rig& rig, Failures& f) {
    // It opens and closes the port itself.
    bootup_modMain::FirmwareKind = 0x5A;
    bootup_modMain::FirmwareMajor = 0x5A;
    bootup_modMain::FirmwareMinor = 0x5A;
    bool ok = false;
    Linked(rig, "firmware version", f, [&] { ok = bootup_modMain::ReadFirmwareVersion(); });
    const int16_t code = vxIO::CommError;
    f.Check(!rig.host.Comm.PortOpen(), "firmware version: port left open");
    if (ok) {
        f.Check(code == 0, "firmware version: success with an error code");
        f.Check(bootup_modMain::FirmwareKind != 0, "firmware version: success with identification byte 0");
        f.Check(bootup_modMain::FirmwareWord >= 0 && bootup_modMain::FirmwareWord <= 65535,
                "firmware version: firmware word out of 16 bits");
    } else {
        f.Check(code == 0 || code == vxIO::kErrClose || ByteLinkCode(code), "firmware version: unknown error code");
        f.Check(bootup_modMain::FirmwareKind == 0 && bootup_modMain::FirmwareMajor == 0 &&
                    bootup_modMain::FirmwareMinor == 0,
                "firmware version: a failed read left firmware bytes");
    }
}

// A code the caller had, which an operation that sends nothing leaves.
constexpr int16_t kUntouched = 123;

template <size_t N>
void ReadGroup(Rig& rig, const vxIO::MotorGroup& group, bool known, Failures& f) {
    std::array<uint8_t, N> out;
    out.fill(0x77);
    vxIO::CommError = kUntouched;
    uint8_t result = 0;
    Linked(rig, "group read", f, [&] {
        if constexpr (N == 8)
            result = vxIO::ReadBlock8(group, out);
        else
            result = vxIO::ReadBlock6(group, out);
    });
    const int16_t code = vxIO::CommError;
    if (!known) {
        f.Check(result == 0 && code == kUntouched && rig.line.Received() == 0,
                "group read: a group the family does not hold was sent");
        return;
    }
    f.Check(result == 0 || result == 255, "group read: result neither 0 nor 255");
    if (result == 255)
        f.Check(code == 0, "group read: complete with an error code");
    else
        f.Check(ByteLinkCode(code), "group read: incomplete without a link error");
    // The command byte and one request per motor, each answered once.
    f.Check(rig.line.Received() <= 1 + 2 * N, "group read: more bytes sent than the frame has");
}

void RunGroupRead(Rig& rig, Stream& s, Failures& f) {
    const uint8_t p = s.Next();
    const uint8_t command = s.Next();
    const int family = (p & 1) ? 6 : 8;
    const int index = (p >> 1) & 7;
    // The caller's copy may carry any command: the group's own one is sent.
    vxIO::MotorGroup group;
    const vxIO::MotorGroup* found = vxIO::FindMotorGroup(family, index);
    if (found) group = *found;
    group.family = family;
    group.index = index;
    group.command = command;
    // Bit 4: the reader of the other family, which must refuse the group.
    const bool otherReader = (p & 0x10) != 0;
    if (!OpenForCaller(rig, f)) return;
    if ((family == 8) != otherReader)
        ReadGroup<8>(rig, group, found && family == 8, f);
    else
        ReadGroup<6>(rig, group, found && family == 6, f);
    CloseForCaller(rig, "group read", f);
}

void RunPositionRead(Rig& rig, Stream& s, Failures& f) {
    const uint8_t kind = s.Next() % 3;
    const int16_t motor = static_cast<int8_t>(s.Next());
    if (!OpenForCaller(rig, f)) return;
    vxIO::CommError = kUntouched;
    switch (kind) {
    case 0: {
        uint8_t v = 0;
        Linked(rig, "servo read", f, [&] { v = vxIO::ReadVariable(motor); });
        if (motor < 0 || motor > 31) {
            f.Check(v == 0 && vxIO::CommError == kUntouched && rig.line.Received() == 0,
                    "servo read: a servo number out of range was sent");
        } else {
            f.Check(vxIO::CommError == 0 || ByteLinkCode(vxIO::CommError), "servo read: unknown error code");
            f.Check(vxIO::CommError == 0 || v == 0, "servo read: a failed read returned a value");
        }
        break;
    }
    case 1: {
        uint8_t v = 0;
        Linked(rig, "motor position", f, [&] { v = vxIO::ReadMotorPos(motor); });
        f.Check(vxIO::CommError == 0 || ByteLinkCode(vxIO::CommError), "motor position: unknown error code");
        f.Check(vxIO::CommError == 0 || v == 0, "motor position: a failed read returned a value");
        break;
    }
    default: {
        bool on = false;
        Linked(rig, "motor switch", f, [&] { on = vxIO::GetMotorOn(motor); });
        f.Check(vxIO::CommError == 0 || ByteLinkCode(vxIO::CommError), "motor switch: unknown error code");
        f.Check(vxIO::CommError == 0 || !on, "motor switch: a failed read reported the motor on");
        if (motor < 0) f.Check(rig.line.Received() == 0, "motor switch: a negative motor was sent");
        break;
    }
    }
    CloseForCaller(rig, "position read", f);
}

// The debug window's step and memory reads.
void RunDebugReads(Rig& rig, Stream& s, Failures& f) {
    const uint8_t p = s.Next();
    const int32_t base = s.Next() | (s.Next() << 8);
    if (!OpenForCaller(rig, f)) return;
    if (p & 0x10) {
        Linked(rig, "step", f, [] { vxIO::StepProgram(); });
        if (vxIO::CommError == 0) Linked(rig, "step's reply request", f, [] { vxIO::SendZero(); });
        if (vxIO::CommError == 0) Linked(rig, "step's reply", f, [] { (void)vxIO::ReceiveByte(); });
        f.Check(vxIO::CommError == 0 || ByteLinkCode(vxIO::CommError), "step: unknown error code");
    }
    for (int i = 0; i < (p & 15); ++i) {
        uint8_t b = 0;
        Linked(rig, "memory read", f, [&] { b = vxIO::ReadMemory(base + i); });
        f.Check(vxIO::CommError == 0 || ByteLinkCode(vxIO::CommError), "memory read: unknown error code");
        f.Check(vxIO::CommError == 0 || b == 0, "memory read: a failed read returned a value");
        if (vxIO::CommError != 0) break;
    }
    uint8_t program = 0;
    Linked(rig, "program read", f, [&] { program = vxIO::ReadByteF2(base); });
    f.Check(vxIO::CommError == 0 || (ByteLinkCode(vxIO::CommError) && program == 0), "program read: failed badly");
    uint8_t eeprom = 0;
    Linked(rig, "EEPROM read", f, [&] { eeprom = vxIO::ReadByteB3(base); });
    f.Check(vxIO::CommError == 0 || (ByteLinkCode(vxIO::CommError) && eeprom == 0), "EEPROM read: failed badly");
    CloseForCaller(rig, "debug reads", f);
}

// Progress reports must stay within their totals.
vxIO::Progress CheckedProgress(const char* what, Failures& f, bool allowEmptyTotal) {
    return [what, &f, allowEmptyTotal](int32_t done, int32_t total) {
        f.Check(total > 0 || (allowEmptyTotal && total == 0), std::string(what) + ": progress without a total");
        f.Check(done >= 0 && done <= total, std::string(what) + ": progress past its total");
    };
}

void RunDownload(Rig& rig, Stream& s, Failures& f) {
    const uint8_t lo = s.Next();
    const uint8_t hi = s.Next();
    const uint8_t flags = s.Next();
    int32_t n = (lo | (hi << 8)) % 1100;
    if (flags & 0x80) n = vxIO::kMaxDownloadBytes + 1;
    // Bit 0: the image holds one byte less than n says.
    const size_t imageSize = static_cast<size_t>(n) + ((flags & 1) ? 0 : 1);
    std::vector<uint8_t> image(imageSize);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 3);
    const std::vector<uint8_t> original = image;
    // Bits 1-5: the name's length; bit 6: bytes of 128 and more in it.
    std::string name;
    const int nameLength = (flags >> 1) & 31;
    for (int i = 0; i < nameLength; ++i)
        name.push_back(static_cast<char>((flags & 0x40) ? 0xB0 + (i % 0x40) : 'A' + (i % 26)));

    bool ok = false;
    Linked(rig, "download", f,
           [&] { ok = vxIO::DownloadFast(image, n, 0, name, CheckedProgress("download", f, false)); });
    const int16_t code = vxIO::CommError;
    f.Check(!rig.host.Comm.PortOpen(), "download: port left open");
    f.Check(image == original, "download: the caller's image changed");
    const bool refused = n < 17 || image.size() < static_cast<size_t>(n) + 1 || n > vxIO::kMaxDownloadBytes;
    if (refused) {
        f.Check(!ok && rig.line.Received() == 0, "download: an image it cannot send was sent");
        f.Check(code == vxIO::kErrObjectCode || code == vxIO::kErrTooBig, "download: wrong code for a bad image");
        return;
    }
    if (ok) {
        f.Check(code == 0 || code == vxIO::kErrClose, "download: success with an error code");
    } else {
        f.Check(ByteLinkCode(code) || CodeIn(code, {vxIO::kErrOpen, vxIO::kErrBlockReply, vxIO::kErrClose}),
                "download: failure without a known code");
    }
    // Stop, eight EEPROM writes of six bytes, enter, the length, and per
    // block a request and its 257 bytes.
    const size_t blocks = static_cast<size_t>((n - 1) / 256 + 1);
    f.Check(rig.line.Received() <= 1 + 8 * 6 + 1 + 2 + blocks * 258, "download: more bytes sent than the image has");
}

const Firmware::AccessCode& Code() {
    static const Firmware::AccessCode code = [] {
        Firmware::AccessCode c;
        c.WakeUp = {0x1B, 0x55, 0xAA, 0x0D, 0x42};
        c.WakeUpReply = {0x06, 0x5A, 0xA5, 0x0A, 0x62};
        c.Prompt = 0x3E;
        c.Start = {0x53, 0x54, 0x41, 0x52, 0x54, 0x0D, 0x0A};
        c.Acknowledge = {0x4F, 0x4B, 0x21, 0x0D, 0x0A};
        return c;
    }();
    return code;
}

void RunFirmwareUpdate(Rig& rig, Stream& s, Failures& f) {
    const uint8_t lo = s.Next();
    const uint8_t hi = s.Next();
    const uint8_t flags = s.Next();
    size_t size = 1 + (lo | (hi << 8)) % 800;
    if (flags & 1) size = 0;
    if (flags & 2) size = static_cast<size_t>(Firmware::kMaxImageBytes) + 1;
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 1);
    vxIO::FirmwareWaits waits;
    waits.PromptMs = 25;
    waits.ReplyMs = 25;
    waits.SettleMs = 0;

    bool ok = false;
    Linked(rig, "firmware update", f,
           [&] { ok = vxIO::UpdateFirmware(image, Code(), waits, CheckedProgress("firmware update", f, true)); });
    const int16_t code = vxIO::CommError;
    f.Check(!rig.host.Comm.PortOpen(), "firmware update: port left open");
    if (size == 0 || size > static_cast<size_t>(Firmware::kMaxImageBytes)) {
        f.Check(!ok && rig.line.Received() == 0, "firmware update: an image it cannot send was sent");
        f.Check(code == vxIO::kErrObjectCode || code == vxIO::kErrTooBig, "firmware update: wrong code for a bad image");
        return;
    }
    if (ok) {
        f.Check(code == 0 || code == vxIO::kErrClose, "firmware update: success with an error code");
        f.Check(rig.line.LastTwo() == (std::array<uint8_t, 2>{255, 0}), "firmware update: success without the end marker");
    } else
        f.Check(ByteLinkCode(code) || CodeIn(code, {vxIO::kErrOpen, vxIO::kErrBootLoader}),
                "firmware update: failure without a known code");
    // Wake-up, start sequence, per block its header and body, end marker.
    const size_t blocks = static_cast<size_t>(vxIO::LastFirmwareBlock(static_cast<int32_t>(size) - 1)) + 1;
    f.Check(rig.line.Received() <= 5 + 7 + blocks * 259 + 2, "firmware update: more bytes sent than the image has");
}

const char* const kCodePages[4] = {"CP1252", "CP949", "CP932", "CP936"};

}  // namespace

std::string RunInput(const uint8_t* data, size_t size) {
    Rig& rig = TheRig();
    if (!rig.line.Ok()) return "no pseudo-terminal for the line";
    Stream s(data, size);
    Failures f;
    const std::string savedCodePage = qvv2::SystemCodePage();
    ConfigureLink(rig);
    rig.line.Start();
    for (int exchange = 0; exchange < 4 && !s.Empty() && !f.Failed(); ++exchange) {
        const uint8_t op = s.Next();
        modMain::ControllerID = static_cast<int16_t>(1 + ((op >> 3) & 3) % 3);
        qvv2::SetSystemCodePage(kCodePages[(op >> 5) & 3]);
        rig.line.Begin(s);
        const char* what = "";
        switch (op & 7) {
        case 0: what = "identification"; RunIdentify(rig, f); break;
        case 1: what = "information"; RunInformation(rig, f); break;
        case 2: what = "firmware version"; RunFirmwareVersion(rig, f); break;
        case 3: what = "group read"; RunGroupRead(rig, s, f); break;
        case 4: what = "position read"; RunPositionRead(rig, s, f); break;
        case 5: what = "debug reads"; RunDebugReads(rig, s, f); break;
        case 6: what = "download"; RunDownload(rig, s, f); break;
        default: what = "firmware update"; RunFirmwareUpdate(rig, s, f); break;
        }
        rig.line.End();
        rig.line.CheckQuietLine(f);
        CheckAtRest(rig, what, f);
        f.Check(!vxIO::Busy(), std::string(what) + ": the link stayed busy");
        if (rig.host.Comm.PortOpen()) vxIO::CloseComm();
        if (!(op & 0x80)) break;
    }
    qvv2::SetSystemCodePage(savedCodePage);
    return f.Take();
}

}  // namespace protocolfuzz
