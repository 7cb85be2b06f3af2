#include "corvane/StepWriter.h"

#include "corvane/CapTiles.h"
#include "corvane/ShellWalk.h"
#include "corvane/StepData.h"
#include "corvane/StepText.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Circle.hxx>
#include <Geom_Conic.hxx>
#include <Geom_ConicalSurface.hxx>
#include <Geom_CylindricalSurface.hxx>
#include <Geom_Ellipse.hxx>
#include <Geom_Line.hxx>
#include <Geom_Plane.hxx>
#include <Geom_RectangularTrimmedSurface.hxx>
#include <Geom_SphericalSurface.hxx>
#include <Geom_SurfaceOfLinearExtrusion.hxx>
#include <Geom_ToroidalSurface.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <map>
#include <stdexcept>
#include <tuple>
#include <unordered_map>

namespace corvane {
namespace {

constexpr double kMmPerCm = 10.0;
// Planar faces with more inner loops than this are written as tiles of about kTileHoles.
constexpr size_t kTileAbove = 96;
constexpr int kTileHoles = 64;
// Marks files this host wrote; the reader trusts their shapes (see StepFiles.cpp).
constexpr const char* kOriginatingSystem = "Corvane substitute host";

struct EUncovered : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void Header(std::string& out, const std::string& name) {
  std::time_t now = std::time(nullptr);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
  out += "ISO-10303-21;\nHEADER;\nFILE_DESCRIPTION(('Open CASCADE Model'),'2;1');\nFILE_NAME(";
  AppendStepString(out, name);
  out += ",'";
  out += stamp;
  out += "',('Author'),(''),'Corvane STEP writer',";
  AppendStepString(out, kOriginatingSystem);
  out += ",'Unknown');\nFILE_SCHEMA(('AUTOMOTIVE_DESIGN { 1 0 10303 214 1 1 1 1 }'));\nENDSEC;\nDATA;\n";
}

void Footer(std::string& out) { out += "ENDSEC;\nEND-ISO-10303-21;\n"; }

// The ids every file begins with.
struct TContexts {
  int App = 0, Product = 0, Definition = 0, Geometry = 0;
};

// A file holds one application context: given App, that of a copied part, no other is written.
TContexts WriteContexts(TStepText& t, int app = 0) {
  TContexts c;
  c.App = app;
  if (!c.App) {
    t.Begin();
    c.App = t.Next();
    t.Raw("APPLICATION_PROTOCOL_DEFINITION('international standard','automotive_design',2000,").Ref(c.App).End();
    t.Entity("APPLICATION_CONTEXT('core data for automotive mechanical design processes')");
  }
  c.Product = t.Begin();
  t.Raw("PRODUCT_CONTEXT('',").Ref(c.App).Raw(",'mechanical'").End();
  c.Definition = t.Begin();
  t.Raw("PRODUCT_DEFINITION_CONTEXT('part definition',").Ref(c.App).Raw(",'design'").End();
  int mm = t.Entity("( LENGTH_UNIT() NAMED_UNIT(*) SI_UNIT(.MILLI.,.METRE.) )");
  int rad = t.Entity("( NAMED_UNIT(*) PLANE_ANGLE_UNIT() SI_UNIT($,.RADIAN.) )");
  int sr = t.Entity("( NAMED_UNIT(*) SI_UNIT($,.STERADIAN.) SOLID_ANGLE_UNIT() )");
  int unc = t.Begin();
  t.Raw("UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(1.E-07),")
      .Ref(mm)
      .Raw(",'distance_accuracy_value','confusion accuracy'")
      .End();
  c.Geometry = t.Begin();
  t.Raw("( GEOMETRIC_REPRESENTATION_CONTEXT(3) GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((")
      .Ref(unc)
      .Raw(")) GLOBAL_UNIT_ASSIGNED_CONTEXT((")
      .Ref(mm)
      .Raw(",")
      .Ref(rad)
      .Raw(",")
      .Ref(sr)
      .Raw(")) REPRESENTATION_CONTEXT('Context #1','3D Context with UNIT and UNCERTAINTY') )");
  t.Out() += ";\n";
  return c;
}

// PRODUCT ... PRODUCT_DEFINITION_SHAPE; returns the definition and its shape.
std::pair<int, int> WriteProduct(TStepText& t, const TContexts& c, const std::string& name) {
  int product = t.Begin();
  t.Raw("PRODUCT(").Str(name).Raw(",").Str(name).Raw(",'',(").Ref(c.Product).Raw(")").End();
  t.Begin();
  t.Raw("PRODUCT_RELATED_PRODUCT_CATEGORY('part',$,(").Ref(product).Raw(")").End();
  int formation = t.Begin();
  t.Raw("PRODUCT_DEFINITION_FORMATION('','',").Ref(product).End();
  int definition = t.Begin();
  t.Raw("PRODUCT_DEFINITION('design','',").Ref(formation).Raw(",").Ref(c.Definition).End();
  int shape = t.Begin();
  t.Raw("PRODUCT_DEFINITION_SHAPE('','',").Ref(definition).End();
  return {definition, shape};
}

// ---------------------------------------------------------------- B-rep

class TBrepWriter {
 public:
  explicit TBrepWriter(TStepText& t) : T(t) {}

