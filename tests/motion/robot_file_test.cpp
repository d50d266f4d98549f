// The robot motor table and the robot files: the built-in layout, reading a
// file (missing, partial, odd values, hostile entries), the pictures, the
// placing of the slot controls and the window sizes that follow from the
// picture.
#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "documents/modApp.h"
#include "motion/modUserRobot.h"

namespace {

using modUserRobot::MotorProperty;
using modUserRobot::MotorTable;

bool operator==(const MotorProperty& a, const MotorProperty& b) {
    return a.MotorNo == b.MotorNo && a.MotorGroup == b.MotorGroup && a.MotorLeft == b.MotorLeft &&
           a.MotorTop == b.MotorTop && a.MotorUse == b.MotorUse && a.MotorOpp == b.MotorOpp &&
           a.ZeroLeft == b.ZeroLeft && a.ZeroTop == b.ZeroTop;
}

// The big-endian CRC-32 of a PNG chunk's type and data.
QByteArray Crc32(const QByteArray& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<uint8_t>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    const char out[4] = {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
    return QByteArray(out, 4);
}

std::array<MotorProperty, 24> BuiltInTable() {
    modUserRobot::SetDefaultMotorTable();
    return MotorTable;
}

// A window with a picture and 24 slot controls, found by its name as the
// real windows are.
class PictureForm : public QWidget, public modUserRobot::RobotPictureForm {
public:
    explicit PictureForm(const QString& name) {
        setObjectName(name);
        image = new QLabel(this);
        image->setGeometry(152, 10, 340, 438);
        for (int i = 0; i < 24; ++i) {
            controls[static_cast<size_t>(i)] = new QWidget(this);
            controls[static_cast<size_t>(i)]->setGeometry(0, 0, 70, 27);
        }
        close = new QPushButton(this);
        modUserRobot::ShowPicture(*image, Plain(QSize(340, 438), Qt::white));
        show();
    }
    QLabel* RobotPicture() override { return image; }
    QWidget* SlotControl(int slot) override { return controls[static_cast<size_t>(slot)]; }
    QWidget* CloseButton() override { return close; }

    static QImage Plain(QSize size, QColor colour) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }

    QLabel* image = nullptr;
    std::array<QWidget*, 24> controls{};
    QPushButton* close = nullptr;
};

class RobotFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(QDir(home_.path()).mkpath(QStringLiteral("user")));
        modApp::SetAppPath(home_.path());
        MotorTable = {};
    }
    void TearDown() override {
        modApp::SetAppPath(QString());
        MotorTable = {};
    }

    QString userPath(const QString& name) const { return home_.path() + QStringLiteral("/user/") + name; }
    void write(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    void writeRobot(const QByteArray& text, const QString& name = QStringLiteral("userRobot.dat")) {
        write(userPath(name), text);
    }
    void writePicture(const QString& name, const QImage& image) { ASSERT_TRUE(image.save(userPath(name), "PNG")); }

    QTemporaryDir home_;
};

// ---- Built-in layout ----------------------------------------------------------------

TEST_F(RobotFileTest, BuiltInLayoutPlacesTwoColumnsOfTwelve) {
    modUserRobot::SetDefaultMotorTable();
    struct Row {
        int slot;
        MotorProperty expected;
    };
    // MotorNo, MotorGroup, MotorLeft, MotorTop, MotorUse, MotorOpp, ZeroLeft, ZeroTop
    const std::vector<Row> rows = {
        {0, {0, 0, 8, 8, 0, 0, 12, 12}},        {5, {5, 0, 8, 148, 0, 5, 12, 92}},
        {6, {6, 1, 8, 176, 0, 6, 12, 108}},     {11, {11, 1, 8, 316, 0, 11, 12, 188}},
        {12, {12, 2, 88, 8, 0, 12, 72, 12}},    {17, {17, 2, 88, 148, 0, 17, 72, 92}},
        {18, {18, 3, 88, 176, 0, 18, 72, 108}}, {23, {23, 3, 88, 316, 0, 23, 72, 188}},
    };
    for (const Row& r : rows) EXPECT_TRUE(MotorTable[static_cast<size_t>(r.slot)] == r.expected) << "slot " << r.slot;
}

