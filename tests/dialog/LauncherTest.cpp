// The launcher, the host entry, the terminal About and the batch command.
#include <sstream>

#include "app/BatchCommand.h"
#include "app/CorvaneIdfCommandLauncher.h"
#ifdef IDF_TESTS_WITH_OCCT
#include "corvane/CorvaneServer.h"
#endif
#include "platform/TerminalPlatform.h"
#include "tests/dialog/DialogTestSupport.h"
#include "tests/support/RecordingHost.h"

namespace {
std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
}  // namespace

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
  const std::string copied = ReadFile(clip);
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

class BatchTest : public DialogTest {
 protected:
  int Batch(std::vector<std::string> args) {
#ifdef IDF_TESTS_WITH_OCCT
    corvane::RegisterCorvaneServer();  // a batch run builds the assembly
#endif
    out.str("");
    err.str("");
    return RunBatch(args, out, err);
  }
  std::string Settings() const { return (dir / "cfg" / "registry.reg").string(); }
  std::ostringstream out, err;
};

TEST_F(BatchTest, RunsTheShowSequenceAndLeavesTheStoreAlone) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "cfg");
  const std::string stored =
      "REGEDIT4\n\n[\\Software\\Pellmark\\Corvane\\IDF]\n\"SearchSubDirectories\"=\"not a number\"\n"
      "\"ImportDefaultHeight\"=\"5\"\n";
  Write("cfg/registry.reg", stored);
  EXPECT_EQ(Batch({board, "--settings", Settings(), "--log", "all"}), 0) << err.str();
  EXPECT_NE(out.str().find("---- Summary ----"), std::string::npos);
  EXPECT_NE(out.str().find("Font Setting"), std::string::npos);
  EXPECT_NE(out.str().find("---- Detail ----"), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "cfg" / "registry.reg"), stored);  // the repair stayed in memory
}

TEST_F(BatchTest, SetValuesGoThroughTheShowSequenceAndAreSavedOnRequest) {
  const std::string board = WriteSample();
  EXPECT_EQ(Batch({board, "--no-settings", "--settings", Settings(), "--set", "DoPads=true", "--set",
                   "ImportHeightUnitsIndex=1", "--set", "importdefaultheight=5", "--set", "HolesPerFeature=25", "--set",
                   "XrefFormWidth=700", "--save-settings"}),
            0)
      << err.str();
  auto file = std::make_shared<TRegistryFileMedium>(Settings());
  TGetInfoFromRegistry s(file);
  s.SetKey("Corvane\\IDF");
  EXPECT_TRUE(s.GetBooleanFromRegistry("DoPads"));
  // The height is meant in the unit given, and written as the dialog writes it (inches: five
  // decimals), so the show sequence does not reset it to 10 mm.
  EXPECT_EQ(s.GetIntegerFromRegistry("ImportHeightUnitsIndex"), 1);
  EXPECT_EQ(s.GetStringFromRegistry("ImportDefaultHeight"), "5.00000");
  EXPECT_EQ(s.GetStringFromRegistry("HolesPerFeature"), "25");
  EXPECT_EQ(s.GetIntegerFromRegistry("XrefFormWidth"), 700);
  EXPECT_EQ(s.GetStringFromRegistry("ImportBoardFilePath"), board);
  EXPECT_EQ(s.GetStringFromRegistry("ImportAssemblyPath"), Folder());
}

TEST_F(BatchTest, SettingErrorsAreUsageErrorsThatNameTheSetting) {
  const std::string board = WriteSample();
  EXPECT_EQ(Batch({board, "--set", "DoPadz=true"}), 2);
  EXPECT_NE(err.str().find("'DoPadz' is no setting"), std::string::npos);
  EXPECT_EQ(Batch({board, "--set", "DoPads=maybe"}), 2);
  EXPECT_NE(err.str().find("'DoPads'"), std::string::npos);
  EXPECT_EQ(Batch({board, "--set", "ImportFormLeft=12px"}), 2);
  EXPECT_NE(err.str().find("'ImportFormLeft'"), std::string::npos);
  EXPECT_EQ(Batch({board, "--set", "ImportFormLeft=99999999999"}), 2);
  EXPECT_EQ(Batch({board, "--set", "DoPads"}), 2);
  EXPECT_EQ(Batch({board, "--set"}), 2);
  EXPECT_TRUE(out.str().empty());
}

TEST_F(BatchTest, ExitCodesStayAsTheyWere) {
  EXPECT_EQ(Batch({Folder() + "missing.emn", "--no-settings"}), 2);
  EXPECT_EQ(Batch({}), 2);
  Write("bad.emn", ".HEADER\nLIBRARY_FILE 3.0 x 2026/01/01 1\n.END_HEADER\n");
  EXPECT_EQ(Batch({Folder() + "bad.emn", "--no-settings", "--log", "summary"}), 1);
  EXPECT_NE(out.str().find("---- Error ----"), std::string::npos);
  EXPECT_NE(err.str().find("Errors were found while reading the input files"), std::string::npos);
  Write("blank.emn", "\n   \n");
  EXPECT_EQ(Batch({Folder() + "blank.emn", "--no-settings"}), 1);
  EXPECT_NE(out.str().find("Exception : LoadFiles | no IDF data to read"), std::string::npos);
  const std::string board = WriteSample();
  Write("lib2.emp", kSampleLibrary);
  EXPECT_EQ(Batch({board, "--no-settings", "--library", Folder() + "lib2.emp", "--log", "all"}), 0);
  EXPECT_NE(out.str().find("lib2.emp"), std::string::npos);
}

TEST_F(BatchTest, AStoreThatCannotBeWrittenIsReported) {
  const std::string board = WriteSample();
  fs::create_directories(dir / "cfg" / "registry.reg");  // a folder in the file's place
  EXPECT_EQ(Batch({board, "--no-settings", "--settings", Settings(), "--save-settings"}), 2);
  EXPECT_NE(err.str().find("settings"), std::string::npos);
}
