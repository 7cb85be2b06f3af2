// Board feature outline lists: which sections become lists, their names, sides, heights.
#include "tests/model/ModelTestSupport.h"

namespace {
using TLists = std::vector<std::unique_ptr<TBoardOutlineObjectList>>;

const char* kKeepouts =
    ".ROUTE_KEEPOUT ECAD\nTOP\n0 0 0 0\n0 10 0 0\n0 10 10 0\n0 0 0 0\n.END_ROUTE_KEEPOUT\n"
    ".ROUTE_KEEPOUT ECAD\nBOTTOM\n0 0 0 0\n0 10 0 0\n0 10 10 0\n0 0 0 0\n.END_ROUTE_KEEPOUT\n"
    ".PLACE_REGION UNOWNED\nBOTH R1\n0 20 20 0\n0 30 20 0\n0 30 30 0\n0 20 20 0\n.END_PLACE_REGION\n"
    ".ROUTE_OUTLINE ECAD\nINNER\n0 0 0 0\n0 5 0 0\n0 5 5 0\n0 0 0 0\n.END_ROUTE_OUTLINE\n";

// Special sections keep only their inner loops; loop 0 is the section's frame.
std::string Other(const std::string& name, const std::string& side) {
  return ".OTHER_OUTLINE ECAD\n" + name + " 0.035 " + side +
         "\n0 0 0 0\n0 90 0 0\n0 90 40 0\n0 0 0 0\n1 10 10 0\n1 20 10 0\n1 20 20 0\n1 10 10 0\n.END_OTHER_OUTLINE\n";
}
}  // namespace

TEST_F(ModelTest, KeepoutAndRegionListsAreNamedBySectionIndexAndLayer) {
  auto d = Show(BoardText(kKeepouts));
  d->RouteKeepoutCB.Checked = d->PlaceRegionCB.Checked = d->RouteOutlineCB.Checked = true;
  TLists lists;
  d->GetMiscFeatureOutlineLists(lists);
  ASSERT_EQ(lists.size(), 4u);
  // Type order: route outline, route keep-outs, place region.
  EXPECT_EQ(lists[0]->fListName, "RouteOutline_1_Inner ");
  EXPECT_EQ(lists[0]->fAttributeName, "ROUTE_OUTLINE__Inner |1");
  EXPECT_EQ(lists[1]->fListName, "RouteKeepout_1_Top");
  EXPECT_EQ(lists[1]->fAttributeName, "ROUTE_KEEPOUT__Top|1");
  EXPECT_TRUE(lists[1]->fTop);
  EXPECT_TRUE(lists[1]->fExtrudeSingleDir);
  EXPECT_DOUBLE_EQ(lists[1]->fBodyHeight, 0.0001);
  EXPECT_EQ(lists[2]->fListName, "RouteKeepout_2_Bottom");
  EXPECT_FALSE(lists[2]->fTop);
  EXPECT_TRUE(lists[2]->fExtrudeSingleDir);
  EXPECT_EQ(lists[3]->fListName, "PlaceRegion_R1_Both");
  EXPECT_EQ(lists[3]->fAttributeName, "PLACE_REGION_R1_Both_");
  EXPECT_TRUE(lists[3]->fTop);
  EXPECT_FALSE(lists[3]->fExtrudeSingleDir);
  EXPECT_EQ(lists[3]->Count(), 3);

  // Unchecked types give nothing, whatever the board holds.
  d->PlaceRegionCB.Checked = d->RouteOutlineCB.Checked = false;
  TLists fewer;
  d->GetMiscFeatureOutlineLists(fewer);
  ASSERT_EQ(fewer.size(), 2u);
  EXPECT_EQ(fewer[0]->fListName, "RouteKeepout_1_Top");
}

TEST_F(ModelTest, SpecialSectionsBecomeCopperAndOverlayLists) {
  auto d = Show(BoardText(Other("TOPPADS", "TOP") + Other("BottomPolygons", "BOTTOM") + Other("VIAS", "TOP") +
                          Other("TOPOVERLAY", "TOP") + Other("SOMETHING", "TOP")));
  d->FWeHaveSpecialOutlines = true;
  d->CopperThickness.SetText("0.035");
  d->DoPads.Checked = d->DoPolygons.Checked = d->DoVias.Checked = d->DoOverlays.Checked = true;
  TLists lists;
  d->GetPcbFeatureOutlineLists(lists);
  ASSERT_EQ(lists.size(), 5u);
  EXPECT_EQ(lists[0]->fListName, "Pads");
  EXPECT_EQ(lists[0]->fAttributeName, "TopPadsBoss");
  EXPECT_EQ(lists[0]->Count(), 3);  // loop 0 removed
  EXPECT_NEAR(lists[0]->fBodyHeight, 0.0035, 1e-12);
  EXPECT_EQ(lists[1]->fListName, "Polygons");
  EXPECT_FALSE(lists[1]->fTop);
  EXPECT_EQ(lists[1]->fAttributeName, "BottomPolygonsBoss");
  // Vias reach through: the same outline on both faces, as separate elements.
  EXPECT_EQ(lists[2]->fListName, "VIAS");
  EXPECT_TRUE(lists[2]->fTop);
  EXPECT_EQ(lists[2]->fAttributeName, "TopViasBoss");
  EXPECT_EQ(lists[3]->fListName, "VIAS");
  EXPECT_FALSE(lists[3]->fTop);
  EXPECT_EQ(lists[3]->fAttributeName, "BottomViasBoss");
  ASSERT_EQ(lists[3]->Count(), lists[2]->Count());
  EXPECT_NE(lists[3]->Items(0).get(), lists[2]->Items(0).get());
  EXPECT_EQ(lists[4]->fListName, "Overlay");
  EXPECT_EQ(lists[4]->fAttributeName, "TopOverlayBoss");
  EXPECT_EQ(TIdfImportFormV4_XE2::BuildSpecialFeatureAttributeName(false, "Overlay"), "BottomOverlayBoss");
  EXPECT_EQ(TIdfImportFormV4_XE2::BuildSpecialFeatureAttributeName(true, "Other"), "Other");
}

TEST_F(ModelTest, SpecialListsNeedTheirBoxAndAReadableThickness) {
  auto d = Show(BoardText(Other("TOPPADS", "TOP") + Other("VIAS", "TOP")));
  d->FWeHaveSpecialOutlines = true;
  d->DoTracks.Checked = true;  // a box, but not the one for pads or vias
  TLists none;
  d->GetPcbFeatureOutlineLists(none);
  EXPECT_TRUE(none.empty());

  d->DoPads.Checked = true;
  d->CopperThickness.SetText("");
  TLists empty;
  d->GetPcbFeatureOutlineLists(empty);
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(empty[0]->fBodyHeight, 0);
  EXPECT_TRUE(d->FImportIDF->ErrorLog.Empty());

  d->CopperThickness.SetText("thin");
  TLists bad;
  d->GetPcbFeatureOutlineLists(bad);
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_EQ(bad[0]->fBodyHeight, 0);
  EXPECT_TRUE(Has(d->FImportIDF->ErrorLog, "Problem reading Copper Thickness"));

  d->FWeHaveSpecialOutlines = false;
  TLists noSpecial;
  d->GetPcbFeatureOutlineLists(noSpecial);
  EXPECT_TRUE(noSpecial.empty());
}
