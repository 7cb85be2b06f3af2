// Through-all cuts of round holes in the slab, made in the plane: the caps get new wires and
// the shell new walls, so the cost grows with the holes, not with holes times body.
#include "corvane/CircleUnion.h"
#include "corvane/Solids.h"
#include "corvane/SolidsDetail.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeWire.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <ElCLib.hxx>
#include <Geom2d_Line.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Plane.hxx>
#include <Precision.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopTools_MapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Solid.hxx>
#include <gp_Circ.hxx>
#include <gp_Pln.hxx>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <unordered_map>

namespace corvane {
namespace {
using namespace detail;

// Holes closer than this to each other, to the outline or to an opening count as touching.
constexpr double kMargin = 1e-4;

struct TGroups {
  std::vector<int> P;
  explicit TGroups(size_t n) : P(n) { std::iota(P.begin(), P.end(), 0); }
  int Find(int i) { return P[i] == i ? i : P[i] = Find(P[i]); }
  void Join(int a, int b) { P[Find(a)] = Find(b); }
};

void FinishLoop(TLoop& l) {
  double a = 0;
  l.Box = {l.Polygon[0].x, l.Polygon[0].y, l.Polygon[0].x, l.Polygon[0].y};
  for (size_t k = 0; k < l.Polygon.size(); ++k) {
    auto p = l.Polygon[k], q = l.Polygon[(k + 1) % l.Polygon.size()];
    a += p.x * q.y - p.y * q.x;
    l.Box.x0 = std::min(l.Box.x0, p.x);
    l.Box.y0 = std::min(l.Box.y0, p.y);
    l.Box.x1 = std::max(l.Box.x1, p.x);
    l.Box.y1 = std::max(l.Box.y1, p.y);
  }
  l.SignedArea = a / 2;
}

// The wire as a polygon in frame coordinates, in walking order.
TLoop LoopOfWire(const TopoDS_Wire& w, const gp_Ax3& frame) {
  TLoop l;
  // The explorer walks a wire of one closed edge in the edge's own sense, whatever the
  // orientations; the iterator composes them.
  std::vector<TopoDS_Edge> edges;
  for (TopoDS_Iterator it(w); it.More(); it.Next()) edges.push_back(TopoDS::Edge(it.Value()));
  if (edges.size() > 1) {
    edges.clear();
    for (BRepTools_WireExplorer ex(w); ex.More(); ex.Next())
      edges.push_back(TopoDS::Edge(ex.Current().Oriented(ex.Orientation())));
  }
  for (const TopoDS_Edge& e : edges) {
    BRepAdaptor_Curve c(e);
    double t0 = c.FirstParameter(), t1 = c.LastParameter();
    int n = 1;
    if (c.GetType() != GeomAbs_Line) {
      double r = c.GetType() == GeomAbs_Circle ? c.Circle().Radius() : 1.0;
      double step = 2 * std::acos(std::max(0.0, 1 - 1e-5 / std::max(r, 1e-5)));
      n = std::clamp(static_cast<int>(std::ceil((t1 - t0) / std::max(step, 1e-3))), 2, 4096);
    }
    const bool rev = e.Orientation() == TopAbs_REVERSED;
    for (int k = 0; k < n; ++k) {
      double t = rev ? t1 - (t1 - t0) * k / n : t0 + (t1 - t0) * k / n;
      l.Polygon.push_back(WorldToSketch(frame, c.Value(t)));
    }
  }
  if (!l.Polygon.empty()) FinishLoop(l);
  return l;
}

// The wire turned to run counter-clockwise (or clockwise) about N.
TopoDS_Wire Oriented(const TopoDS_Wire& w, const gp_Ax3& frame, const gp_Dir& n, bool ccw) {
  bool isCcw = (LoopOfWire(w, frame).SignedArea > 0) == (n.Dot(frame.Direction()) > 0);
  return isCcw == ccw ? w : TopoDS::Wire(w.Reversed());
}

// A wire of exact arcs, counter-clockwise about the frame's normal.
TopoDS_Wire UnionWire(const gp_Ax3& frame, const std::vector<TCircle>& circles, const TUnionLoop& l) {
  if (l.Arcs.size() == 1 && l.Arcs[0].Full) {
    const TCircle& c = circles[l.Arcs[0].Circle];
    return MakeCircleWire(frame, c.C, c.R, true);
  }
  const size_t m = l.Arcs.size();
  std::vector<TopoDS_Vertex> v(m);
  for (size_t k = 0; k < m; ++k) {
    TPoint2 a = l.Arcs[k].P0, b = l.Arcs[(k + m - 1) % m].P1;
    TPoint2 p{(a.x + b.x) / 2, (a.y + b.y) / 2};
    v[k] = MakeVertex(SketchToWorld(frame, p), 1.5 * std::hypot(a.x - b.x, a.y - b.y) + 1e-9);
  }
  BRepBuilderAPI_MakeWire mw;
  for (size_t k = 0; k < m; ++k) {
    const TCircle& c = circles[l.Arcs[k].Circle];
    gp_Circ circ(gp_Ax2(SketchToWorld(frame, c.C), frame.Direction(), frame.XDirection()), c.R);
    BRepBuilderAPI_MakeEdge me(circ, v[k], v[(k + 1) % m]);
    if (!me.IsDone()) return {};
    mw.Add(me.Edge());
    if (!mw.IsDone()) return {};
  }
  return mw.Wire();
}

// The sides of a prism of F, as they face out of it, with its end wires.
struct TPrismSides {
  std::vector<TopoDS_Face> Sides;
  TopoDS_Wire Bottom, Top;
  std::vector<TopoDS_Wire> BottomInner, TopInner;
};

void InnerWires(const TopoDS_Face& f, const TopoDS_Wire& outer, std::vector<TopoDS_Wire>& out) {
  for (TopoDS_Iterator it(f); it.More(); it.Next())
    if (it.Value().ShapeType() == TopAbs_WIRE && !it.Value().IsSame(outer)) out.push_back(TopoDS::Wire(it.Value()));
}

bool PrismSides(const TopoDS_Face& f, const gp_Vec& ext, TPrismSides& out) {
  BRepPrimAPI_MakePrism mp(f, ext, false, false);
  if (!mp.IsDone()) return false;
  // The ends as they are in the prism's own shell, so that the wires share the sides' edges.
  const TopoDS_Shape first = mp.FirstShape(), last = mp.LastShape();
  for (TopExp_Explorer ex(mp.Shape(), TopAbs_FACE); ex.More(); ex.Next()) {
    const TopoDS_Face& face = TopoDS::Face(ex.Current());
    if (face.IsSame(first)) {
      out.Bottom = BRepTools::OuterWire(face);
      InnerWires(face, out.Bottom, out.BottomInner);
    } else if (face.IsSame(last)) {
      out.Top = BRepTools::OuterWire(face);
      InnerWires(face, out.Top, out.TopInner);
    } else
      out.Sides.push_back(face);
  }
  return !out.Sides.empty() && !out.Bottom.IsNull() && !out.Top.IsNull();
}

// The walls of a wire swept along Ext, with the wire and its copy at the far end; cheaper than
// the prism of a face, but the walls face whichever way the sweep makes them.
bool SweptWalls(const TopoDS_Wire& w, const gp_Vec& ext, TPrismSides& out) {
  BRepPrimAPI_MakePrism mp(w, ext, false, false);
  if (!mp.IsDone() || mp.FirstShape().ShapeType() != TopAbs_WIRE || mp.LastShape().ShapeType() != TopAbs_WIRE)
    return false;
  out.Bottom = TopoDS::Wire(mp.FirstShape());
  out.Top = TopoDS::Wire(mp.LastShape());
  for (TopExp_Explorer ex(mp.Shape(), TopAbs_FACE); ex.More(); ex.Next())
    out.Sides.push_back(TopoDS::Face(ex.Current()));
  return !out.Sides.empty();
}

// A point of the face and its normal as the face is oriented.
std::pair<gp_Pnt, gp_Vec> FacingAt(const TopoDS_Face& f) {
  BRepAdaptor_Surface s(f);
  gp_Pnt p;
  gp_Vec du, dv;
  s.D1((s.FirstUParameter() + s.LastUParameter()) / 2, (s.FirstVParameter() + s.LastVParameter()) / 2, p, du, dv);
  gp_Vec n = du.Crossed(dv);
  return {p, f.Orientation() == TopAbs_REVERSED ? -n : n};
}

// A hole's wall as the face of the cylinder over [0, 2 pi] x [0, Height], with the same curves,
// vertices and parameter lines as BRepBuilderAPI_MakeFace makes for those bounds (one wire: the
// seam, the circle at the base, the seam again, the circle at the top), without the curves,
// vertices and checks it makes and drops; Lo and Hi are the circles, forward.
TopoDS_Face HoleWall(const Handle(Geom_CylindricalSurface) & cyl, double height, TopoDS_Edge& lo, TopoDS_Edge& hi) {
  const double tol = Precision::Confusion();
  double u0 = 0, u1 = 2 * std::numbers::pi, umin, umax, vmin, vmax;
  cyl->Bounds(umin, umax, vmin, vmax);
  ElCLib::AdjustPeriodic(umin, umax, Precision::PConfusion(), u0, u1);
  BRep_Builder b;
  TopoDS_Vertex base, top;
  b.MakeVertex(base, cyl->Value(u0, 0), tol);
  b.MakeVertex(top, cyl->Value(u0, height), tol);
  TopoDS_Face face;
  b.MakeFace(face, cyl, tol);
  TopoDS_Edge seam;
  b.MakeEdge(seam, cyl->UIso(u0), tol);
  b.UpdateEdge(seam, new Geom2d_Line(gp_Pnt2d(u1, 0), gp_Dir2d(0, 1)), new Geom2d_Line(gp_Pnt2d(u0, 0), gp_Dir2d(0, 1)),
               face, tol);
  b.Add(seam, base.Oriented(TopAbs_FORWARD));
  b.Add(seam, top.Oriented(TopAbs_REVERSED));
  b.Range(seam, 0, height);
  auto circle = [&](TopoDS_Edge& e, double v, const TopoDS_Vertex& at) {
    b.MakeEdge(e, cyl->VIso(v), tol);
    b.UpdateEdge(e, new Geom2d_Line(gp_Pnt2d(0, v), gp_Dir2d(1, 0)), face, tol);
    b.Add(e, at.Oriented(TopAbs_FORWARD));
    b.Add(e, at.Oriented(TopAbs_REVERSED));
    b.Range(e, u0, u1);
  };
  circle(lo, 0, base);
  circle(hi, height, top);
  TopoDS_Wire w;
  b.MakeWire(w);
  b.Add(w, seam.Reversed());
  b.Add(w, lo);
  b.Add(w, seam);
  b.Add(w, hi.Reversed());
  w.Closed(true);
  b.Add(face, w);
  return face;
}

// The faces of the walls that run along the wire from the cap.
TopTools_MapOfShape WallsAlong(const TopoDS_Wire& w, const TopoDS_Face& cap,
                               const TopTools_IndexedDataMapOfShapeListOfShape& faces) {
  TopTools_MapOfShape walls;
  for (TopExp_Explorer ex(w, TopAbs_EDGE); ex.More(); ex.Next())
    if (const TopTools_ListOfShape* l = faces.Seek(ex.Current()))
      for (const TopoDS_Shape& f : *l)
        if (!f.IsSame(cap)) walls.Add(f);
  return walls;
}

}  // namespace

bool TBodyState::TryPlaneCut(int tag, const gp_Ax3& frame, const std::vector<TFigure>& figs,
                             const std::vector<TLoop>& loops, const gp_Dir& dir, std::string& error) {
  auto& S = FSlab;
  if (!S.Valid || loops.empty() || !SlabOnCutSide(frame, dir)) return false;
  for (auto& l : loops)
    if (!l.IsCircle()) return false;
  const int n = static_cast<int>(loops.size());
  std::vector<TCircle> c(n);
  for (int i = 0; i < n; ++i) {
    TLoop m = MapLoop(loops[i], frame, S.Frame);
    c[i] = {m.C, m.R};
  }

  // Where each hole stands: clear inside the outline, over it, or clear outside.
  enum : char { kInside, kOver, kOutside };
  std::vector<char> where(n);
  for (int i = 0; i < n; ++i) {
    bool clear = DistanceToLoop(S.Outer, c[i].C) > c[i].R + kMargin;
    where[i] = !clear ? kOver : PointInLoop(S.Outer, c[i].C) ? kInside : kOutside;
  }
  // Groups of touching holes, and the holes that touch what the caps already hold.
  const size_t old = S.Blocked.size();
  std::vector<TBox2> boxes;
  boxes.reserve(old + n);
  for (auto& b : S.Blocked) boxes.push_back(b.Box);
  for (auto& h : c) boxes.push_back({h.C.x - h.R, h.C.y - h.R, h.C.x + h.R, h.C.y + h.R});
  TGroups groups(n);
  std::vector<char> meetsOld(n, 0);
  std::vector<std::pair<int, int>> pairs, near;
  auto meet = [&](int i, int j) {
    if (static_cast<size_t>(j) < old) return;
    const int b = j - static_cast<int>(old);
    if (static_cast<size_t>(i) < old) {
      const TLoop& a = S.Blocked[i];
      bool meets = a.IsCircle() ? std::hypot(a.C.x - c[b].C.x, a.C.y - c[b].C.y) <= a.R + c[b].R + kMargin
                                : PointInLoop(a, c[b].C) || DistanceToLoop(a, c[b].C) <= c[b].R + kMargin;
      if (meets) meetsOld[b] = 1;
      return;
    }
    const int a = i - static_cast<int>(old);
    // Holes further apart than the union's tolerance get walls of their own.
    const double d = std::hypot(c[a].C.x - c[b].C.x, c[a].C.y - c[b].C.y);
    if (d <= c[a].R + c[b].R + kApartTol) {
      groups.Join(a, b);
      pairs.emplace_back(a, b);
    } else if (d <= c[a].R + c[b].R + kMargin) {
      near.emplace_back(a, b);
    }
  };
  // How the new holes group depends on the order their pairs come in. When no two of them
  // touch, the order does not matter and the quicker search settles it.
  bool touching = false;
  ForEachOverlappingPairInAnyOrder(boxes, kMargin, [&](int i, int j) {
    if (static_cast<size_t>(i) < old) return meet(i, j);
    const int a = i - static_cast<int>(old), b = j - static_cast<int>(old);
    const double d = std::hypot(c[a].C.x - c[b].C.x, c[a].C.y - c[b].C.y);
    touching = touching || d <= c[a].R + c[b].R + std::max(kApartTol, kMargin);
  });
  if (touching) ForEachOverlappingPair(boxes, kMargin, meet);
  std::unordered_map<int, std::vector<int>> members;
  for (int i = 0; i < n; ++i) members[groups.Find(i)].push_back(i);
  if (!PlaneCuts) {
    bool disjoint = std::none_of(meetsOld.begin(), meetsOld.end(), [](char m) { return m; }) &&
                    std::all_of(where.begin(), where.end(), [](char w) { return w == kInside; }) &&
                    members.size() == static_cast<size_t>(n);
    if (!disjoint) return false;
  }
  std::unordered_map<int, std::vector<std::pair<int, int>>> groupPairs;
  for (auto& p : pairs) groupPairs[groups.Find(p.first)].push_back(p);

  std::vector<int> rest, over, singles, unionMembers;
  struct TOpening {
    std::vector<TCircle> Circles;
    TUnionLoop Loop;
    std::vector<TUnionLoop> Islands;           // material the group rings, a piece of its own
    std::vector<std::vector<TCircle>> Inside;  // holes inside each island
    std::vector<int> Members;
  };
  std::vector<TOpening> unions;
  for (auto& [root, idx] : members) {
    bool anyOld = false, anyOver = false, anyIn = false, anyOut = false;
    for (int i : idx) {
      anyOld = anyOld || meetsOld[i];
      anyOver = anyOver || where[i] == kOver;
      anyIn = anyIn || where[i] == kInside;
      anyOut = anyOut || where[i] == kOutside;
    }
    if (anyOld || (anyIn && anyOut && !anyOver)) {
      Note(anyOld ? "holes that meet openings or bosses" : "groups both inside and outside the outline", idx.size());
      rest.insert(rest.end(), idx.begin(), idx.end());
    } else if (anyOver) {
      over.insert(over.end(), idx.begin(), idx.end());
    } else if (anyOut) {
      // Clear of the board: nothing to cut.
    } else if (idx.size() == 1) {
      singles.push_back(idx[0]);
    } else {
      std::unordered_map<int, int> local;
      TOpening o;
      for (int i : idx) {
        local[i] = static_cast<int>(o.Circles.size());
        o.Circles.push_back(c[i]);
      }
      std::vector<std::pair<int, int>> lp;
      for (auto [a, b] : groupPairs[root]) lp.emplace_back(local[a], local[b]);
      std::vector<TUnionLoop> traced;
      bool ok = TraceCircleUnion(o.Circles, lp, traced);
      int outlines = 0;
      for (auto& l : traced) outlines += l.SignedArea > 0 ? 1 : 0;
      if (ok && outlines == 1) {
        for (auto& l : traced) (l.SignedArea > 0 ? o.Loop : o.Islands.emplace_back()) = std::move(l);
        o.Members = idx;
        unions.push_back(std::move(o));
      } else {
        // Too close to trace exactly: the outline's cut in the plane takes the group.
        over.insert(over.end(), idx.begin(), idx.end());
      }
    }
  }

  // A group next to holes the boolean or the outline cut takes joins them: the edges those
  // make may carry tolerances wider than the gap.
  for (int pass = 0; pass < 4 && !near.empty(); ++pass) {
    std::vector<char> kind(n, 0);  // 1 rest, 2 over
    for (int i : rest) kind[i] = 1;
    for (int i : over) kind[i] = 2;
    std::vector<int> moveTo(n, 0);
    bool moved = false;
    for (auto [a, b] : near) {
      if (kind[a] == kind[b]) continue;
      int to = std::max(kind[a], kind[b]) == 1 || std::min(kind[a], kind[b]) == 1 ? 1 : 2;
      for (int i : {a, b})
        if (kind[i] != to) moveTo[groups.Find(i)] = std::max(moveTo[groups.Find(i)], to), moved = true;
    }
    if (!moved) break;
    auto drop = [&](std::vector<int>& v) {
      v.erase(std::remove_if(v.begin(), v.end(), [&](int i) { return moveTo[groups.Find(i)] != 0; }), v.end());
    };
    drop(singles);
    drop(rest);
    drop(over);
    std::vector<TOpening> keep;
    for (auto& o : unions)
      if (moveTo[groups.Find(o.Members[0])] == 0) keep.push_back(std::move(o));
    unions.swap(keep);
    size_t toRest = 0;
    for (int i = 0; i < n; ++i) {
      int m = moveTo[groups.Find(i)];
      toRest += m == 1 ? 1 : 0;
      if (m == 1) rest.push_back(i);
      if (m == 2) over.push_back(i);
    }
    Note("groups next to holes the boolean takes", toRest);
  }

  // An island is cut out as a piece of its own; holes inside it are cut from that piece by a
  // boolean of its own, which stays small. An opening made earlier inside it is left to the
  // general boolean.
  {
    std::vector<TBox2> b;
    std::vector<std::pair<int, int>> owner;  // (opening, island) per island box
    std::vector<TLoop> polys;
    for (size_t u = 0; u < unions.size(); ++u)
      for (size_t k = 0; k < unions[u].Islands.size(); ++k) {
        polys.push_back(UnionLoopPolygon(unions[u].Circles, unions[u].Islands[k]));
        b.push_back(polys.back().Box);
        owner.emplace_back(static_cast<int>(u), static_cast<int>(k));
      }
    const size_t islands = b.size();
    if (islands > 0) {
      for (auto& h : c) b.push_back({h.C.x - h.R, h.C.y - h.R, h.C.x + h.R, h.C.y + h.R});
      for (auto& l : S.Blocked) b.push_back(l.Box);
      std::vector<char> spoilt(unions.size(), 0), taken(n, 0);
      for (auto& o : unions) o.Inside.assign(o.Islands.size(), {});
      ForEachOverlappingPair(b, 0, [&](int i, int j) {
        if (static_cast<size_t>(i) >= islands || static_cast<size_t>(j) < islands) return;
        const bool hole = static_cast<size_t>(j) < islands + c.size();
        TPoint2 p = hole ? c[j - islands].C : [&] {
          const TLoop& l = S.Blocked[j - islands - c.size()];
          return l.IsCircle() ? l.C : l.Polygon[0];
        }();
        if (!polys[i].Box.Contains(b[j]) || !PointInLoop(polys[i], p)) return;
        auto [u, k] = owner[i];
        if (!hole) {
          spoilt[u] = 1;
          return;
        }
        unions[u].Inside[k].push_back(c[j - islands]);
        taken[j - islands] = 1;
      });
      // Groups inside an island go with the island's piece.
      auto untaken = [&](std::vector<int>& v) {
        v.erase(std::remove_if(v.begin(), v.end(), [&](int i) { return taken[i]; }), v.end());
      };
      untaken(rest);
      untaken(over);
      untaken(singles);
      std::vector<TOpening> keep;
      for (size_t u = 0; u < unions.size(); ++u)
        if (taken[unions[u].Members[0]])
          continue;
        else if (spoilt[u])
          Note("islands round an earlier opening", unions[u].Members.size()),
              rest.insert(rest.end(), unions[u].Members.begin(), unions[u].Members.end());
        else
          keep.push_back(std::move(unions[u]));
      unions.swap(keep);
    }
  }
  for (auto& o : unions) unionMembers.insert(unionMembers.end(), o.Members.begin(), o.Members.end());
  TStepStop stop;
  bool general = false;
  auto generalFor = [&](std::vector<int> idx) {
    general = general || !idx.empty();
    std::vector<TRegion> regions;
    for (int i : idx) regions.push_back({i, {}});
    return regions.empty() ? std::string() : GeneralCut(tag, frame, figs, loops, regions, dir, 0);
  };
  auto remaining = [&] {
    std::vector<int> idx = over;
    idx.insert(idx.end(), singles.begin(), singles.end());
    idx.insert(idx.end(), unionMembers.begin(), unionMembers.end());
    return idx;
  };

  // The holes the plane cannot take go first, by one boolean on the slab while it is simple.
  if (!rest.empty()) {
    error = generalFor(rest);
    if (!error.empty()) return true;
    rest.clear();
  }
  auto finish = [&] {
    error = generalFor(rest);
    if (error.empty()) FLastCutFast = !general;
    return true;
  };
  if (stop()) {
    error = "the cut was stopped";
    return true;
  }

  // The slab's two caps and everything else of its one shell.
  std::vector<TopoDS_Shape> others;
  std::vector<TopoDS_Face> smallCaps;
  TopoDS_Wire knownOuterBottom, knownOuterTop;
  // The small pieces of cap the new holes must keep out of.
  auto clearOfSmallCaps = [&] {
    for (auto& f : smallCaps) {
      TLoop l = LoopOfWire(BRepTools::OuterWire(f), S.Frame);
      auto inside = [&](TPoint2 p) { return l.Box.Contains({p.x, p.y, p.x, p.y}) && PointInLoop(l, p); };
      for (int i : singles)
        if (inside(c[i].C)) return false;
      for (auto& o : unions)
        if (inside(o.Circles[0].C)) return false;
      for (int i : over)
        if (inside(c[i].C)) return false;
    }
    return true;
  };
  auto findCaps = [&](TopoDS_Face& bottom, TopoDS_Face& top, std::vector<TopoDS_Face>& kept, TopoDS_Shape& solid) {
    solid.Nullify();
    knownOuterBottom.Nullify();
    knownOuterTop.Nullify();
    if (!S.Valid) return false;
    if (!FCaps.Body.IsNull() && FCaps.Body.IsSame(FShape)) {
      // Taken, not copied: a cut that fails half-way leaves the body as it was, to be searched.
      TCaps caps = std::move(FCaps);
      FCaps = {};
      solid = caps.Solid;
      bottom = caps.Bottom;
      top = caps.Top;
      knownOuterBottom = caps.OuterBottom;
      knownOuterTop = caps.OuterTop;
      kept = std::move(caps.Kept);
      smallCaps = std::move(caps.Small);
      others = std::move(caps.Others);
      return clearOfSmallCaps();
    }
    // The slab is the solid of the largest extent; islands cut free earlier stay as they are.
    others.clear();
    double best = -1;
    for (TopExp_Explorer ex(FShape, TopAbs_SOLID); ex.More(); ex.Next()) {
      Bnd_Box box;
      BRepBndLib::Add(ex.Current(), box);
      double size = box.IsVoid() ? 0 : box.SquareExtent();
      if (size > best) {
        if (!solid.IsNull()) others.push_back(solid);
        solid = ex.Current();
        best = size;
      } else {
        others.push_back(ex.Current());
      }
    }
    if (solid.IsNull()) return false;
    int shells = 0;
    for (TopExp_Explorer ex(solid, TopAbs_SHELL); ex.More(); ex.Next()) ++shells;
    if (shells != 1) return false;
    const gp_Dir axis(S.Extrusion);
    const double height = S.Extrusion.Magnitude();
    kept.clear();
    smallCaps.clear();
    bottom.Nullify();
    top.Nullify();
    // Pieces that hang on by an edge may give a cap plane more faces: the largest is the cap.
    double bottomArea = -1, topArea = -1;
    auto take = [&](TopoDS_Face& cap, double& capArea, const TopoDS_Face& f) {
      double a = std::abs(LoopOfWire(BRepTools::OuterWire(f), S.Frame).SignedArea);
      if (a <= capArea) {
        kept.push_back(f);
        smallCaps.push_back(f);
        return;
      }
      if (!cap.IsNull()) {
        kept.push_back(cap);
        smallCaps.push_back(cap);
      }
      cap = f;
      capArea = a;
    };
    for (TopExp_Explorer ex(solid, TopAbs_FACE); ex.More(); ex.Next()) {
      TopoDS_Face f = TopoDS::Face(ex.Current());
      Handle(Geom_Plane) pl = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(f));
      if (!pl.IsNull() && pl->Position().Direction().IsParallel(axis, 1e-9)) {
        double at = gp_Vec(S.Frame.Location(), pl->Location()).Dot(gp_Vec(axis));
        if (std::abs(at) <= Precision::Confusion()) {
          take(bottom, bottomArea, f);
          continue;
        }
        if (std::abs(at - height) <= Precision::Confusion()) {
          take(top, topArea, f);
          continue;
        }
      }
      kept.push_back(f);
    }
    if (bottom.IsNull() || top.IsNull()) return false;
    return clearOfSmallCaps();
  };
  TopoDS_Face oldBottom, oldTop;
  std::vector<TopoDS_Face> kept;
  TopoDS_Shape oldSolid;
  if (!findCaps(oldBottom, oldTop, kept, oldSolid)) {
    Note("the caps cannot be told", remaining().size());
    error = generalFor(remaining());
    if (!error.empty()) return true;
    return finish();
  }

