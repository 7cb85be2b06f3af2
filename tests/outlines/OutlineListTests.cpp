#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "IdfStrUtils.h"
#include "OutlineTestUtils.h"
#include "ScriptedPlatform.h"

namespace {

using TList = TBoardOutlineObjectList;

// Every element's first point meets the previous element's second point, within the loop.
void ExpectHeadToTail(const TList& l, int from, int to) {
  for (int i = from + 1; i < to; ++i) {
    EXPECT_DOUBLE_EQ(l.GetRecord(i).FX1, l.GetRecord(i - 1).FX2) << "element " << i;
    EXPECT_DOUBLE_EQ(l.GetRecord(i).FY1, l.GetRecord(i - 1).FY2) << "element " << i;
  }
}

struct ScriptedServices : ::testing::Test {
  std::shared_ptr<platform::TScriptedPlatform> ui = std::make_shared<platform::TScriptedPlatform>();
  std::shared_ptr<platform::IPlatform> saved;
  void SetUp() override { saved = platform::SetServices(ui); }
  void TearDown() override { platform::SetServices(saved); }
};

// ---------- references, copies and list properties ----------

TEST(OutlineListReferences, MovingBetweenListsKeepsTheElementAndClearingNeverDestroysIt) {
  TList a, b;
  auto e = Line(0, 0, 1, 1);
  std::weak_ptr<TOutlineObject> watch = e;
  a.Add(e);
  e.reset();
  b.Add(a.Extract(0));
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(&b.GetRecord(0), watch.lock().get());
  b.Clear();
  EXPECT_TRUE(watch.expired()) << "nobody holds it any more";

  TList c, d;
  auto shared = Line(0, 0, 1, 1);
  watch = shared;
  c.Add(shared);
  d.Add(shared);
  shared.reset();
  c.Clear();
  EXPECT_FALSE(watch.expired()) << "clearing one list must not take the element from another";
  EXPECT_EQ(d.GetRecord(0).FX2, 1);
}

TEST(OutlineListReferences, FreeListObjectsReleasesElementsButKeepsTheSlots) {
  TList l;
  l.Add(Line(0, 0, 1, 0));
  l.Add(Line(1, 0, 1, 1));
  std::weak_ptr<TOutlineObject> first = l.Items(0), second = l.Items(1);
  l.FreeListObjects();
  EXPECT_TRUE(first.expired());
  EXPECT_TRUE(second.expired());
  EXPECT_EQ(l.Count(), 2);
}

TEST(OutlineListReferences, IndexOutsideTheListRaisesTheIndexError) {
  TList l;
  l.Add(Line(0, 0, 1, 0));
  EXPECT_NO_THROW(l.GetRecord(0));
  try {
    l.GetRecord(5);
    FAIL() << "no error";
  } catch (const EListIndexError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW(l.GetRecord(-1), EListIndexError);
  EXPECT_THROW(l.Extract(1), EListIndexError);
}

TEST(OutlineListCopies, AddFromListMakesNewElementsAndCopiesEveryProperty) {
  TList src;
  auto e = Arc(1, 0, 0, 1, 0, 0, false);
  e->FLoopLabel = 3;
  e->FPlated = true;
  e->FComment = "c";
  src.Add(e);
  src.fListName = "Board";
  src.fAttributeName = "Attr";
  src.fNumLoops = 4;
  src.fBodyHeight = 1.6;
  src.fTop = false;
  src.fExtrudeSingleDir = false;
  src.fReverseExtrudeDir = true;
  src.fColour = 0x123456;
  src.fOutlineType = otPlaceKeepout;
  src.fPriority = 7;
  src.fListComment = "note";
  src.fCylRz = 90;

  TList dst;
  dst.AddFromList(src);
  ASSERT_EQ(dst.Count(), 1);
  EXPECT_NE(dst.Items(0).get(), e.get()) << "a copy, not the same element";
  const TOutlineObject& c = dst.GetRecord(0);
  EXPECT_EQ(c.FElement, etArc);
  EXPECT_DOUBLE_EQ(c.FRad, 1);
  EXPECT_DOUBLE_EQ(c.FEndAngle, 90);
  EXPECT_EQ(c.FLoopLabel, 3);
  EXPECT_TRUE(c.FPlated);
  EXPECT_EQ(c.FComment, "c");
  EXPECT_EQ(dst.fListName, "Board");
  EXPECT_EQ(dst.fAttributeName, "Attr");
  EXPECT_EQ(dst.fNumLoops, 4);
  EXPECT_DOUBLE_EQ(dst.fBodyHeight, 1.6);
  EXPECT_FALSE(dst.fTop);
  EXPECT_FALSE(dst.fExtrudeSingleDir);
  EXPECT_TRUE(dst.fReverseExtrudeDir);
  EXPECT_EQ(dst.fColour, 0x123456);
  EXPECT_EQ(dst.fOutlineType, otPlaceKeepout);
  EXPECT_EQ(dst.fPriority, 7);
  EXPECT_EQ(dst.fListComment, "note");
  EXPECT_DOUBLE_EQ(dst.fCylRz, 90);

  dst.AddDataFromList(dst);
  EXPECT_EQ(dst.Count(), 2) << "copying a list into itself copies each element once";
}

TEST(OutlineListCopies, ApplyFactorAndMirrorReachEveryElement) {
  TList l;
  l.Add(Line(1, 2, 3, 4));
  l.Add(Arc(1, 0, 0, 1, 0, 0, false));
  l.fOffSet = 2;
  l.fBodyHeight = 1.6;
  l.ApplyFactor(10);
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FX2, 30);
  EXPECT_DOUBLE_EQ(l.GetRecord(1).FRad, 10);
  EXPECT_DOUBLE_EQ(l.fOffSet, 20);
  EXPECT_DOUBLE_EQ(l.fBodyHeight, 16);

  l.Mirror(true, false, true);
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FX1, -10);
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FY1, 20);
  EXPECT_TRUE(l.GetRecord(1).FIsCw);
}

