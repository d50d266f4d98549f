#include "motion/frmMove32_G6.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <cstdlib>

#include "build/CommandSet.h"
#include "build/DirectRun.h"
#include "build/MotorLimits.h"
#include "documents/Documents.h"
#include "documents/LocalizeForm.h"
#include "documents/MainHost.h"
#include "documents/StringTable.h"
#include "documents/modGeneral.h"
#include "documents/modMain.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"
#include "motion/ServoKnob.h"
#include "platform/CommControl.h"
#include "platform/Twips.h"

namespace {

QPointer<frmMove32_G6> g_loaded;

// Layout, in twips as the window was drawn: the groups' frames stand one
// under the other; the window ends 600 twips below the last one.
constexpr double kFirstFrameTop = 150;
constexpr double kFrameLeft = 120;
constexpr double kFrameWidth = 9360;
constexpr double kFrameOpen = 1995;
constexpr double kFrameFolded = 255;
constexpr double kFrameGap = 45;
constexpr double kFoldKeyRise = 30;
constexpr double kWindowFoot = 600;
constexpr double kWindowWidth = kFrameWidth + 2 * kFrameLeft;

// Inside a frame, pixels: six motor columns, then the group's keys.
constexpr int kColumnWidth = 84;
constexpr int kColumnsLeft = 8;
constexpr int kKnobSize = 62;

int Px(double twips) { return platform::TwipsToPixels(twips); }

bool InCaptureRange(int pos) { return pos >= 10 && pos <= 190; }

// One turn of the event queue inside a loop over motors or groups.  Events
// handled here count as started from inside a link wait, so a controller
// command they try is refused instead of running in the middle of the loop.
void Yield() { vxIO::Pump(QEventLoop::AllEvents); }


}  // namespace

// Marks a handler that talks to the controller: the window is not closed
// under it (a close asked for meanwhile runs when the last one ends).
class frmMove32_G6::Running {
public:
    explicit Running(frmMove32_G6& w) : w_(w) { ++w_.running_; }
    ~Running() {
        if (--w_.running_ == 0 && w_.closeRequested_) {
            w_.closeRequested_ = false;
            QTimer::singleShot(0, &w_, &QWidget::close);
        }
    }

private:
    frmMove32_G6& w_;
};

// ---- Creation --------------------------------------------------------------------

bool frmMove32_G6::Open(QWidget* owner) {
    if (frmMove32_G6* open = Loaded()) {
        open->show();
        open->raise();
        open->activateWindow();
        return true;
    }
    auto* w = new frmMove32_G6(owner);
    if (!w->Form_Load()) {
        w->FailLoad();
        return true;
    }
    w->show();
    w->txt->setFocus();
    return true;
}

frmMove32_G6* frmMove32_G6::Loaded() { return g_loaded.data(); }

frmMove32_G6::frmMove32_G6(QWidget* owner)
    : QWidget(owner, Qt::Window),
      moves_(kMotors, LiveMoves::Order::RoundRobin, 10,
             [this](LiveMoves::Kind, int index, int16_t value) { return SendMove(index, value); }) {
    setObjectName(QStringLiteral("frmMove32_G6"));
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("Tag", QStringLiteral("4501"));
    moves_.ShowWaitingOn(this);
    BuildControls();
    g_loaded = this;
}

frmMove32_G6::~frmMove32_G6() {
    if (g_loaded == this) g_loaded = nullptr;
}

