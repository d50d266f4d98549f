#include "link/frmInfo.h"

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "documents/LocalizeForm.h"
#include "documents/StringTable.h"
#include "documents/modAPI.h"
#include "documents/modGeneral.h"
#include "documents/modMain.h"
#include "link/frmWait.h"

namespace {

QLabel* Caption(QWidget* parent, const char* name, const char* tag, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setProperty("Tag", QLatin1String(tag));
    return label;
}

QLabel* Value(QWidget* parent, int index) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lbl_%1").arg(index));
    label->setMinimumWidth(130);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QGroupBox* Frame(QWidget* parent, const char* name, const char* tag, const char* title,
                 const std::vector<QLabel*>& captions, const std::vector<QLabel*>& values) {
    auto* frame = new QGroupBox(QString::fromUtf8(title), parent);
    frame->setObjectName(QLatin1String(name));
    frame->setProperty("Tag", QLatin1String(tag));
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(12, 10, 12, 10);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(6);
    for (size_t row = 0; row < captions.size() && row < values.size(); ++row) {
        captions[row]->setParent(frame);
        values[row]->setParent(frame);
        grid->addWidget(captions[row], static_cast<int>(row), 0);
        grid->addWidget(values[row], static_cast<int>(row), 1);
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

}  // namespace

frmInfo::frmInfo(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmInfo"));
    setProperty("Tag", QStringLiteral("3091"));
    setWindowTitle(QStringLiteral("Controller Information"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    for (int i = 0; i < 10; ++i) lbl[static_cast<size_t>(i)] = Value(this, i);

    Label1 = Caption(this, "Label1", "3093", "Controller ID :");
    Label2 = Caption(this, "Label2", "3094", "Firmware Ver. :");
    Label3 = Caption(this, "Label3", "3095", "Total Memories :");
    Label4 = Caption(this, "Label4", "3096", "Total Variables :");
    Label5 = Caption(this, "Label5", "3097", "Total Stacks :");
    Label10 = Caption(this, "Label10", "3098", "Checksum :");
    Label6 = Caption(this, "Label6", "3100", "Name :");
    Label7 = Caption(this, "Label7", "3101", "Date :");
    Label8 = Caption(this, "Label8", "3102", "Time :");
    Label9 = Caption(this, "Label9", "3103", "Size :");

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(10);
    Frame1 = Frame(this, "Frame1", "3092", " Controller ", {Label1, Label2, Label3, Label4, Label5, Label10},
                   {lbl[0], lbl[1], lbl[2], lbl[3], lbl[4], lbl[5]});
    Frame2 = Frame(this, "Frame2", "3099", " Program ", {Label6, Label7, Label8, Label9},
                   {lbl[6], lbl[7], lbl[8], lbl[9]});
    outer->addWidget(Frame1);
    outer->addWidget(Frame2);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setProperty("Tag", QStringLiteral("11"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setMinimumWidth(88);
    buttonRow->addWidget(cmdOK);
    outer->addLayout(buttonRow);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmInfo::cmdOK_Click);

    Form_Load();
}

frmInfo::~frmInfo() { modMain::InfoBusy = false; }

void frmInfo::ShowModal(QWidget* owner) {
    // Asked for while another controller exchange waits: nothing happens.
    if (vxIO::Busy()) return;
    QPointer<frmInfo> window = new frmInfo(owner);
    // A failed read-out has said so already; the window would only close
    // itself again.
    if (window && !window->lbl[0]->text().isEmpty()) window->exec();
    delete window.data();
}

void frmInfo::Form_Load() {
    // Loaded while another controller exchange waits: no read-out (and no
    // wait window, which is that exchange's), so the window closes itself.
    const bool refused = vxIO::Busy();
    if (!refused) {
        frmWait& wait = frmWait::Load();
        wait.show();
    }
    modAPI::DisableCloseItem(this);
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);
    if (!refused) FillValues();
}

std::array<QString, 10> frmInfo::ValueTexts(const vxIO::ControllerInfo& info) {
    const QString bytes = LoadResString(3104);
    std::array<QString, 10> t;
    t[0] = QString::number(info.ControllerId);
    t[1] = QString::number(info.FirmwareMajor) + QLatin1Char('.') + QString::number(info.FirmwareMinor);
    // The program memory is not read from the controller.
    t[2] = QStringLiteral("56 K") + bytes;
    t[3] = QString::number(info.TotalVariables) + QLatin1Char(' ') + bytes;
    t[4] = QString::number(info.TotalStacks);
    t[5] = (QStringLiteral("0000") + QString::number(info.Checksum, 16).toUpper()).right(4);
    // A controller that never took a program has a header of erased (0xFF)
    // or cleared (0x00) bytes: its name, date, time and size would be
    // replacement boxes or "2000/0/0"; the program's values stay empty.
    if (info.NoProgram) return t;
    t[6] = info.ProgramName;
    t[7] = info.ProgramDate;
    t[8] = info.ProgramTime;
    t[9] = QString::number(info.ProgramSize) + QLatin1Char(' ') + bytes;
    return t;
}

void frmInfo::FillValues() {
    const vxIO::Exchange exchange;
    if (!exchange) return;
    // The serial port is opened and closed here; on the parallel port the
    // read-out has nothing to open.
    if (vxIO::Serial()) vxIO::OpenComm();
    vxIO::ControllerInfo info;
    if (vxIO::CommError == 0) vxIO::GetControllerInfo(info);
    frmWait::Unload();

    if (vxIO::CommError == 0) {
        const std::array<QString, 10> texts = ValueTexts(info);
        for (size_t i = 0; i < lbl.size(); ++i) lbl[i]->setText(texts[i]);
    } else {
        vxIO::ShowCommError(vxIO::CommError);
    }
    if (vxIO::Serial()) vxIO::CloseComm();
}

void frmInfo::cmdOK_Click() { accept(); }

void frmInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!lbl[0]->text().isEmpty()) return;
    // Closed from the event queue: a modal loop that is only starting must
    // see the close.
    QPointer<frmInfo> self = this;
    QTimer::singleShot(0, this, [self] {
        if (self && self->lbl[0]->text().isEmpty()) self->reject();
    });
}
