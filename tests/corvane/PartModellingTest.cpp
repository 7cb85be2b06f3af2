#include "tests/corvane/HostFixture.h"

namespace hosttest {
namespace {

TEST_F(HostTest, BoardWithTwoCutoutLoopsHasExpectedVolumeInFile) {
  auto part = NewPart("Board");
  auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "Outline");
  AddRectLoop(s, 0, 0, 10, 5.8);
  s->Get_Figures()->AddRectangle(1, 1, 3, 2);  // a rectangular cut-out
  s->Get_Figures()->AddCircle(7, 3, 0.5);      // a round cut-out
  ASSERT_TRUE(s->Get_IsClosed());
  auto f = Boss(part, s, 0.16, true);
  ASSERT_FALSE(HasError(f));
  part->Set_Color(16711680);

  const double cm3 = (58.0 - 2.0 - kPi * 0.25) * 0.16;
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), cm3, 1e-6);

  auto facts = readback::ReadPart(Save(part, "Board", ".CV_PRT"));
  EXPECT_NEAR(facts.Volume, cm3 * 1000, 1e-2);  // written in millimetres
  EXPECT_EQ(facts.Faces, 2 + 4 + 4 + 1);        // caps, outer, slot and hole walls
  EXPECT_NEAR(facts.Box.Z0, -1.6, 1e-4);        // reversed: below the sketch plane
  EXPECT_NEAR(facts.Box.Z1, 0.0, 1e-4);
  EXPECT_NEAR(facts.Box.X1, 100.0, 1e-4);
  EXPECT_EQ(facts.Name, "Board");
  EXPECT_EQ(facts.Color, 16711680);
}

TEST_F(HostTest, IslandInsideOpeningIsMaterialAgain) {
  auto part = NewPart("Nested");
  auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "S");
  AddRectLoop(s, 0, 0, 10, 10);
  AddRectLoop(s, 2, 2, 8, 8);
  s->Get_Figures()->AddRectangle(4, 4, 6, 6);
  ASSERT_FALSE(HasError(Boss(part, s, 1.0, false)));
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), 100 - 36 + 4, 1e-6);
}

TEST_F(HostTest, CounterClockwiseArcBoundsTheUpperHalf) {
  auto part = NewPart("D");
  auto s = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "S");
  s->Get_Figures()->AddCircularArcByCenterStartEnd(0, 0, 1, 0, -1, 0);
  s->Get_Figures()->AddLine(-1, 0, 1, 0);
  ASSERT_FALSE(HasError(Boss(part, s, 2.0, false)));
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), kPi, 1e-6);
  auto facts = readback::ReadPart(Save(part, "D", ".CV_PRT"));
  EXPECT_NEAR(facts.Box.Y0, 0.0, 1e-4);
  EXPECT_NEAR(facts.Box.Y1, 10.0, 1e-4);
  EXPECT_NEAR(facts.Box.Z1, 20.0, 1e-4);
}

TEST_F(HostTest, TopAndBottomFacesOfBoardAreFound) {
  auto part = Board(10, 5.8, 0.16);
  auto top = TopOrBottomFace(part, true), bottom = TopOrBottomFace(part, false);
  ASSERT_TRUE(top);
  ASSERT_TRUE(bottom);
  EXPECT_NEAR(top->Get_Geometry()->PointAtParam(0.5, 0.5)->Get_Z(), 0.0, 1e-9);
  EXPECT_NEAR(bottom->Get_Geometry()->PointAtParam(0.5, 0.5)->Get_Z(), -0.16, 1e-9);
  EXPECT_NEAR(top->Get_Area(), 58.0, 1e-9);
}

