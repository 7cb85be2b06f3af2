#include "import/OrderedPaths.h"

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"
#include "CommonObjects/WinUtils.h"
#include "import/EditorFiles.h"
#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

using platform::Services;
using platform::TMsgDlgType;

std::function<void(TSearchPath&)> TSearchPath::RunModalLoop;

TSearchPath::TSearchPath() : controls::TForm("SearchPath") {
  auto setup = [this](controls::TControl& c, const char* name, const char* caption) {
    c.Name = name;
    c.Caption = caption;
    fControls.push_back(&c);
  };
  setup(PathList, "PathList", "");
  setup(editFolder, "editFolder", "");
  setup(BrowseButton, "BrowseButton", "...");
  setup(AddButton, "AddButton", "Add");
  setup(RemoveButton, "RemoveButton", "Remove");
  setup(UpButton, "UpButton", "");
  setup(DownButton, "DownButton", "");
  setup(AsciiFileGroup, "AsciiFileGroup", "ASCII File");
  setup(SaveTo, "SaveTo", "Save to");
  setup(LoadFrom, "LoadFrom", "Load From");
  setup(OKButton, "OKButton", "OK");
  setup(CancelButton, "CancelButton", "Cancel");
  setup(HelpButton, "HelpButton", "Help");
  auto on = [this](void (TSearchPath::*m)()) { return [this, m] { Guarded([this, m] { (this->*m)(); }); }; };
  editFolder.OnChange = on(&TSearchPath::editFolderChange);
  PathList.OnClick = on(&TSearchPath::PathListClick);
  BrowseButton.OnClick = on(&TSearchPath::BrowseButtonClick);
  AddButton.OnClick = on(&TSearchPath::AddButtonClick);
  RemoveButton.OnClick = on(&TSearchPath::RemoveButtonClick);
  UpButton.OnClick = on(&TSearchPath::UpButtonClick);
  DownButton.OnClick = on(&TSearchPath::DownButtonClick);
  SaveTo.OnClick = on(&TSearchPath::SaveToClick);
  LoadFrom.OnClick = on(&TSearchPath::LoadFromClick);
  OKButton.OnClick = on(&TSearchPath::OKButtonClick);
  CancelButton.OnClick = on(&TSearchPath::CancelButtonClick);
  HelpButton.OnClick = on(&TSearchPath::HelpButtonClick);
}

void TSearchPath::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    Services().MessageDlg(e.what(), TMsgDlgType::mtError, platform::mbOK);
  }
}

int TSearchPath::ShowModal() {
  ModalResult = platform::mrNone;
  Showing = true;
  FormShow();
  if (RunModalLoop) RunModalLoop(*this);
  Showing = false;
  return ModalResult;
}

int TSearchPath::IndexOfText(const std::string& text) const {
  for (int i = 0; i < PathList.Count(); ++i)
    if (SameTextAscii(PathList.Items[static_cast<std::size_t>(i)], text)) return i;
  return -1;
}

std::string TSearchPath::Ext() const {
  return (!FPathListExt.empty() && FPathListExt[0] == '.') ? FPathListExt.substr(1) : FPathListExt;
}

void TSearchPath::FormShow() {
  if (!fReg) Services().ShowMessage("Registry component not assigned");
  if (FFileName.empty()) Services().ShowMessage("Default filename not assigned");
  if (FPathListExt.empty()) Services().ShowMessage("Default extension not assigned");
  if (!FPathListExt.empty() && FPathListExt[0] == '.') FPathListExt.erase(0, 1);
  try {
    if (fReg) {
      Top = fReg->GetIntegerFromRegistryExt("SearchPathFormTop", 250);
      Left = fReg->GetIntegerFromRegistryExt("SearchPathFormLeft", 300);
      FLastDir = fReg->GetStringFromRegistry("SearchPathLastDir");
    }
    AddButton.Enabled = false;
    RemoveButton.Enabled = false;
    for (int i = 0; i < PathList.Count();) {
      const std::string p = PathList.Items[static_cast<std::size_t>(i)];
      if (!p.empty() && !DirectoryExists(p) &&
          Services().MessageDlg(p + " does not exist, Delete?", TMsgDlgType::mtWarning,
                                platform::mbYes | platform::mbNo) == platform::mrYes) {
        PathList.Items.erase(PathList.Items.begin() + i);
        continue;
      }
      ++i;
    }
    PathList.SetItemIndex(0);
  } catch (const std::exception&) {
    // A store that cannot be read leaves the editor with what it has.
  }
}

void TSearchPath::editFolderChange() {
  const std::string& t = editFolder.Text();
  if (!t.empty() && IndexOfText(t) < 0) {
    AddButton.Enabled = true;
    RemoveButton.Enabled = false;
  }
}

void TSearchPath::PathListClick() {
  if (PathList.Count() == 0) return;
  RemoveButton.Enabled = true;
  if (PathList.ItemIndex() >= 0) editFolder.SetText(PathList.Items[static_cast<std::size_t>(PathList.ItemIndex())]);
}

