// The download driver (modMain::DownloadProgram) and the download window:
// a compiled program travels through the window into the controller and
// reads back; refusals and failures are reported and never flagged as
// downloaded; the window is usable again after every fault.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include "download_support.h"

namespace {

QString ErrorBox(int code, const char* text) {
    return QStringLiteral("Error Code : %1\r\n%2\r\nCheck controller status, power and interface cable.")
        .arg(code)
        .arg(QLatin1String(text));
}

}  // namespace

class DownloadWindowTest : public DownloadTest {
protected:
    void TearDown() override {
        delete frmRun::Loaded();
        DownloadTest::TearDown();
    }

    // Opens the window, presses OK and returns when OK has run.
    void RunWindow() {
        frmRun w;
        w.show();
        ASSERT_TRUE(w.cmdOK->isVisible());
        ASSERT_FALSE(w.FrameDown->isVisible());
        w.cmdOK->click();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Accepted);
        EXPECT_FALSE(w.Busy());
        lastBar_ = w.ShpDownloadState->width();
        lastTrack_ = w.ShpDownBack->width();
    }

    // The image as the controller holds it: ObjCode without its unused index 0.
    Bytes Compiled() const { return Bytes(basic_.ObjCode.begin() + 1, basic_.ObjCode.begin() + basic_.TotalBytes + 1); }

    int lastBar_ = -1;
    int lastTrack_ = -2;
};

TEST_F(DownloadWindowTest, ACompiledProgramArrivesByteForByteAndReadsBack) {
    Compile(Program(60));
    ASSERT_GT(basic_.TotalBytes, 256);  // more than one block
    {
        frmRun w;
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Download Window"));
        EXPECT_EQ(w.lblProgram->text(), QStringLiteral("walk.bas"));
        EXPECT_EQ(w.lblCompileMsg->text(),
                  QStringLiteral("[Total %1 Bytes] is created.").arg(basic_.TotalBytes));
        EXPECT_EQ(w.FrameDown->title(), QStringLiteral(" Download Status "));
    }

    RunWindow();
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_TRUE(modMain::Downloaded);
    EXPECT_EQ(sim().downloadedImage(), Compiled());
    EXPECT_EQ(lastBar_, lastTrack_);
    ExpectAtRest();

    // The firmware check came first, then the download.
    const Bytes w = wire();
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w[0], 0xF0);
    EXPECT_NE(std::find(w.begin(), w.end(), 0xED), w.end());

    // The header read back is the compiled one.
    vxIO::OpenComm();
    vxIO::ControllerInfo info;
    vxIO::GetControllerInfo(info);
    ASSERT_EQ(vxIO::CommError, 0);
    vxIO::CloseComm();
    EXPECT_EQ(info.ProgramName, QStringLiteral("walk.bas"));
    EXPECT_EQ(info.ProgramDate, QStringLiteral("2026/12/8"));
    EXPECT_EQ(info.ProgramTime, QStringLiteral("8:15:30"));
    EXPECT_EQ(info.ProgramSize, basic_.TotalBytes);
    for (int a = 0; a < 16; ++a) EXPECT_EQ(sim().program(a), basic_.ObjCode[static_cast<size_t>(a) + 1]) << a;
}

TEST_F(DownloadWindowTest, CancelClosesTheWindowAndSendsNothing) {
    Compile(Program(2));
    frmRun w;
    w.show();
    w.cmdCancel->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_FALSE(sim().waitForReceived(1, 30));
    EXPECT_FALSE(modMain::Downloaded);
}