  // The solids of the shape; anything else in it is not covered.
  std::vector<int> Solids(const TopoDS_Shape& shape) {
    std::vector<int> ids;
    if (shape.IsNull()) return ids;
    const size_t faces = CountFaces(shape);
    size_t inSolids = 0;
    // About 1.5 kB of text a hole's wall with its share of the caps: room made at once is
    // not regrown.
    FWalk.Reserve(faces);
    T.Expect(1600 * faces);
    std::vector<TopoDS_Shape> solids;
    CollectSolids(shape, solids);
    for (const TopoDS_Shape& solid : solids) {
      std::vector<TopoDS_Shell> shells;
      for (TopoDS_Iterator it(solid, true, true); it.More(); it.Next())
        if (it.Value().ShapeType() == TopAbs_SHELL) shells.push_back(TopoDS::Shell(it.Value()));
      if (shells.size() != 1) throw EUncovered("a solid with cavities");
      inSolids += CountFaces(solid);
      int shell = Shell(shells[0]);
      int id = T.Begin();
      T.Raw("MANIFOLD_SOLID_BREP('',").Ref(shell).End();
      ids.push_back(id);
    }
    if (faces != inSolids) throw EUncovered("faces outside solids");
    return ids;
  }

  int Axis(const gp_Pnt& p, const gp_Dir& z, const gp_Dir& x) {
    int pt = Point(p), dz = Dir(z), dx = Dir(x);
    int id = T.Begin();
    T.Raw("AXIS2_PLACEMENT_3D('',").Ref(pt).Raw(",").Ref(dz).Raw(",").Ref(dx).End();
    return id;
  }

 private:
  using TUse = TShellWalk::TUse;
  using TWire = TShellWalk::TWire;
  using TFace = TShellWalk::TFace;

  // Faces wherever they are, each occurrence counted.
  static size_t CountFaces(const TopoDS_Shape& s) {
    if (s.ShapeType() == TopAbs_FACE) return 1;
    if (s.ShapeType() > TopAbs_FACE) return 0;
    size_t n = 0;
    for (TopoDS_Iterator it(s, false, false); it.More(); it.Next()) n += CountFaces(it.Value());
    return n;
  }
  // The solids of compounds, depth first, placed and oriented as the compounds hold them.
  static void CollectSolids(const TopoDS_Shape& s, std::vector<TopoDS_Shape>& out) {
    if (s.ShapeType() == TopAbs_SOLID) {
      out.push_back(s);
      return;
    }
    if (s.ShapeType() > TopAbs_SOLID) return;
    for (TopoDS_Iterator it(s, true, true); it.More(); it.Next()) CollectSolids(it.Value(), out);
  }

  int Point(const gp_Pnt& p) {
    int id = T.Begin();
    T.Raw("CARTESIAN_POINT('',").Triple(p.X() * kMmPerCm, p.Y() * kMmPerCm, p.Z() * kMmPerCm).End();
    return id;
  }
  // Most directions are the board's axes: each is written once.
  int Dir(const gp_Dir& d) {
    int& id = FDirs[{d.X(), d.Y(), d.Z()}];
    if (!id) {
      id = T.Begin();
      T.Raw("DIRECTION('',").Triple(d.X(), d.Y(), d.Z()).End();
    }
    return id;
  }

  int Shell(const TopoDS_Shell& shell) {
    FWalk.Walk(shell);
    std::vector<int> faces;
    faces.reserve(FWalk.Faces().size());
    for (int f : FWalk.ConnectedOrder()) Face(FWalk.Faces()[f], faces);
    int id = T.Begin();
    T.Raw(shell.Closed() || BRep_Tool::IsClosed(shell) ? "CLOSED_SHELL('',(" : "OPEN_SHELL('',(");
    for (size_t i = 0; i < faces.size(); ++i) {
      if (i) T.Raw(",");
      T.Ref(faces[i]);
    }
    T.Raw(")").End();
    return id;
  }

  // A swept line is a plane, a circle swept along its axis a cylinder; the frame is chosen so that
  // the normal stays the sweep's own (the curve's tangent crossed with the sweep direction).
  static Handle(Geom_Surface) CanonicalSweep(const Handle(Geom_SurfaceOfLinearExtrusion) & x) {
    Handle(Geom_Curve) c = x->BasisCurve();
    if (auto tr = Handle(Geom_TrimmedCurve)::DownCast(c)) c = tr->BasisCurve();
    const gp_Dir v = x->Direction();
    if (auto l = Handle(Geom_Line)::DownCast(c)) {
      const gp_Dir d = l->Position().Direction();
      if (d.IsParallel(v, 1e-9)) throw EUncovered("a line swept along itself");
      return new Geom_Plane(gp_Ax3(l->Position().Location(), d.Crossed(v), d));
    }
    if (auto k = Handle(Geom_Circle)::DownCast(c)) {
      const gp_Ax2& a = k->Position();
      if (!a.Direction().IsParallel(v, 1e-9)) throw EUncovered("a circle swept off its axis");
      // Against the axis the sweep's normal points inwards: a left-handed frame says so.
      gp_Ax3 frame(a);
      if (a.Direction().IsOpposite(v, 1e-9)) frame.ZReverse();
      return new Geom_CylindricalSurface(frame, k->Radius());
    }
    throw EUncovered(std::string("a sweep of a curve of type ") + c->DynamicType()->Name());
  }

