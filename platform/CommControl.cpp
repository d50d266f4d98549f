#include "platform/CommControl.h"

#include <QMetaObject>
#include <QPointer>
#include <QSerialPortInfo>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include <poll.h>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int16_t kLowestPort = 1;
constexpr int16_t kHighestPort = 16;

// Asks the driver to hand over each received byte at once instead of holding
// it for a latency timer (USB serial adapters otherwise keep a byte up to
// 16 ms).  Devices without the serial-driver interface (pseudo-terminals)
// refuse the request; that is fine.
void RequestLowLatency(int fd) {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    if (fd < 0) return;
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return;
    if (info.flags & ASYNC_LOW_LATENCY) return;
    info.flags |= ASYNC_LOW_LATENCY;
    (void)::ioctl(fd, TIOCSSERIAL, &info);
#else
    (void)fd;
#endif
}

// Whether the line behind an open descriptor has hung up or failed.
bool DeviceGone(int fd) {
    if (fd < 0) return true;
    pollfd p{fd, POLLIN | POLLOUT, 0};
    if (::poll(&p, 1, 0) < 0) return false;
    return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

struct PortEntry {
    QString location;
    int group;      // 0 USB or ACM adapter, 1 any other
    QString stem;   // name without its trailing number
    long number;    // trailing number, -1 when none
};

PortEntry EntryOf(const CommDevice& d) {
    PortEntry e;
    e.location = d.location;
    const QString& name = d.portName;
    const bool usb = name.startsWith(QLatin1String("ttyUSB")) ||
                     name.startsWith(QLatin1String("ttyACM")) || d.usbAdapter;
    e.group = usb ? 0 : 1;
    qsizetype cut = name.size();
    while (cut > 0 && name.at(cut - 1).isDigit()) --cut;
    e.stem = name.left(cut);
    bool ok = false;
    e.number = name.mid(cut).toLong(&ok);
    if (!ok) e.number = -1;
    return e;
}

}  // namespace

bool ParseCommSettings(const QString& text, CommLineSettings* out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return false;
    CommLineSettings s;

    bool ok = false;
    const qint64 baud = parts[0].trimmed().toLongLong(&ok);
    if (!ok || baud < 50 || baud > 4000000) return false;
    s.baud = static_cast<qint32>(baud);

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n")) s.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e")) s.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o")) s.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m")) s.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s")) s.parity = QSerialPort::SpaceParity;
    else return false;

    const int bits = parts[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8) return false;
    s.dataBits = static_cast<QSerialPort::DataBits>(bits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1")) s.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5")) s.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2")) s.stopBits = QSerialPort::TwoStop;
    else return false;

    if (out) *out = s;
    return true;
}

QStringList OrderCommDevices(const std::vector<CommDevice>& devices) {
    std::vector<PortEntry> entries;
    entries.reserve(devices.size());
    for (const CommDevice& d : devices) entries.push_back(EntryOf(d));
    std::stable_sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) {
        if (a.group != b.group) return a.group < b.group;
        if (a.stem != b.stem) return a.stem < b.stem;
        return a.number < b.number;
    });
    QStringList locations;
    for (const PortEntry& e : entries) locations << e.location;
    return locations;
}

QString ResolveCommPort(int n) {
    if (n < 1) return QString();
    const QByteArray var = "QVV2_COM" + QByteArray::number(n);
    if (qEnvironmentVariableIsSet(var.constData()))
        return qEnvironmentVariable(var.constData()).trimmed();

    std::vector<CommDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.push_back({info.portName(), info.systemLocation(), info.hasVendorIdentifier()});
    const QStringList ordered = OrderCommDevices(devices);
    return n <= ordered.size() ? ordered.at(n - 1) : QString();
}

QString DescribeCommPort(int n) {
    const QString path = ResolveCommPort(n);
    if (path.isEmpty()) return QString();
    QString description;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.systemLocation() == path) {
            description = info.description().simplified();
            break;
        }
    }
    return description.isEmpty() ? path : path + QStringLiteral(" (") + description + QLatin1Char(')');
}

