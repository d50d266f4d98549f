#include "link/frmPort.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

#include "documents/LocalizeForm.h"
#include "documents/MainHost.h"
#include "documents/VbNumbers.h"
#include "documents/modGeneral.h"
#include "documents/modMain.h"
#include "link/vxIO_Windows.h"
#include "platform/CommControl.h"
#include "platform/UiLanguage.h"

namespace {

frmPort* g_loaded = nullptr;

QLabel* Caption(QWidget* parent, const char* name, const char* tag, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QLatin1String(name));
    if (tag) label->setProperty("Tag", QLatin1String(tag));
    return label;
}

// The number at the start of the text; a number too large for a double
// counts as infinitely large with its sign.
double LeadingNumber(const QString& text) {
    if (const std::optional<double> v = vb::Val(text)) return std::isnan(*v) ? 0.0 : *v;
    const double inf = std::numeric_limits<double>::infinity();
    return text.trimmed().startsWith(QLatin1Char('-')) ? -inf : inf;
}

// The slider position for a number of 0 or more: the nearest whole number,
// limited to the slider's range.
int SliderPosition(double value) {
    if (!(value < frmPort::kTimeOutMax)) return frmPort::kTimeOutMax;
    const int32_t whole = vb::ToLong(value).value_or(frmPort::kTimeOutMin);
    return std::clamp<int32_t>(whole, frmPort::kTimeOutMin, frmPort::kTimeOutMax);
}

}  // namespace

