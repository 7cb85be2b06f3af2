#include <gtest/gtest.h>

#include <cstdlib>

#include "CommonObjects/WinUtils.h"

TEST(WinUtils, VersionTextDropsTheBuildNumber) {
  EXPECT_EQ(FileVersionString("2.3.4.567"), "2.3.4");
  EXPECT_EQ(FileVersionString("2.3"), "2.3");
  EXPECT_EQ(FileVersionString(""), "");
  EXPECT_EQ(FileVersionString(), "4.2.0");  // the version this build was configured with
}

TEST(WinUtils, TempFolderAlwaysEndsWithASeparator) {
  const char* old = std::getenv("Temp");
  std::string saved = old ? old : "";
  ::setenv("Temp", "/var/tmp/", 1);
  EXPECT_EQ(GetWindowsTempFolder(), "/var/tmp/");
  ::setenv("Temp", "/var/tmp", 1);
  EXPECT_EQ(GetWindowsTempFolder(), "/var/tmp/");
  ::unsetenv("Temp");
  ::setenv("TMPDIR", "/scratch", 1);
  EXPECT_EQ(GetWindowsTempFolder(), "/scratch/");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(GetWindowsTempFolder(), "/tmp/");
  if (old) ::setenv("Temp", saved.c_str(), 1);
}

TEST(WinUtils, ProgramPathAndDate) {
  const std::string exe = GetDLLPath(false);
  const std::string dir = GetDLLPath(true);
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(exe.rfind(dir, 0), 0u);
  std::time_t when = 0;
  EXPECT_TRUE(GetModuleFileDate(when));
  EXPECT_GT(when, 0);
  // The zero date, in whatever short form the locale gives it.
  const std::string zero = ShortDateText(nullptr);
  EXPECT_NE(zero.find("30"), std::string::npos) << zero;
  EXPECT_NE(zero.find("12"), std::string::npos) << zero;
}
