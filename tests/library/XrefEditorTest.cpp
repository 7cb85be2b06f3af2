// The cross-reference editor driven like a user, with ".xrf" files on disk.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>

#include "import/PartXref.h"
#include "tests/support/ScriptedStoreTest.h"
#include "tests/support/TestFiles.h"

namespace fs = std::filesystem;

namespace {
class XrefEditorTest : public ScriptedStoreTest {
 protected:
  void SetUp() override {
    ScriptedStoreTest::SetUp();
    f.FReg = store.get();
    f.FPartExt = ".CV_PRT";
    f.FAssyExt = ".CV_ASM";
    f.FPartXrefExt = ".xrf";
  }
  std::vector<std::pair<std::string, std::string>> Rows() const {
    std::vector<std::pair<std::string, std::string>> out;
    for (int r = 1; r < f.FootPrintGrid.RowCount(); ++r)
      out.emplace_back(f.FootPrintGrid.Cell(0, r), f.FootPrintGrid.Cell(1, r));
    return out;
  }
  using Rows_t = std::vector<std::pair<std::string, std::string>>;

  TTempDir tmp;
  TPartXrefForm f;
};
}  // namespace

TEST_F(XrefEditorTest, ShowListsTheBoardPackagesWithTheirParts) {
  const std::string file =
      tmp.Write("lib.xrf", "r0805=C:\\lib\\r.CV_PRT|Var2\nC0603=\nnoequals\nSOIC8=/p/so8.CV_PRT\n");
  f.Caption = "Xref";
  f.FFootprintHolder = {"R0805", "C0603", "U_NEW", "SOIC8"};
  f.FPartXrefLibFilename = file;
  f.FormShow();
  EXPECT_EQ(f.Caption, "Xref - lib.xrf");
  EXPECT_TRUE(f.IncludePath.Checked);
  EXPECT_EQ(f.FootPrintGrid.Cell(0, 0), "IDF Package");
  EXPECT_EQ(f.FootPrintGrid.Cell(1, 0), "Part File");
  EXPECT_EQ(Rows(), (Rows_t{{"R0805", "C:\\lib\\r.CV_PRT"}, {"C0603", ""}, {"U_NEW", ""}, {"SOIC8", "/p/so8.CV_PRT"}}));
  EXPECT_EQ(f.ShowAllButton.Caption, "Show All");
  EXPECT_EQ(f.GridWidth, 621);
  EXPECT_EQ(f.ColWidths[0], 130);
  EXPECT_EQ(f.ColWidths[1], 621 - 5 - 130);

  // Without paths only file names are shown; OK then writes them (folder and configuration go).
  store->SetBooleanInRegistry("PartXrefIncludePath", false);
  f.FormShow();
  EXPECT_EQ(f.FootPrintGrid.Cell(1, 1), "r.CV_PRT");
  f.OKButton.Click();
  EXPECT_EQ(f.ModalResult, platform::mrOk);
  EXPECT_EQ(ReadFileBytes(file), "C0603=\r\nnoequals\r\nr0805=r.CV_PRT\r\nSOIC8=so8.CV_PRT\r\n");
}

TEST_F(XrefEditorTest, OkMergesIntoAnExistingFileAndSaveAsWritesTheMasterList) {
  const std::string file = tmp.Write("m.xrf", "Z9=z.CV_PRT\nR0805=old.CV_PRT|Cfg\nC0603=keep.CV_PRT\n");
  f.FFootprintHolder = {"R0805", "C0603", "NEWPKG", "ADDED"};
  f.FPartXrefLibFilename = file;
  f.FormShow();
  f.FootPrintGrid.SetCell(1, 1, "new.CV_PRT");
  f.FootPrintGrid.Row = 2;
  f.ClearEntryButton.Click();  // a cleared part leaves the file's old value
  f.FootPrintGrid.SetCell(1, 4, "added.CV_ASM");

  // "Save As" first: the master list as it is, empty values included, no merge.
  scripted->FileAnswers = {tmp.Path() + "copy.xrf"};
  f.SaveAsButton.Click();
  const auto dlg = scripted->CallsOf("FileDialog").at(0);
  EXPECT_EQ(dlg.Text, "Save Cross Reference File As");
  EXPECT_EQ(dlg.Request.Filter, "All Files (*.*)|*.*|Part Xref files (*.xrf)|*.XRF");
  EXPECT_EQ(dlg.AskedFileName, "m.xrf");
  EXPECT_EQ(dlg.Request.InitialDir, tmp.Path());
  EXPECT_EQ(ReadFileBytes(tmp.Path() + "copy.xrf"),
            "Z9=z.CV_PRT\r\nR0805=new.CV_PRT\r\nC0603=\r\nNEWPKG=\r\nADDED=added.CV_ASM\r\n");
  EXPECT_EQ(f.Caption, tmp.Path() + "copy.xrf");
  EXPECT_EQ(f.ModalResult, platform::mrNone);  // the editor stays open

  // OK merges into the original file.
  f.FPartXrefLibFilename = file;
  f.OKButton.Click();
  EXPECT_EQ(ReadFileBytes(file), "ADDED=added.CV_ASM\r\nC0603=keep.CV_PRT\r\nR0805=new.CV_PRT\r\nZ9=z.CV_PRT\r\n");
}

