// The 32-servo zero-point window against the simulated controller: the
// read's wire sequence, live changes of zero boxes and direction toggles,
// the EEPROM write, the ZERO and DIR inserts, Default and Cancel, reads that
// fail (part way, wholly, at the open) with the write they must refuse, and
// the way out (only cmdClose; reset, close and the motion lock's release).
#include <QApplication>
#include <QGroupBox>
#include <QPointer>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>

#include "ServoMoves.h"
#include "ZeroWindowFixture.h"
#include "motion/ZeroPoints.h"
#include "motion/frmZero32.h"
#include "platform/WindowStyle.h"
#include "vxServoDIR.h"
#include "vxServoUpDown.h"

namespace {

// Servo positions as the controller reports them: 3 and 17 outside 10..190.
std::array<uint8_t, 32> Positions() {
    std::array<uint8_t, 32> p{};
    for (int i = 0; i < 32; ++i) p[static_cast<size_t>(i)] = static_cast<uint8_t>(20 + 5 * i);
    p[3] = 9;
    p[17] = 191;
    return p;
}

// Zero bytes 0..4 span the mapping's edges, the rest read as 110.
uint8_t ZeroByte(int i) {
    static const uint8_t edges[5] = {206, 50, 0, 255, 128};
    return i < 5 ? edges[i] : 10;
}
int16_t ZeroValue(int i) {
    static const int16_t edges[5] = {50, 150, 100, 99, 100};
    return i < 5 ? edges[i] : 110;
}

const std::array<uint8_t, 4> kDirBytes = {201, 15, 88, 0x81};

}  // namespace

class Zero32Test : public ZeroWindowTest {
protected:
    void SetUp() override {
        ZeroWindowTest::SetUp();
        if (HasFatalFailure()) return;
        const auto positions = Positions();
        for (int i = 0; i < 32; ++i) {
            sim().setServoPosition(i, positions[static_cast<size_t>(i)]);
            sim().setRam(ZeroPoints::kZeroAddress + i, ZeroByte(i));
            sim().setEeprom(ZeroPoints::kZeroEeprom + i, 0x77);
        }
        for (int k = 0; k < 4; ++k) {
            sim().setRam(ZeroPoints::kDirectionAddress + k, kDirBytes[static_cast<size_t>(k)]);
            sim().setEeprom(ZeroPoints::kDirectionEeprom + k, 0x77);
        }
        w_ = new frmZero32(&Main());
        w_->show();
    }

    void TearDown() override {
        delete w_.data();
        ZeroWindowTest::TearDown();
    }

    // The bytes of a whole read: stop twice, every servo off, four block
    // reads, the usable positions back with their servos on between the
    // control byte's 15 and 3, the 32 zero bytes, the four direction bytes.
    static Bytes ReadWire() {
        Bytes b;
        Add(b, {0xFA, 0xFA});
        for (int i = 0; i < 32; ++i) Add(b, {0xE8, i});
        for (int k = 0; k < 4; ++k) BlockRead(b, 0xD3 + k);
        WriteMem(b, 960, 15);
        const auto positions = Positions();
        for (int i = 0; i < 32; ++i) {
            const int p = positions[static_cast<size_t>(i)];
            if (p < 10 || p > 190) continue;
            WriteMem(b, 800 + i, p);
            Add(b, {0xE7, i});
        }
        WriteMem(b, 960, 3);
        for (int i = 0; i < 32; ++i) ReadMem(b, 832 + i);
        for (int k = 0; k < 4; ++k) ReadMem(b, 1255 + k);
        return b;
    }

    // Where the read of servo i's zero byte starts in ReadWire().
    static int ZeroReadOffset(int servo) {
        const Bytes all = ReadWire();
        const Bytes frame = {0xF7, static_cast<uint8_t>(Lo(832 + servo)), static_cast<uint8_t>(Hi(832 + servo))};
        const auto at = std::search(all.begin(), all.end(), frame.begin(), frame.end());
        return static_cast<int>(at - all.begin());
    }

    void Read() {
        sim().clearLogs();
        w_->cmdRead->click();
    }

    std::vector<int> ShownCodes() {
        std::vector<int> codes;
        for (const auto& call : Boxes().Calls()) {
            const QString first = call.prompt.section(QStringLiteral("\r\n"), 0, 0);
            codes.push_back(first.section(u':', 1).trimmed().toInt());
        }
        return codes;
    }

