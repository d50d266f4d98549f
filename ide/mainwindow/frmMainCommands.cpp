// frmMain: the File, Edit, Search, View, Window and Help menu handlers, the
// commands of the toolbar keys without a menu item, and the tab-strip and
// status-bar handlers.  The Compile, Controller and Set menus are in
// mainwindow/frmMainController.cpp; the toolbars' keys in
// editor/ToolbarKeys.h and the handlers of their keys in frmMain.cpp.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>

#include "documents/Documents.h"
#include "documents/EditorSettings.h"
#include "documents/StringTable.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "editor/DocCommandState.h"
#include "editor/DocTabStrip.h"
#include "editor/DockPanels.h"
#include "editor/DocumentFiles.h"
#include "editor/frmAbout.h"
#include "editor/frmDoc.h"
#include "editor/frmNav.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmMainServices.h"
#include "platform/CodeEditor.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "platform/UiLanguage.h"

namespace {
const QString kNavPanel = QStringLiteral("frmNav");

frmMain::PrinterHook g_printerHook;

// The active document window and its editor (nullptr when none is active:
// a document command then does nothing).
frmDoc* ActiveDocument() { return modApp::Docs(modApp::ActiveDoc); }
platform::CodeEditor* ActiveEditor() {
    frmDoc* doc = ActiveDocument();
    return doc ? doc->rt : nullptr;
}
void EditorCommand(int32_t command) {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->RunCommand(command);
}

// Arrangement of the document windows.
enum class Arrange { Cascade, TileHorizontal, TileVertical };

void ArrangeWindows(QMdiArea* mdi, Arrange how) {
    if (!mdi) return;
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) windows << w;
    for (QMdiSubWindow* w : windows)
        if (w->isMaximized()) w->showNormal();
    if (how == Arrange::Cascade || windows.isEmpty()) {
        mdi->cascadeSubWindows();
        return;
    }
    const QRect area = mdi->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        QRect r;
        if (how == Arrange::TileHorizontal) {
            // One above the other, each the full width.
            const int top = area.height() * i / n;
            r = QRect(0, top, area.width(), area.height() * (i + 1) / n - top);
        } else {
            const int left = area.width() * i / n;
            r = QRect(left, 0, area.width() * (i + 1) / n - left, area.height());
        }
        windows[i]->setGeometry(r);
    }
}
}  // namespace

// ---- File ----------------------------------------------------------------------

void frmMain::new_Click() { frmMainServices::NewDocument(); }

void frmMain::open_Click() {
    cd.Flags = platform::cdlOFNHideReadOnly;
    cd.CancelError = true;
    cd.InitDir = modReg::WorkFolder();
    cd.DialogTitle = LoadResString(1012);
    cd.Filter = modAPI::DialogFilter;
    cd.FileName.clear();
    if (cd.ShowOpen(this) != 0) return;  // cancelled
    const QString path = cd.FileName;
    if (path.isEmpty()) return;
    frmMainServices::OpenDocument(path);
    frmMainServices::AddRecentFile(path);
}

void frmMain::close_Click() {
    const int n = frmMainServices::ActiveDoc();
    if (n > 0) frmMainServices::UnloadDocument(n);
}

void frmMain::save_Click() { modApp::SaveActiveDocument(); }
void frmMain::saveas_Click() { modApp::SaveDocumentAs(cd, this); }

// Saves every open document that has changes and a caption, each as the
// active document, then makes the document that was active before active
// again.  Numbers without an open window are skipped.
void frmMain::saveall_Click() {
    const int16_t remembered = modApp::ActiveDoc;
    for (int i = 1; i <= modApp::Docs.UBound(); ++i) {
        frmDoc* doc = modApp::Docs(i);
        if (!doc) continue;
        modApp::ActiveDoc = static_cast<int16_t>(i);
        if (doc->Modified && !doc->Caption().isEmpty()) modApp::SaveActiveDocument();
    }
    modApp::ActiveDoc = remembered;
    if (modApp::Docs(remembered)) frmMainServices::ActivateDocument(remembered);
}

