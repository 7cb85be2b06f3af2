// Section records to outline element lists, and the names of the hole categories.
#include "CommonObjects/IDFfile.h"
#include "CommonObjects/PcbObjectList.h"

namespace {
constexpr double kHoleFilterTolerance = 1e-5;

TOutlineObject HoleElement(const TDataRec& r, double f) {
  return TOutlineObject(etHole, 0, 0, 0, 0, r.X * f, r.Y * f, r.Radius * f, 0, 360, false);
}
}  // namespace

TIdfHoleType TIDFfile::TranslateHoleType(THoleType HoleType) {
  switch (HoleType) {
    case htPIN: return htIdfPin;
    case htVIA: return htIdfVia;
    case htMTG: return htIdfMounting;
    case htTOOL: return htIdfTooling;
    default: return htIdfOther;
  }
}

bool TIDFfile::TranslatePlatingStyleToBoolean(TPlatingStyle PlatingStyle) { return PlatingStyle == psPTH; }

bool TIDFfile::TopOrBottomLayerToBoolean(TLayerType aLayer) { return aLayer != ltBOTTOM; }

std::string TIDFfile::BuildHoleFeatureName(THoleType HoleType, TPlatingStyle PlatingStyle) {
  if (HoleType == htVIA && PlatingStyle == psPTH) return "ViaHoles";
  std::string plating;
  switch (PlatingStyle) {
    case psNONE: plating = "NonPlated"; break;
    case psPTH: plating = "Plated"; break;
    case psNPTH: plating = "NonPlated"; break;
    default: break;
  }
  switch (HoleType) {
    case htNONE: return plating + "NoneHoles";
    case htPIN: return plating + "PinHoles";
    case htVIA: return plating + "ViaHoles";
    case htMTG: return plating + "MountingHoles";
    case htTOOL: return plating + "ToolHoles";
    case htOTHER: return plating + "OtherHoles";
    default: return plating;
  }
}

std::string TIDFfile::BuildIdfHoleAttributeName(TPlatingStyle aPlatingStyle, THoleType aHoleType) {
  std::string prefix;
  if (aPlatingStyle == psPTH)
    prefix = "Pth";
  else if (aPlatingStyle == psNPTH)
    prefix = "Npth";
  else
    return {};
  switch (aHoleType) {
    case htNONE: return prefix + "NoneHoleCutAttribute";
    case htPIN: return prefix + "PinHoleCutAttribute";
    case htVIA: return prefix + "ViaHoleCutAttribute";
    case htMTG: return prefix + "MtgCutAttribute";
    case htTOOL: return prefix + "ToolingHoleCutAttribute";
    case htOTHER: return prefix + "OtherHoleCutAttribute";
    default: return {};
  }
}

void TIDFfile::AddHoleData(TBoardOutlineObjectList& List, int Index, const TDataRec& Rec) {
  TOutlineObject& e = List.GetRecord(Index);
  e.FPlated = TranslatePlatingStyleToBoolean(Rec.PlatingStyle);
  e.FIdfHoleType = TranslateHoleType(Rec.HoleType);
}

void TIDFfile::SectionToOutlineList(const TSection* Section, TBoardOutlineObjectList& List, double Factor) {
  if (Section == nullptr || Section->Count() == 0) return;
  const double f = Factor;
  const auto& recs = Section->Records();

  const std::string section = EnumName(Section->SectType);
  auto addHole = [&](const TDataRec& r, int label) {
    const int i = List.Add(std::make_shared<TOutlineObject>(HoleElement(r, f)));
    AddHoleData(List, i, r);
    List.GetRecord(i).FLoopLabel = label;
    List.GetRecord(i).FSourceSection = section;
    List.GetRecord(i).FSourceLine = r.Line;
  };

  if (recs[0]->RecType == rtDRILLED_HOLE) addHole(*recs[0], 0);

  for (std::size_t i = 1; i < recs.size(); ++i) {
    const TDataRec& prev = *recs[i - 1];
    const TDataRec& r = *recs[i];
    if (r.Loop != prev.Loop) continue;  // the start point of a new loop
    std::shared_ptr<TOutlineObject> e;
    switch (r.RecType) {
      case rtLINE:
        // A point followed by a circle is that circle's centre, not the end of an edge.
        if (i + 1 < recs.size() && recs[i + 1]->RecType == rtCIRCLE) break;
        e = std::make_shared<TOutlineObject>(etLine, prev.X * f, prev.Y * f, r.X * f, r.Y * f, 0, 0, 0, 0, 0, false);
        break;
      case rtARC:
        e = std::make_shared<TOutlineObject>(etArc, prev.X * f, prev.Y * f, r.X * f, r.Y * f, r.Xorig * f, r.Yorig * f,
                                             0, 0, 0, r.Direction < 0);
        break;
      case rtCIRCLE:
        e = std::make_shared<TOutlineObject>(etCircle, 0, 0, 0, 0, prev.X * f, prev.Y * f, r.Radius * f, 0, 360, false);
        break;
      case rtDRILLED_HOLE: addHole(r, r.Loop); break;
      default: break;
    }
    if (e) {
      e->FLoopLabel = r.Loop;
      e->FSourceSection = section;
      e->FSourceLine = r.Line;
      List.Add(std::move(e));
    }
  }

  List.fBodyHeight = f * Section->Thickness;
  List.fOffSet = f * Section->Offset;
  List.fNumLoops = Section->NumLoops;
  List.fColour = Section->BodyColour;
  List.fListName = Section->GeometryName;
  List.fTop = TopOrBottomLayerToBoolean(Section->LayerType);
}

void TIDFfile::DrilledHolesSectionToOutlineList(const TSection* Section, THoleType HoleType, TPlatingStyle PlatingStyle,
                                                bool aHoleFilterIsActive, bool aIsGreaterThan, double aHoleFilterValue,
                                                TBoardOutlineObjectList& List) {
  TBoardOutlineObjectList all;
  SectionToOutlineList(Section, all, 1);
  DrilledHolesToOutlineList(all, HoleType, PlatingStyle, aHoleFilterIsActive, aIsGreaterThan, aHoleFilterValue, List);
  all.FreeListObjects();
  all.Clear();
}

void TIDFfile::DrilledHolesToOutlineList(const TBoardOutlineObjectList& AllHoles, THoleType HoleType,
                                         TPlatingStyle PlatingStyle, bool aHoleFilterIsActive, bool aIsGreaterThan,
                                         double aHoleFilterValue, TBoardOutlineObjectList& List) {
  const bool plated = TranslatePlatingStyleToBoolean(PlatingStyle);
  const TIdfHoleType kind = TranslateHoleType(HoleType);
  for (const auto& e : AllHoles) {
    if (e->FElement != etHole || e->FPlated != plated || e->FIdfHoleType != kind) continue;
    if (aHoleFilterIsActive && !e->HoleFilterTest(aIsGreaterThan, aHoleFilterValue, kHoleFilterTolerance)) continue;
    List.AddFromRecord(*e);
  }
  List.fListName = BuildHoleFeatureName(HoleType, PlatingStyle);
  List.fAttributeName = BuildIdfHoleAttributeName(PlatingStyle, HoleType);
  List.fTop = true;
  List.MakeListWithTolerance(List, 0, 0);
}
