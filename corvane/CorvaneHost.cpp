#include "CommonObjects/AtomicFile.h"
#include "corvane/CorvaneServer.h"
#include "corvane/Sketch2d.h"
#include "corvane/Solids.h"
#include "corvane/StepFiles.h"

#include <BRepAdaptor_Surface.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <BRepTools.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <GeomAPI_ProjectPointOnSurf.hxx>
#include <GeomLProp_SLProps.hxx>
#include <Geom_Surface.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Standard_Failure.hxx>
#include <Standard_Version.hxx>
#include <gp_Pln.hxx>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <unordered_map>

namespace corvane {
namespace {

using namespace CorvaneX_TLB;
namespace fs = std::filesystem;

// Ends of sketch figures closer than this are joined without healing.
constexpr double kJoinTol = 1e-6;

[[noreturn]] void Fail(const std::string& text) { throw ECVHostError(text); }

int ItemIndex(const CVVariant& index, size_t count, const char* what) {
  int i = VarToInt(index);
  if (i < 0 || static_cast<size_t>(i) >= count)
    Fail(std::string(what) + ": index " + std::to_string(i) + " is out of range (count " + std::to_string(count) + ")");
  return i;
}

// Host-wide state shared by everything an instance hands out.
struct THostState {
  bool Terminated = false;
  struct TCached {
    int64_t Time = 0;  // modification, nanoseconds
    off_t Size = -1;
    std::shared_ptr<const TModelFile> Model;
  };
  std::map<std::string, TCached> Files;
  // Each path as it was given, with the file it named then and that file's full path: a board
  // places thousands of occurrences of a few files, and resolving a path costs a look at each
  // of its folders.
  struct TNamed {
    std::string Key;
    dev_t Dev = 0;
    ino_t Ino = 0;
  };
  std::unordered_map<std::string, TNamed> Named;

