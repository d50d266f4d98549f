#include "motion/frmMoveKESTRA.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <cstdlib>
#include <utility>

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
#include "platform/Twips.h"
#include "vxServoSlide2.h"

using modUserRobot::MotorTable;

namespace {

QPointer<frmMoveKESTRA> g_loaded;

// The design layout is in twips; the window measures in pixels.
QRect Twips(int left, int top, int width, int height) {
    return {platform::TwipsToPixels(left), platform::TwipsToPixels(top), platform::TwipsToPixels(width),
            platform::TwipsToPixels(height)};
}

const modUserRobot::MotorProperty& Slot(int i) { return MotorTable[static_cast<size_t>(i)]; }

bool InRange(int v) { return v >= 10 && v <= 190; }

// Slider members the window uses.
int SliderValue(const vxServoSlide2* s) { return static_cast<int>(s->Value()); }
void SetSliderValue(vxServoSlide2* s, int v) { s->setValue(v); }
int SliderCheck(const vxServoSlide2* s) { return static_cast<int>(s->CheckValue()); }
void SetSliderCheck(vxServoSlide2* s, int v) { s->setCheckValue(v); }
void SetSliderMotorNo(vxServoSlide2* s, int n) { s->setMotorNo(static_cast<int16_t>(n)); }

}  // namespace

// ---- Loading and showing ------------------------------------------------------------

bool frmMoveKESTRA::Show() {
    if (frmMoveKESTRA* w = g_loaded) {
        w->show();
        w->raise();
        w->activateWindow();
        return true;
    }
    auto* w = new frmMoveKESTRA(modApp::MainWindow());
    g_loaded = w;
    QPointer<frmMoveKESTRA> alive(w);
    w->Form_Load();
    if (!alive) return true;
    w->show();
    // A failed load closes the window again at its first activation; do it
    // now, since a window system without a window manager may never activate it.
    if (alive && w->LoadFailed) w->Form_Activate();
    return true;
}

frmMoveKESTRA* frmMoveKESTRA::Loaded() { return g_loaded; }

frmMoveKESTRA::frmMoveKESTRA(QWidget* owner)
    : QWidget(owner, Qt::Window),
      live_(modUserRobot::kSlots, LiveMoves::Order::LowestFirst, 20, [this](LiveMoves::Kind kind, int index, int16_t) {
          return kind == LiveMoves::Kind::Switch ? SendSwitch(index) : SendMove(index);
      }) {
    setObjectName(modUserRobot::kMoveForm);
    setAttribute(Qt::WA_DeleteOnClose);
    setProperty("Tag", QStringLiteral("7000"));
    setWindowTitle(QStringLiteral("VORTAN"));
    live_.ShowWaitingOn(this);
    BuildControls();
    closeRetry_.setSingleShot(true);
    closeRetry_.setInterval(20);
    connect(&closeRetry_, &QTimer::timeout, this, &QWidget::close);
}

frmMoveKESTRA::~frmMoveKESTRA() {
    if (g_loaded == this) g_loaded = nullptr;
}

