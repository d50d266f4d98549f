// The controller information window: the values the controller reports, the
// error box of a failed read-out (after which the window closes itself), and
// the controller menu's command that opens it.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "LinkFixture.h"
#include "link/frmInfo.h"

namespace {

QString ErrorBox(int code, const char* text) {
    return QStringLiteral("Error Code : %1\r\n%2\r\nCheck controller status, power and interface cable.")
        .arg(code)
        .arg(QLatin1String(text));
}

// Saves a picture of the window when QUARVEL_SCREENSHOTS names a folder.
void Screenshot(QWidget& w, const char* name) {
    const QString folder = qEnvironmentVariable("QUARVEL_SCREENSHOTS");
    if (folder.isEmpty()) return;
    w.show();
    QCoreApplication::processEvents();
    w.grab().save(folder + QLatin1Char('/') + QLatin1String(name));
}

}  // namespace

class FrmInfoTest : public LinkTest {
protected:
    void SetUp() override {
        LinkTest::SetUp();
        modMain::InfoBusy = false;
    }

    // A program header in the controller: name (8 bytes), date, time, size.
    void StoreHeader(const char* name, uint8_t yy, uint8_t mo, uint8_t d, uint8_t h, uint8_t mi, uint8_t s, int size) {
        for (int a = 0; a < 8; ++a) sim().setProgram(a, static_cast<uint8_t>(name[a]));
        const uint8_t rest[] = {yy, mo, d, h, mi, s, static_cast<uint8_t>(size & 0xFF), static_cast<uint8_t>(size >> 8)};
        for (int a = 0; a < 8; ++a) sim().setProgram(8 + a, rest[a]);
    }

    static std::vector<QString> Values(const frmInfo& w) {
        std::vector<QString> v;
        for (QLabel* l : w.lbl) v.push_back(l->text());
        return v;
    }

    void ExpectAtRest() {
        EXPECT_FALSE(main().Comm.PortOpen());
        EXPECT_EQ(frmWait::Loaded(), nullptr);
        EXPECT_FALSE(main().TimeOut.isActive());
    }
};

TEST_F(FrmInfoTest, ShowsWhatTheControllerReports) {
    sim().setIdentification({2, 2, 7, 0, 128, 32});
    sim().setRam(1266, 0x0D);
    sim().setRam(1267, 0xC9);
    StoreHeader("ab      ", 26, 12, 8, 8, 5, 30, 300);

    frmInfo w(&main());
    EXPECT_TRUE(boxes_->Calls().empty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Controller Information"));
    EXPECT_EQ(w.Frame1->title(), QStringLiteral(" Controller "));
    EXPECT_EQ(w.Frame2->title(), QStringLiteral(" Program "));
    EXPECT_EQ(w.Label10->text(), QStringLiteral("Checksum :"));
    EXPECT_EQ(w.Label9->text(), QStringLiteral("Size :"));
    const std::vector<QString> expected = {"2",   "2.7",     "56 KBytes", "128 Bytes", "32",
                                           "0DC9", "ab      ", "2026/12/8", "8:5:30",    "300 Bytes"};
    EXPECT_EQ(Values(w), expected);
    ExpectAtRest();
    Screenshot(w, "frmInfo_en.png");

    // Shown, it stays up until OK.
    w.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    w.cmdOK->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), QDialog::Accepted);
}

TEST_F(FrmInfoTest, ChecksumIsFourUpperCaseHexDigits) {
    struct Case {
        uint8_t kind;
        uint8_t high, low;
        const char* text;
    };
    const Case cases[] = {
        {2, 0x0D, 0xC9, "0DC9"}, {2, 0x00, 0x00, "0000"}, {2, 0xFF, 0xFF, "FFFF"}, {2, 0x00, 0x0A, "000A"},
        {1, 0x0D, 0xC9, "0000"},  // only kind 2 keeps the word
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        sim().setIdentification({c.kind, 3, 1, 0, 64, 16});
        sim().setRam(1266, c.high);
        sim().setRam(1267, c.low);
        frmInfo w(&main());
        EXPECT_EQ(w.lbl[5]->text(), QLatin1String(c.text));
        EXPECT_EQ(w.lbl[0]->text(), QString::number(c.kind));
        EXPECT_EQ(w.lbl[1]->text(), QStringLiteral("3.1"));
    }
    EXPECT_TRUE(boxes_->Calls().empty());
}

