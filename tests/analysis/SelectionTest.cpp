// The two selection lists, their buttons and the selection taken at import.
#include <cmath>

#include "tests/analysis/AnalysisTestSupport.h"

namespace {
const std::string kPlacements =
    ".PLACEMENT\n"
    "0805 RC R1\n1 1 0 0 TOP PLACED\n"
    "soic8 IC C2\n2 2 0 0 TOP PLACED\n"
    "0805 RC R1\n3 3 0 0 BOTTOM PLACED\n"
    "SOIC8 IC C10\n4 4 0 0 TOP PLACED\n"
    "0603 RC X=1\n5 5 0 0 TOP PLACED\n"
    "0603 RC X\n6 6 0 0 TOP PLACED\n"
    ".END_PLACEMENT\n";

std::vector<std::string> Items(const controls::TCheckListBox& l) {
  std::vector<std::string> out;
  for (int i = 0; i < l.Count(); ++i) out.push_back(l.Item(i));
  return out;
}
int IndexOf(const controls::TCheckListBox& l, const std::string& item) {
  for (int i = 0; i < l.Count(); ++i)
    if (l.Item(i) == item) return i;
  return -1;
}
}  // namespace

class SelectionTest : public AnalysisTest {
 protected:
  // The designators the import would take, in record order.
  static std::vector<std::string> Imported(TCorvaneIdfImport& d) {
    d.GetSelectedPackages();
    d.GetSelectedDesignators();
    std::vector<std::string> out;
    const TSection* s = d.FImportIDF->FindFirstSection(stPLACEMENT);
    for (int i = 0; i < s->Count(); ++i)
      if (d.PartSelectionCheckExt(s->Items(i).PackageName) || d.ThisDesignatorIsSelectedExt(s->Items(i).Designator))
        out.push_back(s->Items(i).Designator + "@" + std::to_string(std::lround(s->Items(i).X * 10)));  // mm
    return out;
  }
  const std::vector<std::string> kAll{"R1@1", "C2@2", "R1@3", "C10@4", "X=1@5", "X@6"};
};

TEST_F(SelectionTest, ListsAreSortedWithoutRegardToCaseDesignatorsRepeatPackagesDoNot) {
  auto d = Show(kOutline + kPlacements);
  EXPECT_EQ(Items(d->SelectedDesignatorsCheckListBox),
            (std::vector<std::string>{"C10=SOIC8", "C2=soic8", "R1=0805", "R1=0805", "X=0603", "X=1=0603"}));
  EXPECT_EQ(Items(d->SelectedPackageNamesCheckListBox), (std::vector<std::string>{"0603", "0805", "soic8"}));
  for (const auto* l : {&d->SelectedDesignatorsCheckListBox, &d->SelectedPackageNamesCheckListBox})
    for (int i = 0; i < l->Count(); ++i) EXPECT_FALSE(l->Checked(i));
  // The stored mode is the package name; only its list shows.
  EXPECT_TRUE(d->SelectedPackageNamesCheckListBox.Visible);
  EXPECT_FALSE(d->SelectedDesignatorsCheckListBox.Visible);
}

TEST_F(SelectionTest, NothingCheckedImportsEverythingInEitherMode) {
  auto d = Show(kOutline + kPlacements);
  EXPECT_EQ(Imported(*d), kAll);
  d->DesignatorRadioButton.Click();
  EXPECT_EQ(Imported(*d), kAll);
  EXPECT_FALSE(d->FWeHaveSelectedPart);
  EXPECT_FALSE(d->FWeHaveSelectedDesignator);
}

TEST_F(SelectionTest, PackageModeTakesCheckedPackagesOfAnySpellingAndIgnoresDesignatorChecks) {
  auto d = Show(kOutline + kPlacements);
  d->SelectedDesignatorsCheckListBox.SetChecked(IndexOf(d->SelectedDesignatorsCheckListBox, "X=0603"), true);
  d->SelectedPackageNamesCheckListBox.SetChecked(IndexOf(d->SelectedPackageNamesCheckListBox, "soic8"), true);
  EXPECT_EQ(Imported(*d), (std::vector<std::string>{"C2@2", "C10@4"}));
  EXPECT_TRUE(d->FWeHaveSelectedPart);
  EXPECT_FALSE(d->FWeHaveSelectedDesignator);
}

