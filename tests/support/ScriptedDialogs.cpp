#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <utility>

ScriptedMsgBox::ScriptedMsgBox() {
    previous_ = platform::SetMsgBoxResponder([this](const platform::MsgBoxCall& call) -> int16_t {
        calls_.push_back(call);
        if (look_) look_(call);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected message box: " << call.prompt.toStdString();
            return platform::MsgBoxDefaultResult(call.style);
        }
        const int16_t answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

ScriptedMsgBox::~ScriptedMsgBox() { platform::SetMsgBoxResponder(previous_); }

ScriptedMsgBox& ScriptedMsgBox::Answer(int16_t result) {
    answers_.push_back(result);
    return *this;
}

ScriptedMsgBox& ScriptedMsgBox::WhenShown(std::function<void(const platform::MsgBoxCall&)> look) {
    look_ = std::move(look);
    return *this;
}

ScriptedFileDialog::ScriptedFileDialog() {
    previous_ = platform::SetFileDialogResponder([this](const platform::FileDialogCall& call) {
        calls_.push_back(call);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << call.title.toStdString();
            return platform::FileDialogAnswer::Cancel();
        }
        const platform::FileDialogAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

ScriptedFileDialog::~ScriptedFileDialog() { platform::SetFileDialogResponder(previous_); }

ScriptedFileDialog& ScriptedFileDialog::Choose(const QString& path, int filterIndex) {
    answers_.push_back(platform::FileDialogAnswer::Choose(path, filterIndex));
    return *this;
}

ScriptedFileDialog& ScriptedFileDialog::Cancel() {
    answers_.push_back(platform::FileDialogAnswer::Cancel());
    return *this;
}

ShellRecorder::ShellRecorder() {
    previousShell_ = platform::SetShellHandler([this](const QString& target) {
        opened_.push_back(target);
        return true;
    });
    previousHelp_ = platform::SetHelpHandler([this](const QString& target) {
        help_.push_back(target);
        return true;
    });
}

ShellRecorder::~ShellRecorder() {
    platform::SetShellHandler(previousShell_);
    platform::SetHelpHandler(previousHelp_);
}