frmPort::frmPort(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmPort"));
    setProperty("Tag", QStringLiteral("3121"));
    setWindowTitle(QStringLiteral("Port Setting Window"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 10, 12, 12);
    outer->setSpacing(8);

    Frame3 = new QGroupBox(QStringLiteral(" Port "), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setProperty("Tag", QStringLiteral("3122"));
    auto* frameRows = new QVBoxLayout(Frame3);
    frameRows->setContentsMargins(12, 8, 12, 8);
    optPort[1] = new QRadioButton(QStringLiteral("Com Port (Serial Type)"), Frame3);
    optPort[1]->setObjectName(QStringLiteral("optPort_1"));
    optPort[1]->setProperty("Tag", QStringLiteral("3124"));
    frameRows->addWidget(optPort[1]);
    outer->addWidget(Frame3);

    picComm = new QWidget(this);
    picComm->setObjectName(QStringLiteral("picComm"));
    auto* grid = new QGridLayout(picComm);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);

    Label6 = Caption(picComm, "Label6", "3125", "Port No :");
    cmbComm = new QComboBox(picComm);
    cmbComm->setObjectName(QStringLiteral("cmbComm"));
    for (int n = 1; n <= kPortCount; ++n) cmbComm->addItem(QStringLiteral("COM") + QString::number(n));
    cmbComm->setMaxVisibleItems(kPortCount);
    lblDevice = new QLabel(picComm);
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    lblDevice->setTextFormat(Qt::PlainText);
    lblDevice->setMinimumWidth(120);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(Label6);
    portRow->addWidget(cmbComm);
    portRow->addSpacing(6);
    portRow->addWidget(lblDevice);
    portRow->addStretch(1);
    grid->addLayout(portRow, 0, 0, 1, 3);

    Label8 = Caption(picComm, "Label8", "3133", "Communication Over Time :");
    grid->addWidget(Label8, 1, 0, 1, 3);

    Label10 = Caption(picComm, "Label10", "3134", "Fast");
    sldTimeOut = new QSlider(Qt::Horizontal, picComm);
    sldTimeOut->setObjectName(QStringLiteral("sldTimeOut"));
    sldTimeOut->setRange(kTimeOutMin, kTimeOutMax);
    sldTimeOut->setTickInterval(200);
    sldTimeOut->setTickPosition(QSlider::TicksBelow);
    sldTimeOut->setPageStep(200);
    sldTimeOut->setValue(3000);
    sldTimeOut->setMinimumWidth(240);
    Label11 = Caption(picComm, "Label11", "3135", "Slow");
    grid->addWidget(Label10, 2, 0);
    grid->addWidget(sldTimeOut, 2, 1);
    grid->addWidget(Label11, 2, 2);
    grid->setColumnStretch(1, 1);

    txtTimeOut = new QLineEdit(QStringLiteral("3000"), picComm);
    txtTimeOut->setObjectName(QStringLiteral("txtTimeOut"));
    txtTimeOut->setFixedWidth(72);
    txtTimeOut->setAlignment(Qt::AlignRight);
    Label9 = Caption(picComm, "Label9", nullptr, "msec");
    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(6);
    textRow->addStretch(1);
    textRow->addWidget(txtTimeOut);
    textRow->addWidget(Label9);
    textRow->addStretch(1);
    grid->addLayout(textRow, 3, 0, 1, 3);
    outer->addWidget(picComm);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    cmd_ok = new QPushButton(QStringLiteral("OK"), this);
    cmd_ok->setObjectName(QStringLiteral("cmd_ok"));
    cmd_ok->setProperty("Tag", QStringLiteral("11"));
    cmd_ok->setDefault(true);
    cmd_ok->setAutoDefault(true);
    cmd_ok->setMinimumWidth(88);
    cmd_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmd_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    cmd_cancel->setProperty("Tag", QStringLiteral("12"));
    cmd_cancel->setAutoDefault(false);
    cmd_cancel->setMinimumWidth(88);
    buttonRow->addWidget(cmd_ok);
    buttonRow->addWidget(cmd_cancel);
    outer->addLayout(buttonRow);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(optPort[1], &QRadioButton::clicked, this, [this] { optPort_Click(1); });
    // valueChanged covers both the slider's change and its scroll (tracking
    // is on, so dragging changes the value as it goes).
    connect(cmbComm, &QComboBox::currentIndexChanged, this, &frmPort::cmbComm_Click);
    connect(sldTimeOut, &QSlider::valueChanged, this, &frmPort::sldTimeOut_Change);
    connect(txtTimeOut, &QLineEdit::textChanged, this, &frmPort::txtTimeOut_Change);
    connect(cmd_ok, &QPushButton::clicked, this, &frmPort::cmd_ok_Click);
    connect(cmd_cancel, &QPushButton::clicked, this, &frmPort::cmd_cancel_Click);

    g_loaded = this;
    Form_Load();
}

frmPort::~frmPort() {
    if (g_loaded == this) g_loaded = nullptr;
}

frmPort* frmPort::Loaded() { return g_loaded; }

void frmPort::ShowModal(QWidget* owner) {
    QPointer<frmPort> window = new frmPort(owner);
    window->exec();
    delete window.data();
}

void frmPort::Form_Load() {
    modMain::LocalizeForm(this);
    modGeneral::FlatControls(this);

    // A port number without a list entry (the serial control only takes 1 to
    // 16, so this is a safeguard) shows no entry; OK then keeps that number.
    const vxIO::LinkControls link = vxIO::Link();
    const int port = link.Comm ? link.Comm->CommPort() : 1;
    cmbComm->setCurrentIndex(port >= 1 && port <= kPortCount ? port - 1 : -1);
    cmbComm_Click();

    // The text first (its rule moves the slider), then the slider itself,
    // which keeps a time-out outside its range at the nearer end and puts
    // that value back into the text.
    const int interval = link.TimeOut ? link.TimeOut->interval() : 3000;
    txtTimeOut->setText(QString::number(interval));
    sldTimeOut->setValue(std::clamp(interval, kTimeOutMin, kTimeOutMax));

    const int type = modMain::PortType;
    for (size_t i = 0; i < optPort.size(); ++i) {
        if (!optPort[i]) continue;
        optPort[i]->setChecked(static_cast<int>(i) == type);
        optPort[i]->setEnabled(static_cast<int>(i) == type);
    }
    optPort_Click(type);
}

void frmPort::optPort_Click(int Index) {
    picComm->hide();
    if (Index == 1) picComm->show();
}

void frmPort::cmbComm_Click() {
    // The program's own text: the string table has no entry for it.
    static const platform::LocalizedText kNone = {"none", "없음", "なし", "无"};
    const int index = cmbComm->currentIndex();
    const QString device = index >= 0 ? platform::DescribeCommPort(index + 1) : QString();
    lblDevice->setText(device.isEmpty() ? platform::Localized(kNone) : device);
    lblDevice->setToolTip(device);
}

void frmPort::sldTimeOut_Change() { txtTimeOut->setText(QString::number(sldTimeOut->value())); }

void frmPort::txtTimeOut_Change() {
    // Writing the text back raises the change again; the rule has already
    // made the text and the slider agree, so that inner change is skipped.
    if (inTextRule_) return;
    inTextRule_ = true;
    const QString text = txtTimeOut->text();
    const double value = LeadingNumber(text);
    if (value < 0) {
        txtTimeOut->clear();
    } else if (!(value < 10 && text.size() < 2)) {
        sldTimeOut->setValue(SliderPosition(value));
        const QString shown = QString::number(sldTimeOut->value());
        if (txtTimeOut->text() != shown) txtTimeOut->setText(shown);
        txtTimeOut->setCursorPosition(static_cast<int>(shown.size()));
    }
    inTextRule_ = false;
}

void frmPort::cmd_ok_Click() {
    if (vxIO::Serial()) {
        vxIO::CloseComm();
        const int index = cmbComm->currentIndex();
        // Refused only while the port is still open (its close failed); the
        // control then keeps the number it has, and the status bar shows
        // that one.
        const vxIO::LinkControls link = vxIO::Link();
        if (link.Comm && index >= 0 && index < kPortCount)
            (void)link.Comm->setCommPort(static_cast<int16_t>(index + 1));
        if (link.TimeOut) link.TimeOut->setInterval(std::clamp(sldTimeOut->value(), kTimeOutMin, kTimeOutMax));
        // The main window's status bar, when there is one, names the port.
        if (link.Comm) modApp::SetStatusText(2, QStringLiteral("COM ") + QString::number(link.Comm->CommPort()));
    }
    accept();
}

void frmPort::cmd_cancel_Click() { reject(); }
