// The show sequence, file names and paths, the dialog's buttons, units, page heights and keys.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/MathUtils.h"
#include "CommonObjects/WinUtils.h"
#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

using platform::Services;
using platform::TMsgDlgType;

int TIdfImportFormV4_XE2::ShowModal() {
  ModalResult = platform::mrNone;
  Showing = true;
  ImportFormShow();
  if (RunModalLoop) RunModalLoop(*this);
  FormClose();
  Showing = false;
  return ModalResult;
}

void TIdfImportFormV4_XE2::FormClose() { Services().CloseHelp(); }

void TIdfImportFormV4_XE2::ImportFormShow() { RunShow(); }

void TIdfImportFormV4_XE2::RunShow() {
  RunPreFileBrowseSetup();
  BrowseForIdfFiles();
  RunPostFileBrowseSetup();
}

void TIdfImportFormV4_XE2::CheckRegistryAssigned() {
  if (!FReg)
    Services().MessageDlg("Registry not assigned in Import Form", TMsgDlgType::mtError, platform::mbOK);
  else if (FReg->GetBaseAppKey().empty())
    Services().MessageDlg("Registry Key not assigned in Import Form", TMsgDlgType::mtError, platform::mbOK);
}

void TIdfImportFormV4_XE2::RunPreFileBrowseSetup() {
  CheckRegistryAssigned();
  FWeHaveDrilledHoles = FWeHavePads = FWeHaveTracks = FWeHaveOverLays = FWeHaveOverText = false;
  FWeHaveUnknownOtherOutLine = FWeHaveSelectedPart = FWeHaveSelectedDesignator = false;
  FWeHaveLargeFonts = Services().ScreenPixelsPerInch() == 120;
  DoFormSizeSettings();
  if (FReg) GetRegSettings();
  FImportIDF->IgnoreRegionalDecPoint = IgnoreRegionalDecPoint.Checked;
  FImportIDF->SetDecimalSep();
  InitFormUnits();
  FDefaultBrdThickness = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, 1);
  const char sep = platform::GetDecimalSeparator();
  if (DefaultHeightEdit.Text().find(sep) == std::string::npos) {
    HeightUnitsCombo.SetItemIndex(0);
    FFormUnits = utMM;
    FPrecision = 3;
    DefaultHeightEdit.SetText(std::string("10") + sep + "000");
  }
  FStartUpPath = BoardFilePathEdit.Text();
  BoardFilePathEdit.SetText("");
  InitialiseFeatureNames();
}

bool TIdfImportFormV4_XE2::LoadFilesLogged(const std::function<bool()>& load) {
  bool ok = false;
  try {
    ok = load();
  } catch (const EListIndexError& e) {
    // A file that holds nothing but blanks and comments.
    FImportIDF->ReportException("LoadFiles", std::string("no IDF data to read: ") + e.what());
  } catch (const std::exception& e) {
    FImportIDF->ReportException("LoadFiles", e.what());
  }
  FFilesLoaded = ok;
  return ok;
}

void TIdfImportFormV4_XE2::BrowseForIdfFiles() {
  if (!FNormalMode) return;
  auto& dlg = FImportIDF->OpenDialog;
  const std::string startDir = ExtractFileDir(FStartUpPath);
  dlg.InitialDir = DirectoryExists(startDir) ? startDir : std::string();
  dlg.FileName = ExtractFileName(FStartUpPath);
  dlg.FilterIndex = 0;
  dlg.Filter = TIDFfile::SetBoardFileBrowseExt();
  dlg.Title = "Select IDF Board file";
  std::string picked;
  if (Services().FileDialog(dlg)) {
    picked = dlg.FileName;
    FImportIDF->BoardFile = TFilePath::Split(picked);
    FImportIDF->LibFile = TFilePath::Split(picked);
  } else {
    ModalResult = platform::mrCancel;  // asked to close; the advice below keeps it open
  }
  bool ok;
  if (!picked.empty() && !FLibraryFileOverride.empty()) {
    FImportIDF->LibFile = TFilePath::Split(FLibraryFileOverride);
    ok = LoadFilesLogged([this] { return FImportIDF->LoadFiles(); });
  } else {
    ok = LoadFilesLogged([this, picked] { return FImportIDF->OpenIDFfilesNoDialogue(picked); });
  }
  if (ok) UpDateControls();
}

