#include <gtest/gtest.h>

#include <limits>

#include "CommonObjects/IdfStrUtils.h"
#include "platform/ScriptedPlatform.h"
#include "tests/outlines/OutlineTestUtils.h"

namespace {

using TList = TBoardOutlineObjectList;
using TElement = std::shared_ptr<TOutlineObject>;

void ExpectLine(const TOutlineObject& e, double x1, double y1, double x2, double y2) {
  EXPECT_EQ(std::vector({e.FX1, e.FY1, e.FX2, e.FY2}), std::vector({x1, y1, x2, y2}));
}

// Counter-clockwise square from (a, a) to (b, b).
void AddSquare(TList& l, double a, double b) {
  l.Add(Line(a, a, b, a));
  l.Add(Line(b, a, b, b));
  l.Add(Line(b, b, a, b));
  l.Add(Line(a, b, a, a));
}

TList One(TElement e) {
  TList l;
  l.Add(std::move(e));
  return l;
}

TEST(OutlineList, ElementsAreSharedNotOwned) {
  TList a, b;
  TElement e = Line(0, 0, 1, 1);
  std::weak_ptr<TOutlineObject> watch = e;
  a.Add(e);
  b.Add(e);
  e.reset();
  a.Clear();
  ASSERT_FALSE(watch.expired()) << "clearing one list must not take the element from another";
  EXPECT_EQ(b.Items(0), watch.lock());
  b.FreeListObjects();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(b.Count(), 1) << "the caller clears the slots";
  try {
    a.GetRecord(5);
    FAIL();
  } catch (const EListIndexError& x) {
    EXPECT_STREQ(x.what(), "List index out of bounds (5)");
  }
}

TEST(OutlineList, CopiesScalingAndLoopZero) {
  TList l;
  for (int label : {0, 1, 0, 2}) {
    l.Add(Arc(1, 0, 0, 1, 0, 0, false));
    l.GetRecord(l.Count() - 1).FLoopLabel = label;
  }
  l.fNumLoops = 3;
  l.fListName = "Outline";
  l.fColour = 99;
  l.fOutlineType = otBoardCutOut;
  TList copy;
  copy.AddFromList(l);
  copy.AddDataFromList(copy);
  ASSERT_EQ(copy.Count(), 8) << "copying into itself copies each element once";
  EXPECT_NE(copy.Items(1), l.Items(1));
  EXPECT_EQ(copy.GetRecord(5).FLoopLabel, 1);
  EXPECT_DOUBLE_EQ(copy.GetRecord(5).FEndAngle, 90);
  EXPECT_EQ(copy.fColour, 99);
  EXPECT_EQ(copy.fOutlineType, otBoardCutOut);
  copy.fOffSet = 2;
  copy.ApplyFactor(10);
  copy.Mirror(true, false, true);
  EXPECT_DOUBLE_EQ(copy.GetRecord(0).FX1, -10);
  EXPECT_TRUE(copy.GetRecord(0).FIsCw);
  EXPECT_DOUBLE_EQ(copy.fOffSet, 20);
  EXPECT_EQ(TList().CountLoops(), 1);

  const TElement inner = l.Items(1);
  l.DeleteLoopZero();
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l.GetRecord(1).FLoopLabel, 2);
  EXPECT_NE(l.Items(0), inner) << "the survivors are copies";
  EXPECT_EQ(l.fNumLoops, 3) << "still counts the deleted loop";
  EXPECT_EQ(l.fListName, "Outline");
  EXPECT_EQ(l.fColour, 0) << "not among the kept properties";
  EXPECT_EQ(l.fOutlineType, otBoardOutline);
  l.DeleteLoopZero();
  EXPECT_EQ(l.Count(), 2);
  TList only;
  AddSquare(only, 0, 1);
  only.DeleteLoopZero();
  EXPECT_EQ(only.Count(), 0);
}