void frmMove32_G6::BuildControls() {
    const QString letters = QStringLiteral("ABCDE");
    for (int g = 0; g < kGroups; ++g) {
        auto* frame = new QGroupBox(this);
        frame->setObjectName(QStringLiteral("FraGroup%1").arg(g));
        frame->setProperty("Tag", QString::number(4502 + g));
        frame->setTitle(QStringLiteral(" Group %1 ").arg(letters.at(g)));
        FraGroup[static_cast<size_t>(g)] = frame;
        // The frame's insides, hidden as a whole while the group is folded.
        auto* inside = new QWidget(frame);
        inside->setObjectName(QStringLiteral("inside"));
        inside->setGeometry(0, 16, Px(kFrameWidth), Px(kFrameOpen) - 16);

        for (int k = 0; k < 6; ++k) {
            const int i = 6 * g + k;
            const int x = kColumnsLeft + k * kColumnWidth;
            auto* check = new QCheckBox(inside);
            check->setObjectName(QStringLiteral("chk_Motor%1").arg(i));
            check->setText(QStringLiteral("Motor%1").arg(i));
            check->setGeometry(x, 2, kColumnWidth - 4, 18);
            chk_Motor[static_cast<size_t>(i)] = check;
            connect(check, &QCheckBox::toggled, this, [this, i] { chk_Motor_Click(i); });

            auto* knob = new ServoKnob(static_cast<int16_t>(i), inside);
            knob->setGeometry(x + (kColumnWidth - 4 - kKnobSize) / 2, 22, kKnobSize, kKnobSize);
            servo[static_cast<size_t>(i)] = knob;
            connect(knob, &ServoKnob::Change, this, &frmMove32_G6::servo_Change);

            auto* capture = new QPushButton(inside);
            capture->setObjectName(QStringLiteral("cmdServoCapture%1").arg(i));
            capture->setProperty("Tag", QStringLiteral("4512"));
            capture->setText(QStringLiteral("Capture"));
            capture->setGeometry(x, 88, kColumnWidth - 6, 24);
            cmdServoCapture[static_cast<size_t>(i)] = capture;
            connect(capture, &QPushButton::clicked, this, [this, i] { cmdServoCapture_Click(i); });
        }

        const int keysLeft = kColumnsLeft + 6 * kColumnWidth + 6;
        const int keysWidth = Px(kFrameWidth) - keysLeft - 8;
        auto* all = new QCheckBox(inside);
        all->setObjectName(QStringLiteral("chkAll%1").arg(g));
        all->setProperty("Tag", QStringLiteral("3205"));
        all->setText(QStringLiteral("All"));
        all->setGeometry(keysLeft, 2, keysWidth, 18);
        chkAll[static_cast<size_t>(g)] = all;
        connect(all, &QCheckBox::clicked, this, [this, g] { chkAll_Click(g); });

        auto* groupCapture = new QPushButton(inside);
        groupCapture->setObjectName(QStringLiteral("cmd_Groupcapture%1").arg(g));
        groupCapture->setProperty("Tag", QStringLiteral("3202"));
        groupCapture->setText(QStringLiteral("Capture"));
        groupCapture->setGeometry(keysLeft, 28, keysWidth, 26);
        cmd_Groupcapture[static_cast<size_t>(g)] = groupCapture;
        connect(groupCapture, &QPushButton::clicked, this, [this, g] { cmd_Groupcapture_Click(g); });

        auto* insert = new QPushButton(inside);
        insert->setObjectName(QStringLiteral("cmd_Move%1").arg(g + 1));
        insert->setProperty("Tag", QStringLiteral("4514"));
        insert->setText(QStringLiteral("Insert Group"));
        insert->setGeometry(keysLeft, 62, keysWidth, 26);
        cmd_Move[static_cast<size_t>(g)] = insert;
        connect(insert, &QPushButton::clicked, this, [this, g] { cmd_Move_Click(g); });

        // The fold key sits on the frame's top edge, above the frame.
        auto* hide = new QPushButton(this);
        hide->setObjectName(QStringLiteral("cmdHide%1").arg(g));
        hide->setText(QStringLiteral("<"));
        hide->setFocusPolicy(Qt::NoFocus);
        cmdHide[static_cast<size_t>(g)] = hide;
        connect(hide, &QPushButton::clicked, this, [this, g] { cmdHide_Click(g); });
    }

    cmdCaptureAll = new QPushButton(this);
    cmdCaptureAll->setObjectName(QStringLiteral("cmdCaptureAll"));
    cmdCaptureAll->setProperty("Tag", QStringLiteral("4513"));
    cmdCaptureAll->setText(QStringLiteral("Capture All"));
    connect(cmdCaptureAll, &QPushButton::clicked, this, &frmMove32_G6::cmdCaptureAll_Click);

    cmdClose = new QPushButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setProperty("Tag", QStringLiteral("3204"));
    cmdClose->setText(QStringLiteral("Close"));
    connect(cmdClose, &QPushButton::clicked, this, &frmMove32_G6::cmdClose_Click);

    // A box that only takes the focus, out of sight.
    txt = new QLineEdit(this);
    txt->setObjectName(QStringLiteral("txt"));
    txt->setGeometry(-100, -100, 10, 10);
    connect(txt, &QLineEdit::textChanged, this, &frmMove32_G6::txt_Change);

    setFixedWidth(Px(kWindowWidth));
    ArrangeGroups();
}

