// A close that the window system asks for (the title bar's close button, the
// window manager's close command) of a window that a modal window blocks.
//
// Qt drops such a request before it becomes an event: the window never
// learns that the user asked.  A watch takes the request for its window
// instead and calls its handler from the event loop, once the request's own
// delivery has returned.  A close the program asks for (QWidget::close) is
// not affected: Qt lets it through to the window even while a modal window
// blocks it.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace platform {

class BlockedCloseWatch {
public:
    // Watches the top-level `window`; `onClose` runs with the window as its
    // context, so never after the window has gone.
    BlockedCloseWatch(QWidget* window, std::function<void()> onClose);
    ~BlockedCloseWatch();
    BlockedCloseWatch(const BlockedCloseWatch&) = delete;
    BlockedCloseWatch& operator=(const BlockedCloseWatch&) = delete;

    // Whether the window system's requests reach the watch: false when
    // something else took Qt's one place for such a watcher first.
    bool Active() const;

private:
    friend class BlockedCloseHook;
    QPointer<QWidget> window_;
    std::function<void()> onClose_;
};

}  // namespace platform
