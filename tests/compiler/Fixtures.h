// Reading the tests' table fixtures: UTF-8 text, one record a line, the
// fields separated by tabs.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "Text.h"

namespace qvv2test {

// One line "number<TAB>English<TAB>Korean".
struct FixtureRow {
    int number = 0;
    std::u16string english;
    std::u16string korean;
};

// The rows of fixtures/<name>, in file order.  CR LF and LF line ends are
// accepted and empty lines skipped; the text fields are taken exactly, as
// leading and trailing blanks are part of some texts.  A file that cannot be
// opened or a line without two tabs is reported as a test failure.
inline std::vector<FixtureRow> ReadFixture(const std::string& name) {
    std::vector<FixtureRow> rows;
    std::ifstream in(std::string(QVV2_TEST_DATA) + "/fixtures/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open fixture " << name;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const size_t t1 = line.find('\t');
        const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
        EXPECT_NE(t2, std::string::npos) << "bad fixture line: " << line;
        if (t2 == std::string::npos)
            continue;
        FixtureRow r;
        r.number = std::stoi(line.substr(0, t1));
        r.english = qvv2::FromUtf8(line.substr(t1 + 1, t2 - t1 - 1));
        r.korean = qvv2::FromUtf8(line.substr(t2 + 1));
        rows.push_back(r);
    }
    return rows;
}

}  // namespace qvv2test
