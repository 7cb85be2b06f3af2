// The library search on real folders: order, log lines, extensions and the folder-list look-up.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "CommonObjects/PartLibrarySearch.h"
#include "tests/support/TestFiles.h"

namespace {
class LibrarySearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    search.Log = &log;
    search.SearchSubDirs = true;
  }
  std::string D(const std::string& rel) const { return tmp.Path() + rel; }
  void Part(const std::string& rel) const { tmp.Write(rel, "ISO-10303-21;\n"); }
  std::vector<std::string> Lines() const { return log.Lines(); }

  TTempDir tmp;
  TSearchStringList log;
  TPartLibrarySearch search;
  std::string libPath, ext, found;
};
}  // namespace

TEST_F(LibrarySearchTest, DepthFirstSubFolderOfFirstPathBeatsSecondPath) {
  Part("A/sub/R0805.CV_PRT");
  Part("B/R0805.CV_PRT");
  std::filesystem::create_directories(D("A/.hidden"));
  const std::vector<std::string> paths = {D("A"), D("B/")};

  ASSERT_TRUE(search.CheckIfPartExistsExt("R0805", paths, false, libPath, ext, &found));
  EXPECT_EQ(libPath, D("A/sub/"));
  EXPECT_EQ(ext, ".CV_PRT");
  EXPECT_EQ(found, D("A/sub/R0805.CV_PRT"));
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Checking for : R0805.CV_PRT in : " + D("A/"),
                         "Found directory : sub",
                         "Checking for : R0805.CV_PRT in : " + D("A/sub/"),
                         "Found : " + D("A/sub/R0805.CV_PRT"),
                     }));

  // Without recursion the second path's file is taken; "A" and "A/" are searched alike.
  log.Clear();
  search.SearchSubDirs = false;
  ASSERT_TRUE(search.CheckIfPartExistsExt("R0805", paths, false, libPath, ext));
  EXPECT_EQ(libPath, D("B/"));
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Checking for : R0805.CV_PRT in : " + D("A/"),
                         "Checking for : R0805.CV_PRT in : " + D("B/"),
                         "Found : " + D("B/R0805.CV_PRT"),
                     }));
}

TEST_F(LibrarySearchTest, SubFoldersAreVisitedInNameOrderAndEachVisitLogs) {
  Part("L/b/x/other.txt");
  Part("L/a/file.txt");
  Part("L/c/SOIC8.CV_PRT");
  ASSERT_TRUE(search.CheckIfPartExistsExt("SOIC8", {D("L")}, false, libPath, ext));
  EXPECT_EQ(libPath, D("L/c/"));
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Checking for : SOIC8.CV_PRT in : " + D("L/"),
                         "Found directory : a",
                         "Checking for : SOIC8.CV_PRT in : " + D("L/a/"),
                         "Found directory : b",
                         "Checking for : SOIC8.CV_PRT in : " + D("L/b/"),
                         "Found directory : x",
                         "Checking for : SOIC8.CV_PRT in : " + D("L/b/x/"),
                         "Found directory : c",
                         "Checking for : SOIC8.CV_PRT in : " + D("L/c/"),
                         "Found : " + D("L/c/SOIC8.CV_PRT"),
                     }));
}

TEST_F(LibrarySearchTest, AssemblyFileIsFoundWhenNoPartFileExists) {
  Part("lib/deep/CONN.CV_ASM");
  ASSERT_TRUE(search.CheckIfPartExistsExt("CONN", {D("lib")}, false, libPath, ext));
  EXPECT_EQ(ext, ".CV_ASM");
  EXPECT_EQ(libPath, D("lib/deep/"));
  // The whole tree is searched for the part file before the assembly extension is tried.
  EXPECT_EQ(log.FindFirst("CHECKING FOR : CONN.CV_PRT"), 0);
  EXPECT_GT(log.FindFirst("CHECKING FOR : CONN.CV_ASM"), 0);
}

