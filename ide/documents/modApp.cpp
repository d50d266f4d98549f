#include "documents/modApp.h"

#include <QCoreApplication>

#include "platform/FileNames.h"

namespace modApp {
namespace {
QString& AppPathOverride() {
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

}  // namespace modApp