  void Check() const {
    if (Terminated) Fail("The Corvane host has been terminated");
  }
  std::shared_ptr<const TModelFile> Load(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) Fail("File not found: " + path);
    TNamed& named = Named[path];
    if (named.Key.empty() || named.Dev != st.st_dev || named.Ino != st.st_ino) {
      std::error_code ec;
      fs::path p = fs::weakly_canonical(fs::path(path), ec);
      if (ec) {
        Named.erase(path);
        Fail("File not found: " + path);
      }
      named = {p.string(), st.st_dev, st.st_ino};
    }
    const int64_t time = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    auto& c = Files[named.Key];
    if (!c.Model || c.Time != time || c.Size != st.st_size) {
      c.Model = FindWrittenPart(named.Key);
      if (!c.Model) c.Model = ReadModelFile(named.Key);
      c.Time = time;
      c.Size = st.st_size;
    }
    return c.Model;
  }
  void Forget(const std::string& path) {
    std::error_code ec;
    Files.erase(fs::weakly_canonical(fs::path(path), ec).string());
  }
};
using THost = std::shared_ptr<THostState>;

class TVector : public ICVVector {
 public:
  explicit TVector(gp_XYZ v) : V(v) {}
  double Get_X() override { return V.X(); }
  double Get_Y() override { return V.Y(); }
  double Get_Z() override { return V.Z(); }
  gp_XYZ V;
};

class TPoint : public ICVPoint {
 public:
  explicit TPoint(gp_Pnt p) : P(p) {}
  double Get_X() override { return P.X(); }
  double Get_Y() override { return P.Y(); }
  double Get_Z() override { return P.Z(); }
  gp_Pnt P;
};

class TTransformation : public ICVTransformation {
 public:
  explicit TTransformation(const gp_Trsf& t) : T(t) {}
  std::array<double, 12> Get_Matrix() override {
    std::array<double, 12> m{};
    for (int r = 1; r <= 3; ++r) {
      for (int c = 1; c <= 3; ++c) m[(r - 1) * 4 + c - 1] = T.Value(r, c);
      m[(r - 1) * 4 + 3] = T.Value(r, 4);
    }
    return m;
  }
  gp_Trsf T;
};

class TGeometryFactory : public ICVGeometryFactory {
 public:
  std::shared_ptr<ICVVector> CreateVector(double x, double y, double z) override {
    return std::make_shared<TVector>(gp_XYZ(x, y, z));
  }
  std::shared_ptr<ICVPoint> CreatePoint(double x, double y, double z) override {
    return std::make_shared<TPoint>(gp_Pnt(x, y, z));
  }
  std::shared_ptr<ICVTransformation> CreateRotationTransform(std::shared_ptr<ICVVector> axis,
                                                             std::shared_ptr<ICVPoint> point, double angle) override {
    if (!axis || !point) Fail("CreateRotationTransform: axis and point are required");
    gp_XYZ a(axis->Get_X(), axis->Get_Y(), axis->Get_Z());
    if (a.Modulus() < 1e-12) Fail("CreateRotationTransform: the axis has no direction");
    gp_Trsf t;
    t.SetRotation(gp_Ax1(gp_Pnt(point->Get_X(), point->Get_Y(), point->Get_Z()), gp_Dir(a)), angle);
    return std::make_shared<TTransformation>(t);
  }
  std::shared_ptr<ICVTransformation> CreateTranslationTransformByXYZ(double x, double y, double z) override {
    gp_Trsf t;
    t.SetTranslation(gp_Vec(x, y, z));
    return std::make_shared<TTransformation>(t);
  }
};

// ---------------------------------------------------------------- design planes

class TDesignPlane : public ICVDesignPlane {
 public:
  TDesignPlane(std::string name, gp_Ax3 frame) : Name(std::move(name)), Frame(frame) {}
  std::string Get_Name() override { return Name; }
  std::shared_ptr<ICVVector> Get_Normal() override { return std::make_shared<TVector>(Frame.Direction().XYZ()); }
  std::string Name;
  gp_Ax3 Frame;
};

class TDesignPlanes : public ICVDesignPlanes {
 public:
  std::vector<std::shared_ptr<TDesignPlane>> Items;
  int32_t Get_Count() override { return static_cast<int32_t>(Items.size()); }
  std::shared_ptr<ICVDesignPlane> Get_Item(const CVVariant& i) override {
    return Items[ItemIndex(i, Items.size(), "DesignPlanes")];
  }
};

std::shared_ptr<TDesignPlanes> StandardPlanes() {
  auto p = std::make_shared<TDesignPlanes>();
  gp_Pnt o(0, 0, 0);
  // Each frame is right-handed: X direction times Y direction is the normal.
  p->Items.push_back(std::make_shared<TDesignPlane>("XY", gp_Ax3(o, gp::DZ(), gp::DX())));
  p->Items.push_back(std::make_shared<TDesignPlane>("XZ", gp_Ax3(o, gp::DY().Reversed(), gp::DX())));
  p->Items.push_back(std::make_shared<TDesignPlane>("YZ", gp_Ax3(o, gp::DX(), gp::DY())));
  return p;
}

// ---------------------------------------------------------------- faces and bodies

class TSurface : public ICVSurface {
 public:
  explicit TSurface(TopoDS_Face f) : F(std::move(f)) {}
  std::shared_ptr<ICVPoint> PointAtParam(double u, double v) override {
    double u0, u1, v0, v1;
    BRepTools::UVBounds(F, u0, u1, v0, v1);
    return std::make_shared<TPoint>(BRep_Tool::Surface(F)->Value(u0 + u * (u1 - u0), v0 + v * (v1 - v0)));
  }
  std::shared_ptr<ICVVector> NormalAtPoint(std::shared_ptr<ICVPoint> p) override {
    if (!p) Fail("NormalAtPoint: no point given");
    Handle(Geom_Surface) s = BRep_Tool::Surface(F);
    GeomAPI_ProjectPointOnSurf proj(gp_Pnt(p->Get_X(), p->Get_Y(), p->Get_Z()), s);
    if (!proj.IsDone() || proj.NbPoints() == 0) return nullptr;
    double u, v;
    proj.LowerDistanceParameters(u, v);
    GeomLProp_SLProps props(s, u, v, 1, 1e-9);
    if (!props.IsNormalDefined()) return nullptr;
    return std::make_shared<TVector>(props.Normal().XYZ());
  }
  TopoDS_Face F;
};

class TFace : public ICVFace {
 public:
  explicit TFace(TopoDS_Face f) : F(std::move(f)) {}
  std::shared_ptr<ICVSurface> Get_Geometry() override { return std::make_shared<TSurface>(F); }
  bool Get_IsSenseReversed() override { return F.Orientation() == TopAbs_REVERSED; }
  double Get_Area() override {
    GProp_GProps g;
    BRepGProp::SurfaceProperties(F, g);
    return g.Mass();
  }
  TopoDS_Face F;
};

class TFaces : public ICVFaces {
 public:
  std::vector<TopoDS_Face> Items;
  int32_t Get_Count() override { return static_cast<int32_t>(Items.size()); }
  std::shared_ptr<ICVFace> Get_Item(const CVVariant& i) override {
    return std::make_shared<TFace>(Items[ItemIndex(i, Items.size(), "Faces")]);
  }
};

struct TPartCore;

class TBody : public ICVBody {
 public:
  explicit TBody(std::shared_ptr<TPartCore> p) : Part(std::move(p)) {}
  std::shared_ptr<ICVFaces> Get_Faces() override;
  double Get_Volume() override;
  std::shared_ptr<TPartCore> Part;
};

class TBodies : public ICVBodies {
 public:
  explicit TBodies(std::shared_ptr<TPartCore> p) : Part(std::move(p)) {}
  int32_t Get_Count() override;
  std::shared_ptr<ICVBody> Get_Item(const CVVariant& i) override;
  std::shared_ptr<TPartCore> Part;
};

// ---------------------------------------------------------------- sketches

class TSketch;

class TFigures : public ICVSketchFigures {
 public:
  explicit TFigures(std::shared_ptr<TSketch> s) : Sketch(std::move(s)) {}
  int32_t Get_Count() override;
  ICVUnknownPtr AddLine(double x1, double y1, double x2, double y2) override;
  ICVUnknownPtr AddCircularArcByCenterStartEnd(double xc, double yc, double xs, double ys, double xe,
                                               double ye) override;
  ICVUnknownPtr AddCircle(double xc, double yc, const CVVariant& r) override;
  ICVUnknownPtr AddRectangle(double x1, double y1, double x2, double y2) override;
  std::shared_ptr<TSketch> Sketch;
};

class TCollector : public IObjectCollector {
 public:
  explicit TCollector(int n) : N(n) {}
  int32_t Get_Count() override { return N; }
  int N;
};

class TAnalysis : public IAnalyzedSketchData {
 public:
  explicit TAnalysis(TAnalysisCounts c) : C(c) {}
  std::shared_ptr<IObjectCollector> Get_DisjointEnds() override { return std::make_shared<TCollector>(C.DisjointEnds); }
  std::shared_ptr<IObjectCollector> Get_OpenLoops() override { return std::make_shared<TCollector>(C.OpenLoops); }
  std::shared_ptr<IObjectCollector> Get_OverLaps() override { return std::make_shared<TCollector>(C.Overlaps); }
  std::shared_ptr<IObjectCollector> Get_Intersections() override {
    return std::make_shared<TCollector>(C.Intersections);
  }
  std::shared_ptr<IObjectCollector> Get_DegenerateFigures() override {
    return std::make_shared<TCollector>(C.Degenerate);
  }
  TAnalysisCounts C;
};

class TFigure2 : public ICVUnknown {};  // what figure calls hand back

class TSketch : public ICVSketch, public std::enable_shared_from_this<TSketch> {
 public:
  TSketch(THost h, const TPartCore* owner, std::string name, gp_Ax3 frame)
      : Host(std::move(h)), Owner(owner), Name(std::move(name)), Frame(frame) {}
  std::string Get_Name() override { return Name; }
  void BeginChange() override { ++Changing; }
  void EndChange() override {
    if (Changing > 0) --Changing;
  }
  std::shared_ptr<ICVSketchFigures> Get_Figures() override {
    Host->Check();
    return std::make_shared<TFigures>(shared_from_this());
  }
  bool Get_IsClosed() override {
    if (Figures.empty() || !std::all_of(Figures.begin(), Figures.end(), FigureInRange)) return false;
    std::vector<TLoop> loops;
    return BuildLoops(Figures, kJoinTol, loops);
  }
  std::shared_ptr<IAnalyzedSketchData> Analyze(bool disjoint, bool open, bool overlaps, bool intersections,
                                               bool degenerate, bool heal, double tol) override {
    Host->Check();
    if (tol < 0) Fail("Analyze: the tolerance must not be negative");
    // Figures out of range are left alone here; the extrusion refuses them.
    TAnalysisCounts c;
    if (std::all_of(Figures.begin(), Figures.end(), FigureInRange)) c = AnalyzeFigures(Figures, tol, heal);
    if (!disjoint) c.DisjointEnds = 0;
    if (!open) c.OpenLoops = 0;
    if (!overlaps) c.Overlaps = 0;
    if (!intersections) c.Intersections = 0;
    if (!degenerate) c.Degenerate = 0;
    return std::make_shared<TAnalysis>(c);
  }
  void Add(const TFigure& f) {
    Host->Check();
    Figures.push_back(f);
  }

