#include "host/dialog/ValdrinIdfImportForm.h"

#include "CommonObjects/FileLock.h"
#include "CommonObjects/FileUtils.h"
#include "CommonObjects/ScopeExit.h"
#include "CommonObjects/WinUtils.h"
#include "platform/Platform.h"

TCorvaneIdfImport::TCorvaneIdfImport() {
  Setup(AnchorPartsCb, "AnchorPartsCb", "Anchor Parts", "", 2510);
  Setup(UseVaultCb, "UseVaultCb", "Use Corvane Vault", "", 2520);
  Setup(HolesPerFeatureEdit, "HolesPerFeatureEdit", "", "", 2530);
  Setup(ShowPartCreateCb, "ShowPartCreateCb", "Part Creation Visible", "", 2540);
  Setup(HolesPerFeatureLabel, "HolesPerFeatureLabel", "Holes/Feature", "", 0);
  Setup(InVaultLabel, "InVaultLabel", "In Vault", "", 0);
  InVaultLabel.Visible = false;
  UseVaultCb.OnClick = [this] { Guarded([this] { UseVaultCbActions(); }); };
  // The hole filter's change handling: the filtered counts follow whichever field changed.
  HolesPerFeatureEdit.OnChange = Handler(&TIdfImportFormV4_XE2::HoleFilterSizeEditChange);
  AssignCommonSettings(FApptitle);
}

TCorvaneIdfImport::~TCorvaneIdfImport() = default;

const std::vector<TSettingInfo>& HostDialogSettings() {
  static const std::vector<TSettingInfo> table = {
      {"AnchorParts", TSettingKind::skBoolean, "false"},
      {"PartCreationVisible", TSettingKind::skBoolean, "false"},
      {"HolesPerFeature", TSettingKind::skText, "200"},
      {"UseCorvaneVault", TSettingKind::skBoolean, "false"},
      {"WindowsFileSystemAssemblyFolder", TSettingKind::skText, ""},
      {"VaultAssemblyFolder", TSettingKind::skText, ""},
  };
  return table;
}

void TCorvaneIdfImport::AssignCommonSettings(const std::string& LocalApptitle) {
  FApptitle = LocalApptitle;
  FImportHelpTopic = "Importing_IDF_files";
  FUpdateHelpTopic = "Updating_An_Assembly";
  FSearchPathHelpTopic = "Setting_Up_Part_Search_Paths";
  FXrefHelpTopic = "Using_Cross_Referencing";
  Caption = FApptitle;
  // The host takes centimetres; every later file set of this dialog gets the same unit.
  FOutputUnits = utCM;
  FImportIDF->OutputUnits = utCM;
}

void TCorvaneIdfImport::Run_Import(int ActionIndex, const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root) {
  FAssyExt = ".CV_ASM";
  FPartExt = ".CV_PRT";
  fCorvaneRoot = QueryRoot(Root);
  if (!fCorvaneRoot) return;
  AssignCommonSettings(FApptitle);
  FHelpFileName = GetDLLPath(true) + "Help/" + "CorvaneIDF.Hlp";
  FHelpFile = FHelpFileName;
  TScopeExit dropRoot([this] { fCorvaneRoot.reset(); });
  RunImportAction(ActionIndex);
}

void TCorvaneIdfImport::RunImportAction(int ActionIndex) {
  switch (ActionIndex) {
    case 0: ShowModal(); break;
    case 1: ShowAboutDetails("Corvane VAV Arizede", "Valdrin", RootVersionText()); break;
    case 2: DisplayProductHelp(); break;
    case 3: ShowAboutDetails("Corvane VAV Arizede Active X Server Test", "Valdrin", "Test"); break;
    default: break;
  }
}

void TCorvaneIdfImport::ImportFormShow() {
  TIdfImportFormV4_XE2::ImportFormShow();
  RunOnShowFunctions();
}

void TCorvaneIdfImport::RunOnShowFunctions() {
  if (FReg) LocalGetRegSettings();
  UseVaultCbActions();
  bool anyHoles = false;
  for (const controls::TCheckBox* cb :
       {&PlatedMountingCB, &NonPlatedMountingCB, &PlatedPinCB, &NonPlatedPinCB, &ViaHolesCB, &PlatedToolingCB,
        &NonPlatedToolingCB, &PlatedOtherCB, &NonPlatedOtherCB})
    anyHoles = anyHoles || cb->Enabled;
  HolesPerFeatureLabel.Enabled = anyHoles;
  HolesPerFeatureEdit.Enabled = anyHoles;
  UpdateButton.Visible = false;
  ShowPartCreateCb.Enabled = true;
}