// ---- Reading a robot file ------------------------------------------------------------

TEST_F(RobotFileTest, MissingFileLeavesTheTableUntouched) {
    // At start every slot is hidden and its own partner 0.
    EXPECT_FALSE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QStringLiteral("frmMoveKESTRA")));
    for (const MotorProperty& m : MotorTable) EXPECT_TRUE(m == MotorProperty{});

    // After an earlier load the table keeps what that load gave.
    writeRobot("[MOTOR4_PROPERTY]\r\nMotorUse=1\r\nMotorTop=77\r\n", QStringLiteral("first.dat"));
    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("first.dat"), QString()));
    const auto before = MotorTable;
    EXPECT_FALSE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QString()));
    for (int i = 0; i < 24; ++i) EXPECT_TRUE(MotorTable[static_cast<size_t>(i)] == before[static_cast<size_t>(i)]);
    EXPECT_EQ(MotorTable[4].MotorTop, 77);
}

TEST_F(RobotFileTest, PartialFileTakesTheBuiltInLayoutAndHidesSlotsWithoutMotorUse) {
    writeRobot(
        "[MOTOR3_PROPERTY]\r\n"
        "MotorUse=1\r\n"
        "MotorTop=100\r\n"
        "MotorOpp=21\r\n"
        "[motor7_property]\r\n"  // names match without regard to case
        "MotorLeft=40\r\n");
    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QStringLiteral("frmMoveKESTRA")));
    auto expected = BuiltInTable();
    expected[3].MotorUse = -1;
    expected[3].MotorTop = 100;
    expected[3].MotorOpp = 21;
    expected[7].MotorLeft = 40;
    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QString()));
    for (int i = 0; i < 24; ++i)
        EXPECT_TRUE(MotorTable[static_cast<size_t>(i)] == expected[static_cast<size_t>(i)]) << "slot " << i;
}

TEST_F(RobotFileTest, OddValues) {
    struct Case {
        const char* value;
        int16_t top;  // MotorTop of slot 2, built-in 64
        int16_t use;  // MotorUse of slot 2
    };
    const std::vector<Case> cases = {
        {"12.5", 12, -1},                                                          // halves go to the even neighbour
        {"13.5", 14, -1},     {"-2.5", -2, -1},  {" 7xyz", 7, -1}, {"abc", 0, 0},  // no leading number counts 0
        {"", 0, 0},                                                                // an empty value is no number either
        {"0.4", 0, -1},                           // a number other than 0 marks the slot used, even when it rounds to 0
        {"32767", 32767, -1}, {"32768", 64, -1},  // too large for the field: the built-in value stays
        {"-40000", 64, -1},   {"1e400", 64, 0},   // too large for any number: nothing changes, the slot stays unused
        {"2", 2, -1},         {"-1", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        writeRobot(QByteArray("[MOTOR2_PROPERTY]\r\nMotorTop=") + c.value + "\r\nMotorUse=" + c.value + "\r\n");
        MotorTable = {};
        ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QString()));
        EXPECT_EQ(MotorTable[2].MotorTop, c.top);
        EXPECT_EQ(MotorTable[2].MotorUse, c.use);
        EXPECT_EQ(MotorTable[2].MotorLeft, 8) << "a bad value must not spill into another field";
    }
}

TEST_F(RobotFileTest, EntriesThatAreNoOrdinaryFileReadAsMissingWithoutHanging) {
    for (const hostile::Kind kind : {hostile::Kind::Fifo, hostile::Kind::EndlessLink, hostile::Kind::Folder}) {
        SCOPED_TRACE(hostile::Name(kind));
        const QString path = userPath(QStringLiteral("userRobot.dat"));
        QFile::remove(path);
        QDir().rmdir(path);
        hostile::Make(kind, path);
        hostile::Watchdog watchdog;
        MotorTable = {};
        const bool loaded = modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QString());
        // Either refused as missing, or read as an empty file: never a used slot.
        if (!loaded) {
            for (const MotorProperty& m : MotorTable) EXPECT_TRUE(m == MotorProperty{});
        } else {
            for (const MotorProperty& m : MotorTable) EXPECT_EQ(m.MotorUse, 0);
        }
        hostile::ExpectUnchanged(kind, path);
    }
}

