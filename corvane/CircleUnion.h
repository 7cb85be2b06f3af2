// The boundary of a union of overlapping circles, traced as exact arcs.
#pragma once

#include "corvane/Sketch2d.h"

#include <utility>
#include <vector>

namespace corvane {

struct TCircle {
  TPoint2 C;
  double R = 0;
};

// Counter-clockwise about its circle from P0 to P1 (a whole circle when Full).
struct TUnionArc {
  int Circle = 0;
  TPoint2 P0, P1;
  double A0 = 0, Sweep = 0;
  bool Full = false;
};

// A loop runs counter-clockwise round material-free area when SignedArea > 0 (the group's
// outline), clockwise round an island the circles enclose when SignedArea < 0.
struct TUnionLoop {
  std::vector<TUnionArc> Arcs;
  double SignedArea = 0;
};

// Circles that overlap by less than kTangentTol or stand apart by less than kApartTol, and
// three circles meeting within kUnionTol of one point, are left to the general boolean:
// their walls would meet within the modelling tolerance.
constexpr double kUnionTol = 1e-6;
constexpr double kTangentTol = 1e-9;
constexpr double kApartTol = 5e-7;

// Boundary loops of the union of Circles; Pairs lists the pairs (i < j) whose discs may meet.
// False when the arrangement is too close to tangency or triple points to trace safely.
bool TraceCircleUnion(const std::vector<TCircle>& Circles, const std::vector<std::pair<int, int>>& Pairs,
                      std::vector<TUnionLoop>& Loops);

// The boundary as a polygon with chords no further than the containment tests need.
TLoop UnionLoopPolygon(const std::vector<TCircle>& Circles, const TUnionLoop& L);

}  // namespace corvane
