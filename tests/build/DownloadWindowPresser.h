// Runs a command that opens the download window and presses its OK once the
// window shows, as the user would.
#pragma once

#include <QTimer>

#include <functional>

#include "link/frmRun.h"

// Whether the download window showed (and had OK pressed).
inline bool RunPressingDownloadOK(const std::function<void()>& command) {
    bool shown = false;
    QTimer presser;
    presser.setInterval(5);
    QObject::connect(&presser, &QTimer::timeout, [&] {
        frmRun* window = frmRun::Loaded();
        if (shown || !window || !window->isVisible()) return;
        shown = true;
        window->cmdOK->click();
    });
    presser.start();
    command();
    presser.stop();
    return shown;
}