TEST_F(RobotFileTest, OnlyBareNamesInTheRobotFolderAreRead) {
    write(home_.path() + QStringLiteral("/outside.dat"), "[MOTOR0_PROPERTY]\r\nMotorUse=1\r\n");
    EXPECT_FALSE(modUserRobot::LoadRobotFile(QStringLiteral("../outside.dat"), QString()));
    EXPECT_FALSE(modUserRobot::LoadRobotFile(QString(), QString()));
    EXPECT_EQ(MotorTable[0].MotorUse, 0);
}

// ---- Choice of the user's file ---------------------------------------------------------

TEST_F(RobotFileTest, UserRobotChoiceFromTheSettingsFile) {
    const QString ini = home_.path() + QStringLiteral("/qvv2.ini");
    EXPECT_FALSE(modUserRobot::IsUserRobotSet()) << "no settings file";
    struct Case {
        const char* text;
        bool set;
    };
    const std::vector<Case> cases = {
        {"[USER_ROBOT_SET]\r\nUse=1\r\n", true},
        {"[USER_ROBOT_SET]\r\nUse=0\r\n", false},
        {"[USER_ROBOT_SET]\r\nUse= 2\r\n", true},
        {"[USER_ROBOT_SET]\r\nUse=-1\r\n", true},
        {"[USER_ROBOT_SET]\r\nUse=abc\r\n", false},
        {"[USER_ROBOT_SET]\r\nUse=1e999\r\n", false},
        {"[OTHER]\r\nUse=1\r\n", false},
    };
    for (const Case& c : cases) {
        write(ini, c.text);
        EXPECT_EQ(modUserRobot::IsUserRobotSet(), c.set) << c.text;
    }
}

// ---- Pictures, placing and sizes ---------------------------------------------------------

TEST_F(RobotFileTest, WindowSizesFollowThePicture) {
    struct Case {
        const char* form;
        QSize picture;
        QSize twips;
    };
    const std::vector<Case> cases = {
        {"frmMoveKESTRA", {340, 438}, {7545, 7290}},  // the thresholds are inclusive
        {"frmMoveKESTRA", {341, 438}, {7560, 7290}},
        {"frmMoveKESTRA", {100, 439}, {7545, 7305}},
        {"frmMoveKESTRA", {400, 500}, {8445, 8220}},
        {"frmZeroKESTRA", {564, 422}, {8700, 6930}},
        {"frmZeroKESTRA", {565, 500}, {8715, 8100}},
        {"frmZeroKESTRA", {10, 10}, {8700, 6930}},
        {"frmOther", {400, 500}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(modUserRobot::OuterSizeTwips(QString::fromLatin1(c.form), c.picture), c.twips) << c.form;
    // 7545 x 7290 twips are 503 x 486 pixels outside, the frame taken off.
    EXPECT_EQ(modUserRobot::ClientSizeForOuter({7545, 7290}),
              QSize(503 - modUserRobot::kFrameWidthPx, 486 - modUserRobot::kFrameHeightPx));
}

TEST_F(RobotFileTest, PictureOfTheFileReplacesTheWindowsPictureAndSizesTheWindow) {
    PictureForm move(QStringLiteral("frmMoveKESTRA"));
    PictureForm zero(QStringLiteral("frmZeroKESTRA"));
    writePicture(QStringLiteral("big.png"), PictureForm::Plain({400, 500}, Qt::red));
    writePicture(QStringLiteral("zero.png"), PictureForm::Plain({600, 450}, Qt::blue));
    writeRobot("[PICTURE]\r\nRobot=big.png\r\nZero=zero.png\r\n");

    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QStringLiteral("frmMoveKESTRA")));
    EXPECT_EQ(move.image->size(), QSize(400, 500));
    EXPECT_EQ(move.image->pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(zero.image->size(), QSize(340, 438)) << "only the named window's picture changes";
    modUserRobot::ArrangeAroundPicture(QStringLiteral("frmMoveKESTRA"));
    EXPECT_EQ(move.size(), modUserRobot::ClientSizeForOuter({8445, 8220}));

    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QStringLiteral("frmZeroKESTRA")));
    EXPECT_EQ(zero.image->size(), QSize(600, 450));
    modUserRobot::ArrangeAroundPicture(QStringLiteral("frmZeroKESTRA"));
    EXPECT_EQ(zero.size(), modUserRobot::ClientSizeForOuter({(600 - 564) * 15 + 8700, (450 - 422) * 15 + 6930}));
    EXPECT_EQ(zero.close->pos(), QPoint(600 - 90, 450 - 32));
}

