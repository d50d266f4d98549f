// The compile pipeline: directives, the include merge with its line map,
// error mapping back to file and line, the size report and the snippet
// compile, on a real compiler control and real files in a temporary folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <unistd.h>

#include <memory>
#include <vector>

#include "HostileFiles.h"
#include "compiler/ControllerMap.h"
#include "compiler/QUARVELv2.h"
#include "ScriptedDialogs.h"
#include "build/CompilePipeline.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"
#include "platform/FileNames.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A document window as the pipeline sees it: its lines, and a record of what
// the pipeline did to it and to the main window.
struct FakeDocument {
    QStringList lines;
    QString fileName;
    std::vector<int> errorLines;
    std::vector<QString> status;
    std::vector<int16_t> modelSetups;  // the model of each set-up run
    int waitShown = 0;
    int waitClosed = 0;
    int objectFiles = 0;

    QString text() const { return lines.join(kCrLf); }

    modMain::CompileContext context(qvv2::QUARVELv2& basic) {
        modMain::CompileContext ctx;
        ctx.basic = &basic;
        ctx.fileName = fileName;
        ctx.text = [this] { return text(); };
        ctx.lineCount = [this] { return static_cast<int>(lines.size()); };
        ctx.lineText = [this](int i) { return i >= 0 && i < lines.size() ? lines.at(i) : QString(); };
        ctx.showErrorLine = [this](int line) { errorLines.push_back(line); };
        ctx.setStatus = [this](const QString& s) { status.push_back(s); };
        ctx.modelSetup = [this](int16_t model) { modelSetups.push_back(model); };
        ctx.showWait = [this] { ++waitShown; };
        ctx.closeWait = [this] { ++waitClosed; };
        ctx.writeObjectFile = [this] { ++objectFiles; };
        return ctx;
    }
};

class CompilePipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ASSERT_TRUE(dir_.isValid());
        savedCwd_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir_.path()));
        basic_ = std::make_unique<qvv2::QUARVELv2>();
        basic_->cmdLang = 0;
        basic_->Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
        modMain::ControllerID = 2;
        modMain::CompiledOK = false;
        modMain::Downloaded = false;
        doc_.fileName = path("main.bas");
    }

    void TearDown() override {
        QDir::setCurrent(savedCwd_);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    QString path(const QString& name) const { return dir_.filePath(name); }

    void writeFile(const QString& name, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    // Runs the merge alone on the document's text.
    bool merge(QString& text) {
        modMain::CompileContext ctx = doc_.context(*basic_);
        text = doc_.text();
        return modMain::ExpandIncludes(ctx, text);
    }

    void compile() {
        modMain::CompileContext ctx = doc_.context(*basic_);
        modMain::CompileDocument(ctx);
    }

    // Marks the compiler's state so a test can tell whether it compiled.
    void markCompiler() {
        basic_->SourceText = u"untouched";
        basic_->TotalBytes = 1234;
    }
    bool compilerUntouched() const { return basic_->SourceText == u"untouched" && basic_->TotalBytes == 1234; }

    QTemporaryDir dir_;
    QString savedCwd_;
    std::unique_ptr<qvv2::QUARVELv2> basic_;
    FakeDocument doc_;
};

using Entry = std::tuple<int, int, QString>;

std::vector<Entry> MapEntries() {
    std::vector<Entry> out;
    for (const auto& e : modMain::LineMap) out.emplace_back(e.FileIndex, e.Line, e.Text);
    return out;
}

// ---- Merge -------------------------------------------------------------------

TEST_F(CompilePipelineTest, DocumentWithoutDirectivesMapsEveryLineToItself) {
    doc_.lines = {"DIM A AS BYTE", "A = 1", "", "END"};
    QString text;
    EXPECT_FALSE(merge(text));
    EXPECT_FALSE(modMain::IncludeError);
    EXPECT_EQ(text, QStringLiteral("DIM A AS BYTE\r\nA = 1\r\n\r\nEND\r\n"));
    EXPECT_EQ(modMain::IncludeFiles, std::vector<QString>{QString()});
    EXPECT_EQ(MapEntries(), (std::vector<Entry>{{0, 0, "DIM A AS BYTE"}, {0, 1, "A = 1"}, {0, 2, ""}, {0, 3, "END"}}));
}

TEST_F(CompilePipelineTest, MergesNestedAndRepeatedIncludesWithTheirLineMap) {
    // inc1 includes inc2 in its Korean form; inc1 is included twice, the
    // second time with another letter case and the directive on the last
    // line without a line break.  Files with LF-only line ends count as
    // their lines.
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));  // files are read as CP949
    writeFile("inc1.bas", QByteArray("X1\n'$\xc6\xf7\xc7\xd4\xc6\xc4\xc0\xcf \"inc2.bas\"\nX3\n"));
    writeFile("inc2.bas", "Y1\r\nY2");
    doc_.lines = {"M0", "  '$include \"inc1.bas\"  ", "M2", "'$INCLUDE \"INC1.BAS\""};

    QString text;
    ASSERT_FALSE(merge(text));
    EXPECT_EQ(modMain::IncludeFiles,
              (std::vector<QString>{"", "INC1.BAS", "INC2.BAS", "INC1.BAS", "INC2.BAS"}));
    const std::vector<Entry> expected{
        {0, 0, "M0"}, {0, 1, ""},   {1, 0, "X1"}, {1, 1, ""},   {2, 0, "Y1"}, {2, 1, "Y2"}, {1, 2, "X3"},
        {0, 2, "M2"}, {0, 3, ""},   {3, 0, "X1"}, {3, 1, ""},   {4, 0, "Y1"}, {4, 1, "Y2"}, {3, 2, "X3"}};
    EXPECT_EQ(MapEntries(), expected);
    EXPECT_EQ(text, QStringLiteral("M0\r\n\r\nX1\r\n\r\nY1\r\nY2\r\nX3\r\nM2\r\n\r\nX1\r\n\r\nY1\r\nY2\r\nX3\r\n"));
}

