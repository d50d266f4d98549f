// Shut-down of the main window (the settings it writes, the documents it
// closes and when it refuses to close), drag and drop of files, the layout
// of the status bar.
#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "MainWindowFixture.h"
#include "documents/Documents.h"
#include "editor/DocTabStrip.h"
#include "editor/DockPanels.h"
#include "editor/frmDoc.h"
#include "editor/frmNote.h"
#include "link/frmWait.h"
#include "documents/modIni.h"
#include "mainwindow/frmMainServices.h"
#include "platform/Twips.h"

namespace {

// The fixture's expected settings file, with @HOME@ standing for the
// program's folder.
QByteArray Fixture(const char* name, const QString& home) {
    QFile f(QStringLiteral(QUARVEL_TEST_DATA "/fixtures/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("missing fixture ") + name;
    QByteArray bytes = f.readAll();
    bytes.replace("@HOME@", home.toLocal8Bit());
    return bytes;
}

}  // namespace

TEST_F(MainWindowTest, NormalCloseWritesTheExpectedSettings) {
    frmMain& w = Start();
    // A few things the user changed while the program ran.
    w.toolbar_Click();  // file toolbar hidden
    w.mnuRecent_Open_Click();  // reopen the newest file next time
    w.Comm.setCommPort(4);
    w.TimeOut.setInterval(2500);
    w.move(90, 60);
    w.resize(700, 500);

    EXPECT_TRUE(w.close());
    EXPECT_TRUE(w.Unloaded());
    EXPECT_TRUE(modMain::AppClosing);
    EXPECT_EQ(frmMainServices::DocumentWindow(1), nullptr);
    EXPECT_EQ(ReadAll(HomeFile("qvv2.ini")), Fixture("closed_default.ini", Home()));
}

// The program's end closes the note window, which keeps its place, and the
// wait window: a note without owner left open would keep the program
// running after its main window has gone.
TEST_F(MainWindowTest, TheProgramsEndClosesTheNoteAndTheWaitWindow) {
    frmMain& w = Start();
    w.mnuEdit_Note_Click();
    QPointer<frmNote> note = frmNote::Loaded();
    ASSERT_TRUE(note);
    note->move(150, 120);
    frmWait::Load().show();
    ASSERT_NE(frmWait::Loaded(), nullptr);

    EXPECT_TRUE(w.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(note.isNull());
    EXPECT_EQ(frmWait::Loaded(), nullptr);
    EXPECT_EQ(modIni::ReadIni("frmNote_Window", "left", "", HomeFile("qvv2.ini")), "2250");
}

TEST_F(MainWindowTest, SettingsWrittenAtCloseAreTheOnesReadAtTheNextStart) {
    {
        frmMain& w = Start();
        w.move(45, 75);
        w.resize(810, 540);
        w.quicknav_Click();  // Assist Window hidden
        w.whitespace_Click();
        EXPECT_TRUE(w.close());
    }
    ResetState();
    frmMain& w = Start();
    EXPECT_EQ(w.pos(), QPoint(45, 75));
    EXPECT_EQ(w.size(), QSize(810, 540));
    EXPECT_FALSE(w.quicknav->isChecked());
    EXPECT_TRUE(w.fDock->Panel("frmNav")->isHidden());
    EXPECT_TRUE(w.whitespace->isChecked());
    EXPECT_TRUE(modApp::ShowWhitespace);
}

TEST_F(MainWindowTest, MaximisedCloseStoresStateAndNormalGeometry) {
    frmMain& w = Start();
    w.move(30, 45);
    w.resize(640, 480);
    w.setWindowState(Qt::WindowMaximized);
    EXPECT_TRUE(w.close());
    const QString ini = HomeFile("qvv2.ini");
    EXPECT_EQ(modIni::ReadIni("Window", "windowstate", "", ini), "2");
    EXPECT_EQ(modIni::ReadIni("Window", "width", "", ini), "9600");
    EXPECT_EQ(modIni::ReadIni("Window", "height", "", ini), "7200");
}

TEST_F(MainWindowTest, DroppedFilesOpenInListOrderUntilOneFails) {
    frmMain& w = Start();
    const int before = frmMainServices::DocumentUpperBound();
    const QString first = HomeFile("first.bas");
    const QString broken = HomeFile("broken.bas");  // not text: opening it fails
    const QString third = HomeFile("third.bas");
    WriteAll(first, "END\r\n");
    WriteAll(broken, QByteArray("\x00\x01\x02", 3));
    WriteAll(third, "END\r\n");

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(broken), QUrl::fromLocalFile(third)});
    int32_t effect = 1;
    w.MDIForm_OLEDragOver(&files, effect);
    EXPECT_EQ(effect, 1);
    Boxes().Answer(platform::vbOK);  // the open's error message for the second file
    w.MDIForm_OLEDragDrop(&files);
    EXPECT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(frmMainServices::DocumentUpperBound(), before + 1);
    EXPECT_EQ(frmMainServices::DocumentFileName(before + 1), first);

    QMimeData text;
    text.setText(first);
    effect = 1;
    w.MDIForm_OLEDragOver(&text, effect);
    EXPECT_EQ(effect, 0);
}

TEST_F(MainWindowTest, StatusPanelOneTakesTheRestAndKeepsItWhenTooNarrow) {
    frmMain& w = Start();
    w.resize(900, 500);
    QLabel* p1 = w.Panel(1);
    const int fixed = w.Panel(2)->width() + w.Panel(3)->width() + w.Panel(4)->width();
    EXPECT_EQ(p1->maximumWidth(), w.frameGeometry().width() - fixed - platform::TwipsToPixels(450));
    const int wide = p1->maximumWidth();
    w.MDIForm_Resize();  // same size: same width
    EXPECT_EQ(p1->maximumWidth(), wide);

    // Fixed panels wider than the frame leaves: panel 1 keeps its width and
    // nothing fails.
    w.Panel(4)->setFixedWidth(w.frameGeometry().width());
    w.MDIForm_Resize();
    EXPECT_EQ(p1->maximumWidth(), wide);
}

TEST_F(MainWindowTest, PanelClickAndControllerKeysRefreshThePortPanel) {
    frmMain& w = Start();
    w.Comm.setCommPort(3);
    w.stBar_PanelClick();
    EXPECT_EQ(w.Panel(2)->text(), "COM 3");
    w.Comm.setCommPort(5);
    Boxes().Answer(platform::vbCancel);  // the memory clear's question
    w.tBar3_ButtonClick(frmMain::Button(w.tBar3, "memclear"));
    EXPECT_EQ(w.Panel(2)->text(), "COM 5");
}

TEST_F(MainWindowTest, ViewItemsShowAndHideTheirBars) {
    frmMain& w = Start();
    w.toolbar_Click();
    EXPECT_TRUE(w.tBar->isHidden());
    EXPECT_FALSE(w.tbar2->isHidden());
    EXPECT_FALSE(w.tBar3->isHidden());
    w.toolbar_Click();
    EXPECT_FALSE(w.tBar->isHidden());
    w.statusbar2_Click();
    EXPECT_TRUE(w.picBottom->isHidden());
    EXPECT_FALSE(w.statusbar2->isChecked());
    w.statusbar2_Click();
    EXPECT_FALSE(w.picBottom->isHidden());
}

namespace {

// Makes document n modified the way typing does.
void Change(int n, const QString& text) {
    frmDoc* doc = modApp::Docs(n);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText(text);
    ASSERT_TRUE(doc->Modified);
}

}  // namespace

TEST_F(MainWindowTest, CancelledSaveQuestionKeepsTheProgramRunning) {
    frmMain& w = Start();
    w.new_Click();
    w.new_Click();
    Change(1, "GOTO A\r\n");
    Change(2, "GOTO B\r\n");
    const QByteArray before = ReadAll(HomeFile("qvv2.ini"));

    Boxes().Answer(platform::vbCancel);  // the first document's save question
    EXPECT_FALSE(w.close());
    EXPECT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_TRUE(Boxes().Calls()[0].prompt.contains("Untitled1.bas"));
    // Nothing after the cancelled document was asked about or closed, the
    // program runs on, and the flag is clean for the next close.
    EXPECT_FALSE(w.Unloaded());
    EXPECT_FALSE(modMain::AppClosing);
    EXPECT_NE(modApp::Docs(1), nullptr);
    EXPECT_NE(modApp::Docs(2), nullptr);
    EXPECT_NE(modApp::Docs(3), nullptr);
    EXPECT_FALSE(modAPI::CloseCancelled);
    // Only the editor settings were stored; the main settings wait for the
    // real close.
    EXPECT_EQ(modIni::ReadIni("Window", "width", "none", HomeFile("qvv2.ini")), "none");
    EXPECT_NE(ReadAll(HomeFile("qvv2.ini")), before);

    // The next close asks again and, answered No, closes everything.
    Boxes().Answer(platform::vbNo).Answer(platform::vbNo);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(Boxes().Calls().size(), 3u);
    EXPECT_TRUE(w.Unloaded());
    EXPECT_EQ(modApp::Docs(1), nullptr);
    EXPECT_EQ(modApp::Docs(3), nullptr);
}

TEST_F(MainWindowTest, CloseAllStopsAtACancelledDocumentAndAnEarlierCancelDoesNotBlockTheNext) {
    frmMain& w = Start();
    w.new_Click();
    w.new_Click();
    Change(2, "END\r\n");
    Boxes().Answer(platform::vbCancel);
    w.closeall_Click();
    EXPECT_EQ(modApp::Docs(1), nullptr);  // unchanged: closed without a question
    EXPECT_NE(modApp::Docs(2), nullptr);
    EXPECT_NE(modApp::Docs(3), nullptr);
    EXPECT_TRUE(w.updatesEnabled());

    // The cancelled close-all left its flag set; closing the program still
    // asks about document 2 and goes on past it.
    Boxes().Answer(platform::vbNo);
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(w.Unloaded());
    EXPECT_EQ(modApp::Docs(3), nullptr);
}
