// Loading, saving and defaults of the dialog's options, and the Feature Names tab.
#include "CommonObjects/FileUtils.h"
#include "import/IdfImportSettingsTable.h"
#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

namespace {
using K = TSettingKind;

const char* const kFeatureDefaults[9] = {"Sketch",       "BoardOutline", "PcbPartOutline",
                                         "PlaceOutline", "RouteOutline", "PlaceRegion",
                                         "PlaceKeepout", "RouteKeepout", "ViaKeepout"};

// "|"-joined entries; an entry with a blank or a double quote goes between double quotes.
std::string JoinBars(const std::vector<std::string>& items) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += '|';
    const std::string& it = items[i];
    if (it.find_first_of(" \"") == std::string::npos) {
      out += it;
      continue;
    }
    out += '"';
    for (char c : it) out += (c == '"') ? std::string("\"\"") : std::string(1, c);
    out += '"';
  }
  return out;
}

// Empty entries carry nothing (a stored text may start or end with "|"); they are dropped.
std::vector<std::string> SplitBars(const std::string& text) {
  std::vector<std::string> items;
  std::string cur;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          cur += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        cur += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == '|') {
      if (!cur.empty()) items.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) items.push_back(cur);
  return items;
}
}  // namespace

const std::vector<std::string>& DefaultColourList() {
  static const std::vector<std::string> list = {
      "PCB=$003AC556", "A=clMaroon",       "B=clGreen",   "C=clAqua",    "D=clBlack",        "E=clPurple",
      "F=clTeal",      "G=clGray",         "H=clSilver",  "I=clRed",     "J=$00FF8000",      "K=clYellow",
      "L=clBlue",      "M=clFuchsia",      "N=clOlive",   "O=clMaroon",  "P=$00FF8080",      "Q=clBlack",
      "R=clRed",       "S=clPurple",       "T=$00FF0080", "U=clBlack",   "V=clSilver",       "W=clRed",
      "X=$008080FF",   "Y=clYellow",       "Z=clBlue",    "OTHER=clRed", "COPPER=$007D88C6", "OVERLAY=clWhite",
      "OUTLINE=clRed", "KEEPOUT=clSKYBLUE"};
  return list;
}