TEST_F(XrefEditorTest, OkWithoutFileNameAsksAndStaysOpenOnCancel) {
  f.FFootprintHolder = {"A"};
  f.FormShow();
  f.FootPrintGrid.SetCell(1, 1, "a.CV_PRT");
  scripted->FileAnswers = {std::nullopt};
  f.OKButton.Click();
  EXPECT_EQ(f.ModalResult, platform::mrNone);
  EXPECT_EQ(scripted->CallsOf("FileDialog").at(0).Text, "Cross Reference Filename");
  EXPECT_TRUE(f.FPartXrefLibFilename.empty());

  scripted->FileAnswers = {tmp.Path() + "new"};
  f.OKButton.Click();
  EXPECT_EQ(f.ModalResult, platform::mrOk);
  EXPECT_EQ(ReadFileBytes(tmp.Path() + "new"), "A=a.CV_PRT\r\n");
}

TEST_F(XrefEditorTest, HeadingClickSortsByPackageAndKeepsRowsTogether) {
  f.FFootprintHolder = {"b=x", "A\"q", "C", "a"};
  f.FormShow();
  f.FootPrintGrid.SetCell(1, 1, "part=of\"b.CV_PRT");
  f.FootPrintGrid.SetCell(1, 2, "\"quoted\".CV_PRT");
  f.FootPrintGrid.SetCell(1, 4, "lower-a");
  f.FootPrintGridMouseDown(0, true, false);
  EXPECT_FALSE(f.FSortAsc);
  EXPECT_EQ(Rows(), (Rows_t{{"C", ""}, {"b=x", "part=of\"b.CV_PRT"}, {"A\"q", "\"quoted\".CV_PRT"}, {"a", "lower-a"}}));
  f.FootPrintGridMouseDown(0, true, false);
  EXPECT_EQ(Rows(), (Rows_t{{"a", "lower-a"}, {"A\"q", "\"quoted\".CV_PRT"}, {"b=x", "part=of\"b.CV_PRT"}, {"C", ""}}));
  // Not the heading row, another button or a modifier: nothing happens.
  f.FootPrintGridMouseDown(2, true, false);
  f.FootPrintGridMouseDown(0, false, false);
  f.FootPrintGridMouseDown(0, true, true);
  EXPECT_TRUE(f.FSortAsc);
  EXPECT_EQ(f.FootPrintGrid.Cell(0, 1), "a");

  // A package holding "=" keeps one entry and its part through the views.
  f.ShowAllButton.Click();
  f.ShowAllButton.Click();
  f.ShowAllButton.Click();
  EXPECT_EQ(f.FPartXrefLib.Count(), 4);
  f.ShowAllButton.Click();
  EXPECT_EQ(f.FootPrintGrid.Cell(1, 1), "part=of\"b.CV_PRT");
}

TEST_F(XrefEditorTest, ShowAllTwiceKeepsEditsOfBothViews) {
  const std::string file = tmp.Write("s.xrf", "OTHER=o.CV_PRT\n");
  f.FFootprintHolder = {"R1"};
  f.FPartXrefLibFilename = file;
  f.FormShow();
  f.FootPrintGrid.SetCell(1, 1, "r1.CV_PRT");
  f.ShowAllButton.Click();
  EXPECT_TRUE(f.FShowingAll);
  EXPECT_EQ(f.ShowAllButton.Caption, "Show this PCB");
  EXPECT_EQ(Rows(), (Rows_t{{"OTHER", "o.CV_PRT"}, {"R1", "r1.CV_PRT"}}));
  f.FootPrintGrid.SetCell(1, 1, "o2.CV_PRT");
  f.ShowAllButton.Click();
  EXPECT_FALSE(f.FShowingAll);
  EXPECT_EQ(Rows(), (Rows_t{{"R1", "r1.CV_PRT"}}));
  f.ShowAllButton.Click();
  EXPECT_EQ(Rows(), (Rows_t{{"OTHER", "o2.CV_PRT"}, {"R1", "r1.CV_PRT"}}));
}

