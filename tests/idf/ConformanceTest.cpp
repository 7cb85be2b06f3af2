// Real files from other PCB tools, read from the shared test data when it is there.
#include <gtest/gtest.h>

#include "tests/idf/IdfTestHelpers.h"

namespace {
struct TExpected {
  const char* Board;
  const char* Library;  // nullptr: derived from the board file (or none)
  int Sections;
  int Holes;
  int Placements;
  int Electrical;
  bool Panel;
};

void PrintTo(const TExpected& e, std::ostream* os) { *os << e.Board; }

class Conformance : public ::testing::TestWithParam<TExpected> {
 protected:
  void SetUp() override {
    if (SharedIdfDir().empty()) GTEST_SKIP() << "shared IDF test data not found at " << SharedIdfDir();
  }
  TScopedScriptedPlatform scripted;
};
}  // namespace

TEST_P(Conformance, LoadsWithTheFilesCounts) {
  const TExpected& e = GetParam();
  const std::string dir = SharedIdfDir();
  auto f = NewFileSet();
  bool ok;
  if (e.Library) {
    f->BoardFile = TFilePath::Split(dir + e.Board);
    f->LibFile = TFilePath::Split(dir + e.Library);
    ok = f->LoadFiles();
  } else {
    ok = f->OpenIDFfilesNoDialogue(dir + e.Board);  // a missing library: the dialog is cancelled
  }
  ASSERT_TRUE(ok) << f->ErrorLog.Text();
  EXPECT_TRUE(f->ErrorLog.Empty()) << f->ErrorLog.Text();
  EXPECT_EQ(f->SectionCount(), e.Sections);
  EXPECT_EQ(f->DrilledHolesInPCB, std::to_string(e.Holes));
  EXPECT_EQ(f->PartsOnPCB, std::to_string(e.Placements));
  EXPECT_EQ(f->ElecPartCount, e.Electrical);
  EXPECT_EQ(f->IsPanelFile, e.Panel);
  int holes = 0;
  for (auto* s = f->FindFirstSection(stDRILLED_HOLES); s; s = f->FindNextSection()) holes += s->Count();
  EXPECT_EQ(holes, e.Holes);
  // every record of every section is in centimetres now: the boards are well under a metre
  for (const auto& s : f->SectionList())
    for (const auto& r : s->Records()) {
      EXPECT_LT(std::abs(r->X), 100.0);
      EXPECT_LT(std::abs(r->Y), 100.0);
    }
}

INSTANTIATE_TEST_SUITE_P(SharedFiles, Conformance,
                         ::testing::Values(TExpected{"esp.emn", nullptr, 1 + 3 + 30, 452, 218, 30, false},
                                           TExpected{"ain.emn", nullptr, 1 + 3 + 56, 404, 201, 56, false},
                                           TExpected{"board.emn", "library.emp", 1 + 10 + 5, 91, 11, 5, false},
                                           TExpected{"panel.emn", nullptr, 1 + 5, 3, 2, 0, true},
                                           TExpected{"invalid_panel.emn", nullptr, 1 + 5, 3, 2, 0, true}),
                         [](const auto& info) {
                           std::string n = info.param.Board;
                           return n.substr(0, n.find('.'));
                         });

TEST(ConformanceDetails, EspBoardOutlineHasFourCircularCutOuts) {
  if (SharedIdfDir().empty()) GTEST_SKIP() << "shared IDF test data not found";
  TScopedScriptedPlatform scripted;
  auto f = NewFileSet();
  ASSERT_TRUE(f->OpenIDFfilesNoDialogue(SharedIdfDir() + "esp.emn"));
  const TSection* outline = f->FindFirstSection(stBOARD_OUTLINE);
  ASSERT_NE(outline, nullptr);
  EXPECT_EQ(outline->NumLoops, 5);
  EXPECT_EQ(outline->FNumCircles, 4);
  EXPECT_NEAR(f->BoardThickness, 0.16, 1e-12);
  EXPECT_EQ(f->IdfBoardName, "esp_4l.emn");
}
