#include "documents/modAPI.h"
#include "documents/VbText.h"

#include <QFile>
#include <QFileInfo>

#include "platform/Shell.h"
#include "platform/WindowStyle.h"

namespace modAPI {

void DisableCloseItem(QWidget* form) { platform::RemoveCloseButton(form); }

void ShowHelp(const QString& helpFile, const QString& topic, QWidget* owner) {
    const QString path = vb::Trim(helpFile);
    if (path.isEmpty() || !QFileInfo(path).isFile()) return;
    QString target = path;
    if (!topic.isEmpty()) target += QStringLiteral("::/") + vb::Trim(topic);
    platform::HtmlHelp(owner, target);
}

bool DeleteFileIfExists(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) return true;
    return QFile::remove(path);
}

}  // namespace modAPI
