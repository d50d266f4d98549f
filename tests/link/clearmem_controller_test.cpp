// Clearing the controller's memory (vxIO::ClearMemory, from the controller
// menu): after the confirmation the controller holds the compiled endless
// loop; a refusal sends nothing; a link fault shows its error box and never
// the success message.
#include <QAction>

#include "download_support.h"
#include "mainwindow/MainWindowTools.h"

namespace {

const QString kQuestion = QStringLiteral("Do you want to clear memory in contoller ?\r\nCan't  recovery cleared memory.");

QString ErrorBox(int code, const char* text) {
    return QStringLiteral("Error Code : %1\r\n%2\r\nCheck controller status, power and interface cable.")
        .arg(code)
        .arg(QLatin1String(text));
}

}  // namespace

class ClearMemTest : public DownloadTest {
protected:
    // The loop as an independent compile makes it, under the given name.
    Bytes LoopImage(const std::u16string& name) {
        qvv2::QUARVELv2 c;
        c.cmdLang = basic_.cmdLang;
        c.CodePage = basic_.CodePage;
        c.Clock = basic_.Clock;
        c.Con_ID = basic_.Con_ID;
        c.Filename = name;
        std::u16string text = u"STARTPROGRAM:\r\nGOTO STARTPROGRAM";
        c.Compile(text);
        EXPECT_EQ(c.Bas_Error, 0);
        return Bytes(c.ObjCode.begin() + 1, c.ObjCode.begin() + c.TotalBytes + 1);
    }

    void ExpectConfirmation(size_t index) {
        ASSERT_LT(index, boxes_->Calls().size());
        EXPECT_EQ(Box(index), kQuestion);
        EXPECT_EQ(BoxTitle(index), QStringLiteral("Clear Memory"));
        EXPECT_EQ(boxes_->Calls()[index].style, platform::vbOKCancel | platform::vbQuestion);
    }
};

TEST_F(ClearMemTest, TheMenuCommandReplacesTheProgramWithTheEndlessLoop) {
    Compile(Program(60));
    ASSERT_TRUE(modMain::DownloadProgram());
    const int32_t documentBytes = basic_.TotalBytes;
    const int before = sim().downloadCount();

    boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
    main().mnuMemClear->trigger();

    ASSERT_EQ(boxes_->Calls().size(), 2u);
    ExpectConfirmation(0);
    EXPECT_EQ(Box(1), QStringLiteral("Clear memory is OK !"));
    EXPECT_EQ(BoxTitle(1), QStringLiteral("OK"));
    EXPECT_EQ(boxes_->Calls()[1].style, platform::vbInformation);

    // The controller holds exactly the loop, named after the untitled text.
    EXPECT_EQ(sim().downloadCount(), before + 1);
    const Bytes loop = LoopImage(u"Untitled");
    EXPECT_EQ(sim().downloadedImage(), loop);
    EXPECT_EQ(Bytes(loop.begin(), loop.begin() + 8), Bytes({'U', 'n', 't', 'i', 't', 'l', 'e', 'd'}));
    // The compiler now holds the loop, not the document.
    EXPECT_EQ(basic_.Filename, u"Untitled");
    EXPECT_EQ(basic_.TotalBytes, static_cast<int32_t>(loop.size()));
    EXPECT_LT(basic_.TotalBytes, documentBytes);
    EXPECT_GT(basic_.TotalBytes, 16);
    // The end of the code jumps to itself.
    const size_t n = loop.size();
    EXPECT_EQ(loop[n - 3], 0xC4);
    EXPECT_EQ(loop[n - 2] + 256 * loop[n - 1], static_cast<int>(n) - 3);
    // What was downloaded before is gone from the controller.
    EXPECT_FALSE(modMain::Downloaded);
    ExpectAtRest();
}