TEST(OutlineChainTest, WindowAndEndOrder) {
  EXPECT_TRUE(TList::PointsEqual(0, 0, 0.5, -0.5, 0.5)) << "edges of the window included";
  EXPECT_FALSE(TList::PointsEqual(0, 0, 0.5, 0.75, 0.5));
  EXPECT_FALSE(TList::PointsEqual(3, 4, 3, 4.000000001, 0));

  const auto rec = Line(0, 0, 10, 0);
  bool closed = true;
  auto both = Line(10, 0, 10, 0);  // both ends touch: the first wins, no reversal
  EXPECT_TRUE(TList::MatchObjectAtEitherEndAndClose(*both, *rec, 10, 0, 0, 0, closed));
  EXPECT_TRUE(closed);
  EXPECT_FALSE(both->FIsCw);
  auto backward = Arc(0, 0, 10, 0, 5, 0, false);
  EXPECT_TRUE(TList::MatchObjectAtEitherEndAndClose(*backward, *rec, 0, 0, 0, 0, closed));
  ExpectLine(*backward, 10, 0, 0, 0);
  EXPECT_TRUE(backward->FIsCw);
  EXPECT_TRUE(closed) << "the reversed end is compared with the start";
  auto apart = Line(11, 0, 12, 0);
  EXPECT_FALSE(TList::MatchObjectAtEitherEndAndClose(*apart, *rec, 0, 0, 0.5, 0.5, closed));
  EXPECT_FALSE(closed);

  auto ui = std::make_shared<platform::TScriptedPlatform>();
  auto saved = platform::SetServices(ui);
  EXPECT_FALSE(TList::PointsEqual(std::numeric_limits<double>::quiet_NaN(), 0, 2.5, 0, 1));
  platform::SetServices(saved);
  ASSERT_EQ(ui->CallsOf("ShowMessage").size(), 1u);
  EXPECT_EQ(ui->CallsOf("ShowMessage")[0].Text, "NAN 2.5") << "a non-number is reported with both x";
}

TEST(OutlineLoopBuilder, HolesKeepTheirOrderAndTheInnerOnesAreReversed) {
  TList l;
  l.Add(Hole(10, 10, 1));
  l.Add(Hole(20, 20, 1));
  l.Add(Hole(5, 5, 1));
  const TElement first = l.Items(0);
  ASSERT_TRUE(l.MakeListWithTolerance(l, 0, 0));
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Items(0), first);
  EXPECT_EQ(l.fNumLoops, 3);
  EXPECT_FALSE(first->FIsCw);
  EXPECT_DOUBLE_EQ(first->FStartAngle, 0);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l.GetRecord(i).FLoopLabel, i);
  for (int i = 1; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(l.GetRecord(i).FXC, i == 1 ? 20 : 5);
    EXPECT_TRUE(l.GetRecord(i).FIsCw);
    EXPECT_DOUBLE_EQ(l.GetRecord(i).FStartAngle, 225) << "the origin seen from the centre";
  }
}

TEST(OutlineLoopBuilder, ShuffledClockwiseSquareBecomesCounterClockwise) {
  TList l, r;
  l.Add(Line(0, 0, 0, 10));
  l.Add(Line(10, 10, 10, 0));
  l.Add(Line(10, 10, 0, 10));  // against the others
  l.Add(Line(10, 0, 0, 0));
  l.fListName = "Sq";
  ASSERT_TRUE(r.MakeListWithTolerance(l, 0.001, 0.001));
  EXPECT_EQ(l.Count(), 0);
  ASSERT_EQ(r.Count(), 4);
  EXPECT_EQ(r.fListName, "Sq");
  EXPECT_EQ(r.fNumLoops, 1);
  ExpectLine(r.GetRecord(0), 0, 0, 10, 0);
  ExpectLine(r.GetRecord(1), 10, 0, 10, 10);
  ExpectLine(r.GetRecord(2), 10, 10, 0, 10);
  ExpectLine(r.GetRecord(3), 0, 10, 0, 0);
}

