// Controller information read-out and the fast download of an object image
// (module vxIO), and the firmware version check (module bootup_modMain).
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace vxIO {

enum : int16_t {
    kErrTooBig = -22,  // an object image longer than the 16-bit length field carries
};

// The longest image the fast download can announce: its length travels as
// one 16-bit value.
inline constexpr int32_t kMaxDownloadBytes = 65535;

// ---- Controller information ---------------------------------------------------

// What the controller says about itself (reply to 0xF0) and about the program
// it holds (the 16-byte program header at memory 0..15).
struct ControllerInfo {
    uint8_t ControllerId = 0;    // 0: no valid answer; 2: keeps a checksum word at 1266..1267
    uint8_t FirmwareMajor = 0;   // firmware version, whole part
    uint8_t FirmwareMinor = 0;   // firmware version, tenths
    uint8_t Info3 = 0;           // delivered, not used
    uint8_t TotalVariables = 0;  // variable bytes of the controller
    uint8_t TotalStacks = 0;     // stack entries of the controller
    int32_t Checksum = 0;        // memory 1266 x 256 + memory 1267 (ControllerId 2), else 0
    QString ProgramName;         // 8 characters with their blanks, or a long name of 15 bytes
    QString ProgramDate;         // e.g. "2026/12/8"
    QString ProgramTime;         // e.g. "8:5:30"
    int32_t ProgramSize = 0;     // header bytes 14 + 256 x 15
};

// The full read-out; serial port only (on the parallel port it returns at
// once and leaves `info` untouched).  The caller opens and closes the port.
// Link errors stop the read-out where they occur, keeping what was filled so
// far; an identification byte 0 of 0 is error -10.
void GetControllerInfo(ControllerInfo& info);
void GetControllerInfoSerial(ControllerInfo& info);
// The six identification bytes alone; `id` is assigned only when byte 0 is
// non-zero (else error -10).  The caller opens and closes the port.
void GetControllerId(std::array<uint8_t, 6>& id);

// Decoding of the program header (memory 0..15) and, for a long name, the
// eight EEPROM name bytes, with the double-byte rule of the code page.
QString DecodeProgramName(const std::vector<uint8_t>& bytes, bool longName, const std::string& codePage);
QString ProgramDateText(uint8_t year, uint8_t month, uint8_t day);
QString ProgramTimeText(uint8_t hour, uint8_t minute, uint8_t second);

// ---- Fast download --------------------------------------------------------------

// Sets a progress shape's width to Int(done / total x fullWidth), fullWidth
// in twips (the shapes' unit); a null shape or a total of 0 or less changes
// nothing.
void SetProgressWidth(QWidget* shape, int32_t fullWidth, int32_t done, int32_t total);

// Writes the object image into the controller: image holds indexes 0..n
// (index i is controller address i - 1, index 0 is not sent), n is
// TotalBytes.  The program name comes from the compiler control's Filename
// (modMain::Basic()).  Only on the serial port with controller type 7, 8 or
// 9; otherwise it returns false at once, sends nothing and says nothing.
// Returns true when the transfer ended normally.  On failure it shows the
// error box itself (which closes the port and clears CommError), so callers
// take the outcome from the result.  An image shorter than 17 bytes is -21,
// one longer than 65,535 bytes -22; nothing is sent for either.
bool DownloadFast(const std::vector<uint8_t>& image, int32_t n, int16_t variables, int32_t fullWidth,
                  QWidget* shapeA, QWidget* shapeB);
// The transfer itself, without the error box: leaves the port closed and the
// line settings as they were on every path, and the failure's code in
// CommError.
bool DownloadFastSerial(const std::vector<uint8_t>& image, int32_t n, int16_t variables, int32_t fullWidth,
                        QWidget* shapeA, QWidget* shapeB);

}  // namespace vxIO

namespace bootup_modMain {

// Set by ReadFirmwareVersion: identification bytes 0, 1, 2 and the word at
// memory 1266..1267 (first byte high).
inline uint8_t FirmwareKind = 0;
inline uint8_t FirmwareMajor = 0;
inline uint8_t FirmwareMinor = 0;
inline int32_t FirmwareWord = 0;

// Opens the port, asks the controller for its identification with a reply
// time-out of 500 ms, reads the word at 1266..1267 and closes the port.
// True when a controller answered with a non-zero identification byte; the
// four values above are then fresh.  The time-out interval is left as it was.
bool ReadFirmwareVersion();

}  // namespace bootup_modMain
