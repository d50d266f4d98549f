// The up/down value box and the direction picture: arrows at the ends of
// their range, ValueChanged for every assignment (the zero-point windows
// write the controller on it and hold values in their handler), pictures by
// value, the fixed size, and saving and loading.
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "vxServoDIR.h"
#include "vxServoUpDown.h"

namespace {

class UpDownFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(120, 60);
        box = new vxServoUpDown(&host);
        box->move(5, 5);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    QWidget host;
    vxServoUpDown* box = nullptr;
};

struct ArrowCase {
    bool up;
    int16_t from;
    int16_t to;
};

TEST_F(UpDownFixture, ArrowsStepByOneWithinTheRange) {
    const std::vector<ArrowCase> cases = {
        {true, 189, 190}, {true, 190, 190}, {true, 100, 101}, {true, 250, 250},  {true, 9, 10},
        {false, 11, 10},  {false, 10, 10},  {false, 100, 99}, {false, 250, 249}, {false, 5, 5},
    };
    for (const ArrowCase& c : cases) {
        SCOPED_TRACE(std::string(c.up ? "up" : "down") + " at " + std::to_string(c.from));
        box->setValue(c.from);
        QSignalSpy changed(box, &vxServoUpDown::ValueChanged);
        QTest::mouseClick(c.up ? box->picUp() : box->picDown(), Qt::LeftButton);
        EXPECT_EQ(box->Value(), c.to);
        EXPECT_EQ(box->lblValue()->text(), QString::number(c.to));
        EXPECT_EQ(changed.count(), c.from == c.to ? 0 : 1);
    }
}

TEST_F(UpDownFixture, EveryAssignmentShowsAndRaisesValueChangedWithoutRangeTest) {
    QSignalSpy changed(box, &vxServoUpDown::ValueChanged);
    QSignalSpy props(box, &vxServoUpDown::PropertyChanged);
    box->setValue(250);
    EXPECT_EQ(box->Value(), 250);
    EXPECT_EQ(box->lblValue()->text(), "250");
    EXPECT_EQ(changed.count(), 1);
    box->setValue(250);  // unchanged, still raised
    EXPECT_EQ(changed.count(), 2);
    box->setValue(-3);
    EXPECT_EQ(box->lblValue()->text(), "-3");
    EXPECT_EQ(changed.count(), 3);
    ASSERT_EQ(props.count(), 3);
    EXPECT_EQ(props.at(0).at(0).toString(), "Value");
}

TEST_F(UpDownFixture, HandlerThatHoldsTheValueSeesTheHeldValueLast) {
    // The zero-point windows hold a value to 50..150 by assigning it again
    // from their ValueChanged handler; what the handler sees last is written.
    std::vector<int16_t> seen;
    QObject::connect(box, &vxServoUpDown::ValueChanged, [&] {
        seen.push_back(box->Value());
        if (box->Value() > 150)
            box->setValue(150);
        else if (box->Value() < 50)
            box->setValue(50);
    });
    box->setValue(200);
    EXPECT_EQ(box->Value(), 150);
    EXPECT_EQ(box->lblValue()->text(), "150");
    EXPECT_EQ(seen, (std::vector<int16_t>{200, 150}));
    seen.clear();
    box->setValue(50);
    QTest::mouseClick(box->picDown(), Qt::LeftButton);
    EXPECT_EQ(box->Value(), 50);
    EXPECT_EQ(seen, (std::vector<int16_t>{50, 49, 50}));
}

