// libFuzzer target: the program's file readers (settings, recent list, motion
// scripts, include merge) on any bytes: no crash, no hang, no sanitizer
// report, and every rule that FilesFuzzInput checks holds.
#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FilesFuzzInput.h"

namespace {

// Qt's warnings (the offscreen platform's notes on window calls it does not
// support) would bury libFuzzer's own output; critical and fatal messages
// still go to standard error.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qInstallMessageHandler(QuietMessages);
    // Set before the application object exists: fuzzing runs without a
    // display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char name[] = "files_fuzz";
    static char* qtArgv[] = {name, nullptr};
    new QApplication(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = filesfuzz::RunInput(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "files_fuzz: %s\n", broken.c_str());
        __builtin_trap();
    }
    return 0;
}
