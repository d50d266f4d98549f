// Window styles on real widgets, and the shell and help hand-over.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "ScriptedDialogs.h"
#include "platform/Shell.h"
#include "platform/WindowStyle.h"

namespace {

TEST(WindowStyle, StaysOnTopKeepsPlaceAndVisibility) {
    QWidget window;
    window.setGeometry(100, 120, 300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint before = window.pos();
    platform::SetStaysOnTop(&window);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.pos(), before);
    EXPECT_EQ(window.size(), QSize(300, 200));
}

TEST(WindowStyle, RemovedCloseButtonRefusesWindowSystemCloseOnly) {
    QWidget window;
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    platform::RemoveCloseButton(&window);
    platform::RemoveCloseButton(&window);  // twice changes nothing more
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);  // only the close button goes
    EXPECT_TRUE(platform::HasCloseButtonRemoved(&window));
    ASSERT_TRUE(window.isVisible());

    // A close request of the window system reaches the window's QWindow,
    // which hands it on to the widget as a spontaneous close event.
    QCloseEvent request;
    QCoreApplication::sendEvent(window.windowHandle(), &request);
    EXPECT_FALSE(request.isAccepted());
    EXPECT_TRUE(window.isVisible());

    EXPECT_TRUE(window.close());  // the program itself may close it
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowStyle, WindowSystemCloseClosesOrdinaryWindows) {
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCloseEvent request;
    QCoreApplication::sendEvent(window.windowHandle(), &request);
    EXPECT_TRUE(request.isAccepted());
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowStyle, ThinBorderOnFramesAndMarkOnOthers) {
    QListWidget list;
    QPushButton button;
    platform::SetThinBorder(&list);
    platform::SetThinBorder(&list);
    platform::SetThinBorder(&button);
    EXPECT_EQ(list.frameShape(), QFrame::Panel);
    EXPECT_EQ(list.frameShadow(), QFrame::Sunken);
    EXPECT_EQ(list.lineWidth(), 1);
    EXPECT_TRUE(list.property("flatBorder").toBool());
    EXPECT_TRUE(button.property("flatBorder").toBool());
}

TEST(Shell, HandlersReceiveTargetsUnchanged) {
    ShellRecorder shell;
    EXPECT_TRUE(platform::ShellOpen("http://www.quarvel.example/"));
    EXPECT_TRUE(platform::HtmlHelp(nullptr, "/opt/quarvel/qvv2.chm::/index.htm"));
    ASSERT_EQ(shell.Opened().size(), 1u);
    EXPECT_EQ(shell.Opened()[0], "http://www.quarvel.example/");
    ASSERT_EQ(shell.Help().size(), 1u);
    EXPECT_EQ(shell.Help()[0], "/opt/quarvel/qvv2.chm::/index.htm");
}

}  // namespace
