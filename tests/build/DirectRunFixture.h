// The main window against the simulated controller, with program texts
// opened in real document windows: the set-up of the direct-run, capture and
// object-view tests.
#pragma once

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include "ControllerSim.h"
#include "DownloadWindowPresser.h"
#include "build/CompilePipeline.h"
#include "documents/Documents.h"
#include "documents/modMain.h"
#include "editor/frmDoc.h"
#include "link/DownloadProgram.h"
#include "link/frmRun.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/MainWindowTools.h"
#include "platform/CodeEditor.h"
#include "tests/mainwindow/MainWindowFixture.h"

using Bytes = std::vector<uint8_t>;

class DirectRunTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        sim_ = std::make_unique<ControllerSim>(2);
        ASSERT_TRUE(sim_->ok());
        qputenv("QVV2_COM1", QByteArray::fromStdString(sim_->slavePath()));
        modMain::CompiledOK = false;
        modMain::Downloaded = false;
        modMain::SnippetImage = false;
        modMain::CapturePending = false;
        modMain::CaptureLine = 0;
        modMain::CaptureFile.clear();
        vxIO::CommError = 0;
        Start();
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        sim_.reset();
        qunsetenv("QVV2_COM1");
        modMain::CapturePending = false;
        modMain::CaptureFile.clear();
    }

    // Writes `text` into a file of the program folder and opens it through
    // the File menu; the caret goes to `caretLine`.
    platform::CodeEditor& Open(const QString& name, const QString& text, int caretLine = 0) {
        // The file holds the text when it is plain ASCII; any other text is
        // put into the editor after opening.
        bool ascii = true;
        for (const QChar ch : text) ascii = ascii && ch.unicode() < 128;
        const QString path = HomeFile(name);
        WriteAll(path, ascii ? text.toLatin1() : QByteArray());
        Dialogs().Choose(path);
        Main().open->trigger();
        frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
        EXPECT_NE(doc, nullptr);
        if (!ascii) doc->rt->SetWholeText(text);
        doc->rt->PutCaret(caretLine, 0);
        return *doc->rt;
    }

    platform::CodeEditor& Editor() { return *modApp::Docs(modApp::ActiveDoc)->rt; }

    // What the host sent since the last call, once the controller has
    // answered all of it; the log starts afresh.
    Bytes Wire() {
        EXPECT_TRUE(sim_->waitIdle(30000));
        Bytes bytes = sim_->received();
        sim_->clearLogs();
        return bytes;
    }

    ControllerSim& sim() { return *sim_; }

    // Ctrl+D in the document window, and OK in the download window once it
    // shows; whether it showed.
    bool DownloadByKeyPressingOK() {
        return RunPressingDownloadOK([this] { QTest::keyClick(&Editor(), Qt::Key_D, Qt::ControlModifier); });
    }

private:
    std::unique_ptr<ControllerSim> sim_;
};
