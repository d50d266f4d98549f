// The controller command set: frames of echoed bytes and reply bytes.  Each
// operation clears CommError, sends its frame byte by byte and stops at the
// first byte operation that fails; the rest of the frame is not sent.  Each
// command is one controller exchange: started from an event while another
// exchange waits, it is refused and sends nothing (see vxIO::Exchange).
#include "protocol/vxIO_Protocol.h"

#include "protocol/LinkSettings.h"

namespace vxIO {

namespace map = qvv2::controller;

int Model() {
    const int id = modMain::ControllerID;
    return map::FindModel(id) ? id : 1;
}

namespace {

const map::ModelFacts& CurrentModel() { return map::LinkModel(Model()); }

bool TwoByteAddress() { return CurrentModel().twoByteAddress; }

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

void RunProgram() { SingleCommand(map::LINK_RUN); }
void StopProgram() { SingleCommand(map::LINK_STOP); }
void ResetController() { SingleCommand(map::LINK_RESET); }
void StepProgram() { SingleCommand(map::LINK_STEP); }

void SendCommandEE() {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    SendByte(map::LINK_DIRECT_LINE);
}

void SendCommandFE(int16_t number, uint8_t state) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    uint8_t port = 0;
    if (!AsByte(number, port)) return;
    if (!S(map::LINK_SET_OUTPUT)) return;
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
    if (!S(map::LINK_MOVE_SERVO)) return;
    if (!S(m)) return;
    (void)S(position);
}

void SendCommandE3(uint8_t port, uint8_t level) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!S(map::LINK_OUTPUT_LEVEL) || !S(port)) return;
    (void)S(level);
}

uint8_t ReadByteF2(int32_t address) {
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!Serial()) return 0;
    if (!S(map::LINK_READ_PROGRAM) || !S(LowByte(address)) || !S(HighByte(address))) return 0;
    bool ok = false;
    return ZR(ok);
}

uint8_t ReadByteB3(int32_t address) {
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!S(map::LINK_READ_EEPROM) || !S(LowByte(address)) || !S(HighByte(address))) return 0;
    bool ok = false;
    return ZR(ok);
}

uint8_t ReadMemory(int32_t address) {
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!Serial()) return 0;
    if (!SendAddress(CurrentModel().readMemory, address)) return 0;
    bool ok = false;
    return ZR(ok);
}

void WriteMemory(int32_t address, uint8_t value) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!Serial()) return;
    if (!SendAddress(CurrentModel().writeMemory, address)) return;
    (void)S(value);
}

void WriteEeprom(int32_t address, uint8_t value) {
    const Exchange exchange;
    if (!exchange) return;
    CommError = 0;
    if (!S(map::LINK_WRITE_EEPROM) || !S(map::LINK_EEPROM_KEY) || !S(LowByte(address)) || !S(HighByte(address)))
        return;
    if (!S(value)) return;
    (void)S(value);
}

uint8_t ReadVariable(int16_t servo) {
    if (servo < 0 || servo >= qvv2::controller::kServoSlots) return 0;
    const Exchange exchange;
    if (!exchange) return 0;
    CommError = 0;
    if (!S(map::LINK_READ_SERVO) || !S(static_cast<uint8_t>(servo))) return 0;
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
    const map::ModelFacts& model = CurrentModel();
    const uint8_t first = ReadMemory(model.motorFlagMemory + index);
    if (CommError != 0) return false;
    bool on = (first & mask) != 0;
    if (model.motorFlagMemory2 != map::kNone) {
        const uint8_t second = ReadMemory(model.motorFlagMemory2 + index);
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
    if (map::TypeOf(modMain::ControllerType).motorFlagBits) {
        if (motor < 0) {
            CommError = kErrPort;
            return;
        }
            const int32_t address = CurrentModel().motorFlagMemory + motor / 8;
        const uint8_t mask = static_cast<uint8_t>(1u << (motor % 8));
        uint8_t flags = ReadMemory(address);
        if (CommError != 0) return;
        flags = on ? static_cast<uint8_t>(flags | mask) : static_cast<uint8_t>(flags & (255 - mask));
        WriteMemory(address, flags);
    } else {
        MotorCommand(on ? map::LINK_SERVO_ON : map::LINK_SERVO_OFF, motor);
    }
}

uint8_t ReadMotorPos(int16_t motor) {
    return ReadMemory(CurrentModel().positionMemory + motor);
}

void WritePositionPair(int16_t motor, uint8_t value) {
    const Exchange exchange;
    if (!exchange) return;
    // The target first, then the reported position, whatever the model.
    WriteMemory(map::kServoTargetMemory + motor, value);
    if (CommError != 0) return;
    WriteMemory(map::kServoPositionMemory + motor, value);
}

}  // namespace vxIO
