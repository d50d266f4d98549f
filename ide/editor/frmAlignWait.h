// frmAlignWait: the small modal window of the "Align Program" command.  It
// aligns the active document while it loads (AlignProgram) and closes
// itself as soon as it is shown with the pass finished; during the pass the
// link's wait window (frmWait) is what the user sees.
//
// The pass (see editor/ProgramAlign.h for the rules): the whole text is
// replaced in one edit, which one undo takes back; the first visible line
// and the caret's line and column stay; the document counts as changed; the
// labels go to the Assist Window's label list, whose page is then shown.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;

class frmAlignWait : public QDialog {
    Q_OBJECT

public:
    // Aligns the active document with the window shown modally over
    // `owner`.  Nothing without an active document.
    static void ShowModal(QWidget* owner);

    explicit frmAlignWait(QWidget* owner = nullptr);

    QFrame* Shape1 = nullptr;
    QLabel* Label1 = nullptr;    // a fixed Korean text in every language
    QProgressBar* pb = nullptr;  // 0..100 through the pass

    // The pass over the active document.
    void AlignProgram();
    void Form_Load();
    // Closes the window once the pass has finished.
    void Form_Activate();
    bool Finished() const { return finished_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool finished_ = false;
};
