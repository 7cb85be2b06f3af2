#include "platform/TerminalPlatform.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>

namespace platform {

int TTerminalPlatform::MessageDlg(const std::string& text, TMsgDlgType, TMsgDlgButtons buttons) {
  fOut << text;
  if (text.empty() || text.back() != '\n') fOut << '\n';
  if (!(buttons & mbYes)) return (buttons & mbOK) ? mrOk : mrCancel;
  if (!fInteractive) return mrNo;
  fOut << "[y/N] " << std::flush;
  std::string answer;
  if (!std::getline(fIn, answer)) return mrNo;
  return (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES") ? mrYes : mrNo;
}

namespace {
bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string p = path;
  std::size_t start = 0;
  while (start <= p.size()) {
    std::size_t colon = p.find(':', start);
    std::string dir = p.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return false;
}

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}
}  // namespace

std::string TTerminalPlatform::ClipboardCommand() {
  if (Set("WAYLAND_DISPLAY") && OnPath("wl-copy")) return "wl-copy";
  if (Set("DISPLAY")) {
    if (OnPath("xclip")) return "xclip -selection clipboard";
    if (OnPath("xsel")) return "xsel --clipboard --input";
  }
  return {};
}

void TTerminalPlatform::SetClipboardText(const std::string& text) {
  const std::string command = ClipboardCommand();
  FILE* pipe = command.empty() ? nullptr : ::popen(command.c_str(), "w");
  bool ok = pipe != nullptr;
  if (pipe) {
    ok = std::fwrite(text.data(), 1, text.size(), pipe) == text.size();
    ok = ::pclose(pipe) == 0 && ok;
  }
  if (!ok) fOut << "The text could not be put on the clipboard.\n";
}

void TTerminalPlatform::ShowMessage(const std::string& text) { fOut << text << '\n'; }

}  // namespace platform
