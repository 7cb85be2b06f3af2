#pragma once
// A platform for tests: answers are queued beforehand, every call is recorded.
#include <deque>
#include <functional>
#include <optional>
#include "platform/Platform.h"

namespace platform {

class TScriptedPlatform : public IPlatform {
 public:
  struct TCall {
    std::string Kind;  // "FileDialog", "MessageDlg", ...
    std::string Text;  // message text or dialog title
    TFileDialogRequest Request;
    TMsgDlgType MsgKind = TMsgDlgType::mtInformation;
    TMsgDlgButtons Buttons = 0;
    std::string AskedFileName;  // the file name the dialog was opened with
  };
  // A file answer of std::nullopt cancels the dialog.
  std::deque<std::optional<std::string>> FileAnswers;
  std::deque<std::string> FolderAnswers;
  std::deque<std::optional<int>> ColourAnswers;
  std::deque<int> MessageAnswers;  // mrYes, mrNo, ...; mrOk/mrCancel when none queued
  std::vector<TCall> Calls;
  std::string Clipboard;
  bool ClipboardAvailable = true;
  bool HelpAvailable = true;
  int PixelsPerInch = 96;
  int ProcessMessagesCount = 0;
  // Run on each ProcessMessages call, so a test can press Stop during long work.
  std::function<void()> OnProcessMessages;

  bool FileDialog(TFileDialogRequest& request) override;
  std::string SelectFolder(const std::string& caption, const std::string& startFolder) override;
  bool SelectColour(int& colour) override;
  int MessageDlg(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons) override;
  void ShowMessage(const std::string& text) override;
  bool HasClipboard() override { return ClipboardAvailable; }
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override { return Clipboard; }
  bool ShowHelp(const std::string& helpFile, const std::string& topic, int context) override;
  void CloseHelp() override { Calls.push_back({"CloseHelp", ""}); }
  void ProcessMessages() override;
  int ScreenPixelsPerInch() override { return PixelsPerInch; }

  // The calls of one kind, in order.
  std::vector<TCall> CallsOf(const std::string& kind) const;
};

}  // namespace platform
