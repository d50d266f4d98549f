// Opening benchmark: the time from starting the program with a file to its
// window being visible with the file's text painted, and the program's
// memory then, for an empty file, a short program, 20,000 lines and
// 100,000 lines (5 MB).
//
//   open_bench [runs] [lines ...]      default: 7 runs of 0, 100, 20000, 100000 lines
//
// Each run starts this program again as a child process ("--child FILE"),
// which does what the program's main does (ProgramStart::Start) with the
// file as its argument, in a fresh program folder (QUARVEL_HOME), and
// reports as soon as the document's editor has painted its text; then it
// exits at once.  The parent measures the wall time from the fork; the
// child reports the CPU time it used until then (CLOCK_PROCESS_CPUTIME_ID,
// less sensitive to the machine's load than the wall time), its resident
// memory at that moment (VmRSS) and its peak (VmHWM).  The files hold Korean comments in code page 949, so the
// interface language is Korean (LANG=ko_KR.UTF-8).  Without a display the
// runs use the offscreen platform.  The sizes of one run follow each other,
// so a changing load touches them alike.  Targets: 20,000 lines under
// 200 ms, 5 MB under 700 ms; memory after opening at most the empty file's
// plus three times the file's size.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchChild.h"
#include "BenchProgram.h"
#include "documents/Documents.h"
#include "documents/Files.h"
#include "documents/modApp.h"
#include "mainwindow/ProgramStart.h"
#include "mainwindow/frmMain.h"
#include "platform/CodeEditor.h"

namespace {

long StatusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(key);
    while (std::getline(status, line))
        if (line.compare(0, n, key) == 0) return std::strtol(line.c_str() + n, nullptr, 10);
    return -1;
}

// Notices the first paint of the active document's editor once it holds
// text (any paint of it for an empty file).
class TextPainted : public QObject {
public:
    explicit TextPainted(bool empty) : empty_(empty) {}
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            platform::CodeEditor* rt = modApp::ActiveEditor();
            if (rt && watched == rt->viewport() && rt->isVisible() && (empty_ || rt->length() > 0)) painted = true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool empty_;
};

int Child(const char* path, bool empty) {
    std::vector<char*> args{const_cast<char*>("open_bench"), const_cast<char*>(path), nullptr};
    int argc = 2;
    QApplication app(argc, args.data());
    TextPainted paint(empty);
    app.installEventFilter(&paint);
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<frmMain> window(ProgramStart::Start(app, ProgramStart::ArgumentsOf(argc, args.data())));
    while (!paint.painted && clock.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    std::printf("shown %d %ld %ld %.1f\n", paint.painted ? 1 : 0, StatusKiB("VmRSS:"), StatusKiB("VmHWM:"),
                static_cast<double>(cpu.tv_sec) * 1e3 + static_cast<double>(cpu.tv_nsec) / 1e6);
    std::fflush(stdout);
    _exit(0);
}

struct Run {
    double wallMs = 0;
    double cpuMs = 0;
    long rssKiB = 0;
    long peakKiB = 0;
};

bool RunOnce(const char* self, const std::string& file, bool empty, Run& run) {
    char home[] = "/tmp/open_bench-home-XXXXXX";
    if (!mkdtemp(home)) return false;
    ChildRun child;
    const bool started = RunChild(self, home, {file, empty ? "empty" : "text"}, child);
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    int painted = 0;
    if (!started ||
        std::sscanf(child.out.c_str(), "shown %d %ld %ld %lf", &painted, &run.rssKiB, &run.peakKiB, &run.cpuMs) != 4 ||
        !painted)
        return false;
    run.wallMs = child.firstLineMs;
    return child.exitedOk;
}

void Summary(const char* what, std::vector<double> v, const char* unit) {
    std::sort(v.begin(), v.end());
    const double median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
    std::printf("  %-26s median %8.1f  min %8.1f  max %8.1f %s\n", what, median, v.front(), v.back(), unit);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) return Child(argv[2], std::strcmp(argv[3], "empty") == 0);

    const int runs = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 7;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::max(0, std::atoi(argv[i])));
    if (sizes.empty()) sizes = {0, 100, 20000, 100000};
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "ko_KR.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");

    char dir[] = "/tmp/open_bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;
    std::map<int, std::string> files;
    std::map<int, double> megabytes;
    for (const int lines : sizes) {
        QByteArray bytes;
        if (lines > 0 && !modApp::EncodeFileText(BenchProgram(lines), "CP949", bytes, nullptr)) return 1;
        const std::string path = std::string(dir) + "/prog" + std::to_string(lines) + ".bas";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f) return 1;
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
        std::fclose(f);
        files[lines] = path;
        megabytes[lines] = bytes.size() / (1024.0 * 1024.0);
    }
    std::printf("open_bench: %d runs, platform %s\n", runs,
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "(default)");
    std::map<int, std::vector<Run>> results;
    for (int i = 0; i < runs; ++i) {
        for (const int lines : sizes) {
            Run run;
            if (!RunOnce("/proc/self/exe", files[lines], lines == 0, run)) {
                std::fprintf(stderr, "%d lines, run %d failed\n", lines, i + 1);
                return 1;
            }
            results[lines].push_back(run);
            std::printf("run %d, %6d lines: shown %7.1f ms (CPU %7.1f ms), resident %6.1f MB, peak %6.1f MB\n", i + 1,
                        lines, run.wallMs, run.cpuMs, run.rssKiB / 1024.0, run.peakKiB / 1024.0);
            std::fflush(stdout);
        }
    }
    for (const int lines : sizes) {
        std::printf("%d lines (%.2f MB file):\n", lines, megabytes[lines]);
        std::vector<double> wall, cpu, rss, peak;
        for (const Run& r : results[lines]) {
            wall.push_back(r.wallMs);
            cpu.push_back(r.cpuMs);
            rss.push_back(r.rssKiB / 1024.0);
            peak.push_back(r.peakKiB / 1024.0);
        }
        Summary("start to text shown", wall, "ms");
        Summary("CPU time until shown", cpu, "ms");
        Summary("resident after opening", rss, "MB");
        Summary("peak resident", peak, "MB");
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return 0;
}
