// The servo slider panel: step buttons at the ends of the range, the events
// that values set from code raise (hosts move servos on them), refusal of
// positions outside the range, folding by the pointer, and saving and
// loading its properties.
#include <QAbstractButton>
#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "vxServoSlide2.h"

namespace {

constexpr int px(int twips) { return twips / kServoTwipsPerPixel; }

// A slider panel shown in a host window, as the motion windows hold them.
class SlideFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(200, 120);
        slide = new vxServoSlide2(&host);
        slide->move(10, 10);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    QWidget host;
    vxServoSlide2* slide = nullptr;
};

struct StepCase {
    const char* button;
    int from;
    int to;
};

TEST_F(SlideFixture, StepButtonsStopAtTheEndsOfTheRange) {
    const std::vector<StepCase> cases = {
        {"cmdll", 12, 10},   {"cmdll", 15, 10},   {"cmdll", 14, 10},   {"cmdll", 10, 10},
        {"cmdll", 100, 95},  {"cmdl", 10, 10},    {"cmdl", 11, 10},    {"cmdl", 100, 99},
        {"cmdr", 190, 190},  {"cmdr", 189, 190},  {"cmdr", 100, 101},  {"cmdrr", 188, 190},
        {"cmdrr", 185, 190}, {"cmdrr", 186, 190}, {"cmdrr", 190, 190}, {"cmdrr", 100, 105},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " at " + std::to_string(c.from));
        ASSERT_TRUE(slide->setValue(c.from));
        QSignalSpy change(slide, &vxServoSlide2::Change);
        QAbstractButton* button = slide->findChild<QAbstractButton*>(c.button);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(slide->Value(), c.to);
        EXPECT_EQ(slide->lblMotorVal()->text(), QString::number(c.to));
        // A step that changes nothing raises nothing: the host would resend
        // the same position for nothing.
        EXPECT_EQ(change.count(), c.from == c.to ? 0 : 1);
    }
}

TEST_F(SlideFixture, ValueSetFromCodeRaisesChangeOnceAndShowsIt) {
    QSignalSpy change(slide, &vxServoSlide2::Change);
    QSignalSpy props(slide, &vxServoSlide2::PropertyChanged);
    // The label shows the new value by the time the host hears Change.
    QString labelAtChange;
    QObject::connect(slide, &vxServoSlide2::Change, [&] { labelAtChange = slide->lblMotorVal()->text(); });

    EXPECT_TRUE(slide->setValue(120));
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(slide->Value(), 120);
    EXPECT_EQ(slide->ServoSlider()->value(), 120);
    EXPECT_EQ(slide->lblMotorVal()->text(), "120");
    EXPECT_EQ(labelAtChange, "100");  // Change first, then the label
    ASSERT_EQ(props.count(), 1);
    EXPECT_EQ(props.at(0).at(0).toString(), "Value");

    // The same value again is no change.
    EXPECT_TRUE(slide->setValue(120));
    EXPECT_EQ(change.count(), 1);
}

TEST_F(SlideFixture, PositionOutsideTheRangeIsRefusedNotClamped) {
    ASSERT_TRUE(slide->setValue(57));
    QSignalSpy change(slide, &vxServoSlide2::Change);
    QSignalSpy props(slide, &vxServoSlide2::PropertyChanged);
    for (int bad : {9, 191, 0, -1, 255, 1000, -32768}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(slide->setValue(bad));
        EXPECT_EQ(slide->Value(), 57);
        EXPECT_EQ(slide->lblMotorVal()->text(), "57");
    }
    EXPECT_EQ(change.count(), 0);
    EXPECT_EQ(props.count(), 0);
    // The ends themselves are positions.
    EXPECT_TRUE(slide->setValue(10));
    EXPECT_TRUE(slide->setValue(190));
    EXPECT_EQ(change.count(), 2);
}

