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
// EncodeFileName.  The program reaches files and folders only through this
// header and SafeFile.h, never through Qt's file classes
// (tools/file-names-check fails on such a use).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// The names of every entry of the folder `folder` (a held path), hidden
// ones included ("." and ".." not), read from the folder by their bytes in
// the order it yields them.  Nothing is looked at but the folder.  A folder
// that cannot be read gives no names.
QStringList ListFolder(const QString& folder);

// What stands at a path.
enum class EntryKind {
    Nothing,  // no entry, or one that cannot be looked at
    File,     // an ordinary file
    Folder,   // a folder
    Link,     // a symbolic link (only when links are not followed)
    Other,    // a pipe, a device, a socket
};

// An entry as the system describes it; two looks at the same path give
// equal statuses while the entry stays as it was.
struct EntryStatus {
    EntryKind kind = EntryKind::Nothing;
    uint64_t device = 0;     // the file system that holds it
    uint64_t inode = 0;      // its number there
    int64_t size = 0;        // bytes
    int64_t modifiedNs = 0;  // last change of the content, nanoseconds since the epoch
    int64_t changedNs = 0;   // last change of the content or of the entry itself
    bool Exists() const { return kind != EntryKind::Nothing; }
    bool operator==(const EntryStatus& o) const {
        return kind == o.kind && device == o.device && inode == o.inode && size == o.size &&
               modifiedNs == o.modifiedNs && changedNs == o.changedNs;
    }
    bool operator!=(const EntryStatus& o) const { return !(*this == o); }
};

// The status of what a held path names.  Each only looks at the entry, by
// its bytes, and opens nothing, so a pipe or a device there never makes it
// wait.  An empty path names nothing.
EntryStatus StatusOf(const QString& path);     // seen through links (a dangling link is nothing)
EntryStatus OwnStatusOf(const QString& path);  // the entry itself: a link is a Link

// What is at a held path, seen through links (a dangling link is nothing).
// Each only looks at the entry, by its bytes, and opens nothing, so a pipe or
// a device there never makes it wait.  An empty path names nothing.
bool FileExists(const QString& path);  // anything at all
bool IsFile(const QString& path);      // an ordinary file, or a link to one
bool IsFolder(const QString& path);    // a folder, or a link to one

// Removes the entry at `path` (a held path) by its bytes: a link itself, not
// what it points to; never a folder.  True when it was removed.
bool RemoveFile(const QString& path);

// The current folder as a held path ("" when the system cannot tell it).
QString CurrentFolder();

// Makes `path` (a held path) the current folder; false when it cannot be.
bool SetCurrentFolder(const QString& path);

// `path` made absolute against the current folder, then cleaned of "." and
// ".." components and of doubled and trailing slashes.  Text only: links
// are not followed and nothing needs to exist.
QString AbsolutePath(const QString& path);

// The absolute path of what `path` names with every link resolved; "" when
// it does not exist.
QString CanonicalPath(const QString& path);

// The user's home folder, from HOME, by its bytes ("/" without one).
QString HomeFolder();

// A held name made absolute against the held folder `folder`, as the system
// would read it from there (unlike AbsolutePath, which cleans the text): an absolute name or "" stays as it is, a
// relative one is put after `folder` and a slash.  Leading "./" steps are
// dropped; ".." stays, since the system leaves a linked folder by the link's
// target, not by cutting the name.
QString AbsoluteFileName(const QString& name, const QString& folder);

}  // namespace platform