void frmMoveKESTRA::BuildControls() {
    const auto button = [](QWidget* parent, const char* name, const char* tag, const QString& text, QRect r) {
        auto* b = new QPushButton(text, parent);
        b->setObjectName(QString::fromLatin1(name));
        if (tag) b->setProperty("Tag", QString::fromLatin1(tag));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    const auto frame = [this](const char* name, const char* tag, const QString& title, QRect r) {
        auto* f = new QGroupBox(title, this);
        f->setObjectName(QString::fromLatin1(name));
        f->setProperty("Tag", QString::fromLatin1(tag));
        f->setGeometry(r);
        return f;
    };
    const auto check = [](QWidget* parent, const QString& name, const char* tag, const QString& text, QRect r) {
        auto* c = new QCheckBox(text, parent);
        c->setObjectName(name);
        c->setProperty("Tag", QString::fromLatin1(tag));
        c->setGeometry(r);
        return c;
    };

    // Frames whose caption sits on their top line, so that the controls at
    // their design places clear it.
    setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 7px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 5px; padding: 0 1px; }"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips(2280, 150, 5055, 6645));
    modUserRobot::ShowPicture(*Image1, QImage(modUserRobot::kBuiltInRobotPicture));

    frmMode = frame("frmMode", "7001", QStringLiteral(" Mode "), Twips(60, 60, 2145, 555));
    chkSync =
        check(frmMode, QStringLiteral("chkSync"), "7002", QStringLiteral("Syncronization"), Twips(90, 210, 1905, 285));

    const char* limbTags[5] = {"7004", "7005", "7006", "7007", "7008"};
    const char* limbTexts[5] = {"All Motors", "R_Arm", "L_Arm", "R_Leg", "L_Leg"};
    frmCapture = frame("frmCapture", "7003", QStringLiteral(" Capture "), Twips(60, 660, 2145, 1245));
    const QRect captureRects[5] = {Twips(90, 210, 1935, 315), Twips(90, 540, 915, 315), Twips(1110, 540, 915, 315),
                                   Twips(90, 870, 915, 315), Twips(1110, 870, 915, 315)};
    for (int k = 0; k < 5; ++k) {
        cmdCapture[static_cast<size_t>(k)] =
            button(frmCapture, "cmdCapture", limbTags[k], QString::fromLatin1(limbTexts[k]), captureRects[k]);
        cmdCapture[static_cast<size_t>(k)]->setObjectName(QStringLiteral("cmdCapture_%1").arg(k));
        connect(cmdCapture[static_cast<size_t>(k)], &QPushButton::clicked, this, [this, k] { cmdCapture_Click(k); });
    }
    auto* line1 = new QFrame(frmCapture);
    line1->setObjectName(QStringLiteral("Line1"));
    line1->setFrameShape(QFrame::VLine);
    line1->setFrameShadow(QFrame::Sunken);
    line1->setGeometry(Twips(1050 - 15, 540, 30, 630));

    frmCopy = frame("frmCopy", "7009", QStringLiteral(" Copy && Exchange "), Twips(60, 1950, 2145, 2535));
    const char* copyTexts[6] = {"R_Arm => L_Arm", "R_Arm <= L_Arm", "R_Arm <=> L_Arm",
                                "R_Leg => L_Leg", "R_Leg <= L_Leg", "R_Leg <=> L_Leg"};
    const char* copyTags[6] = {"7010", "7011", "7012", "7013", "7014", "7015"};
    const int copyTops[6] = {240, 600, 960, 1410, 1770, 2130};
    for (int k = 0; k < 6; ++k) {
        cmdCopy[static_cast<size_t>(k)] = button(frmCopy, "cmdCopy", copyTags[k], QString::fromLatin1(copyTexts[k]),
                                                 Twips(90, copyTops[k], 1935, 345));
        cmdCopy[static_cast<size_t>(k)]->setObjectName(QStringLiteral("cmdCopy_%1").arg(k));
        connect(cmdCopy[static_cast<size_t>(k)], &QPushButton::clicked, this, [this, k] { cmdCopy_Click(k); });
    }
    auto* line2 = new QFrame(frmCopy);
    line2->setObjectName(QStringLiteral("Line2"));
    line2->setFrameShape(QFrame::HLine);
    line2->setFrameShadow(QFrame::Sunken);
    line2->setGeometry(Twips(90, 1350 - 15, 1920, 30));

    frmEnable = frame("frmEnable", "7016", QStringLiteral(" Group Enable "), Twips(60, 4530, 2145, 1035));
    const QRect enableRects[5] = {Twips(150, 270, 1755, 225), Twips(150, 510, 915, 225), Twips(1140, 510, 915, 225),
                                  Twips(150, 750, 915, 225), Twips(1140, 750, 915, 225)};
    for (int k = 0; k < 5; ++k) {
        chkGroupEnable[static_cast<size_t>(k)] = check(frmEnable, QStringLiteral("chkGroupEnable_%1").arg(k),
                                                       limbTags[k], QString::fromLatin1(limbTexts[k]), enableRects[k]);
        connect(chkGroupEnable[static_cast<size_t>(k)], &QCheckBox::toggled, this,
                [this, k] { chkGroupEnable_Click(k); });
    }

    // The two option boxes stand one above the other around their design
    // places, each as high as it needs.
    for (int k = 0; k < 2; ++k) {
        auto* o = new QRadioButton(k == 0 ? QStringLiteral("G6") : QStringLiteral("G24"), this);
        o->setObjectName(QStringLiteral("optInsert_%1").arg(k));
        const QRect design = Twips(180, 5880, 675, 195 + 210);
        const int height = std::max(o->sizeHint().height(), platform::TwipsToPixels(195));
        o->setGeometry(design.x(), design.center().y() + (k == 0 ? -height : 0),
                       std::max(design.width(), o->sizeHint().width()), height);
        connect(o, &QRadioButton::toggled, this, [this, k](bool on) {
            if (on) optInsert_Click(k);
        });
        optInsert[static_cast<size_t>(k)] = o;
    }
    cmdInsert = button(this, "cmdInsert", "3210", QStringLiteral("Insert"), Twips(990, 5640, 1185, 375));
    connect(cmdInsert, &QPushButton::clicked, this, &frmMoveKESTRA::cmdInsert_Click);
    cmdInsert->installEventFilter(this);
    cmdWait = button(this, "cmdWait", "3213", QStringLiteral("Wait"), Twips(990, 6030, 1185, 345));
    connect(cmdWait, &QPushButton::clicked, this, &frmMoveKESTRA::cmdWait_Click);
    cmdClose = button(this, "cmdClose", "3204", QStringLiteral("Close"), Twips(90, 6420, 2085, 345));
    connect(cmdClose, &QPushButton::clicked, this, &frmMoveKESTRA::cmdClose_Click);

    // The focus sink: small, without a frame, in the Mode frame's corner.
    txt = new QLineEdit(this);
    txt->setObjectName(QStringLiteral("txt"));
    txt->setGeometry(Twips(1710, 150, 285, 270));
    txt->setFrame(false);
    // Read-only, so that it shows no caret; it takes the focus all the same.
    txt->setReadOnly(true);
    txt->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));

    QFont sliderFont(QStringLiteral("Courier"));
    sliderFont.setPointSizeF(9.75);
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        auto* s = new vxServoSlide2(this);
        s->setObjectName(QStringLiteral("servo_%1").arg(i));
        s->setFont(sliderFont);
        s->setBackColor(kServoSystemColour + 5);  // the system window colour
        // Folded to their header lines, so that a column of them fits beside
        // the picture; the pointer unfolds one at a time.
        s->setScrollView(false);
        s->resize(platform::TwipsToPixels(vxServoSlide2::kDefaultWidthTwips), s->height());
        s->hide();
        // The slider reports a new value only when its handle is let go; the
        // servo follows the handle while it is dragged instead, so that it
        // never makes the whole way in one step.  The let-go's report then
        // repeats the position last sent and is not sent again.
        connect(s, &vxServoSlide2::Scroll, this, [this, i, s] {
            dragSent_[static_cast<size_t>(i)] = SliderValue(s);
            servo_Change(i);
        });
        connect(s, &vxServoSlide2::Change, this, [this, i, s] {
            const bool sent = dragSent_[static_cast<size_t>(i)] == SliderValue(s);
            dragSent_[static_cast<size_t>(i)] = 0;
            if (!sent) servo_Change(i);
        });
        connect(s, &vxServoSlide2::Click, this, [this, i] { servo_Click(i); });
        connect(s, &vxServoSlide2::DblClick, this, [this, i] { servo_DblClick(i); });
        // An unfolded slider covers the ones below it, not the other way round.
        connect(s, &vxServoSlide2::Resize, s, [s] {
            if (s->ScrollView()) s->raise();
        });
        servo[static_cast<size_t>(i)] = s;
    }
}