TEST_F(HostTest, BossesStandOnTheirFaceAndBoardFacesStayFirst) {
  auto part = Board(10, 5.8, 0.16);
  // A pad covering most of the top, and one on the bottom in mirrored sketch coordinates.
  auto top = TopOrBottomFace(part, true);
  auto s1 = part->Get_Sketches()->AddSketch(nullptr, top, "TopPad_Sketch");
  s1->Get_Figures()->AddRectangle(0.5, 0.5, 9.5, 5.3);
  ASSERT_FALSE(HasError(Boss(part, s1, 0.01, false, "TopPad")));

  auto bottom = TopOrBottomFace(part, false);
  ASSERT_TRUE(bottom);
  auto s2 = part->Get_Sketches()->AddSketch(nullptr, bottom, "BottomPad_Sketch");
  s2->Get_Figures()->AddRectangle(-3, 1, -2, 2);  // world x 2..3
  ASSERT_FALSE(HasError(Boss(part, s2, 0.05, false, "BottomPad")));

  // The board's own top face still comes first, not the pad's top.
  auto again = TopOrBottomFace(part, true);
  EXPECT_NEAR(again->Get_Geometry()->PointAtParam(0.5, 0.5)->Get_Z(), 0.0, 1e-9);

  auto facts = readback::ReadPart(Save(part, "Board", ".CV_PRT"));
  EXPECT_NEAR(facts.Box.Z0, -2.1, 1e-4);  // bottom pad goes down
  EXPECT_NEAR(facts.Box.Z1, 0.1, 1e-4);   // top pad goes up
  EXPECT_NEAR(facts.Volume, (58 * 0.16 + 9 * 4.8 * 0.01 + 0.05) * 1000, 1e-2);
  // Only the bottom pad reaches below the board: it must sit at world x 2..3.
  EXPECT_NEAR(facts.Box.X0, 0.0, 1e-4);
}

TEST_F(HostTest, BottomFaceSketchMirrorsX) {
  auto part = Board(10, 5.8, 0.16);
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, false), "B");
  s->Get_Figures()->AddRectangle(-3, 1, -2, 2);
  ASSERT_FALSE(HasError(Boss(part, s, 0.05, false)));
  // Cut the board away around the pad: what is left below z = -0.16 is the pad.
  auto face = TopOrBottomFace(part, true);
  auto cut = part->Get_Sketches()->AddSketch(nullptr, face, "C");
  AddRectLoop(cut, -1, -1, 11, 6.8);
  AddRectLoop(cut, 1.9, 0.9, 3.1, 2.1);
  ASSERT_FALSE(HasError(CutThroughAll(part, cut)));
  auto facts = readback::ReadPart(Save(part, "Pad", ".CV_PRT"));
  EXPECT_NEAR(facts.Box.X0, 19.0, 1e-3);
  EXPECT_NEAR(facts.Box.X1, 31.0, 1e-3);
  EXPECT_NEAR(facts.Box.Z0, -2.1, 1e-3);
}

class HoleCutTest : public HostTest {
 protected:
  static void AddHoles(const std::shared_ptr<ICVSketch>& s, int n, double r) {
    for (int i = 0; i < n; ++i) s->Get_Figures()->AddCircle(0.5 + (i % 10) * 0.9, 0.5 + (i / 10) * 0.9, r);
  }
};

TEST_F(HoleCutTest, ThroughAllCutOfManyHolesRemovesEachCylinder) {
  const int n = 50;
  const double r = 0.2, t = 0.16;
  auto part = Board(10, 5.8, t);
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes_Sketch");
  AddHoles(s, n, r);
  ASSERT_TRUE(s->Get_IsClosed());
  ASSERT_FALSE(HasError(CutThroughAll(part, s, "Holes")));
  EXPECT_TRUE(corvane::LastCutWasFast(part));

  const double cm3 = (58 - n * kPi * r * r) * t;
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), cm3, 1e-6);
  auto facts = readback::ReadPart(Save(part, "Holes", ".CV_PRT"));
  EXPECT_NEAR(facts.Volume, cm3 * 1000, 1e-2);
  EXPECT_EQ(facts.Faces, 6 + n);
  EXPECT_TRUE(corvane::BodyIsValid(part));
  // The board's caps are still the first top and bottom faces.
  EXPECT_NEAR(TopOrBottomFace(part, true)->Get_Geometry()->PointAtParam(0.5, 0.5)->Get_Z(), 0, 1e-9);
}

