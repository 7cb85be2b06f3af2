// Replays the fuzzers' seed and regression inputs through the reader and through the whole
// import in the dialog on every test run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "fuzz/DialogFuzzTarget.h"
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

void ReplayOne(const std::string& bytes) {
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  EXPECT_EQ(IdfFuzzOne(data, bytes.size()), 0);
  EXPECT_EQ(DialogFuzzImport(data, bytes.size()).AbsurdCalls, std::vector<std::string>{});
}

void ReplayAll(const std::string& dir, std::size_t atLeast) {
  const auto files = FilesIn(dir);
  EXPECT_GE(files.size(), atLeast) << dir;
  for (const auto& f : files) {
    SCOPED_TRACE(f);
    ReplayOne(ReadFileBytes(f));
  }
}

TDialogFuzzRun ImportSeed(const std::string& name) {
  const std::string bytes = ReadFileBytes(std::string(IDF_FUZZ_DIR) + "/seeds/" + name);
  return DialogFuzzImport(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::multiset<std::string> FirstArgsOf(const TDialogFuzzRun& run, const std::string& method, std::size_t arg) {
  std::multiset<std::string> out;
  for (const auto& c : run.HostCalls)
    if (c.Method == method && c.Args.size() > arg) out.insert(c.Args[arg]);
  return out;
}
}  // namespace

TEST(FuzzReplay, SeedCorpus) { ReplayAll(std::string(IDF_FUZZ_DIR) + "/seeds", 10); }

TEST(FuzzReplay, RegressionInputs) { ReplayAll(std::string(IDF_FUZZ_DIR) + "/regressions", 0); }

TEST(FuzzReplay, ProjectSamplesAsPairs) {
  for (const char* name : {"sample", "sample_v2"}) {
    SCOPED_TRACE(name);
    ReplayOne(ReadFileBytes(SamplesDir() + name + ".emn") + kFuzzLibrarySeparator +
              ReadFileBytes(SamplesDir() + name + ".emp"));
  }
}

// A target that stops short of the model building would fuzz the reader a second time.
TEST(FuzzReplay, DialogTargetCutsEveryHoleCategoryAndPlacesTheParts) {
  const auto run = ImportSeed("dialog_holes_each_kind.emn");
  EXPECT_EQ(
      FirstArgsOf(run, "AddExtrudedCutout", 12),
      (std::multiset<std::string>{"\"NonPlatedMountingHoles\"", "\"NonPlatedOtherHoles\"", "\"NonPlatedPinHoles\"",
                                  "\"NonPlatedToolHoles\"", "\"PlatedMountingHoles\"", "\"PlatedOtherHoles\"",
                                  "\"PlatedPinHoles\"", "\"PlatedToolHoles\"", "\"ViaHoles\""}));
  const auto placed = FirstArgsOf(run, "Add", 0);
  EXPECT_EQ(placed.size(), 2u);  // the board and U1
  EXPECT_EQ(std::count_if(placed.begin(), placed.end(),
                          [](const std::string& f) { return f.find("AutoParts/SOT23.CV_PRT") != std::string::npos; }),
            1);
  EXPECT_EQ(run.Errors, std::vector<std::string>{});
  EXPECT_FALSE(std::filesystem::exists(DialogFuzzScratchFolder()));

  const auto keepouts = ImportSeed("dialog_keepouts_bottom_parts.emn");
  const auto bosses = FirstArgsOf(keepouts, "AddExtrudedBoss", 12);
  for (const char* feature : {"\"RouteKeepout_1_Both\"", "\"PlaceKeepout_1_Bottom\"", "\"ViaKeepout_1_Top\"",
                              "\"BottomPads\"", "\"TopVIAS\"", "\"BottomVIAS\""})
    EXPECT_EQ(bosses.count(feature), 1u) << feature;
  EXPECT_EQ(FirstArgsOf(keepouts, "Add", 0).size(), 4u);  // the board, U1 and U2 (top and bottom), H1
}