  THost Host;
  const TPartCore* Owner;
  std::string Name;
  gp_Ax3 Frame;
  std::vector<TFigure> Figures;
  int Count = 0;  // figures as added; a rectangle is one
  int Changing = 0;
};

int32_t TFigures::Get_Count() { return Sketch->Count; }

ICVUnknownPtr TFigures::AddLine(double x1, double y1, double x2, double y2) {
  Sketch->Add({TFigureKind::Line, {x1, y1}, {x2, y2}, {}, 0});
  ++Sketch->Count;
  return std::make_shared<TFigure2>();
}

ICVUnknownPtr TFigures::AddCircularArcByCenterStartEnd(double xc, double yc, double xs, double ys, double xe,
                                                       double ye) {
  if (xs == xe && ys == ye)  // all the way round
    Sketch->Add({TFigureKind::Circle, {}, {}, {xc, yc}, std::hypot(xs - xc, ys - yc)});
  else
    Sketch->Add({TFigureKind::Arc, {xs, ys}, {xe, ye}, {xc, yc}, 0});
  ++Sketch->Count;
  return std::make_shared<TFigure2>();
}

ICVUnknownPtr TFigures::AddCircle(double xc, double yc, const CVVariant& r) {
  double radius = VarToDouble(r);
  Sketch->Add({TFigureKind::Circle, {}, {}, {xc, yc}, radius});
  ++Sketch->Count;
  return std::make_shared<TFigure2>();
}

ICVUnknownPtr TFigures::AddRectangle(double x1, double y1, double x2, double y2) {
  TPoint2 c[4] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
  for (int i = 0; i < 4; ++i) Sketch->Add({TFigureKind::Line, c[i], c[(i + 1) % 4], {}, 0});
  ++Sketch->Count;
  return std::make_shared<TFigure2>();
}

// ---------------------------------------------------------------- features

class TFeature : public ICVExtrusionFeature, public ICVPartFeature {
 public:
  TFeature(std::string name, std::shared_ptr<ICVSketch> s, std::string error)
      : Name(std::move(name)), Sketch(std::move(s)), Error(std::move(error)) {}
  std::string Get_Name() override { return Name; }
  bool Get_HasError() override { return !Error.empty(); }
  std::string Get_ErrorText() override { return Error; }
  std::shared_ptr<ICVSketch> Get_Sketch() override { return Sketch; }
  std::string Name;
  std::shared_ptr<ICVSketch> Sketch;
  std::string Error;
};

struct TPartCore {
  THost Host;
  std::string Name;
  int32_t Color = -1;
  TBodyState Body;
  std::vector<std::shared_ptr<TSketch>> Sketches;
  std::vector<std::shared_ptr<TFeature>> Features;
  std::shared_ptr<TDesignPlanes> Planes = StandardPlanes();
};

std::shared_ptr<ICVFaces> TBody::Get_Faces() {
  Part->Host->Check();
  auto f = std::make_shared<TFaces>();
  f->Items = Part->Body.Faces();
  return f;
}

double TBody::Get_Volume() {
  GProp_GProps g;
  BRepGProp::VolumeProperties(Part->Body.Shape(), g);
  return g.Mass();
}

int32_t TBodies::Get_Count() { return Part->Body.IsEmpty() ? 0 : 1; }

std::shared_ptr<ICVBody> TBodies::Get_Item(const CVVariant& i) {
  ItemIndex(i, Get_Count(), "Bodies");
  return std::make_shared<TBody>(Part);
}

class TSketches : public ICVSketches {
 public:
  explicit TSketches(std::shared_ptr<TPartCore> p) : Part(std::move(p)) {}
  int32_t Get_Count() override { return static_cast<int32_t>(Part->Sketches.size()); }
  std::shared_ptr<ICVSketch> Get_Item(const CVVariant& i) override {
    return Part->Sketches[ItemIndex(i, Part->Sketches.size(), "Sketches")];
  }
  std::shared_ptr<ICVSketch> AddSketch(std::shared_ptr<ICVOccurrence>, ICVUnknownPtr on,
                                       const std::string& name) override {
    Part->Host->Check();
    if (!on) Fail("AddSketch: no plane or face given for sketch \"" + name + "\"");
    gp_Ax3 frame;
    if (auto plane = std::dynamic_pointer_cast<TDesignPlane>(on)) {
      frame = plane->Frame;
    } else if (auto face = std::dynamic_pointer_cast<TFace>(on)) {
      frame = FaceFrame(face->F, name);
    } else {
      Fail("AddSketch: sketch \"" + name + "\" must be placed on a design plane or a face");
    }
    auto s = std::make_shared<TSketch>(Part->Host, Part.get(), name, frame);
    Part->Sketches.push_back(s);
    return s;
  }

