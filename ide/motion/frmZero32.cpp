#include "motion/frmZero32.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <functional>

#include "documents/Documents.h"
#include "documents/LocalizeForm.h"
#include "documents/modAPI.h"
#include "documents/modGeneral.h"
#include "protocol/modMainDelay.h"
#include "link/vxIO_Windows.h"
#include "motion/ZeroPoints.h"
#include "vxServoDIR.h"
#include "vxServoUpDown.h"

namespace {

namespace map = qvv2::controller;

QPointer<frmZero32> g_window;

int16_t BoxValue(const vxServoUpDown* box) { return box->Value(); }
void SetBoxValue(vxServoUpDown* box, int16_t value) { box->setValue(value); }
int16_t ToggleValue(const vxServoDIR* toggle) { return toggle->Value(); }
void SetToggleValue(vxServoDIR* toggle, int16_t value) { toggle->setValue(value); }

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(96);
    b->setAutoDefault(false);
    return b;
}

bool Failed() { return vxIO::CommError != 0; }

// The servo grid of a page: servos 0..count - 1, one row per group of six
// (G6A..G6D labelled, the servos after them in more rows), each cell the
// servo's number over its control.  The controls of the servos after them
// are hidden.
template <typename Control>
void FillGrid(QGroupBox* frame, const std::array<Control*, map::kServoSlots>& controls,
              std::array<QLabel*, map::kServoSlots>* numbers, std::array<QLabel*, 4>* groups, int count) {
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(10, 12, 10, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(2);
    static const char* const kGroupNames[4] = {"G6A", "G6B", "G6C", "G6D"};
    for (size_t i = static_cast<size_t>(count); i < controls.size(); ++i) controls[i]->hide();
    for (int row = 0; row * 6 < count; ++row) {
        if (row < 4) {
            auto* group = new QLabel(QString::fromLatin1(kGroupNames[row]), frame);
            QFont bold = group->font();
            bold.setBold(true);
            group->setFont(bold);
            if (groups) {
                group->setObjectName(QStringLiteral("Label2_%1").arg(row));
                (*groups)[static_cast<size_t>(row)] = group;
            }
            grid->addWidget(group, 2 * row + 1, 0, Qt::AlignVCenter | Qt::AlignRight);
        }
        for (int c = 0; c < 6 && row * 6 + c < count; ++c) {
            const int i = row * 6 + c;
            auto* number = new QLabel(QString::number(i), frame);
            number->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            if (numbers) {
                number->setObjectName(QStringLiteral("lblServoNo_%1").arg(i));
                (*numbers)[static_cast<size_t>(i)] = number;
            }
            grid->addWidget(number, 2 * row, c + 1, Qt::AlignHCenter | Qt::AlignBottom);
            grid->addWidget(controls[static_cast<size_t>(i)], 2 * row + 1, c + 1, Qt::AlignHCenter);
        }
    }
    grid->setRowStretch(12, 1);
}

}  // namespace

