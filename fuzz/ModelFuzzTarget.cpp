#include "fuzz/ModelFuzzTarget.h"

#include "CommonObjects/IDFfile.h"
#include "corvane/CorvaneServer.h"
#include "fuzz/IdfFuzzTarget.h"
#include "host/dialog/FigureChecks.h"

using namespace CorvaneX_TLB;

namespace {

void Draw(const std::shared_ptr<ICVSketch>& s, const TBoardOutlineObjectList& list) {
  auto figs = s->Get_Figures();
  for (const auto& e : list) {
    switch (e->FElement) {
      case etLine: figs->AddLine(e->FX1, e->FY1, e->FX2, e->FY2); break;
      case etArc:
        if (e->FIsCw)
          figs->AddCircularArcByCenterStartEnd(e->FXC, e->FYC, e->FX2, e->FY2, e->FX1, e->FY1);
        else
          figs->AddCircularArcByCenterStartEnd(e->FXC, e->FYC, e->FX1, e->FY1, e->FX2, e->FY2);
        break;
      case etCircle:
      case etHole: figs->AddCircle(e->FXC, e->FYC, CVVariant(e->FRad)); break;
      default: break;
    }
  }
}

std::shared_ptr<ICVFace> TopFace(const std::shared_ptr<ICVPartSession>& part) {
  auto bodies = part->Get_Bodies();
  if (bodies->Get_Count() == 0) return nullptr;
  auto faces = bodies->Get_Item(0)->Get_Faces();
  for (int i = 0; i < faces->Get_Count(); ++i) {
    auto f = faces->Get_Item(i);
    auto g = f->Get_Geometry();
    auto n = g->NormalAtPoint(g->PointAtParam(0.5, 0.5));
    if (n && std::abs(n->Get_Z() * (f->Get_IsSenseReversed() ? -1 : 1) - 1) < 1e-4) return f;
  }
  return nullptr;
}

}  // namespace

int ModelFuzzOne(const std::uint8_t* data, std::size_t size) {
  TIDFfile f;
  PrepareFuzzFileSet(f, SplitFuzzInput(data, size).Board);
  try {
    if (!f.PreFormatIdfData() || !f.LoadIdfData()) return 0;
  } catch (const EListIndexError&) {
    return 0;
  }
  f.UpdateBoardThickness();
  TSection* outline = f.FindFirstSection(stBOARD_OUTLINE);
  if (!outline) return 0;
  TBoardOutlineObjectList raw, loops;
  f.SectionToOutlineList(outline, raw, 1.0);
  std::vector<std::string> problems;
  if (!figurechecks::BuildableBoardLoops(raw, 1e-4, "CM", loops, problems)) return 0;
  TBoardOutlineObjectList base;
  figurechecks::SketchableFigures(loops, 1e-4, "CM", base, problems);
  if (base.Empty()) return 0;

  auto hook = corvane::CreateCorvaneServer();
  auto root = std::dynamic_pointer_cast<ICVRoot>(hook->Get_Root());
  try {
    auto part = root->CreateEmptyPart("Board", false);
    auto planes = std::dynamic_pointer_cast<ICVDesignSession>(part)->Get_DesignPlanes();
    auto sketch = part->Get_Sketches()->AddSketch(nullptr, planes->Get_Item(0), "Board");
    Draw(sketch, base);
    sketch->Analyze(true, true, true, true, true, true, 1e-4);
    double t = f.BoardThickness > 0 && f.BoardThickness < 10 ? f.BoardThickness : 0.16;
    part->Get_Features()->AddExtrudedBoss(sketch, t, CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr, nullptr, true,
                                          int32_t(0), false, "Board", "", "");
    for (TSection* s = f.FindFirstSection(stDRILLED_HOLES); s; s = f.FindNextSection()) {
      for (THoleType h : {htPIN, htVIA, htMTG, htTOOL, htOTHER})
        for (TPlatingStyle p : {psPTH, psNPTH}) {
          TBoardOutlineObjectList holes, kept;
          f.DrilledHolesSectionToOutlineList(s, h, p, false, true, 0, holes);
          figurechecks::SketchableFigures(holes, 1e-4, "CM", kept, problems);
          auto face = TopFace(part);
          if (kept.Empty() || !face) continue;
          auto hs = part->Get_Sketches()->AddSketch(nullptr, face, "Holes");
          Draw(hs, kept);
          if (hs->Get_IsClosed())
            part->Get_Features()->AddExtrudedCutout(hs, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0, nullptr,
                                                    nullptr, true, int32_t(0), false, "Holes", "", "");
        }
      break;  // one hole section is enough to reach every cut
    }
  } catch (const ECVHostError&) {
    // The host reports bad calls as errors by design.
  }
  root->Terminate();
  return 0;
}
