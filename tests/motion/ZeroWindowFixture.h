// Set-up shared by the zero-point window tests: the main window started as
// the program starts it (with its new document), a simulated controller
// reached as port 1, and the expected wire bytes of the protocol's steps.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <initializer_list>
#include <utility>

#include "MotionModules.h"
#include "WaitFor.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/MainWindowTools.h"
#include "motion/ZeroPoints.h"
#include "platform/CodeEditor.h"
#include "tests/mainwindow/SimulatedControllerFixture.h"

class ZeroWindowTest : public SimulatedControllerTest {
protected:
    void SetUp() override {
        SimulatedControllerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetMotionModules();
        WaitLongForAFramesRest(sim());
        // A frame that an earlier test broke off keeps the line quiet.
        ASSERT_TRUE(motion_wait::QuietLine());
        savedWindows_ = MainWindowTools::Windows();
        Start();
        vxIO::CommError = 0;
    }

    void TearDown() override {
        if (sim_) PrintTheLineOnFailure(*sim_);
        MainWindowTools::Windows() = savedWindows_;
        Main().Comm.setPortOpen(false);
        SimulatedControllerTest::TearDown();
        ResetMotionModules();
    }

    // What the host sent, once the simulator has answered all of it.
    Bytes wire() {
        EXPECT_TRUE(sim_->waitIdle(2000));
        return sim_->received();
    }

    // Opens a zero-point window (object name `form`) from its menu item and
    // reads the controller into it; the window, or nullptr (with a failure)
    // when it did not open or its Read did not finish.
    ZeroPoints::Window* OpenAndRead(QAction* menu, const char* form) {
        menu->trigger();
        auto* w = Main().findChild<ZeroPoints::Window*>(QLatin1String(form));
        if (!w) {
            ADD_FAILURE() << form << " did not open";
            return nullptr;
        }
        w->cmdRead->click();
        if (!w->ReadDone) {
            ADD_FAILURE() << form << ": Read did not finish";
            return nullptr;
        }
        EXPECT_TRUE(sim().waitIdle(2000));
        return w;
    }

    // The controller's working copy holds the zero bytes of these (servo,
    // value) pairs, and no message box came up; then the window's Close key
    // closes it.
    void ExpectZeroValuesThenClose(std::initializer_list<std::pair<int, int16_t>> values,
                                   QPointer<ZeroPoints::Window>& w) {
        for (const auto& [servo, value] : values)
            EXPECT_EQ(sim().ram(ZeroPoints::kZeroAddress + servo), ZeroPoints::ValueToByte(value)) << servo;
        EXPECT_TRUE(Boxes().Calls().empty());
        w->cmdClose->click();
        ASSERT_TRUE(motion_wait::Until([&] { return !w; }));
    }

    platform::CodeEditor* Editor() {
        frmDoc* doc = modApp::Docs(modApp::ActiveDoc);
        return doc ? doc->rt : nullptr;
    }

    // The menus the motion lock disables.
    bool MotionMenusEnabled() {
        return Main().mnuController->menuAction()->isEnabled() && Main().mnuBuild->menuAction()->isEnabled() &&
               Main().mnuSet->menuAction()->isEnabled() && Main().mnuMotorControl->isEnabled() &&
               Main().mnuMotorControlKESTRA->isEnabled();
    }

    static void Add(Bytes& b, std::initializer_list<int> bytes) {
        for (int v : bytes) b.push_back(static_cast<uint8_t>(v));
    }
    static int Lo(int a) { return a & 0xFF; }
    static int Hi(int a) { return (a >> 8) & 0xFF; }
    // Memory write and read of model 2, and an EEPROM write.
    static void WriteMem(Bytes& b, int address, int value) { Add(b, {0xF8, Lo(address), Hi(address), value}); }
    static void ReadMem(Bytes& b, int address) { Add(b, {0xF7, Lo(address), Hi(address), 0}); }
    static void WriteEe(Bytes& b, int address, int value) {
        Add(b, {0xB4, 0x4B, Lo(address), Hi(address), value, value});
    }
    static void BlockRead(Bytes& b, int command) { Add(b, {command, 0, 0, 0, 0, 0, 0, 0, 0}); }

    MainWindowTools::ToolWindows savedWindows_;
};
