// One fuzzing input for the program's file readers: the settings file, the
// recent-files list, motion-script files and the include merge of the
// compile pipeline.  Shared by the libFuzzer target files_fuzz and by the
// test that replays the kept inputs in the normal build.
//
// Input layout: the first byte chooses what is read; the rest is the file.
// - bits 0-1: the reader (0 settings, 1 recent list, 2 motion script,
//   3 include merge);
// - bits 2-3: the user-interface language, and with it the code page of the
//   files (English CP1252, Korean CP949, Japanese CP932, Chinese CP936);
// - bits 4-7: options of the reader (buffer size of the settings reads;
//   whether the include merge goes on into a whole compile).
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

}  // namespace filesfuzz
