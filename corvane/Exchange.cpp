#include "corvane/Exchange.h"

#include <APIHeaderSection_MakeHeader.hxx>
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Quantity_Color.hxx>
#include <Resource_Manager.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <STEPControl_Controller.hxx>
#include <ShapeProcess_ShapeContext.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopoDS_Compound.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <optional>

#include "host/CorvaneX_TLB.h"

namespace corvane {
namespace {

using CorvaneX_TLB::ECVHostError;

// Files carrying this mark were written by us from valid shapes and skip shape healing
// on reading, which costs time quadratic in the number of holes of a face.
constexpr const char* kOriginatingSystem = "Corvane substitute host";

// The OCCT data exchange keeps its settings in process-wide statics.
std::mutex& ExchangeLock() {
  static std::mutex m;
  return m;
}

// A new document, closed when its owner goes: after a write or read, and when either fails.
class TOpenDocument {
 public:
  TOpenDocument() {
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", fDoc);
    // Documents hold centimetres; files are written in millimetres.
    XCAFDoc_DocumentTool::SetLengthUnit(fDoc, 10.0, UnitsMethods_LengthUnit_Millimeter);
  }
  ~TOpenDocument() { XCAFApp_Application::GetApplication()->Close(fDoc); }
  TOpenDocument(const TOpenDocument&) = delete;
  TOpenDocument& operator=(const TOpenDocument&) = delete;
  Handle(TDocStd_Document) & operator*() { return fDoc; }
  TDocStd_Document* operator->() const { return fDoc.get(); }