TEST_F(CompilePipelineTest, IncludeSyntaxAndMissingFileStopTheCompile) {
    writeFile("there.bas", "A\r\n");
    struct Case {
        QString line;
        QString message;
    } cases[] = {
        {"'$INCLUDE 'there.bas'", "Error in ('$INCLUDE) syntax"},
        {"'$INCLUDE there.bas", "Error in ('$INCLUDE) syntax"},
        {"'$INCLUDE \"the\"re.bas\"", "Error in ('$INCLUDE) syntax"},
        {"'$INCLUDE \"\"", "Error in ('$INCLUDE) syntax"},
        {"'$INCLUDE \"there.bas", "Error in ('$INCLUDE) syntax"},
        {"'$INCLUDE \"nowhere.bas\"", "Include file is not exist !"},
        {"'$INCLUDE \".\"", "Include file is not exist !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        doc_ = FakeDocument{};
        doc_.fileName = path("main.bas");
        doc_.lines = {"DIM A AS BYTE", c.line, "A = 1"};
        modMain::CompiledOK = true;
        modMain::Downloaded = true;
        markCompiler();
        compile();
        ASSERT_EQ(boxes.Calls().size(), 1u);
        EXPECT_EQ(boxes.Calls()[0].prompt,
                  c.message + kCrLf + QStringLiteral("사용법 : '$INCLUDE(또는 '$포함파일) \"파일명\""));
        EXPECT_EQ(boxes.Calls()[0].title, QStringLiteral("Error : "));
        EXPECT_EQ(boxes.Calls()[0].style & 0xF0, platform::vbCritical);
        EXPECT_TRUE(modMain::IncludeError);
        EXPECT_TRUE(compilerUntouched());
        EXPECT_FALSE(modMain::CompiledOK);
        EXPECT_FALSE(modMain::Downloaded);
        EXPECT_EQ(doc_.waitShown, 1);
        EXPECT_EQ(doc_.waitClosed, 1);
        EXPECT_EQ(doc_.objectFiles, 0);
    }
}

TEST_F(CompilePipelineTest, SelfIncludeStopsAtTheLineLimit) {
    writeFile("self.bas", "A = 1\r\n'$INCLUDE \"self.bas\"\r\n");
    doc_.lines = {"'$INCLUDE \"self.bas\""};
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    // (How long the merge takes is merge_bench's "self" program.)
    QString text;
    EXPECT_TRUE(merge(text));
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_TRUE(boxes.Calls()[0].prompt.startsWith(QStringLiteral("Program lines can not be exceeded 20,000.")));
    EXPECT_LE(modMain::LineMap.size(), static_cast<size_t>(modMain::kMaxMergedLines));
    EXPECT_EQ(text, doc_.text());
}

TEST_F(CompilePipelineTest, MergeUpToTheLimitIsAllowed) {
    QByteArray big;
    for (int i = 0; i < modMain::kMaxMergedLines - 1; ++i) big += "A = 1\r\n";
    writeFile("big.bas", big);
    doc_.lines = {"'$INCLUDE \"big.bas\""};
    QString text;
    EXPECT_FALSE(merge(text));
    EXPECT_EQ(modMain::LineMap.size(), static_cast<size_t>(modMain::kMaxMergedLines));

    doc_.lines = {"'$INCLUDE \"big.bas\"", "X"};
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    EXPECT_TRUE(merge(text));
    EXPECT_EQ(boxes.Calls().size(), 1u);
}

// ---- Finding include files ------------------------------------------------------

TEST_F(CompilePipelineTest, IncludeNamesResolveWhateverTheirLetterCase) {
    writeFile("Lib/Arms.bas", "A\r\n");
    const QString file = QFileInfo(path("Lib/Arms.bas")).canonicalFilePath();
    auto resolved = [](const QString& name, const QString& folder = QString()) {
        return QFileInfo(modMain::ResolveIncludePath(name, folder)).canonicalFilePath();
    };
    EXPECT_EQ(resolved("Lib/Arms.bas"), file);
    EXPECT_EQ(resolved("LIB/ARMS.BAS"), file);
    EXPECT_EQ(resolved("LIB\\ARMS.BAS"), file);
    EXPECT_EQ(resolved(path("lib/arms.bas")), file);
    EXPECT_TRUE(modMain::ResolveIncludePath("LIB", QString()).isEmpty());  // a folder is no file
    EXPECT_TRUE(modMain::ResolveIncludePath("LIB/LEGS.BAS", QString()).isEmpty());

    // Relative to the current folder first, then to the document's folder.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    EXPECT_TRUE(modMain::ResolveIncludePath("LIB/ARMS.BAS", QString()).isEmpty());
    EXPECT_EQ(resolved("LIB/ARMS.BAS", dir_.path()), file);
}

TEST_F(CompilePipelineTest, IncludeBesideTheDocumentIsFoundFromAnotherFolder) {
    writeFile("arms.bas", "DIM B AS BYTE\r\n");
    doc_.lines = {"'$INCLUDE \"ARMS.BAS\"", "B = 2"};
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    compile();
    EXPECT_TRUE(modMain::CompiledOK);
    EXPECT_EQ(basic_->Bas_Error, 0);
}

TEST_F(CompilePipelineTest, ProgramAndIncludesInAFolderWhoseNameIsNotUtf8Compile) {
    // Both includes are named in another letter case than on disk, so the
    // folder is listed to find them.  The program is looked up beside the
    // document (the current folder elsewhere) and in the current folder
    // (a document without a folder).
    const hostile::RawNamedFolder folder(dir_.path(), "inc_\xFF");
    ASSERT_TRUE(folder.Ok());
    const hostile::RawNamedFile arms(folder.Path(), "arms.bas", "DIM B AS BYTE\r\n'$INCLUDE \"LEGS.BAS\"\r\n");
    const hostile::RawNamedFile legs(folder.Path(), "Legs.bas", "DIM C AS BYTE\r\n");
    ASSERT_TRUE(arms.Ok() && legs.Ok());
    QTemporaryDir elsewhere;
    const struct {
        const char* name;
        QString fileName;
        QByteArray currentFolder;
    } cases[] = {
        {"beside the document", platform::DecodeFileName(folder.Path() + "/main.bas"),
         QFile::encodeName(elsewhere.path())},
        {"in the current folder", QStringLiteral("Untitled"), folder.Path()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::chdir(c.currentFolder.constData()), 0);
        ScriptedMsgBox boxes;
        boxes.Answer(platform::vbOK);
        doc_ = FakeDocument{};
        doc_.fileName = c.fileName;
        doc_.lines = {"'$INCLUDE \"ARMS.BAS\"", "B = 2", "C = 3"};
        compile();
        EXPECT_TRUE(boxes.Calls().empty());
        EXPECT_FALSE(modMain::IncludeError);
        EXPECT_TRUE(modMain::CompiledOK);
        EXPECT_EQ(basic_->Bas_Error, 0);
        EXPECT_EQ(basic_->SourceText, u"\r\nDIM B AS BYTE\r\n\r\nDIM C AS BYTE\r\nB = 2\r\nC = 3\r\n");
    }
}

// ---- Compile and error mapping ---------------------------------------------------

TEST_F(CompilePipelineTest, SuccessReportsTheSizeAndWritesTheObjectFile) {
    doc_.lines = {"' only a comment"};
    modMain::Downloaded = true;
    ScriptedMsgBox boxes;
    compile();
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_TRUE(modMain::CompiledOK);
    EXPECT_FALSE(modMain::Downloaded);
    EXPECT_EQ(basic_->TotalBytes, 19);
    EXPECT_EQ(basic_->Filename, path("main.bas").toStdU16String());
    EXPECT_EQ(basic_->Con_ID, 2);
    EXPECT_EQ(basic_->SourceText, u"' only a comment\r\n");
    ASSERT_EQ(doc_.status.size(), 1u);
    EXPECT_EQ(doc_.status[0], QStringLiteral("[Total 19 Bytes] is created. - main.bas"));
    EXPECT_EQ(doc_.objectFiles, 1);
    EXPECT_EQ(doc_.waitShown, 1);
    EXPECT_EQ(doc_.waitClosed, 1);
    EXPECT_EQ(modMain::LineMap.size(), 1u);
    EXPECT_EQ(modMain::IncludeFiles.size(), 1u);
}

TEST_F(CompilePipelineTest, SizeReportInKorean) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    doc_.lines = {"' only a comment"};
    compile();
    ASSERT_EQ(doc_.status.size(), 1u);
    EXPECT_EQ(doc_.status[0], QStringLiteral("[총 19 바이트] 코드 생성 - main.bas"));
}