// ---- Load ----------------------------------------------------------------------------

bool frmMove32_G6::Form_Load() {
    const Running running(*this);
    loading_ = true;
    frmWait& wait = frmWait::Load();
    wait.show();
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);
    loadError_ = false;
    loadErrorCode_ = 0;

    // Every failing step ends the load with its own code; the one box for it
    // comes when the window closes (FailLoad).
    auto failed = [this] {
        if (vxIO::CommError == 0) return false;
        loadError_ = true;
        loadErrorCode_ = vxIO::CommError;
        loading_ = false;
        return true;
    };

    vxIO::OpenComm();
    if (failed()) return false;

    move(Px(modMain::MotorWindowLeft), Px(modMain::MotorWindowTop));
    placed_ = true;
    setWindowTitle(QStringLiteral("24") + windowTitle().mid(2));

    for (int i = 0; i < kUsedMotors; ++i) {
        Yield();
        if (unloaded_) return false;
        chk_Motor[static_cast<size_t>(i)]->setText(LoadResString(4507) + QString::number(i));
        ServoKnob* knob = servo[static_cast<size_t>(i)];
        knob->Setup(18, 50, 50, 50, 30, 50);
        knob->SetColor(16777215);
        knob->Redraw();
    }

    modMain::ParseLimitDirectives();
    vxIO::StopProgram();
    if (failed()) return false;

    for (int i = 0; i < kUsedMotors; ++i) {
        Yield();
        if (unloaded_) return false;
        const bool on = vxIO::GetMotorOn(static_cast<int16_t>(i));
        if (failed()) return false;
        int pos = vxIO::ReadMotorPos(static_cast<int16_t>(i));
        if (failed()) return false;
        const modMain::MotorLimit& limit = modMain::MotorLimits[static_cast<size_t>(i)];
        if (pos < limit.Min) pos = limit.Min;
        if (pos > limit.Max) pos = limit.Max;
        // Ticking the box runs its click handling: the motor is captured and
        // switched on.
        chk_Motor[static_cast<size_t>(i)]->setChecked(on);
        if (failed()) return false;
        ServoKnob* knob = servo[static_cast<size_t>(i)];
        knob->SetMax(limit.Max);
        knob->SetMin(limit.Min);
        knob->SetOn(on);
        knob->SetValue(static_cast<int16_t>(pos));
    }

    ArrangeGroups();
    frmWait::Unload();
    loading_ = false;
    return true;
}

void frmMove32_G6::FailLoad() {
    const int16_t code = loadErrorCode_;
    frmWait::Unload();
    close();
    // The box shows the code of the step that failed: the unload's closing
    // of the port has reset vxIO::CommError by now.
    vxIO::ShowCommError(code);
    modApp::FocusActiveEditor();
}

// ---- Layout ----------------------------------------------------------------------------

void frmMove32_G6::ArrangeGroups() {
    FraGroup[4]->hide();
    cmdHide[4]->hide();
    double top = kFirstFrameTop;
    double bottom = top;
    for (int g = 0; g < kUsedGroups; ++g) {
        const bool folded = modMain::GroupCollapsed[static_cast<size_t>(g)];
        const double height = folded ? kFrameFolded : kFrameOpen;
        frameTopTwips_[g] = top;
        QGroupBox* frame = FraGroup[static_cast<size_t>(g)];
        frame->setGeometry(Px(kFrameLeft), Px(top), Px(kFrameWidth), Px(height));
        if (QWidget* inside = frame->findChild<QWidget*>(QStringLiteral("inside"), Qt::FindDirectChildrenOnly))
            inside->setVisible(!folded);
        QPushButton* hide = cmdHide[static_cast<size_t>(g)];
        hide->setText(LoadResString(folded ? 30 : 31));
        hide->setGeometry(Px(kFrameLeft + kFrameWidth) - 34, Px(top - kFoldKeyRise), 24, 18);
        hide->raise();
        bottom = top + height;
        top = bottom + kFrameGap;
    }
    const int foot = Px(bottom);
    cmdCaptureAll->setGeometry(Px(kFrameLeft), foot + 8, 120, 26);
    cmdClose->setGeometry(Px(kFrameLeft + kFrameWidth) - 100, foot + 8, 100, 26);
    setFixedHeight(Px(bottom + kWindowFoot));
}

