// The serial-port control on its own: settings texts, port numbers, opening
// and closing a pseudo-terminal, line speed changes, a device that goes away.
#include <QSignalSpy>
#include <QTest>

#include "LinkFixture.h"
#include "platform/CommControl.h"

TEST(LinkCommSettings, Parse) {
    platform::CommLineSettings s;
    ASSERT_TRUE(platform::ParseCommSettings(QStringLiteral("9600,n,8,1"), &s));
    EXPECT_EQ(s.baud, 9600);
    EXPECT_EQ(s.parity, QSerialPort::NoParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data8);
    EXPECT_EQ(s.stopBits, QSerialPort::OneStop);
    ASSERT_TRUE(platform::ParseCommSettings(QStringLiteral(" 115200 , E , 7 , 2 "), &s));
    EXPECT_EQ(s.baud, 115200);
    EXPECT_EQ(s.parity, QSerialPort::EvenParity);
    EXPECT_EQ(s.dataBits, QSerialPort::Data7);
    EXPECT_EQ(s.stopBits, QSerialPort::TwoStop);
    for (const char* bad : {"", "9600", "9600,n,8", "9600,x,8,1", "fast,n,8,1", "9600,n,9,1", "9600,n,8,3",
                            "-9600,n,8,1", "9600,n,8,1,1"})
        EXPECT_FALSE(platform::ParseCommSettings(QString::fromLatin1(bad), &s)) << bad;
}

TEST(LinkCommPortNumbers, AdaptersFirstInNumberOrder) {
    const std::vector<platform::CommDevice> devices = {
        {"ttyS1", "/dev/ttyS1", false},      {"ttyUSB10", "/dev/ttyUSB10", true},
        {"ttyS0", "/dev/ttyS0", false},      {"ttyACM0", "/dev/ttyACM0", true},
        {"ttyUSB2", "/dev/ttyUSB2", true},   {"ttyS10", "/dev/ttyS10", false},
        {"ttyS2", "/dev/ttyS2", false},      {"rfcomm0", "/dev/rfcomm0", false},
    };
    EXPECT_EQ(platform::OrderCommDevices(devices),
              (QStringList{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/rfcomm0", "/dev/ttyS0",
                           "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS10"}));
}

TEST(LinkCommPortNumbers, EnvironmentNamesTheDevice) {
    qputenv("QVV2_COM7", "/dev/pts/99");
    EXPECT_EQ(platform::ResolveCommPort(7), QStringLiteral("/dev/pts/99"));
    qunsetenv("QVV2_COM7");
    EXPECT_TRUE(platform::ResolveCommPort(0).isEmpty());
    EXPECT_TRUE(platform::ResolveCommPort(-2).isEmpty());

    platform::CommControl c;
    EXPECT_FALSE(c.setCommPort(0));
    EXPECT_FALSE(c.setCommPort(17));
    EXPECT_EQ(c.CommPort(), 1);
    EXPECT_TRUE(c.setCommPort(16));
    EXPECT_FALSE(c.setSettings(QStringLiteral("9600,q,8,1")));
    EXPECT_EQ(c.Settings(), QStringLiteral("9600,n,8,1"));
    EXPECT_FALSE(c.PortOpen());
    EXPECT_EQ(c.Input(), QByteArray());
    EXPECT_FALSE(c.Output(QByteArray(1, 'x')));
}

TEST_F(LinkTest, CommControlOpensChangesSpeedAndReleases) {
    platform::CommControl& c = main().Comm;
    ASSERT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
    EXPECT_EQ(c.DevicePath(), QString::fromStdString(sim().slavePath()));
    EXPECT_FALSE(c.setCommPort(2));  // not while open
    EXPECT_TRUE(c.setSettings(QStringLiteral("115200,n,8,1")));
    EXPECT_EQ(c.Settings(), QStringLiteral("115200,n,8,1"));

    QSignalSpy events(&c, &platform::CommControl::OnComm);
    ASSERT_TRUE(c.Output(QByteArray("\xEE\xFA", 2)));
    bootup_modMain::RawMode = true;  // read the data here, not in the handler
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.InBufferCount() >= 2; }, 1000));
    bootup_modMain::RawMode = false;
    EXPECT_GE(events.count(), 1);
    EXPECT_EQ(c.Input(), QByteArray("\xEE\xFA", 2));
    EXPECT_EQ(c.InBufferCount(), 0);

    EXPECT_TRUE(c.setSettings(QStringLiteral("9600,n,8,1")));
    EXPECT_TRUE(c.setPortOpen(false));
    EXPECT_TRUE(c.setPortOpen(false));  // closing a closed port is fine
    EXPECT_TRUE(c.setPortOpen(true));   // and the device is free again
    EXPECT_TRUE(c.setPortOpen(false));
}

TEST_F(LinkTest, DeviceThatGoesAwayIsReleased) {
    platform::CommControl& c = main().Comm;
    ASSERT_TRUE(c.setPortOpen(true));
    sim().injectFault(ControllerSim::Fault::HangUp);
    ASSERT_TRUE(c.Output(QByteArray(1, char(0xFB))));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c.PortOpen(); }, 1000));
    EXPECT_FALSE(c.Output(QByteArray(1, char(0xFB))));

    startSim(2);
    EXPECT_TRUE(c.setPortOpen(true)) << c.LastError().toStdString();
}
