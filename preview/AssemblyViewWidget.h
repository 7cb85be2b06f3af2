#pragma once
// The 3D view of a built assembly in a widget: drag to rotate, drag with the right or middle
// button to pan, the wheel zooms; top, bottom and isometric views and fit on request (keys T,
// B, I and F).
#include <QOpenGLWidget>
#include <string>

#include "corvane/AssemblyView.h"

class TAssemblyViewWidget : public QOpenGLWidget {
 public:
  explicit TAssemblyViewWidget(QWidget* parent = nullptr);
  ~TAssemblyViewWidget() override;

  // Whether a 3D view can be shown here: an X display (xcb) with OpenGL. The dialog hides its
  // "Show Model" without one.
  static bool Available();
  // Raises corvane::EModelViewError when the file cannot be shown.
  void Load(const std::string& modelFile);
  void SetDirection(corvane::TViewDirection direction);
  void Fit();
  // Why the view stays empty (no OpenGL, say); empty when it draws.
  const QString& Error() const { return fError; }

 protected:
  void initializeGL() override;
  void paintGL() override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  corvane::TAssemblyView fView;
  QString fError;
  QPoint fLast;
};
