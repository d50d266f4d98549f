// modMain.LocalizeForm on real widgets: where numbers are carried, strict
// against leading-number conversion, and the language rules.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "documents/LocalizeForm.h"

namespace {

class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

template <class W>
W* Add(QWidget* parent, const char* tag, const QString& text = QStringLiteral("design")) {
    auto* w = new W(parent);
    w->setProperty("Tag", QString::fromLatin1(tag));
    if constexpr (std::is_base_of_v<QGroupBox, W>) w->setTitle(text);
    else w->setText(text);
    if (parent->layout()) parent->layout()->addWidget(w);
    return w;
}

class LocalizeFormTest : public ::testing::Test {
protected:
    LocaleScope english_{QLocale(QLocale::English, QLocale::UnitedStates)};
};

TEST_F(LocalizeFormTest, LabelsAndOtherControls) {
    QDialog form;
    form.setWindowTitle("Design Title");
    form.setProperty("Tag", "");
    new QVBoxLayout(&form);

    auto* bytes = Add<QLabel>(&form, "3104");
    auto* spaced = Add<QLabel>(&form, " 3104.4 ");   // blanks and a fraction: still a number
    auto* labelLetters = Add<QLabel>(&form, "12abc");  // strict: not a number
    labelLetters->setToolTip("3104");                  // a label's tool tip is never localised
    auto* buttonLetters = Add<QPushButton>(&form, "12abc");  // leading number: 12
    buttonLetters->setToolTip("13");
    auto* text = Add<QLineEdit>(&form, "3104", "typed text");  // no caption to replace
    text->setToolTip("3016");
    auto* check = Add<QCheckBox>(&form, " 3204");
    auto* zero = Add<QRadioButton>(&form, "0");
    auto* negative = Add<QRadioButton>(&form, "-5");
    auto* huge = Add<QRadioButton>(&form, "99999");
    auto* missing = Add<QPushButton>(&form, "4014");
    auto* tipBelowOne = Add<QPushButton>(&form, "");
    tipBelowOne->setToolTip("0.5");
    auto* frame = Add<QGroupBox>(&form, "3092");
    new QVBoxLayout(frame);
    auto* inFrame = Add<QLabel>(frame, "3093");

    auto* owned = new QDialog(&form);  // a window of its own
    owned->setProperty("Tag", "3091");
    owned->setWindowTitle("owned");

    modMain::LocalizeForm(&form);

    EXPECT_EQ(form.windowTitle(), "Design Title");  // empty Tag keeps the caption
    EXPECT_EQ(bytes->text(), "Bytes");
    EXPECT_EQ(spaced->text(), "Bytes");
    EXPECT_EQ(labelLetters->text(), "design");
    EXPECT_EQ(labelLetters->toolTip(), "3104");
    EXPECT_EQ(buttonLetters->text(), "Cancel");
    EXPECT_EQ(buttonLetters->toolTip(), "Close");
    EXPECT_EQ(text->text(), "typed text");
    EXPECT_EQ(text->toolTip(), "Check controller status, power and interface cable.");
    EXPECT_EQ(check->text(), "Close");
    EXPECT_EQ(zero->text(), "design");
    EXPECT_EQ(negative->text(), "design");
    EXPECT_EQ(huge->text(), "design");
    EXPECT_EQ(missing->text(), "design");
    EXPECT_EQ(tipBelowOne->toolTip(), "0.5");
    EXPECT_EQ(frame->title(), " Controller ");
    EXPECT_EQ(inFrame->text(), "Controller ID :");
    EXPECT_EQ(owned->windowTitle(), "owned");
}

TEST_F(LocalizeFormTest, TabsListHeadersAndTabPages) {
    QWidget form;
    form.setProperty("Tag", "3111");
    auto* tabs = new QTabWidget(&form);
    auto* files = new QWidget;
    auto* labels = new QWidget;
    tabs->addTab(files, "design files");
    tabs->addTab(labels, "design labels");
    tabs->tabBar()->setTabData(0, "3112");
    tabs->setTabToolTip(0, "3113");
    tabs->setTabToolTip(1, "not a number");
    auto* onPage = new QPushButton("design", files);
    onPage->setProperty("Tag", "3204");

    auto* list = new QTreeWidget(labels);
    list->setColumnCount(2);
    list->setHeaderLabels({"Label", "Line"});
    list->headerItem()->setData(0, Qt::UserRole, "4609");
    list->headerItem()->setData(1, Qt::UserRole, "x");

    auto* bar = new QTabBar(&form);
    bar->addTab("design");
    bar->setTabData(0, "4612");

    modMain::LocalizeForm(&form);

    EXPECT_EQ(form.windowTitle(), "Assist Window");
    EXPECT_EQ(tabs->tabText(0), "Files");
    EXPECT_EQ(tabs->tabToolTip(0), "Labels");
    EXPECT_EQ(tabs->tabText(1), "design labels");
    EXPECT_EQ(tabs->tabToolTip(1), "not a number");
    EXPECT_EQ(onPage->text(), "Close");
    EXPECT_EQ(list->headerItem()->text(0), "Name");
    EXPECT_EQ(list->headerItem()->text(1), "Line");
    EXPECT_EQ(bar->tabText(0), "Program");
}

TEST_F(LocalizeFormTest, MenusToolbarsAndStatusBar) {
    QMainWindow form;
    form.setProperty("Tag", "1001");
    QMenu* file = form.menuBar()->addMenu("1002");
    QAction* newFile = file->addAction("1011");
    QAction* separator = file->addSeparator();
    QAction* dash = file->addAction("-");
    QMenu* recent = file->addMenu("1019");
    QAction* recentItem = recent->addAction("/home/robot/walk.bas");

    auto* tabMenu = new QMenu(&form);  // a pop-up menu of the window, not in the menu bar
    QAction* close2 = tabMenu->addAction("1073");

    QToolBar* tools = form.addToolBar("tools");
    QAction* compile = tools->addAction("design");
    compile->setProperty("Tag", "1049");
    compile->setToolTip("1050");
    QAction* motorOff = tools->addAction("");
    motorOff->setToolTip("8026");

    auto* panel1 = new QLabel("2001");
    auto* panel2 = new QLabel("COM 1");
    panel2->setToolTip("2008");
    form.statusBar()->addWidget(panel1);
    form.statusBar()->addPermanentWidget(panel2);

    modMain::LocalizeForm(&form);

    EXPECT_EQ(form.windowTitle(), "Quarvel");
    EXPECT_EQ(file->title(), "&File");
    EXPECT_EQ(newFile->text(), "New Program File");
    EXPECT_TRUE(separator->text().isEmpty());
    EXPECT_EQ(dash->text(), "-");  // a separator's caption stays
    EXPECT_EQ(recent->title(), "Recent Files");
    EXPECT_EQ(recentItem->text(), "/home/robot/walk.bas");
    EXPECT_EQ(close2->text(), "&Close");
    EXPECT_EQ(compile->text(), "Make Object Code");
    EXPECT_EQ(compile->toolTip(), "Download");
    EXPECT_EQ(motorOff->text(), "");
    EXPECT_EQ(motorOff->toolTip(), "Motor All OFF    F10");
    EXPECT_EQ(panel1->text(), "Ready");
    EXPECT_EQ(panel2->text(), "COM 1");
    EXPECT_EQ(panel2->toolTip(), "Modified");
}

TEST_F(LocalizeFormTest, TextsFollowTheUserInterfaceLanguage) {
    struct Case {
        QLocale locale;
        const char* insert;  // entry 3210
        const char* wait;    // entry 3213 (no Chinese entry)
        const char* title;   // entry 3151
    } cases[] = {
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "삽입", "대기", "다운로드 창"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "挿入", "待機", "ダウンロードウィンドウ"},
        {QLocale(QLocale::Chinese, QLocale::China), "插入", "design wait", "下载窗口"},
        {QLocale(QLocale::French, QLocale::France), "Insert", "Wait", "Download Window"},
    };
    for (const Case& c : cases) {
        LocaleScope scope(c.locale);
        QWidget form;
        form.setProperty("Tag", "3151");
        new QVBoxLayout(&form);
        auto* insert = Add<QPushButton>(&form, "3210");
        auto* wait = Add<QPushButton>(&form, "3213", "design wait");
        modMain::LocalizeForm(&form);
        EXPECT_EQ(insert->text(), QString::fromUtf8(c.insert)) << c.locale.name().toStdString();
        EXPECT_EQ(wait->text(), QString::fromUtf8(c.wait)) << c.locale.name().toStdString();
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.title)) << c.locale.name().toStdString();
    }
}

TEST_F(LocalizeFormTest, TypeNamesComeFromClassOrVbType) {
    QWidget form;
    auto* picture = new QFrame(&form);
    auto* button = new QPushButton(&form);
    auto* label = new QLabel(&form);
    label->setProperty("vbType", "CommandButton");  // a label that acts as a button
    label->setProperty("Tag", "12abc");
    EXPECT_EQ(ControlTypeName(picture), "PictureBox");
    EXPECT_EQ(ControlTypeName(button), "CommandButton");
    EXPECT_EQ(ControlTypeName(label), "CommandButton");
    EXPECT_EQ(ControlTypeName(new QTreeWidget(&form)), "ListView");
    EXPECT_EQ(ControlTypeName(new QLineEdit(&form)), "TextBox");
    modMain::LocalizeForm(&form);
    EXPECT_EQ(label->text(), "Cancel");  // leading number, as for a button
}

}  // namespace
