// The watch over the window system's close of a window that a modal window
// blocks: it takes exactly the request Qt would drop, and leaves every other
// close to the window.
#include <QCloseEvent>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <ostream>

#include "WindowSystem.h"
#include "platform/BlockedClose.h"

namespace {

class CountingWindow : public QWidget {
public:
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++closeEvents;
        QWidget::closeEvent(event);
    }
};

struct Case {
    const char* name;
    bool blocked;           // a modal dialog is up
    bool fromWindowSystem;  // the window system's close, else the program's
    bool taken;             // the watch's handler runs instead of the close
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BlockedCloseTest : public ::testing::TestWithParam<Case> {};

TEST_P(BlockedCloseTest, TakesOnlyTheCloseQtWouldDrop) {
    const Case& c = GetParam();
    CountingWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int handled = 0;
    platform::BlockedCloseWatch watch(&window, [&] { ++handled; });
    ASSERT_TRUE(watch.Active());

    QDialog modal(&window);
    if (c.blocked) {
        modal.setModal(true);
        modal.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&modal));
    }
    if (c.fromWindowSystem)
        RequestCloseFromWindowSystem(&window);
    else
        window.close();
    // The window system's request is taken on the next turn of the event
    // queue, and the handler it leads to runs from a turn after that: a
    // marker posted once the request has been taken runs after both.
    QCoreApplication::processEvents();
    bool marked = false;
    QTimer::singleShot(0, &window, [&] { marked = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return marked; }));

    EXPECT_EQ(handled, c.taken ? 1 : 0);
    EXPECT_EQ(window.closeEvents, c.taken ? 0 : 1);
    EXPECT_EQ(window.isVisible(), c.taken);
}

const Case kCases[] = {
    {"WindowSystemBehindAModalWindow", true, true, true},
    {"WindowSystemWithoutAModalWindow", false, true, false},
    {"ProgramBehindAModalWindow", true, false, false},
};

INSTANTIATE_TEST_SUITE_P(Closes, BlockedCloseTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
