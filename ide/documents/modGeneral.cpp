#include "documents/modGeneral.h"

#include <QStringList>
#include <QWidget>

#include "documents/LocalizeForm.h"
#include "platform/WindowStyle.h"

namespace modGeneral {

void FlatBorder(QWidget* control) { platform::SetThinBorder(control); }

void FlatControls(QWidget* form) {
    static const QStringList flatTypes = {
        QStringLiteral("CommandButton"), QStringLiteral("TextBox"),     QStringLiteral("ListBox"),
        QStringLiteral("FileTree"),      QStringLiteral("TreeView"),    QStringLiteral("ProgressBar"),
        QStringLiteral("PictureBox")};
    for (QWidget* control : FormControls(form))
        if (flatTypes.contains(ControlTypeName(control))) FlatBorder(control);
}

void MakeTopMost(QWidget* form) { platform::SetStaysOnTop(form); }

}  // namespace modGeneral
