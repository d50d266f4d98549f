// The object-code views opened through the Special menu's handlers: the
// listing of the whole image and the per-line table, exactly as they format
// them, in both number bases; both stay empty after a failed compile.  And a
// bad motor-limit directive in a real document window.
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <functional>

#include "DirectRunFixture.h"
#include "compiler/QUARVELv2.h"
#include "build/MotorLimits.h"
#include "build/frmObj.h"
#include "platform/CodeEditor.h"

namespace {

// Runs `open` (which shows a modal window) and, once `ready` holds, runs
// `inspect` on the open window and closes it.  A window that has not got
// ready after a long while is inspected as it is (and the test fails on it).
template <typename Window>
bool WhileOpen(const std::function<void()>& open, const std::function<bool(Window&)>& ready,
               const std::function<void(Window&)>& inspect) {
    bool done = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        Window* w = Window::Loaded();
        if (done || !w || !w->isVisible()) return;
        if (!ready(*w) && clock.elapsed() < 30000) return;
        done = true;
        inspect(*w);
        w->cmd_Close->click();
    });
    poll.start();
    open();
    return done;
}

QString Cell(const frm_Obj_Line& w, int row, int column) {
    const QTableWidgetItem* item = w.List->item(row, column);
    return item ? item->text() : QString();
}

const QString kProgram = QStringLiteral(
    "SERVO 1, 100\r\n"
    "' note\r\n"
    "\tOUT 3, 5\r\n"
    "P1:\r\n"
    "MOVE G6A, 100, , 100, 100, 100, 100\r\n");

}  // namespace

TEST_F(DirectRunTest, ObjectListingInBothBases) {
    Open(QStringLiteral("obj.bas"), kProgram);
    Main().mnuMake->trigger();
    ASSERT_EQ(Main().basic.Bas_Error, 0);
    // A 17-byte image: two full lines and one with a single byte.
    Main().basic.ObjCode = {0, 0, 65, 66, 10, 11, 12, 13, 14, 255, 1, 2, 3, 4, 5, 6, 7, 200};
    Main().basic.TotalBytes = 17;

    QString hex, dec, header, progress;
    bool hexButton = true;
    ASSERT_TRUE(WhileOpen<frm_Obj>([&] { Main().mnuViewObj->trigger(); },
                                   [](frm_Obj& w) { return !w.txt_obj->WholeText().isEmpty(); },
                                   [&](frm_Obj& w) {
                                       hex = w.txt_obj->WholeText();
                                       hexButton = w.cmd_16->isEnabled();
                                       header = w.Label1->text();
                                       progress = w.lblProcess->text();
                                       w.cmd_10->click();
                                       dec = w.txt_obj->WholeText();
                                   }));
    EXPECT_EQ(hex, QStringLiteral(" 0000   00  41  42  0A  0B  0C  0D  0E\r\n"
                                  " 0008   FF  01  02  03  04  05  06  07\r\n"
                                  " 0010   C8"));
    EXPECT_EQ(dec, QStringLiteral(" 0000  000 065 066 010 011 012 013 014\r\n"
                                  " 0008  255 001 002 003 004 005 006 007\r\n"
                                  " 0016  200"));
    EXPECT_FALSE(hexButton);
    EXPECT_EQ(header, QStringLiteral("        0   1   2   3   4   5   6   7"));
    EXPECT_EQ(progress, QStringLiteral(" 100% 진행중 "));
    EXPECT_EQ(frm_Obj::Loaded(), nullptr);
}

TEST(ObjectListing, AddressesKeepTheirLastFourDigits) {
    const uint8_t bytes[] = {1};
    EXPECT_EQ(frm_Obj::ListingLine(10000, bytes, 1, false), QStringLiteral(" 0000  001"));
    EXPECT_EQ(frm_Obj::ListingLine(9992, bytes, 1, false), QStringLiteral(" 9992  001"));
    EXPECT_EQ(frm_Obj::ListingLine(0x10008, bytes, 1, true), QStringLiteral(" 0008   01"));
    EXPECT_EQ(frm_Obj::ListingLine(0xFFF8, bytes, 1, true), QStringLiteral(" FFF8   01"));
}

