// Handing a file, folder or address to the desktop (its default action) and
// opening the help file.  Both go through handlers that tests replace, so no
// outside program starts during a test.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// A handler receives the target as the caller gave it and says whether the
// desktop accepted it.
using ShellHandler = std::function<bool(const QString& target)>;

// Install a handler (an empty one restores the desktop); returns the previous.
ShellHandler SetShellHandler(ShellHandler handler);
ShellHandler SetHelpHandler(ShellHandler handler);

// Opens `target` with its default action: an address with a scheme
// ("http://...", "mailto:...") in its program, anything else as a local
// file or folder.
bool ShellOpen(const QString& target);

// Opens the help file of `target`, "file" or "file::/topic".  The desktop
// has no viewer that takes a topic from the command line, so the file itself
// is opened; the topic reaches an installed handler unchanged.
bool HtmlHelp(QWidget* owner, const QString& target);

}  // namespace platform
