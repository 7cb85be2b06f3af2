// Outline lists into host sketches, and the extrusions made from them.
#include "CommonObjects/ScopeExit.h"
#include "host/CorvaneFeatureUtils.h"
#include "host/dialog/FigureChecks.h"
#include "host/dialog/ValdrinIdfImportForm.h"
#include "platform/Platform.h"

using namespace CorvaneX_TLB;
namespace fu = CorvaneFeatureUtils;

int TCorvaneIdfImport::AddOutlineToSketch(const TSketchPtr& Sketch, const TBoardOutlineObjectList& List, bool Progress,
                                          bool Heal) {
  Sketch->BeginChange();
  TScopeExit endChange([&] { Sketch->EndChange(); });
  std::vector<std::string> analysis;
  int lines = 0, arcs = 0, circles = 0, rectangles = 0;
  {
    TBoardOutlineObjectList figures;
    std::vector<std::string> refused;
    figurechecks::SketchableFigures(List, fu::kSketchTolerance, EnumName(FImportIDF->OutputUnits), figures, refused);
    for (const auto& line : refused) FImportIDF->ErrorLog.Add(line);
    if (Progress) {
      UpDateCaption(Sketch->Get_Name());
      ProgressInit(figures.Count());
    }
    for (const auto& element : figures) {
      const TOutlineObject& e = *element;
      switch (e.FElement) {
        case etLine:
          Sketch->Get_Figures()->AddLine(e.FX1, e.FY1, e.FX2, e.FY2);
          ++lines;
          break;
        case etArc:
          // The host draws counter-clockwise from start to end.
          if (e.FIsCw)
            Sketch->Get_Figures()->AddCircularArcByCenterStartEnd(e.FXC, e.FYC, e.FX2, e.FY2, e.FX1, e.FY1);
          else
            Sketch->Get_Figures()->AddCircularArcByCenterStartEnd(e.FXC, e.FYC, e.FX1, e.FY1, e.FX2, e.FY2);
          ++arcs;
          break;
        case etCircle:
        case etHole:
          Sketch->Get_Figures()->AddCircle(e.FXC, e.FYC, CVVariant(e.FRad));
          ++circles;
          break;
        case etRectangle:
          Sketch->Get_Figures()->AddRectangle(e.FX1, e.FY1, e.FX2, e.FY2);
          ++rectangles;
          break;
        default: break;
      }
      if (Progress) ProgressStep();
    }
    if (Progress) {
      ProgressReset();
      UpDateCaption("");
    }
    FImportIDF->StatusLog.Add(Sketch->Get_Name() + " :" + " Lines : " + std::to_string(lines) +
                              "; Arcs : " + std::to_string(arcs) + "; Circles : " + std::to_string(circles) +
                              "; Rectangles : " + std::to_string(rectangles));
    if (Heal) {
      UpDateCaption("Analysing Sketch");
      fu::AnalyseAndFixSketch(Sketch, fu::kSketchTolerance, analysis);
      UpDateCaption("");
    }
    for (const auto& line : analysis) FImportIDF->VerifyLog.Add(line);
  }
  return lines + arcs + circles + rectangles;
}

namespace {
// A depth no board or part can have (a damaged thickness or height) would reach the modelling
// kernel as it stands.
bool DepthRefused(TIDFfile& Idf, double Depth, const std::string& Name) {
  if (figurechecks::InRange(Depth)) return false;
  Idf.ErrorLog.Add("Extrusion refused for : " + Name + " | depth " + figurechecks::NumberText(Depth) + " " +
                   EnumName(Idf.OutputUnits) + " out of range");
  return true;
}

// While a host extrusion runs, the host asks for the Stop button and Ctrl-C between its steps.
class TStopPollScope {
 public:
  explicit TStopPollScope(THostStopPoll poll) { SetHostStopPoll(std::move(poll)); }
  ~TStopPollScope() { SetHostStopPoll({}); }
  TStopPollScope(const TStopPollScope&) = delete;
  TStopPollScope& operator=(const TStopPollScope&) = delete;
};
}  // namespace