TEST_F(UpDownFixture, LabelClicksAndADoubleClickOnAnArrowStepsOnce) {
    QSignalSpy click(box, &vxServoUpDown::Click);
    QSignalSpy dbl(box, &vxServoUpDown::DblClick);
    QTest::mouseClick(box->lblValue(), Qt::LeftButton);
    EXPECT_EQ(click.count(), 1);
    QTest::mouseDClick(box->lblValue(), Qt::LeftButton);
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_EQ(box->Value(), 100);

    // A double click on an arrow is its click and then its double click:
    // one step.
    QSignalSpy changed(box, &vxServoUpDown::ValueChanged);
    QTest::mouseClick(box->picUp(), Qt::LeftButton);
    QTest::mouseDClick(box->picUp(), Qt::LeftButton);
    EXPECT_EQ(box->Value(), 101);
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(UpDownFixture, DisabledBoxIgnoresItsArrows) {
    box->setEnabled(false);
    QTest::mouseClick(box->picUp(), Qt::LeftButton);
    EXPECT_EQ(box->Value(), 100);
    EXPECT_FALSE(box->Enabled());
}

TEST(UpDownPersistence, RoundTripWithDefaultsAndAValueThatIsOnlyStored) {
    vxServoUpDown fresh;
    vxPropertyBag empty;
    fresh.WriteProperties(empty);
    EXPECT_TRUE(empty.IsEmpty()) << empty.Keys().join(',').toStdString();

    vxServoUpDown saved;
    saved.setEnabled(false);
    saved.setBackColor(0xC0FFC0);
    saved.setForeColor(0x800000);
    saved.setValue(77);
    vxPropertyBag bag;
    saved.WriteProperties(bag);
    EXPECT_EQ(bag.Keys(), QStringList({"Enabled", "BackColor", "ForeColor", "Value"}));

    vxServoUpDown loaded;
    QSignalSpy changed(&loaded, &vxServoUpDown::ValueChanged);
    loaded.ReadProperties(vxPropertyBag::FromVariantMap(bag.ToVariantMap()));
    EXPECT_FALSE(loaded.Enabled());
    EXPECT_EQ(loaded.BackColor(), 0xC0FFC0);
    EXPECT_EQ(loaded.ForeColor(), 0x800000);
    EXPECT_EQ(loaded.Value(), 77);
    // Stored only: the label keeps showing 100 and nothing is raised.
    EXPECT_EQ(loaded.lblValue()->text(), "100");
    EXPECT_EQ(changed.count(), 0);

    loaded.ReadProperties(vxPropertyBag());
    EXPECT_TRUE(loaded.Enabled());
    EXPECT_EQ(loaded.BackColor(), 0xFFFF);
    EXPECT_EQ(loaded.ForeColor(), static_cast<int32_t>(0x80000008u));
    EXPECT_EQ(loaded.Value(), 100);
    EXPECT_EQ(loaded.lblValue()->palette().color(QPalette::Window), QColor(255, 255, 0));
}

TEST(DirectionPicture, PictureFollowsTheValue) {
    vxServoDIR dir;
    EXPECT_EQ(dir.Value(), 1);
    EXPECT_EQ(dir.ShownPicture(), 1);
    struct Case {
        int16_t value;
        int picture;
    };
    for (const Case& c : std::vector<Case>{{0, 0}, {1, 1}, {-1, 1}, {2, 1}, {0, 0}, {255, 1}, {-32768, 1}}) {
        SCOPED_TRACE(c.value);
        dir.setValue(c.value);
        EXPECT_EQ(dir.Value(), c.value);
        EXPECT_EQ(dir.ShownPicture(), c.picture);
    }
}

TEST(DirectionPicture, ClickIsReportedAndLeavesTheValueToTheHost) {
    QWidget host;
    auto* dir = new vxServoDIR(&host);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    dir->setValue(0);
    QSignalSpy click(dir, &vxServoDIR::Click);
    QSignalSpy down(dir, &vxServoDIR::MouseDown);
    QTest::mouseClick(dir->imgDIR(), Qt::LeftButton);
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(down.count(), 1);
    EXPECT_EQ(dir->Value(), 0);
    EXPECT_EQ(dir->ShownPicture(), 0);
}

TEST(DirectionPicture, KeepsItsSizeWhateverTheHostAsks) {
    QWidget host;
    auto* dir = new vxServoDIR(&host);
    const int size = 390 / kServoTwipsPerPixel;
    EXPECT_EQ(dir->size(), QSize(size, size));
    dir->resize(600 / kServoTwipsPerPixel, 600 / kServoTwipsPerPixel);
    EXPECT_EQ(dir->size(), QSize(size, size));
    dir->setGeometry(3, 4, 10, 80);
    EXPECT_EQ(dir->size(), QSize(size, size));
}

TEST(DirectionPicture, LoadedValueIsStoredWithoutChangingThePicture) {
    vxServoDIR saved;
    vxPropertyBag bag;
    saved.WriteProperties(bag);
    EXPECT_TRUE(bag.IsEmpty());
    saved.setValue(0);
    saved.WriteProperties(bag);
    EXPECT_EQ(bag.ReadProperty("Value").toInt(), 0);

    vxServoDIR loaded;
    loaded.ReadProperties(bag);
    EXPECT_EQ(loaded.Value(), 0);
    EXPECT_EQ(loaded.ShownPicture(), 1);  // until Value is set
    loaded.setValue(loaded.Value());
    EXPECT_EQ(loaded.ShownPicture(), 0);
    loaded.ReadProperties(vxPropertyBag());
    EXPECT_EQ(loaded.Value(), 1);
}

}  // namespace