TEST_F(DownloadWindowTest, EachFaultIsReportedAndTheWindowIsUsableAgain) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    struct Case {
        const char* what;
        std::function<void(ControllerSim&)> inject;
        int code;
        const char* text;
        bool newController;
    };
    const Case cases[] = {
        {"wrong block sum reply", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::BadSum, 1); },
         -26, "Errors", false},
        {"silence after a block", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::Silence, 1); },
         -4, "Exceed data communication time.", false},
        {"hang-up mid-download", [](ControllerSim& s) { s.injectBlockFault(ControllerSim::BlockFault::HangUp, 1); },
         -6, "Errors in communication port.", true},
    };
    Compile(Program(60));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
        modMain::Downloaded = true;  // an earlier download of this program
        c.inject(sim());
        RunWindow();
        ASSERT_EQ(boxes_->Calls().size(), 2u);
        EXPECT_EQ(Box(0), ErrorBox(c.code, c.text));
        EXPECT_EQ(Box(1), QStringLiteral("Problems on downloading."));
        EXPECT_EQ(BoxTitle(1), QStringLiteral("Download Error"));
        EXPECT_EQ(boxes_->Calls()[1].style, platform::vbOKOnly);
        // The failure is the transfer's, whatever the error code says after
        // the box closed the port.
        EXPECT_FALSE(modMain::Downloaded);
        EXPECT_EQ(vxIO::CommError, 0);
        ExpectAtRest();

        if (c.newController) startSim(2);
        const int before = sim().downloadCount();
        RunWindow();
        EXPECT_EQ(boxes_->Calls().size(), 2u);
        EXPECT_TRUE(modMain::Downloaded);
        EXPECT_EQ(sim().downloadCount(), before + 1);
        EXPECT_EQ(sim().downloadedImage(), Compiled());
        ExpectAtRest();
    }
}

