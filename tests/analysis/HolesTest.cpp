// Hole categories, their hints, the filter and the hole lists for the board.
#include "tests/analysis/AnalysisTestSupport.h"

using controls::TCheckBox;

namespace {
// Plated pins of 0.8, 1.0 and twice 1.2 mm, two non-plated vias, a non-plated other hole and a
// plated mounting hole.
const std::string kHoles =
    ".DRILLED_HOLES\n"
    "0.8 10 10 PTH U1 PIN ECAD\n1.0 12 10 PTH U1 PIN ECAD\n1.2 14 10 PTH U1 PIN ECAD\n1.2 16 10 PTH U1 PIN ECAD\n"
    "0.4 20 20 NPTH BOARD VIA ECAD\n0.4 22 20 NPTH BOARD VIA ECAD\n"
    "1.5 30 30 NPTH BOARD OTHER MCAD\n3.0 40 40 PTH BOARD MTG MCAD\n"
    ".END_DRILLED_HOLES\n";

std::vector<TCheckBox*> Boxes(TCorvaneIdfImport& d) {
  return {&d.PlatedMountingCB, &d.NonPlatedMountingCB, &d.PlatedPinCB,   &d.NonPlatedPinCB,  &d.ViaHolesCB,
          &d.PlatedToolingCB,  &d.NonPlatedToolingCB,  &d.PlatedOtherCB, &d.NonPlatedOtherCB};
}
std::vector<std::string> Hints(TCorvaneIdfImport& d) {
  std::vector<std::string> out;
  for (auto* b : Boxes(d)) out.push_back(b->Hint);
  return out;
}
std::vector<bool> Enabled(TCorvaneIdfImport& d) {
  std::vector<bool> out;
  for (auto* b : Boxes(d)) out.push_back(b->Enabled);
  return out;
}
}  // namespace

class HolesTest : public AnalysisTest {
 protected:
  // The filter as stored: on, in the given mode, with the two sizes.
  void StoreFilter(bool on, bool greater, const std::string& geSize, const std::string& leSize) {
    store->SetBooleanInRegistry("HoleFilterOn", on);
    store->SetBooleanInRegistry("HoleFilterGreaterThanSet", greater);
    store->SetBooleanInRegistry("HoleFilterLessThanSet", !greater);
    store->SetStringInRegistry("HoleFilterGreaterThanValue", geSize);
    store->SetStringInRegistry("HoleFilterLessThanValue", leSize);
  }
  static int ListSize(std::vector<std::unique_ptr<TBoardOutlineObjectList>>& lists, const std::string& name) {
    for (auto& l : lists)
      if (l->fListName == name) return l->Count();
    return -1;
  }
};

TEST_F(HolesTest, FilterOffEnablesEveryCategoryWithHolesAndHintsCountThemAll) {
  for (const char* n : {"DoViaHoles", "DoPlatedToolingHoles", "DoPlatedPinHoles"}) store->SetBooleanInRegistry(n, true);
  auto d = Show(kOutline + kHoles);
  EXPECT_EQ(Hints(*d), (std::vector<std::string>{"1", "0", "4", "0", "2", "0", "0", "0", "1"}));
  EXPECT_EQ(Enabled(*d), (std::vector<bool>{true, false, true, false, false, false, false, false, true}));
  // Non-plated vias are counted but never cut; disabled boxes lose their stored checks.
  EXPECT_FALSE(d->ViaHolesCB.Checked);
  EXPECT_FALSE(d->PlatedToolingCB.Checked);
  EXPECT_TRUE(d->PlatedPinCB.Checked);
  EXPECT_FALSE(d->HoleFilterGb.Enabled);
  EXPECT_FALSE(d->HoleFilterSizeEdit.Enabled);
  EXPECT_FALSE(Has(d->FImportIDF->SummaryLog, "Hole Filter Summary"));
  EXPECT_TRUE(d->HolesPerFeatureEdit.Enabled);
}