  // The surface, and whether its normal is opposite to OpenCASCADE's for the same surface.
  int Surface(const TopoDS_Face& f, bool& flipped) {
    TopLoc_Location loc;
    Handle(Geom_Surface) s = BRep_Tool::Surface(f, loc);
    if (s.IsNull()) throw EUncovered("a face without a surface");
    if (auto tr = Handle(Geom_RectangularTrimmedSurface)::DownCast(s)) s = tr->BasisSurface();
    if (!loc.IsIdentity()) s = Handle(Geom_Surface)::DownCast(s->Transformed(loc.Transformation()));
    // Walls extruded from a plane region come as swept lines and arcs: the same plane or cylinder.
    if (auto x = Handle(Geom_SurfaceOfLinearExtrusion)::DownCast(s)) s = CanonicalSweep(x);
    auto axis = [&](const gp_Ax3& a) {
      // The exchange format's placements are right-handed; a left-handed frame keeps its
      // main direction and turns the surface's normal round.
      flipped = !a.Direct();
      return Axis(a.Location(), a.Direction(), a.XDirection());
    };
    if (auto p = Handle(Geom_Plane)::DownCast(s)) {
      int ax = axis(p->Position());
      int id = T.Begin();
      T.Raw("PLANE('',").Ref(ax).End();
      return id;
    }
    if (auto c = Handle(Geom_CylindricalSurface)::DownCast(s)) {
      int ax = axis(c->Position());
      int id = T.Begin();
      T.Raw("CYLINDRICAL_SURFACE('',").Ref(ax).Raw(",").Real(c->Radius() * kMmPerCm).End();
      return id;
    }
    if (auto c = Handle(Geom_ConicalSurface)::DownCast(s)) {
      if (c->SemiAngle() <= 0) throw EUncovered("a cone opening against its axis");
      int ax = axis(c->Position());
      int id = T.Begin();
      T.Raw("CONICAL_SURFACE('',").Ref(ax).Raw(",").Real(c->RefRadius() * kMmPerCm).Raw(",");
      T.Real(c->SemiAngle()).End();
      return id;
    }
    if (auto c = Handle(Geom_SphericalSurface)::DownCast(s)) {
      int ax = axis(c->Position());
      int id = T.Begin();
      T.Raw("SPHERICAL_SURFACE('',").Ref(ax).Raw(",").Real(c->Radius() * kMmPerCm).End();
      return id;
    }
    if (auto c = Handle(Geom_ToroidalSurface)::DownCast(s)) {
      int ax = axis(c->Position());
      int id = T.Begin();
      T.Raw("TOROIDAL_SURFACE('',").Ref(ax).Raw(",").Real(c->MajorRadius() * kMmPerCm).Raw(",");
      T.Real(c->MinorRadius() * kMmPerCm).End();
      return id;
    }
    throw EUncovered(std::string("a surface of type ") + s->DynamicType()->Name());
  }

  // A loop from oriented edges, walked in order.
  int Bound(const std::vector<std::pair<int, bool>>& edges) {
    std::string& o = T.Out();
    FOriented.clear();
    for (auto [id, forward] : edges) {
      FOriented.push_back(T.Begin());
      o += "ORIENTED_EDGE('',*,*,";
      T.Ref(id).Raw(",").Bool(forward).End();
    }
    int loop = T.Begin();
    o += "EDGE_LOOP('',(";
    for (size_t i = 0; i < FOriented.size(); ++i) {
      if (i) o += ',';
      T.Ref(FOriented[i]);
    }
    T.Raw(")").End();
    int bound = T.Begin();
    T.Raw("FACE_BOUND('',").Ref(loop).Raw(",.T.").End();
    return bound;
  }

  // A loop of a wire the walk did not see (the same edges in another order).
  int Bound(const TopoDS_Shape& wire) {
    std::vector<std::pair<int, bool>> edges;
    for (TopoDS_Iterator e(wire, true, true); e.More(); e.Next()) {
      if (e.Value().ShapeType() != TopAbs_EDGE) throw EUncovered("a face bounded by something else than wires");
      edges.emplace_back(Edge(FWalk.EdgeOf(TopoDS::Edge(e.Value()))), e.Value().Orientation() == TopAbs_FORWARD);
    }
    // A reversed wire is walked from its end so that each edge starts where the last ended.
    if (wire.Orientation() == TopAbs_REVERSED) std::reverse(edges.begin(), edges.end());
    return Bound(edges);
  }

  // The wire as it is when each edge starts where the one before it ends, as an edge loop
  // must; else the same edges in that order (the side walls of an extrusion come unordered).
  int Bound(const TWire& w, const TopoDS_Face& face) {
    const TUse* uses = FWalk.Uses().data() + w.First;
    const int n = w.Count;
    auto walked = [&](int k) -> const TUse& { return uses[w.Reversed ? n - 1 - k : k]; };
    bool chained = true;
    for (int k = 0; chained && k < n; ++k)
      chained = FWalk.LastVertex(walked(k)) == FWalk.FirstVertex(walked((k + 1) % n));
    if (!chained) {
      TopoDS_Wire ordered;
      BRep_Builder b;
      b.MakeWire(ordered);
      int m = 0;
      for (BRepTools_WireExplorer e(TopoDS::Wire(w.Shape), face); e.More(); e.Next(), ++m) b.Add(ordered, e.Current());
      if (m == n) return Bound(ordered);
    }
    FEdgesOfLoop.clear();
    for (int k = 0; k < n; ++k) FEdgesOfLoop.emplace_back(Edge(uses[k].Edge), uses[k].Orientation == TopAbs_FORWARD);
    // A reversed wire is walked from its end so that each edge starts where the last ended.
    if (w.Reversed) std::reverse(FEdgesOfLoop.begin(), FEdgesOfLoop.end());
    return Bound(FEdgesOfLoop);
  }

