// The import itself: component parts, board part, then the assembly with the board anchored
// and every selected component placed on its side of the board.
#include <algorithm>
#include <unordered_map>

#include "CommonObjects/AtomicFile.h"
#include "CommonObjects/FileUtils.h"
#include "CommonObjects/WinUtils.h"
#include "host/CorvaneFileUtils.h"
#include "host/CorvanePartUtils.h"
#include "host/dialog/FigureChecks.h"
#include "host/dialog/ValdrinIdfImportForm.h"

using namespace CorvaneX_TLB;

void TCorvaneIdfImport::CreateAssembly() {
  FTimes.SetTime(true);
  FLastAssemblyWritten.clear();
  // Hundreds of part files go into one or two folders: each folder is flushed once.
  TFolderFlushes folderFlushes;
  InitialiseFormSettings();
  if (UseVaultCb.Checked)
    FCreatedPartsPath =
        IncludeTrailingPathDelimiter(GetWindowsTempFolder() + FImportIDF->BoardFile.FileName + "AutoParts");
  PrepareGlobalPlacementList();
  CreateAutoParts();
  if (MainStopCheck()) return;
  CreatePcbPartNew(true);
  if (MainStopCheck()) return;
  // Components sit on the board as it was just built, whatever the thickness entry said at load.
  FBrdThickness = FImportIDF->BoardThickness;

  // A program started on its own has no host root; the assembly gets an instance of its own.
  std::shared_ptr<ICVRoot> root = fCorvaneRoot;
  THostInstance ownInstance = StepHostInstance();
  if (!root) {
    LocalGetRootAndInit(&ownInstance.Hook, ownInstance.Root, true);
    root = ownInstance.Root;
  }

  const std::string name = RemoveExt(ExtractFileName(FAssemblyFilename));
  std::shared_ptr<ICVAssemblySession> assy;
  try {
    if (root) assy = root->CreateEmptyAssembly(name);
  } catch (const std::exception& e) {
    FImportIDF->ReportException("creating assembly : " + name, e.what());
    AdviseErrorsOrCloseExt(false, false);
    return;
  }
  auto session = std::dynamic_pointer_cast<ICVSession>(assy);
  if (!session) {
    UpdateButton.Visible = false;
    // Without this line the closing advice would report a clean import.
    FImportIDF->ErrorLog.Add("Failed to create assembly : " + name);
    AdviseErrorsOrCloseExt(false, false);
    return;
  }
  PlaceBoardOutlinePart(assy);
  if (MainStopCheck()) return;
  PlacePcbParts(assy);
  if (MainStopCheck()) return;

  FTimes.SetProgressTime(true);
  ProgressInit(1);  // one file; the bar must not show the placing phase's total
  if (UseVaultCb.Checked) {
    std::string folder = fVaultAssemblyFolder;
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    UpDateCaption("Saving temp. Assembly : " + name);
    session->SaveAll(folder);
  } else {
    UpDateCaption("Saving Assembly: " + name);
    session->SaveAs(CVVariant(ExtractFileDir(FAssemblyFilename)), name);
    if (FileExists(FAssemblyFilename)) {
      FFilesWritten.push_back(FAssemblyFilename);
      FLastAssemblyWritten = FAssemblyFilename;
    }
  }
  CorvaneFileUtils::ReportSaveNote(session, FAssemblyFilename, &FImportIDF->VerifyLog);
  ProgressStep();
  ProgressReset();
  FTimes.SetProgressTime(false);
  folderFlushes.Flush();
  FImportIDF->SummaryLog.Add("Time for Saving Assembly : " + FTimes.GetProgressTime());
  FTimes.SetTime(false);
  FImportIDF->SummaryLog.Add(FTimes.GetElapsedTime());
  // Ended before the closing advice, so that a failed terminate counts in it.
  ownInstance.End();
  AdviseErrorsOrCloseExt(false, false);
  UpdateButton.Visible = false;
}

void TCorvaneIdfImport::PlaceBoardOutlinePart(const TAssemblyPtr& AssySession) {
  UpDateCaption("Placing PCB Part");
  const std::string file =
      UseVaultCb.Checked ? GetWindowsTempFolder() + ExtractFileName(FBoardPartFilename) : FBoardPartFilename;
  if (!FileExists(file)) {
    FImportIDF->ErrorLog.Add("Failed to Place Board Outline Part- " + file + " does not exist");
  } else if (auto occ = PlacePartExt(file, AssySession, true, 0, 0, 0, 0)) {
    occ->Set_Name(RemoveExt(ExtractFileName(file)));
    occ->Set_IsAnchored(true);
    occ->Set_Color(GetPrefixColour("PCB"));
  } else {
    FImportIDF->ErrorLog.Add("Failed to Place Board Outline Part" + PlaceErrorSuffix());
  }
  UpDateCaption("");
}

std::string TCorvaneIdfImport::PlacementRefusal(const TIdfPartPlacementObject& P) const {
  // Transforms built from these would carry them into the kernel and the assembly file.
  if (!figurechecks::InRange(P.FX) || !figurechecks::InRange(P.FY)) return "position out of range";
  if (!figurechecks::InRange(P.FRotation)) return "rotation out of range";
  if (!P.FTop && !figurechecks::InRange(FBrdThickness))
    return "board thickness " + figurechecks::NumberText(FBrdThickness) + " out of range";
  return {};
}