// The limb boxes stand two in a row; a caption longer than its design width
// (Korean "오른다리") widens its box and moves the right one over, as far as
// the frame allows.
void frmMoveKESTRA::FitLimbBoxes() {
    const auto fit = [this] {
        bool fits = true;
        for (const auto& [left, right] : {std::pair<size_t, size_t>{1, 2}, {3, 4}}) {
            QCheckBox* l = chkGroupEnable[left];
            QCheckBox* r = chkGroupEnable[right];
            const int leftWidth = std::max(l->width(), l->sizeHint().width());
            const int rightWidth = std::max(r->width(), r->sizeHint().width());
            const int x = std::min(std::max(r->x(), l->x() + leftWidth + 2), frmEnable->width() - rightWidth - 3);
            r->setGeometry(x, r->y(), std::min(rightWidth, frmEnable->width() - x - 3), r->height());
            l->resize(x - l->x() - 2, l->height());
            fits = fits && l->width() >= l->sizeHint().width() && r->width() >= r->sizeHint().width();
        }
        return fits;
    };
    // When the frame is too narrow even so, a smaller type.
    for (int smaller = 0; !fit() && smaller < 3; ++smaller)
        for (size_t k = 1; k <= 4; ++k) {
            QFont font = chkGroupEnable[k]->font();
            font.setPointSizeF(font.pointSizeF() - 0.5);
            chkGroupEnable[k]->setFont(font);
        }
}

