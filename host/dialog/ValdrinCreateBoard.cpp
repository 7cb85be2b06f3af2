// The board part: the outline extruded by the board thickness with its cut-outs, copper and
// overlay bosses, drilled holes cut through, and outline and keep-out bosses.
#include "CommonObjects/FileUtils.h"
#include "CommonObjects/ScopeExit.h"
#include "CommonObjects/WinUtils.h"
#include "host/CorvaneFeatureUtils.h"
#include "host/CorvaneFileUtils.h"
#include "host/dialog/FigureChecks.h"
#include "host/dialog/ValdrinIdfImportForm.h"

using namespace CorvaneX_TLB;
namespace fu = CorvaneFeatureUtils;
using TOutlineLists = std::vector<std::unique_ptr<TBoardOutlineObjectList>>;

namespace {
constexpr int32_t kBoardColourBeforeFeatures = 65280;
constexpr int32_t kBoardColour = 16711680;
// The board's own bar: outline, PCB features, holes, other outlines, saving.
constexpr int kBoardStages = 5;
const std::string kBoardSection = "BOARD_OUTLINE";

std::string FeatureError(const TCorvaneIdfImport::TExtrusionPtr& feature) {
  auto f = std::dynamic_pointer_cast<ICVPartFeature>(feature);
  return f && f->Get_HasError() ? f->Get_ErrorText() : std::string();
}
}  // namespace

void TCorvaneIdfImport::ShowBoardStage() {
  if (fBoardStage < 0) return;
  if (fBoardStage == 0) {
    ProgressInit(kBoardStages);
    return;
  }
  // Straight to the stage, without passing through 0 on the way.
  ProgressBar1.Max = kBoardStages;
  ProgressBar1.Step = 1;
  ProgressBar1.Position = fBoardStage - 1;
  ProgressStep();
}

bool TCorvaneIdfImport::BuildBoardLoops(const TBoardOutlineObjectList& List, TBoardOutlineObjectList& Loops) {
  Loops.AddListProperties(List);
  std::vector<std::string> problems;
  const bool ok =
      figurechecks::BuildableBoardLoops(List, fu::kSketchTolerance, EnumName(FImportIDF->OutputUnits), Loops, problems);
  for (const auto& p : problems) FImportIDF->ErrorLog.Add(p);
  if (!ok) FImportIDF->ErrorLog.Add(kBoardSection + ": the outer loop cannot be built | the board part has no solid");
  return ok;
}

std::shared_ptr<ICVBody> TCorvaneIdfImport::BoardBody(const TPartPtr& Part, const TExtrusionPtr& Feature) {
  // A board without volume is no board; the features and holes would only hide that.
  auto body = fu::GetFirstBody(Part);
  const std::string why = FeatureError(Feature);
  if (body && why.empty() && body->Get_Volume() > 0) return body;
  FImportIDF->ErrorLog.Add(kBoardSection + ": the board outline gives no solid" + (why.empty() ? "" : " | " + why));
  return nullptr;
}

void TCorvaneIdfImport::GetBoardOutlineFromIdf(TBoardOutlineObjectList& List) {
  if (TSection* section = FImportIDF->FindFirstSection(stBOARD_OUTLINE))
    FImportIDF->SectionToOutlineList(section, List, fCorvaneFactor);
}

void TCorvaneIdfImport::CreatePcbPartNew(bool aCloseWhenDone) {
  FTimes.SetProgressTime(true);
  fBoardStage = 0;
  ShowBoardStage();
  UpDateCaption("Creating Board Outline Part");
  InitialiseFormSettings();
  TBoardOutlineObjectList list;
  // Every way out of the build writes the timing line, after the host instance has ended.
  TScopeExit finish([this] {
    fBoardOutlineBody.reset();
    fBoardStage = -1;
    ProgressReset();
    UpDateCaption(" ");
    FTimes.SetProgressTime(false);
    FImportIDF->SummaryLog.Add("Time for creating outline part : " + FTimes.GetProgressTime());
  });
  THostInstance host = StepHostInstance();

  {
    if (LocalGetRootAndInit(&host.Hook, host.Root, true)) {
      const std::string partName = RemoveExt(ExtractFileName(FBoardPartFilename));
      if (auto part = CreatePart(host.Root, partName)) {
        GetBoardOutlineFromIdf(list);
        TBoardOutlineObjectList loops;
        if (list.Empty()) {
          // A missing or rejected section has its line from the analysis already.
          if (FImportIDF->FindFirstSection(stBOARD_OUTLINE))
            FImportIDF->ErrorLog.Add(kBoardSection + ": the board outline is empty | the board part has no solid");
        } else if (BuildBoardLoops(list, loops)) {
          // Board extrusion: all loops in one sketch, so cut-outs become openings.
          part->Set_Color(kBoardColourBeforeFeatures);
          UpDateCaption("Extruding: " + FBoardOutlineFeature);
          loops.fBodyHeight = FImportIDF->BoardThickness * fCorvaneFactor;
          if (auto feature = CreateBaseExtrude(part, FBoardOutlineFeature, loops, true, true)) {
            fBoardOutlineBody = BoardBody(part, feature);
            auto stage = [this](int done) {
              fBoardStage = done;
              ShowBoardStage();
            };
            stage(1);
            if (fBoardOutlineBody) {
              part->Set_Color(kBoardColour);
              ProcessPcbFeatureOutlines(part);
              stage(2);
              if (!StopCheck()) ProcessDrilledHoles(part);
              stage(3);
              if (!StopCheck()) ProcessMiscOutlines(part);
              FImportIDF->VerifyLog.Add("Board Outline feature created");
            }
            stage(4);
            UpDateCaption("");
          } else {
            FImportIDF->ErrorLog.Add(kBoardSection + ": the board outline could not be extruded");
          }
        }
        auto session = std::dynamic_pointer_cast<ICVSession>(part);
        if (!StopCheck() && session) {
          UpDateCaption("Saving PCB Part: " + partName);
          try {
            if (UseVaultCb.Checked) {
              session->SaveAll(GetWindowsTempFolder());
              CorvaneFileUtils::ReportSaveNote(session, FBoardPartFilename, &FImportIDF->VerifyLog);
            } else {
              CorvaneFileUtils::SaveAsAndClose(session, FBoardPartFilename, aCloseWhenDone, &FImportIDF->VerifyLog);
              if (FileExists(FBoardPartFilename)) FFilesWritten.push_back(FBoardPartFilename);
            }
            fBoardStage = kBoardStages;
            ShowBoardStage();
          } catch (const std::exception& e) {
            FImportIDF->ReportException("Exception on Save for : " + partName, e.what());
          }
          UpDateCaption("");
        }
      }
    }
  }
}

