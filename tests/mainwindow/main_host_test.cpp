// The main window as the host of the folders below it (modApp::MainHost):
// what their windows and procedures get from it while it exists, and that
// each service does nothing before there is one and after it has gone.
#include <QAction>
#include <QLabel>
#include <QMenu>

#include <memory>

#include "MainWindowFixture.h"
#include "documents/MainHost.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"

namespace {

using MainHostTest = MainWindowTest;

QWidget* WaitWindowParent() {
    QWidget* parent = frmWait::Load().parentWidget();
    frmWait::Unload();
    return parent;
}

TEST_F(MainHostTest, WithoutAMainWindowTheServicesDoNothing) {
    ASSERT_EQ(frmMain::existing(), nullptr);
    EXPECT_EQ(modApp::MainWindow(), nullptr);
    modApp::SetStatusText(1, QStringLiteral("nobody reads this"));
    modApp::MotionUnlock();

    // A lower window has no parent, and a box is still shown.
    EXPECT_EQ(WaitWindowParent(), nullptr);
    Boxes().Answer(platform::vbOK);
    vxIO::ShowCommError(vxIO::kErrTimeOut);
    EXPECT_EQ(Boxes().Calls().size(), 1u);
}

TEST_F(MainHostTest, TheRegistrationHoldsWhileTheFirstMainWindowLives) {
    auto main = std::make_unique<frmMain>();
    EXPECT_EQ(modApp::MainWindow(), main.get());
    EXPECT_EQ(WaitWindowParent(), main.get());
    {
        // A second main window neither takes the place nor ends it.
        frmMain second;
        EXPECT_EQ(modApp::MainWindow(), main.get());
    }
    EXPECT_EQ(modApp::MainWindow(), main.get());

    main.reset();
    EXPECT_EQ(modApp::MainWindow(), nullptr);
    EXPECT_EQ(WaitWindowParent(), nullptr);
}

TEST_F(MainHostTest, StatusTextGoesToThePanelOfItsNumberOnly) {
    frmMain& w = Start();
    for (int panel : {1, 2, 3, 4, 0, 5}) {
        SCOPED_TRACE(panel);
        for (int i = 1; i <= 4; ++i) w.Panel(i)->setText(QStringLiteral("before"));
        modApp::SetStatusText(panel, QStringLiteral("after"));
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(w.Panel(i)->text(), i == panel ? QStringLiteral("after") : QStringLiteral("before")) << i;
    }
}

TEST_F(MainHostTest, MotionUnlockReachesTheMainWindow) {
    frmMain& w = Start();
    w.MotionLock();
    ASSERT_FALSE(w.mnuController->menuAction()->isEnabled());
    modApp::MotionUnlock();
    EXPECT_TRUE(w.mnuController->menuAction()->isEnabled());
}

}  // namespace
