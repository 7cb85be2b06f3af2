// Outline check, special sections, outline and keep-out boxes, thickness and the number check.
#include "tests/analysis/AnalysisTestSupport.h"

using controls::TCheckBox;

namespace {
const std::string kViaKeepout = ".VIA_KEEPOUT ECAD\n" + Square(20) + ".END_VIA_KEEPOUT\n";
const std::string kRouteOutline = ".ROUTE_OUTLINE ECAD\nALL\n" + Square(30) + ".END_ROUTE_OUTLINE\n";
const std::string kPlaceRegion = ".PLACE_REGION UNOWNED\nTOP \"R1\" 8.0\n" + Square(40) + ".END_PLACE_REGION\n";
}  // namespace

TEST_F(AnalysisTest, OnlyPresentSectionTypesEnableTheirBoxesAndStoredChecksOfOthersAreDropped) {
  for (const char* n : {"DoRouteOutlines", "DoPlaceOutlines", "DoPlaceRegions", "DoOtherOutlines", "DoRouteKeepouts",
                        "DoPlaceKeepouts", "DoViaKeepouts"})
    store->SetBooleanInRegistry(n, true);
  auto d = Show(kOutline + kViaKeepout);

  EXPECT_TRUE(d->ViaKeepoutCB.Enabled);
  EXPECT_TRUE(d->ViaKeepoutCB.Checked);
  EXPECT_TRUE(d->KeepoutGroup.Enabled);
  EXPECT_FALSE(d->OutlineGroup.Enabled);
  for (TCheckBox* cb : {&d->RouteKeepoutCB, &d->PlaceKeepoutCB, &d->RouteOutlineCB, &d->PlaceOutlineCB,
                        &d->PlaceRegionCB, &d->OtherOutlineCB}) {
    EXPECT_FALSE(cb->Enabled) << cb->Name;
    EXPECT_FALSE(cb->Checked) << cb->Name;
  }
  // The via keep-out stays checked, so place features may be suppressed.
  EXPECT_TRUE(d->SuppressPlaceFeatures.Enabled);
  const auto& summary = d->FImportIDF->SummaryLog;
  EXPECT_TRUE(Has(summary, "Via Keepouts : 1"));
  EXPECT_FALSE(Has(summary, "Route Outlines : 0"));
  EXPECT_EQ(d->FVIA_KEEPOUTCount, 1);
  EXPECT_EQ(d->FROUTE_OUTLINECount, 0);
  EXPECT_TRUE(d->FImportIDF->ErrorLog.Empty());
}

TEST_F(AnalysisTest, SummaryCountsEverySectionInFixedOrderWithOtherOutlinesLast) {
  auto d = Show(kOutline + Other("BOARDTEXT") + kPlaceRegion + kRouteOutline + kRouteOutline + kViaKeepout);
  const auto& l = d->FImportIDF->SummaryLog.Lines();
  auto at = [&](const std::string& s) { return std::find(l.begin(), l.end(), s) - l.begin(); };
  ASSERT_TRUE(Has(d->FImportIDF->SummaryLog, "Route Outlines : 2"));
  ASSERT_TRUE(Has(d->FImportIDF->SummaryLog, "Place Regions : 1"));
  ASSERT_TRUE(Has(d->FImportIDF->SummaryLog, "Other Outlines : 1"));
  EXPECT_LT(at("Route Outlines : 2"), at("Via Keepouts : 1"));
  EXPECT_LT(at("Via Keepouts : 1"), at("Place Regions : 1"));
  EXPECT_LT(at("Place Regions : 1"), at("Other Outlines : 1"));
  // An ordinary other outline may become a feature; the special boxes stay hidden.
  EXPECT_TRUE(d->OtherOutlineCB.Enabled);
  EXPECT_FALSE(d->CopperGroupBox.Visible);
  EXPECT_TRUE(d->FWeHaveUnknownOtherOutLine);
  EXPECT_FALSE(d->FWeHaveSpecialOutlines);
}

