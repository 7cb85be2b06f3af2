#include "corvane/CapTiles.h"

#include <algorithm>
#include <cmath>

namespace corvane {
namespace {

using TPt = std::pair<double, double>;

// Free intervals' ends near the wanted cut positions along one axis; Blocked holds the
// loops' extents along that axis.
std::vector<double> Cuts(std::vector<std::pair<double, double>> blocked, double lo, double hi, int parts,
                         double margin) {
  std::sort(blocked.begin(), blocked.end());
  std::vector<std::pair<double, double>> merged;
  for (auto& b : blocked) {
    if (!merged.empty() && b.first <= merged.back().second + margin)
      merged.back().second = std::max(merged.back().second, b.second);
    else
      merged.push_back(b);
  }
  std::vector<double> cuts{lo};
  // The field of loops gets lines of its own, so that the cells along the outline hold few.
  const double first = merged.front().first - margin, last = merged.back().second + margin;
  if (first > lo + margin) cuts.push_back(first);
  const double from = std::max(lo, first), to = std::min(hi, last);
  const double step = (to - from) / parts;
  for (int k = 1; k < parts; ++k) {
    double want = from + k * step, at = want;
    auto it = std::upper_bound(merged.begin(), merged.end(), std::pair{want, 1e300});
    if (it != merged.begin() && std::prev(it)->second + margin > want) {
      auto& b = *std::prev(it);
      double below = b.first - margin, above = b.second + margin;
      at = want - below < above - want ? below : above;
    }
    if (std::abs(at - want) > step / 2 || at <= cuts.back() + step / 4 || at >= to - step / 4) continue;
    cuts.push_back(at);
  }
  if (last < hi - margin) cuts.push_back(last);
  cuts.push_back(hi);
  return cuts;
}

bool Inside(const std::vector<TPt>& poly, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    auto [xi, yi] = poly[i];
    auto [xj, yj] = poly[j];
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

// Whether the segment touches the box (Liang-Barsky clipping).
bool SegmentMeetsBox(TPt a, TPt b, const TTileBox& r) {
  double t0 = 0, t1 = 1, dx = b.first - a.first, dy = b.second - a.second;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.first - r.X0, r.X1 - a.first, a.second - r.Y0, r.Y1 - a.second};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;
    } else {
      double t = q[k] / p[k];
      if (p[k] < 0)
        t0 = std::max(t0, t);
      else
        t1 = std::min(t1, t);
      if (t0 > t1) return false;
    }
  }
  return true;
}

}  // namespace

bool PlanTiles(const std::vector<TTileBox>& inner, const std::vector<TPt>& outline, int maxPerTile, TTilePlan& plan) {
  if (outline.size() < 3 || inner.empty() || maxPerTile < 1) return false;
  TTileBox all{1e300, 1e300, -1e300, -1e300};
  for (auto [x, y] : outline)
    all = {std::min(all.X0, x), std::min(all.Y0, y), std::max(all.X1, x), std::max(all.Y1, y)};
  const double w = all.X1 - all.X0, h = all.Y1 - all.Y0;
  if (!(w > 0 && h > 0)) return false;
  const double margin = 1e-4 * std::max(w, h);
  // Aim below the limit: cut lines move into the gaps between the loops.
  const double cells = std::ceil(inner.size() / (0.5 * maxPerTile));
  const int nx = std::max(1, static_cast<int>(std::lround(std::sqrt(cells * w / h))));
  const int ny = std::max(1, static_cast<int>(std::ceil(cells / nx)));
  std::vector<std::pair<double, double>> bx, by;
  for (auto& b : inner) {
    bx.emplace_back(b.X0, b.X1);
    by.emplace_back(b.Y0, b.Y1);
  }
  plan.Xs = Cuts(bx, all.X0, all.X1, nx, margin);
  plan.Ys = Cuts(by, all.Y0, all.Y1, ny, margin);
  const int cols = plan.Columns(), rows = plan.Rows();
  plan.Tile.assign(static_cast<size_t>(cols) * rows, 0);
  for (int i = 0; i < cols; ++i)
    for (int j = 0; j < rows; ++j) {
      TTileBox r{plan.Xs[i] - margin, plan.Ys[j] - margin, plan.Xs[i + 1] + margin, plan.Ys[j + 1] + margin};
      if (!Inside(outline, (r.X0 + r.X1) / 2, (r.Y0 + r.Y1) / 2)) continue;
      bool clear = true;
      for (size_t k = 0, l = outline.size() - 1; clear && k < outline.size(); l = k++)
        clear = !SegmentMeetsBox(outline[l], outline[k], r);
      plan.Tile[i * rows + j] = clear;
    }
  // Tiles meeting only at a corner would make the band touch itself there.
  for (bool changed = true; changed;) {
    changed = false;
    for (int i = 0; i + 1 < cols; ++i)
      for (int j = 0; j + 1 < rows; ++j) {
        bool a = plan.IsTile(i, j), b = plan.IsTile(i + 1, j), c = plan.IsTile(i, j + 1), d = plan.IsTile(i + 1, j + 1);
        if (a && d && !b && !c) plan.Tile[i * rows + j] = 0, changed = true;
        if (b && c && !a && !d) plan.Tile[(i + 1) * rows + j] = 0, changed = true;
      }
  }
  int tiles = 0;
  for (char t : plan.Tile) tiles += t;
  if (tiles < 2) return false;
  plan.WireCell.clear();
  for (auto& b : inner) {
    int i = static_cast<int>(std::upper_bound(plan.Xs.begin(), plan.Xs.end(), (b.X0 + b.X1) / 2) - plan.Xs.begin()) - 1;
    int j = static_cast<int>(std::upper_bound(plan.Ys.begin(), plan.Ys.end(), (b.Y0 + b.Y1) / 2) - plan.Ys.begin()) - 1;
    bool within = i >= 0 && j >= 0 && i < cols && j < rows && b.X0 > plan.Xs[i] && b.X1 < plan.Xs[i + 1] &&
                  b.Y0 > plan.Ys[j] && b.Y1 < plan.Ys[j + 1];
    plan.WireCell.push_back(within && plan.IsTile(i, j) ? i * rows + j : -1);
  }
  return true;
}

}  // namespace corvane
