#pragma once
// Paints the top view of a board scene with Qt's painter, and writes it as SVG or PNG.
#include <QColor>
#include <QSize>
#include <QTransform>
#include <string>

#include "preview/BoardPreviewScene.h"

class QPainter;

namespace preview {
const QColor kBackground(245, 245, 240);
const QColor kBoard(46, 110, 64);
const QColor kTopComponent(40, 110, 230);
const QColor kBottomComponent(225, 70, 50);
const QColor kSelected(255, 214, 0);
constexpr int kComponentAlpha = 150;
// A hole's fill: its category's colour; plated holes the darker shade.
QColor HoleColour(THoleType type, bool plated);
// A component's fill as painted: its side's colour, or grey when the selection leaves it out.
QColor ComponentFill(const TPreviewComponent& c, bool hasSelection);

// Scene (Y up) to device (Y down): the bounds centred in the size, with a margin and a strip
// at the bottom for the scale bar.
QTransform SceneToDevice(const QRectF& bounds, const QSizeF& size);
// A picture size of the board's proportions whose longer side is longSide pixels.
QSize FittingSize(const QRectF& bounds, int longSide = 1600);

void PaintBoardPreview(QPainter& painter, const TBoardPreviewScene& scene, const QTransform& toDevice,
                       const QSizeF& deviceSize);

// Writes the picture by the file's extension, .svg or .png (any case); size empty: fitting.
// Raises std::runtime_error with the reason when the file cannot be written.
void WriteBoardPreview(const TBoardPreviewScene& scene, const std::string& path, QSize size = {});

// Qt's painter needs an application object for its fonts; makes one (without a display) when
// the program has none.
void EnsureGuiApplication();
}  // namespace preview
