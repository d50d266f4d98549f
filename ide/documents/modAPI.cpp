#include "documents/modAPI.h"
#include "documents/VbText.h"

#include "platform/FileNames.h"
#include "platform/Shell.h"
#include "platform/WindowStyle.h"

namespace modAPI {

void DisableCloseItem(QWidget* form) { platform::RemoveCloseButton(form); }

void ShowHelp(const QString& helpFile, const QString& topic, QWidget* owner) {
    const QString path = vb::Trim(helpFile);
    if (path.isEmpty() || !platform::IsFile(path)) return;
    QString target = path;
    if (!topic.isEmpty()) target += QStringLiteral("::/") + vb::Trim(topic);
    platform::HtmlHelp(owner, target);
}

bool DeleteFileIfExists(const QString& path) {
    if (path.isEmpty() || !platform::FileExists(path) || platform::IsFolder(path)) return true;
    return platform::RemoveFile(path);
}

}  // namespace modAPI
