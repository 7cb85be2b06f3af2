#include "tests/support/ReadBack.h"

#include "corvane/StepFiles.h"

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepBndLib.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepCheck_Shell.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Check.hxx>
#include <Interface_CheckIterator.hxx>
#include <Interface_Static.hxx>
#include <Quantity_Color.hxx>
#include <Resource_Manager.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Controller.hxx>
#include <STEPControl_Writer.hxx>
#include <ShapeProcess_ShapeContext.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_MapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Shell.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XSControl_TransferReader.hxx>
#include <XSControl_WorkSession.hxx>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <stdexcept>

namespace readback {
namespace {

// The reader's shape processing reduced to making faces direct, while alive.
class TNoFixing {
 public:
  TNoFixing() {
    STEPControl_Controller::Init();
    Handle(ShapeProcess_ShapeContext) ctx =
        new ShapeProcess_ShapeContext(Interface_Static::CVal("read.step.resource.name"));
    FRes = ctx->ResourceManager();
    FKey = TCollection_AsciiString(Interface_Static::CVal("read.step.sequence")) + ".exec.op";
    FOld = FRes->Find(FKey.ToCString()) ? FRes->Value(FKey.ToCString()) : "FixShape";
    FRes->SetResource(FKey.ToCString(), "DirectFaces");
  }
  ~TNoFixing() { FRes->SetResource(FKey.ToCString(), FOld.ToCString()); }