  const gp_Dir axis(S.Extrusion);
  const double height = S.Extrusion.Magnitude();
  const gp_Pln base(S.Frame);
  BRep_Builder bb;

  // The group's disc union as a face on the base plane, islands left out; null when it does not
  // trace as one outline.
  auto groupFace = [&](int root, const std::vector<int>& idx) {
    std::unordered_map<int, int> local;
    std::vector<TCircle> circles;
    for (int i : idx) {
      local[i] = static_cast<int>(circles.size());
      circles.push_back(c[i]);
    }
    std::vector<std::pair<int, int>> lp;
    for (auto [a, b] : groupPairs[root]) lp.emplace_back(local[a], local[b]);
    std::vector<TUnionLoop> traced;
    TopoDS_Face none;
    if (!TraceCircleUnion(circles, lp, traced) ||
        std::count_if(traced.begin(), traced.end(), [](auto& l) { return l.SignedArea > 0; }) != 1)
      return none;
    TopoDS_Wire ow;
    for (auto& l : traced)
      if (l.SignedArea > 0) ow = UnionWire(S.Frame, circles, l);
    if (ow.IsNull()) return none;
    BRepBuilderAPI_MakeFace mf(base, ow, true);
    for (auto& l : traced) {
      if (l.SignedArea > 0) continue;
      TopoDS_Wire iw = UnionWire(S.Frame, circles, l);
      if (iw.IsNull()) return none;
      mf.Add(Oriented(iw, S.Frame, S.Frame.Direction(), false));
    }
    return mf.IsDone() ? mf.Face() : none;
  };

