#include "tests/support/RecordingHost.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <type_traits>

namespace recording {

using namespace CorvaneX_TLB;

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}
std::string Str(const std::string& s) { return "\"" + s + "\""; }
std::string Bool(bool b) { return b ? "true" : "false"; }
std::string Var(const CVVariant& v) {
  if (auto i = std::get_if<int32_t>(&v)) return "int:" + std::to_string(*i);
  if (auto d = std::get_if<double>(&v)) return "real:" + Num(*d);
  if (auto s = std::get_if<std::string>(&v)) return Str(*s);
  return "empty";
}

std::string TCall::Text() const {
  std::string t = Object + "." + Method + "(";
  for (size_t i = 0; i < Args.size(); ++i) t += (i ? ", " : "") + Args[i];
  return t + ")";
}

void TScript::FailOn(const std::string& m, const std::string& text, int nth) { Rules.push_back({m, nth, true, text}); }
void TScript::NilOn(const std::string& m, int nth) { Rules.push_back({m, nth, false, {}}); }

bool TRecordingHost::Record(const std::string& obj, const std::string& method, std::vector<std::string> args) {
  Calls.push_back({obj, method, std::move(args)});
  int n = ++FCallCounts[method];
  bool answer = true;
  for (auto& r : Script.Rules)
    if (r.Method == method && (r.Nth == 0 || r.Nth == n)) {
      if (r.Fail) throw ECVHostError(r.Text);
      answer = false;
    }
  return answer;
}

std::string TRecordingHost::NextId(const std::string& kind) { return kind + "#" + std::to_string(++FIds[kind]); }

std::vector<std::string> TRecordingHost::CallTexts() const {
  std::vector<std::string> t;
  for (auto& c : Calls) t.push_back(c.Text());
  return t;
}

std::vector<TCall> TRecordingHost::CallsTo(const std::string& m) const {
  std::vector<TCall> r;
  for (auto& c : Calls)
    if (c.Method == m) r.push_back(c);
  return r;
}

int TRecordingHost::CountOf(const std::string& m) const { return static_cast<int>(CallsTo(m).size()); }

namespace {

using THostPtr = std::shared_ptr<TRecordingHost>;
using TMatrix = std::array<double, 12>;

constexpr TMatrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

// a after b
TMatrix Compose(const TMatrix& a, const TMatrix& b) {
  TMatrix m{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) {
      double v = c == 3 ? a[r * 4 + 3] : 0;
      for (int k = 0; k < 3; ++k) v += a[r * 4 + k] * b[k * 4 + c];
      m[r * 4 + c] = v;
    }
  }
  return m;
}

class RObject : public virtual ICVUnknown {
 public:
  RObject(THostPtr h, std::string id) : Host(std::move(h)), Id(std::move(id)) {}
  bool Rec(const std::string& m, std::vector<std::string> args = {}) { return Host->Record(Id, m, std::move(args)); }
  THostPtr Host;
  std::string Id;
};

std::string IdOf(const std::shared_ptr<ICVUnknown>& o) {
  if (!o) return "nil";
  auto r = std::dynamic_pointer_cast<RObject>(o);
  return r ? r->Id : "foreign";
}

template <class T>
std::shared_ptr<T> Answer(bool ok, std::shared_ptr<T> v) {
  return ok ? v : nullptr;
}

class RVector : public RObject, public ICVVector {
 public:
  RVector(THostPtr h, double x, double y, double z)
      : RObject(std::move(h), "Vector(" + Num(x) + ", " + Num(y) + ", " + Num(z) + ")"), X(x), Y(y), Z(z) {}
  double Get_X() override {
    Rec("Get_X");
    return X;
  }
  double Get_Y() override {
    Rec("Get_Y");
    return Y;
  }
  double Get_Z() override {
    Rec("Get_Z");
    return Z;
  }
  double X, Y, Z;
};