TEST_F(ScriptedServices, ApplyFactorOverflowIsReportedAndLeavesTheValue) {
  TList l;
  l.fBodyHeight = 1e300;
  l.fOffSet = 1;
  l.ApplyFactor(1e10);
  EXPECT_DOUBLE_EQ(l.fBodyHeight, 1e300);
  EXPECT_DOUBLE_EQ(l.fOffSet, 1e10);
  ASSERT_EQ(ui->CallsOf("ShowMessage").size(), 1u);
  EXPECT_EQ(ui->CallsOf("ShowMessage")[0].Text, "Floating point overflow");
}

TEST(OutlineListLoops, CountLoopsIsTheHighestLabelPlusOne) {
  TList l;
  EXPECT_EQ(l.CountLoops(), 1);
  l.Add(Line(0, 0, 1, 0));
  l.Add(Line(0, 0, 1, 0));
  l.GetRecord(1).FLoopLabel = 4;
  EXPECT_EQ(l.CountLoops(), 5);
  EXPECT_EQ(l.fNumLoops, 5);
}

TEST(OutlineListLoops, DeleteLoopZeroCopiesTheInnerLoopsAndResetsTheOtherProperties) {
  TList l;
  for (int label : {0, 1, 0, 2}) {
    auto e = Line(label, 0, label, 1);
    e->FLoopLabel = label;
    l.Add(e);
  }
  const TOutlineObject* inner = l.Items(1).get();
  l.fNumLoops = 3;
  l.fListName = "Outline";
  l.fAttributeName = "Attr";
  l.fBodyHeight = 2;
  l.fOffSet = 1;
  l.fTop = false;
  l.FLineCount = 4;
  l.fColour = 99;
  l.fExtrudeSingleDir = false;
  l.fOutlineType = otBoardCutOut;
  l.fLayerName = "L1";
  l.fPriority = 3;

  l.DeleteLoopZero();
  ASSERT_EQ(l.Count(), 2);
  EXPECT_EQ(l.GetRecord(0).FLoopLabel, 1);
  EXPECT_EQ(l.GetRecord(1).FLoopLabel, 2);
  EXPECT_NE(l.Items(0).get(), inner) << "the survivors are copies";
  EXPECT_EQ(l.fNumLoops, 3) << "still counts the deleted loop";
  EXPECT_EQ(l.fListName, "Outline");
  EXPECT_EQ(l.fAttributeName, "Attr");
  EXPECT_DOUBLE_EQ(l.fBodyHeight, 2);
  EXPECT_DOUBLE_EQ(l.fOffSet, 1);
  EXPECT_FALSE(l.fTop);
  EXPECT_EQ(l.FLineCount, 4);
  EXPECT_EQ(l.fColour, 0);
  EXPECT_TRUE(l.fExtrudeSingleDir);
  EXPECT_EQ(l.fOutlineType, otBoardOutline);
  EXPECT_EQ(l.fLayerName, "");
  EXPECT_EQ(l.fPriority, 0);

  TList only;
  only.Add(Line(0, 0, 1, 0));
  only.fNumLoops = 1;
  only.DeleteLoopZero();
  EXPECT_EQ(only.Count(), 0);
  EXPECT_EQ(only.fNumLoops, 1);
}

