// The servo knob: values set from code stay quiet and are refused outside
// the range, a servo standing outside it is shown and turned back only
// towards it, the user's turns raise Change with the knob's index, an off
// knob ignores the user, a narrowed range never raises a move, and a drag
// through the gap stops at the end it left across instead of wrapping.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include <string>

#include "KnobPointer.h"
#include "motion/ServoKnob.h"

namespace {

struct Changes {
    explicit Changes(ServoKnob& knob) {
        QObject::connect(&knob, &ServoKnob::Change, [this](int16_t index, int16_t value) {
            indexes.push_back(index);
            values.push_back(value);
        });
    }
    std::vector<int16_t> indexes;
    std::vector<int16_t> values;
};

TEST(ServoKnobTest, ValuesSetFromCodeAreRefusedOutsideTheRangeAndRaiseNoChange) {
    struct Case {
        const char* what;
        int16_t min, max, start, set;
        bool accepted;
        int16_t after;
    } cases[] = {
        {"inside", 10, 190, 100, 150, true, 150},
        {"at the lower end", 10, 190, 100, 10, true, 10},
        {"at the upper end", 10, 190, 100, 190, true, 190},
        {"one below", 10, 190, 100, 9, false, 100},
        {"one above", 10, 190, 100, 191, false, 100},
        {"negative", 10, 190, 100, -1, false, 100},
        {"inside a motor limit", 20, 150, 100, 140, true, 140},
        {"above a motor limit", 20, 150, 100, 160, false, 100},
        {"below a motor limit", 20, 150, 100, 15, false, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ServoKnob knob(3);
        Changes changes(knob);
        ASSERT_TRUE(knob.SetMax(c.max));
        ASSERT_TRUE(knob.SetMin(c.min));
        ASSERT_TRUE(knob.SetValue(c.start));
        EXPECT_EQ(knob.SetValue(c.set), c.accepted);
        EXPECT_EQ(knob.Value(), c.after);
        EXPECT_TRUE(changes.values.empty());
    }
}

TEST(ServoKnobTest, RangesStayOrderedAndPullTheValueInQuietly) {
    ServoKnob knob(0);
    Changes changes(knob);
    ASSERT_TRUE(knob.SetValue(180));
    EXPECT_FALSE(knob.SetMax(5));  // below Min (10)
    EXPECT_FALSE(knob.SetMax(256));
    EXPECT_FALSE(knob.SetMin(-1));
    EXPECT_FALSE(knob.SetMin(200));  // above Max (190)
    EXPECT_EQ(knob.Min(), 10);
    EXPECT_EQ(knob.Max(), 190);

    // Narrowing below the value moves only the drawing, never the servo.
    EXPECT_TRUE(knob.SetMax(150));
    EXPECT_EQ(knob.Value(), 150);
    EXPECT_TRUE(knob.SetMin(120));
    EXPECT_EQ(knob.Min(), 120);
    EXPECT_TRUE(changes.values.empty());
}

TEST(ServoKnobTest, AServoOutsideTheRangeIsShownAndTurnedOnlyBackTowardsIt) {
    ServoKnob knob(5);
    knob.resize(64, 64);
    ASSERT_TRUE(knob.SetMax(160));
    ASSERT_TRUE(knob.SetMin(40));
    Changes changes(knob);

    EXPECT_FALSE(knob.ShowServoAt(-1));
    EXPECT_FALSE(knob.ShowServoAt(256));
    EXPECT_EQ(knob.Value(), 100);
    ASSERT_TRUE(knob.ShowServoAt(30));
    EXPECT_EQ(knob.Value(), 30);
    EXPECT_EQ(knob.Min(), 40);  // the motor's limits stay
    EXPECT_EQ(knob.Max(), 160);
    EXPECT_TRUE(changes.values.empty());

    // Never further out than it stands; each step in leaves no way back out.
    QTest::keyClick(&knob, Qt::Key_Down);
    QTest::keyClick(&knob, Qt::Key_Home);
    QTest::keyClick(&knob, Qt::Key_Up);
    QTest::keyClick(&knob, Qt::Key_Down);
    QTest::keyClick(&knob, Qt::Key_PageUp);
    QTest::keyClick(&knob, Qt::Key_PageDown);  // down to the limit, not below
    EXPECT_EQ(changes.values, std::vector<int16_t>({31, 41, 40}));

    // The same above the range; a value set within it ends the stretch.
    changes.values.clear();
    ASSERT_TRUE(knob.ShowServoAt(175));
    QTest::keyClick(&knob, Qt::Key_Up);
    QTest::keyClick(&knob, Qt::Key_Down);
    ASSERT_TRUE(knob.ShowServoAt(170));
    ASSERT_TRUE(knob.SetValue(100));
    QTest::keyClick(&knob, Qt::Key_End);
    ASSERT_TRUE(knob.ShowServoAt(35));
    ASSERT_TRUE(knob.SetMin(50));  // a new range: the value is pulled into it
    EXPECT_EQ(knob.Value(), 50);
    QTest::keyClick(&knob, Qt::Key_Home);
    EXPECT_EQ(changes.values, std::vector<int16_t>({174, 160}));
}

TEST(ServoKnobTest, TheUsersTurnsRaiseChangeWithTheIndexUnlessTheKnobIsOff) {
    ServoKnob knob(17);
    knob.resize(64, 64);
    Changes changes(knob);
    ASSERT_TRUE(knob.SetValue(100));

    QTest::keyClick(&knob, Qt::Key_Up);
    QTest::keyClick(&knob, Qt::Key_PageUp);
    QTest::keyClick(&knob, Qt::Key_End);  // the upper end
    QTest::keyClick(&knob, Qt::Key_Up);   // no further: nothing to raise
    EXPECT_EQ(changes.indexes, std::vector<int16_t>({17, 17, 17}));
    EXPECT_EQ(changes.values, std::vector<int16_t>({101, 111, 190}));

    knob.SetOn(false);
    EXPECT_FALSE(knob.On());
    QTest::keyClick(&knob, Qt::Key_Down);
    EXPECT_EQ(knob.Value(), 190);
    EXPECT_EQ(changes.values.size(), 3u);

    knob.SetOn(true);
    QTest::keyClick(&knob, Qt::Key_Down);
    EXPECT_EQ(changes.values.back(), 189);
}

TEST(ServoKnobTest, AMouseDragRaisesTheValuesUnderThePointer) {
    ServoKnob knob(2);
    knob.resize(100, 100);
    knob.show();
    ASSERT_TRUE(knob.SetValue(50));
    Changes changes(knob);
    // Straight up from the centre is the middle of the range.
    QTest::mousePress(&knob, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    QTest::mouseMove(&knob, QPoint(90, 50));  // three o'clock
    QTest::mouseRelease(&knob, Qt::LeftButton, Qt::NoModifier, QPoint(90, 50));
    ASSERT_GE(changes.values.size(), 2u);
    EXPECT_EQ(changes.values.front(), 100);
    EXPECT_GT(changes.values.back(), 100);
    EXPECT_EQ(changes.values.back(), knob.Value());
}

using knob_pointer::AtSweep;
using knob_pointer::InGap;
using knob_pointer::Turned;

TEST(ServoKnobTest, ADragThroughTheGapStopsAtTheEndItLeftAcross) {
    struct Case {
        const char* what;
        int16_t min, max;
        std::vector<double> legs;  // the pointer's sweep at each turn of the path
        int16_t inGap;             // the knob while the pointer is in the gap
        int16_t last;              // the knob after the release
    } cases[] = {
        {"clockwise past the upper end and on round to the lower end", 10, 190, {150, 420}, 190, 190},
        {"released in the gap past the upper end", 10, 190, {150, 350}, 190, 190},
        {"into the gap and back across the upper end", 10, 190, {150, 335, 250}, 190, 160},
        {"counter-clockwise past the lower end", 10, 190, {150, -60}, 10, 10},
        {"past the lower end, back across it", 10, 190, {150, -30, 30}, 10, 28},
        {"a whole turn on, then back across the upper end", 10, 190, {150, 690, 600}, 190, 154},
        {"a motor's limits", 20, 150, {100, 400}, 150, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ServoKnob knob(6);
        knob.resize(120, 120);
        knob.show();
        ASSERT_TRUE(knob.SetMax(c.max));
        ASSERT_TRUE(knob.SetMin(c.min));
        Changes changes(knob);
        const double unitsPerDegree = (c.max - c.min) / 300.0;

        double sweep = c.legs.front();
        QPoint pointer = AtSweep(knob, sweep);
        std::vector<int16_t> shown{knob.Value()};
        QTest::mousePress(&knob, Qt::LeftButton, Qt::NoModifier, pointer);  // the knob goes under the pointer
        int before = knob.Value();
        if (before != shown.back()) shown.push_back(static_cast<int16_t>(before));
        for (size_t leg = 1; leg < c.legs.size(); ++leg) {
            const double to = c.legs[leg];
            const double step = to > sweep ? 3.0 : -3.0;
            while (std::abs(to - sweep) > 1e-9) {
                const double next = std::abs(to - sweep) < 3.0 ? to : sweep + step;
                const QPoint at = AtSweep(knob, next);
                QTest::mouseMove(&knob, at);
                const int now = knob.Value();
                SCOPED_TRACE("pointer at " + std::to_string(next));
                // Never further than the pointer turned (plus the rounding of a position).
                EXPECT_LE(std::abs(now - before), Turned(knob, pointer, at) * unitsPerDegree + 1.0);
                pointer = at;
                if (InGap(next)) {
                    EXPECT_EQ(now, c.inGap);
                }
                if (now != shown.back()) shown.push_back(static_cast<int16_t>(now));
                before = now;
                sweep = next;
            }
        }
        QTest::mouseRelease(&knob, Qt::LeftButton, Qt::NoModifier, pointer);
        EXPECT_EQ(knob.Value(), c.last);
        if (knob.Value() != shown.back()) shown.push_back(knob.Value());
        // What the knob raised is what it showed, step by step.
        EXPECT_EQ(changes.values, std::vector<int16_t>(shown.begin() + 1, shown.end()));
    }
}

TEST(ServoKnobTest, APressInTheGapTakesTheNearerEnd) {
    struct Case {
        double sweep;
        int16_t value;
    } cases[] = {{310, 190}, {325, 190}, {335, 10}, {355, 10}, {150, 100}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sweep);
        ServoKnob knob(0);
        knob.resize(120, 120);
        knob.show();
        QTest::mousePress(&knob, Qt::LeftButton, Qt::NoModifier, AtSweep(knob, c.sweep));
        EXPECT_EQ(knob.Value(), c.value);
        QTest::mouseRelease(&knob, Qt::LeftButton, Qt::NoModifier, AtSweep(knob, c.sweep));
        EXPECT_EQ(knob.Value(), c.value);
    }
}

TEST(ServoKnobTest, AppearanceArgumentsAreKeptInTheirBoundsAndPaint) {
    ServoKnob knob(0);
    knob.Setup(18, 50, 50, 50, 30, 50);
    knob.SetColor(16777215);
    EXPECT_EQ(knob.TextPercent(), 18);
    EXPECT_EQ(knob.ArcPercent(), 30);
    EXPECT_EQ(knob.TickStep(), 50);
    EXPECT_EQ(knob.Color(), 0xFFFFFF);

    knob.Setup(-5, 300, 0, 100, 101, 0);
    EXPECT_EQ(knob.TextPercent(), 0);
    EXPECT_EQ(knob.FacePercent(), 100);
    EXPECT_EQ(knob.ArcPercent(), 100);
    EXPECT_EQ(knob.TickStep(), 0);
    knob.SetColor(-1);
    EXPECT_EQ(knob.Color(), 0xFFFFFF);

    // Painting at odd sizes and settings must not fail.
    for (const QSize size : {QSize(1, 1), QSize(5, 40), QSize(64, 64), QSize(200, 90)}) {
        knob.resize(size);
        knob.SetOn(size.width() > 10);
        const QPixmap image = knob.grab();
        EXPECT_EQ(image.size(), size);
    }
}

}  // namespace
