// Program alignment benchmark: aligns a 20,000-line program in a real
// document window (the "Align Program" command as the user runs it) and
// times the pass together with the editor's update (the repaint of the
// shown text), over repeated runs; between runs one undo restores the
// unaligned text.
//
//   align_bench [runs] [lines] [nested]
//
// With "nested" the program is one block nested as deep as it can be: half
// the lines open a loop, the other half close them (the indentation then
// grows with the square of the depth, up to the pass's budget).
//
// Without a display it uses the offscreen platform.  Target: under 0.5 s.
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMdiArea>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchProgram.h"
#include "documents/ColouringLanguage.h"
#include "documents/Documents.h"
#include "editor/DocTabStrip.h"
#include "editor/DocumentFiles.h"
#include "editor/frmAlignWait.h"
#include "editor/frmDoc.h"
#include "editor/frmNav.h"

namespace {

class Host : public QMainWindow, public DocumentHost {
public:
    Host() {
        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        area = new QMdiArea(central);
        tabs = new DocTabStrip(central);
        layout->addWidget(area, 1);
        layout->addWidget(tabs);
        setCentralWidget(central);
        resize(1000, 700);
    }
    QMdiArea* DocumentArea() override { return area; }
    DocTabStrip* DocumentTabs() override { return tabs; }
    QMdiArea* area;
    DocTabStrip* tabs;
};

// A program of `lines` lines, unindented, with every kind of block: nested
// loops, block IFs with ELSEIF and ELSE, labels (one line in five) and
// comments.
QString Program(int lines) {
    static const char* const kBlock[] = {
        "LOOP%1:",
        "FOR I = 1 TO 10",
        "FOR J = 1 TO 5",
        "IF I = J THEN",
        "OUT 1, I ' equal",
        "ELSEIF I > J THEN",
        "PRINT \"greater  \"",
        "ELSE",
        "OUT 2, J",
        "ENDIF",
        "SKIP%1:",
        "NEXT J",
        "' inner done",
        "NEXT I",
        "DONE%1:  ' labels are many",
        "반복 K = 1 TO 2",
        "만약 K = 1 이면",
        "시작%1:",
        "만약끝",
        "다음 K",
    };
    return RepeatBlock(kBlock, lines);
}

// `lines` lines: loops opened one inside the other, then closed.
QString NestedProgram(int lines) {
    QStringList out;
    out.reserve(lines);
    for (int i = 0; i < lines; ++i) out << (i < lines / 2 ? QStringLiteral("FOR I = 1 TO 2") : QStringLiteral("NEXT I"));
    return out.join(QStringLiteral("\r\n"));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int lines = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;
    const bool nested = argc > 3 && qstrcmp(argv[3], "nested") == 0;

    modApp::DefineEditorLanguage();
    Host host;
    frmDoc::SetHost(&host);
    frmNav nav;
    host.show();
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(1);
    if (!doc) {
        std::fprintf(stderr, "no document\n");
        return 1;
    }
    doc->rt->SetWholeText(nested ? NestedProgram(lines) : Program(lines));
    doc->rt->EmptyUndoHistory();
    QApplication::processEvents();
    const QString original = doc->rt->WholeText();

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        frmAlignWait::ShowModal(&host);
        doc->rt->repaint();
        QApplication::processEvents();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (doc->rt->WholeText() == original) {
            std::fprintf(stderr, "the text did not change\n");
            return 1;
        }
        doc->rt->Undo();
        if (doc->rt->WholeText() != original) {
            std::fprintf(stderr, "one undo did not restore the text\n");
            return 1;
        }
        QApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "align %d%s lines: median %.1f ms, best %.1f ms, worst %.1f ms over %d runs (%d labels); target < 500 ms: %s\n",
        lines, nested ? " nested" : "", median, times.front(), times.back(), runs, nav.Label1->topLevelItemCount(),
        median < 500.0 ? "met" : "MISSED");
    doc->Modified = false;
    frmDoc::SetHost(nullptr);
    return median < 500.0 ? 0 : 2;
}