class RPoint : public RObject, public ICVPoint {
 public:
  RPoint(THostPtr h, double x, double y, double z)
      : RObject(std::move(h), "Point(" + Num(x) + ", " + Num(y) + ", " + Num(z) + ")"), X(x), Y(y), Z(z) {}
  double Get_X() override {
    Rec("Get_X");
    return X;
  }
  double Get_Y() override {
    Rec("Get_Y");
    return Y;
  }
  double Get_Z() override {
    Rec("Get_Z");
    return Z;
  }
  double X, Y, Z;
};

class RTransform : public RObject, public ICVTransformation {
 public:
  RTransform(THostPtr h, TMatrix m) : RObject(h, h->NextId("Transform")), M(m) {}
  TMatrix Get_Matrix() override {
    Rec("Get_Matrix");
    return M;
  }
  TMatrix M;
};

class RFactory : public RObject, public ICVGeometryFactory {
 public:
  using RObject::RObject;
  std::shared_ptr<ICVVector> CreateVector(double x, double y, double z) override {
    return Answer<ICVVector>(Rec("CreateVector", {Num(x), Num(y), Num(z)}), std::make_shared<RVector>(Host, x, y, z));
  }
  std::shared_ptr<ICVPoint> CreatePoint(double x, double y, double z) override {
    return Answer<ICVPoint>(Rec("CreatePoint", {Num(x), Num(y), Num(z)}), std::make_shared<RPoint>(Host, x, y, z));
  }
  std::shared_ptr<ICVTransformation> CreateRotationTransform(std::shared_ptr<ICVVector> axis,
                                                             std::shared_ptr<ICVPoint> p, double angle) override {
    bool ok = Rec("CreateRotationTransform", {IdOf(axis), IdOf(p), Num(angle)});
    auto a = std::dynamic_pointer_cast<RVector>(axis);
    auto q = std::dynamic_pointer_cast<RPoint>(p);
    TMatrix m = kIdentity;
    if (a && q) {
      double len = std::sqrt(a->X * a->X + a->Y * a->Y + a->Z * a->Z);
      double x = a->X / len, y = a->Y / len, z = a->Z / len, c = std::cos(angle), s = std::sin(angle), k = 1 - c;
      double r[9] = {c + x * x * k,     x * y * k - z * s, x * z * k + y * s, y * x * k + z * s, c + y * y * k,
                     y * z * k - x * s, z * x * k - y * s, z * y * k + x * s, c + z * z * k};
      double pt[3] = {q->X, q->Y, q->Z};
      for (int i = 0; i < 3; ++i) {
        double rp = 0;
        for (int j = 0; j < 3; ++j) {
          m[i * 4 + j] = r[i * 3 + j];
          rp += r[i * 3 + j] * pt[j];
        }
        m[i * 4 + 3] = pt[i] - rp;
      }
    }
    return Answer<ICVTransformation>(ok, std::make_shared<RTransform>(Host, m));
  }
  std::shared_ptr<ICVTransformation> CreateTranslationTransformByXYZ(double x, double y, double z) override {
    bool ok = Rec("CreateTranslationTransformByXYZ", {Num(x), Num(y), Num(z)});
    TMatrix m = kIdentity;
    m[3] = x;
    m[7] = y;
    m[11] = z;
    return Answer<ICVTransformation>(ok, std::make_shared<RTransform>(Host, m));
  }
};

class RPlane : public RObject, public ICVDesignPlane {
 public:
  RPlane(THostPtr h, std::string name, std::array<double, 3> n)
      : RObject(std::move(h), "Plane[" + name + "]"), Name(std::move(name)), N(n) {}
  std::string Get_Name() override {
    Rec("Get_Name");
    return Name;
  }
  std::shared_ptr<ICVVector> Get_Normal() override {
    return Answer<ICVVector>(Rec("Get_Normal"), std::make_shared<RVector>(Host, N[0], N[1], N[2]));
  }
  std::string Name;
  std::array<double, 3> N;
};

