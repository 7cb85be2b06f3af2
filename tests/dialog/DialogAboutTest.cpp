// About details, help file choice, help keys and the host's requests.
#include "tests/support/DialogTestSupport.h"

namespace {
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t p = 0;
  while (p < text.size()) {
    std::size_t nl = text.find('\n', p);
    out.push_back(text.substr(p, nl - p));
    p = nl == std::string::npos ? text.size() : nl + 1;
  }
  return out;
}
}  // namespace

TEST_F(DialogTest, AboutDetailsAndTheirCopy) {
  auto d = MakeDialog();
  scripted->MessageAnswers.push_back(platform::mrYes);
  d->ShowAboutDetails("Corvane VAV Arizede", "Corvane", "0");
  auto boxes = scripted->CallsOf("MessageDlg");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].MsgKind, platform::TMsgDlgType::mtConfirmation);
  EXPECT_EQ(boxes[0].Buttons, platform::mbYes | platform::mbNo);
  auto lines = SplitLines(boxes[0].Text);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "Corvane VAV Arizede");
  EXPECT_EQ(lines[1], "Ver : 4.2.0");
  EXPECT_EQ(lines[2].rfind("Date : ", 0), 0u);
  EXPECT_GT(lines[2].size(), 7u);
  EXPECT_EQ(lines[3], "Corvane Version 0");
  EXPECT_FALSE(lines[4].empty());
  EXPECT_EQ(lines[5], "Do you want to copy this to the Windows Clipboard?");
  // Yes: the five lines, without the question.
  auto copied = SplitLines(scripted->Clipboard);
  ASSERT_EQ(copied.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5), copied);
  EXPECT_EQ(scripted->Clipboard.back(), '\n');

  scripted->Clipboard = "unchanged";
  scripted->MessageAnswers.push_back(platform::mrNo);
  d->ShowAboutDetails("Corvane VAV Arizede", "Corvane", "0");
  EXPECT_EQ(scripted->Clipboard, "unchanged");

  scripted->ClipboardAvailable = false;
  scripted->MessageAnswers.push_back(platform::mrYes);
  d->ShowAboutDetails("Corvane VAV Arizede", "Corvane", "0");
  EXPECT_EQ(scripted->Clipboard, "unchanged");
  ASSERT_FALSE(scripted->CallsOf("ShowMessage").empty());
  EXPECT_EQ(scripted->CallsOf("ShowMessage").back().Text, "There is no clipboard to copy to.");
}

TEST_F(DialogTest, ProductHelpPrefersTheCompiledHelpFile) {
  auto d = MakeDialog();
  d->FImportHelpTopic = "Importing_IDF_files";
  d->FHelpFileName = d->FHelpFile = Folder() + "Help/CorvaneIdf.chm";
  d->DisplayProductHelp();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], Folder() + "Help/CorvaneIdf.chm does not exist");
  EXPECT_TRUE(scripted->CallsOf("ShowHelp").empty());

  fs::create_directories(dir / "Help");
  Write("Help/CorvaneIdf.hlp", "x");
  d->DisplayProductHelp();
  ASSERT_EQ(scripted->CallsOf("ShowHelp").size(), 1u);
  EXPECT_EQ(scripted->CallsOf("ShowHelp")[0].Text, Folder() + "Help/CorvaneIdf.hlp|Importing_IDF_files|0");

  Write("Help/CORVANEIDF.CHM", "x");  // differs only in letter case: still found
  d->DisplayProductHelp();
  ASSERT_EQ(scripted->CallsOf("ShowHelp").size(), 2u);
  EXPECT_EQ(scripted->CallsOf("ShowHelp")[1].Text, Folder() + "Help/CORVANEIDF.CHM|Importing_IDF_files|0");
}

