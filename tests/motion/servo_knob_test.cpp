// The servo knob: values set from code stay quiet and are refused outside
// the range, the user's turns raise Change with the knob's index, an off
// knob ignores the user, and a narrowed range never raises a move.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

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
