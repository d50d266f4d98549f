// The controller firmware that the download window can put into an old
// controller, and the access code of the controller's boot loader.
//
// Neither ships with the program: the maker supplies them as two files in
// the program's data folder "firmware" (modApp::DataFolder: the one in the
// program's folder, or, when that has none, the one beside the program):
//
//   firmware/controller.fw    the firmware image, raw bytes (the controller's
//                             flash program), 1 to 65,280 bytes
//   firmware/bootloader.ini   the boot loader's access code, hexadecimal
//                             bytes separated by blanks or commas:
//                               [BootLoader]
//                               WakeUp=      5 bytes written one at a time
//                               WakeUpReply= 5 bytes, the reply to each
//                               Prompt=      1 byte the boot loader sends
//                               Start=       7 bytes answering the prompt
//                               Acknowledge= 5 bytes the boot loader answers
//
// Without both, or with either unusable, the update is not offered and the
// window says why (for the access code, which key is wrong and how many
// bytes it holds).
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// The access code type and the image limit belong to the update itself.
#include "protocol/FirmwareUpdate.h"

namespace Firmware {

enum class Problem {
    None,
    ImageMissing,   // no image file
    ImageUnusable,  // unreadable, empty or longer than kMaxImageBytes
    CodeUnusable,   // access code file missing, or a value missing or malformed
};

struct Package {
    std::vector<uint8_t> Image;
    AccessCode Code;
    Problem Trouble = Problem::ImageMissing;
    QString File;  // the file the trouble concerns
    // With CodeUnusable: the first key of the access code whose value is
    // missing or wrong, and how many bytes it holds; empty and 0 when the
    // file itself is missing.
    QString Key;
    int KeyBytes = 0;
    bool Usable() const { return Trouble == Problem::None; }
};

// The folder of the two files (modApp::DataFolder "firmware", with the path
// separator appended) and the two files in it.
QString FirmwareFolder();
QString ImagePath();
QString AccessCodePath();

// Loads both files from FirmwareFolder, or from the "firmware" folder in
// `folder`.
Package Load();
Package LoadFrom(const QString& folder);

// Parses hexadecimal bytes ("1B 5A,0x3e &H7F") into exactly `count` bytes.
bool ParseBytes(const QString& text, size_t count, std::vector<uint8_t>& out);

// Why the update is not available, in the user's language, with the file's
// path on a line of its own; empty for a usable package.
QString ProblemText(const Package& package);

}  // namespace Firmware