TEST_F(SelectionTest, DesignatorModeTakesExactlyTheCheckedDesignators) {
  auto d = Show(kOutline + kPlacements);
  d->SelectedPackageNamesCheckListBox.SetChecked(0, true);
  d->DesignatorRadioButton.Click();
  EXPECT_TRUE(d->SelectedDesignatorsCheckListBox.Visible);
  EXPECT_FALSE(d->SelectedPackageNamesCheckListBox.Visible);
  auto& des = d->SelectedDesignatorsCheckListBox;
  // Either item of a repeated designator selects both records.
  des.SetChecked(IndexOf(des, "R1=0805"), true);
  EXPECT_EQ(Imported(*d), (std::vector<std::string>{"R1@1", "R1@3"}));
  // A designator holding "=" selects itself, not the designator before its "=".
  des.SetChecked(IndexOf(des, "R1=0805"), false);
  des.SetChecked(IndexOf(des, "X=1=0603"), true);
  EXPECT_EQ(Imported(*d), (std::vector<std::string>{"X=1@5"}));
  // The package list keeps its checks for when its mode comes back.
  d->PackageNameRadioButton.Click();
  EXPECT_TRUE(d->SelectedPackageNamesCheckListBox.Checked(0));
  EXPECT_EQ(Imported(*d), (std::vector<std::string>{"X=1@5", "X@6"}));
}

TEST_F(SelectionTest, SelectAllAndNoneWorkOnTheChosenModesListOnly) {
  auto d = Show(kOutline + kPlacements);
  d->SelectAllButton.Click();
  for (int i = 0; i < d->SelectedPackageNamesCheckListBox.Count(); ++i)
    EXPECT_TRUE(d->SelectedPackageNamesCheckListBox.Checked(i));
  for (int i = 0; i < d->SelectedDesignatorsCheckListBox.Count(); ++i)
    EXPECT_FALSE(d->SelectedDesignatorsCheckListBox.Checked(i));
  EXPECT_EQ(Imported(*d), kAll);
  d->SelectNoneButton.Click();
  for (int i = 0; i < d->SelectedPackageNamesCheckListBox.Count(); ++i)
    EXPECT_FALSE(d->SelectedPackageNamesCheckListBox.Checked(i));
  EXPECT_EQ(Imported(*d), kAll);
  EXPECT_FALSE(d->FWeHaveSelectedPart);
}

TEST_F(SelectionTest, AnotherBoardRebuildsTheListsUnchecked) {
  auto d = Show(kOutline + kPlacements);
  d->SelectAllButton.Click();
  Write("n.emn", std::string(kHeader) + kOutline);
  Write("n.emp", kEmptyLibrary);
  scripted->FileAnswers.push_back(Folder() + "n.emn");
  d->BoardFilePathButton.Click();
  ASSERT_EQ(d->BoardFilePathEdit.Text(), Folder() + "n.emn");
  EXPECT_EQ(d->SelectedPackageNamesCheckListBox.Count(), 0);
  EXPECT_EQ(d->SelectedDesignatorsCheckListBox.Count(), 0);
}

TEST_F(SelectionTest, EnteringTheTabShowsTheChosenModesListAtTheFilterPageHeight) {
  auto d = Show(kOutline + kPlacements);
  d->DesignatorRadioButton.SetChecked(false);
  d->PackageNameRadioButton.SetChecked(false);
  d->PageControl1.SelectPage(&d->FilterTab);
  // Neither mode chosen: the designator mode is taken.
  EXPECT_TRUE(d->DesignatorRadioButton.Checked());
  EXPECT_TRUE(d->SelectedDesignatorsCheckListBox.Visible);
  EXPECT_FALSE(d->SelectedPackageNamesCheckListBox.Visible);
  EXPECT_EQ(d->Height, d->FFilterPageHeight);
  EXPECT_EQ(d->SelectedDesignatorsCheckListBox.Height, 218);
}
