// Runs a command that opens the download window and presses its OK once the
// window shows, as the user would; and waits for the simulated controller to
// have taken a download whole.
#pragma once

#include <QTest>
#include <QTimer>

#include <functional>

#include "ControllerSim.h"
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

// Whether the controller has taken every block of `count` downloads in all.
// The host writes a download's last block and ends without an answer to
// wait for, so the simulator's thread may take that block only after the
// download has ended: this waits for it (and gives up after a long while).
inline bool TookDownloads(ControllerSim& sim, int count) {
    return QTest::qWaitFor([&] { return sim.downloadCount() >= count; }, 30000);
}