 private:
  Handle(TDocStd_Document) fDoc;
};

Quantity_Color ToColor(int32_t c) {
  return Quantity_Color((c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0, Quantity_TOC_sRGB);
}

int32_t FromColor(const Quantity_Color& q) {
  double r, g, b;
  q.Values(r, g, b, Quantity_TOC_sRGB);
  auto byte = [](double v) { return static_cast<int32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return byte(r) | (byte(g) << 8) | (byte(b) << 16);
}

void SetName(const TDF_Label& l, const std::string& name) {
  TDataStd_Name::Set(l, TCollection_ExtendedString(name.c_str(), true));
}

std::string GetName(const TDF_Label& l) {
  Handle(TDataStd_Name) n;
  if (!l.FindAttribute(TDataStd_Name::GetID(), n)) return {};
  return TCollection_AsciiString(n->Get()).ToCString();
}

int32_t GetColor(const Handle(XCAFDoc_ColorTool) & ct, const TDF_Label& l) {
  Quantity_Color c;
  if (ct->GetColor(l, XCAFDoc_ColorSurf, c) || ct->GetColor(l, XCAFDoc_ColorGen, c)) return FromColor(c);
  return -1;
}

void Write(const Handle(TDocStd_Document) & doc, const std::string& path) {
  // The settings below exist only once the STEP controller is initialised.
  STEPControl_Controller::Init();
  Interface_Static::SetCVal("write.step.schema", "AP214IS");
  Interface_Static::SetCVal("write.step.unit", "MM");
  // Parameter-space curves double the file and most of the writing time; readers rebuild them.
  Interface_Static::SetIVal("write.surfacecurve.mode", 0);
  STEPCAFControl_Writer w;
  w.SetColorMode(true);
  w.SetNameMode(true);
  if (!w.Transfer(doc, STEPControl_AsIs)) throw ECVHostError("Cannot convert the model for " + path);
  APIHeaderSection_MakeHeader header(w.ChangeWriter().Model());
  header.SetOriginatingSystem(new TCollection_HAsciiString(kOriginatingSystem));
  // The session's save gives a temporary path and renames it once written.
  if (w.Write(path.c_str()) != IFSelect_RetDone) throw ECVHostError("Cannot write file: " + path);
}

TopoDS_Shape OrEmpty(const TopoDS_Shape& s) {
  if (!s.IsNull()) return s;
  TopoDS_Compound c;
  BRep_Builder().MakeCompound(c);
  return c;
}

// Replaces the reader's shape processing sequence while alive.
class TLightReading {
 public:
  TLightReading() {
    // The processing context hands out the resource manager the reader will use.
    Handle(ShapeProcess_ShapeContext) ctx =
        new ShapeProcess_ShapeContext(Interface_Static::CVal("read.step.resource.name"));
    FRes = ctx->ResourceManager();
    if (FRes.IsNull()) return;
    FKey = TCollection_AsciiString(Interface_Static::CVal("read.step.sequence")) + ".exec.op";
    // Without a resource file the reader falls back to its full fixing, as FixShape does.
    FOld = FRes->Find(FKey.ToCString()) ? FRes->Value(FKey.ToCString()) : "FixShape";
    FRes->SetResource(FKey.ToCString(), "DirectFaces");
  }
  ~TLightReading() {
    if (!FRes.IsNull()) FRes->SetResource(FKey.ToCString(), FOld.ToCString());
  }
  TLightReading(const TLightReading&) = delete;
  TLightReading& operator=(const TLightReading&) = delete;

 private:
  Handle(Resource_Manager) FRes;
  TCollection_AsciiString FKey, FOld;
};

bool WrittenByUs(STEPCAFControl_Reader& r) {
  APIHeaderSection_MakeHeader header(r.ChangeReader().StepModel());
  if (!header.HasFn()) return false;
  Handle(TCollection_HAsciiString) sys = header.OriginatingSystem();
  return !sys.IsNull() && sys->String() == kOriginatingSystem;
}

class TExchange : public IExchange {
 public:
  void WritePart(const std::string& path, const TModelFile& part) override {
    std::lock_guard g(ExchangeLock());
    TOpenDocument doc;
    auto st = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    auto ct = XCAFDoc_DocumentTool::ColorTool(doc->Main());
    TDF_Label l = st->AddShape(OrEmpty(part.Shape), false);
    SetName(l, part.Name);
    if (part.Color != -1) ct->SetColor(l, ToColor(part.Color), XCAFDoc_ColorGen);
    Write(*doc, path);
  }

  void WriteAssembly(const std::string& path, const std::string& name,
                     const std::vector<TPlacedModel>& placements) override {
    std::lock_guard g(ExchangeLock());
    TOpenDocument doc;
    auto st = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    auto ct = XCAFDoc_DocumentTool::ColorTool(doc->Main());
    TDF_Label top = st->NewShape();
    SetName(top, name);
    std::map<const TModelFile*, TDF_Label> parts;
    for (auto& p : placements) {
      auto [it, added] = parts.try_emplace(p.Model.get());
      if (added) {
        it->second = st->AddShape(OrEmpty(p.Model->Shape), false);
        SetName(it->second, p.Model->Name);
        if (p.Model->Color != -1) ct->SetColor(it->second, ToColor(p.Model->Color), XCAFDoc_ColorGen);
      }
      TDF_Label comp = st->AddComponent(top, it->second, TopLoc_Location(p.Placement));
      if (!p.Name.empty()) SetName(comp, p.Name);
      if (p.Color != -1) ct->SetColor(comp, ToColor(p.Color), XCAFDoc_ColorGen);
    }
    st->UpdateAssemblies();
    Write(*doc, path);
  }

  std::shared_ptr<TModelFile> Read(const std::string& path, bool& ours) override {
    std::lock_guard g(ExchangeLock());
    STEPCAFControl_Reader r;
    r.SetColorMode(true);
    r.SetNameMode(true);
    STEPControl_Controller::Init();
    if (r.ReadFile(path.c_str()) != IFSelect_RetDone)
      throw ECVHostError("Cannot read file: " + path + " is not a readable STEP file");
    TOpenDocument doc;
    std::optional<TLightReading> light;
    ours = WrittenByUs(r);
    if (ours) light.emplace();
    if (!r.Transfer(*doc)) {
      throw ECVHostError("Cannot read file: " + path + " holds no usable model");
    }
    auto st = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
    auto ct = XCAFDoc_DocumentTool::ColorTool(doc->Main());
    TDF_LabelSequence roots;
    st->GetFreeShapes(roots);
    auto m = std::make_shared<TModelFile>();
    if (roots.Length() == 1) {
      m->Name = GetName(roots(1));
      m->Shape = st->GetShape(roots(1));
      m->Color = GetColor(ct, roots(1));
    } else {
      TopoDS_Compound c;
      BRep_Builder bb;
      bb.MakeCompound(c);
      for (int i = 1; i <= roots.Length(); ++i) bb.Add(c, st->GetShape(roots(i)));
      m->Shape = c;
    }
    return m;
  }
};

}  // namespace
}  // namespace corvane

extern "C" corvane::IExchange* corvane_exchange(int version) {
  if (version != corvane::kExchangeVersion) return nullptr;
  static corvane::TExchange exchange;
  return &exchange;
}
