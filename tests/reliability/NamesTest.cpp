// Package names that make poor file names still give one file each, inside the folder.
#include <gtest/gtest.h>

#include <set>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"
#include "tests/reliability/ReliabilitySupport.h"

namespace fs = std::filesystem;

TEST(SafeNames, CleanedNamesStayDistinctAndShort) {
  EXPECT_EQ(SafeFileName("a/b\x1b[0m"), "a_b_[0m");
  EXPECT_EQ(SafeFileName(""), "Unnamed");
  EXPECT_EQ(SafeFileName(".."), "Unnamed");
  const std::string a(300, 'A'), b = std::string(299, 'A') + "B";
  EXPECT_LE(SafeFileName(a).size(), 200u);
  EXPECT_NE(SafeFileName(a), SafeFileName(b));
  EXPECT_EQ(SafeFileName(a), SafeFileName(a));
  // A cut never splits a character.
  std::string umlauts = std::string(151, 'x');
  for (int i = 0; i < 100; ++i) umlauts += "\xC3\xA4";
  const std::string cut = SafeFileName(umlauts);
  const std::size_t hash = cut.rfind('-');
  ASSERT_NE(hash, std::string::npos);
  EXPECT_EQ((hash - 151) % 2, 0u) << cut;
  EXPECT_EQ(EscapeControls("a\x1b[31mb\tc"), "a\\x1B[31mb\tc");
}

TEST(SafeNames, EveryPackageGetsAFileOfItsOwnInsideTheFolder) {
  const std::string escape = "ESC\x1b[31mAPE";
  // Placement package names are read up to 255 characters; these still make too long a file name.
  const std::string longA(250, 'A'), longB = std::string(249, 'A') + "B";
  const std::vector<std::string> packages = {escape, ".", "..", longA, longB, "soic8", "SOIC8"};
  std::string board =
      ".HEADER\nBOARD_FILE 3.0 \"T\" 2026/01/01.00:00:00 1\nn MM\n.END_HEADER\n"
      ".BOARD_OUTLINE MCAD\n1.6\n0 0 0 0\n0 100 0 0\n0 100 20 0\n0 0 20 0\n0 0 0 0\n"
      ".END_BOARD_OUTLINE\n.PLACEMENT\n";
  std::string library = ".HEADER\nLIBRARY_FILE 3.0 \"T\" 2026/01/01 1\n.END_HEADER\n";
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const std::string x = std::to_string(5 + 10 * i);
    board += "\"" + packages[i] + "\" PN U" + std::to_string(i) + "\n" + x + " 5 0 0 TOP PLACED\n";
    library += ".ELECTRICAL\n\"" + packages[i] +
               "\" PN MM 1\n0 -1 -1 0\n0 1 -1 0\n0 1 1 0\n0 -1 1 0\n0 -1 -1 0\n"
               ".END_ELECTRICAL\n";
  }
  board += ".END_PLACEMENT\n";
  TTempDir dir, assembly;
  const std::string path = dir.Write("n.emn", board);
  dir.Write("n.emp", library);
  TRun r = Batch({path, "--no-settings", "--assembly-dir", assembly.Path(), "--log", "all"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  EXPECT_EQ(r.Out.find('\x1b'), std::string::npos) << "a raw escape sequence reached the terminal";
  const std::vector<std::string> written = Section(r.Out, "Files written");
  std::set<std::string> parts;
  const std::string folder = fs::weakly_canonical(assembly.Path()).string() + "/";
  for (const auto& f : written) {
    EXPECT_TRUE(fs::is_regular_file(f)) << f;
    EXPECT_EQ(fs::weakly_canonical(f).string().rfind(folder, 0), 0u) << f << " is outside " << folder;
    if (f.find("AutoParts/") != std::string::npos) parts.insert(UpperCase(f));
  }
  EXPECT_EQ(parts.size(), packages.size()) << r.Out;
  EXPECT_NE(r.Out.find("Components placed"), std::string::npos);
  EXPECT_NE(r.Out.find("Auto part file of SOIC8 : "), std::string::npos) << r.Out;
}
