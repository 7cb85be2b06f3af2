#include "corvane/Solids.h"

#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Plane.hxx>
#include <Geom_Surface.hxx>
#include <Precision.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvane {
namespace {

// Holes closer than this to each other or to the boundary take the general boolean.
constexpr double kFastMargin = 1e-4;

const Geom_Surface* SurfaceKey(const TopoDS_Face& f) {
  TopLoc_Location loc;
  return BRep_Tool::Surface(f, loc).get();
}

TopoDS_Vertex MakeVertex(const gp_Pnt& p, double tol) {
  TopoDS_Vertex v;
  BRep_Builder().MakeVertex(v, p, std::max(tol, Precision::Confusion()));
  return v;
}

TPoint2 ArcPoint(const TFigure& f, TPoint2 towards) {
  double r = f.Radius();
  double d = std::hypot(towards.x - f.C.x, towards.y - f.C.y);
  return {f.C.x + r * (towards.x - f.C.x) / d, f.C.y + r * (towards.y - f.C.y) / d};
}

TopoDS_Wire MakeCircleWire(const gp_Ax3& frame, TPoint2 c, double r, bool ccw) {
  gp_Circ circ(gp_Ax2(SketchToWorld(frame, c), frame.Direction(), frame.XDirection()), r);
  TopoDS_Wire w = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(circ).Edge()).Wire();
  return ccw ? w : TopoDS::Wire(w.Reversed());
}

// Wire through the loop's figures; arcs keep their circle, lines run between the
// shared corner points, and corners get a tolerance that covers what healing left.
TopoDS_Wire MakeLoopWire(const gp_Ax3& frame, const std::vector<TFigure>& figs, const TLoop& loop, bool ccw) {
  if (loop.IsCircle()) return MakeCircleWire(frame, loop.C, loop.R, ccw);
  const size_t n = loop.Steps.size();
  // Start and end of each step in walking direction, on the figure's own curve.
  std::vector<TPoint2> s(n), e(n);
  for (size_t k = 0; k < n; ++k) {
    const TFigure& f = figs[loop.Steps[k].Figure];
    TPoint2 a = f.A, b = f.B;
    if (f.Kind == TFigureKind::Arc) {
      a = ArcPoint(f, f.A);
      b = ArcPoint(f, f.B);
    }
    s[k] = loop.Steps[k].Reversed ? b : a;
    e[k] = loop.Steps[k].Reversed ? a : b;
  }
  std::vector<TopoDS_Vertex> corner(n);  // corner k is where step k starts
  for (size_t k = 0; k < n; ++k) {
    size_t prev = (k + n - 1) % n;
    bool prevArc = figs[loop.Steps[prev].Figure].Kind == TFigureKind::Arc;
    bool curArc = figs[loop.Steps[k].Figure].Kind == TFigureKind::Arc;
    TPoint2 p = curArc ? s[k] : prevArc ? e[prev] : TPoint2{(s[k].x + e[prev].x) / 2, (s[k].y + e[prev].y) / 2};
    double gap = std::max(std::hypot(p.x - s[k].x, p.y - s[k].y), std::hypot(p.x - e[prev].x, p.y - e[prev].y));
    corner[k] = MakeVertex(SketchToWorld(frame, p), gap * 1.5 + 1e-9);
  }
  BRepBuilderAPI_MakeWire mw;
  for (size_t k = 0; k < n; ++k) {
    const TFigure& f = figs[loop.Steps[k].Figure];
    TopoDS_Vertex v0 = corner[k], v1 = corner[(k + 1) % n];
    TopoDS_Edge edge;
    if (f.Kind == TFigureKind::Line) {
      edge = BRepBuilderAPI_MakeEdge(v0, v1).Edge();
    } else {
      gp_Circ circ(gp_Ax2(SketchToWorld(frame, f.C), frame.Direction(), frame.XDirection()), f.Radius());
      // The circle runs counter-clockwise from A to B; walking the other way reverses it.
      BRepBuilderAPI_MakeEdge me =
          loop.Steps[k].Reversed ? BRepBuilderAPI_MakeEdge(circ, v1, v0) : BRepBuilderAPI_MakeEdge(circ, v0, v1);
      if (!me.IsDone()) throw std::runtime_error("an arc of the sketch cannot be built");
      edge = me.Edge();
      if (loop.Steps[k].Reversed) edge = TopoDS::Edge(edge.Reversed());
    }
    mw.Add(edge);
    if (!mw.IsDone()) throw std::runtime_error("the loop of the sketch cannot be joined");
  }
  TopoDS_Wire w = mw.Wire();
  bool isCcw = loop.SignedArea > 0;
  return isCcw == ccw ? w : TopoDS::Wire(w.Reversed());
}

