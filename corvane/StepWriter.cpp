#include "corvane/StepWriter.h"

#include "corvane/CapTiles.h"
#include "corvane/StepData.h"
#include "corvane/StepText.h"

#include <BRepAdaptor_Curve.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Geom_Circle.hxx>
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
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Wire.hxx>

#include <algorithm>
#include <chrono>
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
    int faces = 0, inSolids = 0;
    for (TopExp_Explorer ex(shape, TopAbs_FACE); ex.More(); ex.Next()) ++faces;
    // A hole's wall has three edges (two circles and the seam) and two vertices, and takes
    // about 1.5 kB of text with its share of the caps: room made at once is not regrown.
    FEdges.Reserve(3 * faces);
    FVertices.Reserve(2 * faces);
    T.Expect(1600 * static_cast<size_t>(faces));
    for (TopExp_Explorer ex(shape, TopAbs_SOLID); ex.More(); ex.Next()) {
      const TopoDS_Shape& solid = ex.Current();
      std::vector<TopoDS_Shell> shells;
      for (TopoDS_Iterator it(solid, true, true); it.More(); it.Next())
        if (it.Value().ShapeType() == TopAbs_SHELL) shells.push_back(TopoDS::Shell(it.Value()));
      if (shells.size() != 1) throw EUncovered("a solid with cavities");
      for (TopExp_Explorer f(solid, TopAbs_FACE); f.More(); f.Next()) ++inSolids;
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
    std::vector<int> faces;
    for (const TopoDS_Face& f : ConnectedOrder(shell)) Face(f, faces);
    int id = T.Begin();
    T.Raw(shell.Closed() || BRep_Tool::IsClosed(shell) ? "CLOSED_SHELL('',(" : "OPEN_SHELL('',(");
    for (size_t i = 0; i < faces.size(); ++i) {
      if (i) T.Raw(",");
      T.Ref(faces[i]);
    }
    T.Raw(")").End();
    return id;
  }

  // The shell's faces so that each shares an edge with one before it (breadth first). The
  // default reader's orientation fix grows a shell from its first face and, after each face
  // it adds, looks for the next one from the start of the list: faces in any other order
  // make it quadratic in the faces of the shell.
  static std::vector<TopoDS_Face> ConnectedOrder(const TopoDS_Shell& shell) {
    std::vector<TopoDS_Face> faces;
    for (TopoDS_Iterator it(shell, true, true); it.More(); it.Next())
      if (it.Value().ShapeType() == TopAbs_FACE) faces.push_back(TopoDS::Face(it.Value()));
    TopTools_IndexedMapOfShape edges;
    std::vector<std::vector<int>> edgesOf(faces.size());
    for (size_t f = 0; f < faces.size(); ++f)
      for (TopExp_Explorer e(faces[f], TopAbs_EDGE); e.More(); e.Next()) edgesOf[f].push_back(edges.Add(e.Current()));
    std::vector<std::vector<int>> facesOf(edges.Extent() + 1);
    for (size_t f = 0; f < faces.size(); ++f)
      for (int e : edgesOf[f]) facesOf[e].push_back(static_cast<int>(f));
    std::vector<char> seen(faces.size(), 0);
    std::vector<int> order;
    order.reserve(faces.size());
    for (size_t start = 0; start < faces.size(); ++start) {
      if (seen[start]) continue;
      seen[start] = 1;
      order.push_back(static_cast<int>(start));
      for (size_t k = order.size() - 1; k < order.size(); ++k)
        for (int e : edgesOf[order[k]])
          for (int g : facesOf[e])
            if (!seen[g]) seen[g] = 1, order.push_back(g);
    }
    std::vector<TopoDS_Face> out;
    out.reserve(faces.size());
    for (int f : order) out.push_back(faces[f]);
    return out;
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
    std::vector<int> oriented;
    oriented.reserve(edges.size());
    for (auto [id, forward] : edges) {
      oriented.push_back(T.Begin());
      o += "ORIENTED_EDGE('',*,*,";
      T.Ref(id).Raw(",").Bool(forward).End();
    }
    int loop = T.Begin();
    o += "EDGE_LOOP('',(";
    for (size_t i = 0; i < oriented.size(); ++i) {
      if (i) o += ',';
      T.Ref(oriented[i]);
    }
    T.Raw(")").End();
    int bound = T.Begin();
    T.Raw("FACE_BOUND('',").Ref(loop).Raw(",.T.").End();
    return bound;
  }

  int Bound(const TopoDS_Shape& wire) {
    if (wire.ShapeType() != TopAbs_WIRE) throw EUncovered("a face bounded by something else than wires");
    std::vector<std::pair<int, bool>> edges;
    for (TopoDS_Iterator e(wire, true, true); e.More(); e.Next()) {
      const TopoDS_Edge& edge = TopoDS::Edge(e.Value());
      edges.emplace_back(Edge(edge), edge.Orientation() == TopAbs_FORWARD);
    }
    // A reversed wire is walked from its end so that each edge starts where the last ended.
    if (wire.Orientation() == TopAbs_REVERSED) std::reverse(edges.begin(), edges.end());
    return Bound(edges);
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

  void Face(const TopoDS_Face& f, std::vector<int>& faces) {
    std::vector<TopoDS_Shape> wires;
    for (TopoDS_Iterator w(f, true, true); w.More(); w.Next()) wires.push_back(w.Value());
    if (wires.size() > kTileAbove && Tiled(f, wires, faces)) return;
    std::vector<int> bounds;
    for (auto& w : wires) bounds.push_back(Bound(Chained(w, f)));
    bool flipped = false;
    int surface = Surface(f, flipped);
    faces.push_back(AdvancedFace(bounds, surface, (f.Orientation() == TopAbs_FORWARD) != flipped));
  }

  // The wire itself when each edge starts where the one before it ends, as an edge loop must;
  // else the same edges in that order (the side walls of an extrusion come unordered).
  static TopoDS_Shape Chained(const TopoDS_Shape& wire, const TopoDS_Face& face) {
    if (wire.ShapeType() != TopAbs_WIRE) return wire;
    std::vector<TopoDS_Edge> edges;
    for (TopoDS_Iterator e(wire, true, true); e.More(); e.Next())
      if (e.Value().ShapeType() == TopAbs_EDGE) edges.push_back(TopoDS::Edge(e.Value()));
    if (wire.Orientation() == TopAbs_REVERSED) std::reverse(edges.begin(), edges.end());
    bool chained = true;
    for (size_t i = 0; chained && i < edges.size(); ++i)
      chained = TopExp::LastVertex(edges[i], true).IsSame(TopExp::FirstVertex(edges[(i + 1) % edges.size()], true));
    if (chained) return wire;
    TopoDS_Wire ordered;
    BRep_Builder b;
    b.MakeWire(ordered);
    int n = 0;
    for (BRepTools_WireExplorer e(TopoDS::Wire(wire), face); e.More(); e.Next(), ++n) b.Add(ordered, e.Current());
    return n == static_cast<int>(edges.size()) ? TopoDS_Shape(ordered) : wire;
  }

  // A planar face with many inner loops as a grid of tiles and the band the tiles leave.
  bool Tiled(const TopoDS_Face& f, const std::vector<TopoDS_Shape>& wires, std::vector<int>& faces) {
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
    std::vector<std::pair<double, double>> outline;
    std::vector<TTileBox> inner;
    std::vector<const TopoDS_Shape*> innerWires;
    const TopoDS_Shape* outerWire = nullptr;
    TTileBox outerBox{};
    for (auto& w : wires) {
      std::vector<std::pair<double, double>> pts;
      for (TopoDS_Iterator e(w, true, true); e.More(); e.Next()) {
        BRepAdaptor_Curve c(TopoDS::Edge(e.Value()));
        const int n = c.GetType() == GeomAbs_Line ? 1 : 24;
        std::vector<std::pair<double, double>> edge;
        for (int k = 0; k <= n; ++k)
          edge.push_back(flat(c.Value(c.FirstParameter() + (c.LastParameter() - c.FirstParameter()) * k / n)));
        if (e.Value().Orientation() == TopAbs_REVERSED) std::reverse(edge.begin(), edge.end());
        pts.insert(pts.end(), edge.begin(), edge.end() - 1);
      }
      TTileBox b{1e300, 1e300, -1e300, -1e300};
      for (auto [x, y] : pts) b = {std::min(b.X0, x), std::min(b.Y0, y), std::max(b.X1, x), std::max(b.Y1, y)};
      const double area = (b.X1 - b.X0) * (b.Y1 - b.Y0);
      if (area > largest) {
        if (outerWire) {  // the previous candidate is an inner loop after all
          inner.push_back(outerBox);
          innerWires.push_back(outerWire);
        }
        largest = area;
        outerWire = &w;
        outerBox = b;
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
    std::vector<int> band{Bound(Chained(*outerWire, f))};
    for (size_t k = 0; k < innerWires.size(); ++k) {
      int cell = plan.WireCell[k];
      (cell < 0 ? band : holesOf[cell]).push_back(Bound(Chained(*innerWires[k], f)));
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

  int Vertex(const TopoDS_Vertex& v) {
    int& id = FVertices.Of(v);
    if (id) return id;
    int pt = Point(BRep_Tool::Pnt(v));
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
  int Edge(const TopoDS_Edge& e) {
    int& id = FEdges.Of(e);
    if (id) return id;
    if (BRep_Tool::Degenerated(e)) throw EUncovered("a degenerate edge");
    TopoDS_Vertex v0, v1;
    TopExp::Vertices(TopoDS::Edge(e.Oriented(TopAbs_FORWARD)), v0, v1);
    if (v0.IsNull() || v1.IsNull()) throw EUncovered("an edge without its two ends");
    int a = Vertex(v0), b = Vertex(v1), c = Curve(e);
    id = T.Begin();
    T.Raw("EDGE_CURVE('',").Ref(a).Raw(",").Ref(b).Raw(",").Ref(c).Raw(",.T.").End();
    return id;
  }

  // Entity numbers of shared shapes; an extrusion's far cap reuses the near cap's edges
  // and vertices at another location, which makes them other edges and vertices.
  class TShared {
   public:
    void Reserve(size_t n) { FIds.reserve(n); }
    int& Of(const TopoDS_Shape& s) {
      auto [it, added] = FIds.try_emplace(s.TShape().get());
      TIds& at = it->second;
      if (added) at.Loc = s.Location();
      if (at.Loc == s.Location()) return at.Id;
      for (auto& [loc, id] : at.Others)
        if (loc == s.Location()) return id;
      return at.Others.emplace_back(s.Location(), 0).second;
    }

   private:
    // Most shapes have one location: that one needs no list of its own.
    struct TIds {
      TopLoc_Location Loc;
      int Id = 0;
      std::vector<std::pair<TopLoc_Location, int>> Others;
    };
    std::unordered_map<const void*, TIds> FIds;
  };

  TStepText& T;
  TShared FVertices, FEdges;
  std::map<std::tuple<double, double, double>, int> FDirs;
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