void TIdfImportFormV4_XE2::RunPostFileBrowseSetup() {
  Caption = FApptitle + " " + GetVer();
  FImportIDF->VerifyLog.Add(Caption);
  FStaticCaption = Caption;
  FBoardNameFromIdfHeader = GetBoardName();
  AssignFileNames();
  FBrdThickness = FImportIDF->BoardThickness;
  UpdateBoardThickness(false);
  FCreatedPartsPath = IncludeTrailingPathDelimiter(AssemblyPathEdit.Text() + FImportIDF->BoardFile.FileName);
  InitSelectionLists();
  CheckForBoardOutline();
  CheckForSpecialPcbOutlineSections();
  SetupHoleFilter();
  CheckForDrilledHoles();
  ReportOnFilteredHoles();
  CheckForIdfKeepoutsAndOutlines();
  if (UseXrefCheckbox.Checked) GetXrefPartList();
  LoadHeightGrid();
  PageControl1.SetActivePage(&ImportTabSheet);
  Height = FImportPageHeight;
  FImportIDF->SummaryLog.AddTabbed({"Font Setting", FWeHaveLargeFonts ? "Large" : "Small"});
  FImportIDF->SummaryLog.Add("");
  AdviseErrorsOrCloseExt(true, false);
}

std::string TIdfImportFormV4_XE2::GetBoardName() {
  TSection* s = nullptr;
  if (FImportIDF->IsPanelFile) s = FImportIDF->FindFirstSection(stPANEL_OUTLINE);
  if (!s) s = FImportIDF->FindFirstSection(stBOARD_OUTLINE);
  if (!s) return "Board";
  return RemoveExt(ExtractForeignName(s->GeometryName)) + "Outline";
}

void TIdfImportFormV4_XE2::AssignFileNames() {
  const std::string a = AssemblyPathEdit.Text();
  FBoardPartFilename = a + SafeFileName(FBoardNameFromIdfHeader) + FPartExt;
  FAssemblyFilename = a + FImportIDF->BoardFile.FileName + FAssyExt;
  FCreatedPartsPath = IncludeTrailingPathDelimiter(a + FImportIDF->BoardFile.FileName + "AutoParts");
}

