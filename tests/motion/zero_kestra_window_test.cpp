// The humanoid zero-point window against the simulated controller, with a
// robot file whose slots 5 and 23 are not in use: the read's wire sequence,
// live changes and the mirrored nudges, the EEPROM write, the ZERO insert,
// Default and Cancel, a read that fails part way (and the write that stays
// refused), the way out and the close at the program's exit.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

#include "ZeroWindowFixture.h"
#include "motion/ZeroPoints.h"
#include "motion/frmZeroKESTRA.h"
#include "platform/WindowStyle.h"
#include "vxServoUpDown.h"

namespace {

bool Used(int slot) { return slot != 5 && slot != 23; }

// A robot file with every slot in use but 5 and 23.
QByteArray RobotFile() {
    QByteArray text = "[PICTURE]\r\nRobot=nopicture\r\nZero=nopicture\r\n";
    for (int n = 0; n < 24; ++n) {
        text += "[MOTOR" + QByteArray::number(n) + "_PROPERTY]\r\n";
        text += "MotorNo=" + QByteArray::number(n) + "\r\n";
        text += "MotorUse=" + QByteArray(Used(n) ? "1" : "0") + "\r\n";
        text += "ZeroLeft=" + QByteArray::number(n < 12 ? 20 : 300) + "\r\n";
        text += "ZeroTop=" + QByteArray::number(20 + 28 * (n % 12)) + "\r\n";
    }
    return text;
}

std::array<uint8_t, 24> Positions() {
    std::array<uint8_t, 24> p{};
    for (int i = 0; i < 24; ++i) p[static_cast<size_t>(i)] = static_cast<uint8_t>(30 + 6 * i);
    p[7] = 191;  // out of range: not written back
    return p;
}

uint8_t ZeroByte(int i) { return static_cast<uint8_t>(i % 2 == 0 ? i : 256 - i); }  // +i or -i

std::array<uint8_t, 24> Pose() {
    std::array<uint8_t, 24> p{};
    p.fill(100);
    p[1] = p[19] = 76;
    p[2] = p[20] = 145;
    p[3] = p[21] = 93;
    return p;
}

}  // namespace

class KestraZeroTest : public ZeroWindowTest {
protected:
    void SetUp() override {
        ZeroWindowTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(QDir(Home()).mkpath(QStringLiteral("user")));
        WriteAll(HomeFile(QStringLiteral("user/Vortan.dat")), RobotFile());
        const auto positions = Positions();
        for (int i = 0; i < 24; ++i) {
            sim().setServoPosition(i, positions[static_cast<size_t>(i)]);
            sim().setRam(ZeroPoints::kZeroAddress + i, ZeroByte(i));
            sim().setEeprom(ZeroPoints::kZeroEeprom + i, 0x77);
        }
        w_ = new frmZeroKESTRA(&Main());
        w_->show();
    }

    void TearDown() override {
        delete w_.data();
        ZeroWindowTest::TearDown();
    }

    static int16_t ZeroValue(int i) { return ZeroPoints::ByteToValue(ZeroByte(i)); }

    // Stop; three block reads; positions of used slots back with their
    // servos on between the control byte's 15 and 3; zero bytes of used
    // slots; the model's direction bytes; the pose of used slots; every
    // slot on.
    static Bytes ReadWire() {
        Bytes b;
        Add(b, {0xFA});
        for (int k = 0; k < 3; ++k) BlockRead(b, 0xD3 + k);
        WriteMem(b, 960, 15);
        const auto positions = Positions();
        for (int i = 0; i < 24; ++i) {
            const int p = positions[static_cast<size_t>(i)];
            if (!Used(i) || p < 10 || p > 190) continue;
            WriteMem(b, 800 + i, p);
            Add(b, {0xE7, i});
        }
        WriteMem(b, 960, 3);
        for (int i = 0; i < 24; ++i)
            if (Used(i)) ReadMem(b, 832 + i);
        const int dirs[3] = {201, 15, 88};
        for (int k = 0; k < 3; ++k) WriteMem(b, 1255 + k, dirs[k]);
        for (int i = 0; i < 24; ++i)
            if (Used(i)) WriteMem(b, 768 + i, Pose()[static_cast<size_t>(i)]);
        for (int i = 0; i < 24; ++i) Add(b, {0xE7, i});
        return b;
    }

    void Read() {
        sim().clearLogs();
        w_->cmdRead->click();
    }

    std::vector<int> ShownCodes() {
        std::vector<int> codes;
        for (const auto& call : Boxes().Calls())
            codes.push_back(call.prompt.section(QStringLiteral("\r\n"), 0, 0).section(u':', 1).trimmed().toInt());
        return codes;
    }

    QPointer<frmZeroKESTRA> w_;
};

