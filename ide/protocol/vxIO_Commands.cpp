// The controller command set: frames of echoed bytes and reply bytes.  Each
// operation clears CommError, sends its frame byte by byte and stops at the
// first byte operation that fails; the rest of the frame is not sent.  Each
// command is one controller exchange: started from an event while another
// exchange waits, it is refused and sends nothing (see vxIO::Exchange).
#include "protocol/vxIO.h"

#include "protocol/LinkSettings.h"

namespace vxIO {

int Model() {
    const int id = modMain::ControllerID;
    return (id >= 1 && id <= 3) ? id : 1;
}

namespace {

bool TwoByteAddress() { return Model() != 1; }

// Sends one echoed byte; true when it went through.
bool S(uint8_t b) {
    SendByte(b);
    return CommError == 0;
}

// Asks for a reply byte and takes it; ok tells whether it arrived.
uint8_t ZR(bool& ok) {
    SendZero();
    if (CommError != 0) {
        ok = false;
        return 0;
    }
    const uint8_t b = ReceiveByte();
    ok = CommError == 0;
    return ok ? b : 0;
}

// A number that goes on the wire as one byte must fit in one; a number that
// does not is refused as a data failure and nothing is sent.
bool AsByte(int32_t n, uint8_t& out) {
    if (n < 0 || n > 255) {
        CommError = kErrPort;
        return false;
    }
    out = static_cast<uint8_t>(n);
    return true;
}

// Command byte and address of a memory access of the current model.
bool SendAddress(uint8_t command, int32_t address) {
    if (!S(command)) return false;
    if (!S(LowByte(address))) return false;
    if (TwoByteAddress() && !S(HighByte(address))) return false;
    return true;
}

void SingleCommand(uint8_t command) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    SendByte(command);
}

void MotorCommand(uint8_t command, int16_t motor) {
    CommError = 0;
    uint8_t m = 0;
    if (!AsByte(motor, m)) return;
    if (!S(command)) return;
    (void)S(m);
}

// The group's command comes from kMotorGroups, whatever the caller's copy
// says; N is the family's group size.
template <size_t N>
uint8_t ReadBlock(const MotorGroup& group, std::array<uint8_t, N>& out) {
    out.fill(0);
    const MotorGroup* known = group.family == static_cast<int>(N) ? FindMotorGroup(group.family, group.index) : nullptr;
    if (!known) return 0;
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    // Without the serial link nothing is sent and nothing can arrive.
    if (!Serial()) return 0;
    if (!S(known->command)) return 0;
    for (size_t i = 0; i < N; ++i) {
        bool ok = false;
        const uint8_t b = ZR(ok);
        if (!ok) return 0;
        out[i] = b;
    }
    return 255;
}

}  // namespace

const MotorGroup* FindMotorGroup(int family, int index) {
    for (const MotorGroup& g : kMotorGroups)
        if (g.family == family && g.index == index) return &g;
    return nullptr;
}

uint8_t LowByte(int32_t v) { return (v >= 0 && v <= 65535) ? static_cast<uint8_t>(v & 0xFF) : 0; }

uint8_t HighByte(int32_t v) { return (v >= 0 && v <= 65535) ? static_cast<uint8_t>(v >> 8) : 0; }

void RunProgram() { SingleCommand(0xFB); }
void StopProgram() { SingleCommand(0xFA); }
void ResetController() { SingleCommand(0xFC); }
void StepProgram() { SingleCommand(0xF3); }

void SendCommandEE() {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    SendByte(0xEE);
}

void SendCommandFE(int16_t number, uint8_t state) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    uint8_t port = 0;
    if (!AsByte(number, port)) return;
    if (!S(0xFE)) return;
    if (!S(state != 0 ? 1 : 0)) return;
    (void)S(port);
}

void MoveMotor(int16_t motor, uint8_t position) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    uint8_t m = 0;
    if (!AsByte(motor, m)) return;
    if (!S(0xE6)) return;
    if (!S(m)) return;
    (void)S(position);
}

void SendCommandE3(uint8_t port, uint8_t level) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!S(0xE3) || !S(port)) return;
    (void)S(level);
}

uint8_t ReadByteF2(int32_t address) {
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!Serial()) return 0;
    if (!S(0xF2) || !S(LowByte(address)) || !S(HighByte(address))) return 0;
    bool ok = false;
    return ZR(ok);
}

uint8_t ReadByteB3(int32_t address) {
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!S(0xB3) || !S(LowByte(address)) || !S(HighByte(address))) return 0;
    bool ok = false;
    return ZR(ok);
}

uint8_t ReadMemory(int32_t address) {
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!Serial()) return 0;
    if (!SendAddress(ReadCommand[static_cast<size_t>(Model())], address)) return 0;
    bool ok = false;
    return ZR(ok);
}

void WriteMemory(int32_t address, uint8_t value) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    if (!SendAddress(WriteCommand[static_cast<size_t>(Model())], address)) return;
    (void)S(value);
}

void WriteEeprom(int32_t address, uint8_t value) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!S(0xB4) || !S(0x4B) || !S(LowByte(address)) || !S(HighByte(address))) return;
    if (!S(value)) return;
    (void)S(value);
}

uint8_t ReadVariable(int16_t servo) {
    if (servo < 0 || servo > 31) return 0;
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!S(0xD2) || !S(static_cast<uint8_t>(servo))) return 0;
    bool ok = false;
    return ZR(ok);
}

uint8_t ReadBlock8(const MotorGroup& group, std::array<uint8_t, 8>& out) { return ReadBlock(group, out); }

uint8_t ReadBlock6(const MotorGroup& group, std::array<uint8_t, 6>& out) { return ReadBlock(group, out); }

bool GetMotorOn(int16_t motor) {
    const Exchange exchange;
    if (!exchange) return false;
    CommError = 0;
    if (!Serial()) return false;
    if (motor < 0) {
        CommError = kErrPort;
        return false;
    }
    const int32_t index = motor / 8;
    const uint8_t mask = static_cast<uint8_t>(1u << (motor % 8));
    const uint8_t first = ReadMemory(MotorFlagBase[static_cast<size_t>(Model())] + index);
    if (CommError != 0) return false;
    bool on = (first & mask) != 0;
    if (Model() == 2) {
        const uint8_t second = ReadMemory(MotorFlagBase2 + index);
        if (CommError != 0) return false;
        on = on || (second & mask) != 0;
    }
    return on;
}

void SetMotorOn(int16_t motor, bool on) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    if (modMain::ControllerType == 1 || modMain::ControllerType == 2) {
        if (motor < 0) {
            CommError = kErrPort;
            return;
        }
            const int32_t address = MotorFlagBase[static_cast<size_t>(Model())] + motor / 8;
        const uint8_t mask = static_cast<uint8_t>(1u << (motor % 8));
        uint8_t flags = ReadMemory(address);
        if (CommError != 0) return;
        flags = on ? static_cast<uint8_t>(flags | mask) : static_cast<uint8_t>(flags & (255 - mask));
        WriteMemory(address, flags);
    } else {
        MotorCommand(on ? 0xE7 : 0xE8, motor);
    }
}

uint8_t ReadMotorPos(int16_t motor) {
    return ReadMemory(PositionBase[static_cast<size_t>(Model())] + motor);
}

void WritePositionPair(int16_t motor, uint8_t value) {
    const Exchange exchange;
    if (!exchange) return;
    WriteMemory(800 + motor, value);
    if (CommError != 0) return;
    WriteMemory(PositionBase[2] + motor, value);
}

}  // namespace vxIO
