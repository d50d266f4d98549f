// The File, View and Window menus and the tab strip's pop-up menu over real
// document windows: save all, close all with a cancelled question, printing
// to a PDF file and without a printer, tiling, the window list, the tab
// strip's mouse handling and the state the main window keeps while it waits
// for the user.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>

#include <functional>

#include "MainWindowFixture.h"
#include "documents/Documents.h"
#include "documents/RecentFiles.h"
#include "editor/DocTabStrip.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "mainwindow/frmMainServices.h"
#include "platform/CodeEditor.h"

namespace {

class MenusTest : public MainWindowTest {
protected:
    void TearDown() override {
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        MainWindowTest::TearDown();
    }

    // Open document windows, in number order.
    static QList<frmDoc*> OpenDocs() {
        QList<frmDoc*> docs;
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) docs << doc;
        return docs;
    }

    // Three documents bound to files a.bas, b.bas, c.bas in the program's
    // folder, each with a change that is not saved yet.
    QList<frmDoc*> ThreeModifiedDocuments() {
        for (const char* name : {"a.bas", "b.bas", "c.bas"}) {
            const QString path = HomeFile(QString::fromLatin1(name));
            WriteAll(path, "OLD\r\n");
            EXPECT_TRUE(modApp::OpenDocument(path));
            modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText(QStringLiteral("NEW ") + name + "\r\n");
        }
        QList<frmDoc*> docs;
        for (frmDoc* doc : OpenDocs())
            if (doc->HasFile) docs << doc;
        for (frmDoc* doc : docs) EXPECT_TRUE(doc->Modified);
        return docs;
    }
};

// Records, for every message box, whether the main window could repaint
// while the question was up, then lets the scripted answers reply.
class RedrawWatch {
public:
    explicit RedrawWatch(QWidget* window) {
        previous_ = platform::SetMsgBoxResponder([this, window](const platform::MsgBoxCall& call) {
            updates.push_back(window->updatesEnabled());
            return previous_(call);
        });
    }
    ~RedrawWatch() { platform::SetMsgBoxResponder(previous_); }
    std::vector<bool> updates;

private:
    platform::MsgBoxResponder previous_;
};

TEST_F(MenusTest, SaveAllSavesChangedOpenDocumentsAndKeepsTheActiveOne) {
    frmMain& w = Start();
    const QList<frmDoc*> docs = ThreeModifiedDocuments();
    ASSERT_EQ(docs.size(), 3);
    // The second one goes without saving: its number stays free.
    Boxes().Answer(platform::vbNo);
    ASSERT_TRUE(docs[1]->Unload());
    const int windows = w.mdi->subWindowList().size();
    // The first one is current; the third one has nothing to save.
    docs[2]->Modified = false;
    frmMainServices::ActivateDocument(docs[0]->Tag.toInt());
    ASSERT_EQ(modApp::ActiveDoc, docs[0]->Tag.toInt());

    w.saveall->trigger();
    EXPECT_EQ(ReadAll(HomeFile("a.bas")), "NEW a.bas\r\n");
    EXPECT_EQ(ReadAll(HomeFile("b.bas")), "OLD\r\n");
    EXPECT_EQ(ReadAll(HomeFile("c.bas")), "OLD\r\n");
    EXPECT_FALSE(docs[0]->Modified);
    EXPECT_EQ(modApp::ActiveDoc, docs[0]->Tag.toInt());
    // No window came back for the freed number.
    EXPECT_EQ(w.mdi->subWindowList().size(), windows);
    EXPECT_TRUE(Dialogs().Calls().empty());
}