TEST(OutlineLoopBuilder, OuterLoopNeedsAStrictlyGreaterCornerAndInnerLoopsRunClockwise) {
  TList nested;
  AddSquare(nested, 2, 8);
  AddSquare(nested, 0, 10);
  ASSERT_TRUE(nested.MakeListWithTolerance(nested, 0, 0));
  EXPECT_EQ(nested.fNumLoops, 2);
  ExpectLine(nested.GetRecord(0), 0, 0, 10, 0);
  EXPECT_EQ(nested.GetRecord(3).FLoopLabel, 0);
  ExpectLine(nested.GetRecord(4), 2, 2, 2, 8);
  ExpectLine(nested.GetRecord(5), 2, 8, 8, 8);
  EXPECT_EQ(nested.GetRecord(7).FLoopLabel, 1);

  TList tie;
  AddSquare(tie, 5, 10);
  AddSquare(tie, 0, 10);
  ASSERT_TRUE(tie.MakeListWithTolerance(tie, 0, 0));
  EXPECT_DOUBLE_EQ(tie.GetRecord(0).FX1, 5) << "equal corners keep the first loop";
  EXPECT_EQ(tie.GetRecord(4).FLoopLabel, 1);

  TList circles;
  circles.Add(Circle(0, 0, 1));
  circles.Add(Circle(0, 0, 5));
  ASSERT_TRUE(circles.MakeListWithTolerance(circles, 0, 0));
  EXPECT_DOUBLE_EQ(circles.GetRecord(0).FRad, 5);
  EXPECT_FALSE(circles.GetRecord(1).FIsCw) << "circles are never reversed";
}

TEST(OutlineLoopBuilder, GapEqualToTheToleranceChains) {
  TList l, copy;
  l.Add(Line(0, 0, 10, 0));
  l.Add(Line(10.25, 0, 5, 5));
  l.Add(Line(5, 5, 0, 0.25));
  copy.AddDataFromList(l);
  EXPECT_TRUE(TList().MakeListWithTolerance(l, 0.25, 0.25));
  EXPECT_FALSE(TList().MakeListWithTolerance(copy, 0.125, 0.25));
}

