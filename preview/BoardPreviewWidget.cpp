#include "preview/BoardPreviewWidget.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "preview/BoardPreviewRenderer.h"

TBoardPreviewWidget::TBoardPreviewWidget(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void TBoardPreviewWidget::SetScene(TBoardPreviewScene scene) {
  // A new load shows the whole board; a changed option on the same board keeps the view.
  const bool sameBoard = scene.Bounds() == fScene.Bounds();
  fScene = std::move(scene);
  if (!sameBoard) fZoomPan.reset();
  update();
}

QTransform TBoardPreviewWidget::View() const { return preview::SceneToDevice(fScene.Bounds(), size()) * fZoomPan; }

QString TBoardPreviewWidget::ToolTipAt(const QPointF& pos) const {
  bool ok = false;
  const QPointF p = View().inverted(&ok).map(pos);
  const TPreviewComponent* c = ok ? fScene.ComponentAt(p) : nullptr;
  if (!c) return {};
  const QString height = c->Height >= 0 ? QString::number(c->Height, 'f', fScene.Precision) + " " +
                                              QString::fromStdString(fScene.UnitLabel)
                                        : QStringLiteral("unknown");
  return QString::fromStdString(c->Designator) + "\n" + QString::fromStdString(c->Package) + "\nHeight: " + height;
}

void TBoardPreviewWidget::ZoomAt(const QPointF& pos, double factor) {
  fZoomPan = fZoomPan * QTransform::fromTranslate(-pos.x(), -pos.y()) * QTransform::fromScale(factor, factor) *
             QTransform::fromTranslate(pos.x(), pos.y());
  update();
}

void TBoardPreviewWidget::ResetView() {
  fZoomPan.reset();
  update();
}

bool TBoardPreviewWidget::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(e);
    const QString text = ToolTipAt(help->pos());
    if (text.isEmpty())
      QToolTip::hideText();
    else
      QToolTip::showText(help->globalPos(), text, this);
    return true;
  }
  return QWidget::event(e);
}

void TBoardPreviewWidget::paintEvent(QPaintEvent*) {
  QPainter p(this);
  preview::PaintBoardPreview(p, fScene, View(), size());
}

void TBoardPreviewWidget::wheelEvent(QWheelEvent* e) {
  ZoomAt(e->position(), std::pow(1.25, e->angleDelta().y() / 120.0));
  e->accept();
}

void TBoardPreviewWidget::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
  fDragging = true;
  fDragFrom = e->position();
  setCursor(Qt::ClosedHandCursor);
}

void TBoardPreviewWidget::mouseMoveEvent(QMouseEvent* e) {
  if (!fDragging) return QWidget::mouseMoveEvent(e);
  const QPointF d = e->position() - fDragFrom;
  fDragFrom = e->position();
  fZoomPan = fZoomPan * QTransform::fromTranslate(d.x(), d.y());
  update();
}

void TBoardPreviewWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(e);
  fDragging = false;
  unsetCursor();
}

void TBoardPreviewWidget::mouseDoubleClickEvent(QMouseEvent*) { ResetView(); }
