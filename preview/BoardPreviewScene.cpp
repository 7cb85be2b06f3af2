#include "preview/BoardPreviewScene.h"

#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <tuple>

#include "CommonObjects/PcbObjectList.h"
#include "import/IdfImportV4_XE2.h"

namespace {
constexpr double kStepDegrees = 5;  // fine enough for a screen, cheap for boards of many arcs

void AppendArc(QPolygonF& poly, const QPointF& centre, double radius, double from, double sweep) {
  const int steps = std::max(4, static_cast<int>(std::ceil(std::abs(sweep) * 180 / std::numbers::pi / kStepDegrees)));
  for (int i = 1; i <= steps; ++i) {
    const double a = from + sweep * i / steps;
    poly << centre + QPointF(radius * std::cos(a), radius * std::sin(a));
  }
}

// The sweep from angle a0 to a1 in the arc's direction; equal ends make a full turn.
double Sweep(double a0, double a1, bool clockwise) {
  const double turn = 2 * std::numbers::pi;
  double s = std::fmod(clockwise ? a0 - a1 : a1 - a0, turn);
  if (s <= 1e-12) s += turn;
  return clockwise ? -s : s;
}

std::vector<QPolygonF> LoopsOf(const TBoardOutlineObjectList& list) {
  std::vector<QPolygonF> loops;
  int label = 0;
  bool open = false;  // the last polygon takes more edges of its loop
  for (const auto& e : list) {
    if (e->FElement == etCircle) {
      QPolygonF c;
      c << QPointF(e->FXC + e->FRad, e->FYC);
      AppendArc(c, QPointF(e->FXC, e->FYC), e->FRad, 0, 2 * std::numbers::pi);
      loops.push_back(std::move(c));
      open = false;
      continue;
    }
    if (e->FElement != etLine && e->FElement != etArc) continue;
    const QPointF start(e->FX1, e->FY1), end(e->FX2, e->FY2);
    if (!open || e->FLoopLabel != label) {
      loops.emplace_back();
      loops.back() << start;
      label = e->FLoopLabel;
      open = true;
    }
    QPolygonF& poly = loops.back();
    if (e->FElement == etLine) {
      poly << end;
    } else {
      const QPointF c(e->FXC, e->FYC);
      const double a0 = std::atan2(e->FY1 - e->FYC, e->FX1 - e->FXC);
      const double a1 = std::atan2(e->FY2 - e->FYC, e->FX2 - e->FXC);
      AppendArc(poly, c, std::hypot(e->FX1 - e->FXC, e->FY1 - e->FYC), a0, Sweep(a0, a1, e->FIsCw));
    }
  }
  return loops;
}

// Where the assembly puts a package point: rotated on the top side; on the bottom turned over
// about the package's Y axis, then rotated the other way (the model's placement, seen from above).
QPointF Place(const QPointF& local, const TDataRec& r) {
  const double a = r.Rotation * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  const double u = local.x(), v = local.y();
  if (r.Side == ltBOTTOM) return {r.X - u * c + v * s, r.Y + u * s + v * c};
  return {r.X + u * c - v * s, r.Y + u * s + v * c};
}

using THoleKey = std::tuple<double, double, double, int, bool>;
}  // namespace

std::vector<QPolygonF> SectionLoops(TIDFfile& idf, const TSection& section) {
  TBoardOutlineObjectList list;
  idf.SectionToOutlineList(&section, list, 1.0);
  auto loops = LoopsOf(list);
  list.FreeListObjects();
  return loops;
}

QRectF TBoardPreviewScene::Bounds() const {
  QRectF r;
  auto add = [&r](const std::vector<QPolygonF>& loops) {
    for (const auto& l : loops) r = r.united(l.boundingRect());
  };
  add(Board);
  for (const auto& a : Areas) add(a.Loops);
  for (const auto& c : Components) {
    add(c.Outline);
    r = r.united(QRectF(c.Position, QSizeF(0, 0)));
  }
  for (const auto& h : Holes) r = r.united(QRectF(h.Centre - QPointF(h.Radius, h.Radius), QSizeF(2, 2) * h.Radius));
  return r;
}

const TPreviewComponent* TBoardPreviewScene::ComponentAt(const QPointF& p) const {
  for (bool top : {true, false})
    for (auto it = Components.rbegin(); it != Components.rend(); ++it)
      if (it->Top == top)
        for (const auto& loop : it->Outline)
          if (loop.containsPoint(p, Qt::OddEvenFill)) return &*it;
  return nullptr;
}

