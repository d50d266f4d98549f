// Start-up benchmark of the program: the time from starting the process to
// its main window being shown (start-up done, first paint handled), and the
// resident memory at that moment, over repeated runs.
//
//   startup_bench [runs] [file.bas]
//
// Each run starts this program again as a child process ("--child"), which
// does exactly what the program's main does (ProgramStart::Start) in a
// program folder of its own (QUARVEL_HOME), reports when the window shows,
// then closes the window normally and exits.  The first run starts in an
// empty folder (and writes the default settings file); the others find the
// settings the previous run saved.  Without a display the runs use the
// offscreen platform.  Targets: under 0.5 s and under 100 MB.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchChild.h"
#include "mainwindow/ProgramStart.h"
#include "mainwindow/frmMain.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Waits for the first paint of a widget.
class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(watched, event);
    }
};

int Child(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    std::unique_ptr<frmMain> window(ProgramStart::Start(app, ProgramStart::ArgumentsOf(argc, argv)));
    FirstPaint paint;
    window->installEventFilter(&paint);
    while (!paint.painted && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 inProcessMs = clock.elapsed();
    std::printf("shown %lld %ld\n", static_cast<long long>(inProcessMs), ResidentKiB());
    std::fflush(stdout);
    window->close();
    window.reset();
    return 0;
}

struct Run {
    double wallMs = 0;      // process start to shown, measured by the parent
    double inProcessMs = 0; // QApplication creation to shown, measured by the child
    long rssKiB = 0;
};

bool RunOnce(const char* self, const std::string& home, const char* file, Run& run) {
    ChildRun child;
    std::vector<std::string> args;
    if (file) args.emplace_back(file);
    if (!RunChild(self, home, args, child)) return false;
    long long inProcess = 0;
    long rss = 0;
    if (std::sscanf(child.out.c_str(), "shown %lld %ld", &inProcess, &rss) != 2) return false;
    run.wallMs = child.firstLineMs;
    run.inProcessMs = static_cast<double>(inProcess);
    run.rssKiB = rss;
    return child.exitedOk;
}

template <typename T>
void Summary(const char* what, std::vector<T> values, const char* unit, double scale) {
    std::sort(values.begin(), values.end());
    const double median = values.size() % 2 ? values[values.size() / 2]
                                            : (values[values.size() / 2 - 1] + values[values.size() / 2]) / 2.0;
    std::printf("%-34s min %8.1f  median %8.1f  max %8.1f %s\n", what, values.front() * scale, median * scale,
                values.back() * scale, unit);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) {
        // The child's command line is what the program would get: the
        // optional file only.
        std::vector<char*> args{argv[0]};
        for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
        int childArgc = static_cast<int>(args.size());
        args.push_back(nullptr);
        return Child(childArgc, args.data());
    }

    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 10;
    const char* file = argc >= 3 ? argv[2] : nullptr;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    char home[] = "/tmp/startup_bench-XXXXXX";
    if (!mkdtemp(home)) {
        std::perror("mkdtemp");
        return 1;
    }
    std::printf("startup_bench: %d runs, platform %s, program folder %s%s%s\n", runs,
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "(default)", home,
                file ? ", file " : "", file ? file : "");

    std::vector<double> wall, inProcess, rss;
    for (int i = 0; i < runs; ++i) {
        Run run;
        if (!RunOnce("/proc/self/exe", home, file, run)) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        std::printf("run %2d: start to shown %7.1f ms (in process %5.0f ms), resident %6.1f MB\n", i + 1,
                    run.wallMs, run.inProcessMs, run.rssKiB / 1024.0);
        wall.push_back(run.wallMs);
        inProcess.push_back(run.inProcessMs);
        rss.push_back(static_cast<double>(run.rssKiB));
    }
    Summary("start to shown (process start)", wall, "ms", 1.0);
    Summary("start to shown (in process)", inProcess, "ms", 1.0);
    Summary("resident memory after start", rss, "MB", 1.0 / 1024.0);
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return 0;
}
