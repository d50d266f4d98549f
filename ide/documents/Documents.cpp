#include "documents/Documents.h"

#include <QFileInfo>

#include "documents/StringTable.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"

namespace modApp {
namespace {

// Element i - 1 holds document number i.
struct DocumentStore {
    std::vector<QPointer<frmDoc>> windows;
    std::vector<DocumentSlot> slotList;
};

DocumentStore& Store() {
    static DocumentStore store;
    return store;
}

constexpr int kMaxDocuments = 32767;

}  // namespace

frmDoc* DocumentArray::operator()(int n) const {
    const auto& windows = Store().windows;
    if (n < 1 || n > static_cast<int>(windows.size())) return nullptr;
    frmDoc* doc = windows[static_cast<size_t>(n - 1)].data();
    if (!doc || doc->IsUnloaded()) return nullptr;
    return doc;
}

int16_t DocumentArray::UBound() const { return static_cast<int16_t>(Store().windows.size()); }

DocumentSlot* DocumentSlotArray::operator()(int n) const {
    auto& slotList = Store().slotList;
    if (n < 1 || n > static_cast<int>(slotList.size())) return nullptr;
    return &slotList[static_cast<size_t>(n - 1)];
}

int16_t DocumentSlotArray::UBound() const { return static_cast<int16_t>(Store().slotList.size()); }

int16_t FindFreeDocSlot() {
    DocumentStore& s = Store();
    const size_t n = s.windows.size();
    if (n == 0 || s.slotList.size() != n) return 0;
    for (size_t i = 0; i < n; ++i) {
        if (s.slotList[i].Free) {
            s.slotList[i].Free = false;
            return static_cast<int16_t>(i + 1);
        }
    }
    if (n >= static_cast<size_t>(kMaxDocuments)) return 0;
    s.windows.emplace_back();
    s.slotList.emplace_back();
    return static_cast<int16_t>(n + 1);
}

void DimensionDocuments() {
    DocumentStore& s = Store();
    s.windows.assign(1, QPointer<frmDoc>());
    s.slotList.assign(1, DocumentSlot());
}

frmDoc* CreateDocumentWindow(int n) {
    DocumentStore& s = Store();
    if (n < 1 || n > static_cast<int>(s.windows.size())) return nullptr;
    auto* doc = new frmDoc;
    s.windows[static_cast<size_t>(n - 1)] = doc;
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
    doc->rt->SetLanguageName(QStringLiteral("Quarvel"));
    if (DocumentHost* host = frmDoc::Host()) host->ClearAssistLabels();
}

QString FileNameFromPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype backslash = path.lastIndexOf(u'\\');
    const qsizetype last = std::max(slash, backslash);
    if (last < 0) return path;
    return path.mid(last + 1);
}

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

void InsertTextAtCaret(platform::CodeEditor& editor, const QString& text) {
    editor.ReplaceSelectedText(text);
    const platform::EditorRange r = editor.Selection(false);
    if (!text.contains(u'\n') && !text.contains(u'\r')) {
        editor.PutCaret(r.EndLineNo, r.EndColNo + static_cast<int32_t>(text.size()));
    } else {
        // A text with line breaks: the caret goes to the end of the
        // inserted text (the editor holds its line breaks as CR LF).
        QString normal = text;
        normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        normal.replace(u'\r', u'\n');
        const QStringList lines = normal.split(u'\n');
        editor.PutCaret(r.EndLineNo + static_cast<int32_t>(lines.size()) - 1,
                        static_cast<int32_t>(lines.last().size()));
    }
    editor.setFocus();
}

void ResetDocuments() {
    Store() = DocumentStore();
    NewDocIndex = 0;
    ActiveDoc = 0;
}

}  // namespace modApp
