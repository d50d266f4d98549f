#include "editor/DockPanels.h"

#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>

#include "platform/Twips.h"

DockPanels::DockPanels(QMainWindow* host) : QObject(host), host_(host) { setObjectName(QStringLiteral("fDock")); }

QDockWidget* DockPanels::AddPanel(QWidget* content, const QString& name, const QString& caption) {
    if (QDockWidget* existing = Panel(name)) return existing;
    auto* dock = new QDockWidget(caption, host_);
    dock->setObjectName(name + QStringLiteral("Panel"));
    dock->setProperty("PanelName", name);
    dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    if (content) dock->setWidget(content);
    host_->addDockWidget(Qt::LeftDockWidgetArea, dock);
    connect(dock, &QDockWidget::topLevelChanged, this, [this, name](bool floating) {
        if (floating) emit PanelFloated(name);
        else emit PanelDocked(name);
    });
    dock->installEventFilter(this);
    return dock;
}

QDockWidget* DockPanels::Panel(const QString& name) const {
    for (QDockWidget* dock : host_->findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (dock->property("PanelName").toString() == name) return dock;
    return nullptr;
}

void DockPanels::ShowPanel(const QString& name) {
    if (QDockWidget* dock = Panel(name)) dock->show();
}

void DockPanels::HidePanel(const QString& name) {
    if (QDockWidget* dock = Panel(name)) dock->hide();
}

void DockPanels::SetPanelWidth(const QString& name, int twips) {
    QDockWidget* dock = Panel(name);
    if (!dock) return;
    const int px = platform::TwipsToPixels(twips);
    if (px < 1) return;
    host_->resizeDocks({dock}, {px}, Qt::Horizontal);
}

int DockPanels::PanelWidth(const QString& name) const {
    const QDockWidget* dock = Panel(name);
    return dock ? static_cast<int>(platform::PixelsToTwips(dock->width())) : 0;
}

bool DockPanels::eventFilter(QObject* watched, QEvent* event) {
    auto* dock = qobject_cast<QDockWidget*>(watched);
    if (dock) {
        const QString name = dock->property("PanelName").toString();
        switch (event->type()) {
        case QEvent::Show:
            emit PanelShown(name);
            break;
        case QEvent::Hide:
            // Hiding the whole main window hides its panels too; that is no
            // user action on the panel.
            if (!host_->isHidden() && !host_->isMinimized() && dock->isHidden()) emit PanelHidden(name);
            break;
        case QEvent::Resize:
            if (!dock->isFloating() && dock->isVisible())
                emit AreaResized(static_cast<int>(platform::PixelsToTwips(dock->width())));
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
