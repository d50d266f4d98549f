#include "link/frmWait.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include "documents/LocalizeForm.h"
#include "documents/MainHost.h"

namespace {
frmWait* g_loaded = nullptr;
}

frmWait& frmWait::Load() {
    if (!g_loaded) {
        g_loaded = new frmWait(modApp::MainWindow());
        g_loaded->Form_Load();
    }
    return *g_loaded;
}

frmWait* frmWait::Loaded() { return g_loaded; }

void frmWait::Unload() {
    frmWait* w = g_loaded;
    if (!w) return;
    g_loaded = nullptr;
    w->Form_Unload();
    delete w;
}

frmWait::frmWait(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmWait"));

    const Panel panel = BuildPanel(this, QStringLiteral("wait a second."));
    Shape1 = panel.Shape1;
    Label1 = panel.Label1;
    pb = panel.pb;
    Label1->setProperty("Tag", QStringLiteral("4534"));

    setMinimumWidth(260);

    Timer.setInterval(10);
    connect(&Timer, &QTimer::timeout, this, &frmWait::Timer_Timer);
}

frmWait::Panel frmWait::BuildPanel(QWidget* window, const QString& message) {
    Panel panel;
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);

    panel.Shape1 = new QFrame(window);
    panel.Shape1->setObjectName(QStringLiteral("Shape1"));
    panel.Shape1->setFrameShape(QFrame::Box);
    panel.Shape1->setLineWidth(2);
    outer->addWidget(panel.Shape1);

    auto* inner = new QVBoxLayout(panel.Shape1);
    inner->setContentsMargins(18, 14, 18, 16);
    inner->setSpacing(10);

    panel.Label1 = new QLabel(message, panel.Shape1);
    panel.Label1->setObjectName(QStringLiteral("Label1"));
    panel.Label1->setAlignment(Qt::AlignCenter);
    inner->addWidget(panel.Label1);

    panel.pb = new QProgressBar(panel.Shape1);
    panel.pb->setObjectName(QStringLiteral("pb"));
    panel.pb->setRange(0, 100);
    panel.pb->setValue(0);
    panel.pb->setTextVisible(false);
    panel.pb->setFixedHeight(16);
    inner->addWidget(panel.pb);
    return panel;
}

frmWait::~frmWait() {
    Timer.stop();
    if (g_loaded == this) g_loaded = nullptr;
}

void frmWait::Form_Load() {
    modMain::LocalizeForm(this);
    adjustSize();
    // Centred on the main window, else on the screen.
    const QWidget* owner = parentWidget();
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) move(area.center() - rect().center());
    Timer.start();
}

void frmWait::Form_Unload() { Timer.stop(); }

void frmWait::Timer_Timer() {
    ++counter_;
    if (counter_ > 100) counter_ = 0;
    pb->setValue(counter_);
}

void frmWait::closeEvent(QCloseEvent* event) {
    // Closed from the window system: the same as unloading it.
    Form_Unload();
    if (g_loaded == this) g_loaded = nullptr;
    setAttribute(Qt::WA_DeleteOnClose);
    QWidget::closeEvent(event);
}