// ---------- chain test ----------

TEST(OutlineChainTest, PointsEqualIsASquareWindowWithItsEdges) {
  EXPECT_TRUE(TList::PointsEqual(0, 0, 0.5, -0.5, 0.5));
  EXPECT_FALSE(TList::PointsEqual(0, 0, 0.5, 0.75, 0.5));
  EXPECT_TRUE(TList::PointsEqual(3, 4, 3, 4, 0));
  EXPECT_FALSE(TList::PointsEqual(3, 4, 3, 4.000000001, 0));
}

TEST_F(ScriptedServices, PointsEqualWithANonNumberReportsBothXAndFails) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(TList::PointsEqual(nan, 0, 2.5, 0, 1));
  ASSERT_EQ(ui->CallsOf("ShowMessage").size(), 1u);
  EXPECT_EQ(ui->CallsOf("ShowMessage")[0].Text, "NAN 2.5");
}

TEST(OutlineChainTest, FirstPointIsTriedBeforeTheSecondAndReversesOnlyWhenNeeded) {
  auto rec = Line(0, 0, 10, 0);
  bool closed = true;
  auto forward = Line(10, 0, 10, 10);
  EXPECT_TRUE(TList::MatchObjectAtEitherEndAndClose(*forward, *rec, 0, 0, 0.001, 0.001, closed));
  EXPECT_FALSE(closed);
  EXPECT_DOUBLE_EQ(forward->FX1, 10);
  EXPECT_DOUBLE_EQ(forward->FY2, 10);

  // Both ends touch: the first point wins, so no reversal.
  auto both = Line(10, 0, 10, 0);
  EXPECT_TRUE(TList::MatchObjectAtEitherEndAndClose(*both, *rec, 10, 0, 0.001, 0.001, closed));
  EXPECT_TRUE(closed);
  EXPECT_FALSE(both->FIsCw);

  auto backward = Arc(0, 0, 10, 0, 5, 0, false);
  EXPECT_TRUE(TList::MatchObjectAtEitherEndAndClose(*backward, *rec, 0, 0, 0.001, 0.001, closed));
  EXPECT_DOUBLE_EQ(backward->FX1, 10);
  EXPECT_DOUBLE_EQ(backward->FX2, 0);
  EXPECT_TRUE(backward->FIsCw);
  EXPECT_TRUE(closed) << "the reversed end is compared with the start";

  auto apart = Line(11, 0, 12, 0);
  EXPECT_FALSE(TList::MatchObjectAtEitherEndAndClose(*apart, *rec, 0, 0, 0.5, 0.5, closed));
  EXPECT_FALSE(closed);
  EXPECT_DOUBLE_EQ(apart->FX1, 11);
}

// ---------- loop building ----------

