// Link error codes, their texts and the error box.
#include "LinkFixture.h"

TEST_F(LinkTest, EveryCodeHasItsText) {
    struct Row {
        int16_t code;
        int textId;
        const char* english;
    };
    const Row rows[] = {
        {-1, 3002, "Can't open communication port."},
        {-2, 3003, "Can't close communication port."},
        {-3, 3004, ".."},
        {-4, 3005, "Exceed data communication time."},
        {-5, 3006, "Errors in data transmission."},
        {-6, 3007, "Errors in communication port."},
        {-7, 3008, "Errors in used data array."},
        {-10, 3009, "Errors in controller information."},
        {-11, 3005, "Exceed data communication time."},
        {-12, 3010, "Errors in controller."},
        {-21, 3011, "Errors in program object code."},
        {-22, 3012, "Too big size of object code."},
        {-23, 3013, "Too many variables."},
        {-24, 3014, "Errors in verified codes during communication."},
        {-25, 3014, "Errors in verified codes during communication."},
        {-26, 3015, "Errors"},
        {-9, 3015, "Errors"},
        {-13, 3015, "Errors"},
        {0, 3015, "Errors"},
        {7, 3015, "Errors"},
        {-32768, 3015, "Errors"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(vxIO::CommErrorTextId(r.code), r.textId) << r.code;
        EXPECT_EQ(vxIO::CommErrorMessage(r.code),
                  QStringLiteral("Error Code : %1\r\n%2\r\nCheck controller status, power and interface cable.")
                      .arg(r.code)
                      .arg(QString::fromUtf8(r.english)))
            << r.code;
    }
    // A positive code is written without a blank in front.
    EXPECT_TRUE(vxIO::CommErrorMessage(7).startsWith(QStringLiteral("Error Code : 7\r\n")));
}

TEST_F(LinkTest, ErrorBoxInKorean) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    boxes_->Answer(platform::vbOK);
    vxIO::ShowCommError(-4);
    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(boxes_->Calls()[0].title, QStringLiteral("컨트롤러 에러"));
    EXPECT_EQ(boxes_->Calls()[0].prompt,
              QStringLiteral("오류코드 : -4\r\n데이터 통신 중 시간이 초과하였습니다.\r\n"
                             "컨트롤러의 상태, 컨트롤러 전원, 인터페이스 케이블의 상태를 확인하시기 바랍니다."));
}

TEST_F(LinkTest, ErrorBoxClosesThePortAndTheWaitWindow) {
    open();
    frmWait::Load().show();
    ASSERT_NE(frmWait::Loaded(), nullptr);
    vxIO::CommError = -5;

    boxes_->Answer(platform::vbOK).Answer(platform::vbOK);
    vxIO::ShowCommError(vxIO::CommError);

    ASSERT_EQ(boxes_->Calls().size(), 1u);
    EXPECT_EQ(boxes_->Calls()[0].title, QStringLiteral("Controller Error"));
    EXPECT_EQ(boxes_->Calls()[0].style, platform::vbOKOnly | platform::vbInformation);
    EXPECT_EQ(boxes_->Calls()[0].prompt,
              QStringLiteral("Error Code : -5\r\nErrors in data transmission.\r\n"
                             "Check controller status, power and interface cable."));
    EXPECT_FALSE(main().Comm.PortOpen());
    EXPECT_EQ(vxIO::CommError, 0);
    EXPECT_EQ(frmWait::Loaded(), nullptr);

    // A code of the caller's own, with nothing open, shows its own text.
    vxIO::ShowCommError(-25);
    ASSERT_EQ(boxes_->Calls().size(), 2u);
    EXPECT_TRUE(boxes_->Calls()[1].prompt.contains(QStringLiteral("Errors in verified codes during communication.")));
    EXPECT_EQ(vxIO::CommError, 0);
}