TEST_F(MenusTest, CloseAllStopsAtACancelAndLeavesTheRestWorking) {
    frmMain& w = Start();
    w.close_Click();  // the start-up's untitled document
    const QList<frmDoc*> docs = ThreeModifiedDocuments();
    ASSERT_EQ(docs.size(), 3);
    RedrawWatch watch(&w);
    Boxes().Answer(platform::vbNo).Answer(platform::vbCancel);

    w.closeall->trigger();
    ASSERT_EQ(Boxes().Calls().size(), 2u);
    EXPECT_TRUE(Boxes().Calls()[1].prompt.contains("b.bas"));
    // The first went, the second refused, the third was never asked.
    const QList<frmDoc*> open = OpenDocs();
    ASSERT_EQ(open.size(), 2);
    EXPECT_EQ(open[0], docs[1]);
    EXPECT_EQ(open[1], docs[2]);
    EXPECT_EQ(w.mdi->subWindowList().size(), 2);  // no phantom window
    EXPECT_EQ(ReadAll(HomeFile("a.bas")), "OLD\r\n");
    // Nothing held the frame's redrawing while the questions were up, and
    // nothing holds it now.
    EXPECT_EQ(watch.updates, (std::vector<bool>{true, true}));
    EXPECT_TRUE(w.updatesEnabled());
    // The document commands work on the documents that are left.
    EXPECT_EQ(modApp::ActiveDoc, docs[1]->Tag.toInt());
    for (QAction* a : {w.close_, w.save, w.saveall, w.closeall, w.find, w.tilehor})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    for (const char* key : {"close", "save", "print"}) EXPECT_TRUE(frmMain::Button(w.tBar, key)->isEnabled()) << key;
    EXPECT_TRUE(frmMain::Button(w.tbar2, "find")->isEnabled());

    // A second round closes the rest and switches the commands off.
    Boxes().Answer(platform::vbNo).Answer(platform::vbNo);
    w.closeall->trigger();
    EXPECT_TRUE(OpenDocs().isEmpty());
    EXPECT_TRUE(w.mdi->subWindowList().isEmpty());
    EXPECT_FALSE(w.close_->isEnabled());
    EXPECT_FALSE(frmMain::Button(w.tBar, "close")->isEnabled());
}

TEST_F(MenusTest, ExitAsksWithoutARedrawLock) {
    frmMain& w = Start();
    modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText("A = 1\r\n");
    RedrawWatch watch(&w);
    Boxes().Answer(platform::vbCancel);
    EXPECT_FALSE(w.close());  // cancelled: the program stays
    EXPECT_EQ(watch.updates, std::vector<bool>{true});
    EXPECT_TRUE(w.updatesEnabled());
    EXPECT_TRUE(w.close_->isEnabled());
}

// Printing a text longer than a page: the PDF file holds its pages.
TEST_F(MenusTest, PrintWritesEveryPage) {
    const QString pdf = HomeFile("out.pdf");
    frmMain::PrinterHook previous = frmMain::SetPrinterHook([&pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
    });
    frmMain& w = Start();
    platform::CodeEditor* rt = modApp::Docs(modApp::ActiveDoc)->rt;
    QFont font = rt->EditorFont();
    font.setPointSize(10);
    ASSERT_TRUE(rt->SetEditorFont(font));
    auto pages = [&pdf] {
        const QByteArray bytes = ReadAll(pdf);
        return static_cast<int>(QString::fromLatin1(bytes).count(QRegularExpression("/Type\\s*/Page(?![s\\w])")));
    };
    struct Case {
        int lines;
        int pages;
    };
    // A 10-point line is about 12 points high; an A4 page holds some 60 of
    // them.
    for (const Case& c : {Case{3, 1}, Case{90, 2}}) {
        SCOPED_TRACE(c.lines);
        QString text;
        for (int i = 1; i <= c.lines; ++i) text += QStringLiteral("PRINT \"line %1\"\r\n").arg(i);
        rt->SetWholeText(text);
        QFile::remove(pdf);
        w.prints->trigger();
        ASSERT_TRUE(QFile::exists(pdf));
        EXPECT_EQ(pages(), c.pages);
    }
    // Without a document nothing prints.
    Boxes().Answer(platform::vbNo);
    w.close_Click();
    ASSERT_TRUE(OpenDocs().isEmpty());
    QFile::remove(pdf);
    w.prints->trigger();
    EXPECT_FALSE(QFile::exists(pdf));
    frmMain::SetPrinterHook(previous);
}