// ---- Knobs -----------------------------------------------------------------------------

void frmMove32_G6::servo_Change(int16_t index, int16_t value) {
    if (index < 0 || index >= kMotors || unloaded_) return;
    // Inside another exchange's wait the value waits and goes once the link
    // is free again (the retry timer, or the end of that exchange's handler).
    moves_.Put(index, value);
}

int16_t frmMove32_G6::PendingMove(int index) const { return moves_.Waiting(index).value_or(-1); }

bool frmMove32_G6::SendMove(int index, int16_t value) {
    const Running running(*this);
    EnsurePortOpen();
    // The knob keeps itself inside its range, so no limit test here.
    vxIO::MoveMotor(static_cast<int16_t>(index), static_cast<uint8_t>(value));
    // A link error ends the round: the queue holds the knobs' values until
    // the line is quiet again, then sends the latest.
    return vxIO::CommError == 0;
}

// ---- Motors ----------------------------------------------------------------------------

void frmMove32_G6::SetCheckQuietly(QCheckBox* box, bool checked) {
    const bool blocked = box->blockSignals(true);
    box->setChecked(checked);
    box->blockSignals(blocked);
}

void frmMove32_G6::EnsurePortOpen() {
    if (!vxIO::Serial()) return;
    const vxIO::LinkControls link = vxIO::Link();
    if (link.Comm && !link.Comm->PortOpen()) vxIO::OpenComm();
}

void frmMove32_G6::ShowLinkError(int16_t code) {
    vxIO::ShowCommError(code);
    // The box closed the port; the window keeps it open while it is open.
    vxIO::OpenComm();
    vxIO::CommError = code;
}

bool frmMove32_G6::ShowServoAt(int index, int pos) {
    if (!InCaptureRange(pos) || moves_.Waiting(index)) return false;
    return servo[static_cast<size_t>(index)]->ShowServoAt(static_cast<int16_t>(pos));
}

bool frmMove32_G6::CaptureMotor(int index) {
    ServoKnob* knob = servo[static_cast<size_t>(index)];
    const int pos = vxIO::ReadVariable(static_cast<int16_t>(index));
    if (vxIO::CommError != 0) return false;
    // The knob goes where the servo stands, whether the motor is on or free
    // and also outside its limits, and the controller stores that position:
    // switching the motor on, or the next turn of the knob, then starts from
    // there instead of swinging the servo back.
    if (std::abs(pos - knob->Value()) > 1 && ShowServoAt(index, pos))
        vxIO::WritePositionPair(static_cast<int16_t>(index), static_cast<uint8_t>(pos));
    return vxIO::CommError == 0;
}

void frmMove32_G6::chk_Motor_Click(int index) {
    if (index < 0 || index >= kMotors || unloaded_) return;
    // The load's own ticks are steps of its exchange.
    if (loading_) {
        SwitchMotor(index);
        return;
    }
    QCheckBox* box = chk_Motor[static_cast<size_t>(index)];
    ServoKnob* knob = servo[static_cast<size_t>(index)];
    // While it waits its turn the box keeps the new state; refused, or
    // dropped after a failure, it shows the motor again.
    moves_.Press(
        kMotorBoxControl + index,
        [this, box, knob, index] {
            // Clicked back meanwhile: the motor already is as the box says.
            if (box->isChecked() == knob->On()) return true;
            return SwitchMotor(index);
        },
        [this, box] { SetCheckQuietly(box, !box->isChecked()); },
        [this, box, knob] { SetCheckQuietly(box, knob->On()); });
}

