#include <gtest/gtest.h>

#include <cmath>

#include "tests/idf/IdfTestHelpers.h"

namespace {
class Sections : public ::testing::Test {
 protected:
  TScopedScriptedPlatform scripted;
  TTempDir dir;
  std::unique_ptr<TIDFfile> Load(const std::string& body, const char* header = kHeader3) {
    bool ok = false;
    auto f = LoadText(dir, std::string(header) + body, {}, &ok);
    EXPECT_TRUE(ok) << f->ErrorLog.Text();
    return f;
  }
};
}  // namespace

TEST_F(Sections, ClosedLoopOfLines) {
  auto f = Load(".BOARD_OUTLINE MCAD\n1.6\n0 0 0 0\n0 10 0 0\n0 10 25.4 0\n0 0 25.4 0\n0 0 0 0\n.END_BOARD_OUTLINE\n");
  const TSection* s = f->Section(1);
  EXPECT_EQ(s->Count(), 5);
  EXPECT_EQ(s->NumLines, 4);
  EXPECT_EQ(s->NumArcs, 0);
  EXPECT_EQ(s->NumLoops, 1);
  EXPECT_EQ(s->Units, utCM);
  EXPECT_DOUBLE_EQ(s->Items(2).X, 1.0);
  EXPECT_DOUBLE_EQ(s->Items(2).Y, 2.54);
  EXPECT_EQ(s->Items(2).Side, ltTOP);
  EXPECT_NEAR(f->BoardThickness, 0.16, 1e-12);
  EXPECT_EQ(s->OwnerType, otMCAD);
}

TEST_F(Sections, ArcsCirclesAndLoopRenumbering) {
  auto f = Load(
      ".BOARD_OUTLINE MCAD\n1.6\n"
      "1 0 0 0\n1 20 0 180\n1 0 0 0\n"  // half-circle arc, then a line back
      "2 50 50 0\n2 60 50 360\n"        // circle: centre then a point on it
      ".END_BOARD_OUTLINE\n");
  const TSection* s = f->Section(1);
  ASSERT_EQ(s->Count(), 5);
  EXPECT_EQ(s->Items(0).Loop, 0);
  EXPECT_EQ(s->Items(3).Loop, 1);
  EXPECT_EQ(s->NumLoops, 2);
  const TDataRec& arc = s->Items(1);
  EXPECT_EQ(arc.RecType, rtARC);
  EXPECT_EQ(arc.Direction, 1);
  EXPECT_NEAR(arc.Xorig, 1.0, 1e-12);
  EXPECT_NEAR(arc.Yorig, 0.0, 1e-12);
  EXPECT_EQ(s->NumArcs, 1);
  EXPECT_EQ(s->Items(4).RecType, rtCIRCLE);
  EXPECT_NEAR(s->Items(4).Radius, 1.0, 1e-12);
  EXPECT_EQ(s->FNumCircles, 1);
  EXPECT_EQ(s->NumLines, 2);  // the first data line is no segment
}

TEST_F(Sections, ClockwiseArcHasItsCentreOnTheRight) {
  auto f = Load(".ROUTE_OUTLINE ECAD\nALL\n0 0 0 0\n0 20 0 -90\n.END_ROUTE_OUTLINE\n");
  const TDataRec& arc = f->Section(1)->Items(1);
  EXPECT_EQ(arc.Direction, -1);
  EXPECT_NEAR(arc.Xorig, 1.0, 1e-12);
  EXPECT_NEAR(arc.Yorig, -1.0, 1e-12);
  EXPECT_EQ(f->Section(1)->LayerType, ltALL);
}

TEST_F(Sections, RecordProblemsAreReportedAndSkipped) {
  // An arc on the first data line has only the header record before it.
  auto f = Load(".BOARD_OUTLINE MCAD\n1.6\n0 5 5 90\n0 0 0 0\n0 1 0 0 9\n0 1 1 0\n.END_BOARD_OUTLINE\n");
  const TSection* s = f->Section(1);
  EXPECT_EQ(s->Count(), 2);
  ASSERT_EQ(f->ErrorLog.Count(), 2);
  EXPECT_EQ(f->ErrorLog[0], "BOARD_OUTLINE> Line:7 invalid arc definition");
  EXPECT_EQ(f->ErrorLog[1], "BOARD_OUTLINE> Line:9 incorrect number of fields");
}