TEST_F(AnalysisTest, SpecialSectionsShowTheirBoxesAndOnlyTheFirstOtherOutlineDecidesOther) {
  auto d = Show(kOutline + Other("TOPOVERLAY") + Other("BOARDTEXT") + Other("MyPads", "BOTTOM"));
  EXPECT_TRUE(d->CopperGroupBox.Visible);
  EXPECT_TRUE(d->CopperThickness.Visible);
  EXPECT_TRUE(d->CopperThicknessLabel.Visible);
  EXPECT_TRUE(d->DoOverlays.Visible);
  EXPECT_TRUE(d->DoPads.Visible);  // "PADS" anywhere in the name
  for (TCheckBox* cb : {&d->DoVias, &d->DoTracks, &d->DoOverlayText, &d->DoPolygons})
    EXPECT_FALSE(cb->Visible) << cb->Name;
  EXPECT_TRUE(d->FWeHaveOverLays && d->FWeHavePads && d->FWeHaveSpecialOutlines && d->FWeHaveUnknownOtherOutLine);
  EXPECT_FALSE(d->OtherOutlineCB.Enabled);
  EXPECT_TRUE(Has(d->FImportIDF->SummaryLog, "Other Outlines : 3"));
  // Overlay text and polygons count by their whole names only.
  auto e = Show(kOutline + Other("TOPOVERLAYTEXTX") + Other("bottompolygons"), kEmptyLibrary, "e");
  EXPECT_FALSE(e->DoOverlayText.Visible);
  EXPECT_TRUE(e->DoPolygons.Visible);
  EXPECT_TRUE(e->FWeHaveUnknownOtherOutLine);
}

TEST_F(AnalysisTest, AnotherBoardFromThePathEditIsAnalysedFromScratch) {
  auto d = Show(kOutline + Other("TOPPADS") + kViaKeepout + kRouteOutline);
  ASSERT_TRUE(d->DoPads.Visible);
  Write("c.emn", std::string(kHeader) + kOutline + kRouteOutline);
  Write("c.emp", kEmptyLibrary);
  scripted->FileAnswers.push_back(Folder() + "c.emn");
  d->BoardFilePathButton.Click();

  ASSERT_EQ(d->BoardFilePathEdit.Text(), Folder() + "c.emn");
  EXPECT_FALSE(d->DoPads.Visible);
  EXPECT_FALSE(d->CopperGroupBox.Visible);
  EXPECT_FALSE(d->FWeHavePads);
  EXPECT_FALSE(d->ViaKeepoutCB.Enabled);
  EXPECT_TRUE(d->RouteOutlineCB.Enabled);
  EXPECT_EQ(d->FVIA_KEEPOUTCount, 0);
  EXPECT_TRUE(Has(d->FImportIDF->SummaryLog, "Route Outlines : 1"));
  EXPECT_FALSE(Has(d->FImportIDF->SummaryLog, "Via Keepouts : 1"));
}

TEST_F(AnalysisTest, SuppressPlaceFeaturesFollowsTheOutlineAndKeepoutChecksButNotPlaceRegion) {
  auto d = Show(kOutline + kRouteOutline + kPlaceRegion + kViaKeepout);
  EXPECT_FALSE(d->SuppressPlaceFeatures.Enabled);
  d->PlaceRegionCB.Click();
  EXPECT_TRUE(d->PlaceRegionCB.Checked);
  EXPECT_FALSE(d->SuppressPlaceFeatures.Enabled);
  EXPECT_FALSE(d->SuppressGroupBox.Enabled);
  d->RouteOutlineCB.Click();
  EXPECT_TRUE(d->SuppressPlaceFeatures.Enabled);
  EXPECT_TRUE(d->SuppressGroupBox.Enabled);
  d->RouteOutlineCB.Click();
  d->ViaKeepoutCB.Click();
  EXPECT_TRUE(d->SuppressPlaceFeatures.Enabled);
  d->ViaKeepoutCB.Click();
  EXPECT_FALSE(d->SuppressPlaceFeatures.Enabled);
}

