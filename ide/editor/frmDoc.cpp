#include "editor/frmDoc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QPointer>
#include <QResizeEvent>

#include "documents/Documents.h"
#include "documents/EditorSettings.h"
#include "documents/StringTable.h"
#include "documents/VbNumbers.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "editor/DocTabStrip.h"
#include "editor/DocumentFiles.h"
#include "editor/MenuItems.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "vxKeyCodes.h"

namespace {
DocumentHost* g_host = nullptr;
}  // namespace

frmDoc::frmDoc(QWidget* parent) : QMdiSubWindow(parent), rt(new platform::CodeEditor) {
    setObjectName(QStringLiteral("frmDoc"));
    setAttribute(Qt::WA_DeleteOnClose);
    rt->setObjectName(QStringLiteral("rt"));
    setWidget(rt);
    rt->installEventFilter(this);
    connect(rt, &platform::CodeEditor::Change, this, &frmDoc::rt_Change);
    connect(rt, &platform::CodeEditor::SelChange, this, &frmDoc::rt_SelChange);
    ConnectEditorEvents();
}

frmDoc::~frmDoc() = default;

void frmDoc::SetHost(DocumentHost* host) { g_host = host; }
DocumentHost* frmDoc::Host() { return g_host; }

frmDoc& frmDoc::Shared() {
    static QPointer<frmDoc> shared;
    if (!shared) {
        shared = new frmDoc;
        shared->setAttribute(Qt::WA_DeleteOnClose, false);
        QPointer<frmDoc> w = shared;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [w] { delete w.data(); });
    }
    return *shared;
}

// ---- Window members ------------------------------------------------------------------

int16_t frmDoc::WindowState() const {
    if (!shown_) return windowState_;
    if (isMaximized()) return 2;
    if (isMinimized()) return 1;
    return 0;
}

void frmDoc::SetWindowState(int16_t state) {
    if (state < 0 || state > 2) return;
    windowState_ = state;
    if (!shown_ || unloaded_) return;
    if (state == 2) showMaximized();
    else if (state == 1) showMinimized();
    else showNormal();
}

void frmDoc::Load() {
    if (loaded_ || unloaded_) return;
    loaded_ = true;
    Form_Load();
}

void frmDoc::Show() {
    if (unloaded_) return;
    if (!loaded_) Load();
    if (unloaded_) return;
    QMdiArea* area = g_host ? g_host->DocumentArea() : nullptr;
    if (area && mdiArea() != area) {
        area->addSubWindow(this);
        connect(area, &QMdiArea::subWindowActivated, this, &frmDoc::OnSubWindowActivated, Qt::UniqueConnection);
    }
    shown_ = true;
    if (windowState_ == 2) showMaximized();
    else if (windowState_ == 1) showMinimized();
    else show();
    if (area) {
        if (area->activeSubWindow() == this) Form_Activate();
        else area->setActiveSubWindow(this);
    } else {
        Form_Activate();
    }
}

bool frmDoc::Unload() {
    if (unloaded_) return true;
    return close();
}

void frmDoc::OnSubWindowActivated(QMdiSubWindow* window) {
    if (window == this && loaded_ && !unloaded_) Form_Activate();
}

// ---- Tab -------------------------------------------------------------------------------

void frmDoc::RefreshTab(const QString& caption, const QString& toolTip) {
    DocTabStrip* tb = g_host ? g_host->DocumentTabs() : nullptr;
    if (!tb) return;
    const int index = tb->IndexOfKey(TabKey());
    if (index < 0) return;
    tb->setTabText(index, caption);
    tb->setCurrentIndex(index);
    tb->setTabToolTip(index, toolTip);
    tb->SetTabImage(index, Modified ? 2 : 1);
}

void frmDoc::SetTabImage(int image) {
    DocTabStrip* tb = g_host ? g_host->DocumentTabs() : nullptr;
    if (!tb) return;
    tb->SetTabImage(tb->IndexOfKey(TabKey()), image);
}

// ---- Event handlers -------------------------------------------------------------------