class RPlanes : public RObject, public ICVDesignPlanes {
 public:
  using RObject::RObject;
  int32_t Get_Count() override {
    Rec("Get_Count");
    return static_cast<int32_t>(Host->Script.PlaneNormals.size());
  }
  std::shared_ptr<ICVDesignPlane> Get_Item(const CVVariant& i) override {
    bool ok = Rec("Get_Item", {Var(i)});
    int k = VarToInt(i);
    auto& normals = Host->Script.PlaneNormals;
    if (k < 0 || k >= static_cast<int>(normals.size())) throw ECVHostError("DesignPlanes: index out of range");
    static const char* names[] = {"XY", "XZ", "YZ"};
    std::string name = k < 3 ? names[k] : "Plane" + std::to_string(k);
    return Answer<ICVDesignPlane>(ok, std::make_shared<RPlane>(Host, name, normals[k]));
  }
};

class RCollector : public RObject, public IObjectCollector {
 public:
  RCollector(THostPtr h, std::string id, int n) : RObject(std::move(h), std::move(id)), N(n) {}
  int32_t Get_Count() override {
    Rec("Get_Count");
    return N;
  }
  int N;
};

class RAnalysis : public RObject, public IAnalyzedSketchData {
 public:
  using RObject::RObject;
  std::shared_ptr<IObjectCollector> Make(const char* m, int n) {
    return Answer<IObjectCollector>(Rec(m), std::make_shared<RCollector>(Host, Id + "." + m, n));
  }
  std::shared_ptr<IObjectCollector> Get_DisjointEnds() override {
    return Make("Get_DisjointEnds", Host->Script.DisjointEnds);
  }
  std::shared_ptr<IObjectCollector> Get_OpenLoops() override { return Make("Get_OpenLoops", Host->Script.OpenLoops); }
  std::shared_ptr<IObjectCollector> Get_OverLaps() override { return Make("Get_OverLaps", Host->Script.OverLaps); }
  std::shared_ptr<IObjectCollector> Get_Intersections() override {
    return Make("Get_Intersections", Host->Script.Intersections);
  }
  std::shared_ptr<IObjectCollector> Get_DegenerateFigures() override {
    return Make("Get_DegenerateFigures", Host->Script.DegenerateFigures);
  }
};

class RFigures : public RObject, public ICVSketchFigures {
 public:
  RFigures(THostPtr h, std::string id, std::shared_ptr<int> count)
      : RObject(std::move(h), std::move(id)), Count(count) {}
  int32_t Get_Count() override {
    Rec("Get_Count");
    return *Count;
  }
  ICVUnknownPtr Figure(bool ok) {
    ++*Count;
    return ok ? std::make_shared<RObject>(Host, Host->NextId("Figure")) : nullptr;
  }
  ICVUnknownPtr AddLine(double x1, double y1, double x2, double y2) override {
    return Figure(Rec("AddLine", {Num(x1), Num(y1), Num(x2), Num(y2)}));
  }
  ICVUnknownPtr AddCircularArcByCenterStartEnd(double xc, double yc, double xs, double ys, double xe,
                                               double ye) override {
    return Figure(Rec("AddCircularArcByCenterStartEnd", {Num(xc), Num(yc), Num(xs), Num(ys), Num(xe), Num(ye)}));
  }
  ICVUnknownPtr AddCircle(double xc, double yc, const CVVariant& r) override {
    return Figure(Rec("AddCircle", {Num(xc), Num(yc), Var(r)}));
  }
  ICVUnknownPtr AddRectangle(double x1, double y1, double x2, double y2) override {
    return Figure(Rec("AddRectangle", {Num(x1), Num(y1), Num(x2), Num(y2)}));
  }
  std::shared_ptr<int> Count;
};