frmZero32::frmZero32(QWidget* owner)
    : ZeroPoints::Window(owner, map::kServoSlots, false), Servos(map::LinkModel(vxIO::Model()).servos) {
    setWindowFlag(Qt::Window, true);
    setObjectName(QStringLiteral("frmZero32"));
    setProperty("Tag", QStringLiteral("4515"));
    setWindowTitle(QStringLiteral("24 Servos Zero Setting Window"));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    auto* pageZero = new QWidget(SSTab1);
    auto* pageDir = new QWidget(SSTab1);
    frameZero = new QGroupBox(QStringLiteral(" Zero "), pageZero);
    frameZero->setObjectName(QStringLiteral("frameZero"));
    frameDIR = new QGroupBox(QStringLiteral(" DIR "), pageDir);
    frameDIR->setObjectName(QStringLiteral("frameDIR"));
    for (int i = 0; i < map::kServoSlots; ++i) {
        auto* box = new vxServoUpDown(frameZero);
        box->setObjectName(QStringLiteral("ZeroUD_%1").arg(i));
        // The box has no size of its own for a layout: it keeps the one it
        // was made with.
        box->setFixedSize(box->size());
        ZeroUD[static_cast<size_t>(i)] = box;
        connect(box, &vxServoUpDown::ValueChanged, this, [this, i] { ZeroUD_ValueChanged(i); });
        auto* toggle = new vxServoDIR(frameDIR);
        toggle->setObjectName(QStringLiteral("Sdir_%1").arg(i));
        Sdir[static_cast<size_t>(i)] = toggle;
        connect(toggle, &vxServoDIR::Click, this, [this, i] { Sdir_Click(i); });
    }
    FillGrid(frameZero, ZeroUD, &lblServoNo, &Label2, Servos);
    FillGrid<vxServoDIR>(frameDIR, Sdir, nullptr, nullptr, Servos);
    for (auto [page, frame] : {std::pair{pageZero, frameZero}, std::pair{pageDir, frameDIR}}) {
        auto* l = new QVBoxLayout(page);
        l->setContentsMargins(6, 6, 6, 6);
        l->addWidget(frame);
    }
    SSTab1->addTab(pageZero, QStringLiteral("Zero"));
    SSTab1->addTab(pageDir, QStringLiteral("DIR"));

    cmdRead = Button(this, "cmdRead", "Read");
    cmdWrite = Button(this, "cmdWrite", "Write");
    cmdInsert = Button(this, "cmdInsert", "Insert");
    cmdDefault = Button(this, "cmdDefault", "Default");
    cmdCancel = Button(this, "cmdCancel", "Cancel");
    cmdClose = Button(this, "cmdClose", "Close");
    EnableButtons(false);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Label1 = new QLabel(QStringLiteral("Progress :"), Picture1);
    Label1->setObjectName(QStringLiteral("Label1"));
    pb = new QProgressBar(Picture1);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setTextVisible(false);
    auto* progress = new QHBoxLayout(Picture1);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->addWidget(Label1);
    progress->addWidget(pb, 1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    for (QPushButton* b : {cmdRead, cmdWrite, cmdInsert, cmdDefault, cmdCancel}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto* top = new QHBoxLayout;
    top->addWidget(SSTab1, 1);
    top->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->addLayout(top, 1);
    outer->addWidget(Picture1);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdRead, &QPushButton::clicked, this, &frmZero32::cmdRead_Click);
    connect(cmdWrite, &QPushButton::clicked, this, &frmZero32::cmdWrite_Click);
    connect(cmdInsert, &QPushButton::clicked, this, &frmZero32::cmdInsert_Click);
    connect(cmdDefault, &QPushButton::clicked, this, &frmZero32::cmdDefault_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmZero32::cmdCancel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmZero32::cmdClose_Click);
    connect(SSTab1, &QTabWidget::currentChanged, this, &frmZero32::SSTab1_Click);

    Form_Load();
}

bool frmZero32::ShowWindow(QWidget* owner) { return ZeroPoints::ShowSingleWindow(g_window, owner); }

void frmZero32::Form_Load() {
    modAPI::DisableCloseItem(this);
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);
    ActivePage = 0;
    frameZero->setEnabled(true);
    frameDIR->setEnabled(false);
    SetProgress(0);
}

// ---- Read ------------------------------------------------------------------------

void frmZero32::ReadAfterOpen() {
    ZeroReadDone = false;
    ZeroReadError = ReadZeroPart();
    ZeroReadDone = ZeroReadError == 0;
    const int16_t dirError = ReadDirectionPart();
    if (dirError != 0) {
        // Both parts are reported by the first failure: the zero part's
        // when it failed too.
        vxIO::ShowCommError(ZeroReadError != 0 ? ZeroReadError : dirError);
        vxIO::CloseComm();
    } else if (ZeroReadError != 0) {
        // The directions were read and stay usable on the open link; the
        // zero points were not.
        ZeroPoints::ShowErrorKeepingLink(ZeroReadError);
    }
}

void frmZero32::cmdRead_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        vxIO::OpenComm();
        if (Failed()) {
            // Reported, and the held changes and a close asked for meanwhile
            // still follow below.
            vxIO::ShowCommError(vxIO::CommError);
        } else {
            ReadAfterOpen();
        }
    }
    AfterOperation();
}