TEST_F(KestraZeroTest, ReadSendsTheSequenceInOrderForUsedSlots) {
    EXPECT_EQ(w_->windowTitle(), QStringLiteral("VORTAN Zero Set"));
    EXPECT_EQ(w_->cmdRead->text(), QStringLiteral("&Read Settings"));
    EXPECT_TRUE(platform::HasCloseButtonRemoved(w_));
    EXPECT_FALSE(w_->cmdWrite->isEnabled());
    EXPECT_TRUE(w_->cmdUP[0]->isEnabled());
    // The built-in picture stays when the robot file names none; the window
    // is sized around it and Close sits in its bottom right corner.
    EXPECT_EQ(w_->Image1->size(), QSize(564, 422));
    EXPECT_EQ(w_->cmdClose->pos(), QPoint(564 - 90, 422 - 32));
    EXPECT_EQ(w_->ZeroUD[0]->pos(), QPoint(20, 20));
    EXPECT_TRUE(w_->ZeroUD[5]->isHidden());
    EXPECT_FALSE(w_->ZeroUD[4]->isHidden());

    Read();
    EXPECT_EQ(wire(), ReadWire());
    EXPECT_TRUE(Boxes().Calls().empty());
    EXPECT_TRUE(w_->ReadDone);
    EXPECT_FALSE(w_->cmdRead->isEnabled());
    for (QPushButton* b : {w_->cmdWrite, w_->cmdInsert, w_->cmdDefault, w_->cmdCancel}) EXPECT_TRUE(b->isEnabled());
    EXPECT_EQ(w_->pb->value(), 100);
    for (int i = 0; i < 24; ++i) {
        // A slot not in use keeps its box as it was.
        EXPECT_EQ(w_->ZeroUD[i]->Value(), Used(i) ? ZeroValue(i) : 100) << i;
        EXPECT_EQ(w_->ZeroUD[i]->isEnabled(), Used(i)) << i;
        EXPECT_TRUE(sim().motorFlag(i)) << i;
    }
    EXPECT_EQ(sim().ram(1255), 201);
    EXPECT_EQ(sim().ram(768 + 1), 76);
    EXPECT_TRUE(Main().Comm.PortOpen());
}

TEST_F(KestraZeroTest, LiveChangesAndMirroredNudges) {
    // Before Read a nudge moves the boxes and writes nothing.
    sim().clearLogs();
    w_->cmdUP[0]->click();
    EXPECT_EQ(w_->ZeroUD[3]->Value(), 101);
    EXPECT_EQ(w_->ZeroUD[21]->Value(), 101);
    EXPECT_TRUE(wire().empty());

    Read();
    sim().clearLogs();
    w_->ZeroUD[4]->setValue(151);
    EXPECT_EQ(w_->ZeroUD[4]->Value(), 150);
    Bytes expected;
    WriteMem(expected, 836, 50);
    EXPECT_EQ(wire(), expected);

    // Each pair moves first slot first: 3 and 21, 2 and 20, 1 and 19.
    const struct { int pair, step, first, second; } cases[] = {{0, 1, 3, 21}, {1, -1, 2, 20}, {2, 1, 1, 19}};
    for (const auto& c : cases) {
        const int16_t a = w_->ZeroUD[c.first]->Value(), b = w_->ZeroUD[c.second]->Value();
        sim().clearLogs();
        (c.step > 0 ? w_->cmdUP : w_->cmdDown)[c.pair]->click();
        Bytes nudged;
        WriteMem(nudged, 832 + c.first, ZeroPoints::ValueToByte(static_cast<int16_t>(a + c.step)));
        WriteMem(nudged, 832 + c.second, ZeroPoints::ValueToByte(static_cast<int16_t>(b + c.step)));
        EXPECT_EQ(wire(), nudged) << c.pair;
    }
}