TEST_F(CompilePipelineTest, BlankDocumentDoesNothing) {
    doc_.lines = {"     "};
    modMain::CompiledOK = true;
    modMain::Downloaded = true;
    markCompiler();
    compile();
    EXPECT_TRUE(modMain::CompiledOK);
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_TRUE(compilerUntouched());
    EXPECT_EQ(doc_.waitShown, 1);
    EXPECT_EQ(doc_.waitClosed, 1);
    EXPECT_TRUE(doc_.status.empty());
}

TEST_F(CompilePipelineTest, ErrorInTheMainDocumentMovesTheCaretThere) {
    // The merged directive line stays as an empty line, so the main
    // document's later lines keep their numbers.
    writeFile("inc.bas", "DIM B AS BYTE\r\nB = 1\r\n");
    doc_.lines = {"DIM A AS BYTE", "'$INCLUDE \"inc.bas\"", "A = 1", "GOTO NOWHERE"};
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    compile();
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_EQ(doc_.errorLines, std::vector<int>{3});
    ASSERT_EQ(doc_.status.size(), 1u);
    EXPECT_EQ(doc_.status[0], QStringLiteral("Code Error - main.bas"));
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].title, QStringLiteral("Compile Error"));
    EXPECT_EQ(boxes.Calls()[0].style, platform::vbCritical);
    EXPECT_EQ(boxes.Calls()[0].prompt, QStringLiteral("4") + QString::fromStdU16String(basic_->Bas_Error_Msg));
    EXPECT_TRUE(boxes.Calls()[0].prompt.startsWith(QStringLiteral("4 Line\r\nError 25 : ")));
    EXPECT_EQ(doc_.objectFiles, 0);
    EXPECT_EQ(modMain::LineMap.size(), 1u);
}