int16_t frmZero32::ReadZeroPart() {
    modMain::Delay(200);
    vxIO::StopProgram();
    if (Failed()) return vxIO::CommError;
    vxIO::StopProgram();
    if (Failed()) return vxIO::CommError;
    SetProgress(1);
    modMain::Delay(100);
    for (int16_t i = 0; i < Servos; ++i) {
        vxIO::SetMotorOn(i, false);
        if (Failed()) return vxIO::CommError;
        SetProgress(i + 1);
        ZeroPoints::Yield();
    }
    for (int k = 0; 8 * k < Servos; ++k) {
        ZeroPoints::ReadPositionBlock(k, ServoPos.data(), ServoPos.size());
        if (Failed()) return vxIO::CommError;
        SetProgress(33 + k);
        ZeroPoints::Yield();
    }
    vxIO::WriteMemory(ZeroPoints::kControlAddress, ZeroPoints::kControlHold);
    if (Failed()) return vxIO::CommError;
    SetProgress(37);
    for (int16_t i = 0; i < Servos; ++i) {
        const uint8_t position = ServoPos[static_cast<size_t>(i)];
        if (ZeroPoints::UsablePosition(position)) {
            vxIO::WriteMemory(ZeroPoints::kPositionAddress + i, position);
            if (Failed()) return vxIO::CommError;
            vxIO::SetMotorOn(i, true);
            if (Failed()) return vxIO::CommError;
        }
        SetProgress(38 + i);
        ZeroPoints::Yield();
    }
    vxIO::WriteMemory(ZeroPoints::kControlAddress, ZeroPoints::kControlRun);
    if (Failed()) return vxIO::CommError;
    SetProgress(68);
    for (int i = 0; i < Servos; ++i) {
        const uint8_t zeroByte = vxIO::ReadMemory(ZeroPoints::kZeroAddress + i);
        if (Failed()) return vxIO::CommError;
        const int16_t value = ZeroPoints::ByteToValue(zeroByte);
        SetBoxValue(ZeroUD[static_cast<size_t>(i)], value);
        ZeroDefault[static_cast<size_t>(i)] = static_cast<uint8_t>(value);
        SetProgress(69 + i);
        ZeroPoints::Yield();
    }
    frameZero->setEnabled(true);
    EnableButtons(true);
    ReadDone = true;
    return 0;
}

int16_t frmZero32::ReadDirectionPart() {
    for (int k = 0; k < map::kDirectionBytes; ++k) {
        DirBytes[static_cast<size_t>(k)] = vxIO::ReadMemory(ZeroPoints::kDirectionAddress + k);
        if (Failed()) return vxIO::CommError;
        SetProgress(static_cast<float>((k + 1) * 25));
    }
    frameDIR->setEnabled(true);
    EnableButtons(true);
    ReadDone = true;
    for (int i = 0; i < map::kServoSlots; ++i) DirFlags[static_cast<size_t>(i)] = ZeroPoints::DirectionBit(DirBytes, i) ? 255 : 0;
    ShowDirections();
    return 0;
}

void frmZero32::ShowDirections() {
    for (size_t i = 0; i < Sdir.size(); ++i) SetToggleValue(Sdir[i], DirFlags[i] != 0 ? 1 : 0);
}

uint8_t frmZero32::DirectionByteOf(int k) const {
    std::array<int16_t, 8> values{};
    for (int j = 0; j < 8; ++j) values[static_cast<size_t>(j)] = ToggleValue(Sdir[static_cast<size_t>(8 * k + j)]);
    return ZeroPoints::DirectionByte(values);
}

// ---- Write -------------------------------------------------------------------------

void frmZero32::cmdWrite_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op || !ReadDone) return;
        // Zero values that were never read are not stored: the EEPROM would
        // take the boxes' unread values for good.
        int16_t zeroError = 0;
        if (!ZeroReadDone) {
            zeroError = ZeroReadError != 0 ? ZeroReadError : static_cast<int16_t>(vxIO::kErrGroupRead);
        } else {
            for (int i = 0; i < Servos; ++i) {
                const uint8_t zeroByte = ZeroPoints::ValueToByte(BoxValue(ZeroUD[static_cast<size_t>(i)]));
                vxIO::WriteEeprom(ZeroPoints::kZeroEeprom + i, zeroByte);
                if (Failed()) {
                    zeroError = vxIO::CommError;
                    break;
                }
                SetProgress(static_cast<float>((i + 1) * 100 / Servos));
                modMain::Delay(100);
            }
        }
        bool directionsStored = true;
        for (int k = 0; k < map::kDirectionBytes && directionsStored; ++k) {
            vxIO::WriteEeprom(ZeroPoints::kDirectionEeprom + k, DirectionByteOf(k));
            if (Failed()) {
                vxIO::ShowCommError(vxIO::CommError);
                directionsStored = false;
            }
        }
        // The directions are stored; the zero part's failure is still news.
        if (directionsStored && zeroError != 0) ZeroPoints::ShowErrorKeepingLink(zeroError);
    }
    AfterOperation();
}

