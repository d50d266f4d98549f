#include "platform/WindowStyle.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QPointer>
#include <QWidget>

namespace platform {
namespace {

constexpr const char* kNoCloseProperty = "closeButtonRemoved";

// Ignores close requests that come from the window system; a close that the
// program itself asks for (QWidget::close) is not spontaneous and passes.
class CloseBlocker : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

CloseBlocker* Blocker() {
    static QPointer<CloseBlocker> blocker;
    if (!blocker) blocker = new CloseBlocker();
    return blocker;
}

// Changing window flags hides a shown window; show it again where it was.
void ChangeFlags(QWidget* window, Qt::WindowFlags flags) {
    if (window->windowFlags() == flags) return;
    const bool visible = window->isVisible();
    const QPoint pos = window->pos();
    window->setWindowFlags(flags);
    if (visible) {
        window->move(pos);
        window->show();
    }
}

}  // namespace

void SetStaysOnTop(QWidget* window) {
    if (!window) return;
    ChangeFlags(window, window->windowFlags() | Qt::WindowStaysOnTopHint);
}

void RemoveCloseButton(QWidget* window) {
    if (!window) return;
    Qt::WindowFlags flags = window->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint)) {
        // Spell out the hints the window type had by default, so that only
        // the close button goes.
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
        if ((flags & Qt::WindowType_Mask) == Qt::Window) flags |= Qt::WindowMinMaxButtonsHint;
    }
    flags &= ~Qt::WindowCloseButtonHint;
    ChangeFlags(window, flags);
    if (!window->property(kNoCloseProperty).toBool()) {
        window->setProperty(kNoCloseProperty, true);
        window->installEventFilter(Blocker());
    }
}

bool HasCloseButtonRemoved(const QWidget* window) {
    return window && window->property(kNoCloseProperty).toBool();
}

void SetThinBorder(QWidget* control) {
    if (!control) return;
    if (auto* frame = qobject_cast<QFrame*>(control)) {
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setMidLineWidth(0);
    }
    control->setProperty("flatBorder", true);
}

}  // namespace platform
