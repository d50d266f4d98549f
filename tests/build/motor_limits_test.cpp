#include <gtest/gtest.h>

#include <QStringList>

#include "build/MotorLimits.h"

namespace {

modMain::LimitScan Scan(const QStringList& lines) {
    return modMain::ScanLimitDirectives(static_cast<int>(lines.size()), [&](int i) { return lines[i]; });
}

struct LimitCase {
    const char* name;
    QStringList lines;
    int errorLine;  // -1: no error
    int motor;      // motor to check, -1: none
    int min, max;   // its expected range
};

TEST(MotorLimitsTest, DirectivesAndTheirErrors) {
    const LimitCase cases[] = {
        {"none", {"MOVE G6A, 100", "' a comment"}, -1, 5, 10, 190},
        {"plain", {"'$LIMIT 5, 20, 180"}, -1, 5, 20, 180},
        {"korean", {"'$제한 7, 30, 150"}, -1, 7, 30, 150},
        {"lower case, leading blanks", {"   '$limit 3 ,  40 , 160  "}, -1, 3, 40, 160},
        {"halves to even", {"'$LIMIT 2, 20.5, 21.5"}, -1, 2, 20, 22},
        {"motor rounded", {"'$LIMIT 4.5, 20, 30"}, -1, 4, 20, 30},
        {"one comma ignored", {"'$LIMIT 5, 20"}, -1, 5, 10, 190},
        {"later wins", {"'$LIMIT 5, 20, 180", "'$LIMIT 5, 30, 170"}, -1, 5, 30, 170},
        {"bounds", {"'$LIMIT 31, 10, 190"}, -1, 31, 10, 190},
        {"short line skipped", {"'$LIMIT 5,"}, -1, 5, 10, 190},
        {"min equals max", {"'$LIMIT 5, 50, 50"}, 0, -1, 0, 0},
        {"min 9", {"x", "'$LIMIT 5, 9, 100"}, 1, -1, 0, 0},
        {"max 191", {"'$LIMIT 5, 20, 191"}, 0, -1, 0, 0},
        {"motor 32", {"'$LIMIT 32, 20, 100"}, 0, -1, 0, 0},
        {"motor -1", {"'$LIMIT -1, 20, 100"}, 0, -1, 0, 0},
        {"no comma", {"'$LIMIT 5 20 100"}, 0, -1, 0, 0},
        {"non-numeric", {"'$LIMIT A, 20, 100"}, 0, -1, 0, 0},
        {"trailing comment", {"'$LIMIT 5, 20, 100 ' knee"}, 0, -1, 0, 0},
        {"huge number", {"'$LIMIT 99999999, 20, 100"}, 0, -1, 0, 0},
        {"good kept before bad", {"'$LIMIT 1, 20, 100", "'$LIMIT 2, 5, 100", "'$LIMIT 3, 20, 100"}, 1, 1, 20, 100},
        {"after bad not read", {"'$LIMIT 2, 5, 100", "'$LIMIT 3, 20, 100"}, 0, 3, 10, 190},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const modMain::LimitScan scan = Scan(c.lines);
        EXPECT_EQ(scan.errorLine, c.errorLine);
        if (c.motor >= 0) {
            EXPECT_EQ(scan.limits[c.motor].Min, c.min);
            EXPECT_EQ(scan.limits[c.motor].Max, c.max);
        }
        for (int m = 0; m < 32; ++m) {
            if (m == c.motor) continue;
            EXPECT_EQ(scan.limits[m].Min, 10) << m;
            EXPECT_EQ(scan.limits[m].Max, 190) << m;
        }
    }
}

}  // namespace