  // Holes over the outline: the region inside it less those holes, worked out in the plane,
  // gives the new outer wire and its walls.
  TopoDS_Wire outerBottom, outerTop, newOuterBottom, newOuterTop;
  std::vector<TopoDS_Wire> newInnerBottom, newInnerTop;
  std::vector<TopoDS_Face> outerWalls;
  std::vector<TopoDS_Shape> cutOff;
  TLoop newOuter;
  if (!over.empty()) {
    outerBottom = knownOuterBottom.IsNull() ? BRepTools::OuterWire(oldBottom) : knownOuterBottom;
    outerTop = knownOuterTop.IsNull() ? BRepTools::OuterWire(oldTop) : knownOuterTop;
    TopTools_IndexedDataMapOfShapeListOfShape faces;
    TopExp::MapShapesAndAncestors(oldSolid, TopAbs_EDGE, TopAbs_FACE, faces);
    TopTools_MapOfShape wb = WallsAlong(outerBottom, oldBottom, faces), wt = WallsAlong(outerTop, oldTop, faces);
    bool simple = wb.Extent() == wt.Extent() && wb.Extent() > 0;
    for (TopTools_MapOfShape::Iterator it(wb); it.More(); it.Next()) simple = simple && wt.Contains(it.Key());
    TopoDS_Face region;
    // Holes that a piece cut off the edge holds join the cut in the plane, which then makes
    // them inner wires of that piece; a few rounds settle it.
    for (int round = 0; simple && region.IsNull() && round < 4; ++round) {
      BRepBuilderAPI_MakeFace mf(base, Oriented(outerBottom, S.Frame, S.Frame.Direction(), true), true);
      TopTools_ListOfShape args, tools;
      args.Append(mf.Face());
      // A group that traces cleanly goes in as one face of exact arcs: overlapping discs would
      // make the boolean intersect every pair of them.
      std::unordered_map<int, std::vector<int>> overGroups;
      for (int i : over) overGroups[groups.Find(i)].push_back(i);
      for (auto& [root, idx] : overGroups) {
        if (idx.size() > 1) {
          TopoDS_Face f = groupFace(root, idx);
          if (!f.IsNull()) {
            tools.Append(f);
            continue;
          }
        }
        for (int i : idx)
          tools.Append(BRepBuilderAPI_MakeFace(base, MakeCircleWire(S.Frame, c[i].C, c[i].R, true), true).Face());
      }
      BRepAlgoAPI_Cut cut;
      cut.SetArguments(args);
      cut.SetTools(tools);
      Handle(TStopIndicator) ind = new TStopIndicator;
      cut.Build(ind->Start());
      if (ind->Stopped()) {
        error = "the cut was stopped";
        return true;
      }
      if (!cut.IsDone() || cut.HasErrors()) break;
      // The largest piece stays the board; pieces the holes cut off the edge stand alone.
      std::vector<std::pair<double, TopoDS_Face>> pieces;
      for (TopExp_Explorer ex(cut.Shape(), TopAbs_FACE); ex.More(); ex.Next()) {
        TopoDS_Face f = TopoDS::Face(ex.Current());
        pieces.emplace_back(std::abs(LoopOfWire(BRepTools::OuterWire(f), S.Frame).SignedArea), f);
      }
      if (pieces.empty()) {
        error = "the cut would remove the whole body";
        return true;
      }
      std::sort(pieces.begin(), pieces.end(), [](auto& a, auto& b) { return a.first > b.first; });
      // Groups kept with these holes because they stand within the margin of them may lie
      // clear of the outline: they come out as inner wires of the pieces.
      bool plain = true;
      std::vector<char> joins(n, 0);
      bool joined = false;
      for (size_t k = 1; k < pieces.size() && plain; ++k) {
        TLoop l = LoopOfWire(BRepTools::OuterWire(pieces[k].second), S.Frame);
        auto inside = [&](TPoint2 p) { return l.Box.Contains({p.x, p.y, p.x, p.y}) && PointInLoop(l, p); };
        for (int i : singles)
          if (inside(c[i].C)) joins[i] = joined = true;
        for (auto& o : unions)
          if (inside(o.Circles[0].C))
            for (int i : o.Members) joins[i] = joined = true;
        for (auto& b : S.Blocked) plain = plain && !inside(b.IsCircle() ? b.C : b.Polygon[0]);
      }
      if (!plain) break;
      if (joined) {
        for (int i : singles)
          if (joins[i]) over.push_back(i);
        singles.erase(std::remove_if(singles.begin(), singles.end(), [&](int i) { return joins[i]; }), singles.end());
        std::vector<TOpening> keep;
        for (auto& o : unions)
          if (joins[o.Members[0]])
            over.insert(over.end(), o.Members.begin(), o.Members.end());
          else
            keep.push_back(std::move(o));
        unions.swap(keep);
        continue;
      }
      for (size_t k = 1; k < pieces.size() && plain; ++k) {
        // A fresh face on the base plane, whatever orientation the boolean gave the piece.
        const TopoDS_Wire ow = BRepTools::OuterWire(pieces[k].second);
        BRepBuilderAPI_MakeFace pf(base, Oriented(ow, S.Frame, S.Frame.Direction(), true), true);
        std::vector<TopoDS_Wire> inner;
        InnerWires(pieces[k].second, ow, inner);
        for (auto& w : inner) pf.Add(Oriented(w, S.Frame, S.Frame.Direction(), false));
        BRepPrimAPI_MakePrism piece(pf.Face(), S.Extrusion);
        plain = pf.IsDone() && piece.IsDone();
        if (plain) cutOff.push_back(piece.Shape());
      }
      if (plain)
        region = pieces[0].second;
      else
        cutOff.clear();
      break;
    }
    TPrismSides sides;
    if (!region.IsNull() && PrismSides(region, S.Extrusion, sides)) {
      outerWalls = sides.Sides;
      newOuterBottom = sides.Bottom;
      newOuterTop = sides.Top;
      newInnerBottom = sides.BottomInner;
      newInnerTop = sides.TopInner;
      newOuter = LoopOfWire(newOuterBottom, S.Frame);
      kept.erase(std::remove_if(kept.begin(), kept.end(), [&](const TopoDS_Face& f) { return wb.Contains(f); }),
                 kept.end());
    } else {
      // An outline too involved to reshape in the plane: the boolean does these holes.
      Note(!simple ? "holes over an outline with more than one wall per edge"
                   : "holes over the outline that leave it too involved to reshape",
           over.size());
      error = generalFor(over);
      if (!error.empty()) return true;
      over.clear();
      outerBottom.Nullify();
      outerTop.Nullify();
      if (!findCaps(oldBottom, oldTop, kept, oldSolid)) {
        Note("the caps cannot be told", remaining().size());
        error = generalFor(remaining());
        if (!error.empty()) return true;
        return finish();
      }
    }
  }
  if (stop()) {
    error = "the cut was stopped";
    return true;
  }

