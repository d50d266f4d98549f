// Requests made the way the window system makes them, through Qt's
// window-system event queue, so that they meet every check Qt applies to
// the real ones (a window blocked by a modal window, for one).
#pragma once

class QWidget;

// The close the title bar's button or the window manager asks for, handed
// to Qt as the platform does it; Qt handles it from the event loop.
void RequestCloseFromWindowSystem(QWidget* window);
