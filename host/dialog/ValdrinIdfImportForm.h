#pragma once
// The import dialog of the Corvane host: the host root, the vault option and the host's own
// options on top of the generic dialog.
#include <memory>
#include <string>
#include <vector>

#include "IdfImportSettingsTable.h"
#include "IdfImportV4_XE2.h"

namespace CorvaneX_TLB {
class ICVUnknown;
class ICVRoot;
}  // namespace CorvaneX_TLB

class TCorvaneIdfImport : public TIdfImportFormV4_XE2 {
 public:
  TCorvaneIdfImport();
  ~TCorvaneIdfImport() override;

  void AssignCommonSettings(const std::string& LocalApptitle);
  // The host's request: Root must be the host root; ActionIndex picks what to do.
  void Run_Import(int ActionIndex, const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root);
  // Step 4 of a host request: 0 dialog, 1 About with the host's version, 2 help, 3 About test.
  void RunImportAction(int ActionIndex);

  void ImportFormShow() override;
  void RunOnShowFunctions();
  void LocalGetRegSettings();
  void LocalSetRegSettings();
  void UseVaultCbActions();
  void AssemblyPathEnableCheck() override;
  void AssemblyPathEditDblClick() override;  // AssemblyPathButtonClick
  void ImportButtonClick() override;
  // Builds the model in the host; owned by the assembly unit.
  virtual void CreateAssembly() {}

  // The few calls into the host, kept apart until the host interface is in the build.
  virtual std::shared_ptr<CorvaneX_TLB::ICVRoot> QueryRoot(const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root);
  virtual std::string RootVersionText();

  controls::TCheckBox AnchorPartsCb, ShowPartCreateCb, UseVaultCb;
  controls::TLabel HolesPerFeatureLabel, InVaultLabel;
  controls::TEdit HolesPerFeatureEdit;

  std::shared_ptr<CorvaneX_TLB::ICVRoot> fCorvaneRoot;  // empty when the program runs on its own
  std::string fWindowsFileSystemAssemblyFolder;
  std::string fVaultAssemblyFolder;
};

// The host dialog's persisted values.
const std::vector<TSettingInfo>& HostDialogSettings();
