#include "tests/support/ReadBack.h"

#include <BRepBndLib.hxx>
#include <BRepGProp.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Quantity_Color.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Writer.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <cmath>
#include <set>
#include <stdexcept>

namespace readback {
namespace {

struct TDoc {
  Handle(TDocStd_Document) Doc;
  Handle(XCAFDoc_ShapeTool) Shapes;
  Handle(XCAFDoc_ColorTool) Colors;
  explicit TDoc(const std::string& path) {
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", Doc);
    XCAFDoc_DocumentTool::SetLengthUnit(Doc, 1.0, UnitsMethods_LengthUnit_Millimeter);
    STEPCAFControl_Reader r;
    r.SetColorMode(true);
    r.SetNameMode(true);
    if (r.ReadFile(path.c_str()) != IFSelect_RetDone || !r.Transfer(Doc))
      throw std::runtime_error("cannot read " + path);
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
  TopoDS_Shape s = d.Shapes->GetShape(root);
  GProp_GProps g;
  BRepGProp::VolumeProperties(s, g);
  f.Volume = g.Mass();
  for (TopExp_Explorer ex(s, TopAbs_FACE); ex.More(); ex.Next()) ++f.Faces;
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
    GProp_GProps g;
    BRepGProp::VolumeProperties(placed, g);
    a.Components.push_back({d.Name(ref), d.Color(comps(i)), BoxOf(placed), g.Mass()});
  }
  a.DistinctParts = static_cast<int>(parts.size());
  return a;
}

void WriteForeignBox(const std::string& path, double dx, double dy, double dz) {
  STEPControl_Writer w;
  w.Transfer(BRepPrimAPI_MakeBox(dx, dy, dz).Shape(), STEPControl_AsIs);
  if (w.Write(path.c_str()) != IFSelect_RetDone) throw std::runtime_error("cannot write " + path);
}

}  // namespace readback
