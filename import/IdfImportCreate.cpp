// Creation and destruction of the import dialog, and its controls.
#include "import/IdfImportV4_XE2.h"

#include "CommonObjects/FileUtils.h"
#include "platform/Platform.h"

using namespace controls;

std::function<void(TIdfImportFormV4_XE2&)> TIdfImportFormV4_XE2::RunModalLoop;

TIdfImportFormV4_XE2::TIdfImportFormV4_XE2() : controls::TForm("IdfImportForm") {
  Caption = FApptitle;
  HelpContext = 1000;
  FImportIDF = std::make_unique<TIDFfile>();
  FOutputUnits = FImportIDF->OutputUnits;
  // Hole texts of the feature names.
  FNonePlated = "NonPlated";
  FPlated = "Plated";
  FNonPlated = "NonPlated";
  FNoneHoles = "NoneHoles";
  FPinHoles = "PinHoles";
  FViaHoles = "ViaHoles";
  FMountingHoles = "MountingHoles";
  FToolHoles = "ToolHoles";
  FOtherHoles = "OtherHoles";
  CreateControls();
  CreateLibraryControls();
  WireAnalysisControls();
  SuppressGroupBox.Enabled = false;
  SuppressPlaceFeatures.Enabled = false;
  StopButton.Visible = false;
  fOkToContinue = false;
}

TIdfImportFormV4_XE2::~TIdfImportFormV4_XE2() = default;

TControl* TIdfImportFormV4_XE2::FindControl(const std::string& name) const {
  for (TControl* c : fControls)
    if (c->Name == name) return c;
  return nullptr;
}

TNotifyEvent TIdfImportFormV4_XE2::Handler(void (TIdfImportFormV4_XE2::*method)()) {
  return [this, method] { Guarded([this, method] { (this->*method)(); }); };
}

void TIdfImportFormV4_XE2::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    platform::Services().MessageDlg(e.what(), platform::TMsgDlgType::mtError, platform::mbOK);
    ModalResult = platform::mrNone;
  }
}