QWidget* frmMoveKESTRA::SlotControl(int slot) { return Slider(slot); }

vxServoSlide2* frmMoveKESTRA::Slider(int index) const {
    return modUserRobot::IsSlot(index) ? servo[static_cast<size_t>(index)] : nullptr;
}

bool frmMoveKESTRA::Yield() {
    QPointer<frmMoveKESTRA> alive(this);
    // As a link wait does: commands started from the events handled here are
    // refused or held back until this operation goes on.
    vxIO::Pump(QEventLoop::AllEvents);
    return alive && !unloaded_;
}

void frmMoveKESTRA::Form_Load() {
    QPointer<frmMoveKESTRA> alive(this);
    frmWait::Load().show();
    // The wait window goes on every way out of the load.
    struct WaitWindow {
        ~WaitWindow() { frmWait::Unload(); }
    } waitWindow;
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);
    FitLimbBoxes();
    LoadFailed = false;

    vxIO::OpenComm();
    // A port that would not open is the error to report: the stop command
    // below would only replace it by "port not open".
    const int16_t openError = vxIO::CommError;

    setWindowTitle(LoadResString(7000));
    modUserRobot::LoadRobotFile(
        modUserRobot::IsUserRobotSet() ? modUserRobot::kUserRobotFile : modUserRobot::kBuiltInRobotFile,
        modUserRobot::kMoveForm);
    modUserRobot::PlaceMotorControls(modUserRobot::kMoveForm);
    if (!alive || unloaded_) return;
    modUserRobot::ArrangeAroundPicture(modUserRobot::kMoveForm);
    move(platform::TwipsToPixels(modMain::MotorWindowLeft), platform::TwipsToPixels(modMain::MotorWindowTop));

    modMain::ParseLimitDirectives();
    if (!alive || unloaded_) return;
    if (openError != 0) {
        vxIO::CommError = openError;
    } else {
        vxIO::StopProgram();
    }

    // Every step that fails ends the load with its own code, before a
    // further byte could go out behind a broken frame; the box for it comes
    // when the window closes (Form_Activate).  A window that went meanwhile
    // ends it too.
    const auto stopped = [&] {
        if (!alive) return true;
        if (vxIO::CommError == 0) return false;
        LoadFailed = true;
        loadErrorCode_ = vxIO::CommError;
        return true;
    };
    if (stopped()) return;
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        if (!Yield()) return;
        if (Slot(i).MotorUse == 0) continue;
        vxServoSlide2* s = Slider(i);
        SetSliderMotorNo(s, i);
        const bool on = vxIO::GetMotorOn(static_cast<int16_t>(i));
        if (stopped()) return;
        int p = vxIO::ReadMotorPos(static_cast<int16_t>(i));
        if (stopped()) return;
        const modMain::MotorLimit& limit = modMain::MotorLimits[static_cast<size_t>(i)];
        if (p < limit.Min) p = limit.Min;
        if (p > limit.Max) p = limit.Max;
        // Ticking the box captures the motor and switches it on; the new
        // value moves it.  Both leave the code of their first failure.
        SetSliderCheck(s, on ? 1 : 0);
        if (stopped()) return;
        SetSliderValue(s, p);
        if (stopped()) return;
    }
    optInsert[0]->setChecked(true);
}

void frmMoveKESTRA::Form_Activate() {
    if (!LoadFailed || activated_) return;
    activated_ = true;
    frmWait::Unload();
    // The window goes first, then the box.  Closing the window closes the
    // port, which clears the link's code: the box shows the load's, kept.
    const int16_t code = loadErrorCode_;
    close();
    vxIO::ShowCommError(code);
    modApp::FocusActiveEditor();
}

void frmMoveKESTRA::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && LoadFailed) Form_Activate();
}

void frmMoveKESTRA::closeEvent(QCloseEvent* event) {
    if (!unloaded_ && vxIO::Busy()) {
        // Asked to close from inside a wait for the controller: the port
        // cannot be closed under the running exchange, so the exchange is
        // asked to end and the close is tried again shortly.
        vxIO::Abort();
        event->ignore();
        closeRetry_.start();
        return;
    }
    Form_Unload();
    vxIO::EndAbort();
    QWidget::closeEvent(event);
}

