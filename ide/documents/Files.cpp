#include "documents/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Text.h"
#include "documents/StringTable.h"
#include "platform/MsgBox.h"
#include "platform/UiLanguage.h"

namespace modApp {

// ---- Errors ----------------------------------------------------------------

FileError MakeFileError(int16_t number) {
    const char* text = "Application-defined or object-defined error";
    switch (number) {
    case errInvalidArgument: text = "Invalid procedure call or argument"; break;
    case errBadFileName: text = "Bad file name or number"; break;
    case errFileNotFound: text = "File not found"; break;
    case errDeviceIO: text = "Device I/O error"; break;
    case errDiskFull: text = "Disk full"; break;
    case errPermissionDenied: text = "Permission denied"; break;
    case errPathFileAccess: text = "Path/File access error"; break;
    case errPathNotFound: text = "Path not found"; break;
    case errInvalidFileFormat: text = "Invalid file format"; break;
    default: break;
    }
    return FileError{number, QString::fromLatin1(text)};
}

FileError FileErrorFromErrno(int err, bool creating) {
    switch (err) {
    case 0:
        return {};
    case ENOENT:
        return MakeFileError(creating ? errPathNotFound : errFileNotFound);
    case ENOTDIR:
        return MakeFileError(errPathNotFound);
    case EACCES:
    case EPERM:
    case ETXTBSY:
        return MakeFileError(errPermissionDenied);
    case EROFS:
    case EISDIR:
    case EBUSY:
        return MakeFileError(errPathFileAccess);
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return MakeFileError(errDiskFull);
    case ENAMETOOLONG:
    case EINVAL:
        return MakeFileError(errBadFileName);
    default:
        return MakeFileError(errDeviceIO);
    }
}

void ShowFileError(const FileError& error) {
    const QString head = LoadResString(4011) + QString::number(error.Number);
    platform::MsgBox(head + QChar(u'\n') + error.Description, platform::vbOKOnly | platform::vbCritical, head);
}

// ---- Bytes -----------------------------------------------------------------

namespace {

// Closes a descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the close's own error (0 when fine).
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return (fd >= 0 && ::close(fd) != 0) ? errno : 0;
    }

private:
    int fd_;
};

// The creation mask of the process, read without changing it for longer
// than the two calls.
mode_t CurrentUmask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

FileError ReadFileBytes(const QString& path, QByteArray& bytes) {
    bytes.clear();
    if (path.isEmpty()) return MakeFileError(errBadFileName);
    const QByteArray native = QFile::encodeName(path);
    Fd fd(::open(native.constData(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return FileErrorFromErrno(errno, false);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileErrorFromErrno(errno, false);
    if (S_ISDIR(st.st_mode)) return MakeFileError(errPathFileAccess);
    QByteArray data;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return FileErrorFromErrno(errno, false);
        }
        if (n == 0) break;
        data.append(buf, static_cast<qsizetype>(n));
    }
    bytes = data;
    return {};
}

FileError WriteFileSafely(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) return MakeFileError(errBadFileName);

    // Write through a symbolic link to the file it names, so the link stays.
    QString target = path;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString resolved = info.canonicalFilePath();
        if (!resolved.isEmpty()) target = resolved;
    }
    const QByteArray nativeTarget = QFile::encodeName(target);

    struct stat old {};
    const bool exists = ::stat(nativeTarget.constData(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return MakeFileError(errPathFileAccess);
    if (!exists && errno != ENOENT) return FileErrorFromErrno(errno, true);

    // The temporary file lives beside the target, so the final rename stays
    // within one file system and replaces the old file in one step.
    const QFileInfo targetInfo(target);
    QString folder = targetInfo.path();
    // A name too long to extend gets a short temporary name instead.
    QString tmpName = QStringLiteral(".") + targetInfo.fileName() + QStringLiteral(".XXXXXX");
    if (QFile::encodeName(tmpName).size() > 240) tmpName = QStringLiteral(".quarvel-save.XXXXXX");
    const QByteArray tmpl = QFile::encodeName(QDir(folder).filePath(tmpName));
    std::string name(tmpl.constData(), static_cast<size_t>(tmpl.size()));
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) return FileErrorFromErrno(errno, true);

    auto fail = [&](int err) {
        fd.Close();
        ::unlink(name.c_str());
        return FileErrorFromErrno(err, true);
    };

    // Permissions: the old file's, or those of a newly created file.
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd.get(), mode) != 0) return fail(errno);
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Keep the owner where allowed; a failure here is not worth failing
        // the save for.
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
        }
    }

    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno);
        }
        if (n == 0) return fail(EIO);
        p += n;
        left -= n;
    }
    if (::fsync(fd.get()) != 0) return fail(errno);
    if (const int err = fd.Close()) {
        ::unlink(name.c_str());
        return FileErrorFromErrno(err, true);
    }
    if (::rename(name.c_str(), nativeTarget.constData()) != 0) {
        const int err = errno;
        ::unlink(name.c_str());
        return FileErrorFromErrno(err, true);
    }
    // Make the rename itself durable; the file is already complete, so a
    // failure here changes nothing for the caller.
    const QByteArray nativeFolder = QFile::encodeName(folder);
    Fd dir(::open(nativeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return {};
}

// ---- Text in the ANSI code page ---------------------------------------------

namespace {

// The 1-based line of character `at`; CR LF, a lone CR and a lone LF each
// end a line.
int LineOfIndex(const std::u16string& text, size_t at) {
    int line = 1;
    for (size_t i = 0; i < at && i < text.size(); ++i) {
        if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n'))) ++line;
    }
    return line;
}

}  // namespace

std::string FileCodePage() { return platform::AnsiCodePage(platform::CurrentUiLanguage()); }

bool DecodeFileText(const QByteArray& bytes, const std::string& codePage, QString& text) {
    if (bytes.contains('\0')) return false;
    if (bytes.isEmpty()) {
        text.clear();
        return true;
    }
    iconv_t cd = iconv_open("UTF-16LE", codePage.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::u16string out;
    out.reserve(static_cast<size_t>(bytes.size()));
    char* src = const_cast<char*>(bytes.constData());
    size_t left = static_cast<size_t>(bytes.size());
    char16_t buf[4096];
    bool ok = true;
    while (left > 0) {
        char* dst = reinterpret_cast<char*>(buf);
        size_t room = sizeof buf;
        const size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<size_t>(dst - reinterpret_cast<char*>(buf)) / 2);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;  // an undefined or incomplete sequence
            break;
        }
    }
    iconv_close(cd);
    if (!ok) return false;
    text = QString::fromStdU16String(out);
    return true;
}