TEST_F(DownloadWindowTest, DownloadNeedsAGoodCompileAndSendsNothingOtherwise) {
    struct Case {
        const char* what;
        std::function<void(qvv2::QUARVELv2&)> spoil;
    };
    const Case cases[] = {
        {"compile flag off", [](qvv2::QUARVELv2&) { modMain::CompiledOK = false; }},
        {"error pending", [](qvv2::QUARVELv2& b) { b.Bas_Error = 5; }},
        {"header only", [](qvv2::QUARVELv2& b) { b.TotalBytes = 16; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Compile(Program(2));
        c.spoil(basic_);
        modMain::Downloaded = true;
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        EXPECT_FALSE(modMain::DownloadProgram());
        ASSERT_EQ(boxes_->Calls().size(), 1u);
        EXPECT_EQ(Box(0), QStringLiteral("Problems in program.\r\nPlease, check your program !"));
        EXPECT_EQ(BoxTitle(0), QStringLiteral("Compile Error"));
        EXPECT_EQ(boxes_->Calls()[0].style, platform::vbCritical);
        EXPECT_TRUE(modMain::Downloaded);  // a refusal sends nothing and changes nothing
        EXPECT_FALSE(sim().waitForReceived(1, 30));
        ExpectAtRest();
    }
}

TEST_F(DownloadWindowTest, NothingDownloadedIsNeverFlaggedAsDownloaded) {
    Compile(Program(2));

    // The parallel port: the transfer is the link's, which sends nothing; the
    // driver neither opens nor closes the serial port.
    modMain::PortType = 0;
    ASSERT_TRUE(main().Comm.setPortOpen(true));
    modMain::Downloaded = true;
    EXPECT_FALSE(modMain::DownloadProgram());
    EXPECT_FALSE(modMain::Downloaded);
    EXPECT_TRUE(main().Comm.PortOpen());
    ASSERT_TRUE(main().Comm.setPortOpen(false));
    modMain::PortType = 1;

    // A controller type without the fast download.
    modMain::ControllerType = 5;
    EXPECT_FALSE(modMain::DownloadProgram());
    EXPECT_FALSE(modMain::Downloaded);
    EXPECT_FALSE(sim().waitForReceived(1, 30));
    modMain::ControllerType = 8;

    // A port that cannot be opened: the link's box says so.
    qputenv("QVV2_COM1", "/nonexistent/tty");
    boxes_->Answer(platform::vbOK);
    EXPECT_FALSE(modMain::DownloadProgram());
    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(Box(0), ErrorBox(-1, "Can't open communication port.") + QStringLiteral("\r\nDevice: /nonexistent/tty"));
    EXPECT_FALSE(modMain::Downloaded);
    ExpectAtRest();
}

TEST_F(DownloadWindowTest, OtherControllerTypesSkipTheFirmwareCheck) {
    Compile(Program(2));
    modMain::ControllerType = 5;
    boxes_->Answer(platform::vbOK);
    RunWindow();
    // No version read, and no fast download for this type.
    EXPECT_FALSE(sim().waitForReceived(1, 30));
    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(Box(0), QStringLiteral("Problems on downloading."));
}

// A controller that answers late makes the version check give up after its
// 500 ms; the check's reply still arrives, and with it the controller starts
// waiting for the rest of the check's frame.  The download's first byte must
// neither be taken for an answer to the late reply nor go into that frame:
// the line stays quiet for the quiet time from the late reply's arrival.
// Here the controller waits almost the floor of the quiet time for a frame's
// rest; the last case answers just before the quiet time that began when
// the check gave up is over.
TEST_F(DownloadWindowTest, ALateAnsweringControllerStillGetsItsDownload) {
    Compile(Program(60));
    const int checkMs = bootup_modMain::kFirmwareReadTimeOutMs;
    const int quietMs = std::max(kTimeOutMs, vxIO::kQuietFloorMs);
    sim().setFrameTimeOut(vxIO::kQuietFloorMs - 100);
    for (const int lateMs : {1000, 2000, checkMs + vxIO::kQuietFloorMs - 100}) {
        SCOPED_TRACE(lateMs);
        vxIO::SetLinkControls(vxIO::Link());  // a clean line for each case
        modMain::Downloaded = false;
        sim().clearLogs();
        sim().injectFault(ControllerSim::Fault::LateReply, 0, lateMs);
        RunWindow();
        EXPECT_TRUE(boxes_->Calls().empty());
        EXPECT_TRUE(modMain::Downloaded);
        EXPECT_EQ(sim().downloadedImage(), Compiled());
        ExpectAtRest();
        const Bytes w = wire();
        ASSERT_GE(w.size(), 2u);
        EXPECT_EQ(w[0], 0xF0);  // the check was tried first
        EXPECT_EQ(w[1], 0xFA);  // then the download's stop
        const auto sentAt = sim().sentTimes();
        ASSERT_FALSE(sentAt.empty());
        const double gapMs = std::chrono::duration<double, std::milli>(sim().receivedTimes()[1] - sentAt[0]).count();
        EXPECT_GE(gapMs, quietMs - 5) << "the stop followed the late reply after " << gapMs << " ms";
    }
}

TEST_F(DownloadWindowTest, TheWindowCannotBeClosedWhileOkRuns) {
    Compile(Program(60));
    frmRun w;
    w.show();
    bool busySeen = false, stillVisible = false;
    QTimer::singleShot(30, &w, [&] {
        busySeen = w.Busy();
        w.close();
        w.reject();
        stillVisible = w.isVisible();
    });
    w.cmdOK->click();
    EXPECT_TRUE(busySeen);
    EXPECT_TRUE(stillVisible);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(modMain::Downloaded);
}

TEST_F(DownloadWindowTest, KoreanTexts) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    Compile(Program(2));
    frmRun w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("다운로드 창"));
    EXPECT_EQ(w.lblCompileMsg->text(), QStringLiteral("[총 %1 바이트] 코드 생성").arg(basic_.TotalBytes));
    EXPECT_EQ(w.cmdOK->text(), QStringLiteral("확인"));
    EXPECT_EQ(w.cmdCancel->text(), QStringLiteral("취소"));
    EXPECT_EQ(w.Label3->text(), QStringLiteral("코드확인 :"));
}
