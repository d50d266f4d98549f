// The fast download: the object image goes to the controller at 115200 baud
// in blocks of 256 bytes and their sum, each block asked for by the
// controller.  Only the stop, EEPROM, enter and length bytes use the slow
// echoed protocol.
#include <QByteArray>
#include <QPointer>

#include "platform/CommControl.h"
#include "protocol/LinkSettings.h"
#include "protocol/modMainDelay.h"
#include "protocol/vxIO_Protocol.h"

namespace vxIO {

namespace map = qvv2::controller;

namespace {

constexpr int kBlockBytes = 256;
const QString kFastSettings = QStringLiteral("115200,n,8,1");

platform::CommControl* Port() { return Link().Comm; }

bool PortIsOpen() {
    platform::CommControl* port = Port();
    return port && port->PortOpen();
}

void Yield() { Pump(QEventLoop::AllEvents); }

void Report(const Progress& progress, int32_t done, int32_t total) {
    if (progress) progress(done, total);
}

// Name byte at position p (1-based); positions past the name are blanks.
uint8_t NameByte(const std::string& name, size_t p) {
    return p >= 1 && p <= name.size() ? static_cast<uint8_t>(name[p - 1]) : uint8_t(0x20);
}

// The transfer's state, so that every ending restores what it changed.
struct Transfer {
    bool settingsChanged = false;
    QString savedSettings;

    // Closes the port, puts the line settings back when they were changed,
    // and keeps the failure's code.
    bool Fail() {
        const int16_t code = CommError;
        if (PortIsOpen()) CloseComm();
        if (settingsChanged) {
            if (platform::CommControl* port = Port()) (void)port->setSettings(savedSettings);
        }
        CommError = code;
        return false;
    }
};

// Block k's 256 data bytes (0 past the image's end) and their sum.
void FillBlock(QByteArray& block, const std::vector<uint8_t>& work, int32_t n, int32_t k) {
    for (int i = 0; i <= kBlockBytes; ++i) {
        Yield();
        block[i] = 0;
    }
    uint32_t sum = 0;
    for (int32_t j = 1; j <= kBlockBytes; ++j) {
        Yield();
        const int32_t p = (k - 1) * kBlockBytes + j;
        if (p > n) break;
        const uint8_t b = work[static_cast<size_t>(p)];
        block[j - 1] = static_cast<char>(b);
        sum += b;
    }
    block[kBlockBytes] = static_cast<char>(sum % 256);
}

}  // namespace

bool DownloadFast(const std::vector<uint8_t>& image, int32_t n, int16_t variables, const std::string& programName,
                  const Progress& progress) {
    const Exchange exchange;
    if (!exchange) return false;
    CommError = 0;
    const int16_t type = modMain::ControllerType;
    if (!Serial() || !map::TypeOf(type).fastDownload) return false;
    return DownloadFastSerial(image, n, variables, programName, progress);
}

bool DownloadFastSerial(const std::vector<uint8_t>& image, int32_t n, int16_t /*variables*/,
                        const std::string& programName, const Progress& progress) {
    // The whole transfer is one exchange: the port closes and reopens at the
    // new speed in its middle, and nothing else may use the line meanwhile.
    const Exchange exchange;
    if (!exchange) return false;
    CommError = 0;
    Transfer t;

    // An image must hold its header and at least one byte of code, all of its
    // n bytes must be there, and its length must fit the 16-bit field that
    // announces it (a longer one would go out as a wrong length).
    if (n < 17 || image.size() < static_cast<size_t>(n) + 1) {
        CommError = kErrObjectCode;
        return t.Fail();
    }
    if (n > kMaxDownloadBytes) {
        CommError = kErrTooBig;
        return t.Fail();
    }
    // Should the port's owner go away during a yield, the transfer ends as a
    // port failure.
    QPointer<platform::CommControl> port = Port();
    if (!port) {
        CommError = kErrPort;
        return t.Fail();
    }

    // Working copy: the caller's image is not changed by the name marking.
    std::vector<uint8_t> work(image.begin(), image.begin() + n + 1);
    QByteArray block(kBlockBytes + 1, '\0');

    // A name with anything but blanks past its 12th byte is long: header
    // byte 0 becomes 255, header bytes 1..7 take name bytes 1..7 and the
    // EEPROM takes name bytes 8..15.
    const std::string& name = programName;
    bool longName = false;
    for (size_t p = 13; p <= 32; ++p)
        if (NameByte(name, p) != 0x20) longName = true;
    if (longName) {
        work[1] = 255;
        for (size_t p = 1; p <= 7; ++p) work[p + 1] = NameByte(name, p);
    }

    if (!PortIsOpen()) {
        OpenComm();
        if (CommError != 0) return t.Fail();
    }
    SendByte(map::LINK_STOP);
    if (CommError != 0) return t.Fail();

    if (work[1] == 255) {
        for (int32_t i = 0; i < 8; ++i) {
            Yield();
            WriteEeprom(map::kProgramNameEeprom + i, NameByte(name, static_cast<size_t>(8 + i)));
            if (CommError != 0) return t.Fail();
            modMain::Delay(10);
        }
    }

    SendByte(map::LINK_ENTER_DOWNLOAD);
    if (CommError != 0) return t.Fail();

    if (PortIsOpen()) CloseComm();
    if (!port) {
        CommError = kErrPort;
        return t.Fail();
    }
    t.savedSettings = port->Settings();
    t.settingsChanged = true;
    (void)port->setSettings(kFastSettings);
    modMain::Delay(100);
    if (!PortIsOpen()) {
        OpenComm();
        if (CommError != 0) return t.Fail();
    }

    SendByte(LowByte(n));
    if (CommError != 0) return t.Fail();
    SendByte(HighByte(n));
    if (CommError != 0) return t.Fail();

    Report(progress, 0, 1);

    const int32_t blocks = (n - 1) / kBlockBytes + 1;
    // Each block is made ready before it is asked for, so that it goes out
    // the moment the controller asks: the copying overlaps the previous
    // block's time on the line.
    FillBlock(block, work, n, 1);
    for (int32_t k = 1; k <= blocks; ++k) {
        Yield();
        // A port that closed under the transfer (the line went away) is a
        // port failure, not a port the caller forgot to open.
        if (!port || !port->PortOpen()) {
            CommError = kErrPort;
            return t.Fail();
        }
        SendByteNoEcho(map::LINK_BLOCK_REQUEST);
        if (CommError != 0) return t.Fail();
        const uint8_t reply = ReceiveByte();
        if (CommError != 0) return t.Fail();
        if (reply == map::LINK_BLOCKS_DONE) break;
        if (reply != map::LINK_BLOCK_SEND) {
            CommError = kErrBlockReply;
            return t.Fail();
        }
        if (!port || !port->Output(block)) {
            CommError = kErrPort;
            return t.Fail();
        }
        Report(progress, k, blocks + 2);
        if (k < blocks) FillBlock(block, work, n, k + 1);
    }

    if (PortIsOpen()) CloseComm();
    modMain::Delay(100);
    if (port) (void)port->setSettings(t.savedSettings);
    Report(progress, 1, 1);
    if (PortIsOpen()) CloseComm();
    return true;
}

}  // namespace vxIO
