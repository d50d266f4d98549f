// Starts the benchmark again as a child process, `self --child ARGS...`, with
// QUARVEL_HOME set to `home`, and reads what it prints on its standard
// output: the time from the start to the child's first complete line (the
// child prints it the moment what is measured is done), all it printed, and
// whether it exited with status 0.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

struct ChildRun {
    double firstLineMs = -1;  // start to the first line end; -1: none came
    std::string out;
    bool exitedOk = false;
};

inline bool RunChild(const char* self, const std::string& home, const std::vector<std::string>& args, ChildRun& run) {
    run = ChildRun{};
    std::vector<char*> argv{const_cast<char*>(self), const_cast<char*>("--child")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        setenv("QUARVEL_HOME", home.c_str(), 1);
        execv(self, argv.data());
        _exit(127);
    }
    close(fds[1]);
    char buf[256];
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0) break;
        run.out.append(buf, static_cast<size_t>(n));
        if (run.firstLineMs < 0 && run.out.find('\n') != std::string::npos)
            run.firstLineMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitedOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run.firstLineMs >= 0;
}
