// libFuzzer target: the program's file readers (settings, recent list, motion
// scripts, include merge) on any bytes: no crash, no hang, no sanitizer
// report, and every rule that FilesFuzzInput checks holds.
#include <QApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FilesFuzzInput.h"
#include "FuzzShared.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qInstallMessageHandler(fuzzshared::QuietMessages);
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
    return fuzzshared::EndIfBroken("files_fuzz", filesfuzz::RunInput(data, size));
}
