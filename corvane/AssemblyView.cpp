#include "corvane/AssemblyView.h"

#include <cstdlib>

#include "corvane/AssemblyViewer.h"
#include "corvane/Modules.h"

namespace corvane {
namespace {

// The module raises errors of its own copy of the error type; they reach our callers as ours.
template <class F>
decltype(auto) Forwarded(F&& call) {
  try {
    return call();
  } catch (const EModelViewError&) {
    throw;
  } catch (const std::runtime_error& e) {
    throw EModelViewError(e.what());
  }
}

IAssemblyViewer* NewViewer() {
  return NewModuleObject<IAssemblyViewer>("corvane_view.so", "corvane_view", kViewerVersion);
}

}  // namespace

std::string ModelViewUnavailableReason() {
  const char* d = std::getenv("DISPLAY");
  if (!d || !*d) return "the 3D view needs an X display with OpenGL, and DISPLAY is not set (try xvfb-run -s -noreset)";
  return {};
}

// Created with the first call that needs it, so that a view nobody opens loads nothing.
struct TAssemblyView::TImpl {
  std::unique_ptr<IAssemblyViewer> Viewer;
  IAssemblyViewer& Get() {
    if (!Viewer) Viewer.reset(Forwarded(NewViewer));
    return *Viewer;
  }
};

TAssemblyView::TAssemblyView() : f(std::make_unique<TImpl>()) {}
TAssemblyView::~TAssemblyView() = default;

void TAssemblyView::Load(const std::string& modelFile) {
  IAssemblyViewer& viewer = f->Get();
  const auto written = FindWrittenAssembly(modelFile);
  Forwarded([&] { viewer.Load(modelFile, written.get()); });
}

bool TAssemblyView::HasModel() const { return f->Viewer && f->Viewer->HasModel(); }
bool TAssemblyView::Attached() const { return f->Viewer && f->Viewer->Attached(); }

void TAssemblyView::WritePicture(const std::string& pngFile, int width, int height) const {
  if (!HasModel()) throw EModelViewError("no model to draw");
  if (auto why = ModelViewUnavailableReason(); !why.empty()) throw EModelViewError(why);
  Forwarded([&] { f->Viewer->WritePicture(pngFile, width, height); });
}

void TAssemblyView::Attach(std::uintptr_t nativeWindow, void* xDisplay, int width, int height) {
  if (auto why = ModelViewUnavailableReason(); !why.empty()) throw EModelViewError(why);
  IAssemblyViewer& viewer = f->Get();
  Forwarded([&] { viewer.Attach(nativeWindow, xDisplay, width, height); });
}

void TAssemblyView::Paint() {
  if (f->Viewer) f->Viewer->Paint();
}
void TAssemblyView::Release() {
  if (f->Viewer) f->Viewer->Release();
}
void TAssemblyView::SetDirection(TViewDirection direction) {
  if (f->Viewer) f->Viewer->SetDirection(direction);
}
void TAssemblyView::Fit() {
  if (f->Viewer) f->Viewer->Fit();
}
void TAssemblyView::StartRotation(int x, int y) {
  if (f->Viewer) f->Viewer->StartRotation(x, y);
}
void TAssemblyView::Rotate(int x, int y) {
  if (f->Viewer) f->Viewer->Rotate(x, y);
}
void TAssemblyView::Pan(int dx, int dy) {
  if (f->Viewer) f->Viewer->Pan(dx, dy);
}
void TAssemblyView::Zoom(double factor) {
  if (f->Viewer) f->Viewer->Zoom(factor);
}

void WriteAssemblyPicture(const std::string& modelFile, const std::string& pngFile, int width, int height) {
  // The display first: without one, reading a large file would only delay the message.
  if (auto why = ModelViewUnavailableReason(); !why.empty()) throw EModelViewError(why);
  TAssemblyView view;
  view.Load(modelFile);
  view.WritePicture(pngFile, width, height);
}

}  // namespace corvane