TEST_F(RobotFileTest, MissingOrBrokenPictureKeepsTheOldOne) {
    PictureForm move(QStringLiteral("frmMoveKESTRA"));
    const QImage before = move.image->pixmap().toImage();

    // A picture whose header claims 60000 x 60000 pixels: refused before decoding.
    QImage tiny(1, 1, QImage::Format_RGB32);
    tiny.fill(Qt::green);
    writePicture(QStringLiteral("huge.png"), tiny);
    QFile huge(userPath(QStringLiteral("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::ReadWrite));
    QByteArray png = huge.readAll();
    const QByteArray side = QByteArray::fromHex("0000ea60");  // 60000, width and height of the IHDR chunk
    png.replace(16, 4, side);
    png.replace(20, 4, side);
    png.replace(29, 4, Crc32(png.mid(12, 17)));  // a valid header chunk, so only its size refuses it
    huge.seek(0);
    huge.write(png);
    huge.close();

    write(userPath(QStringLiteral("broken.png")), "not a picture at all");
    hostile::Make(hostile::Kind::Fifo, userPath(QStringLiteral("pipe.png")));
    hostile::Make(hostile::Kind::Folder, userPath(QStringLiteral("folder.png")));

    for (const char* name : {"gone.png", "broken.png", "huge.png", "pipe.png", "folder.png", "nopicture"}) {
        SCOPED_TRACE(name);
        hostile::Watchdog watchdog;
        writeRobot(QByteArray("[PICTURE]\r\nRobot=") + name + "\r\n[MOTOR1_PROPERTY]\r\nMotorUse=1\r\n");
        ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QStringLiteral("frmMoveKESTRA")));
        EXPECT_EQ(MotorTable[1].MotorUse, -1) << "the table is read all the same";
        EXPECT_EQ(move.image->size(), QSize(340, 438));
        EXPECT_EQ(move.image->pixmap().toImage(), before);
    }
}

TEST_F(RobotFileTest, PlacingMovesUsedControlsOverThePictureAndHidesTheRest) {
    PictureForm move(QStringLiteral("frmMoveKESTRA"));
    PictureForm zero(QStringLiteral("frmZeroKESTRA"));
    zero.image->move(4, 6);
    writeRobot(
        "[MOTOR0_PROPERTY]\r\nMotorUse=1\r\nMotorLeft=20\r\nMotorTop=30\r\nZeroLeft=40\r\nZeroTop=50\r\n"
        "[MOTOR23_PROPERTY]\r\nMotorUse=-1\r\nMotorLeft=-5\r\n");
    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("userRobot.dat"), QString()));

    modUserRobot::PlaceMotorControls(QStringLiteral("frmMoveKESTRA"));
    EXPECT_EQ(move.controls[0]->pos(), QPoint(152 + 20, 10 + 30));
    EXPECT_EQ(move.controls[23]->pos(), QPoint(152 - 5, 10 + 316));
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(move.controls[static_cast<size_t>(i)]->isVisible(), i == 0 || i == 23) << "slot " << i;
    EXPECT_EQ(zero.controls[0]->pos(), QPoint(0, 0)) << "the other window is left alone";

    modUserRobot::PlaceMotorControls(QStringLiteral("frmZeroKESTRA"));
    EXPECT_EQ(zero.controls[0]->pos(), QPoint(4 + 40, 6 + 50));
    EXPECT_EQ(zero.controls[23]->pos(), QPoint(4 + 72, 6 + 188));
    EXPECT_FALSE(zero.controls[5]->isVisible());

    modUserRobot::PlaceMotorControls(QStringLiteral("frmOther"));  // nothing, and no crash
}

// ---- The shipped layout -----------------------------------------------------------------

