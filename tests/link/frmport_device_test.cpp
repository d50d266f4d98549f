// The port settings window names the device each port number reaches: two
// pseudo-terminals reached as COM1 and COM2, nothing as COM3.  The label
// follows the user's choice in the list, in the interface language.
//
// With QVV2_SHOTS set to a folder, ScreenshotsOfTheDeviceLine also saves
// pictures of the window there in the language of the system locale (run it
// under a real display server with "-platform xcb" to see the real fonts).
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <memory>

#include "LinkFixture.h"
#include "link/frmPort.h"
#include "platform/CommControl.h"

class PortDeviceTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        second_ = std::make_unique<ControllerSim>(2);
        ASSERT_TRUE(second_->ok());
        qputenv("QVV2_COM2", QByteArray::fromStdString(second_->slavePath()));
        // No device as COM3, whatever serial ports this machine has.
        qputenv("QVV2_COM3", "");
    }
    void TearDown() override {
        delete frmPort::Loaded();
        qunsetenv("QVV2_COM2");
        qunsetenv("QVV2_COM3");
        second_.reset();
        LinkTest::TearDown();
    }

    QString First() { return QString::fromStdString(sim().slavePath()); }
    QString Second() { return QString::fromStdString(second_->slavePath()); }

    std::unique_ptr<ControllerSim> second_;
};

TEST_F(PortDeviceTest, EachNumberShowsItsDeviceOrNone) {
    EXPECT_EQ(platform::DescribeCommPort(1), First());
    EXPECT_EQ(platform::DescribeCommPort(2), Second());
    EXPECT_EQ(platform::DescribeCommPort(3), QString());
    EXPECT_EQ(platform::DescribeCommPort(0), QString());

    // The window opens on the live port's device.
    ASSERT_TRUE(main().Comm.setCommPort(2));
    frmPort w;
    w.show();
    EXPECT_EQ(w.cmbComm->currentText(), QStringLiteral("COM2"));
    EXPECT_EQ(w.lblDevice->text(), Second());

    // The user moves through the list with the keyboard; the label follows.
    struct Step {
        Qt::Key key;
        const char* entry;
        QString device;
    };
    const Step steps[] = {
        {Qt::Key_Up, "COM1", First()},
        {Qt::Key_Down, "COM2", Second()},
        {Qt::Key_Down, "COM3", QStringLiteral("none")},
        {Qt::Key_Up, "COM2", Second()},
    };
    for (const Step& s : steps) {
        QTest::keyClick(w.cmbComm, s.key);
        EXPECT_EQ(w.cmbComm->currentText(), QLatin1String(s.entry));
        EXPECT_EQ(w.lblDevice->text(), s.device) << s.entry;
    }

    // A device that appears while the window is open shows on the next choice.
    qputenv("QVV2_COM3", QByteArray::fromStdString(sim().slavePath()));
    w.cmbComm->setCurrentIndex(2);
    EXPECT_EQ(w.lblDevice->text(), First());

    // Cancel: the live port is unchanged.
    w.cmd_cancel->click();
    EXPECT_EQ(main().Comm.CommPort(), 2);
}

TEST_F(PortDeviceTest, NoneIsInTheInterfaceLanguage) {
    struct Case {
        QLocale locale;
        QString none;
    };
    const Case cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), QStringLiteral("none")},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("없음")},
        {QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("なし")},
        {QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("无")},
    };
    ASSERT_TRUE(main().Comm.setCommPort(3));
    for (const Case& c : cases) {
        QLocale::setDefault(c.locale);
        frmPort w;
        EXPECT_EQ(w.lblDevice->text(), c.none) << c.locale.name().toStdString();
        w.cmbComm->setCurrentIndex(0);
        EXPECT_EQ(w.lblDevice->text(), First()) << c.locale.name().toStdString();
    }
}

TEST_F(PortDeviceTest, ScreenshotsOfTheDeviceLine) {
    const QString folder = qEnvironmentVariable("QVV2_SHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "QVV2_SHOTS names no folder";
    ASSERT_TRUE(QDir().mkpath(folder));
    QLocale::setDefault(QLocale::system());
    const QString language = QLocale::system().name().left(2);
    for (int16_t port : {1, 3}) {
        ASSERT_TRUE(main().Comm.setCommPort(port));
        frmPort w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(100);
        const QString file = QDir(folder).filePath(QStringLiteral("frmport-%1-com%2.png").arg(language).arg(port));
        EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
    }
}
