#include "editor/DocumentFiles.h"

#include <QMdiArea>

#include "documents/Documents.h"
#include "documents/MotionScript.h"
#include "documents/RecentFiles.h"
#include "documents/StringTable.h"
#include "documents/modAPI.h"
#include "documents/modReg.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"
#include "platform/CommonDialog.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"
#include "platform/SafeFile.h"
#include "platform/UiLanguage.h"

namespace modApp {

// ---- Document windows --------------------------------------------------------

namespace {

// The documents array's questions about the windows it holds.
class FrmDocAccess final : public DocumentWindowAccess {
public:
    frmDoc* OpenWindow(QObject* window) const override {
        auto* doc = qobject_cast<frmDoc*>(window);
        return doc && !doc->IsUnloaded() ? doc : nullptr;
    }
    platform::CodeEditor* Editor(frmDoc* window) const override { return window ? window->rt : nullptr; }
    QString FileName(frmDoc* window) const override { return window ? window->FileName : QString(); }
};

const QString kLanguageName = QStringLiteral("Quarvel");

}  // namespace

frmDoc* CreateDocumentWindow(int n) {
    static const FrmDocAccess access;
    SetDocumentWindowAccess(&access);
    if (n < 1 || n > Docs.UBound()) return nullptr;
    auto* doc = new frmDoc;
    SetDocumentWindow(n, doc);
    doc->Load();
    return doc;
}

void NewDocument(const QString& text) {
    (void)text;
    int16_t n = FindFreeDocSlot();
    if (n == 0) {
        // No document was ever created; a full array (every number in use)
        // creates nothing.
        if (Docs.UBound() > 0) return;
        DimensionDocuments();
        n = 1;
    }
    NewDocIndex = n;
    frmDoc* doc = CreateDocumentWindow(n);
    if (!doc) return;
    if (doc->IsUnloaded()) {
        // The window closed itself while loading (the program is closing).
        if (DocumentSlot* slot = DocSlots(n)) slot->Free = true;
        return;
    }
    doc->SetWindowState(2);
    doc->Modified = false;
    doc->HasFile = false;
    doc->Tag = QString::number(n);
    const QString name = LoadResString(21) + doc->Tag + QStringLiteral(".bas");
    doc->SetCaption(name);
    doc->FileName = name;
    doc->Show();
    doc->rt->SetLanguageName(kLanguageName);
    if (DocumentHost* host = frmDoc::Host()) host->ClearAssistLabels();
}

// ---- Files -------------------------------------------------------------------

void ShowFileError(const FileError& error) {
    const QString head = LoadResString(4011) + QString::number(error.Number);
    platform::MsgBox(head + QChar(u'\n') + error.Description, platform::vbOKOnly | platform::vbCritical, head);
}

namespace {

std::function<void()>& AssistFileListRefresher() {
    static std::function<void()> refresher;
    return refresher;
}

// The editor holds exactly the text of its file: no undo back past it, not
// changed.
void MarkEditorSaved(platform::CodeEditor& editor) { editor.MarkSaved(); }

// Writes the document's text to `path` as a script or a program file.  A
// read-only file (no write permission bit, or one this user may not write)
// is never replaced, even where the folder would allow it: the save fails
// with a file-access error and the file stays as it is.
FileError WriteDocumentText(frmDoc& doc, const QString& path) {
    if (platform::IsReadOnlyFile(path)) return MakeFileError(errPathFileAccess);
    const QString text = doc.rt->WholeText();
    return IsScriptPath(path) ? WriteScriptFile(path, text) : WriteProgramFile(path, text);
}

void SaveActiveDocumentAs(int titleString, platform::CommonDialog& cd, QWidget* owner) {
    // A "No" to the overwrite question asks for another name.
    for (;;) {
        frmDoc* doc = Docs(ActiveDoc);
        if (!doc) return;
        cd.CancelError = true;
        cd.InitDir = modReg::WorkFolder();
        cd.FileName.clear();
        cd.DialogTitle = LoadResString(titleString) + QStringLiteral("[") + doc->Caption() + QStringLiteral("]");
        cd.Filter = modAPI::DialogFilter;
        // The overwrite question is asked here, not by the dialog.
        cd.Flags &= ~platform::cdlOFNOverwritePrompt;
        const int result = cd.ShowSave(owner);
        if (result == platform::cdlCancel) return;
        if (result != 0) {
            ShowFileError(MakeFileError(static_cast<int16_t>(result)));
            return;
        }
        const QString name = cd.FileName;
        if (name.isEmpty()) return;
        doc = Docs(ActiveDoc);  // the dialog ran the event loop
        if (!doc) return;

        if (FileExists(name)) {
            const QString prompt = name + LoadResString(4008) + QStringLiteral("\n") + LoadResString(4009);
            if (platform::MsgBox(prompt, platform::vbYesNo | platform::vbQuestion, LoadResString(4010)) !=
                platform::vbYes)
                continue;
            doc = Docs(ActiveDoc);
            if (!doc) return;
        }

        if (const FileError e = WriteDocumentText(*doc, name); !e.ok()) {
            // Nothing changed: the document keeps its name and its text, an
            // existing file its content.
            ShowFileError(e);
            return;
        }
        doc->HasFile = true;
        doc->SetCaption(DocumentCaption(name));
        doc->FileName = name;
        doc->rt->SetLanguageName(kLanguageName);
        doc->Modified = false;
        MarkEditorSaved(*doc->rt);

        AddRecentFile(name);
        if (AssistFileListRefresher()) AssistFileListRefresher()();

        doc->setFocus();
        doc->Form_Activate();
        return;
    }
}

// Save As with the host's dialog, shown over the host's window; without a
// host (or one without a dialog) a dialog of its own, without owner.
void SaveActiveDocumentAs(int titleString) {
    DocumentHost* host = frmDoc::Host();
    platform::CommonDialog* dialog = host ? host->FileDialog() : nullptr;
    QMdiArea* area = host ? host->DocumentArea() : nullptr;
    QWidget* owner = dialog && area ? area->window() : nullptr;
    platform::CommonDialog fallback;
    SaveActiveDocumentAs(titleString, dialog ? *dialog : fallback, owner);
}

// True when something other than an ordinary file (a folder, a pipe, a
// device, a socket) stands at `path`, a symbolic link followed.
bool IsOtherThanAFile(const QString& path) {
    const platform::EntryKind kind = platform::StatusOf(path).kind;
    return kind != platform::EntryKind::Nothing && kind != platform::EntryKind::File;
}

// The error for a path that holds something other than an ordinary file:
// the file-access error, naming the path.
FileError NotAFileError(const QString& path) {
    static const platform::LocalizedText kNotAFile = {" is not a file", "은(는) 파일이 아닙니다",
                                                      " はファイルではありません", " 不是文件"};
    FileError e = MakeFileError(errPathFileAccess);
    e.Description += QStringLiteral(": ") + path + platform::Localized(kNotAFile);
    return e;
}

}  // namespace

bool OpenDocument(const QString& path) {
    // Something other than an ordinary file in the path's place (a folder, a
    // pipe, a device) is neither a document to read nor a missing file to
    // create: it cannot be opened.
    if (IsOtherThanAFile(path)) {
        ShowFileError(NotAFileError(path));
        return false;
    }
    if (!FileExists(path)) {
        const QString prompt = LoadResString(4012) + path + QStringLiteral("\n") + LoadResString(4013);
        const QString title = FindResString(4014).value_or(QString());
        if (platform::MsgBox(prompt, platform::vbYesNo | platform::vbQuestion, title) != platform::vbYes) return true;
    }

    // Already open: bring that window forward.
    if (NewDocIndex >= 1) {
        for (int i = 1; i <= Docs.UBound(); ++i) {
            const DocumentSlot* slot = DocSlots(i);
            if (slot && slot->Free) continue;
            frmDoc* doc = Docs(i);
            if (doc && doc->HasFile && doc->FileName == path) {
                doc->Show();
                doc->setFocus();
                return true;
            }
        }
    }

    // Read before a window exists, so a file that cannot be opened leaves
    // nothing behind (an empty window bound to it could overwrite it).
    const bool script = IsScriptPath(path);
    QString text;
    if (platform::OwnStatusOf(path).Exists()) {
        const FileError e = script ? ReadScriptFileChecked(path, text) : ReadProgramFile(path, text);
        if (!e.ok()) {
            ShowFileError(e);
            return false;
        }
    }

    int16_t n = FindFreeDocSlot();
    if (n == 0) {
        if (Docs.UBound() > 0) return true;  // every number is in use
        DimensionDocuments();
        n = 1;
    }
    NewDocIndex = n;
    frmDoc* doc = CreateDocumentWindow(n);
    if (!doc) return true;
    if (doc->IsUnloaded()) {
        // The window closed itself while loading: the program is closing.
        if (DocumentSlot* slot = DocSlots(n)) slot->Free = true;
        return true;
    }
    doc->SetWindowState(2);
    doc->Modified = false;
    doc->Tag = QString::number(n);
    doc->SetCaption(DocumentCaption(platform::DisplayFileName(path)));
    doc->HasFile = true;
    doc->FileName = path;
    if (!script || !text.isEmpty()) doc->rt->LoadText(text);
    doc->Modified = false;  // loading the text is no change
    doc->rt->SetLanguageName(kLanguageName);
    doc->Show();
    if (DocumentHost* host = frmDoc::Host()) host->ClearAssistLabels();
    return true;
}

void SaveActiveDocument() {
    frmDoc* doc = Docs(ActiveDoc);
    if (!doc) return;
    if (doc->HasFile) {
        if (const FileError e = WriteDocumentText(*doc, doc->FileName); !e.ok()) {
            // The document stays modified, so closing it still asks.
            ShowFileError(e);
        } else {
            doc->Modified = false;
            MarkEditorSaved(*doc->rt);
        }
    } else {
        SaveProgramFileAs();
        doc = Docs(ActiveDoc);
        if (!doc) return;
    }
    doc->DoAct();
}

void SaveDocumentAs(platform::CommonDialog& dialog, QWidget* owner) { SaveActiveDocumentAs(1015, dialog, owner); }
void SaveProgramFileAs(platform::CommonDialog& dialog, QWidget* owner) { SaveActiveDocumentAs(1014, dialog, owner); }
void SaveDocumentAs() { SaveActiveDocumentAs(1015); }
void SaveProgramFileAs() { SaveActiveDocumentAs(1014); }

void SetAssistFileListRefresher(std::function<void()> refresher) { AssistFileListRefresher() = std::move(refresher); }

}  // namespace modApp
