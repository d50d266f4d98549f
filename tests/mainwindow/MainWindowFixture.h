// A program folder of its own for each test, with the module state the main
// window's start-up reads and writes put back to its defaults, and the main
// window built and loaded as the program does it.
#pragma once

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "documents/Documents.h"
#include "documents/RecentFiles.h"
#include "documents/modAPI.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "ScriptedDialogs.h"
#include "mainwindow/frmMain.h"

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        savedCurrent_ = QDir::currentPath();
        modApp::SetAppPath(home_.path());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ResetState();
    }

    void TearDown() override {
        main_.reset();
        modApp::SetRecentMenuSetter({});
        modApp::SetAppPath(QString());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QDir::setCurrent(savedCurrent_);
        ResetState();
    }

    static void ResetState() {
        modReg::MainWindow = modReg::MainWindowSettings{};
        modReg::Link = modReg::LinkSettings{};
        modMain::ControllerType = 0;
        modMain::ControllerID = 1;
        modMain::PortType = 0;
        modMain::NavVisible = true;
        modMain::NavWidth = 2000;
        modMain::DocWindowState = 0;
        modMain::AppClosing = false;
        modApp::ShowWhitespace = false;
        modApp::HighlightLine = true;
        modApp::RecentFiles = {};
        modAPI::CloseCancelled = false;
        modAPI::DialogFilter.clear();
        modApp::ResetDocuments();
    }

    // Every message box and file dialog is answered here, so no test ever
    // waits for a user; one that comes without a queued answer fails the test.
    ScriptedMsgBox& Boxes() { return boxes_; }
    ScriptedFileDialog& Dialogs() { return dialogs_; }

    QString Home() const { return home_.path(); }
    QString HomeFile(const QString& name) const { return QDir(home_.path()).filePath(name); }

    static QByteArray ReadAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void WriteAll(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // Builds the main window, runs its start-up with `commandLine` and shows
    // it, as the program does.  A window of an earlier start goes first, as
    // a program has one at a time (it gives up its registrations when it
    // goes).
    frmMain& Start(const QString& commandLine = QString()) {
        main_.reset();
        main_ = std::make_unique<frmMain>();
        main_->CommandLine = commandLine;
        main_->MDIForm_Load();
        main_->show();
        return *main_;
    }
    frmMain& Main() { return *main_; }

private:
    ScriptedMsgBox boxes_;
    ScriptedFileDialog dialogs_;
    QTemporaryDir home_;
    QString savedCurrent_;
    std::unique_ptr<frmMain> main_;
};