const std::vector<TSettingInfo>& ImportDialogSettings() {
  static const std::vector<TSettingInfo> table = [] {
    std::vector<TSettingInfo> t = {
        {"ImportFormLeft", K::skInteger, "250"},
        {"ImportFormTop", K::skInteger, "200"},
        {"ImportBoardFilePath", K::skText, ""},
        {"ImportAssemblyPath", K::skText, ""},
        {"ImportLibSearchPath", K::skText, ""},
        {"AssemblyPathFromIdfFiles", K::skBoolean, "false"},
        {"UseLibParts", K::skBoolean, "false"},
        {"ReUseCreatedParts", K::skBoolean, "false"},
        {"ReUseBoardPart", K::skBoolean, "false"},
        {"PackageXrefFile", K::skText, ""},
        {"UsePartXref", K::skBoolean, "false"},
        {"SearchSubDirectories", K::skBoolean, "true"},
        {"ImportColourStrings", K::skText, JoinBars(DefaultColourList())},
        {"ShowAllDesignators", K::skBoolean, "false"},
        {"ImportDefaultHeight", K::skText, "1"},
        {"ImportHeightUnitsIndex", K::skInteger, "0"},
    };
    for (const char* n : {"DoPlatedMountingHoles",
                          "DoNonPlatedMountingHoles",
                          "DoPlatedPinHoles",
                          "DoNonPlatedPinHoles",
                          "DoViaHoles",
                          "DoPlatedToolingHoles",
                          "DoNonPlatedToolingHoles",
                          "DoPlatedOtherHoles",
                          "DoNonPlatedOtherHoles",
                          "DoRouteOutlines",
                          "DoPlaceOutlines",
                          "DoPlaceRegions",
                          "DoOtherOutlines",
                          "DoRouteKeepouts",
                          "DoPlaceKeepouts",
                          "DoViaKeepouts",
                          "DoPads",
                          "DoVias",
                          "DoTracks",
                          "DoOverlays",
                          "DoOverlayText",
                          "DoPolygons"})
      t.push_back({n, K::skBoolean, "false"});
    t.push_back({"CopperThickness", K::skText, "0.01"});
    t.push_back({"BoardThickness", K::skText, ""});
    t.push_back({"IgnoreRegionalDecimalPoint", K::skBoolean, "true"});
    t.push_back({"SuppressPlaceFeatures", K::skBoolean, "false"});
    t.push_back({"SortByDesignator", K::skBoolean, "false"});
    t.push_back({"Sketch", K::skText, "Sketch"});
    t.push_back({"TopLayer", K::skText, "Top"});
    t.push_back({"BottomLayer", K::skText, "Bottom"});
    t.push_back({"TopAndBottomLayer", K::skText, "Both"});
    t.push_back({"InnerLayer", K::skText, "Inner"});
    t.push_back({"AllLayer", K::skText, "All"});
    t.push_back({"BoardOutline", K::skText, "BoardOutline"});
    t.push_back({"PartOutline", K::skText, "PcbPartOutline"});
    for (const char* n :
         {"PlaceKeepout", "ViaKeepout", "PlaceOutline", "RouteKeepout", "RouteOutline", "PlaceRegion", "OtherOutline"})
      t.push_back({n, K::skText, n});
    t.push_back({"NonePlated", K::skText, "NonPlated"});
    t.push_back({"Plated", K::skText, "Plated"});
    t.push_back({"NonPlated", K::skText, "NonPlated"});
    for (const char* n : {"NoneHoles", "PinHoles", "ViaHoles", "MountingHoles", "ToolHoles", "OtherHoles"})
      t.push_back({n, K::skText, n});
    t.push_back({"HoleFilterOn", K::skBoolean, "false"});
    t.push_back({"HoleFilterGreaterThanValue", K::skText, "0"});
    t.push_back({"HoleFilterLessThanValue", K::skText, "100"});
    t.push_back({"HoleFilterGreaterThanSet", K::skBoolean, "false"});
    t.push_back({"HoleFilterLessThanSet", K::skBoolean, "false"});
    return t;
  }();
  return table;
}

const std::vector<TSettingInfo>& EditorSettings() {
  static const std::vector<TSettingInfo> table = {
      {"SearchPathFormTop", K::skInteger, "250"}, {"SearchPathFormLeft", K::skInteger, "300"},
      {"SearchPathLastDir", K::skText, ""},       {"XrefFormLeft", K::skInteger, "200"},
      {"XrefFormTop", K::skInteger, "160"},       {"XrefFormWidth", K::skInteger, "642"},
      {"XrefFormHeight", K::skInteger, "450"},    {"PartXrefIncludePath", K::skBoolean, "true"},
      {"XrefFormCol0Width", K::skInteger, "-1"},  {"XrefFormCol1Width", K::skInteger, "-1"},
      {"XrefFormCol2Width", K::skInteger, "-1"},
  };
  return table;
}

std::string TIdfImportFormV4_XE2::ColourListText() const { return JoinBars(FColourHoldingList.Lines()); }

void TIdfImportFormV4_XE2::SetColourListText(const std::string& text) {
  std::vector<std::string> items = SplitBars(text);
  if (items.empty()) items = DefaultColourList();
  FColourHoldingList.Clear();
  for (auto& i : items) FColourHoldingList.Add(i);
}