TEST(OutlineLoopBuilder, FailureHandsBackLoopsThenTheChainThenTheRest) {
  const std::vector<TElement> e{Line(0, 0, 1, 0), Line(1, 0, 0, 1), Line(0, 1, 0, 0),  // triangle
                                Line(5, 5, 6, 5), Line(7, 7, 6, 5),                    // open chain
                                Hole(3, 3, 1)};
  for (auto& x : e) x->FLoopLabel = 7;
  TList self;
  for (auto& x : e) self.Add(x);
  self.fNumLoops = 9;
  EXPECT_FALSE(self.MakeListWithTolerance(self, 0, 0));
  ASSERT_EQ(self.Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(self.Items(i), e[static_cast<std::size_t>(i)]);
  EXPECT_EQ(self.fNumLoops, 9);
  EXPECT_EQ(e[4]->FLoopLabel, 7);
  EXPECT_DOUBLE_EQ(e[4]->FX1, 6) << "reversed while chaining";

  TList src, r;
  for (auto& x : e) src.Add(x);
  const TElement before = Line(9, 9, 9, 8);
  r.Add(before);
  e[4]->SwapPoints();
  TOutlineLoopSet loops;
  EXPECT_FALSE(r.CreateLoops(src, 0, 0, loops));
  ASSERT_EQ(loops.size(), 1u);
  EXPECT_EQ(loops[0]->Count(), 0) << "the loop made gave its elements back";
  ASSERT_EQ(r.Count(), 6);
  EXPECT_EQ(r.Items(4), e[4]);
  EXPECT_EQ(r.Items(5), before);
  ASSERT_EQ(src.Count(), 1);
  EXPECT_EQ(src.Items(0), e[5]) << "never reached, stays in the source";

  TList empty;
  empty.fNumLoops = 4;
  EXPECT_FALSE(empty.MakeListWithTolerance(empty, 0, 0));
  EXPECT_EQ(empty.fNumLoops, 4);
}

TEST(OutlineLoopBuilder, SharedCornerFollowsTheLowestIndexedFitEvenByItsSecondPoint) {
  // Two triangles touching at (0,0): the chain goes on into the other triangle, whose edge
  // comes first in the list though it touches with its second point, before closing its own.
  const std::vector<TElement> e{Line(4, 0, 0, 4),   Line(0, 4, 0, 0),  Line(-4, 0, 0, 0),
                                Line(-4, 0, 0, -4), Line(0, -4, 0, 0), Line(0, 0, 4, 0)};
  TList l, r;
  for (auto& x : e) l.Add(x);
  TOutlineLoopSet loops;
  ASSERT_TRUE(r.CreateLoops(l, 0, 0, loops));
  ASSERT_EQ(loops.size(), 1u) << "a figure eight, not two triangles";
  for (int i = 0; i < 6; ++i) EXPECT_EQ(loops[0]->Items(i), e[static_cast<std::size_t>(i)]);
  ExpectLine(*e[2], 0, 0, -4, 0);
}

TEST(OutlineTopRight, ElementArcAndLoopRules) {
  double x = 0, y = 0;
  auto at = [&](const TElement& e) {
    TList::GetTopRightCoordsFromObject(*e, x, y);
    return std::vector({x, y});
  };
  EXPECT_EQ(at(Circle(5, 5, 2)), std::vector({7.0, 7.0}));
  EXPECT_EQ(at(Line(3, 9, 3, 1)), std::vector({3.0, 9.0})) << "vertical: the upper end";
  EXPECT_EQ(at(Line(8, 2, 1, 2)), std::vector({1.0, 2.0})) << "horizontal: always the second";
  EXPECT_EQ(at(Line(8, 0, 1, 5)), std::vector({8.0, 0.0})) << "slanted: the greater x";
  EXPECT_EQ(at(Hole(4, 4, 1)), std::vector({0.0, 0.0}));
  EXPECT_EQ(at(Arc(3, -4, 3, 4, 0, 0, false)), std::vector({5.0, 4.0}));
  EXPECT_EQ(at(Arc(-3, 4, 3, 4, 0, 0, true)), std::vector({3.0, 5.0}));
  EXPECT_EQ(at(Arc(3, 4, 4, -3, 0, 0, true)), std::vector({5.0, 5.0}));
  EXPECT_EQ(at(Arc(3, 4, -4, 3, 0, 0, false)), std::vector({3.0, 4.0})) << "no rule fits: the greater x";
  EXPECT_EQ(at(Arc(-3, -4, 4, 3, 0, 0, true)), std::vector({4.0, 3.0}));

  TList l;
  l.Add(Line(0, 0, 10, 0));  // (10, 0)
  l.Add(Line(0, 0, 0, 10));  // (0, 10): y grows
  l.Add(Line(0, 0, 5, 5));   // (5, 5): x grows against the candidate, so it replaces it
  l.Add(Line(0, 0, 4, 4));
  EXPECT_EQ(TList::GetTopRightObject(l), l.Items(2));
  EXPECT_EQ(TList::GetTopRightObject(TList()), nullptr);
  double xt = -1, yt = -1;
  TList::GetTopRightCoordsFromLoop(l, xt, yt);
  EXPECT_EQ(std::vector({xt, yt}), std::vector({10.0, 10.0}));

  TOutlineLoopSet loops;
  for (auto [cx, cy] : {std::pair{5.0, 5.0}, std::pair{9.0, 5.0}, std::pair{6.0, 6.0}, std::pair{6.0, 7.0}})
    loops.push_back(std::make_unique<TList>(One(Line(0, 0, cx, cy))));
  EXPECT_EQ(TList::GetOuterLoopIndex(loops), 2) << "both coordinates must grow";
}

TEST(OutlineDirection, IsLoopCWLooksAtTheTopRightElementOnly) {
  EXPECT_TRUE(TList::IsLoopCW(One(Line(0, -5, 0, 0)), 0)) << "upward edge: the distance rule decides";
  EXPECT_FALSE(TList::IsLoopCW(One(Line(0, 5, 0, 10)), 0));
  EXPECT_TRUE(TList::IsLoopCW(One(Line(0, 10, 0, 5)), 0));
  EXPECT_TRUE(TList::IsLoopCW(One(Line(0, 3, 4, 3)), 0));
  EXPECT_FALSE(TList::IsLoopCW(One(Line(0, 3, -4, 3)), 0));
  EXPECT_TRUE(TList::IsLoopCW(One(Line(4, 3, 0, 3)), 0)) << "leftward, but the first point lies farther out";
  EXPECT_FALSE(TList::IsLoopCW(One(Hole(1, 1, 1)), 1));
  EXPECT_FALSE(TList::IsLoopCW(One(Circle(1, 1, 1)), 0));
  EXPECT_TRUE(TList::IsLoopCW(One(Circle(1, 1, 1)), 1));
  EXPECT_TRUE(TList::IsLoopCW(One(Arc(1, 0, 0, 1, 0, 0, true)), 0));
  EXPECT_FALSE(TList::IsLoopCW(TList(), 0));
}

}  // namespace
