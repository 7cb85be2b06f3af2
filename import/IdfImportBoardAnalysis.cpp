// What a loaded board holds: its outline, the special copper and overlay sections, the outline
// and keep-out sections, and the board thickness. Also wires the analysis controls.
#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

using controls::TCheckBox;

namespace {
// The outline and keep-out section types, in the order they are counted and reported.
struct TMiscSectionInfo {
  TSectionType Type;
  int TIdfImportFormV4_XE2::*Count;
  const char* SummaryLabel;
  TCheckBox TIdfImportFormV4_XE2::*Box;
};
using F = TIdfImportFormV4_XE2;
const TMiscSectionInfo kMiscSections[] = {
    {stOTHER_OUTLINE, &F::FOtherOutlineCount, "Other Outlines : ", &F::OtherOutlineCB},
    {stROUTE_OUTLINE, &F::FROUTE_OUTLINECount, "Route Outlines : ", &F::RouteOutlineCB},
    {stPLACE_OUTLINE, &F::FPLACE_OUTLINECount, "Place Outlines : ", &F::PlaceOutlineCB},
    {stROUTE_KEEPOUT, &F::FROUTE_KEEPOUTCount, "Route Keepouts : ", &F::RouteKeepoutCB},
    {stVIA_KEEPOUT, &F::FVIA_KEEPOUTCount, "Via Keepouts : ", &F::ViaKeepoutCB},
    {stPLACE_KEEPOUT, &F::FPLACE_KEEPOUTCount, "Place Keepouts : ", &F::PlaceKeepoutCB},
    {stPLACE_REGION, &F::FPLACE_REGIONCount, "Place Regions : ", &F::PlaceRegionCB},
};
// The summary lists other outlines last.
const int kSummaryOrder[] = {1, 2, 3, 4, 5, 6, 0};
}  // namespace

void TIdfImportFormV4_XE2::CheckForBoardOutline() {
  // A section the reader rejected has its own line naming the culprit; "none" would mislead.
  if (!FImportIDF->FindFirstSection(stBOARD_OUTLINE) && !FImportIDF->BoardOutlineRejected)
    FImportIDF->ErrorLog.Add("No Board Outline section in the Board File");
}

void TIdfImportFormV4_XE2::CheckForSpecialPcbOutlineSections() {
  for (TCheckBox* cb : {&DoPads, &DoVias, &DoTracks, &DoOverlays, &DoOverlayText, &DoPolygons}) cb->Visible = false;
  CopperThickness.Visible = false;
  CopperThicknessLabel.Visible = false;
  CopperGroupBox.Visible = false;
  FWeHavePads = FWeHaveVias = FWeHaveTracks = FWeHaveOverLays = FWeHaveOverText = FWeHavePolygons = false;
  FWeHaveUnknownOtherOutLine = false;
  FWeHaveSpecialOutlines = false;
  auto show = [this](TCheckBox& box, bool& flag) {
    CopperThickness.Visible = true;
    CopperThicknessLabel.Visible = true;
    CopperGroupBox.Visible = true;
    box.Visible = true;
    flag = true;
  };
  for (const auto& sec : FImportIDF->SectionList()) {
    if (sec->SectType != stOTHER_OUTLINE) continue;
    const std::string n = UpperCase(sec->GeometryName);
    if (ContainsText(n, "PADS"))
      show(DoPads, FWeHavePads);
    else if (ContainsText(n, "VIAS"))
      show(DoVias, FWeHaveVias);
    else if (ContainsText(n, "TRACKS"))
      show(DoTracks, FWeHaveTracks);
    else if (n == "TOPOVERLAY" || n == "BOTTOMOVERLAY")
      show(DoOverlays, FWeHaveOverLays);
    else if (n == "TOPOVERLAYTEXT" || n == "BOTTOMOVERLAYTEXT")
      show(DoOverlayText, FWeHaveOverText);
    else if (n == "TOPPOLYGONS" || n == "BOTTOMPOLYGONS")
      show(DoPolygons, FWeHavePolygons);
    else
      FWeHaveUnknownOtherOutLine = true;
  }
  FWeHaveSpecialOutlines =
      FWeHavePads || FWeHaveVias || FWeHaveTracks || FWeHaveOverLays || FWeHaveOverText || FWeHavePolygons;
}

void TIdfImportFormV4_XE2::CheckForIdfKeepoutsAndOutlines() {
  for (const auto& m : kMiscSections) {
    (this->*m.Box).Enabled = false;
    this->*m.Count = 0;
  }
  OutlineGroup.Enabled = false;
  KeepoutGroup.Enabled = false;
  SuppressPlaceFeatures.Enabled = false;
  SuppressGroupBox.Enabled = false;

  const TSection* first[std::size(kMiscSections)] = {};
  for (const auto& sec : FImportIDF->SectionList())
    for (std::size_t i = 0; i < std::size(kMiscSections); ++i)
      if (sec->SectType == kMiscSections[i].Type) {
        ++(this->*kMiscSections[i].Count);
        if (!first[i]) first[i] = sec.get();
      }
  for (int i : kSummaryOrder) {
    const int count = this->*kMiscSections[i].Count;
    if (count > 0) FImportIDF->SummaryLog.Add(kMiscSections[i].SummaryLabel + std::to_string(count));
  }

  for (std::size_t i = 0; i < std::size(kMiscSections); ++i) {
    if (!first[i]) continue;
    TCheckBox& box = this->*kMiscSections[i].Box;
    if (kMiscSections[i].Type == stOTHER_OUTLINE) {
      // Only the first other outline decides; the special ones have boxes of their own.
      const std::string n = UpperCase(first[i]->GeometryName);
      box.Enabled = !ContainsText(n, "PADS") && !ContainsText(n, "TRACKS") && !ContainsText(n, "OVERLAY") &&
                    !ContainsText(n, "POLYGON");
    } else {
      box.Enabled = true;
    }
  }
  OutlineGroup.Enabled =
      RouteOutlineCB.Enabled || PlaceOutlineCB.Enabled || PlaceRegionCB.Enabled || OtherOutlineCB.Enabled;
  KeepoutGroup.Enabled = RouteKeepoutCB.Enabled || PlaceKeepoutCB.Enabled || ViaKeepoutCB.Enabled;
  for (const auto& m : kMiscSections) {
    TCheckBox& box = this->*m.Box;
    if (!box.Enabled) box.Checked = false;
  }
  SuppressPlaceFeatVisibiltyCheck();
}

