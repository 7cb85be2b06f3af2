#include "preview/BoardPreviewRenderer.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace preview {
namespace {
constexpr double kMargin = 24;    // pixels around the board
constexpr double kBarStrip = 36;  // pixels below it for the scale bar
constexpr double kHatchGap = 7;   // pixels between hatch lines
constexpr int kLeftOutAlpha = 140;

struct TAreaStyle {
  QColor Colour;
  double Angle;       // hatch direction in degrees; a second one crosses it when set
  double CrossAngle;  // NaN: none
  bool Hatched;
};

TAreaStyle StyleOf(TSectionType kind) {
  const double none = std::nan("");
  switch (kind) {
    case stROUTE_KEEPOUT: return {QColor(255, 90, 90), 45, none, true};
    case stVIA_KEEPOUT: return {QColor(255, 110, 255), 45, -45, true};
    case stPLACE_KEEPOUT: return {QColor(255, 175, 40), -45, none, true};
    case stPLACE_REGION: return {QColor(90, 200, 255), 0, none, true};
    case stOTHER_OUTLINE: return {QColor(235, 205, 150), 90, none, true};
    // Route and place outlines usually span the board; hatching them would bury everything else.
    case stROUTE_OUTLINE: return {QColor(0, 170, 170), 0, none, false};
    case stPLACE_OUTLINE: return {QColor(120, 200, 255), 0, none, false};
    default: return {Qt::gray, 0, none, false};
  }
}

QPainterPath PathOf(const std::vector<QPolygonF>& loops) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (const auto& l : loops) {
    path.addPolygon(l);
    path.closeSubpath();
  }
  return path;
}

// Hatch lines clipped to the loops (even-odd), in device space: painter clipping does not
// survive the SVG writer, explicit segments do.
void Hatch(QPainter& p, const std::vector<QPolygonF>& deviceLoops, double degrees) {
  const double a = degrees * M_PI / 180, dx = std::cos(a), dy = std::sin(a);
  // Lines are {t * (dx, dy) + s * (-dy, dx)}; s is the offset, t runs along the line.
  double smin = 1e300, smax = -1e300;
  for (const auto& l : deviceLoops)
    for (const auto& q : l) {
      const double s = -q.x() * dy + q.y() * dx;
      smin = std::min(smin, s), smax = std::max(smax, s);
    }
  std::vector<double> ts;
  for (double s = std::floor(smin / kHatchGap) * kHatchGap + kHatchGap / 2; s < smax; s += kHatchGap) {
    ts.clear();
    for (const auto& l : deviceLoops)
      for (int i = 0; i < l.size(); ++i) {
        const QPointF& p0 = l[i];
        const QPointF& p1 = l[(i + 1) % l.size()];
        const double s0 = -p0.x() * dy + p0.y() * dx, s1 = -p1.x() * dy + p1.y() * dx;
        if ((s0 < s) == (s1 < s)) continue;
        const double f = (s - s0) / (s1 - s0);
        const QPointF x = p0 + f * (p1 - p0);
        ts.push_back(x.x() * dx + x.y() * dy);
      }
    std::sort(ts.begin(), ts.end());
    for (std::size_t i = 0; i + 1 < ts.size(); i += 2) {
      const QPointF n(-dy * s, dx * s);
      p.drawLine(n + ts[i] * QPointF(dx, dy), n + ts[i + 1] * QPointF(dx, dy));
    }
  }
}

std::vector<QPolygonF> Mapped(const std::vector<QPolygonF>& loops, const QTransform& t) {
  std::vector<QPolygonF> out;
  out.reserve(loops.size());
  for (const auto& l : loops) out.push_back(t.map(l));
  return out;
}

