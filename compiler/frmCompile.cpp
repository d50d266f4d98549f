#include "frmCompile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QPointer>

#include "CompileHost.h"

namespace qvv2 {

frmCompile::frmCompile(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("frmCompile"));
    PB = new QProgressBar(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setRange(0, 100);
    PB->setTextVisible(false);
    lblpercent = new QLabel(QStringLiteral("0%"), this);
    lblpercent->setObjectName(QStringLiteral("lblpercent"));
    lblpercent->setMinimumWidth(lblpercent->fontMetrics().horizontalAdvance(QStringLiteral("100%")) + 4);
    lblpercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* lay = new QHBoxLayout(this);
    lay->addWidget(PB, 1);
    lay->addWidget(lblpercent);
    setFixedSize(320, 56);
    ChangeValue(0);
}

void frmCompile::ChangeValue(int16_t percent) {
    lblpercent->setText(QString::number(percent) + QLatin1Char('%'));
    PB->setValue(qBound<int>(0, percent, 100));
}

namespace host {

namespace {
// One progress window per process: the host compiles on its one GUI thread.
QPointer<frmCompile> g_window;

bool HaveGui() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }
}  // namespace

void ProgressShow(const std::u16string& caption) {
    if (!HaveGui()) return;
    if (!g_window) g_window = new frmCompile();
    g_window->setWindowTitle(QString::fromStdU16String(caption));
    g_window->ChangeValue(0);
    g_window->show();
}

void ProgressChange(int16_t percent) {
    if (g_window) g_window->ChangeValue(percent);
}

void ProgressUnload() {
    if (g_window) delete g_window.data();
}

void ProcessEvents() {
    if (!QCoreApplication::instance()) return;
    // Handing control to the event queue per character would cost more than
    // the compile itself; every 15 ms keeps the windows responsive.
    static QElapsedTimer last;
    if (last.isValid() && last.elapsed() < 15) return;
    last.start();
    QCoreApplication::processEvents();
}

}  // namespace host
}  // namespace qvv2
