#pragma once
// The import dialog of the Corvane host: the host root, the vault option and the host's own
// options on top of the generic dialog.
#include <memory>
#include <string>
#include <vector>

#include "import/IdfImportSettingsTable.h"
#include "import/IdfImportV4_XE2.h"

#include "host/CorvaneX_TLB.h"
#include "host/HostInstance.h"

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
  // Builds the model in the host (ValdrinCreateAssembly.cpp).
  void CreateAssembly();

  // ---- sketches and extrusions (ValdrinSketches.cpp) ----
  using TSketchPtr = std::shared_ptr<CorvaneX_TLB::ICVSketch>;
  using TFeaturesPtr = std::shared_ptr<CorvaneX_TLB::ICVPartFeatures>;
  using TExtrusionPtr = std::shared_ptr<CorvaneX_TLB::ICVExtrusionFeature>;
  using TPartPtr = std::shared_ptr<CorvaneX_TLB::ICVPartSession>;
  using TAssemblyPtr = std::shared_ptr<CorvaneX_TLB::ICVAssemblySession>;
  using TOccurrencePtr = std::shared_ptr<CorvaneX_TLB::ICVOccurrence>;
  // Returns the number of figures drawn; figures unfit for a sketch are reported and left out.
  int AddOutlineToSketch(const TSketchPtr& Sketch, const TBoardOutlineObjectList& List, bool Progress, bool Heal);
  TExtrusionPtr LocalExtrudeSketch(const TFeaturesPtr& Features, const TSketchPtr& Sketch, bool Reverse,
                                   double Thickness, const std::string& Name);
  TExtrusionPtr LocalCutSketch(const TFeaturesPtr& Features, const TSketchPtr& Sketch, const std::string& Name);
  void SketchAndCreateBoss(const TPartPtr& PartSession, const TFeaturesPtr& Features, bool Top,
                           const std::string& FeatureName, const TBoardOutlineObjectList& List, double Thickness);
  // ReportName names what failed in the error log (an auto part's package); the feature name otherwise.
  TExtrusionPtr CreateBaseExtrude(const TPartPtr& PartSession, const std::string& FeatureName,
                                  TBoardOutlineObjectList& List, bool Reverse, bool ShowProgressBar,
                                  const std::string& ReportName = {});

  // ---- board part (ValdrinCreateBoard.cpp) ----
  void CreatePcbPartNew(bool aCloseWhenDone);
  // Puts the board's bar back after a sketch showed its own (nothing outside the board's build).
  void ShowBoardStage();
  void GetBoardOutlineFromIdf(TBoardOutlineObjectList& List);
  // The loops of List that can be built into Loops, the others reported; false without an outer loop.
  bool BuildBoardLoops(const TBoardOutlineObjectList& List, TBoardOutlineObjectList& Loops);
  // The board's body after the base extrusion, or nil (reported) when it has no volume.
  std::shared_ptr<CorvaneX_TLB::ICVBody> BoardBody(const TPartPtr& Part, const TExtrusionPtr& Feature);
  void ProcessPcbFeatureOutlines(const TPartPtr& PartSession);
  void ProcessMiscOutlines(const TPartPtr& PartSession);
  void ProcessDrilledHoles(const TPartPtr& PartSession);
  void SketchAndCutHoles(const TPartPtr& PartSession, const std::shared_ptr<CorvaneX_TLB::ICVFace>& RefFace,
                         const TBoardOutlineObjectList& List);

  // ---- component parts (ValdrinCreateParts.cpp) ----
  void CreateAutoParts();
  bool CreateCorvanePartNew(int Index);
  // An existing auto part file that can be placed as it is; a broken one is reported.
  bool ReusablePart(const TIdfPartPlacementObject& P);
  TPartPtr CreatePart(const std::shared_ptr<CorvaneX_TLB::ICVRoot>& aRoot, const std::string& aFilename);
  bool LocalGetRootAndInit(CorvaneX_TLB::TAutomationHook* Hook, std::shared_ptr<CorvaneX_TLB::ICVRoot>& Root,
                           bool aNew);
  void InitialiseFormSettings() { fCorvaneFactor = 1.0; }
  // The instance a step starts; a failed terminate goes to the error log as "Terminating Corvane".
  THostInstance StepHostInstance();

  // ---- assembly (ValdrinCreateAssembly.cpp) ----
  void PlaceBoardOutlinePart(const TAssemblyPtr& AssySession);
  void PlacePcbParts(const TAssemblyPtr& AssySession);
  // Why a placement cannot be handed to the host (position, rotation or the board thickness of a
  // bottom part not finite or absurd); empty when it can.
  std::string PlacementRefusal(const TIdfPartPlacementObject& P) const;
  // Whether the library file has an outline section for the package.
  bool InLibrary(const std::string& aPackageName);
  TOccurrencePtr PlacePartFromPartObject(const TAssemblyPtr& aAssySession, const TIdfPartPlacementObject& aPartObject);
  TOccurrencePtr PlacePartExt(const std::string& aPartName, const TAssemblyPtr& aAssemblySession, bool aTop, double ax,
                              double ay, double aBoardThickness, double aRot);
  // Why the last PlacePartExt gave no occurrence, when the host said; for the error line.
  std::string FPlaceError;
  std::string PlaceErrorSuffix() const { return FPlaceError.empty() ? "" : " | " + FPlaceError; }

  // The host's root from its request (empty when it is none), and the host's version for About.
  std::shared_ptr<CorvaneX_TLB::ICVRoot> QueryRoot(const std::shared_ptr<CorvaneX_TLB::ICVUnknown>& Root);
  std::string RootVersionText();

  controls::TCheckBox AnchorPartsCb, ShowPartCreateCb, UseVaultCb;
  controls::TLabel HolesPerFeatureLabel, InVaultLabel;
  controls::TEdit HolesPerFeatureEdit;

  std::shared_ptr<CorvaneX_TLB::ICVRoot> fCorvaneRoot;  // empty when the program runs on its own
  std::string fWindowsFileSystemAssemblyFolder;
  std::string fVaultAssemblyFolder;
  double fCorvaneFactor = 1.0;
  std::shared_ptr<CorvaneX_TLB::ICVBody> fBoardOutlineBody;
  int fBoardStage = -1;  // stages of the board's build done; -1 outside it
  // The files this dialog's imports have written, in the order written.
  std::vector<std::string> FFilesWritten;
  // The assembly file the last build saved; empty while none did (a build that stopped or failed).
  std::string FLastAssemblyWritten;
};

// The host dialog's persisted values.
const std::vector<TSettingInfo>& HostDialogSettings();