TEST_F(KestraZeroTest, WriteStoresUsedSlotsInWorkingCopyAndEeprom) {
    Read();
    w_->ZeroUD[0]->setValue(70);
    sim().clearLogs();
    w_->cmdWrite->click();
    Bytes expected;
    for (int i = 0; i < 24; ++i) {
        if (!Used(i)) continue;
        const uint8_t b = ZeroPoints::ValueToByte(i == 0 ? 70 : ZeroValue(i));
        WriteMem(expected, 832 + i, b);
        WriteEe(expected, 4064 + i, b);
    }
    EXPECT_EQ(wire(), expected);
    EXPECT_EQ(sim().eeprom(4064), 226);
    EXPECT_EQ(sim().eeprom(4064 + 5), 0x77);
    EXPECT_EQ(w_->ZeroDefault[0], 70);  // Write makes them the values Default goes back to
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(KestraZeroTest, InsertDefaultAndCancel) {
    platform::CodeEditor* editor = Editor();
    ASSERT_NE(editor, nullptr);
    Read();
    editor->SetWholeText(QStringLiteral("A1\r\nB2\r\nC3\r\nD4\r\nE5\r\nF6\r\n"));
    editor->PutCaret(0, 2);
    w_->cmdInsert->click();
    std::array<int16_t, 24> values{};
    for (int i = 0; i < 24; ++i) values[i] = w_->ZeroUD[i]->Value();
    EXPECT_EQ(editor->WholeText().toStdString(),
              ("A1" + ZeroPoints::ZeroLines(values) + "\r\nB2\r\nC3\r\nD4\r\nE5\r\nF6\r\n").toStdString());
    EXPECT_TRUE(editor->WholeText().contains("ZERO G6A,100,  99, 102,  97, 104, 100\r\n"));  // slot 5 unused
    // Four lines below, at the column as far as that line (the rest of the
    // caret's old line, here empty) reaches.
    EXPECT_EQ(editor->Selection(true).EndLineNo, 4);
    EXPECT_EQ(editor->Selection(true).EndColNo, 0);

    w_->ZeroUD[6]->setValue(120);
    sim().clearLogs();
    w_->cmdDefault->click();
    EXPECT_EQ(w_->ZeroUD[6]->Value(), ZeroValue(6));
    EXPECT_EQ(sim().ram(832 + 6), ZeroByte(6));

    // Cancel puts each used slot's value read back into the working copy,
    // then leaves the window as opened.
    w_->ZeroUD[8]->setValue(130);
    sim().clearLogs();
    w_->cmdCancel->click();
    Bytes expected;
    for (int i = 0; i < 24; ++i)
        if (Used(i)) WriteMem(expected, 832 + i, ZeroByte(i));
    EXPECT_EQ(wire(), expected);
    EXPECT_FALSE(w_->ReadDone);
    EXPECT_TRUE(w_->cmdRead->isEnabled());
    EXPECT_FALSE(w_->cmdWrite->isEnabled());
    EXPECT_FALSE(w_->ZeroUD[8]->isEnabled());
}

// A read that fails part way stops there with the real code and leaves the
// window as opened: nothing it did not read can be stored.
TEST_F(KestraZeroTest, ReadFailingPartWayLeavesWriteRefused) {
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    Boxes().Answer(platform::vbOK);
    const Bytes all = ReadWire();
    const Bytes poseOf10 = {0xF8, static_cast<uint8_t>(Lo(768 + 10)), static_cast<uint8_t>(Hi(768 + 10))};
    const int at =
        static_cast<int>(std::search(all.begin(), all.end(), poseOf10.begin(), poseOf10.end()) - all.begin());
    sim().clearLogs();
    sim().injectFault(ControllerSim::Fault::NoReply, at);
    w_->cmdRead->click();

    EXPECT_EQ(ShownCodes(), std::vector<int>{vxIO::kErrTimeOut});
    EXPECT_FALSE(w_->ReadDone);
    EXPECT_TRUE(w_->cmdRead->isEnabled());
    EXPECT_FALSE(w_->cmdWrite->isEnabled());
    EXPECT_FALSE(Main().Comm.PortOpen());
    // The sequence stopped at the failing write.
    const Bytes sent = wire();
    ASSERT_GE(sent.size(), static_cast<size_t>(at));
    EXPECT_TRUE(std::equal(all.begin(), all.begin() + at, sent.begin()));
    EXPECT_LE(sent.size(), static_cast<size_t>(at) + 4);

    sim().clearLogs();
    w_->cmdWrite_Click();
    w_->ZeroUD[0]->setValue(120);
    EXPECT_TRUE(wire().empty());
    for (int i = 0; i < 24; ++i) EXPECT_EQ(sim().eeprom(4064 + i), 0x77) << i;

    // A port that will not open shows -1.
    qputenv("QVV2_COM1", "/nonexistent/tty-of-nobody");
    Boxes().Answer(platform::vbOK);
    w_->cmdRead->click();
    EXPECT_EQ(ShownCodes().back(), vxIO::kErrOpen);
}

TEST_F(KestraZeroTest, CloseResetsClosesAndUnlocks) {
    Main().MotionLock();
    Read();
    sim().clearLogs();
    w_->cmdClose->click();
    EXPECT_FALSE(w_->isVisible());
    EXPECT_EQ(wire(), Bytes{0xFC});
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_TRUE(MotionMenusEnabled());
}

// The program's exit closes the window while the port is still open: the
// controller is reset before the ports close.
TEST_F(ZeroWindowTest, ExitClosesTheHumanoidZeroWindow) {
    Main().mnuZero->trigger();
    QPointer<frmZeroKESTRA> w = Main().findChild<frmZeroKESTRA*>(QStringLiteral("frmZeroKESTRA"));
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(MotionMenusEnabled());
    w->cmdRead->click();
    ASSERT_TRUE(Main().Comm.PortOpen());
    sim().clearLogs();
    Main().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
    EXPECT_EQ(wire(), Bytes{0xFC});
    EXPECT_FALSE(Main().Comm.PortOpen());
}