class RSketch : public RObject, public ICVSketch, public std::enable_shared_from_this<RSketch> {
 public:
  RSketch(THostPtr h, std::string name) : RObject(std::move(h), "Sketch[" + name + "]"), Name(std::move(name)) {}
  std::string Get_Name() override {
    Rec("Get_Name");
    return Name;
  }
  void BeginChange() override { Rec("BeginChange"); }
  void EndChange() override { Rec("EndChange"); }
  std::shared_ptr<ICVSketchFigures> Get_Figures() override {
    return Answer<ICVSketchFigures>(Rec("Get_Figures"),
                                    std::make_shared<RFigures>(Host, "Figures[" + Name + "]", Count));
  }
  bool Get_IsClosed() override {
    Rec("Get_IsClosed");
    return Host->Script.SketchIsClosed;
  }
  std::shared_ptr<IAnalyzedSketchData> Analyze(bool a, bool b, bool c, bool d, bool e, bool f, double tol) override {
    bool ok = Rec("Analyze", {Bool(a), Bool(b), Bool(c), Bool(d), Bool(e), Bool(f), Num(tol)});
    if (Host->Script.AnalyzeGivesNil) return nullptr;
    return Answer<IAnalyzedSketchData>(ok, std::make_shared<RAnalysis>(Host, "Analysis[" + Name + "]"));
  }
  std::string Name;
  std::shared_ptr<int> Count = std::make_shared<int>(0);
};

class RSketches : public RObject, public ICVSketches {
 public:
  using RObject::RObject;
  int32_t Get_Count() override {
    Rec("Get_Count");
    return static_cast<int32_t>(Items.size());
  }
  std::shared_ptr<ICVSketch> Get_Item(const CVVariant& i) override {
    bool ok = Rec("Get_Item", {Var(i)});
    int k = VarToInt(i);
    if (k < 0 || k >= static_cast<int>(Items.size())) throw ECVHostError("Sketches: index out of range");
    return Answer<ICVSketch>(ok, Items[k]);
  }
  std::shared_ptr<ICVSketch> AddSketch(std::shared_ptr<ICVOccurrence> occ, ICVUnknownPtr on,
                                       const std::string& name) override {
    bool ok = Rec("AddSketch", {IdOf(occ), IdOf(on), Str(name)});
    if (!ok) return nullptr;
    Items.push_back(std::make_shared<RSketch>(Host, name));
    return Items.back();
  }
  std::vector<std::shared_ptr<RSketch>> Items;
};

class RFeature : public RObject, public ICVExtrusionFeature, public ICVPartFeature {
 public:
  RFeature(THostPtr h, std::string name, std::shared_ptr<ICVSketch> s)
      : RObject(std::move(h), "Feature[" + name + "]"), Name(std::move(name)), Sketch(std::move(s)) {}
  std::string Get_Name() override {
    Rec("Get_Name");
    return Name;
  }
  bool Get_HasError() override {
    Rec("Get_HasError");
    return Host->Script.FeatureHasError;
  }
  std::string Get_ErrorText() override {
    Rec("Get_ErrorText");
    return Host->Script.FeatureHasError ? "scripted error" : "";
  }
  std::shared_ptr<ICVSketch> Get_Sketch() override {
    Rec("Get_Sketch");
    return Sketch;
  }
  std::string Name;
  std::shared_ptr<ICVSketch> Sketch;
};

