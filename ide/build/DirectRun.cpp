#include "build/DirectRun.h"

#include <QPointer>

#include <cstdlib>

#include "compiler/QUARVELv2.h"
#include "build/CompilePipeline.h"
#include "build/TokenizeLine.h"
#include "documents/Documents.h"
#include "documents/VbText.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "protocol/modMainDelay.h"
#include "link/vxIO_Windows.h"
#include "platform/CodeEditor.h"

namespace modMain {

using qvv2::DecodeLine;
using qvv2::LineAction;
using qvv2::ObjectImage;
using qvv2::ReadGroupBlock;

namespace map = qvv2::controller;

namespace {

// Set while a direct command runs (see DirectCommand).
bool g_directRunning = false;

// The speed that the motor with the longest way gets (and every motor when
// the controller does not report its positions).
constexpr int kFullSpeed = 48;

void OpenSerial() {
    if (vxIO::Serial()) vxIO::OpenComm();
}
bool LinkOk() { return vxIO::CommError == 0; }
// Controller type 5 closes the port on every path (CloseComm itself does
// nothing off the serial link), keeping a link error's code.
void CloseKeepingErrorAnyPort() {
    const int16_t code = vxIO::CommError;
    vxIO::CloseComm();
    if (code != 0) vxIO::CommError = code;
}

// A text that ends a command at once: empty after trimming, or a label line.
bool NothingToRun(const QString& text) {
    const QString trimmed = vb::Trim(text);
    return trimmed.isEmpty() || trimmed.endsWith(QLatin1Char(':'));
}

// ---- Running one decoded line -----------------------------------------------------

// Speed of each of the six motors of model 1 so that all arrive together:
// the way of each motor over the longest way, times the full speed, taken to
// the nearest whole number (halves to the even one).
uint8_t ScaledSpeed(int way, int longest) {
    const int numerator = way * kFullSpeed;
    int q = numerator / longest;
    const int r = numerator % longest;
    if (2 * r > longest || (2 * r == longest && (q & 1) != 0)) ++q;
    return static_cast<uint8_t>(q);
}

// Model 1: six motors with equal arrival.  The port is open.
void RunSixWithSpeeds(const LineAction& action) {
    const auto& b = action.positions;
    vxIO::StopProgram();
    if (!LinkOk()) return;
    const uint8_t status = vxIO::ReadMemory(map::kModel1StatusMemory);
    if (!LinkOk()) return;
    std::array<uint8_t, 6> speed{};
    if ((status & map::kModel1PositionsCurrent) != 0) {
        std::array<int, 6> way{};
        int longest = 0;
        for (int m = 0; m < 6; ++m) {
            int current = 0;
            if (b[static_cast<size_t>(m)] != 0) {
                current = vxIO::ReadMemory(map::kModel1PositionMemory + m);
                if (!LinkOk()) return;
            }
            way[static_cast<size_t>(m)] = std::abs(b[static_cast<size_t>(m)] - current);
            if (b[static_cast<size_t>(m)] != 0 && way[static_cast<size_t>(m)] > longest)
                longest = way[static_cast<size_t>(m)];
        }
        if (longest == 0) return;
        for (int m = 0; m < 6; ++m) speed[static_cast<size_t>(m)] = ScaledSpeed(way[static_cast<size_t>(m)], longest);
    } else {
        speed.fill(kFullSpeed);
    }
    for (int m = 0; m < 6; ++m) {
        vxIO::WriteMemory(map::kModel1SpeedMemory + m, speed[static_cast<size_t>(m)]);
        if (!LinkOk()) return;
    }
    for (int m = 0; m < 6; ++m) {
        if (b[static_cast<size_t>(m)] == 0) continue;
        vxIO::MoveMotor(static_cast<int16_t>(m), b[static_cast<size_t>(m)]);
        if (!LinkOk()) return;
    }
}

// Every other model: each named motor whose position is not 0, in motor
// order.  The port is open.
void RunBlockMoves(const LineAction& action) {
    vxIO::StopProgram();
    if (!LinkOk()) return;
    for (int m = 0; m < map::LinkModel(vxIO::Model()).servos; ++m) {
        const uint8_t position = action.positions[static_cast<size_t>(m)];
        if (!action.named[static_cast<size_t>(m)] || position == 0) continue;
        vxIO::MoveMotor(static_cast<int16_t>(m), position);
        if (!LinkOk()) return;
    }
}

}  // namespace

void CloseSerialKeepingError() {
    const int16_t code = vxIO::CommError;
    if (vxIO::Serial()) vxIO::CloseComm();
    if (code != 0) vxIO::CommError = code;
}

// ---- DirectCommand ---------------------------------------------------------------

DirectCommand::DirectCommand() {
    if (g_directRunning || !exchange_) return;
    granted_ = true;
    g_directRunning = true;
}

DirectCommand::~DirectCommand() {
    if (granted_) g_directRunning = false;
}

// ---- The compiled group block of a MOVE line -------------------------------------

bool CompileGroupBlock(QString text, LineAction& block) {
    block = LineAction();
    if (!CompileSnippet(text)) return false;
    const ObjectImage image = ObjectImage::From(Basic());
    int64_t p = 0;
    if (!image.LineStart(1, p)) return false;
    return ReadGroupBlock(image, p, block);
}

// ---- Groups ----------------------------------------------------------------------

bool IsWordOf(const QString& word, int16_t command) {
    return qvv2::IsWordOf(word.toUpper().toStdU16String(), command);
}

const vxIO::MotorGroup* FindGroup(const QString& word) {
    for (const vxIO::MotorGroup& g : vxIO::kMotorGroups)
        if (IsWordOf(word, g.word)) return &g;
    return nullptr;
}

bool IsMoveWord(const QString& word) { return IsWordOf(word, qvv2::CMD_MOVE); }

QString GroupLineHead(int16_t statement, int firstMotor) {
    const map::ServoGroup* group = map::FindServoGroup(firstMotor, 6);
    return QString::fromStdU16String(qvv2::EnglishWord(statement)) + QLatin1Char(' ') +
           QString::fromStdU16String(qvv2::EnglishWord(group ? group->word : -1));
}

// ---- Running the current line ----------------------------------------------------

void RunCurrentLine() {
    const DirectCommand command;
    if (!command) return;
    qvv2::QUARVELv2& basic = Basic();
    if (!CompiledOK) CompileActiveDocument();
    if (basic.Bas_Error != 0 || basic.TotalBytes < 17) return;
    const ObjectImage image = ObjectImage::From(basic);

    QPointer<platform::CodeEditor> rt = modApp::ActiveEditor();
    if (!rt) return;
    const int32_t line = rt->Selection(false).EndLineNo;
    QString text = rt->LineText(line);
    if (NothingToRun(text)) return;

    // A comment after the statement is cut; a line that starts with the
    // comment mark stays as it is.
    const qsizetype mark = text.indexOf(QLatin1Char('\''));
    if (mark > 0) text = text.left(mark);

    const QString word = vb::Trim(text);
    const bool open = IsWordOf(word, qvv2::CMD_OPEN);
    const bool close = IsWordOf(word, qvv2::CMD_CLOSE);
    if (open || close) {
        // The first output on and the second off for OPEN, the other way
        // round for CLOSE.
        vxIO::OpenComm();
        if (LinkOk()) vxIO::SendCommandE3(map::kSmallOpenCloseOutputs[0], open ? 1 : 0);
        if (LinkOk()) vxIO::SendCommandE3(map::kSmallOpenCloseOutputs[1], open ? 0 : 1);
        CloseKeepingErrorAnyPort();
        return;
    }

    int64_t p = 0;
    if (!image.LineStart(static_cast<int64_t>(line) + 1, p)) return;
    const LineAction action = DecodeLine(image, p);
    switch (action.kind) {
        case LineAction::Output:
            if (action.number > map::kSmallHighestOutput) return;
            break;
        case LineAction::Servo:
            if (action.number > map::kSmallHighestServo) return;
            break;
        case LineAction::Block:
            // Six-motor blocks only; a group block is not run on this type.
            if (!action.sixMotor) return;
            break;
        case LineAction::None: return;
    }

    vxIO::OpenComm();
    if (LinkOk()) vxIO::SendCommandEE();
    if (LinkOk()) {
        switch (action.kind) {
            case LineAction::Output: vxIO::SendCommandFE(action.number, action.value != 0 ? 1 : 0); break;
            case LineAction::Servo: vxIO::MoveMotor(action.number, action.value); break;
            case LineAction::Block:
                for (int m = 0; m <= map::kSmallHighestServo; ++m) {
                    const uint8_t position = action.positions[static_cast<size_t>(m)];
                    if (position == 0) continue;
                    vxIO::MoveMotor(static_cast<int16_t>(m), position);
                    if (!LinkOk()) break;
                }
                break;
            case LineAction::None: break;
        }
    }
    CloseKeepingErrorAnyPort();
}

void RunCurrentLineSingle() {
    const DirectCommand command;
    if (!command) return;
    QPointer<platform::CodeEditor> rt = modApp::ActiveEditor();
    if (!rt) return;
    QString text = rt->LineText(rt->Selection(false).EndLineNo);
    if (NothingToRun(text)) return;

    int64_t n = 1;
    if (!CompileSnippet(text)) {
        // The line does not compile alone (a label or a variable of the
        // program): its code comes from the whole document.
        CompileActiveDocument();
        if (!rt) return;
        n = static_cast<int64_t>(rt->Selection(false).EndLineNo) + 1;
        if (!CompiledOK) return;
    }
    const ObjectImage image = ObjectImage::From(Basic());
    int64_t p = 0;
    if (!image.LineStart(n, p)) return;
    const LineAction action = DecodeLine(image, p);
    const map::ModelFacts& model = map::LinkModel(vxIO::Model());
    switch (action.kind) {
        case LineAction::Output:
            if (action.number > model.highestOutput) return;
            break;
        case LineAction::Servo:
            if (action.number > model.highestServo) return;
            break;
        case LineAction::Block: break;
        case LineAction::None: return;
    }

    OpenSerial();
    if (LinkOk()) {
        switch (action.kind) {
            case LineAction::Output:
                vxIO::StopProgram();
                if (LinkOk()) vxIO::SendCommandFE(action.number, action.value != 0 ? 1 : 0);
                break;
            case LineAction::Servo:
                vxIO::StopProgram();
                if (LinkOk()) vxIO::MoveMotor(action.number, action.value);
                break;
            case LineAction::Block:
                if (model.equalisedBlocks)
                    RunSixWithSpeeds(action);
                else
                    RunBlockMoves(action);
                break;
            case LineAction::None: break;
        }
    }
    CloseSerialKeepingError();
}

// ---- Running MOVE group lines ----------------------------------------------------

namespace {

// The group of a line that is a MOVE line with a group word of the family
// (any family when `family` is 0); nullptr otherwise.
const vxIO::MotorGroup* GroupLine(const QString& text, int family) {
    if (NothingToRun(text)) return nullptr;
    QString copy = text;
    QString comment;
    TokenizeLine(copy, comment);
    if (TokenCount < 3 || Tokens.size() < 3) return nullptr;
    if (!IsMoveWord(Tokens[1])) return nullptr;
    const vxIO::MotorGroup* group = FindGroup(Tokens[2]);
    if (!group || (family != 0 && group->family != family)) return nullptr;
    return group;
}

}  // namespace

void RunCurrentGroup() {
    const DirectCommand command;
    if (!command) return;
    QPointer<platform::CodeEditor> rt = modApp::ActiveEditor();
    if (!rt) return;
    const int32_t caret = rt->Selection(false).EndLineNo;
    const vxIO::MotorGroup* group = GroupLine(rt->LineText(caret), 0);
    if (!group || !rt) return;
    const int family = group->family;

    std::array<bool, 5> used{};
    used[static_cast<size_t>(group->index)] = true;
    int32_t first = caret;
    int32_t last = caret;
    // A line joins when it is a group line of the family whose group is not
    // in the range yet; the first that is not ends the range that way.
    const auto joins = [&](int32_t i) {
        if (!rt) return false;
        const vxIO::MotorGroup* g = GroupLine(rt->LineText(i), family);
        if (!g || used[static_cast<size_t>(g->index)]) return false;
        used[static_cast<size_t>(g->index)] = true;
        return true;
    };
    for (int32_t i = caret + 1; rt && i < rt->LineCount(); ++i) {
        if (!joins(i)) break;
        last = i;
    }
    for (int32_t i = caret - 1; i >= 0; --i) {
        if (!joins(i)) break;
        first = i;
    }
    if (!rt) return;

    OpenSerial();
    if (!LinkOk()) return;
    Delay(100);
    vxIO::StopProgram();
    if (!LinkOk()) {
        CloseSerialKeepingError();
        return;
    }
    LineAction pose;  // one table for the whole command; each line sets its own motors
    for (int32_t i = first; i <= last; ++i) {
        if (!rt) break;  // the document was closed meanwhile
        LineAction line;
        if (!CompileGroupBlock(rt->LineText(i), line)) continue;
        bool failed = false;
        for (int m = 0; m < map::LinkModel(vxIO::Model()).servos && !failed; ++m) {
            if (!line.named[static_cast<size_t>(m)]) continue;
            pose.positions[static_cast<size_t>(m)] = line.positions[static_cast<size_t>(m)];
            if (pose.positions[static_cast<size_t>(m)] == 0) continue;
            vxIO::MoveMotor(static_cast<int16_t>(m), pose.positions[static_cast<size_t>(m)]);
            failed = !LinkOk();
        }
        if (failed) break;
    }
    CloseSerialKeepingError();
}

}  // namespace modMain