void frmMoveKESTRA::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    live_.Close();
    closeRetry_.stop();
    vxIO::CloseComm();
    modMain::MotorWindowLeft = static_cast<float>(platform::KeptTwips(modMain::MotorWindowLeft, x()));
    modMain::MotorWindowTop = static_cast<float>(platform::KeptTwips(modMain::MotorWindowTop, y()));
    modApp::MotionUnlock();
    if (g_loaded == this) g_loaded = nullptr;
    modApp::FocusActiveEditor();
}

void frmMoveKESTRA::cmdClose_Click() { close(); }

// ---- Sliders ----------------------------------------------------------------------

void frmMoveKESTRA::servo_Change(int index) {
    if (!Slider(index) || unloaded_) return;
    // Sent at once when the link is free; otherwise (inside a wait for the
    // controller, or while a broken frame keeps the line quiet) afterwards,
    // with the slider's value then.
    live_.SendOne(index);
}

bool frmMoveKESTRA::SendMove(int index) {
    vxServoSlide2* s = Slider(index);
    if (!s || unloaded_) return true;
    QPointer<frmMoveKESTRA> alive(this);
    const auto value = static_cast<uint8_t>(SliderValue(s));
    vxIO::MoveMotor(static_cast<int16_t>(index), value);
    if (!alive) return false;
    // After a link error nothing more is sent: the controller would take the
    // partner's move as the rest of the broken frame.
    if (vxIO::CommError != 0) return false;
    if (chkSync->checkState() != Qt::Checked) return true;
    const int p = Slot(index).MotorOpp;
    vxServoSlide2* partner = Slider(p);
    if (!partner) return true;
    // The partner's slider follows, and its own move goes out from there.
    SetSliderValue(partner, SliderValue(s));
    // That move failed: the queue keeps it until the line is quiet.
    if (!alive || vxIO::CommError != 0) return true;
    vxIO::MoveMotor(static_cast<int16_t>(p), value);
    return vxIO::CommError == 0;
}

void frmMoveKESTRA::servo_Click(int index) {
    if (!Slider(index) || unloaded_) return;
    // As a move: at once when the link is free, else afterwards with the
    // check box as it is then.
    live_.SendOne(index, LiveMoves::kShown, LiveMoves::Kind::Switch);
}

bool frmMoveKESTRA::SendSwitch(int index) {
    vxServoSlide2* s = Slider(index);
    if (!s || unloaded_) return true;
    QPointer<frmMoveKESTRA> alive(this);
    if (SliderCheck(s) == 0) {
        vxIO::SetMotorOn(static_cast<int16_t>(index), false);
        return !alive || vxIO::CommError == 0;
    }
    // A capture that failed on the link leaves the motor as it is.
    if (!MotorCapture(index)) return false;
    if (!alive) return false;
    vxIO::SetMotorOn(static_cast<int16_t>(index), true);
    return vxIO::CommError == 0;
}

void frmMoveKESTRA::servo_DblClick(int index) {
    if (unloaded_ || !Slider(index)) return;
    live_.Press(kCaptureSlotControl + index, [this, index] {
        MotorCapture(index);
        return true;
    });
}

bool frmMoveKESTRA::MotorCapture(int index) {
    vxServoSlide2* s = Slider(index);
    if (!s) return false;
    QPointer<frmMoveKESTRA> alive(this);
    const uint8_t v = vxIO::ReadVariable(static_cast<int16_t>(index));
    if (!alive) return false;
    // The new value moves the motor; its position is stored only when that
    // went through.
    if (vxIO::CommError == 0 && InRange(v)) {
        SetSliderValue(s, v);
        if (!alive) return false;
        if (vxIO::CommError == 0) vxIO::WritePositionPair(static_cast<int16_t>(index), v);
        if (!alive) return false;
    }
    txt->setFocus();
    return vxIO::CommError == 0;
}

// ---- Limbs --------------------------------------------------------------------------

int16_t frmMoveKESTRA::LimbOfIndex(int index) {
    switch (index) {
        case 1: return modUserRobot::RightArm;
        case 2: return modUserRobot::LeftArm;
        case 3: return modUserRobot::RightLeg;
        case 4: return modUserRobot::LeftLeg;
        default: return -1;
    }
}