  int AdvancedFace(const std::vector<int>& bounds, int surface, bool sense) {
    int id = T.Begin();
    T.Raw("ADVANCED_FACE('',(");
    for (size_t i = 0; i < bounds.size(); ++i) {
      if (i) T.Raw(",");
      T.Ref(bounds[i]);
    }
    T.Raw("),").Ref(surface).Raw(",").Bool(sense).End();
    return id;
  }

  void Face(const TFace& f, std::vector<int>& faces) {
    if (!f.OnlyWires) throw EUncovered("a face bounded by something else than wires");
    if (static_cast<size_t>(f.Wires) > kTileAbove && Tiled(f, faces)) return;
    std::vector<int> bounds;
    bounds.reserve(f.Wires);
    for (int w = f.FirstWire; w < f.FirstWire + f.Wires; ++w) bounds.push_back(Bound(FWalk.Wires()[w], f.Shape));
    bool flipped = false;
    int surface = Surface(f.Shape, flipped);
    faces.push_back(AdvancedFace(bounds, surface, (f.Shape.Orientation() == TopAbs_FORWARD) != flipped));
  }

  // Points along the wire as walked, each edge's end left to the next edge, in the plane.
  template <class TFlat>
  void Sample(const TWire& w, const TFlat& flat, std::vector<std::pair<double, double>>& pts) {
    pts.clear();
    for (int k = w.First; k < w.First + w.Count; ++k) {
      const TUse& u = FWalk.Uses()[k];
      const TopoDS_Edge& e = FWalk.Edges()[u.Edge].Shape;
      const size_t from = pts.size();
      TopLoc_Location loc;
      double first, last;
      const Handle(Geom_Curve)& c = BRep_Tool::Curve(e, loc, first, last);
      Handle(Geom_Curve) basis = c;
      if (auto tr = Handle(Geom_TrimmedCurve)::DownCast(basis)) basis = tr->BasisCurve();
      const bool line = !basis.IsNull() && basis->IsKind(STANDARD_TYPE(Geom_Line));
      const int n = line ? 1 : 24;
      if (!basis.IsNull() && basis->DynamicType() == STANDARD_TYPE(Geom_Circle)) {
        // The circle's points as it computes them, with the angles' sines and cosines kept:
        // the holes' circles all run over the same parameters.
        const auto& k = static_cast<const Geom_Circle&>(*basis);
        if (first != FAngles.First || last != FAngles.Last) {
          FAngles = {first, last, {}, {}};
          for (int i = 0; i <= n; ++i) {
            FAngles.Cos[i] = std::cos(first + (last - first) * i / n);
            FAngles.Sin[i] = std::sin(first + (last - first) * i / n);
          }
        }
        const gp_XYZ &xd = k.Position().XDirection().XYZ(), &yd = k.Position().YDirection().XYZ();
        const gp_XYZ& at = k.Position().Location().XYZ();
        const double r = k.Radius();
        const gp_Trsf trsf = loc.Transformation();
        for (int i = 0; i <= n; ++i) {
          const double a1 = r * FAngles.Cos[i], a2 = r * FAngles.Sin[i];
          gp_Pnt p(a1 * xd.X() + a2 * yd.X() + at.X(), a1 * xd.Y() + a2 * yd.Y() + at.Y(),
                   a1 * xd.Z() + a2 * yd.Z() + at.Z());
          p.Transform(trsf);
          pts.push_back(flat(p));
        }
      } else if (line || (!basis.IsNull() && basis->IsKind(STANDARD_TYPE(Geom_Conic)))) {
        // What the edge's adaptor would give, without making one per edge.
        const gp_Trsf trsf = loc.Transformation();
        for (int i = 0; i <= n; ++i) {
          gp_Pnt p;
          basis->D0(first + (last - first) * i / n, p);
          p.Transform(trsf);
          pts.push_back(flat(p));
        }
      } else {
        BRepAdaptor_Curve a(e);
        for (int i = 0; i <= n; ++i)
          pts.push_back(flat(a.Value(a.FirstParameter() + (a.LastParameter() - a.FirstParameter()) * i / n)));
      }
      if (u.Orientation == TopAbs_REVERSED) std::reverse(pts.begin() + from, pts.end());
      pts.pop_back();
    }
  }

