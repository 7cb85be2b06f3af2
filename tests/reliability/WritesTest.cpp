// Output files replaced whole or not at all: kills and a full disk at the worst moments, and
// the assembly folder's own failures.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "CommonObjects/AtomicFile.h"
#include "CommonObjects/FileLock.h"
#include "tests/reliability/ReliabilitySupport.h"

namespace fs = std::filesystem;

// Folder flushes are counted here: this program's own fsync stands in front of the system's.
namespace {
std::atomic<int> gFolderSyncs{0};
}
extern "C" int fsync(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) ++gFolderSyncs;
  static auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
  return real(fd);
}

namespace {
void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The sample's files in a folder of their own, each holding "OLD" before the run.
struct TOldAssembly {
  TOldAssembly() {
    const TRun first = Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", Dir.Path()});
    Files = Section(first.Out, "Files written");
    for (const auto& f : Files) Put(f, "OLD\n");
  }
  TTempDir Dir;
  std::vector<std::string> Files;
};
}  // namespace

TEST(AtomicFile, AKillAtAnyMomentLeavesTheOldFileOrTheWholeNewOne) {
  TTempDir dir;
  const std::string target = dir.Write("data.bin", "old contents\n");
  const std::string chunk(64 * 1024, 'n');
  constexpr int kChunks = 256;
  for (int killAfter : {1, 100, kChunks, kChunks + 1}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(fds[0]);
      TAtomicFile f(target);
      for (int i = 0; i < kChunks; ++i) {
        f.Write(chunk);
        (void)!::write(fds[1], "c", 1);
      }
      f.Commit();
      (void)!::write(fds[1], "d", 1);
      ::pause();
      ::_exit(0);
    }
    ::close(fds[1]);
    char c;
    for (int seen = 0; seen < killAfter && ::read(fds[0], &c, 1) == 1; ++seen) {
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(fds[0]);
    const std::string now = ReadFileBytes(target);
    if (killAfter <= kChunks)
      EXPECT_EQ(now, "old contents\n") << "killed after " << killAfter << " chunks";
    else
      EXPECT_EQ(now.size(), chunk.size() * kChunks);
  }
}

TEST(AtomicFile, ARunOfFilesFlushesEachFolderOnceAndEveryFileIsInPlaceAtOnce) {
  TTempDir a, b;
  WriteFileAtomically(a.Path() + "alone.txt", "alone");
  EXPECT_EQ(gFolderSyncs.exchange(0), 1);
  {
    TFolderFlushes run;
    for (int i = 0; i < 20; ++i) {
      const std::string name = "part" + std::to_string(i) + ".txt";
      WriteFileAtomically(a.Path() + name, "a" + std::to_string(i));
      WriteFileAtomically(b.Path() + name, "b" + std::to_string(i));
      ASSERT_EQ(ReadFileBytes(a.Path() + name), "a" + std::to_string(i));
    }
    EXPECT_EQ(gFolderSyncs.load(), 0);
    run.Flush();
    EXPECT_EQ(gFolderSyncs.exchange(0), 2);
    WriteFileAtomically(a.Path() + "last.txt", "last");
    EXPECT_EQ(gFolderSyncs.load(), 0);
  }
  EXPECT_EQ(gFolderSyncs.exchange(0), 1);  // the run's end
  WriteFileAtomically(b.Path() + "after.txt", "after");
  EXPECT_EQ(gFolderSyncs.exchange(0), 1);
}

TEST(AtomicFile, ACopyTakesTheWholeFileInPiecesAndAMissingSourceChangesNothing) {
  TTempDir dir;
  std::string big(9 * 1024 * 1024 + 77, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7919 % 251);
  const std::string source = dir.Write("source.bin", big);
  const std::string target = dir.Write("target.bin", "old contents\n");
  CopyFileAtomically(source, target);
  EXPECT_EQ(ReadFileBytes(target), big);
  try {
    CopyFileAtomically(dir.Path() + "/missing.bin", target);
    ADD_FAILURE() << "no error";
  } catch (const EAtomicFileError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Cannot read " + dir.Path() + "/missing.bin: ", 0), 0u) << e.what();
  }
  EXPECT_EQ(ReadFileBytes(target), big);
  EXPECT_TRUE(TempFilesIn(dir.Path()).empty());
}

TEST(AtomicFile, AFullDiskIsReportedAndLeavesNoTrace) {
  TTempDir dir;
  const std::string target = dir.Write("data.bin", "old contents\n");
  TRun r;
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    try {
      WriteFileAtomically(target, std::string(100000, 'x'));
    } catch (const EAtomicFileError& e) {
      ::_exit(std::string(e.what()) == "Cannot write " + target + ": File too large" ? 3 : 4);
    }
    ::_exit(5);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(ReadFileBytes(target), "old contents\n");
  EXPECT_TRUE(TempFilesIn(dir.Path()).empty());
}

