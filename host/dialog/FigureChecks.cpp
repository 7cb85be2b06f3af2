#include "host/dialog/FigureChecks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace figurechecks {

std::string NumberText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

bool InRange(double v) { return std::isfinite(v) && std::abs(v) <= kLengthLimit; }

namespace {

using TElement = TBoardOutlineObjectList::TElement;

// "DRILLED_HOLES line 12: hole at (1, 2) diameter 0.3 CM", the record as the user can find it.
std::string Describe(const TOutlineObject& e, const std::string& listName, const std::string& unit) {
  std::string where = e.FSourceSection.empty() ? listName : e.FSourceSection;
  if (e.FSourceLine > 0) where += " line " + std::to_string(e.FSourceLine);
  switch (e.FElement) {
    case etHole:
    case etCircle:
      return where + ": " + (e.FElement == etHole ? "hole" : "circle") + " at (" + NumberText(e.FXC) + ", " +
             NumberText(e.FYC) + ") diameter " + NumberText(2 * e.FRad) + " " + unit;
    case etArc:
      return where + ": arc from (" + NumberText(e.FX1) + ", " + NumberText(e.FY1) + ") to (" + NumberText(e.FX2) +
             ", " + NumberText(e.FY2) + ") about (" + NumberText(e.FXC) + ", " + NumberText(e.FYC) + ") " + unit;
    default:
      return where + ": " + (e.FElement == etLine ? "line" : "figure") + " from (" + NumberText(e.FX1) + ", " +
             NumberText(e.FY1) + ") to (" + NumberText(e.FX2) + ", " + NumberText(e.FY2) + ") " + unit;
  }
}

// Empty when the figure may be drawn, else why not.
std::string Refusal(const TOutlineObject& e, double tol) {
  switch (e.FElement) {
    case etHole:
    case etCircle:
      if (!InRange(e.FXC) || !InRange(e.FYC) || !InRange(e.FRad)) return "position or size out of range";
      if (!(2 * e.FRad > tol)) return "diameter is zero or negative";
      return {};
    case etArc:
      if (!InRange(e.FXC) || !InRange(e.FYC)) return "arc centre out of range (bad arc angle)";
      if (!InRange(std::hypot(e.FX1 - e.FXC, e.FY1 - e.FYC))) return "arc radius out of range (bad arc angle)";
      [[fallthrough]];
    case etLine:
    case etRectangle:
      if (!InRange(e.FX1) || !InRange(e.FY1) || !InRange(e.FX2) || !InRange(e.FY2)) return "position out of range";
      return {};
    default: return {};
  }
}

bool Drawn(const TOutlineObject& e) {
  return e.FElement == etLine || e.FElement == etArc || e.FElement == etCircle || e.FElement == etHole ||
         e.FElement == etRectangle;
}

// The loop as a polygon, arcs in short chords; the counter-clockwise arc of the host runs from
// start to end, so a clockwise element is walked backwards along it.
std::vector<std::pair<double, double>> LoopPolygon(const std::vector<TElement>& loop) {
  std::vector<std::pair<double, double>> p;
  constexpr double kTwoPi = 6.283185307179586;
  for (const auto& el : loop) {
    const TOutlineObject& e = *el;
    if (e.FElement == etCircle || e.FElement == etHole) {
      for (int k = 0; k < 32; ++k)
        p.emplace_back(e.FXC + e.FRad * std::cos(kTwoPi * k / 32), e.FYC + e.FRad * std::sin(kTwoPi * k / 32));
      continue;
    }
    p.emplace_back(e.FX1, e.FY1);
    if (e.FElement != etArc) continue;
    double r = std::hypot(e.FX1 - e.FXC, e.FY1 - e.FYC);
    double a1 = std::atan2(e.FY1 - e.FYC, e.FX1 - e.FXC), a2 = std::atan2(e.FY2 - e.FYC, e.FX2 - e.FXC);
    double sweep = e.FIsCw ? a1 - a2 : a2 - a1;
    sweep = std::fmod(sweep, kTwoPi);
    if (sweep <= 0) sweep += kTwoPi;
    const double dir = e.FIsCw ? -1 : 1;
    for (int k = 1; k < 16; ++k) {
      double a = a1 + dir * sweep * k / 16;
      p.emplace_back(e.FXC + r * std::cos(a), e.FYC + r * std::sin(a));
    }
  }
  return p;
}

double Area(const std::vector<std::pair<double, double>>& p) {
  double a = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    auto [x0, y0] = p[i];
    auto [x1, y1] = p[(i + 1) % p.size()];
    a += x0 * y1 - x1 * y0;
  }
  return a / 2;
}

// Why the loop cannot be built, or empty.
std::string LoopFault(const std::vector<TElement>& loop, double tol) {
  for (const auto& e : loop)
    if (std::string why = Refusal(*e, tol); !why.empty()) return why;
  const bool single = loop.size() == 1 && (loop[0]->FElement == etCircle || loop[0]->FElement == etHole);
  if (!single) {
    for (const auto& e : loop)
      if (e->FElement == etCircle || e->FElement == etHole) return "a circle inside a loop of edges";
    for (size_t k = 0; k < loop.size(); ++k) {
      const TOutlineObject& a = *loop[k];
      const TOutlineObject& b = *loop[(k + 1) % loop.size()];
      if (std::hypot(a.FX2 - b.FX1, a.FY2 - b.FY1) > tol) return "the loop does not close";
    }
  }
  if (!(std::abs(Area(LoopPolygon(loop))) > tol * tol)) return "the loop encloses no area";
  return {};
}