void frmMoveKESTRA::chkGroupEnable_Click(int index) {
    if (index < 0 || index > 4 || unloaded_) return;
    QCheckBox* box = chkGroupEnable[static_cast<size_t>(index)];
    // While it waits its turn the box keeps the new state; pressed while the
    // link waits, it goes back and nothing is sent.
    live_.Press(
        kGroupEnableControl + index,
        [this, index] {
            GroupEnable(index);
            return true;
        },
        [box] {
            const QSignalBlocker blocker(box);
            box->setChecked(!box->isChecked());
        });
}

void frmMoveKESTRA::GroupEnable(int index) {
    QCheckBox* box = chkGroupEnable[static_cast<size_t>(index)];
    QPointer<frmMoveKESTRA> alive(this);
    const bool tick = box->isChecked();
    const int16_t limb = LimbOfIndex(index);
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        if (!Yield()) return;
        if (Slot(i).MotorUse == 0 || (index != 0 && Slot(i).MotorGroup != limb)) continue;
        vxServoSlide2* s = Slider(i);
        if (tick) {
            if (SliderCheck(s) != 0) continue;
            SetSliderCheck(s, 1);
            if (!alive) return;
            const uint8_t v = vxIO::ReadVariable(static_cast<int16_t>(i));
            if (!alive) return;
            if (InRange(v) && std::abs(SliderValue(s) - v) > 1) {
                SetSliderValue(s, v);
                if (!alive) return;
                vxIO::WritePositionPair(static_cast<int16_t>(i), v);
                if (!alive) return;
            }
            vxIO::SetMotorOn(static_cast<int16_t>(i), true);
            if (!alive) return;
        } else {
            if (SliderCheck(s) != 1) continue;
            SetSliderCheck(s, 0);
            if (!alive) return;
            vxIO::SetMotorOn(static_cast<int16_t>(i), false);
            if (!alive) return;
        }
    }
}

void frmMoveKESTRA::GroupCapture(int index) {
    // A limb's slots are the six-motor group whose letter is the limb's number.
    const vxIO::MotorGroup* group = vxIO::FindMotorGroup(6, LimbOfIndex(index));
    if (!group) return;
    QPointer<frmMoveKESTRA> alive(this);
    std::array<uint8_t, 6> b{};
    const uint8_t r = vxIO::ReadBlock6(*group, b);
    if (!alive) return;
    if (r > 254) {
        const int first = group->firstMotor;
        for (int j = 0; j < 6; ++j) {
            vxServoSlide2* s = Slider(first + j);
            const int v = b[static_cast<size_t>(j)];
            if (s && InRange(v) && std::abs(SliderValue(s) - v) > 1) {
                SetSliderValue(s, v);
                if (!alive) return;
            }
        }
    }
    txt->setFocus();
}

void frmMoveKESTRA::cmdCapture_Click(int index) {
    if (index < 0 || index > 4 || unloaded_) return;
    live_.Press(kCaptureControl + index, [this, index] {
        Capture(index);
        return true;
    });
}

void frmMoveKESTRA::Capture(int index) {
    QPointer<frmMoveKESTRA> alive(this);
    if (index != 0) {
        GroupCapture(index);
        return;
    }
    for (int k = 1; k <= 4 && alive; ++k) GroupCapture(k);
}

void frmMoveKESTRA::cmdCopy_Click(int index) {
    if (index < 0 || index > 5 || unloaded_) return;
    live_.Press(kCopyControl + index, [this, index] {
        CopyLimb(index);
        return true;
    });
}