std::chrono::nanoseconds CommWireTime(qint64 bytes, const CommLineSettings& s) {
    if (bytes <= 0 || s.baud <= 0) return std::chrono::nanoseconds(0);
    // In half bits, so that 1.5 stop bits stay whole.
    int halfBits = 2 * (1 + static_cast<int>(s.dataBits));
    if (s.parity != QSerialPort::NoParity) halfBits += 2;
    halfBits += s.stopBits == QSerialPort::OneStop ? 2 : s.stopBits == QSerialPort::OneAndHalfStop ? 3 : 4;
    const double ns = static_cast<double>(bytes) * halfBits * 0.5e9 / s.baud;
    // A day is far beyond anything a serial buffer holds; it keeps the
    // arithmetic of the callers far from overflow.
    return std::chrono::nanoseconds(static_cast<int64_t>(std::min(ns, 86400e9)));
}

CommControl::CommControl(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &CommControl::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &CommControl::onError);
}

CommControl::~CommControl() {
    if (port_.isOpen() && !DeviceGone(static_cast<int>(port_.handle()))) (void)drain(false);
    releasePort();
}

bool CommControl::setCommPort(int16_t port) {
    if (port_.isOpen()) {
        lastError_ = QStringLiteral("The port is open; its number cannot change.");
        return false;
    }
    if (port < kLowestPort || port > kHighestPort) {
        lastError_ = QStringLiteral("Port number %1 is out of range.").arg(port);
        return false;
    }
    commPort_ = port;
    return true;
}

bool CommControl::setSettings(const QString& text) {
    CommLineSettings s;
    if (!ParseCommSettings(text, &s)) {
        lastError_ = QStringLiteral("Invalid line settings \"%1\".").arg(text);
        return false;
    }
    if (port_.isOpen()) {
        // The bytes on their way leave at the speed they were written for.
        const QPointer<CommControl> self(this);
        (void)DrainOutput();
        if (!self) return false;
    }
    if (port_.isOpen()) {
        if (!applySettings(s)) {
            // Put the previous settings back so that the port keeps working.
            (void)applySettings(line_);
            port_.clearError();
            return false;
        }
    }
    settings_ = text;
    line_ = s;
    return true;
}

bool CommControl::PortOpen() const { return port_.isOpen(); }

bool CommControl::setPortOpen(bool open) {
    if (!open) {
        if (port_.isOpen()) {
            // Closing restores the line's earlier settings at once: let the
            // bytes on their way leave first.  A line that has gone away
            // has nothing to wait for.
            if (!DeviceGone(static_cast<int>(port_.handle()))) {
                const QPointer<CommControl> self(this);
                (void)DrainOutput();
                if (!self) return true;
            }
            releasePort();
        }
        return true;
    }
    if (port_.isOpen()) return true;

    devicePath_ = ResolveCommPort(commPort_);
    if (devicePath_.isEmpty()) {
        lastError_ = QStringLiteral("No serial device for port %1.").arg(commPort_);
        return false;
    }
    CommLineSettings s;
    if (!ParseCommSettings(settings_, &s)) {
        lastError_ = QStringLiteral("Invalid line settings \"%1\".").arg(settings_);
        return false;
    }

    port_.setPortName(devicePath_);
    // A device that was just closed elsewhere can keep its lock file for a
    // moment (a USB adapter re-plugged, a terminal number reused): retry a
    // refused lock briefly before reporting the port as busy.
    bool opened = port_.open(QIODevice::ReadWrite);
    for (int attempt = 0; !opened && port_.error() == QSerialPort::PermissionError && attempt < 10; ++attempt) {
        port_.clearError();
        QThread::msleep(20);
        opened = port_.open(QIODevice::ReadWrite);
    }
    if (!opened) {
        fail(QStringLiteral("open"));
        return false;
    }
    if (!applySettings(s) || !port_.setFlowControl(QSerialPort::NoFlowControl)) {
        fail(QStringLiteral("line settings"));
        return false;
    }
    // Modem lines: a pseudo-terminal has none and refuses; the controller
    // does not need them, so a refusal is not an error.
    (void)port_.setDataTerminalReady(true);
    (void)port_.setRequestToSend(true);
    port_.clearError();

    RequestLowLatency(static_cast<int>(port_.handle()));

    // Nothing received before this open belongs to what follows.
    (void)port_.clear(QSerialPort::Input);
    port_.clearError();
    line_ = s;
    lineBusyUntil_ = Clock::time_point{};
    lastWriteTime_ = Clock::duration(0);
    ++generation_;
    return true;
}