TEST_F(HoleCutTest, QuickHolesMakeASolidThatLaterFeaturesCanUse) {
  auto part = Board(10, 5.8, 0.16);
  auto a = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "A");
  AddHoles(a, 10, 0.2);
  ASSERT_FALSE(HasError(CutThroughAll(part, a)));
  // A second list from the bottom face, also clear of the first.
  auto b = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, false), "B");
  for (int i = 0; i < 5; ++i) b->Get_Figures()->AddCircle(-(0.5 + i * 1.5), 5, 0.1);  // world x 0.5..6.5
  part->Get_Features()->AddExtrudedCutout(b, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0, nullptr, nullptr,
                                          true, int32_t(0), false, "B", "", "");
  EXPECT_TRUE(corvane::LastCutWasFast(part));
  EXPECT_TRUE(corvane::BodyIsValid(part));
  // A pad across two holes goes through the general boolean on the quick-built solid.
  auto pad = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Pad");
  pad->Get_Figures()->AddRectangle(0.3, 0.3, 1.6, 0.7);
  ASSERT_FALSE(HasError(Boss(part, pad, 0.05, false)));
  EXPECT_TRUE(corvane::BodyIsValid(part));
  const double holes = 10 * kPi * 0.04 + 5 * kPi * 0.01;
  // The pad stands on the top face and bridges the holes under it.
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), (58 - holes) * 0.16 + 1.3 * 0.4 * 0.05, 1e-6);
}

TEST_F(HoleCutTest, BlindCutStopsAtItsDepth) {
  auto part = Board(10, 5.8, 0.16);
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Pocket");
  s->Get_Figures()->AddCircle(5, 3, 0.5);
  auto f = part->Get_Features()->AddExtrudedCutout(s, 0.05, CV_TO_DEPTH, nullptr, nullptr, 0.0, 0, nullptr, nullptr,
                                                   true, int32_t(0), false, "Pocket", "", "");
  ASSERT_FALSE(HasError(f));
  EXPECT_FALSE(corvane::LastCutWasFast(part));
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), 58 * 0.16 - kPi * 0.25 * 0.05, 1e-6);
}

TEST_F(HoleCutTest, HolesBesideABossAreStillQuick) {
  const int n = 20;
  const double r = 0.2, t = 0.16;
  auto part = Board(10, 5.8, t);
  auto pad = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Pad");
  pad->Get_Figures()->AddRectangle(8, 4, 9, 5);
  ASSERT_FALSE(HasError(Boss(part, pad, 0.1, false)));
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes_Sketch");
  AddHoles(s, n, r);
  ASSERT_FALSE(HasError(CutThroughAll(part, s, "Holes")));
  EXPECT_TRUE(corvane::LastCutWasFast(part));
  EXPECT_TRUE(corvane::BodyIsValid(part));
  auto facts = readback::ReadPart(Save(part, "Holes", ".CV_PRT"));
  EXPECT_NEAR(facts.Volume, ((58 - n * kPi * r * r) * t + 0.1) * 1000, 1e-2);
  EXPECT_EQ(facts.Faces, 6 + 5 + n);
}

TEST_F(HoleCutTest, BossSunkIntoTheBoardEndsQuickHoles) {
  auto part = Board(10, 5.8, 0.16);
  // Reversed from the bottom face it runs up through the board and out of the top.
  auto post = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, false), "Post");
  post->Get_Figures()->AddRectangle(-9, 4, -8, 5);
  ASSERT_FALSE(HasError(Boss(part, post, 0.5, true)));
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes");
  AddHoles(s, 5, 0.2);
  ASSERT_FALSE(HasError(CutThroughAll(part, s)));
  EXPECT_FALSE(corvane::LastCutWasFast(part));
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), (58 - 5 * kPi * 0.04) * 0.16 + 0.5 - 0.16, 1e-6);
}

TEST_F(HoleCutTest, HoleUnderABossTakesTheGeneralCut) {
  const int n = 20;
  const double r = 0.2, t = 0.16;
  auto part = Board(10, 5.8, t);
  auto pad = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Pad");
  pad->Get_Figures()->AddRectangle(8, 4, 9, 5);
  ASSERT_FALSE(HasError(Boss(part, pad, 0.1, false)));
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Holes_Sketch");
  AddHoles(s, n, r);
  s->Get_Figures()->AddCircle(8.5, 4.5, r);  // under the pad: drilled from below, the pad stays
  ASSERT_FALSE(HasError(CutThroughAll(part, s, "Holes")));
  EXPECT_FALSE(corvane::LastCutWasFast(part));
  EXPECT_TRUE(corvane::BodyIsValid(part));
  auto facts = readback::ReadPart(Save(part, "Holes", ".CV_PRT"));
  EXPECT_NEAR(facts.Volume, ((58 - (n + 1) * kPi * r * r) * t + 0.1) * 1000, 1e-2);
  EXPECT_EQ(facts.Faces, 6 + 5 + (n + 1) + 1);  // the pad's underside closes the last hole
}

