#include <gtest/gtest.h>

#include <random>

#include "tests/idf/IdfTestHelpers.h"

namespace {
class BadInput : public ::testing::Test {
 protected:
  TScopedScriptedPlatform scripted;
  TTempDir dir;
  // Loads board bytes; true when LoadFiles returned, with its result in ok.
  std::unique_ptr<TIDFfile> Load(const std::string& bytes, bool& ok, bool& raisedIndexError) {
    auto f = NewFileSet();
    f->BoardFile = TFilePath::Split(dir.Write("bad.emn", bytes));
    ok = false;
    raisedIndexError = false;
    try {
      ok = f->LoadFiles();
    } catch (const EListIndexError&) {
      raisedIndexError = true;
    }
    return f;
  }
};
}  // namespace

TEST_F(BadInput, EmptyFileLoadsWithoutSections) {
  bool ok, raised;
  auto f = Load("", ok, raised);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(raised);
  EXPECT_EQ(f->SectionCount(), 0);
  EXPECT_TRUE(f->ErrorLog.Empty());
}

TEST_F(BadInput, FileOfBlanksAndCommentsReachesTheCallerAsAnIndexError) {
  bool ok, raised;
  Load("   \n\t\t\n# only a comment\n\r\n", ok, raised);
  EXPECT_TRUE(raised);
}

TEST_F(BadInput, TextThatIsNoIdfFileIsRejected) {
  bool ok, raised;
  auto f = Load("hello world\nthis is not IDF\n", ok, raised);
  EXPECT_FALSE(ok);
  EXPECT_EQ(f->ErrorLog.Last(), dir.Path() + "bad.emn is not a valid IDF Board or IDF Panel file.");
}

TEST_F(BadInput, RandomBinaryNeverCrashes) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(static_cast<std::size_t>(rng() % 600), '\0');
    for (auto& c : bytes) c = static_cast<char>(rng() & 0xFF);
    if (round % 3 == 0) bytes = std::string(kHeader3) + bytes;  // past the header check
    bool ok, raised;
    auto f = Load(bytes, ok, raised);
    if (!raised && !ok) {
      EXPECT_FALSE(f->ErrorLog.Empty()) << "round " << round;
    }
  }
}

TEST_F(BadInput, TruncatedRecordsAndBadNumbersAreReported) {
  const std::string body = std::string(kHeader3) +
                           ".BOARD_OUTLINE MCAD\n1.6\n0 0 0 0\n0 10\n0 10 10 0\n0 0 0 0\n.END_BOARD_OUTLINE\n"
                           ".DRILLED_HOLES\n1.0 5 5 PTH\n1e999 5 5 PTH BOARD PIN ECAD\n.END_DRILLED_HOLES\n"
                           ".PLACEMENT\nR0805 p\n1 2\n.END_PLACEMENT\n";
  bool ok, raised;
  auto f = Load(body, ok, raised);
  EXPECT_TRUE(ok);
  ASSERT_EQ(f->SectionCount(), 3);  // the hole section is dropped, the others stay
  EXPECT_EQ(f->Section(1)->Count(), 3);
  EXPECT_EQ(f->Section(2)->SectType, stPLACEMENT);
  EXPECT_EQ(f->Section(2)->Count(), 0);
  const auto& e = f->ErrorLog.Lines();
  ASSERT_GE(e.size(), 4u);
  EXPECT_EQ(e[0], "BOARD_OUTLINE> Line:8 incorrect number of fields");
  EXPECT_EQ(e[1], "DRILLED_HOLES> Line:13 incorrect number of fields");
  EXPECT_EQ(e[2], "DRILLED_HOLES> Line:14 Board file entry for Drilled Holes section | '1e999' is out of range");
  EXPECT_EQ(e[3], "Part Ommitted from Placement Section - incorrect number of fields in second line:");
}

TEST_F(BadInput, CarriedNonNumericTextDoesNotDropLaterPlacements) {
  // A one-field other outline record passes its name on as the thickness text.
  const std::string body = std::string(kHeader3) +
                           ".OTHER_OUTLINE MCAD\nLABEL\n0 0 0 0\n0 1 0 0\n0 0 0 0\n.END_OTHER_OUTLINE\n"
                           ".PLACEMENT\nR0805 p R1\n1 2 0 0 TOP PLACED\n.END_PLACEMENT\n";
  bool ok, raised;
  auto f = Load(body, ok, raised);
  EXPECT_TRUE(ok);
  ASSERT_EQ(f->SectionCount(), 2);
  EXPECT_EQ(f->Section(1)->SectType, stPLACEMENT);
  EXPECT_EQ(f->PartsOnPCB, "1");
  EXPECT_EQ(f->ErrorLog.Last(),
            "OTHER_OUTLINE>Line:5 Board file entry for Other Outline section : UnKnown | "
            "'LABEL' is not a valid floating point value");
}

TEST_F(BadInput, Utf16FileReadsLikeItsUtf8Twin) {
  const std::string text =
      std::string(kHeader3) + ".PLACEMENT\n\"R 0805\" p R\xC3\xA9\n1 2 0 0 TOP PLACED\n.END_PLACEMENT\n";
  std::string utf16("\xFF\xFE", 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char16_t u = c;
    if (c == 0xC3) u = static_cast<char16_t>(((c & 0x1F) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
    utf16 += static_cast<char>(u & 0xFF);
    utf16 += static_cast<char>(u >> 8);
  }
  bool ok, raised;
  auto f = Load(utf16, ok, raised);
  ASSERT_TRUE(ok) << f->ErrorLog.Text();
  ASSERT_EQ(f->SectionCount(), 2);
  EXPECT_EQ(f->Section(1)->Items(0).PackageName, "R 0805");
  EXPECT_EQ(f->Section(1)->Items(0).Designator, "R\xC3\xA9");
}

TEST_F(BadInput, HeaderWithMissingFieldsFailsTheLoad) {
  bool ok, raised;
  auto f = Load(".HEADER\nBOARD_FILE 3.0\nname MM\n.END_HEADER\n", ok, raised);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(raised);
  EXPECT_EQ(f->ErrorLog.Count(), 1);
  EXPECT_EQ(f->ErrorLog[0].rfind("HEADER>Line:1 ", 0), 0u) << f->ErrorLog[0];
}

TEST_F(BadInput, CrOnlyLineEnds) {
  std::string text = std::string(kHeader3) + ".NOTES\n1 1 1 1 x\n.END_NOTES\n";
  for (auto& c : text)
    if (c == '\n') c = '\r';
  bool ok, raised;
  auto f = Load(text, ok, raised);
  EXPECT_TRUE(ok);
  EXPECT_EQ(f->SectionCount(), 2);
}
