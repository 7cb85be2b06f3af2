#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "IDFfile.h"
#include "PcbObjectList.h"
#include "Platform.h"

namespace {

using TList = TBoardOutlineObjectList;

const char* const kBoard = R"(.HEADER
BOARD_FILE 3.0 "Test" 2026/01/01.00:00:00 1
"TestBoard" MM
.END_HEADER
.BOARD_OUTLINE MCAD
1.6
0 0 0 0
0 100 0 0
0 100 50 0
0 0 50 0
0 0 0 0
1 20 20 0
1 25 20 360
2 60 10 0
2 70 10 -180
2 60 10 0
.END_BOARD_OUTLINE
.OTHER_OUTLINE MCAD
Bottom1 2.0 BOTTOM
0 0 0 0
0 10 0 0
0 10 10 90
0 0 0 0
.END_OTHER_OUTLINE
.ROUTE_KEEPOUT ECAD
WEIRD
0 0 0 0
0 10 0 0
0 5 5 0
0 7 5 360
.END_ROUTE_KEEPOUT
.DRILLED_HOLES
1.0 10 10 PTH U1 PIN ECAD
2.0 20 10 NPTH BOARD MTG MCAD
0.5 30 10 PTH BOARD VIA ECAD
12.0 40 10 PTH U2 PIN ECAD
0.8 50 10 PTH BOARD TOOL MCAD
0.6 60 10 NPTH BOARD OTHER MCAD
0.6 65 10 NPTH BOARD MYTYPE MCAD
0.4 70 10 NPTH BOARD VIA ECAD
1.0 80 10 PTH U3 PIN ECAD
.END_DRILLED_HOLES
)";

class SectionOutlines : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("idf-outlines-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    const auto path = (dir / "board.emn").string();
    std::ofstream(path) << kBoard;
    file.OutputUnits = utCM;
    file.IgnoreRegionalDecPoint = true;
    file.SetDecimalSep();
    file.BoardFile = TFilePath::Split(path);
    file.LibFile = TFilePath();
    ASSERT_TRUE(file.LoadFiles()) << file.ErrorLog.Text();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  TSection* Find(TSectionType t) {
    TSection* s = file.FindFirstSection(t);
    EXPECT_NE(s, nullptr) << EnumName(t);
    return s;
  }

  platform::TDecimalSeparatorGuard separator;
  std::filesystem::path dir;
  TIDFfile file;
};

void ExpectPoints(const TOutlineObject& e, double x1, double y1, double x2, double y2) {
  EXPECT_NEAR(e.FX1, x1, 1e-9);
  EXPECT_NEAR(e.FY1, y1, 1e-9);
  EXPECT_NEAR(e.FX2, x2, 1e-9);
  EXPECT_NEAR(e.FY2, y2, 1e-9);
}

TEST_F(SectionOutlines, BoardOutlineLoopsBecomeLinesCirclesAndArcsWithTheFileLoopLabels) {
  TList l;
  file.SectionToOutlineList(Find(stBOARD_OUTLINE), l, 1);
  ASSERT_EQ(l.Count(), 7);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(l.GetRecord(i).FElement, etLine);
    EXPECT_EQ(l.GetRecord(i).FLoopLabel, 0);
  }
  ExpectPoints(l.GetRecord(0), 0, 0, 10, 0);
  ExpectPoints(l.GetRecord(3), 0, 5, 0, 0);

  const TOutlineObject& c = l.GetRecord(4);
  EXPECT_EQ(c.FElement, etCircle);
  EXPECT_EQ(c.FLoopLabel, 1);
  EXPECT_NEAR(c.FXC, 2, 1e-9);
  EXPECT_NEAR(c.FYC, 2, 1e-9);
  EXPECT_NEAR(c.FRad, 0.5, 1e-9);
  EXPECT_FALSE(c.FIsCw);

  const TOutlineObject& a = l.GetRecord(5);
  EXPECT_EQ(a.FElement, etArc);
  EXPECT_EQ(a.FLoopLabel, 2);
  EXPECT_TRUE(a.FIsCw) << "negative angle";
  ExpectPoints(a, 6, 1, 7, 1);
  EXPECT_NEAR(a.FXC, 6.5, 1e-9);
  EXPECT_NEAR(a.FRad, 0.5, 1e-9) << "radius derived from the points";
  EXPECT_EQ(l.GetRecord(6).FElement, etLine);
  ExpectPoints(l.GetRecord(6), 7, 1, 6, 1);

  EXPECT_EQ(l.fNumLoops, 3);
  EXPECT_NEAR(l.fBodyHeight, 0.16, 1e-12);
  EXPECT_EQ(l.fListName, "TestBoard");
  EXPECT_TRUE(l.fTop);
}

