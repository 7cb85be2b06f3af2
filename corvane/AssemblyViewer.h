// The OpenCASCADE side of the 3D view, in a module of its own (corvane_view.so) that the program
// loads when a view or picture is first asked for; corvane/AssemblyView.h is what the program
// sees of it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "corvane/AssemblyView.h"
#include "corvane/StepFiles.h"

namespace corvane {

// Changed with this interface or the types it passes; a module of another version is refused.
constexpr int kViewerVersion = 1;

// TAssemblyView's operations, which it forwards here. Failures are raised as EModelViewError.
class IAssemblyViewer {
 public:
  virtual ~IAssemblyViewer() = default;
  // written: the placements of an assembly this process wrote, shown without reading the file.
  virtual void Load(const std::string& modelFile, const std::vector<TPlacedModel>* written) = 0;
  virtual bool HasModel() const = 0;
  // The display was checked by the caller; see ModelViewUnavailableReason().
  virtual void WritePicture(const std::string& pngFile, int width, int height) const = 0;
  virtual void Attach(std::uintptr_t nativeWindow, void* xDisplay, int width, int height) = 0;
  virtual void Paint() = 0;
  virtual void Release() = 0;
  virtual bool Attached() const = 0;
  virtual void SetDirection(TViewDirection direction) = 0;
  virtual void Fit() = 0;
  virtual void StartRotation(int x, int y) = 0;
  virtual void Rotate(int x, int y) = 0;
  virtual void Pan(int dx, int dy) = 0;
  virtual void Zoom(double factor) = 0;
};

}  // namespace corvane

// A new viewer, owned by the caller; null for another interface version.
extern "C" corvane::IAssemblyViewer* corvane_view(int version);