class RFeatures : public RObject, public ICVPartFeatures {
 public:
  using RObject::RObject;
  int32_t Get_Count() override {
    Rec("Get_Count");
    return static_cast<int32_t>(Items.size());
  }
  std::shared_ptr<ICVPartFeature> Get_Item(const CVVariant& i) override {
    bool ok = Rec("Get_Item", {Var(i)});
    int k = VarToInt(i);
    if (k < 0 || k >= static_cast<int>(Items.size())) throw ECVHostError("Features: index out of range");
    return Answer<ICVPartFeature>(ok, Items[k]);
  }
  std::shared_ptr<ICVExtrusionFeature> Add(const char* m, std::shared_ptr<ICVSketch> s, const CVVariant& d,
                                           CVPartFeatureEndCondition e, std::shared_ptr<ICVOccurrence> o1,
                                           ICVUnknownPtr t1, double off, int32_t flags,
                                           std::shared_ptr<ICVOccurrence> o2, ICVUnknownPtr t2, bool rev,
                                           const CVVariant& d2, bool both, const std::string& name,
                                           const std::string& desc, const std::string& res) {
    bool ok = Rec(
        m, {IdOf(s), Var(d), std::to_string(static_cast<int>(e)), IdOf(o1), IdOf(t1), Num(off), std::to_string(flags),
            IdOf(o2), IdOf(t2), Bool(rev), Var(d2), Bool(both), Str(name), Str(desc), Str(res)});
    if (!ok) return nullptr;
    Items.push_back(std::make_shared<RFeature>(Host, name, s));
    return Items.back();
  }
  std::shared_ptr<ICVExtrusionFeature> AddExtrudedBoss(std::shared_ptr<ICVSketch> s, const CVVariant& d,
                                                       CVPartFeatureEndCondition e, std::shared_ptr<ICVOccurrence> o1,
                                                       ICVUnknownPtr t1, double off, int32_t flags,
                                                       std::shared_ptr<ICVOccurrence> o2, ICVUnknownPtr t2, bool rev,
                                                       const CVVariant& d2, bool both, const std::string& name,
                                                       const std::string& desc, const std::string& res) override {
    return Add("AddExtrudedBoss", s, d, e, o1, t1, off, flags, o2, t2, rev, d2, both, name, desc, res);
  }
  std::shared_ptr<ICVExtrusionFeature> AddExtrudedCutout(std::shared_ptr<ICVSketch> s, const CVVariant& d,
                                                         CVPartFeatureEndCondition e, std::shared_ptr<ICVOccurrence> o1,
                                                         ICVUnknownPtr t1, double off, int32_t flags,
                                                         std::shared_ptr<ICVOccurrence> o2, ICVUnknownPtr t2, bool rev,
                                                         const CVVariant& d2, bool both, const std::string& name,
                                                         const std::string& desc, const std::string& res) override {
    return Add("AddExtrudedCutout", s, d, e, o1, t1, off, flags, o2, t2, rev, d2, both, name, desc, res);
  }
  std::vector<std::shared_ptr<RFeature>> Items;
};

class RSurface : public RObject, public ICVSurface {
 public:
  RSurface(THostPtr h, std::string id, TScriptedFace f) : RObject(std::move(h), std::move(id)), F(f) {}
  std::shared_ptr<ICVPoint> PointAtParam(double u, double v) override {
    return Answer<ICVPoint>(Rec("PointAtParam", {Num(u), Num(v)}), std::make_shared<RPoint>(Host, u, v, F.Z));
  }
  std::shared_ptr<ICVVector> NormalAtPoint(std::shared_ptr<ICVPoint> p) override {
    bool ok = Rec("NormalAtPoint", {IdOf(p)});
    if (F.NoNormal) return nullptr;
    return Answer<ICVVector>(ok, std::make_shared<RVector>(Host, F.Nx, F.Ny, F.Nz));
  }
  TScriptedFace F;
};

class RFace : public RObject, public ICVFace {
 public:
  RFace(THostPtr h, int index) : RObject(std::move(h), "Face#" + std::to_string(index)), Index(index) {}
  std::shared_ptr<ICVSurface> Get_Geometry() override {
    return Answer<ICVSurface>(Rec("Get_Geometry"), std::make_shared<RSurface>(Host, "Surface#" + std::to_string(Index),
                                                                              Host->Script.Faces[Index]));
  }
  bool Get_IsSenseReversed() override {
    Rec("Get_IsSenseReversed");
    return Host->Script.Faces[Index].SenseReversed;
  }
  double Get_Area() override {
    Rec("Get_Area");
    return 0;
  }
  int Index;
};

class RFaces : public RObject, public ICVFaces {
 public:
  using RObject::RObject;
  int32_t Get_Count() override {
    Rec("Get_Count");
    return static_cast<int32_t>(Host->Script.Faces.size());
  }
  std::shared_ptr<ICVFace> Get_Item(const CVVariant& i) override {
    bool ok = Rec("Get_Item", {Var(i)});
    int k = VarToInt(i);
    if (k < 0 || k >= static_cast<int>(Host->Script.Faces.size())) throw ECVHostError("Faces: index out of range");
    return Answer<ICVFace>(ok, std::make_shared<RFace>(Host, k));
  }
};

