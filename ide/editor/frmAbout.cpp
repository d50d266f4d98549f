#include "editor/frmAbout.h"

#include <QColor>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "documents/LocalizeForm.h"
#include "documents/StringTable.h"
#include "documents/modAPI.h"
#include "documents/modWeb.h"

#ifndef QUARVEL_VERSION_MAJOR
#error "the build defines the program's version numbers"
#endif

namespace {

const QColor kLinkBlue(0, 0, 255);
const QColor kLinkRed(255, 0, 0);

}  // namespace

frmAbout::frmAbout(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAbout"));
    setProperty("Tag", QStringLiteral("1068"));
    setWindowTitle(QStringLiteral("About"));

    picTop = new QWidget(this);
    picTop->setObjectName(QStringLiteral("picTop"));
    picTop->setAutoFillBackground(true);
    QPalette band = picTop->palette();
    band.setColor(QPalette::Window, QColor(255, 255, 255));
    picTop->setPalette(band);

    lblHeader = new QLabel(picTop);
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    QFont headerFont = lblHeader->font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.3);
    lblHeader->setFont(headerFont);
    auto* bandLayout = new QHBoxLayout(picTop);
    bandLayout->setContentsMargins(16, 12, 16, 12);
    bandLayout->addWidget(lblHeader);

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(false);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setProperty("Tag", QStringLiteral("3056"));
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setProperty("Tag", QStringLiteral("11"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label2);
    buttons->addStretch();
    buttons->addWidget(cmdOK);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 12, 16, 12);
    body->setSpacing(12);
    body->addWidget(lblInfo);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picTop);
    layout->addLayout(body);
    setMinimumWidth(420);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

void frmAbout::ShowModal(QWidget* owner) {
    QPointer<frmAbout> window = new frmAbout(owner);
    window->exec();
    delete window.data();
}

QString frmAbout::VersionLine() {
    return QStringLiteral("Ver. %1.%2.%3")
        .arg(QUARVEL_VERSION_MAJOR)
        .arg(QUARVEL_VERSION_MINOR)
        .arg(QUARVEL_VERSION_PATCH);
}

void frmAbout::Form_Load() {
    modAPI::DisableCloseItem(this);
    modMain::LocalizeForm(this);
    SetLinkColour(kLinkBlue);

    lblHeader->setText(LoadResString(3051) + QLatin1Char('\n') + LoadResString(3052));
    lblInfo->setText(LoadResString(3053) + QStringLiteral("\n\n") + LoadResString(3054) + QStringLiteral("\n\n") +
                     LoadResString(3055) + QLatin1Char('\n') + VersionLine());

    // Centred over the main window (the owner).
    adjustSize();
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect m = main->frameGeometry();
        move(m.left() + (m.width() - frameGeometry().width()) / 2,
             m.top() + (m.height() - frameGeometry().height()) / 2);
    }
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::Label2_Click() { modWeb::OpenWithShell(Label2->text(), this); }

void frmAbout::Label2_MouseDown(int Button) {
    if (Button == Qt::LeftButton) SetLinkColour(kLinkRed);
}

void frmAbout::Label2_MouseUp(int Button) {
    if (Button == Qt::LeftButton) SetLinkColour(kLinkBlue);
}

void frmAbout::SetLinkColour(const QColor& colour) {
    QPalette p = Label2->palette();
    p.setColor(QPalette::WindowText, colour);
    Label2->setPalette(p);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2) {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* e = static_cast<QMouseEvent*>(event);
            pressed_ = e->button() == Qt::LeftButton;
            Label2_MouseDown(e->button());
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* e = static_cast<QMouseEvent*>(event);
            Label2_MouseUp(e->button());
            // A click: pressed and released on the label.
            const bool click =
                pressed_ && e->button() == Qt::LeftButton && Label2->rect().contains(e->position().toPoint());
            pressed_ = false;
            if (click) Label2_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
