// The humanoid motor-control window against the simulated controller: what
// its load, captures, copies, exchanges and sync send, what its inserts
// write into the program, how it fails and how it closes.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "ControllerSim.h"
#include "ScriptedDialogs.h"
#include "MotionModules.h"
#include "ServoMoves.h"
#include "WaitFor.h"
#include "build/MotorLimits.h"
#include "documents/Documents.h"
#include "documents/modApp.h"
#include "documents/modMain.h"
#include "documents/modReg.h"
#include "editor/frmDoc.h"
#include "protocol/bootup_modMain.h"
#include "link/frmWait.h"
#include "link/vxIO_Windows.h"
#include "mainwindow/frmMain.h"
#include "motion/frmMoveKESTRA.h"
#include "motion/modUserRobot.h"
#include "platform/CodeEditor.h"
#include "vxServoSlide2.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What the window sends, command by command (controller model 2, type 8).
Bytes Move(int motor, int position) { return {0xE6, uint8_t(motor), uint8_t(position)}; }
Bytes On(int motor) { return {0xE7, uint8_t(motor)}; }
Bytes Off(int motor) { return {0xE8, uint8_t(motor)}; }
Bytes ReadVar(int motor) { return {0xD2, uint8_t(motor), 0}; }
Bytes ReadMem(int address) { return {0xF7, uint8_t(address & 0xFF), uint8_t(address >> 8), 0}; }
Bytes WriteMem(int address, int value) {
    return {0xF8, uint8_t(address & 0xFF), uint8_t(address >> 8), uint8_t(value)};
}
Bytes WritePair(int motor, int value) { return WriteMem(800 + motor, value) + WriteMem(768 + motor, value); }
Bytes Block6(int command) { return {uint8_t(command), 0, 0, 0, 0, 0, 0}; }

// A robot file of the used slots given, each with its partner; every other
// slot unused.
QByteArray RobotFile(const std::vector<std::pair<int, int>>& usedWithPartner) {
    QByteArray text;
    for (const auto& [slot, partner] : usedWithPartner)
        text += "[MOTOR" + QByteArray::number(slot) +
                "_PROPERTY]\r\nMotorUse=1\r\nMotorOpp=" + QByteArray::number(partner) + "\r\n";
    return text;
}

class HumanoidWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("user")));
        modApp::SetAppPath(home_.path());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        modApp::ResetDocuments();
        ResetMotionModules();
        // A frame that an earlier test broke off keeps the line quiet.
        ASSERT_TRUE(motion_wait::QuietLine());
        modMain::AppClosing = false;  // a test that ends the program sets it
        modMain::DocWindowState = 0;
        bootup_modMain::RawMode = false;

        sim_ = std::make_unique<ControllerSim>(2);
        ASSERT_TRUE(sim_->ok());
        WaitLongForAFramesRest(*sim_);
        qputenv("QVV2_COM1", QByteArray::fromStdString(sim_->slavePath()));
        for (int m = 0; m < 24; ++m) sim_->setServoPosition(m, 100);

        boxes_ = std::make_unique<ScriptedMsgBox>();
        main_ = std::make_unique<frmMain>();
        main_->MDIForm_Load();
        main_->show();
        ASSERT_EQ(modMain::PortType, 1);
        ASSERT_EQ(modMain::ControllerID, 2);
        ASSERT_TRUE(main_->Comm.setCommPort(1));
        main_->TimeOut.setInterval(3000);
        ASSERT_NE(modApp::ActiveDoc, 0) << "the start-up opens a new document";
    }

    void TearDown() override {
        if (sim_) PrintTheLineOnFailure(*sim_);
        if (frmMoveKESTRA* w = frmMoveKESTRA::Loaded()) w->close();
        QCoreApplication::processEvents();
        for (int n = 1; n <= modApp::Docs.UBound(); ++n)
            if (frmDoc* doc = modApp::Docs(n)) doc->Modified = false;
        main_.reset();
        frmWait::Unload();
        boxes_.reset();
        sim_.reset();
        qunsetenv("QVV2_COM1");
        modApp::SetAppPath(QString());
        modApp::ResetDocuments();
        ResetMotionModules();
    }

    void writeRobot(const QByteArray& text) {
        QFile f(home_.path() + QStringLiteral("/user/Vortan.dat"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    void useShippedRobot() {
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUARVEL_SOURCE_DIR "/resources/user/Vortan.dat"),
                                home_.path() + QStringLiteral("/user/Vortan.dat")));
    }

    static platform::CodeEditor* Editor() { return modApp::DocumentEditor(modApp::ActiveDoc); }

    // Opens the window as the Controller menu does (motion lock first).
    frmMoveKESTRA& Open() {
        main_->mnuMotorControlKESTRA_Click();
        frmMoveKESTRA* w = frmMoveKESTRA::Loaded();
        EXPECT_NE(w, nullptr);
        EXPECT_TRUE(sim_->waitIdle(2000));
        return *w;
    }
    // Forgets what the simulator saw so far.
    void clearWire() {
        EXPECT_TRUE(sim_->waitIdle(2000));
        sim_->clearLogs();
    }
    Bytes wire() {
        EXPECT_TRUE(sim_->waitIdle(2000));
        return sim_->received();
    }

    // Unfolds a slider panel as the user does, with the pointer over its
    // header; its slider.  The pointer comes from beside the header's
    // centre: a move to where the pointer already stands (it may, from an
    // earlier test's window in the same place) makes no event.
    static QSlider* Unfold(vxServoSlide2* slide) {
        const QPoint centre = slide->lblMotorNo()->rect().center();
        QTest::mouseMove(slide->lblMotorNo(), centre + QPoint(1, 0));
        QTest::mouseMove(slide->lblMotorNo(), centre);
        EXPECT_TRUE(slide->ScrollView());
        return slide->ServoSlider();
    }

    static int Value(frmMoveKESTRA& w, int i) { return int(w.servo[size_t(i)]->Value()); }
    static int Check(frmMoveKESTRA& w, int i) { return int(w.servo[size_t(i)]->CheckValue()); }

    QTemporaryDir home_;
    std::unique_ptr<ControllerSim> sim_;
    std::unique_ptr<ScriptedMsgBox> boxes_;
    std::unique_ptr<frmMain> main_;
};

// ---- Load ------------------------------------------------------------------------------

