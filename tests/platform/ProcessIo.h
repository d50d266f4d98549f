// How many bytes this process has read and written through the system's
// read and write calls (the kernel's count in /proc/self/io), so that a test
// can tell "one read and one write of the file" from "a read of the file per
// key" by the bytes moved instead of by the time taken.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

struct ProcessIo {
    int64_t read = -1;     // rchar
    int64_t written = -1;  // wchar

    // The counts now; -1 each when the system does not give them.
    static ProcessIo Now() {
        ProcessIo io;
        std::ifstream file("/proc/self/io");
        std::string key;
        int64_t value = 0;
        while (file >> key >> value) {
            if (key == "rchar:") io.read = value;
            if (key == "wchar:") io.written = value;
        }
        return io;
    }

    // What was moved since `before`.
    ProcessIo Since(const ProcessIo& before) const { return {read - before.read, written - before.written}; }
};
