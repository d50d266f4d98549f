// Profile access: reading and writing settings files in INI form with the
// rules that the program's own settings and robot files follow.
//
// File format:
// - 8-bit text in the process's ANSI code page (qvv2::SystemCodePage());
//   lines end in CR LF (a lone LF is accepted when reading).
// - "[name]" starts a section; "key=value" is a setting.  Section and key
//   names match without regard to letter case and to blanks around them;
//   blanks around the value are not part of it, and a value wholly enclosed
//   in single or double quotes comes back without them.  When a section or
//   a key occurs twice, the first one counts.
//
// Writing:
// - creates the file, appends a missing section at the end of the file and
//   a missing key at the end of its section (after its last non-blank line),
//   and replaces the value of an existing key in place, keeping the key's
//   spelling from the file.  A written line is key, "=", value, with no blanks
//   added (a value's own leading blank is kept).  Every other line of the
//   file keeps its exact bytes.
// - a file whose permissions allow no writing counts as read-only and is
//   left untouched; so are names and values that would break the file's
//   line structure (a line break anywhere, "=" in a key, "]" in a section).
#pragma once

#include <QString>

namespace platform {

// The stored value of `key` in `section` of `file`, or `defaultValue` when
// the file, the section or the key is missing.  The result is cut to
// bufferSize - 1 characters, as a fixed-size buffer of that many characters
// would hold it.
QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& file,
                                int bufferSize = 255);

// Stores `value` under `key` in `section` of `file`.  Returns false when the
// file could not be written; the file is then unchanged.
bool WritePrivateProfileString(const QString& section, const QString& key,
                               const QString& value, const QString& file);

}  // namespace platform
