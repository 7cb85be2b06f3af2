// The loop builder finds the next element through an end-point index. These tests hold it
// against a builder that follows the chaining rules word for word: rescan the remaining
// elements from the front after every match and take the first that fits.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <sstream>

#include "platform/ScriptedPlatform.h"
#include "tests/outlines/OutlineTestUtils.h"

namespace {

using TList = TBoardOutlineObjectList;

bool ReferenceCreateLoops(TList& R, TList& theList, double tol, double closeTol, TOutlineLoopSet& Loops) {
  while (theList.Count() > 0) {
    auto loop = std::make_unique<TList>();
    auto f = theList.Extract(0);
    const double sx = f->FX1, sy = f->FY1;
    loop->Add(f);
    const TElementType k0 = f->FElement;
    bool finished = (k0 >= etCircle && k0 <= etOctagonalPad) || (k0 >= etHole && k0 <= etSphere);
    for (int k = 0; k < theList.Count() && !finished;) {
      bool closed = false;
      if (TList::MatchObjectAtEitherEndAndClose(theList.GetRecord(k), *f, sx, sy, tol, closeTol, closed)) {
        f = theList.Extract(k);
        loop->Add(f);
        finished = closed;
        k = 0;
      } else {
        ++k;
      }
    }
    if (!finished) {
      for (int i = loop->Count() - 1; i >= 0; --i) R.Insert(0, loop->Items(i));
      for (auto it = Loops.rbegin(); it != Loops.rend(); ++it)
        while ((*it)->Count() > 0) R.Insert(0, (*it)->Extract((*it)->Count() - 1));
      return false;
    }
    Loops.push_back(std::move(loop));
  }
  return !Loops.empty();
}

bool ReferenceMakeList(TList& R, TList& theList, double tol, double closeTol) {
  TOutlineLoopSet loops;
  R.fListName = theList.fListName;
  if (!ReferenceCreateLoops(R, theList, tol, closeTol, loops)) return false;
  R.SortLoopLists(loops);
  R.CountLoops();
  return true;
}

// Everything the model building could see of a list, with each element's identity (FComment).
std::string Dump(const TList& l) {
  std::ostringstream s;
  s.precision(17);
  s << "loops " << l.fNumLoops << "\n";
  for (const auto& e : l)
    s << e->FComment << " k" << e->FElement << " (" << e->FX1 << "," << e->FY1 << ")-(" << e->FX2 << "," << e->FY2
      << ") r" << e->FRad << " a" << e->FStartAngle << "/" << e->FEndAngle << " cw" << e->FIsCw << " L" << e->FLoopLabel
      << "\n";
  return s.str();
}

// Polygons of lines and arcs over a shared pool of corners, in mixed directions; when flawed,
// also some left open, some with an end moved by one grid step, and holes and circles.
std::vector<TOutlineObject> Soup(std::mt19937& rng, int shapes, double step, bool flawed) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto grid = [&] { return std::pair{pick(0, 24) * step, pick(0, 24) * step}; };
  std::vector<std::pair<double, double>> pool(12);
  for (auto& p : pool) p = grid();
  std::vector<TOutlineObject> out;
  for (int s = 0; s < shapes; ++s) {
    const int kind = flawed ? pick(0, 9) : 9;
    const auto c = grid();
    if (kind < 2) {
      out.push_back(kind == 0 ? *Hole(c.first, c.second, 0.5) : *Circle(c.first, c.second, 1));
      continue;
    }
    const int m = pick(flawed ? 1 : 2, 7);
    std::vector<std::pair<double, double>> v;
    for (int i = 0; i < m; ++i) v.push_back(pick(0, 2) == 0 ? pool[static_cast<std::size_t>(pick(0, 11))] : grid());
    const bool open = flawed && pick(0, 5) == 0;
    for (int i = 0; i < m - (open ? 1 : 0); ++i) {
      auto a = v[static_cast<std::size_t>(i)], b = v[static_cast<std::size_t>((i + 1) % m)];
      if (flawed && pick(0, 7) == 0) b.first += step;
      // A lone zero-length edge never closes (closing is only tested after a match).
      if (!flawed && a == b) continue;
      if (pick(0, 1)) std::swap(a, b);
      if (pick(0, 4) == 0 && a != b)
        out.push_back(*Arc(a.first, a.second, b.first, b.second, (a.first + b.first) / 2, (a.second + b.second) / 2,
                           pick(0, 1) == 0));
      else
        out.push_back(*Line(a.first, a.second, b.first, b.second));
    }
  }
  std::shuffle(out.begin(), out.end(), rng);
  for (std::size_t i = 0; i < out.size(); ++i) out[i].FComment = "#" + std::to_string(i);
  return out;
}

