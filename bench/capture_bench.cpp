// capture_bench: the direct commands' time against the time their bytes need
// on the wire, with the simulated controller on a line paced at the link's
// own speed (9600 baud, 10 bits a byte).
//
//   1. The two-press capture of a full G6A line (F4, F4): both presses.
//   2. Group control (F6) on four MOVE lines G6A to G6D.
//
// The wire time is every byte the host sent plus every byte the controller
// sent, one character time each (the link is lock-step, nothing overlaps),
// plus the 100 ms wait each command makes before its stop command.  The
// ratio of wall time to wire time shows what the program itself adds:
// compiling each line, the tokenizer and the event queue.
//
// Run: build/bin/capture_bench [repetitions]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ControllerSim.h"
#include "build/CaptureMove.h"
#include "build/DirectRun.h"
#include "documents/Documents.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "editor/frmDoc.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "platform/CodeEditor.h"

namespace {

constexpr int kBaud = 9600;
constexpr double kPrescribedDelayS = 0.100;  // the wait before each stop command

struct Sample {
    double wall = 0;
    double wire = 0;
    size_t bytes = 0;
};

// Runs `command` once and measures it; `delays` is the number of prescribed
// waits it makes.
template <typename F>
Sample Measure(ControllerSim& sim, int delays, F command) {
    sim.clearLogs();
    QElapsedTimer clock;
    clock.start();
    command();
    Sample s;
    s.wall = double(clock.nsecsElapsed()) / 1e9;
    sim.waitIdle(3000);
    s.bytes = sim.received().size() + sim.sent().size();
    s.wire = double(s.bytes) * 10.0 / kBaud + delays * kPrescribedDelayS;
    return s;
}

void Report(const char* name, const std::vector<Sample>& samples) {
    std::vector<double> ratios;
    for (const Sample& s : samples) ratios.push_back(s.wall / s.wire);
    std::sort(ratios.begin(), ratios.end());
    const Sample& first = samples.front();
    std::printf(
        "%s: %zu bytes on the wire, wire time %.1f ms (incl. prescribed waits); wall %.1f ms; "
        "ratio median %.3f, min %.3f, max %.3f over %zu runs (target within 1.10)\n",
        name, first.bytes, first.wire * 1e3, first.wall * 1e3, ratios[ratios.size() / 2], ratios.front(), ratios.back(),
        ratios.size());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir home;
    modApp::SetAppPath(home.path());
    ControllerSim sim(2);
    if (!sim.ok()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    qputenv("QVV2_COM1", QByteArray::fromStdString(sim.slavePath()));

    frmMain window;
    window.MDIForm_Load();
    window.show();
    window.Comm.setCommPort(1);
    window.Comm.setSettings(QStringLiteral("9600,n,8,1"));
    window.TimeOut.setInterval(3000);
    sim.setLinePaced(true);
    window.new_Click();
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    if (!doc) {
        std::fprintf(stderr, "no document window\n");
        return 1;
    }
    platform::CodeEditor& rt = *doc->rt;
    std::vector<Sample> capture;
    std::vector<Sample> group;
    for (int i = 0; i < runs; ++i) {
        // The pose set by hand (the group run below moves the servos away).
        for (int m = 0; m < 6; ++m) sim.setServoPosition(m, static_cast<uint8_t>(90 + m));
        rt.SetWholeText(QStringLiteral("MOVE G6A, 100, 100, 100, 100, 100, 100 ' pose\r\n"));
        rt.PutCaret(0, 0);
        modMain::CapturePending = false;
        capture.push_back(Measure(sim, 2, [&] {
            window.mnuCurrentCapture_Click();
            window.mnuCurrentCapture_Click();
        }));
        if (rt.LineText(0) != QStringLiteral("MOVE G6A, 90,  91,  92,  93,  94,  95 ' pose") || vxIO::CommError != 0) {
            std::fprintf(stderr, "capture failed: %s (link %d)\n", rt.LineText(0).toUtf8().constData(),
                         vxIO::CommError);
            return 1;
        }

        rt.SetWholeText(
            QStringLiteral("MOVE G6A, 100, 101, 102, 103, 104, 105\r\n"
                           "MOVE G6B, 110, 111, 112, 113, 114, 115\r\n"
                           "MOVE G6C, 120, 121, 122, 123, 124, 125\r\n"
                           "MOVE G6D, 130, 131, 132, 133, 134, 135\r\n"));
        rt.PutCaret(1, 0);
        group.push_back(Measure(sim, 1, [&] { window.mnuCurrentGroupControl_Click(); }));
        if (vxIO::CommError != 0) {
            std::fprintf(stderr, "group control failed (link %d)\n", vxIO::CommError);
            return 1;
        }
    }
    Report("capture, two presses on a full G6A line", capture);
    Report("group control on four lines G6A..G6D", group);
    rt.SetChanged(false);
    doc->Modified = false;
    return 0;
}