TEST_F(Sections, SectionLevelProblemsDropTheSection) {
  const std::string good = ".NOTES\n1 1 1 1 ok\n.END_NOTES\n";
  for (const std::string bad :
       {".BOARD_OUTLINE MCAD\n1.6\n0.0 0 0 0\n0 1 0 0\n.END_BOARD_OUTLINE\n",    // loop label 0.0
        ".BOARD_OUTLINE MCAD\nthick\n0 0 0 0\n0 1 0 0\n.END_BOARD_OUTLINE\n",    // thickness text
        ".BOARD_OUTLINE MCAD\n1.6\n0 1e999 0 0\n0 1 0 0\n.END_BOARD_OUTLINE\n",  // overflow
        ".BOARD_OUTLINE MCAD\n1.6\n0 0 0 360\n0 1 0 0\n.END_BOARD_OUTLINE\n",    // circle without centre
        ".BOARD_OUTLINE MCAD\n1.6\n0 0 0\n0 1 0\n.END_BOARD_OUTLINE\n",          // nothing became a record
        ".DRILLED_HOLES\n1 2 nan PTH BOARD PIN ECAD\n.END_DRILLED_HOLES\n",
        ".PLACEMENT\nP n R1\n1,2,3 0 0 0 TOP PLACED\n.END_PLACEMENT\n"}) {
    SCOPED_TRACE(bad);
    auto f = Load(bad + good);
    ASSERT_EQ(f->SectionCount(), 2);  // header and notes
    EXPECT_EQ(f->Section(1)->SectType, stNOTES);
    EXPECT_TRUE(f->ErrorLog.Last().find(" Board file entry for ") != std::string::npos) << f->ErrorLog.Last();
  }
}

TEST_F(Sections, DrilledHoleWords) {
  auto f = Load(
      ".DRILLED_HOLES\n"
      "1.0 0 0 PTH BOARD PIN ECAD\n"
      "2.0 1 1 npth U12 SLOT MCAD\n"
      "2.0 1 1 NPTH NOREFDES VERYLONGHOLETYPE UNOWNED\n"
      "2.0 1 1 NPTH BOARD\n"
      ".END_DRILLED_HOLES\n");
  const TSection* s = f->Section(1);
  ASSERT_EQ(s->Count(), 3);
  EXPECT_EQ(s->NumLoops, 3);
  EXPECT_NEAR(s->Items(0).Radius, 0.05, 1e-12);
  EXPECT_EQ(s->Items(0).AssocPart, apBOARD);
  EXPECT_EQ(s->Items(0).Designator, "");
  EXPECT_EQ(s->Items(1).PlatingStyle, psNPTH);
  EXPECT_EQ(s->Items(1).AssocPart, apDESIGNATOR);
  EXPECT_EQ(s->Items(1).Designator, "U12");
  EXPECT_EQ(s->Items(1).HoleType, htOTHER);
  EXPECT_EQ(s->Items(1).UserHoleType, "SLOT");
  EXPECT_EQ(s->Items(1).HoleOwner, otMCAD);
  EXPECT_EQ(s->Items(2).UserHoleType, "VERYLONGHOLE");
  EXPECT_EQ(s->Items(2).AssocPart, apNOREFDES);
  EXPECT_EQ(f->ErrorLog.Last(), "DRILLED_HOLES> Line:9 incorrect number of fields");
}

TEST_F(Sections, IdfTwoHolesAndThouScaling) {
  auto f = Load(".DRILLED_HOLES\n40 1000 0 PTH BOARD\n.END_DRILLED_HOLES\n", kHeader2);
  const TDataRec& h = f->Section(1)->Items(0);
  EXPECT_NEAR(h.Radius, 0.0508, 1e-12);
  EXPECT_NEAR(h.X, 2.54, 1e-12);
  EXPECT_EQ(h.HoleType, htPIN);
  EXPECT_EQ(h.HoleOwner, otUNOWNED);
}

