// Replays every saved fuzzing input through Compile: each must come back
// with a result and an error number the compiler can produce.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "QUARVELv2.h"
#include "Text.h"

namespace fs = std::filesystem;

TEST(FuzzCorpus, EveryInputGivesAResultAndAKnownErrorNumber) {
    const fs::path dir = fs::path(QVV2_TEST_DATA) / ".." / "fuzz" / "corpus";
    ASSERT_TRUE(fs::exists(dir));
    qvv2::QUARVELv2 c;
    c.Clock = [] { return qvv2::ClockTime{2026, 12, 8, 8, 15, 30}; };
    c.CodePage = "CP949";
    c.Filename = u"FUZZ.bas";
    static const int16_t kConTypes[] = {0, 2, 5, 8};
    int replayed = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        const std::string data = ss.str();
        if (data.empty()) continue;
        const auto first = static_cast<uint8_t>(data[0]);
        c.Con_Type = kConTypes[first & 3];
        c.Con_ID = static_cast<uint8_t>(1 + ((first >> 2) % 3));
        c.cmdLang = static_cast<int16_t>((first >> 4) & 1);
        std::u16string text = qvv2::FromUtf8(data.substr(1));
        c.Compile(text);
        SCOPED_TRACE(e.path().filename().string());
        const int16_t err = c.Bas_Error;
        EXPECT_TRUE(err >= 0 && err <= 1000) << err;
        if (err == 0 && c.TotalBytes > 0) {
            EXPECT_GE(c.TotalBytes, 19);
            EXPECT_EQ(static_cast<int32_t>(c.ObjCode.size()), c.TotalBytes + 1);
        } else if (err != 0) {
            EXPECT_FALSE(c.Bas_Error_Msg.empty());
            EXPECT_EQ(c.TotalBytes, 0);
        }
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