void TCorvaneIdfImport::ProcessPcbFeatureOutlines(const TPartPtr& PartSession) {
  auto features = PartSession->Get_Features();
  if (!features) return;
  TOutlineLists lists;
  GetPcbFeatureOutlineLists(lists);
  for (auto& list : lists) {
    const std::string name = (list->fTop ? "Top" : "Bottom") + list->fListName;
    if (list->Empty()) {
      FImportIDF->VerifyLog.Add("Nothing to build for : " + name);
      continue;
    }
    // Bottom features are drawn on the bottom face, seen from below.
    if (!list->fTop) list->Mirror(true, false, false);
    if (list->fBodyHeight > 0) {
      SketchAndCreateBoss(PartSession, features, list->fTop, name, *list, list->fBodyHeight);
      if (StopCheck()) break;
    } else {
      FImportIDF->ErrorLog.Add("Failed to add : " + name + " | extrusion thickness is zero");
    }
  }
}

void TCorvaneIdfImport::ProcessMiscOutlines(const TPartPtr& PartSession) {
  auto features = PartSession->Get_Features();
  if (!features) return;
  TOutlineLists lists;
  GetMiscFeatureOutlineLists(lists);
  for (auto& list : lists) {
    const std::string name = list->fListName;
    if (list->Empty()) {
      FImportIDF->VerifyLog.Add("Nothing to build for : " + name);
      continue;
    }
    if (!list->fTop) list->Mirror(true, false, true);
    if (list->fBodyHeight > 0) {
      SketchAndCreateBoss(PartSession, features, list->fTop, name, *list, list->fBodyHeight);
      if (StopCheck()) break;
    } else {
      FImportIDF->ErrorLog.Add("Failed to add : " + name + " | extrusion thickness is zero");
    }
  }
}

void TCorvaneIdfImport::ProcessDrilledHoles(const TPartPtr& PartSession) {
  auto features = PartSession->Get_Features();
  if (!features) return;
  auto face = fu::GetTopOrBottomFaceFromBody(fBoardOutlineBody, true);
  if (!face) return;
  TOutlineLists lists;
  GetDrilledHoleOutlineLists(lists);
  for (auto& list : lists) {
    if (list->Empty()) continue;
    list->ApplyFactor(fCorvaneFactor);
    SketchAndCutHoles(PartSession, face, *list);
    if (StopCheck()) break;
  }
  AddHoleFilterDataToLog();
}

void TCorvaneIdfImport::SketchAndCutHoles(const TPartPtr& PartSession, const std::shared_ptr<ICVFace>& RefFace,
                                          const TBoardOutlineObjectList& List) {
  if (!RefFace || !PartSession) return;
  auto sketch = PartSession->Get_Sketches()->AddSketch(nullptr, RefFace, List.fListName + FSketchStr);
  if (!sketch) return;
  const int drawn = AddOutlineToSketch(sketch, List, true, false);
  ShowBoardStage();  // the sketch's own bar is done; the cut shows where the board stands
  if (drawn == 0) {
    // Every hole of the list was refused and reported.
  } else if (sketch->Get_IsClosed()) {
    UpDateCaption("Cutting: " + List.fListName);
    auto cut = LocalCutSketch(PartSession->Get_Features(), sketch, List.fListName);
    const std::string why = FeatureError(cut);
    if (!cut)
      FImportIDF->ErrorLog.Add("Cut Extrude failed for " + List.fListName);
    else if (!why.empty())
      FImportIDF->ErrorLog.Add("Cut Extrude failed for " + List.fListName + " | " + why);
    else
      FImportIDF->VerifyLog.Add("Added " + std::to_string(drawn) + " holes to " + List.fListName);
  } else {
    FImportIDF->ErrorLog.Add("Cut Extrude failed for " + List.fListName + " | Sketch is Open");
  }
  UpDateCaption(" ");
}
