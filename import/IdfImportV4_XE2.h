#pragma once
// The generic IDF import dialog as a headless model. Controls are members named as the dialog
// lays them out; handlers are methods, implemented in one IdfImport*.cpp file per concern.
// Virtual are only the override points: ImportFormShow, AssemblyPathEnableCheck,
// AssemblyPathEditDblClick and ImportButtonClick (the host dialog, TCorvaneIdfImport), and
// PrepareGlobalPlacementList, LoadHeightGrid and InitSelectionLists (tests and benchmarks that
// stand in their own placements, heights or selection).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CommonObjects/GetRegInfoExt.h"
#include "CommonObjects/IDFfile.h"
#include "CommonObjects/IdfPartPlacementObject.h"
#include "CommonObjects/PcbObjectList.h"
#include "controls/Controls.h"
#include "import/IdfTimes.h"

class TIdfImportFormV4_XE2 : public controls::TForm {
 public:
  TIdfImportFormV4_XE2();            // FormCreate
  ~TIdfImportFormV4_XE2() override;  // FormDestroy

  // ---- life cycle ----
  // Shows the dialog: the show sequence, then the front end's modal loop when one is set.
  int ShowModal();
  // The front end's event loop for a modal dialog; headless runs have none.
  static std::function<void(TIdfImportFormV4_XE2&)> RunModalLoop;
  virtual void ImportFormShow();
  void FormClose();
  void RunShow();
  void RunPreFileBrowseSetup();
  void BrowseForIdfFiles();
  void RunPostFileBrowseSetup();
  void CheckRegistryAssigned();

  // ---- file names and paths ----
  std::string GetBoardName();
  void AssignFileNames();
  bool CheckAndCreateAssemblyDirectory();
  bool PreCreateAssemblyActions();
  virtual void AssemblyPathEnableCheck();
  void CheckForUpdate();
  void UpDateControls();
  // A fresh file set in place of the current one, in the dialog's output unit.
  void NewFileSet();

  // ---- units and sizes ----
  void InitFormUnits();
  void UpdateUnitsLabels(TUnitsType Units);
  void DoFormSizeSettings();

  // ---- handlers ----
  void BoardFilePathEditDblClick();
  void LibraryFilePathEditDblClick();
  virtual void AssemblyPathEditDblClick();
  void AssemblyPathEditExit();
  void AssemblyDirCbClick() { AssemblyPathEnableCheck(); }
  virtual void ImportButtonClick();
  void UpdateButtonClick();
  void CancelButtonClick();
  void HelpButtonClick() { DisplayProductHelp(); }
  void PageControl1Change();
  void TabSheet3Show() { Height = FOptionsPageHeight; }
  void DefaultHeightEditKeyPress(char& Key);
  void HeightUnitsComboKeyPress(char& Key) { Key = '\0'; }
  // F1: help at the focused control's context number.
  void FormHelpKey();

  // ---- settings ----
  void GetRegSettings();
  void SetRegSettings();
  void InitialiseFeatureNames();
  void SaveFeatureNames();
  void SetFeatureNameDefaultsClick();
  void IgnoreRegionalDecPointClick();
  std::string ColourListText() const;
  void SetColourListText(const std::string& text);

  // ---- logs, progress and stop ----
  void UpDateCaption(const std::string& ProgStr);
  void ProgressInit(int Max);
  void ProgressStep();
  void ProgressReset();
  // Called after every change of the title or the progress bar, for front ends without widgets.
  std::function<void()> OnProgressChange;
  void StopButtonClick() { fStopRequest = true; }
  bool StopCheck();
  // Between the phases of a build: a stop ends it with the closing advice.
  bool MainStopCheck();
  void AdviseErrorsOrCloseExt(bool BeforeImport, bool Update);
  void ShowStatusLog();  // the Status tab's display
  void LogMemoDblClick();

  // ---- About and help ----
  void ShowAboutDetails(const std::string& ProductName, const std::string& ParentProduct, const std::string& ParentVer);
  std::string GetVer();
  void DisplayProductHelp();
  void DisplayHtmlHelpTopic(const std::string& HelpFile, const std::string& Topic);
  void DisplayWinHelpTopic(const std::string& HelpFile, const std::string& Topic);
  // The help file that the application as a whole uses (the last one made current).
  static std::string ApplicationHelpFile;
  // The Help button of an editor (search paths, cross-reference): its topic in the given file.
  static void DisplayEditorHelp(const std::string& HelpFileName, const std::string& Topic);

