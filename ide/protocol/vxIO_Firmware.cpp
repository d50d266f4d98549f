// The firmware update's exchange with the controller's boot loader.
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "platform/CommControl.h"
#include "protocol/FirmwareUpdate.h"
#include "protocol/bootup_modMain.h"
#include "protocol/modMainDelay.h"

namespace vxIO {

namespace {

constexpr int kBlockBytes = 256;

platform::CommControl* Port() { return Link().Comm; }

QByteArray Raw(const uint8_t* bytes, size_t count) {
    return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count));
}

void Report(const Progress& progress, int32_t done, int32_t total) {
    if (progress) progress(done, total);
}

// The line while the boot loader has it: the port, read directly in raw
// mode, and the update's own reply timer (the link's reply time-out keeps
// its interval).
class BootLine {
public:
    BootLine() : port(Port()) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] { timedOut_ = true; });
    }

    // Waits up to ms until ready() holds, sleeping until data or the
    // time-out arrive; false on time-out or when the port went away.
    template <typename Ready>
    bool Wait(int ms, Ready ready) {
        if (!port) return false;
        timedOut_ = false;
        timer_.start(ms);
        bool ok = false;
        for (;;) {
            Pump(QEventLoop::WaitForMoreEvents);
            if (timedOut_) break;
            if (!port || !port->PortOpen()) break;  // the line went away
            if (ready()) {
                ok = true;
                break;
            }
        }
        timer_.stop();
        return ok;
    }

    QPointer<platform::CommControl> port;

private:
    QTimer timer_;
    bool timedOut_ = false;
};

// Closes the port and keeps the failure's code.
bool Fail(int16_t code) {
    CloseComm();
    CommError = code;
    return false;
}

// Leaves raw mode, closes the port and keeps the failure's code.
bool FailRaw(int16_t code) {
    bootup_modMain::RawMode = false;
    return Fail(code);
}

}  // namespace

int32_t LastFirmwareBlock(int32_t lastIndex) {
    if (lastIndex < 0) return 0;
    const int32_t whole = lastIndex / kBlockBytes;
    const int32_t rest = lastIndex % kBlockBytes;
    if (rest > kBlockBytes / 2) return whole + 1;
    if (rest == kBlockBytes / 2) return whole + (whole & 1);
    return whole;
}

bool SendFirmwareBlock(const std::vector<uint8_t>& image, int16_t k, FirmwareBlock& frame) {
    QPointer<platform::CommControl> port = Port();
    const uint8_t header[2] = {static_cast<uint8_t>(k), 0};
    if (!port || !port->Output(Raw(header, 2))) return false;
    uint32_t sum = static_cast<uint32_t>(k);
    for (int32_t i = 0; i < kBlockBytes; ++i) {
        Pump(QEventLoop::AllEvents);
        const int32_t p = int32_t(k) * kBlockBytes + i;
        const uint8_t b =
            (p >= 0 && static_cast<size_t>(p) < image.size()) ? image[static_cast<size_t>(p)] : uint8_t(255);
        sum += b;
        frame[static_cast<size_t>(i)] = (i % 2 == 0) ? static_cast<uint8_t>(b ^ static_cast<uint8_t>(k)) : b;
    }
    frame[kBlockBytes] = static_cast<uint8_t>(sum % 256);
    return port && port->Output(Raw(frame.data(), frame.size()));
}

bool UpdateFirmware(const std::vector<uint8_t>& image, const Firmware::AccessCode& code, const FirmwareWaits& waits,
                    const Progress& progress) {
    const Exchange exchange;
    if (!exchange) return false;
    CommError = 0;
    if (image.empty()) {
        CommError = kErrObjectCode;
        return false;
    }
    if (image.size() > static_cast<size_t>(Firmware::kMaxImageBytes)) {
        CommError = kErrTooBig;
        return false;
    }
    BootLine line;
    QPointer<platform::CommControl>& port = line.port;
    if (!port) {
        CommError = kErrPort;
        return false;
    }

    OpenComm();
    if (CommError != 0) return Fail(CommError);

    // Wake-up: each byte written as it is, without an echo, and like every
    // byte after the line has been quiet for the quiet time a broken frame
    // or a late byte set; each reply taken by the link's normal reply wait.
    for (size_t i = 0; i < code.WakeUp.size(); ++i) {
        if (!port) return Fail(kErrPort);
        SendByteNoEcho(code.WakeUp[i]);
        if (CommError != 0) return Fail(CommError);
        const uint8_t reply = ReceiveByte();
        if (CommError != 0) return Fail(CommError);
        if (reply != code.WakeUpReply[i]) return Fail(kErrBootLoader);
    }

    const QByteArray start = Raw(code.Start.data(), code.Start.size());
    modMain::Delay(100);

    // From here on the update reads the port itself.
    bootup_modMain::RawMode = true;

    // The boot loader's prompt, answered at once with the start sequence.
    bool prompted = false;
    bool written = true;
    const bool gotPrompt = line.Wait(waits.PromptMs, [&] {
        if (port->InBufferCount() < 1) return false;
        const QByteArray waiting = port->Input();
        if (!waiting.contains(static_cast<char>(code.Prompt))) return false;
        prompted = true;
        written = port->Output(start);
        return true;
    });
    if (!gotPrompt || !prompted || !written) return FailRaw(kErrBootLoader);

    // The acknowledgement: exactly five bytes.
    QByteArray ack;
    const bool gotAck = line.Wait(waits.ReplyMs, [&] {
        if (port->InBufferCount() != 5) return false;
        ack = port->Input();
        return true;
    });
    if (!gotAck || ack != Raw(code.Acknowledge.data(), code.Acknowledge.size())) return FailRaw(kErrBootLoader);

    const int32_t last = LastFirmwareBlock(static_cast<int32_t>(image.size()) - 1);
    Report(progress, 0, last);

    FirmwareBlock frame{};
    for (int32_t k = 0;; ++k) {
        Pump(QEventLoop::AllEvents);
        if (!port) return FailRaw(kErrBootLoader);
        if (k >= 255 || k > last) {
            const uint8_t endMarker[2] = {255, 0};
            if (!port->Output(Raw(endMarker, 2))) return FailRaw(kErrBootLoader);
            break;
        }
        if (!SendFirmwareBlock(image, static_cast<int16_t>(k), frame)) return FailRaw(kErrBootLoader);
        QByteArray reply;
        const bool answered = line.Wait(waits.ReplyMs, [&] {
            if (port->InBufferCount() < 1) return false;
            reply = port->Input();
            return !reply.isEmpty();
        });
        if (!answered || reply.at(0) != '!') return FailRaw(kErrBootLoader);
        Report(progress, k, last);
    }

    // The end marker is out: the port closes at once, then the controller
    // gets its settling pause.
    bootup_modMain::RawMode = false;
    CloseComm();
    modMain::Delay(static_cast<int16_t>(std::clamp(waits.SettleMs, 0, 32767)));
    return true;
}

}  // namespace vxIO