namespace {
struct TBoolBinding {
  const char* Name;
  controls::TCheckBox TIdfImportFormV4_XE2::*Box;
};
// The check boxes stored under a name of their own, in load order after "DoNonPlatedOtherHoles".
const TBoolBinding kHoleAndFeatureBoxes[] = {
    {"DoPlatedMountingHoles", &TIdfImportFormV4_XE2::PlatedMountingCB},
    {"DoNonPlatedMountingHoles", &TIdfImportFormV4_XE2::NonPlatedMountingCB},
    {"DoPlatedPinHoles", &TIdfImportFormV4_XE2::PlatedPinCB},
    {"DoNonPlatedPinHoles", &TIdfImportFormV4_XE2::NonPlatedPinCB},
    {"DoViaHoles", &TIdfImportFormV4_XE2::ViaHolesCB},
    {"DoPlatedToolingHoles", &TIdfImportFormV4_XE2::PlatedToolingCB},
    {"DoNonPlatedToolingHoles", &TIdfImportFormV4_XE2::NonPlatedToolingCB},
    {"DoPlatedOtherHoles", &TIdfImportFormV4_XE2::PlatedOtherCB},
    {"DoNonPlatedOtherHoles", &TIdfImportFormV4_XE2::NonPlatedOtherCB},
    {"DoRouteOutlines", &TIdfImportFormV4_XE2::RouteOutlineCB},
    {"DoPlaceOutlines", &TIdfImportFormV4_XE2::PlaceOutlineCB},
    {"DoPlaceRegions", &TIdfImportFormV4_XE2::PlaceRegionCB},
    {"DoOtherOutlines", &TIdfImportFormV4_XE2::OtherOutlineCB},
    {"DoRouteKeepouts", &TIdfImportFormV4_XE2::RouteKeepoutCB},
    {"DoPlaceKeepouts", &TIdfImportFormV4_XE2::PlaceKeepoutCB},
    {"DoViaKeepouts", &TIdfImportFormV4_XE2::ViaKeepoutCB},
    {"DoPads", &TIdfImportFormV4_XE2::DoPads},
    {"DoVias", &TIdfImportFormV4_XE2::DoVias},
    {"DoTracks", &TIdfImportFormV4_XE2::DoTracks},
    {"DoOverlays", &TIdfImportFormV4_XE2::DoOverlays},
    {"DoOverlayText", &TIdfImportFormV4_XE2::DoOverlayText},
    {"DoPolygons", &TIdfImportFormV4_XE2::DoPolygons},
};

struct TWordBinding {
  const char* Name;
  const char* Default;
  std::string TIdfImportFormV4_XE2::*Field;
};
using F = TIdfImportFormV4_XE2;
const TWordBinding kNameWords[] = {
    {"Sketch", "Sketch", &F::FSketchStr},
    {"TopLayer", "Top", &F::FTopLayer},
    {"BottomLayer", "Bottom", &F::FBottomLayer},
    {"TopAndBottomLayer", "Both", &F::FTopAndBottomLayer},
    {"InnerLayer", "Inner", &F::FInnerLayer},
    {"AllLayer", "All", &F::FAllLayer},
    {"BoardOutline", "BoardOutline", &F::FBoardOutlineFeature},
    {"PartOutline", "PcbPartOutline", &F::FPartOutlineFeature},
    {"PlaceKeepout", "PlaceKeepout", &F::FPlaceKeepoutFeature},
    {"ViaKeepout", "ViaKeepout", &F::FViaKeepoutFeature},
    {"PlaceOutline", "PlaceOutline", &F::FPlaceOutlineFeature},
    {"RouteKeepout", "RouteKeepout", &F::FRouteKeepoutFeature},
    {"RouteOutline", "RouteOutline", &F::FRouteOutlineFeature},
    {"PlaceRegion", "PlaceRegion", &F::FPlaceRegionFeature},
    {"OtherOutline", "OtherOutline", &F::FOtherOutlineFeature},
    {"NonePlated", "NonPlated", &F::FNonePlated},
    {"Plated", "Plated", &F::FPlated},
    {"NonPlated", "NonPlated", &F::FNonPlated},
    {"NoneHoles", "NoneHoles", &F::FNoneHoles},
    {"PinHoles", "PinHoles", &F::FPinHoles},
    {"ViaHoles", "ViaHoles", &F::FViaHoles},
    {"MountingHoles", "MountingHoles", &F::FMountingHoles},
    {"ToolHoles", "ToolHoles", &F::FToolHoles},
    {"OtherHoles", "OtherHoles", &F::FOtherHoles},
};
}  // namespace