TEST_F(SlideFixture, DraggingReportsScrollAndLettingGoReportsChange) {
    QSignalSpy change(slide, &vxServoSlide2::Change);
    QSignalSpy scroll(slide, &vxServoSlide2::Scroll);
    QSlider* slider = slide->ServoSlider();
    slider->setSliderDown(true);
    slider->setSliderPosition(57);
    EXPECT_EQ(scroll.count(), 1);
    EXPECT_EQ(change.count(), 0);
    EXPECT_EQ(slide->lblMotorVal()->text(), "57");
    EXPECT_EQ(slide->Value(), 57);  // where the handle stands
    slider->setSliderDown(false);
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(slide->Value(), 57);

    // Keys on the slider change the value at once.
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slide->Value(), 58);
    EXPECT_EQ(slide->lblMotorVal()->text(), "58");
    EXPECT_EQ(change.count(), 2);
}

// A press on the groove steps the value by a page and, while the button is
// held, goes on stepping.  A host's Change handler may wait for a slow
// controller and hand control to the event queue meanwhile, so that the
// release arrives before the press has been handled to its end: the value
// then steps once, and nothing steps it any further once the hand is off.
TEST_F(SlideFixture, GrooveRepeatsOnlyWhileTheButtonIsHeld) {
    host.resize(300, 120);
    slide->resize(260, slide->height());
    QSlider* slider = slide->ServoSlider();
    ASSERT_TRUE(slider->isVisible());
    struct Case {
        const char* what;
        int hostWaitMs;  // how long each Change keeps the host busy
        int releaseMs;   // when the hand lets go, from the press
        bool repeats;    // whether the value steps beyond one page
    };
    const Case cases[] = {
        {"short click, host answers slowly", 150, 20, false},
        {"short click, host answers at once", 0, 20, false},
        {"held, host answers at once", 0, 800, true},
        {"held, host answers slowly", 150, 800, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(slide->setValue(100));
        std::vector<int> changes;
        const QMetaObject::Connection busy = QObject::connect(slide, &vxServoSlide2::Change, [&] {
            changes.push_back(slide->Value());
            if (c.hostWaitMs == 0) return;
            QEventLoop wait;
            QTimer::singleShot(c.hostWaitMs, &wait, &QEventLoop::quit);
            wait.exec();
        });
        // Right of the handle, on the groove's line.
        const QPoint at(slider->width() - 4, slider->height() / 2);
        bool released = false;
        QTimer::singleShot(c.releaseMs, slider, [&] {
            QTest::mouseRelease(slider, Qt::LeftButton, {}, at);
            released = true;
        });
        QTest::mousePress(slider, Qt::LeftButton, {}, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return released; }, 30000));
        const int atRelease = slide->Value();
        // The slider's repeat steps first 500 ms after the press, then every
        // 50 ms; a step still due after the release would come within this
        // (the event queue runs every timer due before the wait's end).
        QTest::qWait(700);
        QObject::disconnect(busy);
        EXPECT_EQ(slide->Value(), atRelease) << "stepped after the button was let go";
        ASSERT_FALSE(changes.empty());
        EXPECT_EQ(changes.front(), 105);
        if (c.repeats) {
            EXPECT_GT(atRelease, 105);
        } else {
            EXPECT_EQ(changes, std::vector<int>{105});
        }
        EXPECT_FALSE(slider->isSliderDown());
    }
}