  // The sketch looks at the face from outside; its Y axis follows the world Y (or Z when
  // the face is normal to Y), so on a bottom face sketch X runs along world -X.
  static gp_Ax3 FaceFrame(const TopoDS_Face& f, const std::string& name) {
    // Unrestricted: the face's parameter bounds (every wire of a cap with thousands of holes)
    // are not needed for its plane.
    BRepAdaptor_Surface s(f, false);
    if (s.GetType() != GeomAbs_Plane) Fail("AddSketch: the face for sketch \"" + name + "\" is not planar");
    gp_Pln pln = s.Plane();
    gp_Dir n = pln.Axis().Direction();
    if (f.Orientation() == TopAbs_REVERSED) n.Reverse();
    gp_Vec ref = std::abs(n.Y()) < 0.9 ? gp_Vec(0, 1, 0) : gp_Vec(0, 0, 1);
    gp_Vec y = ref - gp_Vec(n) * ref.Dot(gp_Vec(n));
    gp_Dir x = gp_Dir(y.Crossed(gp_Vec(n)));
    double d = gp_Vec(pln.Location().XYZ()).Dot(gp_Vec(n));
    return gp_Ax3(gp_Pnt(n.XYZ() * d), n, x);
  }

  std::shared_ptr<TPartCore> Part;
};

class TFeatures : public ICVPartFeatures {
 public:
  explicit TFeatures(std::shared_ptr<TPartCore> p) : Part(std::move(p)) {}
  int32_t Get_Count() override { return static_cast<int32_t>(Part->Features.size()); }
  std::shared_ptr<ICVPartFeature> Get_Item(const CVVariant& i) override {
    return Part->Features[ItemIndex(i, Part->Features.size(), "Features")];
  }