void TSearchPath::BrowseButtonClick() { editFolder.SetText(SelectFolderAlt("Browse to Folder", "")); }

void TSearchPath::AddButtonClick() {
  const std::string t = editFolder.Text();
  if (t.empty()) {
    AddButton.Enabled = false;
    RemoveButton.Enabled = false;
    return;
  }
  if (IndexOfText(t) < 0) {
    const bool add =
        DirectoryExists(t) || Services().MessageDlg(t + " does not exist, continue?", TMsgDlgType::mtInformation,
                                                    platform::mbYes | platform::mbNo) == platform::mrYes;
    if (add) {
      if (PathList.Count() == 1 && PathList.Items[0].empty())
        PathList.Items[0] = t;
      else
        PathList.Items.push_back(t);
      PathList.SetItemIndex(PathList.Count() - 1);
    }
  }
  AddButton.Enabled = false;
}

void TSearchPath::RemoveButtonClick() {
  const int at = IndexOfText(editFolder.Text());
  if (at < 0) return;
  const int selected = PathList.ItemIndex();
  PathList.Items.erase(PathList.Items.begin() + at);
  editFolder.SetText("");
  if (selected > 0) {
    PathList.SetItemIndex(selected - 1);
    editFolder.SetText(PathList.Items[static_cast<std::size_t>(selected - 1)]);
  } else if (PathList.Count() > 0) {
    PathList.SetItemIndex(0);
    editFolder.SetText(PathList.Items[0]);
  } else {
    PathList.SetItemIndex(-1);
  }
  if (PathList.Count() == 0) {
    AddButton.Enabled = false;
    RemoveButton.Enabled = false;
  }
}

void TSearchPath::UpButtonClick() {
  const int i = PathList.ItemIndex();
  if (i <= 0) return;
  std::swap(PathList.Items[static_cast<std::size_t>(i)], PathList.Items[static_cast<std::size_t>(i - 1)]);
  PathList.SetItemIndex(i - 1);
}

void TSearchPath::DownButtonClick() {
  const int i = PathList.ItemIndex();
  if (i < 0 || i + 1 >= PathList.Count()) return;
  std::swap(PathList.Items[static_cast<std::size_t>(i)], PathList.Items[static_cast<std::size_t>(i + 1)]);
  PathList.SetItemIndex(i + 1);
}

void TSearchPath::SaveToClick() {
  platform::TFileDialogRequest r;
  r.Save = true;
  r.Title = "Save " + FPromptTitle;
  r.InitialDir = FInitialDir;
  r.FileName = FFileName + "." + Ext();
  r.DefaultExt = Ext();
  r.Filter = "All Files (*.*)|*.*|Path List(*." + Ext() + ")|*." + Ext();
  r.FilterIndex = 2;
  if (!Services().FileDialog(r)) return;
  const std::vector<std::string> sorted = SortedIgnoringCase(PathList.Items, true);
  if (!FileExists(r.FileName)) {
    WriteEditorFile(r.FileName, sorted);
    return;
  }
  // The box's caption reads "Path List File Exists".
  const int answer =
      Services().MessageDlg("Yes to OverWrite, No to Append, Cancel to do nothing", TMsgDlgType::mtConfirmation,
                            platform::mbYes | platform::mbNo | platform::mbCancel);
  if (answer == platform::mrYes) {
    WriteEditorFile(r.FileName, sorted);
  } else if (answer == platform::mrNo) {
    std::vector<std::string> lines = ReadEditorFile(r.FileName);
    lines.insert(lines.end(), sorted.begin(), sorted.end());
    WriteEditorFile(r.FileName, lines);
  }
}

void TSearchPath::LoadFromClick() {
  platform::TFileDialogRequest r;
  r.Title = "Load " + FPromptTitle;
  r.InitialDir = FInitialDir;
  r.FileName = FFileName + "." + Ext();
  r.DefaultExt = Ext();
  r.Filter = "All Files (*.*)|*.*|PathList(*." + Ext() + ")|*." + Ext();
  r.FilterIndex = 2;
  if (!Services().FileDialog(r)) return;
  std::vector<std::string> lines = ReadEditorFile(r.FileName);  // raises before the list changes
  PathList.Items = std::move(lines);
  PathList.SetItemIndex(-1);
}

void TSearchPath::OKButtonClick() {
  if (fReg) {
    fReg->SetIntegerInRegistry("SearchPathFormTop", Top);
    fReg->SetIntegerInRegistry("SearchPathFormLeft", Left);
    fReg->SetStringInRegistry("SearchPathLastDir", FLastDir);
  }
  ModalResult = platform::mrOk;
}

void TSearchPath::CancelButtonClick() { ModalResult = platform::mrCancel; }

void TSearchPath::HelpButtonClick() { TIdfImportFormV4_XE2::DisplayEditorHelp(FHelpFileName, FSearchPathHelpTopic); }