// 1, 2 or 5 times a power of ten, at most max.
double NiceLength(double max) {
  if (!(max > 0)) return 0;
  const double p = std::pow(10, std::floor(std::log10(max)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * p <= max) return m * p;
  return p;
}

// Returns where the bar's text ends.
double PaintScaleBar(QPainter& p, const TBoardPreviewScene& scene, const QTransform& t, const QSizeF& size) {
  const double pxPerWork = std::abs(t.m11()) / scene.WorkingUnitsPerSceneUnit;
  const double len = NiceLength(size.width() / 4 / pxPerWork);
  if (len <= 0) return kMargin;
  const double px = len * pxPerWork, x0 = kMargin, y = size.height() - kBarStrip / 2;
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(QPointF(x0, y), QPointF(x0 + px, y));
  p.drawLine(QPointF(x0, y - 5), QPointF(x0, y + 5));
  p.drawLine(QPointF(x0 + px, y - 5), QPointF(x0 + px, y + 5));
  QFont f = p.font();
  f.setPixelSize(13);
  p.setFont(f);
  const QString text = QString::number(len, 'g', 6) + " " + QString::fromStdString(scene.UnitLabel);
  p.drawText(QPointF(x0 + px + 8, y + 5), text);
  return x0 + px + 8 + QFontMetricsF(f).horizontalAdvance(text);
}

// The hole categories on the board, right-aligned in the scale bar's strip right of left; a ring
// stands for the holes the import leaves. Entries that do not fit go on rows above, into the
// margin below the board.
void PaintHoleLegend(QPainter& p, const TBoardPreviewScene& scene, const QSizeF& size, double left) {
  struct TEntry {
    THoleType Type;
    bool Plated;
  };
  std::vector<TEntry> present;
  for (const auto& h : scene.Holes)
    if (std::none_of(present.begin(), present.end(),
                     [&](const TEntry& e) { return e.Type == h.HoleType && e.Plated == h.Plated; }))
      present.push_back({h.HoleType, h.Plated});
  if (present.empty()) return;
  std::sort(present.begin(), present.end(),
            [](const TEntry& a, const TEntry& b) { return a.Type != b.Type ? a.Type < b.Type : a.Plated > b.Plated; });
  QFont f = p.font();
  f.setPixelSize(12);
  p.setFont(f);
  const QFontMetricsF m(f);
  const double right = size.width() - kMargin, rowHeight = m.height() + 4;
  left += 16;
  double x = right, y = size.height() - kBarStrip / 2;
  // Moves to the next row up when an entry of this width does not fit; the first always does.
  // Rows above the scale bar's have the whole width.
  auto place = [&](double width) {
    if (x - width < left && x < right) {
      x = right;
      y -= rowHeight;
      left = kMargin;
    }
    x -= width;
  };
  for (auto it = present.rbegin(); it != present.rend(); ++it) {
    const std::string word = it->Type == htPIN    ? "pin"
                             : it->Type == htVIA  ? "via"
                             : it->Type == htMTG  ? "mounting"
                             : it->Type == htTOOL ? "tooling"
                                                  : "other";
    const QString label = QString::fromStdString((it->Plated ? "PTH " : "NPTH ") + word);
    place(m.horizontalAdvance(label) + 14);
    p.setPen(QPen(Qt::black, 0.5));
    p.setBrush(HoleColour(it->Type, it->Plated));
    p.drawRect(QRectF(x, y - 5, 10, 10));
    p.setPen(Qt::black);
    p.drawText(QPointF(x + 14, y + 4), label);
    x -= 14;
  }
  p.setPen(Qt::black);
  const QString note = "holes (rings: not cut):";
  place(m.horizontalAdvance(note));
  p.drawText(QPointF(x, y + 4), note);
}
}  // namespace

QColor HoleColour(THoleType type, bool plated) {
  switch (type) {
    // Light shades throughout: they stand out on the board's green, also as hollow rings.
    case htPIN: return plated ? QColor(255, 200, 0) : QColor(255, 245, 170);
    case htVIA: return plated ? QColor(255, 120, 20) : QColor(255, 200, 160);
    case htMTG: return plated ? QColor(80, 170, 255) : QColor(190, 225, 255);
    case htTOOL: return plated ? QColor(220, 90, 255) : QColor(240, 190, 255);
    default: return plated ? QColor(170, 170, 170) : QColor(225, 225, 225);
  }
}

