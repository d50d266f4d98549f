#include "build/CaptureMove.h"

#include <QPointer>

#include "compiler/Commands.h"
#include "build/DirectRun.h"
#include "build/TokenizeLine.h"
#include "documents/Documents.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "documents/VbText.h"
#include "documents/modMain.h"
#include "protocol/modMainDelay.h"
#include "link/vxIO_Windows.h"
#include "platform/CodeEditor.h"
#include "platform/MsgBox.h"
#include "platform/UiLanguage.h"

namespace modMain {

namespace {

bool LinkOk() { return vxIO::CommError == 0; }

// A position the servos take; anything else in a line or a reply is no pose.
bool Valid(uint8_t position) { return position >= 10 && position <= 190; }

void ClearPending() {
    CapturePending = false;
    CaptureLine = 0;
    CaptureFile.clear();
}

// The document window of the pending first press: two untitled documents
// share their (empty) file name, but a press in the other one starts over.
QPointer<QObject> g_captureDoc;

// The blanks and TABs that stand right before the comment at `start`.
QString GapBefore(const QString& text, qsizetype start) {
    qsizetype from = start;
    while (from > 0 && (text.at(from - 1) == QLatin1Char(' ') || text.at(from - 1) == QLatin1Char('\t'))) --from;
    return text.mid(from, start - from);
}

}  // namespace

QString CapturedLineText(const QString& head, const uint8_t* values, int motors, const QString& gap,
                         const QString& comment) {
    QString text = head;
    for (int i = 0; i < motors; ++i) {
        const int width = i == 0 ? 3 : 4;
        text += QLatin1Char(',');
        text += values[i] != 0 ? QString::number(values[i]).rightJustified(width, QLatin1Char(' '))
                               : QString(width, QLatin1Char(' '));
    }
    if (!comment.isEmpty()) text += (gap.isEmpty() ? QStringLiteral(" ") : gap) + comment;
    return text;
}

QString ParallelCaptureMessage() {
    return platform::Localized({
        "Capture needs the serial port: on the parallel port the controller cannot report its servo positions.",
        "위치 캡처는 시리얼 포트에서만 할 수 있습니다. 병렬 포트로는 서보 위치를 읽을 수 없습니다.",
        "位置キャプチャはシリアルポートでのみ使えます。パラレルポートではサーボ位置を読めません。",
        "位置捕获只能在串口上使用：并口无法读取舵机位置。",
    });
}

void CaptureToMoveLine() {
    const DirectCommand command;
    if (!command) return;
    QPointer<QObject> doc = modApp::DocumentWindow(modApp::ActiveDoc);
    QPointer<platform::CodeEditor> rt = modApp::DocumentEditor(modApp::ActiveDoc);
    if (!doc || !rt) return;
    const QString fileName = modApp::DocumentFileName(modApp::ActiveDoc);
    const platform::EditorRange caret = rt->Selection(false);
    const int32_t line = caret.EndLineNo;
    const QString text = rt->LineText(line);

    const QString trimmed = vb::Trim(text);
    if (trimmed.isEmpty() || trimmed.endsWith(QLatin1Char(':'))) return;
    QString copy = text;
    QString comment;
    TokenizeLine(copy, comment);
    if (TokenCount < 3 || Tokens.size() < 3) return;
    const QString keyword = Tokens[1];
    const QString groupWord = Tokens[2];

    // Another document or another line: this press starts over.
    if (CaptureFile != fileName || g_captureDoc != doc || line > INT16_MAX || line != CaptureLine)
        CapturePending = false;

    if (!IsMoveWord(keyword)) return;
    qsizetype k = text.indexOf(QString::fromStdU16String(qvv2::EnglishWord(qvv2::CMD_MOVE)), 0, Qt::CaseInsensitive);
    if (k < 0) k = text.indexOf(QString::fromStdU16String(qvv2::KoreanWord(qvv2::CMD_MOVE)));
    if (k < 0) k = 0;

    // The line's own positions by motor (0 for an empty field).
    qvv2::LineAction block;
    if (!CompileGroupBlock(text, block)) return;
    const auto& linePositions = block.positions;

    // On the parallel port nothing is sent and every reply reads 0: the
    // second press would empty the line.
    if (!vxIO::Serial()) {
        ClearPending();
        platform::MsgBox(ParallelCaptureMessage(), platform::vbExclamation | platform::vbOKOnly, LoadResString(1093),
                         modApp::MainWindow());
        return;
    }

    vxIO::OpenComm();
    if (!LinkOk()) return;
    Delay(100);
    vxIO::StopProgram();
    if (!LinkOk()) {
        CloseSerialKeepingError();
        return;
    }
    const vxIO::MotorGroup* group = FindGroup(groupWord);
    if (!group) {
        CloseSerialKeepingError();
        return;
    }

    if (!CapturePending) {
        for (int i = 0; i < group->motors; ++i) {
            const int motor = group->firstMotor + i;
            if (!Valid(linePositions[static_cast<size_t>(motor)])) continue;
            vxIO::SetMotorOn(static_cast<int16_t>(motor), false);
            if (!LinkOk()) {
                CloseSerialKeepingError();
                return;
            }
        }
        CapturePending = true;
        CaptureLine = static_cast<int16_t>(line);
        CaptureFile = fileName;
        g_captureDoc = doc;
        CloseSerialKeepingError();
        return;
    }

    std::array<uint8_t, 8> reply{};
    bool complete = false;
    if (group->family == 6) {
        std::array<uint8_t, 6> six{};
        complete = vxIO::ReadBlock6(*group, six) == 255;
        std::copy(six.begin(), six.end(), reply.begin());
    } else {
        complete = vxIO::ReadBlock8(*group, reply) == 255;
    }
    if (!complete || !LinkOk()) {
        CloseSerialKeepingError();
        return;
    }

    // Each motor with a position in the line takes the reported one and is
    // switched on again.  A reply outside the servo range keeps the line's
    // value and leaves that servo off; a motor without a position in the line
    // is left alone.
    std::array<uint8_t, 8> values{};
    for (int i = 0; i < group->motors; ++i) {
        const int motor = group->firstMotor + i;
        const uint8_t old = linePositions[static_cast<size_t>(motor)];
        const uint8_t now = reply[static_cast<size_t>(i)];
        if (Valid(old) && Valid(now)) {
            values[static_cast<size_t>(i)] = now;
            vxIO::WritePositionPair(static_cast<int16_t>(motor), now);
            if (LinkOk()) vxIO::SetMotorOn(static_cast<int16_t>(motor), true);
            if (!LinkOk()) {
                CloseSerialKeepingError();
                return;
            }
        } else {
            values[static_cast<size_t>(i)] = old;
        }
    }

    const QString indentation = group->family == 6 ? text.left(k) : QString();
    const QString head = indentation + keyword + QLatin1Char(' ') + groupWord;
    const qsizetype commentStart = text.size() - comment.size();
    const QString newText = CapturedLineText(head, values.data(), group->motors,
                                             comment.isEmpty() ? QString() : GapBefore(text, commentStart), comment);
    ClearPending();

    // The line is rewritten only while it still holds the text the press
    // started from: an edit made during the link's waits is not overwritten.
    if (rt && line < rt->LineCount() && rt->LineText(line) == text) {
        rt->SelectRange(line, 0, line, static_cast<int32_t>(text.size()));
        rt->ReplaceSelectedText(newText);
        rt->PutCaret(line, std::min<int32_t>(caret.EndColNo, static_cast<int32_t>(newText.size())));
        rt->RunCommand(platform::cmdRefreshView);
    }
    CloseSerialKeepingError();
}

}  // namespace modMain
