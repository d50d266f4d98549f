// What the program knows of the robot controllers: the cells of their
// memory and EEPROM, the command bytes of the serial link, the servo groups
// and what each controller type and model has.  The compiler, the link and
// the motion windows all read them here, so a number stands here once and
// a new model or command is one row or one name.  Public: the program
// includes it; standard C++ only.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "Commands.h"

namespace qvv2::controller {

// ---- Working memory --------------------------------------------------------
//
// Addresses of the controller's working memory, which the link reads and
// writes with the model's memory commands and a program writes with POKE.
// A cell marked "+ servo" is the first of one byte per servo 0..31.

// The action number the built-in routine runs: GOTO AUTO clears it, ACTION n
// sets it to 50 + n.
inline constexpr int32_t kActionNumberMemory = 64;
// + servo: the servo's position as the controller reports it (the position
// table of model 2); the humanoid zero-point window puts its default pose
// here.
inline constexpr int32_t kServoPositionMemory = 768;
// + servo: the position the servo is to take (FASTSERVO writes it; a
// position read back is written here before its servo is switched on).
inline constexpr int32_t kServoTargetMemory = 800;
// + servo: the zero byte, the signed offset (zero value - 100) as a byte
// (OFFSET writes it; the zero-point windows' working copy).
inline constexpr int32_t kServoZeroMemory = 832;
// Control byte of the servo positions: kServoControlHold while positions
// read back are written to kServoTargetMemory, kServoControlRun after.
inline constexpr int32_t kServoControlMemory = 960;
inline constexpr uint8_t kServoControlHold = 15;
inline constexpr uint8_t kServoControlRun = 3;
// + k (0..3): direction byte of servos 8k..8k+7, bit j for servo 8k + j.
inline constexpr int32_t kServoDirectionMemory = 1255;
// The firmware's checksum word, high byte first, on a controller that
// identifies itself as kChecksumControllerId.
inline constexpr int32_t kChecksumHighMemory = 1266;
inline constexpr int32_t kChecksumLowMemory = 1267;
inline constexpr uint8_t kChecksumControllerId = 2;
// Code address of the routine built into the controller types that have one
// (TypeFacts::builtInRoutine), reached by GOTO AUTO and ACTION.
inline constexpr int32_t kBuiltInRoutine = 10024;

// Model 1, which addresses its memory with one byte: the cells of the direct
// run's speed equalisation and of FASTSERVO.
inline constexpr int32_t kModel1StatusMemory = 47;       // status byte
inline constexpr uint8_t kModel1PositionsCurrent = 64;   // status bit: the positions below are current
inline constexpr int32_t kModel1SpeedMemory = 88;        // + servo 0..5: speed of the next move
inline constexpr int32_t kModel1PositionMemory = 116;    // + servo 0..5: position

// ---- EEPROM --------------------------------------------------------------------

// 8 bytes: name bytes 8..15 of a long program name (the fast download
// writes them; the information read-out reads them back).
inline constexpr int32_t kProgramNameEeprom = 0;
// + k (0..3): stored direction byte, laid out as kServoDirectionMemory.
inline constexpr int32_t kServoDirectionEeprom = 4016;
// + servo: stored zero byte.
inline constexpr int32_t kServoZeroEeprom = 4064;

// ---- Command bytes of the serial link ----------------------------------------
//
// The host sends a command byte, then its operands; the controller echoes
// every byte, and answers a lone 0 with its next reply byte.  The memory
// commands differ by model (ModelFacts::readMemory, writeMemory) and each
// readable servo group has a command of its own (kServoGroups).
enum LinkByte : uint8_t {
    LINK_IDENTIFY = 0xF0,        // then six identification bytes
    LINK_READ_PROGRAM = 0xF2,    // low, high: one byte of the program area
    LINK_STEP = 0xF3,            // run one instruction of the program
    LINK_STEP_DONE = 0xAA,       // the reply once the step is done
    LINK_READ_MEMORY_1 = 0xF5,   // low: one byte of memory (one-byte addresses)
    LINK_WRITE_MEMORY_1 = 0xF6,  // low, value
    LINK_READ_MEMORY_2 = 0xF7,   // low, high: one byte of memory
    LINK_WRITE_MEMORY_2 = 0xF8,  // low, high, value
    LINK_STOP = 0xFA,            // stop the running program
    LINK_RUN = 0xFB,             // run the program
    LINK_RESET = 0xFC,           // reset the controller
    LINK_SET_OUTPUT = 0xFE,      // level (0 or 1), port
    LINK_DIRECT_LINE = 0xEE,     // announces a line run directly (controller type 5)
    LINK_OUTPUT_LEVEL = 0xE3,    // port, level: sets an output (controller type 5)
    LINK_MOVE_SERVO = 0xE6,      // servo, position
    LINK_SERVO_ON = 0xE7,        // servo
    LINK_SERVO_OFF = 0xE8,       // servo
    LINK_READ_SERVO = 0xD2,      // servo: its current position
    LINK_READ_EEPROM = 0xB3,     // low, high: one EEPROM byte
    LINK_WRITE_EEPROM = 0xB4,    // LINK_EEPROM_KEY, low, high, value, value
    LINK_EEPROM_KEY = 0x4B,
    LINK_ENTER_DOWNLOAD = 0xED,  // length low, high at the download speed, then the blocks
    // The fast download's blocks: the host asks, the controller answers.
    LINK_BLOCK_REQUEST = 0x3F,   // "?"
    LINK_BLOCK_SEND = 0x21,      // "!": send the next block
    LINK_BLOCKS_DONE = 0x45,     // "E": no more blocks wanted
};

// ---- Servo groups --------------------------------------------------------------
//
// A group word (G6A .. G32) names a run of servos.  The groups of six (A to
// E) and of eight (A to D) are also what the controller reports in one
// reply, each with a read command of its own.
struct ServoGroup {
    int16_t word;         // the group word, by its command number
    uint8_t firstMotor;
    uint8_t motors;
    uint8_t readCommand;  // the link command that reads the group's positions; 0: none
};

inline constexpr ServoGroup kServoGroups[] = {
    {CMD_G6A, 0, 6, 0xD7},  {CMD_G6B, 6, 6, 0xD8}, {CMD_G6C, 12, 6, 0xD9}, {CMD_G6D, 18, 6, 0xDA},
    {CMD_G6E, 24, 6, 0xDB}, {CMD_G8A, 0, 8, 0xD3}, {CMD_G8B, 8, 8, 0xD4},  {CMD_G8C, 16, 8, 0xD5},
    {CMD_G8D, 24, 8, 0xD6}, {CMD_G12, 0, 12, 0},   {CMD_G16, 0, 16, 0},    {CMD_G24, 0, 24, 0},
    {CMD_G32, 0, 32, 0},
};

// The group of a group word; nullptr for any other command.
constexpr const ServoGroup* FindServoGroup(int16_t word) {
    for (const ServoGroup& g : kServoGroups)
        if (g.word == word) return &g;
    return nullptr;
}

// The group of `motors` servos that starts at `firstMotor`; nullptr when
// there is none.
constexpr const ServoGroup* FindServoGroup(int firstMotor, int motors) {
    for (const ServoGroup& g : kServoGroups)
        if (g.firstMotor == firstMotor && g.motors == motors) return &g;
    return nullptr;
}

// ---- Controller types ------------------------------------------------------------
//
// What a controller type (modMain::ControllerType, the compiler's Con_Type)
// has.  A type outside the table has none of it.
struct TypeFacts {
    bool builtInRoutine;   // GOTO AUTO and ACTION reach the routine at kBuiltInRoutine
    bool humanoidWindows;  // the humanoid motion window's menu item and the humanoid zero-point window
    bool servoWindow;      // the 32-servo motion window
    bool firmwareCheck;    // the download window checks the firmware before a download
    bool fastDownload;     // the fast download
    bool debugWindow;      // the debug window
    bool motorFlagBits;    // servos are switched through memory bits (ModelFacts::motorFlagMemory), else by command
    bool smallLineRun;     // a line runs directly as on a small controller (see below)
};

// clang-format off
inline constexpr TypeFacts kTypes[] = {
    //   routine humanoid servos firmware fast   debug  bits   small
    /* 0 */ {false, false, false, false, false, true,  false, false},
    /* 1 */ {false, false, false, false, false, false, true,  false},
    /* 2 */ {false, false, false, false, false, false, true,  false},
    /* 3 */ {false, false, true,  true,  false, true,  false, false},
    /* 4 */ {true,  true,  true,  true,  false, true,  false, false},
    /* 5 */ {false, false, false, false, false, false, false, true },
    /* 6 */ {false, false, false, false, false, false, false, false},
    /* 7 */ {false, false, true,  true,  true,  true,  false, false},
    /* 8 */ {true,  true,  true,  true,  true,  true,  false, false},
    /* 9 */ {true,  true,  true,  true,  true,  false, false, false},
};
// clang-format on
inline constexpr TypeFacts kNoType{};

constexpr const TypeFacts& TypeOf(int type) {
    return type >= 0 && type < static_cast<int>(sizeof kTypes / sizeof kTypes[0]) ? kTypes[type] : kNoType;
}

// The direct run of a line on a small controller (TypeFacts::smallLineRun):
// the whole program is compiled, OPEN and CLOSE set two outputs, and
// outputs 0..kSmallHighestOutput and servos 0..kSmallHighestServo are driven
// (a block's other servos are left alone).
inline constexpr int16_t kSmallHighestOutput = 6;
inline constexpr int16_t kSmallHighestServo = 3;
// OPEN sets the first output and clears the second; CLOSE the other way round.
// The compiled OPEN and CLOSE of the models with two-byte addresses use the
// same two (ModelFacts::openCloseOutputs).
inline constexpr uint8_t kSmallOpenCloseOutputs[2] = {10, 11};

// ---- Servos ----------------------------------------------------------------------
//
// The controller's memory and EEPROM hold a cell per servo 0..kServoSlots - 1
// (the "+ servo" cells above, four direction bytes of eight servos): the
// most servos any model has, and the bound of every servo table.
inline constexpr int kServoSlots = 32;
inline constexpr int kDirectionBytes = kServoSlots / 8;
// The servos 0..kHumanoidServos - 1 of the four groups G6A to G6D: the
// humanoid robot's, which the windows made for it (the humanoid zero-point
// and group servo windows) show, and the ZERO and DIR lines those windows
// insert.
inline constexpr int kHumanoidServos = 24;

// ---- Controller models ---------------------------------------------------------
//
// What a controller model (modMain::ControllerID, the compiler's Con_ID)
// has, for the models 1 to kModelCount.  A row names each of its fields
// (ModelFacts{}.ReadMemory(...).Servos(...) ...), states every one of them,
// and is checked against the rules below when the program is built.
inline constexpr int32_t kNoLimit = std::numeric_limits<int32_t>::max();
inline constexpr int32_t kNone = -1;

// How the debug window learns that its single step is done.
enum class StepReply : uint8_t {
    None,          // the step is sent and nothing is read back
    ParallelPort,  // wait while the parallel port's status says busy, then read its byte
    Serial,        // ask with a lone 0 on the serial link and read the reply byte
};

// One bit per field of ModelFacts: a row's setters collect them, and a row
// that leaves one out does not build.
enum ModelField : uint32_t {
    kFieldReadMemory = 1u << 0,
    kFieldWriteMemory = 1u << 1,
    kFieldTwoByteAddress = 1u << 2,
    kFieldPositionMemory = 1u << 3,
    kFieldMotorFlagMemory = 1u << 4,
    kFieldMotorFlagMemory2 = 1u << 5,
    kFieldServoTargets = 1u << 6,
    kFieldHighestOutput = 1u << 7,
    kFieldHighestServo = 1u << 8,
    kFieldEqualisedBlocks = 1u << 9,
    kFieldGroupCommands = 1u << 10,
    kFieldProgramCounterLow = 1u << 11,
    kFieldProgramCounterHigh = 1u << 12,
    kFieldVariableMemory = 1u << 13,
    kFieldVariableOffset = 1u << 14,
    kFieldStepReply = 1u << 15,
    kFieldServos = 1u << 16,
    kFieldRawMotorLimit = 1u << 17,
    kFieldSmartMotorOperand = 1u << 18,
    kFieldRawSpeed = 1u << 19,
    kFieldFastServoSingle = 1u << 20,
    kFieldOpenCloseOutputs = 1u << 21,
    kFieldOpenCloseDelay = 1u << 22,
    kFieldDeviceWord = 1u << 23,
    kFieldDeviceType = 1u << 24,
};
inline constexpr uint32_t kEveryModelField = (1u << 25) - 1;

struct ModelFacts {
    uint8_t readMemory = 0;         // command that reads a byte of memory
    uint8_t writeMemory = 0;        // command that writes one
    bool twoByteAddress = false;    // memory addresses go low, high; else low alone (also PEEK's and POKE's address operand)
    int32_t positionMemory = kNone;    // + servo: servo positions (vxIO::ReadMotorPos)
    int32_t motorFlagMemory = kNone;   // + servo / 8: motor-enable bits, bit servo % 8
    int32_t motorFlagMemory2 = kNone;  // a second block of them that also counts; kNone
    bool servoTargets = false;         // keeps kServoTargetMemory (FASTSERVO's group form)
    // The direct run of a line: the highest output and servo it drives, and
    // whether a block runs as six servos whose speeds make them arrive
    // together (else each servo of the group moves).
    int32_t highestOutput = kNone;
    int32_t highestServo = kNone;
    bool equalisedBlocks = false;
    bool groupCommands = false;  // the direct run of MOVE group lines and the capture into a MOVE line
    // The debug window: the program counter's two bytes and the variables'
    // memory (variable k of the compiler at its position + variableOffset),
    // kNone for a model without them; and how its single step learns that
    // the step is done (a model that reads a reply has the cells above).
    int32_t programCounterLow = kNone;
    int32_t programCounterHigh = kNone;
    int32_t variableMemory = kNone;
    int32_t variableOffset = 0;
    StepReply stepReply = StepReply::None;
    // Servos 0..servos - 1 (at most kServoSlots): the ones the 32-servo
    // zero-point window shows, the direct run moves and the servo keys of the
    // main window reach (those at most kHumanoidServos); in the code the
    // compiler writes, the motors a statement names (HighestMotor below).
    int32_t servos = 0;
    // The code the compiler writes for the model.  MOTOR and MOTOROFF take a
    // single motor 0..rawMotorLimit as a raw constant (kNone: as a byte
    // operand); AIMOTOR and AIMOTOROFF take a single motor at all
    // (smartMotorOperand); SPEED takes its value as a raw constant
    // (rawSpeed); FASTSERVO is one motor and a value written to
    // kModel1PositionMemory (fastServoSingle, else the group form where
    // servoTargets holds).
    int32_t rawMotorLimit = kNone;
    bool smartMotorOperand = false;
    bool rawSpeed = false;
    bool fastServoSingle = false;
    // OPEN and CLOSE: the two outputs they set and the delay before and
    // after (a byte operand below 256, else a word).
    uint8_t openCloseOutputs[2] = {0, 0};
    int32_t openCloseDelay = 0;
    // The "'$DEVICE" argument that sets this model up with the controller
    // type deviceType (ModelSetup); nullptr for a model no directive sets.
    const char* deviceWord = nullptr;
    int16_t deviceType = 0;

