// The settings store's targets, exit codes and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>

#include "tests/reliability/ReliabilitySupport.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::string> WithStore(const std::string& store, std::vector<std::string> more = {}) {
  std::vector<std::string> args = {SamplesDir() + "sample.emn", "--settings", store, "--save-settings"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}
}  // namespace

TEST(SettingsStore, TargetsThatAreNoStoreAreRefusedAndLeftAlone) {
  TTempDir dir;
  const std::string folder = dir.Path() + "folder.reg", fifo = dir.Path() + "fifo.reg";
  const std::string device = dir.Path() + "null.reg", big = dir.Path() + "big.reg";
  fs::create_directory(folder);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const bool haveDevice = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  dir.Write("big.reg", "REGEDIT4\n" + std::string(5 << 20, ';'));
  const std::string readOnly = dir.Write("ro.reg", "REGEDIT4\n");
  ::chmod(readOnly.c_str(), 0444);
  struct TCase {
    std::string Path, Says;
  };
  std::vector<TCase> cases = {
      {folder, "is a folder"}, {fifo, "is a FIFO"}, {big, "too large"}, {readOnly, "is read-only"}};
  if (haveDevice) cases.push_back({device, "is a device"});
  for (const auto& c : cases) {
    // The FIFO would block a reader that waits for a writer: the run must not.
    TRun r = BatchInChild(WithStore(c.Path));
    EXPECT_EQ(r.Code, 2) << c.Path << r.Err;
    EXPECT_NE(r.Err.find(c.Path), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(c.Says), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_TRUE(fs::is_fifo(fifo));
  if (haveDevice) {
    EXPECT_TRUE(fs::is_character_file(device));
  }
  EXPECT_EQ(fs::file_size(big), 9u + (5u << 20));
  EXPECT_EQ(ReadFileBytes(readOnly), "REGEDIT4\n");
  if (!haveDevice) GTEST_SKIP() << "no device node could be made here (not root); the other targets passed";
}

TEST(SettingsStore, ALinkIsFollowedAndForeignLinesAreWarnedOnceAndKept) {
  TTempDir dir, assembly;
  const std::string real = dir.Write("real.reg", "my notes\nsecond line\n");
  const std::string link = dir.Path() + "link.reg";
  fs::create_symlink(real, link);
  TRun r = Batch(WithStore(link, {"--set", "ImportDefaultHeight=5", "--set", "ImportHeightUnitsIndex=0",
                                  "--assembly-dir", assembly.Path()}));
  EXPECT_EQ(r.Code, 0) << r.Out << r.Err;
  EXPECT_TRUE(fs::is_symlink(link));
  const std::string now = ReadFileBytes(real);
  EXPECT_NE(now.find("my notes\nsecond line\n"), std::string::npos) << now;
  // Written the dialog's way, so showing it keeps 5 and does not reset it to 10.
  EXPECT_NE(now.find("\"ImportDefaultHeight\"=\"5.000\""), std::string::npos) << now;
  const std::string warning = "line 1 is not a setting and is kept as it is: my notes";
  const std::size_t at = r.Err.find(warning);
  EXPECT_NE(at, std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find("is not a setting", at + warning.size()), std::string::npos) << "warned twice:\n" << r.Err;
  // A store that is made new is the user's own.
  const std::string fresh = dir.Path() + "sub/new.reg";
  EXPECT_EQ(Batch(WithStore(fresh, {"--no-settings", "--assembly-dir", assembly.Path()})).Code, 0);
  EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
}

TEST(ExitCodes, WarningsAloneAreNoErrors) {
  TTempDir dir, assembly;
  const std::string board =
      dir.Write("w.emn",
                ".HEADER\nBOARD_FILE 3.0 \"T\" 2026/01/01.00:00:00 1\nw MM\n.END_HEADER\n"
                ".BOARD_OUTLINE MCAD\n1.6\n0 0 0 0\n0 20 0 0\n0 20 20 0\n0 0 20 0\n0 0 0 0\n"
                ".END_BOARD_OUTLINE\n.PLACEMENT\nFLAT P1 U1\n5 5 0 0 TOP PLACED\n.END_PLACEMENT\n");
  dir.Write("w.emp",
            ".HEADER\nLIBRARY_FILE 3.0 \"T\" 2026/01/01 1\n.END_HEADER\n.ELECTRICAL\nFLAT P1 MM 0\n"
            "0 -1 -1 0\n0 1 -1 0\n0 1 1 0\n0 -1 1 0\n0 -1 -1 0\n.END_ELECTRICAL\n");
  TRun r = Batch({board, "--no-settings", "--assembly-dir", assembly.Path()});
  EXPECT_EQ(r.Code, 0) << r.Out;
  EXPECT_EQ(Section(r.Out, "Error"), std::vector<std::string>{"Warning : FLAT height is zero, default used"});
  if (const std::string shared = SharedIdfDir(); !shared.empty() && fs::exists(shared + "ain.emn")) {
    TRun ain = Batch({shared + "ain.emn", "--no-settings", "--assembly-dir", assembly.Path()});
    EXPECT_EQ(ain.Code, 0) << ain.Out;
    EXPECT_FALSE(Section(ain.Out, "Warning").empty()) << "its warnings are shown without --log all";
  }
}

TEST(ExitCodes, AnUnreadableLibraryBesideTheBoardIsExitTwo) {
  TTempDir dir;
  const std::string board = dir.Write("b.emn", ReadFileBytes(SamplesDir() + "sample.emn"));
  fs::create_directory(dir.Path() + "b.emp");
  TRun r = Batch({board, "--no-settings"});
  EXPECT_EQ(r.Code, 2);
  EXPECT_NE(r.Err.find("cannot read library file '" + dir.Path() + "b.emp' (a folder)"), std::string::npos) << r.Err;
}

TEST(CommandLine, HelpAndCheckedSettings) {
  TRun help = Batch({"--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_EQ(help.Out.rfind("usage: corvane-idf batch BOARD", 0), 0u) << help.Out;
  const std::string board = SamplesDir() + "sample.emn";
  struct TBad {
    std::string Set, Says;
  };
  for (const auto& b : std::vector<TBad>{{"DoPads=maybe", "takes true or false"},
                                         {"ImportHeightUnitsIndex=3", "takes 0 (millimetre)"},
                                         {"CopperThickness=thick", "takes a number"},
                                         {"HolesPerFeature=0", "at least 1"}}) {
    TRun r = Batch({board, "--no-settings", "--set", b.Set});
    EXPECT_EQ(r.Code, 2) << b.Set;
    EXPECT_NE(r.Err.find(b.Says), std::string::npos) << r.Err;
  }
}