TEST_F(Sections, PlacementPairs) {
  auto f = Load(
      ".PLACEMENT\n"
      "R0805 \"RC 10K\" board\n10 20 0.5 45 TOP PLACED\n"
      "C0603 p C1\n1 2 3 BOTTOM PLACED\n"  // second line short for IDF 3
      "U/1 p U1\n5 5 0 90 bottom mcad\n"
      "ODD p X1\n"
      ".END_PLACEMENT\n");
  const TSection* s = f->Section(1);
  ASSERT_EQ(s->Count(), 2);
  const TDataRec& a = s->Items(0);
  EXPECT_EQ(a.RefDesignator, apBOARD);
  EXPECT_EQ(a.Designator, "BOARD");
  EXPECT_EQ(a.PartNo, "RC 10K");
  EXPECT_NEAR(a.Offset, 0.05, 1e-12);
  EXPECT_DOUBLE_EQ(a.Rotation, 45);
  EXPECT_EQ(a.Side, ltTOP);
  EXPECT_EQ(a.Status, otPLACED);
  const TDataRec& b = s->Items(1);
  EXPECT_EQ(b.PackageName, "U_1");
  EXPECT_EQ(b.Designator, "U1");
  EXPECT_EQ(b.Side, ltBOTTOM);
  EXPECT_EQ(b.Status, otMCAD);
  EXPECT_EQ(s->NumPlacements, 2);
  const auto& e = f->ErrorLog.Lines();
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[0], "Part Ommitted from Placement Section - incorrect number of fields in second line:");
  EXPECT_EQ(e[1], "Line 1: C0603,p,C1");
  EXPECT_EQ(e[2], "Line 2: 1,2,3,BOTTOM,PLACED");
  // the odd last line pairs with the end line
  EXPECT_EQ(e[5], "Line 2: .END_PLACEMENT");
}

TEST_F(Sections, IdfTwoPlacementHasNoOffset) {
  auto f = Load(".PLACEMENT\nDIP8 p U1\n1000 0 90 TOP PLACED\n.END_PLACEMENT\n", kHeader2);
  const TDataRec& p = f->Section(1)->Items(0);
  EXPECT_DOUBLE_EQ(p.Offset, 0);
  EXPECT_DOUBLE_EQ(p.Rotation, 90);
  EXPECT_NEAR(p.X, 2.54, 1e-12);
}

TEST_F(Sections, LibraryUnitsAndLog) {
  TTempDir d;
  const std::string lib = std::string(kLibHeader) +
                          ".ELECTRICAL\nBIG pn INCH 2\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_ELECTRICAL\n"
                          ".MECHANICAL\nM1 pn THOU 100\n0 0 0 0\n0 1000 0 0\n0 0 0 0\nPROP A B\n.END_MECHANICAL\n";
  bool ok = false;
  auto f = LoadText(d, std::string(kHeader3), lib, &ok);
  ASSERT_TRUE(ok) << f->ErrorLog.Text();
  const TSection* big = f->Section(1);
  EXPECT_DOUBLE_EQ(big->FUnitFactor, 100.0);  // read as metres
  EXPECT_DOUBLE_EQ(big->Thickness, 200.0);
  EXPECT_EQ(big->Log[0], "PART");
  EXPECT_EQ(big->Log[3], "Input:   \t\tNONE");
  EXPECT_EQ(big->Log[4], "Height   \t\t200.000cm");
  const TSection* m = f->Section(2);
  EXPECT_NEAR(m->Thickness, 0.254, 1e-12);
  EXPECT_EQ(m->Log[3], "Input:   \t\tTHOU");
  EXPECT_EQ(m->Log[9], "Type:    \t\tMECHANICAL");
  EXPECT_EQ(m->Log[10], "PROP,A,B");
  EXPECT_EQ(m->Units, utCM);
}

TEST_F(Sections, ShortOutlineIsKeptEmptyWithAWarning) {
  auto f = Load(".VIA_KEEPOUT ECAD\n0 0 0 0\n.END_VIA_KEEPOUT\n");
  ASSERT_EQ(f->SectionCount(), 2);
  EXPECT_EQ(f->Section(1)->Count(), 0);
  EXPECT_EQ(f->WarningLog.Last(), "VIA_KEEPOUT>Line:5 No outline data");
}

TEST(PlacementValidation, FieldCounts) {
  EXPECT_EQ(TSection::PlacementSectionRecordValidation(3, 6, 3), -1);
  EXPECT_EQ(TSection::PlacementSectionRecordValidation(3, 5, 2), -1);
  EXPECT_EQ(TSection::PlacementSectionRecordValidation(2, 6, 3), 1);
  EXPECT_EQ(TSection::PlacementSectionRecordValidation(2, 5, 3), 2);
  EXPECT_EQ(TSection::PlacementSectionRecordValidation(3, 6, 2), 2);
}