bool TIdfImportFormV4_XE2::CheckAndCreateAssemblyDirectory() {
  const std::string dir = ExtractFileDir(FAssemblyFilename);
  FAssemblyFolderError.clear();
  // Only an absolute folder says where the assembly goes; a relative one would follow the
  // working directory of whoever started the program.
  if (dir.empty() || dir[0] != '/') {
    Services().MessageDlg("No Drive specified in Assembly field", TMsgDlgType::mtError, platform::mbOK);
    return false;
  }
  if (DirectoryExists(dir)) return true;
  const std::string bare = ExtractFileFolder(FAssemblyFilename);
  struct stat st {};
  if (::stat(bare.c_str(), &st) == 0) {
    FAssemblyFolderError = "Cannot create assembly folder " + bare + ": it is a file, not a folder";
    return false;
  }
  if (::mkdir(bare.c_str(), 0777) != 0 && !DirectoryExists(dir)) {
    FAssemblyFolderError = "Cannot create assembly folder " + bare + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool TIdfImportFormV4_XE2::PreCreateAssemblyActions() {
  AssignFileNames();
  if (!CheckAndCreateAssemblyDirectory()) return false;
  if (!DirectoryExists(FCreatedPartsPath)) ::mkdir(FCreatedPartsPath.c_str(), 0777);
  FImportIDF->IgnoreRegionalDecPoint = IgnoreRegionalDecPoint.Checked;
  SaveFeatureNames();
  SetRegSettings();
  UpdateIdfWithHeight();
  UpdateBoardThickness(true);
  return true;
}

void TIdfImportFormV4_XE2::AssemblyPathEnableCheck() {
  if (AssemblyDirCb.Checked) {
    AssemblyPathEdit.SetText(BoardFolder());
    AssemblyPathEdit.Enabled = false;
    AssemblyPathButton.Enabled = false;
  } else {
    AssemblyPathEdit.Enabled = true;
    AssemblyPathButton.Enabled = true;
    // Back to the stored folder; with none stored (a first run) the folder found stays.
    if (FReg) {
      const std::string stored = FReg->GetStringFromRegistry("ImportAssemblyPath");
      if (!stored.empty()) AssemblyPathEdit.SetText(stored);
    }
  }
}

void TIdfImportFormV4_XE2::CheckForUpdate() {
  const std::string folder = AssemblyDirCb.Checked ? BoardFolder() : AssemblyPathEdit.Text();
  FAssemblyFilename = folder + FImportIDF->BoardFile.FileName + FAssyExt;
  UpdateButton.Visible = FileExists(FAssemblyFilename);
}

void TIdfImportFormV4_XE2::UpDateControls() {
  BoardFilePathEdit.SetText(FImportIDF->BoardFile.Path);
  LibraryFilePathEdit.SetText(FImportIDF->LibFile.Path);
  if (AssemblyPathEdit.Text().empty()) AssemblyPathEdit.SetText(FImportIDF->BoardFile.Directory);
  if (LibSearchPathCombobox.Items.empty() && !FImportIDF->BoardFile.Directory.empty()) {
    LibSearchPathCombobox.Items.push_back(FImportIDF->BoardFile.Directory);
    LibSearchPathCombobox.SetItemIndex(0);
  }
  // Building needs a board: the closing advice refreshes the controls after failed loads too.
  ImportButton.Enabled = FFilesLoaded;
  LoadColours();
  LoadHeightGrid();
  UpdateUseLibPartsAndUseXref();
  AssemblyPathEnableCheck();
  if (FNormalMode) CheckForUpdate();
}

// ---- units and sizes ----

void TIdfImportFormV4_XE2::InitFormUnits() {
  switch (HeightUnitsCombo.ItemIndex()) {
    case 0:
      FFormUnits = utMM;
      FPrecision = 3;
      break;
    case 1:
      FFormUnits = utINCH;
      FPrecision = 5;
      break;
    case 2:
      FFormUnits = utTHOU;
      FPrecision = 2;
      break;
    default: return;
  }
  UpdateUnitsLabels(FFormUnits);
}

void TIdfImportFormV4_XE2::UpdateUnitsLabels(TUnitsType Units) {
  std::string text;
  switch (Units) {
    case utMM: text = "mm"; break;
    case utINCH: text = "in"; break;
    case utTHOU: text = "thou"; break;
    default: return;
  }
  CopperThicknessUnitsLabel.Caption = text;
  BoardThicknessUnitsLabel.Caption = text;
  HoleFilterUnitsLabel.Caption = text;
}

void TIdfImportFormV4_XE2::DoFormSizeSettings() {
  const bool large = FWeHaveLargeFonts;
  FImportPageHeight = large ? 250 : 220;
  FSettingsTabHeight = large ? 475 : 415;
  FOptionsPageHeight = large ? 500 : 450;
  FFilterPageHeight = large ? 470 : 390;
  FLongFilterPageHeight = large ? 770 : 690;
  FFeatureNamesTabHeight = large ? 470 : 410;
  FLogPageHeight = large ? 470 : 390;
  FBrdPageHeight = large ? 470 : 390;
  FLibPageHeight = large ? 470 : 390;
  FDefaultCheckListHeight = large ? 285 : 265;
}

void TIdfImportFormV4_XE2::ApplyPageHeight(controls::TTabSheet* page) {
  if (page == &ImportTabSheet) {
    Height = FImportPageHeight;
  } else if (page == &SettingsTabSheet) {
    Height = FSettingsTabHeight;
  } else if (page == &TabSheet3) {
    Height = FOptionsPageHeight;
  } else if (page == &FeatureNamesTabSheet) {
    Height = FFeatureNamesTabHeight;
  } else if (page == &FilterTab) {
    if (!DesignatorRadioButton.Checked() && !PackageNameRadioButton.Checked()) DesignatorRadioButton.SetChecked(true);
    const bool byDesignator = DesignatorRadioButton.Checked();
    SelectedDesignatorsCheckListBox.Visible = byDesignator;
    SelectedPackageNamesCheckListBox.Visible = !byDesignator;
    controls::TCheckListBox& list = byDesignator ? SelectedDesignatorsCheckListBox : SelectedPackageNamesCheckListBox;
    Height = list.Count() <= 80 ? FFilterPageHeight : FLongFilterPageHeight;
    list.Height = PageControl1.Height - 100;
  } else if (page == &StatusTabSheet) {
    ShowStatusLog();
  } else if (page == &BoardTabSheet) {
    BrdMemo.Lines = FImportIDF->BoardStrings.Lines();
    Height = FBrdPageHeight;
  } else if (page == &LibraryTabSheet) {
    UpdateIdfWithHeight();
    LibMemo.Lines = FImportIDF->LibStrings.Lines();
    Height = FLibPageHeight;
  }
}

void TIdfImportFormV4_XE2::PageControl1Change() {
  // The Status tab has shown its log already (its own show handler).
  if (PageControl1.ActivePage() != &StatusTabSheet) ApplyPageHeight(PageControl1.ActivePage());
}

// ---- path handlers ----

void TIdfImportFormV4_XE2::AssemblyPathEditExit() {
  // An empty field stays empty: a lone separator would name the root folder.
  if (!AssemblyPathEdit.Text().empty()) AssemblyPathEdit.SetText(IncludeTrailingPathDelimiter(AssemblyPathEdit.Text()));
}

void TIdfImportFormV4_XE2::AssemblyPathEditDblClick() {
  std::string folder = AssemblyPathEdit.Text();
  if (!folder.empty() && !DirectoryExists(folder)) ::mkdir(folder.c_str(), 0777);
  const std::string start = DirectoryExists(folder) ? folder : std::string();
  const std::string chosen = Services().SelectFolder("Browse to Assembly Directory", start);
  if (!chosen.empty()) AssemblyPathEdit.SetText(IncludeTrailingPathDelimiter(chosen));
  CheckForUpdate();
}

void TIdfImportFormV4_XE2::BoardFilePathEditDblClick() {
  const TFilePath oldBoard = FImportIDF->BoardFile;
  const TFilePath oldLib = FImportIDF->LibFile;
  const std::string startFolder = ExtractFileDir(BoardFilePathEdit.Text());
  NewFileSet();
  if (LoadFilesLogged([&] { return FImportIDF->OpenIDFfiles(startFolder); })) {
    UpDateControls();
    InitSelectionLists();
    CheckForSpecialPcbOutlineSections();
    CheckForDrilledHoles();
    CheckForIdfKeepoutsAndOutlines();
    return;
  }
  if (BoardFilePathEdit.Text().empty()) return;
  // Back to the files that were loaded. A fresh file set, because a failed read may have left
  // sections behind; its errors are kept so the user can see why the pick failed.
  const TSearchStringList failedErrors = FImportIDF->ErrorLog;
  NewFileSet();
  FImportIDF->ErrorLog.AddStrings(failedErrors);
  FImportIDF->BoardFile = oldBoard;
  FImportIDF->LibFile = oldLib;
  if (LoadFilesLogged([this] { return FImportIDF->LoadFiles(); })) UpDateControls();
}

void TIdfImportFormV4_XE2::LibraryFilePathEditDblClick() {
  platform::TFileDialogRequest dlg = FImportIDF->OpenDialog;
  dlg.Title = "Select IDF Library file";
  dlg.Filter = TIDFfile::SetLibFileBrowseExt();
  dlg.FilterIndex = 0;
  dlg.FileName.clear();
  dlg.Save = false;
  if (!Services().FileDialog(dlg)) return;
  const std::string picked = dlg.FileName;
  if (!FileExists(picked)) return;
  const TFilePath board = FImportIDF->BoardFile;
  const TFilePath oldLib = FImportIDF->LibFile;
  NewFileSet();
  FImportIDF->BoardFile = board;
  FImportIDF->LibFile = TFilePath{};
  FImportIDF->LibFile.Path = picked;
  FImportIDF->LibFile.Directory = ExtractFileDir(picked);
  if (!LoadFilesLogged([this] { return FImportIDF->LoadFiles(); })) {
    const TSearchStringList failedErrors = FImportIDF->ErrorLog;
    NewFileSet();
    FImportIDF->ErrorLog.AddStrings(failedErrors);
    FImportIDF->BoardFile = board;
    FImportIDF->LibFile = oldLib;
    LoadFilesLogged([this] { return FImportIDF->LoadFiles(); });
  }
  UpDateControls();
}

// ---- buttons ----

void TIdfImportFormV4_XE2::ImportButtonClick() {
  fOkToContinue = false;
  FDefaultBrdThickness = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, 1);
  // A height that is no number raises here and is shown by the click's guard.
  FDefaultAutoPartHeight = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, StrToFloat(DefaultHeightEdit.Text()));
  if (!PreCreateAssemblyActions()) return;
  PrepareGlobalPlacementList();
  StopButton.Visible = true;
  fOkToContinue = true;
}

void TIdfImportFormV4_XE2::UpdateButtonClick() {
  fOkToContinue = false;
  FDefaultBrdThickness = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, 1);
  FDefaultAutoPartHeight = ConvertToUnits(FFormUnits, FImportIDF->OutputUnits, StrToFloat(DefaultHeightEdit.Text()));
  if (!PreCreateAssemblyActions()) return;
  GetSelectedPackages();
  GetSelectedDesignators();
  fOkToContinue = true;
}

void TIdfImportFormV4_XE2::CancelButtonClick() { ModalResult = platform::mrCancel; }

// ---- keys ----

void TIdfImportFormV4_XE2::DefaultHeightEditKeyPress(char& Key) {
  if (Key == '\b') return;
  double v;
  if (!TryStrToFloat(DefaultHeightEdit.Text() + Key, v)) Key = '\0';
}
