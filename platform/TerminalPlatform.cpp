#include "TerminalPlatform.h"

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

void TTerminalPlatform::ShowMessage(const std::string& text) { fOut << text << '\n'; }

}  // namespace platform