// A host's Change or Scroll handler may wait for a controller with the event
// queue running, and the position may change again meanwhile (a step button
// clicked, the handle dragged on).  Once the handlers have returned, the
// label shows where the slider stands, not the position the first notice
// carried.
TEST_F(SlideFixture, LabelShowsThePositionAfterAHostThatWaited) {
    QSlider* slider = slide->ServoSlider();
    struct Case {
        const char* what;
        std::function<void()> first;     // the change whose handler waits
        std::function<void()> meantime;  // what the hand does during the wait
        int shown;
    };
    const std::vector<Case> cases = {
        {"a step, then << during its wait", [&] { QTest::mouseClick(slide->cmdrr(), Qt::LeftButton); },
         [&] { QTest::mouseClick(slide->cmdll(), Qt::LeftButton); }, 100},
        {"a drag, moved on during its wait",
         [&] {
             slider->setSliderDown(true);
             slider->setSliderPosition(57);
         },
         [&] { slider->setSliderPosition(60); }, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        slider->setSliderDown(false);
        ASSERT_TRUE(slide->setValue(100));
        bool waiting = false;
        const auto wait = [&] {
            if (waiting) return;
            waiting = true;
            QEventLoop loop;
            QTimer::singleShot(10, &loop, c.meantime);
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
            loop.exec();
            waiting = false;
        };
        const QMetaObject::Connection onChange = QObject::connect(slide, &vxServoSlide2::Change, wait);
        const QMetaObject::Connection onScroll = QObject::connect(slide, &vxServoSlide2::Scroll, wait);
        c.first();
        QObject::disconnect(onChange);
        QObject::disconnect(onScroll);
        EXPECT_EQ(slide->Value(), c.shown);
        EXPECT_EQ(slide->lblMotorVal()->text(), QString::number(c.shown));
    }
    slider->setSliderDown(false);
}

TEST_F(SlideFixture, CheckBoxRaisesClickForTheUserAndForCode) {
    QSignalSpy click(slide, &vxServoSlide2::Click);
    EXPECT_EQ(slide->CheckValue(), 0);
    EXPECT_TRUE(slide->setCheckValue(1));
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(slide->CheckValue(), 1);
    EXPECT_TRUE(slide->setCheckValue(1));  // no change, no click
    EXPECT_EQ(click.count(), 1);

    QTest::mouseClick(slide->chkUse(), Qt::LeftButton);
    EXPECT_EQ(slide->CheckValue(), 0);
    EXPECT_EQ(click.count(), 2);

    for (int bad : {3, -1, 100}) {
        EXPECT_FALSE(slide->setCheckValue(bad));
        EXPECT_EQ(slide->CheckValue(), 0);
    }
    EXPECT_EQ(click.count(), 2);

    // Greyed from code; the user's next click ticks it, never back to grey.
    EXPECT_TRUE(slide->setCheckValue(2));
    EXPECT_EQ(slide->CheckValue(), 2);
    QTest::mouseClick(slide->chkUse(), Qt::LeftButton);
    EXPECT_EQ(slide->CheckValue(), 1);
    QTest::mouseClick(slide->chkUse(), Qt::LeftButton);
    EXPECT_EQ(slide->CheckValue(), 0);
}

TEST_F(SlideFixture, PositionLabelClickRaisesValueClick) {
    QSignalSpy valueClick(slide, &vxServoSlide2::ValueClick);
    QSignalSpy change(slide, &vxServoSlide2::Change);
    QTest::mouseClick(slide->lblMotorVal(), Qt::LeftButton);
    EXPECT_EQ(valueClick.count(), 1);
    EXPECT_EQ(change.count(), 0);
}

// Heights of the panel, its frame and its inner panel.
void ExpectHeights(const vxServoSlide2& s, int control, int frame, int inner) {
    EXPECT_EQ(s.height(), px(control));
    EXPECT_EQ(s.pp()->height(), px(frame));
    EXPECT_EQ(s.p()->height(), px(inner));
}

TEST_F(SlideFixture, PointerOverTheHeaderUnfoldsAndOverTheFrameFolds) {
    ExpectHeights(*slide, 960, 960, 825);
    EXPECT_TRUE(slide->ScrollView());
    QSignalSpy props(slide, &vxServoSlide2::PropertyChanged);

    // The strip of the frame below the inner panel.
    const QPoint frameStrip(slide->pp()->width() / 2, slide->p()->height() + 3);
    QTest::mouseMove(slide->pp(), frameStrip);
    EXPECT_FALSE(slide->ScrollView());
    ExpectHeights(*slide, 405, 405, 285);
    ASSERT_GE(props.count(), 1);
    EXPECT_EQ(props.last().at(0).toString(), "ScrollView");
    // Folded, the header stays whole and the buttons and the slider are
    // hidden whole, not cut through.
    for (QWidget* part : {static_cast<QWidget*>(slide->chkUse()), static_cast<QWidget*>(slide->lblMotorNo()),
                          static_cast<QWidget*>(slide->lblMotorVal())})
        EXPECT_TRUE(slide->p()->rect().contains(part->geometry())) << part->objectName().toStdString();
    for (QWidget* part : {static_cast<QWidget*>(slide->cmdll()), static_cast<QWidget*>(slide->cmdrr()),
                          static_cast<QWidget*>(slide->ServoSlider())})
        EXPECT_FALSE(slide->p()->rect().intersects(part->geometry())) << part->objectName().toStdString();

    for (QWidget* header : {static_cast<QWidget*>(slide->chkUse()), static_cast<QWidget*>(slide->lblMotorNo()),
                            static_cast<QWidget*>(slide->lblMotorVal())}) {
        SCOPED_TRACE(header->objectName().toStdString());
        slide->setScrollView(false);
        QTest::mouseMove(header, header->rect().center());
        EXPECT_TRUE(slide->ScrollView());
        ExpectHeights(*slide, 960, 960, 825);
    }

    // Moving over the inner panel itself neither folds nor unfolds; a click
    // on it unfolds.
    slide->setScrollView(false);
    const QPoint bare(slide->p()->width() / 2, slide->p()->height() - 1);  // below the labels
    ASSERT_EQ(slide->p()->childAt(bare), nullptr);
    QTest::mouseMove(slide->p(), bare);
    EXPECT_FALSE(slide->ScrollView());
    QTest::mouseClick(slide->p(), Qt::LeftButton, {}, bare);
    EXPECT_TRUE(slide->ScrollView());
    ExpectHeights(*slide, 960, 960, 825);
}

TEST_F(SlideFixture, ScrollViewPropertyFoldsAndUnfolds) {
    QSignalSpy resized(slide, &vxServoSlide2::Resize);
    slide->setScrollView(false);
    ExpectHeights(*slide, 405, 405, 285);
    EXPECT_GE(resized.count(), 1);
    slide->setScrollView(true);
    ExpectHeights(*slide, 960, 960, 825);
    // Folding keeps the width the host gave.
    slide->resize(120, slide->height());
    slide->setScrollView(false);
    EXPECT_EQ(slide->width(), 120);
    EXPECT_EQ(slide->pp()->width(), 120);
}

TEST_F(SlideFixture, NumberShowsWithoutBlanksAndFitsAWideFont) {
    slide->setMotorNo(23);
    EXPECT_EQ(slide->lblMotorNo()->text(), "23");
    slide->setMotorNo(-7);
    EXPECT_EQ(slide->lblMotorNo()->text(), "-7");
    // The humanoid window gives its sliders a wider font: the number must
    // still be readable whole and the position label must not cover it.
    QFont wide(QStringLiteral("Courier New"));
    wide.setStyleHint(QFont::Monospace);
    wide.setPointSizeF(9.75);
    slide->setFont(wide);
    slide->setMotorNo(23);
    EXPECT_EQ(slide->Font().family(), wide.family());
    const QLabel* no = slide->lblMotorNo();
    EXPECT_GE(no->width(), no->fontMetrics().horizontalAdvance("23"));
    EXPECT_FALSE(no->geometry().intersects(slide->lblMotorVal()->geometry()));
    EXPECT_GE(slide->lblMotorVal()->width(), slide->lblMotorVal()->fontMetrics().horizontalAdvance("190"));
}

TEST_F(SlideFixture, SurfaceReportsKeysAndMouseInItsOwnUnits) {
    QSignalSpy down(slide, &vxServoSlide2::KeyDown);
    QSignalSpy press(slide, &vxServoSlide2::KeyPress);
    QSignalSpy up(slide, &vxServoSlide2::KeyUp);
    slide->setFocus();
    // Key code and shift state of each KeyDown.
    auto downs = [&] {
        std::vector<std::pair<int, int>> v;
        for (const auto& args : down) v.emplace_back(args.at(0).value<int16_t>(), args.at(1).value<int16_t>());
        return v;
    };
    QTest::keyClick(slide, Qt::Key_A, Qt::ShiftModifier);  // the Shift key itself goes down first
    EXPECT_EQ(downs(), (std::vector<std::pair<int, int>>{{16, 1}, {65, 1}}));
    EXPECT_EQ(up.count(), 2);
    press.clear();
    QTest::keyClick(slide, 'x');
    ASSERT_EQ(press.count(), 1);
    EXPECT_EQ(press.at(0).at(0).value<int16_t>(), 'x');
    down.clear();
    QTest::keyClick(slide, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(downs(), (std::vector<std::pair<int, int>>{{17, 2}, {123, 2}}));
    EXPECT_EQ(press.count(), 1);  // no character

    QSignalSpy mouseDown(slide, &vxServoSlide2::MouseDown);
    QSignalSpy dbl(slide, &vxServoSlide2::DblClick);
    QTest::mousePress(slide, Qt::RightButton, Qt::NoModifier, QPoint(4, 5));
    ASSERT_EQ(mouseDown.count(), 1);
    EXPECT_EQ(mouseDown.at(0).at(0).value<int16_t>(), 2);
    EXPECT_FLOAT_EQ(mouseDown.at(0).at(2).toFloat(), 4 * 15.0f);
    EXPECT_FLOAT_EQ(mouseDown.at(0).at(3).toFloat(), 5 * 15.0f);
    QTest::mouseRelease(slide, Qt::RightButton, Qt::NoModifier, QPoint(4, 5));
    QTest::mouseDClick(slide, Qt::LeftButton, Qt::NoModifier, QPoint(4, 5));
    EXPECT_EQ(dbl.count(), 1);
}

// Persistence.

TEST(SlidePersistence, AnUntouchedPanelSavesOnlyItsFontAndLoadsItsDefaults) {
    // The number's design font is not the host's, so it is the one property
    // a new panel saves.
    vxServoSlide2 fresh;
    vxPropertyBag bag;
    fresh.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), QStringList({"Font"}));

    // A changed panel loading an empty bag takes every default back.
    vxServoSlide2 changed;
    changed.setBackColor(0x123456);
    changed.setForeColor(0xFF);
    changed.setEnabled(false);
    changed.setBorderStyle(1);
    changed.setValue(33);
    changed.setMotorNo(9);
    changed.setCheckValue(1);
    changed.ReadProperties(vxPropertyBag());
    EXPECT_EQ(changed.BackColor(), 0xE0E0E0);
    EXPECT_EQ(changed.ForeColor(), static_cast<int32_t>(0x80000008u));
    EXPECT_TRUE(changed.Enabled());
    EXPECT_EQ(changed.BorderStyle(), 0);
    EXPECT_EQ(changed.Value(), 100);
    EXPECT_TRUE(changed.ScrollView());
    EXPECT_EQ(changed.MotorNo(), 0);
    EXPECT_EQ(changed.CheckValue(), 0);
    EXPECT_EQ(changed.Font(), QApplication::font());  // no host: the application's font
}

