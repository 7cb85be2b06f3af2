#include "corvane/AssemblyViewer.h"

#include <AIS_ConnectedInteractive.hxx>
#include <AIS_InteractiveContext.hxx>
#include <AIS_Shape.hxx>
#include <Aspect_DisplayConnection.hxx>
#include <Aspect_NeutralWindow.hxx>
#include <BRepBndLib.hxx>
#include <BRepMesh_Context.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <Image_AlienPixMap.hxx>
#include <OpenGl_Context.hxx>
#include <OpenGl_FrameBuffer.hxx>
#include <OpenGl_GraphicDriver.hxx>
#include <Prs3d_LineAspect.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <StdPrs_ToolTriangulatedShape.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <V3d_AmbientLight.hxx>
#include <V3d_DirectionalLight.hxx>
#include <V3d_View.hxx>
#include <V3d_Viewer.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XCAFPrs_AISObject.hxx>
#include <Xw_Window.hxx>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace corvane {
namespace {
const Quantity_Color kBackgroundTop(0.93, 0.94, 0.96, Quantity_TOC_sRGB);
const Quantity_Color kBackgroundBottom(0.78, 0.80, 0.84, Quantity_TOC_sRGB);
const Quantity_Color kEdges(0.30, 0.30, 0.30, Quantity_TOC_sRGB);
const Quantity_Color kNoColour(0.75, 0.75, 0.75, Quantity_TOC_sRGB);

using TModel = std::vector<Handle(AIS_InteractiveObject)>;

std::string Why(const Standard_Failure& e) {
  const char* m = e.GetMessageString();
  return std::string(e.DynamicType()->Name()) + (m && *m ? std::string(": ") + m : std::string());
}

// Qt paints into its own frame buffer object, which holds plain (not sRGB) colours; told
// otherwise, the viewer would write them too dark.
class TForeignFrameBuffer : public OpenGl_FrameBuffer {
 public:
  void BindBuffer(const Handle(OpenGl_Context) & ctx) override {
    OpenGl_FrameBuffer::BindBuffer(ctx);
    ctx->SetFrameBufferSRGB(true, false);
  }
  void BindDrawBuffer(const Handle(OpenGl_Context) & ctx) override {
    OpenGl_FrameBuffer::BindDrawBuffer(ctx);
    ctx->SetFrameBufferSRGB(true, false);
  }
};

bool AllFacesMeshed(const TopoDS_Shape& s) {
  TopLoc_Location where;
  for (TopExp_Explorer f(s, TopAbs_FACE); f.More(); f.Next())
    if (BRep_Tool::Triangulation(TopoDS::Face(f.Current()), where).IsNull()) return false;
  return true;
}

// Meshed as the view would mesh the shape, but without inner vertices and the surface
// deflection check (planes need neither), faces in parallel, with the Delabella triangulation:
// a board face with a thousand holes meshes several times faster. The check for wires whose
// polygons cross costs as much again, and the polygons of disjoint round holes cannot cross (each
// lies inside its circle); it runs only when a face could not be meshed without it.
void Mesh(const TopoDS_Shape& s, double deflection, double angle) {
  IMeshTools_Parameters mesh;
  mesh.Deflection = deflection;
  mesh.Angle = angle;
  mesh.InternalVerticesMode = false;
  mesh.ControlSurfaceDeflection = false;
  mesh.InParallel = true;
  for (bool heal : {false, true}) {
    Handle(BRepMesh_Context) context = new BRepMesh_Context(IMeshTools_MeshAlgoType_Delabella);
    if (!heal) context->SetModelHealer(nullptr);
    BRepMesh_IncrementalMesh m;
    m.SetShape(s);
    m.ChangeParameters() = mesh;
    m.Perform(context);
    if (AllFacesMeshed(s)) return;
  }
}

// Face edges in grey: without them a board's top and its parts' tops merge into flat patches.
void DrawFaceEdges(const Handle(Prs3d_Drawer) & d) {
  d->SetFaceBoundaryDraw(true);
  d->SetFaceBoundaryAspect(new Prs3d_LineAspect(kEdges, Aspect_TOL_SOLID, 1.0));
}

// Takes the model out of the context. The parts that occurrences share are never displayed
// themselves, so nothing else tells them that the context is gone.
void RemoveModel(const Handle(AIS_InteractiveContext) & context, const TModel& model) {
  if (context) context->RemoveAll(false);
  for (const auto& m : model)
    if (Handle(AIS_ConnectedInteractive) c = Handle(AIS_ConnectedInteractive)::DownCast(m); c && c->HasConnection())
      c->ConnectedTo()->SetContext(nullptr);
}

bool HasFaces(const TopoDS_Shape& s) { return !s.IsNull() && TopExp_Explorer(s, TopAbs_FACE).More(); }

// The free shapes of a STEP file as presentations with the file's colours and names.
TModel ReadModel(const std::string& file) {
  STEPCAFControl_Reader reader;
  reader.SetColorMode(true);
  reader.SetNameMode(true);
  if (reader.ReadFile(file.c_str()) != IFSelect_RetDone) throw EModelViewError("cannot read '" + file + "'");
  Handle(TDocStd_Document) doc;
  XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
  if (!reader.Transfer(doc)) throw EModelViewError("cannot read the shapes of '" + file + "'");
  Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
  TDF_LabelSequence roots;
  shapes->GetFreeShapes(roots);
  TModel out;
  for (Standard_Integer i = 1; i <= roots.Length(); ++i) {
    const TopoDS_Shape s = XCAFDoc_ShapeTool::GetShape(roots.Value(i));
    if (!HasFaces(s)) continue;
    Handle(XCAFPrs_AISObject) shown = new XCAFPrs_AISObject(roots.Value(i));
    Mesh(s, StdPrs_ToolTriangulatedShape::GetDeflection(s, shown->Attributes()), shown->Attributes()->DeviationAngle());
    DrawFaceEdges(shown->Attributes());
    out.push_back(shown);
  }
  return out;
}

Quantity_Color ColourOf(int32_t c) {
  return Quantity_Color((c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0, Quantity_TOC_sRGB);
}

// The shapes of an assembly this process wrote, as they are in memory: no parsing, and each
// part meshed and presented once, its occurrences drawn as instances of that presentation.
TModel ShowPlacements(const std::vector<TPlacedModel>& placements) {
  // One deflection for the whole assembly, from the largest part (the board), as the view
  // would take it from the assembly's extent.
  Handle(Prs3d_Drawer) defaults = new Prs3d_Drawer();
  double extent = 0;
  std::map<const TModelFile*, bool> seen;
  for (const auto& p : placements) {
    if (!p.Model || !HasFaces(p.Model->Shape) || !seen.emplace(p.Model.get(), true).second) continue;
    Bnd_Box box;
    BRepBndLib::Add(p.Model->Shape, box, false);
    if (!box.IsVoid()) extent = std::max(extent, std::sqrt(box.SquareExtent()));
  }
  if (seen.empty()) return {};
  const double deflection = std::max(extent, 1e-6) * defaults->DeviationCoefficient() * 4;
  for (const auto& [model, unused] : seen) Mesh(model->Shape, deflection, defaults->DeviationAngle());

  // The presentation of a part in one colour, shared by its occurrences of that colour.
  std::map<std::pair<const TModelFile*, int32_t>, Handle(AIS_Shape)> shared;
  TModel out;
  for (const auto& p : placements) {
    if (!p.Model || !HasFaces(p.Model->Shape)) continue;
    const int32_t colour = p.Color != -1 ? p.Color : p.Model->Color;
    Handle(AIS_Shape)& part = shared[{p.Model.get(), colour}];
    if (part.IsNull()) {
      part = new AIS_Shape(p.Model->Shape);
      // The material the file's presentations take, so that both show the same colours.
      part->SetMaterial(Graphic3d_NameOfMaterial_Plastified);
      part->SetColor(colour != -1 ? ColourOf(colour) : kNoColour);
      // Meshed above; the presentation takes that mesh as it is.
      part->Attributes()->SetAutoTriangulation(false);
      DrawFaceEdges(part->Attributes());
    }
    Handle(AIS_ConnectedInteractive) occurrence = new AIS_ConnectedInteractive();
    occurrence->Connect(part, p.Placement);
    out.push_back(occurrence);
  }
  return out;
}

Handle(Aspect_DisplayConnection) OpenDisplay(void* xDisplay) {
  try {
    // A GL context works only with the connection that created it.
    if (xDisplay) return new Aspect_DisplayConnection(static_cast<Aspect_XDisplay*>(xDisplay));
    return new Aspect_DisplayConnection();
  } catch (const Standard_Failure& e) {
    throw EModelViewError("cannot open the X display: " + Why(e));
  }
}

struct TViewer {
  Handle(OpenGl_GraphicDriver) Driver;
  Handle(V3d_Viewer) Viewer;
  Handle(AIS_InteractiveContext) Context;
  Handle(V3d_View) View;
  TModel Model;
  bool Shown = false;

  // foreignBuffer: drawing into a frame buffer owned by a widget toolkit.
  void CreateViewer(bool foreignBuffer, void* xDisplay = nullptr) {
    Driver = new OpenGl_GraphicDriver(OpenDisplay(xDisplay), false);
    if (foreignBuffer) {
      Driver->ChangeOptions().buffersNoSwap = true;
      Driver->ChangeOptions().buffersOpaqueAlpha = true;
      Driver->ChangeOptions().useSystemBuffer = false;
    }
    Viewer = new V3d_Viewer(Driver);
    // A light fixed to the camera falls on the three faces of a box alike in the isometric
    // view; lights fixed in space from above (and weaker, from below) shade them apart.
    Handle(V3d_DirectionalLight) key = new V3d_DirectionalLight(gp_Dir(-0.4, 0.7, -1.0), Quantity_NOC_WHITE, false);
    Handle(V3d_DirectionalLight) fill = new V3d_DirectionalLight(gp_Dir(0.4, -0.7, 1.0), Quantity_NOC_WHITE, false);
    fill->SetIntensity(0.35);
    Viewer->AddLight(new V3d_AmbientLight(Quantity_NOC_GRAY50));
    Viewer->AddLight(key);
    Viewer->AddLight(fill);
    Viewer->SetLightOn();
    Context = new AIS_InteractiveContext(Viewer);
    View = Viewer->CreateView();
    View->SetBgGradientColors(kBackgroundTop, kBackgroundBottom, Aspect_GradientFillMethod_Vertical);
    View->SetImmediateUpdate(false);
  }
  void ShowModel() {
    if (Shown || !Context) return;
    for (const auto& m : Model) Context->Display(m, AIS_Shaded, -1, false);
    View->SetProj(V3d_XposYnegZpos);
    View->FitAll(0.05, false);
    Shown = true;
  }
};

class TAssemblyViewer final : public IAssemblyViewer {
 public:
  void Load(const std::string& modelFile, const std::vector<TPlacedModel>* written) override;
  bool HasModel() const override;
  void WritePicture(const std::string& pngFile, int width, int height) const override;
  void Attach(std::uintptr_t nativeWindow, void* xDisplay, int width, int height) override;
  void Paint() override;
  void Release() override;
  bool Attached() const override;
  void SetDirection(TViewDirection direction) override;
  void Fit() override;
  void StartRotation(int x, int y) override;
  void Rotate(int x, int y) override;
  void Pan(int dx, int dy) override;
  void Zoom(double factor) override;

 private:
  std::unique_ptr<TViewer> f = std::make_unique<TViewer>();
};

void TAssemblyViewer::Load(const std::string& modelFile, const std::vector<TPlacedModel>* written) {
  try {
    auto model = written ? ShowPlacements(*written) : ReadModel(modelFile);
    // A picture of nothing would pass for an assembly that is only far away.
    if (model.empty()) throw EModelViewError("'" + modelFile + "' holds no shape to show");
    RemoveModel(f->Context, f->Model);
    f->Model = std::move(model);
    f->Shown = false;
  } catch (const Standard_Failure& e) {
    throw EModelViewError("cannot read '" + modelFile + "': " + Why(e));
  }
}

bool TAssemblyViewer::HasModel() const { return !f->Model.empty(); }
bool TAssemblyViewer::Attached() const { return !f->View.IsNull() && !f->View->Window().IsNull(); }

void TAssemblyViewer::Attach(std::uintptr_t nativeWindow, void* xDisplay, int width, int height) {
  try {
    if (!f->Viewer) f->CreateViewer(true, xDisplay);
    Handle(OpenGl_Context) gl = new OpenGl_Context();
    if (!gl->Init(false)) throw EModelViewError("no OpenGL context is current");
    Handle(Aspect_NeutralWindow) window = Handle(Aspect_NeutralWindow)::DownCast(f->View->Window());
    if (window.IsNull()) {
      window = new Aspect_NeutralWindow();
      window->SetVirtual(true);
    }
    window->SetNativeHandle(static_cast<Aspect_Drawable>(nativeWindow));
    window->SetSize(width, height);
    f->View->SetWindow(window, gl->RenderingContext());
  } catch (const Standard_Failure& e) {
    throw EModelViewError("cannot start the 3D view: " + Why(e));
  }
}

void TAssemblyViewer::Paint() {
  if (!Attached()) return;
  Handle(OpenGl_Context) gl = f->Driver->GetSharedContext();
  Handle(OpenGl_FrameBuffer) fbo = gl->DefaultFrameBuffer();
  if (fbo.IsNull()) {
    fbo = new TForeignFrameBuffer();
    gl->SetDefaultFrameBuffer(fbo);
  }
  if (!fbo->InitWrapper(gl)) return;
  Handle(Aspect_NeutralWindow) window = Handle(Aspect_NeutralWindow)::DownCast(f->View->Window());
  Standard_Integer w = 0, h = 0;
  window->Size(w, h);
  const Graphic3d_Vec2i size = fbo->GetVPSize();
  if (size.x() != w || size.y() != h) {
    window->SetSize(size.x(), size.y());
    f->View->MustBeResized();
  }
  f->ShowModel();
  f->View->Invalidate();
  f->View->Redraw();
}

void TAssemblyViewer::Release() {
  RemoveModel(f->Context, f->Model);
  if (f->View) f->View->Remove();
  f->View.Nullify();
  f->Context.Nullify();
  f->Viewer.Nullify();
  f->Driver.Nullify();
  f->Shown = false;
}

void TAssemblyViewer::SetDirection(TViewDirection direction) {
  if (!f->View) return;
  f->View->SetProj(direction == vdTop ? V3d_Zpos : direction == vdBottom ? V3d_Zneg : V3d_XposYnegZpos);
  f->View->FitAll(0.05, false);
}

void TAssemblyViewer::Fit() {
  if (f->View) f->View->FitAll(0.05, false);
}
void TAssemblyViewer::StartRotation(int x, int y) {
  if (f->View) f->View->StartRotation(x, y);
}
void TAssemblyViewer::Rotate(int x, int y) {
  if (f->View) f->View->Rotation(x, y);
}
void TAssemblyViewer::Pan(int dx, int dy) {
  if (f->View) f->View->Pan(dx, dy, 1.0, false);
}
void TAssemblyViewer::Zoom(double factor) {
  if (f->View && factor > 0) f->View->SetZoom(factor, true);
}

void TAssemblyViewer::WritePicture(const std::string& pngFile, int width, int height) const {
  if (f->Model.empty()) throw EModelViewError("no model to draw");
  TViewer v;
  // The model goes back out of this viewer however the picture ends.
  struct TTakeBack {
    TViewer& V;
    ~TTakeBack() { RemoveModel(V.Context, V.Model); }
  } takeBack{v};
  try {
    v.Model = f->Model;
    v.CreateViewer(false);
    // A window that is never shown: the picture is drawn into an off-screen buffer.
    Handle(Xw_Window) window = new Xw_Window(v.Driver->GetDisplayConnection(), "", 0, 0, width, height);
    window->SetVirtual(true);
    v.View->SetWindow(window);
    v.ShowModel();
    Image_AlienPixMap image;
    if (!v.View->ToPixMap(image, width, height)) throw EModelViewError("the 3D view drew no picture");
    // Written aside and renamed over the old file, so a failure never leaves half a picture;
    // the aside name keeps the extension, which chooses the format.
    const std::string aside = pngFile + ".part.png";
    if (!image.Save(TCollection_AsciiString(aside.c_str())) || std::rename(aside.c_str(), pngFile.c_str()) != 0) {
      std::remove(aside.c_str());
      throw EModelViewError("cannot write '" + pngFile + "'");
    }
  } catch (const Standard_Failure& e) {
    throw EModelViewError("the 3D view failed: " + Why(e));
  }
  RemoveModel(v.Context, v.Model);
  v.View->Remove();
}

}  // namespace
}  // namespace corvane

extern "C" corvane::IAssemblyViewer* corvane_view(int version) {
  if (version != corvane::kViewerVersion) return nullptr;
  return new corvane::TAssemblyViewer();
}
