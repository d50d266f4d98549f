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
// - the file is replaced only by a complete, flushed new copy
//   (platform/SafeFile.h): a failed write leaves the old file byte for byte.
//
// Files that are not what they seem: a pipe, a device, a folder, a file larger
// than kMaxProfileBytes or one that cannot be read reads as a missing file
// (every key gives its default) and is never written.
//
// Cost: a file is read and parsed once and kept while it is unchanged on disk
// (same size, times and inode), so a run of reads costs one read of the file
// whatever its size.  Outside a batch, a file that changed within the last
// two seconds is read again on every access, since so recent a change could
// repeat without the times showing it.  Inside a ProfileBatch the writes
// change the kept copy only, and each changed file is written once when the
// outermost batch ends.
#pragma once

#include <QString>

#include <cstdint>

namespace platform {

// Profile files above this size (64 MiB) are not read.
constexpr qsizetype kMaxProfileBytes = qsizetype(64) * 1024 * 1024;

// The stored value of `key` in `section` of `file`, or `defaultValue` when
// the file, the section or the key is missing.  The result is cut to
// bufferSize - 1 characters, as a fixed-size buffer of that many characters
// would hold it.
QString GetPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& file, int bufferSize = 255);

// Stores `value` under `key` in `section` of `file`.  Returns false when the
// file could not be written; the file is then unchanged.
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value, const QString& file);

// The same, with the reason of a failure as an errno value (0 for success):
// EINVAL for a name or value that would break the file's lines, EACCES for a
// read-only or unreadable file, ENODEV for a file that is not an ordinary
// file or too large to read, or the error of the write itself (ENOSPC, ...).
// Inside a batch the write itself happens when the batch ends, and so do its
// errors.
int WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& file);

// Whether `value`, once written, reads back as exactly itself with a buffer
// of `bufferSize` characters.  It does not when the file's code page has no
// code for one of its characters (or its text is not valid Unicode), when it
// has blanks at an end or is wholly in quotes, when it holds a line break or
// when it is longer than the buffer holds.
bool ProfileKeepsValue(const QString& value, int bufferSize = 255);

// A batch of profile reads and writes.  While one exists, a kept file is
// trusted as long as its stamp on disk is unchanged, and writes only change
// the kept copy.  When the outermost batch ends, every changed file is
// written once, through the safe writer.  Batches nest; an inner one adds its
// writes to the outer one.
class ProfileBatch {
public:
    ProfileBatch();
    ~ProfileBatch();  // Finish(), when not done yet
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;

    // Ends the batch.  The outermost batch writes the changed files and
    // returns the first error of any write made during the batch (0 when
    // every write went through); an inner batch, or a second call, returns 0.
    int Finish();
    // The file of the error Finish() returned.
    const QString& ErrorFile() const { return errorFile_; }

private:
    bool finished_ = false;
    QString errorFile_;
};

}  // namespace platform
