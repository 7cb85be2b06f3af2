#pragma once
// The seam to the outside world. Everything the import needs of a desktop (dialogs, message
// boxes, clipboard, help viewer, event pump, regional settings) goes through IPlatform, so
// that the same logic runs under Qt, on a console (batch) and under a scripted test double.
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8, mbAbort = 16, mbRetry = 32, mbIgnore = 64 };
using TMsgDlgButtons = int;  // an or-ed set of TMsgDlgBtn
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

// What a file-open or file-save dialog is asked, and what it answers.
struct TFileDialogRequest {
  std::string Title;
  std::string Filter;  // "|"-separated description/pattern pairs
  int FilterIndex = 0;
  std::string InitialDir;
  std::string FileName;
  std::string DefaultExt;
  bool Save = false;
};

class IPlatform {
 public:
  virtual ~IPlatform() = default;
  // Returns true and sets FileName when the user picks a file; false on cancel.
  virtual bool FileDialog(TFileDialogRequest& request) = 0;
  // Returns the chosen folder, empty on cancel.
  virtual std::string SelectFolder(const std::string& caption, const std::string& startFolder) = 0;
  // Returns true and sets colour (red in the low byte) when the user picks one.
  virtual bool SelectColour(int& colour) = 0;
  virtual int MessageDlg(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual bool HasClipboard() = 0;
  virtual void SetClipboardText(const std::string& text) = 0;
  virtual std::string GetClipboardText() = 0;
  // Opens a help file at a topic name or a context number; false when it cannot be shown.
  virtual bool ShowHelp(const std::string& helpFile, const std::string& topic, int context) = 0;
  // Closes whatever the help viewer shows (the dialog that opened it is closing).
  virtual void CloseHelp() {}
  // Delivers pending user input (the stop button) during long work.
  virtual void ProcessMessages() = 0;
  virtual int ScreenPixelsPerInch() = 0;
};

// The services in force for the process; the console one until a front end installs another.
IPlatform& Services();
std::shared_ptr<IPlatform> SetServices(std::shared_ptr<IPlatform> services);

// Batch and command line: dialogs answer cancel, messages go to standard error, a Yes/No
// question takes its safe answer (No), no clipboard, no help viewer.
class TConsolePlatform : public IPlatform {
 public:
  bool FileDialog(TFileDialogRequest& request) override;
  std::string SelectFolder(const std::string& caption, const std::string& startFolder) override;
  bool SelectColour(int& colour) override;
  int MessageDlg(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons) override;
  void ShowMessage(const std::string& text) override;
  bool HasClipboard() override { return false; }
  void SetClipboardText(const std::string&) override {}
  std::string GetClipboardText() override { return {}; }
  bool ShowHelp(const std::string& helpFile, const std::string& topic, int context) override;
  // Delivers a pending Ctrl-C (see InstallInterruptHandler) to OnInterrupt.
  void ProcessMessages() override;
  int ScreenPixelsPerInch() override { return 96; }
  // What a Ctrl-C means to the work in progress (batch: the Stop button).
  std::function<void()> OnInterrupt;
};

// Ctrl-C no longer ends the process at once: it is remembered until the event pump delivers it.
// A second Ctrl-C before that ends the process as usual.
void InstallInterruptHandler();
// True once for each delivered Ctrl-C.
bool TakeInterrupt();

// Regional settings. The decimal separator is process-wide state shared by every number parse.
char GetDecimalSeparator();
void SetDecimalSeparator(char separator);
// The separator of the user's locale ("." when the locale says nothing usable).
char RegionalDecimalSeparator();
// Current date and time as the regional short date and long time.
std::string RegionalDateTimeText();
// A date as the regional short date.
std::string RegionalShortDate(const std::tm& date);
// The current time of day in the regional long time format.
std::string RegionalTimeText();

// Restores the decimal separator it found when it goes out of scope.
class TDecimalSeparatorGuard {
 public:
  TDecimalSeparatorGuard() : fSaved(GetDecimalSeparator()) {}
  ~TDecimalSeparatorGuard() { SetDecimalSeparator(fSaved); }
  TDecimalSeparatorGuard(const TDecimalSeparatorGuard&) = delete;
  TDecimalSeparatorGuard& operator=(const TDecimalSeparatorGuard&) = delete;

 private:
  char fSaved;
};

}  // namespace platform