TEST_F(SectionOutlines, FactorScalesEveryLengthAndTheHeight) {
  TList l;
  file.SectionToOutlineList(Find(stBOARD_OUTLINE), l, 10);
  ASSERT_EQ(l.Count(), 7);
  ExpectPoints(l.GetRecord(1), 100, 0, 100, 50);
  EXPECT_NEAR(l.GetRecord(4).FRad, 5, 1e-9);
  EXPECT_NEAR(l.GetRecord(5).FXC, 65, 1e-9);
  EXPECT_NEAR(l.GetRecord(5).FRad, 5, 1e-9);
  EXPECT_NEAR(l.fBodyHeight, 1.6, 1e-12);
}

TEST_F(SectionOutlines, BottomSideAndCounterClockwiseArc) {
  TList l;
  file.SectionToOutlineList(Find(stOTHER_OUTLINE), l, 1);
  ASSERT_EQ(l.Count(), 3);
  EXPECT_FALSE(l.fTop);
  EXPECT_EQ(l.fListName, "Bottom1");
  const TOutlineObject& a = l.GetRecord(1);
  EXPECT_EQ(a.FElement, etArc);
  EXPECT_FALSE(a.FIsCw);
  EXPECT_NEAR(a.FXC, 0.5, 1e-9);
  EXPECT_NEAR(a.FYC, 0.5, 1e-9);
}

TEST_F(SectionOutlines, PointBeforeACircleIsItsCentreAndAnUnknownSideCountsAsTop) {
  TList l;
  file.SectionToOutlineList(Find(stROUTE_KEEPOUT), l, 1);
  ASSERT_EQ(l.Count(), 2) << "no edge to the centre point";
  EXPECT_EQ(l.GetRecord(0).FElement, etLine);
  ExpectPoints(l.GetRecord(0), 0, 0, 1, 0);
  EXPECT_EQ(l.GetRecord(1).FElement, etCircle);
  EXPECT_NEAR(l.GetRecord(1).FXC, 0.5, 1e-9);
  EXPECT_NEAR(l.GetRecord(1).FRad, 0.2, 1e-9);
  EXPECT_TRUE(l.fTop);
}

TEST_F(SectionOutlines, EmptySectionLeavesTheListAlone) {
  TSection* empty = nullptr;
  file.AddSection(empty, stOTHER_OUTLINE, "Nothing", utMM);
  TList l;
  l.fListName = "Before";
  l.fTop = false;
  file.SectionToOutlineList(empty, l, 1);
  file.SectionToOutlineList(nullptr, l, 1);
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.fListName, "Before");
  EXPECT_FALSE(l.fTop);
}

TEST_F(SectionOutlines, DrilledHolesBecomeHolesWithPlatingAndKind) {
  TList l;
  file.SectionToOutlineList(Find(stDRILLED_HOLES), l, 1);
  ASSERT_EQ(l.Count(), 9);
  const struct {
    bool plated;
    TIdfHoleType kind;
  } want[] = {{true, htIdfPin},   {false, htIdfMounting}, {true, htIdfVia},  {true, htIdfPin}, {true, htIdfTooling},
              {false, htIdfOther}, {false, htIdfOther},   {false, htIdfVia}, {true, htIdfPin}};
  const double centres[] = {1, 2, 3, 4, 5, 6, 6.5, 7, 8};
  for (int i = 0; i < 9; ++i) {
    const TOutlineObject& h = l.GetRecord(i);
    EXPECT_EQ(h.FElement, etHole) << i;
    EXPECT_EQ(h.FPlated, want[i].plated) << i;
    EXPECT_EQ(h.FIdfHoleType, want[i].kind) << i;
    EXPECT_EQ(h.FLoopLabel, 0) << i;
    EXPECT_NEAR(h.FXC, centres[i], 1e-9) << i;
    EXPECT_DOUBLE_EQ(h.FX1, 0);
    EXPECT_DOUBLE_EQ(h.FEndAngle, 360);
  }
  EXPECT_NEAR(l.GetRecord(1).FRad, 0.1, 1e-12);
  EXPECT_EQ(l.fNumLoops, 9);
}

TEST_F(SectionOutlines, PlatedPinHolesFilteredBySizeAreNamedAndLooped) {
  TList l;
  file.DrilledHolesSectionToOutlineList(Find(stDRILLED_HOLES), htPIN, psPTH, true, true, 1.0, l);
  ASSERT_EQ(l.Count(), 2) << "the 12 mm pin hole is larger than 1 cm";
  EXPECT_NEAR(l.GetRecord(0).FXC, 1, 1e-9);
  EXPECT_NEAR(l.GetRecord(1).FXC, 8, 1e-9);
  EXPECT_EQ(l.GetRecord(0).FLoopLabel, 0);
  EXPECT_EQ(l.GetRecord(1).FLoopLabel, 1);
  EXPECT_TRUE(l.GetRecord(1).FIsCw) << "inner holes are turned round by the loop builder";
  EXPECT_EQ(l.fNumLoops, 2);
  EXPECT_EQ(l.fListName, "PlatedPinHoles");
  EXPECT_EQ(l.fAttributeName, "PthPinHoleCutAttribute");
  EXPECT_TRUE(l.fTop);

  TList all;
  file.DrilledHolesSectionToOutlineList(Find(stDRILLED_HOLES), htPIN, psPTH, false, true, 1.0, all);
  EXPECT_EQ(all.Count(), 3);
  TList large;
  file.DrilledHolesSectionToOutlineList(Find(stDRILLED_HOLES), htPIN, psPTH, true, false, 1.0, large);
  ASSERT_EQ(large.Count(), 1);
  EXPECT_NEAR(large.GetRecord(0).FRad, 0.6, 1e-9);
}

