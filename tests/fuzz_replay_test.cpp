// Replays the fuzzers' seeds and every input that ever made a fuzz target fail.
#include <gtest/gtest.h>

#include <filesystem>

#include "d88writer.h"
#include "fuzz/harness.h"

namespace {

TEST(FuzzReplay, SeedsAndRegressions) {
    int replayed = 0;
    for (const char* folder : {FUZZ_DIR "/corpus", FUZZ_DIR "/regressions"}) {
        for (const auto& item : std::filesystem::directory_iterator(folder)) {
            if (!item.is_regular_file() || item.path().filename() == "README.md") continue;
            SCOPED_TRACE(item.path().string());
            const fixture::Bytes input = fixture::ReadFile(item.path().string());
            FuzzReader(input.data(), input.size());
            testing::internal::CaptureStdout();
            FuzzExtract(input.data(), input.size());
            testing::internal::GetCapturedStdout();
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

}  // namespace
