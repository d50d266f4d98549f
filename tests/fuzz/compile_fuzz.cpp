// libFuzzer target: any bytes, compiled as a program, must give a result and
// an error number, never a crash, a hang or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <string>

#include "compiler/QUARVELv2.h"
#include "compiler/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static qvv2::QUARVELv2* compiler = [] {
        auto* c = new qvv2::QUARVELv2();
        c->Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
        c->CodePage = "CP949";
        c->Filename = u"FUZZ.bas";
        return c;
    }();
    if (size == 0) return 0;
    // The first byte picks the controller form and the message language, so
    // every MOVEPOS/POS form and both message tables are reached.
    static const int16_t kConTypes[] = {0, 2, 5, 8};
    compiler->Con_Type = kConTypes[data[0] & 3];
    compiler->Con_ID = static_cast<uint8_t>(1 + ((data[0] >> 2) % 3));
    compiler->cmdLang = static_cast<int16_t>((data[0] >> 4) & 1);
    std::u16string text = qvv2::FromUtf8(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    compiler->Compile(text);
    if (compiler->Bas_Error == 0 && compiler->TotalBytes > 0) {
        // A successful image is header + code + end jump, inside the buffer.
        if (compiler->TotalBytes < 19 || compiler->TotalBytes > qvv2::QUARVELv2::kBufferMax ||
            static_cast<int32_t>(compiler->ObjCode.size()) != compiler->TotalBytes + 1)
            __builtin_trap();
    }
    return 0;
}