  // ---- cross-reference check and placement list (IdfImportXref.cpp, IdfImportPlacements.cpp) ----
  void GetXrefPartList();                     // IdfImportXref.cpp
  void UpdateUseLibPartsAndUseXref();         // IdfImportXref.cpp
  virtual void PrepareGlobalPlacementList();  // IdfImportPlacements.cpp

  // ---- board analysis (IdfImportBoardAnalysis.cpp) ----
  void CheckForBoardOutline();
  void CheckForSpecialPcbOutlineSections();
  void CheckForIdfKeepoutsAndOutlines();
  void UpdateBoardThickness(bool ToIdf);
  void SuppressPlaceFeatVisibiltyCheck();
  bool DoMiscOutlineSectionCheck(TSectionType SectionType) const;
  bool FpNumberEditChangeCheck(controls::TEdit& Edit, const std::string& Comment);
  void BrdThicknessEditChange() { FpNumberEditChangeCheck(BrdThicknessEdit, "Board Thickness"); }
  void CopperThicknessChange() { FpNumberEditChangeCheck(CopperThickness, "Copper Thickness"); }
  void RouteOutlineCBClick() { SuppressPlaceFeatVisibiltyCheck(); }
  void PlaceOutlineCBClick() { SuppressPlaceFeatVisibiltyCheck(); }
  void PlaceRegionCBClick() { SuppressPlaceFeatVisibiltyCheck(); }
  void RouteKeepoutCBClick() { SuppressPlaceFeatVisibiltyCheck(); }
  void PlaceKeepoutCBClick() { SuppressPlaceFeatVisibiltyCheck(); }
  void ViaKeepoutCBClick() { SuppressPlaceFeatVisibiltyCheck(); }

  // ---- drilled holes and the hole filter (IdfImportHoles.cpp) ----
  void SetupHoleFilter();
  void CheckForDrilledHoles();
  void ReportOnFilteredHoles();
  void UpdateHoleFilterEnable();
  void UpdateHoleFilterSizeEdit();
  bool PlaceHoleTest(const TDataRec& DataRec, bool Log);
  void CountHoles();
  void HoleCountToCheckBoxHints();
  void FilteredHoleCountToCheckBoxHints();
  void AddHoleFilterDataToLog();
  void GetDrilledHoleOutlineLists(std::vector<std::unique_ptr<TBoardOutlineObjectList>>& OutlineLists);
  void HoleFilterCbClick();
  void HoleFilterSizeEditChange();
  void GreaterThanRbClick() { UpdateHoleFilterSizeEdit(); }
  void LessThanRBClick() { UpdateHoleFilterSizeEdit(); }
  void AllHolesCbButtonClick();
  void NoneHolesCbButtonClick();

  // ---- working unit, heights and colours (IdfImportHeights.cpp) ----
  virtual void LoadHeightGrid();
  void UpdateIdfWithHeight();
  void LoadColours();
  void HeightUnitsComboChange();
  void ProcessElecOrMechSection(TSectionType SectionType, int& n);
  void AddHeightEntry(const TSection& Section, int& n);
  void DoSectionType(TSectionType SectionType);
  void UpdateHeightGrid();
  void HeightGridSelectCell(int ACol, int ARow, bool& CanSelect);
  void HeightGridDrawCell(int ACol, int ARow);
  void HeightGridKeyPress(char& Key);
  // Enter, Up or Down in the grid.
  void HeightGridKeyDown();
  void DefaultHeightEditChange() { UpdateHeightGrid(); }
  void DefaultHeightEditExit();
  void DefaultHeightEditKeyDown() { DefaultHeightEditExit(); }
  int GetPrefixColour(const std::string& Prefix) const;
  bool PrefixInUse(const TSection* Section, const std::string& Prefix) const;
  void ColourCheckBoxClick() { LoadColours(); }
  void ColourGridDblClick();
  // The space bar in the colour grid.
  void ColourGridKeyDown() { ColourGridDblClick(); }
  // The colour a colour cell is painted with; -1 when it holds no colour.
  int ColourGridDrawCell(int ACol, int ARow) const;

  // ---- part selection (IdfImportSelection.cpp) ----
  virtual void InitSelectionLists();
  void GetSelectedPackages();
  void GetSelectedDesignators();
  void LoadByDes();
  void LoadByPackageName();
  void GetPackageNameList(std::vector<std::string>& List);
  bool ThisDesignatorIsSelectedExt(const std::string& Des) const;
  bool PartSelectionCheckExt(const std::string& PartName) const;
  // The designator of an item of the designator list (it may itself hold "=").
  std::optional<std::string> DesignatorOfItem(int Index) const;
  void SelectAllButtonClick();
  void SelectNoneButtonClick();
  void SortByRadioGroupClick();
  void FilterTabShow();
  void DesignatorRadioButtonClick() { SortByRadioGroupClick(); }
  void PackageNameRadioButtonClick() { SortByRadioGroupClick(); }

