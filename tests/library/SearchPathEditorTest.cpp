// The search path editor driven like a user, with ".sp" files on disk.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "CommonObjects/IdfStrUtils.h"
#include "import/OrderedPaths.h"
#include "tests/support/ScriptedStoreTest.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {
class SearchPathEditorTest : public ScriptedStoreTest {
 protected:
  void SetUp() override {
    ScriptedStoreTest::SetUp();
    e.fReg = store.get();
    e.FFileName = "board";
    e.FPathListExt = ".sp";
    e.FInitialDir = tmp.Path();
  }
  std::string D(const std::string& name) const {
    fs::create_directories(tmp.Path() + name);
    return tmp.Path() + name;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& c : scripted->Calls)
      if (c.Kind == "MessageDlg" || c.Kind == "ShowMessage") out.push_back(c.Text);
    return out;
  }

  TTempDir tmp;
  TSearchPath e;
};
}  // namespace

TEST_F(SearchPathEditorTest, ShowOffersMissingFoldersForRemovalAndReadsItsPlace) {
  const std::string a = D("a");
  e.PathList.Items = {tmp.Path() + "gone1", a, "", tmp.Path() + "gone2"};
  scripted->MessageAnswers = {platform::mrYes, platform::mrNo};
  e.FormShow();
  EXPECT_EQ(Messages(), (std::vector<std::string>{tmp.Path() + "gone1 does not exist, Delete?",
                                                  tmp.Path() + "gone2 does not exist, Delete?"}));
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{a, "", tmp.Path() + "gone2"}));
  EXPECT_EQ(e.PathList.ItemIndex(), 0);
  EXPECT_FALSE(e.AddButton.Enabled);
  EXPECT_FALSE(e.RemoveButton.Enabled);
  EXPECT_EQ(e.FPathListExt, "sp");
  EXPECT_EQ(e.Top, 250);
  EXPECT_EQ(e.Left, 300);

  TSearchPath bare;
  bare.FormShow();
  EXPECT_EQ(Messages().size(), 5u);
  EXPECT_EQ(Messages()[2], "Registry component not assigned");
  EXPECT_EQ(Messages()[3], "Default filename not assigned");
  EXPECT_EQ(Messages()[4], "Default extension not assigned");
}

TEST_F(SearchPathEditorTest, AddRemoveAndMoveLines) {
  const std::string a = D("a"), b = D("b");
  e.PathList.Items = {""};
  e.FormShow();
  e.editFolder.SetText(a);
  EXPECT_TRUE(e.AddButton.Enabled);
  e.AddButton.Click();
  EXPECT_EQ(e.PathList.Items, std::vector<std::string>{a});  // the lone empty line is replaced
  EXPECT_FALSE(e.AddButton.Enabled);

  e.editFolder.SetText(b);
  e.AddButton.Click();
  // A path already listed, in another letter case, is not added again.
  e.editFolder.SetText(UpperCase(a));
  EXPECT_FALSE(e.AddButton.Enabled);
  e.AddButton.Enabled = true;
  e.AddButton.Click();
  EXPECT_EQ(e.PathList.Items.size(), 2u);

  // A folder that does not exist: asked, and No adds nothing.
  e.editFolder.SetText(tmp.Path() + "nope");
  scripted->MessageAnswers = {platform::mrNo};
  e.AddButton.Click();
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{a, b}));
  EXPECT_EQ(Messages().back(), tmp.Path() + "nope does not exist, continue?");
  EXPECT_FALSE(e.AddButton.Enabled);
  e.editFolder.SetText("");
  e.editFolder.SetText(tmp.Path() + "nope");
  scripted->MessageAnswers = {platform::mrYes};
  e.AddButton.Click();
  EXPECT_EQ(e.PathList.Items.size(), 3u);
  EXPECT_EQ(e.PathList.ItemIndex(), 2);

  e.UpButton.Click();
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{a, tmp.Path() + "nope", b}));
  EXPECT_EQ(e.PathList.ItemIndex(), 1);
  e.DownButton.Click();
  e.DownButton.Click();  // already last
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{a, b, tmp.Path() + "nope"}));

  // Remove deletes the edit's path, not necessarily the selected line.
  e.PathList.ClickItem(2);
  EXPECT_TRUE(e.RemoveButton.Enabled);
  EXPECT_EQ(e.editFolder.Text(), tmp.Path() + "nope");
  e.editFolder.SetText(a);
  e.RemoveButton.Click();
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{b, tmp.Path() + "nope"}));
  EXPECT_EQ(e.PathList.ItemIndex(), 1);
  EXPECT_EQ(e.editFolder.Text(), tmp.Path() + "nope");
  e.RemoveButton.Click();
  e.RemoveButton.Click();
  EXPECT_TRUE(e.PathList.Items.empty());
  EXPECT_FALSE(e.AddButton.Enabled);
  EXPECT_FALSE(e.RemoveButton.Enabled);
}