  auto newCap = [&](const TopoDS_Face& cap, const TopoDS_Wire& oldOuter, const TopoDS_Wire& outer,
                    const std::vector<TopoDS_Wire>& inner) {
    if (outer.IsNull()) return CopyCap(cap);
    TopoDS_Face plain = cap;
    plain.Location(TopLoc_Location());
    plain.Orientation(TopAbs_FORWARD);
    TopoDS_Face copy = TopoDS::Face(plain.EmptyCopied());
    for (TopoDS_Iterator it(plain, false, false); it.More(); it.Next())
      if (it.Value().TShape() != oldOuter.TShape()) bb.Add(copy, it.Value());
    bb.Add(copy, Oriented(outer, S.Frame, PlaneNormal(copy), true).Moved(cap.Location().Inverted()));
    for (auto& w : inner) bb.Add(copy, Oriented(w, S.Frame, PlaneNormal(copy), false).Moved(cap.Location().Inverted()));
    copy.Location(cap.Location());
    return copy;
  };
  TopoDS_Face bottom = newCap(oldBottom, outerBottom, newOuterBottom, newInnerBottom);
  TopoDS_Face top = newCap(oldTop, outerTop, newOuterTop, newInnerTop);
  const gp_Dir nBottom = PlaneNormal(bottom), nTop = PlaneNormal(top);
  std::vector<TopoDS_Face> walls;
  walls.reserve(singles.size() + unions.size());
  // Wires in world place go into the cap copy, which takes the cap's place afterwards.
  auto addInner = [&](TopoDS_Face& cap, const TopoDS_Face& old, const TopoDS_Shape& w) {
    (void)old;
    bb.Add(cap, w);
  };

