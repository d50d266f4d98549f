// The main window as the lower folders see it.  Windows and procedures below
// the main window need a few of its services: a parent for their dialogs and
// its place on the screen, a text in its status bar and the end of the motion
// lock.  The main window implements
// MainHost and registers itself when it is created (SetMainHost(this)) and
// unregisters when it goes (SetMainHost(nullptr)), as it does for the
// document windows (DocumentHost) and the link (vxIO::LinkControls).
//
// Without a registered main window each service does nothing: a dialog has
// no parent, no status text is shown and no menu is unlocked.
#pragma once

class QString;
class QWidget;

namespace modApp {

class MainHost {
public:
    virtual ~MainHost() = default;

    // The main window itself: the parent of dialogs and the measure of the
    // windows that take its place and size.
    virtual QWidget* Window() = 0;
    // Shows `text` in panel `panel` (1-based) of the status bar; nothing for
    // a panel the bar does not have.
    virtual void SetStatusText(int panel, const QString& text) = 0;
    // Enables the menus and keys that a motion or zero-point window locked
    // while it was open.
    virtual void MotionUnlock() = 0;
};

// Registers the main window; nullptr unregisters it.
void SetMainHost(MainHost* host);

// The registered main window's services; each does nothing without one.
QWidget* MainWindow();
void SetStatusText(int panel, const QString& text);
void MotionUnlock();

}  // namespace modApp
