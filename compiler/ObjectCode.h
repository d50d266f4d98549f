// The bytes of the object code: the instruction bytes and the operand
// prefixes.  The compiler writes them and the decoder of a compiled line
// (ObjectDecode.h) reads them back, both through these names, so a number
// stands here once.  Public: the program includes it; standard C++ only.
#pragma once

#include <cstdint>

namespace qvv2 {

// Bytes of the object code.  The controller reads an instruction byte, then
// operands; an operand starts with one of the operand prefixes.  Where one
// byte value means different things in different places, each meaning has
// its own name.
enum Opcode : uint8_t {
    OP_END_MARK = 0x00,  // ends a statement, an operand list or a condition

    // Print formats after a PRINT FORMAT operand, by operand width.
    OP_FMT_HEX_BYTE = 0x02,
    OP_FMT_DEC_BYTE = 0x03,  // also every one-byte constant (0 and 1)
    OP_FMT_HEX_WORD = 0x04,
    OP_FMT_DEC_WORD = 0x05,
    OP_FMT_BIN_BYTE = 0x08,
    OP_FMT_BIN_WORD = 0x0F,

    // Operand prefixes.
    OP_CONST_SMALL = 0x10,  // + value, for the constants 0 and 1
    OP_CONST_BYTE = 0x12,   // value
    OP_CONST_WORD = 0x13,   // low, high
    OP_VAR_BYTE = 0x15,     // RAM address
    OP_VAR_INTEGER = 0x16,  // RAM address
    OP_BIT = 0x1B,          // RAM address, bit mask

    // PRINT: an item list, or one number in a base.
    OP_PRINT_LIST = 0x18,
    OP_PRINT_HEX = 0x19,
    OP_PRINT_DEC = 0x1A,
    OP_PRINT_BIN = 0x1B,

    // Arithmetic and logic between operands.
    OP_ADD = 0x21,
    OP_SUB = 0x22,
    OP_MUL = 0x23,
    OP_DIV = 0x24,
    OP_MOD = 0x26,
    OP_AND = 0x27,
    OP_OR = 0x28,
    OP_XOR = 0x2A,
    OP_SHL = 0x2C,
    OP_SHR = 0x2D,

    // Comparisons of a condition.
    OP_LESS = 0x30,
    OP_GREATER = 0x31,
    OP_LESS_EQUAL = 0x32,
    OP_GREATER_EQUAL = 0x33,
    OP_NOT_EQUAL = 0x34,
    OP_EQUAL = 0x35,

    // Input functions on the right side of an assignment.
    OP_TILT = 0x90,
    OP_GPS = 0x91,
    OP_GPM = 0x92,
    OP_GPL = 0x93,
    OP_NOT = 0xEF,
    OP_IN = 0xF0,
    OP_INKEY = 0xF1,  // also KEYIN
    OP_BYTEIN = 0xF2,
    OP_AD = 0xF3,  // also FIN and RCIN
    OP_VEXAIN = 0xF4,
    OP_STATE = 0xF6,
    OP_CHOICE = 0xF7,
    OP_RND = 0xF8,
    OP_PEEK = 0xF9,
    OP_ROMPEEK = 0xFA,
    OP_REMOCON = 0xFB,
    OP_AIMOTORIN = 0xFC,
    OP_SONAR = 0xFD,
    OP_MOTORIN = 0xFE,

    // Servo groups and sensors.
    OP_MOTORMODE = 0x94,
    OP_SENSOR1_SET = 0xA0,  // GYROSET, ACCELSET axis 1
    OP_SENSOR1_DIR = 0xA1,
    OP_SENSOR1_SENSE = 0xA2,
    OP_SENSOR2_SET = 0xA3,
    OP_SENSOR2_DIR = 0xA4,
    OP_SENSOR2_SENSE = 0xA5,
    OP_SENSOR3_SET = 0xA6,
    OP_SENSOR3_DIR = 0xA7,
    OP_SENSOR3_SENSE = 0xA8,
    OP_TILT1_SET = 0xA9,
    OP_TILT1_DIR = 0xAA,
    OP_TILT1_SENSE = 0xAB,
    OP_TILT2_SET = 0xAC,
    OP_TILT2_DIR = 0xAD,
    OP_TILT2_SENSE = 0xAE,
    OP_MOVE_GROUP = 0xB0,
    OP_POS_TABLE = 0xB1,
    OP_MOVEPOS = 0xB2,  // controller type 5 and the group form
    OP_ZERO_GROUP = 0xB3,
    OP_DIR_GROUP = 0xB4,
    OP_INIT_GROUP = 0xB5,
    OP_SETTING = 0xB6,  // FUNC, HIGHSPEED, PTP ALLON/ALLOFF, AIMOTOR SETON/SETOFF/INIT
    OP_AIMOTOR = 0xB7,
    OP_AIMOTOROFF = 0xB8,
    OP_GETMOTORSET = 0xB9,

    // Music.
    OP_MUSIC = 0xBA,
    OP_MUSIC_START = 0xBB,
    OP_MUSIC_STOP = 0xBC,
    OP_MUSIC_AUTO = 0xBD,
    OP_MUSIC_RESTART = 0xBE,
    OP_TEMPO = 0xBF,

    // Control flow.
    OP_JUMP_IF_FALSE = 0xC0,
    OP_FOR_INIT = 0xC1,
    OP_NEXT = 0xC2,
    OP_FOR_HEAD = 0xC3,
    OP_JUMP = 0xC4,
    OP_CALL = 0xC5,
    OP_RETURN = 0xC6,
    OP_ON_GOTO = 0xC7,
    OP_ON_INT = 0xC8,
    OP_ON_TIMER = 0xC9,
    OP_TIMEROFF = 0xCA,
    OP_BREAK = 0xCB,

    // Statements.
    OP_POKE = 0xCC,  // a RAM write
    OP_ROMPOKE = 0xCD,
    OP_SOUND = 0xCE,
    OP_PLAY = 0xCF,
    OP_ASSIGN = 0xD0,
    OP_OUT = 0xD1,
    OP_PULSE = 0xD2,
    OP_TOGGLE = 0xD3,
    OP_DELAY = 0xD4,
    OP_RECEIVE = 0xD5,
    OP_SEND = 0xD6,
    OP_VEXAOUT = 0xD7,
    OP_ZERO = 0xD9,
    OP_MOTOR = 0xDA,
    OP_MOTOROFF = 0xDB,
    OP_MOVE = 0xDC,
    OP_SPEED = 0xDD,
    OP_PWM = 0xDE,
    OP_SERVO = 0xDF,
    OP_LCDINIT = 0xE0,
    OP_CLS = 0xE1,
    OP_LOCATE = 0xE2,
    OP_PRINT = 0xE3,
    OP_CSON = 0xE4,
    OP_CSOFF = 0xE5,
    OP_CONT = 0xE6,
    OP_BYTEOUT = 0xE7,
    OP_ACCEL = 0xE8,
    OP_WAIT = 0xE9,
    OP_STOP = 0xEA,
    OP_RUN = 0xEB,
    OP_DIR = 0xEC,
    OP_PTP = 0xED,
    OP_FPWM = 0xEE,
    OP_MOVEPOS_TYPE2 = 0xEE,
    OP_POS_TYPE2 = 0xEF,
};

}  // namespace qvv2
