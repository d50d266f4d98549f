// Set-up of the link windows' tests: the main window hosts the link's
// controls, and a message-box responder records every box.
#pragma once

#include <memory>

#include "LinkTestOn.h"
#include "ScriptedDialogs.h"
#include "documents/modMain.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "platform/MsgBox.h"

class LinkTest : public LinkTestOn<frmMain> {
protected:
    void SetUp() override {
        LinkTestOn<frmMain>::SetUp();
        boxes_ = std::make_unique<ScriptedMsgBox>();
    }

    void TearDown() override {
        main().Comm.setPortOpen(false);
        frmWait::Unload();
        boxes_.reset();
        LinkTestOn<frmMain>::TearDown();
    }

    std::unique_ptr<ScriptedMsgBox> boxes_;  // a box nobody expected fails the test
};