TEST(OutlineLoopBuilder, HolesStayInOrderAndTheInnerOnesAreReversed) {
  TList l;
  l.Add(Hole(10, 10, 1));
  l.Add(Hole(20, 20, 1));
  l.Add(Hole(5, 5, 1));
  const TOutlineObject* first = l.Items(0).get();
  ASSERT_TRUE(l.MakeListWithTolerance(l, 0, 0));
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.Items(0).get(), first);
  EXPECT_DOUBLE_EQ(l.GetRecord(1).FXC, 20);
  EXPECT_DOUBLE_EQ(l.GetRecord(2).FXC, 5);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(l.GetRecord(i).FLoopLabel, i);
  EXPECT_EQ(l.fNumLoops, 3);
  EXPECT_FALSE(l.GetRecord(0).FIsCw);
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FStartAngle, 0);
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FEndAngle, 360);
  for (int i = 1; i < 3; ++i) {
    EXPECT_TRUE(l.GetRecord(i).FIsCw);
    EXPECT_DOUBLE_EQ(l.GetRecord(i).FStartAngle, 225) << "angle of the origin about the centre";
    EXPECT_DOUBLE_EQ(l.GetRecord(i).FEndAngle, 225);
  }
}

TEST(OutlineLoopBuilder, ShuffledClockwiseSquareBecomesOneCounterClockwiseLoop) {
  TList l;
  l.Add(Line(0, 0, 0, 10));    // left, upwards
  l.Add(Line(10, 10, 10, 0));  // right, downwards
  l.Add(Line(10, 10, 0, 10));  // top, running against the others
  l.Add(Line(10, 0, 0, 0));    // bottom
  l.fListName = "Sq";
  TList r;
  ASSERT_TRUE(r.MakeListWithTolerance(l, 0.001, 0.001));
  EXPECT_EQ(l.Count(), 0);
  ASSERT_EQ(r.Count(), 4);
  EXPECT_EQ(r.fListName, "Sq");
  EXPECT_EQ(r.fNumLoops, 1);
  ExpectHeadToTail(r, 0, 4);
  // Counter-clockwise from the origin: bottom, right, top, left.
  const double want[4][4] = {{0, 0, 10, 0}, {10, 0, 10, 10}, {10, 10, 0, 10}, {0, 10, 0, 0}};
  for (int i = 0; i < 4; ++i) {
    const TOutlineObject& e = r.GetRecord(i);
    EXPECT_EQ(e.FLoopLabel, 0);
    EXPECT_DOUBLE_EQ(e.FX1, want[i][0]) << i;
    EXPECT_DOUBLE_EQ(e.FY1, want[i][1]) << i;
    EXPECT_DOUBLE_EQ(e.FX2, want[i][2]) << i;
    EXPECT_DOUBLE_EQ(e.FY2, want[i][3]) << i;
  }
}

TEST(OutlineLoopBuilder, NestedSquaresOuterFirstCounterClockwiseInnerClockwise) {
  TList l;
  // Inner square first, both counter-clockwise.
  for (auto [a, b] : {std::pair{2.0, 8.0}, std::pair{0.0, 10.0}}) {
    l.Add(Line(a, a, b, a));
    l.Add(Line(b, a, b, b));
    l.Add(Line(b, b, a, b));
    l.Add(Line(a, b, a, a));
  }
  ASSERT_TRUE(l.MakeListWithTolerance(l, 0, 0));
  ASSERT_EQ(l.Count(), 8);
  EXPECT_EQ(l.fNumLoops, 2);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(l.GetRecord(i).FLoopLabel, 0);
  for (int i = 4; i < 8; ++i) EXPECT_EQ(l.GetRecord(i).FLoopLabel, 1);
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FX1, 0) << "outer loop unchanged";
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FX2, 10);
  ExpectHeadToTail(l, 0, 4);
  ExpectHeadToTail(l, 4, 8);
  // Inner loop reversed: starts with its last edge turned round.
  EXPECT_DOUBLE_EQ(l.GetRecord(4).FX1, 2);
  EXPECT_DOUBLE_EQ(l.GetRecord(4).FY1, 2);
  EXPECT_DOUBLE_EQ(l.GetRecord(4).FX2, 2);
  EXPECT_DOUBLE_EQ(l.GetRecord(4).FY2, 8);
}