  std::shared_ptr<ICVExtrusionFeature> AddExtrudedBoss(std::shared_ptr<ICVSketch> sketch, const CVVariant& depth,
                                                       CVPartFeatureEndCondition end, std::shared_ptr<ICVOccurrence>,
                                                       ICVUnknownPtr, double, int32_t, std::shared_ptr<ICVOccurrence>,
                                                       ICVUnknownPtr, bool reverse, const CVVariant&, bool,
                                                       const std::string& name, const std::string&,
                                                       const std::string&) override {
    return Build(true, sketch, depth, end, reverse, name);
  }

  std::shared_ptr<ICVExtrusionFeature> AddExtrudedCutout(std::shared_ptr<ICVSketch> sketch, const CVVariant& depth,
                                                         CVPartFeatureEndCondition end, std::shared_ptr<ICVOccurrence>,
                                                         ICVUnknownPtr, double, int32_t, std::shared_ptr<ICVOccurrence>,
                                                         ICVUnknownPtr, bool reverse, const CVVariant&, bool,
                                                         const std::string& name, const std::string&,
                                                         const std::string&) override {
    return Build(false, sketch, depth, end, reverse, name);
  }

 private:
  std::shared_ptr<ICVExtrusionFeature> Build(bool boss, std::shared_ptr<ICVSketch> sk, const CVVariant& depthVar,
                                             CVPartFeatureEndCondition end, bool reverse, const std::string& name) {
    Part->Host->Check();
    const char* kind = boss ? "Extruded boss" : "Extruded cut";
    auto sketch = std::dynamic_pointer_cast<TSketch>(sk);
    if (!sketch) Fail(std::string(kind) + " \"" + name + "\": no sketch given");
    if (sketch->Owner != Part.get())
      Fail(std::string(kind) + " \"" + name + "\": sketch \"" + sketch->Name + "\" belongs to another part");
    if (sketch->Figures.empty())
      Fail(std::string(kind) + " \"" + name + "\": sketch \"" + sketch->Name + "\" is empty");
    double depth = end == CV_THROUGH_ALL ? 0.0 : VarToDouble(depthVar);
    std::string error;
    if (end != CV_TO_DEPTH && end != CV_THROUGH_ALL)
      error = "unsupported end condition";
    else if (boss && end != CV_TO_DEPTH)
      error = "a boss needs a depth";
    else if (end == CV_TO_DEPTH && depth <= 0)
      error = "the depth must be positive";
    if (error.empty() && !std::all_of(sketch->Figures.begin(), sketch->Figures.end(), FigureInRange))
      error = "a figure of the sketch is out of range (not finite, or beyond 10 km)";
    std::vector<TLoop> loops;
    if (error.empty() && !BuildLoops(sketch->Figures, kJoinTol, loops)) error = "the sketch is open";
    for (const auto& l : loops) {
      if (!error.empty()) break;
      if (std::abs(l.SignedArea) <= kJoinTol * kJoinTol)
        error = "a loop of the sketch encloses no area";
      else if (LoopCrossesItself(sketch->Figures, l, kJoinTol))
        error = "a loop of the sketch crosses itself";
    }
    const int tag = static_cast<int>(Part->Features.size());
    if (error.empty()) {
      try {
        auto regions = BuildRegions(loops);
        gp_Dir dir = sketch->Frame.Direction();
        if (reverse) dir.Reverse();
        error = boss ? Part->Body.AddBoss(tag, sketch->Frame, sketch->Figures, loops, regions, gp_Vec(dir) * depth)
                     : Part->Body.Cut(tag, sketch->Frame, sketch->Figures, loops, regions, dir, depth);
      } catch (const Standard_Failure& e) {
        error = std::string("modelling failed: ") + e.GetMessageString();
      } catch (const std::runtime_error& e) {
        error = e.what();
      }
    }
    auto f = std::make_shared<TFeature>(name, sketch, error);
    Part->Features.push_back(f);
    return f;
  }

