#include "editor/DockPanels.h"

#include <QAbstractButton>
#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QStyle>

#include "platform/Twips.h"

namespace {

// Makes the panel at least as wide as its title bar needs to show the whole
// title: the text beside the float and close buttons, with the style's
// frame and title margins (the room that Qt's own minimum keeps for a few
// letters of the title, given the whole text).
void FitTitle(QDockWidget* dock) {
    const QStyle* style = dock->style();
    const int frame = style->pixelMetric(QStyle::PM_DockWidgetFrameWidth, nullptr, dock);
    const int margin = style->pixelMetric(QStyle::PM_DockWidgetTitleMargin, nullptr, dock);
    int buttons = 0;
    for (const char* name : {"qt_dockwidget_floatbutton", "qt_dockwidget_closebutton"})
        if (auto* b = dock->findChild<QAbstractButton*>(QLatin1String(name), Qt::FindDirectChildrenOnly))
            buttons += b->sizeHint().width();
    const int text = dock->fontMetrics().horizontalAdvance(dock->windowTitle());
    dock->setMinimumWidth(text + buttons + 2 * frame + 3 * margin);
}

}  // namespace

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
    FitTitle(dock);
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
        case QEvent::WindowTitleChange:
        case QEvent::FontChange:
        case QEvent::StyleChange:
            FitTitle(dock);
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
