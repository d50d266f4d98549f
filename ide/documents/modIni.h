// Module modIni: one value of a settings file in INI form, read or written.
// Any file in that form goes through here: the program's settings file
// and the robot files.  Matching, defaults and the written layout are those
// of platform/Profile.h.
#pragma once

#include <QString>

namespace modIni {

// The value stored under `key` in `section` of `file`, or `defaultValue`
// when the file, section or key is missing; at most 254 characters.
QString ReadIni(const QString& section, const QString& key, const QString& defaultValue, const QString& file);

// Stores `value` under `key` in `section` of `file`, creating the file, the
// section and the key as needed.  A write the file system refuses is lost
// without a message.
void WriteIni(const QString& section, const QString& key, const QString& value, const QString& file);

}  // namespace modIni
