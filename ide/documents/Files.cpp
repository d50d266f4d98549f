#include "documents/Files.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "documents/Documents.h"
#include "platform/SafeFile.h"
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
    case ENODEV:
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

FileError ReadFileBytes(const QString& path, qsizetype maxBytes, QByteArray& bytes) {
    bytes.clear();
    if (path.isEmpty()) return MakeFileError(errBadFileName);
    // Only ordinary files: a folder, a device or a pipe is no document (and a
    // pipe or a device could block or never end).
    const int err = platform::ReadRegularFile(path, maxBytes, bytes);
    if (err != EFBIG) return FileErrorFromErrno(err, false);
    // Too large to read (not a full disk, which EFBIG means when writing).
    static const platform::LocalizedText kTooLarge = {"the file is larger than %1 MiB", "파일이 %1 MiB보다 큽니다",
                                                      "ファイルが %1 MiB を超えています", "文件大于 %1 MiB"};
    FileError e = MakeFileError(errPathFileAccess);
    e.Description += QStringLiteral(": ") +
                     platform::Localized(kTooLarge).arg(static_cast<double>(maxBytes) / (1024.0 * 1024.0));
    return e;
}

FileError WriteFileSafely(const QString& path, const QByteArray& bytes) {
    if (path.isEmpty()) return MakeFileError(errBadFileName);
    return FileErrorFromErrno(platform::ReplaceFile(path, bytes), true);
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
    // Straight into the string: every character of these code pages takes
    // at least one byte and one UTF-16 unit, so the byte count is room
    // enough.  Bytes below 0x80 are the same characters in all of them, and
    // a line end (CR, LF) is never part of a two-byte character: a line of
    // such bytes alone is widened as it is, and only the lines that hold
    // other bytes go through the converter.  Most lines of a program are
    // plain ASCII, so this is most of the reading time saved.
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* const dest = reinterpret_cast<char16_t*>(out.data());
    const char* const src = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype used = 0;
    qsizetype i = 0;
    bool ok = true;
    while (ok && i < n) {
        qsizetype end = i;
        unsigned char high = 0;
        while (end < n && src[end] != '\n' && src[end] != '\r') high |= static_cast<unsigned char>(src[end++]);
        if (high < 0x80) {
            for (qsizetype k = i; k < end; ++k) dest[used++] = static_cast<char16_t>(src[k]);
        } else {
            char* in = const_cast<char*>(src + i);
            size_t left = static_cast<size_t>(end - i);
            char* to = reinterpret_cast<char*>(dest + used);
            size_t room = static_cast<size_t>(n - used) * 2;
            // An undefined or incomplete sequence (a lead byte at the line's
            // end included) fails the whole text.
            ok = iconv(cd, &in, &left, &to, &room) != static_cast<size_t>(-1) && left == 0;
            used = static_cast<qsizetype>(reinterpret_cast<char16_t*>(to) - dest);
        }
        while (ok && end < n && (src[end] == '\n' || src[end] == '\r')) dest[used++] = static_cast<char16_t>(src[end++]);
        i = end;
    }
    iconv_close(cd);
    if (!ok) return false;
    out.truncate(used);
    text = std::move(out);
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
    if (FileError e = ReadFileBytes(path, kDocumentSizeLimit, bytes); !e.ok()) return e;
    QString decoded;
    if (!DecodeFileText(bytes, FileCodePage(), decoded)) return MakeFileError(errInvalidFileFormat);
    // Line feeds without a carriage return (files written on this platform)
    // become CR LF.
    bool loneLineFeed = false;
    for (qsizetype i = decoded.indexOf(u'\n'); !loneLineFeed && i >= 0; i = decoded.indexOf(u'\n', i + 1))
        loneLineFeed = i == 0 || decoded[i - 1] != u'\r';
    if (loneLineFeed) {
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
    // The head kept in front of "..": a drive's root ("D:\\"), else the
    // root and the first folder ("/home/"), so the cut falls on separators.
    auto isSeparator = [](QChar c) { return c == u'/' || c == u'\\'; };
    qsizetype head = 0;
    if (path.size() > 2 && path[1] == u':' && isSeparator(path[2])) {
        head = 3;
    } else {
        qsizetype i = 0;
        while (i < path.size() && isSeparator(path[i])) ++i;
        while (i < path.size() && !isSeparator(path[i])) ++i;
        head = i + 1;
    }
    const QString name = FileNameFromPath(path);
    const QChar separator =
        head <= path.size() && head > 0 && isSeparator(path[head - 1]) ? path[head - 1] : QChar(u'/');
    const QString shortened = path.left(head) + QStringLiteral("..") + separator + name;
    return shortened.size() < path.size() ? shortened : path;
}

}  // namespace modApp