TEST(SlidePersistence, ChangedPropertiesComeBackInTheirOrder) {
    QWidget host;
    vxServoSlide2 saved(&host);
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPointSizeF(9.75);
    saved.setBackColor(0x123456);
    saved.setForeColor(0xFF);
    saved.setEnabled(false);
    saved.setFont(font);
    saved.setBorderStyle(1);
    saved.setValue(57);
    saved.setScrollView(false);
    saved.setMotorNo(5);
    saved.setCheckValue(1);
    vxPropertyBag bag;
    saved.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), QStringList({"BackColor", "ForeColor", "Enabled", "Font", "BorderStyle", "Value",
                                       "ScrollView", "MotorNo", "CheckValue"}));

    // Through a plain key/value map, as a settings file would keep it.
    const vxPropertyBag kept = vxPropertyBag::FromVariantMap(bag.ToVariantMap());
    QWidget otherHost;
    vxServoSlide2 loaded(&otherHost);
    QSignalSpy change(&loaded, &vxServoSlide2::Change);
    QSignalSpy click(&loaded, &vxServoSlide2::Click);
    loaded.ReadProperties(kept);
    EXPECT_EQ(loaded.BackColor(), 0x123456);
    EXPECT_EQ(loaded.ForeColor(), 0xFF);
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_EQ(loaded.Font(), font);
    EXPECT_EQ(loaded.BorderStyle(), 1);
    EXPECT_EQ(loaded.Value(), 57);
    EXPECT_EQ(loaded.lblMotorVal()->text(), "57");
    EXPECT_EQ(loaded.CheckValue(), 1);
    // The slider and the check box report their loaded values like any other.
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(click.count(), 1);
    // The fold flag and the number are stored only: the panel stays unfolded
    // and the number label keeps its caption until the host sets MotorNo.
    EXPECT_FALSE(loaded.ScrollView());
    EXPECT_EQ(loaded.height(), px(960));
    EXPECT_EQ(loaded.MotorNo(), 5);
    EXPECT_EQ(loaded.lblMotorNo()->text(), "0");
    vxPropertyBag again;
    loaded.WriteProperties(again);
    EXPECT_EQ(again.ToVariantMap(), bag.ToVariantMap());
}

