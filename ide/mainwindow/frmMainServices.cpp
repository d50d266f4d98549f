#include "mainwindow/frmMainServices.h"

#include <QAction>
#include <QMdiArea>
#include <QPointer>

#include "documents/ColouringLanguage.h"
#include "documents/Documents.h"
#include "documents/EditorSettings.h"
#include "documents/RecentFiles.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "editor/frmNav.h"
#include "mainwindow/frmMain.h"
#include "platform/CodeEditor.h"

namespace frmMainServices {

void DefineEditorLanguage() {
    if (frmMain* main = frmMain::existing()) modApp::DefineEditorLanguage(main->basic);
    else modApp::DefineEditorLanguage();
}

void LoadDefaultEditorSettings() { modReg::LoadEditorSettings(*frmDoc::Shared().rt); }

void SaveEditorSettings() { modReg::SaveEditorSettings(); }

void ReleaseEditorHotKeys() {
    using namespace platform;
    for (const int32_t command :
         {cmdCut, cmdPaste, cmdCopy, cmdLineCut, cmdUndo, cmdRedo, cmdLineDelete}) {
        const int n = EditorGlobals::HotKeyCount(command);
        for (int j = n - 1; j >= 0; --j) EditorGlobals::UnregisterHotKey(EditorGlobals::HotKey(command, j));
    }
}

void NewDocument() { modApp::NewDocument(QString()); }

bool OpenDocument(const QString& path) { return modApp::OpenDocument(path); }

int DocumentUpperBound() { return modApp::Docs.UBound(); }

QWidget* DocumentWindow(int n) { return modApp::Docs(n); }

QString DocumentFileName(int n) {
    const frmDoc* doc = modApp::Docs(n);
    return doc ? doc->FileName : QString();
}

QString DocumentText(int n) {
    const frmDoc* doc = modApp::Docs(n);
    return doc ? doc->rt->WholeText() : QString();
}

int ActiveDoc() { return modApp::ActiveDoc; }

void SetActiveDoc(int n) { modApp::ActiveDoc = static_cast<int16_t>(n); }

void ActivateDocument(int n) {
    frmDoc* doc = modApp::Docs(n);
    if (!doc) return;
    if (QMdiArea* area = doc->mdiArea()) area->setActiveSubWindow(doc);
    doc->rt->setFocus();
}

void UnloadDocument(int n) {
    if (frmDoc* doc = modApp::Docs(n)) doc->Unload();
}

void LoadRecentFiles(frmMain& main) {
    QPointer<frmMain> target = &main;
    modApp::SetRecentMenuSetter([target](int item, const QString& caption) {
        if (!target || item < 0 || item > 5 || !target->mnuRec[item]) return;
        QString text = caption;
        target->mnuRec[item]->setText(text.replace(u'&', QStringLiteral("&&")));
        target->mnuRec[item]->setData(caption);
        target->mnuRec[item]->setVisible(true);
    });
    modApp::LoadRecentFiles();
}

void AddRecentFile(const QString& path) { modApp::AddRecentFile(path); }

QWidget* AssistWindow() {
    // The Assist Window, made on first use and tied to the main window's
    // docking control and View menu.
    static QPointer<frmNav> nav;
    if (!nav) {
        nav = new frmNav;
        if (frmMain* main = frmMain::existing()) {
            nav->SetAllFilesItem(main->mnuAllFileList);
            nav->AttachToDock(*main->fDock, main->quicknav);
        }
    }
    return nav;
}

}  // namespace frmMainServices