bool EncodeFileText(const QString& text, const std::string& codePage, QByteArray& bytes, int* badLine) {
    if (text.isEmpty()) {
        bytes.clear();
        return true;
    }
    iconv_t cd = iconv_open(codePage.c_str(), "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (badLine) *badLine = 1;
        return false;
    }
    const std::u16string in = text.toStdU16String();
    QByteArray out;
    out.reserve(text.size() + 16);
    char* src = reinterpret_cast<char*>(const_cast<char16_t*>(in.data()));
    size_t left = in.size() * 2;
    char buf[8192];
    bool ok = true;
    while (left > 0) {
        char* dst = buf;
        size_t room = sizeof buf;
        const size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<qsizetype>(dst - buf));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    if (ok) {
        char* dst = buf;
        size_t room = sizeof buf;
        iconv(cd, nullptr, nullptr, &dst, &room);
        out.append(buf, static_cast<qsizetype>(dst - buf));
    }
    iconv_close(cd);
    if (!ok) {
        if (badLine) *badLine = LineOfIndex(in, (in.size() * 2 - left) / 2);
        return false;
    }
    bytes = out;
    return true;
}

FileError UnencodableTextError(int line, const std::string& codePage) {
    FileError e = MakeFileError(errInvalidArgument);
    e.Description += QStringLiteral(": line %1 holds a character that code page %2 cannot store")
                         .arg(line)
                         .arg(QString::fromStdString(codePage));
    return e;
}

// ---- Program files ------------------------------------------------------------

FileError ReadProgramFile(const QString& path, QString& text) {
    QByteArray bytes;
    if (FileError e = ReadFileBytes(path, bytes); !e.ok()) return e;
    QString decoded;
    if (!DecodeFileText(bytes, FileCodePage(), decoded)) return MakeFileError(errInvalidFileFormat);
    // Line feeds without a carriage return (files written on this platform)
    // become CR LF.
    if (decoded.contains(u'\n')) {
        QString converted;
        converted.reserve(decoded.size() + decoded.size() / 16);
        QChar previous;
        for (const QChar c : decoded) {
            if (c == u'\n' && previous != u'\r') converted += u'\r';
            converted += c;
            previous = c;
        }
        decoded = converted;
    }
    text = decoded;
    return {};
}

FileError WriteProgramFile(const QString& path, const QString& text) {
    const std::string codePage = FileCodePage();
    QByteArray bytes;
    int line = 0;
    if (!EncodeFileText(text, codePage, bytes, &line)) return UnencodableTextError(line, codePage);
    return WriteFileSafely(path, bytes);
}

// ---- Paths -----------------------------------------------------------------

bool IsScriptPath(const QString& path) {
    if (path.size() < 4) return false;
    const QString ext = path.right(4);
    auto is = [](QChar c, char16_t upper) { return c == upper || c == QChar(upper + 0x20); };
    return ext[0] == u'.' && is(ext[1], u'Q') && is(ext[2], u'S') && is(ext[3], u'F');
}

QString DocumentCaption(const QString& path) {
    if (path.size() <= 30) return path;
    return path.left(3) + QStringLiteral("../") + QFileInfo(path).fileName();
}

}  // namespace modApp