frmMain::PrinterHook frmMain::SetPrinterHook(PrinterHook hook) {
    PrinterHook previous = std::move(g_printerHook);
    g_printerHook = std::move(hook);
    return previous;
}

// Prints the active document's whole text on the default printer in the
// editor's font, without a dialog: one line after the other, long lines
// wrapped at the page's width, a new page where the next line would not fit.
// Without a printer (none installed: the printer is then a PDF writer with
// no file) or when the printer cannot start, a box says that no printer is
// available and nothing prints.
void frmMain::Prints_Click() {
    platform::CodeEditor* rt = ActiveEditor();
    if (!rt) return;
    QPrinter printer;
    if (g_printerHook) g_printerHook(printer);
    const bool noPrinter = printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
    QPainter painter;
    if (noPrinter || !painter.begin(&printer)) {
        static const platform::LocalizedText kNoPrinter = {"No printer is available.",
                                                           "사용할 수 있는 프린터가 없습니다.",
                                                           "使用できるプリンターがありません。", "没有可用的打印机。"};
        // Titled with the program's name: a short box keeps its title whole.
        platform::MsgBox(platform::Localized(kNoPrinter), platform::vbOKOnly | platform::vbExclamation, QString(),
                         this);
        return;
    }
    QFont font = painter.font();
    font.setFamily(rt->EditorFont().family());
    if (rt->EditorFont().pointSizeF() > 0) font.setPointSizeF(rt->EditorFont().pointSizeF());
    painter.setFont(font);
    const QRect page = painter.viewport();
    const int width = std::max(1, page.width());
    QString text = rt->WholeText() + QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    lines.removeLast();  // the part after the last line end
    constexpr int kFlags = Qt::TextWordWrap | Qt::TextExpandTabs;
    int y = 0;
    for (const QString& line : lines) {
        const QString shown = line.isEmpty() ? QStringLiteral(" ") : line;
        const QRect box = painter.boundingRect(QRect(0, 0, width, page.height()), kFlags, shown);
        if (y > 0 && y + box.height() > page.height()) {
            if (!printer.newPage()) break;
            y = 0;
        }
        painter.drawText(QRect(0, y, width, box.height()), kFlags, line);
        y += box.height();
    }
    painter.end();
}
void frmMain::printsetup_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Print(0, 12);
}
void frmMain::print2_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Print(0, 13);
}

void frmMain::mnuRec_Click(int Index) {
    if (Index < 0 || Index > 5 || !mnuRec[Index]) return;
    const QString path = mnuRec[Index]->data().toString();
    if (!path.isEmpty()) frmMainServices::OpenDocument(path);
}

void frmMain::mnuRecent_Open_Click() { mnuRecent_Open->setChecked(!mnuRecent_Open->isChecked()); }

void frmMain::exit_Click() { close(); }

// ---- Edit and search ----------------------------------------------------------------

void frmMain::undo_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Undo();
}
void frmMain::redo_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Redo();
}
void frmMain::cut_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Cut();
}
void frmMain::copy_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Copy();
}
void frmMain::paste_Click() {
    if (platform::CodeEditor* rt = ActiveEditor()) rt->Paste();
}
void frmMain::delete_Click() { EditorCommand(platform::cmdDelete); }
void frmMain::mnuComment_Click() {
    if (frmDoc* doc = ActiveDocument()) doc->CommentBlock();
}
void frmMain::mnuUncomment_Click() {
    if (frmDoc* doc = ActiveDocument()) doc->UncommentBlock();
}
void frmMain::selectall_Click() { EditorCommand(platform::cmdSelectAll); }
void frmMain::selectline_Click() { EditorCommand(platform::cmdSelectLine); }
void frmMain::find_Click() { EditorCommand(platform::cmdFind); }
void frmMain::findnext_Click() { EditorCommand(platform::cmdFindNext); }
void frmMain::findprev_Click() { EditorCommand(platform::cmdFindPrevious); }
void frmMain::mnuReplace_Click() { EditorCommand(platform::cmdReplace); }
void frmMain::goto_Click() { EditorCommand(platform::cmdGotoLine); }

