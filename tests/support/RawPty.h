// A fresh pseudo-terminal for a simulated controller: the master side to
// talk on, without blocking, and the slave side held open in raw mode, so
// that the line stays up while the host closes and reopens it, bytes sent
// meanwhile wait in the line, and the line itself never echoes or edits.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

struct RawPty {
    int master = -1;
    int slave = -1;
    std::string slavePath;  // the device the host opens; empty when none could be had
};

inline RawPty OpenRawPty() {
    RawPty pty;
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (pty.master < 0) return pty;
    char name[128] = {};
    if (::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0 || ::ptsname_r(pty.master, name, sizeof name) != 0) {
        ::close(pty.master);
        pty.master = -1;
        return pty;
    }
    pty.slavePath = name;
    pty.slave = ::open(name, O_RDWR | O_NOCTTY);
    if (pty.slave >= 0) {
        termios t{};
        if (::tcgetattr(pty.slave, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(pty.slave, TCSANOW, &t);
        }
    }
    ::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    return pty;
}
