// The working unit, the height grid and the colour list.
#include "tests/analysis/AnalysisTestSupport.h"

namespace {
const std::string kLibrary = std::string(kEmptyLibrary) + ".ELECTRICAL\nSOIC8 74HC MM 2.5\n" + Square(0) +
                             ".END_ELECTRICAL\n"
                             ".ELECTRICAL\nsoic8 OTHER MM 4.0\n" +
                             Square(0) +
                             ".END_ELECTRICAL\n"
                             ".ELECTRICAL\nFLAT X MM 0\n" +
                             Square(0) +
                             ".END_ELECTRICAL\n"
                             ".MECHANICAL\nHEATSINK HS MM 10.0\n" +
                             Square(0) + ".END_MECHANICAL\n";
const std::string kPlacements =
    ".PLACEMENT\nSOIC8 74HC R1\n1 1 0 0 TOP PLACED\nFLAT X c2\n2 2 0 0 TOP PLACED\n"
    "HEATSINK HS U3\n3 3 0 0 BOTTOM PLACED\n.END_PLACEMENT\n";

std::vector<std::string> Column(const controls::TStringGrid& g, int col) {
  std::vector<std::string> out;
  for (int r = 0; r < g.RowCount(); ++r) out.push_back(g.Cell(col, r));
  return out;
}
}  // namespace

TEST_F(AnalysisTest, HeightGridListsEachPackageOnceElectricalFirstAndZeroAsZero) {
  auto d = Show(kOutline + kPlacements, kLibrary);
  EXPECT_EQ(Column(d->HeightGrid, 0), (std::vector<std::string>{"SOIC8", "FLAT", "HEATSINK"}));
  EXPECT_EQ(Column(d->HeightGrid, 1), (std::vector<std::string>{"2.500", "0", "10.000"}));
  EXPECT_EQ(d->HeightGrid.Col, 1);
  bool can = true;
  d->HeightGridSelectCell(0, 0, can);
  EXPECT_FALSE(can);
  d->HeightGridSelectCell(1, 0, can);
  EXPECT_TRUE(can);
}

TEST_F(AnalysisTest, EditedHeightGoesIntoEverySectionOfThatNameAtImport) {
  auto d = Show(kOutline + kPlacements, kLibrary);
  d->HeightGrid.SetCell(1, 0, "5");
  d->HeightGrid.SetCell(1, 2, "oops");
  d->UpdateIdfWithHeight();
  std::vector<double> elec;
  for (const auto& s : d->FImportIDF->SectionList())
    if (s->SectType == stELECTRICAL) elec.push_back(s->Thickness);
  ASSERT_EQ(elec.size(), 3u);
  EXPECT_NEAR(elec[0], 0.5, 1e-12);  // both spellings of SOIC8, in centimetres
  EXPECT_NEAR(elec[1], 0.5, 1e-12);
  EXPECT_NEAR(elec[2], 0.0, 1e-12);
  // A height that is no number keeps the library's and says so.
  EXPECT_NEAR(d->FImportIDF->FindFirstSection(stMECHANICAL)->Thickness, 1.0, 1e-12);
  const std::string line = "Height of HEATSINK is not a number (oops); the library height is used";
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, line));
  d->PageControl1.SelectPage(&d->LibraryTabSheet);  // takes the heights over once more
  EXPECT_EQ(CountOf(d->FImportIDF->ErrorLog, line), 1);
}

