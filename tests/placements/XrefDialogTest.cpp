// The "Library Parts" controls of the import dialog: enabling, the cross-reference format
// check, and the two editors opened from the dialog.
#include "import/OrderedPaths.h"
#include "import/PartXref.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/TestFiles.h"

namespace {
// Counts the height grid reloads that the library switch asks for.
class CountingDialog : public TCorvaneIdfImport {
 public:
  void LoadHeightGrid() override { ++HeightLoads; }
  int HeightLoads = 0;
};

class XrefDialogTest : public DialogTest {
 protected:
  std::vector<std::string> Errors(const TCorvaneIdfImport& d) const { return d.FImportIDF->ErrorLog.Lines(); }
};
}  // namespace

TEST_F(XrefDialogTest, LibraryControlsFollowBothBoxes) {
  auto d = ShowWith<CountingDialog>(WriteSample());
  const int loadsAfterShow = d->HeightLoads;
  auto xrefControls = [&] {
    return std::vector<bool>{d->XrefEdit.Enabled, d->XrefLabel.Enabled, d->XrefButton.Enabled,
                             d->EditXrefButton.Enabled};
  };
  const std::vector<bool> none(4, false), all(4, true);
  EXPECT_FALSE(d->UseLibParts.Checked);
  EXPECT_FALSE(d->LibSearchPathCombobox.Enabled);
  EXPECT_FALSE(d->UseXrefCheckbox.Enabled);
  EXPECT_EQ(xrefControls(), none);

  d->UseLibParts.Click();
  EXPECT_EQ(d->HeightLoads, loadsAfterShow + 1);  // which packages need a height changes with it
  for (const controls::TControl* c : std::initializer_list<const controls::TControl*>{
           &d->LibSearchPathCombobox, &d->LibSearchPathButton, &d->Label3, &d->SearchSubDirs, &d->UseXrefCheckbox})
    EXPECT_TRUE(c->Enabled) << c->Name;
  EXPECT_EQ(xrefControls(), none);
  d->UseXrefCheckbox.Click();
  EXPECT_EQ(xrefControls(), all);
  d->UseLibParts.Click();  // off again: the cross-reference box keeps its tick, its controls go
  EXPECT_TRUE(d->UseXrefCheckbox.Checked);
  EXPECT_FALSE(d->UseXrefCheckbox.Enabled);
  EXPECT_EQ(xrefControls(), none);

  EXPECT_EQ(d->XrefButton.Hint, "Browse to Part Cross Reference File");
  EXPECT_EQ(d->Label3.Caption, "Paths");
}

TEST_F(XrefDialogTest, FormatCheckLooksAtTheFirstLineOnlyAndIgnoresMissingFiles) {
  Write("bad.xrf", "just a name\nR0805=r.CV_PRT\n");
  Write("good.xrf", "R0805=r.CV_PRT\nno equals here\n");
  Write("empty.xrf", "");
  store->SetBooleanInRegistry("UseLibParts", true);
  store->SetBooleanInRegistry("UsePartXref", true);
  store->SetStringInRegistry("PackageXrefFile", Folder() + "bad.xrf");
  auto d = ShowWith(WriteSample());
  EXPECT_EQ(Errors(*d), std::vector<std::string>{"Part Cross Reference file has incorrect format"});

  for (const char* name : {"good.xrf", "empty.xrf", "missing.xrf"}) {
    d->FImportIDF->ErrorLog.Clear();
    d->XrefEdit.SetText(Folder() + name);
    d->GetXrefPartList();
    EXPECT_TRUE(Errors(*d).empty()) << name;
  }
  // A file that cannot be read (even by root) is reported, not raised.
  d->XrefEdit.SetText("/proc/self/mem");
  d->GetXrefPartList();
  ASSERT_EQ(Errors(*d).size(), 1u);
  EXPECT_EQ(Errors(*d)[0].rfind("Exception : GetXrefPartList | ", 0), 0u);
  Write("ok.xrf", "RES_0805=MAPPED\n");
  d->XrefEdit.SetText(Folder() + "ok.xrf");
  d->UseXrefCheckbox.Checked = true;
  d->UseLibParts.Checked = true;
  d->PrepareGlobalPlacementList();
  d->XrefEdit.SetText("/proc/self/mem");
  d->PrepareGlobalPlacementList();  // the table keeps the last file, the preparation goes on
  ASSERT_EQ(d->FPartPlaceList.Count(), 1);
  EXPECT_EQ(d->FPartPlaceList.GetPartRecord(0).FPartName, "MAPPED");
  EXPECT_EQ(Errors(*d).back().rfind("Exception : PrepareGlobalPlacementList | ", 0), 0u);
}

