// The launcher, the host entry and the terminal About.
#include <sstream>

#include "app/CorvaneIdfCommandLauncher.h"
#include "platform/TerminalPlatform.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TestFiles.h"

TEST_F(DialogTest, TheProgramsEntryShowsOnlyTheAboutDetails) {
  RunIdfImport(true, TLaunchSetup{medium, nullptr, nullptr});
  EXPECT_TRUE(scripted->CallsOf("FileDialog").empty());
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind("Corvane VAV Arizede\nVer : 4.2.0\nDate : ", 0), 0u);
  EXPECT_NE(Messages()[0].find("\nCorvane Version 0\n"), std::string::npos);
}

TEST_F(DialogTest, TheLauncherInImportModeShowsTheDialog) {
  const std::string board = WriteSample();
  scripted->FileAnswers.push_back(board);
  bool before = false, after = false;
  TLaunchSetup setup;
  setup.Medium = medium;
  setup.BeforeShow = [&](TCorvaneIdfImport& d) {
    before = true;
    EXPECT_NE(d.FReg, nullptr);
    EXPECT_EQ(d.FReg->GetBaseAppKey(), "Corvane\\IDF");
    EXPECT_EQ(d.FHelpFileName.substr(d.FHelpFileName.size() - 19), "Help/CorvaneIdf.chm");
    EXPECT_EQ(d.FAssyExt, ".CV_ASM");
    EXPECT_EQ(d.FPartExt, ".CV_PRT");
    EXPECT_EQ(d.fCorvaneRoot, nullptr);  // no host registered in this test
  };
  setup.AfterShow = [&](TCorvaneIdfImport& d) {
    after = true;
    EXPECT_EQ(d.Caption, "Corvane VAV Arizede 4.2.0");
    EXPECT_EQ(d.BoardFilePathEdit.Text(), board);
  };
  RunIdfImport(false, setup);
  EXPECT_TRUE(before);
  EXPECT_TRUE(after);
}

TEST_F(DialogTest, OnItsOwnTheImportGetsAHostInstanceAndEndsIt) {
  auto host = std::make_shared<recording::TRecordingHost>();
  host->Register();
  RunIdfImport(true, TLaunchSetup{medium, nullptr, nullptr});
  EXPECT_EQ(host->InstancesStarted, 0);  // the About details need no host

  scripted->FileAnswers.push_back(WriteSample());
  bool hadRoot = false;
  TLaunchSetup setup{medium, nullptr, [&](TCorvaneIdfImport& d) { hadRoot = d.fCorvaneRoot != nullptr; }};
  RunIdfImport(false, setup);
  CorvaneX_TLB::RegisterAutomationServer(nullptr);
  EXPECT_TRUE(hadRoot);
  EXPECT_EQ(host->InstancesStarted, 1);
  EXPECT_EQ(host->CountOf("Terminate"), 1);
}

TEST_F(DialogTest, HostEntryAsksTheRootForItsVersion) {
  auto host = std::make_shared<recording::TRecordingHost>();
  host->Script.Version = "Valdrin 2031 SP1";
  auto root = host->NewInstance()->Get_Root();
  Run_Import(1, root, TLaunchSetup{medium, nullptr, nullptr});
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("\nValdrin Version Valdrin 2031 SP1\n"), std::string::npos) << Messages()[0];
  EXPECT_EQ(host->CountOf("Get_version"), 1);
  EXPECT_EQ(host->CountOf("Terminate"), 0);  // the host's own instance stays up

  scripted->Calls.clear();
  Run_Import(0, root, TLaunchSetup{medium, nullptr, nullptr});
  EXPECT_EQ(scripted->CallsOf("FileDialog").size(), 1u);

  // An object that is no host root: nothing happens.
  host->Script.RootIsICVRoot = false;
  auto notRoot = host->NewInstance()->Get_Root();
  scripted->Calls.clear();
  Run_Import(1, notRoot, TLaunchSetup{medium, nullptr, nullptr});
  Run_Import(3, notRoot, TLaunchSetup{medium, nullptr, nullptr});
  EXPECT_TRUE(scripted->Calls.empty());
}

