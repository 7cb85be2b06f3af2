#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CommonObjects/GetRegInfoExt.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {
void WriteAll(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("corvane-settings-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    path = dir / "sub" / "registry.reg";
  }
  void TearDown() override { fs::remove_all(dir); }
  TGetInfoFromRegistry Store() {
    TGetInfoFromRegistry s(std::make_shared<TRegistryFileMedium>(path.string()));
    s.SetKey("Corvane\\IDF");
    return s;
  }
  fs::path dir, path;
};
}  // namespace

TEST_F(SettingsFile, WritesTheRegistryExportFormat) {
  auto s = Store();
  EXPECT_TRUE(s.SetStringInRegistry("ImportAssemblyPath", "/home/a \"b\"\\c/"));
  EXPECT_TRUE(s.SetBooleanInRegistry("UseLibParts", true));
  EXPECT_TRUE(s.SetIntegerInRegistry("ImportFormLeft", -1));
  EXPECT_EQ(ReadFileBytes(path.string()),
            "REGEDIT4\n\n[\\Software\\Pellmark\\Corvane\\IDF]\n"
            "\"ImportAssemblyPath\"=\"/home/a \\\"b\\\"\\\\c/\"\n"
            "\"UseLibParts\"=dword:00000001\n"
            "\"ImportFormLeft\"=dword:ffffffff\n");
  auto again = Store();
  EXPECT_EQ(again.GetStringFromRegistry("ImportAssemblyPath"), "/home/a \"b\"\\c/");
  EXPECT_TRUE(again.GetBooleanFromRegistry("uselibparts"));  // names ignore case, as the registry's
  EXPECT_EQ(again.GetIntegerFromRegistry("ImportFormLeft"), -1);
}

TEST_F(SettingsFile, MissingStoreGivesFallbacksAndIsNotCreatedByReads) {
  auto s = Store();
  EXPECT_EQ(s.GetIntegerFromRegistry("ImportFormTop"), -1);
  EXPECT_EQ(s.GetIntegerFromRegistryExt("XrefFormWidth", 642), 642);
  EXPECT_FALSE(s.GetBooleanFromRegistry("UseLibParts"));
  EXPECT_TRUE(s.GetBooleanFromRegistryExt("SearchSubDirectories", true));
  EXPECT_EQ(s.GetStringFromRegistry("ImportBoardFilePath"), "");
  EXPECT_EQ(s.GetStringFromRegistryExt("Sketch", "Sketch"), "Sketch");
  EXPECT_FALSE(fs::exists(path));
  // A store holding another key only: still absent values.
  fs::create_directories(path.parent_path());
  WriteAll(path, "REGEDIT4\n\n[\\Software\\Other]\n\"Sketch\"=\"x\"\n");
  EXPECT_EQ(s.GetStringFromRegistryExt("Sketch", "Sketch"), "Sketch");
}

TEST_F(SettingsFile, WrongKindsGiveFallbacksAndTheExtReadsRepairThem) {
  fs::create_directories(path.parent_path());
  WriteAll(path,
           "REGEDIT4\n\n[\\Software\\Pellmark\\Corvane\\IDF]\n"
           "\"Left\"=\"text\"\n\"Top\"=\"text\"\n\"Flag\"=dword:00000005\n\"Word\"=dword:00000002\n"
           "\"Empty\"=\"\"\n\"Bin\"=hex:01,02\n\"Bool\"=\"yes\"\n");
  auto s = Store();
  EXPECT_EQ(s.GetIntegerFromRegistry("Left"), -1);
  EXPECT_EQ(s.GetStringFromRegistry("Left"), "text");  // left as it was
  EXPECT_EQ(s.GetIntegerFromRegistryExt("Top", 200), 200);
  EXPECT_EQ(s.GetIntegerFromRegistry("Top"), 200);  // replaced by the default of the right kind
  EXPECT_TRUE(s.GetBooleanFromRegistry("Flag"));
  EXPECT_EQ(s.GetStringFromRegistry("Word"), "");
  EXPECT_EQ(s.GetStringFromRegistryExt("Word", "dflt"), "dflt");
  EXPECT_EQ(s.GetStringFromRegistry("Word"), "dflt");
  EXPECT_EQ(s.GetStringFromRegistry("Empty"), "");
  EXPECT_EQ(s.GetStringFromRegistryExt("Empty", "1"), "1");
  EXPECT_EQ(s.GetStringFromRegistry("Empty"), "");  // an empty text is not a failed read
  EXPECT_EQ(s.GetIntegerFromRegistry("Bin"), -1);
  EXPECT_TRUE(s.GetBooleanFromRegistryExt("Bool", true));
  EXPECT_EQ(s.GetIntegerFromRegistry("Bool"), 1);
}

