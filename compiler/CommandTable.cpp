// Command table and keyword services of the compiler control:
// the 139 keywords with their English and Korean forms, keyword look-up,
// command names for the host, one-line syntax help and the enabled flags
// that restrict the usable commands to a controller's command set.
#include "QUARVELv2.h"

#include <algorithm>

#include "Commands.h"
#include "Text.h"

namespace qvv2 {

namespace {

struct CommandNames {
    const char16_t* english;
    const char16_t* korean;
};

// Row number = command number.  English words in upper case.
const CommandNames kCommandNames[] = {
#define QV_WORD(id, number, english, korean) {english, korean},
#define QV_STATEMENT(id, number, english, korean, compiler, message) {english, korean},
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
};
static_assert(sizeof kCommandNames / sizeof kCommandNames[0] == QUARVELv2::kCommandCount,
              "one row per command number");

// The rows must stand in number order for the row to be the number.
constexpr int16_t kRowNumbers[] = {
#define QV_WORD(id, number, english, korean) number,
#define QV_STATEMENT(id, number, english, korean, compiler, message) number,
#include "Commands.def"
#undef QV_STATEMENT
#undef QV_WORD
};
constexpr bool RowsInNumberOrder() {
    for (int16_t row = 0; row < QUARVELv2::kCommandCount; ++row)
        if (kRowNumbers[row] != row) return false;
    return true;
}
static_assert(RowsInNumberOrder(), "Commands.def rows out of number order");

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

std::u16string EnglishWord(int16_t command) {
    return command >= 0 && command < QUARVELv2::kCommandCount ? kCommandNames[command].english : u"";
}

std::u16string KoreanWord(int16_t command) {
    return command >= 0 && command < QUARVELv2::kCommandCount ? kCommandNames[command].korean : u"";
}

bool IsWordOf(const std::u16string& word, int16_t command) {
    if (command < 0 || command >= QUARVELv2::kCommandCount) return false;
    return word == kCommandNames[command].english || word == kCommandNames[command].korean;
}

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
    case CMD_DIM:
        eng = u"DIM [Var. Name] AS [Var. Type]";
        kor = u"선언 [변수명] 는 [변수형]";
        break;
    case CMD_CONST:
        eng = u"CONST [Const Name] = [Num.]";
        kor = u"상수 [상수명] = [수치값]";
        break;
    case CMD_IF:
        eng = u"IF [Condition] THEN";
        kor = u"만약 [조건식] 이면";
        break;
    case CMD_ELSEIF:
        eng = u"ELSEIF [Condition] THEN";
        kor = u"그렇지않고만약 [조건식] 이면";
        break;
    case CMD_FOR:
        eng = u"FOR [Var.] = [Start Num.] TO [Stop Num.]";
        kor = u"반복 [반복변수] = [시작] 부터 [끝]";
        break;
    case CMD_NEXT:
        eng = u"NEXT [Var.]";
        kor = u"다음 [반복변수]";
        break;
    case CMD_GOTO:
        eng = u"GOTO [Position Label]";
        kor = u"가기 [위치라벨]";
        break;
    case CMD_ON:
        eng = u"ON [Var.] GOTO [Position Label], ...";
        kor = u"처리 [변수] 가기 [위치라벨], ...";
        break;
    case CMD_GOSUB:
        eng = u"GOSUB [Position Label]";
        kor = u"호출 [위치라벨]";
        break;
    case CMD_IN:
        eng = u"IN([Port])";
        kor = u"입력([포트])";
        break;
    case CMD_OUT:
        eng = u"OUT [Port], [Value]";
        kor = u"출력 [포트], [출력값]";
        break;
    case CMD_PULSE:
        eng = u"PULSE [Port]";
        kor = u"펄스 [포트]";
        break;
    case CMD_TOGGLE:
        eng = u"TOGGLE [Port]";
        kor = u"반전 [포트]";
        break;
    case CMD_BYTEIN:
        eng = u"BYTEIN([BytePort])";
        kor = u"바이트입력([단위포트])";
        break;
    case CMD_BYTEOUT:
        eng = u"BYTEOUT [BytePort], [Value]";
        kor = u"바이트출력 [단위포트], [출력값]";
        break;
    case CMD_PEEK:
        eng = u"PEEK([RAM Addr.])";
        kor = u"램읽기([램영역])";
        break;
    case CMD_POKE:
        eng = u"POKE [RAM Addr.], [Data]";
        kor = u"램쓰기 [램영역], [데이터]";
        break;
    case CMD_ROMPEEK:
        eng = u"ROMPEEK([ROM Addr.])";
        kor = u"롬읽기([롬영역])";
        break;
    case CMD_ROMPOKE:
        eng = u"ROMPOKE [ROM Addr.], [Data]";
        kor = u"롬쓰기 [롬영역], [데이터]";
        break;
    case CMD_SERVO:
        eng = u"SERVO [Servo No], [Degree]";
        kor = u"서보 [서보번호], [각도]";
        break;
    case CMD_PWM:
        eng = u"PWM [Port], [Pulse Width]";
        kor = u"펄스폭 [포트], [펄스간격]";
        break;
    case CMD_DELAY:
        eng = u"DELAY [Time]";
        kor = u"지연 [시간간격]";
        break;
    case CMD_ZERO:
        eng = u"ZERO <Group,> [Degree], ...";
        kor = u"영점 <그룹,> [각도], ...";
        break;
    case CMD_MOTOR:
        eng = u"MOTOR [Motor No] or <Group>";
        kor = u"모터 [모터번호] 또는 <그룹>";
        break;
    case CMD_MOVE:
        eng = u"MOVE <Group,> [Degree], ...";
        kor = u"동작 <그룹,> [각도], ...";
        break;
    case CMD_SPEED:
        eng = u"SPEED [Value]";
        kor = u"속도 [속도값]";
        break;
    case CMD_VEXAOUT:
        eng = u"VEXAOUT [Data], ...";
        kor = u"벡사출력 [데이터], ...";
        break;
    case CMD_PRINT:
        eng = u"PRINT [Strings]";
        kor = u"화면출력 [문자열]";
        break;
    case CMD_LOCATE:
        eng = u"LOCATE [x], [y]";
        kor = u"화면위치 [x위치], [y위치]";
        break;
    case CMD_CONT:
        eng = u"CONT [Value]";
        kor = u"글자밝기 [밝기값]";
        break;
    case CMD_MOTOROFF:
        eng = u"MOTOROFF [Motor No] or <Group>";
        kor = u"모터해제 [모터번호] 또는 <그룹>";
        break;
    case CMD_FORMAT:
        eng = u"FORAMT([Var.], [BIN/DEC/HEX], [Number])";
        kor = u"형식([변수], [이진/십진/십육진], [자릿수])";
        break;
    case CMD_FIN:
        eng = u"ADIN([Freq. Range])";
        kor = u"ADIN(주파수범위])";
        break;
    case CMD_DIR:
        eng = u"DIR <Group,> [Direction 1], ...";
        kor = u"방향 <그룹,> [방향 1], ...";
        break;
    case CMD_MOVEPOS:
        eng = u"MOVEPOS [Position Label]";
        kor = u"동작위치 [라벨명]";
        break;
    case CMD_POS:
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
