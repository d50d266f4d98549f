#include "documents/modApp.h"

#include <QCoreApplication>

#include "platform/FileNames.h"

namespace modApp {
namespace {
QString& AppPathOverride() {
    static QString path;
    return path;
}
QString& ProgramFolderOverride() {
    static QString path;
    return path;
}
}  // namespace

QString AddBackslash(const QString& path) {
    if (path.endsWith(u'/')) return path;
    return path + u'/';
}

QString AppPath() {
    if (!AppPathOverride().isEmpty()) return AppPathOverride();
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return platform::CurrentFolder();
}

void SetAppPath(const QString& folder) { AppPathOverride() = folder; }

QString ProgramFolder() {
    if (!ProgramFolderOverride().isEmpty()) return ProgramFolderOverride();
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QString();
}

void SetProgramFolder(const QString& folder) { ProgramFolderOverride() = folder; }

QString DataFolder(const QString& name) {
    const QString own = AddBackslash(AddBackslash(AppPath()) + name);
    if (platform::IsFolder(own)) return own;
    const QString beside = ProgramFolder();
    if (beside.isEmpty()) return own;
    const QString shipped = AddBackslash(AddBackslash(beside) + name);
    return platform::IsFolder(shipped) ? shipped : own;
}

}  // namespace modApp
