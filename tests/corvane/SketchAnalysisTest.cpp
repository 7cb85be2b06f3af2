#include "corvane/Sketch2d.h"
#include "tests/corvane/HostFixture.h"

#include <random>
#include <set>

namespace hosttest {
namespace {

struct TCounts {
  int Disjoint, Open, Overlaps, Intersections, Degenerate;
};

TCounts Analyze(const std::shared_ptr<ICVSketch>& s, bool heal, double tol = 1e-4) {
  auto a = s->Analyze(true, true, true, true, true, heal, tol);
  return {a->Get_DisjointEnds()->Get_Count(), a->Get_OpenLoops()->Get_Count(), a->Get_OverLaps()->Get_Count(),
          a->Get_Intersections()->Get_Count(), a->Get_DegenerateFigures()->Get_Count()};
}

class SketchAnalysis : public HostTest {
 protected:
  std::shared_ptr<ICVSketch> SquareWithGap(double gap) {
    Part = NewPart("P");
    auto s = Part->Get_Sketches()->AddSketch(nullptr, XyPlane(Part), "S");
    s->Get_Figures()->AddLine(0, 0, 1, 0);
    s->Get_Figures()->AddLine(1, 0, 1, 1);
    s->Get_Figures()->AddLine(1, 1, 0, 1);
    s->Get_Figures()->AddLine(0, 1, 0, gap);
    return s;
  }
  std::shared_ptr<ICVPartSession> Part;
};

TEST_F(SketchAnalysis, GapWithinToleranceHealsAndCloses) {
  auto s = SquareWithGap(5e-5);
  EXPECT_FALSE(s->Get_IsClosed());
  auto c = Analyze(s, true);
  EXPECT_EQ(c.Disjoint, 2);
  EXPECT_EQ(c.Open, 0);
  EXPECT_TRUE(s->Get_IsClosed());
  ASSERT_FALSE(HasError(Boss(Part, s, 1, false)));
  EXPECT_NEAR(Part->Get_Bodies()->Get_Item(0)->Get_Volume(), 1.0, 1e-4);
  // Healed: a second analysis finds nothing.
  auto again = Analyze(s, true);
  EXPECT_EQ(again.Disjoint + again.Open + again.Overlaps + again.Intersections + again.Degenerate, 0);
}

TEST_F(SketchAnalysis, GapBeyondToleranceStaysOpenAndIsReported) {
  auto s = SquareWithGap(5e-3);
  auto c = Analyze(s, true);
  EXPECT_EQ(c.Open, 1);
  EXPECT_EQ(c.Disjoint, 0);
  EXPECT_FALSE(s->Get_IsClosed());
  EXPECT_TRUE(HasError(Boss(Part, s, 1, false)));
}

TEST_F(SketchAnalysis, WithoutHealTheGapStays) {
  auto s = SquareWithGap(5e-5);
  EXPECT_EQ(Analyze(s, false).Disjoint, 2);
  EXPECT_FALSE(s->Get_IsClosed());
}

TEST_F(SketchAnalysis, DegenerateFigureIsDroppedByHealing) {
  auto s = SquareWithGap(0);
  s->Get_Figures()->AddLine(0.5, 0.5, 0.5, 0.5);
  s->Get_Figures()->AddCircle(3, 3, 0.0);
  EXPECT_FALSE(s->Get_IsClosed());  // the zero line dangles
  auto c = Analyze(s, true);
  EXPECT_EQ(c.Degenerate, 2);
  EXPECT_TRUE(s->Get_IsClosed());
}

TEST_F(SketchAnalysis, CrossingAndOverlappingFiguresAreCounted) {
  Part = NewPart("P");
  auto s = Part->Get_Sketches()->AddSketch(nullptr, XyPlane(Part), "S");
  s->Get_Figures()->AddLine(0, 0, 2, 2);
  s->Get_Figures()->AddLine(0, 2, 2, 0);  // crosses the first
  s->Get_Figures()->AddLine(5, 0, 7, 0);
  s->Get_Figures()->AddLine(6, 0, 8, 0);  // overlaps the third
  s->Get_Figures()->AddCircle(10, 0, 1);
  s->Get_Figures()->AddCircle(11, 0, 1);  // two crossing circles
  s->Get_Figures()->AddCircularArcByCenterStartEnd(20, 0, 21, 0, 19, 0);
  s->Get_Figures()->AddCircularArcByCenterStartEnd(20, 0, 20, 1, 20, -1);  // shares its upper-left quarter
  auto c = Analyze(s, false);
  EXPECT_EQ(c.Intersections, 2);
  EXPECT_EQ(c.Overlaps, 2);
}

TEST_F(SketchAnalysis, CornersSharedByLinesAndArcsAreNotIntersections) {
  Part = NewPart("P");
  auto s = Part->Get_Sketches()->AddSketch(nullptr, XyPlane(Part), "S");
  // A slot: two lines and two half circles.
  s->Get_Figures()->AddLine(0, 0, 2, 0);
  s->Get_Figures()->AddCircularArcByCenterStartEnd(2, 0.5, 2, 0, 2, 1);
  s->Get_Figures()->AddLine(2, 1, 0, 1);
  s->Get_Figures()->AddCircularArcByCenterStartEnd(0, 0.5, 0, 1, 0, 0);
  auto c = Analyze(s, true);
  EXPECT_EQ(c.Disjoint + c.Open + c.Overlaps + c.Intersections + c.Degenerate, 0);
  EXPECT_TRUE(s->Get_IsClosed());
  ASSERT_FALSE(HasError(Boss(Part, s, 1, false)));
  EXPECT_NEAR(Part->Get_Bodies()->Get_Item(0)->Get_Volume(), 2 + kPi * 0.25, 1e-6);
}

TEST_F(SketchAnalysis, ArcEndWithinToleranceHealsToTheArc) {
  Part = NewPart("P");
  auto s = Part->Get_Sketches()->AddSketch(nullptr, XyPlane(Part), "S");
  s->Get_Figures()->AddCircularArcByCenterStartEnd(0, 0, 1, 0, -1, 0);
  s->Get_Figures()->AddLine(-1 + 4e-5, 3e-5, 1 - 2e-5, 0);
  EXPECT_EQ(Analyze(s, true).Disjoint, 4);
  ASSERT_TRUE(s->Get_IsClosed());
  ASSERT_FALSE(HasError(Boss(Part, s, 1, false)));
  EXPECT_NEAR(Part->Get_Bodies()->Get_Item(0)->Get_Volume(), kPi / 2, 1e-4);
}

TEST_F(SketchAnalysis, ArcEndingWhereItStartsIsAFullCircle) {
  Part = NewPart("P");
  auto s = Part->Get_Sketches()->AddSketch(nullptr, XyPlane(Part), "S");
  s->Get_Figures()->AddCircularArcByCenterStartEnd(0, 0, 1, 0, 1, 0);
  // Short of a full turn by less than the tolerance: still a long arc, its ends get joined.
  s->Get_Figures()->AddCircularArcByCenterStartEnd(5, 0, 6, 2e-5, 6, 0);
  auto c = Analyze(s, true);
  EXPECT_EQ(c.Degenerate, 0);
  EXPECT_EQ(c.Disjoint, 2);
  ASSERT_TRUE(s->Get_IsClosed());
  ASSERT_FALSE(HasError(Boss(Part, s, 1, false)));
  EXPECT_NEAR(Part->Get_Bodies()->Get_Item(0)->Get_Volume(), 2 * kPi, 1e-3);
}

// ------------------------------------------------------------- plane geometry

TEST(OverlappingPairs, MatchesBruteForce) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> pos(0, 10), size(0, 0.4);
  std::vector<corvane::TBox2> boxes;
  for (int i = 0; i < 600; ++i) {
    double x = pos(rng), y = pos(rng);
    boxes.push_back({x, y, x + size(rng), y + size(rng)});
  }
  boxes.push_back({-1, -1, 11, 11});  // one spanning everything
  boxes.push_back({4, 4, 7, 4.5});    // a long one among the others
  std::set<std::pair<int, int>> grid, anyOrder, brute;
  corvane::ForEachOverlappingPair(boxes, 0.01, [&](int i, int j) {
    EXPECT_LT(i, j);
    EXPECT_TRUE(grid.insert({i, j}).second) << "pair reported twice";
  });
  corvane::ForEachOverlappingPairInAnyOrder(boxes, 0.01, [&](int i, int j) {
    EXPECT_LT(i, j);
    EXPECT_TRUE(anyOrder.insert({i, j}).second) << "pair reported twice";
  });
  for (int i = 0; i < static_cast<int>(boxes.size()); ++i)
    for (int j = i + 1; j < static_cast<int>(boxes.size()); ++j)
      if (boxes[i].Overlaps(boxes[j], 0.01)) brute.insert({i, j});
  EXPECT_EQ(grid, brute);
  EXPECT_EQ(anyOrder, brute);
}

TEST(Regions, NestingAlternatesMaterialAndOpening) {
  using corvane::TFigure;
  using corvane::TFigureKind;
  std::vector<TFigure> figs;
  auto rect = [&](double a, double b) {
    corvane::TPoint2 c[4] = {{a, a}, {b, a}, {b, b}, {a, b}};
    for (int i = 0; i < 4; ++i) figs.push_back({TFigureKind::Line, c[i], c[(i + 1) % 4], {}, 0});
  };
  rect(0, 10);
  rect(1, 9);
  figs.push_back({TFigureKind::Circle, {}, {}, {5, 5}, 2});
  figs.push_back({TFigureKind::Circle, {}, {}, {5, 5}, 1});
  figs.push_back({TFigureKind::Circle, {}, {}, {20, 20}, 1});  // separate
  std::vector<corvane::TLoop> loops;
  ASSERT_TRUE(corvane::BuildLoops(figs, 1e-6, loops));
  ASSERT_EQ(loops.size(), 5u);
  auto regions = corvane::BuildRegions(loops);
  ASSERT_EQ(regions.size(), 3u);
  size_t holes = 0;
  for (auto& r : regions) holes += r.Holes.size();
  EXPECT_EQ(holes, 2u);
}

TEST(Regions, BranchingEndsAreNotALoop) {
  using corvane::TFigureKind;
  std::vector<corvane::TFigure> figs = {
      {TFigureKind::Line, {0, 0}, {1, 0}, {}, 0},
      {TFigureKind::Line, {1, 0}, {0, 1}, {}, 0},
      {TFigureKind::Line, {0, 1}, {0, 0}, {}, 0},
      {TFigureKind::Line, {0, 0}, {-1, -1}, {}, 0},
  };
  std::vector<corvane::TLoop> loops;
  EXPECT_FALSE(corvane::BuildLoops(figs, 1e-6, loops));
}

}  // namespace
}  // namespace hosttest
