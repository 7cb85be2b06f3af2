#include "import/PartXref.h"

#include <algorithm>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/PartLibrarySearch.h"
#include "import/EditorFiles.h"
#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

using platform::Services;
using platform::TMsgDlgType;

std::function<void(TPartXrefForm&)> TPartXrefForm::RunModalLoop;
// Without a front end there is no font; an average character width stands in.
std::function<int(const std::string&)> TPartXrefForm::TextWidth = [](const std::string& s) {
  return 7 * static_cast<int>(s.size());
};

bool SplitXrefEntry(const std::string& line, std::string& name, std::string& value) {
  const std::size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  name = line.substr(0, eq);
  value = line.substr(eq + 1);
  return true;
}

int FindXrefEntry(const std::vector<std::string>& lines, const std::string& name) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.size() > name.size() && l[name.size()] == '=' &&
        SameTextAscii(std::string_view(l).substr(0, name.size()), name))
      return static_cast<int>(i);
  }
  return -1;
}

std::string XrefValueFor(const std::string& line, const std::string& name) { return line.substr(name.size() + 1); }

namespace {
// The part path of an entry's value (before its first "|").
std::string PartOfValue(const std::string& value) { return value.substr(0, value.find('|')); }
}  // namespace

TPartXrefForm::TPartXrefForm() : controls::TForm("PartXrefForm") {
  auto setup = [this](controls::TControl& c, const char* name, const char* caption, const char* hint) {
    c.Name = name;
    c.Caption = caption;
    c.Hint = hint;
    fControls.push_back(&c);
  };
  setup(FootPrintGrid, "FootPrintGrid", "", "");
  setup(IncludePath, "IncludePath", "Include Path", "");
  setup(ShowAllButton, "ShowAllButton", "Show All", "");
  setup(Load3dModel, "Load3dModel", "Auto Load", "");
  setup(ClearEntryButton, "ClearEntryButton", "Clear Entry", "Clear selected item");
  setup(CopyToClipboardButton, "CopyToClipboardButton", "Copy To Clipboard", "Copy selected items to the clipboard");
  setup(SaveAsButton, "SaveAsButton", "Save As", "");
  setup(OKButton, "OKButton", "OK", "");
  setup(CancelButton, "CancelButton", "Cancel", "");
  setup(HelpButton, "HelpButton", "Help", "");
  FootPrintGrid.SetColCount(2);
  FootPrintGrid.SetRowCount(2);
  FootPrintGrid.FixedRows = 1;
  Width = 642;
  Height = 450;
  auto on = [this](void (TPartXrefForm::*m)()) { return [this, m] { Guarded([this, m] { (this->*m)(); }); }; };
  ShowAllButton.OnClick = on(&TPartXrefForm::ShowAllButtonClick);
  Load3dModel.OnClick = on(&TPartXrefForm::Load3dModelClick);
  ClearEntryButton.OnClick = on(&TPartXrefForm::ClearEntryClick);
  CopyToClipboardButton.OnClick = on(&TPartXrefForm::CopyToClipboardClick);
  SaveAsButton.OnClick = on(&TPartXrefForm::SaveAsButtonClick);
  OKButton.OnClick = on(&TPartXrefForm::OKButtonClick);
  CancelButton.OnClick = on(&TPartXrefForm::CancelButtonClick);
  HelpButton.OnClick = on(&TPartXrefForm::HelpButtonClick);
  FootPrintGrid.OnDblClick = on(&TPartXrefForm::FootPrintGridDblClick);
}

void TPartXrefForm::Guarded(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    Services().MessageDlg(e.what(), TMsgDlgType::mtError, platform::mbOK);
    ModalResult = platform::mrNone;
  }
}

int TPartXrefForm::ShowModal() {
  ModalResult = platform::mrNone;
  Showing = true;
  FormShow();
  if (RunModalLoop) RunModalLoop(*this);
  FormClose();
  Showing = false;
  return ModalResult;
}

