// The compile pipeline bound to the program's windows: the active document
// window's editor, the main window's compiler control and status bar, the
// model set-up, the wait window and the object file.
#include <QPointer>

#include "compiler/QUARVELv2.h"
#include "build/CompilePipeline.h"
#include "build/ModelSetup.h"
#include "documents/Documents.h"
#include "documents/MainHost.h"
#include "documents/ObjectFile.h"
#include "link/DownloadProgram.h"
#include "link/frmWait.h"
#include "platform/CodeEditor.h"

namespace modMain {

CompileContext ActiveDocumentContext() {
    CompileContext ctx;
    QPointer<platform::CodeEditor> rt = modApp::DocumentEditor(modApp::ActiveDoc);
    if (!rt) return ctx;

    qvv2::QUARVELv2* basic = &Basic();
    ctx.basic = basic;
    ctx.fileName = modApp::DocumentFileName(modApp::ActiveDoc);

    ctx.text = [rt] { return rt ? rt->WholeText() : QString(); };
    ctx.lineCount = [rt] { return rt ? static_cast<int>(rt->LineCount()) : 0; };
    ctx.lineText = [rt](int i) { return rt ? rt->LineText(i) : QString(); };
    ctx.showErrorLine = [rt](int line) {
        if (!rt) return;
        // The caret first: its move sets the caret-line highlight, which the
        // error line's mark then replaces (also with that option off).
        rt->PutCaret(line, 0);
        rt->SetHighlightedLine(line);
        rt->setFocus();
    };

    ctx.setStatus = [](const QString& text) { modApp::SetStatusText(1, text); };
    ctx.modelSetup = [basic](int16_t model) { ModelSetup(*basic, model); };
    ctx.showWait = [] { frmWait::Load().show(); };
    ctx.closeWait = [] { frmWait::Unload(); };
    ctx.writeObjectFile = [basic] { modApp::WriteObjectFile(*basic); };
    return ctx;
}

void CompileActiveDocument() {
    if (modApp::ActiveDoc == 0) return;
    CompileContext ctx = ActiveDocumentContext();
    CompileDocument(ctx);
}

void ParseDeviceDirective() {
    CompileContext ctx = ActiveDocumentContext();
    ParseDeviceDirective(ctx);
}

bool ExpandIncludes(QString& text) {
    CompileContext ctx = ActiveDocumentContext();
    return ExpandIncludes(ctx, text);
}

bool CompileSnippet(QString& text) { return CompileSnippet(text, Basic()); }

void RecompileAfterSnippet() {
    if (SnippetImage) CompileActiveDocument();
}

}  // namespace modMain