TEST_F(AnalysisTest, UnitChangeConvertsEveryLengthTextAndBackAgain) {
  store->SetBooleanInRegistry("HoleFilterGreaterThanSet", true);
  store->SetStringInRegistry("HoleFilterGreaterThanValue", "1.0");
  auto d = Show(kOutline + kPlacements, kLibrary);
  d->HeightUnitsCombo.Select(1);
  EXPECT_EQ(d->FFormUnits, utINCH);
  EXPECT_EQ(d->FPrecision, 5);
  for (auto* l : {&d->HoleFilterUnitsLabel, &d->BoardThicknessUnitsLabel, &d->CopperThicknessUnitsLabel})
    EXPECT_EQ(l->Caption, "in");
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "0.39370");
  EXPECT_EQ(Column(d->HeightGrid, 1), (std::vector<std::string>{"0.09843", "0.00000", "0.39370"}));
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "0.06299");
  EXPECT_EQ(d->CopperThickness.Text(), "0.00039");
  EXPECT_EQ(d->FHoleFilterGreaterThanVal, "0.03937");
  EXPECT_EQ(d->FHoleFilterLessThanVal, "3.93701");
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "0.03937");

  d->HeightUnitsCombo.Select(0);
  EXPECT_EQ(d->FFormUnits, utMM);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "10.000");
  EXPECT_EQ(Column(d->HeightGrid, 1), (std::vector<std::string>{"2.500", "0.000", "10.000"}));
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "1.600");
  EXPECT_EQ(d->HoleFilterSizeEdit.Text(), "1.000");
  EXPECT_EQ(d->HoleFilterUnitsLabel.Caption, "mm");

  d->HeightUnitsCombo.Select(2);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "393.70");
  EXPECT_EQ(d->HoleFilterUnitsLabel.Caption, "thou");
  // The heights taken over are in the unit they are shown in.
  d->UpdateIdfWithHeight();
  EXPECT_NEAR(d->FImportIDF->FindFirstSection(stELECTRICAL)->Thickness, 0.25, 1e-4);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AnalysisTest, UnitChangeWithoutHeightRowsStillConvertsAndSwitches) {
  auto d = Show(kOutline);
  ASSERT_EQ(d->HeightGrid.RowCount(), 0);
  d->BrdThicknessEdit.SetText("");
  d->HeightUnitsCombo.Select(1);
  EXPECT_EQ(d->FFormUnits, utINCH);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "0.39370");
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "");  // empty stays empty
  // A text that is no number is left as it is; the rest still converts.
  d->DefaultHeightEdit.SetText("abc");
  d->CopperThickness.SetText("1");
  const auto shown = Messages().size();
  d->HeightUnitsCombo.Select(0);
  EXPECT_EQ(d->FFormUnits, utMM);
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "abc");
  EXPECT_EQ(d->CopperThickness.Text(), "25.400");
  EXPECT_EQ(Messages().size(), shown);
}

TEST_F(AnalysisTest, HeightCellEditingRules) {
  auto d = Show(kOutline + kPlacements, kLibrary);
  d->HeightGrid.Row = 0;
  d->HeightGrid.Col = 1;
  d->HeightGrid.SetCell(1, 0, "1.2");
  char k = '3';
  d->HeightGridKeyPress(k);
  EXPECT_EQ(k, '3');
  k = 'x';
  d->HeightGridKeyPress(k);
  EXPECT_EQ(k, '\0');
  k = '\b';
  d->HeightGridKeyPress(k);
  EXPECT_EQ(k, '\b');
  d->HeightGridKeyDown();
  EXPECT_EQ(d->HeightGrid.Cell(1, 0), "1.200");
  // A cleared cell takes the default height when drawn; an empty row stays empty.
  d->HeightGrid.SetCell(1, 0, "");
  d->HeightGridDrawCell(1, 0);
  EXPECT_EQ(d->HeightGrid.Cell(1, 0), "10.000");
  d->DefaultHeightEdit.SetText("7");
  d->DefaultHeightEdit.Exit();
  EXPECT_EQ(d->DefaultHeightEdit.Text(), "7.000");
}

