// The error box of a port that would not open names the device it tried, on
// a line of its own after the usual three lines, or says that the port
// number reaches no device.  Other codes keep their three lines.
#include "LinkFixture.h"
#include "platform/CommControl.h"

namespace {

const char* const kOpenEnglish =
    "Error Code : -1\r\nCan't open communication port.\r\nCheck controller status, power and interface cable.";
const char* const kOpenKorean =
    "오류코드 : -1\r\n통신포트를 열지 못했습니다.\r\n"
    "컨트롤러의 상태, 컨트롤러 전원, 인터페이스 케이블의 상태를 확인하시기 바랍니다.";

}  // namespace

class OpenErrorTest : public LinkTest {
protected:
    // Opens port 1 as a link command does, expects -1 and shows its box.
    QString FailedOpenBox() {
        vxIO::OpenComm();
        EXPECT_EQ(vxIO::CommError, -1);
        boxes_->Answer(platform::vbOK);
        const size_t before = boxes_->Calls().size();
        vxIO::ShowCommError(vxIO::CommError);
        EXPECT_EQ(boxes_->Calls().size(), before + 1);
        EXPECT_FALSE(main().Comm.PortOpen());
        return boxes_->Calls().empty() ? QString() : boxes_->Calls().back().prompt;
    }
};

TEST_F(OpenErrorTest, TheBoxNamesTheDeviceItTried) {
    struct Case {
        const char* what;
        QLocale locale;
        QByteArray device;  // QVV2_COM1
        QString expected;
    };
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale korean(QLocale::Korean, QLocale::SouthKorea);
    const Case cases[] = {
        {"missing device", english, "/dev/no-such-tty",
         QString::fromUtf8(kOpenEnglish) + QStringLiteral("\r\nDevice: /dev/no-such-tty")},
        {"no device for the number", english, "",
         QString::fromUtf8(kOpenEnglish) + QStringLiteral("\r\nNo serial device was found for COM1.")},
        {"missing device, Korean", korean, "/dev/no-such-tty",
         QString::fromUtf8(kOpenKorean) + QStringLiteral("\r\n장치: /dev/no-such-tty")},
        {"no device for the number, Korean", korean, "",
         QString::fromUtf8(kOpenKorean) + QStringLiteral("\r\nCOM1에 연결된 시리얼 장치를 찾지 못했습니다.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QLocale::setDefault(c.locale);
        qputenv("QVV2_COM1", c.device);
        EXPECT_EQ(FailedOpenBox(), c.expected);
    }
}

TEST_F(OpenErrorTest, ABusyDeviceIsNamedAndOtherCodesKeepTheirThreeLines) {
    // Another program holds the controller's port.
    platform::CommControl other;
    ASSERT_TRUE(other.setPortOpen(true)) << other.LastError().toStdString();
    EXPECT_EQ(FailedOpenBox(), QString::fromUtf8(kOpenEnglish) + QStringLiteral("\r\nDevice: ") +
                                   QString::fromStdString(sim().slavePath()));
    ASSERT_TRUE(other.setPortOpen(false));

    // A time-out after a good open: no device line.
    sim().setSilent(true);
    vxIO::OpenComm();
    ASSERT_EQ(vxIO::CommError, 0);
    vxIO::SendByte(0xFB);
    ASSERT_EQ(vxIO::CommError, -4);
    boxes_->Answer(platform::vbOK);
    vxIO::ShowCommError(vxIO::CommError);
    ASSERT_FALSE(boxes_->Calls().empty());
    EXPECT_EQ(boxes_->Calls().back().prompt, QStringLiteral("Error Code : -4\r\nExceed data communication time.\r\n"
                                                            "Check controller status, power and interface cable."));
}
