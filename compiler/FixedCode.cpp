// Statements without operands that compile to fixed bytes (program control,
// display control, a beep), and ACTION, which calls a routine built into the
// controller.
#include <initializer_list>

#include "QUARVELv2.h"

namespace qvv2 {

namespace {

constexpr uint8_t kOpJump = 196;  // 0xC4, as GOTO
constexpr uint8_t kOpCall = 197;  // 0xC5, as GOSUB
constexpr int16_t kCmdAction = 126;
// The controller's built-in action routine.
constexpr int32_t kActionRoutine = 10024;  // 0x2728

}  // namespace

// A statement that stands alone on its line compiles to the given bytes;
// anything after the keyword is error 23 and nothing is written.
static void CompileFixed(QUARVELv2& c, int32_t first, int32_t last, std::initializer_list<uint8_t> bytes,
                         int16_t& err) {
    err = 0;
    if (last != first) {
        err = 23;
        return;
    }
    for (uint8_t b : bytes) c.EmitByte(b);
}

void QUARVELv2::CompileBreak(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {203}, err);
}
void QUARVELv2::CompileWait(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {233}, err);
}
// STOP, then WAIT.
void QUARVELv2::CompileStop(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {234, 233}, err);
}
void QUARVELv2::CompileRun(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {235}, err);
}
void QUARVELv2::CompileTimerOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {202}, err);
}
void QUARVELv2::CompileCls(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {225}, err);
}
void QUARVELv2::CompileLcdInit(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {224}, err);
}
void QUARVELv2::CompileCsOn(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {228}, err);
}
void QUARVELv2::CompileCsOff(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {229}, err);
}
// The PLAY opcode with one note (pitch 20, duration 2) and the terminator.
void QUARVELv2::CompileBeep(int32_t& first, int32_t& last, int16_t& err) {
    CompileFixed(*this, first, last, {207, 20, 2, 0}, err);
}

// END: a jump to its own address, so the program stops there.
void QUARVELv2::CompileEnd(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    if (last != first) {
        err = 23;
        return;
    }
    const int32_t here = objPos_;
    uint8_t lo = 0, hi = 0;
    LowByte(here, lo);
    HighByte(here, hi);
    EmitByte(kOpJump);
    EmitByte(lo);
    EmitByte(hi);
}

// ACTION n (0..31, controller types 4, 8 and 9): stores n + 50 in the RAM byte
// at 64 and calls the built-in action routine.
void QUARVELv2::CompileAction(int32_t& first, int32_t& last, int16_t& err) {
    err = 0;
    const int32_t k = first;
    if (k < 1 || last != k + 1 || k + 1 > tokenCount_ || k + 1 >= static_cast<int32_t>(tokens_.size())) {
        err = 23;
        return;
    }
    if (Con_Type != 4 && Con_Type != 8 && Con_Type != 9) {
        err = 23;
        return;
    }
    EmitTableOperand(kCmdAction, tokens_[k + 1], 0, 31, err);
    if (err != 0) return;
    uint8_t lo = 0, hi = 0;
    LowByte(kActionRoutine, lo);
    HighByte(kActionRoutine, hi);
    EmitByte(kOpCall);
    EmitByte(lo);
    EmitByte(hi);
}

}  // namespace qvv2