void TIdfImportFormV4_XE2::GetRegSettings() {
  TGetInfoFromRegistry& r = *FReg;
  int v = r.GetIntegerFromRegistry("ImportFormLeft");
  Left = v == -1 ? 250 : v;
  v = r.GetIntegerFromRegistry("ImportFormTop");
  Top = v == -1 ? 200 : v;
  BoardFilePathEdit.SetText(r.GetStringFromRegistry("ImportBoardFilePath"));
  AssemblyPathEdit.SetText(r.GetStringFromRegistry("ImportAssemblyPath"));
  LibSearchPathCombobox.Items = CommaTextToList(r.GetStringFromRegistry("ImportLibSearchPath"));
  LibSearchPathCombobox.SetItemIndex(0);
  AssemblyDirCb.Checked = r.GetBooleanFromRegistry("AssemblyPathFromIdfFiles");
  UseLibParts.Checked = r.GetBooleanFromRegistry("UseLibParts");
  ReUseCreatedParts.Checked = r.GetBooleanFromRegistry("ReUseCreatedParts");
  ReUseBoardPart.Checked = r.GetBooleanFromRegistry("ReUseBoardPart");
  XrefEdit.SetText(r.GetStringFromRegistry("PackageXrefFile"));
  UseXrefCheckbox.Checked = r.GetBooleanFromRegistry("UsePartXref");
  SearchSubDirs.Checked = r.GetBooleanFromRegistryExt("SearchSubDirectories", true);
  SetColourListText(r.GetStringFromRegistry("ImportColourStrings"));
  ColourCheckBox.Checked = r.GetBooleanFromRegistry("ShowAllDesignators");
  DefaultHeightEdit.SetText(r.GetStringFromRegistryExt("ImportDefaultHeight", "1"));
  v = r.GetIntegerFromRegistry("ImportHeightUnitsIndex");
  // Only the three listed units exist; anything else stored falls back to millimetres.
  HeightUnitsCombo.SetItemIndex(v >= 0 && v <= 2 ? v : 0);
  for (const auto& b : kHoleAndFeatureBoxes) (this->*b.Box).Checked = r.GetBooleanFromRegistry(b.Name);
  CopperThickness.SetText(r.GetStringFromRegistryExt("CopperThickness", "0.01"));
  BrdThicknessEdit.SetText(r.GetStringFromRegistry("BoardThickness"));
  IgnoreRegionalDecPoint.Checked = r.GetBooleanFromRegistryExt("IgnoreRegionalDecimalPoint", true);
  SuppressPlaceFeatures.Checked = r.GetBooleanFromRegistry("SuppressPlaceFeatures");
  DesignatorRadioButton.SetChecked(r.GetBooleanFromRegistry("SortByDesignator"));
  if (!DesignatorRadioButton.Checked()) PackageNameRadioButton.SetChecked(true);
  for (const auto& w : kNameWords) this->*w.Field = r.GetStringFromRegistryExt(w.Name, w.Default);
  HoleFilterCb.Checked = r.GetBooleanFromRegistry("HoleFilterOn");
  FHoleFilterGreaterThanVal = r.GetStringFromRegistryExt("HoleFilterGreaterThanValue", "0");
  FHoleFilterLessThanVal = r.GetStringFromRegistryExt("HoleFilterLessThanValue", "100");
  const bool greater = r.GetBooleanFromRegistry("HoleFilterGreaterThanSet");
  const bool less = r.GetBooleanFromRegistry("HoleFilterLessThanSet");
  GreaterThanRb.SetChecked(false);
  LessThanRB.SetChecked(false);
  if (greater) GreaterThanRb.SetChecked(true);
  if (less) LessThanRB.SetChecked(true);
}

