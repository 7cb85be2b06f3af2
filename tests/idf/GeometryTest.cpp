#include <gtest/gtest.h>

#include <cmath>

#include "CommonObjects/MathUtils.h"
#include "CommonObjects/PcbObjectList.h"

TEST(Units, ConvertThroughMetres) {
  EXPECT_NEAR(ConvertToUnits(utMM, utINCH, 25.4), 1.0, 1e-12);
  EXPECT_NEAR(ConvertToUnits(utTHOU, utMM, 1000), 25.4, 1e-12);
  EXPECT_NEAR(ConvertToUnits(utMM, utCM, 16), 1.6, 1e-12);
  EXPECT_NEAR(ConvertToUnits(utCM, utTHOU, 2.54), 1000.0, 1e-9);
  // a unit without a factor counts as one metre, or yields 1
  EXPECT_DOUBLE_EQ(ConvertToUnits(utTNM, utMM, 7), 1000.0);
  EXPECT_DOUBLE_EQ(ConvertToUnits(utMM, utNONE, 7), 1.0);
}

TEST(Arcs, CentreFromEndPointsAndIncludedAngle) {
  auto c = ArcOrigin({0, 0}, {2, 0}, kPi);
  EXPECT_NEAR(c.x, 1, 1e-12);
  EXPECT_NEAR(c.y, 0, 1e-12);
  c = ArcOrigin({0, 0}, {2, 0}, kPi / 2);
  EXPECT_NEAR(c.x, 1, 1e-12);
  EXPECT_NEAR(c.y, 1, 1e-12);
  c = ArcOrigin({0, 0}, {2, 0}, -kPi / 2);
  EXPECT_NEAR(c.x, 1, 1e-12);
  EXPECT_NEAR(c.y, -1, 1e-12);
  // a rounded corner: 90 degrees counter-clockwise from (75,0) to (80,5)
  c = ArcOrigin({75, 0}, {80, 5}, Radians(90));
  EXPECT_NEAR(c.x, 75, 1e-9);
  EXPECT_NEAR(c.y, 5, 1e-9);
}

