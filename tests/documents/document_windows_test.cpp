// The documents array reaches only open document windows and their editors,
// and Save As shows the dialog it is handed, else the document host's.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "documents/Documents.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "platform/CodeEditor.h"
#include "platform/CommonDialog.h"
#include "tests/editor/DocTestHost.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(DocWindowTest, TheArrayReachesOpenWindowsAndTheirEditorsOnly) {
    modApp::NewDocument();
    modApp::NewDocument();
    modApp::NewDocument();
    ASSERT_EQ(modApp::Docs.UBound(), 3);
    for (int n = 1; n <= 3; ++n) {
        ASSERT_NE(modApp::Docs(n), nullptr);
        EXPECT_EQ(modApp::DocumentEditor(n), modApp::Docs(n)->rt);
    }
    for (int n : {-1, 0, 4}) {
        EXPECT_EQ(modApp::Docs(n), nullptr) << n;
        EXPECT_EQ(modApp::DocumentEditor(n), nullptr) << n;
    }

    // A closed window stays in its element but is no document any more.
    ASSERT_TRUE(modApp::Docs(1)->Unload());
    EXPECT_EQ(modApp::Docs(1), nullptr);
    EXPECT_EQ(modApp::DocumentEditor(1), nullptr);
    // A window that is gone altogether leaves nothing dangling.
    delete modApp::Docs(2);
    EXPECT_EQ(modApp::Docs(2), nullptr);
    EXPECT_EQ(modApp::DocumentEditor(2), nullptr);
    EXPECT_NE(modApp::DocumentEditor(3), nullptr);
}

TEST_F(DocWindowTest, SaveAsShowsTheDialogItIsHandedElseTheHosts) {
    ScriptedMsgBox boxes;
    ScriptedFileDialog dialogs;
    const QString first = QDir(dir_.path()).filePath("first.bas");
    const QString second = QDir(dir_.path()).filePath("second.bas");
    const QString third = QDir(dir_.path()).filePath("third.bas");

    // An untitled document asks for its name with the host's dialog.
    modApp::NewDocument();
    frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
    ASSERT_NE(doc, nullptr);
    doc->rt->SetWholeText("A = 1\r\n");
    dialogs.Choose(first);
    modApp::SaveActiveDocument();
    ASSERT_EQ(dialogs.Calls().size(), 1u);
    EXPECT_EQ(dialogs.Calls()[0].title, "Save Program File[Untitled1.bas]");
    EXPECT_EQ(host_->dialog.FileName, first);
    EXPECT_EQ(ReadAll(first), QByteArray("A = 1\r\n"));

    // Save As with a dialog of the caller's own leaves the host's alone.
    platform::CommonDialog own;
    dialogs.Choose(second);
    modApp::SaveDocumentAs(own, nullptr);
    ASSERT_EQ(dialogs.Calls().size(), 2u);
    EXPECT_TRUE(dialogs.Calls()[1].title.startsWith("Save As...[")) << dialogs.Calls()[1].title.toStdString();
    EXPECT_EQ(own.FileName, second);
    EXPECT_EQ(host_->dialog.FileName, first);
    EXPECT_EQ(doc->FileName, second);
    EXPECT_EQ(ReadAll(second), QByteArray("A = 1\r\n"));

    // Without a host a dialog of its own still asks.
    frmDoc::SetHost(nullptr);
    dialogs.Choose(third);
    modApp::SaveDocumentAs();
    frmDoc::SetHost(host_);
    EXPECT_EQ(dialogs.Calls().size(), 3u);
    EXPECT_EQ(host_->dialog.FileName, first);
    EXPECT_EQ(ReadAll(third), QByteArray("A = 1\r\n"));
    EXPECT_TRUE(boxes.Calls().empty());
}

}  // namespace