TEST_F(HolesTest, GreaterThanModeKeepsHolesUpToTheSizeAndLogsOneSummary) {
  store->SetBooleanInRegistry("DoPlatedMountingHoles", true);
  StoreFilter(true, true, "1.0", "100");
  auto d = Show(kOutline + kHoles);
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "1.0");
  EXPECT_TRUE(d->HoleFilterGb.Enabled);
  // 0.8 and 1.0 pass (the latter exactly at the size); the mounting and other holes are larger.
  EXPECT_EQ(Hints(*d), (std::vector<std::string>{"0", "0", "2", "0", "0", "0", "0", "0", "0"}));
  EXPECT_EQ(Enabled(*d), (std::vector<bool>{false, false, true, false, false, false, false, false, false}));
  EXPECT_FALSE(d->PlatedMountingCB.Checked);
  const auto& summary = d->FImportIDF->SummaryLog;
  EXPECT_EQ(CountOf(summary, "Hole Filter Summary"), 1);
  const auto& l = summary.Lines();
  const auto head = std::find(l.begin(), l.end(), "Hole Filter Summary");
  ASSERT_NE(head, l.end());
  ASSERT_GE(l.end() - head, 3);
  EXPECT_EQ(*(head - 1), "");
  EXPECT_EQ(head[1].rfind("Plated Pins:", 0), 0u);
  EXPECT_EQ(head[1].back(), '2');
  EXPECT_EQ(head[2], "");

  d->PlatedPinCB.Checked = true;
  std::vector<std::unique_ptr<TBoardOutlineObjectList>> lists;
  d->GetDrilledHoleOutlineLists(lists);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0]->Count(), 2);
  EXPECT_EQ(lists[0]->fColour, 0x007D88C6);  // "COPPER"
}

TEST_F(HolesTest, SwitchingModesShowsEachModesSizeAndRechecksTheHoles) {
  StoreFilter(true, true, "1.0", "1.0");
  auto d = Show(kOutline + kHoles);
  d->LessThanRB.Click();
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "1.0");
  // "<=" 1.0: the 1.0 and 1.2 pins, the other and the mounting hole.
  EXPECT_EQ(Hints(*d), (std::vector<std::string>{"1", "0", "3", "0", "0", "0", "0", "0", "1"}));
  d->HoleFilterSizeEdit.SetText("2.5");
  EXPECT_EQ(d->FHoleFilterLessThanVal, "2.5");
  EXPECT_EQ(d->FHoleFilterGreaterThanVal, "1.0");
  EXPECT_EQ(Enabled(*d), (std::vector<bool>{true, false, false, false, false, false, false, false, false}));
  d->GreaterThanRb.Click();
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "1.0");
  EXPECT_TRUE(d->PlatedPinCB.Enabled);
  d->LessThanRB.Click();
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "2.5");
  // A size nobody passes disables and unchecks for good: switching the filter off re-enables
  // the category but does not bring its check back.
  d->HoleFilterSizeEdit.SetText("9");
  d->AllHolesCbButton.Click();
  EXPECT_FALSE(d->PlatedPinCB.Checked);
  d->HoleFilterCb.Click();
  EXPECT_FALSE(d->HoleFilterCb.Checked);
  EXPECT_TRUE(d->PlatedPinCB.Enabled);
  EXPECT_FALSE(d->PlatedPinCB.Checked);
  EXPECT_EQ(d->PlatedPinCB.Hint, "4");
}

TEST_F(HolesTest, SizeZeroPassesEverythingInThePreviewAndTurnsTheFilterOffForTheBoard) {
  StoreFilter(true, false, "0", "0");
  for (const char* n : {"DoPlatedPinHoles", "DoViaHoles", "DoNonPlatedOtherHoles"})
    store->SetBooleanInRegistry(n, true);
  auto d = Show(kOutline + kHoles);
  // Counts of the filter: plated vias only; the two non-plated vias never count.
  EXPECT_EQ(Hints(*d), (std::vector<std::string>{"1", "0", "4", "0", "0", "0", "0", "0", "1"}));
  std::vector<std::unique_ptr<TBoardOutlineObjectList>> lists;
  d->GetDrilledHoleOutlineLists(lists);
  ASSERT_EQ(lists.size(), 2u);  // the via box is disabled and so unchecked
  EXPECT_EQ(lists[0]->Count(), 4);
  EXPECT_EQ(lists[1]->Count(), 1);
  EXPECT_EQ(lists[1]->fColour, 0x003AC556);  // "PCB"
}