class RBody : public RObject, public ICVBody {
 public:
  using RObject::RObject;
  std::shared_ptr<ICVFaces> Get_Faces() override {
    return Answer<ICVFaces>(Rec("Get_Faces"), std::make_shared<RFaces>(Host, "Faces[" + Id + "]"));
  }
  double Get_Volume() override {
    Rec("Get_Volume");
    return Host->Script.BodyVolume;
  }
};

class RBodies : public RObject, public ICVBodies {
 public:
  RBodies(THostPtr h, std::string id, std::string part) : RObject(std::move(h), std::move(id)), Part(std::move(part)) {}
  int32_t Get_Count() override {
    Rec("Get_Count");
    return Host->Script.BodyCount;
  }
  std::shared_ptr<ICVBody> Get_Item(const CVVariant& i) override {
    bool ok = Rec("Get_Item", {Var(i)});
    int k = VarToInt(i);
    if (k < 0 || k >= Host->Script.BodyCount) throw ECVHostError("Bodies: index out of range");
    return Answer<ICVBody>(ok, std::make_shared<RBody>(Host, "Body[" + Part + "#" + std::to_string(k) + "]"));
  }
  std::string Part;
};

// Sessions support ICVSession and ICVDesignSession as the script says.
class RSessionPart : public virtual RObject, public ICVSession {
 public:
  RSessionPart() : RObject(nullptr, "") {}
  std::string Get_Name() override {
    Rec("Get_Name");
    return Name;
  }
  void SaveAs(const CVVariant& folder, const std::string& name) override {
    Rec("SaveAs", {Var(folder), Str(name)});
    if (const auto* dir = std::get_if<std::string>(&folder); dir && Host->Script.SaveLeavesFiles)
      std::ofstream(std::filesystem::path(*dir) / (name + Extension));
  }
  void SaveAll(const std::string& folder) override { Rec("SaveAll", {Str(folder)}); }
  void Close(bool save) override { Rec("Close", {Bool(save)}); }
  std::shared_ptr<ICVGeometryFactory> Get_GeometryFactory() override {
    return Answer<ICVGeometryFactory>(Rec("Get_GeometryFactory"),
                                      std::make_shared<RFactory>(Host, "GeometryFactory[" + Name + "]"));
  }
  std::string Name;
  std::string Extension;
};

class RDesignPart : public virtual RObject, public ICVDesignSession {
 public:
  RDesignPart() : RObject(nullptr, "") {}
  std::shared_ptr<ICVDesignPlanes> Get_DesignPlanes() override {
    return Answer<ICVDesignPlanes>(Rec("Get_DesignPlanes"),
                                   std::make_shared<RPlanes>(Host, "DesignPlanes[" + Id + "]"));
  }
};

template <int N>
struct RNothing {};

class RPartBase : public virtual RObject, public ICVPartSession {
 public:
  RPartBase() : RObject(nullptr, "") {}
  int32_t Get_Color() override {
    Rec("Get_Color");
    return Color;
  }
  void Set_Color(int32_t c) override {
    Rec("Set_Color", {std::to_string(c)});
    Color = c;
  }
  std::shared_ptr<ICVSketches> Get_Sketches() override { return Answer<ICVSketches>(Rec("Get_Sketches"), Sketches); }
  std::shared_ptr<ICVPartFeatures> Get_Features() override {
    return Answer<ICVPartFeatures>(Rec("Get_Features"), Features);
  }
  std::shared_ptr<ICVBodies> Get_Bodies() override { return Answer<ICVBodies>(Rec("Get_Bodies"), Bodies); }
  void Init(const std::string& name) {
    Sketches = std::make_shared<RSketches>(Host, "Sketches[" + name + "]");
    Features = std::make_shared<RFeatures>(Host, "Features[" + name + "]");
    Bodies = std::make_shared<RBodies>(Host, "Bodies[" + name + "]", name);
  }
  int32_t Color = -1;
  std::shared_ptr<RSketches> Sketches;
  std::shared_ptr<RFeatures> Features;
  std::shared_ptr<RBodies> Bodies;
};

