// Program alignment: a program in each keyword language with its exact
// aligned text and labels; the rule that only leading white space changes;
// the progress values; and the pass over a real document window (one undo
// restores the text, the view and caret stay, the labels reach the Assist
// Window, the document counts as changed).
//
// With QVV2_SHOTS set to a folder, ScreenshotOfTheWaitWindow saves a picture
// of the alignment window there (run it under a display server with
// "-platform xcb" to see the real fonts).
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "DocTestHost.h"
#include "QtPrinters.h"
#include "editor/ProgramAlign.h"
#include "editor/frmAlignWait.h"
#include "editor/frmNav.h"
#include "link/frmWait.h"

namespace {

// Input line, then the expected aligned line.  The comment after each pair
// says why.
const std::vector<std::pair<QString, QString>> kEnglish = {
    {"' program", "' program"},                                        // comment at level 0
    {"START:", "START:"},                                              // label: flush left, level 0 -> 1
    {"DIM I AS BYTE", "    DIM I AS BYTE"},                            //
    {"  FOR I = 1 TO 10", "    FOR I = 1 TO 10"},                      // FOR opens
    {"if i = 3 then", "        if i = 3 then"},                        // block IF, any case, opens
    {"OUT 1, 1", "            OUT 1, 1"},                              //
    {"ELSEIF I = 4 THEN", "        ELSEIF I = 4 THEN"},                // closes, written, opens
    {"OUT 1, 2", "            OUT 1, 2"},                              //
    {"Else", "        Else"},                                          // closes, written, opens
    {"OUT 1, 0", "            OUT 1, 0"},                              //
    {"ENDIF", "        ENDIF"},                                        // closes
    {"IF I = 5 THEN GOTO START", "        IF I = 5 THEN GOTO START"},  // one-line IF: no block
    {"IF A$ = \"X\" THEN", "        IF A$ = \"X\" THEN"},              // a string makes it one-line
    {"NEXT I", "    NEXT I"},                                          // NEXT with its variable closes
    {"   ", ""},                                                       // blanks only: empty, no indent
    {"        IF A = 1 THEN ' why", "    IF A = 1 THEN ' why"},        // THEN before a comment opens
    {"PRINT \"a   b  \"  ", "        PRINT \"a   b  \""},              // string kept, trailing blanks go
    {"END IF", "        END IF"},                                      // two words close nothing
    {"EndIf ' closes", "    EndIf ' closes"},                          // ENDIF before a comment closes
    {"LOOP:   ' waiting\there", "LOOP: ' waiting\there"},              // label, one blank, its comment
    {"GOTO LOOP", "    GOTO LOOP"},                                    // a label never lowers the level
    {"NEXT", "NEXT"},                                                  // closes to 0
    {"next", "next"},                                                  // at 0 stays flush left
    {"else", "else"},                                                  // at 0: flush left, then level 1
    {"ELSE OUT 1,2", "    ELSE OUT 1,2"},                              // ELSE with more words: ordinary
    {"\t  TAB LINE", "      TAB LINE"},                                // blanks after a TAB stay
    {"\t\t' tabbed comment", "    ' tabbed comment"},                  // comment at the current level
    {"LOOP: GOTO LOOP", "    LOOP: GOTO LOOP"},                        // label with a statement: ordinary
    {"LOOP:", "LOOP:"},                                                // the same label again: listed too
    {"ENDIF", "ENDIF"},                                                //
    {"FOR", "FOR"},                                                    // FOR alone opens nothing
    {"  ,, ", ",,"},                                                   // no words: flush left, trimmed
    {"", ""},                                                          // last line empty
};

const std::vector<std::pair<QString, QString>> kKorean = {
    {"시작:", "시작:"},                                                  // label: level 0 -> 1
    {"반복 I = 1 TO 3", "    반복 I = 1 TO 3"},                          // opens
    {"만약 I = 2 이면", "        만약 I = 2 이면"},                      // block IF opens
    {"출력 1", "            출력 1"},                                    //
    {"그렇지않고만약 I = 3 이면", "        그렇지않고만약 I = 3 이면"},  // closes, written, opens
    {"출력 2", "            출력 2"},                                    //
    {"  아니면", "        아니면"},                                      // closes, written, opens
    {"출력 3", "            출력 3"},                                    //
    {"만약끝", "        만약끝"},                                        // closes
    {"만약 I = 1 이면 출력 4", "        만약 I = 1 이면 출력 4"},        // one-line IF
    {"다음 I", "    다음 I"},                                            // closes
    {"반복 J = 1 TO 2", "    반복 J = 1 TO 2"},                          // opens
    {"다음", "    다음"},                                                // closes alone
    {"만약끝", "만약끝"},                                                // closes to 0
    {"다음", "다음"},                                                    // stays at 0
};

QStringList Inputs(const std::vector<std::pair<QString, QString>>& table) {
    QStringList lines;
    for (const auto& row : table) lines << row.first;
    return lines;
}

QStringList Outputs(const std::vector<std::pair<QString, QString>>& table) {
    QStringList lines;
    for (const auto& row : table) lines << row.second;
    return lines;
}

TEST(ProgramAlignTest, EveryBlockKindInBothLanguages) {
    struct Case {
        const char* name;
        const std::vector<std::pair<QString, QString>>* table;
        std::vector<ProgramAlign::Label> labels;
    };
    const Case cases[] = {
        {"English", &kEnglish, {{"START", 2}, {"LOOP", 20}, {"LOOP", 29}}},
        {"Korean", &kKorean, {{"시작", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProgramAlign::Result result = ProgramAlign::Align(Inputs(*c.table));
        const QStringList expected = Outputs(*c.table);
        ASSERT_EQ(result.Lines.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            EXPECT_EQ(result.Lines.at(i), expected.at(i)) << "line " << i + 1;
        EXPECT_EQ(result.Labels, c.labels);
    }
}

TEST(ProgramAlignTest, OnlySurroundingWhiteSpaceChanges) {
    // Every line that is not a label line, once the blanks at both ends and
    // then its leading TABs (and the new indentation) are gone, is the same
    // text; a line of white space only becomes empty.
    const auto strip = [](const QString& s) {
        qsizetype b = 0, e = s.size();
        while (b < e && s.at(b) == u' ') ++b;
        while (e > b && s.at(e - 1) == u' ') --e;
        while (b < e && s.at(b) == u'\t') ++b;
        return s.mid(b, e - b);
    };
    QStringList input = Inputs(kEnglish) + Inputs(kKorean);
    input << "  PRINT \"  '  \"   ' x  "
          << "\t\"unclosed   "
          << "A:\t' c"
          << "FOR I=1 TO 2 '''"
          << "OUT 1\t  "
          << "\t \t X \t ";
    const ProgramAlign::Result result = ProgramAlign::Align(input);
    ASSERT_EQ(result.Lines.size(), input.size());
    for (qsizetype i = 0; i < input.size(); ++i) {
        SCOPED_TRACE(input.at(i).toStdString());
        const QString in = strip(input.at(i));
        const QString out = result.Lines.at(i);
        if (in.trimmed().isEmpty()) {
            EXPECT_TRUE(out.isEmpty());
            continue;
        }
        if (std::any_of(result.Labels.begin(), result.Labels.end(),
                        [&](const ProgramAlign::Label& l) { return l.Line == i + 1; }))
            continue;  // label lines are rebuilt (see LabelLinesAndTrailingBlanks)
        // Whatever stands in front of the kept text is new indentation.
        ASSERT_TRUE(out.endsWith(in)) << out.toStdString();
        const QString indent = out.left(out.size() - in.size());
        EXPECT_EQ(indent, QString(indent.size(), u' '));
        EXPECT_EQ(indent.size() % 4, 0);
    }
}

TEST(ProgramAlignTest, LabelLinesAndTrailingBlanks) {
    // Each case is a program of its own, aligned from level 0; the comment
    // says why the expected text is what it is.
    const struct {
        QStringList in;
        QStringList out;
    } cases[] = {
        // A label line is the label and, with a comment, one blank and it.
        {{"LOOP1:   ' label comment"}, {"LOOP1: ' label comment"}},
        {{"LOOP1:'c"}, {"LOOP1: 'c"}},
        {{"LOOP1:\t\t' c  d  "}, {"LOOP1: ' c  d"}},
        {{"  LOOP1:     "}, {"LOOP1:"}},
        {{"\t\tLOOP1:   '"}, {"LOOP1: '"}},
        {{"시작:   ' 주석 "}, {"시작: ' 주석"}},
        // A label with a statement after it is an ordinary line.
        {{"A:", "  B:   GOTO A   "}, {"A:", "    B:   GOTO A"}},
        // Trailing blanks go; blanks inside, before a comment, stay.
        {{"  FOR I = 1 TO 3   ", "OUT 1,  1   ' on   ", "NEXT  "},
         {"FOR I = 1 TO 3", "    OUT 1,  1   ' on", "NEXT"}},
        {{"반복 I = 1 TO 3   ", "\t출력 1   ' 켜기  ", "다음 I   "}, {"반복 I = 1 TO 3", "    출력 1   ' 켜기", "다음 I"}},
        {{"만약 I = 1 이면  ", "  ' 주석   ", "만약끝   "}, {"만약 I = 1 이면", "    ' 주석", "만약끝"}},
        // Leading TABs go with the blanks before them; blanks after stay.
        {{"FOR I = 1 TO 2", "  \t\t  OUT 1  "}, {"FOR I = 1 TO 2", "      OUT 1"}},
        // A trailing TAB is no blank.
        {{"OUT 1  \t"}, {"OUT 1  \t"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.join(" | ").toStdString());
        EXPECT_EQ(ProgramAlign::Align(c.in).Lines, c.out);
    }
}

TEST(ProgramAlignTest, LineCountAndLineEndsStay) {
    // Every line but the last is followed by CR LF, so a program ending in
    // a line end still ends in one.
    const QStringList lines = {"FOR I = 1 TO 2", "NEXT", ""};
    EXPECT_EQ(ProgramAlign::Join(ProgramAlign::Align(lines).Lines), QStringLiteral("FOR I = 1 TO 2\r\nNEXT\r\n"));
    EXPECT_EQ(ProgramAlign::Join(ProgramAlign::Align({"x"}).Lines), QStringLiteral("x"));
}

TEST(ProgramAlignTest, DeepNestingIsIndentedAtEveryLevel) {
    // Loops and block IFs nested `depth` deep, a line in the middle, then
    // the closing lines: each line four blanks deeper than the one before it
    // on the way in, and back out the same way.
    for (const int depth : {70, 200}) {
        SCOPED_TRACE(depth);
        QStringList lines;
        QStringList expected;
        for (int d = 0; d < depth; ++d) {
            const QString open = d % 2 ? QStringLiteral("IF A = %1 THEN").arg(d) : QStringLiteral("FOR I = 1 TO %1").arg(d);
            lines << open;
            expected << QString(d * 4, u' ') + open;
        }
        lines << QStringLiteral("  OUT 1, 1");
        expected << QString(depth * 4, u' ') + QStringLiteral("OUT 1, 1");
        for (int d = depth - 1; d >= 0; --d) {
            const QString close = d % 2 ? QStringLiteral("ENDIF") : QStringLiteral("NEXT I");
            lines << close;
            expected << QString(d * 4, u' ') + close;
        }
        const QStringList out = ProgramAlign::Align(lines).Lines;
        ASSERT_EQ(out.size(), expected.size());
        for (qsizetype i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], expected[i]) << "line " << i + 1;
    }
}

TEST(ProgramAlignTest, AbsurdNestingStaysWithinTheIndentationBudget) {
    // 100,000 nested loops would need 20 billion blanks: the lines deeper
    // than the deepest level that fits are written at that level, and every
    // shallower line is exact.  (How long the pass takes is align_bench's
    // "absurd" program.)
    const int depth = 100000;
    QStringList lines;
    for (int d = 0; d < depth; ++d) lines << QStringLiteral("FOR I = 1 TO 2");
    for (int d = 0; d < depth; ++d) lines << QStringLiteral("NEXT");
    const QStringList out = ProgramAlign::Align(lines).Lines;
    ASSERT_EQ(out.size(), 2 * depth);
    int64_t blanks = 0;
    for (const QString& line : out) blanks += line.size() - line.trimmed().size();
    EXPECT_LE(blanks, ProgramAlign::kIndentBudget);
    // The cap is the deepest level that fits: one more for every line
    // deeper than it would not.
    const int cap = static_cast<int>(out[depth - 1].size() - out[depth - 1].trimmed().size()) / 4;
    EXPECT_GE(cap, 1);
    EXPECT_GT(blanks + 4 * 2 * int64_t(depth - 1 - cap), ProgramAlign::kIndentBudget);
    for (const int d : {0, 1, 64, 65, cap - 1, cap, cap + 1, depth - 1}) {
        SCOPED_TRACE(d);
        EXPECT_EQ(out[d], QString(std::min(d, cap) * 4, u' ') + "FOR I = 1 TO 2");
        EXPECT_EQ(out[2 * depth - 1 - d], QString(std::min(d, cap) * 4, u' ') + "NEXT");
    }
}

TEST(ProgramAlignTest, IndentCapIsTheDeepestLevelThatFits) {
    struct Case {
        std::vector<int32_t> levels;
        int64_t budget;
        int32_t cap;
    };
    const Case cases[] = {
        {{1, 2, 3}, 24, -1},       // 4 + 8 + 12 blanks fit exactly
        {{1, 2, 3}, 23, 2},        // at cap 2: 4 + 8 + 8 = 20
        {{1, 2, 3}, 19, 1},        // at cap 1: 12
        {{1, 2, 3}, 11, 0},        // not even one level for each
        {{5, 5, 1}, 36, 4},        // 16 + 16 + 4
        {{5, 5, 1}, 35, 3},        // 12 + 12 + 4
        {{}, 0, -1},               // nothing indented
        {{1}, -5, 0},              // no budget at all
    };
    for (const Case& c : cases) EXPECT_EQ(ProgramAlign::IndentCap(c.levels, c.budget), c.cap) << c.budget;
}

TEST(ProgramAlignTest, ProgressRoundsHalvesToEven) {
    const struct {
        int line, count, percent;
    } cases[] = {{1, 3, 33}, {2, 3, 67}, {1, 8, 12}, {3, 8, 38}, {1, 200, 0}, {3, 200, 2}, {7, 7, 100}, {1, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ProgramAlign::ProgressPercent(c.line, c.count), c.percent) << c.line << "/" << c.count;
}

// ---- The pass over a document window ------------------------------------------

class AlignWindowTest : public DocWindowTest {
protected:
    void SetUp() override {
        DocWindowTest::SetUp();
        saved_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        nav_ = std::make_unique<frmNav>();
    }
    void TearDown() override {
        nav_.reset();
        QDir::setCurrent(saved_);
        DocWindowTest::TearDown();
    }

    std::unique_ptr<frmNav> nav_;
    QString saved_;
};

TEST_F(AlignWindowTest, OneUndoableEditKeepingViewCaretAndListingLabels) {
    // A long program, so that the view can scroll: the fixture's English
    // lines, then many plain lines.
    QStringList lines = Inputs(kEnglish);
    lines.removeLast();
    for (int i = 0; i < 200; ++i) lines << QStringLiteral("  OUT %1, 1").arg(i);
    const QString original = lines.join("\r\n");
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText(original);
    doc->rt->EmptyUndoHistory();
    doc->Modified = false;
    host_->tabs->SetTabImage(host_->tabs->IndexOfKey("key1"), 1);
    doc->rt->SelectRange(60, 3, 62, 1);
    doc->rt->SetFirstVisibleLine(50);
    nav_->Label1->addTopLevelItem(new QTreeWidgetItem(QStringList{"OLD", "1"}));

    frmAlignWait::ShowModal(host_);

    QStringList expected = Outputs(kEnglish);
    expected.removeLast();
    for (int i = 0; i < 200; ++i) expected << QStringLiteral("OUT %1, 1").arg(i);  // level 0 after ENDIF/FOR
    EXPECT_EQ(doc->rt->WholeText(), expected.join("\r\n"));
    EXPECT_EQ(doc->rt->FirstVisibleLine(), 50);
    const platform::EditorRange sel = doc->rt->Selection(true);
    EXPECT_EQ(sel.StartLineNo, 60);
    EXPECT_EQ(sel.StartColNo, 3);
    EXPECT_TRUE(doc->Modified);
    EXPECT_TRUE(doc->rt->Changed());
    EXPECT_EQ(host_->tabs->TabImage(host_->tabs->IndexOfKey("key1")), 2);
    EXPECT_EQ(frmWait::Loaded(), nullptr);

    // The label list holds this pass's labels only, and its page is shown.
    ASSERT_EQ(nav_->Label1->topLevelItemCount(), 3);
    const QStringList want[] = {{"START", "2"}, {"LOOP", "20"}, {"LOOP", "29"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nav_->Label1->topLevelItem(i)->text(0), want[i][0]);
        EXPECT_EQ(nav_->Label1->topLevelItem(i)->text(1), want[i][1]);
    }
    EXPECT_EQ(nav_->Tbs->currentIndex(), 1);
    EXPECT_FALSE(nav_->Label1->isHidden());
    EXPECT_FALSE(nav_->Picture1->isHidden());

    // One undo gives back the old text exactly, and nothing is left to undo.
    doc->rt->Undo();
    EXPECT_EQ(doc->rt->WholeText(), original);
    EXPECT_FALSE(doc->rt->CanUndo());
}

TEST_F(AlignWindowTest, DeepProgramIsOneUndoStepAndKeepsItsBookmarks) {
    // Loops nested 300 deep around labels and Korean lines, each line
    // written with blanks of its own: aligned, the text is tens of times
    // longer than the program.
    QStringList lines;
    for (int d = 0; d < 300; ++d) lines << QStringLiteral("  FOR I%1 = 1 TO 2").arg(d);
    lines << QStringLiteral("L1:   ' 표시") << QStringLiteral("\t출력 1  ") << QStringLiteral("   ");
    for (int d = 0; d < 300; ++d) lines << QStringLiteral("NEXT I%1").arg(299 - d);
    const QString original = lines.join("\r\n");
    const QString aligned = ProgramAlign::Join(ProgramAlign::Align(lines).Lines);
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    platform::CodeEditor* rt = doc->rt;
    rt->SetWholeText(original);
    rt->EmptyUndoHistory();
    const int bookmarks[] = {0, 150, 301, 599};
    for (const int line : bookmarks) {
        rt->PutCaret(line, 0);
        rt->RunCommand(platform::cmdToggleBookmark);
    }

    frmAlignWait::ShowModal(host_);
    ASSERT_EQ(rt->WholeText(), aligned);
    for (int line = 0; line < rt->LineCount(); ++line)
        ASSERT_EQ(rt->LineHasBookmark(line), std::count(std::begin(bookmarks), std::end(bookmarks), line) == 1)
            << "line " << line;

    // One undo (what the main window's Ctrl+Z runs) gives back the program
    // exactly, with nothing left to undo; one redo aligns it again.
    rt->Undo();
    EXPECT_EQ(rt->WholeText(), original);
    EXPECT_FALSE(rt->CanUndo());
    rt->Redo();
    EXPECT_EQ(rt->WholeText(), aligned);
}

TEST_F(AlignWindowTest, AlignedProgramCountsAsChangedEvenWhenNothingMoved) {
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText(QStringLiteral("FOR I = 1 TO 2\r\n    OUT 1, 1\r\nNEXT"));
    doc->Modified = false;
    doc->rt->SetChanged(false);
    frmAlignWait::ShowModal(host_);
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("FOR I = 1 TO 2\r\n    OUT 1, 1\r\nNEXT"));
    EXPECT_TRUE(doc->Modified);
    EXPECT_TRUE(doc->rt->Changed());
}

TEST_F(AlignWindowTest, KoreanProgramEndingInKoreanIsReplacedWhole) {
    // The last line's length counts characters, not bytes: the replaced
    // range must reach the end of a line of Korean text.
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText(Inputs(kKorean).join("\r\n"));
    frmAlignWait::ShowModal(host_);
    EXPECT_EQ(doc->rt->WholeText(), Outputs(kKorean).join("\r\n"));
    ASSERT_EQ(nav_->Label1->topLevelItemCount(), 1);
    EXPECT_EQ(nav_->Label1->topLevelItem(0)->text(0), QStringLiteral("시작"));
}

TEST_F(AlignWindowTest, WithoutActiveDocumentNothingHappens) {
    modApp::ActiveDoc = 0;
    frmAlignWait::ShowModal(host_);  // returns at once: no window, no pass
    EXPECT_EQ(frmWait::Loaded(), nullptr);
}

TEST_F(AlignWindowTest, DoubleClickOnLabelMovesCaretOnlyToExistingLines) {
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(1);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText(QStringLiteral("A:\r\nX\r\nB:\r\nY"));
    doc->rt->PutCaret(1, 1);
    const struct {
        QString line;
        int expectedLine;  // caret line after the double click
    } cases[] = {{"3", 2}, {"0", 2}, {"5", 2}, {"x", 2}, {"4", 3}, {"1", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        nav_->Label1->clear();
        auto* item = new QTreeWidgetItem(nav_->Label1, {"L", c.line});
        nav_->Label1->setCurrentItem(item);
        nav_->Label1_DblClick();
        const platform::EditorRange sel = doc->rt->Selection(true);
        EXPECT_EQ(sel.StartLineNo, c.expectedLine);
        EXPECT_EQ(sel.StartColNo, 0);
    }
    EXPECT_EQ(doc->CurRange.EndLineNo, 0);
    EXPECT_EQ(doc->rt->HighlightedLine(), 0);
}

TEST_F(AlignWindowTest, ScreenshotOfTheWaitWindow) {
    const QString folder = qEnvironmentVariable("QVV2_SHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "QVV2_SHOTS names no folder";
    ASSERT_TRUE(QDir().mkpath(folder));
    frmAlignWait w(host_);
    w.pb->setValue(60);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The layout the showing asked for, before the label is measured.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // The text fits: the label is as wide as its text needs.
    EXPECT_GE(w.Label1->width(), w.Label1->sizeHint().width());
    EXPECT_TRUE(w.grab().save(QDir(folder).filePath(QStringLiteral("frmalignwait.png"))));
}

}  // namespace
