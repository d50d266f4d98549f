// Replays the kept inputs of the file-reader fuzzer (tests/fuzz/files_corpus)
// through the same entry point as files_fuzz, in the normal build: every
// reader must keep every rule the fuzzer checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "FilesFuzzInput.h"
#include "FuzzShared.h"

namespace fs = std::filesystem;

TEST(FilesCorpus, EveryInputKeepsTheReadersRules) {
    const fs::path dir = QUARVEL_FILES_CORPUS;
    ASSERT_TRUE(fs::is_directory(dir));
    // Reader and language (bits 2-3) of each input: the kept inputs must go
    // on reaching all seven readers, in English and Korean.
    std::set<int> readers;
    std::set<int> koreanReaders;
    fuzzshared::ForEachInput(dir, [&](const std::string& name, const std::string& data) {
        SCOPED_TRACE(name);
        EXPECT_EQ(filesfuzz::RunInput(reinterpret_cast<const uint8_t*>(data.data()), data.size()), "");
        if (data.empty()) return;
        const int selector = static_cast<unsigned char>(data[0]);
        readers.insert(filesfuzz::ReaderOf(static_cast<uint8_t>(selector)));
        if (((selector >> 2) & 3) == 1) koreanReaders.insert(filesfuzz::ReaderOf(static_cast<uint8_t>(selector)));
    });
    const std::set<int> all = {0, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(readers, all);
    EXPECT_EQ(koreanReaders, all);
}