void TIdfImportFormV4_XE2::SuppressPlaceFeatVisibiltyCheck() {
  const bool any = RouteKeepoutCB.Checked || PlaceKeepoutCB.Checked || ViaKeepoutCB.Checked || RouteOutlineCB.Checked ||
                   PlaceOutlineCB.Checked;
  SuppressGroupBox.Enabled = any;
  SuppressPlaceFeatures.Enabled = any;
}

bool TIdfImportFormV4_XE2::DoMiscOutlineSectionCheck(TSectionType SectionType) const {
  switch (SectionType) {
    case stROUTE_OUTLINE: return RouteOutlineCB.Checked;
    case stPLACE_OUTLINE: return PlaceOutlineCB.Checked;
    case stROUTE_KEEPOUT: return RouteKeepoutCB.Checked;
    case stVIA_KEEPOUT: return ViaKeepoutCB.Checked;
    case stPLACE_KEEPOUT: return PlaceKeepoutCB.Checked;
    case stPLACE_REGION: return PlaceRegionCB.Checked;
    default: return false;
  }
}

void TIdfImportFormV4_XE2::UpdateBoardThickness(bool ToIdf) {
  TSection* board = FImportIDF->FindFirstSection(stBOARD_OUTLINE);
  if (!board) return;
  if (!ToIdf) {
    BrdThicknessEdit.SetText(
        FormatFloat(ConvertToUnits(FImportIDF->OutputUnits, FFormUnits, board->Thickness), FPrecision));
    return;
  }
  double v;
  if (TryStrToFloat(BrdThicknessEdit.Text(), v))
    board->Thickness = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, v);
  FImportIDF->UpdateBoardThickness();
}

bool TIdfImportFormV4_XE2::FpNumberEditChangeCheck(controls::TEdit& Edit, const std::string& Comment) {
  const char sep = platform::GetDecimalSeparator();
  if (!Edit.Text().empty() && Edit.Text()[0] == sep) {
    // The completed text is checked here; its own change event would run the handling twice.
    auto onChange = std::move(Edit.OnChange);
    Edit.OnChange = nullptr;
    Edit.SetText("0" + Edit.Text());
    Edit.OnChange = std::move(onChange);
  }
  if (Edit.Text().empty()) return false;
  double v;
  if (TryStrToFloat(Edit.Text(), v)) return true;
  platform::Services().MessageDlg("Numbers must be entered in field : " + Comment, platform::TMsgDlgType::mtInformation,
                                  platform::mbOK);
  return false;
}

void TIdfImportFormV4_XE2::WireAnalysisControls() {
  BrdThicknessEdit.OnChange = Handler(&F::BrdThicknessEditChange);
  CopperThickness.OnChange = Handler(&F::CopperThicknessChange);
  RouteOutlineCB.OnClick = Handler(&F::RouteOutlineCBClick);
  PlaceOutlineCB.OnClick = Handler(&F::PlaceOutlineCBClick);
  PlaceRegionCB.OnClick = Handler(&F::PlaceRegionCBClick);
  RouteKeepoutCB.OnClick = Handler(&F::RouteKeepoutCBClick);
  PlaceKeepoutCB.OnClick = Handler(&F::PlaceKeepoutCBClick);
  ViaKeepoutCB.OnClick = Handler(&F::ViaKeepoutCBClick);

  HoleFilterCb.OnClick = Handler(&F::HoleFilterCbClick);
  HoleFilterSizeEdit.OnChange = Handler(&F::HoleFilterSizeEditChange);
  GreaterThanRb.OnClick = Handler(&F::GreaterThanRbClick);
  LessThanRB.OnClick = Handler(&F::LessThanRBClick);
  AllHolesCbButton.OnClick = Handler(&F::AllHolesCbButtonClick);
  NoneHolesCbButton.OnClick = Handler(&F::NoneHolesCbButtonClick);

  HeightUnitsCombo.OnChange = Handler(&F::HeightUnitsComboChange);
  DefaultHeightEdit.OnChange = Handler(&F::DefaultHeightEditChange);
  DefaultHeightEdit.OnExit = Handler(&F::DefaultHeightEditExit);
  HeightGrid.OnKeyPress = [this](char& k) { HeightGridKeyPress(k); };
  ColourCheckBox.OnClick = Handler(&F::ColourCheckBoxClick);
  ColourGrid.OnDblClick = Handler(&F::ColourGridDblClick);

  SelectAllButton.OnClick = Handler(&F::SelectAllButtonClick);
  SelectNoneButton.OnClick = Handler(&F::SelectNoneButtonClick);
  DesignatorRadioButton.OnClick = Handler(&F::DesignatorRadioButtonClick);
  PackageNameRadioButton.OnClick = Handler(&F::PackageNameRadioButtonClick);
  SortByRadioGroup.OnClick = Handler(&F::SortByRadioGroupClick);
  FilterTab.OnShow = Handler(&F::FilterTabShow);
}