bool frmMove32_G6::SwitchMotor(int index) {
    QCheckBox* box = chk_Motor[static_cast<size_t>(index)];
    ServoKnob* knob = servo[static_cast<size_t>(index)];
    const bool on = box->isChecked();
    const Running running(*this);
    if (!loading_) EnsurePortOpen();
    const auto motor = static_cast<int16_t>(index);
    bool ok = true;
    if (!on) {
        vxIO::SetMotorOn(motor, false);
        ok = vxIO::CommError == 0;
        if (ok) knob->SetOn(false);
    } else {
        ok = CaptureMotor(index);
        if (ok) vxIO::SetMotorOn(motor, true);
        ok = ok && vxIO::CommError == 0;
        if (ok) knob->SetOn(true);
    }
    if (ok || loading_) {
        // While loading, the load stops at the error and reports it.
        moves_.Send();
        return true;
    }
    // The motor's power did not change: the box says so again, and one box
    // tells why.
    const int16_t code = vxIO::CommError;
    SetCheckQuietly(box, !on);
    ShowLinkError(code);
    return false;
}

void frmMove32_G6::cmdServoCapture_Click(int index) {
    if (index < 0 || index >= kMotors || unloaded_) return;
    moves_.Press(kMotorCaptureControl + index, [this, index] {
        CaptureOne(index);
        return true;
    });
}

void frmMove32_G6::CaptureOne(int index) {
    {
        const Running running(*this);
        EnsurePortOpen();
        CaptureMotor(index);
    }
    moves_.Send();
    txt->setFocus();
}

void frmMove32_G6::chkAll_Click(int group) {
    if (group < 0 || group >= kGroups || unloaded_) return;
    QCheckBox* all = chkAll[static_cast<size_t>(group)];
    // As a motor's box: it keeps the new state while it waits.
    const bool before = !all->isChecked();
    const auto putBack = [this, all, before] { SetCheckQuietly(all, before); };
    moves_.Press(kGroupBoxControl + group, [this, group] { return SwitchGroup(group); }, putBack, putBack);
}

bool frmMove32_G6::SwitchGroup(int group) {
    QCheckBox* all = chkAll[static_cast<size_t>(group)];
    const Running running(*this);
    EnsurePortOpen();
    const bool tick = all->isChecked();
    // A failure stops the loop with one box; the group's box then goes back,
    // so that the next click tries the same again.
    bool failed = false;
    auto stop = [&] {
        SetCheckQuietly(all, !tick);
        failed = true;
    };
    for (int k = 0; k < 6; ++k) {
        const int i = 6 * group + k;
        const auto motor = static_cast<int16_t>(i);
        QCheckBox* box = chk_Motor[static_cast<size_t>(i)];
        ServoKnob* knob = servo[static_cast<size_t>(i)];
        vxIO::CommError = 0;
        if (tick && !box->isChecked()) {
            box->setChecked(true);  // its click handling runs; a failure there showed its box
            if (!box->isChecked()) {
                stop();
                break;
            }
            knob->SetOn(true);
            const int pos = vxIO::ReadVariable(motor);
            if (vxIO::CommError == 0 && ShowServoAt(i, pos)) vxIO::WritePositionPair(motor, static_cast<uint8_t>(pos));
            if (vxIO::CommError == 0) vxIO::SetMotorOn(motor, true);
        } else if (!tick && box->isChecked()) {
            box->setChecked(false);
            if (box->isChecked()) {
                stop();
                break;
            }
            vxIO::SetMotorOn(motor, false);
            knob->SetOn(false);
        }
        if (vxIO::CommError != 0) {
            ShowLinkError(vxIO::CommError);
            stop();
            break;
        }
        Yield();
        if (unloaded_) return true;
    }
    moves_.Send();
    return !failed;
}

bool frmMove32_G6::CaptureGroup(int group) {
    // The window's group g is the six-motor group of letter g.
    const vxIO::MotorGroup* motorGroup = vxIO::FindMotorGroup(6, group);
    std::array<uint8_t, 6> positions{};
    const uint8_t result = motorGroup ? vxIO::ReadBlock6(*motorGroup, positions) : 0;
    if (result != 255) return vxIO::CommError == 0;
    for (int k = 0; k < 6; ++k) ShowServoAt(6 * group + k, positions[static_cast<size_t>(k)]);
    return true;
}

void frmMove32_G6::cmd_Groupcapture_Click(int group) {
    if (group < 0 || group >= kGroups || unloaded_) return;
    moves_.Press(kGroupCaptureControl + group, [this, group] {
        CaptureOneGroup(group);
        return true;
    });
}

