// File names as the program holds them.
//
// A Linux file name is a string of bytes; the program holds names as text.
// A name that is valid UTF-8 (every name the program itself writes) is held
// as its characters.  Each byte of a name that is not valid UTF-8 is held as
// the lone low surrogate U+DC00 + byte (0x80 to 0xFF give U+DC80 to U+DCFF),
// which no valid name can contain, so such a name comes back to its exact
// bytes when a file is opened, written or looked at.  Qt's own file-name
// conversion turns such bytes into U+FFFD and back into EF BF BD, which names
// another file: every place that hands a held name to the system uses
// EncodeFileName.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace platform {

// The bytes of a held name, for open(), stat() and the like.
QByteArray EncodeFileName(const QString& name);

// A name's bytes as the program holds them: EncodeFileName gives back
// exactly `bytes`.
QString DecodeFileName(const QByteArray& bytes);

// A held name as it is shown: each byte that was not valid UTF-8 shows as
// the replacement character U+FFFD.
QString DisplayFileName(const QString& name);

// One entry of a folder, as the system sees it through links.
struct FolderEntry {
    QString name;            // held name
    bool isFile = false;     // a regular file, or a link to one
    bool isFolder = false;   // a folder, or a link to one
    int64_t size = 0;        // bytes
    int64_t modifiedMs = 0;  // last change, milliseconds since the epoch
};

// The entries of the folder `folder` (a held path), read from the folder
// itself by their bytes, in the order the folder yields them.  Qt's own
// listing leaves out every name that is not valid UTF-8; this one keeps
// them.  Hidden entries (names starting with a dot, "." and ".." among
// them) are left out, and so is an entry that cannot be looked at (a
// dangling link).  Nothing is opened but the folder.  A folder that cannot
// be read gives no entries.
std::vector<FolderEntry> ReadFolder(const QString& folder);

// Whether `path` (a held path) names a folder or a link to one.
bool IsFolder(const QString& path);

// The process's working folder as a held name, read by its bytes; "" when
// it cannot be read (it was removed).
QString WorkingFolder();

// A held name made absolute against the held folder `folder`, as the system
// would read it from there: an absolute name or "" stays as it is, a
// relative one is put after `folder` and a slash.  Leading "./" steps are
// dropped; ".." stays, since the system leaves a linked folder by the link's
// target, not by cutting the name.
QString AbsoluteFileName(const QString& name, const QString& folder);

}  // namespace platform
