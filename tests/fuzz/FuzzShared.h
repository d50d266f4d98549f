// What the fuzz targets and their corpus replays share: Qt's messages kept
// out of libFuzzer's output, the end of a run whose rules broke, and the
// kept inputs of a seed folder.
#pragma once

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace fuzzshared {

// Qt's warnings would bury libFuzzer's own output; critical and fatal
// messages still go to standard error.
inline void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// A rule that broke ends the run as a crash, so that libFuzzer keeps the input.
inline int EndIfBroken(const char* target, const std::string& broken) {
    if (!broken.empty()) {
        std::fprintf(stderr, "%s: %s\n", target, broken.c_str());
        __builtin_trap();
    }
    return 0;
}

// Every regular file of a seed folder, by name and bytes.
inline void ForEachInput(const std::filesystem::path& dir,
                         const std::function<void(const std::string& name, const std::string& data)>& take) {
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        take(e.path().filename().string(),
             std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
}

}  // namespace fuzzshared