int CommControl::InBufferCount() const {
    if (!port_.isOpen()) return 0;
    const qint64 n = port_.bytesAvailable();
    return n > 0 ? static_cast<int>(std::min<qint64>(n, 0x7fffffff)) : 0;
}

QByteArray CommControl::Input() {
    if (!port_.isOpen()) return QByteArray();
    return port_.readAll();
}

bool CommControl::Output(const QByteArray& data) {
    if (!port_.isOpen()) {
        lastError_ = QStringLiteral("The port is not open.");
        return false;
    }
    if (data.isEmpty()) return true;
    const qint64 written = port_.write(data);
    if (written != data.size()) {
        lastError_ = port_.errorString();
        port_.clearError();
        return false;
    }
    // The bytes leave one after the other, after those written before.
    lastWriteTime_ = CommWireTime(written, line_);
    lineBusyUntil_ = std::max(Clock::now(), lineBusyUntil_) + lastWriteTime_;
    // Hand the bytes to the driver now, not on the next turn of the event
    // queue: the controller must see them even when nothing waits afterwards.
    if (!port_.flush() && DeviceGone(static_cast<int>(port_.handle()))) {
        lastError_ = port_.errorString();
        return false;
    }
    return true;
}

std::chrono::milliseconds CommControl::DrainLimit() const {
    if (!port_.isOpen()) return std::chrono::milliseconds(0);
    const Clock::time_point now = Clock::now();
    const std::chrono::nanoseconds pending = lineBusyUntil_ > now ? lineBusyUntil_ - now : Clock::duration(0);
    const std::chrono::nanoseconds queued = CommWireTime(port_.bytesToWrite() + driverQueue(), line_);
    return std::min(std::chrono::ceil<std::chrono::milliseconds>(2 * std::max(pending, queued)) + kDrainMargin,
                    kDrainCeiling);
}

bool CommControl::DrainOutput() { return drain(true); }

