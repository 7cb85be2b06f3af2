#include "preview/AssemblyViewWidget.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

TAssemblyViewWidget::TAssemblyViewWidget(QWidget* parent) : QOpenGLWidget(parent) {
  setMinimumSize(200, 150);
  setFocusPolicy(Qt::StrongFocus);
}

TAssemblyViewWidget::~TAssemblyViewWidget() {
  // The viewer's GL resources belong to this widget's context: released inside it, or the
  // program crashes on exit.
  makeCurrent();
  fView.Release();
  doneCurrent();
}

bool TAssemblyViewWidget::Available() {
  return QGuiApplication::platformName() == "xcb" && corvane::ModelViewUnavailableReason().empty();
}

void TAssemblyViewWidget::Load(const std::string& modelFile) {
  fView.Load(modelFile);
  update();
}

void TAssemblyViewWidget::SetDirection(corvane::TViewDirection direction) {
  fView.SetDirection(direction);
  update();
}

void TAssemblyViewWidget::Fit() {
  fView.Fit();
  update();
}

void TAssemblyViewWidget::initializeGL() {
  try {
    // The viewer takes the top-level window; the widget itself draws into Qt's frame buffer.
    const qreal r = devicePixelRatioF();
    void* display = nullptr;
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) display = x11->display();
    fView.Attach(static_cast<std::uintptr_t>(window()->winId()), display, static_cast<int>(width() * r),
                 static_cast<int>(height() * r));
    fError.clear();
  } catch (const std::exception& e) {
    fError = QString::fromStdString(e.what());
  }
}

void TAssemblyViewWidget::paintGL() {
  if (fError.isEmpty()) fView.Paint();
}

void TAssemblyViewWidget::mousePressEvent(QMouseEvent* e) {
  const qreal r = devicePixelRatioF();
  fLast = (e->position() * r).toPoint();
  if (e->button() == Qt::LeftButton) fView.StartRotation(fLast.x(), fLast.y());
}

void TAssemblyViewWidget::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = (e->position() * devicePixelRatioF()).toPoint();
  if (e->buttons() & Qt::LeftButton)
    fView.Rotate(p.x(), p.y());
  else if (e->buttons() & (Qt::RightButton | Qt::MiddleButton))
    fView.Pan(p.x() - fLast.x(), fLast.y() - p.y());
  fLast = p;
  update();
}

void TAssemblyViewWidget::wheelEvent(QWheelEvent* e) {
  fView.Zoom(std::pow(1.25, e->angleDelta().y() / 120.0));
  update();
  e->accept();
}

void TAssemblyViewWidget::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_T: SetDirection(corvane::vdTop); break;
    case Qt::Key_B: SetDirection(corvane::vdBottom); break;
    case Qt::Key_I: SetDirection(corvane::vdIsometric); break;
    case Qt::Key_F: Fit(); break;
    default: QOpenGLWidget::keyPressEvent(e);
  }
}
