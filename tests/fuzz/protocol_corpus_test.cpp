// Replays the kept inputs of the protocol fuzzer (tests/fuzz/protocol_corpus)
// through the same entry point as protocol_fuzz, in the normal build: every
// exchange must keep every rule the fuzzer checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "ProtocolFuzzInput.h"
#include "FuzzShared.h"

namespace fs = std::filesystem;

TEST(ProtocolCorpus, EveryInputKeepsTheProtocolsRules) {
    const fs::path dir = QUARVEL_PROTOCOL_CORPUS;
    ASSERT_TRUE(fs::is_directory(dir));
    // The exchange each input starts with (low three bits of its first
    // byte): the kept inputs must go on reaching all eight.
    std::set<int> exchanges;
    fuzzshared::ForEachInput(dir, [&](const std::string& name, const std::string& data) {
        SCOPED_TRACE(name);
        EXPECT_EQ(protocolfuzz::RunInput(reinterpret_cast<const uint8_t*>(data.data()), data.size()), "");
        if (!data.empty()) exchanges.insert(static_cast<unsigned char>(data[0]) & 7);
    });
    EXPECT_EQ(exchanges, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}