void frmMain::UndoAndUpdateButtons() {
    undo_Click();
    UpdateToolbarState();
}
void frmMain::RedoAndUpdateButtons() {
    redo_Click();
    UpdateToolbarState();
}
void frmMain::IndentSelection() { EditorCommand(platform::cmdIndentSelection); }
void frmMain::UnindentSelection() { EditorCommand(platform::cmdUnindentSelection); }
void frmMain::NextBookmark() { EditorCommand(platform::cmdNextBookmark); }
void frmMain::PreviousBookmark() { EditorCommand(platform::cmdPreviousBookmark); }

void frmMain::ToggleBookmark() {
    platform::CodeEditor* rt = ActiveEditor();
    if (!rt) return;
    rt->RunCommand(platform::cmdToggleBookmark);
    // The bookmark margin shows while any line carries a bookmark.
    rt->SetBookmarkMarginShown(rt->HasBookmarks());
}

void frmMain::ClearBookmarks() {
    if (platform::CodeEditor* rt = ActiveEditor()) {
        rt->RunCommand(platform::cmdClearBookmarks);
        rt->SetBookmarkMarginShown(false);
    }
}

void frmMain::UpdateToolbarState() {
    platform::CodeEditor* rt = ActiveEditor();
    if (QAction* b = Button(tbar2, QStringLiteral("undo"))) b->setEnabled(!rt || rt->CanUndo());
    if (QAction* b = Button(tbar2, QStringLiteral("redo"))) b->setEnabled(!rt || rt->CanRedo());
}

void frmMain::AddText(const QString& text) {
    if (platform::CodeEditor* rt = ActiveEditor()) modApp::InsertTextAtCaret(*rt, text);
}

// ---- View -----------------------------------------------------------------------

void frmMain::toolbar_Click() {
    toolbar->setChecked(!toolbar->isChecked());
    tBar->setVisible(toolbar->isChecked());
}

void frmMain::statusbar2_Click() {
    statusbar2->setChecked(!statusbar2->isChecked());
    picBottom->setVisible(statusbar2->isChecked());
}

void frmMain::quicknav_Click() {
    if (quicknav->isChecked()) {
        fDock->HidePanel(kNavPanel);
        quicknav->setChecked(false);
    } else {
        quicknav->setChecked(true);
        fDock->ShowPanel(kNavPanel);
    }
}

void frmMain::mnuTip_Click() { mnuTip->setChecked(!mnuTip->isChecked()); }

void frmMain::hlline_Click() {
    const bool on = !hlline->isChecked();
    hlline->setChecked(on);
    modApp::HighlightLine = on;
    for (int i = 1; i <= modApp::Docs.UBound(); ++i) {
        frmDoc* doc = modApp::Docs(i);
        if (!doc) continue;
        if (on) {
            doc->CurRange = doc->rt->Selection(true);
            doc->rt->SetHighlightedLine(doc->CurRange.StartLineNo);
        } else {
            doc->rt->SetHighlightedLine(-1);
        }
    }
    modReg::SaveViewOptions();
}

void frmMain::whitespace_Click() {
    const bool on = !whitespace->isChecked();
    for (int i = 1; i <= modApp::Docs.UBound(); ++i)
        if (frmDoc* doc = modApp::Docs(i)) doc->rt->SetWhitespaceShown(on);
    whitespace->setChecked(on);
    modApp::ShowWhitespace = on;
    modReg::SaveViewOptions();
}

void frmMain::mnuAllFileList_Click() {
    mnuAllFileList->setChecked(!mnuAllFileList->isChecked());
    // The Assist Window's file list follows the check mark at once.
    if (frmNav* nav = frmNav::Existing()) nav->RefreshFileList();
}