TEST_F(HolesTest, SizeThatIsNoNumberIsRefusedAndKeepsTheStoredSize) {
  StoreFilter(true, true, "1.0", "100");
  auto d = Show(kOutline + kHoles);
  const auto before = Hints(*d);
  d->HoleFilterSizeEdit.SetText("1.0x");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Numbers must be entered in field : Hole Filter"});
  EXPECT_EQ(d->FHoleFilterGreaterThanVal, "1.0");
  EXPECT_EQ(Hints(*d), before);
  // The board gets every hole of the chosen categories, as with the filter off.
  d->PlatedPinCB.Checked = true;
  std::vector<std::unique_ptr<TBoardOutlineObjectList>> lists;
  d->GetDrilledHoleOutlineLists(lists);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0]->Count(), 4);
  // A leading separator is completed and taken.
  d->HoleFilterSizeEdit.SetText(".9");
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "0.9");
  EXPECT_EQ(d->FHoleFilterGreaterThanVal, "0.9");
  EXPECT_EQ(d->PlatedPinCB.Hint, "1");
}

TEST_F(HolesTest, OnlyNonPlatedOtherPassingGivesOneSummaryLine) {
  const std::string holes =
      ".DRILLED_HOLES\n0.8 10 10 PTH U1 PIN ECAD\n1.5 30 30 NPTH BOARD OTHER MCAD\n"
      "1.2 32 30 PTH BOARD OTHER MCAD\n.END_DRILLED_HOLES\n";
  StoreFilter(true, false, "0", "1.4");
  auto d = Show(kOutline + holes);
  const auto& l = d->FImportIDF->SummaryLog.Lines();
  const auto head = std::find(l.begin(), l.end(), "Hole Filter Summary");
  ASSERT_NE(head, l.end());
  ASSERT_GE(l.end() - head, 3);
  EXPECT_EQ(head[1].rfind("Non Plated Other:", 0), 0u);
  EXPECT_EQ(head[1].back(), '1');
  EXPECT_EQ(head[2], "");
  EXPECT_EQ(d->PlatedOtherCB.Hint, "0");
  EXPECT_FALSE(d->PlatedOtherCB.Enabled);
  EXPECT_FALSE(d->PlatedPinCB.Enabled);
}

TEST_F(HolesTest, BoardWithoutHolesHasNoCategoriesNoListsAndZeroHints) {
  store->SetBooleanInRegistry("DoPlatedPinHoles", true);
  auto d = Show(kOutline);
  EXPECT_EQ(Hints(*d), std::vector<std::string>(9, "0"));
  EXPECT_EQ(Enabled(*d), std::vector<bool>(9, false));
  EXPECT_FALSE(d->HolesPerFeatureEdit.Enabled);
  std::vector<std::unique_ptr<TBoardOutlineObjectList>> lists;
  d->GetDrilledHoleOutlineLists(lists);
  EXPECT_TRUE(lists.empty());
}

TEST_F(HolesTest, AllAndNoneButtons) {
  auto d = Show(kOutline + kHoles);
  d->AllHolesCbButton.Click();
  std::vector<bool> checked;
  for (auto* b : Boxes(*d)) checked.push_back(b->Checked);
  EXPECT_EQ(checked, Enabled(*d));
  d->NoneHolesCbButton.Click();
  for (auto* b : Boxes(*d)) EXPECT_FALSE(b->Checked) << b->Name;
}

TEST_F(HolesTest, SizeIsReadInTheWorkingUnit) {
  // 0.04 in is 1.016 mm: the 1.0 mm pin and the 0.8 mm pin pass ">=".
  StoreFilter(true, true, "0.04", "100");
  store->SetIntegerInRegistry("ImportHeightUnitsIndex", 1);
  store->SetStringInRegistry("ImportDefaultHeight", "0.39370");
  auto d = Show(kOutline + kHoles);
  EXPECT_EQ(d->HoleFilterUnitsLabel.Caption, "in");
  EXPECT_EQ(d->PlatedPinCB.Hint, "2");
}

TEST_F(HolesTest, StoredSizeThatIsNoNumberIsReportedAndFiltersNothing) {
  StoreFilter(true, true, "big", "100");
  auto d = Show(kOutline + kHoles);
  EXPECT_TRUE(Has(d->FImportIDF->SummaryLog, "Hole Filter not applied : \"big\" is not a number"));
  EXPECT_EQ(d->PlatedPinCB.Hint, "4");
  EXPECT_TRUE(d->PlatedMountingCB.Enabled);
  EXPECT_TRUE(Messages().empty());  // nobody typed it
}
