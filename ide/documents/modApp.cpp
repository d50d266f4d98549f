#include "documents/modApp.h"

#include <QCoreApplication>
#include <QDir>

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
    return QDir::currentPath();
}

void SetAppPath(const QString& folder) { AppPathOverride() = folder; }

}  // namespace modApp
