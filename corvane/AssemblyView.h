#pragma once
// The 3D view of a part or assembly file: OpenCASCADE's viewer on OpenGL, behind plain types so
// that front ends see none of its headers. Needs an X display with OpenGL (Mesa's software
// renderer serves); every operation that finds none raises EModelViewError saying so.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace corvane {

class EModelViewError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Empty when an X display is named; else why the 3D view cannot work here.
std::string ModelViewUnavailableReason();

// An isometric picture of the file's shapes in their colours, as PNG. Raises EModelViewError
// when the file cannot be read, holds no shape, or there is no display with OpenGL.
void WriteAssemblyPicture(const std::string& modelFile, const std::string& pngFile, int width, int height);

enum TViewDirection { vdIsometric, vdTop, vdBottom };

// A viewer drawing into a GL context that its owner makes current around every call marked
// "in context" (a QOpenGLWidget's initializeGL, paintGL and the release at its end).
class TAssemblyView {
 public:
  TAssemblyView();
  ~TAssemblyView();
  TAssemblyView(const TAssemblyView&) = delete;
  TAssemblyView& operator=(const TAssemblyView&) = delete;

  // Reads the file's shapes and colours; raises EModelViewError. Shown at the next paint.
  void Load(const std::string& modelFile);
  bool HasModel() const;
  // The loaded model's isometric picture as PNG, drawn off-screen; raises EModelViewError.
  void WritePicture(const std::string& pngFile, int width, int height) const;

  // In context: binds the viewer to the top-level window and the current GL context, on the X
  // display connection that made them (an Xlib Display*; the viewer's own one otherwise).
  void Attach(std::uintptr_t nativeWindow, void* xDisplay, int width, int height);
  // In context: draws into the frame buffer the owner has bound; that buffer is not sRGB.
  void Paint();
  // In context: lets go of every GL resource; the view is unusable afterwards.
  void Release();
  bool Attached() const;

  void SetDirection(TViewDirection direction);
  void Fit();
  void StartRotation(int x, int y);
  void Rotate(int x, int y);
  void Pan(int dx, int dy);
  void Zoom(double factor);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> f;
};

}  // namespace corvane
