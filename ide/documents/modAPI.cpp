#include "documents/modAPI.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Shell.h"
#include "platform/WindowStyle.h"

namespace modAPI {
namespace {

// Removes blanks (spaces only) at both ends.
QString TrimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.mid(b, e - b);
}

}  // namespace

void DisableCloseItem(QWidget* form) { platform::RemoveCloseButton(form); }

void ShowHelp(const QString& helpFile, const QString& topic, QWidget* owner) {
    const QString path = TrimBlanks(helpFile);
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    QString target = path;
    if (!topic.isEmpty()) target += QStringLiteral("::/") + TrimBlanks(topic);
    platform::HtmlHelp(owner, target);
}

bool DeleteFileIfExists(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return true;
    return QFile::remove(path);
}

}  // namespace modAPI