TEST_F(CompilePipelineTest, ErrorInAnIncludedFileNamesTheFileAndItsLine) {
    writeFile("arms.bas", "DIM B AS BYTE\r\nB = 1\r\nGOTO NOWHERE\r\n");
    writeFile("legs.bas", "' legs\r\n'$INCLUDE \"arms.bas\"\r\n");
    doc_.lines = {"DIM A AS BYTE", "'$INCLUDE \"legs.bas\"", "A = 1"};
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    compile();
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_TRUE(doc_.errorLines.empty());
    EXPECT_TRUE(doc_.status.empty());
    ASSERT_EQ(boxes.Calls().size(), 1u);
    const QString msg = QString::fromStdU16String(basic_->Bas_Error_Msg);
    EXPECT_EQ(boxes.Calls()[0].prompt, QStringLiteral("File : ARMS.BAS\r\n3") + msg +
                                           QStringLiteral("\r\n\r\n3 : GOTO NOWHERE\r\n"));
    EXPECT_EQ(boxes.Calls()[0].title, QStringLiteral("Compile Error"));
    EXPECT_EQ(doc_.objectFiles, 0);
}

// ---- Controller directive ---------------------------------------------------------

TEST_F(CompilePipelineTest, DeviceDirectiveRunsTheModelSetUpForEachVx32Line) {
    doc_.lines = {"'$DEVICE VX32", "  '$device   vx32  ", QStringLiteral("'$컨트롤러 VX32"), "'$DEVICE VX3",
                  "DIM A AS BYTE"};
    ScriptedMsgBox boxes;
    compile();
    const int16_t vx32 = qvv2::controller::kSetUpModel;
    EXPECT_EQ(doc_.modelSetups, (std::vector<int16_t>{vx32, vx32, vx32}));
    EXPECT_TRUE(boxes.Calls().empty());
    EXPECT_TRUE(modMain::CompiledOK);
}