  // ---- board feature outline lists (IdfImportFeatureLists.cpp) ----
  void GetMiscFeatureOutlineLists(std::vector<std::unique_ptr<TBoardOutlineObjectList>>& OutlineLists);
  void GetPcbFeatureOutlineLists(std::vector<std::unique_ptr<TBoardOutlineObjectList>>& OutlineLists);
  // The kind of PCB feature ("Pads", "ViasAlt", ...) the import makes of an other-outline section
  // with the boxes as they are; empty when it makes none.
  std::string PcbFeatureKind(const TSection& Section) const;
  std::string BuildIdfSectionFeatureNameWithIndex(const TSection& Section, int Index) const;
  static std::string BuildGenericIdfSectionAttributeNameWithIndex(const TSection& Section, int Index);
  static std::string BuildSpecialFeatureAttributeName(bool Top, const std::string& FeatureName);

  // ---- library parts and cross-reference (IdfImportXref.cpp) ----
  bool UseLibrary() const { return UseLibParts.Checked; }
  bool ReUseCreated() const { return ReUseCreatedParts.Checked; }
  // The library search with this dialog's extensions, "Search Sub-Directories" and detail log.
  // FoundFile, when given, receives the file as it is on disk (its letter case may differ).
  bool CheckIfPartExistsExt(const std::string& PartName, const std::vector<std::string>& SearchPathList, bool UseFpXref,
                            std::string& LibPath, std::string& Ext, std::string* FoundFile = nullptr);
  bool InPartLibSearchPath(const std::string& FileName, std::string& Dir,
                           const std::vector<std::string>& SearchPathList);
  bool FileExistsRecursive(const std::string& FileNameNoPath, const std::string& BaseDir, bool Recurse,
                           std::string& Dir);
  // The cross-reference file named by XrefEdit; a name typed without extension also finds the
  // ".xrf" file the editor writes for it. Empty when there is none.
  std::string XrefFilePath() const;
  void UseLibPartsClick();
  void UseXrefCheckboxClick() { UseXrefUpdate(); }
  void UseXrefUpdate();
  void XrefButtonClick();
  void EditXrefButtonClick();
  void LibSearchPathButtonClick();
  // ---- placement list (IdfImportPlacements.cpp) ----
  void ConstructPartNameData(const std::string& PackageName, std::string& Folder, std::string& PartName,
                             std::string& Ext, std::string& Config);
  void ShowPartUsageButtonClick();
  // The "Show Parts" lines of the last preparation: designator = part file.
  std::vector<std::string> PartUsageLines() const;

  // Every control, for front ends and look-ups by name.
  const std::vector<controls::TControl*>& Controls() const { return fControls; }
  controls::TControl* FindControl(const std::string& name) const;