TEST(HostFiles, AKillDuringTheImportLeavesEachFileOldOrWhole) {
  TOldAssembly old;
  ASSERT_GE(old.Files.size(), 2u);
  const auto start = std::chrono::steady_clock::now();
  TRun timed = BatchInChild({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", old.Dir.Path()});
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(timed.Code, 0) << timed.Out << timed.Err;
  for (int tenth = 9; tenth >= 1; tenth -= 2) {
    for (const auto& f : old.Files) Put(f, "OLD\n");
    const pid_t pid = ::fork();
    if (pid == 0) {
      Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", old.Dir.Path()});
      ::_exit(0);
    }
    std::this_thread::sleep_for(took * tenth / 10);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    for (const auto& f : old.Files) {
      const std::string now = ReadFileBytes(f);
      EXPECT_TRUE(now == "OLD\n" || WholeStepFile(now)) << f << " killed at " << tenth << "/10: " << now.substr(0, 80);
    }
  }
}

TEST(HostFiles, AFullDiskIsAnErrorNamingTheFileAndNothingUnwrittenIsListed) {
  TOldAssembly old;
  ASSERT_GE(old.Files.size(), 2u);
  TRun r = BatchInChild({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", old.Dir.Path()}, [] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{8192, 8192};
    ::setrlimit(RLIMIT_FSIZE, &lim);
  });
  EXPECT_EQ(r.Code, 1) << r.Out;
  const std::string assembly = old.Dir.Path() + "sample.CV_ASM";
  EXPECT_NE(r.Out.find("Cannot write " + assembly + ": File too large"), std::string::npos) << r.Out;
  for (const auto& f : Section(r.Out, "Files written")) EXPECT_TRUE(WholeStepFile(ReadFileBytes(f))) << f;
  for (const auto& f : old.Files) {
    const std::string now = ReadFileBytes(f);
    EXPECT_TRUE(now == "OLD\n" || WholeStepFile(now)) << f;
  }
  EXPECT_EQ(ReadFileBytes(assembly), "OLD\n");
  EXPECT_TRUE(TempFilesIn(old.Dir.Path()).empty());
}

TEST(AssemblyFolder, AFolderThatCannotBeMadeIsAnErrorThatNamesIt) {
  TTempDir dir;
  const std::string file = dir.Write("taken", "a file\n");
  TRun onFile = Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", file});
  EXPECT_EQ(onFile.Code, 1);
  EXPECT_NE(onFile.Out.find("Cannot create assembly folder " + file + ": it is a file, not a folder"),
            std::string::npos)
      << onFile.Out << onFile.Err;
  EXPECT_EQ(ReadFileBytes(file), "a file\n");
  TRun below = Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", file + "/sub"});
  EXPECT_EQ(below.Code, 1);
  EXPECT_NE(below.Out.find("Cannot create assembly folder " + file + "/sub: Not a directory"), std::string::npos)
      << below.Out;
  EXPECT_TRUE(Section(below.Out, "Files written").empty());
}

TEST(AssemblyFolder, ASecondImportIntoTheSameFolderIsRefusedAtOnce) {
  TTempDir dir;
  std::string folder = dir.Path();
  folder.pop_back();
  const TFileLock first(folder, TFileLock::lwTry);
  ASSERT_TRUE(first.Locked()) << first.Error();
  TRun second = BatchInChild({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", folder});
  EXPECT_EQ(second.Code, 1);
  EXPECT_NE(second.Out.find("Another import is writing into " + folder), std::string::npos) << second.Out;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    EXPECT_FALSE(e.is_regular_file()) << e.path() << " written by a refused import";
}

TEST(HostFiles, ReusedAutoPartsThatAreEmptyOrDamagedAreBuiltAgain) {
  TOldAssembly old;
  const std::string soic = old.Dir.Path() + "sampleAutoParts/SOIC8.CV_PRT";
  const std::string r0805 = old.Dir.Path() + "sampleAutoParts/R0805.CV_PRT";
  const std::string conn = old.Dir.Path() + "sampleAutoParts/CONN_2P.CV_PRT";
  // Sound files first, then two of them spoilt.
  TRun first = Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", old.Dir.Path()});
  ASSERT_EQ(first.Code, 0) << first.Out;
  Put(soic, "");
  Put(r0805, "not a part\n");
  const std::string keptConn = ReadFileBytes(conn);
  TRun r = Batch({SamplesDir() + "sample.emn", "--no-settings", "--assembly-dir", old.Dir.Path(), "--set",
                  "ReUseCreatedParts=yes"});
  EXPECT_EQ(r.Code, 0) << r.Out;
  const auto warnings = Section(r.Out, "Warning");
  EXPECT_NE(std::find(warnings.begin(), warnings.end(), "Warning : re-used part " + soic + " is empty, built again"),
            warnings.end())
      << r.Out;
  EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                      "Warning : re-used part " + r0805 + " is not a readable part file, built again"),
            warnings.end());
  EXPECT_TRUE(WholeStepFile(ReadFileBytes(soic)));
  EXPECT_TRUE(WholeStepFile(ReadFileBytes(r0805)));
  EXPECT_EQ(ReadFileBytes(conn), keptConn);  // a sound part is re-used as it is
}