void TPartXrefForm::FormShow() {
  if (!FReg)
    Services().ShowMessage("Reg Unassigned in Part Xref Form");
  else if (FReg->GetBaseAppKey().empty())
    Services().ShowMessage("RegKey not set in Part Xref Form");
  ShowAllButton.Caption = "Show All";
  FShowingAll = false;
  Load3dModel.Visible = true;
  int col0 = -1, col1 = -1;
  if (FReg && !FReg->GetBaseAppKey().empty()) {
    Left = FReg->GetIntegerFromRegistryExt("XrefFormLeft", 200);
    Top = FReg->GetIntegerFromRegistryExt("XrefFormTop", 160);
    Width = FReg->GetIntegerFromRegistryExt("XrefFormWidth", 642);
    Height = FReg->GetIntegerFromRegistryExt("XrefFormHeight", 450);
    IncludePath.Checked = FReg->GetBooleanFromRegistryExt("PartXrefIncludePath", true);
    col0 = FReg->GetIntegerFromRegistryExt("XrefFormCol0Width", -1);
    col1 = FReg->GetIntegerFromRegistryExt("XrefFormCol1Width", -1);
  } else {
    Left = 200;
    Top = 160;
    Width = 642;
    Height = 450;
    IncludePath.Checked = true;
  }
  SetExtention();
  GridWidth = Width - 21;
  GridHeight = Height - 119;
  CheckColWidths();
  try {
    LoadXrefFile();
  } catch (const std::exception& e) {
    // The editor still opens; a later save reads the file again and fails before writing.
    Services().MessageDlg(e.what(), TMsgDlgType::mtError, platform::mbOK);
  }
  FootPrintGrid.SetColCount(2);
  FootPrintGrid.FixedRows = 1;
  FootPrintGrid.SetRowCount(static_cast<int>(FFootprintHolder.size()) + 1);
  if (col0 < 0 || col1 < 0) {
    ColWidths[0] = kDefaultColWidth;
    CheckColWidths();
  } else {
    ColWidths[0] = col0;
    ColWidths[1] = col1;
  }
  LoadGridWithFootprints();
  if (!FPartXrefLibFilename.empty() && FileExists(FPartXrefLibFilename))
    Caption += " - " + ExtractFileName(FPartXrefLibFilename);
}

void TPartXrefForm::FormClose() {
  CheckColWidths();
  if (!FReg) return;
  FReg->SetIntegerInRegistry("XrefFormLeft", Left);
  FReg->SetIntegerInRegistry("XrefFormTop", Top);
  FReg->SetIntegerInRegistry("XrefFormWidth", Width);
  FReg->SetIntegerInRegistry("XrefFormHeight", Height);
  FReg->SetBooleanInRegistry("PartXrefIncludePath", IncludePath.Checked);
  FReg->SetIntegerInRegistry("XrefFormCol0Width", ColWidths[0]);
  FReg->SetIntegerInRegistry("XrefFormCol1Width", ColWidths[1]);
}

void TPartXrefForm::SetExtention() {
  if (FPartXrefExt.empty()) FPartXrefExt = ".xrf";
  const std::string ext = ExtractFileExt(FPartXrefLibFilename);
  if (!ext.empty()) FPartXrefExt = ext;
}

void TPartXrefForm::LoadXrefFile() {
  if (!FPartXrefLibFilename.empty() && FileExists(FPartXrefLibFilename))
    FPartXrefLib.LoadFromFile(FPartXrefLibFilename);
}

void TPartXrefForm::CheckColWidths() {
  int available = GridWidth - 5;
  if (FootPrintGrid.RowCount() >= 22) available -= kScrollBarWidth;
  if (ColWidths[0] > available) ColWidths[0] = kDefaultColWidth;
  if (ColWidths[0] + ColWidths[1] != available) ColWidths[1] = available - ColWidths[0];
}

std::string TPartXrefForm::ShownPart(const std::string& part) const {
  return IncludePath.Checked ? part : ExtractForeignName(part);
}

void TPartXrefForm::Populate(const std::vector<std::pair<std::string, std::string>>& rows) {
  for (int r = 0; r < FootPrintGrid.RowCount(); ++r) {
    FootPrintGrid.SetCell(0, r, "");
    FootPrintGrid.SetCell(1, r, "");
  }
  FootPrintGrid.SetRowCount(static_cast<int>(rows.size()) + 1);
  FootPrintGrid.SetCell(0, 0, FFootprintHeading);
  FootPrintGrid.SetCell(1, 0, FThreeDPartHeading);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FootPrintGrid.SetCell(0, static_cast<int>(i) + 1, rows[i].first);
    FootPrintGrid.SetCell(1, static_cast<int>(i) + 1, rows[i].second);
  }
}