  // ---- controls ----
  controls::TProgressBar ProgressBar1;
  controls::TButton StopButton;
  controls::TPageControl PageControl1;
  controls::TTabSheet ImportTabSheet, SettingsTabSheet, TabSheet3, FilterTab, FeatureNamesTabSheet, StatusTabSheet,
      BoardTabSheet, LibraryTabSheet;
  // "I&mport"
  controls::TGroupBox PathsGroupBox;
  controls::TEdit BoardFilePathEdit, LibraryFilePathEdit, AssemblyPathEdit;
  controls::TButton BoardFilePathButton, LibraryFilePathButton, AssemblyPathButton;
  controls::TCheckBox AssemblyDirCb;
  controls::TButton ImportButton, UpdateButton, CancelButton, HelpButton;
  // "&Settings"
  controls::TGroupBox LibPartsGroupBox, IDFPartsGroupBox, ColourGroupBox, HeightGroupBox;
  controls::TCheckBox UseLibParts, SearchSubDirs, UseXrefCheckbox, ReUseCreatedParts, ReUseBoardPart, ColourCheckBox;
  controls::TComboBox LibSearchPathCombobox, HeightUnitsCombo;
  controls::TButton LibSearchPathButton, XrefButton, EditXrefButton;
  controls::TEdit XrefEdit, DefaultHeightEdit;
  controls::TLabel XrefLabel, Label3;
  controls::TStringGrid ColourGrid, HeightGrid;
  // "&Options"
  controls::TGroupBox MiscGroupBox, HolesGroupBox, HoleFilterGb, CopperGroupBox, BoardGroupBox, KeepoutGroup,
      OutlineGroup, SuppressGroupBox;
  controls::TCheckBox IgnoreRegionalDecPoint;
  controls::TButton ShowPartUsageButton;
  controls::TCheckBox PlatedMountingCB, NonPlatedMountingCB, PlatedPinCB, NonPlatedPinCB, ViaHolesCB, PlatedToolingCB,
      NonPlatedToolingCB, PlatedOtherCB, NonPlatedOtherCB;
  controls::TButton AllHolesCbButton, NoneHolesCbButton;
  controls::TCheckBox HoleFilterCb;
  controls::TRadioButton GreaterThanRb, LessThanRB;
  controls::TEdit HoleFilterSizeEdit;
  controls::TLabel HoleFilterUnitsLabel;
  controls::TLabel CopperThicknessLabel, CopperThicknessUnitsLabel;
  controls::TEdit CopperThickness;
  controls::TCheckBox DoPads, DoVias, DoTracks, DoOverlays, DoOverlayText, DoPolygons;
  controls::TEdit BrdThicknessEdit;
  controls::TLabel BoardThicknessUnitsLabel;
  controls::TCheckBox RouteKeepoutCB, PlaceKeepoutCB, ViaKeepoutCB;
  controls::TCheckBox RouteOutlineCB, PlaceOutlineCB, PlaceRegionCB, OtherOutlineCB;
  controls::TCheckBox SuppressPlaceFeatures;
  // "Select &Parts"
  controls::TGroupBox SortByRadioGroup;
  controls::TRadioButton DesignatorRadioButton, PackageNameRadioButton;
  controls::TCheckListBox SelectedDesignatorsCheckListBox, SelectedPackageNamesCheckListBox;
  controls::TButton SelectAllButton, SelectNoneButton;
  // "&Feature Names" (an edit's Caption is the label beside it)
  controls::TEdit SketchTitle, BoardOutlineName, PartOutlineName;
  controls::TGroupBox FeatureOutlinesGroupBox, FeatureKeepOutsGroupBox;
  controls::TEdit PlaceOutlineName, RouteOutlineName, PlaceRegionName;
  controls::TEdit PlaceKeepoutName, RouteKeepoutName, ViaKeepoutName;
  controls::TButton SetFeatureNameDefaults;
  // "Sta&tus", "&Board", "Lib&rary"
  controls::TRadioButton SummaryRadioButton, DetailRadioButton, ErrorRadioButton;
  controls::TMemo LogMemo, BrdMemo, LibMemo;