TEST_F(SettingsFile, KeepsWhatItDoesNotOwn) {
  fs::create_directories(path.parent_path());
  WriteAll(path,
           "REGEDIT4\r\n\r\n[\\Software\\Other]\r\n\"A\"=hex:01,02,\\\r\n  03\r\n@=\"default\"\r\n"
           "[\\Software\\Pellmark\\Corvane\\IDF]\r\n\"Keep\"=dword:0000000a\r\n");
  auto s = Store();
  EXPECT_TRUE(s.SetStringInRegistry("New", "v"));
  const std::string text = ReadFileBytes(path.string());
  EXPECT_NE(text.find("[\\Software\\Other]\n\"A\"=hex:01,02,03\n@=\"default\"\n"), std::string::npos) << text;
  EXPECT_EQ(s.GetIntegerFromRegistry("Keep"), 10);
  EXPECT_EQ(s.GetStringFromRegistry("New"), "v");
}

TEST_F(SettingsFile, DamagedLinesAreKeptAndCountAsUnreadable) {
  fs::create_directories(path.parent_path());
  const std::string damaged =
      "REGEDIT4\n\n[\\Software\\Pellmark\\Corvane\\IDF]\n\"Open\"=\"no end\n\"Num\"=dword:xyz\n"
      "garbage line\n\"Long\"=dword:123456789\n";
  WriteAll(path, damaged);
  auto s = Store();
  EXPECT_EQ(s.GetStringFromRegistry("Open"), "");
  EXPECT_EQ(s.GetIntegerFromRegistry("Num"), -1);
  EXPECT_EQ(s.GetIntegerFromRegistry("Long"), -1);  // more than 32 bits
  ASSERT_TRUE(s.SetStringInRegistry("Other", "x"));
  // A rewrite keeps what it could not read, so nothing of the user's store is lost.
  EXPECT_EQ(ReadFileBytes(path.string()), damaged + "\"Other\"=\"x\"\n");
}

TEST_F(SettingsFile, LineBreaksInATextSurvive) {
  auto s = Store();
  EXPECT_TRUE(s.SetStringInRegistry("Multi", "a\nb\r\nc"));
  EXPECT_EQ(s.GetStringFromRegistry("Multi"), "a\nb\r\nc");
}