TEST_F(HumanoidWindowTest, LoadReadsUsedMotorsClampedToTheirLimits) {
    writeRobot(RobotFile({{3, 3}, {5, 5}}));
    Editor()->setText(QStringLiteral("'$LIMIT 3, 50, 120\r\n"));
    sim_->setServoPosition(3, 150);  // outside its range: opens at 120
    sim_->setServoPosition(5, 30);
    sim_->setRam(1259, 0x20);  // motor 5 is on
    modMain::InsertG24 = true;

    frmMoveKESTRA& w = Open();
    const Bytes expected = Bytes{0xFA} +
                           // slot 3: off, position 150 clamped to 120
                           ReadMem(1259) + ReadMem(1226) + ReadMem(768 + 3) + Move(3, 120) +
                           // slot 5: on, so its box's tick captures it and switches it on
                           ReadMem(1259) + ReadMem(1226) + ReadMem(768 + 5) + ReadVar(5) + Move(5, 30) +
                           WritePair(5, 30) + On(5);
    EXPECT_EQ(wire(), expected);
    EXPECT_EQ(Value(w, 3), 120);
    EXPECT_EQ(Check(w, 3), 0);
    EXPECT_EQ(Value(w, 5), 30);
    EXPECT_EQ(Check(w, 5), 1);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(w.servo[size_t(i)]->isVisible(), i == 3 || i == 5) << i;
    EXPECT_TRUE(w.optInsert[0]->isChecked());
    EXPECT_FALSE(modMain::InsertG24) << "every load selects G6";
    EXPECT_EQ(w.windowTitle(), "VORTAN");
    EXPECT_EQ(frmWait::Loaded(), nullptr);
    // The motion lock stays while the window is open.
    EXPECT_FALSE(main_->mnuBuild->menuAction()->isEnabled());
    EXPECT_TRUE(main_->Comm.PortOpen());
}

TEST_F(HumanoidWindowTest, ShippedLayoutShowsAllTwentyFourSlidersOverThePicture) {
    useShippedRobot();
    frmMoveKESTRA& w = Open();
    const QRect picture = w.Image1->geometry();
    EXPECT_EQ(picture.size(), QSize(340, 438));
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(w.servo[size_t(i)]->isVisible());
        EXPECT_TRUE(picture.contains(w.servo[size_t(i)]->geometry().topLeft()));
        EXPECT_EQ(w.servo[size_t(i)]->MotorNo(), i);
    }
    EXPECT_EQ(w.size(), modUserRobot::ClientSizeForOuter({7545, 7290}));
    EXPECT_GE(w.width(), picture.right());
    EXPECT_GE(w.height(), picture.bottom());
}