TEST_F(DirectRunTest, LineTableInBothBases) {
    Open(QStringLiteral("obj.bas"), kProgram);
    Main().mnuMake->trigger();
    ASSERT_EQ(Main().basic.Bas_Error, 0);
    ASSERT_EQ(Main().basic.TotalBytes, 37);

    using Row = std::array<QString, 4>;
    std::vector<Row> hex, dec;
    const auto rows = [](frm_Obj_Line& w) {
        std::vector<Row> all;
        for (int r = 0; r < w.List->rowCount(); ++r)
            all.push_back({Cell(w, r, 0), Cell(w, r, 1), Cell(w, r, 2), Cell(w, r, 3)});
        return all;
    };
    Qt::Alignment numberAlignment, headerAlignment;
    ASSERT_TRUE(WhileOpen<frm_Obj_Line>([&] { Main().mnuViewLineObj->trigger(); },
                                        [](frm_Obj_Line& w) { return !w.cmd_16->isEnabled(); },
                                        [&](frm_Obj_Line& w) {
                                            hex = rows(w);
                                            numberAlignment = Qt::Alignment(w.List->item(1, 0)->textAlignment());
                                            headerAlignment = Qt::Alignment(w.List->item(0, 0)->textAlignment());
                                            w.cmd_10->click();
                                            dec = rows(w);
                                        }));
    const std::vector<Row> expectedHex = {
        {"NO", "SOURCE", "START", "CODE"},
        {"1", "SERVO 1, 100", "10", "DF  11  12  64  "},
        {"2", "' note", "", ""},
        {"3", "    OUT 3, 5", "14", "D1  12  03  12  05  "},
        {"4", "P1:", "", ""},
        {"5", "MOVE G6A, 100, , 100, 100, 100, 100", "19", "B0  00  06  64  00  64  64  64  64  C4  22  00  "},
    };
    EXPECT_EQ(hex, expectedHex);
    const std::vector<Row> expectedDec = {
        {"NO", "SOURCE", "START", "CODE"},
        {"1", "SERVO 1, 100", "16", "223  017  018  100  "},
        {"2", "' note", "", ""},
        {"3", "    OUT 3, 5", "20", "209  018  003  018  005  "},
        {"4", "P1:", "", ""},
        {"5", "MOVE G6A, 100, , 100, 100, 100, 100", "25",
         "176  000  006  100  000  100  100  100  100  196  034  000  "},
    };
    EXPECT_EQ(dec, expectedDec);
    EXPECT_EQ(numberAlignment, Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(headerAlignment, Qt::Alignment(Qt::AlignCenter));
}

TEST_F(DirectRunTest, BothViewsStayEmptyAfterAFailedCompile) {
    Open(QStringLiteral("bad.bas"), kProgram + QStringLiteral("GOTO NOWHERE\r\n"));
    Boxes().Answer(platform::vbOK);
    Main().mnuMake->trigger();
    ASSERT_NE(Main().basic.Bas_Error, 0);

    QString listing = QStringLiteral("?");
    ASSERT_TRUE(WhileOpen<frm_Obj>([&] { Main().mnuViewObj->trigger(); },
                                   [](frm_Obj& w) { return !w.Init_Timer->isActive(); },  // nothing is started
                                   [&](frm_Obj& w) { listing = w.txt_obj->WholeText(); }));
    EXPECT_TRUE(listing.isEmpty());

    int rowCount = -1;
    QString header;
    ASSERT_TRUE(WhileOpen<frm_Obj_Line>([&] { Main().mnuViewLineObj->trigger(); }, [](frm_Obj_Line&) { return true; },
                                        [&](frm_Obj_Line& w) {
                                            rowCount = w.List->rowCount();
                                            header = Cell(w, 0, 1);
                                        }));
    EXPECT_EQ(rowCount, 1);
    EXPECT_EQ(header, QStringLiteral("SOURCE"));

    // A header-only image shows nothing either.
    Main().basic.Bas_Error = 0;
    Main().basic.TotalBytes = 16;
    listing = QStringLiteral("?");
    ASSERT_TRUE(WhileOpen<frm_Obj>([&] { Main().mnuViewObj->trigger(); },
                                   [](frm_Obj& w) { return !w.Init_Timer->isActive(); },
                                   [&](frm_Obj& w) { listing = w.txt_obj->WholeText(); }));
    EXPECT_TRUE(listing.isEmpty());
}

// A line table that points past the image, and source positions past the
// text, leave cells empty instead of reading past the copies.
TEST_F(DirectRunTest, LineTableReadsWithinItsCopies) {
    Open(QStringLiteral("obj.bas"), kProgram);
    Main().mnuMake->trigger();
    ASSERT_EQ(Main().basic.Bas_Error, 0);
    Main().basic.LineObjPos[5] = 30;
    Main().basic.TotalBytes = 90;        // more than the image holds
    Main().basic.LineStartPos[4] = 500;  // past the source text
    Main().basic.LineLength.resize(3);   // a table shorter than TotalLines

    std::array<QString, 4> last;
    QString fourth;
    ASSERT_TRUE(WhileOpen<frm_Obj_Line>([&] { Main().mnuViewLineObj->trigger(); },
                                        [](frm_Obj_Line& w) { return !w.cmd_16->isEnabled(); },
                                        [&](frm_Obj_Line& w) {
                                            last = {Cell(w, 5, 0), Cell(w, 5, 1), Cell(w, 5, 2), Cell(w, 5, 3)};
                                            fourth = Cell(w, 4, 1);
                                        }));
    EXPECT_EQ(last[0], "5");
    EXPECT_EQ(last[1], "");
    EXPECT_EQ(last[2], "1E");
    EXPECT_EQ(last[3], "64  64  64  64  C4  22  00  ");  // up to the image's real end
    EXPECT_EQ(fourth, "");
}

// A bad '$LIMIT directive in a document window: the box, and the caret on
// that line; the directives before it hold.
TEST_F(DirectRunTest, ABadLimitDirectiveShowsItsBoxAtItsLine) {
    Open(QStringLiteral("limits.bas"),
         QStringLiteral("SERVO 1, 100\r\n'$LIMIT 5, 20, 180\r\n  '$limit 6, 30, 150\r\n'$LIMIT 32, 20, 180\r\n"
                        "'$LIMIT 7, 20, 180\r\n"),
         0);
    Boxes().Answer(platform::vbOK);
    modMain::ParseLimitDirectives();
    ASSERT_EQ(Boxes().Calls().size(), 1u);
    EXPECT_EQ(Boxes().Calls()[0].title, QStringLiteral("구문처리 에러"));
    EXPECT_EQ(Boxes().Calls()[0].prompt, QStringLiteral("모터값 제한 구문('$LIMIT)에 오류가 있습니다.\r\n"
                                                        "사용법 : '$LIMIT(또는 '$제한) 모터번호, 최소값, 최대값"));
    EXPECT_EQ(Boxes().Calls()[0].style & platform::vbCritical, platform::vbCritical);
    const platform::EditorRange caret = Editor().Selection(true);
    EXPECT_EQ(caret.StartLineNo, 3);
    EXPECT_EQ(caret.StartColNo, 0);
    EXPECT_EQ(Editor().HighlightedLine(), 3);
    EXPECT_EQ(modMain::MotorLimits[5].Min, 20);
    EXPECT_EQ(modMain::MotorLimits[5].Max, 180);
    EXPECT_EQ(modMain::MotorLimits[6].Min, 30);  // indented, lower case
    EXPECT_EQ(modMain::MotorLimits[7].Min, 10);  // after the bad line: not read
}
