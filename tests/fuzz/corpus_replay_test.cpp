// Every file of the seed corpora, and every input the fuzzers have found worth keeping, goes
// through its harness on each run of the suite, so a fault found once stays found.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "testsupport/fakes.h"

namespace kpx::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<std::string>* failures = nullptr;

void RecordFailure(const char* harness, const char* what) {
    if (failures) failures->push_back(std::string(harness) + ": " + what);
}

struct Harness {
    const char* name;
    int (*run)(const std::uint8_t*, std::size_t);
};

class CorpusReplay : public ::testing::TestWithParam<Harness> {};

TEST_P(CorpusReplay, EveryCorpusFileKeepsTheInvariants) {
    const fs::path folder = fs::path(KPX41_SOURCE_DIR) / "tests/fuzz/corpus" / GetParam().name;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::vector<std::string> found;
    failures = &found;
    SetFailureHandler(RecordFailure);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::vector<std::uint8_t> bytes = testing::ReadBytes(entry.path());
        const std::size_t before = found.size();
        EXPECT_NO_THROW(GetParam().run(bytes.data(), bytes.size())) << entry.path();
        for (std::size_t i = before; i < found.size(); ++i) {
            ADD_FAILURE() << entry.path().filename() << ": " << found[i];
        }
        ++files;
    }
    SetFailureHandler(nullptr);
    failures = nullptr;
    EXPECT_GT(files, 0) << "an empty corpus replays nothing";
}

INSTANTIATE_TEST_SUITE_P(Harnesses, CorpusReplay,
                         ::testing::Values(Harness{"table_file", Fuzz_table_file},
                                           Harness{"registry", Fuzz_registry},
                                           Harness{"serial_replies", Fuzz_serial_replies},
                                           Harness{"prompt_store", Fuzz_prompt_store},
                                           Harness{"glyph_cells", Fuzz_glyph_cells},
                                           Harness{"entry_texts", Fuzz_entry_texts},
                                           Harness{"bus_trace", Fuzz_bus_trace},
                                           Harness{"production_log", Fuzz_production_log}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kpx::fuzz
