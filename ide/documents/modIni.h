// Module modIni: one value of a settings file in INI form, read or written.
// Any file in that form goes through here: the program's settings file
// and the robot files.  Matching, defaults and the written layout are those
// of platform/Profile.h.
#pragma once

#include <QString>

#include "platform/Profile.h"

namespace modIni {

// The value stored under `key` in `section` of `file`, or `defaultValue`
// when the file, section or key is missing; at most 254 characters.
QString ReadIni(const QString& section, const QString& key, const QString& defaultValue, const QString& file);

// Stores `value` under `key` in `section` of `file`, creating the file, the
// section and the key as needed.  Outside a Batch, a write the file
// system refuses is lost without a message; inside one, the batch reports it.
void WriteIni(const QString& section, const QString& key, const QString& value, const QString& file);

// A run of settings reads and writes that reads each file once and writes
// each changed file once, at its end (see platform::ProfileBatch).  When the
// outermost batch ends and a write failed (a full disk, a read-only file, a
// file that is no ordinary file), the old file stays as it was and one
// message box says so: "Error : " and the run-time error number as its title
// and first line, then the error's description and the file.  Nested batches
// report nothing of their own.
class Batch {
public:
    Batch() = default;
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

private:
    platform::ProfileBatch batch_;
};

// The message of a failed settings write (errno `err`) to `file`.
void ShowWriteError(int err, const QString& file);

}  // namespace modIni
