#pragma once
// The desktop implementation of the platform services: Qt dialogs, message boxes, clipboard,
// the program's own help window and the event pump.
#include <QString>
#include <QStringList>
#include <string>

#include "platform/Platform.h"

namespace ui {

// A "|"-separated list of description/pattern pairs as Qt name filters. "*.*" means every file,
// with or without a dot, as on the desktop the filters come from.
QStringList QtNameFilters(const std::string& filter);
// The Qt filter that a 1-based filter index chooses (0 and 1 both choose the first).
QString QtSelectedFilter(const std::string& filter, int filterIndex);

class TQtPlatform : public platform::IPlatform {
 public:
  bool FileDialog(platform::TFileDialogRequest& request) override;
  std::string SelectFolder(const std::string& caption, const std::string& startFolder) override;
  bool SelectColour(int& colour) override;
  int MessageDlg(const std::string& text, platform::TMsgDlgType kind, platform::TMsgDlgButtons buttons) override;
  void ShowMessage(const std::string& text) override;
  bool HasClipboard() override;
  void SetClipboardText(const std::string& text) override;
  std::string GetClipboardText() override;
  bool ShowHelp(const std::string& helpFile, const std::string& topic, int context) override;
  void CloseHelp() override;
  void ProcessMessages() override;
  int ScreenPixelsPerInch() override;

  // `corvane-idf import BOARD`: this file answers the first board file dialog.
  std::string PresetBoard;
  // The title of message boxes that carry no title of their own.
  QString AppTitle = QStringLiteral("Corvane IDF");
};

}  // namespace ui