TEST(Arcs, DetailAnglesKeepTheirOwnQuadrantRules) {
  double r, a1, a2;
  CalcArcDetails(0, 0, 1, -1, 0, 1, r, a1, a2);
  EXPECT_NEAR(r, std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(a1, -45, 1e-12);
  EXPECT_DOUBLE_EQ(a2, 90);
  CalcArcDetails(0, 0, 0, 0, 0, -2, r, a1, a2);
  EXPECT_DOUBLE_EQ(a1, 180);  // a point on the centre
  EXPECT_DOUBLE_EQ(a2, 270);
}

TEST(OutlineObject, CircleAndArcDerivedValues) {
  TOutlineObject circle(etCircle, 0, 0, 0, 0, 5, 5, 2, 0, 0, false);
  EXPECT_DOUBLE_EQ(circle.FX1, 3);
  EXPECT_DOUBLE_EQ(circle.FY1, 3);
  EXPECT_DOUBLE_EQ(circle.FX2, 7);
  EXPECT_DOUBLE_EQ(circle.FY2, 7);
  EXPECT_DOUBLE_EQ(circle.FEndAngle, 360);

  TOutlineObject arc(etArc, 1, 0, 0, 1, 0, 0, 0, 0, 0, false);
  EXPECT_DOUBLE_EQ(arc.FRad, 1);
  EXPECT_DOUBLE_EQ(arc.FStartAngle, 0);
  EXPECT_DOUBLE_EQ(arc.FEndAngle, 90);

  TOutlineObject given(etArc, 1, 0, 0, 1, 0, 0, 7, 11, 13, false);  // passed values are kept
  EXPECT_DOUBLE_EQ(given.FRad, 7);
  EXPECT_DOUBLE_EQ(given.FStartAngle, 11);
  EXPECT_EQ(given.FIdfHoleType, htIdfOther);
  EXPECT_DOUBLE_EQ(given.fTextWidthFactor, 1.0);
}

TEST(OutlineObject, SwapPointsReversesAndSwitchesAngleConvention) {
  TOutlineObject arc(etArc, 1, -1, 1, 1, 0, 0, 0, 0, 0, false);
  EXPECT_NEAR(arc.FStartAngle, -45, 1e-12);
  arc.SwapPoints();
  EXPECT_DOUBLE_EQ(arc.FX1, 1);
  EXPECT_DOUBLE_EQ(arc.FY1, 1);
  EXPECT_NEAR(arc.FStartAngle, 45, 1e-12);
  EXPECT_NEAR(arc.FEndAngle, 315, 1e-12);
  EXPECT_TRUE(arc.FIsCw);
}

TEST(OutlineObject, AnglesAboutACentre) {
  EXPECT_DOUBLE_EQ(TOutlineObject::CalculateAngle(1, 0.000000001, 0, 0, 0.000001), 0);
  EXPECT_DOUBLE_EQ(TOutlineObject::CalculateAngle(3, 5, 3, 5, 0), -1);
  EXPECT_DOUBLE_EQ(TOutlineObject::CalculateAngle(0, 0, 0, 0, 0), 0);
  EXPECT_NEAR(TOutlineObject::CalculateAngle(-1, 1, 0, 0, 0), 135, 1e-12);
  EXPECT_NEAR(TOutlineObject::CalculateAngle(-1, -1, 0, 0, 0), 225, 1e-12);
  EXPECT_NEAR(TOutlineObject::CalculateAngle(1, -1, 0, 0, 0), 315, 1e-12);
  EXPECT_DOUBLE_EQ(TOutlineObject::CalculateAngle(0, -3, 0, 0, 0), 270);
  EXPECT_EQ(TOutlineObject::GetQuadrant(0, 0, 0, 0), 3);
}

TEST(OutlineObject, ScaleMirrorAndCopy) {
  TOutlineObject arc(etArc, 1, 0, 0, 1, 0, 0, 0, 0, 0, false);
  arc.FLoopLabel = 4;
  arc.MirrorObject(true, true, true);  // both axes still flip the direction only once
  EXPECT_TRUE(arc.FIsCw);
  EXPECT_DOUBLE_EQ(arc.FX1, -1);
  EXPECT_DOUBLE_EQ(arc.FY2, -1);
  EXPECT_DOUBLE_EQ(arc.FStartAngle, 0);  // angles are left alone
  TOutlineObject line(etLine, 1, 2, 3, 4, 0, 0, 0, 0, 0, false);
  line.MirrorObject(true, false, true);
  EXPECT_FALSE(line.FIsCw);
  line.ScaleObject(10);
  EXPECT_DOUBLE_EQ(line.FX1, -10);
  EXPECT_DOUBLE_EQ(line.FY2, 40);

  TOutlineObject other(etLine, 9, 9, 9, 9, 0, 0, 0, 0, 0, false);
  other.AddProperties(arc);
  EXPECT_EQ(other.FLoopLabel, 4);
  EXPECT_TRUE(other.FIsCw);
  EXPECT_DOUBLE_EQ(other.FX1, 9);
  TOutlineObject copy = TOutlineObject::CreateFromRecord(arc);
  EXPECT_EQ(copy.FLoopLabel, 4);
  EXPECT_DOUBLE_EQ(copy.FX1, -1);
}

TEST(OutlineObject, HoleFilterTestIncludesTheBoundary) {
  TOutlineObject hole(etHole, 0, 0, 0, 0, 1, 1, 0.5, 0, 360, false);
  EXPECT_TRUE(hole.HoleFilterTest(true, 1.0, 0.00001));
  EXPECT_TRUE(hole.HoleFilterTest(false, 1.0, 0.00001));
  hole.FRad = 0.50002;
  EXPECT_FALSE(hole.HoleFilterTest(true, 1.0, 0.00001));
  EXPECT_TRUE(hole.HoleFilterTest(false, 1.0, 0.00001));
  EXPECT_TRUE(SameValue(1.0, 1.0 + 1e-13, 0));
  EXPECT_FALSE(SameValue(1.0, 1.0 + 1e-9, 0));
}