void TIdfImportFormV4_XE2::CreateControls() {
  // Help context numbers follow the layout in steps of 10, as the help file's map expects.
  int help = 1010;
  auto next = [&help] {
    int h = help;
    help += 10;
    return h;
  };
  const std::string browseHint = "Double-Click or Press Button to Browse...";

  Setup(ProgressBar1, "ProgressBar1", "", "", next());
  ProgressBar1.Min = 0;
  ProgressBar1.Step = 1;
  Setup(PageControl1, "PageControl1", "", "", next());
  Setup(ImportTabSheet, "ImportTabSheet", "I&mport", "", next());
  Setup(ImportButton, "ImportButton", "Create &Assembly", "Import...", next());
  ImportButton.ModalResult = platform::mrOk;
  ImportButton.Enabled = false;
  Setup(UpdateButton, "UpdateButton", "&Update Assembly", "Update", next());
  Setup(CancelButton, "CancelButton", "&Cancel", "", next());
  CancelButton.ModalResult = platform::mrCancel;
  Setup(HelpButton, "HelpButton", "&Help", "", next());
  Setup(PathsGroupBox, "PathsGroupBox", "Paths", "", next());
  Setup(BoardFilePathEdit, "BoardFilePathEdit", "Board File:", browseHint, next());
  BoardFilePathEdit.ReadOnly = true;
  Setup(BoardFilePathButton, "BoardFilePathButton", "...", "Browse Board Files", next());
  Setup(LibraryFilePathEdit, "LibraryFilePathEdit", "Library File:", browseHint, next());
  LibraryFilePathEdit.ReadOnly = true;
  Setup(LibraryFilePathButton, "LibraryFilePathButton", "...", "Browse Library Files", next());
  Setup(AssemblyPathEdit, "AssemblyPathEdit", "Assembly:", browseHint, next());
  Setup(AssemblyPathButton, "AssemblyPathButton", "...", "", next());

  Setup(SettingsTabSheet, "SettingsTabSheet", "&Settings", "", 3);
  Setup(LibPartsGroupBox, "LibPartsGroupBox", "Library Parts", "", next());
  Setup(UseLibParts, "UseLibParts", "Use &Library Parts", "", next());
  Setup(LibSearchPathCombobox, "LibSearchPathCombobox", "", "Library Path List", next());
  Setup(LibSearchPathButton, "LibSearchPathButton", "...", "Edit Search Paths", next());
  Setup(SearchSubDirs, "SearchSubDirs", "Search Sub-Directories", "", next());
  Setup(UseXrefCheckbox, "UseXrefCheckbox", "Use Xref File", "", next());
  Setup(XrefEdit, "XrefEdit", "", "Part Cross Reference File", next());
  Setup(XrefButton, "XrefButton", "...", "", next());
  Setup(EditXrefButton, "EditXrefButton", "Edit", "", next());
  Setup(IDFPartsGroupBox, "IDFPartsGroupBox", "IDF Parts", "", next());
  Setup(ReUseCreatedParts, "ReUseCreatedParts", "Re-Use &Created Parts", "", next());
  Setup(ReUseBoardPart, "ReUseBoardPart", "Re-Use &Board Part", "", next());
  Setup(ColourGroupBox, "ColourGroupBox", "Colors", "", next());
  Setup(ColourGrid, "ColourGrid", "", "Double-Click to edit...", next());
  ColourGrid.SetColCount(2);
  ColourGrid.SetRowCount(0);
  Setup(ColourCheckBox, "ColourCheckBox", "Show &All Designators", "", next());
  Setup(HeightGroupBox, "HeightGroupBox", "Heights", "", next());
  Setup(HeightGrid, "HeightGrid", "", "", next());
  HeightGrid.SetColCount(2);
  HeightGrid.SetRowCount(0);
  Setup(DefaultHeightEdit, "DefaultHeightEdit", "Default &Height:", "", next());
  Setup(HeightUnitsCombo, "HeightUnitsCombo", "&Units:", "", next());
  HeightUnitsCombo.Items = {"Millimeter", "Inch", "Thou"};

  Setup(TabSheet3, "TabSheet3", "&Options", "", next());
  Setup(MiscGroupBox, "MiscGroupBox", "", "", next());
  Setup(IgnoreRegionalDecPoint, "IgnoreRegionalDecPoint", "Ignore Regional Decimal Point Setting", "", next());
  Setup(ShowPartUsageButton, "ShowPartUsageButton", "Show Parts", "", next());
  Setup(HolesGroupBox, "HolesGroupBox", "Holes", "", next());
  Setup(PlatedMountingCB, "PlatedMountingCB", "Plated MTG", "", next());
  Setup(NonPlatedMountingCB, "NonPlatedMountingCB", "Non Plated MTG", "", next());
  Setup(PlatedPinCB, "PlatedPinCB", "Plated Pin", "", next());
  Setup(NonPlatedPinCB, "NonPlatedPinCB", "Non Plated Pin", "", next());
  Setup(ViaHolesCB, "ViaHolesCB", "Via", "", next());
  Setup(PlatedToolingCB, "PlatedToolingCB", "Plated Tooling", "", next());
  Setup(NonPlatedToolingCB, "NonPlatedToolingCB", "Non Plated Tooling", "", next());
  Setup(PlatedOtherCB, "PlatedOtherCB", "Plated Other", "", next());
  Setup(NonPlatedOtherCB, "NonPlatedOtherCB", "Non Plated Other", "", next());
  Setup(AllHolesCbButton, "AllHolesCbButton", "All", "", next());
  Setup(NoneHolesCbButton, "NoneHolesCbButton", "None", "", next());
  Setup(HoleFilterCb, "HoleFilterCb", "Hole Filter", "", 2550);
  Setup(HoleFilterGb, "HoleFilterGb", "", "", next());
  Setup(GreaterThanRb, "GreaterThanRb", ">=", "", next());
  Setup(LessThanRB, "LessThanRB", "<=", "", next());
  fHoleFilterGroup = {&GreaterThanRb, &LessThanRB};
  GreaterThanRb.SetGroup(&fHoleFilterGroup);
  LessThanRB.SetGroup(&fHoleFilterGroup);
  Setup(HoleFilterSizeEdit, "HoleFilterSizeEdit", "", "", next());
  Setup(HoleFilterUnitsLabel, "HoleFilterUnitsLabel", "mm", "", next());
  Setup(CopperGroupBox, "CopperGroupBox", "PCB Features", "", next());
  Setup(CopperThicknessLabel, "CopperThicknessLabel", "Copper &Thickness:", "", next());
  Setup(CopperThickness, "CopperThickness", "", "", next());
  Setup(CopperThicknessUnitsLabel, "CopperThicknessUnitsLabel", "mm", "", next());
  Setup(DoPads, "DoPads", "Pads", "", next());
  Setup(DoVias, "DoVias", "Vias", "", next());
  Setup(DoTracks, "DoTracks", "Tracks", "", next());
  Setup(DoOverlays, "DoOverlays", "Overlays", "", next());
  Setup(DoOverlayText, "DoOverlayText", "Overlay Text", "", next());
  Setup(DoPolygons, "DoPolygons", "Polygons", "", next());
  Setup(BoardGroupBox, "BoardGroupBox", "Board", "", next());
  Setup(BrdThicknessEdit, "BrdThicknessEdit", "", "Leave empty to use board thickness entry in IDF Board file", next());
  Setup(BoardThicknessUnitsLabel, "BoardThicknessUnitsLabel", "mm", "", next());
  Setup(KeepoutGroup, "KeepoutGroup", "Keepouts", "", next());
  Setup(RouteKeepoutCB, "RouteKeepoutCB", "Route", "", next());
  Setup(PlaceKeepoutCB, "PlaceKeepoutCB", "Place", "", next());
  Setup(ViaKeepoutCB, "ViaKeepoutCB", "Via", "", next());
  Setup(OutlineGroup, "OutlineGroup", "Outlines", "", next());
  Setup(RouteOutlineCB, "RouteOutlineCB", "Route", "", next());
  Setup(PlaceOutlineCB, "PlaceOutlineCB", "Place", "", next());
  Setup(PlaceRegionCB, "PlaceRegionCB", "Place Region", "", next());
  Setup(OtherOutlineCB, "OtherOutlineCB", "Other", "", next());
  Setup(SuppressGroupBox, "SuppressGroupBox", "", "", next());
  Setup(SuppressPlaceFeatures, "SuppressPlaceFeatures", "Suppress Place Features", "", next());

  Setup(FilterTab, "FilterTab", "Select &Parts", "", next());
  Setup(SortByRadioGroup, "SortByRadioGroup", "Sort By", "", next());
  Setup(DesignatorRadioButton, "DesignatorRadioButton", "Designator", "", next());
  Setup(PackageNameRadioButton, "PackageNameRadioButton", "Package Name", "", next());
  fSortByGroup = {&DesignatorRadioButton, &PackageNameRadioButton};
  DesignatorRadioButton.SetGroup(&fSortByGroup);
  PackageNameRadioButton.SetGroup(&fSortByGroup);
  Setup(SelectedDesignatorsCheckListBox, "SelectedDesignatorsCheckListBox", "", "", next());
  SelectedDesignatorsCheckListBox.Columns = 4;
  Setup(SelectedPackageNamesCheckListBox, "SelectedPackageNamesCheckListBox", "", "", next());
  SelectedPackageNamesCheckListBox.Columns = 4;
  Setup(SelectAllButton, "SelectAllButton", "Select All", "", next());
  Setup(SelectNoneButton, "SelectNoneButton", "De-Select All", "", next());

  Setup(FeatureNamesTabSheet, "FeatureNamesTabSheet", "&Feature Names", "", next());
  Setup(SketchTitle, "SketchTitle", "Sketch Title", "", next());
  Setup(BoardOutlineName, "BoardOutlineName", "Board Outline", "", next());
  Setup(PartOutlineName, "PartOutlineName", "Part Outline", "", next());
  Setup(FeatureOutlinesGroupBox, "FeatureOutlinesGroupBox", "Outlines", "", next());
  Setup(PlaceOutlineName, "PlaceOutlineName", "Placement", "", next());
  Setup(RouteOutlineName, "RouteOutlineName", "Route", "", next());
  Setup(PlaceRegionName, "PlaceRegionName", "Place Region", "", next());
  Setup(FeatureKeepOutsGroupBox, "FeatureKeepOutsGroupBox", "Keep Outs", "", next());
  Setup(PlaceKeepoutName, "PlaceKeepoutName", "Placement", "", next());
  Setup(RouteKeepoutName, "RouteKeepoutName", "Route", "", next());
  Setup(ViaKeepoutName, "ViaKeepoutName", "Via", "", next());
  Setup(SetFeatureNameDefaults, "SetFeatureNameDefaults", "Default", "", next());

  Setup(StatusTabSheet, "StatusTabSheet", "Sta&tus", "", next());
  Setup(SummaryRadioButton, "SummaryRadioButton", "Summary", "", next());
  Setup(DetailRadioButton, "DetailRadioButton", "Detail", "", next());
  Setup(ErrorRadioButton, "ErrorRadioButton", "Error", "", next());
  fLogGroup = {&SummaryRadioButton, &DetailRadioButton, &ErrorRadioButton};
  for (TRadioButton* r : fLogGroup) r->SetGroup(&fLogGroup);
  Setup(LogMemo, "LogMemo", "", "", next());
  LogMemo.ScrollBarVertical = true;
  Setup(BoardTabSheet, "BoardTabSheet", "&Board", "", next());
  Setup(BrdMemo, "BrdMemo", "", "", next());
  Setup(LibraryTabSheet, "LibraryTabSheet", "Lib&rary", "", next());
  // The last control of the layout carries the last number of the map.
  Setup(LibMemo, "LibMemo", "", "", 2230);
  Setup(AssemblyDirCb, "AssemblyDirCb", "Assembly Path from IDF Files", "", 2320);
  Setup(StopButton, "StopButton", "Stop", "", 0);

  for (TTabSheet* page : {&ImportTabSheet, &SettingsTabSheet, &TabSheet3, &FilterTab, &FeatureNamesTabSheet,
                          &StatusTabSheet, &BoardTabSheet, &LibraryTabSheet})
    PageControl1.AddPage(page);

  // Handlers.
  BoardFilePathEdit.OnDblClick = Handler(&TIdfImportFormV4_XE2::BoardFilePathEditDblClick);
  BoardFilePathButton.OnClick = Handler(&TIdfImportFormV4_XE2::BoardFilePathEditDblClick);
  LibraryFilePathEdit.OnDblClick = Handler(&TIdfImportFormV4_XE2::LibraryFilePathEditDblClick);
  LibraryFilePathButton.OnClick = Handler(&TIdfImportFormV4_XE2::LibraryFilePathEditDblClick);
  // Virtual: the host dialog adds its own steps to the folder pick.
  AssemblyPathEdit.OnDblClick = [this] { Guarded([this] { AssemblyPathEditDblClick(); }); };
  AssemblyPathButton.OnClick = AssemblyPathEdit.OnDblClick;
  AssemblyPathEdit.OnExit = Handler(&TIdfImportFormV4_XE2::AssemblyPathEditExit);
  AssemblyDirCb.OnClick = Handler(&TIdfImportFormV4_XE2::AssemblyDirCbClick);
  ImportButton.OnClick = [this] {
    ModalResult = ImportButton.ModalResult;  // the button closes the dialog unless withdrawn
    Guarded([this] { ImportButtonClick(); });
  };
  UpdateButton.OnClick = Handler(&TIdfImportFormV4_XE2::UpdateButtonClick);
  CancelButton.OnClick = Handler(&TIdfImportFormV4_XE2::CancelButtonClick);
  HelpButton.OnClick = Handler(&TIdfImportFormV4_XE2::HelpButtonClick);
  StopButton.OnClick = [this] { StopButtonClick(); };
  PageControl1.OnChange = Handler(&TIdfImportFormV4_XE2::PageControl1Change);
  TabSheet3.OnShow = [this] { TabSheet3Show(); };
  StatusTabSheet.OnShow = [this] { ShowStatusLog(); };
  for (TRadioButton* r : fLogGroup) r->OnClick = [this] { ShowStatusLog(); };
  LogMemo.OnDblClick = Handler(&TIdfImportFormV4_XE2::LogMemoDblClick);
  DefaultHeightEdit.OnKeyPress = [this](char& k) { DefaultHeightEditKeyPress(k); };
  HeightUnitsCombo.OnKeyPress = [this](char& k) { HeightUnitsComboKeyPress(k); };
  SetFeatureNameDefaults.OnClick = Handler(&TIdfImportFormV4_XE2::SetFeatureNameDefaultsClick);
  IgnoreRegionalDecPoint.OnClick = Handler(&TIdfImportFormV4_XE2::IgnoreRegionalDecPointClick);
}

void TIdfImportFormV4_XE2::NewFileSet() {
  FImportIDF = std::make_unique<TIDFfile>();
  FImportIDF->OutputUnits = FOutputUnits;
  FImportIDF->IgnoreRegionalDecPoint = IgnoreRegionalDecPoint.Checked;
  FTimes = TIdfTimes{};
  FFilesLoaded = false;
}

std::string TIdfImportFormV4_XE2::BoardFolder() const { return ExtractFileDir(FImportIDF->BoardFile.Path); }
