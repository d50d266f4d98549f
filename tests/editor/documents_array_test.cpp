// The documents array and the small path and editor procedures of modApp.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "DocTestHost.h"
#include "QtPrinters.h"
#include "platform/CodeEditor.h"

namespace {

TEST(DocumentPaths, FileNameFromPathTakesTheTextAfterTheLastSeparator) {
    struct Case {
        QString path, name;
    } cases[] = {
        {QStringLiteral("D:\\a\\b.bas"), QStringLiteral("b.bas")},
        {QStringLiteral("b.bas"), QStringLiteral("b.bas")},
        {QStringLiteral("D:\\a\\"), QString()},
        {QStringLiteral("/home/u/robot/walk.bas"), QStringLiteral("walk.bas")},
        {QStringLiteral("/home/u/"), QString()},
        {QString(), QString()},
    };
    for (const Case& c : cases) EXPECT_EQ(modApp::FileNameFromPath(c.path), c.name) << c.path.toStdString();
}

TEST(DocumentPaths, FileExistsOnlyForVisibleOrdinaryFiles) {
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("a.bas"))).open(QIODevice::WriteOnly);
    QFile(dir.filePath(QStringLiteral(".hidden.bas"))).open(QIODevice::WriteOnly);
    EXPECT_TRUE(modApp::FileExists(dir.filePath(QStringLiteral("a.bas"))));
    EXPECT_FALSE(modApp::FileExists(dir.filePath(QStringLiteral(".hidden.bas"))));
    EXPECT_FALSE(modApp::FileExists(dir.filePath(QStringLiteral("missing.bas"))));
    EXPECT_FALSE(modApp::FileExists(dir.path()));
    EXPECT_FALSE(modApp::FileExists(QString()));
}

TEST(DocumentEditing, InsertTextAtCaretLeavesTheCaretAfterTheTextAndTheEditorFocused) {
    QWidget window;
    auto* e = new platform::CodeEditor(&window);
    auto* other = new QWidget(&window);
    e->SetWholeText(QStringLiteral("MOVE G6A,\r\nEND"));
    e->SelectRange(0, 0, 0, 4);
    other->setFocus();
    modApp::InsertTextAtCaret(*e, QStringLiteral("동작"));
    EXPECT_EQ(e->LineText(0), QStringLiteral("동작 G6A,"));
    EXPECT_EQ(e->Selection(true).EndColNo, 2);
    EXPECT_TRUE(e->Selection(true).IsEmpty());
    EXPECT_EQ(window.focusWidget(), e);

    // A text with line breaks: the caret ends after it.
    e->PutCaret(1, 0);
    modApp::InsertTextAtCaret(*e, QStringLiteral("WAIT\r\nDELAY 10\r\n"));
    EXPECT_EQ(e->WholeText(), QStringLiteral("동작 G6A,\r\nWAIT\r\nDELAY 10\r\nEND"));
    EXPECT_EQ(e->Selection(true).EndLineNo, 3);
    EXPECT_EQ(e->Selection(true).EndColNo, 0);
}

TEST_F(DocWindowTest, FreeNumbersAreReusedWithoutGrowingTheArrays) {
    EXPECT_EQ(modApp::FindFreeDocSlot(), 0);  // no elements yet
    EXPECT_EQ(modApp::Docs.UBound(), 0);
    EXPECT_EQ(modApp::Docs(0), nullptr);
    EXPECT_EQ(modApp::Docs(1), nullptr);
    EXPECT_EQ(modApp::DocSlots(1), nullptr);

    for (int i = 0; i < 10; ++i) modApp::NewDocument();
    EXPECT_EQ(modApp::Docs.UBound(), 10);
    EXPECT_EQ(modApp::DocSlots.UBound(), 10);
    for (int n = 10; n >= 1; --n) ASSERT_TRUE(modApp::Docs(n)->Unload());
    EXPECT_EQ(modApp::Docs.UBound(), 10);
    for (int n = 1; n <= 10; ++n) EXPECT_TRUE(modApp::DocSlots(n)->Free);
    EXPECT_EQ(modApp::ActiveDoc, 0);

    modApp::NewDocument();
    ASSERT_NE(modApp::Docs(1), nullptr);
    EXPECT_EQ(modApp::NewDocIndex, 1);
    EXPECT_EQ(modApp::Docs.UBound(), 10);
    // A new document in a reused slot is untitled and unchanged.
    EXPECT_FALSE(modApp::Docs(1)->HasFile);
    EXPECT_FALSE(modApp::Docs(1)->Modified);
    EXPECT_EQ(modApp::Docs(1)->History(), (std::vector<int32_t>{0}));
}

}  // namespace
