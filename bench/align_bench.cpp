// Program alignment benchmark: the first "Align Program" (F8) on a program
// just opened in the real main window, as the user runs it.  The program
// starts as its main() does (ProgramStart::Start, the file on its command
// line, opened as the first document), the menu command runs the pass, the
// editor takes the aligned text in one undoable edit and the window
// repaints.  Reported: the CPU time of the process over that first F8
// (CLOCK_PROCESS_CPUTIME_ID) and its wall time, the peak resident memory
// while it ran and after opening; then one undo (the Edit menu's Undo,
// Ctrl+Z) must give back the opened text byte for byte and one redo the
// aligned text, and their CPU times are reported too.
//
// The programs:
//   20000    the typing benchmark's program (typing_bench --write 20000)
//   100000   the same program at 100,000 lines
//   nested   2,900 lines: 1,450 loops opened one inside the other, then
//            closed (the indentation grows with the square of the depth,
//            up to the pass's budget)
//   absurd   200,000 lines: 100,000 nested loops, far beyond the budget
//            (the lines deeper than the deepest level that fits are
//            written at that level)
//
//   align_bench [rounds]             every program, each run in a process of
//                                    its own, `rounds` times (default 3),
//                                    with the undo and redo and their checks
//   align_bench --program PROGRAM [--open | --undo]
//                                    one program in this process, for a
//                                    profiler or a process timer: opened and
//                                    aligned; with --open opened only; with
//                                    --undo also undone and redone, checked
//
// The interface language is Korean (LANG=ko_KR.UTF-8): the programs carry
// Korean comments, stored in code page 949.  Without a display the runs use
// the offscreen platform.  Target: under 500 ms of CPU for the first F8, and
// under 1 s for the absurd nesting.
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchChild.h"
#include "BenchClock.h"
#include "BenchProgram.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "mainwindow/ProgramStart.h"
#include "mainwindow/frmMain.h"

namespace {

// The process's peak resident size in KiB (VmHWM), or -1.
long PeakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Starts the peak resident size afresh at the current size.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// `lines` lines: loops opened one inside the other, then closed.
QString NestedProgram(int lines) {
    QStringList out;
    out.reserve(lines);
    for (int i = 0; i < lines; ++i) out << (i < lines / 2 ? QStringLiteral("FOR I = 1 TO 2") : QStringLiteral("NEXT I"));
    return out.join(QStringLiteral("\r\n"));
}

struct Program {
    const char* name;
    double targetCpuMs;  // for the median of the first F8
};
const Program kPrograms[] = {{"20000", 500}, {"100000", 500}, {"nested", 500}, {"absurd", 1000}};

bool ProgramText(const std::string& name, QString& text) {
    if (name == "20000") text = BenchProgram(20000);
    else if (name == "100000") text = BenchProgram(100000);
    else if (name == "nested") text = NestedProgram(2900);
    else if (name == "absurd") text = NestedProgram(200000);
    else return false;
    return true;
}

// The editor's text, as a digest of its UTF-16 units: the texts compared
// here are megabytes, and a copy kept for the comparison would count in the
// memory measured.
QByteArray Digest(const platform::CodeEditor* rt) {
    const QString text = rt->WholeText();
    return QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(text.constData()), text.size() * 2),
                                    QCryptographicHash::Sha256);
}

