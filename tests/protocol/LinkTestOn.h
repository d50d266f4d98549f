// Shared set-up of the link tests: a host of the real serial control and
// the link's timers (the protocol tests' own host, or the main window for
// the link windows' tests), and a simulated controller on a pseudo-terminal
// reached as port 1.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QLocale>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControllerSim.h"
#include "protocol/LinkSettings.h"
#include "protocol/bootup_modMain.h"
#include "protocol/vxIO_Protocol.h"

using Bytes = std::vector<uint8_t>;

// Host: a default-constructible class with the members Comm, TimeOut and
// TimeDelay that registers them as the link's controls while it exists.
template <class Host>
class LinkTestOn : public ::testing::Test {
public:
    // The reply time-out: generous, so that a loaded machine does not turn a
    // slow answer into a failure.  A test that waits for the time-out on
    // purpose (a silent or faulty controller) switches to the short one,
    // which keeps it fast and is still far above a round trip on a
    // pseudo-terminal.
    static constexpr int kTimeOutMs = 3000;
    static constexpr int kShortTimeOutMs = 250;

protected:
    static void SetUpTestSuite() { host_ = new Host; }
    static void TearDownTestSuite() {
        delete host_;
        host_ = nullptr;
    }

    void SetUp() override {
        // The host lives for the whole suite; registering its controls again
        // starts the link's state afresh (no quiet time left by the test
        // before, the receipt flags clear, the quiet time's floor at its
        // default), and an abort a test left standing is lifted.
        const vxIO::LinkControls link = vxIO::Link();
        ASSERT_EQ(link.Comm, &main().Comm) << "the host's controls are not the link's";
        vxIO::SetLinkControls(link);
        vxIO::EndAbort();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        modMain::PortType = 1;
        modMain::ControllerType = 8;
        modMain::ControllerID = 2;
        bootup_modMain::RawMode = false;
        bootup_modMain::FirmwareReadTimeOutMs = bootup_modMain::kFirmwareReadTimeOutMs;
        vxIO::Init();
        vxIO::CommError = 0;
        SetTimeOut(kTimeOutMs);
        ASSERT_TRUE(main().Comm.setCommPort(1));
        ASSERT_TRUE(main().Comm.setSettings(QStringLiteral("9600,n,8,1")));
        startSim(2);
    }

    void TearDown() override {
        main().Comm.setPortOpen(false);
        bootup_modMain::RawMode = false;
        bootup_modMain::FirmwareReadTimeOutMs = bootup_modMain::kFirmwareReadTimeOutMs;
        modMain::PortType = 1;
        sim_.reset();
        qunsetenv("QVV2_COM1");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    static Host& main() { return *host_; }

    // Sets the reply time-out, and the interval the link must leave set.
    void SetTimeOut(int ms) {
        timeOutMs_ = ms;
        main().TimeOut.setInterval(ms);
    }
    ControllerSim& sim() { return *sim_; }

    // A fresh simulated controller of the model, reached as port 1.
    void startSim(int model) {
        sim_ = std::make_unique<ControllerSim>(model);
        ASSERT_TRUE(sim_->ok());
        qputenv("QVV2_COM1", QByteArray::fromStdString(sim_->slavePath()));
    }

    // The link at rest: port closed, line settings as before, raw mode off,
    // no timer armed.
    void ExpectAtRest() {
        EXPECT_FALSE(main().Comm.PortOpen());
        EXPECT_EQ(main().Comm.Settings(), QStringLiteral("9600,n,8,1"));
        EXPECT_FALSE(bootup_modMain::RawMode);
        EXPECT_FALSE(main().TimeOut.isActive());
        EXPECT_EQ(main().TimeOut.interval(), timeOutMs_);
    }

    // Opens the port and forgets what the simulator saw so far.
    void open() {
        vxIO::OpenComm();
        ASSERT_EQ(vxIO::CommError, 0) << main().Comm.LastError().toStdString();
        sim_->clearLogs();
    }

    // What the host sent, once the simulator has answered all of it.
    Bytes wire() {
        EXPECT_TRUE(sim_->waitIdle(2000));
        return sim_->received();
    }

    // How late the line-paced simulator carried the burst of `count` bytes
    // whose first byte it received as byte `first`, after the host had
    // handed the burst over at `handed`: the most any of its bytes started
    // after the moment a real line would have started it, counting the
    // simulator's own delay in reading the line's speed for it (ms; a large
    // value when the simulator has not received it all).  A pseudo-terminal passes
    // written bytes to its other side from a kernel worker, and the
    // simulator's thread is one of many; on a busy machine either can run a
    // few milliseconds late, where a real line never is.  A test of what
    // reaches the line before a close or a speed change repeats its case
    // when the simulated line itself was late, instead of blaming the host
    // for bytes the line took late.
    double LineLateMs(size_t first, size_t count, std::chrono::steady_clock::time_point handed) const {
        const auto at = sim_->receivedTimes();
        const auto speeds = sim_->receivedSpeeds();
        const auto taken = sim_->receivedLateness();
        if (first + count > at.size() || first + count > speeds.size() || first + count > taken.size() ||
            speeds[first] <= 0)
            return 1e9;
        const auto charTime = std::chrono::nanoseconds(10'000'000'000LL / speeds[first]);
        double late = 0;
        for (size_t i = 0; i < count; ++i) {
            const auto due = handed + charTime * static_cast<int64_t>(i);
            const auto started = at[first + i] - charTime;
            late = std::max(late, std::chrono::duration<double, std::milli>(started - due + taken[first + i]).count());
        }
        return late;
    }
    // The lateness up to which a case counts: well inside the margin the
    // serial layer leaves after the last byte's line time.
    static constexpr double kLineLateLimitMs = 1.0;
    static constexpr int kLineAttempts = 6;

    // What a case of a line-paced test does after an attempt whose bytes
    // travelled as expected or not, on a simulated line that ran `lateMs`
    // late: judged, tried again, or, after the last attempt, left unjudged.
    // A simulator that runs late reads the line's speed late, after the
    // host may rightly have changed it: speeds as expected still show that
    // the host changed nothing too early, but other speeds show nothing,
    // and the simulator's own lateness must never fail a test of the
    // program.  A test with unjudged cases judges its others and then ends
    // as skipped (SKIP_IF_UNJUDGED), naming them.
    enum class LineAttempt { Judge, Again, Unjudged };
    LineAttempt AfterLineAttempt(bool asExpected, double lateMs, int attempt, const std::string& what) {
        if (asExpected || lateMs <= kLineLateLimitMs) return LineAttempt::Judge;
        if (attempt < kLineAttempts) return LineAttempt::Again;
        unjudged_ += (unjudged_.empty() ? "" : "; ") + what;
        return LineAttempt::Unjudged;
    }
    const std::string& Unjudged() const { return unjudged_; }

    static inline Host* host_ = nullptr;
    std::unique_ptr<ControllerSim> sim_;
    int timeOutMs_ = kTimeOutMs;
    std::string unjudged_;
};

// Process CPU time in milliseconds.
double ProcessCpuMs();

// Ends a line-paced test as skipped when the simulated line left cases of it
// unjudged (LinkTestOn::AfterLineAttempt).
#define SKIP_IF_UNJUDGED()                                                                          \
    do {                                                                                            \
        if (!Unjudged().empty())                                                                    \
            GTEST_SKIP() << "the simulated line ran late in every attempt, left unjudged: " << Unjudged(); \
    } while (false)
