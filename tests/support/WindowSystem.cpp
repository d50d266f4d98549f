#include "WindowSystem.h"

#include <QWidget>
#include <QWindow>

#include <qpa/qwindowsysteminterface.h>

void RequestCloseFromWindowSystem(QWidget* window) {
    if (QWindow* handle = window ? window->windowHandle() : nullptr)
        QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(handle);
}