TEST_F(SettingsFile, AnInterruptedWriteLeavesTheOldStoreIntact) {
  auto s = Store();
  ASSERT_TRUE(s.SetStringInRegistry("ImportBoardFilePath", "/old/board.emn"));
  const std::string before = ReadFileBytes(path.string());

  // A process that dies after writing its temporary file but before the rename.
  pid_t pid = ::fork();
  ASSERT_NE(pid, -1);
  if (pid == 0) {
    auto medium = std::make_shared<TRegistryFileMedium>(path.string());
    medium->BeforeReplace = [](const std::string&) { ::_exit(0); };
    TGetInfoFromRegistry child(medium);
    child.SetKey("Corvane\\IDF");
    child.SetStringInRegistry("ImportBoardFilePath", "/new/board.emn");
    ::_exit(1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(path.string()), before);
  EXPECT_EQ(s.GetStringFromRegistry("ImportBoardFilePath"), "/old/board.emn");
  // The lock died with the process: the next writer goes ahead.
  EXPECT_TRUE(s.SetStringInRegistry("ImportBoardFilePath", "/next/board.emn"));
  EXPECT_EQ(s.GetStringFromRegistry("ImportBoardFilePath"), "/next/board.emn");
}

TEST_F(SettingsFile, AFailedReplaceReportsFalseAndCleansUp) {
  auto medium = std::make_shared<TRegistryFileMedium>(path.string());
  TGetInfoFromRegistry s(medium);
  s.SetKey("Corvane\\IDF");
  ASSERT_TRUE(s.SetIntegerInRegistry("ImportFormTop", 7));
  medium->BeforeReplace = [](const std::string&) { throw ERegistryError("disk gone"); };
  EXPECT_FALSE(s.SetIntegerInRegistry("ImportFormTop", 8));
  medium->BeforeReplace = nullptr;
  EXPECT_EQ(s.GetIntegerFromRegistry("ImportFormTop"), 7);
  for (const auto& e : fs::directory_iterator(path.parent_path()))
    EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(SettingsFile, AStoreThatCannotBeReadIsNotOverwritten) {
  fs::create_directories(path);  // a folder where the file should be: unreadable as a store
  auto s = Store();
  EXPECT_EQ(s.GetIntegerFromRegistry("ImportFormLeft"), -1);
  EXPECT_EQ(s.GetIntegerFromRegistryExt("ImportFormLeft", 250), 250);
  EXPECT_EQ(s.GetStringFromRegistryExt("Sketch", "Sketch"), "Sketch");
  EXPECT_FALSE(s.SetStringInRegistry("Sketch", "x"));
  EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(SettingsFile, ConcurrentWritersFromTwoProcessesLoseNoValue) {
  constexpr int kPerWriter = 60;
  pid_t pids[2];
  for (int w = 0; w < 2; ++w) {
    pids[w] = ::fork();
    ASSERT_NE(pids[w], -1);
    if (pids[w] == 0) {
      TGetInfoFromRegistry child(std::make_shared<TRegistryFileMedium>(path.string()));
      child.SetKey("Corvane\\IDF");
      bool ok = true;
      for (int i = 0; i < kPerWriter; ++i)
        ok = child.SetIntegerInRegistry("W" + std::to_string(w) + "_" + std::to_string(i), i) && ok;
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t pid : pids) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto s = Store();
  int found = 0;
  for (int w = 0; w < 2; ++w)
    for (int i = 0; i < kPerWriter; ++i)
      found += s.GetIntegerFromRegistry("W" + std::to_string(w) + "_" + std::to_string(i)) == i;
  EXPECT_EQ(found, 2 * kPerWriter);
}

TEST(SettingsStore, KeyPathAndMemoryMedium) {
  auto file = std::make_shared<TRegistryMemoryMedium>();
  TGetInfoFromRegistry s(file);
  EXPECT_EQ(s.GetBaseAppKey(), "");
  s.SetKey("Corvane\\IDF");
  EXPECT_EQ(s.RegDir(), "\\Software\\Pellmark\\Corvane\\IDF");
  EXPECT_EQ(s.GetBaseAppKey(), "Corvane\\IDF");
  s.SetIntegerInRegistry("A", 3);

  auto copy = std::make_shared<TRegistryMemoryMedium>();
  copy->CopyFrom(*file, s.RegDir());
  TGetInfoFromRegistry c(copy);
  c.SetKey("Corvane\\IDF");
  c.SetIntegerInRegistry("A", 4);
  EXPECT_EQ(c.GetIntegerFromRegistry("A"), 4);
  EXPECT_EQ(s.GetIntegerFromRegistry("A"), 3);  // the copy is independent

  copy->RefuseWrites = true;
  EXPECT_FALSE(c.SetBooleanInRegistry("B", true));
}

TEST(SettingsStore, DefaultPathFollowsTheEnvironment) {
  const char* oldS = std::getenv("CORVANE_IDF_SETTINGS");
  const char* oldX = std::getenv("XDG_CONFIG_HOME");
  std::string savedS = oldS ? oldS : "", savedX = oldX ? oldX : "";
  ::setenv("CORVANE_IDF_SETTINGS", "/tmp/x.reg", 1);
  EXPECT_EQ(TRegistryFileMedium::DefaultPath(), "/tmp/x.reg");
  ::unsetenv("CORVANE_IDF_SETTINGS");
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(TRegistryFileMedium::DefaultPath(), "/cfg/pellmark/registry.reg");
  if (oldS) ::setenv("CORVANE_IDF_SETTINGS", savedS.c_str(), 1);
  if (oldX)
    ::setenv("XDG_CONFIG_HOME", savedX.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}
