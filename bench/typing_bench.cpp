// Typing benchmark: the CPU time that one keystroke costs in a long program.
// The real main window (ProgramStart::Start, as the program's main runs it)
// opens a generated program file; then 200 characters are typed into the
// middle of it through real key events (shortcut override, key press, key
// release), each followed by the event processing it causes (repaint,
// status bar, tab, code tips).  Code tips and the caret-line highlight are
// on, so their work is counted.
//
//   typing_bench [rounds] [lines ...]      default: 7 rounds of 400, 20000, 100000 lines
//
// Each size runs in a process of its own, in a program folder of its own
// (QUARVEL_HOME).  The interface language is Korean (LANG=ko_KR.UTF-8): the
// programs carry Korean comments, stored in code page 949.  Without a
// display the runs use the offscreen platform.  Per round it reports the CPU
// time of the process per key (CLOCK_PROCESS_CPUTIME_ID) and the wall time
// per key; the summary gives their median, minimum and maximum.  Target:
// under 1 ms of CPU a key at 100,000 lines.
//
// For a profiler, one size in this process, without the forks:
//   typing_bench --write LINES FILE                  writes the program
//   QUARVEL_HOME=DIR typing_bench --child LINES ROUNDS FILE
#include <QApplication>
#include <QLabel>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchProgram.h"
#include "documents/Documents.h"
#include "documents/modApp.h"
#include "editor/frmDoc.h"
#include "mainwindow/ProgramStart.h"
#include "mainwindow/frmMain.h"

namespace {

// What is typed in each round: 200 characters, with line breaks, a label,
// MOVE lines (Space after MOVE asks for a code tip), a loop and a Korean
// comment.
QString Typed() {
    QString t = QString::fromUtf8(
        "NEWSTEP:\n"
        "MOVE G6A, 100, 76, 145, 93, 100\n"
        "FOR K = 1 TO 5\n"
        "DELAY 20\n"
        "NEXT K\n"
        "' 새 동작 한 번 더\n"
        "MOVE G6D, 100, 76, 145, 93, 100\n"
        "IF A > 3 THEN GOTO NEWSTEP\n"
        "SPEED 5\n"
        "MOVE G6B, 100, 30, 80, 100, 100, 100\n");
    while (t.size() < 200) t += u'x';
    return t.left(200);
}

void TypeCharacter(QWidget* w, QChar c) {
    if (c == u'\n') {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_Return, QStringLiteral("\r"), Qt::NoModifier);
    } else if (c == u' ') {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_Space, QStringLiteral(" "), Qt::NoModifier);
    } else if (c.unicode() < 0x80) {
        const char16_t u = c.toUpper().unicode();
        const Qt::Key key = (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ? static_cast<Qt::Key>(u)
                                                                              : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, key, QString(c), Qt::NoModifier);
    } else {
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QApplication::processEvents();
}

int Child(int lines, int rounds, const char* path) {
    std::vector<char*> args{const_cast<char*>("typing_bench"), const_cast<char*>(path), nullptr};
    int argc = 2;
    QApplication app(argc, args.data());
    std::unique_ptr<frmMain> window(ProgramStart::Start(app, ProgramStart::ArgumentsOf(argc, args.data())));
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    if (!doc || doc->rt->LineCount() < lines) {
        std::fprintf(stderr, "the program did not open\n");
        return 1;
    }
    platform::CodeEditor* rt = doc->rt;
    if (QAction* tips = window->CodeTipOption()) tips->setChecked(true);
    modApp::HighlightLine = true;
    rt->setFocus();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();

    const QString typed = Typed();
    const int typedLines = static_cast<int>(typed.count(u'\n'));
    for (int round = 0; round < rounds; ++round) {
        const int line = lines / 2 + round * 40;
        rt->PutCaret(line, 0);
        QApplication::processEvents();
        const double cpu0 = CpuMs();
        const double wall0 = WallMs();
        for (const QChar c : typed) TypeCharacter(rt, c);
        const double cpu = CpuMs() - cpu0;
        const double wall = WallMs() - wall0;
        // The keys reached the text and the status follows the caret.
        const QLabel* status = window->StatusPanel(2);
        const QString expected = QString::number(line + typedLines + 1);
        if (!status || !status->text().startsWith(expected) || rt->LineText(line) != QStringLiteral("NEWSTEP:")) {
            std::fprintf(stderr, "round %d: the typing went wrong (status \"%s\", line \"%s\")\n", round + 1,
                         status ? qPrintable(status->text()) : "-", qPrintable(rt->LineText(line)));
            return 1;
        }
        std::printf("round %d %.4f %.4f\n", round + 1, cpu / typed.size(), wall / typed.size());
        std::fflush(stdout);
    }
    doc->Modified = false;
    std::fflush(stdout);
    _exit(0);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2.0;
}

// Writes the program of `lines` lines in code page 949; its size in bytes,
// or -1.
qsizetype WriteProgram(int lines, const std::string& path) { return WriteProgramFile(BenchProgram(lines), path); }

bool RunSize(const char* self, int lines, int rounds) {
    char home[] = "/tmp/typing_bench-XXXXXX";
    if (!mkdtemp(home)) return false;
    const std::string path = std::string(home) + "/long.bas";
    const qsizetype size = WriteProgram(lines, path);
    if (size < 0) return false;
    std::printf("%d lines (%.2f MB):\n", lines, size / 1e6);
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        setenv("QUARVEL_HOME", home, 1);
        const std::string l = std::to_string(lines), r = std::to_string(rounds);
        execl(self, self, "--child", l.c_str(), r.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::vector<double> cpu, wall;
    size_t at = 0;
    while ((at = out.find("round ", at)) != std::string::npos) {
        int n = 0;
        double c = 0, w = 0;
        if (std::sscanf(out.c_str() + at, "round %d %lf %lf", &n, &c, &w) == 3) {
            std::printf("  round %d: CPU %.3f ms a key, wall %.3f ms a key\n", n, c, w);
            cpu.push_back(c);
            wall.push_back(w);
        }
        ++at;
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || cpu.empty()) return false;
    std::printf("  %d lines: CPU a key median %.3f ms (min %.3f, max %.3f); wall a key median %.3f ms (min %.3f, max %.3f)\n",
                lines, Median(cpu), *std::min_element(cpu.begin(), cpu.end()), *std::max_element(cpu.begin(), cpu.end()),
                Median(wall), *std::min_element(wall.begin(), wall.end()), *std::max_element(wall.begin(), wall.end()));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--child") == 0)
        return Child(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    if (argc >= 4 && std::strcmp(argv[1], "--write") == 0) return WriteProgram(std::atoi(argv[2]), argv[3]) < 0 ? 1 : 0;

    const int rounds = argc >= 2 ? std::max(1, std::atoi(argv[1])) : 7;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::max(1, std::atoi(argv[i])));
    if (sizes.empty()) sizes = {400, 20000, 100000};
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("LANG", "ko_KR.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    std::printf("typing_bench: %d rounds of 200 keys, platform %s\n", rounds,
                std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "(default)");
    for (const int lines : sizes)
        if (!RunSize("/proc/self/exe", lines, rounds)) {
            std::fprintf(stderr, "%d lines: the run failed\n", lines);
            return 1;
        }
    return 0;
}