void TIdfImportFormV4_XE2::SetRegSettings() {
  TGetInfoFromRegistry& r = *FReg;
  r.SetIntegerInRegistry("ImportFormLeft", Left);
  r.SetIntegerInRegistry("ImportFormTop", Top);
  r.SetStringInRegistry("ImportBoardFilePath", BoardFilePathEdit.Text());
  if (!AssemblyDirCb.Checked) {
    const std::string a = AssemblyPathEdit.Text();
    r.SetStringInRegistry("ImportAssemblyPath", a.empty() ? a : IncludeTrailingPathDelimiter(a));
  }
  r.SetStringInRegistry("ImportLibSearchPath", ListToCommaText(LibSearchPathCombobox.Items));
  r.SetBooleanInRegistry("AssemblyPathFromIdfFiles", AssemblyDirCb.Checked);
  r.SetBooleanInRegistry("UseLibParts", UseLibParts.Checked);
  r.SetBooleanInRegistry("ReUseCreatedParts", ReUseCreatedParts.Checked);
  r.SetBooleanInRegistry("ReUseBoardPart", ReUseBoardPart.Checked);
  r.SetStringInRegistry("PackageXrefFile", XrefEdit.Text());
  r.SetBooleanInRegistry("UsePartXref", UseXrefCheckbox.Checked);
  r.SetBooleanInRegistry("SearchSubDirectories", SearchSubDirs.Checked);
  r.SetStringInRegistry("ImportColourStrings", ColourListText());
  r.SetBooleanInRegistry("ShowAllDesignators", ColourCheckBox.Checked);
  r.SetStringInRegistry("ImportDefaultHeight", DefaultHeightEdit.Text());
  r.SetIntegerInRegistry("ImportHeightUnitsIndex", HeightUnitsCombo.ItemIndex());
  for (const auto& b : kHoleAndFeatureBoxes) r.SetBooleanInRegistry(b.Name, (this->*b.Box).Checked);
  r.SetStringInRegistry("CopperThickness", CopperThickness.Text());
  r.SetStringInRegistry("BoardThickness", BrdThicknessEdit.Text());
  r.SetBooleanInRegistry("IgnoreRegionalDecimalPoint", IgnoreRegionalDecPoint.Checked);
  r.SetBooleanInRegistry("SuppressPlaceFeatures", SuppressPlaceFeatures.Checked);
  r.SetBooleanInRegistry("SortByDesignator", DesignatorRadioButton.Checked());
  for (const auto& w : kNameWords) r.SetStringInRegistry(w.Name, this->*w.Field);
  r.SetBooleanInRegistry("HoleFilterOn", HoleFilterCb.Checked);
  r.SetStringInRegistry("HoleFilterGreaterThanValue", FHoleFilterGreaterThanVal);
  r.SetStringInRegistry("HoleFilterLessThanValue", FHoleFilterLessThanVal);
  r.SetBooleanInRegistry("HoleFilterGreaterThanSet", GreaterThanRb.Checked());
  r.SetBooleanInRegistry("HoleFilterLessThanSet", LessThanRB.Checked());
}

void TIdfImportFormV4_XE2::InitialiseFeatureNames() {
  SketchTitle.SetText(FSketchStr);
  BoardOutlineName.SetText(FBoardOutlineFeature);
  PartOutlineName.SetText(FPartOutlineFeature);
  PlaceOutlineName.SetText(FPlaceOutlineFeature);
  RouteOutlineName.SetText(FRouteOutlineFeature);
  PlaceRegionName.SetText(FPlaceRegionFeature);
  PlaceKeepoutName.SetText(FPlaceKeepoutFeature);
  RouteKeepoutName.SetText(FRouteKeepoutFeature);
  ViaKeepoutName.SetText(FViaKeepoutFeature);
}

void TIdfImportFormV4_XE2::SaveFeatureNames() {
  FSketchStr = SketchTitle.Text();
  FBoardOutlineFeature = BoardOutlineName.Text();
  FPartOutlineFeature = PartOutlineName.Text();
  FPlaceOutlineFeature = PlaceOutlineName.Text();
  FRouteOutlineFeature = RouteOutlineName.Text();
  FPlaceRegionFeature = PlaceRegionName.Text();
  FPlaceKeepoutFeature = PlaceKeepoutName.Text();
  FRouteKeepoutFeature = RouteKeepoutName.Text();
  FViaKeepoutFeature = ViaKeepoutName.Text();
}

void TIdfImportFormV4_XE2::SetFeatureNameDefaultsClick() {
  controls::TEdit* edits[9] = {&SketchTitle,      &BoardOutlineName, &PartOutlineName,
                               &PlaceOutlineName, &RouteOutlineName, &PlaceRegionName,
                               &PlaceKeepoutName, &RouteKeepoutName, &ViaKeepoutName};
  for (int i = 0; i < 9; ++i) edits[i]->SetText(kFeatureDefaults[i]);
}

void TIdfImportFormV4_XE2::IgnoreRegionalDecPointClick() {
  // The separator itself changes when the file set next applies it (at the next load).
  FImportIDF->IgnoreRegionalDecPoint = IgnoreRegionalDecPoint.Checked;
}
