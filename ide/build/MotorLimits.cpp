#include "build/MotorLimits.h"

#include <optional>

#include "documents/Documents.h"
#include "documents/VbNumbers.h"
#include "platform/CodeEditor.h"
#include "platform/MsgBox.h"

namespace modMain {

namespace {

// A whole, trimmed text taken as a number and rounded to the nearest whole
// number (halves to even); empty when it is not a number or does not fit.
std::optional<int16_t> Number(const QString& text) { return vb::CIntStrict(text.trimmed()); }

// One line: true when it is not a directive, is ignored, or was applied;
// false when it is a bad directive.
bool ScanLine(const QString& line, std::array<MotorLimit, qvv2::controller::kServoSlots>& limits) {
    const QString s = line.toUpper().trimmed();
    if (s.size() <= 10) return true;
    QString rest;
    if (s.startsWith(QStringLiteral("'$LIMIT ")))
        rest = s.mid(8);
    else if (s.startsWith(QStringLiteral("'$제한 ")))
        rest = s.mid(5);
    else
        return true;

    // Positions below are 1-based, as the directive's rules count them.
    const int p = rest.indexOf(QLatin1Char(',')) + 1;
    if (p < 2) return false;
    const std::optional<int16_t> motor = Number(rest.left(p - 1));
    if (!motor) return false;
    if (rest.size() <= p + 2 || *motor < 0 || *motor >= qvv2::controller::kServoSlots) return false;
    rest = rest.mid(p);

    const int p2 = rest.indexOf(QLatin1Char(',')) + 1;
    if (p2 < 2) return true;  // a motor and one value: not a range, ignored
    const std::optional<int16_t> min = Number(rest.left(p2 - 1));
    if (!min) return false;
    if (rest.size() <= p2 + 1 || *min < 10 || *min > 190) return false;
    const std::optional<int16_t> max = Number(rest.mid(p2));
    if (!max || *max < 10 || *max > 190 || *max <= *min) return false;

    limits[static_cast<size_t>(*motor)].Max = static_cast<uint8_t>(*max);
    limits[static_cast<size_t>(*motor)].Min = static_cast<uint8_t>(*min);
    return true;
}

}  // namespace

LimitScan ScanLimitDirectives(int lineCount, const std::function<QString(int)>& lineText) {
    LimitScan scan;
    for (int i = 0; i < lineCount; ++i) {
        if (!ScanLine(lineText(i), scan.limits)) {
            scan.errorLine = i;
            break;
        }
    }
    return scan;
}

void ParseLimitDirectives() {
    MotorLimits = std::array<MotorLimit, qvv2::controller::kServoSlots>{};
    platform::CodeEditor* rt = modApp::ActiveEditor();
    if (!rt) return;
    const LimitScan scan =
        ScanLimitDirectives(static_cast<int>(rt->LineCount()), [rt](int i) { return rt->LineText(i); });
    MotorLimits = scan.limits;
    if (scan.errorLine < 0) return;

    rt->PutCaret(scan.errorLine, 0);
    rt->SetHighlightedLine(scan.errorLine);
    rt->setFocus();
    platform::MsgBox(QStringLiteral("모터값 제한 구문('$LIMIT)에 오류가 있습니다.\r\n"
                                    "사용법 : '$LIMIT(또는 '$제한) 모터번호, 최소값, 최대값"),
                     platform::vbCritical, QStringLiteral("구문처리 에러"));
}

}  // namespace modMain