    // The fields this value was given through the setters below.
    uint32_t statedFields = 0;

    // The setters of a row: each returns a copy with one field set.
    // clang-format off
    constexpr ModelFacts ReadMemory(uint8_t v) const { return With(&ModelFacts::readMemory, v, kFieldReadMemory); }
    constexpr ModelFacts WriteMemory(uint8_t v) const { return With(&ModelFacts::writeMemory, v, kFieldWriteMemory); }
    constexpr ModelFacts TwoByteAddress(bool v) const { return With(&ModelFacts::twoByteAddress, v, kFieldTwoByteAddress); }
    constexpr ModelFacts PositionMemory(int32_t v) const { return With(&ModelFacts::positionMemory, v, kFieldPositionMemory); }
    constexpr ModelFacts MotorFlagMemory(int32_t v) const { return With(&ModelFacts::motorFlagMemory, v, kFieldMotorFlagMemory); }
    constexpr ModelFacts MotorFlagMemory2(int32_t v) const { return With(&ModelFacts::motorFlagMemory2, v, kFieldMotorFlagMemory2); }
    constexpr ModelFacts ServoTargets(bool v) const { return With(&ModelFacts::servoTargets, v, kFieldServoTargets); }
    constexpr ModelFacts HighestOutput(int32_t v) const { return With(&ModelFacts::highestOutput, v, kFieldHighestOutput); }
    constexpr ModelFacts HighestServo(int32_t v) const { return With(&ModelFacts::highestServo, v, kFieldHighestServo); }
    constexpr ModelFacts EqualisedBlocks(bool v) const { return With(&ModelFacts::equalisedBlocks, v, kFieldEqualisedBlocks); }
    constexpr ModelFacts GroupCommands(bool v) const { return With(&ModelFacts::groupCommands, v, kFieldGroupCommands); }
    constexpr ModelFacts ProgramCounterLow(int32_t v) const { return With(&ModelFacts::programCounterLow, v, kFieldProgramCounterLow); }
    constexpr ModelFacts ProgramCounterHigh(int32_t v) const { return With(&ModelFacts::programCounterHigh, v, kFieldProgramCounterHigh); }
    constexpr ModelFacts VariableMemory(int32_t v) const { return With(&ModelFacts::variableMemory, v, kFieldVariableMemory); }
    constexpr ModelFacts VariableOffset(int32_t v) const { return With(&ModelFacts::variableOffset, v, kFieldVariableOffset); }
    constexpr ModelFacts Step(StepReply v) const { return With(&ModelFacts::stepReply, v, kFieldStepReply); }
    constexpr ModelFacts Servos(int32_t v) const { return With(&ModelFacts::servos, v, kFieldServos); }
    constexpr ModelFacts RawMotorLimit(int32_t v) const { return With(&ModelFacts::rawMotorLimit, v, kFieldRawMotorLimit); }
    constexpr ModelFacts SmartMotorOperand(bool v) const { return With(&ModelFacts::smartMotorOperand, v, kFieldSmartMotorOperand); }
    constexpr ModelFacts RawSpeed(bool v) const { return With(&ModelFacts::rawSpeed, v, kFieldRawSpeed); }
    constexpr ModelFacts FastServoSingle(bool v) const { return With(&ModelFacts::fastServoSingle, v, kFieldFastServoSingle); }
    constexpr ModelFacts OpenCloseDelay(int32_t v) const { return With(&ModelFacts::openCloseDelay, v, kFieldOpenCloseDelay); }
    constexpr ModelFacts DeviceWord(const char* v) const { return With(&ModelFacts::deviceWord, v, kFieldDeviceWord); }
    constexpr ModelFacts DeviceType(int16_t v) const { return With(&ModelFacts::deviceType, v, kFieldDeviceType); }
    // clang-format on
    constexpr ModelFacts OpenCloseOutputs(uint8_t open, uint8_t close) const {
        ModelFacts m = *this;
        m.openCloseOutputs[0] = open;
        m.openCloseOutputs[1] = close;
        m.statedFields |= kFieldOpenCloseOutputs;
        return m;
    }

private:
    template <typename T>
    constexpr ModelFacts With(T ModelFacts::*field, T value, ModelField bit) const {
        ModelFacts m = *this;
        m.*field = value;
        m.statedFields |= bit;
        return m;
    }
};

// ---- The rules every model row keeps ----------------------------------------------
//
// Each is checked for every row when the program is built (CheckedModelRow
// below names the row that breaks one); the controller map test shows each
// rule refusing the rows it is there to refuse.

// The row states every field.
constexpr bool StatesEveryField(const ModelFacts& m) { return m.statedFields == kEveryModelField; }
// 1..kServoSlots servos.
constexpr bool ServosFitTheSlots(const ModelFacts& m) { return m.servos >= 1 && m.servos <= kServoSlots; }
// The direct run drives no servo the model does not have.
constexpr bool DirectRunWithinServos(const ModelFacts& m) {
    return m.highestServo == kNoLimit || m.highestServo < m.servos;
}
// A motor taken as a raw constant is one of the model's servos.
constexpr bool RawMotorsWithinServos(const ModelFacts& m) {
    return m.rawMotorLimit == kNone || (m.rawMotorLimit >= 0 && m.rawMotorLimit < m.servos);
}
// The memory commands are those of the address width.
constexpr bool MemoryCommandsFitTheAddresses(const ModelFacts& m) {
    return m.twoByteAddress
               ? m.readMemory == LINK_READ_MEMORY_2 && m.writeMemory == LINK_WRITE_MEMORY_2
               : m.readMemory == LINK_READ_MEMORY_1 && m.writeMemory == LINK_WRITE_MEMORY_1;
}
// The debug window's cells are there together or not at all, and a step
// that reads a reply has them to read afterwards.
constexpr bool DebugCellsTogether(const ModelFacts& m) {
    const bool counter = m.programCounterLow != kNone;
    return (m.programCounterHigh != kNone) == counter && (m.variableMemory != kNone) == counter &&
           (m.stepReply != StepReply::None) == counter;
}
// OPEN and CLOSE set two different outputs, after a delay that fits a word.
constexpr bool OpenCloseFits(const ModelFacts& m) {
    return m.openCloseOutputs[0] != m.openCloseOutputs[1] && m.openCloseDelay > 0 && m.openCloseDelay <= 65535;
}

constexpr bool ModelRowHoldsTogether(const ModelFacts& m) {
    return StatesEveryField(m) && ServosFitTheSlots(m) && DirectRunWithinServos(m) && RawMotorsWithinServos(m) &&
           MemoryCommandsFitTheAddresses(m) && DebugCellsTogether(m) && OpenCloseFits(m);
}

// clang-format off
inline constexpr ModelFacts kModels[] = {
    // Model 1: one-byte memory addresses, six servos in the direct run and
    // in FASTSERVO, the debug step's reply on the parallel port.
    ModelFacts{}
        .ReadMemory(LINK_READ_MEMORY_1)
        .WriteMemory(LINK_WRITE_MEMORY_1)
        .TwoByteAddress(false)
        .PositionMemory(110)
        .MotorFlagMemory(41)
        .MotorFlagMemory2(kNone)
        .ServoTargets(false)
        .HighestOutput(11)
        .HighestServo(5)
        .EqualisedBlocks(true)
        .GroupCommands(false)
        .ProgramCounterLow(38)
        .ProgramCounterHigh(39)
        .VariableMemory(48)
        .VariableOffset(-16)
        .Step(StepReply::ParallelPort)
        .Servos(kServoSlots)
        .RawMotorLimit(6)
        .SmartMotorOperand(false)
        .RawSpeed(true)
        .FastServoSingle(true)
        .OpenCloseOutputs(5, 6)
        .OpenCloseDelay(100)
        .DeviceWord(nullptr)
        .DeviceType(0),
    // Model 2: two-byte addresses, 32 servos with targets, the debug step's
    // reply on the serial link; the model every start sets up.
    ModelFacts{}
        .ReadMemory(LINK_READ_MEMORY_2)
        .WriteMemory(LINK_WRITE_MEMORY_2)
        .TwoByteAddress(true)
        .PositionMemory(kServoPositionMemory)
        .MotorFlagMemory(1259)
        .MotorFlagMemory2(1226)
        .ServoTargets(true)
        .HighestOutput(31)
        .HighestServo(31)
        .EqualisedBlocks(false)
        .GroupCommands(true)
        .ProgramCounterLow(3326)
        .ProgramCounterHigh(3327)
        .VariableMemory(320)
        .VariableOffset(256)
        .Step(StepReply::Serial)
        .Servos(kServoSlots)
        .RawMotorLimit(kNone)
        .SmartMotorOperand(true)
        .RawSpeed(false)
        .FastServoSingle(false)
        .OpenCloseOutputs(kSmallOpenCloseOutputs[0], kSmallOpenCloseOutputs[1])
        .OpenCloseDelay(1000)
        .DeviceWord("VX32")
        .DeviceType(8),
    // Model 3: two-byte addresses, 32 servos with targets, no debug cells:
    // its step is sent and nothing is read back.
    ModelFacts{}
        .ReadMemory(LINK_READ_MEMORY_2)
        .WriteMemory(LINK_WRITE_MEMORY_2)
        .TwoByteAddress(true)
        .PositionMemory(96)
        .MotorFlagMemory(310)
        .MotorFlagMemory2(kNone)
        .ServoTargets(true)
        .HighestOutput(kNoLimit)
        .HighestServo(kNoLimit)
        .EqualisedBlocks(false)
        .GroupCommands(false)
        .ProgramCounterLow(kNone)
        .ProgramCounterHigh(kNone)
        .VariableMemory(kNone)
        .VariableOffset(0)
        .Step(StepReply::None)
        .Servos(kServoSlots)
        .RawMotorLimit(kNone)
        .SmartMotorOperand(true)
        .RawSpeed(false)
        .FastServoSingle(false)
        .OpenCloseOutputs(kSmallOpenCloseOutputs[0], kSmallOpenCloseOutputs[1])
        .OpenCloseDelay(1000)
        .DeviceWord(nullptr)
        .DeviceType(0),
};
// clang-format on
inline constexpr int kModelCount = static_cast<int>(sizeof kModels / sizeof kModels[0]);
// A model number the table does not hold.
inline constexpr int kNoSuchModel = kModelCount + 1;

// Instantiated once per row: a rule the row breaks fails the build here,
// "required from CheckedModelRow<id>" naming the row.
template <int Id>
struct CheckedModelRow {
    static constexpr const ModelFacts& m = kModels[Id - 1];
    static_assert(StatesEveryField(m), "a model row leaves a field unstated");
    static_assert(ServosFitTheSlots(m), "a model row has 1..kServoSlots servos");
    static_assert(DirectRunWithinServos(m), "a model row's highestServo is below its servos (or kNoLimit)");
    static_assert(RawMotorsWithinServos(m), "a model row's rawMotorLimit is below its servos (or kNone)");
    static_assert(MemoryCommandsFitTheAddresses(m), "a model row's memory commands are those of its address width");
    static_assert(DebugCellsTogether(m),
                  "a model row has its program counter, variable memory and a read step reply together or none");
    static_assert(OpenCloseFits(m), "a model row's OPEN and CLOSE set two outputs after a delay of 1..65535");
    static constexpr bool checked = true;
};

template <int... Index>
constexpr bool CheckModelRows(std::integer_sequence<int, Index...>) {
    return (CheckedModelRow<Index + 1>::checked && ...);
}
static_assert(CheckModelRows(std::make_integer_sequence<int, kModelCount>{}));

// The model of number `id`; nullptr outside 1..kModelCount.
constexpr const ModelFacts* FindModel(int id) {
    return id >= 1 && id <= kModelCount ? &kModels[id - 1] : nullptr;
}

// The model the link works with for `id`: 0 and any number outside the
// table work like model 1.
constexpr const ModelFacts& LinkModel(int id) {
    const ModelFacts* model = FindModel(id);
    return model ? *model : kModels[0];
}

// The code the compiler writes for a model outside the table: that of the
// models with two-byte addresses, without FASTSERVO.
// clang-format off
inline constexpr ModelFacts kOtherCompiledModel = ModelFacts{}
    .ReadMemory(LINK_READ_MEMORY_2)
    .WriteMemory(LINK_WRITE_MEMORY_2)
    .TwoByteAddress(true)
    .PositionMemory(kNone)
    .MotorFlagMemory(kNone)
    .MotorFlagMemory2(kNone)
    .ServoTargets(false)
    .HighestOutput(kNone)
    .HighestServo(kNone)
    .EqualisedBlocks(false)
    .GroupCommands(false)
    .ProgramCounterLow(kNone)
    .ProgramCounterHigh(kNone)
    .VariableMemory(kNone)
    .VariableOffset(0)
    .Step(StepReply::None)
    .Servos(kServoSlots)
    .RawMotorLimit(kNone)
    .SmartMotorOperand(true)
    .RawSpeed(false)
    .FastServoSingle(false)
    .OpenCloseOutputs(kSmallOpenCloseOutputs[0], kSmallOpenCloseOutputs[1])
    .OpenCloseDelay(1000)
    .DeviceWord(nullptr)
    .DeviceType(0);
// clang-format on
static_assert(ModelRowHoldsTogether(kOtherCompiledModel), "the model outside the table keeps the rules of a row");

// The model the compiler writes code for when Con_ID is `id`.
constexpr const ModelFacts& CompiledModel(int id) {
    const ModelFacts* model = FindModel(id);
    return model ? *model : kOtherCompiledModel;
}

// The highest motor number the compiler takes as a constant for a model (a
// single motor of MOTOR, MOTOROFF, AIMOTOR, AIMOTOROFF, MOTORIN and
// AIMOTORIN): a model with every slot takes any number its operand holds,
// as the 32-servo controllers always have; one with fewer servos, its own.
// A group word or a value list reaches the model's servos alone.
constexpr int32_t HighestMotor(const ModelFacts& m) { return m.servos < kServoSlots ? m.servos - 1 : kNoLimit; }

// The model that the "'$DEVICE" argument `word` sets up; 0 for none.
inline int ModelOfDeviceWord(const std::string& word) {
    for (int id = 1; id <= kModelCount; ++id)
        if (kModels[id - 1].deviceWord && word == kModels[id - 1].deviceWord) return id;
    return 0;
}

// ---- The model the program sets up ---------------------------------------------

// Every start sets this type and model up on the serial port (the model
// menu's item); the "'$DEVICE" directive sets up the model of its word.
inline constexpr int16_t kSetUpModel = 2;
inline constexpr int16_t kSetUpType = kModels[kSetUpModel - 1].deviceType;

}  // namespace qvv2::controller