TEST_F(SearchPathEditorTest, SaveSortsWithoutCaseDuplicatesAndAnswersOverwriteAppendCancel) {
  const std::string file = tmp.Path() + "paths.sp";
  e.PathList.Items = {"C:\\b", "C:\\a", "c:\\A"};
  scripted->FileAnswers = {file};
  e.SaveTo.Click();
  EXPECT_EQ(ReadFileBytes(file), "C:\\a\r\nC:\\b\r\n");
  const auto dlg = scripted->CallsOf("FileDialog").at(0);
  EXPECT_EQ(dlg.Text, "Save ");
  EXPECT_EQ(dlg.AskedFileName, "board.sp");
  EXPECT_EQ(dlg.Request.Filter, "All Files (*.*)|*.*|Path List(*.sp)|*.sp");
  EXPECT_EQ(dlg.Request.InitialDir, tmp.Path());
  EXPECT_EQ(e.PathList.Items.size(), 3u);  // the list itself keeps its search order

  e.PathList.Items = {"/z", "/y"};
  scripted->FileAnswers = {file};
  scripted->MessageAnswers = {platform::mrNo};
  e.SaveTo.Click();
  EXPECT_EQ(ReadFileBytes(file), "C:\\a\r\nC:\\b\r\n/y\r\n/z\r\n");
  EXPECT_EQ(Messages().back(), "Yes to OverWrite, No to Append, Cancel to do nothing");

  scripted->FileAnswers = {file};
  scripted->MessageAnswers = {platform::mrCancel};
  e.SaveTo.Click();
  EXPECT_EQ(ReadFileBytes(file), "C:\\a\r\nC:\\b\r\n/y\r\n/z\r\n");

  scripted->FileAnswers = {file};
  scripted->MessageAnswers = {platform::mrYes};
  e.SaveTo.Click();
  EXPECT_EQ(ReadFileBytes(file), "/y\r\n/z\r\n");
}

TEST_F(SearchPathEditorTest, LoadReplacesTheListWithoutSelectionAndBadFilesChangeNothing) {
  const std::string file =
      tmp.Write("in.sp", "\xEF\xBB\xBF/lib/one\r\n\r\n  /lib/two  \r\n");  // a UTF-8 mark, a blank line
  e.PathList.Items = {"/old"};
  e.PathList.SetItemIndex(0);
  scripted->FileAnswers = {file};
  e.LoadFrom.Click();
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{"/lib/one", "", "  /lib/two  "}));
  EXPECT_EQ(e.PathList.ItemIndex(), -1);
  e.DownButton.Click();
  EXPECT_EQ(e.PathList.Items[0], "/lib/one");
  EXPECT_EQ(scripted->CallsOf("FileDialog").at(0).Request.Filter, "All Files (*.*)|*.*|PathList(*.sp)|*.sp");

  // Round trip through Save and Load.
  scripted->FileAnswers = {tmp.Path() + "out.sp"};
  e.SaveTo.Click();
  e.PathList.Items.clear();
  scripted->FileAnswers = {tmp.Path() + "out.sp"};
  e.LoadFrom.Click();
  EXPECT_EQ(e.PathList.Items, (std::vector<std::string>{"", "  /lib/two  ", "/lib/one"}));

  // A missing file, and a folder that cannot be written: an error box, the list as it was.
  scripted->FileAnswers = {tmp.Path() + "missing.sp"};
  e.LoadFrom.Click();
  EXPECT_EQ(scripted->Calls.back().MsgKind, platform::TMsgDlgType::mtError);
  EXPECT_EQ(e.PathList.Items.size(), 3u);
  scripted->FileAnswers = {std::string("/proc/self/mem")};
  e.LoadFrom.Click();
  EXPECT_EQ(scripted->Calls.back().MsgKind, platform::TMsgDlgType::mtError);
  EXPECT_EQ(e.PathList.Items.size(), 3u);
  scripted->FileAnswers = {tmp.Path() + "no/such/folder/x.sp"};
  e.SaveTo.Click();
  EXPECT_EQ(scripted->Calls.back().MsgKind, platform::TMsgDlgType::mtError);
  EXPECT_FALSE(fs::exists(tmp.Path() + "no"));
}

TEST_F(SearchPathEditorTest, OkWritesThePlaceAndCancelWritesNothing) {
  store->SetStringInRegistry("SearchPathLastDir", "/last");
  store->SetIntegerInRegistry("SearchPathFormTop", 40);
  TSearchPath::RunModalLoop = [](TSearchPath& f) {
    f.Left = 77;
    f.CancelButton.Click();
  };
  EXPECT_EQ(e.ShowModal(), platform::mrCancel);
  EXPECT_EQ(store->GetIntegerFromRegistry("SearchPathFormLeft"), -1);
  TSearchPath::RunModalLoop = [](TSearchPath& f) {
    f.Left = 77;
    f.OKButton.Click();
  };
  EXPECT_EQ(e.ShowModal(), platform::mrOk);
  TSearchPath::RunModalLoop = nullptr;
  EXPECT_EQ(store->GetIntegerFromRegistry("SearchPathFormLeft"), 77);
  EXPECT_EQ(store->GetIntegerFromRegistry("SearchPathFormTop"), 40);
  EXPECT_EQ(store->GetStringFromRegistry("SearchPathLastDir"), "/last");
}
