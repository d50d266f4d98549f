#include "platform/CommonDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

#include <utility>

#include "platform/FileNames.h"

namespace platform {
namespace {

FileDialogResponder& Responder() {
    static FileDialogResponder responder;
    return responder;
}

// "*.qsf" becomes "*.qsf *.QSF": names on this platform are case-sensitive.
QString BothCases(const QString& patterns) {
    QStringList out;
    for (const QString& p : patterns.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
        if (!out.contains(p)) out << p;
        const QString lower = p.toLower(), upper = p.toUpper();
        if (!out.contains(lower)) out << lower;
        if (!out.contains(upper)) out << upper;
    }
    return out.join(u' ');
}

}  // namespace

FileDialogResponder SetFileDialogResponder(FileDialogResponder responder) {
    return std::exchange(Responder(), std::move(responder));
}

QStringList QtNameFilters(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        const QString patterns = BothCases(parts[i + 1]);
        // Qt takes the patterns from the last parentheses of the entry, so
        // they always go there; the description keeps its own wording.
        const QString own = QStringLiteral("(%1)").arg(parts[i + 1].trimmed());
        if (description.endsWith(own)) description.chop(own.size());
        description = description.trimmed();
        result << QStringLiteral("%1 (%2)").arg(description.isEmpty() ? parts[i + 1].trimmed() : description,
                                                patterns);
    }
    return result;
}

int CommonDialog::ShowOpen(QWidget* owner) { return Show(false, owner); }
int CommonDialog::ShowSave(QWidget* owner) { return Show(true, owner); }

int CommonDialog::Show(bool save, QWidget* owner) {
    FileDialogAnswer answer;
    if (Responder()) {
        answer = Responder()(FileDialogCall{save, DialogTitle, InitDir, FileName, Filter, FilterIndex, Flags});
    } else if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QFileDialog dialog(owner ? owner : QApplication::activeWindow(), DialogTitle);
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (save && !(Flags & cdlOFNOverwritePrompt)) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        const QStringList filters = QtNameFilters(Filter);
        if (!filters.isEmpty()) {
            dialog.setNameFilters(filters);
            if (FilterIndex >= 1 && FilterIndex <= filters.size()) dialog.selectNameFilter(filters[FilterIndex - 1]);
        }
        // Qt's dialog cannot show a folder whose name is not valid UTF-8: it
        // starts in the nearest folder above that it can show.
        QString start = InitDir;
        while (DisplayFileName(start) != start) start = QDir::cleanPath(start + QStringLiteral("/.."));
        if (!start.isEmpty() && IsFolder(start)) dialog.setDirectory(start);
        if (!FileName.isEmpty()) dialog.selectFile(FileName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            answer = FileDialogAnswer::Choose(dialog.selectedFiles().front(),
                                              static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1);
        }
    }
    if (answer.cancelled) return CancelError ? cdlCancel : 0;
    FileName = answer.fileName;
    if (answer.filterIndex > 0) FilterIndex = answer.filterIndex;
    return 0;
}

}  // namespace platform