void Fill(TList& l, const std::vector<TOutlineObject>& v) {
  for (const auto& e : v) l.AddFromRecord(e);
}

TEST(LoopBuilderEquivalence, RandomSoupsGiveWhatTheLiteralRulesGive) {
  // Grid step, tolerance, close tolerance: exact, gaps equal to the tolerance, windows wider
  // than the grid so that several elements fit at once.
  const double cases[][3] = {{1, 0, 0}, {0.25, 0.25, 0.25}, {0.5, 0.25, 0.5}, {1, 3, 0.001}, {0.1, 0.1, 0.1}};
  int outcomes[2] = {0, 0};
  for (unsigned seed = 1; seed <= 2000; ++seed) {
    const auto& c = cases[seed % std::size(cases)];
    std::mt19937 rng(seed);
    const auto elements = Soup(rng, std::uniform_int_distribution<int>(1, 8)(rng), c[0], true);
    TList fast, slow;
    Fill(fast, elements);
    Fill(slow, elements);
    if (seed % 3) {
      const bool ok = fast.MakeListWithTolerance(fast, c[1], c[2]);
      ASSERT_EQ(ok, ReferenceMakeList(slow, slow, c[1], c[2])) << "seed " << seed;
      ASSERT_EQ(Dump(fast), Dump(slow)) << "seed " << seed;
      ++outcomes[ok];
    } else {
      // A separate receiver that already holds an element, and the loop sets themselves.
      TList rFast, rSlow;
      rFast.AddFromRecord(*Line(-1, -1, -2, -2));
      rSlow.AddFromRecord(*Line(-1, -1, -2, -2));
      TOutlineLoopSet loopsFast, loopsSlow;
      const bool ok = rFast.CreateLoops(fast, c[1], c[2], loopsFast);
      ASSERT_EQ(ok, ReferenceCreateLoops(rSlow, slow, c[1], c[2], loopsSlow));
      ++outcomes[ok];
      ASSERT_EQ(Dump(rFast), Dump(rSlow)) << "seed " << seed;
      ASSERT_EQ(Dump(fast), Dump(slow)) << "seed " << seed;
      ASSERT_EQ(loopsFast.size(), loopsSlow.size()) << "seed " << seed;
      for (std::size_t i = 0; i < loopsFast.size(); ++i) ASSERT_EQ(Dump(*loopsFast[i]), Dump(*loopsSlow[i]));
    }
  }
  // Both outcomes must be well represented, or the comparison proves little.
  EXPECT_GT(outcomes[0], 500);
  EXPECT_GT(outcomes[1], 300);
}

TEST(LoopBuilderEquivalence, LargeSoupsWithManyCoincidentCorners) {
  for (unsigned seed = 900; seed < 930; ++seed) {
    std::mt19937 rng(seed);
    const bool flawed = seed % 2 == 0;
    const auto elements = Soup(rng, 120, 0.25, flawed);
    for (double tol : {0.0, 0.25}) {
      TList fast, slow;
      Fill(fast, elements);
      Fill(slow, elements);
      const bool ok = fast.MakeListWithTolerance(fast, tol, tol);
      ASSERT_EQ(ok, ReferenceMakeList(slow, slow, tol, tol)) << seed;
      ASSERT_EQ(Dump(fast), Dump(slow)) << "seed " << seed << " tol " << tol;
      // Exact corners, each with an even number of ends: a chain can only stop at its start.
      if (!flawed && tol == 0) {
        EXPECT_TRUE(ok) << "seed " << seed;
      }
    }
  }
}

TEST(LoopBuilderEquivalence, NonNumberCoordinatesGiveTheSameListsAndMessages) {
  auto ui = std::make_shared<platform::TScriptedPlatform>();
  auto saved = platform::SetServices(ui);
  for (unsigned seed = 1; seed <= 50; ++seed) {
    std::mt19937 rng(seed);
    auto elements = Soup(rng, 4, 1, true);
    elements[0].FX2 = std::numeric_limits<double>::quiet_NaN();
    elements[elements.size() / 2].FY1 = std::numeric_limits<double>::infinity();
    TList fast, slow;
    Fill(fast, elements);
    Fill(slow, elements);
    ui->Calls.clear();
    const bool a = fast.MakeListWithTolerance(fast, 0.5, 0.5);
    const std::size_t messages = ui->Calls.size();
    ui->Calls.clear();
    EXPECT_EQ(a, ReferenceMakeList(slow, slow, 0.5, 0.5)) << seed;
    EXPECT_EQ(messages, ui->Calls.size()) << seed;
    EXPECT_EQ(Dump(fast), Dump(slow)) << seed;
  }
  platform::SetServices(saved);
}

}  // namespace
