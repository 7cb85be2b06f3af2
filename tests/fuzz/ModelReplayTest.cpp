// Replays the model target's regression inputs through the OpenCASCADE host on every test run.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/ModelFuzzTarget.h"
#include "tests/support/TestFiles.h"

TEST(ModelFuzzReplay, RegressionInputs) {
  const std::string dir = std::string(IDF_FUZZ_DIR) + "/regressions";
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.is_regular_file() && e.path().filename().string().starts_with("model-")) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  EXPECT_FALSE(files.empty());
  for (const auto& f : files) {
    SCOPED_TRACE(f);
    const std::string bytes = ReadFileBytes(f);
    EXPECT_EQ(ModelFuzzOne(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
  }
}
