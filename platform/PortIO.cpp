#include "platform/PortIO.h"

namespace platform {

namespace {

int16_t g_reportedError = kPortIoUnavailable;  // what every call leaves
int16_t g_lastError = 0;                       // error number of the last call

void Call() { g_lastError = g_reportedError; }

}  // namespace

void SetPortIoError(int16_t errorNumber) { g_reportedError = errorNumber; }

void SetPort98(int16_t, int16_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { Call(); }
int16_t Inport98() { Call(); return 0; }
void Outport98(int16_t) { Call(); }
uint8_t ReceiveData98() { Call(); return 0; }
int16_t IoErrNo98() { return g_lastError; }

void SetPortNT(int16_t, int16_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { Call(); }
int16_t InportNT() { Call(); return 0; }
void OutportNT(int16_t) { Call(); }
uint8_t ReceiveDataNT() { Call(); return 0; }
int16_t IoErrNoNT() { return g_lastError; }
void ClosePort() { Call(); }

}  // namespace platform
