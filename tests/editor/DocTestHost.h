// The least main window a document window needs: a document area, the tab
// strip TB, the commands of the shortcuts, which it records, a status panel,
// the code-tip option and an Edit menu.
#pragma once

#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QStringList>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "documents/ColouringLanguage.h"
#include "documents/Documents.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "editor/DocTabStrip.h"
#include "editor/DocumentFiles.h"
#include "editor/frmDoc.h"
#include "platform/CommonDialog.h"

class DocTestHost : public QMainWindow, public DocumentHost {
public:
    DocTestHost() {
        auto* central = new QWidget(this);
        auto* layout = new QVBoxLayout(central);
        layout->setContentsMargins(0, 0, 0, 0);
        area = new QMdiArea(central);
        tabs = new DocTabStrip(central);
        layout->addWidget(area, 1);
        layout->addWidget(tabs);
        setCentralWidget(central);
        resize(800, 600);
        tipOption.setCheckable(true);
        tipOption.setChecked(true);
        editMenu.addAction(QStringLiteral("Undo"));
    }

    QMdiArea* DocumentArea() override { return area; }
    DocTabStrip* DocumentTabs() override { return tabs; }
    void ClearAssistLabels() override { ++labelsCleared; }
    platform::CommonDialog* FileDialog() override { return &dialog; }
    QLabel* StatusPanel(int index) override { return index == 2 ? &panel2 : nullptr; }
    QAction* CodeTipOption() override { return &tipOption; }
    QMenu* EditMenu() override { return &editMenu; }

    void new_Click() override {
        calls << QStringLiteral("new_Click");
        if (newCreatesDocument) modApp::NewDocument();
    }
    void open_Click() override { calls << QStringLiteral("open_Click"); }
    void save_Click() override { calls << QStringLiteral("save_Click"); }
    void Prints_Click() override { calls << QStringLiteral("Prints_Click"); }
    void undo_Click() override { calls << QStringLiteral("undo_Click"); }
    void redo_Click() override { calls << QStringLiteral("redo_Click"); }
    void selectall_Click() override { calls << QStringLiteral("selectall_Click"); }
    void find_Click() override { calls << QStringLiteral("find_Click"); }
    void mnuReplace_Click() override { calls << QStringLiteral("mnuReplace_Click"); }
    void goto_Click() override { calls << QStringLiteral("goto_Click"); }
    void findprev_Click() override { calls << QStringLiteral("findprev_Click"); }
    void copy_Click() override { calls << QStringLiteral("copy_Click"); }
    void cut_Click() override { calls << QStringLiteral("cut_Click"); }
    void paste_Click() override { calls << QStringLiteral("paste_Click"); }
    void mnuDown_Click() override { calls << QStringLiteral("mnuDown_Click"); }
    void mnuMake_Click() override { calls << QStringLiteral("mnuMake_Click"); }
    void mnuCurrentCapture_Click() override { calls << QStringLiteral("mnuCurrentCapture_Click"); }
    void Motor_all_off() override { calls << QStringLiteral("Motor_all_off"); }
    void Motor_sel_on() override { calls << QStringLiteral("Motor_sel_on"); }
    void Motor_sel_in() override { calls << QStringLiteral("Motor_sel_in"); }

    QMdiArea* area = nullptr;
    DocTabStrip* tabs = nullptr;
    platform::CommonDialog dialog;
    QLabel panel2;
    QAction tipOption;
    QMenu editMenu;
    QStringList calls;
    int labelsCleared = 0;
    bool newCreatesDocument = true;
};

// A host shown offscreen, the colouring language registered, no settings
// file (every editor setting at its default) and empty document arrays.
class DocWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        modApp::SetAppPath(dir_.path());
        modApp::ResetDocuments();
        modApp::DefineEditorLanguage();
        host_ = new DocTestHost;
        frmDoc::SetHost(host_);
        host_->show();
    }

    void TearDown() override {
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        frmDoc::SetHost(nullptr);
        delete host_;
        modApp::ResetDocuments();
        modApp::SetAppPath(QString());
        modAPI::CloseCancelled = false;
        modMain::DocWindowState = 0;
        modMain::AppClosing = false;
    }

    // The keys of the tabs, left to right.
    QStringList TabKeys() const {
        QStringList keys;
        for (int i = 0; i < host_->tabs->count(); ++i) keys << host_->tabs->KeyAt(i);
        return keys;
    }

    QTemporaryDir dir_;
    DocTestHost* host_ = nullptr;
};