TEST_F(FrmInfoTest, AFailedReadOutShowsItsErrorOnceAndTheWindowClosesItself) {
    SetTimeOut(kShortTimeOutMs);  // the time-out ends these
    struct Case {
        const char* what;
        std::function<void(ControllerSim&)> inject;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"identification 0", [](ControllerSim& s) { s.setIdentification({0, 2, 7, 0, 128, 32}); }, -10,
         "Errors in controller information."},
        {"no controller", [](ControllerSim& s) { s.setSilent(true); }, -4, "Exceed data communication time."},
        {"wrong echo", [](ControllerSim& s) { s.injectFault(ControllerSim::Fault::WrongEcho, 0); }, -5,
         "Errors in data transmission."},
        {"port cannot be opened", [](ControllerSim&) { qputenv("QVV2_COM1", "/nonexistent/tty"); }, -1,
         "Can't open communication port."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startSim(2);
        boxes_.reset();
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        c.inject(sim());
        frmInfo w(&main());
        ASSERT_EQ(boxes_->Calls().size(), 1u);
        const QString device = c.code == -1 ? QStringLiteral("\r\nDevice: /nonexistent/tty") : QString();
        EXPECT_EQ(boxes_->Calls()[0].prompt, ErrorBox(c.code, c.text) + device);
        for (QLabel* l : w.lbl) EXPECT_TRUE(l->text().isEmpty());
        ExpectAtRest();
        w.show();
        for (int i = 0; i < 5 && w.isVisible(); ++i) QCoreApplication::processEvents();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
}

TEST_F(FrmInfoTest, TheMenuOpensTheWindowModallyAndItsUnloadAllowsTheNextOpen) {
    sim().setIdentification({2, 2, 7, 0, 128, 32});
    // Answers the window once it runs modally (the read-out before it runs
    // the event queue too).
    QString seen;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* w = qobject_cast<frmInfo*>(QApplication::activeModalWidget());
        if (!w) return;
        closer.stop();
        seen = w->lbl[3]->text();
        w->cmdOK->click();
    });
    closer.start();
    modMain::InfoBusy = false;
    main().mnuConInfo->trigger();
    EXPECT_EQ(seen, QStringLiteral("128 Bytes"));
    EXPECT_FALSE(closer.isActive());
    EXPECT_FALSE(modMain::InfoBusy);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ExpectAtRest();

    // A failed read-out never blocks on a modal loop.
    sim().setIdentification({0, 0, 0, 0, 0, 0});
    boxes_->Answer(platform::vbOK);
    main().mnuConInfo->trigger();
    EXPECT_EQ(boxes_->Calls().size(), 1u);
    ExpectAtRest();
}

// A controller that never took a program: its header memory is erased (all
// 0xFF) or cleared (all 0x00).  The controller's values are shown and the
// program's stay empty, in a single-byte and a double-byte code page (where
// 0xFF 0xFF decodes to replacement characters); a header that is blank but
// for one byte is a program and shows as one.
TEST_F(FrmInfoTest, AControllerWithoutAProgramShowsNoProgramValues) {
    struct Case {
        const char* what;
        QLocale::Language language;
        uint8_t fill;
        int oddAddress;  // -1: none; else this header byte is 0x11
        std::vector<QString> program;  // lbl 6..9
    };
    const std::vector<Case> cases = {
        {"erased, English", QLocale::English, 0xFF, -1, {"", "", "", ""}},
        {"erased, Korean", QLocale::Korean, 0xFF, -1, {"", "", "", ""}},
        {"cleared, English", QLocale::English, 0x00, -1, {"", "", "", ""}},
        {"cleared, Korean", QLocale::Korean, 0x00, -1, {"", "", "", ""}},
        {"cleared but its size", QLocale::English, 0x00, 14,
         {QString(8, QChar(0)), "2000/0/0", "0:0:0", "17 Bytes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QLocale::setDefault(c.language == QLocale::Korean ? QLocale(QLocale::Korean, QLocale::SouthKorea)
                                                          : QLocale(QLocale::English, QLocale::UnitedStates));
        sim().setIdentification({2, 2, 7, 0, 128, 32});
        for (int a = 0; a < 16; ++a) sim().setProgram(a, c.fill);
        for (int a = 0; a < 8; ++a) sim().setEeprom(a, c.fill);
        if (c.oddAddress >= 0) sim().setProgram(c.oddAddress, 0x11);

        frmInfo w(&main());
        EXPECT_TRUE(boxes_->Calls().empty());
        const std::vector<QString> values = Values(w);
        EXPECT_EQ(values[0], QStringLiteral("2"));
        EXPECT_EQ(values[1], QStringLiteral("2.7"));
        EXPECT_EQ(std::vector<QString>(values.begin() + 6, values.end()), c.program);
        ExpectAtRest();

        // The window is usable: it stays up until OK.
        w.show();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.isVisible());
        w.cmdOK->click();
    }
}

TEST_F(FrmInfoTest, KoreanCaptionsAndUnits) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    sim().setIdentification({2, 2, 7, 0, 128, 32});
    StoreHeader("walk    ", 26, 1, 2, 3, 4, 5, 1234);
    frmInfo w(&main());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("컨트롤러 정보"));
    EXPECT_EQ(w.cmdOK->text(), QStringLiteral("확인"));
    EXPECT_EQ(w.lbl[2]->text(), QStringLiteral("56 K바이트"));
    EXPECT_EQ(w.lbl[9]->text(), QStringLiteral("1234 바이트"));
    Screenshot(w, "frmInfo_ko.png");
}