TEST(OutlineLoopBuilder, EqualTopRightCornersKeepTheFirstLoopAsOuter) {
  TList l;
  for (auto [a, b] : {std::pair{5.0, 10.0}, std::pair{0.0, 10.0}}) {
    l.Add(Line(a, a, b, a));
    l.Add(Line(b, a, b, b));
    l.Add(Line(b, b, a, b));
    l.Add(Line(a, b, a, a));
  }
  ASSERT_TRUE(l.MakeListWithTolerance(l, 0, 0));
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FX1, 5);
  EXPECT_EQ(l.GetRecord(0).FLoopLabel, 0);
  EXPECT_DOUBLE_EQ(l.GetRecord(4).FX1, 0);
  EXPECT_EQ(l.GetRecord(4).FLoopLabel, 1);
}

TEST(OutlineLoopBuilder, GapEqualToTheToleranceStillChains) {
  TList l;
  l.Add(Line(0, 0, 10, 0));
  l.Add(Line(10.25, 0, 5, 5));  // 0.25 away from the first
  l.Add(Line(5, 5, 0, 0.25));   // closes 0.25 from the start
  TList copy;
  copy.AddDataFromList(l);
  EXPECT_TRUE(TList().MakeListWithTolerance(l, 0.25, 0.25));
  EXPECT_FALSE(TList().MakeListWithTolerance(copy, 0.125, 0.25));
}

TEST(OutlineLoopBuilder, OpenChainFailsAndHandsEveryElementBackUntouched) {
  TList l;
  auto a = Line(0, 0, 10, 0), b = Line(5, 5, 10, 0), c = Line(5, 5, 0, 1);
  for (auto& e : {a, b, c}) {
    e->FLoopLabel = 7;
    l.Add(e);
  }
  l.fNumLoops = 9;
  EXPECT_FALSE(l.MakeListWithTolerance(l, 0.001, 0.001));
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l.fNumLoops, 9);
  EXPECT_EQ(l.Items(0), a);
  EXPECT_EQ(l.Items(1), b);
  EXPECT_EQ(l.Items(2), c);
  EXPECT_DOUBLE_EQ(b->FX1, 10) << "reversed while chaining";
  for (const auto& e : l) EXPECT_EQ(e->FLoopLabel, 7);
}

