// Every fuzz target fed its committed corpus: inputs that once found a fault, and the seeds
// the fuzzing starts from, stay checked in the ordinary build.
#include "FuzzTarget.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {
class Corpus : public ::testing::TestWithParam<const char*> {};

TEST_P(Corpus, EveryInputRunsThroughItsTarget) {
    FuzzFunction target = FindFuzzTarget(GetParam());
    ASSERT_NE(target, nullptr) << GetParam();
    fs::path dir = fs::path(VYN_SOURCE_DIR) / "tests/fuzz/corpus" / GetParam();
    int inputs = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(e.path().filename().string());
        target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    EXPECT_GE(inputs, 3) << "a corpus to start from";
}

INSTANTIATE_TEST_SUITE_P(Targets, Corpus,
                         ::testing::Values("phone_list", "ini", "registry_seed", "dial_script", "failed_dials",
                                           "machine_files"));
}  // namespace
