#include <gtest/gtest.h>

#include "CommonObjects/FileUtils.h"
#include "tests/idf/IdfTestHelpers.h"

namespace {
bool HasLine(const TSearchStringList& log, const std::string& text) {
  for (const auto& l : log.Lines())
    if (l == text) return true;
  return false;
}
bool HasLineContaining(const TSearchStringList& log, const std::string& text) {
  for (const auto& l : log.Lines())
    if (l.find(text) != std::string::npos) return true;
  return false;
}
const char* kOutline =
    ".BOARD_OUTLINE MCAD\n1.6\n0 0 0 0\n0 10 0 0\n0 10 10 0\n0 0 10 0\n0 0 0 0\n.END_BOARD_OUTLINE\n";
}  // namespace

class LibraryDerivation : public ::testing::Test {
 protected:
  TScopedScriptedPlatform scripted;
  TTempDir dir;
};

TEST_F(LibraryDerivation, BrdPrefersLibOverPro) {
  const std::string board = std::string(kHeader3) + kOutline;
  dir.Write("x.BRD", board);
  dir.Write("x.pro", kLibHeader);
  {
    auto f = NewFileSet();
    ASSERT_TRUE(f->OpenIDFfilesNoDialogue(dir.Path() + "x.BRD"));
    EXPECT_EQ(f->LibFile.Path, dir.Path() + "x.pro");
  }
  dir.Write("x.lib", kLibHeader);
  auto f = NewFileSet();
  ASSERT_TRUE(f->OpenIDFfilesNoDialogue(dir.Path() + "x.BRD"));
  EXPECT_EQ(f->LibFile.Path, dir.Path() + "x.lib");
  EXPECT_EQ(f->LibFile.Extension, ".lib");
  EXPECT_EQ(f->BoardFile.FileName, "x");
  EXPECT_EQ(f->BoardFile.Directory, dir.Path());
  EXPECT_TRUE(scripted.Platform->Calls.empty());
}

TEST_F(LibraryDerivation, LibraryWhoseNameDiffersOnlyInCaseIsFound) {
  dir.Write("y.emn", std::string(kHeader3) + kOutline);
  dir.Write("Y.EMP", kLibHeader);
  auto f = NewFileSet();
  ASSERT_TRUE(f->OpenIDFfilesNoDialogue(dir.Path() + "y.emn"));
  EXPECT_EQ(f->LibFile.Path, dir.Path() + "Y.EMP");
  EXPECT_FALSE(f->LibStrings.Empty());
}

TEST_F(LibraryDerivation, CancelledLibraryDialogLoadsTheBoardAlone) {
  dir.Write("z.emn", std::string(kHeader3) + kOutline);
  scripted.Platform->FileAnswers.push_back(std::nullopt);
  auto f = NewFileSet();
  ASSERT_TRUE(f->OpenIDFfilesNoDialogue(dir.Path() + "z.emn"));
  auto calls = scripted.Platform->CallsOf("FileDialog");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Request.Title, "Select IDF Library file");
  EXPECT_EQ(calls[0].Request.Filter, TIDFfile::SetLibFileBrowseExt());
  EXPECT_TRUE(f->LibFile.Path.empty());
  EXPECT_TRUE(f->LibStrings.Empty());
  EXPECT_EQ(f->ElecPartCount, 0);
  EXPECT_TRUE(f->ErrorLog.Empty());
}

TEST_F(LibraryDerivation, MissingBoardFailsWithoutLogging) {
  auto f = NewFileSet();
  EXPECT_FALSE(f->OpenIDFfilesNoDialogue(dir.Path() + "nothing.emn"));
  EXPECT_TRUE(f->ErrorLog.Empty());
  EXPECT_EQ(f->StatusLog.Last(), "Board File>" + dir.Path() + "nothing.emn");
}

TEST_F(LibraryDerivation, OtherExtensionInTheBoardDialogIsItsOwnLibrary) {
  const std::string p = dir.Write("w.idf", std::string(kHeader3) + kOutline);
  scripted.Platform->FileAnswers.push_back(p);
  auto f = NewFileSet();
  EXPECT_FALSE(f->OpenIDFfiles(dir.Path() + "start.emn"));
  EXPECT_TRUE(HasLine(f->ErrorLog, p + " is not a valid library file."));
  auto calls = scripted.Platform->CallsOf("FileDialog");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Request.Title, "Select IDF Board file");
  EXPECT_EQ(calls[0].Request.InitialDir, dir.Path());
  EXPECT_EQ(calls[0].Request.FileName, "start.emn");
}

