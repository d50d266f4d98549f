#include "platform/FileNames.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// An escaped byte: a low surrogate for 0x80..0xFF that does not follow a
// high surrogate (a pair is one character beyond U+FFFF).
bool IsEscapedByte(const QString& s, qsizetype i) {
    const char16_t c = s.at(i).unicode();
    if (c < 0xDC80 || c > 0xDCFF) return false;
    return i == 0 || !s.at(i - 1).isHighSurrogate();
}

// The length of the valid UTF-8 sequence at bytes[i], or 0 when the byte
// there does not start one (overlong forms, encoded surrogates and values
// beyond U+10FFFF are not valid).
int ValidSequence(const QByteArray& bytes, qsizetype i) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes.at(k)); };
    const unsigned char b0 = at(i);
    if (b0 < 0x80) return 1;
    int len = 0;
    char32_t cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + len > bytes.size()) return 0;
    for (int k = 1; k < len; ++k) {
        const unsigned char b = at(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return 0;  // overlong
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;                           // a surrogate
    if (cp > 0x10FFFF) return 0;
    return len;
}

}  // namespace

QByteArray EncodeFileName(const QString& name) {
    QByteArray out;
    qsizetype start = 0;  // the first character not yet converted
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!IsEscapedByte(name, i)) continue;
        out += QFile::encodeName(name.mid(start, i - start));
        out += static_cast<char>(name.at(i).unicode() - kEscapeBase);
        start = i + 1;
    }
    out += QFile::encodeName(name.mid(start));
    return out;
}

QString DecodeFileName(const QByteArray& bytes) {
    QString out;
    qsizetype start = 0;  // the first byte of the current valid run
    qsizetype i = 0;
    while (i < bytes.size()) {
        const int len = ValidSequence(bytes, i);
        if (len > 0) {
            i += len;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + start, i - start);
        out += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes.at(i))));
        start = ++i;
    }
    out += QString::fromUtf8(bytes.constData() + start, bytes.size() - start);
    return out;
}

QString DisplayFileName(const QString& name) {
    QString out = name;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (IsEscapedByte(name, i)) out[i] = QChar(QChar::ReplacementCharacter);
    return out;
}

namespace {

// Calls `take` with the bytes of each name in the folder held as `folder`
// (its own "." and ".." left out), in the order the system lists them.
template <typename Take>
void ForEachName(const QByteArray& folder, Take take) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray bytes(entry->d_name);
        if (bytes != "." && bytes != "..") take(bytes);
    }
    ::closedir(dir);
}

}  // namespace

std::vector<FolderEntry> ReadFolder(const QString& folder) {
    std::vector<FolderEntry> entries;
    QByteArray prefix = EncodeFileName(folder);
    if (!prefix.endsWith('/')) prefix += '/';
    ForEachName(EncodeFileName(folder), [&](const QByteArray& bytes) {
        if (bytes.startsWith('.')) return;
        struct stat st {};
        if (::stat((prefix + bytes).constData(), &st) != 0) return;
        FolderEntry e;
        e.name = DecodeFileName(bytes);
        e.isFile = S_ISREG(st.st_mode);
        e.isFolder = S_ISDIR(st.st_mode);
        e.size = static_cast<int64_t>(st.st_size);
        e.modifiedMs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
        entries.push_back(std::move(e));
    });
    return entries;
}

QStringList ListFolder(const QString& folder) {
    QStringList names;
    ForEachName(EncodeFileName(folder), [&](const QByteArray& bytes) { names << DecodeFileName(bytes); });
    return names;
}

namespace {

EntryStatus StatusFrom(int result, const struct stat& st) {
    EntryStatus s;
    if (result != 0) return s;
    s.kind = S_ISREG(st.st_mode)   ? EntryKind::File
             : S_ISDIR(st.st_mode) ? EntryKind::Folder
             : S_ISLNK(st.st_mode) ? EntryKind::Link
                                   : EntryKind::Other;
    s.device = static_cast<uint64_t>(st.st_dev);
    s.inode = static_cast<uint64_t>(st.st_ino);
    s.size = static_cast<int64_t>(st.st_size);
    s.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return s;
}

}  // namespace

EntryStatus StatusOf(const QString& path) {
    if (path.isEmpty()) return {};
    struct stat st {};
    return StatusFrom(::stat(EncodeFileName(path).constData(), &st), st);
}

EntryStatus OwnStatusOf(const QString& path) {
    if (path.isEmpty()) return {};
    struct stat st {};
    return StatusFrom(::lstat(EncodeFileName(path).constData(), &st), st);
}

bool FileExists(const QString& path) { return StatusOf(path).Exists(); }

bool IsFile(const QString& path) { return StatusOf(path).kind == EntryKind::File; }

bool IsFolder(const QString& path) { return StatusOf(path).kind == EntryKind::Folder; }

bool RemoveFile(const QString& path) {
    // unlink() takes no folder.
    return !path.isEmpty() && ::unlink(EncodeFileName(path).constData()) == 0;
}

QString CurrentFolder() {
    char* name = ::getcwd(nullptr, 0);
    if (!name) return QString();
    const QString folder = DecodeFileName(QByteArray(name));
    std::free(name);
    return folder;
}

bool SetCurrentFolder(const QString& path) { return !path.isEmpty() && ::chdir(EncodeFileName(path).constData()) == 0; }

QString AbsolutePath(const QString& path) {
    // QDir::cleanPath works on the text alone, so the bytes of a name that is
    // not valid UTF-8 pass through it as they are held.
    if (path.startsWith(u'/')) return QDir::cleanPath(path);
    const QString current = CurrentFolder();
    return QDir::cleanPath(current.isEmpty() ? path : current + u'/' + path);
}

QString CanonicalPath(const QString& path) {
    if (path.isEmpty()) return QString();
    char* resolved = ::realpath(EncodeFileName(path).constData(), nullptr);
    if (!resolved) return QString();
    const QString canonical = DecodeFileName(QByteArray(resolved));
    std::free(resolved);
    return canonical;
}

QString HomeFolder() {
    const QString home = DecodeFileName(qgetenv("HOME"));
    return home.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(home);
}

QString AbsoluteFileName(const QString& name, const QString& folder) {
    if (name.isEmpty() || name.startsWith(u'/') || folder.isEmpty()) return name;
    QString rest = name;
    while (rest.startsWith(QLatin1String("./"))) {
        rest.remove(0, 2);
        while (rest.startsWith(u'/')) rest.remove(0, 1);
    }
    if (rest.isEmpty() || rest == QLatin1String(".")) return folder;
    return folder.endsWith(u'/') ? folder + rest : folder + u'/' + rest;
}

}  // namespace platform