    QPointer<frmZero32> w_;
};

TEST_F(Zero32Test, ReadSendsTheSequenceInOrderAndFillsTheWindow) {
    EXPECT_TRUE(w_->cmdRead->isEnabled());
    for (QPushButton* b : {w_->cmdWrite, w_->cmdInsert, w_->cmdDefault, w_->cmdCancel}) EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(platform::HasCloseButtonRemoved(w_));
    // Every box and toggle has room in its page.
    for (int i = 0; i < 32; ++i) {
        EXPECT_GE(w_->ZeroUD[i]->width(), 40) << i;
        EXPECT_GE(w_->ZeroUD[i]->height(), 16) << i;
    }

    Read();
    EXPECT_EQ(wire(), ReadWire());
    EXPECT_TRUE(Boxes().Calls().empty());

    EXPECT_TRUE(w_->ReadDone);
    EXPECT_FALSE(w_->cmdRead->isEnabled());
    for (QPushButton* b : {w_->cmdWrite, w_->cmdInsert, w_->cmdDefault, w_->cmdCancel}) EXPECT_TRUE(b->isEnabled());
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(w_->ZeroUD[i]->Value(), ZeroValue(i)) << i;
        EXPECT_EQ(w_->ZeroDefault[i], ZeroValue(i)) << i;
        const bool bit = (kDirBytes[i / 8] >> (i % 8)) & 1;
        EXPECT_EQ(w_->Sdir[i]->Value(), bit ? 1 : 0) << i;
        EXPECT_EQ(w_->DirFlags[i], bit ? 255 : 0) << i;
        // The servos stand where they were read; the two out of range stay off.
        const bool usable = i != 3 && i != 17;
        EXPECT_EQ(sim().motorFlag(i), usable) << i;
        EXPECT_EQ(w_->ServoPos[i], usable ? Positions()[i] : 0) << i;
    }
    EXPECT_EQ(sim().ram(960), 3);
    EXPECT_EQ(w_->pb->value(), 100);
    // The window keeps the link for its live changes.
    EXPECT_TRUE(Main().Comm.PortOpen());
}

