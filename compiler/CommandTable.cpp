// Command table and keyword services of the compiler control:
// the 139 keywords with their English and Korean forms, keyword look-up,
// command names for the host, one-line syntax help and the enabled flags
// that restrict the usable commands to a controller's command set.
#include "QUARVELv2.h"

#include <algorithm>

#include "Text.h"

namespace qvv2 {

namespace {

struct CommandNames {
    const char16_t* english;
    const char16_t* korean;
};

// Row number = command number.  English words in upper case.
const CommandNames kCommandNames[QUARVELv2::kCommandCount] = {
    /*   0 */ {u"DIM", u"선언"},
    /*   1 */ {u"AS", u"는"},
    /*   2 */ {u"BYTE", u"바이트"},
    /*   3 */ {u"INTEGER", u"정수"},
    /*   4 */ {u"CONST", u"상수"},
    /*   5 */ {u"IF", u"만약"},
    /*   6 */ {u"THEN", u"이면"},
    /*   7 */ {u"ELSE", u"아니면"},
    /*   8 */ {u"ELSEIF", u"그렇지않고만약"},
    /*   9 */ {u"ENDIF", u"만약끝"},
    /*  10 */ {u"FOR", u"반복"},
    /*  11 */ {u"TO", u"부터"},
    /*  12 */ {u"NEXT", u"다음"},
    /*  13 */ {u"GOTO", u"가기"},
    /*  14 */ {u"ON", u"처리"},
    /*  15 */ {u"GOSUB", u"호출"},
    /*  16 */ {u"RETURN", u"복귀"},
    /*  17 */ {u"IN", u"입력"},
    /*  18 */ {u"OUT", u"출력"},
    /*  19 */ {u"PULSE", u"펄스"},
    /*  20 */ {u"TOGGLE", u"반전"},
    /*  21 */ {u"AND", u"그리고"},
    /*  22 */ {u"OR", u"또는"},
    /*  23 */ {u"MOD", u"나머지"},
    /*  24 */ {u"XOR", u"배타합"},
    /*  25 */ {u"BREAK", u"중단"},
    /*  26 */ {u"RND", u"난수"},
    /*  27 */ {u"BYTEIN", u"바이트입력"},
    /*  28 */ {u"BYTEOUT", u"바이트출력"},
    /*  29 */ {u"PEEK", u"램읽기"},
    /*  30 */ {u"POKE", u"램쓰기"},
    /*  31 */ {u"ROMPEEK", u"롬읽기"},
    /*  32 */ {u"ROMPOKE", u"롬쓰기"},
    /*  33 */ {u"SERVO", u"서보"},
    /*  34 */ {u"PWM", u"펄스폭"},
    /*  35 */ {u"END", u"끝"},
    /*  36 */ {u"DELAY", u"지연"},
    /*  37 */ {u"ZERO", u"영점"},
    /*  38 */ {u"MOTOR", u"모터설정"},
    /*  39 */ {u"MOVE", u"동작"},
    /*  40 */ {u"SPEED", u"속도"},
    /*  41 */ {u"VEXAOUT", u"벡사출력"},
    /*  42 */ {u"LCDINIT", u"화면초기"},
    /*  43 */ {u"PRINT", u"화면출력"},
    /*  44 */ {u"CLS", u"화면지움"},
    /*  45 */ {u"LOCATE", u"화면위치"},
    /*  46 */ {u"CSON", u"커서보임"},
    /*  47 */ {u"CSOFF", u"커서감춤"},
    /*  48 */ {u"CONT", u"글자밝기"},
    /*  49 */ {u"MOTOROFF", u"모터해제"},
    /*  50 */ {u"BEEP", u"삑"},
    /*  51 */ {u"PLAY", u"연주"},
    /*  52 */ {u"SOUND", u"소리"},
    /*  53 */ {u"INKEY", u"키입력"},
    /*  54 */ {u"STATE", u"출력상태"},
    /*  55 */ {u"CHOICE", u"선택"},
    /*  56 */ {u"INT", u"끼어들기"},
    /*  57 */ {u"TX", u"송신"},
    /*  58 */ {u"RX", u"수신"},
    /*  59 */ {u"TIMER", u"시간"},
    /*  60 */ {u"HEX", u"십육진"},
    /*  61 */ {u"DEC", u"십진"},
    /*  62 */ {u"FORMAT", u"형식"},
    /*  63 */ {u"TIMEROFF", u"시간해제"},
    /*  64 */ {u"SOUT", u"순환출력"},
    /*  65 */ {u"SIN", u"순환입력"},
    /*  66 */ {u"FIN", u"주파수입력"},
    /*  67 */ {u"VEXAIN", u"벡사입력"},
    /*  68 */ {u"ACCEL", u"가속"},
    /*  69 */ {u"WAIT", u"대기"},
    /*  70 */ {u"STOP", u"정지"},
    /*  71 */ {u"RUN", u"실행"},
    /*  72 */ {u"DIR", u"방향"},
    /*  73 */ {u"PTP", u"점대점"},
    /*  74 */ {u"MOVEPOS", u"동작위치"},
    /*  75 */ {u"POS", u"모터위치"},
    /*  76 */ {u"FASTSERVO", u"빠른서보"},
    /*  77 */ {u"REMARK", u"설명"},
    /*  78 */ {u"FUNC", u"기능"},
    /*  79 */ {u"INIT", u"초기"},
    /*  80 */ {u"AD", u"변환"},
    /*  81 */ {u"KEYIN", u"키보드"},
    /*  82 */ {u"ERX", u"데이타수신"},
    /*  83 */ {u"ETX", u"데이타송신"},
    /*  84 */ {u"EFFECT", u"음향"},
    /*  85 */ {u"MUSIC", u"음악"},
    /*  86 */ {u"START", u"시작"},
    /*  87 */ {u"AUTO", u"자동"},
    /*  88 */ {u"RESTART", u"재시작"},
    /*  89 */ {u"TEMPO", u"박자"},
    /*  90 */ {u"FPWM", u"주파수펄스"},
    /*  91 */ {u"BIN", u"이진"},
    /*  92 */ {u"G6A", u"그룹6A"},
    /*  93 */ {u"G6B", u"그룹6B"},
    /*  94 */ {u"G6C", u"그룹6C"},
    /*  95 */ {u"G6D", u"그룹6D"},
    /*  96 */ {u"G8A", u"그룹8A"},
    /*  97 */ {u"G8B", u"그룹8B"},
    /*  98 */ {u"G8C", u"그룹8C"},
    /*  99 */ {u"G8D", u"그룹8D"},
    /* 100 */ {u"REMOCON", u"리모콘"},
    /* 101 */ {u"NOT", u"부정"},
    /* 102 */ {u"AIMOTORIN", u"AI모터입력"},
    /* 103 */ {u"SONAR", u"초음파"},
    /* 104 */ {u"AIMOTOR", u"AI모터설정"},
    /* 105 */ {u"AIMOTOROFF", u"AI모터해제"},
    /* 106 */ {u"G12", u"그룹12"},
    /* 107 */ {u"G16", u"그룹16"},
    /* 108 */ {u"HIGHSPEED", u"고속동작"},
    /* 109 */ {u"SETON", u"사용설정"},
    /* 110 */ {u"SETOFF", u"사용해제"},
    /* 111 */ {u"ALLON", u"모두설정"},
    /* 112 */ {u"ALLOFF", u"모두해제"},
    /* 113 */ {u"OPEN", u"열기"},
    /* 114 */ {u"CLOSE", u"닫기"},
    /* 115 */ {u"RCIN", u"조종기입력"},
    /* 116 */ {u"MOVE24", u"동작24"},
    /* 117 */ {u"MOTORIN", u"모터입력"},
    /* 118 */ {u"GETMOTORSET", u"모터입력설정"},
    /* 119 */ {u"G24", u"그룹24"},
    /* 120 */ {u"GYROSET", u"자이로설정"},
    /* 121 */ {u"GYRODIR", u"자이로방향"},
    /* 122 */ {u"GYROSENSE", u"자이로감도"},
    /* 123 */ {u"G32", u"그룹32"},
    /* 124 */ {u"G6E", u"그룹6E"},
    /* 125 */ {u"FILL", u"채움"},
    /* 126 */ {u"ACTION", u"행동"},
    /* 127 */ {u"OFFSET", u"옵셋"},
    /* 128 */ {u"ACCELSET", u"가속도설정"},
    /* 129 */ {u"ACCELDIR", u"가속도방향"},
    /* 130 */ {u"ACCELSENSE", u"가속도감도"},
    /* 131 */ {u"TILTSET", u"기울기설정"},
    /* 132 */ {u"TILTDIR", u"기울기방향"},
    /* 133 */ {u"TILTSENSE", u"기울기감도"},
    /* 134 */ {u"TILT", u"기울기"},
    /* 135 */ {u"GPS", u"단거리"},
    /* 136 */ {u"GPM", u"중거리"},
    /* 137 */ {u"GPL", u"장거리"},
    /* 138 */ {u"MOTORMODE", u"모터모드"},
};

// Sets the flag of the first row whose English or Korean word equals item.
void SetFlagByName(const std::vector<std::array<std::u16string, 4>>& commands,
                   std::array<int16_t, QUARVELv2::kCommandCount>& enabled,
                   const std::u16string& item, int16_t value)
{
    const size_t rows = std::min(commands.size(), enabled.size());
    for (size_t row = 0; row < rows; ++row) {
        if (commands[row][0] == item || commands[row][1] == item) {
            enabled[row] = value;
            return;
        }
    }
}

// CommandUse / CommandUnuse: walks the comma-separated list (1.104).
void ApplyCommandList(const std::vector<std::array<std::u16string, 4>>& commands,
                      std::array<int16_t, QUARVELv2::kCommandCount>& enabled,
                      const std::u16string& cmdstr, int16_t value)
{
    std::u16string list = Trim(UCase(cmdstr));
    for (;;) {
        const size_t p = list.find(u',');
        if (p == std::u16string::npos) {
            if (list.empty())
                return;
            SetFlagByName(commands, enabled, Trim(list), value);
            return;
        }
        if (p == 0) {
            list = Trim(list.substr(1));
            continue;
        }
        SetFlagByName(commands, enabled, Trim(list.substr(0, p)), value);
        list = Trim(list.substr(p + 1));
    }
}

}  // namespace

void QUARVELv2::InitCommandTable()
{
    commands_.clear();
    commands_.reserve(kCommandCount);
    for (const CommandNames& names : kCommandNames) {
        // English, Korean, then the Japanese and Chinese columns, which hold
        // the English word.
        commands_.push_back({names.english, names.korean, names.english, names.english});
    }
    // Word -> lowest row holding it in any column; the lexer asks for every word.
    commandIndex_.clear();
    for (size_t row = 0; row < commands_.size(); ++row)
        for (const std::u16string& stored : commands_[row])
            commandIndex_.emplace(stored, static_cast<int16_t>(row));
}

int16_t QUARVELv2::IsCommand(const std::u16string& txt_str)
{
    const auto found = commandIndex_.find(UCase(txt_str));
    if (found == commandIndex_.end()) return -1;
    const std::array<std::u16string, 4>& columns = commands_[static_cast<size_t>(found->second)];
    EngCmd = columns[0];
    KorCmd = columns[1];
    JpnCmd = columns[2];
    ChnCmd = columns[3];
    return found->second;
}

void QUARVELv2::GetCommandString(int16_t& CmdNum)
{
    if (CmdNum < 0 || CmdNum > kCommandCount - 1 ||
        static_cast<size_t>(CmdNum) >= commands_.size())
        return;
    const std::array<std::u16string, 4>& columns = commands_[static_cast<size_t>(CmdNum)];
    EngCmd = columns[0];
    KorCmd = columns[1];
    JpnCmd = columns[2];
    ChnCmd = columns[3];
}

void QUARVELv2::HelpCmd(int16_t& CmdNo)
{
    const char16_t* eng = u"";
    const char16_t* kor = u"";
    // The lines are quoted exactly as the control has them, including the
    // misspelt "FORAMT(" and the unbalanced "ADIN(주파수범위])".
    switch (CmdNo) {
    case 0:
        eng = u"DIM [Var. Name] AS [Var. Type]";
        kor = u"선언 [변수명] 는 [변수형]";
        break;
    case 4:
        eng = u"CONST [Const Name] = [Num.]";
        kor = u"상수 [상수명] = [수치값]";
        break;
    case 5:
        eng = u"IF [Condition] THEN";
        kor = u"만약 [조건식] 이면";
        break;
    case 8:
        eng = u"ELSEIF [Condition] THEN";
        kor = u"그렇지않고만약 [조건식] 이면";
        break;
    case 10:
        eng = u"FOR [Var.] = [Start Num.] TO [Stop Num.]";
        kor = u"반복 [반복변수] = [시작] 부터 [끝]";
        break;
    case 12:
        eng = u"NEXT [Var.]";
        kor = u"다음 [반복변수]";
        break;
    case 13:
        eng = u"GOTO [Position Label]";
        kor = u"가기 [위치라벨]";
        break;
    case 14:
        eng = u"ON [Var.] GOTO [Position Label], ...";
        kor = u"처리 [변수] 가기 [위치라벨], ...";
        break;
    case 15:
        eng = u"GOSUB [Position Label]";
        kor = u"호출 [위치라벨]";
        break;
    case 17:
        eng = u"IN([Port])";
        kor = u"입력([포트])";
        break;
    case 18:
        eng = u"OUT [Port], [Value]";
        kor = u"출력 [포트], [출력값]";
        break;
    case 19:
        eng = u"PULSE [Port]";
        kor = u"펄스 [포트]";
        break;
    case 20:
        eng = u"TOGGLE [Port]";
        kor = u"반전 [포트]";
        break;
    case 27:
        eng = u"BYTEIN([BytePort])";
        kor = u"바이트입력([단위포트])";
        break;
    case 28:
        eng = u"BYTEOUT [BytePort], [Value]";
        kor = u"바이트출력 [단위포트], [출력값]";
        break;
    case 29:
        eng = u"PEEK([RAM Addr.])";
        kor = u"램읽기([램영역])";
        break;
    case 30:
        eng = u"POKE [RAM Addr.], [Data]";
        kor = u"램쓰기 [램영역], [데이터]";
        break;
    case 31:
        eng = u"ROMPEEK([ROM Addr.])";
        kor = u"롬읽기([롬영역])";
        break;
    case 32:
        eng = u"ROMPOKE [ROM Addr.], [Data]";
        kor = u"롬쓰기 [롬영역], [데이터]";
        break;
    case 33:
        eng = u"SERVO [Servo No], [Degree]";
        kor = u"서보 [서보번호], [각도]";
        break;
    case 34:
        eng = u"PWM [Port], [Pulse Width]";
        kor = u"펄스폭 [포트], [펄스간격]";
        break;
    case 36:
        eng = u"DELAY [Time]";
        kor = u"지연 [시간간격]";
        break;
    case 37:
        eng = u"ZERO <Group,> [Degree], ...";
        kor = u"영점 <그룹,> [각도], ...";
        break;
    case 38:
        eng = u"MOTOR [Motor No] or <Group>";
        kor = u"모터 [모터번호] 또는 <그룹>";
        break;
    case 39:
        eng = u"MOVE <Group,> [Degree], ...";
        kor = u"동작 <그룹,> [각도], ...";
        break;
    case 40:
        eng = u"SPEED [Value]";
        kor = u"속도 [속도값]";
        break;
    case 41:
        eng = u"VEXAOUT [Data], ...";
        kor = u"벡사출력 [데이터], ...";
        break;
    case 43:
        eng = u"PRINT [Strings]";
        kor = u"화면출력 [문자열]";
        break;
    case 45:
        eng = u"LOCATE [x], [y]";
        kor = u"화면위치 [x위치], [y위치]";
        break;
    case 48:
        eng = u"CONT [Value]";
        kor = u"글자밝기 [밝기값]";
        break;
    case 49:
        eng = u"MOTOROFF [Motor No] or <Group>";
        kor = u"모터해제 [모터번호] 또는 <그룹>";
        break;
    case 62:
        eng = u"FORAMT([Var.], [BIN/DEC/HEX], [Number])";
        kor = u"형식([변수], [이진/십진/십육진], [자릿수])";
        break;
    case 66:
        eng = u"ADIN([Freq. Range])";
        kor = u"ADIN(주파수범위])";
        break;
    case 72:
        eng = u"DIR <Group,> [Direction 1], ...";
        kor = u"방향 <그룹,> [방향 1], ...";
        break;
    case 74:
        eng = u"MOVEPOS [Position Label]";
        kor = u"동작위치 [라벨명]";
        break;
    case 75:
        eng = u"POS <Group,> [Degree 1], ...";
        kor = u"모터위치 <그룹,> [각도 1], ...";
        break;
    default:
        break;
    }
    EngHelpMsg = eng;
    KorHelpMsg = kor;
    JpnHelpMsg.clear();
    ChnHelpMsg.clear();
}

void QUARVELv2::Wan2Jo(const std::u16string& H_Str) {}

std::u16string QUARVELv2::Jo2Wan()
{
    return std::u16string();
}

void QUARVELv2::CommandUseAll()
{
    enabled_.fill(-1);
}

void QUARVELv2::CommandUnuseAll()
{
    enabled_.fill(0);
}

void QUARVELv2::CommandUse(const std::u16string& cmdstr)
{
    ApplyCommandList(commands_, enabled_, cmdstr, -1);
}

void QUARVELv2::CommandUnuse(const std::u16string& cmdstr)
{
    ApplyCommandList(commands_, enabled_, cmdstr, 0);
}

int16_t QUARVELv2::CommandEnabled(int16_t cmd) const
{
    if (cmd < 0 || cmd >= kCommandCount)
        return 0;
    return enabled_[static_cast<size_t>(cmd)];
}

}  // namespace qvv2
