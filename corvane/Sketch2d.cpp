#include "corvane/Sketch2d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace corvane {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;
// Ends closer than this are the same point; anything further apart is a gap.
constexpr double kCoincident = 1e-9;
// Chord error of the polygons used for containment tests.
constexpr double kChordError = 1e-5;

TPoint2 Sub(TPoint2 a, TPoint2 b) { return {a.x - b.x, a.y - b.y}; }
double Dot(TPoint2 a, TPoint2 b) { return a.x * b.x + a.y * b.y; }
double Cross(TPoint2 a, TPoint2 b) { return a.x * b.y - a.y * b.x; }
double Dist(TPoint2 a, TPoint2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

double Norm2Pi(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

double StartAngle(const TFigure& f) { return std::atan2(f.A.y - f.C.y, f.A.x - f.C.x); }
double Sweep(const TFigure& f) {
  if (f.Kind == TFigureKind::Circle) return kTwoPi;
  return Norm2Pi(std::atan2(f.B.y - f.C.y, f.B.x - f.C.x) - StartAngle(f));
}

bool AngleOnArc(const TFigure& f, double ang, double angTol) {
  if (f.Kind == TFigureKind::Circle) return true;
  double d = Norm2Pi(ang - StartAngle(f));
  double w = Sweep(f);
  return d <= w + angTol || d >= kTwoPi - angTol;
}

struct TUnionFind {
  std::vector<int> P;
  explicit TUnionFind(size_t n) : P(n) { std::iota(P.begin(), P.end(), 0); }
  int Find(int i) { return P[i] == i ? i : P[i] = Find(P[i]); }
  void Join(int a, int b) { P[Find(a)] = Find(b); }
};

struct TEnd {
  int Figure;
  int Which;  // 0 = A, 1 = B
  TPoint2 P;
};

std::vector<TEnd> CollectEnds(const std::vector<TFigure>& figs) {
  std::vector<TEnd> ends;
  for (int i = 0; i < static_cast<int>(figs.size()); ++i) {
    if (figs[i].Kind == TFigureKind::Circle) continue;
    ends.push_back({i, 0, figs[i].A});
    ends.push_back({i, 1, figs[i].B});
  }
  return ends;
}

std::vector<TBox2> PointBoxes(const std::vector<TEnd>& ends) {
  std::vector<TBox2> b;
  b.reserve(ends.size());
  for (auto& e : ends) b.push_back({e.P.x, e.P.y, e.P.x, e.P.y});
  return b;
}

bool IsDegenerate(const TFigure& f, double tol) {
  switch (f.Kind) {
    case TFigureKind::Line: return Dist(f.A, f.B) <= tol;
    case TFigureKind::Arc: return f.Radius() <= tol || Sweep(f) * f.Radius() <= tol;
    case TFigureKind::Circle: return f.R <= tol;
  }
  return false;
}

bool NearEnd(const TFigure& f, TPoint2 p, double tol) {
  if (f.Kind == TFigureKind::Circle) return false;
  return Dist(f.A, p) <= tol || Dist(f.B, p) <= tol;
}

// Intersection points of a line segment with the full circle (c, r).
void LineCircle(const TFigure& l, TPoint2 c, double r, double tol, std::vector<TPoint2>& out) {
  TPoint2 d = Sub(l.B, l.A);
  double len2 = Dot(d, d);
  TPoint2 f = Sub(l.A, c);
  double b = 2 * Dot(f, d), cc = Dot(f, f) - r * r;
  double disc = b * b - 4 * len2 * cc;
  double len = std::sqrt(len2);
  if (disc < 0) {
    // Tangent within the tolerance still touches.
    double t = -b / (2 * len2);
    TPoint2 p{l.A.x + t * d.x, l.A.y + t * d.y};
    if (std::abs(Dist(p, c) - r) <= tol && t >= -tol / len && t <= 1 + tol / len) out.push_back(p);
    return;
  }
  double s = std::sqrt(disc);
  for (double t : {(-b - s) / (2 * len2), (-b + s) / (2 * len2)}) {
    if (t >= -tol / len && t <= 1 + tol / len) out.push_back({l.A.x + t * d.x, l.A.y + t * d.y});
    if (s == 0) break;
  }
}

double ArcOverlap(const TFigure& a, const TFigure& b) {
  double w1 = Sweep(a), w2 = Sweep(b);
  if (a.Kind == TFigureKind::Circle || b.Kind == TFigureKind::Circle) return std::min(w1, w2);
  double d = Norm2Pi(StartAngle(b) - StartAngle(a));
  auto seg = [&](double lo, double hi) { return std::max(0.0, std::min(w1, hi) - std::max(0.0, lo)); };
  return seg(d, d + w2) + seg(d - kTwoPi, d + w2 - kTwoPi);
}

enum class TPairResult { None, Overlap, Intersection };

TPairResult TestPair(const TFigure& a, const TFigure& b, double tol) {
  std::vector<TPoint2> pts;
  bool aLine = a.Kind == TFigureKind::Line, bLine = b.Kind == TFigureKind::Line;
  if (aLine && bLine) {
    TPoint2 da = Sub(a.B, a.A), db = Sub(b.B, b.A);
    double la = std::sqrt(Dot(da, da)), lb = std::sqrt(Dot(db, db));
    double den = Cross(da, db);
    if (std::abs(den) <= 1e-12 * la * lb) {
      if (std::abs(Cross(da, Sub(b.A, a.A))) / la > tol) return TPairResult::None;
      double t0 = Dot(Sub(b.A, a.A), da) / la, t1 = Dot(Sub(b.B, a.A), da) / la;
      if (t0 > t1) std::swap(t0, t1);
      double ov = std::min(la, t1) - std::max(0.0, t0);
      return ov > tol ? TPairResult::Overlap : TPairResult::None;
    }
    TPoint2 w = Sub(b.A, a.A);
    double t = Cross(w, db) / den, u = Cross(w, da) / den;
    if (t >= -tol / la && t <= 1 + tol / la && u >= -tol / lb && u <= 1 + tol / lb)
      pts.push_back({a.A.x + t * da.x, a.A.y + t * da.y});
  } else if (aLine || bLine) {
    const TFigure& l = aLine ? a : b;
    const TFigure& c = aLine ? b : a;
    double r = c.Radius();
    std::vector<TPoint2> raw;
    LineCircle(l, c.C, r, tol, raw);
    for (auto p : raw)
      if (AngleOnArc(c, std::atan2(p.y - c.C.y, p.x - c.C.x), tol / r)) pts.push_back(p);
  } else {
    double r1 = a.Radius(), r2 = b.Radius();
    double d = Dist(a.C, b.C);
    if (d <= tol && std::abs(r1 - r2) <= tol)
      return ArcOverlap(a, b) * r1 > tol ? TPairResult::Overlap : TPairResult::None;
    if (d <= tol || d > r1 + r2 + tol || d < std::abs(r1 - r2) - tol) return TPairResult::None;
    double x = (r1 * r1 - r2 * r2 + d * d) / (2 * d);
    double h = std::sqrt(std::max(0.0, r1 * r1 - x * x));
    TPoint2 u{(b.C.x - a.C.x) / d, (b.C.y - a.C.y) / d};
    TPoint2 m{a.C.x + x * u.x, a.C.y + x * u.y};
    for (double s : {-1.0, 1.0}) {
      TPoint2 p{m.x - s * h * u.y, m.y + s * h * u.x};
      if (AngleOnArc(a, std::atan2(p.y - a.C.y, p.x - a.C.x), tol / r1) &&
          AngleOnArc(b, std::atan2(p.y - b.C.y, p.x - b.C.x), tol / r2))
        pts.push_back(p);
      if (h == 0) break;
    }
  }
  for (auto p : pts)
    if (!(NearEnd(a, p, tol) && NearEnd(b, p, tol))) return TPairResult::Intersection;
  return TPairResult::None;
}

// A cell index for a coordinate that may be anything, NaN included.
int CellOf(double v, int cells) {
  if (!(v > 0)) return 0;
  if (v >= cells - 1) return cells - 1;
  return static_cast<int>(v);
}

}  // namespace

bool FigureInRange(const TFigure& f) {
  auto ok = [](double v) { return std::isfinite(v) && std::abs(v) <= kMaxSketchLength; };
  switch (f.Kind) {
    case TFigureKind::Circle: return ok(f.C.x) && ok(f.C.y) && ok(f.R);
    case TFigureKind::Arc:
      return ok(f.A.x) && ok(f.A.y) && ok(f.B.x) && ok(f.B.y) && ok(f.C.x) && ok(f.C.y) && ok(f.Radius());
    case TFigureKind::Line: return ok(f.A.x) && ok(f.A.y) && ok(f.B.x) && ok(f.B.y);
  }
  return false;
}

bool LoopCrossesItself(const std::vector<TFigure>& figs, const TLoop& l, double tol) {
  if (l.Steps.size() < 2) return false;
  std::vector<TBox2> boxes;
  boxes.reserve(l.Steps.size());
  for (auto& st : l.Steps) boxes.push_back(figs[st.Figure].Box());
  bool crosses = false;
  ForEachOverlappingPair(boxes, tol, [&](int i, int j) {
    if (!crosses && TestPair(figs[l.Steps[i].Figure], figs[l.Steps[j].Figure], tol) != TPairResult::None)
      crosses = true;
  });
  return crosses;
}

double TFigure::Radius() const {
  if (Kind == TFigureKind::Circle) return R;
  if (Kind == TFigureKind::Arc) return 0.5 * (Dist(A, C) + Dist(B, C));
  return 0;
}

TBox2 TFigure::Box() const {
  if (Kind == TFigureKind::Line)
    return {std::min(A.x, B.x), std::min(A.y, B.y), std::max(A.x, B.x), std::max(A.y, B.y)};
  double r = Radius();
  if (Kind == TFigureKind::Circle) return {C.x - r, C.y - r, C.x + r, C.y + r};
  TBox2 b{std::min(A.x, B.x), std::min(A.y, B.y), std::max(A.x, B.x), std::max(A.y, B.y)};
  const double quads[4][3] = {{0, 1, 0}, {kPi / 2, 0, 1}, {kPi, -1, 0}, {3 * kPi / 2, 0, -1}};
  for (auto& q : quads)
    if (AngleOnArc(*this, q[0], 0)) {
      b.x0 = std::min(b.x0, C.x + r * q[1]);
      b.x1 = std::max(b.x1, C.x + r * q[1]);
      b.y0 = std::min(b.y0, C.y + r * q[2]);
      b.y1 = std::max(b.y1, C.y + r * q[2]);
    }
  return b;
}

namespace {

// The grid the pair finders bin the boxes in, about one box a cell; boxes spanning many cells
// are tested against everything instead of being binned.
struct TPairGrid {
  TBox2 All;
  double Pad, Cx, Cy;
  int Gx, Gy;
  std::vector<std::array<int, 4>> Span;  // cells x0, y0, x1, y1 of each box
  std::vector<int> Big;

  TPairGrid(const std::vector<TBox2>& boxes, double pad) : All(boxes[0]), Pad(pad) {
    const int n = static_cast<int>(boxes.size());
    double sumDim = 0;
    for (auto& b : boxes) {
      All.x0 = std::min(All.x0, b.x0);
      All.y0 = std::min(All.y0, b.y0);
      All.x1 = std::max(All.x1, b.x1);
      All.y1 = std::max(All.y1, b.y1);
      sumDim += std::max(b.x1 - b.x0, b.y1 - b.y0);
    }
    double w = All.x1 - All.x0 + 2 * pad, h = All.y1 - All.y0 + 2 * pad;
    double cell = std::max({std::sqrt(w * h / n), sumDim / n, 1e-9});
    Gx = CellOf(w / cell, 2048) + 1;
    Gy = CellOf(h / cell, 2048) + 1;
    Cx = w / Gx;
    Cy = h / Gy;
    Span.resize(n);
    for (int i = 0; i < n; ++i) {
      auto& b = boxes[i];
      Span[i] = {CellX(b.x0 - pad), CellY(b.y0 - pad), CellX(b.x1 + pad), CellY(b.y1 + pad)};
      if (IsBig(i)) Big.push_back(i);
    }
  }
  int CellX(double x) const { return CellOf((x - All.x0 + Pad) / Cx, Gx); }
  int CellY(double y) const { return CellOf((y - All.y0 + Pad) / Cy, Gy); }
  bool IsBig(int i) const { return 1LL * (Span[i][2] - Span[i][0] + 1) * (Span[i][3] - Span[i][1] + 1) > 16; }
  // A pair is reported only in the first cell both share.
  bool FirstShared(int i, int j, int x, int y) const {
    return std::max(Span[i][0], Span[j][0]) == x && std::max(Span[i][1], Span[j][1]) == y;
  }
  void ForBig(const std::vector<TBox2>& boxes, const std::function<void(int, int)>& f) const {
    const int n = static_cast<int>(boxes.size());
    std::vector<char> isBig(n, 0);
    for (int i : Big) isBig[i] = 1;
    for (int i : Big)
      for (int j = 0; j < n; ++j) {
        if (j == i || (isBig[j] && j < i)) continue;
        if (boxes[i].Overlaps(boxes[j], Pad)) f(std::min(i, j), std::max(i, j));
      }
  }
};

}  // namespace

void ForEachOverlappingPair(const std::vector<TBox2>& boxes, double pad, const std::function<void(int, int)>& f) {
  const int n = static_cast<int>(boxes.size());
  if (n < 2) return;
  const TPairGrid g(boxes, pad);
  std::unordered_map<long long, std::vector<int>> grid;
  for (int i = 0; i < n; ++i) {
    if (g.IsBig(i)) continue;
    for (int x = g.Span[i][0]; x <= g.Span[i][2]; ++x)
      for (int y = g.Span[i][1]; y <= g.Span[i][3]; ++y) grid[1LL * x * g.Gy + y].push_back(i);
  }
  for (auto& [key, items] : grid) {
    int x = static_cast<int>(key / g.Gy), y = static_cast<int>(key % g.Gy);
    for (size_t a = 0; a < items.size(); ++a)
      for (size_t b = a + 1; b < items.size(); ++b) {
        int i = items[a], j = items[b];
        if (g.FirstShared(i, j, x, y) && boxes[i].Overlaps(boxes[j], pad)) f(std::min(i, j), std::max(i, j));
      }
  }
  g.ForBig(boxes, f);
}

void ForEachOverlappingPairInAnyOrder(const std::vector<TBox2>& boxes, double pad,
                                      const std::function<void(int, int)>& f) {
  const int n = static_cast<int>(boxes.size());
  if (n < 2) return;
  const TPairGrid g(boxes, pad);
  // The boxes of each cell, cell by cell in one array.
  const size_t cells = static_cast<size_t>(g.Gx) * g.Gy;
  std::vector<int> start(cells + 1, 0);
  auto forCells = [&](int i, auto&& fn) {
    for (int x = g.Span[i][0]; x <= g.Span[i][2]; ++x)
      for (int y = g.Span[i][1]; y <= g.Span[i][3]; ++y) fn(static_cast<size_t>(x) * g.Gy + y);
  };
  for (int i = 0; i < n; ++i)
    if (!g.IsBig(i)) forCells(i, [&](size_t c) { ++start[c + 1]; });
  for (size_t c = 1; c <= cells; ++c) start[c] += start[c - 1];
  std::vector<int> fill(start.begin(), start.end() - 1), items(start[cells]);
  for (int i = 0; i < n; ++i)
    if (!g.IsBig(i)) forCells(i, [&](size_t c) { items[fill[c]++] = i; });
  for (size_t c = 0; c < cells; ++c) {
    const int x = static_cast<int>(c / g.Gy), y = static_cast<int>(c % g.Gy);
    for (int a = start[c]; a < start[c + 1]; ++a)
      for (int b = a + 1; b < start[c + 1]; ++b) {
        int i = items[a], j = items[b];
        if (g.FirstShared(i, j, x, y) && boxes[i].Overlaps(boxes[j], pad)) f(i, j);
      }
  }
  g.ForBig(boxes, f);
}

TAnalysisCounts AnalyzeFigures(std::vector<TFigure>& figs, double tol, bool heal) {
  TAnalysisCounts n;
  tol = std::max(tol, kCoincident);
  {
    std::vector<TFigure> kept;
    for (auto& f : figs) {
      if (IsDegenerate(f, tol))
        ++n.Degenerate;
      else
        kept.push_back(f);
    }
    if (heal) figs.swap(kept);
  }

  auto ends = CollectEnds(figs);
  std::vector<char> coincident(ends.size(), 0), near(ends.size(), 0);
  TUnionFind clusters(ends.size());
  ForEachOverlappingPair(PointBoxes(ends), tol, [&](int i, int j) {
    // An arc's own ends may meet (a circle drawn short); a line's may not.
    if (ends[i].Figure == ends[j].Figure && figs[ends[i].Figure].Kind == TFigureKind::Line) return;
    double d = Dist(ends[i].P, ends[j].P);
    if (d > tol) return;
    clusters.Join(i, j);
    if (d <= kCoincident)
      coincident[i] = coincident[j] = 1;
    else
      near[i] = near[j] = 1;
  });
  for (size_t i = 0; i < ends.size(); ++i)
    if (near[i] && !coincident[i]) ++n.DisjointEnds;

  // A chain is open when one of its ends has nothing within the tolerance.
  std::unordered_map<int, int> clusterSize;
  for (size_t i = 0; i < ends.size(); ++i) ++clusterSize[clusters.Find(static_cast<int>(i))];
  TUnionFind chains(figs.size());
  for (size_t i = 0; i < ends.size(); ++i) {
    int root = clusters.Find(static_cast<int>(i));
    chains.Join(ends[i].Figure, ends[root].Figure);
  }
  std::unordered_map<int, bool> chainOpen;
  for (size_t i = 0; i < ends.size(); ++i) {
    bool& open = chainOpen[chains.Find(ends[i].Figure)];
    if (clusterSize[clusters.Find(static_cast<int>(i))] == 1) open = true;
  }
  for (auto& [c, open] : chainOpen) n.OpenLoops += open ? 1 : 0;

  if (heal) {
    // Snap each group of ends to one point; an arc end wins so arcs keep their shape.
    std::unordered_map<int, std::pair<TPoint2, int>> target;  // root -> (sum or arc point, count / -1)
    for (size_t i = 0; i < ends.size(); ++i) {
      int root = clusters.Find(static_cast<int>(i));
      auto& [p, cnt] = target[root];
      if (cnt < 0) continue;
      if (figs[ends[i].Figure].Kind == TFigureKind::Arc) {
        p = ends[i].P;
        cnt = -1;
      } else {
        p.x += ends[i].P.x;
        p.y += ends[i].P.y;
        ++cnt;
      }
    }
    for (size_t i = 0; i < ends.size(); ++i) {
      auto& [p, cnt] = target[clusters.Find(static_cast<int>(i))];
      TPoint2 q = cnt < 0 ? p : TPoint2{p.x / cnt, p.y / cnt};
      TFigure& f = figs[ends[i].Figure];
      (ends[i].Which == 0 ? f.A : f.B) = q;
    }
    // An arc whose ends now meet goes all the way round.
    for (auto& f : figs)
      if (f.Kind == TFigureKind::Arc && Dist(f.A, f.B) <= kCoincident) {
        f.R = f.Radius();
        f.Kind = TFigureKind::Circle;
      }
  }

  std::vector<TBox2> boxes;
  boxes.reserve(figs.size());
  for (auto& f : figs) boxes.push_back(f.Box());
  ForEachOverlappingPair(boxes, tol, [&](int i, int j) {
    if (!heal && (IsDegenerate(figs[i], tol) || IsDegenerate(figs[j], tol))) return;
    switch (TestPair(figs[i], figs[j], tol)) {
      case TPairResult::Overlap: ++n.Overlaps; break;
      case TPairResult::Intersection: ++n.Intersections; break;
      case TPairResult::None: break;
    }
  });
  return n;
}

void AppendArcPoints(const TFigure& f, bool reversed, std::vector<TPoint2>& out) {
  double r = f.Radius();
  double a0 = StartAngle(f), w = Sweep(f);
  double step = 2 * std::acos(std::max(0.0, 1 - kChordError / std::max(r, kChordError)));
  int segs = std::max(2, CellOf(std::ceil(w / std::max(step, 1e-3)), 4097));
  for (int k = 0; k <= segs; ++k) {
    double t = reversed ? 1.0 - double(k) / segs : double(k) / segs;
    if (k == 0)
      out.push_back(reversed ? f.B : f.A);
    else if (k == segs)
      out.push_back(reversed ? f.A : f.B);
    else
      out.push_back({f.C.x + r * std::cos(a0 + t * w), f.C.y + r * std::sin(a0 + t * w)});
  }
}

bool BuildLoops(const std::vector<TFigure>& figs, double joinTol, std::vector<TLoop>& loops) {
  loops.clear();
  for (int i = 0; i < static_cast<int>(figs.size()); ++i) {
    auto& f = figs[i];
    if (f.Kind != TFigureKind::Circle) continue;
    if (f.R <= joinTol) return false;
    TLoop l;
    l.Steps.push_back({i, false});
    l.C = f.C;
    l.R = f.R;
    l.SignedArea = kPi * f.R * f.R;
    l.Box = f.Box();
    loops.push_back(std::move(l));
  }
  auto ends = CollectEnds(figs);
  std::vector<int> partner(ends.size(), -1);
  bool ok = true;
  ForEachOverlappingPair(PointBoxes(ends), joinTol, [&](int i, int j) {
    if (ends[i].Figure == ends[j].Figure || Dist(ends[i].P, ends[j].P) > joinTol) return;
    if (partner[i] >= 0 || partner[j] >= 0) ok = false;
    partner[i] = j;
    partner[j] = i;
  });
  if (!ok) return false;
  for (int p : partner)
    if (p < 0) return false;
  // ends[2k] and ends[2k+1] belong to the same figure.
  std::vector<char> used(ends.size() / 2, 0);
  for (size_t s = 0; s < used.size(); ++s) {
    if (used[s]) continue;
    TLoop l;
    int e = static_cast<int>(2 * s);  // entering at A
    while (!used[e / 2]) {
      used[e / 2] = 1;
      bool rev = (e % 2) == 1;
      int fig = ends[e].Figure;
      l.Steps.push_back({fig, rev});
      const TFigure& f = figs[fig];
      if (f.Kind == TFigureKind::Line)
        l.Polygon.push_back(rev ? f.B : f.A);
      else {
        AppendArcPoints(f, rev, l.Polygon);
        l.Polygon.pop_back();
      }
      int exitEnd = rev ? e - 1 : e + 1;
      e = partner[exitEnd];
    }
    if (e != static_cast<int>(2 * s)) return false;
    double a = 0;
    l.Box = {l.Polygon[0].x, l.Polygon[0].y, l.Polygon[0].x, l.Polygon[0].y};
    for (size_t k = 0; k < l.Polygon.size(); ++k) {
      auto p = l.Polygon[k], q = l.Polygon[(k + 1) % l.Polygon.size()];
      a += Cross(p, q);
      l.Box.x0 = std::min(l.Box.x0, p.x);
      l.Box.y0 = std::min(l.Box.y0, p.y);
      l.Box.x1 = std::max(l.Box.x1, p.x);
      l.Box.y1 = std::max(l.Box.y1, p.y);
    }
    l.SignedArea = a / 2;
    loops.push_back(std::move(l));
  }
  return true;
}

bool PointInLoop(const TLoop& l, TPoint2 p) {
  if (l.IsCircle()) return Dist(p, l.C) < l.R;
  bool in = false;
  const auto& poly = l.Polygon;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    if ((poly[i].y > p.y) != (poly[j].y > p.y) &&
        p.x < (poly[j].x - poly[i].x) * (p.y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x)
      in = !in;
  }
  return in;
}

double DistanceToLoop(const TLoop& l, TPoint2 p) {
  if (l.IsCircle()) return std::abs(Dist(p, l.C) - l.R);
  double best = 1e300;
  const auto& poly = l.Polygon;
  for (size_t i = 0; i < poly.size(); ++i) {
    TPoint2 a = poly[i], b = poly[(i + 1) % poly.size()];
    TPoint2 d = Sub(b, a);
    double len2 = Dot(d, d);
    double t = len2 > 0 ? std::clamp(Dot(Sub(p, a), d) / len2, 0.0, 1.0) : 0.0;
    best = std::min(best, Dist(p, {a.x + t * d.x, a.y + t * d.y}));
  }
  return best;
}

std::vector<TRegion> BuildRegions(const std::vector<TLoop>& loops) {
  const int n = static_cast<int>(loops.size());
  std::vector<int> depth(n, 0), parent(n, -1);
  std::vector<TBox2> boxes;
  for (auto& l : loops) boxes.push_back(l.Box);
  auto samplePoints = [](const TLoop& l) {
    if (l.IsCircle()) return std::vector<TPoint2>{{l.C.x + l.R, l.C.y}};
    const auto& p = l.Polygon;
    return std::vector<TPoint2>{
        p[0], {(p[0].x + p[1 % p.size()].x) / 2, (p[0].y + p[1 % p.size()].y) / 2}, p[p.size() / 2]};
  };
  auto inside = [&](int outer, int inner) {
    if (std::abs(loops[outer].SignedArea) <= std::abs(loops[inner].SignedArea)) return false;
    // Two circles: exactly; one point on the smaller would count overlapping ones as nested.
    if (loops[outer].IsCircle() && loops[inner].IsCircle())
      return Dist(loops[outer].C, loops[inner].C) + loops[inner].R < loops[outer].R;
    if (!loops[outer].Box.Contains(loops[inner].Box)) return false;
    int votes = 0;
    auto pts = samplePoints(loops[inner]);
    for (auto p : pts) votes += PointInLoop(loops[outer], p) ? 1 : 0;
    return 2 * votes > static_cast<int>(pts.size());
  };
  ForEachOverlappingPair(boxes, 0, [&](int i, int j) {
    for (auto [o, in] : {std::pair{i, j}, std::pair{j, i}})
      if (inside(o, in)) {
        ++depth[in];
        if (parent[in] < 0 || std::abs(loops[o].SignedArea) < std::abs(loops[parent[in]].SignedArea)) parent[in] = o;
      }
  });
  std::vector<TRegion> regions;
  std::vector<int> regionOf(n, -1);
  for (int i = 0; i < n; ++i)
    if (depth[i] % 2 == 0) {
      regionOf[i] = static_cast<int>(regions.size());
      regions.push_back({i, {}});
    }
  for (int i = 0; i < n; ++i)
    if (depth[i] % 2 == 1 && parent[i] >= 0 && regionOf[parent[i]] >= 0)
      regions[regionOf[parent[i]]].Holes.push_back(i);
  return regions;
}

}  // namespace corvane