// Korean captions are longer than the English ones the design was made for:
// each check and option box still shows its whole caption, and no two in a
// frame overlap.
TEST_F(HumanoidWindowTest, KoreanCaptionsFitTheirBoxes) {
    QLocale::setDefault(QLocale(QLocale::Korean, QLocale::SouthKorea));
    writeRobot(RobotFile({{0, 0}}));
    frmMoveKESTRA& w = Open();
    EXPECT_EQ(w.chkGroupEnable[3]->text(), QStringLiteral("오른다리"));
    std::vector<QAbstractButton*> boxes(w.chkGroupEnable.begin(), w.chkGroupEnable.end());
    boxes.push_back(w.chkSync);
    boxes.push_back(w.optInsert[0]);
    boxes.push_back(w.optInsert[1]);
    for (QAbstractButton* b : boxes) {
        SCOPED_TRACE(b->text().toStdString());
        EXPECT_GE(b->width(), b->sizeHint().width());
        EXPECT_LE(b->geometry().right(), b->parentWidget()->width());
        for (QAbstractButton* other : boxes) {
            if (other != b && other->parentWidget() == b->parentWidget()) {
                EXPECT_FALSE(b->geometry().intersects(other->geometry())) << other->text().toStdString();
            }
        }
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST_F(HumanoidWindowTest, FailedLoadShowsTheRealErrorCodeAndLiftsTheLock) {
    struct Case {
        const char* what;
        int code;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"silent controller", -4, "Exceed data communication time."},
        {"no port", -1, "Can't open communication port."},
    };
    writeRobot(RobotFile({{0, 18}, {18, 0}}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.code == -4) {
            sim_->setSilent(true);
            main_->TimeOut.setInterval(kFaultTimeOutMs);
        } else {
            qputenv("QVV2_COM1", QByteArray("/nonexistent/quarvel-port"));
        }
        boxes_.reset();  // the old responder goes first, or it would remove the new one
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        // Whether the window is still on screen when the box comes up.
        std::vector<bool> windowShown;
        boxes_->WhenShown([&](const platform::MsgBoxCall&) {
            bool shown = false;
            for (QWidget* top : QApplication::topLevelWidgets())
                shown = shown || (qobject_cast<frmMoveKESTRA*>(top) && top->isVisible());
            windowShown.push_back(shown);
        });
        main_->mnuMotorControlKESTRA_Click();
        // The box comes once the window has gone.
        ASSERT_TRUE(motion_wait::Until([&] { return !boxes_->Calls().empty(); }));
        EXPECT_EQ(frmMoveKESTRA::Loaded(), nullptr);
        ASSERT_EQ(boxes_->Calls().size(), 1u);
        EXPECT_EQ(windowShown, std::vector<bool>{false}) << "the window goes first, then the box";
        boxes_->WhenShown(nullptr);
        const QString prompt = boxes_->Calls()[0].prompt;
        EXPECT_TRUE(prompt.startsWith(QStringLiteral("Error Code : %1\r\n%2").arg(c.code).arg(QLatin1String(c.text))))
            << prompt.toStdString();
        EXPECT_FALSE(main_->Comm.PortOpen());
        EXPECT_EQ(frmWait::Loaded(), nullptr);
        EXPECT_TRUE(main_->mnuBuild->menuAction()->isEnabled());
        EXPECT_TRUE(main_->mnuMotorControlKESTRA->isEnabled());
        sim_->setSilent(false);
        main_->TimeOut.setInterval(3000);
        qputenv("QVV2_COM1", QByteArray::fromStdString(sim_->slavePath()));
    }
}

// A motor that is on is captured and switched on while the window loads.
// A link error there ends the load like any other: nothing more goes to the
// controller (which would take the next command's bytes as the rest of the
// broken frame), and the window closes with the box of that error.
TEST_F(HumanoidWindowTest, LinkErrorWhileSwitchingOnEndsTheLoadWithItsCode) {
    writeRobot(RobotFile({{3, 3}, {5, 5}}));
    sim_->setRam(1259, 0x28);  // motors 3 and 5 are on
    sim_->setServoPosition(3, 120);
    main_->TimeOut.setInterval(kFaultTimeOutMs);
    const Bytes start = Bytes{0xFA} + ReadMem(1259) + ReadMem(1226) + ReadMem(768 + 3);
    const Bytes capture = ReadVar(3) + Move(3, 120) + WritePair(3, 120);
    struct Case {
        const char* what;
        ControllerSim::Fault fault;
        Bytes before;  // what goes out before the byte whose answer fails
        uint8_t failing;
        int code;
    };
    const std::vector<Case> cases = {
        {"wrong echo of the switch-on", ControllerSim::Fault::WrongEcho, start + capture, 0xE7, -5},
        {"wrong echo of the switched motor", ControllerSim::Fault::WrongEcho, start + capture + Bytes{0xE7}, 3, -5},
        {"no echo of the switch-on", ControllerSim::Fault::NoReply, start + capture, 0xE7, -4},
        {"wrong echo of the capture's read", ControllerSim::Fault::WrongEcho, start, 0xD2, -5},
        {"no echo of the capture's move", ControllerSim::Fault::NoReply, start + ReadVar(3), 0xE6, -4},
        {"no echo of the capture's write", ControllerSim::Fault::NoReply, start + ReadVar(3) + Move(3, 120), 0xF8, -4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim_->setServoPosition(3, 120);
        clearWire();
        boxes_.reset();  // the old responder goes first, or it would remove the new one
        boxes_ = std::make_unique<ScriptedMsgBox>();
        boxes_->Answer(platform::vbOK);
        sim_->injectFault(c.fault, int(c.before.size()));
        main_->mnuMotorControlKESTRA_Click();
        // The box comes once the window has gone.
        ASSERT_TRUE(motion_wait::Until([&] { return !boxes_->Calls().empty(); }));
        QTest::qWait(400);  // a byte sent late would have arrived by now
        EXPECT_EQ(frmMoveKESTRA::Loaded(), nullptr);
        EXPECT_EQ(wire(), c.before + Bytes{c.failing}) << "nothing after the failing byte";
        ASSERT_EQ(boxes_->Calls().size(), 1u);
        const QString prompt = boxes_->Calls()[0].prompt;
        EXPECT_TRUE(prompt.startsWith(QStringLiteral("Error Code : %1\r\n").arg(c.code))) << prompt.toStdString();
        EXPECT_EQ(boxes_->Calls()[0].title, QStringLiteral("Controller Error"));
        EXPECT_FALSE(main_->Comm.PortOpen());
        EXPECT_TRUE(main_->mnuMotorControlKESTRA->isEnabled());
    }
}

// ---- Captures ----------------------------------------------------------------------------

TEST_F(HumanoidWindowTest, LimbCaptureMovesOnlySlidersThatDifferByMoreThanOne) {
    useShippedRobot();
    frmMoveKESTRA& w = Open();
    const int positions[6] = {100, 101, 150, 5, 190, 10};  // right arm, slots 12-17
    for (int j = 0; j < 6; ++j) sim_->setServoPosition(12 + j, uint8_t(positions[j]));
    clearWire();

    QTest::mouseClick(w.cmdCapture[1], Qt::LeftButton);
    EXPECT_EQ(wire(), Block6(217) + Move(14, 150) + Move(16, 190) + Move(17, 10));
    const int expected[6] = {100, 100, 150, 100, 190, 10};
    for (int j = 0; j < 6; ++j) EXPECT_EQ(Value(w, 12 + j), expected[j]) << 12 + j;

    // All motors: right arm, left arm, right leg, left leg.
    clearWire();
    QTest::mouseClick(w.cmdCapture[0], Qt::LeftButton);
    EXPECT_EQ(wire(), Block6(217) + Block6(216) + Block6(218) + Block6(215));
}

TEST_F(HumanoidWindowTest, TickingALimbCapturesAndSwitchesOnEachSlotThatWasOff) {
    writeRobot(RobotFile({{7, 7}, {8, 8}, {13, 13}}));
    frmMoveKESTRA& w = Open();
    sim_->setServoPosition(7, 120);
    sim_->setServoPosition(8, 101);
    clearWire();

    w.chkGroupEnable[2]->click();  // L_Arm: slots 7 and 8
    // The tick of the slider's box captures and switches on; the group then
    // reads once more and leaves a slider within 1 alone.
    EXPECT_EQ(wire(), ReadVar(7) + Move(7, 120) + WritePair(7, 120) + On(7) + ReadVar(7) + On(7) +  //
                          ReadVar(8) + Move(8, 101) + WritePair(8, 101) + On(8) + ReadVar(8) + On(8));
    EXPECT_EQ(Check(w, 7), 1);
    EXPECT_EQ(Check(w, 8), 1);
    EXPECT_EQ(Check(w, 13), 0) << "another limb";

    clearWire();
    w.chkGroupEnable[2]->click();
    // The slider's box going clear switches the motor off, and so does the group.
    EXPECT_EQ(wire(), Off(7) + Off(7) + Off(8) + Off(8));
    EXPECT_EQ(Check(w, 7), 0);
}

// ---- Copy, exchange and sync ---------------------------------------------------------------

TEST_F(HumanoidWindowTest, CopyAndExchangeReachOnlyMutualPartners) {
    // 6<->12 and 7<->13 are mutual; 8 points at 14, which points at 13; 9 is
    // its own partner.
    writeRobot(RobotFile({{6, 12}, {12, 6}, {7, 13}, {13, 7}, {8, 14}, {14, 13}, {9, 9}}));
    frmMoveKESTRA& w = Open();
    const auto set = [&](std::vector<std::pair<int, int>> values) {
        for (const auto& [slot, v] : values) w.servo[size_t(slot)]->setValue(v);
        clearWire();
    };

    set({{6, 60}, {7, 70}, {8, 80}, {9, 90}, {12, 120}, {13, 130}, {14, 140}});
    w.cmdCopy[0]->click();  // R_Arm => L_Arm
    // Each partner is moved, then its slider follows (which moves it again).
    EXPECT_EQ(wire(), Move(6, 120) + Move(6, 120) + Move(7, 130) + Move(7, 130));
    EXPECT_EQ(Value(w, 6), 120);
    EXPECT_EQ(Value(w, 7), 130);
    EXPECT_EQ(Value(w, 8), 80) << "its partner is not mutual";

    set({{6, 60}, {7, 70}, {12, 120}, {13, 130}});
    w.cmdCopy[1]->click();  // R_Arm <= L_Arm
    EXPECT_EQ(wire(), Move(12, 60) + Move(12, 60) + Move(13, 70) + Move(13, 70));
    EXPECT_EQ(Value(w, 14), 140);

    set({{6, 60}, {7, 70}, {12, 120}, {13, 130}});
    w.cmdCopy[2]->click();                                                         // R_Arm <=> L_Arm
    EXPECT_EQ(wire(), Move(6, 120) + Move(6, 120) + Move(12, 60) + Move(12, 60) +  //
                          Move(7, 130) + Move(7, 130) + Move(13, 70) + Move(13, 70));
    EXPECT_EQ(Value(w, 6), 120);
    EXPECT_EQ(Value(w, 12), 60);
    EXPECT_EQ(Value(w, 8), 80);
    EXPECT_EQ(Value(w, 14), 140);

    // No leg has a partner here: the leg commands send nothing.
    for (int k : {3, 4, 5}) {
        clearWire();
        w.cmdCopy[size_t(k)]->click();
        EXPECT_TRUE(wire().empty()) << k;
    }
}

TEST_F(HumanoidWindowTest, SyncSendsThePartnerTheSameValue) {
    writeRobot(RobotFile({{0, 18}, {18, 0}, {9, 9}}));
    frmMoveKESTRA& w = Open();
    w.chkSync->click();
    clearWire();

    w.servo[0]->setValue(90);
    // The partner's slider follows and, being moved, mirrors back once.
    EXPECT_EQ(wire(), Move(0, 90) + Move(18, 90) + Move(0, 90) + Move(18, 90));
    EXPECT_EQ(Value(w, 18), 90);

    clearWire();
    w.servo[9]->setValue(44);  // its own partner: sent once more to itself
    EXPECT_EQ(wire(), Move(9, 44) + Move(9, 44));

    // A move that fails on the link is not followed by the partner's, which
    // the controller would read as the rest of the broken frame.  Once the
    // line is quiet again, the move goes out once more, the partner's with it.
    main_->TimeOut.setInterval(kFaultTimeOutMs);
    clearWire();
    sim_->injectFault(ControllerSim::Fault::WrongEcho, 1);
    w.servo[0]->setValue(95);
    EXPECT_EQ(wire(), (Bytes{0xE6, 0}));
    EXPECT_EQ(Value(w, 18), 90);
    ASSERT_TRUE(motion_wait::Until([&] { return sim_->received().size() >= 2 + 4 * 3; }));
    EXPECT_EQ(wire(), (Bytes{0xE6, 0} + Move(0, 95) + Move(18, 95) + Move(0, 95) + Move(18, 95)));
    EXPECT_EQ(Value(w, 18), 95);

    w.chkSync->click();
    clearWire();
    w.servo[0]->setValue(91);
    EXPECT_EQ(wire(), Move(0, 91));
}

// The slider's handle and groove as its style draws them.
QRect SliderPart(QSlider* slider, QStyle::SubControl part) {
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = slider->sliderPosition();
    opt.sliderValue = slider->value();
    opt.singleStep = slider->singleStep();
    opt.pageStep = slider->pageStep();
    opt.upsideDown = slider->invertedAppearance();
    opt.tickPosition = slider->tickPosition();
    opt.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &opt, part, slider);
}

std::vector<std::pair<int, int>> Moves(const Bytes& wire) { return ServoMovesOnWire(wire); }

// A slider dragged by its handle sends its servo each place the handle
// passes, as the hand moves, and nothing beyond the range's ends; a click on
// the groove steps by a page.
TEST_F(HumanoidWindowTest, WhatASliderSendsFollowsTheHand) {
    writeRobot(RobotFile({{3, 3}}));
    frmMoveKESTRA& w = Open();
    vxServoSlide2* slide = w.servo[3];
    QSlider* slider = Unfold(slide);
    ASSERT_TRUE(slider->isVisible());
    const QRect groove = SliderPart(slider, QStyle::SC_SliderGroove);
    const int span = groove.width() - SliderPart(slider, QStyle::SC_SliderHandle).width();
    ASSERT_GT(span, 10);
    // Positions one pixel of the hand moves the handle by, rounded up.
    const int perPixel = (180 + span - 1) / span;

    struct Case {
        const char* what;
        int from;
        int pixels;  // how far the hand moves the handle; 0: a click on the groove
        int clickSide;
        int to;
    } cases[] = {
        {"dragged to the right", 100, 12, 0, -1},
        {"dragged to the left", 100, -12, 0, -1},
        {"dragged far beyond the upper end", 170, 3 * groove.width(), 0, 190},
        {"dragged far beyond the lower end", 30, -3 * groove.width(), 0, 10},
        {"a click on the groove right of the handle", 100, 0, 1, 105},
        {"a click on the groove left of the handle", 100, 0, -1, 95},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(slide->setValue(c.from));
        clearWire();
        const QRect handle = SliderPart(slider, QStyle::SC_SliderHandle);
        if (c.pixels == 0) {
            const QPoint at = c.clickSide > 0 ? QPoint((handle.right() + groove.right()) / 2, handle.center().y())
                                              : QPoint((groove.left() + handle.left()) / 2, handle.center().y());
            QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, at);
            EXPECT_EQ(Moves(wire()), (std::vector<std::pair<int, int>>{{3, c.to}}));
            EXPECT_EQ(slide->Value(), c.to);
            continue;
        }
        QPoint hand = handle.center();
        QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, hand);
        int last = c.from;
        const int step = c.pixels > 0 ? 1 : -1;
        for (int moved = 0; moved != c.pixels; moved += step) {
            hand.rx() += step;
            QTest::mouseMove(slider, hand);
            const int now = slide->Value();
            EXPECT_LE(std::abs(now - last), perPixel);
            // The servo stands where the handle stands, while the hand moves.
            const auto moves = Moves(wire());
            if (now != c.from) {
                ASSERT_FALSE(moves.empty()) << "nothing sent while the handle moved to " << now;
                EXPECT_EQ(moves.back(), std::make_pair(3, now));
            }
            last = now;
        }
        QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, hand);
        const auto moves = Moves(wire());
        ASSERT_FALSE(moves.empty());
        // One move per place, in order, each a small step, and the last
        // where the handle was let go.
        int previous = c.from;
        for (size_t k = 0; k < moves.size(); ++k) {
            EXPECT_EQ(moves[k].first, 3);
            EXPECT_NE(moves[k].second, previous) << "sent twice at " << previous;
            EXPECT_LE(std::abs(moves[k].second - previous), perPixel);
            previous = moves[k].second;
        }
        EXPECT_EQ(previous, slide->Value());
        if (c.to >= 0) {
            EXPECT_EQ(slide->Value(), c.to);
        }
        EXPECT_EQ(sim_->servoPosition(3), slide->Value());
    }
}