TEST_F(LibraryDerivation, OpenIDFfilesFailsWhenThePickedLibraryIsMissing) {
  const std::string p = dir.Write("v.emn", std::string(kHeader3) + kOutline);
  scripted.Platform->FileAnswers.push_back(p);
  scripted.Platform->FileAnswers.push_back(dir.Path() + "gone.emp");
  auto f = NewFileSet();
  EXPECT_FALSE(f->OpenIDFfiles(p));
  EXPECT_EQ(f->SectionCount(), 0);
}

class Loader : public ::testing::Test {
 protected:
  TScopedScriptedPlatform scripted;
  TTempDir dir;
};

TEST_F(Loader, CommentsKeywordsWithoutDotsAndHeaderFacts) {
  const std::string board = std::string("# a comment\n   # indented comment\n") + kHeader3 +
                            "placement\nR0805 p R1\n1 2 0 90 bottom PLACED\n.END_PLACEMENT\n"
                            ".DRILLED_HOLES\n1.0 5 5 PTH BOARD PIN ECAD\n.END_DRILLED_HOLES\n";
  bool ok = false;
  auto f = LoadText(dir, board, {}, &ok);
  ASSERT_TRUE(ok) << f->ErrorLog.Text();
  EXPECT_EQ(f->BoardStrings.Count(), 11);  // comment lines are gone
  EXPECT_EQ(f->IdfBoardName, "testboard");
  EXPECT_EQ(f->IDFBoardUnits, "MM");
  EXPECT_EQ(f->Source, "Test Writer");
  EXPECT_EQ(f->BrdFileVersion, 3);
  EXPECT_FALSE(f->IsPanelFile);
  ASSERT_EQ(f->SectionCount(), 3);
  EXPECT_EQ(f->Section(0)->SectType, stHEADER);
  EXPECT_EQ(f->Section(1)->SectType, stPLACEMENT);
  EXPECT_EQ(f->PartsOnPCB, "1");
  EXPECT_EQ(f->DrilledHolesInPCB, "1");
  EXPECT_TRUE(HasLine(f->SummaryLog, "Parts:         \t\t1"));
  EXPECT_TRUE(HasLine(f->SummaryLog, "Target Units: \t\tCM"));
  EXPECT_TRUE(HasLine(f->StatusLog, "PLACEMENT>Line:5"));
  EXPECT_EQ(f->FindFirstSection(stDRILLED_HOLES), f->Section(2));
  EXPECT_EQ(f->FindNextSection(), nullptr);
}