TEST_F(SectionOutlines, HoleCategoriesCollectTheirOwnHoles) {
  TSection* holes = Find(stDRILLED_HOLES);
  auto collect = [&](THoleType t, TPlatingStyle p) {
    TList l;
    file.DrilledHolesSectionToOutlineList(holes, t, p, false, false, 0, l);
    return l;
  };
  TList vias = collect(htVIA, psPTH);
  EXPECT_EQ(vias.fListName, "ViaHoles");
  EXPECT_EQ(vias.Count(), 1);
  TList npthVias = collect(htVIA, psNPTH);
  EXPECT_EQ(npthVias.fListName, "NonPlatedViaHoles");
  EXPECT_EQ(npthVias.fAttributeName, "NpthViaHoleCutAttribute");
  ASSERT_EQ(npthVias.Count(), 1);
  EXPECT_NEAR(npthVias.GetRecord(0).FXC, 7, 1e-9);
  TList tools = collect(htTOOL, psPTH);
  EXPECT_EQ(tools.fListName, "PlatedToolHoles");
  EXPECT_EQ(tools.fAttributeName, "PthToolingHoleCutAttribute");
  EXPECT_EQ(tools.Count(), 1);
  // NONE and OTHER are one category; a user hole type counts as OTHER.
  EXPECT_EQ(collect(htOTHER, psNPTH).Count(), 2);
  TList none = collect(htNONE, psNONE);
  EXPECT_EQ(none.Count(), 2) << "no plating asked for: the non-plated holes";
  EXPECT_EQ(none.fAttributeName, "");
  EXPECT_EQ(none.fListName, "NonPlatedNoneHoles");
  EXPECT_EQ(collect(htMTG, psPTH).Count(), 0);
}

TEST(HoleNames, FeatureAndAttributeNamesOfEveryCategory) {
  const THoleType types[] = {htNONE, htPIN, htVIA, htMTG, htTOOL, htOTHER};
  const char* plated[] = {"PlatedNoneHoles", "PlatedPinHoles", "ViaHoles", "PlatedMountingHoles", "PlatedToolHoles",
                          "PlatedOtherHoles"};
  const char* nonPlated[] = {"NonPlatedNoneHoles",     "NonPlatedPinHoles",  "NonPlatedViaHoles",
                             "NonPlatedMountingHoles", "NonPlatedToolHoles", "NonPlatedOtherHoles"};
  const char* pth[] = {"PthNoneHoleCutAttribute", "PthPinHoleCutAttribute",     "PthViaHoleCutAttribute",
                       "PthMtgCutAttribute",      "PthToolingHoleCutAttribute", "PthOtherHoleCutAttribute"};
  const char* npth[] = {"NpthNoneHoleCutAttribute", "NpthPinHoleCutAttribute",     "NpthViaHoleCutAttribute",
                        "NpthMtgCutAttribute",      "NpthToolingHoleCutAttribute", "NpthOtherHoleCutAttribute"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(TIDFfile::BuildHoleFeatureName(types[i], psPTH), plated[i]);
    EXPECT_EQ(TIDFfile::BuildHoleFeatureName(types[i], psNPTH), nonPlated[i]);
    EXPECT_EQ(TIDFfile::BuildHoleFeatureName(types[i], psNONE), nonPlated[i]);
    EXPECT_EQ(TIDFfile::BuildIdfHoleAttributeName(psPTH, types[i]), pth[i]);
    EXPECT_EQ(TIDFfile::BuildIdfHoleAttributeName(psNPTH, types[i]), npth[i]);
    EXPECT_EQ(TIDFfile::BuildIdfHoleAttributeName(psNONE, types[i]), "");
  }
  EXPECT_EQ(TIDFfile::TranslateHoleType(htNONE), htIdfOther);
  EXPECT_EQ(TIDFfile::TranslateHoleType(htMTG), htIdfMounting);
  EXPECT_FALSE(TIDFfile::TranslatePlatingStyleToBoolean(psNPTH));
  EXPECT_FALSE(TIDFfile::TopOrBottomLayerToBoolean(ltBOTTOM));
  EXPECT_TRUE(TIDFfile::TopOrBottomLayerToBoolean(static_cast<TLayerType>(kUnrecognisedEnum)));
}

}  // namespace