// Without a printer to print on (no printer installed: the printer is a PDF
// writer with no file), Ctrl+P and the menu item say so in a box, in the
// interface language, and print nothing; with a printer no box comes.
TEST_F(MenusTest, PrintWithoutAPrinterSaysSo) {
    const QString pdf = HomeFile("out.pdf");
    bool printerInstalled = false;
    frmMain::PrinterHook previous = frmMain::SetPrinterHook([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printerInstalled ? pdf : QString());
    });
    const struct {
        QLocale locale;
        const char* text;
    } languages[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "No printer is available."},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "사용할 수 있는 프린터가 없습니다."},
        {QLocale(QLocale::Japanese, QLocale::Japan), "使用できるプリンターがありません。"},
        {QLocale(QLocale::Chinese, QLocale::China), "没有可用的打印机。"},
    };
    frmMain& w = Start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText(QStringLiteral("PRINT \"A\"\r\n"));
    doc->rt->setFocus();
    QApplication::processEvents();
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    for (const auto& l : languages) {
        SCOPED_TRACE(l.text);
        QLocale::setDefault(l.locale);
        const size_t before = Boxes().Calls().size();
        Boxes().Answer(platform::vbOK);
        // Ctrl+P in the editor, as the user presses it.
        QTest::keyClick(editor, Qt::Key_P, Qt::ControlModifier);
        ASSERT_EQ(Boxes().Calls().size(), before + 1);
        const platform::MsgBoxCall& box = Boxes().Calls().back();
        EXPECT_EQ(box.prompt.toStdString(), l.text);
        EXPECT_EQ(box.style, platform::vbOKOnly | platform::vbExclamation);
        EXPECT_EQ(box.title, QApplication::applicationDisplayName());
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The menu item says the same.
    Boxes().Answer(platform::vbOK);
    w.prints->trigger();
    ASSERT_EQ(Boxes().Calls().size(), std::size(languages) + 1);
    EXPECT_EQ(Boxes().Calls().back().prompt, QStringLiteral("No printer is available."));
    EXPECT_FALSE(QFile::exists(pdf));

    // With a printer the text prints and nothing is asked.
    printerInstalled = true;
    w.prints->trigger();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(Boxes().Calls().size(), std::size(languages) + 1);
    frmMain::SetPrinterHook(previous);
}

// Tiling three windows fills the document area without overlap: one above
// the other for "horizontal", side by side for "vertical".
TEST_F(MenusTest, TilingThreeWindows) {
    frmMain& w = Start();
    w.new_Click();
    w.new_Click();
    const QList<QMdiSubWindow*> windows = w.mdi->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 3);
    const QRect area = w.mdi->viewport()->rect();

    struct Case {
        QAction* item;
        bool stacked;  // one above the other
    };
    for (const Case& c : {Case{w.tilehor, true}, Case{w.tilever, false}}) {
        SCOPED_TRACE(c.item->objectName().toStdString());
        modMain::DocWindowState = 2;
        c.item->trigger();
        EXPECT_EQ(modMain::DocWindowState, 0);
        int edge = 0;
        for (QMdiSubWindow* sub : windows) {
            const QRect r = sub->geometry();
            EXPECT_FALSE(sub->isMaximized());
            if (c.stacked) {
                EXPECT_EQ(r.left(), 0);
                EXPECT_EQ(r.width(), area.width());
                EXPECT_EQ(r.top(), edge);
                EXPECT_NEAR(r.height(), area.height() / 3, 1);
                edge = r.bottom() + 1;
            } else {
                EXPECT_EQ(r.top(), 0);
                EXPECT_EQ(r.height(), area.height());
                EXPECT_EQ(r.left(), edge);
                EXPECT_NEAR(r.width(), area.width() / 3, 1);
                edge = r.right() + 1;
            }
        }
        EXPECT_EQ(edge, c.stacked ? area.height() : area.width());
    }
    // Cascade: each window down and to the right of the one before.
    w.cascade->trigger();
    for (int i = 1; i < windows.size(); ++i) {
        EXPECT_GT(windows[i]->geometry().top(), windows[i - 1]->geometry().top());
        EXPECT_GT(windows[i]->geometry().left(), windows[i - 1]->geometry().left());
    }
}

