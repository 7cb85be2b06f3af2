// About details and help.
#include <dirent.h>

#include "CommonObjects/FileUtils.h"
#include "CommonObjects/IdfStrUtils.h"
#include "CommonObjects/WinUtils.h"
#include "import/IdfImportV4_XE2.h"
#include "platform/Platform.h"

using platform::Services;
using platform::TMsgDlgType;

std::string TIdfImportFormV4_XE2::ApplicationHelpFile;

std::string FindHelpSetFolder(const std::string& HelpFile) {
  const std::string base = RemoveExt(HelpFile);
  if (base.empty()) return {};
  if (DirectoryExists(base)) return IncludeTrailingPathDelimiter(base);
  const std::string parent = ExtractFileDir(base);
  const std::string name = ExtractFileName(base);
  DIR* d = ::opendir(parent.empty() ? "." : parent.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (SameTextAscii(e->d_name, name) && DirectoryExists(parent + e->d_name)) {
      found = IncludeTrailingPathDelimiter(parent + e->d_name);
      break;
    }
  }
  ::closedir(d);
  return found;
}

std::string FindHelpFile(const std::string& HelpFile) {
  if (std::string file = FindFileIgnoringCase(HelpFile); !file.empty()) return file;
  return FindHelpSetFolder(HelpFile).empty() ? std::string() : HelpFile;
}

std::string TIdfImportFormV4_XE2::GetVer() { return FileVersionString(); }

void TIdfImportFormV4_XE2::ShowAboutDetails(const std::string& ProductName, const std::string& ParentProduct,
                                            const std::string& ParentVer) {
  std::time_t when = 0;
  const bool haveDate = GetModuleFileDate(when);
  const std::vector<std::string> lines = {
      ProductName,
      "Ver : " + GetVer(),
      "Date : " + ShortDateText(haveDate ? &when : nullptr),
      ParentProduct + " Version " + ParentVer,
      "Pellmark IDF import. All rights reserved.",
  };
  std::string details;
  for (const auto& l : lines) details += l + "\n";
  const std::string question = "Do you want to copy this to the Windows Clipboard?";
  if (Services().MessageDlg(details + question + "\n", TMsgDlgType::mtConfirmation, platform::mbYes | platform::mbNo) !=
      platform::mrYes)
    return;
  if (Services().HasClipboard())
    Services().SetClipboardText(details);
  else
    Services().ShowMessage("There is no clipboard to copy to.");
}

void TIdfImportFormV4_XE2::DisplayProductHelp() {
  const std::string base = RemoveExt(FHelpFileName);
  // A help file differing only in letter case counts as found.
  if (std::string chm = FindHelpFile(base + ".chm"); !chm.empty()) {
    DisplayHtmlHelpTopic(chm, FImportHelpTopic);
  } else if (std::string hlp = FindHelpFile(base + ".hlp"); !hlp.empty()) {
    DisplayWinHelpTopic(hlp, FImportHelpTopic);
  } else {
    Services().MessageDlg(FHelpFileName + " does not exist", TMsgDlgType::mtInformation, platform::mbOK);
  }
}

void TIdfImportFormV4_XE2::DisplayHtmlHelpTopic(const std::string& HelpFile, const std::string& Topic) {
  ApplicationHelpFile = HelpFile;
  // The help in effect is the showing dialog's own file when it has one, else the application's.
  const std::string inEffect = (Showing && !FHelpFile.empty()) ? FHelpFile : ApplicationHelpFile;
  if (UpperCase(inEffect) == UpperCase(HelpFile)) Services().ShowHelp(HelpFile, Topic, 0);
}

void TIdfImportFormV4_XE2::DisplayWinHelpTopic(const std::string& HelpFile, const std::string& Topic) {
  DisplayHtmlHelpTopic(HelpFile, Topic);
}

void TIdfImportFormV4_XE2::FormHelpKey() {
  int context = HelpContext;
  if (ActiveControl && ActiveControl->HelpContext != 0) context = ActiveControl->HelpContext;
  const std::string file = FindHelpFile(FHelpFile);
  if (file.empty()) {
    Services().MessageDlg(FHelpFile + " does not exist", TMsgDlgType::mtInformation, platform::mbOK);
    return;
  }
  Services().ShowHelp(file, "", context);
}

void TIdfImportFormV4_XE2::DisplayEditorHelp(const std::string& HelpFileName, const std::string& Topic) {
  const std::string file = FindHelpFile(HelpFileName);
  if (file.empty()) {
    Services().MessageDlg(HelpFileName + " does not exist", TMsgDlgType::mtInformation, platform::mbOK);
    return;
  }
  Services().ShowHelp(file, Topic, 0);
}
