// Replays the kept inputs of the protocol fuzzer (tests/fuzz/protocol_corpus)
// through the same entry point as protocol_fuzz, in the normal build: every
// exchange must keep every rule the fuzzer checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "ProtocolFuzzInput.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ProtocolCorpus, EveryInputKeepsTheProtocolsRules) {
    const fs::path dir = QUARVEL_PROTOCOL_CORPUS;
    ASSERT_TRUE(fs::is_directory(dir));
    // The exchange each input starts with (low three bits of its first
    // byte): the kept inputs must go on reaching all eight.
    std::set<int> exchanges;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        const std::string data = ReadAll(e.path());
        SCOPED_TRACE(e.path().filename().string());
        EXPECT_EQ(protocolfuzz::RunInput(reinterpret_cast<const uint8_t*>(data.data()), data.size()), "");
        if (!data.empty()) exchanges.insert(static_cast<unsigned char>(data[0]) & 7);
    }
    EXPECT_EQ(exchanges, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}
