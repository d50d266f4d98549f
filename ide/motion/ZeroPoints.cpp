#include "motion/ZeroPoints.h"

#include <QCloseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>

#include <utility>

#include "build/DirectRun.h"
#include "documents/Documents.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "link/vxIO_Windows.h"
#include "platform/CommControl.h"
#include "platform/MsgBox.h"
#include "vxServoUpDown.h"

namespace ZeroPoints {

uint8_t ValueToByte(int16_t value) {
    const int v = value >= 100 ? value - 100 : value + 156;
    return static_cast<uint8_t>(v & 0xFF);
}

int16_t ByteToValue(uint8_t zeroByte) {
    if (zeroByte <= 50) return static_cast<int16_t>(zeroByte + 100);
    if (zeroByte >= 206) return static_cast<int16_t>(zeroByte - 156);
    return 100;
}

bool UsablePosition(uint8_t position) { return position >= 10 && position <= 190; }

uint8_t FilterPosition(uint8_t position) { return UsablePosition(position) ? position : 0; }

void ReadPositionBlock(int k, uint8_t* positions, size_t count) {
    // Block k is the eight-motor group of letter k.
    const vxIO::MotorGroup* group = vxIO::FindMotorGroup(8, k);
    std::array<uint8_t, 8> block{};
    const uint8_t result = group ? vxIO::ReadBlock8(*group, block) : 0;
    if (result != 255) {
        // A read ended by a close keeps its own code: the user asked for it,
        // and no box is due.
        if (vxIO::CommError != vxIO::kErrAborted) vxIO::CommError = vxIO::kErrGroupRead;
        return;
    }
    for (size_t j = 0; j < block.size(); ++j) {
        const size_t servo = static_cast<size_t>(group->firstMotor) + j;
        if (servo < count) positions[servo] = FilterPosition(block[j]);
    }
}

uint8_t DirectionByte(const std::array<int16_t, 8>& values) {
    uint8_t d = 0;
    for (size_t j = 0; j < values.size(); ++j)
        if (values[j] != 0) d = static_cast<uint8_t>(d | (1u << j));
    return d;
}

bool DirectionBit(const std::array<uint8_t, qvv2::controller::kDirectionBytes>& bytes, int servo) {
    if (servo < 0 || servo >= qvv2::controller::kServoSlots) return false;
    return (bytes[static_cast<size_t>(servo / 8)] >> (servo % 8)) & 1u;
}

namespace {

// Four lines "<statement> G6x," followed by the items of servos 6g..6g+5.
QString GroupLines(int16_t statement, const std::array<int16_t, qvv2::controller::kHumanoidServos>& values, int width) {
    const QString pad(width, u' ');
    QString text;
    for (int g = 0; g < 4; ++g) {
        QStringList items;
        for (int i = 6 * g; i < 6 * g + 6; ++i)
            items << (pad + QString::number(values[static_cast<size_t>(i)])).right(width);
        text += modMain::GroupLineHead(statement, 6 * g) + QLatin1Char(',') + items.join(QStringLiteral(", ")) +
                QStringLiteral("\r\n");
    }
    return text;
}

}  // namespace

QString ZeroLines(const std::array<int16_t, qvv2::controller::kHumanoidServos>& values) { return GroupLines(qvv2::CMD_ZERO, values, 3); }

QString DirLines(const std::array<int16_t, qvv2::controller::kHumanoidServos>& values) { return GroupLines(qvv2::CMD_DIR, values, 1); }

Operation::Operation(bool& running) : running_(running) {
    granted_ = !running_ && exchange_.Granted();
    if (granted_) running_ = true;
}

Operation::~Operation() {
    if (granted_) running_ = false;
}

void Yield() { vxIO::Pump(QEventLoop::AllEvents); }

void ShowErrorKeepingLink(int16_t code) {
    // The user ended the exchange: nothing to tell.
    if (code == vxIO::kErrAborted) return;
    (void)platform::MsgBox(vxIO::CommErrorMessage(code), platform::vbOKOnly | platform::vbInformation,
                           LoadResString(3017), modApp::MainWindow());
}

void UnloadLink(bool closeAlways, bool mayWait) {
    const vxIO::LinkControls link = vxIO::Link();
    const bool open = link.Comm && link.Comm->PortOpen();
    // The reset's byte waits for a quiet line in the link, which also drops
    // what the controller sent late; a window being destroyed cannot wait.
    if (open && (mayWait || vxIO::BrokenFrameQuietMs() == 0)) vxIO::ResetController();
    if (closeAlways || open) vxIO::CloseComm();
}

void LiftMotionLock() {
    modApp::MotionUnlock();
}

bool HoldToRange(vxServoUpDown* box) {
    const int16_t value = box->Value();
    if (value < kLowestValue) {
        box->setValue(kLowestValue);
        return true;
    }
    if (value > kHighestValue) {
        box->setValue(kHighestValue);
        return true;
    }
    return false;
}

namespace {

// How often a live change held back by a busy link is tried again.
constexpr int kHeldRetryMs = 20;

}  // namespace

Window::Window(QWidget* owner, int slotCount, bool closeAlways)
    : QWidget(owner),
      closeAlways_(closeAlways),
      held_(slotCount, LiveMoves::Order::LowestFirst, kHeldRetryMs,
            [this](LiveMoves::Kind, int index, int16_t) { return WriteLiveNow(index); }) {
    held_.ShowWaitingOn(this);
}

Window::~Window() { Form_Unload(false); }

void Window::Form_Unload(bool mayWait) {
    if (unloaded_) return;
    unloaded_ = true;
    held_.Close();
    // The unload may wait for a quiet line: nothing in the window starts
    // meanwhile.
    if (mayWait) setEnabled(false);
    UnloadLink(closeAlways_, mayWait);
    LiftMotionLock();
    modApp::FocusActiveEditor();
}

void Window::SetProgress(float percent) {
    if (pb) pb->setValue(static_cast<int>(percent));
}

void Window::EnableButtons(bool readDone) {
    cmdRead->setEnabled(!readDone);
    for (QPushButton* b : {cmdWrite, cmdInsert, cmdDefault, cmdCancel}) b->setEnabled(readDone);
}

void Window::cmdClose_Click() {
    if (running_) {
        closePending_ = true;
        vxIO::Abort();
        return;
    }
    close();
}

void Window::AfterOperation() {
    if (running_) return;
    held_.Send();
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

void Window::WriteLive(int index) { held_.SendOne(index); }

void Window::Click(int control, LiveMoves::Command run, LiveMoves::Undo refuse, LiveMoves::Undo undo) {
    held_.Press(control, std::move(run), std::move(refuse), std::move(undo));
}

void Window::closeEvent(QCloseEvent* event) {
    // A close while the unload waits for a quiet line: the first one ends
    // the window.
    if (unloaded_) {
        event->ignore();
        return;
    }
    // An operation on the stack is ended first (its exchange stops at the
    // next byte); the close follows it.
    if (running_) {
        closePending_ = true;
        vxIO::Abort();
        event->ignore();
        return;
    }
    Form_Unload();
    vxIO::EndAbort();
    event->accept();
}

}  // namespace ZeroPoints