using TPolygon = std::vector<std::pair<double, double>>;

bool Inside(const TPolygon& p, std::pair<double, double> q) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    if ((p[i].second > q.second) != (p[j].second > q.second) &&
        q.first < p[j].first + (p[i].first - p[j].first) * (q.second - p[j].second) / (p[i].second - p[j].second))
      in = !in;
  return in;
}

double Cross(std::pair<double, double> o, std::pair<double, double> a, std::pair<double, double> b) {
  return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
}

// Neither polygon reaches into the other: no vertex inside the other, no edges that cross.
bool Apart(const TPolygon& a, const TPolygon& b) {
  for (auto q : a)
    if (Inside(b, q)) return false;
  for (auto q : b)
    if (Inside(a, q)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = 0; j < b.size(); ++j) {
      auto a0 = a[i], a1 = a[(i + 1) % a.size()], b0 = b[j], b1 = b[(j + 1) % b.size()];
      if ((Cross(a0, a1, b0) > 0) != (Cross(a0, a1, b1) > 0) && (Cross(b0, b1, a0) > 0) != (Cross(b0, b1, a1) > 0))
        return false;
    }
  return true;
}

}  // namespace

void SketchableFigures(const TBoardOutlineObjectList& list, double tol, const std::string& unit,
                       TBoardOutlineObjectList& kept, std::vector<std::string>& problems) {
  // Loops that lose a line or an arc go as a whole.
  std::map<int, std::string> lostLoops;
  for (const auto& e : list) {
    if (!Drawn(*e)) continue;
    std::string why = Refusal(*e, tol);
    if (why.empty()) continue;
    problems.push_back("Figure left out: " + Describe(*e, list.fListName, unit) + " | " + why);
    if (e->FElement == etLine || e->FElement == etArc)
      lostLoops.emplace(e->FLoopLabel, Describe(*e, list.fListName, unit));
  }
  for (const auto& [label, first] : lostLoops)
    problems.push_back("Loop " + std::to_string(label) + " of " + list.fListName + " left out with " + first);
  for (const auto& e : list) {
    if (Drawn(*e) && !Refusal(*e, tol).empty()) continue;
    if ((e->FElement == etLine || e->FElement == etArc) && lostLoops.count(e->FLoopLabel)) continue;
    kept.Add(e);
  }
}

bool BuildableBoardLoops(const TBoardOutlineObjectList& list, double tol, const std::string& unit,
                         TBoardOutlineObjectList& kept, std::vector<std::string>& problems) {
  std::map<int, std::vector<TElement>> loops;
  for (const auto& e : list)
    if (Drawn(*e)) loops[e->FLoopLabel].push_back(e);
  bool outerOk = false;
  double outerArea = 0, ox0 = 0, oy0 = 0, ox1 = 0, oy1 = 0;
  TPolygon outer;
  if (auto it = loops.find(0); it != loops.end()) {
    std::string why = LoopFault(it->second, tol);
    if (why.empty()) {
      outerOk = true;
      auto p = LoopPolygon(it->second);
      outer = p;
      outerArea = std::abs(Area(p));
      ox0 = ox1 = p[0].first;
      oy0 = oy1 = p[0].second;
      for (auto [x, y] : p) {
        ox0 = std::min(ox0, x), ox1 = std::max(ox1, x), oy0 = std::min(oy0, y), oy1 = std::max(oy1, y);
      }
    } else {
      problems.push_back("Board outline loop left out: " + Describe(*it->second[0], list.fListName, unit) + " | " +
                         why);
    }
  } else {
    problems.push_back("Board outline of " + list.fListName + " has no outer loop");
  }
  std::vector<TElement> cutOuts;
  for (const auto& [label, loop] : loops) {
    if (label == 0) continue;
    std::string why = LoopFault(loop, tol);
    if (why.empty() && outerOk) {
      auto p = LoopPolygon(loop);
      double x0 = p[0].first, x1 = x0, y0 = p[0].second, y1 = y0;
      for (auto [x, y] : p) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      if (std::abs(Area(p)) >= outerArea || (x0 <= ox0 && y0 <= oy0 && x1 >= ox1 && y1 >= oy1))
        why = "the cut-out would remove the whole board";
      // Sketched with the outline, a loop clear of it would stand as a solid of its own.
      else if (x1 < ox0 || x0 > ox1 || y1 < oy0 || y0 > oy1 || Apart(p, outer))
        why = "the cut-out lies outside the board";
    }
    if (!why.empty())
      problems.push_back("Cut-out loop " + std::to_string(label) +
                         " left out: " + Describe(*loop[0], list.fListName, unit) + " | " + why);
    else
      cutOuts.insert(cutOuts.end(), loop.begin(), loop.end());
  }
  if (!outerOk) return false;
  for (const auto& e : loops[0]) kept.Add(e);
  for (const auto& e : cutOuts) kept.Add(e);
  return true;
}

}  // namespace figurechecks
