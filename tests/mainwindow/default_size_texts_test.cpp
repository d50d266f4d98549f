// At its first start (the default window size and Assist Window width), in
// each of the four interface languages, the main window shows its texts
// whole: the caret panel of the status bar with a document of 100000 lines,
// the Assist Window's title and every menu of the menu bar.
#include <QApplication>
#include <QDockWidget>
#include <QFontMetrics>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "editor/DockPanels.h"
#include "platform/CodeEditor.h"

namespace {

struct Language {
    const char* name;
    QLocale locale;
};

void PrintTo(const Language& l, std::ostream* os) { *os << l.name; }

class DefaultSizeTextsTest : public MainWindowTest, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QLocale::setDefault(GetParam().locale);
    }

    // The window as the program shows it: loaded, shown, laid out.
    frmMain& StartShown(const QString& commandLine = QString()) {
        frmMain& w = Start(commandLine);
        QApplication::processEvents();
        return w;
    }
};

// The caret on the last of 100000 lines, at column 1000: the panel's text
// area holds the whole text, and the panel itself lies inside the status bar.
TEST_P(DefaultSizeTextsTest, CaretPanelHoldsTheLongestPositionText) {
    const QString path = HomeFile("long.bas");
    QByteArray text;
    text.reserve(1200000);
    for (int i = 1; i < 100000; ++i) text += "A = " + QByteArray::number(i) + "\r\n";
    text += "' " + QByteArray(1000, 'x');  // line 100000, no line end after it
    WriteAll(path, text);

    frmMain& w = StartShown(path);
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->rt->LineCount(), 100000);
    doc->rt->PutCaret(99999, 1000);
    QApplication::processEvents();

    QLabel* panel = w.Panel(2);
    ASSERT_TRUE(panel->text().contains(QStringLiteral("100000")));
    ASSERT_TRUE(panel->text().contains(QStringLiteral("1000")));
    EXPECT_GE(panel->contentsRect().width(), QFontMetrics(panel->font()).horizontalAdvance(panel->text()))
        << panel->text().toStdString();
    EXPECT_LE(panel->geometry().right(), w.stBar->contentsRect().right());
    EXPECT_TRUE(panel->isVisible());
}

// The title strip left of the panel's buttons looks the same at the panel's
// first width as when the panel is wide: nothing of the title is cut off or
// shortened.
TEST_P(DefaultSizeTextsTest, AssistWindowTitleShowsWhole) {
    frmMain& w = StartShown();
    QDockWidget* panel = w.fDock->Panel(QStringLiteral("frmNav"));
    ASSERT_NE(panel, nullptr);
    auto* floatButton = panel->findChild<QAbstractButton*>(QStringLiteral("qt_dockwidget_floatbutton"));
    ASSERT_NE(floatButton, nullptr);
    const int firstWidth = panel->width();
    EXPECT_LT(firstWidth, 300);
    const QRect strip(0, 0, floatButton->x(), floatButton->geometry().bottom() + 2);
    const QImage atFirstWidth = panel->grab(strip).toImage();

    w.resizeDocks({panel}, {450}, Qt::Horizontal);
    QApplication::processEvents();
    ASSERT_GT(panel->width(), 300);
    EXPECT_EQ(panel->grab(strip).toImage(), atFirstWidth) << panel->windowTitle().toStdString();
}

// Every menu of the menu bar lies in the bar's visible part, left of the
// document window's buttons, and the overflow button is not needed.
TEST_P(DefaultSizeTextsTest, EveryMenuIsInTheMenuBar) {
    frmMain& w = StartShown();
    QMenuBar* bar = w.menuBar();
    ASSERT_TRUE(modApp::Docs(modApp::ActiveDoc) && modApp::Docs(modApp::ActiveDoc)->isMaximized());
    int right = bar->width();
    if (QWidget* corner = bar->cornerWidget(Qt::TopRightCorner); corner && corner->isVisible()) right = corner->x();
    for (QAction* menu : bar->actions()) {
        if (!menu->isVisible()) continue;
        const QRect r = bar->actionGeometry(menu);
        EXPECT_FALSE(r.isEmpty()) << menu->text().toStdString();
        EXPECT_LE(r.right(), right) << menu->text().toStdString();
    }
    const QRect help = bar->actionGeometry(w.mnuHelp->menuAction());
    EXPECT_LE(help.right(), right);
    auto* overflow = bar->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    EXPECT_TRUE(!overflow || !overflow->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Languages, DefaultSizeTextsTest,
                         ::testing::Values(Language{"English", QLocale(QLocale::English, QLocale::UnitedStates)},
                                           Language{"Korean", QLocale(QLocale::Korean, QLocale::SouthKorea)},
                                           Language{"Japanese", QLocale(QLocale::Japanese, QLocale::Japan)},
                                           Language{"Chinese", QLocale(QLocale::Chinese, QLocale::China)}),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.name); });

}  // namespace
