#include "documents/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "documents/Documents.h"
#include "platform/UiLanguage.h"

namespace modApp {

// ---- Errors ----------------------------------------------------------------

FileError MakeFileError(int16_t number) {
    // The runtime's descriptions of file errors, in the four languages.
    static const platform::LocalizedText kOther = {"Application-defined or object-defined error",
                                                   "응용 프로그램 정의 또는 개체 정의 오류입니다.",
                                                   "アプリケーション定義またはオブジェクト定義のエラーです。",
                                                   "应用程序定义或对象定义的错误。"};
    static const platform::LocalizedText kInvalidArgument = {"Invalid procedure call or argument",
                                                             "프로시저 호출 또는 인수가 잘못되었습니다.",
                                                             "プロシージャの呼び出し、または引数が不正です。",
                                                             "无效的过程调用或参数。"};
    static const platform::LocalizedText kBadFileName = {"Bad file name or number",
                                                         "파일 이름 또는 번호가 잘못되었습니다.",
                                                         "ファイル名または番号が不正です。", "文件名或文件号错误。"};
    static const platform::LocalizedText kFileNotFound = {"File not found", "파일을 찾을 수 없습니다.",
                                                          "ファイルが見つかりません。", "文件未找到。"};
    static const platform::LocalizedText kDeviceIO = {"Device I/O error", "장치 입출력 오류입니다.",
                                                      "デバイス I/O エラーです。", "设备 I/O 错误。"};
    static const platform::LocalizedText kDiskFull = {"Disk full", "디스크가 꽉 찼습니다.",
                                                      "ディスクの空き容量が不足しています。", "磁盘已满。"};
    static const platform::LocalizedText kPermission = {"Permission denied", "권한이 없습니다.",
                                                        "書き込みできません。", "没有权限。"};
    static const platform::LocalizedText kPathFileAccess = {"Path/File access error",
                                                            "경로/파일 액세스 오류입니다.",
                                                            "パス名/ファイル名が無効です。", "路径/文件访问错误。"};
    static const platform::LocalizedText kPathNotFound = {"Path not found", "경로를 찾을 수 없습니다.",
                                                          "パスが見つかりません。", "路径未找到。"};
    static const platform::LocalizedText kInvalidFormat = {"Invalid file format", "파일 형식이 잘못되었습니다.",
                                                           "ファイル形式が不正です。", "文件格式无效。"};
    const platform::LocalizedText* text = &kOther;
    switch (number) {
    case errInvalidArgument: text = &kInvalidArgument; break;
    case errBadFileName: text = &kBadFileName; break;
    case errFileNotFound: text = &kFileNotFound; break;
    case errDeviceIO: text = &kDeviceIO; break;
    case errDiskFull: text = &kDiskFull; break;
    case errPermissionDenied: text = &kPermission; break;
    case errPathFileAccess: text = &kPathFileAccess; break;
    case errPathNotFound: text = &kPathNotFound; break;
    case errInvalidFileFormat: text = &kInvalidFormat; break;
    default: break;
    }
    return FileError{number, platform::Localized(*text)};
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
    // Only ordinary files: a folder, a device or a pipe is no document (and a
    // pipe or a device could block or never end).  O_NONBLOCK keeps the open
    // itself from waiting on a pipe that appears in between.
    Fd fd(::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return FileErrorFromErrno(errno, false);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FileErrorFromErrno(errno, false);
    if (!S_ISREG(st.st_mode)) return MakeFileError(errPathFileAccess);
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
    // Only an ordinary file is replaced: renaming over a folder fails anyway,
    // and a device or a pipe must never be swapped for a file.
    if (exists && !S_ISREG(old.st_mode)) return MakeFileError(errPathFileAccess);
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
    return path.left(3) + QStringLiteral("../") + FileNameFromPath(path);
}

}  // namespace modApp