void TCorvaneIdfImport::LocalGetRegSettings() {
  TGetInfoFromRegistry& r = *FReg;
  AnchorPartsCb.Checked = r.GetBooleanFromRegistry("AnchorParts");
  ShowPartCreateCb.Checked = r.GetBooleanFromRegistry("PartCreationVisible");
  {
    // Reading the stored value is no edit: the hole filter ran its analysis already.
    auto onChange = std::move(HolesPerFeatureEdit.OnChange);
    HolesPerFeatureEdit.OnChange = nullptr;
    HolesPerFeatureEdit.SetText(r.GetStringFromRegistryExt("HolesPerFeature", "200"));
    HolesPerFeatureEdit.OnChange = std::move(onChange);
  }
  UseVaultCb.Checked = r.GetBooleanFromRegistry("UseCorvaneVault");
  fWindowsFileSystemAssemblyFolder = r.GetStringFromRegistry("WindowsFileSystemAssemblyFolder");
  fVaultAssemblyFolder = r.GetStringFromRegistry("VaultAssemblyFolder");
}

void TCorvaneIdfImport::LocalSetRegSettings() {
  TGetInfoFromRegistry& r = *FReg;
  r.SetBooleanInRegistry("AnchorParts", AnchorPartsCb.Checked);
  r.SetBooleanInRegistry("PartCreationVisible", ShowPartCreateCb.Checked);
  r.SetStringInRegistry("HolesPerFeature", HolesPerFeatureEdit.Text());
  r.SetBooleanInRegistry("UseCorvaneVault", UseVaultCb.Checked);
  r.SetStringInRegistry("WindowsFileSystemAssemblyFolder", fWindowsFileSystemAssemblyFolder);
  r.SetStringInRegistry("VaultAssemblyFolder", fVaultAssemblyFolder);
}

namespace {
std::string WithSeparator(const std::string& folder) {
  return folder.empty() ? folder : IncludeTrailingPathDelimiter(folder);
}
}  // namespace

void TCorvaneIdfImport::UseVaultCbActions() {
  if (UseVaultCb.Checked) {
    fWindowsFileSystemAssemblyFolder = WithSeparator(AssemblyPathEdit.Text());
    fVaultAssemblyFolder = GetWindowsTempFolder();
    AssemblyPathEdit.SetText(fVaultAssemblyFolder);
    AssemblyPathEdit.Enabled = false;
    InVaultLabel.Visible = true;
    AssemblyDirCb.Checked = false;
    AssemblyDirCb.Enabled = false;
    return;
  }
  fVaultAssemblyFolder = AssemblyPathEdit.Text();
  AssemblyPathEdit.Enabled = true;
  // Nothing remembered for the file system (a first run) keeps the folder the dialog found.
  if (!fWindowsFileSystemAssemblyFolder.empty()) AssemblyPathEdit.SetText(fWindowsFileSystemAssemblyFolder);
  InVaultLabel.Visible = false;
  AssemblyDirCb.Enabled = true;
  // With "Assembly Path from IDF Files" the field keeps following the board's folder.
  if (AssemblyDirCb.Checked) AssemblyPathEnableCheck();
}

void TCorvaneIdfImport::AssemblyPathEnableCheck() {
  // While the vault is chosen the field holds the vault's working folder; a refresh after a new
  // board or library must not swap the file-system folder back in behind the user's back.
  if (UseVaultCb.Checked) return;
  TIdfImportFormV4_XE2::AssemblyPathEnableCheck();
}

void TCorvaneIdfImport::AssemblyPathEditDblClick() {
  TIdfImportFormV4_XE2::AssemblyPathEditDblClick();
  const std::string folder = WithSeparator(AssemblyPathEdit.Text());
  if (UseVaultCb.Checked)
    fVaultAssemblyFolder = folder;
  else
    fWindowsFileSystemAssemblyFolder = folder;
  UpdateButton.Visible = false;
}

void TCorvaneIdfImport::ImportButtonClick() {
  TIdfImportFormV4_XE2::ImportButtonClick();
  if (!fOkToContinue) {
    ModalResult = platform::mrNone;
    return;
  }
  if (UseVaultCb.Checked)
    fVaultAssemblyFolder = AssemblyPathEdit.Text();
  else
    fWindowsFileSystemAssemblyFolder = AssemblyPathEdit.Text();
  if (FReg) LocalSetRegSettings();
  // Two imports writing one folder would replace each other's files half-way.
  const std::string folder = ExtractFileFolder(FAssemblyFilename);
  const TFileLock lock(folder, TFileLock::lwTry);
  if (!lock.Locked() && lock.Error().empty()) {
    FImportIDF->ErrorLog.Add("Another import is writing into " + folder + "; this import is refused");
    AdviseErrorsOrCloseExt(false, false);
    return;
  }
  try {
    CreateAssembly();
  } catch (const std::exception& e) {
    // Shown by the click's guard as well; the log keeps it for the Status tab and batch runs.
    FImportIDF->ReportException("Create Assembly", e.what());
    throw;
  }
}