void Extent(const TopoDS_Shape& s, const gp_Pnt& from, const gp_Dir& d, double& lo, double& hi) {
  Bnd_Box box;
  BRepBndLib::Add(s, box);
  double x0, y0, z0, x1, y1, z1;
  box.Get(x0, y0, z0, x1, y1, z1);
  lo = 1e300;
  hi = -1e300;
  for (double x : {x0, x1})
    for (double y : {y0, y1})
      for (double z : {z0, z1}) {
        double t = gp_Vec(from, gp_Pnt(x, y, z)).Dot(gp_Vec(d));
        lo = std::min(lo, t);
        hi = std::max(hi, t);
      }
}

// The loop in the coordinates of another frame on a parallel plane.
TLoop MapLoop(const TLoop& l, const gp_Ax3& from, const gp_Ax3& to) {
  TLoop m;
  if (l.IsCircle()) {
    m.C = WorldToSketch(to, SketchToWorld(from, l.C));
    m.R = l.R;
    m.Box = {m.C.x - m.R, m.C.y - m.R, m.C.x + m.R, m.C.y + m.R};
    return m;
  }
  m.Polygon.reserve(l.Polygon.size());
  for (auto p : l.Polygon) m.Polygon.push_back(WorldToSketch(to, SketchToWorld(from, p)));
  m.Box = {m.Polygon[0].x, m.Polygon[0].y, m.Polygon[0].x, m.Polygon[0].y};
  for (auto p : m.Polygon) {
    m.Box.x0 = std::min(m.Box.x0, p.x);
    m.Box.y0 = std::min(m.Box.y0, p.y);
    m.Box.x1 = std::max(m.Box.x1, p.x);
    m.Box.y1 = std::max(m.Box.y1, p.y);
  }
  return m;
}

// A copy of a cap with the same surface, place and wires, forward so that wires added
// to it keep their own orientation; the caller restores the cap's orientation.
TopoDS_Face CopyCap(const TopoDS_Face& f) {
  TopoDS_Face plain = f;
  plain.Location(TopLoc_Location());
  plain.Orientation(TopAbs_FORWARD);
  TopoDS_Face c = TopoDS::Face(plain.EmptyCopied());
  BRep_Builder bb;
  for (TopoDS_Iterator it(plain, false, false); it.More(); it.Next()) bb.Add(c, it.Value());
  c.Location(f.Location());
  return c;
}

gp_Dir PlaneNormal(const TopoDS_Face& f) {
  return Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(f))->Position().Direction();
}

}  // namespace

gp_Pnt SketchToWorld(const gp_Ax3& f, TPoint2 p) {
  return f.Location().Translated(gp_Vec(f.XDirection()) * p.x + gp_Vec(f.YDirection()) * p.y);
}

TPoint2 WorldToSketch(const gp_Ax3& f, const gp_Pnt& p) {
  gp_Vec v(f.Location(), p);
  return {v.Dot(gp_Vec(f.XDirection())), v.Dot(gp_Vec(f.YDirection()))};
}

std::vector<TopoDS_Face> MakeRegionFaces(const gp_Ax3& frame, const std::vector<TFigure>& figs,
                                         const std::vector<TLoop>& loops, const std::vector<TRegion>& regions) {
  std::vector<TopoDS_Face> faces;
  gp_Pln pln(frame);
  for (auto& r : regions) {
    BRepBuilderAPI_MakeFace mf(pln, MakeLoopWire(frame, figs, loops[r.Outer], true), true);
    for (int h : r.Holes) mf.Add(MakeLoopWire(frame, figs, loops[h], false));
    if (!mf.IsDone()) throw std::runtime_error("a region of the sketch cannot be made a face");
    faces.push_back(mf.Face());
  }
  return faces;
}