  std::shared_ptr<TPartCore> Part;
};

// ---------------------------------------------------------------- sessions

std::string CheckedFolder(const std::string& folder, const char* op) {
  if (folder.empty()) Fail(std::string(op) + ": no folder given");
  if (!fs::is_directory(fs::path(folder))) Fail(std::string(op) + ": folder does not exist: " + folder);
  return folder;
}

class TSessionBase : public ICVSession, public ICVDesignSession {
 public:
  TSessionBase(THost h, std::string name) : Host(std::move(h)), Name(std::move(name)) {}
  std::string Get_Name() override { return Name; }
  void Close(bool save) override {
    CheckOpen();
    if (save && !LastFolder.empty()) SaveAs(LastFolder, Name);
    Closed = true;
  }
  std::shared_ptr<ICVGeometryFactory> Get_GeometryFactory() override {
    CheckOpen();
    return std::make_shared<TGeometryFactory>();
  }
  std::shared_ptr<ICVDesignPlanes> Get_DesignPlanes() override {
    CheckOpen();
    return Planes;
  }
  std::string Get_SaveNote() override { return SaveNote; }
  void SaveAs(const CVVariant& folderVar, const std::string& name) override {
    CheckOpen();
    SaveNote.clear();
    std::string folder = CheckedFolder(VarToString(folderVar), "SaveAs");
    if (name.empty()) Fail("SaveAs: no file name given");
    fs::path path = fs::path(folder) / (name + Extension());
    Name = name;
    // Written beside the old file and renamed over it: a kill or a full disk leaves the old
    // file or the new one, never a part of one.
    try {
      TAtomicFile out(path.string());
      errno = 0;
      std::string translated;
      try {
        translated = Write(out.TempPath());
      } catch (const std::exception& e) {
        // The writer's own text names the temporary file; the system's reason names the cause.
        const int err = errno;
        const bool diskError = err == ENOSPC || err == EFBIG || err == EDQUOT || err == EIO || err == EROFS;
        Fail("Cannot write " + out.Target() + ": " + (diskError ? std::strerror(err) : e.what()));
      }
      out.Commit();
      Written(out.TempPath(), out.Target());
      if (!translated.empty()) SaveNote = "written through OpenCASCADE's translator: " + translated;
    } catch (const EAtomicFileError& e) {
      Fail(e.what());
    }
    Host->Forget(path.string());
    LastFolder = folder;
  }

 protected:
  void CheckOpen() {
    Host->Check();
    if (Closed) Fail("The session \"" + Name + "\" has been closed");
  }
  virtual const char* Extension() const = 0;
  // Returns why the file went through OpenCASCADE's translator, or an empty text.
  virtual std::string Write(const std::string& path) = 0;
  virtual void Written(const std::string& /*temp*/, const std::string& /*target*/) {}

