// The nine drilled-hole categories, the hole filter and the hole lists cut through the board.
#include <cmath>

#include "import/IdfImportV4_XE2.h"

using controls::TCheckBox;

namespace {
using F = TIdfImportFormV4_XE2;
struct THoleCategory {
  TCheckBox F::*Box;
  THoleType HoleType;
  TPlatingStyle Plating;
  int F::*Count;
  int F::*Filtered;
  const char* SummaryLabel;
  const char* Colour;
};
const THoleCategory kCategories[9] = {
    {&F::PlatedMountingCB, htMTG, psPTH, &F::FPlatedMtgCount, &F::FPlatedMhFilteredCount,
     "Plated Mounting: ", "COPPER"},
    {&F::NonPlatedMountingCB, htMTG, psNPTH, &F::FNonPlatedMtgCount, &F::FNonPlatedMhFilteredCount,
     "Non-Plated Mounting:", "PCB"},
    {&F::PlatedPinCB, htPIN, psPTH, &F::FPlatedPinCount, &F::FPlatedPinFilteredCount, "Plated Pins:", "COPPER"},
    {&F::NonPlatedPinCB, htPIN, psNPTH, &F::FNonPlatedPinCount, &F::FNonPlatedPinFilteredCount,
     "Non Plated Pins:", "PCB"},
    {&F::ViaHolesCB, htVIA, psPTH, &F::FViaHoleCount, &F::FViaFilteredCount, "Vias:", "COPPER"},
    {&F::PlatedToolingCB, htTOOL, psPTH, &F::FPlatedToolingCount, &F::FPlatedToolingFilteredCount,
     "Plated Tooling:", "COPPER"},
    {&F::NonPlatedToolingCB, htTOOL, psNPTH, &F::FNonPlatedToolingCount, &F::FNonPlatedToolingFilteredCount,
     "Non Plated Tooling:", "PCB"},
    {&F::PlatedOtherCB, htOTHER, psPTH, &F::FPlatedOtherCount, &F::FPlatedOtherFilteredCount,
     "Plated Other:", "COPPER"},
    {&F::NonPlatedOtherCB, htOTHER, psNPTH, &F::FNonPlatedOtherCount, &F::FNonPlatedOtherFilteredCount,
     "Non Plated Other:", "PCB"},
};
// The summary lists vias last.
const int kSummaryOrder[9] = {0, 1, 2, 3, 5, 6, 7, 8, 4};

bool InCategory(const TDataRec& r, const THoleCategory& c) {
  return r.RecType == rtDRILLED_HOLE && r.HoleType == c.HoleType && r.PlatingStyle == c.Plating;
}
}  // namespace

void TIdfImportFormV4_XE2::UpdateHoleFilterEnable() {
  const bool on = HoleFilterCb.Checked;
  HoleFilterGb.Enabled = on;
  GreaterThanRb.Enabled = on;
  LessThanRB.Enabled = on;
  HoleFilterSizeEdit.Enabled = on;
  HoleFilterUnitsLabel.Enabled = on;
}

void TIdfImportFormV4_XE2::SetupHoleFilter() {
  UpdateHoleFilterEnable();
  // The show sequence checks the holes right after; the edit's own change handling would do it
  // a second time and log the filter summary twice.
  auto onChange = std::move(HoleFilterSizeEdit.OnChange);
  HoleFilterSizeEdit.OnChange = nullptr;
  HoleFilterSizeEdit.SetText(GreaterThanRb.Checked() ? FHoleFilterGreaterThanVal : FHoleFilterLessThanVal);
  HoleFilterSizeEdit.OnChange = std::move(onChange);
}

void TIdfImportFormV4_XE2::UpdateHoleFilterSizeEdit() {
  const std::string& size = GreaterThanRb.Checked() ? FHoleFilterGreaterThanVal : FHoleFilterLessThanVal;
  // Both modes may hold the same text; the holes still need checking in the new mode.
  if (HoleFilterSizeEdit.Text() == size)
    HoleFilterSizeEditChange();
  else
    HoleFilterSizeEdit.SetText(size);
}

