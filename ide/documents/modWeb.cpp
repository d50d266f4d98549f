#include "documents/modWeb.h"

#include "platform/Shell.h"

namespace modWeb {

void OpenWithShell(const QString& target, QWidget* owner) {
    (void)owner;
    platform::ShellOpen(target);
}

}  // namespace modWeb