TEST_F(Loader, WrongFileKindsAreRejectedBothAtOnce) {
  bool ok = true;
  auto f = LoadText(dir, kLibHeader, kHeader3, &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(HasLine(f->ErrorLog, dir.Path() + "t.emn is not a valid IDF Board or IDF Panel file."));
  EXPECT_TRUE(HasLine(f->ErrorLog, dir.Path() + "t.emp is not a valid library file."));
  EXPECT_EQ(f->SectionCount(), 0);
}

TEST_F(Loader, PanelFileIsRecognised) {
  std::string board = kHeader3;
  board.replace(board.find("BOARD_FILE"), 10, "PANEL_FILE");
  bool ok = false;
  auto f = LoadText(dir, board + ".PANEL_OUTLINE MCAD\n2.0\n0 0 0 0\n0 5 0 0\n0 5 5 0\n0 0 0 0\n.END_PANEL_OUTLINE\n",
                    {}, &ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(f->IsPanelFile);
  EXPECT_NEAR(f->BoardThickness, 0.2, 1e-12);
}

TEST_F(Loader, MissingSectionEndStopsTheLoadButKeepsEarlierSections) {
  const std::string board = std::string(kHeader3) + kOutline +
                            ".VIA_KEEPOUT ECAD\n0 0 0 0\n0 1 0 0\n0 0 0 0\n"  // no end line
                            ".NOTES\n1 1 1 1 x\n.END_NOTES\n";
  bool ok = true;
  auto f = LoadText(dir, board, {}, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(f->SectionCount(), 2);
  ASSERT_EQ(f->ErrorLog.Count(), 1);
  EXPECT_EQ(f->ErrorLog[0].rfind("VIA_KEEPOUT>Line:", 0), 0u) << f->ErrorLog[0];
  EXPECT_NE(f->ErrorLog[0].find("Section end not found!"), std::string::npos);
}

TEST_F(Loader, KeywordOnTheLastLineIsAnIndexError) {
  bool ok = true;
  auto f = LoadText(dir, std::string(kHeader3) + ".PLACE_OUTLINE MCAD\n", {}, &ok);
  EXPECT_FALSE(ok);
  ASSERT_EQ(f->ErrorLog.Count(), 1);
  EXPECT_EQ(f->ErrorLog[0].rfind("PLACE_OUTLINE>Line:5 ", 0), 0u) << f->ErrorLog[0];
  // an IDF 3 section line without its owner field
  auto g = LoadText(dir, std::string(kHeader3) + ".ROUTE_OUTLINE\nALL\n0 0 0 0\n.END_ROUTE_OUTLINE\n", {}, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(g->ErrorLog.Count(), 1);
}

TEST_F(Loader, UnknownOwnerStillReadsTheSection) {
  bool ok = false;
  auto f = LoadText(
      dir, std::string(kHeader3) + ".VIA_KEEPOUT SOMEBODY\n0 0 0 0\n0 1 0 0\n0 1 1 0\n0 0 0 0\n.END_VIA_KEEPOUT\n", {},
      &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(f->SectionCount(), 2);
  EXPECT_EQ(f->Section(1)->OwnerType, kUnrecognisedEnum);
  EXPECT_NE(f->Section(1)->OwnerType, otNONE);
}

TEST_F(Loader, IdfThreeHeaderRecordVariants) {
  const std::string board = std::string(kHeader3) +
                            ".PLACE_KEEPOUT MCAD\nTOP\n0 0 0 0\n0 1 0 0\n0 1 1 0\n0 0 0 0\n.END_PLACE_KEEPOUT\n"
                            ".PLACE_OUTLINE MCAD\nTOP 5 extra\n0 0 0 0\n0 1 0 0\n0 1 1 0\n0 0 0 0\n.END_PLACE_OUTLINE\n"
                            ".PLACE_REGION MCAD\nTOP\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_PLACE_REGION\n"
                            ".PLACE_REGION MCAD\nBOTTOM\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_PLACE_REGION\n"
                            ".OTHER_OUTLINE MCAD\nTOPPADS 0.1\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_OTHER_OUTLINE\n";
  bool ok = false;
  auto f = LoadText(dir, board, {}, &ok);
  ASSERT_TRUE(ok) << f->ErrorLog.Text();
  ASSERT_EQ(f->SectionCount(), 6);
  // empty thickness text on a place keepout: 0, replaced by the tiny "applies to all" height
  EXPECT_DOUBLE_EQ(f->Section(1)->Thickness, 1e-5);
  EXPECT_DOUBLE_EQ(f->Section(2)->Thickness, 0);
  EXPECT_TRUE(HasLine(f->ErrorLog, "PLACE_OUTLINE>Line:12 No Height entry"));
  EXPECT_EQ(f->Section(3)->GeometryName, "Place_Region_1");
  EXPECT_EQ(f->Section(4)->GeometryName, "Place_Region_2");
  EXPECT_EQ(f->Section(4)->LayerType, ltBOTTOM);
  EXPECT_EQ(f->Section(5)->LayerType, ltTOP);
  EXPECT_TRUE(HasLineContaining(f->ErrorLog, " Other Outline missing Layer Data - assuming Top Layer"));
  EXPECT_TRUE(HasLineContaining(f->VerifyLog, " thickness is zero, applies to all Parts"));
  EXPECT_TRUE(HasLineContaining(f->VerifyLog, " thickness is zero, no height restriction"));
}

TEST_F(Loader, HeaderUnitWordChecks) {
  auto load = [&](const std::string& second) {
    return LoadText(dir, ".HEADER\nBOARD_FILE 3.0 src 2026 1\n" + second + "\n.END_HEADER\n");
  };
  auto f = load("brd inches");
  EXPECT_EQ(f->IDFBoardUnits, "mm");
  EXPECT_TRUE(HasLine(f->WarningLog, "The units defined in the Board File Header section are incorrect : inches"));
  EXPECT_TRUE(HasLine(f->WarningLog, "Defaulting to : mm"));
  EXPECT_EQ(load("brd mm2")->IDFBoardUnits, "mm2");
  auto g = load("my board mm");
  EXPECT_EQ(g->IdfBoardName, "my");
  EXPECT_EQ(g->IDFBoardUnits, "mm");
  EXPECT_TRUE(HasLine(g->WarningLog, "If the board name contains spaces, it should be enclosed in quotes"));
  auto h = load("\"C:\\pcb\\x\\board one.emn\" THOU");
  EXPECT_EQ(h->IdfBoardName, "board one.emn");
  EXPECT_EQ(h->IDFBoardUnits, "THOU");
  auto e = load("onlyname");
  EXPECT_EQ(e->SectionCount(), 0);  // no header section, no summary
  EXPECT_TRUE(e->IDFBoardUnits.empty());
}

TEST_F(Loader, LibraryEntriesFieldCountsAndHeights) {
  const std::string lib = std::string(kLibHeader) +
                          ".ELECTRICAL\nA pn MM 2 extra\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_ELECTRICAL\n"
                          ".ELECTRICAL\nB pn MM 0.00001\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_ELECTRICAL\n"
                          ".MECHANICAL\nC pn MM abc\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_MECHANICAL\n"
                          ".ELECTRICAL\nD pn MM 1,5\n0 0 0 0\n0 1 0 0\n0 0 0 0\nPROP K V\n.END_ELECTRICAL\n";
  bool ok = false;
  auto f = LoadText(dir, std::string(kHeader3) + kOutline, lib, &ok);
  ASSERT_TRUE(ok) << f->ErrorLog.Text();
  EXPECT_EQ(f->ElecPartCount, 2);
  EXPECT_EQ(f->MechPartCount, 1);
  ASSERT_GE(f->ErrorLog.Count(), 2);
  EXPECT_EQ(f->ErrorLog[0], "Library File Line: 3 > Incorrect number of fields (should be 4 - there are 5)");
  EXPECT_EQ(f->ErrorLog[1], "            A,pn,MM,2,extra");
  const TSection* b = f->Section(2);
  EXPECT_EQ(b->GeometryName, "B");
  EXPECT_DOUBLE_EQ(b->Thickness, 0);
  EXPECT_DOUBLE_EQ(f->Section(3)->Thickness, 0);
  const TSection* d = f->Section(4);
  EXPECT_NEAR(d->Thickness, 0.15, 1e-12);  // the first comma became the decimal point
  EXPECT_EQ(d->Properties.Count(), 1);
  EXPECT_EQ(d->Log.Last(), "PROP,K,V");
  EXPECT_TRUE(HasLine(f->StatusLog, "Library file : ELECTRICAL | Package Name: D>Line:22"));
  EXPECT_TRUE(HasLine(f->SummaryLog, "Elec Parts\t\t2"));
}

TEST_F(Loader, VerifyLogHasTheSummaryThenEachSectionUnderASeparator) {
  const std::string board =
      std::string(kHeader3) + kOutline + ".NOTES\n1 1 1 1 x\n.END_NOTES\n.DRILLED_HOLES\n.END_DRILLED_HOLES\n";
  auto f = LoadText(dir, board);
  int separators = 0;
  for (const auto& l : f->VerifyLog.Lines()) separators += l == "-----------------------------------";
  EXPECT_EQ(separators, 3);
  EXPECT_EQ(f->VerifyLog[0], f->SummaryLog[0]);
  EXPECT_TRUE(HasLine(f->VerifyLog, "Notes:     \t\t1"));
  EXPECT_TRUE(HasLine(f->VerifyLog, "Thickness:\t\t0.160"));
}

TEST_F(Loader, RegionalCommaWithIgnoreSettingReadsBothMarks) {
  platform::SetDecimalSeparator(',');
  auto f = std::make_unique<TIDFfile>();
  f->OutputUnits = utMM;
  f->IgnoreRegionalDecPoint = true;
  f->SetDecimalSep();
  f->BoardFile = TFilePath::Split(dir.Write("c.emn", std::string(kHeader3) + ".NOTES\n1,27 1.27 1 1 x\n.END_NOTES\n"));
  ASSERT_TRUE(f->LoadFiles()) << f->ErrorLog.Text();
  EXPECT_DOUBLE_EQ(f->Section(1)->Items(0).X, 1.27);
  EXPECT_DOUBLE_EQ(f->Section(1)->Items(0).Y, 1.27);
}

TEST_F(Loader, LoadSectionsRestoresTheSeparatorItFound) {
  platform::SetDecimalSeparator(',');
  auto f = std::make_unique<TIDFfile>();
  f->IgnoreRegionalDecPoint = true;  // each header switches to "." while reading
  f->BoardFile = TFilePath::Split(dir.Write("d.emn", std::string(kHeader3) + kOutline));
  ASSERT_TRUE(f->LoadFiles());
  EXPECT_EQ(platform::GetDecimalSeparator(), ',');
}

TEST(FileSetHelpers, NameValueSplitAndStatusEntries) {
  EXPECT_EQ(TIDFfile::GetNameValueData("a=b=c", "=", true), "a");
  EXPECT_EQ(TIDFfile::GetNameValueData("a=b=c", "=", false), "b=c");
  EXPECT_EQ(TIDFfile::GetNameValueData("abc", "=", true), "abc");
  EXPECT_EQ(TIDFfile::GetNameValueData("abc", "=", false), "");
  EXPECT_EQ(TIDFfile::CreateLibraryFileStatusLogEntry(stMECHANICAL, "P"),
            "Library file : MECHANICAL | Package Name: P");
  EXPECT_EQ(TIDFfile::CreateLibraryFileStatusLogEntry(stNOTES, "P"), "NOTES");
  TIDFfile f;
  f.ReportException("Step", "went wrong");
  EXPECT_EQ(f.ErrorLog[0], "Exception : Step | went wrong");
  EXPECT_EQ(f.OutputUnits, utMETRE);
  EXPECT_EQ(f.Source, "Pellmark IDF");
}
