#include "platform/ScriptedPlatform.h"

namespace platform {

bool TScriptedPlatform::FileDialog(TFileDialogRequest& request) {
  Calls.push_back({"FileDialog", request.Title, request});
  Calls.back().AskedFileName = request.FileName;
  if (FileAnswers.empty()) return false;
  auto answer = FileAnswers.front();
  FileAnswers.pop_front();
  if (!answer) return false;
  request.FileName = *answer;
  return true;
}

std::string TScriptedPlatform::SelectFolder(const std::string& caption, const std::string& startFolder) {
  TCall call{"SelectFolder", caption};
  call.Request.InitialDir = startFolder;
  Calls.push_back(call);
  if (FolderAnswers.empty()) return {};
  std::string answer = FolderAnswers.front();
  FolderAnswers.pop_front();
  return answer;
}

bool TScriptedPlatform::SelectColour(int& colour) {
  Calls.push_back({"SelectColour", std::to_string(colour)});
  if (ColourAnswers.empty()) return false;
  auto answer = ColourAnswers.front();
  ColourAnswers.pop_front();
  if (!answer) return false;
  colour = *answer;
  return true;
}

int TScriptedPlatform::MessageDlg(const std::string& text, TMsgDlgType kind, TMsgDlgButtons buttons) {
  TCall call{"MessageDlg", text};
  call.MsgKind = kind;
  call.Buttons = buttons;
  Calls.push_back(call);
  if (!MessageAnswers.empty()) {
    int answer = MessageAnswers.front();
    MessageAnswers.pop_front();
    return answer;
  }
  return (buttons & mbOK) ? mrOk : (buttons & mbNo) ? mrNo : mrCancel;
}

void TScriptedPlatform::ShowMessage(const std::string& text) { Calls.push_back({"ShowMessage", text}); }

void TScriptedPlatform::SetClipboardText(const std::string& text) {
  Calls.push_back({"SetClipboardText", text});
  Clipboard = text;
}

bool TScriptedPlatform::ShowHelp(const std::string& helpFile, const std::string& topic, int context) {
  TCall call{"ShowHelp", helpFile + "|" + topic + "|" + std::to_string(context)};
  Calls.push_back(call);
  return HelpAvailable;
}

void TScriptedPlatform::ProcessMessages() {
  ++ProcessMessagesCount;
  if (OnProcessMessages) OnProcessMessages();
}

std::vector<TScriptedPlatform::TCall> TScriptedPlatform::CallsOf(const std::string& kind) const {
  std::vector<TCall> out;
  for (const auto& c : Calls)
    if (c.Kind == kind) out.push_back(c);
  return out;
}

}  // namespace platform
