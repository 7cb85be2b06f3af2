// The "Library Parts" group of the Settings tab: enabling, the library search, the search path
// editor, and the cross-reference file with its format check and editor.
#include "CommonObjects/FileUtils.h"
#include "CommonObjects/PartLibrarySearch.h"
#include "import/IdfImportV4_XE2.h"
#include "import/OrderedPaths.h"
#include "import/PartXref.h"
#include "platform/Platform.h"

using platform::Services;

namespace {
// Distinct package names of the placements, in order of first appearance.
std::vector<std::string> BoardPackageNames(TIDFfile& idf) {
  std::vector<std::string> names;
  const TSection* s = idf.FindFirstSection(stPLACEMENT);
  if (!s) return names;
  for (const auto& r : s->Records()) {
    bool known = false;
    for (const auto& n : names) known = known || SameTextAscii(n, r->PackageName);
    if (!known) names.push_back(r->PackageName);
  }
  return names;
}
}  // namespace

void TIdfImportFormV4_XE2::CreateLibraryControls() {
  Setup(Label3, "Label3", "Paths", "", 0);
  Setup(XrefLabel, "XrefLabel", "Xref File", "", 0);
  UseXrefCheckbox.Hint = "Check to use IDF Package to Part Xref file";
  XrefButton.Hint = "Browse to Part Cross Reference File";
  EditXrefButton.Hint = "Edit Part Cross Reference File";
  UseLibParts.OnClick = Handler(&TIdfImportFormV4_XE2::UseLibPartsClick);
  UseXrefCheckbox.OnClick = Handler(&TIdfImportFormV4_XE2::UseXrefCheckboxClick);
  XrefButton.OnClick = Handler(&TIdfImportFormV4_XE2::XrefButtonClick);
  EditXrefButton.OnClick = Handler(&TIdfImportFormV4_XE2::EditXrefButtonClick);
  LibSearchPathButton.OnClick = Handler(&TIdfImportFormV4_XE2::LibSearchPathButtonClick);
  ShowPartUsageButton.OnClick = Handler(&TIdfImportFormV4_XE2::ShowPartUsageButtonClick);
}

// ---- library search ----

namespace {
TPartLibrarySearch SearchOf(TIdfImportFormV4_XE2& d) {
  TPartLibrarySearch s;
  s.Log = &d.FImportIDF->VerifyLog;
  s.SearchSubDirs = d.SearchSubDirs.Checked;
  s.PartExt = d.FPartExt;
  s.AssyExt = d.FAssyExt;
  return s;
}
}  // namespace

bool TIdfImportFormV4_XE2::CheckIfPartExistsExt(const std::string& PartName,
                                                const std::vector<std::string>& SearchPathList, bool UseFpXref,
                                                std::string& LibPath, std::string& Ext, std::string* FoundFile) {
  return SearchOf(*this).CheckIfPartExistsExt(PartName, SearchPathList, UseFpXref, LibPath, Ext, FoundFile);
}

bool TIdfImportFormV4_XE2::InPartLibSearchPath(const std::string& FileName, std::string& Dir,
                                               const std::vector<std::string>& SearchPathList) {
  return SearchOf(*this).InPartLibSearchPath(FileName, Dir, SearchPathList);
}

bool TIdfImportFormV4_XE2::FileExistsRecursive(const std::string& FileNameNoPath, const std::string& BaseDir,
                                               bool Recurse, std::string& Dir) {
  return SearchOf(*this).FileExistsRecursive(FileNameNoPath, BaseDir, Recurse, Dir);
}

// ---- enabling ----

void TIdfImportFormV4_XE2::UpdateUseLibPartsAndUseXref() {
  const bool on = UseLibParts.Checked;
  for (controls::TControl* c : std::initializer_list<controls::TControl*>{&LibSearchPathCombobox, &LibSearchPathButton,
                                                                          &Label3, &SearchSubDirs, &UseXrefCheckbox})
    c->Enabled = on;
  UseXrefUpdate();
}

void TIdfImportFormV4_XE2::UseLibPartsClick() {
  UpdateUseLibPartsAndUseXref();
  // Which packages need a height depends on whether the library is searched.
  LoadHeightGrid();
}

void TIdfImportFormV4_XE2::UseXrefUpdate() {
  const bool on = UseLibParts.Checked && UseXrefCheckbox.Checked;
  for (controls::TControl* c :
       std::initializer_list<controls::TControl*>{&XrefEdit, &XrefLabel, &XrefButton, &EditXrefButton})
    c->Enabled = on;
}

// ---- cross-reference file ----

std::string TIdfImportFormV4_XE2::XrefFilePath() const {
  const std::string typed = XrefEdit.Text();
  if (typed.empty()) return {};
  if (FileExists(typed)) return typed;
  if (ExtractFileExt(typed).empty() && FileExists(typed + ".xrf")) return typed + ".xrf";
  return {};
}

void TIdfImportFormV4_XE2::GetXrefPartList() {
  const std::string path = XrefFilePath();
  if (path.empty()) return;
  TSearchStringList lines;
  try {
    lines.LoadFromFile(path);
  } catch (const std::exception& e) {
    FImportIDF->ReportException("GetXrefPartList", e.what());
    return;
  }
  if (!lines.Empty() && lines[0].find('=') == std::string::npos)
    FImportIDF->ReportErrors("Part Cross Reference file has incorrect format");
}

void TIdfImportFormV4_XE2::XrefButtonClick() {
  platform::TFileDialogRequest r;
  r.Title = "IDF Package to Part Cross Reference File";
  r.Filter = "All Files (*.*)|*.*|Part Xref(*.xrf)|*.xrf";
  r.FilterIndex = 2;  // counted from 1: the second entry
  r.FileName = XrefEdit.Text();
  if (!Services().FileDialog(r)) return;
  XrefEdit.SetText(r.FileName);
  GetXrefPartList();
  PrepareGlobalPlacementList();
}

void TIdfImportFormV4_XE2::EditXrefButtonClick() {
  TPartXrefForm editor;
  editor.Caption = "IDF Package to Part Cross Reference";
  editor.FFootprintHeading = "IDF Package";
  editor.FThreeDPartHeading = "Part File";
  editor.FReg = FReg;
  editor.FPartExt = ".CV_PRT";
  editor.FAssyExt = ".CV_ASM";
  editor.FPartXrefExt = ".xrf";
  editor.FFootprintHolder = BoardPackageNames(*FImportIDF);
  editor.FPartXrefLibFilename = XrefEdit.Text();
  editor.FHelpFilename = FHelpFileName;
  editor.FXrefHelpTopic = FXrefHelpTopic;
  if (editor.ShowModal() != platform::mrOk) return;
  XrefEdit.SetText(editor.FPartXrefLibFilename);
  GetXrefPartList();
  PrepareGlobalPlacementList();
}

// ---- search path editor ----

void TIdfImportFormV4_XE2::LibSearchPathButtonClick() {
  TSearchPath editor;
  editor.Caption = "Part Search Path";
  editor.fReg = FReg;
  editor.FFileName = FImportIDF->IdfBoardName;
  editor.FPathListExt = ".sp";
  editor.FInitialDir = AssemblyPathEdit.Text();
  editor.PathList.Items = LibSearchPathCombobox.Items;
  editor.FHelpFileName = FHelpFileName;
  editor.FSearchPathHelpTopic = FSearchPathHelpTopic;
  if (editor.ShowModal() != platform::mrOk) return;
  LibSearchPathCombobox.Items = editor.PathList.Items;
  LibSearchPathCombobox.SetItemIndex(0);
}
