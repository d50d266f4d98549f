#include "link/frmRun.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "compiler/QUARVELv2.h"
#include "documents/LocalizeForm.h"
#include "documents/StringTable.h"
#include "documents/modGeneral.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "link/vxIO_Windows.h"
#include "platform/MsgBox.h"
#include "platform/Twips.h"
#include "platform/UiLanguage.h"
#include "protocol/bootup_modMain.h"

namespace {

frmRun* g_loaded = nullptr;

const QString kCrLf = QStringLiteral("\r\n");

// A progress track and its bar: the bar sits inside the track at its left
// edge and only its width changes.
QFrame* Track(QWidget* parent, const char* name) {
    auto* track = new QFrame(parent);
    track->setObjectName(QLatin1String(name));
    track->setProperty("vbType", QStringLiteral("Shape"));
    track->setFixedSize(260, 14);
    track->setStyleSheet(QStringLiteral("QFrame { background-color: #ffffff; border: 1px solid #7a7a7a; }"));
    return track;
}

QFrame* Bar(QFrame* track, const char* name) {
    auto* bar = new QFrame(track);
    bar->setObjectName(QLatin1String(name));
    bar->setProperty("vbType", QStringLiteral("Shape"));
    bar->setStyleSheet(QStringLiteral("QFrame { background-color: #2a62c9; border: none; }"));
    bar->setGeometry(0, 0, 0, track->height());
    return bar;
}

QLabel* Caption(QWidget* parent, const char* name, const char* tag, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setProperty("Tag", QLatin1String(tag));
    return label;
}

// The file name part of a path (after its last backslash or slash).
QString FileNameOf(const std::u16string& path) {
    const QString p = QString::fromStdU16String(path);
    const int cut = std::max(p.lastIndexOf(QLatin1Char('\\')), p.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? p : p.mid(cut + 1);
}

}  // namespace

frmRun::frmRun(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmRun"));
    setProperty("Tag", QStringLiteral("3151"));
    setWindowTitle(QStringLiteral("Download Window"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 12, 14, 12);
    outer->setSpacing(8);

    auto* programRow = new QHBoxLayout;
    Label5 = Caption(this, "Label5", "3152", "Program :");
    lblProgram = new QLabel(this);
    lblProgram->setObjectName(QStringLiteral("lblProgram"));
    QFont bold = lblProgram->font();
    bold.setBold(true);
    lblProgram->setFont(bold);
    lblProgram->setTextInteractionFlags(Qt::TextSelectableByMouse);
    programRow->addWidget(Label5);
    programRow->addWidget(lblProgram, 1);
    outer->addLayout(programRow);

    Label1 = Caption(this, "Label1", "3153", "Press <OK> button, download codes to controller.");
    outer->addWidget(Label1);

    lblCompileMsg = new QLabel(this);
    lblCompileMsg->setObjectName(QStringLiteral("lblCompileMsg"));
    outer->addWidget(lblCompileMsg);

    // The buttons and the progress frame share the bottom of the window: the
    // frame takes the buttons' place once OK is pressed.
    auto* bottom = new QGridLayout;
    bottom_ = bottom;
    bottom->setContentsMargins(0, 4, 0, 0);

    FrameDown = new QGroupBox(QStringLiteral(" Download Status "), this);
    FrameDown->setObjectName(QStringLiteral("FrameDown"));
    FrameDown->setProperty("Tag", QStringLiteral("3154"));
    auto* bars = new QGridLayout(FrameDown);
    bars->setContentsMargins(10, 8, 10, 10);
    bars->setHorizontalSpacing(10);
    bars->setVerticalSpacing(8);
    Label2 = Caption(FrameDown, "Label2", "3155", "Download :");
    ShpDownBack = Track(FrameDown, "ShpDownBack");
    ShpDownloadState = Bar(ShpDownBack, "ShpDownloadState");
    Label3 = Caption(FrameDown, "Label3", "3156", "Verify :");
    ShpVeriBack = Track(FrameDown, "ShpVeriBack");
    ShpCodeVerifyState = Bar(ShpVeriBack, "ShpCodeVerifyState");
    bars->addWidget(Label2, 0, 0);
    bars->addWidget(ShpDownBack, 0, 1, Qt::AlignLeft | Qt::AlignVCenter);
    bars->addWidget(Label3, 1, 0);
    bars->addWidget(ShpVeriBack, 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    bars->setColumnStretch(1, 1);
    FrameDown->hide();

    auto* buttons = new QWidget(this);
    buttons->setObjectName(QStringLiteral("buttonRow"));
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addStretch(1);
    cmdOK = new QPushButton(QStringLiteral("OK"), buttons);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setProperty("Tag", QStringLiteral("11"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setMinimumWidth(88);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), buttons);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setProperty("Tag", QStringLiteral("12"));
    cmdCancel->setAutoDefault(false);
    cmdCancel->setMinimumWidth(88);
    buttonRow->addWidget(cmdOK);
    buttonRow->addWidget(cmdCancel);

    bottom->addWidget(FrameDown, 0, 0);
    bottom->addWidget(buttons, 0, 0);
    // The frame's width even while it is hidden, so the window keeps its
    // width when the frame takes the buttons' place.
    bottom->setColumnMinimumWidth(0, FrameDown->sizeHint().width());
    outer->addLayout(bottom);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmRun::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmRun::cmdCancel_Click);

    g_loaded = this;
    Form_Load();
}

frmRun::~frmRun() {
    if (g_loaded == this) g_loaded = nullptr;
}

frmRun* frmRun::Loaded() { return g_loaded; }

void frmRun::ShowModal(QWidget* owner) {
    // Asked for while another controller exchange waits: nothing happens.
    if (vxIO::Busy()) return;
    QPointer<frmRun> window = new frmRun(owner);
    window->exec();
    delete window.data();
}

void frmRun::Form_Load() {
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);
    LoadFirmwareImage();
    const qvv2::QUARVELv2& basic = modMain::Basic();
    lblProgram->setText(FileNameOf(basic.Filename));
    lblCompileMsg->setText(LoadResString(3159) + QString::number(basic.TotalBytes) + LoadResString(3160));
    // The frame's captions may have grown with the language.
    if (bottom_) bottom_->setColumnMinimumWidth(0, FrameDown->sizeHint().width());
}

void frmRun::LoadFirmwareImage() {
    FirmwarePackage = Firmware::Load();
    FirmwareImage = FirmwarePackage.Image;
    FirmwareLastIndex = static_cast<int32_t>(FirmwareImage.size()) - 1;
}

bool frmRun::IsOldFirmware(uint8_t major, uint8_t minor, int32_t word) {
    // major + minor x 0.1, compared in tenths.
    switch (int(major) * 10 + int(minor)) {
    case 23: return word == 3529;
    case 24:
    case 25:
    case 26: return true;
    default: return false;
    }
}

void frmRun::cmdOK_Click() {
    if (busy_) return;
    // The version check, the update and the download are one exchange.
    const vxIO::Exchange exchange;
    if (!exchange) return;
    busy_ = true;
    QPointer<frmRun> self = this;

    cmdOK->hide();
    cmdCancel->hide();
    FrameDown->show();
    vxIO::CommError = 0;

    if (qvv2::controller::TypeOf(modMain::ControllerType).firmwareCheck) {
        // A check that gave up on a slow controller leaves its reply on the
        // way: the link keeps the line quiet before the download's first
        // byte, and a reply that comes meanwhile starts that time again.
        if (bootup_modMain::ReadFirmwareVersion() && bootup_modMain::FirmwareKind == 2 &&
            IsOldFirmware(bootup_modMain::FirmwareMajor, bootup_modMain::FirmwareMinor,
                          bootup_modMain::FirmwareWord)) {
            if (FirmwarePackage.Usable()) {
                const QString question = LoadResString(5003) + kCrLf + LoadResString(5004) + kCrLf +
                                         LoadResString(5005) + kCrLf + LoadResString(5006);
                const bool update =
                    platform::MsgBox(question, platform::vbOKCancel, LoadResString(5007), this) != platform::vbCancel;
                // A close of the program asked for while the question stood
                // starts no update.
                if (update && !closeAsked_) UpdateFirmware();
            } else {
                // Old firmware, but nothing to update it with: say why, then
                // download all the same.
                (void)platform::MsgBox(LoadResString(5003) + kCrLf + kCrLf + Firmware::ProblemText(FirmwarePackage),
                                       platform::vbOKOnly | platform::vbExclamation, LoadResString(5007), this);
            }
        }
    }
    if (!self) return;

    // A close of the program asked for meanwhile starts no download, and a
    // download it ended is no problem to report.
    if (!closeAsked_) {
        vxIO::CommError = 0;
        const bool downloaded = modMain::DownloadProgram();
        if (!self) return;
        if (!downloaded && !closeAsked_)
            (void)platform::MsgBox(LoadResString(3157), platform::vbOKOnly, LoadResString(3158), this);
        if (!self) return;
    }

    busy_ = false;
    accept();
}

void frmRun::EndForProgramClose() {
    if (!busy_) {
        closeAsked_ = true;
        QDialog::reject();
        return;
    }
    if (updating_) {
        if (!closeAsked_ && Label1) {
            static const platform::LocalizedText kWaiting = {
                "The program closes once the firmware update has finished.",
                "펌웨어 업데이트가 끝나면 프로그램을 종료합니다.",
                "ファームウェアの更新が終わるとプログラムを終了します。",
                "固件更新完成后程序将关闭。"};
            Label1->setText(platform::Localized(kWaiting));
        }
    } else {
        vxIO::Abort();
    }
    closeAsked_ = true;
}

void frmRun::cmdCancel_Click() {
    if (busy_) return;
    QDialog::reject();
}

void frmRun::reject() {
    // Escape and the window's close button do nothing while OK runs.
    if (busy_) return;
    QDialog::reject();
}

void frmRun::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool frmRun::SendFirmwareBlock(int16_t k) { return vxIO::SendFirmwareBlock(FirmwareImage, k, BlockFrame); }

void frmRun::UpdateFirmware() {
    UpdateSucceeded = false;
    if (!FirmwarePackage.Usable() || FirmwareLastIndex < 0) return;
    const vxIO::Exchange exchange;
    if (!exchange) return;
    // From the first byte to the settling pause: a close of the program
    // waits for all of it (EndForProgramClose).
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(updating_);

    // The download bar follows the blocks the boot loader took.
    QPointer<QFrame> bar = ShpDownloadState;
    const int32_t fullWidth = static_cast<int32_t>(platform::PixelsToTwips(ShpDownBack->width()));
    vxIO::FirmwareWaits waits;
    waits.PromptMs = PromptWaitMs;
    waits.ReplyMs = ReplyWaitMs;
    UpdateSucceeded = vxIO::UpdateFirmware(
        FirmwareImage, FirmwarePackage.Code, waits,
        [&](int32_t done, int32_t total) { vxIO::SetProgressWidth(bar.data(), fullWidth, done, total); });
    // A boot loader that answered wrong ends the update without a word; the
    // download follows as always.
    if (!UpdateSucceeded && vxIO::CommError != 0 && vxIO::CommError != vxIO::kErrBootLoader)
        vxIO::ShowCommError(vxIO::CommError);
}
