// The serial-port control of the main window: a port number, a line-settings
// text, open and close, the bytes waiting, reading all of them, writing a
// byte array, and an OnComm event raised whenever data has arrived.  It runs
// on QSerialPort and delivers everything on the thread that owns it (the
// user-interface thread).
//
// Port numbers resolve to devices like this: the environment variable
// QVV2_COM<n> when it is set (a device path, e.g. a pseudo-terminal), else the
// n-th serial device of the system, USB and ACM adapters first.
//
// Every close and every change of line settings on an open port first waits
// until the bytes written have left on the line: a real adapter sends queued
// bytes at whatever speed the line has when they leave, so a block written at
// 115200 baud and followed at once by a switch to 9600 would go out mostly at
// 9600.  The wait is bounded by the time the queued bytes need on the line
// plus a margin, so a dead adapter or a peer that never reads cannot hold the
// program.
//
// Failures never throw: the setters and Output return false and leave the
// reason in LastError().
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

// Values of CommEvent.
enum CommEventCode : int16_t {
    comEvReceive = 2,  // data has arrived
};

// The parsed form of a line-settings text such as "9600,n,8,1".
struct CommLineSettings {
    qint32 baud = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Parses "baud,parity,data,stop": parity n, e, o, m or s (either case), data
// bits 5 to 8, stop bits 1, 1.5 or 2; blanks around the parts are allowed.
// Returns false for anything else.
bool ParseCommSettings(const QString& text, CommLineSettings* out);

// A serial device of the system as the port numbering sees it.
struct CommDevice {
    QString portName;      // e.g. "ttyUSB0"
    QString location;      // e.g. "/dev/ttyUSB0"
    bool usbAdapter = false;  // a USB device (vendor id known)
};

// The devices in port-number order: USB and ACM adapters first, then the
// others; within each, by name with trailing numbers compared as numbers
// (ttyUSB2 before ttyUSB10).  Returns their locations.
QStringList OrderCommDevices(const std::vector<CommDevice>& devices);

// The device path for port number n (1 or more), or an empty text when there
// is none.
QString ResolveCommPort(int n);

// What port number n reaches, for showing to the user: the device path,
// followed by the adapter's description in brackets where the system gives
// one ("/dev/ttyUSB0 (USB-Serial Controller)"); an empty text when the
// number reaches no device.
QString DescribeCommPort(int n);

// How long `bytes` characters take on a line with these settings (start bit,
// data bits, parity bit, stop bits).
std::chrono::nanoseconds CommWireTime(qint64 bytes, const CommLineSettings& s);

class CommControl : public QObject {
    Q_OBJECT

public:
    explicit CommControl(QObject* parent = nullptr);
    ~CommControl() override;

    // Port number, 1 to 16 by default.  It cannot change while the port is
    // open; a refused change returns false and keeps the number.
    int16_t CommPort() const { return commPort_; }
    bool setCommPort(int16_t port);

    // Line settings, "9600,n,8,1" by default.  A text that does not parse is
    // refused; on an open port the new settings apply once the bytes written
    // so far have left on the line (DrainOutput).
    QString Settings() const { return settings_; }
    bool setSettings(const QString& text);

    // Opening resolves the port number, opens the device, applies the line
    // settings, asks for low-latency delivery where the device supports it,
    // raises DTR (where the device has modem lines) and discards any input
    // that was waiting.  Any failure leaves the port closed and released.
    // Closing waits for the output to leave (DrainOutput), then discards
    // unread input.  Setting the current state again does nothing and
    // succeeds.
    bool PortOpen() const;
    bool setPortOpen(bool open);

    // Bytes received and not yet taken.
    int InBufferCount() const;
    // Takes all waiting bytes (an empty array when none or the port is closed).
    QByteArray Input();
    // Writes the bytes; false when the port is closed or the write fails.
    bool Output(const QByteArray& data);

    // Waits until the bytes written so far have left on the line: the
    // port's own buffer is handed to the driver, the driver's output queue
    // runs empty, the time the bytes need on the line has passed (counted
    // from when each was handed to the driver, at the speed then in force;
    // an answer from the other side ends it for every write before the
    // last one, which keeps its own line time from the answer on), and,
    // unless the other side has answered since, kAdapterMargin more.
    // Never longer than the time-out DrainLimit gives; returns false when the
    // limit cut the wait short.  The thread sleeps in pieces of at most
    // kDrainSlice; between two pieces it runs the drain yield when one is
    // set (setDrainYield), so a long drain does not freeze the user
    // interface.
    bool DrainOutput();
    // The longest DrainOutput may wait now: twice the line time of what is
    // still on its way, plus kDrainMargin, and never more than kDrainCeiling.
    std::chrono::milliseconds DrainLimit() const;
    static constexpr std::chrono::milliseconds kDrainMargin{200};
    static constexpr std::chrono::milliseconds kDrainCeiling{10000};
    // What DrainOutput adds after the line time of the last byte, for the
    // way from the driver to the line through a USB adapter: a full-speed
    // USB bus moves data in 1 ms frames, so a transfer handed to the host
    // controller waits up to one frame to start and travels in the next
    // (2 ms), plus 1 ms for the host to schedule it.  Bytes already in the
    // adapter's own buffer are covered by the line time, which runs from
    // the moment they were handed over.  Not added when the other side has
    // answered since that time (it has heard everything).
    static constexpr std::chrono::milliseconds kAdapterMargin{3};
    // The longest piece DrainOutput sleeps in one go.
    static constexpr std::chrono::milliseconds kDrainSlice{10};
    // What DrainOutput runs between two pieces of its wait (the link hands
    // control to the event queue there, under its exchange guard).  Closes
    // and speed changes made meanwhile are safe: the drain notices a port
    // closed under it and a control deleted under it.  The destructor's
    // drain never yields.
    void setDrainYield(std::function<void()> yield) { drainYield_ = std::move(yield); }

    // Kind of the event being delivered (comEvReceive); 0 outside an event.
    int16_t CommEvent() const { return commEvent_; }

    // The device path the port was last opened on (or tried to).
    QString DevicePath() const { return devicePath_; }
    // Text of the last failure.
    QString LastError() const { return lastError_; }

signals:
    void OnComm();

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    bool applySettings(const CommLineSettings& s);
    void fail(const QString& what);
    void releasePort();
    qint64 driverQueue() const;
    bool drain(bool yield);

    QSerialPort port_;
    int16_t commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    CommLineSettings line_;  // settings_ parsed
    int16_t commEvent_ = 0;
    QString devicePath_;
    QString lastError_;
    quint64 generation_ = 0;  // counts opens; a queued release checks it
    // When the bytes written so far can at the earliest have left on the
    // line (each write starts when the one before has left; an answer from
    // the other side shows that every write before the last has left).
    std::chrono::steady_clock::time_point lineBusyUntil_{};
    // The line time of the last write's bytes.
    std::chrono::nanoseconds lastWriteTime_{0};
    // When data last arrived.
    std::chrono::steady_clock::time_point lastInput_{};
    std::function<void()> drainYield_;
};

}  // namespace platform