TEST_F(DialogTest, AShowingDialogWithAnotherHelpFileKeepsTheTopicClosed) {
  fs::create_directories(dir / "Help");
  Write("Help/CorvaneIDF.chm", "x");
  auto d = MakeDialog();
  d->FImportHelpTopic = "Importing_IDF_files";
  d->FHelpFileName = d->FHelpFile = Folder() + "Help/CorvaneIDF.Hlp";
  d->DisplayProductHelp();  // the host's request, no dialog on screen
  EXPECT_EQ(scripted->CallsOf("ShowHelp").size(), 1u);
  EXPECT_EQ(TIdfImportFormV4_XE2::ApplicationHelpFile, Folder() + "Help/CorvaneIDF.chm");

  d->Showing = true;
  d->HelpButton.Click();  // the dialog's own file is the .Hlp one
  EXPECT_EQ(scripted->CallsOf("ShowHelp").size(), 1u);
  d->FHelpFile = Folder() + "Help/corvaneidf.CHM";  // the same file, other case
  d->HelpButton.Click();
  EXPECT_EQ(scripted->CallsOf("ShowHelp").size(), 2u);
}

TEST_F(DialogTest, F1OpensTheFocusedControlsContextAndClosingClosesHelp) {
  fs::create_directories(dir / "Help");
  Write("Help/CorvaneIdf.chm", "x");
  auto d = MakeDialog();
  d->FHelpFileName = d->FHelpFile = Folder() + "Help/CorvaneIdf.chm";
  d->ActiveControl = &d->ImportButton;
  d->FormHelpKey();
  d->ActiveControl = &d->BoardFilePathButton;
  d->FormHelpKey();
  d->ActiveControl = nullptr;
  d->FormHelpKey();
  auto help = scripted->CallsOf("ShowHelp");
  ASSERT_EQ(help.size(), 3u);
  EXPECT_EQ(help[0].Text, Folder() + "Help/CorvaneIdf.chm||1040");
  EXPECT_EQ(help[1].Text, Folder() + "Help/CorvaneIdf.chm||" + std::to_string(d->BoardFilePathButton.HelpContext));
  EXPECT_EQ(help[2].Text, Folder() + "Help/CorvaneIdf.chm||1000");
  scripted->FileAnswers.push_back(WriteSample());
  d->ShowModal();
  EXPECT_EQ(scripted->CallsOf("CloseHelp").size(), 1u);
}

TEST_F(DialogTest, EditorHelpOpensItsTopicOrNamesTheMissingFile) {
  const std::string file = Folder() + "Help/CorvaneIdf.chm";
  TIdfImportFormV4_XE2::DisplayEditorHelp(file, "Using_Cross_Referencing");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], file + " does not exist");
  fs::create_directories(dir / "Help");
  Write("Help/CorvaneIdf.chm", "x");
  TIdfImportFormV4_XE2::DisplayEditorHelp(file, "Setting_Up_Part_Search_Paths");
  ASSERT_EQ(scripted->CallsOf("ShowHelp").size(), 1u);
  EXPECT_EQ(scripted->CallsOf("ShowHelp")[0].Text, file + "|Setting_Up_Part_Search_Paths|0");
}

TEST_F(DialogTest, HostRequestsNeedTheHostRoot) {
  auto d = MakeDialog();
  d->Run_Import(0, nullptr);
  d->Run_Import(1, nullptr);
  EXPECT_TRUE(scripted->Calls.empty());
  EXPECT_EQ(d->fCorvaneRoot, nullptr);
}

TEST_F(DialogTest, HostRequestActions) {
  auto d = MakeDialog();
  d->RunImportAction(3);
  ASSERT_EQ(Messages().size(), 1u);
  auto lines = SplitLines(Messages()[0]);
  EXPECT_EQ(lines[0], "Corvane VAV Arizede Active X Server Test");
  EXPECT_EQ(lines[3], "Valdrin Version Test");

  scripted->Calls.clear();
  d->RunImportAction(1);
  lines = SplitLines(Messages().at(0));
  EXPECT_EQ(lines[0], "Corvane VAV Arizede");
  EXPECT_EQ(lines[3].rfind("Valdrin Version ", 0), 0u);

  scripted->Calls.clear();
  d->FHelpFileName = Folder() + "Help/CorvaneIDF.Hlp";
  d->RunImportAction(2);
  EXPECT_EQ(Messages().at(0), Folder() + "Help/CorvaneIDF.Hlp does not exist");

  scripted->Calls.clear();
  d->RunImportAction(4);
  EXPECT_TRUE(scripted->Calls.empty());

  d->RunImportAction(0);  // the dialog: its first act is the board file dialog
  ASSERT_FALSE(scripted->CallsOf("FileDialog").empty());
  EXPECT_EQ(scripted->CallsOf("FileDialog")[0].Text, "Select IDF Board file");
}