  // The box in the plane of a wire that is one whole circle lying in it (a drilled hole's rim):
  // its centre and radius, without sampling it.
  template <class TFlat>
  bool CircleBox(const TWire& w, const gp_Ax3& frame, const TFlat& flat, TTileBox& box) {
    if (w.Count != 1) return false;
    const TopoDS_Edge& e = FWalk.Edges()[FWalk.Uses()[w.First].Edge].Shape;
    TopLoc_Location loc;
    double first, last;
    const Handle(Geom_Curve)& c = BRep_Tool::Curve(e, loc, first, last);
    const Geom_Curve* basis = c.get();
    if (basis && basis->DynamicType() == STANDARD_TYPE(Geom_TrimmedCurve))
      basis = static_cast<const Geom_TrimmedCurve*>(basis)->BasisCurve().get();
    if (!basis || basis->DynamicType() != STANDARD_TYPE(Geom_Circle) || std::abs(last - first - 2 * M_PI) > 1e-9)
      return false;
    gp_Ax2 a = static_cast<const Geom_Circle*>(basis)->Position();
    if (!loc.IsIdentity()) {
      if (std::abs(loc.Transformation().ScaleFactor() - 1) > 1e-12) return false;
      a.Transform(loc.Transformation());
    }
    if (!a.Direction().IsParallel(frame.Direction(), 1e-9)) return false;
    const double r = static_cast<const Geom_Circle*>(basis)->Radius();
    const auto [x, y] = flat(a.Location());
    box = {x - r, y - r, x + r, y + r};
    return true;
  }

  // A planar face with many inner loops as a grid of tiles and the band the tiles leave.
  bool Tiled(const TFace& face, std::vector<int>& faces) {
    const TopoDS_Face& f = face.Shape;
    TopLoc_Location loc;
    Handle(Geom_Plane) plane = Handle(Geom_Plane)::DownCast(BRep_Tool::Surface(f, loc));
    if (plane.IsNull()) return false;
    gp_Ax3 frame = plane->Position();
    if (!loc.IsIdentity()) frame.Transform(loc.Transformation());
    const gp_Pnt o = frame.Location();
    const gp_Vec xd(frame.XDirection()), yd(frame.YDirection());
    auto flat = [&](const gp_Pnt& p) { return std::pair{gp_Vec(o, p).Dot(xd), gp_Vec(o, p).Dot(yd)}; };
    // The outer loop spans the largest box; asking the face would compute its parameter bounds.
    double largest = -1;
    std::vector<std::pair<double, double>> outline, pts;
    std::vector<TTileBox> inner;
    std::vector<const TWire*> innerWires;
    inner.reserve(face.Wires);
    innerWires.reserve(face.Wires);
    const TWire* outerWire = nullptr;
    TTileBox outerBox{};
    for (int k = face.FirstWire; k < face.FirstWire + face.Wires; ++k) {
      const TWire& w = FWalk.Wires()[k];
      TTileBox b{1e300, 1e300, -1e300, -1e300};
      const bool circle = CircleBox(w, frame, flat, b);
      if (!circle) {
        Sample(w, flat, pts);
        for (auto [x, y] : pts) b = {std::min(b.X0, x), std::min(b.Y0, y), std::max(b.X1, x), std::max(b.Y1, y)};
      }
      const double area = (b.X1 - b.X0) * (b.Y1 - b.Y0);
      if (area > largest) {
        if (outerWire) {  // the previous candidate is an inner loop after all
          inner.push_back(outerBox);
          innerWires.push_back(outerWire);
        }
        largest = area;
        outerWire = &w;
        outerBox = b;
        if (circle) Sample(w, flat, pts);
        outline = pts;
        continue;
      }
      inner.push_back(b);
      innerWires.push_back(&w);
    }
    // Samples cut the corners of arcs short.
    for (auto& b : inner) {
      const double grow = 0.05 * std::max(b.X1 - b.X0, b.Y1 - b.Y0);
      b = {b.X0 - grow, b.Y0 - grow, b.X1 + grow, b.Y1 + grow};
    }
    TTilePlan plan;
    if (!outerWire || !PlanTiles(inner, outline, kTileHoles, plan)) return false;

    bool flipped = false;
    const int surface = Surface(f, flipped);
    const bool sense = (f.Orientation() == TopAbs_FORWARD) != flipped;
    // Loops run counter-clockwise about the face's outward normal: in the plane's own
    // coordinates when the face is forward.
    const bool reversed = f.Orientation() == TopAbs_REVERSED;
    const int rows = plan.Rows();
    std::map<std::pair<int, int>, int> corners;
    auto corner = [&](int i, int j) {
      int& id = corners[{i, j}];
      if (!id) {
        int pt = Point(o.Translated(xd * plan.Xs[i] + yd * plan.Ys[j]));
        id = T.Begin();
        T.Raw("VERTEX_POINT('',").Ref(pt).End();
      }
      return id;
    };
    // Grid edges run towards increasing i (along) or j (across).
    std::map<std::tuple<int, int, bool>, int> sides;
    auto side = [&](int i, int j, bool along) {
      int& id = sides[{i, j, along}];
      if (!id) {
        int a = corner(i, j), b = along ? corner(i + 1, j) : corner(i, j + 1);
        gp_Pnt p = o.Translated(xd * plan.Xs[i] + yd * plan.Ys[j]);
        int pt = Point(p);
        int dir = Dir(gp_Dir(along ? xd : yd));
        int vec = T.Begin();
        T.Raw("VECTOR('',").Ref(dir).Raw(",1.").End();
        int line = T.Begin();
        T.Raw("LINE('',").Ref(pt).Raw(",").Ref(vec).End();
        id = T.Begin();
        T.Raw("EDGE_CURVE('',").Ref(a).Raw(",").Ref(b).Raw(",").Ref(line).Raw(",.T.").End();
      }
      return id;
    };
    // A cell's border counter-clockwise in the plane, as half edges from corner to corner.
    struct THalf {
      int Edge;
      bool Forward;
      std::pair<int, int> From, To;
    };
    auto border = [&](int i, int j) {
      return std::vector<THalf>{{side(i, j, true), true, {i, j}, {i + 1, j}},
                                {side(i + 1, j, false), true, {i + 1, j}, {i + 1, j + 1}},
                                {side(i, j + 1, true), false, {i + 1, j + 1}, {i, j + 1}},
                                {side(i, j, false), false, {i, j + 1}, {i, j}}};
    };
    auto loopOf = [&](std::vector<THalf> halves) {
      std::vector<std::pair<int, bool>> edges;
      if (reversed) std::reverse(halves.begin(), halves.end());
      for (auto& h : halves) edges.emplace_back(h.Edge, h.Forward != reversed);
      return Bound(edges);
    };
    std::vector<std::vector<int>> holesOf(plan.Tile.size());
    std::vector<int> band{Bound(*outerWire, f)};
    for (size_t k = 0; k < innerWires.size(); ++k) {
      int cell = plan.WireCell[k];
      (cell < 0 ? band : holesOf[cell]).push_back(Bound(*innerWires[k], f));
    }
    // The band goes first so that every tile meets a face before it (see ConnectedOrder).
    const size_t bandAt = faces.size();
    faces.push_back(0);
    // The band's inner loops are the tiles' outer borders walked the other way.
    std::map<std::pair<int, int>, THalf> bandHalves;
    for (int i = 0; i < plan.Columns(); ++i)
      for (int j = 0; j < rows; ++j) {
        if (!plan.IsTile(i, j)) continue;
        std::vector<int> bounds{loopOf(border(i, j))};
        bounds.insert(bounds.end(), holesOf[i * rows + j].begin(), holesOf[i * rows + j].end());
        faces.push_back(AdvancedFace(bounds, surface, sense));
        const int ni[4] = {i, i + 1, i, i - 1}, nj[4] = {j - 1, j, j + 1, j};
        auto halves = border(i, j);
        for (int k = 0; k < 4; ++k)
          if (!plan.IsTile(ni[k], nj[k]))
            bandHalves[halves[k].To] = {halves[k].Edge, !halves[k].Forward, halves[k].To, halves[k].From};
      }
    while (!bandHalves.empty()) {
      std::vector<THalf> loop{bandHalves.begin()->second};
      bandHalves.erase(bandHalves.begin());
      for (auto it = bandHalves.find(loop.back().To); it != bandHalves.end(); it = bandHalves.find(loop.back().To)) {
        loop.push_back(it->second);
        bandHalves.erase(it);
      }
      band.push_back(loopOf(loop));
    }
    faces[bandAt] = AdvancedFace(band, surface, sense);
    return true;
  }

