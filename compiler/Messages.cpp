// Message table of the compiler control and the composition of the final
// error text.
#include "QUARVELv2.h"

#include <utility>

#include "Codes.h"
#include "Text.h"

namespace qvv2 {

namespace {

struct MessageText {
    const char16_t* english;
    const char16_t* korean;
};

constexpr int16_t kMessageCount = 161;

// Messages 1..161 at indexes 0..160, quoted exactly (the missing final stops
// of 114 and 122, the two blanks in the Korean text of 92, the blanks around
// " Line", "Error " and "에러 " are part of the texts).
const MessageText kMessages[kMessageCount] = {
    /*   1 */ {u"FOR", u"FOR(반복)"},
    /*   2 */ {u"IF", u"IF(만약)"},
    /*   3 */ {u"Controller Error : ", u"컨트롤러 에러 : "},
    /*   4 */ {u"DIM", u"DIM(선언)"},
    /*   5 */ {u"VEXAOUT", u"VEXAOUT(벡사출력)"},
    /*   6 */ {u"SOUND", u"SOUND(소리)"},
    /*   7 */ {u"MOVE", u"MOVE(동작)"},
    /*   8 */ {u"INIT", u"INIT(초기)"},
    /*   9 */ {u"DIR", u"DIR(방향)"},
    /*  10 */ {u"CONST", u"CONST(상수)"},
    /*  11 */ {u"OUT", u"OUT(출력)"},
    /*  12 */ {u"TX", u"TX(송신)"},
    /*  13 */ {u"eTX", u"eTX(데이타송신)"},
    /*  14 */ {u"RX", u"RX(수신)"},
    /*  15 */ {u"eRX", u"eRX(데이타수신)"},
    /*  16 */ {u"LOCATE", u"LOCATE(화면위치)"},
    /*  17 */ {u"PWM", u"PWM(펄스폭)"},
    /*  18 */ {u"fPWM", u"fPWM(주파수펄스)"},
    /*  19 */ {u"BYTEOUT", u"BYTEOUT(바이트출력)"},
    /*  20 */ {u"ROMPOKE", u"ROMPOKE(롬쓰기)"},
    /*  21 */ {u"POKE", u"POKE(램쓰기)"},
    /*  22 */ {u"PULSE", u"PULSE(펄스)"},
    /*  23 */ {u"PTP", u"PTP(점대점)"},
    /*  24 */ {u"MOTOR", u"MOTOR(모터설정)"},
    /*  25 */ {u"AIMOTOR", u"AIMOTOR(로봇모터설정)"},
    /*  26 */ {u"MOTOROFF", u"MOTOROFF(모터해제)"},
    /*  27 */ {u"AIMOTOROFF", u"AIMOTOROFF(로봇모터해제)"},
    /*  28 */ {u"SPEED", u"SPEED(속도)"},
    /*  29 */ {u"FUNC", u"FUNC(기능)"},
    /*  30 */ {u"ACCEL", u"ACCEL(가속)"},
    /*  31 */ {u"CONT", u"CONT(글자밝기)"},
    /*  32 */ {u"ZERO", u"ZERO(영점)"},
    /*  33 */ {u"FASTSERVO", u"FASTSERVO(빠른서보)"},
    /*  34 */ {u"SERVO", u"SERVO(서보)"},
    /*  35 */ {u"DELAY", u"DELAY(지연)"},
    /*  36 */ {u"TEMPO", u"TEMPO(박자)"},
    /*  37 */ {u"PRINT", u"PRINT(화면출력)"},
    /*  38 */ {u"PLAY", u"PLAY(연주)"},
    /*  39 */ {u"MUSIC", u"MUSIC(음악)"},
    /*  40 */ {u"REMARK", u"REMARK(설명)"},
    /*  41 */ {u"TOGGLE", u"TOGGLE(반전)"},
    /*  42 */ {u"RETURN", u"RETURN(복귀)"},
    /*  43 */ {u"BEEP", u"BEEP(삑)"},
    /*  44 */ {u"GOTO", u"GOTO(가기)"},
    /*  45 */ {u"GOSUB", u"GOSUB(호출)"},
    /*  46 */ {u"FOR", u"FOR(반복)"},
    /*  47 */ {u"NEXT", u"NEXT(다음)"},
    /*  48 */ {u"IF", u"IF(만약)"},
    /*  49 */ {u"ELSE", u"ELSE(아니면)"},
    /*  50 */ {u"ENDIF", u"ENDIF(만약끝)"},
    /*  51 */ {u"ELSEIF", u"ELSEIF(그렇지않고만약)"},
    /*  52 */ {u"BREAK", u"BREAK(중단)"},
    /*  53 */ {u"WAIT", u"WAIT(대기)"},
    /*  54 */ {u"RUN", u"RUN(실행)"},
    /*  55 */ {u"STOP", u"STOP(정지)"},
    /*  56 */ {u"TIMEROFF", u"TIMEROFF(시간해제)"},
    /*  57 */ {u"END", u"END(끝)"},
    /*  58 */ {u"CLS", u"CLS(화면지움)"},
    /*  59 */ {u"LCDINIT", u"LCDINIT(화면초기)"},
    /*  60 */ {u"CSON", u"CSON(커서보임)"},
    /*  61 */ {u"CSOFF", u"CSOFF(커서감춤)"},
    /*  62 */ {u"ON", u"ON(처리)"},
    /*  63 */ {u"MOVEPOS", u"MOVEPOS(동작위치)"},
    /*  64 */ {u"POS", u"POS(모터위치)"},
    /*  65 */ {u"HIGHSPEED", u"HIGHSPEED(고속동작)"},
    /*  66 */ {u"OPEN", u"OPEN(열기)"},
    /*  67 */ {u"CLOSE", u"CLOSE(닫기)"},
    /*  68 */ {u"Assign(=)", u"대입(=)"},
    /*  69 */ {u"GOSUB", u"GOSUB(호출)"},
    /*  70 */ {u"GOTO", u"GOTO(가기)"},
    /*  71 */ {u"ON..GOTO", u"ON..GOTO(처리..가기)"},
    /*  72 */ {u"RX", u"RX(수신)"},
    /*  73 */ {u"ON..TIMER", u"ON..TIMER(처리..시간)"},
    /*  74 */ {u"ON..INT", u"ON..INT(처리..끼어들기)"},
    /*  75 */ {u"MOVEPOS", u"MOVEPOS(동작위치)"},
    /*  76 */ {u"MOVEPOS G6A", u"MOVEPOS G6A(동작위치 그룹6A)"},
    /*  77 */ {u"MOVEPOS G6B", u"MOVEPOS G6B(동작위치 그룹6B)"},
    /*  78 */ {u"MOVEPOS G6C", u"MOVEPOS G6C(동작위치 그룹6C)"},
    /*  79 */ {u"MOVEPOS G6D", u"MOVEPOS G6D(동작위치 그룹6D)"},
    /*  80 */ {u"MOVEPOS G8A", u"MOVEPOS G8A(동작위치 그룹8A)"},
    /*  81 */ {u"MOVEPOS G8B", u"MOVEPOS G8B(동작위치 그룹8B)"},
    /*  82 */ {u"MOVEPOS G8C", u"MOVEPOS G8C(동작위치 그룹8C)"},
    /*  83 */ {u"MOVEPOS G8D", u"MOVEPOS G8D(동작위치 그룹8D)"},
    /*  84 */ {u"Memory Error", u"메모리 에러"},
    /*  85 */ {u" Line", u"번째 줄에서"},
    /*  86 */ {u"Error ", u"에러 "},
    /*  87 */ {u"Occur syntax analysis processing error.", u"구문처리 에러가 발생했습니다."},
    /*  88 */ {u"Wrong variable name.", u"변수명이 잘못되었습니다."},
    /*  89 */ {u"Wrong variable name or number.", u"변수명 또는 숫자가 잘못되었습니다."},
    /*  90 */ {u"Wrong symbol.", u"기호가 잘못되었습니다."},
    /*  91 */ {u"No end of strings.", u"문자열의 끝이 존재하지 않습니다."},
    /*  92 */ {u"Wrong label name or label position.", u"라벨명 또는 라벨의 위치가  잘못되었습니다."},
    /*  93 */ {u"Unknown contents.", u"내용을 알 수 없습니다."},
    /*  94 */ {u"Can't use reserved words at label name.", u"라벨명에 예약어를 사용할 수 없습니다."},
    /*  95 */ {u"Too long variable name.", u"변수명이 너무 깁니다."},
    /*  96 */ {u"Can't support negative number.", u"음수는 지원하지 않습니다."},
    /*  97 */ {u"Too big number.", u"큰 숫자가 사용되었습니다."},
    /*  98 */ {u"Too long number.", u"숫자가 너무 깁니다."},
    /*  99 */ {u"Exist same label name already.", u"같은 이름의 라벨이 존재합니다."},
    /* 100 */ {u"Wrong declaration of variable or constant.", u"변수(상수) 선언이 잘못되었습니다."},
    /* 101 */ {u"This variable name(or constant name) is declared already.", u"이미 선언된 변수명(상수명)입니다."},
    /* 102 */ {u"Can't assign value at constant.", u"상수에 값을 입력할 수 없습니다."},
    /* 103 */ {u"This variable name(or constant name) is not declared.", u"선언되어 있지 않은 변수명(상수명)이 사용되었습니다."},
    /* 104 */ {u"Use 'variable = ?'", u"'변수 = ?'의 형식으로 선언하여야 합니다."},
    /* 105 */ {u"Wrong right side.", u"의 우측항이 잘못되었습니다."},
    /* 106 */ {u"Can't use integer-type.", u"정수형은 사용할 수 없습니다."},
    /* 107 */ {u"Only variable, constant and number.", u"변수, 상수, 숫자만 사용가능합니다."},
    /* 108 */ {u"This symbol or command is used impertinently.", u"사용될 수 없는 기호나 명령어가 사용되었습니다."},
    /* 109 */ {u"Wrong command syntax.", u"명령어의 형식이 맞지 않습니다."},
    /* 110 */ {u"Occur error on label processing.", u"라벨처리에 에러가 발생했습니다."},
    /* 111 */ {u"No exist used label name.", u"라벨이 존재하지 않습니다."},
    /* 112 */ {u"Only variable.", u"변수만 사용이 가능합니다."},
    /* 113 */ {u"FOR is not exist.", u"FOR(반복)문이 존재하지 않습니다."},
    /* 114 */ {u"Check variable name in FOR and NEXT", u"FOR(반복)문과 변수명이 일치하지 않습니다."},
    /* 115 */ {u"NEXT is not exist.", u"NEXT(다음)문이 존재하지 않습니다."},
    /* 116 */ {u"THEN is not exist.", u"THEN(이면)문이 존재하지 않습니다."},
    /* 117 */ {u"Wrong condition.", u"조건식이 올바르지 않습니다."},
    /* 118 */ {u"No exist IF.", u"IF(만약)문이 존재하지 않습니다."},
    /* 119 */ {u"No exist ENDIF.", u"ENDIF(만약끝)문이 존재하지 않습니다."},
    /* 120 */ {u"Wrong bit.", u"비트가 이미 지정되었습니다."},
    /* 121 */ {u"Wrong bit.", u"비트 지정이 잘못되었습니다."},
    /* 122 */ {u"Must be a number from 0 to 15 in bit", u"비트는 0-15사이의 숫자로 지정하여야 합니다."},
    /* 123 */ {u"Too many labels. (max. 255)", u"사용할 라벨의 수가 255개를 넘을 수 없습니다."},
    /* 124 */ {u"Can't use bit in bit-type.", u"비트형 변수는 비트지정을 할 수 없습니다."},
    /* 125 */ {u"Can't use variable in bit.", u"비트 지정에 변수를 사용할 수 없습니다."},
    /* 126 */ {u"Wrong syntax.", u"형식이 올바르지 않습니다."},
    /* 127 */ {u"Over range.", u"사용할 수 있는 숫자의 범위를 벗어났습니다."},
    /* 128 */ {u"Only number or constant.", u"숫자 또는 상수만 사용할 수 있습니다."},
    /* 129 */ {u"Only strings.", u"문자열만 사용할 수 있습니다."},
    /* 130 */ {u"No music length.", u"음정에 대한 길이를 지정하지 않았습니다."},
    /* 131 */ {u"Wrong number.", u"진수 설정이 잘못되었습니다."},
    /* 132 */ {u"Wrong expression.", u"진수 표현이 잘못되었습니다."},
    /* 133 */ {u"Wrong strings in PLAY or MUSIC.", u"연주 문자열이 잘못되었습니다."},
    /* 134 */ {u"Only byte-type variable.", u"바이트형 변수만 사용이 가능합니다."},
    /* 135 */ {u"Over 255 numbers.", u"사용할 값의 수가 255개를 넘을 수 없습니다."},
    /* 136 */ {u"No exist POS.", u"POS(모터위치) 문이 존재하지 않습니다."},
    /* 137 */ {u"No exist POS6x or POS8x.", u"POS6x(모터위치6x) 또는 POS8x(모터위치8x) 문이 존재하지 않습니다."},
    /* 138 */ {u"No support command on this setting controller.", u"설정된 컨트롤러에서는 지원되지 않는 명령어입니다."},
    /* 139 */ {u"No support command.", u"지원되지 않는 명령어를 사용하였습니다."},
    /* 140 */ {u"Too big program size.", u"프로그램 크기가 너무 큽니다."},
    /* 141 */ {u"Occur error.", u"에러가 발생했습니다."},
    /* 142 */ {u"GETMOTORSET", u"GETMOTORSET(모터입력설정)"},
    /* 143 */ {u"GYRODIR", u"GYRODIR(자이로방향)"},
    /* 144 */ {u"GYROSET", u"GYROSET(자이로설정)"},
    /* 145 */ {u"GYROSENSE", u"GYROSENSE(자이로감도)"},
    /* 146 */ {u"MOVEPOS G6E", u"MOVEPOS G6E(동작위치 그룹6E)"},
    /* 147 */ {u"MOVEPOS G12", u"MOVEPOS G12(동작위치 그룹12)"},
    /* 148 */ {u"MOVEPOS G16", u"MOVEPOS G16(동작위치 그룹16)"},
    /* 149 */ {u"MOVEPOS G24", u"MOVEPOS G24(동작위치 그룹24)"},
    /* 150 */ {u"MOVEPOS G32", u"MOVEPOS G32(동작위치 그룹32)"},
    /* 151 */ {u"FILL", u"FILL(채움)"},
    /* 152 */ {u"ACTION", u"ACTION(행동)"},
    /* 153 */ {u"OFFSET", u"OFFSET(옵셋)"},
    /* 154 */ {u"ACCELDIR", u"ACCELDIR(가속도방향)"},
    /* 155 */ {u"ACCELSET", u"ACCELSET(가속도설정)"},
    /* 156 */ {u"ACCELSENSE", u"ACCELSENSE(가속도감도)"},
    /* 157 */ {u"TILTDIR", u"TILTDIR(기울기방향)"},
    /* 158 */ {u"TILTSET", u"TILTSET(기울기설정)"},
    /* 159 */ {u"TILTSENSE", u"TILTSENSE(기울기감도)"},
    /* 160 */ {u"Too complex IF statement.", u"IF(만약)문이 너무 복잡하게 사용되었습니다."},
    /* 161 */ {u"MOTORMODE", u"MOTORMODE(모터모드)"},
};

}  // namespace

std::u16string QUARVELv2::GetMessageText(int16_t number) const
{
    if (number < 1 || number > kMessageCount)
        return std::u16string();
    const MessageText& text = kMessages[number - 1];
    return cmdLang == 1 ? text.korean : text.english;
}

void QUARVELv2::BuildErrorMessage()
{
    int16_t description;
    if (Bas_Error >= ERR_SYNTAX_PROCESSING && Bas_Error <= ERR_NOT_ON_THIS_CONTROLLER)
        description = static_cast<int16_t>(MSG_ERROR_TEXT_FIRST - ERR_SYNTAX_PROCESSING + Bas_Error);
    else if (Bas_Error == ERR_NO_SUPPORT)
        description = MSG_NO_SUPPORT_TEXT;
    else if (Bas_Error == ERR_PROGRAM_TOO_BIG)
        description = MSG_PROGRAM_TOO_BIG_TEXT;
    else
        description = MSG_OTHER_ERROR_TEXT;

    std::u16string text = GetMessageText(MSG_LINE);
    text += u"\r\n";
    text += GetMessageText(MSG_ERROR);
    text += NumberText(Bas_Error);
    text += u" : ";
    text += u"[";
    text += Bas_Error_Msg;
    text += u"] ";
    text += GetMessageText(description);
    Bas_Error_Msg = std::move(text);
}

}  // namespace qvv2
