// `corvane-idf batch`: arguments and exit status, the settings store, what the analysis reports,
// the selection, the height edits, the part binding and the progress display.
#include "tests/app/BatchFixture.h"

#include "CommonObjects/GetRegInfoExt.h"

namespace {
const char* const kHeader =
    ".HEADER\nBOARD_FILE 3.0 \"Test Writer\" 2026/01/01.00:00:00 1\ntestboard MM\n.END_HEADER\n";
}  // namespace

// ---- arguments, files and exit status ----

TEST_F(BatchTest, ErrorsGiveExitOneAndAreListed) {
  Write("e.emn", std::string(kHeader) + ".NOTES\n1 1 1\n.END_NOTES\n");
  auto r = Batch({Folder() + "e.emn"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_TRUE(Contains(r.Out, "---- Error ----\nNOTES> Line:6 incorrect number of fields\n")) << r.Out;
}

TEST_F(BatchTest, UsageAndUnreadableFilesGiveExitTwo) {
  EXPECT_EQ(Run({}).Code, 2);
  EXPECT_EQ(Run({"a.emn", "b.emn"}).Code, 2);
  EXPECT_EQ(Run({"a.emn", "--log"}).Code, 2);
  auto bad = Batch({Sample(), "--log", "everything"});
  EXPECT_EQ(bad.Code, 2);
  EXPECT_TRUE(Contains(bad.Err, "--log"));
  auto missing = Batch({"/nonexistent/board.emn"});
  EXPECT_EQ(missing.Code, 2);
  EXPECT_TRUE(Contains(missing.Err, "cannot read board file"));
  EXPECT_EQ(missing.Out, "");
  EXPECT_EQ(Batch({Sample(), "--library", "/nonexistent/x.emp"}).Code, 2);
}

TEST_F(BatchTest, ExitCodesStayAsTheyWere) {
  EXPECT_EQ(Run({Folder() + "missing.emn", "--no-settings"}).Code, 2);
  Write("bad.emn", ".HEADER\nLIBRARY_FILE 3.0 x 2026/01/01 1\n.END_HEADER\n");
  auto bad = Run({Folder() + "bad.emn", "--no-settings", "--log", "summary"});
  EXPECT_EQ(bad.Code, 1);
  EXPECT_TRUE(Contains(bad.Out, "---- Error ----"));
  EXPECT_TRUE(Contains(bad.Err, "Errors were found while reading the input files"));
  Write("blank.emn", "\n   \n");
  auto blank = Run({Folder() + "blank.emn", "--no-settings"});
  EXPECT_EQ(blank.Code, 1);
  EXPECT_TRUE(Contains(blank.Out, "Exception : LoadFiles | no IDF data to read")) << blank.Out;
  const std::string board = WriteSample();
  Write("lib2.emp", kSampleLibrary);
  auto lib = Run({board, "--no-settings", "--library", Folder() + "lib2.emp", "--log", "all"});
  EXPECT_EQ(lib.Code, 0);
  EXPECT_TRUE(Contains(lib.Out, "lib2.emp"));
}

TEST_F(BatchTest, ExplicitLibraryFile) {
  if (SharedIdfDir().empty()) GTEST_SKIP() << "shared IDF test data not found";
  auto r = Batch({SharedIdfDir() + "board.emn", "--library", SharedIdfDir() + "library.emp"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  EXPECT_TRUE(Contains(r.Out, "Elec Parts\t\t5"));
}

// ---- the settings store ----

TEST_F(BatchTest, RunsTheShowSequenceAndLeavesTheStoreAlone) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "cfg");
  const std::string stored =
      "REGEDIT4\n\n[\\Software\\Pellmark\\Corvane\\IDF]\n\"SearchSubDirectories\"=\"not a number\"\n"
      "\"ImportDefaultHeight\"=\"5\"\n";
  Write("cfg/registry.reg", stored);
  auto r = Run({board, "--settings", Settings(), "--log", "all"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "---- Summary ----"));
  EXPECT_TRUE(Contains(r.Out, "Font Setting"));
  EXPECT_TRUE(Contains(r.Out, "---- Detail ----"));
  EXPECT_EQ(ReadFileBytes(Settings()), stored);  // the repair stayed in memory
}

TEST_F(BatchTest, SetValuesGoThroughTheShowSequenceAndAreSavedOnRequest) {
  const std::string board = WriteSample();
  auto r = Run({board, "--no-settings", "--settings", Settings(), "--set", "DoPads=true", "--set",
                "ImportHeightUnitsIndex=1", "--set", "importdefaultheight=5", "--set", "HolesPerFeature=25", "--set",
                "XrefFormWidth=700", "--save-settings"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  auto file = std::make_shared<TRegistryFileMedium>(Settings());
  TGetInfoFromRegistry s(file);
  s.SetKey("Corvane\\IDF");
  EXPECT_TRUE(s.GetBooleanFromRegistry("DoPads"));
  // The height is meant in the unit given, and written as the dialog writes it (inches: five
  // decimals), so the show sequence does not reset it to 10 mm.
  EXPECT_EQ(s.GetIntegerFromRegistry("ImportHeightUnitsIndex"), 1);
  EXPECT_EQ(s.GetStringFromRegistry("ImportDefaultHeight"), "5.00000");
  EXPECT_EQ(s.GetStringFromRegistry("HolesPerFeature"), "25");
  EXPECT_EQ(s.GetIntegerFromRegistry("XrefFormWidth"), 700);
  EXPECT_EQ(s.GetStringFromRegistry("ImportBoardFilePath"), board);
  EXPECT_EQ(s.GetStringFromRegistry("ImportAssemblyPath"), Folder());
}

TEST_F(BatchTest, SettingErrorsAreUsageErrorsThatNameTheSetting) {
  const std::string board = WriteSample();
  std::string out;
  auto expectUsage = [&](const std::vector<std::string>& set, const std::string& named) {
    std::vector<std::string> args{board};
    args.insert(args.end(), set.begin(), set.end());
    auto r = Run(args);
    EXPECT_EQ(r.Code, 2) << set.back();
    if (!named.empty()) {
      EXPECT_TRUE(Contains(r.Err, named)) << r.Err;
    }
    out += r.Out;
  };
  expectUsage({"--set", "DoPadz=true"}, "'DoPadz' is no setting");
  expectUsage({"--set", "DoPads=maybe"}, "'DoPads'");
  expectUsage({"--set", "ImportFormLeft=12px"}, "'ImportFormLeft'");
  expectUsage({"--set", "ImportFormLeft=99999999999"}, "");
  expectUsage({"--set", "DoPads"}, "");
  expectUsage({"--set"}, "");
  EXPECT_TRUE(out.empty());
}

TEST_F(BatchTest, AStoreThatCannotBeWrittenIsReported) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "cfg" / "registry.reg");  // a folder in the file's place
  auto r = Run({board, "--no-settings", "--settings", Settings(), "--save-settings"});
  EXPECT_EQ(r.Code, 2);
  EXPECT_TRUE(Contains(r.Err, "settings"));
}

// ---- analysis, selection and heights ----

TEST_F(BatchTest, SummaryCarriesTheHoleFilter) {
  auto f = Batch({Sample(), "--set", "HoleFilterOn=true", "--set", "HoleFilterGreaterThanSet=true", "--set",
                  "HoleFilterGreaterThanValue=1.0"});
  EXPECT_EQ(f.Code, 0) << f.Err;
  // ">=" 1.0 mm: both plated pins and the plated via.
  EXPECT_TRUE(Contains(f.Out, "\nHole Filter Summary\nPlated Pins:")) << f.Out;
  EXPECT_TRUE(Contains(f.Out, "Vias:")) << f.Out;
  EXPECT_FALSE(Contains(f.Out, "Plated Mounting: ")) << f.Out;
}

TEST_F(BatchTest, SelectionOptionsCheckItemsAndChooseTheMode) {
  auto des = Batch({Sample(), "--select-designators", "r1,U1"});
  EXPECT_EQ(des.Code, 0) << des.Err;
  EXPECT_TRUE(Contains(des.Out, "---- Selection ----\nU1=SOIC8\nR1=R0805\nSelected placements : 2\n")) << des.Out;
  auto pkg = Batch({Sample(), "--select-packages", "r0805"});
  EXPECT_EQ(pkg.Code, 0) << pkg.Err;
  EXPECT_TRUE(Contains(pkg.Out, "R1=R0805\nR2=R0805\nR3=R0805\nSelected placements : 3\n")) << pkg.Out;
}

TEST_F(BatchTest, HeightEditsAreInTheWorkingUnit) {
  auto r = Batch({Sample(), "--heights", "soic8=2.25,HEATSINK_15=12"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "---- Heights (mm) ----\nSOIC8\t2.250\n")) << r.Out;
  EXPECT_TRUE(Contains(r.Out, "HEATSINK_15\t12.000\n")) << r.Out;
}

TEST_F(BatchTest, UnknownNamesAndBadNumbersAreUsageErrorsThatNameThem) {
  auto d = Batch({Sample(), "--select-designators", "R1,Q9"});
  EXPECT_EQ(d.Code, 2);
  EXPECT_TRUE(Contains(d.Err, "unknown designator 'Q9'")) << d.Err;
  EXPECT_FALSE(Contains(d.Out, "---- Summary"));
  auto p = Batch({Sample(), "--select-packages", "NOPE"});
  EXPECT_EQ(p.Code, 2);
  EXPECT_TRUE(Contains(p.Err, "unknown package 'NOPE'")) << p.Err;
  auto h = Batch({Sample(), "--heights", "SOIC8=tall"});
  EXPECT_EQ(h.Code, 2);
  EXPECT_TRUE(Contains(h.Err, "height of 'SOIC8' is not a number: 'tall'")) << h.Err;
  auto u = Batch({Sample(), "--heights", "NOPE=1"});
  EXPECT_EQ(u.Code, 2);
  EXPECT_TRUE(Contains(u.Err, "unknown package 'NOPE'")) << u.Err;
  EXPECT_EQ(Batch({Sample(), "--select-designators", "R1", "--select-packages", "SOIC8"}).Code, 2);
  auto empty = Batch({Sample(), "--select-packages", "SOIC8,"});
  EXPECT_EQ(empty.Code, 2);
  EXPECT_TRUE(Contains(empty.Err, "--select-packages takes a comma-separated list")) << empty.Err;
}

// ---- part binding ----

TEST_F(BatchTest, ShowPartsPrintsTheBindingAndTheDetailLogCarriesTheSearch) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "lib" / "deep");
  Write("lib/deep/R0805_X.CV_ASM", "x");
  Write("map.xrf", "RES_0805=R0805_X\n");
  auto r = Run({board, "--no-settings", "--show-parts", "--log", "detail", "--set", "UseLibParts=true", "--set",
                "ImportLibSearchPath=" + Folder() + "lib", "--set", "SearchSubDirectories=true", "--set",
                "UsePartXref=true", "--set", "PackageXrefFile=" + Folder() + "map.xrf"});
  // The run also builds the assembly, which cannot place a library part that is no model.
  EXPECT_NE(r.Code, 2) << r.Err;
  EXPECT_TRUE(Contains(r.Out, "---- Show Parts ----\nR1 = " + Folder() + "lib/deep/R0805_X.CV_ASM\n")) << r.Out;
  EXPECT_TRUE(Contains(r.Out, "Found directory : deep\n"));
  EXPECT_TRUE(Contains(r.Out, "Part exists : " + Folder() + "lib/deep/R0805_X.CV_ASM\n"));

  // Without library parts the placement is an auto part in the assembly folder.
  auto autoParts = Run({board, "--no-settings", "--show-parts"});
  EXPECT_NE(autoParts.Code, 2) << autoParts.Err;
  EXPECT_TRUE(Contains(autoParts.Out, "R1 = " + Folder() + "sampleAutoParts/RES_0805.CV_PRT\n")) << autoParts.Out;
}

// ---- progress ----

TEST_F(BatchTest, DrawsItsProgressOnlyOnATerminal) {
#ifndef IDF_TESTS_WITH_OCCT
  GTEST_SKIP() << "needs the OpenCASCADE host";
#endif
  const std::vector<std::string> common{"--no-settings", "--settings", Folder() + "s.reg"};
  std::vector<std::string> shown{Sample(), "--assembly-dir", Folder() + "t/"},
      quiet{Sample(), "--assembly-dir", Folder() + "q/"};
  shown.insert(shown.end(), common.begin(), common.end());
  quiet.insert(quiet.end(), common.begin(), common.end());
  auto terminal = Run(shown, true);
  EXPECT_TRUE(Contains(terminal.Err, "\r\033[KCreating Board Outline Part")) << terminal.Err;
  EXPECT_TRUE(Contains(terminal.Err, "\r\033[KPlacing PCB Part"));
  auto piped = Run(quiet, false);
  EXPECT_FALSE(Contains(piped.Err, "\r"));
  EXPECT_TRUE(Contains(piped.Out, "---- Files written ----\n" + Folder() + "q/")) << piped.Out;
}
