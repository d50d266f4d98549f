// The real-time servo window against the simulated controller: the main
// window started as the program does, a document to take limits from and
// MOVE lines into, and the window opened from the Controller menu.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>

#include "MotionModules.h"
#include "WaitFor.h"
#include "documents/Documents.h"
#include "editor/frmDoc.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/MainWindowTools.h"
#include "motion/ServoKnob.h"
#include "motion/frmMove32_G6.h"
#include "platform/CodeEditor.h"
#include "tests/mainwindow/SimulatedControllerFixture.h"

class Move32Test : public SimulatedControllerTest {
protected:
    void SetUp() override {
        SimulatedControllerTest::SetUp();
        if (HasFatalFailure()) return;
        ResetMotionModules();
        WaitLongForAFramesRest(sim());
        // A frame that an earlier test broke off keeps the line quiet.
        ASSERT_TRUE(motion_wait::QuietLine());
        // Every motor in the middle of its range unless a test says otherwise.
        for (int i = 0; i < 32; ++i) sim_->setServoPosition(i, 100);
    }

    void TearDown() override {
        if (sim_) PrintTheLineOnFailure(*sim_);
        if (frmMove32_G6* w = frmMove32_G6::Loaded()) {
            w->close();
            Settle();
        }
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        SimulatedControllerTest::TearDown();
        ResetMotionModules();
    }

    // The main window with one new document holding `text`.
    frmMain& StartWithDocument(const QString& text = QString()) {
        frmMain& w = Start();
        w.new_Click();
        if (!text.isEmpty()) Editor()->SetWholeText(text);
        return w;
    }

    static platform::CodeEditor* Editor() { return modApp::DocumentEditor(modApp::ActiveDoc); }

    // Opens the window from the Controller menu; the window, or nullptr.
    frmMove32_G6* OpenFromMenu() {
        Main().mnuMotorControl->trigger();
        return frmMove32_G6::Loaded();
    }

    // Motor i switched on in the controller's flag block (model 2).
    void SetMotorFlag(int motor) {
        const int address = ControllerSim::motorFlagBase(2) + motor / 8;
        sim_->setRam(address, static_cast<uint8_t>(sim_->ram(address) | (1u << (motor % 8))));
    }

    // What the host sent since the last clear, once everything is answered.
    Bytes Wire() {
        EXPECT_TRUE(sim_->waitIdle(2000));
        return sim_->received();
    }

    // Lets deferred deletions and queued calls run.
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    // Memory read of model 2 (F7, address low, high, reply request).
    static void Read(Bytes& out, int address) {
        out.insert(out.end(), {0xF7, static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(address >> 8), 0});
    }
    // Memory write of model 2.
    static void Write(Bytes& out, int address, uint8_t value) {
        out.insert(out.end(), {0xF8, static_cast<uint8_t>(address & 0xFF), static_cast<uint8_t>(address >> 8), value});
    }
};