  // Single holes: a cylinder wall whose two circles become the caps' inner wires.
  for (int i : singles) {
    const gp_Pnt at = SketchToWorld(S.Frame, c[i].C);
    Handle(Geom_CylindricalSurface) cyl = new Geom_CylindricalSurface(gp_Ax3(at, axis, S.Frame.XDirection()), c[i].R);
    TopoDS_Edge lo, hi;
    TopoDS_Face wall = HoleWall(cyl, height, lo, hi);
    if (lo.IsNull() || hi.IsNull()) return error = "a hole wall cannot be built", true;
    auto innerWire = [&](const TopoDS_Edge& e, const gp_Dir& nrm) {
      TopoDS_Wire w;
      bb.MakeWire(w);
      bb.Add(w, axis.Dot(nrm) > 0 ? TopoDS_Shape(e.Reversed()) : TopoDS_Shape(e));
      return w;
    };
    addInner(bottom, oldBottom, innerWire(lo, nBottom));
    addInner(top, oldTop, innerWire(hi, nTop));
    // The surface normal points away from the axis, into the material.
    walls.push_back(TopoDS::Face(wall.Reversed()));
  }

  // Groups of overlapping holes: one wire of exact arcs round each, with its prism's sides.
  // Whether the prisms' end wires run counter-clockwise about the frame's normal; the same for
  // every prism, so found once.
  int prismBottomCcw = -1, prismTopCcw = -1, sweptBottomCcw = -1, sweptTopCcw = -1;
  int sweep = 0;  // 0 not known yet, -1 not to be used, 1 walls face as the prism's, 2 reversed
  const size_t othersBefore = others.size();
  for (size_t k = 0; k < unions.size(); ++k) {
    if (k % 256 == 255 && stop()) return error = "the cut was stopped", true;
    const TOpening& o = unions[k];
    TopoDS_Wire w = UnionWire(S.Frame, o.Circles, o.Loop);
    if (w.IsNull()) return error = "a hole group's outline cannot be built", true;
    TPrismSides sides;
    // The first group's prism tells which way the swept walls face; the others are swept.
    bool swept = sweep > 0 && SweptWalls(w, S.Extrusion, sides);
    if (!swept) {
      BRepBuilderAPI_MakeFace mf(base, w, true);
      sides = {};
      if (!mf.IsDone() || !PrismSides(mf.Face(), S.Extrusion, sides))
        return error = "a hole group's wall cannot be built", true;
      TPrismSides trial;
      if (sweep == 0) {
        sweep = -1;
        if (SweptWalls(w, S.Extrusion, trial) && trial.Sides.size() == sides.Sides.size()) {
          auto [p0, n0] = FacingAt(sides.Sides[0]);
          auto [p1, n1] = FacingAt(trial.Sides[0]);
          if (p0.Distance(p1) <= Precision::Confusion()) sweep = n0.Dot(n1) > 0 ? 1 : 2;
          sweptBottomCcw = LoopOfWire(trial.Bottom, S.Frame).SignedArea > 0;
          sweptTopCcw = LoopOfWire(trial.Top, S.Frame).SignedArea > 0;
        }
      }
    } else if (sweep == 2) {
      for (auto& f : sides.Sides) f.Reverse();
    }
    int& bottomCcw = swept ? sweptBottomCcw : prismBottomCcw;
    int& topCcw = swept ? sweptTopCcw : prismTopCcw;
    if (bottomCcw < 0) bottomCcw = LoopOfWire(sides.Bottom, S.Frame).SignedArea > 0;
    if (topCcw < 0) topCcw = LoopOfWire(sides.Top, S.Frame).SignedArea > 0;
    // Inner wires run clockwise about their cap's normal.
    auto inner = [&](const TopoDS_Wire& e, int ccw, const gp_Dir& nrm) {
      return (ccw == 1) == (nrm.Dot(S.Frame.Direction()) > 0) ? TopoDS::Wire(e.Reversed()) : e;
    };
    addInner(bottom, oldBottom, inner(sides.Bottom, bottomCcw, nBottom));
    addInner(top, oldTop, inner(sides.Top, topCcw, nTop));
    for (size_t k = 0; k < o.Islands.size(); ++k) {
      const TUnionLoop& island = o.Islands[k];
      // Counter-clockwise, the island's wire bounds the piece.
      TopoDS_Wire iw = UnionWire(S.Frame, o.Circles, island);
      if (iw.IsNull()) return error = "a hole group's island cannot be built", true;
      BRepBuilderAPI_MakeFace pf(base, Oriented(iw, S.Frame, S.Frame.Direction(), true), true);
      if (!pf.IsDone()) return error = "a hole group's island cannot be built", true;
      BRepPrimAPI_MakePrism piece(pf.Face(), S.Extrusion);
      if (!piece.IsDone()) return error = "a hole group's island cannot be built", true;
      TopoDS_Shape cut = piece.Shape();
      if (k < o.Inside.size() && !o.Inside[k].empty()) {
        TopTools_ListOfShape args, tools;
        args.Append(cut);
        const gp_Pln below(S.Frame.Translated(-0.5 * S.Extrusion));
        for (auto& h : o.Inside[k]) {
          TopoDS_Face f = BRepBuilderAPI_MakeFace(
                              below, MakeCircleWire(S.Frame.Translated(-0.5 * S.Extrusion), h.C, h.R, true), true)
                              .Face();
          tools.Append(BRepPrimAPI_MakePrism(f, 2 * S.Extrusion).Shape());
        }
        BRepAlgoAPI_Cut local;
        local.SetArguments(args);
        local.SetTools(tools);
        local.Build();
        if (!local.IsDone() || local.HasErrors()) return error = "the holes inside a hole group cannot be cut", true;
        cut = local.Shape();
        general = true;
        Note("holes inside islands, cut from the island", o.Inside[k].size());
      }
      for (TopExp_Explorer ex(cut, TopAbs_SOLID); ex.More(); ex.Next()) others.push_back(ex.Current());
    }
    for (auto& f : sides.Sides) walls.push_back(TopoDS::Face(f.Reversed()));
  }
  bottom.Orientation(oldBottom.Orientation());
  top.Orientation(oldTop.Orientation());

