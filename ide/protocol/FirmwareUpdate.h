// The firmware update: the exchange with the controller's boot loader that
// puts a new firmware image into the controller's flash.
//
// It runs over the serial port: a wake-up of five bytes, each written on its
// own without an echo (after the quiet line, like every byte the link
// sends) and answered with its reply byte by the link's normal reply wait; a
// pause of 100 ms; then raw mode (bootup_modMain::RawMode), in which the
// update reads the port itself: the boot loader's prompt, answered at once
// with the seven-byte start sequence, a five-byte acknowledgement, then the
// image in numbered blocks of 256 bytes (even bytes XORed with the block
// number) with a sum, each answered by "!", and the end marker {255, 0}.
// After a good update the controller gets a settling pause before anything
// else is sent.
//
// Like every protocol operation it shows nothing: it returns whether the
// update went through, leaves its failure's code in CommError and reports
// its progress through a callback.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "protocol/vxIO_Protocol.h"

namespace Firmware {

// The update numbers its blocks of 256 bytes with one byte, and 255 is its
// end marker: blocks 0 to 254 carry at most 65,280 bytes.
inline constexpr int32_t kMaxImageBytes = 255 * 256;

// The boot loader's access code: the bytes the update writes and the bytes
// it expects back.
struct AccessCode {
    std::array<uint8_t, 5> WakeUp{};
    std::array<uint8_t, 5> WakeUpReply{};
    uint8_t Prompt = 0;
    std::array<uint8_t, 7> Start{};
    std::array<uint8_t, 5> Acknowledge{};
};

}  // namespace Firmware

namespace vxIO {

enum : int16_t {
    // The boot loader did not answer as its access code says: a wrong
    // wake-up reply, no prompt, a wrong acknowledgement, a block refused or
    // not answered, or the line failed while the boot loader had it.
    kErrBootLoader = -28,
};

// Waits of the update, milliseconds: for the boot loader's prompt, for its
// acknowledgement and each block's reply, and the settling pause after the
// end marker.
inline constexpr int kFirmwarePromptWaitMs = 10000;
inline constexpr int kFirmwareReplyWaitMs = 3000;
inline constexpr int kFirmwareSettleMs = 2000;

struct FirmwareWaits {
    int PromptMs = kFirmwarePromptWaitMs;
    int ReplyMs = kFirmwareReplyWaitMs;
    int SettleMs = kFirmwareSettleMs;
};

// A block as it goes out after its two-byte header {k, 0}: 256 coded data
// bytes and the checksum.
using FirmwareBlock = std::array<uint8_t, 257>;

// Number of the last block for an image whose last index is lastIndex:
// lastIndex / 256 rounded to the nearest whole number, a half to even; 0
// for an empty image.
int32_t LastFirmwareBlock(int32_t lastIndex);

// Codes block k (0..254) of the image into frame (bytes past the image's
// end are 255; the sum is k plus the plain bytes, mod 256) and writes the
// header and the frame to the open port; false when a write failed.
bool SendFirmwareBlock(const std::vector<uint8_t>& image, int16_t k, FirmwareBlock& frame);

// The whole update of the image (1 to kMaxImageBytes bytes) with the access
// code, as one controller exchange.  Progress: 0 of L once the boot loader
// has acknowledged (L the last block's number), then k of L after block k's
// "!".  True when the end marker went out; the settling pause has then
// passed as well, and CommError is 0 (-2 when the port would not close,
// which does not undo the update).  On failure the code is in CommError: a link code (-1, -3,
// -4, -6, -27) when the port or the wake-up's reply wait failed, for which
// the caller shows the error box, and kErrBootLoader when the boot loader
// answered wrong or not at all, which the caller does not report.  An empty
// image is -21 and a longer one -22, and nothing is sent for either.  Every
// path leaves the port closed and raw mode off.
bool UpdateFirmware(const std::vector<uint8_t>& image, const Firmware::AccessCode& code, const FirmwareWaits& waits,
                    const Progress& progress);

}  // namespace vxIO
