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
#include "FuzzShared.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qInstallMessageHandler(fuzzshared::QuietMessages);
    static int qtArgc = 1;
    static char name[] = "protocol_fuzz";
    static char* qtArgv[] = {name, nullptr};
    new QCoreApplication(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzzshared::EndIfBroken("protocol_fuzz", protocolfuzz::RunInput(data, size));
}