// ---- Live changes ------------------------------------------------------------------

bool frmZero32::TakesLiveChanges() const { return cmdWrite->isEnabled() && ReadDone && ZeroReadDone; }

void frmZero32::ZeroUD_ValueChanged(int index) {
    if (index < 0 || index >= Servos) return;
    if (!TakesLiveChanges()) return;
    if (ZeroPoints::HoldToRange(ZeroUD[static_cast<size_t>(index)])) return;
    WriteLive(index);
}

bool frmZero32::WriteLiveNow(int index) {
    if (index < 0 || index >= Servos || !TakesLiveChanges()) return true;
    const vxIO::Exchange exchange;
    if (!exchange) return true;
    const int16_t value = BoxValue(ZeroUD[static_cast<size_t>(index)]);
    vxIO::WriteMemory(ZeroPoints::kZeroAddress + index, ZeroPoints::ValueToByte(value));
    // A failure is reported, and its box closes the link: the write is not
    // tried again.
    if (Failed()) vxIO::ShowCommError(vxIO::CommError);
    return true;
}

void frmZero32::Sdir_Click(int index) {
    if (index < 0 || index >= Servos) return;
    if (!cmdWrite->isEnabled()) return;
    // Clicked while an operation waits: the toggle keeps its value.
    if (running_) return;
    vxServoDIR* toggle = Sdir[static_cast<size_t>(index)];
    // The toggle shows its new value, also while its direction byte waits
    // for its turn; refused, or dropped after a failure, it goes back.
    const int16_t before = ToggleValue(toggle);
    const auto putBack = [toggle, before] { SetToggleValue(toggle, before); };
    SetToggleValue(toggle, before == 1 ? 0 : 1);
    Click(index, [this, index] { return WriteDirectionByte(index / 8); }, putBack, putBack);
}

bool frmZero32::WriteDirectionByte(int k) {
    // Cancelled meanwhile: the window no longer writes.
    if (!cmdWrite->isEnabled()) return true;
    const vxIO::Exchange exchange;
    if (!exchange) return true;
    vxIO::WriteMemory(ZeroPoints::kDirectionAddress + k, DirectionByteOf(k));
    if (!Failed()) return true;
    vxIO::ShowCommError(vxIO::CommError);
    return false;
}

void frmZero32::SSTab1_Click(int tab) {
    const QString caption = SSTab1->tabText(tab).remove(u'&');
    if (caption == QLatin1String("Zero")) {
        ActivePage = 0;
        frameZero->setEnabled(true);
        frameDIR->setEnabled(false);
    } else if (caption == QLatin1String("DIR")) {
        ActivePage = 1;
        frameZero->setEnabled(false);
        frameDIR->setEnabled(true);
    }
}

// ---- Insert, Default, Cancel, Close --------------------------------------------------

void frmZero32::cmdInsert_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        std::array<int16_t, map::kHumanoidServos> values{};
        QString text;
        if (ActivePage == 0) {
            for (size_t i = 0; i < values.size(); ++i) values[i] = BoxValue(ZeroUD[i]);
            text = ZeroPoints::ZeroLines(values);
        } else if (ActivePage == 1) {
            for (size_t i = 0; i < values.size(); ++i) values[i] = ToggleValue(Sdir[i]);
            text = ZeroPoints::DirLines(values);
        }
        if (!text.isEmpty()) modApp::InsertIntoActiveDocument(text + QStringLiteral("\r\n"), 6);
    }
    AfterOperation();
}

void frmZero32::cmdDefault_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        // Zero values come back only when they were read.
        if (ZeroReadDone) {
            for (int i = 0; i < Servos; ++i) {
                SetBoxValue(ZeroUD[static_cast<size_t>(i)], ZeroDefault[static_cast<size_t>(i)]);
                SetProgress(static_cast<float>((i + 1) * 100 / Servos));
                ZeroPoints::Yield();
            }
        }
        for (int i = 0; i < Servos; ++i) {
            SetToggleValue(Sdir[static_cast<size_t>(i)], DirFlags[static_cast<size_t>(i)] != 0 ? 1 : 0);
            SetProgress(static_cast<float>((i + 1) * 100 / Servos));
            ZeroPoints::Yield();
        }
    }
    AfterOperation();
}

void frmZero32::cmdCancel_Click() {
    {
        const ZeroPoints::Operation op(running_);
        if (!op) return;
        ReadDone = false;
        EnableButtons(false);
    }
    AfterOperation();
}
