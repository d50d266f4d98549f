// Whole-file reading and replacing that no hostile file can hang, exhaust or
// destroy.  Both the document files and the settings files go through here.
//
// Reading opens only ordinary files, without ever waiting (a pipe or a device
// in the file's place is refused, not read), and stops at a size limit.
//
// Replacing never leaves a half-written file: the new content goes into a
// temporary file in the same folder, which takes the old file's place only
// once it is completely written and flushed.  A target that is read-only or
// not an ordinary file is refused and left as it is.
//
// Results are errno values: 0 for success.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// No limit on the size of a file read.
constexpr qsizetype kNoSizeLimit = -1;

// The largest program text read whole (documents, motion scripts, include
// files, the editor's own load): far more than the editor and the compiler
// handle.
constexpr qsizetype kTextFileSizeLimit = 16 * 1024 * 1024;

// Reads the whole file at `path` into `out` (left empty on failure).
// Errors: the open's and read's own errno (ENOENT for a missing file),
// EISDIR for a folder, ENODEV for any other file that is not an ordinary file
// (a pipe, a device, a socket), EFBIG for a file larger than `maxBytes`
// (unless it is kNoSizeLimit), EINVAL for an empty path.
int ReadRegularFile(const QString& path, qsizetype maxBytes, QByteArray& out);

// Writes `bytes` as the whole content of the file at `path` through a
// temporary file that is flushed to the disk and then renamed over the old
// file.  The new file keeps the old one's permissions (a new file gets the
// usual ones); a symbolic link is written through to its target.  Errors:
// EACCES for a read-only target (one without any write permission bit, or
// that this user may not write), EISDIR/ENODEV for a folder or another file
// that is not an ordinary file, the errno of any failing step (ENOSPC for a
// full disk), EINVAL for an empty path.  On any failure the old file is
// untouched and the temporary file removed.
int ReplaceFile(const QString& path, const QByteArray& bytes);

// True when the existing file at `path` may not be replaced: it has no write
// permission bit at all (which holds even for a privileged user, whom the
// permissions alone would let write it), or this user may not write it.
bool IsReadOnlyFile(const QString& path);

// The whole content of a resource compiled into the program (a name that
// starts with ":/"); empty when there is no such resource.  A resource is no
// file on the disk: any other name reads nothing.
QByteArray ReadResource(const QString& name);

}  // namespace platform