TCorvaneIdfImport::TExtrusionPtr TCorvaneIdfImport::LocalExtrudeSketch(const TFeaturesPtr& Features,
                                                                       const TSketchPtr& Sketch, bool Reverse,
                                                                       double Thickness, const std::string& Name) {
  TStopPollScope stop([this] {
    platform::Services().ProcessMessages();
    return fStopRequest;
  });
  try {
    return Features->AddExtrudedBoss(Sketch, CVVariant(Thickness), CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr,
                                     nullptr, Reverse, CVVariant(int32_t(0)), false, Name, "", "");
  } catch (const std::exception& e) {
    FImportIDF->ReportException("Exception during Extrusion for : " + Name, e.what());
    return nullptr;
  }
}

TCorvaneIdfImport::TExtrusionPtr TCorvaneIdfImport::LocalCutSketch(const TFeaturesPtr& Features,
                                                                   const TSketchPtr& Sketch, const std::string& Name) {
  TStopPollScope stop([this] {
    platform::Services().ProcessMessages();
    return fStopRequest;
  });
  try {
    return Features->AddExtrudedCutout(Sketch, CVVariant(int32_t(1)), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0, nullptr,
                                       nullptr, true, CVVariant(int32_t(0)), false, Name, "", "");
  } catch (const std::exception& e) {
    FImportIDF->ReportException("Exception during Cut for : " + Name, e.what());
    return nullptr;
  }
}

namespace {
bool HasError(const TCorvaneIdfImport::TExtrusionPtr& Feature) {
  auto f = std::dynamic_pointer_cast<ICVPartFeature>(Feature);
  return f && f->Get_HasError();
}
}  // namespace

void TCorvaneIdfImport::SketchAndCreateBoss(const TPartPtr& PartSession, const TFeaturesPtr& Features, bool Top,
                                            const std::string& FeatureName, const TBoardOutlineObjectList& List,
                                            double Thickness) {
  auto face = fu::GetTopOrBottomFaceFromBody(fBoardOutlineBody, Top);
  if (!face) return;
  if (DepthRefused(*FImportIDF, Thickness, FeatureName)) return;
  auto sketch = PartSession->Get_Sketches()->AddSketch(nullptr, face, FeatureName + FSketchStr);
  if (!sketch) return;
  AddOutlineToSketch(sketch, List, true, true);
  ShowBoardStage();
  UpDateCaption("Extruding : " + FeatureName);
  auto feature = LocalExtrudeSketch(Features, sketch, false, Thickness, FeatureName);
  if (!feature) FImportIDF->ErrorLog.Add("Failed to add boss for " + FeatureName);
  if (HasError(feature)) FImportIDF->ErrorLog.Add("Extrusion failed for : " + FeatureName + "  | Part Feature error");
  UpDateCaption(" ");
}

TCorvaneIdfImport::TExtrusionPtr TCorvaneIdfImport::CreateBaseExtrude(const TPartPtr& PartSession,
                                                                      const std::string& FeatureName,
                                                                      TBoardOutlineObjectList& List, bool Reverse,
                                                                      bool ShowProgressBar,
                                                                      const std::string& ReportName) {
  if (!PartSession) return nullptr;
  auto design = std::dynamic_pointer_cast<ICVDesignSession>(PartSession);
  if (!design) return nullptr;
  auto features = PartSession->Get_Features();
  if (!features) return nullptr;
  auto plane = fu::GetXyPlane(design);
  if (!plane) return nullptr;
  if (DepthRefused(*FImportIDF, List.fBodyHeight, ReportName.empty() ? FeatureName : ReportName)) return nullptr;
  auto sketch = PartSession->Get_Sketches()->AddSketch(nullptr, plane, FeatureName);
  if (!sketch) return nullptr;
  AddOutlineToSketch(sketch, List, ShowProgressBar, true);
  auto feature = LocalExtrudeSketch(features, sketch, Reverse, List.fBodyHeight, FeatureName);
  if (HasError(feature))
    FImportIDF->ErrorLog.Add("Extrusion failed for : " + (ReportName.empty() ? FeatureName : ReportName) +
                             "  | Part Feature error");
  return feature;
}
