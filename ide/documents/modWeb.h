// Module modWeb: handing a document or an address to the desktop.
#pragma once

#include <QString>

class QWidget;

namespace modWeb {

// Opens `target` with its default action (an address in the browser, a file
// in its program).  The outcome is not examined.
void OpenWithShell(const QString& target, QWidget* owner = nullptr);

}  // namespace modWeb
