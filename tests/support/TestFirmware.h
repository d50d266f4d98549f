// The firmware package of the tests: a boot loader access code (for the
// simulated controller and as the program's access-code file) and a
// stand-in firmware image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ControllerSim.h"

// The boot loader access code of the tests: any five, five, one, seven and
// five bytes that are not controller commands.
inline ControllerSim::BootCode TestBootCode() {
    ControllerSim::BootCode c;
    c.wakeUp = {0x1B, 0x57, 0x41, 0x4B, 0x45};
    c.wakeUpReply = {0x77, 0x61, 0x6B, 0x65, 0x21};
    c.prompt = 0x3E;
    c.start = {0x53, 0x54, 0x41, 0x52, 0x54, 0x0D, 0x0A};
    c.acknowledge = {0x4F, 0x4B, 0x21, 0x0D, 0x0A};
    return c;
}

inline const char* TestBootCodeIni() {
    return "[BootLoader]\r\n"
           "WakeUp=1B 57 41 4B 45\r\n"
           "WakeUpReply=77 61 6B 65 21\r\n"
           "Prompt=3E\r\n"
           "Start=53 54 41 52 54 0D 0A\r\n"
           "Acknowledge=4F 4B 21 0D 0A\r\n";
}

// A stand-in firmware image: every byte a function of its index, so a
// misplaced or mis-coded byte shows.
inline std::vector<uint8_t> GeneratedFirmware(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<uint8_t>((i * 7 + i / 256 * 13 + 5) & 0xFF);
    return image;
}
