#include "build/DirectRun.h"

#include <QPointer>

#include <cstdlib>

#include "QUARVELv2.h"
#include "build/CompilePipeline.h"
#include "build/TokenizeLine.h"
#include "documents/Documents.h"
#include "documents/VbText.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "link/modMainDelay.h"
#include "link/vxIO.h"
#include "platform/CodeEditor.h"

namespace modMain {

namespace {

// Set while a direct command runs (see DirectCommand).
bool g_directRunning = false;

// The opcodes this module runs.
enum : uint8_t {
    kOpOut = 209,
    kOpServo = 223,
    kOpMove = 220,
    kOpMoveGroup = 176,
    kOpMovePos = 238,
    kOpPos = 239,
};

// The speed that the motor with the longest way gets (and every motor when
// the controller does not report its positions).
constexpr int kFullSpeed = 48;

bool Serial() { return PortType == 1; }
void OpenSerial() {
    if (Serial()) vxIO::OpenComm();
}
bool LinkOk() { return vxIO::CommError == 0; }
// Controller type 5 closes the port on every path (CloseComm itself does
// nothing off the serial link), keeping a link error's code.
void CloseKeepingErrorAnyPort() {
    const int16_t code = vxIO::CommError;
    vxIO::CloseComm();
    if (code != 0) vxIO::CommError = code;
}

// Model index 1 to 3; 0 (and anything else) counts as model 1.
int Model() { return (ControllerID >= 1 && ControllerID <= 3) ? ControllerID : 1; }

// The active document's editor, or nullptr.
platform::CodeEditor* ActiveEditor() {
    return modApp::ActiveEditor();
}

// A text that ends a command at once: empty after trimming, or a label line.
bool NothingToRun(const QString& text) {
    const QString trimmed = vb::Trim(text);
    return trimmed.isEmpty() || trimmed.endsWith(QLatin1Char(':'));
}

// One operand as the compiler writes it: 16 and 17 are the constants 0 and
// 1; 18 a byte constant; 19 a 16-bit constant (allowed for the second
// operand only, its low byte taken).  Returns false for any other code (a
// variable or an expression) and for a read past the image.
bool ReadFirstOperand(const ObjectImage& image, int64_t& p, uint8_t& value) {
    uint8_t code = 0;
    if (!image.At(p + 1, code)) return false;
    switch (code) {
        case 16:
            value = 0;
            p += 2;
            return true;
        case 17:
            value = 1;
            p += 2;
            return true;
        case 18:
            if (!image.At(p + 2, value)) return false;
            p += 3;
            return true;
        default: return false;
    }
}

bool ReadSecondOperand(const ObjectImage& image, int64_t p, uint8_t& value) {
    uint8_t code = 0;
    if (!image.At(p, code)) return false;
    switch (code) {
        case 16: value = 0; return true;
        case 17: value = 1; return true;
        case 18:
        case 19: return image.At(p + 1, value);
        default: return false;
    }
}

// The six block bytes after the opcode at p: motors 0 to 5.
bool ReadSixBlock(const ObjectImage& image, int64_t p, LineAction& action) {
    for (int m = 0; m < 6; ++m) {
        if (!image.At(p + 1 + m, action.positions[static_cast<size_t>(m)])) return false;
        action.named[static_cast<size_t>(m)] = true;
    }
    action.sixMotor = true;
    return true;
}

bool ReadBlock(const ObjectImage& image, int64_t p, uint8_t opcode, LineAction& action) {
    switch (opcode) {
        case kOpMove:
        case kOpPos: return ReadSixBlock(image, p, action);
        case kOpMoveGroup: return ReadGroupBlock(image, p, action);
        default: return false;
    }
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
    const uint8_t status = vxIO::ReadMemory(47);
    if (!LinkOk()) return;
    std::array<uint8_t, 6> speed{};
    if ((status & 64) != 0) {
        std::array<int, 6> way{};
        int longest = 0;
        for (int m = 0; m < 6; ++m) {
            int current = 0;
            if (b[static_cast<size_t>(m)] != 0) {
                current = vxIO::ReadMemory(116 + m);
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
        vxIO::WriteMemory(88 + m, speed[static_cast<size_t>(m)]);
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
    for (int m = 0; m < 32; ++m) {
        const uint8_t position = action.positions[static_cast<size_t>(m)];
        if (!action.named[static_cast<size_t>(m)] || position == 0) continue;
        vxIO::MoveMotor(static_cast<int16_t>(m), position);
        if (!LinkOk()) return;
    }
}

}  // namespace

bool ReadGroupBlock(const ObjectImage& image, int64_t p, LineAction& action) {
    uint8_t first = 0;
    uint8_t count = 0;
    if (!image.At(p + 1, first) || !image.At(p + 2, count)) return false;
    for (int i = 0; i < count; ++i) {
        uint8_t position = 0;
        if (!image.At(p + 3 + i, position)) return false;
        const int motor = first + i;
        if (motor > 31) continue;
        action.positions[static_cast<size_t>(motor)] = position;
        action.named[static_cast<size_t>(motor)] = true;
    }
    return true;
}

void CloseSerialKeepingError() {
    const int16_t code = vxIO::CommError;
    if (PortType == 1) vxIO::CloseComm();
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

// ---- ObjectImage -----------------------------------------------------------------

ObjectImage ObjectImage::From(const qvv2::QUARVELv2& basic) {
    ObjectImage image;
    image.totalBytes = basic.TotalBytes > 0 ? basic.TotalBytes : 0;
    image.totalLines = basic.TotalLines > 0 ? basic.TotalLines : 0;
    image.code = basic.ObjCode;
    image.linePos = basic.LineObjPos;
    return image;
}

bool ObjectImage::At(int64_t i, uint8_t& b) const {
    if (i < 1 || i > totalBytes || i >= static_cast<int64_t>(code.size())) return false;
    b = code[static_cast<size_t>(i)];
    return true;
}

bool ObjectImage::LineStart(int64_t n, int64_t& p) const {
    if (n < 1 || n > totalLines || n >= static_cast<int64_t>(linePos.size())) return false;
    p = static_cast<int64_t>(linePos[static_cast<size_t>(n)]) + 1;
    uint8_t opcode = 0;
    return At(p, opcode);
}

LineAction DecodeLine(const ObjectImage& image, int64_t p) {
    LineAction action;
    uint8_t opcode = 0;
    if (!image.At(p, opcode)) return action;
    switch (opcode) {
        case kOpOut:
        case kOpServo: {
            int64_t q = p;
            if (!ReadFirstOperand(image, q, action.number)) return action;
            if (!ReadSecondOperand(image, q, action.value)) return action;
            action.kind = opcode == kOpOut ? LineAction::Output : LineAction::Servo;
            return action;
        }
        case kOpMove:
        case kOpPos:
        case kOpMoveGroup:
            if (ReadBlock(image, p, opcode, action)) action.kind = LineAction::Block;
            return action;
        case kOpMovePos: {
            // The target's code address follows, low byte first; the block is
            // the one stored after the opcode found there.
            uint8_t low = 0;
            uint8_t high = 0;
            if (!image.At(p + 1, low) || !image.At(p + 2, high)) return action;
            const int64_t target = low + 256 * high + 1;
            uint8_t targetOpcode = 0;
            if (!image.At(target, targetOpcode)) return action;
            if (ReadBlock(image, target, targetOpcode, action)) action.kind = LineAction::Block;
            return action;
        }
        default: return action;
    }
}

// ---- Groups ----------------------------------------------------------------------

const MotorGroup* FindGroup(const QString& word) {
    static const MotorGroup kGroups[] = {
        {6, 0, 0, 6, 215}, {6, 1, 6, 6, 216}, {6, 2, 12, 6, 217}, {6, 3, 18, 6, 218}, {6, 4, 24, 6, 219},
        {8, 0, 0, 8, 211}, {8, 1, 8, 8, 212}, {8, 2, 16, 8, 213}, {8, 3, 24, 8, 214},
    };
    const QString w = word.toUpper();
    QString letter;
    int family = 0;
    if (w.size() == 3 && w.startsWith(QLatin1Char('G'))) {
        family = w.at(1) == QLatin1Char('6') ? 6 : (w.at(1) == QLatin1Char('8') ? 8 : 0);
        letter = w.mid(2);
    } else if (w.size() == 4 && w.startsWith(QStringLiteral("그룹"))) {
        family = w.at(2) == QLatin1Char('6') ? 6 : (w.at(2) == QLatin1Char('8') ? 8 : 0);
        letter = w.mid(3);
    }
    if (family == 0 || letter.size() != 1) return nullptr;
    const int index = letter.at(0).unicode() - 'A';
    for (const MotorGroup& g : kGroups)
        if (g.family == family && g.index == index) return &g;
    return nullptr;
}

bool IsMoveWord(const QString& word) {
    const QString w = word.toUpper();
    return w == QStringLiteral("MOVE") || w == QStringLiteral("동작");
}

// ---- Running the current line ----------------------------------------------------

void RunCurrentLine() {
    const DirectCommand command;
    if (!command) return;
    qvv2::QUARVELv2& basic = Basic();
    if (!CompiledOK) CompileActiveDocument();
    if (basic.Bas_Error != 0 || basic.TotalBytes < 17) return;
    const ObjectImage image = ObjectImage::From(basic);

    QPointer<platform::CodeEditor> rt = ActiveEditor();
    if (!rt) return;
    const int32_t line = rt->Selection(false).EndLineNo;
    QString text = rt->LineText(line);
    if (NothingToRun(text)) return;

    // A comment after the statement is cut; a line that starts with the
    // comment mark stays as it is.
    const qsizetype mark = text.indexOf(QLatin1Char('\''));
    if (mark > 0) text = text.left(mark);

    const QString word = vb::Trim(text).toUpper();
    const bool open = word == QStringLiteral("OPEN") || word == QStringLiteral("열기");
    const bool close = word == QStringLiteral("CLOSE") || word == QStringLiteral("닫기");
    if (open || close) {
        const uint8_t bytes[6] = {227, 10, static_cast<uint8_t>(open ? 1 : 0),
                                  227, 11, static_cast<uint8_t>(open ? 0 : 1)};
        vxIO::OpenComm();
        if (LinkOk()) {
            for (const uint8_t b : bytes) {
                vxIO::SendByte(b);
                if (!LinkOk()) break;
            }
        }
        CloseKeepingErrorAnyPort();
        return;
    }

    int64_t p = 0;
    if (!image.LineStart(static_cast<int64_t>(line) + 1, p)) return;
    const LineAction action = DecodeLine(image, p);
    switch (action.kind) {
        case LineAction::Output:
            if (action.number > 6) return;
            break;
        case LineAction::Servo:
            if (action.number > 3) return;
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
                for (int m = 0; m < 4; ++m) {
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
    QPointer<platform::CodeEditor> rt = ActiveEditor();
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
    const int model = Model();
    switch (action.kind) {
        case LineAction::Output:
            if ((model == 1 && action.number > 11) || (model == 2 && action.number > 31)) return;
            break;
        case LineAction::Servo:
            if ((model == 1 && action.number > 5) || (model == 2 && action.number > 31)) return;
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
                if (model == 1)
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
const MotorGroup* GroupLine(const QString& text, int family) {
    if (NothingToRun(text)) return nullptr;
    QString copy = text;
    QString comment;
    TokenizeLine(copy, comment);
    if (TokenCount < 3 || Tokens.size() < 3) return nullptr;
    if (!IsMoveWord(Tokens[1])) return nullptr;
    const MotorGroup* group = FindGroup(Tokens[2]);
    if (!group || (family != 0 && group->family != family)) return nullptr;
    return group;
}

}  // namespace

void RunCurrentGroup() {
    const DirectCommand command;
    if (!command) return;
    QPointer<platform::CodeEditor> rt = ActiveEditor();
    if (!rt) return;
    const int32_t caret = rt->Selection(false).EndLineNo;
    const MotorGroup* group = GroupLine(rt->LineText(caret), 0);
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
        const MotorGroup* g = GroupLine(rt->LineText(i), family);
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
        QString text = rt->LineText(i);
        if (!CompileSnippet(text)) continue;
        const ObjectImage image = ObjectImage::From(Basic());
        int64_t p = 0;
        if (!image.LineStart(1, p)) continue;
        LineAction line;
        if (!ReadGroupBlock(image, p, line)) continue;
        bool failed = false;
        for (int m = 0; m < 32 && !failed; ++m) {
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
