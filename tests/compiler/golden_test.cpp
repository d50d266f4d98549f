// Golden tests: every golden/**/NAME.bas is compiled by compile_dump with the
// arguments of NAME.args (optional, one line) and must print NAME.json exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

std::vector<fs::path> GoldenSources() {
    std::vector<fs::path> out;
    const fs::path root = fs::path(QVV2_TEST_DATA) / "golden";
    if (!fs::exists(root)) return out;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && e.path().extension() == ".bas") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::string RunCompileDump(const fs::path& source) {
    fs::path argsFile = source;
    argsFile.replace_extension(".args");
    std::string args = fs::exists(argsFile) ? Trimmed(ReadFile(argsFile)) : "";
    const std::string cmd = std::string("'") + QVV2_COMPILE_DUMP + "' " + args + " '" + source.string() + "'";
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
    }
    return out;
}

class Golden : public ::testing::TestWithParam<fs::path> {};

TEST_P(Golden, MatchesExpectedJson) {
    const fs::path source = GetParam();
    fs::path expected = source;
    expected.replace_extension(".json");
    ASSERT_TRUE(fs::exists(expected)) << "no expected output beside " << source;
    EXPECT_EQ(Trimmed(RunCompileDump(source)), Trimmed(ReadFile(expected))) << source;
}

std::string CaseName(const ::testing::TestParamInfo<fs::path>& info) {
    const fs::path root = fs::path(QVV2_TEST_DATA) / "golden";
    std::string name = fs::relative(info.param, root).replace_extension().string();
    for (auto& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Compiler, Golden, ::testing::ValuesIn(GoldenSources()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Golden);

}  // namespace
