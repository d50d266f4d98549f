// Module modAPI: system-menu, help and file procedures.
#pragma once

#include <QString>

class QWidget;

namespace modAPI {

// Set by a document window whose save question was cancelled; the close-all
// and shut-down procedures stop on it.
inline bool CloseCancelled = false;

// Filter of the program-file dialogs (string 3018); set by the main window's
// start-up.
inline QString DialogFilter;

// Removes the window's close button (and closing it from the window
// system), as removing the Close item of its system menu does.
void DisableCloseItem(QWidget* form);

// Opens the help file, at `topic` when one is given: the target is the path
// with blanks removed at both ends, followed by "::/" and the trimmed topic.
// Does nothing when the help file does not exist.  `owner` is the window the
// viewer belongs to.
void ShowHelp(const QString& helpFile, const QString& topic, QWidget* owner = nullptr);

// Deletes the file when it exists.  Returns false when an existing file
// could not be deleted (the caller decides what that means).
bool DeleteFileIfExists(const QString& path);

}  // namespace modAPI