void frmMain::editor_Click() {
    // Over the main window; on OK the settings are stored and reach every
    // open document window.
    if (frmDoc::SetEditor(this)) whitespace->setChecked(modApp::ShowWhitespace);
}

// ---- Window ---------------------------------------------------------------------

void frmMain::ArrangeTileHorizontal() { ArrangeWindows(mdi, Arrange::TileHorizontal); }
void frmMain::ArrangeTileVertical() { ArrangeWindows(mdi, Arrange::TileVertical); }
void frmMain::ArrangeCascade() { ArrangeWindows(mdi, Arrange::Cascade); }

// The menu items keep arranged windows arranged when they are activated
// later; the toolbar keys run the arrangement alone.
void frmMain::tilehor_Click() {
    modMain::DocWindowState = 0;
    ArrangeTileHorizontal();
}

void frmMain::tilever_Click() {
    modMain::DocWindowState = 0;
    ArrangeTileVertical();
}

void frmMain::cascade_Click() {
    modMain::DocWindowState = 0;
    ArrangeCascade();
}

void frmMain::closeall_Click() { CloseAllDocuments(); }

void frmMain::ReactivateAfterCancelledClose() {
    int n = modApp::ActiveDoc;
    for (int i = 1; !modApp::Docs(n) && i <= modApp::Docs.UBound(); ++i) n = i;
    frmDoc* doc = modApp::Docs(n);
    if (!doc) return;
    modApp::ActiveDoc = static_cast<int16_t>(n);
    frmMainServices::ActivateDocument(n);
    DocCommandState::EnableMenus(this);
    DocCommandState::EnableButtons(this);
    DocCommandState::UpdateEditButtons(this, doc->rt);
}

void frmMain::FillWindowList() {
    for (QAction* a : windowListItems_) {
        mnuWindow->removeAction(a);
        a->deleteLater();
    }
    windowListItems_.clear();
    const QList<QMdiSubWindow*> windows = mdi->subWindowList(QMdiArea::CreationOrder);
    int number = 0;
    for (QMdiSubWindow* w : windows) {
        QString title = w->windowTitle();
        QAction* a = mnuWindow->addAction(QStringLiteral("&%1 %2").arg(++number).arg(title.replace(u'&', QStringLiteral("&&"))));
        a->setCheckable(true);
        a->setChecked(w == mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            if (mdi->subWindowList().contains(w)) mdi->setActiveSubWindow(w);
        });
        windowListItems_ << a;
    }
}

// ---- Help -----------------------------------------------------------------------

void frmMain::genhelp_Click() {
    const QString folder = modApp::AddBackslash(modApp::AppPath());
    QString file = folder + LoadResString(2);
    if (!platform::IsFile(file)) file = folder + QStringLiteral("qvv2.chm");
    modAPI::ShowHelp(file, QString(), this);
}

void frmMain::about_Click() { frmAbout::ShowModal(this); }

// ---- Tab strip, status bar, public procedures ----------------------------------------

void frmMain::TB_MouseDown(int Button) {
    Q_UNUSED(Button);
    const QString key = TB->SelectedKey();
    bool ok = false;
    const int k = key.mid(3).toInt(&ok);
    if (ok) frmMainServices::ActivateDocument(k);
    // The Assist Window returns to its file page with an empty label list.
    ClearAssistLabels();
}

void frmMain::TB_MouseUp(int Button, const QPoint& globalPos) {
    const QString key = TB->SelectedKey();
    bool ok = false;
    const int k = key.mid(3).toInt(&ok);
    if (ok) frmMainServices::ActivateDocument(k);
    if (Button == Qt::RightButton) tabmenu->popup(globalPos);
}

void frmMain::stBar_PanelClick() { SetPortPanel(); }

void frmMain::MessageBox(const QString& prompt, int32_t buttons, const QString& title) {
    platform::MsgBox(prompt, buttons, title, this);
}