QColor ComponentFill(const TPreviewComponent& c, bool hasSelection) {
  QColor fill = hasSelection && !c.Selected ? QColor(150, 150, 150) : c.Top ? kTopComponent : kBottomComponent;
  fill.setAlpha(hasSelection && !c.Selected ? 90 : kComponentAlpha);
  return fill;
}

QTransform SceneToDevice(const QRectF& bounds, const QSizeF& size) {
  const double w = std::max(size.width() - 2 * kMargin, 1.0),
               h = std::max(size.height() - 2 * kMargin - kBarStrip, 1.0);
  const double bw = std::max(bounds.width(), 1e-9), bh = std::max(bounds.height(), 1e-9);
  const double s = std::min(w / bw, h / bh);
  const QPointF centre = bounds.center();
  QTransform t;
  t.translate(kMargin + w / 2, kMargin + h / 2);
  t.scale(s, -s);
  t.translate(-centre.x(), -centre.y());
  return t;
}

QSize FittingSize(const QRectF& bounds, int longSide) {
  const double bw = std::max(bounds.width(), 1e-9), bh = std::max(bounds.height(), 1e-9);
  const double inner = longSide - 2 * kMargin;
  const double s = inner / std::max(bw, bh);
  return {static_cast<int>(std::ceil(bw * s + 2 * kMargin)),
          static_cast<int>(std::ceil(bh * s + 2 * kMargin + kBarStrip))};
}

void PaintBoardPreview(QPainter& p, const TBoardPreviewScene& scene, const QTransform& t, const QSizeF& size) {
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRectF(QPointF(0, 0), size), kBackground);

  // Everything is mapped to device space here, so that pens keep their widths and texts are
  // never mirrored.
  p.setPen(QPen(kBoard.darker(160), 1.5));
  p.setBrush(kBoard);
  p.drawPath(PathOf(Mapped(scene.Board, t)));

  for (const auto& a : scene.Areas) {
    const TAreaStyle st = StyleOf(a.Kind);
    const auto loops = Mapped(a.Loops, t);
    // What the import leaves out is only outlined, and fainter, as the holes it leaves are.
    QColor colour = st.Colour;
    if (!a.Imported) colour.setAlpha(kLeftOutAlpha);
    QPen pen(colour, a.Imported ? 1.2 : 1.0);
    if (a.Layer == ltBOTTOM) pen.setStyle(Qt::DashLine);
    p.setBrush(Qt::NoBrush);
    if (st.Hatched && a.Imported) {
      p.setPen(QPen(st.Colour, 0.8));
      Hatch(p, loops, st.Angle);
      if (!std::isnan(st.CrossAngle)) Hatch(p, loops, st.CrossAngle);
    }
    p.setPen(pen);
    p.drawPath(PathOf(loops));
  }

  // Bottom first: the top side is nearer to the viewer; on each side the larger parts first,
  // so that a big part never buries the small ones placed over it.
  std::vector<const TPreviewComponent*> order;
  for (const auto& c : scene.Components) order.push_back(&c);
  auto area = [](const TPreviewComponent* c) {
    QRectF r;
    for (const auto& l : c->Outline) r = r.united(l.boundingRect());
    return r.width() * r.height();
  };
  std::stable_sort(order.begin(), order.end(), [&](const TPreviewComponent* a, const TPreviewComponent* b) {
    return a->Top != b->Top ? !a->Top : area(a) > area(b);
  });
  for (const TPreviewComponent* cp : order) {
    const TPreviewComponent& c = *cp;
    const QColor fill = ComponentFill(c, scene.HasSelection);
    const bool highlight = scene.HasSelection && c.Selected;
    QPen pen(highlight ? kSelected : QColor(fill.red(), fill.green(), fill.blue()).darker(150), highlight ? 2.5 : 1.2);
    if (!c.Top) pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    p.setBrush(fill);
    if (c.Outline.empty()) {
      // No package outline: a cross marks the placement.
      const QPointF m = t.map(c.Position);
      p.drawLine(m + QPointF(-4, -4), m + QPointF(4, 4));
      p.drawLine(m + QPointF(-4, 4), m + QPointF(4, -4));
    } else {
      p.drawPath(PathOf(Mapped(c.Outline, t)));
    }
  }

  // Holes go through everything; one ellipse each, hollow when the import leaves it.
  for (const auto& h : scene.Holes) {
    const QColor colour = HoleColour(h.HoleType, h.Plated);
    const double r = std::max(h.Radius * std::abs(t.m11()), 1.0);
    if (h.Cut) {
      p.setPen(h.Plated ? QPen(QColor(184, 115, 51), 1) : Qt::NoPen);
      p.setBrush(colour);
    } else {
      p.setPen(QPen(colour, 1.5));
      p.setBrush(Qt::NoBrush);
    }
    p.drawEllipse(t.map(h.Centre), r, r);
  }

  // Designators where they fit, grouped by size: a font change costs more than the text.
  struct TLabel {
    int Pixels;
    QPointF Centre;
    QString Text;
  };
  std::vector<TLabel> labels;
  for (const auto& c : scene.Components) {
    if (c.Outline.empty() || c.Designator.empty()) continue;
    QRectF box;
    for (const auto& l : c.Outline) box = box.united(t.map(l).boundingRect());
    const int px = static_cast<int>(std::clamp(std::min(box.height() * 0.45, box.width() * 0.35), 0.0, 14.0));
    if (px >= 6) labels.push_back({px, box.center(), QString::fromStdString(c.Designator)});
  }
  std::stable_sort(labels.begin(), labels.end(), [](const TLabel& a, const TLabel& b) { return a.Pixels < b.Pixels; });
  QFont font = p.font();
  p.setPen(Qt::white);
  for (std::size_t i = 0; i < labels.size();) {
    font.setPixelSize(labels[i].Pixels);
    p.setFont(font);
    const QFontMetricsF m(font);
    for (const int px = labels[i].Pixels; i < labels.size() && labels[i].Pixels == px; ++i)
      p.drawText(labels[i].Centre + QPointF(-m.horizontalAdvance(labels[i].Text) / 2, (m.ascent() - m.descent()) / 2),
                 labels[i].Text);
  }

  PaintHoleLegend(p, scene, size, PaintScaleBar(p, scene, t, size));
}

