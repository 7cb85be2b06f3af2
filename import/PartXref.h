#pragma once
// The cross-reference editor: the board's packages next to the part files they map to, written
// to a cross-reference file (one "package=part|configuration" entry a line). A headless model;
// the front end shows it modally.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CommonObjects/GetRegInfoExt.h"
#include "CommonObjects/IdfStrUtils.h"
#include "controls/Controls.h"

// Name and value of an entry: split at the first "="; no "=" means no name (never found).
bool SplitXrefEntry(const std::string& line, std::string& name, std::string& value);
// Index of the first entry named name (ASCII case folded): a line that starts with name and "=".
// For a name without "=" that is the entry whose text before its first "=" is the name; a
// package whose own name holds "=" is found too. -1 when none.
int FindXrefEntry(const std::vector<std::string>& lines, const std::string& name);
// The value of an entry found for name: the text after name and its "=".
std::string XrefValueFor(const std::string& line, const std::string& name);

class TPartXrefForm : public controls::TForm {
 public:
  TPartXrefForm();

  // FormShow, the front end's modal loop when one is set, then FormClose; the modal result.
  int ShowModal();
  static std::function<void(TPartXrefForm&)> RunModalLoop;
  // Pixel width of a text in the grid; the front end puts in its font's measure.
  static std::function<int(const std::string&)> TextWidth;

  void FormShow();
  void FormClose();
  void SetExtention();
  void LoadXrefFile();
  void CheckColWidths();
  void LoadGridWithFootprints();
  void ShowAllFootprints();
  void ShowAllButtonClick();
  void UpdateMasterXrefList();
  void FootPrintGridDblClick();
  void ClearEntryClick();
  void Load3dModelClick();
  // A mouse button pressed on the grid at Row.
  void FootPrintGridMouseDown(int Row, bool LeftButton, bool AnyModifier);
  void SortGrid(int Col);
  void CopyToClipboardClick();
  void OKButtonClick();
  void SaveAsButtonClick();
  void CancelButtonClick();
  void HelpButtonClick();
  std::string AddXrefExt(const std::string& FileName) const;
  // Merges the master list into an existing file (values only added or replaced), sorted.
  void UpdateXrefFile(const std::string& Target);

  controls::TStringGrid FootPrintGrid;
  controls::TCheckBox IncludePath;
  controls::TButton ShowAllButton, Load3dModel, ClearEntryButton, CopyToClipboardButton, SaveAsButton;
  controls::TButton OKButton, CancelButton, HelpButton;

  // Set by the caller before showing.
  TGetInfoFromRegistry* FReg = nullptr;  // not owned
  std::string FFootprintHeading = "IDF Package";
  std::string FThreeDPartHeading = "Part File";
  std::string FPartExt, FAssyExt, FPartXrefExt;
  std::vector<std::string> FFootprintHolder;  // the board's package names
  std::string FPartXrefLibFilename;
  std::string FHelpFilename, FXrefHelpTopic;
  std::vector<std::string> fPartDirListFromParent;  // extra folders for "Auto Load"

  // State.
  TSearchStringList FPartXrefLib;  // the master list
  bool FShowingAll = false;
  bool FSortAsc = true;
  int GridWidth = 0, GridHeight = 0;
  int ColWidths[2] = {130, 130};
  int SelectionTop = 1, SelectionBottom = 1;  // the grid's selected row range

  static constexpr int kDefaultColWidth = 130;
  static constexpr int kScrollBarWidth = 17;

  const std::vector<controls::TControl*>& Controls() const { return fControls; }

 private:
  void Guarded(const std::function<void()>& action);
  // Rows 1.. from package/part pairs; keeps each row's two cells together.
  void Populate(const std::vector<std::pair<std::string, std::string>>& rows);
  std::string ShownPart(const std::string& part) const;
  std::vector<std::pair<std::string, std::string>> GridRows() const;
  bool AskFileName(const std::string& Title, std::string& FileName);
  std::vector<controls::TControl*> fControls;
};