TEST_F(HoleCutTest, HolesTouchingTheEdgeOrEachOtherStillCutCorrectly) {
  auto part = Board(10, 5.8, 0.16);
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "S");
  s->Get_Figures()->AddCircle(0, 2, 0.5);  // half off the board
  s->Get_Figures()->AddCircle(5, 2, 0.5);
  s->Get_Figures()->AddCircle(5.8, 2, 0.5);  // overlaps the previous one
  ASSERT_FALSE(HasError(CutThroughAll(part, s)));
  EXPECT_TRUE(corvane::LastCutWasFast(part));  // in the plane all the same
  EXPECT_TRUE(corvane::BodyIsValid(part));
  // Two discs overlapping at distance 0.8: lens area 2 r^2 acos(d/2r) - d/2 sqrt(4r^2 - d^2)
  const double lens = 2 * 0.25 * std::acos(0.8) - 0.4 * std::sqrt(1 - 0.64);
  const double removed = kPi * 0.25 / 2 + 2 * kPi * 0.25 - lens;
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), (58 - removed) * 0.16, 1e-6);
}

TEST_F(HoleCutTest, SecondHoleListKeepsTheFirstHoles) {
  auto part = Board(10, 5.8, 0.16);
  auto a = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "A");
  a->Get_Figures()->AddCircle(2, 2, 0.3);
  ASSERT_FALSE(HasError(CutThroughAll(part, a)));
  auto b = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "B");
  b->Get_Figures()->AddCircle(2.5, 2, 0.3);  // overlaps the first hole: not a clean addition
  b->Get_Figures()->AddCircle(6, 2, 0.3);
  ASSERT_FALSE(HasError(CutThroughAll(part, b)));
  EXPECT_FALSE(corvane::LastCutWasFast(part));
  const double lens = 2 * 0.09 * std::acos(0.5 / 0.6) - 0.25 * std::sqrt(0.36 - 0.25);
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), (58 - 3 * kPi * 0.09 + lens) * 0.16, 1e-6);
}

TEST_F(HostTest, CutAwayFromTheBodyOrOpenSketchReportsError) {
  auto part = Board(10, 5.8, 0.16);
  // Sketched on the top face but cut upwards: nothing to remove.
  auto s = part->Get_Sketches()->AddSketch(nullptr, TopOrBottomFace(part, true), "Up");
  s->Get_Figures()->AddCircle(5, 2, 0.3);
  auto up = part->Get_Features()->AddExtrudedCutout(s, int32_t(1), CV_THROUGH_ALL, nullptr, nullptr, 0.0, 0, nullptr,
                                                    nullptr, false, int32_t(0), false, "Up", "", "");
  EXPECT_TRUE(HasError(up));
  auto open = part->Get_Sketches()->AddSketch(nullptr, XyPlane(part), "Open");
  open->Get_Figures()->AddLine(0, 0, 1, 0);
  open->Get_Figures()->AddLine(1, 0, 1, 1);
  EXPECT_FALSE(open->Get_IsClosed());
  EXPECT_TRUE(HasError(Boss(part, open, 1, false)));
  EXPECT_NEAR(part->Get_Bodies()->Get_Item(0)->Get_Volume(), 58 * 0.16, 1e-6);
}

TEST_F(HostTest, EmptyPartStillSaves) {
  auto part = NewPart("Empty");
  EXPECT_EQ(part->Get_Bodies()->Get_Count(), 0);
  auto path = Save(part, "Empty", ".CV_PRT");
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(readback::ReadPart(path).Volume, 0);
}

}  // namespace
}  // namespace hosttest
