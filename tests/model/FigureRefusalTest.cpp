// Figures that cannot be real, degenerate holes and bad loops cost only themselves, and a
// board outline that gives no board is an error; against the recording host.
#include "tests/model/ModelTestSupport.h"

namespace {
const std::string kHoles =
    ".DRILLED_HOLES\n"
    "3.0 10 10 NPTH BOARD MTG ECAD\n"
    "0.0 20 10 NPTH BOARD MTG ECAD\n"
    "-1.0 25 10 NPTH BOARD MTG ECAD\n"
    "1e200 30 10 NPTH BOARD MTG ECAD\n"
    "3.0 1e200 1e200 NPTH BOARD MTG ECAD\n"
    "4.0 40 10 NPTH BOARD MTG ECAD\n"
    ".END_DRILLED_HOLES\n";

int StartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  return static_cast<int>(
      std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}
}  // namespace

TEST_F(ModelTest, BadHolesAreNamedAndLeftOutWhileTheOthersAreCut) {
  auto d = Show(BoardText(kHoles));
  d->NonPlatedMountingCB.Checked = true;
  d->CreatePcbPartNew(true);
  // The two good holes reach the sketch and the cut; nothing absurd does.
  EXPECT_EQ(Only({"AddCircle"}),
            (std::vector<std::string>{"Figures[NonPlatedMountingHolesSketch].AddCircle(1, 1, real:0.15)",
                                      "Figures[NonPlatedMountingHolesSketch].AddCircle(4, 1, real:0.2)"}));
  EXPECT_EQ(host->CountOf("AddExtrudedCutout"), 1);
  EXPECT_TRUE(Has(d->FImportIDF->VerifyLog, "Added 2 holes to NonPlatedMountingHoles"));
  const auto& errors = d->FImportIDF->ErrorLog.Lines();
  // Lines 15 and 16 of the cleaned file: zero and negative diameter; 17 and 18: out of range.
  EXPECT_TRUE(
      Has(d->FImportIDF->ErrorLog,
          "Figure left out: DRILLED_HOLES line 15: hole at (2, 1) diameter 0 CM | diameter is zero or negative"));
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog,
                  "Figure left out: DRILLED_HOLES line 16: hole at (2.5, 1) diameter -0.1 CM | diameter is zero or "
                  "negative"));
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog,
                  "Figure left out: DRILLED_HOLES line 17: hole at (3, 1) diameter 1e+199 CM | position or size out of "
                  "range"));
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog,
                  "Figure left out: DRILLED_HOLES line 18: hole at (1e+199, 1e+199) diameter 0.3 CM | position or size "
                  "out of range"));
  EXPECT_EQ(StartingWith(errors, "Figure left out: "), 4);
  EXPECT_EQ(StartingWith(errors, "Cut Extrude failed"), 0);
}

TEST_F(ModelTest, ABadCutOutLoopIsNamedAndTheBoardIsBuiltWithoutIt) {
  // Loop 1 is a good square cut-out; loop 2 ends in an arc of 720 degrees, loop 3 in one of
  // 1e-12 degrees (its centre lies absurdly far away), loop 4 does not close.
  const std::string outline =
      "0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n"
      "1 10 10 0\n1 20 10 0\n1 20 20 0\n1 10 20 0\n1 10 10 0\n"
      "2 30 10 0\n2 40 10 0\n2 30 10 720\n"
      "3 50 10 0\n3 60 10 0\n3 50 10 1e-12\n"
      "4 70 10 0\n4 80 10 0\n4 80 20 0\n";
  auto d = Show(BoardText("", outline));
  d->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddExtrudedBoss"), 1);
  EXPECT_EQ(host->CountOf("AddLine"), 8);  // the outer loop and the square cut-out
  EXPECT_TRUE(Has(d->FImportIDF->VerifyLog, "Board Outline feature created"));
  const auto& errors = d->FImportIDF->ErrorLog.Lines();
  EXPECT_EQ(StartingWith(errors, "Cut-out loop 2 left out: BOARD_OUTLINE line "), 1);
  EXPECT_EQ(StartingWith(errors, "Cut-out loop 3 left out: BOARD_OUTLINE line "), 1);
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog,
                  "Cut-out loop 4 left out: BOARD_OUTLINE line 24: line from (7, 1) to (8, 1) CM | the loop does not "
                  "close"));
}