void frmDoc::Form_Load() {
    if (modMain::AppClosing) {
        int cancel = 0;
        Form_Unload(cancel);
        unloaded_ = true;
        deleteLater();
        return;
    }
    if (DocTabStrip* tb = g_host ? g_host->DocumentTabs() : nullptr) {
        // The caption is replaced by the file name as soon as the window is
        // activated.
        tb->AddTab(modApp::NewDocIndex, QStringLiteral("key") + QString::number(modApp::NewDocIndex),
                   QStringLiteral("me.tag: ") + Tag);
    }
    modReg::LoadEditorSettings(*rt);
    modReg::LoadViewOptions();
    ClearHistory();
    history_.push_back(0);
    historyIndex_ = 1;
    rt->SetWhitespaceShown(modApp::ShowWhitespace);
    rt->SetLanguageName(QStringLiteral("Quarvel"));
    rt->SetBookmarkMarginShown(false);
    // The caret starts on the first line: highlighted like any caret line.
    rt->SetHighlightedLine(modApp::HighlightLine ? rt->Selection(true).EndLineNo : -1);
    SetWindowState(2);
}

void frmDoc::Form_Activate() {
    if (const auto n = vb::CIntStrict(Tag)) modApp::ActiveDoc = *n;
    const QString shown = platform::DisplayFileName(FileName);
    RefreshTab(modApp::FileNameFromPath(shown), shown);
    EnableDocMenus();
    EnableDocButtons();
    UpdateEditButtons();
    // The status bar shows this document's caret, not the one of the
    // document active before (the caret itself has not moved).
    const platform::EditorRange caret = rt->Selection(true);
    ShowCaretStatus(caret.EndLineNo, caret.EndColNo);
    if (modMain::DocWindowState == 2 && shown_ && !isMaximized()) showMaximized();
}

void frmDoc::DoAct() { RefreshTab(modApp::FileNameFromPath(Caption()), Caption()); }

void frmDoc::Form_Resize() {
    if (shown_ && isMaximized()) modMain::DocWindowState = 2;
}

// The keys of the menu table (editor/MenuItems.h) that carry a command.
frmDoc::HostCommand frmDoc::ShortcutCommand(int keyCode, int shift) {
    for (const MenuItems::Item& item : MenuItems::kItems) {
        if (!item.command || vxKey::CodeOf(item.key.key()) != keyCode) continue;
        const int held = vxKey::ShiftOf(item.key.keyboardModifiers());
        if (item.Has(MenuItems::kExactly) ? shift == held : (shift & held) == held) return item.command;
    }
    return nullptr;
}

void frmDoc::Form_KeyDown(int& KeyCode, int& Shift) {
    DocumentHost* host = g_host;
    if (!host) return;
    const HostCommand command = ShortcutCommand(KeyCode, Shift);
    if (!command) return;
    KeyCode = 0;
    Shift = 0;
    (host->*command)();
}