void TCorvaneIdfImport::PlacePcbParts(const TAssemblyPtr& AssySession) {
  UpDateCaption("Placing Parts");
  FTimes.SetProgressTime(true);
  ProgressInit(FPartPlaceList.Count());
  int placed = 0;
  std::vector<std::string> leftOut;  // "designator | package | why"
  std::vector<std::pair<std::string, int>> notInLibrary;
  for (int i = 0; i < FPartPlaceList.Count(); ++i) {
    const TIdfPartPlacementObject& P = FPartPlaceList.GetPartRecord(i);
    const std::string file = P.FActualPart;
    if (const std::string why = PlacementRefusal(P); !why.empty()) {
      FImportIDF->ErrorLog.Add("Placement left out: PLACEMENT: " + P.FDes + " | " + P.FPackageName + " at (" +
                               figurechecks::NumberText(P.FX) + ", " + figurechecks::NumberText(P.FY) + ") " +
                               EnumName(FImportIDF->OutputUnits) + " rotation " +
                               figurechecks::NumberText(P.FRotation) + " | " + why);
      leftOut.push_back(P.FDes + " | " + P.FPackageName + " | " + why);
    } else if (FileExists(file)) {
      try {
        if (PlacePartFromPartObject(AssySession, P)) {
          ++placed;
        } else {
          FImportIDF->ErrorLog.Add("Failed to place part : " + P.FDes + " | " + P.FPackageName + PlaceErrorSuffix());
          leftOut.push_back(P.FDes + " | " + P.FPackageName + " | placing failed");
        }
      } catch (const std::exception& e) {
        FImportIDF->ReportException("Exception placing : " + P.FDes + "  | " + file, e.what());
        leftOut.push_back(P.FDes + " | " + P.FPackageName + " | placing failed");
      }
      if (StopCheck()) return;
    } else if (P.FAutoPart && !InLibrary(P.FPackageName)) {
      leftOut.push_back(P.FDes + " | " + P.FPackageName + " | no library outline");
      auto it = std::find_if(notInLibrary.begin(), notInLibrary.end(),
                             [&P](const auto& m) { return SameTextAscii(m.first, P.FPackageName); });
      if (it == notInLibrary.end())
        notInLibrary.emplace_back(P.FPackageName, 1);
      else
        ++it->second;
    } else {
      leftOut.push_back(P.FDes + " | " + P.FPackageName + " | no part file " + file);
    }
    ProgressStep();
  }
  FTimes.SetProgressTime(false);
  ProgressReset();
  FImportIDF->SummaryLog.Add("Time for placing parts : " + FTimes.GetProgressTime());
  for (const auto& [package, count] : notInLibrary)
    FImportIDF->WarningLog.Add("Warning : package " + package + " is not in the library file (" +
                               std::to_string(count) + (count == 1 ? " placement)" : " placements)"));
  // Placements of the board file that the selection did not take.
  if (const TSection* s = FImportIDF->FindFirstSection(stPLACEMENT)) {
    // Counted, not searched in a list: a board of 20,000 placements made that quadratic.
    std::unordered_map<std::string, int> taken;
    for (const auto& p : FPartPlaceList) ++taken[p->FDes];
    for (int r = 0; r < s->Count(); ++r) {
      const TDataRec& rec = s->Items(r);
      auto it = taken.find(rec.Designator);
      if (it != taken.end() && it->second > 0)
        --it->second;
      else
        leftOut.push_back(rec.Designator + " | " + rec.PackageName + " | not selected");
    }
  }
  FImportIDF->SummaryLog.AddTabbed({"Components placed", std::to_string(placed)});
  FImportIDF->SummaryLog.AddTabbed({"Components left out", std::to_string(leftOut.size())});
  for (const auto& l : leftOut) FImportIDF->VerifyLog.Add("Left out : " + l);
}

bool TCorvaneIdfImport::InLibrary(const std::string& aPackageName) {
  for (TSectionType type : {stELECTRICAL, stMECHANICAL})
    for (const auto& s : FImportIDF->SectionList())
      if (s->SectType == type && SameTextAscii(s->GeometryName, aPackageName)) return true;
  return false;
}

TCorvaneIdfImport::TOccurrencePtr TCorvaneIdfImport::PlacePartFromPartObject(const TAssemblyPtr& aAssySession,
                                                                             const TIdfPartPlacementObject& P) {
  if (!FileExists(P.FActualPart)) return nullptr;
  auto occ = PlacePartExt(P.FActualPart, aAssySession, P.FTop, P.FX, P.FY, FBrdThickness, P.FRotation);
  if (!occ) return nullptr;
  // Found in the model tree by its designator.
  occ->Set_Name(P.FDes);
  if (P.FAutoPart) occ->Set_Color(GetPrefixColour(P.FDes.substr(0, 1)));
  if (AnchorPartsCb.Checked) occ->Set_IsAnchored(true);
  return occ;
}

TCorvaneIdfImport::TOccurrencePtr TCorvaneIdfImport::PlacePartExt(const std::string& aPartName,
                                                                  const TAssemblyPtr& aAssemblySession, bool aTop,
                                                                  double ax, double ay, double aBoardThickness,
                                                                  double aRot) {
  const CVVariant reference = FileExists(aPartName) ? CVVariant(aPartName) : CVVariant();
  const auto xf =
      CorvanePartUtils::CreatePartPlacementTransforms(aAssemblySession, aTop, ax, ay, aBoardThickness, aRot);
  TOccurrencePtr occ;
  FPlaceError.clear();
  try {
    occ = aAssemblySession->Get_RootOccurrence()->Get_Occurrences()->Add(reference, xf.Placement);
    if (occ) {
      if (aTop) {
        if (aRot != 0) occ->ApplyTransform(xf.Rotation);
      } else {
        occ->ApplyTransform(xf.Bottom);
        occ->ApplyTransform(xf.Rotation);
      }
    }
  } catch (const std::exception& e) {
    // No occurrence, as the caller expects; the reason goes into its error line.
    occ = nullptr;
    FPlaceError = e.what();
  }
  return occ;
}
