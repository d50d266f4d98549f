// The user's close of the main window from the window system (its title
// bar's button, the window manager) while the modal download window is open:
// the request goes in as the platform hands it to Qt, where a modal window's
// block applies to it.  The download window ends first (a transfer at the
// byte in flight, a firmware update only at its end), then the program's
// own close runs with its save question.
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>

#include "SimulatedControllerFixture.h"
#include "TestFirmware.h"
#include "WindowSystem.h"
#include "documents/Documents.h"
#include "documents/StringTable.h"
#include "documents/modMain.h"
#include "editor/frmDoc.h"
#include "link/frmRun.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "platform/CodeEditor.h"
#include "platform/MsgBox.h"
#include "tests/build/DownloadWindowPresser.h"

namespace {

// A slow controller's answers come this late.
constexpr int kSlowMs = 120;
// How long a test waits for a state it expects before it gives up and fails.
constexpr int kGiveUpMs = 30000;

// What the screen held when a box came up.
struct BoxMoment {
    QString title;
    bool downloadWindowOpen = false;
    bool afterClose = false;
    // Reply time-outs that had run out since the close: the close ends the
    // wait in flight itself, without waiting for the controller's answer or
    // the link's time-out.
    int timeOutsSinceClose = 0;
};

class WindowSystemCloseTest : public SimulatedControllerTest {
protected:
    // A modified program of about 5,000 bytes (20 blocks), compiled.
    void CompileProgram() {
        QString text = QStringLiteral("DIM A AS BYTE\r\nLOOP1:\r\n");
        text += QStringLiteral("MOVE 10,100,110,120,130,140\r\n").repeated(700);
        text += QStringLiteral("A = A + 1\r\nGOTO LOOP1\r\n");
        modApp::Docs(modApp::ActiveDoc)->rt->SetWholeText(text);
        Main().mnuMake->trigger();
        ASSERT_TRUE(modMain::CompiledOK);
        ASSERT_GT(Main().basic.TotalBytes, 19 * 256);
        ASSERT_TRUE(Boxes().Calls().empty());
    }

    // Runs the download command (pressing OK when `pressOk`); `closeNow` is
    // asked every 5 ms while it runs and asks for the window system's close
    // the first time it answers true, `afterClose` runs on each turn after
    // that.  Returns whether the close was asked for, once every box queued
    // has been answered (the program's save question the last).
    bool DownloadClosingWhen(bool pressOk, const std::function<bool()>& closeNow,
                             const std::function<void()>& afterClose = {}) {
        Boxes().WhenShown([this](const platform::MsgBoxCall& call) {
            moments_.push_back({call.title, frmRun::Loaded() != nullptr, sinceClose_.isValid(), timeOutsSinceClose_});
        });
        QTimer poll;
        QObject::connect(&Main().TimeOut, &QTimer::timeout, &poll, [this] {
            if (sinceClose_.isValid()) ++timeOutsSinceClose_;
        });
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (sinceClose_.isValid()) {
                if (afterClose) afterClose();
                // A window the close left standing is cancelled after a
                // while, so that the test ends (and fails).
                frmRun* window = frmRun::Loaded();
                if (window && !window->Busy() && sinceClose_.elapsed() > 3000) window->cmdCancel->click();
                return;
            }
            if (!closeNow()) return;
            receivedAtClose_ = sim().received().size();
            sinceClose_.start();
            RequestCloseFromWindowSystem(&Main());
        });
        poll.start();
        if (pressOk)
            (void)RunPressingDownloadOK([this] { Main().mnuDown->trigger(); });
        else
            Main().mnuDown->trigger();
        poll.stop();
        // The program's own close follows once the window has gone.
        EXPECT_TRUE(QTest::qWaitFor([this] { return Boxes().Pending() == 0; }, kGiveUpMs));
        return sinceClose_.isValid();
    }

    // The save question's title.
    static QString SaveTitle() { return LoadResString(4549); }

    std::vector<BoxMoment> moments_;
    // Started when the close is asked for (it also times the rescue of a
    // window the close left standing).
    QElapsedTimer sinceClose_;
    int timeOutsSinceClose_ = 0;
    size_t receivedAtClose_ = 0;
};

