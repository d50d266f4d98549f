#include "platform/SafeFile.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform {
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

int NotRegularError(mode_t mode) { return S_ISDIR(mode) ? EISDIR : ENODEV; }

// Why the existing file `native` may not be written (0 when it may): EACCES
// when it has no write permission bit or this user lacks the right, EROFS on
// a read-only file system.
int WriteRefusal(const QByteArray& native, const struct stat& st) {
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
    if (::access(native.constData(), W_OK) == 0) return 0;
    const int err = errno;
    return (err == EACCES || err == EPERM || err == EROFS) ? err : 0;
}

}  // namespace

int ReadRegularFile(const QString& path, qsizetype maxBytes, QByteArray& out) {
    out.clear();
    if (path.isEmpty()) return EINVAL;
    const QByteArray native = EncodeFileName(path);
    // O_NONBLOCK keeps the open itself from waiting on a pipe; the type check
    // then refuses it before any read.
    Fd fd(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return errno;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return NotRegularError(st.st_mode);
    if (maxBytes >= 0 && st.st_size > maxBytes) return EFBIG;
    QByteArray data;
    if (st.st_size > 0) data.reserve(static_cast<qsizetype>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the limit as well.
        if (maxBytes >= 0 && data.size() + n > maxBytes) return EFBIG;
        data.append(buf, static_cast<qsizetype>(n));
    }
    out = data;
    return 0;
}

bool IsReadOnlyFile(const QString& path) {
    const QByteArray native = EncodeFileName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) return false;
    return WriteRefusal(native, st) != 0;
}

int ReplaceFile(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) return EINVAL;

    // Write through a symbolic link to the file it names, so the link stays.
    // The link is looked at by its own bytes, so a link whose name is not
    // valid UTF-8 is written through as well.
    QString target = path;
    struct stat link {};
    if (::lstat(EncodeFileName(path).constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const QString resolved = CanonicalPath(path);
        if (!resolved.isEmpty()) target = resolved;
    }
    const QByteArray nativeTarget = EncodeFileName(target);

    struct stat old {};
    const bool exists = ::stat(nativeTarget.constData(), &old) == 0;
    if (!exists && errno != ENOENT) return errno;
    // Only an ordinary file is replaced: renaming over a folder fails anyway,
    // and a device or a pipe must never be swapped for a file.
    if (exists && !S_ISREG(old.st_mode)) return NotRegularError(old.st_mode);
    if (exists) {
        if (const int err = WriteRefusal(nativeTarget, old)) return err;
    }

    // The temporary file lives beside the target, so the final rename stays
    // within one file system and replaces the old file in one step.
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.path();
    // A name too long to extend gets a short temporary name instead.
    QString tmpName = QStringLiteral(".") + targetInfo.fileName() + QStringLiteral(".XXXXXX");
    if (EncodeFileName(tmpName).size() > 240) tmpName = QStringLiteral(".quarvel-save.XXXXXX");
    const QByteArray tmpl = EncodeFileName(QDir(folder).filePath(tmpName));
    std::string name(tmpl.constData(), static_cast<size_t>(tmpl.size()));
    Fd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (fd.get() < 0) return errno;

    auto fail = [&](int err) {
        fd.Close();
        ::unlink(name.c_str());
        return err;
    };

    // Permissions: the old file's, or those of a newly created file.
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd.get(), mode) != 0) return fail(errno);
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Keep the owner where allowed; a failure here is not worth failing
        // the save for.
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {}
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
        return err;
    }
    if (::rename(name.c_str(), nativeTarget.constData()) != 0) {
        const int err = errno;
        ::unlink(name.c_str());
        return err;
    }
    // Make the rename itself durable; the file is already complete, so a
    // failure here changes nothing for the caller.
    const QByteArray nativeFolder = EncodeFileName(folder);
    Fd dir(::open(nativeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return 0;
}

QByteArray ReadResource(const QString& name) {
    if (!name.startsWith(QStringLiteral(":/"))) return QByteArray();
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

}  // namespace platform
