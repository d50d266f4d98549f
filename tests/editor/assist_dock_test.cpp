// The Assist Window in the main window: docking, floating, hiding and
// showing it, the bottom pane and the status bar, the settings they leave at
// exit and find at the next start, the all-files item, and the alignment
// key of the document window.
#include <QDockWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include "../mainwindow/MainWindowFixture.h"
#include "documents/modIni.h"
#include "editor/DockPanels.h"
#include "editor/frmNav.h"
#include "platform/Twips.h"

namespace {

class AssistDockTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        modMain::NavDocked = true;
        modMain::NavSplitTop = 2000;
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        modMain::NavDocked = true;
        modMain::NavSplitTop = 2000;
    }

    static QDockWidget* Panel(frmMain& w) { return w.fDock->Panel(QStringLiteral("frmNav")); }
};

TEST_F(AssistDockTest, HidingAndShowingKeepTheMenuCheckInStep) {
    frmMain& w = Start();
    QDockWidget* panel = Panel(w);
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(frmNav::Existing(), nullptr);
    EXPECT_EQ(panel->widget(), frmNav::Existing());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(w.quicknav->isChecked());

    // The panel's own close button unchecks the item; the item shows it again.
    panel->close();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(w.quicknav->isChecked());
    w.quicknav_Click();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(w.quicknav->isChecked());
    w.quicknav_Click();
    EXPECT_TRUE(panel->isHidden());
    EXPECT_FALSE(w.quicknav->isChecked());
}

TEST_F(AssistDockTest, FloatingFreesTheLayoutAndDockingRestoresSplitterAndWidth) {
    frmMain& w = Start();
    QDockWidget* panel = Panel(w);
    frmNav* nav = frmNav::Existing();
    ASSERT_TRUE(panel && nav);
    EXPECT_EQ(nav->Tbs->y(), platform::TwipsToPixels(350));

    panel->setFloating(true);
    QCoreApplication::processEvents();
    EXPECT_FALSE(modMain::NavDocked);
    EXPECT_EQ(nav->Tbs->y(), platform::TwipsToPixels(30));

    // Docking again puts the grip at the stored position and the panel at
    // the stored width.
    modMain::NavSplitTop = 2400;
    modMain::NavWidth = 3300;
    panel->setFloating(false);
    QCoreApplication::processEvents();
    EXPECT_TRUE(modMain::NavDocked);
    EXPECT_EQ(nav->Tbs->y(), platform::TwipsToPixels(350));
    EXPECT_EQ(nav->imgSize->y(), std::min(platform::TwipsToPixels(2400), nav->Dir1->y() + nav->Dir1->height()));
    EXPECT_NEAR(panel->width(), platform::TwipsToPixels(3300), 2);

    // A resize of the dock area is the width stored.
    w.resizeDocks({panel}, {250}, Qt::Horizontal);
    QCoreApplication::processEvents();
    EXPECT_EQ(modMain::NavWidth, static_cast<int16_t>(platform::PixelsToTwips(panel->width())));
}

TEST_F(AssistDockTest, LayoutAndBottomPaneSettingsAreKeptAtExit) {
    {
        frmMain& w = Start();
        QDockWidget* panel = Panel(w);
        frmNav* nav = frmNav::Existing();
        ASSERT_TRUE(panel && nav);
        w.resize(1000, 800);
        w.resizeDocks({panel}, {250}, Qt::Horizontal);
        QCoreApplication::processEvents();
        // The grip dragged to 150 pixels into the file page.
        nav->imgSize_MouseDown();
        nav->imgSize_MouseMove(Qt::LeftButton, 150 - nav->imgSize->y());
        nav->imgSize_MouseUp();
        ASSERT_EQ(nav->imgSize->y(), 150);
        w.quicknav_Click();    // Assist Window hidden
        w.statusbar2_Click();  // tab pane hidden
        w.mnuAllFileList_Click();
        EXPECT_TRUE(w.close());
    }
    const QString ini = HomeFile("qvv2.ini");
    EXPECT_EQ(modIni::ReadIni("FrmNav", "View", "", ini), "0");
    EXPECT_EQ(modIni::ReadIni("FrmNav", "Width", "", ini), "3750");
    EXPECT_EQ(modIni::ReadIni("FrmNav", "Vert", "", ini), "2250");
    EXPECT_EQ(modIni::ReadIni("Window", "statusbar", "", ini), "0");
    EXPECT_EQ(modIni::ReadIni("View", "AllfileList", "", ini), "1");

    ResetState();
    frmMain& w = Start();
    EXPECT_FALSE(w.quicknav->isChecked());
    EXPECT_TRUE(Panel(w)->isHidden());
    EXPECT_EQ(modMain::NavSplitTop, 2250);
    EXPECT_EQ(modMain::NavWidth, 3750);
    EXPECT_TRUE(w.mnuAllFileList->isChecked());
    // The stored setting and the menu item both mean the tab pane; the
    // status bar stays, and the item brings the pane back.
    EXPECT_FALSE(w.statusbar2->isChecked());
    EXPECT_TRUE(w.picBottom->isHidden());
    EXPECT_FALSE(w.stBar->isHidden());
    w.statusbar2_Click();
    EXPECT_TRUE(w.statusbar2->isChecked());
    EXPECT_FALSE(w.picBottom->isHidden());
    w.quicknav_Click();
    EXPECT_TRUE(Panel(w)->isVisible());
}

TEST_F(AssistDockTest, AllFilesItemRefillsTheListAtOnce) {
    QTemporaryDir folder;
    for (const char* name : {"a.bas", "b.QSF", "c.txt", "c.obj"}) WriteAll(folder.path() + "/" + name, "x");
    frmMain& w = Start();
    frmNav* nav = frmNav::Existing();
    ASSERT_NE(nav, nullptr);
    nav->SetDir1Path(folder.path());
    EXPECT_EQ(nav->File1->topLevelItemCount(), 2);
    w.mnuAllFileList_Click();
    EXPECT_TRUE(w.mnuAllFileList->isChecked());
    EXPECT_EQ(nav->File1->topLevelItemCount(), 4);
    w.mnuAllFileList_Click();
    EXPECT_EQ(nav->File1->topLevelItemCount(), 2);
}

TEST_F(AssistDockTest, F8InTheDocumentAlignsItAndAClosedDocumentClearsTheLabels) {
    frmMain& w = Start();
    frmDoc* doc = modApp::Docs(1);
    frmNav* nav = frmNav::Existing();
    ASSERT_TRUE(doc && nav);
    doc->rt->SetWholeText(QStringLiteral("MAIN:\r\nFOR I = 1 TO 2\r\nOUT 1, I\r\nNEXT I"));
    QApplication::setActiveWindow(&w);
    doc->rt->setFocus();
    QTest::keyClick(doc->rt, Qt::Key_F8);
    EXPECT_EQ(doc->rt->WholeText(), QStringLiteral("MAIN:\r\n    FOR I = 1 TO 2\r\n        OUT 1, I\r\n    NEXT I"));
    ASSERT_EQ(nav->Label1->topLevelItemCount(), 1);
    EXPECT_EQ(nav->Tbs->currentIndex(), 1);

    doc->Modified = false;
    ASSERT_TRUE(doc->Unload());
    EXPECT_EQ(nav->Label1->topLevelItemCount(), 0);
    EXPECT_EQ(nav->Tbs->currentIndex(), 0);
}

}  // namespace