  TopoDS_Shell shell;
  bb.MakeShell(shell);
  for (auto& f : kept) bb.Add(shell, f);
  for (auto& f : outerWalls) bb.Add(shell, f);
  for (auto& f : walls) bb.Add(shell, f);
  bb.Add(shell, bottom);
  bb.Add(shell, top);
  shell.Closed(true);
  TopoDS_Solid solid;
  bb.MakeSolid(solid);
  bb.Add(solid, shell);

  others.insert(others.end(), cutOff.begin(), cutOff.end());
  TopoDS_Shape result = solid;
  if (!others.empty()) {
    TopoDS_Compound all;
    bb.MakeCompound(all);
    bb.Add(all, solid);
    for (auto& o : others) bb.Add(all, o);
    result = all;
  }
  if (!newOuter.Polygon.empty()) S.Outer = std::move(newOuter);
  for (auto& w : newInnerBottom) S.Blocked.push_back(LoopOfWire(w, S.Frame));
  for (int i : singles) {
    TLoop l;
    l.C = c[i].C;
    l.R = c[i].R;
    l.Box = {l.C.x - l.R, l.C.y - l.R, l.C.x + l.R, l.C.y + l.R};
    S.Blocked.push_back(std::move(l));
  }
  for (auto& o : unions) S.Blocked.push_back(UnionLoopPolygon(o.Circles, o.Loop));
  // When the body only gained walls, the tags of its faces need no new search.
  if (newOuterBottom.IsNull() && cutOff.empty() && others.size() == othersBefore)
    SetShapeAdding(result, walls, tag);
  else
    SetShape(result, tag);