  THost Host;
  std::string Name;
  std::string LastFolder;
  std::string SaveNote;
  bool Closed = false;
  std::shared_ptr<TDesignPlanes> Planes = StandardPlanes();
};

class TPartSession : public TSessionBase, public ICVPartSession {
 public:
  TPartSession(THost h, const std::string& name) : TSessionBase(h, name), Core(std::make_shared<TPartCore>()) {
    Core->Host = h;
    Core->Name = name;
    Core->Planes = Planes;
  }
  int32_t Get_Color() override { return Core->Color; }
  void Set_Color(int32_t c) override {
    CheckOpen();
    Core->Color = c;
  }
  std::shared_ptr<ICVSketches> Get_Sketches() override {
    CheckOpen();
    return std::make_shared<TSketches>(Core);
  }
  std::shared_ptr<ICVPartFeatures> Get_Features() override {
    CheckOpen();
    return std::make_shared<TFeatures>(Core);
  }
  std::shared_ptr<ICVBodies> Get_Bodies() override {
    CheckOpen();
    return std::make_shared<TBodies>(Core);
  }
  void SaveAll(const std::string& folder) override { SaveAs(CheckedFolder(folder, "SaveAll"), Name); }

  std::shared_ptr<TPartCore> Core;

 protected:
  const char* Extension() const override { return ".CV_PRT"; }
  std::string Write(const std::string& path) override {
    Core->Name = Name;
    return WritePartFile(path, {Name, Core->Body.Shape(), Core->Color});
  }
  void Written(const std::string& temp, const std::string& target) override { MoveWrittenPart(temp, target); }
};

class TOccurrences;

class TOccurrence : public ICVOccurrence, public std::enable_shared_from_this<TOccurrence> {
 public:
  TOccurrence(THost h, std::string name, std::string file, std::shared_ptr<const TModelFile> m, gp_Trsf t)
      : Host(std::move(h)), Name(std::move(name)), File(std::move(file)), Model(std::move(m)), Placement(t) {}
  std::string Get_Name() override { return Name; }
  void Set_Name(const std::string& name) override {
    Host->Check();
    Name = name;
  }
  std::string Get_FileName() override { return File; }
  std::shared_ptr<ICVOccurrences> Get_Occurrences() override;
  void ApplyTransform(std::shared_ptr<ICVTransformation> t) override {
    Host->Check();
    if (!Model) Fail("ApplyTransform: the root occurrence cannot be moved");
    auto tt = std::dynamic_pointer_cast<TTransformation>(t);
    if (!tt) Fail("ApplyTransform: no transformation given for " + Name);
    gp_Trsf n = tt->T;
    n.Multiply(Placement);
    Placement = n;
  }
  std::shared_ptr<ICVTransformation> Get_Transform() override { return std::make_shared<TTransformation>(Placement); }
  bool Get_IsAnchored() override { return Anchored; }
  void Set_IsAnchored(bool a) override {
    Host->Check();
    Anchored = a;
  }
  int32_t Get_Color() override { return Color; }
  void Set_Color(int32_t c) override {
    Host->Check();
    Color = c;
  }

  THost Host;
  std::string Name, File;
  std::shared_ptr<const TModelFile> Model;  // none for the root
  gp_Trsf Placement;
  bool Anchored = false;
  int32_t Color = -1;
  std::vector<std::shared_ptr<TOccurrence>> Children;
  std::map<const TModelFile*, int> Placed;  // children per model
};

class TOccurrences : public ICVOccurrences {
 public:
  explicit TOccurrences(std::shared_ptr<TOccurrence> o) : Owner(std::move(o)) {}
  int32_t Get_Count() override { return static_cast<int32_t>(Owner->Children.size()); }
  std::shared_ptr<ICVOccurrence> Get_Item(const CVVariant& i) override {
    return Owner->Children[ItemIndex(i, Owner->Children.size(), "Occurrences")];
  }
  std::shared_ptr<ICVOccurrence> Add(const CVVariant& fileVar, std::shared_ptr<ICVTransformation> t) override {
    Owner->Host->Check();
    if (Owner->Model) Fail("Occurrences.Add: occurrences can only be added to the root occurrence");
    std::string file = VarToString(fileVar);
    if (file.empty()) Fail("Occurrences.Add: no part or assembly file given");
    std::string ext = fs::path(file).extension().string();
    for (auto& ch : ext) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (ext != ".CV_PRT" && ext != ".CV_ASM") Fail("Occurrences.Add: not a part or assembly file: " + file);
    auto model = Owner->Host->Load(file);
    gp_Trsf placement;
    if (auto tt = std::dynamic_pointer_cast<TTransformation>(t)) placement = tt->T;
    // Counted per model: a scan of the children would make placing quadratic.
    const int n = ++Owner->Placed[model.get()];
    std::string base = model->Name.empty() ? fs::path(file).stem().string() : model->Name;
    auto o = std::make_shared<TOccurrence>(Owner->Host, base + ":" + std::to_string(n), file, model, placement);
    Owner->Children.push_back(o);
    return o;
  }
  std::shared_ptr<TOccurrence> Owner;
};

std::shared_ptr<ICVOccurrences> TOccurrence::Get_Occurrences() {
  Host->Check();
  return std::make_shared<TOccurrences>(shared_from_this());
}

class TAssemblySession : public TSessionBase, public ICVAssemblySession {
 public:
  TAssemblySession(THost h, const std::string& name)
      : TSessionBase(h, name), Root(std::make_shared<TOccurrence>(h, name, "", nullptr, gp_Trsf())) {}
  std::shared_ptr<ICVOccurrence> Get_RootOccurrence() override {
    CheckOpen();
    return Root;
  }
  void SaveAll(const std::string& folderIn) override {
    CheckOpen();
    std::string folder = CheckedFolder(folderIn, "SaveAll");
    // The referenced files go beside the assembly.
    std::error_code ec;
    for (auto& c : Root->Children) {
      fs::path src(c->File), dst = fs::path(folder) / src.filename();
      if (fs::weakly_canonical(src, ec) == fs::weakly_canonical(dst, ec)) continue;
      if (!fs::copy_file(src, dst, fs::copy_options::overwrite_existing, ec))
        Fail("SaveAll: cannot copy " + src.string() + " to " + folder + ": " + ec.message());
    }
    SaveAs(folder, Name);
  }
  std::shared_ptr<TOccurrence> Root;

