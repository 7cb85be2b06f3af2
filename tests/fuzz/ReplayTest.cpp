// Replays the fuzzer's seed and regression inputs through the reader on every test run.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/IdfFuzzTarget.h"
#include "tests/support/TestFiles.h"

namespace {
std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> files;
  if (!std::filesystem::is_directory(dir)) return files;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.is_regular_file() && e.path().filename().string()[0] != '.') files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

void ReplayAll(const std::string& dir, std::size_t atLeast) {
  const auto files = FilesIn(dir);
  EXPECT_GE(files.size(), atLeast) << dir;
  for (const auto& f : files) {
    SCOPED_TRACE(f);
    const std::string bytes = ReadFileBytes(f);
    EXPECT_EQ(IdfFuzzOne(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
  }
}
}  // namespace

TEST(FuzzReplay, SeedCorpus) { ReplayAll(std::string(IDF_FUZZ_DIR) + "/seeds", 10); }

TEST(FuzzReplay, RegressionInputs) { ReplayAll(std::string(IDF_FUZZ_DIR) + "/regressions", 0); }

TEST(FuzzReplay, ProjectSamplesAsPairs) {
  for (const char* name : {"sample", "sample_v2"}) {
    const std::string input = ReadFileBytes(SamplesDir() + name + ".emn") + kFuzzLibrarySeparator +
                              ReadFileBytes(SamplesDir() + name + ".emp");
    EXPECT_EQ(IdfFuzzOne(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), 0);
  }
}
