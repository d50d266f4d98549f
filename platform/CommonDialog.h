// The common file dialog: open and save with a file-type filter, an initial
// folder, a file name and a title.  Like the main window's dialog control it
// is a set of plain properties and two show operations; a cancelled dialog is
// reported as error 32755 when CancelError is set.  Tests answer every dialog
// through a responder, so no window appears.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace platform {

// Error number of a cancelled dialog (with CancelError set).
constexpr int cdlCancel = 32755;

// Flag values the program passes; the dialog honours the overwrite prompt
// and accepts the others (the read-only box does not exist here).
constexpr int cdlOFNOverwritePrompt = 2;
constexpr int cdlOFNHideReadOnly = 4;

struct FileDialogCall {
    bool save = false;
    QString title;
    QString initDir;
    QString fileName;
    QString filter;  // "description|pattern|description|pattern..."
    int filterIndex = 1;
    int flags = 0;
};

struct FileDialogAnswer {
    bool cancelled = true;
    QString fileName;  // full path when not cancelled
    int filterIndex = 0;  // 0 keeps the dialog's FilterIndex
    static FileDialogAnswer Cancel() { return {}; }
    static FileDialogAnswer Choose(const QString& path, int filterIndex = 0) { return {false, path, filterIndex}; }
};

using FileDialogResponder = std::function<FileDialogAnswer(const FileDialogCall&)>;

// Installs `responder` (an empty one removes it); returns the previous one.
FileDialogResponder SetFileDialogResponder(FileDialogResponder responder);

// Converts a filter of description and pattern pairs separated by vertical
// bars into Qt's name-filter list ("QUARVEL Program (*.bas)|*.bas|..." gives
// "QUARVEL Program (*.bas)" and so on).  A description that does not end in
// its own pattern gets it appended in parentheses; patterns match both letter
// cases, as file names do on the original platform.
QStringList QtNameFilters(const QString& filter);

class CommonDialog {
public:
    bool CancelError = false;  // a cancel returns cdlCancel instead of 0
    QString InitDir;
    QString FileName;          // initial name before, chosen full path after
    QString DialogTitle;
    QString Filter;
    int FilterIndex = 1;       // 1-based, as chosen after the dialog
    int Flags = 0;

    // Show modally.  Return 0 when a file was chosen (FileName holds its
    // full path) or when the dialog was cancelled without CancelError
    // (FileName unchanged); cdlCancel when cancelled with CancelError.
    int ShowOpen(QWidget* owner = nullptr);
    int ShowSave(QWidget* owner = nullptr);

private:
    int Show(bool save, QWidget* owner);
};

}  // namespace platform
