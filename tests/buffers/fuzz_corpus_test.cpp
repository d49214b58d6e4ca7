// Replays the fuzzing corpus through the fuzz target's entry function, so that every
// input that once found a fault keeps being checked by the ordinary test run.

#include "../../fuzz/file_readers_entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestro {
namespace {

TEST(FuzzCorpus, EveryInputPassesTheFileReaderChecks) {
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(
             std::filesystem::path(KESTRO_SOURCE_DIR) / "fuzz/corpus/file_readers")) {
        std::ifstream f(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), {});
        EXPECT_EQ(fuzz::runFileReadersInput(bytes.data(), bytes.size()), 0) << entry.path();
        ++inputs;
    }
    EXPECT_GE(inputs, 10);
    std::filesystem::remove_all(fuzz::scratchFolder());
}

} // namespace
} // namespace kestro
