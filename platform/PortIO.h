// The parallel-port I/O library: the functions the link calls, in the two
// flavours of the two operating-system families (suffix 98 and NT).  This
// platform has no parallel-port driver, so every call does nothing and leaves
// a library error number that IoErrNo98/IoErrNoNT report; every parallel path
// of the link thus ends in its error code.
#pragma once

#include <cstdint>

namespace platform {

// Error number of a call when no parallel port can be reached.  The link
// turns library error numbers n into link codes n - 10, so this one reads as
// "Can't open communication port." (-1).
constexpr int16_t kPortIoUnavailable = 9;

void SetPort98(int16_t lpt, int16_t lptNext, int32_t txTimeOut, int32_t tx0, int32_t txP,
               int32_t tx1, int32_t rxTimeOut, int32_t hwCalLimit);
int16_t Inport98();
void Outport98(int16_t value);
uint8_t ReceiveData98();
int16_t IoErrNo98();

void SetPortNT(int16_t lpt, int16_t lptNext, int32_t txTimeOut, int32_t tx0, int32_t txP,
               int32_t tx1, int32_t rxTimeOut, int32_t hwCalLimit);
int16_t InportNT();
void OutportNT(int16_t value);
uint8_t ReceiveDataNT();
int16_t IoErrNoNT();
void ClosePort();

// The error number that every call leaves (kPortIoUnavailable unless changed);
// lets a test drive the link's handling of other library error numbers.
void SetPortIoError(int16_t errorNumber);

}  // namespace platform