  // The outer wire as the face hands it out, found by the wire that went in.
  auto outerOf = [](const TopoDS_Face& cap, const TopoDS_Wire& added, const TopoDS_Wire& old) {
    if (added.IsNull()) return old;
    for (TopExp_Explorer ex(cap, TopAbs_WIRE); ex.More(); ex.Next())
      if (ex.Current().TShape() == added.TShape()) return TopoDS::Wire(ex.Current());
    return TopoDS_Wire();
  };
  FCaps.Body = result;
  FCaps.Solid = solid;
  FCaps.Bottom = bottom;
  FCaps.Top = top;
  FCaps.OuterBottom = outerOf(bottom, newOuterBottom, outerBottom.IsNull() ? knownOuterBottom : outerBottom);
  FCaps.OuterTop = outerOf(top, newOuterTop, outerTop.IsNull() ? knownOuterTop : outerTop);
  FCaps.Kept = std::move(kept);
  // Room for the next cuts' walls as well: each time the list grows, every face in it is copied.
  const size_t need = FCaps.Kept.size() + outerWalls.size() + walls.size();
  if (need > FCaps.Kept.capacity()) FCaps.Kept.reserve(std::max(need, 2 * FCaps.Kept.capacity()));
  FCaps.Kept.insert(FCaps.Kept.end(), outerWalls.begin(), outerWalls.end());
  FCaps.Kept.insert(FCaps.Kept.end(), walls.begin(), walls.end());
  FCaps.Small = std::move(smallCaps);
  FCaps.Others = std::move(others);
  return finish();
}

}  // namespace corvane
