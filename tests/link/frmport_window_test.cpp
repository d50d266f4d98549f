// The port settings window: it shows the live port and time-out, keeps its
// text box and slider in step while the user types, applies both to the live
// link on OK (the next exchange uses the new port and waits no longer than
// the new time-out) and changes nothing on Cancel.  Driven with Qt Test
// input events on the offscreen platform.
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "LinkFixture.h"
#include "link/frmPort.h"

class PortWindowTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        main().TimeOut.setInterval(3000);
        if (QLabel* p = main().Panel(2)) p->setText(QStringLiteral("COM 1"));
    }
    void TearDown() override {
        delete frmPort::Loaded();
        qunsetenv("QVV2_COM3");
        LinkTest::TearDown();
    }

    // Replaces the text box's contents by typing `keys` into it.
    static void Type(frmPort& w, const QString& keys) {
        w.txtTimeOut->selectAll();
        QTest::keyClick(w.txtTimeOut, Qt::Key_Backspace);
        QTest::keyClicks(w.txtTimeOut, keys);
    }

    static QString Panel2() { return main().Panel(2) ? main().Panel(2)->text() : QString(); }
};

TEST_F(PortWindowTest, ShowsTheLivePortAndTimeOut) {
    ASSERT_TRUE(main().Comm.setCommPort(5));
    main().TimeOut.setInterval(1234);
    frmPort w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Port Setting Window"));
    EXPECT_EQ(w.Frame3->title(), QStringLiteral(" Port "));
    EXPECT_EQ(w.optPort[1]->text(), QStringLiteral("Com Port (Serial Type)"));
    EXPECT_EQ(w.Label6->text(), QStringLiteral("Port No :"));
    EXPECT_EQ(w.Label8->text(), QStringLiteral("Communication Over Time :"));
    EXPECT_EQ(w.Label10->text(), QStringLiteral("Fast"));
    EXPECT_EQ(w.Label11->text(), QStringLiteral("Slow"));
    EXPECT_EQ(w.Label9->text(), QStringLiteral("msec"));
    EXPECT_EQ(w.cmd_ok->text(), QStringLiteral("OK"));
    EXPECT_EQ(w.cmd_cancel->text(), QStringLiteral("Cancel"));

    ASSERT_EQ(w.cmbComm->count(), 16);
    EXPECT_EQ(w.cmbComm->itemText(0), QStringLiteral("COM1"));
    EXPECT_EQ(w.cmbComm->itemText(15), QStringLiteral("COM16"));
    EXPECT_EQ(w.cmbComm->currentIndex(), 4);
    EXPECT_EQ(w.txtTimeOut->text(), QStringLiteral("1234"));
    EXPECT_EQ(w.sldTimeOut->value(), 1234);
    EXPECT_EQ(w.sldTimeOut->minimum(), 1);
    EXPECT_EQ(w.sldTimeOut->maximum(), 10000);
    EXPECT_EQ(w.sldTimeOut->tickInterval(), 200);

    w.show();
    EXPECT_TRUE(w.optPort[1]->isChecked());
    EXPECT_TRUE(w.optPort[1]->isEnabled());
    EXPECT_TRUE(w.picComm->isVisible());
    EXPECT_TRUE(w.cmd_ok->isDefault());
}

TEST_F(PortWindowTest, KoreanTexts) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    frmPort w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("포트 설정창"));
    EXPECT_EQ(w.Frame3->title(), QStringLiteral(" 포트 "));
    EXPECT_EQ(w.optPort[1]->text(), QStringLiteral("직렬통신 포트 (시리얼방식)"));
    EXPECT_EQ(w.Label6->text(), QStringLiteral("포트 번호 :"));
    EXPECT_EQ(w.Label8->text(), QStringLiteral("통신 초과 시간 :"));
    EXPECT_EQ(w.Label10->text(), QStringLiteral("빠름"));
    EXPECT_EQ(w.Label11->text(), QStringLiteral("느림"));
    EXPECT_EQ(w.cmd_ok->text(), QStringLiteral("확인"));
    EXPECT_EQ(w.cmd_cancel->text(), QStringLiteral("취소"));
}