  // ---- state ----
  std::unique_ptr<TIDFfile> FImportIDF;
  TIdfTimes FTimes;                      // the time stamps of the current file set's run
  TGetInfoFromRegistry* FReg = nullptr;  // not owned
  bool FNormalMode = true;
  std::string FApptitle = "Import IDF";
  std::string FStartUpPath;
  std::string FStaticCaption;
  std::string FBoardNameFromIdfHeader;
  std::string FBoardPartFilename;
  std::string FAssemblyFilename;
  // Why the last CheckAndCreateAssemblyDirectory failed ("Cannot create assembly folder ...");
  // the dialog stops silently, a batch run reports it.
  std::string FAssemblyFolderError;
  std::string FCreatedPartsPath;
  std::string FAssyExt, FPartExt;
  std::string FHelpFileName, FHelpFile;
  std::string FImportHelpTopic, FUpdateHelpTopic, FSearchPathHelpTopic, FXrefHelpTopic;
  // A library file named by the caller (batch) instead of the one found from the board file.
  std::string FLibraryFileOverride;
  TUnitsType FOutputUnits = utMETRE;  // given to every file set this dialog creates
  TUnitsType FFormUnits = utMM;
  int FPrecision = 3;
  double FDefaultBrdThickness = 0;
  double FDefaultAutoPartHeight = 0;
  double FBrdThickness = 0;
  bool FWeHaveLargeFonts = false;
  bool FFilesLoaded = false;  // the current file set holds a successfully read board
  int FImportPageHeight = 0, FSettingsTabHeight = 0, FOptionsPageHeight = 0, FFilterPageHeight = 0,
      FLongFilterPageHeight = 0, FFeatureNamesTabHeight = 0, FLogPageHeight = 0, FBrdPageHeight = 0, FLibPageHeight = 0,
      FDefaultCheckListHeight = 0;
  bool fOkToContinue = false;
  bool fStopRequest = false;
  bool FWeHaveDrilledHoles = false, FWeHavePads = false, FWeHaveVias = false, FWeHaveTracks = false,
       FWeHaveOverLays = false, FWeHaveOverText = false, FWeHavePolygons = false, FWeHaveUnknownOtherOutLine = false,
       FWeHaveSelectedPart = false, FWeHaveSelectedDesignator = false;
  double FRouteKeepoutHeight = 0.0001;
  // What the last analysis found on the board.
  bool FWeHaveSpecialOutlines = false;
  int FROUTE_OUTLINECount = 0, FPLACE_OUTLINECount = 0, FROUTE_KEEPOUTCount = 0, FVIA_KEEPOUTCount = 0,
      FPLACE_KEEPOUTCount = 0, FPLACE_REGIONCount = 0, FOtherOutlineCount = 0;
  // Holes of each category: all of them, and those that pass the filter.
  int FPlatedMtgCount = 0, FNonPlatedMtgCount = 0, FPlatedPinCount = 0, FNonPlatedPinCount = 0, FViaHoleCount = 0,
      FPlatedToolingCount = 0, FNonPlatedToolingCount = 0, FPlatedOtherCount = 0, FNonPlatedOtherCount = 0;
  int FPlatedMhFilteredCount = 0, FNonPlatedMhFilteredCount = 0, FPlatedPinFilteredCount = 0,
      FNonPlatedPinFilteredCount = 0, FViaFilteredCount = 0, FPlatedToolingFilteredCount = 0,
      FNonPlatedToolingFilteredCount = 0, FPlatedOtherFilteredCount = 0, FNonPlatedOtherFilteredCount = 0;
  // Name words of features and sketches.
  std::string FSketchStr, FTopLayer, FBottomLayer, FTopAndBottomLayer, FInnerLayer, FAllLayer;
  std::string FBoardOutlineFeature, FPartOutlineFeature, FPlaceKeepoutFeature, FViaKeepoutFeature, FPlaceOutlineFeature,
      FRouteKeepoutFeature, FRouteOutlineFeature, FPlaceRegionFeature, FOtherOutlineFeature;
  std::string FNonePlated, FPlated, FNonPlated;
  std::string FNoneHoles, FPinHoles, FViaHoles, FMountingHoles, FToolHoles, FOtherHoles;
  std::string FHoleFilterGreaterThanVal = "0", FHoleFilterLessThanVal = "100";
  TIdfPartPlacementObjectList FPartPlaceList;
  TSearchStringList FPartXrefTable;  // the cross-reference file's lines, as last loaded
  bool FWeHaveAutoParts = false;     // never reset: stays true for later preparations
  // Lists other units fill.
  TSearchStringList FColourHoldingList;  // NAME=VALUE entries, kept joined by "|"
  TSearchStringList FSelectedPackageList, FSelectedDesList, FXrefLookupList, FXrefTable, FAutoPartsList, FFileLoadList;

 protected:
  // Wires a control: registry, name, caption, hint and help context.
  template <class C>
  C& Setup(C& c, const char* name, const std::string& caption, const std::string& hint, int help) {
    c.Name = name;
    c.Caption = caption;
    c.Hint = hint;
    c.HelpContext = help;
    fControls.push_back(&c);
    return c;
  }
  // Runs a user action; an error that escapes it is shown and the dialog stays open.
  void Guarded(const std::function<void()>& action);
  controls::TNotifyEvent Handler(void (TIdfImportFormV4_XE2::*method)());
  // Loads the current file set's files; an error while reading is logged, not raised.
  bool LoadFilesLogged(const std::function<bool()>& load);
  void ApplyPageHeight(controls::TTabSheet* page);
  // The file set's folder of the board path, with its separator (empty without a board).
  std::string BoardFolder() const;

 private:
  void CreateControls();
  void CreateLibraryControls();  // IdfImportXref.cpp
  void WireAnalysisControls();
  std::vector<std::string> fDesignatorOfItem;  // the designator of each designator list item
  std::vector<controls::TControl*> fControls;
  std::vector<controls::TRadioButton*> fHoleFilterGroup, fSortByGroup, fLogGroup;
};

// Colour texts: a colour name, a decimal integer, or hexadecimal after "$" or "0x"; written back
// as the name when there is one, else as "$" and eight hexadecimal digits.
bool ColourTextToValue(const std::string& text, int& value);
std::string ColourValueToText(int value);

// A help file as found on disk: the file itself, or the folder of HTML pages that stands for it
// (the path without its extension). Letter case is ignored; empty when neither exists.
std::string FindHelpFile(const std::string& HelpFile);
// The folder of HTML pages (with its separator) that stands for a help file; empty when absent.
std::string FindHelpSetFolder(const std::string& HelpFile);