  int Vertex(int v) {
    int& id = FVertexIds[v];
    if (id) return id;
    int pt = Point(BRep_Tool::Pnt(FWalk.Vertices()[v]));
    id = T.Begin();
    T.Raw("VERTEX_POINT('',").Ref(pt).End();
    return id;
  }

  int Curve(const TopoDS_Edge& e) {
    TopLoc_Location loc;
    double first, last;
    Handle(Geom_Curve) c = BRep_Tool::Curve(e, loc, first, last);
    if (c.IsNull()) throw EUncovered("an edge without a curve");
    if (auto tr = Handle(Geom_TrimmedCurve)::DownCast(c)) c = tr->BasisCurve();
    if (!loc.IsIdentity()) c = Handle(Geom_Curve)::DownCast(c->Transformed(loc.Transformation()));
    if (auto l = Handle(Geom_Line)::DownCast(c)) {
      int pt = Point(l->Position().Location());
      int dir = Dir(l->Position().Direction());
      int vec = T.Begin();
      T.Raw("VECTOR('',").Ref(dir).Raw(",1.").End();
      int id = T.Begin();
      T.Raw("LINE('',").Ref(pt).Raw(",").Ref(vec).End();
      return id;
    }
    if (auto k = Handle(Geom_Circle)::DownCast(c)) {
      const gp_Ax2& a = k->Position();
      int ax = Axis(a.Location(), a.Direction(), a.XDirection());
      int id = T.Begin();
      T.Raw("CIRCLE('',").Ref(ax).Raw(",").Real(k->Radius() * kMmPerCm).End();
      return id;
    }
    if (auto k = Handle(Geom_Ellipse)::DownCast(c)) {
      const gp_Ax2& a = k->Position();
      int ax = Axis(a.Location(), a.Direction(), a.XDirection());
      int id = T.Begin();
      T.Raw("ELLIPSE('',").Ref(ax).Raw(",").Real(k->MajorRadius() * kMmPerCm).Raw(",");
      T.Real(k->MinorRadius() * kMmPerCm).End();
      return id;
    }
    throw EUncovered(std::string("a curve of type ") + c->DynamicType()->Name());
  }