// The built-in robot file and pictures as the build puts them next to the
// program: every slot used, partners mutual and on the mirror limb, every
// control inside its picture, the pictures of the size the windows expect.
TEST_F(RobotFileTest, ShippedHumanoidLayoutIsConsistent) {
    const QString shipped = QStringLiteral(QUARVEL_SOURCE_DIR "/resources/user/");
    for (const char* name : {"Vortan.dat", "vortan_robot.png", "vortan_zero.png"})
        ASSERT_TRUE(QFile::copy(shipped + QString::fromLatin1(name), userPath(QString::fromLatin1(name)))) << name;
    PictureForm move(QStringLiteral("frmMoveKESTRA"));
    PictureForm zero(QStringLiteral("frmZeroKESTRA"));
    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("Vortan.dat"), QStringLiteral("frmMoveKESTRA")));
    ASSERT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("Vortan.dat"), QStringLiteral("frmZeroKESTRA")));
    EXPECT_EQ(move.image->size(), QSize(340, 438));
    EXPECT_EQ(zero.image->size(), QSize(564, 422));
    EXPECT_EQ(QImage(modUserRobot::kBuiltInRobotPicture).size(), QSize(340, 438));
    EXPECT_EQ(QImage(modUserRobot::kBuiltInZeroPicture).size(), QSize(564, 422));

    const int mirror[4] = {3, 2, 1, 0};
    std::set<std::pair<int, int>> sliderPlaces, zeroPlaces;
    for (int i = 0; i < 24; ++i) {
        SCOPED_TRACE(i);
        const MotorProperty& m = MotorTable[static_cast<size_t>(i)];
        EXPECT_EQ(m.MotorNo, i);
        EXPECT_EQ(m.MotorUse, -1);
        EXPECT_EQ(m.MotorGroup, i / 6) << "the limb captures read fixed slots";
        ASSERT_TRUE(modUserRobot::IsSlot(m.MotorOpp));
        const MotorProperty& o = MotorTable[static_cast<size_t>(m.MotorOpp)];
        EXPECT_EQ(o.MotorOpp, i);
        EXPECT_EQ(o.MotorGroup, mirror[m.MotorGroup]);
        // Sliders (70 x 27 folded) and up/down boxes (up to 56 x 20) inside
        // their pictures, and none on top of another.
        EXPECT_GE(m.MotorLeft, 0);
        EXPECT_LE(m.MotorLeft + 70, 340);
        EXPECT_GE(m.MotorTop, 0);
        EXPECT_LE(m.MotorTop + 27, 438);
        EXPECT_GE(m.ZeroLeft, 0);
        EXPECT_LE(m.ZeroLeft + 56, 392) << "the right part of the zero picture is kept free for the buttons";
        EXPECT_GE(m.ZeroTop, 0);
        EXPECT_LE(m.ZeroTop + 20, 422);
        for (const auto& [left, top] : sliderPlaces)
            EXPECT_FALSE(std::abs(left - m.MotorLeft) < 70 && std::abs(top - m.MotorTop) < 27);
        for (const auto& [left, top] : zeroPlaces)
            EXPECT_FALSE(std::abs(left - m.ZeroLeft) < 56 && std::abs(top - m.ZeroTop) < 20);
        sliderPlaces.insert({m.MotorLeft, m.MotorTop});
        zeroPlaces.insert({m.ZeroLeft, m.ZeroTop});
    }
}

}  // namespace

// A program folder without robot files of its own (QUARVEL_HOME pointing
// elsewhere) uses the robot shipped beside the program; one with a user/
// folder uses only its own.
TEST(RobotFolderTest, FallsBackToTheShippedRobotBesideTheProgram) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    modApp::SetAppPath(home.path());
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/user/");
    ASSERT_TRUE(QFileInfo::exists(shipped + QStringLiteral("Vortan.dat")));
    EXPECT_EQ(modUserRobot::RobotFolder(), shipped);
    EXPECT_TRUE(modUserRobot::LoadRobotFile(QStringLiteral("Vortan.dat"), QString()));

    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("user")));
    EXPECT_EQ(modUserRobot::RobotFolder(), home.path() + QStringLiteral("/user/"));
    EXPECT_FALSE(modUserRobot::LoadRobotFile(QStringLiteral("Vortan.dat"), QString()));
    modApp::SetAppPath(QString());
    modUserRobot::SetDefaultMotorTable();
}