TEST_F(CompilePipelineTest, BadDeviceArgumentShowsItsBoxAndTheCompileGoesOn) {
    doc_.lines = {"DIM A AS BYTE", "'$DEVICE VX21", "'$DEVICE VX32"};
    ScriptedMsgBox boxes;
    boxes.Answer(platform::vbOK);
    compile();
    EXPECT_TRUE(doc_.modelSetups.empty());  // the scan stops at the error
    EXPECT_EQ(doc_.errorLines, std::vector<int>{1});
    ASSERT_EQ(boxes.Calls().size(), 1u);
    EXPECT_EQ(boxes.Calls()[0].title, QStringLiteral("구문처리 에러"));
    EXPECT_EQ(boxes.Calls()[0].prompt,
              QStringLiteral("컨트롤러 설정 구문('$DEVICE)에 오류가 있습니다.\r\n"
                             "사용법 : '$DEVICE(또는 '$컨트롤러) 컨트롤러종류(VX11 또는 VX21)"));
    EXPECT_TRUE(modMain::CompiledOK);
    EXPECT_EQ(doc_.objectFiles, 1);
}

// ---- Snippets -------------------------------------------------------------------

TEST_F(CompilePipelineTest, SnippetCompilesUnderItsOwnNameWithoutDirectives) {
    ScriptedMsgBox boxes;
    modMain::ControllerID = 3;

    QString blank = QStringLiteral("   ");
    modMain::CompiledOK = true;
    markCompiler();
    modMain::CompileSnippet(blank, *basic_);
    EXPECT_TRUE(compilerUntouched());
    EXPECT_TRUE(modMain::CompiledOK);

    // A snippet's image is no program: CompiledOK goes off while the result
    // tells whether the line compiled.
    QString good = QStringLiteral("'$INCLUDE \"nowhere.bas\"\r\nSERVO 1, 100");
    EXPECT_TRUE(modMain::CompileSnippet(good, *basic_));
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_TRUE(modMain::SnippetImage);
    EXPECT_EQ(basic_->Filename, u"LINE_CNT");
    EXPECT_EQ(basic_->Con_ID, 3);
    EXPECT_GT(basic_->TotalBytes, 19);

    QString bad = QStringLiteral("GOTO NOWHERE");
    EXPECT_FALSE(modMain::CompileSnippet(bad, *basic_));
    EXPECT_FALSE(modMain::CompiledOK);
    EXPECT_TRUE(boxes.Calls().empty());
}

TEST(SplitProgramLines, SplitsAsAnEditorShowsTheLines) {
    EXPECT_EQ(modMain::SplitProgramLines(""), QStringList{});
    EXPECT_EQ(modMain::SplitProgramLines("A"), QStringList{"A"});
    EXPECT_EQ(modMain::SplitProgramLines("A\r\n"), QStringList{"A"});
    EXPECT_EQ(modMain::SplitProgramLines("A\r\n\r\nB"), (QStringList{"A", "", "B"}));
    EXPECT_EQ(modMain::SplitProgramLines("A\nB\rC\r\n"), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(modMain::SplitProgramLines("\r\n"), QStringList{""});
}

}  // namespace
