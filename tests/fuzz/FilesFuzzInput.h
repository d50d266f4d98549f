// One fuzzing input for the program's file readers: the settings file, the
// recent-files list, motion-script files and the include merge of the
// compile pipeline.  Shared by the libFuzzer target files_fuzz and by the
// test that replays the kept inputs in the normal build.
//
// Input layout: the first byte chooses what is read; the rest is the file.
// - bits 0-1: the reader (0 settings, 1 the list-like files, 2 motion
//   script, 3 include merge);
// - bits 2-3: the user-interface language, and with it the code page of the
//   files (English CP1252, Korean CP949, Japanese CP932, Chinese CP936);
// - bits 4-7: options of the reader (buffer size of the settings reads;
//   whether the include merge goes on into a whole compile).  For reader 1,
//   bits 4-5 choose the file: 0 the recent list, 1 a robot file (bit 6: the
//   user's robot file; bit 7: the same bytes also as the settings file's
//   robot choice and as a robot picture), 2 a command-set file, 3 the boot
//   loader's access code (bits 6-7: the image beside it, 0-1 usable, 2
//   missing, 3 empty) and the byte lists it is made of.
// For the include merge the file bytes are split at each 0xFF byte into the
// main program and up to four include files (kIncludeFileNames).
//
// Needs a QApplication (the pipeline yields to the event queue).  Message
// boxes are answered with their default button while an input runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace filesfuzz {

// Names of the files the include-merge input is split into, in order; the
// first is the main program.
extern const char* const kIncludeFileNames[5];

// Runs one input.  Returns "" when every reader behaved, else a description
// of the broken rule (a crash or a sanitizer report ends the process instead).
std::string RunInput(const uint8_t* data, size_t size);

// The reader an input's first byte chooses: 0 settings, 1 recent list,
// 2 motion script, 3 include merge, 4 robot file, 5 command set, 6 access
// code.
int ReaderOf(uint8_t selector);

}  // namespace filesfuzz