TEST(SlidePersistence, UnusableSavedValuesFallBackWithoutHarm) {
    struct Case {
        const char* key;
        QVariant value;
    };
    const std::vector<Case> cases = {
        {"Value", 300},     {"Value", 9},       {"Value", "abc"},       {"Value", QVariant()},  {"CheckValue", 7},
        {"BorderStyle", 5}, {"MotorNo", 70000}, {"Font", "not a font"}, {"Enabled", "perhaps"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value.toString().toStdString());
        vxServoSlide2 s;
        ASSERT_TRUE(s.setValue(44));
        vxPropertyBag bag;
        bag.WriteProperty(c.key, c.value);
        s.ReadProperties(bag);
        // The position never leaves the range; a position that cannot be
        // used leaves the slider where it stood or at the default.
        EXPECT_GE(s.Value(), vxServoSlide2::kMinValue);
        EXPECT_LE(s.Value(), vxServoSlide2::kMaxValue);
        if (QString(c.key) == "Value") {
            EXPECT_TRUE(s.Value() == 44 || s.Value() == 100) << s.Value();
        }
        EXPECT_GE(s.CheckValue(), 0);
        EXPECT_LE(s.CheckValue(), 2);
        EXPECT_TRUE(s.BorderStyle() == 0 || s.BorderStyle() == 1);
        EXPECT_TRUE(s.Enabled());
    }
}

