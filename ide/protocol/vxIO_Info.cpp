// Controller information: the identification exchange (LINK_IDENTIFY), the
// program header read back from the controller's memory, and the firmware
// version check that the download window runs before a download.
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "compiler/Text.h"
#include "protocol/bootup_modMain.h"
#include "protocol/vxIO_Protocol.h"

namespace vxIO {

namespace map = qvv2::controller;

namespace {

// The identification exchange: LINK_IDENTIFY (echoed), a lone 0, five reply bytes
// each echoed back, and a last one taken without echo.  False at the first
// link error; the last byte's error counts only when testLast is set.
bool Identify(std::array<uint8_t, 6>& b, bool testLast) {
    b.fill(0);
    SendByte(map::LINK_IDENTIFY);
    if (CommError != 0) return false;
    SendZero();
    if (CommError != 0) return false;
    for (size_t i = 0; i < 5; ++i) {
        b[i] = ReceiveByteEcho();
        if (CommError != 0) return false;
    }
    b[5] = ReceiveByte();
    return !(testLast && CommError != 0);
}

// Code pages in which a byte of 128 or more leads a two-byte character.
bool DoubleByte(const std::string& codePage) {
    QString cp = QString::fromStdString(codePage).toUpper();
    cp.remove(QLatin1Char('-'));
    return cp == QLatin1String("CP949") || cp == QLatin1String("CP932") || cp == QLatin1String("CP936") ||
           cp == QLatin1String("EUCKR") || cp == QLatin1String("SHIFTJIS") || cp == QLatin1String("GBK");
}

QString Decode(const std::string& bytes, const std::string& codePage) {
    return QString::fromStdU16String(qvv2::FromAnsi(bytes, codePage));
}

void Yield() { Pump(QEventLoop::AllEvents); }

}  // namespace

QString DecodeProgramName(const std::vector<uint8_t>& bytes, bool longName, const std::string& codePage) {
    const std::string cp = codePage.empty() ? qvv2::SystemCodePage() : codePage;
    const bool dbcs = DoubleByte(cp);
    QString name;
    const size_t count = bytes.size();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        if (b < 128) {
            name += QChar(b);
            continue;
        }
        if (!dbcs) {
            // A single-byte code page: every byte is a character of its own.
            name += Decode(std::string(1, static_cast<char>(b)), cp);
            continue;
        }
        if (i + 1 < count) {
            // Lead byte and the byte after it make one character.
            name += Decode(std::string{static_cast<char>(b), static_cast<char>(bytes[i + 1])}, cp).left(1);
            ++i;
        } else if (longName) {
            // A lead byte in the last position of a long name pairs with 0.
            name += Decode(std::string{static_cast<char>(b), '\0'}, cp).left(1);
        }
        // A lead byte in the last position of a short name adds nothing.
    }
    return name;
}

QString ProgramDateText(uint8_t year, uint8_t month, uint8_t day) {
    return QLatin1String(year > 50 ? "19" : "20") + QStringLiteral("%1").arg(year, 2, 10, QLatin1Char('0')) +
           QLatin1Char('/') + QString::number(month) + QLatin1Char('/') + QString::number(day);
}

QString ProgramTimeText(uint8_t hour, uint8_t minute, uint8_t second) {
    return QString::number(hour) + QLatin1Char(':') + QString::number(minute) + QLatin1Char(':') +
           QString::number(second);
}

void GetControllerInfo(ControllerInfo& info) {
    if (!Serial()) return;
    GetControllerInfoSerial(info);
}

void GetControllerInfoSerial(ControllerInfo& info) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    std::array<uint8_t, 6> id{};
    if (!Identify(id, true)) return;
    if (id[0] == 0) {
        CommError = kErrInfo;
        return;
    }
    info.ControllerId = id[0];
    info.FirmwareMajor = id[1];
    info.FirmwareMinor = id[2];
    info.Info3 = id[3];
    info.TotalVariables = id[4];
    info.TotalStacks = id[5];

    info.Checksum = 0;
    if (id[0] == map::kChecksumControllerId) {
        const uint8_t high = ReadMemory(map::kChecksumHighMemory);
        if (CommError != 0) return;
        const uint8_t low = ReadMemory(map::kChecksumLowMemory);
        if (CommError != 0) return;
        info.Checksum = int32_t(high) * 256 + low;
    }

    std::vector<uint8_t> header(16, 0);
    for (int32_t a = 0; a < 16; ++a) {
        header[static_cast<size_t>(a)] = ReadByteF2(a);
        if (CommError != 0) return;
    }

    const auto all = [&header](uint8_t b) {
        return std::all_of(header.begin(), header.end(), [b](uint8_t h) { return h == b; });
    };
    info.NoProgram = all(0x00) || all(0xFF);

    const std::string cp = qvv2::SystemCodePage();
    if (header[0] < 255) {
        info.ProgramName = DecodeProgramName(std::vector<uint8_t>(header.begin(), header.begin() + 8), false, cp);
    } else {
        // A long name: header bytes 1..7, then EEPROM bytes 0..7.
        std::vector<uint8_t> name(header.begin() + 1, header.begin() + 8);
        for (int32_t a = 0; a < 8; ++a) {
            Yield();
            const uint8_t b = ReadByteB3(map::kProgramNameEeprom + a);
            if (CommError != 0) return;
            name.push_back(b);
        }
        info.ProgramName = DecodeProgramName(name, true, cp);
    }
    info.ProgramDate = ProgramDateText(header[8], header[9], header[10]);
    info.ProgramTime = ProgramTimeText(header[11], header[12], header[13]);
    info.ProgramSize = int32_t(header[14]) + 256 * int32_t(header[15]);
}

void GetControllerId(std::array<uint8_t, 6>& id) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    std::array<uint8_t, 6> b{};
    if (!Identify(b, true)) return;
    if (b[0] == 0) {
        CommError = kErrInfo;
        return;
    }
    id = b;
}

}  // namespace vxIO

namespace bootup_modMain {

bool ReadFirmwareVersion() {
    const vxIO::Exchange exchange;
    if (!exchange) return false;
    vxIO::CommError = 0;
    FirmwareKind = 0;
    FirmwareMajor = 0;
    FirmwareMinor = 0;

    vxIO::OpenComm();
    if (vxIO::CommError != 0) return false;

    // The exchange runs with a short reply time-out; the interval is put back
    // on every path.
    QPointer<QTimer> timeOut = vxIO::Link().TimeOut;
    const int saved = timeOut ? timeOut->interval() : 0;
    if (timeOut) timeOut->setInterval(std::clamp(FirmwareReadTimeOutMs, 1, 65535));
    const auto restore = [&] {
        if (timeOut) timeOut->setInterval(saved);
    };

    std::array<uint8_t, 6> id{};
    bool ok = vxIO::Identify(id, false);
    uint8_t high = 0, low = 0;
    if (ok) {
        high = vxIO::ReadMemory(vxIO::map::kChecksumHighMemory);
        ok = vxIO::CommError == 0;
    }
    if (ok) {
        low = vxIO::ReadMemory(vxIO::map::kChecksumLowMemory);
        ok = vxIO::CommError == 0;
    }
    restore();
    if (!ok) {
        const int16_t code = vxIO::CommError;
        vxIO::CloseComm();
        vxIO::CommError = code;
        return false;
    }
    vxIO::CloseComm();
    if (vxIO::CommError != 0) return false;
    if (id[0] == 0) return false;

    FirmwareKind = id[0];
    FirmwareMajor = id[1];
    FirmwareMinor = id[2];
    FirmwareWord = int32_t(high) * 256 + low;
    return true;
}

}  // namespace bootup_modMain
