// Set-up of the debug window's tests: a compiled program marked as
// downloaded, the program counter and variables as the simulated controller
// (model 2) keeps them, and checks of the program grid's line marks.
#pragma once

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "download_support.h"
#include "link/frmDebugScreen.h"
#include "platform/PortIO.h"

namespace debugscreen {

// Saves a picture of the window when QUARVEL_SCREENSHOTS names a folder.
inline void Screenshot(QWidget& w, const char* name) {
    const QString folder = qEnvironmentVariable("QUARVEL_SCREENSHOTS");
    if (folder.isEmpty()) return;
    w.show();
    QCoreApplication::processEvents();
    w.grab().save(folder + QLatin1Char('/') + QLatin1String(name));
}

inline QString Text(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QStringLiteral("<none>");
}

// Source lines: variables, a label, a tab-indented line and a loop.
inline const std::u16string kSource =
    u"DIM A AS BYTE\r\nDIM N AS INTEGER\r\nLOOP1:\r\n\tA = A + 1\r\nN = 300\r\nGOTO LOOP1\r\n";

}  // namespace debugscreen

using debugscreen::Text;
using debugscreen::Screenshot;
using debugscreen::kSource;

class DebugScreenTest : public DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        Compile(kSource);
        modMain::Downloaded = true;
    }

    // A test that broke a frame off leaves the line quiet for the quiet
    // time, which the link keeps across tests: the next test starts on a
    // quiet line.
    void TearDown() override {
        EXPECT_TRUE(QTest::qWaitFor([] { return vxIO::BrokenFrameQuietMs() == 0; }, 30000));
        DownloadTest::TearDown();
    }

    // The program counter as the controller keeps it (model 2).
    void SetCounter(int pc) {
        sim().setRam(3326, static_cast<uint8_t>(pc & 0xFF));
        sim().setRam(3327, static_cast<uint8_t>(pc >> 8));
    }

    int VarPos(int i) const { return basic_.VarPOS[static_cast<size_t>(i)]; }
    int LinePos(int line) const { return basic_.LineObjPos[static_cast<size_t>(line)]; }

    static bool IsCurrent(const frmDebugScreen& w, int line) {
        const QTableWidgetItem* item = w.Grid_Prog->item(line - 1, 0);
        return item && item->background().color() == QColor(255, 0, 0) && item->foreground().color() == Qt::white;
    }
    static bool IsPlain(const frmDebugScreen& w, int line) {
        const QTableWidgetItem* item = w.Grid_Prog->item(line - 1, 0);
        return item && item->background().color() == QColor(255, 255, 0) && item->foreground().color() == Qt::black;
    }
};