// What the user types, and where the text and the slider end up (the slider
// starts at 3000).
TEST_F(PortWindowTest, TypingKeepsTextAndSliderInStep) {
    struct Case {
        const char* typed;
        const char* text;
        int slider;
    } cases[] = {
        {"5", "5", 3000},           // one small digit: the user may go on typing
        {"50", "50", 50},
        {"20000", "10000", 10000},  // beyond the top
        {"00", "1", 1},             // below the bottom
        {"", "", 3000},             // emptied: the slider stays
        {"-5", "", 3000},           // negative: the text is emptied
        {"-", "-", 3000},           // no number yet
        {"7x", "7", 7},
        {"abc", "1", 1},            // no number in two characters or more
    };
    frmPort w;
    w.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        w.sldTimeOut->setValue(3000);
        Type(w, QString::fromUtf8(c.typed));
        EXPECT_EQ(w.txtTimeOut->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(w.sldTimeOut->value(), c.slider);
        EXPECT_EQ(w.txtTimeOut->cursorPosition(), w.txtTimeOut->text().size());
    }
}

// Texts put in whole (pasted): fractions go to the nearest whole number, a
// half to the even neighbour; numbers too large for a double end at a limit.
TEST_F(PortWindowTest, PastedNumbersEndWithinTheSliderRange) {
    struct Case {
        const char* text;
        const char* shown;
        int slider;
    } cases[] = {
        {"2.5", "2", 2},     {"3.5", "4", 4},         {"99.5", "100", 100},
        {"0.4", "1", 1},     {"1e999", "10000", 10000}, {"-1e999", "", 3000},
        {" 42", "42", 42},   {"10000", "10000", 10000}, {"1e9", "10000", 10000},
    };
    frmPort w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        w.sldTimeOut->setValue(3000);
        w.txtTimeOut->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(w.txtTimeOut->text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(w.sldTimeOut->value(), c.slider);
    }
}

TEST_F(PortWindowTest, MovingTheSliderWritesTheText) {
    frmPort w;
    w.show();
    w.sldTimeOut->setFocus();
    QTest::keyClick(w.sldTimeOut, Qt::Key_End);
    EXPECT_EQ(w.txtTimeOut->text(), QStringLiteral("10000"));
    QTest::keyClick(w.sldTimeOut, Qt::Key_Home);
    EXPECT_EQ(w.txtTimeOut->text(), QStringLiteral("1"));
    QTest::keyClick(w.sldTimeOut, Qt::Key_Right);
    EXPECT_EQ(w.txtTimeOut->text(), QStringLiteral("2"));
    QTest::keyClick(w.sldTimeOut, Qt::Key_PageUp);
    EXPECT_EQ(w.txtTimeOut->text(), QString::number(w.sldTimeOut->value()));
    EXPECT_GT(w.sldTimeOut->value(), 2);
}

// OK closes the open port, switches the live link to the chosen port and
// time-out and shows the port on the status bar; the next exchange opens
// the new port and gives up after the new time-out.
TEST_F(PortWindowTest, OkAppliesPortAndTimeOutToTheLiveLink) {
    open();
    ASSERT_TRUE(main().Comm.PortOpen());
    frmPort w;
    w.show();
    w.cmbComm->setFocus();
    QTest::keyClick(w.cmbComm, Qt::Key_Down);
    QTest::keyClick(w.cmbComm, Qt::Key_Down);
    ASSERT_EQ(w.cmbComm->currentIndex(), 2);
    Type(w, QStringLiteral("120"));
    QTest::mouseClick(w.cmd_ok, Qt::LeftButton);

    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_FALSE(main().Comm.PortOpen());  // not reopened here
    EXPECT_EQ(main().Comm.CommPort(), 3);
    EXPECT_EQ(main().TimeOut.interval(), 120);
    EXPECT_EQ(Panel2(), QStringLiteral("COM 3"));
    EXPECT_EQ(vxIO::CommError, 0);

    // The next command opens port 3 and waits 120 ms for a silent controller.
    qputenv("QVV2_COM3", QByteArray::fromStdString(sim().slavePath()));
    vxIO::OpenComm();
    ASSERT_EQ(vxIO::CommError, 0) << main().Comm.LastError().toStdString();
    EXPECT_EQ(main().Comm.DevicePath(), QString::fromStdString(sim().slavePath()));
    sim().setSilent(true);
    QElapsedTimer clock;
    clock.start();
    vxIO::SendByte(0xFB);
    EXPECT_EQ(vxIO::CommError, vxIO::kErrTimeOut);
    EXPECT_TRUE(vxIO::RxTimedOut());  // the reply time-out of 120 ms ended it
    EXPECT_GE(clock.elapsed(), 100);
    vxIO::CloseComm();
}

