// The numbers the compiler core shares between its parts: error numbers,
// operator indexes, label fix-up kinds, variable types and message numbers,
// and (from the public ObjectCode.h) the bytes of the object code.  Internal
// to the compiler library.
#pragma once

#include <cstdint>

#include "ObjectCode.h"

namespace qvv2 {

// Error numbers a compile reports in Bas_Error.  1..52 are described by the
// messages 87..138, 999 and 1000 by 139 and 140, any other number by 141;
// the comment gives the English description.
enum ErrorNo : int16_t {
    ERR_NONE = 0,
    ERR_SYNTAX_PROCESSING = 1,         // Occur syntax analysis processing error.
    ERR_BAD_VARIABLE_NAME = 2,         // Wrong variable name.
    ERR_BAD_NAME_OR_NUMBER = 3,        // Wrong variable name or number.
    ERR_BAD_SYMBOL = 4,                // Wrong symbol.
    ERR_UNTERMINATED_STRING = 5,       // No end of strings.
    ERR_BAD_LABEL = 6,                 // Wrong label name or label position.
    ERR_UNKNOWN_CONTENT = 7,           // Unknown contents.
    ERR_RESERVED_LABEL = 8,            // Can't use reserved words at label name.
    ERR_NAME_TOO_LONG = 9,             // Too long variable name.
    ERR_NEGATIVE_NUMBER = 10,          // Can't support negative number.
    ERR_NUMBER_TOO_BIG = 11,           // Too big number.
    ERR_NUMBER_TOO_LONG = 12,          // Too long number.
    ERR_DUPLICATE_LABEL = 13,          // Exist same label name already.
    ERR_BAD_DECLARATION = 14,          // Wrong declaration of variable or constant.
    ERR_ALREADY_DECLARED = 15,         // This variable name(or constant name) is declared already.
    ERR_ASSIGN_TO_CONSTANT = 16,       // Can't assign value at constant.
    ERR_NOT_DECLARED = 17,             // This variable name(or constant name) is not declared.
    ERR_NOT_AN_ASSIGNMENT = 18,        // Use 'variable = ?'
    ERR_BAD_RIGHT_SIDE = 19,           // Wrong right side.
    ERR_NO_INTEGER = 20,               // Can't use integer-type.
    ERR_NOT_AN_OPERAND = 21,           // Only variable, constant and number.
    ERR_MISPLACED_WORD = 22,           // This symbol or command is used impertinently.
    ERR_SYNTAX = 23,                   // Wrong command syntax.
    ERR_LABEL_PROCESSING = 24,         // Occur error on label processing.
    ERR_NO_LABEL = 25,                 // No exist used label name.
    ERR_ONLY_VARIABLE = 26,            // Only variable.
    ERR_NO_FOR = 27,                   // FOR is not exist.
    ERR_FOR_NEXT_MISMATCH = 28,        // Check variable name in FOR and NEXT
    ERR_NO_NEXT = 29,                  // NEXT is not exist.
    ERR_NO_THEN = 30,                  // THEN is not exist.
    ERR_BAD_CONDITION = 31,            // Wrong condition.
    ERR_NO_IF = 32,                    // No exist IF.
    ERR_NO_ENDIF = 33,                 // No exist ENDIF.
    ERR_BIT_TWICE = 34,                // Wrong bit.
    ERR_BAD_BIT = 35,                  // Wrong bit.
    ERR_BIT_RANGE = 36,                // Must be a number from 0 to 15 in bit
    ERR_TOO_MANY_LABELS = 37,          // Too many labels. (max. 255)
    ERR_BIT_OF_BIT_TYPE = 38,          // Can't use bit in bit-type.
    ERR_VARIABLE_AS_BIT = 39,          // Can't use variable in bit.
    ERR_BAD_SYNTAX = 40,               // Wrong syntax.
    ERR_OVER_RANGE = 41,               // Over range.
    ERR_ONLY_NUMBER_OR_CONSTANT = 42,  // Only number or constant.
    ERR_ONLY_STRING = 43,              // Only strings.
    ERR_NO_MUSIC_LENGTH = 44,          // No music length.
    ERR_BAD_NUMBER_BASE = 45,          // Wrong number.
    ERR_BAD_NUMBER_DIGITS = 46,        // Wrong expression.
    ERR_BAD_MUSIC_STRING = 47,         // Wrong strings in PLAY or MUSIC.
    ERR_ONLY_BYTE_VARIABLE = 48,       // Only byte-type variable.
    ERR_TOO_MANY_VALUES = 49,          // Over 255 numbers.
    ERR_NO_POS = 50,                   // No exist POS.
    ERR_WRONG_POS_TARGET = 51,         // No exist POS6x or POS8x.
    ERR_NOT_ON_THIS_CONTROLLER = 52,   // No support command on this setting controller.
    ERR_TOO_COMPLEX_IF = 160,          // an eleventh IF level; described as "Occur error."
    ERR_NO_SUPPORT = 999,              // No support command.
    ERR_PROGRAM_TOO_BIG = 1000,        // Too big program size.
};

// Operator indexes: the code of an operator token.
enum OperatorNo : int16_t {
    OPR_PLUS = 0,
    OPR_MINUS = 1,
    OPR_TIMES = 2,
    OPR_DIVIDE = 3,
    OPR_PERCENT = 4,
    OPR_OPEN = 5,
    OPR_CLOSE = 6,
    OPR_EQUAL = 7,
    OPR_GREATER = 8,
    OPR_LESS = 9,
    OPR_GREATER_EQUAL = 10,
    OPR_LESS_EQUAL = 11,
    OPR_NOT_EQUAL = 12,
    OPR_SHIFT_LEFT = 13,
    OPR_SHIFT_RIGHT = 14,
    OPR_DOT = 15,
    OPR_COUNT = 16,
};

// Label fix-up kinds: which statement left the reference, and for MOVEPOS
// which position block its label must land on.
enum FixupKind : uint8_t {
    FIX_GOTO = 0,
    FIX_GOSUB = 1,
    FIX_ON_GOTO = 2,
    FIX_RX = 3,
    FIX_ON_TIMER = 4,
    FIX_ON_INT = 5,
    FIX_MOVEPOS_TYPE2 = 6,
    FIX_MOVEPOS_G6A = 7,  // also MOVEPOS on controller type 5
    FIX_MOVEPOS_G6B = 8,
    FIX_MOVEPOS_G6C = 9,
    FIX_MOVEPOS_G6D = 10,
    FIX_MOVEPOS_G6E = 11,
    FIX_MOVEPOS_G8A = 12,
    FIX_MOVEPOS_G8B = 13,
    FIX_MOVEPOS_G8C = 14,
    FIX_MOVEPOS_G8D = 15,
    FIX_MOVEPOS_G12 = 16,
    FIX_MOVEPOS_G16 = 17,
    FIX_MOVEPOS_G24 = 18,
    FIX_MOVEPOS_G32 = 19,
    FIX_KIND_COUNT = 20,
};

// Types of a declared name (VarRecord::type); a constant's type is
// VT_CONST + the size class of its value.  No statement declares a bit-type
// variable; the emitters still know the type (PRINT writes it like a BYTE).
enum VarType : uint8_t {
    VT_BIT = 1,
    VT_BYTE = 2,
    VT_INTEGER = 3,
    VT_CONST = 4,
};

// Message numbers (GetMessageText); statement names and the parts of an
// error text.  The error descriptions are reached by error number.
enum MessageNo : int16_t {
    MSG_BLOCK_FOR = 1,         // FOR
    MSG_BLOCK_IF = 2,          // IF
    MSG_CONTROLLER_ERROR = 3,  // Controller Error :
    MSG_DIM = 4,               // DIM
    MSG_VEXAOUT = 5,           // VEXAOUT
    MSG_SOUND = 6,             // SOUND
    MSG_MOVE = 7,              // MOVE
    MSG_INIT = 8,              // INIT
    MSG_DIR = 9,               // DIR
    MSG_CONST = 10,            // CONST
    MSG_OUT = 11,              // OUT
    MSG_TX = 12,               // TX
    MSG_ETX = 13,              // eTX
    MSG_RX = 14,               // RX
    MSG_ERX = 15,              // eRX
    MSG_LOCATE = 16,           // LOCATE
    MSG_PWM = 17,              // PWM
    MSG_FPWM = 18,             // fPWM
    MSG_BYTEOUT = 19,          // BYTEOUT
    MSG_ROMPOKE = 20,          // ROMPOKE
    MSG_POKE = 21,             // POKE
    MSG_PULSE = 22,            // PULSE
    MSG_PTP = 23,              // PTP
    MSG_MOTOR = 24,            // MOTOR
    MSG_AIMOTOR = 25,          // AIMOTOR
    MSG_MOTOROFF = 26,         // MOTOROFF
    MSG_AIMOTOROFF = 27,       // AIMOTOROFF
    MSG_SPEED = 28,            // SPEED
    MSG_FUNC = 29,             // FUNC
    MSG_ACCEL = 30,            // ACCEL
    MSG_CONT = 31,             // CONT
    MSG_ZERO = 32,             // ZERO
    MSG_FASTSERVO = 33,        // FASTSERVO
    MSG_SERVO = 34,            // SERVO
    MSG_DELAY = 35,            // DELAY
    MSG_TEMPO = 36,            // TEMPO
    MSG_PRINT = 37,            // PRINT
    MSG_PLAY = 38,             // PLAY
    MSG_MUSIC = 39,            // MUSIC
    MSG_REMARK = 40,           // REMARK
    MSG_TOGGLE = 41,           // TOGGLE
    MSG_RETURN = 42,           // RETURN
    MSG_BEEP = 43,             // BEEP
    MSG_GOTO = 44,             // GOTO
    MSG_GOSUB = 45,            // GOSUB
    MSG_FOR = 46,              // FOR
    MSG_NEXT = 47,             // NEXT
    MSG_IF = 48,               // IF
    MSG_ELSE = 49,             // ELSE
    MSG_ENDIF = 50,            // ENDIF
    MSG_ELSEIF = 51,           // ELSEIF
    MSG_BREAK = 52,            // BREAK
    MSG_WAIT = 53,             // WAIT
    MSG_RUN = 54,              // RUN
    MSG_STOP = 55,             // STOP
    MSG_TIMEROFF = 56,         // TIMEROFF
    MSG_END = 57,              // END
    MSG_CLS = 58,              // CLS
    MSG_LCDINIT = 59,          // LCDINIT
    MSG_CSON = 60,             // CSON
    MSG_CSOFF = 61,            // CSOFF
    MSG_ON = 62,               // ON
    MSG_MOVEPOS = 63,          // MOVEPOS
    MSG_POS = 64,              // POS
    MSG_HIGHSPEED = 65,        // HIGHSPEED
    MSG_OPEN = 66,             // OPEN
    MSG_CLOSE = 67,            // CLOSE
    MSG_ASSIGN = 68,           // Assign(=)
    MSG_LABEL_GOSUB = 69,      // GOSUB
    MSG_LABEL_GOTO = 70,       // GOTO
    MSG_LABEL_ON_GOTO = 71,    // ON..GOTO
    MSG_LABEL_RX = 72,         // RX
    MSG_LABEL_ON_TIMER = 73,   // ON..TIMER
    MSG_LABEL_ON_INT = 74,     // ON..INT
    MSG_LABEL_MOVEPOS = 75,    // MOVEPOS
    MSG_TARGET_G6A = 76,       // MOVEPOS G6A
    MSG_TARGET_G6B = 77,       // MOVEPOS G6B
    MSG_TARGET_G6C = 78,       // MOVEPOS G6C
    MSG_TARGET_G6D = 79,       // MOVEPOS G6D
    MSG_TARGET_G8A = 80,       // MOVEPOS G8A
    MSG_TARGET_G8B = 81,       // MOVEPOS G8B
    MSG_TARGET_G8C = 82,       // MOVEPOS G8C
    MSG_TARGET_G8D = 83,       // MOVEPOS G8D
    MSG_MEMORY_ERROR = 84,     // Memory Error
    MSG_LINE = 85,
    MSG_ERROR = 86,
    MSG_ERROR_TEXT_FIRST = 87,       // Occur syntax analysis processing error.
    MSG_NO_SUPPORT_TEXT = 139,       // No support command.
    MSG_PROGRAM_TOO_BIG_TEXT = 140,  // Too big program size.
    MSG_OTHER_ERROR_TEXT = 141,      // Occur error.
    MSG_GETMOTORSET = 142,           // GETMOTORSET
    MSG_GYRODIR = 143,               // GYRODIR
    MSG_GYROSET = 144,               // GYROSET
    MSG_GYROSENSE = 145,             // GYROSENSE
    MSG_TARGET_G6E = 146,            // MOVEPOS G6E
    MSG_TARGET_G12 = 147,            // MOVEPOS G12
    MSG_TARGET_G16 = 148,            // MOVEPOS G16
    MSG_TARGET_G24 = 149,            // MOVEPOS G24
    MSG_TARGET_G32 = 150,            // MOVEPOS G32
    MSG_FILL = 151,                  // FILL
    MSG_ACTION = 152,                // ACTION
    MSG_OFFSET = 153,                // OFFSET
    MSG_ACCELDIR = 154,              // ACCELDIR
    MSG_ACCELSET = 155,              // ACCELSET
    MSG_ACCELSENSE = 156,            // ACCELSENSE
    MSG_TILTDIR = 157,               // TILTDIR
    MSG_TILTSET = 158,               // TILTSET
    MSG_TILTSENSE = 159,             // TILTSENSE
    MSG_TOO_COMPLEX_IF_TEXT = 160,   // Too complex IF statement.
    MSG_MOTORMODE = 161,             // MOTORMODE
};

}  // namespace qvv2
