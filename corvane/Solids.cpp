#include "corvane/Solids.h"
#include "corvane/SolidsDetail.h"
#include "host/CorvaneX_TLB.h"

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

const Geom_Surface* SurfaceKey(const TopoDS_Face& f) {
  TopLoc_Location loc;
  return BRep_Tool::Surface(f, loc).get();
}

}  // namespace

namespace detail {

TopoDS_Vertex MakeVertex(const gp_Pnt& p, double tol) {
  TopoDS_Vertex v;
  BRep_Builder().MakeVertex(v, p, std::max(tol, Precision::Confusion()));
  return v;
}

bool TStepStop::operator()() {
  auto now = std::chrono::steady_clock::now();
  if (now < FNext) return false;
  FNext = now + std::chrono::milliseconds(50);
  return CorvaneX_TLB::HostStopRequested();
}

Standard_Boolean TStopIndicator::UserBreak() {
  auto now = std::chrono::steady_clock::now();
  if (!FStopped && now >= FNext) {
    FNext = now + std::chrono::milliseconds(50);
    FStopped = CorvaneX_TLB::HostStopRequested();
  }
  return FStopped;
}

}  // namespace detail

namespace {
using namespace detail;

TPoint2 ArcPoint(const TFigure& f, TPoint2 towards) {
  double r = f.Radius();
  double d = std::hypot(towards.x - f.C.x, towards.y - f.C.y);
  return {f.C.x + r * (towards.x - f.C.x) / d, f.C.y + r * (towards.y - f.C.y) / d};
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

}  // namespace

namespace detail {

TopoDS_Wire MakeCircleWire(const gp_Ax3& frame, TPoint2 c, double r, bool ccw) {
  gp_Circ circ(gp_Ax2(SketchToWorld(frame, c), frame.Direction(), frame.XDirection()), r);
  TopoDS_Wire w = BRepBuilderAPI_MakeWire(BRepBuilderAPI_MakeEdge(circ).Edge()).Wire();
  return ccw ? w : TopoDS::Wire(w.Reversed());
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

}  // namespace detail

using namespace detail;

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
    // The outer loop runs counter-clockwise: the face is bounded without classifying it.
    BRepBuilderAPI_MakeFace mf(pln, MakeLoopWire(frame, figs, loops[r.Outer], true), false);
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
  tags.reserve(FTags.size() + 64);
  for (TopExp_Explorer ex(s, TopAbs_FACE); ex.More(); ex.Next()) {
    const Geom_Surface* key = SurfaceKey(TopoDS::Face(ex.Current()));
    if (auto o = FTags.find(key); o != FTags.end())
      tags[key] = o->second;
    else
      tags[key] = newTag;
  }
  FShape = s;
  FCaps = {};
  FTags.swap(tags);
  FFacesValid = false;
}

void TBodyState::SetShapeAdding(const TopoDS_Shape& s, const std::vector<TopoDS_Face>& added, int newTag) {
  for (const TopoDS_Face& f : added) FTags.try_emplace(SurfaceKey(f), newTag);
  FShape = s;
  FCaps = {};
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

std::string TBodyState::Cut(int tag, const gp_Ax3& frame, const std::vector<TFigure>& figs,
                            const std::vector<TLoop>& loops, const std::vector<TRegion>& regions, const gp_Dir& dir,
                            double depth) {
  FLastCutFast = false;
  FLastCutNote.clear();
  if (FShape.IsNull()) return "there is no body to cut";
  if (regions.empty()) return "the sketch has no closed region";
  bool nested = false;
  for (auto& r : regions) nested = nested || !r.Holes.empty();
  std::string error;
  if (depth <= 0 && !nested && TryPlaneCut(tag, frame, figs, loops, dir, error)) return error;
  Note(nested      ? "loops nested in loops"
       : depth > 0 ? "a cut to depth"
                   : "not round holes right through the slab",
       regions.size());
  return GeneralCut(tag, frame, figs, loops, regions, dir, depth);
}

void TBodyState::Note(const std::string& why, size_t holes) {
  if (holes > 0) FLastCutNote += why + ": " + std::to_string(holes) + "\n";
}

std::string TBodyState::GeneralCut(int tag, const gp_Ax3& frame, const std::vector<TFigure>& figs,
                                   const std::vector<TLoop>& loops, const std::vector<TRegion>& regions,
                                   const gp_Dir& dir, double depth) {
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
  Handle(TStopIndicator) stop = new TStopIndicator;
  cut.Build(stop->Start());
  if (stop->Stopped()) return "the cut was stopped";
  if (!cut.IsDone() || cut.HasErrors()) return "the cut cannot be made in the body";
  if (!TopExp_Explorer(cut.Shape(), TopAbs_SOLID).More()) return "the cut would remove the whole body";
  if (keepsSlab)
    Block(frame, loops, regions);
  else
    FSlab.Valid = false;
  SetShape(cut.Shape(), tag);
  return {};
}

}  // namespace corvane