const std::vector<TopoDS_Face>& TBodyState::Faces() {
  if (!FFacesValid) {
    FFaces.clear();
    std::vector<std::pair<int, TopoDS_Face>> tagged;
    if (!FShape.IsNull())
      for (TopExp_Explorer ex(FShape, TopAbs_FACE); ex.More(); ex.Next()) {
        TopoDS_Face f = TopoDS::Face(ex.Current());
        auto it = FTags.find(SurfaceKey(f));
        tagged.emplace_back(it == FTags.end() ? 1 << 30 : it->second, f);
      }
    std::stable_sort(tagged.begin(), tagged.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (auto& [t, f] : tagged) FFaces.push_back(f);
    FFacesValid = true;
  }
  return FFaces;
}

void TBodyState::SetShape(const TopoDS_Shape& s, int newTag) {
  std::unordered_map<const Geom_Surface*, int> tags;
  for (TopExp_Explorer ex(s, TopAbs_FACE); ex.More(); ex.Next()) {
    const Geom_Surface* key = SurfaceKey(TopoDS::Face(ex.Current()));
    if (auto o = FTags.find(key); o != FTags.end())
      tags[key] = o->second;
    else
      tags[key] = newTag;
  }
  FShape = s;
  FTags.swap(tags);
  FFacesValid = false;
}

std::string TBodyState::AddBoss(int tag, const gp_Ax3& frame, const std::vector<TFigure>& figs,
                                const std::vector<TLoop>& loops, const std::vector<TRegion>& regions,
                                const gp_Vec& ext) {
  if (regions.empty()) return "the sketch has no closed region";
  std::vector<TopoDS_Face> faces = MakeRegionFaces(frame, figs, loops, regions);
  TopoDS_Compound tool;
  BRep_Builder bb;
  bb.MakeCompound(tool);
  for (auto& f : faces) {
    BRepPrimAPI_MakePrism mp(f, ext);
    if (!mp.IsDone()) return "the extrusion cannot be built";
    bb.Add(tool, mp.Shape());
  }
  if (FShape.IsNull()) {
    TopoDS_Shape s = tool;
    FSlab = {};
    if (faces.size() == 1) {
      TopExp_Explorer ex(tool, TopAbs_SOLID);
      s = ex.Current();
      FSlab.Valid = true;
      FSlab.Frame = frame;
      FSlab.Extrusion = ext;
      FSlab.Outer = loops[regions[0].Outer];
      for (int h : regions[0].Holes) FSlab.Blocked.push_back(loops[h]);
    }
    SetShape(s, tag);
    return {};
  }
  const bool keepsSlab = FSlab.Valid && StandsOnCap(frame, gp_Dir(ext));
  BRepAlgoAPI_Fuse fuse(FShape, tool);
  if (!fuse.IsDone() || fuse.HasErrors()) return "the boss cannot be joined to the body";
  if (keepsSlab)
    Block(frame, loops, regions);
  else
    FSlab.Valid = false;
  SetShape(fuse.Shape(), tag);
  return {};
}

bool TBodyState::StandsOnCap(const gp_Ax3& frame, const gp_Dir& dir) const {
  gp_Dir axis(FSlab.Extrusion);
  if (!frame.Direction().IsParallel(axis, 1e-9)) return false;
  double at = gp_Vec(FSlab.Frame.Location(), frame.Location()).Dot(gp_Vec(axis));
  double height = FSlab.Extrusion.Magnitude();
  if (std::abs(at) <= Precision::Confusion()) return dir.Dot(axis) < 0;
  if (std::abs(at - height) <= Precision::Confusion()) return dir.Dot(axis) > 0;
  return false;
}

bool TBodyState::SlabOnCutSide(const gp_Ax3& frame, const gp_Dir& dir) const {
  if (!gp_Dir(FSlab.Extrusion).IsParallel(dir, 1e-9)) return false;
  for (const gp_Pnt& cap : {FSlab.Frame.Location(), FSlab.Frame.Location().Translated(FSlab.Extrusion)})
    if (gp_Vec(frame.Location(), cap).Dot(gp_Vec(dir)) < -Precision::Confusion()) return false;
  return true;
}

void TBodyState::Block(const gp_Ax3& frame, const std::vector<TLoop>& loops, const std::vector<TRegion>& regions) {
  for (auto& r : regions) FSlab.Blocked.push_back(MapLoop(loops[r.Outer], frame, FSlab.Frame));
}

bool TBodyState::TryFastCut(int tag, const gp_Ax3& frame, const std::vector<TLoop>& loops, const gp_Dir& dir) {
  auto& S = FSlab;
  if (!S.Valid || loops.empty() || !SlabOnCutSide(frame, dir)) return false;
  for (auto& l : loops)
    if (!l.IsCircle()) return false;

  std::vector<TLoop> added;
  added.reserve(loops.size());
  for (auto& l : loops) {
    TLoop c = MapLoop(l, frame, S.Frame);
    if (!PointInLoop(S.Outer, c.C) || DistanceToLoop(S.Outer, c.C) <= c.R + kFastMargin) return false;
    added.push_back(std::move(c));
  }
  // Clear of each other and of everything already in the caps.
  const size_t old = S.Blocked.size();
  std::vector<TBox2> boxes;
  boxes.reserve(old + added.size());
  for (auto& b : S.Blocked) boxes.push_back(b.Box);
  for (auto& c : added) boxes.push_back(c.Box);
  bool clear = true;
  ForEachOverlappingPair(boxes, kFastMargin, [&](int i, int j) {
    if (!clear || static_cast<size_t>(j) < old) return;  // two old ones
    const TLoop& b = added[j - old];
    const TLoop& a = static_cast<size_t>(i) < old ? S.Blocked[i] : added[i - old];
    if (a.IsCircle()) {
      if (std::hypot(a.C.x - b.C.x, a.C.y - b.C.y) <= a.R + b.R + kFastMargin) clear = false;
    } else if (PointInLoop(a, b.C) || DistanceToLoop(a, b.C) <= b.R + kFastMargin) {
      clear = false;
    }
  });
  if (!clear) return false;

  // One solid of one shell, with one face in each cap plane.
  TopExp_Explorer solids(FShape, TopAbs_SOLID);
  if (!solids.More()) return false;
  TopoDS_Shape oldSolid = solids.Current();
  solids.Next();
  if (solids.More()) return false;
  int shells = 0;
  for (TopExp_Explorer ex(oldSolid, TopAbs_SHELL); ex.More(); ex.Next()) ++shells;
  if (shells != 1) return false;
  const gp_Dir axis(S.Extrusion);
  const double height = S.Extrusion.Magnitude();
  TopoDS_Face oldBottom, oldTop;
  std::vector<TopoDS_Face> kept;
  for (TopExp_Explorer ex(oldSolid, TopAbs_FACE); ex.More(); ex.Next()) {
    TopoDS_Face f = TopoDS::Face(ex.Current());
    Handle(Geom_Plane) pl = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(f));
    if (!pl.IsNull() && pl->Position().Direction().IsParallel(axis, 1e-9)) {
      double at = gp_Vec(S.Frame.Location(), pl->Location()).Dot(gp_Vec(axis));
      if (std::abs(at) <= Precision::Confusion()) {
        if (!oldBottom.IsNull()) return false;
        oldBottom = f;
        continue;
      }
      if (std::abs(at - height) <= Precision::Confusion()) {
        if (!oldTop.IsNull()) return false;
        oldTop = f;
        continue;
      }
    }
    kept.push_back(f);
  }
  if (oldBottom.IsNull() || oldTop.IsNull()) return false;

  TopoDS_Face bottom = CopyCap(oldBottom), top = CopyCap(oldTop);
  const gp_Dir nBottom = PlaneNormal(bottom), nTop = PlaneNormal(top);
  BRep_Builder bb;
  std::vector<TopoDS_Face> walls;
  walls.reserve(added.size());
  for (auto& c : added) {
    const gp_Pnt base = SketchToWorld(S.Frame, c.C);
    Handle(Geom_CylindricalSurface) cyl = new Geom_CylindricalSurface(gp_Ax3(base, axis, S.Frame.XDirection()), c.R);
    BRepBuilderAPI_MakeFace mf(cyl, 0, 2 * std::numbers::pi, 0, height, Precision::Confusion());
    if (!mf.IsDone()) return false;
    TopoDS_Face wall = mf.Face();
    // The wall's two circles become the caps' new inner wires; they run counter-clockwise
    // about the axis, inner wires clockwise about their face's surface normal.
    TopoDS_Edge lo, hi;
    for (TopExp_Explorer ex(wall, TopAbs_EDGE); ex.More(); ex.Next()) {
      TopoDS_Edge e = TopoDS::Edge(ex.Current());
      if (BRep_Tool::IsClosed(e, wall)) continue;  // the seam
      gp_Pnt p = BRep_Tool::Pnt(TopExp::FirstVertex(e));
      bool atBase = std::abs(gp_Vec(base, p).Dot(gp_Vec(axis))) < height / 2;
      (atBase ? lo : hi) = TopoDS::Edge(e.Oriented(TopAbs_FORWARD));
    }
    if (lo.IsNull() || hi.IsNull()) return false;
    auto innerWire = [&](const TopoDS_Edge& e, const gp_Dir& n) {
      TopoDS_Wire w;
      bb.MakeWire(w);
      bb.Add(w, axis.Dot(n) > 0 ? TopoDS_Shape(e.Reversed()) : TopoDS_Shape(e));
      return w;
    };
    bb.Add(bottom, innerWire(lo, nBottom));
    bb.Add(top, innerWire(hi, nTop));
    // The wall's surface normal points away from the axis, into the material.
    walls.push_back(TopoDS::Face(wall.Reversed()));
  }
  bottom.Orientation(oldBottom.Orientation());
  top.Orientation(oldTop.Orientation());

  TopoDS_Shell shell;
  bb.MakeShell(shell);
  for (auto& f : kept) bb.Add(shell, f);
  for (auto& f : walls) bb.Add(shell, f);
  bb.Add(shell, bottom);
  bb.Add(shell, top);
  shell.Closed(true);
  TopoDS_Solid solid;
  bb.MakeSolid(solid);
  bb.Add(solid, shell);

  S.Blocked.insert(S.Blocked.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
  SetShape(solid, tag);
  return true;
}

std::string TBodyState::Cut(int tag, const gp_Ax3& frame, const std::vector<TFigure>& figs,
                            const std::vector<TLoop>& loops, const std::vector<TRegion>& regions, const gp_Dir& dir,
                            double depth) {
  FLastCutFast = false;
  if (FShape.IsNull()) return "there is no body to cut";
  if (regions.empty()) return "the sketch has no closed region";
  bool nested = false;
  for (auto& r : regions) nested = nested || !r.Holes.empty();
  if (depth <= 0 && !nested && TryFastCut(tag, frame, loops, dir)) {
    FLastCutFast = true;
    return {};
  }
  // A cut right through the slab leaves it a prism of a smaller region.
  const bool keepsSlab = FSlab.Valid && depth <= 0 && SlabOnCutSide(frame, dir);
  double length = depth;
  if (depth <= 0) {
    double lo, hi;
    Extent(FShape, frame.Location(), dir, lo, hi);
    if (hi <= Precision::Confusion()) return "the cut does not reach the body";
    length = hi + 1.0;
  }
  std::vector<TopoDS_Face> faces = MakeRegionFaces(frame, figs, loops, regions);
  TopTools_ListOfShape tools, args;
  for (auto& f : faces) {
    BRepPrimAPI_MakePrism mp(f, gp_Vec(dir) * length);
    if (!mp.IsDone()) return "the cut cannot be built";
    tools.Append(mp.Shape());
  }
  args.Append(FShape);
  BRepAlgoAPI_Cut cut;
  cut.SetArguments(args);
  cut.SetTools(tools);
  cut.Build();
  if (!cut.IsDone() || cut.HasErrors()) return "the cut cannot be made in the body";
  if (keepsSlab)
    Block(frame, loops, regions);
  else
    FSlab.Valid = false;
  SetShape(cut.Shape(), tag);
  return {};
}

}  // namespace corvane
