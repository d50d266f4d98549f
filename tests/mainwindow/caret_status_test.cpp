// The status bar's caret panel always describes the active document: after
// every way another document becomes active (opening one, a new one, a tab
// click, the window menu, closing the active one), without the caret moving;
// with no document left it shows the serial port again.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <functional>

#include "MainWindowFixture.h"
#include "documents/Documents.h"
#include "editor/DocTabStrip.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"

namespace {

class CaretStatusTest : public MainWindowTest {
protected:
    void TearDown() override {
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        MainWindowTest::TearDown();
    }

    // Triggers the window menu's item for the document captioned `caption`.
    static void PickFromWindowMenu(frmMain& w, const QString& caption) {
        emit w.mnuWindow->aboutToShow();
        const QList<QAction*> items = w.mnuWindow->actions();
        for (qsizetype i = items.indexOf(w.wnlist) + 1; i < items.size(); ++i)
            if (items[i]->text().endsWith(caption)) return items[i]->trigger();
        ADD_FAILURE() << "no window menu item for " << caption.toStdString();
    }
};

TEST_F(CaretStatusTest, EveryChangeOfTheActiveDocumentShowsItsCaret) {
    frmMain& w = Start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.close_Click();  // the start-up's untitled document
    ASSERT_EQ(modApp::Docs(modApp::ActiveDoc), nullptr);
    const QString a = HomeFile("a.bas");
    const QString b = HomeFile("b.bas");
    WriteAll(a, "A1\r\nA2\r\nA3 LINE\r\n");
    WriteAll(b, "B1\r\nB2\r\nB3\r\nB4\r\nB5\r\nB6\r\nB7");

    // Each document's caret, as the panel must show it.
    const QString atA = "3Ln, 4Col (Total 4Lines)";
    const QString atNew = "1Ln, 0Col (Total 1Lines)";
    const QString atB = "1Ln, 0Col (Total 7Lines)";
    frmDoc* docA = nullptr;
    frmDoc* docNew = nullptr;
    frmDoc* docB = nullptr;
    const auto active = [] { return modApp::Docs(modApp::ActiveDoc); };
    const struct {
        const char* step;
        std::function<void()> act;
        std::function<bool(frmDoc*)> isExpected;  // the document that must then be active
        std::function<QString(frmDoc*)> status;   // what the panel must then show
    } steps[] = {
        {"open a file",
         [&] {
             Dialogs().Choose(a);
             w.open_Click();
             docA = active();
             // The caret moves here, so that the documents activated later
             // start from a status that is not theirs.
             if (docA) docA->rt->PutCaret(2, 4);
         },
         [&](frmDoc* d) { return d == docA; }, [&](frmDoc*) { return atA; }},
        {"new document",
         [&] {
             w.new_Click();
             docNew = active();
         },
         [&](frmDoc* d) { return d && d == docNew && d != docA; }, [&](frmDoc*) { return atNew; }},
        {"tab click",
         [&] {
             const int index = w.TB->IndexOfKey(QStringLiteral("key") + docA->Tag);
             QTest::mouseClick(w.TB, Qt::LeftButton, Qt::NoModifier, w.TB->tabRect(index).center());
         },
         [&](frmDoc* d) { return d == docA; }, [&](frmDoc*) { return atA; }},
        {"window menu", [&] { PickFromWindowMenu(w, docNew->Caption()); }, [&](frmDoc* d) { return d == docNew; },
         [&](frmDoc*) { return atNew; }},
        {"open a second file",
         [&] {
             Dialogs().Choose(b);
             w.open_Click();
             docB = active();
         },
         [&](frmDoc* d) { return d && d == docB && d != docA && d != docNew; }, [&](frmDoc*) { return atB; }},
        {"open the first file again",
         [&] {
             Dialogs().Choose(a);
             w.open_Click();
         },
         [&](frmDoc* d) { return d == docA; }, [&](frmDoc*) { return atA; }},
        {"window menu back", [&] { PickFromWindowMenu(w, docB->Caption()); }, [&](frmDoc* d) { return d == docB; },
         [&](frmDoc*) { return atB; }},
        // Which of the two that are left comes forward is the window
        // area's choice; the panel shows that one's caret.
        {"close the active one", [&] { w.close_Click(); }, [&](frmDoc* d) { return d == docA || d == docNew; },
         [&](frmDoc* d) { return d == docA ? atA : atNew; }},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        // Whatever the panel showed before is not what it must show now.
        w.Panel(2)->setText(QStringLiteral("stale"));
        s.act();
        QApplication::processEvents();
        frmDoc* now = active();
        ASSERT_TRUE(s.isExpected(now));
        EXPECT_EQ(w.Panel(2)->text().toStdString(), s.status(now).toStdString());
    }
}

}  // namespace

namespace {

// Once the last document window has closed, the caret panel no longer shows
// a caret: it shows the serial port, as it does at start-up.  Closing one of
// two documents still shows the other one's caret.
TEST_F(CaretStatusTest, ClosingTheLastDocumentShowsThePortAgain) {
    frmMain& w = Start();
    w.Comm.setCommPort(3);
    const struct {
        const char* how;
        std::function<void()> close;
        bool oneAtATime;
    } ways[] = {
        {"close", [&] { w.close_Click(); }, true},
        {"close all", [&] { w.closeall_Click(); }, false},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        while (w.TB->count() < 2) w.new_Click();
        frmDoc* active = modApp::Docs(modApp::ActiveDoc);
        ASSERT_NE(active, nullptr);
        active->rt->SetWholeText(QStringLiteral("A = 1\r\nB = 2\r\n"));
        active->Modified = false;
        active->rt->PutCaret(1, 3);
        QApplication::processEvents();
        ASSERT_EQ(w.Panel(2)->text().toStdString(), "2Ln, 3Col (Total 3Lines)");
        if (way.oneAtATime) {
            way.close();
            QApplication::processEvents();
            ASSERT_NE(modApp::Docs(modApp::ActiveDoc), nullptr);
            EXPECT_EQ(w.Panel(2)->text().toStdString(), "1Ln, 0Col (Total 1Lines)");
        }
        way.close();
        QApplication::processEvents();
        ASSERT_EQ(w.TB->count(), 0);
        EXPECT_EQ(w.Panel(2)->text().toStdString(), "COM 3");
    }
}

}  // namespace
