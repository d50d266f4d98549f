// The compile pipeline of module modMain: turns the active document into
// object code.
//
// Compiling the active document reads the editor's text, applies the
// controller directive "'$DEVICE " ("'$컨트롤러 "), merges every file named
// by an "'$INCLUDE " ("'$포함파일 ") directive into one text while keeping a
// map from each merged line back to its file and line, hands the merged text
// to the compiler control, and either shows the error at the file and line it
// came from or reports the code size in the status bar and writes the object
// file.  A snippet compile (CompileSnippet) compiles a piece of text without
// directives for the direct-run commands.
//
// The procedures work on a CompileContext: the compiler control, the
// document's editor and the few services of the main window they use, each
// a plain function, so the pipeline runs (and is tested) without the main
// window.  CompileActiveDocument fills one from the active document window.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// Where one line of the merged program came from.
struct LineMapEntry {
    int16_t FileIndex = 0;  // index into IncludeFiles; 0 = the main document
    int32_t Line = 0;       // zero-based line inside that file
    QString Text;           // the line as it goes into the merged program
};

// The files of the last merge: element 0 ("") stands for the main document,
// element k is the k-th merged file in the order of merging, its name as
// written in its directive, upper-cased and trimmed.
inline std::vector<QString> IncludeFiles{QString()};
// One entry per line of the merged program (zero-based: entry k is the
// compiler's line k + 1).
inline std::vector<LineMapEntry> LineMap{LineMapEntry{}};
// Set once the merge has met an include error; cleared by every merge.
inline bool IncludeError = false;

// The most lines a merged program may have.
inline constexpr int kMaxMergedLines = 20000;

// What the pipeline uses of the compiler, the document and the main window.
// An empty function is skipped.
struct CompileContext {
    qvv2::QUARVELv2* basic = nullptr;  // the compiler control
    QString fileName;                  // the document's FileName (full path)

    // The document's editor: whole text, line count, text of line i
    // (zero-based, without its line break), and showing an error line
    // (highlight it, caret to its column 0, focus to the editor).
    std::function<QString()> text;
    std::function<int()> lineCount;
    std::function<QString(int)> lineText;
    std::function<void(int)> showErrorLine;

    // The first status-bar panel, the controller model set-up that a
    // "'$DEVICE" line runs with the model of its word ("'$DEVICE VX32":
    // ModelSetup.h), the wait window, and the object-file writer run after
    // a successful compile.
    std::function<void(const QString&)> setStatus;
    std::function<void(int16_t model)> modelSetup;
    std::function<void()> showWait;
    std::function<void()> closeWait;
    std::function<void()> writeObjectFile;

    // Loads an include file as the merge buffer does: its lines, without
    // line breaks.  False when the file cannot be read as a program file.
    // Empty: ReadIncludeFile.
    std::function<bool(const QString& path, QStringList& lines)> loadFile;
};

// Compiles the document described by `ctx`: the whole compile command
// (directives, merge, compile, error report or size report and object file).
// A document of blanks only does nothing.  A call made while another compile
// of a document is running (from an event handled during its waits) returns
// at once.
void CompileDocument(CompileContext& ctx);

// Scans the document for "'$DEVICE " lines: an argument that is a model's
// device word (ModelFacts::deviceWord, VX32) runs the model set-up for that
// model (every such line again); any other argument shows the directive's
// error box at that line and ends the scan.  Never stops a compile.
void ParseDeviceDirective(CompileContext& ctx);

// Merges the include files into `text` (the document's text on entry, the
// merged program on success, always ending in CR LF).  Returns true when an
// include error was reported (the text is then unchanged and the caller
// stops).  Fills IncludeFiles, LineMap and IncludeError.
bool ExpandIncludes(CompileContext& ctx, QString& text);

// Compiles a piece of text without directives, under the program name
// "LINE_CNT" and the current model, and returns whether it compiled.  Blank
// text does nothing and returns false.  CompiledOK goes false: it tells of
// the document's image, which the compiler no longer holds.  Shows nothing
// and writes no object file.
bool CompileSnippet(QString& text, qvv2::QUARVELv2& basic);

// ---- On the active document and the main window's compiler ------------------------
// (ide/build/ActiveDocument.cpp)

// The context of the document modApp::ActiveDoc: its editor `rt` and file
// name, the compiler control modMain::Basic(), the main window's status bar,
// the model set-up, the wait window and the object-file writer.  Every
// function checks that the window still exists: a document closed while the
// compile yields to the event queue is skipped.  `basic` is nullptr when no
// document is active.
CompileContext ActiveDocumentContext();

// The compile command: compiles the active document; nothing when no
// document is active.
void CompileActiveDocument();
void ParseDeviceDirective();
bool ExpandIncludes(QString& text);
// A snippet on the main window's compiler control.
bool CompileSnippet(QString& text);
// Before a download: when the compiler holds a snippet's image, compiles the
// active document again, so that only the program's own image can go out.
void RecompileAfterSnippet();

// ---- Helpers, public for the tests -------------------------------------------

// The lines of a text as an editor holding it shows them: split at CR LF, a
// lone CR or a lone LF; a final line break ends the last line and opens none.
QStringList SplitProgramLines(const QString& text);

// The file an include directive names: `name` as written (any letter case,
// "\" or "/" between folders), relative to the current folder, else to
// `documentFolder` when one is given.  Letter case that does not match the
// file system's is resolved by a case-insensitive match per path component.
// Returns the path of an existing ordinary file, or "" when there is none.
QString ResolveIncludePath(const QString& name, const QString& documentFolder);

// Default include loader: reads the program file (code page of the user
// interface, LF line ends taken as CR LF) and splits it into lines.
bool ReadIncludeFile(const QString& path, QStringList& lines);

}  // namespace modMain