TEST_F(ClearMemTest, CancelCompilesNothingAndSendsNothing) {
    Compile(Program(2));
    modMain::Downloaded = true;
    const auto image = basic_.ObjCode;
    const int32_t bytes = basic_.TotalBytes;

    boxes_->Answer(platform::vbCancel);
    vxIO::ClearMemory();

    ASSERT_EQ(boxes_->Calls().size(), 1u);
    ExpectConfirmation(0);
    EXPECT_FALSE(sim().waitForReceived(1, 50));
    EXPECT_EQ(basic_.Filename, u"walk.bas");
    EXPECT_EQ(basic_.TotalBytes, bytes);
    EXPECT_EQ(basic_.ObjCode, image);
    EXPECT_TRUE(modMain::Downloaded);
    ExpectAtRest();
}

TEST_F(ClearMemTest, ALinkFaultShowsItsErrorAndNoSuccess) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    struct Case {
        const char* what;
        std::function<void(ControllerSim&)> inject;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"no controller", [](ControllerSim& s) { s.setSilent(true); }, -4, "Exceed data communication time."},
        {"silence mid-transfer", [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::NoReply, 2); },
         -4, "Exceed data communication time."},
        {"wrong echo of the download command", [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::WrongEcho, 0); },
         -5, "Errors in data transmission."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startSim(2);
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
        c.inject(sim());
        vxIO::ClearMemory();
        ASSERT_EQ(boxes_->Calls().size(), 2u);
        ExpectConfirmation(0);
        EXPECT_EQ(Box(1), ErrorBox(c.code, c.text));
        EXPECT_EQ(boxes_->Pending(), 0u);
        EXPECT_EQ(sim().downloadCount(), 0);
        EXPECT_FALSE(modMain::Downloaded);
        ExpectAtRest();
    }
}

TEST_F(ClearMemTest, NothingToTalkToSaysNothingAfterTheQuestion) {
    struct Case {
        const char* what;
        std::function<void()> set;
    };
    const Case cases[] = {
        {"port cannot be opened", [] { qputenv("QVV2_COM1", "/nonexistent/tty"); }},
        {"controller type without the fast download", [] { modMain::ControllerType = 5; }},
        {"parallel port", [] { modMain::PortType = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startSim(2);
        modMain::ControllerType = 8;
        modMain::PortType = 1;
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        c.set();
        vxIO::ClearMemory();
        EXPECT_EQ(boxes_->Calls().size(), 1u);
        EXPECT_FALSE(sim().waitForReceived(1, 30));
        // The loop was compiled all the same.
        EXPECT_EQ(basic_.Filename, u"Untitled");
        modMain::PortType = 1;
        modMain::ControllerType = 8;
        ExpectAtRest();
    }
}

TEST_F(ClearMemTest, KoreanAsksInKoreanAndNamesTheLoopInTheKoreanCodePage) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    qvv2::SetSystemCodePage("CP949");
    basic_.CodePage = "CP949";
    boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
    vxIO::ClearMemory();
    qvv2::SetSystemCodePage("CP1252");

    ASSERT_EQ(boxes_->Calls().size(), 2u);
    EXPECT_EQ(Box(0), QStringLiteral("컨트롤러의 프로그램 메모리를 삭제하시겠습니까 ?\r\n"
                                     "삭제된 프로그램은 다시 되살릴 수 없습니다."));
    EXPECT_EQ(BoxTitle(0), QStringLiteral("메모리 삭제"));
    EXPECT_EQ(Box(1), QStringLiteral("메모리 삭제를 완료했습니다 !"));
    const Bytes image = sim().downloadedImage();
    ASSERT_GE(image.size(), 17u);
    EXPECT_EQ(Bytes(image.begin(), image.begin() + 8), Bytes({0xC1, 0xA6, 0xB8, 0xF1, 0xBE, 0xF8, 0xC0, 0xBD}));
    // An eight-byte name is not a long name: the EEPROM stays untouched.
    for (int a = 0; a < 8; ++a) EXPECT_EQ(sim().eeprom(a), 0) << a;
    ExpectAtRest();
}