  // One EDGE_CURVE per edge, however many faces share it.
  int Edge(int n) {
    if (FEdgeIds.size() < FWalk.Edges().size()) FEdgeIds.resize(FWalk.Edges().size(), 0);
    if (FVertexIds.size() < FWalk.Vertices().size()) FVertexIds.resize(FWalk.Vertices().size(), 0);
    int& id = FEdgeIds[n];
    if (id) return id;
    const TShellWalk::TEdge& e = FWalk.Edges()[n];
    if (BRep_Tool::Degenerated(e.Shape)) throw EUncovered("a degenerate edge");
    if (e.V0 < 0 || e.V1 < 0) throw EUncovered("an edge without its two ends");
    int a = Vertex(e.V0), b = Vertex(e.V1), c = Curve(e.Shape);
    id = T.Begin();
    T.Raw("EDGE_CURVE('',").Ref(a).Raw(",").Ref(b).Raw(",").Ref(c).Raw(",.T.").End();
    return id;
  }

  TStepText& T;
  TShellWalk FWalk;
  std::vector<int> FEdgeIds, FVertexIds;  // entity numbers, 0 while not written
  std::map<std::tuple<double, double, double>, int> FDirs;
  struct TAngles {
    double First = 0, Last = -1;
    double Cos[25], Sin[25];
  } FAngles;
  std::vector<int> FOriented;
  std::vector<std::pair<int, bool>> FEdgesOfLoop;
};

// ---------------------------------------------------------------- colours

// One fill and curve style per colour, shared by every styled item of that colour.
class TStyles {
 public:
  explicit TStyles(TStepText& t) : T(t) {}
  // "(#fill,#curve)" for a colour.
  std::string Of(int32_t color) {
    auto [it, added] = FByColor.try_emplace(color);
    if (added) {
      int rgb = T.Begin();
      T.Raw("COLOUR_RGB('',")
          .Real((color & 0xFF) / 255.0)
          .Raw(",")
          .Real(((color >> 8) & 0xFF) / 255.0)
          .Raw(",")
          .Real(((color >> 16) & 0xFF) / 255.0)
          .End();
      int fasc = T.Begin();
      T.Raw("FILL_AREA_STYLE_COLOUR('',").Ref(rgb).End();
      int fas = T.Begin();
      T.Raw("FILL_AREA_STYLE('',(").Ref(fasc).Raw(")").End();
      int ssfa = T.Begin();
      T.Raw("SURFACE_STYLE_FILL_AREA(").Ref(fas).End();
      int sss = T.Begin();
      T.Raw("SURFACE_SIDE_STYLE('',(").Ref(ssfa).Raw(")").End();
      int ssu = T.Begin();
      T.Raw("SURFACE_STYLE_USAGE(.BOTH.,").Ref(sss).End();
      if (!FFont) FFont = T.Entity("DRAUGHTING_PRE_DEFINED_CURVE_FONT('continuous')");
      int cs = T.Begin();
      T.Raw("CURVE_STYLE('',").Ref(FFont).Raw(",POSITIVE_LENGTH_MEASURE(0.1),").Ref(rgb).End();
      it->second = "(#" + std::to_string(ssu) + ",#" + std::to_string(cs) + ")";
    }
    return it->second;
  }

  // Styles the solids in the presentation of Context; an instance style names the
  // representation of its occurrence (InstanceRep), as readers of instance colours expect.
  void Style(const std::vector<int>& solids, int32_t color, int context, int instanceRep = 0) {
    if (color == -1 || solids.empty()) return;
    std::string styles = Of(color);
    int psa = T.Begin();
    if (instanceRep)
      T.Raw("PRESENTATION_STYLE_BY_CONTEXT(").Raw(styles).Raw(",").Ref(instanceRep).End();
    else
      T.Raw("PRESENTATION_STYLE_ASSIGNMENT(").Raw(styles).End();
    std::vector<int> items;
    for (int s : solids) {
      items.push_back(T.Begin());
      T.Raw("STYLED_ITEM('color',(").Ref(psa).Raw("),").Ref(s).End();
    }
    T.Begin();
    T.Raw("MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(");
    for (size_t i = 0; i < items.size(); ++i) {
      if (i) T.Raw(",");
      T.Ref(items[i]);
    }
    T.Raw("),").Ref(context).End();
  }

