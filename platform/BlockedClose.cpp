#include "platform/BlockedClose.h"

#include <QTimer>
#include <QWindow>

// Qt's window-system event queue: every request of the window system passes
// here before Qt turns it into events, and a close of a window that a modal
// window blocks is dropped right after (QGuiApplicationPrivate's close
// handling: a blocked window gets no close event unless the request comes
// from QWindow::close).  Qt has one place for a handler that sees the queue's
// events first.
#include <private/qwindow_p.h>
#include <qpa/qwindowsysteminterface_p.h>

#include <algorithm>
#include <vector>

namespace platform {

class BlockedCloseHook : public QWindowSystemEventHandler {
public:
    static BlockedCloseHook& Instance() {
        static BlockedCloseHook hook;
        return hook;
    }

    void Add(BlockedCloseWatch* watch) {
        if (watches_.empty()) QWindowSystemInterfacePrivate::installWindowSystemEventHandler(this);
        watches_.push_back(watch);
    }

    void Remove(BlockedCloseWatch* watch) {
        watches_.erase(std::remove(watches_.begin(), watches_.end(), watch), watches_.end());
        if (watches_.empty()) QWindowSystemInterfacePrivate::removeWindowSystemEventhandler(this);
    }

    bool Installed() const { return QWindowSystemInterfacePrivate::eventHandler == this; }

    bool sendEvent(QWindowSystemInterfacePrivate::WindowSystemEvent* event) override {
        if (event->type == QWindowSystemInterfacePrivate::Close) {
            QWindow* window = static_cast<QWindowSystemInterfacePrivate::CloseEvent*>(event)->window.data();
            if (window && Dropped(*window)) {
                for (BlockedCloseWatch* watch : watches_) {
                    QWidget* widget = watch->window_.data();
                    if (!widget || widget->windowHandle() != window) continue;
                    // Later, from the event loop: the handler may ask
                    // questions and run event loops of its own.
                    QTimer::singleShot(0, widget, watch->onClose_);
                    // The window stays open for now, as Qt would report.
                    event->eventAccepted = false;
                    return true;
                }
            }
        }
        return QWindowSystemEventHandler::sendEvent(event);
    }

private:
    // The close Qt would drop: the window is blocked by a modal window, and
    // the request is not one of QWindow::close, which Qt lets through.
    static bool Dropped(QWindow& window) {
        const QWindowPrivate* d = QWindowPrivate::get(&window);
        return d->blockedByModalWindow && !d->inClose;
    }

    std::vector<BlockedCloseWatch*> watches_;
};

BlockedCloseWatch::BlockedCloseWatch(QWidget* window, std::function<void()> onClose)
    : window_(window), onClose_(std::move(onClose)) {
    BlockedCloseHook::Instance().Add(this);
}

BlockedCloseWatch::~BlockedCloseWatch() { BlockedCloseHook::Instance().Remove(this); }

bool BlockedCloseWatch::Active() const { return BlockedCloseHook::Instance().Installed(); }

}  // namespace platform