bool frmDoc::eventFilter(QObject* watched, QEvent* event) {
    if (watched == rt && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        int code = vxKey::CodeOf(key);
        int shift = vxKey::ShiftOf(key->modifiers());
        // Keys the window takes never reach the editor's key event.
        rt_KeyDown(rt, code, shift, nullptr);
        if (code == 0 || !g_host || !ShortcutCommand(code, shift)) return QMdiSubWindow::eventFilter(watched, event);
        if (event->type() == QEvent::ShortcutOverride) {
            // The window takes its shortcut keys before any menu shortcut.
            event->accept();
            return true;
        }
        // The command may close this window: keep it alive until it returns.
        QPointer<frmDoc> self(this);
        Form_KeyDown(code, shift);
        if (self && code == 0) event->accept();
        return true;
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void frmDoc::Form_QueryUnload(int& Cancel, int UnloadMode) {
    (void)UnloadMode;
    if (!Modified) return;
    const QString prompt = LoadResString(4547) + Caption() + QStringLiteral("\n") + LoadResString(4548);
    const int16_t answer =
        platform::MsgBox(prompt, platform::vbYesNoCancel | platform::vbQuestion, LoadResString(4549), this);
    if (answer == platform::vbYes) {
        // The save works on the active document: make sure that is this one.
        if (const auto n = vb::CIntStrict(Tag)) modApp::ActiveDoc = *n;
        modApp::SaveActiveDocument();
        if (Modified) {
            // Not saved (no file chosen, or the write failed): closing now
            // would lose the text.
            Cancel = 1;
            modAPI::CloseCancelled = true;
        }
    } else if (answer == platform::vbCancel) {
        Cancel = 1;
        modAPI::CloseCancelled = true;
    }
}

void frmDoc::Form_Unload(int& Cancel) {
    (void)Cancel;
    if (shown_ && !isHidden()) showNormal();
    windowState_ = 0;
    DisableDocMenus();
    DisableDocButtons();
    if (const auto n = vb::CIntStrict(Tag))
        if (modApp::DocumentSlot* slot = modApp::DocSlots(*n)) slot->Free = true;
    if (DocTabStrip* tb = g_host ? g_host->DocumentTabs() : nullptr) tb->RemoveKey(TabKey());
    if (g_host) g_host->ClearAssistLabels();
    modApp::ActiveDoc = 0;
    // With this window the last document goes: no caret is left to show.
    if (g_host && !OtherDocumentOpen()) g_host->NoDocumentOpen();
}

bool frmDoc::OtherDocumentOpen() const {
    for (int n = 1; n <= modApp::Docs.UBound(); ++n) {
        const frmDoc* doc = modApp::Docs(n);
        if (doc && doc != this) return true;
    }
    return false;
}

void frmDoc::closeEvent(QCloseEvent* event) {
    if (unloaded_ || !loaded_) {
        QMdiSubWindow::closeEvent(event);
        return;
    }
    int cancel = 0;
    Form_QueryUnload(cancel, 0);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    int unloadCancel = 0;
    Form_Unload(unloadCancel);
    unloaded_ = true;
    QMdiSubWindow::closeEvent(event);
}

void frmDoc::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    Form_Resize();
}

// ---- Editor events -----------------------------------------------------------------

void frmDoc::rt_Change(platform::CodeEditor* control) {
    (void)control;
    // The editing keys follow the active editor after every change of its
    // text, whatever made it: a change that leaves the caret in place
    // (Replace All, the Delete key, an insertion at the caret) brings no
    // selection change.  The editor answers from its state, without looking
    // at the text, so this costs a key typed next to nothing.
    if (modApp::Docs(modApp::ActiveDoc) == this) UpdateEditButtons();
    if (Modified) return;
    Modified = true;
    SetTabImage(2);
}

void frmDoc::rt_SelChange(platform::CodeEditor* control) {
    (void)control;
    CurRange = rt->Selection(true);
    const int32_t line = CurRange.EndLineNo;
    ShowCaretStatus(line, CurRange.EndColNo);
    // The highlight follows the caret, which also takes away the mark that
    // a failed compile put on its error line.
    rt->SetHighlightedLine(modApp::HighlightLine ? line : -1);
    RecordPosition(line);
    UpdateEditButtons();
}

// ---- Position history ----------------------------------------------------------------

void frmDoc::RecordPosition(int32_t line) {
    if (history_.empty() || historyIndex_ < 1 || historyIndex_ > static_cast<int32_t>(history_.size()) ||
        history_[static_cast<size_t>(historyIndex_ - 1)] != line) {
        history_.push_back(line);
        historyIndex_ = static_cast<int32_t>(history_.size());
    }
}

void frmDoc::ClearHistory() {
    while (!history_.empty()) history_.pop_back();
    historyIndex_ = 0;
}

void frmDoc::NextLine() {
    if (historyIndex_ + 1 > static_cast<int32_t>(history_.size())) return;
    ++historyIndex_;
    rt->PutCaret(history_[static_cast<size_t>(historyIndex_ - 1)], 1);
}

void frmDoc::PrevLine() {
    if (historyIndex_ - 1 < 1) return;
    --historyIndex_;
    rt->PutCaret(history_[static_cast<size_t>(historyIndex_ - 1)], 1);
}

// ---- Comments -------------------------------------------------------------------------

void frmDoc::CommentBlock() {
    if (rt->LanguageName().isEmpty()) return;
    const platform::EditorRange block = rt->Selection(true);
    QStringList pieces = rt->SelectedText().split(u'\n');
    for (QString& piece : pieces) piece.prepend(u'\'');
    modApp::InsertTextAtCaret(*rt, pieces.join(u'\n'));
    SelectReplacedBlock(block);
}

void frmDoc::UncommentBlock() {
    if (rt->LanguageName().isEmpty()) return;
    const platform::EditorRange block = rt->Selection(true);
    QString text = rt->SelectedText();
    text.remove(u'\'');
    modApp::InsertTextAtCaret(*rt, text);
    SelectReplacedBlock(block);
}

void frmDoc::SelectReplacedBlock(const platform::EditorRange& before) {
    // The replacement leaves the caret after the new text: select from the
    // block's start to there, so that Uncomment can follow Comment.  An
    // empty selection stays empty (the caret after the inserted text).
    if (before.IsEmpty()) return;
    const platform::EditorRange after = rt->Selection(false);
    rt->SelectRange(before.StartLineNo, before.StartColNo, after.EndLineNo, after.EndColNo);
}
