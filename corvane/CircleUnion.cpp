#include "corvane/CircleUnion.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace corvane {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

double Norm2Pi(double a) {
  a = std::fmod(a, kTwoPi);
  return a < 0 ? a + kTwoPi : a;
}

struct TCover {
  double Start, Width;
  int By;
};

TPoint2 At(const TCircle& c, double a) { return {c.C.x + c.R * std::cos(a), c.C.y + c.R * std::sin(a)}; }

}  // namespace

bool TraceCircleUnion(const std::vector<TCircle>& circles, const std::vector<std::pair<int, int>>& pairs,
                      std::vector<TUnionLoop>& loops) {
  loops.clear();
  const int n = static_cast<int>(circles.size());
  std::vector<std::vector<TCover>> cover(n);
  std::vector<char> hidden(n, 0);
  for (auto [i, j] : pairs) {
    const TCircle &a = circles[i], &b = circles[j];
    double d = std::hypot(b.C.x - a.C.x, b.C.y - a.C.y);
    if (d <= kTangentTol && std::abs(a.R - b.R) <= kTangentTol) {
      hidden[j] = 1;  // the same circle twice
      continue;
    }
    const double gap = d - (a.R + b.R), inside = d - std::abs(a.R - b.R);
    if (gap > kApartTol) continue;
    if (gap >= -kTangentTol || std::abs(inside) <= kTangentTol) return false;
    if (d + a.R < b.R) {
      hidden[i] = 1;
      continue;
    }
    if (d + b.R < a.R) {
      hidden[j] = 1;
      continue;
    }
    for (auto [p, q] : {std::pair{i, j}, std::pair{j, i}}) {
      const TCircle &c = circles[p], &o = circles[q];
      double ang = std::atan2(o.C.y - c.C.y, o.C.x - c.C.x);
      double half = std::acos(std::clamp((c.R * c.R + d * d - o.R * o.R) / (2 * c.R * d), -1.0, 1.0));
      cover[p].push_back({Norm2Pi(ang - half), 2 * half, q});
    }
  }

  // Uncovered arcs of every circle, each known by the circles whose cover it leaves and enters.
  struct TGap {
    TUnionArc Arc;
    int From = -1, To = -1;
  };
  std::vector<TGap> gaps;
  for (int i = 0; i < n; ++i) {
    if (hidden[i]) continue;
    auto& cv = cover[i];
    cv.erase(std::remove_if(cv.begin(), cv.end(), [&](const TCover& c) { return hidden[c.By]; }), cv.end());
    const TCircle& c = circles[i];
    if (cv.empty()) {
      TGap g;
      g.Arc = {i, At(c, 0), At(c, 0), 0, kTwoPi, true};
      gaps.push_back(g);
      continue;
    }
    std::sort(cv.begin(), cv.end(), [](const TCover& a, const TCover& b) { return a.Start < b.Start; });
    // Walk once round from the first cover's start; track the furthest end reached.
    const double base = cv[0].Start;
    const double angTol = kUnionTol / c.R;
    double reach = cv[0].Width;  // relative to base; covers running past a full turn count from it
    int reachBy = cv[0].By;
    for (auto& k : cv) {
      double wrapped = k.Start - base + k.Width - kTwoPi;
      if (&k == &cv[0] || wrapped <= 0) continue;
      if (std::abs(wrapped - reach) <= angTol) return false;
      if (wrapped > reach) {
        reach = wrapped;
        reachBy = k.By;
      }
    }
    std::vector<TGap> own;
    for (size_t k = 1; k <= cv.size(); ++k) {
      double start = k < cv.size() ? cv[k].Start - base : kTwoPi;
      int startBy = k < cv.size() ? cv[k].By : cv[0].By;
      if (start > reach) {
        if (start - reach <= angTol) return false;  // three circles all but meet in a point
        TGap g;
        g.From = reachBy;
        g.To = startBy;
        g.Arc.Circle = i;
        g.Arc.A0 = base + reach;
        g.Arc.Sweep = start - reach;
        g.Arc.P0 = At(c, g.Arc.A0);
        g.Arc.P1 = At(c, g.Arc.A0 + g.Arc.Sweep);
        own.push_back(g);
      } else if (k < cv.size() && std::abs(start - reach) <= angTol) {
        return false;
      }
      if (k < cv.size()) {
        double end = start + cv[k].Width;
        if (std::abs(end - reach) <= angTol && end != reach) return false;
        if (end > reach) {
          reach = end;
          reachBy = cv[k].By;
        }
      }
    }
    gaps.insert(gaps.end(), own.begin(), own.end());
  }

  // The arc after one that enters circle j from circle i is the arc of j that leaves i.
  std::unordered_map<long long, int> leaving;
  for (int k = 0; k < static_cast<int>(gaps.size()); ++k) {
    if (gaps[k].Arc.Full) continue;
    long long key = 1LL * gaps[k].Arc.Circle * n + gaps[k].From;
    if (!leaving.emplace(key, k).second) return false;
  }
  std::vector<char> used(gaps.size(), 0);
  for (size_t s = 0; s < gaps.size(); ++s) {
    if (used[s]) continue;
    TUnionLoop loop;
    size_t k = s;
    while (!used[k]) {
      used[k] = 1;
      loop.Arcs.push_back(gaps[k].Arc);
      if (gaps[k].Arc.Full) break;
      auto it = leaving.find(1LL * gaps[k].To * n + gaps[k].Arc.Circle);
      if (it == leaving.end()) return false;
      const TUnionArc& next = gaps[it->second].Arc;
      if (std::hypot(next.P0.x - gaps[k].Arc.P1.x, next.P0.y - gaps[k].Arc.P1.y) > 10 * kUnionTol) return false;
      k = static_cast<size_t>(it->second);
    }
    if (!gaps[s].Arc.Full && k != s) return false;
    double area = 0;  // Green's theorem over each arc
    for (auto& a : loop.Arcs) {
      const TCircle& c = circles[a.Circle];
      double a1 = a.A0 + a.Sweep;
      area += 0.5 * (c.R * c.R * a.Sweep + c.C.x * c.R * (std::sin(a1) - std::sin(a.A0)) +
                     c.C.y * c.R * (std::cos(a.A0) - std::cos(a1)));
    }
    loop.SignedArea = area;
    loops.push_back(std::move(loop));
  }
  return true;
}

TLoop UnionLoopPolygon(const std::vector<TCircle>& circles, const TUnionLoop& l) {
  TLoop out;
  for (auto& a : l.Arcs) {
    const TCircle& c = circles[a.Circle];
    TFigure f{TFigureKind::Arc, a.P0, a.P1, c.C, 0};
    if (a.Full) {
      f.A = At(c, 0);
      f.B = At(c, std::numbers::pi);
      AppendArcPoints(f, false, out.Polygon);
      out.Polygon.pop_back();
      f.A = f.B;
      f.B = At(c, 0);
    }
    AppendArcPoints(f, false, out.Polygon);
    out.Polygon.pop_back();
  }
  out.SignedArea = l.SignedArea;
  out.Box = {out.Polygon[0].x, out.Polygon[0].y, out.Polygon[0].x, out.Polygon[0].y};
  for (auto p : out.Polygon) {
    out.Box.x0 = std::min(out.Box.x0, p.x);
    out.Box.y0 = std::min(out.Box.y0, p.y);
    out.Box.x1 = std::max(out.Box.x1, p.x);
    out.Box.y1 = std::max(out.Box.y1, p.y);
  }
  return out;
}

}  // namespace corvane
