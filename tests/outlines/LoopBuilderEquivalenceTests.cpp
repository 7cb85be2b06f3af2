// The loop builder finds the next element through an end-point index. These tests hold it
// against a builder that follows the chaining rules word for word: rescan the remaining
// elements from the front after every match, take the first that fits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include "OutlineTestUtils.h"
#include "ScriptedPlatform.h"

namespace {

using TList = TBoardOutlineObjectList;

bool ClosedKind(TElementType e) { return (e >= etCircle && e <= etOctagonalPad) || (e >= etHole && e <= etSphere); }

bool ReferenceCreateLoops(TList& R, TList& theList, double tol, double closeTol, TOutlineLoopSet& Loops) {
  while (theList.Count() > 0) {
    auto loop = std::make_unique<TList>();
    auto f = theList.Items(0);
    const double sx = f->FX1, sy = f->FY1;
    loop->Add(f);
    theList.Extract(0);
    bool finished = ClosedKind(f->FElement);
    int k = 0;
    while (k < theList.Count() && !finished) {
      bool closed = false;
      if (TList::MatchObjectAtEitherEndAndClose(theList.GetRecord(k), *f, sx, sy, tol, closeTol, closed)) {
        auto e = theList.Extract(k);
        loop->Add(e);
        if (closed) {
          finished = true;
        } else {
          f = e;
          k = 0;
        }
      } else {
        ++k;
      }
    }
    if (!finished) {
      for (int i = loop->Count() - 1; i >= 0; --i) R.Insert(0, loop->Items(i));
      for (int li = static_cast<int>(Loops.size()) - 1; li >= 0; --li) {
        TList& made = *Loops[static_cast<std::size_t>(li)];
        while (made.Count() > 0) R.Insert(0, made.Extract(made.Count() - 1));
      }
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

// Everything the host builder could see of a list, with each element's identity (FComment).
std::string Dump(const TList& l) {
  std::ostringstream s;
  s.precision(17);
  s << "n=" << l.fNumLoops << " name=" << l.fListName << "\n";
  for (const auto& e : l)
    s << e->FComment << " k" << e->FElement << " (" << e->FX1 << "," << e->FY1 << ")-(" << e->FX2 << "," << e->FY2
      << ") c(" << e->FXC << "," << e->FYC << ") r" << e->FRad << " a" << e->FStartAngle << "/" << e->FEndAngle
      << " cw" << e->FIsCw << " L" << e->FLoopLabel << "\n";
  return s.str();
}

std::string DumpLoops(const TOutlineLoopSet& loops) {
  std::string s;
  for (const auto& l : loops) s += "[" + Dump(*l) + "]";
  return s;
}

// Random element soups: polygons of lines and arcs over a shared pool of corners, in mixed
// directions, some left open, some with an end moved by the grid step, holes and circles
// among them, all shuffled.
class TSoup {
 public:
  explicit TSoup(unsigned seed) : rng(seed) {}

  std::vector<TOutlineObject> Make(int shapes, double step, bool flawed = true) {
    std::vector<TOutlineObject> out;
    std::vector<std::pair<double, double>> pool;
    for (int i = 0; i < 12; ++i) pool.push_back({Grid(step), Grid(step)});
    for (int s = 0; s < shapes; ++s) {
      // Holes and circles are closed by themselves, but their points can still join a chain.
      const int kind = flawed ? Pick(0, 9) : 9;
      if (kind == 0) {
        out.push_back(*Hole(Grid(step), Grid(step), 0.5));
        continue;
      }
      if (kind == 1) {
        out.push_back(*Circle(Grid(step), Grid(step), 1));
        continue;
      }
      const int m = Pick(flawed ? 1 : 2, 7);
      std::vector<std::pair<double, double>> v;
      for (int i = 0; i < m; ++i) v.push_back(Pick(0, 2) == 0 ? pool[static_cast<std::size_t>(Pick(0, 11))]
                                                               : std::pair{Grid(step), Grid(step)});
      const bool open = flawed && Pick(0, 5) == 0;
      for (int i = 0; i < m; ++i) {
        if (open && i == m - 1) break;
        auto a = v[static_cast<std::size_t>(i)];
        auto b = v[static_cast<std::size_t>((i + 1) % m)];
        if (flawed && Pick(0, 7) == 0) b.first += step * (Pick(0, 1) ? 1 : -1);  // a gap of one grid step
        // A lone zero-length edge is never closed (closing is only tested after a match).
        if (!flawed && a == b) continue;
        if (Pick(0, 1)) std::swap(a, b);
        if (Pick(0, 4) == 0 && a != b) {
          out.push_back(*Arc(a.first, a.second, b.first, b.second, (a.first + b.first) / 2,
                             (a.second + b.second) / 2, Pick(0, 1) == 0));
        } else {
          out.push_back(*Line(a.first, a.second, b.first, b.second));
        }
      }
    }
    std::shuffle(out.begin(), out.end(), rng);
    for (std::size_t i = 0; i < out.size(); ++i) out[i].FComment = "#" + std::to_string(i);
    return out;
  }

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

 private:
  double Grid(double step) { return Pick(0, 24) * step; }
  std::mt19937 rng;
};

void Fill(TList& l, const std::vector<TOutlineObject>& v) {
  for (const auto& e : v) l.AddFromRecord(e);
}

struct Case {
  double step, tol, closeTol;
};

TEST(LoopBuilderEquivalence, RandomSoupsGiveTheSameListsAsTheLiteralRules) {
  const Case cases[] = {{1, 0, 0}, {0.25, 0.25, 0.25}, {0.5, 0.25, 0.5}, {1, 3, 0.001}, {0.1, 0.1, 0.1}};
  int successes = 0, failures = 0;
  for (unsigned seed = 1; seed <= 1500; ++seed) {
    const Case& c = cases[seed % std::size(cases)];
    TSoup soup(seed);
    const auto elements = soup.Make(soup.Pick(1, 8), c.step);

    TList fast, slow;
    Fill(fast, elements);
    Fill(slow, elements);
    fast.fListName = slow.fListName = "soup";
    const bool a = fast.MakeListWithTolerance(fast, c.tol, c.closeTol);
    const bool b = ReferenceMakeList(slow, slow, c.tol, c.closeTol);
    ASSERT_EQ(a, b) << "seed " << seed;
    ASSERT_EQ(Dump(fast), Dump(slow)) << "seed " << seed;
    (a ? successes : failures)++;
  }
  // Both outcomes must be well represented, or the comparison proves little.
  EXPECT_GT(successes, 300);
  EXPECT_GT(failures, 300);
}

TEST(LoopBuilderEquivalence, SeparateReceiverAndLoopSetsMatchTheLiteralRules) {
  for (unsigned seed = 5000; seed < 5600; ++seed) {
    TSoup soup(seed);
    const double tol = seed % 2 ? 0.5 : 0;
    const auto elements = soup.Make(soup.Pick(1, 6), 0.5);
    const auto prior = soup.Make(1, 0.5);

    TList srcA, srcB, rA, rB;
    Fill(srcA, elements);
    Fill(srcB, elements);
    Fill(rA, prior);
    Fill(rB, prior);
    TOutlineLoopSet loopsA, loopsB;
    const bool a = rA.CreateLoops(srcA, tol, tol, loopsA);
    const bool b = ReferenceCreateLoops(rB, srcB, tol, tol, loopsB);
    ASSERT_EQ(a, b) << "seed " << seed;
    ASSERT_EQ(Dump(rA), Dump(rB)) << "seed " << seed;
    ASSERT_EQ(Dump(srcA), Dump(srcB)) << "seed " << seed;
    ASSERT_EQ(DumpLoops(loopsA), DumpLoops(loopsB)) << "seed " << seed;
  }
}

TEST(LoopBuilderEquivalence, LargeShuffledPolygonsWithManyCoincidentCorners) {
  for (unsigned seed = 900; seed < 930; ++seed) {
    TSoup soup(seed);
    const auto elements = soup.Make(120, 0.25, seed % 2 == 0);
    for (double tol : {0.0, 0.25}) {
      TList fast, slow;
      Fill(fast, elements);
      Fill(slow, elements);
      const bool ok = fast.MakeListWithTolerance(fast, tol, tol);
      ASSERT_EQ(ok, ReferenceMakeList(slow, slow, tol, tol)) << seed;
      // Exact corners: every corner has an even number of ends, so a chain can only stop at its start.
      if (seed % 2 == 1 && tol == 0) {
        EXPECT_TRUE(ok) << "whole polygons close: seed " << seed;
      }
      ASSERT_EQ(Dump(fast), Dump(slow)) << "seed " << seed << " tol " << tol;
    }
  }
}

TEST(LoopBuilderEquivalence, ClosedPolygonSoupsAllClose) {
  // Only whole polygons with exact corners: every soup must close, in both builders alike.
  for (unsigned seed = 1; seed <= 200; ++seed) {
    std::mt19937 rng(seed);
    std::vector<TOutlineObject> v;
    const int polys = 1 + static_cast<int>(rng() % 6);
    for (int p = 0; p < polys; ++p) {
      const int m = 3 + static_cast<int>(rng() % 8);
      const double cx = static_cast<double>(rng() % 50), cy = static_cast<double>(rng() % 50);
      for (int i = 0; i < m; ++i) {
        double a1 = 2 * kPi * i / m, a2 = 2 * kPi * (i + 1) / m;
        double x1 = cx + 10 * std::cos(a1), y1 = cy + 10 * std::sin(a1);
        double x2 = cx + 10 * std::cos(a2), y2 = cy + 10 * std::sin(a2);
        if (i == m - 1) x2 = cx + 10, y2 = cy;  // the same corner, bit for bit
        if (rng() % 2) std::swap(x1, x2), std::swap(y1, y2);
        v.push_back(*Line(x1, y1, x2, y2));
      }
    }
    std::shuffle(v.begin(), v.end(), rng);
    for (std::size_t i = 0; i < v.size(); ++i) v[i].FComment = "#" + std::to_string(i);
    TList fast, slow;
    Fill(fast, v);
    Fill(slow, v);
    ASSERT_TRUE(fast.MakeListWithTolerance(fast, 1e-9, 1e-9)) << seed;
    ASSERT_TRUE(ReferenceMakeList(slow, slow, 1e-9, 1e-9)) << seed;
    ASSERT_EQ(Dump(fast), Dump(slow)) << seed;
  }
}

TEST(LoopBuilderEquivalence, NonNumberCoordinatesBehaveLikeTheLiteralRulesMessagesIncluded) {
  auto ui = std::make_shared<platform::TScriptedPlatform>();
  auto saved = platform::SetServices(ui);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (unsigned seed = 1; seed <= 50; ++seed) {
    TSoup soup(seed);
    auto elements = soup.Make(4, 1);
    elements[0].FX2 = nan;
    elements[elements.size() / 2].FY1 = std::numeric_limits<double>::infinity();
    TList fast, slow;
    Fill(fast, elements);
    Fill(slow, elements);
    ui->Calls.clear();
    const bool a = fast.MakeListWithTolerance(fast, 0.5, 0.5);
    const std::size_t messagesA = ui->Calls.size();
    ui->Calls.clear();
    const bool b = ReferenceMakeList(slow, slow, 0.5, 0.5);
    EXPECT_EQ(a, b) << seed;
    EXPECT_EQ(messagesA, ui->Calls.size()) << seed;
    EXPECT_EQ(Dump(fast), Dump(slow)) << seed;
  }
  platform::SetServices(saved);
}

}  // namespace