TEST_F(MenusTest, WindowListShowsTheOpenWindowsAndActivatesOne) {
    frmMain& w = Start();
    w.new_Click();
    w.new_Click();
    emit w.mnuWindow->aboutToShow();
    QList<QAction*> listed;
    const QList<QAction*> items = w.mnuWindow->actions();
    for (qsizetype i = items.indexOf(w.wnlist) + 1; i < items.size(); ++i) listed << items[i];
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed[0]->text(), "&1 Untitled1.bas");
    EXPECT_TRUE(listed[2]->isChecked());
    listed[0]->trigger();
    EXPECT_EQ(modApp::ActiveDoc, 1);
    // Shown again after a close, the list has the windows that are left.
    w.close_Click();
    emit w.mnuWindow->aboutToShow();
    EXPECT_EQ(w.mnuWindow->actions().size() - w.mnuWindow->actions().indexOf(w.wnlist) - 1, 2);
}

// Pressing any button on a tab activates its document and resets the
// Assist Window's page; the right button's release opens the pop-up menu,
// whose items act on that document.
TEST_F(MenusTest, TabStripActivatesAndPopsUpItsMenu) {
    frmMain& w = Start();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const QString path = HomeFile("tab.bas");
    WriteAll(path, "A\r\n");
    ASSERT_TRUE(modApp::OpenDocument(path));
    frmDoc* tabDoc = modApp::Docs(modApp::ActiveDoc);
    w.new_Click();
    ASSERT_NE(modApp::Docs(modApp::ActiveDoc), tabDoc);
    const QString tabKey = QStringLiteral("key") + tabDoc->Tag;
    const int index = w.TB->IndexOfKey(tabKey);
    ASSERT_GE(index, 0);
    const QPoint at = w.TB->tabRect(index).center();

    QTest::mouseClick(w.TB, Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(modApp::ActiveDoc, tabDoc->Tag.toInt());
    EXPECT_FALSE(w.tabmenu->isVisible());

    w.new_Click();
    QTest::mousePress(w.TB, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(modApp::ActiveDoc, tabDoc->Tag.toInt());
    EXPECT_FALSE(w.tabmenu->isVisible());
    QTest::mouseRelease(w.TB, Qt::RightButton, Qt::NoModifier, at);
    EXPECT_TRUE(w.tabmenu->isVisible());
    QStringList names;
    for (QAction* a : w.tabmenu->actions()) names << a->objectName();
    EXPECT_EQ(names, (QStringList{"close2", "save2", "saveas2", "print2"}));
    w.tabmenu->hide();

    // Save and close from the pop-up act on the tab's document.
    tabDoc->rt->SetWholeText("B\r\n");
    w.save2->trigger();
    EXPECT_EQ(ReadAll(path), "B\r\n");
    const int before = w.mdi->subWindowList().size();
    w.close2->trigger();
    EXPECT_EQ(w.mdi->subWindowList().size(), before - 1);
    EXPECT_EQ(w.TB->IndexOfKey(tabKey), -1);
}

// A start without any document (the command line names a file that does
// not exist, and the user does not want it made) still leaves room for the
// tabs of documents made later.
TEST_F(MenusTest, TabsShowAfterAStartWithoutDocument) {
    Boxes().Answer(platform::vbNo);
    frmMain& w = Start(HomeFile("missing.bas"));
    ASSERT_TRUE(w.mdi->subWindowList().isEmpty());
    ASSERT_EQ(w.TB->count(), 0);
    w.new_Click();
    ASSERT_EQ(w.TB->count(), 1);
    QApplication::processEvents();
    const QRect tab = w.TB->tabRect(0);
    EXPECT_GE(w.picBottom->height(), tab.height());
    EXPECT_GE(w.TB->height(), tab.height());
    // View Multiple Edit Tab hides and shows the pane at its full height.
    w.statusbar2->trigger();
    w.statusbar2->trigger();
    EXPECT_GE(w.picBottom->height(), tab.height());
}

// The View menu's toolbar item hides the file toolbar alone; white space
// follows its item in every open editor and is stored.
TEST_F(MenusTest, ViewToolbarAndWhiteSpace) {
    frmMain& w = Start();
    w.new_Click();
    w.toolbar->trigger();
    EXPECT_FALSE(w.toolbar->isChecked());
    EXPECT_TRUE(w.tBar->isHidden());
    EXPECT_FALSE(w.tbar2->isHidden());
    EXPECT_FALSE(w.tBar3->isHidden());
    w.toolbar->trigger();
    EXPECT_FALSE(w.tBar->isHidden());

    for (const bool on : {true, false}) {
        w.whitespace->trigger();
        EXPECT_EQ(w.whitespace->isChecked(), on);
        for (frmDoc* doc : OpenDocs()) EXPECT_EQ(doc->rt->WhitespaceShown(), on);
        EXPECT_EQ(modApp::ShowWhitespace, on);
    }
}

}  // namespace

namespace {

// A recent-files item opens its file; "Open Recent Files" only toggles its
// own check mark.
TEST_F(MenusTest, RecentItemsOpenTheirFile) {
    const QString older = HomeFile("older.bas");
    WriteAll(older, "GOTO OLDER\r\n");
    modApp::RecentFileList list;
    list[1] = HomeFile("gone.bas");
    list[2] = older;
    WriteAll(HomeFile("recent.rct"), modApp::RecentFileBytes(list, "CP1252"));
    WriteAll(HomeFile("qvv2.ini"), "[View]\r\nmnuRecent_Open=0\r\n");
    frmMain& w = Start();
    ASSERT_TRUE(w.mnuRec[1]->isVisible());
    w.mnuRec[1]->trigger();
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->FileName, older);
    EXPECT_EQ(doc->rt->WholeText(), "GOTO OLDER\r\n");
    // A hidden item (nothing recorded) opens nothing.
    const int windows = w.mdi->subWindowList().size();
    w.mnuRec_Click(5);
    w.mnuRec_Click(6);
    EXPECT_EQ(w.mdi->subWindowList().size(), windows);

    const bool checked = w.mnuRecent_Open->isChecked();
    w.mnuRecent_Open->trigger();
    EXPECT_NE(w.mnuRecent_Open->isChecked(), checked);
}

// The tab pop-up's Print prints the whole text after the print dialog, Set
// Printer shows the set-up dialog alone; both on the active editor.
TEST_F(MenusTest, PrintItemsOfTheEditor) {
    const QString pdf = HomeFile("tab.pdf");
    std::vector<platform::CodeEditor::PrintStep> steps;
    auto previous =
        platform::CodeEditor::SetPrintResponder([&](QPrinter& printer, platform::CodeEditor::PrintStep step) {
            steps.push_back(step);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
    frmMain& w = Start();
    modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText("PRINT 1\r\n");
    w.printsetup->trigger();
    EXPECT_FALSE(QFile::exists(pdf));
    w.print2->trigger();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(steps.front(), platform::CodeEditor::PrintStep::Setup);
    EXPECT_EQ(steps.back(), platform::CodeEditor::PrintStep::Print);
    platform::CodeEditor::SetPrintResponder(previous);
}

// Help opens the help file of the interface language, or the English one
// when that is missing.
TEST_F(MenusTest, HelpOpensTheLanguagesFileOrTheEnglishOne) {
    ShellRecorder shell;
    WriteAll(HomeFile("qvv2.chm"), "help");
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    frmMain& w = Start();
    w.genhelp_Click();
    WriteAll(HomeFile("qvv2k.chm"), "help");
    w.genhelp_Click();
    ASSERT_EQ(shell.Help().size(), 2u);
    EXPECT_TRUE(shell.Help()[0].endsWith("/qvv2.chm")) << shell.Help()[0].toStdString();
    EXPECT_TRUE(shell.Help()[1].endsWith("/qvv2k.chm")) << shell.Help()[1].toStdString();
}

}  // namespace
