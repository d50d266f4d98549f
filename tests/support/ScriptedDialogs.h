// Test-side helpers that answer message boxes, file dialogs and shell calls,
// so no test ever waits on a window or starts an outside program.  Each is a
// scope guard: it installs its responder on construction and restores the
// previous one on destruction, and it records every call.
//
//   ScriptedMsgBox boxes;
//   boxes.Answer(platform::vbNo);
//   ... code under test shows a Yes/No box ...
//   EXPECT_EQ(boxes.Calls().size(), 1u);
//
// A box or dialog that arrives with no scripted answer left is a test
// failure; it is answered with the box's default button (or a cancel).
#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <vector>

#include "platform/CommonDialog.h"
#include "platform/MsgBox.h"
#include "platform/Shell.h"

class ScriptedMsgBox {
public:
    ScriptedMsgBox();
    ~ScriptedMsgBox();
    ScriptedMsgBox(const ScriptedMsgBox&) = delete;
    ScriptedMsgBox& operator=(const ScriptedMsgBox&) = delete;

    // Queues the answer to the next box.
    ScriptedMsgBox& Answer(int16_t result);
    // Runs `look` for each box as it is shown, before it is answered: what
    // else is on screen at that moment.
    ScriptedMsgBox& WhenShown(std::function<void(const platform::MsgBoxCall&)> look);
    const std::vector<platform::MsgBoxCall>& Calls() const { return calls_; }
    size_t Pending() const { return answers_.size(); }

private:
    std::deque<int16_t> answers_;
    std::vector<platform::MsgBoxCall> calls_;
    std::function<void(const platform::MsgBoxCall&)> look_;
    platform::MsgBoxResponder previous_;
};

class ScriptedFileDialog {
public:
    ScriptedFileDialog();
    ~ScriptedFileDialog();
    ScriptedFileDialog(const ScriptedFileDialog&) = delete;
    ScriptedFileDialog& operator=(const ScriptedFileDialog&) = delete;

    ScriptedFileDialog& Choose(const QString& path, int filterIndex = 0);
    ScriptedFileDialog& Cancel();
    const std::vector<platform::FileDialogCall>& Calls() const { return calls_; }
    size_t Pending() const { return answers_.size(); }

private:
    std::deque<platform::FileDialogAnswer> answers_;
    std::vector<platform::FileDialogCall> calls_;
    platform::FileDialogResponder previous_;
};

// Records shell-open and help targets instead of handing them to the desktop.
class ShellRecorder {
public:
    ShellRecorder();
    ~ShellRecorder();
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    const std::vector<QString>& Opened() const { return opened_; }
    const std::vector<QString>& Help() const { return help_; }

private:
    std::vector<QString> opened_;
    std::vector<QString> help_;
    platform::ShellHandler previousShell_;
    platform::ShellHandler previousHelp_;
};
