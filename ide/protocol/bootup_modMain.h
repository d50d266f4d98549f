// Module bootup_modMain: state of the firmware update that the link's
// receive handler respects.
#pragma once

#include <cstdint>

namespace bootup_modMain {

// While true the receive handler leaves incoming data in the port's buffer
// and sets no flag: the firmware update reads the port itself.
inline bool RawMode = false;

// Set by ReadFirmwareVersion: identification bytes 0, 1, 2 and the checksum
// word (qvv2::controller::kChecksumHighMemory, kChecksumLowMemory).
inline uint8_t FirmwareKind = 0;
inline uint8_t FirmwareMajor = 0;
inline uint8_t FirmwareMinor = 0;
inline int32_t FirmwareWord = 0;

// The reply time-out of ReadFirmwareVersion's exchange: short, so that the
// check before a download costs little when no controller answers.  The
// program never changes it; a test whose machine may be too busy to answer
// within it raises it for a check that must succeed.
inline constexpr int kFirmwareReadTimeOutMs = 500;
inline int FirmwareReadTimeOutMs = kFirmwareReadTimeOutMs;

// Opens the port, asks the controller for its identification with the reply
// time-out FirmwareReadTimeOutMs, reads the checksum word and closes the port.
// True when a controller answered with a non-zero identification byte; the
// four values above are then fresh.  The time-out interval is left as it was.
bool ReadFirmwareVersion();

}  // namespace bootup_modMain