TEST_F(ModelTest, AnOutlineThatGivesNoBoardIsAnError) {
  // Empty: no outline points at all.
  auto d = Show(BoardText("", "0 0 0 0\n"));
  d->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddExtrudedBoss"), 0);
  EXPECT_EQ(StartingWith(d->FImportIDF->ErrorLog.Lines(), "BOARD_OUTLINE: "), 1);

  // A cut-out larger than the board would remove it: left out, named.
  d = Show(BoardText("",
                     "0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n"
                     "1 -10 -10 0\n1 200 -10 0\n1 200 200 0\n1 -10 200 0\n1 -10 -10 0\n"));
  d->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddLine"), 4);
  EXPECT_EQ(StartingWith(d->FImportIDF->ErrorLog.Lines(), "Cut-out loop 1 left out: "), 1);

  // A cut-out clear of a sloped edge, outside the board (a fuzz finding: it stood as a disc of
  // its own beside the board), is left out and named; one that only nears the edge is kept.
  d = Show(BoardText("",
                     "0 0 0 0\n0 80 0 0\n0 80 50 0\n0 0 5 0\n0 0 0 0\n"
                     "1 20 25 0\n1 24 25 360\n2 50 20 0\n2 56 20 0\n2 56 26 0\n2 50 26 0\n2 50 20 0\n"));
  d->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddLine"), 8);
  EXPECT_EQ(host->CountOf("AddCircle"), 0);
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog,
                  "Cut-out loop 1 left out: BOARD_OUTLINE line 13: circle at (2, 2.5) diameter 0.8 CM | the cut-out "
                  "lies outside the board"));
  EXPECT_EQ(StartingWith(d->FImportIDF->ErrorLog.Lines(), "Cut-out loop 2 left out: "), 0);

  // The host builds no solid (as for a bow-tie): an error naming the section, no holes.
  d = Show(BoardText(".DRILLED_HOLES\n3.0 10 10 NPTH BOARD MTG ECAD\n.END_DRILLED_HOLES\n"));
  d->NonPlatedMountingCB.Checked = true;
  host->Script.BodyVolume = 0;
  d->CreatePcbPartNew(true);
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "BOARD_OUTLINE: the board outline gives no solid"));
  EXPECT_EQ(host->CountOf("AddExtrudedCutout"), 0);
  EXPECT_FALSE(Has(d->FImportIDF->VerifyLog, "Board Outline feature created"));
}

TEST_F(ModelTest, AbsurdDepthsAndPlacementsAreNamedAndNeverReachTheHost) {
  const std::string library = std::string(kSampleLibrary) +
                              ".ELECTRICAL\nBIG BIG MM 1e200\n0 0 0 0\n0 2 0 0\n0 2 2 0\n0 0 0 0\n.END_ELECTRICAL\n";
  auto d = Show(BoardText(".PLACEMENT\n"
                          "RES_0805 R0805 R1\n20 20 0 0 TOP PLACED\n"
                          "RES_0805 R0805 R2\n1e200 20 0 0 TOP PLACED\n"
                          "RES_0805 R0805 R3\n30 20 0 1e200 BOTTOM PLACED\n"
                          "BIG BIG U1\n40 20 0 0 TOP PLACED\n"
                          ".END_PLACEMENT\n"),
                library);
  host->Script.SaveLeavesFiles = true;
  d->ImportButton.Click();
  const auto& log = d->FImportIDF->ErrorLog;
  EXPECT_TRUE(Has(log, "Extrusion refused for : BIG | depth 1e+199 CM out of range"));
  EXPECT_TRUE(Has(log,
                  "Placement left out: PLACEMENT: R2 | RES_0805 at (1e+199, 2) CM rotation 0 | position out of "
                  "range"));
  EXPECT_TRUE(Has(log,
                  "Placement left out: PLACEMENT: R3 | RES_0805 at (3, 2) CM rotation 1e+200 | rotation out of "
                  "range"));
  // The board, R1 and U1 (its part is empty, but it is there) are placed; no depth or transform
  // carries an absurd number.
  EXPECT_EQ(host->CountOf("Add"), 3);
  for (const auto& c : host->Calls)
    for (const auto& a : c.Args) EXPECT_EQ(a.find("e+199"), std::string::npos) << c.Text();

  // A board thickness as absurd: no board solid, and bottom parts are not placed by it.
  auto thick = Show(
      ".HEADER\nBOARD_FILE 3.0 \"Sample CAD\" 2026/01/01.12:00:00 1\nb MM\n.END_HEADER\n"
      ".BOARD_OUTLINE ECAD\n1e200\n0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 0 0\n.END_BOARD_OUTLINE\n");
  thick->CreatePcbPartNew(true);
  EXPECT_EQ(host->CountOf("AddExtrudedBoss"), 0);
  EXPECT_TRUE(Has(thick->FImportIDF->ErrorLog, "Extrusion refused for : BoardOutline | depth 1e+199 CM out of range"));
  EXPECT_TRUE(Has(thick->FImportIDF->ErrorLog, "BOARD_OUTLINE: the board outline could not be extruded"));
  TIdfPartPlacementObject bottom("C1", "C0603", "", 1, 1, 0, false);
  EXPECT_EQ(thick->PlacementRefusal(bottom), "board thickness 1e+199 out of range");
  bottom.FTop = true;
  EXPECT_EQ(thick->PlacementRefusal(bottom), "");
}
