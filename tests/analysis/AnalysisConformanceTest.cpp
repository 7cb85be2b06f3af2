// The real boards of other tools through the show sequence: what the analysis reports matches
// what the files hold.
#include <numeric>

#include "tests/analysis/AnalysisTestSupport.h"
#include "tests/support/TestFiles.h"

namespace {
struct TBoardCase {
  const char* Board;
  const char* Library;  // given explicitly, or empty for the one found from the board
  int Holes, Placements, LibraryEntries;
};

int HintSum(TCorvaneIdfImport& d) {
  int sum = 0;
  for (auto* b : {&d.PlatedMountingCB, &d.NonPlatedMountingCB, &d.PlatedPinCB, &d.NonPlatedPinCB, &d.ViaHolesCB,
                  &d.PlatedToolingCB, &d.NonPlatedToolingCB, &d.PlatedOtherCB, &d.NonPlatedOtherCB})
    sum += std::stoi(b->Hint);
  return sum;
}
int GridRows(const controls::TStringGrid& g) {
  int n = 0;
  for (int r = 0; r < g.RowCount(); ++r) n += !g.Cell(0, r).empty();
  return n;
}
}  // namespace

class AnalysisConformance : public AnalysisTest, public ::testing::WithParamInterface<TBoardCase> {
 protected:
  void SetUp() override {
    if (SharedIdfDir().empty()) GTEST_SKIP() << "shared IDF test data not found; conformance boards skipped";
    AnalysisTest::SetUp();
  }
  std::unique_ptr<TCorvaneIdfImport> ShowShared(const TBoardCase& c) {
    auto d = MakeDialog();
    if (*c.Library) d->FLibraryFileOverride = SharedIdfDir() + c.Library;
    scripted->FileAnswers.push_back(SharedIdfDir() + c.Board);
    d->ShowModal();
    return d;
  }
};

TEST_P(AnalysisConformance, CountsMatchTheFiles) {
  const TBoardCase& c = GetParam();
  auto d = ShowShared(c);
  ASSERT_TRUE(d->ImportButton.Enabled) << d->FImportIDF->ErrorLog.Text();
  EXPECT_EQ(HintSum(*d), c.Holes);
  EXPECT_EQ(d->SelectedDesignatorsCheckListBox.Count(), c.Placements);
  // One grid row per package name, however often the library repeats it.
  int entries = 0;
  std::vector<std::string> distinct;
  for (const auto& sec : d->FImportIDF->SectionList()) {
    if (sec->SectType != stELECTRICAL && sec->SectType != stMECHANICAL) continue;
    ++entries;
    const std::string up = UpperCase(sec->GeometryName);
    if (std::find(distinct.begin(), distinct.end(), up) == distinct.end()) distinct.push_back(up);
  }
  EXPECT_EQ(entries, c.LibraryEntries);
  ASSERT_EQ(GridRows(d->HeightGrid), static_cast<int>(distinct.size()));
  for (int r = 0; r < static_cast<int>(distinct.size()); ++r)
    EXPECT_EQ(UpperCase(d->HeightGrid.Cell(0, r)), distinct[r]);
  // Every package of the board is offered once in the package list.
  std::vector<std::string> names;
  d->GetPackageNameList(names);
  EXPECT_EQ(d->SelectedPackageNamesCheckListBox.Count(), static_cast<int>(names.size()));
  // With the filter on at a size every hole passes, the summary counts every cuttable hole.
  d->LessThanRB.Click();
  d->HoleFilterSizeEdit.SetText("0");
  d->HoleFilterCb.Click();
  int plated = 0;
  for (auto* b : {&d->PlatedMountingCB, &d->NonPlatedMountingCB, &d->PlatedPinCB, &d->NonPlatedPinCB, &d->ViaHolesCB,
                  &d->PlatedToolingCB, &d->NonPlatedToolingCB, &d->PlatedOtherCB, &d->NonPlatedOtherCB})
    plated += std::stoi(b->Hint);
  EXPECT_EQ(plated, c.Holes - (d->FViaHoleCount - d->FViaFilteredCount));
  EXPECT_EQ(CountOf(d->FImportIDF->SummaryLog, "Hole Filter Summary"), c.Holes > 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(SharedBoards, AnalysisConformance,
                         ::testing::Values(TBoardCase{"esp.emn", "", 452, 218, 30},
                                           TBoardCase{"ain.emn", "", 404, 201, 56},
                                           TBoardCase{"board.emn", "library.emp", 91, 11, 5}),
                         [](const auto& info) {
                           const std::string b = info.param.Board;
                           return b.substr(0, b.find('.'));
                         });

TEST_F(AnalysisTest, SharedPanelRunsThroughTheShowSequence) {
  if (SharedIdfDir().empty()) GTEST_SKIP() << "shared IDF test data not found; panel skipped";
  scripted->FileAnswers.push_back(SharedIdfDir() + "panel.emn");
  auto d = MakeDialog();
  d->ShowModal();
  EXPECT_TRUE(d->FImportIDF->IsPanelFile);
  // A panel has no board outline of its own; the analysis says so and goes on.
  EXPECT_EQ(Has(d->FImportIDF->ErrorLog, "No Board Outline section in the Board File"),
            d->FImportIDF->FindFirstSection(stBOARD_OUTLINE) == nullptr);
  EXPECT_EQ(HintSum(*d), d->FImportIDF->FindFirstSection(stDRILLED_HOLES)
                             ? d->FImportIDF->FindFirstSection(stDRILLED_HOLES)->Count()
                             : 0);
}