void TPartXrefForm::LoadGridWithFootprints() {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const std::string& p : FFootprintHolder) {
    const int at = FindXrefEntry(FPartXrefLib.Lines(), p);
    const std::string value = at >= 0 ? XrefValueFor(FPartXrefLib[at], p) : std::string();
    rows.emplace_back(p, value.empty() ? std::string() : ShownPart(PartOfValue(value)));
  }
  Populate(rows);
  int widest = 0;
  for (int r = 0; r < FootPrintGrid.RowCount(); ++r) widest = std::max(widest, TextWidth(FootPrintGrid.Cell(1, r)));
  if (widest + 5 > ColWidths[1]) ColWidths[1] = widest + 5;
  FShowingAll = false;
  ShowAllButton.Caption = "Show All";
}

void TPartXrefForm::ShowAllFootprints() {
  std::vector<std::pair<std::string, std::string>> rows;
  for (const std::string& line : FPartXrefLib.Lines()) {
    std::string name, value;
    // A line without "=" is shown as a package without a part.
    if (!SplitXrefEntry(line, name, value)) name = line;
    rows.emplace_back(name, value.empty() ? std::string() : ShownPart(PartOfValue(value)));
  }
  Populate(rows);
  FShowingAll = true;
  ShowAllButton.Caption = "Show this PCB";
}

void TPartXrefForm::ShowAllButtonClick() {
  UpdateMasterXrefList();
  if (FShowingAll)
    LoadGridWithFootprints();
  else
    ShowAllFootprints();
}

void TPartXrefForm::UpdateMasterXrefList() {
  for (int r = 1; r < FootPrintGrid.RowCount(); ++r) {
    const std::string p = FootPrintGrid.Cell(0, r);
    const std::string line = p + "=" + FootPrintGrid.Cell(1, r);
    const int at = FindXrefEntry(FPartXrefLib.Lines(), p);
    if (at >= 0)
      FPartXrefLib.Put(at, line);
    else
      FPartXrefLib.Add(line);
  }
}

void TPartXrefForm::FootPrintGridDblClick() {
  if (FootPrintGrid.Col != 1 || FootPrintGrid.Row < 1) return;
  const int row = FootPrintGrid.Row;
  const std::string current = FootPrintGrid.Cell(1, row);
  platform::TFileDialogRequest r;
  r.Title = "Browsing Part for " + FootPrintGrid.Cell(0, row);
  if (!current.empty()) r.InitialDir = ExtractForeignDir(current);
  r.Filter = "All Files (*.*)|*.*|Part(*" + FPartExt + ")|*" + FPartExt;
  if (!FAssyExt.empty()) r.Filter += "|Assembly(*" + FAssyExt + ")|*" + FAssyExt;
  r.FilterIndex = 2;
  if (!Services().FileDialog(r)) return;
  FootPrintGrid.SetCell(1, row, IncludePath.Checked ? r.FileName : ExtractFileName(r.FileName));
}

void TPartXrefForm::ClearEntryClick() {
  if (FootPrintGrid.Row >= 1) FootPrintGrid.SetCell(1, FootPrintGrid.Row, "");
}

void TPartXrefForm::Load3dModelClick() {
  for (int r = 1; r < FootPrintGrid.RowCount(); ++r) {
    const std::string p = FootPrintGrid.Cell(0, r);
    if (p.empty()) continue;
    std::string dir, found;
    if (!FileExistsInDirList(p, FPartExt, fPartDirListFromParent, dir, &found) &&
        (FAssyExt.empty() || !FileExistsInDirList(p, FAssyExt, fPartDirListFromParent, dir, &found)))
      continue;
    FootPrintGrid.SetCell(1, r, IncludePath.Checked ? found : ExtractFileName(found));
  }
}

void TPartXrefForm::FootPrintGridMouseDown(int Row, bool LeftButton, bool AnyModifier) {
  if (Row != 0 || !LeftButton || AnyModifier) return;
  FSortAsc = !FSortAsc;
  SortGrid(0);
}

std::vector<std::pair<std::string, std::string>> TPartXrefForm::GridRows() const {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int r = 1; r < FootPrintGrid.RowCount(); ++r)
    rows.emplace_back(FootPrintGrid.Cell(0, r), FootPrintGrid.Cell(1, r));
  return rows;
}