TEST_F(XrefEditorTest, AutoLoadBrowseAndClipboard) {
  tmp.Write("R1.CV_ASM", "x");
  tmp.Write("u7.cv_prt", "x");
  f.FFootprintHolder = {"R1", "U7", "NONE"};
  f.FormShow();
  f.FootPrintGrid.SetCell(1, 3, "kept");
  char old[4096];
  ASSERT_NE(::getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(::chdir(tmp.Path().c_str()), 0);
  f.Load3dModel.Click();
  ASSERT_EQ(::chdir(old), 0);
  char real[4096];
  ASSERT_NE(::realpath(tmp.Path().c_str(), real), nullptr);
  const std::string here = std::string(real) + "/";
  // Found in the current folder; the file's own spelling is kept so that it opens.
  EXPECT_EQ(Rows(), (Rows_t{{"R1", here + "R1.CV_ASM"}, {"U7", here + "u7.cv_prt"}, {"NONE", "kept"}}));
  f.IncludePath.Checked = false;

  // Browsing: only in the part column; the filter names both extensions.
  f.FootPrintGrid.Col = 0;
  f.FootPrintGrid.Row = 1;
  f.FootPrintGrid.DblClick();
  EXPECT_TRUE(scripted->CallsOf("FileDialog").empty());
  f.FootPrintGrid.Col = 1;
  f.FootPrintGrid.Row = 2;
  scripted->FileAnswers = {"/parts/u7new.CV_PRT"};
  f.FootPrintGrid.DblClick();
  const auto dlg = scripted->CallsOf("FileDialog").at(0);
  EXPECT_EQ(dlg.Text, "Browsing Part for U7");
  EXPECT_EQ(dlg.Request.InitialDir, here);
  EXPECT_EQ(dlg.Request.Filter, "All Files (*.*)|*.*|Part(*.CV_PRT)|*.CV_PRT|Assembly(*.CV_ASM)|*.CV_ASM");
  EXPECT_EQ(f.FootPrintGrid.Cell(1, 2), "u7new.CV_PRT");  // "Include Path" is off

  f.SelectionTop = 2;
  f.SelectionBottom = 3;
  f.CopyToClipboardButton.Click();
  EXPECT_EQ(scripted->Clipboard, "U7=u7new.CV_PRT\r\nNONE=kept\r\n");
}

TEST_F(XrefEditorTest, ClosingWritesTheSevenSettingsAndBadFilesAreReported) {
  TPartXrefForm::RunModalLoop = [](TPartXrefForm& x) {
    x.Width = 800;
    x.IncludePath.Checked = false;
    x.CancelButton.Click();
  };
  EXPECT_EQ(f.ShowModal(), platform::mrCancel);
  TPartXrefForm::RunModalLoop = nullptr;
  EXPECT_EQ(store->GetIntegerFromRegistry("XrefFormWidth"), 800);
  EXPECT_EQ(store->GetIntegerFromRegistry("XrefFormLeft"), 200);
  EXPECT_EQ(store->GetIntegerFromRegistry("XrefFormHeight"), 450);
  EXPECT_FALSE(store->GetBooleanFromRegistryExt("PartXrefIncludePath", true));
  // Widths are fitted to the grid of the size the editor had when it opened.
  EXPECT_EQ(store->GetIntegerFromRegistry("XrefFormCol0Width"), 130);
  EXPECT_EQ(store->GetIntegerFromRegistry("XrefFormCol1Width"), 621 - 5 - 130);

  // A file that cannot be read: the editor opens empty and OK refuses to merge into it.
  f.FFootprintHolder = {"A"};
  f.FPartXrefLibFilename = "/proc/self/mem";
  f.FormShow();
  EXPECT_EQ(scripted->Calls.back().MsgKind, platform::TMsgDlgType::mtError);
  EXPECT_EQ(f.FPartXrefLib.Count(), 0);
  f.FootPrintGrid.SetCell(1, 1, "a.CV_PRT");
  f.OKButton.Click();
  EXPECT_EQ(f.ModalResult, platform::mrNone);
  EXPECT_EQ(scripted->CallsOf("MessageDlg").size(), 2u);

  // A file that cannot be written: an error box, the editor stays open.
  f.FFootprintHolder = {"A"};
  f.FPartXrefLibFilename = tmp.Path() + "no/such/dir/x.xrf";
  f.FormShow();
  f.OKButton.Click();
  EXPECT_EQ(f.ModalResult, platform::mrNone);
  EXPECT_EQ(scripted->Calls.back().MsgKind, platform::TMsgDlgType::mtError);
}
