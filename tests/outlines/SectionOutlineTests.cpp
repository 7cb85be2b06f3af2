#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "CommonObjects/IDFfile.h"
#include "CommonObjects/PcbObjectList.h"

namespace {

using TList = TBoardOutlineObjectList;

// Millimetres in the file, centimetres out.
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
          ("idf-outlines-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir);
    const auto path = (dir / "board.emn").string();
    std::ofstream(path) << kBoard;
    file.OutputUnits = utCM;
    file.IgnoreRegionalDecPoint = true;
    file.SetDecimalSep();
    file.BoardFile = TFilePath::Split(path);
    ASSERT_TRUE(file.LoadFiles()) << file.ErrorLog.Text();
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  TList Convert(TSectionType t, double factor = 1) {
    TList l;
    file.SectionToOutlineList(file.FindFirstSection(t), l, factor);
    return l;
  }
  TList Holes(THoleType t, TPlatingStyle p, bool filter = false, bool greater = false, double value = 0) {
    TList l;
    file.DrilledHolesSectionToOutlineList(file.FindFirstSection(stDRILLED_HOLES), t, p, filter, greater, value, l);
    return l;
  }

  platform::TDecimalSeparatorGuard separator;
  std::filesystem::path dir;
  TIDFfile file;
};

std::vector<double> Geometry(const TOutlineObject& e) {
  std::vector<double> v{e.FX1, e.FY1, e.FX2, e.FY2, e.FXC, e.FYC, e.FRad};
  for (double& x : v) x = std::round(x * 1e9) / 1e9;
  return v;
}

TEST_F(SectionOutlines, OutlineLoopsBecomeLinesCirclesAndArcsWithTheFileLoops) {
  const TList l = Convert(stBOARD_OUTLINE);
  ASSERT_EQ(l.Count(), 7);
  const std::vector<std::pair<TElementType, int>> kinds{{etLine, 0},   {etLine, 0}, {etLine, 0}, {etLine, 0},
                                                        {etCircle, 1}, {etArc, 2},  {etLine, 2}};
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(std::pair(l.GetRecord(i).FElement, l.GetRecord(i).FLoopLabel), kinds[static_cast<std::size_t>(i)]);
  EXPECT_EQ(Geometry(l.GetRecord(3)), std::vector<double>({0, 5, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Geometry(l.GetRecord(4)), std::vector<double>({1.5, 1.5, 2.5, 2.5, 2, 2, 0.5}));
  EXPECT_EQ(Geometry(l.GetRecord(5)), std::vector<double>({6, 1, 7, 1, 6.5, 1, 0.5}));
  EXPECT_TRUE(l.GetRecord(5).FIsCw) << "negative angle";
  EXPECT_EQ(l.fNumLoops, 3);
  EXPECT_NEAR(l.fBodyHeight, 0.16, 1e-12);
  EXPECT_EQ(l.fListName, "TestBoard");
  EXPECT_TRUE(l.fTop);

  const TList scaled = Convert(stBOARD_OUTLINE, 10);
  EXPECT_EQ(Geometry(scaled.GetRecord(5)), std::vector<double>({60, 10, 70, 10, 65, 10, 5}));
  EXPECT_NEAR(scaled.fBodyHeight, 1.6, 1e-12);
}

TEST_F(SectionOutlines, SideArcDirectionAndCircleCentres) {
  const TList bottom = Convert(stOTHER_OUTLINE);
  ASSERT_EQ(bottom.Count(), 3);
  EXPECT_FALSE(bottom.fTop);
  EXPECT_EQ(bottom.fListName, "Bottom1");
  EXPECT_FALSE(bottom.GetRecord(1).FIsCw) << "positive angle";
  EXPECT_EQ(Geometry(bottom.GetRecord(1))[4], 0.5);

  // A point followed by a circle is that circle's centre, not the end of an edge.
  const TList keepout = Convert(stROUTE_KEEPOUT);
  ASSERT_EQ(keepout.Count(), 2);
  EXPECT_EQ(Geometry(keepout.GetRecord(0)), std::vector<double>({0, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(Geometry(keepout.GetRecord(1)), std::vector<double>({0.3, 0.3, 0.7, 0.7, 0.5, 0.5, 0.2}));
  EXPECT_TRUE(keepout.fTop) << "an unknown side counts as top";

  TSection* empty = nullptr;
  file.AddSection(empty, stOTHER_OUTLINE, "Nothing", utMM);
  TList untouched;
  untouched.fTop = false;
  file.SectionToOutlineList(empty, untouched, 1);
  EXPECT_EQ(untouched.Count(), 0);
  EXPECT_FALSE(untouched.fTop);
}

TEST_F(SectionOutlines, DrilledHolesCarryPlatingAndKind) {
  const TList l = Convert(stDRILLED_HOLES);
  ASSERT_EQ(l.Count(), 9);
  const std::vector<std::pair<bool, TIdfHoleType>> want{
      {true, htIdfPin},    {false, htIdfMounting}, {true, htIdfVia},  {true, htIdfPin}, {true, htIdfTooling},
      {false, htIdfOther}, {false, htIdfOther},    {false, htIdfVia}, {true, htIdfPin}};
  for (int i = 0; i < 9; ++i) {
    const TOutlineObject& h = l.GetRecord(i);
    EXPECT_EQ(h.FElement, etHole);
    EXPECT_EQ(h.FLoopLabel, 0);
    EXPECT_EQ(std::pair(h.FPlated, h.FIdfHoleType), want[static_cast<std::size_t>(i)]) << i;
  }
  EXPECT_EQ(Geometry(l.GetRecord(1)), std::vector<double>({0, 0, 0, 0, 2, 1, 0.1}));
}

TEST_F(SectionOutlines, HoleCategoryListsAreFilteredNamedAndLooped) {
  const TList small = Holes(htPIN, psPTH, true, true, 1.0);
  ASSERT_EQ(small.Count(), 2) << "the 12 mm pin hole is wider than 1 cm";
  EXPECT_EQ(std::vector({small.GetRecord(0).FXC, small.GetRecord(1).FXC}), std::vector({1.0, 8.0}));
  EXPECT_EQ(small.GetRecord(1).FLoopLabel, 1);
  EXPECT_TRUE(small.GetRecord(1).FIsCw) << "turned round by the loop builder";
  EXPECT_EQ(small.fNumLoops, 2);
  EXPECT_EQ(small.fListName, "PlatedPinHoles");
  EXPECT_EQ(small.fAttributeName, "PthPinHoleCutAttribute");
  EXPECT_TRUE(small.fTop);
  EXPECT_EQ(Holes(htPIN, psPTH, true, false, 1.0).Count(), 1);
  EXPECT_EQ(Holes(htPIN, psPTH).Count(), 3);

  EXPECT_EQ(Holes(htVIA, psPTH).fListName, "ViaHoles");
  const TList npthVias = Holes(htVIA, psNPTH);
  EXPECT_EQ(npthVias.fListName, "NonPlatedViaHoles");
  EXPECT_EQ(npthVias.fAttributeName, "NpthViaHoleCutAttribute");
  EXPECT_EQ(npthVias.Count(), 1);
  EXPECT_EQ(Holes(htTOOL, psPTH).fListName, "PlatedToolHoles");
  EXPECT_EQ(Holes(htTOOL, psPTH).fAttributeName, "PthToolingHoleCutAttribute");
  // NONE and OTHER are one category, a user hole type counts as OTHER, and no plating asked
  // for collects the non-plated holes.
  const TList none = Holes(htNONE, psNONE);
  EXPECT_EQ(none.Count(), 2);
  EXPECT_EQ(none.fAttributeName, "");
  EXPECT_EQ(none.fListName, "NonPlatedNoneHoles");
  EXPECT_EQ(Holes(htMTG, psPTH).Count(), 0);
}

}  // namespace
