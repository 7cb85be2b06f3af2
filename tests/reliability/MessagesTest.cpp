// Error lines name the culprit: the line, the value, the package.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/reliability/ReliabilitySupport.h"

namespace {
const std::string kHead = ".HEADER\nBOARD_FILE 3.0 \"T\" 2026/01/01.00:00:00 1\nm MM\n.END_HEADER\n";
std::string Outline(const std::string& secondX) {
  return ".BOARD_OUTLINE MCAD\n1.6\n0 0 0 0\n0 " + secondX + " 0 0\n0 20 20 0\n0 0 20 0\n0 0 0 0\n.END_BOARD_OUTLINE\n";
}
std::vector<std::string> Errors(const std::string& board, const std::string& library = {}) {
  TTempDir dir, assembly;
  const std::string path = dir.Write("m.emn", board);
  if (!library.empty()) dir.Write("m.emp", library);
  return Section(Batch({path, "--no-settings", "--assembly-dir", assembly.Path()}).Out, "Error");
}
}  // namespace

TEST(Messages, NameTheLineTheValueAndThePackage) {
  auto quote = Errors(kHead + Outline("20") + ".PLACEMENT\n\"SOIC8 PN U1\n5 5 0 0 TOP PLACED\n.END_PLACEMENT\n");
  ASSERT_FALSE(quote.empty());
  EXPECT_EQ(quote.front(), "Board File Line:14 unterminated quote: \"SOIC8 PN U1");

  auto digits = Errors(kHead + Outline(std::string(300, '9')));
  ASSERT_EQ(digits.size(), 1u) << "no 'No Board Outline section' after the line that says why";
  EXPECT_EQ(digits.front(),
            "BOARD_OUTLINE> Line:8 Board file entry for Board Outline section | '99999999999999999999... (300 "
            "characters)' is out of range");
  auto infinite = Errors(kHead + Outline("1e999"));
  ASSERT_EQ(infinite.size(), 1u);
  EXPECT_EQ(infinite.front(),
            "BOARD_OUTLINE> Line:8 Board file entry for Board Outline section | '1e999' is out of range");

  const std::string openOutline =
      ".HEADER\nLIBRARY_FILE 3.0 \"T\" 2026/01/01 1\n.END_HEADER\n"
      ".ELECTRICAL\nOPEN8 PN MM 1\n0 0 0 0\n0 5 0 0\n0 5 5 0\n.END_ELECTRICAL\n";
  auto open =
      Errors(kHead + Outline("20") + ".PLACEMENT\nOPEN8 PN U1\n5 5 0 0 TOP PLACED\n.END_PLACEMENT\n", openOutline);
  EXPECT_EQ(open, std::vector<std::string>{"Extrusion failed for : OPEN8  | Part Feature error"});
}

TEST(Messages, NothingIsDroppedSilently) {
  TTempDir assembly;
  TRun r = Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", assembly.Path(), "--log", "all",
                  "--select-designators", "U1,R1,TP1", "--set", "DoPads=true"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  auto has = [](const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  auto count = [](const std::vector<std::string>& lines, const std::string& label) {
    for (const auto& l : lines)
      if (l.rfind(label, 0) == 0) return l.substr(l.find_last_of('\t') + 1);
    return std::string("none");
  };
  const auto summary = Section(r.Out, "Summary"), detail = Section(r.Out, "Detail");
  EXPECT_EQ(count(summary, "Components placed"), "2");
  EXPECT_EQ(count(summary, "Components left out"), "4");
  EXPECT_TRUE(has(detail, "Left out : TP1 | TESTPAD | no library outline"));
  for (const char* des : {"R2", "R3"})
    EXPECT_TRUE(has(detail, std::string("Left out : ") + des + " | R0805 | not selected"));
  EXPECT_TRUE(has(detail, "Left out : J1 | CONN_2P | not selected"));
  EXPECT_TRUE(has(Section(r.Out, "Warning"), "Warning : package TESTPAD is not in the library file (1 placement)"));
  // The sample's pads section holds only its outer loop, which is no pad.
  EXPECT_TRUE(has(detail, "Nothing to build for : TopPads"));
}