TBoardPreviewScene BuildBoardPreviewScene(TIdfImportFormV4_XE2& d) {
  TBoardPreviewScene scene;
  if (!d.FImportIDF) return scene;
  TIDFfile& idf = *d.FImportIDF;
  scene.UnitLabel = d.BoardThicknessUnitsLabel.Caption;
  scene.WorkingUnitsPerSceneUnit = ConvertToUnits(idf.OutputUnits, d.FFormUnits, 1.0);
  scene.Precision = d.FPrecision;

  for (TSectionType t : {stBOARD_OUTLINE, stPANEL_OUTLINE})
    if (const TSection* s = idf.FindFirstSection(t); s && scene.Board.empty()) scene.Board = SectionLoops(idf, *s);

  for (const auto& s : idf.SectionList()) {
    switch (s->SectType) {
      case stOTHER_OUTLINE:
      case stROUTE_OUTLINE:
      case stPLACE_OUTLINE:
      case stROUTE_KEEPOUT:
      case stVIA_KEEPOUT:
      case stPLACE_KEEPOUT:
      case stPLACE_REGION:
        scene.Areas.push_back({s->SectType, s->LayerType, s->GeometryName, SectionLoops(idf, *s),
                               s->SectType == stOTHER_OUTLINE ? !d.PcbFeatureKind(*s).empty()
                                                              : d.DoMiscOutlineSectionCheck(s->SectType)});
        break;
      default: break;
    }
  }

  // The holes the import cuts are those of its own hole lists.
  std::multiset<THoleKey> cut;
  {
    std::vector<std::unique_ptr<TBoardOutlineObjectList>> lists;
    d.GetDrilledHoleOutlineLists(lists);
    for (auto& l : lists) {
      for (const auto& e : *l) cut.emplace(e->FXC, e->FYC, e->FRad, e->FIdfHoleType, e->FPlated);
      l->FreeListObjects();
    }
  }
  if (const TSection* holes = idf.FindFirstSection(stDRILLED_HOLES))
    for (const auto& r : holes->Records()) {
      if (r->RecType != rtDRILLED_HOLE) continue;
      TPreviewHole h{QPointF(r->X, r->Y), r->Radius, r->HoleType, r->PlatingStyle == psPTH};
      const auto it = cut.find({r->X, r->Y, r->Radius, TIDFfile::TranslateHoleType(r->HoleType), h.Plated});
      h.Cut = it != cut.end();
      if (h.Cut) cut.erase(it);
      scene.Holes.push_back(h);
    }

  d.GetSelectedPackages();
  d.GetSelectedDesignators();
  scene.HasSelection = d.FWeHaveSelectedPart || d.FWeHaveSelectedDesignator;
  double defaultHeight = -1;
  if (!TryStrToFloat(d.DefaultHeightEdit.Text(), defaultHeight)) defaultHeight = -1;

  // The first library section of a package name gives its outline, as in the import.
  struct TPackage {
    std::vector<QPolygonF> Loops;
    double Height = -1;
  };
  std::map<std::string, TPackage> packages;
  for (const auto& s : idf.SectionList()) {
    if (s->SectType != stELECTRICAL && s->SectType != stMECHANICAL) continue;
    const std::string key = UpperCase(s->GeometryName);
    if (packages.count(key)) continue;
    packages[key] = {SectionLoops(idf, *s), s->Thickness * scene.WorkingUnitsPerSceneUnit};
  }
  if (const TSection* placements = idf.FindFirstSection(stPLACEMENT)) {
    const int n = std::min(placements->NumPlacements, placements->Count());
    for (int i = 0; i < n; ++i) {
      const TDataRec& r = placements->Items(i);
      TPreviewComponent c;
      c.Designator = r.Designator;
      c.Package = r.PackageName;
      c.Position = QPointF(r.X, r.Y);
      c.Top = r.Side != ltBOTTOM;
      c.Selected = d.PartSelectionCheckExt(r.PackageName) || d.ThisDesignatorIsSelectedExt(r.Designator);
      c.Height = defaultHeight;
      if (auto it = packages.find(UpperCase(r.PackageName)); it != packages.end()) {
        c.Height = it->second.Height;
        for (const auto& loop : it->second.Loops) {
          QPolygonF placed;
          placed.reserve(loop.size());
          for (const auto& p : loop) placed << Place(p, r);
          c.Outline.push_back(std::move(placed));
        }
      }
      scene.Components.push_back(std::move(c));
    }
  }
  return scene;
}