TEST_F(AnalysisTest, LibraryPartsWithoutSearchPathsListNothingAndSaySoPerSectionType) {
  auto d = Show(kOutline + kPlacements, kLibrary);
  d->UseLibParts.Checked = true;
  d->LibSearchPathCombobox.Items.clear();
  d->LoadHeightGrid();
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"No entries in Part Library Paths", "No entries in Part Library Paths"}));
  for (const auto& name : Column(d->HeightGrid, 0)) EXPECT_EQ(name, "");
  // One empty path: nothing listed, nothing said.
  d->LibSearchPathCombobox.Items = {""};
  d->LoadHeightGrid();
  EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(AnalysisTest, ColourLookUpIgnoresCaseAndGivesMinusOneForWhatItCannotRead) {
  auto d = MakeDialog();
  d->SetColourListText("PCB=$003AC556|R=clRed|K=clSKYBLUE|D=16|X=|Y=blue|Z=0x00FF00");
  EXPECT_EQ(d->GetPrefixColour("r"), 0x0000FF);
  EXPECT_EQ(d->GetPrefixColour("pcb"), 0x3AC556);
  EXPECT_EQ(d->GetPrefixColour("K"), 0xF0CAA6);
  EXPECT_EQ(d->GetPrefixColour("D"), 16);
  EXPECT_EQ(d->GetPrefixColour("Z"), 0x00FF00);
  EXPECT_EQ(d->GetPrefixColour("X"), -1);
  EXPECT_EQ(d->GetPrefixColour("Y"), -1);
  EXPECT_EQ(d->GetPrefixColour("Q"), -1);
  EXPECT_EQ(ColourValueToText(0x0000FF), "clRed");
  EXPECT_EQ(ColourValueToText(0x563412), "$00563412");
}

TEST_F(AnalysisTest, ColourGridShowsKindsAndPrefixesInUseOrEverything) {
  auto d = Show(kOutline + kPlacements, kLibrary);
  EXPECT_EQ(Column(d->ColourGrid, 0),
            (std::vector<std::string>{"PCB", "C", "R", "U", "OTHER", "COPPER", "OVERLAY", "OUTLINE", "KEEPOUT"}));
  EXPECT_EQ(d->ColourGrid.Cell(1, 0), "$003AC556");
  EXPECT_EQ(d->ColourGridDrawCell(1, 0), 0x3AC556);
  d->ColourCheckBox.Click();
  EXPECT_EQ(d->ColourGrid.RowCount(), 32);
  EXPECT_EQ(d->ColourGrid.Cell(0, 31), "KEEPOUT");
  // A board without placements keeps what the grid shows unless all entries are asked for.
  auto e = Show(kOutline, kEmptyLibrary, "e");
  EXPECT_EQ(e->ColourGrid.RowCount(), 0);
}

TEST_F(AnalysisTest, PickedColourIsWrittenToTheGridAndTheList) {
  auto d = Show(kOutline + kPlacements, kLibrary);
  d->ColourGrid.Row = 2;  // "R"
  ASSERT_EQ(d->ColourGrid.Cell(0, 2), "R");
  scripted->ColourAnswers.push_back(0x563412);
  d->ColourGrid.DblClick();
  EXPECT_EQ(d->ColourGrid.Cell(1, 2), "$00563412");
  EXPECT_EQ(d->GetPrefixColour("R"), 0x563412);
  scripted->ColourAnswers.push_back(0x0000FF);
  d->ColourGridKeyDown();
  EXPECT_EQ(d->ColourGrid.Cell(1, 2), "clRed");
  EXPECT_EQ(d->FColourHoldingList.Lines()[18], "R=clRed");
  // Cancelled: nothing changes.
  scripted->ColourAnswers.push_back(std::nullopt);
  d->ColourGrid.DblClick();
  EXPECT_EQ(d->ColourGrid.Cell(1, 2), "clRed");
}

TEST_F(AnalysisTest, PackagesFoundInThePartLibraryHaveNoHeightRow) {
  fs::create_directories(dir / "lib");
  Write("lib/SOIC8.CV_PRT", "ISO-10303-21;\n");
  store->SetBooleanInRegistry("UseLibParts", true);
  store->SetStringInRegistry("ImportLibSearchPath", Folder() + "lib");
  auto d = Show(kOutline + kPlacements, kLibrary);
  EXPECT_EQ(Column(d->HeightGrid, 0), (std::vector<std::string>{"FLAT", "HEATSINK"}));
  EXPECT_TRUE(Messages().empty());
}