TEST(PropertyBag, KeysMatchWithoutCaseAndDefaultsAreNotKept) {
    vxPropertyBag bag;
    bag.WriteProperty("Value", 57, 100);
    bag.WriteProperty("MotorNo", 3, 0);
    EXPECT_EQ(bag.ReadProperty("value", 100).toInt(), 57);
    EXPECT_EQ(bag.ReadProperty("Missing", 8).toInt(), 8);
    bag.WriteProperty("VALUE", 58, 100);  // the same key keeps its place
    EXPECT_EQ(bag.Keys(), QStringList({"Value", "MotorNo"}));
    EXPECT_EQ(bag.ReadProperty("Value").toInt(), 58);
    bag.WriteProperty("Value", 100, 100);  // back to the default: dropped
    EXPECT_EQ(bag.Keys(), QStringList({"MotorNo"}));
}

TEST(ServoColours, PlainAndSystemColourCodes) {
    EXPECT_EQ(ServoColourToQColor(0xE0E0E0), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(ServoColourToQColor(0xFFFF), QColor(255, 255, 0));  // blue byte high: yellow
    EXPECT_EQ(ServoColourToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ServoColourToQColor(static_cast<int32_t>(0x80000008u)), QApplication::palette().color(QPalette::Text));
    EXPECT_EQ(ServoColourToQColor(static_cast<int32_t>(0x80000005u)), QApplication::palette().color(QPalette::Base));
}

}  // namespace
