#include "motion/frmZeroKESTRA.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "documents/Documents.h"
#include "documents/LocalizeForm.h"
#include "documents/StringTable.h"
#include "documents/modAPI.h"
#include "documents/modGeneral.h"
#include "protocol/modMainDelay.h"
#include "link/vxIO_Windows.h"
#include "motion/ZeroPoints.h"
#include "motion/modUserRobot.h"
#include "vxServoUpDown.h"

namespace {

QPointer<frmZeroKESTRA> g_window;

constexpr const char* kFormName = "frmZeroKESTRA";

int16_t BoxValue(const vxServoUpDown* box) { return box->Value(); }
void SetBoxValue(vxServoUpDown* box, int16_t value) { box->setValue(value); }

bool Failed() { return vxIO::CommError != 0; }

QPushButton* Button(QWidget* parent, const QString& name, const char* tag, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    if (tag) b->setProperty("Tag", QLatin1String(tag));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

frmZeroKESTRA::frmZeroKESTRA(QWidget* owner) : ZeroPoints::Window(owner, modUserRobot::kSlots, true) {
    setWindowFlag(Qt::Window, true);
    setObjectName(QLatin1String(kFormName));
    setProperty("Tag", QStringLiteral("7017"));
    setWindowTitle(QStringLiteral("VORTAN Zero Set"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(0, 0);
    modUserRobot::ShowPicture(*Image1, QImage(modUserRobot::kBuiltInZeroPicture));
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        auto* box = new vxServoUpDown(this);
        box->setObjectName(QStringLiteral("ZeroUD_%1").arg(i));
        box->setEnabled(false);
        ZeroUD[static_cast<size_t>(i)] = box;
        connect(box, &vxServoUpDown::ValueChanged, this, [this, i] { ZeroUD_ValueChanged(i); });
    }

    cmdRead = Button(this, QStringLiteral("cmdRead"), "3081", "&Read Settings");
    cmdWrite = Button(this, QStringLiteral("cmdWrite"), "3082", "&Write Settings");
    cmdInsert = Button(this, QStringLiteral("cmdInsert"), "3210", "Insert");
    cmdDefault = Button(this, QStringLiteral("cmdDefault"), "7022", "Default");
    cmdCancel = Button(this, QStringLiteral("cmdCancel"), "12", "Cancel");
    cmdClose = Button(this, QStringLiteral("cmdClose"), "13", "Close");
    EnableButtons(false);
    for (int k = 0; k < 3; ++k) {
        cmdUP[static_cast<size_t>(k)] = Button(this, QStringLiteral("cmdUP_%1").arg(k), nullptr, "up");
        cmdDown[static_cast<size_t>(k)] = Button(this, QStringLiteral("cmdDown_%1").arg(k), nullptr, "down");
        connect(cmdUP[static_cast<size_t>(k)], &QPushButton::clicked, this, [this, k] { cmdUP_Click(k); });
        connect(cmdDown[static_cast<size_t>(k)], &QPushButton::clicked, this, [this, k] { cmdDown_Click(k); });
    }
    Label1 = new QLabel(QStringLiteral("Progress"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setProperty("Tag", QStringLiteral("4750"));
    pb = new QProgressBar(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setTextVisible(false);

    connect(cmdRead, &QPushButton::clicked, this, &frmZeroKESTRA::cmdRead_Click);
    connect(cmdWrite, &QPushButton::clicked, this, &frmZeroKESTRA::cmdWrite_Click);
    connect(cmdInsert, &QPushButton::clicked, this, &frmZeroKESTRA::cmdInsert_Click);
    connect(cmdDefault, &QPushButton::clicked, this, &frmZeroKESTRA::cmdDefault_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmZeroKESTRA::cmdCancel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmZeroKESTRA::cmdClose_Click);

    Form_Load();
}

bool frmZeroKESTRA::ShowWindow(QWidget* owner) { return ZeroPoints::ShowSingleWindow(g_window, owner); }

frmZeroKESTRA* frmZeroKESTRA::Loaded() { return g_window.data(); }

QWidget* frmZeroKESTRA::SlotControl(int slot) {
    return modUserRobot::IsSlot(slot) ? ZeroUD[static_cast<size_t>(slot)] : nullptr;
}

QWidget* frmZeroKESTRA::CloseButton() { return cmdClose; }

bool frmZeroKESTRA::SlotUsed(int slot) {
    if (slot < 0 || slot >= modUserRobot::kSlots) return false;
    return modUserRobot::MotorTable[static_cast<size_t>(slot)].MotorUse != 0;
}

void frmZeroKESTRA::Form_Load() {
    DefaultPose.fill(100);
    DefaultPose[1] = DefaultPose[19] = 76;
    DefaultPose[2] = DefaultPose[20] = 145;
    DefaultPose[3] = DefaultPose[21] = 93;
    DefaultDirBytes = {201, 15, 88};
    modAPI::DisableCloseItem(this);
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);
    setWindowTitle(LoadResString(7017));
    const QString form = QLatin1String(kFormName);
    modUserRobot::LoadRobotFile(modUserRobot::kBuiltInRobotFile, form);
    modUserRobot::PlaceMotorControls(form);
    PlaceButtons();
    modUserRobot::ArrangeAroundPicture(form);
    setFixedSize(size());
    SetProgress(0);
}

void frmZeroKESTRA::PlaceButtons() {
    constexpr int kPanelWidth = 140;
    const int left = Image1->x() + std::max(0, Image1->width() - kPanelWidth - 20);
    int top = Image1->y() + 22;
    for (QPushButton* b : {cmdRead, cmdWrite, cmdInsert, cmdDefault, cmdCancel}) {
        b->setGeometry(left, top, kPanelWidth, 26);
        top += 30;
    }
    top += 16;
    for (size_t k = 0; k < cmdUP.size(); ++k) {
        cmdUP[k]->setGeometry(left, top, kPanelWidth / 2 - 2, 24);
        cmdDown[k]->setGeometry(left + kPanelWidth / 2 + 2, top, kPanelWidth / 2 - 2, 24);
        top += 28;
    }
    top += 20;
    Label1->setGeometry(left, top, kPanelWidth, 18);
    pb->setGeometry(left, top + 20, kPanelWidth, 14);
    // Where the robot table puts it for a picture of the window's own size;
    // ArrangeAroundPicture moves it to the corner of the picture shown.
    cmdClose->setGeometry(Image1->x() + Image1->width() - 90, Image1->y() + Image1->height() - 32, 80, 24);
}

// ---- Read ------------------------------------------------------------------------

void frmZeroKESTRA::cmdRead_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        if (!ReadSteps()) {
            // The code of the step that failed, shown before the box closes
            // the link.
            vxIO::ShowCommError(vxIO::CommError);
        }
    }
    AfterOperation();
}

bool frmZeroKESTRA::ReadSteps() {
    vxIO::OpenComm();
    if (Failed()) return false;
    vxIO::StopProgram();
    if (Failed()) return false;
    SetProgress(1);
    modMain::Delay(100);
    for (int k = 0; k < 3; ++k) {
        if (k == 1) SetProgress(5);
        if (k == 2) SetProgress(10);
        ZeroPoints::ReadPositionBlock(k, ServoPos.data(), ServoPos.size());
        if (Failed()) return false;
        ZeroPoints::Yield();
    }
    SetProgress(15);
    vxIO::WriteMemory(ZeroPoints::kControlAddress, ZeroPoints::kControlHold);
    if (Failed()) return false;
    SetProgress(16);
    for (int16_t i = 0; i < modUserRobot::kSlots; ++i) {
        const uint8_t position = ServoPos[static_cast<size_t>(i)];
        if (SlotUsed(i) && ZeroPoints::UsablePosition(position)) {
            vxIO::WriteMemory(ZeroPoints::kPositionAddress + i, position);
            if (Failed()) return false;
            vxIO::SetMotorOn(i, true);
            if (Failed()) return false;
        }
        SetProgress(17 + i);
        ZeroPoints::Yield();
    }
    vxIO::WriteMemory(ZeroPoints::kControlAddress, ZeroPoints::kControlRun);
    if (Failed()) return false;
    SetProgress(41);
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        if (!SlotUsed(i)) continue;
        const uint8_t zeroByte = vxIO::ReadMemory(ZeroPoints::kZeroAddress + i);
        if (Failed()) return false;
        const int16_t value = ZeroPoints::ByteToValue(zeroByte);
        SetBoxValue(ZeroUD[static_cast<size_t>(i)], value);
        ZeroDefault[static_cast<size_t>(i)] = static_cast<uint8_t>(value);
        SetProgress(42 + i);
        ZeroPoints::Yield();
    }
    for (int k = 0; k < 3; ++k) {
        vxIO::WriteMemory(ZeroPoints::kDirectionAddress + k, DefaultDirBytes[static_cast<size_t>(k)]);
        if (Failed()) return false;
        SetProgress(66 + k);
        ZeroPoints::Yield();
    }
    for (int i = 0; i < modUserRobot::kSlots; ++i) {
        if (!SlotUsed(i)) continue;
        vxIO::WriteMemory(ZeroPoints::kPoseAddress + i, DefaultPose[static_cast<size_t>(i)]);
        if (Failed()) return false;
        SetProgress(69 + i);
        ZeroPoints::Yield();
    }
    // Every slot on, in one go.
    for (int16_t i = 0; i < modUserRobot::kSlots; ++i) {
        vxIO::SetMotorOn(i, true);
        if (Failed()) return false;
    }
    SetProgress(96);
    for (int i = 0; i < modUserRobot::kSlots; ++i)
        if (SlotUsed(i)) ZeroUD[static_cast<size_t>(i)]->setEnabled(true);
    EnableButtons(true);
    ReadDone = true;
    SetProgress(100);
    return true;
}

// ---- Write -------------------------------------------------------------------------

void frmZeroKESTRA::cmdWrite_Click() {
    {
        const ZeroPoints::Operation op(running_);
        // Only values that a completed Read put into the boxes are stored.
        if (!op || !ReadDone) return;
        for (int i = 0; i < modUserRobot::kSlots; ++i) {
            if (SlotUsed(i)) {
                const int16_t value = BoxValue(ZeroUD[static_cast<size_t>(i)]);
                const uint8_t zeroByte = ZeroPoints::ValueToByte(value);
                vxIO::WriteMemory(ZeroPoints::kZeroAddress + i, zeroByte);
                if (Failed()) break;
                vxIO::WriteEeprom(ZeroPoints::kZeroEeprom + i, zeroByte);
                if (Failed()) break;
                ZeroDefault[static_cast<size_t>(i)] = static_cast<uint8_t>(value);
                modMain::Delay(100);
            }
            SetProgress(static_cast<float>((i + 1) * 100 / modUserRobot::kSlots));
        }
        if (Failed()) vxIO::ShowCommError(vxIO::CommError);
    }
    AfterOperation();
}

// ---- Live changes and nudges -------------------------------------------------------

void frmZeroKESTRA::ZeroUD_ValueChanged(int index) {
    if (index < 0 || index >= modUserRobot::kSlots || !ReadDone) return;
    vxServoUpDown* box = ZeroUD[static_cast<size_t>(index)];
    if (ZeroPoints::HoldToRange(box)) return;
    WriteLive(index);
}

bool frmZeroKESTRA::WriteLiveNow(int index) {
    if (index < 0 || index >= modUserRobot::kSlots || !ReadDone) return true;
    const vxIO::Exchange exchange;
    if (!exchange) return true;
    // This window leaves a failed live write unreported; the queue tries it
    // again once the line is quiet.
    vxIO::WriteMemory(ZeroPoints::kZeroAddress + index,
                      ZeroPoints::ValueToByte(BoxValue(ZeroUD[static_cast<size_t>(index)])));
    return vxIO::CommError == 0;
}

void frmZeroKESTRA::Nudge(int pair, int16_t step) {
    if (pair < 0 || pair >= 3) return;
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        for (int slot : kPairs[static_cast<size_t>(pair)]) {
            vxServoUpDown* box = ZeroUD[static_cast<size_t>(slot)];
            SetBoxValue(box, static_cast<int16_t>(BoxValue(box) + step));
        }
    }
    AfterOperation();
}

void frmZeroKESTRA::cmdUP_Click(int index) { Nudge(index, 1); }
void frmZeroKESTRA::cmdDown_Click(int index) { Nudge(index, -1); }

// ---- Insert, Default, Cancel, Close --------------------------------------------------

void frmZeroKESTRA::cmdInsert_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        std::array<int16_t, modUserRobot::kSlots> values{};
        for (size_t i = 0; i < values.size(); ++i) values[i] = BoxValue(ZeroUD[i]);
        modApp::InsertIntoActiveDocument(ZeroPoints::ZeroLines(values), 4);
    }
    AfterOperation();
}

void frmZeroKESTRA::cmdDefault_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        for (int i = 0; i < modUserRobot::kSlots; ++i) {
            if (!SlotUsed(i)) continue;
            SetBoxValue(ZeroUD[static_cast<size_t>(i)], ZeroDefault[static_cast<size_t>(i)]);
            SetProgress(static_cast<float>((i + 1) * 100 / modUserRobot::kSlots));
            ZeroPoints::Yield();
        }
    }
    AfterOperation();
}

void frmZeroKESTRA::cmdCancel_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        // The values read go back into the boxes and, while ReadDone still
        // holds, into the controller's working copy.
        for (int i = 0; i < modUserRobot::kSlots; ++i) {
            if (!SlotUsed(i)) continue;
            vxServoUpDown* box = ZeroUD[static_cast<size_t>(i)];
            SetBoxValue(box, ZeroDefault[static_cast<size_t>(i)]);
            box->setEnabled(false);
        }
        ReadDone = false;
        EnableButtons(false);
    }
    AfterOperation();
}
