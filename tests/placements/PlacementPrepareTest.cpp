// Preparing the placement list through the dialog: cross-reference mapping, binding, outline
// passes, mechanical flag and the "Show Parts" report, on real folders.
#include "tests/support/DialogTestSupport.h"

#include <sstream>

namespace {
// Placements: R1, R2 (R0805), C1 (C0603, bottom, rotation -90), U1 (SOIC8), M1 (BRACKET).
const char* kBoard =
    ".HEADER\nBOARD_FILE 3.0 \"Test CAD\" 2026/01/01.12:00:00 1\nplc_board MM\n.END_HEADER\n"
    ".BOARD_OUTLINE ECAD\n1.6\n0 0 0 0\n0 100 0 0\n0 100 50 0\n0 0 50 0\n0 0 0 0\n.END_BOARD_OUTLINE\n"
    ".PLACEMENT\n"
    "R0805 RES-1K R1\n10 20 0.5 0 TOP PLACED\n"
    "C0603 CAP-1U C1\n30 20 0 -90 BOTTOM PLACED\n"
    "r0805 RES-2K R2\n40 20 0 90 TOP PLACED\n"
    "SOIC8 OPAMP U1\n50 25 0 0 TOP PLACED\n"
    "BRACKET MECH-1 M1\n5 5 0 0 TOP MCAD\n"
    ".END_PLACEMENT\n";
const char* kLibrary =
    ".HEADER\nLIBRARY_FILE 3.0 \"Test CAD\" 2026/01/01.12:00:00 1\n.END_HEADER\n"
    ".ELECTRICAL\nR0805 RES MM 0.6\n0 -1 -0.6 0\n0 1 -0.6 0\n0 1 0.6 0\n0 -1 0.6 0\n0 -1 -0.6 0\n.END_ELECTRICAL\n"
    ".ELECTRICAL\nC0603 CAP MM 0.8\n0 -0.8 -0.4 0\n0 0.8 -0.4 0\n0 0.8 0.4 0\n0 -0.8 0.4 0\n0 -0.8 -0.4 0\n"
    ".END_ELECTRICAL\n"
    ".ELECTRICAL\nSOIC8 IC MM 1.75\n0 -2 -2 0\n0 2 -2 0\n0 2 2 0\n0 -2 2 0\n0 -2 -2 0\n.END_ELECTRICAL\n"
    ".MECHANICAL\nSOIC8 IC MM 3.0\n0 0 0 0\n0 1 0 0\n0 1 1 0\n0 0 1 0\n0 0 0 0\n.END_MECHANICAL\n"
    ".MECHANICAL\nBRACKET MECH MM 5.0\n0 0 0 0\n0 3 0 0\n0 3 3 0\n0 0 3 0\n0 0 0 0\n.END_MECHANICAL\n";

class PrepareTest : public DialogTest {
 protected:
  std::unique_ptr<TCorvaneIdfImport> Show() {
    Write("plc.emn", kBoard);
    Write("plc.emp", kLibrary);
    return ShowWith((dir / "plc.emn").string());
  }
  void Part(const std::string& rel) const {
    fs::create_directories((dir / rel).parent_path());
    Write(rel, "ISO-10303-21;\n");
  }
  static std::vector<std::string> Detail(const TCorvaneIdfImport& d, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& l : d.FImportIDF->VerifyLog.Lines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
  static const TIdfPartPlacementObject& P(const TCorvaneIdfImport& d, int i) {
    return d.FPartPlaceList.GetPartRecord(i);
  }
  std::string Auto(const std::string& name) const { return Folder() + "plcAutoParts/" + name + ".CV_PRT"; }
};
}  // namespace

TEST_F(PrepareTest, WithoutLibraryPartsEveryPlacementIsAnAutoPartEvenWhenTheXrefMapsIt) {
  Write("map.xrf", "R0805=" + Folder() + "lib/R0805_1.CV_PRT\n");
  Part("lib/R0805_1.CV_PRT");
  auto d = Show();
  d->UseXrefCheckbox.Checked = true;
  d->XrefEdit.SetText(Folder() + "map.xrf");
  d->AssignFileNames();
  d->PrepareGlobalPlacementList();

  ASSERT_EQ(d->FPartPlaceList.Count(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(P(*d, i).FAutoPart);
    // r0805 is another part than R0805: a file of its own, though the names differ only in case.
    EXPECT_EQ(P(*d, i).FActualPart, Auto(i == 2 ? "r0805~2" : P(*d, i).FPackageName));
    EXPECT_EQ(P(*d, i).FAttributeName, "IdfPart_" + std::to_string(i));
    EXPECT_EQ(P(*d, i).FPartConfig, "Default");
  }
  EXPECT_TRUE(d->FWeHaveAutoParts);
  EXPECT_TRUE(Detail(*d, "Auto part : ").empty());
  EXPECT_TRUE(Detail(*d, "Use Lib. Parts").empty());
  EXPECT_EQ(Detail(*d, "Created Auto Part directory : "),
            std::vector<std::string>{"Created Auto Part directory : " + Folder() + "plcAutoParts/"});
  EXPECT_TRUE(fs::is_directory(dir / "plcAutoParts"));

  // Record values: bottom side, negative rotation, offset, part number, record index.
  const auto& c1 = P(*d, 1);
  EXPECT_EQ(c1.FDes, "C1");
  EXPECT_FALSE(c1.FTop);
  EXPECT_DOUBLE_EQ(c1.FRotation, -90);
  EXPECT_DOUBLE_EQ(c1.FX, 3.0);  // centimetres
  EXPECT_EQ(c1.FComment, "CAP-1U");
  EXPECT_EQ(c1.FPlaceSectionIndex, 1);
  EXPECT_DOUBLE_EQ(P(*d, 0).FIdfOffset, 0.05);
}

TEST_F(PrepareTest, XrefFolderEntryBypassesSearchPathsAndMissingFilesBecomeAutoParts) {
  Part("paths/R0805_1.CV_PRT");  // would be found by the search, but the entry names a folder
  Part("xref/R0805_1.CV_ASM");
  Part("paths/C0603.CV_PRT");
  Part("paths/sub/CAPX.CV_PRT");
  Write("map.xrf", "R0805=\"" + Folder() +
                       "xref/R0805_1.CV_PRT|Var2\"\n"
                       "SOIC8=" +
                       Folder() +
                       "nowhere/SO8.CV_PRT\n"
                       "C0603=CAPX\n"
                       "BRACKET=\n");
  store->SetBooleanInRegistry("UseLibParts", true);
  store->SetBooleanInRegistry("UsePartXref", true);
  store->SetStringInRegistry("PackageXrefFile", Folder() + "map.xrf");
  store->SetStringInRegistry("ImportLibSearchPath", Folder() + "paths");
  auto d = Show();
  d->ShowPartUsageButton.Click();

  ASSERT_EQ(d->FPartPlaceList.Count(), 5);
  const auto& r1 = P(*d, 0);
  EXPECT_EQ(r1.FPartFolder, Folder() + "xref/");
  EXPECT_EQ(r1.FPartName, "R0805_1");
  EXPECT_EQ(r1.FPartExt, ".CV_PRT");
  EXPECT_EQ(r1.FPartConfig, "Var2");
  EXPECT_FALSE(r1.FAutoPart);
  EXPECT_EQ(r1.FActualPart, Folder() + "xref/R0805_1.CV_ASM");
  // Bare name from the entry: searched in the search paths, sub-folders included.
  EXPECT_EQ(P(*d, 1).FActualPart, Folder() + "paths/sub/CAPX.CV_PRT");
  EXPECT_EQ(P(*d, 2).FActualPart, Folder() + "xref/R0805_1.CV_ASM");  // r0805 finds the R0805 entry
  EXPECT_TRUE(P(*d, 3).FAutoPart);
  EXPECT_EQ(P(*d, 3).FActualPart, Auto("SO8"));  // named after the entry's part, in the auto folder
  EXPECT_TRUE(P(*d, 4).FAutoPart);               // an empty value maps nothing
  EXPECT_EQ(P(*d, 4).FActualPart, Auto("BRACKET"));

  EXPECT_EQ(Detail(*d, "Part exists : "),
            (std::vector<std::string>{"Part exists : " + Folder() + "xref/R0805_1.CV_ASM",
                                      "Part exists : " + Folder() + "paths/sub/CAPX.CV_PRT",
                                      "Part exists : " + Folder() + "xref/R0805_1.CV_ASM"}));
  EXPECT_EQ(Detail(*d, "Auto part : "),
            (std::vector<std::string>{"Auto part : " + Folder() + "nowhere/SO8", "Auto part : BRACKET"}));
  EXPECT_EQ(Detail(*d, "Use Lib. Parts is ON").size(), 1u);
  EXPECT_EQ(Detail(*d, "Xref is on").size(), 1u);
  // The folder entry's search wrote no search lines for the xref folder.
  EXPECT_TRUE(Detail(*d, "Checking for : R0805_1").empty());

  // The report.
  EXPECT_TRUE(d->DetailRadioButton.Checked());
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->StatusTabSheet);
  EXPECT_EQ(d->LogMemo.Lines, (std::vector<std::string>{
                                  "R1 = " + Folder() + "xref/R0805_1.CV_ASM",
                                  "C1 = " + Folder() + "paths/sub/CAPX.CV_PRT",
                                  "R2 = " + Folder() + "xref/R0805_1.CV_ASM",
                                  "U1 = " + Auto("SO8"),
                                  "M1 = " + Auto("BRACKET"),
                              }));
}

TEST_F(PrepareTest, MissingPackagesShareOneAutoPartAndFoundOnesAreSearchedEachTime) {
  Part("lib/SOIC8.CV_PRT");
  store->SetBooleanInRegistry("UseLibParts", true);
  store->SetBooleanInRegistry("SearchSubDirectories", false);
  store->SetStringInRegistry("ImportLibSearchPath", Folder() + "lib");
  Write("plc.emn", std::string(kBoard).replace(std::string(kBoard).find("BRACKET MECH-1 M1"), 17, "SOIC8 OPAMP U2"));
  Write("plc.emp", kLibrary);
  auto d = ShowWith((dir / "plc.emn").string());
  d->AssignFileNames();
  // The height grid searched the library too while the dialog was shown.
  const std::size_t searchedBefore = Detail(*d, "Checking for : SOIC8.CV_PRT").size();
  d->PrepareGlobalPlacementList();

  EXPECT_EQ(Detail(*d, "Part exists : ").size(), 2u);  // U1 and U2, each searched
  EXPECT_EQ(Detail(*d, "Checking for : SOIC8.CV_PRT").size() - searchedBefore, 2u);
  // R1 and R2 (r0805): one search, one line; a file each, as the names are two parts.
  EXPECT_EQ(Detail(*d, "Auto part : "), (std::vector<std::string>{"Auto part : R0805", "Auto part : C0603"}));
  EXPECT_EQ(P(*d, 0).FActualPart, Auto("R0805"));
  EXPECT_EQ(P(*d, 2).FPartName, "r0805");
  EXPECT_EQ(P(*d, 2).FActualPart, Auto("r0805~2"));
  EXPECT_EQ(Detail(*d, "Auto part file of r0805 : "),
            std::vector<std::string>{"Auto part file of r0805 : " + Auto("r0805~2")});
  EXPECT_EQ(Detail(*d, "Checking for : r0805").size(), 0u);
}

TEST_F(PrepareTest, OutlinePassesGiveElectricalThenMechanicalOutlineToTheFirstPlacement) {
  auto d = Show();
  d->AssignFileNames();
  d->PrepareGlobalPlacementList();
  const auto& r1 = P(*d, 0);
  EXPECT_EQ(r1.FOutlineList.Count(), 4);
  EXPECT_DOUBLE_EQ(r1.FHeight, 0.06);
  EXPECT_EQ(r1.FOutlineList.fColour, 1);
  // R2 (r0805): the library search is case-blind, so its part of its own gets the same outline.
  EXPECT_EQ(P(*d, 2).FOutlineList.Count(), 4);
  EXPECT_DOUBLE_EQ(P(*d, 2).FHeight, 0.06);

  // SOIC8: electrical outline, then the mechanical one appended; the mechanical height wins.
  const auto& u1 = P(*d, 3);
  ASSERT_EQ(u1.FOutlineList.Count(), 8);
  EXPECT_DOUBLE_EQ(u1.FOutlineList.GetRecord(0).FX1, -0.2);
  EXPECT_DOUBLE_EQ(u1.FOutlineList.GetRecord(4).FX1, 0);
  EXPECT_DOUBLE_EQ(u1.FHeight, 0.3);

  // Mechanical flag: every placement whose package has a MECHANICAL section.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(P(*d, i).FIsElectrical, i != 3 && i != 4) << i;

  // A second preparation rebuilds the list instead of adding to it.
  d->PrepareGlobalPlacementList();
  EXPECT_EQ(d->FPartPlaceList.Count(), 5);
  EXPECT_EQ(P(*d, 3).FOutlineList.Count(), 8);
}

TEST_F(PrepareTest, PackagesMappedToOnePartNameGetOneOutlinePerPass) {
  Write("map.xrf", "R0805=SHARED\nC0603=SHARED.CV_PRT\n");
  store->SetBooleanInRegistry("UseLibParts", true);
  store->SetBooleanInRegistry("UsePartXref", true);
  store->SetStringInRegistry("PackageXrefFile", Folder() + "map.xrf");
  store->SetStringInRegistry("ImportLibSearchPath", Folder() + "empty");
  fs::create_directories(dir / "empty");
  auto d = Show();
  d->AssignFileNames();
  d->PrepareGlobalPlacementList();
  EXPECT_EQ(P(*d, 0).FOutlineList.Count(), 4);  // R0805 comes first in the library
  EXPECT_TRUE(P(*d, 1).FOutlineList.Empty());   // C0603 maps to the same part name
  EXPECT_DOUBLE_EQ(P(*d, 1).FHeight, 0);
  EXPECT_EQ(P(*d, 0).FActualPart, Auto("SHARED"));
  EXPECT_EQ(P(*d, 1).FActualPart, Auto("SHARED"));
  EXPECT_EQ(P(*d, 1).FPartExt, ".CV_PRT");
  EXPECT_EQ(P(*d, 0).FPartExt, "");
  EXPECT_EQ(Detail(*d, "Auto part : SHARED").size(), 1u);
}

TEST_F(PrepareTest, SelectionByDesignatorOrPackage) {
  auto d = Show();
  d->AssignFileNames();
  auto check = [](controls::TCheckListBox& list, const std::string& prefix) {
    for (int i = 0; i < list.Count(); ++i) list.SetChecked(i, list.Item(i).rfind(prefix, 0) == 0);
  };
  d->DesignatorRadioButton.SetChecked(true);
  check(d->SelectedDesignatorsCheckListBox, "C1=");
  d->PrepareGlobalPlacementList();
  ASSERT_EQ(d->FPartPlaceList.Count(), 1);
  EXPECT_EQ(P(*d, 0).FDes, "C1");
  EXPECT_EQ(P(*d, 0).FPlaceSectionIndex, 1);
  EXPECT_EQ(P(*d, 0).FAttributeName, "IdfPart_0");

  // Package selection: both spellings of the package.
  d->PackageNameRadioButton.SetChecked(true);
  check(d->SelectedPackageNamesCheckListBox, "R0805");
  d->PrepareGlobalPlacementList();
  ASSERT_EQ(d->FPartPlaceList.Count(), 2);
  EXPECT_EQ(P(*d, 1).FDes, "R2");
}

TEST_F(PrepareTest, AutoPartFolderThatCannotBeCreatedIsAnErrorAndPreparationGoesOn) {
  auto d = Show();
  d->AssemblyPathEdit.SetText(Folder() + "missing/parent/");
  d->ShowPartUsageButton.Click();
  EXPECT_EQ(d->FImportIDF->ErrorLog.Last(), "Failed to create directory " + Folder() + "missing/parent/plcAutoParts/");
  EXPECT_EQ(d->LogMemo.Lines.size(), 5u);
}

TEST_F(PrepareTest, BoardWithoutPlacementsLeavesTheScreenAlone) {
  const std::string board = WriteSample();
  std::string text = kSampleBoard;
  text = text.substr(0, text.find(".PLACEMENT"));
  Write("sample.emn", text);
  auto d = ShowWith(board);
  d->PageControl1.SetActivePage(&d->SettingsTabSheet);
  d->LogMemo.Lines = {"kept"};
  d->ShowPartUsageButton.Click();
  EXPECT_EQ(d->FPartPlaceList.Count(), 0);
  EXPECT_EQ(d->PageControl1.ActivePage(), &d->SettingsTabSheet);
  EXPECT_EQ(d->LogMemo.Lines, std::vector<std::string>{"kept"});
  EXPECT_TRUE(Detail(*d, "Auto part").empty());
  EXPECT_FALSE(d->FWeHaveAutoParts);
}

TEST_F(PrepareTest, CrossReferenceValuesSplitIntoFolderNameExtensionAndConfiguration) {
  Write("map.xrf",
        "R0805=C:\\lib\\res\\R0805_1.CV_PRT|Var2\n"
        "c0603=C0603_A\n"
        "SOIC8=\"so8.prt\n"
        "BRACKET=\"|Cfg\"\n");
  auto d = Show();
  d->UseLibParts.Checked = true;
  d->UseXrefCheckbox.Checked = true;
  d->XrefEdit.SetText(Folder() + "map.xrf");
  d->AssignFileNames();
  d->PrepareGlobalPlacementList();
  std::string folder, name, ext, config;
  d->ConstructPartNameData("r0805", folder, name, ext, config);
  EXPECT_EQ(folder, "C:\\lib\\res\\");
  EXPECT_EQ(name, "R0805_1");
  EXPECT_EQ(ext, ".CV_PRT");
  EXPECT_EQ(config, "Var2");
  d->ConstructPartNameData("C0603", folder, name, ext, config);
  EXPECT_EQ(folder, "");
  EXPECT_EQ(name, "C0603_A");
  EXPECT_EQ(ext, "");
  EXPECT_EQ(config, "Default");
  d->ConstructPartNameData("SOIC8", folder, name, ext, config);  // a lone leading quote stays
  EXPECT_EQ(name, "\"so8");
  d->ConstructPartNameData("BRACKET", folder, name, ext, config);  // no part named: the package
  EXPECT_EQ(name, "BRACKET");
  EXPECT_EQ(config, "Cfg");
  d->ConstructPartNameData("NOTLISTED", folder, name, ext, config);
  EXPECT_EQ(name, "NOTLISTED");
  EXPECT_EQ(ext, ".CV_PRT");

  // Off switches return the package itself; the table keeps the last file loaded.
  d->UseXrefCheckbox.Checked = false;
  d->ConstructPartNameData("R0805", folder, name, ext, config);
  EXPECT_EQ(name, "R0805");
  EXPECT_EQ(d->FPartXrefTable.Count(), 4);
  fs::remove(dir / "map.xrf");
  d->UseXrefCheckbox.Checked = true;
  d->PrepareGlobalPlacementList();
  EXPECT_EQ(d->FPartXrefTable.Count(), 4);
}