 protected:
  const char* Extension() const override { return ".CV_ASM"; }
  std::string Write(const std::string& path) override {
    std::vector<TPlacedModel> placed;
    for (auto& c : Root->Children) placed.push_back({c->Model, c->Placement, c->Color, c->Name});
    return WriteAssemblyFile(path, Name, placed);
  }
  void Written(const std::string& temp, const std::string& target) override { MoveWrittenPart(temp, target); }
};

// ---------------------------------------------------------------- root and hook

class TRoot : public ICVRoot {
 public:
  explicit TRoot(THost h) : Host(std::move(h)) {}
  std::shared_ptr<ICVPartSession> CreateEmptyPart(const std::string& name, bool) override {
    Host->Check();
    if (name.empty()) Fail("CreateEmptyPart: the part needs a name");
    return std::make_shared<TPartSession>(Host, name);
  }
  std::shared_ptr<ICVAssemblySession> CreateEmptyAssembly(const std::string& name) override {
    Host->Check();
    if (name.empty()) Fail("CreateEmptyAssembly: the assembly needs a name");
    return std::make_shared<TAssemblySession>(Host, name);
  }
  std::string Get_version() override {
    return std::string("Corvane substitute host 1.0 (OpenCASCADE ") + OCC_VERSION_COMPLETE + ")";
  }
  void Terminate() override {
    Host->Terminated = true;
    Host->Files.clear();
    Host->Named.clear();
  }
  THost Host;
};

class THook : public IAutomationHook {
 public:
  THook() : Root(std::make_shared<TRoot>(std::make_shared<THostState>())) {}
  void Initialize(const std::string&, const std::string&, const std::string&, bool, int32_t) override {}
  ICVUnknownPtr Get_Root() override { return Root; }
  std::shared_ptr<TRoot> Root;
};

void QuietOcct() {
  static bool done = [] {
    auto& printers = Message::DefaultMessenger()->ChangePrinters();
    printers.Clear();
    return true;
  }();
  (void)done;
}

}  // namespace

std::shared_ptr<IAutomationHook> CreateCorvaneServer() {
  QuietOcct();
  return std::make_shared<THook>();
}

void RegisterCorvaneServer() { RegisterAutomationServer(&CreateCorvaneServer); }

bool LastCutWasFast(const std::shared_ptr<ICVPartSession>& part) {
  auto p = std::dynamic_pointer_cast<TPartSession>(part);
  return p && p->Core->Body.LastCutWasFast();
}

std::string LastCutNote(const std::shared_ptr<ICVPartSession>& part) {
  auto p = std::dynamic_pointer_cast<TPartSession>(part);
  return p ? p->Core->Body.LastCutNote() : std::string();
}

void ForgetWrittenFiles() { ForgetWrittenParts(); }

void UsePlaneCuts(bool on) { TBodyState::PlaneCuts = on; }

bool BodyIsValid(const std::shared_ptr<ICVPartSession>& part) {
  auto p = std::dynamic_pointer_cast<TPartSession>(part);
  return p && !p->Core->Body.IsEmpty() && BRepCheck_Analyzer(p->Core->Body.Shape()).IsValid();
}

}  // namespace corvane
