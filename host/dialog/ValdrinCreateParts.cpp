// Component parts modelled from their library outlines, one host instance each, and the
// connection and part-creation steps shared with the board part.
#include <algorithm>
#include <fstream>

#include "CommonObjects/FileUtils.h"
#include "host/CorvaneFileUtils.h"
#include "host/dialog/ValdrinIdfImportForm.h"

using namespace CorvaneX_TLB;

namespace {
// Exact: part names that differ in letter case have files of their own.
bool Handled(const TSearchStringList& list, const std::string& name) {
  for (const auto& l : list.Lines())
    if (l == name) return true;
  return false;
}
}  // namespace

bool TCorvaneIdfImport::ReusablePart(const TIdfPartPlacementObject& P) {
  if (!FileExists(P.FActualPart)) return false;
  // A file left empty or damaged by an earlier run would be placed as nothing: build it again.
  const std::string why = CorvaneFileUtils::PartFileFault(P.FActualPart);
  if (why.empty()) return true;
  FImportIDF->WarningLog.Add("Warning : re-used part " + P.FActualPart + " " + why + ", built again");
  return false;
}

bool TCorvaneIdfImport::LocalGetRootAndInit(TAutomationHook* Hook, std::shared_ptr<ICVRoot>& Root, bool aNew) {
  if (!Hook) return false;
  try {
    Hook->ConnectKind = aNew ? ckNewInstance : ckRunningOrNew;
    auto intf = Hook->DefaultInterface();
    if (!intf) return false;
    auto root = std::dynamic_pointer_cast<ICVRoot>(intf->Get_Root());
    if (!root) return false;
    Root = root;
    intf->Initialize("", "", "", false, 0);
    return true;
  } catch (const std::exception& e) {
    FImportIDF->ReportException("Exception conneecting to Corvane", e.what());
    return false;
  }
}

TCorvaneIdfImport::TPartPtr TCorvaneIdfImport::CreatePart(const std::shared_ptr<ICVRoot>& aRoot,
                                                          const std::string& aFilename) {
  // Without a running host there is nothing to show the part in; the separate instance makes it.
  const bool visible = ShowPartCreateCb.Checked && fCorvaneRoot;
  try {
    return (visible ? fCorvaneRoot : aRoot)->CreateEmptyPart(aFilename, false);
  } catch (const std::exception& e) {
    FImportIDF->ReportException(visible ? "creating PCB: " + aFilename : "creating new part (invisible) : " + aFilename,
                                e.what());
    return nullptr;
  }
}

THostInstance TCorvaneIdfImport::StepHostInstance() {
  return THostInstance([this](const std::string& error) { FImportIDF->ReportException("Terminating Corvane", error); });
}

bool TCorvaneIdfImport::CreateCorvanePartNew(int Index) {
  TIdfPartPlacementObject& P = FPartPlaceList.GetPartRecord(Index);
  THostInstance host = StepHostInstance();
  bool result = true;
  try {
    if (LocalGetRootAndInit(&host.Hook, host.Root, true)) {
      auto part = CreatePart(host.Root, P.FPackageName);
      if (part && !P.FOutlineList.Empty()) {
        TBoardOutlineObjectList& outline = P.FOutlineList;
        outline.ApplyFactor(fCorvaneFactor);
        if (P.FHeight != 0) {
          outline.fBodyHeight = P.FHeight * fCorvaneFactor;
        } else {
          outline.fBodyHeight = FDefaultAutoPartHeight;
          FImportIDF->ErrorLog.Add("Warning : " + P.FPackageName + " height is zero, default used");
        }
        UpDateCaption("Extruding: " + P.FPackageName);
        // Every auto part shares the feature name: failures name the package.
        auto feature = CreateBaseExtrude(part, FPartOutlineFeature, outline, false, false, P.FPackageName);
        auto checked = std::dynamic_pointer_cast<ICVPartFeature>(feature);
        if (!feature)
          FImportIDF->ErrorLog.Add("Extrusion failed for : " + P.FPackageName);
        else if (!checked || !checked->Get_HasError())
          FImportIDF->VerifyLog.Add("Extrude created for : " + P.FPackageName);
        UpDateCaption("");
        outline.FreeListObjects();
        outline.Clear();
      }
      auto session = std::dynamic_pointer_cast<ICVSession>(part);
      // A stop asked for while the part was built: the file on disk stays as it was.
      if (session && StopCheck()) session.reset();
      if (session) {
        try {
          if (UseVaultCb.Checked) {
            session->SaveAll(ExtractFileDir(P.FActualPart));
            CorvaneFileUtils::ReportSaveNote(session, P.FActualPart, &FImportIDF->VerifyLog);
          } else {
            CorvaneFileUtils::SaveAsAndClose(session, P.FActualPart, true, &FImportIDF->VerifyLog);
            if (FileExists(P.FActualPart)) FFilesWritten.push_back(P.FActualPart);
          }
        } catch (const std::exception& e) {
          FImportIDF->ReportException("Exception on Save for Auto Part : " + P.FPackageName, e.what());
        }
      }
    } else {
      FImportIDF->ErrorLog.Add("Failed to connect to Valdrin for Auto Part : " + P.FPackageName);
    }
  } catch (const std::exception& e) {
    // One part that the host cannot build must not end the whole import.
    FImportIDF->ReportException("Exception creating Auto Part : " + P.FPackageName, e.what());
    result = false;
  }
  return result;
}

void TCorvaneIdfImport::CreateAutoParts() {
  FTimes.SetProgressTime(true);
  // One step a part: placements that share a part are one step.
  std::vector<std::string> parts;
  for (const auto& p : FPartPlaceList)
    if (std::find(parts.begin(), parts.end(), p->FPartName) == parts.end()) parts.push_back(p->FPartName);
  ProgressInit(static_cast<int>(parts.size()));
  std::vector<std::string> stepped;
  auto step = [this, &stepped](const std::string& name) {
    if (std::find(stepped.begin(), stepped.end(), name) != stepped.end()) return;
    stepped.push_back(name);
    ProgressStep();
  };
  for (int i = 0; i < FPartPlaceList.Count(); ++i) {
    TIdfPartPlacementObject& P = FPartPlaceList.GetPartRecord(i);
    if (Handled(FFileLoadList, P.FPartName)) {
      step(P.FPartName);
      continue;
    }
    if (P.FAutoPart && !P.FOutlineList.Empty() && (!ReUseCreatedParts.Checked || !ReusablePart(P))) {
      UpDateCaption(P.FPartName);
      if (StopCheck()) return;
      if (CreateCorvanePartNew(i)) {
        FFileLoadList.Add(P.FPartName);
        step(P.FPartName);
      }
      continue;
    }
    FFileLoadList.Add(P.FPartName);
    step(P.FPartName);
  }
  ProgressReset();
  FTimes.SetProgressTime(false);
  FImportIDF->SummaryLog.Add("Time for creating parts : " + FTimes.GetProgressTime());
}