bool TIdfImportFormV4_XE2::PlaceHoleTest(const TDataRec& DataRec, bool Log) {
  bool pass = true;
  double size;
  // A size that is no number cannot filter; the hole check reports it.
  if (HoleFilterCb.Checked && TryStrToFloat(HoleFilterSizeEdit.Text(), size)) {
    const TUnitsType out = FImportIDF->OutputUnits;
    const double tol = ConvertToUnits(utMETRE, out, 0.00001);
    const double half = ConvertToUnits(FFormUnits, out, size) / 2.0;
    const double r = DataRec.Radius;
    const bool equal = std::abs(r - half) <= tol;
    pass = GreaterThanRb.Checked() ? (r < half || equal) : (r > half || equal);
  }
  if (Log && pass) {
    switch (DataRec.HoleType) {
      case htPIN: ++(DataRec.PlatingStyle == psPTH ? FPlatedPinFilteredCount : FNonPlatedPinFilteredCount); break;
      case htMTG: ++(DataRec.PlatingStyle == psPTH ? FPlatedMhFilteredCount : FNonPlatedMhFilteredCount); break;
      case htTOOL:
        ++(DataRec.PlatingStyle == psPTH ? FPlatedToolingFilteredCount : FNonPlatedToolingFilteredCount);
        break;
      case htOTHER: ++(DataRec.PlatingStyle == psPTH ? FPlatedOtherFilteredCount : FNonPlatedOtherFilteredCount); break;
      case htVIA: ++FViaFilteredCount; break;
      default: break;
    }
  }
  return pass;
}

void TIdfImportFormV4_XE2::CheckForDrilledHoles() {
  for (const auto& c : kCategories) (this->*c.Box).Enabled = false;
  const TSection* holes = FImportIDF->FindFirstSection(stDRILLED_HOLES);
  FWeHaveDrilledHoles = holes && holes->Count() > 0;
  if (holes) {
    const bool filterOff = !HoleFilterCb.Checked || HoleFilterSizeEdit.Text().empty();
    for (const auto& c : kCategories) {
      bool found = false;
      for (const auto& r : holes->Records())
        if (InCategory(*r, c) && (filterOff || PlaceHoleTest(*r, false))) {
          found = true;
          break;
        }
      (this->*c.Box).Enabled = found;
    }
    for (const auto& c : kCategories)
      if (!(this->*c.Box).Enabled) (this->*c.Box).Checked = false;
  }
  CountHoles();
  HoleCountToCheckBoxHints();
}

void TIdfImportFormV4_XE2::CountHoles() {
  for (const auto& c : kCategories) this->*c.Count = 0;
  const TSection* holes = FImportIDF->FindFirstSection(stDRILLED_HOLES);
  if (!holes) return;
  TBoardOutlineObjectList list;
  FImportIDF->SectionToOutlineList(holes, list, 1.0);
  for (const auto& e : list) {
    if (e->FElement != etHole) continue;
    switch (e->FIdfHoleType) {
      case htIdfPin: ++(e->FPlated ? FPlatedPinCount : FNonPlatedPinCount); break;
      case htIdfVia: ++FViaHoleCount; break;
      case htIdfMounting: ++(e->FPlated ? FPlatedMtgCount : FNonPlatedMtgCount); break;
      case htIdfTooling: ++(e->FPlated ? FPlatedToolingCount : FNonPlatedToolingCount); break;
      default: ++(e->FPlated ? FPlatedOtherCount : FNonPlatedOtherCount); break;
    }
  }
  list.FreeListObjects();
}

void TIdfImportFormV4_XE2::HoleCountToCheckBoxHints() {
  for (const auto& c : kCategories) (this->*c.Box).Hint = std::to_string(this->*c.Count);
}