 private:
  TStepText& T;
  std::map<int32_t, std::string> FByColor;
  int FFont = 0;
};

bool RigidPlacement(const gp_Trsf& t) {
  return std::abs(t.ScaleFactor() - 1.0) < 1e-12 && t.VectorialPart().Determinant() > 0;
}

}  // namespace

bool WriteStepPartText(const TModelFile& part, const std::function<void(std::string_view)>& sink, TStepLayout& layout,
                       std::string& why) {
  try {
    TStepText t;
    t.StreamTo(sink);
    Header(t.Out(), part.Name);
    layout.DataBegin = t.Offset();
    TContexts c = WriteContexts(t);
    auto [definition, shape] = WriteProduct(t, c, part.Name);
    TBrepWriter brep(t);
    int origin = brep.Axis(gp_Pnt(0, 0, 0), gp::DZ(), gp::DX());
    std::vector<int> solids = brep.Solids(part.Shape);
    int rep = t.Begin();
    t.Raw("ADVANCED_BREP_SHAPE_REPRESENTATION(").Str(part.Name).Raw(",(").Ref(origin);
    for (int s : solids) t.Raw(",").Ref(s);
    t.Raw("),").Ref(c.Geometry).End();
    t.Begin();
    t.Raw("SHAPE_DEFINITION_REPRESENTATION(").Ref(shape).Raw(",").Ref(rep).End();
    TStyles(t).Style(solids, part.Color, c.Geometry);
    layout.DataEnd = t.Offset();
    layout.Last = t.Next() - 1;
    layout.AppContext = c.App;
    layout.Part = {definition, rep, solids, c.Geometry, origin};
    Footer(t.Out());
    t.Flush();
    return true;
  } catch (const EUncovered& e) {
    why = e.what();
    return false;
  }
}

bool WriteStepAssemblyText(const std::string& name, const std::vector<TPlacedModel>& placements,
                           const std::function<void(std::string_view)>& sink, const TAssemblySources& sources,
                           std::string& why) {
  const TModelFile* first = sources.First;
  TStepText t(first ? sources.FirstLayout.Last + 1 : 1);
  t.StreamTo(sink);
  Header(t.Out(), name);
  if (first) {
    t.Flush();
    sources.CopyFirst();
  }
  TContexts c = WriteContexts(t, first ? sources.FirstLayout.AppContext : 0);
  auto [assembly, shape] = WriteProduct(t, c, name);
  TBrepWriter geometry(t);
  int origin = geometry.Axis(gp_Pnt(0, 0, 0), gp::DZ(), gp::DX());
  const int rep = t.Reserve();
  t.Begin();
  t.Raw("SHAPE_DEFINITION_REPRESENTATION(").Ref(shape).Raw(",").Ref(rep).End();

  struct TPart {
    TEmbeddedPart Embedded;
    int Origin = 0;  // the part's own origin, for the placement transforms
  };
  std::map<const TModelFile*, TPart> parts;
  TStyles styles(t);
  std::vector<int> axes{origin};
  int n = 0;
  for (auto& p : placements) {
    ++n;
    const TModelFile& model = *p.Model;
    auto [it, added] = parts.try_emplace(&model);
    if (added) {
      if (&model == first) {
        it->second.Embedded = sources.FirstLayout.Part;
      } else {
        auto data = model.Step ? model.Step : sources.Entities ? sources.Entities(model) : nullptr;
        if (!data) {
          why = "the file of " + model.Name + (model.File ? " cannot be read" : " was not kept as text");
          return false;
        }
        std::string reason;
        if (!EmbedStepData(*data, t, c.App, it->second.Embedded, reason)) {
          why = "the file of " + model.Name + " cannot be copied: " + reason;
          return false;
        }
      }
      // A transformation maps an item of the part's representation; a part without one at its
      // origin gets an axis of its own, which readers accept with a warning.
      it->second.Origin =
          it->second.Embedded.Origin ? it->second.Embedded.Origin : geometry.Axis(gp_Pnt(0, 0, 0), gp::DZ(), gp::DX());
    }
    const TPart& part = it->second;
    if (!RigidPlacement(p.Placement)) {
      why = "an occurrence of " + model.Name + " is scaled or mirrored";
      return false;
    }
    if (p.Color != -1 && part.Embedded.Solids.empty()) {
      why = "the solids of " + model.Name + " cannot be coloured";
      return false;
    }
    const gp_Mat m = p.Placement.VectorialPart();
    int axis = geometry.Axis(gp_Pnt(p.Placement.TranslationPart()), gp_Dir(m.Column(3)), gp_Dir(m.Column(1)));
    axes.push_back(axis);
    std::string instance = p.Name.empty() ? std::to_string(n) : p.Name;
    int nauo = t.Begin();
    t.Raw("NEXT_ASSEMBLY_USAGE_OCCURRENCE(").Str(instance).Raw(",").Str(instance).Raw(",'',");
    t.Ref(assembly).Raw(",").Ref(part.Embedded.ProductDefinition).Raw(",$").End();
    int placement = t.Begin();
    t.Raw("PRODUCT_DEFINITION_SHAPE('Placement','Placement of an item',").Ref(nauo).End();
    int transform = t.Begin();
    t.Raw("ITEM_DEFINED_TRANSFORMATION('','',").Ref(part.Origin).Raw(",").Ref(axis).End();
    int relation = t.Begin();
    t.Raw("( REPRESENTATION_RELATIONSHIP('','',").Ref(part.Embedded.Representation).Raw(",").Ref(rep);
    t.Raw(") REPRESENTATION_RELATIONSHIP_WITH_TRANSFORMATION(").Ref(transform);
    t.Raw(") SHAPE_REPRESENTATION_RELATIONSHIP() )");
    t.Out() += ";\n";
    t.Begin();
    t.Raw("CONTEXT_DEPENDENT_SHAPE_REPRESENTATION(").Ref(relation).Raw(",").Ref(placement).End();
    if (p.Color != -1) {
      int instanceRep = t.Begin();
      t.Raw("SHAPE_REPRESENTATION('',(").Ref(axis).Raw("),").Ref(c.Geometry).End();
      t.Begin();
      t.Raw("SHAPE_DEFINITION_REPRESENTATION(").Ref(placement).Raw(",").Ref(instanceRep).End();
      styles.Style(part.Embedded.Solids, p.Color, part.Embedded.SolidContext, instanceRep);
    }
  }
  t.Begin(rep);
  t.Raw("SHAPE_REPRESENTATION(").Str(name).Raw(",(");
  for (size_t i = 0; i < axes.size(); ++i) {
    if (i) t.Raw(",");
    t.Ref(axes[i]);
  }
  t.Raw("),").Ref(c.Geometry).End();
  Footer(t.Out());
  t.Flush();
  return true;
}

}  // namespace corvane
