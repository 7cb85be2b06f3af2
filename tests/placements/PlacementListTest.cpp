// The placement object and its list.
#include <gtest/gtest.h>

#include "CommonObjects/IdfPartPlacementObject.h"
#include "CommonObjects/IdfStrUtils.h"

namespace {
std::unique_ptr<TIdfPartPlacementObject> P(const std::string& des, const std::string& pkg) {
  return std::make_unique<TIdfPartPlacementObject>(des, pkg, "PN", 1.5, -2, -90, false);
}
}  // namespace

TEST(PlacementList, PackageLookupFoldsAsciiOnlyAndMechFlagHitsEveryPlacementOfThePackage) {
  TIdfPartPlacementObjectList list;
  EXPECT_EQ(list.GetIndexOfPackageName("C0805"), -1);
  const char* pkgs[] = {"R1", "SOIC8", "C0805", "X", "Y", "c0805", "Z", "W", "Q", "C0805", "\xc3\xa9tui"};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(list.Add(P("D" + std::to_string(i), pkgs[i])), i);

  EXPECT_EQ(list.GetIndexOfPackageName("soic8"), 1);
  EXPECT_EQ(list.GetIndexOfPackageName("c0805"), 2);
  EXPECT_EQ(list.GetIndexOfPackageName("\xc3\xa9tui"), 10);
  EXPECT_EQ(list.GetIndexOfPackageName("\xc3\x89TUI"), -1);  // a non-ASCII letter does not fold

  list.SetAsMechPart("C0805");
  for (int i = 0; i < list.Count(); ++i)
    EXPECT_EQ(list.GetPartRecord(i).FIsElectrical, !(i == 2 || i == 5 || i == 9)) << i;

  EXPECT_THROW(list.GetPartRecord(11), EListIndexError);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}