 private:
  Handle(Resource_Manager) FRes;
  TCollection_AsciiString FKey, FOld;
};

// Face by face, plus each shell's closure and orientation: a check of the whole solid
// would take minutes on a board with thousands of holes.
std::string Invalidity(const TopoDS_Shape& s) {
  int n = 0;
  for (TopExp_Explorer f(s, TopAbs_FACE); f.More(); f.Next(), ++n)
    if (!BRepCheck_Analyzer(f.Current()).IsValid()) return "face " + std::to_string(n) + " is invalid";
  for (TopExp_Explorer sh(s, TopAbs_SHELL); sh.More(); sh.Next()) {
    BRepCheck_Shell check(TopoDS::Shell(sh.Current()));
    if (check.Closed() != BRepCheck_NoError) return "a shell is not closed";
    if (check.Orientation() != BRepCheck_NoError) return "a shell is badly oriented";
  }
  if (n == 0) return "no faces";
  return {};
}

bool FacesConnectInOrder(const TopoDS_Shape& s) {
  for (TopExp_Explorer sh(s, TopAbs_SHELL); sh.More(); sh.Next()) {
    TopTools_MapOfShape met;
    bool first = true;
    for (TopoDS_Iterator f(sh.Current()); f.More(); f.Next(), first = false) {
      bool meets = first;
      for (TopExp_Explorer e(f.Value(), TopAbs_EDGE); e.More() && !meets; e.Next()) meets = met.Contains(e.Current());
      if (!meets) return false;
      for (TopExp_Explorer e(f.Value(), TopAbs_EDGE); e.More(); e.Next()) met.Add(e.Current());
    }
  }
  return true;
}

struct TDoc {
  Handle(TDocStd_Document) Doc;
  Handle(XCAFDoc_ShapeTool) Shapes;
  Handle(XCAFDoc_ColorTool) Colors;
  std::vector<std::string> Warnings;  // the reader's, one per entity and message
  explicit TDoc(const std::string& path, bool fixing = false) {
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", Doc);
    XCAFDoc_DocumentTool::SetLengthUnit(Doc, 1.0, UnitsMethods_LengthUnit_Millimeter);
    STEPCAFControl_Reader r;
    r.SetColorMode(true);
    r.SetNameMode(true);
    std::optional<TNoFixing> noFixing;
    if (!fixing) noFixing.emplace();
    if (r.ReadFile(path.c_str()) != IFSelect_RetDone || !r.Transfer(Doc))
      throw std::runtime_error("cannot read " + path);
    Interface_CheckIterator checks = r.Reader().WS()->TransferReader()->TransientProcess()->CheckList(false);
    for (checks.Start(); checks.More(); checks.Next())
      for (int i = 1; i <= checks.Value()->NbWarnings(); ++i) Warnings.push_back(checks.Value()->CWarning(i));
    Shapes = XCAFDoc_DocumentTool::ShapeTool(Doc->Main());
    Colors = XCAFDoc_DocumentTool::ColorTool(Doc->Main());
  }
  ~TDoc() { XCAFApp_Application::GetApplication()->Close(Doc); }
  TDF_Label Root() const {
    TDF_LabelSequence roots;
    Shapes->GetFreeShapes(roots);
    if (roots.Length() != 1) throw std::runtime_error("expected one root");
    return roots(1);
  }
  std::string Name(const TDF_Label& l) const {
    Handle(TDataStd_Name) n;
    return l.FindAttribute(TDataStd_Name::GetID(), n) ? TCollection_AsciiString(n->Get()).ToCString() : "";
  }
  int32_t Color(const TDF_Label& l) const {
    Quantity_Color c;
    if (!Colors->GetColor(l, XCAFDoc_ColorSurf, c) && !Colors->GetColor(l, XCAFDoc_ColorGen, c)) return -1;
    double r, g, b;
    c.Values(r, g, b, Quantity_TOC_sRGB);
    auto byte = [](double v) { return static_cast<int32_t>(std::lround(v * 255)); };
    return byte(r) | byte(g) << 8 | byte(b) << 16;
  }
};

TBox BoxOf(const TopoDS_Shape& s) {
  Bnd_Box b;
  BRepBndLib::AddOptimal(s, b, false, false);
  TBox r;
  b.Get(r.X0, r.Y0, r.Z0, r.X1, r.Y1, r.Z1);
  return r;
}

}  // namespace

TSolidFacts ReadPart(const std::string& path) {
  TDoc d(path);
  TDF_Label root = d.Root();
  TSolidFacts f;
  f.Name = d.Name(root);
  f.Color = d.Color(root);
  // A body made by booleans is a compound whose solid carries the colour.
  TDF_LabelSequence subs;
  d.Shapes->GetSubShapes(root, subs);
  for (int i = 1; f.Color == -1 && i <= subs.Length(); ++i) f.Color = d.Color(subs(i));
  TopoDS_Shape s = d.Shapes->GetShape(root);
  corvane::AddMissingPCurves(s);
  f.Invalid = Invalidity(s);
  f.Valid = f.Invalid.empty();
  f.FacesConnectInOrder = FacesConnectInOrder(s);
  // The measures of an invalid read come from the healed one, so that a test sees both.
  std::optional<TDoc> healed;
  if (!f.Valid) {
    healed.emplace(path, true);
    s = healed->Shapes->GetShape(healed->Root());
  }
  GProp_GProps g;
  BRepGProp::VolumeProperties(s, g);
  f.Volume = g.Mass();
  for (TopExp_Explorer ex(s, TopAbs_FACE); ex.More(); ex.Next()) {
    ++f.Faces;
    int wires = 0;
    for (TopoDS_Iterator w(ex.Current()); w.More(); w.Next()) ++wires;
    f.MostInnerLoops = std::max(f.MostInnerLoops, wires - 1);
  }
  if (f.Faces > 0) f.Box = BoxOf(s);
  return f;
}

TAssemblyFacts ReadAssembly(const std::string& path) {
  TDoc d(path);
  TDF_Label root = d.Root();
  TAssemblyFacts a;
  a.Name = d.Name(root);
  TDF_LabelSequence comps;
  d.Shapes->GetComponents(root, comps);
  std::set<std::string> parts;
  for (int i = 1; i <= comps.Length(); ++i) {
    TDF_Label ref;
    d.Shapes->GetReferredShape(comps(i), ref);
    TCollection_AsciiString entry;
    TDF_Tool::Entry(ref, entry);
    parts.insert(entry.ToCString());
    TopoDS_Shape placed = d.Shapes->GetShape(comps(i));
    corvane::AddMissingPCurves(placed);
    GProp_GProps g;
    BRepGProp::VolumeProperties(placed, g);
    a.Components.push_back({d.Name(comps(i)), d.Name(ref), d.Color(comps(i)), BoxOf(placed), g.Mass()});
  }
  a.DistinctParts = static_cast<int>(parts.size());
  a.Warnings = d.Warnings;
  return a;
}

void WriteForeignBox(const std::string& path, double dx, double dy, double dz, int products) {
  STEPControl_Writer w;
  for (int k = 0; k < products; ++k)
    w.Transfer(BRepPrimAPI_MakeBox(gp_Pnt(2 * k * dx, 0, 0), dx, dy, dz).Shape(), STEPControl_AsIs);
  if (w.Write(path.c_str()) != IFSelect_RetDone) throw std::runtime_error("cannot write " + path);
}

void WriteForeignDrilledBox(const std::string& path, double dx, double dy, double dz, double r,
                            const std::string& unit) {
  TopoDS_Shape box = BRepPrimAPI_MakeBox(dx, dy, dz).Shape();
  TopoDS_Shape pin = BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(dx / 2, dy / 2, -1), gp::DZ()), r, dz + 2).Shape();
  STEPControl_Controller::Init();
  Interface_Static::SetCVal("write.step.unit", unit.c_str());
  STEPControl_Writer w;
  w.Transfer(BRepAlgoAPI_Cut(box, pin).Shape(), STEPControl_AsIs);
  Interface_Static::SetCVal("write.step.unit", "MM");
  if (w.Write(path.c_str()) != IFSelect_RetDone) throw std::runtime_error("cannot write " + path);
}

}  // namespace readback