TEST_F(XrefDialogTest, ChoosingAFileChecksItAndPreparesThePlacements) {
  Write("pick.xrf", "header without equals\nRES_0805=RX\n");
  auto d = ShowWith(WriteSample());
  d->UseLibParts.Click();
  d->UseXrefCheckbox.Click();
  scripted->Calls.clear();
  scripted->FileAnswers.push_back(Folder() + "pick.xrf");
  d->XrefButton.Click();
  const auto calls = scripted->CallsOf("FileDialog");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Text, "IDF Package to Part Cross Reference File");
  EXPECT_EQ(calls[0].Request.Filter, "All Files (*.*)|*.*|Part Xref(*.xrf)|*.xrf");
  EXPECT_EQ(d->XrefEdit.Text(), Folder() + "pick.xrf");
  EXPECT_EQ(d->FImportIDF->ErrorLog.Last(), "Part Cross Reference file has incorrect format");
  ASSERT_EQ(d->FPartPlaceList.Count(), 1);
  EXPECT_EQ(d->FPartPlaceList.GetPartRecord(0).FPartName, "RX");

  scripted->FileAnswers.push_back(std::nullopt);  // cancel keeps everything
  d->XrefButton.Click();
  EXPECT_EQ(d->XrefEdit.Text(), Folder() + "pick.xrf");
}

TEST_F(XrefDialogTest, EditorOpenedFromTheDialogWritesTheFileWithItsExtension) {
  Write("sample2.emn", std::string(kSampleBoard)
                           .replace(std::string(kSampleBoard).find(".END_PLACEMENT"), 0,
                                    "CAP C0603 C1\n1 1 0 0 TOP PLACED\n"
                                    "res_0805 R0805 R2\n2 2 0 0 TOP PLACED\n"));
  Write("sample2.emp", kSampleLibrary);
  auto d = ShowWith(Folder() + "sample2.emn");
  d->UseLibParts.Click();
  d->UseXrefCheckbox.Click();
  d->XrefEdit.SetText(Folder() + "parts");  // no extension

  std::vector<std::string> packages;
  TPartXrefForm::RunModalLoop = [&](TPartXrefForm& f) {
    packages = f.FFootprintHolder;
    EXPECT_EQ(f.Caption, "IDF Package to Part Cross Reference");
    f.FootPrintGrid.SetCell(1, 1, "R_LIB.CV_PRT");
    f.OKButton.Click();
  };
  d->EditXrefButton.Click();
  TPartXrefForm::RunModalLoop = nullptr;

  EXPECT_EQ(packages, (std::vector<std::string>{"RES_0805", "CAP"}));
  EXPECT_EQ(d->XrefEdit.Text(), Folder() + "parts");
  EXPECT_EQ(ReadFileBytes(Folder() + "parts.xrf"), "RES_0805=R_LIB.CV_PRT\r\nCAP=\r\n");
  // The edit keeps the name as typed, and the import still reads the file the editor wrote.
  ASSERT_EQ(d->FPartPlaceList.Count(), 3);
  EXPECT_EQ(d->FPartPlaceList.GetPartRecord(0).FPartName, "R_LIB");
  EXPECT_EQ(d->FPartPlaceList.GetPartRecord(2).FPartName, "R_LIB");
  EXPECT_EQ(d->FPartPlaceList.GetPartRecord(1).FPartName, "CAP");
}

TEST_F(XrefDialogTest, SearchPathEditorReplacesTheComboItemsOnlyOnOk) {
  auto d = ShowWith(WriteSample());
  d->UseLibParts.Click();
  fs::create_directories(dir / "a");
  std::string ext, initial;
  TSearchPath::RunModalLoop = [&](TSearchPath& e) {
    ext = e.FPathListExt;
    initial = e.FInitialDir;
    e.editFolder.SetText(Folder() + "a");
    e.AddButton.Click();
    e.OKButton.Click();
  };
  d->LibSearchPathButton.Click();
  EXPECT_EQ(ext, "sp");
  EXPECT_EQ(initial, d->AssemblyPathEdit.Text());
  EXPECT_EQ(d->LibSearchPathCombobox.Items, (std::vector<std::string>{Folder(), Folder() + "a"}));
  EXPECT_EQ(d->LibSearchPathCombobox.ItemIndex(), 0);

  TSearchPath::RunModalLoop = [&](TSearchPath& e) {
    e.PathList.Items.clear();
    e.CancelButton.Click();
  };
  d->LibSearchPathButton.Click();
  TSearchPath::RunModalLoop = nullptr;
  EXPECT_EQ(d->LibSearchPathCombobox.Items.size(), 2u);
}
