#pragma once
// The top view in a widget: the wheel zooms about the pointer, dragging pans, a double click
// fits the board again, and hovering a component shows its designator, package and height.
#include <QTransform>
#include <QWidget>

#include "preview/BoardPreviewScene.h"

class TBoardPreviewWidget : public QWidget {
 public:
  explicit TBoardPreviewWidget(QWidget* parent = nullptr);

  void SetScene(TBoardPreviewScene scene);
  // The dialog's current board, hole options and part selection.
  void ShowDialogState(TIdfImportFormV4_XE2& dialog) { SetScene(BuildBoardPreviewScene(dialog)); }
  const TBoardPreviewScene& Scene() const { return fScene; }

  // Scene to widget coordinates as painted now.
  QTransform View() const;
  // The hover text at a widget point; empty where there is no component.
  QString ToolTipAt(const QPointF& pos) const;
  void ZoomAt(const QPointF& pos, double factor);
  void ResetView();

  QSize sizeHint() const override { return {640, 420}; }

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent*) override;
  void wheelEvent(QWheelEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;

 private:
  TBoardPreviewScene fScene;
  QTransform fZoomPan;  // in widget coordinates, after the fitting transform
  QPointF fDragFrom;
  bool fDragging = false;
};
