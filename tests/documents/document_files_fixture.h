// A fixture for tests of document windows bound to files: an English
// interface, a private program folder, the colouring language the windows
// select, and every window and list put back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "documents/Documents.h"
#include "documents/RecentFiles.h"
#include "documents/modAPI.h"
#include "documents/modReg.h"
#include "editor/frmDoc.h"
#include "files_helpers.h"
#include "platform/CodeEditor.h"

namespace files_test {

class DocumentFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        modApp::ResetDocuments();
        modApp::RecentFiles = modApp::RecentFileList();
        modAPI::DialogFilter = QStringLiteral("QUARVEL Program (*.bas)|*.bas|All Files(*.*)|*.*");
        modReg::MainWindow.AssistFolder = folder_.path();
        registeredLanguage_ = !platform::FindLanguage(QStringLiteral("Quarvel"));
        if (registeredLanguage_) platform::RegisterLanguage(QStringLiteral("Quarvel"), platform::EditorLanguage());
    }
    void TearDown() override {
        for (int i = 1; i <= modApp::Docs.UBound(); ++i) {
            if (frmDoc* doc = modApp::Docs(i)) {
                doc->Modified = false;
                delete doc;
            }
        }
        modApp::ResetDocuments();
        modApp::RecentFiles = modApp::RecentFileList();
        modAPI::DialogFilter.clear();
        modReg::MainWindow.AssistFolder.clear();
        if (registeredLanguage_) platform::UnregisterLanguage(QStringLiteral("Quarvel"));
    }

    // The window of the active document.
    static frmDoc* Active() { return modApp::Docs(modApp::ActiveDoc); }

    // The number of document windows that are open.
    static int OpenWindows() {
        int count = 0;
        for (int i = 1; i <= modApp::Docs.UBound(); ++i) count += modApp::Docs(i) != nullptr;
        return count;
    }

    // The one message box shown was the file error `number` with `description`.
    static void ExpectErrorBox(const ScriptedMsgBox& boxes, int number, const QString& description) {
        ASSERT_EQ(boxes.Calls().size(), 1u);
        const platform::MsgBoxCall& call = boxes.Calls()[0];
        const QString head = QStringLiteral("Error : ") + QString::number(number);
        EXPECT_EQ(call.prompt, head + QStringLiteral("\n") + description);
        EXPECT_EQ(call.style, platform::vbOKOnly | platform::vbCritical);
        EXPECT_EQ(call.title, head);
    }

    LocaleScope english_{English()};
    ProgramFolder folder_;
    bool registeredLanguage_ = false;
};

}  // namespace files_test
