// libFuzzer target: the controller protocol against a line whose answers
// come from the input: every exchange returns within its short waits with
// success or a link error code, never a crash, a hang or a sanitizer report,
// and every rule that ProtocolFuzzInput checks holds.
#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ProtocolFuzzInput.h"

namespace {

// Qt's warnings would bury libFuzzer's own output; critical and fatal
// messages still go to standard error.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qInstallMessageHandler(QuietMessages);
    static int qtArgc = 1;
    static char name[] = "protocol_fuzz";
    static char* qtArgv[] = {name, nullptr};
    new QCoreApplication(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = protocolfuzz::RunInput(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "protocol_fuzz: %s\n", broken.c_str());
        __builtin_trap();
    }
    return 0;
}