TEST(OutlineLoopBuilder, FailureAfterALoopPutsLoopsThenChainThenTheRest) {
  auto build = [](TList& src, std::vector<std::shared_ptr<TOutlineObject>>& order) {
    order = {Line(0, 0, 1, 0), Line(1, 0, 0, 1), Line(0, 1, 0, 0),  // triangle
             Line(5, 5, 6, 5), Line(6, 5, 7, 7),                    // open chain
             Hole(3, 3, 1)};
    for (auto& e : order) src.Add(e);
  };
  {
    TList l;
    std::vector<std::shared_ptr<TOutlineObject>> e;
    build(l, e);
    EXPECT_FALSE(l.MakeListWithTolerance(l, 0, 0));
    ASSERT_EQ(l.Count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(l.Items(i), e[static_cast<std::size_t>(i)]) << i;
  }
  {
    TList src, r;
    auto before = Line(9, 9, 9, 8);
    r.Add(before);
    std::vector<std::shared_ptr<TOutlineObject>> e;
    build(src, e);
    TOutlineLoopSet loops;
    EXPECT_FALSE(r.CreateLoops(src, 0, 0, loops));
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0]->Count(), 0) << "the made loop gave its elements back";
    ASSERT_EQ(r.Count(), 6);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(r.Items(i), e[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(r.Items(5), before);
    ASSERT_EQ(src.Count(), 1);
    EXPECT_EQ(src.Items(0), e[5]) << "not yet reached, stays in the source";
  }
}

TEST(OutlineLoopBuilder, EmptySourceFailsAndKeepsTheLoopCount) {
  TList l;
  l.fNumLoops = 4;
  EXPECT_FALSE(l.MakeListWithTolerance(l, 0, 0));
  EXPECT_EQ(l.fNumLoops, 4);
  EXPECT_EQ(l.Count(), 0);
}

TEST(OutlineLoopBuilder, SharedCornerFollowsTheLowestIndexedCandidateEvenByItsSecondPoint) {
  // Two triangles touching at (0,0). At the shared corner the chain can go on with the
  // other triangle (lower index, touching by its second point) or close its own.
  TList l;
  auto t1a = Line(4, 0, 0, 4), t1b = Line(0, 4, 0, 0), t2a = Line(-4, 0, 0, 0), t2b = Line(-4, 0, 0, -4),
       t2c = Line(0, -4, 0, 0), t1c = Line(0, 0, 4, 0);
  for (auto& e : {t1a, t1b, t2a, t2b, t2c, t1c}) l.Add(e);
  TOutlineLoopSet loops;
  TList r;
  ASSERT_TRUE(r.CreateLoops(l, 0, 0, loops));
  ASSERT_EQ(loops.size(), 1u) << "a figure eight, not two triangles";
  const std::vector<std::shared_ptr<TOutlineObject>> want{t1a, t1b, t2a, t2b, t2c, t1c};
  ASSERT_EQ(loops[0]->Count(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(loops[0]->Items(i), want[static_cast<std::size_t>(i)]) << i;
  EXPECT_DOUBLE_EQ(t2a->FX1, 0) << "reversed to follow on";
  EXPECT_DOUBLE_EQ(t2a->FX2, -4);
  ExpectHeadToTail(*loops[0], 0, 6);
}

// ---------- top-right rules and direction ----------

TEST(OutlineTopRight, ElementRules) {
  double x = 0, y = 0;
  TList::GetTopRightCoordsFromObject(*Circle(5, 5, 2), x, y);
  EXPECT_DOUBLE_EQ(x, 7);
  EXPECT_DOUBLE_EQ(y, 7);
  TList::GetTopRightCoordsFromObject(*Line(3, 9, 3, 1), x, y);  // vertical, downwards: the first
  EXPECT_DOUBLE_EQ(y, 9);
  TList::GetTopRightCoordsFromObject(*Line(8, 2, 1, 2), x, y);  // horizontal: always the second
  EXPECT_DOUBLE_EQ(x, 1);
  TList::GetTopRightCoordsFromObject(*Line(8, 0, 1, 5), x, y);  // slanted: greater x
  EXPECT_DOUBLE_EQ(x, 8);
  EXPECT_DOUBLE_EQ(y, 0);
  TList::GetTopRightCoordsFromObject(*Hole(4, 4, 1), x, y);
  EXPECT_DOUBLE_EQ(x, 0);
  EXPECT_DOUBLE_EQ(y, 0);
}

TEST(OutlineTopRight, ArcRules) {
  double x = 0, y = 0;
  TList::GetTopRightCoordOfArc(*Arc(3, -4, 3, 4, 0, 0, false), x, y);
  EXPECT_DOUBLE_EQ(x, 5);
  EXPECT_DOUBLE_EQ(y, 4);
  TList::GetTopRightCoordOfArc(*Arc(-3, 4, 3, 4, 0, 0, true), x, y);
  EXPECT_DOUBLE_EQ(x, 3);
  EXPECT_DOUBLE_EQ(y, 5);
  TList::GetTopRightCoordOfArc(*Arc(3, 4, 4, -3, 0, 0, true), x, y);  // upper right, clockwise
  EXPECT_DOUBLE_EQ(x, 5);
  EXPECT_DOUBLE_EQ(y, 5);
  TList::GetTopRightCoordOfArc(*Arc(-3, 4, -4, -3, 0, 0, false), x, y);  // upper left, counter-clockwise
  EXPECT_DOUBLE_EQ(x, 5);
  TList::GetTopRightCoordOfArc(*Arc(3, 4, -4, 3, 0, 0, false), x, y);  // upper right, counter-clockwise
  EXPECT_DOUBLE_EQ(x, 3) << "no rule fits: the end with the greater x";
  EXPECT_DOUBLE_EQ(y, 4);
  TList::GetTopRightCoordOfArc(*Arc(-3, -4, 4, 3, 0, 0, true), x, y);  // lower left, clockwise
  EXPECT_DOUBLE_EQ(x, 4);
  EXPECT_DOUBLE_EQ(y, 3);
}

TEST(OutlineTopRight, ObjectReplacementNeedsOnlyOneCoordinateToGrow) {
  TList l;
  l.Add(Line(0, 0, 10, 0));  // top-right (10, 0)
  l.Add(Line(0, 0, 0, 10));  // (0, 10): y grows
  l.Add(Line(0, 0, 5, 5));   // (5, 5): x grows against the candidate
  l.Add(Line(0, 0, 4, 4));   // (4, 4): neither
  EXPECT_EQ(TList::GetTopRightObject(l), l.Items(2));
  EXPECT_EQ(TList::GetTopRightObject(TList()), nullptr);
  double xt = -1, yt = -1;
  TList::GetTopRightCoordsFromLoop(l, xt, yt);
  EXPECT_DOUBLE_EQ(xt, 10);
  EXPECT_DOUBLE_EQ(yt, 10);
}

TEST(OutlineTopRight, OuterLoopNeedsBothCoordinatesStrictlyGreater) {
  TOutlineLoopSet loops;
  for (auto [x, y] : {std::pair{5.0, 5.0}, std::pair{9.0, 5.0}, std::pair{6.0, 6.0}, std::pair{6.0, 7.0}}) {
    loops.push_back(std::make_unique<TList>());
    loops.back()->Add(Line(0, 0, x, y));
  }
  EXPECT_EQ(TList::GetOuterLoopIndex(loops), 2);
  EXPECT_EQ(TList::GetOuterLoopIndex(TOutlineLoopSet()), 0);
}

TEST(OutlineDirection, IsLoopCWFollowsTheTopRightElementOnly) {
  auto one = [](std::shared_ptr<TOutlineObject> e) {
    TList l;
    l.Add(std::move(e));
    return l;
  };
  EXPECT_TRUE(TList::IsLoopCW(one(Line(0, -5, 0, 0)), 0)) << "upward edge: the distance rule decides";
  EXPECT_FALSE(TList::IsLoopCW(one(Line(0, 5, 0, 10)), 0));
  EXPECT_TRUE(TList::IsLoopCW(one(Line(0, 10, 0, 5)), 0));
  EXPECT_TRUE(TList::IsLoopCW(one(Line(0, 3, 4, 3)), 0));
  EXPECT_FALSE(TList::IsLoopCW(one(Line(0, 3, -4, 3)), 0));
  EXPECT_TRUE(TList::IsLoopCW(one(Line(4, 3, 0, 3)), 0)) << "leftward, but the first point is farther out";
  EXPECT_FALSE(TList::IsLoopCW(one(Hole(1, 1, 1)), 1));
  EXPECT_FALSE(TList::IsLoopCW(one(Circle(1, 1, 1)), 0));
  EXPECT_TRUE(TList::IsLoopCW(one(Circle(1, 1, 1)), 1));
  EXPECT_TRUE(TList::IsLoopCW(one(Arc(1, 0, 0, 1, 0, 0, true)), 0));
  EXPECT_FALSE(TList::IsLoopCW(one(Arc(1, 0, 0, 1, 0, 0, false)), 0));
  EXPECT_FALSE(TList::IsLoopCW(TList(), 0));
}

TEST(OutlineDirection, CirclesAreNeverReversed) {
  TList l;
  l.Add(Circle(0, 0, 1));
  l.Add(Circle(0, 0, 5));
  ASSERT_TRUE(l.MakeListWithTolerance(l, 0, 0));
  EXPECT_DOUBLE_EQ(l.GetRecord(0).FRad, 5) << "the larger circle is the outer loop";
  for (const auto& e : l) EXPECT_FALSE(e->FIsCw);
  EXPECT_EQ(l.GetRecord(1).FLoopLabel, 1);
}

}  // namespace