void frmMoveKESTRA::CopyLimb(int index) {
    struct Copy {
        bool exchange;
        int16_t source;
        int16_t target;
    };
    static const Copy kCopies[6] = {
        {false, modUserRobot::RightArm, modUserRobot::LeftArm}, {false, modUserRobot::LeftArm, modUserRobot::RightArm},
        {true, modUserRobot::LeftArm, modUserRobot::RightArm},  {false, modUserRobot::RightLeg, modUserRobot::LeftLeg},
        {false, modUserRobot::LeftLeg, modUserRobot::RightLeg}, {true, modUserRobot::LeftLeg, modUserRobot::RightLeg},
    };
    const Copy& c = kCopies[index];
    QPointer<frmMoveKESTRA> alive(this);
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        if (!Yield()) return;
        const modUserRobot::MotorProperty& m = Slot(i);
        const int o = m.MotorOpp;
        // Only mutual partners on the two limbs take part.
        if (m.MotorGroup != c.source || m.MotorUse == 0 || o == i || !modUserRobot::IsSlot(o)) continue;
        const modUserRobot::MotorProperty& n = Slot(o);
        if (n.MotorUse == 0 || n.MotorGroup != c.target || n.MotorOpp != i) continue;
        vxServoSlide2* si = Slider(i);
        vxServoSlide2* so = Slider(o);
        if (!c.exchange) {
            vxIO::MoveMotor(static_cast<int16_t>(o), static_cast<uint8_t>(SliderValue(si)));
            if (!alive || vxIO::CommError != 0) return;
            SetSliderValue(so, SliderValue(si));
            if (!alive) return;
        } else {
            const int a = SliderValue(si);
            const int b = SliderValue(so);
            vxIO::MoveMotor(static_cast<int16_t>(i), static_cast<uint8_t>(b));
            if (!alive || vxIO::CommError != 0) return;
            SetSliderValue(si, b);
            if (!alive) return;
            vxIO::MoveMotor(static_cast<int16_t>(o), static_cast<uint8_t>(a));
            if (!alive || vxIO::CommError != 0) return;
            SetSliderValue(so, a);
            if (!alive) return;
        }
    }
}

// ---- Insert -------------------------------------------------------------------------

QString frmMoveKESTRA::MoveLines(const std::array<uint8_t, modUserRobot::kSlots>& position,
                                 const std::array<bool, modUserRobot::kSlots>& on, bool alternative) {
    // The groups of six by their first servo: A, D, B, C, or D, A, C, B.
    static const int kOrder[4] = {0, 18, 6, 12};
    static const int kAlternative[4] = {18, 0, 12, 6};
    const int* order = alternative ? kAlternative : kOrder;
    QString text;
    for (int g = 0; g < 4; ++g) {
        text += modMain::GroupLineHead(qvv2::CMD_MOVE, order[g]) + QStringLiteral(", ");
        for (int j = 0; j < 6; ++j) {
            const auto i = static_cast<size_t>(order[g] + j);
            if (j > 0) text += QStringLiteral(", ");
            text += on[i] ? QStringLiteral("%1").arg(position[i], 3) : QStringLiteral(" ");
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void frmMoveKESTRA::InsertLines(bool alternative) {
    if (!modApp::ActiveEditor()) return;
    std::array<uint8_t, modUserRobot::kSlots> position{};
    std::array<bool, modUserRobot::kSlots> on{};
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        position[static_cast<size_t>(i)] = static_cast<uint8_t>(SliderValue(Slider(i)));
        on[static_cast<size_t>(i)] = SliderCheck(Slider(i)) != 0;
    }
    modApp::InsertIntoActiveDocument(MoveLines(position, on, alternative), 4);
    txt->setFocus();
}

void frmMoveKESTRA::cmdInsert_Click() {
    if (unloaded_) return;
    // The lines show the sliders as the clicks and moves made before leave
    // them (a capture, a slot switched on, a partner that follows).
    live_.InTurn([this] { InsertLines(false); });
}

void frmMoveKESTRA::cmdInsert_MouseDown(int button, int shift) {
    if (unloaded_) return;
    if (button != Qt::LeftButton || shift != Qt::ControlModifier) return;
    live_.InTurn([this] { InsertLines(true); });
}

bool frmMoveKESTRA::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cmdInsert && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int button = static_cast<int>(mouse->buttons());
        const int shift = static_cast<int>(mouse->modifiers() & ~Qt::KeypadModifier);
        if (mouse->button() == Qt::LeftButton && button == Qt::LeftButton && shift == Qt::ControlModifier) {
            // The alternative order alone: the press is taken here, so the
            // button makes no click of the ordinary order.
            cmdInsert_MouseDown(button, shift);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMoveKESTRA::cmdWait_Click() {
    if (unloaded_) return;
    // After the lines of an insert that waits its turn.
    live_.InTurn([this] {
        if (modApp::InsertIntoActiveDocument(QStringLiteral("WAIT\r\n"), 1)) txt->setFocus();
    });
}

void frmMoveKESTRA::optInsert_Click(int index) { modMain::InsertG24 = index != 0; }
