// Plane geometry of a sketch: figures, their analysis and healing, and the closed
// loops and regions they form. Coordinates are the sketch's own, in centimetres.
#pragma once

#include <functional>
#include <vector>

namespace corvane {

struct TPoint2 {
  double x = 0, y = 0;
};

struct TBox2 {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool Overlaps(const TBox2& o, double pad) const {
    return x0 <= o.x1 + pad && o.x0 <= x1 + pad && y0 <= o.y1 + pad && o.y0 <= y1 + pad;
  }
  bool Contains(const TBox2& o) const { return x0 <= o.x0 && y0 <= o.y0 && x1 >= o.x1 && y1 >= o.y1; }
};

enum class TFigureKind { Line, Arc, Circle };

// A line runs A->B; an arc runs counter-clockwise about C from A to B; a circle is C, R.
struct TFigure {
  TFigureKind Kind = TFigureKind::Line;
  TPoint2 A, B, C;
  double R = 0;
  double Radius() const;
  TBox2 Box() const;
};

// Lengths beyond this (10 km) cannot be real; such figures never reach the modelling kernel.
constexpr double kMaxSketchLength = 1e6;
bool FigureInRange(const TFigure& F);

struct TAnalysisCounts {
  int DisjointEnds = 0, OpenLoops = 0, Overlaps = 0, Intersections = 0, Degenerate = 0;
};

// Counts the problems of Figures; with Heal, ends within Tol are snapped together and
// degenerate figures are removed.
TAnalysisCounts AnalyzeFigures(std::vector<TFigure>& Figures, double Tol, bool Heal);

// One closed loop: figure indices in walking order with their direction.
struct TLoop {
  struct TStep {
    int Figure;
    bool Reversed;
  };
  std::vector<TStep> Steps;
  std::vector<TPoint2> Polygon;  // walking order, closing point not repeated
  double SignedArea = 0;
  TBox2 Box;
  bool IsCircle() const { return Polygon.empty(); }
  TPoint2 C;  // circles only
  double R = 0;
};

// Closed loops of the figures, joined where ends meet within JoinTol. Returns false
// when some figure is left in an open chain or an end meets more than one other.
bool BuildLoops(const std::vector<TFigure>& Figures, double JoinTol, std::vector<TLoop>& Loops);

// Loops nested at even depth bound material; the loops directly inside are openings.
struct TRegion {
  int Outer;
  std::vector<int> Holes;
};
std::vector<TRegion> BuildRegions(const std::vector<TLoop>& Loops);

// Whether two figures of the loop cross or overlap anywhere but at the ends they share.
bool LoopCrossesItself(const std::vector<TFigure>& Figures, const TLoop& L, double Tol);

bool PointInLoop(const TLoop& L, TPoint2 P);
// Shortest distance from P to the loop's boundary.
double DistanceToLoop(const TLoop& L, TPoint2 P);

// Calls F(i, j), i < j, once for every pair of boxes that overlap within Pad.
void ForEachOverlappingPair(const std::vector<TBox2>& Boxes, double Pad, const std::function<void(int, int)>& F);
// The same pairs in another order, faster on many boxes: for callers whose results do not
// depend on the order.
void ForEachOverlappingPairInAnyOrder(const std::vector<TBox2>& Boxes, double Pad,
                                      const std::function<void(int, int)>& F);

// Polygon of an arc from A counter-clockwise to B about C, end points included.
void AppendArcPoints(const TFigure& F, bool Reversed, std::vector<TPoint2>& Out);

}  // namespace corvane
