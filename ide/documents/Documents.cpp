#include "documents/Documents.h"

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <vector>

#include "platform/CodeEditor.h"
#include "platform/FileNames.h"

namespace modApp {
namespace {

// Element i - 1 holds document number i.
struct DocumentStore {
    std::vector<QPointer<QObject>> windows;
    std::vector<DocumentSlot> slotList;
};

DocumentStore& Store() {
    static DocumentStore store;
    return store;
}

const DocumentWindowAccess* g_access = nullptr;

constexpr int kMaxDocuments = 32767;

}  // namespace

frmDoc* DocumentArray::operator()(int n) const {
    const auto& windows = Store().windows;
    if (n < 1 || n > static_cast<int>(windows.size())) return nullptr;
    QObject* window = windows[static_cast<size_t>(n - 1)].data();
    if (!window || !g_access) return nullptr;
    return g_access->OpenWindow(window);
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
    s.windows.assign(1, QPointer<QObject>());
    s.slotList.assign(1, DocumentSlot());
}

void SetDocumentWindowAccess(const DocumentWindowAccess* access) { g_access = access; }

void SetDocumentWindow(int n, QObject* window) {
    DocumentStore& s = Store();
    if (n < 1 || n > static_cast<int>(s.windows.size())) return;
    s.windows[static_cast<size_t>(n - 1)] = window;
}

platform::CodeEditor* DocumentEditor(int n) {
    frmDoc* doc = Docs(n);
    return doc && g_access ? g_access->Editor(doc) : nullptr;
}

QString DocumentFileName(int n) {
    frmDoc* doc = Docs(n);
    return doc && g_access ? g_access->FileName(doc) : QString();
}

QObject* DocumentWindow(int n) { return Docs(n) ? Store().windows[static_cast<size_t>(n - 1)].data() : nullptr; }

platform::CodeEditor* ActiveEditor() { return ActiveDoc == 0 ? nullptr : DocumentEditor(ActiveDoc); }

void FocusActiveEditor() {
    if (platform::CodeEditor* editor = ActiveEditor()) editor->setFocus();
}

bool InsertIntoActiveDocument(const QString& text, int32_t lineAdvance) {
    platform::CodeEditor* editor = ActiveEditor();
    if (!editor) return false;
    const platform::EditorRange r = editor->Selection(true);
    editor->ReplaceSelectedText(text);
    editor->PutCaret(r.EndLineNo + lineAdvance, r.EndColNo);
    return true;
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
    // By the name's own bytes, so a name that is not valid UTF-8 is found.
    if (!platform::IsFile(path)) return false;
    const QString name = FileNameFromPath(path);
    return !name.startsWith(u'.');  // a hidden file
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
