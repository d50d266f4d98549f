#include "build/CompilePipeline.h"
#include "documents/VbText.h"

#include <QDir>

#include <algorithm>
#include <limits>

#include "compiler/ControllerMap.h"
#include "compiler/QUARVELv2.h"
#include "build/EventYield.h"
#include "documents/Files.h"
#include "documents/StringTable.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "platform/FileNames.h"
#include "platform/MsgBox.h"

namespace modMain {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Set while a compile runs: the compiler yields to the event queue once per
// line, and a compile started from an event handled meanwhile would run the
// compiler inside itself.
bool g_compiling = false;

class CompileGuard {
public:
    CompileGuard() { g_compiling = true; }
    ~CompileGuard() { g_compiling = false; }
    CompileGuard(const CompileGuard&) = delete;
    CompileGuard& operator=(const CompileGuard&) = delete;
};

QString FileNameFromPath(const QString& path) {
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}

void Call(const std::function<void()>& f) {
    if (f) f();
}

void SetStatus(const CompileContext& ctx, const QString& text) {
    if (ctx.setStatus) ctx.setStatus(text);
}

void ShowErrorLine(const CompileContext& ctx, int line) {
    if (ctx.showErrorLine) ctx.showErrorLine(line);
}

// Con_ID takes the model index as a byte; an index that is no byte leaves
// the control's value as it is.
void SetControllerId(qvv2::QUARVELv2& basic) {
    if (ControllerID >= 0 && ControllerID <= 255) basic.Con_ID = static_cast<uint8_t>(ControllerID);
}

void CriticalBox(const QString& prompt, const QString& title) {
    platform::MsgBox(prompt, platform::vbCritical | platform::vbOKOnly, title);
}

const QString kDirectiveErrorTitle = QStringLiteral("구문처리 에러");

void ShowIncludeError(int stringNumber) {
    CriticalBox(LoadResString(stringNumber) + kCrLf +
                    QStringLiteral("사용법 : '$INCLUDE(또는 '$포함파일) \"파일명\""),
                LoadResString(4011));
}

// `name` in the folder `folder` (the current folder when empty); an absolute
// name stands for itself.
QString PathIn(const QString& folder, const QString& name) {
    if (folder.isEmpty() || name.startsWith(QLatin1Char('/'))) return name;
    return modApp::AddBackslash(folder) + name;
}

// A folder's entry whose name equals `component` but for letter case; ""
// when there is none.  Every entry counts, hidden ones and those whose names
// are not valid UTF-8 too; the first by name wins.
QString FindEntryIgnoringCase(const QString& folder, const QString& component) {
    QStringList entries = platform::ListFolder(folder);
    std::sort(entries.begin(), entries.end());
    for (const QString& entry : entries)
        if (entry.compare(component, Qt::CaseInsensitive) == 0) return entry;
    return QString();
}

// `relative` (components separated by "/") under `base`, each component
// matched exactly or else ignoring letter case.  Returns "" when it does not
// name an ordinary file.
QString ResolveUnder(const QString& base, const QString& relative) {
    const QString direct = PathIn(base, relative);
    if (platform::IsFile(direct)) return direct;
    QString current = base;
    const QStringList parts = relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) return QString();
    for (const QString& part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String("..") || platform::FileExists(PathIn(current, part))) {
            current = PathIn(current, part);
            continue;
        }
        const QString entry = FindEntryIgnoringCase(current, part);
        if (entry.isEmpty()) return QString();
        current = PathIn(current, entry);
    }
    return platform::IsFile(current) ? current : QString();
}

// Shows a compiler error at the file and line it came from.
void ReportCompileError(CompileContext& ctx) {
    qvv2::QUARVELv2& basic = *ctx.basic;
    CompiledOK = false;
    const QString message = QString::fromStdU16String(basic.Bas_Error_Msg);
    const QString programName = FileNameFromPath(QString::fromStdU16String(basic.Filename));
    const int64_t k = static_cast<int64_t>(basic.Bas_Error_Line) - 1;
    if (k < 0 || k >= static_cast<int64_t>(LineMap.size())) {
        // A line outside the merged program: the compiler's own number, as
        // far as it has one, and no line to show.
        SetStatus(ctx, LoadResString(4007) + programName);
        const QString number = basic.Bas_Error_Line > 0 ? QString::number(basic.Bas_Error_Line) : QString();
        CriticalBox(number + message, LoadResString(4006));
        return;
    }
    const LineMapEntry entry = LineMap[static_cast<size_t>(k)];
    const QString number = QString::number(static_cast<int64_t>(entry.Line) + 1);
    if (entry.FileIndex == 0) {
        ShowErrorLine(ctx, entry.Line);
        SetStatus(ctx, LoadResString(4007) + programName);
        CriticalBox(number + message, LoadResString(4006));
        return;
    }
    const QString file = entry.FileIndex > 0 && static_cast<size_t>(entry.FileIndex) < IncludeFiles.size()
                             ? IncludeFiles[static_cast<size_t>(entry.FileIndex)]
                             : QString();
    CriticalBox(LoadResString(4012) + file + kCrLf + number + message + kCrLf + kCrLf + number +
                    QStringLiteral(" : ") + entry.Text + kCrLf,
                LoadResString(4006));
}

