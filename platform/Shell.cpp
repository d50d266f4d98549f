#include "platform/Shell.h"

#include <QDesktopServices>
#include <QUrl>

#include <utility>

namespace platform {
namespace {

ShellHandler& ShellHook() {
    static ShellHandler handler;
    return handler;
}

ShellHandler& HelpHook() {
    static ShellHandler handler;
    return handler;
}

QUrl UrlOf(const QString& target) {
    const QUrl url(target, QUrl::StrictMode);
    // A scheme of one letter is a drive ("c:"), not an address.
    if (url.isValid() && url.scheme().size() > 1) return url;
    return QUrl::fromLocalFile(target);
}

}  // namespace

ShellHandler SetShellHandler(ShellHandler handler) { return std::exchange(ShellHook(), std::move(handler)); }
ShellHandler SetHelpHandler(ShellHandler handler) { return std::exchange(HelpHook(), std::move(handler)); }

bool ShellOpen(const QString& target) {
    if (ShellHook()) return ShellHook()(target);
    if (target.isEmpty()) return false;
    return QDesktopServices::openUrl(UrlOf(target));
}

bool HtmlHelp(QWidget* owner, const QString& target) {
    (void)owner;
    if (HelpHook()) return HelpHook()(target);
    const qsizetype topic = target.indexOf(QStringLiteral("::/"));
    const QString file = topic >= 0 ? target.left(topic) : target;
    if (file.isEmpty()) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

}  // namespace platform