void WriteBoardPreview(const TBoardPreviewScene& scene, const std::string& path, QSize size) {
  EnsureGuiApplication();
  const QRectF bounds = scene.Bounds();
  if (bounds.isEmpty() && scene.Components.empty() && scene.Holes.empty())
    throw std::runtime_error("the board holds nothing to draw");
  if (size.isEmpty()) size = FittingSize(bounds);
  const QTransform t = SceneToDevice(bounds, size);
  const QString file = QString::fromStdString(path);
  const bool isSvg = file.endsWith(".svg", Qt::CaseInsensitive);
  if (!isSvg && !file.endsWith(".png", Qt::CaseInsensitive))
    throw std::runtime_error("the picture's name must end in .svg or .png, not '" + path + "'");
  // Written aside and renamed over the old file, so a failure never leaves half a picture.
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly))
    throw std::runtime_error("cannot write '" + path + "': " + out.errorString().toStdString());
  if (isSvg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle("Board top view");
    QPainter p(&svg);
    PaintBoardPreview(p, scene, t, size);
  } else {
    QImage image(size, QImage::Format_RGB32);
    {
      QPainter p(&image);
      PaintBoardPreview(p, scene, t, size);
    }
    if (!image.save(&out, "PNG")) throw std::runtime_error("cannot write '" + path + "'");
  }
  if (!out.commit()) throw std::runtime_error("cannot write '" + path + "': " + out.errorString().toStdString());
}

void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  // Pictures need no window: without a platform chosen, the offscreen one serves everywhere.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Outside a desktop session Qt falls back to this folder itself, but warns on every batch run.
  if (!std::getenv("XDG_RUNTIME_DIR")) {
    const std::string dir = "/tmp/runtime-" + std::to_string(::getuid());
    struct stat st {};
    ::mkdir(dir.c_str(), 0700);  // an existing one is checked below as Qt would
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700)
      ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
  }
  static int argc = 1;
  static char name[] = "corvane-idf";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}
}  // namespace preview