void TPartXrefForm::SortGrid(int /*Col*/) {
  // Rows are sorted as pairs, never re-split from joined text, so a "=" or a quote inside a
  // package or a path cannot move a part to another row's package.
  auto rows = GridRows();
  std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
    if (!SameTextAscii(a.first, b.first)) return LessIgnoringCase(a.first, b.first);
    return LessIgnoringCase(a.second, b.second);
  });
  if (!FSortAsc) std::reverse(rows.begin(), rows.end());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FootPrintGrid.SetCell(0, static_cast<int>(i) + 1, rows[i].first);
    FootPrintGrid.SetCell(1, static_cast<int>(i) + 1, rows[i].second);
  }
}

void TPartXrefForm::CopyToClipboardClick() {
  std::string text;
  const int top = std::max(1, SelectionTop);
  const int bottom = std::min(FootPrintGrid.RowCount() - 1, SelectionBottom);
  for (int r = top; r <= bottom; ++r) text += FootPrintGrid.Cell(0, r) + "=" + FootPrintGrid.Cell(1, r) + "\r\n";
  Services().SetClipboardText(text);
}

std::string TPartXrefForm::AddXrefExt(const std::string& FileName) const {
  return ExtractFileExt(FileName).empty() ? FileName + FPartXrefExt : FileName;
}

bool TPartXrefForm::AskFileName(const std::string& Title, std::string& FileName) {
  platform::TFileDialogRequest r;
  r.Save = true;
  r.Title = Title;
  r.InitialDir = ExtractFileDir(FPartXrefLibFilename);
  r.FileName = FPartXrefLibFilename.empty() ? std::string() : AddXrefExt(ExtractFileName(FPartXrefLibFilename));
  r.DefaultExt = FPartXrefExt;
  r.Filter = "All Files (*.*)|*.*|Part Xref files (*" + FPartXrefExt + ")|*" + UpperCase(FPartXrefExt);
  r.FilterIndex = 2;
  if (!Services().FileDialog(r)) return false;
  FileName = r.FileName;
  return true;
}

void TPartXrefForm::UpdateXrefFile(const std::string& Target) {
  std::vector<std::string> lines = ReadEditorFile(Target);
  for (const std::string& m : FPartXrefLib.Lines()) {
    std::string name, value;
    if (!SplitXrefEntry(m, name, value)) continue;
    const int at = FindXrefEntry(lines, name);
    if (at < 0) {
      if (!value.empty()) lines.push_back(m);
    } else if (!value.empty()) {
      std::string oldName, oldValue;
      SplitXrefEntry(lines[static_cast<std::size_t>(at)], oldName, oldValue);
      lines[static_cast<std::size_t>(at)] = oldName + "=" + value;
    }
  }
  WriteEditorFile(Target, SortedIgnoringCase(lines, false));
}

void TPartXrefForm::OKButtonClick() {
  UpdateMasterXrefList();
  if (FPartXrefLibFilename.empty()) {
    std::string chosen;
    if (!AskFileName("Cross Reference Filename", chosen)) {
      ModalResult = platform::mrNone;  // nothing written; the editor stays open
      return;
    }
    FPartXrefLibFilename = chosen;
    WriteEditorFile(FPartXrefLibFilename, FPartXrefLib.Lines());
  } else {
    const std::string target = AddXrefExt(FPartXrefLibFilename);
    if (FileExists(target))
      UpdateXrefFile(target);
    else
      WriteEditorFile(target, FPartXrefLib.Lines());
  }
  ModalResult = platform::mrOk;
}

void TPartXrefForm::SaveAsButtonClick() {
  UpdateMasterXrefList();
  std::string chosen;
  if (AskFileName("Save Cross Reference File As", chosen)) {
    FPartXrefLibFilename = chosen;
    WriteEditorFile(FPartXrefLibFilename, FPartXrefLib.Lines());
  }
  Caption = FPartXrefLibFilename;
}

void TPartXrefForm::CancelButtonClick() { ModalResult = platform::mrCancel; }

void TPartXrefForm::HelpButtonClick() { TIdfImportFormV4_XE2::DisplayEditorHelp(FHelpFilename, FXrefHelpTopic); }