TEST_F(DialogTest, TheHostEntryWithoutAHostRootDoesNothing) {
  Run_Import(0, nullptr, TLaunchSetup{medium, nullptr, nullptr});
  Run_Import(3, nullptr, TLaunchSetup{medium, nullptr, nullptr});
  EXPECT_TRUE(scripted->Calls.empty());
}

TEST(TerminalPlatform, AboutOnATerminal) {
  std::istringstream in("y\n");
  std::ostringstream out;
  platform::TTerminalPlatform terminal(in, out, true);
  EXPECT_EQ(terminal.MessageDlg("Q?\n", platform::TMsgDlgType::mtConfirmation, platform::mbYes | platform::mbNo),
            platform::mrYes);
  EXPECT_EQ(out.str(), "Q?\n[y/N] ");
  std::istringstream no("\n");
  platform::TTerminalPlatform terminal2(no, out, true);
  EXPECT_EQ(terminal2.MessageDlg("Q?", platform::TMsgDlgType::mtConfirmation, platform::mbYes | platform::mbNo),
            platform::mrNo);
  std::istringstream unused("y\n");
  std::ostringstream out3;
  platform::TTerminalPlatform pipe(unused, out3, false);
  EXPECT_EQ(pipe.MessageDlg("Q?\n", platform::TMsgDlgType::mtConfirmation, platform::mbYes | platform::mbNo),
            platform::mrNo);
  EXPECT_EQ(out3.str(), "Q?\n");  // no prompt and nothing read without a terminal
  std::string left;
  std::getline(unused, left);
  EXPECT_EQ(left, "y");
}

namespace {
// Sets an environment variable for the scope and puts the old value back.
class TEnv {
 public:
  TEnv(const char* name, const char* value) : fName(name) {
    if (const char* old = std::getenv(name)) fOld = old, fHad = true;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~TEnv() {
    if (fHad)
      ::setenv(fName, fOld.c_str(), 1);
    else
      ::unsetenv(fName);
  }

 private:
  const char* fName;
  std::string fOld;
  bool fHad = false;
};
}  // namespace

TEST_F(DialogTest, ADesktopClipboardToolTakesTheAboutDetails) {
  Write("wl-copy", "#!/bin/sh\ncat > \"$CLIP_OUT\"\n");
  fs::permissions(dir / "wl-copy", fs::perms::owner_all);
  const std::string clip = Folder() + "clip.txt";
  TEnv path("PATH", (dir.string() + ":/usr/bin:/bin").c_str());
  TEnv wayland("WAYLAND_DISPLAY", "wayland-0");
  TEnv out("CLIP_OUT", clip.c_str());
  std::istringstream in("y\n");
  std::ostringstream shown;
  auto terminal = std::make_shared<platform::TTerminalPlatform>(in, shown, true);
  platform::SetServices(terminal);
  ASSERT_TRUE(terminal->HasClipboard());
  TCorvaneIdfImport d;
  d.ShowAboutDetails("Corvane VAV Arizede", "Corvane", "0");
  const std::string copied = ReadFileBytes(clip);
  EXPECT_EQ(copied.rfind("Corvane VAV Arizede\nVer : ", 0), 0u) << copied;
  EXPECT_EQ(copied.find("Do you want"), std::string::npos);
  EXPECT_EQ(shown.str().find("clipboard could not"), std::string::npos);
}

TEST(TerminalPlatform, YesWithoutClipboardSaysSo) {
  TEnv display("DISPLAY", nullptr);
  TEnv wayland("WAYLAND_DISPLAY", nullptr);
  std::istringstream in("yes\n");
  std::ostringstream out;
  auto terminal = std::make_shared<platform::TTerminalPlatform>(in, out, true);
  auto saved = platform::SetServices(terminal);
  TCorvaneIdfImport d;
  d.ShowAboutDetails("Corvane VAV Arizede", "Corvane", "0");
  platform::SetServices(saved);
  EXPECT_NE(out.str().find("Corvane Version 0\n"), std::string::npos);
  EXPECT_NE(out.str().find("There is no clipboard to copy to.\n"), std::string::npos);
}
