#include "editor/frmAlignWait.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QShowEvent>
#include <QTimer>
#include <QTreeWidget>

#include "documents/Documents.h"
#include "editor/DocTabStrip.h"
#include "editor/ProgramAlign.h"
#include "editor/frmDoc.h"
#include "editor/frmNav.h"
#include "link/frmWait.h"

namespace {

bool g_running = false;

// Keeps the user's keys and clicks away from every window while the pass
// runs: the pass hands control to the event queue, and a key typed into the
// document then would be lost when the aligned text replaces it.
class InputBlocker : public QObject {
public:
    InputBlocker() { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::InputMethod: return true;
            default: return QObject::eventFilter(watched, event);
        }
    }
};

}  // namespace

void frmAlignWait::ShowModal(QWidget* owner) {
    if (g_running || !modApp::Docs(modApp::ActiveDoc)) return;
    g_running = true;
    frmAlignWait window(owner);
    window.Form_Load();
    g_running = false;
    window.exec();
}

frmAlignWait::frmAlignWait(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAlignWait"));
    setModal(true);

    const frmWait::Panel panel =
        frmWait::BuildPanel(this, QStringLiteral("프로그램 정렬 중입니다. 잠시만 기다려 주십시오 !"));
    Shape1 = panel.Shape1;
    Label1 = panel.Label1;
    pb = panel.pb;
    setMinimumWidth(320);
}

void frmAlignWait::Form_Load() { AlignProgram(); }

void frmAlignWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The window comes up after the pass; it goes as soon as it is up.
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

void frmAlignWait::Form_Activate() {
    // A pass that ended early (its document closed under it) closes the
    // window too: nothing else could.
    if (finished_) accept();
}

void frmAlignWait::AlignProgram() {
    QPointer<frmDoc> doc = modApp::Docs(modApp::ActiveDoc);
    if (!doc) {
        finished_ = true;
        return;
    }
    platform::CodeEditor* rt = doc->rt;
    const InputBlocker blocker;
    frmWait::Load().show();

    const platform::EditorRange selection = rt->Selection(true);
    const int32_t firstVisible = rt->FirstVisibleLine();

    QPointer<frmNav> nav = frmNav::Existing();
    if (nav) {
        nav->Label1->hide();
        nav->ClearLabelList();
    }

    QPointer<QProgressBar> bar = pb;
    const ProgramAlign::Layout layout = ProgramAlign::LayOut(rt->Lines(), [bar](int32_t line, int32_t lineCount) {
        if (bar) bar->setValue(ProgramAlign::ProgressPercent(line, lineCount));
    });

    // The words of a line are split with hand-backs to the event queue; the
    // document may have gone meanwhile.
    if (doc) {
        // The aligned text goes to the editor in one edit, which one undo
        // takes back (putting a new text would forget the undo history).
        rt->ReplaceAllLines(layout.Text, layout.Blanks);
        rt->SetFirstVisibleLine(firstVisible);
        rt->PutCaret(selection.StartLineNo, selection.StartColNo);
        rt->SetChanged(true);
        doc->Modified = true;
        if (DocumentHost* host = frmDoc::Host())
            if (DocTabStrip* tabs = host->DocumentTabs())
                tabs->SetTabImage(tabs->IndexOfKey(QStringLiteral("key") + doc->Tag), 2);
        rt->setFocus();
    }

    if (nav) {
        nav->AddLabels(layout.Labels);
        if (!nav->Picture1->isVisible()) {
            nav->Tbs->setCurrentIndex(1);
            nav->Tbs_Click();
        }
        nav->Label1->show();
    }
    frmWait::Unload();
    finished_ = true;
}
