// The Select Parts tab: one check list by designator, one by package name, and the test that
// decides at import which placements are taken.
#include <algorithm>

#include "import/IdfImportV4_XE2.h"

namespace {
// Alphabetical without regard to letter case; equal names keep the order they came in.
void FillSorted(controls::TCheckListBox& list, std::vector<std::string> items) {
  std::stable_sort(items.begin(), items.end(),
                   [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); });
  for (auto& i : items) list.Add(i);
}

bool InList(const TSearchStringList& list, const std::string& text) {
  for (const auto& l : list.Lines())
    if (SameTextAscii(l, text)) return true;
  return false;
}
}  // namespace

void TIdfImportFormV4_XE2::InitSelectionLists() {
  for (controls::TCheckListBox* l : {&SelectedDesignatorsCheckListBox, &SelectedPackageNamesCheckListBox})
    l->Height = 350;
  LoadByDes();
  LoadByPackageName();
  SelectedDesignatorsCheckListBox.Visible = DesignatorRadioButton.Checked();
  SelectedPackageNamesCheckListBox.Visible = PackageNameRadioButton.Checked();
}

void TIdfImportFormV4_XE2::LoadByDes() {
  SelectedDesignatorsCheckListBox.Clear();
  fDesignatorOfItem.clear();
  const TSection* sec = FImportIDF->FindFirstSection(stPLACEMENT);
  if (!sec) return;
  // Items and their designators sorted together: a designator may itself hold "=", so the item
  // text alone cannot tell where it ends.
  std::vector<std::pair<std::string, std::string>> items;
  const int n = std::min(sec->NumPlacements, sec->Count());
  for (int i = 0; i < n; ++i)
    items.emplace_back(sec->Items(i).Designator + "=" + sec->Items(i).PackageName, sec->Items(i).Designator);
  std::stable_sort(items.begin(), items.end(),
                   [](const auto& a, const auto& b) { return UpperCase(a.first) < UpperCase(b.first); });
  for (auto& [item, des] : items) {
    SelectedDesignatorsCheckListBox.Add(item);
    fDesignatorOfItem.push_back(des);
  }
}

void TIdfImportFormV4_XE2::GetPackageNameList(std::vector<std::string>& List) {
  const TSection* sec = FImportIDF->FindFirstSection(stPLACEMENT);
  if (!sec) return;
  const int n = std::min(sec->NumPlacements, sec->Count());
  for (int i = 0; i < n; ++i) {
    const std::string& name = sec->Items(i).PackageName;
    if (std::none_of(List.begin(), List.end(), [&](const std::string& s) { return SameTextAscii(s, name); }))
      List.push_back(name);
  }
}

void TIdfImportFormV4_XE2::LoadByPackageName() {
  SelectedPackageNamesCheckListBox.Clear();
  std::vector<std::string> names;
  GetPackageNameList(names);
  FillSorted(SelectedPackageNamesCheckListBox, std::move(names));
}

void TIdfImportFormV4_XE2::GetSelectedPackages() {
  FWeHaveSelectedPart = false;
  FSelectedPackageList.Clear();
  if (PackageNameRadioButton.Checked()) {
    const auto& l = SelectedPackageNamesCheckListBox;
    for (int i = 0; i < l.Count(); ++i)
      if (l.Checked(i)) FSelectedPackageList.Add(l.Item(i));
  }
  FWeHaveSelectedPart = !FSelectedPackageList.Empty();
}

void TIdfImportFormV4_XE2::GetSelectedDesignators() {
  FWeHaveSelectedDesignator = false;
  FSelectedDesList.Clear();
  if (DesignatorRadioButton.Checked()) {
    const auto& l = SelectedDesignatorsCheckListBox;
    for (int i = 0; i < l.Count(); ++i)
      if (l.Checked(i)) FSelectedDesList.Add(DesignatorOfItem(i).value_or(l.Item(i).substr(0, l.Item(i).find('='))));
  }
  FWeHaveSelectedDesignator = !FSelectedDesList.Empty();
}

std::optional<std::string> TIdfImportFormV4_XE2::DesignatorOfItem(int Index) const {
  // Items added by anyone else than LoadByDes have no designator on record.
  if (fDesignatorOfItem.size() != static_cast<std::size_t>(SelectedDesignatorsCheckListBox.Count()) || Index < 0 ||
      static_cast<std::size_t>(Index) >= fDesignatorOfItem.size())
    return std::nullopt;
  return fDesignatorOfItem[static_cast<std::size_t>(Index)];
}

bool TIdfImportFormV4_XE2::PartSelectionCheckExt(const std::string& PartName) const {
  if (FWeHaveSelectedPart || FWeHaveSelectedDesignator) return InList(FSelectedPackageList, PartName);
  return true;
}

bool TIdfImportFormV4_XE2::ThisDesignatorIsSelectedExt(const std::string& Des) const {
  return FWeHaveSelectedDesignator && InList(FSelectedDesList, Des);
}

void TIdfImportFormV4_XE2::SelectAllButtonClick() {
  auto& l = DesignatorRadioButton.Checked() ? SelectedDesignatorsCheckListBox : SelectedPackageNamesCheckListBox;
  for (int i = 0; i < l.Count(); ++i) l.SetChecked(i, true);
}

void TIdfImportFormV4_XE2::SelectNoneButtonClick() {
  auto& l = DesignatorRadioButton.Checked() ? SelectedDesignatorsCheckListBox : SelectedPackageNamesCheckListBox;
  for (int i = 0; i < l.Count(); ++i) l.SetChecked(i, false);
}

void TIdfImportFormV4_XE2::SortByRadioGroupClick() { ApplyPageHeight(&FilterTab); }

void TIdfImportFormV4_XE2::FilterTabShow() {
  Height = FFilterPageHeight;
  PageControl1.Height = 318;
  SortByRadioGroupClick();
}
