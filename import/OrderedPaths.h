#pragma once
// The search path editor: the user orders the library folders and saves or loads them as a
// path list file. A headless model; the front end shows it modally.
#include <functional>
#include <string>
#include <vector>

#include "CommonObjects/GetRegInfoExt.h"
#include "controls/Controls.h"
#include "controls/ListBox.h"

class TSearchPath : public controls::TForm {
 public:
  TSearchPath();

  // FormShow, then the front end's modal loop when one is set; the modal result.
  int ShowModal();
  static std::function<void(TSearchPath&)> RunModalLoop;

  void FormShow();
  void editFolderChange();
  void PathListClick();
  void BrowseButtonClick();
  void AddButtonClick();
  void RemoveButtonClick();
  void UpButtonClick();
  void DownButtonClick();
  void SaveToClick();
  void LoadFromClick();
  void OKButtonClick();
  void CancelButtonClick();
  void HelpButtonClick();

  controls::TListBox PathList;
  controls::TEdit editFolder;
  controls::TButton BrowseButton, AddButton, RemoveButton, UpButton, DownButton;
  controls::TGroupBox AsciiFileGroup;
  controls::TButton SaveTo, LoadFrom;
  controls::TButton OKButton, CancelButton, HelpButton;

  // Set by the caller before showing.
  TGetInfoFromRegistry* fReg = nullptr;  // not owned
  std::string FFileName;                 // proposed file name, without extension
  std::string FPathListExt;              // with or without its dot
  std::string FInitialDir;
  std::string FHelpFileName;
  std::string FSearchPathHelpTopic;
  std::string FPromptTitle;  // added to the file dialogs' titles; empty here

  std::string FLastDir;  // read on show, written back unchanged

  const std::vector<controls::TControl*>& Controls() const { return fControls; }

 private:
  int IndexOfText(const std::string& text) const;  // ignoring case; -1 when absent
  // Runs a user action; an error is shown and the editor stays as it was.
  void Guarded(const std::function<void()>& action);
  std::string Ext() const;
  std::vector<controls::TControl*> fControls;
};