bool CommControl::drain(bool yield) {
    if (!port_.isOpen()) return true;
    const Clock::time_point deadline = Clock::now() + DrainLimit();
    const auto cutShort = [&](const char* what) {
        lastError_ = QStringLiteral("%1: output still %2 when the time-out for its drain ran out.")
                         .arg(devicePath_, QLatin1String(what));
        return false;
    };

    for (;;) {
        const int fd = static_cast<int>(port_.handle());
        // The port's own buffer: hand what the driver takes to it now.
        if (port_.bytesToWrite() > 0) (void)port_.flush();
        const qint64 unsent = port_.bytesToWrite();
        const qint64 queued = driverQueue();
        const Clock::time_point now = Clock::now();
        // What is still in the driver's queue (and in the port's buffer)
        // cannot have left before its own line time from now.
        if (unsent + queued > 0)
            lineBusyUntil_ = std::max(lineBusyUntil_, now + CommWireTime(unsent + queued, line_));
        // The driver cannot see the bytes in an adapter's own buffer (and a
        // pseudo-terminal reports none at all): they are on the line until
        // the line time of the last one written has passed, plus the
        // adapter's margin unless the other side has answered since.
        const bool answered = lastInput_ >= lineBusyUntil_;
        const Clock::time_point settled =
            lineBusyUntil_ + (answered ? Clock::duration(0) : Clock::duration(kAdapterMargin));
        if (unsent + queued == 0 && now >= settled) return true;
        if (now >= deadline)
            return cutShort(unsent > 0 ? "in the port's buffer" : queued > 0 ? "in the driver's queue" : "on the line");
        if (unsent > 0 && DeviceGone(fd)) return cutShort("in the port's buffer");

        // Sleep until the bytes should be out, in pieces; bytes still queued
        // are looked at again after about half their line time.
        Clock::time_point wake = settled;
        if (unsent + queued > 0) {
            const auto half = std::chrono::duration_cast<Clock::duration>(CommWireTime(unsent + queued, line_) / 2);
            wake = now + std::max<Clock::duration>(half, std::chrono::milliseconds(1));
        }
        wake = std::min({wake, now + Clock::duration(kDrainSlice), deadline});
        if (unsent > 0) {
            // Wake as soon as the driver takes more.
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wake - now).count();
            pollfd p{fd, POLLOUT, 0};
            (void)::poll(&p, 1, static_cast<int>(std::clamp<int64_t>(ms, 1, kDrainSlice.count())));
        } else {
            std::this_thread::sleep_until(wake);
        }

        // Between two pieces the user interface runs.  What it does may
        // close the port or delete this control.
        if (yield && drainYield_ && Clock::now() < settled) {
            const QPointer<CommControl> self(this);
            const std::function<void()> run = drainYield_;
            run();
            if (!self) return false;
            if (!port_.isOpen()) return true;
        }
    }
}

qint64 CommControl::driverQueue() const {
#if defined(__linux__) && defined(TIOCOUTQ)
    const int fd = static_cast<int>(port_.handle());
    int queued = 0;
    if (fd >= 0 && ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) return queued;
#endif
    return 0;
}

void CommControl::onReadyRead() {
    const Clock::time_point now = Clock::now();
    lastInput_ = now;
    // The controller answers only what it has heard, so an answer shows that
    // every write before the last one has left, however much line time the
    // settings would still give them: a line faster than its settings (a
    // pseudo-terminal, a USB device that ignores the speed) would otherwise
    // hold every close for the line time of all it ever carried.  The last
    // write may be what is being answered, or still sit in an adapter's own
    // buffer behind an echo of its first byte: it keeps its whole line time
    // from now.  Bytes still in the port's buffer or the driver's queue keep
    // theirs as well.
    if (port_.bytesToWrite() == 0 && driverQueue() == 0)
        lineBusyUntil_ = std::min(lineBusyUntil_, now + lastWriteTime_);
    commEvent_ = comEvReceive;
    emit OnComm();
    commEvent_ = 0;
}

void CommControl::onError(QSerialPort::SerialPortError error) {
    if (!port_.isOpen()) return;
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::WriteError)
        return;
    lastError_ = port_.errorString();
    if (!DeviceGone(static_cast<int>(port_.handle()))) {
        // A passing condition (a full output queue): the port goes on.
        port_.clearError();
        return;
    }
    // The device went away (adapter unplugged, other side hung up).  Release
    // it, but not from inside the port's own notification: close it from the
    // event queue, unless it has been reopened by then.
    const quint64 generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation == generation_ && port_.isOpen()) releasePort();
        },
        Qt::QueuedConnection);
}

bool CommControl::applySettings(const CommLineSettings& s) {
    return port_.setBaudRate(s.baud) && port_.setDataBits(s.dataBits) &&
           port_.setParity(s.parity) && port_.setStopBits(s.stopBits);
}

void CommControl::fail(const QString& what) {
    lastError_ = QStringLiteral("%1 (%2): %3").arg(devicePath_, what, port_.errorString());
    releasePort();
}

void CommControl::releasePort() {
    if (port_.isOpen()) port_.close();
    port_.clearError();
}

}  // namespace platform