template <bool S, bool D>
class RPart : public RPartBase,
              public std::conditional_t<S, RSessionPart, RNothing<1>>,
              public std::conditional_t<D, RDesignPart, RNothing<2>> {
 public:
  RPart(THostPtr h, const std::string& name) : RObject(std::move(h), "Part[" + name + "]") {
    if constexpr (S) {
      this->RSessionPart::Name = name;
      this->RSessionPart::Extension = ".CV_PRT";
    }
    Init(name);
  }
};

std::shared_ptr<ICVPartSession> MakePart(THostPtr h, const std::string& name) {
  bool s = h->Script.SessionsAreHostSessions, d = h->Script.PartsAreDesignSessions;
  if (s && d) return std::make_shared<RPart<true, true>>(h, name);
  if (s) return std::make_shared<RPart<true, false>>(h, name);
  if (d) return std::make_shared<RPart<false, true>>(h, name);
  return std::make_shared<RPart<false, false>>(h, name);
}

class ROccurrence;

class ROccurrences : public RObject, public ICVOccurrences {
 public:
  using RObject::RObject;
  int32_t Get_Count() override {
    Rec("Get_Count");
    return static_cast<int32_t>(Items.size());
  }
  std::shared_ptr<ICVOccurrence> Get_Item(const CVVariant& i) override;
  std::shared_ptr<ICVOccurrence> Add(const CVVariant& file, std::shared_ptr<ICVTransformation> t) override;
  std::vector<std::shared_ptr<ROccurrence>> Items;
};

class ROccurrence : public RObject, public ICVOccurrence {
 public:
  ROccurrence(THostPtr h, std::string name, std::string file, TMatrix m)
      : RObject(h, "Occurrence[" + name + "]"),
        Name(std::move(name)),
        File(std::move(file)),
        M(m),
        Children(std::make_shared<ROccurrences>(h, "Occurrences[" + Name + "]")) {}
  std::string Get_Name() override {
    Rec("Get_Name");
    return Name;
  }
  void Set_Name(const std::string& name) override {
    Rec("Set_Name", {Str(name)});
    Name = name;
  }
  std::string Get_FileName() override {
    Rec("Get_FileName");
    return File;
  }
  std::shared_ptr<ICVOccurrences> Get_Occurrences() override {
    return Answer<ICVOccurrences>(Rec("Get_Occurrences"), Children);
  }
  void ApplyTransform(std::shared_ptr<ICVTransformation> t) override {
    Rec("ApplyTransform", {IdOf(t)});
    if (auto r = std::dynamic_pointer_cast<RTransform>(t)) M = Compose(r->M, M);
  }
  std::shared_ptr<ICVTransformation> Get_Transform() override {
    return Answer<ICVTransformation>(Rec("Get_Transform"), std::make_shared<RTransform>(Host, M));
  }
  bool Get_IsAnchored() override {
    Rec("Get_IsAnchored");
    return Anchored;
  }
  void Set_IsAnchored(bool a) override {
    Rec("Set_IsAnchored", {Bool(a)});
    Anchored = a;
  }
  int32_t Get_Color() override {
    Rec("Get_Color");
    return Color;
  }
  void Set_Color(int32_t c) override {
    Rec("Set_Color", {std::to_string(c)});
    Color = c;
  }
  std::string Name, File;
  TMatrix M;
  bool Anchored = false;
  int32_t Color = -1;
  std::shared_ptr<ROccurrences> Children;
};

std::shared_ptr<ICVOccurrence> ROccurrences::Get_Item(const CVVariant& i) {
  bool ok = Rec("Get_Item", {Var(i)});
  int k = VarToInt(i);
  if (k < 0 || k >= static_cast<int>(Items.size())) throw ECVHostError("Occurrences: index out of range");
  return Answer<ICVOccurrence>(ok, Items[k]);
}

