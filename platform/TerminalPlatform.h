#pragma once
// The console platform of an interactive command: messages and questions go to the terminal,
// and a question is answered there when standard input is a terminal (else it takes No).
#include <iosfwd>
#include <string>

#include "platform/Platform.h"

namespace platform {

class TTerminalPlatform : public TConsolePlatform {
 public:
  TTerminalPlatform(std::istream& in, std::ostream& out, bool interactive)
      : fIn(in), fOut(out), fInteractive(interactive) {}
  int MessageDlg(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons) override;
  void ShowMessage(const std::string& text) override;
  // A desktop session's clipboard tool (wl-copy, xclip or xsel) serves as the clipboard.
  bool HasClipboard() override { return !ClipboardCommand().empty(); }
  void SetClipboardText(const std::string& text) override;
  // The command that takes clipboard text on its input; empty without a desktop session.
  static std::string ClipboardCommand();

 private:
  std::istream& fIn;
  std::ostream& fOut;
  bool fInteractive;
};

}  // namespace platform
