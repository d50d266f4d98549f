#include "documents/RecentFiles.h"

#include "compiler/Text.h"
#include "documents/modApp.h"

namespace modApp {
namespace {

RecentMenuSetter& MenuSetter() {
    static RecentMenuSetter setter;
    return setter;
}

// Whether `path`, stored in `codePage`, is read back as exactly itself.
bool KeepsName(const QString& path, const std::string& codePage) {
    RecentFileList one;
    one[1] = path;
    return ParseRecentFileBytes(RecentFileBytes(one, codePage), codePage)[1] == path;
}

}  // namespace

QString RecentFilePath() { return AddBackslash(AppPath()) + QStringLiteral("recent.rct"); }

QByteArray RecentFileBytes(const RecentFileList& list, const std::string& codePage) {
    QByteArray out;
    for (int k = 1; k <= 6; ++k) {
        std::string text = qvv2::ToAnsi(list[k].toStdU16String(), codePage);
        if (text.size() > 0xFFFF) text.resize(0xFFFF);
        out.append(static_cast<char>(text.size() & 0xFF));
        out.append(static_cast<char>(text.size() >> 8));
        out.append(text.data(), static_cast<qsizetype>(text.size()));
    }
    return out;
}

RecentFileList ParseRecentFileBytes(const QByteArray& bytes, const std::string& codePage) {
    RecentFileList list;
    qsizetype pos = 0;
    for (int k = 1; k <= 6; ++k) {
        if (pos + 2 > bytes.size()) break;
        const qsizetype n = static_cast<uint8_t>(bytes[pos]) | (static_cast<uint8_t>(bytes[pos + 1]) << 8);
        pos += 2;
        if (pos + n > bytes.size()) break;
        const std::string text(bytes.constData() + pos, static_cast<size_t>(n));
        list[k] = QString::fromStdU16String(qvv2::FromAnsi(text, codePage));
        pos += n;
    }
    return list;
}

FileError AddRecentFile(const QString& path) {
    if (!KeepsName(path, FileCodePage())) return MakeFileError(errInvalidArgument);
    for (int k = 6; k >= 2; --k) RecentFiles[k] = RecentFiles[k - 1];
    RecentFiles[1] = path;

    // The six entries go over the start of the file; an older file's tail
    // stays behind them, as the file has always been written.  Whatever
    // stands in the file's place and cannot be read (a folder, a pipe, a
    // device, a file over the limit) is left as it is: only a readable file
    // or a missing one is written.
    QByteArray bytes = RecentFileBytes(RecentFiles, FileCodePage());
    QByteArray old;
    FileError result = ReadFileBytes(RecentFilePath(), kListSizeLimit, old);
    if (result.ok() || result.Number == errFileNotFound) {
        if (old.size() > bytes.size()) bytes += old.mid(bytes.size());
        result = WriteFileSafely(RecentFilePath(), bytes);
    }
    RefreshRecentMenu();
    return result;
}

FileError LoadRecentFiles() {
    QByteArray bytes;
    const FileError result = ReadFileBytes(RecentFilePath(), kListSizeLimit, bytes);
    if (!result.ok()) return result;
    RecentFiles = ParseRecentFileBytes(bytes, FileCodePage());
    RefreshRecentMenu();
    return {};
}

void SetRecentMenuSetter(RecentMenuSetter setter) { MenuSetter() = std::move(setter); }

void RefreshRecentMenu() {
    if (!MenuSetter()) return;
    for (int k = 0; k <= 5; ++k) {
        if (!RecentFiles[k + 1].isEmpty()) MenuSetter()(k, RecentFiles[k + 1]);
    }
}

QString RecentMenuPath(int item) {
    if (item < 0 || item > 5) return {};
    return RecentFiles[item + 1];
}

}  // namespace modApp