// With a controller that answers slowly, a click's release comes while the
// click's own move still waits for its echoes.  A short click on the groove
// is one page step all the same, a step button one step, and once the hand
// is off nothing more goes to the servo: a step back given meanwhile stays.
TEST_F(HumanoidWindowTest, AClickIsOneStepWhileTheControllerIsSlow) {
    writeRobot(RobotFile({{0, 0}}));
    frmMoveKESTRA& w = Open();
    vxServoSlide2* slide = w.servo[0];
    QSlider* slider = Unfold(slide);
    ASSERT_TRUE(slider->isVisible());
    const auto grooveRightOfHandle = [&] {
        const QRect groove = SliderPart(slider, QStyle::SC_SliderGroove);
        const QRect handle = SliderPart(slider, QStyle::SC_SliderHandle);
        return QPoint((handle.right() + groove.right()) / 2, handle.center().y());
    };
    using MoveList = std::vector<std::pair<int, int>>;
    struct Case {
        const char* what;
        std::function<QWidget*()> target;  // what the hand presses
        std::function<QPoint()> at;
        int releaseMs;     // from the press
        int stepBackAtMs;  // a << click, from the press; -1 for none
        MoveList moves;
    };
    const auto onSlider = [&] { return static_cast<QWidget*>(slider); };
    const auto centreOf = [](QAbstractButton* b) { return [b] { return b->rect().center(); }; };
    const std::vector<Case> cases = {
        {"short click on the groove", onSlider, grooveRightOfHandle, 30, -1, {{0, 105}}},
        {"groove click, then << while its move waits", onSlider, grooveRightOfHandle, 30, 80, {{0, 105}, {0, 100}}},
        {"groove click released after its move", onSlider, grooveRightOfHandle, 400, -1, {{0, 105}}},
        {">> held",
         [&] { return static_cast<QWidget*>(slide->cmdrr()); },
         centreOf(slide->cmdrr()),
         900,
         -1,
         {{0, 105}}},
        {"< pressed briefly",
         [&] { return static_cast<QWidget*>(slide->cmdl()); },
         centreOf(slide->cmdl()),
         30,
         -1,
         {{0, 99}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim_->setReplyDelay(0);
        ASSERT_TRUE(slide->setValue(100));
        clearWire();
        sim_->setReplyDelay(100);  // each echo a tenth of a second late
        QWidget* target = c.target();
        const QPoint at = c.at();
        QTimer::singleShot(c.releaseMs, target, [&] { QTest::mouseRelease(target, Qt::LeftButton, {}, at); });
        if (c.stepBackAtMs >= 0)
            QTimer::singleShot(c.stepBackAtMs, slide, [&] { QTest::mouseClick(slide->cmdll(), Qt::LeftButton); });
        QTest::mousePress(target, Qt::LeftButton, {}, at);
        // Well past the slider's repeat delay, and every move's echoes.
        QTest::qWait(c.releaseMs + 1000);
        EXPECT_EQ(Moves(wire()), c.moves);
        EXPECT_EQ(slide->Value(), c.moves.back().second);
        EXPECT_EQ(sim_->servoPosition(0), slide->Value());
    }
}

// Holding the groove right of a slider's handle steps the slider by a page,
// again and again, and each step moves the servo.  When one of those moves
// breaks off on the line (its echo comes back wrong), the controller may
// still be waiting for the frame's rest: nothing goes out until the reply
// time-out has passed since the failing byte.  The slider keeps stepping
// meanwhile; then the servo is sent where the slider stands and follows it
// again, and once the hand lets go it stands where the slider does.  Closed
// during the quiet time, the window sends nothing more.
TEST_F(HumanoidWindowTest, AHeldSliderAfterABrokenMoveWaitsForTheQuietLineThenCatchesUp) {
    writeRobot(RobotFile({{0, 0}}));
    QPointer<frmMoveKESTRA> w = &Open();
    constexpr int kTimeOutMs = kFaultTimeOutMs;
    main_->TimeOut.setInterval(kTimeOutMs);
    // The line stays quiet for the time-out, but at least for the floor.
    const int kQuietMs = std::max(kTimeOutMs, vxIO::QuietFloorMs());
    vxServoSlide2* slide = w->servo[0];
    QSlider* slider = Unfold(slide);
    ASSERT_TRUE(slider->isVisible());
    struct Case {
        const char* what;
        int byteOfMove;  // 1 the motor byte, 2 the position
        bool close;
    };
    const Case cases[] = {
        {"wrong echo of the motor byte", 1, false},
        {"wrong echo of the position byte", 2, false},
        {"closed during the quiet time", 1, true},  // last: the window goes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w);
        ASSERT_TRUE(motion_wait::QuietLine());  // a quiet line to start from
        ASSERT_TRUE(slide->setValue(30));
        clearWire();
        // The press steps to 35; the slider's first repeat, to 40, breaks off.
        sim_->injectFrameFault(ControllerSim::Fault::WrongEcho, 0xE6, c.byteOfMove, 1);
        const QRect groove = SliderPart(slider, QStyle::SC_SliderGroove);
        const QPoint at(groove.right() - 1, SliderPart(slider, QStyle::SC_SliderHandle).center().y());
        QTest::mousePress(slider, Qt::LeftButton, {}, at);
        const size_t failing = 3 + static_cast<size_t>(c.byteOfMove);
        ASSERT_TRUE(motion_wait::Until([&] { return sim_->received().size() > failing; }))
            << "the slider did not repeat";
        const int steppedTo = slide->Value();
        if (c.close) {
            QTest::qWait(100);
            w->close();
            QTest::qWait(kQuietMs + 300);
            EXPECT_FALSE(w);
            EXPECT_TRUE(SentAfter(*sim_, failing).bytes.empty()) << "sent after the window closed";
            EXPECT_FALSE(main_->Comm.PortOpen());
            continue;
        }
        // Held until the servo has caught up and followed a step more (or
        // the slider has reached its end).
        ASSERT_TRUE(motion_wait::Until([&] {
            const size_t moves = Moves(SentAfter(*sim_, failing).bytes).size();
            return moves >= 2 || (moves == 1 && slide->Value() == slider->maximum());
        }));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
        ASSERT_TRUE(motion_wait::Until([&] {
            return sim_->waitIdle(0) && sim_->servoPosition(0) == slide->Value();
        }));

        Bytes sentUntilFault = Move(0, 35) + Move(0, 40);
        sentUntilFault.resize(failing + 1);
        const Bytes sent = wire();
        ASSERT_GT(sent.size(), failing);
        EXPECT_EQ(Bytes(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(failing + 1)), sentUntilFault);
        const SentAfterByte after = SentAfter(*sim_, failing);
        EXPECT_GE(after.HostPauseAtLeastMs(), kQuietMs - 30);
        const auto moves = Moves(after.bytes);
        ASSERT_FALSE(moves.empty());
        EXPECT_EQ(after.bytes.size(), 3 * moves.size()) << "whole moves only";
        // The slider stepped on during the quiet time; its servo caught up
        // in one move and then followed step by step.
        EXPECT_GE(moves.front().second, steppedTo + 3 * 5);
        int previous = steppedTo;
        for (const auto& [motor, position] : moves) {
            EXPECT_EQ(motor, 0);
            EXPECT_GT(position, previous) << TheLine(*sim_);
            previous = position;
        }
        EXPECT_EQ(previous, slide->Value());
        EXPECT_EQ(sim_->servoPosition(0), slide->Value());
    }
}

// After a move that broke off, nothing goes out while the line must stay
// quiet, and nothing the hand asks for meanwhile is dropped either: slider
// moves and slot boxes wait as always, and a limb box or capture button
// clicked meanwhile waits too, under the busy cursor, the limb box showing
// its new state.  Once the line is quiet, everything goes in the order the
// hand gave it: a slot's box cleared after a move of its slider goes after
// that move, so the motor just switched off is not moved again.  A close
// during the quiet time drops it all.
TEST_F(HumanoidWindowTest, ClicksDuringTheQuietLineAfterABrokenMoveGoInTheOrderOfTheHand) {
    writeRobot(RobotFile({{0, 0}, {7, 7}, {8, 8}}));
    sim_->setRam(1259, 0x01);  // motor 0 is on
    QPointer<frmMoveKESTRA> w = &Open();
    constexpr int kTimeOutMs = kFaultTimeOutMs;
    main_->TimeOut.setInterval(kTimeOutMs);
    const auto busyCursor = [&] {
        return w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::BusyCursor;
    };
    const Bytes limbOn = ReadVar(7) + Move(7, 120) + WritePair(7, 120) + On(7) + ReadVar(7) + On(7) +  //
                         ReadVar(8) + WritePair(8, 100) + On(8) + ReadVar(8) + On(8);
    const Bytes allCaptured = Block6(217) + Block6(216) + Block6(218) + Block6(215);
    struct Case {
        const char* what;
        std::function<void(frmMoveKESTRA&)> hand;
        Bytes after;  // what goes out once the line is quiet; empty: the window closed
    };
    const std::vector<Case> cases = {
        {"a move, then its slot's box cleared: the move goes first",
         [](frmMoveKESTRA& win) {
             win.servo[0]->setValue(60);
             win.servo[0]->setCheckValue(0);
         },
         Move(0, 60) + Off(0)},
        {"its slot's box cleared, then a move: the switch goes first",
         [](frmMoveKESTRA& win) {
             win.servo[0]->setCheckValue(0);
             win.servo[0]->setValue(60);
         },
         Off(0) + Move(0, 60)},
        {"a limb's box, a move, then All Motors captured",
         [&](frmMoveKESTRA& win) {
             win.chkGroupEnable[2]->click();
             win.servo[0]->setValue(70);
             win.cmdCapture[0]->click();
             EXPECT_TRUE(win.chkGroupEnable[2]->isChecked()) << "the box shows the click while it waits";
             EXPECT_TRUE(busyCursor());
         },
         limbOn + Move(0, 70) + allCaptured},
        {"closed during the quiet time",
         [](frmMoveKESTRA& win) {
             win.servo[0]->setCheckValue(0);
             win.chkGroupEnable[0]->click();
             win.cmdCapture[1]->click();
             QTest::qWait(50);
             win.close();
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(w);
        ASSERT_TRUE(motion_wait::QuietLine());
        // Slot 0 on at 30, the left arm off.
        if (Check(*w, 0) == 0) w->servo[0]->setCheckValue(1);
        for (int slot : {7, 8})
            if (Check(*w, slot) != 0) w->servo[size_t(slot)]->setCheckValue(0);
        if (w->chkGroupEnable[2]->isChecked()) w->chkGroupEnable[2]->click();
        w->servo[0]->setValue(30);
        sim_->setServoPosition(7, 120);
        sim_->setServoPosition(8, 100);
        w->servo[7]->setValue(100);
        clearWire();

        sim_->injectFrameFault(ControllerSim::Fault::WrongEcho, 0xE6, 1);
        w->servo[0]->setValue(40);
        ASSERT_EQ(wire(), (Bytes{0xE6, 0}));
        const size_t failing = 1;
        const int quietMs = vxIO::BrokenFrameQuietMs();
        ASSERT_GT(quietMs, 200);
        c.hand(*w);
        if (c.after.empty()) {
            QTest::qWait(quietMs + 300);
            EXPECT_FALSE(w);
            EXPECT_TRUE(SentAfter(*sim_, failing).bytes.empty()) << "sent after the window closed";
            EXPECT_FALSE(main_->Comm.PortOpen());
            continue;
        }
        // Nothing went behind the broken frame before its quiet time was
        // over: the time of the first byte after it shows that (below).
        ASSERT_TRUE(motion_wait::Until([&] { return !busyCursor() && SentAfter(*sim_, failing).bytes.size() >= c.after.size(); }));
        ASSERT_TRUE(sim_->waitIdle(2000));
        const SentAfterByte after = SentAfter(*sim_, failing);
        EXPECT_EQ(after.bytes, c.after);
        EXPECT_GE(after.HostPauseAtLeastMs(), quietMs - 5);
        EXPECT_FALSE(busyCursor());
        EXPECT_EQ(sim_->servoPosition(0), Value(*w, 0));
    }
}

// While the link waits for the controller, nothing else of the window runs:
// a command button is refused, and a slider moved meanwhile is sent after
// the running command, never in the middle of its bytes.
TEST_F(HumanoidWindowTest, NothingReentersWhileAnExchangeWaits) {
    writeRobot(RobotFile({{6, 12}, {12, 6}, {0, 0}}));
    frmMoveKESTRA& w = Open();
    w.servo[6]->setValue(60);
    w.servo[12]->setValue(120);
    clearWire();

    // The controller echoes the copy's first byte late; meanwhile the user
    // moves slider 0, presses Exchange and double-clicks slider 0.
    sim_->injectFault(ControllerSim::Fault::LateReply, 0, 300);
    const motion_wait::DuringTheNextWait hand(
        [&] {
            w.servo[0]->setValue(77);
            w.cmdCopy[2]->click();
            w.servo_DblClick(0);
        },
        [&] { return !sim_->received().empty(); });
    w.cmdCopy[0]->click();
    ASSERT_TRUE(hand.Done());
    EXPECT_EQ(Value(w, 6), 120);
    // The held-back move goes out once the link is free.
    ASSERT_TRUE(motion_wait::Until([&] { return sim_->servoPosition(0) == 77; }));
    EXPECT_EQ(wire(), Move(6, 120) + Move(6, 120) + Move(0, 77));
    EXPECT_EQ(Value(w, 12), 120) << "the exchange was refused";
}

// Closing the window while a command waits for the controller would close the
// port under it; the window closes once the command has ended.
TEST_F(HumanoidWindowTest, CloseDuringAWaitEndsTheCommandThenCloses) {
    writeRobot(RobotFile({{6, 12}, {12, 6}}));
    frmMoveKESTRA& w = Open();
    w.servo[12]->setValue(120);
    clearWire();
    sim_->injectFault(ControllerSim::Fault::LateReply, 0, 300);
    const motion_wait::DuringTheNextWait hand([&] { w.close(); }, [&] { return !sim_->received().empty(); });
    QPointer<frmMoveKESTRA> window(&w);
    w.cmdCopy[0]->click();
    ASSERT_TRUE(hand.Done());
    ASSERT_FALSE(window.isNull()) << "not closed under the running command";
    // The close ended the command at the byte in flight, and the port with it.
    EXPECT_FALSE(main_->Comm.PortOpen());
    EXPECT_TRUE(motion_wait::Until([&] { return window.isNull(); }));
    EXPECT_EQ(frmMoveKESTRA::Loaded(), nullptr);
    EXPECT_FALSE(main_->Comm.PortOpen());
    EXPECT_EQ(wire(), Bytes{0xE6});
    EXPECT_TRUE(main_->mnuBuild->menuAction()->isEnabled());
}

// ---- Insert and wait ---------------------------------------------------------------------------

TEST_F(HumanoidWindowTest, MoveLinesFormat) {
    std::array<uint8_t, 24> pos{};
    std::array<bool, 24> on{};
    const uint8_t a[6] = {100, 76, 145, 93, 100, 100};
    for (int j = 0; j < 6; ++j) {
        pos[size_t(j)] = a[j];
        on[size_t(j)] = j != 3;
        pos[size_t(18 + j)] = uint8_t(10 + j);
        on[size_t(18 + j)] = true;
        pos[size_t(6 + j)] = 190;
        on[size_t(12 + j)] = j == 0;
        pos[size_t(12 + j)] = 55;
    }
    EXPECT_EQ(frmMoveKESTRA::MoveLines(pos, on, false),
              "MOVE G6A, 100,  76, 145,  , 100, 100\r\n"
              "MOVE G6D,  10,  11,  12,  13,  14,  15\r\n"
              "MOVE G6B,  ,  ,  ,  ,  ,  \r\n"
              "MOVE G6C,  55,  ,  ,  ,  ,  \r\n");
    EXPECT_EQ(frmMoveKESTRA::MoveLines(pos, on, true),
              "MOVE G6D,  10,  11,  12,  13,  14,  15\r\n"
              "MOVE G6A, 100,  76, 145,  , 100, 100\r\n"
              "MOVE G6C,  55,  ,  ,  ,  ,  \r\n"
              "MOVE G6B,  ,  ,  ,  ,  ,  \r\n");
}

TEST_F(HumanoidWindowTest, InsertKeysWriteIntoTheActiveDocument) {
    writeRobot(RobotFile({{0, 0}}));
    frmMoveKESTRA& w = Open();
    w.servo[0]->setCheckValue(1);
    w.servo[0]->setValue(123);
    const QString plain = QStringLiteral(
        "MOVE G6A, 123,  ,  ,  ,  ,  \r\nMOVE G6D,  ,  ,  ,  ,  ,  \r\n"
        "MOVE G6B,  ,  ,  ,  ,  ,  \r\nMOVE G6C,  ,  ,  ,  ,  ,  \r\n");
    const QString alternative = QStringLiteral(
        "MOVE G6D,  ,  ,  ,  ,  ,  \r\nMOVE G6A, 123,  ,  ,  ,  ,  \r\n"
        "MOVE G6C,  ,  ,  ,  ,  ,  \r\nMOVE G6B,  ,  ,  ,  ,  ,  \r\n");
    struct Case {
        const char* what;
        std::function<void()> press;
        QString inserted;
    };
    const std::vector<Case> cases = {
        {"click", [&] { QTest::mouseClick(w.cmdInsert, Qt::LeftButton); }, plain},
        {"Ctrl + left", [&] { QTest::mouseClick(w.cmdInsert, Qt::LeftButton, Qt::ControlModifier); }, alternative},
        // Ctrl with Shift is no Ctrl press: the click inserts the ordinary order.
        {"Ctrl + Shift + left",
         [&] { QTest::mouseClick(w.cmdInsert, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier); }, plain},
        {"Ctrl + right", [&] { QTest::mouseClick(w.cmdInsert, Qt::RightButton, Qt::ControlModifier); }, QString()},
        {"wait", [&] { QTest::mouseClick(w.cmdWait, Qt::LeftButton); }, QStringLiteral("WAIT\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::CodeEditor* ed = Editor();
        ed->setText(QStringLiteral("A\r\n\r\nB"));
        ed->PutCaret(1, 0);  // the empty line
        c.press();
        EXPECT_EQ(ed->text(), QStringLiteral("A\r\n") + c.inserted + QStringLiteral("\r\nB"));
        // The caret goes below the inserted lines.
        int line = 0, column = 0;
        ed->getCursorPosition(&line, &column);
        EXPECT_EQ(line, 1 + int(c.inserted.count(QStringLiteral("\r\n"))));
        EXPECT_EQ(column, 0);
    }

    // Without a document nothing is inserted, and nothing fails.
    modApp::ActiveDoc = 0;
    QTest::mouseClick(w.cmdInsert, Qt::LeftButton);
    QTest::mouseClick(w.cmdInsert, Qt::LeftButton, Qt::ControlModifier);
    QTest::mouseClick(w.cmdWait, Qt::LeftButton);
    EXPECT_TRUE(boxes_->Calls().empty());
}

// Insert and Wait clicked while a capture still waits its turn (a broken
// frame keeps the line quiet) write what the capture read, in the order of
// the clicks.
TEST_F(HumanoidWindowTest, InsertsAfterACaptureThatWaitsShowWhatItRead) {
    writeRobot(RobotFile({{0, 0}, {18, 18}}));
    sim_->setRam(1259, 0x01);  // motors 0 and 18 are on
    sim_->setRam(1261, 0x04);
    frmMoveKESTRA& w = Open();
    ASSERT_EQ(Value(w, 18), 100);
    Editor()->setText(QString());
    clearWire();
    sim_->injectFrameFault(ControllerSim::Fault::WrongEcho, 0xE6, 1);
    w.servo[0]->setValue(40);
    ASSERT_EQ(wire(), (Bytes{0xE6, 0}));
    ASSERT_GT(vxIO::BrokenFrameQuietMs(), 0);
    // Meanwhile the controller's program has moved servo 18 on.
    sim_->setServoPosition(18, 123);

    w.cmdCapture[0]->click();
    QTest::mouseClick(w.cmdInsert, Qt::LeftButton);
    QTest::mouseClick(w.cmdWait, Qt::LeftButton);
    const QString expected = QStringLiteral(
        "MOVE G6A,  40,  ,  ,  ,  ,  \r\nMOVE G6D, 123,  ,  ,  ,  ,  \r\n"
        "MOVE G6B,  ,  ,  ,  ,  ,  \r\nMOVE G6C,  ,  ,  ,  ,  ,  \r\nWAIT\r\n");
    ASSERT_TRUE(motion_wait::Until([&] { return Editor()->text().endsWith(QStringLiteral("WAIT\r\n")); }));
    EXPECT_EQ(Editor()->text().toStdString(), expected.toStdString());
    EXPECT_EQ(Value(w, 18), 123);
    EXPECT_TRUE(boxes_->Calls().empty());
}

TEST_F(HumanoidWindowTest, InsertOptionSetsTheSettingAndEachLoadSelectsG6) {
    writeRobot(RobotFile({{0, 0}}));
    frmMoveKESTRA& w = Open();
    w.optInsert[1]->click();
    EXPECT_TRUE(modMain::InsertG24);
    w.optInsert[0]->click();
    EXPECT_FALSE(modMain::InsertG24);
    w.optInsert[1]->click();
    w.close();
    QCoreApplication::processEvents();
    frmMoveKESTRA& again = Open();
    EXPECT_TRUE(again.optInsert[0]->isChecked());
    EXPECT_FALSE(modMain::InsertG24);
}

// ---- Closing -------------------------------------------------------------------------------------

TEST_F(HumanoidWindowTest, CloseLiftsTheLockKeepsThePositionAndClosesThePort) {
    writeRobot(RobotFile({{0, 0}}));
    modMain::MotorWindowLeft = 1500;
    modMain::MotorWindowTop = 1515;
    frmMoveKESTRA& w = Open();
    EXPECT_EQ(w.pos(), QPoint(100, 101));
    EXPECT_FALSE(main_->tBar3->isEnabled());
    w.move(200, 210);
    QTest::mouseClick(w.cmdClose, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(frmMoveKESTRA::Loaded(), nullptr);
    EXPECT_FALSE(main_->Comm.PortOpen());
    EXPECT_FLOAT_EQ(modMain::MotorWindowLeft, 3000);
    EXPECT_FLOAT_EQ(modMain::MotorWindowTop, 3150);
    EXPECT_TRUE(main_->tBar3->isEnabled());
    EXPECT_TRUE(main_->mnuSet->menuAction()->isEnabled());
    EXPECT_TRUE(main_->mnuMotorControl->isEnabled());
    EXPECT_TRUE(main_->mnuMotorControlKESTRA->isEnabled());

    // Another controller type keeps the humanoid item off.
    modMain::ControllerType = 3;
    Open().close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(main_->mnuMotorControlKESTRA->isEnabled());
    EXPECT_TRUE(main_->mnuMotorControl->isEnabled());
    modMain::ControllerType = 8;
}

TEST_F(HumanoidWindowTest, ClosedWhenTheProgramEnds) {
    writeRobot(RobotFile({{0, 0}}));
    Open();
    ASSERT_NE(frmMoveKESTRA::Loaded(), nullptr);
    main_->MDIForm_Unload();
    QCoreApplication::processEvents();
    EXPECT_EQ(frmMoveKESTRA::Loaded(), nullptr);
    EXPECT_FALSE(main_->Comm.PortOpen());
}

}  // namespace
