// The main window's test set-up with a simulated controller (model 2)
// reached as port 1: the simulator is made before the test starts the main
// window and goes after the main window is gone.
#pragma once

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ControllerSim.h"
#include "tests/mainwindow/MainWindowFixture.h"

using Bytes = std::vector<uint8_t>;

class SimulatedControllerTest : public MainWindowTest {
protected:
    // A time-out short enough for tests that wait for an answer never sent.
    static constexpr int kShortTimeOutMs = 250;

    // A derived SetUp goes on only when this one has no fatal failure.
    void SetUp() override {
        MainWindowTest::SetUp();
        if (HasFatalFailure()) return;
        sim_ = std::make_unique<ControllerSim>(2);
        ASSERT_TRUE(sim_->ok());
        qputenv("QVV2_COM1", QByteArray::fromStdString(sim_->slavePath()));
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        sim_.reset();
        qunsetenv("QVV2_COM1");
    }

    ControllerSim& sim() { return *sim_; }

    std::unique_ptr<ControllerSim> sim_;
};