void ResetMergeTables() {
    IncludeFiles.assign(1, QString());
    LineMap.assign(1, LineMapEntry{});
}

}  // namespace

QStringList SplitProgramLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
        lines.append(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

QString ResolveIncludePath(const QString& name, const QString& documentFolder) {
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (relative.isEmpty()) return QString();
    if (QDir::isAbsolutePath(relative)) return ResolveUnder(QStringLiteral("/"), relative);
    const QString current = platform::CurrentFolder();
    QString found = ResolveUnder(current, relative);
    if (found.isEmpty() && !documentFolder.isEmpty() &&
        platform::CanonicalPath(documentFolder) != platform::CanonicalPath(current))
        found = ResolveUnder(documentFolder, relative);
    return found;
}

bool ReadIncludeFile(const QString& path, QStringList& lines) {
    QString text;
    if (!modApp::ReadProgramFile(path, text).ok()) return false;
    lines = SplitProgramLines(text);
    return true;
}

void ParseDeviceDirective(CompileContext& ctx) {
    if (!ctx.lineCount || !ctx.lineText) return;
    const int n = ctx.lineCount();
    for (int i = 0; i < n; ++i) {
        const QString s = vb::Trim(ctx.lineText(i)).toUpper();
        // A directive needs an argument of at least four characters (VX32):
        // shorter lines are not read.  The Korean prefix is two characters
        // shorter than the English one, and so is its shortest line.
        QString argument;
        if (s.size() > 12 && s.startsWith(QStringLiteral("'$DEVICE ")))
            argument = vb::Trim(s.mid(9));
        else if (s.size() > 10 && s.startsWith(QStringLiteral("'$컨트롤러 ")))
            argument = vb::Trim(s.mid(7));
        else
            continue;
        if (const int model = qvv2::controller::ModelOfDeviceWord(argument.toStdString())) {
            if (ctx.modelSetup) ctx.modelSetup(static_cast<int16_t>(model));
            continue;
        }
        ShowErrorLine(ctx, i);
        CriticalBox(QStringLiteral("컨트롤러 설정 구문('$DEVICE)에 오류가 있습니다.") + kCrLf +
                        QStringLiteral("사용법 : '$DEVICE(또는 '$컨트롤러) 컨트롤러종류(VX11 또는 VX21)"),
                    kDirectiveErrorTitle);
        break;
    }
}

bool ExpandIncludes(CompileContext& ctx, QString& text) {
    IncludeError = false;

    // The merge is built locally and published when it ends, so nothing that
    // runs during its yields sees a half-built map.
    const QStringList documentLines = SplitProgramLines(text);
    std::vector<QString> files{QString()};
    std::vector<LineMapEntry> map;
    map.reserve(static_cast<size_t>(documentLines.size()));
    for (qsizetype i = 0; i < documentLines.size(); ++i)
        map.push_back(LineMapEntry{0, static_cast<int32_t>(i), documentLines.at(i)});

    QString documentFolder;
    if (ctx.fileName.contains(QLatin1Char('/')) || ctx.fileName.contains(QLatin1Char('\\'))) {
        QString path = ctx.fileName;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        // The folder part of the absolute path ("/" for a file at the root).
        const QString absolute = platform::AbsolutePath(path);
        documentFolder = absolute.left(std::max<qsizetype>(absolute.lastIndexOf(QLatin1Char('/')), 1));
    }
    const std::function<bool(const QString&, QStringList&)> load =
        ctx.loadFile ? ctx.loadFile : std::function<bool(const QString&, QStringList&)>(ReadIncludeFile);

    int errorString = 0;
    for (size_t i = 0; i < map.size() && errorString == 0; ++i) {
        YieldToEvents();
        const QString s = vb::Trim(map[i].Text).toUpper();
        if (s.size() < 10) continue;
        int prefix = 0;
        if (s.startsWith(QStringLiteral("'$INCLUDE ")))
            prefix = 10;
        else if (s.startsWith(QStringLiteral("'$포함파일 ")))
            prefix = 7;
        else
            continue;

        const QString r = vb::Trim(s.mid(prefix));
        if (r.size() < 3 || !r.startsWith(QLatin1Char('"')) || !r.endsWith(QLatin1Char('"'))) {
            errorString = 5010;
            break;
        }
        const QString name = r.mid(1, r.size() - 2);
        if (name.contains(QLatin1Char('"'))) {
            errorString = 5010;
            break;
        }

        // The name is kept in capitals, but the file is looked up as written
        // (file names on this platform are case-sensitive).
        QString written = name;
        const QString original = vb::Trim(map[i].Text);
        if (original.size() == s.size()) {
            const QString ro = vb::Trim(original.mid(prefix));
            if (ro.size() == r.size()) written = ro.mid(1, ro.size() - 2);
        }
        const QString path = ResolveIncludePath(written, documentFolder);
        QStringList lines;
        if (path.isEmpty() || !load(path, lines)) {
            errorString = 5011;
            break;
        }

        files.push_back(name);
        map[i].Text.clear();  // the directive stays as an empty line and is not merged again
        if (map.size() + static_cast<size_t>(lines.size()) > static_cast<size_t>(kMaxMergedLines) ||
            files.size() - 1 > static_cast<size_t>(std::numeric_limits<int16_t>::max())) {
            errorString = 5012;
            break;
        }
        const auto fileIndex = static_cast<int16_t>(files.size() - 1);
        std::vector<LineMapEntry> merged;
        merged.reserve(static_cast<size_t>(lines.size()));
        for (qsizetype j = 0; j < lines.size(); ++j)
            merged.push_back(LineMapEntry{fileIndex, static_cast<int32_t>(j), lines.at(j)});
        map.insert(map.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::make_move_iterator(merged.begin()),
                   std::make_move_iterator(merged.end()));
        // The scan goes on with the first merged line, so directives in the
        // merged file are merged too.  The lines before it were read already
        // and have not changed, so this is the same as starting again at the
        // top.
    }

    IncludeFiles = std::move(files);
    LineMap = std::move(map);
    if (errorString != 0) {
        IncludeError = true;
        ShowIncludeError(errorString);
        return true;
    }
    QString merged;
    for (const LineMapEntry& entry : LineMap) {
        merged += entry.Text;
        merged += kCrLf;
    }
    text = merged;
    return false;
}

void CompileDocument(CompileContext& ctx) {
    if (!ctx.basic || g_compiling) return;
    CompileGuard guard;
    qvv2::QUARVELv2& basic = *ctx.basic;

    Call(ctx.showWait);
    QString text = ctx.text ? ctx.text() : QString();
    if (vb::Trim(text).isEmpty()) {
        Call(ctx.closeWait);
        return;
    }
    CompiledOK = false;
    Downloaded = false;

    ParseDeviceDirective(ctx);
    if (ExpandIncludes(ctx, text)) {
        Call(ctx.closeWait);
        return;
    }

    basic.Filename = ctx.fileName.toStdU16String();
    SetControllerId(basic);
    Call(ctx.closeWait);

    std::u16string source = text.toStdU16String();
    SnippetImage = false;
    basic.Compile(source);

    if (basic.Bas_Error != 0) {
        ReportCompileError(ctx);
    } else {
        CompiledOK = true;
        SetStatus(ctx, LoadResString(3159) + QString::number(basic.TotalBytes) + LoadResString(3160) +
                           QStringLiteral(" - ") + FileNameFromPath(QString::fromStdU16String(basic.Filename)));
        Call(ctx.writeObjectFile);
    }
    ResetMergeTables();
}

bool CompileSnippet(QString& text, qvv2::QUARVELv2& basic) {
    if (vb::Trim(text).isEmpty()) return false;
    if (g_compiling) return false;
    CompileGuard guard;
    CompiledOK = false;
    SnippetImage = true;
    basic.Filename = u"LINE_CNT";
    SetControllerId(basic);
    std::u16string source = text.toStdU16String();
    basic.Compile(source);
    return basic.Bas_Error <= 0;
}

}  // namespace modMain