void Settle() {
    for (int i = 0; i < 3; ++i) {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
}

// F8 as the user presses it, until the window has settled.  A function of
// its own, so that a profiler can count it alone (valgrind --tool=callgrind
// --toggle-collect='*PressF8*').
__attribute__((noinline)) void PressF8(frmMain& window) {
    window.mnuEdit_Align->trigger();
    Settle();
}

enum class Steps { Open, Align, AlignAndUndo };

// One program in this process: opens it in the main window, presses F8,
// undoes and redoes, as far as `steps` says.  Prints one line "result ..."
// that the parent reads.
int RunProgram(const std::string& name, Steps steps) {
    QString text;
    if (!ProgramText(name, text)) {
        std::fprintf(stderr, "unknown program \"%s\" (20000, 100000, nested or absurd)\n", name.c_str());
        return 1;
    }
    std::string home;
    const bool ownHome = qEnvironmentVariableIsEmpty(ProgramStart::kHomeVariable);
    if (ownHome) {
        char dir[] = "/tmp/align_bench-XXXXXX";
        if (!mkdtemp(dir)) {
            std::perror("mkdtemp");
            return 1;
        }
        home = dir;
        setenv(ProgramStart::kHomeVariable, dir, 1);
    } else {
        home = qgetenv(ProgramStart::kHomeVariable).toStdString();
    }
    // A program already in the given folder is used as it is (written once
    // for a profiler, whose run might not afford the writing).
    const std::string path = home + "/" + name + ".bas";
    std::error_code error;
    const qsizetype size = !ownHome && std::filesystem::is_regular_file(path, error)
                               ? static_cast<qsizetype>(std::filesystem::file_size(path, error))
                               : WriteProgramFile(text, path);
    text = QString();
    if (size < 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    std::vector<char*> args{const_cast<char*>("align_bench"), const_cast<char*>(path.c_str()), nullptr};
    int argc = 2;
    QApplication app(argc, args.data());
    std::unique_ptr<frmMain> window(ProgramStart::Start(app, ProgramStart::ArgumentsOf(argc, args.data())));
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    if (!doc || doc->rt->LineCount() < 2) {
        std::fprintf(stderr, "the program did not open\n");
        return 1;
    }
    platform::CodeEditor* rt = doc->rt;
    Settle();
    const int32_t lineCount = rt->LineCount();
    const long openPeak = PeakKiB();
    // The checks read the whole text, which a timer of the whole process
    // would count too: only where they are asked for.
    const bool check = steps == Steps::AlignAndUndo;
    const QByteArray opened = check ? Digest(rt) : QByteArray();

    int failures = 0;
    double cpu = 0, wall = 0, undoCpu = 0, redoCpu = 0;
    long peak = -1;
    if (steps != Steps::Open) {
        ResetPeak();
        const double cpu0 = CpuMs();
        const double wall0 = WallMs();
        PressF8(*window);
        cpu = CpuMs() - cpu0;
        wall = WallMs() - wall0;
        peak = PeakKiB();
    }
    if (check) {
        const QByteArray aligned = Digest(rt);
        if (aligned == opened) {
            std::fprintf(stderr, "F8 did not change the text\n");
            ++failures;
        }
        if (rt->LineCount() != lineCount) {
            std::fprintf(stderr, "F8 changed the number of lines\n");
            ++failures;
        }
        // One item of the Edit menu, its CPU time; it must leave `expected`.
        const auto step = [&](QAction* item, const QByteArray& expected, const char* otherwise) {
            const double t0 = CpuMs();
            item->trigger();
            Settle();
            const double ms = CpuMs() - t0;
            if (Digest(rt) != expected) {
                std::fprintf(stderr, "%s\n", otherwise);
                ++failures;
            }
            return ms;
        };
        undoCpu = step(window->undo, opened, "one undo did not give back the opened text");
        if (rt->CanUndo()) {
            std::fprintf(stderr, "one undo did not take back the whole F8\n");
            ++failures;
        }
        redoCpu = step(window->redo, aligned, "one redo did not give back the aligned text");
    }
    std::printf("result %s %d %.3f %.2f %.2f %.1f %.1f %.2f %.2f %d\n", name.c_str(), lineCount, size / 1e6, cpu, wall,
                peak / 1024.0, openPeak / 1024.0, undoCpu, redoCpu, failures);
    std::fflush(stdout);
    doc->Modified = false;
    if (ownHome) {
        std::error_code ignored;
        std::filesystem::remove_all(home, ignored);
    }
    // The windows are not torn down: the figures are printed.
    _exit(failures ? 1 : 0);
}

struct Figures {
    int lines = 0;
    double megabytes = 0, cpu = 0, wall = 0, peak = 0, openPeak = 0, undoCpu = 0, redoCpu = 0;
    int failures = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "ko_KR.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");

    if (argc >= 3 && std::strcmp(argv[1], "--program") == 0) {
        const char* option = argc >= 4 ? argv[3] : "";
        return RunProgram(argv[2], std::strcmp(option, "--open") == 0   ? Steps::Open
                                   : std::strcmp(option, "--undo") == 0 ? Steps::AlignAndUndo
                                                                        : Steps::Align);
    }
    // How the runs below start a process of their own.
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) return RunProgram(argv[2], Steps::AlignAndUndo);

    const int rounds = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 3;
    std::printf("align_bench: the first F8 in a freshly opened main window, %d processes a program, platform %s\n",
                rounds, std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "(default)");
    bool ok = true;
    bool met = true;
    for (const Program& entry : kPrograms) {
        const char* const name = entry.name;
        std::vector<double> cpu, wall, peak, undo, redo;
        Figures f;
        for (int round = 0; round < rounds; ++round) {
            char home[] = "/tmp/align_bench-XXXXXX";
            if (!mkdtemp(home)) return 1;
            ChildRun run;
            const bool started = RunChild("/proc/self/exe", home, {name}, run);
            std::error_code ignored;
            std::filesystem::remove_all(home, ignored);
            char program[32] = {};
            const size_t at = run.out.find("result ");
            if (!started || at == std::string::npos ||
                std::sscanf(run.out.c_str() + at, "result %31s %d %lf %lf %lf %lf %lf %lf %lf %d", program, &f.lines,
                            &f.megabytes, &f.cpu, &f.wall, &f.peak, &f.openPeak, &f.undoCpu, &f.redoCpu,
                            &f.failures) != 10 ||
                f.failures != 0 || !run.exitedOk) {
                std::fprintf(stderr, "%s: run %d failed\n", name, round + 1);
                ok = false;
                break;
            }
            std::printf("  %-6s run %d: F8 CPU %7.1f ms, wall %7.1f ms, peak %6.1f MB (%6.1f MB after opening); undo CPU "
                        "%6.1f ms, redo CPU %6.1f ms\n",
                        name, round + 1, f.cpu, f.wall, f.peak, f.openPeak, f.undoCpu, f.redoCpu);
            std::fflush(stdout);
            cpu.push_back(f.cpu);
            wall.push_back(f.wall);
            peak.push_back(f.peak);
            undo.push_back(f.undoCpu);
            redo.push_back(f.redoCpu);
        }
        if (cpu.empty()) continue;
        const double median = Median(cpu);
        const bool within = median < entry.targetCpuMs;
        met = met && within;
        std::printf("%s (%d lines, %.2f MB): first F8 CPU median %.1f ms (min %.1f, max %.1f), wall %.1f ms, peak %.1f MB; "
                    "one undo and one redo exact (CPU %.1f and %.1f ms); target < %.0f ms: %s\n",
                    name, f.lines, f.megabytes, median, *std::min_element(cpu.begin(), cpu.end()),
                    *std::max_element(cpu.begin(), cpu.end()), Median(wall), Median(peak), Median(undo), Median(redo),
                    entry.targetCpuMs, within ? "met" : "MISSED");
        std::fflush(stdout);
    }
    if (!ok) return 1;
    return met ? 0 : 2;
}