void TIdfImportFormV4_XE2::FilteredHoleCountToCheckBoxHints() {
  for (const auto& c : kCategories) (this->*c.Box).Hint = std::to_string(this->*c.Filtered);
}

void TIdfImportFormV4_XE2::ReportOnFilteredHoles() {
  if (!HoleFilterCb.Checked) return;
  for (const auto& c : kCategories) this->*c.Filtered = 0;
  double size;
  const std::string& text = HoleFilterSizeEdit.Text();
  if (!text.empty() && !TryStrToFloat(text, size))
    FImportIDF->SummaryLog.Add("Hole Filter not applied : \"" + text + "\" is not a number");
  const TSection* holes = FImportIDF->FindFirstSection(stDRILLED_HOLES);
  if (holes)
    for (const auto& c : kCategories) {
      if (!(this->*c.Box).Enabled) continue;
      for (const auto& r : holes->Records())
        if (InCategory(*r, c)) PlaceHoleTest(*r, true);
    }
  AddHoleFilterDataToLog();
  FilteredHoleCountToCheckBoxHints();
}

void TIdfImportFormV4_XE2::AddHoleFilterDataToLog() {
  int sum = 0;
  for (const auto& c : kCategories) sum += this->*c.Filtered;
  if (sum == 0) return;
  TSearchStringList& log = FImportIDF->SummaryLog;
  log.Add("");
  log.Add("Hole Filter Summary");
  for (int i : kSummaryOrder) {
    const int n = this->*kCategories[i].Filtered;
    if (n > 0) log.AddTabbed({kCategories[i].SummaryLabel, std::to_string(n)});
  }
  log.Add("");
}

void TIdfImportFormV4_XE2::GetDrilledHoleOutlineLists(
    std::vector<std::unique_ptr<TBoardOutlineObjectList>>& OutlineLists) {
  const TSection* holes = FImportIDF->FindFirstSection(stDRILLED_HOLES);
  if (!holes || holes->Count() == 0) return;
  double size = 0;
  const bool active = HoleFilterCb.Checked && TryStrToFloat(HoleFilterSizeEdit.Text(), size) && size > 0;
  const double d = active ? ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, size) : 0;
  const bool greater = active && GreaterThanRb.Checked();
  TBoardOutlineObjectList all;  // read when a first kind is chosen
  bool read = false;
  for (const auto& c : kCategories) {
    const TCheckBox& box = this->*c.Box;
    if (!box.Checked || !box.Enabled) continue;
    if (!read) FImportIDF->SectionToOutlineList(holes, all, 1);
    read = true;
    auto list = std::make_unique<TBoardOutlineObjectList>();
    TIDFfile::DrilledHolesToOutlineList(all, c.HoleType, c.Plating, active, greater, d, *list);
    list->fColour = GetPrefixColour(c.Colour);
    OutlineLists.push_back(std::move(list));
  }
  all.FreeListObjects();
}

void TIdfImportFormV4_XE2::HoleFilterCbClick() {
  UpdateHoleFilterEnable();
  CheckForDrilledHoles();
  ReportOnFilteredHoles();
}

void TIdfImportFormV4_XE2::HoleFilterSizeEditChange() {
  if (!FpNumberEditChangeCheck(HoleFilterSizeEdit, "Hole Filter")) return;
  (GreaterThanRb.Checked() ? FHoleFilterGreaterThanVal : FHoleFilterLessThanVal) = HoleFilterSizeEdit.Text();
  CheckForDrilledHoles();
  ReportOnFilteredHoles();
}

void TIdfImportFormV4_XE2::AllHolesCbButtonClick() {
  for (const auto& c : kCategories)
    if ((this->*c.Box).Enabled) (this->*c.Box).Checked = true;
}

void TIdfImportFormV4_XE2::NoneHolesCbButtonClick() {
  for (const auto& c : kCategories) (this->*c.Box).Checked = false;
}