std::shared_ptr<ICVOccurrence> ROccurrences::Add(const CVVariant& file, std::shared_ptr<ICVTransformation> t) {
  bool ok = Rec("Add", {Var(file), IdOf(t)});
  if (!ok) return nullptr;
  std::string path = VarToString(file);
  auto r = std::dynamic_pointer_cast<RTransform>(t);
  int n = 1;
  for (auto& o : Items) n += o->File == path ? 1 : 0;
  std::string stem = std::filesystem::path(path).stem().string();
  Items.push_back(std::make_shared<ROccurrence>(Host, stem + ":" + std::to_string(n), path, r ? r->M : kIdentity));
  return Items.back();
}

class RAssemblyBase : public virtual RObject, public ICVAssemblySession {
 public:
  RAssemblyBase() : RObject(nullptr, "") {}
  std::shared_ptr<ICVOccurrence> Get_RootOccurrence() override {
    return Answer<ICVOccurrence>(Rec("Get_RootOccurrence"), RootOcc);
  }
  std::shared_ptr<ROccurrence> RootOcc;
};

template <bool S>
class RAssembly : public RAssemblyBase, public std::conditional_t<S, RSessionPart, RNothing<1>> {
 public:
  RAssembly(THostPtr h, const std::string& name) : RObject(h, "Assembly[" + name + "]") {
    if constexpr (S) {
      this->RSessionPart::Name = name;
      this->RSessionPart::Extension = ".CV_ASM";
    }
    RootOcc = std::make_shared<ROccurrence>(h, "root:" + name, "", kIdentity);
  }
};

class RRoot : public RObject, public ICVRoot {
 public:
  explicit RRoot(THostPtr h) : RObject(h, h->NextId("Root")) {}
  std::shared_ptr<ICVPartSession> CreateEmptyPart(const std::string& name, bool visible) override {
    return Answer<ICVPartSession>(Rec("CreateEmptyPart", {Str(name), Bool(visible)}), MakePart(Host, name));
  }
  std::shared_ptr<ICVAssemblySession> CreateEmptyAssembly(const std::string& name) override {
    bool ok = Rec("CreateEmptyAssembly", {Str(name)});
    std::shared_ptr<ICVAssemblySession> a;
    if (Host->Script.SessionsAreHostSessions)
      a = std::make_shared<RAssembly<true>>(Host, name);
    else
      a = std::make_shared<RAssembly<false>>(Host, name);
    return Answer<ICVAssemblySession>(ok, a);
  }
  std::string Get_version() override {
    Rec("Get_version");
    return Host->Script.Version;
  }
  void Terminate() override { Rec("Terminate"); }
};

class RHook : public RObject, public IAutomationHook {
 public:
  explicit RHook(THostPtr h) : RObject(h, h->NextId("Hook")) {}
  void Initialize(const std::string& url, const std::string& login, const std::string& pw, bool b,
                  int32_t flags) override {
    Rec("Initialize", {Str(url), Str(login), Str(pw), Bool(b), std::to_string(flags)});
  }
  ICVUnknownPtr Get_Root() override {
    bool ok = Rec("Get_Root");
    if (!ok) return nullptr;
    if (!Host->Script.RootIsICVRoot) return std::make_shared<RObject>(Host, "NotARoot");
    if (!Root) Root = std::make_shared<RRoot>(Host);
    return Root;
  }
  std::shared_ptr<RRoot> Root;
};

}  // namespace

std::shared_ptr<IAutomationHook> TRecordingHost::NewInstance() {
  ++InstancesStarted;
  auto self = shared_from_this();
  Record("Server", "NewInstance", {});
  return std::make_shared<RHook>(self);
}

void TRecordingHost::Register() {
  std::weak_ptr<TRecordingHost> self = weak_from_this();
  RegisterAutomationServer([self]() -> std::shared_ptr<IAutomationHook> {
    auto h = self.lock();
    return h ? h->NewInstance() : nullptr;
  });
}

}  // namespace recording