TEST_F(Zero32Test, LiveChangesAreHeldTo50To150AndWrittenOnce) {
    // Before Read nothing reaches the controller: neither a box nor a toggle,
    // which keeps its value.
    sim().clearLogs();
    w_->ZeroUD[4]->setValue(120);
    const int16_t before = w_->Sdir[9]->Value();
    emit w_->Sdir[9]->Click();
    EXPECT_EQ(w_->Sdir[9]->Value(), before);
    EXPECT_TRUE(wire().empty());

    Read();
    ASSERT_TRUE(w_->ReadDone);
    const struct {
        int set, shown, zeroByte;
    } cases[] = {{49, 50, 206}, {151, 150, 50}, {120, 120, 20}, {99, 99, 255}, {10, 50, 206}};
    for (const auto& c : cases) {
        sim().clearLogs();
        w_->ZeroUD[6]->setValue(static_cast<int16_t>(c.set));
        EXPECT_EQ(w_->ZeroUD[6]->Value(), c.shown) << c.set;
        Bytes expected;
        WriteMem(expected, 832 + 6, c.zeroByte);
        EXPECT_EQ(wire(), expected) << c.set;
        EXPECT_EQ(sim().ram(832 + 6), c.zeroByte) << c.set;
    }

    // Servo 9 is bit 1 of direction byte 1 (15): toggled off, 13 goes out.
    sim().clearLogs();
    ASSERT_EQ(w_->Sdir[9]->Value(), 1);
    emit w_->Sdir[9]->Click();
    EXPECT_EQ(w_->Sdir[9]->Value(), 0);
    Bytes expected;
    WriteMem(expected, 1256, 13);
    EXPECT_EQ(wire(), expected);
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(Zero32Test, WriteStoresZeroBytesThenDirectionBytesInEeprom) {
    Read();
    w_->ZeroUD[0]->setValue(60);  // 216
    emit w_->Sdir[0]->Click();    // 201 -> 200
    sim().clearLogs();
    // Servo 20's box changed by the user while Write waits between two
    // servos: stored with the rest, and its live write follows the Write.
    const motion_wait::DuringTheNextWait hand([this] { w_->ZeroUD[20]->setValue(130); },
                                              [this] { return !sim().received().empty(); });
    w_->cmdWrite->click();
    ASSERT_TRUE(hand.Done());

    Bytes expected;
    for (int i = 0; i < 32; ++i)
        WriteEe(expected, 4064 + i, ZeroPoints::ValueToByte(i == 0 ? 60 : i == 20 ? 130 : ZeroValue(i)));
    const int dirs[4] = {200, 15, 88, 0x81};
    for (int k = 0; k < 4; ++k) WriteEe(expected, 4016 + k, dirs[k]);
    WriteMem(expected, 832 + 20, 30);
    EXPECT_EQ(wire(), expected);
    EXPECT_EQ(sim().eeprom(4064), 216);
    EXPECT_EQ(sim().eeprom(4016), 200);
    EXPECT_TRUE(Boxes().Calls().empty());
    // The values read stay what Default goes back to.
    EXPECT_EQ(w_->ZeroDefault[0], 50);
}

// An EEPROM frame of Write whose key byte comes back wrong leaves the
// controller inside that frame.  The zero loop stops there and Write goes on
// with the direction bytes, but their first frame waits until the line has
// been quiet for the quiet time (here the floor, above COMMtimeout), so that
// the controller does not take it as the broken frame's rest: every
// direction byte is written whole, and one box tells of the zero part.
TEST_F(Zero32Test, WriteAfterABrokenEepromFrameWaitsForTheQuietLineThenStoresEveryDirection) {
    Read();
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    Boxes().Answer(platform::vbOK);
    sim().clearLogs();
    sim().injectFrameFault(ControllerSim::Fault::WrongEcho, 0xB4, 1, 5);
    w_->cmdWrite->click();

    Bytes expected;
    for (int i = 0; i < 5; ++i) WriteEe(expected, 4064 + i, ZeroPoints::ValueToByte(ZeroValue(i)));
    Add(expected, {0xB4, 0x4B});
    const size_t broken = expected.size();
    for (int k = 0; k < 4; ++k) WriteEe(expected, 4016 + k, kDirBytes[static_cast<size_t>(k)]);
    EXPECT_EQ(wire(), expected);
    const SentAfterByte after = SentAfter(sim(), broken - 1);
    EXPECT_GE(after.HostPauseAtLeastMs(), vxIO::kQuietFloorMs - 5)
        << "the direction bytes followed the broken frame after " << after.firstAfterMs << " ms";
    for (int k = 0; k < 4; ++k) EXPECT_EQ(sim().eeprom(4016 + k), kDirBytes[static_cast<size_t>(k)]) << k;
    EXPECT_EQ(ShownCodes(), std::vector<int>{vxIO::kErrEcho});
}

TEST_F(Zero32Test, InsertWritesZeroOrDirLinesOfServos0To23) {
    platform::CodeEditor* editor = Editor();
    ASSERT_NE(editor, nullptr);
    Read();
    editor->SetWholeText(QString());
    w_->cmdInsert->click();
    std::array<int16_t, 24> zeros{};
    for (int i = 0; i < 24; ++i) zeros[i] = ZeroValue(i);
    EXPECT_EQ(editor->WholeText().toStdString(), (ZeroPoints::ZeroLines(zeros) + "\r\n").toStdString());
    EXPECT_TRUE(editor->WholeText().startsWith("ZERO G6A, 50, 150, 100,  99, 100, 110\r\n"));

    w_->SSTab1->setCurrentIndex(1);
    EXPECT_EQ(w_->ActivePage, 1);
    EXPECT_FALSE(w_->frameZero->isEnabled());
    EXPECT_TRUE(w_->frameDIR->isEnabled());
    editor->SetWholeText(QString());
    w_->cmdInsert->click();
    EXPECT_EQ(editor->WholeText().toStdString(),
              "DIR G6A,1, 0, 0, 1, 0, 0\r\n"
              "DIR G6B,1, 1, 1, 1, 1, 1\r\n"
              "DIR G6C,0, 0, 0, 0, 0, 0\r\n"
              "DIR G6D,0, 1, 1, 0, 1, 0\r\n\r\n");

    // The caret goes six lines below the end of the selection, at its column.
    editor->SetWholeText(QStringLiteral("A1\r\nB2\r\nC3\r\nD4\r\nE5\r\nF6\r\nG7\r\nH8\r\nI9\r\n"));
    editor->PutCaret(1, 1);
    w_->cmdInsert->click();
    EXPECT_EQ(editor->Selection(true).EndLineNo, 7);
    EXPECT_EQ(editor->Selection(true).EndColNo, 1);
    EXPECT_TRUE(editor->WholeText().startsWith("A1\r\nB" + ZeroPoints::DirLines({}).left(8)));

    // No document: nothing happens.
    w_->SSTab1->setCurrentIndex(0);
    EXPECT_EQ(w_->ActivePage, 0);
    modApp::ActiveDoc = 0;
    w_->cmdInsert->click();
    EXPECT_TRUE(Boxes().Calls().empty());
}

TEST_F(Zero32Test, DefaultRestoresWhatWasReadAndCancelWritesNothing) {
    Read();
    w_->ZeroUD[2]->setValue(130);
    emit w_->Sdir[2]->Click();  // direction byte 0 now 201 | 4
    ASSERT_EQ(sim().ram(1255), 205);

    sim().clearLogs();
    w_->cmdDefault->click();
    EXPECT_EQ(w_->ZeroUD[2]->Value(), 100);
    EXPECT_EQ(w_->Sdir[2]->Value(), 0);
    // Each box goes back through its live write; the toggles write nothing,
    // so the controller keeps the toggled direction.
    Bytes expected;
    for (int i = 0; i < 32; ++i) WriteMem(expected, 832 + i, ZeroByte(i) == 128 ? 0 : ZeroByte(i));
    EXPECT_EQ(wire(), expected);
    EXPECT_EQ(sim().ram(1255), 205);

    sim().clearLogs();
    w_->cmdCancel->click();
    EXPECT_FALSE(w_->ReadDone);
    EXPECT_TRUE(w_->cmdRead->isEnabled());
    EXPECT_FALSE(w_->cmdWrite->isEnabled());
    w_->ZeroUD[2]->setValue(140);
    EXPECT_EQ(w_->ZeroUD[2]->Value(), 140);
    EXPECT_TRUE(wire().empty());
}

// A read whose zero part fails half way while the directions are read:
// the zero part's own error is shown, the directions stay usable, and the
// zero values that were never read reach neither the working copy nor the
// EEPROM.
TEST_F(Zero32Test, ZeroPartFailingPartWayIsReportedAndItsValuesAreNeverWritten) {
    Main().TimeOut.setInterval(kFaultTimeOutMs);
    Boxes().Answer(platform::vbOK).Answer(platform::vbOK);
    sim().clearLogs();
    sim().injectFault(ControllerSim::Fault::NoReply, ZeroReadOffset(10));
    w_->cmdRead->click();

    EXPECT_EQ(ShownCodes(), std::vector<int>{vxIO::kErrTimeOut});
    EXPECT_TRUE(w_->ReadDone);
    EXPECT_FALSE(w_->ZeroReadDone);
    EXPECT_TRUE(w_->cmdWrite->isEnabled());
    EXPECT_TRUE(Main().Comm.PortOpen());
    for (int i = 0; i < 32; ++i) EXPECT_EQ(w_->Sdir[i]->Value(), (kDirBytes[i / 8] >> (i % 8)) & 1) << i;

    // A zero box changed now writes nothing; a toggle still does.
    sim().clearLogs();
    w_->ZeroUD[12]->setValue(120);
    EXPECT_TRUE(wire().empty());
    emit w_->Sdir[31]->Click();  // 0x81 -> 0x01
    Bytes toggled;
    WriteMem(toggled, 1258, 0x01);
    EXPECT_EQ(wire(), toggled);

    // Write stores the directions only and says why the zero points are not.
    sim().clearLogs();
    w_->cmdWrite->click();
    Bytes expected;
    const int dirs[4] = {201, 15, 88, 0x01};
    for (int k = 0; k < 4; ++k) WriteEe(expected, 4016 + k, dirs[k]);
    EXPECT_EQ(wire(), expected);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(sim().eeprom(4064 + i), 0x77) << i;
    EXPECT_EQ(ShownCodes(), (std::vector<int>{vxIO::kErrTimeOut, vxIO::kErrTimeOut}));

    // Default does not bring back zero values that were never read.
    w_->cmdDefault->click();
    EXPECT_EQ(w_->ZeroUD[12]->Value(), 120);
}

TEST_F(Zero32Test, FailedReadsShowTheRealCode) {
    Main().TimeOut.setInterval(kFaultTimeOutMs);

    // Both parts fail: one box, the link closed, the window as opened.
    Boxes().Answer(platform::vbOK);
    sim().setSilent(true);
    w_->cmdRead->click();
    EXPECT_EQ(ShownCodes(), std::vector<int>{vxIO::kErrTimeOut});
    EXPECT_FALSE(w_->ReadDone);
    EXPECT_TRUE(w_->cmdRead->isEnabled());
    EXPECT_FALSE(w_->cmdWrite->isEnabled());
    EXPECT_FALSE(Main().Comm.PortOpen());

    // A block that does not come whole is -25.
    sim().setSilent(false);
    Boxes().Answer(platform::vbOK);
    sim().clearLogs();
    sim().injectFault(ControllerSim::Fault::NoReply, 2 + 64 + 9 + 3);  // third byte of the second block
    w_->cmdRead->click();
    EXPECT_EQ(ShownCodes().back(), vxIO::kErrGroupRead);
    EXPECT_FALSE(w_->ZeroReadDone);

    // The port cannot be opened: the box shows -1, not the 0 the close leaves.
    Main().Comm.setPortOpen(false);
    w_->cmdCancel->click();
    qputenv("QVV2_COM1", "/nonexistent/tty-of-nobody");
    Boxes().Answer(platform::vbOK);
    w_->cmdRead->click();
    EXPECT_EQ(ShownCodes().back(), vxIO::kErrOpen);
}

TEST_F(Zero32Test, OnlyCloseClosesAndTheUnloadResetsAndUnlocks) {
    Main().MotionLock();
    ASSERT_FALSE(MotionMenusEnabled());
    Read();
    ASSERT_TRUE(Main().Comm.PortOpen());
    sim().clearLogs();
    w_->cmdClose->click();
    EXPECT_FALSE(w_->isVisible());
    EXPECT_EQ(wire(), Bytes{0xFC});
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_TRUE(MotionMenusEnabled());
}

TEST_F(Zero32Test, ClosingWithThePortClosedSendsNoReset) {
    Main().MotionLock();
    sim().clearLogs();
    w_->cmdClose->click();
    EXPECT_TRUE(wire().empty());
    EXPECT_EQ(sim().resetCount(), 0);
    EXPECT_TRUE(MotionMenusEnabled());
}

// cmdClose clicked while Read waits on the controller: the read runs to its
// end, then the window unloads (reset, close) and goes away.
TEST_F(ZeroWindowTest, CloseDuringReadEndsTheReadThenCloses) {
    ASSERT_TRUE(frmZero32::ShowWindow(&Main()));
    QPointer<frmZero32> w = Main().findChild<frmZero32*>(QStringLiteral("frmZero32"));
    ASSERT_TRUE(w);
    sim().clearLogs();
    QTimer::singleShot(0, w, [w] { w->cmdClose->click(); });
    w->cmdRead->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
    // The read ended at the byte in flight at most, and the window's way out
    // resets nothing: the port was closed with the read.
    EXPECT_LE(wire().size(), 1u);
    EXPECT_EQ(sim().resetCount(), 0);
    EXPECT_FALSE(Main().Comm.PortOpen());
    EXPECT_TRUE(Boxes().Calls().empty());
}

// The Controller menu's item opens the window after the motion lock; the
// window is gone after its close.
TEST_F(ZeroWindowTest, MenuOpensZero32AndItsCloseLiftsTheLock) {
    Main().mnuZero_all->trigger();
    QPointer<frmZero32> w;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("frmZero32") && top->isVisible()) w = qobject_cast<frmZero32*>(top);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("24 Servos Zero Setting Window"));
    EXPECT_FALSE(MotionMenusEnabled());
    w->cmdClose->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
    EXPECT_TRUE(MotionMenusEnabled());
}

// The program's exit with the window open: the main window's unload closes
// the ports, and the window goes with the main window (its unload then has
// no port to reset and no menus to unlock).
TEST_F(ZeroWindowTest, ExitWithZero32OpenClosesThePort) {
    Main().mnuZero_all->trigger();
    QPointer<frmZero32> w = Main().findChild<frmZero32*>(QStringLiteral("frmZero32"));
    ASSERT_TRUE(w);
    w->cmdRead->click();
    ASSERT_TRUE(Main().Comm.PortOpen());
    Main().close();
    EXPECT_FALSE(Main().Comm.PortOpen());
}