TEST_F(LibrarySearchTest, NameWithFolderChecksOnlyThatFolderWithoutLogLines) {
  Part("xref/R0805_1.CV_ASM");
  Part("paths/R0805_1.CV_PRT");
  ASSERT_TRUE(search.CheckIfPartExistsExt(D("xref/R0805_1"), {D("paths")}, true, libPath, ext, &found));
  EXPECT_EQ(ext, ".CV_ASM");
  EXPECT_EQ(libPath, D("xref/"));
  EXPECT_EQ(found, D("xref/R0805_1.CV_ASM"));
  EXPECT_TRUE(log.Empty());

  EXPECT_FALSE(search.CheckIfPartExistsExt(D("nowhere/R0805_1"), {D("paths")}, true, libPath, ext));
  EXPECT_EQ(ext, "");
  EXPECT_EQ(libPath, D("nowhere/"));
  EXPECT_TRUE(log.Empty());
}

TEST_F(LibrarySearchTest, LetterCaseOfFileNamesIsIgnoredButExactMatchWins) {
  Part("lib/r0805.cv_prt");
  ASSERT_TRUE(search.CheckIfPartExistsExt("R0805", {D("lib")}, false, libPath, ext, &found));
  EXPECT_EQ(ext, ".CV_PRT");
  EXPECT_EQ(found, D("lib/r0805.cv_prt"));  // the file as it is on disk, so it can be opened
  Part("lib/R0805.CV_PRT");
  ASSERT_TRUE(search.CheckIfPartExistsExt("R0805", {D("lib")}, false, libPath, ext, &found));
  EXPECT_EQ(found, D("lib/R0805.CV_PRT"));
}

TEST_F(LibrarySearchTest, MissingFoldersAndEmptyListsFailQuietlyOrWithTheErrorLine) {
  EXPECT_FALSE(search.CheckIfPartExistsExt("R1", {}, false, libPath, ext));
  EXPECT_TRUE(log.Empty());
  EXPECT_EQ(ext, "");

  Part("good/R1.CV_PRT");
  ASSERT_TRUE(search.CheckIfPartExistsExt("R1", {D("gone"), D("good")}, false, libPath, ext));
  EXPECT_EQ(libPath, D("good/"));
  EXPECT_EQ(log[1], "Error in File Exists check for : " + D("gone/") + ", Error Code : " + std::to_string(ENOENT));

  log.Clear();
  search.SearchSubDirs = false;
  EXPECT_FALSE(search.CheckIfPartExistsExt("R2", {D("gone")}, false, libPath, ext));
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Checking for : R2.CV_PRT in : " + D("gone/"),
                                               "Checking for : R2.CV_ASM in : " + D("gone/")}));
}

TEST_F(LibrarySearchTest, FolderLinkedIntoItselfEndsTheSearch) {
  std::filesystem::create_directories(D("loop/a"));
  std::filesystem::create_directory_symlink(D("loop"), D("loop/a/back"));
  EXPECT_FALSE(search.CheckIfPartExistsExt("NONE", {D("loop")}, false, libPath, ext));
  EXPECT_LT(log.Count(), 20);
}

TEST(FileExistsInDirList, CurrentFolderFirstThenListedFoldersSplitAtSemicolons) {
  TTempDir tmp;
  tmp.Write("one/R1.CV_PRT", "x");
  tmp.Write("two/R1.CV_PRT", "x");
  tmp.Write("two/R2.CV_ASM", "x");
  std::string dir;
  EXPECT_EQ(BuildDirListStr({"a", "b"}), "a;b");
  EXPECT_FALSE(FileExistsInDirList("R2", ".CV_PRT", {tmp.Path() + "one"}, dir));
  // One entry holding ";" counts as two folders.
  ASSERT_TRUE(FileExistsInDirList("R2", ".CV_ASM", {tmp.Path() + "one;" + tmp.Path() + "two"}, dir));
  EXPECT_EQ(dir, tmp.Path() + "two/");
  ASSERT_TRUE(FileExistsInDirList("R1", ".CV_PRT", {"", tmp.Path() + "two", tmp.Path() + "one"}, dir));
  EXPECT_EQ(dir, tmp.Path() + "two/");

  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir((tmp.Path() + "one").c_str()), 0);
  const bool inCurrent = FileExistsInDirList("R1", ".CV_PRT", {tmp.Path() + "two"}, dir);
  char here[4096];
  ASSERT_NE(::getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_TRUE(inCurrent);
  EXPECT_EQ(dir, std::string(here) + "/");
}