void frmMove32_G6::CaptureOneGroup(int group) {
    {
        const Running running(*this);
        EnsurePortOpen();
        CaptureGroup(group);
    }
    moves_.Send();
    txt->setFocus();
}

void frmMove32_G6::cmdCaptureAll_Click() {
    if (unloaded_) return;
    moves_.Press(kCaptureAllControl, [this] { return CaptureAll(); });
}

bool frmMove32_G6::CaptureAll() {
    bool failed = false;
    {
        const Running running(*this);
        EnsurePortOpen();
        for (int g = 0; g < kUsedGroups; ++g) {
            Yield();
            if (unloaded_) return true;
            if (modMain::GroupCollapsed[static_cast<size_t>(g)] || FraGroup[static_cast<size_t>(g)]->isHidden())
                continue;
            if (!CaptureGroup(g)) {
                ShowLinkError(vxIO::CommError);
                failed = true;
                break;
            }
        }
    }
    moves_.Send();
    return !failed;
}

// ---- Fold, insert, focus box ---------------------------------------------------------

void frmMove32_G6::cmdHide_Click(int group) {
    if (group < 0 || group >= kGroups) return;
    bool& folded = modMain::GroupCollapsed[static_cast<size_t>(group)];
    folded = !folded;
    ArrangeGroups();
    txt->setFocus();
}

QString frmMove32_G6::MoveLineText(int group, const std::array<int16_t, 6>& positions,
                                   const std::array<bool, 6>& ticked) {
    if (group < 0 || group >= kGroups) return QString();
    QString header;
    if (modMain::HeaderSelector() == 1 && group < kUsedGroups)
        header = LoadResString(4508 + group);
    else
        header = modMain::GroupLineHead(qvv2::CMD_MOVE, 6 * group) + QLatin1Char(',');
    QStringList items;
    for (size_t k = 0; k < 6; ++k)
        items << (ticked[k] ? QString::number(positions[k]).rightJustified(3, QLatin1Char(' '))
                            : QStringLiteral("   "));
    return header + items.join(QStringLiteral(", ")) + QStringLiteral("\r\n");
}

void frmMove32_G6::cmd_Move_Click(int group) {
    if (group < 0 || group >= kGroups) return;
    // The line shows the knobs and boxes as the clicks and turns made before
    // leave them: a capture or a tick still waiting changes what it shows.
    moves_.InTurn([this, group] { InsertGroup(group); });
}

void frmMove32_G6::InsertGroup(int group) {
    if (!modApp::ActiveEditor()) return;
    std::array<int16_t, 6> positions{};
    std::array<bool, 6> ticked{};
    for (size_t k = 0; k < 6; ++k) {
        const size_t i = static_cast<size_t>(6 * group) + k;
        positions[k] = servo[i]->Value();
        ticked[k] = chk_Motor[i]->isChecked();
    }
    modApp::InsertIntoActiveDocument(MoveLineText(group, positions, ticked), 1);
}

void frmMove32_G6::txt_Change() {
    if (!txt->text().isEmpty()) txt->clear();
}

// ---- Unload ----------------------------------------------------------------------------

void frmMove32_G6::cmdClose_Click() { close(); }

void frmMove32_G6::closeEvent(QCloseEvent* event) {
    // A handler of this window is waiting for the controller: its exchange
    // is asked to end, and the window closes when the handler is done.
    if (running_ > 0) {
        closeRequested_ = true;
        vxIO::Abort();
        event->ignore();
        return;
    }
    Form_Unload();
    vxIO::EndAbort();
    event->accept();
}

void frmMove32_G6::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    moves_.Close();
    vxIO::CloseComm();
    // A window that never reached its place keeps the stored position.
    if (placed_) {
        modMain::MotorWindowLeft = static_cast<float>(platform::KeptTwips(modMain::MotorWindowLeft, x()));
        modMain::MotorWindowTop = static_cast<float>(platform::KeptTwips(modMain::MotorWindowTop, y()));
    }
    modApp::MotionUnlock();
    modApp::FocusActiveEditor();
    if (g_loaded == this) g_loaded = nullptr;
}