// An emptied text box leaves the slider where it was, and OK applies the
// slider's value.
TEST_F(PortWindowTest, OkWithAnEmptyTextAppliesTheSlider) {
    frmPort w;
    w.show();
    Type(w, QStringLiteral("75"));
    Type(w, QString());
    ASSERT_EQ(w.txtTimeOut->text(), QString());
    QTest::mouseClick(w.cmd_ok, Qt::LeftButton);
    EXPECT_EQ(main().TimeOut.interval(), 75);
    EXPECT_EQ(main().Comm.CommPort(), 1);
}

// Cancel, the Escape key and the window's close: nothing is applied and the
// open port stays open.
TEST_F(PortWindowTest, CancelChangesNothing) {
    open();
    const std::function<void(frmPort&)> closers[] = {
        [](frmPort& w) { QTest::mouseClick(w.cmd_cancel, Qt::LeftButton); },
        [](frmPort& w) { QTest::keyClick(&w, Qt::Key_Escape); },
        [](frmPort& w) { w.close(); },
    };
    for (const auto& closeIt : closers) {
        frmPort w;
        w.show();
        w.cmbComm->setCurrentIndex(7);
        Type(w, QStringLiteral("9000"));
        closeIt(w);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Rejected);
        EXPECT_TRUE(main().Comm.PortOpen());
        EXPECT_EQ(main().Comm.CommPort(), 1);
        EXPECT_EQ(main().TimeOut.interval(), 3000);
        EXPECT_EQ(Panel2(), QStringLiteral("COM 1"));
    }
}

// A time-out outside the slider's range (the settings file allows up to
// 65535, and an interval of 0 would never wait) shows at the nearer end, and
// OK applies that end.
TEST_F(PortWindowTest, TimeOutsOutsideTheRangeEndAtTheNearerLimit) {
    struct Case {
        int interval;
        const char* text;
        int applied;
    } cases[] = {{20000, "10000", 10000}, {65535, "10000", 10000}, {0, "1", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        main().TimeOut.setInterval(c.interval);
        frmPort w;
        EXPECT_EQ(w.txtTimeOut->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(w.sldTimeOut->value(), c.applied);
        w.cmd_ok->click();
        EXPECT_EQ(main().TimeOut.interval(), c.applied);
    }
}

// With the parallel port selected the serial panel is hidden, the serial
// option is off and disabled, and OK applies nothing.
TEST_F(PortWindowTest, OtherPortTypeAppliesNothing) {
    open();
    modMain::PortType = 0;
    frmPort w;
    w.show();
    EXPECT_FALSE(w.picComm->isVisible());
    EXPECT_FALSE(w.optPort[1]->isChecked());
    EXPECT_FALSE(w.optPort[1]->isEnabled());
    w.cmbComm->setCurrentIndex(5);
    w.sldTimeOut->setValue(400);
    QTest::mouseClick(w.cmd_ok, Qt::LeftButton);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(main().Comm.CommPort(), 1);
    EXPECT_EQ(main().TimeOut.interval(), 3000);
    EXPECT_EQ(Panel2(), QStringLiteral("COM 1"));
    modMain::PortType = 1;
    EXPECT_TRUE(main().Comm.PortOpen());
}

// The Set menu's port command shows the window modally, owned by the main
// window, and unloads it when it closes; Return presses OK.
TEST_F(PortWindowTest, PortCommandShowsTheWindowModally) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        frmPort* w = frmPort::Loaded();
        if (!w) return;
        seen = true;
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(w->isModal());
        EXPECT_EQ(w->parentWidget(), &main());
        w->cmbComm->setCurrentIndex(15);
        QTest::keyClick(w->txtTimeOut, Qt::Key_Return);
    });
    // Never left waiting should the window not close.
    QObject guard;
    QTimer::singleShot(5000, &guard, [] {
        if (frmPort* w = frmPort::Loaded()) w->reject();
    });
    main().mnuPort->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(frmPort::Loaded(), nullptr);
    EXPECT_EQ(main().Comm.CommPort(), 16);
    EXPECT_EQ(Panel2(), QStringLiteral("COM 16"));
}