TEST_F(AnalysisTest, FeatureRuleTakesCheckedOutlineAndKeepoutTypesButNeverOtherOutlines) {
  auto d = MakeDialog();
  d->RouteOutlineCB.Checked = d->PlaceRegionCB.Checked = d->OtherOutlineCB.Checked = d->ViaKeepoutCB.Checked = true;
  EXPECT_TRUE(d->DoMiscOutlineSectionCheck(stROUTE_OUTLINE));
  EXPECT_TRUE(d->DoMiscOutlineSectionCheck(stPLACE_REGION));
  EXPECT_TRUE(d->DoMiscOutlineSectionCheck(stVIA_KEEPOUT));
  EXPECT_FALSE(d->DoMiscOutlineSectionCheck(stPLACE_OUTLINE));
  EXPECT_FALSE(d->DoMiscOutlineSectionCheck(stROUTE_KEEPOUT));
  EXPECT_FALSE(d->DoMiscOutlineSectionCheck(stOTHER_OUTLINE));
  EXPECT_FALSE(d->DoMiscOutlineSectionCheck(stBOARD_OUTLINE));
}

TEST_F(AnalysisTest, MissingBoardOutlineIsAnErrorLine) {
  auto d = Show(kViaKeepout);
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "No Board Outline section in the Board File"));
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "");  // nothing to show
  auto ok = Show(kOutline, kEmptyLibrary, "ok");
  EXPECT_FALSE(Has(ok->FImportIDF->ErrorLog, "No Board Outline section in the Board File"));
}

TEST_F(AnalysisTest, BoardThicknessIsShownInTheWorkingUnitAndTakenOverAtImport) {
  store->SetStringInRegistry("BoardThickness", "9.999");  // replaced by the board's own
  auto d = Show(kOutline);
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "1.600");
  TSection* board = d->FImportIDF->FindFirstSection(stBOARD_OUTLINE);

  d->BrdThicknessEdit.SetText("2");
  d->UpdateBoardThickness(true);
  EXPECT_NEAR(board->Thickness, 0.2, 1e-12);  // centimetres
  EXPECT_NEAR(d->FImportIDF->BoardThickness, 0.2, 1e-12);

  d->BrdThicknessEdit.SetText("");
  d->UpdateBoardThickness(true);
  EXPECT_NEAR(board->Thickness, 0.2, 1e-12);
  EXPECT_TRUE(Messages().empty());

  // In inches the same board reads 0.06299 and the edit's value is taken as inches.
  store->SetIntegerInRegistry("ImportHeightUnitsIndex", 1);
  store->SetStringInRegistry("ImportDefaultHeight", "0.39370");
  auto inch = Show(kOutline, kEmptyLibrary, "inch");
  EXPECT_EQ(inch->BrdThicknessEdit.Text(), "0.06299");
  inch->BrdThicknessEdit.SetText("0.1");
  inch->UpdateBoardThickness(true);
  EXPECT_NEAR(inch->FImportIDF->BoardThickness, 0.254, 1e-12);
}

TEST_F(AnalysisTest, NumberCheckCompletesALeadingSeparatorAndRefusesLetters) {
  auto d = Show(kOutline);
  d->BrdThicknessEdit.SetText(".5");
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "0.5");
  EXPECT_TRUE(Messages().empty());
  d->BrdThicknessEdit.SetText("abc");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Numbers must be entered in field : Board Thickness"});
  EXPECT_EQ(d->BrdThicknessEdit.Text(), "abc");  // left as typed
  d->CopperThickness.SetText("x");
  EXPECT_EQ(Messages().back(), "Numbers must be entered in field : Copper Thickness");
  // A thickness that is no number is ignored at import.
  d->UpdateBoardThickness(true);
  EXPECT_NEAR(d->FImportIDF->BoardThickness, 0.16, 1e-12);
  EXPECT_FALSE(d->FpNumberEditChangeCheck(d->BrdThicknessEdit, "Board Thickness"));
  d->BrdThicknessEdit.SetText("");
  EXPECT_FALSE(d->FpNumberEditChangeCheck(d->BrdThicknessEdit, "Board Thickness"));
  EXPECT_EQ(Messages().size(), 3u);
}