struct CloseCase {
    const char* name;
    bool pressOk;
    // How the controller behaves, and when to ask for the close.
    void (*arrange)(ControllerSim& sim);
    bool (*closeNow)(ControllerSim& sim);
    int16_t saveAnswer;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class CloseDuringDownloadWindow : public WindowSystemCloseTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseDuringDownloadWindow, EndsTheWindowThenAsksToSave) {
    const CloseCase& c = GetParam();
    frmMain& w = Start();
    CompileProgram();
    Boxes().Answer(c.saveAnswer);
    c.arrange(sim());
    const bool asked = DownloadClosingWhen(c.pressOk, [&] { return c.closeNow(sim()); });
    ASSERT_TRUE(asked);

    // The one box is the save question, with the download window gone
    // without waiting for the byte in flight's answer or its time-out.
    ASSERT_EQ(moments_.size(), 1u);
    EXPECT_EQ(moments_[0].title, SaveTitle());
    EXPECT_FALSE(moments_[0].downloadWindowOpen);
    EXPECT_TRUE(moments_[0].afterClose);
    EXPECT_EQ(moments_[0].timeOutsSinceClose, 0);
    EXPECT_EQ(frmRun::Loaded(), nullptr);
    EXPECT_FALSE(modMain::Downloaded);
    EXPECT_FALSE(w.Comm.PortOpen());
    // Nothing went to the controller after the byte in flight.
    EXPECT_TRUE(sim().waitIdle(kGiveUpMs));
    EXPECT_EQ(sim().received().size(), receivedAtClose_);
    EXPECT_EQ(sim().downloadCount(), 0);

    if (c.saveAnswer != platform::vbCancel) {
        EXPECT_TRUE(w.Unloaded());
        return;
    }
    // Cancelled: the program stays, and its link works again.
    EXPECT_FALSE(w.Unloaded());
    EXPECT_FALSE(vxIO::Aborted());
    sim().setReplyDelay(0);
    ASSERT_TRUE(RunPressingDownloadOK([&] { w.mnuDown->trigger(); }));
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_TRUE(TookDownloads(sim(), 1));
    EXPECT_EQ(sim().downloadCount(), 1);
    EXPECT_EQ(Boxes().Calls().size(), 1u);
}

void AnswersAtOnce(ControllerSim&) {}
void AnswersSlowly(ControllerSim& sim) { sim.setReplyDelay(kSlowMs); }
// Takes three blocks, then answers no more block requests.
void FallsSilentAfterThreeBlocks(ControllerSim& sim) { sim.injectBlockFault(ControllerSim::BlockFault::Silence, 3); }

// The window waits for OK.
bool WindowShown(ControllerSim&) { return frmRun::Loaded() && frmRun::Loaded()->isVisible(); }
// A byte of the version check is out and waits for its late answer: the
// controller has taken one byte more than it has answered (each byte of the
// check has one answer), so the host cannot have sent another yet.
bool InVersionCheck(ControllerSim& sim) {
    const size_t sent = sim.sent().size();
    return sim.blocksTaken() == 0 && sim.received().size() == sent + 1;
}
// The fourth block's request is out and waits for its answer.
bool InTransfer(ControllerSim& sim) {
    const std::vector<uint8_t> received = sim.received();
    return sim.blocksTaken() >= 3 && !received.empty() && received.back() == '?';
}

const CloseCase kCloseCases[] = {
    {"BeforeOk", false, AnswersAtOnce, WindowShown, platform::vbNo},
    {"DuringTheVersionCheck", true, AnswersSlowly, InVersionCheck, platform::vbCancel},
    {"DuringTheTransfer", true, FallsSilentAfterThreeBlocks, InTransfer, platform::vbCancel},
    {"DuringTheTransferAndQuit", true, FallsSilentAfterThreeBlocks, InTransfer, platform::vbNo},
};

INSTANTIATE_TEST_SUITE_P(Moments, CloseDuringDownloadWindow, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

// A firmware update is never cut off: the close waits for its end (the
// window says so meanwhile), no download follows, and the program then
// closes as asked.
TEST_F(WindowSystemCloseTest, AFirmwareUpdateRunsToItsEndBeforeTheProgramCloses) {
    ASSERT_TRUE(QDir(Home()).mkpath(QStringLiteral("firmware")));
    const std::vector<uint8_t> image = GeneratedFirmware(50287);
    WriteAll(HomeFile(QStringLiteral("firmware/controller.fw")),
             QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size())));
    WriteAll(HomeFile(QStringLiteral("firmware/bootloader.ini")), TestBootCodeIni());
    sim().setBootCode(TestBootCode());
    sim().setIdentification({2, 2, 4, 0, 128, 32});  // firmware 2.4: old

    frmMain& w = Start();
    CompileProgram();
    Boxes().Answer(platform::vbOK).Answer(platform::vbNo);
    QString note;
    const bool asked = DownloadClosingWhen(
        true, [&] { return sim().flashBlocks().size() >= 20; },
        [&] {
            if (frmRun* window = frmRun::Loaded(); window && window->Updating()) note = window->Label1->text();
        });
    ASSERT_TRUE(asked);
    EXPECT_EQ(note, QStringLiteral("The program closes once the firmware update has finished."));

    EXPECT_TRUE(sim().flashComplete());
    EXPECT_EQ(sim().flashBlocks().size(), 197u);
    ASSERT_EQ(moments_.size(), 2u);
    EXPECT_EQ(moments_[1].title, SaveTitle());
    EXPECT_FALSE(moments_[1].downloadWindowOpen);
    EXPECT_TRUE(w.Unloaded());
    EXPECT_EQ(sim().downloadCount(), 0);
    // After the end marker the controller heard nothing more.
    const auto times = sim().receivedTimes();
    EXPECT_TRUE(std::none_of(times.begin(), times.end(), [&](auto t) { return t > sim().flashCompleteTime(); }));
    EXPECT_FALSE(w.Comm.PortOpen());
    EXPECT_FALSE(vxIO::Aborted());
}

}  // namespace
